// CDsGlMeshPainter: a face's indexed mesh through OpenGL, from a display list, vertex buffers or
// immediately.
#include "DsGlMeshPainter.h"

#include "DsDriverGl.h"
#include "DsMeshGlSeam.h"
#include "VyrCommandLineParser.h"
#include "VyrIndexedMesh.h"
#include "rendering_context.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

namespace {

// A switch of the command line, read once per name by the caller's static.
bool CommandLineHas(const wchar_t* name)
{
    return CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(name));
}

bool UseVBOSwitch()
{
    static const bool present = CommandLineHas(L"UseVBO");
    return present;
}

bool NoFaceListsSwitch()
{
    static const bool present = CommandLineHas(L"DontUseDisplayListForFaces");
    return present;
}

// The scratch arrays a strip is gathered in before it goes into buffers, reused for every strip.
std::vector<float>& ScratchPositions()
{
    static std::vector<float> positions;
    return positions;
}

std::vector<float>& ScratchNormals()
{
    static std::vector<float> normals;
    return normals;
}

// The silhouette segments of one draw, emptied after it.
CVyrIndexedMesh::SegmentList& SilhouetteSegments()
{
    static CVyrIndexedMesh::SegmentList segments;
    return segments;
}

// Whether the view's rendering context draws into a bitmap.
bool RendersToBitmap(view3d& view)
{
    rendering_context* context = view.get_rendering_context();
    return context && context->GetRenderToBitmap() != 0;
}

// Whether every polygon of the mesh is a triangle.
bool AllTriangles(const CVyrIndexedMesh& mesh)
{
    const int count = mesh.get_num_polygon();
    for (int i = 0; i < count; ++i)
        if (mesh.get_polygon(i)->num_vertex() != 3) return false;
    return true;
}

// Sends `normal`, negated when `negate`.
void SendNormal(const float* normal, bool negate)
{
    if (!negate) {
        gDsMeshGl.Normal3fv(normal);
        return;
    }
    const GLfloat negated[3] = {0.0f - normal[0], 0.0f - normal[1], 0.0f - normal[2]};
    gDsMeshGl.Normal3fv(negated);
}

// A static-draw array buffer of the floats, 0 when none could be made.
GLuint MakeBuffer(const std::vector<float>& data)
{
    return CDsDriverGl::CreateBufferVBO(static_cast<int>(data.size() * sizeof(float)), data.data(), false);
}

}  // namespace

// --- Choosing the road ----------------------------------------------------------------------------

bool CDsGlMeshPainter::StSelectsOrFeedsBack()
{
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode == GL_SELECT || mode == GL_FEEDBACK;
}

bool CDsGlMeshPainter::DrawIndexedMesh(view3d& view, CVyrIndexedMesh* mesh, bool immediate)
{
    if (!mesh) return false;
    gDsMeshGl.FrontFace(immediate && m_reflect ? GL_CW : GL_CCW);
    if (mesh->get_num_polygon() < 1 || !mesh->get_polygon(0)) return false;
    if (StSelectsOrFeedsBack()) return MeshToClientArrays(*mesh);
    const bool useVbo = UseVBOSwitch();
    const bool toBitmap = RendersToBitmap(view);
    if (!useVbo && !immediate && !toBitmap && DrawDisplayList(*mesh)) return true;
    InitState(mesh);
    return MeshToGL(mesh, immediate, useVbo && !immediate && !toBitmap);
}

