#include "DsClock.h"

#include <chrono>

int64_t CDsClock::GetMilliseconds()
{
    int64_t milliseconds = 0;
    if (VyrTestClockMilliseconds && VyrTestClockMilliseconds(&milliseconds)) return milliseconds;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}
