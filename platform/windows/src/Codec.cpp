// The text codec: UTF-8, UTF-16 and Windows-1252 to and from wide text.
#include "vyrwin_codec.h"

#include <cstdint>
#include <cstring>

namespace vyrwin {

namespace {

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

char32_t Join(uint32_t high, uint32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }

// Windows-1252's characters for the bytes 0x80 to 0x9F; the undefined ones keep their value.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

// --- UTF-8 ------------------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t codePoint) {
    uint32_t c = static_cast<uint32_t>(codePoint);
    if (IsSurrogate(c) || c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextCodePoint(const WCHAR* text, size_t length, size_t& index) {
    const uint32_t c = static_cast<uint32_t>(text[index++]);
    if (IsHighSurrogate(c) && index < length) {
        const uint32_t low = static_cast<uint32_t>(text[index]);
        if (IsLowSurrogate(low)) {
            ++index;
            return Join(c, low);
        }
    }
    return static_cast<char32_t>(c);
}

std::string Utf8FromWide(const WCHAR* text, size_t length) {
    std::string out;
    if (!text) return out;
    out.reserve(length);
    for (size_t i = 0; i < length;) AppendUtf8(out, NextCodePoint(text, length, i));
    return out;
}

std::string Utf8FromWide(const WCHAR* text) { return text ? Utf8FromWide(text, std::wcslen(text)) : std::string(); }

Utf8Sequence DecodeUtf8Sequence(const char* bytes, size_t length) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char lead = s[0];
    if (lead < 0x80) return {lead, 1, true};
    // The well-formed sequences (Unicode, table 3-7): the lead byte fixes the length and the
    // range of the second byte, which excludes overlong forms, surrogates and values past
    // U+10FFFF; every later byte is 80..BF.
    size_t extra;
    unsigned char low = 0x80, high = 0xBF;
    uint32_t c;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {kReplacementCharacter, 1, false};  // 80..C1, F5..FF never start a sequence
    }
    size_t i = 1;
    for (; i <= extra; ++i) {
        if (i >= length) return {kReplacementCharacter, i, false};  // truncated
        const unsigned char b = s[i];
        const bool fits = i == 1 ? (b >= low && b <= high) : IsContinuation(b);
        if (!fits) return {kReplacementCharacter, i, false};  // the maximal subpart ends before b
        c = (c << 6) | (b & 0x3F);
    }
    return {static_cast<char32_t>(c), i, true};
}

std::wstring WideFromUtf8(const char* bytes, size_t length) {
    std::wstring out;
    if (!bytes) return out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + i, length - i);
        out += static_cast<wchar_t>(sequence.codePoint);
        i += sequence.length;
    }
    return out;
}

std::wstring WideFromUtf8(const char* bytes) { return bytes ? WideFromUtf8(bytes, std::strlen(bytes)) : std::wstring(); }

bool IsUtf8(const char* bytes, size_t length) {
    for (size_t i = 0; i < length;) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {  // the common case, without a call
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + i, length - i);
        if (!sequence.valid) return false;
        i += sequence.length;
    }
    return true;
}

// --- UTF-16 -----------------------------------------------------------------------------------

std::u16string Utf16FromWide(const WCHAR* text, size_t length) {
    std::u16string out;
    if (!text) return out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c > 0x10FFFF) c = kReplacementCharacter;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);  // a surrogate, lone or half of a pair, as it is
        }
    }
    return out;
}

std::wstring WideFromUtf16(const char16_t* units, size_t length) {
    std::wstring out;
    if (!units) return out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(units[i + 1])) c = Join(c, units[++i]);
        out += static_cast<wchar_t>(c);
    }
    return out;
}

// --- Narrow text ------------------------------------------------------------------------------

std::wstring WideFromWindows1252(const char* bytes, size_t length) {
    std::wstring out;
    if (!bytes) return out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += static_cast<wchar_t>(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : b);
    }
    return out;
}

std::wstring WideFromNarrow(const char* bytes, size_t length) {
    if (!bytes) return std::wstring();
    return IsUtf8(bytes, length) ? WideFromUtf8(bytes, length) : WideFromWindows1252(bytes, length);
}

}  // namespace vyrwin
