// Indexed meshes: fixed capacities, corners that can only name the mesh's own nodes, uv range
// and rescaling, the two triangle walks, copies, colours, revisions and silhouettes (also asked
// from two threads at once).
#include "DsTrianglesCollector.h"
#include "VyrIndexedMesh.h"
#include "VyrRefinement.h"

#include "MeshingFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

using Tri = std::array<int, 3>;

SPAunit_vector Up()
{
    return SPAunit_vector(0, 0, 1);
}

// A mesh of `n` nodes at (i, i * i, 0) with uv (i, 10 i), room for `polygons` polygons.
CVyrIndexedMesh Nodes(int n, int polygons, int polynodes)
{
    CVyrIndexedMesh mesh(n, polygons, polynodes);
    for (int i = 0; i < n; ++i) mesh.add_vertex(SPAposition(i, i * i, 0), Up(), SPApar_pos(i, 10.0 * i));
    return mesh;
}

// Adds a polygon whose corners are the nodes listed.
int Polygon(CVyrIndexedMesh& mesh, std::vector<int> nodes, int share)
{
    const int index = mesh.get_num_polygon();
    if (mesh.add_polygon(index, static_cast<int>(nodes.size()), nullptr, share) < 0) return -1;
    for (size_t k = 0; k < nodes.size(); ++k)
        if (mesh.set_poly_vertex(index, static_cast<int>(k), mesh.get_vertex_for_edit(nodes[k])) < 0) return -1;
    return index;
}

std::vector<Tri> Triangles(const CVyrIndexedMesh& mesh)
{
    std::vector<int> flat;
    mesh.GenerateTrianglesList(flat);
    std::vector<Tri> out;
    for (size_t i = 0; i + 2 < flat.size(); i += 3) out.push_back({flat[i], flat[i + 1], flat[i + 2]});
    EXPECT_EQ(flat.size() % 3, 0u);
    return out;
}

std::vector<Tri> TrianglesByPointer(CVyrIndexedMesh& mesh)
{
    std::vector<CVyrPolygonVertex*> flat;
    mesh.GenerateTrianglesList(flat);
    std::vector<Tri> out;
    for (size_t i = 0; i + 2 < flat.size(); i += 3)
        out.push_back({mesh.get_vertex_index(flat[i]), mesh.get_vertex_index(flat[i + 1]),
                       mesh.get_vertex_index(flat[i + 2])});
    return out;
}

class Collector : public CDsTrianglesCollector {
public:
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        corners.push_back({a, b, c});
    }
    std::vector<std::array<SPAposition, 3>> corners;
};

bool Same(const SPAposition& a, const SPAposition& b, double tol = 1e-6)
{
    return (a - b).len() < tol;
}

}  // namespace

TEST(VyrIndexedMeshTest, CapacitiesAreFixedAndAFullMeshRefusesMore)
{
    CVyrIndexedMesh tiny(0, 0, 0);
    int nodes, polygons, polynodes;
    tiny.GetLimits(nodes, polygons, polynodes);
    EXPECT_EQ(nodes, 1);
    EXPECT_EQ(polygons, 1);
    EXPECT_EQ(polynodes, 1);
    ASSERT_NE(tiny.add_vertex(SPAposition(1, 2, 3), Up(), SPApar_pos(0, 0)), nullptr);
    EXPECT_EQ(tiny.add_vertex(SPAposition(4, 5, 6), Up(), SPApar_pos(0, 0)), nullptr);  // full
    EXPECT_EQ(tiny.get_num_vertex(), 1);
    EXPECT_EQ(tiny.add_polygon(0, 2, nullptr, -2), -1);  // two corners do not fit one slot
    EXPECT_EQ(tiny.add_polygon(0, 1, nullptr, -2), 0);
    EXPECT_EQ(tiny.add_polygon(1, 1, nullptr, -2), -1);  // polygons full
    tiny.GetQuantities(nodes, polygons, polynodes);
    EXPECT_EQ(nodes, 1);
    EXPECT_EQ(polygons, 1);
    EXPECT_EQ(polynodes, 1);

    CVyrIndexedMesh mesh = Nodes(3, 4, 12);
    EXPECT_EQ(mesh.add_polygon(0, 3, nullptr, -2), 0);
    EXPECT_EQ(mesh.add_polygon(2, 3, nullptr, -2), -1);  // index is not the polygon count
    EXPECT_EQ(mesh.add_polygon(1, -1, nullptr, -2), -1);
    EXPECT_EQ(mesh.get_num_polygon(), 1);
    EXPECT_EQ(mesh.get_polygon(1), nullptr);
    EXPECT_EQ(mesh.get_polygon(-1), nullptr);
    // Outside the node count, nodes read as node 0.
    EXPECT_EQ(mesh.get_vertex(7), mesh.get_vertex(0));
    EXPECT_EQ(mesh.GetFloatPosition(-1)[0], 0.0f);
}

