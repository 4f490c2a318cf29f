// The attribute pickers' sample items drawn into a memory device context and read back: colour
// cells, style rows with their runs and starting gap, the preview's pen width and colour, the
// width sample's lines and text, and the text item.
#include "DsAttDrawItem.h"
#include "DsStylePalette.h"

#include "DibCanvas.h"

#include <gtest/gtest.h>

#include <vector>

using vyrtest::DibCanvas;

namespace {

constexpr uint32_t kBlack = 0x000000;

// Runs of non-white pixels along row y from x0 to x1 (inclusive): their lengths.
std::vector<int> InkRuns(const DibCanvas& c, int y, int x0, int x1)
{
    std::vector<int> runs;
    int run = 0;
    for (int x = x0; x <= x1; ++x) {
        if (c.At(x, y) != DibCanvas::kWhite) {
            ++run;
        } else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run) runs.push_back(run);
    return runs;
}

// The first non-white x of row y, -1 when none.
int FirstInk(const DibCanvas& c, int y)
{
    for (int x = 0; x < c.width; ++x)
        if (c.At(x, y) != DibCanvas::kWhite) return x;
    return -1;
}

struct AttDrawItemTest : ::testing::Test {
    AttDrawItemTest() { CDsStylePalette::StActivate(nullptr); }
    ~AttDrawItemTest() override { CDsStylePalette::StActivate(nullptr); }
    DibCanvas canvas{200, 40};
    CDC dc;
    void SetUp() override { dc.Attach(canvas.dc); }
    void TearDown() override { dc.Detach(); }
};

}  // namespace

TEST_F(AttDrawItemTest, AColourCellIsFilledAndFramedInBlack)
{
    CRect cell(10, 5, 50, 25);
    CDsAttDrawItem::DrawColorItem(&dc, cell, RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(30, 15), 0xFF0000u);  // inside (0x00RRGGBB)
    EXPECT_EQ(canvas.At(10, 15), kBlack);     // left edge
    EXPECT_EQ(canvas.At(49, 15), kBlack);     // right edge, inside the cell
    EXPECT_EQ(canvas.At(30, 5), kBlack);
    EXPECT_EQ(canvas.At(30, 24), kBlack);
    EXPECT_EQ(canvas.At(50, 15), DibCanvas::kWhite);  // the cell's right edge is left out
    EXPECT_EQ(canvas.At(9, 15), DibCanvas::kWhite);
}

TEST_F(AttDrawItemTest, StyleRowsShowTheStylesRunsAndStartAfterALeadingGap)
{
    // Style 0 is solid: two full rows from left + 4 to right - 4 (the last point left out).
    CRect cell(0, 0, 200, 20);
    CDsAttDrawItem::DrawStyleItem(&dc, cell, 0);
    const int y = cell.bottom - cell.Height() / 2;
    EXPECT_EQ(InkRuns(canvas, y, 0, 199), std::vector<int>{192});
    EXPECT_EQ(InkRuns(canvas, y + 1, 0, 199), std::vector<int>{192});
    EXPECT_EQ(FirstInk(canvas, y), 4);
    EXPECT_EQ(InkRuns(canvas, y - 1, 0, 199).size(), 0u);
    EXPECT_EQ(InkRuns(canvas, y + 2, 0, 199).size(), 0u);

    // Style 5 of the ISO table (0x00FF, factor 2) starts 16 pixels in, then 16 on, 16 off.
    canvas.Clear();
    CDsStylePalette iso;
    iso.SetIsoStyles();
    CDsStylePalette::StActivate(&iso);
    CDsAttDrawItem::DrawStyleItem(&dc, cell, 5);
    EXPECT_EQ(FirstInk(canvas, y), 4 + 16);
    const std::vector<int> runs = InkRuns(canvas, y, 0, 199);
    ASSERT_GE(runs.size(), 4u);
    for (size_t i = 0; i + 1 < runs.size(); ++i) EXPECT_EQ(runs[i], 16) << "run " << i;
    EXPECT_EQ(InkRuns(canvas, y + 1, 0, 199), runs);

    // A style outside the table draws nothing.
    canvas.Clear();
    CDsAttDrawItem::DrawStyleItem(&dc, cell, 32);
    int l, t, r, b;
    EXPECT_FALSE(canvas.Ink(l, t, r, b));
}

TEST_F(AttDrawItemTest, APreviewDrawsAtItsPenWidthInItsColour)
{
    CRect cell(0, 0, 200, 40);
    CDsAttDrawItem::DrawPreviewItem(&dc, cell, 5, 0, RGB(0, 0, 255));
    const int y = cell.bottom - cell.Height() / 2;
    EXPECT_EQ(canvas.At(100, y), 0x0000FFu);
    // Two 5-wide rows, one below the other: 6 rows of ink in the middle column.
    int rows = 0;
    for (int yy = 0; yy < 40; ++yy) rows += canvas.At(100, yy) == 0x0000FFu;
    EXPECT_EQ(rows, 6);
}

TEST_F(AttDrawItemTest, TheWidthSampleDrawsWidthPlusOneLinesAfterItsTextCappedAtTheCellsHeight)
{
    CRect cell(0, 0, 200, 30);
    CDsAttDrawItem::DrawWidthItem(&dc, cell, 2);  // 3 pixels
    int lines = 0;
    for (int y = 0; y < 30; ++y) lines += canvas.At(190, y) == kBlack;
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(canvas.At(196, 15), DibCanvas::kWhite);  // ends 4 pixels inside the right edge
    // The text "3 pxl" stands at the left, from x = 4.
    int l, t, r, b;
    ASSERT_TRUE(canvas.Ink(l, t, r, b));
    EXPECT_GE(l, 4);
    EXPECT_LT(l, 12);

    // Width 10 in a 6-pixel cell: 6 lines.
    canvas.Clear();
    CRect low(0, 0, 200, 6);
    CDsAttDrawItem::DrawWidthItem(&dc, low, 10);
    lines = 0;
    for (int y = 0; y < 6; ++y) lines += canvas.At(190, y) == kBlack;
    EXPECT_EQ(lines, 6);
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);  // the background mode given back
}

TEST_F(AttDrawItemTest, TheTextItemWritesAtTheCellsCornerAsHighAsTheCell)
{
    CRect cell(20, 10, 180, 34);
    CDsAttDrawItem::DrawTextItem(&dc, cell, CStringW(L"Hello"));
    int l, t, r, b;
    ASSERT_TRUE(canvas.Ink(l, t, r, b));
    EXPECT_GE(l, 20);
    EXPECT_LT(l, 30);
    EXPECT_GE(t, 10);
    EXPECT_LE(b, 34);
    EXPECT_GE(b - t, 10);  // a glyph about as high as the cell, not the DC's small font
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    CDsAttDrawItem::DrawTextItem(nullptr, cell, CStringW(L"x"));  // a null DC: nothing
}
