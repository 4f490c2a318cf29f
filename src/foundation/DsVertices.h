// IDsGeometry: a geometry that a caller hands to an item when it adds a sub-item; the host's
// implementations say what kind of geometry they are. CDsVertices is its abstract vertex-list
// form, carrying the number of vertices the list holds.
#pragma once

#include <afx.h>

#include <cstdint>

// A geometry handed to an item with a new sub-item.
class AFX_EXT_CLASS IDsGeometry {
public:
    // Frees the geometry.
    virtual ~IDsGeometry() = default;
    // The kind of geometry, as the host numbers its implementations.
    virtual int GetGeometryKind() const = 0;
};

// Abstract vertex list: the host's lists derive from it and answer their kind.
class AFX_EXT_CLASS CDsVertices : public IDsGeometry {
public:
    // No vertices.
    CDsVertices() = default;
    // Copies the vertex count.
    CDsVertices(const CDsVertices& other) = default;
    // Copies the vertex count.
    CDsVertices& operator=(const CDsVertices& other) = default;
    // Frees the list.
    ~CDsVertices() override = default;

    // Number of vertices of the list.
    int32_t GetVertexCount() const { return m_vertexCount; }
    // Sets the number of vertices (negative counts become 0).
    void SetVertexCount(int32_t count) { m_vertexCount = count < 0 ? 0 : count; }

private:
    int32_t m_vertexCount = 0;
};
