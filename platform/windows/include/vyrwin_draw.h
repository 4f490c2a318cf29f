// GDI drawing: pens, lines, polygons and pixels drawn into a device context with its raster
// operation, background mode and fill mode, the mapping from logical to device coordinates (map
// modes, window and viewport origins and extents), and the objects selected into a DC.
//
// Every DC with pixels receives the drawing: a memory DC's selected bitmap (whatever its depth;
// colours are reduced to what it holds), and the front buffer of a window or pbuffer DC. Drawing
// into the stock bitmap of a fresh memory DC changes nothing; an information DC cannot be drawn
// into (the calls answer failure). Coordinates given to the drawing calls are logical and pass
// through the DC's mapping; the pixel transfers of vyrwin_gdi.h (BitBlt and the DIB calls) take
// device coordinates whatever the mapping.
//
// When the drawing of a window reaches its front buffer (what glReadPixels of GL_FRONT and GDI
// reads see; the screen follows at OpenGL's next flush, at the latest when the DC's last hold is
// given back); a pbuffer DC, never held, follows the first and the last rule:
// - With a context of this library current on the window, before the call returns, through that
//   context (its state put back as it was), so that OpenGL calls before and after see it in order.
// - Else, while the window's DC is held (taken with GetDC and not yet given back as often with
//   ReleaseDC), nothing but this library can reach the window's pixels, so the drawing is kept on
//   the CPU side (GetPixel and transfers out of the window read through it) and is written once,
//   at the first of: the last ReleaseDC, any context made current (wglMakeCurrent), SwapBuffers
//   of another window, a transfer into the window (BitBlt, the DIB calls), a resize of the window.
//   SwapBuffers of the window itself replaces its whole front buffer: what GDI drew before it is
//   dropped, as the swap would cover it. The pixels are never read back to be drawn on, except
//   under text blended by coverage; raster operations reach the front buffer as OpenGL logic
//   operations.
// - Else (the DC given back), at once, through another context made current for it.
//
// How lines are rasterised (pixel (x, y) is the pixel whose top-left corner is device (x, y)):
// - A pen one pixel wide (width 0 or 1, or a cosmetic pen) steps from the first point towards
//   the second one pixel at a time along the longer axis and leaves the last point out, so
//   that the segments of a polyline meet without overlap and a closed outline sets each of its
//   pixels once. Its styles count pixels along the line: PS_DASH 18 on and 6 off, PS_DOT 3 and
//   3, PS_DASHDOT 9, 6, 3, 6, PS_DASHDOTDOT 9, 3, 3, 3, 3, 3, PS_ALTERNATE every other pixel,
//   PS_USERSTYLE the pen's own runs; the count goes on from one segment to the next. In the
//   OPAQUE background mode the gaps take the background colour.
// - A wider pen covers the pixels within half its width of the line (the centres of the pixels
//   for an odd width, their corners for an even one), with round caps unless an extended pen
//   asks for flat or square ones, and round joins whatever the pen asks. Its cost follows the
//   pixels it covers, whatever its direction. User-style runs of a
//   geometric pen are measured along the line in device pixels, and its PS_DASH to
//   PS_DASHDOTDOT dashes scale with its width. A zero-length segment of a round-capped pen is a
//   dot.
// - Every pixel that one call covers is combined once with the raster operation, so that an
//   exclusive-or outline drawn twice leaves the picture as it was.
// A polygon is filled first (the pixels whose centres lie inside, by the fill mode) with the
// DC's brush and then outlined with its pen; both go through the raster operation.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_gdi.h"
#include "vyrwin_types.h"

// Pen styles: the style (low four bits), end caps, joins and type.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// Brush styles (LOGBRUSH).
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

// Binary raster operations (SetROP2): result bit = bit ((pen << 1) | destination) of (op - 1).
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// Polygon fill modes.
#define ALTERNATE 1
#define WINDING 2

// Map modes. MM_TEXT: one logical unit is one pixel, y down. The metric and English modes count
// tenths and hundredths of millimetres, hundredths and thousandths of inches and twips at the
// DC's resolution, y up. MM_ANISOTROPIC scales each axis by viewport extent / window extent;
// MM_ISOTROPIC does the same with the smaller of the two scales on both axes (signs kept).
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// GetStockObject indices of the stock pens (the brushes and the palette are in vyrwin_gdi.h).
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

// GetObjectType answers for pens.
#define OBJ_PEN 1
#define OBJ_FONT 6
#define OBJ_EXTPEN 11

