#include "DsItemsFigure.h"

#include "DsDriverExtrema.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsSelectAllData.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
#include "VyrPoint.h"
#include "gl_context.h"
#include "pick_manager.h"

#include <GL/gl.h>

TDsDlFigProc CDsItemsFigure::sDlFigProc = nullptr;
bool CDsItemsFigure::sIgnoreBlank = true;

namespace {

// The core rendering context of a view, null for another view or a view without one.
CDsGlContext* ContextOf(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    return core ? core->GetGlContext() : nullptr;
}

// Whether the view has an OpenGL context of its own to draw with.
bool HasGlRecord(CDsView3dCdc* view)
{
    CDsGlContext* context = view ? view->GetGlContext() : nullptr;
    if (!context) return false;
    gl_context_data* record = context->Get_gl_context_data(view);
    return record && record->get_GLRC();
}

// The clipping planes of a core view widened to a figure for the life of the scope, and the scene's
// own planes given back at its end. Setting the rendering transforms switches the depth test and
// lighting on; the caller's choice of both is kept (a figure drawn onto the front buffer draws
// without the depth test, whose buffer holds depths of the frame's own planes).
class CClippingWideningScope {
public:
    CClippingWideningScope(view3d& view, CDsItemsFigure& figure)
    {
        m_view = dynamic_cast<CDsView3dCdc*>(&view);
        m_context = m_view ? m_view->GetGlContext() : nullptr;
        if (!m_context || m_context->GetScene()->GetDisplayModeFlag(10)) return;
        {
            CDsDriverExtrema driver(m_view);
            figure.DrawExtremes(*driver.GetExtView(), nullptr);
            driver.AdjustClippingPlanes(false, false);
        }
        m_view->ComputeFrustrumBox(m_view, nullptr);
        SetUpTransforms();
        m_active = true;
    }
    ~CClippingWideningScope()
    {
        if (!m_active) return;
        m_context->ComputeEyeAndClippingPlanes(m_view, nullptr);
        SetUpTransforms();
    }
    CClippingWideningScope(const CClippingWideningScope&) = delete;
    CClippingWideningScope& operator=(const CClippingWideningScope&) = delete;

private:
    void SetUpTransforms()
    {
        m_view->SetupRenderingTransforms(false, true, m_context->GetClearBufferMode(), nullptr);
        if (!m_depthTest) glDisable(GL_DEPTH_TEST);
        if (!m_lighting) glDisable(GL_LIGHTING);
    }

    CDsView3dCdc* m_view = nullptr;
    CDsGlContext* m_context = nullptr;
    bool m_active = false;
    const bool m_depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    const bool m_lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
};

}  // namespace

CDsItemsFigure::CDsItemsFigure() : CDsItemsGroup(nullptr, nullptr)
{
    SetDrawMode(eDsDrawModeNormal);
}

CDsItemsFigure::~CDsItemsFigure()
{
    // Only an exclusive-or figure on the screen has something to take off it.
    if (GetDrawMode() != eDsDrawModeXor || !m_drawn) return;
    CDsView3dCdc* current = CDsView3dCdc::sCurrentView;
    if (!current || !HasGlRecord(current)) return;
    CDsView3dCdc::StMakeGlCurrentView(current);
    glDrawBuffer(GL_FRONT);
    Refresh(*current);
    glDrawBuffer(GL_BACK);
}

EDsItemsType CDsItemsFigure::GetItemType()
{
    return eDsItemsFigure;
}

void CDsItemsFigure::SetEntity(ENTITY* entity)
{
    if (entity) CDsItemsGroup::SetEntity(entity);
}

CGmPosition* CDsItemsFigure::GetTransformedPolyline(int& count, view3d* view)
{
    if (Count() == 0) {
        count = 0;
        return nullptr;
    }
    return GetFirst()->GetTransformedPolyline(count, view);
}

void CDsItemsFigure::SetViewDependency(bool on, view3d* view)
{
    if (!on) {
        m_viewDependency = nullptr;
        return;
    }
    m_viewDependency = view ? view : CDsView3dCdc::StGetCurrent();
}

// --- Drawing ------------------------------------------------------------------------------------

bool CDsItemsFigure::IsVisible(view3d& view)
{
    if (m_viewDependency && m_viewDependency != &view) return false;
    if (IsHidden()) return false;
    if (GetFlag(eDsItemFlagOnlyHighlighted) && !GetAttributes()->GetMarkState() &&
        !GetAttributes()->GetHighlightState())
        return false;
    if (GetFlag(eDsItemFlagHideByDocument4) && view.GetDocumentFlag(static_cast<EDsDocumentFlag>(4))) return false;
    if (GetFlag(eDsItemFlagHideByDocument5) && view.GetDocumentFlag(static_cast<EDsDocumentFlag>(5))) return false;
    return true;
}

