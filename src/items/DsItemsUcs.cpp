// The coordinate-system triads: the triad of arrows and labels, and the reference triad of a
// scene.
#include "DsItemsUcs.h"

#include "DsColorStorage.h"
#include "DsDriverExtrema.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemNText2D.h"
#include "DsItemsArrowFixed.h"
#include "DsManager.h"
#include "DsNFontStorage.h"
#include "DsPartStorage.h"
#include "DsTransform.h"
#include "DsView3dCdc.h"
#include "VyrObjectPath.h"
#include "VyrUiToolContext.h"
#include "VyrWCS.h"

#include "SpaExtras.h"
#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <windows.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

namespace {

// The bit of the pick of axis `axis` (0 to 2) in the flag word.
uint32_t AxisBit(int axis)
{
    return CDsItemsUcs::eUcsAxisPicked << axis;
}

const uint32_t kAllAxisBits = CDsItemsUcs::eUcsAxisPicked * 7u;

// The reference point kinds of DrawPoints.
constexpr long kOriginPoint = 0x2000;
constexpr long kAxisPoint = 0x40000;

// Millimetres per pixel of a device context; 0 when it answers no size.
double MillimetresPerPixel(HDC dc)
{
    if (!dc) return 0.0;
    const int vertSize = GetDeviceCaps(dc, VERTSIZE), vertRes = GetDeviceCaps(dc, VERTRES);
    const int horzSize = GetDeviceCaps(dc, HORZSIZE), horzRes = GetDeviceCaps(dc, HORZRES);
    if (vertSize <= 0 || vertRes <= 0 || horzSize <= 0 || horzRes <= 0) return 0.0;
    return (double(vertSize) / double(vertRes) + double(horzSize) / double(horzRes)) * 0.5;
}

}  // namespace

// === CDsItemsUcs ================================================================================

CDsItemsUcs::CDsItemsUcs(const CGmPosition& origin, const CVyrString& axisLabels, const CVyrString& originLabel,
                         const CGmUnitVector* axes, bool followManagerSize, bool screen, int offsetX, int offsetY,
                         int axisCount)
    : CDsItemsGroup(nullptr, nullptr), m_screen(screen), m_offsetX(offsetX), m_offsetY(offsetY)
{
    SetAxisCount(axisCount);
    ResetUcs();
    if (followManagerSize)
        m_flags |= eUcsFollowManager;
    else
        m_flags &= ~eUcsFollowManager;
    Build(origin, axisLabels, originLabel, axes, axisCount);
}

CDsItemsUcs::~CDsItemsUcs() = default;

void CDsItemsUcs::ResetUcs()
{
    for (int axis = 0; axis < 3; ++axis) m_flags &= ~AxisBit(axis);
    m_flags &= ~(eUcsOriginLabel | eUcsPickCleared | eUcsHeadPicked);
    m_origin = CGmPosition();
    m_size = 0.0f;
    m_length = 0;
    m_view = nullptr;
    m_partsView = nullptr;
    GetAttributes()->SetOnTopFlag(true);
}

void CDsItemsUcs::SetAxisCount(int count)
{
    m_flags = (m_flags & ~uint32_t(eUcsAxisCountMask)) | uint32_t(count >= 1 && count <= 3 ? count : 3);
}

int CDsItemsUcs::StMillimetresToPixels(float size, float factor, bool screen, view3d* view)
{
    HDC dc = nullptr;
    bool screenDc = true;
    if (!screen && view) {
        dc = view->get_device_context();
        screenDc = dc == nullptr;
    }
    if (!dc) dc = GetDC(nullptr);
    const double perPixel = MillimetresPerPixel(dc);
    if (screenDc)
        ReleaseDC(nullptr, dc);
    else
        view->release_device_context(dc);
    if (perPixel <= 0.0) return 0;
    const double pixels = std::trunc(double(size) * double(factor) / perPixel);
    if (!std::isfinite(pixels) || std::fabs(pixels) > 1e6) return 0;
    return static_cast<int>(pixels);
}

float CDsItemsUcs::WantedSize() const
{
    if (m_flags & eUcsFollowManager) return static_cast<float>(CDsManager::GetInstance()->GetUcsSize());
    return kFixedSize;
}

