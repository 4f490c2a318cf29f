// CDsAttDrawItem: the sample items of the host's attribute pickers (a colour, a line style, a
// line width, a preview of all three, a text), each drawn into its cell of a list on a framework
// device context. Everything is static; the cell is the item's rectangle in the DC's logical
// units, y counted down from its top.
//
// Line-style samples (DrawStyleItem, DrawPreviewItem) draw the style's 16-bit pattern of the
// active style palette as a pen: each run of equal bits becomes one length (run length x the
// style's factor), dash and gap by turns from a dash, and two horizontal rows are drawn, the one
// through the middle of the cell and the row below it, from 4 pixels inside the left edge to 4
// pixels inside the right one. A pattern that begins with gap bits begins with a dash of length 0:
// that empty dash and the first gap are taken off the pen and the rows start that far to the
// right instead (the gap goes to the end of the pen's runs), so that every sample begins with a
// dash at its start. One length gives a plain solid pen.
//
// Choices where the behaviour was open:
// - The pattern is read from its high bit down (bit 15 first): style 5 of the ISO table (0x00FF,
//   factor 2) then begins 16 pixels in, as the list of styles shows it.
// - A pattern without set bits (no dash at all) draws no rows; with no active style palette,
//   nothing is drawn either.
// - DrawWidthItem's `width` is the list's width index, 0 for the one-pixel width: it shows
//   width + 1 lines and the text "<width + 1> pxl", each capped at the cell's height.
// - Every selection (pen, brush, font) and the background mode are given back to the DC before a
//   call returns, and the GDI objects it made are deleted. A null DC draws nothing.
#pragma once

#include <afx.h>
#include <afxwin.h>

// The sample items of the attribute pickers.
class AFX_EXT_CLASS CDsAttDrawItem {
public:
    // Fills the cell with the colour and frames it with a black one-pixel border.
    static void DrawColorItem(CDC* dc, CRect& cell, COLORREF color);
    // The two sample rows of line style `style` (active style palette) in black, one pixel wide.
    static void DrawStyleItem(CDC* dc, CRect& cell, int style);
    // The two sample rows of line style `style` with a pen `width` units wide in `color`.
    static void DrawPreviewItem(CDC* dc, CRect& cell, int width, int style, COLORREF color);
    // The width sample: n = min(width + 1, cell height) black one-pixel lines after the text
    // "n pxl", centred in height; the text alone when it fills the cell exactly, and the short text
    // "n" alone when "n pxl" does not fit.
    static void DrawWidthItem(CDC* dc, CRect& cell, int width);
    // The text at the cell's top-left corner in the DC's face, as high as the cell, on a
    // transparent background (drawn into the cell with DrawTextW when no such font can be made).
    static void DrawTextItem(CDC* dc, CRect& cell, const CStringW& text);
};
