// Last error, window messages, message boxes, modules and their string tables.
#include "WinInternal.h"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace vyrwin {
namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

struct MessageBoxRecord {
    std::wstring text;
    std::wstring caption;
};
std::vector<MessageBoxRecord>& MessageBoxes() {
    static auto* boxes = new std::vector<MessageBoxRecord>;  // outlives every static destructor
    return *boxes;
}

std::wstring Folded(LPCWSTR text) {
    std::wstring result;
    for (; text && *text; ++text) result += static_cast<wchar_t>(std::towlower(*text));
    return result;
}

// A module name as names are compared: folded, and without a ".dll" ending (a name without an
// extension stands for the library of that name, "VyrGuiRc" and "VyrGuiRc.dll" alike).
std::wstring ModuleKey(LPCWSTR text) {
    std::wstring key = Folded(text);
    const std::wstring dll = L".dll";
    if (key.size() > dll.size() && key.compare(key.size() - dll.size(), dll.size(), dll) == 0)
        key.resize(key.size() - dll.size());
    return key;
}

struct Module {
    std::vector<std::wstring> names;  // ModuleKey of each name it was registered under
    std::map<UINT, std::wstring> strings;
    std::map<UINT, BitmapResource> bitmaps;  // nodes stay put: an HRSRC points at one
    void* loaded = nullptr;  // dlopen handle when LoadLibraryW opened it
    int loadCount = 0;
};
std::map<HMODULE, Module>& Modules() {
    static auto* modules = new std::map<HMODULE, Module>;
    return *modules;
}

std::map<std::wstring, UINT>& WindowMessages() {
    static auto* messages = new std::map<std::wstring, UINT>;
    return *messages;
}

}  // namespace

}  // namespace vyrwin

using namespace vyrwin;

DWORD GetLastError() { return tLastError; }
void SetLastError(DWORD error) { tLastError = error; }

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& messages = WindowMessages();
    auto [it, added] = messages.emplace(Folded(name), 0);
    if (added) it->second = 0xC000 + static_cast<UINT>(messages.size() - 1);
    return it->second;
}

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxes().push_back({text ? text : L"", caption ? caption : L""});
    std::fprintf(stderr, "[message box] %s: %s\n", Utf8FromWide(caption ? caption : L"").c_str(),
                 Utf8FromWide(text).c_str());
    static const int kButtons[][3] = {
        {IDOK, IDOK, IDOK},             {IDOK, IDCANCEL, IDCANCEL},  {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},        {IDYES, IDNO, IDNO},         {IDRETRY, IDCANCEL, IDCANCEL},
    };
    UINT kind = type & MB_TYPEMASK;
    UINT button = (type & MB_DEFMASK) >> 8;
    if (kind > 5) kind = 0;
    if (button > 2) button = 0;
    return kButtons[kind][button];
}

UINT VyrGetMessageBoxCount() { return static_cast<UINT>(MessageBoxes().size()); }

LPCWSTR VyrGetMessageBoxText(UINT index) {
    return index < MessageBoxes().size() ? MessageBoxes()[index].text.c_str() : nullptr;
}

LPCWSTR VyrGetMessageBoxCaption(UINT index) {
    return index < MessageBoxes().size() ? MessageBoxes()[index].caption.c_str() : nullptr;
}

void VyrClearMessageBoxes() { MessageBoxes().clear(); }

HMODULE VyrModuleFromAddress(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fbase) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

BOOL VyrRegisterModule(HMODULE module, LPCWSTR name) {
    if (!module || !name || !*name) return FALSE;
    const std::wstring key = ModuleKey(name);
    // A name names one module: another module registered under it gives it up.
    for (auto& [handle, other] : Modules())
        if (handle != module) other.names.erase(std::remove(other.names.begin(), other.names.end(), key), other.names.end());
    std::vector<std::wstring>& names = Modules()[module].names;
    if (std::find(names.begin(), names.end(), key) == names.end()) names.push_back(key);
    return TRUE;
}

BOOL VyrRegisterStringTable(HMODULE module, const VYR_STRING_RESOURCE* table, UINT count) {
    if (!module || (count && !table)) return FALSE;
    auto& strings = Modules()[module].strings;
    for (UINT i = 0; i < count; ++i) strings[table[i].id] = table[i].text ? table[i].text : L"";
    return TRUE;
}

