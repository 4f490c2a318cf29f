// The registry calls over the store file.
//
// Store file format (UTF-8 text, lines end with a line feed; a carriage return
// before it is accepted):
//
//   ; comment lines start with a semicolon; blank lines are ignored
//   VYR-REGISTRY 1                          <- the first line that is neither
//   [HKEY_LOCAL_MACHINE\Software\Example]   <- one section per key, full path
//   @=REG_SZ:68 00 00 00 00 00 00 00        <- the default value
//   "Count"=REG_DWORD:2a 00 00 00
//   "Empty"=REG_BINARY:
//   "Odd"=0x00001234:01 02                  <- a type without a name, in hex
//
// A value line is the quoted name (or @ for the default value), '=', the type
// (REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD,
// or 0x and up to 8 hex digits), ':' and the value's bytes as two-digit hex
// numbers separated by spaces, in their order in memory. Key and value names are
// UTF-8 (a surrogate pair as the code point it encodes; bytes that are not UTF-8
// make the file corrupt); a character that is a control character, one of
// % " [ ] \ or not a Unicode scalar value (a lone surrogate) is written "%{hex}"
// with its code point. A section makes
// its key and every key on its path exist; a key without values is written only
// when it has no sub-keys (its sub-keys' sections imply it). Keys are written
// depth first, sub-keys sorted by their folded names; values in the order they
// were first set. A later line for the same value replaces the earlier one. Any
// other line, and a section more than 512 keys deep below its root, makes the
// file corrupt.
//
// Handles: a root key's handle is its constant; any other handle is a heap object
// holding its root, its path and its access rights, valid from the call that
// answered it until RegCloseKey. Handles name keys by path, so a handle sees
// changes made through other handles and other processes, and a handle whose key
// was deleted answers ERROR_KEY_DELETED.

#include "vyrwin_reg.h"

#include "RegistryStore.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

using vyrwin::reg::Key;
using vyrwin::reg::KeyPath;
using vyrwin::reg::Store;

struct HKEY__ {
    int root = 0;         // vyrwin::reg::Root
    KeyPath path;         // below the root, as the caller spelled it
    DWORD access = 0;     // the rights asked for when it was opened
};

