#include "DsPickProccessor.h"

bool CDsPickProccessor::sPickInRegionMode = false;

CDsPickInfoStorage& CDsPickInfoStorage::operator=(const CDsPickInfoStorage& other)
{
    CopyObject(other);
    return *this;
}

void CDsPickInfoStorage::CopyObject(const CDsPickInfoStorage& other)
{
    m_item = other.m_item;
    m_index = other.m_index;
    m_type = other.m_type;
    m_entity = other.m_entity;
}

int CDsPickInfoStorage::FindPickedPrimitiveIndex(const CDsItemBase* item) const
{
    for (const auto& entry : m_indexes)
        if (entry.first == item) return entry.second;
    return 0;
}

CDsPickProccessor::CDsPickProccessor(CDsGlContext* owner) : m_owner(owner), m_states(eDsPickStateCount, false)
{
    m_states[eDsPickStateGroupComponent] = true;
}

void CDsPickProccessor::Set(EDsPickProccessorStates state, bool on)
{
    if (state < 0 || state >= eDsPickStateCount) return;
    m_states[static_cast<size_t>(state)] = on;
}

bool CDsPickProccessor::Get(EDsPickProccessorStates state) const
{
    if (state < 0 || state >= eDsPickStateCount) return false;
    return m_states[static_cast<size_t>(state)];
}
