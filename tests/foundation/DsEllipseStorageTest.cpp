// Ellipse storages: segment counts that follow the view's scale, the common parameter grid,
// the cache, copies that own what they hold, and degenerate ellipses.
#include "DsEllipseStorage.h"

#include "DsBox.h"
#include "DsPolylineStorage.h"
#include "DsView3dCdc.h"

#include "ViewSetup.h"

#include <SpaGeometry.h>
#include <SpaValues.h>
#include <view3d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const double kTwoPi = 6.283185307179586;

// A circle of `radius` about the origin in the xy plane, starting on +x.
ellipse Circle(double radius)
{
    return ellipse(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(radius, 0, 0), 1.0, 0.0);
}

// A square viewport of 400 pixels showing `unitsPerPixel` model units per pixel.
void SetScale(view3d& view, double unitsPerPixel)
{
    vyrtest::ViewSetup()
        .Pixels(400, 400)
        .Eye(SPAposition(0, 0, 100))
        .Field(400 * unitsPerPixel, 400 * unitsPerPixel)
        .ApplyTo(view);
}

void ExpectSame(const SPAposition& a, const SPAposition& b, double tol = 1e-12)
{
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
    EXPECT_NEAR(a.z(), b.z(), tol);
}

}  // namespace

TEST(DsEllipseStorageTest, FullEllipseAtLowZoomHas64SegmentsAndCloses)
{
    view3d view;
    SetScale(view, 1.0);  // the unit circle covers a few pixels: far below 64 segments
    CDsEllipseStorage storage(Circle(1.0), 0.0, kTwoPi);
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(&view), 64);
    const SPAposition* points = nullptr;
    ASSERT_EQ(storage.ApproximateEllipse(&view, points), 65);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(points[64].x(), points[0].x());
    EXPECT_EQ(points[64].y(), points[0].y());
    EXPECT_EQ(points[64].z(), points[0].z());
    // Every vertex lies on the circle, a 64th of a turn apart.
    for (int i = 0; i <= 64; ++i) EXPECT_NEAR(std::hypot(points[i].x(), points[i].y()), 1.0, 1e-12);
    ExpectSame(points[16], SPAposition(0, 1, 0));
    ExpectSame(storage.GetStartPoint(), SPAposition(1, 0, 0));
    ExpectSame(storage.GetEndPoint(), storage.GetStartPoint());
}

TEST(DsEllipseStorageTest, SegmentCountFollowsTheScaleWithinBounds)
{
    view3d view;
    CDsEllipseStorage storage(Circle(100.0), 0.0, kTwoPi);  // whole length about 628 units
    SetScale(view, 0.25);  // about 2513 pixels: one segment per 20 pixels is 125
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(&view), 125);
    SetScale(view, 0.01);  // far more than 200
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(&view), 200);
    const SPAposition* points = nullptr;
    EXPECT_EQ(storage.ApproximateEllipse(&view, points), 201);
    SetScale(view, 0.001);  // zooming further adds nothing
    EXPECT_EQ(storage.ApproximateEllipse(&view, points), 201);
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(nullptr), 64);

    // The shown scale counts: twice the scale, twice the segments (62.8 is raised to 64).
    SetScale(view, 0.5);
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(&view), 64);
    storage.SetTransformationScale(2.0);
    EXPECT_DOUBLE_EQ(storage.GetTransformationScale(), 2.0);
    EXPECT_EQ(storage.ComputeFullEllipseSegmentsCount(&view), 125);
    EXPECT_EQ(storage.ApproximateEllipse(&view, points), 126);
}

