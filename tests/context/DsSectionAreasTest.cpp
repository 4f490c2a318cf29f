// Stepped sections without OpenGL: the areas a section line is split into (one area while the line
// runs straight or keeps turning one way, a new one at a turn the other way, the turn sense
// swapping them), the frame that closes them around the line and the box, the areas' planes in
// model coordinates, which points a section clips, and sections made of bad input.
#include "DsComplexSection.h"
#include "DsSectionAreasEngine.h"
#include "VyrComplexSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct SPoint {
    double x, y;
};

// A section of depth 10 along +z whose line runs through `points` (z = 0), with one normal per
// segment, placed in model space by `placement`; its box is 20 x 20 x 20 about its origin.
std::unique_ptr<CVyrComplexSection> Section(const std::vector<SPoint>& points, const std::vector<SPoint>& normals,
                                            const SPAtransf& placement = SPAtransf(), int turnSense = 0)
{
    auto section = std::make_unique<CVyrComplexSection>();
    const double box[6] = {-10, -10, -10, 10, 10, 10};
    std::copy(box, box + 6, section->m_box);
    for (const SPoint& p : points) section->m_vertices.push_back(SPAposition(p.x, p.y, 0) * placement);
    for (const SPoint& n : normals) section->m_normals.push_back(SPAvector(n.x, n.y, 0) * placement);
    section->m_depth = 10.0;
    section->m_transformation = placement;
    section->m_turnSense = turnSense;
    return section;
}

// The engine's areas of a section.
struct SAreas {
    explicit SAreas(const CVyrComplexSection& section) : engine(section, direction) { engine.Compute(); }
    SPAunit_vector direction;
    CDsSectionAreasEngine engine;
};

// Whether `edges` holds a section edge running from a to b.
bool HasEdge(const std::vector<SDsSectionEdge>& edges, SPoint a, SPoint b)
{
    for (const SDsSectionEdge& e : edges)
        if (same_point(e.first, SPAposition(a.x, a.y, 0)) && same_point(e.second, SPAposition(b.x, b.y, 0)))
            return true;
    return false;
}

// A record whose destruction is counted.
class CountedSection : public CVyrComplexSection {
public:
    explicit CountedSection(int& deleted) : m_deleted(deleted) {}
    ~CountedSection() override { ++m_deleted; }

private:
    int& m_deleted;
};

}  // namespace

TEST(DsSectionAreasTest, AStraightLineIsOneAreaClosedByOneFrameSide)
{
    // Three parallel segments keeping y >= 0.
    const auto section = Section({{-10, 0}, {0, 0}, {10, 0}, {20, 0}}, {{0, 1}, {0, 1}, {0, 1}});
    SAreas areas(*section);
    ASSERT_EQ(areas.engine.GetAreas().size(), 1u);
    const std::vector<SDsSectionEdge>& area = areas.engine.GetAreas()[0];
    ASSERT_EQ(area.size(), 4u);
    // The ray along the line's last segment (+x) meets the frame's right side: the area is closed
    // by it, its normal pointing back into the frame.
    EXPECT_TRUE(same_vector(area[3].normal, SPAvector(-1, 0, 0)));
    EXPECT_GT(area[3].first.x(), 20.0);
    EXPECT_NEAR(areas.direction.z(), 1.0, 1e-12);

    CDsComplexSection clipped(nullptr, new CVyrComplexSection(*section));
    ASSERT_EQ(clipped.GetGroupCount(), 1);
    EXPECT_FALSE(clipped.IsPointClipped(SPAposition(5, 5, 0)));
    EXPECT_TRUE(clipped.IsPointClipped(SPAposition(5, -5, 0)));
    EXPECT_TRUE(clipped.IsPointClipped(SPAposition(area[3].first.x() + 1, 5, 0)));
}

TEST(DsSectionAreasTest, TheLineStaysInOneAreaWhileItTurnsOneWayAndATurnTheOtherWayOpensTheNext)
{
    // Turning left twice (seen from +z): one area.
    const auto left = Section({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{0, 1}, {-1, 0}, {0, -1}});
    SAreas one(*left);
    ASSERT_EQ(one.engine.GetAreas().size(), 1u);
    EXPECT_EQ(one.engine.GetAreas()[0].size(), 4u);  // three section edges and a frame side

    // A step: left, then right. The right turn closes the first area.
    const std::vector<SPoint> step = {{0, 0}, {10, 0}, {10, 10}, {20, 10}};
    const std::vector<SPoint> stepNormals = {{0, 1}, {-1, 0}, {0, 1}};
    SAreas two(*Section(step, stepNormals));
    const auto& stepped = two.engine.GetAreas();
    ASSERT_EQ(stepped.size(), 2u);
    EXPECT_TRUE(HasEdge(stepped[0], {0, 0}, {10, 0}));
    EXPECT_TRUE(HasEdge(stepped[0], {10, 0}, {10, 10}));
    EXPECT_TRUE(HasEdge(stepped[1], {10, 10}, {20, 10}));
    EXPECT_FALSE(HasEdge(stepped[1], {10, 0}, {10, 10}));

    // The turn sense swaps which turns keep the area: now the right turn keeps it, the left one
    // closes it.
    SAreas swapped(*Section(step, stepNormals, SPAtransf(), 1));
    const auto& other = swapped.engine.GetAreas();
    ASSERT_EQ(other.size(), 2u);
    EXPECT_TRUE(HasEdge(other[0], {0, 0}, {10, 0}));
    EXPECT_FALSE(HasEdge(other[0], {10, 0}, {10, 10}));
    EXPECT_TRUE(HasEdge(other[1], {10, 0}, {10, 10}));
    EXPECT_TRUE(HasEdge(other[1], {10, 10}, {20, 10}));
}

