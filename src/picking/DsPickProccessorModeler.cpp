// Select-all and the pick processor's modeler picks: the processor states that steer them, the
// OpenGL face-pick data (the selection cache of DsCglEntList.h), the edge, wire-edge, apex and
// through-face picks, and the reference-point pick that the context forwards.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The face under a pick is the nearest hit of the sorted selection (its last node: the list
//   keeps the largest depth first), and PickClosestBodiesAndTheirEdges pairs it with the next
//   nearer-than-the-rest hit; replaying the whole list would offer the farthest face first.
// - PickRefPoint asks the scene's own pick unless state 1 is set and state 0 clear: states 0 and 1
//   are the two words that steer it (state 1 asks for reference points by entity, where the
//   centre-point search with its face test runs).
// - A region's face-pick data is made afresh and not kept for the point picks of a pick session
//   (the cache knows an event's position only, and a region's first corner is such a position).
// - PickWireEdge ends by offering the gathered edges to the manager (AddPickedEdges) and answers
//   the accepted count plus the views' hits of PickWireEdgeOnly. PickWireEdgeOnly asks the
//   hidden-line views only in the render modes whose frames draw them (CDsGlScene::DrawsHlViews).
// - The entity form of PickApexPoint takes the apex of the face's cone in the face's body space,
//   mapped by the transform of the body item that shows it (the identity without one); a face
//   that is no cone, or a cylinder, answers null. The point is kind 256 (the start kind, which
//   also names a cone's apex).
// - PickThruWireFrameFace walks the face hits nearest first; each face whose item is found gives
//   the edge items of its group that lie under the pick and bound the face, sorted along the ray
//   and offered; the first face that yields accepted edges ends the walk. The entity returned is
//   the one of the manager's first record (null without one). Outside a pick session the
//   face-pick cache is emptied afterwards, as it was found: its selection answers no later pick.
#include "DsPickProccessor.h"

#include "DsAcisPick.h"
#include "DsCglEntList.h"
#include "DsForceAttributes.h"
#include "DsGlContext.h"
#include "DsGlGroupIterator.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsGroup.h"
#include "DsItemsHlView.h"
#include "DsItemsMap.h"
#include "DsPartStorage.h"
#include "DsPickManager.h"
#include "DsPickWalks.h"
#include "DsPickedFaces.h"
#include "DsRefPoint.h"
#include "DsShownFrame.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
#include "VyrAsExt.h"
#include "VyrAttrBase.h"
#include "VyrBodyExt.h"

#include "SpaErrors.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "pick_manager.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>

namespace {

// Depths closer than this (single precision) are one.
constexpr float kSameDepth = 1e-5f;
// The manager's option word of a group component pick in region mode.
constexpr int kRegionOption = 8;

CDsView3dCdc* CoreView(view3d* view)
{
    return dynamic_cast<CDsView3dCdc*>(view);
}

// The nodes of a sorted hit list whose entity is a FACE, nearest first.
std::vector<const SDsCglEntNode*> FacesNearestFirst(const CDsCglEntList* hits)
{
    std::vector<const SDsCglEntNode*> nodes;
    for (const SDsCglEntNode* node = hits ? hits->GetLast() : nullptr; node; node = node->previous)
        if (node->entity && is_FACE(node->entity)) nodes.push_back(node);
    return nodes;
}

// Ends the view's pick mode begun for an event on every way out.
struct CPickModeScope {
    CPickModeScope(const CUiPickEvent& event, bool begin) : m_event(event), m_begun(begin && event.view())
    {
        if (m_begun) CDsAcisPick::StBeginPickMode(m_event, m_data);
    }
    ~CPickModeScope()
    {
        if (m_begun) CDsAcisPick::StEndPickMode(m_event, m_data);
    }
    CUiPickEvent m_event;
    CDsAcisPickData m_data;
    bool m_begun;
};

}  // namespace

// --- Select-all ---------------------------------------------------------------------------------

