// Hatch stipples and the textures made of them, and the hatch attribute.
#include "DsHatch.h"
#include "DsHatchPattern.h"
#include "DsHideLevel.h"
#include "DsManager.h"
#include "DsTextureData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// Pixel (x, y) of a stipple: row y (from the bottom), the highest bit of each byte leftmost.
bool StippleBit(const unsigned char* mask, int x, int y)
{
    return (mask[y * 4 + x / 8] & (0x80 >> (x % 8))) != 0;
}

// Row y of a stipple as four bytes.
uint32_t Row(const unsigned char* mask, int y)
{
    return uint32_t(mask[y * 4]) << 24 | uint32_t(mask[y * 4 + 1]) << 16 | uint32_t(mask[y * 4 + 2]) << 8 |
           mask[y * 4 + 3];
}

}  // namespace

TEST(DsHatchPatternTest, TheFourStipplesAreDiagonalBandsLeaningBothWays)
{
    const CDsHatchPattern p0(0), p1(1), p2(2), p3(3);
    EXPECT_EQ(Row(p0.GetMask(), 0), 0xF000F000u);
    EXPECT_EQ(Row(p0.GetMask(), 1), 0xF000F000u);  // rows come in pairs
    EXPECT_EQ(Row(p0.GetMask(), 2), 0x78007800u);
    EXPECT_EQ(Row(p0.GetMask(), 31), 0xE001E001u);
    EXPECT_EQ(Row(p1.GetMask(), 0), 0x000F000Fu);
    EXPECT_EQ(Row(p1.GetMask(), 2), 0x001E001Eu);
    EXPECT_EQ(Row(p2.GetMask(), 0), 0xF0F0F0F0u);
    EXPECT_EQ(Row(p2.GetMask(), 2), 0x78787878u);
    EXPECT_EQ(Row(p3.GetMask(), 0), 0x0F0F0F0Fu);
    EXPECT_EQ(Row(p3.GetMask(), 2), 0x1E1E1E1Eu);

    // Every stipple is a band of 4 pixels per period, moving one pixel every second row.
    const CDsHatchPattern* patterns[] = {&p0, &p1, &p2, &p3};
    for (const CDsHatchPattern* p : patterns) {
        int set = 0;
        for (int x = 0; x < 32; ++x) set += StippleBit(p->GetMask(), x, 10);
        EXPECT_EQ(set, p == &p0 || p == &p1 ? 8 : 16);
    }
    // The inverse comes first in the pattern's bytes.
    for (int j = 0; j < CDsHatchPattern::kMaskBytes; ++j)
        ASSERT_EQ(p2.GetData()[j], static_cast<unsigned char>(~p2.GetMask()[j])) << "byte " << j;
    EXPECT_EQ(p2.GetData() + CDsHatchPattern::kMaskBytes, p2.GetMask());
}

TEST(DsHatchPatternTest, UnknownIndexesAndNoStippleGiveStippleZero)
{
    const CDsHatchPattern zero(0), seven(7), negative(-1);
    EXPECT_EQ(std::memcmp(seven.GetData(), zero.GetData(), 2 * CDsHatchPattern::kMaskBytes), 0);
    EXPECT_EQ(std::memcmp(negative.GetMask(), zero.GetMask(), CDsHatchPattern::kMaskBytes), 0);
    CDsHatchPattern replaced(3);
    replaced.SetHatch(nullptr);
    EXPECT_EQ(std::memcmp(replaced.GetMask(), zero.GetMask(), CDsHatchPattern::kMaskBytes), 0);
    EXPECT_EQ(CDsHatchPattern::StGetStipple(4), nullptr);

    unsigned int own[32];
    for (int i = 0; i < 32; ++i) own[i] = 0x01010101u * unsigned(i);
    replaced.SetHatch(own);
    EXPECT_EQ(std::memcmp(replaced.GetMask(), own, CDsHatchPattern::kMaskBytes), 0);
    const CDsHatchPattern copy = replaced;
    EXPECT_EQ(std::memcmp(copy.GetData(), replaced.GetData(), 2 * CDsHatchPattern::kMaskBytes), 0);
    EXPECT_EQ(copy.GetMaskTextureId(), replaced.GetMaskTextureId());
}

TEST(DsHatchPatternTest, TexturesShowEachStipplePixelAtItsOwnTexel)
{
    CDsManager* manager = CDsManager::GetInstance();
    for (int index = 0; index < CDsHatchPattern::kStippleCount; ++index) {
        const CDsHatchPattern pattern(index);
        SDsTextureData mask, inverse;
        ASSERT_TRUE(manager->GetTextureData(pattern.GetMaskTextureId(), mask));
        ASSERT_TRUE(manager->GetTextureData(pattern.GetInverseTextureId(), inverse));
        EXPECT_EQ(pattern.GetInverseTextureId() + 1, pattern.GetMaskTextureId());  // inverse first
        EXPECT_TRUE(mask.repeat);
        ASSERT_EQ(mask.width, 32);
        ASSERT_EQ(mask.height, 32);
        const SColor4ub black(0, 0, 0, 255), clear(255, 255, 255, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool set = StippleBit(pattern.GetMask(), x, y);
                ASSERT_EQ(mask.buffer.Row(y)[x], set ? black : clear) << "pattern " << index << " at " << x << ", " << y;
                ASSERT_EQ(inverse.buffer.Row(y)[x], set ? clear : black) << "pattern " << index;
            }
    }
}

TEST(DsHatchTest, AHatchIsAnIndexWith255ForNone)
{
    CDsHatch none;
    EXPECT_EQ(none.GetIndex(), 255);
    EXPECT_FALSE(none.IsHatchSet());
    EXPECT_EQ(none.GetType(), eDsAttributeHatch);
    CDsHatch two(2);
    EXPECT_TRUE(two.IsHatchSet());
    EXPECT_EQ(CDsHatch(0x102).GetIndex(), 2);  // the low byte

    EXPECT_TRUE(none.SetData(two, true));
    EXPECT_EQ(none.GetIndex(), 2);
    CDsHideLevel level;
    EXPECT_FALSE(none.SetData(level, true));
    none.SetData(7u, true);  // a number is not a hatch index
    EXPECT_EQ(none.GetIndex(), 2);
    CDsHatch out(1);
    EXPECT_FALSE(two.GetData(out));  // hands nothing out
    EXPECT_EQ(out.GetIndex(), 1);
    EXPECT_EQ(two.GetData(), 0u);
    out = two;
    EXPECT_EQ(out.GetIndex(), 2);
    out.SetIndex(255);
    EXPECT_FALSE(out.IsHatchSet());
}
