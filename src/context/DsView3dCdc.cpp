// CDsView3dCdcBase and CDsView3dCdc: the display core's view and the current-view statics.
#include "DsView3dCdc.h"

#include "DsBox.h"
#include "DsColorStorage.h"
#include "DsDriverCdc.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsUcs.h"
#include "DsManager.h"
#include "DsPBuffer.h"
#include "DsPictureStorage.h"
#include "DsPreferencesServices.h"
#include "DsRectangle.h"
#include "DsViewFlagSaver.h"
#include "GmTransformation.h"

#include "SpaErrors.h"
#include "driver_context.h"
#include "rgb_color.h"

#include <afxwin.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

CDsView3dCdc* CDsView3dCdc::sCurrentView = nullptr;
CDsView3dCdc* CDsView3dCdc::sPreviousActiveView = nullptr;
CDsPictureStorage* CDsView3dCdc::sLastPicture = nullptr;
EPlotMode CDsView3dCdc::sPlotMode = ePlotModeNone;
int CDsView3dCdc::sPlotX = 0;
int CDsView3dCdc::sPlotY = 0;
int CDsView3dCdc::sPlotWidth = 0;
int CDsView3dCdc::sPlotHeight = 0;
double CDsView3dCdc::sPlotScale = 1.0;
bool CDsView3dCdc::sDisplayCurvesMode = true;

namespace {

// The smallest near distance a projection is given.
constexpr double kMinNearDistance = 0.001;

// A device context a driver handed out, given back at the end of the scope.
class CDriverDcScope {
public:
    CDriverDcScope(driver_context& driver, HDC dc) : m_driver(driver), m_dc(dc) {}
    ~CDriverDcScope() { m_driver.release_device_context(m_dc); }
    CDriverDcScope(const CDriverDcScope&) = delete;
    CDriverDcScope& operator=(const CDriverDcScope&) = delete;

private:
    driver_context& m_driver;
    HDC m_dc;
};

// The context of the current view, null without a current view or context.
CDsGlContext* CurrentContext()
{
    return CDsView3dCdc::sCurrentView ? CDsView3dCdc::sCurrentView->GetGlContext() : nullptr;
}

}  // namespace

// === CDsView3dCdcBase ===========================================================================

CDsView3dCdcBase::CDsView3dCdcBase() : CDsView3dCdcBase(nullptr) {}

CDsView3dCdcBase::CDsView3dCdcBase(CWnd* window)
{
    InstallCdcDriver(new CDsDriverCdcBase(window), window);
}

CDsView3dCdcBase::~CDsView3dCdcBase() = default;

CDsDriverCdcBase* CDsView3dCdcBase::GetCdcDriver() const
{
    return dynamic_cast<CDsDriverCdcBase*>(get_driver_context());
}

void CDsView3dCdcBase::InstallCdcDriver(CDsDriverCdcBase* driver, CWnd* window)
{
    // A view of a window shows the whole client area until the host sizes it otherwise; the
    // modeler view would give a new driver its own 1 x 1 viewport.
    if (window) driver->recompute_viewport();
    delete set_driver_context(driver);
}

void CDsView3dCdcBase::SetDC(CDC* dc)
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->SetDC(dc);
}

void CDsView3dCdcBase::ClearDC()
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->ClearDC();
}

CDC* CDsView3dCdcBase::GetCdc()
{
    CDsDriverCdcBase* driver = GetCdcDriver();
    return driver ? driver->GetDC() : nullptr;
}

void CDsView3dCdcBase::ReleaseCdc(CDC* dc)
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->ReleaseDC(dc);
}

void CDsView3dCdcBase::SetPixelsPerUnit(double x, double y)
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->SetPixelsPerUnit(x, y);
}

void CDsView3dCdcBase::GetPixelsPerUnit(double& x, double& y) const
{
    if (const CDsDriverCdcBase* driver = GetCdcDriver()) driver->GetPixelsPerUnit(x, y);
}

void CDsView3dCdcBase::GetImageSize(int& width, int& height) const
{
    if (const CDsDriverCdcBase* driver = GetCdcDriver()) driver->GetImageSize(width, height);
}

void CDsView3dCdcBase::AdjustWindowSize()
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->AdjustWindowSize();
}

void CDsView3dCdcBase::EnableClear(int on)
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->EnableClear(on);
}

void CDsView3dCdcBase::SetAutoMapMode(int on)
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->SetAutoMapMode(on);
}

