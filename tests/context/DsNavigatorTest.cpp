// The view services: the navigator (with the device context it hands out and takes back), the
// interactive tools' queries of the current view, and the scope savers that put a view's flag or
// viewport back.
#include "DsItInterface.h"
#include "DsNavigator.h"
#include "DsViewFlagSaver.h"

#include "DsDriverCdcBase.h"
#include "DsView3dCdc.h"

#include "MemoryCanvas.h"
#include "ViewSetup.h"
#include "ViewStaticsGuard.h"
#include "ViewTestDoubles.h"

#include "pick_event.h"

#include <gtest/gtest.h>

using vyrtest::ViewSetup;

namespace {

class DsNavigatorTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

void ExpectViewport(const view3d& view, int x, int y, int w, int h)
{
    int vx = -1, vy = -1, vw = -1, vh = -1;
    view.get_viewport(vx, vy, vw, vh);
    EXPECT_EQ(vx, x);
    EXPECT_EQ(vy, y);
    EXPECT_EQ(vw, w);
    EXPECT_EQ(vh, h);
}

}  // namespace

TEST_F(DsNavigatorTest, OneNavigatorFindsTheCurrentViewAndTheContextsOfViews)
{
    CDsNavigator* navigator = CDsNavigator::StGetInstance();
    ASSERT_NE(navigator, nullptr);
    EXPECT_EQ(CDsNavigator::StGetInstance(), navigator);
    EXPECT_EQ(navigator->GetCurrentView(), nullptr);
    EXPECT_EQ(navigator->GetGlContext(nullptr), nullptr);  // no current view

    CDsGlContext context;
    CDsView3dCdc view, other;
    view.SetGlContext(&context);
    EXPECT_EQ(navigator->GetCurrentView(), &other);  // the newest
    EXPECT_EQ(navigator->GetGlContext(nullptr), nullptr);
    EXPECT_EQ(navigator->GetGlContext(&view), &context);
    CDsView3dCdc::StSetCurrent(&view, false);
    EXPECT_EQ(navigator->GetGlContext(nullptr), &context);

    view3d plain;
    EXPECT_EQ(navigator->GetGlContext(pick_event(1, 2, &view)), &context);
    EXPECT_EQ(navigator->GetGlContext(pick_event(1, 2, &other)), nullptr);
    EXPECT_EQ(navigator->GetGlContext(pick_event(1, 2, &plain)), nullptr);
    EXPECT_EQ(navigator->GetGlContext(pick_event()), nullptr);
}

TEST_F(DsNavigatorTest, TheNavigatorHandsOutAViewsDeviceContextAndTakesItBack)
{
    CDsNavigator* navigator = CDsNavigator::StGetInstance();
    vyrtest::MemoryCanvas canvas(200, 100);
    CDsView3dCdc view;
    view.set_viewport(10, 5, 180, 90);
    auto* driver = dynamic_cast<CDsDriverCdcBase*>(view.get_driver_context());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(navigator->GetDc(&view), nullptr);  // no window and no device context given

    view.SetDC(&canvas.cdc);
    CDC* dc = navigator->GetDc(&view);
    ASSERT_EQ(dc, &canvas.cdc);
    EXPECT_EQ(navigator->GetDc(&view), dc);
    EXPECT_EQ(driver->GetDCUseCount(), 2);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_ANISOTROPIC);  // mapped onto the viewport while held
    navigator->ReleaseDc(&view, dc);
    navigator->ReleaseDc(&view, dc);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);  // handed back with the mapping it came with

    // No view, or a view whose driver is not a device-context driver: nothing.
    EXPECT_EQ(navigator->GetDc(nullptr), nullptr);
    navigator->ReleaseDc(nullptr, dc);
    vyrtest::InstallRecordingDriver(view);
    EXPECT_EQ(navigator->GetDc(&view), nullptr);
    navigator->ReleaseDc(&view, dc);
}

