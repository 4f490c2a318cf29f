// Arcs as polylines: how many chords a sweep gets (at least one, at most 200), where the points
// lie and which way they turn, degenerate arcs, the placement given as rows; and the figure list.
#include "DsArcPolyGenerator.h"
#include "DsFigureList.h"
#include "DsPolylineStorage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

const double kPi = 3.14159265358979323846;

std::unique_ptr<CDsPolylineStorage> Approximate(double start, double sweep, double step, double radius = 2.0,
                                                const CGmPosition& centre = CGmPosition(1, 2, 3))
{
    const CDsArcPolyGenerator arc(centre, radius, CGmTransformation(), start, sweep, step);
    return std::unique_ptr<CDsPolylineStorage>(arc.Approximate());
}

// The angle of a point about (1, 2).
double AngleOf(const CGmPosition& p)
{
    return std::atan2(p.y() - 2.0, p.x() - 1.0);
}

}  // namespace

TEST(DsArcPolyGeneratorTest, ChordCountsFollowTheStepWithinOneTo200)
{
    // A full circle at pi/24: 48 chords, 49 points, the last back on the first.
    auto circle = Approximate(0.0, 2 * kPi, kPi / 24);
    ASSERT_TRUE(circle);
    const auto& points = circle->GetVertices();
    ASSERT_EQ(points.size(), 49u);
    EXPECT_NEAR(points.front().x(), 3.0, 1e-12);
    EXPECT_NEAR(points.front().y(), 2.0, 1e-12);
    EXPECT_NEAR(points.back().x(), points.front().x(), 1e-9);
    EXPECT_NEAR(points.back().y(), points.front().y(), 1e-9);
    for (const CGmPosition& p : points) {
        EXPECT_NEAR(std::hypot(p.x() - 1.0, p.y() - 2.0), 2.0, 1e-9);
        EXPECT_EQ(p.z(), 3.0);  // in the arc's plane
    }
    EXPECT_NEAR(AngleOf(points[12]), kPi / 2, 1e-9);

    // A step wider than the sweep still gives one chord: the start and the end.
    auto single = Approximate(0.3, 0.5, 1.0);
    ASSERT_EQ(single->GetVertexCount(), 2);
    EXPECT_NEAR(AngleOf(single->GetVertices()[0]), 0.3, 1e-12);
    EXPECT_NEAR(AngleOf(single->GetVertices()[1]), 0.8, 1e-12);

    // Five turns at 0.01 would be 3141 chords: clamped to 200 of 10 pi / 200 each.
    auto turns = Approximate(0.0, 10 * kPi, 0.01);
    ASSERT_EQ(turns->GetVertexCount(), 201);
    const double chord = 2.0 * 2.0 * std::sin(10 * kPi / 200 / 2);
    for (int i = 1; i < 201; ++i) {
        const CGmPosition& a = turns->GetVertices()[static_cast<size_t>(i - 1)];
        const CGmPosition& b = turns->GetVertices()[static_cast<size_t>(i)];
        ASSERT_NEAR(std::hypot(b.x() - a.x(), b.y() - a.y()), chord, 1e-9) << i;
    }
    EXPECT_NEAR(AngleOf(turns->GetVertices()[1]), 10 * kPi / 200, 1e-12);
    EXPECT_NEAR(turns->GetVertices()[200].x(), 3.0, 1e-9);

    // A negative sweep turns clockwise: -pi/2 at pi/8 is four chords.
    auto clockwise = Approximate(0.0, -kPi / 2, kPi / 8);
    ASSERT_EQ(clockwise->GetVertexCount(), 5);
    EXPECT_NEAR(AngleOf(clockwise->GetVertices()[1]), -kPi / 8, 1e-12);
    EXPECT_NEAR(AngleOf(clockwise->GetVertices()[4]), -kPi / 2, 1e-12);

    // A step that would make more chords than an int holds is clamped, not overflowed.
    auto tiny = Approximate(0.0, kPi, 1e-300);
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->GetVertexCount(), 201);
}

TEST(DsArcPolyGeneratorTest, ZeroOrNonFiniteSweepOrStepMakesNoPoints)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(Approximate(0.0, 0.0, 0.1));
    EXPECT_FALSE(Approximate(0.0, 1.0, 0.0));
    EXPECT_FALSE(Approximate(0.0, nan, 0.1));
    EXPECT_FALSE(Approximate(0.0, 1.0, nan));
    EXPECT_FALSE(Approximate(0.0, inf, 0.1));

    // Filling a storage empties it and keeps its transformation when the arc makes nothing.
    CDsPolylineStorage storage;
    const SPAtransf shift = translate_transf(SPAvector(5, 0, 0));
    storage.SetTransformation(shift);
    storage.AddVertex(CGmPosition(9, 9, 9));
    CDsArcPolyGenerator(CGmPosition(), 1.0, CGmTransformation(), 0.0, 0.0, 0.1).Approximate(&storage);
    EXPECT_EQ(storage.GetVertexCount(), 0);
    EXPECT_NEAR(storage.GetTransformation().translation().x(), 5.0, 1e-12);
    CDsArcPolyGenerator(CGmPosition(), 1.0, CGmTransformation(), 0.0, 1.0, 0.1).Approximate(nullptr);  // no crash
}

TEST(DsArcPolyGeneratorTest, TheStorageCarriesThePlacementGivenAsRows)
{
    CDsArcPolyGenerator arc(CGmPosition(0, 0, 0), 1.0, CGmTransformation(), 0.0, kPi / 2, kPi / 4);
    // A quarter turn about z (the rows of the matrix that turns column vectors), doubled, then
    // moved by (10, 0, 0): the plane point (1, 0, 0) lands on (10, 2, 0).
    const double rows[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    const double translation[3] = {10, 0, 0};
    arc.SetTransformation(rows, translation, 2.0);
    std::unique_ptr<CDsPolylineStorage> storage(arc.Approximate());
    ASSERT_EQ(storage->GetVertexCount(), 3);
    EXPECT_NEAR(storage->GetVertices()[0].x(), 1.0, 1e-12);  // stored in the plane
    const CGmPosition first = storage->GetTRansformedVertex(0);
    EXPECT_NEAR(first.x(), 10.0, 1e-12);
    EXPECT_NEAR(first.y(), 2.0, 1e-12);
    const CGmPosition last = storage->GetTRansformedVertex(2);  // plane (0, 1, 0)
    EXPECT_NEAR(last.x(), 8.0, 1e-12);
    EXPECT_NEAR(last.y(), 0.0, 1e-12);

    // Null parts leave the placement as it was.
    arc.SetTransformation(nullptr, translation, 1.0);
    arc.SetTransformation(rows, nullptr, 1.0);
    storage.reset(arc.Approximate());
    EXPECT_NEAR(storage->GetTRansformedVertex(0).x(), 10.0, 1e-12);
}

TEST(DsFigureListTest, RemoveTakesTheFirstOccurrenceOnly)
{
    // The list never looks inside its figures: addresses of plain objects stand for them.
    int a = 0, b = 0;
    auto* first = reinterpret_cast<CDsFigure*>(&a);
    auto* second = reinterpret_cast<CDsFigure*>(&b);
    CDsFigureList list;
    EXPECT_FALSE(list.remove(first));
    list.add(first);
    list.add(second);
    list.add(first);
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(list.remove(first));
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0], second);
    EXPECT_EQ(list[1], first);
    EXPECT_TRUE(list.remove(first));
    EXPECT_FALSE(list.remove(first));
    int walked = 0;
    for (CDsFigure* figure : list) walked += figure == second;
    EXPECT_EQ(walked, 1);
}
