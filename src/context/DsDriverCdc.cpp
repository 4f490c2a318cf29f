// CDsDriverCdc: the core view's device-context driver: style and plot pens, markers and text.
#include "DsDriverCdc.h"

#include "DsPlotPallete.h"
#include "DsStylePalette.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "VyrString.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

CDsDriverCdc::CDsDriverCdc() : CDsDriverCdc(nullptr) {}

CDsDriverCdc::CDsDriverCdc(CWnd* window) : CDsDriverCdcBase(window)
{
    ResetMembers();
    CDsDriverCdc::SetPen();
}

CDsDriverCdc::~CDsDriverCdc()
{
    m_font.DeleteMyFont();
}

void CDsDriverCdc::ResetMembers()
{
    m_pattern = 0xFFFF;
    m_factor = 1;
}

// --- Pens --------------------------------------------------------------------------------------

void CDsDriverCdc::SetPen()
{
    m_pen.DeleteObject();
    const int style = m_pattern == 0xFFFF ? PS_SOLID : PS_DASH;
    if (CDsView3dCdc::StGetPlotMode() == ePlotModeNone)
        m_pen.CreatePen(style, m_penWidth, GetForegroundColor());
    else
        CreateBrush();
}

// The plot pen: solid in the plot width for a solid pattern; otherwise user-style runs, a run for
// each change of the pattern's 16 bits (from bit 0 up), each bit adding factor x pixels per
// millimetre x 0.3 and truncating.
void CDsDriverCdc::CreateBrush()
{
    m_pen.DeleteObject();
    const COLORREF color = CDsView3dCdc::StGetPlotMode() == ePlotModeColors ? GetForegroundColor() : RGB(0, 0, 0);
    const double pixelsPerMm = GetPrinterPixelsInMm();
    const int width = GetPlotBrushWidth();
    if (m_pattern == 0xFFFF) {
        m_pen.CreatePen(PS_SOLID, width, color);
        return;
    }
    const double dash = m_factor * pixelsPerMm * 0.3;
    DWORD runs[16] = {};
    int k = 0;
    int state = m_pattern & 1;
    for (int i = 0; i < 16; ++i) {
        const int bit = (m_pattern >> i) & 1;
        if (bit != state) {
            ++k;
            state = bit;
            runs[k] = 0;
        }
        runs[k] = static_cast<DWORD>(std::trunc(static_cast<double>(runs[k]) + dash));
    }
    LOGBRUSH brush{BS_SOLID, color, 0};
    if (!m_pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, width, &brush, k + 1, runs))
        m_pen.CreatePen(PS_SOLID, width, color);
}

double CDsDriverCdc::GetPrinterPixelsInMm()
{
    CDC* dc = GetDC();
    if (!dc) return 0.0;
    const double pixels = (dc->GetDeviceCaps(LOGPIXELSX) / 25.4 + dc->GetDeviceCaps(LOGPIXELSY) / 25.4) / 2.0;
    ReleaseDC(dc);
    return pixels;
}

int CDsDriverCdc::GetPlotBrushWidth()
{
    if (m_penWidth < 1) m_penWidth = 1;
    const double millimetres = CDsPlotPallete::StGetInstance()->GetWidth(m_penWidth);
    const int width = static_cast<int>(GetPrinterPixelsInMm() * millimetres);
    return std::max(width, 1);
}

void CDsDriverCdc::set_foreground_rgb(rgb_color color)
{
    const EPlotMode plot = CDsView3dCdc::StGetPlotMode();
    if (plot == 1 || plot == ePlotModePenWidths) color = rgb_color(0.0, 0.0, 0.0);
    if (color == m_foreground) return;
    CDsDriverCdcBase::set_foreground_rgb(color);
    glColor3f(static_cast<GLfloat>(color.red()), static_cast<GLfloat>(color.green()),
              static_cast<GLfloat>(color.blue()));
}

bool CDsDriverCdc::StorePenStyle(line_style style)
{
    uint16_t pattern = 0xFFFF;
    int factor = 1;
    if (!CDsStylePalette::StGetActive()->GetStyle(static_cast<int>(style), pattern, factor)) {
        pattern = 0xFFFF;
        factor = 1;
    }
    if (pattern == m_pattern && factor == m_factor) return false;
    m_pattern = pattern;
    m_factor = factor;
    return true;
}

// --- Font --------------------------------------------------------------------------------------

int CDsDriverCdc::set_text_font(const char* name)
{
    m_font.SetName(CVyrString(name));
    return 1;
}

void CDsDriverCdc::set_text_size(int size)
{
    driver_context::set_text_size(size);
    m_font.SetHeight(size);
}

void CDsDriverCdc::SetTextSlanted(bool slanted) { m_font.SetSlanted(slanted); }

void CDsDriverCdc::SetTextLineBaseAngle(int degrees) { m_font.SetLineAngle(static_cast<float>(degrees)); }

void CDsDriverCdc::SetFont(const CDsNFontStorage& font) { m_font = font; }