void CDsItemsUcs::Build(const CGmPosition& origin, const CVyrString& axisLabels, const CVyrString& originLabel,
                        const CGmUnitVector* axes, int axisCount)
{
    SetAxisCount(axisCount);
    GetAttributes()->SetOnTopFlag(true);
    m_view = nullptr;
    m_partsView = nullptr;
    m_origin = origin;
    m_view = CDsView3dCdc::StGetCurrent();
    m_size = WantedSize();
    m_length = StMillimetresToPixels(m_size, 1.0f, m_screen, m_view);
    m_labelHeight = m_length / 3;
    const int marker = m_screen ? 0 : (std::trunc(m_size) >= 16.0f ? 11 : 5);

    int vx = 0, vy = 0, w = 0, h = 0;
    if (m_view) m_view->get_viewport(vx, vy, w, h);
    const int px = w - m_offsetX, py = h - m_offsetY;

    CDsNFontStorage font;
    font.SetHeight((m_labelHeight * 14) / 10);

    static const wchar_t* const kDefaultLabels[3] = {L"X", L"Y", L"Z"};
    const CGmUnitVector modelAxes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    const int count = GetAxisCount();
    Reserve(2 * count + 1);
    for (int axis = 0; axis < count; ++axis) {
        const CGmUnitVector& direction = axes ? axes[axis] : modelAxes[axis];
        auto* arrow = new CDsItemsArrowFixed(origin, CGmVector(direction.x(), direction.y(), direction.z()), m_length,
                                             0, m_screen, px, py, marker);
        if (axis > 0) arrow->SetArrowFlags(arrow->GetArrowFlags() & ~CDsItemsArrowFixed::kFlagMarker);
        CVyrString text;
        if (axisLabels.IsEmpty())
            text = CVyrString(kDefaultLabels[axis]);
        else if (axis < axisLabels.GetLength())
            text += axisLabels.GetString()[axis];
        auto* label = new CDsItemNText2D(text, font, 0, 0);
        label->SetAlignment(eDsTextLineCenter);
        Add(arrow);
        Add(label);
    }
    if (!originLabel.IsEmpty()) {
        Add(new CDsItemNText2D(originLabel, font, 0, 0));
        m_flags |= eUcsOriginLabel;
    }
    m_flags &= ~(eUcsPickCleared | eUcsHeadPicked);
}

void CDsItemsUcs::CheckSize()
{
    const float wanted = WantedSize();
    if (wanted == m_size) return;
    const int count = GetAxisCount();
    std::vector<CGmUnitVector> axes;
    CVyrString labels;
    bool anyLabel = false;
    for (int axis = 0; axis < count; ++axis) {
        CDsItemsArrowFixed* arrow = GetArrow(axis);
        axes.push_back(arrow ? arrow->GetDirection() : CGmUnitVector());
        CDsItemNText2D* label = GetLabel(axis);
        const CVyrString text = label ? label->GetText() : CVyrString();
        labels += text.IsEmpty() ? L' ' : text.GetString()[0];
        anyLabel = anyLabel || !text.IsEmpty();
    }
    CDsItemNText2D* origin = GetOriginLabel();
    const CVyrString originText = origin ? origin->GetText() : CVyrString();
    const CGmPosition at = m_origin;
    CleanAll();
    m_flags &= ~uint32_t(eUcsOriginLabel);
    Build(at, anyLabel ? labels : CVyrString(), originText, axes.data(), count);
    for (int axis = 0; axis < count; ++axis)
        if (m_hasAxisAttributes[axis]) {
            const CDsLineAttribStorage kept = m_axisAttributes[axis];
            SetAxisAttributes(kept, axis);
        }
}

CDsItemsArrowFixed* CDsItemsUcs::GetArrow(int axis) const
{
    if (axis < 0 || axis >= GetAxisCount()) return nullptr;
    return dynamic_cast<CDsItemsArrowFixed*>(Get(2 * axis));
}

