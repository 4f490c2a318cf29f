// Reading the application's registry values.
#include "VyrRegistry.h"

#include <windows.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef VYR_SOURCE_DATA_DIR
#error "VYR_SOURCE_DATA_DIR must name the build's data folder"
#endif
#ifndef VYR_INSTALLED_DATA_DIR
#error "VYR_INSTALLED_DATA_DIR must name an installed copy's data folder relative to its libraries"
#endif

namespace {

// The data folder of an installed copy: VYR_INSTALLED_DATA_DIR from the folder this library was
// loaded from, when that folder exists. Empty for a library run from its build, which has none.
CVyrString InstalledDataDir() {
    static const char kHere = 0;
    Dl_info info{};
    if (!dladdr(&kHere, &info) || !info.dli_fname) return CVyrString();
    std::string folder = info.dli_fname;
    const size_t slash = folder.rfind('/');
    folder = (slash == std::string::npos ? std::string() : folder.substr(0, slash + 1)) + VYR_INSTALLED_DATA_DIR;
    char resolved[PATH_MAX];
    struct stat status {};
    if (!realpath(folder.c_str(), resolved) || stat(resolved, &status) != 0 || !S_ISDIR(status.st_mode))
        return CVyrString();
    return CVyrString(resolved);
}

}  // namespace

const wchar_t* const CVyrRegistry::sApplicationKey = L"Software\\Zorbelan\\Zorbelan E\\8.5";

bool CVyrRegistry::Read(const CVyrString& name, CVyrString& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sApplicationKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    bool found = false;
    std::vector<BYTE> data;
    // The value may change between asking for its size and reading it: retry a
    // few times on ERROR_MORE_DATA.
    for (int attempt = 0; attempt < 3; ++attempt) {
        LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) break;
        data.assign(size, 0);
        status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        found = status == ERROR_SUCCESS;
        break;
    }
    RegCloseKey(key);
    if (!found || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;

    // Whole characters only; a value without a terminating zero ends with its data.
    size_t count = size / sizeof(WCHAR);
    std::wstring text(count, L'\0');
    if (count) std::memcpy(&text[0], data.data(), count * sizeof(WCHAR));
    CStringW result(text.c_str());
    result.Replace(L'\\', L'/');
    value = CVyrString(result);
    return true;
}

CVyrString CVyrRegistry::GetDataDir() {
    CVyrString folder;
    if (Read(L"DataDir", folder) && !folder.IsEmpty()) return folder;
    folder = InstalledDataDir();
    if (!folder.IsEmpty()) return folder;
    return CVyrString(VYR_SOURCE_DATA_DIR);
}
