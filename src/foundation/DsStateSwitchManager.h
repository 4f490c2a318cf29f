// CDsStateSwitchManager: a scope guard that sets or clears flag 256 (0x100) of an owner's flag
// word for its lifetime and puts it back as it found it.
//
// The owner is given by its flag word (an item group's CDsFlags); a null owner makes a guard that
// does nothing.
#pragma once

#include <afx.h>

class CDsFlags;

// Switches flag 256 of a flag word for a scope.
class AFX_EXT_CLASS CDsStateSwitchManager {
public:
    // The flag that is switched.
    static const unsigned short kFlag = 256;

    // Remembers whether flag 256 of `owner` is set, then sets it (`on`) or clears it.
    CDsStateSwitchManager(CDsFlags* owner, bool on);
    CDsStateSwitchManager(const CDsStateSwitchManager&) = delete;
    CDsStateSwitchManager& operator=(const CDsStateSwitchManager&) = delete;
    // Sets or clears the flag back as remembered and forgets the owner.
    ~CDsStateSwitchManager();

private:
    CDsFlags* m_owner;
    bool m_wasSet;
};
