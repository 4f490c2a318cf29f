// CDsItemPolygonsBase and CDsGlColorSaver: what the polygon leaves share.
#include "DsItemPolygonsBase.h"

#include "DsBox.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGlMeshPainter.h"
#include "DsGlStateCache.h"
#include "DsLineAttribStorage.h"
#include "DsMirroredFrontFace.h"
#include "DsPartStorage.h"

#include "SpaValues.h"
#include "view3d.h"

#include <algorithm>


namespace {

// The material terms a colour saver keeps, in the order of its per-face array.
constexpr GLenum kMaterialTerms[4] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION};

// The faces a colour saver keeps the material of, in the order of its array.
constexpr GLenum kMaterialFaces[2] = {GL_FRONT, GL_BACK};

// Sends `color` and `alpha` as the scene database's default material, two-sided.
void SendDefaultMaterial(uint32_t color, uint8_t alpha)
{
    float ambient = 0.0f, diffuse = 0.0f, specular = 0.0f, shininess = 0.0f, emission = 0.0f;
    CDsPartStorage::instance()->GetDefaultMaterial(ambient, diffuse, specular, shininess, emission);
    DsSetGlMaterial(color, alpha, ambient, diffuse, specular, shininess, emission, 1);
}

}  // namespace

// === CDsGlColorSaver ============================================================================

void CDsGlColorSaver::Apply(const CDsLineAttribStorage& attributes)
{
    glGetFloatv(GL_CURRENT_COLOR, m_saved);
    if (m_lighting) {
        for (int face = 0; face < 2; ++face) {
            for (int term = 0; term < 4; ++term)
                glGetMaterialfv(kMaterialFaces[face], kMaterialTerms[term], m_material[face] + 4 * term);
            glGetMaterialfv(kMaterialFaces[face], GL_SHININESS, m_material[face] + 16);
        }
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &m_twoSide);
    }
    m_active = true;
    const uint8_t alpha = attributes.GetTransparencyByte();
    const CDsColorStorage& color = attributes.GetColor();
    if (!m_lighting) {
        glColor4ub(color.GetRed(), color.GetGreen(), color.GetBlue(), alpha);
        return;
    }
    // While the material tracks the current colour, its ambient and diffuse terms ignore the
    // material sent and follow whatever colour was drawn last (or were last written while nothing
    // tracked it): the item would be lit by the history of the frame. It is lit by its own
    // material alone.
    m_trackingOff = glIsEnabled(GL_COLOR_MATERIAL) != GL_FALSE;
    if (m_trackingOff) glDisable(GL_COLOR_MATERIAL);
    SendDefaultMaterial(color.GetColorRef(), alpha);
}

CDsGlColorSaver::~CDsGlColorSaver()
{
    if (!m_active) return;
    if (!m_lighting) {
        glColor4fv(m_saved);
        return;
    }
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, m_twoSide);
    for (int face = 0; face < 2; ++face) {
        for (int term = 0; term < 4; ++term)
            glMaterialfv(kMaterialFaces[face], kMaterialTerms[term], m_material[face] + 4 * term);
        glMaterialf(kMaterialFaces[face], GL_SHININESS, m_material[face][16]);
    }
    if (m_trackingOff) glEnable(GL_COLOR_MATERIAL);
}

// === CDsListWriter ==============================================================================

void CDsListWriter::Begin(GLenum mode)
{
    if (m_keeper)
        m_keeper->KeepPrimitive(m_list, mode);
    else
        glBegin(mode);
}

void CDsListWriter::End()
{
    if (!m_keeper) glEnd();
}

void CDsListWriter::Normal(const double* n)
{
    if (m_keeper)
        m_keeper->KeepNormal(static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2]));
    else
        glNormal3dv(n);
}

void CDsListWriter::Normal(float x, float y, float z)
{
    if (m_keeper)
        m_keeper->KeepNormal(x, y, z);
    else
        glNormal3f(x, y, z);
}

