// Resets for tests, kept out of every library's export table.
//
// A library that keeps process-wide state (a singleton's store, class statics) has a reset that
// puts it back as at load, so that tests sharing one process do not depend on each other. Such a
// reset is a member marked VYR_TEST_RESET (hidden: no other module can call it and no export table
// lists it), and the library registers it in its own source with VYR_REGISTER_TEST_RESET. A
// registration hands the reset, under its qualified name, to the program the library is loaded
// into when that program defines VyrRegisterTestReset, which only the test programs do
// (tests/support/TestResets.cpp); in any other process the weak reference below is null and
// registering does nothing. A library that unloads takes its resets back. Tests run a reset with
// VYR_RESET_FOR_TESTS(Class::Member) (tests/support/TestResets.h).
//
// Choice made here: a weak reference that the program resolves, rather than an exported entry
// point per reset, so a host sees no test entry point in any library, and the reset stays next to
// the state it puts back.
#pragma once

// Marks a reset for tests: callable inside its own library only.
#define VYR_TEST_RESET __attribute__((visibility("hidden")))

// Defined by test programs only, null elsewhere: takes `reset` under `name` (null `reset`: forgets
// the name). A reset answers false when it could not put its state back (its declaration says
// when).
extern "C" __attribute__((weak, visibility("default"))) void VyrRegisterTestReset(const char* name, bool (*reset)());

namespace vyrwin {

// Hands a reset to the test program while the library is loaded (nothing outside test programs).
class TestResetRegistration {
public:
    // Registers `reset` under `name` (a string that outlives the object).
    TestResetRegistration(const char* name, bool (*reset)()) : name_(name)
    {
        if (VyrRegisterTestReset) VyrRegisterTestReset(name_, reset);
    }
    // Takes the reset back as the library unloads.
    ~TestResetRegistration()
    {
        if (VyrRegisterTestReset) VyrRegisterTestReset(name_, nullptr);
    }
    TestResetRegistration(const TestResetRegistration&) = delete;
    TestResetRegistration& operator=(const TestResetRegistration&) = delete;

private:
    const char* name_;
};

}  // namespace vyrwin

#define VYR_TEST_RESET_JOIN2(a, b) a##b
#define VYR_TEST_RESET_JOIN(a, b) VYR_TEST_RESET_JOIN2(a, b)

// At namespace scope of the library's source: registers `Reset` (a function or capture-less lambda
// answering bool) under the name of the member `Qualified`, which must exist.
#define VYR_REGISTER_TEST_RESET(Qualified, Reset)                                                    \
    static const ::vyrwin::TestResetRegistration VYR_TEST_RESET_JOIN(gTestReset, __LINE__)(          \
        (static_cast<void>(sizeof(&Qualified)), #Qualified), Reset)
