// The text codec: every code point survives UTF-8 and UTF-16 and back, surrogate pairs from
// UTF-16 become one code point, and bad input becomes U+FFFD where a reader can see it, never a
// silent gap or a crash. Narrow text that is not UTF-8 keeps its characters as Windows-1252.
#include "vyrwin_codec.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using vyrwin::Utf8FromWide;
using vyrwin::WideFromUtf8;

namespace {

std::wstring Wide(std::initializer_list<uint32_t> codes) {
    std::wstring text;
    for (uint32_t c : codes) text += static_cast<wchar_t>(c);
    return text;
}

// Every Unicode scalar value (U+0000 to U+10FFFF without the surrogates), in order.
std::wstring AllScalarValues() {
    std::wstring all;
    all.reserve(0x110000);
    for (uint32_t c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF) all += static_cast<wchar_t>(c);
    return all;
}

}  // namespace

TEST(CodecTest, EveryScalarValueSurvivesUtf8AndUtf16) {
    const std::wstring all = AllScalarValues();
    const std::string utf8 = Utf8FromWide(all);
    EXPECT_TRUE(vyrwin::IsUtf8(utf8.data(), utf8.size()));
    EXPECT_EQ(WideFromUtf8(utf8), all);  // the embedded U+0000 included
    EXPECT_EQ(vyrwin::WideFromUtf16(vyrwin::Utf16FromWide(all)), all);
    // 128 one-byte, 1920 two-byte, 63488 three-byte less 2048 surrogates, 1048576 four-byte.
    EXPECT_EQ(utf8.size(), 128u + 1920u * 2 + (63488u - 2048u) * 3 + 1048576u * 4);
}

TEST(CodecTest, BoundariesOfEachSequenceLength) {
    struct Case {
        uint32_t code;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {0x7F, "\x7F", u"\x7F"},
        {0x80, "\xC2\x80", u"\x80"},
        {0x7FF, "\xDF\xBF", u"\x7FF"},
        {0x800, "\xE0\xA0\x80", u"\x800"},
        {0xD7FF, "\xED\x9F\xBF", u"\xD7FF"},
        {0xE000, "\xEE\x80\x80", u"\xE000"},
        {0xFFFD, "\xEF\xBF\xBD", u"\xFFFD"},
        {0xFFFF, "\xEF\xBF\xBF", u"\xFFFF"},
        {0x10000, "\xF0\x90\x80\x80", {0xD800, 0xDC00}},
        {0x1F600, "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
        {0x10FFFF, "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},
    };
    for (const Case& c : cases) {
        const std::wstring text = Wide({c.code});
        EXPECT_EQ(Utf8FromWide(text), c.utf8) << std::hex << c.code;
        EXPECT_EQ(WideFromUtf8(c.utf8), text) << std::hex << c.code;
        EXPECT_EQ(vyrwin::Utf16FromWide(text), c.utf16) << std::hex << c.code;
        EXPECT_EQ(vyrwin::WideFromUtf16(c.utf16), text) << std::hex << c.code;
    }
}

TEST(CodecTest, SurrogatePairsFromUtf16BecomeOneCodePoint) {
    const std::wstring pair = Wide({0xD83D, 0xDE00});
    EXPECT_EQ(Utf8FromWide(pair), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8FromWide(pair.c_str()), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8FromWide(Wide({'a', 0xD83D, 0xDE00, 'b'})), "a\xF0\x9F\x98\x80"
                                                             "b");
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(pair)), Wide({0x1F600}));

    size_t index = 0;
    EXPECT_EQ(vyrwin::NextCodePoint(pair.data(), pair.size(), index), U'\U0001F600');
    EXPECT_EQ(index, 2u);
    // Only the first half available: answered as it is, one character on.
    index = 0;
    EXPECT_EQ(vyrwin::NextCodePoint(pair.data(), 1, index), static_cast<char32_t>(0xD83D));
    EXPECT_EQ(index, 1u);
}

TEST(CodecTest, WhatUtf8CannotCarryBecomesTheReplacementCharacter) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(Utf8FromWide(Wide({0xD83D})), fffd);                   // a high surrogate alone
    EXPECT_EQ(Utf8FromWide(Wide({0xDE00, 'x'})), fffd + "x");        // a low surrogate alone
    EXPECT_EQ(Utf8FromWide(Wide({0xDE00, 0xD83D})), fffd + fffd);    // a pair in the wrong order
    EXPECT_EQ(Utf8FromWide(Wide({0xD83D, 0xD83D, 0xDE00})), fffd + "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8FromWide(Wide({0x110000})), fffd);                 // past U+10FFFF
    EXPECT_EQ(Utf8FromWide(Wide({0xFFFFFFFFu})), fffd);              // a negative wchar_t
    EXPECT_EQ(Utf8FromWide(static_cast<const WCHAR*>(nullptr)), "");
    EXPECT_EQ(Utf8FromWide(nullptr, 5), "");
}

