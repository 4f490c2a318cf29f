// Running the libraries' resets for tests, which no library exports (vyrwin_testresets.h): each
// library hands its resets to the test program as it loads, and a test runs one by the member's
// qualified name, checked against the library's header when the test compiles:
//     VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
//     EXPECT_TRUE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests));
#pragma once

namespace vyrtest {

// Runs the reset registered under `name` and gives its answer; a name that no loaded library
// registered ends the program with a message (a test that cannot reset must not go on).
bool RunTestReset(const char* name);
// True while a loaded library has the reset `name` registered.
bool HasTestReset(const char* name);

}  // namespace vyrtest

// The member must exist (an unevaluated use: the program does not link to the hidden member).
#define VYR_RESET_FOR_TESTS(Qualified) (static_cast<void>(sizeof(&Qualified)), ::vyrtest::RunTestReset(#Qualified))
