// CDsItemBitmap: the leaf item of a one-bit bitmap drawn at a window position (point markers of
// the points palette, texts rendered to a bitmap).
//
// The bits: height rows of RowLengthBits() bits, the width rounded up to whole 32-bit words with
// one further word when the width already is a multiple of 32 (rows that glBitmap takes as they
// are); bit 7 of each byte is the leftmost pixel. Row 0 is the bottom row, as OpenGL draws a
// bitmap from the bottom up. A bitmap larger than kMaxBitsBytes, or with no pixel, has no bits.
//
// So far the item holds its bits, its size, hot spot and position, and copies its picture from a
// one-bit GDI bitmap; drawing, picking and the item base (attributes, the on-top flag) come with
// the display items.
#pragma once

#include <afx.h>

#include <cstddef>

// A one-bit bitmap item.
class AFX_EXT_CLASS CDsItemBitmap {
public:
    // The largest bit buffer a bitmap item gets, in bytes.
    static const size_t kMaxBitsBytes = 5242880;

    // No bits, size, hot spot and position 0.
    CDsItemBitmap();
    // A `width` x `height` bitmap, all pixels clear, at window position (x, y) with its hot spot
    // (the pixel placed at the position) at (hotX, hotY) from its lower-left corner. No bits
    // when a side is below 1 or the buffer would exceed kMaxBitsBytes.
    CDsItemBitmap(int width, int height, int x, int y, int hotX, int hotY);
    // Frees the bits.
    virtual ~CDsItemBitmap();
    CDsItemBitmap(const CDsItemBitmap&) = delete;
    CDsItemBitmap& operator=(const CDsItemBitmap&) = delete;

    // The bits (see above); null when the item has none.
    unsigned char* GetBits() { return m_bits; }
    // The bits, read only; null when the item has none.
    const unsigned char* GetBits() const { return m_bits; }
    // The length of a row in bits (a multiple of 32); 0 without bits.
    int GetRowLengthBits() const;
    // The length of a row in bytes; 0 without bits.
    int GetRowLengthBytes() const { return GetRowLengthBits() / 8; }
    // The size of the bit buffer in bytes; 0 without bits.
    size_t GetTotalSize() const { return size_t(GetRowLengthBytes()) * size_t(m_bits ? m_height : 0); }

    // Width and height in pixels.
    void GetSize(int& width, int& height) const;
    // The hot spot, in pixels from the lower-left corner.
    void GetHotSpot(int& x, int& y) const;
    // The window position (GL origin at the lower left).
    void GetPosition(int& x, int& y) const;
    // Sets the window position.
    void SetPosition(int x, int y);
    // Sets the window position and the hot spot together.
    void SetPosition(int x, int y, int hotX, int hotY);

    // Whether pixel (x, y) is set, y counted from the bottom row; false outside the bitmap.
    bool TestPixel(int x, int y) const;
    // Copies the picture of the one-bit device-dependent GDI bitmap `bitmap` (a set bit is white,
    // the colour that draws) into the bits, upright: the picture's top-left corner on the item's, row by row (a
    // GDI row is padded to whole 16-bit words, an item row to whole 32-bit words). What lies right
    // of or below the item is cut; pixels of the item that the picture does not cover are
    // cleared. False, the bits unchanged, without bits or for a bitmap that is not one bit deep,
    // is a device-independent section or cannot be read.
    bool CopyFromBitmap(HBITMAP bitmap);

private:
    unsigned char* m_bits = nullptr;
    int m_width = 0, m_height = 0;
    int m_hotX = 0, m_hotY = 0;
    int m_x = 0, m_y = 0;
};
