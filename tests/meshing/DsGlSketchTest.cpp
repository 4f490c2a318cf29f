// The body sketch: bodies into mesh interfaces, edges and curve entities into polylines (straight,
// circular, free-form, dynamic ellipses), edges of placed bodies, single faces and edges, and bad
// input.
#include "DsEllipseStorage.h"
#include "DsItemPolyline3D.h"
#include "DsGlSketch.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include "EntityLists.h"
#include "MeshingFixture.h"
#include "SpaGeometry.h"
#include "SpaOptions.h"
#include "SpaTopology.h"
#include "rendering_context.h"
#include "view3d.h"

#include <cmath>
#include <memory>
#include <vector>

using DsGlSketchTest = vyrtest::MeshingTest;

namespace {

const double kPi = 3.14159265358979323846;

int PointCount(const CVyrMeshInterface& meshes, EDGE* edge)
{
    const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = meshes.GetPolylineEntry(edge);
    if (!entry) return -1;
    const float* points = nullptr;
    return entry->GetPoints(points);
}

bool Same(const SPAposition& a, const SPAposition& b, double tol = 1e-5)
{
    return (a - b).len() < tol;
}

}  // namespace

TEST_F(DsGlSketchTest, ABlockGetsSixMeshesOfTwoTrianglesAndTwelveTwoPointPolylines)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 4, 2, 1));
    CDsGlSketch sketch(nullptr);
    for (bool fast : {true, false}) {
        std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), fast));
        ASSERT_TRUE(meshes);
        EXPECT_EQ(meshes->GetMeshesCount(), 6);
        EXPECT_EQ(meshes->GetPolylinesCount(), 12);
        for (FACE* face : vyrtest::Faces(block.get())) {
            const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes->GetMeshEntry(face);
            ASSERT_TRUE(entry);
            ASSERT_NE(entry->GetMesh(), nullptr);
            EXPECT_EQ(entry->GetMesh()->get_num_polygon(), 2);
            EXPECT_EQ(entry->GetMesh()->GetPlanarFlag(), 1);
            EXPECT_EQ(entry->GetFace(), face);
        }
        for (EDGE* edge : vyrtest::Edges(block.get())) {
            EXPECT_EQ(PointCount(*meshes, edge), 2);
            const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = meshes->GetPolylineEntry(edge);
            const SPAposition middle = edge->start_pos() + 0.5 * (edge->end_pos() - edge->start_pos());
            EXPECT_TRUE(Same(entry->GetMiddlePoint(), middle));
            EXPECT_EQ(entry->GetEdge(), edge);
        }
        EXPECT_EQ(meshes->GetBody(), block.get());
        const SPAbox box = meshes->GetBox(SPAtransf());
        EXPECT_TRUE(Same(box.high(), SPAposition(4, 2, 1)));
        EXPECT_TRUE(CDsManager::GetInstance()->HasMeshInterface(meshes.get()));
    }
    EXPECT_EQ(api_bb_depth(), 0);
    EXPECT_EQ(find_option("backup_boxes")->count(), 1);  // popped again
}

TEST_F(DsGlSketchTest, OnlyABodyMakesAMeshInterface)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CDsGlSketch sketch(nullptr);
    EXPECT_EQ(sketch.BuildBody(nullptr, true), nullptr);
    EXPECT_EQ(sketch.BuildBody(vyrtest::Faces(block.get())[0], true), nullptr);
    EXPECT_EQ(sketch.BuildBody(vyrtest::Edges(block.get())[0], false), nullptr);
    // Single faces and edges into an existing interface; null interfaces and entities are no-ops.
    CVyrMeshInterface meshes;
    sketch.BuildFace(vyrtest::Faces(block.get())[1], &meshes, true);
    sketch.BuildFace(vyrtest::Faces(block.get())[2], &meshes, false);
    sketch.BuildEdgeFast(vyrtest::Edges(block.get())[3], &meshes);
    sketch.BuildEdge(vyrtest::Edges(block.get())[4], &meshes, false);
    EXPECT_EQ(meshes.GetMeshesCount(), 2);
    EXPECT_EQ(meshes.GetPolylinesCount(), 2);
    sketch.BuildFace(nullptr, &meshes, true);
    sketch.BuildFace(vyrtest::Faces(block.get())[3], nullptr, false);
    sketch.BuildEdgeFast(nullptr, &meshes);
    sketch.BuildEdges(nullptr, &meshes, true);
    sketch.BuildFaces(nullptr, &meshes, true);
    EXPECT_EQ(meshes.GetMeshesCount(), 2);
    EXPECT_EQ(meshes.GetPolylinesCount(), 2);
}

