// The test program's end of the display clock's seam (DsClock.h). Compiled into every test
// program (see cmake/VyrTesting.cmake).
#include "TestClock.h"

namespace {

bool sInstalled = false;
int64_t sReading = 0;

}  // namespace

extern "C" __attribute__((visibility("default"))) bool VyrTestClockMilliseconds(int64_t* milliseconds)
{
    if (!sInstalled || !milliseconds) return false;
    *milliseconds = sReading;
    return true;
}

namespace vyrtest {

FakeClock::FakeClock(int64_t milliseconds) : m_outerInstalled(sInstalled), m_outerReading(sReading)
{
    sInstalled = true;
    sReading = milliseconds;
}

FakeClock::~FakeClock()
{
    sInstalled = m_outerInstalled;
    sReading = m_outerReading;
}

void FakeClock::Set(int64_t milliseconds) { sReading = milliseconds; }

void FakeClock::Advance(int64_t milliseconds) { sReading += milliseconds; }

}  // namespace vyrtest
