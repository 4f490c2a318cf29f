// The text groups.
#include "DsItemsNTextBlock.h"

#include "DsGeometryComputer.h"
#include "DsRectangle.h"
#include "DsItemNText2D.h"
#include "DsItemNText3D.h"
#include "DsView3dCdc.h"
#include "view3d.h"

#include <cmath>
#include <memory>

namespace {

const SPAunit_vector kX(1.0, 0.0, 0.0);
const SPAunit_vector kY(0.0, 1.0, 0.0);

float Radians(float degrees)
{
    return float(double(degrees) * M_PI / 180.0);
}

}  // namespace

// --- CDsItemsNTextBiTol ----------------------------------------------------------------------------

CDsItemsNTextBiTol::CDsItemsNTextBiTol(const CGmPosition& position, const CVyrString& text,
                                       const CDsNFontStorage& font, float height)
    : CDsItemsGroup(nullptr, nullptr)
{
    std::unique_ptr<CVyrString> line1(CDsItemNText2D::StGetLine(text, 1));
    std::unique_ptr<CVyrString> line2(CDsItemNText2D::StGetLine(text, 2));
    auto* first = new CDsItemNText3D(*line1, font, height);
    first->SetPosition(position);
    float w1 = 0.0f, e1 = 0.0f;
    first->GetEmDimensions(w1, e1);
    CGmPosition second;
    CDsGeometryComputer::GetInstance()->CalculatePositionOffset(
        position, Radians(font.GetLineAngleInDegrees()), kX, 0.0f, kY, -e1, second);
    auto* next = new CDsItemNText3D(*line2, font, height);
    next->SetPosition(second);
    float w2 = 0.0f, e2 = 0.0f;
    next->GetEmDimensions(w2, e2);
    m_width = w1 > w2 ? w1 : w2;
    m_height = 2.0f * e2;
    Add(first);
    Add(next);
    first->SetParent(this);
    next->SetParent(this);
}

CDsItemsNTextBiTol::~CDsItemsNTextBiTol() = default;

EDsItemsType CDsItemsNTextBiTol::GetItemType()
{
    return eDsItemsNTextBiTol;
}

// --- CDsItemsNTextLine -------------------------------------------------------------------------------

CDsItemsNTextLine::CDsItemsNTextLine(EDsTextLineAlignment alignment)
    : CDsItemsGroup(nullptr, nullptr), m_position(0.0, 0.0, 0.0), m_alignment(alignment)
{
}

CDsItemsNTextLine::~CDsItemsNTextLine() = default;

EDsItemsType CDsItemsNTextLine::GetItemType()
{
    return eDsItemsNTextLine;
}

void CDsItemsNTextLine::Measure()
{
    for (CDsItemBase* child : GetDsItems()) {
        auto* item = dynamic_cast<CDsItemNText3D*>(child);
        if (!item) continue;
        if (item->GetTextWidth() == 0.0f) item->ComputeWidthsOfStringAndChars();
        m_width += item->GetTextWidth();
        const float em = item->GetEmHeight();
        if (em > m_largestEmHeight) {
            m_largestEmHeight = em;
            m_largestModelHeight = item->GetHeight();
        }
    }
}

void CDsItemsNTextLine::GetSize(float& width, float& height)
{
    if (m_width == 0.0f) Measure();
    width = m_width;
    height = m_largestEmHeight;
}

void CDsItemsNTextLine::Layout(const CGmPosition& start, float blockWidth, float angleDegrees)
{
    float shift = 0.0f;
    if (m_alignment == eDsTextLineCenter)
        shift = (blockWidth - m_width) * 0.5f;
    else if (m_alignment == eDsTextLineRight)
        shift = blockWidth - m_width;
    const float a = Radians(angleDegrees);
    const float c = std::cos(a), s = std::sin(a);
    double x = start.x() + double(c * shift), y = start.y() + double(s * shift);
    const double z = start.z();
    const long escapement = long(std::trunc(double(angleDegrees) * 10.0));
    for (CDsItemBase* child : GetDsItems()) {
        auto* item = dynamic_cast<CDsItemNText3D*>(child);
        if (!item) continue;
        if (item->GetTextWidth() == 0.0f) item->ComputeWidthsOfStringAndChars();
        item->SetPosition(CGmPosition(x, y, z));
        item->SetLineAngle(float((double(escapement) + (escapement < 0 ? -0.25 : 0.25)) / 10.0));
        x += double(c * item->GetTextWidth());
        y += double(s * item->GetTextWidth());
    }
}

// --- CDsItemsNTextBlock ------------------------------------------------------------------------------

CDsItemsNTextBlock::CDsItemsNTextBlock(const CGmPosition& position, EDsTextBlockAlignment alignment)
    : CDsItemsGroup(nullptr, nullptr), m_position(position), m_alignment(alignment)
{
}

