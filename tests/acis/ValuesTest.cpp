// Values of the modeler: vector algebra, intervals, boxes, matrices and transforms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SpaValues.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectPos(const SPAposition& p, double x, double y, double z, double tol = 1e-12)
{
    EXPECT_NEAR(p.x(), x, tol);
    EXPECT_NEAR(p.y(), y, tol);
    EXPECT_NEAR(p.z(), z, tol);
}

void ExpectVec(const SPAvector& v, double x, double y, double z, double tol = 1e-12)
{
    EXPECT_NEAR(v.x(), x, tol);
    EXPECT_NEAR(v.y(), y, tol);
    EXPECT_NEAR(v.z(), z, tol);
}

}  // namespace

TEST(SpaValues, VectorAlgebra)
{
    const SPAvector x(1, 0, 0), y(0, 1, 0);
    ExpectVec(x * y, 0, 0, 1);  // cross product
    EXPECT_DOUBLE_EQ(SPAvector(1, 2, 3) % SPAvector(4, 5, 6), 32.0);
    ExpectVec(-SPAvector(1, -2, 3), -1, 2, -3);
    ExpectVec(2.0 * SPAvector(1, 2, 3) - SPAvector(1, 1, 1), 1, 3, 5);
    ExpectVec(SPAposition(4, 5, 6) - SPAposition(1, 1, 1), 3, 4, 5);
    ExpectPos(SPAposition(1, 1, 1) + SPAvector(1, 2, 3), 2, 3, 4);
    EXPECT_DOUBLE_EQ(SPAvector(3, 4, 0).len(), 5.0);
    const SPAunit_vector u = normalise(SPAvector(0, 3, 4));
    ExpectVec(u, 0, 0.6, 0.8);
    // A zero vector has no direction: normalising answers the zero vector, never NaN.
    const SPAunit_vector zero = normalise(SPAvector());
    ExpectVec(zero, 0, 0, 0);
    ExpectVec(SPAunit_vector(kNaN, 0, 0), 0, 0, 0);
    ExpectVec(SPAvector(1, 2, 3) / 0.0, 0, 0, 0);
}

TEST(SpaValues, ComparisonsUseResolution)
{
    EXPECT_TRUE(same_point(SPAposition(1, 1, 1), SPAposition(1, 1, 1 + 0.5 * SPAresabs)));
    EXPECT_FALSE(same_point(SPAposition(1, 1, 1), SPAposition(1, 1, 1 + 2 * SPAresabs)));
    EXPECT_TRUE(same_point(SPAposition(0, 0, 0), SPAposition(5e-5, 0, 0), 1e-4));
    EXPECT_TRUE(same_vector(SPAvector(1, 0, 0), SPAvector(1, 1e-7, 0)));
    EXPECT_FALSE(is_positive(0.5 * SPAresabs));
    EXPECT_TRUE(is_positive(2 * SPAresabs));
    EXPECT_FALSE(is_less_than(1.0, 1.0 + 0.5 * SPAresabs));
    EXPECT_TRUE(is_less_than(1.0, 1.0 + 2 * SPAresabs));
    EXPECT_TRUE(is_zero(-0.5 * SPAresabs));
    EXPECT_TRUE(is_equal(2.0, 2.0 + 0.5 * SPAresabs));
    EXPECT_DOUBLE_EQ(SPAresabs, 1e-6);
    EXPECT_DOUBLE_EQ(SPAresnor, 1e-10);
    EXPECT_LT(SPAresmch, SPAresnor);
}

TEST(SpaValues, AngleBetweenIsUnsigned)
{
    const SPAunit_vector x(1, 0, 0), y(0, 1, 0);
    EXPECT_NEAR(angle_between(x, y), M_PI / 2, 1e-15);
    EXPECT_NEAR(angle_between(y, x), M_PI / 2, 1e-15);
    EXPECT_NEAR(angle_between(x, -x), M_PI, 1e-15);
    EXPECT_NEAR(angle_between(x, x), 0.0, 1e-15);
    EXPECT_NEAR(angle_between(x, SPAunit_vector(1, 1e-9, 0)), 1e-9, 1e-15);  // accurate near 0
    EXPECT_EQ(angle_between(x, SPAunit_vector()), 0.0);
}