void CDsView3dCdcBase::UpdateColors()
{
    if (CDsDriverCdcBase* driver = GetCdcDriver()) driver->UpdateColors();
}

void CDsView3dCdcBase::refresh(const CRect* rect)
{
    driver_context* driver = get_driver_context();
    if (!driver || !driver->is_viewport_set()) return;
    HDC dc = driver->get_device_context();
    if (!dc) return;
    CDriverDcScope scope(*driver, dc);
    view3d::refresh(rect);
}

// === CDsView3dCdc ===============================================================================

CDsView3dCdc::CDsView3dCdc() : CDsView3dCdc(nullptr) {}

CDsView3dCdc::CDsView3dCdc(CWnd* window) : CDsView3dCdcBase(window)
{
    ResetMembers();
    InstallCdcDriver(new CDsDriverCdc(window), window);
    sCurrentView = this;
    SetDefaultAttributes();
}

CDsView3dCdc::~CDsView3dCdc()
{
    delete m_pBuffer;
    m_pBuffer = nullptr;
    // Leave the context while the view is whole: its textures go in its own OpenGL context.
    if (rendering_context* context = get_rendering_context()) context->remove_view(this);
    // The display manager knows views by address: a later view made at this address must find
    // no textures or buffers of this one (nothing is left when the view was in a context).
    CDsManager::GetInstance()->RemoveAllTextures(this);
    CDsManager::GetInstance()->RemoveAllVBOs(this);
    if (sCurrentView == this) sCurrentView = nullptr;
    if (sPreviousActiveView == this) sPreviousActiveView = nullptr;
    delete m_frustumBox;
    m_frustumBox = nullptr;
    DeleteRenderongContextData();
    if (CDsGlContext::sCurrentView == this) CDsGlContext::sCurrentView = nullptr;
    // The rectangles' viewport cache knows views by address: a later view made at this address
    // must not inherit this one's viewport.
    CDsRectangle::StCacheViewport(nullptr);
}

void CDsView3dCdc::ResetMembers()
{
    set_rendering_context(nullptr);
    SetRenderMode(eRenderShade);
    view3d::SetDrawPhase(eDsDrawPhasePlot);
    // The modeler view's own bits: flag 2 is the process-wide extrema mode, which a new view
    // must leave alone.
    for (int f = 0; f < eDsViewFlagCount; ++f) view3d::SetFlag(static_cast<EDsViewFlag>(f), false);
    delete m_frustumBox;
    m_frustumBox = new CDsBox;
    m_locationState = 0;
}

void CDsView3dCdc::SetDefaultAttributes() {}

void CDsView3dCdc::DeleteRenderongContextData()
{
    auto* record = static_cast<gl_context_data*>(get_rendering_context_data());
    if (!record) return;
    set_rendering_context_data(nullptr);
    const bool wasCurrent = record->get_GLRC() && wglGetCurrentContext() == record->get_GLRC();
    delete record;  // releases its OpenGL context when it is current, and only then
    if (wasCurrent || CDsGlContext::sCurrentView == this) CDsGlContext::sCurrentView = nullptr;
}

// --- Context ------------------------------------------------------------------------------------

void CDsView3dCdc::SetGlContext(CDsGlContext* context)
{
    set_rendering_context(context);
}

CDsGlContext* CDsView3dCdc::GetGlContext() const
{
    return dynamic_cast<CDsGlContext*>(get_rendering_context());
}

bool CDsView3dCdc::IsSection() const
{
    const CDsGlContext* context = GetGlContext();
    return context && context->GetScene() && context->GetScene()->HasSection();
}

CWnd* CDsView3dCdc::GetWindow() const
{
    const CDsDriverCdcBase* driver = GetCdcDriver();
    return driver ? driver->GetWnd() : nullptr;
}

CDC* CDsView3dCdc::GetDc()
{
    return GetCdc();
}

void CDsView3dCdc::ReleaseDc(CDC* dc)
{
    ReleaseCdc(dc);
}

void CDsView3dCdc::InValidateView()
{
    CWnd* window = GetWindow();
    if (window && window->GetSafeHwnd()) InvalidateRect(window->GetSafeHwnd(), nullptr, TRUE);
}

void CDsView3dCdc::Activate()
{
    CDsGlContext* context = GetGlContext();
    if (!context) return;
    CDsGlScene* scene = context->GetScene();
    if (scene && !scene->GetDisplayModeFlag(19)) scene->SetDisplayModeFlag(19, true);
}

