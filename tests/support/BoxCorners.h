// Whether a box spans exactly the corners a test expects, with every wrong coordinate reported.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vyrtest {

// True when `box` (anything whose GetMin() and GetMax() answer three floats) has the low corner
// (x0, y0, z0) and the high corner (x1, y1, z1), each coordinate equal up to float rounding.
template <class Box>
::testing::AssertionResult HasCorners(const Box& box, float x0, float y0, float z0, float x1, float y1, float z1) {
    const float expected[6] = {x0, y0, z0, x1, y1, z1};
    const float actual[6] = {box.GetMin()[0], box.GetMin()[1], box.GetMin()[2],
                             box.GetMax()[0], box.GetMax()[1], box.GetMax()[2]};
    bool same = true;
    for (int i = 0; i < 6; ++i)
        same = same && std::fabs(actual[i] - expected[i]) <= 1e-6f * std::max(1.0f, std::fabs(expected[i]));
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "corners (" << actual[0] << ", " << actual[1] << ", " << actual[2]
                                         << ") to (" << actual[3] << ", " << actual[4] << ", " << actual[5] << ")";
}

}  // namespace vyrtest
