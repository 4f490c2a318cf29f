// CDsItemNText2D and CDsItemNText2DRelative: screen-aligned text.
#include "DsItemNText2D.h"

#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsItemBitmap.h"
#include "DsRectangle.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"
#include "pick_manager.h"
#include "view3d.h"

#include <afxwin.h>
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The largest font height and bitmap side kept, in pixels.
constexpr double kMaxPixels = 1000000.0;

bool IsBreak(wchar_t c)
{
    return c == L'\r' || c == L'\n';
}

// Start and end (exclusive) of line n (from 1) of `length` characters read by `at`.
template <typename At>
void LineBounds(int length, int n, At at, int& start, int& end)
{
    int i = 0, line = 1;
    while (i < length && line < n) {
        if (IsBreak(wchar_t(at(i)))) ++line;
        ++i;
    }
    if (line < n) {
        start = end = length;
        return;
    }
    start = i;
    while (i < length && line < n + 1) {
        if (IsBreak(wchar_t(at(i)))) ++line;
        ++i;
    }
    end = i;
    if (end > start && IsBreak(wchar_t(at(end - 1))) && line == n + 1) --end;
}

bool SameFont(const CDsNFontStorage& a, const CDsNFontStorage& b)
{
    const LOGFONTW& x = a.GetLogFont();
    const LOGFONTW& y = b.GetLogFont();
    return x.lfHeight == y.lfHeight && x.lfWidth == y.lfWidth && x.lfEscapement == y.lfEscapement &&
           x.lfOrientation == y.lfOrientation && x.lfWeight == y.lfWeight && x.lfItalic == y.lfItalic &&
           x.lfUnderline == y.lfUnderline && x.lfStrikeOut == y.lfStrikeOut && x.lfCharSet == y.lfCharSet &&
           x.lfQuality == y.lfQuality && x.lfPitchAndFamily == y.lfPitchAndFamily &&
           std::wcsncmp(x.lfFaceName, y.lfFaceName, LF_FACESIZE) == 0 && a.GetRightToLeft() == b.GetRightToLeft();
}

// trunc(pixels x ratio + 0.01), kept within the range of heights used.
long GdiHeight(double pixels, float ratio)
{
    const double h = std::clamp(pixels * double(ratio) + 0.01, -kMaxPixels, kMaxPixels);
    return long(std::trunc(h));
}

}  // namespace

// --- Construction -------------------------------------------------------------------------------

CDsItemNText2D::CDsItemNText2D(const CVyrString& text, const CVyrString& faceName, int height, int x, int)
{
    ResetMembers();
    m_text = new CVyrString(text);
    m_x = x;
    SetHeight(height);
    m_font.SetName(faceName);
}

CDsItemNText2D::CDsItemNText2D(const CVyrString& text, const CDsNFontStorage& font, int x, int)
{
    ResetMembers();
    m_text = new CVyrString(text);
    m_x = x;
    m_font = font;
}

CDsItemNText2D::CDsItemNText2D(const CDsItemNText2D& other) : CDsItem()
{
    ResetMembers();
    CopyFrom(other);
}

CDsItemNText2D& CDsItemNText2D::operator=(const CDsItemNText2D& other)
{
    if (this != &other) CopyFrom(other);
    return *this;
}

void CDsItemNText2D::CopyFrom(const CDsItemNText2D& other)
{
    CVyrString* text = other.m_text ? new CVyrString(*other.m_text) : nullptr;
    delete m_text;
    m_text = text;
    DeleteOldBitmap();
    m_font = other.m_font;
    m_x = other.m_x;
    m_y = other.m_y;
    m_pixelHeight = other.m_pixelHeight;
    m_alignment = other.m_alignment;
    m_modified = true;
    *GetAttributes() = *other.GetAttributes();
}

CDsItemNText2D::~CDsItemNText2D()
{
    delete m_text;
    delete m_bitmap;
}

void CDsItemNText2D::ResetMembers()
{
    m_text = nullptr;
    m_x = m_y = m_pixelHeight = 0;
    m_bitmap = nullptr;
    m_alignment = eDsTextLineLeft;
    m_modified = true;
    SetOnTopFlag(true);
}

