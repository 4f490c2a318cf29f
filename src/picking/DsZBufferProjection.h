// CDsZBufferProjection: how a rectangle of a view's window maps onto the cells of a software
// z-buffer (CVyrZBuffer), shared by the visible-only pass of region picks (CVisibleOnlyFunctor) and
// the buffer of PickClosest (CDsItemsIdBuffer). Column 0 and row 0 lie at the rectangle's
// left-bottom corner, one cell a pixel. The mapping is the projection the frame draws with (the
// camera's look-at, then its perspective or parallel projection with the frame's near and far
// planes), so that a perspective view is judged as the window shows it. Points go into the eye's
// space first (x right, y up, z towards the viewer), polygons are cut there by the near and far
// planes (and by any other planes the caller gives, such as a section's) and by a band far outside
// the window that keeps every mapped coordinate well inside 32 bits, and what remains is mapped;
// the depth is the window depth the frame's depth buffer holds (in a perspective view the
// reciprocal of the distance, which runs linearly across the window), from 0 at the near plane to
// 2^31 - 2 at the far one. Internal to the display core.
//
// Choices where the behaviour was open:
// - The rectangle is cut to the viewport: corners far outside the window cannot make a buffer
//   larger than the window. What remains of pixels x in [left, left + width) and y in
//   [top, top + height) (counted down from the top) gets cells; a rectangle with no pixel inside
//   leaves the projection invalid, with no cells and no division.
// - A view without a context or without a pixel size leaves the projection invalid.
// - Mapped coordinates are clamped to the int range before they become integers.
// - MapPolygon places its vertices between cells, to the nearest 1 / 2^kVyrZSubpixelBits of a
//   cell (column i covering [i, i + 1)), for the buffer to fill the cells whose centres a polygon
//   covers as the window does; it keeps a point exactly on a clipping plane.
#pragma once

#include "VyrZBuffer.h"

#include "SpaValues.h"

#include <vector>

class CDsView3dCdc;

// A point in the eye's space of the frame's camera: x right, y up, z towards the viewer (the
// points the frame draws lie at negative z).
struct SDsEyePoint {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// A plane in the eye's space that keeps the points where a x + b y + c z + d >= 0.
struct SDsEyePlane {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    double d = 0.0;
};

// The mapping of a window rectangle onto z-buffer cells.
class CDsZBufferProjection {
public:
    // An invalid projection (no cells).
    CDsZBufferProjection() = default;

    // Sets the projection up for the rectangle between drawable pixels (x1, y1) and (x2, y2) of
    // `view` (counted down from the top; the corners in either order, widths |x2 - x1| and
    // |y2 - y1|). False, and invalid, when no cell remains or the view cannot map.
    bool SetUp(CDsView3dCdc* view, int x1, int y1, int x2, int y2);

    // True when the rectangle has cells.
    bool IsValid() const { return m_width > 0 && m_height > 0; }
    // The first column of the window inside the rectangle.
    int GetLeft() const { return m_left; }
    // The first row of the window (counted down) inside the rectangle.
    int GetTop() const { return m_top; }
    // Cells per row.
    int GetWidth() const { return m_width; }
    // Rows.
    int GetHeight() const { return m_height; }
    // The cell of drawable pixel (x, y) (counted down); false outside the rectangle.
    bool CellOf(int x, int y, int& column, int& row) const;

    // The mapping (see the header comment); valid when IsValid is.
    // The eye-space point of model point `p`.
    SDsEyePoint ToEye(const SPAposition& p) const;
    // The eye-space plane of the model-space plane a x + b y + c z + d >= 0 (`equation`: a, b, c, d).
    SDsEyePlane ToEyePlane(const double (&equation)[4]) const;
    // Cuts the convex polygon of the `count` eye-space `corners` by the `planes` (`planeCount` of
    // them, may be null) and by the frame's near and far planes and the band, and puts the buffer
    // vertices of what remains into `cells` (in order, a convex polygon, placed between cells);
    // their count (0 when nothing remains).
    int MapPolygon(const SDsEyePoint* corners, int count, const SDsEyePlane* planes, int planeCount,
                   std::vector<SVyrZSubVertex>& cells) const;

private:
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;

    // The frame's camera: the look-at frame (side, up, forward) about the eye, the projection.
    SPAposition m_eye;
    SPAvector m_side, m_upward, m_forward;
    bool m_perspective = false;
    double m_near = 0.0;
    double m_far = 0.0;
    double m_columnScale = 0.0;  // cells per eye unit across (at distance 1 in perspective)
    double m_rowScale = 0.0;     // cells per eye unit upward (the same)
    double m_columnCentre = 0.0;  // the column of the line of sight
    double m_rowCentre = 0.0;     // the row of the line of sight
    SDsEyePlane m_frustum[6];     // near, far and the four sides of the band
    // Scratch polygons of MapPolygon.
    mutable std::vector<SDsEyePoint> m_from, m_to;
};