void CDsView3dCdc::DeActivate()
{
    if (CDsGlContext* context = GetGlContext()) context->NotifyViewDeActivated();
}

// --- Current view and current OpenGL view -------------------------------------------------------

CDsView3dCdc* CDsView3dCdc::StGetCurrent()
{
    StMakeGlCurrentView(sCurrentView);
    return sCurrentView;
}

void CDsView3dCdc::StMakeGlCurrentView(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (!core || CDsGlContext::StIsCurrentAsWanted(core)) return;
    CDsGlContext* context = core->GetGlContext();
    if (!context) return;
    gl_context_data* record = context->Get_gl_context_data(core);
    if (!record || !record->get_GLRC()) return;
    CDsGlContext::StBindRecord(core, record);
}

void CDsView3dCdc::pick_mode_switched(bool on)
{
    if (!on) {
        if (CDsGlContext::sCurrentView == this) StMakeGlCurrentView(this);
        return;
    }
    StMakeGlCurrentView(this);
    // The lasting context holds what the last pick of any view left in it: the pick starts from
    // this view's camera, viewport and pick region, as the view's own context after a frame
    // holds its camera (a pick may give clip planes before it sets up its matrices).
    HGLRC lasting = VyrGetLastingContext();
    if (CDsGlContext::sCurrentView == this && lasting && wglGetCurrentContext() == lasting)
        SetupRenderingTransforms(true, true, false, nullptr);
}

void CDsView3dCdc::StSetCurrent(CDsView3dCdc* view, bool)
{
    if (view == sCurrentView) return;
    sCurrentView = view;
    CDsGlContext* context = view ? view->GetGlContext() : nullptr;
    if (!context) return;
    if (wglGetCurrentContext()) glFlush();
    context->MakeCurrent(view);
}

CDsGlContext* CDsView3dCdc::StGetCurrentGlContext()
{
    return CurrentContext();
}

CDsView3dCdc* CDsView3dCdc::StGetPreviousActiveView()
{
    return sPreviousActiveView;
}

void CDsView3dCdc::StSetPreviousActiveView(view3d* view)
{
    sPreviousActiveView = dynamic_cast<CDsView3dCdc*>(view);
}

void CDsView3dCdc::StGetPickApperture(int& width, int& height)
{
    if (!sCurrentView) return;
    int x = 0, y = 0;
    sCurrentView->get_pick_aperture(x, y, width, height);
}

// --- Display suspension -------------------------------------------------------------------------

void CDsView3dCdc::StSuspendDisplay()
{
    if (CDsGlContext* context = CurrentContext()) context->PushDisplaySuspension();
}

void CDsView3dCdc::StResumeDisplay()
{
    if (CDsGlContext* context = CurrentContext()) context->PopDisplaySuspension();
}

bool CDsView3dCdc::StGetDisplaySuspensionMode()
{
    CDsGlContext* context = CurrentContext();
    return context && context->GetDisplaySuspensionMode();
}

void CDsView3dCdc::ResetDisplaySuspension()
{
    if (CDsGlContext* context = GetGlContext()) context->ResetDisplaySuspension();
}

void CDsView3dCdc::StRefreshAllViews()
{
    if (CDsGlContext* context = CurrentContext()) context->refresh_all();
}

void CDsView3dCdc::StFlushDisplay()
{
    glFlush();
}

// --- Pictures -----------------------------------------------------------------------------------

void CDsView3dCdc::StSavePicture()
{
    if (!sCurrentView) return;
    CDsPictureStorage* picture = new CDsPictureStorage(sCurrentView);
    delete sLastPicture;
    sLastPicture = picture;
}

void CDsView3dCdc::StRestorePicture()
{
    if (sCurrentView && sLastPicture) sLastPicture->DisplayPicture(sCurrentView);
}

void CDsView3dCdc::StSwapPictures()
{
    if (!sCurrentView || !sLastPicture) return;
    CDsPictureStorage* shownNow = new CDsPictureStorage(sCurrentView);
    sLastPicture->DisplayPicture(sCurrentView);
    delete sLastPicture;
    sLastPicture = shownNow;
}

void CDsView3dCdc::StInvalidatePicture()
{
    delete sLastPicture;
    sLastPicture = nullptr;
}

bool CDsView3dCdc::StGetPictureExistance()
{
    return sLastPicture != nullptr;
}

