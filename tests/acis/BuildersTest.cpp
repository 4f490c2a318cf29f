// Body builders of the stand-in modeler: primitives, booleans, transforms, wire bodies and the
// benchmark plate.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "SpaBuilders.h"

#include "EntityDeleter.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using vyrtest::BodyPtr;

int CountFaces(const ENTITY* e, int (*test)(const ENTITY*) = nullptr)
{
    ENTITY_LIST list;
    get_faces(e, list);
    int n = 0;
    for (int i = 0; i < list.count(); ++i) n += test == nullptr || test(list[i]);
    return n;
}

int CountEdges(const ENTITY* e)
{
    ENTITY_LIST list;
    get_edges(e, list);
    return list.count();
}

// Expects a builder call to fail with `error` and answer no body.
template <class Build>
void ExpectRefused(Build build, err_mess_type error)
{
    outcome r;
    BODY* b = build(&r);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(r.error_number(), error);
    if (b) b->lose();
}

}  // namespace

TEST(SpaBuilders, Primitives)
{
    outcome r;
    BodyPtr block(make_block(3, 2, 1, 0, 0, 0, &r));  // corners in any order
    ASSERT_TRUE(block);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(CountFaces(block.get()), 6);
    EXPECT_EQ(block->transform(), nullptr);

    BodyPtr cyl(make_cylinder(SPAposition(), SPAvector(1, 0, 0), 1.0, 2.0));
    ASSERT_TRUE(cyl);
    EXPECT_EQ(CountFaces(cyl.get()), 3);
    EXPECT_EQ(CountFaces(cyl.get(), is_cylindrical_face), 1);

    BodyPtr frustum(make_cone(SPAposition(), SPAvector(0, 1, 0), 2.0, 1.0, 3.0));
    ASSERT_TRUE(frustum);
    EXPECT_EQ(CountFaces(frustum.get()), 3);
    BodyPtr pointed(make_cone(SPAposition(), SPAvector(0, 1, 0), 0.0, 1.0, 3.0));
    ASSERT_TRUE(pointed);
    EXPECT_EQ(CountFaces(pointed.get()), 2);

    BodyPtr ball(make_sphere(SPAposition(1, 2, 3), 0.5));
    ASSERT_TRUE(ball);
    EXPECT_EQ(CountFaces(ball.get(), is_spherical_face), 1);
    BodyPtr ring(make_torus(SPAposition(), SPAvector(0, 0, 1), 3.0, 1.0));
    ASSERT_TRUE(ring);
    EXPECT_EQ(CountFaces(ring.get(), is_toroidal_face), 1);
}

