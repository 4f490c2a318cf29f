// CDsItemLamp: the symbol of a light source.
#include "DsItemLamp.h"

#include "DsBox.h"
#include "DsDriverGl.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "view3d.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The point at angle `angle` of a circle of radius `r` at height `z`, as the quadrics of the
// utility library place it (x by the sine, y by the cosine).
SPAposition Round(double r, double angle, double z)
{
    return SPAposition(r * std::sin(angle), r * std::cos(angle), z);
}

// Appends the triangle (a, b, c) to `out` (9 floats) unless it has no area.
void AddTriangle(std::vector<float>& out, const SPAposition& a, const SPAposition& b, const SPAposition& c)
{
    if (((b - a) * (c - a)).len() <= 1e-12 * std::max(1.0, (b - a) % (b - a))) return;
    for (const SPAposition* p : {&a, &b, &c})
        for (int k = 0; k < 3; ++k) out.push_back(static_cast<float>(p->coordinate(k)));
}

}  // namespace

void CDsItemLamp::StAddCell(std::vector<float>& out, const SPAposition& a, const SPAposition& b, const SPAposition& c,
                            const SPAposition& d, bool quads)
{
    if (quads) {
        for (const SPAposition* p : {&a, &b, &c, &d})
            for (int k = 0; k < 3; ++k) out.push_back(static_cast<float>(p->coordinate(k)));
        return;
    }
    AddTriangle(out, a, b, c);
    AddTriangle(out, a, c, d);
}

void CDsItemLamp::StSphereCells(double r, int slices, std::vector<float>& out, bool quads)
{
    // Stacks from +z down, as many as slices.
    const int n = std::max(slices, 1);
    const double step = 2.0 * kPi / n, stack = kPi / n;
    for (int j = 0; j < n; ++j) {
        const double upper = j * stack, lower = (j + 1) * stack;
        const double ru = j == 0 ? 0.0 : r * std::sin(upper), rl = j + 1 == n ? 0.0 : r * std::sin(lower);
        const double zu = r * std::cos(upper), zl = r * std::cos(lower);
        for (int i = 0; i < n; ++i)
            StAddCell(out, Round(ru, i * step, zu), Round(rl, i * step, zl), Round(rl, (i + 1) * step, zl),
                      Round(ru, (i + 1) * step, zu), quads);
    }
}

void CDsItemLamp::StConeCells(double base, double top, double height, int slices, std::vector<float>& out,
                              bool quads)
{
    const int n = std::max(slices, 1);
    const double step = 2.0 * kPi / n;
    for (int i = 0; i < n; ++i)
        StAddCell(out, Round(base, i * step, 0.0), Round(base, (i + 1) * step, 0.0), Round(top, (i + 1) * step, height),
                  Round(top, i * step, height), quads);
}

void CDsItemLamp::StDiskCells(double inner, double outer, int slices, std::vector<float>& out, bool quads)
{
    const int n = std::max(slices, 1);
    const double step = 2.0 * kPi / n;
    for (int i = 0; i < n; ++i)
        StAddCell(out, Round(inner, i * step, 0.0), Round(outer, i * step, 0.0), Round(outer, (i + 1) * step, 0.0),
                  Round(inner, (i + 1) * step, 0.0), quads);
}

CDsItemLamp::CDsItemLamp()
{
    m_quadric = gluNewQuadric();
    if (m_quadric) {
        gluQuadricOrientation(m_quadric, GLU_OUTSIDE);
        gluQuadricDrawStyle(m_quadric, GLU_FILL);
    }
    UpdateLampExtremes();
}

CDsItemLamp::~CDsItemLamp()
{
    if (m_quadric) gluDeleteQuadric(m_quadric);
    m_quadric = nullptr;
}

EDsItemsType CDsItemLamp::GetItemType()
{
    return eDsItemLamp;
}

void CDsItemLamp::ResetMembers()
{
    for (int i = 0; i < 3; ++i) m_position[i] = m_target[i] = 0.0f;
    m_faceTarget = true;
    for (uint8_t& c : m_color) c = 0;
}

void CDsItemLamp::SetPosition(const float* position)
{
    if (!position) return;
    for (int i = 0; i < 3; ++i) m_position[i] = position[i];
    UpdateLampExtremes();
}

void CDsItemLamp::SetTarget(const float* target)
{
    if (!target) return;
    for (int i = 0; i < 3; ++i) m_target[i] = target[i];
}

void CDsItemLamp::SetSize(float size)
{
    m_size = size;
    UpdateLampExtremes();
}

