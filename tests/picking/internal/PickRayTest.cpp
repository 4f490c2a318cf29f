// The pick rays: a ray brought into an item's model space, the plane of a polygon, a ray against one
// polygon and against the face polygons of a geometry (vertex lists and vertex buffers), with a clip
// plane dropping what it hides and the view's pick mode left as it was; a geometry that hands out
// its faces with boxes asked only for the faces the ray comes near.
#include "DsPickRay.h"
#include "DsFacedGeometry.h"

#include "../PickFixture.h"

#include "DsTransform.h"
#include "ViewSetup.h"
#include "pick_ray.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using picktest::CShapeGeometry;
using picktest::Rect;

namespace {

// The ray straight down from (x, y, 100).
pick_ray Down(double x, double y)
{
    return pick_ray(SPAposition(x, y, 100), SPAvector(0, 0, -1));
}

// Two polygons, one above the other: the first answered with the index of the second, the second
// with -1; silhouette bits as asked.
class CStackGeometry : public CShapeGeometry {
public:
    explicit CStackGeometry(int silhouettes)
        : CShapeGeometry(eDpFaces, {}, silhouettes),
          m_low{-5, -5, 0, 5, -5, 0, 5, 5, 0, -5, 5, 0},
          m_high{-5, -5, 10, 5, -5, 10, 5, 5, 10, -5, 5, 10}
    {
    }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int) override
    {
        if (!(kinds & eDpFaces)) return -1;
        count = 4;
        vertices = index == 0 ? m_high : m_low;
        return index == 0 ? 4 : -1;
    }

private:
    float m_low[12];
    float m_high[12];
};

// Triangles through vertex buffers: a square of two triangles by indices, then a triangle whose
// index lies beyond the vertices.
class CBufferGeometry : public CShapeGeometry {
public:
    CBufferGeometry() : CShapeGeometry(eDpFaces, {}) {}
    bool GetVerticesBuffer(eDrawPrimitives, std::vector<sVerticesBuffer>& buffers, int) override
    {
        sVerticesBuffer square;
        square.m_primitive = eDpFaces;
        square.m_vertices = {0, 0, 2, 10, 0, 2, 10, 10, 2, 0, 10, 2};
        square.m_indices = {0, 1, 2, 0, 2, 3};
        sVerticesBuffer broken;
        broken.m_primitive = eDpFaces;
        broken.m_vertices = {20, 0, 0, 30, 0, 0, 30, 10, 0};
        broken.m_indices = {0, 1, 7};
        buffers = {square, broken};
        return true;
    }
};

class PickRayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vyrtest::ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300).ApplyTo(view_);
    }
    view3d view_;
};

}  // namespace

TEST_F(PickRayTest, TheRayFollowsTheItemIntoItsModelSpace)
{
    const CDsTransform moved(translate_transf(SPAvector(10, 0, 0)));
    const pick_ray local = DsRayToModelSpace(moved, Down(5, 1));
    ASSERT_TRUE(local.valid());
    EXPECT_TRUE(same_point(local.root_point(), SPAposition(-5, 1, 100)));
    EXPECT_NEAR(local.direction().z(), -1, 1e-12);

    const CDsTransform scaled(scale_transf(2.0));
    const pick_ray half = DsRayToModelSpace(scaled, Down(4, 2));
    EXPECT_TRUE(same_point(half.root_point(), SPAposition(2, 1, 50)));
    EXPECT_NEAR(half.direction().len(), 1.0, 1e-12);  // normalised again

    const float flat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_FALSE(DsRayToModelSpace(CDsTransform(flat), Down(0, 0)).valid());  // singular
    EXPECT_FALSE(DsRayToModelSpace(moved, pick_ray()).valid());
}