TEST(SpaValues, LineAndPlane)
{
    double t = -1.0;
    SPAposition hit;
    ASSERT_TRUE(intersect_line_plane(SPAposition(1, 2, 10), SPAvector(0, 0, -2), SPAposition(0, 0, 4),
                                     SPAunit_vector(0, 0, 1), t, hit));
    EXPECT_NEAR(t, 3.0, 1e-12);  // measured in units of the direction given
    ExpectPos(hit, 1, 2, 4);

    // Parallel lines and zero directions leave the outputs alone.
    t = 7.0;
    hit = SPAposition(9, 9, 9);
    EXPECT_FALSE(intersect_line_plane(SPAposition(0, 0, 1), SPAvector(1, 0, 0), SPAposition(), SPAunit_vector(0, 0, 1), t, hit));
    EXPECT_FALSE(intersect_line_plane(SPAposition(0, 0, 1), SPAvector(), SPAposition(), SPAunit_vector(0, 0, 1), t, hit));
    EXPECT_FALSE(intersect_line_plane(SPAposition(0, 0, 1), SPAvector(0, 0, 1), SPAposition(), SPAunit_vector(), t, hit));
    EXPECT_EQ(t, 7.0);
    ExpectPos(hit, 9, 9, 9);

    ExpectPos(proj_pt_to_plane(SPAposition(3, 4, 5), SPAposition(0, 0, 1), SPAunit_vector(0, 0, 1)), 3, 4, 1);
    ExpectPos(proj_pt_to_plane(SPAposition(3, 4, 5), SPAposition(), SPAunit_vector()), 3, 4, 5);
}

TEST(SpaValues, Intervals)
{
    const SPAinterval empty;
    EXPECT_TRUE(empty.empty());
    EXPECT_FALSE(empty.bounded());
    EXPECT_EQ(empty.length(), 0.0);

    const SPAinterval r(5.0, 2.0);  // ends in any order
    EXPECT_EQ(r.start_pt(), 2.0);
    EXPECT_EQ(r.end_pt(), 5.0);
    EXPECT_TRUE(r.bounded());
    EXPECT_EQ(r.length(), 3.0);
    EXPECT_EQ(r.mid_pt(), 3.5);
    const SPAinterval n = -r;
    EXPECT_EQ(n.start_pt(), -5.0);
    EXPECT_EQ(n.end_pt(), -2.0);
    EXPECT_TRUE(r.contains(2.0));
    EXPECT_FALSE(r.contains(1.9));

    SPAinterval u = empty;
    u |= r;
    EXPECT_EQ(u.start_pt(), 2.0);
    u |= SPAinterval();  // neutral
    u |= 7.0;
    EXPECT_EQ(u.end_pt(), 7.0);

    const SPAinterval inf = SPAinterval::infinite();
    EXPECT_FALSE(inf.bounded());
    EXPECT_FALSE(inf.bounded_below());
    EXPECT_EQ(inf.length(), HUGE_VAL);
    EXPECT_TRUE(SPAinterval(kNaN, 1.0).empty());

    const SPAparameter p = 2.5;
    EXPECT_EQ(static_cast<double>(-p), -2.5);
}

