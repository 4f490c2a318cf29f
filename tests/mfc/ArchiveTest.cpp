// CArchive: the bytes every type is stored as, round trips through memory and
// disk files, and the errors of misuse and truncated data.
#include <afx.h>

#include <gtest/gtest.h>

#include "TestFiles.h"

#include <cfloat>
#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(CMemFile& file) {
    return std::vector<BYTE>(file.GetData(), file.GetData() + file.GetLength());
}

// Stores one of every type, in a fixed order.
void StoreAll(CArchive& ar) {
    ar << BYTE(0xAB) << 'c' << true << WORD(0xBEEF) << SHORT(-2) << int32_t(1) << LONG(-1) << DWORD(0xDEADBEEF)
       << 7 << 8u << (1LL << 40) << ULLONG_MAX << 1.5f << -0.1 << FLT_MIN << DBL_MAX;
    ar << CStringW(L"h\u00E9llo \U0001F600") << CStringW() << L"lit";
}

void CheckAll(CArchive& ar) {
    BYTE b; char c; bool flag; WORD w; SHORT s; int32_t one; LONG minus; DWORD dw; int i; unsigned u;
    long long ll; unsigned long long ull; float f, fmin; double d, dmax;
    ar >> b >> c >> flag >> w >> s >> one >> minus >> dw >> i >> u >> ll >> ull >> f >> d >> fmin >> dmax;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(c, 'c');
    EXPECT_TRUE(flag);
    EXPECT_EQ(w, 0xBEEF);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(one, 1);
    EXPECT_EQ(minus, -1);
    EXPECT_EQ(dw, 0xDEADBEEFu);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(u, 8u);
    EXPECT_EQ(ll, 1LL << 40);
    EXPECT_EQ(ull, ULLONG_MAX);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -0.1);
    EXPECT_EQ(fmin, FLT_MIN);
    EXPECT_EQ(dmax, DBL_MAX);
    CStringW text, empty, lit;
    ar >> text >> empty >> lit;
    EXPECT_STREQ(text, L"h\u00E9llo \U0001F600");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ(lit, L"lit");
}

// The bytes of the numbers StoreAll writes.
const size_t kNumberBytes = 67;

}  // namespace

TEST(ArchiveTest, StoresFixedWidthLittleEndianBytes) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << int32_t(1) << WORD(0x0102) << 1.0f << SHORT(-1) << (0x0102030405060708LL) << true;
        ar << CStringW(L"A\u00E9");
    }
    const std::vector<BYTE> expected = {
        0x01, 0x00, 0x00, 0x00,                          // int32 1
        0x02, 0x01,                                      // WORD 0x0102
        0x00, 0x00, 0x80, 0x3F,                          // float 1.0
        0xFF, 0xFF,                                      // short -1
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // 64-bit
        0x01,                                            // bool
        0xFF, 0xFE, 0xFF, 0x02, 0x41, 0x00, 0xE9, 0x00,  // wide-string mark, length 2, UTF-16LE
    };
    EXPECT_EQ(Bytes(file), expected);
}

TEST(ArchiveTest, RoundTripsEveryTypeThroughMemory) {
    CMemFile file(16);  // small growth steps: the file reallocates many times
    {
        CArchive ar(&file, CArchive::store, 32);  // a small buffer: values straddle refills
        StoreAll(ar);
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load, 32);
    CheckAll(ar);
    BYTE extra;
    EXPECT_EQ(ar.Read(&extra, 1), 0u);
}

TEST(ArchiveTest, RoundTripsThroughADiskFile) {
    const std::string path = vyrtest::ScratchDir() + "/data.bin";
    const CStringW widePath(path.c_str());
    {
        CFile file(widePath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        CArchive ar(&file, CArchive::store);
        StoreAll(ar);
        ar.Close();
        file.Close();
    }
    const std::string bytes = vyrtest::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), kNumberBytes);
    EXPECT_EQ(bytes.substr(7, 4), std::string("\x01\x00\x00\x00", 4));  // after BYTE, char, bool, WORD, short

    CFile file(widePath, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CheckAll(ar);
}

