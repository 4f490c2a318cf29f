// Screen rectangles: CDsRectangle, the integer window rectangle of a projected box that
// remembers the view it was computed for, and SDsBox2D, the plain integer box that items
// report through their two-dimensional bound-box operation. Pixels count y from the top.
#pragma once

#include <afx.h>

class view3d;

// Integer screen rectangle of a box's projection, tagged with its view.
class AFX_EXT_CLASS CDsRectangle {
public:
    // The empty rectangle, then the given corners (two ints each) where not null.
    explicit CDsRectangle(const int* min = nullptr, const int* max = nullptr);
    // Copies corners and view.
    CDsRectangle(const CDsRectangle& other) = default;
    // Copies corners and view.
    CDsRectangle& operator=(const CDsRectangle& other) = default;
    // Frees the rectangle.
    virtual ~CDsRectangle() = default;

    // Minimum x 1, the rest 0, no view.
    void SetEmpty();
    // True when minimum x > maximum x.
    bool IsEmpty() const { return m_min[0] > m_max[0]; }
    // Copies x and y of the minimum corner (nothing for null).
    void SetMin(const int* min);
    // Copies x and y of the maximum corner (nothing for null).
    void SetMax(const int* max);
    // The two minimum ints.
    const int* GetMin() const { return m_min; }
    // The two maximum ints.
    const int* GetMax() const { return m_max; }
    // The view the rectangle was last computed for (null when none).
    view3d* GetView() const { return m_view; }
    // Records the view the rectangle was computed for.
    void SetView(view3d* view) { m_view = view; }

    // Grows to hold the point (x, y); an empty rectangle becomes the point. Nothing for null.
    void Expand(const int* point);
    // Grows to hold (x, y): floor for the minima, ceil for the maxima. Non-finite values are ignored.
    void Expand(float x, float y);
    // Grows to hold the square of 6 pixels around the point (nothing for null).
    void ExpandWithMargin(const int* point);
    // Grows to hold the square from (x - 6, y - 6) to (x + 6, y + 6).
    void ExpandWithMargin(int x, int y);
    // The rectangle, in this argument order.
    void GetRectangle(int& minX, int& maxX, int& minY, int& maxY) const;

    // Whether the rectangle meets the view's viewport, or with `pickAperture` its pick aperture.
    // False for a null view. The viewport is cached per view (see StCacheViewport).
    bool IsInView(view3d* view, bool pickAperture) const;
    // Re-reads and caches the viewport of `view` (call after resizing the view); null clears
    // the cache.
    static void StCacheViewport(view3d* view);

private:
    int m_min[2] = {1, 0};
    int m_max[2] = {0, 0};
    view3d* m_view = nullptr;
};

// Plain integer screen box; it has no constructor: put it in the empty state (SetEmpty)
// before handing it to a bound-box operation.
struct AFX_EXT_CLASS SDsBox2D {
    // Minimum (1, 1), maximum (0, 0).
    void SetEmpty();
    // True when ordered on at least one axis (minimum <= maximum).
    bool IsValid() const;
    // Takes `other` when this box is empty on both axes, else grows by its corners.
    void Expand(const SDsBox2D& other);
    // Moves by (dx, dy) (floor for minima, ceil for maxima); a box empty on both axes becomes
    // the point (floor(dx), floor(dy)). Non-finite offsets leave the box unchanged.
    void Offset(float dx, float dy);

    int minX;  // minimum x, in window pixels
    int minY;  // minimum y
    int maxX;  // maximum x
    int maxY;  // maximum y
};
