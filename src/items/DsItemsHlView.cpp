#include "DsItemsHlView.h"

#include "DsDriverExtrema.h"
#include "DsGeometryComputer.h"
#include "DsGlPenSaver.h"
#include "DsItemPolygonsArray.h"
#include "DsLineAttribStorage.h"
#include "DsPickSessionData.h"
#include "DsRefPoint.h"
#include "DsSelectAllData.h"
#include "DsShownFrame.h"
#include "DsTypeMask.h"

#include "DsColorStorage.h"
#include "SpaFilters.h"
#include "SpaEntity.h"
#include "UiPickEvent.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

CDsItemsHlView::CDsItemsHlView(ENTITY* entity, bool showSecondSet)
    : CDsItemsGroup(nullptr, entity), m_showSecondSet(showSecondSet)
{
    Add(new CDsItemsGroup(nullptr, nullptr));
    Add(new CDsItemsGroup(nullptr, nullptr));
}

CDsItemsHlView::~CDsItemsHlView()
{
    delete m_background;
}

CDsItemsGroup* CDsItemsHlView::Set(int index) const
{
    return static_cast<CDsItemsGroup*>(Get(index));
}

// --- Attributes and transformation --------------------------------------------------------------

void CDsItemsHlView::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    CDsItemBase::SetAttribute(attribute, on, recurse);
    for (int i = 0; i < Count(); ++i) GetFast(i)->SetAttribute(attribute, on, recurse);
}

EDsItemsType CDsItemsHlView::GetItemType()
{
    return eDsItemsHlView;
}

// The frames draw a filed view from the scene's root group, past the scene database: a view that
// moves tells its context itself (NoteContentChanged), so that the next refresh draws it where it
// now is.

void CDsItemsHlView::SetTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::SetTransformation(transform);
    UpdateBox();
    NoteContentChanged();
}

void CDsItemsHlView::MultiplyTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::MultiplyTransformation(transform);
    UpdateBox();
    NoteContentChanged();
}

void CDsItemsHlView::Transform(const SPAtransf& transform)
{
    CDsItemsGroup::Transform(transform);
    UpdateBox();
    NoteContentChanged();
}

void CDsItemsHlView::UpdateBox()
{
    m_box.ResetMembers();
    SPAtransf transform = GetTransformation();
    // The sets themselves: a hidden set still has an extent.
    for (int i = 0; i < Count(); ++i) GetFast(i)->ExpandBox(m_box, &transform);
    m_backgroundBuilt = false;
}

void CDsItemsHlView::EnsureBox()
{
    if (m_box.IsNotComputed()) UpdateBox();
}

void CDsItemsHlView::SetSegmentsVisibility(EVisibilityLevel level, bool on, bool)
{
    CDsItemBase::SetVisibility(level, on, false, nullptr);
    for (int i = 0; i < Count(); ++i) GetFast(i)->SetVisibility(level, on, true, nullptr);
    // Its curves look otherwise now: the context is told, as for a move.
    NoteContentChanged();
}

// --- Bounds ---------------------------------------------------------------------------------------

void CDsItemsHlView::ExpandBox(CDsBox& box, SPAtransf*)
{
    EnsureBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box);
}

void CDsItemsHlView::ComputeBounds2D(view3d* view)
{
    if (!view) return;
    EnsureBox();
    m_box.ComputeBounds2D(view, true);
    PushMatrixGdi(*view);
    for (int i = 0; i < Count(); ++i) GetFast(i)->ComputeBounds2D(view);
    PopMatrixGdi(*view);
}

bool CDsItemsHlView::GetBox(CGmPosition& low, CGmPosition& high, bool local)
{
    CDsBox box;
    if (CDsItemBase* first = Get(0)) first->ExpandBox(box, nullptr);
    if (box.IsNotComputed()) return false;
    if (!local && HasTransformation()) {
        const SPAtransf inverse = GetTransformation().inverse();
        CDsBox mapped;
        mapped.ExpandBox(box, &inverse);
        box = mapped;
    }
    box.GetMin(low);
    box.GetMax(high);
    return true;
}

