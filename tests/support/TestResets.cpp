// The test program's end of the libraries' resets for tests (vyrwin_testresets.h): the table the
// libraries register their resets in as they load. Compiled into every test program (see
// cmake/VyrTesting.cmake), whose dynamic symbol table lists VyrRegisterTestReset so that the
// libraries' weak references find it.
#include "TestResets.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

// Made at the first registration, while the libraries load, before this program's own statics;
// never destroyed, so that a library unloading at exit can still take its resets back.
std::map<std::string, bool (*)()>& Resets()
{
    static auto* const resets = new std::map<std::string, bool (*)()>;
    return *resets;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void VyrRegisterTestReset(const char* name, bool (*reset)())
{
    if (reset)
        Resets()[name] = reset;
    else
        Resets().erase(name);
}

namespace vyrtest {

bool RunTestReset(const char* name)
{
    const auto found = Resets().find(name);
    if (found == Resets().end()) {
        std::fprintf(stderr, "test harness: no loaded library registered the reset %s\n", name);
        std::abort();
    }
    return found->second();
}

bool HasTestReset(const char* name) { return Resets().count(name) != 0; }

}  // namespace vyrtest
