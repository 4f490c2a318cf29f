// CDsBitmap: a bitmap of the display manager's bitmap table, laid out as the Windows BITMAP
// record, that owns a copy of its pixels; and EAlignment, where an image or a box is placed
// around its anchor point.
//
// The display manager's bitmap table (CDsManager::AddBitmap, GetBitmap) holds these records.
#pragma once

#include <afx.h>

#include <cstdint>
#include <vector>

// Where an image sits around its anchor (the anchor is the named point of the image).
enum EAlignment : int {
    eAlignBottomLeft = 0,    // the anchor is the lower-left corner (also any value not listed)
    eAlignTopLeft = 1,       // the upper-left corner
    eAlignTopRight = 2,      // the upper-right corner
    eAlignBottomRight = 3,   // the lower-right corner
    eAlignCenter = 4,        // the centre
    eAlignLeftCenter = 5,    // the middle of the left edge
    eAlignRightCenter = 6,   // the middle of the right edge
    eAlignTopCenter = 7,     // the middle of the top edge
    eAlignBottomCenter = 8,  // the middle of the bottom edge
};

// A bitmap record with its own copy of the pixels (bytes per row x height bytes); copying a
// record copies its pixels.
class AFX_EXT_CLASS CDsBitmap {
public:
    // An empty record (all fields 0, no pixels).
    CDsBitmap() = default;
    // A record of `width` x `height` pixels at `bitsPixel` bits, rows of `bytesPerRow` bytes,
    // copying bytesPerRow x height bytes from `bits` (zeros when null). Sizes below 0 count as 0.
    CDsBitmap(int width, int height, int bytesPerRow, int bitsPixel, const void* bits);

    // Pixel width.
    int GetWidth() const { return bmWidth; }
    // Pixel height.
    int GetHeight() const { return bmHeight; }
    // Bytes per row.
    int GetWidthBytes() const { return bmWidthBytes; }
    // Bits per pixel.
    int GetBitsPixel() const { return bmBitsPixel; }
    // The pixels (null when there are none).
    const uint8_t* GetBits() const { return m_bits.empty() ? nullptr : m_bits.data(); }

    int32_t bmType = 0;        // always 0
    int32_t bmWidth = 0;       // width in pixels
    int32_t bmHeight = 0;      // height in pixels
    int32_t bmWidthBytes = 0;  // bytes per row
    uint16_t bmPlanes = 0;     // planes (1 for a bitmap with pixels)
    uint16_t bmBitsPixel = 0;  // bits per pixel

private:
    std::vector<uint8_t> m_bits;
};