// A pen as CreatePenIndirect takes it and GetObjectW gives it back.
struct LOGPEN {
    UINT lopnStyle;    // PS_* style
    POINT lopnWidth;   // width in x (y unused)
    COLORREF lopnColor;  // colour, red in the lowest byte
};
typedef LOGPEN* LPLOGPEN;

// A brush description (solid and null brushes only).
struct LOGBRUSH {
    UINT lbStyle;      // BS_SOLID or BS_NULL
    COLORREF lbColor;  // colour of a solid brush
    ULONG_PTR lbHatch; // unused (0)
};
typedef LOGBRUSH* LPLOGBRUSH;

// An extended pen as GetObjectW gives it back (declared with one style entry; a pen of
// PS_USERSTYLE has elpNumEntries of them).
struct EXTLOGPEN {
    DWORD elpPenStyle;     // style, caps, joins and type
    DWORD elpWidth;        // width
    UINT elpBrushStyle;    // BS_SOLID or BS_NULL
    COLORREF elpColor;     // colour
    ULONG_PTR elpHatch;    // 0
    DWORD elpNumEntries;   // number of user-style runs
    DWORD elpStyleEntry[1];  // the runs, alternately drawn and skipped
};
typedef EXTLOGPEN* PEXTLOGPEN;

extern "C" {

// --- Pens --------------------------------------------------------------------------------------
// A pen of style PS_SOLID to PS_INSIDEFRAME (PS_INSIDEFRAME draws as PS_SOLID), width in logical
// units (0 and 1: one pixel; negative counts as 0) and colour. A width above 1 draws solid
// whatever the style, as wide pens do. Null (ERROR_INVALID_PARAMETER) for another style.
VYR_WINAPI_EXPORT HPEN CreatePen(int style, int width, COLORREF color);
// CreatePen with the LOGPEN's style, x width and colour; null for a null LOGPEN.
VYR_WINAPI_EXPORT HPEN CreatePenIndirect(const LOGPEN* pen);
// An extended pen. Cosmetic pens must be 1 wide with a solid brush; geometric pens take any
// width (logical units) and their caps and joins. PS_USERSTYLE needs 1 to 16 runs, not all 0,
// any other style none. The brush must be BS_SOLID or BS_NULL (a null brush draws nothing).
// Null (ERROR_INVALID_PARAMETER, or ERROR_NOT_SUPPORTED for another brush style) otherwise.
VYR_WINAPI_EXPORT HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                                    const DWORD* styles);

// The object of a kind (OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_PAL, OBJ_BITMAP) selected into a DC:
// the stock one while nothing else is (the black pen, the white brush, the system font, the
// default palette, the 1x1 bitmap of a memory DC). Null for a bad DC or kind, and OBJ_BITMAP of a
// DC that is not a memory DC.
VYR_WINAPI_EXPORT HGDIOBJ GetCurrentObject(HDC dc, UINT kind);

// --- Drawing state ------------------------------------------------------------------------------
// Sets the binary raster operation of pens and brushes (R2_BLACK to R2_WHITE); answers the
// previous one (R2_COPYPEN at first), 0 for a bad DC or operation.
VYR_WINAPI_EXPORT int SetROP2(HDC dc, int rop);
// The binary raster operation; 0 for a bad DC.
VYR_WINAPI_EXPORT int GetROP2(HDC dc);
// TRANSPARENT or OPAQUE (at first): whether text cells and the gaps of styled one-pixel lines
// take the background colour. Answers the previous mode, 0 for a bad DC or mode.
VYR_WINAPI_EXPORT int SetBkMode(HDC dc, int mode);
// The background mode; 0 for a bad DC.
VYR_WINAPI_EXPORT int GetBkMode(HDC dc);
// ALTERNATE (at first) or WINDING; answers the previous mode, 0 for a bad DC or mode.
VYR_WINAPI_EXPORT int SetPolyFillMode(HDC dc, int mode);
// The polygon fill mode; 0 for a bad DC.
VYR_WINAPI_EXPORT int GetPolyFillMode(HDC dc);