TEST_F(PickRayTest, APolygonsPlaneComesFromItsFirstTriangleWithAnArea)
{
    const SPAposition collinearFirst[] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(2, 0, 0),
                                          SPAposition(2, 1, 0)};
    SPAunit_vector normal;
    ASSERT_TRUE(DsPolygonPlaneNormal(collinearFirst, 4, normal));
    EXPECT_NEAR(std::fabs(normal.z()), 1.0, 1e-12);
    EXPECT_FALSE(DsPolygonPlaneNormal(collinearFirst, 3, normal));  // every triangle degenerate
    EXPECT_FALSE(DsPolygonPlaneNormal(collinearFirst, 2, normal));
    EXPECT_FALSE(DsPolygonPlaneNormal(nullptr, 4, normal));
}

TEST_F(PickRayTest, ARayMeetsTrianglesAndLargerPolygonsInside)
{
    // A pentagon whose first three vertices lie on one line.
    const float pentagon[] = {0, 0, 0, 10, 0, 0, 20, 0, 0, 20, 10, 0, 0, 10, 0};
    SDsRayIntersection hit;
    ASSERT_TRUE(DsRayPolygonIntersection(pentagon, 5, Down(10, 5), hit));
    EXPECT_TRUE(same_point(hit.point, SPAposition(10, 5, 0)));
    EXPECT_NEAR(hit.parameter, 100, 1e-9);
    EXPECT_FALSE(DsRayPolygonIntersection(pentagon, 5, Down(30, 5), hit));

    // Slanted rays, as a perspective eye sends them from where it stands: met where they reach the
    // plane inside the outline, though the root lies over another part of it or none.
    ASSERT_TRUE(DsRayPolygonIntersection(pentagon, 5, pick_ray(SPAposition(25, 5, 100), SPAvector(-0.1, 0, -1)), hit));
    EXPECT_TRUE(same_point(hit.point, SPAposition(15, 5, 0)));
    EXPECT_FALSE(DsRayPolygonIntersection(pentagon, 5, pick_ray(SPAposition(15, 5, 100), SPAvector(0.1, 0, -1)), hit));
    // A wall standing up past the eye: the part behind it does not turn the ray away.
    const float wall[] = {0, 0, -50, 20, 0, -50, 20, 0, 150, 0, 0, 150};
    ASSERT_TRUE(DsRayPolygonIntersection(wall, 4, pick_ray(SPAposition(5, -10, 100), SPAvector(0, 1, -1)), hit));
    EXPECT_TRUE(same_point(hit.point, SPAposition(5, 0, 90)));
    EXPECT_NEAR(hit.parameter, 10 * std::sqrt(2.0), 1e-9);
    EXPECT_FALSE(DsRayPolygonIntersection(wall, 4, pick_ray(SPAposition(25, -10, 100), SPAvector(0, 1, -1)), hit));

    const float triangle[] = {0, 0, 3, 10, 0, 3, 0, 10, 3};
    ASSERT_TRUE(DsRayPolygonIntersection(triangle, 3, Down(2, 2), hit));
    EXPECT_NEAR(hit.point.z(), 3, 1e-9);
    EXPECT_FALSE(DsRayPolygonIntersection(triangle, 3, Down(8, 8), hit));
    EXPECT_FALSE(DsRayPolygonIntersection(triangle, 2, Down(2, 2), hit));
}