TEST(DsEllipseStorageTest, ArcsShareOneParameterGrid)
{
    const double step = kTwoPi / 64;
    const SPAposition* points = nullptr;

    // A quarter turn with both ends on the grid: 16 segments.
    CDsEllipseStorage onGrid(Circle(1.0), 0.0, kTwoPi / 4);
    EXPECT_EQ(onGrid.ComputeSegmentsCount(nullptr), 16);
    ASSERT_EQ(onGrid.ApproximateEllipse(nullptr, points), 17);
    ExpectSame(points[16], SPAposition(0, 1, 0));
    ExpectSame(points[1], SPAposition(std::cos(step), std::sin(step), 0));

    // The same span moved off the grid: one more segment, inner vertices still on the grid.
    const double shift = 0.3 * step;
    CDsEllipseStorage offGrid(Circle(1.0), shift, kTwoPi / 4 + shift);
    EXPECT_EQ(offGrid.ComputeSegmentsCount(nullptr), 17);
    ASSERT_EQ(offGrid.ApproximateEllipse(nullptr, points), 18);
    ExpectSame(points[0], SPAposition(std::cos(shift), std::sin(shift), 0));
    for (int i = 1; i < 17; ++i) ExpectSame(points[i], SPAposition(std::cos(i * step), std::sin(i * step), 0));
    ExpectSame(points[17], SPAposition(std::cos(kTwoPi / 4 + shift), std::sin(kTwoPi / 4 + shift), 0));

    // Negative parameters use the same grid.
    CDsEllipseStorage negative(Circle(1.0), -2.5 * step, 1.5 * step);
    ASSERT_EQ(negative.ApproximateEllipse(nullptr, points), 6);
    ExpectSame(points[1], SPAposition(std::cos(-2 * step), std::sin(-2 * step), 0));
    ExpectSame(points[4], SPAposition(std::cos(step), std::sin(step), 0));

    // A tiny arc inside one grid step is one segment.
    CDsEllipseStorage tiny(Circle(1.0), 0.1 * step, 0.2 * step);
    EXPECT_EQ(tiny.ApproximateEllipse(nullptr, points), 2);
}

TEST(DsEllipseStorageTest, MiddlePointIsHalfWayAlongThePolyline)
{
    CDsEllipseStorage half(Circle(2.0), 0.0, kTwoPi / 2);
    EXPECT_EQ(half.GetMiddlePoint().x(), 0.0);
    const SPAposition* points = nullptr;
    half.ApproximateEllipse(nullptr, points);
    ExpectSame(half.GetMiddlePoint(), SPAposition(0, 2, 0), 1e-5);
}

TEST(DsEllipseStorageTest, PointsAreCachedUntilTheScaleChanges)
{
    view3d view;
    SetScale(view, 0.25);
    CDsEllipseStorage storage(Circle(100.0), 0.0, kTwoPi);
    const SPAposition* first = nullptr;
    ASSERT_EQ(storage.ApproximateEllipse(&view, first), 126);
    const SPAposition* again = nullptr;
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 126);
    EXPECT_EQ(again, first);

    // During fast refresh the coarser points stand.
    SetScale(view, 0.05);
    bool fast = true;
    EXPECT_EQ(storage.ApproximateEllipse(&view, again, &fast), 126);
    view.SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 126);
    view.SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 201);

    // Transform drops the points; the next call computes them at the new place.
    storage.Transform(translate_transf(SPAvector(0, 0, 5)));
    EXPECT_EQ(storage.GetPointsCount(), 0);
    ExpectSame(storage.GetStartPoint(), SPAposition());
    ExpectSame(storage.GetEndPoint(), SPAposition());
    ASSERT_EQ(storage.ApproximateEllipse(&view, again), 201);
    EXPECT_DOUBLE_EQ(again[0].z(), 5.0);
}

TEST(DsEllipseStorageTest, APlotKeepsThePointsWhileTheViewKeepsTheScaleLastChecked)
{
    // The plot mode is process-wide: put it back whatever happens.
    struct PlotModeGuard {
        ~PlotModeGuard() { CDsView3dCdc::StResetPlotMode(); }
    } guard;
    view3d view;
    CDsEllipseStorage storage(Circle(100.0), 0.0, kTwoPi);
    const SPAposition* first = nullptr;
    SetScale(view, 0.05);
    ASSERT_EQ(storage.ApproximateEllipse(&view, first), 201);  // first points: no scale checked yet

    // The view now shows 1 unit per pixel, the scale a new storage starts from: during a plot
    // the points stand, although that scale alone would call for 64 segments.
    SetScale(view, 1.0);
    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    const SPAposition* again = nullptr;
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 201);
    EXPECT_EQ(again, first);
    CDsView3dCdc::StResetPlotMode();
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 65);

    // A plot at another scale does compute again, and then keeps the result.
    CDsView3dCdc::StSetPlotMode(ePlotModeColors);
    SetScale(view, 0.05);
    EXPECT_EQ(storage.ApproximateEllipse(&view, first), 201);
    EXPECT_EQ(storage.ApproximateEllipse(&view, again), 201);
    EXPECT_EQ(again, first);
}

