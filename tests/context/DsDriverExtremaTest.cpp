// The extrema driver and the box projection of the geometry computer, without OpenGL: screen
// extents of measured points, fitting the clipping planes to their depth, and the measuring view.
#include "DsBox.h"
#include "DsDriverExtrema.h"
#include "DsGeometryComputer.h"
#include "DsItemPolyline3D.h"
#include "DsManager.h"
#include "view3d.h"

#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A 200 x 100 view looking down -z at `target` from 50 above it, 0.05 model units per pixel.
void SetUpTopView(view3d& view, const SPAposition& target = SPAposition(0, 0, 0), bool perspective = false)
{
    vyrtest::ViewSetup().Eye(target + SPAvector(0.0, 0.0, 50.0)).Target(target).Perspective(perspective).ApplyTo(view);
}

// Draws model points straight into the driver.
void Measure(CDsDriverExtrema& driver, std::initializer_list<SPAposition> points)
{
    for (const SPAposition& p : points) driver.DrawPoint2d(p);
}

// Clears display-manager flag 2 whatever the test does.
struct WideDepthFlagGuard {
    ~WideDepthFlagGuard() { CDsManager::GetInstance()->SetFlag(2, false); }
};

struct BoxProjection {
    float first = -7, third = -7, second = -7, fourth = -7, height = -7, width = -7;
    bool Run(view3d* view, const CGmPosition& a, const CGmPosition& b)
    {
        return CDsGeometryComputer::GetInstance()->GetBoxProjectionDimensionsAndOffset(view, a, b, first, third, second,
                                                                                      fourth, height, width);
    }
};

} // namespace

TEST(DsDriverExtremaTest, BoxProjectionGivesModelSizeAndPixelOffsetsFromTheTarget)
{
    view3d view;
    SetUpTopView(view, SPAposition(1.0, 1.0, 0.0));
    BoxProjection box;
    ASSERT_TRUE(box.Run(&view, CGmPosition(-1.0, -0.5, -2.0), CGmPosition(3.0, 2.0, 1.0)));
    // Pixels from the target (1, 1): x from -2 to 2 model units, y from -1.5 to 1.
    EXPECT_NEAR(box.first, -40.0f, 1e-3f);
    EXPECT_NEAR(box.second, 40.0f, 1e-3f);
    EXPECT_NEAR(box.third, -30.0f, 1e-3f);
    EXPECT_NEAR(box.fourth, 20.0f, 1e-3f);
    EXPECT_NEAR(box.width, 4.0f, 1e-5f);
    EXPECT_NEAR(box.height, 2.5f, 1e-5f);

    // The corners may come in any order; depth does not count. The extrema mode is lowered after.
    StSetExtremaMode(true);
    BoxProjection swapped;
    ASSERT_TRUE(swapped.Run(&view, CGmPosition(3.0, -0.5, 7.0), CGmPosition(-1.0, 2.0, -9.0)));
    EXPECT_NEAR(swapped.width, 4.0f, 1e-5f);
    EXPECT_NEAR(swapped.height, 2.5f, 1e-5f);
    EXPECT_NEAR(swapped.first, -40.0f, 1e-3f);
    EXPECT_FALSE(StGetExtremaMode());
}

TEST(DsDriverExtremaTest, BoxProjectionFollowsTheViewOrientation)
{
    // Looking along -x with z up: the picture's x is the model's y, its y the model's z.
    view3d view;
    view.set_viewport(0, 0, 200, 100);
    view.set_eye(SPAposition(50.0, 0.0, 0.0));
    view.set_target(SPAposition(0.0, 0.0, 0.0));
    view.set_up(SPAvector(0.0, 0.0, 1.0));
    view.set_width(10.0);
    view.set_height(5.0);
    BoxProjection box;
    ASSERT_TRUE(box.Run(&view, CGmPosition(-1.0, -0.5, -2.0), CGmPosition(3.0, 2.0, 1.0)));
    EXPECT_NEAR(box.width, 2.5f, 1e-5f);
    EXPECT_NEAR(box.height, 3.0f, 1e-5f);
    EXPECT_NEAR(box.first, -10.0f, 1e-3f);
    EXPECT_NEAR(box.third, -40.0f, 1e-3f);
}

