// CDsItemQuadric: one basic surface drawn with GLU quadrics (and the modeler's torus).
#include "DsItemQuadric.h"

#include "DsBox.h"
#include "DsDriverGl.h"

#include "SpaErrors.h"
#include "SpaGeometry.h"
#include "view3d.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A copy of `surface` as the class its kind names (any kind above 5 as a cone); null when the
// surface is not of that class.
CDsBasicSurface* CopySurface(const CDsBasicSurface& surface)
{
    switch (surface.GetType()) {
    case eDsQuadSphere:
        if (auto* s = dynamic_cast<const CDsSphere*>(&surface)) return new CDsSphere(s->GetRadius());
        return nullptr;
    case eDsQuadCylinder:
        if (auto* s = dynamic_cast<const CDsCylinder*>(&surface)) return new CDsCylinder(s->GetRadius(), s->GetHeight());
        return nullptr;
    case eDsQuadBox:
        if (auto* s = dynamic_cast<const CDsNBox*>(&surface)) {
            float x = 0.0f, y = 0.0f, z = 0.0f;
            s->GetSize(x, y, z);
            return new CDsNBox(x, y, z);
        }
        return nullptr;
    case eDsQuadTorus:
        if (auto* s = dynamic_cast<const CDsTorus*>(&surface)) {
            auto* copy = new CDsTorus(s->GetInnerRadius(), s->GetOuterRadius());
            float period = 0.0f, unused = 0.0f, start = 0.0f;
            s->GetPeriods(period, unused);
            s->GetStarts(start, unused);
            copy->SetPeriods(period);
            copy->SetStart(start);
            return copy;
        }
        return nullptr;
    case eDsQuadDisk:
        if (auto* s = dynamic_cast<const CDsDisk*>(&surface)) return new CDsDisk(s->GetInnerRadius(), s->GetOuterRadius());
        return nullptr;
    default:
        if (auto* s = dynamic_cast<const CDsCone*>(&surface))
            return new CDsCone(s->GetBaseRadius(), s->GetTopRadius(), s->GetHeight());
        return nullptr;
    }
}

// The box of what the item draws of `surface`, in the item's own coordinates; false when the
// surface reports none. The surface's own box holds for every kind but the torus, whose box reads
// its radii as a tube beside the axis: the item draws the outer radius about the axis and the inner
// one as the tube's, so the torus reaches outer + inner from the axis and inner above and below its
// plane.
bool DrawnBox(CDsBasicSurface& surface, CDsBox& box)
{
    const auto* torus = surface.GetType() == eDsQuadTorus ? dynamic_cast<const CDsTorus*>(&surface) : nullptr;
    if (!torus) return surface.GetBoundBox(box);
    const float tube = std::fabs(torus->GetInnerRadius());
    const float reach = std::fabs(torus->GetOuterRadius()) + tube;
    const float low[3] = {-reach, -reach, -tube}, high[3] = {reach, reach, tube};
    box.ResetMembers();
    box.SetMin(low);
    box.SetMax(high);
    return true;
}

// Whether the current context has a back buffer to draw into.
bool HasBackBuffer()
{
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    return doubleBuffered != GL_FALSE;
}

}  // namespace

CDsItemQuadric::CDsItemQuadric(const CDsBasicSurface* surface)
{
    m_faceTarget = false;
    if (!surface) return;
    m_type = surface->GetType();
    m_surface = CopySurface(*surface);
}

CDsItemQuadric::~CDsItemQuadric()
{
    delete m_surface;
    m_surface = nullptr;
}

EDsItemsType CDsItemQuadric::GetItemType()
{
    return eDsItemQuadric;
}

float CDsItemQuadric::GetCharacteristicSize() const
{
    if (!m_surface) return 0.0f;
    if (auto* s = dynamic_cast<const CDsSphere*>(m_surface)) return s->GetRadius();
    if (auto* s = dynamic_cast<const CDsCylinder*>(m_surface)) return s->GetRadius();
    if (auto* s = dynamic_cast<const CDsCone*>(m_surface)) return s->GetBaseRadius();
    if (auto* s = dynamic_cast<const CDsDisk*>(m_surface)) return s->GetOuterRadius();
    if (auto* s = dynamic_cast<const CDsTorus*>(m_surface)) return std::max(s->GetInnerRadius(), s->GetOuterRadius());
    return 0.0f;
}

