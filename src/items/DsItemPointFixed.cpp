// The point items and their marker drawer.
#include "DsItemPointFixed.h"

#include "DsAcisPick.h"
#include "DsDriverExtrema.h"
#include "DsFigure.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemBitmap.h"
#include "DsItemPolyline2D.h"
#include "DsItemsFigure.h"
#include "DsManager.h"
#include "DsPointsPalette.h"
#include "DsScreenSpace.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// One polyline of a marker: points (x, y) in absolute pixels, at most 13 (the circles), held
// without the heap (a marker is drawn for every fixed point in every frame).
class Strip {
public:
    Strip() = default;
    Strip(std::initializer_list<float> xy)
    {
        for (float v : xy) push_back(v);
    }
    void push_back(float v)
    {
        if (m_size < kCapacity) m_xy[m_size++] = v;
    }
    size_t size() const { return m_size; }
    const float* data() const { return m_xy; }

private:
    static constexpr size_t kCapacity = 26;
    float m_xy[kCapacity] = {};
    size_t m_size = 0;
};

// The polylines of a marker, at most two.
class Strips {
public:
    void push_back(const Strip& strip)
    {
        if (m_count < 2) m_strips[m_count++] = strip;
    }
    const Strip* begin() const { return m_strips; }
    const Strip* end() const { return m_strips + m_count; }

private:
    Strip m_strips[2];
    size_t m_count = 0;
};

void Add(Strip& strip, float x, float y)
{
    strip.push_back(x);
    strip.push_back(y);
}

// The 12-sided circle of styles 6, 7 and 9 (in OpenGL).
Strip Circle(float x, float y, float h)
{
    const float a = std::trunc(h * (9.0f / 11.0f)), b = std::trunc(h * (6.0f / 11.0f));
    const float px[13] = {h, a, b, 0, -b, -a, -h, -a, -b, 0, b, a, h};
    const float py[13] = {0, b, a, h, a, b, 0, -b, -a, -h, -a, -b, 0};
    Strip s;
    for (int i = 0; i < 13; ++i) Add(s, x + px[i], y + py[i]);
    return s;
}

// The polylines of a marker of `style` centred at (x, y) with half size h; none outside 1 to 9.
Strips Shape(int style, float x, float y, float h, bool gl)
{
    Strips strips;
    auto P = [&](Strip& s, float a, float b) { Add(s, x + a, y + b); };
    switch (style) {
        case 1: {
            Strip s;
            P(s, -h, -h), P(s, h, h), P(s, -h, h), P(s, h, -h), P(s, -h, -h);
            strips.push_back(s);
            break;
        }
        case 2: {
            const float rx = std::trunc(x + 0.5f), ry = std::trunc(y + 0.5f), th = std::trunc(h);
            strips.push_back({rx - th, ry, rx + th + 1, ry});
            strips.push_back({rx, ry - th, rx, ry + th + 1});
            break;
        }
        case 3: {
            Strip s;
            P(s, -h, -h), P(s, h, -h), P(s, h, h), P(s, -h, h), P(s, -h, -h);
            strips.push_back(s);
            break;
        }
        case 4: {
            Strip s;
            P(s, -h, 0), P(s, 0, -h), P(s, h, 0), P(s, 0, h), P(s, -h, 0);
            strips.push_back(s);
            break;
        }
        case 5: {
            Strip s;
            P(s, -h, 0), P(s, -h / 2, -h), P(s, h / 2, -h), P(s, h, 0), P(s, h / 2, h), P(s, -h / 2, h), P(s, -h, 0);
            strips.push_back(s);
            break;
        }
        case 6: strips.push_back(Circle(x, y, h)); break;
        case 7: {
            Strip s;
            P(s, 2, 1), P(s, 1, 2), P(s, -1, 2), P(s, -2, 1), P(s, -2, -1), P(s, -1, -2), P(s, 1, -2), P(s, 2, -1),
                P(s, 2, 1);
            strips.push_back(s);
            strips.push_back(Circle(x, y, h));
            break;
        }
        case 8: {
            const float k1 = std::trunc(h * (9.0f / 11.0f)), k2 = std::trunc(h * (7.0f / 11.0f)),
                        k3 = std::trunc(h * (6.0f / 11.0f)), k4 = std::trunc(h * (4.0f / 11.0f)),
                        k5 = std::trunc(h * (8.0f / 11.0f));
            const float px[13] = {h, k1, k2, 0, -k2, -k1, -h, -k1, -k2, 0, k2, k1, h};
            const float py[13] = {0, k4, k3, k5, k3, k4, 0, -k4, -k3, -k5, -k3, -k4, 0};
            Strip s;
            for (int i = 0; i < 13; ++i) P(s, px[i], py[i]);
            strips.push_back(s);
            Strip stroke;
            P(stroke, 0, h + 2), P(stroke, 0, -h - 2);
            strips.push_back(stroke);
            break;
        }
        case 9:
            if (gl) {
                strips.push_back(Circle(x, y, h));
            } else {
                Strip s;
                P(s, 0, 0), P(s, 0, 0);
                strips.push_back(s);
            }
            break;
        default: break;
    }
    return strips;
}

