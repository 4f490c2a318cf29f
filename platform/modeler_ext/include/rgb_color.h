// rgb_color: the modeler's colour, three components from 0 to 1, convertible to and from the
// four-byte Windows form (red in the lowest byte, then green, then blue; the top byte is unused).
#pragma once

#include "VyrModelerExtApi.h"

// A colour of three components in [0, 1]; values outside are clamped when set.
class VYR_MODELER_EXT_API rgb_color {
public:
    // Black.
    rgb_color() = default;
    // The colour (r, g, b), each clamped to [0, 1] (a NaN becomes 0).
    rgb_color(double r, double g, double b);

    // Red component.
    double red() const { return m_red; }
    // Green component.
    double green() const { return m_green; }
    // Blue component.
    double blue() const { return m_blue; }
    // Sets the red component (clamped).
    void set_red(double v);
    // Sets the green component (clamped).
    void set_green(double v);
    // Sets the blue component (clamped).
    void set_blue(double v);

    // The Windows form: each component rounded to 0..255, red in bits 0-7, green 8-15, blue 16-23.
    unsigned long windows_color() const;
    // Takes the Windows form; the top byte is ignored.
    void set_windows_color(unsigned long color);

    // Same components.
    bool operator==(const rgb_color& other) const;
    // Different components.
    bool operator!=(const rgb_color& other) const { return !(*this == other); }

private:
    double m_red = 0.0;
    double m_green = 0.0;
    double m_blue = 0.0;
};
