// Windows, contexts, buffers and pbuffers of the Windows stand-in, checked by
// reading GL buffers back.
#include "GlTestFixture.h"
#include "ScopedEnv.h"

#include <GL/glext.h>

#include <cstdlib>
#include <string>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::GlWindow;
using vyrtest::MeanColor;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::FillRect;
using vyrtest::SetPixelProjection;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

}  // namespace

TEST_F(GlTest, SwapBuffersCopiesBackToFrontAndKeepsBack) {
    SetPixelProjection(200, 100);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kRed);
    ASSERT_TRUE(SwapBuffers(window_->dc));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, 200, 100), kRed));

    // A highlight drawn straight into the front buffer shows over the picture...
    glDrawBuffer(GL_FRONT);
    FillRect(kGreen, 20, 20, 50, 50);
    glFlush();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 40, 40), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 150, 80), kRed));
    // ...while the back buffer still holds the picture, which restores it.
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 40, 40), kRed));
    glReadBuffer(GL_BACK);
    glRasterPos2i(0, 0);
    glCopyPixels(0, 0, 200, 100, GL_COLOR);
    glFlush();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 40, 40), kRed));
}

TEST_F(GlTest, SwapBuffersRestoresReadDrawBuffersAndScissor) {
    glDrawBuffer(GL_FRONT_AND_BACK);
    glReadBuffer(GL_FRONT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 10, 10);
    vyrtest::Clear(kBlue);
    ASSERT_TRUE(SwapBuffers(window_->dc));
    GLint draw = 0, read = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &draw);
    glGetIntegerv(GL_READ_BUFFER, &read);
    EXPECT_EQ(draw, GL_FRONT_AND_BACK);
    EXPECT_EQ(read, GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    glDisable(GL_SCISSOR_TEST);
    // The swap itself is not scissored: the whole back buffer reached the front.
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kYellow);
    SwapBuffers(window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 150, 80), kYellow));
}

TEST(WindowGLTest, DisplayListCompiledInOneContextReplaysInAnother) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlWindow first(100, 100), second(100, 100);
    ASSERT_TRUE(first.Valid() && second.Valid());
    ASSERT_TRUE(wglShareLists(first.context, second.context));

    ASSERT_TRUE(first.MakeCurrent());
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();

    ASSERT_TRUE(second.MakeCurrent());
    EXPECT_TRUE(glIsList(list));
    vyrtest::Clear(kRed);
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), kGreen));
    glDeleteLists(list, 1);
}

// As WGL, a context can join another's display-list space only while it holds no lists of its
// own: a new context may be current (the core clears it first) but not one that was used before
// or already shares a space. A caller that swaps the two contexts is caught.
TEST(WindowGLTest, ShareListsTakesOnlyASecondContextThatHoldsNoLists) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlWindow older(60, 60, false), newer(60, 60, false), fresh(60, 60, false), used(60, 60, false);
    ASSERT_TRUE(older.Valid() && newer.Valid() && fresh.Valid() && used.Valid());
    ASSERT_TRUE(older.MakeCurrent());
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();

    // The core's order: the new context is made current and cleared, then joins the older one.
    ASSERT_TRUE(newer.MakeCurrent());
    vyrtest::Clear(kRed);
    EXPECT_TRUE(wglShareLists(older.context, newer.context));
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 30), kGreen));
    EXPECT_TRUE(wglShareLists(older.context, newer.context));  // the same space again: nothing changes
    EXPECT_TRUE(wglShareLists(newer.context, older.context));

    // The arguments swapped: the older context holds lists, so it cannot join the fresh one.
    SetLastError(0);
    EXPECT_FALSE(wglShareLists(fresh.context, older.context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    // A context that shares a space keeps it.
    SetLastError(0);
    EXPECT_FALSE(wglShareLists(fresh.context, newer.context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    // A context that was current before and left may have made lists.
    ASSERT_TRUE(used.MakeCurrent());
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(wglShareLists(older.context, used.context));
    // A fresh one joins, current or not.
    EXPECT_TRUE(wglShareLists(older.context, fresh.context));

    SetLastError(0);
    EXPECT_FALSE(wglShareLists(older.context, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(older.MakeCurrent());
    glDeleteLists(list, 1);
}

TEST(WindowGLTest, OneContextOnTwoWindowsKeepsEachBackBuffer) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlWindow a(120, 80), b(120, 80);
    ASSERT_TRUE(a.Valid() && b.Valid());
    ASSERT_TRUE(wglMakeCurrent(a.dc, a.context));
    vyrtest::Clear(kRed);
    ASSERT_TRUE(wglMakeCurrent(b.dc, a.context));  // the same context on the other window
    EXPECT_EQ(wglGetCurrentDC(), b.dc);
    EXPECT_EQ(wglGetCurrentContext(), a.context);
    vyrtest::Clear(kGreen);
    ASSERT_TRUE(wglMakeCurrent(a.dc, a.context));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 60, 40), kRed));
    ASSERT_TRUE(wglMakeCurrent(b.dc, a.context));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 60, 40), kGreen));

    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentDC(), nullptr);
}

