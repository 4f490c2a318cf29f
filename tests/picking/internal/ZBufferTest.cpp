// The software z-buffer of the visible-only pass: triangle filling (clipping at the buffer's rows
// and columns, depth order, the counts, the cells whose centres a triangle covers), the test of a
// triangle that writes nothing, and the 5 % rule of the pass's collection.
#include "VisibleOnlyFunctor.h"
#include "VyrZBuffer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

typedef CVyrZBuffer<int*> TBuffer;

// The cells of `buffer` that hold `payload`, row by row, as (column, row, depth) triples.
std::vector<std::vector<int>> CellsOf(TBuffer& buffer, int* payload, int rowOffset = 0)
{
    std::vector<std::vector<int>> cells;
    for (int row = 0; row < buffer.GetHeight(); ++row)
        for (int column = 0; column < buffer.GetWidth(); ++column) {
            const auto* cell = buffer.GetCell(column, row);
            if (cell->payload == payload) cells.push_back({column, row + rowOffset, cell->depth});
        }
    return cells;
}

TEST(ZBuffer, ATriangleClippedByTheRowsKeepsExactlyThePixelsOfALargerBuffer)
{
    int payload = 0;
    // Rows -5 to 20: a 10-row buffer against rows 0 to 29 of a 30-row buffer shifted by 5.
    TBuffer small(40, 10), large(40, 30);
    const SVyrZVertex a{2, -5, 100}, b{30, 7, 4000}, c{11, 20, -250};
    const SVyrZFillCounts clipped = small.FillTriangle(a, b, c, &payload);
    const SVyrZFillCounts whole =
        large.FillTriangle({a.x, a.y + 5, a.depth}, {b.x, b.y + 5, b.depth}, {c.x, c.y + 5, c.depth}, &payload);
    std::vector<std::vector<int>> expected;
    for (const auto& cell : CellsOf(large, &payload, -5))
        if (cell[1] >= 0 && cell[1] < 10) expected.push_back(cell);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(CellsOf(small, &payload), expected);
    EXPECT_LT(clipped.written, whole.written);
    EXPECT_EQ(clipped.written, static_cast<long>(expected.size()));
    EXPECT_EQ(clipped.spanPixels, clipped.written);  // an empty buffer: every span pixel is written
    // Interior pixels: the spans less their ends.
    EXPECT_GT(clipped.interiorPixels, 0);
    EXPECT_LT(clipped.interiorPixels, clipped.spanPixels);
}

TEST(ZBuffer, ColumnsOutsideTheBufferAreNotWrittenAndTheRestIsUndistorted)
{
    int payload = 0;
    TBuffer small(10, 20), large(40, 20);
    const SVyrZVertex a{-12, 0, 0}, b{25, 3, 900}, c{4, 19, 50};
    small.FillTriangle(a, b, c, &payload);
    large.FillTriangle({a.x + 15, a.y, a.depth}, {b.x + 15, b.y, b.depth}, {c.x + 15, c.y, c.depth}, &payload);
    for (int row = 0; row < 20; ++row)
        for (int column = 0; column < 10; ++column) {
            const auto* s = small.GetCell(column, row);
            const auto* l = large.GetCell(column + 15, row);
            EXPECT_EQ(s->payload, l->payload) << column << "," << row;
            EXPECT_EQ(s->depth, l->depth) << column << "," << row;
        }
}

TEST(ZBuffer, TheNearerTriangleWinsAndEqualDepthKeepsTheFirst)
{
    int first = 0, second = 0, nearer = 0;
    TBuffer buffer(20, 20);
    buffer.FillTriangle({0, 0, 500}, {19, 0, 500}, {0, 19, 500}, &first);
    const SVyrZFillCounts same = buffer.FillTriangle({0, 0, 500}, {19, 0, 500}, {0, 19, 500}, &second);
    EXPECT_EQ(same.written, 0);
    EXPECT_GT(same.spanPixels, 0);
    EXPECT_TRUE(CellsOf(buffer, &second).empty());
    const SVyrZFillCounts front = buffer.FillTriangle({0, 0, 499}, {19, 0, 499}, {0, 19, 499}, &nearer);
    EXPECT_EQ(front.written, front.spanPixels);
    EXPECT_TRUE(CellsOf(buffer, &first).empty());
    EXPECT_EQ(buffer.GetCell(0, 0)->depth, 499);
    EXPECT_EQ(buffer.GetCell(19, 19)->payload, nullptr);
}

