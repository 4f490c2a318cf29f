// The core's view without OpenGL: the current and previous views, the flags and settings and
// where each is kept, render modes and refreshes, plotting, the background, text, the camera
// operations, the frustum box and the display suspension of the current view's context.
#include "DsBox.h"
#include "DsColorStorage.h"
#include "DsGlScene.h"
#include "DsRectangle.h"
#include "DsView3dCdc.h"
#include "GmTransformation.h"
#include "VyrNotifyFunctionality.h"

#include "ViewSetup.h"
#include "ViewStaticsGuard.h"
#include "ViewTestDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <type_traits>
#include <vector>

using vyrtest::CountingContext;
using vyrtest::InstallRecordingDriver;
using vyrtest::RecordingDriver;
using vyrtest::ViewSetup;

namespace {

class DsView3dCdcTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

void ExpectAt(const SPAposition& actual, const SPAposition& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}

// A box of half size `half` around (x, y, z).
CDsBox BoxAround(double x, double y, double z, double half)
{
    const float lo[3] = {float(x - half), float(y - half), float(z - half)};
    const float hi[3] = {float(x + half), float(y + half), float(z + half)};
    return CDsBox(lo, hi);
}

// Receives a context's notifications.
struct Notes : CVyrNotifyReceiver {
    void OnNotification(CVyrNotifyFunctionality&, int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

}  // namespace

TEST_F(DsView3dCdcTest, TheNewestViewIsCurrentAndAGoneViewLeavesNoReferenceBehind)
{
    auto first = std::make_unique<CDsView3dCdc>();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), first.get());
    auto second = std::make_unique<CDsView3dCdc>();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), second.get());

    CDsView3dCdc::StSetPreviousActiveView(first.get());
    EXPECT_EQ(CDsView3dCdc::StGetPreviousActiveView(), first.get());
    view3d plain;
    CDsView3dCdc::StSetPreviousActiveView(&plain);  // not a core view
    EXPECT_EQ(CDsView3dCdc::StGetPreviousActiveView(), nullptr);
    CDsView3dCdc::StSetPreviousActiveView(first.get());

    // Only the references that name the view that goes are cleared.
    CDsGlContext::sCurrentView = second.get();
    second.reset();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), nullptr);
    EXPECT_EQ(CDsGlContext::sCurrentView, nullptr);
    EXPECT_EQ(CDsView3dCdc::StGetPreviousActiveView(), first.get());
    CDsView3dCdc::StSetCurrent(first.get(), false);
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), first.get());
    first.reset();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), nullptr);
    EXPECT_EQ(CDsView3dCdc::StGetPreviousActiveView(), nullptr);
}

TEST_F(DsView3dCdcTest, AViewCannotBeCopiedSoNothingItOwnsIsFreedTwice)
{
    // A copy would share the frustum box, the off-screen buffer and the OpenGL record.
    static_assert(!std::is_copy_constructible<CDsView3dCdc>::value, "a view must not be copied");
    static_assert(!std::is_copy_assignable<CDsView3dCdc>::value, "a view must not be assigned");
    static_assert(!std::is_copy_constructible<CDsView3dCdcBase>::value, "a view must not be copied");
    CDsView3dCdc view;
    EXPECT_TRUE(view.GetFrustrumBox().IsNotComputed());
}

