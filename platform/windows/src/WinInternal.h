// Private to the Windows stand-in: what the window, GL and GDI parts share.
#pragma once

#include "windows.h"
#include "vyrwin_codec.h"

#include <cstdint>
#include <string>
#include <vector>

struct HDC__ {
    enum Kind { kWindow, kMemory, kPbuffer, kInfo };
    Kind kind = kMemory;
    HWND window = nullptr;          // kWindow: the window that owns it
    HPBUFFERARB pbuffer = nullptr;  // kPbuffer: the pbuffer it draws into
    unsigned long drawable = 0;     // kWindow, kPbuffer: the GLXDrawable
    HBITMAP bitmap = nullptr;       // kMemory: the bitmap selected into it (null: the stock 1x1)
    int stretchBltMode = 1;         // GDI: SetStretchBltMode's mode (BLACKONWHITE at first)
    HPALETTE palette = nullptr;     // GDI: the palette selected into it (null: the stock default palette)
    HBRUSH brush = nullptr;         // GDI: the brush selected into it (null: the stock white brush)
    COLORREF bkColor = 0xFFFFFF;    // GDI: background colour (white)
    COLORREF textColor = 0;         // GDI: text colour (black)
    int pixelFormat = 0;            // kMemory: the pixel format set on it (0 until set)
    int surfaceWidth = 0;           // kMemory: size of the GL surface (`drawable`) OpenGL draws into
    int surfaceHeight = 0;
    HPEN pen = nullptr;             // GDI: the pen selected into it (null: the stock black pen)
    HFONT font = nullptr;           // GDI: the font selected into it (null: the stock system font)
    int rop2 = 13;                  // GDI: binary raster operation (R2_COPYPEN)
    int bkMode = 2;                 // GDI: background mode (OPAQUE)
    int polyFillMode = 1;           // GDI: polygon fill mode (ALTERNATE)
    UINT textAlign = 0;             // GDI: text alignment (TA_LEFT | TA_TOP)
    int mapMode = 1;                // GDI: map mode (MM_TEXT)
    POINT windowOrg{0, 0};          // GDI: window origin (logical)
    POINT viewportOrg{0, 0};        // GDI: viewport origin (device)
    SIZE windowExt{1, 1};           // GDI: window extent
    SIZE viewportExt{1, 1};         // GDI: viewport extent
    POINT position{0, 0};           // GDI: current position (logical)
    int dpiX = 96;                  // GDI: resolution it reports (dots per inch)
    int dpiY = 96;
};

