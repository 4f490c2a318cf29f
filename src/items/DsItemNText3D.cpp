// The texts anchored at a model point.
#include "DsItemNText3D.h"

#include "DsBox.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsItemBitmap.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"
#include "UiCharFormat.h"
#include "view3d.h"

#include <afxwin.h>
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// The largest pixel height a model height is turned into.
constexpr double kMaxPixels = 1000000.0;

// trunc(height / unitsPerPixel), kept within +-kMaxPixels (and above 500 when it cannot be had).
int PixelsOf(double height, double unitsPerPixel)
{
    if (!(unitsPerPixel > 0.0) || !std::isfinite(unitsPerPixel)) return int(kMaxPixels);
    const double pixels = height / unitsPerPixel;
    if (!std::isfinite(pixels)) return int(kMaxPixels);
    return int(std::trunc(std::clamp(pixels, -kMaxPixels, kMaxPixels)));
}

// The escapement (tenths of a degree) of the screen angle from (x0, y0) to (x1, y1), rows down.
LONG EscapementOf(float x0, float y0, float x1, float y1)
{
    const float angle = std::atan2(-(y1 - y0), x1 - x0);
    const float degrees = float(double(angle * 180.0f) * (1.0 / M_PI));
    return LONG(std::trunc(degrees * 10.0f));
}

}  // namespace

// --- CDsItemNText3DFixed -------------------------------------------------------------------------------

CDsItemNText3DFixed::CDsItemNText3DFixed(const CVyrString& text, const CVyrString& faceName,
                                         const CGmPosition& position, int pixelHeight)
    : CDsItemNText2D(text, faceName, pixelHeight, 0, 0)
{
    ResetMembers();
    m_position = position;
}

CDsItemNText3DFixed::CDsItemNText3DFixed(const CVyrString& text, CUiCharFormat& format)
    : CDsItemNText2D(text, CVyrString(), 15, 0, 0)
{
    ResetMembers();
    m_font.SetData(format);
    SetPreciseFontHeight();
}

CDsItemNText3DFixed::CDsItemNText3DFixed(const CVyrString& text, const CDsNFontStorage& font)
    : CDsItemNText2D(text, CVyrString(), 15, 0, 0)
{
    ResetMembers();
    m_font = font;
    m_pixelHeight = int(std::clamp<long>(m_font.GetHeight(), long(-kMaxPixels), long(kMaxPixels)));
    SetPreciseFontHeight();
}

void CDsItemNText3DFixed::ResetMembers()
{
    m_position = CGmPosition(0.0, 0.0, 0.0);
    SetOnTopFlag(true);
}

void CDsItemNText3DFixed::SetHeight(float height)
{
    const double pixels = std::isfinite(height) ? std::clamp(double(height), -kMaxPixels, kMaxPixels) : 0.0;
    CDsItemNText2D::SetHeight(int(std::trunc(pixels)));
}

void CDsItemNText3DFixed::Compute2DPosition(view3d& view)
{
    float x = 0.0f, y = 0.0f;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(m_position, &view, x, y, nullptr, true) ||
        !std::isfinite(x) || !std::isfinite(y)) {
        // An anchor behind the eye has no pixel: the text goes far out of the window, so that it
        // neither draws nor picks where an earlier view (or none) left it.
        CDsItemNText2D::SetPosition(kOffWindow, kOffWindow);
        return;
    }
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    const int column = int(std::clamp(double(x), -kMaxPixels, kMaxPixels));
    const int row = int(std::clamp(double(y), -kMaxPixels, kMaxPixels));
    // Rows down from the top become the 2-D text's rows up from the bottom.
    CDsItemNText2D::SetPosition(column, vh - 1 - row);
}

EDsItemsType CDsItemNText3DFixed::GetItemType()
{
    return eDsItemNText3DFixed;
}

bool CDsItemNText3DFixed::GetBoundBox(SPAbox& box)
{
    box = SPAbox(m_position, m_position);
    return true;
}

void CDsItemNText3DFixed::Transform(const SPAtransf& transform)
{
    m_position = CGmPosition(m_position * transform);
}

void CDsItemNText3DFixed::Refresh(view3d& view)
{
    Compute2DPosition(view);
    if (view.GetFlag(eDsViewFlagFastRefresh) || m_pixelHeight > 500) return;
    SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemNText3DFixed::DrawGl(view3d& view)
{
    CDsItemNText2D::DrawGl(view);
}

void CDsItemNText3DFixed::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (0x02 | 0x20))) return;
    Compute2DPosition(view);
    CDsItemNText2D::DrawOnTraverse(view, kinds, applyAttributes);
}

