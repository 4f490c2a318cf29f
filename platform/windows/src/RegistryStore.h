// Private to the registry: the in-memory tree of keys and values, its text form,
// and the store file that holds it (parsed once and kept while the file is unchanged,
// written under a lock; see vyrwin_storefile.h for how an unchanged file is told).
#pragma once

#include "vyrwin_storefile.h"
#include "vyrwin_types.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vyrwin {
namespace reg {

// The four root keys, in the order of their handle values.
enum Root { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kRootCount };

// The name of a root key as the store file writes it ("HKEY_LOCAL_MACHINE").
const wchar_t* RootName(int root);

// The name with its letters folded to one case and its surrogate pairs joined, for
// comparing names (a name that came from UTF-16 matches the same name read from the file).
std::wstring Fold(const std::wstring& name);

// One value: its name as first given, its type and its bytes.
struct Value {
    std::wstring name;          // empty: the default value
    std::wstring folded;        // Fold(name), what lookups compare
    DWORD type = 0;             // REG_SZ, REG_DWORD... or any other number
    std::vector<uint8_t> data;  // the bytes exactly as given
};

// One key with its values (in the order they were first set) and sub-keys.
struct Key {
    std::wstring name;                                      // as first created
    std::vector<Value> values;                              // in creation order
    std::unordered_map<std::wstring, size_t> valueIndex;    // folded name -> place in values
    std::map<std::wstring, std::unique_ptr<Key>> subkeys;   // by folded name

    Key() = default;
    // A deep copy, sub-keys included.
    Key(const Key& other);
    Key& operator=(const Key& other);
    Key(Key&&) = default;
    Key& operator=(Key&&) = default;

    // The value of that name (any case), null when absent.
    Value* FindValue(const std::wstring& valueName);
    const Value* FindValue(const std::wstring& valueName) const;
    // Creates or replaces a value; a replaced value keeps its place and name.
    void SetValue(const std::wstring& valueName, DWORD type, std::vector<uint8_t> data);
    // Removes a value; false when absent.
    bool RemoveValue(const std::wstring& valueName);
    // The sub-key of that name (any case), null when absent.
    Key* FindSubkey(const std::wstring& keyName) const;
    // The sub-key of that name, created when absent (`created` tells which).
    Key& AddSubkey(const std::wstring& keyName, bool& created);
};

// A path below a root key: the names of the keys on the way, outermost first.
typedef std::vector<std::wstring> KeyPath;

// The most keys a path may hold below its root. A deeper path is malformed (the
// calls answer ERROR_BAD_PATHNAME, a store file naming one is corrupt): the key
// tree is freed and written recursively, and must not exhaust the stack.
const size_t kMaxDepth = 512;

// The whole registry.
struct Store {
    Key roots[kRootCount];  // always present

    // An empty registry: the four root keys without values or sub-keys.
    Store();
    // The key at that path, null when it (or a key on its way) is absent.
    Key* Find(int root, const KeyPath& path);
    const Key* Find(int root, const KeyPath& path) const;
    // The key at that path, created with every missing key on its way.
    Key& Create(int root, const KeyPath& path, bool& created);
};

// Splits a sub-key text at its backslashes. False (ERROR_BAD_PATHNAME) for a
// leading backslash or an empty part; one trailing backslash is ignored.
bool SplitSubKey(const std::wstring& text, KeyPath& parts);

// The text form of the store (see Registry.cpp for the format).
std::string Serialize(const Store& store);
// Reads the text form into an empty store; false with a reason when it is malformed.
bool Parse(const std::string& text, Store& store, std::string& reason);

// The store file's path, empty when neither VYR_REGISTRY_FILE nor a home folder
// can name one.
std::string StorePath();

// The store as the file holds it now (parsed again only when the file changed): empty when
// the file is missing, unreadable (reported once) or corrupt (moved aside and reported). The
// store answered is never changed afterwards; hold it as long as it is read.
std::shared_ptr<const Store> Current();

// Takes the store under the writers' lock, lets `change` modify a copy of it and, when it
// reports a change and answers ERROR_SUCCESS, writes it back atomically (and keeps it as
// the current store). Answers
// what `change` answered, ERROR_CANTWRITE when the store cannot be read or saved,
// or ERROR_BADDB when a corrupt store cannot be moved aside.
LONG Update(const std::function<LONG(Store& store, bool& changed)>& change);

}  // namespace reg
}  // namespace vyrwin
