// The geometry computer on meshes and edges: point in an indexed polygon of any size, the plane of
// a polygon, ray hits on indexed meshes and on a body's mesh interface, and the approximation of
// an edge's curve into a polyline.
#include "DsGeometryComputer.h"
#include "DsGlSketch.h"
#include "DsManager.h"
#include "DsPolyline.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "EntityDeleter.h"
#include "EntityLists.h"
#include "SpaBuilders.h"
#include "SpaGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

CDsGeometryComputer& Computer()
{
    return *CDsGeometryComputer::GetInstance();
}

// A mesh of one polygon through `corners` (in order).
std::unique_ptr<CVyrIndexedMesh> PolygonMesh(const std::vector<SPAposition>& corners)
{
    const int n = static_cast<int>(corners.size());
    auto mesh = std::make_unique<CVyrIndexedMesh>(n, 1, n);
    std::vector<int> indices;
    for (int i = 0; i < n; ++i) {
        mesh->add_vertex(corners[i], SPAunit_vector(0, 0, 1), SPApar_pos());
        indices.push_back(i);
    }
    mesh->FastAddPolygon(0, n, nullptr, -2, indices.data());
    return mesh;
}

// A six-pointed star of 12 corners about the origin in the plane `axis` = 0 (outer corners at
// even indices, radius 2; inner corners at odd ones, radius 0.8), as (u, v) of the other axes.
std::vector<SPAposition> Star(int axis)
{
    std::vector<SPAposition> corners;
    for (int i = 0; i < 12; ++i) {
        const double r = i % 2 == 0 ? 2.0 : 0.8;
        const double a = i * kPi / 6.0;
        const double u = r * std::cos(a), v = r * std::sin(a);
        SPAposition p;
        p.set_coordinate((axis + 1) % 3, u);
        p.set_coordinate((axis + 2) % 3, v);
        corners.push_back(p);
    }
    return corners;
}

// A point in the plane `axis` = 0 at polar (r, angle).
CGmPosition Polar(int axis, double r, double angle)
{
    CGmPosition p;
    p.set_coordinate((axis + 1) % 3, r * std::cos(angle));
    p.set_coordinate((axis + 2) % 3, r * std::sin(angle));
    return p;
}

// All triangles of a body's faces in one indexed mesh.
std::unique_ptr<CVyrIndexedMesh> Merged(const CVyrMeshInterface& meshes)
{
    std::vector<CVyrIndexedMesh*> parts;
    meshes.GetAllMeshes(parts);
    int nodes = 0, polygons = 0;
    for (const CVyrIndexedMesh* part : parts) {
        nodes += part->get_num_vertex();
        polygons += part->get_num_polygon();
    }
    auto merged = std::make_unique<CVyrIndexedMesh>(nodes, polygons, 3 * polygons);
    int offset = 0, index = 0;
    for (const CVyrIndexedMesh* part : parts) {
        std::vector<CVyrPolygonVertex> copy;
        for (int i = 0; i < part->get_num_vertex(); ++i) copy.push_back(*part->get_vertex(i));
        merged->FastAddVerticies(static_cast<int>(copy.size()), copy.data());
        std::vector<int> triangles;
        part->GenerateTrianglesList(triangles);
        for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
            const int corners[3] = {offset + triangles[t], offset + triangles[t + 1], offset + triangles[t + 2]};
            merged->FastAddPolygon(index++, 3, nullptr, -2, corners);
        }
        offset += part->get_num_vertex();
    }
    return merged;
}

bool Same(const SPAposition& a, const SPAposition& b)
{
    return (a - b).len() < 1e-5;
}

}  // namespace

