// CVyrRgbColor: the colour of the preference store.
#pragma once

#include "VyrHostApi.h"

#include <windows.h>

// A colour as the preference store keeps it: red, green and blue, each 0 to 255. The display
// system turns it into its own four-byte colour with red in the lowest byte (GetColorRef).
class VYR_HOST_API CVyrRgbColor {
public:
    // Black.
    CVyrRgbColor() = default;
    // The colour of these three components.
    CVyrRgbColor(BYTE red, BYTE green, BYTE blue) : m_red(red), m_green(green), m_blue(blue) {}
    // The colour of a Windows colour value 0x00BBGGRR (the top byte is ignored).
    static CVyrRgbColor FromColorRef(COLORREF color);

    // Red, 0 to 255.
    BYTE GetRed() const { return m_red; }
    // Green, 0 to 255.
    BYTE GetGreen() const { return m_green; }
    // Blue, 0 to 255.
    BYTE GetBlue() const { return m_blue; }
    // Sets the three components.
    void Set(BYTE red, BYTE green, BYTE blue);
    // The colour as a Windows colour value: 0x00BBGGRR, red in the lowest byte.
    COLORREF GetColorRef() const { return RGB(m_red, m_green, m_blue); }

    // Same components.
    bool operator==(const CVyrRgbColor& other) const {
        return m_red == other.m_red && m_green == other.m_green && m_blue == other.m_blue;
    }
    // Different components.
    bool operator!=(const CVyrRgbColor& other) const { return !(*this == other); }

private:
    BYTE m_red = 0;
    BYTE m_green = 0;
    BYTE m_blue = 0;
};
