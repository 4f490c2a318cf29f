// CDsGlContext: views and their OpenGL contexts, the current OpenGL view, display suspension,
// document settings and notifications.
#include "DsGlContext.h"

#include "DsDriverExtrema.h"
#include "DsBox.h"
#include "DsDriverGl.h"
#include "DsGlGroupIterator.h"
#include "DsGlScene.h"
#include "DsItemsMap.h"
#include "DsItemBase.h"
#include "DsLight.h"
#include "DsLightList.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"

#include "rgb_color.h"
#include "SpaTopology.h"
#include "VyrAsExt.h"
#include "pick_manager.h"
#include "view3d.h"
#include "view_context.h"

#include <afxwin.h>

#include <GL/gl.h>

#include <cstdint>
#include <limits>
#include <map>
#include <new>

view3d* CDsGlContext::sCurrentView = nullptr;
bool CDsGlContext::sPrintMode = false;
int CDsGlContext::sOpenGLPickEnabled = 1;

namespace {

// Whether sCurrentView was made current for a view in pick mode (with the lasting context, or
// with its own where its device context cannot take that one).
bool sCurrentForPick = false;

// The record of `view` in its own context, or in `fallback` when it has none that is a gl_context
// (a view that has just left its context).
gl_context_data* RecordOf(view3d* view, gl_context* fallback)
{
    if (!view) return nullptr;
    auto* context = dynamic_cast<gl_context*>(view->get_rendering_context());
    if (!context) context = fallback;
    return context ? context->Get_gl_context_data(view) : nullptr;
}

// A scene number for a context of its own: one that names neither a model part nor a temporary
// part of the database, counted down from 2^31 - 2 (2^31 - 1 would make the temporary part the
// no-part id); below 2^30 the count starts at the top again, still passing over the numbers in use.
int FreeSceneNumber()
{
    constexpr int kFirst = std::numeric_limits<int>::max() - 1, kLowest = 1 << 30;
    static int sNext = kFirst;
    const CDsPartStorage* storage = CDsPartStorage::instance();
    for (;; --sNext) {
        if (sNext < kLowest) sNext = kFirst;
        if (!storage->GetPart(sNext) && !storage->GetPart(~sNext)) return sNext--;
    }
}

// How many contexts show each model part, and whether a context made without a number made it
// (such a part goes when the last context that shows it goes; a document's part stays).
struct SModelPartUse {
    int contexts = 0;
    bool scenesOwn = false;
};

std::map<int, SModelPartUse>& ModelPartUses()
{
    static std::map<int, SModelPartUse> sUses;
    return sUses;
}

// While it lives, an OpenGL context of the share group is current, so that the display lists and
// buffer objects that a going context's items and meshes delete are freed (with no context current
// the deletions would free nothing, and the lists would outlive the document in the hidden root
// context). The first that can be made current: the current context when it is a window context
// (they all share), a view of the going context, its shared record on its own device context, or
// that record's context (else the first live one) on the desktop window's device context, which
// has the one pixel format since start-up (a window the host destroyed before the context leaves
// no device context of its own). What was current before is current again afterwards.
class CSharedObjectsScope {
public:
    CSharedObjectsScope(CDsGlContext& context, gl_context_data* shared)
        : m_previousContext(wglGetCurrentContext()), m_previousDc(wglGetCurrentDC())
    {
        if (gl_context::StIsLiveContext(m_previousContext)) return;
        {
            viewport_iterator it(context.views());
            while (view3d* view = it.next()) {
                auto* record = static_cast<gl_context_data*>(view->get_rendering_context_data());
                if (record && gl_context::StIsLiveContext(record->get_GLRC()) && record->make_current(view)) return;
            }
        }
        if (shared && shared->get_GLRC() && shared->make_current(nullptr)) return;
        HGLRC any = shared && shared->get_GLRC() ? shared->get_GLRC() : gl_context::StGetFirstLiveContext();
        HWND desktop = any ? GetDesktopWindow() : nullptr;
        m_desktopDc = desktop ? GetDC(desktop) : nullptr;
        if (!m_desktopDc) return;
        if (GetPixelFormat(m_desktopDc) == 0) CDsDriverGl::SetupPixelFormat(m_desktopDc);
        wglMakeCurrent(m_desktopDc, any);
    }
    ~CSharedObjectsScope()
    {
        if (wglGetCurrentContext() != m_previousContext || wglGetCurrentDC() != m_previousDc) {
            if (!m_previousContext || !wglMakeCurrent(m_previousDc, m_previousContext)) wglMakeCurrent(nullptr, nullptr);
        }
        if (m_desktopDc) ReleaseDC(GetDesktopWindow(), m_desktopDc);
    }
    CSharedObjectsScope(const CSharedObjectsScope&) = delete;
    CSharedObjectsScope& operator=(const CSharedObjectsScope&) = delete;

private:
    HGLRC m_previousContext;
    HDC m_previousDc;
    HDC m_desktopDc = nullptr;
};

}  // namespace

