// CDsItemPolygons2D: polygons of a common vertex count, drawn immediately, printed and picked.
#include "DsItemPolygons2D.h"

#include "DsBox.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsLineAttribStorage.h"
#include "DsRectangle.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "VyrCurveExt.h"

#include "pick_manager.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

// The sign of v: -1, 0 or 1.
int Sign(int64_t v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

// (a + half of d away from zero) / d: the quotient rounded to the nearest integer.
int64_t RoundedDivision(int64_t a, int64_t d)
{
    const int64_t half = (d < 0 ? -d : d) / 2;
    return (a < 0 ? a - half : a + half) / d;
}

}  // namespace

CDsItemPolygons2D::CDsItemPolygons2D(int n, int m, const float* points)
{
    if (const CDsLineAttribStorage* set = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal))
        SetColor(set->GetColor(), true);
    if (!points || n < 1 || m < 1) return;
    const int64_t floats = int64_t(n) * int64_t(m) * 3;
    if (floats > std::numeric_limits<int32_t>::max()) return;
    m_vertices = new (std::nothrow) float[static_cast<size_t>(floats)];
    if (!m_vertices) return;
    std::memcpy(m_vertices, points, static_cast<size_t>(floats) * sizeof(float));
    m_n = n;
    m_m = m;
    const int64_t vertices = floats / 3;
    if (vertices >= 3) {
        // The normal of the winding, as the generator's other triangles take theirs: the lit side
        // of a face is the side its vertices turn anticlockwise on.
        SPAunit_vector normal;
        CDsGeometryComputer::GetInstance()->CalulateTriangleNormal(
            SPAposition(m_vertices[0], m_vertices[1], m_vertices[2]), SPAposition(m_vertices[3], m_vertices[4], m_vertices[5]),
            SPAposition(m_vertices[6], m_vertices[7], m_vertices[8]), normal);
        if (std::isfinite(normal.x()) && std::isfinite(normal.y()) && std::isfinite(normal.z()) &&
            normal.x() * normal.x() + normal.y() * normal.y() + normal.z() * normal.z() > 0.5) {
            m_normal[0] = static_cast<float>(normal.x());
            m_normal[1] = static_cast<float>(normal.y());
            m_normal[2] = static_cast<float>(normal.z());
        }
    }
    for (int a = 0; a < 3; ++a) m_min[a] = m_max[a] = m_vertices[a];
    for (int64_t i = 1; i < vertices; ++i)
        for (int a = 0; a < 3; ++a) {
            const double c = m_vertices[3 * i + a];
            if (c < m_min[a]) m_min[a] = c;
            if (c > m_max[a]) m_max[a] = c;
        }
}

CDsItemPolygons2D::~CDsItemPolygons2D()
{
    delete[] m_vertices;
}

EDsItemsType CDsItemPolygons2D::GetItemType()
{
    return eDsItemPolygons2D;
}

void CDsItemPolygons2D::DrawPolygons()
{
    if (!m_vertices || m_n < 3) return;
    glNormal3fv(m_normal);
    const bool batch = m_n == 3 || m_n == 4;
    if (batch) CDsDriverGl::StBeginVertices(m_n == 3 ? GL_TRIANGLES : GL_QUADS);
    for (int k = 0; k < m_m; ++k) {
        if (!batch) CDsDriverGl::StBeginVertices(GL_POLYGON);
        const float* p = m_vertices + static_cast<size_t>(k) * m_n * 3;
        for (int j = 0; j < m_n; ++j) CDsDriverGl::StVertex(p + 3 * j);
        if (!batch) CDsDriverGl::StEndVertices();
    }
    if (batch) CDsDriverGl::StEndVertices();
}

void CDsItemPolygons2D::DrawGl(view3d&)
{
    PushMatrix();
    SaveOpenGlFlags();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    DrawPolygons();
    RestoreOpenGlFlags();
    PopMatrix();
}

void CDsItemPolygons2D::Refresh(view3d& view)
{
    if (view.GetDrawPhase() == eDsDrawPhaseOnTop) return;
    DrawGl(view);
}

int CDsItemPolygons2D::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return m_vertices ? m_n * m_m : 0;
}

int CDsItemPolygons2D::GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count)
{
    // Polygon by polygon: the one that starts at vertex `index`, where it is drawn (placed by the
    // item's transformation).
    if (!(kinds & CDsGeometry::eDpFaces) || !m_vertices || m_n < 1 || index < 0 || index % m_n != 0) return -1;
    const int polygon = index / m_n;
    if (polygon >= m_m) return -1;
    m_placed.resize(3 * static_cast<size_t>(m_n));
    for (int j = 0; j < m_n; ++j)
        PlaceVertex(m_vertices + 3 * (static_cast<size_t>(index) + j), m_placed.data() + 3 * static_cast<size_t>(j));
    vertices = m_placed.data();
    count = m_n;
    return polygon + 1 < m_m ? index + m_n : -1;
}

int CDsItemPolygons2D::GetDrawPrimitives()
{
    return CDsGeometry::eDpFaces;
}

void CDsItemPolygons2D::DrawOnTraverse(view3d&, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpFaces)) return;
    // The item's own colour when asked, as the other polygon items take theirs on the walk.
    CDsGlColorSaver saver;
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    DrawPolygons();
    PopMatrix();
}

