#include "DsItemsToolpath.h"

#include "DsAttributesPalette.h"
#include "DsItemToolpathPolyline.h"

#include "pick_manager.h"

CDsItemsToolpath::CDsItemsToolpath(const CDsUid& id) : CDsItemsGroup(nullptr, nullptr), m_id(id) {}

CDsItemsToolpath::~CDsItemsToolpath()
{
    SetPalette(nullptr);
}

void CDsItemsToolpath::SetPalette(CDsAttributesPalette* palette)
{
    if (palette == m_palette) return;
    if (palette) palette->IncrementUse();
    CDsAttributesPalette* old = m_palette;
    m_palette = palette;
    if (old) old->Loose();
}

EDsItemsType CDsItemsToolpath::GetItemType()
{
    return eDsItemsToolpath;
}

CDsUid CDsItemsToolpath::GetDsUid()
{
    return m_id;
}

void CDsItemsToolpath::Refresh(view3d&) {}

// --- Edits by uid path ----------------------------------------------------------------------------

void CDsItemsToolpath::SetAttributes(CDsUidPath& path, const CDsAttributesIndex& index, bool)
{
    const int start = path.GetIndex();
    if (path.MatchCurrentUid(m_id) == eDsPathNoMatch) {
        DsSetUidPathIndex(path, start);
        return;
    }
    const int below = path.GetIndex();
    for (CDsItemBase* child : GetDsItems()) {
        DsSetUidPathIndex(path, below);
        child->SetAttributes(path, index, false);
    }
    DsSetUidPathIndex(path, start);
}

void CDsItemsToolpath::SetAttribute(CDsUidPath& path, const CDsAttribute& attribute, bool all)
{
    const int start = path.GetIndex();
    const EDsPathStatus status = path.MatchCurrentUid(m_id);
    if (status == eDsPathComplete) {
        SetAttribute(attribute, true, true);
    } else if (status == eDsPathContinue) {
        const int below = path.GetIndex();
        for (CDsItemBase* child : GetDsItems()) {
            DsSetUidPathIndex(path, below);
            child->SetAttribute(path, attribute, false);
        }
    }
    (void)all;
    DsSetUidPathIndex(path, start);
}

void CDsItemsToolpath::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    if (attribute.GetType() == eDsAttributePalette) {
        const auto* palette = dynamic_cast<const CDsAttributesPalette*>(&attribute);
        if (palette) SetPalette(const_cast<CDsAttributesPalette*>(palette));
        return;
    }
    CDsItemsGroup::SetAttribute(attribute, on, recurse);
}

void CDsItemsToolpath::AddSubItem(const CDsUidPath& path, const CDsUid& id, const IDsGeometry* geometry)
{
    const int start = path.GetIndex();
    const EDsPathStatus status = path.MatchCurrentUid(m_id);
    if (status == eDsPathComplete) {
        CDsItemBase* child = geometry ? static_cast<CDsItemBase*>(new CDsItemToolpathPolyline(id))
                                      : static_cast<CDsItemBase*>(new CDsItemsToolpath(id));
        Add(child);
        child->SetParent(this);
        child->SetGlContext(GetGlContext());
        NoteContentChanged();
    } else if (status == eDsPathContinue) {
        const int below = path.GetIndex();
        for (size_t i = 0; i < GetDsItems().size(); ++i) {
            DsSetUidPathIndex(path, below);
            GetDsItems()[i]->AddSubItem(path, id, geometry);
        }
    }
    DsSetUidPathIndex(path, start);
}

void CDsItemsToolpath::RemoveSubItem(const CDsUidPath& path, const CDsUid& id)
{
    const int start = path.GetIndex();
    if (path.MatchCurrentUid(m_id) == eDsPathContinue) {
        const int below = path.GetIndex();
        for (size_t i = 0; i < GetDsItems().size(); ++i) {
            DsSetUidPathIndex(path, below);
            GetDsItems()[i]->RemoveSubItem(path, id);
        }
    }
    DsSetUidPathIndex(path, start);
}

// --- Picking --------------------------------------------------------------------------------------

bool CDsItemsToolpath::Pick(pick_manager* manager)
{
    if (!manager || IsHidden()) return false;
    manager->push_level_stack(this, GetEntity());
    bool hit = false;
    const bool region = manager->get_pick_method() == pick_method_region;
    for (CDsItemBase* child : GetDsItems()) {
        if (!child->Pick(manager)) continue;
        hit = true;
        if (!region) break;
    }
    manager->pop_level_stack();
    return hit;
}

CDsRefPoint* CDsItemsToolpath::PickRefPoint(pick_manager* manager, CDsRefPointFilter* filter)
{
    if (!manager || IsHidden()) return nullptr;
    manager->push_level(this, GetEntity());
    CDsRefPoint* point = nullptr;
    for (CDsItemBase* child : GetDsItems()) {
        point = child->PickRefPoint(manager, filter);
        if (point) {
            manager->save_current_if_ok();
            break;
        }
    }
    manager->pop_level();
    return point;
}
