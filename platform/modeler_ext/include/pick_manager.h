// pick_manager: one pick of the modeler's visualization layer. It holds how to pick (the pick
// method and the kind of entity wanted), where (one event, or two corners of a region), which
// entities are acceptable (an entity filter), and the records of what was hit.
//
// Records: while a pick walks the displayed items, each hit builds the current record as a path
// of levels, one per push_level (a display item and its entity, either may be null), from the
// outermost (level 0) inwards; pop_level takes the last level off. save_current_if_ok offers the
// current record: it is saved when the entity filter accepts the record's entity (the entity at
// the manager's report level when the record reaches that level and has an entity there, else the
// innermost entity of the record). A record equal to one saved already is not saved twice.
//
// Factory hook: the application can have every pick manager made by its own factory (a class
// derived from pick_manager); create_pick_manager makes one through the installed factory, or a
// plain pick_manager when none is installed. The modeler's own picks (api_gi_pick_entity) make
// their managers this way.
#pragma once

#include "VyrModelerExtApi.h"

#include <vector>

#include "SpaErrors.h"
#include "pick_event.h"

class CRect;
class ENTITY;
class ENTITY_LIST;
class entity_filter;

// How a pick selects.
enum pick_method : int {
    // The hits under the pick aperture around one point.
    pick_method_point = 0,
    // The same, for picks that report whole entities (treated as a point pick).
    pick_method_entity = 1,
    // Everything inside the rectangle between two corners.
    pick_method_region = 2
};

// The kind of entity a pick reports.
enum pick_entity_type : int {
    // The top-level owner (a BODY) of what was hit.
    pick_entity_body = 1,
    // A face.
    pick_entity_face = 2,
    // An edge (a hit vertex stands for its edges).
    pick_entity_edge = 4,
    // Whatever entity was hit.
    pick_entity_any = 8
};

// One record: the levels of a hit, outermost first.
class VYR_MODELER_EXT_API pick_record {
public:
    // An empty record.
    pick_record() = default;

    // Number of levels.
    int levels() const { return static_cast<int>(m_levels.size()); }
    // The entity at `level` (0 = outermost), or null outside 0..levels()-1.
    ENTITY* get_entity(int level) const;
    // The innermost entity of the record (the last level that has one), or null.
    ENTITY* get_entity() const;
    // The display item at `level`, or null outside 0..levels()-1.
    void* get_dl_item(int level) const;

    // True when both records have the same levels.
    bool operator==(const pick_record& other) const;

private:
    friend class pick_manager;
    struct level {
        void* item;
        ENTITY* entity;
        bool operator==(const level& other) const { return item == other.item && entity == other.entity; }
    };
    std::vector<level> m_levels;
};

// One pick (see the header comment).
class VYR_MODELER_EXT_API pick_manager {
public:
    // A point or region pick reporting any entity: `method`, the report level `level`, the
    // entity filter (null: every entity; otherwise the manager holds a reference to it), the
    // first event and, for a region, the second corner (events are copied; null: none).
    pick_manager(pick_method method, int level, entity_filter* filter, const pick_event* first,
                 const pick_event* second);
    // The same reporting entities of kind `type`.
    pick_manager(pick_method method, pick_entity_type type, int level, entity_filter* filter,
                 const pick_event* first, const pick_event* second);
    // A copy: settings, events, records and a reference to the same filter.
    pick_manager(const pick_manager& other);
    // Copies everything (the filter references are exchanged).
    pick_manager& operator=(const pick_manager& other);
    // Gives back the filter reference.
    virtual ~pick_manager();

    // Picks: the view of the first event is put in pick mode (around the first event with the
    // process-wide aperture, or, for a region pick with two events, over the rectangle between
    // them), its rendering context picks (rendering_context::pick, which walks what it shows and
    // offers hits through push_level / save_current_if_ok), and the view's earlier pick mode is
    // restored. The saved records start empty unless `keep_records`; with `entities`, a record
    // whose reported entity is not in that list is not saved. Answers the number of records this
    // pick saved; 0 without a view or rendering context.
    virtual int do_pick(ENTITY_LIST* entities = nullptr, bool keep_records = false);
    // Offers the current record (see the header comment): 1 when it is accepted (saved now or
    // saved before), 0 when the filter refuses it or the record is empty.
    virtual int save_current_if_ok();

    // The pick method ("pick type"; pick_method_region, 2, for a region).
    pick_method get_pick_method() const { return m_method; }
    // The kind of entity reported.
    pick_entity_type get_pick_entity_type() const { return m_type; }
    // The report level: which level's entity save_current_if_ok tests and picks report.
    int get_level() const { return m_level; }
    // Sets the report level (negative becomes 0).
    void set_level(int level) { m_level = level < 0 ? 0 : level; }
    // The option word (0 at first): a marker word that items set while they pick, for example 1
    // while a copy's items pick on behalf of the copy.
    int get_options() const { return m_options; }
    // Sets the option word.
    void set_options(int options) { m_options = options; }
    // The entity filter, or null.
    entity_filter* get_entity_filter() const { return m_filter; }
    // Non-zero when the filter accepts `entity` (always without a filter).
    int test_entity(ENTITY* entity) const;
    // The filter switch (0 at first): non-zero tells the display's item iterators to hand out
    // every shown item, the entity filter left aside (passes that must see every item).
    int get_filter_switch() const { return m_filterSwitch; }
    // Sets the filter switch.
    void set_filter_switch(int value) { m_filterSwitch = value; }

