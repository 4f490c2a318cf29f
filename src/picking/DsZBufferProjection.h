// CDsZBufferProjection: how a rectangle of a view's window maps onto the cells of a software
// z-buffer (CVyrZBuffer), shared by the visible-only pass of region picks (CVisibleOnlyFunctor) and
// the buffer of PickClosest (CDsItemsIdBuffer). Column 0 and row 0 lie at the rectangle's
// left-bottom corner; columns grow along the view's right vector and rows along its up vector, one
// cell a pixel; the depth grows away from the viewer, scaled so that the scene's depth range (ten
// times the box of CDsGlContext::GetAdjustedBox) spans the depth margin: margin =
// trunc(0.05 / max(width, height) x (2^31 - 1)). Internal to the display core.
//
// Choices where the behaviour was open:
// - The rectangle is cut to the viewport: corners far outside the window cannot make a buffer
//   larger than the window. What remains of pixels x in [left, left + width) and y in
//   [top, top + height) (counted down from the top) gets cells; a rectangle with no pixel inside
//   leaves the projection invalid, with no cells and no division.
// - A view without a context or without a pixel size leaves the projection invalid.
// - A scene box without depth (or none) gives the depth scale 1 and the offset 0.
// - Mapped coordinates are clamped to the int range before they become integers (x and y
//   truncated toward zero).
// - The view is taken as a parallel one: the mapping is the view's orthographic one.
#pragma once

#include "VyrZBuffer.h"

#include "SpaValues.h"

class CDsView3dCdc;

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
    // Depth offset, margin and scale (CVyrZBuffer::SetDepthParameters takes them).
    double GetDepthOffset() const { return m_depthOffset; }
    // See GetDepthOffset.
    int GetDepthMargin() const { return m_depthMargin; }
    // See GetDepthOffset.
    double GetDepthScale() const { return m_depthScale; }

    // The buffer vertex of model point `p` (x, y and depth truncated).
    SVyrZVertex Map(const SPAposition& p) const;
    // The cell of drawable pixel (x, y) (counted down); false outside the rectangle.
    bool CellOf(int x, int y, int& column, int& row) const;

private:
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    SPAposition m_origin;
    SPAvector m_right, m_up, m_direction;
    double m_pixelScale = 0.0;
    double m_depthOffset = 0.0;
    int m_depthMargin = 0;
    double m_depthScale = 1.0;
};
