#include "DsRendererBase.h"

#include "DsDrawSetup.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsStylePalette.h"
#include "VyrObjectPath.h"

#include "view3d.h"

CDsRenderState::CDsRenderState(view3d* view) : owner(view)
{
    Update();
}

void CDsRenderState::Update()
{
    // Without a view nothing is read, the manager's flag included: all stay false and 0.
    if (owner) {
        fastRefresh = owner->GetFlag(eDsViewFlagFastRefresh);
        documentFlag1 = owner->GetDocumentFlag(static_cast<EDsDocumentFlag>(1));
        managerFlag12 = CDsManager::GetInstance()->GetFlag(12);
        documentFlag4 = owner->GetDocumentFlag(static_cast<EDsDocumentFlag>(4));
        documentFlag5 = owner->GetDocumentFlag(static_cast<EDsDocumentFlag>(5));
        renderMode = owner->GetRenderMode();
        drawPhase = owner->GetDrawPhase();
    }
    lastField = 0;
}

const std::vector<CVyrObjectPath>& CDsRendererBase::PathList(const std::vector<CVyrObjectPath>* paths)
{
    static const std::vector<CVyrObjectPath> kNone;
    return paths ? *paths : kNone;
}

bool CDsRendererBase::IsMonochrome() const
{
    return m_scene && m_scene->GetOwner() && m_scene->GetOwner()->IsMonochromeStateAllowedAndActive();
}

void DsInitDrawSetup(SDsDrawSetup& setup, view3d* view, CDsGlScene* scene, bool shaders, bool lighting,
                     bool documentFlag1)
{
    setup.view = view;
    setup.scene = scene;
    setup.shaderLighting = shaders && lighting && scene && scene->AllowsShaders();
    setup.lighting = lighting && !setup.shaderLighting;
    setup.documentFlag1 = documentFlag1;
    setup.styles = CDsStylePalette::StGetActive();
    CDsPartStorage::instance()->GetDefaultMaterial(setup.material[0], setup.material[1], setup.material[2],
                                                   setup.material[3], setup.material[4]);
    setup.ResetMemo();
}
