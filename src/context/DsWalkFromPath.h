// CDsWalkFromPath: the walk of the scene database started at an object path, as hide and show run
// it. The path's part id chooses the start location (the scene's main location for its peer part,
// its temporary location for its temporary part; another part id walks nothing; without a scene
// there are no locations), its ids lead down through part instances (each level entered, none
// visited), and the content of the part reached is walked as the scene walk walks a part: part
// instances, then items with their groups, complexes and regions, each reached node handed to the
// functor and gone into only when it answers true. The node the path itself names is not visited.
// One copy per functor type (a template over the scene walk, CDsSceneWalk).
#pragma once

#include "DsSceneWalk.h"

#include "DsPartStorage.h"
#include "DsScene.h"
#include "VyrObjectPath.h"

// Walks below the node that `path` names with `functor` (see the header comment). False for a
// part id that is neither of the scene's parts, or ids that do not lead through part instances.
template <class F>
bool CDsWalkFromPath(CDsPartStorage* storage, F& functor, CDsScene* scene, const CVyrObjectPath& path)
{
    if (!storage) return false;
    CDsSceneWalk<F> walk(storage, functor, scene);
    return walk.TraversePart(path, eDsDescentEnterOnly);
}