TEST_F(DsView3dCdcTest, CoreViewsAreToldFromPlainModelerViews)
{
    const std::unique_ptr<view3d> core = std::make_unique<CDsView3dCdc>();
    const std::unique_ptr<view3d> plain = std::make_unique<view3d>();
    EXPECT_NE(dynamic_cast<CDsView3dCdc*>(core.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CDsView3dCdc*>(plain.get()), nullptr);
}

TEST_F(DsView3dCdcTest, AViewMadeWhereAGoneOneLivedHasItsOwnViewport)
{
    // Two views in turn in the same storage, as the allocator may well place them.
    alignas(CDsView3dCdc) unsigned char storage[sizeof(CDsView3dCdc)];
    const int min[2] = {150, 150}, max[2] = {160, 160};
    auto* small = new (storage) CDsView3dCdc;
    small->set_viewport(0, 0, 100, 100);
    EXPECT_FALSE(CDsRectangle(min, max).IsInView(small, false));
    small->~CDsView3dCdc();
    auto* large = new (storage) CDsView3dCdc;
    large->set_viewport(0, 0, 400, 400);
    EXPECT_TRUE(CDsRectangle(min, max).IsInView(large, false));
    large->~CDsView3dCdc();
}

TEST_F(DsView3dCdcTest, ViewFlagsStopAtSixteenAndFlagTwoIsTheProcessWideExtremaMode)
{
    CDsView3dCdc view, other;
    EXPECT_EQ(view.GetDrawPhase(), eDsDrawPhasePlot);
    EXPECT_EQ(view.GetRenderMode(), eRenderShade);
    for (int f = 0; f < 17; ++f) EXPECT_FALSE(view.GetFlag(EDsViewFlag(f))) << f;

    view.SetFlag(eDsViewFlagFastRefresh, true);
    view.SetFlag(EDsViewFlag(16), true);
    EXPECT_TRUE(view.GetFlag(eDsViewFlagFastRefresh));
    EXPECT_TRUE(view.GetFlag(EDsViewFlag(16)));
    EXPECT_FALSE(other.GetFlag(eDsViewFlagFastRefresh));  // per view
    view.SetFlag(EDsViewFlag(17), true);
    EXPECT_FALSE(view.GetFlag(EDsViewFlag(17)));
    view.SetFlag(EDsViewFlag(-1), true);
    EXPECT_FALSE(view.GetFlag(EDsViewFlag(-1)));

    view.SetFlag(eDsViewFlagExtrema, true);
    EXPECT_TRUE(StGetExtremaMode());
    EXPECT_TRUE(other.GetFlag(eDsViewFlagExtrema));  // one flag for the process
    StSetExtremaMode(false);
    EXPECT_FALSE(view.GetFlag(eDsViewFlagExtrema));

    // A view made during a measurement leaves the measurement's flag alone.
    StSetExtremaMode(true);
    CDsView3dCdc during;
    EXPECT_TRUE(StGetExtremaMode());
    during.SetFlag(eDsViewFlagExtrema, false);
    EXPECT_FALSE(StGetExtremaMode());
}

TEST_F(DsView3dCdcTest, RenderModesSetTheDrawingSwitchesAndRefreshTheView)
{
    CountingContext context;
    CDsView3dCdc view;
    RecordingDriver* driver = InstallRecordingDriver(view);
    view.SetGlContext(&context);
    struct Switches {
        bool shaded, edges, hidden, fourth;
    };
    const struct {
        ERenderMode mode;
        Switches on;
    } table[] = {{eRenderWireframe, {false, true, false, false}},
                 {eRenderHiddenLines, {false, true, true, false}},
                 {eRenderPartialHiddenLines, {false, true, false, false}},
                 {eRenderShade, {true, false, false, false}},
                 {eRenderMixed, {true, false, false, false}}};
    int refreshes = 0;
    for (const auto& row : table) {
        view.set_drawing_switch(view_switch_fourth, true);
        context.GetScene()->SetRenderModeValid(true);
        view.SetRenderMode(row.mode);
        EXPECT_EQ(view.GetRenderMode(), row.mode);
        EXPECT_EQ(view.get_drawing_switch(view_switch_shaded), row.on.shaded) << row.mode;
        EXPECT_EQ(view.get_drawing_switch(view_switch_edges), row.on.edges) << row.mode;
        EXPECT_EQ(view.get_drawing_switch(view_switch_hidden_lines), row.on.hidden) << row.mode;
        EXPECT_EQ(view.get_drawing_switch(view_switch_fourth), row.on.fourth) << row.mode;
        EXPECT_FALSE(context.GetScene()->IsRenderModeValid()) << row.mode;
        EXPECT_EQ(context.Refreshes(&view), ++refreshes);
    }
    // An unknown mode is kept but leaves the switches as they are.
    view.SetRenderMode(eRenderHiddenLines);
    view.SetRenderMode(ERenderMode(9));
    EXPECT_EQ(view.GetRenderMode(), ERenderMode(9));
    EXPECT_TRUE(view.get_drawing_switch(view_switch_hidden_lines));
    EXPECT_TRUE(view.get_drawing_switch(view_switch_edges));
    refreshes += 2;
    EXPECT_EQ(context.Refreshes(&view), refreshes);

    // Refresh(mode) draws only a view in that mode.
    view.SetRenderMode(eRenderMixed);
    ++refreshes;
    view.Refresh(eRenderShade);
    EXPECT_EQ(context.Refreshes(&view), refreshes);
    view.Refresh(eRenderMixed);
    EXPECT_EQ(context.Refreshes(&view), refreshes + 1);
    EXPECT_EQ(driver->givenBack, driver->handedOut);  // every device context went back

    // The current view's mode through the statics; 0 without a current view.
    CDsView3dCdc::StSetCurrent(&view, false);
    CDsView3dCdc::StSetRenderMode(eRenderWireframe);
    EXPECT_EQ(view.GetRenderMode(), eRenderWireframe);
    EXPECT_EQ(CDsView3dCdc::StGetRenderMode(), eRenderWireframe);
    CDsView3dCdc::StSetCurrent(nullptr, false);
    CDsView3dCdc::StSetRenderMode(eRenderShade);
    EXPECT_EQ(CDsView3dCdc::StGetRenderMode(), eRenderWireframe);
    EXPECT_EQ(view.GetRenderMode(), eRenderWireframe);
}

TEST_F(DsView3dCdcTest, ARefreshNeedsADriverWithAViewportAndADeviceContext)
{
    CountingContext context;
    CDsView3dCdc view;
    view.SetGlContext(&context);
    view.refresh();  // the view's own driver: no window, no device context
    EXPECT_EQ(context.Refreshes(&view), 0);

    RecordingDriver* none = InstallRecordingDriver(view, nullptr);
    view.refresh();  // a driver without a device context
    EXPECT_EQ(context.Refreshes(&view), 0);
    EXPECT_EQ(none->handedOut, 1);

    RecordingDriver* driver = InstallRecordingDriver(view);
    driver->clear_viewport();
    view.refresh();  // a driver whose viewport is not set
    EXPECT_EQ(context.Refreshes(&view), 0);
    EXPECT_EQ(driver->handedOut, 0);

    driver->set_viewport(0, 0, 50, 50);
    view.refresh();
    EXPECT_EQ(context.Refreshes(&view), 1);
    EXPECT_EQ(driver->handedOut, 1);
    EXPECT_EQ(driver->givenBack, 1);
}

TEST_F(DsView3dCdcTest, DocumentFlagsAndTheSilhouetteLevelAreTheContexts)
{
    CDsView3dCdc alone;
    alone.SetDocumentFlag(EDsDocumentFlag(3), true);
    EXPECT_FALSE(alone.GetDocumentFlag(EDsDocumentFlag(3)));
    alone.SetSilhouetteLevel(eDsSilhouetteAll);
    EXPECT_EQ(alone.GetSilhouetteLevel(), eDsSilhouetteNone);
    alone.SetMaxDiagonalSizeForFastRefresh(40.0f);
    EXPECT_EQ(alone.GetMaxDiagonalSizeForFastRefresh(), 0.0f);

    CountingContext context;
    CDsView3dCdc a, b;
    InstallRecordingDriver(a);
    InstallRecordingDriver(b);
    a.SetGlContext(&context);
    b.SetGlContext(&context);
    context.rendering_context::add_view(&a);  // membership only: these views draw nothing
    context.rendering_context::add_view(&b);
    for (int f : {5, 7, 25}) EXPECT_TRUE(a.GetDocumentFlag(EDsDocumentFlag(f))) << f;
    a.SetDocumentFlag(EDsDocumentFlag(3), true);
    EXPECT_TRUE(b.GetDocumentFlag(EDsDocumentFlag(3)));  // one store, the context's
    a.SetDocumentFlag(EDsDocumentFlag(27), true);
    EXPECT_FALSE(a.GetDocumentFlag(EDsDocumentFlag(27)));

    EXPECT_EQ(a.GetSilhouetteLevel(), eDsSilhouetteCylinders);
    a.SetRenderMode(eRenderWireframe);
    b.SetRenderMode(eRenderShade);
    context.refreshes.clear();
    context.GetScene()->SetPicturePropsValid(true);
    a.SetSilhouetteLevel(eDsSilhouetteAll);
    EXPECT_EQ(b.GetSilhouetteLevel(), eDsSilhouetteAll);
    EXPECT_FALSE(context.GetScene()->IsPicturePropsValid());
    EXPECT_EQ(context.Refreshes(&a), 1);  // the wireframe views are drawn again
    EXPECT_EQ(context.Refreshes(&b), 0);
    EXPECT_FALSE(context.GetDisplaySuspensionMode());

    b.SetMaxDiagonalSizeForFastRefresh(40.0f);
    EXPECT_EQ(a.GetMaxDiagonalSizeForFastRefresh(), 40.0f);
    b.SetMaxDiagonalSizeForFastRefresh(-3.0f);
    EXPECT_EQ(a.GetMaxDiagonalSizeForFastRefresh(), 0.0f);
    context.rendering_context::remove_view(&a);
    context.rendering_context::remove_view(&b);
}

TEST_F(DsView3dCdcTest, TheCurrentViewsContextCarriesTheDisplaySuspension)
{
    EXPECT_FALSE(CDsView3dCdc::StGetDisplaySuspensionMode());
    CDsView3dCdc::StSuspendDisplay();  // no current view: nothing
    CDsView3dCdc::StResumeDisplay();
    CDsView3dCdc::StRefreshAllViews();
    EXPECT_EQ(CDsView3dCdc::StGetCurrentGlContext(), nullptr);

    CountingContext context;
    CDsView3dCdc view;
    InstallRecordingDriver(view);
    view.SetGlContext(&context);
    context.rendering_context::add_view(&view);
    EXPECT_EQ(CDsView3dCdc::StGetCurrentGlContext(), &context);

    CDsView3dCdc::StSuspendDisplay();
    CDsView3dCdc::StSuspendDisplay();
    CDsView3dCdc::StResumeDisplay();
    EXPECT_TRUE(CDsView3dCdc::StGetDisplaySuspensionMode());
    context.RefreshViews(eRenderShade);  // suspended: no view is drawn
    EXPECT_EQ(context.Refreshes(&view), 0);
    CDsView3dCdc::StResumeDisplay();
    EXPECT_FALSE(CDsView3dCdc::StGetDisplaySuspensionMode());
    CDsView3dCdc::StResumeDisplay();  // below 0 stays 0
    EXPECT_EQ(context.GetScene()->GetDisplaySuspension(), 0);
    CDsView3dCdc::StSuspendDisplay();
    EXPECT_EQ(context.GetScene()->GetDisplaySuspension(), 1);

    context.PushDisplaySuspension();
    context.PushDisplaySuspension();
    EXPECT_EQ(context.ResetDisplaySuspension(), 3);
    EXPECT_EQ(context.GetScene()->GetDisplaySuspension(), 0);
    context.PushDisplaySuspension();
    view.ResetDisplaySuspension();
    EXPECT_FALSE(context.GetDisplaySuspensionMode());

    context.RefreshViews(eRenderShade);
    EXPECT_EQ(context.Refreshes(&view), 1);
    CDsView3dCdc::StRefreshAllViews();
    EXPECT_EQ(context.Refreshes(&view), 2);
    context.rendering_context::remove_view(&view);
}

TEST_F(DsView3dCdcTest, RefreshingAContextsViewsLeavesTheCurrentViewAsItWas)
{
    CountingContext context;
    CDsView3dCdc first, second, mixed;
    for (CDsView3dCdc* view : {&first, &second, &mixed}) {
        InstallRecordingDriver(*view);
        view->SetGlContext(&context);
        context.rendering_context::add_view(view);
    }
    mixed.SetRenderMode(eRenderMixed);
    context.order.clear();
    CDsView3dCdc::StSetCurrent(&first, false);
    context.moveCurrentTo = &second;  // each refresh leaves another view current
    context.RefreshViews(eRenderShade);
    EXPECT_EQ(context.order, (std::vector<view3d*>{&first, &second}));
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), &first);

    // Document flag 1 redraws the shaded views, then the mixed ones.
    context.order.clear();
    context.moveCurrentTo = nullptr;
    context.Set(EDsDocumentFlag(1), true);
    EXPECT_EQ(context.order, (std::vector<view3d*>{&first, &second, &mixed}));
    for (CDsView3dCdc* view : {&first, &second, &mixed}) context.rendering_context::remove_view(view);
}