TEST_F(DsGlSketchTest, ACylinderOfAtMostOnePixelGetsTwelveSegmentsPerTurn)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    ASSERT_EQ(All_Views().count(), 0);
    EXPECT_DOUBLE_EQ(DsGetViewPixelSize(), 100.0 / 300.0);
    CDsGlSketch sketch(nullptr);
    for (double radius : {0.3, 100.0 / 300.0}) {
        vyrtest::BodyPtr thin(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), radius, 5.0));
        std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(thin.get(), true));
        int circles = 0;
        for (EDGE* edge : vyrtest::Edges(thin.get())) {
            if (edge->geometry()->equation().type() != ellipse_type) continue;
            ++circles;
            EXPECT_EQ(PointCount(*meshes, edge), 13) << radius;
        }
        EXPECT_EQ(circles, 2);
    }
    // Wider: more segments, each chord within a pixel of the circle.
    vyrtest::BodyPtr wide(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 20.0, 5.0));
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(wide.get(), true));
    for (EDGE* edge : vyrtest::Edges(wide.get())) {
        if (edge->geometry()->equation().type() != ellipse_type) continue;
        const int n = PointCount(*meshes, edge) - 1;
        EXPECT_GT(n, 12);
        EXPECT_LE(20.0 * (1.0 - std::cos(kPi / n)), 100.0 / 300.0 + 1e-9);
    }
}

TEST_F(DsGlSketchTest, ArcsClosedEdgesAndTinyCoordinates)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    CDsGlSketch sketch(nullptr);
    const ellipse small(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(0.2, 0, 0), 1.0, 0.0);
    EXPECT_EQ(sketch.GetEllipseSegmentsCount(small, 0.0, kPi), 6);       // half a turn at 12
    EXPECT_EQ(sketch.GetEllipseSegmentsCount(small, 0.0, 2 * kPi), 12);
    EXPECT_EQ(sketch.GetEllipseSegmentsCount(small, 1.0, 1.0), 0);
    EXPECT_EQ(sketch.GetEllipseSegmentsCount(small, 0.0, std::nan("")), 0);
    const ellipse huge(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(1e12, 0, 0), 1.0, 0.0);
    EXPECT_GT(sketch.GetEllipseSegmentsCount(huge, 0.0, 2 * kPi), 1023);

    // Through an edge: a half circle gives 7 points, a closed circle whose range is empty a whole
    // turn whose last point is its first, and a huge one at most 1,024 points.
    CDmRefCountPtrTempl<CVyrPolylineEntry> half(new CVyrPolylineEntry());
    EDGE* halfEdge = new EDGE(small, SPAinterval(0.0, kPi));
    vyrtest::EntityPtr ownHalf(halfEdge);
    sketch.SketchEdge(halfEdge, half);
    const float* points = nullptr;
    EXPECT_EQ(half->GetPoints(points), 7);

    CDmRefCountPtrTempl<CVyrPolylineEntry> whole(new CVyrPolylineEntry());
    sketch.SketchEdge(halfEdge, CDmRefCountPtrTempl<CVyrPolylineEntry>());  // nothing to fill: nothing happens
    sketch.SketchEdge(nullptr, whole);
    EXPECT_EQ(whole->GetPoints(points), 0);
    CDmRefCountPtrTempl<CVyrPolylineEntry> bigArc(new CVyrPolylineEntry());
    vyrtest::EntityPtr hugeEdge(new EDGE(huge, SPAinterval(0.0, kPi)));
    sketch.SketchEdge(static_cast<EDGE*>(hugeEdge.get()), bigArc);
    EXPECT_EQ(bigArc->GetPoints(points), 1024);
    EXPECT_EQ(sketch.SketchCurveParam(small, 0.0, 0.0), 0);  // no entry held: nothing

    // A coordinate of 1e-40 is kept as 0.
    CDmRefCountPtrTempl<CVyrPolylineEntry> tiny(new CVyrPolylineEntry());
    const straight line(SPAposition(1e-40, 2, -1e-39), SPAunit_vector(0, 1, 0));
    vyrtest::EntityPtr lineEdge(new EDGE(line, SPAinterval(0.0, 3.0)));
    sketch.SketchEdge(static_cast<EDGE*>(lineEdge.get()), tiny);
    ASSERT_EQ(tiny->GetPoints(points), 2);
    EXPECT_EQ(points[0], 0.0f);
    EXPECT_EQ(points[2], 0.0f);
    EXPECT_EQ(points[4], 5.0f);
}

