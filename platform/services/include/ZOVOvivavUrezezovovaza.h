// ZOVOvivavUrezezovovaza: the algorithm library's simple triangulation: vertices (three floats
// each) and triangles (three vertex indices each), both kept in blocks of 4,096 entries, so that
// a large set grows without moving what it holds. An index selects its block with index >> 12 and
// its entry with index & 0xFFF. The display core reads it through the triangle walk
// (BeginTriangles), a triangle's normal (CalcNormal) and the bounding box (CalcBoundingBox).
//
// Choices where the behaviour was open:
// - A triangle whose vertex indices are not all vertices of the set is refused (AddTriangle
//   answers -1), so that every triangle read back names three real vertices.
// - A failed allocation is reported by -1 from the adding operations; the set keeps what it held.
// - CalcNormal gives unit((v1 - v0) x (v2 - v0)): a counter-clockwise triangle faces the viewer.
//   A degenerate triangle (or one with a non-finite vertex) has the zero normal.
// - Copies are deep: a copy owns blocks of its own.
#pragma once

#include "VOREvu3v.h"
#include "VyrServicesApi.h"

#include <cstdint>
#include <memory>
#include <vector>

// A triangulation (see the header comment).
class VYR_SERVICES_API ZOVOvivavUrezezovovaza {
public:
    // Entries per block.
    static constexpr int kBlockSize = 4096;
    // index >> kBlockShift selects the block.
    static constexpr int kBlockShift = 12;
    // index & kBlockMask selects the entry.
    static constexpr int kBlockMask = 0xFFF;

    // One triangle: three vertex indices.
    struct STriangle {
        int32_t v[3] = {0, 0, 0};  // the vertices, counter-clockwise as seen from the front
    };

    // The walk over the triangles in the order they were added, block by block.
    class VYR_SERVICES_API CTriangleIterator {
    public:
        // A walk at triangle `index` of `set`.
        CTriangleIterator(const ZOVOvivavUrezezovovaza* set, int index);
        // The current triangle (valid while the walk is not at its end).
        const STriangle& operator*() const;
        // The current triangle.
        const STriangle* operator->() const { return &**this; }
        // Moves to the next triangle, into the next block at the end of one.
        CTriangleIterator& operator++();
        // Whether both walks stand on the same triangle.
        bool operator==(const CTriangleIterator& other) const;
        // Whether the walks stand on different triangles.
        bool operator!=(const CTriangleIterator& other) const { return !(*this == other); }
        // The index of the current triangle.
        int GetIndex() const { return (m_block << kBlockShift) | m_entry; }

    private:
        const ZOVOvivavUrezezovovaza* m_set;
        int m_block;
        int m_entry;
    };

    // An empty set.
    ZOVOvivavUrezezovovaza();
    // A deep copy.
    ZOVOvivavUrezezovovaza(const ZOVOvivavUrezezovovaza& other);
    // A deep copy.
    ZOVOvivavUrezezovovaza& operator=(const ZOVOvivavUrezezovovaza& other);
    // Frees the blocks.
    ~ZOVOvivavUrezezovovaza();

    // Appends a vertex; its index, or -1 when no memory could be had.
    int AddVertex(const VOREvu3v<float>& vertex);
    // Appends the triangle (a, b, c); its index, or -1 when an index names no vertex or no memory
    // could be had.
    int AddTriangle(int a, int b, int c);
    // Forgets every vertex and triangle.
    void Clear();

    // The number of vertices.
    int GetVerticesCount() const { return m_vertexCount; }
    // The number of triangles.
    int GetTrianglesCount() const { return m_triangleCount; }
    // Vertex `index` (0 to GetVerticesCount() - 1).
    const VOREvu3v<float>& GetVertex(int index) const;
    // Triangle `index` (0 to GetTrianglesCount() - 1).
    const STriangle& GetTriangle(int index) const;

    // The walk from the first triangle.
    CTriangleIterator BeginTriangles() const { return CTriangleIterator(this, 0); }
    // The end of the walk.
    CTriangleIterator EndTriangles() const { return CTriangleIterator(this, m_triangleCount); }

    // The unit normal of `triangle` (see the header comment).
    VOREvu3v<float> CalcNormal(const STriangle& triangle) const;
    // The box of every vertex; false (corners unchanged) for a set without vertices.
    bool CalcBoundingBox(VOREvu3v<float>& min, VOREvu3v<float>& max) const;

private:
    struct SVertexBlock {
        VOREvu3v<float> entries[kBlockSize];
    };
    struct STriangleBlock {
        STriangle entries[kBlockSize];
    };

    std::vector<std::unique_ptr<SVertexBlock>> m_vertices;
    std::vector<std::unique_ptr<STriangleBlock>> m_triangles;
    int m_vertexCount = 0;
    int m_triangleCount = 0;
};
