// The screen-space leaves: 2-D polylines, relative polylines, leaders and billboard frames.
#include "DsItemPolyline2D.h"

#include "DsView3dCdc.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsScreenSpace.h"
#include "VyrCurveExt.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

float* CopyPairs(const float* points, int count)
{
    if (!points || count <= 0) return nullptr;
    auto* copy = new float[static_cast<size_t>(count) * 2];
    std::memcpy(copy, points, sizeof(float) * 2 * static_cast<size_t>(count));
    return copy;
}

bool AllFinite(const float* points, int count)
{
    for (int i = 0; i < 2 * count; ++i)
        if (!std::isfinite(points[i])) return false;
    return true;
}

}  // namespace

// === CDsItemPolyline2D ==========================================================================

CDsItemPolyline2D::CDsItemPolyline2D()
{
    m_bounds.SetEmpty();
    GetAttributes()->SetOnTopFlag(true);
}

CDsItemPolyline2D::CDsItemPolyline2D(int count, const float* points, CDsLineAttribStorage* attributes)
{
    m_points = CopyPairs(points, count);
    m_count = m_points ? count : 0;
    if (attributes) GetAttributes()->CopyObject(*attributes);
    GetAttributes()->SetOnTopFlag(true);
    ComputeBounds();
}

CDsItemPolyline2D::CDsItemPolyline2D(const CDsItemPolyline2D& other) : CDsItem()
{
    m_points = CopyPairs(other.m_points, other.m_count);
    m_count = m_points ? other.m_count : 0;
    m_closed = other.m_closed;
    m_bounds = other.m_bounds;
    GetAttributes()->SetOnTopFlag(true);
}

CDsItemPolyline2D::~CDsItemPolyline2D()
{
    delete[] m_points;
}

void CDsItemPolyline2D::SetPoints(int count, const float* points)
{
    if (points && count == m_count && m_points) {
        std::memcpy(m_points, points, sizeof(float) * 2 * static_cast<size_t>(count));
    } else {
        delete[] m_points;
        m_points = CopyPairs(points, count);
        m_count = m_points ? count : 0;
    }
    ComputeBounds();
}

void CDsItemPolyline2D::ComputeBounds()
{
    m_bounds.SetEmpty();
    if (m_count <= 0) return;
    m_bounds.minX = m_bounds.minY = 10000000;
    m_bounds.maxX = m_bounds.maxY = -10000000;
    for (int i = 0; i < m_count; ++i) {
        const float x = m_points[2 * i], y = m_points[2 * i + 1];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        const int ix = static_cast<int>(std::max(-1e9f, std::min(1e9f, x)));
        const int iy = static_cast<int>(std::max(-1e9f, std::min(1e9f, y)));
        m_bounds.minX = std::min(m_bounds.minX, ix);
        m_bounds.minY = std::min(m_bounds.minY, iy);
        m_bounds.maxX = std::max(m_bounds.maxX, ix);
        m_bounds.maxY = std::max(m_bounds.maxY, iy);
    }
    if (m_bounds.minX > m_bounds.maxX) m_bounds.SetEmpty();
}

bool CDsItemPolyline2D::IsDrawable() const
{
    return m_count >= 2 && AllFinite(m_points, m_count);
}

void CDsItemPolyline2D::SendVertices() const
{
    for (int i = 0; i < m_count; ++i) CDsDriverGl::StVertex(m_points[2 * i], m_points[2 * i + 1]);
    if (m_closed) CDsDriverGl::StVertex(m_points[0], m_points[1]);
}

void CDsItemPolyline2D::DrawGlStrip(view3d* view, int count, const float* points, bool closed, bool already2d)
{
    if (!view || !points || count < 2 || !AllFinite(points, count)) return;
    if (!already2d) view->Start2dDraw();
    const bool lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    if (lighting) {
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    }
    CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i) CDsDriverGl::StVertex(points[2 * i], points[2 * i + 1]);
    if (closed) CDsDriverGl::StVertex(points[0], points[1]);
    CDsDriverGl::StEndVertices();
    if (!already2d) view->End2dDraw();
    if (lighting) {
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
    }
}