void CDsItemsFigure::Refresh(view3d& view)
{
    CClippingWideningScope widening(view, *this);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_STIPPLE);
    SetAttributesToView(&view);
    RefreshGeometry(view);
}

void CDsItemsFigure::RefreshGeometry(view3d& view)
{
    if (!IsVisible(view)) return;
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LINE_STIPPLE);
    CDsView3dCdc::StMakeGlCurrentView(&view);
    const drawing_mode savedMode = view.get_drawing_mode();

    const bool depthOff = GetAttributes()->GetOnTopFlag() && glIsEnabled(GL_DEPTH_TEST);
    if (depthOff) glDisable(GL_DEPTH_TEST);

    if (GetDrawMode() != eDsDrawModeXor) {
        view.set_drawing_mode(drawing_mode_copy);
        glDisable(GL_COLOR_LOGIC_OP);
        m_drawn = true;
    } else {
        view.set_drawing_mode(drawing_mode_xor);
        glEnable(GL_COLOR_LOGIC_OP);
        glLogicOp(GL_XOR);
        GLint buffer = GL_NONE;
        glGetIntegerv(GL_DRAW_BUFFER, &buffer);
        // Into the back buffer the next swap shows it; on the front buffer every pass flips it.
        if (buffer == GL_BACK || buffer == GL_BACK_LEFT)
            m_drawn = true;
        else
            m_drawn = !m_drawn;
    }

    const bool viewFlag5 = GetFlag(eDsItemFlagViewFlag5);
    if (viewFlag5) view.SetFlag(eDsViewFlagFigureGroup, true);
    CDsItemsGroup::Refresh(view);
    if (viewFlag5) view.SetFlag(eDsViewFlagFigureGroup, false);

    view.set_drawing_mode(savedMode);
    glDisable(GL_COLOR_LOGIC_OP);
    if (depthOff) {
        glEnable(GL_DEPTH_TEST);
        glDepthRange(0.0, 1.0);
    }
    glFlush();
}

void CDsItemsFigure::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    CDsItemsGroup::Pick(static_cast<view3d*>(&extrema));
}

void CDsItemsFigure::DrawToFrontBuffer(view3d& view)
{
    const bool viewFlag5 = GetFlag(eDsItemFlagViewFlag5);
    if (viewFlag5) view.SetFlag(eDsViewFlagFigureGroup, true);
    CDsItemsGroup::DrawToFrontBuffer(view);
    if (viewFlag5) view.SetFlag(eDsViewFlagFigureGroup, false);
}

void CDsItemsFigure::Erase(view3d& view)
{
    const bool xorMode = GetDrawMode() == eDsDrawModeXor;
    if (xorMode && !m_drawn) return;
    if (m_viewDependency && m_viewDependency != &view) return;
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    if (xorMode) {
        Refresh(view);
        return;
    }
    CDsItemsGroup::Erase(view);
    m_drawn = false;
}

void CDsItemsFigure::DrawGeometry(view3d& view)
{
    if (IsVisible(view)) CDsItemsGroup::DrawGeometry(view);
}

bool CDsItemsFigure::Remove(CDsItemBase* item)
{
    if (m_figure) return false;
    return CDsItemsGroup::Remove(item);
}

CDsItemBase* CDsItemsFigure::FindTextItem()
{
    // The model-space text and the vector text derived from it.
    for (CDsItemBase* child : GetDsItems()) {
        const EDsItemsType type = child->GetItemType();
        if (type == eDsItemNText3D || type == eDsItemNTextVector) return child;
    }
    return nullptr;
}

// --- Picking ------------------------------------------------------------------------------------

int CDsItemsFigure::TestFigure() const
{
    return sDlFigProc ? sDlFigProc(this) : 1;
}

bool CDsItemsFigure::PickToContinue(view3d& view)
{
    CDsGlContext* context = ContextOf(&view);
    return context && context->GetPickProccessorFlag(eDsPickStateRecordLevels) && CDsPickProccessor::sPickInRegionMode;
}

bool CDsItemsFigure::Pick(pick_manager* manager)
{
    if (!manager) return false;
    if (GetFlag(eDsItemFlagNotPickable)) return false;
    view3d* view = manager->get_view();
    if (dynamic_cast<CDsView3dCdc*>(view)) {
        if (GetFlag(eDsItemFlagHideByDocument4) && view->GetDocumentFlag(static_cast<EDsDocumentFlag>(4))) return false;
        if (GetFlag(eDsItemFlagHideByDocument5) && view->GetDocumentFlag(static_cast<EDsDocumentFlag>(5))) return false;
    }
    if (IsHidden() && sIgnoreBlank) return false;
    if (sDlFigProc && sDlFigProc(this) == 0) return false;

    manager->push_level(this, GetEntity());
    const bool goOn = view && PickToContinue(*view);
    bool hit = false;
    for (CDsItemBase* child : GetDsItems()) {
        if (!child->Pick(manager)) continue;
        hit = true;
        if (!goOn) break;
    }
    manager->pop_level();
    return hit;
}

