// OpenGL drawing into memory bitmaps: the bitmap pixel format, the picture GDI reads
// while and after OpenGL draws, GDI writes that OpenGL sees, bitmaps that change
// size, and formats that do not mix.
#include "Dib.h"
#include "GlTestFixture.h"

#include <cstdint>
#include <vector>

using vyrtest::BottomUp24;
using vyrtest::ColorNear;
using vyrtest::Dib24Pixel;
using vyrtest::MeanColor;
using vyrtest::ReadBitmap24;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kWhite{255, 255, 255}, kOrange{255, 128, 0};

PIXELFORMATDESCRIPTOR BitmapRequest() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    return pfd;
}

// A memory DC holding a 24-bit bitmap, with the bitmap format set and a context for it.
struct GlBitmap {
    GlBitmap(int w, int h) : width(w), height(h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(w, h, 1, 24, nullptr);
        previous = SelectObject(dc, bitmap);
        PIXELFORMATDESCRIPTOR pfd = BitmapRequest();
        format = ChoosePixelFormat(dc, &pfd);
        if (format && SetPixelFormat(dc, format, &pfd)) context = wglCreateContext(dc);
    }
    ~GlBitmap() {
        if (context) {
            if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    GlBitmap(const GlBitmap&) = delete;
    GlBitmap& operator=(const GlBitmap&) = delete;

    int width, height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int format = 0;
    HGLRC context = nullptr;
};

}  // namespace

TEST(WglBitmapGLTest, OpenGlDrawsIntoTheBitmapThatGdiReads) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlBitmap target(64, 32);
    ASSERT_EQ(target.format, 2);
    PIXELFORMATDESCRIPTOR described{};
    EXPECT_EQ(DescribePixelFormat(target.dc, target.format, sizeof described, &described), 2);
    EXPECT_TRUE(described.dwFlags & PFD_DRAW_TO_BITMAP);
    EXPECT_TRUE(described.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_FALSE(described.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_FALSE(described.dwFlags & PFD_NEED_PALETTE);
    EXPECT_EQ(described.cDepthBits, 32);
    EXPECT_EQ(GetPixelFormat(target.dc), 2);
    ASSERT_NE(target.context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(target.dc, target.context));
    GLint doubleBuffered = 1;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_EQ(doubleBuffered, 0);

    // Orange everywhere, a red block over the bottom-left 16 x 8 pixels (GL counts from the bottom).
    vyrtest::SetPixelProjection(64, 32);
    vyrtest::Clear(kOrange);
    vyrtest::FillRect(kRed, 0, 0, 16, 8);
    // Read while the context is still current: GDI fetches the picture first.
    std::vector<uint8_t> bits = ReadBitmap24(target.dc, target.bitmap, 64, 32);
    ASSERT_FALSE(bits.empty());
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 2, 2), kRed));     // bottom rows come first
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 2, 30), kOrange));
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 40, 2), kOrange));
    EXPECT_EQ(bits[(2 * 64 + 40) * 3 + 0], 0);    // B
    EXPECT_NEAR(bits[(2 * 64 + 40) * 3 + 1], 128, 2);  // G
    EXPECT_EQ(bits[(2 * 64 + 40) * 3 + 2], 255);  // R

    // Released, the bitmap keeps the picture, and a copy of the DC carries it upright.
    vyrtest::FillRect(kBlue, 48, 24, 16, 8);  // top-right corner
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    HDC copyDc = CreateCompatibleDC(nullptr);
    HBITMAP copy = CreateBitmap(64, 32, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(copyDc, copy);
    ASSERT_TRUE(BitBlt(copyDc, 0, 0, 64, 32, target.dc, 0, 0, SRCCOPY));
    SelectObject(copyDc, old);
    std::vector<uint8_t> copied = ReadBitmap24(copyDc, copy, 64, 32);
    EXPECT_TRUE(ColorNear(Dib24Pixel(copied, 64, 60, 30), kBlue));
    EXPECT_TRUE(ColorNear(Dib24Pixel(copied, 64, 2, 2), kRed));
    DeleteObject(copy);
    DeleteDC(copyDc);
}

TEST(WglBitmapGLTest, GdiWritesReachOpenGlAndTheBitmapSeedsTheNextBinding) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlBitmap target(40, 20);
    ASSERT_NE(target.context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(target.dc, target.context));
    vyrtest::SetPixelProjection(40, 20);
    vyrtest::Clear(kBlue);

    // A GDI fill while OpenGL draws: OpenGL sees it in its only buffer.
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 10, 20, nullptr, 0, 0, WHITENESS));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 5, 10), kWhite));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 30, 10), kBlue));

    // Released, GDI paints green into the right half; the next binding starts from it.
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    std::vector<uint8_t> green(static_cast<size_t>(20) * 20 * 4);
    for (size_t i = 0; i < green.size(); i += 4) green[i + 1] = 255;
    BITMAPINFO info = BottomUp24(20, 20);
    info.bmiHeader.biBitCount = 32;
    ASSERT_EQ(StretchDIBits(target.dc, 20, 0, 20, 20, 0, 0, 20, 20, green.data(), &info, DIB_RGB_COLORS, SRCCOPY),
              20);
    ASSERT_TRUE(wglMakeCurrent(target.dc, target.context));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 30, 10), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 5, 10), kWhite));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 15, 10), kBlue));
    EXPECT_TRUE(SwapBuffers(target.dc));  // one buffer: nothing to swap, the picture stays
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 30, 10), kGreen));
}

