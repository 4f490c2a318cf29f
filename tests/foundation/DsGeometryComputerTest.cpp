// The geometry computer without OpenGL: projections and pick rays on a modeler view, polygon and
// triangle tests, curve mid points, snapping to a polyline, and the display-range clamps.
#include "DsGeometryComputer.h"
#include "DsView3dCdc.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

CDsGeometryComputer& Gc()
{
    return *CDsGeometryComputer::GetInstance();
}

// A 200 x 100 view looking down -z at the origin, 0.05 model units per pixel.
void SetUpTopView(view3d& view, bool perspective = false)
{
    vyrtest::ViewSetup().Perspective(perspective).ApplyTo(view);
}

// A tilted view, so that every axis matters.
void SetUpTiltedView(view3d& view, bool perspective)
{
    vyrtest::ViewSetup()
        .Pixels(320, 240)
        .Eye(SPAposition(10.0, -6.0, 14.0))
        .Target(SPAposition(1.0, 2.0, -1.0))
        .Up(SPAvector(0.0, 0.0, 1.0))
        .Field(16.0, 12.0)
        .Perspective(perspective)
        .ApplyTo(view);
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

} // namespace

TEST(DsGeometryComputerTest, ElementaryConversionsAndDistances)
{
    EXPECT_NEAR(Gc().ConvertDegreesToRadians(180.0f), 3.14159265f, 1e-6f);
    EXPECT_NEAR(Gc().ConvertRadiansToDegrees(3.14159265f), 180.0f, 1e-4f);

    // The double form answers the squared distance, the float form the distance.
    EXPECT_DOUBLE_EQ(Gc().CalculateDistance(SPAposition(1, 2, 3), SPAposition(4, 2, 3)), 9.0);
    const float a[3] = {1, 2, 3}, b[3] = {4, 2, 3};
    EXPECT_FLOAT_EQ(Gc().CalculateDistance(a, b), 3.0f);

    float v[3];
    Gc().CalculateVector(a, b, v);
    EXPECT_FLOAT_EQ(v[0], 3.0f);
    EXPECT_FLOAT_EQ(v[1], 0.0f);

    const double plane[4] = {0, 0, 1, -2};  // z = 2
    EXPECT_DOUBLE_EQ(Gc().CalculateDistanceFromPlane(a, plane), 1.0);

    SPAposition m;
    Gc().ComputeMiddle(SPAposition(0, 0, 0), SPAposition(2, 4, -6), m);
    EXPECT_DOUBLE_EQ(m.y(), 2.0);
    EXPECT_DOUBLE_EQ(m.z(), -3.0);
}

TEST(DsGeometryComputerTest, PolarAndCartesianRoundTrip)
{
    const float origin[3] = {1, 2, 3};
    float p[3];
    Gc().CalculateCartesianFromPolarCoordinates(0.0f, 0.0f, 2.0f, origin, p);  // straight along +z
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[2], 5.0f, 1e-6f);

    Gc().CalculateCartesianFromPolarCoordinates(30.0f, -60.0f, 4.0f, origin, p);
    float elevation = 0, azimuth = 0;
    Gc().CalculatePolarFromCartesianCoordinates(p, 4.0f, origin, elevation, azimuth);
    EXPECT_NEAR(elevation, 30.0f, 1e-3f);
    // The azimuth is measured the other way round from the x axis: sin b enters negated.
    EXPECT_NEAR(azimuth, 60.0f, 1e-3f);

    // A zero radius gives zero angles, not NaN.
    Gc().CalculatePolarFromCartesianCoordinates(p, 0.0f, origin, elevation, azimuth);
    EXPECT_EQ(elevation, 0.0f);
    EXPECT_EQ(azimuth, 0.0f);
}

