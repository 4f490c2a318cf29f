// Curve and surface equations: standalone ones the display core builds, and those of faces and
// edges of bodies.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "ModelerErrors.h"
#include "SpaBuilders.h"
#include "SpaErrors.h"
#include "SpaFaceter.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

#include "EntityDeleter.h"
#include "EntityLists.h"

using vyrtest::RaisedError;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using vyrtest::BodyPtr;
using vyrtest::Listed;

FACE* FirstFace(const BODY* b, int (*test)(const ENTITY*))
{
    for (FACE* f : Listed<FACE>(b, get_faces))
        if (test(f)) return f;
    return nullptr;
}

// Checks that transforming a copy of `c` by `t` keeps the parametrisation: point(t) maps onto
// the copy's point(t) over the given parameters.
void ExpectTransformKeepsParameters(const curve& c, const SPAtransf& t, const std::vector<double>& params)
{
    std::unique_ptr<curve> moved(c.make_copy());
    *moved *= t;
    for (double s : params)
        EXPECT_TRUE(same_point(c.eval_position(s) * t, moved->eval_position(s), 1e-9)) << "at t = " << s;
}

}  // namespace

TEST(SpaGeometry, StraightLines)
{
    straight line(SPAposition(1, 0, 0), SPAunit_vector(0, 1, 0), 2.0);
    EXPECT_EQ(line.type(), straight_type);
    EXPECT_TRUE(same_point(line.eval_position(1.5), SPAposition(1, 3, 0)));
    EXPECT_NEAR(line.param(SPAposition(7, 4, 9)), 2.0, 1e-12);
    EXPECT_NEAR(line.length(-1, 2), 6.0, 1e-12);
    EXPECT_FALSE(line.param_range().bounded());
    EXPECT_EQ(line.param_period(), 0.0);
    EXPECT_FALSE(line.periodic());
    EXPECT_TRUE(same_vector(line.eval_direction(0.0), SPAvector(0, 1, 0)));
    ExpectTransformKeepsParameters(line, rotate_transf(0.4, SPAvector(1, 1, 0)) * scale_transf(3.0) *
                                             translate_transf(SPAvector(1, 2, 3)), {-2.0, 0.0, 5.0});
    // A degenerate line answers neutral values.
    straight dot(SPAposition(1, 1, 1), SPAunit_vector(), 1.0);
    EXPECT_EQ(dot.param(SPAposition(5, 5, 5)), 0.0);
    EXPECT_TRUE(same_point(dot.eval_position(10.0), SPAposition(1, 1, 1)));
}

TEST(SpaGeometry, EllipseFieldsAndEvaluation)
{
    const ellipse e(SPAposition(1, 2, 3), SPAunit_vector(0, 0, 1), SPAvector(4, 0, 0), 0.5, 0.25);
    EXPECT_EQ(e.type(), ellipse_type);
    EXPECT_TRUE(same_point(e.centre, SPAposition(1, 2, 3)));
    EXPECT_TRUE(same_vector(e.major_axis, SPAvector(4, 0, 0)));
    EXPECT_EQ(e.radius_ratio, 0.5);
    EXPECT_EQ(e.param_off, 0.25);
    // At param_off the point is at the end of the major axis; a quarter turn later at the minor
    // axis, counter-clockwise about the normal.
    EXPECT_TRUE(same_point(e.eval_position(0.25), SPAposition(5, 2, 3)));
    EXPECT_TRUE(same_point(e.eval_position(0.25 + M_PI / 2), SPAposition(1, 4, 3)));
    EXPECT_NEAR(e.param_period(), 2 * M_PI, 1e-15);
    EXPECT_NEAR(e.param_range().start_pt(), 0.0, 0.0);
    EXPECT_NEAR(e.param_range().end_pt(), 2 * M_PI, 1e-15);

    const ellipse copy(e);  // the copy constructor keeps all five values
    EXPECT_TRUE(same_vector(copy.normal, e.normal));
    EXPECT_EQ(copy.param_off, e.param_off);

    // Circumference of a circle; of an ellipse with axes 4 and 2 (reference value 19.3768964...).
    const ellipse circle(SPAposition(), SPAunit_vector(0, 0, 1), SPAvector(0, 3, 0), 1.0, 0.0);
    EXPECT_NEAR(circle.length(0, 2 * M_PI), 6 * M_PI, 1e-10);
    EXPECT_NEAR(circle.length(2 * M_PI, 0), 6 * M_PI, 1e-10);  // never negative
    EXPECT_NEAR(e.length(0, 2 * M_PI), 19.376896441095, 1e-9);
    EXPECT_NEAR(circle.length(1.0, 1.5), 1.5, 1e-10);
    EXPECT_EQ(circle.length(kNaN, 1.0), 0.0);
}

