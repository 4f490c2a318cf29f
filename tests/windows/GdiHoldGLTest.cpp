// GDI drawing into a window, read back from its front buffer: with the window's context current,
// while its DC is held and no context is current on it, and with the DC given back, the window
// shows what a memory bitmap given the same picture and the same calls shows; OpenGL drawing and
// presenting between GDI calls keep both pictures in order; GDI drawing leaves OpenGL's state as
// it was.
#include "Dib.h"
#include "GlTestFixture.h"

#include <GL/glext.h>
#include <GL/glx.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

constexpr int kW = 200, kH = 100;
const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// Eight blocks of distinct colours in the back buffer, presented: a picture every raster
// operation changes visibly.
void PresentPattern(HDC dc) {
    const Rgb colours[8] = {{200, 100, 50}, {30, 220, 90}, {90, 40, 230}, {250, 250, 10},
                            {10, 10, 10},   {128, 0, 255}, {255, 255, 255}, {60, 130, 190}};
    vyrtest::SetPixelProjection(kW, kH);
    glDrawBuffer(GL_BACK);
    for (int i = 0; i < 8; ++i) vyrtest::FillRect(colours[i], (i % 4) * 50, (i / 4) * 50, 50, 50);
    ASSERT_TRUE(SwapBuffers(dc));
}

// The whole front buffer of what is current, rows from the bottom, 3 bytes a pixel.
std::vector<unsigned char> ReadFront() {
    std::vector<unsigned char> rgb(size_t(kW) * kH * 3);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Pixels where the front buffer and a bottom-up 24-bit DIB of the same size differ by more than
// `tolerance` on a channel.
int Differences(const std::vector<unsigned char>& front, const std::vector<unsigned char>& dib, int tolerance = 2) {
    int count = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const unsigned char* f = &front[(size_t(y) * kW + x) * 3];
            const Rgb d = vyrtest::Dib24Pixel(dib, kW, x, y);
            if (std::abs(f[0] - d.r) > tolerance || std::abs(f[1] - d.g) > tolerance ||
                std::abs(f[2] - d.b) > tolerance)
                ++count;
        }
    return count;
}

// Every binary raster operation on a cell of its own: a filled triangle, a wide line across it, a
// dashed line with opaque gaps and a pixel; then transfers into and out of the window among them
// (a DIB, an inverted rectangle, a block copied through a memory bitmap, a line over all of it).
// Answers what GetPixel reads at a few places afterwards.
std::vector<COLORREF> DrawEverything(HDC dc) {
    for (int k = 0; k < 16; ++k) {
        const int x0 = 4 + (k % 8) * 24, y0 = 6 + (k / 8) * 46;
        SetROP2(dc, k + 1);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(37 * k, 255 - 11 * k, 90 + 9 * k));
        HBRUSH brush = CreateSolidBrush(RGB(200, 16 * k, 120));
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
        const POINT triangle[3] = {{x0, y0}, {x0 + 18, y0 + 6}, {x0 + 4, y0 + 22}};
        Polygon(dc, triangle, 3);
        HPEN wide = CreatePen(PS_SOLID, 3, RGB(255 - 13 * k, 77, 16 * k));
        SelectObject(dc, wide);
        const POINT across[2] = {{x0, y0 + 10}, {x0 + 20, y0 + 30}};
        Polyline(dc, across, 2);
        HPEN dashed = CreatePen(PS_DASH, 1, RGB(0, 16 * k, 255));
        SelectObject(dc, dashed);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(255, 200, 16 * k));
        const POINT back[2] = {{x0 + 2, y0 + 38}, {x0 + 21, y0 + 14}};
        Polyline(dc, back, 2);
        SetPixel(dc, x0 + 10, y0 + 40, RGB(12 * k, 40, 200));
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(wide);
        DeleteObject(dashed);
        DeleteObject(brush);
    }
    SetROP2(dc, R2_COPYPEN);

    // A 30 x 12 DIB over cells 2 and 3, the picture inverted in a band, a block copied from the
    // top-left corner to the bottom right through a memory bitmap, and an exclusive-or line over
    // all three.
    std::vector<uint32_t> dib(30 * 12);
    for (int i = 0; i < 30 * 12; ++i) dib[size_t(i)] = (i % 7 < 3) ? 0x2040F0u : 0xF0C020u;
    const BITMAPINFO info = vyrtest::TopDown32(30, 12);
    SetDIBitsToDevice(dc, 40, 12, 30, 12, 0, 0, 0, 12, dib.data(), &info, DIB_RGB_COLORS);
    PatBlt(dc, 0, 44, kW, 6, DSTINVERT);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP block = CreateCompatibleBitmap(dc, 40, 30);
    HGDIOBJ oldBlock = SelectObject(memory, block);
    BitBlt(memory, 0, 0, 40, 30, dc, 0, 0, SRCCOPY);
    BitBlt(dc, 150, 62, 40, 30, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBlock);
    DeleteObject(block);
    DeleteDC(memory);
    HPEN white = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, white);
    SetROP2(dc, R2_XORPEN);
    const POINT over[2] = {{20, 20}, {190, 80}};
    Polyline(dc, over, 2);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, oldPen);
    DeleteObject(white);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));

    std::vector<COLORREF> read;
    for (const POINT p : {POINT{14, 16}, POINT{45, 15}, POINT{100, 46}, POINT{160, 70}, POINT{60, 38}})
        read.push_back(GetPixel(dc, p.x, p.y));
    return read;
}