// How far (pixels) the marker drawer's outline of `style` and `size` reaches from its centre: half
// the size, one more for the plus's far arms, the small octagon's 2 pixels whatever the size, the
// stroke's 2 pixels beyond the flattened circle.
int MarkerReach(int style, int size)
{
    const int h = std::max(size, 0) / 2;
    switch (style) {
        case 2: return h + 1;
        case 7: return std::max(h, 2);
        case 8: return h + 2;
        default: return h;
    }
}

// The display manager's points palette, null when there is none.
CDsPointsPalette* Palette()
{
    return CDsManager::GetInstance()->GetPointsPalette();
}

// The pixel a window point (rows counted down) lies in, its row turned as gluProject's pixel would
// be: floor of the row counted up, turned down again.
int PixelRowDown(float yDown, int height)
{
    const int up = static_cast<int>(std::floor(float(height - 1) - yDown));
    return height - 1 - up;
}

}  // namespace

// === The marker drawer ==========================================================================

void CDsPointMarker::StDraw(int style, float x, float y, int size, bool gl, bool thick, bool already2d, view3d& view)
{
    if (style < 1 || style > 9 || !std::isfinite(x) || !std::isfinite(y)) return;
    const float h = static_cast<float>(std::max(size, 0) / 2);
    const Strips strips = Shape(style, x, y, h, gl);
    if (gl) {
        if (!already2d) view.Start2dDraw();
        for (const Strip& s : strips)
            CDsItemPolyline2D::DrawGlStrip(&view, int(s.size() / 2), s.data(), false, true);
        if (!already2d) view.End2dDraw();
        return;
    }
    const bool dot = style == 9 && thick;
    const int width = view.get_line_width();
    if (dot) view.set_line_width(static_cast<int>(2.0f * h));
    for (const Strip& s : strips) view.draw_polyline_2d(int(s.size() / 2), s.data(), 0);
    if (dot) view.set_line_width(width);
}

// === CDsItemPointFixed ==========================================================================

CDsItemPointFixed::CDsItemPointFixed(const CGmPosition& position, EPointStyle style, int size, int offset,
                                     const CGmUnitVector& direction)
    : m_style(style), m_size(size), m_offset(offset), m_direction(direction)
{
    auto tidy = [](double v) { return std::fabs(v) < 1e-5 ? 0.0 : v; };
    m_position = CGmPosition(tidy(position.x()), tidy(position.y()), tidy(position.z()));
    GetAttributes()->SetOnTopFlag(true);
}

CGmPosition CDsItemPointFixed::GetDisplayedPosition(const view3d& view) const
{
    if (m_offset == 0) return m_position;
    const double step = double(m_offset) * view.get_units_per_pixel();
    const SPAposition p = m_position + step * SPAvector(m_direction);
    return CGmPosition(p.x(), p.y(), p.z());
}