TEST(SpaGeometry, EllipseClosestParameter)
{
    const ellipse e(SPAposition(1, 2, 3), SPAunit_vector(0, 0, 1), SPAvector(4, 0, 0), 0.5, 0.25);
    for (double t = 0.05; t < 2 * M_PI; t += 0.37) {
        const double back = e.param(e.eval_position(t));
        EXPECT_NEAR(back, t, 1e-9);
        // Off the curve, along the in-plane normal, the foot is still at t.
        const SPAvector tangent = e.eval_deriv(t);
        const SPAvector outward = normalise(tangent * SPAvector(0, 0, 1));
        EXPECT_NEAR(e.param(e.eval_position(t) + outward * 0.3 + SPAvector(0, 0, 2)), t, 1e-8);
    }
    double t = -1;
    EXPECT_TRUE(same_point(e.closest_point(SPAposition(10, 2, 3), &t), SPAposition(5, 2, 3), 1e-9));
    EXPECT_NEAR(t, 0.25, 1e-9);
}

TEST(SpaGeometry, EllipseTransformsExactly)
{
    const ellipse e(SPAposition(1, 2, 3), normalise(SPAvector(0, 1, 1)), SPAvector(3, 0, 0), 0.4, 0.7);
    const std::vector<double> params = {0.0, 0.5, 1.3, 2.9, 4.4, 6.0};
    ExpectTransformKeepsParameters(e, rotate_transf(1.1, SPAvector(1, 2, 0)) * translate_transf(SPAvector(5, 0, 0)), params);
    ExpectTransformKeepsParameters(e, scale_transf(0.5), params);
    ExpectTransformKeepsParameters(e, reflect_transf(SPAvector(1, 0, 0)), params);
    // A shear takes the ellipse to another ellipse; the parameters still follow.
    const SPAtransf shear = restore_transf(SPAmatrix(SPAvector(1, 0, 0), SPAvector(0.8, 1, 0), SPAvector(0, 0, 1)),
                                           SPAvector(), 1.0, false, false, true);
    ExpectTransformKeepsParameters(e, shear, params);
    std::unique_ptr<curve> moved(e.make_copy());
    *moved *= shear;
    const ellipse& m = static_cast<const ellipse&>(*moved);
    EXPECT_LE(m.radius_ratio, 1.0);
    EXPECT_NEAR(m.major_axis % m.minor_axis(), 0.0, 1e-9);  // principal axes again
    // The original is untouched by its copy's transform.
    EXPECT_TRUE(same_vector(e.major_axis, SPAvector(3, 0, 0)));
}

