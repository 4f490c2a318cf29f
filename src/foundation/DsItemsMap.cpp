// CDsItemsMap: the entity-to-item index of an OpenGL context.
#include "DsItemsMap.h"

#include "DsGlContext.h"
#include "DsView3dCdc.h"
#include "acis.h"

CDsItemsMap::~CDsItemsMap() {
    m_topLevel.clear();
    m_subEntities.clear();
}

void CDsItemsMap::Add(ENTITY* entity, CDsItemBase* item) {
    if (entity == nullptr) return;
    CEntityMap& map = is_toplevel(entity) ? m_topLevel : m_subEntities;
    map[entity] = item;
    m_lastFound = nullptr;
}

void CDsItemsMap::Remove(ENTITY* entity) {
    if (m_closing) return;
    m_topLevel.erase(entity);
    m_subEntities.erase(entity);
    m_lastFound = nullptr;
}

CDsItemBase* CDsItemsMap::Find(ENTITY* entity) const {
    if (entity && entity == m_lastFound) return m_lastItem;
    CEntityMap::const_iterator found = m_topLevel.find(entity);
    if (found == m_topLevel.end()) {
        found = m_subEntities.find(entity);
        if (found == m_subEntities.end()) return nullptr;
    }
    m_lastFound = entity;
    m_lastItem = found->second;
    return m_lastItem;
}

void CDsItemsMap::GetEntities(ENTITY_LIST& out, entity_filter* filter, bool topLevelOnly) const {
    for (const CEntityMap* map : {&m_topLevel, &m_subEntities}) {
        if (map == &m_subEntities && topLevelOnly) break;
        for (const auto& entry : *map)
            if (filter == nullptr || filter->test(entry.first) != 0) out.add(entry.first, 1);
    }
}

void CDsItemsMap::Trace() const {
    TRACE("Items map of context %p: %zu top-level entities, %zu sub-entities\n", static_cast<void*>(m_owner),
          m_topLevel.size(), m_subEntities.size());
    for (const auto& entry : m_topLevel)
        TRACE("  top-level %p -> item %p\n", static_cast<void*>(entry.first), static_cast<void*>(entry.second));
    for (const auto& entry : m_subEntities)
        TRACE("  sub-entity %p -> item %p\n", static_cast<void*>(entry.first), static_cast<void*>(entry.second));
}

bool DsIsEntityDisplayedInCurrentView(ENTITY* entity, CDsGlContext*& context)
{
    context = nullptr;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    CDsGlContext* candidate = view ? view->GetGlContext() : nullptr;
    if (!candidate || !entity || !candidate->GetItemsMap() || !candidate->GetItemsMap()->Find(entity)) return false;
    context = candidate;
    return true;
}