int CDsPickProccessor::SelectAll(const CDsPickContext& context, CDsPickedItemList& list)
{
    CDsGlContext* owner = context.m_ownerContext;
    if (!owner || !owner->GetScene() || !context.m_domain) return list.GetSize();
    auto* view = context.m_event ? CoreView(context.m_event->view()) : nullptr;
    std::vector<SDsRegionPickResult> results;
    {
        CDsRegionPickFunctor functor(view, eDsRegionSelectAll, SDsPickRect(), *context.m_domain, results,
                                     context.m_test, context.m_idRanges, context.m_idBound, context.m_scopePaths,
                                     context.m_anyDepth != 0);
        DsSelectAllWalk(CDsPartStorage::instance(), &owner->GetScene()->GetDbScene(), functor);
    }
    for (const SDsRegionPickResult& record : results) {
        auto* item = new CDsPickedItem(record.path, record.geometry, static_cast<eVyrObjectType>(record.type), -1);
        list.Add(item);
        if (list.IsOwner()) delete item;
    }
    return list.GetSize();
}

void CDsPickProccessor::StGetPickExtremes(view3d* view, int& x, int& y, int& width, int& height)
{
    x = y = width = height = 0;
    if (!view) return;
    view->get_pick_aperture(x, y, width, height);
    if (sPickInRegionMode) {
        x -= width / 2;
        y -= height / 2;
    }
}

// --- Reference points ---------------------------------------------------------------------------

CDsRefPoint* CDsPickProccessor::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    if (!event.view() || !m_owner) return nullptr;
    if (!Get(eDsPickStateNoFacePickData) || Get(eDsPickStateSceneRefPoints))
        return m_owner->GetScene() ? m_owner->GetScene()->PickRefPoint(event, mask) : nullptr;
    if (!mask.IsTypeSet(eDsPickPtCenter)) return nullptr;
    CUiPickEvent copy(event);
    CDsRefPoint* point = nullptr;
    {
        CDsGlGroupIterator items(m_owner, nullptr, 0);
        point = PickCenterRefPoint(copy, items, mask);
    }
    if (!point) {
        CDsGlGroupIterator items(m_owner, nullptr, 1);
        return PickCenterRefPoint(copy, items, mask);
    }
    // A face in front of the centre hides it.
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    CDsGlGroupIterator faces(m_owner, nullptr, 0);
    if (OpenGLPickFaces(&manager, faces) > 0) {
        delete point;
        return nullptr;
    }
    return point;
}

CDsRefPoint* CDsPickProccessor::PickSectionRefPoint(CUiPickEvent&)
{
    return nullptr;
}

CDsPickedItemList* CDsPickProccessor::PickClosest(const CUiPickEvent&, const CUiPickEvent&)
{
    return nullptr;
}

CDsRefPoint* CDsPickProccessor::PickCenterRefPoint(CUiPickEvent& event, CDsGlGroupIterator& items,
                                                   const CDsTypeMask& mask)
{
    for (CDsItemBase* item = items.Begin(); item; items.Advance(), item = items.Next()) {
        auto* group = dynamic_cast<CDsItemsGroup*>(item);
        if (!group || group->Count() < 2) continue;
        if (CDsRefPoint* point = PickCenterRefPoint(event, group, mask)) return point;
    }
    return nullptr;
}

CDsRefPoint* CDsPickProccessor::PickCenterRefPoint(CUiPickEvent& event, CDsItemsGroup* group, const CDsTypeMask& mask)
{
    if (!group) return nullptr;
    std::vector<CDsItemEdge*> children;
    for (int i = 0; i < group->Count(); ++i)
        if (auto* edge = dynamic_cast<CDsItemEdge*>(group->Get(i))) children.push_back(edge);
    // Where the frame draws the group.
    return DsPickAtShownPlaces(group, event.view(), [&] { return group->PickRefPoint(event, children, 1, mask); });
}

// --- Group components ---------------------------------------------------------------------------

