// GDI transfers to and from window DCs, checked against the GL front buffer.
#include "Dib.h"
#include "GlTestFixture.h"

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
