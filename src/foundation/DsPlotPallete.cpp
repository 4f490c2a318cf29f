// CDsPlotPallete: the plot pens.
#include "DsPlotPallete.h"

#include "DsColorStorage.h"
#include "DsPalette.h"

CDsPlotPallete* CDsPlotPallete::sInstance = nullptr;

CDsPlotPallete* CDsPlotPallete::StGetInstance()
{
    if (!sInstance) sInstance = new CDsPlotPallete();
    return sInstance;
}

void CDsPlotPallete::StDeletePlotPallete()
{
    delete sInstance;
    sInstance = nullptr;
}

CDsPlotPallete::CDsPlotPallete()
{
    for (int i = 0; i < kWidthCount; ++i) m_width[i] = static_cast<float>(i) * 0.2f;
    for (int i = 0; i < kPenCount; ++i) m_pen[i] = i;
}

CDsPlotPallete::~CDsPlotPallete()
{
    delete m_palette;
}

void CDsPlotPallete::SetWidth(int pen, float width)
{
    if (pen < 0 || pen >= kPenCount) return;
    m_width[pen] = width;
}

float CDsPlotPallete::GetWidth(int pen) const
{
    if (pen < 0 || pen >= kPenCount) return 0.0f;
    return m_width[pen];
}

void CDsPlotPallete::SetWidth(int color, int pen)
{
    if (color < 0 || color >= kPenCount) return;
    m_pen[color] = pen;
}

void CDsPlotPallete::SetColorPallete(CDsPalette* palette)
{
    if (palette == m_palette) return;
    delete m_palette;
    m_palette = palette;
}

int CDsPlotPallete::GetWidth(CDsColorStorage* color) const
{
    if (!m_palette) return 0;
    if (m_palette->GetCount() < 16) return static_cast<int>(m_width[0]);
    if (!color) return m_pen[0];
    for (int i = 0; i < kPenCount; ++i) {
        CDsColorStorage entry;
        if (m_palette->GetColor(i, entry) && entry.GetColorRef() == color->GetColorRef()) return m_pen[i];
    }
    return m_pen[0];
}
