#include "DsFigPoint3D.h"

#include "DsFigureGenerator.h"
#include "DsGeometryComputer.h"
#include "DsItemPointFixed.h"
#include "DsPickedItem.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
#include "view3d.h"

#include <climits>
#include <cmath>

namespace {

// trunc(v) inside the int range (NaN: 0).
int Truncated(double v)
{
    if (!std::isfinite(v)) return v > 0 ? INT_MAX : (v < 0 ? INT_MIN : 0);
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(std::trunc(v));
}

// The pixel of `position` on `view` (null: the current view), truncated; false when it does not
// project.
bool ProjectTruncated(const CGmPosition& position, view3d* view, int& x, int& y)
{
    if (!view) view = CDsView3dCdc::sCurrentView;
    if (!view) return false;
    float px = 0.0f, py = 0.0f;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(position, view, px, py)) return false;
    if (!std::isfinite(px) || !std::isfinite(py)) return false;
    x = Truncated(px);
    y = Truncated(py);
    return true;
}

}  // namespace

// === CDsFigPoint3D ==============================================================================

CDsFigPoint3D::CDsFigPoint3D(const CGmPosition& position, EPointStyle style, int size, bool flag,
                             bool activeTransformation, const CGmUnitVector& vector, int offset)
    : CDsFigure(activeTransformation, true, false),
      m_position(position),
      m_style(style),
      m_size(size),
      m_flag(flag),
      m_vector(vector),
      m_offset(offset)
{
    ReDefineFig();
}

CDsFigPoint3D::CDsFigPoint3D(const CDsPickedItem* picked) : CDsFigure(true, true, false)
{
    if (!picked) {
        m_hasPosition = false;
        return;
    }
    m_position = *picked->GetPickedPosition();
    m_path = picked->GetObjectPath();
}

CDsFigPoint3D::CDsFigPoint3D(const CDsFigPoint3D& other)
    : CDsFigure(other.GetActiveTransfFlag(), true, other.IsClip_able()),
      m_path(other.m_path),
      m_position(other.m_position),
      m_style(other.m_style),
      m_size(other.m_size),
      m_flag(other.m_flag),
      m_vector(other.m_vector),
      m_offset(other.m_offset),
      m_hasPosition(other.m_hasPosition)
{
    ReDefineFig();
}

CDsFigPoint3D& CDsFigPoint3D::operator=(const CDsFigPoint3D& other)
{
    if (this == &other) return *this;
    SetActiveTransfFlag(other.GetActiveTransfFlag());
    SetClip_able(other.IsClip_able());
    SetRefEntity(other.m_path);
    m_position = other.m_position;
    m_style = other.m_style;
    m_size = other.m_size;
    m_flag = other.m_flag;
    m_vector = other.m_vector;
    m_offset = other.m_offset;
    m_hasPosition = other.m_hasPosition;
    // The use count stays this figure's own: its holders still hold it.
    return *this;
}

int CDsFigPoint3D::DefineFig(CDsFigureGenerator& generator)
{
    if (m_hasPosition) generator.DrawPoint(m_position, m_style, m_size, m_flag, m_vector, m_offset);
    return 1;
}

void CDsFigPoint3D::Loose()
{
    if (--m_useCount == 0) delete this;
}

void CDsFigPoint3D::SetPosition(const CGmPosition& position)
{
    m_position = position;
    m_hasPosition = true;
    ReDefineFig();
}

void CDsFigPoint3D::SetPointData(const CGmPosition& position, EPointStyle style, int size,
                                 const CGmUnitVector& vector, int offset)
{
    m_position = position;
    m_hasPosition = true;
    m_style = style;
    m_size = size;
    m_vector = vector;
    m_offset = offset;
    ReDefineFig();
}

void CDsFigPoint3D::SetSize(int size)
{
    m_size = size;
    ReDefineFig();
}

void CDsFigPoint3D::SetVector(const CGmUnitVector& vector)
{
    m_vector = vector;
    ReDefineFig();
}

void CDsFigPoint3D::SetOffset(int offset)
{
    m_offset = offset;
    ReDefineFig();
}

CGmPosition CDsFigPoint3D::OffsetedPosition(view3d& view) const
{
    if (m_offset == 0) return m_position;
    return CGmPosition(m_position + SPAvector(m_vector) * (double(m_offset) * view.get_units_per_pixel()));
}