void CDsListWriter::Vertex(const double* p)
{
    if (m_keeper)
        m_keeper->KeepVertex(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
    else
        glVertex3dv(p);
}

void CDsListWriter::Vertex(float x, float y, float z)
{
    if (m_keeper)
        m_keeper->KeepVertex(x, y, z);
    else
        glVertex3f(x, y, z);
}

// === CDsItemPolygonsBase ========================================================================

CDsItemPolygonsBase::CDsItemPolygonsBase() = default;

CDsItemPolygonsBase::CDsItemPolygonsBase(const CDsItemPolygonsBase& other) : CDsItem()
{
    *this = other;
}

CDsItemPolygonsBase& CDsItemPolygonsBase::operator=(const CDsItemPolygonsBase& other)
{
    if (this == &other) return *this;
    DeleteGlList();
    GetAttributes()->CopyObject(*other.GetAttributes());
    m_savedLighting = other.m_savedLighting;
    m_savedDepthTest = other.m_savedDepthTest;
    m_savedCullFace = other.m_savedCullFace;
    m_savedPolygonMode[0] = other.m_savedPolygonMode[0];
    m_savedPolygonMode[1] = other.m_savedPolygonMode[1];
    m_fill = other.m_fill;
    for (int i = 0; i < 3; ++i) {
        m_min[i] = other.m_min[i];
        m_max[i] = other.m_max[i];
    }
    m_extremesValid = other.m_extremesValid;
    m_triangles = other.m_triangles;
    if (other.m_matrix.IsIdentity()) {
        m_matrix.Free();
    } else {
        m_matrix.Allocate();
        m_matrix.Copy(other.m_matrix);
    }
    // The copy builds lists of its own: it names none of the source's.
    m_listCount = other.m_listCount;
    m_firstList = 0;
    StNoteVertexCountChange();  // other triangles, as many as the source's
    return *this;
}

CDsItemPolygonsBase::~CDsItemPolygonsBase()
{
    if (m_firstList != 0) CDsDriverGl::StDeleteGlLists(m_firstList, m_listCount);
    m_firstList = 0;
    SetGlListFlag(false);
    m_matrix.Free();
}

void CDsItemPolygonsBase::ResetMembers()
{
    m_savedLighting = m_savedDepthTest = m_savedCullFace = false;
    m_fill = true;
    for (int i = 0; i < 3; ++i) m_min[i] = m_max[i] = 0.0;
    m_extremesValid = 0;
}

// --- Item protocol ------------------------------------------------------------------------------

void CDsItemPolygonsBase::DrawGl(view3d&) {}

EDsItemsType CDsItemPolygonsBase::GetItemType()
{
    return eDsItemPolygonsBase;
}

void CDsItemPolygonsBase::Transform(const SPAtransf& transform)
{
    m_matrix.Multiply(transform);
    m_extremesValid = 0;
}

void CDsItemPolygonsBase::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    UpdateExtremes();
    extrema.SetModelTransform(m_matrix.GetTransformation());
    const double* lo = m_min;
    const double* hi = m_max;
    const SPAposition corners[8] = {
        SPAposition(lo[0], lo[1], lo[2]), SPAposition(hi[0], lo[1], lo[2]), SPAposition(hi[0], hi[1], lo[2]),
        SPAposition(lo[0], hi[1], lo[2]), SPAposition(lo[0], hi[1], hi[2]), SPAposition(lo[0], lo[1], hi[2]),
        SPAposition(hi[0], lo[1], hi[2]), SPAposition(hi[0], hi[1], hi[2])};
    for (const SPAposition& corner : corners) extrema.draw_point_3d(corner);
    extrema.ClearModelTransform();
}

bool CDsItemPolygonsBase::Pick(view3d* view)
{
    if (!view || view->get_pick_mode() != 0) return false;
    auto* extrema = dynamic_cast<CDsViewExtrema*>(view);
    if (!extrema) return false;
    DrawExtremes(*extrema, nullptr);
    return true;
}