TEST_F(PickRayTest, AOnePolygonLeafIsHitAndAClipPlaneDropsWhatItHides)
{
    std::unique_ptr<CShapeGeometry> low(Rect(-10, -10, 10, 10, 0));
    std::unique_ptr<CShapeGeometry> high(Rect(-10, -10, 10, 10, 10));
    const CDsTransform identity;
    view_.pick_mode(1, 50, 50, 5, 5);

    // The leaf hands its only polygon with the answer -1: it is still tested.
    std::vector<SDsRayIntersection> hits;
    DsRayItemFaces(low.get(), 0, identity, Down(1, 1), nullptr, hits);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE(same_point(hits[0].point, SPAposition(1, 1, 0)));
    hits.clear();
    DsRayItemFaces(low.get(), 0, identity, Down(11, 1), nullptr, hits);
    EXPECT_TRUE(hits.empty());

    // The clip plane keeps z > 5: the low face's hit goes, the high one's stays.
    const SDsPickClipPlane clip{SPAposition(0, 0, 5), SPAunit_vector(0, 0, 1)};
    DsRayItemFaces(low.get(), 0, identity, Down(1, 1), &clip, hits);
    EXPECT_TRUE(hits.empty());
    DsRayItemFaces(high.get(), 0, identity, Down(1, 1), &clip, hits);
    EXPECT_EQ(hits.size(), 1u);

    // An item placed by a transform is met where it is placed; the record is in its own space, and
    // the clip plane tests the placed point.
    hits.clear();
    const CDsTransform raised(translate_transf(SPAvector(30, 0, 8)));
    DsRayItemFaces(low.get(), 0, raised, Down(31, 1), &clip, hits);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE(same_point(hits[0].point, SPAposition(1, 1, 0)));

    // The view's pick mode and model transforms are as they were.
    int cx = 0, cy = 0, w = 0, h = 0;
    view_.get_pick_aperture(cx, cy, w, h);
    EXPECT_EQ(view_.get_pick_mode(), 1);
    EXPECT_EQ(cx, 50);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(view_.get_model_transform_depth(), 0);
}

TEST_F(PickRayTest, SilhouettesAskForEveryPolygonOthersForTheFirstHit)
{
    CStackGeometry plain(0);
    std::vector<SDsRayIntersection> hits;
    DsRayItemFaces(&plain, 0, CDsTransform(), Down(0, 0), nullptr, hits);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].point.z(), 10, 1e-9);  // the first in polygon order
    hits.clear();
    CStackGeometry silhouettes(CDsGeometry::eDpSilhouetteLevel1);
    DsRayItemFaces(&silhouettes, 0, CDsTransform(), Down(0, 0), nullptr, hits);
    EXPECT_EQ(hits.size(), 2u);
}

TEST_F(PickRayTest, VertexBuffersGiveTrianglesAndSkipBrokenOnes)
{
    CBufferGeometry buffers;
    std::vector<SDsRayIntersection> hits;
    DsRayItemFaces(&buffers, 0, CDsTransform(), Down(8, 7), nullptr, hits);
    ASSERT_EQ(hits.size(), 1u);  // the second triangle of the square
    EXPECT_TRUE(same_point(hits[0].point, SPAposition(8, 7, 2)));
    hits.clear();
    DsRayItemFaces(&buffers, 0, CDsTransform(), Down(25, 1), nullptr, hits);
    EXPECT_TRUE(hits.empty());  // its index lies beyond its vertices
    DsRayItemFaces(nullptr, 0, CDsTransform(), Down(8, 7), nullptr, hits);
    EXPECT_TRUE(hits.empty());
}

namespace {

// A row of ten unit squares along x (square k over [3k, 3k + 1] x [0, 1] at height 0, two triangles
// each) handed out face by face with boxes, and through GetVertices too; counts what was asked.
class CRowGeometry : public CShapeGeometry, public CDsFacedGeometry {
public:
    CRowGeometry() : CShapeGeometry(eDpFaces, {})
    {
        for (int k = 0; k < 10; ++k) {
            const float x = 3.0f * k;
            const float square[18] = {x, 0, 0, x + 1, 0, 0, x + 1, 1, 0, x, 0, 0, x + 1, 1, 0, x, 1, 0};
            m_corners.insert(m_corners.end(), square, square + 18);
        }
    }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int) override
    {
        ++listCalls;
        const int triangles = static_cast<int>(m_corners.size() / 9);
        if (!(kinds & eDpFaces) || index < 0 || index >= triangles) return -1;
        vertices = &m_corners[static_cast<size_t>(9 * index)];
        count = 3;
        return index + 1 < triangles ? index + 1 : -1;
    }
    bool VisitFaces(int, CDsFaceVisitor& visitor) override
    {
        for (int k = 0; k < 10 && !visitor.Done(); ++k) {
            if (!visitor.WantsFace(SPAposition(3.0 * k, 0, 0), SPAposition(3.0 * k + 1, 1, 0))) continue;
            ++wanted[k];
            for (int t = 0; t < 2; ++t) {
                const float* c = &m_corners[static_cast<size_t>(18 * k + 9 * t)];
                visitor.AddTriangle(SPAposition(c[0], c[1], c[2]), SPAposition(c[3], c[4], c[5]),
                                    SPAposition(c[6], c[7], c[8]));
            }
        }
        return true;
    }