TEST(WglBitmapGLTest, ABitmapOfAnotherSizeMovesTheSurfaceAndTheOldOneKeepsItsPicture) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    GlBitmap target(16, 16);
    ASSERT_NE(target.context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(target.dc, target.context));
    vyrtest::SetPixelProjection(16, 16);
    vyrtest::Clear(kRed);

    HBITMAP larger = CreateBitmap(100, 50, 1, 24, nullptr);
    ASSERT_EQ(SelectObject(target.dc, larger), target.bitmap);
    EXPECT_EQ(wglGetCurrentContext(), target.context);  // still current, now on the larger surface
    vyrtest::SetPixelProjection(100, 50);
    vyrtest::Clear(kGreen);
    std::vector<uint8_t> bits = ReadBitmap24(target.dc, larger, 100, 50);
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 100, 95, 45), kGreen));

    SelectObject(target.dc, target.bitmap);
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, 16, 16), kRed));  // the first bitmap's picture came back
    std::vector<uint8_t> first = ReadBitmap24(target.dc, target.bitmap, 16, 16);
    EXPECT_TRUE(ColorNear(Dib24Pixel(first, 16, 8, 8), kRed));
    EXPECT_TRUE(DeleteObject(larger));
}

TEST(WglBitmapGLTest, DeletingTheDcReleasesItsContextAndTheBitmapKeepsThePicture) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 24, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PIXELFORMATDESCRIPTOR pfd = BitmapRequest();
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    vyrtest::SetPixelProjection(8, 8);
    vyrtest::Clear(kBlue);
    SelectObject(dc, old);  // the bitmap leaves the DC with the picture
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    HDC reader = CreateCompatibleDC(nullptr);
    std::vector<uint8_t> bits = ReadBitmap24(reader, bitmap, 8, 8);
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 8, 4, 4), kBlue));
    DeleteDC(reader);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST(WglBitmapGLTest, FormatsAndContextsOfWindowsAndBitmapsDoNotMix) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    vyrtest::GlWindow window(50, 50, false);
    ASSERT_TRUE(window.Valid());
    GlBitmap target(10, 10);
    ASSERT_NE(target.context, nullptr);

    EXPECT_FALSE(wglMakeCurrent(target.dc, window.context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_FALSE(wglMakeCurrent(window.dc, target.context));
    EXPECT_FALSE(SetPixelFormat(window.dc, 2, nullptr));
    EXPECT_FALSE(SetPixelFormat(target.dc, 1, nullptr));

    HDC bare = CreateCompatibleDC(nullptr);
    EXPECT_EQ(wglCreateContext(bare), nullptr);  // no format set yet
    EXPECT_FALSE(SwapBuffers(bare));
    DeleteDC(bare);

    // Pbuffer formats never include the bitmap format.
    const int pbuffer[] = {WGL_DRAW_TO_PBUFFER_ARB, TRUE, 0};
    const int bitmap[] = {WGL_DRAW_TO_BITMAP_ARB, TRUE, 0};
    int formats[2] = {};
    UINT count = 0;
    ASSERT_TRUE(wglChoosePixelFormatARB(window.dc, pbuffer, nullptr, 2, formats, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(formats[0], 1);
    ASSERT_TRUE(wglChoosePixelFormatARB(window.dc, bitmap, nullptr, 2, formats, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(formats[0], 2);
}

TEST(WglBitmapGLTest, BitmapContextsShareDisplayListsWithWindowContexts) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    vyrtest::GlWindow window(50, 50, false);
    ASSERT_TRUE(window.Valid());
    ASSERT_TRUE(window.MakeCurrent());
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3ub(0, 255, 0);
    glRecti(0, 0, 10, 10);
    glEndList();

    GlBitmap target(10, 10);
    ASSERT_TRUE(wglMakeCurrent(target.dc, target.context));
    vyrtest::SetPixelProjection(10, 10);
    vyrtest::Clear(kBlue);
    EXPECT_TRUE(glIsList(list));
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 5, 5), kGreen));
    glDeleteLists(list, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(WglBitmapGLTest, WindowDcsTakePalettesAndGiveThemBackWhenDestroyed) {
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    LOGPALETTE logical{0x300, 1, {{10, 20, 30, 0}}};
    HPALETTE palette = CreatePalette(&logical);
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    HPALETTE previous = SelectPalette(screen, palette, FALSE);
    EXPECT_EQ(previous, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(RealizePalette(screen), 0u);
    EXPECT_EQ(SelectPalette(screen, previous, FALSE), palette);
    RealizePalette(screen);
    ReleaseDC(nullptr, screen);

    HWND window = CreateWindowExW(0, L"x", L"", 0, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(SelectPalette(GetDC(window), palette, FALSE), nullptr);
    EXPECT_FALSE(DeleteObject(palette));
    DestroyWindow(window);
    EXPECT_TRUE(DeleteObject(palette));
}
