#include "DsRendererMixed.h"

#include "DsGlScene.h"
#include "DsGlSeam.h"
#include "DsGlTraverseFunctor.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPreferencesServices.h"
#include "DsRendererShade.h"
#include "VyrCommandLineParser.h"

#include "VyrObjectPath.h"
#include "view3d.h"

#include <GL/gl.h>

#include <optional>

int CDsRendererMixed::OpaqueWalkFlags(bool fastRefresh, int silhouetteLevel, bool& transparentSilhouettesOnly)
{
    transparentSilhouettesOnly = false;
    if (fastRefresh) return CDsGeometry::eDpPoints | CDsGeometry::eDpLines | CDsGeometry::eDpFaces;
    switch (silhouetteLevel) {
    case eDsSilhouetteCylinders:
        return 0x17F;
    case eDsSilhouetteAll:
        return 0xF7F;
    default:
        transparentSilhouettesOnly = true;
        return 0xF7F;
    }
}

void CDsRendererMixed::Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                              CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);

    const SDsShadedFrameSwitches sw = SDsShadedFrameSwitches::Read(m_view, m_scene);
    const CVyrObjectPath part(m_tempPart ? scene.GetTempPartId() : scene.GetPeerPartId());
    bool silhouetteFlag = false;
    const int walkFlags =
        OpaqueWalkFlags(sw.fastRefresh, static_cast<int>(m_view->GetSilhouetteLevel()), silhouetteFlag);

    SDsRenderFlags flags;
    flags.depthMode = 4;
    flags.whiteFaces = sw.documentFlag1;
    flags.opaque = false;
    SDsDrawOptions options(flags);
    sw.FillOptions(options);

    // The opaque pass. It stays alive until the transparent passes are done.
    SDsDrawSetup opaqueSetup;
    DsInitDrawSetup(opaqueSetup, m_view, m_scene, sw.useShader, !sw.sheet, sw.documentFlag1);
    std::optional<CDsGlMixedOpaqueFunctor> opaqueStorage;
    CDsGlMixedOpaqueFunctor& opaque = DsMakeGlTraverseFunctor(opaqueStorage, m_view, options, opaqueSetup, walkFlags,
                                                              sw.complexPassMode, &scene, viewport, record,
                                                              &silhouetteFlag);
    m_view->SetPassField(0);
    opaque.TraverseScene(CDsPartStorage::instance(), part, &scene, PathList(paths), walkAll);
    // The transparent faces are lit by the fixed lights: the scene's programs go off (a scene with a
    // section never switched them on).
    if (m_scene->AllowsShaders()) m_scene->EnableShaders(false);

    // The transparent passes: blended over the picture, depth tested but not written.
    gDsGl.Enable(GL_LIGHTING);
    gDsGl.Enable(GL_BLEND);
    gDsGl.Enable(GL_DEPTH_TEST);
    gDsGl.DepthMask(GL_FALSE);
    gDsGl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const bool skipCulling = sw.fastRefresh && !m_tempPart &&
                             !CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"FullMixedModeOnZPR"));
    if (!skipCulling) {
        gDsGl.Enable(GL_CULL_FACE);
        gDsGl.CullFace(GL_FRONT);
    }
    SDsDrawSetup transparentSetup;
    DsInitDrawSetup(transparentSetup, m_view, m_scene, false, !sw.sheet, sw.documentFlag1);
    std::optional<CDsGlMixedTransparentFunctor> transparentStorage;
    CDsGlMixedTransparentFunctor& transparent =
        DsMakeGlTraverseFunctor(transparentStorage, m_view, options, transparentSetup, &scene, viewport, record);
    m_view->SetPassField(0);
    transparent.TraverseScene(CDsPartStorage::instance(), part, &scene, PathList(paths), walkAll);  // back faces
    if (!skipCulling) {
        gDsGl.CullFace(GL_BACK);
        m_view->SetPassField(0);
        transparent.TraverseScene(CDsPartStorage::instance(), part, &scene, PathList(paths), walkAll);  // front faces
    }
    gDsGl.Disable(GL_CULL_FACE);
    gDsGl.Disable(GL_BLEND);
    gDsGl.DepthMask(GL_TRUE);
}
