// CDsBitmap: a bitmap record that owns its pixels.
#include "DsBitmap.h"

#include <algorithm>
#include <cstring>

CDsBitmap::CDsBitmap(int width, int height, int bytesPerRow, int bitsPixel, const void* bits)
    : bmWidth(std::max(width, 0)),
      bmHeight(std::max(height, 0)),
      bmWidthBytes(std::max(bytesPerRow, 0)),
      bmPlanes(1),
      bmBitsPixel(static_cast<uint16_t>(std::max(bitsPixel, 0)))
{
    m_bits.assign(static_cast<size_t>(bmWidthBytes) * static_cast<size_t>(bmHeight), 0);
    if (bits && !m_bits.empty()) std::memcpy(m_bits.data(), bits, m_bits.size());
}