int CDsItemQuadric::GetSlicesCount(view3d& view, float size)
{
    const double pixels = size / view.get_units_per_pixel();
    int x = 0, y = 0, width = 0, height = 0;
    view.get_viewport(x, y, width, height);
    const double larger = std::max(width, height);
    if (0.1 * larger > pixels) return 16;
    if (0.33 * larger > pixels) return 32;
    if (0.66 * larger > pixels) return 44;
    return 52;
}

// --- Drawing ------------------------------------------------------------------------------------

namespace {

// The grid of the torus cells at `slices` steps each way ((slices + 1)^2 points, rows along u),
// with their normals; false when the evaluation fails.
bool TorusGrid(const CDsTorus& surface, int slices, std::vector<SPAposition>& positions,
               std::vector<SPAunit_vector>& normals)
{
    float period = 0.0f, period2 = 0.0f, start = 0.0f, start2 = 0.0f;
    surface.GetPeriods(period, period2);
    surface.GetStarts(start, start2);
    const int n = std::max(slices, 1);
    const size_t side = static_cast<size_t>(n) + 1;
    positions.assign(side * side, SPAposition());
    normals.assign(side * side, SPAunit_vector());
    API_BEGIN
    const torus shape(SPAposition(0.0, 0.0, 0.0), SPAunit_vector(0.0, 0.0, 1.0), surface.GetOuterRadius(),
                      surface.GetInnerRadius());
    const double du = static_cast<double>(period) / n, dv = static_cast<double>(period2) / n;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            const SPApar_pos uv(start + i * du, j * dv);
            const size_t k = static_cast<size_t>(i) * side + static_cast<size_t>(j);
            shape.evaluate(uv, positions[k]);
            normals[k] = shape.eval_normal(uv);
        }
    API_END
    return result.ok();
}

}  // namespace

void CDsItemQuadric::DrawTorus(const CDsTorus& surface, int slices)
{
    std::vector<SPAposition> positions;
    std::vector<SPAunit_vector> normals;
    if (!TorusGrid(surface, slices, positions, normals)) return;
    const int n = std::max(slices, 1);
    const size_t side = static_cast<size_t>(n) + 1;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const size_t corners[4] = {static_cast<size_t>(i) * side + j, static_cast<size_t>(i + 1) * side + j,
                                       static_cast<size_t>(i + 1) * side + j + 1, static_cast<size_t>(i) * side + j + 1};
            glBegin(GL_POLYGON);
            for (size_t k : corners) {
                glNormal3d(normals[k].x(), normals[k].y(), normals[k].z());
                glVertex3d(positions[k].x(), positions[k].y(), positions[k].z());
            }
            glEnd();
        }
}

void CDsItemQuadric::MakeCells(int slices) const
{
    if (m_cellSlices == slices) return;
    m_cells.clear();
    m_cellSlices = slices;
    AddCells(slices, false, m_cells);
}

