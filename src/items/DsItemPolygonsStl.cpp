// CDsItemPolygonsStl: an STL mesh drawn from vertex buffers, display lists or immediately.
#include "DsItemPolygonsStl.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsManager.h"
#include "DsPreferencesServices.h"
#include "DsSelectionNames.h"
#include "DsVBO.h"
#include "DsVBOData.h"
#include "DsView3dCdc.h"
#include "VyrStlData.h"

#include "view3d.h"

#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

uint8_t CDsItemPolygonsStl::sVBOSupport = 0;

namespace {

// Triangles per display list at most.
constexpr int kVerticesPerList = 196608;
// Meshes of this many vertices or more are thinned in a fast refresh.
constexpr int kThinFromVertices = 100001;
// The share of a list block or buffer chunk drawn in a fast refresh.
constexpr int kFastRefreshDivisor = 5;

// Clears the errors left set (at most a few: an error flag per kind).
void DrainGlErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

}  // namespace

bool CDsItemPolygonsStl::StIsVBOSupported()
{
    if (sVBOSupport == 0 && wglGetCurrentContext())
        sVBOSupport = CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_buffer_object") ? 2 : 1;
    return sVBOSupport == 2;
}

CDsItemPolygonsStl::CDsItemPolygonsStl() = default;

CDsItemPolygonsStl::CDsItemPolygonsStl(CVyrStlData* data, const SPAtransf& transform)
{
    m_data = data;
    if (m_data) {
        m_data->addRC();
        int triangles = 0;
        for (const CVyrTriangle* t = m_data->GetFirstTriangle(); t; t = m_data->GetNextTriangle()) ++triangles;
        if (triangles <= INT_MAX / 3) m_vertexCount = 3 * triangles;
    }
    if (m_vertexCount > 0) {
        m_vertices = static_cast<float*>(std::malloc(static_cast<size_t>(m_vertexCount) * 3 * sizeof(float)));
        if (m_vertices) {
            float* out = m_vertices;
            for (const CVyrTriangle* t = m_data->GetFirstTriangle(); t; t = m_data->GetNextTriangle()) {
                const SPAposition* p = t->GetPosVec();
                for (int i = 0; i < 3; ++i) {
                    *out++ = static_cast<float>(p[i].x());
                    *out++ = static_cast<float>(p[i].y());
                    *out++ = static_cast<float>(p[i].z());
                }
            }
        }
    }
    m_matrix.Multiply(transform);
    m_extremesValid = 0;
    UpdateExtremes();
}

CDsItemPolygonsStl::~CDsItemPolygonsStl()
{
    if (m_data) m_data->decRC();
    m_data = nullptr;
    if (m_vboId >= 0) CDsManager::GetInstance()->RemoveVBOFromAllViews(m_vboId);
    m_vboId = -1;
    std::free(m_vertices);
    std::free(m_normals);
    m_vertices = m_normals = nullptr;
    DeleteGlList();
}

// --- Item protocol ------------------------------------------------------------------------------

EDsItemsType CDsItemPolygonsStl::GetItemType()
{
    return eDsItemPolygonsStl;
}

bool CDsItemPolygonsStl::Pick(view3d* view)
{
    if (!view) return false;
    if (view->get_pick_mode() == 0) {
        if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view)) DrawExtremes(*extrema, nullptr);
        return false;
    }
    // Shaded, the faces answer for the mesh (by selection or by the ray); drawn as lines, the
    // lines do, as the view shows them.
    if (IsShaded(*view)) return false;
    const int triangles = GetOwnTrianglesCount();
    if (triangles <= 0) return false;
    m_matrix.SetToView(*view);
    bool hit = false;
    for (int t = 0; t < triangles && !hit; ++t) hit = view->draw_polyline_3d(3, GetOwnTriangle(t), 1) != 0;
    m_matrix.ResetView(*view);
    return hit;
}

bool CDsItemPolygonsStl::Pick(pick_manager*)
{
    return false;
}

int CDsItemPolygonsStl::GetVerticesCount(CDsGeometry::eDrawPrimitives kinds)
{
    if (!m_vertices || (kinds != CDsGeometry::eDpFaces && kinds != CDsGeometry::eDpLines)) return -1;
    if (kinds == CDsGeometry::eDpFaces && !FacesDrawn()) return -1;
    return m_vertexCount;
}

