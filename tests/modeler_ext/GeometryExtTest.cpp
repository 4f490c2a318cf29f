// Cone apex, body transforms, point in polygon, segment clipping, closest points.
#include "DsTopologyServices.h"
#include "SpaBuilders.h"
#include "VyrBodyExt.h"
#include "VyrCurveExt.h"
#include "VyrPoint.h"
#include "VyrSurfExt.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

namespace {

using vyrtest::EntityPtr;

::testing::AssertionResult SamePoint(const SPAposition& a, const SPAposition& b, double tol = 1e-7) {
    if (same_point(a, b, tol)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x() << ", " << a.y() << ", " << a.z() << ") vs (" << b.x()
                                         << ", " << b.y() << ", " << b.z() << ")";
}

// The first face of `body` passing `test`, or null.
ENTITY* first_face(ENTITY* body, int (*test)(const ENTITY*)) {
    ENTITY_LIST faces;
    get_faces(body, faces);
    for (int i = 0; i < faces.count(); ++i)
        if (test(faces[i])) return faces[i];
    return nullptr;
}

int cone_not_cylinder(const ENTITY* e) { return is_conical_face(e) && !is_cylindrical_face(e); }

// The edge of `body` running between positions a and b (either way), or null.
EDGE* edge_between(ENTITY* body, const SPAposition& a, const SPAposition& b) {
    ENTITY_LIST edges;
    get_edges(body, edges);
    for (int i = 0; i < edges.count(); ++i) {
        EDGE* e = static_cast<EDGE*>(edges[i]);
        if ((same_point(e->start_pos(), a) && same_point(e->end_pos(), b)) ||
            (same_point(e->start_pos(), b) && same_point(e->end_pos(), a)))
            return e;
    }
    return nullptr;
}

// The position on an edge's curve at a parameter.
SPAposition at(const EDGE* e, double t) { return e->geometry()->equation().eval_position(t); }

}  // namespace

TEST(GeometryExtTest, ConeApexOfConicalFacesOnly) {
    // A frustum narrowing from radius 2 to 1 over height 2: the apex lies at height 4.
    EntityPtr frustum(make_cone(SPAposition(1, 2, 3), SPAvector(0, 0, 1), 2, 1, 2));
    ASSERT_NE(nullptr, frustum);
    ENTITY* side = first_face(frustum.get(), cone_not_cylinder);
    ASSERT_NE(nullptr, side);
    std::unique_ptr<SPAposition> apex(CVyrSurfExt::GetConeApex(side, 1));
    ASSERT_NE(nullptr, apex);
    EXPECT_TRUE(SamePoint(SPAposition(1, 2, 7), *apex));

    // A pointed cone: the apex is its tip.
    EntityPtr pointed(make_cone(SPAposition(), SPAvector(1, 0, 0), 3, 0, 5));
    ASSERT_NE(nullptr, pointed);
    apex.reset(CVyrSurfExt::GetConeApex(first_face(pointed.get(), cone_not_cylinder)));
    ASSERT_NE(nullptr, apex);
    EXPECT_TRUE(SamePoint(SPAposition(5, 0, 0), *apex));

    // Body space by default (as the faceter's positions), model space on request.
    ASSERT_TRUE(set_body_transform(static_cast<BODY*>(frustum.get()), translate_transf(SPAvector(10, 0, 0))).ok());
    apex.reset(CVyrSurfExt::GetConeApex(side, CVyrSurfExt::kBodySpace));
    EXPECT_TRUE(SamePoint(SPAposition(1, 2, 7), *apex));
    apex.reset(CVyrSurfExt::GetConeApex(side, CVyrSurfExt::kModelSpace));
    EXPECT_TRUE(SamePoint(SPAposition(11, 2, 7), *apex));

    // Cylinders have no apex; other faces, other entities and null neither.
    EntityPtr cylinder(make_cylinder(SPAposition(), SPAvector(0, 0, 1), 1, 2));
    ENTITY* cylSide = first_face(cylinder.get(), is_cylindrical_face);
    ASSERT_NE(nullptr, cylSide);
    EXPECT_TRUE(is_conical_face(cylSide));
    EXPECT_EQ(nullptr, CVyrSurfExt::GetConeApex(cylSide));
    EXPECT_EQ(nullptr, CVyrSurfExt::GetConeApex(first_face(frustum.get(), is_planar_face)));
    EXPECT_EQ(nullptr, CVyrSurfExt::GetConeApex(frustum.get()));
    EXPECT_EQ(nullptr, CVyrSurfExt::GetConeApex(nullptr));
}

TEST(GeometryExtTest, BodyTransformIsFoundFromAnyEntityOfTheBody) {
    EntityPtr block(make_block(0, 0, 0, 1, 1, 1));
    ENTITY_LIST edges;
    get_edges(block.get(), edges);
    EXPECT_EQ(nullptr, CVyrBodyExt::TransfPtr(block.get()));
    EXPECT_EQ(nullptr, CDsTopologyServices::GetBodyTransform(edges[0]));

    const SPAtransf t = translate_transf(SPAvector(0, 0, 5));
    ASSERT_TRUE(set_body_transform(static_cast<BODY*>(block.get()), t).ok());
    const SPAtransf* p = CVyrBodyExt::TransfPtr(block.get());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(&static_cast<BODY*>(block.get())->transform()->transform(), p);
    EXPECT_EQ(p, CVyrBodyExt::TransfPtr(edges[3]));
    EXPECT_EQ(p, CDsTopologyServices::GetBodyTransform(edges[3]));
    EXPECT_EQ(p, CDsTopologyServices::GetBodyTransform(block.get()));

    EntityPtr point(new CVyrPoint());
    EXPECT_EQ(nullptr, CVyrBodyExt::TransfPtr(point.get()));
    EXPECT_EQ(nullptr, CVyrBodyExt::TransfPtr(nullptr));
    EXPECT_EQ(nullptr, CDsTopologyServices::GetBodyTransform(nullptr));
}

TEST(GeometryExtTest, PointInConcavePolygon) {
    // A U shape, closed by repeating its first point; z is ignored.
    const SPAposition u[] = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {2, 3, 0}, {2, 1, 0},
                             {1, 1, 0}, {1, 3, 0}, {0, 3, 0}, {0, 0, 0}};
    const int n = 9;
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(0.5, 2, 0), u, n));    // left arm
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(2.5, 2.5, 9), u, n));  // right arm, any z
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(1.5, 0.5, 0), u, n));  // base
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(1.5, 2, 0), u, n));   // in the notch
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(4, 1, 0), u, n));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(1.5, 3, 0), u, n));   // notch opening
    // Rays through vertices are counted once.
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(0.5, 1, 0), u, n));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(-1, 1, 0), u, n));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(-1, 3, 0), u, n));
    // Boundary points count as inside.
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(3, 1.5, 0), u, n));
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(1.5, 1, 0), u, n));
    // The same polygon without the repeated point gives the same answers.
    EXPECT_TRUE(CVyrCurveExt::ScnPtInPoly(SPAposition(0.5, 2, 0), u, n - 1));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(1.5, 2, 0), u, n - 1));

    // Bad input.
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(0.5, 0.5, 0), nullptr, 5));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(0.5, 0.5, 0), u, 2));
    EXPECT_FALSE(CVyrCurveExt::ScnPtInPoly(SPAposition(NAN, 0.5, 0), u, n));
}

