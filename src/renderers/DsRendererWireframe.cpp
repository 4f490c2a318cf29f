#include "DsRendererWireframe.h"

#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsPartStorage.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"

#include "DsColorStorage.h"
#include "VyrObjectPath.h"
#include "view3d.h"

#include <optional>

int CDsRendererWireframe::WalkFlags(bool fastRefresh, int silhouetteLevel)
{
    if (fastRefresh) return CDsGeometry::eDpPoints | CDsGeometry::eDpLines;
    switch (silhouetteLevel) {
    case eDsSilhouetteCylinders:
        return 0x13B;
    case eDsSilhouetteAll:
        return 0xF3B;
    default:
        return 0x33;
    }
}

void CDsRendererWireframe::Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                                  CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);

    const CDsGlContext* current = CDsView3dCdc::StGetCurrentGlContext();
    const bool monochrome = current && current->IsMonochromeStateAllowedAndActive();
    const int walkFlags =
        WalkFlags(m_view->GetFlag(eDsViewFlagFastRefresh), static_cast<int>(m_view->GetSilhouetteLevel()));

    const CVyrObjectPath start(scene.GetPeerPartId());
    SDsRenderFlags flags;
    flags.depthMode = 3;
    flags.whiteFaces = false;
    flags.lighten = false;
    SDsDrawOptions options(flags);
    if (monochrome) {
        CDsColorStorage visible, hidden;
        CDsPreferencesServices().GetMonochromeWireframeColors(visible, hidden);
        options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
        options.overrideAttributes.SetColor(visible.GetColorRef());
    }
    options.singleSlaveSpecial = false;

    SDsDrawSetup setup;
    DsInitDrawSetup(setup, m_view, m_scene, false, false, false);

    std::optional<CDsGlTraverseFunctor> storage;
    CDsGlTraverseFunctor& functor = DsMakeGlTraverseFunctor(storage, m_view, options, setup, walkFlags,
                                                            record != nullptr, &scene, viewport, nullptr);
    m_view->SetPassField(0);
    functor.TraverseScene(CDsPartStorage::instance(), start, &scene, PathList(paths), walkAll);
}
