#include "Dib.h"

namespace vyrtest {

BITMAPINFO BottomUp24(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info = BottomUp24(width, -height);
    info.bmiHeader.biBitCount = 32;
    return info;
}

std::vector<unsigned char> ReadBitmap24(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info = BottomUp24(width, height);
    std::vector<unsigned char> bits(static_cast<size_t>((width * 3 + 3) / 4 * 4) * height);
    HDC own = dc ? nullptr : CreateCompatibleDC(nullptr);
    if (GetDIBits(dc ? dc : own, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS) != height) bits.clear();
    if (own) DeleteDC(own);
    return bits;
}

Rgb Dib24Pixel(const std::vector<unsigned char>& bits, int width, int x, int row)
{
    const size_t at = static_cast<size_t>((width * 3 + 3) / 4 * 4) * row + x * 3;
    if (at + 2 >= bits.size()) return Rgb{-1, -1, -1};
    return Rgb{bits[at + 2], bits[at + 1], bits[at]};
}

}  // namespace vyrtest