TEST(ZBuffer, DepthIsInterpolatedAcrossTheTriangle)
{
    int payload = 0;
    TBuffer buffer(11, 11);
    buffer.FillTriangle({0, 0, 0}, {10, 0, 1000}, {0, 10, 0}, &payload);
    EXPECT_EQ(buffer.GetCell(0, 0)->depth, 0);
    EXPECT_EQ(buffer.GetCell(10, 0)->depth, 1000);
    EXPECT_EQ(buffer.GetCell(5, 0)->depth, 500);
    EXPECT_EQ(buffer.GetCell(0, 5)->depth, 0);
}

TEST(ZBuffer, BadInputGivesNoCells)
{
    int payload = 0;
    TBuffer empty(0, 0), negative(-3, 5);
    EXPECT_EQ(empty.FillTriangle({0, 0, 0}, {5, 0, 0}, {0, 5, 0}, &payload).written, 0);
    EXPECT_EQ(negative.GetWidth(), 0);
    EXPECT_EQ(negative.FillTriangle({0, 0, 0}, {5, 0, 0}, {0, 5, 0}, &payload).written, 0);
    TBuffer buffer(10, 10);
    EXPECT_EQ(buffer.GetCell(-1, 0), nullptr);
    EXPECT_EQ(buffer.GetCell(10, 0), nullptr);
    EXPECT_EQ(buffer.GetCell(0, 10), nullptr);
    // Wholly above or below, and vertices far beyond 32 bits of steps.
    EXPECT_EQ(buffer.FillTriangle({0, 10, 0}, {5, 12, 0}, {0, 30, 0}, &payload).written, 0);
    EXPECT_EQ(buffer.FillTriangle({0, -30, 0}, {5, -12, 0}, {0, -1, 0}, &payload).written, 0);
    const SVyrZFillCounts huge =
        buffer.FillTriangle({-2000000000, -2000000000, 0}, {2000000000, -2000000000, 0}, {0, 2000000000, 0}, &payload);
    EXPECT_EQ(huge.written, 100);
}

// A triangle tested against the buffer counts the cells a fill would take and changes none.
TEST(ZBuffer, ATestedTriangleCountsTheCellsAFillWouldTakeAndWritesNone)
{
    int near = 0, far = 0, tested = 0;
    TBuffer buffer(30, 20), filled(30, 20);
    for (TBuffer* b : {&buffer, &filled}) {
        b->FillTriangle({0, 0, 500}, {20, 0, 500}, {0, 19, 500}, &near);
        b->FillTriangle({29, 19, 900}, {10, 19, 100}, {29, 2, 1500}, &far);
    }
    const std::vector<std::vector<int>> nearCells = CellsOf(buffer, &near), farCells = CellsOf(buffer, &far);
    const SVyrZVertex a{-4, 3, 700}, b{33, 9, 700}, c{12, 25, 700};
    const SVyrZFillCounts counts = buffer.TestTriangle(a, b, c);
    const SVyrZFillCounts fill = filled.FillTriangle(a, b, c, &tested);
    EXPECT_EQ(counts.written, 0);
    EXPECT_EQ(counts.nearer, fill.written);
    EXPECT_EQ(counts.nearer, static_cast<long>(CellsOf(filled, &tested).size()));
    EXPECT_GT(counts.nearer, 0);
    EXPECT_LT(counts.nearer, counts.spanPixels);  // behind the near triangle in part
    EXPECT_EQ(counts.spanPixels, fill.spanPixels);
    EXPECT_EQ(counts.interiorPixels, fill.interiorPixels);
    EXPECT_EQ(CellsOf(buffer, &near), nearCells);
    EXPECT_EQ(CellsOf(buffer, &far), farCells);
    EXPECT_TRUE(CellsOf(buffer, &tested).empty());
}