void CDsItemQuadric::AddCells(int slices, bool quads, std::vector<float>& out) const
{
    if (!m_surface) return;
    const int n = std::max(slices, 1);
    if (auto* sphere = dynamic_cast<const CDsSphere*>(m_surface); sphere && m_type == eDsQuadSphere) {
        StSphereCells(sphere->GetRadius(), n, out, quads);
    } else if (auto* cylinder = dynamic_cast<const CDsCylinder*>(m_surface); cylinder && m_type == eDsQuadCylinder) {
        StConeCells(cylinder->GetRadius(), cylinder->GetRadius(), cylinder->GetHeight(), n, out, quads);
    } else if (auto* b = dynamic_cast<const CDsNBox*>(m_surface); b && m_type == eDsQuadBox) {
        float x = 0.0f, y = 0.0f, z = 0.0f;
        b->GetSize(x, y, z);
        const double hx = 0.5 * x, hy = 0.5 * y, hz = 0.5 * z;
        const auto corner = [&](int c) {
            return SPAposition(c & 1 ? hx : -hx, c & 2 ? hy : -hy, c & 4 ? hz : -hz);
        };
        // The six sides, each round its corners.
        static const int kSides[6][4] = {{4, 5, 7, 6}, {0, 2, 3, 1}, {1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}};
        for (const auto& side : kSides) StAddCell(out, corner(side[0]), corner(side[1]), corner(side[2]), corner(side[3]), quads);
    } else if (auto* t = dynamic_cast<const CDsTorus*>(m_surface); t && m_type == eDsQuadTorus) {
        std::vector<SPAposition> positions;
        std::vector<SPAunit_vector> normals;
        if (!TorusGrid(*t, slices, positions, normals)) return;
        const size_t side = static_cast<size_t>(n) + 1;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const size_t here = static_cast<size_t>(i) * side + j, next = static_cast<size_t>(i + 1) * side + j;
                StAddCell(out, positions[here], positions[next], positions[next + 1], positions[here + 1], quads);
            }
    } else if (auto* d = dynamic_cast<const CDsDisk*>(m_surface); d && m_type == eDsQuadDisk) {
        StDiskCells(d->GetInnerRadius(), d->GetOuterRadius(), n, out, quads);
    } else if (auto* c = dynamic_cast<const CDsCone*>(m_surface)) {
        StConeCells(c->GetBaseRadius(), c->GetTopRadius(), c->GetHeight(), n, out, quads);
    }
}

int CDsItemQuadric::GetOwnTrianglesCount() const
{
    MakeCells(m_drawnSlices);
    return static_cast<int>(m_cells.size() / 9);
}

const float* CDsItemQuadric::GetOwnTriangle(int t) const
{
    MakeCells(m_drawnSlices);
    if (t < 0 || static_cast<size_t>(t) * 9 + 9 > m_cells.size()) return nullptr;
    return m_cells.data() + static_cast<size_t>(t) * 9;
}

void CDsItemQuadric::DrawSurface(int slices)
{
    if (!m_surface) return;
    if (StPickDraws()) {
        // A pick: the cells from a client array, not GLU's immediate mode (see the header comment).
        if (m_pickQuadSlices != slices) {
            m_pickQuads.clear();
            m_pickQuadSlices = slices;
            AddCells(slices, true, m_pickQuads);
        }
        CDsDriverGl::StDrawClientArray(GL_QUADS, 3, GL_FLOAT, m_pickQuads.data(), static_cast<int>(m_pickQuads.size() / 3));
        return;
    }
    if (!m_quadric) return;
    switch (m_type) {
    case eDsQuadSphere:
        if (auto* s = dynamic_cast<const CDsSphere*>(m_surface)) gluSphere(m_quadric, s->GetRadius(), slices, slices);
        return;
    case eDsQuadCylinder:
        if (auto* s = dynamic_cast<const CDsCylinder*>(m_surface))
            gluCylinder(m_quadric, s->GetRadius(), s->GetRadius(), s->GetHeight(), slices, 1);
        return;
    case eDsQuadBox:
        if (auto* s = dynamic_cast<const CDsNBox*>(m_surface)) {
            float x = 0.0f, y = 0.0f, z = 0.0f;
            s->GetSize(x, y, z);
            x *= 0.5f, y *= 0.5f, z *= 0.5f;
            glBegin(GL_QUADS);
            glNormal3f(0.0f, 0.0f, 1.0f);
            glVertex3f(-x, -y, z), glVertex3f(x, -y, z), glVertex3f(x, y, z), glVertex3f(-x, y, z);
            glNormal3f(0.0f, 0.0f, -1.0f);
            glVertex3f(-x, -y, -z), glVertex3f(-x, y, -z), glVertex3f(x, y, -z), glVertex3f(x, -y, -z);
            glNormal3f(1.0f, 0.0f, 0.0f);
            glVertex3f(x, -y, -z), glVertex3f(x, y, -z), glVertex3f(x, y, z), glVertex3f(x, -y, z);
            glNormal3f(-1.0f, 0.0f, 0.0f);
            glVertex3f(-x, -y, -z), glVertex3f(-x, -y, z), glVertex3f(-x, y, z), glVertex3f(-x, y, -z);
            glNormal3f(0.0f, 1.0f, 0.0f);
            glVertex3f(-x, y, -z), glVertex3f(-x, y, z), glVertex3f(x, y, z), glVertex3f(x, y, -z);
            glNormal3f(0.0f, -1.0f, 0.0f);
            glVertex3f(-x, -y, -z), glVertex3f(x, -y, -z), glVertex3f(x, -y, z), glVertex3f(-x, -y, z);
            glEnd();
        }
        return;
    case eDsQuadTorus:
        if (auto* s = dynamic_cast<const CDsTorus*>(m_surface)) DrawTorus(*s, slices);
        return;
    case eDsQuadDisk:
        if (auto* s = dynamic_cast<const CDsDisk*>(m_surface))
            gluDisk(m_quadric, s->GetInnerRadius(), s->GetOuterRadius(), slices, 1);
        return;
    default:
        if (auto* s = dynamic_cast<const CDsCone*>(m_surface))
            gluCylinder(m_quadric, s->GetBaseRadius(), s->GetTopRadius(), s->GetHeight(), slices, 1);
        return;
    }
}