bool CDsGlMeshPainter::DrawDisplayList(CVyrIndexedMesh& mesh)
{
    if (NoFaceListsSwitch()) return false;
    const int kind = 1 + (m_colorPerVertex ? 1 : 0) + (m_reflect ? 4 : 0);
    if (!mesh.IsDisplayListExists(kind)) {
        mesh.DeleteDisplayList();
        // A list cannot be opened inside another one being compiled: the mesh then goes into that
        // list as it is drawn.
        GLint compiling = 0;
        glGetIntegerv(GL_LIST_INDEX, &compiling);
        if (compiling != 0 || !mesh.StartDisplayListCreation(kind)) return false;
        InitState(&mesh);
        MeshToGL(&mesh, false, false);
        mesh.FinishDisplayListCreation();
    }
    GLfloat color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (m_colorPerVertex) glGetFloatv(GL_CURRENT_COLOR, color);
    gDsMeshGl.CallList(mesh.GetDisplayList());
    if (m_colorPerVertex) gDsMeshGl.Color4f(color[0], color[1], color[2], color[3]);
    return true;
}

void CDsGlMeshPainter::InitState(const CVyrIndexedMesh* mesh)
{
    m_planar = mesh && mesh->GetPlanarFlag() != 0;
    m_normalSent = false;
}

// --- Sending the mesh -------------------------------------------------------------------------------

bool CDsGlMeshPainter::MeshToGL(CVyrIndexedMesh* mesh, bool immediate, bool useBuffers)
{
    if (!mesh || mesh->get_num_polygon() < 1 || !mesh->get_polygon(0)) return false;
    GLfloat color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (m_colorPerVertex) glGetFloatv(GL_CURRENT_COLOR, color);

    if (useBuffers && CanUseBuffers(*mesh)) CreateVBO(*mesh);
    if (useBuffers && CanUseBuffers(*mesh) && !mesh->GetVBOs().empty()) {
        DrawVBOs(*mesh);
    } else if (mesh->get_polygon(0)->get_share_info() == -2) {
        DrawPlainPolygons(*mesh, immediate);
    } else {
        const int count = mesh->get_num_polygon();
        int next = 0;
        while (next < count) {
            const CVyrIndexedPolygon* polygon = mesh->get_polygon(next);
            const int n = polygon->num_vertex();
            if (n == 3) {
                DrawTriangleStrip(*mesh, next, immediate);
            } else if (n == 4) {
                DrawQuadStrip(*mesh, next, immediate);
            } else {
                ++next;
                if (n < 3) continue;
                gDsMeshGl.Begin(GL_POLYGON);
                for (int i = 0; i < n; ++i) PolyVertexToGL(polygon->get_vertex(i), immediate, mesh);
                gDsMeshGl.End();
            }
        }
    }

    if (m_colorPerVertex) gDsMeshGl.Color4f(color[0], color[1], color[2], color[3]);
    return true;
}

