// The context's refresh: one frame of one view.
//
//  1. The view becomes the current view (and its OpenGL context current) for the refresh; the
//     view that was current before is current again afterwards, even when nothing was drawn.
//  2. During a fast refresh the highlights are forgotten (they are not drawn over moving frames).
//  3. Nothing is drawn while the display is suspended (unless the context renders into a
//     bitmap), nor into a viewport without pixels; a view in plot mode gets the plot frame instead, with no configuration and no
//     notification.
//  4. A configuration of the back buffer is opened; the scene tells what changed since the view
//     last drew (in bitmap mode: draw again). Without a saved picture to show (no valid back
//     buffer, no complete off-screen picture) "nothing" becomes "draw again" and a partial change
//     a total one.
//  5. Unless nothing changed: the depth range from the scene's extent (a partial change becomes a
//     total one when the near or far plane moved), the view's transforms,
//     the synchronisation with the scene database (which gives the dirty rectangles), the frame
//     (after which the scene's picture properties and render mode count as shown again),
//     and for a window the frame rate: 1000 / elapsed milliseconds, 100 when no millisecond
//     passed, kept as the fast-refresh rate during a fast refresh, else as the full-frame rate
//     after a full frame (and the fast-refresh rate becomes -1, not measured); with display-manager
//     flag 3 the scene's refresh counter grows and the host hears notification 10.
//  6. For a window: the changes are marked as seen by the view (not during a fast refresh); when
//     highlights must be drawn again the configuration ends first without notifications (the
//     picture is presented). A refresh that presents the whole window (its configuration is the
//     outermost pass, the viewport covers the window's client area) ends the window's wait for a
//     repaint, as the end of a paint handler would: a host that draws only through refreshes then
//     sees its highlights and directly drawn figures, which are skipped while the window waits.
//     The highlights are then drawn into the front buffer over the picture.
//  7. The configuration ends, presenting the picture and notifying the host.
//
// RefreshWithAdded: a figure recorded while its view had nothing else to draw is one new item of
// the temporary part. Drawing a whole frame for it cost a frame per figure for a host recording
// figures one by one; drawing its location alone at the planes of the last frame drew it clipped
// when it reached beyond them. The refresh therefore fits the planes first, and only when they stay
// as the picture was drawn with (and nothing of the frame would blend over the item) draws the
// item alone over the saved picture, as the frame's pass of the temporary part draws it last; the
// reference triad, the last thing of a frame, is drawn again over it. Else it is a whole frame.
//
// The frame rate is measured on the monotonic millisecond clock (the processor-time clock counts
// microseconds of processor time here, not wall-clock milliseconds).
#include "DsGlContext.h"

#include "DsBox.h"
#include "DsClock.h"
#include "DsDriverExtrema.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "RenderingConfiguration.h"
#include "VyrCommandLineParser.h"
#include "VyrExceptionMask.h"
#include "view3d.h"
#include "view_context.h"

#include <afxwin.h>

#include <GL/gl.h>

namespace {

// Makes a view current for the length of a scope and the one before current again afterwards.
class CDsCurrentViewSaver {
public:
    explicit CDsCurrentViewSaver(view3d* view)
    {
        // The current view first gets its own OpenGL context back when another one is current.
        m_saved = CDsView3dCdc::StGetCurrent();
        auto* core = dynamic_cast<CDsView3dCdc*>(view);
        if (core && core != m_saved) CDsView3dCdc::StSetCurrent(core, false);
    }
    ~CDsCurrentViewSaver()
    {
        if (m_saved != CDsView3dCdc::sCurrentView) CDsView3dCdc::StSetCurrent(m_saved, false);
    }
    CDsCurrentViewSaver(const CDsCurrentViewSaver&) = delete;
    CDsCurrentViewSaver& operator=(const CDsCurrentViewSaver&) = delete;

private:
    CDsView3dCdc* m_saved = nullptr;
};

// Whether the viewport (x, y, w, h) covers the whole client area of `window`; false for none.
bool CoversWindow(HWND window, int x, int y, int w, int h)
{
    RECT client{};
    if (!window || !GetClientRect(window, &client)) return false;
    return x <= client.left && y <= client.top && x + w >= client.right && y + h >= client.bottom;
}

}  // namespace

bool CDsGlContext::IsRestoreHighlightNecessary() const
{
    return !m_highlight.paths.empty() || m_highlight.paramPointType != -1;
}

