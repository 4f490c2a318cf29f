// CDsMatrix without OpenGL: the two forms, products, copies and the view's model transform.
#include "DsMatrix.h"
#include "DsVertices.h"

#include <SpaValues.h>
#include <view3d.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

SPAtransf ScaleTwoMoveOneTwoThree()
{
    return scale_transf(2.0) * translate_transf(SPAvector(1, 2, 3));
}

SPAposition Apply(const CDsMatrix& m, const SPAposition& p)
{
    return p * m.GetTransformation();
}

// p through the float form (column order, column vectors).
SPAposition ApplyFloats(const float* m, const SPAposition& p)
{
    const double v[4] = {p.x(), p.y(), p.z(), 1.0};
    double out[3];
    for (int r = 0; r < 3; ++r) out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r] * v[3];
    return SPAposition(out[0], out[1], out[2]);
}

void ExpectNear(const SPAposition& a, const SPAposition& b)
{
    EXPECT_NEAR(a.x(), b.x(), 1e-5);
    EXPECT_NEAR(a.y(), b.y(), 1e-5);
    EXPECT_NEAR(a.z(), b.z(), 1e-5);
}

class TestVertices : public CDsVertices {
public:
    int GetGeometryKind() const override { return 7; }
};

}  // namespace

TEST(DsMatrixTest, DefaultIsTheSharedIdentityWithoutStorage)
{
    const CDsMatrix m;
    EXPECT_TRUE(m.IsIdentity());
    EXPECT_EQ(&m.GetTransformation(), &CDsMatrix::StIdentity());
    EXPECT_EQ(m.GetMatrix(), nullptr);
}

TEST(DsMatrixTest, FloatFormFollowsTheTransform)
{
    CDsMatrix m;
    m.SetTransformation(ScaleTwoMoveOneTwoThree());
    ASSERT_NE(m.GetMatrix(), nullptr);
    const float* f = m.GetMatrix();
    EXPECT_FLOAT_EQ(f[0], 2.0f);
    EXPECT_FLOAT_EQ(f[5], 2.0f);
    EXPECT_FLOAT_EQ(f[10], 2.0f);
    EXPECT_FLOAT_EQ(f[12], 1.0f);
    EXPECT_FLOAT_EQ(f[13], 2.0f);
    EXPECT_FLOAT_EQ(f[14], 3.0f);
    EXPECT_FLOAT_EQ(f[15], 1.0f);
    EXPECT_FLOAT_EQ(f[3], 0.0f);
    EXPECT_FALSE(m.IsIdentity());

    // A rotation: both forms move a point to the same place.
    CDsMatrix r;
    r.SetTransformation(rotate_transf(0.7, SPAvector(1, 2, 3)) * translate_transf(SPAvector(4, 5, 6)));
    const SPAposition p(1, -2, 0.5);
    ExpectNear(ApplyFloats(r.GetMatrix(), p), Apply(r, p));
}

TEST(DsMatrixTest, MultiplyAppliesTheStoredTransformFirst)
{
    CDsMatrix m;
    m.SetTransformation(rotate_transf(M_PI / 2, SPAvector(0, 0, 1)));
    m.Multiply(translate_transf(SPAvector(10, 0, 0)));
    // Rotated first: (1, 0, 0) -> (0, 1, 0) -> (10, 1, 0).
    ExpectNear(Apply(m, SPAposition(1, 0, 0)), SPAposition(10, 1, 0));
    ExpectNear(ApplyFloats(m.GetMatrix(), SPAposition(1, 0, 0)), SPAposition(10, 1, 0));

    CDsMatrix fresh;
    fresh.Multiply(translate_transf(SPAvector(0, 0, 1)));
    ExpectNear(Apply(fresh, SPAposition()), SPAposition(0, 0, 1));
}