// --- Plot mode ----------------------------------------------------------------------------------

void CDsView3dCdc::StSetPlotMode(EPlotMode mode)
{
    sPlotMode = mode;
}

void CDsView3dCdc::StResetPlotMode()
{
    sPlotMode = ePlotModeNone;
}

EPlotMode CDsView3dCdc::StGetPlotMode()
{
    return sPlotMode;
}

bool CDsView3dCdc::StCheckIfPlotIsActive()
{
    return sPlotMode != ePlotModeNone;
}

void CDsView3dCdc::SaveParametersBeforePlot()
{
    sPlotScale = get_image_scale();
    get_viewport(sPlotX, sPlotY, sPlotWidth, sPlotHeight);
}

void CDsView3dCdc::RestoreParametersAfterPlot()
{
    set_image_scale(sPlotScale);
    set_viewport(sPlotX, sPlotY, sPlotWidth, sPlotHeight);
}

// --- Other process-wide switches ----------------------------------------------------------------

bool CDsView3dCdc::StSetDisplayCurvesMode(bool on)
{
    const bool previous = sDisplayCurvesMode;
    sDisplayCurvesMode = on;
    return previous;
}

bool CDsView3dCdc::StGetDisplayCurvesMode()
{
    return sDisplayCurvesMode;
}

void CDsView3dCdc::StSetRenderMode(ERenderMode mode)
{
    if (sCurrentView) sCurrentView->SetRenderMode(mode);
}

ERenderMode CDsView3dCdc::StGetRenderMode()
{
    return sCurrentView ? sCurrentView->GetRenderMode() : eRenderWireframe;
}

bool CDsView3dCdc::StUnused()
{
    return false;
}

void CDsView3dCdc::StUnused(bool) {}

// --- Flags and settings -------------------------------------------------------------------------

void CDsView3dCdc::SetFlag(EDsViewFlag f, bool on)
{
    if (f < 0 || f >= eDsViewFlagCount) return;
    if (f == eDsViewFlagExtrema) {
        StSetExtremaMode(on);
        return;
    }
    view3d::SetFlag(f, on);
}

bool CDsView3dCdc::GetFlag(EDsViewFlag f) const
{
    if (f < 0 || f >= eDsViewFlagCount) return false;
    if (f == eDsViewFlagExtrema) return StGetExtremaMode();
    return view3d::GetFlag(f);
}

void CDsView3dCdc::SetDocumentFlag(EDsDocumentFlag f, bool on)
{
    if (CDsGlContext* context = GetGlContext()) context->Set(f, on);
}

bool CDsView3dCdc::GetDocumentFlag(EDsDocumentFlag f) const
{
    CDsGlContext* context = GetGlContext();
    return context && context->Get(f);
}

void CDsView3dCdc::SetRenderMode(ERenderMode mode)
{
    view3d::SetRenderMode(mode);
    if (CDsGlContext* context = GetGlContext()) context->OnRenderModeChanged();
    switch (mode) {
    case eRenderWireframe:
    case eRenderPartialHiddenLines:
        set_drawing_switch(view_switch_shaded, false);
        set_drawing_switch(view_switch_edges, true);
        set_drawing_switch(view_switch_hidden_lines, false);
        set_drawing_switch(view_switch_fourth, false);
        break;
    case eRenderHiddenLines:
        set_drawing_switch(view_switch_shaded, false);
        set_drawing_switch(view_switch_edges, true);
        set_drawing_switch(view_switch_hidden_lines, true);
        set_drawing_switch(view_switch_fourth, false);
        break;
    case eRenderShade:
    case eRenderMixed:
        set_drawing_switch(view_switch_shaded, true);
        set_drawing_switch(view_switch_edges, false);
        set_drawing_switch(view_switch_hidden_lines, false);
        set_drawing_switch(view_switch_fourth, false);
        break;
    default:
        break;  // an unknown mode leaves the switches as they are
    }
    refresh(nullptr);
}

void CDsView3dCdc::SetSilhouetteLevel(EDsSilhouetteLevel level)
{
    if (CDsGlContext* context = GetGlContext()) context->SetSilhouetteLevel(level);
}

EDsSilhouetteLevel CDsView3dCdc::GetSilhouetteLevel() const
{
    CDsGlContext* context = GetGlContext();
    return context ? context->GetSilhouetteLevel() : eDsSilhouetteNone;
}

