// Private to the framework stand-in: what its parts share.
#pragma once

#include "afxstr.h"

#include <string>
#include <unordered_map>

namespace vyrmfc {

// Looks string `id` up in the current resource module, then along the chain of
// extension modules. False (text unchanged) when no module has it.
bool LoadResourceString(UINT id, CStringW& text);

// A wide path as the OS takes it: backslashes become '/', encoded as UTF-8.
std::string ToOsPath(LPCWSTR path);

// The absolute form of a wide path ('/' separators), made from the current
// folder when relative.
CStringW AbsolutePath(LPCWSTR path);

// The wrappers of a handle type: objects that attached a handle, and temporary
// wrappers made by FromHandle. Allocated once and never destroyed, so wrappers
// can still come and go while the process exits.
template <class T>
struct HandleMap {
    std::unordered_map<const void*, T*> permanent;
    std::unordered_map<const void*, T*> temporary;

    // The attached object, else the temporary wrapper (made by `make` when missing).
    template <class Make>
    T* Find(const void* handle, Make make) {
        if (!handle) return nullptr;
        auto it = permanent.find(handle);
        if (it != permanent.end()) return it->second;
        auto& temp = temporary[handle];
        if (!temp) temp = make();
        return temp;
    }
};

}  // namespace vyrmfc