CDsItemNText2D* CDsItemsUcs::GetLabel(int axis) const
{
    if (axis < 0 || axis >= GetAxisCount()) return nullptr;
    return dynamic_cast<CDsItemNText2D*>(Get(2 * axis + 1));
}

CDsItemNText2D* CDsItemsUcs::GetOriginLabel() const
{
    if (!(m_flags & eUcsOriginLabel) || Count() % 2 == 0) return nullptr;
    return dynamic_cast<CDsItemNText2D*>(GetLast());
}

void CDsItemsUcs::UpdateParts(view3d& view, bool force)
{
    if (&view == m_partsView && !force) return;
    m_partsView = &view;
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        if (CDsItemsArrowFixed* arrow = GetArrow(axis)) {
            arrow->SetLength(m_length);
            arrow->UpdateParts(view);
        }
        if (CDsItemNText2D* label = GetLabel(axis)) {
            label->SetAlignment(eDsTextLineCenter);
            label->SetHeight(m_labelHeight);
        }
    }
    if (CDsItemNText2D* origin = GetOriginLabel()) origin->SetHeight(m_labelHeight);
}

bool CDsItemsUcs::PlaceLabel(int axis)
{
    CDsItemsArrowFixed* arrow = GetArrow(axis);
    CDsItemNText2D* label = GetLabel(axis);
    if (!arrow || !label || !arrow->HasShape() || m_length <= 0) return false;
    const float* extent = arrow->GetScreenExtent();
    const float dx = extent[0] - extent[2], dy = extent[1] - extent[3];
    const float q = float(m_length + (10 * m_labelHeight) / 9) / float(m_length);
    const int x = static_cast<int>(std::trunc(dx == 0.0f ? extent[2] : extent[2] + dx * q));
    const int y = static_cast<int>(std::trunc(dy == 0.0f ? extent[3] : extent[3] + dy * q));
    label->SetPosition(x, y);
    return true;
}

bool CDsItemsUcs::PlaceOriginLabel()
{
    CDsItemNText2D* origin = GetOriginLabel();
    CDsItemsArrowFixed* arrow = GetArrow(GetAxisCount() - 1);
    if (!origin || !arrow || !arrow->HasShape()) return false;
    const float* extent = arrow->GetScreenExtent();
    origin->SetPosition(static_cast<int>(std::trunc(extent[2])),
                        static_cast<int>(std::trunc(extent[3] - 1.5f * float(m_labelHeight))));
    return true;
}

void CDsItemsUcs::SetAxisAttributes(const CDsLineAttribStorage& attributes, int axis)
{
    if (axis < 0 || axis >= GetAxisCount()) return;
    m_axisAttributes[axis] = attributes;
    m_hasAxisAttributes[axis] = true;
    if (CDsItemsArrowFixed* arrow = GetArrow(axis)) arrow->SetAttributes(attributes, true);
    if (CDsItemNText2D* label = GetLabel(axis)) label->SetAttributes(attributes, true);
}

bool CDsItemsUcs::GetAxisPicked(int axis) const
{
    return axis >= 0 && axis < 3 && (m_flags & AxisBit(axis)) != 0;
}

void CDsItemsUcs::SetAxisPicked(int axis, bool on)
{
    if (axis < 0 || axis >= 3) return;
    if (on)
        m_flags |= AxisBit(axis);
    else
        m_flags &= ~AxisBit(axis);
}

void CDsItemsUcs::SetUcsVisibility(EVisibilityLevel level, bool on, bool)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    CDsGlContext* context = view ? view->GetGlContext() : nullptr;
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    if (!scene || !scene->GetDisplayModeFlag(17)) {
        CDsItemsGroup::SetVisibility(level, on, true, nullptr);
        return;
    }
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        if (on && !GetAxisPicked(axis)) continue;
        if (CDsItemsArrowFixed* arrow = GetArrow(axis)) arrow->SetVisibility(level, on, true, nullptr);
        if (CDsItemNText2D* label = GetLabel(axis)) label->SetVisibility(level, on, true, nullptr);
        if (on) return;
    }
}

// --- The item protocol ------------------------------------------------------------------------

