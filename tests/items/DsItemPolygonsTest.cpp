// The polygon items without OpenGL: what a new base item answers, the extremes sent to a measuring
// view after a transformation, the boxes of meshes placed by a transformation, STL meshes' vertex
// queries and their hold on the data, 2-D polygons printed and their segment test, triangle sets
// in chunks, lamps' and quadrics' boxes and slices, and the navigator's STL group.
#include "DsBasicSurface.h"
#include "DsBox.h"
#include "DsItemLamp.h"
#include "DsItemPolygons2D.h"
#include "DsItemPolygonsBase.h"
#include "DsItemPolygonsDl.h"
#include "DsItemPolygonsStl.h"
#include "DsItemQuadric.h"
#include "DsItemTrigs.h"
#include "DsItemsGroup.h"
#include "DsNavigator.h"
#include "PolygonTestSupport.h"

#include "SpaValues.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

using vyrtest::MakeCube;
using vyrtest::StlPtr;

namespace {

void ExpectPosition(const SPAposition& p, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(p.x(), x);
    EXPECT_DOUBLE_EQ(p.y(), y);
    EXPECT_DOUBLE_EQ(p.z(), z);
}

// A view that records the polylines it is asked to print.
class PrintingView : public view3d {
public:
    int draw_polyline_3d(int n, const float* xyz, int closed) override
    {
        polylines.emplace_back(xyz, xyz + 3 * n);
        closedFlags.push_back(closed);
        return 1;
    }
    using view3d::draw_polyline_3d;
    std::vector<std::vector<float>> polylines;
    std::vector<int> closedFlags;
};

// A group whose children the test adds.
class TestGroup : public CDsItemsGroup {
public:
    TestGroup() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
};

// The navigator's STL lookup.
class NavigatorProbe : public CDsNavigator {
public:
    using CDsNavigator::GetItemForStl;
};

}  // namespace

TEST(DsItemPolygonsBase, NewItemAnswersAnEmptyFilledBoxOfTypeFifteen)
{
    CDsItemPolygonsBase item;
    SPAbox box(SPAposition(5, 5, 5), SPAposition(6, 6, 6));
    ASSERT_TRUE(item.GetBoundBox(box));
    ExpectPosition(box.low(), 0, 0, 0);
    ExpectPosition(box.high(), 0, 0, 0);
    EXPECT_TRUE(item.GetFill());
    EXPECT_EQ(item.GetItemType(), eDsItemPolygonsBase);
    EXPECT_EQ(item.GetDrawPrimitives(), 4);
    EXPECT_EQ(item.GetVerticesCount(CDsGeometry::eDpFaces), 0);
    EXPECT_TRUE(item.HasBoundBox());
    EXPECT_EQ(item.GetFirstList(), 0u);
    EXPECT_EQ(item.GetExtremesValid(), 0);
}

TEST(DsItemPolygonsStl, TransformThenDrawExtremesSendsTheEightRecomputedCornersUnderTheTransform)
{
    StlPtr cube = MakeCube(2.0);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    item.Transform(translate_transf(SPAvector(10, 0, 0)));
    EXPECT_EQ(item.GetExtremesValid(), 0);

    vyrtest::RecordingExtremaView extrema;
    item.DrawExtremes(extrema, nullptr);
    EXPECT_EQ(item.GetExtremesValid(), 1);
    ASSERT_EQ(extrema.points.size(), 8u);
    const double m = -2.0, M = 2.0;
    const double expected[8][3] = {{m, m, m}, {M, m, m}, {M, M, m}, {m, M, m},
                                   {m, M, M}, {m, m, M}, {M, m, M}, {M, M, M}};
    for (int i = 0; i < 8; ++i) {
        ExpectPosition(extrema.points[i], expected[i][0], expected[i][1], expected[i][2]);
        ExpectPosition(SPAposition(0, 0, 0) * extrema.transforms[i], 10, 0, 0);
    }
    EXPECT_EQ(extrema.get_model_transform_depth(), 0);  // cleared afterwards
    // The transformed box now reaches the moved corners.
    EXPECT_FLOAT_EQ(item.GetTransformedBox().GetMax()[0], 12.0f);
    // ExpandBox places the box by the item's transformation, then by the argument's (that of what
    // holds the item).
    CDsBox plain, withArgument;
    item.ExpandBox(plain, nullptr);
    SPAtransf far = translate_transf(SPAvector(0, 100, 0));
    item.ExpandBox(withArgument, &far);
    EXPECT_FLOAT_EQ(plain.GetMin()[0], 8.0f);
    EXPECT_FLOAT_EQ(plain.GetMax()[0], 12.0f);
    for (int a = 0; a < 3; ++a) {
        const float shift = a == 1 ? 100.0f : 0.0f;
        EXPECT_FLOAT_EQ(withArgument.GetMin()[a], plain.GetMin()[a] + shift);
        EXPECT_FLOAT_EQ(withArgument.GetMax()[a], plain.GetMax()[a] + shift);
    }
}

