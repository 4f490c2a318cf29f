// Module state, the chain of extension modules and string loading.
#include "afx.h"

#include "MfcInternal.h"

#include <algorithm>
#include <cwchar>

namespace {

// Plain data, zero-initialised before any code runs and never destroyed, so the
// chain stays usable while the process exits.
AFX_MODULE_STATE g_state;

// A string of one module; false when the module does not have it.
bool LoadFromModule(HINSTANCE module, UINT id, CStringW& text) {
    if (!module) return false;
    const WCHAR* found = nullptr;
    // With a zero buffer size the stand-in hands out its read-only copy.
    int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&found), 0);
    if (!found || length < 0) return false;
    text = CStringW(found, length);
    return true;
}

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    if (!g_state.m_bInitialized) {
        g_state.m_hCurrentInstanceHandle = ::GetModuleHandleW(nullptr);
        g_state.m_hCurrentResourceHandle = g_state.m_hCurrentInstanceHandle;
        g_state.m_bInitialized = TRUE;
    }
    return &g_state;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return FALSE;
    if (state.bInitialized && state.hModule == module) return TRUE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    AFX_MODULE_STATE* moduleState = AfxGetModuleState();
    CDynLinkLibrary* library = moduleState->m_pFirstLibrary;
    while (library) {
        CDynLinkLibrary* next = library->m_pNextDLL;
        if (all || library->m_hModule == state.hModule) delete library;  // unlinks itself
        library = next;
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system), m_pNextDLL(nullptr) {
    AFX_MODULE_STATE* moduleState = AfxGetModuleState();
    m_pNextDLL = moduleState->m_pFirstLibrary;
    moduleState->m_pFirstLibrary = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    CDynLinkLibrary** link = &AfxGetModuleState()->m_pFirstLibrary;
    while (*link && *link != this) link = &(*link)->m_pNextDLL;
    if (*link) *link = m_pNextDLL;
    m_pNextDLL = nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AfxSetResourceHandle(HINSTANCE resource) {
    AfxGetModuleState()->m_hCurrentResourceHandle = resource;
}

HINSTANCE AfxGetInstanceHandle() {
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    const HINSTANCE current = state->m_hCurrentResourceHandle;
    if (current && ::FindResourceW(current, name, type)) return current;
    for (CDynLinkLibrary* library = state->m_pFirstLibrary; library; library = library->m_pNextDLL) {
        if (library->m_hResource && library->m_hResource != current &&
            ::FindResourceW(library->m_hResource, name, type))
            return library->m_hResource;
    }
    return current;
}

namespace vyrmfc {

bool LoadResourceString(UINT id, CStringW& text) {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (LoadFromModule(state->m_hCurrentResourceHandle, id, text)) return true;
    for (CDynLinkLibrary* library = state->m_pFirstLibrary; library; library = library->m_pNextDLL) {
        if (library->m_hResource != state->m_hCurrentResourceHandle && LoadFromModule(library->m_hResource, id, text)) {
            return true;
        }
    }
    return false;
}

}  // namespace vyrmfc

int AfxLoadString(UINT id, LPWSTR buffer, UINT maxChars) {
    if (!buffer || maxChars == 0) return 0;
    CStringW text;
    if (!vyrmfc::LoadResourceString(id, text)) {
        buffer[0] = 0;
        return 0;
    }
    size_t n = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(maxChars) - 1);
    std::wmemcpy(buffer, text.GetString(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}