TEST(WindowGLTest, PbufferAndWindowEachKeepTheirClearColour) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlWindow view(100, 100);
    ASSERT_TRUE(view.Valid());
    ASSERT_TRUE(view.MakeCurrent());
    const int attributes[] = {WGL_DRAW_TO_PBUFFER_ARB, TRUE, WGL_DEPTH_BITS_ARB, 24, 0};
    int format = 0;
    UINT count = 0;
    ASSERT_TRUE(wglChoosePixelFormatARB(view.dc, attributes, nullptr, 1, &format, &count));
    ASSERT_EQ(count, 1u);
    HPBUFFERARB pbuffer = wglCreatePbufferARB(view.dc, format, 64, 32, nullptr);
    ASSERT_NE(pbuffer, nullptr);
    HDC pdc = wglGetPbufferDCARB(pbuffer);
    HGLRC pcontext = wglCreateContext(pdc);
    ASSERT_NE(pcontext, nullptr);
    int width = 0, height = 0, lost = 1;
    EXPECT_TRUE(wglQueryPbufferARB(pbuffer, WGL_PBUFFER_WIDTH_ARB, &width));
    EXPECT_TRUE(wglQueryPbufferARB(pbuffer, WGL_PBUFFER_HEIGHT_ARB, &height));
    EXPECT_TRUE(wglQueryPbufferARB(pbuffer, WGL_PBUFFER_LOST_ARB, &lost));
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(lost, 0);

    ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
    vyrtest::Clear(kBlue);
    ASSERT_TRUE(view.MakeCurrent());
    vyrtest::Clear(kYellow);
    ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 15), kBlue));
    ASSERT_TRUE(view.MakeCurrent());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), kYellow));

    wglMakeCurrent(nullptr, nullptr);
    EXPECT_TRUE(wglDeleteContext(pcontext));
    EXPECT_EQ(wglReleasePbufferDCARB(pbuffer, pdc), 1);
    EXPECT_TRUE(wglDestroyPbufferARB(pbuffer));
    EXPECT_FALSE(wglDestroyPbufferARB(pbuffer));
}

TEST_F(GlTest, PbufferBoundAsTextureDrawsItsPicture) {
    auto createPbuffer = reinterpret_cast<PFNWGLCREATEPBUFFERARBPROC>(wglGetProcAddress("wglCreatePbufferARB"));
    auto bindTexImage = reinterpret_cast<PFNWGLBINDTEXIMAGEARBPROC>(wglGetProcAddress("wglBindTexImageARB"));
    ASSERT_TRUE(createPbuffer && bindTexImage);
    const int attributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGB_ARB, WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
                              0};
    HPBUFFERARB pbuffer = createPbuffer(window_->dc, 1, 32, 32, attributes);
    ASSERT_NE(pbuffer, nullptr);
    HDC pdc = wglGetPbufferDCARB(pbuffer);
    ASSERT_TRUE(wglMakeCurrent(pdc, window_->context));
    vyrtest::Clear(kGreen);
    ASSERT_TRUE(SwapBuffers(pdc));

    ASSERT_TRUE(window_->MakeCurrent());
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    ASSERT_TRUE(bindTexImage(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(wglGetCurrentDC(), window_->dc);

    vyrtest::Clear(kRed);
    SetPixelProjection(200, 100);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2i(0, 0);
    glTexCoord2f(1, 0); glVertex2i(100, 0);
    glTexCoord2f(1, 1); glVertex2i(100, 100);
    glTexCoord2f(0, 1); glVertex2i(0, 100);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 150, 50), kRed));
    EXPECT_TRUE(wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
    glDeleteTextures(1, &texture);
    EXPECT_TRUE(wglDestroyPbufferARB(pbuffer));
}

