// A view's background: which colour a painter puts at the bottom and at the top for each
// combination of the gradient and inverted flags, and what copies and resets keep.
#include "DsBackground.h"

#include <gtest/gtest.h>

namespace {

const CDsColorStorage kSky(40, 80, 200), kGround(230, 220, 200);

CDsColorStorage Bottom(const CDsBackground& background)
{
    CDsColorStorage color(1, 2, 3);
    background.GetBottomColor(color);
    return color;
}

CDsColorStorage Top(const CDsBackground& background)
{
    CDsColorStorage color(1, 2, 3);
    background.GetTopColor(color);
    return color;
}

}  // namespace

TEST(DsBackgroundTest, TheGradientColourIsAtTheBottomOnlyWhenTheGradientIsOnAndInverted)
{
    struct Case {
        bool useGradient, inverted;
        CDsColorStorage bottom, top;
    } cases[] = {
        {false, false, kSky, kGround},
        {false, true, kSky, kGround},  // inverted alone changes nothing
        {true, false, kSky, kGround},
        {true, true, kGround, kSky},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "gradient " << c.useGradient << ", inverted " << c.inverted);
        const CDsBackground background(kSky, kGround, c.useGradient, c.inverted);
        EXPECT_EQ(Bottom(background), c.bottom);
        EXPECT_EQ(Top(background), c.top);
        EXPECT_EQ(background.GetUseGradientFlag(), c.useGradient);
    }
}

TEST(DsBackgroundTest, SettersGettersCopiesAndResetKeepWhatTheySay)
{
    CDsBackground background;
    CDsColorStorage color(9, 9, 9), gradient(9, 9, 9);
    bool useGradient = true, inverted = true;
    background.GetBackground(color);
    background.GetGradient(gradient, useGradient, inverted);
    EXPECT_EQ(color, CDsColorStorage());
    EXPECT_EQ(gradient, CDsColorStorage());
    EXPECT_FALSE(useGradient);
    EXPECT_FALSE(inverted);

    background.SetBackground(kSky);
    background.SetGradient(kGround, true, true);
    background.GetGradient(gradient, useGradient, inverted);
    EXPECT_EQ(gradient, kGround);
    EXPECT_TRUE(useGradient);
    EXPECT_TRUE(inverted);
    EXPECT_EQ(Bottom(background), kGround);

    // Copies carry all four values and are independent of the original.
    CDsBackground copy(background);
    CDsBackground assigned;
    assigned = background;
    CDsBackground copied;
    copied.CopyObject(background);
    background.SetBackground(CDsColorStorage(1, 1, 1));
    for (const CDsBackground* other : {&copy, &assigned, &copied}) {
        EXPECT_EQ(Bottom(*other), kGround);
        EXPECT_EQ(Top(*other), kSky);
    }

    // Colours given from the background itself stay as they are.
    CDsColorStorage own;
    copy.GetBackground(own);
    copy.SetBackground(own);
    EXPECT_EQ(Top(copy), kSky);

    // A reset turns the gradient off and keeps both colours.
    copy.ResetMembers();
    copy.GetGradient(gradient, useGradient, inverted);
    EXPECT_FALSE(useGradient);
    EXPECT_FALSE(inverted);
    EXPECT_EQ(gradient, kGround);
    EXPECT_EQ(Bottom(copy), kSky);
    copy.SetUseGradientFlag(true);
    EXPECT_EQ(Top(copy), kGround);
}