bool CDsItemsUcs::GetBoundBox2D(SDsBox2D& box)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    CheckSize();
    UpdateParts(*view, true);
    auto merge = [&box](const SDsBox2D& part) {
        if (part.minX > part.maxX && part.minY > part.maxY) return;
        box.Expand(part);
    };
    // The arrows' boxes count rows down from where the origin lands in the window; the labels
    // stand at window places with rows counted up, their boxes upwards from there: each is turned
    // over and moved to the same anchor.
    float ox = 0.0f, oy = 0.0f;
    CDsItemsArrowFixed* first = GetArrow(0);
    const bool anchored = first && first->GetAnchorInWindow(*view, ox, oy);
    auto mergeText = [&](CDsItemNText2D* text) {
        SDsBox2D part;
        part.SetEmpty();
        if (!anchored || !text->GetBoundBox2D(part)) return;
        int x = 0, y = 0;
        text->GetPosition(x, y);
        SDsBox2D down;
        down.minX = part.minX;
        down.maxX = part.maxX;
        down.minY = -part.maxY;
        down.maxY = -part.minY;
        down.Offset(float(x) - ox, oy - float(y));
        merge(down);
    };
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        if (CDsItemsArrowFixed* arrow = GetArrow(axis)) {
            SDsBox2D part;
            part.SetEmpty();
            if (arrow->GetBoundBox2D(part)) merge(part);
        }
        if (CDsItemNText2D* label = GetLabel(axis); label && PlaceLabel(axis)) mergeText(label);
    }
    if (CDsItemNText2D* origin = GetOriginLabel(); origin && PlaceOriginLabel()) mergeText(origin);
    return true;
}

EDsItemsType CDsItemsUcs::GetItemType()
{
    return eDsItemsUcs;
}

void CDsItemsUcs::SetTransformation(const SPAtransf& transform)
{
    CDsItemsGroup* parent = GetParent();
    ENTITY* entity = parent ? parent->GetEntity() : nullptr;
    if (!entity || !is_CVyrWCS(entity)) return;
    const WCS* system = static_cast<const CVyrWCS*>(entity)->GetWCS();
    if (!system) return;
    m_origin = CGmPosition(system->origin());
    Transform(transform);
}

void CDsItemsUcs::Transform(const SPAtransf& transform)
{
    m_origin = CGmPosition(SPAposition(m_origin) * transform);
    for (int axis = 0; axis < GetAxisCount(); ++axis)
        if (CDsItemsArrowFixed* arrow = GetArrow(axis)) arrow->Transform(transform);
    m_partsView = nullptr;
}

void CDsItemsUcs::Refresh(view3d& view)
{
    DrawGeometry(view);
}

void CDsItemsUcs::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (extrema.GetAdjustBounderiesMode() || IsHidden()) return;
    if (entity && entity != GetEntity()) return;
    extrema.DrawPoint2d(m_origin);
    UpdateParts(extrema, true);
}

void CDsItemsUcs::DrawToFrontBuffer(view3d& view)
{
    Refresh(view);
}

void CDsItemsUcs::Plot(view3d& view)
{
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(&view)) {
        DrawExtremes(*extrema, nullptr);
        return;
    }
    const int length = m_length, labelHeight = m_labelHeight;
    m_length = StMillimetresToPixels(m_size, 0.5f, false, &view);
    m_labelHeight = m_length / 3;
    UpdateParts(view, true);
    for (int axis = 0; axis < GetAxisCount(); ++axis) PlaceLabel(axis);
    PlaceOriginLabel();
    CDsItemsGroup::Plot(view);
    m_length = length;
    m_labelHeight = labelHeight;
    UpdateParts(view, true);
    for (int axis = 0; axis < GetAxisCount(); ++axis) PlaceLabel(axis);
    PlaceOriginLabel();
}

