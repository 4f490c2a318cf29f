#include "DsPlotRenderer.h"

#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsPartStorage.h"

#include "VyrObjectPath.h"
#include "view3d.h"

#include <optional>

int CDsPlotRenderer::WalkFlags(int silhouetteLevel)
{
    switch (silhouetteLevel) {
    case eDsSilhouetteCylinders:
        return 0x13F;
    case eDsSilhouetteAll:
        return 0xF3F;
    default:
        return 0x37;
    }
}

void CDsPlotRenderer::Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int[4],
                             CDsDrawContext* record)
{
    if (!m_view || !m_scene) return;
    CDsScene& scene = m_scene->GetDbScene();
    scene.SetCurrentView(m_view);

    const int walkFlags = WalkFlags(static_cast<int>(m_view->GetSilhouetteLevel()));
    const CVyrObjectPath start(m_tempPart ? scene.GetTempPartId() : scene.GetPeerPartId());

    SDsRenderFlags flags;
    SDsDrawOptions options(flags);
    // Monochrome display gives the slaves of complexes an override made as default: a plot keeps
    // every item's own colour, where a monochrome screen frame would recolour the slaves.
    if (IsMonochrome()) options.overrideAttributes = CDsAttributes();
    SDsDrawSetup setup;
    DsInitDrawSetup(setup, m_view, m_scene, false, false, false);

    std::optional<CDsPlotTraverseFunctor> storage;
    storage.emplace(m_view, options, setup, walkFlags, 2, false, record);
    m_view->SetPassField(0);
    storage->TraverseScene(CDsPartStorage::instance(), start, &scene, PathList(paths), walkAll);
}
