// The exact extrema road: the scene, or only some of its object paths, drawn into an extrema view
// (CDsViewExtrema) whose driver records the extent of every primitive drawn. The walk is the draw
// walk's functor in its driver-drawing form (CDsExtremaTraverseFunctor): geometry draws through
// the modeler view's drawing (CDsGeometry::Draw) under the walk's transform, no attribute and no
// OpenGL state is applied, the location cache is neither read nor written, nothing is culled.
//
// The whole scene is walked with slave mode 0 (the slaves of complexes add nothing); a path list
// is walked part by part (peer, then temporary) through a path filter that visits the listed
// locations with their subtrees and the ancestors leading to them, with slave mode 1 (every
// counted slave in a full frame, the cached ones in a fast one).
//
// Callers: CDsGlScene::ComputeExtrema (the whole scene, or a path list), which serves the eye and
// clipping planes of a refresh, the view extrema of the context and the bounding rectangle of
// picked items (CDsDriverExtrema::GetBoundingRect).
//
// Choices where the behaviour was open:
// - The walk uses the locations of the extrema view's base view (the view being measured), and
//   puts back the scene database's current view afterwards.
#pragma once

#include "DsGlTraverseFunctor.h"
#include "VyrObjectPath.h"

#include <optional>
#include <vector>

class CDsGeometry;
class CDsGlScene;
class CDsPartStorage;
class CDsScene;
class CDsTraverseFunctor;
class CDsViewExtrema;
class view3d;

// Constructs the extrema functor in `functor` for `view`: walk flags -1 (every kind), slave mode 0
// (`renderMode` 0, the whole scene) or 1 (a path list), the location cache off, `record` as the
// fast-refresh record (a default one when null); the state cache is reset, as every draw functor
// starts. Returns the functor.
AFX_EXT_API CDsExtremaTraverseFunctor& DsMakeExtremaTraverseFunctor(std::optional<CDsExtremaTraverseFunctor>& functor,
                                                                   view3d* view, const SDsDrawOptions& options,
                                                                   SDsDrawSetup& setup, int renderMode,
                                                                   CDsDrawContext* record);
// The whole scene of `scene` (peer part from the main location, then the temporary part).
AFX_EXT_API void DsTraverseSceneForExtrema(CDsPartStorage* storage, CDsExtremaTraverseFunctor& functor,
                                           CDsScene* scene);
// The part of `part` (its part id) through a path filter over `paths`; true at once for an empty
// list, else the filtered walk's answer.
AFX_EXT_API bool DsTraversePathsForExtrema(CDsPartStorage* storage, CDsExtremaTraverseFunctor& functor,
                                           const CVyrObjectPath& part, const std::vector<CVyrObjectPath>& paths,
                                           CDsScene* scene);
// Draws `scene` (an empty list) or the listed paths into `view`, whose driver records the
// extremes. Nothing without a view or a scene.
AFX_EXT_API void DsComputeExtremaByWalk(CDsViewExtrema* view, CDsGlScene* scene,
                                        const std::vector<CVyrObjectPath>& paths);
// Draws one primitive kind of a geometry through the view's drawing under `functor`'s top
// transform (the view's model transform set for the draw and cleared after it); the number the
// geometry's Draw answers, 0 without a geometry or a view.
int DsDrawGeometryByDriver(CDsGeometry* geometry, CDsTraverseFunctor& functor, view3d* view, int kind, int id,
                           int last, const CDsDrawContext* record);