void CDsItemPointFixed::DrawMarkerGl(view3d& view)
{
    float x = 0.0f, y = 0.0f;
    if (!DsProjectUp(view, GetDisplayedPosition(view), x, y)) return;
    CDsPointMarker::StDraw(m_style, x, y, m_size, true, false, false, view);
}

void CDsItemPointFixed::DrawGl(view3d& view)
{
    if (GetAttributes()->GetStyle() == CDsLineAttribStorage::kInheritStyle) glDisable(GL_LINE_STIPPLE);
    DrawMarkerGl(view);
}

void CDsItemPointFixed::DrawGeometry(view3d& view)
{
    DrawMarkerGl(view);
}

int CDsItemPointFixed::DrawnReach() const
{
    // The palette's bitmap is as wide as the size class it falls in (5 pixels for any size up to
    // 5), the marker drawer's outline half the size about the point's pixel.
    const int bitmap = CDsPointsPalette::StGetMarkerPixels(CDsPointsPalette::StGetSizeClass(m_size)) / 2;
    return std::max(bitmap, std::max(m_size, 0) / 2);
}

int CDsItemPointFixed::PickMargin() const
{
    // The aperture tests are strict on both sides: one more than the reach takes the marker's
    // outermost pixels. Larger sizes keep the size itself.
    return std::max(std::max(m_size, 0), DrawnReach() + 1);
}

bool CDsItemPointFixed::GetBoundBox2D(SDsBox2D& box)
{
    const int h = std::max(static_cast<int>(std::ceil((m_size != 0 ? m_size : 10) * 0.5)), DrawnReach());
    box.minX = box.minY = -h;
    box.maxX = box.maxY = h;
    return true;
}

EDsItemsType CDsItemPointFixed::GetItemType()
{
    return eDsItemPointFixed;
}

void CDsItemPointFixed::Transform(const SPAtransf& transform)
{
    const SPAposition p = SPAposition(m_position) * transform;
    m_position = CGmPosition(p.x(), p.y(), p.z());
}

void CDsItemPointFixed::Refresh(view3d& view)
{
    CDsPointsPalette* palette = Palette();
    if (!palette) return;
    SetAttributesToView(&view);
    const CGmPosition at = GetDisplayedPosition(view);
    palette->DrawMarker(m_size, m_style, view, at);
}

void CDsItemPointFixed::RefreshIn2d(view3d& view)
{
    CDsPointsPalette* palette = Palette();
    if (!palette) return;
    SetAttributesToView(&view);
    palette->DrawMarkerOnTraverse(m_size, m_style, view, GetDisplayedPosition(view), true);
}

void CDsItemPointFixed::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    extrema.DrawPoint2d(GetDisplayedPosition(extrema));
}

void CDsItemPointFixed::Plot(view3d& view)
{
    DrawGdi(view);
}

bool CDsItemPointFixed::IsInClipableFigure() const
{
    for (const CDsItemsGroup* group = GetParent(); group; group = group->GetParent()) {
        const auto* figureGroup = dynamic_cast<const CDsItemsFigure*>(group);
        if (figureGroup && figureGroup->GetFigure()) return figureGroup->GetFigure()->IsClip_able();
    }
    return false;
}

bool CDsItemPointFixed::IsCutBySection(const view3d& view) const
{
    if (!IsInClipableFigure()) return false;
    const auto* core = dynamic_cast<const CDsView3dCdc*>(&view);
    CDsGlContext* context = core ? core->GetGlContext() : nullptr;
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    if (!scene || !scene->HasSection()) return false;
    // The place the marker is drawn and picked at: under the view's model transform when one is
    // applied (a pick of a placed figure), as the projection takes it.
    SPAposition at = GetDisplayedPosition(view);
    if (view.is_model_transform_enabled()) at = at * view.get_model_transform();
    return scene->IsPointClipped(at);
}