TEST(DsDriverExtremaTest, BoxProjectionWithoutAViewOrAProjectablePointAnswersNothing)
{
    BoxProjection box;
    EXPECT_FALSE(box.Run(nullptr, CGmPosition(0, 0, 0), CGmPosition(1, 1, 1)));
    EXPECT_EQ(box.first, -7.0f);
    EXPECT_EQ(box.width, -7.0f);
    EXPECT_EQ(box.height, -7.0f);

    view3d view;
    SetUpTopView(view);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(box.Run(&view, CGmPosition(nan, 0, 0), CGmPosition(0, nan, 0)));
    EXPECT_EQ(box.second, -7.0f);
    EXPECT_FALSE(StGetExtremaMode());

    // A view without a viewport has no pixels: the extent is measured but has no screen size.
    view3d empty;
    empty.set_viewport(0, 0, 0, 0);
    ASSERT_TRUE(box.Run(&empty, CGmPosition(0, 0, 0), CGmPosition(1, 1, 1)));
    EXPECT_EQ(box.width, 0.0f);
    EXPECT_EQ(box.height, 0.0f);
}

TEST(DsDriverExtremaTest, ExtremaAreScaledToPixelsAndClearable)
{
    view3d view;
    SetUpTopView(view);
    CDsDriverExtrema driver(&view);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    EXPECT_FALSE(driver.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_EQ(driver.MinDistance(), 0.0);

    Measure(driver, {SPAposition(0, 0, 0), SPAposition(3, 4, 0)});
    ASSERT_TRUE(driver.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_NEAR(x0, 0.0, 1e-9);
    EXPECT_NEAR(x1, 60.0, 1e-4);
    EXPECT_NEAR(y1, 80.0, 1e-4);
    EXPECT_NEAR(driver.MinDistance(), 50.0, 1e-4);

    // Every measured model point widens the model box.
    const CDsBox& box = driver.GetModelBox();
    ASSERT_FALSE(box.IsNotComputed());
    EXPECT_FLOAT_EQ(box.GetMax()[0], 3.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[1], 4.0f);

    driver.ClearExtrema();
    EXPECT_FALSE(driver.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_DOUBLE_EQ(x0, 1e30 / 0.05);
    EXPECT_DOUBLE_EQ(y1, -1e30 / 0.05);
}

TEST(DsDriverExtremaTest, ViewportCoordinatesCountFromTheLowerLeftCorner)
{
    view3d view;
    SetUpTopView(view);
    CDsDriverExtrema driver(&view);
    Measure(driver, {SPAposition(1.0, 0.5, 0.0), SPAposition(-1.0, -1.0, 0.0)});
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    ASSERT_TRUE(driver.GetExtremaInViewportCoordinates(x0, x1, y0, y1, false));
    // The target is the viewport's centre (100, 50).
    EXPECT_NEAR(x0, 80.0, 1e-3);
    EXPECT_NEAR(x1, 120.0, 1e-3);
    EXPECT_NEAR(y0, 30.0, 1e-3);
    EXPECT_NEAR(y1, 60.0, 1e-3);
}

TEST(DsDriverExtremaTest, LinesInWindowPixelsKeepTheirPixelsInANarrowViewFarFromTheOrigin)
{
    // Half a unit across a hundred pixels, a million units out, looking askew: a float projection
    // of the target would place it pixels away.
    const SPAposition target(1000109.213, 999952.8074, 1000109.633);
    view3d view;
    for (const bool perspective : {false, true}) {
        vyrtest::ViewSetup()
            .Pixels(100, 100)
            .Eye(target + SPAvector(0.4256, -0.5657, 0.7071) * 128.0)
            .Target(target)
            .Up(SPAvector(-0.4243, 0.5657, 0.7071))
            .Field(0.5326, 0.5326)
            .Perspective(perspective)
            .ApplyTo(view);
        CDsDriverExtrema driver(&view);
        const float drawable[6] = {55.47f, 17.56f, 29.16f, 64.82f, 34.65f, 49.41f};  // y down
        driver.draw_polyline_2d(3, drawable, 0);
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        ASSERT_TRUE(driver.GetExtremaInViewportCoordinates(x0, x1, y0, y1, false));
        EXPECT_NEAR(x0, 29.16, 1e-2) << perspective;
        EXPECT_NEAR(x1, 55.47, 1e-2) << perspective;
        EXPECT_NEAR(y0, 100 - 64.82, 1e-2) << perspective;
        EXPECT_NEAR(y1, 100 - 17.56, 1e-2) << perspective;
    }
}

TEST(DsDriverExtremaTest, DriverLivesInItsMeasuringViewAndLeavesTheBaseViewAlone)
{
    view3d view;
    SetUpTopView(view);
    view.SetFlag(eDsViewFlagAdjustBoundaries, true);
    driver_context* baseDriver = view.get_driver_context();
    {
        CDsDriverExtrema driver(&view);
        CDsViewExtrema* ext = driver.GetExtView();
        ASSERT_NE(ext, nullptr);
        EXPECT_EQ(ext->GetBaseView(), &view);
        EXPECT_EQ(ext->get_extrema_driver(), &driver);
        EXPECT_TRUE(ext->GetAdjustBounderiesMode());
        EXPECT_FALSE(ext->GetAutoHideMode());

        // Drawing through the measuring view applies its model transform.
        ext->SetModelTransform(translate_transf(SPAvector(10.0, 0.0, 0.0)));
        ext->draw_point_3d(SPAposition(0.0, 0.0, 0.0));
        EXPECT_EQ(ext->ClearModelTransform(), 1);
        double x0, x1, y0, y1, z0, z1;
        ASSERT_TRUE(ext->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1));
        EXPECT_NEAR(x0, 10.0, 1e-5);
    }
    EXPECT_EQ(view.get_driver_context(), baseDriver);
}

TEST(DsDriverExtremaTest, ClippingPlanesEncloseTheDepthRangeWidenedByTwoAndAHalfPercent)
{
    WideDepthFlagGuard guard;
    view3d view;
    SetUpTopView(view);
    float before[2], after[2];
    CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(1.0, 0.5, 0.0), &view, before[0], before[1]);

    CDsDriverExtrema driver(&view);
    Measure(driver, {SPAposition(0.0, 0.0, -2.0), SPAposition(1.0, 1.0, 1.0)});
    ASSERT_TRUE(driver.AdjustClippingPlanes(false, false));
    // Depth -2..1 widened by 0.075 at each end; the eye 1.01 in front of the nearest depth.
    EXPECT_NEAR(view.get_eye().z(), 1.075 + 1.01, 1e-6);
    EXPECT_NEAR(view.get_target().z(), 1.075 + 0.01, 1e-6);
    EXPECT_NEAR(view.get_hither(), 0.01, 1e-12);
    EXPECT_NEAR(view.get_yon(), 3.15 + 1.02, 1e-6);
    // Near and far planes lie just outside the widened range.
    EXPECT_LT(view.get_eye().z() - view.get_hither(), 1.075 + 1.0 + 1e-6);
    EXPECT_NEAR(view.get_eye().z() - view.get_yon(), -2.075 - 0.01, 1e-6);

    // A parallel picture does not change.
    CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(1.0, 0.5, 0.0), &view, after[0], after[1]);
    EXPECT_NEAR(after[0], before[0], 1e-3f);
    EXPECT_NEAR(after[1], before[1], 1e-3f);
}

