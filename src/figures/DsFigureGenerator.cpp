#include "DsFigureGenerator.h"

#include "DsItemBitmapIndexed.h"
#include "DsItemImage.h"

#include "DsArcPolyGenerator.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemPolyline3D.h"
#include "DsItemsFigure.h"
#include "DsPolyline.h"
#include "DsPolylineStorage.h"

#include <cmath>
#include <memory>

CDsFigureGenerator* CDsFigureGenerator::mCurrentItFigure = nullptr;

CDsFigureGenerator::CDsFigureGenerator(CDsGlContext* context) : m_context(context)
{
    // The pen inherits everything it is not told.
    m_pen.ResetInheritColorState();
    m_pen.ResetInheritStyleState();
    m_pen.ResetInheritWidthState();
}

CDsFigureGenerator::~CDsFigureGenerator()
{
    if (mCurrentItFigure == this) mCurrentItFigure = nullptr;
    delete m_root;
}

// --- Placing items ------------------------------------------------------------------------------

void CDsFigureGenerator::ApplyPen(CDsItemBase* item)
{
    if (!m_pen.GetInheritColorState()) item->SetColor(m_pen.GetColor(), true);
    if (m_pen.GetWidth() != 0) item->SetWidth(m_pen.GetWidth(), true);
    if (m_pen.GetStyle() < CDsLineAttribStorage::kInheritStyle) item->SetStyle(m_pen.GetStyle(), true);
    if (m_pen.IsHidden()) {
        const CDsHideLevel level(m_pen.GetHideLevel());
        item->SetAttribute(level, true, true);
    }
    item->SetTransparency(m_pen.GetTransparencyByte() * 0.003921569f);
    item->SetOnTopFlag(m_pen.GetOnTopFlag());
    if (!m_transformation.identity()) item->Transform(m_transformation);
    item->SetType(m_type);
}

void CDsFigureGenerator::EnsureRoot()
{
    if (m_currentGroup) return;
    if (!m_root) m_root = new CDsItemsFigure;
    m_currentGroup = m_root;
}

void CDsFigureGenerator::AddCurrentItem()
{
    CDsItemBase* item = m_currentItem;
    if (!item) return;
    EnsureRoot();
    ApplyPen(item);
    m_currentGroup->Add(item);
    item->SetParent(m_currentGroup);
    if (m_context && m_entity) {
        m_context->AddToMap(m_entity, item);
        item->SetGlContext(m_context);
        item->SetEntity(m_entity);
    }
}

void CDsFigureGenerator::OpenSubGroup(CDsItemsGroup* group)
{
    EnsureRoot();
    ApplyPen(group);
    m_currentGroup->Add(group);
    group->SetParent(m_currentGroup);
    if (m_entity) group->SetEntity(m_entity);
    m_currentGroup = group;
}

void CDsFigureGenerator::ClosePolyline()
{
    if (m_polyline.size() >= 2) {
        const std::vector<SPAposition> points(m_polyline.begin(), m_polyline.end());
        m_currentItem = new CDsItemPolyline3D(static_cast<int>(points.size()), points.data(), false, nullptr);
        AddCurrentItem();
    }
    m_polyline.clear();
}

// --- Groups -------------------------------------------------------------------------------------

void CDsFigureGenerator::StartGroup(bool)
{
    OpenSubGroup(new CDsItemsFigure);
}

void CDsFigureGenerator::EndGroup()
{
    if (!m_currentGroup) return;
    CDsItemsGroup* owner = m_currentGroup->GetParent();
    if (!owner) return;
    m_currentItem = m_currentGroup;
    m_currentGroup = owner;
}

void CDsFigureGenerator::EndToolpathBranch()
{
    EndGroup();
}

void CDsFigureGenerator::EndToolpath()
{
    EndGroup();
}

void CDsFigureGenerator::AddSubFigure(CDsItemBase* item)
{
    m_currentItem = item;
    AddCurrentItem();
}

// --- Pen ----------------------------------------------------------------------------------------

void CDsFigureGenerator::SetPenColor(const CDsColorStorage& color)
{
    ClosePolyline();
    m_pen.SetColor(color);
}

void CDsFigureGenerator::ResetPenColor()
{
    ClosePolyline();
    m_pen.ResetInheritColorState();
}

void CDsFigureGenerator::SetPenStyle(int style)
{
    ClosePolyline();
    m_pen.SetStyle(style);
}

void CDsFigureGenerator::ResetPenStyle()
{
    ClosePolyline();
    m_pen.ResetInheritStyleState();
}

void CDsFigureGenerator::SetPenWidth(int width)
{
    ClosePolyline();
    m_pen.SetWidth(width);
}

void CDsFigureGenerator::ResetPenWidth()
{
    ClosePolyline();
    m_pen.ResetInheritWidthState();
}

void CDsFigureGenerator::SetTransparency(float value)
{
    ClosePolyline();
    m_pen.SetTransparency(value);
}

void CDsFigureGenerator::SetOnTopFlag(bool onTop)
{
    ClosePolyline();
    m_pen.SetOnTopFlag(onTop);
}

void CDsFigureGenerator::SetPenVisibilityBlank(bool blank)
{
    m_pen.SetAttribute(CDsHideLevel(blank ? eDsHideLevelBlank : eDsHideLevelShown), true);
}

void CDsFigureGenerator::SetSpecialHide()
{
    m_pen.SetAttribute(CDsHideLevel(eDsHideLevelSpecial), true);
}

void CDsFigureGenerator::SetXorMode(bool on)
{
    m_pen.SetXorMode(on);
}

void CDsFigureGenerator::SetTransformation(const CGmTransformation& transformation)
{
    m_transformation = transformation;
}

