// The figure base: definition through the figure generator, recording into the scene database's
// temporary part, direct drawing and erasing, removal, redefinition and the attribute operations.
#include "DsFigure.h"

#include <afxwin.h>

#include "DsAttributes.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsFigureGenerator.h"
#include "DsFigureGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemPolyline3D.h"
#include "DsItemsFigure.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsTransform.h"
#include "DsView3dCdc.h"
#include "GmTransformation.h"
#include "UiPickEvent.h"
#include "VyrExceptionMask.h"
#include "VyrUiToolContext.h"
#include "gl_context.h"
#include "view3d.h"

#include <GL/gl.h>

#include <vector>

bool CDsFigure::sDrawToBackBuffer = false;

namespace {

// The edits of recorded figures' items in this process (CDsFigure::StItemEdits).
uint64_t sItemEdits = 0;

// The rendering context of the current view, null without one.
CDsGlContext* CurrentContext()
{
    CDsView3dCdc* view = CDsView3dCdc::sCurrentView;
    return view ? view->GetGlContext() : nullptr;
}

// The display-suspension count of the current view's context's scene (0 without one).
int SuspensionCount()
{
    CDsGlContext* context = CurrentContext();
    return context ? context->GetScene()->GetDisplaySuspension() : 0;
}

// The view given, else the current view.
view3d* ViewOrCurrent(view3d* view)
{
    return view ? view : static_cast<view3d*>(CDsView3dCdc::sCurrentView);
}

// The core rendering context of a view, null for another kind or none.
CDsGlContext* ContextOf(view3d* view)
{
    if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) return core->GetGlContext();
    return view ? dynamic_cast<CDsGlContext*>(view->get_rendering_context()) : nullptr;
}

// Makes the OpenGL context of `view` current, also when the view is the current view as far as the
// statics know but no context is current any more (a window that goes releases the context drawing
// into it: another document's closing leaves none). Whether a context is current afterwards.
bool MakeViewContextCurrent(view3d* view)
{
    CDsView3dCdc::StMakeGlCurrentView(view);
    if (wglGetCurrentContext()) return true;
    CDsGlContext* context = ContextOf(view);
    gl_context_data* record = context ? context->Get_gl_context_data(view) : nullptr;
    return record && record->get_GLRC() && CDsGlContext::StBindRecord(view, record);
}

// The window of a core view, null for another view or one without a window.
HWND WindowOf(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CWnd* window = core ? core->GetWindow() : nullptr;
    return window ? window->GetSafeHwnd() : nullptr;
}

}  // namespace

// --- Construction -------------------------------------------------------------------------------

CDsFigure::CDsFigure(bool activeTransformation, bool storageRemoval, bool clipable)
    : m_storageRemoval(storageRemoval), m_activeTransformation(activeTransformation), m_clipable(clipable)
{
    if (CDsLineAttribStorage* normal = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal)) {
        m_attributes.SetColor(normal->GetColor());
        if (normal->GetStyle() < CDsLineAttribStorage::kStylesCount) m_attributes.SetStyle(normal->GetStyle());
        if (normal->GetWidth() >= 1 && normal->GetWidth() <= CDsLineAttribStorage::kMaxWidth)
            m_attributes.SetWidth(normal->GetWidth());
    }
}

CDsFigure::~CDsFigure()
{
    // The item's geometry points at this figure: it goes first, whatever the removal flag says.
    RemoveOwnItem();
    if (m_recorded) Remove(nullptr);
    delete m_main;
    m_main = nullptr;
    delete m_impersonal;
    m_impersonal = nullptr;
}

// --- Virtual defaults ---------------------------------------------------------------------------

bool CDsFigure::DefineImpersonalPart(CDsFigureGenerator&)
{
    return false;
}

unsigned char CDsFigure::GetFigureAttributes()
{
    return 0;
}

int CDsFigure::GetType() const
{
    return -1;
}

CVyrObjectId CDsFigure::GetObjectId() const
{
    return m_objectId;
}

bool CDsFigure::OnImpPartDraw(EAttribSetIndex) const
{
    return true;
}

// --- Groups and state ---------------------------------------------------------------------------

CDsItemsFigure* CDsFigure::GetItemsFig() const
{
    return m_main ? m_main : m_impersonal;
}

bool CDsFigure::GetPath(CVyrObjectPath& path) const
{
    if (!m_recorded) return false;
    const CVyrObjectId id = GetObjectId();
    const int item = id.GetItemId();
    path = CVyrObjectPath(&item, 1, 1, id.GetPartId());
    return true;
}

