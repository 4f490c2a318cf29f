// CDsDriverCdcBase: the device context of a view's window, its GDI pen, brush and palette, and
// the modeler's two-dimensional drawing calls drawn with GDI.
#include "DsDriverCdcBase.h"

#include "DsLogicalPalette.h"
#include "VyrString.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

bool PositiveFinite(double v) { return v > 0.0 && std::isfinite(v); }

}  // namespace

CDsDriverCdcBase::CDsDriverCdcBase() : CDsDriverCdcBase(nullptr) {}

CDsDriverCdcBase::CDsDriverCdcBase(CWnd* window) : m_window(window)
{
    m_foreground.set_windows_color(GetSysColor(COLOR_WINDOWTEXT));
    m_background.set_windows_color(GetSysColor(COLOR_WINDOW));
    // A white pen like the stock one, but the driver's own: it is made anew with other styles.
    m_rubberBandPen.CreatePen(PS_SOLID, 0, kWhite);
    CDsDriverCdcBase::SetPen();
    SetBackgroundBrush();
    m_penInUse = &m_pen;
}

CDsDriverCdcBase::~CDsDriverCdcBase()
{
    if (m_imageDC) CDsDriverCdcBase::image_end();
    FinishRelease();
    delete[] reinterpret_cast<unsigned char*>(m_bitmapInfo);
    delete[] m_scanlineBuffer;
    delete m_palette;
}

// --- Device context ----------------------------------------------------------------------------

CDC* CDsDriverCdcBase::GetDC()
{
    if (m_dcUseCount > 0 && m_currentDC) {
        ++m_dcUseCount;
        // A DC held long (a view's OpenGL record keeps its window's) follows the viewport as it
        // is now, not as it was when first taken.
        if (m_savedMapMode) MapViewport(m_currentDC);
        return m_currentDC;
    }
    CDC* dc = m_externalDC;
    if (!dc && m_window && m_window->GetSafeHwnd()) {
        HDC handle = ::GetDC(m_window->GetSafeHwnd());
        if (handle && m_windowDC.Attach(handle)) dc = &m_windowDC;
    }
    if (!dc || !dc->GetSafeHdc()) return nullptr;
    m_currentDC = dc;
    m_dcUseCount = 1;
    m_savedMapMode = 0;
    if (m_autoMapMode) {
        // The viewport's drawable coordinates map onto the DC at the viewport's corner.
        HDC handle = dc->GetSafeHdc();
        GetWindowExtEx(handle, &m_savedWindowExt);
        GetViewportExtEx(handle, &m_savedViewportExt);
        GetViewportOrgEx(handle, &m_savedViewportOrg);
        m_savedMapMode = dc->SetMapMode(MM_ANISOTROPIC);
        MapViewport(dc);
    }
    return m_currentDC;
}

void CDsDriverCdcBase::MapViewport(CDC* dc)
{
    dc->SetWindowExt(m_viewport_width, m_viewport_height);
    dc->SetViewportExt(m_viewport_width, m_viewport_height);
    dc->SetViewportOrg(m_viewport_x, m_viewport_y);
}

int CDsDriverCdcBase::ReleaseDC(CDC* dc)
{
    if (!dc || m_dcUseCount <= 0) return m_dcUseCount;
    if (--m_dcUseCount >= 1) return m_dcUseCount;
    FinishRelease();
    return 0;
}

void CDsDriverCdcBase::FinishRelease()
{
    if (m_currentDC) {
        if (m_savedMapMode) {
            m_currentDC->SetMapMode(m_savedMapMode);
            if (m_savedMapMode == MM_ANISOTROPIC || m_savedMapMode == MM_ISOTROPIC) {
                m_currentDC->SetWindowExt(m_savedWindowExt.cx, m_savedWindowExt.cy);
                m_currentDC->SetViewportExt(m_savedViewportExt.cx, m_savedViewportExt.cy);
            }
            m_currentDC->SetViewportOrg(m_savedViewportOrg.x, m_savedViewportOrg.y);
            m_savedMapMode = 0;
        }
        if (m_currentDC == &m_windowDC) {
            // Not through m_window: the window object may be gone before its view (see the header).
            HDC handle = m_windowDC.Detach();
            if (HWND owner = ::WindowFromDC(handle)) ::ReleaseDC(owner, handle);
        }
    }
    m_currentDC = nullptr;
    m_dcUseCount = 0;
}