void CDsItemQuadric::DrawGl(view3d&)
{
    if (!m_surface) return;
    PushMatrix();
    SaveOpenGlFlags();
    glDisable(GL_CULL_FACE);
    GLint drawBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    const bool back = HasBackBuffer();
    if (back) glDrawBuffer(GL_BACK);
    SetGlRenderAttribute(m_fill);
    {
        CDsGlColorSaver saver;
        ApplyColor(saver, true);
        DrawSurface(16);
    }
    RestoreOpenGlFlags();
    PopMatrix();
    if (back) glDrawBuffer(static_cast<GLenum>(drawBuffer));
}

void CDsItemQuadric::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpFaces) || !m_surface) return;
    CDsGlColorSaver saver;
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    m_drawnSlices = GetSlicesCount(view, GetCharacteristicSize());
    DrawSurface(m_drawnSlices);
    PopMatrix();
}

// --- Boxes --------------------------------------------------------------------------------------

void CDsItemQuadric::UpdateExtremes()
{
    if (!m_surface) return;
    CDsBox box;
    if (!DrawnBox(*m_surface, box)) return;
    const double lo[3] = {box.GetMin()[0], box.GetMin()[1], box.GetMin()[2]};
    const double hi[3] = {box.GetMax()[0], box.GetMax()[1], box.GetMax()[2]};
    SetExtremesCorners(lo, hi);
}

void CDsItemQuadric::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (!m_surface) return;
    UpdateExtremes();
    const float lo[3] = {static_cast<float>(m_min[0]), static_cast<float>(m_min[1]), static_cast<float>(m_min[2])};
    const float hi[3] = {static_cast<float>(m_max[0]), static_cast<float>(m_max[1]), static_cast<float>(m_max[2])};
    // The item's own placement, then that of what holds it (a copy's) when given.
    SPAtransf t = m_matrix.GetTransformation();
    if (transform) t *= *transform;
    box.ExpandBox(CDsBox(lo, hi), &t);
}

bool CDsItemQuadric::GetBoundBox(SPAbox& box)
{
    if (!m_surface) return false;
    CDsBox own;
    if (!DrawnBox(*m_surface, own)) return false;
    CDsBox placed;
    const SPAtransf& t = m_matrix.GetTransformation();
    placed.ExpandBox(own, &t);
    if (placed.IsNotComputed()) return false;
    const float* lo = placed.GetMin();
    const float* hi = placed.GetMax();
    box = SPAbox(SPAposition(lo[0], lo[1], lo[2]), SPAposition(hi[0], hi[1], hi[2]));
    return true;
}

bool CDsItemQuadric::HasBoundBox()
{
    return true;
}