void CDsItemPolygonsBase::DeleteGlList()
{
    if (m_listCount >= 1 && !m_kept.empty()) {
        ForgetKeptPrimitives(false);
        StNoteVertexCountChange();
    }
    if (m_firstList != 0) {
        CDsDriverGl::StDeleteGlLists(m_firstList, m_listCount);
        m_firstList = 0;
        StNoteVertexCountChange();  // a leaf answers the triangles of the lists it has
    }
    SetGlListFlag(false);
}

void CDsItemPolygonsBase::GetPlacedExtremes(double* low, double* high) const
{
    for (int a = 0; a < 3; ++a) {
        low[a] = m_min[a];
        high[a] = m_max[a];
    }
    if (m_matrix.IsIdentity()) return;
    // Every corner: a turned box reaches beyond the images of its two extreme corners.
    const SPAtransf& t = m_matrix.GetTransformation();
    for (int corner = 0; corner < 8; ++corner) {
        const SPAposition p = SPAposition((corner & 1) ? m_max[0] : m_min[0], (corner & 2) ? m_max[1] : m_min[1],
                                          (corner & 4) ? m_max[2] : m_min[2]) *
                              t;
        const double c[3] = {p.x(), p.y(), p.z()};
        for (int a = 0; a < 3; ++a) {
            if (corner == 0 || c[a] < low[a]) low[a] = c[a];
            if (corner == 0 || c[a] > high[a]) high[a] = c[a];
        }
    }
}

void CDsItemPolygonsBase::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (!transform) {
        double low[3], high[3];
        GetPlacedExtremes(low, high);
        box.Expand(static_cast<float>(low[0]), static_cast<float>(low[1]), static_cast<float>(low[2]));
        box.Expand(static_cast<float>(high[0]), static_cast<float>(high[1]), static_cast<float>(high[2]));
        return;
    }
    // Placed by the item's own transformation, then by the caller's (a copy's, say): every corner
    // taken through both, as a turned box reaches beyond its two extreme corners.
    const bool own = !m_matrix.IsIdentity();
    for (int corner = 0; corner < 8; ++corner) {
        SPAposition p((corner & 1) ? m_max[0] : m_min[0], (corner & 2) ? m_max[1] : m_min[1],
                      (corner & 4) ? m_max[2] : m_min[2]);
        if (own) p *= m_matrix.GetTransformation();
        p *= *transform;
        box.Expand(static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z()));
    }
}

long CDsItemPolygonsBase::DrawPoints(view3d&, long)
{
    return 0;
}

int CDsItemPolygonsBase::GetVerticesCount(CDsGeometry::eDrawPrimitives kinds)
{
    const bool lines = (kinds & CDsGeometry::eDpLines) && (GetDrawPrimitives() & CDsGeometry::eDpLines);
    if (!(kinds & CDsGeometry::eDpFaces) && !lines) return 0;
    return 3 * GetOwnTrianglesCount();
}

int CDsItemPolygonsBase::GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count)
{
    const bool faces = (kinds & CDsGeometry::eDpFaces) != 0;
    const bool lines = !faces && (kinds & CDsGeometry::eDpLines) && (GetDrawPrimitives() & CDsGeometry::eDpLines);
    const int triangles = GetOwnTrianglesCount();
    if ((!faces && !lines) || index < 0 || index % 3 != 0 || index / 3 >= triangles) return -1;
    const float* corners = GetOwnTriangle(index / 3);
    if (!corners) return -1;
    for (int c = 0; c < 3; ++c) PlaceVertex(corners + 3 * c, m_placedCorners + 3 * c);
    if (lines) std::copy(m_placedCorners, m_placedCorners + 3, m_placedCorners + 9);  // closed
    vertices = m_placedCorners;
    count = lines ? 4 : 3;
    return index / 3 + 1 < triangles ? index + 3 : -1;
}

int CDsItemPolygonsBase::GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed,
                                           int& count)
{
    placed.clear();
    const SPAtransf placement = m_matrix.IsIdentity() ? SPAtransf() : m_matrix.EffectiveTransform();
    m_exactPlaced = &placed;
    m_exactPlacement = m_matrix.IsIdentity() ? nullptr : &placement;
    float* vertices = nullptr;
    count = 0;
    const int next = GetVertices(kinds, index, vertices, count);
    m_exactPlaced = nullptr;
    m_exactPlacement = nullptr;
    // A vertex handed out twice (a closed outline's first) or not placed here: the floats.
    if (!vertices || count <= 0) placed.clear();
    else if (placed.size() != 3 * static_cast<size_t>(count)) placed.assign(vertices, vertices + 3 * static_cast<size_t>(count));
    return next;
}