TEST(VyrIndexedMeshTest, PolygonCornersNameOnlyTheMeshsOwnUsedNodes)
{
    CVyrIndexedMesh mesh(4, 2, 6);
    CVyrPolygonVertex* a = mesh.add_vertex(SPAposition(0, 0, 0), Up(), SPApar_pos(0, 0));
    CVyrPolygonVertex* b = mesh.add_vertex(SPAposition(1, 0, 0), Up(), SPApar_pos(1, 0));
    ASSERT_EQ(mesh.add_polygon(0, 3, nullptr, -2), 0);
    // Until set, every corner is node 0.
    const CVyrIndexedPolygon* polygon = mesh.get_polygon(0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(polygon->get_vertex(k), a);

    CVyrIndexedMesh other(2, 1, 3);
    CVyrPolygonVertex* foreign = other.add_vertex(SPAposition(9, 9, 9), Up(), SPApar_pos(0, 0));
    EXPECT_EQ(mesh.ISetPolyVertex(0, 1, nullptr), -1);
    EXPECT_EQ(mesh.ISetPolyVertex(0, 1, foreign), -1);
    EXPECT_EQ(mesh.ISetPolyVertex(0, 1, mesh.get_vertex_for_edit(0) + 2), -1);  // a free slot
    EXPECT_EQ(mesh.ISetPolyVertex(0, 3, b), -1);                                // no corner 3
    EXPECT_EQ(mesh.ISetPolyVertex(1, 0, b), -1);                                // no polygon 1
    EXPECT_EQ(polygon->get_vertex(1), a);
    EXPECT_EQ(mesh.ISetPolyVertex(0, 1, b), 0);
    EXPECT_EQ(polygon->get_vertex(1), b);
    EXPECT_EQ(polygon->get_vertex(5), a);  // outside the corners: corner 0
    EXPECT_EQ(mesh.get_vertex_index(b), 1);
    EXPECT_EQ(mesh.get_vertex_index(foreign), 0);
}

TEST(VyrIndexedMeshTest, TinyValuesAreStoredAsZeroAndTheUvRangeFollowsTheNodes)
{
    CVyrIndexedMesh mesh(3, 1, 3);
    mesh.add_vertex(SPAposition(1e-40, 2, -1e-39), SPAunit_vector(0, 0, 1), SPApar_pos(2, 5));
    EXPECT_EQ(mesh.GetFloatPosition(0)[0], 0.0f);
    EXPECT_EQ(mesh.GetFloatPosition(0)[2], 0.0f);
    EXPECT_EQ(mesh.GetFloatPosition(0)[1], 2.0f);
    mesh.add_vertex(SPAposition(0, 0, 0), Up(), SPApar_pos(4, 1));
    double umin, umax, vmin, vmax;
    mesh.GetRange(umin, umax, vmin, vmax);
    EXPECT_EQ(umin, 2);
    EXPECT_EQ(umax, 4);
    EXPECT_EQ(vmin, 1);
    EXPECT_EQ(vmax, 5);
    // uv as scaled before the rescale; as entered after it.
    EXPECT_NEAR(mesh.get_uv_as_scaled(1).u, 1.0, 1e-12);
    mesh.map_uv_into_01();
    EXPECT_EQ(mesh.GetScaleFlag(), 1);
    EXPECT_NEAR(mesh.get_uv(0).u, 0.0, 1e-12);
    EXPECT_NEAR(mesh.get_uv(0).v, 1.0, 1e-12);
    EXPECT_NEAR(mesh.get_uv_as_entered(0).u, 2.0, 1e-12);
    EXPECT_NEAR(mesh.get_uv_as_entered(1).v, 1.0, 1e-12);
    mesh.map_uv_into_01();  // once only
    EXPECT_NEAR(mesh.get_uv(1).u, 1.0, 1e-12);

    // All nodes on one u: nothing to rescale.
    CVyrIndexedMesh flat(2, 1, 2);
    flat.add_vertex(SPAposition(), Up(), SPApar_pos(3, 0));
    flat.add_vertex(SPAposition(), Up(), SPApar_pos(3, 1));
    flat.map_uv_into_01();
    EXPECT_EQ(flat.GetScaleFlag(), 0);
    EXPECT_EQ(flat.get_uv(1).v, 1.0);
}

TEST(VyrIndexedMeshTest, PlainPolygonsGiveTrianglesQuadsAndFansFromBothWalks)
{
    CVyrIndexedMesh mesh = Nodes(9, 4, 20);
    ASSERT_EQ(Polygon(mesh, {0, 1, 2, 3, 4}, -2), 0);  // pentagon
    ASSERT_EQ(Polygon(mesh, {5, 6}, -2), 1);           // too few corners
    ASSERT_EQ(Polygon(mesh, {5, 6, 7, 8}, -2), 2);     // quadrilateral
    ASSERT_EQ(Polygon(mesh, {8, 2, 6}, -2), 3);        // triangle
    const std::vector<Tri> expected = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {5, 6, 7}, {7, 8, 5}, {8, 2, 6}};
    EXPECT_EQ(Triangles(mesh), expected);
    EXPECT_EQ(TrianglesByPointer(mesh), expected);

    Collector collector;
    mesh.CollectMeshTriangles(collector);
    ASSERT_EQ(collector.corners.size(), expected.size());
    EXPECT_TRUE(Same(collector.corners[2][2], SPAposition(4, 16, 0)));
    EXPECT_TRUE(Same(collector.corners[4][1], SPAposition(8, 64, 0)));

    CVyrIndexedMesh empty(3, 1, 3);
    Collector none;
    empty.CollectMeshTriangles(none);
    EXPECT_TRUE(none.corners.empty());
    EXPECT_TRUE(Triangles(empty).empty());
}