void CDsFigure::SetIsDrawn(bool drawn)
{
    if (CDsItemsFigure* group = GetItemsFig()) group->SetIsDrawn(drawn);
}

void CDsFigure::InValidateDraw()
{
    if (CDsItemsFigure* group = GetItemsFig()) group->InValidateDraw();
}

bool CDsFigure::IsFigureValidOnFrontBuffer(CDsGlContext* context) const
{
    return context && context->GetFrontBufferVersion() == m_frontBufferStamp;
}

void CDsFigure::InvalidateBoundingRectangle(double& xmin, double& xmax, double& ymin, double& ymax)
{
    xmin = xmax = ymin = ymax = -1.0;
}

bool CDsFigure::IsDrawn()
{
    CDsItemsFigure* group = GetItemsFig();
    if (!group || !CDsView3dCdc::sCurrentView) return false;
    if (CDsGlContext* context = CurrentContext()) {
        if (context->GetFrontBufferVersion() != m_frontBufferStamp) {
            group->InValidateDraw();
            m_frontBufferStamp = context->GetFrontBufferVersion();
        }
    }
    return group->IsDrawn();
}

void CDsFigure::StampFrontBuffer()
{
    if (CDsGlContext* context = CurrentContext()) m_frontBufferStamp = context->GetFrontBufferVersion();
}

void CDsFigure::EnsureDefinition()
{
    if (!m_main && !m_impersonal) ReDefineFig();
}

// --- Definition ---------------------------------------------------------------------------------

CDsItemsFigure* CDsFigure::Generate(bool impersonal)
{
    // The leaves compile their display lists in the current context (every context shares them);
    // without one they keep what the lists would hold and compile it at their first draw in one.
    CDsFigureGenerator generator(nullptr);
    const bool defined = impersonal ? DefineImpersonalPart(generator) : DefineFig(generator) != 0;
    // The generator hands its items out only through its root group: what an empty definition
    // made is deleted with it.
    CDsItemsFigure* group = generator.DisplayList(nullptr);
    if (!defined) {
        delete group;
        return nullptr;
    }
    if (group) {
        group->SetFigure(this);
        group->SetDrawMode(m_drawMode);
    }
    return group;
}

void CDsFigure::ReDefineFig()
{
    bool wasDrawn = false;
    if (GetItemsFig() && IsDrawn()) {
        Erase(nullptr);
        wasDrawn = true;
    }
    const bool recorded = m_recorded;
    if (recorded) {
        Remove(nullptr);
        m_recorded = true;
    }
    CDsItemsFigure* main = Generate(false);
    delete m_main;
    m_main = main;
    CDsItemsFigure* impersonal = Generate(true);
    delete m_impersonal;
    m_impersonal = impersonal;
    SetAttributes();
    UpdateAttributes();
    if (recorded) {
        m_recorded = false;
        Record(true, nullptr);
    }
    m_definitionPending = 0;
    CDsItemsFigure* group = GetItemsFig();
    if (wasDrawn && group && !group->IsDrawn()) DrawOnView(nullptr, eDsDrawModeNormal3);
}

// --- Recording ----------------------------------------------------------------------------------

