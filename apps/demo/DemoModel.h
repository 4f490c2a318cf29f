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

// The box around the corners: low and high x, y and z. False for an empty soup.
bool Bounds(const TriangleSoup& soup, float low[3], float high[3]);

// Draws the triangles lit (light 0 from the viewer's upper left, a blue material) with the
// projection and model-view that are set up.
void DrawLit(const TriangleSoup& soup);

}  // namespace vyrdemo
