// The points palette's table: which bitmap serves which marker style and size, and the markers it
// makes from the host's resource bitmaps.
#include "DsItemBitmap.h"
#include "DsPointsPalette.h"
#include "UiResourceManager.h"

#include <afx.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A resource bitmap as the framework finds it: its size and its pixels, rows from the top.
struct ResourcePicture {
    int width = 0, height = 0;
    std::vector<bool> pixels;
    bool At(int x, int row) const { return pixels[size_t(row) * size_t(width) + size_t(x)]; }
};

ResourcePicture LoadResource(unsigned int id)
{
    ResourcePicture picture;
    HBITMAP bitmap = LoadBitmapW(AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP), MAKEINTRESOURCEW(id));
    if (!bitmap) return picture;
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    const int stride = (description.bmWidth + 15) / 16 * 2;  // one-bit rows padded to 16-bit words
    std::vector<BYTE> bits(size_t(stride) * size_t(description.bmHeight));
    if (description.bmBitsPixel == 1 && GetBitmapBits(bitmap, LONG(bits.size()), bits.data()) == LONG(bits.size())) {
        picture.width = description.bmWidth;
        picture.height = description.bmHeight;
        for (int row = 0; row < picture.height; ++row)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back((bits[size_t(row) * size_t(stride) + size_t(x / 8)] >> (7 - x % 8)) & 1);
    }
    DeleteObject(bitmap);
    return picture;
}

// Markers load with the core's resources current: the resource manager remembers the framework's
// handle at its first switch, which is given back after each test.
class DsPointsPaletteMarkerTest : public ::testing::Test {
protected:
    void TearDown() override { gUiRememberedResourceHandle = remembered_; }

    HINSTANCE remembered_ = gUiRememberedResourceHandle;
};

}  // namespace

TEST(DsPointsPaletteTest, MarkerSizesFallIntoThreeBitmapSizes)
{
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(0), 0);
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(5), 0);
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(6), 1);  // 6 and 15 share the 11-pixel bitmap
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(15), 1);
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(16), 2);
    EXPECT_EQ(CDsPointsPalette::StGetSizeClass(-4), 0);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerPixels(0), 5);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerPixels(1), 11);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerPixels(2), 17);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerPixels(3), 0);
}

TEST(DsPointsPaletteTest, EachStyleAndSizeHasItsResourceBitmap)
{
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(0, 0), 581u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(0, 1), 583u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(2, 2), 549u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(6, 1), 561u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(9, 0), 580u);
    for (int sizeClass = 0; sizeClass < 3; ++sizeClass)  // style 10 shows the bitmaps of style 3
        EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(10, sizeClass),
                  CDsPointsPalette::StGetMarkerResourceId(3, sizeClass));
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(11, 0), 0u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(0, 3), 0u);
    EXPECT_EQ(CDsPointsPalette::StGetMarkerResourceId(-1, 0), 0u);

    CDsPointsPalette palette;
    palette.ClearMarkers();
    EXPECT_EQ(palette.GetMarker(3, 1), nullptr);
    EXPECT_EQ(palette.GetMarker(11, 0), nullptr);
}

