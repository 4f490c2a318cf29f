// CDsGlGroupIterator: the pickable items of a context, hidden and filtered ones passed over.
#include "DsGlGroupIterator.h"

#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemBase.h"
#include "DsItemsGroup.h"
#include "DsView3dCdc.h"

#include "SpaEntity.h"
#include "SpaFilters.h"
#include "VyrAttrBase.h"
#include "pick_manager.h"

CDsGlGroupIterator::CDsGlGroupIterator(CDsGlContext* context, const pick_manager* pickManager, int mode)
    : m_context(context)
{
    if (m_context && m_context->GetScene()) {
        std::vector<CDsItemsGroup*> groups;
        m_context->GetScene()->CollectPickableItems(CDsView3dCdc::StGetCurrent(), mode != 0, groups);
        m_items.assign(groups.begin(), groups.end());
    }
    if (pickManager) {
        m_filterSwitch = pickManager->get_filter_switch();
        m_filter = pickManager->get_entity_filter();
    }
}

CDsGlGroupIterator::CDsGlGroupIterator(CDsItemBase* item)
{
    m_items.push_back(item);
}

CDsGlGroupIterator::~CDsGlGroupIterator() = default;

CDsItemBase* CDsGlGroupIterator::Begin()
{
    m_position = 0;
    return Next();
}

void CDsGlGroupIterator::Advance()
{
    if (m_position < m_items.size()) ++m_position;
}

bool CDsGlGroupIterator::Accepts(CDsItemBase* item, bool filter) const
{
    if (!item || item->IsHidden()) return false;
    if (!filter) return true;
    ENTITY* entity = item->GetEntity();
    if (!entity) return false;
    if (m_filter->test(entity)) return true;
    auto* slave = dynamic_cast<CVyrEntSlave*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrEntSlave_TYPE, -1, -1));
    ENTITY* owner = slave ? slave->GetMaster() : nullptr;
    return owner && m_filter->test(owner);
}

CDsItemBase* CDsGlGroupIterator::Next()
{
    const bool filter = m_filteringEnabled != 0 && m_filter && m_filterSwitch == 0;
    for (; m_position < m_items.size(); ++m_position)
        if (Accepts(m_items[m_position], filter)) return m_items[m_position];
    return nullptr;
}
