// CDsStylePalette: the line-style palette.
#include "DsStylePalette.h"

namespace {

// Patterns of the standard styles 0 to 7: solid, then dashes and dots.
const uint16_t kStandardPatterns[8] = {0xFFFF, 0x3F3F, 0x33FF, 0x333F, 0x3333, 0x00FF, 0xF9F0, 0xC630};
// Pattern and factor of the free styles 8 to 31 until the host sets them.
const uint16_t kFreePattern = 0x63C6;
const int kFreeFactor = 1;

// The default palette, built when the library starts and kept for its lifetime.
CDsStylePalette sDefaultPalette;

}  // namespace

CDsStylePalette* CDsStylePalette::mActive = &sDefaultPalette;

CDsStylePalette::CDsStylePalette()
{
    SetDefaultStyles();
}

CDsStylePalette::CDsStylePalette(const CDsStylePalette& other) : CPalette()
{
    *this = other;
}

CDsStylePalette& CDsStylePalette::operator=(const CDsStylePalette& other)
{
    for (int i = 0; i < kStyleCount; ++i) {
        m_pattern[i] = other.m_pattern[i];
        m_factor[i] = other.m_factor[i];
    }
    m_standard = other.m_standard;
    return *this;
}

CDsStylePalette::~CDsStylePalette()
{
    if (mActive == this) mActive = &sDefaultPalette;
}

void CDsStylePalette::SetStandardStyles(int factor)
{
    for (int i = 0; i < 8; ++i) {
        m_pattern[i] = kStandardPatterns[i];
        m_factor[i] = factor;
    }
}

void CDsStylePalette::SetIsoStyles()
{
    SetStandardStyles(2);
}

void CDsStylePalette::SetAnsiStyles()
{
    SetStandardStyles(1);
}

void CDsStylePalette::SetDefaultStyles()
{
    if (m_standard == eStandardAnsi)
        SetAnsiStyles();
    else
        SetIsoStyles();
    for (int i = 8; i < kStyleCount; ++i) {
        m_pattern[i] = kFreePattern;
        m_factor[i] = kFreeFactor;
    }
}

void CDsStylePalette::SetStandard(EStandardLineStyles standard)
{
    if (standard == eStandardIso) {
        m_standard = eStandardIso;
        SetIsoStyles();
    } else if (standard == eStandardAnsi) {
        m_standard = eStandardAnsi;
        SetAnsiStyles();
    }
}

bool CDsStylePalette::GetStyle(int style, uint16_t& pattern, int& factor) const
{
    if (style < 0 || style >= kStyleCount) return false;
    pattern = m_pattern[style];
    factor = m_factor[style];
    return true;
}

bool CDsStylePalette::SetStyle(int style, uint16_t pattern, int factor)
{
    if (style < 8 || style >= kStyleCount) return false;
    m_pattern[style] = pattern;
    m_factor[style] = factor;
    return true;
}

void CDsStylePalette::StActivate(CDsStylePalette* palette)
{
    mActive = palette ? palette : &sDefaultPalette;
}

void CDsStylePalette::StDeactivate(CDsStylePalette* /*palette*/)
{
    mActive = &sDefaultPalette;
}

CDsStylePalette* CDsStylePalette::StGetActive()
{
    return mActive;
}