TEST(DsGeometryComputerTest, NormalsAnglesAndRotations)
{
    const float x[3] = {1, 0, 0}, y[3] = {0, 2, 0};
    float n[3];
    EXPECT_NEAR(Gc().CalculateNormalAndDegreesAngleBetween(x, y, n), 90.0f, 1e-4f);
    EXPECT_NEAR(n[2], 1.0f, 1e-6f);

    SPAunit_vector un;
    Gc().CalulateTriangleNormal(SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(0, 1, 0), un);
    EXPECT_NEAR(un.z(), 1.0, 1e-12);
    const float tri[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    Gc().CalulateTriangleNormal(tri, n);  // the float form is negated
    EXPECT_NEAR(n[2], -1.0f, 1e-6f);

    SPAtransf r;
    Gc().CalculateRotationMatrix(SPAvector(2, 0, 0), SPAvector(0, 0, 3), r);
    const SPAvector turned = SPAvector(1, 0, 0) * r;
    EXPECT_NEAR(turned.x(), 0.0, 1e-9);
    EXPECT_NEAR(turned.z(), 1.0, 1e-9);
}

// A caller turning one direction onto another (an arrow onto a normal, a triad onto an axis)
// sees the result only as the direction it gets: `from` must land on `to`, and nothing may be
// mirrored or stretched on the way.
namespace {
void ExpectProperRotationTurning(const SPAvector& from, const SPAvector& to, const SPAtransf& r)
{
    const SPAmatrix& m = r.affine();
    EXPECT_NEAR(r.scaling(), 1.0, 1e-12);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(m.row(i) % m.row(j), i == j ? 1.0 : 0.0, 1e-9) << "rows " << i << ", " << j;
    EXPECT_NEAR(m.determinant(), 1.0, 1e-9);
    const SPAvector turned = normalise(from) * r;
    const SPAunit_vector want = normalise(to);
    EXPECT_NEAR(turned.x(), want.x(), 1e-9);
    EXPECT_NEAR(turned.y(), want.y(), 1e-9);
    EXPECT_NEAR(turned.z(), want.z(), 1e-9);
}
}  // namespace

TEST(DsGeometryComputerTest, OppositeVectorsGiveAHalfTurnNotTheIdentity)
{
    const SPAvector pairs[][2] = {
        {SPAvector(1, 0, 0), SPAvector(-1, 0, 0)},
        {SPAvector(0, 2, 0), SPAvector(0, -5, 0)},
        {SPAvector(0, 0, -3), SPAvector(0, 0, 1)},
        {SPAvector(1, 1, 1), SPAvector(-2, -2, -2)},
        {SPAvector(0.3, -0.7, 0.2), SPAvector(-0.3, 0.7, -0.2)},
        {SPAvector(1, 1e-7, 0), SPAvector(-1, -1e-7, 0)},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(testing::Message() << "from (" << pair[0].x() << ", " << pair[0].y() << ", " << pair[0].z()
                                        << ")");
        SPAtransf r;
        Gc().CalculateRotationMatrix(pair[0], pair[1], r);
        EXPECT_FALSE(r.identity());
        ExpectProperRotationTurning(pair[0], pair[1], r);
    }
}

// A caller turns a onto b by the answered angle about the answered normal: opposite vectors
// need a real axis for their 180 degrees.
TEST(DsGeometryComputerTest, OppositeVectorsGetAnAxisForTheirHalfTurn)
{
    const float pairs[][2][3] = {{{1, 0, 0}, {-2, 0, 0}}, {{0, 0, 3}, {0, 0, -1}}, {{1, 2, 3}, {-1, -2, -3}}};
    for (const auto& pair : pairs) {
        float n[3] = {0, 0, 0};
        EXPECT_NEAR(Gc().CalculateNormalAndDegreesAngleBetween(pair[0], pair[1], n), 180.0f, 1e-4f);
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f) << "a unit axis";
        EXPECT_NEAR(n[0] * pair[0][0] + n[1] * pair[0][1] + n[2] * pair[0][2], 0.0f, 1e-5f) << "square to a";
    }
    // Parallel vectors need no turn.
    const float a[3] = {1, 2, 3}, b[3] = {2, 4, 6};
    float n[3] = {9, 9, 9};
    EXPECT_NEAR(Gc().CalculateNormalAndDegreesAngleBetween(a, b, n), 0.0f, 1e-4f);
    EXPECT_EQ(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 0.0f);
}