void CDsDriverCdcBase::SetDC(CDC* dc)
{
    if (m_imageDC) image_end();
    FinishRelease();
    m_externalDC = dc;
}

void CDsDriverCdcBase::ClearDC()
{
    SetDC(nullptr);
}

HDC CDsDriverCdcBase::get_device_context()
{
    CDC* dc = GetDC();
    return dc ? dc->GetSafeHdc() : nullptr;
}

void CDsDriverCdcBase::release_device_context(HDC)
{
    if (m_currentDC) ReleaseDC(m_currentDC);
}

void CDsDriverCdcBase::recompute_viewport()
{
    if (!m_window || !m_window->GetSafeHwnd()) return;
    RECT client{0, 0, 0, 0};
    m_window->GetClientRect(&client);
    set_viewport(client.left, client.top, client.right - client.left, client.bottom - client.top);
}

// --- Scales ------------------------------------------------------------------------------------

void CDsDriverCdcBase::SetPixelsPerUnit(double x, double y)
{
    if (!PositiveFinite(x) || !PositiveFinite(y)) return;
    m_xPixelsPerUnit = x;
    m_yPixelsPerUnit = y;
    m_pixelsPerUnitFlag = 1;
    if (m_view) m_view->invalidate_ctm();
}

void CDsDriverCdcBase::GetPixelsPerUnit(double& x, double& y) const
{
    x = m_xPixelsPerUnit;
    y = m_yPixelsPerUnit;
}

void CDsDriverCdcBase::GetImageSize(int& width, int& height) const
{
    width = static_cast<int>(m_viewport_width / m_xPixelsPerUnit);
    height = static_cast<int>(m_viewport_height / m_yPixelsPerUnit);
}

void CDsDriverCdcBase::AdjustWindowSize()
{
    if (!m_view) return;
    const double imageScale = m_view->get_image_scale();
    acis_camera& camera = m_view->get_camera();
    camera.SetWidth(m_viewport_width / m_xPixelsPerUnit / imageScale);
    camera.SetHeight(m_viewport_height / m_yPixelsPerUnit / imageScale);
    m_view->invalidate_ctm();
}

void CDsDriverCdcBase::UpdateColors()
{
    if (!m_palette) return;
    CDC* dc = GetDC();
    if (!dc) return;
    CPalette* previous = dc->SelectPalette(m_palette, FALSE);
    dc->RealizePalette();
    dc->UpdateColors();
    if (previous) dc->SelectPalette(previous, FALSE);
    ReleaseDC(dc);
}

// --- Pens, colours and modes -------------------------------------------------------------------

void CDsDriverCdcBase::SetPen()
{
    m_pen.DeleteObject();
    m_pen.CreatePen(m_penWidth > 1 ? PS_SOLID : m_penStyle, m_penWidth, GetForegroundColor());
}

void CDsDriverCdcBase::SetBackgroundBrush()
{
    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(GetBackgroundColor());
}

void CDsDriverCdcBase::name_window(const char*) {}

int CDsDriverCdcBase::get_driver_capabilities() { return 11; }

void CDsDriverCdcBase::set_foreground_rgb(rgb_color color)
{
    if (color == m_foreground) return;
    m_foreground = color;
    SetPen();
}

rgb_color CDsDriverCdcBase::get_foreground_rgb() { return m_foreground; }

void CDsDriverCdcBase::set_background_rgb(rgb_color color)
{
    if (color == m_background) return;
    m_background = color;
    SetBackgroundBrush();
}

rgb_color CDsDriverCdcBase::get_background_rgb() { return m_background; }

void CDsDriverCdcBase::set_foreground_to_background() { set_foreground_rgb(m_background); }

void CDsDriverCdcBase::set_drawing_mode(drawing_mode mode)
{
    driver_context::set_drawing_mode(mode);
    m_rasterOperation = mode == drawing_mode_xor ? R2_XORPEN : R2_COPYPEN;
}

