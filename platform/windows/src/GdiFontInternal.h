// Private to the GDI part: logical fonts and the faces that draw them. FreeType and fontconfig
// stay inside GdiFont.cpp; the text calls see a font sized for one DC.
#pragma once

#include "GdiDrawInternal.h"

#include <string>

// A logical font: its description as given, and how many DCs hold it selected.
struct HFONT__ {
    LOGFONTW logFont{};
    bool stock = false;
    int selectedCount = 0;
};

namespace vyrwin {
namespace gdi {

struct FontFace;

// The DC's font at the DC's scale: device-pixel metrics, advances and glyphs.
class SizedFont {
public:
    // Finds and sizes the face of the DC's font. False when no face can be loaded.
    bool Load(HDC dc);

    // The logical font.
    const LOGFONTW& Logical() const { return m_logical; }
    // Device pixels per logical unit along x and y (absolute).
    double ScaleX() const { return m_scaleX; }
    double ScaleY() const { return m_scaleY; }
    // Baseline angle, radians counter-clockwise.
    double Angle() const { return m_angle; }
    // Device-pixel metrics.
    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    int Height() const { return m_ascent + m_descent; }
    int InternalLeading() const { return m_internalLeading; }
    int ExternalLeading() const { return m_externalLeading; }
    int AverageWidth() const { return m_averageWidth; }
    int MaximumWidth() const { return m_maximumWidth; }
    double Em() const { return m_em; }
    // Underline and strike-out: offset below the baseline (negative: above) and thickness.
    double UnderlineOffset() const { return m_underlineOffset; }
    double UnderlineThickness() const { return m_underlineThickness; }
    double StrikeOffset() const { return m_strikeOffset; }
    double StrikeThickness() const { return m_strikeThickness; }
    // Whether the face drawn is bold (or made bold), and is italic (or made italic).
    bool Bold() const;
    bool Italic() const;
    // Fixed pitch, and the characters the face covers.
    bool FixedPitch() const;
    char32_t FirstChar() const;
    char32_t LastChar() const;
    // The family name of the face.
    std::wstring Family() const;

    // The advance of a character, whole device pixels.
    int Advance(char32_t c);
    // The ABC widths of a character in device pixels: the left side bearing (a), the ink width
    // (b) and the rest of the whole-pixel advance (c = Advance - a - b).
    void AbcWidths(char32_t c, double& a, double& b, double& cWidth);
    // Draws a character whose origin (on the baseline) is device point (x, y), in `color`,
    // blended by coverage unless the font draws one bit a pixel; only inside `clip`.
    void DrawGlyph(char32_t c, double x, double y, uint32_t color, const DeviceBox& clip, PixelBlock& block);

private:
    void Size();

    FontFace* m_face = nullptr;
    LOGFONTW m_logical{};
    double m_scaleX = 1.0, m_scaleY = 1.0;
    double m_angle = 0.0;
    double m_em = 16.0;
    int m_ascent = 0, m_descent = 0, m_internalLeading = 0, m_externalLeading = 0;
    int m_averageWidth = 0, m_maximumWidth = 0;
    double m_underlineOffset = 1.0, m_underlineThickness = 1.0;
    double m_strikeOffset = -4.0, m_strikeThickness = 1.0;
    bool m_mono = true;
    bool m_makeBold = false, m_makeItalic = false;
};

}  // namespace gdi
}  // namespace vyrwin
