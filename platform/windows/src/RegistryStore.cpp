// The registry's tree, its text form and its store file. The format is described
// at the top of Registry.cpp.

#include "RegistryStore.h"

#include "WinInternal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

enum class ReadResult { kOk, kMissing, kFailed };

// What one version of the store file is, as far as stat() can tell (see RegistryStore.h).
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;  // nanoseconds since the epoch
    long long changed = 0;   // status change (ctime), nanoseconds since the epoch
};

long long Nanoseconds(const struct timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& info) {
    FileIdentity id;
    id.exists = true;
    id.device = info.st_dev;
    id.inode = info.st_ino;
    id.size = info.st_size;
    id.modified = Nanoseconds(info.st_mtim);
    id.changed = Nanoseconds(info.st_ctim);
    return id;
}

bool Same(const FileIdentity& a, const FileIdentity& b) {
    if (!a.exists || !b.exists)
        return a.exists == b.exists;
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed;
}

// The identity of the file at `path` (exists false when there is none); false when stat()
// fails for another reason.
bool StatIdentity(const std::string& path, FileIdentity& id) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        id = FileIdentity();
        return errno == ENOENT;
    }
    id = IdentityOf(info);
    return true;
}

long long NowNanoseconds() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

// True when content compared (or read) at `verifiedAt` proves every later change visible in
// the identity: the file's last change lies a whole racy window before that moment.
bool Settled(const FileIdentity& id, long long verifiedAt) {
    return !id.exists || verifiedAt - id.changed >= kRacyWindowNanoseconds;
}

// Reads the whole file; `identity` is that of the file opened, taken before its bytes.
ReadResult ReadWhole(const std::string& path, std::string& text, int& error, FileIdentity& identity) {
    text.clear();
    identity = FileIdentity();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        error = errno;
        close(fd);
        return ReadResult::kFailed;
    }
    identity = IdentityOf(info);
    if (info.st_size > 0)
        text.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            close(fd);
            return ReadResult::kFailed;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return ReadResult::kOk;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Creates the folders on the way to the store file; on failure `error` tells why.
