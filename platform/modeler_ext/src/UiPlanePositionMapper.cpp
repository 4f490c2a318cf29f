// Working planes.
#include "UiPlanePositionMapper.h"

#include <cmath>

namespace {

bool IsUsable(const SPAvector& v)
{
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()) && v.len() > SPAresnor;
}

SPAposition Finite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()) ? p : SPAposition();
}

}  // namespace

CUiPlanePositionMapper::CUiPlanePositionMapper(const SPAposition& origin, const SPAvector& normal)
    : m_origin(Finite(origin))
{
    SetFrame(normal);
}

CUiPlanePositionMapper::CUiPlanePositionMapper(const SPAposition& origin, const SPAvector& xAxis,
                                               const SPAvector& yAxis)
    : m_origin(Finite(origin))
{
    const SPAvector normal = xAxis * yAxis;
    if (!IsUsable(xAxis) || !IsUsable(yAxis) || !IsUsable(normal) ||
        normal.len() <= SPAresnor * xAxis.len() * yAxis.len()) {
        SetFrame(normal);
        return;
    }
    m_x = normalise(xAxis);
    m_normal = normalise(normal);
    m_y = normalise(m_normal * m_x);
}

void CUiPlanePositionMapper::SetFrame(const SPAvector& normal)
{
    m_normal = IsUsable(normal) ? normalise(normal) : SPAunit_vector(0.0, 0.0, 1.0);
    const SPAvector modelX(1.0, 0.0, 0.0);
    const SPAvector seed = std::fabs(m_normal % modelX) > 1.0 - 1e-6 ? SPAvector(0.0, 1.0, 0.0) : modelX;
    m_x = normalise(seed - (seed % m_normal) * m_normal);
    m_y = normalise(m_normal * m_x);
}

SPAposition CUiPlanePositionMapper::WorkToModel(const SPAposition& work) const
{
    return m_origin + work.x() * m_x + work.y() * m_y + work.z() * m_normal;
}

SPAposition CUiPlanePositionMapper::ModelToWork(const SPAposition& model) const
{
    const SPAvector d = model - m_origin;
    return SPAposition(d % m_x, d % m_y, d % m_normal);
}
