// Puts back the process-wide display state that line attributes keep: the special line-attribute
// sets and switches, the plot mode and the plot palette.
#pragma once

#include "DsLineAttribStorage.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"

namespace vyrtest {

class DisplayStateGuard {
public:
    DisplayStateGuard() = default;
    ~DisplayStateGuard()
    {
        CDsLineAttribStorage::ResetForTests();
        CDsView3dCdc::StResetPlotMode();
        CDsPlotPallete::StDeletePlotPallete();
    }
    DisplayStateGuard(const DisplayStateGuard&) = delete;
    DisplayStateGuard& operator=(const DisplayStateGuard&) = delete;
};

}  // namespace vyrtest
