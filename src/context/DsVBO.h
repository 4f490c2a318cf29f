// CDsVBO: one view's OpenGL vertex buffers of a large triangle set (a vertex-buffer description of
// the display manager's table, SDsVBOData), split into chunks so that no single buffer grows
// beyond what drivers accept. The display manager keeps one record per view and description
// (CDsManager::GetVBO) and deletes its buffers when the view or the description goes.
//
// A record is a handle: copies share the OpenGL buffers (they copy the ids), and destroying a
// record frees only its id lists; DeleteBuffers releases the buffers themselves, in the OpenGL
// context that is current (buffers are shared between every context of the process).
//
// Choices where the behaviour was open:
// - A chunk whose array part is empty gets id 0 and is skipped when drawing.
// - Draw with a divisor below 1 draws nothing and answers false (a division by zero otherwise).
// - A description whose chunk size is below 1 makes nothing (Create answers false).
#pragma once

#include <afx.h>

#include <GL/gl.h>

#include <vector>

struct SDsVBOData;

// One view's vertex buffers of a vertex-buffer description.
class AFX_EXT_CLASS CDsVBO {
public:
    // Vertices per buffer unless the description says otherwise.
    static constexpr int kDefaultChunkSize = 0x60000;

    // No vertices, chunks of kDefaultChunkSize vertices, no buffers.
    CDsVBO() = default;

    // Makes the buffers of `data` in the current context: one static-draw buffer of vertices per
    // chunk, and one of normals per chunk when the data has normals. False (nothing made) without
    // vertex buffer objects, without a vertex array, or with a chunk size below 1.
    bool Create(const SDsVBOData& data);
    // Draws the buffers as triangles: the whole of each chunk, or its first 1/`divisor` during a
    // rotation (vertices of the chunk / divisor). False for an empty record, a divisor below 1
    // or without vertex buffer objects.
    bool Draw(int divisor);
    // Deletes every vertex and normal buffer, empties both id lists and sets the count to 0.
    void DeleteBuffers();

    // The number of vertex buffers (chunks).
    int GetBuffersCount() const { return static_cast<int>(m_vertexBuffers.size()); }
    // Whether the record holds vertices (count above 0).
    bool IsCreated() const { return m_count > 0; }
    // Whether the record has vertex buffers.
    bool HasBuffers() const { return !m_vertexBuffers.empty(); }
    // Whether the record has normal buffers.
    bool HasNormals() const { return !m_normalBuffers.empty(); }
    // The number of vertices.
    int GetVertexCount() const { return m_count; }
    // Vertices per chunk.
    int GetChunkSize() const { return m_chunkSize; }
    // Vertices in chunk `i` (0 outside the chunks).
    int GetChunkVertexCount(int i) const;
    // The vertex buffer of each chunk (0 where none was made).
    const std::vector<GLuint>& GetVertexBuffers() const { return m_vertexBuffers; }
    // The normal buffer of each chunk; empty without normals.
    const std::vector<GLuint>& GetNormalBuffers() const { return m_normalBuffers; }

private:
    int m_count = 0;
    int m_chunkSize = kDefaultChunkSize;
    std::vector<GLuint> m_vertexBuffers;
    std::vector<GLuint> m_normalBuffers;
};