int CDsItemPolygonsStl::GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count)
{
    if ((kinds & CDsGeometry::eDpFaces) && !FacesDrawn()) {
        if (!(kinds & CDsGeometry::eDpLines)) return -1;
        kinds = CDsGeometry::eDpLines;
    }
    return CDsItemPolygonsBase::GetVertices(kinds, index, vertices, count);
}

bool CDsItemPolygonsStl::FacesDrawn()
{
    CDsView3dCdc* view = CDsView3dCdc::sCurrentView;  // read, not made current: a pick draws in its own context
    return !view || IsShaded(*view);
}

int CDsItemPolygonsStl::GetOwnTrianglesCount() const
{
    return m_vertices ? m_vertexCount / 3 : 0;
}

const float* CDsItemPolygonsStl::GetOwnTriangle(int t) const
{
    return m_vertices + 9 * static_cast<size_t>(t);
}

int CDsItemPolygonsStl::GetDrawPrimitives()
{
    return CDsGeometry::eDpFaces | CDsGeometry::eDpLines;
}

bool CDsItemPolygonsStl::GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds,
                                           std::vector<CDsGeometry::sVerticesBuffer>& buffers, int)
{
    if (!m_vertices || (kinds != CDsGeometry::eDpFaces && kinds != CDsGeometry::eDpLines)) return false;
    if (kinds == CDsGeometry::eDpFaces && !FacesDrawn()) return false;
    CDsGeometry::sVerticesBuffer buffer;
    buffer.m_primitive = CDsGeometry::eDpFaces;  // triangles, three vertices each
    buffer.m_vertices.assign(m_vertices, m_vertices + static_cast<size_t>(m_vertexCount) * 3);
    // Placed as drawn, as GetVertices answers them.
    if (!m_matrix.IsIdentity())
        for (size_t v = 0; v + 2 < buffer.m_vertices.size(); v += 3)
            PlaceVertex(&buffer.m_vertices[v], &buffer.m_vertices[v]);
    buffers.push_back(std::move(buffer));
    return true;
}

void CDsItemPolygonsStl::UpdateExtremes()
{
    if (m_extremesValid) return;
    m_extremesValid = 1;
    if (m_data && m_vertexCount > 0) {
        const SPAposition& first = (*m_data)[0]->GetPosVec()[0];
        double lo[3] = {first.x(), first.y(), first.z()};
        double hi[3] = {lo[0], lo[1], lo[2]};
        const int triangles = m_vertexCount / 3;
        for (int t = 0; t < triangles; ++t) {
            const SPAposition* p = (*m_data)[t]->GetPosVec();
            for (int i = 0; i < 3; ++i) {
                const double c[3] = {p[i].x(), p[i].y(), p[i].z()};
                for (int a = 0; a < 3; ++a) {
                    if (c[a] < lo[a]) lo[a] = c[a];
                    if (c[a] > hi[a]) hi[a] = c[a];
                }
            }
        }
        for (int a = 0; a < 3; ++a) {
            m_min[a] = lo[a];
            m_max[a] = hi[a];
        }
    }
    // Measured anew: the corners of an earlier transformation are not kept.
    m_transformedBox.ResetMembers();
    CDsItemPolygonsBase::ExpandBox(m_transformedBox, nullptr);
}

bool CDsItemPolygonsStl::IsShaded(view3d& view)
{
    if (!dynamic_cast<CDsView3dCdc*>(&view)) return false;
    if (CDsManager::GetInstance()->GetFlag(10)) return false;
    return IsShadedIn(view.GetRenderMode());
}

bool CDsItemPolygonsStl::IsShadedIn(int renderMode)
{
    return renderMode == eRenderShade || renderMode == eRenderMixed;
}

// --- The two roads ------------------------------------------------------------------------------

void CDsItemPolygonsStl::DrawGl(view3d& view)
{
    glPushName(CDsSelectionNames::StGetName(this));
    PushMatrix();
    SaveOpenGlFlags();
    glDisable(GL_CULL_FACE);
    SetGlRenderAttribute(IsShaded(view));
    {
        CDsGlColorSaver saver;
        ApplyColor(saver, true);
        DrawTriangles(view);
    }
    RestoreOpenGlFlags();
    PopMatrix();
    glPopName();
}

void CDsItemPolygonsStl::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    const bool shaded = IsShaded(view);
    if (!(kinds & (shaded ? CDsGeometry::eDpFaces : CDsGeometry::eDpLines))) return;
    CDsGlColorSaver saver;
    if (!shaded) {
        glPushAttrib(GL_POLYGON_BIT);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    DrawTriangles(view);
    PopMatrix();
    if (!shaded) glPopAttrib();
}

