// A clock of the test's own in place of the display's millisecond clock (CDsClock, DsClock.h):
//     vyrtest::FakeClock clock(1000);  // CDsClock::GetMilliseconds() answers 1000
//     clock.Advance(40);               // ... and now 1040
// The real clock answers again when the object goes; one made during another's life puts the
// other's reading back when it goes.
#pragma once

#include <cstdint>

// The test program's end of the clock seam (every test program defines it and lists it in its
// dynamic symbol table): true, with the fake reading, while a FakeClock lives.
extern "C" __attribute__((visibility("default"))) bool VyrTestClockMilliseconds(int64_t* milliseconds);

namespace vyrtest {

// Stands in for the display's clock while it lives.
class FakeClock {
public:
    // The clock reads `milliseconds` from now on.
    explicit FakeClock(int64_t milliseconds = 0);
    // The clock found at construction answers again.
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    // The clock reads `milliseconds`.
    void Set(int64_t milliseconds);
    // The clock moves on by `milliseconds`.
    void Advance(int64_t milliseconds);

private:
    bool m_outerInstalled;
    int64_t m_outerReading;
};

}  // namespace vyrtest