TEST(SpaGeometry, StandaloneTorus)
{
    const torus t(SPAposition(1, 0, 0), SPAunit_vector(0, 0, 1), 5.0, 1.0);
    EXPECT_EQ(t.type(), torus_type);
    EXPECT_TRUE(t.valid());
    for (double u = 0.1; u < 6.2; u += 0.9) {
        for (double v = 0.2; v < 6.2; v += 0.8) {
            const SPAposition p = t.eval_position(SPApar_pos(u, v));
            // On the tube: distance to the centre circle equals the minor radius.
            const SPAvector d = p - SPAposition(1, 0, 0);
            const double rho = std::hypot(d.x(), d.y());
            EXPECT_NEAR(std::hypot(rho - 5.0, d.z()), 1.0, 1e-12);
            // The normal points away from the centre circle.
            const SPAposition onCircle = SPAposition(1, 0, 0) + SPAvector(d.x(), d.y(), 0) * (5.0 / rho);
            EXPECT_TRUE(same_vector(t.eval_normal(SPApar_pos(u, v)), normalise(p - onCircle), 1e-12));
            const SPApar_pos back = t.param(p);
            EXPECT_NEAR(back.u, u, 1e-9);
            EXPECT_NEAR(back.v, v, 1e-9);
            SPAposition q;
            SPAvector du, dv;
            t.evaluate(SPApar_pos(u, v), q, &du, &dv);
            EXPECT_TRUE(same_vector(normalise(du * dv), t.eval_normal(SPApar_pos(u, v)), 1e-12));
        }
    }
    // v = 0 is the outer equator, u = 0 on the frame's x axis side.
    EXPECT_NEAR((t.eval_position(SPApar_pos(0, 0)) - SPAposition(1, 0, 0)).len(), 6.0, 1e-12);

    std::unique_ptr<surface> copy(t.make_copy());
    EXPECT_TRUE(same_point(copy->eval_position(SPApar_pos(1, 2)), t.eval_position(SPApar_pos(1, 2))));

    const torus bad(SPAposition(1, 2, 3), SPAunit_vector(0, 0, 1), -5.0, 1.0);
    EXPECT_FALSE(bad.valid());
    EXPECT_TRUE(same_point(bad.eval_position(SPApar_pos(1, 1)), SPAposition(1, 2, 3)));
    EXPECT_TRUE(bad.eval_normal(SPApar_pos(1, 1)).is_zero());
    EXPECT_FALSE(torus(SPAposition(), SPAunit_vector(), 5.0, 1.0).valid());
}

TEST(SpaGeometry, FaceSurfacesOfPrimitives)
{
    BodyPtr block(make_block(0, 0, 0, 2, 2, 2));
    for (FACE* f : Listed<FACE>(block.get(), get_faces)) {
        const plane& pl = static_cast<const plane&>(f->geometry()->equation());
        EXPECT_EQ(pl.type(), plane_type);
        // The plane's normal is the surface normal everywhere.
        const SPApar_pos uv = pl.param(SPAposition(1, 1, 1));
        EXPECT_TRUE(same_vector(pl.eval_normal(uv), pl.normal(), 1e-12));
        EXPECT_NEAR((pl.eval_position(uv) - pl.root_point()) % pl.normal(), 0.0, 1e-12);
    }

    BodyPtr cyl(make_cylinder(SPAposition(1, 2, 3), SPAvector(0, 0, 2), 1.5, 4.0));
    const cone& side = static_cast<const cone&>(FirstFace(cyl.get(), is_conical_face)->geometry()->equation());
    EXPECT_TRUE(side.cylinder());
    EXPECT_EQ(side.half_angle(), 0.0);
    EXPECT_NEAR(side.radius(), 1.5, 1e-12);
    EXPECT_TRUE(same_vector(side.direction(), SPAvector(0, 0, 1)));
    EXPECT_TRUE(same_point(side.root_point(), SPAposition(1, 2, 3)));

    BodyPtr pointed(make_cone(SPAposition(0, 0, 1), SPAvector(0, 0, 1), 2.0, 0.0, 4.0));
    FACE* coneFace = FirstFace(pointed.get(), is_conical_face);
    ASSERT_NE(coneFace, nullptr);
    const cone& k = static_cast<const cone&>(coneFace->geometry()->equation());
    EXPECT_FALSE(k.cylinder());
    EXPECT_TRUE(same_point(k.apex(), SPAposition(0, 0, 5), 1e-9));
    EXPECT_NEAR(std::fabs(std::tan(k.half_angle())), 0.5, 1e-12);
    EXPECT_NEAR(k.sine_angle() * k.sine_angle() + k.cosine_angle() * k.cosine_angle(), 1.0, 1e-15);

    BodyPtr ball(make_sphere(SPAposition(1, 1, 1), 3.0));
    FACE* sf = FirstFace(ball.get(), is_spherical_face);
    const sphere& s = static_cast<const sphere&>(sf->geometry()->equation());
    EXPECT_NEAR(s.radius(), 3.0, 1e-12);
    EXPECT_TRUE(same_point(s.centre(), SPAposition(1, 1, 1)));
    // Outward normals of the sphere face, and at the poles too.
    const SPAposition probes[] = {SPAposition(4, 1, 1), SPAposition(1, 1, 4), SPAposition(1, 1, -2), SPAposition(1, -2, 1)};
    for (const SPAposition& p : probes) {
        SPAunit_vector n = s.point_normal(p);
        if (sf->sense() == REVERSED) n = -n;
        EXPECT_TRUE(same_vector(n, normalise(p - SPAposition(1, 1, 1)), 1e-6));
        EXPECT_TRUE(same_point(s.eval_position(s.param(p)), p, 1e-9));
    }

    BodyPtr ring(make_torus(SPAposition(), SPAvector(0, 0, 1), 4.0, 1.0));
    const torus& tor = static_cast<const torus&>(FirstFace(ring.get(), is_toroidal_face)->geometry()->equation());
    EXPECT_NEAR(tor.major_radius(), 4.0, 1e-12);
    EXPECT_NEAR(tor.minor_radius(), 1.0, 1e-12);
    const SPAposition onTube(0, 5, 0);
    EXPECT_TRUE(same_point(tor.eval_position(tor.param(onTube)), onTube, 1e-9));
}