namespace {

std::mutex g_handleMutex;

// The open handles. Never destroyed, so a handle closed during static destruction
// still finds it.
std::set<const HKEY__*>& OpenHandles() {
    static std::set<const HKEY__*>* handles = new std::set<const HKEY__*>;
    return *handles;
}

// The root of a root key's constant, -1 for any other handle.
int RootOfConstant(HKEY key) {
    if (key == HKEY_CLASSES_ROOT)
        return vyrwin::reg::kClassesRoot;
    if (key == HKEY_CURRENT_USER)
        return vyrwin::reg::kCurrentUser;
    if (key == HKEY_LOCAL_MACHINE)
        return vyrwin::reg::kLocalMachine;
    if (key == HKEY_USERS)
        return vyrwin::reg::kUsers;
    return -1;
}

// A copy of what a handle names, so no handle object is used outside the lock.
LONG Resolve(HKEY key, HKEY__& target) {
    const int root = RootOfConstant(key);
    if (root >= 0) {
        target.root = root;
        target.path.clear();
        target.access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    std::lock_guard<std::mutex> lock(g_handleMutex);
    if (!key || OpenHandles().count(key) == 0)
        return ERROR_INVALID_HANDLE;
    target = *key;
    return ERROR_SUCCESS;
}

HKEY NewHandle(int root, const KeyPath& path, DWORD access) {
    HKEY handle = new HKEY__;
    handle->root = root;
    handle->path = path;
    handle->access = access;
    std::lock_guard<std::mutex> lock(g_handleMutex);
    OpenHandles().insert(handle);
    return handle;
}

// The handle's path followed by the sub-key's parts (null sub-key: none).
LONG FullPath(const HKEY__& base, LPCWSTR subKey, KeyPath& full) {
    KeyPath parts;
    if (subKey && !vyrwin::reg::SplitSubKey(subKey, parts))
        return ERROR_BAD_PATHNAME;
    if (base.path.size() + parts.size() > vyrwin::reg::kMaxDepth)
        return ERROR_BAD_PATHNAME;
    full = base.path;
    full.insert(full.end(), parts.begin(), parts.end());
    return ERROR_SUCCESS;
}

std::wstring NameOrDefault(LPCWSTR name) {
    return name ? std::wstring(name) : std::wstring();
}

}  // namespace

extern "C" {

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD /*options*/, DWORD access, PHKEY result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY__ base;
    LONG status = Resolve(key, base);
    KeyPath full;
    if (status == ERROR_SUCCESS)
        status = FullPath(base, subKey, full);
    if (status != ERROR_SUCCESS)
        return status;
    const std::shared_ptr<const Store> store = vyrwin::reg::Current();
    if (!store->Find(base.root, base.path))
        return ERROR_KEY_DELETED;
    if (!store->Find(base.root, full))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(base.root, full, access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD /*reserved*/, LPWSTR /*cls*/, DWORD /*options*/,
                     DWORD access, void* /*security*/, PHKEY result, LPDWORD disposition) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    HKEY__ base;
    LONG status = Resolve(key, base);
    KeyPath full;
    if (status == ERROR_SUCCESS)
        status = FullPath(base, subKey, full);
    if (status != ERROR_SUCCESS)
        return status;

    // An existing key needs no write (and opens even when the store is read-only).
    bool created = false;
    const std::shared_ptr<const Store> current = vyrwin::reg::Current();
    if (!current->Find(base.root, base.path))
        return ERROR_KEY_DELETED;
    if (!current->Find(base.root, full)) {
        status = vyrwin::reg::Update([&](Store& store, bool& changed) -> LONG {
            if (!store.Find(base.root, base.path))
                return ERROR_KEY_DELETED;
            store.Create(base.root, full, created);
            changed = created;
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS)
            return status;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(base.root, full, access);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    HKEY__ target;
    const LONG status = Resolve(key, target);
    if (status != ERROR_SUCCESS)
        return status;
    if (reserved || (data && !size))
        return ERROR_INVALID_PARAMETER;
    if (!(target.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::shared_ptr<const Store> store = vyrwin::reg::Current();
    const Key* found = store->Find(target.root, target.path);
    if (!found)
        return ERROR_KEY_DELETED;
    const vyrwin::reg::Value* value = found->FindValue(NameOrDefault(name));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    const DWORD needed = static_cast<DWORD>(value->data.size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        std::memcpy(data, value->data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
    HKEY__ target;
    const LONG status = Resolve(key, target);
    if (status != ERROR_SUCCESS)
        return status;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    if (!(target.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::vector<uint8_t> bytes(data, data + size);
    const std::wstring valueName = NameOrDefault(name);
    return vyrwin::reg::Update([&](Store& store, bool& changed) -> LONG {
        Key* found = store.Find(target.root, target.path);
        if (!found)
            return ERROR_KEY_DELETED;
        found->SetValue(valueName, type, bytes);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR name) {
    HKEY__ target;
    const LONG status = Resolve(key, target);
    if (status != ERROR_SUCCESS)
        return status;
    if (!(target.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    const std::wstring valueName = NameOrDefault(name);
    return vyrwin::reg::Update([&](Store& store, bool& changed) -> LONG {
        Key* found = store.Find(target.root, target.path);
        if (!found)
            return ERROR_KEY_DELETED;
        if (!found->RemoveValue(valueName))
            return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    HKEY__ base;
    LONG status = Resolve(key, base);
    KeyPath full;
    if (status == ERROR_SUCCESS)
        status = FullPath(base, subKey, full);
    if (status != ERROR_SUCCESS)
        return status;
    if (full.empty())
        return ERROR_ACCESS_DENIED;  // a root key
    return vyrwin::reg::Update([&](Store& store, bool& changed) -> LONG {
        if (!store.Find(base.root, base.path))
            return ERROR_KEY_DELETED;
        const KeyPath parentPath(full.begin(), full.end() - 1);
        Key* parent = store.Find(base.root, parentPath);
        Key* doomed = parent ? parent->FindSubkey(full.back()) : nullptr;
        if (!doomed)
            return ERROR_FILE_NOT_FOUND;
        if (!doomed->subkeys.empty())
            return ERROR_ACCESS_DENIED;
        parent->subkeys.erase(vyrwin::reg::Fold(full.back()));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegFlushKey(HKEY key) {
    HKEY__ target;
    return Resolve(key, target);
}

LONG RegCloseKey(HKEY key) {
    if (RootOfConstant(key) >= 0)
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(g_handleMutex);
    if (!key || OpenHandles().erase(key) == 0)
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

}
