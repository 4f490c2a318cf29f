// CDsManager: the display manager singleton (flags and points palette so far).
#include "DsManager.h"

CDsManager* CDsManager::GetInstance()
{
    static CDsManager* instance = new CDsManager();  // never freed: items may use it at unload
    return instance;
}

CDsManager::CDsManager()
{
    m_flags.set(7);
}

CDsManager::~CDsManager() = default;

bool CDsManager::GetFlag(int index) const
{
    if (index < 0 || index >= kFlagCount) return false;
    return m_flags.test(static_cast<size_t>(index));
}

void CDsManager::SetFlag(int index, bool on)
{
    if (index < 0 || index >= kFlagCount) return;
    m_flags.set(static_cast<size_t>(index), on);
}
