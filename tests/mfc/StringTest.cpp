// CStringW: conversions, formatting, searching and editing at the edges.
#include <afx.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring W(const CStringW& s) { return std::wstring(s.GetString()); }

}  // namespace

TEST(StringTest, ConstructsFromNarrowWideAndNullText) {
    EXPECT_EQ(W(CStringW(static_cast<LPCWSTR>(nullptr))), L"");
    EXPECT_EQ(W(CStringW(static_cast<LPCSTR>(nullptr))), L"");
    // UTF-8 decodes to code points, including one past U+FFFF.
    EXPECT_EQ(W(CStringW("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80")), L"caf\u00E9 \u20AC \U0001F600");
    // Bytes that are not UTF-8 (a Latin-1 file) keep their values instead of vanishing.
    EXPECT_EQ(W(CStringW("caf\xE9")), L"caf\u00E9");
    EXPECT_EQ(W(CStringW(L"abcdef", 3)), L"abc");
    EXPECT_EQ(W(CStringW(L"abc", -1)), L"");
    EXPECT_EQ(W(CStringW(L'x', 3)), L"xxx");
    EXPECT_EQ(W(CStringW(L'x', 0)), L"");

    CStringW s = "narrow";
    s += " tail";
    EXPECT_EQ(W(s), L"narrow tail");
    CStringW copy(s), moved(std::move(copy));
    moved += L'!';
    EXPECT_EQ(W(s), L"narrow tail");
    EXPECT_EQ(W(moved), L"narrow tail!");
}

TEST(StringTest, FormatReadsWideStringsForPercentSAsTheFrameworkDoes) {
    CStringW s;
    s.Format(L"%s|%S|%hs|%ls", L"wide", "narrow \xC3\xA9", "h", L"l");
    EXPECT_EQ(W(s), L"wide|narrow \u00E9|h|l");

    CStringW name(L"part");
    s.Format(L"<%s> <%-6s> <%6s> <%.2s>", name, L"ab", L"ab", L"abcdef");
    EXPECT_EQ(W(s), L"<part> <ab    > <    ab> <ab>");

    s.Format(L"%d %5d %-5d| %05d %x %X %u %%", -42, 7, 7, 42, 255, 255, 3000000000u);
    EXPECT_EQ(W(s), L"-42     7 7    | 00042 ff FF 3000000000 %");

    s.Format(L"%f %.2f %8.3f %e %g", 1.5, 3.14159, -2.5, 1000.0, 0.25f);
    EXPECT_EQ(W(s), L"1.500000 3.14   -2.500 1.000000e+03 0.25");

    // %ld reads a 32-bit LONG, %I64d a 64-bit value, %c a wide character.
    LONG negative = -5;
    DWORD big = 0xFFFFFFFFu;
    s.Format(L"%ld %lu %I64d %c%C %*d", negative, big, static_cast<long long>(1) << 40, L'\u00E9', 'A', 4, 9);
    EXPECT_EQ(W(s), L"-5 4294967295 1099511627776 \u00E9A    9");

    s.Format(L"%s", static_cast<LPCWSTR>(nullptr));
    EXPECT_EQ(W(s), L"(null)");

    s = L"kept";
    s.AppendFormat(L" %d/%s", 3, L"x");
    EXPECT_EQ(W(s), L"kept 3/x");

    // A conversion the formatter does not know (or %n) leaves an empty string.
    s.Format(L"bad %q");
    EXPECT_TRUE(s.IsEmpty());
    s.Format(L"trailing %");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringTest, FindAndExtractAtTheEdges) {
    const CStringW s(L"abcabc");
    EXPECT_EQ(s.Find(L'c'), 2);
    EXPECT_EQ(s.Find(L'c', 3), 5);
    EXPECT_EQ(s.Find(L'c', 6), -1);
    EXPECT_EQ(s.Find(L'c', 100), -1);
    EXPECT_EQ(s.Find(L'a', -3), 0);
    EXPECT_EQ(s.Find(L"bc", 2), 4);
    EXPECT_EQ(s.Find(L"x"), -1);
    EXPECT_EQ(s.Find(L""), 0);
    EXPECT_EQ(s.Find(L"", 6), 6);
    EXPECT_EQ(s.Find(L"", 7), -1);
    EXPECT_EQ(s.Find(static_cast<LPCWSTR>(nullptr)), -1);
    EXPECT_EQ(s.ReverseFind(L'a'), 3);
    EXPECT_EQ(s.ReverseFind(L'z'), -1);
    EXPECT_EQ(CStringW().Find(L'a'), -1);

    EXPECT_EQ(W(s.Mid(2)), L"cabc");
    EXPECT_EQ(W(s.Mid(2, 2)), L"ca");
    EXPECT_EQ(W(s.Mid(-1, 2)), L"ab");
    EXPECT_EQ(W(s.Mid(4, 100)), L"bc");
    EXPECT_EQ(W(s.Mid(10)), L"");
    EXPECT_EQ(W(s.Mid(1, -1)), L"");
    EXPECT_EQ(W(s.Left(2)), L"ab");
    EXPECT_EQ(W(s.Left(-1)), L"");
    EXPECT_EQ(W(s.Left(99)), L"abcabc");
    EXPECT_EQ(W(s.Right(2)), L"bc");
    EXPECT_EQ(W(s.Right(99)), L"abcabc");
    EXPECT_EQ(s.GetAt(99), L'\0');
    EXPECT_EQ(s[1], L'b');
}

