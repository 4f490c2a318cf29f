// A white memory DC on a top-down 32-bit DIB section (pixels 0x00RRGGBB) as a framework CDC, for
// tests that look at what a device-context driver drew.
#pragma once

#include <afxwin.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace vyrtest {

struct MemoryCanvas {
    static constexpr uint32_t kWhite = 0xFFFFFF;

    MemoryCanvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
        dc.CreateCompatibleDC(nullptr);
        old = SelectObject(dc.GetSafeHdc(), bitmap);
        Clear();
    }
    ~MemoryCanvas()
    {
        SelectObject(dc.GetSafeHdc(), old);
        dc.DeleteDC();
        DeleteObject(bitmap);
        CGdiObject::DeleteTempMap();
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // Every pixel white again.
    void Clear() { std::fill(bits, bits + width * height, kWhite); }
    // The pixel at (x, y), y down from the top.
    uint32_t At(int x, int y) const { return bits[y * width + x]; }
    // The box of the pixels that are not white; false when there are none.
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

    int width, height;
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    CDC dc;
    HGDIOBJ old = nullptr;
};

}  // namespace vyrtest