bool CDsPickProccessor::PickGroupComponent(pick_manager* manager, CDsItemsGroup* group)
{
    if (!manager || !group) return false;
    const int saved = manager->get_options();
    if (!Get(eDsPickStateGroupComponent) && sPickInRegionMode) manager->set_options(kRegionOption);
    Set(eDsPickStateRecordLevels, true);
    const bool picked = group->Pick(manager);
    Set(eDsPickStateRecordLevels, false);
    manager->set_options(saved);
    return picked;
}

// --- Faces --------------------------------------------------------------------------------------

CDsCglEntList* CDsPickProccessor::CreatePickData(pick_manager* manager, CDsGlGroupIterator& items)
{
    if (Get(eDsPickStateNoFacePickData) || !manager || !manager->get_pick_event()) return nullptr;
    const pick_event& event = *manager->get_pick_event();
    SDsGlPickCache& cache = SDsGlPickCache::sCache;
    const bool region = manager->get_pick_method() == pick_method_region;
    if (!region && cache.Matches(event)) return cache.hits;
    // A selection pass draws in the view's pick region: a view that is not picking picks around
    // the event for the pass.
    CPickModeScope mode(CUiPickEvent(event), event.view() && event.view()->get_pick_mode() == 0);
    CDsCglEntList* hits = nullptr;
    if (Get(eDsPickStateSceneRefPoints)) {
        hits = RunGlSelection(event, cache, m_owner, items, 2);
        if (hits && hits->GetFirst()) return hits;
        items.Begin();
    }
    hits = RunGlSelection(event, cache, m_owner, items, region ? 1 : 0);
    // A region's hits are no answer for a later point pick at its first corner.
    if (region) cache.valid = 0;
    return hits;
}

int CDsPickProccessor::OpenGLPickFaces(pick_manager* manager, CDsGlGroupIterator& items)
{
    CDsCglEntList* hits = CreatePickData(manager, items);
    return hits ? hits->ReplayToPickManager(manager) : 0;
}

int CDsPickProccessor::OpenGLSortFaces(const CUiPickEvent& event, CDsPickedFaces& faces)
{
    view3d* view = event.view();
    if (!view || !m_owner) return 0;
    SDsGlPickCache& cache = SDsGlPickCache::sCache;
    if (cache.Matches(event) && cache.hits && !cache.hits->GetFirst()) return 0;
    CDsCglEntList* hits = nullptr;
    if (cache.Matches(event)) {
        hits = cache.hits;
    } else {
        CPickModeScope mode(event, true);
        CDsGlGroupIterator items(m_owner, nullptr, 0);
        hits = RunGlSelection(event, cache, m_owner, items, 2);
    }
    // From the first node (the farthest): faces of equal depth keep the order the selection met
    // them in, as the sorted list does.
    int count = 0;
    for (const SDsCglEntNode* node = hits ? hits->GetFirst() : nullptr; node; node = node->next) {
        if (!node->entity || !is_FACE(node->entity)) continue;
        faces.AddFace(node->depth, static_cast<FACE*>(node->entity));
        ++count;
    }
    return count;
}

void CDsPickProccessor::FaceGroupAndEdges(ENTITY* face, CDsItemsGroup*& group, std::vector<CDsItemEdge*>& edges)
{
    if (!face || !m_owner) return;
    CDsItemBase* item = m_owner->FindDsItem(face, CDsGlContext::eDsSearchRealEntity);
    CDsItemsGroup* body = item && item->GetParent() ? item->GetParent()->GetParent() : nullptr;
    ENTITY_LIST faceEdges;
    if (IsDsItemCopy(body) || CVyrAsExt::IsCopy(face)) {
        group = GetRealItemGroup(face);
        GetRealEdgeList(face, faceEdges);
    } else {
        ENTITY* top = face;
        while (top->owner()) top = top->owner();
        group = body && dynamic_cast<CDsItemsBody*>(body) ? body : m_owner->FindDsBody(top);
        api_get_edges(face, faceEdges);
    }
    CDsItemsMap* map = m_owner->GetItemsMap();
    for (int i = 0; map && i < faceEdges.count(); ++i)
        if (auto* edge = dynamic_cast<CDsItemEdge*>(map->Find(faceEdges[i]))) edges.push_back(edge);
}

