// GDI transfers to and from window DCs, checked against the GL front buffer.
#include "Dib.h"
#include "GlTestFixture.h"

#include <GL/glext.h>
#include <GL/glx.h>

#include <cstdint>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::MeanColor;
using vyrtest::Rgb;
using vyrtest::TopDown32;

namespace {

const Rgb kBackground{200, 100, 50}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

Rgb FromDib(uint32_t pixel) { return Rgb{int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)}; }
uint32_t ToDib(const Rgb& c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b); }

template <typename Proc>
Proc GlProc(const char* name) {
    return reinterpret_cast<Proc>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// The background with a green square in the top-left corner (GDI's origin), swapped to the front.
void DrawPicture(int width, int height) {
    vyrtest::SetPixelProjection(width, height);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kBackground);
    vyrtest::FillRect({0, 255, 0}, 0, height - 20, 20, 20);
}

}  // namespace

TEST_F(GlTest, BitBltCopiesTheWindowUprightIntoAMemoryBitmap) {
    DrawPicture(200, 100);
    ASSERT_TRUE(SwapBuffers(window_->dc));

    HDC memory = CreateCompatibleDC(window_->dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_->dc, 200, 100);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // No context needs to be current for the copy.
    wglMakeCurrent(nullptr, nullptr);
    ASSERT_TRUE(BitBlt(memory, 0, 0, 200, 100, window_->dc, 0, 0, SRCCOPY));
    SelectObject(memory, old);

    BITMAPINFO info = TopDown32(200, 100);
    std::vector<uint32_t> pixels(200 * 100);
    ASSERT_EQ(GetDIBits(memory, bitmap, 0, 100, pixels.data(), &info, DIB_RGB_COLORS), 100);
    EXPECT_TRUE(ColorNear(FromDib(pixels[5 * 200 + 5]), kGreen));
    EXPECT_TRUE(ColorNear(FromDib(pixels[95 * 200 + 5]), kBackground));
    EXPECT_TRUE(ColorNear(FromDib(pixels[50 * 200 + 150]), kBackground));

    // Half size through StretchBlt keeps the corner.
    HBITMAP half = CreateCompatibleBitmap(window_->dc, 100, 50);
    old = SelectObject(memory, half);
    ASSERT_TRUE(StretchBlt(memory, 0, 0, 100, 50, window_->dc, 0, 0, 200, 100, SRCCOPY));
    SelectObject(memory, old);
    info = TopDown32(100, 50);
    ASSERT_EQ(GetDIBits(memory, half, 0, 50, pixels.data(), &info, DIB_RGB_COLORS), 50);
    EXPECT_TRUE(ColorNear(FromDib(pixels[4 * 100 + 4]), kGreen));
    EXPECT_TRUE(ColorNear(FromDib(pixels[4 * 100 + 15]), kBackground));

    DeleteObject(bitmap);
    DeleteObject(half);
    DeleteDC(memory);
}

TEST_F(GlTest, DibsDrawnOntoTheWindowShowInTheFrontBuffer) {
    DrawPicture(200, 100);
    ASSERT_TRUE(SwapBuffers(window_->dc));

    // 20x10, blue over yellow, drawn with its top-left corner at (50, 20) from the top.
    std::vector<uint32_t> dib(20 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) dib[y * 20 + x] = ToDib(y < 5 ? kBlue : kYellow);
    BITMAPINFO info = TopDown32(20, 10);
    ASSERT_EQ(SetDIBitsToDevice(window_->dc, 50, 20, 20, 10, 0, 0, 0, 10, dib.data(), &info, DIB_RGB_COLORS), 10);
    // GL counts rows from the bottom: GDI rows 20..24 are GL rows 75..79.
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 51, 76, 18, 3), kBlue));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 51, 71, 18, 3), kYellow));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 100, 10, 50, 30), kBackground));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 2, 82, 16, 16), kGreen));

    // XOR onto the window twice leaves the picture as it was.
    ASSERT_EQ(StretchDIBits(window_->dc, 0, 0, 40, 20, 0, 0, 20, 10, dib.data(), &info, DIB_RGB_COLORS, SRCINVERT),
              10);
    EXPECT_FALSE(ColorNear(MeanColor(GL_FRONT, 25, 82, 10, 5), kBackground));
    ASSERT_EQ(StretchDIBits(window_->dc, 0, 0, 40, 20, 0, 0, 20, 10, dib.data(), &info, DIB_RGB_COLORS, SRCINVERT),
              10);
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 25, 82, 10, 5), kBackground));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 2, 82, 16, 16), kGreen));

    // Window DCs report the display's metrics; bitmaps cannot be selected into them.
    EXPECT_EQ(GetDeviceCaps(window_->dc, BITSPIXEL), 24);
    EXPECT_EQ(GetDeviceCaps(window_->dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetObjectType(window_->dc), DWORD(OBJ_DC));
    HBITMAP bitmap = CreateCompatibleBitmap(window_->dc, 4, 4);
    EXPECT_EQ(SelectObject(window_->dc, bitmap), nullptr);
    EXPECT_FALSE(DeleteDC(window_->dc));
    DeleteObject(bitmap);
}

