// Pick managers, their records and factory hook, and the entity pick along a pick ray.
#include "pick_manager.h"

#include "SpaFilters.h"
#include "SpaRay.h"
#include "afxwin.h"
#include "pick_ray.h"
#include "rendering_context.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

// ---------------------------------------------------------------------------------------------
// Records

ENTITY* pick_record::get_entity(int level) const
{
    return level >= 0 && level < levels() ? m_levels[static_cast<size_t>(level)].entity : nullptr;
}

ENTITY* pick_record::get_entity() const
{
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (it->entity != nullptr) return it->entity;
    return nullptr;
}

void* pick_record::get_dl_item(int level) const
{
    return level >= 0 && level < levels() ? m_levels[static_cast<size_t>(level)].item : nullptr;
}

bool pick_record::operator==(const pick_record& other) const
{
    return m_levels == other.m_levels;
}

// ---------------------------------------------------------------------------------------------
// Managers

pick_manager::pick_manager(pick_method method, int level, entity_filter* filter, const pick_event* first,
                           const pick_event* second)
    : pick_manager(method, pick_entity_any, level, filter, first, second)
{
}

pick_manager::pick_manager(pick_method method, pick_entity_type type, int level, entity_filter* filter,
                           const pick_event* first, const pick_event* second)
    : m_method(method),
      m_type(type),
      m_level(level < 0 ? 0 : level),
      m_filter(filter),
      m_first(first != nullptr ? *first : pick_event()),
      m_second(second != nullptr ? *second : pick_event()),
      m_hasFirst(first != nullptr),
      m_hasSecond(second != nullptr)
{
    if (m_filter != nullptr) m_filter->add();
}

pick_manager::pick_manager(const pick_manager& other)
    : m_method(other.m_method),
      m_type(other.m_type),
      m_level(other.m_level),
      m_options(other.m_options),
      m_filter(other.m_filter),
      m_filterSwitch(other.m_filterSwitch),
      m_first(other.m_first),
      m_second(other.m_second),
      m_hasFirst(other.m_hasFirst),
      m_hasSecond(other.m_hasSecond),
      m_current(other.m_current),
      m_stack(other.m_stack),
      m_records(other.m_records)
{
    if (m_filter != nullptr) m_filter->add();
}

pick_manager& pick_manager::operator=(const pick_manager& other)
{
    if (this == &other) return *this;
    if (other.m_filter != nullptr) other.m_filter->add();
    if (m_filter != nullptr) m_filter->lose();
    m_method = other.m_method;
    m_type = other.m_type;
    m_level = other.m_level;
    m_options = other.m_options;
    m_filter = other.m_filter;
    m_filterSwitch = other.m_filterSwitch;
    m_first = other.m_first;
    m_second = other.m_second;
    m_hasFirst = other.m_hasFirst;
    m_hasSecond = other.m_hasSecond;
    m_current = other.m_current;
    m_stack = other.m_stack;
    m_records = other.m_records;
    m_scope = nullptr;
    return *this;
}

pick_manager::~pick_manager()
{
    if (m_filter != nullptr) m_filter->lose();
}

namespace {

// Puts a view in pick mode for the length of a scope and gives it its earlier pick mode back, on
// every way out.
class PickModeScope {
public:
    PickModeScope(view3d* view, int cx, int cy, int width, int height) : m_view(view)
    {
        m_mode = view->get_pick_mode();
        view->get_pick_aperture(m_cx, m_cy, m_width, m_height);
        view->pick_mode(1, cx, cy, width, height);
    }
    ~PickModeScope()
    {
        if (m_mode != 0)
            m_view->pick_mode(m_mode, m_cx, m_cy, m_width, m_height);
        else
            m_view->pick_mode(0, 0, 0, 0, 0);
    }
    PickModeScope(const PickModeScope&) = delete;
    PickModeScope& operator=(const PickModeScope&) = delete;

private:
    view3d* m_view;
    int m_mode = 0;
    int m_cx = 0, m_cy = 0, m_width = 0, m_height = 0;
};

}  // namespace

