// UiBitmap: copies keep the picture exactly (whatever kind of bitmap it is), and the disabled form
// of a picture shows its shapes in the button shadow colour with a highlight below and to the
// right, transparent where the picture was. Pixels are read back from the bitmaps.
#include "UiBitmap.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// COLORREF values (red lowest).
const COLORREF kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

// The colour of pixel (x, y), counted from the top left, of a bitmap not selected elsewhere.
COLORREF PixelOf(const CBitmap& bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(bitmap.GetSafeHandle()));
    const COLORREF color = old ? GetPixel(dc, x, y) : CLR_INVALID;
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
    return color;
}

// A w x h 32-bit device-dependent bitmap of one colour, with a block of another colour from
// (x0, y0) to (x1, y1) inclusive, counted from the top left.
bool MakePicture(UiBitmap& bitmap, int w, int h, COLORREF fill, COLORREF block, int x0, int y0, int x1, int y1)
{
    std::vector<uint8_t> bits(size_t(w * h * 4), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = x >= x0 && x <= x1 && y >= y0 && y <= y1 ? block : fill;
            uint8_t* p = &bits[size_t((y * w + x) * 4)];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return bitmap.CreateBitmap(w, h, 1, 32, bits.data()) != FALSE;
}

}  // namespace

TEST(UiBitmapTest, CopiesKeepThePictureWhateverKindOfBitmapItIs)
{
    // A device-dependent bitmap.
    UiBitmap picture;
    ASSERT_TRUE(MakePicture(picture, 5, 4, kMagenta, kBlue, 1, 0, 2, 1));
    UiBitmap copy;
    ASSERT_TRUE(copy.CopyFrom(picture));
    EXPECT_NE(copy.GetSafeHandle(), picture.GetSafeHandle());
    EXPECT_EQ(PixelOf(copy, 1, 0), kBlue);
    EXPECT_EQ(PixelOf(copy, 2, 1), kBlue);
    EXPECT_EQ(PixelOf(copy, 3, 3), kMagenta);
    EXPECT_EQ(copy.GetResourceId(), UiBitmap::kNoResource);

    // A bottom-up 24-bit section of 3 x 2 (rows of 9 bytes padded to 12): top row red, bottom blue.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    UiBitmap section;
    ASSERT_TRUE(section.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)));
    uint8_t* rows = static_cast<uint8_t*>(bits);
    for (int x = 0; x < 3; ++x) {
        rows[3 * x + 0] = 255;       // first stored row (the bottom one): blue
        rows[12 + 3 * x + 2] = 255;  // second stored row (the top one): red
    }
    ASSERT_TRUE(copy.CopyFrom(section));
    EXPECT_EQ(PixelOf(copy, 0, 0), kRed);
    EXPECT_EQ(PixelOf(copy, 2, 1), kBlue);

    // An 8-bit section with its own colour table: the colours, not the indexes, are kept.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } indexed{};
    indexed.header = info.bmiHeader;
    indexed.header.biBitCount = 8;
    indexed.header.biHeight = -2;  // top-down
    indexed.header.biClrUsed = 2;
    indexed.colors[0] = RGBQUAD{0, 200, 0, 0};
    indexed.colors[1] = RGBQUAD{10, 20, 30, 0};
    UiBitmap palettized;
    ASSERT_TRUE(palettized.Attach(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&indexed), DIB_RGB_COLORS, &bits, nullptr, 0)));
    static_cast<uint8_t*>(bits)[1] = 1;  // top row, second pixel
    ASSERT_TRUE(copy.CopyFrom(palettized));
    EXPECT_EQ(PixelOf(copy, 0, 0), RGB(0, 200, 0));
    EXPECT_EQ(PixelOf(copy, 1, 0), RGB(30, 20, 10));

    // Nothing to copy: no bitmap afterwards, and a failure answered.
    UiBitmap empty;
    EXPECT_FALSE(copy.CopyFrom(empty));
    EXPECT_EQ(copy.GetSafeHandle(), nullptr);
    EXPECT_FALSE(copy.CopyFrom(copy));  // itself, with nothing to copy
}

TEST(UiBitmapTest, TheDisabledImageEmbossesTheShapesAndKeepsTheTransparentColour)
{
    // 8 x 8 of magenta (the transparent colour, top left) with a blue 3 x 3 block at (2, 2).
    UiBitmap image;
    ASSERT_TRUE(MakePicture(image, 8, 8, kMagenta, kBlue, 2, 2, 4, 4));
    ASSERT_TRUE(image.CreateDisabledImage());
    BITMAP description{};
    ASSERT_EQ(image.GetBitmap(&description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidth, 8);
    EXPECT_EQ(description.bmHeight, 8);

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            COLORREF expected = kMagenta;
            if (x >= 2 && x <= 4 && y >= 2 && y <= 4)
                expected = shadow;
            else if (x >= 3 && x <= 5 && y >= 3 && y <= 5)
                expected = highlight;  // the block moved one pixel right and down
            EXPECT_EQ(PixelOf(image, x, y), expected) << "pixel " << x << ", " << y;
        }
    EXPECT_EQ(image.GetResourceId(), UiBitmap::kNoResource);
}

TEST(UiBitmapTest, TheDisabledImageIsRefusedWithoutAFreeBitmap)
{
    UiBitmap none;
    EXPECT_FALSE(none.CreateDisabledImage());
    EXPECT_EQ(none.GetSafeHandle(), nullptr);

    // A bitmap held by a device context stays as it is.
    UiBitmap image;
    ASSERT_TRUE(MakePicture(image, 4, 4, kMagenta, kBlue, 1, 1, 2, 2));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(image.GetSafeHandle()));
    HGDIOBJ held = image.GetSafeHandle();
    EXPECT_FALSE(image.CreateDisabledImage());
    EXPECT_EQ(image.GetSafeHandle(), held);
    EXPECT_EQ(GetPixel(dc, 1, 1), kBlue);
    SelectObject(dc, old);
    DeleteDC(dc);
}
