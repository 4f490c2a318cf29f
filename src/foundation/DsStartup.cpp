// The entry point of the display core and the load and unload hooks of the
// shared library that run it.
#include "DsStartup.h"

#include "DsLineAttribStorage.h"
#include "DsPlotPallete.h"
#include "UiResourceManager.h"

#include <cstdio>

const UINT gVyrUiMsgToolbarCustomize = RegisterWindowMessageW(L"VyrUiToolbarCustomize");
const UINT gVyrUiMsgDockStateChanged = RegisterWindowMessageW(L"VyrUiDockStateChanged");
const UINT gVyrUiMsgTabActivated = RegisterWindowMessageW(L"VyrUiTabActivated");

namespace {

// What the framework keeps about this extension module. Constant-initialised,
// like every global the entry point writes: the load hook may run before or after
// the dynamic initialisers of the library, and must never be undone by them.
AFX_EXTENSION_MODULE sDsCoreModule = {FALSE, nullptr, nullptr};
// This library's module handle, set by the load hook.
HINSTANCE sDsCoreInstance = nullptr;

}  // namespace

BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(sDsCoreModule, instance)) return FALSE;
        gUiResourceManager.SetModuleHandle(sDsCoreModule.hResource);
        // The chain owns the object: AfxTermExtensionModule deletes it.
        new CDynLinkLibrary(sDsCoreModule);
    } else if (reason == DLL_PROCESS_DETACH) {
        CDsPlotPallete::StDeletePlotPallete();
        CDsLineAttribStorage::StDeleteSpecialLineAttributes();
        AfxTermExtensionModule(sDsCoreModule);
    }
    return TRUE;
}

namespace {

// Runs the entry point's attach once the loader has mapped the library.
__attribute__((constructor)) void DsCoreLoaded() {
    sDsCoreInstance = VyrModuleFromAddress(&sDsCoreModule);
    VyrRegisterModule(sDsCoreInstance, L"VyrDsCore");
    // A load cannot be refused from here: report the failure and carry on
    // without the framework's resources.
    if (!DllMain(sDsCoreInstance, DLL_PROCESS_ATTACH, nullptr))
        std::fprintf(stderr, "VyrDsCore: the framework refused the library as an extension module\n");
}

// Runs the entry point's detach as the library is unloaded, then forgets its name.
__attribute__((destructor)) void DsCoreUnloading() {
    DllMain(sDsCoreInstance, DLL_PROCESS_DETACH, nullptr);
    VyrUnregisterModule(sDsCoreInstance);
}

}  // namespace