TEST(DsGeometryComputerMeshTest, AConcaveTwelveCornerPolygonIsTestedWithAllItsCorners)
{
    for (int axis = 0; axis < 3; ++axis) {
        SPAunit_vector normal;
        normal.set_component(axis, axis == 1 ? -1.0 : 1.0);  // the sign does not matter
        const auto mesh = PolygonMesh(Star(axis));
        const CVyrIndexedPolygon* star = mesh->get_polygon(0);
        ASSERT_EQ(star->num_vertex(), 12);
        EXPECT_TRUE(Computer().CheckIfPointIsInsidePolygon(Polar(axis, 0.0, 0.0), star, normal));
        for (int spike = 0; spike < 6; ++spike) {
            const double a = spike * kPi / 3.0;
            // Inside each spike, including the last one (corners 9, 10, 11).
            EXPECT_TRUE(Computer().CheckIfPointIsInsidePolygon(Polar(axis, 1.5, a), star, normal))
                << "axis " << axis << " spike " << spike;
            // In the notch between two spikes.
            EXPECT_FALSE(Computer().CheckIfPointIsInsidePolygon(Polar(axis, 1.5, a + kPi / 6.0), star, normal))
                << "axis " << axis << " notch " << spike;
        }
        EXPECT_TRUE(Computer().CheckIfPointIsInsidePolygon(Polar(axis, 2.0, 0.0), star, normal));  // a corner
        EXPECT_FALSE(Computer().CheckIfPointIsInsidePolygon(Polar(axis, 2.5, 0.0), star, normal));
    }
    EXPECT_FALSE(Computer().CheckIfPointIsInsidePolygon(CGmPosition(), nullptr, SPAunit_vector(0, 0, 1)));
}

TEST(DsGeometryComputerMeshTest, ThePlaneOfAPolygonComesFromItsFirstThreeCorners)
{
    const auto triangle = PolygonMesh({SPAposition(1, 0, 0), SPAposition(0, 0, 0), SPAposition(0, 1, 0)});
    CGmPosition point(9, 9, 9);
    SPAunit_vector normal;
    ASSERT_TRUE(Computer().CalculatePlaneFromPolygon(triangle->get_polygon(0), point, normal));
    EXPECT_TRUE(Same(point, SPAposition(0, 0, 0)));
    EXPECT_NEAR(normal.z(), 1.0, 1e-12);  // (a - b) x (c - b) = x cross y

    const auto segment = PolygonMesh({SPAposition(1, 0, 0), SPAposition(0, 0, 0)});
    EXPECT_FALSE(Computer().CalculatePlaneFromPolygon(segment->get_polygon(0), point, normal));
    const auto line = PolygonMesh({SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(2, 0, 0)});
    EXPECT_FALSE(Computer().CalculatePlaneFromPolygon(line->get_polygon(0), point, normal));
    EXPECT_FALSE(Computer().CalculatePlaneFromPolygon(nullptr, point, normal));
    EXPECT_TRUE(Same(point, SPAposition(0, 0, 0)));  // failures leave the answer alone
}

TEST(DsGeometryComputerMeshTest, TheMeshRayTestHitsTheNearestPolygonOfABlock)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 4, 2, 1));
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), true));
    ASSERT_TRUE(meshes);
    const auto mesh = Merged(*meshes);
    ASSERT_EQ(mesh->get_num_polygon(), 12);

    CGmPosition hit;
    double t = 0.0;
    ASSERT_TRUE(Computer().CalculateRayIntersectionWithIndexedMesh(mesh.get(), SPAposition(1, 0.5, 10),
                                                                   SPAunit_vector(0, 0, -1), hit, t));
    EXPECT_TRUE(Same(hit, SPAposition(1, 0.5, 1)));  // the top, not the bottom
    EXPECT_NEAR(t, 9.0, 1e-9);
    ASSERT_TRUE(Computer().CalculateRayIntersectionWithIndexedMesh(mesh.get(), SPAposition(10, 1.5, 0.25),
                                                                   SPAunit_vector(-1, 0, 0), hit, t));
    EXPECT_TRUE(Same(hit, SPAposition(4, 1.5, 0.25)));
    EXPECT_NEAR(t, 6.0, 1e-9);
    // The nearest along the whole line: a point below the block finds the bottom behind it.
    ASSERT_TRUE(Computer().CalculateRayIntersectionWithIndexedMesh(mesh.get(), SPAposition(3, 1, -2),
                                                                   SPAunit_vector(0, 0, -1), hit, t));
    EXPECT_TRUE(Same(hit, SPAposition(3, 1, 0)));
    EXPECT_NEAR(t, -2.0, 1e-9);
    hit = CGmPosition(7, 7, 7);
    EXPECT_FALSE(Computer().CalculateRayIntersectionWithIndexedMesh(mesh.get(), SPAposition(10, 10, 10),
                                                                    SPAunit_vector(0, 0, -1), hit, t));
    EXPECT_TRUE(Same(hit, SPAposition(7, 7, 7)));
    EXPECT_FALSE(Computer().CalculateRayIntersectionWithIndexedMesh(nullptr, SPAposition(), SPAunit_vector(0, 0, 1),
                                                                    hit, t));
}

