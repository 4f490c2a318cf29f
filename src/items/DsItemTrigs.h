// CDsItemTrigs: a triangulation of the algorithm library (ZOVOvivavUrezezovovaza) copied into
// chunks of vertices with one normal per vertex (the triangle's normal, repeated), drawn from
// vertex buffers (one description of the display manager's table per chunk) or immediately. The
// figure generator makes it (DrawTrigs), with the switch that says whether it is drawn during a
// fast refresh.
//
// A chunk holds 131,070 vertices (whole triangles), the last one the remainder: the chunk count is
// the vertex count divided by 131,070, rounded up.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The chunk count is an integer division rounded up, so that a vertex count that is a multiple
//   of 131,070 makes no empty chunk.
// - A chunk whose buffers are missing or cannot be drawn is drawn immediately, alone: the chunks
//   drawn from buffers are not drawn twice.
// - A triangulation without triangles, or one whose chunks cannot be allocated, leaves the item
//   empty (it draws nothing); an earlier filling is freed first in every case.
// - Not copyable: it owns its chunks and their vertex-buffer descriptions.
// - The chunks' triangles are answered through GetVertices (see the polygon base).
// - While OpenGL selects or takes feedback, the chunks go from client arrays, never from their
//   vertex buffers (see the polygon base).
#pragma once

#include <afx.h>

#include "DsItemPolygonsBase.h"
#include "VOREvu3v.h"

#include <cstdint>
#include <vector>

class ZOVOvivavUrezezovovaza;

// A triangle set drawn from vertex buffers or immediately.
class AFX_EXT_CLASS CDsItemTrigs : public CDsItemPolygonsBase {
public:
    // Vertices per chunk.
    static constexpr int kVerticesPerChunk = 131070;

    // An empty set, drawn during fast refreshes when `drawInFastRefresh`.
    explicit CDsItemTrigs(bool drawInFastRefresh);
    // Not copyable (see the header comment).
    CDsItemTrigs(const CDsItemTrigs&) = delete;
    // Not copyable.
    CDsItemTrigs& operator=(const CDsItemTrigs&) = delete;
    // Removes the vertex buffers from every view and frees the chunks.
    ~CDsItemTrigs() override;

    // --- Item protocol ------------------------------------------------------------------
    // DrawOnTraverse with every kind, the item's colour applied.
    void DrawGl(view3d& view) override;
    // 49.
    EDsItemsType GetItemType() override;
    // Nothing without chunks, or during a fast refresh when not drawn then; for kind 4 the item's
    // colour (with `applyAttributes`) and the triangles from vertex buffers or immediately, under
    // the item's transformation.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // --- Own operations -----------------------------------------------------------------
    // Frees the earlier chunks and buffers, then copies `triangulation`'s triangles (each vertex
    // moved by `offset` when given) into chunks; the extremes become its bounding box (moved by
    // the offset), valid. Nothing more for a null triangulation or one without triangles.
    void SetTriangulation(const ZOVOvivavUrezezovovaza* triangulation, const VOREvu3v<float>* offset);
    // Whether the item is drawn during fast refreshes.
    bool GetDrawInFastRefresh() const { return m_drawInFastRefresh; }
    // The number of chunks.
    int GetChunksCount() const { return static_cast<int>(m_vertexChunks.size()); }
    // The vertices of chunk `i` (0 outside the chunks).
    int GetChunkVertexCount(int i) const;
    // The entries of the chunks in the display manager's vertex-buffer table (empty until the
    // first vertex-buffer draw).
    const std::vector<int32_t>& GetVBOIds() const { return m_vboIds; }

protected:
    // Frees the chunks and removes their buffers from every view.
    void FreeChunks();
    // Chunk `i` immediately (within an open glBegin).
    void DrawChunkVertices(int i) const;
    // The triangles of every chunk.
    int GetOwnTrianglesCount() const override;
    // Triangle `t`, counted through the chunks in order.
    const float* GetOwnTriangle(int t) const override;

private:
    // A chunk: a malloc'ed float buffer and its number of floats.
    struct SChunk {
        float* data = nullptr;
        int32_t floats = 0;
    };

    std::vector<SChunk> m_vertexChunks;
    std::vector<SChunk> m_normalChunks;
    std::vector<int32_t> m_vboIds;
    bool m_drawInFastRefresh = false;
};