void CDsItemNText3DFixed::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden()) return;
    if (entity && GetEntity() != entity) return;
    extrema.draw_point_3d(m_position);
}

int CDsItemNText3DFixed::DrawGdi(view3d& view)
{
    Compute2DPosition(view);
    return CDsItemNText2D::DrawGdi(view);
}

// --- CDsItemNText3D ----------------------------------------------------------------------------------

CDsItemNText3D::CDsItemNText3D(const CVyrString& text, const CVyrString& faceName, float height,
                               const CGmPosition& position)
    : CDsItemNText3DFixed(text, faceName, position, 15)
{
    ResetMembers();
    m_height = height;
    EnsureMinimalPositiveHeight();
    ComputeWidthsOfStringAndChars();
}

CDsItemNText3D::CDsItemNText3D(const CVyrString& text, CUiCharFormat& format) : CDsItemNText3DFixed(text, format)
{
    ResetMembers();
    m_height = CUiCharFormat::GetHeightMm(format);
    EnsureMinimalPositiveHeight();
    ComputeWidthsOfStringAndChars();
}

CDsItemNText3D::CDsItemNText3D(const CVyrString& text, const CDsNFontStorage& font, float height)
    : CDsItemNText3DFixed(text, font)
{
    ResetMembers();
    m_height = height;
    EnsureMinimalPositiveHeight();
    ComputeWidthsOfStringAndChars();
}

void CDsItemNText3D::ResetMembers()
{
    m_height = 15.0f;
    m_width = 0.0f;
}

void CDsItemNText3D::EnsureMinimalPositiveHeight()
{
    if (!(m_height >= 0.01f)) m_height = 0.01f;
}

float CDsItemNText3D::GetEmHeight() const
{
    return m_font.GetEmAscentRatio() * m_height;
}

void CDsItemNText3D::GetEmDimensions(float& width, float& height)
{
    if (m_width == 0.0f) ComputeWidthsOfStringAndChars();
    width = m_width;
    height = GetEmHeight();
}

void CDsItemNText3D::SetHeight(float height)
{
    m_height = height;
    EnsureMinimalPositiveHeight();
    ComputeWidthsOfStringAndChars();
}

void CDsItemNText3D::ComputeWidthsOfStringAndChars()
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    CDC* dc = view ? view->GetCdc() : nullptr;
    CDC memory;
    if (!dc && memory.CreateCompatibleDC(nullptr)) dc = &memory;
    m_charWidths.clear();
    m_width = 0.0f;
    if (dc) {
        CDsNFontStorage measured(m_font);
        measured.SetHeight(1024);
        EnsureMinimalPositiveHeight();
        const float scale = 1024.0f / (m_font.GetEmAscentRatio() * m_height);
        CFont* previous = measured.SelectMyFont(dc);
        if (previous && m_text) {
            const wchar_t* text = m_text->GetString();
            const int n = m_text->GetLength();
            m_charWidths.reserve(size_t(n));
            for (int i = 0; i < n; ++i) {
                ABCFLOAT abc{};
                const UINT c = UINT(uint32_t(text[i]));
                if (!::GetCharABCWidthsFloatW(dc->GetSafeHdc(), c, c, &abc)) abc = ABCFLOAT{};
                const float width = (abc.abcfA + abc.abcfB + abc.abcfC) * (1.0f / scale);
                m_charWidths.push_back(width);
                m_width += width;
            }
        }
        measured.ReleaseMyFont(dc, previous);
        if (dc != &memory) view->ReleaseCdc(dc);
    }
}

void CDsItemNText3D::ComputeCharWidths(double unitsPerPixel, int*& advances)
{
    ComputeWidthsOfStringAndChars();
    advances = new int[m_charWidths.size() + 1];
    StComputeAdvances(m_charWidths, unitsPerPixel, advances);
}

void CDsItemNText3D::StComputeAdvances(const std::vector<float>& widths, double unitsPerPixel, int* advances)
{
    float carry = 0.0f;
    const double perUnit = unitsPerPixel > 0.0 ? 1.0 / unitsPerPixel : 0.0;
    for (size_t i = 0; i < widths.size(); ++i) {
        const float p = float(std::clamp(double(widths[i]) * perUnit, -kMaxPixels, kMaxPixels));
        const float f = (p - std::trunc(p)) + carry;
        const float k = std::trunc(f);
        advances[i] = int(std::trunc(k + p));
        carry = f - k;
    }
}