BOOL VyrRegisterBitmapTable(HMODULE module, const VYR_BITMAP_RESOURCE* table, UINT count) {
    if (!module || (count && !table)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Checked whole before anything is kept, so a bad entry leaves the module as it was.
    std::vector<BitmapResource> made(count);
    for (UINT i = 0; i < count; ++i) {
        const VYR_BITMAP_RESOURCE& entry = table[i];
        const int bits = entry.bitsPerPixel;
        if (entry.width < 1 || entry.height < 1 || (bits != 1 && bits != 24 && bits != 32) || !entry.bits ||
            int64_t(entry.width) * entry.height * bits > (int64_t(1) << 33)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const int64_t stride = ((int64_t(entry.width) * bits + 15) / 16) * 2;
        const uint8_t* first = static_cast<const uint8_t*>(entry.bits);
        made[i].id = entry.id;
        made[i].width = entry.width;
        made[i].height = entry.height;
        made[i].bitsPerPixel = bits;
        made[i].bits.assign(first, first + stride * entry.height);
    }
    auto& bitmaps = Modules()[module].bitmaps;
    for (BitmapResource& resource : made) bitmaps[resource.id] = std::move(resource);
    return TRUE;
}

void VyrUnregisterModule(HMODULE module) { Modules().erase(module); }

namespace vyrwin {

const BitmapResource* FindBitmapResource(HMODULE module, UINT id) {
    auto it = Modules().find(module);
    if (it == Modules().end()) return nullptr;
    auto found = it->second.bitmaps.find(id);
    return found == it->second.bitmaps.end() ? nullptr : &found->second;
}

}  // namespace vyrwin

HMODULE GetModuleHandleW(LPCWSTR name) {
    if (!name) {
        // The executable: the module that holds the program headers the kernel loaded.
        static HMODULE executable = nullptr;
        if (!executable) executable = VyrModuleFromAddress(reinterpret_cast<const void*>(getauxval(AT_PHDR)));
        return executable;
    }
    const std::wstring key = ModuleKey(name);
    for (auto& [handle, module] : Modules())
        if (std::find(module.names.begin(), module.names.end(), key) != module.names.end()) return handle;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadLibraryW(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (HMODULE known = GetModuleHandleW(name)) {
        ++Modules()[known].loadCount;
        return known;
    }
    // "X" and "X.dll" both load "libX.so"; a name that names a shared object is taken as it is.
    std::wstring base = name;
    if (ModuleKey(name) != Folded(name)) base.resize(base.size() - 4);
    std::string file = Utf8FromWide(base);
    if (file.find(".so") == std::string::npos) file = "lib" + file + ".so";
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A module registers itself while it loads; otherwise it is known by its file.
    HMODULE module = GetModuleHandleW(name);
    if (!module) {
        Dl_info info{};
        void* any = dlsym(handle, "_init");
        if (any && dladdr(any, &info)) module = static_cast<HMODULE>(info.dli_fbase);
        if (!module) {
            dlclose(handle);
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        Modules()[module].names.push_back(ModuleKey(name));
    }
    Module& record = Modules()[module];
    record.loaded = handle;
    ++record.loadCount;
    return module;
}

BOOL FreeLibrary(HMODULE module) {
    auto it = Modules().find(module);
    if (it == Modules().end() || it->second.loadCount <= 0) return FALSE;
    if (--it->second.loadCount == 0 && it->second.loaded) {
        void* handle = it->second.loaded;
        it->second.loaded = nullptr;
        dlclose(handle);
    }
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name) return nullptr;
    auto it = Modules().find(module);
    void* handle = it != Modules().end() ? it->second.loaded : nullptr;
    void* symbol = dlsym(handle ? handle : RTLD_DEFAULT, name);
    return reinterpret_cast<FARPROC>(symbol);
}

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int bufferMax) {
    auto it = Modules().find(module);
    if (it == Modules().end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    auto found = it->second.strings.find(id);
    if (found == it->second.strings.end() || !buffer) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const std::wstring& text = found->second;
    if (bufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(buffer) = text.c_str();
        return static_cast<int>(text.size());
    }
    int count = std::min<int>(static_cast<int>(text.size()), bufferMax - 1);
    if (count < 0) return 0;
    std::copy_n(text.begin(), count, buffer);
    buffer[count] = 0;
    return count;
}