TEST_F(DsPointsPaletteMarkerTest, EverySlotFillsWithItsResourceMarkerUpright)
{
    CDsPointsPalette palette;
    for (int style = 0; style < CDsPointsPalette::kStyleCount; ++style)
        for (int sizeClass = 0; sizeClass < CDsPointsPalette::kSizeClassCount; ++sizeClass) {
            const std::string at = "style " + std::to_string(style) + ", class " + std::to_string(sizeClass);
            const int pixels = CDsPointsPalette::StGetMarkerPixels(sizeClass);
            CDsItemBitmap* marker = palette.CreateMarker(sizeClass, EPointStyle(style), pixels);
            ASSERT_NE(marker, nullptr) << at;
            EXPECT_EQ(palette.GetMarker(style, sizeClass), marker) << at;
            EXPECT_EQ(palette.CreateMarker(sizeClass, EPointStyle(style), pixels), marker) << at;  // reused

            int width = 0, height = 0, hotX = 0, hotY = 0, x = -1, y = -1;
            marker->GetSize(width, height);
            marker->GetHotSpot(hotX, hotY);
            marker->GetPosition(x, y);
            EXPECT_EQ(width, pixels) << at;
            EXPECT_EQ(height, pixels) << at;
            EXPECT_EQ(hotX, pixels / 2) << at;
            EXPECT_EQ(hotY, pixels / 2) << at;
            EXPECT_EQ(x, 0) << at;
            EXPECT_EQ(y, 0) << at;
            ASSERT_EQ(marker->GetRowLengthBits(), 32) << at;

            // Pixel (x, y) of the marker, y counted up, is pixel (x, pixels - 1 - y) of the
            // picture, rows counted down; nothing is set in a row's padding.
            const ResourcePicture picture = LoadResource(CDsPointsPalette::StGetMarkerResourceId(style, sizeClass));
            ASSERT_EQ(picture.width, pixels) << at;
            ASSERT_EQ(picture.height, pixels) << at;
            int set = 0;
            for (int row = 0; row < pixels; ++row)
                for (int column = 0; column < 32; ++column) {
                    const bool expected = column < pixels && picture.At(column, pixels - 1 - row);
                    const bool stored = (marker->GetBits()[size_t(row) * 4 + size_t(column / 8)] >> (7 - column % 8)) & 1;
                    EXPECT_EQ(stored, expected) << at << ", pixel " << column << ", row " << row << " from the bottom";
                    set += stored;
                }
            EXPECT_GT(set, 0) << at;
        }
    // Style 10 has markers of its own that show the bitmaps of style 3.
    for (int sizeClass = 0; sizeClass < CDsPointsPalette::kSizeClassCount; ++sizeClass) {
        const CDsItemBitmap* square = palette.GetMarker(3, sizeClass);
        const CDsItemBitmap* ten = palette.GetMarker(10, sizeClass);
        ASSERT_NE(ten, square);
        for (size_t i = 0; i < square->GetTotalSize(); ++i) EXPECT_EQ(ten->GetBits()[i], square->GetBits()[i]);
    }
    palette.ClearMarkers();
    EXPECT_EQ(palette.GetMarker(3, 1), nullptr);
}

TEST_F(DsPointsPaletteMarkerTest, AMarkerStandsUprightCutToTheSizeAsked)
{
    // The markers are symmetric top to bottom, so a cut one shows whether the picture stands
    // upright: a square of 11 pixels asked for at 8 is its top-left 8 x 8, with the top row and
    // the left column set and the bottom row only at the left (the square's own bottom is cut).
    CDsPointsPalette palette;
    const CDsItemBitmap* cut = palette.CreateMarker(1, EPointStyle(3), 8);
    ASSERT_NE(cut, nullptr);
    for (int x = 0; x < 8; ++x) {
        EXPECT_TRUE(cut->TestPixel(x, 7)) << x;
        EXPECT_EQ(cut->TestPixel(x, 0), x == 0) << x;
        EXPECT_TRUE(cut->TestPixel(0, x)) << x;
    }
    EXPECT_EQ(cut->GetBits()[0], 0x80);  // past the 8 pixels nothing is kept

    // Nothing is made for a slot outside the table or a size below one pixel.
    EXPECT_EQ(palette.CreateMarker(3, EPointStyle(1), 5), nullptr);
    EXPECT_EQ(palette.CreateMarker(-1, EPointStyle(1), 5), nullptr);
    EXPECT_EQ(palette.CreateMarker(0, ePointStyleByType, 5), nullptr);
    EXPECT_EQ(palette.CreateMarker(2, EPointStyle(4), 0), nullptr);
    EXPECT_EQ(palette.GetMarker(4, 2), nullptr);
}
