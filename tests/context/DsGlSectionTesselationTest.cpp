// The cut faces of a section: loose segments closed into loops in the order the rules give, the
// loops filled with triangles by the GLU tessellator (holes included), one output entry per set,
// the instance current only while it tessellates, and bad segments that neither crash nor leave
// the instance current.
#include "DsGlSectionTesselation.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

SPAposition P(double x, double y)
{
    return SPAposition(x, y, 0);
}

TDsSectionSegment S(const SPAposition& a, const SPAposition& b)
{
    return TDsSectionSegment(a, b);
}

// The points of a loop.
std::vector<SPAposition> Points(const TDsSectionLoop& loop)
{
    return std::vector<SPAposition>(loop.begin(), loop.end());
}

bool Same(const std::vector<SPAposition>& a, const std::vector<SPAposition>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!same_point(a[i], b[i])) return false;
    return true;
}

// The area of the triangles of a set's primitives (absolute value per triangle, xy plane).
double Area(const TDsSectionPrimitives& primitives)
{
    auto triangle = [](const SPAposition& a, const SPAposition& b, const SPAposition& c) {
        return std::fabs((b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y())) / 2.0;
    };
    double area = 0.0;
    for (const TDsSectionPrimitive& primitive : primitives) {
        const std::vector<SPAposition>& v = primitive.first;
        if (primitive.second == GL_TRIANGLES)
            for (size_t i = 0; i + 2 < v.size(); i += 3) area += triangle(v[i], v[i + 1], v[i + 2]);
        else if (primitive.second == GL_TRIANGLE_STRIP)
            for (size_t i = 0; i + 2 < v.size(); ++i) area += triangle(v[i], v[i + 1], v[i + 2]);
        else if (primitive.second == GL_TRIANGLE_FAN)
            for (size_t i = 1; i + 1 < v.size(); ++i) area += triangle(v[0], v[i], v[i + 1]);
    }
    return area;
}

// The closed outline of an axis-parallel rectangle as segments.
std::vector<TDsSectionSegment> Rectangle(double x0, double y0, double x1, double y1)
{
    return {S(P(x0, y0), P(x1, y0)), S(P(x1, y0), P(x1, y1)), S(P(x1, y1), P(x0, y1)), S(P(x0, y1), P(x0, y0))};
}

// Exposes the loop steps.
class LoopProbe : public CDsGlSectionTesselation {
public:
    LoopProbe(TDsSectionSurfaces& result) : CDsGlSectionTesselation({}, result, SPAunit_vector(0, 0, 1)) {}
    // The loops through the grid.
    TDsSectionLoops Collect(const std::vector<TDsSectionSegment>& segments)
    {
        TDsSectionLoops loops;
        CollectSegmentsIntoLoops(segments, loops);
        return loops;
    }
    // The loops step by step, as the rules state them.
    TDsSectionLoops StepByStep(const std::vector<TDsSectionSegment>& segments)
    {
        TDsSectionLoops loops;
        for (const TDsSectionSegment& segment : segments) UpdateLoopList(segment, loops);
        while (loops.size() >= 2 && CloseLoops(loops)) {
        }
        return loops;
    }
    using CDsGlSectionTesselation::CheckIfOutOfToleranceRange;
};

class DsGlSectionTesselationTest : public ::testing::Test {
protected:
    // Tessellates the sets; the result of CreateSurface.
    bool Run(const TDsSectionSegmentSets& sets)
    {
        CDsGlSectionTesselation tessellation(sets, result_, SPAunit_vector(0, 0, 1));
        const bool made = tessellation.CreateSurface();
        loops_ = tessellation.GetLoopsList();
        EXPECT_EQ(CDsGlSectionTesselation::StGetTesselatedSection(), nullptr);
        return made;
    }

    TDsSectionSurfaces result_;
    std::list<TDsSectionLoops> loops_;
};

}  // namespace

TEST_F(DsGlSectionTesselationTest, SegmentsCloseIntoLoopsInTheOrderTheRulesGive)
{
    const SPAposition a = P(0, 0), b = P(4, 0), c = P(4, 3), d = P(0, 3);
    // (a, b), (c, d), (d, a): the third extends c, d at its end, and the loop a, b joins behind it.
    ASSERT_TRUE(Run({{true, {S(a, b), S(c, d), S(d, a)}}}));
    ASSERT_EQ(loops_.size(), 1u);
    ASSERT_EQ(loops_.front().size(), 1u);
    EXPECT_TRUE(Same(Points(loops_.front().front()), {c, d, a, b}));

    // (a, b), (c, d), (b, c): the third goes in front of c, d; only the earlier loop's end is
    // tested, so the two loops b, c, d and a, b stay apart.
    result_.clear();
    ASSERT_TRUE(Run({{true, {S(a, b), S(c, d), S(b, c)}}}));
    ASSERT_EQ(loops_.front().size(), 2u);
    EXPECT_TRUE(Same(Points(loops_.front().front()), {b, c, d}));
    EXPECT_TRUE(Same(Points(loops_.front().back()), {a, b}));

    // A triangle in any order and direction: one loop of three points (the closing point dropped).
    const SPAposition t0 = P(0, 0), t1 = P(5, 0), t2 = P(0, 5);
    const std::vector<std::vector<TDsSectionSegment>> orders = {
        {S(t0, t1), S(t1, t2), S(t2, t0)}, {S(t1, t2), S(t0, t1), S(t0, t2)}, {S(t2, t0), S(t2, t1), S(t1, t0)}};
    for (const auto& order : orders) {
        result_.clear();
        ASSERT_TRUE(Run({{true, order}}));
        ASSERT_EQ(loops_.front().size(), 1u);
        EXPECT_EQ(loops_.front().front().size(), 3u);
        ASSERT_EQ(result_.size(), 1u);
        EXPECT_NEAR(Area(result_[0]), 12.5, 1e-9);
    }

    // Ends closer than the modeler's resolution meet.
    result_.clear();
    ASSERT_TRUE(Run({{true, {S(P(0, 0), P(1, 0)), S(P(1, 5e-7), P(1, 1)), S(P(1, 1), P(0, 4e-7))}}}));
    ASSERT_EQ(loops_.front().size(), 1u);
    EXPECT_EQ(loops_.front().front().size(), 3u);
}