void CDsItemsUcs::DrawGeometry(view3d& view)
{
    const EDsDrawPhase phase = view.GetDrawPhase();
    if (phase != eDsDrawPhaseOnTop && phase != eDsDrawPhasePlot) return;
    if (IsHideLevelHidden()) return;
    CheckSize();
    UpdateParts(view);
    if (GetAttributes()->GetInheritStyleState()) glDisable(GL_LINE_STIPPLE);
    const bool fast = view.GetFlag(eDsViewFlagFastRefresh);
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        if (CDsItemsArrowFixed* arrow = GetArrow(axis)) arrow->DrawGeometry(view);
        if (fast) continue;
        if (CDsItemNText2D* label = GetLabel(axis); label && PlaceLabel(axis)) label->DrawGeometry(view);
    }
    if (fast) return;
    if (CDsItemNText2D* origin = GetOriginLabel(); origin && PlaceOriginLabel()) origin->DrawGeometry(view);
}

bool CDsItemsUcs::Pick(view3d* view)
{
    if (!view) return false;
    if (view->get_pick_mode() == 0) {
        if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view)) DrawExtremes(*extrema, nullptr);
        return true;
    }
    CheckSize();
    UpdateParts(*view, true);
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        if (CDsItemsArrowFixed* arrow = GetArrow(axis); arrow && arrow->Pick(view)) return true;
        if (CDsItemNText2D* label = GetLabel(axis); label && PlaceLabel(axis) && label->Pick(view)) return true;
    }
    CDsItemNText2D* origin = GetOriginLabel();
    return origin && PlaceOriginLabel() && origin->Pick(view);
}

bool CDsItemsUcs::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    CheckSize();
    UpdateParts(*view, true);
    m_flags &= ~(kAllAxisBits | eUcsPickCleared | eUcsHeadPicked);
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        CDsItemsArrowFixed* arrow = GetArrow(axis);
        if (!arrow || !arrow->Pick(manager)) continue;
        if (CDsItemBase* head = arrow->Get(0); head && head->Pick(manager)) {
            m_flags |= eUcsHeadPicked;
            m_flags &= ~uint32_t(eUcsPickCleared);
        }
        m_flags |= AxisBit(axis);
        return true;
    }
    return false;
}

long CDsItemsUcs::DrawPoints(view3d& view, long mask)
{
    long result = 0;
    if ((mask & kOriginPoint) && view.draw_point_3d(m_origin)) result = kOriginPoint;
    CheckSize();
    UpdateParts(view, true);
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        const long bit = kAxisPoint << axis;
        if (!(mask & bit)) continue;
        CDsItemsArrowFixed* arrow = GetArrow(axis);
        CDsItemNText2D* label = GetLabel(axis);
        if ((arrow && arrow->Pick(&view)) || (label && PlaceLabel(axis) && label->Pick(&view))) result = bit;
    }
    return result;
}

bool CDsItemsUcs::GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position)
{
    switch (static_cast<int>(which)) {
    case 0x20:
        position = m_origin;
        return true;
    case 0x40:
    case 0x80:
    case 0x100: {
        const int axis = which == 0x40 ? 0 : (which == 0x80 ? 1 : 2);
        CDsItemsArrowFixed* arrow = GetArrow(axis);
        return arrow && arrow->GetTipPosition(position);
    }
    default: return false;
    }
}

void CDsItemsUcs::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & (CDsGeometry::eDpPoints | CDsGeometry::eDpTexts))) return;
    CheckSize();
    UpdateParts(view);
    if (applyAttributes && GetAttributes()->GetInheritStyleState()) glDisable(GL_LINE_STIPPLE);
    for (int axis = 0; axis < GetAxisCount(); ++axis) {
        CDsItemsArrowFixed* arrow = GetArrow(axis);
        if (arrow && (kinds & CDsGeometry::eDpPoints)) arrow->DrawOnTraverse(view, kinds, applyAttributes);
        if (!(kinds & CDsGeometry::eDpTexts)) continue;
        if (arrow) arrow->UpdateParts(view);
        if (CDsItemNText2D* label = GetLabel(axis); label && PlaceLabel(axis))
            label->DrawOnTraverse(view, kinds, applyAttributes);
    }
    if (kinds & CDsGeometry::eDpTexts)
        if (CDsItemNText2D* origin = GetOriginLabel(); origin && PlaceOriginLabel())
            origin->DrawOnTraverse(view, kinds, applyAttributes);
}

bool CDsItemsUcs::GetBoundBox(SPAbox& box)
{
    box = SPAbox(m_origin, m_origin);
    return true;
}

