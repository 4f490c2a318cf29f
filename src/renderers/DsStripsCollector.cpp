// The strips walker and its OpenGL receiver.
#include "DsStripsCollector.h"

#include "DsMeshGlSeam.h"
#include "VyrIndexedMesh.h"

void CDsStripsRendererGl::BeginTriangles()
{
    gDsMeshGl.Begin(GL_TRIANGLES);
}

void CDsStripsRendererGl::BeginQuads()
{
    gDsMeshGl.Begin(GL_QUADS);
}

void CDsStripsRendererGl::BeginPolygon()
{
    gDsMeshGl.Begin(GL_POLYGON);
}

void CDsStripsRendererGl::BeginQuadStrip()
{
    gDsMeshGl.Begin(GL_QUAD_STRIP);
}

void CDsStripsRendererGl::BeginTriangleStrip()
{
    gDsMeshGl.Begin(GL_TRIANGLE_STRIP);
}

void CDsStripsRendererGl::SetColor(int index)
{
    gDsMeshGl.PaletteColor(index);
}

void CDsStripsRendererGl::Normal(float x, float y, float z)
{
    gDsMeshGl.Normal3f(x, y, z);
}

void CDsStripsRendererGl::Normal(const float* normal)
{
    gDsMeshGl.Normal3fv(normal);
}

void CDsStripsRendererGl::Vertex(float x, float y, float z)
{
    gDsMeshGl.Vertex3f(x, y, z);
}

void CDsStripsRendererGl::Vertex(const float* position)
{
    gDsMeshGl.Vertex3fv(position);
}

void CDsStripsRendererGl::End()
{
    gDsMeshGl.End();
}

CDsStripsWalker::CDsStripsWalker(const CVyrIndexedMesh* mesh, CDsStripsCollector* receiver)
    : m_mesh(mesh), m_receiver(receiver), m_reversed(mesh && mesh->GetReverseFlag() != 0)
{
}

void CDsStripsWalker::Draw()
{
    if (!m_mesh || !m_receiver || m_mesh->get_num_polygon() < 1 || !m_mesh->get_polygon(0)) return;
    if (m_mesh->get_polygon(0)->get_share_info() == -2) {
        PlainPolygons();
        return;
    }
    const int count = m_mesh->get_num_polygon();
    int next = 0;
    while (next < count) {
        const CVyrIndexedPolygon* polygon = m_mesh->get_polygon(next);
        const int n = polygon->num_vertex();
        if (n == 3) {
            TriangleStrip(next);
        } else if (n == 4) {
            QuadStrip(next);
        } else {
            ++next;
            if (n < 3) continue;
            m_receiver->BeginPolygon();
            for (int k = 0; k < n; ++k) SendVertex(polygon->get_vertex(k));
            m_receiver->End();
        }
    }
}

void CDsStripsWalker::PlainPolygons()
{
    const int count = m_mesh->get_num_polygon();
    int i = 0;
    while (i < count) {
        const int n = m_mesh->get_polygon(i)->num_vertex();
        if (n < 3) {
            ++i;
            continue;
        }
        if (n == 3 || n == 4) {
            if (n == 3)
                m_receiver->BeginTriangles();
            else
                m_receiver->BeginQuads();
            for (; i < count && m_mesh->get_polygon(i)->num_vertex() == n; ++i)
                for (int k = 0; k < n; ++k) SendVertex(m_mesh->get_polygon(i)->get_vertex(k));
            m_receiver->End();
            continue;
        }
        const CVyrIndexedPolygon* polygon = m_mesh->get_polygon(i++);
        m_receiver->BeginPolygon();
        for (int k = 0; k < n; ++k) SendVertex(polygon->get_vertex(k));
        m_receiver->End();
    }
}

void CDsStripsWalker::TriangleStrip(int& next)
{
    const int count = m_mesh->get_num_polygon();
    const CVyrIndexedPolygon* first = m_mesh->get_polygon(next++);
    m_receiver->BeginTriangleStrip();
    for (int k = 0; k < 3; ++k) SendVertex(first->get_vertex(k));
    for (; next < count; ++next) {
        const CVyrIndexedPolygon* polygon = m_mesh->get_polygon(next);
        if (polygon->get_share_info() == -1 || polygon->num_vertex() != 3) break;
        SendVertex(polygon->get_vertex(2));
    }
    m_receiver->End();
}

void CDsStripsWalker::QuadStrip(int& next)
{
    const int count = m_mesh->get_num_polygon();
    const CVyrIndexedPolygon* first = m_mesh->get_polygon(next++);
    m_receiver->BeginQuadStrip();
    for (int k : {0, 1, 3, 2}) SendVertex(first->get_vertex(k));
    for (; next < count; ++next) {
        const CVyrIndexedPolygon* polygon = m_mesh->get_polygon(next);
        if (polygon->get_share_info() == -1 || polygon->num_vertex() != 4) break;
        SendVertex(polygon->get_vertex(3));
        SendVertex(polygon->get_vertex(2));
    }
    m_receiver->End();
}

void CDsStripsWalker::SendVertex(const CVyrPolygonVertex* vertex)
{
    if (!vertex) return;
    const float* normal = vertex->GetFloatNormal();
    if (m_reversed)
        m_receiver->Normal(-normal[0], -normal[1], -normal[2]);
    else
        m_receiver->Normal(normal);
    ++m_vertexCount;
    if (m_mesh->GetVertexColors()) m_receiver->SetColor(m_mesh->GetVertexColorIndex(vertex));
    m_receiver->Vertex(vertex->GetFloatPosition());
}
