// CStringW: construction, conversions, searching, editing and formatting.
#include "afxstr.h"

#include "MfcInternal.h"
#include "vyrwin_codec.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

bool Contains(LPCWSTR set, WCHAR ch) { return set && ch != 0 && std::wcschr(set, ch) != nullptr; }

}  // namespace

CStringW::CStringW(LPCWSTR text) {
    if (text) m_str = text;
}

CStringW::CStringW(LPCWSTR text, int length) {
    if (text && length > 0) m_str.assign(text, static_cast<size_t>(length));
}

CStringW::CStringW(LPCSTR text) {
    if (text) m_str = vyrwin::WideFromNarrow(text, std::strlen(text));
}

CStringW::CStringW(WCHAR ch, int repeat) {
    if (repeat > 0) m_str.assign(static_cast<size_t>(repeat), ch);
}

CStringW& CStringW::operator=(LPCWSTR text) {
    if (!text) {
        m_str.clear();
    } else {
        m_str = std::wstring(text);  // text may point into m_str itself
    }
    return *this;
}

CStringW& CStringW::operator=(LPCSTR text) {
    m_str = text ? vyrwin::WideFromNarrow(text, std::strlen(text)) : std::wstring();
    return *this;
}

CStringW& CStringW::operator=(WCHAR ch) {
    m_str.assign(1, ch);
    return *this;
}

WCHAR CStringW::GetAt(int index) const {
    return index >= 0 && index < GetLength() ? m_str[static_cast<size_t>(index)] : L'\0';
}

void CStringW::SetAt(int index, WCHAR ch) {
    if (index >= 0 && index < GetLength()) m_str[static_cast<size_t>(index)] = ch;
}

LPWSTR CStringW::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_str.resize(static_cast<size_t>(minLength), L'\0');
    return &m_str[0];
}

LPWSTR CStringW::GetBufferSetLength(int length) {
    m_str.resize(static_cast<size_t>(std::max(length, 0)), L'\0');
    return &m_str[0];
}

void CStringW::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        newLength = static_cast<int>(std::wcslen(m_str.c_str()));
    }
    if (newLength < GetLength()) m_str.resize(static_cast<size_t>(newLength));
}

CStringW& CStringW::operator+=(const CStringW& text) {
    m_str += text.m_str;
    return *this;
}

CStringW& CStringW::operator+=(LPCWSTR text) {
    if (text) m_str += std::wstring(text);  // text may point into m_str itself
    return *this;
}

CStringW& CStringW::operator+=(LPCSTR text) {
    if (text) m_str += vyrwin::WideFromNarrow(text, std::strlen(text));
    return *this;
}

CStringW& CStringW::operator+=(WCHAR ch) {
    m_str.push_back(ch);
    return *this;
}

int CStringW::Compare(LPCWSTR text) const {
    return std::wcscmp(m_str.c_str(), text ? text : L"");
}

