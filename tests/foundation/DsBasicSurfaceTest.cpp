// Basic surfaces: bound boxes, extremes, defaults and setters that must not leave a stale box.
#include "DsBasicSurface.h"

#include "BoxCorners.h"

#include <GmPosition.h>

#include <gtest/gtest.h>

namespace {

// The surface's bound box, which it must have.
::testing::AssertionResult HasBox(CDsBasicSurface& surface, float x0, float y0, float z0, float x1, float y1,
                                  float z1)
{
    CDsBox box;
    if (!surface.GetBoundBox(box)) return ::testing::AssertionFailure() << "no bound box";
    return vyrtest::HasCorners(box, x0, y0, z0, x1, y1, z1);
}

}  // namespace

TEST(DsBasicSurfaceTest, BoundBoxesOfEveryKind)
{
    CDsSphere sphere(5);
    EXPECT_TRUE(HasBox(sphere, -5, -5, -5, 5, 5, 5));
    CDsCylinder down(2, -7);
    EXPECT_TRUE(HasBox(down, -2, -2, -7, 2, 2, 0));
    CDsCone cone(1, 3, 4);  // the larger radius wins
    EXPECT_TRUE(HasBox(cone, -3, -3, 0, 3, 3, 4));
    CDsNBox box(2, 4, 6);
    EXPECT_TRUE(HasBox(box, -1, -2, -3, 1, 2, 3));
    CDsDisk disk(1, 6);
    EXPECT_TRUE(HasBox(disk, -6, -6, 0, 6, 6, 0));
    CDsTorus torus(10, 1);
    EXPECT_TRUE(HasBox(torus, -11, -11, -1, 11, 11, 1));
    CDsTorus thin(10, 0);
    EXPECT_TRUE(HasBox(thin, -10, -10, -10, 10, 10, 0));
}

TEST(DsBasicSurfaceTest, DefaultsAndTypes)
{
    CDsSphere sphere;
    EXPECT_EQ(sphere.GetRadius(), 10.0f);
    EXPECT_EQ(sphere.GetType(), eDsQuadSphere);
    CDsCylinder cylinder;
    EXPECT_EQ(cylinder.GetHeight(), 20.0f);
    EXPECT_EQ(cylinder.GetType(), eDsQuadCylinder);
    CDsCone cone;
    EXPECT_EQ(cone.GetTopRadius(), 1.0f);
    EXPECT_EQ(cone.GetType(), eDsQuadCone);
    CDsNBox box;
    float x, y, z;
    box.GetSize(x, y, z);
    EXPECT_EQ(z, 10.0f);
    EXPECT_EQ(box.GetType(), eDsQuadBox);
    CDsDisk disk;
    EXPECT_EQ(disk.GetInnerRadius(), 2.0f);
    EXPECT_EQ(disk.GetType(), eDsQuadDisk);

    CDsTorus torus;
    EXPECT_EQ(torus.GetType(), eDsQuadTorus);
    EXPECT_EQ(torus.GetInnerRadius(), 10.0f);
    EXPECT_EQ(torus.GetOuterRadius(), 1.0f);
    float p1, p2, s1, s2;
    torus.GetPeriods(p1, p2);
    EXPECT_FLOAT_EQ(p1, 6.2831855f);
    EXPECT_FLOAT_EQ(p2, 6.2831855f);
    torus.SetPeriods(3.0f);
    torus.SetStart(0.5f);
    torus.GetPeriods(p1, p2);
    torus.GetStarts(s1, s2);
    EXPECT_EQ(p1, 3.0f);
    EXPECT_FLOAT_EQ(p2, 6.2831855f);
    EXPECT_EQ(s1, 0.5f);
    EXPECT_EQ(s2, 0.0f);
    torus.ResetMembers();
    EXPECT_EQ(torus.GetInnerRadius(), 1.0f);
    EXPECT_EQ(torus.GetOuterRadius(), 10.0f);
    torus.GetStarts(s1, s2);
    EXPECT_EQ(s1, 0.0f);
}

TEST(DsBasicSurfaceTest, ExtremesAreOppositeCorners)
{
    CGmPosition a, b;
    CDsCylinder(3, 8).GetExtremes(a, b);
    EXPECT_DOUBLE_EQ(a.x(), 3);
    EXPECT_DOUBLE_EQ(a.z(), 8);
    EXPECT_DOUBLE_EQ(b.x(), -3);
    EXPECT_DOUBLE_EQ(b.z(), 0);
    CDsTorus(10, 1).GetExtremes(a, b);
    EXPECT_DOUBLE_EQ(a.x(), 12);
    EXPECT_DOUBLE_EQ(a.z(), 1);
    EXPECT_DOUBLE_EQ(b.y(), -12);
    EXPECT_DOUBLE_EQ(b.z(), -1);
    CDsNBox(2, 4, 6).GetExtremes(a, b);
    EXPECT_DOUBLE_EQ(a.y(), 2);
    EXPECT_DOUBLE_EQ(b.z(), -3);
}

TEST(DsBasicSurfaceTest, SettersMeasureTheNewSizes)
{
    CDsSphere sphere(5);
    EXPECT_TRUE(HasBox(sphere, -5, -5, -5, 5, 5, 5));
    sphere.SetRadius(8);
    EXPECT_TRUE(HasBox(sphere, -8, -8, -8, 8, 8, 8));

    CDsCone cone(1, 1, 1);
    EXPECT_TRUE(HasBox(cone, -1, -1, 0, 1, 1, 1));
    cone.SetTopRadius(4);
    cone.SetHeight(-2);
    EXPECT_TRUE(HasBox(cone, -4, -4, -2, 4, 4, 0));

    CDsNBox box(2, 2, 2);
    EXPECT_TRUE(HasBox(box, -1, -1, -1, 1, 1, 1));
    box.SetSize(4, 6, 8);
    EXPECT_TRUE(HasBox(box, -2, -3, -4, 2, 3, 4));

    CDsTorus torus(10, 1);
    EXPECT_TRUE(HasBox(torus, -11, -11, -1, 11, 11, 1));
    torus.SetOuterRadius(2);
    EXPECT_TRUE(HasBox(torus, -12, -12, -2, 12, 12, 2));

    CDsDisk disk(1, 2);
    EXPECT_TRUE(HasBox(disk, -2, -2, 0, 2, 2, 0));
    disk.SetOuterRadius(3);
    EXPECT_TRUE(HasBox(disk, -3, -3, 0, 3, 3, 0));

    CDsCylinder cylinder(1, 1);
    EXPECT_TRUE(HasBox(cylinder, -1, -1, 0, 1, 1, 1));
    cylinder.SetRadius(2);
    EXPECT_TRUE(HasBox(cylinder, -2, -2, 0, 2, 2, 1));
}

TEST(DsBasicSurfaceTest, CopiesCarrySizesAndBox)
{
    CDsCylinder a(3, 4);
    CDsBox box;
    a.GetBoundBox(box);
    CDsCylinder b(a);
    EXPECT_EQ(b.GetRadius(), 3.0f);
    EXPECT_TRUE(HasBox(b, -3, -3, 0, 3, 3, 4));
    CDsCylinder c;
    c = a;
    EXPECT_EQ(c.GetHeight(), 4.0f);
    EXPECT_TRUE(HasBox(c, -3, -3, 0, 3, 3, 4));
}
