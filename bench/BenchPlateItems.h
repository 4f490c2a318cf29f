// The benchmark plate filed in a scene as one item per face and per edge, the way a host that keeps
// its own geometry shows a body: each face's triangles and each edge's points in vertex buffers,
// with the points kept for the view's pick test of edges, the ray test of faces and the
// visible-only pass of region picks (one triangle a call of GetVertices).
//
// Needs a current OpenGL context with vertex buffers (the driver statics' extensions loaded).
#pragma once

#include "DsAttributes.h"
#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlSketch.h"
#include "DsPartStorage.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"
#include "VyrRefinement.h"

#include "SpaTopology.h"
#include "SpaValues.h"
#include "view3d.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <vector>

namespace bench {

// One face (triangles from a vertex buffer) or one edge (a line strip) of the plate.
class CPlateGeometry : public CDsGeometry {
public:
    CPlateGeometry(int kind, std::vector<float> points, std::vector<unsigned> indices)
        : m_kind(kind), m_points(std::move(points)), m_indices(std::move(indices))
    {
        for (size_t i = 0; i + 2 < m_points.size(); i += 3) m_box |= SPAposition(m_points[i], m_points[i + 1], m_points[i + 2]);
        m_positions = CDsDriverGl::CreateBufferVBO(int(m_points.size() * sizeof(float)), m_points.data(), false);
        if (!m_indices.empty())
            m_elements = CDsDriverGl::CreateBufferVBO(int(m_indices.size() * sizeof(unsigned)), m_indices.data(), true);
    }
    ~CPlateGeometry() override
    {
        CDsDriverGl::DeleteBufferVBO(m_positions);
        CDsDriverGl::DeleteBufferVBO(m_elements);
    }
    CDsGeometry* Clone() const override { return new CPlateGeometry(m_kind, m_points, m_indices); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = m_box;
        return !m_points.empty();
    }
    bool HasBoundBox(int) const override { return !m_points.empty(); }
    int GetDrawPrimitives(int) const override { return m_kind; }
    int Draw(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (m_kind != eDpLines || !(kinds & eDpLines)) return 0;
        return view.draw_polyline_3d(static_cast<int>(m_points.size() / 3), m_points.data(), 0);
    }
    void DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & m_kind)) return;
        glEnableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, m_positions);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        if (m_elements) {
            CDsDriverGl::BindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, m_elements);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_indices.size()), GL_UNSIGNED_INT, nullptr);
            CDsDriverGl::BindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        } else {
            glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(m_points.size() / 3));
        }
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int) override
    {
        if (m_kind == eDpLines && (kinds & eDpLines) && index == 0) {
            vertices = m_points.data();
            count = static_cast<int>(m_points.size() / 3);
        }
        // Faces: one triangle a call, as the visible-only pass of region picks reads them.
        const int triangles = static_cast<int>(m_indices.size() / 3);
        if (m_kind == eDpFaces && (kinds & eDpFaces) && index >= 0 && index < triangles) {
            for (int c = 0; c < 3; ++c)
                for (int a = 0; a < 3; ++a) m_triangle[3 * c + a] = m_points[3 * m_indices[3 * index + c] + a];
            vertices = m_triangle;
            count = 3;
            return index + 1 < triangles ? index + 1 : -1;
        }
        return -1;
    }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }
    bool GetVerticesBuffer(eDrawPrimitives kinds, std::vector<sVerticesBuffer>& buffers, int) override
    {
        if (m_kind != eDpFaces || !(kinds & eDpFaces)) return false;
        sVerticesBuffer buffer;
        buffer.m_primitive = eDpFaces;
        buffer.m_vertices = m_points;
        buffer.m_indices = m_indices;
        buffers.push_back(std::move(buffer));
        return true;
    }

private:
    int m_kind;
    std::vector<float> m_points;
    std::vector<unsigned> m_indices;
    SPAbox m_box;
    GLuint m_positions = 0;
    GLuint m_elements = 0;
    float m_triangle[9] = {};
};

// What FilePlateItems filed.
struct SPlateItems {
    int faces = 0;       // face items
    int items = 0;       // face and edge items
    long triangles = 0;  // triangles of the faces
};

// Files `plate` through the body sketch into `context`'s scene, one item per face (type
// `faceType`, colour `faceColor`) and per edge (`edgeType`, `edgeColor`), faceted at `refinement`
// (null: the current refinement), and widens `box` by the faces' points. False when the plate
// could not be faceted or an item could not be filed.
inline bool FilePlateItems(CDsGlContext& context, BODY* plate, const CVyrRefinement* refinement,
                           unsigned char faceType, COLORREF faceColor, unsigned char edgeType, COLORREF edgeColor,
                           SPAbox& box, SPlateItems& filed)
{
    CVyrRefinement* previous = CVyrRefinement::sCurrentRefinement;
    CVyrRefinement own;
    if (refinement) {
        own = *refinement;
        CVyrRefinement::StSetCurrentRefinement(&own);
    }
    const bool ellipses = CDsEllipseStorage::StGetDynamicEllipses();
    CDsEllipseStorage::StSetDynamicEllipses(false);
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(plate, true));
    CDsEllipseStorage::StSetDynamicEllipses(ellipses);
    if (refinement) CVyrRefinement::StSetCurrentRefinement(previous);
    if (!meshes) return false;
    CDsPartStorage* storage = CDsPartStorage::instance();
    const int peer = context.GetScene()->GetDbScene().GetPeerPartId();
    CDsAttributes faceLook, edgeLook;
    faceLook.SetColor(faceColor);
    edgeLook.SetColor(edgeColor);
    int id = 1;
    std::vector<CVyrIndexedMesh*> all;
    meshes->GetAllMeshes(all);
    for (CVyrIndexedMesh* mesh : all) {
        std::vector<int> indices;
        mesh->GenerateTrianglesList(indices);
        if (indices.empty()) continue;
        std::vector<float> positions;
        for (int i = 0; i < mesh->get_num_vertex(); ++i) {
            const float* p = mesh->GetFloatPosition(i);
            positions.insert(positions.end(), p, p + 3);
            box |= SPAposition(p[0], p[1], p[2]);
        }
        filed.triangles += static_cast<long>(indices.size() / 3);
        auto* geometry = new CPlateGeometry(CDsGeometry::eDpFaces, std::move(positions),
                                            std::vector<unsigned>(indices.begin(), indices.end()));
        if (!storage->AddItem(CVyrObjectId(peer, id++), faceType, geometry, nullptr, &faceLook, nullptr, nullptr, false))
            return false;
    }
    filed.faces = id - 1;
    for (auto it = meshes->BeginPolylines(); it != meshes->EndPolylines(); ++it) {
        const float* points = nullptr;
        const int n = it->second ? it->second->GetPoints(points) : 0;
        if (n < 2 || !points) continue;
        auto* geometry = new CPlateGeometry(CDsGeometry::eDpLines, std::vector<float>(points, points + 3 * n), {});
        if (!storage->AddItem(CVyrObjectId(peer, id++), edgeType, geometry, nullptr, &edgeLook, nullptr, nullptr, false))
            return false;
    }
    filed.items = id - 1;
    return true;
}

}  // namespace bench