TEST_F(DsGlSketchTest, AClosedCurveWithAnEmptyRangeIsSketchedOverOnePeriod)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    CDsGlSketch sketch(nullptr);
    const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(0.25, 0, 0), 1.0, 0.0);
    CDmRefCountPtrTempl<CVyrPolylineEntry> entry(new CVyrPolylineEntry());
    vyrtest::EntityPtr edge(new EDGE(circle, SPAinterval(1.0, 1.0)));  // t0 = t1
    sketch.SketchEdge(static_cast<EDGE*>(edge.get()), entry);
    const float* points = nullptr;
    ASSERT_EQ(entry->GetPoints(points), 13);
    EXPECT_NEAR(points[0], points[36], 1e-6);
    EXPECT_NEAR(points[1], points[37], 1e-6);

    // A straight with an empty range has no period: no points.
    const straight line(SPAposition(0, 0, 0), SPAunit_vector(1, 0, 0));
    EXPECT_EQ(sketch.SketchCurveParam(line, 2.0, 2.0), 0);
}

TEST_F(DsGlSketchTest, ACurveEntityIsSketchedOverItsEdgesRangeOrItsOwnAndAnUnboundedOneNotAtAll)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    CDsGlSketch sketch(nullptr);
    const float* points = nullptr;
    const ellipse small(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(0.2, 0, 0), 1.0, 0.0);

    // A curve of its own: the whole circle at 12 segments, closed on its first point.
    vyrtest::EntityPtr loose(new CURVE(small));
    CDmRefCountPtrTempl<CVyrPolylineEntry> whole(new CVyrPolylineEntry());
    sketch.SketchCurve(static_cast<CURVE*>(loose.get()), whole);
    ASSERT_EQ(whole->GetPoints(points), 13);
    EXPECT_NEAR(points[0], 0.2f, 1e-6);
    EXPECT_NEAR(points[36], points[0], 1e-6);
    EXPECT_NEAR(points[37], points[1], 1e-6);

    // The curve of a half-circle edge: over the edge's range, as the edge itself.
    vyrtest::EntityPtr halfEdge(new EDGE(small, SPAinterval(0.0, kPi)));
    CDmRefCountPtrTempl<CVyrPolylineEntry> half(new CVyrPolylineEntry());
    sketch.SketchCurve(static_cast<EDGE*>(halfEdge.get())->geometry(), half);
    ASSERT_EQ(half->GetPoints(points), 7);
    EXPECT_NEAR(points[18], -0.2f, 1e-6);  // ends at the half turn

    // An unbounded straight line gives no points; nothing without a curve or without an entry.
    vyrtest::EntityPtr line(new CURVE(straight(SPAposition(0, 0, 0), SPAunit_vector(1, 0, 0))));
    CDmRefCountPtrTempl<CVyrPolylineEntry> none(new CVyrPolylineEntry());
    sketch.SketchCurve(static_cast<CURVE*>(line.get()), none);
    EXPECT_EQ(none->GetPoints(points), 0);
    sketch.SketchCurve(nullptr, none);
    EXPECT_EQ(none->GetPoints(points), 0);
    EXPECT_EQ(sketch.SketchCurve(static_cast<CURVE*>(loose.get())), 0);  // no entry held
    EXPECT_EQ(sketch.SketchEntityGeometry(loose.get()), 0);
}