TEST_F(DsView3dCdcTest, PlottingSavesAndRestoresTheScaleAndViewport)
{
    EXPECT_FALSE(CDsView3dCdc::StCheckIfPlotIsActive());
    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    EXPECT_TRUE(CDsView3dCdc::StCheckIfPlotIsActive());
    EXPECT_EQ(CDsView3dCdc::StGetPlotMode(), ePlotModePenWidths);
    CDsView3dCdc::StResetPlotMode();
    EXPECT_EQ(CDsView3dCdc::StGetPlotMode(), ePlotModeNone);

    CDsView3dCdc view;
    view.set_viewport(10, 20, 300, 200);
    view.set_image_scale(1.5);
    view.SaveParametersBeforePlot();
    EXPECT_EQ(CDsView3dCdc::sPlotWidth, 300);
    EXPECT_EQ(CDsView3dCdc::sPlotScale, 1.5);
    view.set_viewport(0, 0, 3000, 2000);
    view.set_image_scale(10.0);
    view.RestoreParametersAfterPlot();
    int x = 0, y = 0, w = 0, h = 0;
    view.get_viewport(x, y, w, h);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(view.get_image_scale(), 1.5);

    EXPECT_TRUE(CDsView3dCdc::StGetDisplayCurvesMode());
    EXPECT_TRUE(CDsView3dCdc::StSetDisplayCurvesMode(false));
    EXPECT_FALSE(CDsView3dCdc::StSetDisplayCurvesMode(false));
    EXPECT_FALSE(CDsView3dCdc::StGetDisplayCurvesMode());
    EXPECT_FALSE(CDsView3dCdc::StGetPictureExistance());
    EXPECT_FALSE(CDsView3dCdc::StUnused());
}