TEST_F(GlTest, PbufferMipmapLevelChoosesTheLevelABindFills) {
    auto setAttrib = reinterpret_cast<PFNWGLSETPBUFFERATTRIBARBPROC>(wglGetProcAddress("wglSetPbufferAttribARB"));
    ASSERT_NE(setAttrib, nullptr);
    const int attributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGB_ARB, WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
                              0};
    HPBUFFERARB pbuffer = wglCreatePbufferARB(window_->dc, 1, 16, 16, attributes);
    ASSERT_NE(pbuffer, nullptr);
    HDC pdc = wglGetPbufferDCARB(pbuffer);
    ASSERT_TRUE(wglMakeCurrent(pdc, window_->context));
    vyrtest::Clear(kBlue);
    ASSERT_TRUE(SwapBuffers(pdc));
    ASSERT_TRUE(window_->MakeCurrent());

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const int level1[] = {WGL_MIPMAP_LEVEL_ARB, 1, 0};
    ASSERT_TRUE(setAttrib(pbuffer, level1));
    ASSERT_TRUE(wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB));
    GLint width0 = -1, width1 = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width1);
    EXPECT_EQ(width0, 0);   // level 0 untouched
    EXPECT_EQ(width1, 16);  // the picture went to level 1

    // Refused: other attributes, negative levels, a pbuffer that is no texture.
    const int cube[] = {WGL_CUBE_MAP_FACE_ARB, 0, 0};
    const int negative[] = {WGL_MIPMAP_LEVEL_ARB, -1, 0};
    EXPECT_FALSE(setAttrib(pbuffer, cube));
    EXPECT_FALSE(setAttrib(pbuffer, negative));
    HPBUFFERARB plain = wglCreatePbufferARB(window_->dc, 1, 8, 8, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(setAttrib(plain, level1));
    EXPECT_TRUE(wglDestroyPbufferARB(plain));
    EXPECT_TRUE(wglDestroyPbufferARB(pbuffer));
    EXPECT_FALSE(setAttrib(pbuffer, level1));
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, FormatAttributesAsFloatsMatchTheIntegers) {
    auto attribfv =
        reinterpret_cast<PFNWGLGETPIXELFORMATATTRIBFVARBPROC>(wglGetProcAddress("wglGetPixelFormatAttribfvARB"));
    ASSERT_NE(attribfv, nullptr);
    const int asked[] = {WGL_COLOR_BITS_ARB, WGL_DEPTH_BITS_ARB, WGL_DOUBLE_BUFFER_ARB, WGL_RED_SHIFT_ARB};
    int integers[4] = {};
    FLOAT floats[4] = {};
    ASSERT_TRUE(wglGetPixelFormatAttribivARB(window_->dc, 1, 0, 4, asked, integers));
    ASSERT_TRUE(attribfv(window_->dc, 1, 0, 4, asked, floats));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(floats[i], FLOAT(integers[i])) << "attribute " << asked[i];
    EXPECT_EQ(floats[0], 24.0f);
    const int unknown[] = {0x7777};
    EXPECT_FALSE(attribfv(window_->dc, 1, 0, 1, unknown, floats));
    EXPECT_FALSE(attribfv(window_->dc, 3, 0, 1, asked, floats));  // formats 1 (windows) and 2 (bitmaps)
    EXPECT_FALSE(attribfv(window_->dc, 1, 0, 1, asked, nullptr));
}

TEST_F(GlTest, ExtensionStringCanBeChosenThroughTheEnvironment) {
    const std::string usual = wglGetExtensionsStringARB(window_->dc);
    EXPECT_NE(usual.find("WGL_ARB_render_texture"), std::string::npos);
    {
        vyrtest::ScopedEnv chosen("VYR_WGL_EXTENSIONS", "WGL_ARB_extensions_string WGL_ARB_pixel_format");
        EXPECT_STREQ(wglGetExtensionsStringARB(window_->dc), "WGL_ARB_extensions_string WGL_ARB_pixel_format");
        EXPECT_NE(wglGetProcAddress("wglCreatePbufferARB"), nullptr);  // entry points stay
    }
    EXPECT_EQ(wglGetExtensionsStringARB(window_->dc), usual);
}

TEST_F(GlTest, ContextsAreCompatibilityContextsReleasedWithoutAFlushOfTheirOwn) {
    // The fixed-function pipeline and the ARB programs the core uses need a compatibility context.
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_NE(version.find("Compatibility"), std::string::npos) << version;
    EXPECT_GE(std::atof(version.c_str()), 2.0) << version;
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_EQ(profile, GL_CONTEXT_COMPATIBILITY_PROFILE_BIT);
    // A switch flushes what was drawn into a window itself, and not what was drawn into a pbuffer,
    // whose front buffer nobody shows: the context must not flush on every release.
    const std::string extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions.find("GL_KHR_context_flush_control") != std::string::npos) {
        GLint release = -1;
        glGetIntegerv(GL_CONTEXT_RELEASE_BEHAVIOR, &release);
        EXPECT_EQ(release, GL_NONE);
    }
}