ENTITY* CDsPickProccessor::OpenGLPick1Face(const pick_event& event, CDsGlGroupIterator& items, CDsItemsGroup*& group,
                                           std::vector<CDsItemEdge*>& edges)
{
    group = nullptr;
    CDsPickManager manager(pick_method_point, 0, nullptr, &event, nullptr, std::vector<CDsTypeMask>());
    CDsCglEntList* hits = CreatePickData(&manager, items);
    if (!hits) return nullptr;
    hits->ReplayToPickManager(&manager);
    const auto faces = FacesNearestFirst(hits);
    if (faces.empty()) return nullptr;
    ENTITY* face = faces.front()->entity;
    FaceGroupAndEdges(face, group, edges);
    return face;
}

bool CDsPickProccessor::PickClosestBodiesAndTheirEdges(const pick_event& event, CDsGlGroupIterator& items,
                                                       CDsItemsGroup* groups[2], std::vector<CDsItemEdge*>& edges)
{
    groups[0] = groups[1] = nullptr;
    CDsPickManager manager(pick_method_point, 0, nullptr, &event, nullptr, std::vector<CDsTypeMask>());
    const auto faces = FacesNearestFirst(CreatePickData(&manager, items));
    if (faces.empty()) return false;
    FaceGroupAndEdges(faces[0]->entity, groups[0], edges);
    if (faces.size() > 1 && std::fabs(faces[1]->depth - faces[0]->depth) <= kSameDepth)
        FaceGroupAndEdges(faces[1]->entity, groups[1], edges);
    return groups[0] || groups[1];
}

// --- Edges --------------------------------------------------------------------------------------

int CDsPickProccessor::PickEdge(pick_manager* manager, ENTITY_LIST* edges)
{
    if (!manager || !edges) return 0;
    if (CDsAcisPick::StPickEdges(manager, *edges, nullptr) <= 0) return 0;
    return AddPickedEdges(manager, *edges);
}

int CDsPickProccessor::AddPickedEdges(pick_manager* manager, const ENTITY_LIST& edges)
{
    auto* ds = dynamic_cast<CDsPickManager*>(manager);
    if (!ds || !m_owner) return 0;
    int accepted = 0;
    for (int i = 0; i < edges.count(); ++i) {
        ENTITY* edge = edges[i];
        if (!edge) continue;
        ENTITY* owner = edge;
        while (owner->owner()) owner = owner->owner();
        if (ENTITY* master = GetSlaveMaster(owner)) owner = master;
        CDsItemBase* ownerItem = m_owner->FindDsItem(owner);
        CDsItemBase* edgeItem = m_owner->FindDsItem(edge);
        if (ownerItem && ds->TestDisplayItem(ownerItem->GetItemType())) {
            manager->push_level(ownerItem, owner);
        } else if (edgeItem && ds->TestDisplayItem(edgeItem->GetItemType())) {
            manager->push_level(edgeItem, edge);
        } else {
            continue;
        }
        if (manager->save_current_if_ok()) ++accepted;
        manager->pop_level();
        if (accepted && manager->get_pick_method() != pick_method_region) break;
    }
    return accepted;
}

int CDsPickProccessor::PickWireEdgeOnly(pick_manager* manager, CDsGlGroupIterator& items)
{
    // The views' lines are picked only where the window shows them: in the render modes whose
    // frames draw the views, of the sets the frames draw.
    if (!manager || !CDsGlScene::DrawsHlViews(manager->get_view())) return 0;
    int hits = 0;
    for (CDsItemBase* item = items.Begin(); item; items.Advance(), item = items.Next()) {
        auto* view = dynamic_cast<CDsItemsHlView*>(item);
        if (!view || !view->PickSegments(manager, true)) continue;
        ++hits;
        if (manager->get_pick_method() != pick_method_region) break;
    }
    return hits;
}