bool CDsItemPointFixed::Pick(view3d* view)
{
    if (!view) return false;
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        // Asked for window pixels (a region pick's wholly-inside test): the marker's set pixels
        // where the palette places it.
        CDsPointsPalette* palette = extrema->GetMeasuresPixelLines() ? Palette() : nullptr;
        if (!palette) {
            extrema->DrawPoint2d(m_position);
            return true;
        }
        if (CDsItemBitmap* marker = palette->PlaceMarker(m_size, m_style, *view, GetDisplayedPosition(*view)))
            marker->Pick(view);
        return true;
    }
    if (IsCutBySection(*view)) return false;
    float x = 0.0f, y = 0.0f;
    int height = -1;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(GetDisplayedPosition(*view), view, x, y, &height,
                                                                   true))
        return false;
    int cx = 0, cy = 0, w = 0, h = 0;
    view->get_pick_aperture(cx, cy, w, h);
    // Both the aperture and the projection count rows down: compared as they come.
    const int row = PixelRowDown(y, height);
    const int margin = PickMargin();
    if (!(float(cx - w / 2 - margin) < x && x < float(cx + w / 2 + margin) && cy - h / 2 - margin < row &&
          row < cy + h / 2 + margin))
        return false;
    // Only a marker the window shows: one whose pixels all lie beyond the viewport's edge shows
    // nothing, whatever part of the aperture reaches out there.
    SDsBox2D reach;
    GetBoundBox2D(reach);
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    const int column = static_cast<int>(std::floor(x));
    return column + reach.maxX >= 0 && column + reach.minX < vw && row + reach.maxY >= 0 && row + reach.minY < vh;
}

bool CDsItemPointFixed::Pick(pick_manager* manager)
{
    if (!manager) return false;
    view3d* view = CDsView3dCdc::StGetCurrent();
    if (!view) view = manager->get_view();
    if (!view || IsCutBySection(*view)) return false;
    if (!CDsAcisPick::StCheckIfPoint3dIsInApperture(manager, GetDisplayedPosition(*view), PickMargin()))
        return false;
    return manager->save_current_if_ok() != 0;
}

long CDsItemPointFixed::DrawPoints(view3d& view, long mask)
{
    return (mask & 0x200) && Pick(&view) ? 512 : 0;
}

int CDsItemPointFixed::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 0;
}

int CDsItemPointFixed::GetVertices(CDsGeometry::eDrawPrimitives, int, float*& vertices, int&)
{
    vertices = nullptr;
    return -1;
}

bool CDsItemPointFixed::GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position)
{
    if (which != CDsGeometry::ePpPoint) return false;
    position = m_position;
    return true;
}

int CDsItemPointFixed::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpPoints;
}

void CDsItemPointFixed::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    CDsClipPlanesOff unclipped(view);
    if (!(kinds & CDsGeometry::eDpPoints) || IsCutBySection(view)) return;
    // The point's own colour, as Refresh gives it: the palette's marker inherits the colour, and
    // the walk's is that of the whole figure, not of the pen this point was drawn with.
    if (applyAttributes) SetAttributesToView(&view);
    if (applyAttributes && GetAttributes()->GetStyle() == CDsLineAttribStorage::kInheritStyle)
        glDisable(GL_LINE_STIPPLE);
    if (CDsPointsPalette* palette = Palette())
        palette->DrawMarkerOnTraverse(m_size, m_style, view, GetDisplayedPosition(view), applyAttributes);
}

bool CDsItemPointFixed::GetBoundBox(SPAbox& box)
{
    const SPAposition at = m_position + double(m_offset) * SPAvector(m_direction);
    box = SPAbox(at, at);
    return true;
}