void CDsItemPolyline2D::DrawStrip() const
{
    if (!IsDrawable()) return;
    CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
    SendVertices();
    CDsDriverGl::StEndVertices();
}

void CDsItemPolyline2D::DrawGl(view3d& view)
{
    if (!IsDrawable()) return;
    view.Start2dDraw();
    DrawStrip();
    view.End2dDraw();
}

void CDsItemPolyline2D::DrawGeometry(view3d& view)
{
    DrawGl(view);
}

void CDsItemPolyline2D::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    CDsClipPlanesOff unclipped(view);
    if (!(kinds & CDsGeometry::eDpPoints) || !IsDrawable()) return;
    if (applyAttributes) SetAttributesToView(&view);
    CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
    SendVertices();
    CDsDriverGl::StEndVertices();
}

int CDsItemPolyline2D::DrawGdi(view3d& view)
{
    if (!IsDrawable()) return 0;
    const int height = DsViewportHeight(view);
    std::vector<float> down(static_cast<size_t>(m_count) * 2);
    for (int i = 0; i < m_count; ++i) {
        down[2 * size_t(i)] = m_points[2 * i];
        down[2 * size_t(i) + 1] = float(height) - m_points[2 * i + 1] - 1.0f;
    }
    return view.draw_polyline_2d(m_count, down.data(), m_closed ? 1 : 0);
}

void CDsItemPolyline2D::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    DrawGdi(extrema);
}

void CDsItemPolyline2D::Plot(view3d& view)
{
    DrawGdi(view);
}

bool CDsItemPolyline2D::GetBoundBox2D(SDsBox2D& box)
{
    box = m_bounds;
    return true;
}

EDsItemsType CDsItemPolyline2D::GetItemType()
{
    return eDsItemPolyline2D;
}

void CDsItemPolyline2D::Transform(const SPAtransf& transform)
{
    for (int i = 0; i < m_count; ++i) {
        const SPAposition p = SPAposition(m_points[2 * i], m_points[2 * i + 1], 0.0) * transform;
        m_points[2 * i] = static_cast<float>(p.x());
        m_points[2 * i + 1] = static_cast<float>(p.y());
    }
    ComputeBounds();
}

namespace {

// Whether the segment (ax, ay)-(bx, by) meets the rectangle [left, right] x [top, bottom].
bool SegmentMeetsRect(double ax, double ay, double bx, double by, double left, double top, double right, double bottom)
{
    double t0 = 0.0, t1 = 1.0;
    const double d[2] = {bx - ax, by - ay}, start[2] = {ax, ay}, low[2] = {left, top}, high[2] = {right, bottom};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0.0) {
            if (start[k] < low[k] || start[k] > high[k]) return false;
            continue;
        }
        double a = (low[k] - start[k]) / d[k], b = (high[k] - start[k]) / d[k];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return false;
    }
    return true;
}

}  // namespace

