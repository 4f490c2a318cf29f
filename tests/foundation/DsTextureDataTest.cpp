// Texel blocks of texture images: fresh texels, copies, refused sizes.
#include "DsTextureData.h"

#include <gtest/gtest.h>

TEST(DsTextureDataTest, BlocksStartGreyAndTransparentAndCopyTheirTexels)
{
    DsTextureBuffer block;
    EXPECT_TRUE(block.IsEmpty());
    EXPECT_EQ(block.Row(0), nullptr);
    block.Resize(3, 2);
    EXPECT_EQ(block.GetColumns(), 3);
    EXPECT_EQ(block.GetRows(), 2);
    EXPECT_EQ(block.Row(1)[2], SColor4ub(192, 192, 192, 0));
    EXPECT_EQ(block.Row(2), nullptr);
    block.Row(1)[2] = SColor4ub(1, 2, 3, 4);
    DsTextureBuffer copy;
    copy.Copy(block);
    block.Row(1)[2] = SColor4ub(9, 9, 9, 9);
    EXPECT_EQ(copy.Row(1)[2], SColor4ub(1, 2, 3, 4));
    block.Resize(0, 5);  // refused: the block stays
    EXPECT_EQ(block.GetColumns(), 3);
    block.Free();
    EXPECT_TRUE(block.IsEmpty());
    EXPECT_EQ(block.GetRows(), 0);
}
