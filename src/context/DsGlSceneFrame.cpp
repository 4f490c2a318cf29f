// One frame of a view, drawn by the scene: the clear and background per dirty rectangle, the
// renderer of the view's render mode per rectangle, the plot frame and the reference triad.
//
// Coming later, with their own subsystems: the passes of section planes and complex sections
// (the frame draws the whole scene unclipped until the scene holds sections), the mixed renderer
// (render mode 4 draws as the shade renderer until then, and the pass of the temporary part,
// which the mixed renderer draws, is left out), and the reference triad (the scene holds no
// reference item yet, so DrawReferenceUcs checks its conditions and draws nothing).
#include "DsGlScene.h"

#include "DsDrawContext.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsManager.h"
#include "DsPlotRenderer.h"
#include "DsPreferencesServices.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"
#include "DsView3dCdc.h"
#include "VyrCommandLineParser.h"
#include "view3d.h"

#include <GL/gl.h>

#include <memory>
#include <new>

namespace {

constexpr int kDirtyMargin = 3;

// The viewport as {left, top, right, bottom} with y up.
void ViewportRect(view3d* view, int rect[4])
{
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    rect[0] = x;
    rect[1] = y + h;
    rect[2] = x + w;
    rect[3] = y;
}

// The renderer of a render mode for the peer part.
CDsRendererBase* NewRenderer(int mode, view3d* view, CDsGlScene* scene)
{
    switch (mode) {
    case eRenderWireframe:
        return new (std::nothrow) CDsRendererWireframe(view, scene);
    case eRenderHiddenLines:
    case eRenderPartialHiddenLines:
        return new (std::nothrow) CDsRendererHiddenLine(view, scene);
    default:
        // Shaded (3), mixed (4: shaded while transparency is ignored in a fast refresh, and until
        // the mixed renderer exists) and every other value.
        return new (std::nothrow) CDsRendererShade(view, scene);
    }
}

}  // namespace

void CDsGlScene::DrawFrame(view3d* view, TDsLocationRects& dirty)
{
    if (!view) return;
    const int mode = view->GetRenderMode();
    if (dirty.empty()) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m_background.Refresh(*view);
    } else {
        for (const SDsLocationRect& r : dirty) {
            const int left = r.rect.left - kDirtyMargin, bottom = r.rect.bottom - kDirtyMargin;
            glScissor(left, bottom, r.rect.right + kDirtyMargin - left, r.rect.top + kDirtyMargin - bottom);
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            m_background.Refresh(*view);
        }
    }

    CDsDriverGl::mVertexColorPalette = const_cast<CDsPalette*>(m_vertexColors);
    if (m_attributesPalette) CDsManager::GetInstance()->SetActiveAttributesPalette(m_attributesPalette);

    const std::vector<CVyrObjectPath> everything;
    RenderRects(mode, &everything, true, dirty, view);

    CDsDriverGl::mVertexColorPalette = nullptr;
    if (m_attributesPalette) CDsManager::GetInstance()->SetActiveAttributesPalette(nullptr);

    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    glScissor(x, y, w, h);
    DrawReferenceUcs(view);
}

void CDsGlScene::RenderRects(int mode, const std::vector<CVyrObjectPath>* paths, bool walkAll, TDsLocationRects& dirty,
                             view3d* view)
{
    if (!view) return;
    if (dirty.empty()) {
        int rect[4];
        ViewportRect(view, rect);
        Render(mode, paths, walkAll, rect, view);
        return;
    }
    for (const SDsLocationRect& r : dirty) {
        const int rect[4] = {r.rect.left - kDirtyMargin, r.rect.top + kDirtyMargin, r.rect.right + kDirtyMargin,
                             r.rect.bottom - kDirtyMargin};
        Render(mode, paths, walkAll, rect, view);
    }
}

void CDsGlScene::Render(int mode, const std::vector<CVyrObjectPath>* paths, bool walkAll, const int rect[4],
                        view3d* view)
{
    if (!view || !rect) return;
    std::unique_ptr<CDsRendererBase> renderer(NewRenderer(mode, view, this));
    if (!renderer) return;
    glScissor(rect[0], rect[3], rect[2] - rect[0], rect[1] - rect[3]);

    const bool sheet = CDsRendererShade::IsSheetDocument(m_dbScene.GetPeerPartId());
    CDsDrawContext record(view, CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(sheet), 0.05);
    static const std::vector<CVyrObjectPath> kNone;
    const std::vector<CVyrObjectPath>& list = paths ? *paths : kNone;
    renderer->Render(list, walkAll, rect, &record);
    // The pass of the temporary part (the mixed renderer's) comes with that renderer; it switches
    // the scene's programs off after its opaque walk. Until it exists the frame does, so that no
    // program stays on for what is drawn after the frame.
    if (AllowsShaders()) EnableShaders(false);
}

void CDsGlScene::RenderPlot(view3d* view)
{
    if (!view) return;
    view->SetDrawPhase(eDsDrawPhasePlot);
    const std::vector<CVyrObjectPath> none;
    const int rect[4] = {0, 0, 0, 0};
    CDsPlotRenderer peer(view, this, false);
    peer.Render(none, true, rect, nullptr);
    CDsPlotRenderer temporary(view, this, true);
    temporary.Render(none, true, rect, nullptr);
}

void CDsGlScene::DrawReferenceUcs(view3d* view)
{
    if (!view) return;
    if (CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"NoRefUCS"))) return;
    if (CDsView3dCdc::sPlotMode != 0) return;
    if (view->GetDocumentFlag(static_cast<EDsDocumentFlag>(2))) return;
    // The scene holds no reference-UCS item yet: nothing to draw.
}