int CDsPickProccessor::PickWireEdge(pick_manager* manager, CDsGlGroupIterator& items)
{
    if (!manager || !manager->get_view()) return 0;
    const bool byEntity = Get(eDsPickStateNoFacePickData);
    int hits = byEntity ? PickWireEdgeOnly(manager, items) : 0;
    view3d* view = manager->get_view();
    ENTITY_LIST gathered;
    CPickModeScope mode(CUiPickEvent(*manager->get_pick_event()), view->get_pick_mode() == 0);
    for (CDsItemBase* item = items.Begin(); item; items.Advance(), item = items.Next()) {
        auto* group = dynamic_cast<CDsItemsGroup*>(item);
        if (!group || dynamic_cast<CDsItemsHlView*>(group)) continue;
        if (!byEntity && group->FacesCount() > 0) continue;
        ENTITY_LIST picked;
        group->PickEdges(view, picked, nullptr);
        if (IsDsItemCopy(group)) GetCopyEdgesList(group, picked, gathered);
        else CopyLists(picked, gathered);
    }
    return hits + AddPickedEdges(manager, gathered);
}

// --- Apex points --------------------------------------------------------------------------------

CDsRefPoint* CDsPickProccessor::PickApexPoint(ENTITY* entity, CUiPickEvent event)
{
    if (!is_conical_face(entity) || is_cylindrical_face(entity)) return nullptr;
    auto* face = static_cast<FACE*>(entity);
    const auto* shape = face->geometry() ? dynamic_cast<const cone*>(&face->geometry()->equation()) : nullptr;
    if (!shape || shape->cylinder()) return nullptr;
    SPAposition apex = shape->apex();
    CDsItemsGroup* body = nullptr;
    if (CDsView3dCdc* view = CoreView(event.view()))
        if (CDsGlContext* context = view->GetGlContext())
            if (CDsItemBase* item = context->FindDsItem(entity, CDsGlContext::eDsSearchNone))
                // A face item names its body as its parent; the faces' group it is filed in is not
                // on that road, so the body is the first group up that is one.
                for (CDsItemsGroup* up = item->GetParent(); up && !body; up = up->GetParent())
                    body = dynamic_cast<CDsItemsBody*>(up);
    if (body) apex *= body->GetTransformation();
    else if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(entity)) apex *= *transform;
    auto* point = new CDsRefPoint(CGmPosition(apex), eDsPickPtStart);
    point->SetReferenceEntity(entity);
    return point;
}

CDsRefPoint* CDsPickProccessor::PickApexPoint(ENTITY* entity, CDsItemsBody* body, CUiPickEvent event)
{
    if (is_conical_face(entity) && !is_cylindrical_face(entity)) return PickApexPoint(entity, event);
    if (!body || !body->IsBodyConicalFaceOwner() || !body->GetEntity()) return nullptr;
    ENTITY_LIST faces;
    api_get_faces(body->GetEntity(), faces);
    for (int i = 0; i < faces.count(); ++i)
        if (is_conical_face(faces[i]) && !is_cylindrical_face(faces[i]))
            if (CDsRefPoint* point = PickApexPoint(faces[i], event)) return point;
    return nullptr;
}

// --- Through a wireframe face -------------------------------------------------------------------

bool CDsPickProccessor::GetRenderingModeByItem(ENTITY* entity, ERenderMode& mode)
{
    if (!entity || !m_owner) return false;
    CDsItemBase* item = m_owner->FindDsItem(entity, CDsGlContext::eDsSearchOwner);
    if (!item) return false;
    CDsForceAttributes forced;
    item->GetAttribute(forced);
    if (forced.GetData()) {
        mode = item->GetRenderMode();
        return true;
    }
    if (!m_owner->GetItemsMap()) return false;
    CDsItemBase* found = nullptr;
    if (ENTITY* copy = CVyrAsExt::GetEntityCopy(item->GetEntity(), entity)) found = m_owner->FindDsItem(copy);
    if (!found)
        if (ENTITY* real = CVyrAsExt::GetRealEntity(entity)) found = m_owner->FindDsItem(real);
    if (!found) return false;
    mode = found->GetRenderMode();
    return true;
}