TEST_F(DsGlSectionTesselationTest, LoopsAreFilledHolesLeftOpenAndEachSetGetsItsEntry)
{
    std::vector<TDsSectionSegment> holed = Rectangle(0, 0, 4, 4);
    for (const TDsSectionSegment& s : Rectangle(1, 1, 3, 3)) holed.push_back(s);
    ASSERT_TRUE(Run({{true, Rectangle(0, 0, 1, 1)}, {false, Rectangle(0, 0, 9, 9)}, {true, holed}}));
    ASSERT_EQ(result_.size(), 3u);
    EXPECT_NEAR(Area(result_[0]), 1.0, 1e-9);
    EXPECT_TRUE(result_[1].empty());  // not to be filled
    EXPECT_NEAR(Area(result_[2]), 12.0, 1e-9);
    // Every vertex is one of the loops' points: nothing was invented.
    for (const TDsSectionPrimitive& primitive : result_[2])
        for (const SPAposition& v : primitive.first) {
            const double x = v.x(), y = v.y();
            EXPECT_TRUE((x == 0 || x == 1 || x == 3 || x == 4) && (y == 0 || y == 1 || y == 3 || y == 4));
        }
    // Loops only for the filled sets.
    ASSERT_EQ(loops_.size(), 2u);
    EXPECT_EQ(loops_.back().size(), 2u);

    // Nothing at all: no entry and false.
    result_.clear();
    EXPECT_FALSE(Run({}));
    EXPECT_TRUE(result_.empty());
    EXPECT_EQ(CDsGlSectionTesselation::StGetTesselatedSection(), nullptr);
}

TEST_F(DsGlSectionTesselationTest, ACopyWritesIntoTheSameOutput)
{
    CDsGlSectionTesselation original({{true, Rectangle(0, 0, 2, 1)}}, result_, SPAunit_vector(0, 0, 1));
    CDsGlSectionTesselation copy(original);
    EXPECT_TRUE(copy.CreateSurface());
    ASSERT_EQ(result_.size(), 1u);
    EXPECT_NEAR(Area(result_[0]), 2.0, 1e-9);
    EXPECT_TRUE(copy.IsCreated());
    EXPECT_FALSE(original.IsCreated());
    copy.ClearData();
    EXPECT_TRUE(copy.GetLoopsList().empty());
}

TEST_F(DsGlSectionTesselationTest, BadSegmentsGiveEmptyEntriesWithoutLeavingTheInstanceCurrent)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<TDsSectionSegment> crossing = Rectangle(0, 0, 4, 4);
    for (const TDsSectionSegment& s : Rectangle(2, 2, 6, 6)) crossing.push_back(s);
    std::vector<TDsSectionSegment> withNan = Rectangle(0, 0, 1, 1);
    withNan.push_back(S(P(nan, 0), P(1, nan)));
    withNan.push_back(S(P(inf, 0), P(2, 2)));
    ASSERT_TRUE(Run({{true, crossing},
                     {true, {S(P(0, 0), P(3, 3))}},               // one segment
                     {true, {S(P(1, 1), P(1, 1)), S(P(1, 1), P(1, 1))}},  // zero length
                     {true, withNan},
                     {true, {S(P(nan, nan), P(nan, nan))}}}));
    ASSERT_EQ(result_.size(), 5u);
    EXPECT_TRUE(result_[0].empty());  // crossing loops: the tessellator needs a combine callback
    EXPECT_TRUE(result_[1].empty());
    EXPECT_TRUE(result_[2].empty());
    EXPECT_NEAR(Area(result_[3]), 1.0, 1e-9);  // the non-finite segments are left out
    EXPECT_TRUE(result_[4].empty());
}

TEST(DsGlSectionTesselationLoops, TheGridBuildsTheLoopsTheStepByStepRulesBuild)
{
    // Random segments between points of a small grid, so that ends meet often and in every way.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> coordinate(0, 5);
    TDsSectionSurfaces unused;
    LoopProbe probe(unused);
    for (int round = 0; round < 300; ++round) {
        const int count = 1 + round % 40;
        std::vector<TDsSectionSegment> segments;
        for (int i = 0; i < count; ++i)
            segments.push_back(S(P(coordinate(random), coordinate(random)), P(coordinate(random), coordinate(random))));
        const TDsSectionLoops fast = probe.Collect(segments);
        const TDsSectionLoops slow = probe.StepByStep(segments);
        ASSERT_EQ(fast.size(), slow.size()) << "round " << round;
        auto f = fast.begin();
        for (auto s = slow.begin(); s != slow.end(); ++s, ++f)
            ASSERT_TRUE(Same(Points(*f), Points(*s))) << "round " << round;
    }
    EXPECT_FALSE(LoopProbe::CheckIfOutOfToleranceRange(1.0, 1.0 + 5e-7));
    EXPECT_TRUE(LoopProbe::CheckIfOutOfToleranceRange(1.0, 1.0 + 2e-6));
    EXPECT_TRUE(LoopProbe::CheckIfOutOfToleranceRange(1.0, 1.0 + 1e-6));
}
