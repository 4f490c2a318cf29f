// The pick-mode statics of the modeler-based picks: beginning and ending a view's pick mode around
// events, and suspending it around projections that must not count as picking.
#include "DsAcisPick.h"
#include "DsGeometryComputer.h"

#include "GmPosition.h"
#include "UiPickEvent.h"
#include "ViewSetup.h"
#include "pick_event.h"
#include "view3d.h"

#include <gtest/gtest.h>

namespace {

class DsAcisPickTest : public ::testing::Test {
protected:
    void SetUp() override { vyrtest::ViewSetup().Pixels(200, 100).ApplyTo(view_); }
    void TearDown() override
    {
        // Put the statics back as at load.
        CDsAcisPick::sInPickMode = 0;
        CDsAcisPick::sPickModeEvent = CUiPickEvent();
        CDsAcisPick::sPickMode = CDsAcisPick::sCX = CDsAcisPick::sCY = CDsAcisPick::sDX = CDsAcisPick::sDY = 0;
    }
    struct Region {
        int mode, cx, cy, w, h;
    };
    Region RegionOf(const view3d& view) const
    {
        Region r{view.get_pick_mode(), 0, 0, 0, 0};
        view.get_pick_aperture(r.cx, r.cy, r.w, r.h);
        return r;
    }

    view3d view_;
};

}  // namespace

TEST_F(DsAcisPickTest, BeginAndEndPutTheViewsPickModeBack)
{
    view_.pick_mode(2, 10, 20, 7, 9);
    const CUiPickEvent event(40, 30, 0, &view_, nullptr);
    CDsAcisPickData data;
    CDsAcisPick::StBeginPickMode(event, data);
    EXPECT_EQ(CDsAcisPick::sInPickMode, 1);
    EXPECT_EQ(CDsAcisPick::StInPickMode(event), 1);
    EXPECT_EQ(CDsAcisPick::StInPickMode(CUiPickEvent(41, 30, 0, &view_, nullptr)), 0);
    int w = 0, h = 0;
    get_pick_aperture(w, h);
    const Region during = RegionOf(view_);
    EXPECT_EQ(during.mode, 1);
    EXPECT_EQ(during.cx, 40);
    EXPECT_EQ(during.cy, 30);
    EXPECT_EQ(during.w, w);
    EXPECT_EQ(during.h, h);
    EXPECT_EQ(data.m_pickMode, 2);
    EXPECT_EQ(data.m_cx, 10);

    CDsAcisPick::StEndPickMode(event, data);
    EXPECT_EQ(CDsAcisPick::sInPickMode, 0);
    EXPECT_EQ(CDsAcisPick::StInPickMode(event), 0);
    const Region after = RegionOf(view_);
    EXPECT_EQ(after.mode, 2);
    EXPECT_EQ(after.cx, 10);
    EXPECT_EQ(after.cy, 20);
    EXPECT_EQ(after.w, 7);
    EXPECT_EQ(after.h, 9);

    // Two events: the midpoint and the distances; the data is not filled, so ending with it leaves
    // pick mode.
    CDsAcisPickData fresh;
    CDsAcisPick::StBeginPickMode(CUiPickEvent(10, 60, 0, &view_, nullptr), CUiPickEvent(31, 20, 0, &view_, nullptr),
                                 fresh);
    const Region region = RegionOf(view_);
    EXPECT_EQ(region.cx, 20);
    EXPECT_EQ(region.cy, 40);
    EXPECT_EQ(region.w, 21);
    EXPECT_EQ(region.h, 40);
    CDsAcisPick::StEndPickMode(event, fresh);
    EXPECT_EQ(view_.get_pick_mode(), 0);

    // Without a view nothing happens.
    CDsAcisPick::StBeginPickMode(CUiPickEvent(1, 1, 0, nullptr, nullptr), data);
    EXPECT_EQ(CDsAcisPick::sInPickMode, 0);
}

TEST_F(DsAcisPickTest, ASuspensionTakesTheViewOutOfPickModeAndTheResumePutsItBack)
{
    view_.pick_mode(3, 50, 60, 5, 7);
    CDsAcisPick::StSuspendPickMode(&view_);
    EXPECT_EQ(view_.get_pick_mode(), 0);
    EXPECT_EQ(CDsAcisPick::sPickMode, 1);
    EXPECT_EQ(CDsAcisPick::sCX, 50);
    EXPECT_EQ(CDsAcisPick::sDY, 7);

    // A projection meanwhile (the view is not picking) leaves what the suspension saved alone.
    float x = 0.0f, y = 0.0f;
    EXPECT_TRUE(CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(0, 0, 0), &view_, x, y, nullptr,
                                                                        true));
    EXPECT_EQ(CDsAcisPick::sPickMode, 1);

    CDsAcisPick::StResumePickMode(&view_);
    const Region back = RegionOf(view_);
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.cx, 50);
    EXPECT_EQ(back.cy, 60);
    EXPECT_EQ(back.w, 5);
    EXPECT_EQ(back.h, 7);

    // A view that is not picking: nothing saved, nothing resumed.
    view_.pick_mode(0, 0, 0, 0, 0);
    CDsAcisPick::StSuspendPickMode(&view_);
    EXPECT_EQ(CDsAcisPick::sPickMode, 0);
    CDsAcisPick::StResumePickMode(&view_);
    EXPECT_EQ(view_.get_pick_mode(), 0);
    CDsAcisPick::StSuspendPickMode(nullptr);
    EXPECT_EQ(CDsAcisPick::sPickMode, 0);
}

TEST_F(DsAcisPickTest, AProjectionOfAPickingViewLeavesItsPickRegionAsItWas)
{
    view_.pick_mode(1, 80, 30, 5, 5);
    float x = 0.0f, y = 0.0f;
    ASSERT_TRUE(CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(0, 0, 0), &view_, x, y, nullptr,
                                                                        true));
    // The target projects to the middle of the 200 x 100 viewport.
    EXPECT_NEAR(x, 100, 1);
    EXPECT_NEAR(y, 50, 1);
    const Region after = RegionOf(view_);
    EXPECT_EQ(after.mode, 1);
    EXPECT_EQ(after.cx, 80);
    EXPECT_EQ(after.cy, 30);
    EXPECT_EQ(after.w, 5);
}
