#include "DsFigText3D.h"

#include "DsFigureGenerator.h"
#include "DsItemBitmap.h"
#include "DsRectangle.h"
#include "DsItemNText2D.h"
#include "DsItemNText3D.h"
#include "DsItemsFigure.h"
#include "DsItemsNTextBlock.h"
#include "DsView3dCdc.h"
#include "view3d.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <memory>

namespace {

// trunc(v) inside the int range (NaN: 0).
long TruncatedHeight(double v)
{
    if (std::isnan(v)) return 0;
    return long(std::clamp(std::trunc(v), double(INT_MIN), double(INT_MAX)));
}

// A font in the face `face` (empty: the default face) of height `height`.
CDsNFontStorage FontOf(const CVyrString& face, long height)
{
    CDsNFontStorage font;
    font.SetName(face);
    font.SetHeight(height);
    return font;
}

// Units per pixel of the screen: half the sum of millimetres per pixel across and down.
double ScreenUnitsPerPixel()
{
    HDC dc = GetDC(nullptr);
    if (!dc) return 0.0;
    const double hs = GetDeviceCaps(dc, HORZSIZE), hr = GetDeviceCaps(dc, HORZRES);
    const double vs = GetDeviceCaps(dc, VERTSIZE), vr = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(nullptr, dc);
    if (hr <= 0.0 || vr <= 0.0) return 0.0;
    return 0.5 * (hs / hr + vs / vr);
}

// The text block that is the group's first child, null when there is none.
CDsItemsNTextBlock* BlockOf(CDsItemsFigure* group)
{
    return group ? dynamic_cast<CDsItemsNTextBlock*>(group->Get(0)) : nullptr;
}

}  // namespace

// === CDsFigText3D ===============================================================================

CDsFigText3D::CDsFigText3D() : CDsFigure(true, true, false) { ResetMembers(); }

CDsFigText3D::CDsFigText3D(const SPAposition& position, const char* text, const char* font, float size)
    : CDsFigText3D(position, CVyrString(text ? text : ""), CVyrString(font ? font : ""), size)
{
}

CDsFigText3D::CDsFigText3D(const SPAposition& position, const CVyrString& text, const CVyrString& font, float size)
    : CDsFigure(true, true, false)
{
    ResetMembers();
    m_text = text;
    m_font.SetName(font);
    SetSize(size);
    m_position = position;
}

void CDsFigText3D::ResetMembers()
{
    m_text = CVyrString();
    m_font = FontOf(CVyrString(), -1);
    m_fixed = false;
    m_position = CGmPosition();
    m_alignment = eDsTextLineLeft;
}

void CDsFigText3D::SettleFontHeight()
{
    if (m_font.GetHeight() != -1) return;
    const CDsView3dCdc* view = CDsView3dCdc::sCurrentView;
    const double upp = view ? view->get_units_per_pixel() : 0.0;
    m_font.SetHeight(upp > 0.0 && !m_fixed ? TruncatedHeight(15.0 * upp) : 15);
}

int CDsFigText3D::DefineFig(CDsFigureGenerator& generator)
{
    SettleFontHeight();
    generator.MoveTo(m_position);
    generator.SetTextAlignment(m_alignment);
    generator.DrawTextW(m_text, m_font, float(m_font.GetHeight()), m_fixed);
    return 1;
}

void CDsFigText3D::GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                                        double& ymax) const
{
    CDsFigure::GetBoundingRectangle(view, xmin, xmax, ymin, ymax);
}

void CDsFigText3D::SetText(const CVyrString& text)
{
    m_text = text;
    ReDefineFig();
}

void CDsFigText3D::SetText(const char* text) { SetText(CVyrString(text ? text : "")); }

void CDsFigText3D::SetSize(float size) { m_font.SetHeight(TruncatedHeight(size)); }

void CDsFigText3D::SetPosition(const SPAposition& position)
{
    m_position = position;
    ReDefineFig();
}

void CDsFigText3D::SetAlignmentPoint(EDsTextLineAlignment alignment)
{
    m_alignment = alignment;
    ReDefineFig();
}

void CDsFigText3D::SetFixedSize(bool fixed)
{
    m_fixed = fixed;
    ReDefineFig();
}

void CDsFigText3D::StSetTextBlockAngle(CDsItemsFigure* group, float degrees)
{
    if (CDsItemsNTextBlock* block = BlockOf(group)) block->SetAngle(degrees);
}

void CDsFigText3D::StSetTextBlockAlignment(CDsItemsFigure* group, EDsTextBlockAlignment alignment)
{
    if (CDsItemsNTextBlock* block = BlockOf(group)) block->SetAlignment(alignment);
}

void CDsFigText3D::StSetTextBlockPosition(CDsItemsFigure* group, const CGmPosition& position)
{
    if (CDsItemsNTextBlock* block = BlockOf(group)) block->SetPosition(position);
}