TEST_F(GlTest, LinesAndTextDrawnIntoTheWindowShowUprightInTheFrontBuffer) {
    DrawPicture(200, 100);
    ASSERT_TRUE(SwapBuffers(window_->dc));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(window_->dc, pen);
    const POINT line[2] = {{30, 10}, {190, 10}};  // GDI counts y down from the top
    ASSERT_TRUE(Polyline(window_->dc, line, 2));
    SelectObject(window_->dc, oldPen);
    DeleteObject(pen);
    EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_FRONT, 100, 100 - 1 - 10), kBlue));
    EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_FRONT, 100, 100 - 1 - 11), kBackground));
    EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_FRONT, 10, 95), kGreen));  // the rest stays

    // Text on a baseline near the bottom lands above it, at the bottom of the window.
    HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                             L"Arial");
    HGDIOBJ oldFont = SelectObject(window_->dc, font);
    SetBkMode(window_->dc, TRANSPARENT);
    SetTextColor(window_->dc, RGB(255, 255, 0));
    SetTextAlign(window_->dc, TA_BASELINE | TA_LEFT);
    ASSERT_TRUE(TextOutW(window_->dc, 60, 90, L"HHHH", 4));
    SelectObject(window_->dc, oldFont);
    DeleteObject(font);
    int yellowBelow = 0, yellowAbove = 0;
    std::vector<uint8_t> rgb(200 * 100 * 3);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 200, 100, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * 200 + x) * 3];
            if (p[0] > 200 && p[1] > 200 && p[2] < 60) (y < 100 - 1 - 90 + 1 ? yellowBelow : yellowAbove) += 1;
        }
    EXPECT_GT(yellowAbove, 20);  // GL rows above the baseline row (y = 9 from the bottom)
    EXPECT_EQ(yellowBelow, 0);
}

