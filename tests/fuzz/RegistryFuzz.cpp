// Fuzz target: the registry's store file as an editor, a crash or another
// program may have left it. Each input becomes the store file; then every key
// that its sections name is opened and every value that its lines name is queried
// (its size, the whole value, too small a buffer). A store the registry accepts
// (it stays where it is instead of being moved aside as corrupt) must answer
// every key and value it holds, and writing one more value must leave every other
// answer as it was.
//
// Every input gets a store file of a new name: the registry may keep the parsed
// store between calls and read the file again only when it has changed, and a new
// name can never be mistaken for the file of the previous input.
#include "windows.h"

#include "FuzzSupport.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What the harness asks for: a key, or a value of a key.
struct Item {
    HKEY root = nullptr;
    std::wstring path;    // below the root, parts joined by backslashes
    bool isValue = false;
    std::wstring name;    // the value's name (empty: the default value)
    bool probe = false;   // below the key that the harness itself writes
    bool known = false;   // a value whose type and bytes the file's line tells for sure
    DWORD type = 0;       // (known) its type
    std::vector<BYTE> data;  // (known) its bytes
};

// What the registry answered.
struct Answer {
    LONG code = ERROR_SUCCESS;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const Answer& other) const {
        return code == other.code && type == other.type && data == other.data;
    }
};

const wchar_t kProbeKey[] = L"VyrFuzzProbe";
const wchar_t kProbeValue[] = L"Written";
const size_t kMaxItems = 128;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsSpace(s[begin])) ++begin;
    while (end > begin && IsSpace(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A name as the store file writes it: UTF-8, "%{hex}" for a character by its code
// point. Only well-formed UTF-8 is taken (the harness skips names it cannot read,
// so it never asks for a name that the registry reads differently).
bool DecodeName(const std::string& text, std::wstring& name) {
    name.clear();
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t u = 0;
        if (b == '%') {
            if (i + 1 >= text.size() || text[i + 1] != '{') return false;
            size_t j = i + 2;
            while (j < text.size() && j - (i + 2) < 8 && Hex(text[j]) >= 0) u = (u << 4) | static_cast<uint32_t>(Hex(text[j++]));
            if (j == i + 2 || j >= text.size() || text[j] != '}') return false;
            i = j + 1;
        } else if (b < 0x80) {
            u = b;
            ++i;
        } else {
            const int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
            if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) return false;
            u = b & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                const unsigned char t = static_cast<unsigned char>(text[i + k]);
                if ((t & 0xC0) != 0x80) return false;
                u = (u << 6) | (t & 0x3F);
            }
            const uint32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
            if (u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return false;
            i += static_cast<size_t>(extra) + 1;
        }
        name += static_cast<wchar_t>(u);
    }
    return true;
}

bool AsciiEqualNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x += 32;
        if (y >= L'A' && y <= L'Z') y += 32;
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