float CDsView3dCdc::GetMaxDiagonalSizeForFastRefresh() const
{
    CDsGlContext* context = GetGlContext();
    return context ? context->GetMaxDiagonalSizeForFastRefresh() : 0.0f;
}

void CDsView3dCdc::SetMaxDiagonalSizeForFastRefresh(float size)
{
    if (CDsGlContext* context = GetGlContext()) context->SetMaxDiagonalSizeForFastRefresh(size);
}

// --- Background ---------------------------------------------------------------------------------

bool CDsView3dCdc::ForceWhiteBackgroundRequired() const
{
    const CDsManager* manager = CDsManager::GetInstance();
    const bool bitmap = GetFlag(eDsViewFlagRenderBitmap);
    return (bitmap && manager->GetFlag(6)) || (bitmap && manager->GetFlag(8)) ||
           (GetFlag(static_cast<EDsViewFlag>(9)) && manager->GetFlag(7));
}

void CDsView3dCdc::GetBackgroundColor(rgb_color& color) const
{
    color = ForceWhiteBackgroundRequired() ? rgb_color(1.0, 1.0, 1.0) : get_background_rgb();
}

void CDsView3dCdc::UpdateBackgroundColor(EDsDocumentType type)
{
    CDsGlContext* context = GetGlContext();
    if (!context || !context->GetScene()) return;
    context->PushDisplaySuspension();
    CDsPreferencesServices().UpdateBackgroundColor(type, context);
    rgb_color color;
    color.set_windows_color(context->GetScene()->GetBackground().GetBackgroundColor().GetColorRef());
    set_background_rgb(color);
    context->PopDisplaySuspension();
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsView3dCdc::set_foreground_rgb(const CDsColorStorage& color)
{
    if (!StCheckIfPlotIsActive()) {
        glColor3ub(color.GetRed(), color.GetGreen(), color.GetBlue());
        return;
    }
    driver_context* driver = get_driver_context();
    if (!driver) return;
    driver->set_foreground_rgb(rgb_color(color.GetRed() / 255.0, color.GetGreen() / 255.0, color.GetBlue() / 255.0));
}

int CDsView3dCdc::draw_text_3d(const SPAposition& p, const char* text)
{
    driver_context* driver = get_driver_context();
    if (!driver || !text) return 0;
    const float xyz[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
    return driver->draw_text_3d(xyz, text);
}

int CDsView3dCdc::draw_text_2d(float x, float y, const CVyrString& text)
{
    auto* driver = dynamic_cast<CDsDriverCdc*>(get_driver_context());
    return driver ? driver->draw_text_2d(x, y, text) : 0;
}

int CDsView3dCdc::DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage& font,
                             EDsTextLineAlignment align, int* dx)
{
    driver_context* driver = get_driver_context();
    return driver ? driver->DrawText2D(x, y, text, font, align, dx) : 0;
}

int CDsView3dCdc::DrawText3D(CGmPosition& p, const CVyrString& text, CDsNFontStorage& font,
                             EDsTextLineAlignment align, int* dx)
{
    driver_context* driver = get_driver_context();
    return driver ? driver->DrawText3D(p, text, font, align, dx) : 0;
}

void CDsView3dCdc::SetTextSlanted(bool on)
{
    if (auto* driver = dynamic_cast<CDsDriverCdc*>(get_driver_context())) driver->SetTextSlanted(on);
}

void CDsView3dCdc::SetTextBaseAngle(int degrees)
{
    if (auto* driver = dynamic_cast<CDsDriverCdc*>(get_driver_context())) driver->SetTextLineBaseAngle(degrees);
}

void CDsView3dCdc::SetFont(const CDsNFontStorage& font)
{
    if (auto* driver = dynamic_cast<CDsDriverCdc*>(get_driver_context())) driver->SetFont(font);
}

// --- Refresh, size and camera -------------------------------------------------------------------

void CDsView3dCdc::resize(int width, int height)
{
    int x = 0, y = 0, w = 0, h = 0;
    get_viewport(x, y, w, h);
    view3d::resize(width, height);
    AdjustDistance(false);
    get_viewport(x, y, width, height);
    if (width == w && height == h) return;
    // The window's buffers took the new size: what the back buffer and the off-screen picture
    // held is not a picture of this view any more, and the next refresh draws the whole frame.
    if (CDsGlContext* context = GetGlContext()) context->InvalidateBackBuffer();
    delete m_pBuffer;
    m_pBuffer = nullptr;
}

void CDsView3dCdc::AdjustDistance(bool compute)
{
    CDsViewFlagSaver extrema(this, eDsViewFlagExtrema, true);
    CDsDriverExtrema driver(this);
    driver.AdjustClippingPlanes(compute, false);
}

void CDsView3dCdc::ZoomAll(float factor)
{
    // Before the measuring view copies the camera.
    if (CDsGlContext* context = GetGlContext()) StepBackFromTheScene(*context);
    CDsExtremaModeScope mode;
    CDsViewFlagSaver reporting(this, eDsViewFlagReportExtents, true);
    CDsViewExtremaControler controller(this);
    CDsViewExtrema* extrema = controller.GetExtView();
    API_BEGIN
        if (CDsGlContext* context = GetGlContext()) context->ComputeViewExtrema(extrema, true);
        if (extrema) {
            extrema->recompute_parameters();
            extrema->update_base_view();
        }
        zoom_scale(factor);
        AdjustDistance(false);
    API_END
    (void)result;  // a modeler error ends the fitting; the view keeps what was done before it
}

void CDsView3dCdc::StepBackFromTheScene(CDsGlContext& context)
{
    if (!is_perspective()) return;  // a parallel fit moves the eye out in front of the scene itself
    SPAposition low, high;
    context.GetBox(low, high);
    const double diagonal = (high - low).len();
    if (!(diagonal > 0.0) || !std::isfinite(diagonal)) return;
    const SPAunit_vector direction = get_direction();
    const SPAposition eye = get_eye();
    double nearest = HUGE_VAL;
    for (int corner = 0; corner < 8; ++corner) {
        const SPAposition p(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                            corner & 4 ? high.z() : low.z());
        nearest = std::min(nearest, (p - eye) % direction);
    }
    // The perspective fit measures what lies in front of the eye: a scene reaching behind it, or
    // up to it, would be fitted by its few points in front (a picture a millionth of a unit wide).
    if (nearest >= 0.05 * diagonal) return;
    const SPAvector back = direction * (0.5 * diagonal - nearest);
    set_eye(eye - back);
    set_target(get_target() - back);
}

void CDsView3dCdc::TransformView(const CGmTransformation& t, int refreshView)
{
    const SPAposition target = get_target() * t;
    const SPAposition eye = get_eye() * t;
    const SPAvector up = SPAvector(get_up()) * t;
    set_target(target);
    set_eye(eye);
    set_up(up);
    if (refreshView) refresh(nullptr);
}

void CDsView3dCdc::GetBoundingRect(const CDsPickedItem*, double& x0, double& x1, double& y0, double& y1,
                                   bool fromViewport)
{
    CDsDriverExtrema driver(this);
    if (!GetGlContext() || !driver.GetExtView()) return;
    double a0 = 0.0, a1 = 0.0, b0 = 0.0, b1 = 0.0;
    if (!driver.GetExtremaInViewportCoordinates(a0, a1, b0, b1, fromViewport)) return;
    x0 = a0;
    x1 = a1;
    y0 = b0;
    y1 = b1;
}

// --- OpenGL set-up ------------------------------------------------------------------------------

void CDsView3dCdc::SetupRenderingTransforms(bool pick, bool depth, bool, const CRect* rect)
{
    const double width = get_width();
    const double height = get_height();
    double zNear = get_hither();
    if (!(zNear > 0.0)) zNear = kMinNearDistance;
    const double distance = (get_target() - get_eye()).len();
    const bool canProject = width > 0.0 && height > 0.0 && std::isfinite(width) && std::isfinite(height) &&
                            get_camera().is_valid() && std::isfinite(distance);

    gl_start_projection(pick);
    if (canProject) {
        if (is_perspective() || depth)
            gl_camera_projection(is_perspective(), width, height, distance, zNear, get_yon());
        else
            gluOrtho2D(-width / 2.0, width / 2.0, -height / 2.0, height / 2.0);
    }
    gl_viewport_and_scissor(rect);
    glDepthFunc(GL_LEQUAL);
    glDepthRange(0.0, 1.0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LINE_STIPPLE);
    glBlendFunc(GL_ONE, GL_ZERO);
    CDsDriverGl::StForceWidth(1);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    // The lights are given with the model-view still the identity: they stay put in the eye's
    // frame whatever the camera does.
    if (!pick && depth) {
        if (CDsGlContext* context = GetGlContext()) context->GetScene()->ApplyLightModel(this);
    }
    if (canProject) gl_look_at();
}

void CDsView3dCdc::Start2dDraw()
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    CDsDriverGl::Start2dDraw(std::max(vw, 1), std::max(vh, 1));
    if (get_pick_mode() == 0) return;
    // A pick draws the window-pixel leaves under its pick region, as it draws the model: the
    // selection meets them and the feedback places them where the window shows them (the window
    // depth of their plane is the near plane's), not wherever they stand.
    GLdouble pixels[16];
    glMatrixMode(GL_PROJECTION);
    glGetDoublev(GL_PROJECTION_MATRIX, pixels);
    gl_start_projection(true);
    glMultMatrixd(pixels);
    glMatrixMode(GL_MODELVIEW);
}