void CDsFigure::Record(bool allViews, view3d* view)
{
    if (m_drawMode == eDsDrawModeXor || m_recorded) return;
    view3d* target = ViewOrCurrent(view);
    if (!target) return;
    // Defined, when it was not yet, in the context of the view it is recorded for.
    MakeViewContextCurrent(target);
    EnsureDefinition();
    m_context = ContextOf(target);
    if (!allViews) {
        if (m_main) m_main->SetViewDependency(true, target);
        if (m_impersonal) m_impersonal->SetViewDependency(true, target);
    }
    CDsGlContext* context = m_context;
    if (!context) return;

    CDsGlScene* glScene = context->GetScene();
    CDsScene& scene = glScene->GetDbScene();
    // An id is kept for the scene whose temporary part it names. An item left under the old id
    // (a figure without the storage-removal flag) goes before the figure takes a new one: it would
    // point at the figure after the figure went.
    if (!m_objectId.IsValid() || m_objectId.GetPartId() != scene.GetTempPartId()) {
        RemoveOwnItem();
        m_objectId = CVyrObjectId(scene.GetTempPartId(), scene.NextTempItemId());
    }

    CDsAttributes attributes;
    m_attributes.Translate(attributes);
    auto* geometry = new CDsFigureGeometry(this, GetType());

    SItemInfo tool;
    const CDsTransform* transform = nullptr;
    if (m_activeTransformation) {
        if (CVyrUiToolContext* current = CVyrUiToolContext::StGetCurrent()) {
            const std::vector<int>& ids = current->GetObjectPathIds();
            const CVyrObjectPath path(ids.data(), static_cast<int>(ids.size()), current->GetObjectPathDepth(),
                                      current->GetObjectPathPartId());
            if (CDsPartStorage::instance()->GetPathInfo(path, nullptr, tool)) transform = &tool.m_transform;
        }
    }

    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int logNumber = 0, dbNumber = 0;
    const int status = glScene->GetChanges(paths, ids, logNumber, dbNumber, target);
    const bool drawAtOnce = glScene->GetDisplaySuspension() == 0 && status == eNoChange &&
                            (geometry->GetDrawPrimitives(0) & (CDsGeometry::eDpFaces | CDsGeometry::eDpImages)) == 0;

    // The item is a change for every view: a view shows it as its frames draw it (with depth
    // planes that hold it), never as a drawing of its own location into the kept picture.
    if (!CDsPartStorage::instance()->AddItem(GetObjectId(), CDsFigureGeometry::kItemType, geometry, transform,
                                             &attributes, nullptr, nullptr, true)) {
        delete geometry;  // never the storage's
        return;
    }
    m_recorded = true;
    // Nothing else waits to be drawn: the view shows the figure at once, as a whole frame of the
    // scene shows it: drawn alone over the picture when the depth planes fitted with it stay those
    // the picture was drawn with, else by a whole frame (CDsGlContext::RefreshWithAdded). The
    // caller's switches and clip planes are as it had them afterwards (a frame switches the
    // scene's section plane off when it ends).
    if (drawAtOnce && context->Get_gl_context_data(target)) {
        CDsView3dCdc::StMakeGlCurrentView(target);
        glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
        context->RefreshWithAdded(target, GetObjectId());
        glPopAttrib();
    }
}

// --- Edits of the items ------------------------------------------------------------------------

void CDsFigure::NoteItemsEdited()
{
    ++m_itemsRevision;
    // The figure's own settings reach the database item themselves (UpdateAttributes).
    if (m_recorded && !m_editingGroups) ++sItemEdits;
}

uint64_t CDsFigure::StItemEdits()
{
    return sItemEdits;
}

void CDsFigure::RemoveOwnItem()
{
    const CVyrObjectId id = GetObjectId();
    if (!id.IsValid()) return;
    const int item = id.GetItemId();
    const CVyrObjectPath path(&item, 1, 1, id.GetPartId());
    SItemInfo info;
    if (!CDsPartStorage::instance()->GetItemInfo(path, nullptr, info)) return;
    auto* geometry = dynamic_cast<CDsFigureGeometry*>(info.m_pGeometry);
    if (!geometry || geometry->GetFigure() != this) return;
    CDsPartStorage::instance()->RemoveItem(id, nullptr);
}

void CDsFigure::Remove(view3d*)
{
    if (!m_recorded) return;
    if (CDsItemsFigure* group = GetItemsFig()) group->SetViewDependency(false, nullptr);
    if (m_context) {
        if (m_storageRemoval) RemoveOwnItem();
        delete m_main;
        m_main = nullptr;
        delete m_impersonal;
        m_impersonal = nullptr;
    }
    m_recorded = false;
}

// --- Direct drawing -----------------------------------------------------------------------------