namespace {

// The mesh's positions in MeshToGL's blocks and vertex orders, of its present revision.
std::shared_ptr<const CVyrIndexedMesh::SPickArrays> MakePickArrays(const CVyrIndexedMesh& mesh)
{
    // The blocks MeshToGL sends, as runs of positions of the same primitives and vertex orders.
    auto made = std::make_shared<CVyrIndexedMesh::SPickArrays>();
    made->revision = mesh.GetRevision();
    std::vector<CVyrIndexedMesh::SPickArrays::SRun>& runs = made->runs;
    std::vector<float>& positions = made->positions;
    positions.reserve(3 * static_cast<size_t>(std::max(mesh.get_num_polynode(), 0)));
    const auto begin = [&](GLenum mode) {
        runs.push_back(CVyrIndexedMesh::SPickArrays::SRun{mode, static_cast<int>(positions.size() / 3), 0});
    };
    const auto add = [&](const CVyrPolygonVertex* vertex) {
        if (!vertex) return;
        const float* p = vertex->GetFloatPosition();
        positions.insert(positions.end(), p, p + 3);
    };
    const auto end = [&] { runs.back().count = static_cast<int>(positions.size() / 3) - runs.back().first; };
    const int count = mesh.get_num_polygon();
    const bool plain = mesh.get_polygon(0)->get_share_info() == -2;
    for (int next = 0; next < count;) {
        const CVyrIndexedPolygon* polygon = mesh.get_polygon(next);
        const int n = polygon->num_vertex();
        if (n < 3) {
            ++next;
            continue;
        }
        if (plain && (n == 3 || n == 4)) {
            begin(n == 3 ? GL_TRIANGLES : GL_QUADS);
            for (; next < count && mesh.get_polygon(next)->num_vertex() == n; ++next)
                for (int k = 0; k < n; ++k) add(mesh.get_polygon(next)->get_vertex(k));
        } else if (!plain && n == 3) {
            begin(GL_TRIANGLE_STRIP);
            for (int k = 0; k < 3; ++k) add(polygon->get_vertex(k));
            for (++next; next < count; ++next) {
                const CVyrIndexedPolygon* more = mesh.get_polygon(next);
                if (more->get_share_info() == -1 || more->num_vertex() != 3) break;
                add(more->get_vertex(2));
            }
        } else if (!plain && n == 4) {
            begin(GL_QUAD_STRIP);
            for (int k : {0, 1, 3, 2}) add(polygon->get_vertex(k));
            for (++next; next < count; ++next) {
                const CVyrIndexedPolygon* more = mesh.get_polygon(next);
                if (more->get_share_info() == -1 || more->num_vertex() != 4) break;
                add(more->get_vertex(3));
                add(more->get_vertex(2));
            }
        } else {
            begin(GL_POLYGON);
            for (int k = 0; k < n; ++k) add(polygon->get_vertex(k));
            ++next;
        }
        end();
    }
    return made;
}

}  // namespace

bool CDsGlMeshPainter::MeshToClientArrays(const CVyrIndexedMesh& mesh)
{
    // Made once a revision and kept with the mesh: a hover pick selects the same faces again and
    // again.
    std::shared_ptr<const CVyrIndexedMesh::SPickArrays> arrays = mesh.GetPickArrays();
    if (!arrays || arrays->revision != mesh.GetRevision()) {
        arrays = MakePickArrays(mesh);
        mesh.SetPickArrays(arrays);
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY})
        glDisableClientState(array);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays->positions.data());
    for (const CVyrIndexedMesh::SPickArrays::SRun& run : arrays->runs)
        if (run.count > 0) glDrawArrays(static_cast<GLenum>(run.mode), run.first, run.count);
    glPopClientAttrib();
    return true;
}

void CDsGlMeshPainter::DrawPlainPolygons(const CVyrIndexedMesh& mesh, bool immediate)
{
    const int count = mesh.get_num_polygon();
    int i = 0;
    while (i < count) {
        const int n = mesh.get_polygon(i)->num_vertex();
        if (n < 3) {
            ++i;
            continue;
        }
        if (n == 3 || n == 4) {
            // A run of polygons of this many vertices shares one block.
            gDsMeshGl.Begin(n == 3 ? GL_TRIANGLES : GL_QUADS);
            for (; i < count && mesh.get_polygon(i)->num_vertex() == n; ++i) {
                const CVyrIndexedPolygon* polygon = mesh.get_polygon(i);
                for (int k = 0; k < n; ++k) PolyVertexToGL(polygon->get_vertex(k), immediate, &mesh);
            }
            gDsMeshGl.End();
            continue;
        }
        const CVyrIndexedPolygon* polygon = mesh.get_polygon(i++);
        gDsMeshGl.Begin(GL_POLYGON);
        for (int k = 0; k < n; ++k) PolyVertexToGL(polygon->get_vertex(k), immediate, &mesh);
        gDsMeshGl.End();
    }
}