TEST(SpaValues, BoxesStartEmptyAndWiden)
{
    SPAbox box;
    EXPECT_TRUE(box.empty());
    box |= SPAbox();  // an empty box is neutral
    EXPECT_TRUE(box.empty());
    box |= SPAposition(1, 2, 3);
    EXPECT_FALSE(box.empty());
    ExpectPos(box.low(), 1, 2, 3);
    ExpectPos(box.high(), 1, 2, 3);
    box |= SPAbox(SPAposition(4, 0, 5), SPAposition(2, 1, 4));
    ExpectPos(box.low(), 1, 0, 3);
    ExpectPos(box.high(), 4, 2, 5);
    box |= SPAposition(kNaN, 100, 100);  // points that are not numbers are ignored
    ExpectPos(box.high(), 4, 2, 5);
    EXPECT_TRUE(box.contains(SPAposition(2, 1, 4)));
    EXPECT_FALSE(box.contains(SPAposition(0, 1, 4)));
    ExpectPos(box.mid(), 2.5, 1, 4);
}

TEST(SpaValues, Matrices)
{
    const SPAmatrix m(SPAvector(2, 0, 0), SPAvector(1, 3, 0), SPAvector(0, 0, 4));
    EXPECT_DOUBLE_EQ(m.determinant(), 24.0);
    ExpectVec(m.row(1), 1, 3, 0);
    ExpectVec(m.column(0), 2, 1, 0);
    ExpectVec(m.transpose().row(0), 2, 1, 0);
    EXPECT_TRUE((m * m.inverse()).is_identity(1e-12));
    ExpectVec(SPAvector(1, 1, 1) * m, 3, 3, 4);  // row vector times matrix
    // A singular matrix has no inverse: the identity is the neutral answer.
    const SPAmatrix singular(SPAvector(1, 2, 3), SPAvector(2, 4, 6), SPAvector(0, 0, 1));
    EXPECT_TRUE(singular.inverse().is_identity());
    EXPECT_EQ(m.element(5, 0), 0.0);
}

TEST(SpaValues, TransformsComposeInRowVectorOrder)
{
    const SPAtransf rot = rotate_transf(M_PI / 2, SPAvector(0, 0, 1));
    const SPAtransf move = translate_transf(SPAvector(1, 0, 0));
    // rot * move: rotate first, then translate.
    ExpectPos(SPAposition(1, 0, 0) * (rot * move), 1, 1, 0);
    // move * rot: translate first, then rotate.
    ExpectPos(SPAposition(1, 0, 0) * (move * rot), 0, 2, 0);
    // Composing step by step gives the same as the product.
    SPAposition p(0.3, -2, 5);
    p *= rot;
    p *= move;
    const SPAposition q = SPAposition(0.3, -2, 5) * (rot * move);
    EXPECT_TRUE(same_point(p, q, 1e-12));
    // Directions ignore the translation.
    ExpectVec(SPAvector(1, 0, 0) * (rot * move), 0, 1, 0);
    SPAtransf acc = rot;
    acc *= move;
    EXPECT_TRUE(same_point(SPAposition(2, 3, 4) * acc, SPAposition(2, 3, 4) * (rot * move), 1e-12));
    EXPECT_TRUE(rot.rotate());
    EXPECT_FALSE(rot.identity());
    EXPECT_TRUE(SPAtransf().identity());
}

TEST(SpaValues, TransformTimesInverseIsIdentity)
{
    const SPAtransf t = rotate_transf(0.7, SPAvector(1, 2, 3)) * scale_transf(2.5) *
                        translate_transf(SPAvector(-4, 5, 6)) * reflect_transf(SPAvector(0, 1, 1));
    EXPECT_TRUE(t.reflect());
    EXPECT_NEAR(t.scaling(), 2.5, 1e-12);
    EXPECT_TRUE((t * t.inverse()).identity());
    EXPECT_TRUE((t.inverse() * t).identity());
    const SPAposition p(1.5, -2, 7);
    EXPECT_TRUE(same_point(p * t * t.inverse(), p, 1e-9));

    // A shear has an inverse too.
    const SPAtransf shear = restore_transf(SPAmatrix(SPAvector(1, 0.5, 0), SPAvector(0, 1, 0), SPAvector(0, 0, 2)),
                                           SPAvector(1, 1, 1), 1.0, false, false, true);
    EXPECT_TRUE(shear.shear());
    EXPECT_TRUE((shear * shear.inverse()).identity());
}

