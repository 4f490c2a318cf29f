// Private to the GDI drawing part: boxes of device pixels, sparse grids of per-pixel values, and
// the canvas that keeps GDI drawing into a window or pbuffer on the CPU side until it is written
// into the front buffer.
//
// A canvas never needs to read the front buffer to draw: each of its pixels holds what the drawing
// did to the pixel under it as a function D -> (D & keep) ^ flip of the front buffer's pixel D.
// Every binary raster operation with a fixed pen colour is such a function, bit by bit (each bit
// becomes 0, 1, D or ~D), and so is any sequence of them; a pixel whose keep is 0 is known outright.
// The canvas is written with OpenGL's logic operations (copy, and, exclusive-or) on the pixels it
// changed, so what OpenGL drew under it stays. It reads the front buffer only for what needs the
// colour itself (text blended by coverage, GDI reads of a held window), once per area.
#pragma once

#include "GdiInternal.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace vyrwin {
namespace gdi {

// A rectangle of device pixels, [left, right) x [top, bottom).
struct DeviceBox {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    DeviceBox Intersect(const DeviceBox& other) const;
};

// One value a pixel over a box, stored in square tiles made at the first write into them, so that
// what a call touches costs memory and time, not the box it might reach. Unwritten pixels read
// as the blank value.
template <typename T>
class TileGrid {
public:
    static constexpr int kShift = 4;
    static constexpr int64_t kSize = int64_t(1) << kShift;

    TileGrid(const DeviceBox& area, T blank) : m_box(area.Empty() ? DeviceBox{} : area), m_blank(blank) {
        m_tilesX = (m_box.right - m_box.left + kSize - 1) >> kShift;
        m_tilesY = (m_box.bottom - m_box.top + kSize - 1) >> kShift;
        m_tiles.resize(size_t(m_tilesX * m_tilesY));
    }

    const DeviceBox& Box() const { return m_box; }
    bool Inside(int64_t x, int64_t y) const {
        return x >= m_box.left && x < m_box.right && y >= m_box.top && y < m_box.bottom;
    }
    // The value of a pixel inside the box.
    T Get(int64_t x, int64_t y) const {
        const int64_t cx = x - m_box.left, cy = y - m_box.top;
        const T* tile = m_tiles[size_t((cy >> kShift) * m_tilesX + (cx >> kShift))].get();
        return tile ? tile[((cy & (kSize - 1)) << kShift) | (cx & (kSize - 1))] : m_blank;
    }
    // The value of a pixel inside the box, for writing (its tile made when missing).
    T& Ref(int64_t x, int64_t y) {
        const int64_t cx = x - m_box.left, cy = y - m_box.top;
        std::unique_ptr<T[]>& tile = m_tiles[size_t((cy >> kShift) * m_tilesX + (cx >> kShift))];
        if (!tile) {
            tile.reset(new T[size_t(kSize * kSize)]);
            for (int64_t i = 0; i < kSize * kSize; ++i) tile[size_t(i)] = m_blank;
            ++m_tileCount;
        }
        return tile[size_t(((cy & (kSize - 1)) << kShift) | (cx & (kSize - 1)))];
    }
    // Whether any tile was made.
    bool Any() const { return m_tileCount != 0; }
    // The box of the tiles made so far, clipped to the box (empty when none).
    DeviceBox Extent() const {
        int64_t x0 = m_tilesX, y0 = m_tilesY, x1 = -1, y1 = -1;
        for (int64_t ty = 0; m_tileCount && ty < m_tilesY; ++ty)
            for (int64_t tx = 0; tx < m_tilesX; ++tx)
                if (m_tiles[size_t(ty * m_tilesX + tx)]) {
                    x0 = std::min(x0, tx);
                    x1 = std::max(x1, tx);
                    y0 = std::min(y0, ty);
                    y1 = std::max(y1, ty);
                }
        if (x1 < 0) return DeviceBox{};
        return DeviceBox{m_box.left + (x0 << kShift), m_box.top + (y0 << kShift), m_box.left + ((x1 + 1) << kShift),
                         m_box.top + ((y1 + 1) << kShift)}
            .Intersect(m_box);
    }
    // Calls f(x, y, value) for every pixel of the box that lies in a tile made so far, tile by
    // tile, rows from the top within each.
    template <typename F>
    void ForEach(F f) const {
        if (!m_tileCount) return;
        for (int64_t ty = 0; ty < m_tilesY; ++ty)
            for (int64_t tx = 0; tx < m_tilesX; ++tx) {
                const T* tile = m_tiles[size_t(ty * m_tilesX + tx)].get();
                if (!tile) continue;
                const int64_t x0 = m_box.left + (tx << kShift), y0 = m_box.top + (ty << kShift);
                const int64_t w = std::min(kSize, m_box.right - x0), h = std::min(kSize, m_box.bottom - y0);
                for (int64_t r = 0; r < h; ++r)
                    for (int64_t c = 0; c < w; ++c) f(x0 + c, y0 + r, tile[size_t((r << kShift) | c)]);
            }
    }
    // Forgets every value.
    void Clear() {
        for (auto& tile : m_tiles) tile.reset();
        m_tileCount = 0;
    }

private:
    DeviceBox m_box;
    T m_blank;
    int64_t m_tilesX = 0, m_tilesY = 0;
    size_t m_tileCount = 0;
    std::vector<std::unique_ptr<T[]>> m_tiles;
};

// What drawing did to one pixel: the front buffer's pixel D becomes (D & keep) ^ flip (24 bits).
struct PixelChange {
    uint32_t keep = kWhite;
    uint32_t flip = 0;
};

// Changes to the front buffer of a window or pbuffer DC inside a box, written at once by Write.
class Canvas {
public:
    Canvas(HDC dc, const DeviceBox& box);

