// The synchronisation of a view with the scene database: the location-box walk that gives every
// visible location its window box, the dirty-rectangle record of a frame, and the searches the
// frame drawing runs over its lists.
//
// Location boxes are OpenGL window rectangles (y up from the window's bottom, the viewport's
// corner added), set as (left, top, right, bottom) = (minimum x, maximum y, maximum x, minimum y).
// The projections count y down from the viewport's top; the box walk turns them over once, with
// y' = viewport height - y - 1, so that the boxes meet glScissor and the database's rectangles.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A child location without a box (or with an empty one) does not widen its parent: the database
//   answers such a box as (1, 0, 0, 1), and widening by it would stretch the parent to pixel (1, 1).
// - A point-sized location whose item has no geometry gets the box of a geometry without a box of
//   its own: the point's pixel widened by 2 on every side. A point that does not project (behind a
//   perspective eye) gets the empty box, like a box none of whose corners projects.
// - A geometry's own screen box counts y down from the projected point, like every screen box an
//   item reports; it is turned over with the point.
// - A geometry that answers a screen box (GetBoundBox2D: a figure's texts, markers, billboards,
//   2-D polylines) draws beyond its model box: its location's box is widened on every side by the
//   farthest reach of that screen box from an anchor, and takes in the screen box as window pixels
//   as well (where a polyline given in window pixels lies), so that a refresh of a rectangle its
//   leaves cross draws them again. The reach is the union of the leaves' reaches, hence the
//   generous side. About a model box of a single point the screen box is placed at the point's
//   pixel alone.
// - A figure's geometry tells its leaves anchored at model points from those drawn at places of the
//   window (CDsFigureGeometry::GetWindowBoxes2D): the first give the reach, or the box about a
//   single point, and only the second are taken in as window pixels, about a single point as well.
//   Each leaf is so inside its figure's box wherever it is drawn, and the box is no wider for a
//   window polyline far from the model box.
// - A complex's slaves are leaves for the walk whatever their category: the walk never asks them
//   VisitItem, so no box of theirs is on the box stack, and each one only widens the complex's box.
#pragma once

#include "DsRectangle.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"

#include <windows.h>

#include <vector>

class CDsItemVariant;
class CDsLocation;
class CDsObjectPath;
class CDsPartStorage;
class view3d;

// One dirty rectangle of a frame: a window rectangle (y up: top is the larger y) and the location
// it belongs to (an empty path for a bare rectangle).
struct SDsLocationRect {
    // An empty rectangle without a path.
    SDsLocationRect() = default;
    // `r` without a path.
    explicit SDsLocationRect(const RECT& r) : rect(r) {}
    // `r` of the location `p`.
    SDsLocationRect(const RECT& r, const CVyrObjectPath& p) : rect(r), path(p) {}

    RECT rect = {0, 0, 0, 0};
    CVyrObjectPath path;
};

// The dirty rectangles of a frame; empty means the whole viewport.
typedef std::vector<SDsLocationRect> TDsLocationRects;
// Cuts `rect` (rows counted up: top above bottom) to `viewport`; false when nothing of it is left.
bool DsClipToViewport(RECT& rect, const RECT& viewport);

// The first record in [first, last) whose rectangle shares interior with `rect` (rectangles that
// only touch along an edge do not overlap), else `last`.
TDsLocationRects::const_iterator DsFindOverlappingLocationRect(TDsLocationRects::const_iterator first,
                                                               TDsLocationRects::const_iterator last,
                                                               const RECT& rect);
// The first changed id in [first, last) whose flag is set (it cannot be redrawn by rectangle),
// else `last`.
CDsScene::TChangedIds::const_iterator DsFindFlaggedChange(CDsScene::TChangedIds::const_iterator first,
                                                          CDsScene::TChangedIds::const_iterator last);

// The location-box walk: over the whole scene (peer part, then temporary part) it synchronises
// every location it meets and gives every visible location its window box in the view: a leaf
// (category 0 or 1) its projected model box, a container the union of its visible children's
// boxes, or its own projected box when no visible child has one. Hidden locations and what lies
// below them keep the boxes they had. Complexes are recounted unless only the camera changed,
// region caches are dropped, and of a region's leaf entries only the first is synchronised.
// The walk runs over the scene's current view (CDsScene::SetCurrentView); one walk per functor.
class CDsLocation2dBoxFunctor : public CDsTraverseFunctor {
public:
    // A walk projecting into `view` (not owned); `recountSlaves` false walks complexes with the
    // cached slave counts (a frame whose only change is the camera).
    CDsLocation2dBoxFunctor(view3d* view, bool recountSlaves);
    // Frees the box stack.
    ~CDsLocation2dBoxFunctor();

    // Walks the whole of `scene` in the parts of `storage` with `functor`; false without a store or
    // a scene.
    static bool TraverseScene(CDsPartStorage* storage, CDsLocation2dBoxFunctor& functor, CDsScene* scene);

    // The window box of `location` for `item` (see the header comment); empty for a location without
    // a model box.
    SDsBox2D ComputeLocation2dBox(const CDsLocation* location, const CDsItemVariant* item);

    // The walk's hooks (CDsSceneWalk).
    // Pushes the node's transform and attributes.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant);
    // False for a hidden node; else a leaf gets its box, a container starts collecting its children's.
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    // Completes a visible node's box and widens its parent's by it; pops the transform and attributes.
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                       const CDsItemVariant* variant);
    // Recount (3) or the cached counts (2).
    ESlaveTraverseMode OnBeginMasters();
    // The slaves of a complex start.
    void OnBeginSlaves();
    // The slaves of a complex end.
    void OnEndSlaves();
    // Gives the slave's location its box, hidden or not; true.
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                      const CDsItemVariant* variant);
    // Drops the region location's cache.
    void OnCompleteRegion(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                          const CDsItemVariant* variant);
    // False: the first leaf entry's location is synchronised and the leaves stop.
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type);

    // The number of container boxes being collected (0 after a balanced walk).
    size_t GetBoxStackSize() const { return m_boxes.size(); }

private:
    // Sets the location's window box (nothing for a null location).
    static void SetBox(CDsLocation* location, const SDsBox2D& box);
    // The location's window box, empty when it has none.
    static SDsBox2D GetBox(const CDsLocation* location);
    // Widens `box` (a model box's window box) over the screen-space leaves of `item`'s geometry,
    // which draw beyond the model box (see the header comment); nothing for a geometry without a
    // screen box. `vx`, `vy`: the viewport's corner.
    static void WidenByScreenLeaves(const CDsItemVariant* item, int vx, int vy, SDsBox2D& box);
    // Widens `box` over `placed`, a box in window pixels counted from the viewport's corner
    // (`vx`, `vy`); nothing for a box without extent.
    static void TakePlaced(const SDsBox2D& placed, int vx, int vy, SDsBox2D& box);

    view3d* m_view;
    std::vector<SDsBox2D> m_boxes;
    bool m_recountSlaves;
    const CDsItemVariant* m_entered = nullptr;  // the node last pushed, which VisitItem is asked about
    bool m_inSlaves = false;                    // between OnBeginSlaves and OnEndSlaves
};