bool CDsItemsHlView::IsInView(view3d* view, bool aperture)
{
    if (!view) return false;
    EnsureBox();
    if (m_box.IsNotComputed()) return false;
    if (m_box.GetScreenRectangle().GetView() != view || m_box.GetScreenRectangle().IsEmpty())
        m_box.ComputeBounds2D(view, true);
    return m_box.CheckExtremesOverlap(view, aperture);
}

bool CDsItemsHlView::IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside)
{
    if (IsHidden()) return false;
    if (acceptOutside) return true;
    return IsInView(view, testExtremes);
}

// --- Drawing --------------------------------------------------------------------------------------

void CDsItemsHlView::DrawPass(view3d& view, int pass)
{
    if (IsHidden() || !IsInView(&view, false)) return;
    PushMatrix();
    // The pen the segments inherit, given back afterwards: the renderer draws the views past the
    // walk, where the colour in force is whatever was drawn last. The colour inherited colours
    // rest on (special set 0, as for level 7), then the view's own attributes.
    const CDsGlPenSaver pen;
    const CDsLineAttribStorage* normal = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal);
    CDsLineAttribStorage base =
        normal ? *normal : CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetNormal);
    base.SetAttributesToView(&view);
    SetAttributesToView(&view);
    if (m_showSecondSet && !view.GetFlag(eDsViewFlagFastRefresh)) DrawSet(Set(1), view);
    if (pass == 1) DrawSet(Set(0), view);
    PopMatrix();
}

void CDsItemsHlView::DrawSet(CDsItemsGroup* set, view3d& view)
{
    if (set->IsHidden()) return;
    // Its segments inherit the set's pen, on the view's.
    const CDsGlPenSaver pen;
    set->SetAttributesToView(&view);
    set->Refresh(view);
}

void CDsItemsHlView::SetViewContext(CDsGlContext* context)
{
    SetGlContext(context);
    for (int i = 0; i < Count(); ++i) GetFast(i)->SetGlContext(context);
}

bool CDsItemsHlView::BackgroundRectangle(double points[12])
{
    EnsureBox();
    if (m_box.IsNotComputed()) return false;
    const float* lo = m_box.GetMin();
    const float* hi = m_box.GetMax();
    const double d = m_margin * std::min(hi[0] - lo[0], hi[1] - lo[1]);
    const double z = (lo[2] + hi[2]) * 0.5;
    // Two rows of two points: the lower edge, then the upper edge (one strip of two triangles).
    const double corners[12] = {lo[0] - d, lo[1] - d, z, hi[0] + d, lo[1] - d, z,
                                lo[0] - d, hi[1] + d, z, hi[0] + d, hi[1] + d, z};
    std::copy(corners, corners + 12, points);
    return true;
}

void CDsItemsHlView::BuildBackgroundRectangle()
{
    if (m_backgroundBuilt || !m_background) return;
    double points[12];
    if (!BackgroundRectangle(points)) return;
    m_background->SetPoints(4, points, nullptr);
    m_backgroundBuilt = true;
    ++m_backgroundBuilds;
}

bool CDsItemsHlView::GetDrawnBackground(SPAposition corners[4])
{
    // As DrawBackground draws it (a background item hidden on its own item draws nothing).
    double points[12];
    if (IsHidden() || !m_background || m_background->IsHidden() || !BackgroundRectangle(points)) return false;
    for (int i = 0; i < 4; ++i) corners[i] = SPAposition(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
    return true;
}

void CDsItemsHlView::ExpandDrawnBox(CDsBox& box)
{
    if (IsHidden()) return;
    EnsureBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box);
    SPAposition corners[4];
    if (GetDrawnBackground(corners))
        for (const SPAposition& corner : corners)
            box.Expand(static_cast<float>(corner.x()), static_cast<float>(corner.y()), static_cast<float>(corner.z()));
}

