// Boxes and screen rectangles: growing, emptiness, containment, projection into a view and
// the viewport and pick-aperture tests.
#include "DsBox.h"
#include "DsRectangle.h"
#include "DsRectangle3d.h"

#include "BoxCorners.h"
#include "ViewSetup.h"

#include <GmPosition.h>
#include <SpaValues.h>
#include <view3d.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using vyrtest::HasCorners;

CDsBox MakeBox(float x0, float y0, float z0, float x1, float y1, float z1)
{
    const float min[3] = {x0, y0, z0}, max[3] = {x1, y1, z1};
    return CDsBox(min, max);
}

// A parallel view of 200 x 100 pixels, one model unit per pixel, looking down -z at the origin.
void SetUpView(view3d& view) { vyrtest::ViewSetup().Eye(SPAposition(0, 0, 100)).Field(200, 100).ApplyTo(view); }

// The viewport tests keep the viewport of the last view they met, by its address; a view of a
// later test may have the same address, so tests that meet views forget it when they end.
class ViewportCacheTest : public ::testing::Test {
protected:
    void TearDown() override { CDsRectangle::StCacheViewport(nullptr); }
};
class DsBoxViewTest : public ViewportCacheTest {};
class DsRectangleViewTest : public ViewportCacheTest {};

}  // namespace

TEST(DsBoxTest, StartsEmptyAndGrowsByPoints)
{
    CDsBox box;
    EXPECT_TRUE(box.IsNotComputed());
    EXPECT_TRUE(box.FirstTime());
    EXPECT_FLOAT_EQ(box.GetDiagonalSize(), 1.0f);

    box.Expand(1, 2, 3);
    EXPECT_FALSE(box.IsNotComputed());
    EXPECT_TRUE(HasCorners(box, 1, 2, 3, 1, 2, 3));
    const float p[3] = {-1, 5, 0};
    box.Expand(p);
    EXPECT_TRUE(HasCorners(box, -1, 2, 0, 1, 5, 3));
    box.Expand(nullptr);
    EXPECT_TRUE(HasCorners(box, -1, 2, 0, 1, 5, 3));

    // A point that is not a number leaves the box as it was.
    box.Expand(NAN, 0, 0);
    EXPECT_TRUE(HasCorners(box, -1, 2, 0, 1, 5, 3));

    box.ResetMembers();
    EXPECT_TRUE(box.IsNotComputed());
}

TEST(DsBoxTest, GrowsThroughATransform)
{
    CDsBox box;
    const SPAtransf shift = translate_transf(SPAvector(10, 0, 0));
    box.Expand(1, 1, 1, &shift);
    EXPECT_TRUE(HasCorners(box, 11, 1, 1, 11, 1, 1));

    // The eight corners of a unit box turned a quarter about z, then moved.
    const CDsBox unit = MakeBox(0, 0, 0, 1, 2, 3);
    const SPAtransf turn = rotate_transf(M_PI / 2, SPAvector(0, 0, 1)) * shift;
    CDsBox turned;
    turned.Transform(turn, unit);
    EXPECT_NEAR(turned.GetMin()[0], 8, 1e-5);
    EXPECT_NEAR(turned.GetMax()[0], 10, 1e-5);
    EXPECT_NEAR(turned.GetMin()[1], 0, 1e-5);
    EXPECT_NEAR(turned.GetMax()[1], 1, 1e-5);
    EXPECT_NEAR(turned.GetMax()[2], 3, 1e-5);

    // ExpandBox does not empty the target first.
    CDsBox grown = MakeBox(-5, -5, -5, -4, -4, -4);
    grown.ExpandBox(unit, nullptr);
    EXPECT_TRUE(HasCorners(grown, -5, -5, -5, 1, 2, 3));
}

