// The debugging aids: the entity dump in the temporary folder (and the one rule of that folder,
// which the warnings file and the modeler extension's logs follow too), the bounds check and the
// debug values.
#include "DsDebugData.h"
#include "DsDebugger.h"
#include "DsGeometryComputer.h"
#include "DsQueryIDInt.h"
#include "DsLogFile.h"
#include "EntityDeleter.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestResets.h"
#include "VyrString.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "SpaValues.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using vyrtest::ReadFileBytes;
using vyrtest::ScopedEnv;
using vyrtest::ScratchDir;

namespace {

class DsDebuggerTest : public ::testing::Test {
protected:
    ~DsDebuggerTest() override { VYR_RESET_FOR_TESTS(CDsDebugger::ResetForTests); }

    std::string temp_ = ScratchDir();
    std::string tmpdir_ = ScratchDir();
    ScopedEnv tempEnv_{"TEMP", temp_.c_str()};
    ScopedEnv tmpdirEnv_{"TMPDIR", tmpdir_.c_str()};
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST_F(DsDebuggerTest, EveryTemporaryFileFollowsTemThenTmpdirThenSlashTmp)
{
    WCHAR buffer[512];
    const DWORD length = GetTempPathW(512, buffer);
    EXPECT_EQ(std::wstring(buffer, length), std::wstring(temp_.begin(), temp_.end()) + L"/");
    EXPECT_EQ(CDsDebugger::GetFilePath(), temp_ + "/DisplayDebugData.txt");
    EXPECT_EQ(CDsGeometryComputer::GetWarningsFilePath(), temp_ + "/DisplayDebugWarnings.txt");
    EXPECT_EQ(CDsLogFile("display.log").GetPath(), temp_ + "/display.log");

    tempEnv_.Set(nullptr);
    EXPECT_EQ(CDsDebugger::GetFilePath(), tmpdir_ + "/DisplayDebugData.txt");
    EXPECT_EQ(CDsGeometryComputer::GetWarningsFilePath(), tmpdir_ + "/DisplayDebugWarnings.txt");
    EXPECT_EQ(CDsLogFile("display.log").GetPath(), tmpdir_ + "/display.log");

    // Neither set, or set to a relative folder: /tmp, never the current folder.
    tmpdirEnv_.Set(nullptr);
    EXPECT_EQ(CDsDebugger::GetFilePath(), "/tmp/DisplayDebugData.txt");
    EXPECT_EQ(CDsGeometryComputer::GetWarningsFilePath(), "/tmp/DisplayDebugWarnings.txt");
    EXPECT_EQ(CDsLogFile("display.log").GetPath(), "/tmp/display.log");
    tempEnv_.Set("relative");
    EXPECT_EQ(CDsDebugger::GetFilePath(), "/tmp/DisplayDebugData.txt");

    // A buffer too small is left alone and told the size it needs.
    tempEnv_.Set(temp_.c_str());
    WCHAR small[4] = {L'x', 0, 0, 0};
    EXPECT_EQ(GetTempPathW(4, small), DWORD(temp_.size() + 2));
    EXPECT_EQ(small[0], L'x');
}

TEST_F(DsDebuggerTest, TheDumpListsTypeAddressAndIdOfTheFacesOfABody)
{
    tempEnv_.Set(nullptr);  // the dump goes to TMPDIR then
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 2, 3));
    ASSERT_NE(block, nullptr);
    CDsDebugger::WriteFacesData(block.get());
    CDsDebugger::WriteSeperator();
    CDsDebugger::WriteData(nullptr);  // writes nothing
    CDsDebugger::WriteEdgesData(block.get());
    ASSERT_TRUE(CDsDebugger::IsFileOpen());
    vyrtest::CaptureStderr();
    CDsDebugger::DisplayFileInNotePad();
    const std::string said = vyrtest::GetCapturedStderr();
    EXPECT_FALSE(CDsDebugger::IsFileOpen());
    EXPECT_NE(said.find(tmpdir_ + "/DisplayDebugData.txt"), std::string::npos) << said;

