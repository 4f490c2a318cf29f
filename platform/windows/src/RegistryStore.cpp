// The registry's tree, its text form and its store file. The format is described
// at the top of Registry.cpp.

#include "RegistryStore.h"

#include "WinInternal.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace vyrwin {
namespace reg {

namespace {

const wchar_t* const kRootNames[kRootCount] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                               L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"};

const char* const kHeader = "VYR-REGISTRY 1";

// --- case folding ---------------------------------------------------------------

// Lower case of the letters of ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic; every other character is its own fold. Independent of the locale, so
// that every process compares names alike.
wchar_t FoldChar(wchar_t c) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? static_cast<wchar_t>(u + 0x20) : c;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
        return static_cast<wchar_t>(u + 0x20);
    if (u >= 0x100 && u <= 0x17F) {
        if (u == 0x178)
            return static_cast<wchar_t>(0xFF);
        if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F)
            return c;
        if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))  // odd code points are capitals here
            return (u & 1) ? static_cast<wchar_t>(u + 1) : c;
        return (u & 1) ? c : static_cast<wchar_t>(u + 1);
    }
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2)
        return static_cast<wchar_t>(u + 0x20);
    if (u >= 0x410 && u <= 0x42F)
        return static_cast<wchar_t>(u + 0x20);
    if (u >= 0x400 && u <= 0x40F)
        return static_cast<wchar_t>(u + 0x50);
    return c;
}

// --- names in the file ----------------------------------------------------------