void CDsGlMeshPainter::DrawTriangleStrip(const CVyrIndexedMesh& mesh, int& next, bool immediate)
{
    const int count = mesh.get_num_polygon();
    const CVyrIndexedPolygon* first = mesh.get_polygon(next++);
    gDsMeshGl.Begin(GL_TRIANGLE_STRIP);
    for (int k = 0; k < 3; ++k) PolyVertexToGL(first->get_vertex(k), immediate, &mesh);
    for (; next < count; ++next) {
        const CVyrIndexedPolygon* polygon = mesh.get_polygon(next);
        if (polygon->get_share_info() == -1 || polygon->num_vertex() != 3) break;
        PolyVertexToGL(polygon->get_vertex(2), immediate, &mesh);
    }
    gDsMeshGl.End();
}

void CDsGlMeshPainter::DrawQuadStrip(const CVyrIndexedMesh& mesh, int& next, bool immediate)
{
    const int count = mesh.get_num_polygon();
    const CVyrIndexedPolygon* first = mesh.get_polygon(next++);
    gDsMeshGl.Begin(GL_QUAD_STRIP);
    for (int k : {0, 1, 3, 2}) PolyVertexToGL(first->get_vertex(k), immediate, &mesh);
    for (; next < count; ++next) {
        const CVyrIndexedPolygon* polygon = mesh.get_polygon(next);
        if (polygon->get_share_info() == -1 || polygon->num_vertex() != 4) break;
        PolyVertexToGL(polygon->get_vertex(3), immediate, &mesh);
        PolyVertexToGL(polygon->get_vertex(2), immediate, &mesh);
    }
    gDsMeshGl.End();
}

void CDsGlMeshPainter::PolyVertexToGL(const CVyrPolygonVertex* vertex, bool immediate, const CVyrIndexedMesh* mesh)
{
    if (!vertex) return;
    if (!m_normalSent) {
        SendNormal(vertex->GetFloatNormal(), m_reflect && !immediate);
        if (m_planar) m_normalSent = true;
    }
    if (m_colorPerVertex && mesh && mesh->GetVertexColors())
        gDsMeshGl.PaletteColor(mesh->GetVertexColorIndex(vertex));
    gDsMeshGl.Vertex3fv(vertex->GetFloatPosition());
}

// --- Vertex buffers ------------------------------------------------------------------------------------

bool CDsGlMeshPainter::CanUseBuffers(const CVyrIndexedMesh& mesh) const
{
    if (m_colorPerVertex) return false;
    if (m_reflect && !mesh.GetPlanarFlag()) return false;
    return mesh.get_num_polygon() > kBufferPolygonThreshold && CDsDriverGl::IsVBOSupported();
}

void CDsGlMeshPainter::CreateVBO(CVyrIndexedMesh& mesh)
{
    // The caller has asked CanUseBuffers (size, support, painter's mode).
    if (!mesh.GetVBOs().empty() || !AllTriangles(mesh)) return;
    CDsDriverGl::InitVBOExtension();

    const bool planar = mesh.GetPlanarFlag() != 0;
    const bool strips = mesh.get_polygon(0)->get_share_info() != -2;
    const int count = mesh.get_num_polygon();
    std::vector<SDSDataVBO> records;
    bool failed = false;
    int next = 0;
    while (next < count && !failed) {
        std::vector<float>& positions = ScratchPositions();
        std::vector<float>& normals = ScratchNormals();
        SDSDataVBO record;
        const int start = next;
        if (strips) {
            CreateTriangleStripVBO(mesh, next);
            record.mode = GL_TRIANGLE_STRIP;
        } else {
            positions.clear();
            normals.clear();
            for (; next < count; ++next)
                for (int k = 0; k < 3; ++k) PolyVertexToVBO(mesh.get_polygon(next)->get_vertex(k), planar);
            record.mode = GL_TRIANGLES;
        }
        record.vertexCount = static_cast<int>(positions.size() / 3);
        record.vertexBuffer = MakeBuffer(positions);
        if (planar) {
            const float* first = mesh.get_polygon(start)->get_vertex(0)->GetFloatNormal();
            for (int k = 0; k < 3; ++k) record.normal[k] = first[k];
        } else {
            record.normalBuffer = MakeBuffer(normals);
            failed = record.normalBuffer == 0;
        }
        failed = failed || record.vertexBuffer == 0;
        records.push_back(record);
    }
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    if (failed) {
        for (SDSDataVBO& record : records) {
            CDsDriverGl::DeleteBufferVBO(record.vertexBuffer);
            CDsDriverGl::DeleteBufferVBO(record.normalBuffer);
        }
        return;
    }
    for (const SDSDataVBO& record : records) mesh.AddVBO(record);
}