void CDsItemsHlView::DrawDrawnExtremes(CDsViewExtrema& extrema)
{
    if (IsHidden()) return;
    DrawExtremes(extrema, nullptr);
    if (m_showSecondSet) {
        PushMatrixGdi(extrema);
        Set(1)->DrawExtremes(extrema, nullptr);
        PopMatrixGdi(extrema);
    }
    // The background rectangle lies under the transformation already.
    SPAposition corners[4];
    if (GetDrawnBackground(corners))
        for (const SPAposition& corner : corners) extrema.DrawPoint2d(corner);
}

void CDsItemsHlView::DrawBackground(view3d& view)
{
    if (IsHidden() || !m_background) return;
    BuildBackgroundRectangle();
    if (m_backgroundBuilt) m_background->Refresh(view);
}

void CDsItemsHlView::SetBackground(bool on, const CDsColorStorage* color, float margin, float transparency)
{
    m_backgroundBuilt = false;
    delete m_background;
    m_background = nullptr;
    if (!on) return;
    m_margin = margin;
    m_background = new CDsItemPolygonsArray;
    m_background->SetFill(true);
    if (color) m_background->SetColor(*color, true);
    m_background->SetTransparency(transparency);
}

void CDsItemsHlView::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden()) return;
    if (entity == GetEntity()) entity = nullptr;
    PushMatrixGdi(extrema);
    if (CDsItemBase* first = Get(0)) first->DrawExtremes(extrema, entity);
    PopMatrixGdi(extrema);
}

void CDsItemsHlView::DrawToFrontBuffer(view3d& view)
{
    if (IsHidden()) return;
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    SetAttributesToView(&view);
    PushMatrix();
    if (m_showSecondSet) Set(1)->DrawToFrontBuffer(view);
    Set(0)->DrawToFrontBuffer(view);
    PopMatrix();
}

void CDsItemsHlView::Plot(view3d& view)
{
    if (IsHidden()) return;
    PushMatrixGdi(view);
    Set(0)->Plot(view);
    if (m_showSecondSet) Set(1)->Plot(view);
    PopMatrixGdi(view);
}

// --- Picking and selection ------------------------------------------------------------------------

bool CDsItemsHlView::DrawsSet(int set, view3d& view)
{
    CDsItemsGroup* segments = set == 0 || set == 1 ? Set(set) : nullptr;
    if (!segments || segments->IsHidden()) return false;
    return set == 0 || (m_showSecondSet && !view.GetFlag(eDsViewFlagFastRefresh));
}

bool CDsItemsHlView::PickSegments(pick_manager* manager, bool drawnOnly)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (IsHidden() || !view || !IsInView(view, true)) return false;
    PushMatrixGdi(*view);
    bool first = (!drawnOnly || DrawsSet(0, *view)) && Set(0)->Pick(manager);
    bool second = false;
    if ((!first || manager->get_pick_method() == pick_method_region) && (!drawnOnly || DrawsSet(1, *view)))
        second = Set(1)->Pick(manager);
    if ((first || second) && manager->get_level() == 0) {
        manager->push_level(this, GetEntity());
        first = manager->save_current_if_ok() != 0;
        manager->pop_level();
    }
    PopMatrixGdi(*view);
    return second || first;
}