void CDsItemNText2D::DeleteOldBitmap()
{
    delete m_bitmap;
    m_bitmap = nullptr;
}

void CDsItemNText2D::RemoveEndOfLineCharacter()
{
    if (!m_text || m_text->IsEmpty()) return;
    const int n = m_text->GetLength();
    if (m_text->GetString()[n - 1] != L'\n') return;
    *m_text = CVyrString(m_text->GetString(), n - 1);
    m_modified = true;
}

// --- Text state ---------------------------------------------------------------------------------

CVyrString CDsItemNText2D::GetText() const
{
    return m_text ? *m_text : CVyrString();
}

void CDsItemNText2D::SetFont(const CDsNFontStorage& font)
{
    const CDsNFontStorage before(m_font);
    m_font = font;
    m_pixelHeight = int(std::clamp<long>(m_font.GetHeight(), long(-kMaxPixels), long(kMaxPixels)));
    SetPreciseFontHeight();
    if (!SameFont(before, m_font)) m_modified = true;
}

void CDsItemNText2D::SetHeight(int pixels)
{
    if (pixels == m_pixelHeight && !m_modified) return;
    m_modified = true;
    m_pixelHeight = pixels;
    SetPreciseFontHeight();
    DeleteOldBitmap();
}

void CDsItemNText2D::SetPreciseFontHeight()
{
    m_font.SetHeight(GdiHeight(double(m_pixelHeight), m_font.GetEmAscentRatio()));
}

void CDsItemNText2D::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
    if (m_bitmap) m_bitmap->SetPosition(x, y);
}

void CDsItemNText2D::SetRightToLeft(bool rightToLeft)
{
    if (m_font.GetRightToLeft() != rightToLeft) m_modified = true;
    m_font.SetRightToLeft(rightToLeft);
}

void CDsItemNText2D::SetLineAngle(float degrees)
{
    const LONG before = m_font.GetLogFont().lfEscapement;
    m_font.SetLineAngle(degrees);
    if (m_font.GetLogFont().lfEscapement != before) m_modified = true;
}

void CDsItemNText2D::SetEscapement(long tenths)
{
    // A quarter of a tenth toward the value's side keeps trunc(degrees x 10) on `tenths`.
    SetLineAngle(float((double(tenths) + (tenths < 0 ? -0.25 : 0.25)) / 10.0));
}

void CDsItemNText2D::SetSlanted(bool slanted)
{
    if ((m_font.GetSlanted() != 0) != slanted) m_modified = true;
    m_font.SetSlanted(slanted);
}

// --- Lines of a string ---------------------------------------------------------------------------

int CDsItemNText2D::StCountStringLines(const CVyrString& text)
{
    int lines = 1;
    const wchar_t* s = text.GetString();
    for (int i = 0, n = text.GetLength(); i < n; ++i)
        if (IsBreak(s[i])) ++lines;
    return lines;
}

int CDsItemNText2D::StCountStringLines(const char* text)
{
    int lines = 1;
    if (text)
        for (; *text; ++text)
            if (*text == '\r' || *text == '\n') ++lines;
    return lines;
}

CVyrString* CDsItemNText2D::StGetLine(const CVyrString& text, int n)
{
    const wchar_t* s = text.GetString();
    int start = 0, end = 0;
    LineBounds(text.GetLength(), n, [s](int i) { return s[i]; }, start, end);
    return new CVyrString(s + start, end - start);
}

char* CDsItemNText2D::StGetLine(const char* text, int n)
{
    const int length = text ? int(std::strlen(text)) : 0;
    int start = 0, end = 0;
    LineBounds(length, n, [text](int i) { return static_cast<unsigned char>(text[i]); }, start, end);
    char* line = new char[size_t(end - start) + 1];
    if (end > start) std::memcpy(line, text + start, size_t(end - start));
    line[end - start] = 0;
    return line;
}

// --- Geometry ------------------------------------------------------------------------------------