TEST(DsBoxTest, EmptinessLooksAtXOnly)
{
    const CDsBox oddBox = MakeBox(2, 0, 0, 1, 5, 5);
    EXPECT_TRUE(oddBox.IsNotComputed());
    const CDsBox yReversed = MakeBox(0, 5, 0, 1, 0, 1);
    EXPECT_FALSE(yReversed.IsNotComputed());

    const CDsBox big = MakeBox(-10, -10, -10, 10, 10, 10);
    EXPECT_FALSE(big.IsGivenBoxTotalyInsideMe(oddBox));
    EXPECT_FALSE(big.IsGivenBoxTotalyOutsideMe(oddBox));
    EXPECT_FALSE(oddBox.IsGivenBoxTotalyInsideMe(big));
    EXPECT_FALSE(oddBox.IsGivenBoxTotalyOutsideMe(big));
}

TEST(DsBoxTest, InsideAndOutsideAreStrict)
{
    const CDsBox big = MakeBox(0, 0, 0, 10, 10, 10);
    EXPECT_TRUE(big.IsGivenBoxTotalyInsideMe(MakeBox(1, 1, 1, 9, 9, 9)));
    EXPECT_FALSE(big.IsGivenBoxTotalyInsideMe(MakeBox(0, 1, 1, 9, 9, 9)));
    EXPECT_TRUE(big.IsGivenBoxTotalyOutsideMe(MakeBox(11, 0, 0, 12, 10, 10)));

    // Touching on a face: neither inside nor outside.
    const CDsBox touching = MakeBox(10, 0, 0, 20, 10, 10);
    EXPECT_FALSE(big.IsGivenBoxTotalyInsideMe(touching));
    EXPECT_FALSE(big.IsGivenBoxTotalyOutsideMe(touching));
}

TEST(DsBoxTest, CopiesAndMeasures)
{
    CDsBox a = MakeBox(0, 0, 0, 3, 4, 12);
    EXPECT_FLOAT_EQ(a.GetDiagonalSize(), 13.0f);
    float x, y, z;
    a.GetCenter(x, y, z);
    EXPECT_FLOAT_EQ(x, 1.5f);
    EXPECT_FLOAT_EQ(y, 2.0f);
    EXPECT_FLOAT_EQ(z, 6.0f);

    CDsBox b;
    b = a;
    EXPECT_TRUE(HasCorners(b, 0, 0, 0, 3, 4, 12));
    CGmPosition low, high;
    b.GetMin(low);
    b.GetMax(high);
    EXPECT_DOUBLE_EQ(high.z(), 12.0);
    EXPECT_DOUBLE_EQ(low.x(), 0.0);

    const SPAbox modelerBox(SPAposition(-1, -2, -3), SPAposition(1, 2, 3));
    EXPECT_TRUE(HasCorners(CDsBox(modelerBox), -1, -2, -3, 1, 2, 3));
    EXPECT_TRUE(CDsBox(SPAbox()).IsNotComputed());
}

TEST_F(DsBoxViewTest, ProjectsIntoTheViewWithYFromTheTop)
{
    view3d view;
    SetUpView(view);
    CDsBox box = MakeBox(-10, 20, -1, 10, 30, 1);
    box.ComputeBounds2D(&view, false);
    int minX, maxX, minY, maxY;
    box.GetRectangle(minX, maxX, minY, maxY);
    // Centre (100, 50); model y 20..30 lies above the centre, so rows 50 - 30 .. 50 - 20 (minus one).
    EXPECT_NEAR(minX, 90, 1);
    EXPECT_NEAR(maxX, 110, 1);
    EXPECT_NEAR(minY, 19, 1);
    EXPECT_NEAR(maxY, 29, 1);
    EXPECT_LT(minY, maxY);

    // Same view, not forced: the stored rectangle stands although the box moved.
    box.Expand(80, -40, 0);
    box.ComputeBounds2D(&view, false);
    int minX2, maxX2, minY2, maxY2;
    box.GetRectangle(minX2, maxX2, minY2, maxY2);
    EXPECT_EQ(minX2, minX);
    EXPECT_EQ(maxX2, maxX);
    EXPECT_EQ(maxY2, maxY);

    box.ComputeBounds2D(&view, true);
    box.GetRectangle(minX2, maxX2, minY2, maxY2);
    EXPECT_NEAR(maxX2, 180, 1);
    EXPECT_NEAR(maxY2, 89, 1);
    EXPECT_TRUE(box.CheckExtremesOverlap(&view, false));

    // No view: nothing changes, nothing breaks.
    box.ComputeBounds2D(nullptr, true);
    EXPECT_FALSE(box.CheckExtremesOverlap(nullptr, false));
}

