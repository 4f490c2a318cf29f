// A polyline entry draws one line strip: its points, or its ellipse storage's points.
#include "VyrPolylineEntry.h"

#include "GlTestFixture.h"
#include "SpaGeometry.h"
#include "view3d.h"

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::ReadPixel;

TEST_F(GlTest, APolylineEntryDrawsItsPointsAsOneLineStrip)
{
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear({0, 0, 0});
    view3d view;
    CVyrPolylineEntry entry;
    // An L: along y = 20.5 from x = 10 to 150, then up x = 150.5 to y = 90.
    const double points[] = {10, 20.5, 0, 150.5, 20.5, 0, 150.5, 90, 0};
    entry.SetPoints(3, points);
    glColor3f(1, 1, 1);
    entry.DrawGl(view, false);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 80, 20), {255, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 150, 60), {255, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 80, 60), {0, 0, 0}));  // no closing segment
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 20), {0, 0, 0}));

    // Nothing to draw: an empty strip, no error.
    CVyrPolylineEntry empty;
    empty.DrawGl(view, false);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, APolylineEntryWithAnEllipseDrawsTheStoragesPoints)
{
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear({0, 0, 0});
    view3d view;
    CVyrPolylineEntry entry;
    // A half circle of radius 40 about (100, 10), above the centre.
    entry.SetEllipse(ellipse(SPAposition(100, 10, 0), SPAunit_vector(0, 0, 1), SPAvector(40, 0, 0), 1.0, 0.0), 0.0,
                     3.14159265358979323846);
    glColor3f(0, 1, 0);
    entry.DrawGl(view, false);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 49), {0, 255, 0}, 60) ||
                ColorNear(ReadPixel(GL_BACK, 100, 50), {0, 255, 0}, 60));  // the top of the arc
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 10), {0, 0, 0}));      // the centre stays dark
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 30), {0, 0, 0}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
