// Dynamic ellipses read back as pixels and as answers: the ring a circle lights at its radius in
// pixels, its move after a transformation, the points it reports, the shared vertex buffer, the
// auto-hide of the hidden-line segment, the lighting it leaves, and ellipses without storage or
// with a zero axis.
#include "DsColorStorage.h"
#include "DsEllipseStorage.h"
#include "DsHideLevel.h"
#include "DsItemEllipseDynamic.h"
#include "ItemViewFixture.h"

#include "SpaGeometry.h"
#include "pick_event.h"
#include "pick_manager.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A circle of `radius` about `centre` in the xy plane, from `start` to `end`.
CDsEllipseStorage* Circle(double radius, const SPAposition& centre = SPAposition(0, 0, 0), double start = 0.0,
                          double end = kTwoPi)
{
    const ellipse e(centre, SPAunit_vector(0, 0, 1), SPAvector(radius, 0, 0), 1.0, 0.0);
    return new CDsEllipseStorage(e, start, end);
}

class DsItemEllipseDynamicGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        CDsItemBase::sUnitsPerPixel = units_;
        CDsItemBase::sAutoHideEnabled = enabled_;
        CDsItemBase::sAutoHideLevel = level_;
        view_->pick_mode(0, 0, 0, 0, 0);
        ItemViewTest::TearDown();
    }
    // Lit pixels and how many of them lie within `tolerance` of `radius` pixels from (cx, cy).
    void Ring(double cx, double cy, double radius, double tolerance, int& lit, int& onRing) const
    {
        const auto rgb = Picture();
        lit = onRing = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* p = &rgb[size_t((y * kSize + x) * 3)];
                if ((p[0] | p[1] | p[2]) <= 40) continue;
                ++lit;
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                onRing += std::fabs(d - radius) <= tolerance;
            }
    }
    float units_ = CDsItemBase::sUnitsPerPixel;
    bool enabled_ = CDsItemBase::sAutoHideEnabled;
    float level_ = CDsItemBase::sAutoHideLevel;
};

}  // namespace

TEST_F(DsItemEllipseDynamicGLTest, ACircleLightsARingAtItsRadiusInPixelsAndMovesWithATransformation)
{
    CDsItemEllipseDynamic circle(Circle(10));
    circle.SetColor(CDsColorStorage(255, 255, 255), false);
    circle.Refresh(*view_);
    int lit = 0, onRing = 0;
    Ring(50, 50, 40, 1.0, lit, onRing);
    EXPECT_GT(lit, 200);
    EXPECT_EQ(onRing, lit);

    SPAtransf move = translate_transf(SPAvector(2.5, 0, 0));
    circle.Transform(move);
    vyrtest::Clear(vyrtest::Rgb{0, 0, 0});
    circle.Refresh(*view_);
    Ring(60, 50, 40, 1.0, lit, onRing);
    EXPECT_GT(lit, 200);
    EXPECT_EQ(onRing, lit);

    SPAposition centre;
    ASSERT_TRUE(circle.GetPoint(CDsGeometry::ePpCenter, centre));
    EXPECT_NEAR(centre.x(), 2.5, 1e-9);
    SPAposition start;
    ASSERT_TRUE(circle.GetPoint(CDsGeometry::ePpStart, start));
    EXPECT_NEAR(start.x(), 12.5, 1e-6);
    EXPECT_FALSE(circle.GetPoint(CDsGeometry::eParameterPoints(3), start));
    EXPECT_FALSE(circle.GetPoint(CDsGeometry::eParameterPoints(16), start));
    EXPECT_EQ(circle.GetDrawPrimitives(), 0x1002);

    SPAbox box;
    ASSERT_TRUE(circle.GetBoundBox(box));
    EXPECT_NEAR(box.low().x(), -7.5, 0.01);
    EXPECT_NEAR(box.high().x(), 12.5, 0.01);
}

TEST_F(DsItemEllipseDynamicGLTest, TheSharedVertexBufferGrowsToTheLargestRequestAndIsReused)
{
    float* grown = CDsItemEllipseDynamic::StGetVerticesBuffer(500);
    ASSERT_NE(grown, nullptr);
    const int capacity = CDsItemEllipseDynamic::StGetVerticesBufferCapacity();
    EXPECT_GE(capacity, 500);
    grown[3 * 499 + 2] = 1.0f;  // the whole room is there
    EXPECT_EQ(CDsItemEllipseDynamic::StGetVerticesBuffer(400), grown);
    EXPECT_EQ(CDsItemEllipseDynamic::StGetVerticesBufferCapacity(), capacity);

    // An item's vertices come in that buffer, converted from its tessellation.
    CDsItemEllipseDynamic circle(Circle(10));
    int count = 0;
    delete[] circle.GetPoints(count, view_.get());
    ASSERT_GT(count, 60);
    EXPECT_EQ(circle.GetVerticesCount(CDsGeometry::eDpLines), count);
    EXPECT_EQ(circle.GetVerticesCount(CDsGeometry::eDpFaces), 0);
    float* vertices = nullptr;
    int n = 0;
    EXPECT_EQ(circle.GetVertices(CDsGeometry::eDpLines, 0, vertices, n), -1);
    EXPECT_EQ(vertices, grown);
    EXPECT_EQ(n, count);
    EXPECT_NEAR(vertices[0], 10.0f, 1e-4f);
    EXPECT_NEAR(vertices[3 * (n - 1)], 10.0f, 1e-4f);
    EXPECT_EQ(CDsItemEllipseDynamic::StGetVerticesBufferCapacity(), capacity);
}