bool MakeParentFolders(const std::string& path, int& error) {
    const std::string parent = ParentFolder(path);
    error = ENOTDIR;
    for (size_t slash = parent.find('/', 1);; slash = parent.find('/', slash + 1)) {
        const std::string prefix = parent.substr(0, slash);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            error = errno;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Holds the writers' lock ("<store>.lock") while it lives.
class WriterLock {
public:
    explicit WriterLock(const std::string& storePath) {
        const std::string lockPath = storePath + ".lock";
        fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~WriterLock() {
        if (fd_ >= 0)
            close(fd_);  // releases the lock
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// Renames a corrupt store to "<store>.corrupt-<date>-<time>[-n]" (under the lock).
bool MoveAside(const std::string& path, const std::string& reason) {
    char stamp[32];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside = path + ".corrupt-" + stamp;
    struct stat info;
    for (int n = 2; lstat(aside.c_str(), &info) == 0; ++n)
        aside = path + ".corrupt-" + stamp + "-" + std::to_string(n);
    if (rename(path.c_str(), aside.c_str()) != 0) {
        LogDistinct("registry store " + path + " is corrupt (" + reason + ") and cannot be moved aside (" +
                    std::strerror(errno) + "); it is left as it is and not written");
        return false;
    }
    LogDistinct("registry store " + path + " is corrupt (" + reason + "); kept as " + aside +
                ", continuing with an empty store");
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// Writes a temporary file in the store's folder, syncs it and renames it over the
// store, so a reader sees the old or the new store whole, never a part. `identity` is
// that of the file written (exists false when it cannot be told).
bool WriteAtomically(const std::string& path, const std::string& text, FileIdentity& identity) {
    identity = FileIdentity();
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) {
        LogDistinct("cannot write registry store " + path + ": " + std::strerror(errno));
        return false;
    }
    struct stat info;
    const mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        LogDistinct("cannot write registry store " + path + ": " + std::strerror(error));
        return false;
    }
    const int folder = open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    // After the rename, which stamps the file's status-change time on most file systems.
    if (!StatIdentity(path, identity))
        identity = FileIdentity();
    return true;
}

// --- the kept store -------------------------------------------------------------

// The parsed store of one file version with the bytes it was parsed from.
struct Cache {
    bool valid = false;
    std::string path;
    FileIdentity identity;
    std::string text;                     // empty for a missing file
    std::shared_ptr<const Store> store;
    bool settled = false;                 // the identity alone proves the file unchanged
};

std::mutex g_cacheMutex;

// Never destroyed, so the registry still answers during static destruction.
Cache& TheCache() {
    static Cache* cache = new Cache;
    return *cache;
}

const std::shared_ptr<const Store>& EmptyStore() {
    static const auto* empty = new std::shared_ptr<const Store>(std::make_shared<const Store>());
    return *empty;
}

enum class LoadStatus { kOk, kFailed, kCorrupt };

struct Loaded {
    LoadStatus status = LoadStatus::kOk;
    std::shared_ptr<const Store> store;  // kOk
    int error = 0;                       // kFailed: errno
    std::string reason;                  // kCorrupt: what is wrong
};

// The store the file at `path` holds now: the kept one while the file is unchanged, else
// read, parsed and kept. A corrupt or unreadable file is reported to the caller, not kept.
Loaded LoadCached(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    Cache& cache = TheCache();
    const long long startedAt = NowNanoseconds();  // before the file is looked at
    Loaded loaded;
    std::string text;
    int error = 0;
    FileIdentity identity;
    ReadResult read = ReadResult::kFailed;
    bool haveRead = false;
    if (cache.valid && cache.path == path) {
        FileIdentity now;
        if (StatIdentity(path, now) && Same(now, cache.identity)) {
            if (cache.settled) {
                loaded.store = cache.store;
                return loaded;
            }
            // Racy: the same identity may still hide a change made within one clock tick.
            read = ReadWhole(path, text, error, identity);
            haveRead = true;
            if (read != ReadResult::kFailed && Same(identity, cache.identity) && text == cache.text) {
                cache.settled = Settled(cache.identity, startedAt);
                loaded.store = cache.store;
                return loaded;
            }
        }
    }
    if (!haveRead)
        read = ReadWhole(path, text, error, identity);
    cache.valid = false;
    if (read == ReadResult::kFailed) {
        loaded.status = LoadStatus::kFailed;
        loaded.error = error;
        return loaded;
    }
    auto store = std::make_shared<Store>();
    if (read == ReadResult::kOk && !Parse(text, *store, loaded.reason)) {
        loaded.status = LoadStatus::kCorrupt;
        return loaded;
    }
    cache.valid = true;
    cache.path = path;
    cache.identity = identity;
    cache.text = std::move(text);
    cache.store = store;
    cache.settled = Settled(identity, startedAt);
    loaded.store = std::move(store);
    return loaded;
}

// Keeps what this process has just written as the current store.
void Keep(const std::string& path, const FileIdentity& identity, std::string text, std::shared_ptr<const Store> store) {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    Cache& cache = TheCache();
    cache.valid = identity.exists;
    cache.path = path;
    cache.identity = identity;
    cache.text = std::move(text);
    cache.store = std::move(store);
    cache.settled = false;  // just written: racy until a later read compares the bytes
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
    const char* file = std::getenv("VYR_REGISTRY_FILE");
    if (file && *file)
        return file;
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') {
        base = config;
    } else if (home && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        struct passwd entry;
        struct passwd* found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
            found->pw_dir[0] == '/')
            base = std::string(found->pw_dir) + "/.config";
    }
    if (base.empty())
        return std::string();
    return base + "/vyr-display/registry";
}

std::shared_ptr<const Store> Current() {
    const std::string path = StorePath();
    if (path.empty())
        return EmptyStore();
    Loaded loaded = LoadCached(path);
    if (loaded.status == LoadStatus::kOk)
        return loaded.store;
    if (loaded.status == LoadStatus::kFailed) {
        LogDistinct("cannot read registry store " + path + ": " + std::strerror(loaded.error) +
                    "; reading it as empty");
        return EmptyStore();
    }
    // Corrupt: check again under the lock (a writer may have replaced it meanwhile)
    // before moving it aside.
    WriterLock lock(path);
    if (!lock.Held()) {
        LogDistinct("registry store " + path + " is corrupt (" + loaded.reason + ") and cannot be locked (" +
                    std::strerror(lock.Error()) + "); reading it as empty");
        return EmptyStore();
    }
    loaded = LoadCached(path);
    if (loaded.status == LoadStatus::kOk)
        return loaded.store;
    if (loaded.status == LoadStatus::kCorrupt)
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
    WriterLock lock(path);
    if (!lock.Held()) {
        LogDistinct("cannot lock registry store " + path + ": " + std::strerror(lock.Error()));
        return ERROR_CANTWRITE;
    }
    const Loaded loaded = LoadCached(path);
    if (loaded.status == LoadStatus::kFailed) {
        LogDistinct("cannot read registry store " + path + ": " + std::strerror(loaded.error) + "; not writing it");
        return ERROR_CANTWRITE;
    }
    // A copy: the kept store stays what the file holds until the new one is written.
    Store store;
    if (loaded.status == LoadStatus::kCorrupt) {
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
    if (!WriteAtomically(path, text, written))
        return ERROR_CANTWRITE;
    Keep(path, written, std::move(text), std::make_shared<const Store>(std::move(store)));
    return ERROR_SUCCESS;
}

}  // namespace reg
}  // namespace vyrwin