// A transfer into the window while its context is current puts every pixel as it is, whatever the
// context's drawing state would do to pixels or to geometry, and leaves that state as it was.
TEST_F(GlTest, TransfersIntoTheWindowPutExactPixelsWhateverTheContextsStateAndKeepIt) {
    auto activeTexture = GlProc<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
    auto genBuffers = GlProc<PFNGLGENBUFFERSPROC>("glGenBuffers");
    auto bindBuffer = GlProc<PFNGLBINDBUFFERPROC>("glBindBuffer");
    auto bufferData = GlProc<PFNGLBUFFERDATAPROC>("glBufferData");
    auto deleteBuffers = GlProc<PFNGLDELETEBUFFERSPROC>("glDeleteBuffers");
    auto genSamplers = GlProc<PFNGLGENSAMPLERSPROC>("glGenSamplers");
    auto bindSampler = GlProc<PFNGLBINDSAMPLERPROC>("glBindSampler");
    auto deleteSamplers = GlProc<PFNGLDELETESAMPLERSPROC>("glDeleteSamplers");
    DrawPicture(200, 100);
    ASSERT_TRUE(SwapBuffers(window_->dc));

    // Pixel transfer, an unpack buffer, a dark texture on unit 1, unit 0's texture, environment
    // and sampler, texture coordinate generation, matrices, a small viewport, outlined and culled
    // polygons, a clip plane that removes everything, lighting.
    glPixelTransferf(GL_RED_SCALE, 0.0f);
    GLuint buffer = 0, textures[2] = {}, sampler = 0;
    genBuffers(1, &buffer);
    bindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    bufferData(GL_PIXEL_UNPACK_BUFFER, 64, nullptr, GL_STATIC_DRAW);
    glGenTextures(2, textures);
    const uint32_t dark = 0xFF101010u;
    activeTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &dark);
    bindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    glEnable(GL_TEXTURE_2D);
    activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    genSamplers(1, &sampler);
    bindSampler(0, sampler);
    glEnable(GL_TEXTURE_GEN_S);
    glMatrixMode(GL_TEXTURE);
    glScalef(3.0f, 3.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.25f, -0.5f, 0.0f);
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glScalef(0.5f, 2.0f, 1.0f);
    GLfloat projection[16], modelview[16], textureMatrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_TEXTURE_MATRIX, textureMatrix);
    glViewport(10, 10, 20, 20);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    const GLdouble nothing[4] = {0.0, 0.0, 0.0, -1.0};
    glClipPlane(GL_CLIP_PLANE0, nothing);
    glEnable(GL_CLIP_PLANE0);
    glEnable(GL_LIGHTING);
    activeTexture(GL_TEXTURE1);

    // 37 x 23 (no power of two) pixels of distinct colours, top-left corner at (61, 17).
    const int w = 37, h = 23, left = 61, top = 17;
    std::vector<uint32_t> dib(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib[size_t(y) * w + x] = uint32_t(7 * x) << 16 | uint32_t(11 * y) << 8 | 200u;
    BITMAPINFO info = TopDown32(w, h);
    ASSERT_EQ(SetDIBitsToDevice(window_->dc, left, top, w, h, 0, 0, 0, h, dib.data(), &info, DIB_RGB_COLORS), h);

    GLfloat scale = 1.0f;
    glGetFloatv(GL_RED_SCALE, &scale);
    EXPECT_EQ(scale, 0.0f);
    glPixelTransferf(GL_RED_SCALE, 1.0f);  // reading back goes through it too
    std::vector<uint32_t> front(size_t(w) * h);
    glReadBuffer(GL_FRONT);
    glReadPixels(left, 100 - top - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, front.data());
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) wrong += (front[size_t(h - 1 - y) * w + x] & 0xFFFFFFu) != dib[size_t(y) * w + x];
    EXPECT_EQ(wrong, 0);
    // Nothing in the ring of pixels around it.
    std::vector<uint32_t> ring(size_t(w + 2) * (h + 2));
    glReadPixels(left - 1, 100 - top - h - 1, w + 2, h + 2, GL_BGRA, GL_UNSIGNED_BYTE, ring.data());
    int touched = 0;
    for (int y = 0; y < h + 2; ++y)
        for (int x = 0; x < w + 2; ++x)
            if (x == 0 || y == 0 || x == w + 1 || y == h + 1)
                touched += !ColorNear(FromDib(ring[size_t(y) * (w + 2) + x]), kBackground);
    EXPECT_EQ(touched, 0);

    // The context's state as it was.
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint value = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE1);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &value);
    EXPECT_EQ(GLuint(value), buffer);
    activeTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(GLuint(value), textures[0]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_ADD);
    glGetIntegerv(GL_SAMPLER_BINDING, &value);
    EXPECT_EQ(GLuint(value), sampler);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(after, after + 16), std::vector<GLfloat>(projection, projection + 16));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(after, after + 16), std::vector<GLfloat>(modelview, modelview + 16));
    glGetFloatv(GL_TEXTURE_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(after, after + 16), std::vector<GLfloat>(textureMatrix, textureMatrix + 16));
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_PROJECTION);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{10, 10, 20, 20}));
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_CLIP_PLANE0) && glIsEnabled(GL_LIGHTING));

    // In selection mode the context draws nothing and records no hit for the transfer.
    GLuint hits[16] = {};
    glSelectBuffer(16, hits);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(7);
    const std::vector<uint32_t> white(size_t(w) * h, 0xFFFFFFu);
    ASSERT_EQ(SetDIBitsToDevice(window_->dc, left, top, w, h, 0, 0, 0, h, white.data(), &info, DIB_RGB_COLORS), h);
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);

    // Put back for the fixture's next test.
    bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    deleteBuffers(1, &buffer);
    bindSampler(0, 0);
    deleteSamplers(1, &sampler);
    glDeleteTextures(2, textures);
    glDisable(GL_TEXTURE_GEN_S);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 200, 100);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
