// Entity filters.
#include "SpaFilters.h"

entity_filter::~entity_filter() = default;

int entity_filter::test(ENTITY*) const { return 1; }

void entity_filter::add() { ++m_useCount; }

void entity_filter::lose() {
    if (--m_useCount <= 0) delete this;
}

entity_test_filter::entity_test_filter(entity_test_proc test_fn) : m_test(test_fn) {}

int entity_test_filter::test(ENTITY* entity) const {
    if (!m_test) return 1;
    if (!entity) return 0;
    return m_test(entity) != 0 ? 1 : 0;
}

entity_and_filter::entity_and_filter(entity_filter* first, entity_filter* second)
    : m_first(first), m_second(second) {
    if (m_first) m_first->add();
    if (m_second) m_second->add();
}

entity_and_filter::~entity_and_filter() {
    if (m_first) m_first->lose();
    if (m_second) m_second->lose();
}

int entity_and_filter::test(ENTITY* entity) const {
    if (m_first && !m_first->test(entity)) return 0;
    if (m_second && !m_second->test(entity)) return 0;
    return 1;
}