// The box a figure reports to the scene comes from GetBoundBox: it must be where the item is
// drawn on the retained road and measured (ExpandBox), under the item's own transformation.
TEST(DsItemPolygonsStl, APlacedMeshAnswersItsPlacedBoxAndForgetsWhereItWas)
{
    StlPtr cube = MakeCube(2.0);
    CDsItemPolygonsStl item(cube.get(), translate_transf(SPAvector(100, 20, 10)));
    SPAbox box;
    ASSERT_TRUE(item.GetBoundBox(box));
    ExpectPosition(box.low(), 98, 18, 8);
    ExpectPosition(box.high(), 102, 22, 12);
    EXPECT_FLOAT_EQ(item.GetTransformedBox().GetMin()[0], 98.0f);
    EXPECT_FLOAT_EQ(item.GetTransformedBox().GetMax()[0], 102.0f);

    // Moved to the other side: the boxes follow and keep nothing of the old place.
    item.Transform(translate_transf(SPAvector(-200, 0, 0)));
    ASSERT_TRUE(item.GetBoundBox(box));
    ExpectPosition(box.low(), -102, 18, 8);
    ExpectPosition(box.high(), -98, 22, 12);
    item.UpdateExtremes();
    EXPECT_FLOAT_EQ(item.GetTransformedBox().GetMin()[0], -102.0f);
    EXPECT_FLOAT_EQ(item.GetTransformedBox().GetMax()[0], -98.0f);

    // Turned half round about z: the corners change sides, the box stays ordered.
    item.Transform(rotate_transf(M_PI, SPAvector(0, 0, 1)));
    ASSERT_TRUE(item.GetBoundBox(box));
    EXPECT_NEAR(box.low().x(), 98, 1e-9);
    EXPECT_NEAR(box.high().x(), 102, 1e-9);
    EXPECT_NEAR(box.low().y(), -22, 1e-9);
    EXPECT_NEAR(box.high().y(), -18, 1e-9);

    // Any polygon leaf placed by a transformation answers its placed box: the base item's
    // extremes (the origin) moved.
    CDsItemPolygonsBase base;
    base.Transform(translate_transf(SPAvector(1, 2, 3)));
    ASSERT_TRUE(base.GetBoundBox(box));
    ExpectPosition(box.low(), 1, 2, 3);
    ExpectPosition(box.high(), 1, 2, 3);
}

