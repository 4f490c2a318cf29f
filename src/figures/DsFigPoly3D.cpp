#include "DsFigPoly3D.h"

#include "DsEllipseStorage.h"
#include "DsFigureGenerator.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemPolygonsBase.h"
#include "DsItemsFigure.h"
#include "SpaGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool Finite(const SPAvector& v) { return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()); }

bool Finite(const SPAposition& p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()); }

}  // namespace

// === CDsFigPoly2D ===============================================================================

CDsFigPoly2D::CDsFigPoly2D(int count, const float* xy) : CDsFigure(true, true, false)
{
    if (count > 0 && xy) m_xy.assign(xy, xy + 2 * static_cast<size_t>(count));
    ReDefineFig();
}

int CDsFigPoly2D::DefineFig(CDsFigureGenerator& generator)
{
    if (!m_xy.empty()) generator.DrawPolyline2D(GetCount(), m_xy.data());
    return 1;
}

// === CDsFigPoly3D ===============================================================================

CDsFigPoly3D::CDsFigPoly3D(int count, const CGmPosition* points) : CDsFigure(true, true, false)
{
    SetVertices(count, points);
}

int CDsFigPoly3D::DefineFig(CDsFigureGenerator& generator)
{
    if (!m_points.empty()) generator.DrawPolyline(static_cast<int>(m_points.size()), m_points.data());
    return 1;
}

int CDsFigPoly3D::GetVertices(const CGmPosition*& points) const
{
    points = m_points.empty() ? nullptr : m_points.data();
    return static_cast<int>(m_points.size());
}

void CDsFigPoly3D::SetVertices(int count, const CGmPosition* points)
{
    m_points.clear();
    if (count > 0 && points) m_points.assign(points, points + count);
    ReDefineFig();
}

// === CDsFigArc3D and CDsFigCircle3D =============================================================

CDsFigArc3D::CDsFigArc3D(CGmPosition centre, double radius, const CGmTransformation& transformation, double start,
                         double sweep, double step)
    : CDsFigure(true, true, false), m_arc(centre, radius, transformation, start, sweep, step)
{
    ReDefineFig();
}

int CDsFigArc3D::DefineFig(CDsFigureGenerator& generator)
{
    generator.DrawArc(m_arc);
    return 1;
}

CDsFigCircle3D::CDsFigCircle3D(CGmPosition centre, double radius, const CGmTransformation& transformation)
    : CDsFigure(true, true, false), m_arc(centre, radius, transformation, 0.0, 6.283185307179586, 0.1308996938995747)
{
    ReDefineFig();
}

int CDsFigCircle3D::DefineFig(CDsFigureGenerator& generator)
{
    generator.DrawArc(m_arc);
    return 1;
}

// === CDsFigEllipse3D ============================================================================

CDsFigEllipse3D::CDsFigEllipse3D(const CGmPosition& centre, const CGmUnitVector& normal, const CGmVector& majorAxis,
                                 double ratio, double start, double sweep, double step)
    : CDsFigure(true, true, false),
      m_centre(centre),
      m_normal(normal),
      m_majorAxis(majorAxis),
      m_ratio(ratio),
      m_start(start),
      m_end(start + sweep),
      m_step(step)
{
}

CDsFigEllipse3D::~CDsFigEllipse3D() { Invalidate(); }

bool CDsFigEllipse3D::IsValid() const
{
    if (!Finite(m_centre) || !Finite(m_normal) || !Finite(m_majorAxis)) return false;
    if (m_normal.len_sq() < 0.25 || m_majorAxis.is_zero()) return false;
    if (!std::isfinite(m_ratio) || !(m_ratio > 0.0)) return false;
    if (!std::isfinite(m_start) || !std::isfinite(m_end) || m_end == m_start) return false;
    return true;
}