TEST(DsSectionAreasTest, TheFrameEnclosesTheLineAndTheBoxWhereverTheyLie)
{
    struct SCase {
        std::vector<SPoint> points;
        double box[6];
    };
    const SCase cases[] = {
        {{{-30, -5}, {40, -5}}, {-50, -20, -1, 60, 25, 1}},  // around the origin: doubled
        {{{10, 3}, {20, 3}, {25, 8}}, {12, 2, -1, 18, 6, 1}},  // wholly at x > 0 and y > 0
        {{{-40, -9}, {-20, -9}}, {-35, -30, -1, -25, -12, 1}},  // wholly at x < 0 and y < 0
    };
    for (const SCase& c : cases) {
        std::vector<SPoint> normals(c.points.size() - 1, SPoint{0, 1});
        auto section = Section(c.points, normals);
        std::copy(c.box, c.box + 6, section->m_box);
        SAreas areas(*section);
        const std::vector<SDsSectionEdge>& frame = areas.engine.GetFrameEdges();
        ASSERT_EQ(frame.size(), 4u);
        const double left = frame[0].first.x(), bottom = frame[0].first.y();
        const double right = frame[1].first.x(), top = frame[1].second.y();
        // Strictly around every vertex and box corner.
        for (const SPoint& p : c.points) {
            EXPECT_LT(left, p.x);
            EXPECT_GT(right, p.x);
            EXPECT_LT(bottom, p.y);
            EXPECT_GT(top, p.y);
        }
        EXPECT_LT(left, c.box[0]);
        EXPECT_GT(right, c.box[3]);
        EXPECT_LT(bottom, c.box[1]);
        EXPECT_GT(top, c.box[4]);
        // The sides' normals point inside.
        EXPECT_TRUE(same_vector(frame[0].normal, SPAvector(0, 1, 0)));
        EXPECT_TRUE(same_vector(frame[1].normal, SPAvector(-1, 0, 0)));
        EXPECT_TRUE(same_vector(frame[2].normal, SPAvector(0, -1, 0)));
        EXPECT_TRUE(same_vector(frame[3].normal, SPAvector(1, 0, 0)));
    }
    // Reaching across the origin the frame is the extent doubled.
    auto across = Section({{-30, -5}, {40, -5}}, {{0, 1}});
    SAreas doubled(*across);
    EXPECT_DOUBLE_EQ(doubled.engine.GetFrameEdges()[0].first.y(), -20.0);  // the box's -10
    EXPECT_DOUBLE_EQ(doubled.engine.GetFrameEdges()[0].first.x(), -60.0);
    EXPECT_DOUBLE_EQ(doubled.engine.GetFrameEdges()[1].first.x(), 80.0);
}

TEST(DsSectionAreasTest, AClosedSquareLineKeepsExactlyItsSquareInModelSpace)
{
    // A square of side 10 in the section's frame, normals inside, the section turned and moved
    // in model space.
    const double s = 10.0;
    const SPAtransf placement = rotate_transf(0.6, SPAvector(0.2, 0.3, 1.0)) * translate_transf(SPAvector(7, -3, 4));
    CDsComplexSection section(nullptr, Section({{0, 0}, {s, 0}, {s, s}, {0, s}, {0, 0}},
                                               {{0, 1}, {-1, 0}, {0, -1}, {1, 0}}, placement)
                                           .release());
    ASSERT_GE(section.GetGroupCount(), 1);
    // Sample the section's plane (cell centres, 0.1 apart) from -s to 2s: the kept cells make up
    // the square's area.
    const double step = 0.1;
    int kept = 0;
    for (double x = -s + step / 2; x < 2 * s; x += step)
        for (double y = -s + step / 2; y < 2 * s; y += step)
            if (!section.IsPointClipped(SPAposition(x, y, 0) * placement)) ++kept;
    EXPECT_NEAR(kept * step * step, s * s, 1e-6);
    // The plane groups are in model coordinates: the square's corner lies on a plane of the first
    // group (within the tolerance, so it is kept), a point just outside it is clipped.
    EXPECT_FALSE(section.IsPointClipped(SPAposition(0, 0, 0) * placement));
    EXPECT_TRUE(section.IsPointClipped(SPAposition(-0.01, 5, 0) * placement));
}

