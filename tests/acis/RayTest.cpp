// Ray tests: faces met along a ray, edges and vertices within the ray's radius, body transforms,
// the half-line, hit limits and degenerate rays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "SpaBuilders.h"
#include "SpaRay.h"

#include "EntityDeleter.h"
#include "EntityLists.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using vyrtest::BodyPtr;
using vyrtest::Faces;

// The planar face of `body` whose plane holds `p` with outward normal `n`.
FACE* FaceAt(const BODY* body, const SPAposition& p, const SPAvector& n)
{
    for (FACE* f : Faces(body)) {
        if (!is_planar_face(f)) continue;
        const surface& s = f->geometry()->equation();
        SPAunit_vector fn = s.point_normal(p);
        if (f->sense() == REVERSED) fn = -fn;
        if ((s.eval_position(s.param(p)) - p).len() < 1e-9 && (fn - normalise(n)).len() < 1e-9) return f;
    }
    return nullptr;
}

// Runs api_ray_test_ents and returns the hits with their parameters.
struct Hits {
    outcome result;
    ENTITY_LIST list;
    std::vector<double> params;
};
Hits RayTest(const SPAposition& root, const SPAvector& dir, double radius, const ENTITY_LIST& candidates,
             int wanted = 0)
{
    Hits h;
    double* params = nullptr;
    h.result = api_ray_test_ents(root, normalise(dir), radius, wanted, candidates, h.list, params);
    for (int i = 0; params && i < h.list.count(); ++i) h.params.push_back(params[i]);
    delete[] params;
    return h;
}

}  // namespace

TEST(SpaRay, RayThroughTheFrontFaceHitsItFirst)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    ASSERT_TRUE(block);
    FACE* front = FaceAt(block.get(), SPAposition(5, 5, 0), SPAvector(0, 0, -1));
    FACE* back = FaceAt(block.get(), SPAposition(5, 5, 10), SPAvector(0, 0, 1));
    ASSERT_TRUE(front && back);

    const ray r(SPAposition(5, 5, -7), SPAunit_vector(0, 0, 1), 100 * SPAresabs);
    std::unique_ptr<hit> h(raytest_face(r, front));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->entity(), front);
    EXPECT_EQ(h->type(), hit_face);
    EXPECT_NEAR(h->ray_param(), 7.0, 1e-9);
    EXPECT_TRUE(same_point(h->point(), SPAposition(5, 5, 0), 1e-9));
    EXPECT_EQ(h->next(), nullptr);
    h.reset(raytest_face(r, back));
    ASSERT_TRUE(h);
    EXPECT_NEAR(h->ray_param(), 17.0, 1e-9);

    // Through every face, the nearest hit is the front face.
    double nearest = 1e300;
    FACE* first = nullptr;
    for (FACE* f : Faces(block.get())) {
        std::unique_ptr<hit> hf(raytest_face(r, f));
        for (const hit* x = hf.get(); x; x = x->next())
            if (x->ray_param() < nearest) {
                nearest = x->ray_param();
                first = f;
            }
    }
    EXPECT_EQ(first, front);

    // The same through the API, with the faces as candidates: ascending parameters.
    ENTITY_LIST faces;
    get_faces(block.get(), faces);
    Hits all = RayTest(SPAposition(5, 5, -7), SPAvector(0, 0, 1), 100 * SPAresabs, faces);
    ASSERT_TRUE(all.result.ok());
    ASSERT_EQ(all.list.count(), 2);
    EXPECT_EQ(all.list[0], front);
    EXPECT_NEAR(all.params[0], 7.0, 1e-9);
    EXPECT_EQ(all.list[1], back);
    EXPECT_NEAR(all.params[1], 17.0, 1e-9);

    // A ray from inside meets only what lies ahead; beside the face is a miss.
    h.reset(raytest_face(ray(SPAposition(5, 5, 3), SPAunit_vector(0, 0, 1)), front));
    EXPECT_FALSE(h);
    h.reset(raytest_face(ray(SPAposition(11, 5, -7), SPAunit_vector(0, 0, 1)), front));
    EXPECT_FALSE(h);
}

