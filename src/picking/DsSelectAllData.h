// CDsSelectAllData: a select-all request as the item groups receive it: two pick managers, one
// whose entity filter selects the entities and one whose filter selects the wire entities.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The data owns both managers, so it cannot be copied: a copy would share them and delete them
//   twice.
#pragma once

#include <afx.h>

class ENTITY;
class entity_filter;
class pick_manager;

// A select-all request.
class AFX_EXT_CLASS CDsSelectAllData {
public:
    // Two region pick managers (method 2, report level `level`) on the current view (its OpenGL
    // context made current when another one is; no view when there is none), the first with
    // `entities` as its filter, the second with `wires`; `flag` is kept. Either filter may be null.
    CDsSelectAllData(int level, entity_filter* entities, entity_filter* wires, bool flag);
    // Not copyable.
    CDsSelectAllData(const CDsSelectAllData&) = delete;
    // Not copyable.
    CDsSelectAllData& operator=(const CDsSelectAllData&) = delete;
    // Deletes both managers.
    ~CDsSelectAllData();

    // Whether the entity manager's filter accepts `entity`; false without a filter.
    bool TestEntity(ENTITY* entity) const;
    // Whether the wire manager's filter accepts `entity`; false without a filter.
    bool TestWireEntity(ENTITY* entity) const;
    // The manager whose filter selects the entities.
    pick_manager* GetMainPickManager() const { return m_entities; }
    // The manager whose filter selects the wire entities.
    pick_manager* GetWirePickManager() const { return m_wires; }
    // The flag given to the constructor.
    bool GetFlag() const { return m_flag; }
    // The pick method (2).
    int GetMethod() const { return m_method; }
    // Whether faces or edges are asked for rather than whole bodies: the entity manager reports a
    // level other than 0, or the flag is set.
    bool AsksForSubEntities() const;

private:
    pick_manager* m_entities = nullptr;
    pick_manager* m_wires = nullptr;
    bool m_flag = false;
    int m_method = 2;
};
