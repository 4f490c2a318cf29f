// CDsItemTrigs: a triangulation in chunks, drawn from vertex buffers or immediately.
#include "DsItemTrigs.h"

#include "DsItemPolygonsStl.h"
#include "DsManager.h"
#include "DsVBO.h"
#include "DsVBOData.h"
#include "DsView3dCdc.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "view3d.h"

#include <cstdlib>
#include <limits>

CDsItemTrigs::CDsItemTrigs(bool drawInFastRefresh) : m_drawInFastRefresh(drawInFastRefresh) {}

CDsItemTrigs::~CDsItemTrigs()
{
    FreeChunks();
}

EDsItemsType CDsItemTrigs::GetItemType()
{
    return eDsItemTrigs;
}

int CDsItemTrigs::GetChunkVertexCount(int i) const
{
    if (i < 0 || i >= GetChunksCount()) return 0;
    return m_vertexChunks[static_cast<size_t>(i)].floats / 3;
}

int CDsItemTrigs::GetOwnTrianglesCount() const
{
    int64_t floats = 0;
    for (const SChunk& chunk : m_vertexChunks) floats += chunk.floats;
    return static_cast<int>(floats / 9);
}

const float* CDsItemTrigs::GetOwnTriangle(int t) const
{
    // Every chunk but the last holds kVerticesPerChunk vertices, whole triangles.
    constexpr int perChunk = kVerticesPerChunk / 3;
    const size_t chunk = static_cast<size_t>(t / perChunk);
    if (chunk >= m_vertexChunks.size()) return nullptr;
    return m_vertexChunks[chunk].data + 9 * static_cast<size_t>(t % perChunk);
}

void CDsItemTrigs::FreeChunks()
{
    for (int32_t id : m_vboIds) CDsManager::GetInstance()->RemoveVBOFromAllViews(id);
    m_vboIds.clear();
    for (SChunk& chunk : m_vertexChunks) std::free(chunk.data);
    for (SChunk& chunk : m_normalChunks) std::free(chunk.data);
    m_vertexChunks.clear();
    m_normalChunks.clear();
    StNoteVertexCountChange();
}

void CDsItemTrigs::SetTriangulation(const ZOVOvivavUrezezovovaza* triangulation, const VOREvu3v<float>* offset)
{
    FreeChunks();
    if (!triangulation) return;
    const int64_t vertexCount = int64_t(triangulation->GetTrianglesCount()) * 3;
    if (vertexCount < 1 || vertexCount > std::numeric_limits<int32_t>::max()) return;
    const int64_t chunks = (vertexCount + kVerticesPerChunk - 1) / kVerticesPerChunk;
    for (int64_t c = 0; c < chunks; ++c) {
        const int64_t vertices = c + 1 < chunks ? kVerticesPerChunk : vertexCount - c * kVerticesPerChunk;
        const size_t bytes = static_cast<size_t>(vertices) * 3 * sizeof(float);
        SChunk v{static_cast<float*>(std::malloc(bytes)), static_cast<int32_t>(vertices * 3)};
        SChunk n{static_cast<float*>(std::malloc(bytes)), static_cast<int32_t>(vertices * 3)};
        m_vertexChunks.push_back(v);
        m_normalChunks.push_back(n);
        if (!v.data || !n.data) {
            FreeChunks();
            return;
        }
    }
    StNoteVertexCountChange();
    const VOREvu3v<float> shift = offset ? *offset : VOREvu3v<float>();
    size_t chunk = 0;
    int32_t at = 0;
    for (auto t = triangulation->BeginTriangles(); t != triangulation->EndTriangles(); ++t) {
        const VOREvu3v<float> normal = triangulation->CalcNormal(*t);
        if (at == m_vertexChunks[chunk].floats) {
            ++chunk;
            at = 0;
        }
        float* v = m_vertexChunks[chunk].data + at;
        float* n = m_normalChunks[chunk].data + at;
        for (int i = 0; i < 3; ++i) {
            const VOREvu3v<float> p = triangulation->GetVertex(t->v[i]) + shift;
            v[3 * i] = p.x, v[3 * i + 1] = p.y, v[3 * i + 2] = p.z;
            n[3 * i] = normal.x, n[3 * i + 1] = normal.y, n[3 * i + 2] = normal.z;
        }
        at += 9;
    }
    VOREvu3v<float> lo, hi;
    if (triangulation->CalcBoundingBox(lo, hi)) {
        lo += shift;
        hi += shift;
        const double min[3] = {lo.x, lo.y, lo.z}, max[3] = {hi.x, hi.y, hi.z};
        SetExtremesCorners(min, max);
    }
}

void CDsItemTrigs::DrawGl(view3d& view)
{
    DrawOnTraverse(view, static_cast<CDsGeometry::eDrawPrimitives>(-1), true);
}

void CDsItemTrigs::DrawChunkVertices(int i) const
{
    const SChunk& v = m_vertexChunks[static_cast<size_t>(i)];
    const SChunk& n = m_normalChunks[static_cast<size_t>(i)];
    for (int32_t f = 0; f + 2 < v.floats; f += 3) {
        glNormal3fv(n.data + f);
        glVertex3fv(v.data + f);
    }
}

void CDsItemTrigs::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (m_vertexChunks.empty() || m_normalChunks.empty()) return;
    if (view.GetFlag(eDsViewFlagFastRefresh) && !m_drawInFastRefresh) return;
    if (!(kinds & CDsGeometry::eDpFaces)) return;
    CDsGlColorSaver saver;
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    if (StPickDraws()) {
        // A pick reads no vertex buffer (see the polygon base): the chunks go from client arrays.
        for (const SChunk& chunk : m_vertexChunks) StDrawClientTriangles(chunk.data, chunk.floats / 3);
        PopMatrix();
        return;
    }

    std::vector<bool> drawn(m_vertexChunks.size(), false);
    if (CDsItemPolygonsStl::StIsVBOSupported()) {
        CDsManager* manager = CDsManager::GetInstance();
        if (m_vboIds.empty()) {
            for (size_t i = 0; i < m_vertexChunks.size(); ++i) {
                SDsVBOData data;
                data.vertices = m_vertexChunks[i].data;
                data.normals = m_normalChunks[i].data;
                data.count = m_vertexChunks[i].floats / 3;
                data.verticesPerChunk = SDsVBOData::kDefaultVerticesPerChunk;
                m_vboIds.push_back(manager->AddVBO(data));
            }
        }
        auto* cdc = dynamic_cast<CDsView3dCdc*>(&view);
        for (size_t i = 0; i < m_vboIds.size() && i < drawn.size(); ++i) {
            CDsVBO vbo;
            if (m_vboIds[i] >= 0 && manager->GetVBO(cdc, m_vboIds[i], vbo)) drawn[i] = vbo.Draw(1);
        }
    }
    bool begun = false;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i]) continue;
        if (!begun) glBegin(GL_TRIANGLES);
        begun = true;
        DrawChunkVertices(static_cast<int>(i));
    }
    if (begun) glEnd();
    PopMatrix();
}