float CDsItemNText2D::GetAlignmentRatio() const
{
    switch (m_alignment) {
    case eDsTextLineCenter: return 0.5f;
    case eDsTextLineRight: return 1.0f;
    default: return 0.0f;
    }
}

float CDsItemNText2D::GetAngleRadians() const
{
    return float(double(m_font.GetLogFont().lfEscapement) * 0.1 * M_PI / 180.0);
}

float CDsItemNText2D::GetTruncatedAngle() const
{
    const double d = double(m_font.GetLogFont().lfEscapement) * 0.1;
    const double whole = std::trunc(d);
    double t = (d - whole) + std::fmod(whole, 360.0);
    if (t < -180.0)
        t += 360.0;
    else if (t > 180.0)
        t -= 360.0;
    return float(t);
}

bool CDsItemNText2D::IsRectangleDrawRequired(view3d& view) const
{
    return view.GetFlag(eDsViewFlagFastRefresh) || m_pixelHeight > 500;
}

void CDsItemNText2D::ComputeBitmapDimensions(float w, float h, float& bitmapW, float& bitmapH) const
{
    const float a = GetAngleRadians();
    const float c = std::cos(a), s = std::sin(a);
    bitmapW = std::fabs(c * w) + std::fabs(s * h) + h;
    bitmapH = std::fabs(s * w) + std::fabs(c * h) + h;
}

void CDsItemNText2D::ComputeAlignmentOffsets(float w, float angle, float& dx, float& dy) const
{
    dx = dy = 0.0f;
    if (m_alignment == eDsTextLineLeft) return;
    const float length = m_alignment == eDsTextLineCenter ? w * 0.5f : w;
    dx = std::cos(angle) * length;
    dy = std::sin(angle) * length;
}

void CDsItemNText2D::ComputeOffsets(float w, float h, float bitmapW, float bitmapH, float& ax, float& ay, int& xOff,
                                    int& yOff) const
{
    const float t = GetTruncatedAngle();
    if (t >= 0.0f && t < 90.0f) {
        xOff = int(h);
        yOff = int(bitmapH - h);
    } else if (t >= 90.0f) {
        xOff = int(bitmapW - h);
        yOff = int(bitmapH - h);
    } else if (t < -90.0f) {
        xOff = int(bitmapW - h);
        yOff = int(h);
    } else {
        xOff = int(h);
        yOff = int(h);
    }
    ax = float(xOff);
    ay = bitmapH - float(yOff);
    float dx = 0.0f, dy = 0.0f;
    ComputeAlignmentOffsets(w, GetAngleRadians(), dx, dy);
    ax += dx;
    ay += dy;
}

void CDsItemNText2D::ComputeBoundingRectangleInPixels(view3d& view, float& width, float& height)
{
    if (!HasText()) return;
    CDsView3dCdc* core = dynamic_cast<CDsView3dCdc*>(&view);
    CDC* dc = core ? core->GetCdc() : nullptr;
    if (!dc) return;
    CFont* previous = m_font.SelectMyFont(dc);
    SIZE extent{};
    if (::GetTextExtentPoint32W(dc->GetSafeHdc(), m_text->GetString(), m_text->GetLength(), &extent)) {
        width = float(extent.cx);
        height = float(extent.cy);
    }
    m_font.ReleaseMyFont(dc, previous);
    core->ReleaseCdc(dc);
}

void CDsItemNText2D::ComputeCharWidths(double, int*& advances)
{
    advances = nullptr;
}

