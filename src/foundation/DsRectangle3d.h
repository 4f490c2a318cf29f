// CDsRectangle3d: a planar rectangle in space given by three corners (the fourth, opposite the
// origin corner, is derived); the image item maps its picture onto it.
#pragma once

#include <afx.h>

class SPAposition;
class SPAtransf;
class view3d;

// Corners of a CDsRectangle3d.
enum EDsRectangle3dPosition : int {
    eDsRectangle3dOrigin = 0,    // the origin corner
    eDsRectangle3dFirst = 1,     // the corner along the first side
    eDsRectangle3dOpposite = 2,  // the corner opposite the origin (always derived)
    eDsRectangle3dSecond = 3,    // the corner along the second side
};

// Planar rectangle of four float corners.
class AFX_EXT_CLASS CDsRectangle3d {
public:
    // All corners at the origin.
    CDsRectangle3d() = default;
    // Corners 0, 1 and 3 from the arguments (narrowed to float); corner 2 derived.
    CDsRectangle3d(const SPAposition& origin, const SPAposition& first, const SPAposition& second);
    // Copies the corners.
    CDsRectangle3d(const CDsRectangle3d& other) = default;
    // Copies the corners.
    CDsRectangle3d& operator=(const CDsRectangle3d& other) = default;
    // Frees the rectangle.
    virtual ~CDsRectangle3d() = default;

    // The three floats of a corner; corner 0 for an index outside 0..3.
    const float* GetPosition(EDsRectangle3dPosition which) const;
    // All twelve floats, corners in index order.
    const float* GetPositions() const { return m_corners[0]; }
    // Distance from corner 0 to corner 1.
    float GetWidth() const;
    // Distance from corner 0 to corner 3.
    float GetHeight() const;
    // Takes each corner through `t`.
    void Transform(const SPAtransf& t);
    // Draws the four corners as a closed line loop into the current GL context.
    void DrawGl(view3d& view) const;

protected:
    // Writes the corner into `out` (the name is historical: it reads the corner).
    void SetPosition(EDsRectangle3dPosition which, SPAposition& out) const;
    // Stores `p` as the corner (ignored for an index outside 0..3).
    void SetPosition(const SPAposition& p, EDsRectangle3dPosition which);
    // Corner 2 = corner 3 + (corner 1 - corner 0), computed in double.
    void ComputeUpperRightPosition();

private:
    float m_corners[4][3] = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
};