TEST(DsGeometryComputerTest, RotationsTurnFromOntoToAndParallelOrZeroVectorsKeepTheIdentity)
{
    const SPAvector pairs[][2] = {
        {SPAvector(2, 0, 0), SPAvector(0, 0, 3)},
        {SPAvector(1, 2, 3), SPAvector(-3, 1, 0.5)},
        {SPAvector(0, 0, 1), SPAvector(0.01, 0, -1)},  // nearly opposite
    };
    for (const auto& pair : pairs) {
        SPAtransf r;
        Gc().CalculateRotationMatrix(pair[0], pair[1], r);
        ExpectProperRotationTurning(pair[0], pair[1], r);
    }

    SPAtransf r = rotate_transf(1.0, SPAvector(0, 0, 1));
    Gc().CalculateRotationMatrix(SPAvector(1, 2, 3), SPAvector(2, 4, 6), r);
    EXPECT_TRUE(r.affine().is_identity(1e-12));
    r = rotate_transf(1.0, SPAvector(0, 0, 1));
    Gc().CalculateRotationMatrix(SPAvector(), SPAvector(1, 0, 0), r);
    EXPECT_TRUE(r.affine().is_identity(1e-12));
    r = rotate_transf(1.0, SPAvector(0, 0, 1));
    Gc().CalculateRotationMatrix(SPAvector(1, 0, 0), SPAvector(), r);
    EXPECT_TRUE(r.affine().is_identity(1e-12));
}

TEST(DsGeometryComputerTest, TargetProjectsToTheViewportCentreWithYFromTheTop)
{
    for (bool perspective : {false, true}) {
        view3d view;
        SetUpTopView(view, perspective);
        float x = -1, y = -1;
        ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(0, 0, 0), &view, x, y));
        EXPECT_NEAR(x, 100.0f, 1e-3f);
        EXPECT_NEAR(y, 100 - 50 - 1, 1e-3f);

        // A point above the target (model +y, up on screen) has a smaller y.
        float ux = 0, uy = 0;
        ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(0, 1, 0), &view, ux, uy));
        EXPECT_LT(uy, y);
    }
}

TEST(DsGeometryComputerTest, ViewportHeightCellIsFilledOnceAndThenUsed)
{
    view3d view;
    SetUpTopView(view);
    int height = -1;
    float x = 0, y = 0;
    ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(0, 0, 0), &view, x, y, &height));
    EXPECT_EQ(height, 100);
    // A caller's cell is trusted: a different height moves y accordingly.
    height = 300;
    ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(0, 0, 0), &view, x, y, &height));
    EXPECT_NEAR(y, 300 - 50 - 1, 1e-3f);
}

TEST(DsGeometryComputerTest, ProjectionWithoutViewOrBehindTheEyeAnswersNothing)
{
    float x = 7, y = 8;
    EXPECT_FALSE(Gc().ProjectPositionOnView(CGmPosition(0, 0, 0), nullptr, x, y));
    view3d view;
    SetUpTopView(view, true);
    EXPECT_FALSE(Gc().ProjectPositionOnView(CGmPosition(0, 0, 80), &view, x, y));  // behind the eye
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_FALSE(Gc().CheckIfPointIsInView(nullptr, CGmPosition(0, 0, 0)));
}

TEST(DsGeometryComputerTest, ProjectionInPickModeKeepsThePickRegion)
{
    view3d view;
    SetUpTopView(view);
    view.pick_mode(1, 40, 30, 6, 6);
    float x = 0, y = 0;
    ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(1, 0, 0), &view, x, y, nullptr, true));
    EXPECT_NEAR(x, 120.0f, 1e-3f);
    EXPECT_EQ(view.get_pick_mode(), 1);
    int cx = 0, cy = 0, w = 0, h = 0;
    view.get_pick_aperture(cx, cy, w, h);
    EXPECT_EQ(cx, 40);
    EXPECT_EQ(cy, 30);
    EXPECT_EQ(w, 6);
}

TEST(DsGeometryComputerTest, PointInViewFollowsTheViewport)
{
    view3d view;
    SetUpTopView(view);
    EXPECT_TRUE(Gc().CheckIfPointIsInView(&view, CGmPosition(0, 0, 0)));
    EXPECT_TRUE(Gc().CheckIfPointIsInView(&view, CGmPosition(4.9, 2.0, 0)));
    EXPECT_FALSE(Gc().CheckIfPointIsInView(&view, CGmPosition(5.5, 0, 0)));
    EXPECT_FALSE(Gc().CheckIfPointIsInView(&view, CGmPosition(0, -3, 0)));
}

