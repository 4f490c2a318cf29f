// One frame of a view, drawn by the scene: the clear and background per dirty rectangle, the
// renderer of the view's render mode per rectangle, the plot frame and the reference triad.
//
// Render mode 4 draws with the mixed renderer, or with the shade renderer while a fast refresh
// ignores transparency ("Fast_Part_Refresh_Ignore_Transparency"); every render then draws the
// scene database's temporary part with the mixed renderer. All the walks of a frame share one
// fast-refresh auto-hide threshold, which the frame moves on once.
//
// Sections: with a stepped section that has plane groups, view flag 12 is set while each group's
// clip planes are on and the section's items are drawn (and only those); then, groups or none,
// everything but the section's items is drawn once without clip planes. Without a stepped section
// a section plane clips the whole frame through GL_CLIP_PLANE0. The clip planes take the
// model-view matrix the refresh set up (the camera), so their equations are in model coordinates.
//
// The reference triad is the last thing of a frame: it draws in the background colour exclusive-or
// 0x808080 (CDsItemsUcsReference::DrawTriad), over whatever the frame drew in the lower-left
// corner.
#include "DsGlScene.h"

#include "DsColorStorage.h"
#include "DsItemsUcs.h"

#include "DsComplexSection.h"
#include "DsDrawContext.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPlotRenderer.h"
#include "DsPreferencesServices.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererMixed.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"
#include "DsSectionPlane.h"
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
    case eRenderMixed:
        if (!DsGetFastPartRefreshIgnoreTransparency(view)) return new (std::nothrow) CDsRendererMixed(scene, view, false);
        return new (std::nothrow) CDsRendererShade(view, scene);
    default:
        return new (std::nothrow) CDsRendererShade(view, scene);
    }
}

}  // namespace

bool CDsGlScene::DrawsHlViews(view3d* view)
{
    if (!view) return false;
    // NewRenderer's choice: the modes the hidden-line renderer draws.
    const int mode = view->GetRenderMode();
    return mode == eRenderHiddenLines || mode == eRenderPartialHiddenLines;
}

void CDsGlScene::DrawFrame(view3d* view, TDsLocationRects& dirty)
{
    if (!view) return;
    // Every walk of the frame, whatever its renderer, pass or rectangle, hides by one threshold.
    CDsFrahFrameScope autoHideFrame(view);
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

    RenderSections(mode, dirty, view);

    CDsDriverGl::mVertexColorPalette = nullptr;
    if (m_attributesPalette) CDsManager::GetInstance()->SetActiveAttributesPalette(nullptr);

    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    glScissor(x, y, w, h);
    DrawReferenceUcs(view);
}

void CDsGlScene::RenderSections(int mode, TDsLocationRects& dirty, view3d* view)
{
    if (m_complexSection) {
        const std::vector<CVyrObjectPath>& paths = m_complexSection->GetPaths();
        const int groups = m_complexSection->GetGroupCount();
        if (groups > 0) {
            view->SetFlag(eDsViewFlagSectionPass, true);
            for (int group = 0; group < groups; ++group) {
                m_complexSection->EnableClipPlanes(group);
                RenderRects(mode, &paths, false, dirty, view);
                m_complexSection->DisableClipPlanes(group);
            }
            view->SetFlag(eDsViewFlagSectionPass, false);
        }
        RenderRects(mode, &paths, true, dirty, view);
        return;
    }
    const std::vector<CVyrObjectPath> everything;
    if (m_sectionPlane) {
        glEnable(GL_CLIP_PLANE0);
        glClipPlane(GL_CLIP_PLANE0, m_sectionPlane->GetEquation());
    }
    RenderRects(mode, &everything, true, dirty, view);
    if (m_sectionPlane) glDisable(GL_CLIP_PLANE0);
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
    CDsFrahFrameScope autoHideFrame(view);  // joins the frame's scope
    std::unique_ptr<CDsRendererBase> renderer(NewRenderer(mode, view, this));
    if (!renderer) return;
    glScissor(rect[0], rect[3], rect[2] - rect[0], rect[1] - rect[3]);

    const bool sheet = CDsRendererShade::IsSheetDocument(m_dbScene.GetPeerPartId());
    CDsDrawContext record(view, CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(sheet), 0.05);
    renderer->Render(paths, walkAll, rect, &record);
    renderer.reset();
    CDsRendererMixed temporary(this, view, true);
    temporary.Render(paths, walkAll, rect, &record);
}

void CDsGlScene::DrawAddedLocation(view3d* view, const CVyrObjectPath& path)
{
    if (!view) return;
    CDsFrahFrameScope autoHideFrame(view);
    CDsDriverGl::mVertexColorPalette = const_cast<CDsPalette*>(m_vertexColors);
    if (m_attributesPalette) CDsManager::GetInstance()->SetActiveAttributesPalette(m_attributesPalette);
    int rect[4];
    ViewportRect(view, rect);
    glScissor(rect[0], rect[3], rect[2] - rect[0], rect[1] - rect[3]);
    const std::vector<CVyrObjectPath> paths = {path};
    const bool sheet = CDsRendererShade::IsSheetDocument(m_dbScene.GetPeerPartId());
    CDsDrawContext record(view, CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(sheet), 0.05);
    CDsRendererMixed temporary(this, view, true);
    temporary.Render(&paths, false, rect, &record);
    CDsDriverGl::mVertexColorPalette = nullptr;
    if (m_attributesPalette) CDsManager::GetInstance()->SetActiveAttributesPalette(nullptr);
    // The triad is the last thing of a frame: drawn again over whatever the item drew there.
    DrawReferenceUcs(view);
}

bool CDsGlScene::TemporaryPartBlends(const CVyrObjectId& except) const
{
    const CDsPart* part = CDsPartStorage::instance()->GetPart(m_dbScene.GetTempPartId());
    if (!part) return false;
    for (const auto& [id, item] : part->GetItems()) {
        if (!item || id == except.GetItemId()) continue;
        const CDsGeometry* geometry = item->GetGeometry();
        const CDsAttributes* attributes = item->GetAttributes();
        if (!geometry || !attributes) continue;
        const int t = attributes->GetTransparency();
        if ((geometry->GetDrawPrimitives(0) & (CDsGeometry::eDpFaces | CDsGeometry::eDpImages)) && t >= 1 && t <= 254)
            return true;
    }
    return false;
}

void CDsGlScene::RenderPlot(view3d* view)
{
    if (!view) return;
    view->SetDrawPhase(eDsDrawPhasePlot);
    const int rect[4] = {0, 0, 0, 0};
    CDsPlotRenderer peer(view, this, false);
    peer.Render(nullptr, true, rect, nullptr);
    CDsPlotRenderer temporary(view, this, true);
    temporary.Render(nullptr, true, rect, nullptr);
}

void CDsGlScene::DrawReferenceUcs(view3d* view)
{
    if (!view) return;
    if (CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"NoRefUCS"))) return;
    if (CDsView3dCdc::sPlotMode != 0) return;
    if (view->GetDocumentFlag(static_cast<EDsDocumentFlag>(2))) return;
    if (!m_referenceUcs) return;
    const CDsColorStorage color(m_background.GetBackgroundColor().GetValue() ^ 0x808080u);
    m_referenceUcs->DrawTriad(*view, color);
}
