// The line-style palette: the standard styles and their drafting standard, the free styles, and
// which palette is active.
#include "DsStylePalette.h"

#include <gtest/gtest.h>

namespace {

class DsStylePaletteTest : public ::testing::Test {
protected:
    void TearDown() override { CDsStylePalette::StDeactivate(nullptr); }
};

uint16_t Pattern(const CDsStylePalette& palette, int style)
{
    uint16_t pattern = 0;
    int factor = 0;
    EXPECT_TRUE(palette.GetStyle(style, pattern, factor));
    return pattern;
}

int Factor(const CDsStylePalette& palette, int style)
{
    uint16_t pattern = 0;
    int factor = 0;
    EXPECT_TRUE(palette.GetStyle(style, pattern, factor));
    return factor;
}

}  // namespace

TEST_F(DsStylePaletteTest, DefaultTableIsIsoWithSolidStyleZero)
{
    const CDsStylePalette* active = CDsStylePalette::StGetActive();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->GetStandrd(), eStandardIso);
    const uint16_t standard[8] = {0xFFFF, 0x3F3F, 0x33FF, 0x333F, 0x3333, 0x00FF, 0xF9F0, 0xC630};
    for (int style = 0; style < 8; ++style) {
        EXPECT_EQ(Pattern(*active, style), standard[style]) << "style " << style;
        EXPECT_EQ(Factor(*active, style), 2) << "style " << style;
    }
    for (int style = 8; style < 32; ++style) {
        EXPECT_EQ(Pattern(*active, style), 0x63C6) << "style " << style;
        EXPECT_EQ(Factor(*active, style), 1) << "style " << style;
    }
    uint16_t pattern = 7;
    int factor = 7;
    EXPECT_FALSE(active->GetStyle(32, pattern, factor));
    EXPECT_FALSE(active->GetStyle(-1, pattern, factor));
    EXPECT_EQ(pattern, 7);
    EXPECT_EQ(factor, 7);
}

TEST_F(DsStylePaletteTest, StandardStylesAreFixedAndFollowTheStandard)
{
    CDsStylePalette palette;
    EXPECT_FALSE(palette.SetStyle(3, 0x1234, 9));  // fixed
    EXPECT_EQ(Pattern(palette, 3), 0x333F);
    EXPECT_TRUE(palette.SetStyle(20, 0x1234, 9));
    EXPECT_FALSE(palette.SetStyle(32, 0x1234, 9));

    palette.SetStandard(eStandardAnsi);
    EXPECT_EQ(palette.GetStandrd(), eStandardAnsi);
    EXPECT_EQ(Pattern(palette, 3), 0x333F);
    EXPECT_EQ(Factor(palette, 3), 1);
    EXPECT_EQ(Pattern(palette, 20), 0x1234);  // free styles stay
    EXPECT_EQ(Factor(palette, 20), 9);
    palette.SetStandard(EStandardLineStyles(5));  // unknown: nothing changes
    EXPECT_EQ(palette.GetStandrd(), eStandardAnsi);
    EXPECT_EQ(Factor(palette, 0), 1);

    // The default styles of the stored standard reset the free styles.
    palette.SetDefaultStyles();
    EXPECT_EQ(Factor(palette, 0), 1);
    EXPECT_EQ(Pattern(palette, 20), 0x63C6);
}

TEST_F(DsStylePaletteTest, TheDefaultPaletteComesBackWhateverIsDeactivatedOrDeleted)
{
    CDsStylePalette* standard = CDsStylePalette::StGetActive();
    CDsStylePalette other;
    CDsStylePalette::StActivate(&other);
    EXPECT_EQ(CDsStylePalette::StGetActive(), &other);
    EXPECT_EQ(CDsStylePalette::mActive, &other);
    CDsStylePalette unrelated;
    CDsStylePalette::StDeactivate(&unrelated);
    EXPECT_EQ(CDsStylePalette::StGetActive(), standard);

    {
        CDsStylePalette scoped;
        CDsStylePalette::StActivate(&scoped);
    }
    EXPECT_EQ(CDsStylePalette::StGetActive(), standard);
    CDsStylePalette::StActivate(nullptr);
    EXPECT_EQ(CDsStylePalette::StGetActive(), standard);
}

TEST_F(DsStylePaletteTest, CopiesTakeTheTableButNeitherTheActiveRoleNorAGdiPalette)
{
    CDsStylePalette original;
    original.SetStandard(eStandardAnsi);
    ASSERT_TRUE(original.SetStyle(12, 0x0F0F, 3));
    CDsStylePalette::StActivate(&original);
    {
        const CDsStylePalette copy(original);
        EXPECT_EQ(copy.GetStandrd(), eStandardAnsi);
        EXPECT_EQ(Pattern(copy, 12), 0x0F0F);
        EXPECT_EQ(Factor(copy, 12), 3);
        EXPECT_EQ(Factor(copy, 1), 1);
        const CPalette& framework = copy;  // a framework palette without a GDI palette of its own
        EXPECT_EQ(framework.GetSafeHandle(), nullptr);
        EXPECT_EQ(framework.GetEntryCount(), 0);
    }
    EXPECT_EQ(CDsStylePalette::StGetActive(), &original);  // the copy's end leaves the original active

    CDsStylePalette assigned;
    assigned = original;
    EXPECT_EQ(Pattern(assigned, 12), 0x0F0F);
    EXPECT_EQ(assigned.GetStandrd(), eStandardAnsi);
}
