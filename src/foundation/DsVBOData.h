// SDsVBOData: a vertex-buffer description of the display manager's table: where a vertex array
// and its normals lie in memory, how many vertices it holds, and how many vertices go into each
// GL buffer when a view builds its buffers of it. The arrays belong to whoever registered the
// description (the polygon items) and must outlive it, or the description must be cleared first.
#pragma once

#include <afx.h>

#include <cstdint>

// A vertex-buffer description; a cleared one is {null, null, 0, 0x60000}.
struct AFX_EXT_CLASS SDsVBOData {
    // Vertices per GL buffer unless a description says otherwise.
    static constexpr int32_t kDefaultVerticesPerChunk = 0x60000;

    const float* vertices = nullptr;  // three floats a vertex (not owned)
    const float* normals = nullptr;   // three floats a vertex, or null without normals (not owned)
    int32_t count = 0;                // number of vertices
    int32_t verticesPerChunk = kDefaultVerticesPerChunk;  // vertices per GL buffer
};