TEST_F(DsGlSketchTest, TheEdgesOfAPlacedBodyKeepTheirPointsInTheBodysOwnCoordinates)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 4, 2, 1));
    block->set_transform(new TRANSFORM(translate_transf(SPAvector(100, 0, 0))));
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), true));
    ASSERT_TRUE(meshes);
    for (EDGE* edge : vyrtest::Edges(block.get())) {
        const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = meshes->GetPolylineEntry(edge);
        ASSERT_TRUE(entry);
        const float* points = nullptr;
        ASSERT_EQ(entry->GetPoints(points), 2);
        EXPECT_TRUE(Same(SPAposition(points[0], points[1], points[2]), edge->start_pos()));
        EXPECT_TRUE(Same(SPAposition(points[3], points[4], points[5]), edge->end_pos()));
    }
    const SPAtransf placement = translate_transf(SPAvector(0, 50, 0));
    EXPECT_EQ(sketch.GetEdgeGeometry(vyrtest::Edges(block.get())[0], &placement), 0);  // no entry held
    EXPECT_EQ(sketch.GetEdgeGeometry(nullptr, nullptr), 0);
}

TEST_F(DsGlSketchTest, WithDynamicEllipsesAnEllipticEdgeKeepsAStorageAndNoPoints)
{
    CDsEllipseStorage::StSetDynamicEllipses(true);
    vyrtest::BodyPtr cylinder(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 3.0, 2.0));
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(cylinder.get(), true));
    int storages = 0;
    for (EDGE* edge : vyrtest::Edges(cylinder.get())) {
        const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = meshes->GetPolylineEntry(edge);
        ASSERT_TRUE(entry);
        if (edge->geometry()->equation().type() != ellipse_type) continue;
        ++storages;
        EXPECT_NE(entry->GetEllipse(), nullptr);
        const float* points = nullptr;
        EXPECT_EQ(entry->GetPoints(points), 0);
        SPAposition centre;
        EXPECT_TRUE(entry->GetCenterPoint(centre));
    }
    EXPECT_EQ(storages, 2);
}

