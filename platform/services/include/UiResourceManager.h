// Switches the framework's resource handle to the display core's own module and
// back, for loads of the core's resources.
#pragma once

#include "VyrServicesApi.h"

#include <windows.h>

// Knows the core's module and moves the framework's resource handle to it.
// The members are plain data with a constant-initialised constructor, so the
// global instance is usable before any dynamic initialisation has run.
class VYR_SERVICES_API UiResourceManager {
public:
    // No module handle.
    constexpr UiResourceManager() {}
    virtual ~UiResourceManager();
    UiResourceManager(const UiResourceManager&) = delete;
    UiResourceManager& operator=(const UiResourceManager&) = delete;

    // Sets the module whose resources a switch makes current (null: none).
    void SetModuleHandle(HINSTANCE module) { m_hModule = module; }
    // The module set, null until the core's entry point stores it.
    HINSTANCE GetModuleHandle() const { return m_hModule; }
    // With remember, and when nothing is remembered yet, first remembers the
    // framework's current resource handle; then, when a module is set, makes it
    // the framework's resource handle.
    void SwitchToModuleResources(bool remember);
    // Makes the remembered handle the framework's resource handle again (it
    // stays remembered); nothing when none was remembered.
    void RestoreResources();

private:
    HINSTANCE m_hModule = nullptr;
};

// The one instance, for the life of the process.
extern VYR_SERVICES_API UiResourceManager gUiResourceManager;
// The framework's resource handle current before the first remembering switch;
// null until then.
extern VYR_SERVICES_API HINSTANCE gUiRememberedResourceHandle;