TEST(SpaGeometry, FreeFormCurvesOfBodies)
{
    // Two crossing cylinders of different radii meet along free-form curves.
    BodyPtr a(make_cylinder(SPAposition(0, 0, -5), SPAvector(0, 0, 1), 2.0, 10.0));
    BodyPtr b(make_cylinder(SPAposition(-5, 0, 0), SPAvector(1, 0, 0), 1.0, 10.0));
    BodyPtr both(unite_bodies(a.get(), b.get()));
    ASSERT_TRUE(both);
    int found = 0;
    for (EDGE* e : Listed<EDGE>(both.get(), get_edges)) {
        if (e->geometry() == nullptr || e->geometry()->equation().type() != intcurve_type) continue;
        ++found;
        const curve& c = e->geometry()->equation();
        EXPECT_STREQ(c.type_name(), "intcurve");
        const SPAinterval r = e->param_range();
        ASSERT_TRUE(r.bounded());
        EXPECT_TRUE(same_point(c.eval_position(r.start_pt()), e->start()->position(), 1e-6));
        for (int i = 0; i <= 4; ++i) {
            const double t = r.start_pt() + r.length() * i / 4.0;
            const SPAposition p = c.eval_position(t);
            // On both cylinders.
            EXPECT_NEAR(std::hypot(p.x(), p.y()), 2.0, 1e-5);
            EXPECT_NEAR(std::hypot(p.y(), p.z()), 1.0, 1e-5);
            // The closest parameter finds the point again (the ends of a closed curve are one point).
            EXPECT_TRUE(same_point(c.eval_position(c.param(p)), p, 1e-6));
            if (i > 0 && i < 4) {
                EXPECT_NEAR(c.param(p), t, 1e-6 * std::max(1.0, r.length()));
            }
        }
        EXPECT_GT(c.length(r.start_pt(), r.end_pt()), 0.0);
        ExpectTransformKeepsParameters(c, rotate_transf(0.3, SPAvector(0, 1, 0)) * translate_transf(SPAvector(1, 1, 1)),
                                       {r.start_pt(), r.mid_pt(), r.end_pt()});
        const SPAtransf shear = restore_transf(SPAmatrix(SPAvector(1, 0.5, 0), SPAvector(0, 1, 0), SPAvector(0, 0, 1)),
                                               SPAvector(), 1.0, false, false, true);
        ExpectTransformKeepsParameters(c, shear, {r.start_pt(), r.mid_pt(), r.end_pt()});
        ExpectTransformKeepsParameters(c, reflect_transf(SPAvector(1, 1, 0)) * scale_transf(2.0),
                                       {r.start_pt(), r.mid_pt(), r.end_pt()});
    }
    EXPECT_GT(found, 0);
}

