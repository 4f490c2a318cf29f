#include "DsRendererHiddenLine.h"

#include "DsGlScene.h"
#include "DsGlSeam.h"
#include "DsGlTraverseFunctor.h"
#include "DsItemsHlView.h"
#include "DsPartStorage.h"
#include "DsPreferencesServices.h"

#include "DsColorStorage.h"
#include "VyrObjectPath.h"
#include "view3d.h"

#include <algorithm>
#include <optional>

namespace {

// How far a view's background is pushed back behind the curves in its plane, in steps of the depth
// buffer. A curve and the background are placed by different matrices (the view's transformation,
// the rectangle built under it), so OpenGL's single-precision depths of the two differ by a step
// of a float's 24 bits of the depth range, whatever the buffer holds: a deeper buffer needs as many
// more of its own steps, or the background seen straight on covers its curves at many depths.
float BackgroundOffsetUnits()
{
    GLint bits = 24;
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    const int finer = std::clamp(static_cast<int>(bits) - 24, 0, 16);
    return 4.0f * static_cast<float>(1 << finer);
}

}  // namespace

int CDsRendererHiddenLine::EdgeWalkFlags(bool fastRefresh, int silhouetteLevel)
{
    if (!fastRefresh) {
        if (silhouetteLevel == eDsSilhouetteCylinders) return 0x10A;
        if (silhouetteLevel == eDsSilhouetteAll) return 0xF0A;
    }
    return CDsGeometry::eDpLines;
}

void CDsRendererHiddenLine::Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                                   CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);
    CDsPartStorage* parts = CDsPartStorage::instance();

    const bool monochrome = IsMonochrome();
    const bool fast = m_view->GetFlag(eDsViewFlagFastRefresh);
    CDsAttributes attributes;
    if (monochrome) attributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
    CDsColorStorage visible, hidden;
    CDsPreferencesServices().GetMonochromeWireframeColors(visible, hidden);
    const int walkFlags = EdgeWalkFlags(fast, static_cast<int>(m_view->GetSilhouetteLevel()));

    const CVyrObjectPath start(scene.GetPeerPartId());
    SDsDrawSetup setup;
    DsInitDrawSetup(setup, m_view, m_scene, false, false, false);

    // One auto-hide threshold for the frame: the first walk works it out (which moves it on from
    // the last frame's), the others take it, so that every walk leaves out the same items.
    bool prepared = false;
    float threshold = 0.0f;
    bool mostlyOffscreen = false;
    auto walk = [&](const SDsDrawOptions& options, int flags, int complexPassMode, bool useLocationCache) {
        setup.ResetMemo();
        std::optional<CDsGlTraverseFunctor> storage;
        storage.emplace(m_view, options, setup, flags, complexPassMode, useLocationCache, record);
        if (!prepared) {
            storage->PrepareForFrame(&scene, m_view, viewport);
            threshold = storage->GetAutoHideThreshold();
            mostlyOffscreen = storage->IsSceneMostlyOffscreen();
            prepared = true;
        } else {
            storage->PrepareForFrame(nullptr, m_view, viewport);
            storage->SetAutoHideThreshold(threshold);
            storage->SetSceneMostlyOffscreen(mostlyOffscreen);
        }
        m_view->SetPassField(0);
        storage->TraverseScene(parts, start, &scene, PathList(paths), walkAll);
    };

    // The scene's hidden-line views, pass by pass (see the header comment).
    CDsItemsGroup* views = m_scene->GetRootGroup(CDsGlScene::eRootHlViews);
    auto viewPass = [&](int pass) {
        for (int i = 0; views && i < views->Count(); ++i)
            if (auto* view = dynamic_cast<CDsItemsHlView*>(views->GetFast(i))) view->DrawPass(*m_view, pass);
    };

    // The hidden edges, dimmed, under everything the next walks draw.
    if (m_state.renderMode == eRenderPartialHiddenLines) {
        if (monochrome) attributes.SetColor(hidden.GetColorRef());
        SDsRenderFlags flags;
        flags.depthMode = m_state.renderMode;
        flags.lighten = !monochrome;
        SDsDrawOptions options(flags);
        options.overrideAttributes = attributes;
        walk(options, walkFlags, 2, false);
    }

    viewPass(0);

    // The faces, into the depth buffer only and pushed back, so that the edges on them pass.
    gDsGl.Enable(GL_DEPTH_TEST);
    gDsGl.ColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    gDsGl.Enable(GL_POLYGON_OFFSET_FILL);
    {
        SDsRenderFlags flags;
        flags.depthMode = m_state.renderMode;
        SDsDrawOptions options(flags);
        options.overrideAttributes = attributes;
        walk(options, CDsGeometry::eDpFaces, 0, true);
    }
    // The walk's functor has handed the offset back already; off in any case.
    DsGlSetEnabled(GL_POLYGON_OFFSET_FILL, false);
    gDsGl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // The views' backgrounds, pushed back behind the curves in their plane; not while the view
    // refreshes fast.
    if (!fast && views && views->Count() > 0) {
        gDsGl.Enable(GL_POLYGON_OFFSET_FILL);
        gDsGl.PolygonOffset(2.0f, BackgroundOffsetUnits());
        for (int i = 0; i < views->Count(); ++i)
            if (auto* view = dynamic_cast<CDsItemsHlView*>(views->GetFast(i))) view->DrawBackground(*m_view);
        gDsGl.Disable(GL_POLYGON_OFFSET_FILL);
    }

    // The visible edges, where the depth test lets them through.
    if (monochrome) attributes.SetColor(visible.GetColorRef());
    SDsRenderFlags flags;
    flags.depthMode = m_state.renderMode;
    flags.lighten = false;
    SDsDrawOptions options(flags);
    options.overrideAttributes = attributes;
    int edgeFlags = walkFlags | CDsGeometry::eDpPoints;
    if (!fast) edgeFlags |= CDsGeometry::eDpBitmaps | CDsGeometry::eDpTexts;
    walk(options, edgeFlags, 2, true);
    viewPass(1);
}
