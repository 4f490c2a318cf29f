// Scope guard of the floating-point environment.
#include "VyrExceptionMask.h"

CVyrExceptionMask::CVyrExceptionMask()
{
    std::feholdexcept(&m_saved);
}

CVyrExceptionMask::~CVyrExceptionMask()
{
    std::fesetenv(&m_saved);
}