void CDsItemPolygonsStl::DrawTriangles(view3d& view)
{
    if (!m_data || m_vertexCount <= 0) return;
    if (DrawTrianglesForPick(false)) return;  // a pick reads no list or buffer (see the base)
    auto* cdc = dynamic_cast<CDsView3dCdc*>(&view);
    CDsGlContext* context = cdc ? cdc->GetGlContext() : nullptr;
    if (context && context->GetRenderToBitmap()) {
        DrawImmediate();
        return;
    }
    const bool fast = view.GetFlag(eDsViewFlagFastRefresh);
    if (DrawFromBuffers(cdc, fast)) return;
    if (m_firstList == 0 && !BuildLists()) {
        DrawImmediate();
        return;
    }
    int n = m_listCount;
    if (fast && CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false))
        n = std::max(1, m_listCount / kFastRefreshDivisor);
    DrawDisplayLists(n);
}

bool CDsItemPolygonsStl::DrawFromBuffers(CDsView3dCdc* view, bool fastRefresh)
{
    if (!StIsVBOSupported() || !m_vertices) return false;
    CDsManager* manager = CDsManager::GetInstance();
    if (m_vboId < 0) {
        if (!m_normals) {
            m_normals = static_cast<float*>(std::malloc(static_cast<size_t>(m_vertexCount) * 3 * sizeof(float)));
            if (!m_normals) return false;
            float* out = m_normals;
            const int triangles = m_vertexCount / 3;
            for (int t = 0; t < triangles; ++t) {
                const SPAunit_vector& n = (*m_data)[t]->GetNormal();
                const float xyz[3] = {static_cast<float>(n.x()), static_cast<float>(n.y()), static_cast<float>(n.z())};
                for (int i = 0; i < 3; ++i, out += 3) std::memcpy(out, xyz, sizeof(xyz));
            }
        }
        SDsVBOData data;
        data.vertices = m_vertices;
        data.normals = m_normals;
        data.count = m_vertexCount;
        data.verticesPerChunk = SDsVBOData::kDefaultVerticesPerChunk;
        m_vboId = manager->AddVBO(data);
        if (m_vboId < 0) return false;
    }
    CDsVBO vbo;
    if (!manager->GetVBO(view, m_vboId, vbo)) return false;
    int divisor = 1;
    if (fastRefresh && m_vertexCount >= kThinFromVertices) {
        DrawBoundBox();
        divisor = kFastRefreshDivisor;
    }
    return vbo.Draw(divisor);
}

bool CDsItemPolygonsStl::BuildLists()
{
    if (m_listCount > 0) DeleteGlList();
    DrainGlErrors();
    const int count = m_vertexCount / kVerticesPerList + 1;
    m_listCount = count;
    GenerateDisplayLists();
    if (m_firstList == 0) return false;
    const int triangles = m_vertexCount / 3;
    for (int k = 0; k < count; ++k) {
        glNewList(m_firstList + static_cast<GLuint>(k), GL_COMPILE);
        glBegin(GL_TRIANGLES);
        for (int t = k; t < triangles; t += count) {
            const CVyrTriangle* triangle = (*m_data)[t];
            const SPAunit_vector& n = triangle->GetNormal();
            glNormal3d(n.x(), n.y(), n.z());
            const SPAposition* p = triangle->GetPosVec();
            for (int i = 0; i < 3; ++i) glVertex3d(p[i].x(), p[i].y(), p[i].z());
        }
        glEnd();
        glEndList();
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        (void)gluErrorString(error);
        DrainGlErrors();
        CDsDriverGl::StDeleteGlLists(m_firstList, count);
        m_firstList = 0;
        return false;
    }
    SetGlListFlag(true);
    return true;
}

void CDsItemPolygonsStl::DrawImmediate()
{
    const int triangles = m_vertexCount / 3;
    CDsDriverGl::StBeginVertices(GL_TRIANGLES);
    for (int t = 0; t < triangles; ++t) {
        const CVyrTriangle* triangle = (*m_data)[t];
        const SPAunit_vector& n = triangle->GetNormal();
        glNormal3d(n.x(), n.y(), n.z());
        const SPAposition* p = triangle->GetPosVec();
        for (int i = 0; i < 3; ++i)
            CDsDriverGl::StVertex(static_cast<float>(p[i].x()), static_cast<float>(p[i].y()), static_cast<float>(p[i].z()));
    }
    CDsDriverGl::StEndVertices();
}