TEST(SpaBuilders, BadSizesAreRefused)
{
    ExpectRefused([](outcome* r) { return make_block(0, 0, 0, 1, 1, 0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_block(0, 0, 0, kNaN, 1, 1, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_cylinder(SPAposition(), SPAvector(0, 0, 1), -1.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_cylinder(SPAposition(), SPAvector(), 1.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_cylinder(SPAposition(kNaN, 0, 0), SPAvector(0, 0, 1), 1.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_cone(SPAposition(), SPAvector(0, 0, 1), 1.0, 1.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_cone(SPAposition(), SPAvector(0, 0, 1), -1.0, 0.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_sphere(SPAposition(), 0.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_torus(SPAposition(), SPAvector(0, 0, 1), 1.0, 2.0, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return make_torus(SPAposition(), SPAvector(0, 0, 1), 2.0, -0.5, r); }, BAD_ARGUMENT);
    ExpectRefused([](outcome* r) { return unite_bodies(nullptr, nullptr, r); }, NULL_ENTITY);
    ExpectRefused([](outcome* r) { return make_wire_body(nullptr, 3, false, r); }, BAD_ARGUMENT);
    // Without an outcome to fill, failure is still just a null body.
    EXPECT_EQ(make_sphere(SPAposition(), -1.0), nullptr);
    EXPECT_EQ(set_body_transform(nullptr, SPAtransf()).error_number(), NULL_ENTITY);
    {
        // A transform made from a zero scale or a non-finite value is refused; the body keeps its own.
        BodyPtr placed(make_block(0, 0, 0, 1, 1, 1));
        ASSERT_TRUE(set_body_transform(placed.get(), translate_transf(SPAvector(5, 0, 0))).ok());
        const TRANSFORM* before = placed->transform();
        for (const SPAtransf& bad : {scale_transf(0.0), translate_transf(SPAvector(kNaN, 0, 0)),
                                     translate_transf(SPAvector(1, 0, 0)) * scale_transf(kNaN)}) {
            EXPECT_EQ(set_body_transform(placed.get(), bad).error_number(), BAD_ARGUMENT);
            ASSERT_EQ(placed->transform(), before);
            EXPECT_DOUBLE_EQ(placed->transform()->transform().translation().x(), 5.0);
        }
    }

    BODY* empty = new BODY();
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    ExpectRefused([&](outcome* r) { return subtract_bodies(block.get(), empty, r); }, BAD_ARGUMENT);
    empty->lose();
}

TEST(SpaBuilders, BooleansMakeNewBodiesAndKeepInputs)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 2));
    BodyPtr peg(make_cylinder(SPAposition(5, 5, -1), SPAvector(0, 0, 1), 1.0, 4.0));
    BodyPtr drilled(subtract_bodies(block.get(), peg.get()));
    ASSERT_TRUE(drilled);
    EXPECT_EQ(CountFaces(drilled.get()), 7);  // six sides and the hole
    EXPECT_EQ(CountFaces(drilled.get(), is_cylindrical_face), 1);
    EXPECT_EQ(CountFaces(block.get()), 6);
    EXPECT_EQ(CountFaces(peg.get()), 3);

    BodyPtr joined(unite_bodies(block.get(), peg.get()));
    ASSERT_TRUE(joined);
    EXPECT_EQ(CountFaces(joined.get(), is_cylindrical_face), 2);  // above and below the block

    // The inputs' transforms count: the hole follows the moved peg.
    ASSERT_TRUE(set_body_transform(peg.get(), translate_transf(SPAvector(2, 0, 0))).ok());
    BodyPtr moved(subtract_bodies(block.get(), peg.get()));
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->transform(), nullptr);
    ENTITY_LIST faces;
    get_faces(moved.get(), faces);
    bool seen = false;
    for (int i = 0; i < faces.count(); ++i) {
        if (!is_cylindrical_face(faces[i])) continue;
        const cone& c = static_cast<const cone&>(static_cast<FACE*>(faces[i])->geometry()->equation());
        EXPECT_NEAR(c.root_point().x(), 7.0, 1e-9);
        EXPECT_NEAR(c.root_point().y(), 5.0, 1e-9);
        seen = true;
    }
    EXPECT_TRUE(seen);
    EXPECT_NE(peg->transform(), nullptr);  // the input keeps its transform

    // A mirrored input is still a proper solid: the hole lands at the mirror image.
    ASSERT_TRUE(set_body_transform(peg.get(), translate_transf(SPAvector(-7, 0, 0)) * reflect_transf(SPAvector(1, 0, 0))).ok());
    BodyPtr mirrored(subtract_bodies(block.get(), peg.get()));
    ASSERT_TRUE(mirrored);
    EXPECT_EQ(CountFaces(mirrored.get()), 7);
    faces.clear();
    get_faces(mirrored.get(), faces);
    for (int i = 0; i < faces.count(); ++i) {
        if (!is_cylindrical_face(faces[i])) continue;
        const cone& c = static_cast<const cone&>(static_cast<FACE*>(faces[i])->geometry()->equation());
        EXPECT_NEAR(c.root_point().x(), 2.0, 1e-9);
    }
}

TEST(SpaBuilders, BodyTransforms)
{
    BodyPtr body(make_block(0, 0, 0, 1, 1, 1));
    const SPAtransf t = rotate_transf(0.5, SPAvector(0, 0, 1)) * translate_transf(SPAvector(1, 2, 3));
    ASSERT_TRUE(set_body_transform(body.get(), t).ok());
    ASSERT_NE(body->transform(), nullptr);
    EXPECT_TRUE(same_point(SPAposition(1, 0, 0) * body->transform()->transform(), SPAposition(1, 0, 0) * t));
    // Positions stay in body space.
    ENTITY_LIST vertices;
    get_vertices(body.get(), vertices);
    SPAbox box;
    for (int i = 0; i < vertices.count(); ++i) box |= static_cast<VERTEX*>(vertices[i])->position();
    EXPECT_TRUE(same_point(box.low(), SPAposition(0, 0, 0)));
    EXPECT_TRUE(same_point(box.high(), SPAposition(1, 1, 1)));
    // Setting another transform replaces (and frees) the first.
    ASSERT_TRUE(set_body_transform(body.get(), SPAtransf()).ok());
    EXPECT_TRUE(body->transform()->transform().identity());
}

TEST(SpaBuilders, WireBodyFromPolyline)
{
    const SPAposition square[] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(1, 0, 0),
                                  SPAposition(1, 1, 0), SPAposition(0, 1, 0), SPAposition(0, 0, 0)};
    BodyPtr closed(make_wire_body(square, 6, true));
    ASSERT_TRUE(closed);
    EXPECT_TRUE(is_wire_body(closed.get()));
    EXPECT_EQ(CountEdges(closed.get()), 4);  // the repeated point and the closing repeat are dropped
    // A closed wire's coedges form a ring.
    COEDGE* first = closed->wire()->coedge();
    COEDGE* c = first;
    for (int i = 0; i < 4; ++i) c = c->next();
    EXPECT_EQ(c, first);

    BodyPtr open(make_wire_body(square, 3));
    ASSERT_TRUE(open);
    EXPECT_EQ(CountEdges(open.get()), 1);

    const SPAposition same[] = {SPAposition(1, 1, 1), SPAposition(1, 1, 1)};
    ExpectRefused([&](outcome* r) { return make_wire_body(same, 2, false, r); }, BAD_ARGUMENT);
    ExpectRefused([&](outcome* r) { return make_wire_body(square, 2, true, r); }, BAD_ARGUMENT);
}

TEST(SpaBuilders, BenchmarkPlate)
{
    outcome r;
    BodyPtr plate(make_benchmark_plate(&r));
    ASSERT_TRUE(plate) << r.get_error_info()->error_message();
    // 6 plate sides, 12 edge fillets, 8 corner patches, 124 holes and the boss.
    EXPECT_EQ(CountFaces(plate.get()), 151);
    EXPECT_EQ(CountFaces(plate.get(), is_planar_face), 6);
    EXPECT_EQ(CountFaces(plate.get(), is_cylindrical_face), 12 + 124);
    EXPECT_EQ(CountFaces(plate.get(), is_spherical_face), 8 + 1);
    // 48 edges round the filleted plate, two rims per hole, the boss's rim (seams are no edges).
    EXPECT_EQ(CountEdges(plate.get()), 48 + 124 * 2 + 1);
    ENTITY_LIST edges;
    get_edges(plate.get(), edges);
    int concave = 0;
    for (int i = 0; i < edges.count(); ++i) concave += static_cast<EDGE*>(edges[i])->get_convexity() == EDGE_cvty_concave;
    EXPECT_EQ(concave, 1);  // where the boss meets the plate

    SPAbox box;
    ENTITY_LIST vertices;
    get_vertices(plate.get(), vertices);
    for (int i = 0; i < vertices.count(); ++i) box |= static_cast<VERTEX*>(vertices[i])->position();
    EXPECT_NEAR(box.low().x(), 0.0, 1e-6);
    EXPECT_NEAR(box.high().x(), 120.0, 1e-6);
    EXPECT_NEAR(box.high().y(), 80.0, 1e-6);
    EXPECT_NEAR(box.high().z(), 20.0, 1e-6);  // the boss's rim: its top is no vertex
    // The top of the boss: the highest point of its sphere, of radius 15 about the top's middle.
    double top = 0.0;
    ENTITY_LIST faces;
    get_faces(plate.get(), faces);
    for (int i = 0; i < faces.count(); ++i)
        if (is_spherical_face(faces[i]) && CountEdges(faces[i]) == 1) {
            const auto& dome = static_cast<const sphere&>(static_cast<FACE*>(faces[i])->geometry()->equation());
            top = std::max(top, dome.centre().z() + dome.radius());
        }
    EXPECT_NEAR(top, 35.0, 1e-6);
}
