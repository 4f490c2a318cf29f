// Internal helpers of the items that draw in window pixels (2-D polylines, points, arrows,
// billboards): a model point projected into OpenGL's window rows, and the bracket that lifts the
// section clip planes around pixel drawing on the scene walk. Not exported.
//
// Window rows: the geometry computer projects with rows counted down from the viewport's top; the
// 2-D drawing mode and gluProject count them up from its bottom. DsProjectUp turns the one into
// the other once (y' = height - 1 - y), so that what is drawn lands on the pixel gluProject gives.
#pragma once

#include "DsGeometryComputer.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"

#include "view3d.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

// The window point of `p` on `view`, rows counted up from the bottom; false (outputs unchanged)
// when it does not project or lands on a value that is not finite.
inline bool DsProjectUp(view3d& view, const CGmPosition& p, float& x, float& y)
{
    float px = 0.0f, py = 0.0f;
    int height = -1;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(p, &view, px, py, &height, true)) return false;
    const float up = float(height - 1) - py;
    if (!std::isfinite(px) || !std::isfinite(up)) return false;
    x = px;
    y = up;
    return true;
}

// The viewport height of `view` (0 for a view without one).
inline int DsViewportHeight(const view3d& view)
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    return vh;
}

// While alive: when `view` is a core view whose scene holds a section, every enabled clip plane is
// switched off; they are switched on again when the bracket ends. Pixel items are never cut.
class CDsClipPlanesOff {
public:
    explicit CDsClipPlanesOff(view3d& view)
    {
        auto* core = dynamic_cast<CDsView3dCdc*>(&view);
        if (!core || !core->IsSection()) return;
        GLint count = 0;
        glGetIntegerv(GL_MAX_CLIP_PLANES, &count);
        for (GLint i = 0; i < count; ++i) {
            const GLenum plane = GLenum(GL_CLIP_PLANE0 + i);
            if (glIsEnabled(plane) != GL_TRUE) continue;
            glDisable(plane);
            m_planes.push_back(plane);
        }
    }
    ~CDsClipPlanesOff()
    {
        for (GLenum plane : m_planes) glEnable(plane);
    }
    CDsClipPlanesOff(const CDsClipPlanesOff&) = delete;
    CDsClipPlanesOff& operator=(const CDsClipPlanesOff&) = delete;

private:
    std::vector<GLenum> m_planes;
};