TEST(SpaRay, CurvedFaceHitsComeInOrderAndUpToTheLimit)
{
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2.0, 10.0));
    ASSERT_TRUE(cyl);
    FACE* side = nullptr;
    for (FACE* f : Faces(cyl.get()))
        if (is_cylindrical_face(f)) side = f;
    ASSERT_NE(side, nullptr);
    std::unique_ptr<hit> h(raytest_face(ray(SPAposition(-10, 0, 5), SPAunit_vector(1, 0, 0)), side));
    ASSERT_TRUE(h && h->next());
    EXPECT_NEAR(h->ray_param(), 8.0, 1e-7);
    EXPECT_NEAR(h->next()->ray_param(), 12.0, 1e-7);
    EXPECT_EQ(h->next()->next(), nullptr);
    h.reset(raytest_face(ray(SPAposition(-10, 0, 5), SPAunit_vector(1, 0, 0), SPAresabs, 1), side));
    ASSERT_TRUE(h);
    EXPECT_NEAR(h->ray_param(), 8.0, 1e-7);
    EXPECT_EQ(h->next(), nullptr);
}

TEST(SpaRay, EdgesAndVerticesWithinTheRadius)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    ASSERT_TRUE(block);
    ENTITY_LIST body;
    body.add(block.get());

    // Along y, 0.05 above the top face: the top edges at y = 0 and y = 10 are within 0.1.
    Hits near = RayTest(SPAposition(5, -10, 10.05), SPAvector(0, 1, 0), 0.1, body);
    ASSERT_TRUE(near.result.ok());
    ASSERT_EQ(near.list.count(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(is_EDGE(near.list[i]));
        const EDGE* e = static_cast<EDGE*>(near.list[i]);
        const double y = i == 0 ? 0.0 : 10.0;
        EXPECT_NEAR(e->start_pos().y(), y, 1e-9);
        EXPECT_NEAR(e->end_pos().y(), y, 1e-9);
        EXPECT_NEAR(e->start_pos().z(), 10.0, 1e-9);
        EXPECT_NEAR(near.params[i], 10.0 + y, 1e-6);
    }
    // A smaller radius misses them; a limit of one keeps the nearest.
    EXPECT_EQ(RayTest(SPAposition(5, -10, 10.05), SPAvector(0, 1, 0), 0.01, body).list.count(), 0);
    Hits one = RayTest(SPAposition(5, -10, 10.05), SPAvector(0, 1, 0), 0.1, body, 1);
    ASSERT_EQ(one.list.count(), 1);
    EXPECT_EQ(one.list[0], near.list[0]);

    // A circle seen side-on.
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2.0, 10.0));
    ENTITY_LIST cylEdges;
    get_edges(cyl.get(), cylEdges);
    Hits rim = RayTest(SPAposition(-5, 0, 10.02), SPAvector(1, 0, 0), 0.05, cylEdges);
    ASSERT_GE(rim.list.count(), 1);
    EXPECT_TRUE(is_elliptical_edge(rim.list[0]));
    EXPECT_NEAR(rim.params[0], 3.0, 1e-4);

    // Grazing a corner (nearest to it at parameter 20): the vertex, and the three edges meeting
    // there; no other edge comes as close.
    const SPAvector across = normalise(SPAvector(1, -1, 0));
    Hits corner = RayTest(SPAposition(10.02, 10.02, 10.02) - 20.0 * across, across, 0.05, body);
    ASSERT_TRUE(corner.result.ok());
    int vertices = 0, cornerEdges = 0;
    for (int i = 0; i < corner.list.count(); ++i) {
        EXPECT_NEAR(corner.params[i], 20.0, 1e-6);
        if (is_VERTEX(corner.list[i])) {
            ++vertices;
            EXPECT_TRUE(same_point(static_cast<VERTEX*>(corner.list[i])->position(), SPAposition(10, 10, 10)));
        }
        cornerEdges += is_EDGE(corner.list[i]);
    }
    EXPECT_EQ(vertices, 1);
    EXPECT_EQ(cornerEdges, 3);
    for (size_t i = 1; i < corner.params.size(); ++i) EXPECT_LE(corner.params[i - 1], corner.params[i]);

    // Other entities are passed over.
    ENTITY_LIST other;
    TRANSFORM* t = new TRANSFORM();
    other.add(t);
    Hits none = RayTest(SPAposition(5, -10, 10.05), SPAvector(0, 1, 0), 0.1, other);
    EXPECT_TRUE(none.result.ok());
    EXPECT_EQ(none.list.count(), 0);
    t->lose();
}

