#include "DsExtremaWalk.h"

#include "DsDriverExtrema.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsSceneWalk.h"

#include "view3d.h"

CDsExtremaTraverseFunctor& DsMakeExtremaTraverseFunctor(std::optional<CDsExtremaTraverseFunctor>& functor,
                                                       view3d* view, const SDsDrawOptions& options,
                                                       SDsDrawSetup& setup, int renderMode, CDsDrawContext* record)
{
    functor.emplace(view, options, setup, -1, renderMode == 0 ? 0 : 1, false, record);
    functor->GetGlState().Reset();
    return *functor;
}

void DsTraverseSceneForExtrema(CDsPartStorage* storage, CDsExtremaTraverseFunctor& functor, CDsScene* scene)
{
    if (!storage || !scene) return;
    CDsSceneWalk<CDsExtremaTraverseFunctor> walk(storage, functor, scene);
    walk.TraverseWholeScene();
}

bool DsTraversePathsForExtrema(CDsPartStorage* storage, CDsExtremaTraverseFunctor& functor,
                               const CVyrObjectPath& part, const std::vector<CVyrObjectPath>& paths, CDsScene* scene)
{
    if (paths.empty()) return true;
    if (!storage || !scene) return false;
    return DsTraverseScene(storage, functor, part, scene, paths, false);
}

void DsComputeExtremaByWalk(CDsViewExtrema* view, CDsGlScene* scene, const std::vector<CVyrObjectPath>& paths)
{
    if (!view || !scene) return;
    CDsScene& db = scene->GetDbScene();
    view3d* base = view->GetBaseView();
    view3d* saved = db.GetCurrentView();
    db.SetCurrentView(base);
    {
        CDsDrawContext record(base, false, 0.0);
        SDsRenderFlags flags;
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        DsInitDrawSetup(setup, view, scene, false, false, record.documentFlag1);
        std::optional<CDsExtremaTraverseFunctor> storage;
        CDsExtremaTraverseFunctor& functor =
            DsMakeExtremaTraverseFunctor(storage, view, options, setup, paths.empty() ? 0 : 1, &record);
        CDsPartStorage* parts = CDsPartStorage::instance();
        if (paths.empty()) {
            DsTraverseSceneForExtrema(parts, functor, &db);
        } else {
            DsTraversePathsForExtrema(parts, functor, CVyrObjectPath(db.GetPeerPartId()), paths, &db);
            DsTraversePathsForExtrema(parts, functor, CVyrObjectPath(db.GetTempPartId()), paths, &db);
        }
    }
    db.SetCurrentView(saved);
}

int DsDrawGeometryByDriver(CDsGeometry* geometry, CDsTraverseFunctor& functor, view3d* view, int kind, int id,
                           int last, const CDsDrawContext* record)
{
    if (!geometry || !view) return 0;
    DsEnableViewModelTransform(view, functor.GetTopTransform());
    const int drawn = geometry->Draw(*view, static_cast<CDsGeometry::eDrawPrimitives>(kind), id, last, record);
    view->ClearModelTransform();
    return drawn;
}
