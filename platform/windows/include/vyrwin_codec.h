// The text codec: the one place where wide text meets byte encodings. Every library of the
// system (windows, framework, services, registry, window titles, message boxes, file names,
// traces and logs) converts through these functions, so one wide text has one byte form.
//
// Wide text: WCHAR is wchar_t, 32 bits, one Unicode code point per character. Wide text that
// came from UTF-16 may still hold a surrogate pair as two characters; every conversion below
// reads a high surrogate directly followed by a low surrogate as the one code point they encode.
//
// Wide -> UTF-8: surrogate pairs joined; a lone surrogate, or a value above U+10FFFF (or
// negative), becomes U+FFFD (EF BF BD). So {0xD83D, 0xDE00} and {0x1F600} both give F0 9F 98 80.
//
// UTF-8 -> wide: well-formed sequences decode to their code point. Anything else (a byte that
// cannot start a sequence, a truncated sequence, an overlong form, an encoded surrogate, a value
// above U+10FFFF) becomes one U+FFFD per maximal invalid subpart, the practice the Unicode
// standard recommends: "\xE2\x82" then "A" gives {U+FFFD, 'A'}; "\xC0\xAF" gives two U+FFFD.
// Nothing is dropped and every byte is looked at once.
//
// UTF-16 <-> wide (for stored formats that demand UTF-16): code points above U+FFFF become
// surrogate pairs and pairs join again. A lone surrogate passes unchanged in both directions:
// UTF-16 can hold it as a code unit and wide text can hold it as a character, so a UTF-16 string
// read and written back keeps its exact bytes. Values above U+10FFFF become U+FFFD.
//
// Narrow (single-byte, "ANSI") text: the system's narrow code page is UTF-8, independent of the
// locale, so every process reads and writes narrow text alike. Narrow text that is valid UTF-8
// as a whole is decoded as UTF-8; narrow text that is not (a file written by a single-byte
// program) is decoded as Windows-1252 byte by byte, so no character of it is lost. Narrow text
// is always written as UTF-8 (Utf8FromWide).
#pragma once

#include "vyrwin_types.h"

#include <cstddef>
#include <string>

namespace vyrwin {

// The replacement character that stands for text a conversion cannot carry.
constexpr char32_t kReplacementCharacter = 0xFFFD;

// --- UTF-8 ------------------------------------------------------------------------------------

// `length` characters of wide text as UTF-8 (null text: empty). Embedded zeros are kept.
VYR_WINAPI_EXPORT std::string Utf8FromWide(const WCHAR* text, size_t length);
// Null-terminated wide text as UTF-8 (null: empty).
VYR_WINAPI_EXPORT std::string Utf8FromWide(const WCHAR* text);
// A standard wide string as UTF-8.
inline std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWide(text.data(), text.size()); }

// `length` bytes of UTF-8 as wide text (null bytes: empty). Embedded zeros are kept.
VYR_WINAPI_EXPORT std::wstring WideFromUtf8(const char* bytes, size_t length);
// Null-terminated UTF-8 as wide text (null: empty).
VYR_WINAPI_EXPORT std::wstring WideFromUtf8(const char* bytes);
// A standard string of UTF-8 as wide text.
inline std::wstring WideFromUtf8(const std::string& bytes) { return WideFromUtf8(bytes.data(), bytes.size()); }

// True when the bytes are well-formed UTF-8 throughout (an empty text is).
VYR_WINAPI_EXPORT bool IsUtf8(const char* bytes, size_t length);

// One step of UTF-8 decoding: what the sequence that starts at bytes[0] holds.
struct Utf8Sequence {
    char32_t codePoint;  // the code point, U+FFFD when the sequence is not well-formed
    size_t length;       // bytes it takes: 1 to 4, the maximal invalid subpart when not well-formed
    bool valid;          // false when the bytes were replaced by U+FFFD
};
// Decodes the sequence at the start of `length` (> 0) bytes.
VYR_WINAPI_EXPORT Utf8Sequence DecodeUtf8Sequence(const char* bytes, size_t length);

// Appends one code point as UTF-8 (a surrogate or a value above U+10FFFF: U+FFFD).
VYR_WINAPI_EXPORT void AppendUtf8(std::string& out, char32_t codePoint);

// The code point at text[index] and the index after it: a surrogate pair gives its joined code
// point and moves two characters on; every other character (a lone surrogate or a value that is
// no code point as well) is answered as it is. index must be below length.
VYR_WINAPI_EXPORT char32_t NextCodePoint(const WCHAR* text, size_t length, size_t& index);

// --- UTF-16 -----------------------------------------------------------------------------------

// `length` characters of wide text as UTF-16 code units.
VYR_WINAPI_EXPORT std::u16string Utf16FromWide(const WCHAR* text, size_t length);
inline std::u16string Utf16FromWide(const std::wstring& text) { return Utf16FromWide(text.data(), text.size()); }
// `length` UTF-16 code units as wide text.
VYR_WINAPI_EXPORT std::wstring WideFromUtf16(const char16_t* units, size_t length);
inline std::wstring WideFromUtf16(const std::u16string& units) { return WideFromUtf16(units.data(), units.size()); }

// --- Narrow (single-byte) text ----------------------------------------------------------------

// `length` bytes of Windows-1252 as wide text, one character per byte. The five bytes that
// code page leaves undefined (81 8D 8F 90 9D) keep their values as C1 control characters.
VYR_WINAPI_EXPORT std::wstring WideFromWindows1252(const char* bytes, size_t length);

// `length` bytes of narrow text as wide text: UTF-8 when the bytes are UTF-8 throughout, else
// Windows-1252 (see the top of this header).
VYR_WINAPI_EXPORT std::wstring WideFromNarrow(const char* bytes, size_t length);

}  // namespace vyrwin
