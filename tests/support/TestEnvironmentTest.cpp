// The harness's temporary folders (TestEnvironment.cpp): every test writes inside the build, into
// a folder of its own that is gone when the test ends, and so does a program a test starts.
#include "ScopedEnv.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Set when this program runs as the child of the test below: the file its folders are listed in.
const char kReport[] = "VYR_HARNESS_REPORT";

}  // namespace

TEST(TestEnvironmentTest, EveryTestGetsAnEmptyFolderOfItsOwnInsideTheBuild)
{
    const std::string dir = Env("TMPDIR");
    ASSERT_TRUE(StartsWith(dir, VYR_TEST_TMP_DIR "/")) << dir;
    ASSERT_TRUE(Exists(dir));
    EXPECT_TRUE(Entries(dir).empty());
    // Every way of asking for the temporary folder answers it: the C library's users, gtest's own
    // captured streams and the scratch folders of the test support.
    EXPECT_EQ(Env("VYR_TEST_TMP"), dir);
    EXPECT_EQ(::testing::TempDir(), dir + "/");
    const std::string scratch = vyrtest::ScratchDir();
    EXPECT_TRUE(StartsWith(scratch, dir + "/")) << scratch;
    std::ofstream(scratch + "/file") << "scratch";
    std::ofstream(dir + "/file") << "temporary";
    // The stores no test may write, and the per-user caches, are in the build too.
    EXPECT_TRUE(StartsWith(Env("VYR_REGISTRY_FILE"), VYR_TEST_TMP_DIR "/"));
    EXPECT_TRUE(StartsWith(Env("VYR_PREFERENCES_FILE"), VYR_TEST_TMP_DIR "/"));
    EXPECT_EQ(Env("XDG_CACHE_HOME"), VYR_TEST_CACHE_DIR);

    // Run as the child of the next test: the folder of the run before is gone already.
    const std::string report = Env(kReport);
    if (report.empty()) return;
    for (const std::string& earlier : Lines(report)) EXPECT_FALSE(Exists(earlier)) << earlier;
    std::ofstream(report, std::ios::app) << dir << "\n" << scratch << "\n";
}

TEST(TestEnvironmentTest, AProgramATestStartsWritesInsideThatTestsFolderAndRemovesWhatItWrote)
{
    const std::string dir = Env("TMPDIR");
    const std::string report = dir + "/report";
    vyrtest::ScopedEnv reportEnv(kReport, report.c_str());
    // This program again, running the test above twice.
    char program[] = "/proc/self/exe";
    char filter[] = "--gtest_filter=TestEnvironmentTest.EveryTestGetsAnEmptyFolderOfItsOwnInsideTheBuild";
    char repeat[] = "--gtest_repeat=2";
    char* argv[] = {program, filter, repeat, nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program, nullptr, nullptr, argv, environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed (its output is above)";

    const std::vector<std::string> written = Lines(report);
    ASSERT_EQ(written.size(), 4u);  // two runs, each its folder and a scratch folder in it
    for (const std::string& path : written) {
        EXPECT_TRUE(StartsWith(path, dir + "/")) << path;
        EXPECT_FALSE(Exists(path)) << path;
    }
    // Nothing of the child's is left: its program folder went when it exited.
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"report"});
}
