// The context's entity operations: modeler entities become display items (a body becomes a body
// group sketched into meshes and polylines; faces and edges added later join their body's group),
// and the item map keeps which item shows which entity.
//
// - Every group made here belongs to the scene once filed; `remove` of an entity deletes the group
//   that showed it. `Record` files a group made elsewhere and `Remove` takes it out again without
//   deleting it: it is the caller's again.
// - A failed sketch, a missing owner body or a missing mesh interface does nothing.
//
// - A modeler transform moves every item of the context whose entity it names ("TransfAttr") or
//   places (a body whose transform it is, an entity group it places, the bodies of the groups and
//   instances shown), blanked or not and whether or not a view shows the context; each moved item
//   makes every view draw its whole picture again (their saved pictures show the items where they
//   were).
//
// - An entity of the application's entity base (CVyrEntBase) defines its figure through a figure
//   generator of the context; the figure group it gets is bound to the entity, so that the
//   context's picks and lookups of the group find the entity.
#include "DsGlContext.h"

#include "DsGlScene.h"
#include "DsGlSketch.h"
#include "DsItemBase.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "VyrAsExt.h"
#include "VyrEntBase.h"
#include "VyrEntGroup.h"
#include "VyrEntInstance.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "SpaEntity.h"
#include "SpaTopology.h"
#include "view3d.h"

#include <algorithm>
#include <vector>

namespace {

// The groups a body is looked for in, in order.
constexpr CDsGlScene::ERootGroup kBodyGroups[] = {CDsGlScene::eRootBodies, CDsGlScene::eRootWireBodies,
                                                  CDsGlScene::eRootUnsorted};

}  // namespace

void CDsGlContext::add(ENTITY* entity)
{
    m_scene->UpdateRefinement(true);
    if (!entity || CDsManager::GetInstance()->GetFlag(0) || m_itemsMap->Find(entity)) return;
    if (is_EDGE(entity)) {
        AddEdge(static_cast<EDGE*>(entity));
        return;
    }
    if (is_FACE(entity)) {
        AddFace(static_cast<FACE*>(entity));
        return;
    }
    CDsItemsGroup* group = ComputeData(entity);
    if (group && m_scene->GetDisplayModeFlag(14) && is_BODY(entity))
        if (auto* body = dynamic_cast<CDsItemsBody*>(group)) body->UpdateEdgeWidths(1);
}

CDsItemsGroup* CDsGlContext::ComputeData(ENTITY* entity)
{
    if (view_count() > 0) {
        viewport_iterator it(views());
        view3d* first = it.next();
        if (first && first != sCurrentView) MakeCurrent(first);  // lists and buffers are made in it
    }
    CDsItemsGroup* group = CreateGLEntListFromEntity(entity);
    if (!group) return nullptr;
    m_scene->AddItemsGroup(group);
    m_itemsMap->Add(entity, group);
    // What the scene database files for the entity draws it again.
    OnItemsContentChanged();
    return group;
}

CDsItemsGroup* CDsGlContext::CreateGLEntListFromEntity(ENTITY* entity)
{
    CDsGlSketch sketch(CVyrRefinement::StGetCurrentRefinement());
    if (is_CVyrEntBase(entity)) return CreateEntityFigure(static_cast<CVyrEntBase*>(entity));
    if (!entity || !is_BODY(entity)) return nullptr;
    CVyrMeshInterface* meshes = sketch.BuildBody(entity, true);
    if (!meshes) return nullptr;
    return new CDsItemsBody(entity, this, meshes);
}

void CDsGlContext::AddBody(ENTITY* entity, CVyrMeshInterface* meshes)
{
    if (!entity || !meshes || CDsManager::GetInstance()->GetFlag(0) || is_displayed(entity) || !is_BODY(entity)) return;
    auto* shared = new CVyrMeshInterface(meshes, meshes->GetMeshGenerationNumber());
    auto* body = new CDsItemsBody(entity, this, shared);
    m_scene->AddItemsGroup(body);
    m_itemsMap->Add(entity, body);
    if (m_scene->GetDisplayModeFlag(14)) body->UpdateEdgeWidths(1);
    OnItemsContentChanged();
}

CDsItemsBody* CDsGlContext::OwnerBodyOf(ENTITY* entity) const
{
    ENTITY* owner = get_owner(entity);
    if (!owner || owner == entity || !is_BODY(owner)) return nullptr;
    CDsItemsBody* body = FindDsBody(owner);
    return body && body->GetMeshInterface() ? body : nullptr;
}

void CDsGlContext::AddFace(FACE* face)
{
    CDsItemsBody* body = face ? OwnerBodyOf(face) : nullptr;
    if (!body) return;
    CDsGlSketch sketch(nullptr);
    sketch.BuildFace(face, body->GetMeshInterface(), true);
    CDsItemBase* item = body->AddFace(face);
    if (!item) return;
    item->SetType(1);  // the per-entity byte
    m_itemsMap->Add(face, item);
    m_scene->SetDisplayModeFlag(15, false);
    OnItemsContentChanged();
}

