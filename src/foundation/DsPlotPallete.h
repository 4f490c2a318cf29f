// CDsPlotPallete: the plot pens, a process-wide singleton. Sixteen plot line widths (pen i:
// i x 0.2 by default), the pen number of each of the colours 0 to 14 of a colour palette (pen i
// for colour i by default) and that colour palette (owned; none by default). While a plot draws
// with plot mode 2 the line width of an item is the pen its colour selects.
//
// Choices where the behaviour was open:
// - The pen table holds pens for colours 0 to 14 only; a colour equal to palette colour 15 has
//   no pen of its own and gets pen 0, as a colour the palette does not hold.
// - A null colour gets pen 0 too (once a palette of 16 colours or more is set).
// - Colours are compared by red, green and blue; the fourth byte is not part of a colour.
// - Giving the palette that is already held keeps it (it is not deleted).
#pragma once

#include <afx.h>
#include <afxwin.h>

class CDsColorStorage;
class CDsPalette;

// The plot pens.
class AFX_EXT_CLASS CDsPlotPallete : public CPalette {
public:
    // Number of plot widths.
    static const int kWidthCount = 16;
    // Number of colours with a pen of their own (0 to 14).
    static const int kPenCount = 15;

    // The singleton, made on the first call.
    static CDsPlotPallete* StGetInstance();
    // Deletes the singleton and clears its pointer (the library's unload does it); a later
    // StGetInstance makes a fresh one.
    static void StDeletePlotPallete();

    // Deletes the colour palette.
    ~CDsPlotPallete() override;

    // Sets the plot width of pen 0 to 14; other pens are ignored.
    void SetWidth(int pen, float width);
    // The plot width of pen 0 to 14; 0.0 for any other pen.
    float GetWidth(int pen) const;
    // Sets the pen of colour 0 to 14; other colours are ignored.
    void SetWidth(int color, int pen);
    // Takes ownership of `palette` (may be null), deleting the previous one.
    void SetColorPallete(CDsPalette* palette);
    // The colour palette, null when none.
    const CDsPalette* GetColorPallete() const { return m_palette; }
    // The plot width of a colour: 0 without a colour palette; the width of pen 0 truncated when
    // the palette holds fewer than 16 colours; else the pen of the first of the palette's colours
    // 0 to 14 that equals `color`, and pen 0 when none does.
    int GetWidth(CDsColorStorage* color) const;

private:
    CDsPlotPallete();

    static CDsPlotPallete* sInstance;

    float m_width[kWidthCount];
    int m_pen[kPenCount];
    CDsPalette* m_palette = nullptr;
};
