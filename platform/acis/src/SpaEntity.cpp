// ENTITY, the attribute chain, named attributes and ENTITY_LIST.
#include "SpaEntity.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// ENTITY

int ENTITY::identity(int level) const
{
    return level == 0 ? ENTITY_TYPE : -1;
}

const char* ENTITY::type_name() const
{
    return "entity";
}

void ENTITY::lose()
{
    if (owner() != nullptr) return;
    delete this;
}

ENTITY::~ENTITY()
{
    while (m_attrib != nullptr) {
        ATTRIB* a = m_attrib;
        a->attach(nullptr);
        destroy(a);
    }
}

void ENTITY::destroy(ENTITY* entity)
{
    delete entity;
}

// ---------------------------------------------------------------------------------------------
// ATTRIB

ATTRIB::ATTRIB(ENTITY* owner)
{
    attach(owner);
}

ATTRIB::~ATTRIB()
{
    attach(nullptr);
}

void ATTRIB::attach(ENTITY* owner)
{
    if (m_owner != nullptr) {
        if (m_previous != nullptr)
            m_previous->m_next = m_next;
        else
            m_owner->m_attrib = m_next;
        if (m_next != nullptr) m_next->m_previous = m_previous;
        m_owner = nullptr;
        m_next = m_previous = nullptr;
    }
    if (owner == nullptr || owner == this) return;
    m_owner = owner;
    ATTRIB* last = owner->m_attrib;
    while (last != nullptr && last->m_next != nullptr) last = last->m_next;
    if (last == nullptr)
        owner->m_attrib = this;
    else
        last->m_next = this;
    m_previous = last;
}

void ATTRIB::lose()
{
    attach(nullptr);
    delete this;
}

ATTRIB_GEN_NAME::ATTRIB_GEN_NAME(ENTITY* owner, const char* name)
    : ATTRIB(owner), m_name(name != nullptr ? name : "")
{
}

ATTRIB_GEN_NAME::~ATTRIB_GEN_NAME() = default;

ATTRIB_GEN_ENTITY::ATTRIB_GEN_ENTITY(ENTITY* owner, const char* name, ENTITY* value)
    : ATTRIB_GEN_NAME(owner, name), m_value(value)
{
}

ATTRIB_GEN_ENTITY::~ATTRIB_GEN_ENTITY() = default;

// ---------------------------------------------------------------------------------------------
// Attribute lookup

namespace {

bool attrib_matches(const ATTRIB* a, int type, int subtype, int subsubtype, int subsubsubtype)
{
    const int wanted[4] = {type, subtype, subsubtype, subsubsubtype};
    for (int i = 0; i < 4; ++i)
        if (wanted[i] != -1 && a->identity(i + 2) != wanted[i]) return false;
    return true;
}

ATTRIB* find_from(ATTRIB* a, int type, int subtype, int subsubtype, int subsubsubtype)
{
    for (; a != nullptr; a = a->next())
        if (attrib_matches(a, type, subtype, subsubtype, subsubsubtype)) return a;
    return nullptr;
}

ATTRIB_GEN_NAME* find_named(const ENTITY* owner, const char* name)
{
    for (ATTRIB* a = find_from(owner->attrib(), ATTRIB_GEN_NAME_TYPE, -1, -1, -1); a != nullptr;
         a = find_from(a->next(), ATTRIB_GEN_NAME_TYPE, -1, -1, -1)) {
        ATTRIB_GEN_NAME* named = static_cast<ATTRIB_GEN_NAME*>(a);
        if (std::strcmp(named->name(), name) == 0) return named;
    }
    return nullptr;
}

}  // namespace

ATTRIB* find_attrib(const ENTITY* owner, int type, int subtype, int subsubtype, int subsubsubtype)
{
    if (owner == nullptr) return nullptr;
    return find_from(owner->attrib(), type, subtype, subsubtype, subsubsubtype);
}

ATTRIB* find_next_attrib(const ATTRIB* previous, int type, int subtype, int subsubtype, int subsubsubtype)
{
    if (previous == nullptr) return nullptr;
    return find_from(previous->next(), type, subtype, subsubtype, subsubsubtype);
}

outcome api_find_named_attribute(const ENTITY* owner, const char* name, ATTRIB_GEN_NAME*& attr)
{
    API_FUNCTION_BEGIN
    attr = nullptr;
    if (owner == nullptr) sys_error(NULL_ENTITY);
    if (name == nullptr) sys_error(BAD_ARGUMENT);
    attr = find_named(owner, name);
    API_FUNCTION_END
    return result;
}

outcome api_add_generic_named_attribute(ENTITY* owner, const char* name, ENTITY* value)
{
    API_FUNCTION_BEGIN
    if (owner == nullptr) sys_error(NULL_ENTITY);
    if (name == nullptr || *name == '\0') sys_error(BAD_ARGUMENT);
    if (ATTRIB_GEN_NAME* old = find_named(owner, name)) old->lose();
    new ATTRIB_GEN_ENTITY(owner, name, value);
    API_FUNCTION_END
    return result;
}

int is_toplevel(const ENTITY* entity)
{
    return entity != nullptr && entity->owner() == nullptr ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// ENTITY_LIST

int ENTITY_LIST::add(ENTITY* entity, int check)
{
    if (entity == nullptr) return -1;
    if (check) {
        auto it = m_index.find(entity);
        if (it != m_index.end()) return it->second;
    }
    const int index = count();
    m_items.push_back(entity);
    m_index.emplace(entity, index);  // keeps the first index when listed twice
    return index;
}

void ENTITY_LIST::add(const ENTITY_LIST& other)
{
    if (&other == this) return;
    for (ENTITY* e : other.m_items) add(e, 1);
}

int ENTITY_LIST::lookup(const ENTITY* entity) const
{
    if (entity == nullptr) return -1;
    auto it = m_index.find(entity);
    return it == m_index.end() ? -1 : it->second;
}

ENTITY* ENTITY_LIST::operator[](int index) const
{
    if (index < 0 || index >= count()) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

ENTITY* ENTITY_LIST::next()
{
    if (m_cursor < 0 || m_cursor >= count()) return nullptr;
    return m_items[static_cast<size_t>(m_cursor++)];
}

void ENTITY_LIST::clear()
{
    m_items.clear();
    m_index.clear();
    m_cursor = 0;
}
