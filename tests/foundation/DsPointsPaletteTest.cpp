// The points palette's table: which bitmap serves which marker style and size.
#include "DsPointsPalette.h"

#include <gtest/gtest.h>

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