    int listCalls = 0;
    int wanted[10] = {};

private:
    std::vector<float> m_corners;
};

}  // namespace

TEST_F(PickRayTest, AFacedGeometryIsAskedOnlyForTheFacesTheRayComesNear)
{
    CRowGeometry row;
    const SDsPickClip none;
    // Down through square 4: only its triangles are tested, and the hit is the same as through
    // the vertex lists.
    std::vector<SDsRayIntersection> hits;
    DsRayItemFaces(&row, 0, CDsTransform(), Down(12.3, 0.6), none, hits, true);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].point.x(), 12.3, 1e-6);
    EXPECT_EQ(row.listCalls, 0);
    EXPECT_EQ(std::count(row.wanted, row.wanted + 10, 1), 1);
    EXPECT_EQ(row.wanted[4], 1);

    // Down between squares 6 and 7: no hit, and the faces far off the ray are never asked for
    // their triangles.
    std::fill(row.wanted, row.wanted + 10, 0);
    hits.clear();
    DsRayItemFaces(&row, 0, CDsTransform(), Down(20.8, 0.5), none, hits, true);
    EXPECT_TRUE(hits.empty());
    EXPECT_EQ(std::count(row.wanted, row.wanted + 10, 0), 10);
    EXPECT_EQ(row.listCalls, 0);
}

// A wall the viewer sees at a grazing angle (its plane a few degrees off the line of sight): a point
// just behind it is hidden near the origin, while a million units out, where single precision places
// the wall and the points a pick turns back from the window a float step or so apart, a point that
// near it is not; one well behind it is hidden there too.
TEST_F(PickRayTest, AFaceSeenAtAGrazingAngleHidesOnlyBeyondTheRoundingOfFloats)
{
    for (const double offset : {0.0, 1e6}) {
        SCOPED_TRACE(offset);
        const SPAvector by(offset, offset, offset);
        view3d view;
        vyrtest::ViewSetup()
            .Pixels(100, 100)
            .Eye(SPAposition(0, -7, 100) + by)
            .Target(SPAposition(0, 0, 0) + by)
            .Field(100, 100)
            .Clip(1, 300)
            .ApplyTo(view);
        const float o = static_cast<float>(offset);
        // The wall in the plane y = 0, from z = -30 up to 0.
        CShapeGeometry wall(CDsGeometry::eDpFaces,
                            {o - 10, o, o - 30, o + 10, o, o - 30, o + 10, o, o, o - 10, o, o});
        CDsHidingFaces hiding;
        hiding.Add(&wall, 0, CDsTransform(), SDsPickClip());
        // A sixth of a unit behind the wall: the line of sight meets it over two units on.
        EXPECT_EQ(hiding.Hides(&view, SPAposition(0, 0.15, -20) + by), offset == 0.0);
        // A unit behind it: fourteen units on.
        EXPECT_TRUE(hiding.Hides(&view, SPAposition(0, 1, -29) + by));
        // In front of it.
        EXPECT_FALSE(hiding.Hides(&view, SPAposition(0, -1, -20) + by));
    }
}
