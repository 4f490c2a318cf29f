// Device-independent bitmaps as tests make them and read bitmaps back with GetDIBits: bottom-up
// 24-bit and top-down 32-bit.
#pragma once

#include "GlTestFixture.h"

#include <windows.h>

#include <vector>

namespace vyrtest {

// The description of a width x height bottom-up 24-bit DIB (B, G, R bytes, rows padded to 4).
BITMAPINFO BottomUp24(int width, int height);
// The description of a width x height top-down 32-bit DIB (pixels 0x00RRGGBB, the first row the
// top one).
BITMAPINFO TopDown32(int width, int height);
// The pixels of `bitmap` as such a DIB, read through `dc` (a memory DC of its own when null);
// empty when GetDIBits does not give every row.
std::vector<unsigned char> ReadBitmap24(HDC dc, HBITMAP bitmap, int width, int height);
// Pixel (x, row) of such a DIB, row 0 being the first stored (the bottom) row; {-1, -1, -1}
// outside the bits.
Rgb Dib24Pixel(const std::vector<unsigned char>& bits, int width, int x, int row);

}  // namespace vyrtest
