// The two-dimensional overlay of the driver statics: pixels land where GL window coordinates
// put them, and the matrices come back as they were.
#include "DsDriverGl.h"
#include "GlTestFixture.h"

#include <gtest/gtest.h>

namespace {

using vyrtest::Rgb;

class DsDriverGl2dGLTest : public vyrtest::GlTest {};

bool SameMatrix(GLenum which, const GLdouble (&before)[16])
{
    GLdouble now[16];
    glGetDoublev(which, now);
    for (int i = 0; i < 16; ++i)
        if (now[i] != before[i]) return false;
    return true;
}

}  // namespace

TEST_F(DsDriverGl2dGLTest, OverlayPixelsCountFromTheLowerLeftAndTheMatricesComeBack)
{
    const int w = window_->width, h = window_->height;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 0);
    GLdouble projection[16], modelView[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glEnable(GL_DEPTH_TEST);
    vyrtest::Clear(Rgb{0, 0, 0});

    CDsDriverGl::Start2dDraw(w, h);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    // A quad over the pixels (10..29, 5..14) from the lower left.
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);
    glVertex2i(10, 5);
    glVertex2i(30, 5);
    glVertex2i(30, 15);
    glVertex2i(10, 15);
    glEnd();
    CDsDriverGl::End2dDraw();
    glFinish();

    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::ReadPixel(GL_BACK, 20, 10), Rgb{255, 0, 0}));
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::ReadPixel(GL_BACK, 20, h - 1 - 10), Rgb{0, 0, 0}));
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::ReadPixel(GL_BACK, 35, 10), Rgb{0, 0, 0}));
    EXPECT_TRUE(SameMatrix(GL_PROJECTION_MATRIX, projection));
    EXPECT_TRUE(SameMatrix(GL_MODELVIEW_MATRIX, modelView));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}