TEST(SpaValues, RestoreTransfKeepsAffineAndScaleApart)
{
    // The affine part read back row by row is what went in; a uniformly scaled rotation hands
    // its size to scaling(), so s x affine + translation reproduces the map.
    const SPAmatrix rot = rotate_transf(0.3, SPAvector(0, 0, 1)).affine();
    const SPAmatrix scaled(rot.row(0) * 3.0, rot.row(1) * 3.0, rot.row(2) * 3.0);
    const SPAtransf t = restore_transf(scaled, SPAvector(1, 2, 3));
    EXPECT_NEAR(t.scaling(), 3.0, 1e-12);
    for (int i = 0; i < 3; ++i) ExpectVec(t.affine().row(i), rot.row(i).x(), rot.row(i).y(), rot.row(i).z());
    ExpectVec(t.translation(), 1, 2, 3);
    EXPECT_FALSE(t.shear());
    const SPAposition p(1, 1, 1);
    const SPAvector expect = SPAvector(1, 1, 1) * scaled + SPAvector(1, 2, 3);
    ExpectPos(p * t, expect.x(), expect.y(), expect.z(), 1e-12);
}

TEST(SpaValues, DegenerateTransformsAreTheIdentity)
{
    EXPECT_TRUE(scale_transf(0.0).identity());
    EXPECT_TRUE(scale_transf(-2.0).identity());
    EXPECT_TRUE(scale_transf(kNaN).identity());
    EXPECT_TRUE(rotate_transf(1.0, SPAvector()).identity());
    EXPECT_TRUE(rotate_transf(kNaN, SPAvector(0, 0, 1)).identity());
    EXPECT_TRUE(reflect_transf(SPAvector()).identity());
    const SPAmatrix singular(SPAvector(1, 0, 0), SPAvector(1, 0, 0), SPAvector(0, 0, 1));
    EXPECT_TRUE(restore_transf(singular, SPAvector()).identity());
    EXPECT_TRUE(restore_transf(SPAmatrix(), SPAvector(kNaN, 0, 0)).identity());
    EXPECT_TRUE(translate_transf(SPAvector()).identity());
}

// A transform made from input that describes none says so, and so does everything composed with
// it; the identity made on purpose, and every proper transform, are valid.
TEST(SpaValues, DegenerateTransformsAreNotValidAndNeitherIsWhatTheyCompose)
{
    const SPAmatrix singular(SPAvector(1, 0, 0), SPAvector(1, 0, 0), SPAvector(0, 0, 1));
    const SPAtransf move = translate_transf(SPAvector(1, 2, 3));
    for (const SPAtransf& bad : {scale_transf(0.0), scale_transf(-2.0), scale_transf(kNaN), rotate_transf(1.0, SPAvector()),
                                 rotate_transf(kNaN, SPAvector(0, 0, 1)), reflect_transf(SPAvector()),
                                 restore_transf(singular, SPAvector()), restore_transf(SPAmatrix(), SPAvector(), 0.0),
                                 restore_transf(SPAmatrix(), SPAvector(kNaN, 0, 0)), translate_transf(SPAvector(0, kNaN, 0))}) {
        EXPECT_FALSE(bad.valid());
        EXPECT_FALSE((move * bad).valid());
        EXPECT_FALSE((bad * move).valid());
        EXPECT_FALSE(bad.inverse().valid());
    }
    for (const SPAtransf& good : {SPAtransf(), translate_transf(SPAvector()), move, scale_transf(2.0),
                                  rotate_transf(0.5, SPAvector(0, 0, 1)), reflect_transf(SPAvector(1, 0, 0)),
                                  move * scale_transf(0.5), move.inverse()})
        EXPECT_TRUE(good.valid());
}