int CDsFigEllipse3D::DefineFig(CDsFigureGenerator& generator)
{
    if (!IsValid()) return 1;
    if (!m_ellipse) m_ellipse = new ellipse(m_centre, m_normal, m_majorAxis, m_ratio, 0.0);
    const double first = std::min(m_start, m_end);
    const double last = std::max(m_start, m_end);
    generator.AddSubFigure(new CDsItemEllipseDynamic(new CDsEllipseStorage(*m_ellipse, first, last)));
    return 1;
}

void CDsFigEllipse3D::Invalidate()
{
    delete m_ellipse;
    m_ellipse = nullptr;
}

void CDsFigEllipse3D::SetCenter(const CGmPosition& centre)
{
    m_centre = centre;
    Invalidate();
}

void CDsFigEllipse3D::SetDirection(const CGmUnitVector& normal)
{
    m_normal = normal;
    Invalidate();
}

void CDsFigEllipse3D::SetMajorAxis(const CGmVector& majorAxis)
{
    m_majorAxis = majorAxis;
    Invalidate();
}

void CDsFigEllipse3D::SetRatio(double ratio)
{
    m_ratio = ratio;
    Invalidate();
}

// === CDsFigLineInfinite3D =======================================================================

CDsFigLineInfinite3D::CDsFigLineInfinite3D(SPAunit_vector direction, CGmPosition position)
    : CDsFigure(true, true, false), m_position(position), m_direction(direction)
{
    ReDefineFig();
}

CDsFigLineInfinite3D::CDsFigLineInfinite3D(double dx, double dy, double dz, CGmPosition position)
    : CDsFigure(true, true, false), m_position(position), m_direction(dx, dy, dz)
{
    ReDefineFig();
}

int CDsFigLineInfinite3D::DefineFig(CDsFigureGenerator& generator)
{
    if (!Finite(m_direction) || !Finite(m_position)) return 1;
    double m = std::max({std::fabs(m_direction.x()), std::fabs(m_direction.y()), std::fabs(m_direction.z())});
    if (m == 0.0) m = 1.0;
    const double s = 10000.0 / m;
    const CGmPosition points[2] = {CGmPosition(m_position + s * m_direction),
                                   CGmPosition(m_position - s * m_direction)};
    generator.DrawPolyline(2, points);
    return 1;
}

// === CDsFigTriangles ============================================================================

CDsFigTriangles::CDsFigTriangles(int pointsPerRow, int rowCount, const double* points, const double* normals)
    : CDsFigure(true, true, false)
{
    const long long total = static_cast<long long>(pointsPerRow) * rowCount;
    if (pointsPerRow > 0 && rowCount > 0 && points && total <= std::numeric_limits<int>::max() / 3) {
        m_pointsPerRow = pointsPerRow;
        m_rowCount = rowCount;
        const size_t n = 3 * static_cast<size_t>(total);
        m_points.assign(points, points + n);
        if (normals) m_normals.assign(normals, normals + n);
    }
    ReDefineFig();
}

int CDsFigTriangles::DefineFig(CDsFigureGenerator& generator)
{
    if (!m_points.empty())
        generator.DrawTriangles(m_pointsPerRow, m_rowCount, m_points.data(),
                                m_normals.empty() ? nullptr : m_normals.data());
    return 1;
}

void CDsFigTriangles::SetFill(bool fill)
{
    m_fill = fill;
    CDsItemsFigure* group = GetDlFigure();
    if (!group) return;
    for (CDsItemBase* child : group->GetDsItems())
        if (auto* polygons = dynamic_cast<CDsItemPolygonsBase*>(child)) polygons->SetFill(fill);
}

void CDsFigTriangles::SetColor(const CDsColorStorage& color, bool redraw)
{
    CDsFigure::SetColor(color, redraw);
    CDsItemsFigure* group = GetDlFigure();
    if (!group) return;
    for (CDsItemBase* child : group->GetDsItems())
        if (child) child->SetColor(color, true);
}

void CDsFigTriangles::SetTransparency(float transparency) { CDsFigure::SetTransparency(transparency); }