TEST(SpaGeometry, FreeEdgesOwnTheirGeometry)
{
    const ellipse arc(SPAposition(), SPAunit_vector(0, 0, 1), SPAvector(2, 0, 0), 1.0, 0.0);
    EDGE* e = new EDGE(arc, SPAinterval(0.0, M_PI / 2));
    EXPECT_TRUE(is_toplevel(e));
    EXPECT_EQ(e->coedge(), nullptr);
    ASSERT_NE(e->geometry(), nullptr);
    EXPECT_EQ(e->geometry()->owner(), e);
    EXPECT_TRUE(is_elliptical_edge(e));
    EXPECT_TRUE(same_point(e->start()->position(), SPAposition(2, 0, 0)));
    EXPECT_TRUE(same_point(e->end()->position(), SPAposition(0, 2, 0)));
    EXPECT_EQ(e->start()->edge(), e);
    ENTITY* owner = nullptr;
    ASSERT_TRUE(api_get_owner(e->end(), owner).ok());
    EXPECT_EQ(owner, e);
    EXPECT_EQ(e->get_convexity(), EDGE_cvty_unknown);
    e->end()->lose();  // owned by the edge: ignored
    e->lose();

    // A full circle: one vertex at both ends; an unbounded range falls back to the curve's.
    EDGE* full = new EDGE(arc, SPAinterval());
    EXPECT_EQ(full->start(), full->end());
    EXPECT_NEAR(full->param_range().length(), 2 * M_PI, 1e-15);
    full->lose();

    EDGE* line = new EDGE(straight(), SPAinterval::infinite());
    EXPECT_EQ(line->param_range().length(), 1.0);
    line->lose();

    // CURVE and SURFACE entities copy their equations.
    CURVE* c = new CURVE(arc);
    EXPECT_TRUE(is_toplevel(c));
    EXPECT_EQ(c->equation().type(), ellipse_type);
    c->lose();
    SURFACE* s = new SURFACE(torus(SPAposition(), SPAunit_vector(0, 0, 1), 3, 1));
    EXPECT_EQ(s->equation().type(), torus_type);
    s->lose();
}

// Parameters and points that are not numbers have no answer; closed-form curves answer nothing
// made up either.
TEST(SpaGeometry, NonFiniteInputToKernelGeometryRaisesBadArgument)
{
    BodyPtr body(make_cylinder(SPAposition(), SPAvector(0, 0, 1), 1.0, 2.0));
    ASSERT_TRUE(body);
    const FACE* side = FirstFace(body.get(), is_cylindrical_face);
    ASSERT_NE(side, nullptr);
    const surface& s = side->geometry()->equation();
    EXPECT_EQ(RaisedError([&] { s.eval_position(SPApar_pos(kNaN, 0.0)); }), BAD_ARGUMENT);
    EXPECT_EQ(RaisedError([&] { s.eval_normal(SPApar_pos(0.0, kNaN)); }), BAD_ARGUMENT);
    EXPECT_EQ(RaisedError([&] { s.param(SPAposition(kNaN, 0, 0)); }), BAD_ARGUMENT);

    const torus ring(SPAposition(), SPAunit_vector(0, 0, 1), 5.0, 1.0);
    EXPECT_EQ(RaisedError([&] { ring.eval_position(SPApar_pos(kNaN, 0.0)); }), BAD_ARGUMENT);
    EXPECT_EQ(RaisedError([&] { ring.eval_normal(SPApar_pos(0.0, kNaN)); }), BAD_ARGUMENT);
    // An invalid torus keeps its documented neutral answers.
    const torus bad(SPAposition(1, 2, 3), SPAunit_vector(0, 0, 1), -1.0, 1.0);
    EXPECT_TRUE(same_point(bad.eval_position(SPApar_pos(kNaN, 0.0)), SPAposition(1, 2, 3)));

    const ellipse circle;
    EXPECT_EQ(RaisedError([&] { circle.param(SPAposition(kNaN, 0, 0)); }), BAD_ARGUMENT);
}
