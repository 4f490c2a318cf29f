// GDI bitmaps and device contexts: memory DCs, device-dependent bitmaps, DIB
// sections, pixel transfers between them and window or pbuffer DCs, and the
// fixed metrics of the display.
//
// Pixels are exchanged as on Windows: 24- and 32-bit DIB rows hold B, G, R(, x)
// bytes, rows are DWORD-aligned in DIBs and WORD-aligned in device-dependent
// bitmaps, and a positive DIB height means rows from the bottom up. Stretching
// samples the nearest source pixel whatever the stretch mode. A monochrome bitmap
// reads as black (0) and white (1); a colour stored into it becomes white only
// when it is white (the default background colour). Drawing into a memory DC that
// still holds the shared stock bitmap changes nothing. Handles are checked against
// the live objects: a stale or foreign handle answers failure.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

#pragma pack(push, 2)
// The header of a .bmp file, 14 bytes as stored (followed by the BITMAPINFO).
struct BITMAPFILEHEADER {
    WORD bfType;        // "BM" (0x4D42)
    DWORD bfSize;       // size of the file in bytes
    WORD bfReserved1;   // 0
    WORD bfReserved2;   // 0
    DWORD bfOffBits;    // offset of the pixel bits from the start of the file
};
#pragma pack(pop)
typedef BITMAPFILEHEADER* LPBITMAPFILEHEADER;

// What GetObjectW tells about a bitmap.
struct BITMAP {
    LONG bmType;        // always 0
    LONG bmWidth;       // width in pixels
    LONG bmHeight;      // height in pixels
    LONG bmWidthBytes;  // bytes per row (WORD-aligned; DWORD-aligned for a DIB section)
    WORD bmPlanes;      // always 1
    WORD bmBitsPixel;   // bits per pixel
    LPVOID bmBits;      // the pixels of a DIB section, null for other bitmaps
};
typedef BITMAP* LPBITMAP;

// The header of a device-independent bitmap.
struct BITMAPINFOHEADER {
    DWORD biSize;          // sizeof(BITMAPINFOHEADER) (larger headers are accepted)
    LONG biWidth;          // width in pixels
    LONG biHeight;         // height in pixels; positive: rows from the bottom up, negative: from the top
    WORD biPlanes;         // 1
    WORD biBitCount;       // bits per pixel
    DWORD biCompression;   // BI_RGB, or BI_BITFIELDS with the standard 32-bit masks
    DWORD biSizeImage;     // bytes of pixels (may be 0 for BI_RGB)
    LONG biXPelsPerMeter;  // horizontal resolution, informative
    LONG biYPelsPerMeter;  // vertical resolution, informative
    DWORD biClrUsed;       // colour-table entries (0: all 2^biBitCount for 8 bits or fewer)
    DWORD biClrImportant;  // informative
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

// One colour-table entry.
struct RGBQUAD {
    BYTE rgbBlue;      // blue
    BYTE rgbGreen;     // green
    BYTE rgbRed;       // red
    BYTE rgbReserved;  // 0
};

// A DIB header and its colour table (declared with one entry; callers allocate more).
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;  // the header
    RGBQUAD bmiColors[1];        // the colour table (or the three masks of BI_BITFIELDS)
};
typedef BITMAPINFO* LPBITMAPINFO;

// What GetObjectW tells about a DIB section when the buffer is large enough.
struct DIBSECTION {
    BITMAP dsBm;                // the bitmap, bmBits pointing at the pixels
    BITMAPINFOHEADER dsBmih;    // the header it was made from (biHeight keeps its sign)
    DWORD dsBitfields[3];       // red, green and blue masks for BI_BITFIELDS, else 0
    HANDLE dshSection;          // always null: no file mappings
    DWORD dsOffset;             // always 0
};

// DIB compressions.
#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L

// What a DIB's colour table holds.
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Raster operations (BitBlt, StretchBlt, StretchDIBits). Any ternary operation is
// evaluated; the pattern is the DC's default brush, white.
#define SRCCOPY 0x00CC0020UL
#define SRCPAINT 0x00EE0086UL
#define SRCAND 0x008800C6UL
#define SRCINVERT 0x00660046UL
#define SRCERASE 0x00440328UL
#define NOTSRCCOPY 0x00330008UL
#define NOTSRCERASE 0x001100A6UL
#define MERGECOPY 0x00C000CAUL
#define MERGEPAINT 0x00BB0226UL
#define PATCOPY 0x00F00021UL
#define PATPAINT 0x00FB0A09UL
#define PATINVERT 0x005A0049UL
#define DSTINVERT 0x00550009UL
#define BLACKNESS 0x00000042UL
#define WHITENESS 0x00FF0062UL

// Stretch modes: accepted and remembered; stretching always takes the nearest pixel.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// GetDeviceCaps indices.
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118

// TECHNOLOGY answers.
#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

// RASTERCAPS bits.
#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000

// GetObjectType answers.
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

