// Brushes, the colours of a DC and the system colours: painting with a brush, masks made from a
// colour picture by its background colour, masks drawn onto colour in the DC's colours, and the
// embossing operation that paints a brush only where a mask is black.
#include "DibCanvas.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// 0x00RRGGBB, as a 32-bit DIB pixel reads on this machine.
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

using Canvas = vyrtest::DibCanvas;

// A memory DC holding a monochrome bitmap.
struct Mask {
    Mask(int w, int h) {
        bitmap = CreateBitmap(w, h, 1, 1, nullptr);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Mask() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
};

}  // namespace

TEST(GdiColours, BrushesPaintTheirColourAndLiveWhileSelected) {
    Canvas canvas(3, 2, kBlack);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(GetObjectType(red), DWORD(OBJ_BRUSH));
    HGDIOBJ previous = SelectObject(canvas.dc, red);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(PatBlt(canvas.dc, 1, 0, 2, 2, PATCOPY));
    EXPECT_EQ(canvas.At(0, 0), kBlack);
    EXPECT_EQ(canvas.At(1, 0), kRed);
    EXPECT_EQ(canvas.At(2, 1), kRed);
    ASSERT_TRUE(PatBlt(canvas.dc, 0, 0, 3, 2, PATINVERT));  // pattern xor destination
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(1, 0), kBlack);
    EXPECT_FALSE(PatBlt(canvas.dc, 0, 0, 3, 2, SRCCOPY));  // needs a source
    EXPECT_FALSE(PatBlt(nullptr, 0, 0, 3, 2, PATCOPY));

    // Selected into two DCs, the brush goes only when neither holds it.
    Canvas other(1, 1, kBlack);
    SelectObject(other.dc, red);
    EXPECT_FALSE(DeleteObject(red));
    EXPECT_EQ(SelectObject(canvas.dc, previous), red);
    EXPECT_FALSE(DeleteObject(red));
    DeleteDC(other.dc);  // a DC that goes gives its brush back
    other.dc = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_EQ(GetObjectType(red), 0u);
    EXPECT_EQ(SelectObject(canvas.dc, red), nullptr);

    // Stock brushes are never deleted.
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    EXPECT_TRUE(DeleteObject(black));
    SelectObject(canvas.dc, black);
    ASSERT_TRUE(PatBlt(canvas.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(canvas.At(0, 0), kBlack);
    SelectObject(canvas.dc, previous);
}

TEST(GdiColours, DcColoursAndPixelsAreReadBack) {
    Canvas canvas(2, 2, kBlack);
    canvas.At(1, 0) = kGreen;
    canvas.At(0, 1) = 0x102030;
    EXPECT_EQ(GetPixel(canvas.dc, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetPixel(canvas.dc, 2, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.dc, 0, -1), CLR_INVALID);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);

    EXPECT_EQ(GetBkColor(canvas.dc), RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(0, 0, 0));
    EXPECT_EQ(SetBkColor(canvas.dc, RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(SetTextColor(canvas.dc, RGB(4, 5, 6)), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(1, 2, 3));
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(4, 5, 6));
    EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
    EXPECT_EQ(GetTextColor(nullptr), CLR_INVALID);
}

TEST(GdiColours, MasksFollowTheBackgroundColourOfTheColourPicture) {
    Canvas picture(3, 1, kBlack);
    picture.At(0, 0) = kBlue;
    picture.At(1, 0) = kWhite;
    picture.At(2, 0) = kBlue;
    Mask mask(3, 1);

    // The picture's background colour (blue) becomes white in the mask, everything else black.
    SetBkColor(picture.dc, RGB(0, 0, 255));
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 3, 1, picture.dc, 0, 0, SRCCOPY));
    Canvas shown(3, 1, kRed);
    ASSERT_TRUE(BitBlt(shown.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(shown.At(0, 0), kWhite);
    EXPECT_EQ(shown.At(1, 0), kBlack);
    EXPECT_EQ(shown.At(2, 0), kWhite);

    // Drawn onto colour, white takes the destination's background colour and black its text colour.
    SetBkColor(shown.dc, RGB(0, 255, 0));
    SetTextColor(shown.dc, RGB(255, 0, 0));
    ASSERT_TRUE(BitBlt(shown.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(shown.At(0, 0), kGreen);
    EXPECT_EQ(shown.At(1, 0), kRed);
}

TEST(GdiColours, TheEmbossOperationPaintsTheBrushWhereTheMaskIsBlack) {
    // Mask: black, white, black (white where the picture was transparent).
    Mask mask(3, 1);
    ASSERT_TRUE(PatBlt(mask.dc, 0, 0, 3, 1, WHITENESS));
    ASSERT_TRUE(PatBlt(mask.dc, 0, 0, 1, 1, BLACKNESS));
    ASSERT_TRUE(PatBlt(mask.dc, 2, 0, 1, 1, BLACKNESS));
    Canvas target(3, 1, 0x123456);
    HBRUSH shadow = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ previous = SelectObject(target.dc, shadow);
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 3, 1, mask.dc, 0, 0, 0x00B8074A));
    EXPECT_EQ(target.At(0, 0), 0xA0A0A0u);
    EXPECT_EQ(target.At(1, 0), 0x123456u);
    EXPECT_EQ(target.At(2, 0), 0xA0A0A0u);
    SelectObject(target.dc, previous);
    EXPECT_TRUE(DeleteObject(shadow));
}

TEST(GdiColours, SystemColoursAreTheStandardTheme) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(160, 160, 160));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(31), 0u);
}
