// CDsGlContext: views and their OpenGL contexts, the current OpenGL view, display suspension,
// document settings and notifications.
#include "DsGlContext.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGlScene.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"

#include "view3d.h"

#include <afxwin.h>

#include <GL/gl.h>

#include <new>

view3d* CDsGlContext::sCurrentView = nullptr;

namespace {

// The record of `view` in its own context, or in `fallback` when it has none that is a gl_context
// (a view that has just left its context).
gl_context_data* RecordOf(view3d* view, gl_context* fallback)
{
    if (!view) return nullptr;
    auto* context = dynamic_cast<gl_context*>(view->get_rendering_context());
    if (!context) context = fallback;
    return context ? context->Get_gl_context_data(view) : nullptr;
}

// The extrema mode, raised for the life of the object.
class CExtremaModeScope {
public:
    CExtremaModeScope() { StSetExtremaMode(true); }
    ~CExtremaModeScope() { StSetExtremaMode(false); }
    CExtremaModeScope(const CExtremaModeScope&) = delete;
    CExtremaModeScope& operator=(const CExtremaModeScope&) = delete;
};

}  // namespace

CDsGlContext::CDsGlContext(int sceneNumber)
{
    m_scene = new CDsGlScene(this, sceneNumber);
    m_itemsMap = new CDsItemsMap(this);
    CDsPreferencesServices::StAddGlContext(this);
}

CDsGlContext::~CDsGlContext()
{
    CDsPreferencesServices::StRemoveGlContext(this);
    m_itemsMap->SetClosing(true);
    shutdown();  // the first view gets the shared record's device context back
    delete_context_data();
    sCurrentView = nullptr;
    delete m_scene;
    m_scene = nullptr;
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
}

void CDsGlContext::remove_view(view3d* view)
{
    if (!view || !views().find(view)) return;
    if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) CDsManager::GetInstance()->RemoveAllTextures(core);
    // The record took a use of the view's device context at add_view; a core view keeps its record
    // until it goes, but not the use.
    if (const auto* record = static_cast<const gl_context_data*>(view->get_rendering_context_data()))
        view->release_device_context(record->get_DC());
    rendering_context::remove_view(view);
    if (!dynamic_cast<CDsView3dCdc*>(view)) DeletePlainViewRecord(view);
    if (view3d* current = sCurrentView) {
        sCurrentView = nullptr;
        gl_context_data* record = RecordOf(current, this);
        if (record && record->get_GLRC() && wglMakeCurrent(record->get_DC(), record->get_GLRC()))
            sCurrentView = current;
    }
}

void CDsGlContext::update(ENTITY*) {}

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
    if (view == sCurrentView) return view != nullptr;
    if (!view) {
        sCurrentView = nullptr;
        return false;
    }
    gl_context_data* record = Get_gl_context_data(view);
    if (!record || !record->get_GLRC()) return false;
    if (wglGetCurrentContext()) glFlush();
    if (!wglMakeCurrent(record->get_DC(), record->get_GLRC())) return false;
    sCurrentView = view;
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

void CDsGlContext::OnPicturePropsChanged()
{
    m_scene->SetPicturePropsValid(false);
}

void CDsGlContext::OnRenderModeChanged()
{
    m_scene->SetRenderModeValid(false);
}

// --- Measuring ----------------------------------------------------------------------------------

void CDsGlContext::ComputeViewExtrema(CDsViewExtrema* extrema, bool full)
{
    if (!extrema) return;
    CExtremaModeScope mode;
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