// Text drawn with grey levels (blended with what lies under it) over a line drawn before it and a
// line masked into the picture, an exclusive-or line across it.
std::vector<COLORREF> DrawBlendedText(HDC dc) {
    HPEN under = CreatePen(PS_SOLID, 5, RGB(255, 128, 0));
    HGDIOBJ oldPen = SelectObject(dc, under);
    const POINT first[2] = {{5, 30}, {195, 36}};
    Polyline(dc, first, 2);
    SetROP2(dc, R2_MASKPEN);
    const POINT second[2] = {{40, 5}, {60, 95}};
    Polyline(dc, second, 2);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, oldPen);
    DeleteObject(under);
    HFONT font = CreateFontW(-36, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(20, 240, 120));
    SetTextAlign(dc, TA_TOP | TA_LEFT);
    TextOutW(dc, 12, 20, L"GDI Wj", 6);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, RGB(0, 0, 0));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 255));
    oldPen = SelectObject(dc, pen);
    SetROP2(dc, R2_XORPEN);
    const POINT line[2] = {{0, 40}, {199, 44}};
    Polyline(dc, line, 2);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    return {GetPixel(dc, 30, 40), GetPixel(dc, 80, 35)};
}

// How the window's DC and context stand while GDI draws into it, and what ends the drawing.
enum class Road { kContextCurrent, kHeldNoContext, kHeldThenGivenBack, kGivenBack };
const Road kRoads[] = {Road::kContextCurrent, Road::kHeldNoContext, Road::kHeldThenGivenBack, Road::kGivenBack};
const char* Name(Road road) {
    switch (road) {
    case Road::kContextCurrent: return "context current";
    case Road::kHeldNoContext: return "DC held, no context current, the context made current again";
    case Road::kHeldThenGivenBack: return "DC held, no context current, the DC given back";
    default: return "DC given back, no context current";
    }
}

// Draws with `draw` into a memory bitmap holding a copy of the window's picture and into the
// window the given way, and compares the front buffer (read once a context is current on the
// window again) and what GetPixel answered.
template <typename Draw>
void ExpectTheWindowShowsWhatABitmapShows(vyrtest::GlWindow& window, Road road, Draw draw) {
    SCOPED_TRACE(Name(road));
    ASSERT_TRUE(window.MakeCurrent());
    PresentPattern(window.dc);
    HDC memory = CreateCompatibleDC(window.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window.dc, kW, kH);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ASSERT_TRUE(BitBlt(memory, 0, 0, kW, kH, window.dc, 0, 0, SRCCOPY));
    const std::vector<COLORREF> expectedReads = draw(memory);
    SelectObject(memory, old);
    const std::vector<unsigned char> expected = vyrtest::ReadBitmap24(memory, bitmap, kW, kH);
    ASSERT_FALSE(expected.empty());
    DeleteObject(bitmap);
    DeleteDC(memory);

    if (road != Road::kContextCurrent) {
        ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    }
    const bool handBack = road == Road::kHeldThenGivenBack || road == Road::kGivenBack;
    if (handBack) ReleaseDC(window.window, window.dc);  // the last hold: the fixture's
    if (road == Road::kHeldThenGivenBack) {
        ASSERT_EQ(GetDC(window.window), window.dc);
    }
    const std::vector<COLORREF> reads = draw(window.dc);
    if (handBack) {
        if (road == Road::kHeldThenGivenBack) {
            EXPECT_EQ(ReleaseDC(window.window, window.dc), 1);
        }
        ASSERT_EQ(GetDC(window.window), window.dc);  // the fixture's hold again
    }
    ASSERT_TRUE(window.MakeCurrent());
    EXPECT_EQ(Differences(ReadFront(), expected), 0);
    EXPECT_EQ(reads, expectedReads);
}

}  // namespace

TEST_F(GlTest, EveryRasterOperationAndTransferShowsInTheWindowAsInABitmapWhateverIsCurrent) {
    for (Road road : kRoads) ExpectTheWindowShowsWhatABitmapShows(*window_, road, DrawEverything);
}

TEST_F(GlTest, TextBlendedWithTheWindowsPictureShowsAsInABitmapWhateverIsCurrent) {
    for (Road road : kRoads) ExpectTheWindowShowsWhatABitmapShows(*window_, road, DrawBlendedText);
}