    const auto lines = Lines(ReadFileBytes(tmpdir_ + "/DisplayDebugData.txt"));
    ASSERT_EQ(lines.size(), 2u);
    // Six faces of three fields each, on one line, then the separator, then twelve edges.
    ENTITY_LIST faces;
    get_faces(block.get(), faces);
    faces.init();
    std::string expected;
    while (ENTITY* face = faces.next()) {
        char address[32];
        std::snprintf(address, sizeof address, "%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(face)));
        const int pid = CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(face);
        expected += std::string("face\t\t") + address + "\t\t" + std::to_string(pid) + "\t\t";
    }
    EXPECT_EQ(lines[0].substr(0, lines[0].find('_')), expected);
    EXPECT_EQ(lines[0].substr(expected.size()), std::string(48, '_'));
    size_t edges = 0;
    for (size_t at = 0; (at = lines[1].find("edge\t\t", at)) != std::string::npos; ++at) ++edges;
    EXPECT_EQ(edges, 12u);
}

TEST_F(DsDebuggerTest, AFreshDumpTruncatesTheOldOne)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CDsDebugger::WriteSeperator();
    CDsDebugger::WriteSeperator();
    CDsDebugger::CloseFile();
    CDsDebugger::WriteSeperator();
    CDsDebugger::CloseFile();
    EXPECT_EQ(ReadFileBytes(temp_ + "/DisplayDebugData.txt"), std::string(48, '_') + "\n");
    // Nothing was open: nothing is said.
    vyrtest::CaptureStderr();
    CDsDebugger::DisplayFileInNotePad();
    EXPECT_EQ(vyrtest::GetCapturedStderr(), "");
}

TEST_F(DsDebuggerTest, ADumpThatCannotBeOpenedWritesNothingAndFailsNothing)
{
    tempEnv_.Set((temp_ + "/missing/folder").c_str());
    CDsDebugger::WriteSeperator();
    EXPECT_FALSE(CDsDebugger::IsFileOpen());
}

TEST(DsDebuggerBounds, ZeroIsInBoundsButTinyAndHugeValuesAreNot)
{
    EXPECT_TRUE(CDsDebugger::IsInBounds(0.0, 1.0, 5.0));
    EXPECT_FALSE(CDsDebugger::IsInBounds(0.5, 1.0, 5.0));
    EXPECT_TRUE(CDsDebugger::IsInBounds(-5.0, 1.0, 5.0));
    EXPECT_FALSE(CDsDebugger::IsInBounds(5.1, 1.0, 5.0));
    EXPECT_TRUE(CDsDebugger::IsInBounds(SPAposition(0, 1, -5), 1.0, 5.0));
    EXPECT_FALSE(CDsDebugger::IsInBounds(SPAposition(0, 1, 0.5), 1.0, 5.0));
}

TEST(DsDebugDataTest, ThreeFloatsAndThreeBooleansAnyOtherIndexIsIgnored)
{
    for (int i = 0; i < 3; ++i) {
        CDsDebugData::StSetBoolean(i, true);
        EXPECT_TRUE(CDsDebugData::StGetBoolean(i));
        CDsDebugData::StSetBoolean(i, false);
        EXPECT_FALSE(CDsDebugData::StGetBoolean(i));
    }
    CDsDebugData::StSetBoolean(3, true);
    EXPECT_FALSE(CDsDebugData::StGetBoolean(3));
    EXPECT_FALSE(CDsDebugData::StGetBoolean(-1));
    CDsDebugData::StSetFloat(3, 2.0f);
    EXPECT_EQ(CDsDebugData::StGetFloat(3), 0.0f);
    const float kept = CDsDebugData::StGetFloat(2);
    CDsDebugData::StSetFloat(2, 1.5f);
    EXPECT_EQ(CDsDebugData::StGetFloat(2), 1.5f);
    CDsDebugData::StSetFloat(2, kept);
}
