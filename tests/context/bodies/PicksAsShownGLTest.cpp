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

TEST_F(PicksAsShownGLTest, ABlockCaughtOnlyBehindTheOneUnderTheCursorIsNotPicked)
{
    // Two blocks run into each other; a wide perspective view looks down at them from close by.
    // Under the cursor the window shows the first; the second's top runs on inside the first,
    // where the pick window meets it (out of sight), and its corner nearest to the pick ray lies
    // nearer to the eye, six pixels away.
    vyrtest::Host host(120, 90);
    CDsView3dCdc& view = host.View();
    view.set_perspective(true);
    view.set_eye(SPAposition(15.4797, -32.3762, 32.2358));
    view.set_target(SPAposition(15.7181, -31.6869, 31.5517));
    view.set_up(SPAvector(0.223573, 0.646594, 0.729337));
    view.set_width(19.8626);
    view.set_height(14.897);
    view.SetRenderMode(eRenderMixed);
    BODY* under = host.ShowBlock(SPAposition(-14.4584, -39.9307, 13.8574), SPAposition(6.35807, -23.6816, 39.4589));
    BODY* inside = host.ShowBlock(SPAposition(-3.8551, -32.3399, 6.25916), SPAposition(19.9024, -10.7415, 26.4672),
                                  0x00FF00);
    host.Refresh();
    ASSERT_TRUE(vyrtest::SamePicture(host.Front(), host.WholeFrame()));
    const CDsPickedItem hit = host.Pick(28, 70);
    EXPECT_EQ(hit.GetObjectPath(), host.PathOf(under));
    EXPECT_NE(hit.GetObjectPath(), host.PathOf(inside));
    // Where the second block's top shows (it stands out beyond the first), it is picked.
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(14, -20, 26.4672), x, y));
    EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(inside));
}