TEST(VyrIndexedMeshTest, FaceterOrderFollowsStripsUntilANewStripBegins)
{
    // A strip of three triangles, a pentagon, a triangle starting a new strip, then a strip of two quads.
    CVyrIndexedMesh mesh = Nodes(12, 7, 40);
    ASSERT_EQ(Polygon(mesh, {0, 1, 2}, -1), 0);
    ASSERT_EQ(Polygon(mesh, {1, 2, 3}, 0), 1);
    ASSERT_EQ(Polygon(mesh, {2, 3, 4}, 1), 2);
    ASSERT_EQ(Polygon(mesh, {0, 4, 5, 6, 7}, -1), 3);
    ASSERT_EQ(Polygon(mesh, {7, 8, 9}, -1), 4);
    ASSERT_EQ(Polygon(mesh, {8, 9, 10, 11}, -1), 5);
    ASSERT_EQ(Polygon(mesh, {10, 11, 0, 1}, 3), 6);
    const std::vector<Tri> expected = {{0, 1, 2},  {1, 2, 3},  {2, 3, 4},   {0, 4, 5},   {0, 5, 6},
                                       {0, 6, 7},  {7, 8, 9},  {8, 9, 10},  {10, 11, 8}, {10, 11, 0},
                                       {0, 1, 10}};
    EXPECT_EQ(Triangles(mesh), expected);
    EXPECT_EQ(TrianglesByPointer(mesh), expected);

    // A pentagon followed by a triangle: the fan, then the triangle.
    CVyrIndexedMesh pair = Nodes(6, 2, 8);
    ASSERT_EQ(Polygon(pair, {0, 1, 2, 3, 4}, -1), 0);
    ASSERT_EQ(Polygon(pair, {5, 0, 2}, -1), 1);
    EXPECT_EQ(Triangles(pair), (std::vector<Tri>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {5, 0, 2}}));
}

TEST(VyrIndexedMeshTest, BoxesReverseAndCopiesOwnTheirContent)
{
    CVyrIndexedMesh mesh = Nodes(4, 2, 6);
    ASSERT_EQ(Polygon(mesh, {0, 1, 2}, -1), 0);
    ASSERT_EQ(Polygon(mesh, {1, 3, 2}, 0), 1);
    mesh.SetApexPosition(new SPAposition(5, 5, 5));
    mesh.SetReverseFlag(1);
    mesh.SetPlanarFlag(1);
    mesh.map_uv_into_01();

    const SPAbox box = mesh.get_box();
    EXPECT_TRUE(Same(box.low(), SPAposition(0, 0, 0)));
    EXPECT_TRUE(Same(box.high(), SPAposition(3, 9, 0)));
    const SPAbox moved = mesh.GetBoxWithTransf(translate_transf(SPAvector(0, 0, 2)));
    EXPECT_TRUE(Same(moved.high(), SPAposition(3, 9, 2)));
    CVyrIndexedMesh empty(2, 1, 2);
    EXPECT_TRUE(Same(empty.get_box().low(), SPAposition(0, 0, 0)));  // node 0 alone

    CVyrIndexedMesh copy(mesh);
    int nodes, polygons, polynodes;
    copy.GetLimits(nodes, polygons, polynodes);
    EXPECT_EQ(nodes, 4);
    EXPECT_EQ(polygons, 2);
    EXPECT_EQ(polynodes, 6);
    EXPECT_EQ(copy.get_polygon(1)->get_share_info(), -2);
    EXPECT_EQ(copy.GetReverseFlag(), 0);
    EXPECT_EQ(copy.GetPlanarFlag(), 0);
    EXPECT_EQ(copy.GetScaleFlag(), 0);
    ASSERT_NE(copy.GetApexPosition(), nullptr);
    EXPECT_NE(copy.GetApexPosition(), mesh.GetApexPosition());
    EXPECT_TRUE(Same(*copy.GetApexPosition(), SPAposition(5, 5, 5)));
    // The copy's corners are its own nodes: editing the source leaves it alone.
    EXPECT_EQ(copy.get_vertex_index(copy.get_polygon(1)->get_vertex(1)), 3);
    mesh.get_vertex_for_edit(3)->set_data(SPAposition(-1, -1, -1), Up(), SPApar_pos());
    EXPECT_EQ(copy.get_polygon(1)->get_vertex(1)->GetFloatPosition()[0], 3.0f);

    // reverse: normals negated, corner order reversed, the flag untouched.
    mesh.reverse();
    EXPECT_EQ(mesh.GetFloatNormal(0)[2], -1.0f);
    EXPECT_EQ(mesh.get_vertex_index(mesh.get_polygon(0)->get_vertex(0)), 2);
    EXPECT_EQ(mesh.get_vertex_index(mesh.get_polygon(0)->get_vertex(2)), 0);
    EXPECT_EQ(mesh.GetReverseFlag(), 1);
}