void CDsDriverCdcBase::set_line_style(line_style style)
{
    driver_context::set_line_style(style);
    if (!StorePenStyle(style)) return;
    SetPen();
    m_penInUse = &m_pen;
}

bool CDsDriverCdcBase::StorePenStyle(line_style style)
{
    const int penStyle = style == line_style_dashed ? PS_DASH : style == line_style_dotted ? PS_DOT : PS_SOLID;
    if (penStyle == m_penStyle) return false;
    m_penStyle = penStyle;
    return true;
}

void CDsDriverCdcBase::set_line_width(int width)
{
    driver_context::set_line_width(width);
    if (width == m_penWidth || width < 0) return;
    m_penWidth = width;
    m_penStyle = PS_SOLID;
    SetPen();
}

int CDsDriverCdcBase::set_text_font(const char*) { return 1; }

void CDsDriverCdcBase::set_text_size(int size) { driver_context::set_text_size(size); }

void CDsDriverCdcBase::set_rubberband_mode(int on)
{
    driver_context::set_rubberband_mode(on);
    m_rasterOperation = on ? R2_XORPEN : R2_COPYPEN;
    m_penInUse = on ? &m_rubberBandPen : &m_pen;
}

int CDsDriverCdcBase::GetRubberBandLineStyle(line_style& style)
{
    LOGPEN description{};
    const int read = m_rubberBandPen.GetLogPen(&description);
    if (read > 0) style = static_cast<line_style>(description.lopnStyle);
    return read;
}

void CDsDriverCdcBase::SetRubberBandLineStyle(line_style style)
{
    driver_context::SetRubberBandLineStyle(style);
    LOGPEN description{};
    const bool described = m_rubberBandPen.GetLogPen(&description) > 0;
    m_rubberBandPen.DeleteObject();
    if (described) {
        description.lopnStyle = static_cast<UINT>(style);
        if (m_rubberBandPen.CreatePenIndirect(&description)) return;
    } else if (m_rubberBandPen.CreatePen(style, 1, kWhite)) {
        return;
    }
    // A style GDI does not know: the band stays visible, solid.
    m_rubberBandPen.CreatePen(PS_SOLID, described ? description.lopnWidth.x : 1,
                              described ? description.lopnColor : kWhite);
}

// --- Drawing -----------------------------------------------------------------------------------

void CDsDriverCdcBase::ToPoints(int n, const float* xy, POINT* points)
{
    for (int i = 0; i < n; ++i)
        points[i] = POINT{static_cast<LONG>(std::floor(xy[2 * i])), static_cast<LONG>(std::floor(xy[2 * i + 1]))};
}

int CDsDriverCdcBase::draw_polyline_2d(int n, const float* xy, int fill)
{
    if (is_picking()) return pick_polyline_2d(n, xy, fill);
    if (n < 1 || !xy) return 0;
    CDC* dc = GetDC();
    if (!dc) return 0;
    POINT onStack[100];
    std::vector<POINT> onHeap;
    POINT* points = onStack;
    if (n > 100) {
        onHeap.resize(static_cast<size_t>(n));
        points = onHeap.data();
    }
    ToPoints(n, xy, points);
    CPen* previousPen = dc->SelectObject(m_penInUse);
    const int previousRop = dc->SetROP2(m_rasterOperation);
    if (fill) {
        CBrush brush;
        brush.CreateSolidBrush(GetForegroundColor());
        CBrush* previousBrush = dc->SelectObject(&brush);
        dc->Polygon(points, n);
        if (previousBrush) dc->SelectObject(previousBrush);
    } else {
        const int previousMode = dc->SetBkMode(TRANSPARENT);
        dc->Polyline(points, n);
        if (previousMode) dc->SetBkMode(previousMode);
    }
    if (previousRop) dc->SetROP2(previousRop);
    if (previousPen) dc->SelectObject(previousPen);
    ReleaseDC(dc);
    return 0;
}