// A leaf turned by its transformation reaches out to corners of its extremes other than the two
// extreme ones: every box road (the modeler box, the grown box, the STL mesh's own box and the
// corners sent to a measuring view) holds the whole turned leaf.
TEST(DsItemPolygonsBase, ALeafTurnedByItsTransformationAnswersTheBoxOfAllItsCorners)
{
    const SPAtransf eighth = rotate_transf(M_PI / 4, SPAvector(0, 0, 1));
    const double r = std::sqrt(2.0);
    const auto expectTurnedBox = [r](CDsItemPolygonsBase& item, double half) {
        SPAbox box;
        ASSERT_TRUE(item.GetBoundBox(box));
        EXPECT_NEAR(box.low().x(), -r * half, 1e-9);
        EXPECT_NEAR(box.high().x(), r * half, 1e-9);
        EXPECT_NEAR(box.low().y(), -r * half, 1e-9);
        EXPECT_NEAR(box.high().y(), r * half, 1e-9);
        EXPECT_NEAR(box.low().z(), -half, 1e-9);
        EXPECT_NEAR(box.high().z(), half, 1e-9);
        CDsBox grown;
        item.ExpandBox(grown, nullptr);
        EXPECT_NEAR(grown.GetMin()[0], -r * half, 1e-5);
        EXPECT_NEAR(grown.GetMax()[0], r * half, 1e-5);
        EXPECT_NEAR(grown.GetMin()[1], -r * half, 1e-5);
        EXPECT_NEAR(grown.GetMax()[1], r * half, 1e-5);
        EXPECT_NEAR(grown.GetMax()[2], half, 1e-5);
        vyrtest::RecordingExtremaView extrema;
        item.DrawExtremes(extrema, nullptr);
        double reach = 0.0;
        for (size_t i = 0; i < extrema.points.size(); ++i)
            reach = std::max(reach, (extrema.points[i] * extrema.transforms[i]).x());
        EXPECT_NEAR(reach, r * half, 1e-9);
    };
    {
        SCOPED_TRACE("STL mesh");
        StlPtr cube = MakeCube(1.0);
        CDsItemPolygonsStl item(cube.get(), eighth);
        expectTurnedBox(item, 1.0);
        EXPECT_NEAR(item.GetTransformedBox().GetMin()[0], -r, 1e-5);
        EXPECT_NEAR(item.GetTransformedBox().GetMax()[1], r, 1e-5);
    }
    {
        SCOPED_TRACE("recorded polygons");
        CDsItemPolygonsDl item;
        const double low[3] = {-2, -2, -2}, high[3] = {2, 2, 2};
        item.SetExtremes(low, high);
        item.Transform(eighth);
        expectTurnedBox(item, 2.0);
    }
    {
        SCOPED_TRACE("triangle set");
        ZOVOvivavUrezezovovaza set;
        set.AddTriangle(set.AddVertex({-3, -3, -3}), set.AddVertex({3, -3, 3}), set.AddVertex({3, 3, 0}));
        CDsItemTrigs item(true);
        item.SetTriangulation(&set, nullptr);
        item.Transform(eighth);
        expectTurnedBox(item, 3.0);
    }
}

TEST(DsItemPolygonsStl, VertexQueriesAndTheReferenceOnTheData)
{
    CDsItemPolygonsStl empty;
    EXPECT_EQ(empty.GetVerticesCount(CDsGeometry::eDpFaces), -1);
    std::vector<CDsGeometry::sVerticesBuffer> buffers;
    EXPECT_FALSE(empty.GetVerticesBuffer(CDsGeometry::eDpFaces, buffers, 0));
    EXPECT_EQ(empty.GetVBOId(), -1);

    StlPtr cube = MakeCube(1.0);
    ASSERT_EQ(cube->GetRC(), 1);
    {
        CDsItemPolygonsStl item(cube.get(), SPAtransf());
        EXPECT_EQ(cube->GetRC(), 2);
        EXPECT_EQ(item.GetItemType(), eDsItemPolygonsStl);
        EXPECT_EQ(item.GetDrawPrimitives(), 6);
        EXPECT_EQ(item.GetVerticesCount(CDsGeometry::eDpFaces), 36);
        EXPECT_EQ(item.GetVerticesCount(CDsGeometry::eDpLines), 36);
        EXPECT_EQ(item.GetVerticesCount(CDsGeometry::eDpPoints), -1);
        float* vertices = nullptr;
        int count = 0;
        EXPECT_EQ(item.GetVertices(CDsGeometry::eDpFaces, 0, vertices, count), 3);  // the next triangle's
        ASSERT_NE(vertices, nullptr);
        EXPECT_EQ(count, 3);
        EXPECT_FLOAT_EQ(vertices[0], -1.0f);  // the first vertex of the +z face
        EXPECT_FLOAT_EQ(vertices[2], 1.0f);
        ASSERT_TRUE(item.GetVerticesBuffer(CDsGeometry::eDpFaces, buffers, 0));
        ASSERT_EQ(buffers.size(), 1u);
        ASSERT_EQ(buffers[0].m_vertices.size(), 108u);
        EXPECT_FLOAT_EQ(buffers[0].m_vertices[0], -1.0f);  // the first vertex of the +z face
        EXPECT_FLOAT_EQ(buffers[0].m_vertices[2], 1.0f);
        EXPECT_FALSE(item.GetVerticesBuffer(CDsGeometry::eDpPoints, buffers, 0));
        EXPECT_FALSE(item.Pick(static_cast<pick_manager*>(nullptr)));
    }
    EXPECT_EQ(cube->GetRC(), 1);  // the item gave its reference back

    CDsItemPolygonsStl none(nullptr, SPAtransf());
    EXPECT_EQ(none.GetVertexCount(), 0);
    EXPECT_EQ(none.GetVerticesCount(CDsGeometry::eDpFaces), -1);
    StlPtr hollow(new CVyrStlData);
    CDsItemPolygonsStl emptyMesh(hollow.get(), SPAtransf());
    EXPECT_EQ(emptyMesh.GetVerticesCount(CDsGeometry::eDpFaces), -1);
}