TEST_F(DsView3dCdcTest, InPlotModeThePenColourGoesToTheDriver)
{
    CDsView3dCdc view;
    RecordingDriver* driver = InstallRecordingDriver(view);
    driver->set_foreground_rgb(rgb_color(0, 0, 0));
    view.set_foreground_rgb(CDsColorStorage(255, 0, 0));  // outside plot mode: OpenGL's colour
    EXPECT_EQ(driver->foreground, rgb_color(0, 0, 0));
    CDsView3dCdc::StSetPlotMode(ePlotModeColors);
    view.set_foreground_rgb(CDsColorStorage(255, 51, 0));
    EXPECT_EQ(driver->foreground, rgb_color(1.0, 0.2, 0.0));
    delete view.set_driver_context(nullptr);
    view.set_foreground_rgb(CDsColorStorage(0, 0, 255));  // no driver: nothing
}

TEST_F(DsView3dCdcTest, TheBackgroundIsWhiteOnlyWhereAnImageOrPrintAsksForIt)
{
    CDsView3dCdc view;
    view.set_background_rgb(rgb_color(0.0, 0.0, 0.5));
    CDsManager* manager = CDsManager::GetInstance();
    for (int f = 6; f <= 8; ++f) manager->SetFlag(f, false);
    rgb_color colour;
    const struct {
        int viewFlag, managerFlag;
        bool white;
    } cases[] = {{8, 6, true}, {8, 8, true}, {9, 7, true}, {8, 7, false}, {9, 6, false}, {9, 8, false}, {3, 6, false}};
    for (const auto& c : cases) {
        view.SetFlag(EDsViewFlag(c.viewFlag), true);
        manager->SetFlag(c.managerFlag, true);
        EXPECT_EQ(view.ForceWhiteBackgroundRequired(), c.white) << c.viewFlag << " " << c.managerFlag;
        view.GetBackgroundColor(colour);
        EXPECT_EQ(colour, c.white ? rgb_color(1, 1, 1) : rgb_color(0, 0, 0.5));
        view.SetFlag(EDsViewFlag(c.viewFlag), false);
        manager->SetFlag(c.managerFlag, false);
    }
    EXPECT_FALSE(view.ForceWhiteBackgroundRequired());
}

