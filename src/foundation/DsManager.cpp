// CDsManager: the display manager singleton (flags and points palette so far).
#include "DsManager.h"

#include "DsGlExtensions.h"

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

// Shaders: loading the OpenGL extensions they need, and whether they can be and are used.

bool CDsManager::InitShaders(CVyrString& message)
{
    return DsInitShaderExtensions(message);
}

bool CDsManager::IsShaderSupported() const
{
    return DsGlExt::bGL_ARB_vertex_program && DsGlExt::bGL_ARB_fragment_program;
}

bool CDsManager::IsShaderEnabled() const
{
    return GetFlag(13) && IsShaderSupported();
}
