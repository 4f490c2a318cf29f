#include "DsSelectAllData.h"

#include "DsNavigator.h"
#include "DsView3dCdc.h"

#include "SpaFilters.h"
#include "pick_event.h"
#include "pick_manager.h"

CDsSelectAllData::CDsSelectAllData(int level, entity_filter* entities, entity_filter* wires, bool flag)
    : m_flag(flag)
{
    CDsNavigator::StGetInstance();
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();  // its OpenGL context made current
    const pick_event first(0, 0, view), second(0, 0, view);
    m_entities = new pick_manager(pick_method_region, level, entities, &first, &second);
    m_wires = new pick_manager(pick_method_region, level, wires, &first, &second);
}

CDsSelectAllData::~CDsSelectAllData()
{
    delete m_entities;
    delete m_wires;
}

bool CDsSelectAllData::TestEntity(ENTITY* entity) const
{
    entity_filter* filter = m_entities ? m_entities->get_entity_filter() : nullptr;
    return filter && filter->test(entity) != 0;
}

bool CDsSelectAllData::TestWireEntity(ENTITY* entity) const
{
    entity_filter* filter = m_wires ? m_wires->get_entity_filter() : nullptr;
    return filter && filter->test(entity) != 0;
}

bool CDsSelectAllData::AsksForSubEntities() const
{
    return (m_entities && m_entities->get_level() != 0) || m_flag;
}
