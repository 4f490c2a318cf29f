// CDsMatrix applied to the modelview matrix of a real OpenGL context.
#include "DsMatrix.h"

#include "GlTestFixture.h"

#include <SpaValues.h>

#include <gtest/gtest.h>

namespace {

class DsMatrixGLTest : public vyrtest::GlTest {};

GLint ModelviewDepth()
{
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

}  // namespace

TEST_F(DsMatrixGLTest, MultipliesAScaleAndTranslationOntoTheModelview)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    CDsMatrix m;
    m.SetTransformation(scale_transf(2.0) * translate_transf(SPAvector(1, 2, 3)));
    m.GlMultiply();
    EXPECT_EQ(ModelviewDepth(), 2);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_FLOAT_EQ(mv[0], 2.0f);
    EXPECT_FLOAT_EQ(mv[5], 2.0f);
    EXPECT_FLOAT_EQ(mv[10], 2.0f);
    EXPECT_FLOAT_EQ(mv[15], 1.0f);
    EXPECT_FLOAT_EQ(mv[12], 1.0f);
    EXPECT_FLOAT_EQ(mv[13], 2.0f);
    EXPECT_FLOAT_EQ(mv[14], 3.0f);
    EXPECT_FLOAT_EQ(mv[1], 0.0f);
    glPopMatrix();
    EXPECT_EQ(ModelviewDepth(), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DsMatrixGLTest, TheIdentityPushesNothing)
{
    glMatrixMode(GL_PROJECTION);  // GlMultiply must not even switch the matrix mode
    CDsMatrix absent;
    absent.GlMultiply();
    CDsMatrix reset;
    reset.SetIdentity();
    reset.GlMultiply();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(ModelviewDepth(), 1);
}

TEST_F(DsMatrixGLTest, AFloatOnlyMatrixIsApplied)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    CDsMatrix m;
    m.SetMatrix(moved);
    ASSERT_FALSE(m.IsIdentity());
    m.GlMultiply();
    EXPECT_EQ(ModelviewDepth(), 2);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_FLOAT_EQ(mv[12], 5.0f);
    EXPECT_FLOAT_EQ(mv[14], 7.0f);
    glPopMatrix();
}
