// The framework's text on its way out: strings, traces, text files, file names and archives
// all show one wide text as the same bytes. {0xD83D, 0xDE00} (a pair that came from UTF-16)
// and U+1F600 are the same character and are written F0 9F 98 80 wherever UTF-8 is written.
#include <afx.h>

#include <gtest/gtest.h>

#include "TestFiles.h"

#include <dirent.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kFromUtf16[] = {L'a', 0xD83D, 0xDE00, L'b', 0};
const char kUtf8[] = "a\xF0\x9F\x98\x80" "b";

std::vector<BYTE> Bytes(CMemFile& file) { return std::vector<BYTE>(file.GetData(), file.GetData() + file.GetLength()); }

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(d);
    }
    return names;
}

}  // namespace

TEST(EncodingTest, NarrowStringsDecodeToOneCodePoint) {
    EXPECT_STREQ(CStringW(kUtf8), L"a\U0001F600b");
    CStringW formatted;
    formatted.Format(L"%S|%hs", kUtf8, "\xE2\x82");  // a truncated sequence is not UTF-8: single-byte
    EXPECT_STREQ(formatted, L"a\U0001F600b|\u00E2\u201A");
}

TEST(EncodingTest, TraceWritesUtf8) {
    vyrtest::CaptureStderr();
    AfxTraceText(kFromUtf16);
    AfxTraceText(L"a\U0001F600b");
    const wchar_t lone[] = {0xDE00, 0};
    AfxTraceText(lone);
    EXPECT_EQ(vyrtest::GetCapturedStderr(), std::string(kUtf8) + kUtf8 + "\xEF\xBF\xBD");
}

TEST(EncodingTest, TextFilesAndFileNamesAreUtf8) {
    const std::string dir = vyrtest::ScratchDir();
    const CStringW path = CStringW(dir.c_str()) + L"\\" + kFromUtf16 + L".txt";  // a backslash path
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        file.WriteString(kFromUtf16);
        file.WriteString(L"\n");
    }
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{std::string(kUtf8) + ".txt"});
    const std::string onDisk = dir + "/" + kUtf8 + ".txt";
    EXPECT_EQ(vyrtest::ReadFileBytes(onDisk), std::string(kUtf8) + "\r\n");

    CStdioFile file;
    ASSERT_TRUE(file.Open(CStringW(onDisk.c_str()), CFile::modeRead | CFile::typeText));
    CStringW line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_STREQ(line, L"a\U0001F600b");
}

TEST(EncodingTest, ArchiveStringsAreUtf16WhateverFormTheTextCameIn) {
    CMemFile joined, split;
    {
        CArchive a(&joined, CArchive::store), b(&split, CArchive::store);
        a << CStringW(L"a\U0001F600b");
        b << CStringW(kFromUtf16);
    }
    const std::vector<BYTE> expected = {0xFF, 0xFE, 0xFF, 4, 'a', 0, 0x3D, 0xD8, 0x00, 0xDE, 'b', 0};
    EXPECT_EQ(Bytes(joined), expected);
    EXPECT_EQ(Bytes(split), expected);
}

TEST(EncodingTest, ArchiveStringsKeepLoneSurrogatesAndPairsAcrossPieces) {
    // A lone surrogate stored by another program is read and written back unchanged.
    const std::vector<BYTE> lone = {0xFF, 0xFE, 0xFF, 2, 0x00, 0xD8, 'x', 0};
    CMemFile in(const_cast<BYTE*>(lone.data()), static_cast<UINT>(lone.size()));
    CStringW text;
    {
        CArchive ar(&in, CArchive::load);
        ar >> text;
    }
    EXPECT_EQ(text.GetLength(), 2);
    EXPECT_EQ(static_cast<uint32_t>(text[0]), 0xD800u);
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        ar << text;
    }
    EXPECT_EQ(Bytes(out), lone);

    // A pair whose halves fall into two of the pieces a long string is read in.
    CStringW longText(L'x', 65535);
    longText += L"\U0001F600";
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << longText;
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CStringW back;
    ar >> back;
    EXPECT_EQ(back.GetLength(), 65536);
    EXPECT_TRUE(back == longText);
}

TEST(EncodingTest, SingleByteArchiveStringsAreWindows1252) {
    BYTE data[] = {4, 0x80, ' ', 0x96, 0xE9};
    CMemFile file(data, sizeof data);
    CArchive ar(&file, CArchive::load);
    CStringW text;
    ar >> text;
    EXPECT_STREQ(text, L"\u20AC \u2013\u00E9");
}