void CDsItemNText2D::ComputeDimensionsAndCreateBitmap(view3d& view, int& xOff, int& yOff)
{
    float w = 0.0f, h = 0.0f;
    ComputeBoundingRectangleInPixels(view, w, h);
    float bitmapW = 0.0f, bitmapH = 0.0f;
    ComputeBitmapDimensions(w, h, bitmapW, bitmapH);
    float ax = 0.0f, ay = 0.0f;
    ComputeOffsets(w, h, bitmapW, bitmapH, ax, ay, xOff, yOff);
    const bool fits = bitmapW <= kMaxPixels && bitmapH <= kMaxPixels && std::isfinite(ax) && std::isfinite(ay);
    const int width = fits ? int(bitmapW) : 0, height = fits ? int(bitmapH) : 0;
    const int hotX = fits ? int(ax) : 0, hotY = fits ? int(ay) : 0;
    if (m_bitmap) {
        int oldW = 0, oldH = 0;
        m_bitmap->GetSize(oldW, oldH);
        if (oldW != width || oldH != height) {
            // The text no longer fits the bitmap it was drawn into: a new one of its size.
            DeleteOldBitmap();
            m_modified = true;
        }
    }
    if (!m_bitmap)
        m_bitmap = new CDsItemBitmap(width, height, m_x, m_y, hotX, hotY);
    else
        m_bitmap->SetPosition(m_x, m_y, hotX, hotY);
}

void CDsItemNText2D::DrawTextToBitmap(view3d& view, int xOff, int yOff)
{
    if (!m_bitmap || !HasText() || !m_bitmap->GetBits()) return;
    CDsView3dCdc* core = dynamic_cast<CDsView3dCdc*>(&view);
    CDC* viewDc = core ? core->GetCdc() : nullptr;
    if (!viewDc) return;
    int width = 0, height = 0;
    m_bitmap->GetSize(width, height);
    const int rowWidth = width - width % 32 + 32;
    CDC memory;
    CBitmap picture;
    if (memory.CreateCompatibleDC(viewDc) && picture.CreateCompatibleBitmap(&memory, rowWidth, height)) {
        CBitmap* previousBitmap = memory.SelectObject(&picture);
        const COLORREF previousText = memory.SetTextColor(RGB(255, 255, 255));
        const COLORREF previousBack = memory.SetBkColor(RGB(0, 0, 0));
        const int previousMode = memory.SetBkMode(TRANSPARENT);
        CFont* previousFont = m_font.SelectMyFont(&memory);
        int* advances = nullptr;
        ComputeCharWidths(view.get_units_per_pixel(), advances);
        const UINT previousAlign = memory.SetTextAlign(TA_BASELINE);
        memory.ExtTextOutW(xOff, yOff, m_font.GetRightToLeft() ? ETO_RTLREADING : 0, nullptr, m_text->GetString(),
                           UINT(m_text->GetLength()), advances);
        delete[] advances;
        memory.SetTextAlign(previousAlign);
        memory.SetBkMode(previousMode);
        memory.SetTextColor(previousText);
        memory.SetBkColor(previousBack);
        m_font.ReleaseMyFont(&memory, previousFont);
        memory.SelectObject(previousBitmap);
        m_bitmap->CopyFromBitmap(static_cast<HBITMAP>(picture.GetSafeHandle()));
    }
    core->ReleaseCdc(viewDc);
}

void CDsItemNText2D::DrawRectangle(view3d& view)
{
    SDsBox2D box{1, 1, 0, 0};
    if (!GetBoundBox2D(box)) return;
    CDsDriverGl::DrawRectangle(view, box, GetAngleRadians(), float(m_x), float(m_y));
}

void CDsItemNText2D::DrawBitMap(view3d& view)
{
    int xOff = 0, yOff = 0;
    ComputeDimensionsAndCreateBitmap(view, xOff, yOff);
    if (!m_bitmap || !m_bitmap->IsInView(view)) return;
    if (m_modified) DrawTextToBitmap(view, xOff, yOff);
    m_bitmap->Refresh(view);
    m_modified = false;
}

void CDsItemNText2D::ComputeRectangle(view3d* view, int corners[8])
{
    float w = 0.0f, h = 0.0f;
    if (view) ComputeBoundingRectangleInPixels(*view, w, h);
    const int s0 = int(GetAlignmentRatio() * w);
    const int u[4] = {-s0, -s0, int(w - float(s0)), int(w - float(s0))};
    const int v[4] = {0, int(h), int(h), 0};
    const float a = GetAngleRadians();
    const float c = std::cos(a), s = std::sin(a);
    for (int i = 0; i < 4; ++i) {
        corners[2 * i] = int(float(m_x) + float(u[i]) * c - float(v[i]) * s);
        corners[2 * i + 1] = int(float(m_y) + float(u[i]) * s + float(v[i]) * c);
    }
}