TEST(DsGeometryComputerTest, PickRayThroughAPixelHoldsThePointsProjectingThere)
{
    CDsView3dCdc view;
    SetUpTiltedView(view, false);
    const int px = 77, py = 150;
    CUiPickEvent event(px, py, 0, &view, nullptr);
    SPAposition origin;
    SPAunit_vector direction;
    ASSERT_TRUE(Gc().CalculatePickRay(event, origin, direction));
    EXPECT_NEAR((direction - view.get_direction()).len(), 0.0, 1e-12);
    for (double t : {-20.0, -3.0, 0.0, 2.5, 30.0}) {
        float x = 0, y = 0;
        ASSERT_TRUE(Gc().ProjectPositionOnView(CGmPosition(origin + direction * t), &view, x, y));
        EXPECT_NEAR(x, px, 1e-2f) << t;
        // The ray takes the event's y as the pixel's upper edge; the projection counts the row
        // one pixel further up (height - y - 1): both name the same pixel row.
        EXPECT_NEAR(y, py - 1, 1e-2f) << t;
    }
}

TEST(DsGeometryComputerTest, PickRayAndTargetPlaneNeedACoreView)
{
    view3d plain;
    SetUpTopView(plain);
    SPAposition origin(9, 9, 9);
    SPAunit_vector direction;
    EXPECT_FALSE(Gc().CalculatePickRay(CUiPickEvent(1, 1, 0, &plain, nullptr), origin, direction));
    EXPECT_FALSE(Gc().CalculatePickRay(CUiPickEvent(1, 1, 0, nullptr, nullptr), origin, direction));
    EXPECT_FALSE(Gc().Convert2dCoordsTo3dPositionOnViewTargetPlane(1, 1, &plain, origin));
    EXPECT_FALSE(Gc().Convert2dCoordsTo3dPositionOnViewTargetPlane(1, 1, nullptr, origin));
    EXPECT_DOUBLE_EQ(origin.x(), 9.0);
}

TEST(DsGeometryComputerTest, TargetPlanePointUnderAPixelCountedFromTheBottom)
{
    CDsView3dCdc view;
    SetUpTopView(view);
    SPAposition p;
    ASSERT_TRUE(Gc().Convert2dCoordsTo3dPositionOnViewTargetPlane(100, 50, &view, p));
    EXPECT_NEAR((p - SPAposition(0, 0, 0)).len(), 0.0, 1e-12);
    ASSERT_TRUE(Gc().Convert2dCoordsTo3dPositionOnViewTargetPlane(120, 90, &view, p));
    EXPECT_NEAR(p.x(), 1.0, 1e-9);
    EXPECT_NEAR(p.y(), 2.0, 1e-9);  // y counted up from the bottom

    int ox = 0, oy = 0;
    Gc().Convert2dCoordsUpperRightToLowerLeft(view, 30, 20, ox, oy);
    EXPECT_EQ(ox, 170);
    EXPECT_EQ(oy, 80);

    SPAvector move;
    ASSERT_TRUE(Gc().ConvertMouseMovePixelsToViewParallelVector(&view, 20, -40, move));
    EXPECT_NEAR(move.x(), 1.0, 1e-9);
    EXPECT_NEAR(move.y(), -2.0, 1e-9);
    EXPECT_FALSE(Gc().ConvertMouseMovePixelsToViewParallelVector(nullptr, 1, 1, move));
}

TEST(DsGeometryComputerTest, OffsetsInRotatedFrames)
{
    const float quarter = 1.5707963f;
    CGmPosition out;
    Gc().CalculatePositionOffset(CGmPosition(1, 1, 1), quarter, SPAunit_vector(1, 0, 0), 2.0f,
                                 SPAunit_vector(0, 1, 0), 3.0f, out);
    // A quarter turn: du goes along v, dv along -u.
    EXPECT_NEAR(out.x(), 1.0 - 3.0, 1e-6);
    EXPECT_NEAR(out.y(), 1.0 + 2.0, 1e-6);
    EXPECT_NEAR(out.z(), 1.0, 1e-12);

    view3d view;
    SetUpTopView(view);  // right +x, up +y
    Gc().CalculatePositionOffset(CGmPosition(0, 0, 0), 0.0f, view, 2.0f, 3.0f, out);
    EXPECT_NEAR(out.x(), 2.0, 1e-9);
    EXPECT_NEAR(out.y(), 3.0, 1e-9);

    int x = 0, y = 0;
    Gc().CalculatePositionOffset2D(10, 20, 0.5f, 10, 4, x, y);
    EXPECT_EQ(x, 16);  // 10 cos 0.5 + 10 - 4 sin 0.5 = 16.86, truncated
    EXPECT_EQ(y, 28);  // 10 sin 0.5 + 4 cos 0.5 + 20 = 28.30, truncated
}