TEST(VyrIndexedMeshTest, MergingTakesContentOnlyIntoAnEmptyMeshThatHasRoom)
{
    CVyrIndexedMesh source = Nodes(3, 1, 3);
    ASSERT_EQ(Polygon(source, {0, 1, 2}, -1), 0);

    CVyrIndexedMesh small(2, 1, 3);
    small |= source;
    EXPECT_EQ(small.get_num_vertex(), 0);
    CVyrIndexedMesh busy = Nodes(1, 2, 6);
    busy |= source;
    EXPECT_EQ(busy.get_num_polygon(), 0);

    CVyrIndexedMesh target(5, 2, 8);
    target |= target;
    target |= source;
    EXPECT_EQ(target.get_num_vertex(), 3);
    EXPECT_EQ(target.get_num_polygon(), 1);
    EXPECT_EQ(target.get_polygon(0)->get_share_info(), -2);
    EXPECT_EQ(target.get_vertex_index(target.get_polygon(0)->get_vertex(2)), 2);
    EXPECT_EQ(Triangles(target), (std::vector<Tri>{{0, 1, 2}}));
    // More nodes still fit after the merged ones.
    EXPECT_NE(target.add_vertex(SPAposition(), Up(), SPApar_pos()), nullptr);
}

TEST(VyrIndexedMeshTest, EveryChangeOfTheShapeGivesANewRevisionAndNothingElseDoes)
{
    // Every revision seen here, of every mesh: each one asked for must be new.
    std::set<std::pair<uint64_t, uint64_t>> seen;
    auto isNew = [&seen](const CVyrIndexedMesh& m) {
        return seen.emplace(m.GetRevision().mesh, m.GetRevision().changes).second;
    };
    CVyrIndexedMesh mesh(2, 4, 12), empty(4, 4, 4), target(4, 4, 4);
    const CVyrPolygonVertex node;
    const int corners[3] = {0, 1, 2};
    struct SChange {
        const char* name;
        CVyrIndexedMesh* mesh;
        std::function<void()> change;
    };
    const std::vector<SChange> changes = {
        {"add_vertex", &mesh, [&] { mesh.add_vertex(SPAposition(1, 0, 0), Up(), SPApar_pos(1, 1)); }},
        {"add_vertex of a node", &mesh, [&] { mesh.add_vertex(node); }},
        {"add_polygon", &mesh, [&] { mesh.add_polygon(0, 3, nullptr, -2); }},
        {"set_poly_vertex", &mesh, [&] { mesh.set_poly_vertex(0, 1, mesh.get_polygon(0)->get_vertex(0)); }},
        {"get_vertex_for_edit", &mesh,
         [&] { mesh.get_vertex_for_edit(0)->set_data(SPAposition(), Up(), SPApar_pos(0, 1)); }},
        {"map_uv_into_01", &mesh, [&] { mesh.map_uv_into_01(); }},
        {"reverse", &mesh, [&] { mesh.reverse(); }},
        {"SetApexPosition", &mesh, [&] { mesh.SetApexPosition(new SPAposition(0, 0, 1)); }},
        {"FastAddPolygon", &mesh, [&] { mesh.FastAddPolygon(1, 3, nullptr, -2, corners); }},
        {"FastAddVerticies", &empty, [&] { empty.FastAddVerticies(1, &node); }},
        {"operator|=", &target, [&] { target |= empty; }},
    };
    for (const CVyrIndexedMesh* m : {&mesh, &empty, &target}) EXPECT_TRUE(isNew(*m)) << "a new mesh";
    EXPECT_TRUE(isNew(CVyrIndexedMesh(mesh))) << "a copy";
    for (const SChange& change : changes) {
        change.change();
        EXPECT_TRUE(isNew(*change.mesh)) << change.name;
    }

    // Reading, flags, range, colours, silhouettes and refused changes keep it.
    const CVyrIndexedMesh::SRevision kept = mesh.GetRevision();
    CVyrIndexedMesh::SegmentList segments;
    mesh.ComputeSilhouette(SPAtransf(), SPAposition(0, 0, 10), SPAposition(0, 0, 0), segments);
    mesh.SetReverseFlag(1);
    mesh.SetRange(0, 1, 0, 1);
    mesh.SetVertexColors(nullptr, false);
    EXPECT_EQ(mesh.add_vertex(node), nullptr);  // full
    EXPECT_EQ(mesh.add_polygon(5, 3, nullptr, -2), -1);
    EXPECT_EQ(mesh.set_poly_vertex(0, 0, target.get_vertex_for_edit(0)), -1);
    mesh |= target;  // not empty: refused
    EXPECT_TRUE(mesh.GetRevision() == kept);
    EXPECT_TRUE(CVyrIndexedMesh::SRevision() != kept) << "the default revision is no mesh's";
}

TEST(VyrIndexedMeshTest, FastAddersRefuseWhatDoesNotFit)
{
    CVyrIndexedMesh mesh(3, 2, 4);
    const CVyrPolygonVertex nodes[4] = {CVyrPolygonVertex(SPAposition(0, 0, 0), Up(), SPApar_pos(0, 0)),
                                        CVyrPolygonVertex(SPAposition(1, 0, 0), Up(), SPApar_pos(1, 0)),
                                        CVyrPolygonVertex(SPAposition(0, 1, 0), Up(), SPApar_pos(0, 1)),
                                        CVyrPolygonVertex(SPAposition(1, 1, 0), Up(), SPApar_pos(1, 1))};
    EXPECT_FALSE(mesh.FastAddVerticies(4, nodes));
    EXPECT_EQ(mesh.get_num_vertex(), 0);
    EXPECT_FALSE(mesh.FastAddVerticies(2, nullptr));
    EXPECT_TRUE(mesh.FastAddVerticies(3, nodes));
    const int corners[3] = {2, 1, 99};  // 99 is no node: node 0
    EXPECT_EQ(mesh.FastAddPolygon(0, 3, nullptr, -2, corners), 0);
    EXPECT_EQ(mesh.FastAddPolygon(1, 3, nullptr, -2, corners), -1);  // one corner slot left
    EXPECT_EQ(mesh.FastAddPolygon(5, 1, nullptr, -2, corners), -1);
    EXPECT_EQ(Triangles(mesh), (std::vector<Tri>{{2, 1, 0}}));
    double umin, umax, vmin, vmax;
    mesh.GetRange(umin, umax, vmin, vmax);
    EXPECT_EQ(umax, 1.0);
    EXPECT_EQ(vmax, 1.0);
}