UINT CDsDriverCdc::SetTextAlignment(CDC* dc, EDsTextLineAlignment align)
{
    if (!dc) return GDI_ERROR;
    const UINT horizontal = align == eDsTextLineCenter ? TA_CENTER : align == eDsTextLineRight ? TA_RIGHT : TA_LEFT;
    return dc->SetTextAlign(TA_BASELINE | horizontal);
}

// --- Markers -----------------------------------------------------------------------------------

int CDsDriverCdc::draw_point_2d(float x, float y)
{
    const float h = static_cast<float>(get_point_size() / 2);
    int hit = 0;
    auto line = [&](std::vector<float> xy) {
        hit |= draw_polyline_2d(static_cast<int>(xy.size() / 2), xy.data(), 0);
    };
    // A closed polygon of offsets from (x, y).
    auto closed = [&](const std::vector<float>& offsets) {
        std::vector<float> xy;
        for (size_t i = 0; i + 1 < offsets.size(); i += 2) {
            xy.push_back(x + offsets[i]);
            xy.push_back(y + offsets[i + 1]);
        }
        xy.push_back(xy[0]);
        xy.push_back(xy[1]);
        line(xy);
    };
    // A 12-sided circle through (r, 0), (a, b), (b, a), (0, r)... in the four quadrants.
    auto circle = [&](float r, float a, float b) {
        closed({r, 0, a, b, b, a, 0, r, -b, a, -a, b, -r, 0, -a, -b, -b, -a, 0, -r, b, -a, a, -b});
    };
    const float k = h / 11.0f;
    switch (static_cast<int>(get_point_style())) {
    case 1: closed({-h, -h, h, -h, h, h, -h, h}); break;
    case 2:
        line({x - h, y, x + h + 1, y});
        line({x, y - h, x, y + h + 1});
        break;
    case 3: closed({-h, -h, -h, h, h, h, h, -h}); break;
    case 4: closed({-h, 0, 0, -h, h, 0, 0, h}); break;
    case 5: closed({-h, 0, -h / 2, -h, h / 2, -h, h, 0, h / 2, h, -h / 2, h}); break;
    case 6: circle(h, 9 * k, 6 * k); break;
    case 7:
        closed({-1, -2, 1, -2, 2, -1, 2, 1, 1, 2, -1, 2, -2, 1, -2, -1});
        circle(h, 9 * k, 6 * k);
        break;
    case 8:
        circle(h, 9 * k, 6 * k);
        circle(8 * k, 7 * k, 4 * k);
        break;
    case 9: {
        const int width = get_line_width();
        set_line_width(2 * static_cast<int>(h));
        line({x, y, x, y});
        set_line_width(width);
        break;
    }
    default:
        line({x - h, y - h, x + h + 1, y + h + 1});
        line({x - h, y + h, x + h + 1, y - h - 1});
        break;
    }
    return hit;
}

// --- Text --------------------------------------------------------------------------------------

CFont* CDsDriverCdc::SelectTextFont(CDC* dc)
{
    return m_font.SelectMyFont(dc);
}

void CDsDriverCdc::ReleaseTextFont(CDC* dc, CFont* previous)
{
    m_font.ReleaseMyFont(dc, previous);
}

int CDsDriverCdc::draw_text_2d(float x, float y, const CVyrString& text)
{
    const CTextDC textDC(*this);
    CDC* dc = textDC.Get();
    if (!dc) return 0;
    CFont* previousFont = SelectTextFont(dc);
    const int left = static_cast<int>(std::floor(x)), top = static_cast<int>(std::floor(y));
    RECT box{left, top, left + 100, top + 100};
    UINT format = DT_NOCLIP | DT_NOPREFIX;
    if (m_font.GetRightToLeft()) format |= DT_RTLREADING;
    dc->DrawTextW(text.GetString(), text.GetLength(), &box, format);
    ReleaseTextFont(dc, previousFont);
    return 0;
}

int CDsDriverCdc::DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                             int* dx)
{
    const CTextDC textDC(*this);
    CDC* dc = textDC.Get();
    if (!dc) return 0;
    CFont* previousFont = font.SelectMyFont(dc);
    const UINT previousAlign = SetTextAlignment(dc, align);
    const UINT options = font.GetRightToLeft() ? ETO_RTLREADING : 0;
    dc->ExtTextOutW(x, y, options, nullptr, text.GetString(), static_cast<UINT>(text.GetLength()), dx);
    if (previousAlign != GDI_ERROR) dc->SetTextAlign(previousAlign);
    font.ReleaseMyFont(dc, previousFont);
    return 0;
}

int CDsDriverCdc::DrawText3D(CGmPosition& p, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                             int* dx)
{
    if (!m_view) return 0;
    float x = 0.0f, y = 0.0f;
    if (!m_view->world_to_drawable(p, x, y)) return 0;
    return DrawText2D(static_cast<int>(x), static_cast<int>(y), text, font, align, dx);
}

void CDsDriverCdc::DrawImage(const CBitmap&, int, int, int, int) {}

void CDsDriverCdc::InValidateView()
{
    if (m_window && m_window->GetSafeHwnd()) m_window->InvalidateRect(nullptr, TRUE);
}
