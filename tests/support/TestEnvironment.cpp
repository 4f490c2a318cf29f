// The environment every test program runs in, however it is started (by ctest, by hand, under a
// debugger): a scratch folder of the build, and stores of registry and preferences that are never
// the person's own (tests that write use scratch stores of their own). Sanitized builds also
// carry their leak suppressions and error options here, so that no run depends on variables
// ctest would have to pass. Compiled into every test program (see cmake/VyrTesting.cmake).
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment()
    {
        setenv("VYR_TEST_TMP", VYR_TEST_TMP_DIR, 1);
        setenv("VYR_REGISTRY_FILE", VYR_TEST_TMP_DIR "/unwritten-registry", 1);
        setenv("VYR_PREFERENCES_FILE", VYR_TEST_TMP_DIR "/unwritten-preferences", 1);
    }
} gTestEnvironment;

}  // namespace

#ifdef VYR_TEST_LSAN_SUPPRESSIONS
// Read by the sanitizers' runtime (a shared library) when the program starts, so visible to it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options()
{
    return "suppressions=" VYR_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" __attribute__((visibility("default"))) const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
#endif