CDsGlContext::CDsGlContext() : CDsGlContext(FreeSceneNumber())
{
    ModelPartUses()[m_scene->GetSceneNumber()].scenesOwn = true;
}

CDsGlContext::CDsGlContext(int sceneNumber)
{
    m_itemsMap = new CDsItemsMap(this);
    m_scene = new CDsGlScene(this, sceneNumber);
    m_pickProccessor = new CDsPickProccessor(this);
    ++ModelPartUses()[sceneNumber].contexts;
    CDsPreferencesServices::StAddGlContext(this);
}

CDsGlContext::~CDsGlContext()
{
    CDsPreferencesServices::StRemoveGlContext(this);
    m_itemsMap->SetClosing(true);
    const int sceneNumber = m_scene->GetSceneNumber();
    {
        // The items go with the scene, and their display lists and buffers with them.
        CSharedObjectsScope scope(*this, get_shared_data());
        delete m_scene;
        m_scene = nullptr;
        delete m_pickProccessor;
        m_pickProccessor = nullptr;
    }
    shutdown();  // the first view gets the shared record's device context back
    delete_context_data();
    sCurrentView = nullptr;
    auto use = ModelPartUses().find(sceneNumber);
    if (use != ModelPartUses().end() && --use->second.contexts <= 0) {
        if (use->second.scenesOwn) CDsPartStorage::instance()->RemovePart(sceneNumber);
        ModelPartUses().erase(use);
    }
    delete m_itemsMap;
    m_itemsMap = nullptr;
    {
        viewport_iterator it(views());
        while (view3d* view = it.next()) DeletePlainViewRecord(view);
    }
    // The modeler base detaches the context's views; a view told of this context without being
    // added to it is detached here.
    viewport_iterator it(All_Views());
    while (view3d* view = it.next())
        if (view->get_rendering_context() == this && !views().find(view)) view->set_rendering_context(nullptr);
}

// --- Modeler operations -------------------------------------------------------------------------

void CDsGlContext::get_entities(ENTITY_LIST& list, entity_filter* filter, bool topLevelOnly)
{
    m_itemsMap->GetEntities(list, filter, topLevelOnly);
}

void CDsGlContext::add_view(view3d* view)
{
    sCurrentView = nullptr;  // the new record's context will be current, whatever view was
    if (!view || views().find(view)) return;
    if (rendering_context* previous = view->get_rendering_context()) previous->remove_view(view);
    if (view->get_rendering_context_data()) {
        if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) core->DeleteRenderongContextData();
    }

    auto* record = new (std::nothrow) gl_context_data(view->get_device_context());
    if (!record) return;
    record->init_gl_context_data(view, GetRenderToBitmap());
    if (!get_shared_data()) {
        auto* shared = new (std::nothrow) gl_context_data(*record);
        if (shared) {
            shared->init_gl_context_data(view, GetRenderToBitmap());
            set_shared_data(shared);
        }
    }
    view->set_rendering_context_data(record);
    rendering_context::add_view(view);
    // The scene's refinement follows the preferences and is the current one from here on.
    m_scene->UpdateRefinement(false);
}

void CDsGlContext::remove_view(view3d* view)
{
    if (!view || !views().find(view)) return;
    if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) {
        CDsManager::GetInstance()->RemoveAllTextures(core);
        CDsManager::GetInstance()->RemoveAllVBOs(core);
    }
    // The record took a use of the view's device context at add_view; a core view keeps its record
    // until it goes, but not the use.
    if (const auto* record = static_cast<const gl_context_data*>(view->get_rendering_context_data()))
        view->release_device_context(record->get_DC());
    rendering_context::remove_view(view);
    m_scene->GetDbScene().RemoveView(view);
    if (!dynamic_cast<CDsView3dCdc*>(view)) DeletePlainViewRecord(view);
    if (view3d* current = sCurrentView) {
        sCurrentView = nullptr;
        gl_context_data* record = RecordOf(current, this);
        if (record && record->get_GLRC()) StBindRecord(current, record);
    }
}