TEST(StringTest, EditsReplaceRemoveInsertDelete) {
    CStringW s(L"aaa");
    EXPECT_EQ(s.Replace(L"aa", L"b"), 1);  // left to right, no overlap
    EXPECT_EQ(W(s), L"ba");
    s = L"x.y.z";
    EXPECT_EQ(s.Replace(L".", L"::"), 2);
    EXPECT_EQ(W(s), L"x::y::z");
    EXPECT_EQ(s.Replace(L"", L"q"), 0);
    EXPECT_EQ(s.Replace(static_cast<LPCWSTR>(nullptr), L"q"), 0);
    EXPECT_EQ(s.Replace(L"::", nullptr), 2);
    EXPECT_EQ(W(s), L"xyz");
    EXPECT_EQ(s.Replace(L'y', L'Y'), 1);
    EXPECT_EQ(W(s), L"xYz");
    // Replacing with the string's own text must not read freed memory.
    CStringW self(L"ab");
    self.Replace(self.GetString(), L"abab");
    EXPECT_EQ(W(self), L"abab");
    self += self.GetString();
    EXPECT_EQ(W(self), L"abababab");

    s = L"banana";
    EXPECT_EQ(s.Remove(L'a'), 3);
    EXPECT_EQ(W(s), L"bnn");
    EXPECT_EQ(s.Insert(1, L"--"), 5);
    EXPECT_EQ(s.Insert(99, L'!'), 6);
    EXPECT_EQ(s.Insert(-4, L'^'), 7);
    EXPECT_EQ(W(s), L"^b--nn!");
    EXPECT_EQ(s.Delete(2, 2), 5);
    EXPECT_EQ(s.Delete(4, 99), 4);
    EXPECT_EQ(s.Delete(99), 4);
    EXPECT_EQ(W(s), L"^bnn");

    s = L"  \t mixed Case \r\n";
    s.Trim();
    EXPECT_EQ(W(s), L"mixed Case");
    s.MakeUpper();
    EXPECT_EQ(W(s), L"MIXED CASE");
    s.MakeLower();
    EXPECT_EQ(W(s), L"mixed case");
    s = L"xxabcxx";
    s.TrimLeft(L'x');
    EXPECT_EQ(W(s), L"abcxx");
    s.TrimRight(L"xc");
    EXPECT_EQ(W(s), L"ab");
}

TEST(StringTest, BufferRoundTrip) {
    CStringW s(L"abc");
    LPWSTR buffer = s.GetBuffer(10);
    EXPECT_EQ(std::wstring(buffer, 3), L"abc");  // keeps the text
    wcscpy(buffer, L"0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(W(s), L"0123456789");
    EXPECT_EQ(s.GetLength(), 10);

    buffer = s.GetBuffer(0);
    buffer[2] = 0;
    s.ReleaseBuffer();  // up to the first 0
    EXPECT_EQ(W(s), L"01");

    buffer = s.GetBufferSetLength(5);
    buffer[2] = L'x';
    buffer[3] = L'y';
    buffer[4] = L'z';
    s.ReleaseBuffer(4);
    EXPECT_EQ(W(s), L"01xy");
    s.GetBuffer(2);
    s.ReleaseBuffer(99);  // clamped to the buffer
    EXPECT_EQ(W(s), L"01xy");
}

TEST(StringTest, CompareTokenizeAndConcatenate) {
    CStringW a(L"Apple"), b(L"apple");
    EXPECT_NE(a, b);
    EXPECT_TRUE(a < b);
    EXPECT_EQ(a.CompareNoCase(b), 0);
    EXPECT_LT(a.Compare(L"B"), 0);
    EXPECT_TRUE(a == L"Apple");
    EXPECT_TRUE(L"Apple" == a);
    EXPECT_TRUE(a != L"apple");
    EXPECT_EQ(CStringW().Compare(nullptr), 0);

    CStringW line(L";;alpha; beta;;gamma;");
    std::wstring tokens;
    int pos = 0;
    for (CStringW token = line.Tokenize(L";", pos); pos >= 0; token = line.Tokenize(L";", pos)) {
        tokens += W(token) + L"|";
    }
    EXPECT_EQ(tokens, L"alpha| beta|gamma|");
    pos = 0;
    EXPECT_EQ(W(CStringW(L";;;").Tokenize(L";", pos)), L"");
    EXPECT_EQ(pos, -1);

    EXPECT_EQ(W(L"<" + a + L'>' + b), L"<Apple>apple");
    EXPECT_EQ(W(L'[' + CStringW(L"x") + L"]"), L"[x]");
}
