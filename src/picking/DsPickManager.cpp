#include "DsPickManager.h"

#include "DsPickProccessor.h"

#include <new>

std::vector<CDsTypeMask> CDsPickManagerCreator::smTypeMask;

CDsPickManager::CDsPickManager(pick_method method, int level, entity_filter* filter, const pick_event* first,
                               const pick_event* second, const std::vector<CDsTypeMask>& masks)
    : pick_manager(method, level, filter, first, second), m_items(true), m_masks(masks)
{
}

CDsPickManager::CDsPickManager(pick_method method, pick_entity_type type, int level, entity_filter* filter,
                               const pick_event* first, const pick_event* second,
                               const std::vector<CDsTypeMask>& masks)
    : pick_manager(method, type, level, filter, first, second), m_items(true), m_masks(masks)
{
}

CDsPickManager::CDsPickManager(const CDsPickManager& other)
    : pick_manager(other), m_items(other.m_items), m_masks(other.m_masks), m_test(other.m_test),
      m_scopePaths(other.m_scopePaths), m_idsDomain(other.m_idsDomain)
{
}

CDsPickManager& CDsPickManager::operator=(const CDsPickManager& other)
{
    if (this == &other) return *this;
    pick_manager::operator=(other);
    m_items = other.m_items;
    m_masks = other.m_masks;
    m_test = other.m_test;
    m_scopePaths = other.m_scopePaths;
    m_idsDomain = other.m_idsDomain;
    return *this;
}

CDsPickManager::~CDsPickManager() = default;

int CDsPickManager::do_pick(ENTITY_LIST*, bool)
{
    return pick_manager::do_pick(nullptr, false);
}

int CDsPickManager::save_current_if_ok()
{
    if (m_test) {
        const pick_record& record = get_current_record();
        if (!record.get_entity(get_level()) && !record.get_dl_item(get_level())) return 0;
    }
    return pick_manager::save_current_if_ok();
}

bool CDsPickManager::TestObject(const CVyrObjectPath& path, const CDsGeometry* geometry, eVyrObjectType type,
                                eVyrParamPointType pointType) const
{
    return !m_test || m_test->Test(path, geometry, type, pointType);
}

bool CDsPickManager::TestDisplayItem(int type) const
{
    if (type < 0 || type > 274) return false;
    for (const CDsTypeMask& mask : m_masks)
        if (mask.IsTypeSet(type)) return true;
    return false;
}

void CDsPickManager::PushItem(const CDsPickedItem& item)
{
    m_items.Add(const_cast<CDsPickedItem*>(&item));  // the owning list adds a copy
}

CDsPickedItem* CDsPickManager::PopItem(int index) const
{
    if (index < 0 || index >= m_items.GetSize()) return nullptr;
    return m_items.GetItems()[static_cast<size_t>(index)];
}

CDsPickManagerCreator* CDsPickManagerCreator::Instance()
{
    static CDsPickManagerCreator sCreator;
    return &sCreator;
}

void CDsPickManagerCreator::SetTypeMask(const CDsTypeMask&) {}

pick_manager* CDsPickManagerCreator::CreatePickManger5(pick_method method, int level, entity_filter*,
                                                       const pick_event* first, const pick_event* second)
{
    return new (std::nothrow) CDsPickManager(method, level, nullptr, first, second, smTypeMask);
}

pick_manager* CDsPickManagerCreator::CreatePickManger6(pick_method method, pick_entity_type type, int level,
                                                       entity_filter*, const pick_event* first,
                                                       const pick_event* second)
{
    return new (std::nothrow) CDsPickManager(method, type, level, nullptr, first, second, smTypeMask);
}