void CDsItemLamp::UpdateLampExtremes()
{
    for (int i = 0; i < 3; ++i) {
        m_min[i] = static_cast<double>(m_position[i]) - m_size;
        m_max[i] = static_cast<double>(m_position[i]) + m_size;
    }
}

bool CDsItemLamp::GetAngles(float& elevation, float& azimuth) const
{
    const double d[3] = {static_cast<double>(m_position[0]) - m_target[0],
                         static_cast<double>(m_position[1]) - m_target[1],
                         static_cast<double>(m_position[2]) - m_target[2]};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    const double toDegrees = 180.0f * (1.0 / kPi);
    elevation = static_cast<float>(std::asin(std::max(-1.0, std::min(1.0, d[1] / length))) * toDegrees);
    azimuth = static_cast<float>(std::atan2(d[0], d[2]) * toDegrees);
    return true;
}

void CDsItemLamp::ApplyOrientation(view3d& view) const
{
    const view_matrix& inverse = view.inverse_view_orientation();
    glMultMatrixf(&inverse[0][0]);
    glTranslatef(0.0f, 0.0f, static_cast<float>(0.5 * (view.get_hither() - view.get_yon())));
    glTranslatef(m_position[0], m_position[1], m_position[2]);
    float elevation = 0.0f, azimuth = 0.0f;
    if (!GetAngles(elevation, azimuth)) return;  // no direction: unturned
    glRotatef(azimuth, 0.0f, 1.0f, 0.0f);
    glRotatef(-elevation, 1.0f, 0.0f, 0.0f);
}

void CDsItemLamp::DrawGl(view3d& view)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (m_faceTarget) ApplyOrientation(view);
    glPushAttrib(GL_ALL_ATTRIB_BITS);  // one push: see the header comment
    glDisable(GL_CULL_FACE);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    if (doubleBuffered) glDrawBuffer(GL_BACK);  // a single-buffered context has no back buffer
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor3ub(m_color[0], m_color[1], m_color[2]);
    if (CDsDriverGl::StSelectsOrFeedsBack()) {
        // A pick: the quadrics' cells from a client array (see the header comment).
        if (m_pickCellsSize != m_size || m_pickCellsType != m_type) {
            const double s = m_size;
            m_pickCells.clear();
            if (m_type == eDsQuadCylinder || m_type == eDsQuadCone)
                StConeCells(s, m_type == eDsQuadCylinder ? 0.95 * s : 0.0, 2.0 * s, 16, m_pickCells);
            StSphereCells(m_type == eDsQuadCylinder || m_type == eDsQuadCone ? 0.75 * s : s, 16, m_pickCells);
            m_pickCellsType = m_type;
            m_pickCellsSize = m_size;
        }
        StDrawClientTriangles(m_pickCells.data(), static_cast<int>(m_pickCells.size() / 3));
    } else if (m_quadric) {
        const double s = m_size;
        if (m_type == eDsQuadCylinder) {
            gluCylinder(m_quadric, s, 0.95 * s, 2.0 * s, 16, 16);
            gluSphere(m_quadric, 0.75 * s, 16, 16);
        } else if (m_type == eDsQuadCone) {
            gluCylinder(m_quadric, s, 0.0, 2.0 * s, 16, 16);
            gluSphere(m_quadric, 0.75 * s, 16, 16);
        } else {
            gluSphere(m_quadric, s, 16, 16);
        }
    }
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glPopMatrix();
}

void CDsItemLamp::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (!m_faceTarget) {
        CDsItemPolygonsBase::ExpandBox(box, transform);
        return;
    }
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return;
    const view_matrix& m = view->inverse_view_orientation();
    const double p[3] = {m_position[0], m_position[1], m_position[2]};
    double q[3];
    for (int c = 0; c < 3; ++c) q[c] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c] + m[3][c];
    const double r = 2.0 * m_size;
    box.Expand(static_cast<float>(q[0] - r), static_cast<float>(q[1] - r), static_cast<float>(q[2] - r));
    box.Expand(static_cast<float>(q[0] + r), static_cast<float>(q[1] + r), static_cast<float>(q[2] + r));
}

void CDsItemLamp::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool)
{
    if (kinds & CDsGeometry::eDpFaces) DrawGl(view);
}

bool CDsItemLamp::GetBoundBox(SPAbox& box)
{
    const double x = m_position[0], y = m_position[1], z = m_position[2];
    const double r = std::sqrt(2.0 * (x * x + y * y + z * z)) + 2.0 * m_size;
    box = SPAbox(SPAposition(-r, -r, -r), SPAposition(r, r, r));
    return true;
}