// A vertex at column x and row y (in cells, between them) of depth `depth`.
SVyrZSubVertex At(double x, double y, int depth = 0)
{
    const double parts = static_cast<double>(1 << kVyrZSubpixelBits);
    return SVyrZSubVertex{static_cast<int64_t>(x * parts), static_cast<int64_t>(y * parts), depth};
}

// Filled at the centres, a triangle takes the cells whose centres it covers, as a window lights
// pixels: two triangles sharing an edge take each cell of their square once, a sliver between
// centres takes none, an edge a tenth short of a centre leaves its cell, and the depth is the
// plane's at the centre.
TEST(ZBuffer, ATriangleFilledAtTheCentresTakesTheCellsWhoseCentresItCovers)
{
    int first = 0, second = 0;
    TBuffer buffer(10, 10);
    // The square [1, 5) x [1, 4): columns 1 to 4, rows 1 to 3.
    const SVyrZFillCounts a = buffer.FillTriangleAtCentres(At(1, 1), At(5, 1), At(5, 4), &first);
    const SVyrZFillCounts b = buffer.FillTriangleAtCentres(At(1, 1), At(5, 4), At(1, 4), &second);
    EXPECT_GT(a.written, 0);
    EXPECT_GT(b.written, 0);
    EXPECT_EQ(a.written + b.written, 12);
    EXPECT_EQ(a.interiorPixels, a.spanPixels);
    EXPECT_EQ(CellsOf(buffer, &first).size() + CellsOf(buffer, &second).size(), 12u);
    for (const auto& cell : CellsOf(buffer, &first)) EXPECT_TRUE(cell[0] >= 1 && cell[0] <= 4 && cell[1] >= 1 && cell[1] <= 3);
    for (const auto& cell : CellsOf(buffer, &second)) EXPECT_TRUE(cell[0] >= 1 && cell[0] <= 4 && cell[1] >= 1 && cell[1] <= 3);

    TBuffer strips(10, 10);
    EXPECT_EQ(strips.TestTriangleAtCentres(At(1.6, 1), At(1.9, 1), At(1.6, 4)).spanPixels, 0);
    // The rectangles [1, 2.4) x [1, 9) (column 1 only) and [1, 2.6) x [1, 9) (columns 1 and 2).
    for (const double right : {2.4, 2.6}) {
        const long cells = strips.TestTriangleAtCentres(At(1, 1), At(right, 1), At(right, 9)).spanPixels +
                           strips.TestTriangleAtCentres(At(1, 1), At(right, 9), At(1, 9)).spanPixels;
        EXPECT_EQ(cells, right < 2.5 ? 8 : 16) << right;
    }

    int plane = 0;
    TBuffer depths(11, 11);
    depths.FillTriangleAtCentres(At(0, 0, 0), At(11, 0, 1100), At(0, 11, 0), &plane);
    EXPECT_EQ(depths.GetCell(5, 0)->depth, 550);
    EXPECT_EQ(depths.GetCell(0, 5)->depth, 50);
}

TEST(ZBuffer, ATriangleShowingFivePercentOfItsPixelsIsHiddenAndSixPercentVisible)
{
    typedef CVisibleOnlyFunctor::FaceGeom FaceGeom;
    CVisibleOnlyFunctor::TZBuffer buffer(100, 1);
    std::vector<std::unique_ptr<FaceGeom>> records;
    for (int i = 0; i < 3; ++i) {
        records.push_back(std::make_unique<FaceGeom>());
        const int id = i + 1;
        records.back()->path = CVyrObjectPath(&id, 1, 1, 7);
        records.back()->drawn = 100;
    }
    records[2]->drawn = 0;  // drew no interior pixel: any cell it owns keeps it
    for (int c = 0; c < 5; ++c) buffer.GetCell(c, 0)->payload = records[0].get();
    for (int c = 5; c < 11; ++c) buffer.GetCell(c, 0)->payload = records[1].get();
    buffer.GetCell(11, 0)->payload = records[2].get();
    std::vector<CVyrObjectPath> paths;
    CVisibleOnlyFunctor::StCountAndCollect(buffer, records, paths);
    EXPECT_EQ(records[0]->visible, -1);
    EXPECT_EQ(records[1]->visible, 6);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], records[1]->path);
    EXPECT_EQ(paths[1], records[2]->path);
}

}  // namespace