void* CDsGlContext::make_figure(const ENTITY_LIST&, view3d*)
{
    return nullptr;
}

int CDsGlContext::CopyBackToFront(view3d*)
{
    return CDsDriverGl::CopyColorBuffer(false) ? 1 : 0;
}

void CDsGlContext::DeletePlainViewRecord(view3d* view)
{
    if (!view || dynamic_cast<CDsView3dCdc*>(view)) return;
    delete static_cast<gl_context_data*>(view->get_rendering_context_data());
    view->set_rendering_context_data(nullptr);
    if (sCurrentView == view) sCurrentView = nullptr;
}

// --- Current OpenGL view ------------------------------------------------------------------------

bool CDsGlContext::MakeCurrent(view3d* view)
{
    if (!view) {
        sCurrentView = nullptr;
        return false;
    }
    if (StIsCurrentAsWanted(view)) return true;
    gl_context_data* record = Get_gl_context_data(view);
    if (!record || !record->get_GLRC()) return false;
    if (wglGetCurrentContext()) glFlush();
    return StBindRecord(view, record);
}

bool CDsGlContext::StIsCurrentAsWanted(view3d* view)
{
    return view && view == sCurrentView && (view->get_pick_mode() != 0) == sCurrentForPick;
}

bool CDsGlContext::StBindRecord(view3d* view, gl_context_data* record)
{
    if (!view || !record || !record->get_GLRC()) return false;
    const bool forPick = view->get_pick_mode() != 0;
    HGLRC lasting = forPick ? VyrGetLastingContext() : nullptr;
    if (!(lasting && wglMakeCurrent(record->get_DC(), lasting)) &&
        !wglMakeCurrent(record->get_DC(), record->get_GLRC()))
        return false;
    sCurrentView = view;
    sCurrentForPick = forPick;
    return true;
}

bool CDsGlContext::SwapCurrentViewBuffers()
{
    CDsView3dCdc* current = CDsView3dCdc::StGetCurrent();
    if (!current) return false;
    CDsGlContext* context = current->GetGlContext();
    if (!context) return false;
    gl_context_data* record = context->Get_gl_context_data(current);
    return record && context->swap_buffers(current, record);
}

// --- Views as windows ---------------------------------------------------------------------------

void CDsGlContext::InvalidateView(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (!core) return;
    CWnd* window = core->GetWindow();
    if (window && window->GetSafeHwnd()) InvalidateRect(window->GetSafeHwnd(), nullptr, TRUE);
}

void CDsGlContext::RefreshViews(ERenderMode mode)
{
    if (GetDisplaySuspensionMode()) return;
    CDsView3dCdc* remembered = CDsView3dCdc::sCurrentView;
    {
        viewport_iterator it(views());
        while (view3d* view = it.next())
            if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) core->Refresh(mode);
    }
    CDsView3dCdc::StSetCurrent(remembered, false);
}

// --- Display suspension -------------------------------------------------------------------------

bool CDsGlContext::LoadShaders()
{
    return m_scene->LoadShaderPrograms();
}

bool CDsGlContext::GetDisplaySuspensionMode() const
{
    return m_scene->IsDisplaySuspended();
}

void CDsGlContext::PushDisplaySuspension()
{
    m_scene->IncrementDisplaySuspension();
}

void CDsGlContext::PopDisplaySuspension()
{
    if (m_scene->DecrementDisplaySuspension() != 0) return;
    viewport_iterator it(views());
    while (view3d* view = it.next()) InvalidateView(view);
}

int CDsGlContext::ResetDisplaySuspension()
{
    const int previous = m_scene->ResetDisplaySuspension();
    m_scene->IncrementDisplaySuspension();
    PopDisplaySuspension();
    return previous;
}

long CDsGlContext::GetRefreshCounter() const
{
    return m_scene->GetRefreshCounter();
}

void CDsGlContext::ResetRefreshCounter()
{
    m_scene->ResetRefreshCounter();
}

// --- Document flags and settings ----------------------------------------------------------------