TEST_F(GlTest, OpenGlAndGdiTakeTurnsInAHeldWindowAndEachSeesTheOthersPicture) {
    vyrtest::SetPixelProjection(kW, kH);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kBlack);
    ASSERT_TRUE(SwapBuffers(window_->dc));

    // GDI while no context is current on the window: a red line 50 rows from the top.
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(window_->dc, red);
    const POINT line[2] = {{10, 50}, {190, 50}};
    ASSERT_TRUE(Polyline(window_->dc, line, 2));
    EXPECT_EQ(GetPixel(window_->dc, 100, 50), RGB(255, 0, 0));  // GDI reads what GDI drew

    // OpenGL, once current again, finds the line and draws a green square over its middle.
    ASSERT_TRUE(window_->MakeCurrent());
    const int row = kH - 1 - 50;
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, row), kRed));
    glDrawBuffer(GL_FRONT);
    vyrtest::FillRect({0, 255, 0}, 90, row - 10, 20, 20);
    glDrawBuffer(GL_BACK);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, row), kGreen));

    // GDI with the context current: an exclusive-or line along the same row shows at once, over
    // both pictures.
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    SelectObject(window_->dc, white);
    SetROP2(window_->dc, R2_XORPEN);
    const POINT whole[2] = {{0, 50}, {kW, 50}};
    ASSERT_TRUE(Polyline(window_->dc, whole, 2));
    SetROP2(window_->dc, R2_COPYPEN);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, row), Rgb{0, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, row), Rgb{255, 0, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 5, row), Rgb{255, 255, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, row - 5), kGreen));

    // GDI while no context is current, then a frame presented on the window: the frame replaces
    // the whole front buffer, and what GDI drew before it never comes back over it.
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    SelectObject(window_->dc, red);
    const POINT later[2] = {{10, 20}, {190, 20}};
    ASSERT_TRUE(Polyline(window_->dc, later, 2));
    ASSERT_TRUE(SwapBuffers(window_->dc));  // the back buffer is still black
    HDC again = GetDC(window_->window);
    EXPECT_EQ(ReleaseDC(window_->window, again), 1);
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, kH - 1 - 20), kBlack));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, row), kBlack));

    SelectObject(window_->dc, old);
    DeleteObject(red);
    DeleteObject(white);
}

TEST_F(GlTest, GdiDrawingWithTheContextCurrentLeavesOpenGlsStateAsItWas) {
    auto activeTexture = reinterpret_cast<PFNGLACTIVETEXTUREPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glActiveTexture")));
    glDrawBuffer(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_OR);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    glPixelZoom(2.0f, 3.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    activeTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.25f, 0.5f, 0.75f);

    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(window_->dc, pen);
    const POINT line[2] = {{10, 10}, {100, 60}};
    ASSERT_TRUE(Polyline(window_->dc, line, 2));
    ASSERT_TRUE(TextOutW(window_->dc, 20, 20, L"state", 5));
    EXPECT_NE(GetPixel(window_->dc, 10, 10), CLR_INVALID);
    SelectObject(window_->dc, old);
    DeleteObject(pen);

    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint value = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &value);
    EXPECT_EQ(value, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_LOGIC_OP));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    glGetIntegerv(GL_LOGIC_OP_MODE, &value);
    EXPECT_EQ(value, GL_OR);
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && !mask[3]);
    GLfloat zoom = 0.0f;
    glGetFloatv(GL_ZOOM_Y, &zoom);
    EXPECT_EQ(zoom, 3.0f);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_PACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 8);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    glDisable(GL_TEXTURE_2D);
    activeTexture(GL_TEXTURE0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_LOGIC_OP);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

TEST(GdiHold, AWindowDestroyedWhileGdiDrawingWaitsLeavesNothingForTheNextWindow) {
    if (!vyrtest::DisplayAvailable()) GTEST_FAIL() << "no X display";
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    HWND window = CreateWindowExW(0, L"VyrTestWindow", L"held", WS_VISIBLE, 0, 0, kW, kH, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    HDC first = GetDC(window);
    HPEN red = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(first, red);
    const POINT line[2] = {{0, 30}, {kW, 30}};
    ASSERT_TRUE(Polyline(first, line, 2));  // no context is current: the line waits
    SelectObject(first, old);
    DeleteObject(red);
    ASSERT_TRUE(DestroyWindow(window));  // while its DC is held

    // The next window (often at the old one's address) has nothing of the old one's drawing, on
    // its own picture nor once a black one is drawn.
    vyrtest::GlWindow next(kW, kH);
    ASSERT_TRUE(next.Valid());
    EXPECT_NE(GetPixel(next.dc, 100, 30), RGB(255, 0, 0)) << (next.dc == first ? "same address" : "new address");
    ASSERT_TRUE(next.MakeCurrent());
    vyrtest::SetPixelProjection(kW, kH);
    glDrawBuffer(GL_FRONT);
    vyrtest::Clear(kBlack);
    glDrawBuffer(GL_BACK);
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(GetPixel(next.dc, 100, 30), RGB(0, 0, 0)) << (next.dc == first ? "same address" : "new address");
    ASSERT_TRUE(next.MakeCurrent());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, kH - 1 - 30), kBlack));
    wglMakeCurrent(nullptr, nullptr);
}
