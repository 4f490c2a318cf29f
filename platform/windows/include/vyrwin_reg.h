// The registry: keys and typed values kept in a text file that every process of
// the user shares.
//
// Store file: the path in the environment variable VYR_REGISTRY_FILE when it is
// set and not empty; otherwise "vyr-display/registry" in $XDG_CONFIG_HOME (when it
// is an absolute path), else in $HOME/.config. A missing file is an empty store.
// The parsed store is kept and read again only when the file changed, so a read
// costs microseconds and values written by another process (or by hand) are still
// seen at the next call; every change is written back at once (there is nothing to
// flush). A lock file "<store>.lock" next to the store serialises writers. A store
// file that cannot be parsed is renamed to "<store>.corrupt-<date>-<time>", reported
// in one line on standard error, and replaced by an empty store.
//
// Key and value names compare without case (letters of ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic) and keep the case they were created with. A
// surrogate pair in a name is the one character it encodes: the file writes it as
// that code point, and either spelling finds the key or value. Sub-key paths are
// separated by backslashes; a leading backslash, an empty part or a path more than
// 512 keys deep below its root answers ERROR_BAD_PATHNAME, one trailing backslash is
// ignored. Values keep their type and
// their bytes exactly as given (text values hold wide characters of sizeof(WCHAR)
// bytes, with the terminating zero only when the caller counted it).
//
// The calls answer an error code and never touch GetLastError.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

// Root keys. They always exist, need not be opened, and closing them does nothing.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

// Value types. Any other number is stored and answered as given.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// Access rights of a key handle. Reading values needs KEY_QUERY_VALUE, changing or
// deleting them KEY_SET_VALUE (else ERROR_ACCESS_DENIED); the other rights and the
// 32/64-bit view flags are accepted and have no effect.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0xF003F

// Options of RegCreateKeyExW (every key is stored in the file, whatever is passed).
#define REG_OPTION_NON_VOLATILE 0x0000

// What RegCreateKeyExW did, answered through its disposition argument.
#define REG_CREATED_NEW_KEY 0x0001
#define REG_OPENED_EXISTING_KEY 0x0002

// Error codes of the registry that the basic types do not define.
#ifndef ERROR_BAD_PATHNAME
#define ERROR_BAD_PATHNAME 161L
#endif
#ifndef ERROR_KEY_DELETED
#define ERROR_KEY_DELETED 1018L
#endif

extern "C" {

// Opens an existing key below `key` (null or empty subKey: a new handle to `key`
// itself). ERROR_FILE_NOT_FOUND when it does not exist; *result is null on failure.
VYR_WINAPI_EXPORT LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, DWORD access, PHKEY result);

// Opens the key, creating it and every missing key on its path. `reserved`, `cls`
// and `security` are ignored; disposition (may be null) answers REG_CREATED_NEW_KEY
// or REG_OPENED_EXISTING_KEY. ERROR_CANTWRITE when the store cannot be saved.
VYR_WINAPI_EXPORT LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR cls, DWORD options,
                                       DWORD access, void* security, PHKEY result, LPDWORD disposition);

// Reads a value (null or empty name: the key's default value). With null data,
// answers the size in *size; with a buffer smaller than the value, answers
// ERROR_MORE_DATA and the needed size in *size; otherwise copies the bytes and sets
// *size to their count. *type (when not null) receives the type in every case where
// the value exists. ERROR_FILE_NOT_FOUND when the value does not exist;
// ERROR_INVALID_PARAMETER for data without size or a non-null `reserved`.
VYR_WINAPI_EXPORT LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                        LPDWORD size);

// Creates or replaces a value (null or empty name: the default value) with `size`
// bytes of `data`. `reserved` is ignored; null data with a non-zero size answers
// ERROR_INVALID_PARAMETER.
VYR_WINAPI_EXPORT LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                      DWORD size);

// Removes a value; ERROR_FILE_NOT_FOUND when it does not exist.
VYR_WINAPI_EXPORT LONG RegDeleteValueW(HKEY key, LPCWSTR name);

// Removes a key that has no sub-keys, with its values (ERROR_ACCESS_DENIED when it
// has sub-keys or is a root key). Handles still open on it then answer
// ERROR_KEY_DELETED.
VYR_WINAPI_EXPORT LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);

// Every change is already on disk: checks the handle and answers ERROR_SUCCESS.
VYR_WINAPI_EXPORT LONG RegFlushKey(HKEY key);

// Releases a handle; ERROR_INVALID_HANDLE for one that is not open.
VYR_WINAPI_EXPORT LONG RegCloseKey(HKEY key);

}
