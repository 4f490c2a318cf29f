#include "DsRendererShade.h"

#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPreferencesServices.h"

#include "VyrObjectPath.h"
#include "VyrRunTimeDocId.h"
#include "view3d.h"

#include <optional>

int CDsRendererShade::WalkFlags(bool fastRefresh, int silhouetteLevel)
{
    if (fastRefresh) return CDsGeometry::eDpPoints | CDsGeometry::eDpLines | CDsGeometry::eDpFaces;
    switch (silhouetteLevel) {
    case eDsSilhouetteCylinders:
        return 0x17F;
    case eDsSilhouetteAll:
        return 0xF7F;
    default:
        return 0x77;
    }
}

bool CDsRendererShade::IsSheetDocument(int partId)
{
    return CVyrRunTimeDocId(partId).GetType() == CVyrRunTimeDocId::sTypeSheet;
}

void CDsRendererShade::Render(const std::vector<CVyrObjectPath>& paths, bool walkAll, const int viewport[4],
                              CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);

    CDsPreferencesServices preferences;
    const bool autoHide = preferences.GetAutoHideForFastRefreshEnabled(false);
    const bool fast = m_view->GetFlag(eDsViewFlagFastRefresh);
    const bool document1 = m_view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1));
    const bool singleSlaveSpecial = m_scene->GetDisplayModeFlag(14);
    const bool openEdges = m_scene->GetDisplayModeFlag(8);
    const bool useShader = CDsManager::GetInstance()->IsShaderEnabled() && !document1;
    const bool isSheet = IsSheetDocument(scene.GetPeerPartId());
    const bool showEdges = !autoHide || preferences.GetShowEdgesOnZPR();
    const int complexPassMode = openEdges && (!fast || showEdges) ? 2 : 1;
    const int walkFlags = WalkFlags(fast, static_cast<int>(m_view->GetSilhouetteLevel()));

    const CVyrObjectPath start(scene.GetPeerPartId());
    SDsRenderFlags flags;
    flags.depthMode = 3;
    flags.whiteFaces = document1;
    flags.opaque = true;
    SDsDrawOptions options(flags);
    if (openEdges) options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
    options.singleSlaveSpecial = singleSlaveSpecial;

    SDsDrawSetup setup;
    DsInitDrawSetup(setup, m_view, m_scene, useShader, !isSheet, document1);

    std::optional<CDsGlShadeFunctor> storage;
    CDsGlShadeFunctor& functor = DsMakeGlTraverseFunctor(storage, m_view, options, setup, walkFlags, complexPassMode,
                                                         &scene, viewport, record);
    functor.TraverseScene(CDsPartStorage::instance(), start, &scene, paths, walkAll);
}