// One entry of a logical palette.
struct PALETTEENTRY {
    BYTE peRed;    // red
    BYTE peGreen;  // green
    BYTE peBlue;   // blue
    BYTE peFlags;  // PC_* flags (kept, not interpreted)
};
typedef PALETTEENTRY* LPPALETTEENTRY;

// A logical palette (declared with one entry; callers allocate palNumEntries).
struct LOGPALETTE {
    WORD palVersion;                // 0x300
    WORD palNumEntries;             // entries that follow
    PALETTEENTRY palPalEntry[1];    // the entries
};
typedef LOGPALETTE* LPLOGPALETTE;

// GetStockObject indices (the white and black brushes and the default palette are kept here).
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define DEFAULT_PALETTE 15

// The answer of the colour calls for a bad DC or a pixel outside the surface.
#define CLR_INVALID 0xFFFFFFFFu

// The failure answer of RealizePalette.
#define GDI_ERROR 0xFFFFFFFFu

extern "C" {

// A memory DC holding the 1x1 monochrome stock bitmap; `dc` (null: the display)
// must be a live DC.
VYR_WINAPI_EXPORT HDC CreateCompatibleDC(HDC dc);
// An information DC on the display (driver "DISPLAY", any case) for GetDeviceCaps
// and for making compatible DCs and bitmaps. It cannot be drawn into or read.
VYR_WINAPI_EXPORT HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const void* initData);
// Deletes a memory or information DC; its bitmap stays alive and can then be
// deleted. False for window and pbuffer DCs (they belong to their owners).
VYR_WINAPI_EXPORT BOOL DeleteDC(HDC dc);

// A device-dependent bitmap of 1, 8 (6x6x6 colour cube), 24 or 32 bits per pixel,
// one plane, initialised from `bits` (rows from the top, WORD-aligned) or zeroed.
// A zero width or height answers the stock 1x1 monochrome bitmap.
VYR_WINAPI_EXPORT HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// 32 bits per pixel for display, window and pbuffer DCs; for a memory DC the format
// of its selected bitmap (monochrome while it holds the stock bitmap). Zeroed.
VYR_WINAPI_EXPORT HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A DIB of 1, 8 (colour table from `info`, DIB_RGB_COLORS only), 24 or 32 bits per
// pixel whose zeroed pixels the caller reaches through `*bits` until DeleteObject.
// `section` must be null (then `offset` is ignored); `dc` is not consulted.
VYR_WINAPI_EXPORT HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                           DWORD offset);

// Selects a bitmap into a memory DC and answers the one it held (the stock bitmap
// first). A bitmap is selected into one DC at a time (the stock one into any).
// Selects a brush into any live DC and answers the one it held (the stock white
// brush first); a brush may be selected into several DCs. Null on failure. Other
// objects are not known here and answer null (palettes go through SelectPalette).
VYR_WINAPI_EXPORT HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a bitmap, a brush or a palette. False while it is selected into a DC;
// stock objects are never deleted (true, nothing done).
VYR_WINAPI_EXPORT BOOL DeleteObject(HGDIOBJ object);
// Null `buffer`: the size of the description (BITMAP, or DIBSECTION for a DIB
// section, a WORD for a palette). Else fills a DIBSECTION when `size` allows and
// the object is a DIB section, a BITMAP for other bitmaps, the number of entries
// (a WORD) for a palette, and answers the bytes written; 0 on failure.
VYR_WINAPI_EXPORT int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
// OBJ_BITMAP, OBJ_BRUSH, OBJ_PAL, OBJ_MEMDC for memory DCs, OBJ_DC for information, window and
// pbuffer DCs, 0 for anything else.
VYR_WINAPI_EXPORT DWORD GetObjectType(HGDIOBJ object);
// The stock object of an index: WHITE_BRUSH, BLACK_BRUSH and DEFAULT_PALETTE (the
// 20 static colours of the system palette) are kept here; null
// (ERROR_INVALID_PARAMETER) otherwise.
VYR_WINAPI_EXPORT HGDIOBJ GetStockObject(int index);

// Palettes. The display is true-colour: no pixel format needs a palette, and
// realising one maps nothing into a system palette. A palette is still a real
// object: its entries are kept as given and read back, and a DC remembers the
// palette selected into it (the stock default palette at first).
// A palette of the LOGPALETTE's entries; null (ERROR_INVALID_PARAMETER) for a null
// palette, a version other than 0x300 or no entries.
VYR_WINAPI_EXPORT HPALETTE CreatePalette(const LOGPALETTE* palette);
// Copies up to `count` entries from `start` and answers how many; with null
// `entries` answers the number of entries of the palette. 0 on failure.
VYR_WINAPI_EXPORT UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries);
// Selects a palette into any live DC and answers the one it held (the stock
// default palette at first); null on failure. The background flag is accepted.
VYR_WINAPI_EXPORT HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the DC's palette into the system palette: 0 entries on this true-colour
// display; GDI_ERROR for a bad DC.
VYR_WINAPI_EXPORT UINT RealizePalette(HDC dc);

