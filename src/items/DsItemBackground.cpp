#include "DsItemBackground.h"

#include "DsDriverGl.h"
#include "DsView3dCdc.h"

#include "view3d.h"

#include <GL/gl.h>

namespace {

void SendColor(const CDsColorStorage& color)
{
    const uint32_t value = color.GetColorRef();
    const GLubyte rgb[3] = {static_cast<GLubyte>(value & 0xFF), static_cast<GLubyte>((value >> 8) & 0xFF),
                            static_cast<GLubyte>((value >> 16) & 0xFF)};
    glColor3ubv(rgb);
}

}  // namespace

EDsItemsType CDsItemBackground::GetItemType()
{
    return eDsItemBackground;
}

CDsColorStorage CDsItemBackground::GetBackgroundColor() const
{
    CDsColorStorage color;
    m_background.GetBackground(color);
    return color;
}

CDsColorStorage CDsItemBackground::GetTopColor() const
{
    CDsColorStorage color;
    m_background.GetTopColor(color);
    return color;
}

CDsColorStorage CDsItemBackground::GetBottomColor() const
{
    CDsColorStorage color;
    m_background.GetBottomColor(color);
    return color;
}

bool CDsItemBackground::IsGradientInForce(view3d& view) const
{
    if (!m_background.GetUseGradientFlag()) return false;
    return !(view.GetDocumentFlag(static_cast<EDsDocumentFlag>(3)) && view.GetRenderMode() == eRenderWireframe);
}

void CDsItemBackground::DrawGl(view3d& view)
{
    int x = 0, y = 0, w = 0, h = 0;
    view.get_viewport(x, y, w, h);
    CDsColorStorage bottom, top;
    if (view.ForceWhiteBackgroundRequired()) {
        bottom = top = CDsColorStorage(255, 255, 255);
    } else if (!IsGradientInForce(view)) {
        bottom = top = GetBackgroundColor();
    } else {
        bottom = GetBottomColor();
        top = GetTopColor();
    }
    // The attributes are pushed first: the 2-D set-up switches the depth test off, and the
    // background must leave it as it found it.
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT);
    view.Start2dDraw();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    CDsDriverGl::StBeginVertices(GL_QUADS);
    SendColor(bottom);
    glNormal3f(0.0f, 0.0f, 1.0f);
    CDsDriverGl::StVertex(static_cast<float>(w), 0.0f);
    CDsDriverGl::StVertex(0.0f, 0.0f);
    SendColor(top);
    CDsDriverGl::StVertex(0.0f, static_cast<float>(h));
    CDsDriverGl::StVertex(static_cast<float>(w), static_cast<float>(h));
    CDsDriverGl::StEndVertices();
    view.End2dDraw();
    glPopAttrib();
}

void CDsItemBackground::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool)
{
    if (kinds & CDsGeometry::eDpFaces) DrawGl(view);
}

int CDsItemBackground::DrawGdi(view3d&)
{
    return 0;
}