void CDsGlContext::Set(EDsDocumentFlag flag, bool on)
{
    m_scene->SetDisplayModeFlag(flag, on);
    if (flag == 1) {
        RefreshViews(eRenderShade);
        RefreshViews(eRenderMixed);
    } else if (flag == 4) {
        m_scene->SetDisplayModeFlag(15, false);
    }
}

bool CDsGlContext::Get(EDsDocumentFlag flag) const
{
    return m_scene->GetDisplayModeFlag(flag);
}

void CDsGlContext::SetSilhouetteLevel(EDsSilhouetteLevel level)
{
    m_scene->SetSilhouetteLevel(level);
    PushDisplaySuspension();
    OnPicturePropsChanged();
    PopDisplaySuspension();
    RefreshViews(eRenderWireframe);
}

EDsSilhouetteLevel CDsGlContext::GetSilhouetteLevel() const
{
    return m_scene->GetSilhouetteLevel();
}

void CDsGlContext::SetMaxDiagonalSizeForFastRefresh(float size)
{
    m_scene->SetMaxDiagonalSizeForFastRefresh(size);
}

float CDsGlContext::GetMaxDiagonalSizeForFastRefresh() const
{
    return m_scene->GetMaxDiagonalSizeForFastRefresh();
}

bool CDsGlContext::IsMonochromeStateAllowedAndActive() const
{
    if (m_scene->GetRootGroup(CDsGlScene::eRootHlViews)->Count() > 0) return false;
    return CDsManager::GetInstance()->GetFlag(12);
}

void CDsGlContext::OnPicturePropsChanged()
{
    m_scene->InvalidatePictureProps();
}

void CDsGlContext::OnRenderModeChanged()
{
    // The locations' cached attributes hold what the last render mode made of them (white faces,
    // opaque items): they go too.
    m_scene->InvalidateRenderMode();
}

// --- Measuring ----------------------------------------------------------------------------------

void CDsGlContext::ComputeViewExtrema(CDsViewExtrema* extrema, bool full)
{
    if (!extrema) return;
    CDsExtremaModeScope mode;
    m_scene->ComputeExtrema(extrema, full);
}

// --- Display-state history ---------------------------------------------------------------------

bool CDsGlContext::AddDsState(CDsStateStorage* state)
{
    return m_scene->GetStateContainer()->AddDsState(state);
}

CDsStateStorage* CDsGlContext::GetDsState(EDsStateDirection direction)
{
    return m_scene->GetStateContainer()->GetDsState(direction);
}

CDsStateStorage* CDsGlContext::GetCurrentStat() const
{
    return m_scene->GetStateContainer()->GetCurrentStat();
}

bool CDsGlContext::IsBackward() const
{
    return m_scene->GetStateContainer()->IsBackward();
}

bool CDsGlContext::IsForward() const
{
    return m_scene->GetStateContainer()->IsForward();
}

void CDsGlContext::ClearDsStateStorage()
{
    m_scene->GetStateContainer()->ClearDsStateStorage();
}

// --- Notifications and parts --------------------------------------------------------------------

CVyrNotifyFunctionality* CDsGlContext::GetGlContextNotificationPointer(CDsGlContext* context)
{
    return context;
}

void CDsGlContext::NotifyViewDeActivated()
{
    Notify(CVyrNotification::eViewDeActivated);
}

bool CDsGlContext::GetGlContextDeleteMode() const
{
    return m_itemsMap && m_itemsMap->IsClosing();
}

// --- Highlight data -----------------------------------------------------------------------------

void CDsGlContext::SetHighlightData(const std::vector<CVyrObjectPath>& paths, EAttribSetIndex attributeSet)
{
    m_highlight.paths = paths;
    m_highlight.attributeSet = attributeSet;
}

void CDsGlContext::SetHighlightData(const SPAposition& position, int type, EAttribSetIndex attributeSet)
{
    m_highlight.paramPointPosition = position;
    m_highlight.paramPointType = type;
    m_highlight.paramPointAttributeSet = static_cast<unsigned char>(attributeSet);
}

void CDsGlContext::ResetHighlightData()
{
    m_highlight.paths.clear();
    m_highlight.attributeSet = 0;
    m_highlight.paramPointType = -1;
}

// --- Drawing outside a refresh ------------------------------------------------------------------

namespace {

// The view context of the last front-buffer batch opened, and the view it was saved from.
view_context sFrontBufferViewContext;
view3d* sFrontBufferViewSaved = nullptr;

}  // namespace

