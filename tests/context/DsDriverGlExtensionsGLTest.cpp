// Extensions of the driver statics: whole-name tests of the GL and WGL extension strings, the
// entry points the display manager loads, pbuffers and vertex buffers through them, what a
// driver without an extension answers, the start-up on the desktop window, and the palette that
// a true-colour window does not need.
#include "DriverGlFixture.h"

#include "DsManager.h"
#include "ScopedEnv.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsDriverGlExtensionsGLTest : public vyrtest::DriverGlTest {};

// Two triangles covering pixels 20..59 x 20..59 under a pixel projection, with normals.
const float kSquare[18] = {20, 20, 0, 60, 20, 0, 60, 60, 0, 20, 20, 0, 60, 60, 0, 20, 60, 0};
const float kNormals[18] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};

}  // namespace

TEST_F(DsDriverGlExtensionsGLTest, GlExtensionsMatchWholeNames)
{
    EXPECT_TRUE(CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_buffer"));      // a prefix
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported("ARB_vertex_buffer_object"));  // a suffix
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_buffer_object "));
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported(""));
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported(nullptr));
    EXPECT_TRUE(CDsDriverGl::IsVBOSupported());
}

TEST_F(DsDriverGlExtensionsGLTest, WglExtensionsMatchWholeNamesAndDecideThePbufferRoad)
{
    vyrtest::ScopedEnv extensions("VYR_WGL_EXTENSIONS", "WGL_ARB_pbuffer_extended WGL_ARB_pixel_format");
    // Before the string's entry point is loaded nothing is known, and nothing is decided.
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pixel_format"));
    EXPECT_FALSE(CDsDriverGl::IsPBufSupported());
    CDsDriverGl::InitGeneralExtensions();
    ASSERT_NE(CDsDriverGl::wglGetExtensionsStringARB, nullptr);
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pixel_format"));
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pbuffer"));  // only a longer name has it
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB"));
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported(nullptr));

    // Without pbuffers the pbuffer entry points stay unloaded and their wrappers answer null.
    EXPECT_FALSE(CDsDriverGl::IsPBufSupported());
    CDsDriverGl::InitPBufExtensions();
    EXPECT_EQ(CDsDriverGl::wglCreatePbufferARB, nullptr);
    EXPECT_EQ(CDsDriverGl::CreatePBuffer(window_->dc, 1, 16, 16, nullptr), nullptr);
    int value = -1;
    EXPECT_FALSE(CDsDriverGl::QueryPBuffer(nullptr, WGL_PBUFFER_WIDTH_ARB, &value));
    EXPECT_EQ(value, -1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlExtensionsGLTest, WglNamesAreFoundBetweenAnyRunOfBlanksAndNeverEmpty)
{
    vyrtest::ScopedEnv extensions("VYR_WGL_EXTENSIONS", "  WGL_ARB_pbuffer   WGL_ARB_pixel_format\tWGL_X  ");
    CDsDriverGl::InitGeneralExtensions();
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pbuffer"));
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pixel_format"));
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_X"));
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported(""));
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported(" "));
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pbuffer   WGL_ARB_pixel_format"));
    EXPECT_TRUE(CDsDriverGl::IsPBufSupported());
}

TEST_F(DsDriverGlExtensionsGLTest, PbufferRoadIsDecidedOnceTheStringIsKnown)
{
    EXPECT_FALSE(CDsDriverGl::IsPBufSupported());  // not yet known
    CDsDriverGl::InitGeneralExtensions();
    EXPECT_TRUE(CDsDriverGl::IsPBufSupported());
    {
        // Decided once: a later change of the string does not matter.
        vyrtest::ScopedEnv extensions("VYR_WGL_EXTENSIONS", "");
        EXPECT_TRUE(CDsDriverGl::IsPBufSupported());
    }
    // Render-to-texture needs the command-line switch, which this test program lacks.
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_render_texture"));
    EXPECT_FALSE(CDsDriverGl::IsRenderTextureSupported());
}