TEST_F(DsNavigatorTest, ToolsReadTheCurrentViewsScaleTranslationAndRotation)
{
    double t[3] = {7, 7, 7}, r[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_EQ(CDsItInterface::StGetViewScale(), 0.0);  // no current view
    CDsItInterface::StGetViewTranslation(t);
    CDsItInterface::StGetViewRotation(r);
    EXPECT_EQ(t[0], 7);
    EXPECT_EQ(r[4], 7);

    CDsView3dCdc view;
    // 200 x 100 pixels at (30, 40) over 10 x 5 units, looking at (1, 2, 0) down -z.
    ViewSetup().Eye(SPAposition(1, 2, 50)).Target(SPAposition(1, 2, 0)).ApplyTo(view);
    view.set_viewport(30, 40, 200, 100);
    EXPECT_NEAR(CDsItInterface::StGetViewScale(), 20.0, 1e-9);
    CDsItInterface::StGetViewTranslation(t);
    // The model origin lies 1 unit left and 2 down from the target: in window pixels (y up)
    // 20 and 40 pixels from the viewport's centre (130, 90).
    EXPECT_NEAR(t[0], 130.0 - 20.0, 1e-4);
    EXPECT_NEAR(t[1], 90.0 - 40.0, 1e-4);
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(SPAposition(0, 0, 0), x, y));
    EXPECT_NEAR(t[0], 30 + x, 1e-3);
    EXPECT_NEAR(t[1], 40 + (100 - y), 1e-3);  // drawable y counts down
    CDsItInterface::StGetViewRotation(r);
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r[i], identity[i], 1e-9) << i;

    // Looking down -x with +z up: model x runs towards the viewer, y to the right, z up.
    ViewSetup().Eye(SPAposition(50, 0, 0)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1)).ApplyTo(view);
    CDsItInterface::StGetViewRotation(r);
    const double turned[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0};  // rows: images of x, y, z
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r[i], turned[i], 1e-9) << i;
    CDsItInterface::StGetViewTranslation(nullptr);
    CDsItInterface::StGetViewRotation(nullptr);

    view.set_viewport(0, 0, 0, 0);  // no scale
    EXPECT_EQ(CDsItInterface::StGetViewScale(), 0.0);
}

TEST_F(DsNavigatorTest, FlagSaversPutTheFlagBackAsTheyFoundIt)
{
    CDsView3dCdc view;
    view.SetFlag(eDsViewFlagSectionPass, true);
    {
        CDsViewFlagSaver saver(&view, eDsViewFlagSectionPass, false);
        EXPECT_FALSE(view.GetFlag(eDsViewFlagSectionPass));
    }
    EXPECT_TRUE(view.GetFlag(eDsViewFlagSectionPass));
    {
        CDsContinuousRefreshSaver saver(&view, true);
        EXPECT_TRUE(view.GetFlag(eDsViewFlagFastRefresh));
        {
            CDsContinuousRefreshSaver inner(&view, false);
            EXPECT_FALSE(view.GetFlag(eDsViewFlagFastRefresh));
        }
        EXPECT_TRUE(view.GetFlag(eDsViewFlagFastRefresh));
    }
    EXPECT_FALSE(view.GetFlag(eDsViewFlagFastRefresh));
    {
        CDsViewFlagSaver measuring(&view, eDsViewFlagExtrema, true);  // flag 2: the extrema mode
        EXPECT_TRUE(StGetExtremaMode());
    }
    EXPECT_FALSE(StGetExtremaMode());
    { CDsViewFlagSaver nothing(nullptr, eDsViewFlagFastRefresh, true); }
}

TEST_F(DsNavigatorTest, SizeSaversPutTheViewportBackAndNeedAViewAndARectangle)
{
    CDsView3dCdc view;
    view.set_viewport(5, 6, 200, 100);
    const CRect plot(0, 0, 2000, 1000);
    {
        CDsViewSizeSaver saver(&view, &plot);
        ExpectViewport(view, 0, 0, 2000, 1000);
    }
    ExpectViewport(view, 5, 6, 200, 100);
    {
        CDsViewSizeSaver noRect(&view, nullptr);
        view.set_viewport(1, 1, 10, 10);
    }
    ExpectViewport(view, 1, 1, 10, 10);  // a saver without a rectangle puts nothing back
    { CDsViewSizeSaver noView(nullptr, &plot); }
}