TEST_F(DsGlSketchTest, FreeFormEdgesFollowTheCurveToleranceAndBadTolerancesGiveNoPoints)
{
    vyrtest::BodyPtr a(make_cylinder(SPAposition(0, 0, -5), SPAvector(0, 0, 1), 2.0, 10.0));
    vyrtest::BodyPtr b(make_cylinder(SPAposition(-5, 0, 0), SPAvector(1, 0, 0), 1.0, 10.0));
    vyrtest::BodyPtr both(unite_bodies(a.get(), b.get()));
    ASSERT_TRUE(both);
    std::vector<EDGE*> freeForm;
    for (EDGE* edge : vyrtest::Edges(both.get()))
        if (edge->geometry() && edge->geometry()->equation().type() == intcurve_type) freeForm.push_back(edge);
    ASSERT_FALSE(freeForm.empty());

    CVyrRefinement coarse, fine, zero;
    coarse.SetCurveTol(0.1);
    fine.SetCurveTol(0.001);
    zero.SetCurveTol(0.0);
    CDsGlSketch coarseSketch(&coarse), fineSketch(&fine), zeroSketch(&zero);
    EXPECT_EQ(fineSketch.GetRefinement(), &fine);
    CVyrMeshInterface coarseMeshes, fineMeshes, zeroMeshes;
    for (EDGE* edge : freeForm) {
        coarseSketch.BuildEdgeFast(edge, &coarseMeshes);
        fineSketch.BuildEdgeFast(edge, &fineMeshes);
        zeroSketch.BuildEdgeFast(edge, &zeroMeshes);
        const int fewer = PointCount(coarseMeshes, edge), more = PointCount(fineMeshes, edge);
        EXPECT_GE(fewer, 2);
        EXPECT_GT(more, fewer);
        EXPECT_LT(more, 1024);
        EXPECT_EQ(PointCount(zeroMeshes, edge), 0);  // the faceter refuses a zero tolerance
        // Every point lies on the curve.
        const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = fineMeshes.GetPolylineEntry(edge);
        const float* points = nullptr;
        const int count = entry->GetPoints(points);
        const curve& c = edge->geometry()->equation();
        for (int i = 0; i < count; i += 7) {
            const SPAposition p(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
            EXPECT_LT((c.closest_point(p) - p).len(), 1e-4);
        }
    }
}

TEST_F(DsGlSketchTest, IntervalsOutsideAFreeFormRangeAreMovedInAndNearlyStraightOnesReduced)
{
    vyrtest::BodyPtr a(make_cylinder(SPAposition(0, 0, -5), SPAvector(0, 0, 1), 2.0, 10.0));
    vyrtest::BodyPtr b(make_cylinder(SPAposition(-5, 0, 0), SPAvector(1, 0, 0), 1.0, 10.0));
    vyrtest::BodyPtr both(unite_bodies(a.get(), b.get()));
    const curve* freeForm = nullptr;
    for (EDGE* edge : vyrtest::Edges(both.get()))
        if (edge->geometry() && edge->geometry()->equation().type() == intcurve_type) freeForm = &edge->geometry()->equation();
    ASSERT_NE(freeForm, nullptr);
    CDsGlSketch sketch(nullptr);
    SPAposition points[1024];
    double params[1024];
    int count = 0;
    const SPAinterval range = freeForm->param_range();
    ASSERT_TRUE(sketch.ApproximateIntCurve(*freeForm, range.start_pt(), range.end_pt(), 0.01, 1024, count, points, params).ok());
    const int inside = count;
    EXPECT_GE(inside, 3);
    if (freeForm->periodic()) {
        // One period further on: the same curve.
        const double p = freeForm->param_period();
        EXPECT_TRUE(sketch.ApproximateIntCurve(*freeForm, range.start_pt() + 3 * p, range.end_pt() + 3 * p, 0.01,
                                               1024, count, points, params)
                        .ok());
        EXPECT_EQ(count, inside);
    } else {
        // Beyond the end of a bounded curve: moved back to its end, still outside: no points.
        const double beyond = range.end_pt() + 5.0;
        EXPECT_FALSE(sketch.ApproximateIntCurve(*freeForm, beyond, beyond + 1.0, 0.01, 1024, count, points, params).ok());
        EXPECT_EQ(count, 0);
    }
    // Bad tolerance: failure and no points.
    count = 5;
    EXPECT_FALSE(sketch.ApproximateIntCurve(*freeForm, range.start_pt(), range.end_pt(), -1.0, 1024, count, points, params).ok());
    EXPECT_EQ(count, 0);

    // Reduction to the chord: points within the tolerance of it go; a chord shorter than 1e-6
    // or a point farther away keeps them.
    SPAposition line[4] = {SPAposition(0, 0, 0), SPAposition(1, 0.01, 0), SPAposition(2, -0.01, 0), SPAposition(3, 0, 0)};
    double t[4] = {0, 1, 2, 3};
    count = 4;
    sketch.FixIntCurveApproximation(count, line, t, 0.02);
    ASSERT_EQ(count, 2);
    EXPECT_TRUE(Same(line[1], SPAposition(3, 0, 0)));
    EXPECT_EQ(t[1], 3.0);
    SPAposition bent[3] = {SPAposition(0, 0, 0), SPAposition(1, 0.5, 0), SPAposition(2, 0, 0)};
    count = 3;
    sketch.FixIntCurveApproximation(count, bent, nullptr, 0.02);
    EXPECT_EQ(count, 3);
    SPAposition loop[3] = {SPAposition(0, 0, 0), SPAposition(0, 0, 0), SPAposition(0, 0, 0)};
    count = 3;
    sketch.FixIntCurveApproximation(count, loop, nullptr, 1.0);
    EXPECT_EQ(count, 3);

    // With the current refinement's display-vertices flag, an approximation that stays within
    // the tolerance of its chord is reduced to the chord.
    const double quarter = range.start_pt() + 0.25 * (range.end_pt() - range.start_pt());
    ASSERT_TRUE(sketch.ApproximateIntCurve(*freeForm, range.start_pt(), quarter, 100.0, 1024, count, points, params).ok());
    EXPECT_GT(count, 2);
    CVyrRefinement vertices;
    vertices.SetUseDisplayVerticiesFlag(1);
    CVyrRefinement::StSetCurrentRefinement(&vertices);
    ASSERT_TRUE(sketch.ApproximateIntCurve(*freeForm, range.start_pt(), quarter, 100.0, 1024, count, points, params).ok());
    EXPECT_EQ(count, 2);
    EXPECT_EQ(params[1], quarter);

    SPAparameter p0(1.0), p1(4.0);
    sketch.SwapParameters(p0, p1);
    EXPECT_EQ(static_cast<double>(p0), -4.0);
    EXPECT_EQ(static_cast<double>(p1), -1.0);
}

TEST_F(DsGlSketchTest, BadTolerancesLeaveTheFacesWithoutMeshesAndTheEdgesWithTheirPolylines)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CVyrRefinement broken;
    broken.SetSurfaceTol(0.0);
    CVyrRefinement::StSetCurrentRefinement(&broken);
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), false));
    ASSERT_TRUE(meshes);
    EXPECT_EQ(meshes->GetMeshesCount(), 0);
    EXPECT_EQ(meshes->GetPolylinesCount(), 12);
    EXPECT_EQ(api_bb_depth(), 0);

    // Good tolerances again: the problem faces are faceted one by one.
    CVyrRefinement::StSetCurrentRefinement(nullptr);
    ENTITY_LIST faces;
    get_faces(block.get(), faces);
    sketch.RefacetProblematicFacesOneByOne(meshes.get(), faces);
    EXPECT_EQ(meshes->GetMeshesCount(), 6);
    EXPECT_EQ(meshes->ComputeNumOfTriangles(), 12);
}