bool CDsItemPolyline2D::PickSegments(view3d& view, pick_manager* manager, bool& taken) const
{
    taken = false;
    if (!IsDrawable()) return false;
    int cx = 0, cy = 0, w = 0, h = 0;
    view.get_pick_aperture(cx, cy, w, h);
    // The aperture about the centre of its pixel, in drawable coordinates (rows down).
    const double left = cx + 0.5 - 0.5 * w, right = cx + 0.5 + 0.5 * w;
    const double top = cy + 0.5 - 0.5 * h, bottom = cy + 0.5 + 0.5 * h;
    // A line of width n lights the pixels whose centres lie within n / 2 across it, none beyond
    // its ends: the band between its two sides, each (n - 1) / 2 from its middle.
    const int width = std::max(1, static_cast<int>(GetAttributes()->GetWidth()));
    const double half = 0.5 * (width - 1);
    const int height = DsViewportHeight(view);
    // Where the window draws a point: OpenGL lights the pixels about (x, y) up from the corner of
    // the viewport half a pixel lower and to the left (a line on a pixel edge lights the pixels
    // below and to the left of it).
    const auto at = [&](int i, double& x, double& y) {
        x = double(m_points[2 * i]) - 0.5;
        y = double(height) - double(m_points[2 * i + 1]) + 0.5;
    };
    const int segments = m_closed ? m_count : m_count - 1;
    bool hit = false;
    for (int s = 0; s < segments; ++s) {
        double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
        at(s, ax, ay);
        at((s + 1) % m_count, bx, by);
        const double length = std::hypot(bx - ax, by - ay);
        const double nx = length > 0.0 ? -(by - ay) / length * half : 0.0, ny = length > 0.0 ? (bx - ax) / length * half : 0.0;
        bool meets = false;
        for (const double side : {0.0, -1.0, 1.0})
            meets = meets || SegmentMeetsRect(ax + side * nx, ay + side * ny, bx + side * nx, by + side * ny, left, top,
                                              right, bottom);
        if (!meets && half > 0.0 && length > 0.0) {
            // The aperture wholly inside the band: its centre between the sides and the ends.
            const double px = cx + 0.5 - ax, py = cy + 0.5 - ay;
            const double along = (px * (bx - ax) + py * (by - ay)) / length, across = (px * nx + py * ny) / half;
            meets = along >= 0.0 && along <= length && std::fabs(across) <= half;
        }
        if (!meets) continue;
        hit = true;
        if (!manager) return true;
        taken = manager->save_current_if_ok() != 0;
    }
    return hit;
}

bool CDsItemPolyline2D::Pick(view3d* view)
{
    if (!view) return false;
    // A measuring view that asks for window-pixel lines (a region pick asking what lies wholly
    // inside its rectangle) takes the pixels the polyline draws.
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        if (!extrema->GetMeasuresPixelLines() || !IsDrawable()) return false;
        DrawGdi(*view);
        return true;
    }
    bool taken = false;
    return PickSegments(*view, nullptr, taken);
}

bool CDsItemPolyline2D::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    bool taken = false;
    PickSegments(*view, manager, taken);
    return taken;
}

long CDsItemPolyline2D::DrawPoints(view3d&, long)
{
    return 0;
}

int CDsItemPolyline2D::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 0;
}

int CDsItemPolyline2D::GetVertices(CDsGeometry::eDrawPrimitives, int, float*&, int& count)
{
    count = 0;
    return -1;
}

bool CDsItemPolyline2D::GetPoint(CDsGeometry::eParameterPoints, SPAposition&)
{
    return false;
}

int CDsItemPolyline2D::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpPoints;
}

// === CDsItemPolyline2DRelative ==================================================================

CDsItemPolyline2DRelative::CDsItemPolyline2DRelative(int count, const float* relative, bool closed)
{
    if (relative && count > 0) {
        m_count = count;
        m_points = new float[static_cast<size_t>(count) * 2]();
        m_relative = CopyPairs(relative, count);
    }
    m_closed = closed;
    GetAttributes()->SetOnTopFlag(true);
}

CDsItemPolyline2DRelative::~CDsItemPolyline2DRelative()
{
    delete[] m_relative;
}

void CDsItemPolyline2DRelative::ComputePixels(view3d& view)
{
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    for (int i = 0; i < m_count; ++i)
        computer->ComputeRelativeCoordinates2D(&view, m_relative[2 * i], m_relative[2 * i + 1], m_points[2 * i],
                                               m_points[2 * i + 1]);
    ComputeBounds();
}

void CDsItemPolyline2DRelative::DrawGl(view3d& view)
{
    ComputePixels(view);
    CDsItemPolyline2D::DrawGl(view);
}

void CDsItemPolyline2DRelative::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (kinds & CDsGeometry::eDpPoints) ComputePixels(view);
    CDsItemPolyline2D::DrawOnTraverse(view, kinds, applyAttributes);
}

bool CDsItemPolyline2DRelative::GetBoundBox2D(SDsBox2D& box)
{
    if (CDsView3dCdc* view = CDsView3dCdc::StGetCurrent()) ComputePixels(*view);
    return CDsItemPolyline2D::GetBoundBox2D(box);
}