int pick_manager::do_pick(ENTITY_LIST* entities, bool keep_records)
{
    if (!keep_records) m_records.clear();
    m_current = pick_record();
    m_stack.clear();
    view3d* view = get_view();
    if (view == nullptr || view->get_rendering_context() == nullptr) return 0;

    int cx = m_first.x(), cy = m_first.y(), width = 0, height = 0;
    if (m_method == pick_method_region && m_hasSecond) {
        cx = (m_first.x() + m_second.x()) / 2;
        cy = (m_first.y() + m_second.y()) / 2;
        width = std::abs(m_first.x() - m_second.x());
        height = std::abs(m_first.y() - m_second.y());
    } else {
        get_pick_aperture(width, height);
    }

    const size_t before = m_records.size();
    struct ScopeReset {
        const ENTITY_LIST*& scope;
        ~ScopeReset() { scope = nullptr; }
    } scopeReset{m_scope};
    m_scope = entities;
    {
        PickModeScope pickMode(view, cx, cy, width, height);
        view->get_rendering_context()->pick(this);
    }
    return static_cast<int>(m_records.size() - before);
}

ENTITY* pick_manager::reported_entity(const pick_record& record) const
{
    ENTITY* atLevel = record.get_entity(m_level);
    return atLevel != nullptr ? atLevel : record.get_entity();
}

int pick_manager::save_current_if_ok()
{
    if (m_current.levels() == 0) return 0;
    ENTITY* entity = reported_entity(m_current);
    if (m_scope != nullptr && (entity == nullptr || m_scope->lookup(entity) < 0)) return 0;
    if (!test_entity(entity)) return 0;
    if (std::find(m_records.begin(), m_records.end(), m_current) == m_records.end()) m_records.push_back(m_current);
    return 1;
}

int pick_manager::test_entity(ENTITY* entity) const
{
    return m_filter == nullptr || m_filter->test(entity) != 0 ? 1 : 0;
}

void pick_manager::get_pick_point(int& x, int& y) const
{
    x = m_hasFirst ? m_first.x() : 0;
    y = m_hasFirst ? m_first.y() : 0;
}

bool pick_manager::GetPickInRegionArea(CRect& area) const
{
    if (!m_hasFirst) return false;
    if (m_method == pick_method_region && m_hasSecond) {
        area.SetRect(std::min(m_first.x(), m_second.x()), std::min(m_first.y(), m_second.y()),
                     std::max(m_first.x(), m_second.x()) + 1, std::max(m_first.y(), m_second.y()) + 1);
        return true;
    }
    int width = 0, height = 0;
    get_pick_aperture(width, height);
    const int left = m_first.x() - width / 2;
    const int top = m_first.y() - height / 2;
    area.SetRect(left, top, left + width, top + height);
    return true;
}

void pick_manager::push_level(void* dl_item, ENTITY* entity)
{
    m_current.m_levels.push_back(pick_record::level{dl_item, entity});
}

void pick_manager::pop_level()
{
    if (!m_current.m_levels.empty()) m_current.m_levels.pop_back();
}

void pick_manager::push_level_stack(void* dl_item, ENTITY* entity)
{
    m_stack.push_back(m_current.levels());
    push_level(dl_item, entity);
}

void pick_manager::pop_level_stack()
{
    if (m_stack.empty()) return;
    const size_t depth = static_cast<size_t>(m_stack.back());
    m_stack.pop_back();
    if (m_current.m_levels.size() > depth) m_current.m_levels.resize(depth);
}

const pick_record* pick_manager::get_record(int index) const
{
    return index >= 0 && index < get_record_count() ? &m_records[static_cast<size_t>(index)] : nullptr;
}

void pick_manager::clear_records()
{
    m_records.clear();
    m_current = pick_record();
    m_stack.clear();
}

// ---------------------------------------------------------------------------------------------
// Factory hook

namespace {

pick_manager_factory_5 sFactory5 = nullptr;
pick_manager_factory_6 sFactory6 = nullptr;

}  // namespace

