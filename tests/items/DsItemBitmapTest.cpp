// The bitmap item's bits: the row length glBitmap is given, the size limit, and a one-bit GDI
// picture copied upright into rows that run from the bottom up.
#include "DsItemBitmap.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A one-bit device-dependent bitmap of the rows given top first ('#' a set bit).
HBITMAP OneBit(int width, const std::vector<std::string>& rows)
{
    const int stride = (width + 15) / 16 * 2;
    std::vector<BYTE> bits(size_t(stride) * rows.size(), 0);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int x = 0; x < width; ++x)
            if (rows[r][size_t(x)] == '#') bits[r * size_t(stride) + size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
    return CreateBitmap(width, int(rows.size()), 1, 1, bits.data());
}

// The item's rows as text, top first, over `width` columns ('#' set).
std::vector<std::string> Rows(const CDsItemBitmap& item, int width)
{
    int w = 0, h = 0;
    item.GetSize(w, h);
    std::vector<std::string> rows;
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) row += item.TestPixel(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(DsItemBitmapTest, RowsAreWholeWordsWithOneMoreForAWidthOfWholeWords)
{
    const CDsItemBitmap marker(5, 5, 3, 4, 2, 2);
    ASSERT_NE(marker.GetBits(), nullptr);
    EXPECT_EQ(marker.GetRowLengthBits(), 32);
    EXPECT_EQ(marker.GetRowLengthBytes(), 4);
    EXPECT_EQ(marker.GetTotalSize(), 20u);
    for (size_t i = 0; i < marker.GetTotalSize(); ++i) EXPECT_EQ(marker.GetBits()[i], 0) << i;
    int x = 0, y = 0;
    marker.GetPosition(x, y);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    marker.GetHotSpot(x, y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);

    EXPECT_EQ(CDsItemBitmap(33, 2, 0, 0, 0, 0).GetRowLengthBits(), 64);
    EXPECT_EQ(CDsItemBitmap(32, 2, 0, 0, 0, 0).GetRowLengthBits(), 64);
    EXPECT_EQ(CDsItemBitmap(31, 2, 0, 0, 0, 0).GetRowLengthBits(), 32);
}

TEST(DsItemBitmapTest, APictureTooLargeOrEmptyGetsNoBits)
{
    const CDsItemBitmap large(3000, 3000, 0, 0, 0, 0);  // 376 x 3000 = 1,128,000 bytes
    EXPECT_NE(large.GetBits(), nullptr);
    EXPECT_EQ(large.GetTotalSize(), 1128000u);
    const CDsItemBitmap tooLarge(8000, 6000, 0, 0, 0, 0);  // 1004 x 6000 = 6,024,000 bytes
    EXPECT_EQ(tooLarge.GetBits(), nullptr);
    EXPECT_EQ(tooLarge.GetTotalSize(), 0u);
    EXPECT_FALSE(tooLarge.TestPixel(0, 0));
    const CDsItemBitmap narrow(0, 5, 0, 0, 0, 0), flat(5, -1, 0, 0, 0, 0), none;
    const CDsItemBitmap huge(0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0, 0);
    for (const CDsItemBitmap* empty : {&narrow, &flat, &none, &huge}) {
        EXPECT_EQ(empty->GetBits(), nullptr);
        EXPECT_EQ(empty->GetRowLengthBits(), 0);
        EXPECT_EQ(empty->GetTotalSize(), 0u);
    }
}

TEST(DsItemBitmapTest, APictureIsCopiedUprightRowByRow)
{
    // 10 pixels: a GDI row is 2 bytes, an item row 4; the item's row 0 is the bottom one.
    HBITMAP picture = OneBit(10, {"#........#", "..#....#..", "##########"});
    CDsItemBitmap item(10, 3, 0, 0, 5, 1);
    ASSERT_TRUE(item.CopyFromBitmap(picture));
    EXPECT_EQ(Rows(item, 32), (std::vector<std::string>{"#........#......................",
                                                         "..#....#........................",
                                                         "##########......................"}));
    EXPECT_TRUE(item.TestPixel(0, 0) && item.TestPixel(9, 0));  // the bottom row is full
    EXPECT_FALSE(item.TestPixel(1, 2));
    EXPECT_FALSE(item.TestPixel(10, 0));  // outside the bitmap
    EXPECT_EQ(item.GetBits()[0], 0xFF);   // the first stored row is the bottom one
    EXPECT_EQ(item.GetBits()[1], 0xC0);

    // A smaller item keeps the picture's top-left part; pixels past its width stay clear.
    CDsItemBitmap smaller(4, 2, 0, 0, 0, 0);
    ASSERT_TRUE(smaller.CopyFromBitmap(picture));
    EXPECT_EQ(Rows(smaller, 8), (std::vector<std::string>{"#.......", "..#....."}));
    EXPECT_EQ(smaller.GetBits()[0], 0x20);  // pixel 7 of that row is cut, not kept in the padding
    // A larger one is clear where the picture does not reach.
    CDsItemBitmap larger(12, 4, 0, 0, 0, 0);
    ASSERT_TRUE(larger.CopyFromBitmap(picture));
    EXPECT_EQ(Rows(larger, 12), (std::vector<std::string>{"#........#..", "..#....#....", "##########..", "............"}));
    DeleteObject(picture);
}

TEST(DsItemBitmapTest, OnlyOneBitPicturesAreCopied)
{
    HBITMAP picture = OneBit(3, {"###", "###"});
    CDsItemBitmap item(3, 2, 0, 0, 0, 0);
    ASSERT_TRUE(item.CopyFromBitmap(picture));
    const unsigned int colour[4] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    HBITMAP deep = CreateBitmap(2, 2, 1, 32, colour);
    EXPECT_FALSE(item.CopyFromBitmap(deep));
    EXPECT_FALSE(item.CopyFromBitmap(nullptr));
    EXPECT_TRUE(item.TestPixel(2, 1));  // unchanged
    CDsItemBitmap none;
    EXPECT_FALSE(none.CopyFromBitmap(picture));
    DeleteObject(deep);
    DeleteObject(picture);
}