// The triangles a leaf hands out through GetVertices, read the way a group and the pick walks
// read them: from index 0, each answer the next index, until -1.
static std::vector<std::vector<SPAposition>> ReadPolygons(CDsItemBase& item, CDsGeometry::eDrawPrimitives kinds)
{
    std::vector<std::vector<SPAposition>> polygons;
    for (int index = 0, calls = 0; index >= 0 && calls < 100000; ++calls) {
        float* vertices = nullptr;
        int count = 0;
        const int next = item.GetVertices(kinds, index, vertices, count);
        if (vertices) {
            polygons.emplace_back();
            for (int v = 0; v < count; ++v)
                polygons.back().emplace_back(vertices[3 * v], vertices[3 * v + 1], vertices[3 * v + 2]);
        }
        if (next >= 0 && next <= index) break;
        index = next;
    }
    return polygons;
}

TEST(DsItemPolygonsBase, LeavesHandOutTheirTrianglesPlacedByTheirTransformation)
{
    // An STL cube placed by its own transformation and then by a later one (as the figure
    // generator's is applied): faces and, as it draws lines too, closed outlines, where drawn.
    StlPtr cube = MakeCube(1.0);
    CDsItemPolygonsStl stl(cube.get(), translate_transf(SPAvector(10, 0, 0)));
    stl.Transform(translate_transf(SPAvector(0, 20, 0)));
    const auto faces = ReadPolygons(stl, CDsGeometry::eDpFaces);
    ASSERT_EQ(faces.size(), 12u);
    ExpectPosition(faces[0][0], 9, 19, 1);  // the +z face's first corner, placed
    const auto outlines = ReadPolygons(stl, CDsGeometry::eDpLines);
    ASSERT_EQ(outlines.size(), 12u);
    ASSERT_EQ(outlines[5].size(), 4u);
    ExpectPosition(outlines[5][3], faces[5][0].x(), faces[5][0].y(), faces[5][0].z());
    std::vector<CDsGeometry::sVerticesBuffer> buffers;
    ASSERT_TRUE(stl.GetVerticesBuffer(CDsGeometry::eDpFaces, buffers, 0));
    EXPECT_FLOAT_EQ(buffers[0].m_vertices[1], 19.0f);  // the buffer is placed alike

    // A triangle set over two chunks: every triangle, the last from the second chunk; as faces
    // only, since the set draws no lines.
    auto set = vyrtest::MakeTriangulation(43690, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    set->AddTriangle(set->AddVertex({5, 5, 0}), set->AddVertex({6, 5, 0}), set->AddVertex({5, 6, 0}));
    CDsItemTrigs trigs(true);
    trigs.SetTriangulation(set.get(), nullptr);
    trigs.Transform(translate_transf(SPAvector(100, 0, 0)));
    const auto triangles = ReadPolygons(trigs, CDsGeometry::eDpFaces);
    ASSERT_EQ(triangles.size(), 43691u);
    ExpectPosition(triangles.back()[2], 105, 6, 0);
    EXPECT_TRUE(ReadPolygons(trigs, CDsGeometry::eDpLines).empty());

    // In a group after an empty mesh (which answers a count of -1), each leaf's share is found.
    TestGroup group;
    group.Add(new CDsItemPolygonsStl);
    group.Add(new CDsItemPolygonsStl(cube.get(), translate_transf(SPAvector(0, 0, 50))));
    const auto grouped = ReadPolygons(group, CDsGeometry::eDpFaces);
    ASSERT_EQ(grouped.size(), 12u);
    ExpectPosition(grouped[0][0], -1, -1, 51);
}

TEST(DsItemPolygons2D, PrintsOneClosedPolylinePerPolygonAndAnswersItsVertices)
{
    const float points[18] = {0, 0, 0, 4, 0, 0, 0, 4, 0, 10, 0, 0, 14, 0, 0, 10, 4, 0};
    CDsItemPolygons2D item(3, 2, points);
    EXPECT_EQ(item.GetItemType(), eDsItemPolygons2D);
    EXPECT_EQ(item.GetVerticesCount(CDsGeometry::eDpLines), 6);  // every polygon's
    SPAbox box;
    ASSERT_TRUE(item.GetBoundBox(box));  // the box of every polygon
    EXPECT_DOUBLE_EQ(box.low().x(), 0.0);
    EXPECT_DOUBLE_EQ(box.high().x(), 14.0);
    EXPECT_DOUBLE_EQ(box.high().y(), 4.0);
    EXPECT_FLOAT_EQ(item.GetNormal()[2], 1.0f);  // the winding's: anticlockwise about +z

    // Polygon by polygon: the first, then the second, the last.
    float* vertices = nullptr;
    int count = 0;
    EXPECT_EQ(item.GetVertices(CDsGeometry::eDpFaces, 0, vertices, count), 3);
    EXPECT_EQ(count, 3);
    ASSERT_NE(vertices, nullptr);
    EXPECT_FLOAT_EQ(vertices[3], 4.0f);
    EXPECT_EQ(item.GetVertices(CDsGeometry::eDpFaces, 3, vertices, count), -1);
    EXPECT_EQ(count, 3);
    EXPECT_FLOAT_EQ(vertices[0], 10.0f);
    EXPECT_FLOAT_EQ(vertices[6], 10.0f);
    EXPECT_EQ(item.GetVertices(CDsGeometry::eDpFaces, 6, vertices, count), -1);
    EXPECT_EQ(item.GetVertices(CDsGeometry::eDpFaces, 1, vertices, count), -1);
    EXPECT_EQ(item.GetVertices(CDsGeometry::eDpLines, 0, vertices, count), -1);

    PrintingView view;
    item.Plot(view);
    ASSERT_EQ(view.polylines.size(), 2u);
    EXPECT_EQ(view.closedFlags, (std::vector<int>{1, 1}));
    EXPECT_EQ(view.polylines[0], std::vector<float>(points, points + 9));
    EXPECT_EQ(view.polylines[1], std::vector<float>(points + 9, points + 18));

    // Bad sizes make an item without vertices that prints nothing.
    for (const auto& nm : {std::pair<int, int>{0, 2}, {3, 0}, {-1, 5}}) {
        CDsItemPolygons2D bad(nm.first, nm.second, points);
        PrintingView none;
        bad.Plot(none);
        EXPECT_TRUE(none.polylines.empty());
    }
    CDsItemPolygons2D nullPoints(3, 1, nullptr);
    EXPECT_EQ(nullPoints.GetVerticesCount(CDsGeometry::eDpFaces), 0);
}

TEST(DsItemPolygons2D, IntegerSegmentIntersection)
{
    int x = -1, y = -1;
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 10, 10, 0, 10, 10, 0, x, y), 1);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
    // The crossing (1.5, 0.5) rounds half away from zero.
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 3, 1, 0, 1, 3, 0, x, y), 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    // Apart, on one side of the other's line, or beyond its end.
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 10, 0, 0, 1, 10, 5, x, y), 0);
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 4, 4, 10, 0, 6, 3, x, y), 0);
    // Collinear segments do not count as crossing.
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 10, 0, 5, 0, 20, 0, x, y), 2);
    // Touching at an end is a crossing.
    EXPECT_EQ(CDsItemPolygons2D::IntersectSegments(0, 0, 10, 0, 10, 0, 10, 10, x, y), 1);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 0);
}