int CDsItemPointFixed::DrawGdi(view3d& view)
{
    view.set_line_style(line_style_solid);
    view.set_point_style(static_cast<point_style>(m_style));
    view.set_point_size(m_size);
    float x = 0.0f, y = 0.0f;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(GetDisplayedPosition(view), &view, x, y))
        return 0;
    // The current view's OpenGL context is made current for what follows (a printed picture draws
    // into the view's own context).
    CDsView3dCdc::StGetCurrent();
    const int size = CDsView3dCdc::StCheckIfPlotIsActive() ? 2 * m_size : m_size;
    CDsPointMarker::StDraw(m_style, x, y, size, false, true, false, view);
    return 0;
}

// === CDsItemPointReference ======================================================================

CDsItemPointReference::CDsItemPointReference(int distanceX, int distanceY, EPointStyle style, int size)
    : m_distanceX(distanceX), m_distanceY(distanceY), m_style(style), m_size(size)
{
    GetAttributes()->SetOnTopFlag(true);
}

void CDsItemPointReference::GetScreenPlace(const view3d& view, int& x, int& y) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    x = vw - m_distanceX;
    y = vh - m_distanceY;
}

void CDsItemPointReference::DrawGl(view3d& view)
{
    if (GetAttributes()->GetStyle() == CDsLineAttribStorage::kInheritStyle) glDisable(GL_LINE_STIPPLE);
    int x = 0, y = 0;
    GetScreenPlace(view, x, y);
    CDsPointMarker::StDraw(m_style, float(x), float(y), m_size, true, false, false, view);
}

bool CDsItemPointReference::GetBoundBox2D(SDsBox2D& box)
{
    const int h = (m_size != 0 ? m_size : 10) / 2;
    box.minX = box.minY = -h;
    box.maxX = box.maxY = h;
    return true;
}

EDsItemsType CDsItemPointReference::GetItemType()
{
    return eDsItemPointReference;
}

void CDsItemPointReference::Refresh(view3d& view)
{
    if (GetAttributes()->GetStyle() == CDsLineAttribStorage::kInheritStyle) glDisable(GL_LINE_STIPPLE);
    glLineWidth(1.0f);
    DrawGl(view);
}

void CDsItemPointReference::Plot(view3d& view)
{
    DrawGdi(view);
}

int CDsItemPointReference::PickMargin() const
{
    // As the fixed point's: one more than the outline's reach takes its outermost pixels, which lie
    // beside the place's pixel edges; larger sizes keep the size itself.
    return std::max(std::max(m_size, 0), MarkerReach(m_style, m_size) + 1);
}

bool CDsItemPointReference::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    int x = 0, y = 0;
    GetScreenPlace(*view, x, y);
    return CDsAcisPick::StCheckIfPoint2dIsInApperture(manager, x, y, PickMargin());
}

long CDsItemPointReference::DrawPoints(view3d&, long)
{
    return 0;
}

int CDsItemPointReference::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 0;
}

bool CDsItemPointReference::GetPoint(CDsGeometry::eParameterPoints, SPAposition&)
{
    return false;
}

int CDsItemPointReference::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpPoints;
}

void CDsItemPointReference::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpPoints)) return;
    if (applyAttributes) SetAttributesToView(&view);
    if (applyAttributes && GetAttributes()->GetStyle() == CDsLineAttribStorage::kInheritStyle)
        glDisable(GL_LINE_STIPPLE);
    int x = 0, y = 0;
    GetScreenPlace(view, x, y);
    CDsPointMarker::StDraw(m_style, float(x), float(y), m_size, true, false, true, view);
}

int CDsItemPointReference::DrawGdi(view3d& view)
{
    view.set_line_style(line_style_solid);
    view.set_point_style(static_cast<point_style>(m_style));
    view.set_point_size(m_size);
    CDsView3dCdc* current = CDsView3dCdc::StGetCurrent();
    const int height = DsViewportHeight(current ? static_cast<view3d&>(*current) : view);
    const float x = float(m_distanceX), y = float(height - m_distanceY + 1);
    const int size = CDsView3dCdc::StCheckIfPlotIsActive() ? 2 * m_size : m_size;
    CDsPointMarker::StDraw(m_style, x, y, size, false, true, false, view);
    return 0;
}
