// The preference store: values by document, group and key and by type, absent preferences that
// leave the reader's default, a file that another process sees and writes, and faulty files that
// keep the defaults, warn once and lose nothing.
#include "TestResets.h"
#include "VyrPrefManager.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t kGeneral[] = L"General";
const wchar_t kPart[] = L"Part";

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(d);
    }
    return names;
}

// The files of the folder whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& name : FilesIn(dir))
        if (name.rfind(prefix, 0) == 0) found.push_back(name);
    return found;
}

int Lines(const std::string& text) {
    int count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

ino_t Inode(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Runs the probe executable with these arguments (no shell) and answers its exit status.
int RunProbe(const std::vector<std::string>& args) {
    std::vector<std::string> all{VYR_PREF_PROBE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A preference file of its own for each test, and the manager as a fresh process has it.
class PrefManagerTest : public ::testing::Test {
protected:
    PrefManagerTest() { VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests); }
    ~PrefManagerTest() override { VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests); }

    std::string dir_ = vyrtest::ScratchDir();
    std::string file_ = dir_ + "/ZorbelanE.prf";
    vyrtest::ScopedEnv env_{"VYR_PREFERENCES_FILE", file_.c_str()};
    CVyrPrefManager* prefs_ = CVyrPrefManager::GetInstance();
};

TEST_F(PrefManagerTest, AbsentPreferencesLeaveTheDefaultAndWritersDoNothing) {
    int number = 10;
    double real = 0.05;
    bool flag = true;
    CVyrRgbColor color(0, 255, 0);
    CVyrString text(L"default");
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"PrintResolution", real));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"ShaderActive", flag));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Highlight_Color", color));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Title", text));
    EXPECT_EQ(number, 10);
    EXPECT_EQ(real, 0.05);
    EXPECT_TRUE(flag);
    EXPECT_EQ(color, CVyrRgbColor(0, 255, 0));
    EXPECT_EQ(text, L"default");
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"UcsSize"));

    // Writing an absent preference stores nothing, neither in the file nor for a document.
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"UcsSize", 3));
    EXPECT_FALSE(prefs_->SetValue(4, kPart, L"Surface_Tolerance_Data", 0.1));
    EXPECT_FALSE(prefs_->IsPresent(4, kPart, L"Surface_Tolerance_Data"));
    EXPECT_FALSE(prefs_->RemovePreference(0, kGeneral, L"UcsSize"));
    EXPECT_TRUE(FilesIn(dir_).empty());

    // Nameless preferences do not exist.
    EXPECT_FALSE(prefs_->AddPreference(0, L"", L"UcsSize", CVyrPreference(1)));
    EXPECT_FALSE(prefs_->AddPreference(0, kGeneral, L"", CVyrPreference(1)));
    EXPECT_FALSE(prefs_->AddPreference(0, kGeneral, L"Nothing", CVyrPreference()));
    EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(PrefManagerTest, EveryTypeRoundTripsThroughTheFile) {
    const CVyrString awkward(L" a=b [c] \"q\" %{41} ;x\t\u20ac\U0001F600 ");
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(2)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"PrintResolution", CVyrPreference(0.1)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"ShaderActive", CVyrPreference(true)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Highlight_Color", CVyrPreference(CVyrRgbColor(0, 255, 0))));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Title", CVyrPreference(awkward)));
    ASSERT_TRUE(prefs_->AddPreference(0, L"[odd] = group;", awkward, CVyrPreference(-7)));

    const std::string bytes = vyrtest::ReadFileBytes(file_);
    EXPECT_NE(bytes.find("UcsSize = INT 2\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Highlight_Color = COLOR 0 255 0\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("ShaderActive = BOOL true\n"), std::string::npos) << bytes;

    // As a new process reads them.
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    int number = 0;
    double real = 0;
    bool flag = false;
    CVyrRgbColor color;
    CVyrString text;
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 2);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"PrintResolution", real));
    EXPECT_EQ(real, 0.1);  // exactly the double written
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"ShaderActive", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Highlight_Color", color));
    EXPECT_EQ(color.GetColorRef(), COLORREF(0x00FF00));
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Title", text));
    EXPECT_EQ(text, awkward);
    EXPECT_TRUE(prefs_->GetValue(0, L"[odd] = group;", awkward, number));
    EXPECT_EQ(number, -7);

    // Names are compared exactly.
    EXPECT_FALSE(prefs_->IsPresent(0, L"general", L"UcsSize"));
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"ucssize"));
}