void CDsItemsFigure::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    pick_manager* main = data.GetMainPickManager();
    auto* view = dynamic_cast<CDsView3dCdc*>(main ? main->get_view() : nullptr);
    ENTITY* entity = GetEntity();
    if (!view || !entity || !IsVisible(*view) || !data.TestEntity(entity)) return;
    if (is_CVyrPoint(entity)) {
        CDsGlContext* context = view->GetGlContext();
        if (!context || !context->GetPickProccessorFlag(eDsPickStatePointsInSelectAll)) return;
    }
    list.add(entity);
}

// --- Reference points ---------------------------------------------------------------------------

CDsRefPoint* CDsItemsFigure::PickRefPoint(CUiPickEvent& original)
{
    const CUiPickEvent event(original);
    view3d* view = event.view();
    if (!GetEntity() || Count() == 0 || !view) return nullptr;

    // The view's pick mode as it was (a pick walk may have put it in one), given back at the end.
    const int savedMode = view->get_pick_mode();
    int savedX = 0, savedY = 0, savedWidth = 0, savedHeight = 0;
    view->get_pick_aperture(savedX, savedY, savedWidth, savedHeight);

    int width = 0, height = 0;
    get_pick_aperture(width, height);
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    view->pick_mode(1, event.x(), event.y(), width, height);

    CDsRefPoint* result = nullptr;
    if (Pick(&manager)) {
        const pick_record* record = manager.get_record_count() > 0 ? manager.get_record(0) : nullptr;
        ENTITY* picked = record ? record->get_entity() : nullptr;
        CDsGlContext* context = ContextOf(view);
        if (picked && context && context->GetPickProccessorFlag(eDsPickStateNoFacePickData)) {
            const CGmPosition position(event.GetMappedPosition(false));
            result = new CDsRefPoint(picked, &position);
            if (result->PickRefPointByEntity(event) == 0) {
                delete result;
                result = nullptr;
            }
        } else {
            result = PickPolyLineEntity(event);
        }
    }

    if (savedMode)
        view->pick_mode(savedMode, savedX, savedY, savedWidth, savedHeight);
    else
        view->pick_mode(0, 0, 0, 0, 0);
    return result;
}

CDsRefPoint* CDsItemsFigure::PickPolyLineEntity(const CUiPickEvent& event)
{
    int count = 0;
    CGmPosition* points = GetTransformedPolyline(count, event.view());
    if (!points) return nullptr;
    CDsRefPoint* result = count > 0 ? TestForEnds(points[0], points[count - 1], event, count) : nullptr;
    delete[] points;
    return result;
}

CDsRefPoint* CDsItemsFigure::TestForEnds(const CGmPosition& first, const CGmPosition& last, const CUiPickEvent& event,
                                         int count)
{
    view3d* view = event.view();
    if (!view) return nullptr;
    int cx = 0, cy = 0, width = 0, height = 0;
    view->get_pick_aperture(cx, cy, width, height);
    if (width <= 0) get_pick_aperture(width, height);
    const long long limit = static_cast<long long>(width) * width;

    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    auto inside = [&](const CGmPosition& p) {
        float x = 0.0f, y = 0.0f;
        if (!computer->ProjectPositionOnView(p, view, x, y, nullptr, true)) return false;
        const double dx = x - event.x(), dy = y - event.y();
        return static_cast<long long>(dx * dx + dy * dy) < limit;
    };
    if (inside(first)) return CreateRefPoint(view, 256, first, 1);
    if (inside(last)) return CreateRefPoint(view, 257, last, count);
    // Neither end under the cursor: the end nearer to the entity's point nearest to the pick (on
    // the polyline the figure's pick touched), the last one on a tie.
    if (!GetEntity()) return nullptr;
    CDsRefPoint probe(GetEntity());
    if (!probe.PickRefClosePoint(event, false)) return nullptr;
    const CGmPosition nearest = CDsRefPoint::sLastPosition;
    const double toFirst = (first - nearest) % (first - nearest);
    const double toLast = (last - nearest) % (last - nearest);
    if (toLast > toFirst) return CreateRefPoint(view, 256, first, 1);
    return CreateRefPoint(view, 257, last, count);
}

CDsRefPoint* CDsItemsFigure::CreateRefPoint(view3d* view, eVyrParamPointType type, const CGmPosition& position,
                                            int index)
{
    auto* point = new CDsRefPoint(GetEntity(), &position);
    CDsRefPoint::sPickType = type;
    if (CDsGlContext* context = ContextOf(view))
        context->GetPickProccessor()->GetPickInfoStorage().SetPickedPrimitiveIndex(index);
    return point;
}
