// The demo's model scene: a body faceted through the modeler's faceter and drawn lit.
#pragma once

#include <vector>

class BODY;

namespace vyrdemo {

// Triangles of a faceted body: for each corner its position and outward normal (x, y, z, nx, ny, nz).
struct TriangleSoup {
    std::vector<float> corners;
    int Triangles() const { return static_cast<int>(corners.size() / 18); }
};

// Facets every face of `body` at the given surface tolerance; false when the faceter fails.
bool FacetBody(BODY* body, double surfaceTolerance, TriangleSoup& soup);

// Draws the triangles lit, seen from above at an angle, fitted into a width x height viewport.
void DrawLit(const TriangleSoup& soup, int width, int height);

}  // namespace vyrdemo
