// The arrow groups: the fixed arrow rebuilt from the view, and the reference arrow that makes one
// for each operation.
#include "DsItemsArrowFixed.h"

#include "DsGeometryComputer.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsScreenSpace.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>

namespace {

// Below this many pixels between tip and tail the arrow has no direction on screen.
constexpr float kDegenerate = 1e-3f;

}  // namespace

// === CDsItemsArrowFixed =========================================================================

CDsItemsArrowFixed::CDsItemsArrowFixed(const CGmPosition& base, const CGmVector& direction, int length, int gap,
                                       bool screenFixed, int offsetX, int offsetY, int markerSize)
    : CDsItemsGroup(nullptr, nullptr),
      m_arrowFlags(kFlagMarker | kFlagFastLine),
      m_base(base),
      m_screenFixed(screenFixed),
      m_offsetX(offsetX),
      m_offsetY(offsetY)
{
    m_length = 1;
    SetVector(direction);
    m_length = length;
    m_gap = gap;
    Reserve(4);
    for (int i = 0; i < 3; ++i) Add(new CDsItemPolyline2D);
    const int size = markerSize != 0 ? markerSize : length / 6;
    CDsItemBase* marker = nullptr;
    if (screenFixed)
        marker = new CDsItemPointReference(offsetX, offsetY, static_cast<EPointStyle>(9), size);
    else
        marker = new CDsItemPointFixed(base, static_cast<EPointStyle>(6), size, gap, m_direction);
    if (marker) Add(marker);
    GetAttributes()->SetOnTopFlag(true);
}

void CDsItemsArrowFixed::SetVector(const CGmVector& direction)
{
    const bool finite = std::isfinite(direction.x()) && std::isfinite(direction.y()) && std::isfinite(direction.z());
    m_direction = finite ? CGmUnitVector(SPAvector(direction)) : CGmUnitVector();
    if (Count() == 4)
        if (auto* marker = dynamic_cast<CDsItemPointFixed*>(Get(3))) marker->SetDirection(m_direction);
}

CDsItemPolyline2D* CDsItemsArrowFixed::ShapePart(int index) const
{
    return dynamic_cast<CDsItemPolyline2D*>(Get(index));
}

bool CDsItemsArrowFixed::Project(view3d& view, const SPAposition& p, float& x, float& y)
{
    return DsProjectUp(view, CGmPosition(p.x(), p.y(), p.z()), x, y);
}

void CDsItemsArrowFixed::UpdateParts(view3d& view)
{
    const double u = view.get_units_per_pixel();
    const SPAvector d(m_direction);
    const double L = m_length, G = m_gap;
    const SPAposition nearEnd = m_base + (G * u) * d;
    const SPAposition farEnd = m_base + ((L + G) * u) * d;
    const SPAvector span = farEnd - nearEnd;
    const SPAposition middle = nearEnd + 0.55 * span;
    const SPAposition tail = nearEnd + 0.1 * span;

    float ax = 0, ay = 0, mx = 0, my = 0, tx = 0, ty = 0;
    const bool projected = std::isfinite(u) && u > 0.0 && Project(view, farEnd, ax, ay) &&
                           Project(view, middle, mx, my) && Project(view, tail, tx, ty);
    const float dx = ax - tx, dy = ay - ty;
    const float along = std::sqrt(dx * dx + dy * dy);
    m_hasShape = projected && std::isfinite(along) && along > kDegenerate;

    float head[8] = {}, left[4] = {}, right[4] = {};
    if (m_hasShape) {
        // The unit normal of the axis on screen, and half the head's width.
        const float nx = -dy / along, ny = dx / along;
        const float w = 0.1f * float(m_length);
        const float h[8] = {ax, ay, mx + w * nx, my + w * ny, mx - w * nx, my - w * ny, ax, ay};
        const float l[4] = {tx + nx, ty + ny, mx + nx, my + ny};
        const float r[4] = {tx - nx, ty - ny, mx - nx, my - ny};
        std::copy(h, h + 8, head);
        std::copy(l, l + 4, left);
        std::copy(r, r + 4, right);
        if (m_screenFixed) {
            float bx = 0, by = 0;
            int vx = 0, vy = 0, vw = 0, vh = 0;
            view.get_viewport(vx, vy, vw, vh);
            if (Project(view, m_base, bx, by)) {
                const float sx = float(vw - m_offsetX) - bx, sy = float(vh - m_offsetY) - by;
                for (int i = 0; i < 8; i += 2) head[i] += sx, head[i + 1] += sy;
                for (int i = 0; i < 4; i += 2) left[i] += sx, left[i + 1] += sy, right[i] += sx, right[i + 1] += sy;
            }
        }
        m_extent[0] = head[0];
        m_extent[1] = head[1];
        m_extent[2] = left[0];
        m_extent[3] = left[1];
    }

    const float* points[3] = {head, left, right};
    const int counts[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        CDsItemPolyline2D* part = ShapePart(i);
        if (!part) continue;
        part->SetPoints(m_hasShape ? counts[i] : 0, points[i]);
        part->SetClosed(i == 0);
        part->GetAttributes()->CopyObject(*GetAttributes());
    }
}