bool CDsItemNText2D::PointsInsidePickRegion(const int corners[8], int xmin, int xmax, int ymin, int ymax)
{
    for (int i = 0; i < 4; ++i) {
        const int x = corners[2 * i], y = corners[2 * i + 1];
        if (x >= xmin && x <= xmax && y >= ymin && y <= ymax) return true;
    }
    return false;
}

// --- The item protocol ----------------------------------------------------------------------------

void CDsItemNText2D::DrawGl(view3d& view)
{
    if (!HasText() || m_pixelHeight <= 0) return;
    if (!view.GetFlag(eDsViewFlagFastRefresh) && m_pixelHeight < 501)
        DrawBitMap(view);
    else
        DrawRectangle(view);
}

bool CDsItemNText2D::GetBoundBox2D(SDsBox2D& box)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    float w = 0.0f, h = 0.0f;
    ComputeBoundingRectangleInPixels(*view, w, h);
    float dx = 0.0f, dy = 0.0f;
    ComputeAlignmentOffsets(w, GetAngleRadians(), dx, dy);
    box.minX = int(-dx);
    box.minY = int(-dy);
    box.maxX = int(w - dx);
    box.maxY = int(h - dy);
    return true;
}

bool CDsItemNText2D::GetDrawnBox2D(SDsBox2D& box, bool anyAngle)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view || !HasText() || m_pixelHeight <= 0) return false;
    float w = 0.0f, h = 0.0f;
    ComputeBoundingRectangleInPixels(*view, w, h);
    if (!std::isfinite(w) || !std::isfinite(h) || w > kMaxPixels || h > kMaxPixels) return false;
    // Rows counted up about the anchor.
    int left = 0, right = 0, below = 0, above = 0;
    if (anyAngle) {
        // Turned about its anchor, which lies on its baseline, the text keeps within the circle
        // through its farthest corner; its image has a text height of room beyond that.
        const int r = int(std::ceil(std::sqrt(w * w + h * h) + h));
        left = below = -r;
        right = above = r;
    } else {
        // The image as DrawBitMap places it: its corner (hot x, hot y) left of and below the anchor.
        float bitmapW = 0.0f, bitmapH = 0.0f, ax = 0.0f, ay = 0.0f;
        int xOff = 0, yOff = 0;
        ComputeBitmapDimensions(w, h, bitmapW, bitmapH);
        ComputeOffsets(w, h, bitmapW, bitmapH, ax, ay, xOff, yOff);
        left = -int(ax);
        below = -int(ay);
        right = int(bitmapW) - int(ax);
        above = int(bitmapH) - int(ay);
    }
    // Turned over to rows counted down, with a pixel more each way for the rounding of the
    // anchor's pixel.
    box.minX = left - 1;
    box.maxX = right + 1;
    box.minY = -above - 1;
    box.maxY = -below + 1;
    return true;
}

bool CDsItemNText2D::GetPlacedBox2D(SDsBox2D& box)
{
    SDsBox2D about;
    if (!GetDrawnBox2D(about, false)) return false;
    // Rows counted down from the anchor, turned up and moved to it.
    box.minX = m_x + about.minX;
    box.maxX = m_x + about.maxX;
    box.minY = m_y - about.maxY;
    box.maxY = m_y - about.minY;
    return true;
}

EDsItemsType CDsItemNText2D::GetItemType()
{
    return eDsItemNText2D;
}

void CDsItemNText2D::Transform(const SPAtransf&) {}