CDsRefPoint* CDsItemsHlView::PickClosePoint(CUiPickEvent& event, const CDsShownFrame* frame)
{
    view3d* view = event.view();
    if (IsHidden() || !view || !IsInView(view, true)) return nullptr;
    const SPAtransf transform = GetTransformation();
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    CDsItemBase* bestSegment = nullptr;
    CGmPosition best;
    double bestDistance = 0.0;
    for (int set = 0; set < Count(); ++set) {
        // A set no frame draws offers no point.
        if (!DrawsSet(set, *view)) continue;
        // The nearest point the window shows of each curve: the second set is drawn before the
        // model's faces too.
        const bool drawnBeforeFaces = set == 1;
        const CDsRefPoint::TPointTest shown = [frame, drawnBeforeFaces](const CGmPosition& p) {
            return frame->ShowsViewLine(SPAposition(p), drawnBeforeFaces);
        };
        for (CDsItemBase* segment : Set(set)->GetDsItems()) {
            if (!segment || segment->IsHidden()) continue;
            // The curve as the view draws it (a dynamic ellipse tessellated for this view), placed
            // by the view's transformation.
            int count = 0;
            const std::unique_ptr<float[]> points(segment->GetPoints(count, view));
            if (!points || count < 2) continue;
            std::vector<CGmPosition> placed(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i)
                placed[static_cast<size_t>(i)] =
                    CGmPosition(SPAposition(points[3 * i], points[3 * i + 1], points[3 * i + 2]) * transform);
            const std::unique_ptr<CGmPosition> found(
                CDsRefPoint::LookForClosePosition(count, placed.data(), view, event, nullptr, frame ? &shown : nullptr));
            if (!found || !CDsRefPoint::StIsPicked(event, *found)) continue;
            float x = 0.0f, y = 0.0f;
            int height = -1;
            if (!computer->ProjectPositionOnView(*found, view, x, y, &height, true)) continue;
            const double distance = std::hypot(x - event.x(), y - event.y());
            if (bestSegment && distance >= bestDistance) continue;
            bestSegment = segment;
            best = *found;
            bestDistance = distance;
        }
    }
    if (!bestSegment) return nullptr;
    ENTITY* entity = bestSegment->GetEntity() ? bestSegment->GetEntity() : GetEntity();
    auto* point = new CDsRefPoint(entity, &best);
    CDsRefPoint::SetPickType(eDsPickPtCloseOnEdge);
    return point;
}

CDsRefPoint* CDsItemsHlView::StPickSegmentPoint(CDsItemBase& segment, CUiPickEvent& event, const CDsTypeMask& mask,
                                                const CDsRefPoint::TPointTest* accept)
{
    view3d* view = event.view();
    if (!view || segment.IsHidden()) return nullptr;
    // The kinds asked, with the parameter point of each.
    static const struct {
        eVyrParamPointType type;
        long bit;
    } kKinds[] = {{eDsPickPtStart, 1}, {eDsPickPtEnd, 2}, {eDsPickPtMid, 4}, {eDsPickPtCenter, 8}};
    long asked = 0;
    int kinds = 0;
    for (const auto& kind : kKinds)
        if (mask.IsTypeSet(kind.type)) {
            asked |= kind.bit;
            ++kinds;
        }
    if (!asked) return nullptr;
    // Where the window draws the segment: under the model transform the view holds.
    const SPAtransf placement =
        view->is_model_transform_enabled() && view->get_model_transform_depth() > 0 ? view->get_model_transform() : SPAtransf();
    const auto answer = [&](eVyrParamPointType type, long bit) -> CDsRefPoint* {
        SPAposition position;
        if (!segment.GetPoint(static_cast<CDsGeometry::eParameterPoints>(bit), position)) return nullptr;
        const CGmPosition placed(position * placement);
        if (accept && *accept && !(*accept)(placed)) return nullptr;
        auto* point = new CDsRefPoint(placed, type);
        point->SetReferenceEntity(segment.GetEntity());
        return point;
    };
    // The points that lie in the pick aperture; the start stands for either end, as an edge's does.
    const long shown = segment.DrawPoints(*view, asked | (asked & 1 ? 2 : 0));
    for (const auto& kind : kKinds) {
        if (!(asked & kind.bit)) continue;
        if (shown & kind.bit)
            if (CDsRefPoint* point = answer(kind.type, kind.bit)) return point;
        if (kind.bit == 1 && (shown & 2))
            if (CDsRefPoint* point = answer(eDsPickPtEnd, 2)) return point;
    }
    // One kind asked: the segment under the cursor snaps to that kind's point.
    if (kinds != 1 || !segment.Pick(view)) return nullptr;
    if (asked == 1) {
        SPAposition start, end;
        if (!segment.GetPoint(CDsGeometry::ePpStart, start) || !segment.GetPoint(CDsGeometry::ePpEnd, end)) return nullptr;
        // The view projects through its model transform: the segment's own points go in.
        const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
        float sx = 0.0f, sy = 0.0f, ex = 0.0f, ey = 0.0f;
        int height = -1;
        const bool startShown = computer->ProjectPositionOnView(CGmPosition(start), view, sx, sy, &height, true);
        const bool endShown = computer->ProjectPositionOnView(CGmPosition(end), view, ex, ey, &height, true);
        const double toStart = startShown ? std::hypot(sx - event.x(), sy - event.y()) : HUGE_VAL;
        const double toEnd = endShown ? std::hypot(ex - event.x(), ey - event.y()) : HUGE_VAL;
        // The nearer end, else the other when the window shows only that one.
        const bool startFirst = toStart < toEnd;
        if (CDsRefPoint* point = startFirst ? answer(eDsPickPtStart, 1) : answer(eDsPickPtEnd, 2)) return point;
        return startFirst ? answer(eDsPickPtEnd, 2) : answer(eDsPickPtStart, 1);
    }
    for (const auto& kind : kKinds)
        if (asked == kind.bit) return answer(kind.type, kind.bit);
    return nullptr;
}