void CDsGlContext::SetupRenderingTransforms(view3d* view, bool picking, const CRect* rect)
{
    if (view) view->SetupRenderingTransforms(picking, true, m_clearBufferMode, rect);
}

void CDsGlContext::ExecuteToFrontBuffer(CDsItemBase* item, view3d* view, const rgb_color&, int, EGlDrawingPhase phase)
{
    if (!view || GetDisplaySuspensionMode()) return;
    if (phase == eGlDrawingPhaseStart) {
        if (!Get_gl_context_data(view)) return;
        sFrontBufferViewContext = view->view_context();
        sFrontBufferViewSaved = view;
        MakeCurrent(view);
        SetupRenderingTransforms(view, false, nullptr);
        glDrawBuffer(GL_FRONT);
    }
    if (item) item->DrawAlone(*view);
    if (phase == eGlDrawingPhaseEnd) {
        glDrawBuffer(GL_BACK);
        glFlush();
        // The batch leaves the view's camera as phase 0 found it.
        if (sFrontBufferViewSaved == view) view->set_view_context(sFrontBufferViewContext);
        sFrontBufferViewSaved = nullptr;
    }
}

// --- Pick processor -----------------------------------------------------------------------------

bool CDsGlContext::GetPickProccessorFlag(int state) const
{
    return m_pickProccessor->Get(static_cast<EDsPickProccessorStates>(state));
}

void CDsGlContext::SetPickProccessorFlag(int state, bool on)
{
    m_pickProccessor->Set(static_cast<EDsPickProccessorStates>(state), on);
}

void CDsGlContext::GetAdjustedBox(CGmPosition& low, CGmPosition& high) const
{
    const CDsBox box = m_scene->GetBoundsBox();
    box.GetMin(low);
    box.GetMax(high);
}

// --- Entities and the modeler's queries ---------------------------------------------------------

void* CDsGlContext::find_data(const ENTITY*)
{
    return nullptr;
}

int CDsGlContext::is_displayed(const ENTITY* entity)
{
    return entity && m_itemsMap->Find(const_cast<ENTITY*>(entity)) ? 1 : 0;
}

int CDsGlContext::pick(pick_manager* manager)
{
    if (!manager || !manager->get_view() || !m_scene) return 0;
    const int before = manager->get_record_count();
    // Faces by OpenGL selection (a region's filed by body), then the edges of wire bodies (of
    // every body while face-pick data is off), then the entity groups and copies of the scene.
    {
        CDsGlGroupIterator faces(this, manager, 0);
        m_pickProccessor->OpenGLPickFaces(manager, faces);
    }
    {
        CDsGlGroupIterator wires(this, manager, 0);
        m_pickProccessor->PickWireEdge(manager, wires);
    }
    m_scene->PickEntities(manager);
    return manager->get_record_count() - before;
}

CDsItemBase* CDsGlContext::FindDsItem(const ENTITY* entity, EDsSecondarySearch how) const
{
    if (!entity) return nullptr;
    auto* target = const_cast<ENTITY*>(entity);
    if (CDsItemBase* item = m_itemsMap->Find(target)) return item;
    ENTITY* other = nullptr;
    if (how == eDsSearchRealEntity)
        other = CVyrAsExt::GetRealEntity(target);
    else if (how == eDsSearchOwner)
        other = get_owner(target);
    return other && other != target ? m_itemsMap->Find(other) : nullptr;
}

// --- Current view and windows -------------------------------------------------------------------

void CDsGlContext::MakeMyViewCurrent()
{
    CDsView3dCdc* current = CDsView3dCdc::StGetCurrent();  // the alignment step
    if (view_count() == 0 || (current && views().find(current))) return;
    viewport_iterator it(views());
    if (view3d* first = it.next()) MakeCurrent(first);
}

int CDsGlContext::GetPixelFormat(view3d* view)
{
    gl_context_data* record = view ? Get_gl_context_data(view) : nullptr;
    return record ? record->get_PixelFormat() : 0;
}

HWND CDsGlContext::WindowOf(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CWnd* window = core ? core->GetWindow() : nullptr;
    return window ? window->GetSafeHwnd() : nullptr;
}

void CDsGlContext::ValidateView(view3d* view)
{
    if (HWND window = WindowOf(view)) ValidateRect(window, nullptr);
}