void CDsView3dCdc::End2dDraw()
{
    CDsDriverGl::End2dDraw();
}

void CDsView3dCdc::ComputeFrustrumBox(view3d* view, const CRect* rect)
{
    const view3d& source = view ? *view : *this;
    m_frustumBox->ResetMembers();
    double halfWidth = source.get_width() * 0.5;
    double halfHeight = source.get_height() * 0.5;
    const double zNear = source.get_hither();
    const double zFar = source.get_yon();
    double eyeX = 0.0, eyeY = 0.0;
    if (rect) {
        const double u = source.get_units_per_pixel();
        int vx = 0, vy = 0, vw = 0, vh = 0;
        source.get_viewport(vx, vy, vw, vh);
        eyeX = ((rect->left + rect->right) / 2 - vw / 2) * u;
        eyeY = ((rect->top + rect->bottom) / 2 - vh / 2) * u;
        halfWidth = (rect->right - rect->left) * u * 0.5;
        halfHeight = (rect->bottom - rect->top) * u * 0.5;
    }
    if (source.is_perspective()) {
        // The picture size is measured at the target; beyond it the viewing volume widens.
        const double distance = source.get_camera().get_distance();
        const double widening = distance > 0.0 ? zFar / distance : 1.0;
        if (widening > 1.0 && std::isfinite(widening)) {
            eyeX *= widening;
            eyeY *= widening;
            halfWidth *= widening;
            halfHeight *= widening;
        }
    }
    m_frustumBox->Expand(static_cast<float>(eyeX + halfWidth), static_cast<float>(eyeY + halfHeight),
                         static_cast<float>(-zFar));
    m_frustumBox->Expand(static_cast<float>(eyeX - halfWidth), static_cast<float>(eyeY - halfHeight),
                         static_cast<float>(-zNear));
    m_modelToView = source.get_camera().GetTransformation().inverse();
}