bool NeedsEscape(uint32_t u) {
    return u < 0x20 || u == 0x7F || u == '%' || u == '"' || u == '[' || u == ']' || u == '\\' ||
           (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF;
}

// UTF-8, with "%{hex}" for characters that would break the line's syntax and for
// code points that UTF-8 cannot carry (a lone surrogate keeps its exact value that way).
std::string EncodeName(const std::wstring& name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const char32_t u = NextCodePoint(name.data(), name.size(), i);
        if (NeedsEscape(static_cast<uint32_t>(u))) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%%{%x}", static_cast<unsigned>(u));
            out += buffer;
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The inverse of EncodeName; false for a bad escape or for bytes that are not UTF-8 (the
// file is then corrupt and kept aside whole, rather than read with replaced names).
bool DecodeName(const std::string& text, std::wstring& name) {
    name.clear();
    size_t i = 0;
    while (i < text.size()) {
        uint32_t u = 0;
        if (text[i] == '%') {
            if (i + 1 >= text.size() || text[i + 1] != '{')
                return false;
            size_t j = i + 2;
            int digits = 0;
            while (j < text.size() && HexDigit(text[j]) >= 0 && digits < 8) {
                u = (u << 4) | static_cast<uint32_t>(HexDigit(text[j]));
                ++j;
                ++digits;
            }
            if (digits == 0 || j >= text.size() || text[j] != '}')
                return false;
            i = j + 1;
        } else {
            const Utf8Sequence sequence = DecodeUtf8Sequence(text.data() + i, text.size() - i);
            if (!sequence.valid)
                return false;
            u = static_cast<uint32_t>(sequence.codePoint);
            i += sequence.length;
        }
        name += static_cast<wchar_t>(u);
    }
    return true;
}

// --- value types in the file ----------------------------------------------------

struct TypeName {
    DWORD type;
    const char* name;
};
const TypeName kTypeNames[] = {{0, "REG_NONE"},   {1, "REG_SZ"},        {2, "REG_EXPAND_SZ"},
                               {3, "REG_BINARY"}, {4, "REG_DWORD"},     {7, "REG_MULTI_SZ"},
                               {11, "REG_QWORD"}};

std::string TypeToText(DWORD type) {
    for (const TypeName& t : kTypeNames)
        if (t.type == type)
            return t.name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<unsigned>(type));
    return buffer;
}

bool TextToType(const std::string& text, DWORD& type) {
    for (const TypeName& t : kTypeNames)
        if (text == t.name) {
            type = t.type;
            return true;
        }
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    uint32_t value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    type = value;
    return true;
}

// --- text helpers ---------------------------------------------------------------

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsSpace(s[begin]))
        ++begin;
    while (end > begin && IsSpace(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

// Parses "[ROOT\part\part]" (already trimmed).
bool ParseSection(const std::string& line, int& root, KeyPath& path, std::string& reason) {
    const std::string inner = line.substr(1, line.size() - 2);
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = inner.find('\\', start);
        parts.push_back(inner.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    if (parts.size() - 1 > kMaxDepth) {
        reason = "key path deeper than " + std::to_string(kMaxDepth) + " keys in a section";
        return false;
    }
    root = -1;
    for (int r = 0; r < kRootCount; ++r)
        if (parts[0] == Narrow(kRootNames[r]))
            root = r;
    if (root < 0) {
        reason = "unknown root key \"" + parts[0] + "\"";
        return false;
    }
    path.clear();
    for (size_t i = 1; i < parts.size(); ++i) {
        std::wstring name;
        if (parts[i].empty() || !DecodeName(parts[i], name)) {
            reason = "bad key name in section " + line;
            return false;
        }
        path.push_back(name);
    }
    return true;
}

// Parses "\"name\"=TYPE:hex bytes" or "@=TYPE:hex bytes" (already trimmed).
bool ParseValue(const std::string& line, Value& value, std::string& reason) {
    size_t pos = 0;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos || !DecodeName(line.substr(1, close - 1), value.name)) {
            reason = "bad value name";
            return false;
        }
        pos = close + 1;
    }
    while (pos < line.size() && IsSpace(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=') {
        reason = "'=' missing after the value name";
        return false;
    }
    const size_t colon = line.find(':', pos + 1);
    if (colon == std::string::npos) {
        reason = "':' missing after the value type";
        return false;
    }
    if (!TextToType(Trim(line.substr(pos + 1, colon - pos - 1)), value.type)) {
        reason = "unknown value type";
        return false;
    }
    value.data.clear();
    size_t i = colon + 1;
    for (;;) {
        while (i < line.size() && IsSpace(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const int high = HexDigit(line[i]);
        const int low = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
        if (high < 0 || low < 0 || (i + 2 < line.size() && !IsSpace(line[i + 2]))) {
            reason = "bad byte in value data";
            return false;
        }
        value.data.push_back(static_cast<uint8_t>((high << 4) | low));
        i += 2;
    }
    return true;
}

void WriteKey(std::string& out, const std::string& path, const Key& key, bool isRoot) {
    if (!key.values.empty() || (!isRoot && key.subkeys.empty())) {
        out += "\n[" + path + "]\n";
        static const char kHex[] = "0123456789abcdef";
        for (const Value& v : key.values) {
            out += v.name.empty() ? std::string("@") : "\"" + EncodeName(v.name) + "\"";
            out += "=" + TypeToText(v.type) + ":";
            for (size_t i = 0; i < v.data.size(); ++i) {
                if (i)
                    out += ' ';
                out += kHex[v.data[i] >> 4];
                out += kHex[v.data[i] & 0x0F];
            }
            out += '\n';
        }
    }
    for (const auto& entry : key.subkeys)
        WriteKey(out, path + "\\" + EncodeName(entry.second->name), *entry.second, false);
}

// --- the file -------------------------------------------------------------------

std::mutex g_logMutex;
std::string g_lastMessage;

// Logs a line unless it repeats the previous one (a store that stays unreadable
// would otherwise be reported at every read).
void LogDistinct(const std::string& message) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (message == g_lastMessage)
        return;
    g_lastMessage = message;
    LogLine("%s", message.c_str());
}

// Renames a corrupt store aside (under the lock) and reports it.
bool MoveAside(const std::string& path, const std::string& reason) {
    std::string aside;
    int error = 0;
    if (!MoveFileAside(path, aside, error)) {
        LogDistinct("registry store " + path + " is corrupt (" + reason + ") and cannot be moved aside (" +
                    std::strerror(error) + "); it is left as it is and not written");
        return false;
    }
    LogDistinct("registry store " + path + " is corrupt (" + reason + "); kept as " + aside +
                ", continuing with an empty store");
    return true;
}

// --- the kept store -------------------------------------------------------------

typedef StoreFileCache<Store> Cache;

// Never destroyed, so the registry still answers during static destruction.
Cache& TheCache() {
    static Cache* cache = new Cache(Parse);
    return *cache;
}

const std::shared_ptr<const Store>& EmptyStore() {
    static const auto* empty = new std::shared_ptr<const Store>(std::make_shared<const Store>());
    return *empty;
}
}  // namespace

// --- the tree -------------------------------------------------------------------

const wchar_t* RootName(int root) {
    return root >= 0 && root < kRootCount ? kRootNames[root] : L"";
}

std::wstring Fold(const std::wstring& name) {
    std::wstring folded;
    folded.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const char32_t c = NextCodePoint(name.data(), name.size(), i);
        folded += c < 0x10000 ? FoldChar(static_cast<wchar_t>(c)) : static_cast<wchar_t>(c);
    }
    return folded;
}

Key::Key(const Key& other) : name(other.name), values(other.values), valueIndex(other.valueIndex) {
    for (const auto& entry : other.subkeys)
        subkeys.emplace(entry.first, std::unique_ptr<Key>(new Key(*entry.second)));
}

Key& Key::operator=(const Key& other) {
    if (this != &other) {
        Key copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value* Key::FindValue(const std::wstring& valueName) {
    return const_cast<Value*>(static_cast<const Key*>(this)->FindValue(valueName));
}

const Value* Key::FindValue(const std::wstring& valueName) const {
    // An index rather than a scan: a store file may hold thousands of values in one key, and
    // reading it sets each of them.
    const auto it = valueIndex.find(Fold(valueName));
    return it == valueIndex.end() ? nullptr : &values[it->second];
}

void Key::SetValue(const std::wstring& valueName, DWORD type, std::vector<uint8_t> data) {
    Value* existing = FindValue(valueName);
    if (!existing) {
        values.push_back(Value());
        existing = &values.back();
        existing->name = valueName;
        existing->folded = Fold(valueName);
        valueIndex[existing->folded] = values.size() - 1;
    }
    existing->type = type;
    existing->data = std::move(data);
}

bool Key::RemoveValue(const std::wstring& valueName) {
    const auto found = valueIndex.find(Fold(valueName));
    if (found == valueIndex.end()) return false;
    const size_t place = found->second;
    valueIndex.erase(found);
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(place));
    for (size_t i = place; i < values.size(); ++i) valueIndex[values[i].folded] = i;
    return true;
}

Key* Key::FindSubkey(const std::wstring& keyName) const {
    const auto it = subkeys.find(Fold(keyName));
    return it == subkeys.end() ? nullptr : it->second.get();
}

Key& Key::AddSubkey(const std::wstring& keyName, bool& created) {
    std::unique_ptr<Key>& slot = subkeys[Fold(keyName)];
    created = !slot;
    if (!slot) {
        slot.reset(new Key);
        slot->name = keyName;
    }
    return *slot;
}

Store::Store() {
    for (int r = 0; r < kRootCount; ++r)
        roots[r].name = kRootNames[r];
}

Key* Store::Find(int root, const KeyPath& path) {
    return const_cast<Key*>(static_cast<const Store*>(this)->Find(root, path));
}

const Key* Store::Find(int root, const KeyPath& path) const {
    if (root < 0 || root >= kRootCount)
        return nullptr;
    const Key* key = &roots[root];
    for (const std::wstring& part : path) {
        key = key->FindSubkey(part);
        if (!key)
            return nullptr;
    }
    return key;
}

Key& Store::Create(int root, const KeyPath& path, bool& created) {
    created = false;
    Key* key = &roots[root];
    for (const std::wstring& part : path) {
        bool made = false;
        key = &key->AddSubkey(part, made);
        created = created || made;
    }
    return *key;
}

bool SplitSubKey(const std::wstring& text, KeyPath& parts) {
    parts.clear();
    if (text.empty())
        return true;
    if (text[0] == L'\\')
        return false;
    const std::wstring trimmed = text.back() == L'\\' ? text.substr(0, text.size() - 1) : text;
    size_t start = 0;
    for (;;) {
        const size_t slash = trimmed.find(L'\\', start);
        const std::wstring part =
            trimmed.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (part.empty())
            return false;
        parts.push_back(part);
        if (slash == std::wstring::npos)
            return true;
        start = slash + 1;
    }
}

// --- the text form --------------------------------------------------------------

std::string Serialize(const Store& store) {
    std::string out;
    out += "; Registry store. One section [ROOT\\key\\sub-key] per key, then one line per value:\n";
    out += "; \"name\"=TYPE:bytes in hex (@ names the default value). Names are UTF-8; %{hex}\n";
    out += "; stands for a character by its code point.\n";
    out += kHeader;
    out += '\n';
    for (int r = 0; r < kRootCount; ++r)
        WriteKey(out, Narrow(kRootNames[r]), store.roots[r], true);
    return out;
}

bool Parse(const std::string& text, Store& store, std::string& reason) {
    bool headerSeen = false;
    Key* current = nullptr;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == ';')
            continue;
        std::string problem;
        if (!headerSeen) {
            if (line != kHeader) {
                reason = "line " + std::to_string(lineNumber) + ": the header \"" + kHeader + "\" is missing";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (line[0] == '[' && line.back() == ']' && line.size() >= 2) {
            int root = -1;
            KeyPath path;
            if (ParseSection(line, root, path, problem)) {
                bool created = false;
                current = &store.Create(root, path, created);
                continue;
            }
        } else if (line[0] == '"' || line[0] == '@') {
            Value value;
            if (!current) {
                problem = "value outside of a key section";
            } else if (ParseValue(line, value, problem)) {
                current->SetValue(value.name, value.type, std::move(value.data));
                continue;
            }
        } else {
            problem = "unrecognised line";
        }
        reason = "line " + std::to_string(lineNumber) + ": " + problem;
        return false;
    }
    return true;
}

// --- the store file -------------------------------------------------------------

std::string StorePath() {
    return StoreFilePath("VYR_REGISTRY_FILE", "registry");
}

std::shared_ptr<const Store> Current() {
    const std::string path = StorePath();
    if (path.empty())
        return EmptyStore();
    Cache::Loaded loaded = TheCache().Load(path);
    if (loaded.status == Cache::Status::kOk)
        return loaded.store;
    if (loaded.status == Cache::Status::kFailed) {
        LogDistinct("cannot read registry store " + path + ": " + std::strerror(loaded.error) +
                    "; reading it as empty");
        return EmptyStore();
    }
    // Corrupt: check again under the lock (a writer may have replaced it meanwhile)
    // before moving it aside.
    StoreWriterLock lock(path);
    if (!lock.Held()) {
        LogDistinct("registry store " + path + " is corrupt (" + loaded.reason + ") and cannot be locked (" +
                    std::strerror(lock.Error()) + "); reading it as empty");
        return EmptyStore();
    }
    loaded = TheCache().Load(path);
    if (loaded.status == Cache::Status::kOk)
        return loaded.store;
    if (loaded.status == Cache::Status::kCorrupt)
        MoveAside(path, loaded.reason);
    return EmptyStore();
}

LONG Update(const std::function<LONG(Store& store, bool& changed)>& change) {
    const std::string path = StorePath();
    if (path.empty()) {
        LogDistinct("no registry store: neither VYR_REGISTRY_FILE nor a home folder is set");
        return ERROR_CANTWRITE;
    }
    int error = 0;
    if (!MakeParentFolders(path, error)) {
        LogDistinct("cannot create the folder of registry store " + path + ": " + std::strerror(error));
        return ERROR_CANTWRITE;
    }
    StoreWriterLock lock(path);
    if (!lock.Held()) {
        LogDistinct("cannot lock registry store " + path + ": " + std::strerror(lock.Error()));
        return ERROR_CANTWRITE;
    }
    const Cache::Loaded loaded = TheCache().Load(path);
    if (loaded.status == Cache::Status::kFailed) {
        LogDistinct("cannot read registry store " + path + ": " + std::strerror(loaded.error) + "; not writing it");
        return ERROR_CANTWRITE;
    }
    // A copy: the kept store stays what the file holds until the new one is written.
    Store store;
    if (loaded.status == Cache::Status::kCorrupt) {
        if (!MoveAside(path, loaded.reason))
            return ERROR_BADDB;
    } else {
        store = *loaded.store;
    }
    bool changed = false;
    const LONG result = change(store, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;
    std::string text = Serialize(store);
    FileIdentity written;
    if (!WriteFileAtomically(path, text, written, error)) {
        LogDistinct("cannot write registry store " + path + ": " + std::strerror(error));
        return ERROR_CANTWRITE;
    }
    TheCache().Keep(path, written, std::move(text), std::make_shared<const Store>(std::move(store)));
    return ERROR_SUCCESS;
}

}  // namespace reg
}  // namespace vyrwin