TEST(DsDriverExtremaTest, DisplayManagerFlagTwoDoublesTheWidenedDepthRange)
{
    WideDepthFlagGuard guard;
    CDsManager::GetInstance()->SetFlag(2, true);
    view3d view;
    SetUpTopView(view);
    CDsDriverExtrema driver(&view);
    Measure(driver, {SPAposition(0.0, 0.0, -2.0), SPAposition(1.0, 1.0, 1.0)});
    ASSERT_TRUE(driver.AdjustDistance(false));
    // 3.15 after the 2.5 % margins, then half of it more at each end: -3.65..2.65.
    EXPECT_NEAR(view.get_eye().z(), 2.65 + 1.01, 1e-5);
    EXPECT_NEAR(view.get_yon(), 6.3 + 1.02, 1e-5);
}

TEST(DsDriverExtremaTest, FlatOrEmptyDepthRanges)
{
    WideDepthFlagGuard guard;
    view3d view;
    SetUpTopView(view);
    {
        // All depths equal: 0.2 deep, widened by 5 %.
        CDsDriverExtrema driver(&view);
        Measure(driver, {SPAposition(0, 0, 0), SPAposition(1, 1, 0)});
        ASSERT_TRUE(driver.AdjustClippingPlanes(false, false));
        EXPECT_NEAR(view.get_yon(), 0.21 + 1.02, 1e-6);
        EXPECT_NEAR(view.get_eye().z(), 0.105 + 1.01, 1e-6);
    }
    // Nothing measured, or no view: the planes stay.
    SetUpTopView(view);
    view.set_hither(3.0);
    view.set_yon(70.0);
    CDsDriverExtrema nothing(&view);
    EXPECT_FALSE(nothing.AdjustClippingPlanes(false, false));
    EXPECT_EQ(view.get_hither(), 3.0);
    EXPECT_EQ(view.get_yon(), 70.0);
    EXPECT_EQ(view.get_eye().z(), 50.0);

    CDsDriverExtrema noView(nullptr);
    Measure(noView, {SPAposition(0, 0, 0), SPAposition(1, 1, 1)});
    EXPECT_FALSE(noView.AdjustClippingPlanes(false, false));
}