// --- Map modes ----------------------------------------------------------------------------------
// Sets the map mode (MM_TEXT at first) and answers the previous one; 0 for a bad DC or mode.
// A fixed mode sets its own extents; MM_ANISOTROPIC and MM_ISOTROPIC keep the extents of the mode
// they come from (1 by 1 from MM_TEXT).
VYR_WINAPI_EXPORT int SetMapMode(HDC dc, int mode);
// The map mode; 0 for a bad DC.
VYR_WINAPI_EXPORT int GetMapMode(HDC dc);
// Window extent (MM_ANISOTROPIC and MM_ISOTROPIC only; other modes keep theirs and answer TRUE).
// The previous extent goes to `previous` when given. FALSE for a bad DC or a zero extent.
VYR_WINAPI_EXPORT BOOL SetWindowExtEx(HDC dc, int x, int y, LPSIZE previous);
// Viewport extent, under the same rules as SetWindowExtEx.
VYR_WINAPI_EXPORT BOOL SetViewportExtEx(HDC dc, int x, int y, LPSIZE previous);
// The window extent; FALSE for a bad DC or a null size.
VYR_WINAPI_EXPORT BOOL GetWindowExtEx(HDC dc, LPSIZE size);
// The viewport extent; FALSE for a bad DC or a null size.
VYR_WINAPI_EXPORT BOOL GetViewportExtEx(HDC dc, LPSIZE size);
// The logical point that maps to the viewport origin (0, 0 at first), in any mode.
VYR_WINAPI_EXPORT BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
// The device point that the window origin maps to (0, 0 at first), in any mode.
VYR_WINAPI_EXPORT BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
// The window origin; FALSE for a bad DC or a null point.
VYR_WINAPI_EXPORT BOOL GetWindowOrgEx(HDC dc, LPPOINT point);
// The viewport origin; FALSE for a bad DC or a null point.
VYR_WINAPI_EXPORT BOOL GetViewportOrgEx(HDC dc, LPPOINT point);
// Logical to device coordinates (rounded to the nearest), in place; FALSE for a bad DC.
VYR_WINAPI_EXPORT BOOL LPtoDP(HDC dc, LPPOINT points, int count);
// Device to logical coordinates (rounded to the nearest), in place; FALSE for a bad DC.
VYR_WINAPI_EXPORT BOOL DPtoLP(HDC dc, LPPOINT points, int count);

// --- Lines, polygons and pixels ----------------------------------------------------------------
// Moves the current position (0, 0 at first) without drawing; the old one goes to `previous`.
VYR_WINAPI_EXPORT BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
// The current position; FALSE for a bad DC or a null point.
VYR_WINAPI_EXPORT BOOL GetCurrentPositionEx(HDC dc, LPPOINT point);
// A line from the current position to (x, y), which is left out and becomes the current position.
VYR_WINAPI_EXPORT BOOL LineTo(HDC dc, int x, int y);
// Segments through `count` points (2 or more) with the DC's pen; the current position is not
// used or changed. FALSE for a bad DC, a DC without pixels, null points or fewer than 2.
VYR_WINAPI_EXPORT BOOL Polyline(HDC dc, const POINT* points, int count);
// The closed polygon through `count` points (2 or more), filled with the DC's brush and outlined
// with its pen. FALSE as for Polyline.
VYR_WINAPI_EXPORT BOOL Polygon(HDC dc, const POINT* points, int count);
// Fills the rectangle (right and bottom edges left out) with the brush's colour; neither the pen
// nor the raster operation applies. FALSE for a bad DC, a DC without pixels, a null rectangle or
// a brush that is not live.
VYR_WINAPI_EXPORT int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Draws the rectangle's border, one logical unit wide inside it, with the brush's colour; FALSE
// as for FillRect.
VYR_WINAPI_EXPORT int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// Sets one pixel (the raster operation does not apply) and answers the colour it holds now;
// CLR_INVALID for a bad DC or a point outside the surface.
VYR_WINAPI_EXPORT COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

// Maps the DC's selected palette into the colours shown: nothing to do on this true-colour
// display; FALSE for a bad DC.
VYR_WINAPI_EXPORT BOOL UpdateColors(HDC dc);

// Specific to this system: the resolution (dots per inch on each axis, 1 or more) that a memory
// or information DC reports through GetDeviceCaps (LOGPIXELSX, LOGPIXELSY, HORZSIZE, VERTSIZE)
// and uses for the fixed map modes and point sizes, as a printer's DC would; memory DCs made
// compatible with it take it over. Every DC starts at 96. FALSE for a window or pbuffer DC (the
// display's resolution is fixed), a bad DC or a resolution below 1.
VYR_WINAPI_EXPORT BOOL VyrSetDeviceResolution(HDC dc, int dpiX, int dpiY);

}
