// CVyrOutcome: takes the outcome of a modeler call and turns a failure into the modeler's
// exception, so a sequence of calls inside one error block stops at the first failure.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaErrors.h"

// Holds the outcome of a successful modeler call; a failed one is raised instead of being held.
class VYR_MODELER_EXT_API CVyrOutcome {
public:
    // Success.
    CVyrOutcome() = default;
    // Takes `result`; when its error number is non-zero, raises it with sys_error (same number
    // and error info), so no CVyrOutcome is made.
    CVyrOutcome(const outcome& result);
    // As the constructor; on a raise the held outcome stays as it was.
    CVyrOutcome& operator=(const outcome& result);

    // The outcome held (always a success).
    const outcome& GetOutcome() const { return m_outcome; }

private:
    outcome m_outcome;
};
