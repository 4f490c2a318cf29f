// Screen-space conversions of the geometry computer.
#include "DsGeometryComputerBase.h"

#include "view3d.h"

#include <cmath>

CDsGeometryComputerBase::~CDsGeometryComputerBase() = default;

int CDsGeometryComputerBase::ComputeUpsideDownCoordY(const view3d* view, int y) const
{
    if (view == nullptr) return y;
    int vx = 0, vy = 0, width = 0, height = 0;
    view->get_viewport(vx, vy, width, height);
    return height - 1 - y;
}

void CDsGeometryComputerBase::ComputeRelativeCoordinates2D(const view3d* view, float rx, float ry, float& x,
                                                           float& y) const
{
    x = 0.0f;
    y = 0.0f;
    if (view == nullptr || !std::isfinite(rx) || !std::isfinite(ry)) return;
    int vx = 0, vy = 0, width = 0, height = 0;
    view->get_viewport(vx, vy, width, height);
    x = rx * static_cast<float>(width);
    y = ry * static_cast<float>(height);
}

void CDsGeometryComputerBase::ComputeRelativeCoordinates2D(const view3d* view, float rx, float ry, int& x,
                                                           int& y) const
{
    float fx = 0.0f, fy = 0.0f;
    ComputeRelativeCoordinates2D(view, rx, ry, fx, fy);
    // Relative positions far outside the viewport are clamped to the int range before truncation.
    const auto clampToInt = [](float v) {
        if (v >= 2147483520.0f) return 2147483520;
        if (v <= -2147483520.0f) return -2147483520;
        return static_cast<int>(v);
    };
    x = clampToInt(fx);
    y = clampToInt(fy);
}
