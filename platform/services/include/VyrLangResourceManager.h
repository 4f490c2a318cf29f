// CVyrLangResourceManager: the language resource modules by name.
#pragma once

#include "VyrServicesApi.h"
#include "VyrString.h"

#include <windows.h>
#include <vyrwin_testresets.h>

#include <map>

// Finds the modules that hold the language resources (strings, images, fonts)
// of the user interface, such as "VyrDisplayRc". A caller makes the handle the
// framework's resource handle for a load and switches back afterwards.
class VYR_SERVICES_API CVyrLangResourceManager {
public:
    // The process's one manager, made on first use and never freed.
    static CVyrLangResourceManager* GetInstance();

    // The module handle of the resource module named `module`: a module already
    // known by that name, else one loaded through LoadLibraryW. Found handles are
    // kept for later calls; null (and nothing kept) when there is no such module.
    HINSTANCE GetResourceHandle(CVyrString module);

    // For tests, which share one process: forgets every module kept by earlier calls, as a
    // fresh process has it. The modules themselves stay loaded.
    VYR_TEST_RESET static void ResetForTests();

private:
    CVyrLangResourceManager() = default;

    std::map<CStringW, HINSTANCE> m_modules;  // by lower-case name
};