// The rectangle a box keeps across projections is always the one a fresh projection of its
// corners into the view gives: after the camera moves, the model transform changes, the viewport
// is resized, the corners change in any way, in turn with other views and in pick mode.
TEST_F(DsBoxViewTest, AKeptRectangleIsWhatAFreshProjectionGives)
{
    using Rect = std::array<int, 4>;
    const auto rectOf = [](const CDsBox& box) {
        Rect r;
        box.GetRectangle(r[0], r[1], r[2], r[3]);
        return r;
    };
    const auto fresh = [&](const CDsBox& box, view3d& view) {
        CDsBox copy(box.GetMin(), box.GetMax());
        copy.ComputeBounds2D(&view, true);
        return rectOf(copy);
    };
    view3d view;
    SetUpView(view);
    CDsBox box = MakeBox(0, 0, -1, 10, 10, 1);
    box.ComputeBounds2D(&view, true);
    const Rect first = rectOf(box);
    EXPECT_EQ(first, (Rect{100, 110, 39, 49}));
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), first);

    // The camera moved 5 units to the right: the box 5 pixels to the left.
    vyrtest::ViewSetup().Eye(SPAposition(5, 0, 100)).Target(SPAposition(5, 0, 0)).Field(200, 100).ApplyTo(view);
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), (Rect{95, 105, 39, 49}));

    // A model transform pushed and taken off again.
    view.SetModelTransform(translate_transf(SPAvector(0, 20, 0)));
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), (Rect{95, 105, 19, 29}));
    view.ClearModelTransform();
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), (Rect{95, 105, 39, 49}));

    // The viewport twice as high, the same field: two pixels a unit upwards.
    view.set_viewport(0, 0, 200, 200);
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), fresh(box, view));
    EXPECT_EQ(rectOf(box)[3] - rectOf(box)[2], 20);
    SetUpView(view);

    // Each way of changing the corners.
    const std::function<void(CDsBox&)> changes[] = {
        [](CDsBox& b) { b.Expand(30, 0, 0); },
        [](CDsBox& b) {
            const float low[3] = {-20, -20, -1};
            b.SetMin(low);
        },
        [](CDsBox& b) {
            const float high[3] = {40, 5, 1};
            b.SetMax(high);
        },
        [](CDsBox& b) {
            b.ResetMembers();
            b.Expand(-50, -40, 0);
            b.Expand(-45, -30, 0);
        },
        [](CDsBox& b) { b = MakeBox(60, 10, 0, 70, 20, 0); },
        [](CDsBox& b) { b.CopyObject(MakeBox(-90, 40, 0, -80, 45, 0)); },
        [](CDsBox& b) { b.ExpandBox(MakeBox(0, 0, 0, 1, 1, 1), nullptr); },
    };
    for (const auto& change : changes) {
        box.ComputeBounds2D(&view, true);
        const Rect before = rectOf(box);
        change(box);
        box.ComputeBounds2D(&view, true);
        EXPECT_EQ(rectOf(box), fresh(box, view));
        EXPECT_NE(rectOf(box), before);
    }

    // Views in turn, more of them than are remembered, each with its own camera.
    std::vector<std::unique_ptr<view3d>> views;
    for (int i = 0; i < 12; ++i) {
        views.push_back(std::make_unique<view3d>());
        vyrtest::ViewSetup().Eye(SPAposition(i, -i, 100)).Target(SPAposition(i, -i, 0)).Field(200, 100).ApplyTo(*views.back());
    }
    for (int round = 0; round < 2; ++round)
        for (auto& other : views) {
            box.ComputeBounds2D(other.get(), true);
            EXPECT_EQ(box.GetScreenRectangle().GetView(), other.get());
            EXPECT_EQ(rectOf(box), fresh(box, *other));
            box.ComputeBounds2D(&view, true);
            EXPECT_EQ(rectOf(box), fresh(box, view));
        }

    // In pick mode the projection is the one outside it, and the pick region stays.
    const Rect outside = rectOf(box);
    view.pick_mode(1, 20, 30, 5, 5);
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(rectOf(box), outside);
    box.Expand(-99, 0, 0);
    box.ComputeBounds2D(&view, true);
    view.pick_mode(0, 0, 0, 0, 0);
    EXPECT_EQ(rectOf(box), fresh(box, view));
    view.pick_mode(1, 20, 30, 5, 5);
    box.ComputeBounds2D(&view, true);
    EXPECT_EQ(view.get_pick_mode(), 1);
    int cx = 0, cy = 0, w = 0, h = 0;
    view.get_pick_aperture(cx, cy, w, h);
    EXPECT_EQ(cx, 20);
    EXPECT_EQ(cy, 30);
    view.pick_mode(0, 0, 0, 0, 0);
}

