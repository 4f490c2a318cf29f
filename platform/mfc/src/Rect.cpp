// CRect: the operations that are more than one line.
#include "afx.h"

#include <algorithm>

CPoint CRect::CenterPoint() const {
    // Halves are taken of the 64-bit sums so large rectangles do not overflow; integer division
    // truncates toward zero, so a negative sum's half rounds up, not down.
    return CPoint(static_cast<int>((static_cast<int64_t>(left) + right) / 2),
                  static_cast<int>((static_cast<int64_t>(top) + bottom) / 2));
}

BOOL CRect::EqualRect(LPCRECT r) const {
    return r && left == r->left && top == r->top && right == r->right && bottom == r->bottom;
}

void CRect::NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

BOOL CRect::IntersectRect(LPCRECT a, LPCRECT b) {
    if (!a || !b) {
        SetRectEmpty();
        return FALSE;
    }
    CRect ra(*a), rb(*b);  // copies: either may be this rectangle
    CRect out(std::max(ra.left, rb.left), std::max(ra.top, rb.top), std::min(ra.right, rb.right),
              std::min(ra.bottom, rb.bottom));
    if (ra.IsRectEmpty() || rb.IsRectEmpty() || out.IsRectEmpty()) {
        SetRectEmpty();
        return FALSE;
    }
    *this = out;
    return TRUE;
}

BOOL CRect::UnionRect(LPCRECT a, LPCRECT b) {
    CRect ra(a), rb(b);  // copies: either may be this rectangle
    bool emptyA = ra.IsRectEmpty(), emptyB = rb.IsRectEmpty();
    if (emptyA && emptyB) {
        SetRectEmpty();
        return FALSE;
    }
    if (emptyA) {
        *this = rb;
    } else if (emptyB) {
        *this = ra;
    } else {
        SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top), std::max(ra.right, rb.right),
                std::max(ra.bottom, rb.bottom));
    }
    return TRUE;
}