bool CDsItemPolygons2D::GetBoundBox(SPAbox& box)
{
    if (!m_vertices) return false;
    return CDsItemPolygonsBase::GetBoundBox(box);
}

void CDsItemPolygons2D::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (m_vertices) CDsItemPolygonsBase::ExpandBox(box, transform);
}

int CDsItemPolygons2D::DrawGdi(view3d& view)
{
    if (!m_vertices) return 0;
    m_matrix.SetToView(view);
    int sum = 0;
    for (int k = 0; k < m_m; ++k) sum += view.draw_polyline_3d(m_n, m_vertices + static_cast<size_t>(k) * m_n * 3, 1);
    m_matrix.ResetView(view);
    return sum;
}

// --- Picking ------------------------------------------------------------------------------------

int CDsItemPolygons2D::IntersectSegments(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int& x,
                                         int& y)
{
    const int64_t a1 = int64_t(y2) - y1, b1 = int64_t(x1) - x2, c1 = int64_t(x2) * y1 - int64_t(x1) * y2;
    const int s3 = Sign(a1 * x3 + b1 * y3 + c1), s4 = Sign(a1 * x4 + b1 * y4 + c1);
    if (s3 != 0 && s4 != 0 && s3 == s4) return 0;
    const int64_t a2 = int64_t(y4) - y3, b2 = int64_t(x3) - x4, c2 = int64_t(x4) * y3 - int64_t(x3) * y4;
    const int s1 = Sign(a2 * x1 + b2 * y1 + c2), s2 = Sign(a2 * x2 + b2 * y2 + c2);
    if (s1 != 0 && s2 != 0 && s1 == s2) return 0;
    const int64_t denominator = a1 * b2 - a2 * b1;
    if (denominator == 0) return 2;
    x = static_cast<int>(RoundedDivision(b1 * c2 - b2 * c1, denominator));
    y = static_cast<int>(RoundedDivision(a2 * c1 - a1 * c2, denominator));
    return 1;
}

bool CDsItemPolygons2D::PickPolygonInRegion(int k, pick_manager& manager, view3d& view)
{
    CRect area;
    if (!manager.GetPickInRegionArea(area)) return false;
    const int left = std::min<int>(area.left, area.right), right = std::max<int>(area.left, area.right);
    const int top = std::min<int>(area.top, area.bottom), bottom = std::max<int>(area.top, area.bottom);
    const int corners[5][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};

    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    int height = -1;
    const float* polygon = m_vertices + static_cast<size_t>(k) * m_n * 3;
    auto project = [&](int j, int out[2]) {
        float x = 0.0f, y = 0.0f;
        float p[3];
        PlaceVertex(polygon + 3 * j, p);
        if (!computer->ProjectPositionOnView(CGmPosition(p[0], p[1], p[2]), &view, x, y, &height)) return false;
        out[0] = static_cast<int>(x);
        out[1] = static_cast<int>(y);
        return true;
    };
    for (int i = 0; i < m_n; ++i) {
        int p[2], q[2];
        if (!project(i, p) || !project((i + 1) % m_n, q)) continue;
        CDsRectangle edge;
        edge.Expand(p);
        edge.Expand(q);
        if (!edge.IsInView(&view, true)) continue;
        for (int s = 0; s < 4; ++s) {
            int x = 0, y = 0;
            if (IntersectSegments(p[0], p[1], q[0], q[1], corners[s][0], corners[s][1], corners[s + 1][0],
                                  corners[s + 1][1], x, y) == 1)
                return true;
        }
    }
    int first[2];
    if (!project(0, first)) return false;
    SPAposition rectangle[5];
    for (int c = 0; c < 5; ++c) rectangle[c] = SPAposition(corners[c][0], corners[c][1], 0.0);
    return CVyrCurveExt::ScnPtInPoly(SPAposition(first[0], first[1], 0.0), rectangle, 5);
}

bool CDsItemPolygons2D::Pick(pick_manager* manager)
{
    if (!manager || !m_vertices || m_n < 1) return false;
    view3d* view = manager->get_view();
    if (!view) return false;
    bool hit = false;
    if (manager->get_pick_method() == pick_method_region) {
        if (!dynamic_cast<CDsView3dCdc*>(view)) return false;
        for (int k = 0; k < m_m && !hit; ++k) hit = PickPolygonInRegion(k, *manager, *view);
    } else {
        if (!manager->get_pick_event()) return false;
        int x = 0, y = 0;
        manager->get_pick_point(x, y);
        const CUiPickEvent event(x, y, 0, view, nullptr);
        const SPAposition point = event.GetMappedPosition(false);
        std::vector<SPAposition> polygon(static_cast<size_t>(m_n) + 1);
        for (int k = 0; k < m_m && !hit; ++k) {
            const float* p = m_vertices + static_cast<size_t>(k) * m_n * 3;
            for (int j = 0; j < m_n; ++j) {
                float placed[3];
                PlaceVertex(p + 3 * j, placed);
                polygon[j] = SPAposition(placed[0], placed[1], placed[2]);
            }
            polygon[m_n] = polygon[0];
            hit = CVyrCurveExt::ScnPtInPoly(point, polygon.data(), m_n + 1);
        }
    }
    return hit && manager->save_current_if_ok() != 0;
}
