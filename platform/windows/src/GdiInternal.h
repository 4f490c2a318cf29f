// Private to the GDI part: bitmaps, pixel access in every supported layout, the
// registry of live GDI objects, and the surfaces that pixel transfers read and write.
#pragma once

#include "WinInternal.h"

#include <cstdint>
#include <vector>

// A bitmap: a device-dependent bitmap (rows from the top, WORD-aligned) or a DIB
// section (rows as its header says, DWORD-aligned). The pixel vector is never
// resized, so the pointer a DIB section hands out stays valid until deletion.
struct HBITMAP__ {
    int width = 1;                // pixels
    int height = 1;               // pixels
    int bitsPixel = 1;            // 1, 8, 24 or 32
    int stride = 2;               // bytes per row
    bool dib = false;             // a DIB section
    bool topDown = true;          // rows stored from the top (always for a DDB)
    bool stock = false;           // the shared 1x1 monochrome bitmap: read-only, never deleted
    std::vector<RGBQUAD> colors;  // colour table of a bitmap of 8 bits or fewer
    std::vector<uint8_t> pixels;  // stride * height bytes
    BITMAPINFOHEADER header{};    // DIB section: the header it was made from
    DWORD masks[3]{};             // DIB section with BI_BITFIELDS: red, green, blue masks
    HDC selectedInto = nullptr;   // the memory DC it is selected into, if any
};

namespace vyrwin {
namespace gdi {

// Pixels travel as 0x00RRGGBB: the B, G, R bytes of a DIB read as a little-endian word.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
// Largest pixel block this library allocates or accepts in one bitmap (bytes).
constexpr int64_t kMaxBitmapBytes = int64_t(1) << 30;

// Bytes per row: WORD-aligned for device-dependent bitmaps, DWORD-aligned for DIBs.
int64_t DdbStride(int64_t width, int bitsPixel);
int64_t DibStride(int64_t width, int bitsPixel);

// A rectangle of pixels in one of the supported layouts.
struct PixelView {
    uint8_t* bits = nullptr;         // first byte of the first stored row
    int width = 0;                   // pixels
    int height = 0;                  // rows
    int bitsPixel = 32;              // 1, 8, 24 or 32
    int64_t stride = 0;              // bytes per row
    bool topDown = true;             // first stored row is the top one
    const RGBQUAD* colors = nullptr; // colour table for 8 bits or fewer (null: monochrome DDB)
    int colorCount = 0;              // entries in `colors`

    // Row y counted from the top.
    uint8_t* Row(int y) const;
    // Pixel x of a row as 0x00RRGGBB.
    uint32_t Get(const uint8_t* row, int x) const;
    // Stores a colour, reduced to what the layout can hold.
    void Put(uint8_t* row, int x, uint32_t pixel) const;
    // The colour that storing `pixel` and reading it back gives.
    uint32_t Quantise(uint32_t pixel) const;

private:
    int Index(uint32_t pixel) const;
};

// The view of a bitmap's pixels.
PixelView ViewOf(HBITMAP bitmap);

// The registry of live objects: only handles found here are ever dereferenced.
bool IsLiveBitmap(HBITMAP bitmap);
// Memory and information DCs made by this part.
bool IsGdiDc(HDC dc);
// A DC this library knows: one made here, or a live window or pbuffer DC.
bool IsLiveDc(HDC dc);
// The shared 1x1 monochrome bitmap that memory DCs start with.
HBITMAP StockBitmap();
// The bitmap a memory DC holds (the stock one when nothing else is selected).
HBITMAP SelectedBitmap(HDC dc);

// What a caller's BITMAPINFO and bits describe.
struct DibFormat {
    PixelView view;      // the pixels (bits null for a header-only check)
    bool topDown = false;
};
// Checks a caller's DIB header (24/32 bits, and 1/8 bits with an RGB colour table)
// and describes it. On failure answers false and the error for SetLastError.
bool ParseDib(const BITMAPINFO* info, UINT usage, DibFormat& format, DWORD& error);

// Pixels of the front buffer of a window or pbuffer DC, 0x00RRGGBB rows from the top, as GDI sees
// them: read through the canvas of a held window that has one, written into the front buffer
// after the canvas (so that a transfer comes after what GDI drew before it). The written buffer
// may be changed on the way.
bool ReadDrawableSurface(HDC dc, int x, int y, int w, int h, uint32_t* out);
bool WriteDrawableSurface(HDC dc, int x, int y, int w, int h, uint32_t* in);

// What a transfer reads or writes: the bitmap of a memory DC, a caller's DIB, or
// the front buffer of a window or pbuffer.
struct Surface {
    enum Kind { kPixels, kDrawable };
    Kind kind = kPixels;
    PixelView view;         // kPixels
    bool readOnly = false;  // the stock bitmap or a caller's DIB: writes are dropped
    HDC dc = nullptr;       // the DC (null for a caller's DIB); kDrawable reads and writes through it
    int width = 0;
    int height = 0;
    bool mono = false;         // a monochrome device-dependent bitmap: colours convert on the way in and out
    uint32_t pattern = kWhite;  // the DC's brush (0x00RRGGBB)
    uint32_t background = kWhite;  // the DC's background colour (0x00RRGGBB)
    uint32_t text = kBlack;        // the DC's text colour (0x00RRGGBB)

    // A block of pixels, rows from the top, `w` per row.
    bool Read(int x, int y, int w, int h, uint32_t* out) const {
        if (kind == kDrawable) return ReadDrawableSurface(dc, x, y, w, h, out);
        for (int r = 0; r < h; ++r) {
            const uint8_t* row = view.Row(y + r);
            for (int c = 0; c < w; ++c) *out++ = view.Get(row, x + c);
        }
        return true;
    }

    // Stores a block (the buffer may be changed on the way).
    bool Write(int x, int y, int w, int h, uint32_t* in) const {
        if (kind == kDrawable) return WriteDrawableSurface(dc, x, y, w, h, in);
        if (readOnly) return true;
        for (int r = 0; r < h; ++r) {
            uint8_t* row = view.Row(y + r);
            for (int c = 0; c < w; ++c) view.Put(row, x + c, *in++);
        }
        return true;
    }

    // A source colour as this surface would hold it.
    uint32_t Quantise(uint32_t pixel) const { return kind == kPixels ? view.Quantise(pixel) : pixel & kWhite; }
};

// COLORREF (red lowest) as the 0x00RRGGBB pixels that transfers carry.
uint32_t PixelOf(COLORREF color);
// The surface of a memory, window or pbuffer DC, with the DC's brush and colours. False (with
// the error for SetLastError) for an information DC or a DC that is not live.
bool SurfaceOfDc(HDC dc, Surface& surface, DWORD& error);

}  // namespace gdi
}  // namespace vyrwin
