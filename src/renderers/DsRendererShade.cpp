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

SDsShadedFrameSwitches SDsShadedFrameSwitches::Read(view3d* view, CDsGlScene* scene)
{
    SDsShadedFrameSwitches sw;
    CDsPreferencesServices preferences;
    const bool autoHide = preferences.GetAutoHideForFastRefreshEnabled(false);
    const bool showEdges = !autoHide || preferences.GetShowEdgesOnZPR();
    sw.sheet = CDsRendererShade::IsSheetDocument(scene->GetDbScene().GetPeerPartId());
    sw.fastRefresh = view->GetFlag(eDsViewFlagFastRefresh);
    sw.openEdges = scene->GetDisplayModeFlag(8);
    sw.documentFlag1 = view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1));
    sw.singleSlaveSpecial = scene->GetDisplayModeFlag(14);
    sw.useShader = CDsManager::GetInstance()->IsShaderEnabled() && !sw.documentFlag1;
    sw.complexPassMode = sw.openEdges && (!sw.fastRefresh || showEdges) ? 2 : 1;
    return sw;
}

void SDsShadedFrameSwitches::FillOptions(SDsDrawOptions& options) const
{
    if (openEdges) options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
    options.singleSlaveSpecial = singleSlaveSpecial;
}

bool CDsRendererShade::IsSheetDocument(int partId)
{
    return CVyrRunTimeDocId(partId).GetType() == CVyrRunTimeDocId::sTypeSheet;
}

void CDsRendererShade::Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                              CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);

    const SDsShadedFrameSwitches sw = SDsShadedFrameSwitches::Read(m_view, m_scene);
    const int walkFlags = WalkFlags(sw.fastRefresh, static_cast<int>(m_view->GetSilhouetteLevel()));

    const CVyrObjectPath start(scene.GetPeerPartId());
    SDsRenderFlags flags;
    flags.depthMode = 3;
    flags.whiteFaces = sw.documentFlag1;
    flags.opaque = true;
    SDsDrawOptions options(flags);
    sw.FillOptions(options);

    SDsDrawSetup setup;
    DsInitDrawSetup(setup, m_view, m_scene, sw.useShader, !sw.sheet, sw.documentFlag1);

    std::optional<CDsGlShadeFunctor> storage;
    CDsGlShadeFunctor& functor = DsMakeGlTraverseFunctor(storage, m_view, options, setup, walkFlags, sw.complexPassMode,
                                                         &scene, viewport, record);
    m_view->SetPassField(0);
    functor.TraverseScene(CDsPartStorage::instance(), start, &scene, PathList(paths), walkAll);
}
