// CDsPickManager: the display's own pick manager. Beside what the modeler's pick_manager holds (the
// pick method, the events, an entity filter and the pick records) it carries the display's filters
// (a domain of type masks, the host's test object, scope paths and identifier ranges) and a stack
// of picked items. CDsPickManagerCreator is the factory through which the modeler makes its pick
// managers once the host has installed it (set_pick_manager_factories with Get5 and Get6): every
// manager it makes is a CDsPickManager with CDsPickManagerCreator::smTypeMask as its domain and no
// entity filter (the filter a caller passes is not used).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - PopItem outside 0..Size()-1 answers null.
// - The creator is one object made on the first Instance() and kept for the process; smTypeMask is
//   an ordinary static, freed when the library unloads.
#pragma once

#include <afx.h>

#include "DsPickedItem.h"
#include "DsTypeMask.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "pick_manager.h"

#include <utility>
#include <vector>

class CDsGeometry;
class CDsPickTestFunc;
class ENTITY_LIST;

// Identifier ranges per key: each entry a key and its [low, high] pairs.
typedef std::vector<std::pair<int, std::vector<std::pair<int, int>>>> TDsPickIdsDomain;

// The display's pick manager.
class AFX_EXT_CLASS CDsPickManager : public pick_manager {
public:
    // A pick with `method`, report level `level`, the entity filter (may be null), the events
    // (copied; may be null) and the domain `masks` (copied); no test, scope or identifier ranges.
    CDsPickManager(pick_method method, int level, entity_filter* filter, const pick_event* first,
                   const pick_event* second, const std::vector<CDsTypeMask>& masks);
    // The same reporting entities of kind `type`.
    CDsPickManager(pick_method method, pick_entity_type type, int level, entity_filter* filter,
                   const pick_event* first, const pick_event* second, const std::vector<CDsTypeMask>& masks);
    // A copy of the base and of every field (the picked items copied).
    CDsPickManager(const CDsPickManager& other);
    // Copies the base and every field.
    CDsPickManager& operator=(const CDsPickManager& other);
    // Frees the items it holds.
    ~CDsPickManager() override;

    // The modeler's pick with no entity list and fresh records; both arguments are not used.
    int do_pick(ENTITY_LIST* entities = nullptr, bool keep_records = false) override;
    // Without a test object the modeler's offer; with one, 0 when the current record has neither
    // an entity nor a display item at the report level, else the modeler's offer.
    int save_current_if_ok() override;

    // Whether the test object accepts the candidate; true without one.
    bool TestObject(const CVyrObjectPath& path, const CDsGeometry* geometry, eVyrObjectType type,
                    eVyrParamPointType pointType) const;
    // Whether some mask of the domain has the bit of `type` (0 to 274; any other type matches none).
    bool TestDisplayItem(int type) const;
    // A copy of the domain.
    std::vector<CDsTypeMask> GetTypeMask() const { return m_masks; }
    // The test object (not owned; null: none).
    void SetTestFunc(CDsPickTestFunc* test) { m_test = test; }
    // The test object.
    CDsPickTestFunc* GetTestFunc() const { return m_test; }
    // The scope paths.
    const std::vector<CVyrObjectPath>& GetScopePathList() const { return m_scopePaths; }
    // Replaces the scope paths.
    void SetScopePathList(const std::vector<CVyrObjectPath>& paths) { m_scopePaths = paths; }
    // The identifier ranges.
    const TDsPickIdsDomain& GetIdsDomain() const { return m_idsDomain; }
    // Replaces the identifier ranges.
    void SetIdsDomain(const TDsPickIdsDomain& domain) { m_idsDomain = domain; }

    // Appends a copy of `item` to the item stack.
    void PushItem(const CDsPickedItem& item);
    // The item at `index` (it stays in the stack); null outside the stack.
    CDsPickedItem* PopItem(int index) const;
    // Number of items in the stack.
    int Size() const { return m_items.GetSize(); }

private:
    CDsPickedItemList m_items;
    std::vector<CDsTypeMask> m_masks;
    CDsPickTestFunc* m_test = nullptr;
    std::vector<CVyrObjectPath> m_scopePaths;
    TDsPickIdsDomain m_idsDomain;
};

// The factory of the display's pick managers.
class AFX_EXT_CLASS CDsPickManagerCreator {
public:
    // The creator, made on first use.
    static CDsPickManagerCreator* Instance();
    // The factory of the five-argument form, for set_pick_manager_factories.
    pick_manager_factory_5 Get5() const { return &CreatePickManger5; }
    // The factory of the six-argument form.
    pick_manager_factory_6 Get6() const { return &CreatePickManger6; }
    // Does nothing (the domain is smTypeMask).
    void SetTypeMask(const CDsTypeMask& mask);

    // The domain every manager made by the factories receives; the host fills it.
    static std::vector<CDsTypeMask> smTypeMask;

private:
    CDsPickManagerCreator() = default;
    // A new CDsPickManager without entity filter and with smTypeMask; null when allocation fails.
    static pick_manager* CreatePickManger5(pick_method method, int level, entity_filter* filter,
                                           const pick_event* first, const pick_event* second);
    // The same with an entity kind.
    static pick_manager* CreatePickManger6(pick_method method, pick_entity_type type, int level,
                                           entity_filter* filter, const pick_event* first, const pick_event* second);
};