TEST(DsRectangleTest, GrowsByPointsAndMargins)
{
    CDsRectangle r;
    EXPECT_TRUE(r.IsEmpty());
    r.Expand(1.2f, 3.7f);
    int minX, maxX, minY, maxY;
    r.GetRectangle(minX, maxX, minY, maxY);
    EXPECT_EQ(minX, 1);
    EXPECT_EQ(minY, 3);
    EXPECT_EQ(maxX, 2);
    EXPECT_EQ(maxY, 4);

    CDsRectangle m;
    m.ExpandWithMargin(10, 20);
    m.GetRectangle(minX, maxX, minY, maxY);
    EXPECT_EQ(minX, 4);
    EXPECT_EQ(maxX, 16);
    EXPECT_EQ(minY, 14);
    EXPECT_EQ(maxY, 26);
    const int p[2] = {30, 0};
    m.Expand(p);
    m.GetRectangle(minX, maxX, minY, maxY);
    EXPECT_EQ(maxX, 30);
    EXPECT_EQ(minY, 0);

    m.SetEmpty();
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_EQ(m.GetView(), nullptr);
}

TEST_F(DsRectangleViewTest, TestsAgainstViewportAndPickAperture)
{
    view3d view;
    SetUpView(view);
    CDsRectangle::StCacheViewport(&view);
    const int inMin[2] = {190, 90}, inMax[2] = {250, 150};
    EXPECT_TRUE(CDsRectangle(inMin, inMax).IsInView(&view, false));
    const int outMin[2] = {201, 0}, outMax[2] = {260, 50};
    EXPECT_FALSE(CDsRectangle(outMin, outMax).IsInView(&view, false));
    EXPECT_FALSE(CDsRectangle(inMin, inMax).IsInView(nullptr, false));

    // Aperture of width and height 5 centred at (50, 40), rows counted down from the top like the
    // rectangle's; the band reaches 3 pixels on each side.
    view.pick_mode(1, 50, 40, 5, 5);
    int cx, cy, w, h;
    view.get_pick_aperture(cx, cy, w, h);
    ASSERT_EQ(w, 5);
    const int row = cy;
    const int nearMin[2] = {cx + 3, row}, nearMax[2] = {cx + 10, row};
    EXPECT_TRUE(CDsRectangle(nearMin, nearMax).IsInView(&view, true));
    const int farMin[2] = {cx + 4, row}, farMax[2] = {cx + 10, row};
    EXPECT_FALSE(CDsRectangle(farMin, farMax).IsInView(&view, true));
    const int belowMin[2] = {cx, row + 4}, belowMax[2] = {cx, row + 9};
    EXPECT_FALSE(CDsRectangle(belowMin, belowMax).IsInView(&view, true));
    // The mirrored row (counted up instead of down) is not the aperture's.
    const int mirrorMin[2] = {cx, 100 - cy - 1}, mirrorMax[2] = {cx, 100 - cy - 1};
    EXPECT_FALSE(CDsRectangle(mirrorMin, mirrorMax).IsInView(&view, true));
    const int onMin[2] = {cx, row + 3}, onMax[2] = {cx, row + 3};
    EXPECT_TRUE(CDsRectangle(onMin, onMax).IsInView(&view, true));
    view.pick_mode(0, 0, 0, 0, 0);

    // A resized view is seen after StCacheViewport.
    view.set_viewport(0, 0, 400, 100);
    CDsRectangle::StCacheViewport(&view);
    EXPECT_TRUE(CDsRectangle(outMin, outMax).IsInView(&view, false));
}