TEST(DsGeometryComputerTest, PointInPolygonIsRightForOrdinaryPolygons)
{
    const SPAunit_vector z(0, 0, 1);
    const float square[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    // A strip-of-triangles test misses this point of the square.
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0.1, 0.5, 0), square, 4, z));
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0.9, 0.1, 0), square, 4, z));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(1.1, 0.5, 0), square, 4, z));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(-0.5, -0.5, 0), square, 4, z));

    // Vertices and edges count as inside.
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(1, 1, 0), square, 4, z));
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0.5, 0, 0), square, 4, z));

    // A concave L: the notch is outside, both arms inside.
    const float ell[18] = {0, 0, 0, 2, 0, 0, 2, 1, 0, 1, 1, 0, 1, 2, 0, 0, 2, 0};
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(1.5, 0.5, 0), ell, 6, z));
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0.5, 1.5, 0), ell, 6, z));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(1.5, 1.5, 0), ell, 6, z));

    // A polygon in the y-z plane is seen along x; the point's x does not matter.
    const float side[12] = {3, 0, 0, 3, 2, 0, 3, 2, 2, 3, 0, 2};
    EXPECT_TRUE(Gc().CheckIfPointIsInsidePolygon(SPAposition(3.2, 1, 1), side, 4, SPAunit_vector(-1, 0, 0)));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(3, 1, 3), side, 4, SPAunit_vector(1, 0, 0)));
}

TEST(DsGeometryComputerTest, PointInPolygonBadInput)
{
    const float two[6] = {0, 0, 0, 1, 0, 0};
    const SPAunit_vector z(0, 0, 1);
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0, 0, 0), two, 2, z));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0, 0, 0), nullptr, 5, z));
    EXPECT_FALSE(Gc().CheckIfPointIsInsidePolygon(SPAposition(0, 0, 0), two, -3, z));
}

TEST(DsGeometryComputerTest, PointInTriangle)
{
    const CGmPosition a(0, 0, 0), b(4, 0, 0), c(0, 4, 1);
    EXPECT_TRUE(Gc().CheckPointInTriangle(a, b, c, CGmPosition(1, 1, 0.25)));
    EXPECT_TRUE(Gc().CheckPointInTriangle(a, b, c, CGmPosition(2, 0, 0)));  // on an edge
    EXPECT_TRUE(Gc().CheckPointInTriangle(a, b, c, a));                     // on a vertex
    EXPECT_FALSE(Gc().CheckPointInTriangle(a, b, c, CGmPosition(3, 3, 0.75)));
    // Orientation does not matter.
    EXPECT_TRUE(Gc().CheckPointInTriangle(a, c, b, CGmPosition(1, 1, 0.25)));
    // A degenerate triangle contains nothing.
    EXPECT_FALSE(Gc().CheckPointInTriangle(a, b, CGmPosition(8, 0, 0), CGmPosition(1, 0, 0)));
}

TEST(DsGeometryComputerTest, RayAgainstPolygon)
{
    const float square[12] = {0, 0, 2, 1, 0, 2, 1, 1, 2, 0, 1, 2};
    SPAposition hit;
    double t = 0;
    ASSERT_TRUE(Gc().CalculateRayIntersectionWithPolygon(square, 4, SPAposition(0.1, 0.5, 7),
                                                         SPAunit_vector(0, 0, -1), hit, t));
    EXPECT_NEAR(hit.z(), 2.0, 1e-9);
    EXPECT_NEAR(hit.x(), 0.1, 1e-9);
    EXPECT_NEAR(t, 5.0, 1e-9);
    EXPECT_FALSE(Gc().CalculateRayIntersectionWithPolygon(square, 4, SPAposition(1.5, 0.5, 7),
                                                          SPAunit_vector(0, 0, -1), hit, t));
    // Parallel to the plane, or too few vertices: no hit.
    EXPECT_FALSE(Gc().CalculateRayIntersectionWithPolygon(square, 4, SPAposition(0.5, 0.5, 7),
                                                          SPAunit_vector(1, 0, 0), hit, t));
    EXPECT_FALSE(Gc().CalculateRayIntersectionWithPolygon(square, 2, SPAposition(0.5, 0.5, 7),
                                                          SPAunit_vector(0, 0, -1), hit, t));
}