// === CDsItemsUcsReference =======================================================================

CDsItemsUcsReference::CDsItemsUcsReference() : CDsItemsGroup(nullptr, nullptr)
{
    SetReferenceUcs(nullptr);
    SetColor(CDsColorStorage(150, 150, 150), true);
    SetWidth(1, true);
    SetStyle(0, true);
}

CDsItemsUcsReference::~CDsItemsUcsReference() = default;

void CDsItemsUcsReference::SetReferenceUcs(const CVyrWCS* entity)
{
    const WCS* system = entity ? entity->GetWCS() : nullptr;
    if (!system) {
        m_axes[0] = CGmUnitVector(1, 0, 0);
        m_axes[1] = CGmUnitVector(0, 1, 0);
        m_axes[2] = CGmUnitVector(0, 0, 1);
        m_origin = SPAposition(0, 0, 0);
        return;
    }
    m_axes[0] = system->x_axis();
    m_axes[1] = system->y_axis();
    m_axes[2] = system->z_axis();
    m_origin = system->origin();
}

void CDsItemsUcsReference::GetReferenceUcs(CGmUnitVector* axes, SPAposition& origin) const
{
    if (!axes) return;
    for (int i = 0; i < 3; ++i) axes[i] = m_axes[i];
    origin = m_origin;
}

void CDsItemsUcsReference::TransformToReferenceUcs(SPAunit_vector& direction) const
{
    const SPAvector v = direction.x() * SPAvector(m_axes[0]) + direction.y() * SPAvector(m_axes[1]) +
                        direction.z() * SPAvector(m_axes[2]);
    direction = normalise(v);
}

void CDsItemsUcsReference::DrawTriad(view3d& view, const CDsColorStorage& color)
{
    if (CDsView3dCdc::sPlotMode != 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_STIPPLE);
    glLineWidth(1.0f);
    glColor3ub(color.GetRed(), color.GetGreen(), color.GetBlue());

    const int s = static_cast<int>(std::trunc(1.5 * CDsItemsUcs::StMillimetresToPixels(14.0f, 1.0f, true, &view)));
    SPAposition anchor;
    if (s > 0 && CDsGeometryComputer::GetInstance()->Convert2dCoordsTo3dPositionOnViewTargetPlane(s, s, &view, anchor)) {
        CDsItemsUcs triad(CGmPosition(anchor), CVyrString(L"XYZ"), CVyrString(), m_axes, false, true, s, s, 3);
        for (int axis = 0; axis < 3; ++axis) {
            CDsItemsArrowFixed* arrow = triad.GetArrow(axis);
            if (!arrow) continue;
            arrow->SetArrowFlags(arrow->GetArrowFlags() & ~CDsItemsArrowFixed::kFlagFastLine);
            if (CDsItemBase* marker = arrow->Get(3)) marker->SetOnTopFlag(true);
        }
        const bool fast = view.GetFlag(eDsViewFlagFastRefresh);
        view.SetFlag(eDsViewFlagFastRefresh, false);
        bool transformed = false;
        if (CVyrUiToolContext* tool = CVyrUiToolContext::StGetCurrent()) {
            const std::vector<int>& ids = tool->GetObjectPathIds();
            const CVyrObjectPath path(ids.data(), static_cast<int>(ids.size()), tool->GetObjectPathDepth(),
                                      tool->GetObjectPathPartId());
            SItemInfo info;
            if (!ids.empty() && CDsPartStorage::instance()->GetPathInfo(path, nullptr, info)) {
                view.SetModelTransform(info.m_transform.Convert2SPA());
                view.enable_model_transform(true);
                transformed = true;
            }
        }
        triad.DrawGeometry(view);
        if (transformed) view.ClearModelTransform();
        view.SetFlag(eDsViewFlagFastRefresh, fast);
    }
    glPopAttrib();
}

EDsItemsType CDsItemsUcsReference::GetItemType()
{
    return eDsItemsUcsReference;
}

void CDsItemsUcsReference::Refresh(view3d& view)
{
    DrawTriad(view, CDsColorStorage(0, 0, 0));
}