TEST_F(DsDriverGlExtensionsGLTest, ManagerLoadsTheEntryPointsAndPbuffersWorkThroughThem)
{
    CDsManager::GetInstance()->InitExtensions();
    EXPECT_NE(CDsDriverGl::glGenBuffersARB, nullptr);
    EXPECT_NE(CDsDriverGl::glDeleteBuffersARB, nullptr);
    EXPECT_NE(CDsDriverGl::wglCreatePbufferARB, nullptr);
    EXPECT_NE(CDsDriverGl::wglGetPixelFormatAttribfvARB, nullptr);
    EXPECT_EQ(CDsDriverGl::wglBindTexImageARB, nullptr);  // no "RenderPBufferByTexture"

    const int wanted[] = {WGL_DRAW_TO_PBUFFER_ARB, TRUE, WGL_COLOR_BITS_ARB, 24, 0};
    int format = 0;
    UINT count = 0;
    ASSERT_TRUE(CDsDriverGl::ChoosePixelFormat(window_->dc, wanted, nullptr, 1, &format, &count));
    ASSERT_EQ(count, 1u);
    const int asked[] = {WGL_DEPTH_BITS_ARB};
    int depth = 0;
    FLOAT depthF = 0;
    EXPECT_TRUE(CDsDriverGl::GetPixelFormatAttribiv(window_->dc, format, 0, 1, asked, &depth));
    EXPECT_TRUE(CDsDriverGl::GetPixelFormatAttribfv(window_->dc, format, 0, 1, asked, &depthF));
    EXPECT_EQ(FLOAT(depth), depthF);

    HPBUFFERARB pbuffer = CDsDriverGl::CreatePBuffer(window_->dc, format, 48, 32, nullptr);
    ASSERT_NE(pbuffer, nullptr);
    HDC pdc = CDsDriverGl::GetPBufferDC(pbuffer);
    ASSERT_NE(pdc, nullptr);
    int width = 0;
    EXPECT_TRUE(CDsDriverGl::QueryPBuffer(pbuffer, WGL_PBUFFER_WIDTH_ARB, &width));
    EXPECT_EQ(width, 48);
    // The pbuffer draws: clear it and read it back through the driver.
    ASSERT_TRUE(wglMakeCurrent(pdc, window_->context));
    vyrtest::Clear(Rgb{0, 0, 255});
    std::vector<unsigned char> pixels;
    ASSERT_EQ(CDsDriverGl::ReadPixels(pdc, 0, 0, 48, 32, GL_BACK, pixels, false), 3 * 48 * 32);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_FALSE(CDsDriverGl::BindTexImage(pbuffer, WGL_FRONT_LEFT_ARB));  // not loaded
    EXPECT_FALSE(CDsDriverGl::SetPbufferAttrib(pbuffer, nullptr));
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_EQ(CDsDriverGl::ReleasePBuffer(pbuffer, pdc), 1);
    EXPECT_TRUE(CDsDriverGl::DestroyPBuffer(pbuffer));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlExtensionsGLTest, VertexBuffersDrawTheirTriangles)
{
    CDsManager::GetInstance()->InitExtensions();
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(Rgb{0, 0, 0});
    GLuint vertices = CDsDriverGl::CreateBufferVBO(sizeof kSquare, kSquare, false);
    GLuint normals = CDsDriverGl::CreateBufferVBO(sizeof kNormals, kNormals, false);
    ASSERT_NE(vertices, 0u);
    ASSERT_NE(normals, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), normals);  // left bound

    glColor3ub(255, 255, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    CDsDriverGl::DrawVBO(vertices, normals, 6, GL_TRIANGLES);
    glDisableClientState(GL_NORMAL_ARRAY);
    // Only the first triangle (lower right half) when three vertices are asked.
    glColor3ub(0, 255, 255);
    CDsDriverGl::DrawVBO(vertices, 0, 3, GL_TRIANGLES);
    glDisableClientState(GL_VERTEX_ARRAY);
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 55, 25), Rgb{0, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 55), Rgb{255, 255, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 70), Rgb{0, 0, 0}));

    const unsigned short indices[3] = {0, 1, 2};
    GLuint elements = CDsDriverGl::CreateBufferVBO(sizeof indices, indices, true);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), elements);
    CDsDriverGl::BindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);

    EXPECT_EQ(CDsDriverGl::CreateBufferVBO(0, kSquare, false), 0u);
    EXPECT_EQ(CDsDriverGl::CreateBufferVBO(16, nullptr, false), 0u);
    for (GLuint* id : {&vertices, &normals, &elements}) {
        const GLuint kept = *id;
        CDsDriverGl::DeleteBufferVBO(*id);
        EXPECT_EQ(*id, kept);  // the number stays with the caller
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlExtensionsGLTest, WithoutEntryPointsBuffersAreNeitherMadeNorDrawn)
{
    // Entry points not loaded (no InitExtensions): a buffer made directly is not drawn.
    auto genBuffers = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(wglGetProcAddress("glGenBuffersARB"));
    auto bindBuffer = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(wglGetProcAddress("glBindBufferARB"));
    auto bufferData = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(wglGetProcAddress("glBufferDataARB"));
    auto deleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(wglGetProcAddress("glDeleteBuffersARB"));
    ASSERT_TRUE(genBuffers && bindBuffer && bufferData && deleteBuffers);
    GLuint buffer = 0;
    genBuffers(1, &buffer);
    bindBuffer(GL_ARRAY_BUFFER_ARB, buffer);
    bufferData(GL_ARRAY_BUFFER_ARB, sizeof kSquare, kSquare, GL_STATIC_DRAW_ARB);
    bindBuffer(GL_ARRAY_BUFFER_ARB, 0);

    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(Rgb{0, 0, 0});
    glColor3ub(255, 255, 255);
    glEnableClientState(GL_VERTEX_ARRAY);
    CDsDriverGl::DrawVBO(buffer, 0, 6, GL_TRIANGLES);
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    glDisableClientState(GL_VERTEX_ARRAY);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 40, 40), Rgb{0, 0, 0}));
    EXPECT_EQ(CDsDriverGl::CreateBufferVBO(sizeof kSquare, kSquare, false), 0u);
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    deleteBuffers(1, &buffer);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlExtensionsGLTest, StartUpOnTheDesktopLeavesTheCallersContextCurrent)
{
    EXPECT_TRUE(CDsDriverGl::StInitOpenGl());
    EXPECT_EQ(wglGetCurrentContext(), window_->context);
    EXPECT_EQ(wglGetCurrentDC(), window_->dc);
    vyrtest::Clear(Rgb{0, 255, 0});  // and it still draws
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), Rgb{0, 255, 0}));
    EXPECT_FALSE(CDsDriverGl::SetupPixelFormat(nullptr));
}

TEST_F(DsDriverGlExtensionsGLTest, ATrueColourWindowGetsNoPalette)
{
    // The window's DC holds a palette of the host's; it must stay selected.
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[1];
    } logical{{0x300, 2, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}}};
    CPalette host;
    ASSERT_TRUE(host.CreatePalette(&logical.head));
    CDC* dc = CDC::FromHandle(window_->dc);
    CPalette* stock = dc->SelectPalette(&host, FALSE);
    ASSERT_NE(stock, nullptr);

    CPalette palette;
    CPalette* previous = &palette;
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(window_->dc, &palette, &previous));
    EXPECT_EQ(previous, nullptr);
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
    EXPECT_EQ(dc->SelectPalette(stock, FALSE), &host);  // still the host's
    CGdiObject::DeleteTempMap();
    CDC::DeleteTempMap();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
