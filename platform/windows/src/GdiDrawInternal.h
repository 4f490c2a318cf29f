// Private to the GDI drawing part: the mapping from logical to device coordinates, the block of
// pixels a drawing call changes, pixel masks and the rasterisers that fill them, shared by lines,
// polygons and text.
#pragma once

#include "GdiCanvasInternal.h"

#include <algorithm>
#include <cstdint>
#include <memory>
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

// Which pixels a call covers (1; 2 for the gaps of a styled line drawn opaque), over a box.
struct Mask {
    TileGrid<uint8_t> bits;
    DeviceBox box;

    explicit Mask(const DeviceBox& area) : bits(area, 0), box(bits.Box()) {}
    bool Inside(int64_t x, int64_t y) const { return bits.Inside(x, y); }
    void Set(int64_t x, int64_t y, uint8_t value = 1) {
        if (Inside(x, y)) bits.Ref(x, y) = value;
    }
    // Pixels [x0, x1) of row y, clipped to the box.
    void SetRun(int64_t y, int64_t x0, int64_t x1, uint8_t value = 1) {
        if (y < box.top || y >= box.bottom) return;
        for (int64_t x = std::max(x0, box.left), end = std::min(x1, box.right); x < end; ++x) bits.Ref(x, y) = value;
    }
    uint8_t Get(int64_t x, int64_t y) const { return Inside(x, y) ? bits.Get(x, y) : 0; }
};

// The pixels of a DC's surface inside a box, changed by a drawing call. A memory DC's bitmap is
// changed in place; a window or pbuffer DC's front buffer through a canvas: the window's own while
// its DC is held and no context is current on it (written later), else one of the call's own,
// written when the call closes the block.
class PixelBlock {
public:
    // Opens the box clipped to the DC's surface. False (error set) when the DC has no pixels.
    bool Open(HDC dc, const DeviceBox& box, DWORD& error);
    // Ends the call's changes: written into the surface unless they wait in a window's canvas.
    bool Close();
    // The clipped box.
    const DeviceBox& Box() const { return m_box; }
    // A colour as the surface holds it.
    uint32_t Quantise(uint32_t pixel) const { return m_surface.Quantise(pixel); }
    // Combines pixel (x, y) of the box with a pen colour already quantised (0x00RRGGBB) by a raster
    // operation (R2_*).
    void Paint(int64_t x, int64_t y, uint32_t pen, int rop);
    // Blends a colour over pixel (x, y) of the box by its coverage out of 255. False when the pixel
    // under it cannot be read.
    bool Blend(int64_t x, int64_t y, uint32_t color, unsigned coverage);

private:
    HDC m_dc = nullptr;
    Surface m_surface;
    DeviceBox m_box;
    Canvas* m_canvas = nullptr;          // window or pbuffer DCs
    std::unique_ptr<Canvas> m_ownCanvas; // the call's own canvas
};

// A binary raster operation (R2_*) of a pen colour and a pixel, 0x00RRGGBB.
uint32_t ApplyRop2(int rop, uint32_t pen, uint32_t dest);

// Fills `mask` with the pixels whose centres lie inside the closed polygon of device points (x, y
// pairs), by the fill mode (ALTERNATE or WINDING).
void FillPolygonMask(const std::vector<double>& points, int fillMode, Mask& mask);

// Combines every pixel of `mask` that holds `which` with `color` through the raster operation
// (R2_*).
void PaintMask(PixelBlock& block, const Mask& mask, uint32_t color, int rop, uint8_t which = 1);

}  // namespace gdi
}  // namespace vyrwin