void set_pick_manager_factories(pick_manager_factory_5 factory5, pick_manager_factory_6 factory6)
{
    sFactory5 = factory5;
    sFactory6 = factory6;
}

pick_manager_factory_5 get_pick_manager_factory_5()
{
    return sFactory5;
}

pick_manager_factory_6 get_pick_manager_factory_6()
{
    return sFactory6;
}

pick_manager* create_pick_manager(pick_method method, int level, entity_filter* filter, const pick_event* first,
                                  const pick_event* second)
{
    if (sFactory5 != nullptr) return sFactory5(method, level, filter, first, second);
    return new pick_manager(method, level, filter, first, second);
}

pick_manager* create_pick_manager(pick_method method, pick_entity_type type, int level, entity_filter* filter,
                                  const pick_event* first, const pick_event* second)
{
    if (sFactory6 != nullptr) return sFactory6(method, type, level, filter, first, second);
    return new pick_manager(method, type, level, filter, first, second);
}

// ---------------------------------------------------------------------------------------------
// Entity pick along the pick ray

namespace {

// The entities whose ray hits stand for the wanted kind.
void Candidates(const ENTITY_LIST& shown, pick_entity_type type, ENTITY_LIST& out)
{
    for (int i = 0; i < shown.count(); ++i) {
        ENTITY* entity = shown[i];
        if (type != pick_entity_face) out.add(entity);
        if (type != pick_entity_edge) get_faces(entity, out);
    }
}

}  // namespace

outcome api_gi_pick_entity(const pick_event& event, pick_entity_type type, ENTITY*& picked, entity_filter* filter,
                           const ENTITY_LIST* candidates)
{
    picked = nullptr;
    API_FUNCTION_BEGIN
    view3d* view = event.view();
    if (view == nullptr) sys_error(BAD_ARGUMENT);
    const pick_ray r = get_pick_ray(event);
    if (!r.valid()) sys_error(BAD_ARGUMENT);

    ENTITY_LIST shown;
    if (candidates != nullptr)
        shown.add(*candidates);
    else if (rendering_context* context = view->get_rendering_context())
        context->get_entities(shown, nullptr, true);
    ENTITY_LIST tested;
    Candidates(shown, type, tested);

    int width = 0, height = 0;
    get_pick_aperture(width, height);
    const double radius = 0.5 * std::sqrt(double(width) * width + double(height) * height) * view->get_units_per_pixel();

    ENTITY_LIST hits;
    double* rawParams = nullptr;
    check_outcome(api_ray_test_ents(r.root_point(), r.direction(), radius, 0, tested, hits, rawParams));
    std::unique_ptr<double[]> params(rawParams);

    const int level = type == pick_entity_body ? 0 : 1;
    std::unique_ptr<pick_manager> manager(
        create_pick_manager(pick_method_entity, type, level, filter, &event, nullptr));
    if (!manager) sys_error(OUT_OF_MEMORY);

    // Offers one hit entity; true when the manager saved it.
    const auto offer = [&](ENTITY* entity) {
        ENTITY* owner = nullptr;
        if (!api_get_owner(entity, owner).ok() || owner == nullptr) owner = entity;
        const int pushed = type == pick_entity_body ? 1 : 2;
        manager->push_level(nullptr, owner);
        if (pushed == 2) manager->push_level(nullptr, entity);
        const int saved = manager->save_current_if_ok();
        for (int i = 0; i < pushed; ++i) manager->pop_level();
        if (saved == 0) return false;
        picked = type == pick_entity_body ? owner : entity;
        return true;
    };
    for (int i = 0; i < hits.count() && picked == nullptr; ++i) {
        ENTITY* entity = hits[i];
        if (type == pick_entity_edge && is_VERTEX(entity)) {
            const VERTEX* vertex = static_cast<const VERTEX*>(entity);
            for (int k = 0; k < vertex->count_edges() && picked == nullptr; ++k) offer(vertex->edge(k));
        } else if (type == pick_entity_face && !is_FACE(entity)) {
            continue;
        } else {
            offer(entity);
        }
    }
    API_FUNCTION_END
    if (!result.ok()) picked = nullptr;
    return result;
}