TEST(DsMatrixTest, FloatOnlyOperationsLeaveTheTransform)
{
    CDsMatrix m;
    m.SetTransformation(ScaleTwoMoveOneTwoThree());
    float before[16];
    for (int i = 0; i < 16; ++i) before[i] = m.GetMatrix()[i];

    m.Transpose();
    EXPECT_FLOAT_EQ(m.GetMatrix()[3], 1.0f);
    EXPECT_FLOAT_EQ(m.GetMatrix()[12], 0.0f);
    m.Transpose();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.GetMatrix()[i], before[i]);

    const CDsMatrix identity;
    m.PreMultiply(identity);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.GetMatrix()[i], before[i]);

    CDsMatrix move;
    move.SetTransformation(translate_transf(SPAvector(0, 0, 10)));
    m.PreMultiply(move);  // float form: move x m, so m first, then the move
    ExpectNear(ApplyFloats(m.GetMatrix(), SPAposition(1, 1, 1)), SPAposition(3, 4, 15));
    // The modeler form is unchanged by the float products.
    ExpectNear(Apply(m, SPAposition(1, 1, 1)), SPAposition(3, 4, 5));

    m.CopyTransform(SPAtransf());
    EXPECT_FLOAT_EQ(m.GetMatrix()[14], 13.0f);  // floats untouched
}

TEST(DsMatrixTest, AMatrixSetOnlyByFloatsIsAPlacement)
{
    const float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    CDsMatrix m;
    m.SetMatrix(moved);
    EXPECT_FALSE(m.IsIdentity());

    // The view is told about it...
    view3d view;
    m.SetToView(view);
    EXPECT_EQ(view.get_model_transform_depth(), 1);
    ExpectNear(SPAposition(1, 1, 1) * view.get_model_transform(), SPAposition(6, 7, 8));
    m.ResetView(view);
    EXPECT_EQ(view.get_model_transform_depth(), 0);

    // ...and products build on it.
    m.Multiply(translate_transf(SPAvector(1, 0, 0)));
    ExpectNear(Apply(m, SPAposition()), SPAposition(6, 6, 7));

    m.SetIdentity();
    EXPECT_TRUE(m.IsIdentity());
    m.SetMatrix(nullptr);
    EXPECT_TRUE(m.IsIdentity());
}

TEST(DsMatrixTest, CopiesIntoMatricesWithoutStorage)
{
    CDsMatrix source;
    source.SetTransformation(ScaleTwoMoveOneTwoThree());

    CDsMatrix assigned;  // never allocated: assignment makes its storage
    assigned = source;
    ASSERT_NE(assigned.GetMatrix(), nullptr);
    EXPECT_FLOAT_EQ(assigned.GetMatrix()[13], 2.0f);
    ExpectNear(Apply(assigned, SPAposition(1, 1, 1)), SPAposition(3, 4, 5));

    const CDsMatrix copied(source);
    EXPECT_NE(copied.GetMatrix(), source.GetMatrix());
    EXPECT_FLOAT_EQ(copied.GetMatrix()[0], 2.0f);

    // Copying an empty matrix gives the identity, not garbage.
    CDsMatrix target;
    target.SetTransformation(ScaleTwoMoveOneTwoThree());
    target.Copy(CDsMatrix());
    EXPECT_TRUE(target.IsIdentity());

    target = target;  // self-assignment keeps the matrix
    EXPECT_TRUE(target.IsIdentity());

    source.Free();
    EXPECT_TRUE(source.IsIdentity());
    EXPECT_EQ(source.GetMatrix(), nullptr);
    EXPECT_FALSE(copied.IsIdentity());
}

TEST(DsMatrixTest, IdentityTouchesNoView)
{
    view3d view;
    CDsMatrix m;
    m.SetToView(view);
    EXPECT_EQ(view.get_model_transform_depth(), 0);
    m.SetIdentity();
    m.SetToView(view);
    EXPECT_EQ(view.get_model_transform_depth(), 0);
}

TEST(DsVerticesTest, CopiesItsCount)
{
    TestVertices a;
    EXPECT_EQ(a.GetVertexCount(), 0);
    a.SetVertexCount(12);
    TestVertices b(a);
    EXPECT_EQ(b.GetVertexCount(), 12);
    TestVertices c;
    c = a;
    EXPECT_EQ(c.GetVertexCount(), 12);
    c.SetVertexCount(-3);
    EXPECT_EQ(c.GetVertexCount(), 0);
    const IDsGeometry& geometry = c;
    EXPECT_EQ(geometry.GetGeometryKind(), 7);
}