    const DeviceBox& Box() const { return m_changes.Box(); }
    // Combines pixel (x, y), inside the box, with a pen colour (0x00RRGGBB) by a raster operation
    // (R2_*).
    void Paint(int64_t x, int64_t y, uint32_t pen, int rop);
    // Pixel (x, y) as it will be, when that does not depend on the front buffer.
    bool Known(int64_t x, int64_t y, uint32_t& pixel) const;
    // Reads the front buffer under `area` (clipped to the box) and makes its pixels known. False
    // when the front buffer cannot be read.
    bool Materialise(const DeviceBox& area);
    // Writes every changed pixel into the front buffer and forgets the changes. False when it
    // cannot be written (the changes are forgotten all the same).
    bool Write();
    // Whether anything waits to be written.
    bool Pending() const { return m_changes.Any(); }

private:
    HDC m_dc;
    TileGrid<PixelChange> m_changes;
};

// --- Window pixels held on the CPU side ---------------------------------------------------------
//
// While a window's DC is held (GetDC to ReleaseDC) and no OpenGL context is current on the window,
// nothing but this library can read or draw the window's pixels: OpenGL reaches them only through
// a context made current on the window, which wglMakeCurrent does. GDI drawing into the window
// then goes into one canvas of the whole window, written at the first of: the last hold given
// back, a context made current (on any DC: a frame's boundary), a frame presented on another
// window, a resize, a transfer into the window. Transfers out of the window (GetPixel, BitBlt)
// read through the canvas.
// SwapBuffers of the window replaces every pixel of its front buffer, so the canvas is dropped
// then; so it is when the window goes away. With a context current on the window, GDI drawing is
// written before the call returns, through that context, in the order OpenGL sees it.

// The canvas of a held window DC that no context is current on (made at the first call), or null
// when drawing into `dc` must go straight to the front buffer.
Canvas* HeldCanvas(HDC dc);
// The canvas `dc` has now, if any.
Canvas* ExistingCanvas(HDC dc);
// Notes that GDI wrote into the front buffer of `dc` through the context current on it, so that
// the screen is brought up to date when the hold ends.
void NoteFrontWritten(HDC dc);

}  // namespace gdi

// Writes what a held window's canvas holds into its front buffer and drops the canvas (nothing
// when it has none).
void FlushDcPixels(HDC dc);
// The same for every held window: a context is about to be made current, or a frame presented.
void FlushAllDcPixels();
// Drops the canvas of `dc` unwritten: the front buffer is about to be replaced whole, or the
// window goes away.
void DropDcPixels(HDC dc);
// The last hold of a window DC ended: the canvas is written and the screen brought up to date.
void EndDcHold(HDC dc);

}  // namespace vyrwin