void CDsFigure::DrawOnView(view3d* view, eDsDrawMode mode)
{
    if (mode < eDsDrawModeNone || mode > eDsDrawModeNormal3) return;
    if (SuspensionCount() > 0) return;
    if (GetFigureAttributes() == 1 && !m_attributes.GetHighlightState() && !m_attributes.GetMarkState()) return;
    CVyrExceptionMask mask;
    view3d* target = ViewOrCurrent(view);
    if (!target) return;

    if (m_recorded && (mode == eDsDrawModeNormal || mode == eDsDrawModeNormal3)) {
        CDsGlContext* context = ContextOf(target);
        if (!context) return;
        std::vector<CVyrObjectPath> paths(1);
        GetPath(paths[0]);
        CDsView3dCdc::StMakeGlCurrentView(target);
        glDisable(GL_COLOR_LOGIC_OP);
        const bool highlight = m_attributes.GetHighlightState();
        context->DrawLocations(paths, highlight ? eAttribSetHighlight : eAttribSetNormal,
                               highlight ? GL_FRONT : GL_FRONT_AND_BACK, 0);
        SetIsDrawn(true);
        StampFrontBuffer();
        return;
    }

    // The coming repaint draws the figure when the window waits for one.
    const HWND window = WindowOf(target);
    if (!window || GetUpdateRect(window, nullptr, FALSE)) return;
    MakeViewContextCurrent(target);
    glDisable(GL_DEPTH_TEST);
    if (CDsItemPolyline3D::StInMultiPolyline()) {
        if (CDsItemsFigure* group = GetItemsFig()) group->DrawAlone(*target);
        glFlush();
        return;
    }
    if (mode != eDsDrawModeNone && m_definitionPending) ReDefineFig();
    CDsItemsFigure* group = GetItemsFig();
    if (!group) return;
    CDsView3dCdc::StMakeGlCurrentView(target);

    eDsDrawMode draw = mode;
    if (mode == eDsDrawModeNormal3)
        draw = m_drawMode;
    else if (mode == eDsDrawModeNone)
        m_drawMode = eDsDrawModeNormal;
    else
        m_drawMode = mode;
    SetDrawMode(m_drawMode);
    if (CDsView3dCdc::StGetDisplaySuspensionMode()) return;

    glDisable(GL_COLOR_LOGIC_OP);
    glDrawBuffer(sDrawToBackBuffer ? GL_BACK : GL_FRONT);
    if (draw == eDsDrawModeNone)
        group->Erase(*target);
    else
        group->Refresh(*target);
    glDrawBuffer(GL_BACK);
    glDisable(GL_COLOR_LOGIC_OP);
    StampFrontBuffer();
}

void CDsFigure::Erase(view3d* view)
{
    if (!IsDrawn()) return;
    if (SuspensionCount() > 0) return;
    view3d* target = ViewOrCurrent(view);
    CDsItemsFigure* group = GetItemsFig();
    if (!target || !group) return;
    CVyrExceptionMask mask;
    CDsView3dCdc::StMakeGlCurrentView(target);
    if (CDsItemPolyline3D::StInMultiPolyline()) {
        group->Erase(*target);
        return;
    }
    glDisable(GL_COLOR_LOGIC_OP);
    CDsDriverGl::StSetBackBuffer(sDrawToBackBuffer);
    group->Erase(*target);
    glDrawBuffer(GL_BACK);
    glFlush();
}

// --- Placement, picking, extents ----------------------------------------------------------------

void CDsFigure::Transform(const CGmTransformation& transformation)
{
    EnsureDefinition();
    if (!m_recorded) {
        Erase(nullptr);
        if (CDsItemsFigure* group = GetItemsFig()) group->Transform(transformation);
        DrawOnView(nullptr, eDsDrawModeNormal3);
        return;
    }
    CDsPartStorage::instance()->UpdateTransform(GetObjectId(), CDsTransform(transformation), nullptr);
}

bool CDsFigure::ApplyPlacementTransform(view3d* view)
{
    CVyrObjectPath path;
    SItemInfo info;
    if (!m_activeTransformation || !view || !GetPath(path) ||
        !CDsPartStorage::instance()->GetPathInfo(path, nullptr, info))
        return false;
    view->SetModelTransform(info.m_transform.Convert2SPA());
    view->enable_model_transform(true);
    return true;
}

int CDsFigure::IsPicked(const CUiPickEvent& event, int width, int height)
{
    EnsureDefinition();
    CDsItemsFigure* group = GetItemsFig();
    if (!group) return 0;
    view3d* view = event.view();
    const bool placed = ApplyPlacementTransform(view);
    CDsItemsFigure::sIgnoreBlank = false;
    const int picked = group->IsPicked(event, width, height);
    CDsItemsFigure::sIgnoreBlank = true;
    if (placed) view->ClearModelTransform();
    return picked;
}

CDsItemBase* CDsFigure::GetPickedTextItem(const CUiPickEvent& event)
{
    CDsItemsFigure* group = GetItemsFig();
    CDsItemBase* text = group ? group->FindTextItem() : nullptr;
    if (!text) return nullptr;
    view3d* view = event.view();
    const bool placed = ApplyPlacementTransform(view);
    const int picked = text->IsPicked(event, -1, -1);
    if (placed) view->ClearModelTransform();
    return picked ? text : nullptr;
}