TEST(VyrIndexedMeshTest, VertexColoursAnswerTheStoredIndex)
{
    CVyrIndexedMesh mesh = Nodes(3, 1, 3);
    unsigned char color = 77;
    EXPECT_FALSE(mesh.GetVertexColorIndex(0, color));  // no colours yet
    EXPECT_EQ(color, 77);
    mesh.SetVertexColorIndex(0, 5);  // nothing to store into
    const unsigned char colors[3] = {4, 5, 6};
    mesh.SetVertexColors(colors, true);
    EXPECT_TRUE(mesh.GetDisableLights());
    EXPECT_TRUE(mesh.GetVertexColorIndex(2, color));
    EXPECT_EQ(color, 6);
    mesh.SetVertexColorIndex(1, 9);
    mesh.SetVertexColorIndex(3, 9);  // beyond the capacity: ignored
    EXPECT_TRUE(mesh.GetVertexColorIndex(1, color));
    EXPECT_EQ(color, 9);
    EXPECT_FALSE(mesh.GetVertexColorIndex(3, color));
    EXPECT_FALSE(mesh.GetVertexColorIndex(-1, color));
    EXPECT_EQ(mesh.GetVertexColorIndex(mesh.get_vertex(2)), 6);
    CVyrIndexedMesh other = Nodes(1, 1, 1);
    EXPECT_EQ(mesh.GetVertexColorIndex(other.get_vertex(0)), 4);  // not ours: node 0's
    mesh.DeleteColors();
    EXPECT_FALSE(mesh.GetDisableLights());
    EXPECT_EQ(mesh.GetVertexColors(), nullptr);
    EXPECT_FALSE(mesh.GetVertexColorIndex(2, color));
}

namespace {

// One triangle in the plane z = 0 with the given corner normals.
CVyrIndexedMesh Triangle(const SPAunit_vector& n0, const SPAunit_vector& n1, const SPAunit_vector& n2)
{
    CVyrIndexedMesh mesh(3, 1, 3);
    mesh.add_vertex(SPAposition(0, 0, 0), n0, SPApar_pos());
    mesh.add_vertex(SPAposition(4, 0, 0), n1, SPApar_pos());
    mesh.add_vertex(SPAposition(0, 4, 0), n2, SPApar_pos());
    Polygon(mesh, {0, 1, 2}, -2);
    return mesh;
}

}  // namespace

TEST(VyrIndexedMeshTest, SilhouettesRunWhereTheSurfaceTurnsAwayFromTheViewer)
{
    const SPAtransf identity;
    const SPAposition eye(0, 0, 10), target(0, 0, 0);  // looking down -z
    CVyrIndexedMesh::SegmentList segments;

    // Plane and normals all facing the viewer: nothing.
    CVyrIndexedMesh facing = Triangle(Up(), Up(), Up());
    facing.ComputeSilhouette(identity, eye, target, segments);
    EXPECT_TRUE(segments.empty());

    // Corner 0 faces the viewer, corners 1 and 2 turn away by the same angle beyond the right
    // angle: the silhouette crosses edges (0,1) and (2,0) where the normal is at a right angle.
    const double a = 0.3;  // corner 0 is a radians off the view axis; the others a past the right angle
    const SPAunit_vector toward(std::sin(a), 0, std::cos(a));
    const SPAunit_vector away1(std::cos(a), 0, -std::sin(a));
    const SPAunit_vector away2(0, std::cos(a), -std::sin(a));
    CVyrIndexedMesh turning = Triangle(toward, away1, away2);
    turning.ComputeSilhouette(identity, eye, target, segments);
    ASSERT_EQ(segments.size(), 1u);
    // Corner 0 is (pi/2 - a) short of the right angle, corners 1 and 2 are a past it.
    const double t = (1.5707963267948966 - a) / 1.5707963267948966;
    EXPECT_TRUE(Same(segments[0].first, SPAposition(4 * t, 0, 0), 1e-4)) << segments[0].first.x();
    EXPECT_TRUE(Same(segments[0].second, SPAposition(0, 4 * t, 0), 1e-4)) << segments[0].second.y();

    // An apex off the mesh (beyond the face, as a frustum's) adds nothing; an apex that is one of
    // its nodes (the face reaches it) draws the outline on to it from the segment's nearer end.
    segments.clear();
    turning.SetApexPosition(new SPAposition(0, 0, 5));
    turning.ComputeSilhouette(identity, eye, target, segments);
    EXPECT_EQ(segments.size(), 1u);
    segments.clear();
    turning.SetApexPosition(new SPAposition(0, 0, 0));
    turning.ComputeSilhouette(identity, eye, target, segments);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(Same(segments[1].first, SPAposition(0, 0, 0)));

    // Three edge-on corners make edge segments that count only where two triangles share them.
    segments.clear();
    facing.ComputeSilhouette(identity, SPAposition(10, 0, 0), SPAposition(0, 0, 0), segments);
    EXPECT_TRUE(segments.empty());

    // A triangle whose plane is seen edge-on (its corners' normals are not) gives two of its edges.
    const SPAunit_vector tilted(std::sqrt(0.5), 0, std::sqrt(0.5));
    CVyrIndexedMesh slanted = Triangle(tilted, tilted, tilted);
    slanted.ComputeSilhouette(identity, eye, target, segments);
    EXPECT_TRUE(segments.empty());  // seen from above: plane and corners face one way
    slanted.ComputeSilhouette(identity, SPAposition(10, 0, 0), SPAposition(0, 0, 0), segments);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(Same(segments[0].first, SPAposition(0, 0, 0)));
    EXPECT_TRUE(Same(segments[1].second, SPAposition(0, 4, 0)));

    // The view transform brings the direction into the mesh's frame: after a quarter turn about
    // y the view from above runs along x, and the plane is seen edge-on.
    segments.clear();
    slanted.ComputeSilhouette(rotate_transf(1.5707963267948966, SPAvector(0, 1, 0)), eye, target, segments);
    EXPECT_EQ(segments.size(), 2u);
}