void CDsItemPolygonsBase::PlaceVertex(const float* in, float* out) const
{
    const double x = in[0], y = in[1], z = in[2];
    if (m_exactPlaced) {
        const SPAposition p = m_exactPlacement ? SPAposition(x, y, z) * *m_exactPlacement : SPAposition(x, y, z);
        m_exactPlaced->insert(m_exactPlaced->end(), {p.x(), p.y(), p.z()});
    }
    // By the float form, which PushMatrix multiplies onto OpenGL's matrix.
    const float* m = m_matrix.IsIdentity() ? nullptr : m_matrix.GetMatrix();
    if (!m) {
        out[0] = in[0], out[1] = in[1], out[2] = in[2];
        return;
    }
    double w = m[3] * x + m[7] * y + m[11] * z + m[15];
    if (w == 0.0) w = 1.0;
    for (int r = 0; r < 3; ++r) out[r] = static_cast<float>((m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r]) / w);
}

int CDsItemPolygonsBase::GetOwnTrianglesCount() const
{
    return static_cast<int>(m_triangles.size() / 9);
}

const float* CDsItemPolygonsBase::GetOwnTriangle(int t) const
{
    return m_triangles.data() + 9 * static_cast<size_t>(t);
}

int CDsItemPolygonsBase::GetDrawPrimitives()
{
    return CDsGeometry::eDpFaces;
}

bool CDsItemPolygonsBase::GetBoundBox(SPAbox& box)
{
    double low[3], high[3];
    GetPlacedExtremes(low, high);
    box = SPAbox(SPAposition(low[0], low[1], low[2]), SPAposition(high[0], high[1], high[2]));
    return true;
}

bool CDsItemPolygonsBase::HasBoundBox()
{
    return true;
}

bool CDsItemPolygonsBase::GetFill()
{
    return m_fill;
}

void CDsItemPolygonsBase::UpdateExtremes() {}

int CDsItemPolygonsBase::DrawGdi(view3d&)
{
    return 0;
}

// --- OpenGL state -------------------------------------------------------------------------------

void CDsItemPolygonsBase::SaveOpenGlFlags()
{
    m_savedLighting = glIsEnabled(GL_LIGHTING) != GL_FALSE;
    m_savedDepthTest = glIsEnabled(GL_DEPTH_TEST) != GL_FALSE;
    m_savedCullFace = glIsEnabled(GL_CULL_FACE) != GL_FALSE;
    glGetIntegerv(GL_POLYGON_MODE, m_savedPolygonMode);
}

