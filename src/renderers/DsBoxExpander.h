// CDsBoxExpander: a triangle receiver (CDsTrianglesCollector) that widens a box by every corner of
// the triangles a mesh hands it (CVyrIndexedMesh::CollectMeshTriangles), each corner narrowed to
// float and taken through the expander's transformation first. The face item measures its box
// this way. The box is the caller's; an expander without one ignores every triangle, and two
// expanders on the same box both widen it.
#pragma once

#include "DsTrianglesCollector.h"

#include "SpaValues.h"

class CDsBox;

// Widens a box by triangles.
class AFX_EXT_CLASS CDsBoxExpander : public CDsTrianglesCollector {
public:
    // An expander of `box` (not owned; may be null), with the identity transformation.
    explicit CDsBoxExpander(CDsBox* box) : m_box(box) {}
    // Widens the box by a, b and c, in that order, each through the transformation.
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override;

    // The fields in the order of the record: the box, then the transformation.
private:
    CDsBox* m_box;

public:
    // The transformation each corner is taken through (the caller assigns it).
    SPAtransf transformation;
};