TEST_F(PrefManagerTest, ATypeIsReadAsAnotherOnlyWhereTheStoreAllowsIt) {
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Int", CVyrPreference(3)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Real", CVyrPreference(2.5)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Bool", CVyrPreference(true)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Color", CVyrPreference(CVyrRgbColor(1, 2, 3))));
    double real = -1;
    bool flag = false;
    int number = -1;
    CVyrString text(L"kept");
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Int", real));
    EXPECT_EQ(real, 3.0);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Int", flag));  // an on-off preference kept as an integer
    EXPECT_TRUE(flag);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Bool", number));
    EXPECT_EQ(number, 1);
    number = -1;
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Real", number));  // no rounding
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Color", number));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Int", text));
    EXPECT_EQ(number, -1);
    EXPECT_EQ(text, L"kept");

    // Writers keep the preference's own type.
    EXPECT_TRUE(prefs_->SetValue(0, kGeneral, L"Real", 4));
    CVyrPreference stored;
    ASSERT_TRUE(prefs_->GetPreference(0, kGeneral, L"Real", stored));
    EXPECT_EQ(stored, CVyrPreference(4.0));
    EXPECT_TRUE(prefs_->SetValue(0, kGeneral, L"Int", false));
    ASSERT_TRUE(prefs_->GetPreference(0, kGeneral, L"Int", stored));
    EXPECT_EQ(stored, CVyrPreference(0));
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"Int", 1.5));
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"Color", 7));
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"Real", std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(prefs_->AddPreference(0, kGeneral, L"Nan", CVyrPreference(std::nan(""))));
    // A literal is a text, never a boolean.
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"Bool", L"no"));
    ASSERT_TRUE(prefs_->GetValue(0, kGeneral, L"Bool", flag));
    EXPECT_TRUE(flag);
    ASSERT_TRUE(prefs_->GetPreference(0, kGeneral, L"Real", stored));
    EXPECT_EQ(stored, CVyrPreference(4.0));
}

TEST_F(PrefManagerTest, DocumentsReadTheApplicationsValuesUntilTheyHoldTheirOwn) {
    ASSERT_TRUE(prefs_->AddPreference(0, kPart, L"Surface_Tolerance_Data", CVyrPreference(0.01)));
    const std::string before = vyrtest::ReadFileBytes(file_);
    double value = 0;
    EXPECT_TRUE(prefs_->GetValue(5, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.01);

    ASSERT_TRUE(prefs_->SetValue(5, kPart, L"Surface_Tolerance_Data", 0.02));
    EXPECT_TRUE(prefs_->GetValue(5, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.02);
    EXPECT_TRUE(prefs_->GetValue(0, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.01);
    EXPECT_TRUE(prefs_->GetValue(6, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.01);
    EXPECT_EQ(vyrtest::ReadFileBytes(file_), before);  // a document's values stay out of the file

    // A negative document is the active one; none active is the application.
    EXPECT_EQ(CVyrPrefManager::GetActiveDocumentId(), 0);
    EXPECT_TRUE(prefs_->GetValue(-1, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.01);
    CVyrPrefManager::SetActiveDocumentId(5);
    EXPECT_TRUE(prefs_->GetValue(-1, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.02);
    CVyrPrefManager::SetActiveDocumentId(-3);
    EXPECT_EQ(CVyrPrefManager::GetActiveDocumentId(), 0);

    // A document's own preference, and its removal.
    ASSERT_TRUE(prefs_->AddPreference(7, kPart, L"TemplateInstantiationOnly", CVyrPreference(1)));
    EXPECT_TRUE(prefs_->IsPresent(7, kPart, L"TemplateInstantiationOnly"));
    EXPECT_FALSE(prefs_->IsPresent(0, kPart, L"TemplateInstantiationOnly"));
    EXPECT_TRUE(prefs_->RemovePreference(5, kPart, L"Surface_Tolerance_Data"));
    EXPECT_TRUE(prefs_->GetValue(5, kPart, L"Surface_Tolerance_Data", value));
    EXPECT_EQ(value, 0.01);
    EXPECT_FALSE(prefs_->RemovePreference(5, kPart, L"Surface_Tolerance_Data"));
    prefs_->RemoveDocument(7);
    EXPECT_FALSE(prefs_->IsPresent(7, kPart, L"TemplateInstantiationOnly"));
}

TEST_F(PrefManagerTest, AnotherProcessSeesTheFileAndItsWritesAreSeen) {
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(2)));
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"Select_Color", CVyrPreference(CVyrRgbColor(0, 191, 94))));
    EXPECT_EQ(RunProbe({"expect", "General", "UcsSize", "INT", "2"}), 0);
    EXPECT_EQ(RunProbe({"expect", "General", "Select_Color", "COLOR", "0,191,94"}), 0);
    EXPECT_EQ(RunProbe({"absent", "General", "Highlight_Color"}), 0);

    // The other process's writes, at once and again within the same second.
    int number = 0;
    for (int value = 3; value <= 5; ++value) {
        ASSERT_EQ(RunProbe({"set", "General", "UcsSize", "INT", std::to_string(value)}), 0);
        ASSERT_TRUE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
        EXPECT_EQ(number, value);
    }
    ASSERT_EQ(RunProbe({"add", "Part", "Curve_Tolerance_Data", "REAL", "0.125"}), 0);
    double real = 0;
    EXPECT_TRUE(prefs_->GetValue(0, kPart, L"Curve_Tolerance_Data", real));
    EXPECT_EQ(real, 0.125);
    // A probe cannot write a preference that does not exist.
    EXPECT_EQ(RunProbe({"set", "General", "Highlight_Color", "COLOR", "1,2,3"}), 2);
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"Highlight_Color"));
}

