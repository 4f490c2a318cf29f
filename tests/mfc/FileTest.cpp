// CFile, CStdioFile and CMemFile: opening errors, positions, text line ends on
// disk, and memory buffers handed in and out.
#include <afx.h>

#include <gtest/gtest.h>

#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

CStringW Wide(const std::string& path) { return CStringW(path.c_str()); }

void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace

TEST(FileTest, OpenFailuresFillTheExceptionWithoutThrowing) {
    const std::string dir = vyrtest::ScratchDir();
    CFile file;
    CFileException error;

    EXPECT_FALSE(file.Open(Wide(dir + "/missing.txt"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_STREQ(error.m_strFileName, Wide(dir + "/missing.txt"));
    EXPECT_NE(error.GetErrorMessage().Find(L"missing.txt"), -1);

    EXPECT_FALSE(file.Open(Wide(dir + "/no/such/folder.txt"), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.Open(Wide(dir + "/nofolder/x.txt"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.Open(Wide(dir), CFile::modeRead, &error));  // a folder is not a file
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(L"", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_FALSE(file.IsOpen());

    // The throwing constructor reports the same cause.
    int cause = -1;
    try {
        CFile thrown(Wide(dir + "/missing.txt"), CFile::modeRead);
    } catch (CFileException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CFileException::fileNotFound);

    // Using a file that is not open throws invalidFile.
    cause = -1;
    try {
        char c;
        file.Read(&c, 1);
    } catch (CFileException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CFileException::invalidFile);
}

TEST(FileTest, ReadsWritesAndSeeksWithBackslashPaths) {
    const std::string dir = vyrtest::ScratchDir();
    CStringW backslashed = Wide(dir + "/data.bin");
    backslashed.Replace(L'/', L'\\');
    {
        CFile file(backslashed, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary);
        EXPECT_STREQ(file.GetFilePath(), Wide(dir + "/data.bin"));
        EXPECT_STREQ(file.GetFileName(), L"data.bin");
        file.Write("hello world", 11);
        EXPECT_EQ(file.GetLength(), 11u);
        EXPECT_EQ(file.GetPosition(), 11u);
        EXPECT_EQ(file.Seek(-5, CFile::end), 6u);
        char buffer[16] = {};
        EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
        EXPECT_STREQ(buffer, "world");
        EXPECT_EQ(file.Read(buffer, 1), 0u);

        int cause = -1;
        try {
            file.Seek(-1, CFile::begin);
        } catch (CFileException* e) {
            cause = e->m_cause;
            e->Delete();
        }
        EXPECT_EQ(cause, CFileException::badSeek);
        file.SetLength(5);
        EXPECT_EQ(file.SeekToEnd(), 5u);
    }
    EXPECT_EQ(vyrtest::ReadFileBytes(dir + "/data.bin"), "hello");

    // modeNoTruncate keeps what is there; modeCreate alone empties it.
    {
        CFile file(Wide(dir + "/data.bin"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        file.SeekToEnd();
        file.Write("!", 1);
    }
    EXPECT_EQ(vyrtest::ReadFileBytes(dir + "/data.bin"), "hello!");
    { CFile file(Wide(dir + "/data.bin"), CFile::modeCreate | CFile::modeWrite); }
    EXPECT_EQ(vyrtest::ReadFileBytes(dir + "/data.bin"), "");

    // A relative path is reported in full.
    CFile file;
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ASSERT_TRUE(file.Open(L"data.bin", CFile::modeRead));
    EXPECT_STREQ(file.GetFilePath(), Wide(dir + "/data.bin"));
}

TEST(FileTest, StdioFileWritesCrlfAndReadsBothLineEnds) {
    const std::string dir = vyrtest::ScratchDir();
    {
        CStdioFile file(Wide(dir + "/out.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        file.WriteString(L"first\n");
        file.WriteString(L"gr\u00FC\u00DFe \u20AC\nlast");
    }
    EXPECT_EQ(vyrtest::ReadFileBytes(dir + "/out.txt"), "first\r\ngr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\r\nlast");

    // A byte-order mark, LF and CRLF lines, an empty line and no final line end.
    WriteBytes(dir + "/in.txt", "\xEF\xBB\xBFunix\nwindows\r\n\r\ntail");
    CStdioFile in(Wide(dir + "/in.txt"), CFile::modeRead);
    CStringW line;
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ(line, L"unix");
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ(line, L"windows");
    EXPECT_EQ(in.GetPosition(), 17u);  // the read-ahead does not show
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ(line, L"");
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ(line, L"tail");
    EXPECT_FALSE(in.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());

    // Seeking back drops what was read ahead.
    in.Seek(3, CFile::begin);
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ(line, L"unix");

    // Raw reads with nothing read ahead yet (a file just opened), then after a line.
    CStdioFile raw(Wide(dir + "/in.txt"), CFile::modeRead);
    char bytes[8] = {};
    ASSERT_EQ(raw.Read(bytes, 7), 7u);
    EXPECT_EQ(std::string(bytes, 7), "\xEF\xBB\xBFunix");
    ASSERT_TRUE(raw.ReadString(line));
    EXPECT_STREQ(line, L"");  // the rest of the first line
    ASSERT_EQ(raw.Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "win");

    // Binary mode writes line ends as they are.
    {
        CStdioFile file(Wide(dir + "/bin.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        file.WriteString(L"a\nb");
    }
    EXPECT_EQ(vyrtest::ReadFileBytes(dir + "/bin.txt"), "a\nb");
}

TEST(FileTest, MemFileGrowsAttachesAndDetaches) {
    CMemFile grow(4);
    grow.Write("abcdefghij", 10);
    grow.Seek(12, CFile::begin);
    grow.Write("z", 1);  // past the end: the gap is zeroed
    EXPECT_EQ(grow.GetLength(), 13u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(grow.GetData()), 13), std::string("abcdefghij\0\0z", 13));

    // A fixed buffer holds its data and refuses to grow.
    BYTE fixed[4] = {1, 2, 3, 4};
    CMemFile file(fixed, sizeof fixed);
    EXPECT_EQ(file.GetLength(), 4u);
    BYTE back[4] = {};
    EXPECT_EQ(file.Read(back, 8), 4u);
    EXPECT_EQ(back[3], 4);
    bool refused = false;
    try {
        file.Write("x", 1);
    } catch (CMemoryException* e) {
        refused = true;
        e->Delete();
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(file.Detach(), fixed);
    EXPECT_EQ(file.GetLength(), 0u);

    // A growable attached buffer comes from malloc and comes back grown.
    BYTE* heap = static_cast<BYTE*>(std::malloc(2));
    CMemFile attached;
    attached.Attach(heap, 2, 8);
    EXPECT_EQ(attached.GetLength(), 0u);
    attached.Write("0123456789", 10);
    BYTE* grown = attached.Detach();
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(grown), 10), "0123456789");
    std::free(grown);

    CFileException error;
    EXPECT_FALSE(attached.Open(L"/anything", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::invalidFile);
}