TEST(DsGeometryComputerMeshTest, AllHitsComeSortedOncePerPointFromTheMeshesOfAnInterface)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 4, 2, 1));
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), true));
    const auto mesh = Merged(*meshes);

    // Through the middle of the top and bottom faces, where each face's two triangles meet.
    std::vector<std::pair<double, CGmPosition>> hits;
    ASSERT_TRUE(Computer().CalculateRayIntersectionWithIndexedMesh(mesh.get(), SPAposition(2, 1, 5),
                                                                   SPAunit_vector(0, 0, -1), hits));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_NEAR(hits[0].first, 4.0, 1e-9);
    EXPECT_NEAR(hits[1].first, 5.0, 1e-9);
    EXPECT_TRUE(Same(hits[1].second, SPAposition(2, 1, 0)));

    // Over the interface: every face's mesh, or the listed faces only.
    hits.clear();
    const std::vector<int> all;
    ASSERT_TRUE(Computer().CalculateRayIntersection(meshes.get(), SPAposition(2, 1, 5), SPAunit_vector(0, 0, -1),
                                                    hits, all));
    EXPECT_EQ(hits.size(), 2u);
    int top = 0;
    for (FACE* face : vyrtest::Faces(block.get()))
        if (meshes->GetMeshEntry(face)->GetMesh()->get_box().low().z() > 0.5)
            top = meshes->GetMeshEntry(face)->GetPid();
    ASSERT_GT(top, 0);
    hits.clear();
    ASSERT_TRUE(Computer().CalculateRayIntersection(meshes.get(), SPAposition(2, 1, 5), SPAunit_vector(0, 0, -1),
                                                    hits, {top}));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].first, 4.0, 1e-9);
    hits.clear();
    EXPECT_FALSE(Computer().CalculateRayIntersection(meshes.get(), SPAposition(2, 1, 5), SPAunit_vector(1, 0, 0),
                                                     hits, {top}));  // parallel to the top
    EXPECT_FALSE(Computer().CalculateRayIntersection(nullptr, SPAposition(), SPAunit_vector(0, 0, 1), hits, all));

    // Meshes switched off: nothing to hit.
    const bool flag = CDsManager::GetInstance()->GetFlag(1);
    CDsManager::GetInstance()->SetFlag(1, true);
    EXPECT_FALSE(Computer().CalculateRayIntersection(meshes.get(), SPAposition(2, 1, 5), SPAunit_vector(0, 0, -1),
                                                     hits, all));
    CDsManager::GetInstance()->SetFlag(1, flag);
    EXPECT_TRUE(hits.empty());
}

namespace {

// Makes a refinement of the given curve tolerance the current one for the test's life.
class CurveToleranceScope {
public:
    explicit CurveToleranceScope(double tol) : previous_(CVyrRefinement::sCurrentRefinement)
    {
        refinement_.SetCurveTol(tol);
        CVyrRefinement::StSetCurrentRefinement(&refinement_);
    }
    ~CurveToleranceScope() { CVyrRefinement::StSetCurrentRefinement(previous_); }
    CurveToleranceScope(const CurveToleranceScope&) = delete;
    CurveToleranceScope& operator=(const CurveToleranceScope&) = delete;

private:
    CVyrRefinement refinement_;
    CVyrRefinement* previous_;
};

}  // namespace

