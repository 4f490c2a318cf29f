// CDsClock: the display's millisecond clock, from which frame rates are measured. It is the
// system's monotonic clock (it never steps back and does not follow changes of the wall clock;
// its start is arbitrary, so only differences of its readings mean anything).
//
// Test seam: a test program may answer the clock in the library's place. It defines
// VyrTestClockMilliseconds (tests/support/TestClock.h) and lists it in its dynamic symbol table;
// the core refers to it weakly, as to the resets for tests (vyrwin_testresets.h), so in a host the
// reference is null and the real clock answers. No library defines it.
#pragma once

#include <afx.h>

#include <cstdint>

// Defined by test programs only, null elsewhere: true, with `milliseconds` set, while the test
// program's own clock stands in for the real one; false to let the real clock answer.
extern "C" __attribute__((weak, visibility("default"))) bool VyrTestClockMilliseconds(int64_t* milliseconds);

// The monotonic millisecond clock.
class AFX_EXT_CLASS CDsClock {
public:
    // Milliseconds of the monotonic clock (or of a test program's clock while it stands in).
    static int64_t GetMilliseconds();
};
