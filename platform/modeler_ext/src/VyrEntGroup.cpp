// Entity groups.
#include "VyrEntGroup.h"

#include <algorithm>
#include <vector>

#include "VyrEntRef.h"

struct CVyrEntGroup::Data {
    // An empty body that only holds the group's TRANSFORM: TRANSFORM entities count the bodies
    // using them, and this is how the group counts as a user.
    BODY* holder = new BODY();
    // The members (null once freed).
    std::vector<CVyrEntRef> members;

    ~Data() { holder->lose(); }

    // Drops members that have been freed.
    void Prune()
    {
        members.erase(std::remove_if(members.begin(), members.end(),
                                     [](const CVyrEntRef& r) { return r.Get() == nullptr; }),
                      members.end());
    }
};

CVyrEntGroup::CVyrEntGroup(TRANSFORM* transform) : m_data(std::make_unique<Data>())
{
    SetTransform(transform);
}

CVyrEntGroup::CVyrEntGroup(const ENTITY_LIST& entities, TRANSFORM* transform) : CVyrEntGroup(transform)
{
    for (int i = 0; i < entities.count(); ++i) Add(entities[i]);
}

CVyrEntGroup::~CVyrEntGroup() = default;

TRANSFORM* CVyrEntGroup::GetTransform() const
{
    return m_data->holder->transform();
}

void CVyrEntGroup::SetTransform(TRANSFORM* transform)
{
    m_data->holder->set_transform(transform);
}

SPAtransf CVyrEntGroup::GetTransformation() const
{
    const TRANSFORM* t = GetTransform();
    return t != nullptr ? t->transform() : SPAtransf();
}

bool CVyrEntGroup::Add(ENTITY* entity)
{
    if (entity == nullptr || entity == this || Contains(entity)) return false;
    m_data->members.emplace_back(entity);
    return true;
}

bool CVyrEntGroup::Remove(const ENTITY* entity)
{
    if (entity == nullptr) return false;
    auto it = std::find_if(m_data->members.begin(), m_data->members.end(),
                           [entity](const CVyrEntRef& r) { return r.Get() == entity; });
    if (it == m_data->members.end()) return false;
    m_data->members.erase(it);
    return true;
}

bool CVyrEntGroup::Contains(const ENTITY* entity) const
{
    if (entity == nullptr) return false;
    return std::any_of(m_data->members.begin(), m_data->members.end(),
                       [entity](const CVyrEntRef& r) { return r.Get() == entity; });
}

void CVyrEntGroup::GetEntities(ENTITY_LIST& list) const
{
    m_data->Prune();
    for (const CVyrEntRef& r : m_data->members) list.add(r.Get());
}

int CVyrEntGroup::GetCount() const
{
    m_data->Prune();
    return static_cast<int>(m_data->members.size());
}

int is_CVyrEntGroup(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrEntGroup::derivation_level) == CVyrEntGroup_TYPE ? 1 : 0;
}