TEST_F(DsView3dCdcTest, ATextAtAModelPointGoesToTheDriver)
{
    CDsView3dCdc view;
    EXPECT_EQ(view.draw_text_3d(SPAposition(1, 2, 3), "no device context"), 0);
    RecordingDriver* driver = InstallRecordingDriver(view);
    EXPECT_EQ(view.draw_text_3d(SPAposition(1, 2, 3), "label"), 7);
    EXPECT_EQ(view.draw_text_3d(SPAposition(1, 2, 3), nullptr), 0);
    ASSERT_EQ(driver->texts.size(), 1u);
    EXPECT_EQ(driver->texts[0], "label");
    ExpectAt(driver->positions[0], SPAposition(1, 2, 3));
}

TEST_F(DsView3dCdcTest, TransformingTheViewMovesTheWholeCameraAndRefreshesWhenAsked)
{
    CountingContext context;
    CDsView3dCdc view;
    InstallRecordingDriver(view);
    view.SetGlContext(&context);
    ViewSetup().Eye(SPAposition(0, 0, 50)).ApplyTo(view);
    // A quarter turn about x: +z goes to -y, +y to +z.
    const CGmTransformation turn(rotate_transf(M_PI / 2, SPAvector(1, 0, 0)));
    view.TransformView(turn, 0);
    ExpectAt(view.get_eye(), SPAposition(0, -50, 0));
    ExpectAt(view.get_target(), SPAposition(0, 0, 0));
    EXPECT_NEAR(view.get_up().z(), 1.0, 1e-9);
    EXPECT_EQ(context.Refreshes(&view), 0);
    view.TransformView(CGmTransformation(translate_transf(SPAvector(1, 2, 3))), 1);
    ExpectAt(view.get_eye(), SPAposition(1, -48, 3));
    ExpectAt(view.get_target(), SPAposition(1, 2, 3));
    EXPECT_NEAR(view.get_up().z(), 1.0, 1e-9);  // a move leaves the up vector
    EXPECT_EQ(context.Refreshes(&view), 1);
}

