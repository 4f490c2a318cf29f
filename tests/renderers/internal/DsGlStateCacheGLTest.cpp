// The state cache with a real context: what it sends reaches OpenGL (the seam starts on the real
// entry points), materials read back from OpenGL, and the depth layers keep special, on-top and
// thin items in front of everything drawn over the whole range, whatever their depth and order.
#include "DsGlSeam.h"
#include "DsGlStateCache.h"

#include "GlTestFixture.h"

#include <gtest/gtest.h>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class GlStateCacheGLTest : public vyrtest::GlTest {
protected:
    static float Float(GLenum name)
    {
        GLfloat value = -1.0f;
        glGetFloatv(name, &value);
        return value;
    }
    static int Integer(GLenum name)
    {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    }
    static void Material(GLenum face, GLenum name, GLfloat out[4])
    {
        out[0] = out[1] = out[2] = out[3] = -1.0f;
        glGetMaterialfv(face, name, out);
    }
};

// A rectangle in pixels at depth `z` (near +1, far -1) under a pixel projection.
void Rect(float x0, float y0, float x1, float y1, float z)
{
    glBegin(GL_QUADS);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

}  // namespace

TEST_F(GlStateCacheGLTest, WhatTheCacheSendsIsWhatOpenGLHolds)
{
    ASSERT_EQ(gDsGl.Color3ub, DsRealGlSeam().Color3ub);
    glColor3f(0.5f, 0.5f, 0.5f);
    glLineWidth(4.0f);
    glDepthRange(0.3, 0.6);
    glLineStipple(5, 0x00FF);
    glPolygonOffset(3.0f, 3.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);

    CDsGlStateCache cache;
    cache.Reset();
    GLfloat color[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 0.0f);
    EXPECT_FLOAT_EQ(color[1], 0.0f);
    EXPECT_FLOAT_EQ(color[2], 0.0f);
    EXPECT_FLOAT_EQ(Float(GL_LINE_WIDTH), 1.0f);
    GLfloat range[2] = {-1, -1};
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[0], 0.0f);
    EXPECT_FLOAT_EQ(range[1], 1.0f);
    EXPECT_EQ(Integer(GL_LINE_STIPPLE_REPEAT), 1);
    EXPECT_EQ(Integer(GL_LINE_STIPPLE_PATTERN), 0xFFFF);
    EXPECT_FLOAT_EQ(Float(GL_POLYGON_OFFSET_FACTOR), 0.0f);
    EXPECT_FLOAT_EQ(Float(GL_POLYGON_OFFSET_UNITS), 0.0f);
    GLint modes[2] = {-1, -1};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_EQ(modes[1], GL_FILL);

    cache.SetColor(0x00336699);
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_NEAR(color[0], 0x99 / 255.0f, 1e-6);
    EXPECT_NEAR(color[1], 0x66 / 255.0f, 1e-6);
    EXPECT_NEAR(color[2], 0x33 / 255.0f, 1e-6);
    cache.SetLineWidth(3);
    EXPECT_FLOAT_EQ(Float(GL_LINE_WIDTH), 3.0f);
    glDisable(GL_DEPTH_TEST);
    cache.SetDepthLayer(2);
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_NEAR(range[0], 0.00002, 1e-9);
    EXPECT_NEAR(range[1], 0.00003, 1e-9);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    cache.SetLineStipple(3, 0x0F0F);
    EXPECT_EQ(Integer(GL_LINE_STIPPLE_REPEAT), 3);
    EXPECT_EQ(Integer(GL_LINE_STIPPLE_PATTERN), 0x0F0F);
    cache.SetPolygonOffset(2.0f, 1.0f);
    EXPECT_FLOAT_EQ(Float(GL_POLYGON_OFFSET_FACTOR), 2.0f);
    EXPECT_FLOAT_EQ(Float(GL_POLYGON_OFFSET_UNITS), 1.0f);
    DsGlSetEnabled(GL_LINE_STIPPLE, true);
    EXPECT_TRUE(glIsEnabled(GL_LINE_STIPPLE));
    DsGlSetEnabled(GL_LINE_STIPPLE, false);
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
    DsSetColor(nullptr, 0x00FF0000);
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[2], 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlStateCacheGLTest, AMaterialReadsBackOnBothFacesWithTheTwoSideModel)
{
    CDsGlStateCache cache;
    cache.Reset();
    GLfloat value[4];
    Material(GL_FRONT, GL_DIFFUSE, value);
    EXPECT_FLOAT_EQ(value[0], 0.0f);
    EXPECT_FLOAT_EQ(value[3], 0.0f);

    // (255, 128, 0) with alpha 128: each term the colour times its factor, alpha 128/255 fourth.
    const float factors[5] = {0.2f, 0.8f, 0.5f, 20.0f, 0.1f};
    DsSetGlMaterialIfChanged(&cache, 0x000080FF, 128, factors, 1);
    const struct {
        GLenum name;
        float factor;
    } terms[] = {{GL_AMBIENT, 0.2f}, {GL_DIFFUSE, 0.8f}, {GL_SPECULAR, 0.5f}, {GL_EMISSION, 0.1f}};
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (const auto& term : terms) {
            Material(face, term.name, value);
            EXPECT_NEAR(value[0], term.factor, 1e-5) << face << " " << term.name;
            EXPECT_NEAR(value[1], 128 / 255.0f * term.factor, 1e-5) << face << " " << term.name;
            EXPECT_NEAR(value[2], 0.0f, 1e-6) << face << " " << term.name;
            EXPECT_NEAR(value[3], 128 / 255.0f, 1e-5) << face << " " << term.name;
        }
        Material(face, GL_SHININESS, value);
        EXPECT_FLOAT_EQ(value[0], 20.0f) << face;
    }
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), GL_TRUE);

    DsSetGlMaterialIfChanged(&cache, 0x000080FF, 128, factors, 0);
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), GL_FALSE);
    DsSetGlMaterialIfChanged(&cache, 0x00FF0000, 255, factors, 0);
    Material(GL_BACK, GL_DIFFUSE, value);
    EXPECT_NEAR(value[0], 0.0f, 1e-6);
    EXPECT_NEAR(value[2], 0.8f, 1e-5);
    EXPECT_NEAR(value[3], 1.0f, 1e-6);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Nested rectangles drawn innermost first, each nearer the eye than the one before, and last a
