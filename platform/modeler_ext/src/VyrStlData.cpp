// Triangle meshes.
#include "VyrStlData.h"

#include <cmath>

namespace {

// The direction of `v` however short it is; zero only for a zero (or non-finite) vector.
SPAunit_vector direction(const SPAvector& v)
{
    const double len = v.len();
    if (!(len > 0.0) || !std::isfinite(len)) return SPAunit_vector();
    return SPAunit_vector(v.x() / len, v.y() / len, v.z() / len);
}

}  // namespace

CVyrTriangle::CVyrTriangle(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2)
    : m_pos{p0, p1, p2}, m_normal(direction((p1 - p0) * (p2 - p0)))
{
}

CVyrTriangle::CVyrTriangle(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2,
                           const SPAvector& normal)
    : m_pos{p0, p1, p2}, m_normal(direction(normal))
{
}

CVyrStlData::CVyrStlData() = default;

CVyrStlData::~CVyrStlData() = default;

void CVyrStlData::decRC()
{
    if (--m_rc <= 0) delete this;
}

const CVyrTriangle* CVyrStlData::operator[](int index) const
{
    if (index < 0 || index >= GetTrianglesCount()) return nullptr;
    return &m_triangles[static_cast<size_t>(index)];
}

const CVyrTriangle* CVyrStlData::GetFirstTriangle()
{
    m_cursor = 0;
    return GetNextTriangle();
}

const CVyrTriangle* CVyrStlData::GetNextTriangle()
{
    if (m_cursor < 0 || m_cursor >= GetTrianglesCount()) return nullptr;
    return &m_triangles[static_cast<size_t>(m_cursor++)];
}