CDsItemsNTextBlock::~CDsItemsNTextBlock() = default;

void CDsItemsNTextBlock::SetAngle(float degrees)
{
    m_angle = degrees;
    m_laidOut = false;
}

void CDsItemsNTextBlock::SetAlignment(EDsTextBlockAlignment alignment)
{
    m_alignment = alignment;
    m_laidOut = false;
}

void CDsItemsNTextBlock::SetPosition(const CGmPosition& position)
{
    m_position = position;
    m_laidOut = false;
}

void CDsItemsNTextBlock::StGetAlignmentRatios(EDsTextBlockAlignment alignment, float& xRatio, float& yRatio)
{
    static const int kFlags[9] = {9, 10, 12, 17, 18, 20, 33, 34, 36};
    const int flags = alignment >= 0 && alignment <= 8 ? kFlags[alignment] : 0;
    xRatio = (flags & 2) ? 0.5f : (flags & 4) ? 1.0f : 0.0f;
    yRatio = (flags & 8) ? 1.0f : (flags & 16) ? 0.5f : 0.0f;
}

void CDsItemsNTextBlock::Measure()
{
    m_width = m_height = 0.0f;
    for (CDsItemBase* child : GetDsItems()) {
        auto* line = dynamic_cast<CDsItemsNTextLine*>(child);
        if (!line) continue;
        if (line->GetTextWidth() == 0.0f) line->Measure();
        m_height += line->GetLargestEmHeight();
        if (line->GetTextWidth() > m_width) m_width = line->GetTextWidth();
    }
}

void CDsItemsNTextBlock::Layout()
{
    if (m_laidOut) return;
    m_laidOut = true;
    Measure();
    std::vector<CDsItemsNTextLine*> lines;
    for (CDsItemBase* child : GetDsItems())
        if (auto* line = dynamic_cast<CDsItemsNTextLine*>(child)) lines.push_back(line);
    if (lines.empty()) return;
    float r = 0.0f, q = 0.0f;
    StGetAlignmentRatios(m_alignment, r, q);
    const CDsItemsNTextLine* last = lines.back();
    CGmPosition point;
    const float a = Radians(m_angle);
    CDsGeometryComputer::GetInstance()->CalculatePositionOffset(
        m_position, a, kX, -(m_width * r), kY,
        (last->GetLargestEmHeight() - last->GetLargestModelHeight()) - m_height * q, point);
    const float s = std::sin(a), c = std::cos(a);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        (*it)->Layout(point, m_width, m_angle);
        const float e = (*it)->GetLargestEmHeight();
        point = CGmPosition(point.x() - double(s * e), point.y() + double(c * e), point.z());
    }
}

void CDsItemsNTextBlock::GetBlockSize(float& width, float& height, bool withoutLastDescent)
{
    Layout();
    width = m_width;
    height = m_height;
    if (!withoutLastDescent || GetDsItems().empty()) return;
    if (auto* line = dynamic_cast<CDsItemsNTextLine*>(GetDsItems().back()))
        height -= line->GetLargestEmHeight() - line->GetLargestModelHeight();
}

bool CDsItemsNTextBlock::GetBoundBox2D(SDsBox2D& box)
{
    if (!m_laidOut) return false;
    float r = 0.0f, q = 0.0f;
    StGetAlignmentRatios(m_alignment, r, q);
    box.minX = int(-m_width * r);
    box.minY = int(-m_height * q);
    box.maxX = int((1.0f - r) * m_width);
    box.maxY = int((1.0f - q) * m_height);
    return true;
}

EDsItemsType CDsItemsNTextBlock::GetItemType()
{
    return eDsItemsNTextBlock;
}

void CDsItemsNTextBlock::Transform(const SPAtransf& transform)
{
    m_laidOut = false;
    m_position = CGmPosition(m_position * transform);
}

void CDsItemsNTextBlock::Refresh(view3d& view)
{
    if (view.GetFlag(eDsViewFlagFigureGroup) && view.GetFlag(eDsViewFlagFastRefresh)) return;
    Layout();
    CDsItemsGroup::Refresh(view);
}

void CDsItemsNTextBlock::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    Layout();
    CDsItemsGroup::DrawExtremes(extrema, entity == GetEntity() ? nullptr : entity);
}

void CDsItemsNTextBlock::DrawToFrontBuffer(view3d& view)
{
    if (!view.GetFlag(eDsViewFlagFigureGroup)) CDsItemsGroup::DrawToFrontBuffer(view);
}

void CDsItemsNTextBlock::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (IsHidden() || !CDsView3dCdc::StGetCurrent()) return;
    Layout();
    CDsItemsGroup::ExpandBox(box, transform);
}

void CDsItemsNTextBlock::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (0x02 | 0x20))) return;
    Layout();
    CDsItemsGroup::DrawOnTraverse(view, kinds, applyAttributes);
}
