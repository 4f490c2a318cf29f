// The algorithm library's triangulation: blocks of 4,096 entries, the triangle walk across blocks,
// refused indices, normals by winding, the bounding box and deep copies.
#include "ZOVOvivavUrezezovovaza.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using V = VOREvu3v<float>;

TEST(Triangulation, VerticesAndTrianglesSpanBlocksAndTheWalkVisitsEveryTriangleInOrder)
{
    ZOVOvivavUrezezovovaza set;
    const int n = 2 * ZOVOvivavUrezezovovaza::kBlockSize + 5;
    for (int i = 0; i < n; ++i) ASSERT_EQ(set.AddVertex(V(float(i), 0, 0)), i);
    EXPECT_EQ(set.GetVerticesCount(), n);
    EXPECT_EQ(set.GetVertex(4096).x, 4096.0f);  // the first entry of the second block
    EXPECT_EQ(set.GetVertex(n - 1).x, float(n - 1));
    for (int t = 0; t + 2 < n; ++t) ASSERT_EQ(set.AddTriangle(t, t + 1, t + 2), t);

    int expected = 0;
    for (auto it = set.BeginTriangles(); it != set.EndTriangles(); ++it, ++expected) {
        ASSERT_EQ(it.GetIndex(), expected);
        ASSERT_EQ(it->v[0], expected);
        ASSERT_EQ((*it).v[2], expected + 2);
    }
    EXPECT_EQ(expected, set.GetTrianglesCount());
    EXPECT_EQ(expected, n - 2);
}

TEST(Triangulation, TrianglesNamingNoVertexAreRefused)
{
    ZOVOvivavUrezezovovaza set;
    set.AddVertex(V(0, 0, 0));
    set.AddVertex(V(1, 0, 0));
    set.AddVertex(V(0, 1, 0));
    EXPECT_EQ(set.AddTriangle(0, 1, 3), -1);
    EXPECT_EQ(set.AddTriangle(-1, 1, 2), -1);
    EXPECT_EQ(set.GetTrianglesCount(), 0);
    EXPECT_EQ(set.AddTriangle(0, 1, 2), 0);
    EXPECT_TRUE(set.BeginTriangles() != set.EndTriangles());
}

TEST(Triangulation, NormalFollowsTheWindingAndADegenerateTriangleHasNone)
{
    ZOVOvivavUrezezovovaza set;
    set.AddVertex(V(0, 0, 0));
    set.AddVertex(V(2, 0, 0));
    set.AddVertex(V(0, 3, 0));
    set.AddVertex(V(4, 0, 0));
    set.AddTriangle(0, 1, 2);
    set.AddTriangle(0, 2, 1);
    set.AddTriangle(0, 1, 3);  // three points on a line
    EXPECT_EQ(set.CalcNormal(set.GetTriangle(0)), V(0, 0, 1));
    EXPECT_EQ(set.CalcNormal(set.GetTriangle(1)), V(0, 0, -1));
    EXPECT_EQ(set.CalcNormal(set.GetTriangle(2)), V(0, 0, 0));
    ZOVOvivavUrezezovovaza::STriangle stray;
    stray.v[0] = 99;
    EXPECT_EQ(set.CalcNormal(stray), V(0, 0, 0));
}

TEST(Triangulation, BoundingBoxAndDeepCopies)
{
    ZOVOvivavUrezezovovaza set;
    V lo(7, 7, 7), hi(7, 7, 7);
    EXPECT_FALSE(set.CalcBoundingBox(lo, hi));
    EXPECT_EQ(lo, V(7, 7, 7));
    set.AddVertex(V(1, -2, 3));
    set.AddVertex(V(-4, 5, 0));
    set.AddVertex(V(2, 0, -6));
    ASSERT_TRUE(set.CalcBoundingBox(lo, hi));
    EXPECT_EQ(lo, V(-4, -2, -6));
    EXPECT_EQ(hi, V(2, 5, 3));

    ZOVOvivavUrezezovovaza copy(set);
    copy.AddVertex(V(100, 100, 100));
    EXPECT_EQ(set.GetVerticesCount(), 3);
    ASSERT_TRUE(set.CalcBoundingBox(lo, hi));
    EXPECT_EQ(hi, V(2, 5, 3));
    set.Clear();
    EXPECT_EQ(copy.GetVerticesCount(), 4);
    EXPECT_EQ(copy.GetVertex(1), V(-4, 5, 0));
    EXPECT_EQ(set.GetVerticesCount(), 0);
}