namespace {

// The silhouette as the plain per-triangle computation gives it, from the mesh's public face
// alone: every corner's angle to the viewing direction, every triangle's plane, every pair of
// edge-on edges compared. The mesh's own computation must give exactly these segments.
CVyrIndexedMesh::SegmentList PlainSilhouette(const CVyrIndexedMesh& mesh, const SPAposition& eye,
                                             const SPAposition& target)
{
    const double halfPi = 1.5707963267948966;
    auto facing = [](double angle) {
        if (angle > 1.5697963267948967 && angle < 1.5717963267948964) return 0;
        return angle < 1.5707963267948966 ? -1 : 1;
    };
    CVyrIndexedMesh::SegmentList segments;
    const SPAunit_vector d = normalise(normalise(target - eye) * SPAtransf().inverse());
    std::vector<std::pair<SPAposition, SPAposition>> edgeOn;
    for (int k = 0; k < mesh.get_num_polygon(); ++k) {
        const CVyrIndexedPolygon* polygon = mesh.get_polygon(k);
        if (polygon->num_vertex() != 3) continue;
        SPAposition p[3];
        double angle[3];
        int direction[3], zeros[3], zeroCount = 0;
        for (int i = 0; i < 3; ++i) {
            SPAunit_vector n;
            polygon->get_vertex(i)->GetPosition(p[i]);
            polygon->get_vertex(i)->GetNormal(n);
            angle[i] = angle_between(d, n);
            direction[i] = facing(angle[i]);
            if (direction[i] == 0) zeros[zeroCount++] = i;
        }
        if (zeroCount >= 2) {
            edgeOn.emplace_back(p[zeros[0]], p[zeros[1]]);
            if (zeroCount == 3) edgeOn.emplace_back(p[zeros[1]], p[zeros[2]]);
            continue;
        }
        const SPAunit_vector plane = normalise((p[0] - p[1]) * (p[0] - p[2]));
        if (!plane.is_zero(SPAresmch) && facing(angle_between(d, plane)) == 0) {
            segments.emplace_back(p[0], p[1]);
            segments.emplace_back(p[1], p[2]);
            continue;
        }
        if (direction[0] == direction[1] && direction[1] == direction[2]) continue;
        if (zeroCount == 1 && direction[(zeros[0] + 1) % 3] == direction[(zeros[0] + 2) % 3]) continue;
        std::vector<SPAposition> crossing;
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            if (direction[i] == direction[j]) continue;
            const double fi = std::fabs(angle[i] - halfPi), fj = std::fabs(angle[j] - halfPi);
            crossing.push_back(p[i] + (p[j] - p[i]) * (fi + fj > 0.0 ? fi / (fi + fj) : 0.5));
        }
        if (crossing.size() >= 2) segments.emplace_back(crossing[0], crossing[1]);
    }
    std::vector<bool> used(edgeOn.size(), false);
    auto same = [](const SPAposition& a, const SPAposition& b) { return same_point(a, b, SPAresabs); };
    for (size_t i = 0; i < edgeOn.size(); ++i)
        for (size_t j = i + 1; !used[i] && j < edgeOn.size(); ++j)
            if (!used[j] && ((same(edgeOn[i].first, edgeOn[j].first) && same(edgeOn[i].second, edgeOn[j].second)) ||
                             (same(edgeOn[i].first, edgeOn[j].second) && same(edgeOn[i].second, edgeOn[j].first)))) {
                segments.emplace_back(edgeOn[i].first, edgeOn[i].second);
                used[i] = used[j] = true;
            }
    return segments;  // no apex in these meshes
}

