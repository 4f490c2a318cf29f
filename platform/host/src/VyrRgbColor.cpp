// CVyrRgbColor: conversions from and to Windows colour values.
#include "VyrRgbColor.h"

CVyrRgbColor CVyrRgbColor::FromColorRef(COLORREF color) {
    return CVyrRgbColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

void CVyrRgbColor::Set(BYTE red, BYTE green, BYTE blue) {
    m_red = red;
    m_green = green;
    m_blue = blue;
}
