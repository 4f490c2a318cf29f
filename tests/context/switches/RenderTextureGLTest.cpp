// The driver statics in a program started with "/RenderPBufferByTexture": a pbuffer's picture is
// bound as a texture through the loaded entry points.
#include "../DriverGlFixture.h"

#include "DsManager.h"
#include "DsPBuffer.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class RenderTextureGLTest : public vyrtest::DriverGlTest {};

}  // namespace

TEST_F(RenderTextureGLTest, PbufferPictureIsBoundAsATexture)
{
    CDsManager::GetInstance()->InitExtensions();
    ASSERT_TRUE(CDsDriverGl::IsRenderTextureSupported());
    ASSERT_NE(CDsDriverGl::wglBindTexImageARB, nullptr);
    const int attributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGB_ARB, WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
                              0};
    HPBUFFERARB pbuffer = CDsDriverGl::CreatePBuffer(window_->dc, 1, 32, 32, attributes);
    ASSERT_NE(pbuffer, nullptr);
    HDC pdc = CDsDriverGl::GetPBufferDC(pbuffer);
    ASSERT_TRUE(wglMakeCurrent(pdc, window_->context));
    vyrtest::Clear(Rgb{0, 0, 255});
    ASSERT_TRUE(SwapBuffers(pdc));
    ASSERT_TRUE(window_->MakeCurrent());

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    const int level0[] = {WGL_MIPMAP_LEVEL_ARB, 0, 0};
    EXPECT_TRUE(CDsDriverGl::SetPbufferAttrib(pbuffer, level0));
    ASSERT_TRUE(CDsDriverGl::BindTexImage(pbuffer, WGL_FRONT_LEFT_ARB));
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(Rgb{255, 0, 0});
    const float p0[3] = {0, 0, 0}, p1[3] = {50, 0, 0}, p2[3] = {0, 50, 0}, p3[3] = {50, 50, 0};
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    CDsDriverGl::StDrawTexturedRectangle(p0, p1, p2, p3, 0, 1, 0, 1);
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 25), Rgb{0, 0, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 75, 25), Rgb{255, 0, 0}));
    EXPECT_TRUE(CDsDriverGl::ReleaseTexImage(pbuffer, WGL_FRONT_LEFT_ARB));
    glDeleteTextures(1, &texture);
    EXPECT_TRUE(CDsDriverGl::DestroyPBuffer(pbuffer));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTextureGLTest, SwitchAloneIsNotEnoughWithoutTheExtension)
{
    vyrtest::ScopedEnv extensions("VYR_WGL_EXTENSIONS",
                                  "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer");
    CDsManager::GetInstance()->InitExtensions();
    EXPECT_TRUE(CDsDriverGl::IsPBufSupported());
    EXPECT_FALSE(CDsDriverGl::IsRenderTextureSupported());
    EXPECT_NE(CDsDriverGl::wglCreatePbufferARB, nullptr);
    EXPECT_EQ(CDsDriverGl::wglBindTexImageARB, nullptr);
    EXPECT_FALSE(CDsDriverGl::BindTexImage(nullptr, WGL_FRONT_LEFT_ARB));
}

// A view's pbuffer in this program is made in the texture-bound format and its picture reaches
// the window as a textured quad, upright.
TEST_F(RenderTextureGLTest, AViewsPBufferIsDrawnBackAsATexture)
{
    vyrtest::ViewStaticsGuard statics;
    CDsManager::GetInstance()->InitExtensions();
    vyrtest::PlainWindow window(96, 64);
    CDsGlContext context;
    auto view = vyrtest::ViewOn(window, context, 96, 64);
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    CDsPBuffer* pbuffer = view->GetPBuffer();
    ASSERT_NE(pbuffer->GetDC(), nullptr);
    EXPECT_TRUE(DsIsPBufferFormatForTexture());
    EXPECT_TRUE(pbuffer->IsTexture());

    const HGLRC gl = wglGetCurrentContext();
    ASSERT_TRUE(wglMakeCurrent(pbuffer->GetDC(), gl));
    glDrawBuffer(GL_FRONT);
    vyrtest::SetPixelProjection(96, 64);
    vyrtest::Clear(Rgb{0, 255, 0});
    vyrtest::FillRect(Rgb{0, 0, 255}, 0, 32, 96, 32);
    glDrawBuffer(GL_BACK);
    ASSERT_TRUE(wglMakeCurrent(window.dc, gl));
    vyrtest::Clear(Rgb{255, 0, 0});
    glEnable(GL_LIGHTING);  // the quad's colour is the texture's whatever the lighting
    ASSERT_TRUE(pbuffer->DrawAsTexture(window.dc));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));      // the caller's switches come back
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 4, 4), Rgb{0, 255, 0}, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 90, 28), Rgb{0, 255, 0}, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 4, 60), Rgb{0, 0, 255}, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 90, 36), Rgb{0, 0, 255}, 8));
    GLint projectionDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    EXPECT_EQ(projectionDepth, 1);  // the 2-D set-up was popped
}