TEST(DsGeometryComputerMeshTest, ApproximatingACircularEdgeAppendsItsPointsToAPolyline)
{
    // A circle of radius 5 about (1, 2, 3) in a plane parallel to xy, from (6, 2, 3) round.
    const SPAposition centre(1, 2, 3);
    const ellipse circle(centre, SPAunit_vector(0, 0, 1), SPAvector(5, 0, 0), 1.0, 0.0);
    vyrtest::EntityPtr owned(new EDGE(circle, SPAinterval(0.0, 2 * kPi)));
    EDGE* edge = static_cast<EDGE*>(owned.get());
    CurveToleranceScope tolerance(0.01);

    CDsPolyline polyline;
    polyline.Add(SPAposition(-100, -100, -100));  // what was there stays first
    ASSERT_TRUE(Computer().Aproximate(edge, 0.0, 2 * kPi, nullptr, polyline));
    const int n = polyline.Count() - 1;
    EXPECT_GE(n, 50) << "a sagitta of 0.01 on a radius of 5 takes at least 50 chords a turn";
    EXPECT_LT(n, 1024);
    EXPECT_LT((polyline.Get(0) - SPAposition(-100, -100, -100)).len(), 1e-12);
    EXPECT_LT((polyline.Get(1) - SPAposition(6, 2, 3)).len(), 1e-9);
    EXPECT_LT((polyline.Get(n) - SPAposition(6, 2, 3)).len(), 1e-9);
    for (int i = 1; i <= n; ++i) EXPECT_NEAR((polyline.Get(i) - centre).len(), 5.0, 1e-9) << i;
    for (int i = 1; i < n; ++i) {
        const SPAposition middle = polyline.Get(i) + (polyline.Get(i + 1) - polyline.Get(i)) * 0.5;
        EXPECT_LE(5.0 - (middle - centre).len(), 0.01 + 1e-9) << "chord " << i;
    }

    // Half of it, moved by a transform.
    CDsPolyline half;
    const SPAtransf moved = translate_transf(SPAvector(10, 0, 0));
    ASSERT_TRUE(Computer().Aproximate(edge, 0.0, kPi, &moved, half));
    ASSERT_GE(half.Count(), 2);
    EXPECT_LT((half.Get(0) - SPAposition(16, 2, 3)).len(), 1e-9);
    EXPECT_LT((half.Get(half.Count() - 1) - SPAposition(6, 2, 3)).len(), 1e-9);

    // In passes: a tolerance that needs the faceter's whole 1,024 points ends at the end of the
    // range and takes no further pass.
    CurveToleranceScope fine(1e-9);
    CDsPolyline passes;
    ASSERT_TRUE(Computer().Aproximate_Drft(edge, 0.0, kPi, nullptr, passes));
    EXPECT_EQ(passes.Count(), 1024);
    EXPECT_LT((passes.Get(1023) - SPAposition(-4, 2, 3)).len(), 1e-9);
}

TEST(DsGeometryComputerMeshTest, ApproximatingNoEdgeOrWithABadToleranceAppendsNothing)
{
    const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(5, 0, 0), 1.0, 0.0);
    vyrtest::EntityPtr owned(new EDGE(circle, SPAinterval(0.0, 2 * kPi)));
    EDGE* edge = static_cast<EDGE*>(owned.get());
    CDsPolyline polyline;
    polyline.Add(SPAposition(1, 1, 1));
    EXPECT_FALSE(Computer().Aproximate(nullptr, 0.0, 1.0, nullptr, polyline));
    EXPECT_FALSE(Computer().Aproximate_Drft(nullptr, 0.0, 1.0, nullptr, polyline));
    {
        CurveToleranceScope zero(0.0);
        EXPECT_FALSE(Computer().Aproximate(edge, 0.0, kPi, nullptr, polyline));
        EXPECT_FALSE(Computer().Aproximate_Drft(edge, 0.0, kPi, nullptr, polyline));
    }
    {
        CurveToleranceScope absurd(std::nan(""));
        EXPECT_FALSE(Computer().Aproximate(edge, 0.0, kPi, nullptr, polyline));
    }
    CurveToleranceScope fine(0.01);
    EXPECT_FALSE(Computer().Aproximate(edge, 0.0, std::nan(""), nullptr, polyline));
    EXPECT_EQ(polyline.Count(), 1);
}
