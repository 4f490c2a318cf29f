// A memory DC holding a top-down 32-bit DIB section, for tests that read back what GDI drew:
// pixels 0x00RRGGBB (as a 32-bit DIB pixel reads on this machine), addressed from the top-left
// corner, y down.
#pragma once

#include "Dib.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <utility>

namespace vyrtest {

struct DibCanvas {
    static constexpr uint32_t kWhite = 0xFFFFFF;

    // A canvas of w x h pixels of one colour.
    DibCanvas(int w, int h, uint32_t fill = kWhite) : width(w), height(h)
    {
        const BITMAPINFO info = TopDown32(w, h);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    // Selects the stock pen, brush and font and the DC's first bitmap back (a test's own objects
    // are then free to go), and deletes the DC and the DIB section.
    ~DibCanvas()
    {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    // Every pixel `color`.
    void Fill(uint32_t color) { std::fill(bits, bits + width * height, color); }
    // Every pixel white.
    void Clear() { Fill(kWhite); }
    // The pixel at (x, y).
    uint32_t& At(int x, int y) { return bits[y * width + x]; }
    uint32_t At(int x, int y) const { return bits[y * width + x]; }
    // The box of the pixels that are not white: left, top, right, bottom (inclusive); false when
    // there are none.
    bool Ink(int& left, int& top, int& right, int& bottom) const
    {
        left = top = INT_MAX;
        right = bottom = INT_MIN;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != kWhite) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return left <= right;
    }
    // The number of pixels that are not white in the box from (x0, y0) to (x1, y1), inclusive.
    int InkIn(int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = std::max(y0, 0); y <= std::min(y1, height - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x) count += At(x, y) != kWhite;
        return count;
    }
    // The pixels that are not `background`, as (x, y).
    std::set<std::pair<int, int>> Inked(uint32_t background = kWhite) const
    {
        std::set<std::pair<int, int>> inked;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != background) inked.insert({x, y});
        return inked;
    }

    int width, height;
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
};

}  // namespace vyrtest