CDsRefPoint* CDsItemsHlView::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    view3d* view = event.view();
    if (IsHidden() || !view || !IsInView(view, true)) return nullptr;
    PushMatrixGdi(*view);
    CDsRefPoint* point = Set(0)->PickRefPoint(event, types);
    if (!point) point = Set(1)->PickRefPoint(event, types);
    PopMatrixGdi(*view);
    return point;
}

CDsRefPoint* CDsItemsHlView::PickShownRefPoint(CUiPickEvent& event, const CDsTypeMask& types, const CDsShownFrame& frame)
{
    view3d* view = event.view();
    if (IsHidden() || !view || !IsInView(view, true)) return nullptr;
    PushMatrixGdi(*view);
    CDsRefPoint* point = nullptr;
    // As PickRefPoint asks them, the sets the frame leaves out skipped (a hidden set, the second
    // one without the show flag or while the view refreshes fast), each point tested where the
    // window draws it (StPickSegmentPoint answers it under the view's transformation).
    for (int set = 0; set < Count() && !point; ++set) {
        if (!DrawsSet(set, *view)) continue;
        CDsItemsGroup* segments = Set(set);
        const bool drawnBeforeFaces = set == 1;
        const CDsRefPoint::TPointTest shown = [&frame, drawnBeforeFaces](const CGmPosition& p) {
            return frame.ShowsViewLine(SPAposition(p), drawnBeforeFaces);
        };
        for (CDsItemBase* segment : segments->GetDsItems())
            if (segment && (point = StPickSegmentPoint(*segment, event, types, &shown))) break;
    }
    PopMatrixGdi(*view);
    return point;
}

void CDsItemsHlView::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    if (IsHidden()) return;
    ENTITY* entity = GetEntity();
    if (entity) {
        CDsPickSessionData* session = CDsPickSessionData::sActive;
        entity_filter* sessionFilter = session ? session->GetGroupFilter() : nullptr;
        const bool accepted = sessionFilter ? sessionFilter->test(entity) != 0 : data.TestEntity(entity);
        if (accepted && !data.AsksForSubEntities()) {
            list.add(entity);
            return;
        }
    }
    Set(0)->SelectAll(data, list);
    Set(1)->SelectAll(data, list);
}
