// The C allocator's policy belongs to the program: opening the display and drawing leave a host's
// own thresholds alone, and the drawing thresholds come only when a program asks for them
// (VyrSettleAllocatorForDrawing), never over the environment's. Thresholds are process-wide and
// take hold once, so each case runs the probe (AllocatorProbe.cpp) in a fresh process.
#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct ProbeReport {
    bool ran = false;
    int settled = -1, mmapped = -1;
    size_t kept = 0;
    long faults = -1;
    std::string text;
};

// Runs the probe with `arguments` (blank-separated) in this process's environment and reads its
// report line.
ProbeReport RunProbe(const std::string& arguments)
{
    ProbeReport report;
    int out[2];
    if (pipe(out) != 0) return report;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> words{VYR_ALLOCATOR_PROBE};
    for (size_t at = 0; at < arguments.size();) {
        const size_t end = std::min(arguments.find(' ', at), arguments.size());
        if (end > at) words.push_back(arguments.substr(at, end - at));
        at = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) report.text.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return report;
    report.ran = std::sscanf(report.text.c_str(), "settled=%d kept=%zu mmapped=%d faults=%ld", &report.settled,
                             &report.kept, &report.mmapped, &report.faults) == 4;
    return report;
}

constexpr size_t kMegabyte = size_t(1) << 20;

class AllocatorGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "the sanitizer's allocator keeps no thresholds of the C library's";
#endif
    }
    // The probe must see no thresholds of this environment's own.
    vyrtest::ScopedEnv mmap_{"MALLOC_MMAP_THRESHOLD_", nullptr};
    vyrtest::ScopedEnv trim_{"MALLOC_TRIM_THRESHOLD_", nullptr};
    vyrtest::ScopedEnv tunables_{"GLIBC_TUNABLES", nullptr};
};

}  // namespace

TEST_F(AllocatorGLTest, AHostsOwnThresholdsStandAfterTheDisplayOpensAndDraws)
{
    const ProbeReport report = RunProbe("host");
    ASSERT_TRUE(report.ran) << report.text;
    EXPECT_EQ(report.settled, 0);
    // Its trim threshold of 128 KB gives the freed top of the heap back (a few hundred KB at most
    // stay), and its mmap threshold of 256 KB then maps a 16 MB block on its own.
    EXPECT_EQ(report.mmapped, 1) << report.text;
    EXPECT_LT(report.kept, kMegabyte) << report.text;
}

// The drawing thresholds a program asks for: the driver's per-frame megabytes stay in the heap, so
// a large block freed and asked for again comes back without page faults (24 MB met fresh would
// be 6,144 of them).
TEST_F(AllocatorGLTest, MemoryFreedInAFrameIsReusedWithoutFaultingItInAgain)
{
    for (const char* arguments : {"settle", "host settle"}) {
        SCOPED_TRACE(arguments);
        const ProbeReport report = RunProbe(arguments);
        ASSERT_TRUE(report.ran) << report.text;
        EXPECT_EQ(report.settled, 1);
        EXPECT_EQ(report.mmapped, 0) << report.text;
        EXPECT_GE(report.kept, 2 * kMegabyte) << report.text;
        EXPECT_LT(report.faults, 256) << report.text;
    }
}

TEST_F(AllocatorGLTest, ThresholdsTheEnvironmentSetsOutweighTheAskedForOnes)
{
    vyrtest::ScopedEnv mmap("MALLOC_MMAP_THRESHOLD_", "262144");
    vyrtest::ScopedEnv trim("MALLOC_TRIM_THRESHOLD_", "131072");
    ProbeReport report = RunProbe("settle");
    ASSERT_TRUE(report.ran) << report.text;
    EXPECT_EQ(report.settled, 0);
    EXPECT_EQ(report.mmapped, 1) << report.text;
    EXPECT_LT(report.kept, kMegabyte) << report.text;
    // Through the tunables alone as well.
    mmap.Set(nullptr);
    trim.Set(nullptr);
    vyrtest::ScopedEnv tunables("GLIBC_TUNABLES", "glibc.malloc.mmap_threshold=262144:glibc.malloc.trim_threshold=131072");
    report = RunProbe("settle");
    ASSERT_TRUE(report.ran) << report.text;
    EXPECT_EQ(report.settled, 0);
    EXPECT_EQ(report.mmapped, 1) << report.text;
    EXPECT_LT(report.kept, kMegabyte) << report.text;
}
