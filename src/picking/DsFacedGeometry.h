// CDsFacedGeometry and CDsFaceVisitor: what a scene-database geometry whose face polygons belong
// to faces with boxes (a solid body's geometry) may offer beside CDsGeometry, so that the pick
// ray's tests (the single pick's nearest hit and nearest point) look only at the triangles of the
// faces whose box the ray comes near, instead of at every triangle that GetVertices hands out.
//
// A geometry offers it by deriving from both classes; the ray tests find it by a cast and read
// the face polygons through CDsGeometry otherwise.
#pragma once

#include <afx.h>

#include "DsTrianglesCollector.h"
#include "SpaValues.h"

// Receives the faces of a faced geometry: each face's box first, then, when it wants the face,
// the face's triangles (AddTriangle). A geometry may hand a wanted face's triangles in parts, each
// part's box offered first as a face's is.
class AFX_EXT_CLASS CDsFaceVisitor : public CDsTrianglesCollector {
public:
    // Whether the triangles inside the box [low, high] (of a face, or of a part of a wanted face)
    // are wanted; a face without a box comes with an infinite one.
    virtual bool WantsFace(const SPAposition& low, const SPAposition& high) = 0;
    // Whether the visit is over: no later face is offered.
    virtual bool Done() const { return false; }
};

// A geometry whose face polygons come face by face.
class AFX_EXT_CLASS CDsFacedGeometry {
public:
    // Nothing to free.
    virtual ~CDsFacedGeometry();
    // Offers the faces of item `id` to `visitor` one by one, boxes and triangles in the model
    // space of the geometry: together, the triangles GetVertices hands out for faces. False when
    // the geometry offers no faces for the item; its polygons are then read through GetVertices.
    virtual bool VisitFaces(int id, CDsFaceVisitor& visitor) = 0;
};
