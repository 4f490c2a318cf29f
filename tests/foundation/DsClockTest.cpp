// The display's millisecond clock: a test's own clock stands in while it lives, and the real one
// is the monotonic clock, in milliseconds, running while the process sleeps.
#include "DsClock.h"
#include "TestClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

int64_t SteadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TEST(DsClockTest, ATestClockStandsInWhileItLives)
{
    const int64_t before = CDsClock::GetMilliseconds();
    {
        vyrtest::FakeClock clock;
        EXPECT_EQ(CDsClock::GetMilliseconds(), 0);
        clock.Advance(40);
        EXPECT_EQ(CDsClock::GetMilliseconds(), 40);
        clock.Set(1000);
        EXPECT_EQ(CDsClock::GetMilliseconds(), 1000);
        {
            vyrtest::FakeClock inner(-5);
            EXPECT_EQ(CDsClock::GetMilliseconds(), -5);
        }
        EXPECT_EQ(CDsClock::GetMilliseconds(), 1000);
    }
    // The real clock again.
    const int64_t after = CDsClock::GetMilliseconds();
    EXPECT_GE(after, before);
    EXPECT_LE(after - SteadyMilliseconds(), 0);
}

TEST(DsClockTest, TheRealClockIsMonotonicAndCountsMillisecondsWhileTheProcessSleeps)
{
    int64_t last = CDsClock::GetMilliseconds();
    for (int i = 0; i < 10000; ++i) {
        const int64_t now = CDsClock::GetMilliseconds();
        ASSERT_GE(now, last);
        last = now;
    }
    const int64_t steadyBefore = SteadyMilliseconds();
    const int64_t start = CDsClock::GetMilliseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int64_t elapsed = CDsClock::GetMilliseconds() - start;
    const int64_t steadyElapsed = SteadyMilliseconds() - steadyBefore;
    EXPECT_GE(elapsed, 29);  // whole milliseconds on either side of the sleep
    // Milliseconds, not a finer or coarser unit: within a tick of the standard steady clock.
    EXPECT_LE(elapsed, steadyElapsed + 1);
    EXPECT_LE(std::abs(start - steadyBefore), 1);
}