int CDsItemPolyline2DRelative::DrawGdi(view3d& view)
{
    ComputePixels(view);
    return CDsItemPolyline2D::DrawGdi(view);
}

bool CDsItemPolyline2DRelative::Pick(pick_manager*)
{
    return false;
}

void CDsItemPolyline2DRelative::DrawExtremes(CDsViewExtrema&, ENTITY*) {}

void CDsItemPolyline2DRelative::Plot(view3d&) {}

EDsItemsType CDsItemPolyline2DRelative::GetItemType()
{
    return eDsItemPolyline2DRelative;
}

// === CDsItemLine2D3D ============================================================================

CDsItemLine2D3D::CDsItemLine2D3D(int x, int y, const CGmPosition& end) : m_x(x), m_y(y), m_end(end)
{
    const float points[4] = {float(x), float(y), 0.0f, 0.0f};
    SetPoints(2, points);
}

bool CDsItemLine2D3D::UpdatePoints(view3d& view)
{
    float ex = 0.0f, ey = 0.0f;
    if (!DsProjectUp(view, m_end, ex, ey)) return false;
    const float points[4] = {float(m_x), float(m_y), ex, ey};
    SetPoints(2, points);
    return true;
}

void CDsItemLine2D3D::DrawGl(view3d& view)
{
    if (UpdatePoints(view)) CDsItemPolyline2D::DrawGl(view);
}

void CDsItemLine2D3D::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpPoints)) return;
    if (UpdatePoints(view)) CDsItemPolyline2D::DrawOnTraverse(view, kinds, applyAttributes);
}

bool CDsItemLine2D3D::GetBoundBox2D(SDsBox2D& box)
{
    if (CDsView3dCdc* view = CDsView3dCdc::StGetCurrent()) UpdatePoints(*view);
    return CDsItemPolyline2D::GetBoundBox2D(box);
}

EDsItemsType CDsItemLine2D3D::GetItemType()
{
    return eDsItemLine2D3D;
}

int CDsItemLine2D3D::DrawGdi(view3d&)
{
    return 0;
}

// === CDsItemBillBoardedRectangle ================================================================

CDsItemBillBoardedRectangle::CDsItemBillBoardedRectangle(const CGmPosition& anchor, int width, int height,
                                                         EAlignment alignment)
    : m_anchor(anchor), m_alignment(alignment), m_width(width), m_height(height)
{
}

void CDsItemBillBoardedRectangle::GetOffsets(int& ox, int& oy) const
{
    const int w = m_width, h = m_height;
    switch (m_alignment) {
        case eAlignTopLeft: ox = 0; oy = h; break;
        case eAlignTopRight: ox = w; oy = h; break;
        case eAlignBottomRight: ox = w; oy = 0; break;
        case eAlignCenter: ox = w / 2; oy = h / 2; break;
        case eAlignLeftCenter: ox = 0; oy = h / 2; break;
        case eAlignRightCenter: ox = w; oy = h / 2; break;
        case eAlignTopCenter: ox = w / 2; oy = h; break;
        case eAlignBottomCenter: ox = w / 2; oy = 0; break;
        default: ox = 0; oy = 0; break;
    }
}

bool CDsItemBillBoardedRectangle::GetCorner(view3d& view, float& x, float& y) const
{
    float ax = 0.0f, ay = 0.0f;
    if (!DsProjectUp(view, m_anchor, ax, ay)) return false;
    int ox = 0, oy = 0;
    GetOffsets(ox, oy);
    x = ax - float(ox);
    y = ay - float(oy);
    return true;
}

void CDsItemBillBoardedRectangle::DrawGl(view3d&) {}

bool CDsItemBillBoardedRectangle::GetBoundBox2D(SDsBox2D& box)
{
    int ox = 0, oy = 0;
    GetOffsets(ox, oy);
    box.minX = -ox;
    box.minY = -oy;
    box.maxX = m_width - ox;
    box.maxY = m_height - oy;
    return true;
}