// A smooth tube of radius 2 about z from z = 0 to 3, `around` facets round and `along` rows up,
// two triangles per cell. The seam's nodes are doubled (as a faceter leaves them), so edge-on
// edges there pair up by position, not by node.
CVyrIndexedMesh Tube(int around, int along)
{
    const int columns = around + 1;
    CVyrIndexedMesh mesh(columns * (along + 1), 2 * around * along, 6 * around * along);
    for (int r = 0; r <= along; ++r)
        for (int c = 0; c < columns; ++c) {
            const double a = 2.0 * 3.141592653589793 * c / around;
            mesh.add_vertex(SPAposition(2 * std::cos(a), 2 * std::sin(a), 3.0 * r / along),
                            SPAunit_vector(std::cos(a), std::sin(a), 0), SPApar_pos(c, r));
        }
    for (int r = 0; r < along; ++r)
        for (int c = 0; c < around; ++c) {
            const int a = r * columns + c, b = a + 1, e = a + columns, f = e + 1;
            Polygon(mesh, {a, b, f}, -2);
            Polygon(mesh, {a, f, e}, -2);
        }
    return mesh;
}

// Ends of every segment compared exactly.
void ExpectSameSegments(const CVyrIndexedMesh::SegmentList& got, const CVyrIndexedMesh::SegmentList& expected,
                        const SPAvector& direction)
{
    ASSERT_EQ(got.size(), expected.size()) << direction.x() << " " << direction.y() << " " << direction.z();
    for (size_t i = 0; i < got.size(); ++i)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(got[i].first.coordinate(c), expected[i].first.coordinate(c)) << "segment " << i;
            EXPECT_EQ(got[i].second.coordinate(c), expected[i].second.coordinate(c)) << "segment " << i;
        }
}

}  // namespace

TEST(VyrIndexedMeshTest, SilhouettesOfATurningViewAreThoseOfThePlainComputationAndFollowTheMesh)
{
    CVyrIndexedMesh tube = Tube(24, 3);
    // Directions of a turning camera, views along and across the axis (whole rows of edge-on
    // edges), and views just inside and outside the edge-on band of 1e-3 radians.
    std::vector<SPAvector> directions = {SPAvector(0, 0, -1), SPAvector(-1, 0, 0), SPAvector(0, 1, 0),
                                         SPAvector(std::cos(0.0009), std::sin(0.0009), 0),
                                         SPAvector(std::cos(0.0011), std::sin(0.0011), 0),
                                         SPAvector(-1, 0.0105, 0.2), SPAvector(-1, 0.0095, 0.2)};
    for (int k = 0; k < 24; ++k)
        directions.emplace_back(std::cos(0.37 * k) * std::cos(0.11 * k), std::sin(0.37 * k), std::cos(0.5 * k));
    const SPAposition eye(20, 5, 7);
    std::vector<size_t> counts;
    for (const SPAvector& direction : directions) {
        CVyrIndexedMesh::SegmentList segments;
        tube.ComputeSilhouette(SPAtransf(), eye, eye + direction, segments);
        const CVyrIndexedMesh::SegmentList expected = PlainSilhouette(tube, eye, eye + direction);
        ExpectSameSegments(segments, expected, direction);
        counts.push_back(expected.size());
    }
    // The views reach every case: along the axis every facet is edge-on; just inside the band
    // two columns of edges pair up, just outside it each row is crossed on both sides instead.
    EXPECT_GE(counts[0], 24u);
    EXPECT_GT(counts[3], 0u);
    EXPECT_GT(counts[4], counts[3]);
    EXPECT_GT(counts.back(), 0u);

    // What the mesh keeps follows its changes: turned inside out, a corner moved, a node added.
    const SPAvector oblique(-1, 0.3, 0.2);
    tube.reverse();
    CVyrIndexedMesh::SegmentList segments;
    tube.ComputeSilhouette(SPAtransf(), eye, eye + oblique, segments);
    ExpectSameSegments(segments, PlainSilhouette(tube, eye, eye + oblique), oblique);
    const CVyrIndexedMesh::SegmentList before = segments;
    CVyrPolygonVertex* node = tube.get_vertex_for_edit(30);
    SPAunit_vector normal;
    node->GetNormal(normal);
    node->set_data(SPAposition(9, 9, 9), normal, SPApar_pos());
    segments.clear();
    tube.ComputeSilhouette(SPAtransf(), eye, eye + oblique, segments);
    ExpectSameSegments(segments, PlainSilhouette(tube, eye, eye + oblique), oblique);
    bool moved = false;
    for (size_t i = 0; i < segments.size() && i < before.size(); ++i)
        moved = moved || !Same(segments[i].first, before[i].first) || !Same(segments[i].second, before[i].second);
    EXPECT_TRUE(moved || segments.size() != before.size());
    ASSERT_EQ(tube.set_poly_vertex(5, 0, tube.get_vertex_for_edit(40)), 5);
    segments.clear();
    tube.ComputeSilhouette(SPAtransf(), eye, eye + oblique, segments);
    ExpectSameSegments(segments, PlainSilhouette(tube, eye, eye + oblique), oblique);
}