TEST(DsBox2DTest, EmptyOnlyWhenBothAxesAreReversed)
{
    SDsBox2D box;
    box.SetEmpty();
    EXPECT_FALSE(box.IsValid());
    box = {0, 5, 10, 2};  // ordered on x only
    EXPECT_TRUE(box.IsValid());
    box = {10000000, 10000000, -10000000, -10000000};
    EXPECT_FALSE(box.IsValid());

    SDsBox2D other = {3, 4, 5, 6};
    box.Expand(other);
    EXPECT_EQ(box.minX, 3);
    EXPECT_EQ(box.maxY, 6);
    const SDsBox2D more = {-1, 5, 4, 10};
    box.Expand(more);
    EXPECT_EQ(box.minX, -1);
    EXPECT_EQ(box.minY, 4);
    EXPECT_EQ(box.maxX, 5);
    EXPECT_EQ(box.maxY, 10);
}

TEST(DsBox2DTest, OffsetRoundsOutwards)
{
    SDsBox2D empty;
    empty.SetEmpty();
    empty.Offset(2.5f, 3.5f);
    EXPECT_EQ(empty.minX, 2);
    EXPECT_EQ(empty.minY, 3);
    EXPECT_EQ(empty.maxX, 2);
    EXPECT_EQ(empty.maxY, 3);

    SDsBox2D box = {0, 0, 10, 10};
    box.Offset(0.5f, 0.5f);
    EXPECT_EQ(box.minX, 0);
    EXPECT_EQ(box.minY, 0);
    EXPECT_EQ(box.maxX, 11);
    EXPECT_EQ(box.maxY, 11);

    box.Offset(NAN, 1.0f);
    EXPECT_EQ(box.maxX, 11);
}

TEST(DsRectangle3dTest, DerivesTheFourthCornerAndTransforms)
{
    const CDsRectangle3d none;
    for (int i = 0; i < 12; ++i) EXPECT_EQ(none.GetPositions()[i], 0.0f);

    CDsRectangle3d r(SPAposition(1, 1, 0), SPAposition(4, 1, 0), SPAposition(1, 3, 0));
    const float* opposite = r.GetPosition(eDsRectangle3dOpposite);
    EXPECT_FLOAT_EQ(opposite[0], 4.0f);
    EXPECT_FLOAT_EQ(opposite[1], 3.0f);
    EXPECT_FLOAT_EQ(r.GetWidth(), 3.0f);
    EXPECT_FLOAT_EQ(r.GetHeight(), 2.0f);
    EXPECT_FLOAT_EQ(r.GetPositions()[6], 4.0f);  // corner 2 is the third of the four

    r.Transform(translate_transf(SPAvector(0, 0, 5)));
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(r.GetPosition(static_cast<EDsRectangle3dPosition>(i))[2], 5.0f);
    EXPECT_FLOAT_EQ(r.GetWidth(), 3.0f);

    const CDsRectangle3d copy = r;
    EXPECT_FLOAT_EQ(copy.GetPosition(eDsRectangle3dSecond)[1], 3.0f);
    // An index out of range reads the origin corner rather than memory outside the rectangle.
    EXPECT_EQ(r.GetPosition(static_cast<EDsRectangle3dPosition>(7)), r.GetPosition(eDsRectangle3dOrigin));
}