TEST(DsEllipseStorageTest, CopiesOwnTheirEllipseAndPoints)
{
    const SPAposition* points = nullptr;
    auto source = std::make_unique<CDsEllipseStorage>(Circle(3.0), 0.0, kTwoPi / 4);
    source->ApproximateEllipse(nullptr, points);

    CDsEllipseStorage copied(*source);
    CDsEllipseStorage assigned(Circle(1.0), 0.0, 1.0);
    assigned = *source;
    EXPECT_NE(copied.GetEllipse(), source->GetEllipse());
    EXPECT_NE(assigned.GetEllipse(), source->GetEllipse());
    EXPECT_EQ(assigned.GetPointsCount(), 17);
    const SPAposition* assignedPoints = nullptr;
    assigned.GetPoints(assignedPoints);
    EXPECT_NE(assignedPoints, points);

    source.reset();  // the copies must not depend on the source
    ExpectSame(assigned.GetEndPoint(), SPAposition(0, 3, 0), 1e-12);
    ASSERT_EQ(copied.ApproximateEllipse(nullptr, points), 17);
    ExpectSame(points[0], SPAposition(3, 0, 0));
    double start = -1, end = -1;
    copied.GetParameters(start, end);
    EXPECT_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(end, kTwoPi / 4);

    // A borrowed ellipse stays the caller's; copies of it are owned.
    ellipse callers = Circle(1.0);
    {
        CDsEllipseStorage borrowing(&callers, 0.0, kTwoPi, true);
        CDsEllipseStorage copy(borrowing);
        EXPECT_NE(copy.GetEllipse(), &callers);
    }
    EXPECT_DOUBLE_EQ(callers.major_axis.x(), 1.0);

    // An owned pointer is freed with the storage (no leak under a checker).
    CDsEllipseStorage owning(new ellipse(Circle(2.0)), 0.0, 1.0, false);
    EXPECT_EQ(owning.ApproximateEllipse(nullptr, points), 12);
}

TEST(DsEllipseStorageTest, DegenerateInputGivesNeutralAnswers)
{
    const SPAposition* points = nullptr;
    CDsEllipseStorage none(nullptr, 0.0, 1.0, true);
    EXPECT_EQ(none.ApproximateEllipse(nullptr, points), 0);
    EXPECT_EQ(points, nullptr);

    // A zero axis: every point at the centre, no NaN.
    view3d view;
    SetScale(view, 1.0);
    CDsEllipseStorage point(ellipse(SPAposition(1, 2, 3), SPAunit_vector(0, 0, 1), SPAvector(0, 0, 0), 1.0, 0.0), 0.0,
                            kTwoPi);
    ASSERT_EQ(point.ApproximateEllipse(&view, points), 65);
    for (int i = 0; i < 65; ++i) ExpectSame(points[i], SPAposition(1, 2, 3));

    CDsEllipseStorage notANumber(Circle(1.0), NAN, 1.0);
    EXPECT_EQ(notANumber.ApproximateEllipse(&view, points), 0);

    // A view without a size counts as no view.
    view3d flat;
    flat.set_viewport(0, 0, 0, 0);
    EXPECT_EQ(CDsEllipseStorage(Circle(1.0), 0.0, kTwoPi).ComputeFullEllipseSegmentsCount(&flat), 64);
}

TEST(DsEllipseStorageTest, ExpandsABoxByItsPoints)
{
    CDsEllipseStorage storage(Circle(2.0), 0.0, kTwoPi / 4);
    CDsBox box;
    storage.ExpandBox(box, nullptr, false);
    EXPECT_NEAR(box.GetMin()[0], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 2.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[1], 2.0f);

    CDsBox withCentre;
    const SPAtransf lift = translate_transf(SPAvector(0, 0, 1));
    CDsEllipseStorage shifted(Circle(2.0), kTwoPi / 8, kTwoPi / 4);
    shifted.ExpandBox(withCentre, &lift, true);
    EXPECT_FLOAT_EQ(withCentre.GetMin()[0], 0.0f);  // the centre widened it
    EXPECT_FLOAT_EQ(withCentre.GetMin()[2], 1.0f);
}

TEST(DsPolylineStorageTest, VerticesGoThroughTheTransform)
{
    const CGmPosition points[2] = {CGmPosition(1, 0, 0), CGmPosition(0, 1, 0)};
    CDsPolylineStorage storage(2, points);
    EXPECT_EQ(storage.GetVertexCount(), 2);
    storage.SetTransformation(translate_transf(SPAvector(0, 0, 4)));
    ExpectSame(storage.GetTRansformedVertex(1), SPAposition(0, 1, 4));
    ExpectSame(storage.GetTRansformedVertex(2), SPAposition());
    ExpectSame(storage.GetTRansformedVertex(-1), SPAposition());

    const CDsPolylineStorage copy(storage);
    ExpectSame(copy.GetTRansformedVertex(0), SPAposition(1, 0, 4));
    EXPECT_TRUE(CDsPolylineStorage(-3, points).GetVertexCount() == 0);
    EXPECT_EQ(CDsPolylineStorage(2, nullptr).GetVertexCount(), 0);
}