bool CDsGlContext::IsViewUpToDate(view3d* view)
{
    HWND window = WindowOf(view);
    return !window || !GetUpdateRect(window, nullptr, FALSE);
}

void CDsGlContext::RefreshAllViews()
{
    refresh_all();
}

void CDsGlContext::SaveColorBuffers()
{
    viewport_iterator it(views());
    while (view3d* view = it.next()) view->SaveColorBuffer();
}

void CDsGlContext::RestoreColorBuffers()
{
    viewport_iterator it(views());
    while (view3d* view = it.next()) view->RestoreColorBuffer();
    DrawSpFigures();
}

// --- Notifications ------------------------------------------------------------------------------

void CDsGlContext::DrawFigureControlObject()
{
    Notify(CVyrNotification::eDrawFigureControlObject);
}

void CDsGlContext::DrawFigureControlObjectToShadedViews()
{
    Notify(CVyrNotification::eDrawFigureControlObjectToShadedViews);
}

void CDsGlContext::InvalidateRubberbandFigures()
{
    Notify(CVyrNotification::eInvalidateRubberbandFigures);
}

void CDsGlContext::DrawSpFigures()
{
    Notify(CVyrNotification::eDrawSpFigures);
}

void CDsGlContext::NotifyViewScaleChanged()
{
    Notify(CVyrNotification::eViewScaleChanged);
}

void CDsGlContext::NotifyRefreshIncrement()
{
    Notify(CVyrNotification::eRefreshIncrement);
}

void CDsGlContext::NotifyStartCameraChanged()
{
    Notify(CVyrNotification::eStartCameraChanged);
}

void CDsGlContext::NotifyEndCameraChanged()
{
    Notify(CVyrNotification::eEndCameraChanged);
}

void CDsGlContext::NotifyToolDeActivated()
{
    Notify(CVyrNotification::eToolDeActivated);
}

void CDsGlContext::NotifyImmedToolActivated()
{
    Notify(CVyrNotification::eImmedToolActivated);
}

void CDsGlContext::NotifyImmedToolDeActivated()
{
    Notify(CVyrNotification::eImmedToolDeActivated);
}

// --- Lights -------------------------------------------------------------------------------------

void CDsGlContext::SetDrawLightFiguresMode(bool show)
{
    m_scene->SetDrawLightFigures(show);
}

void CDsGlContext::SetLights(view3d* view)
{
    m_scene->ApplyLightModel(view);
}

void CDsGlContext::SetAmbientLight(float ambient)
{
    m_scene->GetLightList()->SetAmbientLight(ambient);
    refresh_all();
}

float CDsGlContext::GetAmbientLight() const
{
    return m_scene->GetLightList()->GetAmbientLight();
}

CDsLight* CDsGlContext::GetLight(int id) const
{
    if (id < 0 || id >= eDsLightCount) return nullptr;
    return m_scene->GetLightList()->GetLight(static_cast<EDsLightID>(id));
}

void CDsGlContext::SaveLights(const CVyrString& path) const
{
    m_scene->GetLightList()->SaveLights(path);
}

void CDsGlContext::LoadLights(const CVyrString& path)
{
    m_scene->GetLightList()->LoadLights(path);
}

void CDsGlContext::SaveMaterial(const CVyrString& path) const
{
    m_scene->GetLightList()->SaveMaterial(path);
}

void CDsGlContext::LoadMaterial(const CVyrString& path)
{
    m_scene->GetLightList()->LoadMaterial(path);
}

void CDsGlContext::GetLights(std::deque<std::wstring>* lines) const
{
    m_scene->GetLightList()->GetLights(lines);
}

void CDsGlContext::SetLights(std::deque<std::wstring>* lines)
{
    m_scene->GetLightList()->SetLights(lines);
}

bool CDsGlContext::CheckIfLightsChanged() const
{
    return m_scene->GetLightList()->CheckIfLightsChanged();
}

void CDsGlContext::SetLightsChangedFlag(bool changed)
{
    m_scene->GetLightList()->SetLightsChangedFlag(changed);
}

void CDsGlContext::SetMaterial(const CDsMaterialStorage& material)
{
    PushDisplaySuspension();
    m_scene->GetLightList()->SetMaterial(material);
    PopDisplaySuspension();
}

void CDsGlContext::GetMaterial(CDsMaterialStorage& material) const
{
    m_scene->GetLightList()->GetMaterial(material);
}
