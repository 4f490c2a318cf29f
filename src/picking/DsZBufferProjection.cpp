#include "DsZBufferProjection.h"

#include "DsGlContext.h"
#include "DsView3dCdc.h"

#include "GmPosition.h"
#include "view3d.h"

#include <algorithm>
#include <climits>

namespace {

int ClampInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX - 1;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);  // truncation toward zero
}

}  // namespace

bool CDsZBufferProjection::SetUp(CDsView3dCdc* view, int x1, int y1, int x2, int y2)
{
    *this = CDsZBufferProjection();
    if (!view) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    // Only the part of the rectangle inside the viewport gets cells.
    const long left = std::max<long>(0, std::min(x1, x2)), right = std::min<long>(vw, std::max(x1, x2));
    const long top = std::max<long>(0, std::min(y1, y2)), bottom = std::min<long>(vh, std::max(y1, y2));
    if (right <= left || bottom <= top) return false;
    CDsGlContext* context = view->GetGlContext();
    const double unitsPerPixel = view->get_units_per_pixel();
    if (!context || !(unitsPerPixel > 0.0) ||
        !view->drawable_to_world(static_cast<double>(left), static_cast<double>(bottom), m_origin))
        return false;
    m_left = static_cast<int>(left);
    m_top = static_cast<int>(top);
    m_width = static_cast<int>(right - left);
    m_height = static_cast<int>(bottom - top);
    m_right = SPAvector(view->get_right().x(), view->get_right().y(), view->get_right().z());
    m_up = SPAvector(view->get_up().x(), view->get_up().y(), view->get_up().z());
    m_direction = SPAvector(view->get_direction().x(), view->get_direction().y(), view->get_direction().z());
    m_pixelScale = 1.0 / unitsPerPixel;

    m_depthMargin = static_cast<int>(0.05 / std::max(m_width, m_height) * 2147483647.0);
    CGmPosition low, high;
    context->GetAdjustedBox(low, high);
    const double span = (high.z() - low.z()) * 10.0;
    m_depthScale = span > 0.0 ? m_depthMargin / span : 1.0;
    m_depthOffset = span > 0.0 ? high.z() : 0.0;
    return true;
}

SVyrZVertex CDsZBufferProjection::Map(const SPAposition& p) const
{
    const SPAvector d = p - m_origin;
    SVyrZVertex vertex;
    vertex.x = ClampInt((d % m_right) * m_pixelScale);
    vertex.y = ClampInt((d % m_up) * m_pixelScale);
    vertex.depth = ClampInt(-((d % -m_direction) * m_depthScale));
    return vertex;
}

bool CDsZBufferProjection::CellOf(int x, int y, int& column, int& row) const
{
    column = x - m_left;
    row = m_top + m_height - 1 - y;
    return IsValid() && column >= 0 && column < m_width && row >= 0 && row < m_height;
}