int CStringW::CompareNoCase(LPCWSTR text) const {
    const wchar_t* a = m_str.c_str();
    const wchar_t* b = text ? text : L"";
    for (;; ++a, ++b) {
        wint_t ca = std::towlower(static_cast<wint_t>(*a));
        wint_t cb = std::towlower(static_cast<wint_t>(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

int CStringW::Find(WCHAR ch, int start) const {
    if (start < 0) start = 0;
    if (start >= GetLength()) return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CStringW::Find(LPCWSTR sub, int start) const {
    if (!sub) return -1;
    if (start < 0) start = 0;
    if (start > GetLength()) return -1;
    size_t pos = m_str.find(sub, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CStringW::ReverseFind(WCHAR ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CStringW CStringW::Left(int count) const {
    count = Clamp(count, 0, GetLength());
    return CStringW(m_str.substr(0, static_cast<size_t>(count)));
}

CStringW CStringW::Right(int count) const {
    count = Clamp(count, 0, GetLength());
    return CStringW(m_str.substr(static_cast<size_t>(GetLength() - count)));
}

CStringW CStringW::Mid(int first) const {
    return Mid(first, INT_MAX);
}

CStringW CStringW::Mid(int first, int count) const {
    first = Clamp(first, 0, GetLength());
    count = Clamp(count, 0, GetLength() - first);
    return CStringW(m_str.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CStringW& CStringW::MakeUpper() {
    for (wchar_t& c : m_str) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return *this;
}

CStringW& CStringW::MakeLower() {
    for (wchar_t& c : m_str) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return *this;
}

namespace {

template <typename Pred>
void TrimLeftIf(std::wstring& s, Pred pred) {
    size_t n = 0;
    while (n < s.size() && pred(s[n])) ++n;
    s.erase(0, n);
}

template <typename Pred>
void TrimRightIf(std::wstring& s, Pred pred) {
    size_t n = s.size();
    while (n > 0 && pred(s[n - 1])) --n;
    s.resize(n);
}

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

}  // namespace

CStringW& CStringW::Trim() { return TrimRight().TrimLeft(); }
CStringW& CStringW::Trim(WCHAR target) { return TrimRight(target).TrimLeft(target); }
CStringW& CStringW::Trim(LPCWSTR targets) { return TrimRight(targets).TrimLeft(targets); }

CStringW& CStringW::TrimLeft() {
    TrimLeftIf(m_str, IsSpace);
    return *this;
}

CStringW& CStringW::TrimLeft(WCHAR target) {
    TrimLeftIf(m_str, [target](wchar_t c) { return c == target; });
    return *this;
}

CStringW& CStringW::TrimLeft(LPCWSTR targets) {
    TrimLeftIf(m_str, [targets](wchar_t c) { return Contains(targets, c); });
    return *this;
}

CStringW& CStringW::TrimRight() {
    TrimRightIf(m_str, IsSpace);
    return *this;
}

CStringW& CStringW::TrimRight(WCHAR target) {
    TrimRightIf(m_str, [target](wchar_t c) { return c == target; });
    return *this;
}

CStringW& CStringW::TrimRight(LPCWSTR targets) {
    TrimRightIf(m_str, [targets](wchar_t c) { return Contains(targets, c); });
    return *this;
}

int CStringW::Replace(WCHAR oldChar, WCHAR newChar) {
    int count = 0;
    for (wchar_t& c : m_str) {
        if (c == oldChar) {
            c = newChar;
            ++count;
        }
    }
    return count;
}

int CStringW::Replace(LPCWSTR oldText, LPCWSTR newText) {
    if (!oldText || !*oldText) return 0;
    const std::wstring from(oldText);
    const std::wstring to(newText ? newText : L"");  // copies: either may point into m_str
    std::wstring result;
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = m_str.find(from, pos);
        if (hit == std::wstring::npos) break;
        result.append(m_str, pos, hit - pos);
        result += to;
        pos = hit + from.size();
        ++count;
    }
    if (count == 0) return 0;
    result.append(m_str, pos, std::wstring::npos);
    m_str.swap(result);
    return count;
}

int CStringW::Remove(WCHAR ch) {
    size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CStringW::Insert(int index, WCHAR ch) {
    index = Clamp(index, 0, GetLength());
    m_str.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CStringW::Insert(int index, LPCWSTR text) {
    if (text && *text) {
        index = Clamp(index, 0, GetLength());
        m_str.insert(static_cast<size_t>(index), std::wstring(text));
    }
    return GetLength();
}

int CStringW::Delete(int index, int count) {
    index = Clamp(index, 0, GetLength());
    count = Clamp(count, 0, GetLength() - index);
    m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CStringW CStringW::Tokenize(LPCWSTR tokens, int& start) const {
    if (start < 0) {
        start = -1;
        return CStringW();
    }
    if (!tokens || !*tokens) {
        if (start < GetLength()) {
            CStringW rest = Mid(start);
            start = GetLength() + 1;
            return rest;
        }
        start = -1;
        return CStringW();
    }
    int from = start;
    while (from < GetLength() && Contains(tokens, m_str[static_cast<size_t>(from)])) ++from;
    if (from >= GetLength()) {
        start = -1;
        return CStringW();
    }
    int to = from;
    while (to < GetLength() && !Contains(tokens, m_str[static_cast<size_t>(to)])) ++to;
    start = to + 1;
    return Mid(from, to - from);
}

BOOL CStringW::LoadString(UINT id) {
    CStringW text;
    if (!vyrmfc::LoadResourceString(id, text)) return FALSE;
    m_str.swap(text.m_str);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Formatting. Each directive is read from the argument list in the framework's
// convention and printed on its own, so narrow strings can be decoded the same
// way the narrow constructor decodes them, whatever the C library's locale.

namespace {

enum class Size { kDefault, kChar, kShort, kLong32, kLongLong, kSizeT, kIntMax, kPtrDiff, kLongDouble, kWide };

// Prints one directive (given without its size and conversion letters) with one value.
template <typename T>
bool PrintOne(std::wstring& out, const std::wstring& directive, const wchar_t* conversion, T value) {
    std::wstring format = directive + conversion;
    std::vector<wchar_t> buffer(256);
    for (;;) {
        int n = std::swprintf(buffer.data(), buffer.size(), format.c_str(), value);
        if (n >= 0) {
            out.append(buffer.data(), static_cast<size_t>(n));
            return true;
        }
        if (buffer.size() >= (1u << 26)) return false;
        buffer.resize(buffer.size() * 4);
    }
}

// Pads or cuts text as the width, precision and '-' flag say.
void PrintText(std::wstring& out, const wchar_t* text, size_t length, bool leftAlign, int width, int precision) {
    if (precision >= 0 && static_cast<size_t>(precision) < length) length = static_cast<size_t>(precision);
    size_t pad = width > 0 && static_cast<size_t>(width) > length ? static_cast<size_t>(width) - length : 0;
    if (!leftAlign) out.append(pad, L' ');
    out.append(text, length);
    if (leftAlign) out.append(pad, L' ');
}

bool FormatInto(std::wstring& out, LPCWSTR format, va_list args) {
    if (!format) return false;
    va_list ap;
    va_copy(ap, args);
    bool ok = true;
    const wchar_t* p = format;
    while (ok && *p) {
        if (*p != L'%') {
            const wchar_t* q = p;
            while (*q && *q != L'%') ++q;
            out.append(p, static_cast<size_t>(q - p));
            p = q;
            continue;
        }
        ++p;
        if (*p == L'%') {
            out.push_back(L'%');
            ++p;
            continue;
        }
        // Flags, width and precision; '*' values are taken from the arguments and
        // written into the directive as numbers.
        std::wstring directive = L"%";
        bool leftAlign = false;
        while (*p && std::wcschr(L"-+ #0", *p)) {
            if (*p == L'-') leftAlign = true;
            directive.push_back(*p++);
        }
        int width = -1;
        if (*p == L'*') {
            width = va_arg(ap, int);
            if (width < 0) {
                leftAlign = true;
                directive.push_back(L'-');
                width = -width;
            }
            directive += std::to_wstring(width);
            ++p;
        } else if (std::iswdigit(static_cast<wint_t>(*p))) {
            width = 0;
            while (std::iswdigit(static_cast<wint_t>(*p))) {
                width = std::min(width * 10 + (*p - L'0'), 1 << 24);
                directive.push_back(*p++);
            }
        }
        int precision = -1;
        if (*p == L'.') {
            directive.push_back(*p++);
            precision = 0;
            if (*p == L'*') {
                precision = va_arg(ap, int);
                if (precision < 0) {
                    precision = -1;
                    directive.pop_back();  // a negative precision counts as none
                } else {
                    directive += std::to_wstring(precision);
                }
                ++p;
            } else {
                while (std::iswdigit(static_cast<wint_t>(*p))) {
                    precision = std::min(precision * 10 + (*p - L'0'), 1 << 24);
                    directive.push_back(*p++);
                }
            }
        }
        // Size prefixes in the framework's meaning.
        Size size = Size::kDefault;
        if (p[0] == L'h' && p[1] == L'h') { size = Size::kChar; p += 2; }
        else if (p[0] == L'h') { size = Size::kShort; ++p; }
        else if (p[0] == L'l' && p[1] == L'l') { size = Size::kLongLong; p += 2; }
        else if (p[0] == L'l') { size = Size::kLong32; ++p; }
        else if (p[0] == L'w') { size = Size::kWide; ++p; }
        else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') { size = Size::kLongLong; p += 3; }
        else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') { size = Size::kDefault; p += 3; }
        else if (p[0] == L'I') { size = Size::kSizeT; ++p; }
        else if (p[0] == L'z') { size = Size::kSizeT; ++p; }
        else if (p[0] == L'j') { size = Size::kIntMax; ++p; }
        else if (p[0] == L't') { size = Size::kPtrDiff; ++p; }
        else if (p[0] == L'L') { size = Size::kLongDouble; ++p; }

        const wchar_t conv = *p;
        if (!conv) {
            ok = false;
            break;
        }
        ++p;
        switch (conv) {
        case L'd':
        case L'i': {
            const wchar_t* c = conv == L'd' ? L"d" : L"i";
            switch (size) {
            case Size::kChar: ok = PrintOne(out, directive + L"hh", c, va_arg(ap, int)); break;
            case Size::kShort: ok = PrintOne(out, directive + L"h", c, va_arg(ap, int)); break;
            case Size::kLongLong: ok = PrintOne(out, directive + L"ll", c, va_arg(ap, long long)); break;
            case Size::kSizeT:
            case Size::kPtrDiff: ok = PrintOne(out, directive + L"t", c, va_arg(ap, ptrdiff_t)); break;
            case Size::kIntMax: ok = PrintOne(out, directive + L"j", c, va_arg(ap, intmax_t)); break;
            default: ok = PrintOne(out, directive, c, va_arg(ap, int)); break;
            }
            break;
        }
        case L'u':
        case L'o':
        case L'x':
        case L'X': {
            const wchar_t c[2] = {conv, 0};
            switch (size) {
            case Size::kChar: ok = PrintOne(out, directive + L"hh", c, va_arg(ap, unsigned)); break;
            case Size::kShort: ok = PrintOne(out, directive + L"h", c, va_arg(ap, unsigned)); break;
            case Size::kLongLong: ok = PrintOne(out, directive + L"ll", c, va_arg(ap, unsigned long long)); break;
            case Size::kSizeT: ok = PrintOne(out, directive + L"z", c, va_arg(ap, size_t)); break;
            case Size::kIntMax: ok = PrintOne(out, directive + L"j", c, va_arg(ap, uintmax_t)); break;
            case Size::kPtrDiff: ok = PrintOne(out, directive + L"z", c, va_arg(ap, size_t)); break;
            default: ok = PrintOne(out, directive, c, va_arg(ap, unsigned)); break;
            }
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A': {
            const wchar_t c[2] = {conv, 0};
            if (size == Size::kLongDouble) {
                ok = PrintOne(out, directive + L"L", c, va_arg(ap, long double));
            } else {
                ok = PrintOne(out, directive, c, va_arg(ap, double));
            }
            break;
        }
        case L'p':
            ok = PrintOne(out, directive, L"p", va_arg(ap, void*));
            break;
        case L's':
        case L'S': {
            // Lower-case s is wide unless 'h' says narrow; upper-case S is narrow
            // unless 'l' or 'w' says wide.
            bool narrow = conv == L's' ? size == Size::kShort
                                       : !(size == Size::kLong32 || size == Size::kWide);
            if (narrow) {
                const char* text = va_arg(ap, const char*);
                if (!text) text = "(null)";
                std::wstring wide = vyrwin::WideFromNarrow(text, std::strlen(text));
                PrintText(out, wide.data(), wide.size(), leftAlign, width, precision);
            } else {
                const wchar_t* text = va_arg(ap, const wchar_t*);
                if (!text) text = L"(null)";
                PrintText(out, text, std::wcslen(text), leftAlign, width, precision);
            }
            break;
        }
        case L'c':
        case L'C': {
            bool narrow = conv == L'c' ? size == Size::kShort
                                       : !(size == Size::kLong32 || size == Size::kWide);
            wchar_t ch;
            if (narrow) {
                char byte = static_cast<char>(va_arg(ap, int));
                std::wstring wide = vyrwin::WideFromNarrow(&byte, 1);
                ch = wide.empty() ? L'\0' : wide[0];
            } else {
                ch = static_cast<wchar_t>(va_arg(ap, wint_t));
            }
            PrintText(out, &ch, 1, leftAlign, width, -1);
            break;
        }
        default:
            // Unknown conversions (and %n, which writes memory) make the format bad.
            ok = false;
            break;
        }
    }
    va_end(ap);
    return ok;
}

}  // namespace

void CStringW::FormatV(LPCWSTR format, va_list args) {
    std::wstring out;
    if (!FormatInto(out, format, args)) out.clear();
    m_str.swap(out);
}

void CStringW::AppendFormatV(LPCWSTR format, va_list args) {
    std::wstring out;
    if (FormatInto(out, format, args)) m_str += out;
}

void CStringW::FormatRaw(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CStringW::AppendFormatRaw(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

CStringW operator+(const CStringW& a, const CStringW& b) {
    CStringW r(a);
    r += b;
    return r;
}

CStringW operator+(const CStringW& a, LPCWSTR b) {
    CStringW r(a);
    r += b;
    return r;
}

CStringW operator+(LPCWSTR a, const CStringW& b) {
    CStringW r(a);
    r += b;
    return r;
}

CStringW operator+(const CStringW& a, WCHAR b) {
    CStringW r(a);
    r += b;
    return r;
}

CStringW operator+(WCHAR a, const CStringW& b) {
    CStringW r(a, 1);
    r += b;
    return r;
}
