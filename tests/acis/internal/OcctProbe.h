// Self-checks of the modeler's OCCT layer, for the modeler's internal tests: they look at the
// shapes behind the entities, which the library does not export. No OCCT types appear here.
#pragma once

#include <vector>

#include "SpaGeometry.h"
#include "SpaTopology.h"

// Meshes `face` with linear deflection `deflection` and reads the positions of the mesh nodes
// back into `nodes`. False when the face has no shape or meshing gives no triangulation.
bool OcctProbeMeshNodes(const FACE* face, double deflection, std::vector<SPAposition>& nodes);
// True when each face, edge and vertex of `body` leads to its OCCT sub-shape and back to itself,
// and the body's vertex positions agree with their shapes.
bool OcctProbeLookups(const BODY* body);
// A free-form curve over [0, 1] whose kernel curve fails every evaluation, projection and
// transform, to see how a kernel failure reaches callers. With `positionsFail` false its
// positions do evaluate (the point (t, 0, 0) at t) and only the rest fails. Free it with delete.
curve* OcctProbeMakeFailingCurve(bool positionsFail = true);
// A free-form surface over [0, 1] x [0, 1] whose kernel surface fails every evaluation, to see
// how a kernel failure reaches callers. Free it with delete.
surface* OcctProbeMakeFailingSurface();
