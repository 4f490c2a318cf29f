// The preference file's text form (see VyrPrefFile.h).
#include "VyrPrefFile.h"

#include "vyrwin_codec.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace vyrhost {
namespace prefs {

namespace {

const char* const kHeader = "VYR-PREFERENCES 1";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string Trim(const std::string& s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool NeedsEscape(uint32_t u) {
    return u < 0x20 || u == 0x7F || u == '%' || u == '"' || u == '[' || u == ']' || u == '=' || u == ';' ||
           (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF;
}

void AppendEscape(std::string& out, uint32_t u) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%%{%x}", static_cast<unsigned>(u));
    out += buffer;
}

// UTF-8 with "%{hex}" where a character would break the line's syntax; in a name also a blank at
// either end, which reading trims.
std::string Encode(const std::wstring& text, bool name) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const bool first = i == 0;
        const char32_t u = vyrwin::NextCodePoint(text.data(), text.size(), i);
        const bool edgeBlank = name && (first || i == text.size()) && u <= 0x7F && IsBlank(static_cast<char>(u));
        if (NeedsEscape(static_cast<uint32_t>(u)) || edgeBlank)
            AppendEscape(out, static_cast<uint32_t>(u));
        else
            vyrwin::AppendUtf8(out, u);
    }
    return out;
}

// The inverse of Encode; false for a bad escape, bytes that are not UTF-8, or a character that
// should have been escaped (a quote inside a text, say).
bool Decode(const std::string& text, std::wstring& out) {
    out.clear();
    size_t i = 0;
    while (i < text.size()) {
        uint32_t u = 0;
        if (text[i] == '%') {
            if (i + 1 >= text.size() || text[i + 1] != '{') return false;
            size_t j = i + 2;
            int digits = 0;
            while (j < text.size() && HexDigit(text[j]) >= 0 && digits < 8) {
                u = (u << 4) | static_cast<uint32_t>(HexDigit(text[j]));
                ++j;
                ++digits;
            }
            if (digits == 0 || j >= text.size() || text[j] != '}') return false;
            i = j + 1;
        } else {
            const vyrwin::Utf8Sequence sequence = vyrwin::DecodeUtf8Sequence(text.data() + i, text.size() - i);
            if (!sequence.valid) return false;
            u = static_cast<uint32_t>(sequence.codePoint);
            if (u < 0x20 || u == 0x7F || u == '"' || u == '[' || u == ']' || u == '=') return false;
            i += sequence.length;
        }
        out += static_cast<wchar_t>(u);
    }
    return true;
}

// Steps over a leading plus, which from_chars does not take (it takes a minus only); false when
// another sign follows it ("+-2" is no number, though from_chars would read the "-2").
bool SkipPlus(const char*& begin, const char* end) {
    if (begin == end || *begin != '+') return true;
    ++begin;
    return begin == end || (*begin != '-' && *begin != '+');
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!SkipPlus(begin, end)) return false;
    int parsed = 0;
    const std::from_chars_result result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end || begin == end) return false;
    value = parsed;
    return true;
}

bool ParseReal(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!SkipPlus(begin, end)) return false;
    double parsed = 0.0;
    const std::from_chars_result result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

// The value part of a line ("TYPE value") as a preference; false with a reason.
bool ParseValue(const std::string& text, CVyrPreference& value, std::string& reason) {
    size_t blank = 0;
    while (blank < text.size() && !IsBlank(text[blank])) ++blank;
    const std::string type = text.substr(0, blank);
    const std::string rest = Trim(text.substr(blank));
    if (type == "INT") {
        int parsed = 0;
        if (!ParseInt(rest, parsed)) {
            reason = "not a 32-bit integer: \"" + rest + "\"";
            return false;
        }
        value = CVyrPreference(parsed);
    } else if (type == "REAL") {
        double parsed = 0.0;
        if (!ParseReal(rest, parsed)) {
            reason = "not a finite number: \"" + rest + "\"";
            return false;
        }
        value = CVyrPreference(parsed);
    } else if (type == "BOOL") {
        if (rest == "true" || rest == "1") {
            value = CVyrPreference(true);
        } else if (rest == "false" || rest == "0") {
            value = CVyrPreference(false);
        } else {
            reason = "not true or false: \"" + rest + "\"";
            return false;
        }
    } else if (type == "COLOR") {
        int parts[3] = {0, 0, 0};
        size_t at = 0;
        int count = 0;
        while (at < rest.size()) {
            size_t next = at;
            while (next < rest.size() && !IsBlank(rest[next])) ++next;
            if (count == 3 || !ParseInt(rest.substr(at, next - at), parts[count]) || parts[count] < 0 ||
                parts[count] > 255) {
                count = -1;
                break;
            }
            ++count;
            at = next;
            while (at < rest.size() && IsBlank(rest[at])) ++at;
        }
        if (count != 3) {
            reason = "not three components 0 to 255: \"" + rest + "\"";
            return false;
        }
        value = CVyrPreference(CVyrRgbColor(BYTE(parts[0]), BYTE(parts[1]), BYTE(parts[2])));
    } else if (type == "TEXT") {
        std::wstring decoded;
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"' ||
            !Decode(rest.substr(1, rest.size() - 2), decoded)) {
            reason = "not a text in double quotes";
            return false;
        }
        value = CVyrPreference(CVyrString(decoded));
    } else {
        reason = "unknown type \"" + type + "\"";
        return false;
    }
    return true;
}