bool CDsItemsArrowFixed::BodyIsPicked(pick_manager* manager)
{
    CDsItemBase* first = Get(1);
    CDsItemBase* second = Get(2);
    return (first && first->Pick(manager)) || (second && second->Pick(manager));
}

bool CDsItemsArrowFixed::HeadIsPicked(pick_manager* manager)
{
    CDsItemBase* head = Get(0);
    return head && head->Pick(manager);
}

bool CDsItemsArrowFixed::GetTipPosition(SPAposition& tip)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    const double u = view->get_units_per_pixel();
    tip = m_base + (double(m_length + m_gap) * u) * SPAvector(m_direction);
    return true;
}

bool CDsItemsArrowFixed::GetAnchorInWindow(view3d& view, float& x, float& y)
{
    if (!m_screenFixed) return Project(view, m_base, x, y);
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    x = float(vw - m_offsetX);
    y = float(vh - m_offsetY);
    return true;
}

bool CDsItemsArrowFixed::GetBoundBox2D(SDsBox2D& box)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    // The anchor (the point of GetBoundBox, about which the walks place this box) and the marker's
    // own point: the near end, or for a screen-fixed arrow the anchor itself.
    float bx = 0.0f, by = 0.0f;
    if (!GetAnchorInWindow(*view, bx, by)) return false;
    const double u = view->get_units_per_pixel();
    float nx = bx, ny = by;
    if (!m_screenFixed && !Project(*view, m_base + (double(m_gap) * u) * SPAvector(m_direction), nx, ny)) return false;
    UpdateParts(*view);
    // Head and shaft lie in window pixels with rows counted up; the box counts rows down from the
    // anchor, as every anchored box does: turned over, then moved.
    SDsBox2D shape;
    shape.SetEmpty();
    for (int i = 0; i < 3; ++i) {
        SDsBox2D part;
        part.SetEmpty();
        if (CDsItemBase* child = Get(i); child && child->GetBoundBox2D(part) && part.minX <= part.maxX)
            shape.Expand(part);
    }
    box.SetEmpty();
    if (shape.minX <= shape.maxX && shape.minY <= shape.maxY) {
        box.minX = shape.minX;
        box.maxX = shape.maxX;
        box.minY = -shape.maxY;
        box.maxY = -shape.minY;
        box.Offset(-bx, by);
    }
    // The marker's box is about its own point, the near end (a screen-fixed marker: the anchor).
    if (CDsItemBase* marker = Get(3)) {
        SDsBox2D own;
        own.SetEmpty();
        if (marker->GetBoundBox2D(own) && own.minX <= own.maxX && own.minY <= own.maxY) {
            own.Offset(nx - bx, by - ny);
            box.Expand(own);
        }
    }
    return true;
}

EDsItemsType CDsItemsArrowFixed::GetItemType()
{
    return eDsItemsArrowFixed;
}

void CDsItemsArrowFixed::Transform(const SPAtransf& transform)
{
    const SPAposition base = SPAposition(m_base) * transform;
    m_base = CGmPosition(base.x(), base.y(), base.z());
    const SPAunit_vector direction = SPAunit_vector(m_direction) * transform;
    SetVector(CGmVector(direction.x(), direction.y(), direction.z()));
    if (m_arrowFlags & kFlagMarker)
        if (CDsItemBase* marker = Get(3)) marker->Transform(transform);
}

void CDsItemsArrowFixed::Refresh(view3d& view)
{
    if (view.GetFlag(eDsViewFlagFastRefresh) && (m_arrowFlags & kFlagFastLine)) {
        const double u = view.get_units_per_pixel();
        float line[4] = {};
        if (!Project(view, m_base + (double(m_length) * u) * SPAvector(m_direction), line[0], line[1]) ||
            !Project(view, m_base, line[2], line[3]))
            return;
        CDsItemPolyline2D single(2, line, nullptr);
        single.GetAttributes()->SetAttributesToView(&view);
        single.DrawGl(view);
        return;
    }
    UpdateParts(view);
    // Head, shaft and marker share one 2-D mode. The three strips carry the arrow's attributes
    // (UpdateParts copied them): set once, each strip then drawn as its own Refresh would.
    CDsItemPolyline2D* const parts[3] = {ShapePart(0), ShapePart(1), ShapePart(2)};
    bool in2d = false;
    if (parts[0] && parts[1] && parts[2]) {
        parts[0]->SetAttributesToView(&view);
        if (m_hasShape) {
            view.Start2dDraw();
            in2d = true;
            for (const CDsItemPolyline2D* part : parts) part->DrawStrip();
        }
    } else {
        for (int i = 0; i < 3; ++i)
            if (CDsItemBase* child = Get(i)) child->Refresh(view);
    }
    CDsItemBase* marker = (m_arrowFlags & kFlagMarker) ? Get(3) : nullptr;
    auto* fixed = in2d ? dynamic_cast<CDsItemPointFixed*>(marker) : nullptr;
    if (fixed) fixed->RefreshIn2d(view);
    if (in2d) view.End2dDraw();
    if (marker && !fixed) marker->Refresh(view);
}