    // The first event, or null.
    const pick_event* get_pick_event() const { return m_hasFirst ? &m_first : nullptr; }
    // The second corner of a region, or null.
    const pick_event* get_second_event() const { return m_hasSecond ? &m_second : nullptr; }
    // The view of the first event, or null.
    view3d* get_view() const { return m_hasFirst ? m_first.view() : nullptr; }
    // The pick point (the first event's position; (0, 0) without one).
    void get_pick_point(int& x, int& y) const;
    // The rectangle picked, in drawable coordinates (left <= right, top <= bottom): for a region
    // pick with two events the rectangle between them, otherwise the process-wide aperture
    // centred on the pick point. False (area unchanged) without a first event.
    bool GetPickInRegionArea(CRect& area) const;

    // Adds a level (display item, entity; either may be null) to the current record.
    void push_level(void* dl_item, ENTITY* entity);
    // Takes the last level off the current record; nothing when it is empty.
    void pop_level();
    // Adds a level as push_level and remembers where the record stood before it, so that the
    // matching pop_level_stack restores the record to that point whatever was pushed or popped
    // in between.
    void push_level_stack(void* dl_item, ENTITY* entity);
    // Restores the current record to where the last push_level_stack found it; nothing without
    // one.
    void pop_level_stack();
    // Number of levels of the current record.
    int get_current_level() const { return m_current.levels(); }
    // The current record.
    const pick_record& get_current_record() const { return m_current; }

    // Number of saved records.
    int get_record_count() const { return static_cast<int>(m_records.size()); }
    // Saved record `index`, or null outside 0..get_record_count()-1.
    const pick_record* get_record(int index) const;
    // Forgets the saved records and the current record.
    void clear_records();

private:
    ENTITY* reported_entity(const pick_record& record) const;

    pick_method m_method;
    pick_entity_type m_type;
    int m_level;
    int m_options = 0;
    entity_filter* m_filter;
    int m_filterSwitch = 0;
    pick_event m_first;
    pick_event m_second;
    bool m_hasFirst;
    bool m_hasSecond;
    pick_record m_current;
    std::vector<int> m_stack;
    std::vector<pick_record> m_records;
    const ENTITY_LIST* m_scope = nullptr;
};

// The factory of the five-argument form (no entity kind: pick_entity_any).
typedef pick_manager* (*pick_manager_factory_5)(pick_method method, int level, entity_filter* filter,
                                                const pick_event* first, const pick_event* second);
// The factory of the six-argument form.
typedef pick_manager* (*pick_manager_factory_6)(pick_method method, pick_entity_type type, int level,
                                                entity_filter* filter, const pick_event* first,
                                                const pick_event* second);

// Installs the factories through which every pick manager is made (null: make plain ones).
VYR_MODELER_EXT_API void set_pick_manager_factories(pick_manager_factory_5 factory5,
                                                    pick_manager_factory_6 factory6);
// The installed five-argument factory, or null.
VYR_MODELER_EXT_API pick_manager_factory_5 get_pick_manager_factory_5();
// The installed six-argument factory, or null.
VYR_MODELER_EXT_API pick_manager_factory_6 get_pick_manager_factory_6();
// A new pick manager (the caller deletes it) made by the installed five-argument factory, else a
// plain one. Null only when a factory answers null.
VYR_MODELER_EXT_API pick_manager* create_pick_manager(pick_method method, int level, entity_filter* filter,
                                                      const pick_event* first, const pick_event* second);
// The same through the six-argument factory.
VYR_MODELER_EXT_API pick_manager* create_pick_manager(pick_method method, pick_entity_type type, int level,
                                                      entity_filter* filter, const pick_event* first,
                                                      const pick_event* second);

// The entity of kind `type` that the event's pick ray meets first among the top-level entities
// shown by the rendering context of the event's view (rendering_context::get_entities), or among
// `candidates` when given. The ray (get_pick_ray) goes to the modeler's ray test with a radius of
// half the pick aperture's diagonal; the faces of the entities count for every kind but
// pick_entity_edge, their edges and vertices for every kind but pick_entity_face (a vertex stands
// for its edges with pick_entity_edge). Each hit, nearest first, is offered to a pick manager
// made through the factory (pick_method_entity, `type`, report level 0 for pick_entity_body and
// 1 otherwise, the entity filter `filter`) as the levels (BODY, hit entity), or (BODY) alone for
// pick_entity_body; the first hit the manager saves is the answer: its BODY for
// pick_entity_body, else the hit entity. `picked` is null when nothing is saved. Errors:
// BAD_ARGUMENT for an event without a view or on a view that cannot project; the ray test's
// errors.
VYR_MODELER_EXT_API outcome api_gi_pick_entity(const pick_event& event, pick_entity_type type, ENTITY*& picked,
                                               entity_filter* filter = nullptr,
                                               const ENTITY_LIST* candidates = nullptr);
