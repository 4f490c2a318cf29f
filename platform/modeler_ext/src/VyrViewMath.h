// Small helpers of the view layer: row-vector 4 x 4 matrices, the camera's projection of view
// orientation coordinates, and 2-D hit tests against a pick rectangle.
#pragma once

#include "SpaValues.h"
#include "VyrViewTypes.h"

class view3d;

namespace vyr_view {

// m = identity.
void identity(view_matrix m);
// out = a * b (row vectors: apply a first, then b); out may not alias a or b.
void multiply(const view_matrix a, const view_matrix b, view_matrix out);
// The 4 x 4 form of an affine transform (rows 0-2: scaled affine part, row 3: translation).
void from_transf(const SPAtransf& t, view_matrix out);
// [x y z 1] * m into h[4].
void transform(const view_matrix m, double x, double y, double z, double h[4]);
// The inverse of an affine row-vector matrix (last column 0, 0, 0, 1); identity when singular.
void affine_inverse(const view_matrix m, view_matrix out);

// What a view's projection needs, read once: all sizes positive and finite when `ok`.
struct Projection {
    bool ok = false;          // the camera is valid and the viewport and picture have a size
    bool perspective = false; // perspective camera
    double distance = 0.0;    // eye to target
    double near_distance = 0.0;  // near clipping distance used (at least 0.001 for perspective)
    double width = 0.0;       // picture width at the target plane
    double height = 0.0;      // picture height at the target plane
    int vw = 0, vh = 0;       // viewport size
};

// Reads the projection of `view`.
Projection projection_of(const view3d& view);

// Drawable (x, y) of a point in view orientation coordinates (vx, vy, vz): false behind or at
// a perspective eye (depth below `min_depth`).
bool view_to_drawable(const Projection& p, double vx, double vy, double vz, double& x, double& y,
                      double min_depth = 1e-12);

// Clips the segment a-b (view orientation coordinates) to the side of a perspective eye at depth
// of at least p.near_distance; false when nothing is left. Parallel projections keep it whole.
bool clip_to_front(const Projection& p, SPAposition& a, SPAposition& b);

// Whether the segment (x0, y0)-(x1, y1) meets the closed rectangle [l, r] x [t, b].
bool segment_meets_rect(double x0, double y0, double x1, double y1, double l, double t, double r, double b);

// Whether a 2-D polyline (n points, closed when `closed`) meets the rectangle; a single point
// counts when it lies inside.
bool polyline_meets_rect(int n, const float* xy, bool closed, double l, double t, double r, double b);

}  // namespace vyr_view