TEST_F(DsItemEllipseDynamicGLTest, OnlyTheHiddenLineSegmentIsAutoHiddenAndLightingIsPutBack)
{
    // Anything under 45 pixels is left out; the circle's major axis spans 40.
    CDsItemBase::StFastRefreshParameters(0.25f, true, 0.45f);
    ASSERT_TRUE(CDsItemBase::sAutoHideEnabled);
    CDsItemEllipseDynamic plain(Circle(10));
    CDsItemHlSegmentEllipseDynamic segment(Circle(10));
    EXPECT_EQ(segment.GetItemType(), eDsItemHlSegmentEllipseDynamic);
    glColor3f(1, 1, 1);
    segment.DrawGl(*view_);
    EXPECT_EQ(LitCount(), 0);
    const GLboolean normalize = glIsEnabled(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    plain.DrawGl(*view_);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GLboolean(GL_TRUE));
    EXPECT_EQ(glIsEnabled(GL_NORMALIZE), normalize);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    plain.DrawGl(*view_);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GLboolean(GL_FALSE));
    EXPECT_EQ(glIsEnabled(GL_NORMALIZE), GLboolean(GL_FALSE));
    if (normalize) glEnable(GL_NORMALIZE);
    EXPECT_GT(LitCount(), 200);

    // A larger segment is drawn.
    vyrtest::Clear(vyrtest::Rgb{0, 0, 0});
    CDsItemHlSegmentEllipseDynamic large(Circle(12));
    large.DrawGl(*view_);
    EXPECT_GT(LitCount(), 0);
}

TEST_F(DsItemEllipseDynamicGLTest, APickFindsTheCurveAndTheCentreButNotTheInside)
{
    CDsItemEllipseDynamic circle(Circle(10));
    // The circle crosses pixel (90, 50); its centre is pixel (50, 50).
    view_->pick_mode(1, 90, 49, 5, 5);
    EXPECT_TRUE(circle.Pick(view_.get()));
    view_->pick_mode(1, 50, 49, 5, 5);
    EXPECT_TRUE(circle.Pick(view_.get()));
    view_->pick_mode(1, 70, 49, 5, 5);
    EXPECT_FALSE(circle.Pick(view_.get()));
    EXPECT_FALSE(circle.Pick(static_cast<view3d*>(nullptr)));

    view_->pick_mode(1, 90, 49, 5, 5);
    const pick_event event(90, 49, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    // The segments' screen rectangles, as the synchronisation gives them.
    CDsItemHlSegmentEllipseDynamic segment(Circle(10));
    segment.ComputeBounds2D(view_.get());
    EXPECT_TRUE(segment.Pick(&manager));
    CDsItemHlSegmentEllipseDynamic away(Circle(2, SPAposition(-10, -10, 0)));
    away.ComputeBounds2D(view_.get());
    EXPECT_FALSE(away.Pick(&manager));
    segment.SetAttribute(CDsHideLevel(EDsHideLevel(2)), true, false);
    segment.SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    EXPECT_FALSE(segment.Pick(&manager));
}

TEST_F(DsItemEllipseDynamicGLTest, EllipsesWithoutStorageOrWithAZeroAxisDrawNothing)
{
    CDsItemEllipseDynamic none(nullptr);
    CDsItemEllipseDynamic flat(new CDsEllipseStorage(
        ellipse(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(0, 0, 0), 1.0, 0.0), 0.0, kTwoPi));
    CDsItemEllipseDynamic thin(new CDsEllipseStorage(
        ellipse(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(10, 0, 0), 0.0, 0.0), 0.0, kTwoPi));
    CDsItemEllipseDynamic wild(new CDsEllipseStorage(
        ellipse(SPAposition(NAN, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(10, 0, 0), 1.0, 0.0), 0.0, kTwoPi));
    for (CDsItemEllipseDynamic* item : {&none, &flat, &thin, &wild}) {
        glColor3f(1, 1, 1);
        item->DrawGl(*view_);
        item->DrawOnTraverse(*view_, CDsGeometry::eDpLines, false);
        item->Plot(*view_);
        CDsBox box;
        item->ExpandBox(box, nullptr);
        EXPECT_TRUE(box.IsNotComputed());
        int count = -1;
        EXPECT_EQ(item->GetPoints(count, view_.get()), nullptr);
        SPAposition p;
        EXPECT_FALSE(item->GetPoint(CDsGeometry::ePpStart, p));
        EXPECT_FALSE(item->Pick(view_.get()));
    }
    EXPECT_EQ(LitCount(), 0);
}
