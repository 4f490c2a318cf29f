// The plot palette: pen widths, the pen of each colour, and the width a colour plots with.
#include "DisplayStateGuard.h"

#include "DsColorStorage.h"
#include "DsPalette.h"
#include "DsPlotPallete.h"

#include <gtest/gtest.h>

namespace {

class DsPlotPalleteTest : public ::testing::Test {
protected:
    // A palette of `count` colours, colour i being (i, 0, 0).
    static CDsPalette* Ramp(int count)
    {
        auto* palette = new CDsPalette(count);
        for (int i = 0; i < count; ++i) palette->SetColor(i, CDsColorStorage(uint8_t(i), 0, 0));
        return palette;
    }

    vyrtest::DisplayStateGuard guard_;
};

}  // namespace

TEST_F(DsPlotPalleteTest, PensStartAtStepsOfAFifthAndOnlyFifteenAreKept)
{
    CDsPlotPallete* plot = CDsPlotPallete::StGetInstance();
    EXPECT_EQ(CDsPlotPallete::StGetInstance(), plot);
    EXPECT_FLOAT_EQ(plot->GetWidth(0), 0.0f);
    EXPECT_FLOAT_EQ(plot->GetWidth(5), 1.0f);
    EXPECT_FLOAT_EQ(plot->GetWidth(14), 2.8f);
    EXPECT_FLOAT_EQ(plot->GetWidth(15), 0.0f);
    EXPECT_FLOAT_EQ(plot->GetWidth(-1), 0.0f);
    plot->SetWidth(2, 0.35f);
    plot->SetWidth(15, 9.0f);  // ignored
    EXPECT_FLOAT_EQ(plot->GetWidth(2), 0.35f);
    EXPECT_FLOAT_EQ(plot->GetWidth(15), 0.0f);

    // A new singleton after deletion starts from the defaults again.
    CDsPlotPallete::StDeletePlotPallete();
    EXPECT_FLOAT_EQ(CDsPlotPallete::StGetInstance()->GetWidth(2), 0.4f);
}

TEST_F(DsPlotPalleteTest, AColourPlotsWithThePenOfItsPaletteEntry)
{
    CDsPlotPallete* plot = CDsPlotPallete::StGetInstance();
    CDsColorStorage color(4, 0, 0);
    EXPECT_EQ(plot->GetWidth(&color), 0);  // no colour palette

    plot->SetColorPallete(Ramp(8));  // fewer than 16 colours: pen 0's width for every colour
    plot->SetWidth(0, 2.7f);
    EXPECT_EQ(plot->GetWidth(&color), 2);

    plot->SetColorPallete(Ramp(16));
    EXPECT_EQ(plot->GetWidth(&color), 4);  // pen i for colour i by default
    plot->SetWidth(4, 11);
    EXPECT_EQ(plot->GetWidth(&color), 11);
    plot->SetWidth(15, 3);  // colours 0 to 14 only: ignored
    CDsColorStorage absent(200, 1, 1);
    plot->SetWidth(0, 6);
    EXPECT_EQ(plot->GetWidth(&absent), 6);  // not in the palette: pen 0
    EXPECT_EQ(plot->GetWidth(nullptr), 6);

    // Colour 15 has no pen of its own: it plots with pen 0, as a colour the palette lacks.
    CDsColorStorage last(15, 0, 0);
    EXPECT_EQ(plot->GetWidth(&last), 6);
}

TEST_F(DsPlotPalleteTest, TheColourPaletteIsOwnedAndReplaced)
{
    CDsPlotPallete* plot = CDsPlotPallete::StGetInstance();
    CDsPalette* first = Ramp(16);
    plot->SetColorPallete(first);
    EXPECT_EQ(plot->GetColorPallete(), first);
    plot->SetColorPallete(first);  // the same one again: kept, not deleted
    EXPECT_EQ(plot->GetColorPallete()->GetCount(), 16);
    plot->SetColorPallete(Ramp(20));  // the first one is deleted (the leak checker would tell)
    EXPECT_EQ(plot->GetColorPallete()->GetCount(), 20);
    plot->SetColorPallete(nullptr);
    EXPECT_EQ(plot->GetColorPallete(), nullptr);
}