void CDsFigureGenerator::ResetFlag(EDsItemFlags flag)
{
    m_flags.Reset(static_cast<unsigned short>(flag));
}

bool CDsFigureGenerator::GetFlag(EDsItemFlags flag) const
{
    return m_flags.Get(static_cast<unsigned short>(flag));
}

void CDsFigureGenerator::SetFlag(EDsItemFlags flag)
{
    m_flags.Set(static_cast<unsigned short>(flag));
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsFigureGenerator::MoveTo(const CGmPosition& position)
{
    ClosePolyline();
    m_polyline.push_back(position);
    m_position = position;
}

void CDsFigureGenerator::DrawTo(const CGmPosition& position)
{
    if (m_polyline.empty()) m_polyline.push_back(m_position);
    m_polyline.push_back(position);
    m_position = position;
}

void CDsFigureGenerator::DrawPolyline(int count, const CGmPosition* points)
{
    ClosePolyline();
    if (points)
        for (int i = 0; i < count; ++i) m_polyline.push_back(points[i]);
    ClosePolyline();
}

void CDsFigureGenerator::DrawArc(const CGmPosition& centre, double radius, const CGmTransformation& transformation,
                                 double start, double sweep, double step)
{
    DrawArc(CDsArcPolyGenerator(centre, radius, transformation, start, sweep, step));
}

void CDsFigureGenerator::DrawArc(const CDsArcPolyGenerator& arc)
{
    if (arc.GetRadius() == 0.0 || !std::isfinite(arc.GetRadius())) return;
    const std::unique_ptr<CDsPolylineStorage> storage(arc.Approximate());
    if (!storage) return;
    ClosePolyline();
    for (int i = 0; i < storage->GetVertexCount(); ++i) m_polyline.push_back(storage->GetTRansformedVertex(i));
    ClosePolyline();
}

// --- Hidden-line segments -----------------------------------------------------------------------

void CDsFigureGenerator::AddHlSegment(ENTITY* entity, CDsPolyline* polyline, EDsHlSegmentType type)
{
    CDsItemsGroup* view = m_currentGroup;
    if (!view || view->GetItemType() != eDsItemsHlView) return;
    // The view's children are its segment sets; a type that names none has nowhere to go.
    if (static_cast<int>(type) < 0 || static_cast<int>(type) >= view->Count()) return;
    auto* set = dynamic_cast<CDsItemsGroup*>(view->Get(static_cast<int>(type)));
    if (!set) return;

    auto* item = new CDsItemHlSegmentPolyline3D(entity, polyline);
    m_currentItem = item;
    m_entity = entity;
    set->Add(item);
    item->SetParent(view);
    ApplyPen(item);
    item->SetParent(view);
    if (m_context && m_entity) m_context->AddToMap(m_entity, item);
    if (m_entity) item->SetEntity(m_entity);
    item->SetGlContext(m_context);
    item->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    m_entity = nullptr;
}

CDsItemBase* CDsFigureGenerator::AddHlSegment(CDsPolyline* polyline, EDsHlSegmentType)
{
    if (!polyline) return nullptr;
    auto* item = new CDsItemHlSegmentPolyline3D(nullptr, polyline);
    ApplyPen(item);
    item->SetParent(nullptr);
    item->SetGlContext(m_context);
    item->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    return item;
}

// --- The result ---------------------------------------------------------------------------------

CDsItemsFigure* CDsFigureGenerator::DisplayList(ENTITY*)
{
    ENTITY* entity = m_entity;
    m_entity = nullptr;
    ClosePolyline();
    m_entity = entity;
    mCurrentItFigure = nullptr;

    CDsItemsFigure* root = m_root;
    if (root) {
        if (m_pen.GetXorMode()) root->SetDrawMode(eDsDrawModeXor);
        if (m_entity) root->SetEntity(m_entity);
        root->SetFlags(m_flags);
    } else {
        root = new CDsItemsFigure;
    }
    root->SetGlContext(m_context);
    // Handed over: the generator no longer owns or adds to it.
    m_root = nullptr;
    m_currentGroup = nullptr;
    m_currentItem = nullptr;
    return root;
}

// --- Static entry points ------------------------------------------------------------------------

void CDsFigureGenerator::ItMoveTo(const float* point)
{
    if (mCurrentItFigure && point) mCurrentItFigure->MoveTo(CGmPosition(point));
}

void CDsFigureGenerator::ItDrawTo(const float* point)
{
    if (mCurrentItFigure && point) mCurrentItFigure->DrawTo(CGmPosition(point));
}

void CDsFigureGenerator::ItSetPenWidth(int width)
{
    if (mCurrentItFigure) mCurrentItFigure->SetPenWidth(width);
}

void CDsFigureGenerator::ItSetPenStyle(int n)
{
    static const int kStyles[8] = {0, 1, 2, 5, 4, 7, 3, 6};
    if (!mCurrentItFigure) return;
    mCurrentItFigure->SetPenStyle(n >= 1 && n <= 8 ? kStyles[n - 1] : 4);
}

void CDsFigureGenerator::DrawPolygons2D(float*, int, bool) {}

void CDsFigureGenerator::DrawImage(const CDsImage& image, const CDsRectangle3d& rectangle)
{
    ClosePolyline();
    m_currentItem = new CDsItemImage(image, rectangle);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawBitmap(const CGmPosition& position, int index, EAlignment alignment, bool)
{
    ClosePolyline();
    m_currentItem = new CDsItemBitmapIndexed(position, index, alignment);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawBitmapColored(const CGmPosition& position, int index, EAlignment alignment, bool)
{
    ClosePolyline();
    m_currentItem = new CDsItemBitmapColored(position, index, alignment);
    AddCurrentItem();
}
