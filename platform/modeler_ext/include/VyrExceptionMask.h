// CVyrExceptionMask: masks floating-point exceptions for the length of a scope.
//
// Construction saves the thread's floating-point environment (exception flags, trap mask,
// rounding mode), clears the flags and switches traps off, so divisions by zero, overflows and
// invalid operations inside the scope give infinities and NaNs instead of signals. Destruction
// restores the saved environment as it was: traps enabled before are enabled again, and flags
// raised inside the scope are forgotten.
#pragma once

#include "VyrModelerExtApi.h"

#include <cfenv>

// Scope guard of the floating-point environment.
class VYR_MODELER_EXT_API CVyrExceptionMask {
public:
    // Saves the environment and masks every floating-point exception.
    CVyrExceptionMask();
    // Restores the saved environment.
    ~CVyrExceptionMask();
    CVyrExceptionMask(const CVyrExceptionMask&) = delete;
    CVyrExceptionMask& operator=(const CVyrExceptionMask&) = delete;

private:
    std::fenv_t m_saved;
};
