#include "DsRectangle3d.h"

#include "DsDriverGl.h"

#include <SpaValues.h>
#include <windows.h>
#include <GL/gl.h>

#include <cmath>

namespace {

// A corner index clamped to 0..3 (out-of-range indices read corner 0).
int CornerIndex(EDsRectangle3dPosition which)
{
    const int i = static_cast<int>(which);
    return i >= 0 && i < 4 ? i : 0;
}

float Distance(const float* a, const float* b)
{
    const double dx = static_cast<double>(b[0]) - a[0];
    const double dy = static_cast<double>(b[1]) - a[1];
    const double dz = static_cast<double>(b[2]) - a[2];
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

}  // namespace

CDsRectangle3d::CDsRectangle3d(const SPAposition& origin, const SPAposition& first, const SPAposition& second)
{
    SetPosition(origin, eDsRectangle3dOrigin);
    SetPosition(first, eDsRectangle3dFirst);
    SetPosition(second, eDsRectangle3dSecond);
    ComputeUpperRightPosition();
}

const float* CDsRectangle3d::GetPosition(EDsRectangle3dPosition which) const
{
    return m_corners[CornerIndex(which)];
}

float CDsRectangle3d::GetWidth() const
{
    return Distance(m_corners[0], m_corners[1]);
}

float CDsRectangle3d::GetHeight() const
{
    return Distance(m_corners[0], m_corners[3]);
}

void CDsRectangle3d::Transform(const SPAtransf& t)
{
    for (int i = 0; i < 4; ++i) {
        SPAposition p;
        SetPosition(static_cast<EDsRectangle3dPosition>(i), p);
        p *= t;
        SetPosition(p, static_cast<EDsRectangle3dPosition>(i));
    }
}

void CDsRectangle3d::DrawGl(view3d&) const
{
    CDsDriverGl::StBeginVertices(GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i) CDsDriverGl::StVertex(m_corners[i]);
    CDsDriverGl::StEndVertices();
}

void CDsRectangle3d::SetPosition(EDsRectangle3dPosition which, SPAposition& out) const
{
    const float* c = m_corners[CornerIndex(which)];
    out = SPAposition(c[0], c[1], c[2]);
}

void CDsRectangle3d::SetPosition(const SPAposition& p, EDsRectangle3dPosition which)
{
    const int i = static_cast<int>(which);
    if (i < 0 || i > 3) return;
    m_corners[i][0] = static_cast<float>(p.x());
    m_corners[i][1] = static_cast<float>(p.y());
    m_corners[i][2] = static_cast<float>(p.z());
}

void CDsRectangle3d::ComputeUpperRightPosition()
{
    for (int c = 0; c < 3; ++c) {
        const double v = static_cast<double>(m_corners[3][c]) + (static_cast<double>(m_corners[1][c]) - m_corners[0][c]);
        m_corners[2][c] = static_cast<float>(v);
    }
}
