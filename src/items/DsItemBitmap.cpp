// CDsItemBitmap: the one-bit bitmap item (its bits, size, hot spot and position so far).
#include "DsItemBitmap.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Bits of a row of a bitmap `width` pixels wide: whole 32-bit words, one more when the width
// already is a multiple of 32.
int64_t RowBits(int width)
{
    return int64_t(width) - int64_t(width) % 32 + 32;
}

}  // namespace

CDsItemBitmap::CDsItemBitmap() = default;

CDsItemBitmap::CDsItemBitmap(int width, int height, int x, int y, int hotX, int hotY)
    : m_width(width), m_height(height), m_hotX(hotX), m_hotY(hotY), m_x(x), m_y(y)
{
    if (width < 1 || height < 1) return;
    const int64_t bytes = RowBits(width) / 8 * int64_t(height);
    if (bytes > int64_t(kMaxBitsBytes)) return;
    m_bits = static_cast<unsigned char*>(std::calloc(size_t(bytes), 1));
}

CDsItemBitmap::~CDsItemBitmap()
{
    std::free(m_bits);
}

int CDsItemBitmap::GetRowLengthBits() const
{
    return m_bits ? int(RowBits(m_width)) : 0;
}

void CDsItemBitmap::GetSize(int& width, int& height) const
{
    width = m_width;
    height = m_height;
}

void CDsItemBitmap::GetHotSpot(int& x, int& y) const
{
    x = m_hotX;
    y = m_hotY;
}

void CDsItemBitmap::GetPosition(int& x, int& y) const
{
    x = m_x;
    y = m_y;
}

void CDsItemBitmap::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
}

void CDsItemBitmap::SetPosition(int x, int y, int hotX, int hotY)
{
    SetPosition(x, y);
    m_hotX = hotX;
    m_hotY = hotY;
}

bool CDsItemBitmap::TestPixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
    return (m_bits[size_t(GetRowLengthBytes()) * size_t(y) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}

bool CDsItemBitmap::CopyFromBitmap(HBITMAP bitmap)
{
    if (!m_bits || !bitmap) return false;
    DIBSECTION description{};
    if (::GetObjectW(bitmap, sizeof description, &description) != int(sizeof(BITMAP))) return false;
    const BITMAP& picture = description.dsBm;
    if (picture.bmBitsPixel != 1 || picture.bmPlanes != 1 || picture.bmWidth < 1 || picture.bmHeight < 1) return false;

    // GetBitmapBits gives rows from the top, each padded to whole 16-bit words.
    const size_t stride = size_t(picture.bmWidth + 15) / 16 * 2;
    const size_t size = stride * size_t(picture.bmHeight);
    if (size > 0x7FFFFFFFu) return false;
    std::vector<unsigned char> rows(size);
    if (size_t(::GetBitmapBits(bitmap, LONG(size), rows.data())) != size) return false;

    // Row r from the top of the picture becomes row height - 1 - r of the item (rows run up).
    const size_t rowBytes = size_t(GetRowLengthBytes());
    const int width = picture.bmWidth < m_width ? picture.bmWidth : m_width;
    const int height = picture.bmHeight < m_height ? picture.bmHeight : m_height;
    const size_t copied = size_t(width + 7) / 8;
    std::memset(m_bits, 0, GetTotalSize());
    for (int r = 0; r < height; ++r) {
        unsigned char* target = m_bits + rowBytes * size_t(m_height - 1 - r);
        std::memcpy(target, rows.data() + stride * size_t(r), copied);
        if (width % 8) target[copied - 1] &= static_cast<unsigned char>(0xFF00u >> (width % 8));
    }
    return true;
}
