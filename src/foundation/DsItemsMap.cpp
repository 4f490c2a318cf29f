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
}

void CDsItemsMap::Remove(ENTITY* entity) {
    if (m_closing) return;
    m_topLevel.erase(entity);
    m_subEntities.erase(entity);
}

CDsItemBase* CDsItemsMap::Find(ENTITY* entity) const {
    CEntityMap::const_iterator found = m_topLevel.find(entity);
    if (found != m_topLevel.end()) return found->second;
    found = m_subEntities.find(entity);
    return found != m_subEntities.end() ? found->second : nullptr;
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