void CDsGlContext::refresh(view3d* view, const CRect*)
{
    if (!view) return;
    CDsCurrentViewSaver saver(view);
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    const CRect frame(x, y, x + w, y + h);
    const bool fastRefresh = view->GetFlag(eDsViewFlagFastRefresh);
    if (fastRefresh) ResetHighlightData();
    glDisable(GL_COLOR_LOGIC_OP);

    const bool bitmap = GetRenderToBitmap() != 0;
    if (m_scene->GetDisplaySuspension() > 0 && !bitmap) return;
    if (w <= 0 || h <= 0) return;  // no pixel to draw (and no picture to present)
    if (CDsView3dCdc::sPlotMode != 0) {
        m_scene->RenderPlot(view);
        return;
    }
    auto* core = dynamic_cast<CDsView3dCdc*>(view);

    CRenderingConfigurationScope configuration(GL_BACK);
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int logNumber = 0, dbNumber = 0;
    int kind = eRedrawOnly;
    if (!bitmap) kind = m_scene->GetChanges(paths, ids, logNumber, dbNumber, view);
    const bool savedPicture = (core && core->IsPBufferValid(true)) || IsBackBufferValid();
    if (!savedPicture) {
        if (kind == eNoChange) kind = eRedrawOnly;
        if (kind == ePartiallyChanged) kind = eTotallyChanged;
    }

    // The item RefreshWithAdded filed, when it is the view's only change.
    const bool onlyAdded = m_addedItem.IsValid() && kind == ePartiallyChanged && !fastRefresh && core &&
                           paths.empty() && ids.size() == 1 && ids[0].first == m_addedItem &&
                           !m_scene->HasSection() && !m_scene->TemporaryPartBlends(m_addedItem);
    bool addedAlone = false;

    if (kind != eNoChange) {
        const long long start = CDsClock::GetMilliseconds();
        CVyrExceptionMask mask;
        if (core) {
            const double hither = core->get_hither(), yon = core->get_yon();
            const SPAposition eye = core->get_eye();
            ComputeEyeAndClippingPlanes(core, &frame);
            const bool planesKept = core->get_hither() == hither && core->get_yon() == yon &&
                                    core->get_eye().x() == eye.x() && core->get_eye().y() == eye.y() &&
                                    core->get_eye().z() == eye.z();
            // Every depth of the picture follows the near and far planes: a partial redraw under
            // planes fitted anew (the scene's extent changed) would leave the rest of the picture
            // drawn under the old ones, where lines and faces meet otherwise.
            if (kind == ePartiallyChanged && (core->get_hither() != hither || core->get_yon() != yon))
                kind = eTotallyChanged;
            // Under the planes the picture was drawn with, the added item drawn last over it is
            // what the frame draws: its pass of the temporary part ends with that item.
            addedAlone = onlyAdded && planesKept && kind == ePartiallyChanged;
        }
        view_context saved;
        PrepareForRefresh(view, saved, &frame);
        // A walk that does not go through the change query (bitmap mode) must name its view.
        m_scene->GetDbScene().SetCurrentView(view);
        TDsLocationRects dirty;
        m_scene->Synchronize(dirty, kind, paths, ids, view);
        if (!m_scene->GetDbScene().IsAttributesValid()) m_scene->GetDbScene().InvalidateAttributesCache();
        if (addedAlone) {
            const int item = m_addedItem.GetItemId();
            m_scene->DrawAddedLocation(view, CVyrObjectPath(&item, 1, 1, m_addedItem.GetPartId()));
        } else {
            m_scene->DrawFrame(view, dirty);
        }
        // The picture now shows the current picture properties and render mode.
        m_scene->SetPicturePropsValid(true);
        m_scene->SetRenderModeValid(true);
        if (!bitmap && !addedAlone) {
            const long long elapsed = CDsClock::GetMilliseconds() - start;
            const float rate = elapsed <= 0 ? 100.0f : static_cast<float>(1000.0 / static_cast<double>(elapsed));
            if (fastRefresh) {
                view->SetLastZprFPS(rate);
            } else {
                if (dirty.empty()) view->SetLastFPS(rate);
                view->SetLastZprFPS(-1.0f);
            }
            if (CDsManager::GetInstance()->GetFlag(3)) {
                m_scene->IncrementRefreshCounter();
                NotifyRefreshIncrement();
            }
        }
        if (Get_gl_context_data(view)) view->set_view_context(saved);
    }

    if (!bitmap) {
        if (kind != eNoChange && !fastRefresh) m_scene->GetDbScene().SyncNumbers(logNumber, dbNumber, view);
        const bool presentsWindow = configuration.IsActive() && CoversWindow(WindowOf(view), x, y, w, h);
        const bool highlights = IsRestoreHighlightNecessary();
        if (highlights && configuration.IsActive()) configuration.End(false);
        if (presentsWindow) ValidateView(view);
        if (highlights) RestoreHighlight();
    }
}

void CDsGlContext::RefreshWithAdded(view3d* view, const CVyrObjectId& added)
{
    if (!view) return;
    // Cleared on every way out: a later refresh draws frames again.
    struct SAddedScope {
        CVyrObjectId& item;
        SAddedScope(CVyrObjectId& held, const CVyrObjectId& added) : item(held) { item = added; }
        ~SAddedScope() { item = CVyrObjectId(); }
    } scope(m_addedItem, added);
    view->refresh(nullptr);
}

void CDsGlContext::ComputeEyeAndClippingPlanes(CDsView3dCdc* view, const CRect* rect)
{
    if (!view) return;
    CDsDriverExtrema driver(view);
    CDsViewExtrema* extrema = driver.GetExtView();
    if (!extrema) return;
    if (m_scene->GetDisplayModeFlag(10) &&
        !CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"UseRealBoxForClippingPlane"))) {
        CDsBox box;
        box.Expand(-1e7f, -1e7f, -1e7f);
        box.Expand(1e7f, 1e7f, 1e7f);
        box.DrawExtremes(*extrema);
    } else {
        CDsExtremaModeScope extremaMode;
        m_scene->ComputeExtrema(extrema, false);
    }
    driver.AdjustClippingPlanes(false, false);
    view->ComputeFrustrumBox(view, rect);
}

void CDsGlContext::PrepareForRefresh(view3d* view, view_context& saved, const CRect* rect)
{
    if (!view || !Get_gl_context_data(view)) return;
    saved = view->view_context();
    MakeCurrent(view);
    view->SetupRenderingTransforms(false, true, m_clearBufferMode, rect);
}