void CDsFigText3D::StGetTextBlockSize(CDsItemsFigure* group, double& width, double& height, bool withoutLastDescent)
{
    width = 0.0;
    height = 0.0;
    CDsItemsNTextBlock* block = BlockOf(group);
    if (!block) return;
    float w = 0.0f, h = 0.0f;
    block->GetBlockSize(w, h, withoutLastDescent);
    width = w;
    height = h;
}

void CDsFigText3D::StGetTextSize(view3d* view, const SPAposition& position, float height,
                                 const CDsNFontStorage& font, const wchar_t* text, int length, double& width,
                                 double& totalHeight, double& descent)
{
    width = 0.0;
    totalHeight = 0.0;
    descent = 0.0;
    if (!text) return;
    const size_t available = length < 0 ? std::wcslen(text) : wcsnlen(text, size_t(length));
    const CVyrString whole(text, int(std::min<size_t>(available, size_t(INT_MAX))));
    const double upp = view ? view->get_units_per_pixel() : ScreenUnitsPerPixel();
    const int lines = CDsItemNText2D::StCountStringLines(whole);
    for (int n = 1; n <= lines; ++n) {
        const std::unique_ptr<CVyrString> line(CDsItemNText2D::StGetLine(whole, n));
        CDsItemNText3D item(*line, font, height);
        item.SetPosition(CGmPosition(position));
        if (item.GetTextWidth() == 0.0f) item.ComputeWidthsOfStringAndChars();
        width = std::max(width, double(item.GetTextWidth()));
        totalHeight += item.GetHeight();
        descent = (font.GetEmAscentRatio() - 1.0) * (item.GetFont().GetEmAscentRatio() * item.GetHeight()) * upp;
    }
}

// === CDsFigText3DVector =========================================================================

CDsFigText3DVector::CDsFigText3DVector() = default;

CDsFigText3DVector::CDsFigText3DVector(const char* text, const SPAposition& position, const SPAvector& direction,
                                       const char* font, float size)
    : CDsFigText3DVector(CVyrString(text ? text : ""), position, direction, CVyrString(font ? font : ""), size)
{
}

CDsFigText3DVector::CDsFigText3DVector(const CVyrString& text, const SPAposition& position,
                                       const SPAvector& direction, const CVyrString& font, float size)
    : CDsFigText3D(position, text, font, size), m_direction(direction)
{
}

int CDsFigText3DVector::DefineFig(CDsFigureGenerator& generator)
{
    generator.MoveTo(m_position);
    generator.SetTextAlignment(m_alignment);
    generator.DrawTextVector(m_text, m_font, m_position, m_direction, 15.0f, false);
    return 1;
}

// === CDsFigText2D ===============================================================================

CDsFigText2D::CDsFigText2D(int x, int y, const char* text, const char* font, float size)
    : CDsFigText2D(x, y, CVyrString(text ? text : ""), CVyrString(font ? font : ""), size)
{
}

CDsFigText2D::CDsFigText2D(int x, int y, const CVyrString& text, const CVyrString& font, float size)
    : CDsFigText3D(SPAposition(0, 0, 0), text, font, size), m_x(x), m_y(y)
{
}

int CDsFigText2D::DefineFig(CDsFigureGenerator& generator)
{
    generator.Set2DMode(true);
    generator.MoveTo(CGmPosition(m_x, m_y, 0.0));
    generator.DrawText2D(m_text, m_font);
    return 1;
}

void CDsFigText2D::GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                                        double& ymax) const
{
    CDsFigure::GetBoundingRectangle(view, xmin, xmax, ymin, ymax);
    if (!(xmin == -1.0 && xmax == -1.0 && ymin == -1.0 && ymax == -1.0)) return;
    CDsItemsFigure* group = GetItemsFig();
    if (!group) return;
    for (CDsItemBase* child : group->GetDsItems()) {
        auto* text = dynamic_cast<CDsItemNText2D*>(child);
        if (!text) continue;
        SDsBox2D box;
        if (!text->GetBoundBox2D(box)) return;
        int x = 0, y = 0;
        text->GetPosition(x, y);
        // The box stands on the baseline: the descent below it is ink as well.
        const double descent =
            std::ceil(std::max(0.0, double(text->GetFont().GetEmAscentRatio()) - 1.0) * text->GetHeight());
        xmin = double(x) + box.minX;
        xmax = double(x) + box.maxX;
        ymin = double(y) + box.minY - descent;
        ymax = double(y) + box.maxY;
        // The image the text was last drawn as, when there is one, holds all of its ink.
        if (CDsItemBitmap* image = text->GetBitmapItem()) {
            SDsBox2D imageBox;
            int ix = 0, iy = 0;
            image->GetPosition(ix, iy);
            if (image->GetBoundBox2D(imageBox)) {
                xmin = std::min(xmin, double(ix) + imageBox.minX);
                xmax = std::max(xmax, double(ix) + imageBox.maxX);
                ymin = std::min(ymin, double(iy) + imageBox.minY);
                ymax = std::max(ymax, double(iy) + imageBox.maxY);
            }
        }
        return;
    }
}

void CDsFigText2D::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
    ReDefineFig();
}