int CDsDriverCdcBase::pick_polyline_2d(int n, const float* xy, int closed)
{
    if (is_picking()) return driver_context::pick_polyline_2d(n, xy, closed);
    if (!xy) n = 0;
    std::printf("driver_context::draw_polyline_2d %d points: ", n);
    for (int i = 0; i < n; ++i)
        std::printf("\t%d %d\n", static_cast<int>(xy[2 * i]), static_cast<int>(xy[2 * i + 1]));
    return 0;
}

int CDsDriverCdcBase::set_pixel(float x, float y)
{
    if (!m_externalDC) return 0;
    CDC* dc = GetDC();
    if (!dc) return 0;
    const COLORREF set = dc->SetPixel(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)),
                                      GetForegroundColor());
    ReleaseDC(dc);
    return set == CLR_INVALID ? 0 : 1;
}

int CDsDriverCdcBase::draw_text_2d(float x, float y, const char* text)
{
    if (!text) return 0;
    if (is_picking()) return driver_context::draw_text_2d(x, y, text);
    const CTextDC textDC(*this);
    CDC* dc = textDC.Get();
    if (!dc) return 0;
    CFont* previousFont = SelectTextFont(dc);
    const CVyrString wide(text);
    dc->TextOutW(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), wide.GetString(), wide.GetLength());
    ReleaseTextFont(dc, previousFont);
    return 0;
}

CFont* CDsDriverCdcBase::SelectTextFont(CDC* dc)
{
    return m_textFont ? dc->SelectObject(m_textFont) : nullptr;
}

void CDsDriverCdcBase::ReleaseTextFont(CDC* dc, CFont* previous)
{
    if (previous) dc->SelectObject(previous);
}

CDsDriverCdcBase::CTextDC::CTextDC(CDsDriverCdcBase& driver) : m_driver(driver), m_dc(driver.GetDC())
{
    if (!m_dc) return;
    m_previousMode = m_dc->SetBkMode(TRANSPARENT);
    m_previousText = m_dc->SetTextColor(driver.GetForegroundColor());
    m_previousBack = m_dc->SetBkColor(driver.GetBackgroundColor());
}

CDsDriverCdcBase::CTextDC::~CTextDC()
{
    if (!m_dc) return;
    m_dc->SetBkColor(m_previousBack);
    m_dc->SetTextColor(m_previousText);
    if (m_previousMode) m_dc->SetBkMode(m_previousMode);
    m_driver.ReleaseDC(m_dc);
}

// Colour bits: 1 or 2 give one level of monochrome; 4 two levels, 8 six levels (a colour cube)
// and 16 thirty-two levels of indexed colour; 24, 32 and any other depth direct colour with 256
// levels. Without a DC the depth last seen is used (0 at first: direct colour).
void CDsDriverCdcBase::get_color_map(ColorMode& mode, int& red, int& green, int& blue)
{
    if (CDC* dc = GetDC()) {
        m_deviceColorBits = dc->GetDeviceCaps(BITSPIXEL) * dc->GetDeviceCaps(PLANES);
        ReleaseDC(dc);
    }
    int levels = 256;
    mode = color_mode_rgb;
    switch (m_deviceColorBits) {
    case 1:
    case 2:
        mode = color_mode_monochrome;
        levels = 1;
        break;
    case 4:
        mode = color_mode_indexed;
        levels = 2;
        break;
    case 8:
        mode = color_mode_indexed;
        levels = 6;
        break;
    case 16:
        mode = color_mode_indexed;
        levels = 32;
        break;
    default: break;
    }
    red = green = blue = levels;
}

void CDsDriverCdcBase::SelectColorCube(CDC* dc)
{
    if (!m_palette) {
        // Entry r x 36 + g x 6 + b: red r, green g and blue b of six levels each, 51 apart.
        std::vector<uint32_t> cube;
        cube.reserve(216);
        for (uint32_t r = 0; r < 6; ++r)
            for (uint32_t g = 0; g < 6; ++g)
                for (uint32_t b = 0; b < 6; ++b) cube.push_back(51 * r | (51 * g) << 8 | (51 * b) << 16);
        m_palette = new CPalette();
        if (!m_palette->CreatePalette(CDsLogicalPalette(cube).Get())) {
            delete m_palette;
            m_palette = nullptr;
            return;
        }
    }
    CPalette* previous = dc->SelectPalette(m_palette, FALSE);
    m_previousPalette = previous ? static_cast<HPALETTE>(previous->GetSafeHandle()) : nullptr;
    dc->RealizePalette();
}

