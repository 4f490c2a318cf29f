// CDsItemQuadric: one basic surface drawn with GLU quadrics (and the modeler's torus).
#include "DsItemQuadric.h"

#include "DsBox.h"

#include "SpaErrors.h"
#include "SpaGeometry.h"
#include "view3d.h"

#include <GL/glu.h>

#include <algorithm>
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

void CDsItemQuadric::DrawTorus(const CDsTorus& surface, int slices)
{
    float period = 0.0f, period2 = 0.0f, start = 0.0f, start2 = 0.0f;
    surface.GetPeriods(period, period2);
    surface.GetStarts(start, start2);
    const int n = std::max(slices, 1);
    const size_t side = static_cast<size_t>(n) + 1;
    std::vector<SPAposition> positions(side * side);
    std::vector<SPAunit_vector> normals(side * side);
    {
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
        if (!result.ok()) return;
    }
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

void CDsItemQuadric::DrawSurface(int slices)
{
    if (!m_surface || !m_quadric) return;
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
    CDsGlColorSaver saver;
    ApplyColor(saver, true);
    DrawSurface(16);
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
    DrawSurface(GetSlicesCount(view, GetCharacteristicSize()));
    PopMatrix();
}

// --- Boxes --------------------------------------------------------------------------------------

void CDsItemQuadric::UpdateExtremes()
{
    if (!m_surface) return;
    CDsBox box;
    if (!m_surface->GetBoundBox(box)) return;
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
    if (!m_surface->GetBoundBox(own)) return false;
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
