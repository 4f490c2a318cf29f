#include "DsBox.h"

#include "DsGeometryComputer.h"

#include <GmPosition.h>
#include <SpaValues.h>
#include <view3d.h>

#include <cmath>


CDsBox::CDsBox(const float* min, const float* max)
{
    SetMin(min);
    SetMax(max);
}

CDsBox::CDsBox(const SPAbox& box)
{
    if (box.empty()) return;
    const SPAposition low = box.low(), high = box.high();
    m_min[0] = static_cast<float>(low.x());
    m_min[1] = static_cast<float>(low.y());
    m_min[2] = static_cast<float>(low.z());
    m_max[0] = static_cast<float>(high.x());
    m_max[1] = static_cast<float>(high.y());
    m_max[2] = static_cast<float>(high.z());
}

CDsBox& CDsBox::operator=(const CDsBox& other)
{
    CopyObject(other);
    return *this;
}

void CDsBox::CopyObject(const CDsBox& other)
{
    ResetMembers();
    SetMin(other.m_min);
    SetMax(other.m_max);
}

void CDsBox::ResetMembers()
{
    m_min[0] = 1.0f;
    m_min[1] = m_min[2] = 0.0f;
    m_max[0] = m_max[1] = m_max[2] = 0.0f;
}

void CDsBox::SetMin(const float* min)
{
    if (!min) return;
    for (int i = 0; i < 3; ++i) m_min[i] = min[i];
}

void CDsBox::SetMax(const float* max)
{
    if (!max) return;
    for (int i = 0; i < 3; ++i) m_max[i] = max[i];
}

void CDsBox::GetMin(CGmPosition& p) const
{
    p = CGmPosition(m_min[0], m_min[1], m_min[2]);
}

void CDsBox::GetMax(CGmPosition& p) const
{
    p = CGmPosition(m_max[0], m_max[1], m_max[2]);
}

void CDsBox::Expand(const float* point, const SPAtransf* t)
{
    if (point) Expand(point[0], point[1], point[2], t);
}

void CDsBox::Expand(float x, float y, float z, const SPAtransf* t)
{
    SPAposition p(x, y, z);
    if (t) p *= *t;
    const float v[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
    // A point that is not a number would poison the box for good: leave it out.
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) return;
    if (IsNotComputed()) {
        SetMin(v);
        SetMax(v);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        m_min[i] = Min(m_min[i], v[i]);
        m_max[i] = Max(m_max[i], v[i]);
    }
}

void CDsBox::ExpandBox(const CDsBox& other, const SPAtransf* t)
{
    for (int corner = 0; corner < 8; ++corner) {
        Expand((corner & 1) ? other.m_max[0] : other.m_min[0], (corner & 2) ? other.m_max[1] : other.m_min[1],
               (corner & 4) ? other.m_max[2] : other.m_min[2], t);
    }
}

void CDsBox::TransformBox(const SPAtransf* t, const CDsBox& other)
{
    ExpandBox(other, t);
}

void CDsBox::Transform(const SPAtransf& t, const CDsBox& other)
{
    ExpandBox(other, &t);
}

void CDsBox::GetCenter(float& x, float& y, float& z) const
{
    x = (m_min[0] + m_max[0]) * 0.5f;
    y = (m_min[1] + m_max[1]) * 0.5f;
    z = (m_min[2] + m_max[2]) * 0.5f;
}

float CDsBox::GetDiagonalSize() const
{
    const float dx = m_max[0] - m_min[0], dy = m_max[1] - m_min[1], dz = m_max[2] - m_min[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool CDsBox::IsGivenBoxTotalyInsideMe(const CDsBox& other) const
{
    if (IsNotComputed() || other.IsNotComputed()) return false;
    for (int i = 0; i < 3; ++i) {
        if (!(m_max[i] > other.m_max[i] && other.m_min[i] > m_min[i])) return false;
    }
    return true;
}

bool CDsBox::IsGivenBoxTotalyOutsideMe(const CDsBox& other) const
{
    if (IsNotComputed() || other.IsNotComputed()) return false;
    for (int i = 0; i < 3; ++i) {
        if (other.m_min[i] > m_max[i] || m_min[i] > other.m_max[i]) return true;
    }
    return false;
}

void CDsBox::ComputeBounds2D(view3d* view, bool force)
{
    if (!view) return;
    if (!force && m_rectangle.GetView() == view) return;
    m_rectangle.SetEmpty();
    m_rectangle.SetView(view);
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    int height = -1;  // read from the view on the first corner, shared by the other seven
    for (int corner = 0; corner < 8; ++corner) {
        const CGmPosition p((corner & 1) ? m_max[0] : m_min[0], (corner & 2) ? m_max[1] : m_min[1],
                            (corner & 4) ? m_max[2] : m_min[2]);
        float x = 0.0f, y = 0.0f;
        if (computer->ProjectPositionOnView(p, view, x, y, &height, true)) m_rectangle.Expand(x, y);
    }
}

void CDsBox::GetRectangle(int& minX, int& maxX, int& minY, int& maxY) const
{
    m_rectangle.GetRectangle(minX, maxX, minY, maxY);
}

bool CDsBox::CheckExtremesOverlap(view3d* view, bool pickAperture) const
{
    return m_rectangle.IsInView(view, pickAperture);
}

void CDsBox::DrawExtremes(view3d& extremaView) const
{
    if (IsNotComputed()) return;
    for (int corner = 0; corner < 8; ++corner) {
        const SPAposition p((corner & 1) ? m_max[0] : m_min[0], (corner & 2) ? m_max[1] : m_min[1],
                            (corner & 4) ? m_max[2] : m_min[2]);
        extremaView.draw_point_3d(p);
    }
}
