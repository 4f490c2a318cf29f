// The display's setup files read as outside input, without OpenGL: "DisplayAutoSetup.dat" in the
// data folder, and the section of a card in "OpenGlSetup.dat". Good lines count; overlong lines,
// binary garbage, malformed and unknown lines are skipped with one warning line per read; a
// missing file leaves the defaults.
#include "PreferencesFixture.h"

#include "DsOpenGlSetup.h"
#include "DsPreferencesServices.h"
#include "ScratchRegistry.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace {

// Reaches the protected reader of the data file.
class AutoSetupReader : public CDsPreferencesServices {
public:
    using CDsPreferencesServices::ReadFlagsFromAutoSetupDataFile;
};

class DsSetupFilesTest : public vyrtest::PreferencesTest {
protected:
    // Writes a scratch file and opens it for reading.
    CStdioFile& Open(const std::string& bytes)
    {
        const std::string path = dir_ + "/setup.dat";
        std::ofstream(path, std::ios::binary) << bytes;
        file_.Abort();
        EXPECT_TRUE(file_.Open(CStringW(path.c_str()), CFile::modeRead | CFile::typeText));
        return file_;
    }
    // "AutoUseOpenGLDisplayList" searched in the file; -7 when not found.
    int Search(CStdioFile& file)
    {
        CVyrString name(L"AutoUseOpenGLDisplayList");
        int value = -7;
        const bool found = services_.SearchForAutoSetupFlags(&file, name, value);
        EXPECT_EQ(found, value != -7);
        return value;
    }
    // Points the registry's "DataDir" at `dir`.
    static void SetDataDir(const std::string& dir)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring value(dir.begin(), dir.end());
        ASSERT_EQ(RegSetValueExW(key, L"DataDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 DWORD((value.size() + 1) * sizeof(WCHAR))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    CStdioFile file_;
    CDsPreferencesServices services_;
};

const CVyrString kCard(L"Example Vendor Example Renderer");

TEST_F(DsSetupFilesTest, AutoSetupSearchFindsTheNameAndGoesOnFromThere)
{
    CStdioFile& file = Open("# comment\n\nOtherFlag 3\r\n  AutoUseOpenGLDisplayList\t-12 trailing words\nX 1\n"
                            "AutoUseOpenGLDisplayList +5\n");
    EXPECT_EQ(Search(file), -12);
    EXPECT_EQ(Search(file), 5);  // the next search starts after the line found
    EXPECT_EQ(Search(file), -7);
    EXPECT_TRUE(Warnings().empty());

    // No file, or a closed one: nothing found.
    CVyrString name(L"AutoUseOpenGLDisplayList");
    int value = 3;
    EXPECT_FALSE(services_.SearchForAutoSetupFlags(nullptr, name, value));
    file.Abort();
    EXPECT_FALSE(services_.SearchForAutoSetupFlags(&file, name, value));
    EXPECT_EQ(value, 3);
}

TEST_F(DsSetupFilesTest, AutoSetupSkipsFaultyLinesWithOneWarningPerSearch)
{
    const std::string longName(300, 'N');
    CStdioFile& file = Open("AutoUseOpenGLDisplayList\n"                // no integer
                            "AutoUseOpenGLDisplayList x1\n"             // no integer
                            "AutoUseOpenGLDisplayList 99999999999\n"    // out of range
                            + longName + " 4\n"                          // name too long
                            + std::string(5000, 'A') + " 1\n"            // overlong line
                            + std::string("Auto\0UseOpenGLDisplayList 2\n", 28)  // binary
                            + "AutoUseOpenGLDisplayList 6\x1b\n"     // binary, though it reads
                            + "AutoUseOpenGLDisplayList 8\n");
    EXPECT_EQ(Search(file), 8);
    const std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Display warning: DisplayAutoSetup.dat: line 1 is not a name and an integer and was skipped");
}

TEST_F(DsSetupFilesTest, AutoSetupSurvivesBinaryGarbageAndEndlessLines)
{
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_EQ(Search(Open(garbage)), -7);
    EXPECT_EQ(Warnings().size(), 1u);
    // One line of 3 MB without an end: read up to the limit, nothing found, one warning more.
    EXPECT_EQ(Search(Open(std::string(3u << 20, 'a'))), -7);
    EXPECT_EQ(Warnings().size(), 2u);
    EXPECT_EQ(Search(Open("")), -7);
    EXPECT_EQ(Warnings().size(), 2u);
}

// The read limit of a file and the line limit, each at its edge.
TEST_F(DsSetupFilesTest, LinesAtTheReadLimitAndTheLineLimit)
{
    const size_t limit = size_t(1) << 20;
    const std::string entry = "AutoUseOpenGLDisplayList 123456789\n";
    // Comment lines of 100 bytes, then padding, up to `end` bytes.
    auto padding = [](size_t end) {
        std::string text;
        while (text.size() + 100 <= end) text += "#" + std::string(98, '-') + "\n";
        if (text.size() < end) text += std::string(end - text.size() - 1, ' ') + "\n";
        return text;
    };

    // The limit cuts the line after "... 12": the cut line is skipped, not read as 12.
    const std::string cut = padding(limit - 27) + entry + "AutoUseOpenGLDisplayList 4\n";
    ASSERT_EQ(cut.substr(limit - 2, 2), "12");
    EXPECT_EQ(Search(Open(cut)), -7);
    std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("cut off"), std::string::npos) << lines[0];

    // A line that ends right at the limit is whole, and so is a file's last line without an end
    // when the file ends at the limit: both read, no warning.
    EXPECT_EQ(Search(Open(padding(limit - entry.size()) + entry + "AutoUseOpenGLDisplayList 4\n")), 123456789);
    EXPECT_EQ(Search(Open(padding(limit - entry.size() + 1) + entry.substr(0, entry.size() - 1))), 123456789);
    EXPECT_EQ(Warnings().size(), 1u);

    // A line of exactly 1,024 bytes before its CR LF is read; one byte more and it is skipped.
    const std::string name = "AutoUseOpenGLDisplayList 5";
    const std::string longest = name + std::string(1024 - name.size(), ' ');
    EXPECT_EQ(Search(Open(longest + "\r\nX 1\n")), 5);
    EXPECT_EQ(Warnings().size(), 1u);
    EXPECT_EQ(Search(Open(longest + " \r\nAutoUseOpenGLDisplayList 6\r\n")), 6);
    lines = Warnings();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Display warning: DisplayAutoSetup.dat: line 1 is longer than 1024 bytes and was skipped");
}

TEST_F(DsSetupFilesTest, TheDataFileGivesItsFlagAndAMissingOneLeavesTheDefault)
{
    vyrtest::ScratchRegistry registry;
    SetDataDir(dir_);
    AutoSetupReader reader;
    int flags = 42;
    EXPECT_FALSE(reader.ReadFlagsFromAutoSetupDataFile(&flags));  // no file: the defaults stand
    EXPECT_EQ(flags, 42);
    mkdir((dir_ + "/display").c_str(), 0755);
    std::ofstream(dir_ + "/display/DisplayAutoSetup.dat") << "AutoUseOpenGLDisplayList 0\n";
    EXPECT_TRUE(reader.ReadFlagsFromAutoSetupDataFile(&flags));
    EXPECT_EQ(flags, 0);
    EXPECT_FALSE(reader.ReadFlagsFromAutoSetupDataFile(nullptr));
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsSetupFilesTest, TheShippedExampleOfTheDataFileReadsCleanly)
{
    vyrtest::ScratchRegistry registry;  // no "DataDir": the data folder of the source tree
    AutoSetupReader reader;
    int flags = 42;
    EXPECT_TRUE(reader.ReadFlagsFromAutoSetupDataFile(&flags));
    EXPECT_EQ(flags, 1);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsSetupFilesTest, CardSectionsSkipFaultyLinesWithOneWarning)
{
    const std::string card = "Example Vendor Example Renderer";
    // Comments and other cards' sections pass silently.
    EXPECT_EQ(DsReadOpenGlSetupSection(Open("# a comment\nOther Card\nUNKNOWN\n\n" + card +
                                            "\n; a comment\nRASTER_SHIFT_X_1_COMMAND\n\nRASTER_SHIFT_X_1_COMMAND\n"),
                                       kCard),
              CDsOpenGlSetup::kRasterShiftX1);
    EXPECT_TRUE(Warnings().empty());

    // An unknown flag, an overlong line and binary data inside the section are skipped; the
    // section goes on past them and its good flag stands.
    EXPECT_EQ(DsReadOpenGlSetupSection(Open(card + "\nSOMETHING_ELSE\n" + std::string(2000, 'R') + "\n" +
                                            std::string("\x01\x02\0\xff\n", 5) + "RASTER_SHIFT_X_1_COMMAND\n"),
                                       kCard),
              CDsOpenGlSetup::kRasterShiftX1);
    std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "Display warning: OpenGlSetup.dat: line 2 of the card's section is no known flag and was skipped");

    // An overlong line that starts with the card's name is not the card's section.
    EXPECT_EQ(DsReadOpenGlSetupSection(Open(card + std::string(2000, ' ') + "\nRASTER_SHIFT_X_1_COMMAND\n"), kCard),
              0u);
    lines = Warnings();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Display warning: OpenGlSetup.dat: line 1 is longer than 1024 bytes and was skipped");

    // Garbage, a Windows line end and a byte-order mark.
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>((i * 131) % 256));
    EXPECT_EQ(DsReadOpenGlSetupSection(Open(garbage), kCard), 0u);
    EXPECT_EQ(DsReadOpenGlSetupSection(Open("\xEF\xBB\xBF" + card + "\r\nRASTER_SHIFT_X_1_COMMAND\r\n"), kCard),
              CDsOpenGlSetup::kRasterShiftX1);
}

}  // namespace