TEST(DsSectionAreasTest, APointIsKeptByAnyOneAreaAndByAPlaneItLiesOn)
{
    CDsComplexSection section(nullptr, Section({{0, 0}, {10, 0}, {10, 10}, {20, 10}}, {{0, 1}, {-1, 0}, {0, 1}})
                                           .release());
    ASSERT_EQ(section.GetGroupCount(), 2);
    // In the first area only (left of x = 10, above y = 0), in the second only (above y = 10, right
    // of x = 10 as the frame closes it), in both, in neither.
    EXPECT_FALSE(section.IsPointClipped(SPAposition(5, 5, 0)));
    EXPECT_FALSE(section.IsPointClipped(SPAposition(15, 15, 0)));
    EXPECT_TRUE(section.IsPointClipped(SPAposition(5, -5, 0)));
    EXPECT_TRUE(section.IsPointClipped(SPAposition(15, 5, 0)));

    // Within 1e-5 behind a plane: kept; beyond it: clipped.
    EXPECT_FALSE(section.IsPointClipped(SPAposition(5, -5e-6, 0)));
    EXPECT_TRUE(section.IsPointClipped(SPAposition(5, -2e-5, 0)));
}

TEST(DsSectionAreasTest, ASectionWithoutAreasClipsEveryPointAndOwnsItsRecord)
{
    int deleted = 0;
    {
        CDsComplexSection empty(nullptr, new CountedSection(deleted));
        EXPECT_EQ(empty.GetGroupCount(), 0);
        for (const SPAposition& p : {SPAposition(0, 0, 0), SPAposition(1e6, -3, 2), SPAposition(-5, 5, 5)})
            EXPECT_TRUE(empty.IsPointClipped(p));
        EXPECT_TRUE(empty.GetGroup(0).empty());
        EXPECT_TRUE(empty.GetGroup(-1).empty());
        EXPECT_TRUE(empty.GetPaths().empty());
    }
    EXPECT_EQ(deleted, 1);

    CDsComplexSection none(nullptr, nullptr);
    EXPECT_EQ(none.GetGroupCount(), 0);
    EXPECT_TRUE(none.IsPointClipped(SPAposition(0, 0, 0)));
    EXPECT_FALSE(none.IsItemShouldBeClipped(CVyrObjectPath(5)));
}

TEST(DsSectionAreasTest, OnlySegmentsWithBothEndsAndAFiniteNormalAreUsed)
{
    // Three normals but two vertices: one segment.
    auto shortLine = Section({{0, 0}, {10, 0}}, {{0, 1}, {1, 0}, {0, -1}});
    SAreas one(*shortLine);
    EXPECT_EQ(one.engine.GetSectionEdges().size(), 1u);
    // Three vertices but no normal: nothing; a vertex list alone: nothing.
    auto noNormals = Section({{0, 0}, {10, 0}, {10, 10}}, {});
    SAreas none(*noNormals);
    EXPECT_TRUE(none.engine.GetSectionEdges().empty());
    EXPECT_TRUE(none.engine.GetAreas().empty());
    auto noVertices = Section({}, {{0, 1}});
    CDsComplexSection nothing(nullptr, noVertices.release());
    EXPECT_EQ(nothing.GetGroupCount(), 0);
    EXPECT_TRUE(nothing.IsPointClipped(SPAposition(1, 1, 0)));

    // A segment with a non-finite end or normal is left out; the others still make their area.
    auto faulty = Section({{0, 0}, {10, 0}, {20, 0}}, {{0, 1}, {0, 1}});
    faulty->m_normals[1] = SPAvector(std::numeric_limits<double>::quiet_NaN(), 1, 0);
    SAreas kept(*faulty);
    EXPECT_EQ(kept.engine.GetSectionEdges().size(), 1u);
    CDsComplexSection clipped(nullptr, faulty.release());
    EXPECT_FALSE(clipped.IsPointClipped(SPAposition(5, 5, 0)));
    EXPECT_TRUE(clipped.IsPointClipped(SPAposition(5, -5, 0)));
}

TEST(DsSectionAreasTest, TheSectionAppliesToItsListedItemsAndWhatLiesBelowThem)
{
    auto record = Section({{0, 0}, {10, 0}}, {{0, 1}});
    const int ids[] = {3, 8};
    record->m_paths.push_back(CVyrObjectPath(ids, 1, 0, 40));
    CDsComplexSection section(nullptr, record.release());
    EXPECT_TRUE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 1, 0, 40)));
    EXPECT_TRUE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 2, 1, 40)));
    EXPECT_FALSE(section.IsItemShouldBeClipped(CVyrObjectPath(ids + 1, 1, 0, 40)));
    EXPECT_EQ(section.GetPaths().size(), 1u);
}