// Fixed metrics: a 1280x1024 raster display at 96 dpi, 24 bits per pixel, no
// palette. A memory DC reports the bits per pixel of its selected bitmap (the
// display's while it holds the stock bitmap). 0 for an unknown index or DC.
VYR_WINAPI_EXPORT int GetDeviceCaps(HDC dc, int index);
// Answers the previous mode, 0 for a bad DC or mode.
VYR_WINAPI_EXPORT int SetStretchBltMode(HDC dc, int mode);
// The DC's stretch mode (BLACKONWHITE at first), 0 for a bad DC.
VYR_WINAPI_EXPORT int GetStretchBltMode(HDC dc);

// Solid brushes and the colours of a DC. A DC starts with the stock white brush,
// a white background colour and a black text colour. The brush selected into the
// destination DC is the pattern of every raster operation that uses one. Copies
// between a monochrome device-dependent bitmap and a colour surface convert as on
// Windows: a colour pixel equal to the source DC's background colour becomes white
// (1), all others black (0); a monochrome pixel drawn onto colour takes the
// destination DC's text colour for black (0) and its background colour for white
// (1). With the default colours both directions keep only white as white.
// A brush of one colour (COLORREF, red in the lowest byte; the fourth byte is ignored).
VYR_WINAPI_EXPORT HBRUSH CreateSolidBrush(COLORREF color);
// The DC's background colour; CLR_INVALID for a bad DC.
VYR_WINAPI_EXPORT COLORREF GetBkColor(HDC dc);
// Sets the background colour and answers the previous one; CLR_INVALID for a bad DC.
VYR_WINAPI_EXPORT COLORREF SetBkColor(HDC dc, COLORREF color);
// The DC's text colour; CLR_INVALID for a bad DC.
VYR_WINAPI_EXPORT COLORREF GetTextColor(HDC dc);
// Sets the text colour and answers the previous one; CLR_INVALID for a bad DC.
VYR_WINAPI_EXPORT COLORREF SetTextColor(HDC dc, COLORREF color);
// The colour of the pixel at logical point (x, y) (through the DC's mapping, vyrwin_draw.h; with
// the default mapping counted from the top-left corner) of a memory, window or pbuffer DC;
// CLR_INVALID for a bad DC or a point outside its surface.
VYR_WINAPI_EXPORT COLORREF GetPixel(HDC dc, int x, int y);
// Paints the rectangle with the DC's brush through a raster operation that takes
// no source (PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS, ...); FALSE for a
// bad DC or an operation that needs a source.
VYR_WINAPI_EXPORT BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);

// Copies up to `size` bytes of the bitmap's pixels, as the bitmap stores them (rows from the top,
// WORD-aligned, for a device-dependent bitmap), into `bits`; answers the bytes copied, 0 for a
// bad handle, a null buffer or a size below 1.
VYR_WINAPI_EXPORT LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
// Replaces up to `size` bytes of the bitmap's pixels, in the layout GetBitmapBits gives, from
// `bits`; answers the bytes copied, 0 for a bad handle, the stock bitmap, a null buffer or a size
// of 0. Bytes past the bitmap's pixels are ignored.
VYR_WINAPI_EXPORT LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);

// Copies rows [start, start + lines) of the bitmap into `bits` as a 24- or 32-bit
// DIB described by `info` (rows counted from the bottom for a positive biHeight,
// from the top for a negative one; the buffer is biWidth pixels wide). With null
// `bits` fills the header from the bitmap (keeping a negative biHeight) and
// biSizeImage for the asked depth. Answers the rows copied (the bitmap height for
// a header query), 0 on failure. `dc` is not consulted (no palettes).
VYR_WINAPI_EXPORT int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
                                UINT usage);
// Draws a DIB (or a band of its rows, [start, start + lines), counted from the
// bottom for a bottom-up DIB and from the top for a top-down one) at (xDest,
// yDest). ySrc counts from the bottom of a bottom-up DIB. Answers the rows of the
// band, 0 on failure.
VYR_WINAPI_EXPORT int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                        UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Stretches a rectangle of a DIB (ySrc counted as for SetDIBitsToDevice) onto the
// DC; negative sizes mirror. Answers the source height, 0 on failure.
VYR_WINAPI_EXPORT int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                                    int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                                    DWORD rop);
// Copies between memory, window and pbuffer DCs (the source DC may be null for
// operations without a source), clipped to both surfaces.
VYR_WINAPI_EXPORT BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
// BitBlt with scaling (nearest pixel); negative sizes mirror.
VYR_WINAPI_EXPORT BOOL StretchBlt(HDC dest, int xDest, int yDest, int destWidth, int destHeight, HDC src, int xSrc,
                                  int ySrc, int srcWidth, int srcHeight, DWORD rop);

}
