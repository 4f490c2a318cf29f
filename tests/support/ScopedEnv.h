// An environment variable set for one scope: tests share one process, so a variable a test sets
// must not outlive it.
#pragma once

#include <string>

namespace vyrtest {

// Sets `name` to `value` (null removes it) and puts the previous state back when it goes.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Changes the value inside the scope (null removes the variable).
    void Set(const char* value);

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace vyrtest
