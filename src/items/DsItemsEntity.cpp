#include "DsItemsEntity.h"

#include "DsView3dCdc.h"

namespace {

// Raises the forced pen for the life of the object when asked to, and puts back what it found.
class CForcedPenScope {
public:
    explicit CForcedPenScope(bool raise) : m_saved(CDsLineAttribStorage::StGetForceVisibilityMode())
    {
        if (raise) CDsLineAttribStorage::StSetForceVisibilityMode(true);
    }
    ~CForcedPenScope() { CDsLineAttribStorage::StSetForceVisibilityMode(m_saved); }
    CForcedPenScope(const CForcedPenScope&) = delete;
    CForcedPenScope& operator=(const CForcedPenScope&) = delete;

private:
    bool m_saved;
};

}  // namespace

CDsItemsEntity::CDsItemsEntity(ENTITY*) : CDsItemsGroup(nullptr, nullptr) {}

EDsItemsType CDsItemsEntity::GetItemType()
{
    return eDsItemsEntity;
}

void CDsItemsEntity::ComputeAttributes(view3d& view)
{
    SetAttributesToView(&view);
}

void CDsItemsEntity::Refresh(view3d& view)
{
    if (IsHidden()) return;
    ComputeAttributes(view);
    CForcedPenScope pen(GetVisibility() != eVisibilityNormal || GetHighlightState());
    CDsItemsGroup::Refresh(view);
}

void CDsItemsEntity::erase(view3d* view)
{
    if (!view) return;
    CForcedPenScope pen(true);
    CDsItemsGroup::Refresh(*view);
}

CDsItemsVyrEntity::CDsItemsVyrEntity(ENTITY* entity) : CDsItemsEntity(entity) {}

EDsItemsType CDsItemsVyrEntity::GetItemType()
{
    return eDsItemsVyrEntity;
}

void CDsItemsVyrEntity::Refresh(view3d& view)
{
    CDsView3dCdc::StMakeGlCurrentView(&view);
    CDsItemsEntity::Refresh(view);
}

int CDsItemsVyrEntity::pick(pick_manager* manager)
{
    return CDsItemsGroup::Pick(manager) ? 1 : 0;
}
