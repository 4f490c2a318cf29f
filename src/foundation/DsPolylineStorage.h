// CDsPolylineStorage: a plain list of positions with the transform they are shown through,
// the companion of the ellipse storage for edges that are not elliptic, and what the arc polygon
// generator fills with the points of an arc (in the arc's own plane, placed by the transform).
#pragma once

#include <GmPosition.h>
#include <SpaValues.h>
#include <afx.h>

#include <vector>

// Positions and their transform.
class AFX_EXT_CLASS CDsPolylineStorage {
public:
    // Identity transform, no vertices.
    CDsPolylineStorage() = default;
    // The first `count` positions of `points` (none when count < 1 or points is null).
    CDsPolylineStorage(int count, const CGmPosition* points);
    // Copies the transform and the vertices.
    CDsPolylineStorage(const CDsPolylineStorage& other) = default;
    // Copies the transform and the vertices.
    CDsPolylineStorage& operator=(const CDsPolylineStorage& other) = default;
    // Frees the vertices.
    ~CDsPolylineStorage() = default;

    // A copy of the transform.
    SPAtransf GetTransformation() const { return m_transformation; }
    // Replaces the transform.
    void SetTransformation(const SPAtransf& t) { m_transformation = t; }
    // Number of vertices.
    int GetVertexCount() const { return static_cast<int>(m_vertices.size()); }
    // Vertex i through the transform; the origin for an index out of range.
    CGmPosition GetTRansformedVertex(int i) const;
    // The vertices as stored (not transformed).
    const std::vector<CGmPosition>& GetVertices() const { return m_vertices; }
    // Appends a vertex.
    void AddVertex(const CGmPosition& p) { m_vertices.push_back(p); }
    // Forgets every vertex (the transform stays).
    void RemoveAllVertices() { m_vertices.clear(); }

private:
    SPAtransf m_transformation;
    std::vector<CGmPosition> m_vertices;
};