TEST(CodecTest, InvalidUtf8BecomesOneReplacementPerMaximalSubpart) {
    const wchar_t r = 0xFFFD;
    struct Case {
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        // The example the Unicode standard gives for this practice.
        {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", {'a', r, r, r, 'b', r, 'c', r, r, 'd'}},
        {"\x80", {r}},                              // a continuation byte alone
        {"\xC0\xAF", {r, r}},                       // an overlong '/': C0 never starts a sequence
        {"\xC1\xBF", {r, r}},
        {"\xE0\x80\xAF", {r, r, r}},                // overlong three-byte form
        {"\xF0\x80\x80\xAF", {r, r, r, r}},         // overlong four-byte form
        {"\xED\xA0\x80", {r, r, r}},                // an encoded surrogate
        {"\xED\xBF\xBF", {r, r, r}},
        {"\xF4\x90\x80\x80", {r, r, r, r}},         // past U+10FFFF
        {"\xF5\x80", {r, r}},                       // F5..FF never start a sequence
        {"\xFF\xFE", {r, r}},
        {"\xE2\x82", {r}},                          // truncated at the end: one subpart
        {"\xF0\x9F\x98", {r}},
        {"\xE2\x82" "A", {r, 'A'}},                 // truncated by a byte that starts anew
        {"\xF0\x9F\x98\xF0\x9F\x98\x80", {r, 0x1F600}},
        {"\xC3", {r}},
        {"ok\xC3", {'o', 'k', r}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideFromUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
        EXPECT_FALSE(vyrwin::IsUtf8(c.bytes.data(), c.bytes.size())) << testing::PrintToString(c.bytes);
    }
    // A replacement character that is really there is valid text.
    const vyrwin::Utf8Sequence real = vyrwin::DecodeUtf8Sequence("\xEF\xBF\xBD", 3);
    EXPECT_TRUE(real.valid);
    EXPECT_EQ(real.length, 3u);
    const vyrwin::Utf8Sequence bad = vyrwin::DecodeUtf8Sequence("\xED\xA0\x80", 3);
    EXPECT_FALSE(bad.valid);
    EXPECT_EQ(bad.codePoint, vyrwin::kReplacementCharacter);
    EXPECT_EQ(bad.length, 1u);

    // Zero bytes inside a counted text are characters; a null pointer is empty text.
    EXPECT_EQ(WideFromUtf8(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(WideFromUtf8(static_cast<const char*>(nullptr)), L"");
    EXPECT_EQ(WideFromUtf8("stops\0here"), L"stops");
}

TEST(CodecTest, Utf16KeepsLoneSurrogatesSoStoredStringsRoundTrip) {
    const std::u16string stored = {'a', 0xD800, 'b', 0xDC00, 0xDBFF};
    const std::wstring text = vyrwin::WideFromUtf16(stored);
    EXPECT_EQ(text, Wide({'a', 0xD800, 'b', 0xDC00, 0xDBFF}));
    EXPECT_EQ(vyrwin::Utf16FromWide(text), stored);
    // A pair that came from UTF-16 and sits in wide text as two characters goes back as it was.
    EXPECT_EQ(vyrwin::Utf16FromWide(Wide({0xD83D, 0xDE00})), (std::u16string{0xD83D, 0xDE00}));
    // What UTF-16 cannot hold at all.
    EXPECT_EQ(vyrwin::Utf16FromWide(Wide({0x110000, 0xFFFFFFFFu})), (std::u16string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(vyrwin::WideFromUtf16(nullptr, 3), L"");
}

TEST(CodecTest, NarrowTextIsUtf8ElseWindows1252) {
    auto narrow = [](const std::string& bytes) { return vyrwin::WideFromNarrow(bytes.data(), bytes.size()); };
    EXPECT_EQ(narrow("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), L"caf\u00E9 \u20AC \U0001F600");
    // A single-byte file keeps every character: é, the euro sign, an en dash, quotes.
    EXPECT_EQ(narrow("caf\xE9 \x80 \x96 \x93q\x94"), L"caf\u00E9 \u20AC \u2013 \u201Cq\u201D");
    // The bytes Windows-1252 leaves undefined keep their values.
    EXPECT_EQ(narrow("\x81\x8D\x8F\x90\x9D"), L"\u0081\u008D\u008F\u0090\u009D");
    // One byte that is not UTF-8 makes the whole text single-byte (not a mix of both).
    EXPECT_EQ(narrow("\xC3\xA9\xFF"), L"\u00C3\u00A9\u00FF");
    EXPECT_EQ(narrow(std::string("\0\x7F", 2)), std::wstring(L"\0\x7F", 2));
    EXPECT_EQ(vyrwin::WideFromNarrow(nullptr, 4), L"");
    // Every byte value decodes to a distinct character.
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    const std::wstring decoded = narrow(every);
    ASSERT_EQ(decoded.size(), 256u);
    EXPECT_EQ(std::set<wchar_t>(decoded.begin(), decoded.end()).size(), 256u);
}