TEST_F(DsView3dCdcTest, TheFrustumBoxHoldsWhatAParallelViewShows)
{
    CDsView3dCdc view;
    // 200 x 100 pixels over 10 x 5 units, from z = 50 looking down -z, clipped from 10 to 90.
    ViewSetup().Clip(10.0, 90.0).ApplyTo(view);
    CDsBox atTarget = BoxAround(0, 0, 0, 1);
    EXPECT_FALSE(view.IsOutOfFrustrum(atTarget));  // nothing computed yet: nothing is out
    view.ComputeFrustrumBox(nullptr, nullptr);
    EXPECT_FALSE(view.IsOutOfFrustrum(atTarget));
    CDsBox corner = BoxAround(4.8, 2.3, 0, 0.1);
    EXPECT_FALSE(view.IsOutOfFrustrum(corner));
    CDsBox beside = BoxAround(6.0, 0, 0, 0.5);
    EXPECT_TRUE(view.IsOutOfFrustrum(beside));
    CDsBox above = BoxAround(0, 3.0, 0, 0.4);
    EXPECT_TRUE(view.IsOutOfFrustrum(above));
    CDsBox tooNear = BoxAround(0, 0, 45, 1);  // 5 from the eye, nearer than 10
    EXPECT_TRUE(view.IsOutOfFrustrum(tooNear));
    CDsBox tooFar = BoxAround(0, 0, -45, 1);  // 95 from the eye, beyond 90
    EXPECT_TRUE(view.IsOutOfFrustrum(tooFar));
    CDsBox reaching = BoxAround(0, 0, -40, 1);
    EXPECT_FALSE(view.IsOutOfFrustrum(reaching));

    // Narrowed to the right half of the viewport: the left half is out.
    const CRect right(100, 0, 200, 100);
    view.ComputeFrustrumBox(&view, &right);
    CDsBox left = BoxAround(-2.5, 0, 0, 0.5);
    EXPECT_TRUE(view.IsOutOfFrustrum(left));
    CDsBox inRight = BoxAround(2.5, 0, 0, 0.5);
    EXPECT_FALSE(view.IsOutOfFrustrum(inRight));

    // The view moved and turned: the box follows the camera.
    ViewSetup().Eye(SPAposition(100, 0, 0)).Target(SPAposition(100, 0, -50)).Up(SPAvector(1, 0, 0)).Clip(10, 90)
        .ApplyTo(view);
    view.ComputeFrustrumBox(nullptr, nullptr);
    CDsBox movedTarget = BoxAround(100, 0, -50, 1);
    EXPECT_FALSE(view.IsOutOfFrustrum(movedTarget));
    EXPECT_TRUE(view.IsOutOfFrustrum(atTarget));
}

