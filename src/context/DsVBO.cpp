#include "DsVBO.h"

#include "DsDriverGl.h"
#include "DsVBOData.h"

#include <algorithm>

namespace {

// Whether vertex buffer objects can be used now: supported, with their entry points loaded.
bool BuffersUsable()
{
    if (!CDsDriverGl::IsVBOSupported()) return false;
    CDsDriverGl::InitVBOExtension();
    return CDsDriverGl::glGenBuffersARB && CDsDriverGl::glBindBufferARB && CDsDriverGl::glBufferDataARB &&
           CDsDriverGl::glDeleteBuffersARB;
}

// A static-draw buffer of `n` vertices (three floats each) from `array`, 0 when nothing is made.
GLuint MakeBuffer(const float* array, int n)
{
    const GLsizeiptrARB bytes = static_cast<GLsizeiptrARB>(n) * 3 * sizeof(float);
    if (!array || bytes <= 0) return 0;
    GLuint id = 0;
    CDsDriverGl::glGenBuffersARB(1, &id);
    CDsDriverGl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, id);
    CDsDriverGl::glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, array, GL_STATIC_DRAW_ARB);
    return id;
}

}  // namespace

bool CDsVBO::Create(const SDsVBOData& data)
{
    if (!data.vertices || data.verticesPerChunk < 1 || data.count < 0 || !BuffersUsable()) return false;
    m_count = data.count;
    m_chunkSize = data.verticesPerChunk;
    for (int first = 0; first < m_count; first += m_chunkSize) {
        const int n = std::min(m_count - first, m_chunkSize);
        const size_t offset = static_cast<size_t>(first) * 3;
        m_vertexBuffers.push_back(MakeBuffer(data.vertices + offset, n));
        if (data.normals) m_normalBuffers.push_back(MakeBuffer(data.normals + offset, n));
    }
    CDsDriverGl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    return true;
}

int CDsVBO::GetChunkVertexCount(int i) const
{
    const int k = GetBuffersCount();
    if (i < 0 || i >= k) return 0;
    return i + 1 < k ? m_chunkSize : m_count - (k - 1) * m_chunkSize;
}

bool CDsVBO::Draw(int divisor)
{
    if (m_count <= 0 || divisor < 1 || !BuffersUsable()) return false;
    const bool normals = HasNormals();
    glEnableClientState(GL_VERTEX_ARRAY);
    if (normals) glEnableClientState(GL_NORMAL_ARRAY);
    for (int i = 0; i < GetBuffersCount(); ++i) {
        if (m_vertexBuffers[i] == 0) continue;
        CDsDriverGl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, m_vertexBuffers[i]);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        if (normals) {
            CDsDriverGl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, m_normalBuffers[i]);
            glNormalPointer(GL_FLOAT, 0, nullptr);
        }
        const int n = GetChunkVertexCount(i) / divisor;
        if (n > 0) glDrawArrays(GL_TRIANGLES, 0, n);
    }
    CDsDriverGl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (normals) glDisableClientState(GL_NORMAL_ARRAY);
    return true;
}

void CDsVBO::DeleteBuffers()
{
    if (BuffersUsable()) {
        for (GLuint& id : m_vertexBuffers)
            if (id) CDsDriverGl::glDeleteBuffersARB(1, &id);
        for (GLuint& id : m_normalBuffers)
            if (id) CDsDriverGl::glDeleteBuffersARB(1, &id);
    }
    m_vertexBuffers.clear();
    m_normalBuffers.clear();
    m_count = 0;
}