TEST(GeometryExtTest, ClipLine2DEdgeCases) {
    // Inside, through, touching the boundary or a corner.
    EXPECT_TRUE(ClipLine2D(2, 2, 8, 8, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(-5, 5, 15, 5, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(-5, 0, 0, 0, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(10, 10, 20, 20, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(5, 20, 5, -20, 0, 0, 10, 10));
    // Misses: beside the box, and past a corner although the extents overlap.
    EXPECT_FALSE(ClipLine2D(11, 0, 20, 10, 0, 0, 10, 10));
    EXPECT_FALSE(ClipLine2D(-5, 8, 3, 16, 0, 0, 10, 10));
    EXPECT_FALSE(ClipLine2D(-1, 11, 11, 23, 0, 0, 10, 10));
    // A point segment, and corners given in any order.
    EXPECT_TRUE(ClipLine2D(4, 4, 4, 4, 0, 0, 10, 10));
    EXPECT_FALSE(ClipLine2D(-4, 4, -4, 4, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(-5, 5, 15, 5, 10, 10, 0, 0));
    EXPECT_FALSE(ClipLine2D(-5, 8, 3, 16, 10, 0, 0, 10));
    // Extreme coordinates stay exact: the line x + y = -1 misses (0,0)-(10,10) but meets
    // (-1,-1)-(0,0).
    EXPECT_FALSE(ClipLine2D(INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0, 0, 10, 10));
    EXPECT_TRUE(ClipLine2D(INT_MIN, INT_MAX, INT_MAX, INT_MIN, -1, -1, 0, 0));
    EXPECT_TRUE(ClipLine2D(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 10, 10));
}

TEST(GeometryExtTest, LineLineDistFindsClosestPointsOfLinesAndSegments) {
    SPAposition on1, on2;
    double dist = -1;
    ASSERT_TRUE(CVyrCurveExt::LineLineDist(SPAposition(0, 0, 0), SPAvector(2, 0, 0), SPAposition(5, -1, 2),
                                           SPAvector(0, 2, 0), on1, on2, dist, CVyrCurveExt::kInfiniteLines));
    EXPECT_TRUE(SamePoint(SPAposition(5, 0, 0), on1));
    EXPECT_TRUE(SamePoint(SPAposition(5, 0, 2), on2));
    EXPECT_NEAR(2.0, dist, 1e-12);

    // As segments, the first one ends at x = 2.
    ASSERT_TRUE(CVyrCurveExt::LineLineDist(SPAposition(0, 0, 0), SPAvector(2, 0, 0), SPAposition(5, -1, 2),
                                           SPAvector(0, 2, 0), on1, on2, dist, CVyrCurveExt::kSegments));
    EXPECT_TRUE(SamePoint(SPAposition(2, 0, 0), on1));
    EXPECT_TRUE(SamePoint(SPAposition(5, 0, 2), on2));
    EXPECT_NEAR(std::sqrt(13.0), dist, 1e-12);

    // Parallel or degenerate lines have no unique closest points: outputs left alone.
    on1 = SPAposition(7, 7, 7);
    EXPECT_FALSE(CVyrCurveExt::LineLineDist(SPAposition(), SPAvector(1, 0, 0), SPAposition(0, 1, 0),
                                            SPAvector(-3, 0, 0), on1, on2, dist));
    EXPECT_FALSE(CVyrCurveExt::LineLineDist(SPAposition(), SPAvector(), SPAposition(0, 1, 0),
                                            SPAvector(1, 0, 0), on1, on2, dist));
    EXPECT_FALSE(CVyrCurveExt::LineLineDist(SPAposition(), SPAvector(1, NAN, 0), SPAposition(0, 1, 0),
                                            SPAvector(1, 0, 0), on1, on2, dist));
    EXPECT_TRUE(SamePoint(SPAposition(7, 7, 7), on1));
    // Parallel segments still have closest points.
    ASSERT_TRUE(CVyrCurveExt::LineLineDist(SPAposition(), SPAvector(1, 0, 0), SPAposition(0, 1, 0),
                                           SPAvector(-3, 0, 0), on1, on2, dist, CVyrCurveExt::kSegments));
    EXPECT_NEAR(1.0, dist, 1e-12);
}

TEST(GeometryExtTest, ClosestPointParamOnEdgesInModelSpace) {
    EntityPtr block(make_block(0, 0, 0, 10, 20, 30));
    EDGE* e = edge_between(block.get(), SPAposition(0, 0, 0), SPAposition(10, 0, 0));
    ASSERT_NE(nullptr, e);
    double t = 0;
    ASSERT_TRUE(CVyrCurveExt::ClosestPointParam1(e, SPAposition(3, -1, 5), t));
    EXPECT_TRUE(SamePoint(SPAposition(3, 0, 0), at(e, t)));
    EXPECT_TRUE(e->param_range().contains(t, 1e-9));
    // Beyond the end: the end point.
    ASSERT_TRUE(CVyrCurveExt::ClosestPointParam1(e, SPAposition(15, 0, 0), t));
    EXPECT_TRUE(SamePoint(SPAposition(10, 0, 0), at(e, t)));
    // A coedge stands for its edge.
    ASSERT_TRUE(CVyrCurveExt::ClosestPointParam1(e->coedge(), SPAposition(7, 1, 1), t));
    EXPECT_TRUE(SamePoint(SPAposition(7, 0, 0), at(e, t)));

    // A circle of a moved cylinder: the model-space position is taken back into body space.
    EntityPtr cylinder(make_cylinder(SPAposition(), SPAvector(0, 0, 1), 1, 2));
    ASSERT_TRUE(set_body_transform(static_cast<BODY*>(cylinder.get()), translate_transf(SPAvector(10, 0, 0))).ok());
    EDGE* circle = nullptr;
    ENTITY_LIST edges;
    get_edges(cylinder.get(), edges);
    for (int i = 0; i < edges.count() && circle == nullptr; ++i)
        if (is_elliptical_edge(edges[i]) && std::fabs(static_cast<EDGE*>(edges[i])->start_pos().z()) < 1e-9)
            circle = static_cast<EDGE*>(edges[i]);
    ASSERT_NE(nullptr, circle);
    for (const SPAposition& expected : {SPAposition(0, -1, 0), SPAposition(-1, 0, 0), SPAposition(0.6, 0.8, 0)}) {
        const SPAposition pick(10 + 3 * expected.x(), 3 * expected.y(), 0.5);
        ASSERT_TRUE(CVyrCurveExt::ClosestPointParam1(circle, pick, t));
        EXPECT_TRUE(SamePoint(expected, at(circle, t), 1e-6));
        EXPECT_TRUE(circle->param_range().contains(t, 1e-9));
    }

    // Every edge of the benchmark plate (lines, circles, free-form fillet curves): a point on
    // the edge finds itself.
    EntityPtr plate(make_benchmark_plate());
    ASSERT_NE(nullptr, plate);
    ENTITY_LIST plateEdges;
    get_edges(plate.get(), plateEdges);
    for (int i = 0; i < plateEdges.count(); ++i) {
        const EDGE* pe = static_cast<EDGE*>(plateEdges[i]);
        const SPAinterval r = pe->param_range();
        for (double f : {0.1, 0.5, 0.9}) {
            const SPAposition on = at(pe, r.start_pt() + f * (r.end_pt() - r.start_pt()));
            ASSERT_TRUE(CVyrCurveExt::ClosestPointParam1(pe, on, t));
            EXPECT_TRUE(SamePoint(on, at(pe, t), 1e-6)) << "edge " << i << " of type "
                                                         << pe->geometry()->equation().type_name();
        }
    }

    // Bad input: param left alone.
    t = 42;
    EXPECT_FALSE(CVyrCurveExt::ClosestPointParam1(nullptr, SPAposition(), t));
    EXPECT_FALSE(CVyrCurveExt::ClosestPointParam1(block.get(), SPAposition(), t));
    EXPECT_FALSE(CVyrCurveExt::ClosestPointParam1(e, SPAposition(NAN, 0, 0), t));
    EXPECT_EQ(42, t);
}
