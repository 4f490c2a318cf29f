#include "DsRectangle.h"

#include <view3d.h>

#include <climits>
#include <cmath>

namespace {

// Viewport of the last view asked about; one display thread reads it.
view3d* sCachedView = nullptr;
int sViewport[4] = {0, 0, 0, 0};

// A whole number held in a double, clamped into the int range.
int ClampToInt(double v)
{
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(v);
}

}  // namespace

CDsRectangle::CDsRectangle(const int* min, const int* max)
{
    SetMin(min);
    SetMax(max);
}

void CDsRectangle::SetEmpty()
{
    m_min[0] = 1;
    m_min[1] = 0;
    m_max[0] = 0;
    m_max[1] = 0;
    m_view = nullptr;
}

void CDsRectangle::SetMin(const int* min)
{
    if (!min) return;
    m_min[0] = min[0];
    m_min[1] = min[1];
}

void CDsRectangle::SetMax(const int* max)
{
    if (!max) return;
    m_max[0] = max[0];
    m_max[1] = max[1];
}

void CDsRectangle::Expand(const int* point)
{
    if (!point) return;
    if (IsEmpty()) {
        m_min[0] = m_max[0] = point[0];
        m_min[1] = m_max[1] = point[1];
        return;
    }
    if (point[0] < m_min[0]) m_min[0] = point[0];
    if (point[1] < m_min[1]) m_min[1] = point[1];
    if (point[0] > m_max[0]) m_max[0] = point[0];
    if (point[1] > m_max[1]) m_max[1] = point[1];
}

void CDsRectangle::Expand(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    const int lowX = ClampToInt(std::floor(x)), lowY = ClampToInt(std::floor(y));
    const int highX = ClampToInt(std::ceil(x)), highY = ClampToInt(std::ceil(y));
    if (IsEmpty()) {
        m_min[0] = lowX;
        m_min[1] = lowY;
        m_max[0] = highX;
        m_max[1] = highY;
        return;
    }
    if (lowX < m_min[0]) m_min[0] = lowX;
    if (lowY < m_min[1]) m_min[1] = lowY;
    if (highX > m_max[0]) m_max[0] = highX;
    if (highY > m_max[1]) m_max[1] = highY;
}

void CDsRectangle::ExpandWithMargin(const int* point)
{
    if (point) ExpandWithMargin(point[0], point[1]);
}

void CDsRectangle::ExpandWithMargin(int x, int y)
{
    const int low[2] = {x - 6, y - 6};
    const int high[2] = {x + 6, y + 6};
    Expand(low);
    Expand(high);
}

void CDsRectangle::GetRectangle(int& minX, int& maxX, int& minY, int& maxY) const
{
    minX = m_min[0];
    maxX = m_max[0];
    minY = m_min[1];
    maxY = m_max[1];
}

void CDsRectangle::StCacheViewport(view3d* view)
{
    sCachedView = view;
    if (view)
        view->get_viewport(sViewport[0], sViewport[1], sViewport[2], sViewport[3]);
    else
        sViewport[0] = sViewport[1] = sViewport[2] = sViewport[3] = 0;
}

bool CDsRectangle::IsInView(view3d* view, bool pickAperture) const
{
    if (!view) return false;
    if (view != sCachedView) StCacheViewport(view);
    if (!pickAperture) {
        return m_max[0] >= sViewport[0] && m_max[1] >= sViewport[1] &&
               m_min[0] <= sViewport[0] + sViewport[2] && m_min[1] <= sViewport[1] + sViewport[3];
    }
    int cx = 0, cy = 0, width = 0, height = 0;
    view->get_pick_aperture(cx, cy, width, height);
    // The aperture centre counts rows down from the viewport's top, as the rectangle does: the two
    // are compared as they are.
    const int hw = width / 2 + 1;
    const int hh = height / 2 + 1;
    return m_max[0] >= cx - hw && m_max[1] >= cy - hh && m_min[0] <= cx + hw && m_min[1] <= cy + hh;
}

void SDsBox2D::SetEmpty()
{
    minX = 1;
    minY = 1;
    maxX = 0;
    maxY = 0;
}

bool SDsBox2D::IsValid() const
{
    return minX <= maxX || minY <= maxY;
}

void SDsBox2D::Expand(const SDsBox2D& other)
{
    if (!IsValid()) {
        *this = other;
        return;
    }
    if (other.minX < minX) minX = other.minX;
    if (other.minY < minY) minY = other.minY;
    if (other.maxX > maxX) maxX = other.maxX;
    if (other.maxY > maxY) maxY = other.maxY;
}

void SDsBox2D::Offset(float dx, float dy)
{
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    if (!IsValid()) {
        minX = maxX = ClampToInt(std::floor(static_cast<double>(dx)));
        minY = maxY = ClampToInt(std::floor(static_cast<double>(dy)));
        return;
    }
    minX = ClampToInt(std::floor(minX + static_cast<double>(dx)));
    minY = ClampToInt(std::floor(minY + static_cast<double>(dy)));
    maxX = ClampToInt(std::ceil(maxX + static_cast<double>(dx)));
    maxY = ClampToInt(std::ceil(maxY + static_cast<double>(dy)));
}
