// Finding language resource modules.
#include "VyrLangResourceManager.h"

CVyrLangResourceManager* CVyrLangResourceManager::GetInstance() {
    static CVyrLangResourceManager* instance = new CVyrLangResourceManager;
    return instance;
}

HINSTANCE CVyrLangResourceManager::GetResourceHandle(CVyrString module) {
    if (module.IsEmpty()) return nullptr;
    CStringW key = module.GetCString();
    key.MakeLower();
    auto known = m_modules.find(key);
    if (known != m_modules.end()) return known->second;
    HINSTANCE handle = GetModuleHandleW(module);
    if (!handle) handle = LoadLibraryW(module);
    if (handle) m_modules.emplace(key, handle);
    return handle;
}

void CVyrLangResourceManager::ResetForTests() { GetInstance()->m_modules.clear(); }

VYR_REGISTER_TEST_RESET(CVyrLangResourceManager::ResetForTests, [] {
    CVyrLangResourceManager::ResetForTests();
    return true;
});