TEST_F(PrefManagerTest, ConcurrentWritersOfTwoProcessesLoseNothing) {
    std::thread other([] { EXPECT_EQ(RunProbe({"fill", "General", "Probe", "40"}), 0); });
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, CVyrString(std::to_string(i).c_str()) + L"Here", CVyrPreference(i)));
    other.join();
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    for (int i = 0; i < 40; ++i) {
        int value = -1;
        EXPECT_TRUE(prefs_->GetValue(0, kGeneral, CVyrString(std::to_string(i).c_str()) + L"Here", value));
        EXPECT_EQ(value, i);
        EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Probe" + CVyrString(std::to_string(i).c_str()), value));
        EXPECT_EQ(value, i);
    }
}

TEST_F(PrefManagerTest, AWriteHappensOnlyWhenAValueChanges) {
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(2)));
    const ino_t first = Inode(file_);
    ASSERT_NE(first, ino_t(0));
    EXPECT_TRUE(prefs_->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(2)));
    EXPECT_TRUE(prefs_->SetValue(0, kGeneral, L"UcsSize", 2));
    EXPECT_EQ(Inode(file_), first);  // an atomic write would have made a new file
    EXPECT_TRUE(prefs_->SetValue(0, kGeneral, L"UcsSize", 3));
    EXPECT_NE(Inode(file_), first);
    EXPECT_EQ(FilesIn(dir_).size(), 2u);  // the file and its writers' lock, nothing left over
}

TEST_F(PrefManagerTest, FaultyLinesKeepTheirDefaultsWithOneWarningAndAreKeptAsideOnTheNextWrite) {
    const std::string original = std::string("; written by hand\n") +
                                 "VYR-PREFERENCES 1\n"
                                 "[General]\n"
                                 "UcsSize = INT 2\n"
                                 "ShaderActive = BOOL yes\n"            // not a boolean
                                 "PrintResolution = FLOAT 2.0\n"        // unknown type
                                 "MonochromeWireframeEnable = INT 99999999999\n"
                                 "Highlight_Color = COLOR 0 300 0\n"
                                 "Select_Color = COLOR 0 191 94\n"
                                 "Title = TEXT unquoted\n" +
                                 std::string(5000, 'x') + " = INT 1\n" +  // an overlong line
                                 "\xC3\x28Key = INT 1\n"                  // not UTF-8
                                 "\x01\x02\x03\xFF\xFE binary\n"
                                 "ImageResolution = REAL 1e-3\r\n"
                                 "[Part]\n"
                                 "Max_Grid_Lines_Data = INT 64\n";
    WriteFile(file_, original);

    vyrtest::CaptureStderr();
    int number = 0;
    bool flag = true;
    double real = 0;
    CVyrRgbColor color(0, 255, 0);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 2);
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"ShaderActive", flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Highlight_Color", color));
    EXPECT_EQ(color, CVyrRgbColor(0, 255, 0));
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"PrintResolution"));
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"MonochromeWireframeEnable"));
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"Title"));
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Select_Color", color));
    EXPECT_EQ(color, CVyrRgbColor(0, 191, 94));
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"ImageResolution", real));
    EXPECT_EQ(real, 0.001);
    EXPECT_TRUE(prefs_->GetValue(0, kPart, L"Max_Grid_Lines_Data", number));
    EXPECT_EQ(number, 64);
    const std::string warnings = vyrtest::GetCapturedStderr();
    EXPECT_EQ(Lines(warnings), 1) << warnings;
    EXPECT_NE(warnings.find(file_), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("8 lines ignored"), std::string::npos) << warnings;
    // Reading wrote nothing.
    EXPECT_EQ(vyrtest::ReadFileBytes(file_), original);
    EXPECT_EQ(FilesIn(dir_).size(), 1u);

    // The first write keeps the file aside whole and carries its good values over.
    vyrtest::CaptureStderr();
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"ShaderActive", CVyrPreference(true)));
    EXPECT_EQ(Lines(vyrtest::GetCapturedStderr()), 1);
    const std::vector<std::string> aside = FilesStartingWith(dir_, "ZorbelanE.prf.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(vyrtest::ReadFileBytes(dir_ + "/" + aside[0]), original);
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    vyrtest::CaptureStderr();
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"ShaderActive", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 2);
    EXPECT_TRUE(prefs_->GetValue(0, kPart, L"Max_Grid_Lines_Data", number));
    EXPECT_EQ(number, 64);
    EXPECT_EQ(vyrtest::GetCapturedStderr(), "");  // the new file is clean
}

