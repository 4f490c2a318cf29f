// The demo's scene-database geometry: one face of a faceted body as triangles (kind 4, faces)
// and its outline (kind 2, lines), which the display core's renderers draw through OpenGL, and
// which a plot or an extrema measure draws through the view as polylines.
#pragma once

#include "DemoModel.h"

#include "DsGeometry.h"
#include "SpaValues.h"

#include <vector>

namespace vyrdemo {

// One face: its triangles and the segments of its outline (the triangle sides no other triangle
// of the face shares), drawn as the kinds it is made with (faces, lines or both). The demo gives
// each face two items, its triangles and, after every face, its outline, so that outlines are
// drawn over the faces they lie on.
class CDemoFaceGeometry : public CDsGeometry {
public:
    // The face of `soup` (corners with normals, three per triangle), drawn as `kinds`.
    CDemoFaceGeometry(const TriangleSoup& soup, int kinds);

    CDsGeometry* Clone() const override { return new CDemoFaceGeometry(*this); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int index) const override;
    bool HasBoundBox(int) const override { return !m_soup.corners.empty(); }
    int GetDrawPrimitives(int) const override { return m_kinds; }
    int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

    // Number of outline segments.
    int OutlineSegments() const { return static_cast<int>(m_outline.size() / 6); }

private:
    int m_kinds;
    TriangleSoup m_soup;
    std::vector<float> m_outline;  // x, y, z of both ends per segment
};

}  // namespace vyrdemo
