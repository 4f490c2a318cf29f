#include "ScopedEnv.h"

#include <cstdlib>

namespace vyrtest {

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    Set(value);
}

ScopedEnv::~ScopedEnv() { Set(hadOld_ ? old_.c_str() : nullptr); }

void ScopedEnv::Set(const char* value) {
    if (value)
        setenv(name_.c_str(), value, 1);
    else
        unsetenv(name_.c_str());
}

}  // namespace vyrtest