HKEY RootByName(const std::string& name) {
    if (name == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (name == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == "HKEY_USERS") return HKEY_USERS;
    return nullptr;
}

// A name with its ASCII letters in lower case and every other character replaced
// by one mark. Names that the registry takes for the same always look alike here,
// as its case folding maps ASCII letters only to ASCII letters and other
// characters only to other characters.
std::wstring Loose(const std::wstring& name) {
    std::wstring out(name);
    for (wchar_t& c : out) {
        const uint32_t u = static_cast<uint32_t>(c);
        if (u >= 'A' && u <= 'Z') c = static_cast<wchar_t>(u + 32);
        else if (u >= 0x80) c = 0x80;
    }
    return out;
}

bool TypeOf(const std::string& text, DWORD& type) {
    static const struct {
        const char* name;
        DWORD type;
    } kNames[] = {{"REG_NONE", REG_NONE},   {"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ},
                  {"REG_BINARY", REG_BINARY}, {"REG_DWORD", REG_DWORD}, {"REG_MULTI_SZ", REG_MULTI_SZ},
                  {"REG_QWORD", REG_QWORD}};
    for (const auto& known : kNames)
        if (text == known.name) {
            type = known.type;
            return true;
        }
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    type = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        if (Hex(text[i]) < 0) return false;
        type = (type << 4) | static_cast<DWORD>(Hex(text[i]));
    }
    return true;
}

// The type and bytes of a value line from `pos`, just after the name: "=TYPE:hex hex...".
bool ContentOf(const std::string& line, size_t pos, DWORD& type, std::vector<BYTE>& data) {
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    const size_t colon = line.find(':', pos);
    if (colon == std::string::npos || !TypeOf(Trim(line.substr(pos + 1, colon - pos - 1)), type)) return false;
    data.clear();
    for (size_t i = colon + 1; i < line.size();) {
        if (IsSpace(line[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= line.size() || Hex(line[i]) < 0 || Hex(line[i + 1]) < 0 ||
            (i + 2 < line.size() && !IsSpace(line[i + 2])))
            return false;
        data.push_back(static_cast<BYTE>(Hex(line[i]) << 4 | Hex(line[i + 1])));
        i += 2;
    }
    return true;
}

// A value line as far as later lines may replace its value: its key and name in
// loose form, or "any" where the harness cannot read them.
struct ValueLine {
    HKEY root = nullptr;
    bool anyKey = true;
    std::wstring key;
    bool anyName = true;
    std::wstring name;
};

// The keys and values that the file's lines name, as far as the harness can
// read them and the registry's calls can name them (a name holding a zero or, for
// a key, a backslash cannot be passed).
std::vector<Item> ItemsOf(const std::string& text) {
    std::vector<Item> items;
    std::vector<ValueLine> lines;
    std::vector<size_t> lineOfItem;  // for each item, its line in `lines` (values only)
    bool inKey = false;
    Item key;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[' && line.size() >= 2 && line.back() == ']') {
            const std::string inner = line.substr(1, line.size() - 2);
            size_t slash = inner.find('\\');
            key = Item();
            key.root = RootByName(inner.substr(0, slash));
            inKey = key.root != nullptr;
            while (inKey && slash != std::string::npos) {
                const size_t next = inner.find('\\', slash + 1);
                std::wstring part;
                inKey = DecodeName(inner.substr(slash + 1, next == std::string::npos ? next : next - slash - 1), part) &&
                        !part.empty() && part.find(L'\\') == std::wstring::npos &&
                        part.find(L'\0') == std::wstring::npos;
                if (!key.path.empty()) key.path += L'\\';
                else key.probe = key.root == HKEY_CURRENT_USER && AsciiEqualNoCase(part, kProbeKey);
                key.path += part;
                slash = next;
            }
            if (inKey && items.size() < kMaxItems) {
                items.push_back(key);
                lineOfItem.push_back(0);
            }
        } else if (line[0] == '"' || line[0] == '@') {
            ValueLine record;
            record.root = key.root;
            record.anyKey = !inKey;
            record.key = Loose(key.path);
            Item value = key;
            value.isValue = true;
            size_t after = 1;
            bool named = true;
            if (line[0] == '"') {
                const size_t close = line.find('"', 1);
                named = close != std::string::npos && DecodeName(line.substr(1, close - 1), value.name) &&
                        value.name.find(L'\0') == std::wstring::npos;
                after = close + 1;
            }
            record.anyName = !named;
            record.name = Loose(value.name);
            lines.push_back(record);
            if (!inKey || !named || items.size() >= kMaxItems) continue;
            value.known = ContentOf(line, after, value.type, value.data);
            items.push_back(value);
            lineOfItem.push_back(lines.size() - 1);
        }
    }
    // A value that a later line may replace is not known for sure.
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].known) continue;
        const ValueLine& mine = lines[lineOfItem[i]];
        for (size_t k = lineOfItem[i] + 1; k < lines.size() && items[i].known; ++k) {
            const ValueLine& later = lines[k];
            if ((later.anyKey || (later.root == mine.root && later.key == mine.key)) &&
                (later.anyName || later.name == mine.name))
                items[i].known = false;
        }
    }
    return items;
}