void CDsView3dCdc::GetReferenceUcs(CGmUnitVector* axes, SPAposition& origin)
{
    CDsGlContext* context = GetGlContext();
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    if (scene && scene->GetReferenceUcs()) scene->GetReferenceUcs()->GetReferenceUcs(axes, origin);
}

bool CDsView3dCdc::IsOutOfFrustrum(CDsBox& box)
{
    CDsBox inView;
    inView.TransformBox(&m_modelToView, box);
    return m_frustumBox->IsGivenBoxTotalyOutsideMe(inView);
}

// --- Off-screen buffer --------------------------------------------------------------------------

CDsPBuffer* CDsView3dCdc::GetPBuffer()
{
    if (!m_pBuffer) m_pBuffer = new CDsPBuffer(this);
    return m_pBuffer;
}

bool CDsView3dCdc::IsPBufferValid(bool complete)
{
    CDsPBuffer* buffer = GetPBuffer();
    int x = 0, y = 0, w = 0, h = 0;
    get_viewport(x, y, w, h);
    // A buffer of another size than the viewport would cut or misplace the picture.
    if (!buffer->IsValid() || buffer->GetWidth() != w || buffer->GetHeight() != h) {
        delete m_pBuffer;
        m_pBuffer = nullptr;
        return false;
    }
    return complete ? buffer->IsComplete() : true;
}

bool CDsView3dCdc::IsBackBufferValid()
{
    if (IsPBufferValid(true)) return true;
    CDsGlContext* context = GetGlContext();
    return context && context->IsBackBufferValid();
}

void CDsView3dCdc::InvalidatePBuffers()
{
    delete m_pBuffer;
    m_pBuffer = nullptr;
    if (CDsGlContext* context = GetGlContext()) context->ResetHighlightData();
}
