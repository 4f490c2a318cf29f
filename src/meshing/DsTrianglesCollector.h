// CDsTrianglesCollector: the receiver of a mesh's triangles (CVyrIndexedMesh::CollectMeshTriangles),
// one call per triangle with its three corners in the mesh's own space. Box expanders, z-buffers
// and other consumers derive from it.
#pragma once

#include <afx.h>

#include "SpaValues.h"

// Receives triangles.
class AFX_EXT_CLASS CDsTrianglesCollector {
public:
    // Nothing to set up.
    CDsTrianglesCollector() = default;
    // Nothing to free.
    virtual ~CDsTrianglesCollector() = default;
    // One triangle, corners in the order the mesh lists them.
    virtual void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) = 0;

protected:
    // Copyable by derived collectors only.
    CDsTrianglesCollector(const CDsTrianglesCollector&) = default;
    // Assignable by derived collectors only.
    CDsTrianglesCollector& operator=(const CDsTrianglesCollector&) = default;
};