int CDsPickProccessor::PickThruWireFrameFace(const CUiPickEvent& event, ENTITY*& entity)
{
    entity = nullptr;
    view3d* view = event.view();
    if (!view || !m_owner) return 0;
    CDsPickManager manager(pick_method_entity, pick_entity_any, 0, nullptr, &event, nullptr,
                           CDsPickManagerCreator::smTypeMask);
    CPickModeScope mode(event, true);
    // The cache takes the event for this pick; outside a pick session it must not answer a later
    // pick at the same pixel from this selection (whose items may be gone by then).
    struct CCacheScope {
        SDsGlPickCache& cache = SDsGlPickCache::sCache;
        const bool inSession = cache.eventSet != 0;
        CCacheScope() { cache.eventSet = 1; }
        ~CCacheScope()
        {
            if (!inSession) cache.Clear();
        }
    } cacheScope;
    CDsGlGroupIterator items(m_owner, &manager, 0);
    CDsCglEntList* hits = CreatePickData(&manager, items);
    if (hits) hits->ReplayToPickManager(&manager);
    int accepted = 0;
    for (const SDsCglEntNode* node : FacesNearestFirst(hits)) {
        ERenderMode renderMode = eRenderWireframe;
        if (!GetRenderingModeByItem(node->entity, renderMode)) continue;
        CDsItemsGroup* group = nullptr;
        std::vector<CDsItemEdge*> edgeItems;
        FaceGroupAndEdges(node->entity, group, edgeItems);
        ENTITY_LIST under, sorted;
        for (CDsItemEdge* edge : edgeItems)
            if (edge->GetEntity() && edge->PickInView(view, nullptr, nullptr) > 0) under.add(edge->GetEntity());
        if (under.count() == 0) continue;
        CDsAcisPick::StSortEdges(event, under, sorted, nullptr);
        accepted = AddPickedEdges(&manager, sorted);
        if (accepted > 0) break;
    }
    if (const pick_record* record = manager.get_record(0)) entity = record->get_entity();
    return accepted;
}

// --- Helpers ------------------------------------------------------------------------------------

void CDsPickProccessor::GetRealEdgeList(ENTITY* entity, ENTITY_LIST& out)
{
    if (ENTITY* real = CVyrAsExt::GetRealEntity(entity)) api_get_edges(real, out);
}

bool CDsPickProccessor::IsDsItemCopy(CDsItemBase* item)
{
    return dynamic_cast<CDsItemsCopy*>(item) != nullptr;
}

CDsItemsGroup* CDsPickProccessor::GetRealItemGroup(ENTITY* entity)
{
    if (!m_owner || !m_owner->GetItemsMap()) return nullptr;
    ENTITY* real = CVyrAsExt::GetRealEntity(entity);
    if (!real) return nullptr;
    while (real->owner()) real = real->owner();
    return dynamic_cast<CDsItemsGroup*>(m_owner->FindDsItem(real));
}

void CDsPickProccessor::GetCopyEdgesList(CDsItemsGroup* group, const ENTITY_LIST& edges, ENTITY_LIST& out)
{
    ENTITY* copyOwner = group ? group->GetEntity() : nullptr;
    for (int i = 0; copyOwner && i < edges.count(); ++i)
        if (ENTITY* copy = CVyrAsExt::GetEntityCopy(copyOwner, edges[i])) out.add(copy);
}

void CDsPickProccessor::GetCopyEdgesList(ENTITY* copyOwner, const ENTITY_LIST& edges, ENTITY_LIST& out)
{
    CVyrAsExt::GetCopyEdges(copyOwner, edges, out);
}

void CDsPickProccessor::CopyLists(const ENTITY_LIST& from, ENTITY_LIST& to)
{
    for (int i = 0; i < from.count(); ++i) to.add(from[i]);
}

int CDsPickProccessor::PickToolPath(pick_manager* manager, CDsGlGroupIterator& items)
{
    if (!manager) return 0;
    int picked = 0;
    for (CDsItemBase* item = items.Begin(); item; items.Advance(), item = items.Next()) {
        if (!item->Pick(manager)) continue;
        ++picked;
        if (manager->get_pick_method() != pick_method_region) break;
    }
    return picked;
}
