// CVyrOutcome.
#include "VyrOutcome.h"

namespace {

// Raises `result` when it failed.
void RaiseIfFailed(const outcome& result) {
    if (result.error_number() != 0) sys_error(result.error_number(), result.get_error_info());
}

}  // namespace

CVyrOutcome::CVyrOutcome(const outcome& result) {
    RaiseIfFailed(result);
    m_outcome = result;
}

CVyrOutcome& CVyrOutcome::operator=(const outcome& result) {
    RaiseIfFailed(result);
    m_outcome = result;
    return *this;
}