TEST_F(PrefManagerTest, ANumberTakesOneSignAndTwoSignsMakeAFaultyLine) {
    WriteFile(file_, "VYR-PREFERENCES 1\n"
                     "[General]\n"
                     "UcsSize = INT +-2\n"
                     "PrintResolution = REAL +-1.5\n"
                     "ImageResolution = REAL ++1.5\n"
                     "Highlight_Color = COLOR +-0 0 0\n"
                     "Max_Grid_Lines_Data = INT +7\n"
                     "Min_Grid_Lines_Data = INT -7\n"
                     "Grid_Aspect = REAL +2.5\n"
                     "Select_Color = COLOR +1 2 3\n");
    testing::internal::CaptureStderr();
    int number = 5;
    double real = 0.5;
    CVyrRgbColor color(0, 255, 0);
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 5);
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"PrintResolution", real));
    EXPECT_EQ(real, 0.5);
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"ImageResolution", real));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"Highlight_Color", color));
    EXPECT_EQ(color, CVyrRgbColor(0, 255, 0));
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Max_Grid_Lines_Data", number));
    EXPECT_EQ(number, 7);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Min_Grid_Lines_Data", number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Grid_Aspect", real));
    EXPECT_EQ(real, 2.5);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"Select_Color", color));
    EXPECT_EQ(color, CVyrRgbColor(1, 2, 3));
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(warnings), 1) << warnings;
    EXPECT_NE(warnings.find("4 lines ignored"), std::string::npos) << warnings;
}

TEST_F(PrefManagerTest, AFileThatIsNoPreferenceFileReadsEmptyAndIsKeptAsideWhenWritten) {
    std::string garbage;
    for (int i = 0; i < 3000; ++i) garbage += char((i * 131 + 7) & 0xFF);
    WriteFile(file_, garbage);
    vyrtest::CaptureStderr();
    int number = 10;
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_FALSE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 10);
    EXPECT_FALSE(prefs_->SetValue(0, kGeneral, L"UcsSize", 3));  // still absent: nothing written
    const std::string warnings = vyrtest::GetCapturedStderr();
    EXPECT_EQ(Lines(warnings), 1) << warnings;
    EXPECT_NE(warnings.find("no preference file"), std::string::npos) << warnings;
    EXPECT_EQ(vyrtest::ReadFileBytes(file_), garbage);

    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(3)));
    const std::vector<std::string> aside = FilesStartingWith(dir_, "ZorbelanE.prf.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(vyrtest::ReadFileBytes(dir_ + "/" + aside[0]), garbage);
    EXPECT_TRUE(prefs_->GetValue(0, kGeneral, L"UcsSize", number));
    EXPECT_EQ(number, 3);
}

TEST_F(PrefManagerTest, AnOversizedFileIsNotReadAndIsKeptAsideWhenWritten) {
    std::string big = "VYR-PREFERENCES 1\n[General]\nUcsSize = INT 2\n";
    big += std::string(5 << 20, ';');
    WriteFile(file_, big);
    vyrtest::CaptureStderr();
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"UcsSize"));
    EXPECT_FALSE(prefs_->IsPresent(0, kGeneral, L"UcsSize"));
    EXPECT_EQ(Lines(vyrtest::GetCapturedStderr()), 1);
    ASSERT_TRUE(prefs_->AddPreference(0, kGeneral, L"ShaderActive", CVyrPreference(false)));
    EXPECT_EQ(FilesStartingWith(dir_, "ZorbelanE.prf.corrupt-").size(), 1u);
    EXPECT_TRUE(prefs_->IsPresent(0, kGeneral, L"ShaderActive"));
}

TEST(PrefLocationTest, WithoutTheVariableTheFileLivesInTheConfigFolder) {
    const std::string home = vyrtest::ScratchDir();
    vyrtest::ScopedEnv file("VYR_PREFERENCES_FILE", nullptr);
    vyrtest::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    vyrtest::ScopedEnv homeVariable("HOME", home.c_str());
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    EXPECT_EQ(CVyrPrefManager::GetStorePath(), CVyrString((home + "/.config/vyr-display/ZorbelanE.prf").c_str()));
    ASSERT_TRUE(CVyrPrefManager::GetInstance()->AddPreference(0, kGeneral, L"UcsSize", CVyrPreference(1)));
    EXPECT_NE(vyrtest::ReadFileBytes(home + "/.config/vyr-display/ZorbelanE.prf").find("UcsSize = INT 1"),
              std::string::npos);
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
}

}  // namespace