void CDsDriverCdcBase::image_start(int, int, int w, int)
{
    if (m_imageDC) image_end();
    if (w < 1) return;
    CDC* dc = GetDC();
    if (!dc) return;
    m_imageDC = dc;
    m_deviceColorBits = dc->GetDeviceCaps(BITSPIXEL) * dc->GetDeviceCaps(PLANES);
    m_paletteDevice = (dc->GetDeviceCaps(RASTERCAPS) & RC_PALETTE) != 0;
    unsigned char* header = new unsigned char[sizeof(BITMAPINFO)]();
    m_bitmapInfo = reinterpret_cast<BITMAPINFO*>(header);
    m_bitmapInfo->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    m_bitmapInfo->bmiHeader.biWidth = w;
    m_bitmapInfo->bmiHeader.biHeight = 1;
    m_bitmapInfo->bmiHeader.biPlanes = 1;
    m_bitmapInfo->bmiHeader.biBitCount = 24;
    m_bitmapInfo->bmiHeader.biCompression = BI_RGB;
    m_scanlineBuffer = new unsigned char[(static_cast<size_t>(w) * 3 + 3) & ~size_t(3)]();
    m_scanlineWidth = w;
    if (m_paletteDevice && m_deviceColorBits == 8) SelectColorCube(dc);
}

int CDsDriverCdcBase::draw_scanline(int x, int y, int w, int* pixels)
{
    if (w != m_scanlineWidth || !m_scanlineBuffer || !pixels || w < 1) return 0;
    CDC* dc = GetDC();
    if (!dc) return 0;
    for (int i = 0; i < w; ++i) {
        const unsigned int v = static_cast<unsigned int>(pixels[i]);
        unsigned int blue = 0, green = 0, red = 0;
        switch (m_deviceColorBits) {
        case 1:
        case 2: blue = green = red = v ? 255 : 0; break;
        case 4:
            blue = (v & 1) ? 255 : 0;
            green = (v & 2) ? 255 : 0;
            red = (v & 4) ? 255 : 0;
            break;
        case 8:
            blue = (v % 6) * 51;
            green = ((v / 6) % 6) * 51;
            red = std::min(v / 36 * 51, 255u);
            break;
        case 16:
            blue = (v & 31) << 3;
            green = ((v >> 5) & 31) << 3;
            red = ((v >> 10) & 31) << 3;
            break;
        case 24:
        case 32:
            blue = v & 0xFF;
            green = (v >> 8) & 0xFF;
            red = (v >> 16) & 0xFF;
            break;
        default: break;
        }
        m_scanlineBuffer[3 * i] = static_cast<unsigned char>(blue);
        m_scanlineBuffer[3 * i + 1] = static_cast<unsigned char>(green);
        m_scanlineBuffer[3 * i + 2] = static_cast<unsigned char>(red);
    }
    // The row's logical position on the device (the transfer itself counts device pixels).
    POINT origin{x, y};
    dc->LPtoDP(&origin);
    const int rows = ::SetDIBitsToDevice(dc->GetSafeHdc(), origin.x, origin.y, static_cast<DWORD>(w), 1, 0, 0, 0, 1,
                                         m_scanlineBuffer, m_bitmapInfo, DIB_RGB_COLORS);
    ReleaseDC(dc);
    return rows > 0 ? 1 : 0;
}

void CDsDriverCdcBase::image_end()
{
    delete[] reinterpret_cast<unsigned char*>(m_bitmapInfo);
    m_bitmapInfo = nullptr;
    delete[] m_scanlineBuffer;
    m_scanlineBuffer = nullptr;
    m_scanlineWidth = 0;
    if (!m_imageDC) return;
    if (m_previousPalette) {
        m_imageDC->SelectPalette(CPalette::FromHandle(m_previousPalette), FALSE);
        m_previousPalette = nullptr;
    }
    CDC* dc = m_imageDC;
    m_imageDC = nullptr;
    ReleaseDC(dc);
}

void CDsDriverCdcBase::clear() {}
