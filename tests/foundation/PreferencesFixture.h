// What the tests of the display preferences share: a preference file and a warnings folder of
// their own, the display state put back afterwards (special sets of both families, the display
// manager's flags, colours and UCS size, the OpenGL setup record, the active document), and
// helpers that store preferences and count the warning lines written.
#pragma once

#include "DisplayStateGuard.h"

#include "DsGeometryComputer.h"
#include "DsManager.h"
#include "DsOpenGlSetup.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestResets.h"
#include "VyrPrefManager.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

namespace vyrtest {

class PreferencesTest : public ::testing::Test {
protected:
    PreferencesTest()
    {
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
        VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
        for (int i = 0; i < CDsManager::kFlagCount; ++i) flags_[i] = CDsManager::GetInstance()->GetFlag(i);
    }
    ~PreferencesTest() override
    {
        for (int i = 0; i < CDsManager::kFlagCount; ++i) CDsManager::GetInstance()->SetFlag(i, flags_[i]);
        CDsGeometryComputer::FlushWarnings();
        VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    }

    static CVyrPrefManager* Prefs() { return CVyrPrefManager::GetInstance(); }
    // Stores a preference of group "General" (document 0) with its value and type.
    template <class T>
    static void General(const wchar_t* key, const T& value)
    {
        ASSERT_TRUE(Prefs()->AddPreference(0, L"General", key, CVyrPreference(value))) << "cannot store the preference";
    }
    // Stores a preference of any group and document.
    template <class T>
    static void Store(int document, const wchar_t* group, const wchar_t* key, const T& value)
    {
        ASSERT_TRUE(Prefs()->AddPreference(document, group, key, CVyrPreference(value)))
            << "cannot store the preference";
    }

    // The warning lines written so far in this test.
    std::vector<std::string> Warnings() const
    {
        CDsGeometryComputer::FlushWarnings();
        std::vector<std::string> lines;
        std::ifstream in(warningsDir_ + "/DisplayDebugWarnings.txt");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The preference file's bytes and time of change, to see that nothing was written.
    struct FileState {
        std::string bytes;
        long long modified = 0;
        bool operator==(const FileState& other) const { return bytes == other.bytes && modified == other.modified; }
    };
    FileState PreferenceFile() const
    {
        struct stat info {};
        FileState state;
        if (stat(prefsFile_.c_str(), &info) == 0)
            state.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
        state.bytes = ReadFileBytes(prefsFile_);
        return state;
    }

    std::string dir_ = ScratchDir();
    std::string prefsFile_ = dir_ + "/ZorbelanE.prf";
    std::string warningsDir_ = ScratchDir();
    ScopedEnv prefsEnv_{"VYR_PREFERENCES_FILE", prefsFile_.c_str()};
    ScopedEnv tmpEnv_{"TMPDIR", warningsDir_.c_str()};
    DisplayStateGuard guard_;
    bool flags_[CDsManager::kFlagCount] = {};
};

}  // namespace vyrtest