void CDsGlContext::AddEdge(EDGE* edge)
{
    CDsItemsBody* body = edge ? OwnerBodyOf(edge) : nullptr;
    if (!body) return;
    CDsGlSketch sketch(nullptr);
    sketch.BuildEdgeFast(edge, body->GetMeshInterface());
    CDsItemBase* item = body->AddEdge(edge);
    if (!item) return;
    m_itemsMap->Add(edge, item);
    m_scene->SetDisplayModeFlag(15, false);
    OnItemsContentChanged();
}

void CDsGlContext::remove(ENTITY* entity)
{
    if (!entity) return;
    Notify(5);
    if (sCurrentView && !views().find(sCurrentView)) {
        viewport_iterator it(views());
        if (view3d* first = it.next()) MakeCurrent(first);
    }
    if (is_EDGE(entity)) {
        RemoveEdge(static_cast<EDGE*>(entity));
        return;
    }
    if (is_FACE(entity)) {
        RemoveFace(static_cast<FACE*>(entity));
        return;
    }
    CDsItemBase* item = m_itemsMap->Find(entity);
    m_itemsMap->Remove(entity);
    if (auto* group = dynamic_cast<CDsItemsGroup*>(item)) {
        m_scene->RemoveItemsGroup(group);
        delete group;
        // What the scene database still files for the entity now draws nothing.
        OnItemsContentChanged();
    }
}

CDsItemsBody* CDsGlContext::BodyOfItem(ENTITY* part) const
{
    CDsItemBase* item = m_itemsMap->Find(part);
    auto* owner = item ? dynamic_cast<CDsItemsGroup*>(item->GetParent()) : nullptr;
    // The item's parent is the body's faces or edges group; the body is above it.
    while (owner && !dynamic_cast<CDsItemsBody*>(owner)) owner = dynamic_cast<CDsItemsGroup*>(owner->GetParent());
    auto* body = dynamic_cast<CDsItemsBody*>(owner);
    if (!body) return nullptr;
    if (CDsItemsBody* filed = FindDsBody(body->GetEntity())) return filed;
    return body;
}

void CDsGlContext::RemoveFace(FACE* face)
{
    CDsItemsBody* body = face ? BodyOfItem(face) : nullptr;
    if (!body || !body->GetMeshInterface()) return;
    body->RemoveFace(face);
    body->GetMeshInterface()->RemoveMesh(face);
    m_itemsMap->Remove(face);
    m_scene->SetDisplayModeFlag(15, false);
    OnItemsContentChanged();
}

void CDsGlContext::RemoveEdge(EDGE* edge)
{
    CDsItemsBody* body = edge ? BodyOfItem(edge) : nullptr;
    if (!body || !body->GetMeshInterface()) return;
    body->RemoveEdge(edge);
    body->GetMeshInterface()->RemoveMesh(edge);
    m_itemsMap->Remove(edge);
    m_scene->SetDisplayModeFlag(15, false);
    OnItemsContentChanged();
}

void CDsGlContext::update(ENTITY* entity)
{
    remove(entity);
    add(entity);
}

void CDsGlContext::update_transform(ENTITY* entity)
{
    if (!entity || !is_TRANSFORM(entity)) return;
    auto* transform = static_cast<TRANSFORM*>(entity);
    ENTITY_LIST moved;
    GetTransformedEntities(transform, moved);
    bool any = false;
    moved.init();
    while (ENTITY* e = moved.next()) {
        if (CDsItemBase* item = m_itemsMap->Find(e)) {
            item->Transform(transform->transform());
            any = true;
        }
    }
    m_scene->SetDisplayModeFlag(15, false);
    // The views' saved pictures show the items where they were, and the scene's boxes hold them
    // there (a body tells it itself; a figure group does not): the refresh draws them again,
    // around their new box.
    if (any) OnItemsContentChanged();
    refresh_all();
}

void CDsGlContext::GetTransformedEntities(TRANSFORM* transform, ENTITY_LIST& entities) const
{
    // Every top-level entity the context shows, blanked or not, seen in a view or not.
    ENTITY_LIST shown;
    m_itemsMap->GetEntities(shown, nullptr, true);
    ENTITY_LIST moved;
    StEntitiesMovedBy(transform, shown, false, moved);
    for (int i = 0; i < moved.count(); ++i)
        if (m_itemsMap->Find(moved[i])) entities.add(moved[i]);
}

void CDsGlContext::StEntitiesMovedBy(TRANSFORM* transform, const ENTITY_LIST& candidates, bool firstGroupOnly,
                                     ENTITY_LIST& entities)
{
    if (!transform) return;
    ATTRIB_GEN_NAME* named = nullptr;
    if (api_find_named_attribute(transform, "TransfAttr", named).ok() && named) {
        if (auto* held = dynamic_cast<ATTRIB_GEN_ENTITY*>(named)) {
            if (held->value()) entities.add(held->value());
            return;
        }
    }
    const auto addBody = [&](ENTITY* member) {
        if (auto* body = dynamic_cast<BODY*>(member))
            if (body->transform() == transform) entities.add(body);
    };
    for (int i = 0; i < candidates.count(); ++i) {
        ENTITY* e = candidates[i];
        ENTITY_LIST members;
        if (auto* group = dynamic_cast<CVyrEntGroup*>(e)) {
            if (group->GetTransform() == transform) {
                entities.add(group);
                if (firstGroupOnly) return;
                continue;
            }
            group->GetEntities(members);
        } else if (auto* instance = dynamic_cast<CVyrEntInstance*>(e)) {
            instance->GetEntities(members);
        } else {
            addBody(e);
        }
        for (int m = 0; m < members.count(); ++m) addBody(members[m]);
    }
}