TEST_F(DsGlSketchTest, SketchingFacetsIntoTheActiveInterfaceFirstAndReevaluatingEdgesStartsAfresh)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CVyrMeshInterface active;
    CVyrMeshInterface::StSetActiveMeshManager(&active);
    CDsGlSketch sketch(nullptr);
    FACE* face = vyrtest::Faces(block.get())[0];
    EXPECT_EQ(sketch.SketchEntityGeometry(face), 0);
    EXPECT_TRUE(active.GetMeshEntry(face));
    EXPECT_EQ(active.GetPolygonCount(face), 2);
    CVyrMeshInterface::StSetActiveMeshManager(nullptr);

    CVyrMeshInterface meshes;
    meshes.EvaluateEdges(block.get(), true);
    EXPECT_EQ(meshes.GetPolylinesCount(), 12);
    meshes.EvaluateEdges(nullptr, true);
    EDGE* edge = vyrtest::Edges(block.get())[0];
    const CDmRefCountPtrTempl<CVyrPolylineEntry> before = meshes.GetPolylineEntry(edge);
    meshes.ReevaluateEdges(block.get(), nullptr);
    EXPECT_EQ(meshes.GetPolylinesCount(), 12);
    EXPECT_NE(meshes.GetPolylineEntry(edge).get(), before.get());  // new entries
    EXPECT_EQ(PointCount(meshes, edge), 2);
    const CDmRefCountPtrTempl<CVyrPolylineEntry> removed = meshes.RemovePolyline(edge);
    EXPECT_TRUE(removed);
    EXPECT_FALSE(meshes.GetPolylineEntry(edge));
    EXPECT_EQ(meshes.GetPolylinesCount(), 11);
    meshes.ReevaluateEdges(nullptr, nullptr);
    EXPECT_EQ(meshes.GetPolylinesCount(), 0);
}