// rectangle over the whole window nearest of all but in the full range: every layer stays in front
// of the full range, and layer 0 in front of 1 in front of 2, whatever the depth and the order.
TEST_F(GlStateCacheGLTest, DepthLayersKeepSpecialOnTopAndThinItemsInFrontOfTheFullRange)
{
    vyrtest::SetPixelProjection(200, 100);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);  // the first layer turns it on

    CDsGlStateCache cache;
    cache.Reset();
    cache.SetDepthLayer(eDsDepthLayerSpecial);
    cache.SetColor(0x00FFFFFF);
    Rect(60, 20, 140, 80, -0.9f);
    cache.SetDepthLayer(eDsDepthLayerOnTop);
    cache.SetColor(0x00FF0000);
    Rect(40, 10, 160, 90, 0.5f);
    cache.SetDepthLayer(eDsDepthLayerThin);
    cache.SetColor(0x0000FF00);
    Rect(20, 5, 180, 95, 0.8f);
    cache.SetDepthLayer(eDsDepthLayerFull);
    cache.SetColor(0x000000FF);
    Rect(0, 0, 200, 100, 0.99f);

    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), Rgb{255, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), Rgb{0, 0, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 50), Rgb{0, 255, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 50), Rgb{255, 0, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 98), Rgb{255, 0, 0}));
    glDepthRange(0.0, 1.0);
}

// The matrix entries of the real table, which the draw walk uses: each reaches its own OpenGL
// call (entries of one signature cannot be told apart by the compiler).
TEST_F(GlStateCacheGLTest, TheRealSeamsMatrixEntriesReachTheirOwnCalls)
{
    const SDsGlSeam& gl = gDsGl;
    GLfloat m[16];
    gl.MatrixMode(GL_PROJECTION);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0, 200, 0, 100, -1, 1);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 200);
    EXPECT_FLOAT_EQ(m[5], 2.0f / 100);
    EXPECT_FLOAT_EQ(m[12], -1.0f);

    gl.MatrixMode(GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    gl.LoadIdentity();
    const int depth = Integer(GL_MODELVIEW_STACK_DEPTH);
    gl.PushMatrix();
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), depth + 1);
    gl.Translatef(1.0f, 2.0f, 3.0f);
    const GLfloat scale[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    gl.MultMatrixf(scale);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f);
    EXPECT_FLOAT_EQ(m[12], 1.0f);
    EXPECT_FLOAT_EQ(m[13], 2.0f);
    EXPECT_FLOAT_EQ(m[14], 3.0f);
    gl.LoadIdentity();
    gl.LookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);  // the eye 5 along +z: the scene moves 5 away
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], -5.0f);
    gl.PopMatrix();
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), depth);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_FLOAT_EQ(m[14], 0.0f);

    gl.Enable(GL_CULL_FACE);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(gl.IsEnabled(GL_CULL_FACE), GL_TRUE);
    gl.Disable(GL_CULL_FACE);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    gl.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_LOCAL_VIEWER), GL_TRUE);
    gl.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    gl.PolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    GLint modes[2] = {-1, -1};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    gl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