void CDsGlContext::Record(CDsItemsGroup* group)
{
    if (!group) return;
    m_scene->AddItemsGroup(group);
    m_scene->SetDisplayModeFlag(15, false);
}

void CDsGlContext::Remove(CDsItemsGroup* group)
{
    if (!group) return;
    m_scene->RemoveItemsGroup(group);
    m_scene->SetDisplayModeFlag(15, false);
}

int CDsGlContext::DetachEntity(ENTITY* entity, int componentId)
{
    if (CDsItemBase* item = FindDsItem(entity)) item->DetachEntity(componentId);
    return 0;
}

bool CDsGlContext::AttachEntity(ENTITY* entity, int componentId)
{
    return entity && m_scene->AttachEntity(entity, componentId);
}

CDsItemsFigure* CDsGlContext::FindDsItems(CDsFigure* figure) const
{
    return m_scene->FindGroupById(figure);
}

CDsItemsBody* CDsGlContext::FindDsBody(const ENTITY* entity) const
{
    if (!entity) return nullptr;
    // The item map names the group of a shown body; when that group still shows the entity and is
    // filed in one of the body groups, it is the answer, found without asking every filed group
    // for its entity (a host asks for each body on every frame, so the search would grow with the
    // square of the number of bodies). Otherwise the groups are searched in order.
    if (auto* mapped = dynamic_cast<CDsItemsBody*>(m_itemsMap->Find(const_cast<ENTITY*>(entity)))) {
        if (mapped->GetEntity() == entity)
            for (size_t g = 0; g < std::size(kBodyGroups); ++g) {
                // From where the last search of this group ended, round to it: a host drawing the
                // bodies in the order they were filed finds each one at once.
                const std::vector<CDsItemBase*>& filed = m_scene->GetRootGroup(kBodyGroups[g])->GetDsItems();
                size_t& start = m_bodySearchStart[g];
                if (start >= filed.size()) start = 0;
                const auto from = filed.begin() + static_cast<std::ptrdiff_t>(start);
                auto found = std::find(from, filed.end(), mapped);
                if (found == filed.end()) found = std::find(filed.begin(), from, mapped);
                if (found != filed.end() && *found == mapped) {
                    start = static_cast<size_t>(found - filed.begin());
                    return mapped;
                }
            }
    }
    for (CDsGlScene::ERootGroup root : kBodyGroups)
        if (auto* body = dynamic_cast<CDsItemsBody*>(m_scene->FindItemInGroup(m_scene->GetRootGroup(root), entity)))
            return body;
    return nullptr;
}

CVyrMeshInterface* CDsGlContext::GetMeshInterface(ENTITY* body) const
{
    CDsItemBase* item = FindDsItem(body);
    if (auto* group = dynamic_cast<CDsItemsBody*>(item)) return group->GetMeshInterface();
    if (auto* copy = dynamic_cast<CDsItemsCopy*>(item))
        if (copy->GetCopyMode() == 0 || copy->GetCopyMode() == 1)
            if (auto* copied = dynamic_cast<CDsItemsBody*>(copy->GetBody())) return copied->GetMeshInterface();
    return nullptr;
}

void CDsGlContext::FindDsItems(ENTITY_LIST& entities, EDsSecondarySearch how, std::deque<CDsItemBase*>& out) const
{
    entities.init();
    while (ENTITY* e = entities.next())
        if (CDsItemBase* item = FindDsItem(e, how)) out.push_back(item);
}

void CDsGlContext::AddToMap(ENTITY* entity, CDsItemBase* item)
{
    if (entity && m_itemsMap) m_itemsMap->Add(entity, item);
}

void CDsGlContext::RemoveFromMap(ENTITY* entity)
{
    if (m_itemsMap) m_itemsMap->Remove(entity);
}

void CDsGlContext::RemoveFromAllMaps(ENTITY* entity)
{
    if (m_itemsMap) m_itemsMap->Remove(entity);
}

ENTITY* CDsGlContext::GetTopLevel(ENTITY* entity)
{
    if (!entity || (!is_FACE(entity) && !is_EDGE(entity))) return nullptr;
    ENTITY* owner = get_owner(entity);
    return owner != entity ? owner : nullptr;
}

void CDsGlContext::GetOwnerAndRealEntities(ENTITY* entity, ENTITY*& owner, ENTITY*& real)
{
    owner = nullptr;
    real = entity ? CVyrAsExt::GetRealEntity(entity) : nullptr;
    if (real && real != entity) {
        owner = entity;
        return;
    }
    if (entity && (is_FACE(entity) || is_EDGE(entity))) {
        owner = get_owner(entity);
        real = entity;
    }
}