// Every item's answer: keys are opened once and their values queried through
// that handle (size, then the whole value; the first few also with too small a
// buffer), so that each answer costs the registry few reads of the store.
std::vector<Answer> AskAll(const std::vector<Item>& items, int shortBufferChecks) {
    std::vector<Answer> answers(items.size());
    HKEY key = nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        Answer& answer = answers[i];
        if (!item.isValue) {
            if (key) RegCloseKey(key);
            key = reinterpret_cast<HKEY>(uintptr_t{1});
            answer.code = RegOpenKeyExW(item.root, item.path.c_str(), 0, KEY_READ, &key);
            if (answer.code != ERROR_SUCCESS && key) vyrfuzz::Fail("a key that cannot be opened still answers a handle");
            continue;
        }
        if (!key) {
            answer.code = ERROR_FILE_NOT_FOUND;  // its key is absent
            continue;
        }
        const wchar_t* name = item.name.c_str();
        DWORD size = 0;
        answer.code = RegQueryValueExW(key, name, nullptr, &answer.type, nullptr, &size);
        if (answer.code != ERROR_SUCCESS) continue;
        answer.data.resize(size + 1);
        DWORD got = size;
        DWORD type = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, answer.data.data(), &got) != ERROR_SUCCESS || got != size ||
            type != answer.type)
            vyrfuzz::Fail("a value answers another size or type when it is read");
        answer.data.resize(size);
        if (size > 0 && shortBufferChecks-- > 0) {
            std::vector<BYTE> small(size);
            DWORD room = size - 1;
            if (RegQueryValueExW(key, name, nullptr, nullptr, small.data(), &room) != ERROR_MORE_DATA || room != size)
                vyrfuzz::Fail("too small a buffer is not answered with ERROR_MORE_DATA and the size");
        }
    }
    if (key && RegCloseKey(key) != ERROR_SUCCESS) vyrfuzz::Fail("an opened key cannot be closed");
    return answers;
}

// Names the next store file in VYR_REGISTRY_FILE and answers it. The variable
// holds a buffer of the harness that is changed in place: setenv would keep every
// value it was ever given, and the memory would grow by one name per input.
std::string NextStoreName(const std::string& dir) {
    static const std::string prefix = "VYR_REGISTRY_FILE=" + dir + "/store-";
    static std::vector<char> variable;
    static unsigned long long count = 0;
    if (variable.empty()) {
        variable.assign(prefix.begin(), prefix.end());
        variable.resize(prefix.size() + 17, '\0');
        putenv(variable.data());
    }
    std::snprintf(&variable[prefix.size()], 17, "%016llx", ++count);
    return std::string(variable.data() + std::strlen("VYR_REGISTRY_FILE="));
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = vyrfuzz::ScratchFolder();
    const std::string store = NextStoreName(dir);
    if (!vyrfuzz::WriteWholeFile(store, data, size)) std::abort();

    const std::vector<Item> items = ItemsOf(std::string(reinterpret_cast<const char*>(data), size));

    // The first read: a store that cannot be parsed is moved aside here.
    DWORD defaultSize = 0;
    RegQueryValueExW(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, nullptr, &defaultSize);
    const std::vector<Answer> before = AskAll(items, 4);
    if (Exists(store)) {
        for (size_t i = 0; i < items.size(); ++i) {
            if (before[i].code != ERROR_SUCCESS)
                vyrfuzz::Fail("an accepted store does not answer a key or value it holds");
            if (items[i].known && (before[i].type != items[i].type || before[i].data != items[i].data))
                vyrfuzz::Fail("an accepted store answers a value other than its file holds");
        }
    }

    // Writing a value rewrites the whole store.
    HKEY probe = nullptr;
    const DWORD written = 0x2A;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &probe, nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(probe, kProbeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&written), sizeof written) !=
            ERROR_SUCCESS)
        vyrfuzz::Fail("a value cannot be written over the store");
    RegCloseKey(probe);

    Item probeKey;
    probeKey.root = HKEY_CURRENT_USER;
    probeKey.path = kProbeKey;
    probeKey.probe = true;
    Item probeValue = probeKey;
    probeValue.isValue = true;
    probeValue.name = kProbeValue;
    std::vector<Item> again = items;
    again.push_back(probeKey);
    again.push_back(probeValue);
    const std::vector<Answer> after = AskAll(again, 0);
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].probe && !(after[i] == before[i]))
            vyrfuzz::Fail("a key or value answers differently after another value was written");
    const Answer& back = after.back();
    if (back.code != ERROR_SUCCESS || back.type != REG_DWORD || back.data.size() != sizeof written)
        vyrfuzz::Fail("the written value does not read back");

    vyrfuzz::EmptyFolder(dir);
    return 0;
}