void CDsItemsArrowFixed::DrawGeometry(view3d& view)
{
    UpdateParts(view);
    for (int i = 0; i < 4; ++i)
        if (CDsItemBase* child = Get(i)) child->DrawGeometry(view);
}

bool CDsItemsArrowFixed::Pick(view3d* view)
{
    if (!view) return false;
    UpdateParts(*view);
    for (int i = 0; i < 4; ++i)
        if (CDsItemBase* child = Get(i); child && child->Pick(view)) return true;
    return false;
}

bool CDsItemsArrowFixed::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    UpdateParts(*view);
    for (int i = 0; i < 3; ++i)
        if (CDsItemBase* child = Get(i); child && child->Pick(manager)) return manager->save_current_if_ok() != 0;
    return false;
}

void CDsItemsArrowFixed::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpPoints)) return;
    UpdateParts(view);
    for (int i = 0; i < Count(); ++i) GetFast(i)->DrawOnTraverse(view, kinds, applyAttributes);
}

bool CDsItemsArrowFixed::GetBoundBox(SPAbox& box)
{
    box = SPAbox(m_base, m_base);
    return true;
}

// === CDsItemsArrowReference =====================================================================

CDsItemsArrowReference::CDsItemsArrowReference(int offsetX, int offsetY, int size, const CGmVector* direction)
    : CDsItemsGroup(nullptr, nullptr),
      m_offsetX(offsetX),
      m_offsetY(offsetY),
      m_size(size),
      m_direction(direction ? *direction : CGmVector(1.0, 0.0, 0.0))
{
    if (offsetX == -1 || offsetY == -1) m_offsetX = m_offsetY = size * 3 / 2;
}

bool CDsItemsArrowReference::Anchor(view3d& view, SPAposition& anchor) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    return CDsGeometryComputer::GetInstance()->Convert2dCoordsTo3dPositionOnViewTargetPlane(
        vw - m_offsetX, vh - m_offsetY, &view, anchor);
}

CDsItemsArrowFixed* CDsItemsArrowReference::MakeArrow(view3d& view) const
{
    SPAposition anchor;
    if (!Anchor(view, anchor)) return nullptr;
    auto* arrow = new CDsItemsArrowFixed(CGmPosition(anchor.x(), anchor.y(), anchor.z()), m_direction, m_size, 0,
                                         true, m_offsetX, m_offsetY, 0);
    arrow->SetArrowFlags(arrow->GetArrowFlags() & ~CDsItemsArrowFixed::kFlagFastLine);
    arrow->GetAttributes()->CopyObject(*GetAttributes());
    arrow->GetAttributes()->SetOnTopFlag(true);
    if (CDsItemBase* marker = arrow->Get(3)) marker->SetOnTopFlag(true);
    return arrow;
}

bool CDsItemsArrowReference::BodyIsPicked(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    const std::unique_ptr<CDsItemsArrowFixed> arrow(MakeArrow(*view));
    if (!arrow) return false;
    arrow->UpdateParts(*view);
    return arrow->BodyIsPicked(manager);
}

bool CDsItemsArrowReference::HeadIsPicked(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    const std::unique_ptr<CDsItemsArrowFixed> arrow(MakeArrow(*view));
    if (!arrow) return false;
    arrow->UpdateParts(*view);
    return arrow->HeadIsPicked(manager);
}

EDsItemsType CDsItemsArrowReference::GetItemType()
{
    return eDsItemsArrowReference;
}

void CDsItemsArrowReference::Refresh(view3d& view)
{
    if (CDsView3dCdc::StCheckIfPlotIsActive()) return;
    const std::unique_ptr<CDsItemsArrowFixed> arrow(MakeArrow(view));
    if (!arrow) return;
    const bool depth = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    const bool lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    const bool normalize = glIsEnabled(GL_NORMALIZE) == GL_TRUE;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    arrow->Refresh(view);
    if (depth) glEnable(GL_DEPTH_TEST);
    if (lighting) glEnable(GL_LIGHTING);
    if (normalize) glEnable(GL_NORMALIZE);
}

bool CDsItemsArrowReference::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    const std::unique_ptr<CDsItemsArrowFixed> arrow(MakeArrow(*view));
    return arrow && arrow->Pick(manager);
}

int CDsItemsArrowReference::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpPoints | CDsGeometry::eDpLines;
}

void CDsItemsArrowReference::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    const std::unique_ptr<CDsItemsArrowFixed> arrow(MakeArrow(view));
    if (!arrow) return;
    view.enable_model_transform();
    arrow->DrawOnTraverse(view, kinds, applyAttributes);
}

bool CDsItemsArrowReference::GetBoundBox(SPAbox& box)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    SPAposition anchor;
    if (!view || !Anchor(*view, anchor)) return false;
    box = SPAbox(anchor, anchor);
    return true;
}