TEST_F(GlTest, ResizedWindowDrawsAtItsNewSize) {
    ASSERT_TRUE(MoveWindow(window_->window, 0, 0, 300, 150, TRUE));
    RECT client{};
    ASSERT_TRUE(GetClientRect(window_->window, &client));
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 150);
    EXPECT_EQ(wglGetCurrentContext(), window_->context);  // still current after the resize
    glViewport(0, 0, 300, 150);
    vyrtest::Clear(kBlue);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 290, 140), kBlue));
    ASSERT_TRUE(SwapBuffers(window_->dc));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 290, 140), kBlue));
}

TEST_F(GlTest, PixelFormatIsTheOneDescribed) {
    PIXELFORMATDESCRIPTOR pfd{};
    EXPECT_EQ(DescribePixelFormat(window_->dc, 1, sizeof pfd, &pfd), 2);  // windows' and bitmaps' formats
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_FALSE(pfd.dwFlags & PFD_NEED_PALETTE);
    EXPECT_TRUE(pfd.dwFlags & PFD_DRAW_TO_WINDOW);
    EXPECT_EQ(pfd.cColorBits, 24);
    EXPECT_EQ(pfd.cDepthBits, 32);
    EXPECT_EQ(GetPixelFormat(window_->dc), 1);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_EQ(depthBits, pfd.cDepthBits);

    // No format has alpha, so a request for it finds none; a request within the format finds it.
    const int withAlpha[] = {WGL_SUPPORT_OPENGL_ARB, TRUE, WGL_ALPHA_BITS_ARB, 8, 0};
    const int plain[] = {WGL_SUPPORT_OPENGL_ARB, TRUE, WGL_DOUBLE_BUFFER_ARB, TRUE, WGL_COLOR_BITS_ARB, 24, 0};
    int format = 0;
    UINT count = 7;
    ASSERT_TRUE(wglChoosePixelFormatARB(window_->dc, withAlpha, nullptr, 1, &format, &count));
    EXPECT_EQ(count, 0u);
    ASSERT_TRUE(wglChoosePixelFormatARB(window_->dc, plain, nullptr, 1, &format, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(format, 1);
    const int asked[] = {WGL_NUMBER_PIXEL_FORMATS_ARB, WGL_DEPTH_BITS_ARB, WGL_DRAW_TO_PBUFFER_ARB};
    int values[3] = {};
    ASSERT_TRUE(wglGetPixelFormatAttribivARB(window_->dc, 1, 0, 3, asked, values));
    EXPECT_EQ(values[0], 2);
    EXPECT_EQ(values[1], 32);
    EXPECT_EQ(values[2], TRUE);
    EXPECT_NE(std::string(wglGetExtensionsStringARB(window_->dc)).find("WGL_ARB_pbuffer"), std::string::npos);
    EXPECT_NE(wglGetProcAddress("glBlitFramebuffer"), nullptr);
    EXPECT_EQ(wglGetProcAddress("wglNoSuchCall"), nullptr);
}

TEST(WindowGLTest, ContextNeedsAPixelFormatAndStaleHandlesFail) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    HWND window = CreateWindowExW(0, L"x", L"", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC dc = GetDC(window);
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.iPixelType = PFD_TYPE_RGBA;
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    // Destroying the window releases the context that was current on it.
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(wglMakeCurrent(dc, context));
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_FALSE(wglDeleteContext(context));
}

// The lasting context is one for the process: it draws into any window, shares the lists of
// the others, survives the windows it was current on and cannot be deleted.
TEST(WindowGLTest, LastingContextIsOneForTheProcessAndSurvivesItsWindows) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    HGLRC lasting = VyrGetLastingContext();
    ASSERT_NE(lasting, nullptr);
    EXPECT_EQ(VyrGetLastingContext(), lasting);
    GLuint list = 0;
    {
        GlWindow first(60, 40, false);
        ASSERT_TRUE(first.Valid());
        ASSERT_TRUE(first.MakeCurrent());
        list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEndList();
        ASSERT_TRUE(wglMakeCurrent(first.dc, lasting));
        EXPECT_EQ(wglGetCurrentContext(), lasting);
        EXPECT_TRUE(glIsList(list));
    }  // the window goes while the lasting context is current on it
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    GlWindow second(60, 40, false);
    ASSERT_TRUE(second.Valid());
    ASSERT_TRUE(wglMakeCurrent(second.dc, lasting));
    SetPixelProjection(60, 40);
    vyrtest::Clear(kRed);
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 20), kGreen));
    SetLastError(0);
    EXPECT_FALSE(wglDeleteContext(lasting));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(wglGetCurrentContext(), lasting);
    glDeleteLists(list, 1);
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(wglMakeCurrent(second.dc, lasting));
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
}