void CDsItemNText3D::ComputeBoundingRectangleInPixels(view3d& view, float& width, float& height)
{
    const double u = view.get_units_per_pixel();
    if (!(u > 0.0) || !std::isfinite(u)) return;
    height = float(double(GetEmHeight()) / u + 0.5);
    width = float(double(m_width) / u + 0.5);
}

void CDsItemNText3D::ComputePreciseSizeInPixels(view3d& view)
{
    CDsItemNText2D::SetHeight(PixelsOf(m_height, view.get_units_per_pixel()));
}

EDsItemsType CDsItemNText3D::GetItemType()
{
    return eDsItemNText3D;
}

void CDsItemNText3D::Transform(const SPAtransf& transform)
{
    m_position = CGmPosition(m_position * transform);
}

void CDsItemNText3D::Refresh(view3d& view)
{
    Compute2DPosition(view);
    ComputePreciseSizeInPixels(view);
    SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemNText3D::DrawGl(view3d& view)
{
    if (!view.GetFlag(eDsViewFlagFastRefresh) && m_pixelHeight < 501) {
        if (HasText() && m_pixelHeight > 0) DrawBitMap(view);
    } else {
        DrawRectangle(view);
    }
}

void CDsItemNText3D::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if ((kinds & 0x02) && view.GetFlag(eDsViewFlagFastRefresh) &&
        CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false)) {
        Compute2DPosition(view);
        ComputePreciseSizeInPixels(view);
        CDsItemNText2D::DrawOnTraverse(view, CDsGeometry::eDrawPrimitives(0x02), applyAttributes);
        return;
    }
    if (!(kinds & 0x20)) return;
    if (view.get_pick_mode() == 0) {
        Compute2DPosition(view);
        CDsItemNText2D::SetHeight(PixelsOf(m_height, view.get_units_per_pixel()));
        CDsItemNText2D::DrawOnTraverse(view, kinds, applyAttributes);
    } else {
        DrawRectangle(view);
    }
}

int CDsItemNText3D::DrawGdi(view3d& view)
{
    if (!HasText()) return 0;
    CDsView3dCdc* core = dynamic_cast<CDsView3dCdc*>(&view);
    if (!core) return 0;
    int* advances = nullptr;
    ComputeCharWidths(view.get_units_per_pixel(), advances);
    ComputePreciseSizeInPixels(view);
    CGmPosition anchor(m_position);
    core->DrawText3D(anchor, *m_text, m_font, m_alignment, advances);
    delete[] advances;
    return 0;
}

void CDsItemNText3D::Plot(view3d& view)
{
    if (IsHidden()) return;
    if (CDsViewExtrema* extrema = dynamic_cast<CDsViewExtrema*>(&view))
        DrawExtremes(*extrema, nullptr);
    else
        DrawGdi(view);
}

bool CDsItemNText3D::Pick(view3d* view)
{
    if (!view) return false;
    if (view->get_pick_mode() != 0) return m_bitmap && HasText() ? m_bitmap->Pick(view) : false;
    if (CDsViewExtrema* extrema = dynamic_cast<CDsViewExtrema*>(view))
        DrawExtremes(*extrema, nullptr);
    else
        DrawGdi(*view);
    return false;
}

void CDsItemNText3D::ComputeBottomLeftPosition(view3d& view, CGmPosition& corner) const
{
    const float radians = float(double(m_font.GetLogFont().lfEscapement) * 0.1 * M_PI / 180.0);
    CDsGeometryComputer::GetInstance()->CalculatePositionOffset(m_position, radians, view,
                                                                -(m_width * GetAlignmentRatio()), 0.0f, corner);
}

void CDsItemNText3D::ComputeBoxPositions(view3d& view, CGmPosition corners[4]) const
{
    const float radians = float(double(m_font.GetLogFont().lfEscapement) * 0.1 * M_PI / 180.0);
    const float height = GetEmHeight();
    ComputeBottomLeftPosition(view, corners[0]);
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    computer->CalculatePositionOffset(corners[0], radians, view, m_width, 0.0f, corners[1]);
    computer->CalculatePositionOffset(corners[0], radians, view, m_width, height, corners[2]);
    computer->CalculatePositionOffset(corners[0], radians, view, 0.0f, height, corners[3]);
}

