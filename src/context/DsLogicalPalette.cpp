// CDsLogicalPalette: a LOGPALETTE built from a list of colours.
#include "DsLogicalPalette.h"

#include <algorithm>

CDsLogicalPalette::CDsLogicalPalette(const std::vector<uint32_t>& colors)
{
    const size_t count = std::min<size_t>(colors.size(), 0xFFFF);
    m_storage.resize(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (std::max<size_t>(count, 1) - 1));
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(m_storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    for (size_t i = 0; i < count; ++i) {
        PALETTEENTRY& entry = logical->palPalEntry[i];
        entry.peRed = static_cast<BYTE>(colors[i] & 0xFF);
        entry.peGreen = static_cast<BYTE>((colors[i] >> 8) & 0xFF);
        entry.peBlue = static_cast<BYTE>((colors[i] >> 16) & 0xFF);
        entry.peFlags = 0;
    }
}