void CDsGlMeshPainter::CreateTriangleStripVBO(const CVyrIndexedMesh& mesh, int& next)
{
    ScratchPositions().clear();
    ScratchNormals().clear();
    const bool planar = mesh.GetPlanarFlag() != 0;
    const int count = mesh.get_num_polygon();
    const CVyrIndexedPolygon* first = mesh.get_polygon(next++);
    for (int k = 0; k < 3; ++k) PolyVertexToVBO(first->get_vertex(k), planar);
    for (; next < count && mesh.get_polygon(next)->get_share_info() != -1; ++next)
        PolyVertexToVBO(mesh.get_polygon(next)->get_vertex(2), planar);
}

void CDsGlMeshPainter::PolyVertexToVBO(const CVyrPolygonVertex* vertex, bool planar)
{
    if (!vertex) return;
    const float* p = vertex->GetFloatPosition();
    ScratchPositions().insert(ScratchPositions().end(), p, p + 3);
    if (planar) return;
    const float* n = vertex->GetFloatNormal();
    ScratchNormals().insert(ScratchNormals().end(), n, n + 3);
}

void CDsGlMeshPainter::DrawVBOs(const CVyrIndexedMesh& mesh)
{
    const std::vector<SDSDataVBO>& records = mesh.GetVBOs();
    gDsMeshGl.EnableClientState(GL_VERTEX_ARRAY);
    const bool planar = mesh.GetPlanarFlag() != 0;
    if (planar) SendNormal(mesh.get_polygon(0)->get_vertex(0)->GetFloatNormal(), m_reflect);
    bool normalArray = false;
    for (const SDSDataVBO& record : records) {
        if (record.normalBuffer != 0 && !normalArray) {
            gDsMeshGl.EnableClientState(GL_NORMAL_ARRAY);
            normalArray = true;
        } else if (record.normalBuffer == 0) {
            if (normalArray) gDsMeshGl.DisableClientState(GL_NORMAL_ARRAY);
            normalArray = false;
            if (!planar) SendNormal(record.normal, m_reflect);
        }
        gDsMeshGl.DrawVBO(record.vertexBuffer, record.normalBuffer, record.vertexCount, record.mode);
    }
    gDsMeshGl.DisableClientState(GL_VERTEX_ARRAY);
    if (normalArray) gDsMeshGl.DisableClientState(GL_NORMAL_ARRAY);
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

// --- Silhouette -----------------------------------------------------------------------------------------

bool CDsGlMeshPainter::DrawSilhouette(view3d& view, CVyrIndexedMesh* mesh)
{
    if (!mesh) return false;
    CVyrIndexedMesh::SegmentList& segments = SilhouetteSegments();
    segments.clear();
    const SPAtransf placement = view.is_model_transform_enabled() ? view.get_model_transform() : SPAtransf();
    mesh->ComputeSilhouette(placement, view.get_eye(), view.get_target(), segments);
    for (const auto& segment : segments) {
        gDsMeshGl.Begin(GL_LINES);
        gDsMeshGl.Vertex3f(static_cast<float>(segment.first.x()), static_cast<float>(segment.first.y()),
                           static_cast<float>(segment.first.z()));
        gDsMeshGl.Vertex3f(static_cast<float>(segment.second.x()), static_cast<float>(segment.second.y()),
                           static_cast<float>(segment.second.z()));
        gDsMeshGl.End();
    }
    segments.clear();
    return true;
}