bool CDsFigPoint3D::GetXY(int& x, int& y, view3d* view) const
{
    if (!view) view = CDsView3dCdc::sCurrentView;
    if (!view) return false;
    return ProjectTruncated(OffsetedPosition(*view), view, x, y);
}

bool CDsFigPoint3D::StIsFigPoint(const CDsFigure* figure)
{
    return dynamic_cast<const CDsFigPoint3D*>(figure) != nullptr;
}

void CDsFigPoint3D::SetRefEntity(const CVyrObjectPath& path)
{
    if (&path == &m_path) return;
    m_path = path;
}

bool CDsFigPoint3D::operator==(const CDsFigPoint3D& other) const
{
    return same_point(m_position, other.m_position, SPAresabs);
}

// === CDsFigMultiPoint3D =========================================================================

CDsFigMultiPoint3D::CDsFigMultiPoint3D(const std::vector<CGmPosition>& positions, EPointStyle style, int size,
                                       bool flag, bool activeTransformation, const CGmUnitVector& vector, int offset)
    : CDsFigure(activeTransformation, true, false),
      m_positions(positions),
      m_style(style),
      m_size(size),
      m_flag(flag),
      m_vector(vector),
      m_offset(offset)
{
    ReDefineFig();
}

int CDsFigMultiPoint3D::DefineFig(CDsFigureGenerator& generator)
{
    for (const CGmPosition& position : m_positions)
        generator.DrawPoint(position, m_style, m_size, m_flag, m_vector, m_offset);
    return 1;
}

void CDsFigMultiPoint3D::Loose()
{
    if (--m_useCount == 0) delete this;
}

bool CDsFigMultiPoint3D::StIsFigMultiPoint(const CDsFigure* figure)
{
    return dynamic_cast<const CDsFigMultiPoint3D*>(figure) != nullptr;
}

bool CDsFigMultiPoint3D::operator==(const CDsFigMultiPoint3D& other) const
{
    if (m_positions.size() != other.m_positions.size()) return false;
    for (size_t i = 0; i < m_positions.size(); ++i)
        if (!same_point(m_positions[i], other.m_positions[i], SPAresabs)) return false;
    return true;
}

// === CDsFigPointReference =======================================================================

CDsFigPointReference::CDsFigPointReference(int x, int y, EPointStyle style, int size)
    : CDsFigure(true, true, false), m_x(x), m_y(y), m_style(style), m_size(size)
{
    ReDefineFig();
}

int CDsFigPointReference::DefineFig(CDsFigureGenerator& generator)
{
    generator.AddSubFigure(new CDsItemPointReference(m_x, m_y, m_style, m_size));
    return 1;
}

void CDsFigPointReference::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
    ReDefineFig();
}

void CDsFigPointReference::SetPointData(int x, int y, EPointStyle style, int size)
{
    m_x = x;
    m_y = y;
    m_style = style;
    m_size = size;
    ReDefineFig();
}

void CDsFigPointReference::SetSize(int size)
{
    m_size = size;
    ReDefineFig();
}

// === CDsFigPoint2D and CDsFigLine2D =============================================================

CDsFigPoint2D::CDsFigPoint2D(const CUiPickEvent& event) : CDsFigure(true, true, false), m_x(event.x()), m_y(event.y())
{
}

CDsFigPoint2D::CDsFigPoint2D(const CGmPosition& position, view3d* view) : CDsFigure(true, true, false)
{
    SetPosition(position, view);
}

void CDsFigPoint2D::SetPosition(const CGmPosition& position, view3d* view)
{
    int x = 0, y = 0;
    if (!view || !ProjectTruncated(position, view, x, y)) return;
    m_x = x;
    m_y = y;
}

CDsFigLine2D::CDsFigLine2D(const CUiPickEvent& first, const CUiPickEvent& second)
    : CDsFigure(true, true, false), m_x1(first.x()), m_y1(first.y()), m_x2(second.x()), m_y2(second.y())
{
}

int CDsFigLine2D::IsPicked(const CUiPickEvent& event)
{
    return CDsFigure::IsPicked(event, -1, -1);
}
