// Private to the GDI drawing part: the mapping from logical to device coordinates, the block of
// pixels a drawing call changes, pixel masks and the rasterisers that fill them, shared by lines,
// polygons and text.
#pragma once

#include "GdiInternal.h"

#include <cstdint>
#include <vector>

namespace vyrwin {
namespace gdi {

// device = logical * scale + offset, on each axis.
struct DeviceMap {
    double sx = 1.0, sy = 1.0;
    double ox = 0.0, oy = 0.0;

    double X(double x) const { return x * sx + ox; }
    double Y(double y) const { return y * sy + oy; }
    // Device to logical.
    double LogicalX(double x) const { return (x - ox) / sx; }
    double LogicalY(double y) const { return (y - oy) / sy; }
};
// The mapping of a live DC.
DeviceMap MapOf(HDC dc);
// A device coordinate rounded to the nearest pixel and kept inside +-2^30.
int64_t DevicePixel(double v);

// A rectangle of device pixels, [left, right) x [top, bottom).
struct DeviceBox {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    DeviceBox Intersect(const DeviceBox& other) const;
};

// One bit a pixel over a box: which pixels a call covers.
struct Mask {
    DeviceBox box;
    std::vector<uint8_t> bits;

    explicit Mask(const DeviceBox& area);
    bool Inside(int64_t x, int64_t y) const {
        return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
    }
    void Set(int64_t x, int64_t y, uint8_t value = 1) {
        if (Inside(x, y)) bits[size_t((y - box.top) * (box.right - box.left) + (x - box.left))] = value;
    }
    uint8_t Get(int64_t x, int64_t y) const {
        return Inside(x, y) ? bits[size_t((y - box.top) * (box.right - box.left) + (x - box.left))] : 0;
    }
};

// The pixels of a DC's surface inside a box, read for a change and written back.
class PixelBlock {
public:
    // Reads the box clipped to the DC's surface. False (error set) when the DC has no pixels.
    bool Read(HDC dc, const DeviceBox& box, DWORD& error);
    // Writes the pixels back (nothing when the clipped box is empty).
    bool Write();
    // The clipped box.
    const DeviceBox& Box() const { return m_box; }
    // Pixel (x, y) as 0x00RRGGBB; the box must hold it.
    uint32_t& At(int64_t x, int64_t y) {
        return m_pixels[size_t((y - m_box.top) * (m_box.right - m_box.left) + (x - m_box.left))];
    }
    // A colour as the surface holds it.
    uint32_t Quantise(uint32_t pixel) const { return m_surface.Quantise(pixel); }
    // The DC's surface.
    const Surface& SurfaceOf() const { return m_surface; }

private:
    HDC m_dc = nullptr;
    Surface m_surface;
    DeviceBox m_box;
    std::vector<uint32_t> m_pixels;
};

// A binary raster operation (R2_*) of a pen colour and a pixel, 0x00RRGGBB.
uint32_t ApplyRop2(int rop, uint32_t pen, uint32_t dest);

// Fills `mask` with the pixels whose centres lie inside the closed polygon of device points (x, y
// pairs), by the fill mode (ALTERNATE or WINDING).
void FillPolygonMask(const std::vector<double>& points, int fillMode, Mask& mask);

// Combines every set pixel of `mask` with `color` through the raster operation (R2_*).
void PaintMask(PixelBlock& block, const Mask& mask, uint32_t color, int rop);

}  // namespace gdi
}  // namespace vyrwin
