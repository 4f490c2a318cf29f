// CDsGlContext: transformations of the items of entities, face transformations, copies of bodies,
// sub-items, extents and item queries. Each works on the item the item map names for an entity
// and does nothing without one; every change clears document flag 15.
#include "DsGlContext.h"

#include "DsBox.h"
#include "DsDriverExtrema.h"
#include "DsGlScene.h"
#include "DsItemBase.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsItemsFigure.h"
#include "DsItemsGroup.h"
#include "DsItemsHlView.h"
#include "DsItemsMap.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "VyrAsExt.h"

#include "SpaErrors.h"
#include "SpaTopology.h"

// --- Changes the scene database does not see ----------------------------------------------------

void CDsGlContext::OnItemsContentChanged()
{
    // A view that put its kept picture back would show the items where they were, and the boxes
    // of the locations (from which the picks' window boxes come) would hold them there.
    m_scene->InvalidateContent();
}

// --- Transformations of an entity's item --------------------------------------------------------

void CDsGlContext::TransformGeometry(ENTITY* entity, SPAtransf& transform)
{
    CDsItemBase* item = FindDsItem(entity);
    if (!item) return;
    PushDisplaySuspension();
    item->Transform(transform);
    OnItemsContentChanged();
    PopDisplaySuspension();
}

void CDsGlContext::Transform(ENTITY* entity, const CGmTransformation& transformation)
{
    auto* figure = dynamic_cast<CDsItemsFigure*>(FindDsItem(entity));
    if (!figure) return;
    figure->Transform(transformation);
    OnItemsContentChanged();
}

void CDsGlContext::SetTransformation(ENTITY* entity, SPAtransf& transform)
{
    CDsItemBase* item = FindDsItem(entity);
    if (!item) return;
    PushDisplaySuspension();
    item->SetTransformation(transform);
    OnItemsContentChanged();
    PopDisplaySuspension();
}

void CDsGlContext::MultiplyTransformation(ENTITY* entity, SPAtransf& transform)
{
    CDsItemBase* item = FindDsItem(entity);
    if (!dynamic_cast<CDsItemsHlView*>(item) && !dynamic_cast<CDsItemsCopy*>(item)) return;
    PushDisplaySuspension();
    item->MultiplyTransformation(transform);
    OnItemsContentChanged();
    PopDisplaySuspension();
}

void CDsGlContext::GetTransformation(ENTITY* entity, SPAtransf& transform) const
{
    if (CDsItemBase* item = FindDsItem(entity)) transform = item->GetTransformation();
}

// --- Face transformations -----------------------------------------------------------------------

void CDsGlContext::SetFaceTransformation(FACE* face, const SPAtransf& transform)
{
    if (!face) return;
    CDsItemBase* item = FindDsItem(face, eDsSearchRealEntity);
    // A copy showing the face's body measures its box again when it is next used.
    if (auto* copy = dynamic_cast<CDsItemsCopy*>(FindDsItem(face, eDsSearchOwner))) copy->InvalidateCopyBox();
    if (auto* faceItem = dynamic_cast<CDsItemsFace*>(item)) faceItem->SetTransformation(transform);
    if (!m_scene->GetDisplayModeFlag(13)) m_scene->SetDisplayModeFlag(13, true);
    OnItemsContentChanged();
}

const SPAtransf* CDsGlContext::GetFaceTransformation(FACE* face) const
{
    auto* item = dynamic_cast<CDsItemsFace*>(FindDsItem(face, eDsSearchRealEntity));
    return item ? &item->GetTransformation() : nullptr;
}

bool CDsGlContext::GetFaceTransformation(FACE* face, SPAtransf& transform) const
{
    const SPAtransf* found = GetFaceTransformation(face);
    if (!found) return false;
    transform = *found;
    return true;
}

void CDsGlContext::ResetFaceTransformations(BODY* body)
{
    if (!body) return;
    m_scene->ResetFaceTransformations(dynamic_cast<CDsItemsGroup*>(FindDsItem(body)));
    if (m_scene->GetDisplayModeFlag(13)) m_scene->SetDisplayModeFlag(13, false);
    OnItemsContentChanged();
}

// --- Copies -------------------------------------------------------------------------------------

void CDsGlContext::AddCopy(ENTITY* entity)
{
    if (!entity || dynamic_cast<CDsItemsCopy*>(FindDsItem(entity))) return;
    // A copy placed by a transform that describes none (a zero or non-finite scale or value) is
    // not shown, as set_body_transform refuses such a transform: nothing could place it, and its
    // box would take the scene's with it.
    if (!CVyrAsExt::GetTransformation(entity).valid()) return;
    ENTITY* real = CVyrAsExt::GetRealEntity(entity);
    auto* body = dynamic_cast<CDsItemsBody*>(FindDsItem(real));
    if (!body) return;
    auto* copy = new CDsItemsCopy(body, entity, this);
    m_itemsMap->Add(entity, copy);
    m_scene->AddItemsGroup(copy);
}

