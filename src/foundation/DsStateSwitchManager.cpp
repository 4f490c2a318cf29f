// CDsStateSwitchManager: flag 256 of a flag word switched for a scope.
#include "DsStateSwitchManager.h"

#include "DsFlags.h"

CDsStateSwitchManager::CDsStateSwitchManager(CDsFlags* owner, bool on)
    : m_owner(owner), m_wasSet(owner && owner->Get(kFlag))
{
    if (!m_owner) return;
    if (on)
        m_owner->Set(kFlag);
    else
        m_owner->Reset(kFlag);
}

CDsStateSwitchManager::~CDsStateSwitchManager()
{
    if (!m_owner) return;
    if (m_wasSet)
        m_owner->Set(kFlag);
    else
        m_owner->Reset(kFlag);
    m_owner = nullptr;
}
