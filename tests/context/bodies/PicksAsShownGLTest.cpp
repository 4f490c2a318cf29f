// Single picks answer what the window shows where the camera makes that hard: a body reaching
// behind a perspective eye, whose corners do not all project.
#include "DsGlContext.h"
#include "HostFixture.h"

#include <gtest/gtest.h>

using vyrtest::ViewSetup;

namespace {

class PicksAsShownGLTest : public vyrtest::HostTest {};

}  // namespace

TEST_F(PicksAsShownGLTest, ABodyReachingBehindAPerspectiveEyeIsPickedWhereTheWindowShowsIt)
{
    // A long plate under a perspective eye that looks along it: its near end lies behind the eye.
        BODY* plate = host_->ShowBlock(SPAposition(-10, -200, -1), SPAposition(10, 200, 0));
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 5)).Target(SPAposition(0, 50, 0)).Up(SPAvector(0, 0, 1))
                    .Field(40, 40).Clip(0.5, 400).Perspective(true));
    host_->Refresh();
    const vyrtest::Picture picture = host_->Front();
    // Rows below the horizon show the plate; the single pick answers it there.
    int shown = 0;
    for (int y = 60; y < kHostSize; y += 10)
        for (int x = 45; x <= 55; x += 5) {
            if (!picture.Lit(x, kHostSize - 1 - y)) continue;
            ++shown;
            EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(plate)) << x << ", " << y;
        }
    EXPECT_GT(shown, 6);
}
