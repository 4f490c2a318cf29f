// CDsGlScene: the picks over the root groups that the pick processor and the modeler picks ask:
// reference points of the shown items and the entities of figures and copies.
//
// Choices where the behaviour was open:
// - A child answers a reference point through CDsItemBase::PickRefPoint(event, mask); hidden
//   children are left to their own test (the groups answer null when hidden). A body or copy is
//   asked at each place the frame draws it (DsPickAtShownPlaces): nowhere when the scene database
//   hides it by its path, where a transform id puts it. The hidden-line views are asked only in
//   the render modes whose frames draw them (DrawsHlViews), and offer only the points the window
//   shows of their lines (CDsItemsHlView::PickShownRefPoint: not where a face in front hides them).
// - PickEntities offers an entity group's entity only after its component pick accepted it; the
//   levels it pushes are popped again.
#include "DsGlScene.h"

#include "DsGlContext.h"
#include "DsItemBase.h"
#include "DsItemPolygonsArray.h"
#include "DsItemPolygonsDl.h"
#include "DsItemsFigure.h"
#include "DsItemsGroup.h"
#include "DsItemsHlView.h"
#include "DsNavigator.h"
#include "DsPickManager.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsShownFrame.h"
#include "DsTypeMask.h"
#include "UiPickEvent.h"
#include "VyrEntBase.h"
#include "VyrEntGroup.h"

#include "pick_manager.h"

CDsRefPoint* CDsGlScene::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    // One frame of what is drawn for every body and copy asked (a caller's, when it holds one).
    const CDsShownFrameScope frame(m_owner, event.view());
    static const ERootGroup kOrder[] = {eRootWireBodies, eRootBodies, eRootCopies, eRootHlViews};
    for (ERootGroup which : kOrder) {
        // A hidden-line view offers its points only where the window shows its lines.
        if (which == eRootHlViews && !DrawsHlViews(event.view())) continue;
        CDsItemsGroup* root = GetRootGroup(which);
        for (int i = 0; root && i < root->Count(); ++i) {
            CDsItemBase* child = root->Get(i);
            if (!child) continue;
            // Bodies and copies are picked where the frame draws them.
            auto* group = which != eRootHlViews ? dynamic_cast<CDsItemsGroup*>(child) : nullptr;
            // A view's lines, where the window shows them.
            auto* view = which == eRootHlViews ? dynamic_cast<CDsItemsHlView*>(child) : nullptr;
            CDsRefPoint* point = nullptr;
            if (group)
                point = DsPickAtShownPlaces(group, event.view(), [&] { return child->PickRefPoint(event, mask); });
            else if (view && frame.Get())
                point = view->PickShownRefPoint(event, mask, *frame.Get());
            else if (!view)
                point = child->PickRefPoint(event, mask);
            if (point) return point;
        }
    }
    CDsItemsGroup* figures = GetRootGroup(eRootFigures);
    CDsPickProccessor* processor = m_owner ? m_owner->GetPickProccessor() : nullptr;
    for (int i = 0; figures && i < figures->Count(); ++i) {
        CDsItemBase* child = figures->Get(i);
        if (!child) continue;
        const bool group = is_CVyrEntGroup(child->GetEntity()) != 0;
        if (group && processor) processor->Set(eDsPickStateRecordLevels, true);
        CDsRefPoint* point = child->PickRefPoint(event, mask);
        if (group && processor) processor->Set(eDsPickStateRecordLevels, false);
        if (point) return point;
    }
    return nullptr;
}

int CDsGlScene::PickEntities(pick_manager* manager)
{
    auto* ds = dynamic_cast<CDsPickManager*>(manager);
    if (!ds) return 0;
    const bool single = manager->get_pick_method() == pick_method_point || manager->get_pick_method() == pick_method_entity;
    CDsPickProccessor* processor = m_owner ? m_owner->GetPickProccessor() : nullptr;
    CDsNavigator* navigator = CDsNavigator::StGetInstance();
    int hits = 0;
    const auto pickGroup = [&](CDsItemsGroup* root) {
        for (int i = 0; root && i < root->Count(); ++i) {
            CDsItemBase* child = root->Get(i);
            if (!child || child->IsHidden() || !child->GetEntity()) continue;
            ENTITY* entity = child->GetEntity();
            bool hit = false;
            if (is_CVyrEntGroup(entity)) {
                auto* group = dynamic_cast<CDsItemsGroup*>(child);
                if (processor && group && processor->PickGroupComponent(manager, group)) {
                    hit = true;
                    if (processor->Get(eDsPickStateGroupComponent)) {
                        manager->push_level(child, entity);
                        manager->save_current_if_ok();
                        manager->pop_level();
                    }
                }
            } else if (is_CVyrEntBase(entity) && ds->TestDisplayItem(child->GetItemType())) {
                auto* group = dynamic_cast<CDsItemsGroup*>(child);
                if ((!group || !navigator || !navigator->GetItemForStl(group)) && child->Pick(manager)) hit = true;
            }
            if (!hit) continue;
            ++hits;
            if (single) return;
        }
    };
    pickGroup(GetRootGroup(eRootFigures));
    if (!(single && hits > 0)) pickGroup(GetRootGroup(eRootCopies));
    return hits;
}

int CDsGlScene::PickFigures(pick_manager* manager)
{
    if (!manager) return 0;
    CDsItemsGroup* figures = GetRootGroup(eRootFigures);
    int hits = 0;
    for (int i = 0; figures && i < figures->Count(); ++i) {
        CDsItemBase* child = figures->Get(i);
        if (!child || child->GetEntity()) continue;
        auto* figure = dynamic_cast<CDsItemsFigure*>(child);
        if (figure && CDsItemsFigure::sDlFigProc && CDsItemsFigure::sDlFigProc(figure) == 0) continue;
        if (auto* group = dynamic_cast<CDsItemsGroup*>(child); group && group->Count() > 0) {
            CDsItemBase* first = group->Get(0);
            CDsItemBase* last = group->Get(group->Count() - 1);
            if (dynamic_cast<CDsItemPolygonsDl*>(first) || dynamic_cast<CDsItemPolygonsArray*>(first) ||
                dynamic_cast<CDsItemPolygonsArray*>(last))
                continue;
        }
        if (child->Pick(manager)) ++hits;
    }
    return hits;
}