void CDsGlContext::RemoveCopy(ENTITY* entity)
{
    auto* item = dynamic_cast<CDsItemsGroup*>(FindDsItem(entity));
    if (!item) return;
    if (!GetGlContextDeleteMode()) RemoveFromAllMaps(entity);
    m_scene->RemoveItemsGroup(item);
}

void CDsGlContext::UpdateCopy(ENTITY* shown, ENTITY* replacement)
{
    CDsItemBase* item = FindDsItem(shown);
    if (!item || !replacement) return;
    if (dynamic_cast<CDsItemsGroup*>(item)) item->SetEntity(replacement);
    if (!GetGlContextDeleteMode()) RemoveFromAllMaps(shown);
    m_itemsMap->Add(replacement, item);
    auto* copy = dynamic_cast<CDsItemsCopy*>(item);
    ENTITY* real = CVyrAsExt::GetRealEntity(replacement);
    auto* body = dynamic_cast<CDsItemsGroup*>(real && real != replacement ? FindDsItem(real) : nullptr);
    if (copy && body) {
        copy->SetBody(body);
        OnItemsContentChanged();
    }
}

void CDsGlContext::Activate(ENTITY* entity, bool active)
{
    if (auto* group = dynamic_cast<CDsItemsGroup*>(FindDsItem(entity))) m_scene->ActivateGroup(group, active);
}

// --- Sub-items ----------------------------------------------------------------------------------

void CDsGlContext::AddSubItem(const CDsUidPath& path, const CDsUid& uid, const IDsGeometry* geometry)
{
    CDsItemBase* item = FindDsItem(path.GetEntity());
    if (!item) return;
    path.ResetIndex();
    item->AddSubItem(path, uid, geometry);
}

void CDsGlContext::RemoveSubItem(const CDsUidPath& path, const CDsUid& uid)
{
    CDsItemBase* item = FindDsItem(path.GetEntity());
    if (!item) return;
    path.ResetIndex();
    item->RemoveSubItem(path, uid);
}

// --- Extents and item queries -------------------------------------------------------------------

void CDsGlContext::UpdateViewExtremaToSelection(CDsView3dCdc* view, const std::vector<CVyrObjectPath>& paths)
{
    if (!view) return;
    API_BEGIN
    CDsExtremaModeScope mode;
    CDsDriverExtrema driver(view);
    if (CDsViewExtrema* extrema = driver.GetExtView()) {
        ComputeViewExtremaUsingSelection(extrema, paths);
        extrema->recompute_parameters();
        extrema->update_base_view();
    }
    API_END
}

void CDsGlContext::ComputeViewExtremaUsingSelection(CDsViewExtrema* extrema, const std::vector<CVyrObjectPath>& paths)
{
    if (!extrema) return;
    CDsExtremaModeScope mode;
    m_scene->ComputeExtrema(extrema, paths);
}

void CDsGlContext::ComputeViewExtremaSingleEntity(CDsViewExtrema*, const CDsPickedItem*) {}

bool CDsGlContext::GetRectangle(CDsView3dCdc* view, int& minX, int& maxX, int& minY, int& maxY) const
{
    if (!view) return false;
    CDsBox box = m_scene->GetBoundsBox();
    box.ComputeBounds2D(view, true);
    box.GetRectangle(minX, maxX, minY, maxY);
    return true;
}

bool CDsGlContext::GetBox(ENTITY* entity, CGmPosition& low, CGmPosition& high, bool world) const
{
    auto* group = dynamic_cast<CDsItemsGroup*>(FindDsItem(entity));
    return group ? group->GetBox(low, high, world) : false;
}

void CDsGlContext::GetDisplayDescendents(ENTITY* entity, bool faces, bool edges, ENTITY_LIST& list) const
{
    if (auto* body = dynamic_cast<CDsItemsBody*>(FindDsItem(entity))) body->GetDisplayDescendents(faces, edges, list);
}

void CDsGlContext::GetDisplayOwner(ENTITY* entity, ENTITY*& owner) const
{
    owner = nullptr;
    CDsItemBase* item = FindDsItem(entity);
    if (CDsItemsGroup* parent = item ? item->GetParent() : nullptr) owner = parent->GetEntity();
}

void CDsGlContext::ForceShowAll()
{
    m_scene->ForceShowAll();
    refresh_all();
}

void CDsGlContext::ResetAttributes(EDsResetAttributeAction action)
{
    m_scene->ResetAttributes(action);
}
