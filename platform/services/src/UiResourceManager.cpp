// The core's resource switch.
#include "UiResourceManager.h"

#include <afx.h>

UiResourceManager gUiResourceManager;
HINSTANCE gUiRememberedResourceHandle = nullptr;

UiResourceManager::~UiResourceManager() = default;

void UiResourceManager::SwitchToModuleResources(bool remember) {
    if (remember && !gUiRememberedResourceHandle)
        gUiRememberedResourceHandle = AfxGetModuleState()->m_hCurrentResourceHandle;
    if (m_hModule) AfxSetResourceHandle(m_hModule);
}

void UiResourceManager::RestoreResources() {
    if (gUiRememberedResourceHandle) AfxSetResourceHandle(gUiRememberedResourceHandle);
}