std::string FormatValue(const CVyrPreference& value) {
    switch (value.GetType()) {
        case CVyrPreference::eInt: {
            int v = 0;
            value.GetValue(v);
            return "INT " + std::to_string(v);
        }
        case CVyrPreference::eReal: {
            double v = 0.0;
            value.GetValue(v);
            char buffer[64];
            // The shortest text that reads back as the same double.
            const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, v);
            return "REAL " + std::string(buffer, result.ptr);
        }
        case CVyrPreference::eBool: {
            bool v = false;
            value.GetValue(v);
            return v ? "BOOL true" : "BOOL false";
        }
        case CVyrPreference::eColor: {
            CVyrRgbColor v;
            value.GetValue(v);
            return "COLOR " + std::to_string(v.GetRed()) + " " + std::to_string(v.GetGreen()) + " " +
                   std::to_string(v.GetBlue());
        }
        case CVyrPreference::eText: {
            CVyrString v;
            value.GetValue(v);
            return "TEXT \"" + Encode(std::wstring(v.GetString(), size_t(v.GetLength())), false) + "\"";
        }
        default:
            return std::string();
    }
}

}  // namespace

const CVyrPreference* Store::Find(const std::wstring& group, const std::wstring& key) const {
    const auto g = groups.find(group);
    if (g == groups.end()) return nullptr;
    const auto k = g->second.find(key);
    return k == g->second.end() ? nullptr : &k->second;
}

bool Parse(const std::string& text, Store& store, std::string&) {
    bool headerSeen = false;
    Group* current = nullptr;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const size_t length = end - start;
        ++lineNumber;
        std::string problem;
        std::string line;
        if (length > kMaxLineBytes) {
            problem = "a line longer than " + std::to_string(kMaxLineBytes) + " bytes";
        } else {
            line = Trim(text.substr(start, length));
        }
        start = end + 1;
        if (problem.empty() && (line.empty() || line[0] == ';')) continue;
        if (!headerSeen) {
            if (line != kHeader) {
                store = Store();
                store.unreadable = true;
                store.problem = "line " + std::to_string(lineNumber) + ": the header \"" + kHeader + "\" is missing";
                return true;
            }
            headerSeen = true;
            continue;
        }
        if (problem.empty() && line[0] == '[') {
            std::wstring name;
            if (line.back() != ']' || line.size() < 3 || !Decode(Trim(line.substr(1, line.size() - 2)), name) ||
                name.empty()) {
                problem = "a bad group line";
                current = nullptr;  // its keys must not land in the group before it
            } else {
                current = &store.groups[name];
            }
        } else if (problem.empty()) {
            const size_t equals = line.find('=');
            std::wstring key;
            CVyrPreference value;
            if (equals == std::string::npos) {
                problem = "neither a group nor a preference";
            } else if (!Decode(Trim(line.substr(0, equals)), key) || key.empty()) {
                problem = "a bad key";
            } else if (!current) {
                problem = "a preference outside of a group";
            } else if (ParseValue(Trim(line.substr(equals + 1)), value, problem)) {
                if (current->count(key)) problem = "a repeated key";  // the later line still wins
                (*current)[key] = value;
            }
        }
        if (!problem.empty()) {
            if (store.ignoredLines == 0) store.problem = "line " + std::to_string(lineNumber) + ": " + problem;
            ++store.ignoredLines;
        }
    }
    return true;  // without a header line only blank and comment lines were met: an empty store
}

std::string Serialize(const Store& store) {
    std::string out;
    out += "; Preferences. One section [group] per group, then one line per preference:\n";
    out += "; key = TYPE value, TYPE one of INT, REAL, BOOL (true or false), COLOR (red green blue,\n";
    out += "; 0 to 255) and TEXT (in double quotes). %{hex} stands for a character by its code point.\n";
    out += kHeader;
    out += '\n';
    for (const auto& group : store.groups) {
        if (group.second.empty()) continue;
        out += "\n[" + Encode(group.first, true) + "]\n";
        for (const auto& entry : group.second) {
            const std::string value = FormatValue(entry.second);
            if (value.empty()) continue;
            out += Encode(entry.first, true) + " = " + value + "\n";
        }
    }
    return out;
}

}  // namespace prefs
}  // namespace vyrhost