void CDsFigure::StSetForXorMode(CDsColorStorage*) {}

void CDsFigure::GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                                     double& ymax) const
{
    InvalidateBoundingRectangle(xmin, xmax, ymin, ymax);
    view3d* target = view ? static_cast<view3d*>(view) : static_cast<view3d*>(CDsView3dCdc::sCurrentView);
    CDsItemsFigure* group = GetItemsFig();
    if (!target || !group) return;
    CDsDriverExtrema driver(target);
    CDsViewExtrema* extrema = driver.GetExtView();
    if (!extrema) return;
    group->DrawExtremes(*extrema, nullptr);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (!driver.GetExtremaCoordinates(x0, x1, y0, y1)) return;
    int x = 0, y = 0, w = 0, h = 0;
    target->get_viewport(x, y, w, h);
    xmin = x0 + w / 2.0;
    xmax = x1 + w / 2.0;
    ymin = y0 + h / 2.0;
    ymax = y1 + h / 2.0;
}

// --- Flags --------------------------------------------------------------------------------------

void CDsFigure::SetFlag(EDsItemFlags flag)
{
    m_flags.Set(static_cast<unsigned short>(flag));
    ReDefineFig();
    UpdateAttributes();
}

void CDsFigure::ResetFlag(EDsItemFlags flag)
{
    m_flags.Reset(static_cast<unsigned short>(flag));
    ReDefineFig();
    UpdateAttributes();
}

// --- Attributes ---------------------------------------------------------------------------------

void CDsFigure::SetAttributes()
{
    if (!GetItemsFig()) return;
    UpdateAttributes();
    for (CDsItemsFigure* group : {m_main, m_impersonal}) {
        if (!group) continue;
        m_editingGroups = true;
        group->SetAttributes(m_attributes, false);
        m_editingGroups = false;
        group->SetDrawMode(m_drawMode);
        group->SetFlags(m_flags);
    }
}

void CDsFigure::UpdateAttributes()
{
    if (!m_recorded) return;
    CDsAttributes attributes;
    m_attributes.Translate(attributes);
    CDsPartStorage::instance()->UpdateAttributes(GetObjectId(), attributes, nullptr);
}

void CDsFigure::ResetAttributes(EDsResetAttributeAction action)
{
    if (m_main) m_main->ResetAttributes(action);
    if (m_impersonal) m_impersonal->ResetAttributes(action);
    m_attributes.ResetAttributes(action);
    UpdateAttributes();
}

void CDsFigure::EraseIf(bool redraw)
{
    if (redraw) Erase(nullptr);
}

void CDsFigure::RedrawIf(bool redraw)
{
    if (redraw) DrawOnView(nullptr, eDsDrawModeNormal3);
}

void CDsFigure::SetDrawMode(eDsDrawMode mode)
{
    if (CDsItemsFigure* group = GetItemsFig()) {
        group->SetDrawMode(mode);
        if (mode == eDsDrawModeXor) group->SetOnTopFlag(true);
    }
    m_drawMode = mode;
    if (mode == eDsDrawModeXor) m_attributes.SetOnTopFlag(true);
}

void CDsFigure::SetColor(const CDsColorStorage& color, bool redraw)
{
    EnsureDefinition();
    EraseIf(redraw);
    if (CDsItemsFigure* group = GetItemsFig()) group->SetColor(color, true);
    m_attributes.SetColor(color);
    UpdateAttributes();
    RedrawIf(redraw);
}

void CDsFigure::ForceColor(const CDsColorStorage& color)
{
    if (CDsItemsFigure* group = GetItemsFig()) group->SetColor(color, true);
    m_attributes.SetColor(color);
    UpdateAttributes();
}

void CDsFigure::SetInheritColorFlag(bool inherit)
{
    if (CDsItemsFigure* group = GetItemsFig()) group->SetInheritColorState(inherit);
    m_attributes.SetInheritColorState(inherit);
}

void CDsFigure::SetStyle(int style, bool redraw)
{
    EnsureDefinition();
    EraseIf(redraw);
    if (CDsItemsFigure* group = GetItemsFig()) group->SetStyle(style, true);
    m_attributes.SetStyle(style);
    UpdateAttributes();
    RedrawIf(redraw);
}