TEST(DsDriverExtremaTest, PerspectiveViewKeepsItsCameraAndGetsPlanesAroundTheRange)
{
    WideDepthFlagGuard guard;
    view3d view;
    SetUpTopView(view, SPAposition(0, 0, 0), true);
    CDsDriverExtrema driver(&view);
    Measure(driver, {SPAposition(0.0, 0.0, -2.0), SPAposition(0.5, 0.5, 1.0)});
    ASSERT_TRUE(driver.AdjustClippingPlanes(false, false));
    EXPECT_EQ(view.get_eye().z(), 50.0);
    EXPECT_EQ(view.get_target().z(), 0.0);
    EXPECT_NEAR(view.get_hither(), 50.0 - 1.075, 1e-6);
    EXPECT_NEAR(view.get_yon(), 50.0 + 2.075, 1e-6);
}

TEST(DsDriverExtremaTest, AZoomPublishesItsMeasuringViewForItsLifetimeOnly)
{
    ASSERT_EQ(CDsItemPolyline3D::sViewExtrema, nullptr);
    view3d view;
    SetUpTopView(view);
    {
        CDsViewExtremaControler none;
        EXPECT_EQ(none.GetDriver(), nullptr);
        EXPECT_EQ(none.GetExtView(), nullptr);
        EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, nullptr);
    }
    {
        CDsViewExtremaControler outer(&view);
        ASSERT_NE(outer.GetExtView(), nullptr);
        EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, outer.GetExtView());
        EXPECT_EQ(outer.GetExtView()->GetBaseView(), &view);
        {
            CDsViewExtremaControler inner(&view);
            EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, inner.GetExtView());
        }
        EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, outer.GetExtView());  // a nested zoom gives it back
        // What the published view measures reaches the controller's driver.
        outer.GetExtView()->DrawPoint2d(SPAposition(1, 1, 0));
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        EXPECT_TRUE(outer.GetDriver()->GetExtremaCoordinates(x0, x1, y0, y1));
        EXPECT_NEAR(x0, 20.0, 1e-3);  // 1 unit at 0.05 units per pixel
    }
    EXPECT_EQ(CDsItemPolyline3D::sViewExtrema, nullptr);
}
