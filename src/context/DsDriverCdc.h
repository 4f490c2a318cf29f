// CDsDriverCdc: the device-context driver that every core view installs. Over the base it adds a
// font (CDsNFontStorage), pens stippled from the active line-style palette, plot pens scaled to
// the printer's resolution, point markers and text with alignment.
//
// Point markers (draw_point_2d), by the pen's point style, half size h = point size / 2, drawn
// as polylines in drawable coordinates (a one-pixel line leaves its last point out, so strokes
// that end in the open reach one pixel further):
//   1 and 3  closed square of half size h (5 points; 3 runs the other way round)
//   2        plus: horizontal and vertical strokes of half length h
//   4        closed diamond with tips at distance h (5 points)
//   5        closed hexagon with tips at (x +- h, y), other corners at (x +- h/2, y +- h) (7 points)
//   6        closed 12-sided circle of radius h through (h, 0), (9h/11, 6h/11), (6h/11, 9h/11)...
//            (13 points)
//   7        an 8-sided ring 2 pixels round the point (9 points), then the circle of style 6
//   8        the circle of style 6 and a second, inner 12-sided circle of radius 8h/11 through
//            (8h/11, 0), (7h/11, 4h/11), (4h/11, 7h/11)... (13 points each)
//   9        a dot: the line width becomes 2h for a zero-length segment, then is put back
//   other    an X: two diagonals of half size h
//
// Choices where the behaviour was open:
// - set_line_style, set_line_width and the text call of bytes are the base's: this driver gives
//   them its pattern (StorePenStyle) and its font (SelectTextFont, ReleaseTextFont).
// - A line style outside the palette's 0 to 31 draws solid.
// - A plot pen whose runs come out all 0 (a printer resolution too low for the pattern, or no DC
//   to measure) is drawn solid.
// - The plus marker reaches h pixels on every side, as its size says, like the X does.
#pragma once

#include "DsDriverCdcBase.h"
#include "DsNFontStorage.h"

#include <cstdint>

// The device-context driver of a core view.
class AFX_EXT_CLASS CDsDriverCdc : public CDsDriverCdcBase {
public:
    // A driver without a window, with the default font, solid pattern and factor 1.
    CDsDriverCdc();
    // A driver of the window (not owned; may be null).
    explicit CDsDriverCdc(CWnd* window);
    // Deletes the font's GDI font.
    ~CDsDriverCdc() override;

    // Outside plot mode the colour; in plot modes 1 and 2 black. When it changes: a new pen and
    // the OpenGL colour.
    void set_foreground_rgb(rgb_color color) override;
    // The font's face name ("standard" or none: the default font); 1.
    int set_text_font(const char* name) override;
    // The font's height.
    void set_text_size(int size) override;
    // A point marker at drawable (x, y) (see the header comment); while picking, whether it was
    // hit.
    int draw_point_2d(float x, float y) override;
    // The text at the top-left corner (x, y) in the driver's font and foreground (no pick test);
    // 0.
    int draw_text_2d(float x, float y, const CVyrString& text) override;
    // The base's text call (while picking, the modeler's test), in the driver's font.
    using CDsDriverCdcBase::draw_text_2d;
    // The text on its baseline at (x, y), aligned left, centred or right, in `font` and the
    // foreground, with the advances `dx` when given; 0 (also without a DC).
    int DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                   int* dx) override;
    // DrawText2D at the model point's drawable position (truncated); 0 when it does not project.
    int DrawText3D(CGmPosition& p, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                   int* dx) override;
    // Does nothing.
    void DrawImage(const CBitmap& bitmap, int x, int y, int width, int height) override;

    // The font's italic flag.
    void SetTextSlanted(bool slanted);
    // The font's baseline angle, whole degrees.
    void SetTextLineBaseAngle(int degrees);
    // The font becomes a copy of `font`.
    void SetFont(const CDsNFontStorage& font);
    // The driver's font.
    const CDsNFontStorage& GetFont() const { return m_font; }
    // The text alignment of `align` on its baseline: TA_CENTER for 1, TA_RIGHT for 2, TA_LEFT
    // otherwise; answers the DC's previous alignment (GDI_ERROR without a DC).
    static UINT SetTextAlignment(CDC* dc, EDsTextLineAlignment align);
    // Has the window repaint (nothing without one).
    void InValidateView();
    // Pixels per millimetre of the DC (the mean of both axes); 0 without a DC.
    double GetPrinterPixelsInMm();
    // The plot line width in pixels: pixels per millimetre times the plot palette's width of the
    // pen width (raised to 1 first), at least 1.
    int GetPlotBrushWidth();
    // The line pattern (0xFFFF solid) and its factor.
    uint16_t GetLinePattern() const { return m_pattern; }
    int GetLinePatternFactor() const { return m_factor; }

protected:
    // The pen's pattern and factor := entry `style` of the active style palette (the base's
    // set_line_style makes a new pen when they change; its set_line_width keeps the pen style
    // solid, which this driver's pens do not read).
    bool StorePenStyle(line_style style) override;
    // Selects the driver's font (CDsNFontStorage::SelectMyFont); answers the font it replaced.
    CFont* SelectTextFont(CDC* dc) override;
    // Selects `previous` back and deletes the driver's GDI font (CDsNFontStorage::ReleaseMyFont).
    void ReleaseTextFont(CDC* dc, CFont* previous) override;
    // Deletes the pen; outside plot mode a cosmetic pen, dashed unless the pattern is solid; in
    // plot mode the plot pen.
    void SetPen() override;
    // The plot pen: the pattern's runs scaled to the printer (see the source).
    void CreateBrush();
    // Solid pattern, factor 1.
    void ResetMembers();

private:
    CDsNFontStorage m_font;
    uint16_t m_pattern = 0xFFFF;
    int m_factor = 1;
};
