#include "DsBasicSurface.h"

#include <GmPosition.h>

#include <algorithm>

namespace {

const float kTwoPi = 6.2831855f;

// Sets the box to the corners (x0, y0, z0)-(x1, y1, z1).
void SetCorners(CDsBox& box, float x0, float y0, float z0, float x1, float y1, float z1)
{
    const float min[3] = {x0, y0, z0};
    const float max[3] = {x1, y1, z1};
    box.ResetMembers();
    box.SetMin(min);
    box.SetMax(max);
}

}  // namespace

bool CDsBasicSurface::GetBoundBox(CDsBox& box)
{
    if (m_boundBox.IsNotComputed()) ComputeBoundBox();
    box.CopyObject(m_boundBox);
    return true;
}

void CDsSphere::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    first = CGmPosition(-m_radius, -m_radius, -m_radius);
    second = CGmPosition(m_radius, m_radius, m_radius);
}

void CDsSphere::ComputeBoundBox()
{
    SetCorners(m_boundBox, -m_radius, -m_radius, -m_radius, m_radius, m_radius, m_radius);
}

void CDsCylinder::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    first = CGmPosition(m_radius, m_radius, m_height);
    second = CGmPosition(-m_radius, -m_radius, 0.0);
}

void CDsCylinder::ComputeBoundBox()
{
    SetCorners(m_boundBox, -m_radius, -m_radius, std::min(m_height, 0.0f), m_radius, m_radius,
               std::max(m_height, 0.0f));
}

void CDsCone::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    const float r = std::max(m_baseRadius, m_topRadius);
    first = CGmPosition(r, r, m_height);
    second = CGmPosition(-r, -r, 0.0);
}

void CDsCone::ComputeBoundBox()
{
    const float r = std::max(m_baseRadius, m_topRadius);
    SetCorners(m_boundBox, -r, -r, std::min(m_height, 0.0f), r, r, std::max(m_height, 0.0f));
}

void CDsNBox::SetSize(float x, float y, float z)
{
    m_size[0] = x;
    m_size[1] = y;
    m_size[2] = z;
    InvalidateBoundBox();
}

void CDsNBox::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    first = CGmPosition(m_size[0] / 2, m_size[1] / 2, m_size[2] / 2);
    second = CGmPosition(-m_size[0] / 2, -m_size[1] / 2, -m_size[2] / 2);
}

void CDsNBox::ComputeBoundBox()
{
    SetCorners(m_boundBox, -m_size[0] / 2, -m_size[1] / 2, -m_size[2] / 2, m_size[0] / 2, m_size[1] / 2,
               m_size[2] / 2);
}

CDsTorus::CDsTorus(float inner, float outer)
    : m_inner(inner), m_outer(outer), m_period{kTwoPi, kTwoPi}, m_start{0.0f, 0.0f}
{
}

void CDsTorus::ResetMembers()
{
    m_inner = 1.0f;
    m_outer = 10.0f;
    m_period[0] = m_period[1] = kTwoPi;
    m_start[0] = m_start[1] = 0.0f;
    InvalidateBoundBox();
}

void CDsTorus::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    const float e = m_inner + 2 * m_outer;
    first = CGmPosition(e, e, m_outer);
    second = CGmPosition(-e, -e, -m_outer);
}

void CDsTorus::ComputeBoundBox()
{
    const float e = m_inner + m_outer;
    if (m_outer < 1e-5f)
        SetCorners(m_boundBox, -e, -e, -e, e, e, 0.0f);
    else
        SetCorners(m_boundBox, -e, -e, -m_outer, e, e, m_outer);
}

void CDsDisk::GetExtremes(CGmPosition& first, CGmPosition& second) const
{
    first = CGmPosition(m_outer, m_outer, 0.0);
    second = CGmPosition(-m_outer, -m_outer, 0.0);
}

void CDsDisk::ComputeBoundBox()
{
    SetCorners(m_boundBox, -m_outer, -m_outer, 0.0f, m_outer, m_outer, 0.0f);
}