TEST(SpaRay, ModelSpaceRaysMeetTransformedBodies)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    ASSERT_TRUE(block);
    ASSERT_TRUE(set_body_transform(block.get(), rotate_transf(3.14159265358979323846 / 2, SPAvector(0, 0, 1)) *
                                                    translate_transf(SPAvector(100, 0, 0)))
                    .ok());
    // The block now spans x 90..100, y 0..10. Its body-space face y = 0 faces +x at x = 100.
    ENTITY_LIST body;
    body.add(block.get());
    ENTITY_LIST faces;
    get_faces(block.get(), faces);
    Hits h = RayTest(SPAposition(120, 5, 5), SPAvector(-1, 0, 0), 0.0, faces);
    ASSERT_TRUE(h.result.ok());
    ASSERT_EQ(h.list.count(), 2);
    EXPECT_NEAR(h.params[0], 20.0, 1e-7);
    EXPECT_NEAR(h.params[1], 30.0, 1e-7);
    EXPECT_EQ(h.list[0], FaceAt(block.get(), SPAposition(5, 0, 5), SPAvector(0, -1, 0)));

    // Edge test in model space: the top edge at model x = 100 (body y = 0).
    Hits e = RayTest(SPAposition(100.03, -10, 10.0), SPAvector(0, 1, 0), 0.05, body);
    ASSERT_GE(e.list.count(), 1);
    EXPECT_TRUE(is_EDGE(e.list[0]));
    EXPECT_NEAR(e.params[0], 10.0, 1e-4);
}

TEST(SpaRay, ListsAndBadInput)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    ASSERT_TRUE(block);
    ENTITY_LIST faces;
    get_faces(block.get(), faces);
    FACE* front = FaceAt(block.get(), SPAposition(5, 5, 0), SPAvector(0, 0, -1));

    // Entities already listed are not added again; params cover the new entries only.
    ENTITY_LIST hits;
    hits.add(front);
    double* params = nullptr;
    ASSERT_TRUE(api_ray_test_ents(SPAposition(5, 5, -7), SPAunit_vector(0, 0, 1), 0.0, 0, faces, hits, params).ok());
    ASSERT_EQ(hits.count(), 2);
    ASSERT_NE(params, nullptr);
    EXPECT_NEAR(params[0], 17.0, 1e-9);
    delete[] params;

    // Nothing hit: no array.
    ENTITY_LIST empty;
    params = reinterpret_cast<double*>(&empty);
    ASSERT_TRUE(api_ray_test_ents(SPAposition(50, 5, -7), SPAunit_vector(0, 0, 1), 0.0, 0, faces, empty, params).ok());
    EXPECT_EQ(params, nullptr);
    EXPECT_EQ(empty.count(), 0);

    // Degenerate rays and radii.
    const struct {
        SPAposition root;
        SPAunit_vector dir;
        double radius;
        err_mess_type error;
    } bad[] = {
        {SPAposition(0, 0, 0), SPAunit_vector(), 0.1, DEGENERATE_RAY},
        {SPAposition(kNaN, 0, 0), SPAunit_vector(0, 0, 1), 0.1, DEGENERATE_RAY},
        {SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), -1.0, BAD_TOLERANCE},
        {SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), kNaN, BAD_TOLERANCE},
    };
    for (const auto& b : bad) {
        ENTITY_LIST out;
        params = reinterpret_cast<double*>(&out);
        EXPECT_EQ(api_ray_test_ents(b.root, b.dir, b.radius, 0, faces, out, params).error_number(), b.error);
        EXPECT_EQ(params, nullptr);
        EXPECT_EQ(out.count(), 0);
    }
    EXPECT_FALSE(ray().valid());
    EXPECT_EQ(raytest_face(ray(), front), nullptr);
    EXPECT_EQ(raytest_face(ray(SPAposition(5, 5, -7), SPAunit_vector(0, 0, 1)), nullptr), nullptr);
}