void CDsItemPolygonsBase::RestoreOpenGlFlags()
{
    if (m_savedLighting) {
        glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
    } else {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
    }
    if (m_savedDepthTest) {
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (m_savedCullFace)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT, static_cast<GLenum>(m_savedPolygonMode[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(m_savedPolygonMode[1]));
}

void CDsItemPolygonsBase::SetGlRenderAttribute(bool shaded)
{
    if (shaded) {
        glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_DEPTH_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    } else {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }
}

void CDsItemPolygonsBase::PushMatrix()
{
    m_matrix.GlMultiply();
    m_frontFaceTurned = !DsGlListBeingCompiled() && DsModelViewMirrors();
    if (!m_frontFaceTurned) return;
    glGetIntegerv(GL_FRONT_FACE, &m_frontFaceFound);
    glFrontFace(GL_CW);
}

void CDsItemPolygonsBase::PopMatrix()
{
    if (m_frontFaceTurned) glFrontFace(static_cast<GLenum>(m_frontFaceFound));
    m_frontFaceTurned = false;
    if (m_matrix.IsIdentity()) return;
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void CDsItemPolygonsBase::DrawBoundBox()
{
    const float x0 = static_cast<float>(m_min[0]), y0 = static_cast<float>(m_min[1]), z0 = static_cast<float>(m_min[2]);
    const float x1 = static_cast<float>(m_max[0]), y1 = static_cast<float>(m_max[1]), z1 = static_cast<float>(m_max[2]);
    glPushAttrib(GL_POLYGON_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto vertex = [](float x, float y, float z) { CDsDriverGl::StVertex(x, y, z); };
    CDsDriverGl::StBeginVertices(GL_QUADS);
    // z = minimum and maximum
    vertex(x0, y0, z0), vertex(x1, y0, z0), vertex(x1, y1, z0), vertex(x0, y1, z0);
    vertex(x0, y0, z1), vertex(x1, y0, z1), vertex(x1, y1, z1), vertex(x0, y1, z1);
    // y = minimum and maximum
    vertex(x0, y0, z0), vertex(x1, y0, z0), vertex(x1, y0, z1), vertex(x0, y0, z1);
    vertex(x0, y1, z0), vertex(x1, y1, z0), vertex(x1, y1, z1), vertex(x0, y1, z1);
    // x = minimum and maximum
    vertex(x0, y0, z0), vertex(x0, y1, z0), vertex(x0, y1, z1), vertex(x0, y0, z1);
    vertex(x1, y0, z0), vertex(x1, y1, z0), vertex(x1, y1, z1), vertex(x1, y0, z1);
    CDsDriverGl::StEndVertices();
    glPopAttrib();
}

// --- Display lists ------------------------------------------------------------------------------

bool CDsItemPolygonsBase::GenerateDisplayLists()
{
    m_firstList = CDsDriverGl::StGetIdForList(m_listCount);
    StNoteVertexCountChange();  // a leaf answers the triangles of the lists it has
    return true;
}

void CDsItemPolygonsBase::DrawDisplayLists(int n)
{
    for (int i = 0; i < n; ++i) {
        if (m_firstList != 0)
            glCallList(m_firstList + static_cast<GLuint>(i));
        else
            SendKeptPrimitives(i);
    }
}

void CDsItemPolygonsBase::StartList(int i, bool execute)
{
    glNewList(m_firstList + static_cast<GLuint>(i), execute ? GL_COMPILE_AND_EXECUTE : GL_COMPILE);
}

// --- Colour and helpers -------------------------------------------------------------------------

bool CDsItemPolygonsBase::HasAttributes() const
{
    return !GetAttributes()->GetInheritColorState() && !CDsLineAttribStorage::StGetForceVisibilityMode();
}

void CDsItemPolygonsBase::ApplyColor(CDsGlColorSaver& saver, bool own)
{
    saver.SetLighting(glIsEnabled(GL_LIGHTING) != GL_FALSE);
    // A pick's selection or feedback records no colour, and the colour saver's reads and restores
    // make OpenGL send what came before as a draw of its own: a figure of many leaves would be
    // selected leaf by leaf, each draw bearing the whole cost of the selection's pipeline.
    if (own && HasAttributes() && !CDsGlMeshPainter::StSelectsOrFeedsBack()) saver.Apply(*GetAttributes());
}

void CDsItemPolygonsBase::SetExtremesCorners(const double* min, const double* max)
{
    for (int i = 0; i < 3; ++i) {
        m_min[i] = min[i];
        m_max[i] = max[i];
    }
    m_extremesValid = 1;
}

bool CDsItemPolygonsBase::WalkCullsBlendedFaces()
{
    return glIsEnabled(GL_BLEND) != GL_FALSE && glIsEnabled(GL_CULL_FACE) != GL_FALSE;
}

void CDsItemPolygonsBase::DeleteItemList()
{
    ForgetKeptPrimitives(true);
    if (GetGlListName() == 0) return;
    SetGlListFlag(true);
    CDsItemBase::DeleteGlList();
}

// --- Primitives kept for lists compiled later -----------------------------------------------------

void CDsItemPolygonsBase::KeepPrimitive(int list, GLenum mode)
{
    SKeptPrimitive primitive;
    primitive.list = list;
    primitive.mode = mode;
    m_kept.push_back(std::move(primitive));
}

void CDsItemPolygonsBase::KeepNormal(float x, float y, float z)
{
    m_keptNormal[0] = x;
    m_keptNormal[1] = y;
    m_keptNormal[2] = z;
}

void CDsItemPolygonsBase::KeepVertex(float x, float y, float z)
{
    if (m_kept.empty()) return;
    SKeptPrimitive& primitive = m_kept.back();
    primitive.normals.insert(primitive.normals.end(), m_keptNormal, m_keptNormal + 3);
    primitive.vertices.insert(primitive.vertices.end(), {x, y, z});
}

void CDsItemPolygonsBase::SendKeptPrimitives(int list) const
{
    for (const SKeptPrimitive& primitive : m_kept) {
        if (primitive.list != list) continue;
        CDsDriverGl::StBeginVertices(primitive.mode);
        for (size_t v = 0; v + 2 < primitive.vertices.size(); v += 3) {
            glNormal3fv(primitive.normals.data() + v);
            CDsDriverGl::StVertex(primitive.vertices.data() + v);
        }
        CDsDriverGl::StEndVertices();
    }
}

void CDsItemPolygonsBase::ForgetKeptPrimitives(bool own)
{
    m_kept.erase(std::remove_if(m_kept.begin(), m_kept.end(),
                                [own](const SKeptPrimitive& p) { return (p.list == kOwnList) == own; }),
                 m_kept.end());
}

bool CDsItemPolygonsBase::CompileKeptPrimitives()
{
    if (m_kept.empty()) return true;
    if (!wglGetCurrentContext()) return false;
    // A list is compiled where frames draw: not inside another list, nor by a pick's selection
    // or feedback (which draws the kept triangles from client arrays, see DrawTrianglesForPick).
    GLint compiling = 0, mode = GL_RENDER;
    glGetIntegerv(GL_LIST_INDEX, &compiling);
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (compiling != 0 || mode != GL_RENDER) return false;
    const auto ofOwnList = [](const SKeptPrimitive& p) { return p.list == kOwnList; };
    const bool own = std::any_of(m_kept.begin(), m_kept.end(), ofOwnList);
    const bool numbered = !std::all_of(m_kept.begin(), m_kept.end(), ofOwnList);
    if (numbered && m_listCount >= 1) {
        if (m_firstList == 0) GenerateDisplayLists();
        if (m_firstList == 0) return false;
        // Every list of the block, also one left empty: its name then stays in use.
        for (int i = 0; i < m_listCount; ++i) {
            StartList(i, false);
            SendKeptPrimitives(i);
            glEndList();
        }
        ForgetKeptPrimitives(false);
    }
    if (own) {
        StartBuildGlList(false);
        if (GetGlListName() != 0) {
            SendKeptPrimitives(kOwnList);
            EndBuildGlList();
            ForgetKeptPrimitives(true);
        }
    }
    m_kept.shrink_to_fit();
    return m_kept.empty();
}

void CDsItemPolygonsBase::CallOwnList()
{
    if (GetGlListName() != 0)
        glCallList(GetGlListName());
    else
        SendKeptPrimitives(kOwnList);
}

bool CDsItemPolygonsBase::StPickDraws()
{
    return CDsDriverGl::StSelectsOrFeedsBack();
}

void CDsItemPolygonsBase::StDrawClientTriangles(const float* vertices, int vertexCount)
{
    if (vertexCount < 3) return;
    CDsDriverGl::StDrawClientArray(GL_TRIANGLES, 3, GL_FLOAT, vertices, vertexCount);
}

bool CDsItemPolygonsBase::DrawTrianglesForPick(bool bothSides) const
{
    const int triangles = GetOwnTrianglesCount();
    if (triangles < 1 || !StPickDraws()) return false;
    glPushAttrib(GL_ENABLE_BIT);
    if (bothSides) glDisable(GL_CULL_FACE);
    StDrawClientTriangles(GetOwnTriangle(0), 3 * triangles);
    glPopAttrib();
    return true;
}