void CDsItemNText2D::Refresh(view3d& view)
{
    SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemNText2D::DrawExtremes(CDsViewExtrema&, ENTITY*) {}

void CDsItemNText2D::Plot(view3d& view)
{
    if (!IsHidden()) DrawGdi(view);
}

void CDsItemNText2D::DrawGeometry(view3d& view)
{
    DrawGl(view);
}

int CDsItemNText2D::DrawGdi(view3d& view)
{
    if (!HasText() || m_pixelHeight <= 0) return 0;
    CDsView3dCdc* core = dynamic_cast<CDsView3dCdc*>(&view);
    if (!core) return 0;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    core->DrawText2D(m_x, vh - 1 - m_y, *m_text, m_font, m_alignment, nullptr);
    return 0;
}

bool CDsItemNText2D::Pick(view3d* view)
{
    return m_bitmap && HasText() ? m_bitmap->Pick(view) : false;
}

bool CDsItemNText2D::Pick(pick_manager* manager)
{
    return manager && m_bitmap && HasText() ? m_bitmap->Pick(manager) : false;
}

long CDsItemNText2D::DrawPoints(view3d&, long)
{
    return 0;
}

int CDsItemNText2D::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 0;
}

int CDsItemNText2D::GetVertices(CDsGeometry::eDrawPrimitives, int, float*&, int& count)
{
    count = 0;
    return -1;
}

bool CDsItemNText2D::GetPoint(CDsGeometry::eParameterPoints, SPAposition&)
{
    return false;
}

int CDsItemNText2D::GetDrawPrimitives()
{
    return 0x1022;
}

void CDsItemNText2D::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!HasText() || m_pixelHeight <= 0) return;
    if ((kinds & 0x02) && view.GetFlag(eDsViewFlagFastRefresh) &&
        CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false)) {
        if (applyAttributes) SetAttributesToView(&view);
        DrawRectangle(view);
        return;
    }
    if (!(kinds & 0x20)) return;
    int xOff = 0, yOff = 0;
    ComputeDimensionsAndCreateBitmap(view, xOff, yOff);
    if (!m_bitmap || !m_bitmap->IsInView(view)) return;
    if (m_modified) DrawTextToBitmap(view, xOff, yOff);
    // The text's own colour, as Refresh gives it (the bitmap's attributes inherit the colour).
    if (applyAttributes) SetAttributesToView(&view);
    m_bitmap->DrawOnTraverse(view, CDsGeometry::eDrawPrimitives(0x10), applyAttributes);
    m_modified = false;
}

// --- CDsItemNText2DRelative -------------------------------------------------------------------------

CDsItemNText2DRelative::CDsItemNText2DRelative(const CVyrString& text, const CDsNFontStorage& font, float relX,
                                               float relY)
    : CDsItemNText2D(text, CVyrString(), 15, 0, 0), m_relX(relX), m_relY(relY)
{
    m_y = 0;
    m_font = font;
    m_pixelHeight = int(std::clamp<long>(m_font.GetHeight(), long(-kMaxPixels), long(kMaxPixels)));
    SetPreciseFontHeight();
}

void CDsItemNText2DRelative::UpdatePosition(view3d& view)
{
    int x = 0, y = 0;
    CDsGeometryComputer::GetInstance()->ComputeRelativeCoordinates2D(&view, m_relX, m_relY, x, y);
    const double drop = double(m_font.GetHeight()) * double(m_relY);
    y -= std::isfinite(drop) ? int(std::clamp(drop, -kMaxPixels, kMaxPixels)) : 0;
    SetPosition(x, y);
}

void CDsItemNText2DRelative::DrawGl(view3d& view)
{
    UpdatePosition(view);
    CDsItemNText2D::DrawGl(view);
}

EDsItemsType CDsItemNText2DRelative::GetItemType()
{
    return eDsItemNText2DRelative;
}

void CDsItemNText2DRelative::DrawExtremes(CDsViewExtrema&, ENTITY*) {}

void CDsItemNText2DRelative::Plot(view3d&) {}

bool CDsItemNText2DRelative::Pick(pick_manager*)
{
    return false;
}

int CDsItemNText2DRelative::DrawGdi(view3d&)
{
    return 0;
}

void CDsItemNText2DRelative::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (0x02 | 0x20))) return;
    UpdatePosition(view);
    CDsItemNText2D::DrawOnTraverse(view, kinds, applyAttributes);
}
