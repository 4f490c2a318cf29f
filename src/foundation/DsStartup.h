// Start-up and shut-down of the display core as an extension module of the
// framework, and the window messages it registers while it loads.
#pragma once

#include <afx.h>
#include <windows.h>

// The library's entry point, run when the library is loaded (attach) and
// unloaded (detach). Attach makes the library an extension module of the
// framework: the module's handle goes to the core's resource manager and the
// module joins the framework's chain of resource libraries; it answers FALSE
// when the framework refuses the module. Detach releases what the core holds
// for its lifetime and leaves the chain. Every other reason answers TRUE and
// does nothing. Hidden: every module of the process has an entry of this name.
__attribute__((visibility("hidden"))) BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Window messages of the user-interface toolkit, registered by name while the
// library loads. The core itself sends and handles none of them.
// Asks a toolbar to open its customisation.
extern AFX_EXT_DATA const UINT gVyrUiMsgToolbarCustomize;
// Tells a docking pane that its docking state changed.
extern AFX_EXT_DATA const UINT gVyrUiMsgDockStateChanged;
// Tells a tabbed window that another tab became active.
extern AFX_EXT_DATA const UINT gVyrUiMsgTabActivated;