TEST(ArchiveTest, LongStringsUseTheWiderLengthPrefixes) {
    for (int length : {254, 255, 0xFFFD, 0xFFFE, 70000}) {
        CStringW text(L'\u00E9', length);
        text.SetAt(length - 1, L'z');
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            ar << text;
        }
        const std::vector<BYTE> bytes = Bytes(file);
        size_t prefix = length < 0xFF ? 4 : length < 0xFFFE ? 6 : 10;
        ASSERT_EQ(bytes.size(), prefix + 2u * length) << length;
        file.SeekToBegin();
        CArchive ar(&file, CArchive::load);
        CStringW back;
        ar >> back;
        EXPECT_TRUE(back == text) << length;
    }
}

TEST(ArchiveTest, ACharacterPastUFFFFLoadsWholeWhereverItFallsInALongString) {
    // Long strings are loaded in pieces of 64K code units; put the surrogate pair, or
    // a lone high surrogate, across the end of the first piece.
    for (const wchar_t* tail : {L"\U0001F600end", L"\xD800" L"b"}) {
        CStringW text(L'a', 0xFFFF);
        text += CStringW(std::wstring(tail));
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            ar << text;
        }
        file.SeekToBegin();
        CArchive ar(&file, CArchive::load);
        CStringW back;
        ar >> back;
        EXPECT_TRUE(back == text) << back.GetLength();
    }
}

TEST(ArchiveTest, ReadsSingleByteStrings) {
    BYTE data[] = {3, 'a', 'b', 0xE9};  // a length prefix without the wide mark: single-byte text
    CMemFile file(data, sizeof data);
    CArchive ar(&file, CArchive::load);
    CStringW text;
    ar >> text;
    EXPECT_STREQ(text, L"ab\u00E9");
}

TEST(ArchiveTest, ReadingPastTheEndThrowsEndOfFile) {
    BYTE data[] = {1, 2, 3};
    CMemFile file(data, sizeof data);
    CArchive ar(&file, CArchive::load);
    WORD w;
    ar >> w;
    int32_t value = 0;
    int cause = -1;
    try {
        ar >> value;
    } catch (CArchiveException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CArchiveException::endOfFile);

    // A string whose length runs past the data fails the same way, without
    // reserving memory for the claimed length.
    BYTE lying[] = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x', 0};
    CMemFile lyingFile(lying, sizeof lying);
    CArchive lyingAr(&lyingFile, CArchive::load);
    CStringW text(L"unchanged");
    cause = -1;
    try {
        lyingAr >> text;
    } catch (CArchiveException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CArchiveException::endOfFile);
    EXPECT_STREQ(text, L"unchanged");
}

TEST(ArchiveTest, WrongDirectionThrowsReadOnlyOrWriteOnly) {
    CMemFile file;
    CArchive loading(&file, CArchive::load);
    int cause = -1;
    try {
        loading << 1;
    } catch (CException* e) {
        auto* archiveError = dynamic_cast<CArchiveException*>(e);
        ASSERT_NE(archiveError, nullptr);
        cause = archiveError->m_cause;
        EXPECT_FALSE(archiveError->GetErrorMessage().IsEmpty());
        e->Delete();
    }
    EXPECT_EQ(cause, CArchiveException::readOnly);

    CArchive storing(&file, CArchive::store);
    int value;
    cause = -1;
    try {
        storing >> value;
    } catch (CArchiveException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CArchiveException::writeOnly);
}

TEST(ArchiveTest, ClosingALoadingArchiveLeavesTheFileAtTheArchivePosition) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << 1 << 2 << 3;
    }
    file.SeekToBegin();
    {
        CArchive ar(&file, CArchive::load);  // reads ahead the whole file
        int first;
        ar >> first;
        EXPECT_EQ(first, 1);
    }
    EXPECT_EQ(file.GetPosition(), 4u);
    int second = 0;
    EXPECT_EQ(file.Read(&second, 4), 4u);
    EXPECT_EQ(second, 2);
}

TEST(ArchiveTest, TextLinesAreUtf16) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.WriteString(L"one\r\n");
        ar.WriteString(L"tw\u00F6\n");
        ar.WriteString(L"last");
    }
    EXPECT_EQ(file.GetLength(), 2u * (5 + 4 + 4));
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CStringW line;
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_STREQ(line, L"one");
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_STREQ(line, L"tw\u00F6");
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_STREQ(line, L"last");
    EXPECT_FALSE(ar.ReadString(line));
}
