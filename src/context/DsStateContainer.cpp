// CDsStateContainer: the display-state history, a ring of 22 slots.
#include "DsStateContainer.h"

#include "DsStateStorage.h"

#include <algorithm>

CDsStateContainer::CDsStateContainer() : m_states(kSlotCount, nullptr) {}

CDsStateContainer::CDsStateContainer(const CDsStateContainer& other)
    : m_states(kSlotCount, nullptr), m_first(other.m_first), m_current(other.m_current), m_end(other.m_end),
      m_atHead(other.m_atHead)
{
    for (int i = 0; i < kSlotCount; ++i)
        if (other.m_states[i]) m_states[i] = new CDsStateStorage(*other.m_states[i]);
}

CDsStateContainer& CDsStateContainer::operator=(const CDsStateContainer& other)
{
    if (this != &other) {
        CDsStateContainer copy(other);
        std::swap(m_states, copy.m_states);  // the copy deletes the states held before
        m_first = other.m_first;
        m_current = other.m_current;
        m_end = other.m_end;
        m_atHead = other.m_atHead;
    }
    return *this;
}

CDsStateContainer::~CDsStateContainer()
{
    for (CDsStateStorage* state : m_states) delete state;
}

bool CDsStateContainer::AddDsState(CDsStateStorage* state)
{
    if (!state || std::find(m_states.begin(), m_states.end(), state) != m_states.end()) return false;

    ClearFromCurrentIndex();
    m_atHead = true;
    DeleteSlot(m_end);
    m_states[m_end] = state;
    if (m_end == kSlotCount - 1) {
        if (m_first == 0) m_first = 1;  // full: the oldest state drops out below
        m_end = 0;
    } else {
        if (m_end + 1 == m_first) m_first = Next(m_first);  // full: the oldest state drops out below
        ++m_end;
    }
    m_current = Next(m_current);
    // The slots before the oldest and after the newest state stay empty.
    DeleteSlot(m_first);
    DeleteSlot(m_end);
    return true;
}

CDsStateStorage* CDsStateContainer::GetDsState(EDsStateDirection direction)
{
    return direction == eDsStateBackward ? GetPreviousState() : GetNextState();
}

bool CDsStateContainer::IsBackward() const
{
    return m_current != m_first && m_current != Next(m_first);
}

bool CDsStateContainer::IsForward() const
{
    return Next(m_current) != m_end;
}

CDsStateStorage* CDsStateContainer::GetCurrentStat() const
{
    if (m_current < 0 || m_current >= kSlotCount) return nullptr;
    return m_states[m_current];
}

void CDsStateContainer::ClearDsStateStorage()
{
    for (int i = 0; i < kSlotCount; ++i) DeleteSlot(i);
    m_first = 0;
    m_current = 0;
    m_end = 1;
    m_atHead = false;
}

void CDsStateContainer::ClearFromCurrentIndex()
{
    if (m_first == m_current) return;
    if (m_atHead) {
        // Whatever lies beyond the newest state becomes unreachable.
        m_end = Next(m_current);
    } else {
        // The user stepped back: the state shown now is replaced by the one being added.
        m_end = m_current;
        m_current = Previous(m_current);
    }
}

CDsStateStorage* CDsStateContainer::GetPreviousState()
{
    if (Next(m_first) == m_end) return nullptr;  // empty
    // The oldest state has nothing before it: the slot first is always empty, and stepping onto
    // it would leave the cursor on no state.
    if (m_current == m_first || m_current == Next(m_first)) return nullptr;
    m_current = Previous(m_current);
    m_atHead = false;
    return m_states[m_current];
}

CDsStateStorage* CDsStateContainer::GetNextState()
{
    if (Next(m_first) == m_end || Next(m_current) == m_end) return nullptr;
    m_current = Next(m_current);
    return m_states[m_current];
}

void CDsStateContainer::DeleteSlot(int index)
{
    delete m_states[index];
    m_states[index] = nullptr;
}