namespace vyrwin {

// Size in pixels of what a window or pbuffer DC draws into. False for other DCs.
bool DrawableSize(HDC dc, int& width, int& height);

// Pixels of a window or pbuffer DC's front buffer, as 32-bit BGRA rows from the top
// (x, yTop counted from the top-left corner). Uses the current GL context when there
// is one (bound to the drawable for the copy and bound back), else the hidden root
// context. False for other DCs or when no GL is available.
bool ReadDrawablePixels(HDC dc, int x, int yTop, int width, int height, uint32_t* bgraTopDown);
bool WriteDrawablePixels(HDC dc, int x, int yTop, int width, int height, const uint32_t* bgraTopDown);

// One pass of a combined write into a front buffer: the pixels whose alpha byte is 0xFF are
// combined with the front buffer's by the operation, the others are left as they are.
struct FrontPass {
    enum Op { kCopy, kAnd, kXor };
    Op op = kCopy;
    const uint32_t* bgraTopDown = nullptr;  // width x height, rows from the top
};
// Applies the passes in order to a rectangle of the front buffer of a window or pbuffer DC
// (x, yTop counted from the top-left corner). Through the context current on the drawable when
// there is one, left unflushed (`throughCurrent` true); else through another context made current
// for it, flushed so that the screen shows it. False for other DCs or when no GL is available.
bool CombineDrawablePixels(HDC dc, int x, int yTop, int width, int height, const FrontPass* passes, int count,
                           bool& throughCurrent);
// Whether a context of this library is current on the drawable of a window or pbuffer DC (then
// OpenGL may read or draw its pixels at any time).
bool DrawableIsCurrent(HDC dc);
// Flushes OpenGL's drawing into a window or pbuffer DC's drawable onto the screen.
bool FlushDrawable(HDC dc);
// Whether a window's DC is held: taken with GetDC more often than given back with ReleaseDC.
bool WindowDcHeld(HDC dc);

// A memory DC with the bitmap pixel format is drawn into by OpenGL through a GL surface of the
// selected bitmap's size, made when a context is first made current on it. The bitmap and the
// surface are one picture: while a context is current on the DC the surface holds it (GDI reads of
// the bitmap fetch it first, GDI writes are passed on to it), otherwise the bitmap does (releasing
// the context copies the surface into the bitmap; making it current again copies the bitmap into
// the surface). Each call does nothing for a DC that no context is current on.
// Before GDI reads the bitmap selected into `dc`.
void GlSurfaceToBitmap(HDC dc);
// After GDI wrote into the bitmap selected into `dc`.
void BitmapToGlSurface(HDC dc);
// After another bitmap was selected into `dc`: the surface takes its size and its pixels.
void GlSurfaceBitmapChanged(HDC dc);
// Before `dc` is deleted: a context current on it is released and the surface destroyed.
void DestroyGlSurface(HDC dc);

// Palettes: whether `object` is a live palette (the stock one included), deleting one, its
// description for GetObjectW, and a DC's palette given back when the DC goes away.
bool IsLivePalette(HGDIOBJ object);
BOOL DeletePalette(HPALETTE palette);
int DescribePalette(HPALETTE palette, int size, LPVOID buffer);
void ReleaseDcPalette(HDC dc);

// Brushes: whether `object` is a live brush (the stock ones included), deleting one, the stock
// brush of a GetStockObject index (null for other indices), the colour (0x00RRGGBB) of the brush
// selected into a DC, and a DC's brush given back when the DC goes away.
bool IsLiveBrush(HGDIOBJ object);
BOOL DeleteBrush(HBRUSH brush);
HBRUSH StockBrush(int index);
HBRUSH SelectBrush(HDC dc, HBRUSH brush);
uint32_t DcBrushPixel(HDC dc);
// The colour (0x00RRGGBB) of a live brush; false for one that is not live.
bool BrushPixel(HBRUSH brush, uint32_t& pixel);
void ReleaseDcBrush(HDC dc);

// Pens and fonts: whether `object` is a live one (stock ones included), deleting one, the stock
// one of a GetStockObject index (null for other indices), selecting one into a DC, describing one
// for GetObjectW, and a DC's pen or font given back when the DC goes away.
bool IsLivePen(HGDIOBJ object);
BOOL DeletePen(HPEN pen);
HPEN StockPen(int index);
HPEN SelectPen(HDC dc, HPEN pen);
HPEN DcPen(HDC dc);
int DescribePen(HPEN pen, int size, LPVOID buffer);
DWORD PenObjectType(HPEN pen);
void ReleaseDcPen(HDC dc);
bool IsLiveFont(HGDIOBJ object);
BOOL DeleteFontObject(HFONT font);
HFONT StockFont(int index);
HFONT SelectFont(HDC dc, HFONT font);
HFONT DcFont(HDC dc);
int DescribeFont(HFONT font, int size, LPVOID buffer);
void ReleaseDcFont(HDC dc);
// A brush's description for GetObjectW (LOGBRUSH).
int DescribeBrush(HBRUSH brush, int size, LPVOID buffer);
// The brush selected into a DC (the stock white brush when none).
HBRUSH DcBrush(HDC dc);
// The palette selected into a DC (the stock default palette when none).
HPALETTE DcPalette(HDC dc);
// Gives back everything a DC holds selected (palette, brush, pen, font) before it goes away.
void ReleaseDcObjects(HDC dc);

// A bitmap resource of a module: its size, depth and pixel rows as registered.
struct BitmapResource {
    UINT id = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 1;       // 1, 24 or 32
    std::vector<uint8_t> bits;  // rows from the top, WORD-aligned
};
// The bitmap resource `id` of a registered module; null when it has none. The record stays
// where it is until the module is unregistered.
const BitmapResource* FindBitmapResource(HMODULE module, UINT id);

// Logs one line to standard error, prefixed with the stand-in's name.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vyrwin