TEST(DsGeometryComputerTest, PointClippedByPlane)
{
    const SPAposition root(0, 0, 1);
    const SPAunit_vector n(0, 0, 1);
    EXPECT_FALSE(Gc().IsPointClippedByPlane(SPAposition(5, 5, 1 + 1e-6), root, n));
    EXPECT_FALSE(Gc().IsPointClippedByPlane(SPAposition(5, 5, 1 - 1e-6), root, n));
    EXPECT_TRUE(Gc().IsPointClippedByPlane(SPAposition(0, 0, 0), root, n));
    EXPECT_FALSE(Gc().IsPointClippedByPlane(SPAposition(0, 0, 2), root, n));
}

TEST(DsGeometryComputerTest, CurveMidPointByLength)
{
    const float bend[9] = {0, 0, 0, 1, 0, 0, 1, 3, 0};
    SPAposition m = Gc().CalculateCurveMidPoint(bend, 3);
    EXPECT_NEAR(m.x(), 1.0, 1e-6);
    EXPECT_NEAR(m.y(), 1.0, 1e-6);
    EXPECT_NEAR(m.z(), 0.0, 1e-6);

    m = Gc().CalculateCurveMidPoint(bend, 2);
    EXPECT_NEAR(m.x(), 0.5, 1e-6);

    // Repeated points (segments without length) do not divide by zero.
    const float still[9] = {2, 2, 2, 2, 2, 2, 2, 2, 2};
    m = Gc().CalculateCurveMidPoint(still, 3);
    EXPECT_NEAR(m.x(), 2.0, 1e-6);

    // No points, one point, null: the origin.
    for (int count : {0, 1, -4}) {
        m = Gc().CalculateCurveMidPoint(bend, count);
        EXPECT_EQ(m.x(), 0.0);
        EXPECT_EQ(m.y(), 0.0);
    }
    m = Gc().CalculateCurveMidPoint(nullptr, 3);
    EXPECT_EQ(m.y(), 0.0);
}

TEST(DsGeometryComputerTest, FindPositionOnCurveByPickSnapsToTheNearestSegment)
{
    view3d view;
    SetUpTopView(view);  // 20 pixels per unit; the origin at (100, 49)
    const CGmPosition line[3] = {CGmPosition(-2, 0, 0), CGmPosition(2, 0, 0), CGmPosition(2, 2, 0)};

    // Above x = 1 by 3 pixels: the point (1, 0, 0).
    std::unique_ptr<CGmPosition> p(Gc().FindPositionOnCurveByPick(CUiPickEvent(120, 46, 0, &view, nullptr), line, 3));
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->x(), 1.0, 1e-6);
    EXPECT_NEAR(p->y(), 0.0, 1e-6);

    // Right of the vertical segment: it is the nearer one.
    p.reset(Gc().FindPositionOnCurveByPick(CUiPickEvent(143, 29, 0, &view, nullptr), line, 3));
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->x(), 2.0, 1e-6);
    EXPECT_NEAR(p->y(), 1.0, 1e-6);

    // Just beyond the start (by less than a tenth of the 80-pixel segment): snaps to the end.
    p.reset(Gc().FindPositionOnCurveByPick(CUiPickEvent(55, 49, 0, &view, nullptr), line, 2));
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->x(), -2.0, 1e-6);

    // Well beyond it: nothing.
    EXPECT_EQ(Gc().FindPositionOnCurveByPick(CUiPickEvent(30, 49, 0, &view, nullptr), line, 2), nullptr);
    // No view, no points, one point: nothing.
    EXPECT_EQ(Gc().FindPositionOnCurveByPick(CUiPickEvent(120, 46, 0, nullptr, nullptr), line, 3), nullptr);
    EXPECT_EQ(Gc().FindPositionOnCurveByPick(CUiPickEvent(120, 46, 0, &view, nullptr), nullptr, 3), nullptr);
    EXPECT_EQ(Gc().FindPositionOnCurveByPick(CUiPickEvent(100, 49, 0, &view, nullptr), line, 1), nullptr);
}

class DsGeometryComputerClampTest : public ::testing::Test {
protected:
    const std::string dir_ = vyrtest::ScratchDir();
    const std::string path_ = dir_ + "/DisplayDebugWarnings.txt";
    vyrtest::ScopedEnv tmp_{"TMPDIR", dir_.c_str()};
    // The warning lines in the file, once the buffered ones are flushed.
    std::vector<std::string> Warnings() const
    {
        CDsGeometryComputer::FlushWarnings();
        return ReadLines(path_);
    }
};

