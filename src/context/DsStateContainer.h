// CDsStateContainer: the display-state history of a rendering context, a ring of 22 slots that
// keeps up to 20 states, oldest to newest, and a cursor on the state shown now.
//
// Two slots are always empty: the one before the oldest state ("first") and the one after the
// newest ("end"). Adding a state drops the states ahead of the cursor (those the user stepped
// back over), and when the ring is full the oldest state. The ring owns its states and deletes
// them when they drop out, when it is cleared and when it goes.
//
// Stepping answers the state stepped to (still owned by the ring), or null at either end; a step
// that answers null moves nothing. In particular a step back from the oldest state answers null
// and keeps the cursor on it, so IsBackward is true exactly when a step back answers a state.
// Index arithmetic wraps round the ring, comparisons included.
#pragma once

#include <afx.h>

#include <vector>

class CDsStateStorage;

// The way to step through the history.
enum EDsStateDirection : int {
    // Towards older states.
    eDsStateBackward = 0,
    // Towards newer states.
    eDsStateForward = 1
};

// The display-state history (see the header comment).
class AFX_EXT_CLASS CDsStateContainer {
public:
    // Number of slots of the ring.
    static const int kSlotCount = 22;
    // Most states the ring keeps.
    static const int kMaxStates = kSlotCount - 2;

    // An empty history.
    CDsStateContainer();
    // A history holding copies of the other's states, with the same cursor.
    CDsStateContainer(const CDsStateContainer& other);
    // Replaces every state by copies of the other's states, with the same cursor.
    CDsStateContainer& operator=(const CDsStateContainer& other);
    // Deletes every state.
    virtual ~CDsStateContainer();

    // Takes `state` as the newest state and puts the cursor on it, after dropping the states ahead
    // of the cursor (or the one shown when the user had stepped back) and, in a full ring, the
    // oldest. False, with nothing taken, for a null state or one the ring already holds.
    bool AddDsState(CDsStateStorage* state);
    // Steps back (eDsStateBackward) or forward (any other value) and answers the state stepped to,
    // still owned by the ring; null, with nothing moved, when there is none that way.
    CDsStateStorage* GetDsState(EDsStateDirection direction);
    // True when a step back would answer a state.
    bool IsBackward() const;
    // True when a step forward would answer a state.
    bool IsForward() const;
    // The state under the cursor, or null (an empty history).
    CDsStateStorage* GetCurrentStat() const;
    // Deletes every state: an empty history.
    void ClearDsStateStorage();

private:
    // Drops the states ahead of the cursor before an addition (see AddDsState).
    void ClearFromCurrentIndex();
    // One step back; null without one.
    CDsStateStorage* GetPreviousState();
    // One step forward; null without one.
    CDsStateStorage* GetNextState();
    // Deletes the state of slot `index`, if any, and empties the slot.
    void DeleteSlot(int index);
    // The slot after `index`, round the ring.
    static int Next(int index) { return index == kSlotCount - 1 ? 0 : index + 1; }
    // The slot before `index`, round the ring.
    static int Previous(int index) { return index == 0 ? kSlotCount - 1 : index - 1; }

    std::vector<CDsStateStorage*> m_states;
    int m_first = 0;
    int m_current = 0;
    int m_end = 1;
    bool m_atHead = false;
};
