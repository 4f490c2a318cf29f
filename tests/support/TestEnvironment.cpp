// The environment every test program runs in, however it is started (by ctest, by hand, under a
// debugger): temporary folders of the build, and stores of registry and preferences that are never
// the person's own (tests that write use scratch stores of their own). Sanitized builds also
// carry their leak suppressions and error options here, so that no run depends on variables
// ctest would have to pass; the program also hands them on through the environment to the
// programs its tests start (the demo host is no test program and knows none of them). Compiled
// into every test program (see cmake/VyrTesting.cmake).
//
// Temporary folders. The program makes one folder of its own below the build's test folder
// ("<program>-<pid>-XXXXXX"), and each test gets a fresh one inside it ("<n>-<Suite>.<Case>")
// while it runs: TMPDIR, TEST_TMPDIR (gtest's own captured streams) and VYR_TEST_TMP (the base of
// vyrtest::ScratchDir) name it, so whatever a test or the code under test writes to "the temporary
// folder" stays in the build tree. The test's folder goes, with everything in it, when the test
// ends; the program's folder when the program exits normally. A program started by a test (a
// death test's child, say) makes its folder inside that test's, so it goes with it even when the
// child ends abruptly. Only a crash or a kill leaves a folder behind; the suite's last check
// (harness.ScratchFoldersAreGone) reports it.
//
// Caches that libraries keep per user (Mesa's compiled shaders, fontconfig's) go to the build's
// test cache folder, not the person's home.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

#ifdef VYR_TEST_LSAN_SUPPRESSIONS
// The leak checker's options: the suppressions, and no record of the dynamic thread-local blocks
// of libraries loaded at run time. The runtime finds such a block's bounds by a guess about the C
// library's allocations that this C library breaks; the OpenGL driver's compiler (loaded by the
// driver) leaves such a block on the main thread, and the checker, scanning the guessed bounds at
// exit, crashed now and then. Static thread-local storage is scanned as before.
const char kLeakOptions[] = "suppressions=" VYR_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0:intercept_tls_get_addr=0";
const char kUndefinedOptions[] = "print_stacktrace=1:halt_on_error=1";

// Puts `options` before what the variable says already (the later setting of a flag wins), once:
// a test program started by a test finds them there already.
void HandOn(const char* variable, const char* options)
{
    const std::string given = std::getenv(variable) ? std::getenv(variable) : "";
    if (given.rfind(options, 0) == 0) return;
    setenv(variable, given.empty() ? options : (std::string(options) + ":" + given).c_str(), 1);
}
#endif

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "test harness: %s: %s\n", what.c_str(), std::strerror(errno));
    std::abort();
}

// A new folder "<parent>/<prefix>XXXXXX".
std::string MakeUniqueFolder(const std::string& parent, const std::string& prefix)
{
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) Fail("cannot make a temporary folder under " + parent);
    return pattern;
}

// Removes `path` and everything below it; a path that is gone already is no fault.
void RemoveTree(const std::string& path)
{
    const auto remove = [](const char* entry, const struct stat*, int, struct FTW*) {
        if (std::remove(entry) != 0 && errno != ENOENT) std::fprintf(stderr, "test harness: cannot remove %s\n", entry);
        return 0;
    };
    if (nftw(path.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS) != 0 && errno != ENOENT)
        std::fprintf(stderr, "test harness: cannot walk %s\n", path.c_str());
}

// Points every variable that names the temporary folder at `dir`.
void UseTemporaryFolder(const std::string& dir)
{
    setenv("TMPDIR", dir.c_str(), 1);
    unsetenv("TEMP");  // TEMP would come before TMPDIR in the libraries' temporary folder
    setenv("TEST_TMPDIR", dir.c_str(), 1);
    setenv("VYR_TEST_TMP", dir.c_str(), 1);
}

// A test's name as part of a file name.
std::string FolderName(const char* suite, const char* name)
{
    std::string text = std::string(suite) + "." + name;
    for (char& c : text) {
        if (c == '/') c = '_';
    }
    return text;
}

class TestEnvironment : public ::testing::EmptyTestEventListener {
public:
    TestEnvironment() : owner_(getpid())
    {
        // A program started by a test of a program of this build nests in that test's folder.
        std::string parent = VYR_TEST_TMP_DIR;
        const char* inherited = std::getenv("VYR_TEST_TMP");
        if (inherited && std::string(inherited).rfind(parent + "/", 0) == 0) {
            parent = inherited;
        } else if (mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) {
            Fail("cannot make " + parent);
        }
        programDir_ = MakeUniqueFolder(parent, std::string(program_invocation_short_name) + "-" +
                                                   std::to_string(owner_) + "-");
        UseTemporaryFolder(programDir_);
        setenv("VYR_REGISTRY_FILE", (programDir_ + "/unwritten-registry").c_str(), 1);
        setenv("VYR_PREFERENCES_FILE", (programDir_ + "/unwritten-preferences").c_str(), 1);
        setenv("XDG_CACHE_HOME", VYR_TEST_CACHE_DIR, 1);
#ifdef VYR_TEST_LSAN_SUPPRESSIONS
        HandOn("LSAN_OPTIONS", kLeakOptions);
        HandOn("UBSAN_OPTIONS", kUndefinedOptions);
#endif
        // gtest owns its listeners from here on; it is made before any test can run.
        ::testing::UnitTest::GetInstance()->listeners().Append(this);
    }

    // gtest deletes its listeners when the program exits normally. The folder goes only with the
    // process that made it: a child forked by a test that exits normally comes here too.
    ~TestEnvironment() override
    {
        if (getpid() == owner_) RemoveTree(programDir_);
    }

    void OnTestStart(const ::testing::TestInfo& test) override
    {
        testDir_ = programDir_ + "/" + std::to_string(++tests_) + "-" + FolderName(test.test_suite_name(), test.name());
        if (mkdir(testDir_.c_str(), 0755) != 0) Fail("cannot make " + testDir_);
        UseTemporaryFolder(testDir_);
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        UseTemporaryFolder(programDir_);
        RemoveTree(testDir_);
        testDir_.clear();
    }

private:
    const pid_t owner_;
    std::string programDir_;
    std::string testDir_;
    int tests_ = 0;  // numbers the test folders, so that a repeated test never meets its old name
};

// Made before main; gtest owns it from then on.
const TestEnvironment* const gTestEnvironment = new TestEnvironment;

}  // namespace

#ifdef VYR_TEST_LSAN_SUPPRESSIONS
// Read by the sanitizers' runtime (a shared library) when the program starts, so visible to it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options()
{
    return kLeakOptions;
}
extern "C" __attribute__((visibility("default"))) const char* __ubsan_default_options()
{
    return kUndefinedOptions;
}
#endif