TEST_F(DsGeometryComputerClampTest, WarningsFileLivesInTheTemporaryFolder)
{
    EXPECT_EQ(CDsGeometryComputer::GetWarningsFilePath(), path_);
    tmp_.Set(nullptr);
    EXPECT_EQ(CDsGeometryComputer::GetWarningsFilePath(), "/tmp/DisplayDebugWarnings.txt");
}

TEST_F(DsGeometryComputerClampTest, ZeroToleranceClamp)
{
    double v = 5e-7;
    Gc().SetIntoZeroTolerance(v);
    EXPECT_EQ(v, 0.0);
    ASSERT_EQ(Warnings(), std::vector<std::string>{"Display warning: Value not in display zero tolerance !"});

    v = 2e-6;
    Gc().SetIntoZeroTolerance(v);
    EXPECT_EQ(v, 2e-6);
    v = -2e-6;
    Gc().SetIntoZeroTolerance(v);
    EXPECT_EQ(v, -2e-6);
    EXPECT_EQ(Warnings().size(), 1u);

    v = 0.0;  // an exact zero is within the tolerance and warns as well
    Gc().SetIntoZeroTolerance(v);
    EXPECT_EQ(Warnings().size(), 2u);
}

TEST_F(DsGeometryComputerClampTest, DisplayRangeClamp)
{
    double v = 1e9;
    Gc().SetIntoDisplayRange(v);
    EXPECT_EQ(v, 1e9);
    EXPECT_TRUE(Warnings().empty());

    v = 2e9;
    Gc().SetIntoDisplayRange(v);
    EXPECT_EQ(v, 0.0);
    v = -3e12;
    Gc().SetIntoDisplayRange(v);
    EXPECT_EQ(v, 0.0);
    v = std::nan("");
    Gc().SetIntoDisplayRange(v);
    EXPECT_EQ(v, 0.0);
    const std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Display warning: Value out of display range !");
}

TEST_F(DsGeometryComputerClampTest, PositionsAndDirectionsIntoDisplayRange)
{
    SPAposition out;
    Gc().SetInDisplayRange(SPAposition(5e-7, 2e9, 3), out);
    EXPECT_EQ(out.x(), 0.0);
    EXPECT_EQ(out.y(), 0.0);
    EXPECT_EQ(out.z(), 3.0);
    EXPECT_EQ(Warnings(), (std::vector<std::string>{"Display warning: Value not in display zero tolerance !",
                                                          "Display warning: Value out of display range !"}));

    SPAunit_vector u;
    Gc().SetInDisplayRange(SPAunit_vector(1, 0.0000004, 1), u);
    EXPECT_EQ(u.y(), 0.0);
    EXPECT_NEAR(u.x(), std::sqrt(0.5), 1e-12);
}

TEST_F(DsGeometryComputerClampTest, WarningsReachTheFileAtExitAndAreNeverWrittenTwice)
{
    // Lines this process still buffers when a child forks must not be written by both.
    double v = 2e9;
    Gc().SetIntoDisplayRange(v);
    Gc().SetIntoDisplayRange(v = 3e9);
    std::fflush(stdout);  // the test's own output, so the child does not repeat it
    const pid_t child = fork();
    if (child == 0) {
        // The child clamps many values and ends normally without flushing: exit writes them.
        for (int i = 0; i < 1000; ++i) {
            double w = 0.0;
            Gc().SetIntoZeroTolerance(w);
        }
        std::exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 1002u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Display warning: Value out of display range !"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Display warning: Value not in display zero tolerance !"), 1000);
}

TEST_F(DsGeometryComputerClampTest, ChangingTheTemporaryFolderMovesTheWarnings)
{
    double v = 2e9;
    Gc().SetIntoDisplayRange(v);
    const std::string other = vyrtest::ScratchDir();
    setenv("TMPDIR", other.c_str(), 1);
    Gc().SetIntoDisplayRange(v = 2e9);
    Gc().SetIntoDisplayRange(v = 2e9);
    // The first folder's file is complete without a flush; the second has both lines after one.
    EXPECT_EQ(ReadLines(path_).size(), 1u);
    CDsGeometryComputer::FlushWarnings();
    EXPECT_EQ(ReadLines(other + "/DisplayDebugWarnings.txt").size(), 2u);
}