TEST_F(DsView3dCdcTest, APerspectiveFrustumBoxReachesTheEdgesOfItsFarEnd)
{
    CDsView3dCdc view;
    // 10 x 5 units at the target, 50 from the eye; the far plane at 150 shows 30 x 15 units.
    ViewSetup().Clip(1.0, 150.0).Perspective(true).ApplyTo(view);
    view.ComputeFrustrumBox(nullptr, nullptr);
    // Near the far plane and near the picture's right edge: in sight, so not out.
    const SPAposition farRight(13.5, 0, -95);
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(farRight, x, y));
    EXPECT_LT(x, 200.0f);
    CDsBox seen = BoxAround(13.5, 0, -95, 0.2);
    EXPECT_FALSE(view.IsOutOfFrustrum(seen));
    CDsBox behindEye = BoxAround(0, 0, 60, 1);
    EXPECT_TRUE(view.IsOutOfFrustrum(behindEye));
}

TEST_F(DsView3dCdcTest, ZoomingMagnifiesAndLowersTheMeasuringFlags)
{
    CountingContext context;
    CDsView3dCdc view;
    InstallRecordingDriver(view);
    view.SetGlContext(&context);
    ViewSetup().ApplyTo(view);
    view.ZoomAll(2.0f);
    EXPECT_NEAR(view.get_width(), 5.0, 1e-9);
    EXPECT_NEAR(view.get_height(), 2.5, 1e-9);
    EXPECT_FALSE(StGetExtremaMode());
    EXPECT_FALSE(view.GetFlag(eDsViewFlagReportExtents));
    EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, nullptr);
    ExpectAt(view.get_target(), SPAposition(0, 0, 0));  // nothing shown: nothing to fit to

    view.ZoomAll(0.0f);  // no magnification: the camera stays
    view.ZoomAll(std::nanf(""));
    EXPECT_NEAR(view.get_width(), 5.0, 1e-9);

    CDsView3dCdc alone;  // without a context only the magnification
    ViewSetup().ApplyTo(alone);
    alone.ZoomAll(4.0f);
    EXPECT_NEAR(alone.get_width(), 2.5, 1e-9);
    EXPECT_FALSE(StGetExtremaMode());
}

