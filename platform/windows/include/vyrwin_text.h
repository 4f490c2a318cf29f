// GDI fonts and text: logical fonts, the face that fontconfig finds for them and FreeType draws,
// text metrics and extents, and text output into any DC with pixels (see vyrwin_draw.h).
//
// A logical font keeps its LOGFONTW as given. When it is used, fontconfig picks the installed
// face nearest to its face name, weight, italic flag and pitch and family (an empty name asks for
// the sans-serif default; Arial, Times New Roman and Courier New get their metric-compatible
// faces where those are installed), and a missing bold or italic face is made from the regular
// one. Heights follow GDI: a negative lfHeight is the character (em) height, a positive one the
// cell height (ascent + descent from the face's Windows metrics), 0 a default of 16 pixels of
// cell height; all in logical units of the DC the font is used on. lfWidth is kept but glyphs keep
// their natural proportions. lfEscapement turns the baseline counter-clockwise, in tenths of a
// degree. NONANTIALIASED_QUALITY, DRAFT_QUALITY, PROOF_QUALITY and DEFAULT_QUALITY draw glyphs
// with one bit a pixel in the text colour; ANTIALIASED_QUALITY and the ClearType qualities blend
// the text colour over the picture by coverage. Advances are whole pixels, without kerning, as
// GDI lays text out. When no face can be loaded at all, the text calls answer failure.
//
// Text is placed by the DC's text alignment: TA_LEFT, TA_CENTER or TA_RIGHT of the run's advance
// and TA_TOP, TA_BASELINE or TA_BOTTOM of its cell, at the reference point (or the current
// position with TA_UPDATECP, which moves it on). Right-to-left reading (ETO_RTLREADING,
// TA_RTLREADING, DT_RTLREADING) lays a run out in visual order by the Unicode bidirectional
// algorithm (FriBidi) with a right-to-left paragraph: right-to-left letters read from the right,
// while a Latin word or a number inside them keeps its own order, and paired brackets are
// mirrored; explicit advances follow their characters. There is no glyph shaping (Arabic letters
// keep their isolated forms, no ligatures). In the OPAQUE background mode the
// text's cell is first filled with the background colour. The raster operation does not apply.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

// Longest face name of a LOGFONTW, terminator included.
#define LF_FACESIZE 32

// Weights.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

// Character sets, precisions and qualities (kept as given; only the quality changes drawing).
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_TT_ONLY_PRECIS 7
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define CLEARTYPE_NATURAL_QUALITY 6

// Pitch (low two bits) and family (high four bits).
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// The ABC widths of a character (GetCharABCWidthsFloatW): the space before its ink (A, negative
// when the ink overhangs to the left), the ink's width (B) and the space after it (C); A + B + C
// is the advance the text output uses.
struct ABCFLOAT {
    FLOAT abcfA;
    FLOAT abcfB;
    FLOAT abcfC;
};
typedef ABCFLOAT* LPABCFLOAT;

// TEXTMETRICW tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable pitch, as in GDI).
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

// GetStockObject indices of the stock fonts: the system font (16 pixels high, bold, a DC's font
// at first) and the default user-interface font (11 pixels of character height).
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// Text alignment (SetTextAlign).
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)

// ExtTextOutW options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_RTLREADING 0x0080
#define ETO_PDY 0x2000

// DrawTextW formats (others are accepted and change nothing; tabs are not expanded).
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_RTLREADING 0x00020000

// A logical font.
struct LOGFONTW {
    LONG lfHeight;          // < 0: character height, > 0: cell height, 0: default (logical units)
    LONG lfWidth;           // average character width (kept; glyphs keep their proportions)
    LONG lfEscapement;      // baseline angle, tenths of a degree counter-clockwise
    LONG lfOrientation;     // kept
    LONG lfWeight;          // FW_* (0 is normal)
    BYTE lfItalic;          // not 0: italic
    BYTE lfUnderline;       // not 0: underlined
    BYTE lfStrikeOut;       // not 0: struck out
    BYTE lfCharSet;         // kept
    BYTE lfOutPrecision;    // kept
    BYTE lfClipPrecision;   // kept
    BYTE lfQuality;         // *_QUALITY
    BYTE lfPitchAndFamily;  // pitch | family
    WCHAR lfFaceName[LF_FACESIZE];  // face name, terminated
};
typedef LOGFONTW* LPLOGFONTW;
typedef LOGFONTW LOGFONT;