TEST(DsItemTrigs, ChunksOf131070VerticesAndTheOffsetBox)
{
    // 43,691 triangles: 131,073 vertices, one whole chunk and three vertices more.
    auto set = vyrtest::MakeTriangulation(43691, {0, 0, 0}, {1, 0, 0}, {0, 2, 0});
    CDsItemTrigs item(true);
    const VOREvu3v<float> offset(5, 6, 7);
    item.SetTriangulation(set.get(), &offset);
    ASSERT_EQ(item.GetChunksCount(), 2);
    EXPECT_EQ(item.GetChunkVertexCount(0), 131070);
    EXPECT_EQ(item.GetChunkVertexCount(1), 3);
    EXPECT_EQ(item.GetExtremesValid(), 1);
    EXPECT_DOUBLE_EQ(item.GetExtremesMin()[0], 5.0);
    EXPECT_DOUBLE_EQ(item.GetExtremesMax()[1], 8.0);
    EXPECT_DOUBLE_EQ(item.GetExtremesMax()[2], 7.0);
    EXPECT_EQ(item.GetItemType(), eDsItemTrigs);

    // Exactly one chunk's worth makes no empty chunk; refilling with nothing empties the item.
    auto whole = vyrtest::MakeTriangulation(43690, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    item.SetTriangulation(whole.get(), nullptr);
    EXPECT_EQ(item.GetChunksCount(), 1);
    ZOVOvivavUrezezovovaza none;
    item.SetTriangulation(&none, nullptr);
    EXPECT_EQ(item.GetChunksCount(), 0);
    item.SetTriangulation(nullptr, nullptr);
    EXPECT_EQ(item.GetChunksCount(), 0);
}

TEST(DsItemLamp, NewLampAndItsExtremesFollowPositionAndSize)
{
    CDsItemLamp lamp;
    EXPECT_EQ(lamp.GetItemType(), eDsItemLamp);
    EXPECT_FLOAT_EQ(lamp.GetSize(), 10.0f);
    EXPECT_EQ(lamp.GetType(), eDsQuadSphere);
    EXPECT_TRUE(lamp.GetFaceTarget());
    for (int a = 0; a < 3; ++a) {
        EXPECT_DOUBLE_EQ(lamp.GetExtremesMin()[a], -10.0);
        EXPECT_DOUBLE_EQ(lamp.GetExtremesMax()[a], 10.0);
    }
    const float position[3] = {1, 2, 3};
    lamp.SetPosition(position);
    lamp.SetSize(4.0f);
    EXPECT_DOUBLE_EQ(lamp.GetExtremesMin()[0], -3.0);
    EXPECT_DOUBLE_EQ(lamp.GetExtremesMax()[2], 7.0);
    lamp.SetPosition(nullptr);  // ignored
    EXPECT_FLOAT_EQ(lamp.GetPosition()[1], 2.0f);

    SPAbox box;
    ASSERT_TRUE(lamp.GetBoundBox(box));
    const double r = std::sqrt(2.0 * 14.0) + 8.0;
    ExpectPosition(box.high(), r, r, r);
    ExpectPosition(box.low(), -r, -r, -r);
}

TEST(DsItemQuadric, CopiesItsSurfaceByKindAndReportsItsBox)
{
    // A surface of a kind above 5 is copied and drawn as a cone.
    class KindSeven : public CDsCone {
    public:
        KindSeven() : CDsCone(3, 1, 8) {}
        EDsQuadType GetType() const override { return static_cast<EDsQuadType>(7); }
    };
    const KindSeven seven;
    CDsItemQuadric quadric(&seven);
    EXPECT_EQ(quadric.GetItemType(), eDsItemQuadric);
    EXPECT_EQ(quadric.GetType(), 7);
    EXPECT_FALSE(quadric.GetFaceTarget());
    auto* cone = dynamic_cast<const CDsCone*>(quadric.GetSurface());
    ASSERT_NE(cone, nullptr);
    EXPECT_FLOAT_EQ(cone->GetBaseRadius(), 3.0f);
    EXPECT_FLOAT_EQ(cone->GetHeight(), 8.0f);
    EXPECT_FLOAT_EQ(quadric.GetCharacteristicSize(), 3.0f);

    const CDsTorus torus(2.0f, 5.0f);
    CDsItemQuadric ring(&torus);
    EXPECT_FLOAT_EQ(ring.GetCharacteristicSize(), 5.0f);

    const CDsSphere sphere(5.0f);
    CDsItemQuadric ball(&sphere);
    ball.Transform(translate_transf(SPAvector(0, 0, 10)));
    SPAbox box;
    ASSERT_TRUE(ball.GetBoundBox(box));
    ExpectPosition(box.low(), -5, -5, 5);
    ExpectPosition(box.high(), 5, 5, 15);
    CDsBox grown;
    ball.ExpandBox(grown, nullptr);
    EXPECT_FLOAT_EQ(grown.GetMin()[2], 5.0f);
    EXPECT_FLOAT_EQ(grown.GetMax()[2], 15.0f);

    // Without a surface: no box, and ExpandBox adds nothing.
    CDsItemQuadric none(nullptr);
    EXPECT_FALSE(none.GetBoundBox(box));
    CDsBox untouched;
    none.ExpandBox(untouched, nullptr);
    EXPECT_TRUE(untouched.IsNotComputed());
}

TEST(DsItemQuadric, SlicesFollowTheSurfaceSizeInPixels)
{
    view3d view;
    view.set_viewport(0, 0, 1000, 600);
    view.set_width(1000.0);  // one unit a pixel
    view.set_height(600.0);
    ASSERT_DOUBLE_EQ(view.get_units_per_pixel(), 1.0);
    EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, 20.0f), 16);
    EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, 200.0f), 32);
    EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, 500.0f), 44);
    EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, 700.0f), 52);
    // Each step at a tenth, a third and two thirds of the viewport's larger side.
    const std::pair<float, int> steps[] = {{99.0f, 16}, {101.0f, 32}, {329.0f, 32}, {331.0f, 44}, {659.0f, 44}, {661.0f, 52}};
    for (const auto& step : steps) EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, step.first), step.second) << step.first;
    view.zoom_scale(10.0);  // a tenth of a unit a pixel: 20 units span 200 pixels
    EXPECT_EQ(CDsItemQuadric::GetSlicesCount(view, 20.0f), 32);
}

TEST(DsNavigator, GetItemForStlFindsTheGroupOfAnStlMesh)
{
    NavigatorProbe navigator;
    EXPECT_EQ(navigator.GetItemForStl(nullptr), nullptr);
    TestGroup group;
    EXPECT_EQ(navigator.GetItemForStl(&group), nullptr);
    StlPtr cube = MakeCube(1.0);
    group.Add(new CDsItemPolygonsStl(cube.get(), SPAtransf()));
    group.Add(new CDsItemLamp);
    EXPECT_EQ(navigator.GetItemForStl(&group), &group);
    TestGroup other;
    other.Add(new CDsItemLamp);
    other.Add(new CDsItemPolygonsStl(cube.get(), SPAtransf()));
    EXPECT_EQ(navigator.GetItemForStl(&other), nullptr);  // only the first child counts
}