TEST_F(DsView3dCdcTest, ResizingKeepsTheScaleAndFittingLowersFlagTwo)
{
    CDsView3dCdc view;
    ViewSetup().Clip(10.0, 90.0).ApplyTo(view);
    view.resize(400, 100);
    EXPECT_NEAR(view.get_units_per_pixel(), 0.05, 1e-12);
    EXPECT_NEAR(view.get_width(), 20.0, 1e-9);
    EXPECT_FALSE(StGetExtremaMode());
    view.AdjustDistance(false);  // nothing measured: the clipping planes stay
    EXPECT_EQ(view.get_hither(), 10.0);
    EXPECT_EQ(view.get_yon(), 90.0);
    EXPECT_FALSE(view.GetFlag(eDsViewFlagExtrema));
}

TEST_F(DsView3dCdcTest, APickedItemsRectangleLeavesTheOutputsWhenNothingWasMeasured)
{
    CountingContext context;
    CDsView3dCdc view;
    view.SetGlContext(&context);
    double x0 = 1, x1 = 2, y0 = 3, y1 = 4;
    view.GetBoundingRect(nullptr, x0, x1, y0, y1, false);
    EXPECT_EQ(x0, 1);
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(y0, 3);
    EXPECT_EQ(y1, 4);
}

TEST_F(DsView3dCdcTest, ActivationMarksTheSceneAndDeactivationTellsTheHost)
{
    CDsView3dCdc alone;
    alone.Activate();  // no context: nothing
    alone.DeActivate();

    CountingContext context;
    Notes notes;
    context.Subscribe(&notes);
    CDsView3dCdc view;
    view.SetGlContext(&context);
    EXPECT_EQ(CDsGlContext::GetGlContextNotificationPointer(&context), &context);
    EXPECT_EQ(CDsGlContext::GetGlContextNotificationPointer(nullptr), nullptr);
    view.Activate();
    EXPECT_TRUE(context.Get(EDsDocumentFlag(19)));
    view.DeActivate();
    EXPECT_EQ(notes.codes, std::vector<int>{CVyrNotification::eViewDeActivated});
    context.Unsubscribe(&notes);
}

TEST_F(DsView3dCdcTest, ThePickApertureIsTheCurrentViews)
{
    int w = -1, h = -1;
    CDsView3dCdc::StGetPickApperture(w, h);  // no current view: untouched
    EXPECT_EQ(w, -1);
    CDsView3dCdc view;
    view.pick_mode(1, 40, 30, 7, 9);
    CDsView3dCdc::StGetPickApperture(w, h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
    view.pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsView3dCdcTest, AContextThatGoesLeavesNoViewPointingAtIt)
{
    CDsView3dCdc told, added;
    {
        CountingContext context;
        told.SetGlContext(&context);  // told of the context without being added to it
        context.add_view(&added);     // no device context: a record without an OpenGL context
        EXPECT_EQ(added.GetGlContext(), &context);
        EXPECT_NE(added.get_rendering_context_data(), nullptr);
    }
    EXPECT_EQ(told.GetGlContext(), nullptr);
    EXPECT_EQ(added.GetGlContext(), nullptr);
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), &added);  // no context: no switch, no crash
    added.SetDocumentFlag(EDsDocumentFlag(3), true);
    EXPECT_FALSE(added.GetDocumentFlag(EDsDocumentFlag(3)));
}