TEST(WindowGLTest, MakeCurrentCountCountsEveryCallThatNamesAContext) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlWindow a(40, 30, false), b(40, 30, false);
    ASSERT_TRUE(a.Valid() && b.Valid());
    const UINT start = VyrGetMakeCurrentCount();
    ASSERT_TRUE(wglMakeCurrent(a.dc, a.context));
    ASSERT_TRUE(wglMakeCurrent(a.dc, a.context));  // already current: still a call to count
    ASSERT_TRUE(wglMakeCurrent(b.dc, b.context));
    EXPECT_FALSE(wglMakeCurrent(nullptr, b.context));  // a failed call counts too
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 4u);
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));  // releasing names no context
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 4u);
}

TEST(WindowGLTest, UpdateRectFollowsInvalidateAndValidate) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    HWND window = CreateWindowExW(0, L"x", L"", 0, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    RECT r{};
    EXPECT_FALSE(GetUpdateRect(window, &r, FALSE));  // hidden and never invalidated

    RECT a{10, 10, 50, 40}, b{100, 20, 300, 60};
    InvalidateRect(window, &a, FALSE);
    ASSERT_TRUE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{10, 10, 50, 40}));
    InvalidateRect(window, &b, FALSE);  // grows to the union, clipped to the client area
    ASSERT_TRUE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{10, 10, 200, 60}));

    RECT leftPart{0, 0, 100, 100};  // covers the whole left side of the region
    ValidateRect(window, &leftPart);
    ASSERT_TRUE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 10, 200, 60}));
    RECT middle{120, 30, 130, 40};  // a hole cannot be represented: the region stays
    ValidateRect(window, &middle);
    EXPECT_TRUE(GetUpdateRect(window, &r, FALSE));
    ValidateRect(window, nullptr);
    EXPECT_FALSE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ(r.right, 0);

    InvalidateRect(window, nullptr, TRUE);
    ASSERT_TRUE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    DestroyWindow(window);
    EXPECT_FALSE(GetUpdateRect(window, &r, FALSE));
}

TEST(WindowGLTest, TitleReachesTheWindowManagerAsUtf8) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    const wchar_t fromUtf16[] = {L'P', L'a', L'r', L't', L' ', 0xD83D, 0xDE00, 0};
    HWND window = CreateWindowExW(0, L"x", fromUtf16, 0, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    char bytes[64] = {};
    ASSERT_EQ(VyrGetWindowTitleBytes(window, bytes, sizeof bytes), 9);
    EXPECT_EQ(std::string(bytes), "Part \xF0\x9F\x98\x80");  // one code point, as a log file shows it
    // The application still reads back the characters it set.
    wchar_t text[16] = {};
    EXPECT_EQ(GetWindowTextW(window, text, 16), 7);
    EXPECT_EQ(std::wstring(text), std::wstring(fromUtf16));

    // A lone surrogate is shown as the replacement character; a short buffer gets a prefix.
    const wchar_t lone[] = {L'a', 0xDE00, L'b', 0};
    ASSERT_TRUE(SetWindowTextW(window, lone));
    EXPECT_EQ(VyrGetWindowTitleBytes(window, bytes, sizeof bytes), 5);
    EXPECT_EQ(std::string(bytes), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(VyrGetWindowTitleBytes(window, bytes, 3), 5);
    EXPECT_EQ(std::string(bytes), "a\xEF");
    EXPECT_EQ(VyrGetWindowTitleBytes(window, nullptr, 0), 5);
    DestroyWindow(window);
    EXPECT_EQ(VyrGetWindowTitleBytes(window, bytes, sizeof bytes), -1);
}

TEST(WindowGLTest, WithoutADisplayCallsFailWithOneClearLine) {
    // A fresh process, so no X connection made earlier is inherited; the style goes back after,
    // as later tests of this process expect gtest's own.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":4711", 1);
            bool failed = CreateWindowExW(0, L"x", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr) == nullptr &&
                          GetDesktopWindow() == nullptr;
            std::exit(failed ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "cannot open X display \":4711\"");
    GTEST_FLAG_SET(death_test_style, style);
}
