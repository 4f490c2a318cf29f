// CDsItemBitmap: the leaf item of a one-bit bitmap drawn at a window position (point markers of
// the points palette, texts rendered to a bitmap).
//
// The bits: height rows of RowLengthBits() bits, the width rounded up to whole 32-bit words with
// one further word when the width already is a multiple of 32 (rows that glBitmap takes as they
// are); bit 7 of each byte is the leftmost pixel. Row 0 is the bottom row, as OpenGL draws a
// bitmap from the bottom up. A bitmap larger than kMaxBitsBytes, or with no pixel, has no bits.
//
// Drawing: the bitmap is drawn with glBitmap in the current colour at its window position, its
// hot spot placed there, inside the view's 2-D drawing (Start2dDraw). A bitmap that starts left of
// or below the window is drawn from the window's edge with its origin moved, so that its visible
// part stays where it was (the raster position stays valid). The item is on top of everything from
// its construction.
//
// Small bitmaps (the points palette's markers) are sent as one-pixel points on the pixels glBitmap
// would light, at glBitmap's raster position, with its validity: the driver gathers glBitmap calls in
// a cache of 256 x 256 pixels that it draws whole before any other primitive, so a marker drawn
// between lines (an arrow's) cost a 256 x 256 textured quad each. Where points could differ from
// glBitmap (selection or feedback, a program, texturing, a clip plane, outside the 2-D drawing
// mode) glBitmap is used.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The point pick turns the pick point's y (counted down from the top) into window rows counted
//   up (height - 1 - y); x stays as it is.
// - Pick rectangles are whole pixels: the aperture of w x h pixels around its centre covers
//   w x h pixels (from centre - w/2), compared with the pixels the bitmap covers.
#pragma once

#include <afx.h>

#include "DsItemBase.h"

#include <cstddef>

// A one-bit bitmap item.
class AFX_EXT_CLASS CDsItemBitmap : public CDsItem {
public:
    // The largest bit buffer a bitmap item gets, in bytes.
    static const size_t kMaxBitsBytes = 5242880;

    // No bits, size, hot spot and position 0; on top.
    CDsItemBitmap();
    // A `width` x `height` bitmap, all pixels clear, at window position (x, y) with its hot spot
    // (the pixel placed at the position) at (hotX, hotY) from its lower-left corner. No bits
    // when a side is below 1 or the buffer would exceed kMaxBitsBytes. On top.
    CDsItemBitmap(int width, int height, int x, int y, int hotX, int hotY);
    // Frees the bits.
    ~CDsItemBitmap() override;
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

    // --- The item protocol -------------------------------------------------------------------
    // Nothing without bits; else the raster drawing (see above) inside the view's 2-D drawing; an
    // OpenGL error it caused is cleared.
    void DrawGl(view3d& view) override;
    // (-hot x, -hot y) to (width - hot x, height - hot y); true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 2.
    EDsItemsType GetItemType() override;
    // Whether a set pixel lies in the view's pick aperture (rows turned up); false without bits.
    // A measuring view that asks for window pixels (CDsViewExtrema::GetMeasuresPixelLines: a
    // region pick asking what lies wholly inside its rectangle) takes the box of the set pixels
    // instead (true when there is one); another measuring view takes nothing (false).
    bool Pick(view3d* view) override;
    // Nothing without bits. A region pick: a set pixel inside the manager's region; a point pick:
    // a set pixel within 2 pixels of the pick point. A hit is offered (save_current_if_ok) and
    // answers true.
    bool Pick(pick_manager* manager) override;
    // 0x1010: bitmaps.
    int GetDrawPrimitives() override;
    // With bitmaps among `kinds` and bits: the attributes with `applyAttributes`, then the raster
    // drawing (the walk is in 2-D already).
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // --- Bits ----------------------------------------------------------------------------------
    // Sets pixel (x, y), y counted from the bottom row; nothing outside the bitmap.
    void SetPixel(int x, int y);
    // Turns the rows upside down.
    void FlipRows();
    // Width and height in pixels.
    void GetSize(int& width, int& height) const;
    // The hot spot, in pixels from the lower-left corner.
    void GetHotSpot(int& x, int& y) const;
    // The window position (GL origin at the lower left).
    void GetPosition(int& x, int& y) const;
    // Sets the window position.
    void SetPosition(int x, int y);
    // A new size: the bits are freed and new clear ones allocated (none past the limit).
    void SetSize(int width, int height);
    // Whether the rectangle from (position - hot spot), width x height, touches the view's
    // viewport (edges included).
    bool IsInView(view3d& view) const;
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

protected:
    // 0: not printed.
    int DrawGdi(view3d& view) override;

private:
    // Bitmaps whose rows hold at most this many bits and that are at most this many rows high are
    // sent as points where that draws the same pixels (see the header comment).
    static constexpr int kPointsRowBits = 32;

    // glBitmap at the position, moved into the window as the header says.
    void DrawRaster() const;
    // After glRasterPos2i(px, py): the set bits as one-pixel points on the pixels glBitmap with
    // origin (hx, hy) would light; false (nothing drawn) where points would not stand for it.
    bool DrawAsPoints(int px, int py, int hx, int hy) const;
    // Whether a set pixel lies in the window rectangle [left, right] x [bottom, top] (rows up).
    bool AnySetPixelIn(int left, int bottom, int right, int top) const;
    // The box of the set pixels in the window (rows up); false when none is set.
    bool SetPixelsBox(int& left, int& bottom, int& right, int& top) const;

    unsigned char* m_bits = nullptr;
    int m_width = 0, m_height = 0;
    int m_hotX = 0, m_hotY = 0;
    int m_x = 0, m_y = 0;
};