// The side of each end of a tube's outline: at right angles to the line of sight, away from the
// axis (where the tube does not lie in the picture), whichever way its normals point; ends that
// segments share get one answer; the segments are those computed without sides.
TEST(VyrIndexedMeshTest, EachEndOfAnOutlineLeavesItsFaceAwayFromTheCentreOfCurvature)
{
    CVyrIndexedMesh tube = Tube(24, 3);
    const SPAposition eye(20, 5, 7);
    // Across the axis through nodes (edge-on edges), between them, and obliquely.
    for (const SPAvector& direction : {SPAvector(-1, 0, 0), SPAvector(-1, 0.13, 0), SPAvector(-1, 0.3, 0.2)}) {
        for (int turned = 0; turned < 2; ++turned) {
            CVyrIndexedMesh::SegmentList plain, segments;
            std::vector<CVyrIndexedMesh::SSilhouetteSide> sides;
            tube.ComputeSilhouette(SPAtransf(), eye, eye + direction, plain);
            tube.ComputeSilhouette(SPAtransf(), eye, eye + direction, segments, &sides);
            ExpectSameSegments(segments, plain, direction);
            ASSERT_EQ(sides.size(), segments.size());
            ASSERT_FALSE(sides.empty());
            const SPAunit_vector d = normalise(direction);
            // Per end position: the answer it got first.
            std::vector<std::pair<SPAposition, std::pair<SPAunit_vector, double>>> seen;
            for (size_t i = 0; i < segments.size(); ++i)
                for (int e = 0; e < 2; ++e) {
                    const CGmPosition& end = e == 0 ? segments[i].first : segments[i].second;
                    const SPAposition at(end.x(), end.y(), end.z());
                    const SPAunit_vector& away = sides[i].away[e];
                    ASSERT_FALSE(away.is_zero(0.5)) << i;
                    EXPECT_NEAR(away % d, 0.0, 1e-9) << i;
                    EXPECT_GT(away % SPAvector(at.x(), at.y(), 0), 1.9) << "segment " << i << ", turned " << turned;
                    EXPECT_GE(sides[i].reach[e], 0.0);
                    EXPECT_LT(sides[i].reach[e], 0.1);  // the sag of 24 facets round radius 2 is 0.017
                    for (const auto& other : seen)
                        if ((other.first - at).len() < 1e-9) {
                            EXPECT_LT((other.second.first - away).len(), 1e-9) << i;
                            EXPECT_NEAR(other.second.second, sides[i].reach[e], 1e-9) << i;
                        }
                    seen.push_back({at, {away, sides[i].reach[e]}});
                }
            // Turned inside out, as the mesh of a hole: the same segments leave on the same sides.
            tube.reverse();
        }
    }
}

TEST(VyrIndexedMeshTest, TwoThreadsAskingOneMeshForSilhouettesGetTheAnswersOfOne)
{
    // The answers of one thread, from a mesh of its own.
    const CVyrIndexedMesh tube = Tube(40, 12);
    std::vector<SPAvector> directions;
    for (int k = 0; k < 6; ++k) directions.emplace_back(std::cos(0.9 * k), std::sin(0.9 * k), 0.3 * (k - 2));
    const SPAposition eye(20, 5, 7);
    std::vector<CVyrIndexedMesh::SegmentList> expected(directions.size());
    {
        const CVyrIndexedMesh alone(tube);
        for (size_t i = 0; i < directions.size(); ++i)
            alone.ComputeSilhouette(SPAtransf(), eye, eye + directions[i], expected[i]);
    }
    for (const auto& segments : expected) ASSERT_FALSE(segments.empty());

    // Each round a fresh mesh (nothing kept yet), asked by two threads at once, each starting at
    // another direction, so that they meet both on the mesh's first answer and later.
    std::atomic<int> wrong{0};
    for (int round = 0; round < 60; ++round) {
        const CVyrIndexedMesh shared(tube);
        std::atomic<int> ready{0};
        auto ask = [&](size_t start) {
            ready.fetch_add(1);
            while (ready.load() < 2) std::this_thread::yield();
            CVyrIndexedMesh::SegmentList segments;
            for (size_t n = 0; n < 3 * directions.size(); ++n) {
                const size_t i = (start + n) % directions.size();
                segments.clear();
                shared.ComputeSilhouette(SPAtransf(), eye, eye + directions[i], segments);
                bool same = segments.size() == expected[i].size();
                for (size_t k = 0; same && k < segments.size(); ++k)
                    for (int c = 0; c < 3; ++c)
                        same = same && segments[k].first.coordinate(c) == expected[i][k].first.coordinate(c) &&
                               segments[k].second.coordinate(c) == expected[i][k].second.coordinate(c);
                if (!same) wrong.fetch_add(1);
            }
        };
        std::thread first(ask, size_t(0)), second(ask, directions.size() / 2);
        first.join();
        second.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

using VyrIndexedMeshOffsetTest = vyrtest::MeshingTest;

TEST_F(VyrIndexedMeshOffsetTest, HiddenLineOffsetsMoveASegmentByTwiceTheSurfaceTolerance)
{
    CVyrRefinement fine;
    fine.SetSurfaceTol(0.25);
    CVyrRefinement::StSetCurrentRefinement(&fine);
    SPAposition a(0, 0, 0), b(1, 0, 0);
    // (a - b) x y = -z, turned towards +z.
    CVyrIndexedMesh::OffsetSegmentToPreventFhlAtrifacts(a, b, SPAunit_vector(0, 1, 0), SPAunit_vector(0, 0, 1));
    EXPECT_TRUE(Same(a, SPAposition(0, 0, 0.5)));
    EXPECT_TRUE(Same(b, SPAposition(1, 0, 0.5)));
    CVyrIndexedMesh::OffsetSegmentToPreventFhlAtrifacts(a, b, SPAunit_vector(0, 1, 0), SPAunit_vector(0, 0, -1));
    EXPECT_TRUE(Same(a, SPAposition(0, 0, 0)));
}