void CDsFigure::SetWidth(int width, bool redraw)
{
    EnsureDefinition();
    EraseIf(redraw);
    CDsItemsFigure* group = GetItemsFig();
    if (width == -1) {
        if (group) group->ResetInheritWidthState();
        m_attributes.ResetInheritWidthState();
    } else {
        if (group) group->SetWidth(width, true);
        m_attributes.SetWidth(width);
    }
    UpdateAttributes();
    RedrawIf(redraw);
}

void CDsFigure::SetTransparency(float transparency)
{
    EnsureDefinition();
    if (CDsItemsFigure* group = GetItemsFig()) group->SetTransparency(transparency);
    m_attributes.SetTransparency(transparency);
    UpdateAttributes();
}

void CDsFigure::SetRenderMode(ERenderMode mode)
{
    EnsureDefinition();
    if (CDsItemsFigure* group = GetItemsFig()) group->SetRenderMode(mode);
    m_attributes.SetRenderMode(mode);
}

void CDsFigure::SetVisibility(EVisibilityLevel level, bool on, bool redraw)
{
    EnsureDefinition();
    EraseIf(redraw);
    if (CDsItemsFigure* group = GetItemsFig()) group->SetVisibility(level, on, true, nullptr);
    m_attributes.SetVisibility(level, on);
    UpdateAttributes();
    RedrawIf(redraw);
}

void CDsFigure::SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on)
{
    if (CDsItemsFigure* group = GetItemsFig()) group->SetVisibilityColor(level, color, on);
    m_attributes.SetVisibilityColor(level, color, on);
    UpdateAttributes();
}

void CDsFigure::SetAttributes(const CDsLineAttribStorage& attributes, bool redraw)
{
    EnsureDefinition();
    EraseIf(redraw);
    m_editingGroups = true;
    if (CDsItemsFigure* group = GetItemsFig()) group->SetAttributes(attributes, false);
    m_editingGroups = false;
    m_attributes = attributes;
    UpdateAttributes();
    RedrawIf(redraw);
}

void CDsFigure::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    EnsureDefinition();
    Erase(nullptr);
    m_editingGroups = true;
    if (CDsItemsFigure* group = GetItemsFig()) group->SetAttribute(attribute, on, recurse);
    m_editingGroups = false;
    m_attributes.SetAttribute(attribute, on);
    UpdateAttributes();
    DrawOnView(nullptr, eDsDrawModeNormal3);
}

void CDsFigure::GetAttribute(CDsAttribute& attribute)
{
    m_attributes.GetAttribute(attribute);
}

void CDsFigure::SetOnTopFlag(bool on)
{
    if (CDsItemsFigure* group = GetItemsFig()) group->SetOnTopFlag(on);
    m_attributes.SetOnTopFlag(on);
}

void CDsFigure::Highlight(bool on)
{
    EnsureDefinition();
    if (CDsItemsFigure* group = GetItemsFig()) group->SetVisibility(eVisibilityHighlight, on, true, nullptr);
    m_attributes.Highlight(on);
    // An exclusive-or figure highlights in the colour of special set 4 itself, never inherited.
    CDsLineAttribStorage* highlight = m_drawMode == eDsDrawModeXor
                                          ? CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetHighlight)
                                          : nullptr;
    if (highlight) highlight->SetInheritColorState(false);
    DrawOnView(nullptr, eDsDrawModeNormal3);
    if (highlight) highlight->SetInheritColorState(false);
}

// --- Getters ------------------------------------------------------------------------------------

const CDsColorStorage& CDsFigure::GetColor() const
{
    if (CDsItemsFigure* group = GetItemsFig()) return group->GetColor();
    return m_attributes.GetColor();
}

int CDsFigure::GetStyle() const
{
    if (CDsItemsFigure* group = GetItemsFig()) return group->GetStyle();
    return m_attributes.GetStyle();
}

int CDsFigure::GetWidth() const
{
    if (CDsItemsFigure* group = GetItemsFig()) return group->GetWidth();
    return m_attributes.GetWidth();
}

int CDsFigure::GetVisibility() const
{
    if (CDsItemsFigure* group = GetItemsFig()) return group->GetVisibility();
    return -1;
}

float CDsFigure::GetTransparency() const
{
    return m_attributes.GetTransparencyByte() * 0.003921569f;
}

ERenderMode CDsFigure::GetRenderMode() const
{
    return (m_attributes.GetFlags() & CDsLineAttribStorage::eFlagShaded) ? eRenderShade : eRenderWireframe;
}
