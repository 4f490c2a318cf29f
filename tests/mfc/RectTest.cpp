// CRect, CPoint and CSize: normalisation, intersection, union and hit tests.
#include <afx.h>

#include <gtest/gtest.h>

namespace {

::testing::AssertionResult Is(const CRect& r, int l, int t, int rr, int b) {
    if (r.left == l && r.top == t && r.right == rr && r.bottom == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom
                                         << ")";
}

}  // namespace

TEST(RectTest, MeasuresAndNormalises) {
    CRect r(30, 40, 10, 0);  // corners given the wrong way round
    EXPECT_EQ(r.Width(), -20);
    EXPECT_TRUE(r.IsRectEmpty());
    r.NormalizeRect();
    EXPECT_TRUE(Is(r, 10, 0, 30, 40));
    EXPECT_EQ(r.Size(), CSize(20, 40));
    EXPECT_EQ(r.TopLeft(), CPoint(10, 0));
    EXPECT_EQ(r.BottomRight(), CPoint(30, 40));
    EXPECT_EQ(r.CenterPoint(), CPoint(20, 20));
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_FALSE(r.IsRectNull());
    EXPECT_TRUE(CRect().IsRectNull());
    // Odd sums are truncated toward zero, as integer division does: down on the positive side,
    // up on the negative side.
    EXPECT_EQ(CRect(0, 0, 3, 5).CenterPoint(), CPoint(1, 2));
    EXPECT_EQ(CRect(-3, -5, 0, 0).CenterPoint(), CPoint(-1, -2));
    EXPECT_EQ(CRect(-10, -10, -5, -3).CenterPoint(), CPoint(-7, -6));
    EXPECT_EQ(CRect(-5, -1, 2, 4).CenterPoint(), CPoint(-1, 1));
    EXPECT_EQ(CRect(-2147483647, -2147483647, -2147483646, -2147483646).CenterPoint(),
              CPoint(-2147483646, -2147483646));

    // Right and bottom edges are outside.
    EXPECT_TRUE(r.PtInRect(CPoint(10, 0)));
    EXPECT_TRUE(r.PtInRect(CPoint(29, 39)));
    EXPECT_FALSE(r.PtInRect(CPoint(30, 10)));
    EXPECT_FALSE(r.PtInRect(CPoint(15, 40)));
}

TEST(RectTest, TheCentreOfAFarRectangleIsExactWhereA32BitSumWouldOverflow) {
    // Each pair of edges sums beyond the int range (above and below); the sums are even, so no
    // rounding is involved.
    const CRect far(2000000000, -2100000000, 2100000000, -2000000000);
    EXPECT_EQ(far.CenterPoint(), CPoint(2050000000, -2050000000));
    const CRect edge(2147483646, -2147483647, 2147483646, -2147483647);  // empty, at the limits
    EXPECT_EQ(edge.CenterPoint(), CPoint(2147483646, -2147483647));
}

TEST(RectTest, IntersectsAndUnites) {
    CRect out;
    EXPECT_TRUE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(5, -5, 20, 8)));
    EXPECT_TRUE(Is(out, 5, 0, 10, 8));

    // Disjoint, touching and empty inputs give the all-zero rectangle.
    out.SetRect(1, 2, 3, 4);
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(20, 20, 30, 30)));
    EXPECT_TRUE(out.IsRectNull());
    out.SetRect(1, 2, 3, 4);
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(out.IsRectNull());
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), nullptr));

    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 10, 10), CRect(20, -5, 30, 5)));
    EXPECT_TRUE(Is(out, 0, -5, 30, 10));
    // An empty rectangle does not stretch the union.
    EXPECT_TRUE(out.UnionRect(CRect(100, 100, 100, 200), CRect(1, 1, 2, 2)));
    EXPECT_TRUE(Is(out, 1, 1, 2, 2));
    EXPECT_FALSE(out.UnionRect(CRect(5, 5, 5, 5), CRect(8, 8, 1, 1)));
    EXPECT_TRUE(out.IsRectNull());

    // In place, with this rectangle as one operand.
    CRect a(0, 0, 10, 10);
    a &= CRect(5, 5, 15, 15);
    EXPECT_TRUE(Is(a, 5, 5, 10, 10));
    a |= CRect(0, 0, 1, 1);
    EXPECT_TRUE(Is(a, 0, 0, 10, 10));
    EXPECT_TRUE(Is(a & CRect(8, 8, 20, 20), 8, 8, 10, 10));
    EXPECT_TRUE(Is(a | CRect(8, 8, 20, 20), 0, 0, 20, 20));
}

TEST(RectTest, MovesInflatesAndConverts) {
    CRect r(0, 0, 10, 10);
    r.OffsetRect(5, -5);
    EXPECT_TRUE(Is(r, 5, -5, 15, 5));
    r += CPoint(-5, 5);
    EXPECT_TRUE(Is(r, 0, 0, 10, 10));
    r -= CSize(1, 1);
    EXPECT_TRUE(Is(r, -1, -1, 9, 9));
    r.InflateRect(1, 2);
    EXPECT_TRUE(Is(r, -2, -3, 10, 11));
    r.DeflateRect(1, 2, 3, 4);
    EXPECT_TRUE(Is(r, -1, -1, 7, 7));
    r.DeflateRect(CRect(1, 1, 1, 1));
    EXPECT_TRUE(Is(r, 0, 0, 6, 6));

    LPRECT raw = r;
    raw->right = 8;
    EXPECT_EQ(r.Width(), 8);
    const CRect& cr = r;
    LPCRECT craw = cr;
    EXPECT_EQ(craw->right, 8);
    EXPECT_TRUE(r == CRect(0, 0, 8, 6));
    EXPECT_TRUE(r != CRect(0, 0, 8, 7));

    EXPECT_EQ(CPoint(5, 7) - CPoint(2, 3), CSize(3, 4));
    EXPECT_EQ(CPoint(5, 7) + CSize(1, 1), CPoint(6, 8));
    EXPECT_EQ(-CSize(1, -2), CSize(-1, 2));
}