bool CDsItemBillBoardedRectangle::GetBoundBox(SPAbox& box)
{
    const SPAposition anchor(m_anchor.x(), m_anchor.y(), m_anchor.z());
    box = SPAbox(anchor, anchor);
    return true;
}

bool CDsItemBillBoardedRectangle::GetDrawnBox2D(SDsBox2D& box) const
{
    int ox = 0, oy = 0;
    GetOffsets(ox, oy);
    // Counted wide, so that a side near the int range keeps its place.
    const long long x = ox, y = oy, w = m_width, h = m_height;
    const auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    box.minX = clamp(-x - 1);
    box.maxX = clamp(w - x + 1);
    box.minY = clamp(y - h - 1);
    box.maxY = clamp(y + 1);
    return true;
}

EDsItemsType CDsItemBillBoardedRectangle::GetItemType()
{
    return eDsItemBillBoardedRectangle;
}

bool CDsItemBillBoardedRectangle::Pick(view3d* view)
{
    float x = 0.0f, y = 0.0f;
    if (!view || !GetCorner(*view, x, y)) return false;
    // A measuring view that asks for window pixels takes the frame's: its lines run from the
    // corner to the corner width and height pixels on.
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        if (!extrema->GetMeasuresPixelLines()) return false;
        const int left = static_cast<int>(std::floor(x)), bottom = static_cast<int>(std::floor(y));
        extrema->MeasurePixels(left, bottom, left + m_width, bottom + m_height);
        return true;
    }
    const int height = DsViewportHeight(*view);
    // The frame with rows turned down, as the aperture counts them: [left, right) x [top, bottom).
    const int left = static_cast<int>(std::floor(x)), right = left + m_width;
    const int bottom = height - static_cast<int>(std::floor(y)), top = bottom - m_height;
    int cx = 0, cy = 0, w = 0, h = 0;
    view->get_pick_aperture(cx, cy, w, h);
    const int aLeft = cx - w / 2, aTop = cy - h / 2, aRight = cx + w / 2 + 1, aBottom = cy + h / 2 + 1;
    return std::max(left, aLeft) < std::min(right, aRight) && std::max(top, aTop) < std::min(bottom, aBottom);
}

bool CDsItemBillBoardedRectangle::Pick(pick_manager*)
{
    return false;
}

int CDsItemBillBoardedRectangle::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpPoints;
}

void CDsItemBillBoardedRectangle::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    // A pixel frame, as the 2-D polylines: not drawn by a walk of faces or lines (a selection of a
    // figure's faces would otherwise meet it wherever it stands).
    if (!(kinds & CDsGeometry::eDpPoints)) return;
    float x = 0.0f, y = 0.0f;
    if (!GetCorner(view, x, y)) return;
    // The walk's colour is that of the whole figure: the frame takes the pen it was drawn with.
    if (applyAttributes) SetAttributesToView(&view);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    // The walk draws pixel items in its on-top depth layer: the frame keeps the depth test on, so
    // that the frame's depth holds the rectangle in front of faces drawn after it.
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    view.Start2dDraw();
    if (depth) glEnable(GL_DEPTH_TEST);
    CDsDriverGl::StBeginVertices(GL_LINE_LOOP);
    CDsDriverGl::StVertex(x, y);
    CDsDriverGl::StVertex(x + float(m_width), y);
    CDsDriverGl::StVertex(x + float(m_width), y + float(m_height));
    CDsDriverGl::StVertex(x, y + float(m_height));
    CDsDriverGl::StEndVertices();
    view.End2dDraw();
    glPopAttrib();
}

void CDsItemBillBoardedRectangle::Transform(const SPAtransf& transform)
{
    const SPAposition moved = SPAposition(m_anchor.x(), m_anchor.y(), m_anchor.z()) * transform;
    m_anchor = CGmPosition(moved.x(), moved.y(), moved.z());
}

int CDsItemBillBoardedRectangle::DrawGdi(view3d&)
{
    return 0;
}