TEST_F(DsGlSketchTest, DisplayCurvesBecomePolylineItemsOfTheirPoints)
{
    CDsGlSketch sketch(nullptr);
    ASSERT_EQ(All_Views().count(), 0);  // pixel size 1/3
    const straight line(SPAposition(1, 2, 3), SPAunit_vector(1, 0, 0));
    std::unique_ptr<CDsItemPolyline3D> segment(sketch.ApproximateCurve(line, 0.0, 3.0));
    ASSERT_TRUE(segment);
    ASSERT_EQ(segment->GetPointsCount(), 2);
    const float* p = segment->GetPointsData();
    EXPECT_EQ(std::vector<float>(p, p + 6), (std::vector<float>{1, 2, 3, 4, 2, 3}));
    EXPECT_EQ(sketch.ApproximateCurve(line, 3.0, 1.0), nullptr) << "an empty range of a curve without period";

    // A circle smaller than a pixel: 12 segments a turn, also with dynamic ellipses on; a closed
    // one given an empty range goes once round.
    CDsEllipseStorage::StSetDynamicEllipses(true);
    const ellipse small(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(0.2, 0, 0), 1.0, 0.0);
    std::unique_ptr<CDsItemPolyline3D> half(sketch.ApproximateCurve(small, 0.0, kPi));
    ASSERT_TRUE(half);
    EXPECT_EQ(half->GetPointsCount(), 7);
    std::unique_ptr<CDsItemPolyline3D> whole(sketch.ApproximateCurve(small, 1.0, 1.0));
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->GetPointsCount(), 13);
    const float* w = whole->GetPointsData();
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(w[k], w[36 + k], 1e-6);

    // A free-form curve: the faceter's points on the pixel size, on the curve.
    vyrtest::BodyPtr a(make_cylinder(SPAposition(0, 0, -5), SPAvector(0, 0, 1), 2.0, 10.0));
    vyrtest::BodyPtr b(make_cylinder(SPAposition(-5, 0, 0), SPAvector(1, 0, 0), 1.0, 10.0));
    vyrtest::BodyPtr both(unite_bodies(a.get(), b.get()));
    ASSERT_TRUE(both);
    const curve* freeForm = nullptr;
    SPAinterval range;
    for (EDGE* edge : vyrtest::Edges(both.get()))
        if (edge->geometry() && edge->geometry()->equation().type() == intcurve_type) {
            freeForm = &edge->geometry()->equation();
            range = edge->param_range();
        }
    ASSERT_NE(freeForm, nullptr);
    std::unique_ptr<CDsItemPolyline3D> curveItem(sketch.ApproximateCurve(*freeForm, range.start_pt(), range.end_pt()));
    ASSERT_TRUE(curveItem);
    EXPECT_GE(curveItem->GetPointsCount(), 2);
    EXPECT_LT(curveItem->GetPointsCount(), 1024);
    const float* c = curveItem->GetPointsData();
    for (int i = 0; i < curveItem->GetPointsCount(); ++i) {
        const SPAposition q(c[3 * i], c[3 * i + 1], c[3 * i + 2]);
        EXPECT_LT((freeForm->closest_point(q) - q).len(), 1e-4) << i;
    }
    EXPECT_EQ(sketch.ApproximateCurve(*freeForm, range.start_pt(), std::nan("")), nullptr);
}
