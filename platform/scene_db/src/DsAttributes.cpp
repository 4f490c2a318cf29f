// CDsAttributes, CDsAttrAdapter and CDsAttrPalette.
#include "DsAttributes.h"

#include <cmath>

void CDsAttributes::SetColor(unsigned color)
{
    m_color = color & 0x00FFFFFFu;
    m_set |= eFieldColor;
}

void CDsAttributes::DimColor()
{
    unsigned dimmed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned c = (m_color >> shift) & 0xFFu;
        dimmed |= (c + (255u - c) / 2u) << shift;
    }
    SetColor(dimmed);
}

void CDsAttributes::SetTransparency(unsigned char transparency)
{
    m_transparency = transparency;
    m_set |= eFieldTransparency;
}

void CDsAttributes::SetLineWidth(int width)
{
    if (width < 0 || width > 255) return;
    m_lineWidth = static_cast<unsigned char>(width);
    m_set |= eFieldLineWidth;
}

void CDsAttributes::SetLineStyle(int style)
{
    if (style < 0 || style > 255) return;
    m_lineStyle = static_cast<unsigned char>(style);
    m_set |= eFieldLineStyle;
}

void CDsAttributes::SetHideLevel(unsigned level)
{
    m_hideLevel = static_cast<unsigned char>(level > 255 ? 255 : level);
    m_set |= eFieldHideLevel;
}

void CDsAttributes::SetVisibility(int visibility)
{
    if (visibility < 0 || visibility > 255) return;
    m_visibility = static_cast<unsigned char>(visibility);
    m_set |= eFieldVisibility;
}

void CDsAttributes::SetRenderMode(int mode)
{
    if (mode < 0 || mode > 255) return;
    m_renderMode = static_cast<unsigned char>(mode);
    m_set |= eFieldRenderMode;
}

CDsAttributes& CDsAttributes::operator*=(const CDsAttributes& other)
{
    const unsigned short s = other.m_set;
    if (s == 0) return *this;
    if (s & eFieldColor) m_color = other.m_color;
    if (s & eFieldTransparency) m_transparency = other.m_transparency;
    if (s & eFieldLineWidth) m_lineWidth = other.m_lineWidth;
    if (s & eFieldLineStyle) m_lineStyle = other.m_lineStyle;
    if (s & eFieldHideLevel) m_hideLevel = other.m_hideLevel;
    if (s & eFieldVisibility) m_visibility = other.m_visibility;
    if (s & eFieldRenderMode) m_renderMode = other.m_renderMode;
    m_set |= s;
    return *this;
}

bool CDsAttributes::operator==(const CDsAttributes& other) const
{
    return m_color == other.m_color && m_transparency == other.m_transparency && m_lineWidth == other.m_lineWidth &&
           m_lineStyle == other.m_lineStyle && m_hideLevel == other.m_hideLevel &&
           m_visibility == other.m_visibility && m_renderMode == other.m_renderMode && m_set == other.m_set;
}

void CDsAttrAdapter::SetTransparency(float opacity)
{
    if (!(opacity > 0.0f)) opacity = 0.0f;  // also catches NaN
    if (opacity > 1.0f) opacity = 1.0f;
    m_attributes.SetTransparency(static_cast<unsigned char>(std::lround(opacity * 255.0f)));
}

bool CDsAttrPalette::Set(int index, const CDsAttributes& attributes)
{
    if (index < 0 || index >= kSize) return false;
    m_entries[index] = attributes;
    return true;
}