// The metrics of the font selected into a DC, in its logical units.
struct TEXTMETRICW {
    LONG tmHeight;            // ascent + descent
    LONG tmAscent;            // above the baseline
    LONG tmDescent;           // below the baseline
    LONG tmInternalLeading;   // cell height minus character height
    LONG tmExternalLeading;   // extra line gap the face asks for
    LONG tmAveCharWidth;      // average character width
    LONG tmMaxCharWidth;      // widest advance
    LONG tmWeight;            // weight of the face drawn (bold made up counts as FW_BOLD)
    LONG tmOverhang;          // 0
    LONG tmDigitizedAspectX;  // the DC's horizontal resolution
    LONG tmDigitizedAspectY;  // the DC's vertical resolution
    WCHAR tmFirstChar;        // first character of the face
    WCHAR tmLastChar;         // last character (at most 0xFFFF)
    WCHAR tmDefaultChar;      // drawn for characters the face lacks
    WCHAR tmBreakChar;        // word break (space)
    BYTE tmItalic;            // the logical font's italic flag
    BYTE tmUnderlined;        // its underline flag
    BYTE tmStruckOut;         // its strike-out flag
    BYTE tmPitchAndFamily;    // TMPF_* bits and the family
    BYTE tmCharSet;           // the logical font's character set
};
typedef TEXTMETRICW* LPTEXTMETRICW;

extern "C" {

// A logical font of the description (kept as given: the face is found when the font is used);
// null (ERROR_INVALID_PARAMETER) for a null description.
VYR_WINAPI_EXPORT HFONT CreateFontIndirectW(const LOGFONTW* font);
// CreateFontIndirectW of the fields given one by one (a null face name is empty).
VYR_WINAPI_EXPORT HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                    DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                    DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);

// The metrics of the DC's font; FALSE for a bad DC, a null output or no face to load.
VYR_WINAPI_EXPORT BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);
// The advance width and the cell height of `count` characters in the DC's font (logical units);
// FALSE for a bad DC, a null output, a negative count, null text with a count, or no face.
VYR_WINAPI_EXPORT BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
// The ABC widths (logical units) of the characters `first` to `last` in the DC's font, one
// ABCFLOAT each into `abc`; A + B + C of each is the whole-pixel advance ExtTextOutW gives it (a
// character without a glyph measures the face's missing-glyph box). FALSE for a bad DC, a null
// output, `last` before `first`, or no face.
VYR_WINAPI_EXPORT BOOL GetCharABCWidthsFloatW(HDC dc, UINT first, UINT last, LPABCFLOAT abc);
// The family name of the face the DC's font is drawn with. With a buffer: copies up to
// count - 1 characters and a terminator and answers the characters copied; without: answers the
// name's length plus 1. 0 for a bad DC or no face.
VYR_WINAPI_EXPORT int GetTextFaceW(HDC dc, int count, LPWSTR faceName);

// Sets the text alignment (TA_* flags) and answers the previous one (TA_LEFT | TA_TOP at
// first); GDI_ERROR for a bad DC.
VYR_WINAPI_EXPORT UINT SetTextAlign(HDC dc, UINT align);
// The text alignment; GDI_ERROR for a bad DC.
VYR_WINAPI_EXPORT UINT GetTextAlign(HDC dc);

// Draws `count` characters at (x, y) in the DC's font, text colour and alignment.
VYR_WINAPI_EXPORT BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
// TextOutW with options: ETO_OPAQUE fills `rect` with the background colour first, ETO_CLIPPED
// keeps the glyphs inside `rect`, ETO_RTLREADING reads right to left; `dx` (logical units) gives
// each character's advance (with ETO_PDY, x and y pairs). FALSE for a bad DC, a DC without
// pixels, null text with a count, a negative count, or no face; with no text it only fills.
VYR_WINAPI_EXPORT BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                                   const INT* dx);
// Draws text into a rectangle: lines split at line breaks (one line with DT_SINGLELINE, longer
// lines broken between words with DT_WORDBREAK), each aligned left, centred or right in the
// rectangle; with DT_SINGLELINE also top, centred or bottom. "&" marks are taken out ("&&" is one
// "&") unless DT_NOPREFIX; the mark's underline is not drawn. Clipped to the rectangle unless
// DT_NOCLIP. DT_CALCRECT draws nothing and sets the rectangle's right and bottom to the text's.
// A count of -1 takes the text up to its terminator. Answers the height of the text (with
// DT_VCENTER or DT_BOTTOM, the offset from the rectangle's top to the text's bottom); 0 for a
// bad DC, null text or rectangle, or no face. The DC's alignment is not used.
VYR_WINAPI_EXPORT int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);

}