void CDsItemNText3D::DrawRectangle(view3d& view)
{
    CGmPosition corners[4];
    ComputeBoxPositions(view, corners);
    const SPAposition points[4] = {corners[0], corners[1], corners[2], corners[3]};
    CDsDriverGl::StDrawPoints(4, points, GL_LINE_LOOP);
}

void CDsItemNText3D::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden()) return;
    if (entity && GetEntity() != entity) return;
    CGmPosition corners[4];
    ComputeBoxPositions(extrema, corners);
    for (const CGmPosition& corner : corners) extrema.draw_point_3d(corner);
}

void CDsItemNText3D::ExpandBox(CDsBox& box, SPAtransf*)
{
    if (IsHidden()) return;
    if (CDsView3dCdc* view = CDsView3dCdc::StGetCurrent()) {
        CGmPosition corners[4];
        ComputeBoxPositions(*view, corners);
        for (const CGmPosition& corner : corners) box.Expand(float(corner.x()), float(corner.y()), float(corner.z()));
        return;
    }
    box.Expand(float(m_position.x()), float(m_position.y()), float(m_position.z()));
    box.Expand(float(m_position.x() + m_width), float(m_position.y() + m_height), float(m_position.z()));
}

bool CDsItemNText3D::GetBoundBox(SPAbox& box)
{
    CDsBox modelBox;
    ExpandBox(modelBox, nullptr);
    const float* lo = modelBox.GetMin();
    const float* hi = modelBox.GetMax();
    box = SPAbox(SPAposition(lo[0], lo[1], lo[2]), SPAposition(hi[0], hi[1], hi[2]));
    return true;
}

// --- The vector texts ----------------------------------------------------------------------------------

CDsItemNTextVector::CDsItemNTextVector(const CVyrString& text, const CGmPosition& position, const CVyrString& faceName,
                                       const SPAvector& direction)
    : CDsItemNText3D(text, faceName, 15.0f, position), m_direction(direction)
{
    SetOnTopFlag(true);
}

EDsItemsType CDsItemNTextVector::GetItemType()
{
    return eDsItemNTextVector;
}

void CDsItemNTextVector::UpdateAngle(view3d& view)
{
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    if (!computer->ProjectPositionOnView(m_position, &view, x0, y0, nullptr, true) ||
        !computer->ProjectPositionOnView(CGmPosition(m_position + m_direction), &view, x1, y1, nullptr, true))
        return;
    const LONG escapement = EscapementOf(x0, y0, x1, y1);
    SetEscapement(escapement);
}

void CDsItemNTextVector::DrawGl(view3d& view)
{
    CDsItemNText2D::DrawGl(view);
}

void CDsItemNTextVector::Refresh(view3d& view)
{
    if (!GetAttributes()->CheckDisplayPhaseMatch(&view)) return;
    UpdateAngle(view);
    CDsItemNText3D::Refresh(view);
}

void CDsItemNTextVector::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (0x02 | 0x20))) return;
    UpdateAngle(view);
    CDsItemNText3D::DrawOnTraverse(view, kinds, applyAttributes);
}

CDsItemNTextVectorFixed::CDsItemNTextVectorFixed(const CVyrString& text, const CGmPosition& position,
                                                 const CVyrString& faceName, const SPAvector& direction)
    : CDsItemNText3DFixed(text, faceName, position, 15), m_direction(direction)
{
    SetOnTopFlag(true);
}

EDsItemsType CDsItemNTextVectorFixed::GetItemType()
{
    return eDsItemNTextVectorFixed;
}

void CDsItemNTextVectorFixed::UpdateAngle(view3d& view)
{
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    if (!computer->ProjectPositionOnView(m_position, &view, x0, y0, nullptr, true) ||
        !computer->ProjectPositionOnView(CGmPosition(m_position + m_direction), &view, x1, y1, nullptr, true))
        return;
    const LONG escapement = EscapementOf(x0, y0, x1, y1);
    SetEscapement(escapement);
}

void CDsItemNTextVectorFixed::DrawGl(view3d& view)
{
    CDsItemNText2D::DrawGl(view);
}

void CDsItemNTextVectorFixed::Refresh(view3d& view)
{
    if (!GetAttributes()->CheckDisplayPhaseMatch(&view)) return;
    UpdateAngle(view);
    Compute2DPosition(view);
    if (view.GetFlag(eDsViewFlagFastRefresh) || m_pixelHeight > 500) return;
    SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemNTextVectorFixed::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (0x02 | 0x20))) return;
    UpdateAngle(view);
    Compute2DPosition(view);
    CDsItemNText2D::DrawOnTraverse(view, kinds, applyAttributes);
}
