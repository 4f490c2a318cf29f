// The pick walks: the scene walk (CDsSceneWalk) run with a pick functor instead of a draw functor.
// This file holds what the walks share (the acceptance of an item by type mask, scope, id bound and
// id range; the OpenGL selection test) and the region and select-all functor with its records, their
// settling and its drivers. The single pick's functor is CDsSinglePickFunctor
// (DsSinglePickFunctor.h). Internal to the display core: the pick processor builds the functors on
// its stack and turns their results into picked items.
//
// Rectangles are window pixels with y up (top is the larger row), like the locations' window boxes.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A scope path whose depth is 0 admits, without the any-depth flag, only items that lie in the
//   part it reaches (not inside a further part instance below it).
// - The level ids (the owner ids the id-range key is read from) are written for every level: 0
//   for an item that is not of category 5, so that a level never keeps a sibling's owner.
// - A selection buffer too small for the hit records (glRenderMode answering -1) is not a miss:
//   the test runs again with a buffer 16 times larger, up to 1,048,576 names; a buffer still too
//   small counts as a hit whose depth is read from the records it holds.
// - The selection draws the item under the walk's whole transform at once (pushed on OpenGL's
//   model-view for the time of the test) rather than level by level.
// - A region hit needs a screen box: a geometry that measures nothing through the extrema driver
//   is not wholly inside any rectangle.
// - The region driver's section is handed in (SDsPickSection); DsScenePickSection makes it from the
//   sections of a scene (its section plane, its stepped section's plane groups).
// - The region walks find what the sections leave, as the frame draws it (SetSections). The items a
//   stepped section applies to (CVyrComplexSection::IsItemShouldBeClipped) are drawn in the
//   section's passes only (view flag 12 on, one pass per area with the area's planes on): the
//   driver's walks without the planes hit none of them. An item the sections cut (the section
//   plane, or the stepped section for the items it applies to, unless the item draws with the clip
//   planes off: CDsGeometry::IsCutBySections) lies inside the rectangle by what they leave of it:
//   its face polygons cut by the planes (those inside every plane of some area of a stepped
//   section, or on the kept side of the section plane), measured where a plane cuts one of them
//   away; the item's whole drawing is measured where none does, and for a geometry without face
//   polygons.
#pragma once

#include "DsDrawContext.h"
#include "DsPickProccessor.h"
#include "DsSceneWalk.h"
#include "DsTypeMask.h"
#include "DsPickRay.h"

#include "DsAttributes.h"
#include "DsGeometry.h"
#include "DsObjectPath.h"
#include "DsTransform.h"
#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"

#include <functional>
#include <utility>
#include <cmath>
#include <vector>

class CDsGlScene;
class CDsLocation;
class CDsViewExtrema;
class CDsPartStorage;
class CDsScene;
class CDsView3dCdc;
class view3d;

// A pick rectangle in window pixels, y up: left, top, right, bottom with top > bottom.
struct SDsPickRect {
    short left = 0;
    short top = 0;
    short right = 0;
    short bottom = 0;
};

// What the item tests of every pick walk share: the union of the domain's masks, the scope, the id
// bound and the id-range filter.
struct SDsPickAcceptance {
    CDsTypeMask unionMask;                                 // OR of the domain's masks
    const std::vector<CVyrObjectPath>* scopePaths = nullptr;  // null or empty: everything
    bool anyDepth = false;                                 // scope paths admit items at any depth
    const TDsPickIdRanges* idRanges = nullptr;             // null or empty: every id
    int idBound = 0x7FFFFFFF;                              // largest id that may be picked

    // The union of `domain`'s masks.
    void SetDomain(const std::vector<CDsTypeMask>& domain);
    // Whether the item at `path` (of object type `type`) passes the type mask, the scope, the id
    // bound and the id-range filter, with `key` the id-range key of the item.
    bool Accepts(int type, const CDsObjectPath& path, int key) const;
    // Whether `path` lies under one of the scope paths.
    bool PassesScope(const CDsObjectPath& path) const;
    // Whether `id` is admitted for the owner `key`.
    bool PassesIdRanges(int key, int id) const;
};

// The id-range key of an item at `path`, `level` levels below the walk's start (0 for an item of
// the part itself), from the level ids kept by the walk (`levelIds`, `levelCount` of them).
int DsPickIdRangeKey(const CDsObjectPath& path, int level, const int* levelIds, int levelCount);
// The geometry that answers for `variant` at `path` and the item id its calls take: the item's own
// geometry with id 0, else its region parent's with the item's own id (the path's last), since a
// region's geometry answers for each of its items by id; null when there is neither.
CDsGeometry* DsPickGeometryOf(const CDsItemVariant* variant, const CDsItemVariant* parent,
                              const CDsObjectPath& path, int& id);
// The owner id a category-5 item keeps for the levels below it: the first id its geometry connects;
// 0 for any other item.
int DsPickLevelId(const CDsItemVariant* variant);
// Whether the window box of `location` overlaps `rect` (strict on all four sides); true for a
// location without a model box or without a window box.
bool DsPickBoxOverlaps(const CDsLocation* location, const SDsPickRect& rect);

// The OpenGL state a selection pass relies on, set for the life of the object: no polygon offset
// (fill, line or point), both faces filled and none culled, the whole depth range. What it found
// is put back afterwards. A frame or a host may leave an offset on, which would put the hit depth
// of a face seen edge-on onto the near plane.
class CDsSelectionGlState {
public:
    // Pushes the polygon and viewport attribute groups and sets the state.
    CDsSelectionGlState();
    // Pops them.
    ~CDsSelectionGlState();
    CDsSelectionGlState(const CDsSelectionGlState&) = delete;
    CDsSelectionGlState& operator=(const CDsSelectionGlState&) = delete;

    // Sets the state without saving anything (for a caller that saves it itself).
    static void Set();
};

// One OpenGL selection pass: `geometry` (item `id`) draws `kinds` under `transform` in selection
// mode with one name pushed, with the state of CDsSelectionGlState (put back afterwards). True
// when a hit record came; the nearest window depth (0 to 1) of the records goes to `depth` when
// not null. Bitmaps or texts (one such kind asked) of a geometry drawn on top of the model
// (eDpOnTop) draw in window pixels, as the frame's walk draws them: inside the view's 2-D drawing,
// anchored by `transform` as the view's model transform.
bool DsGlSelect(CDsGeometry* geometry, view3d& view, int kinds, int id, const CDsTransform& transform,
                const CDsDrawContext* context, double* depth);
// A pixel's centre in window coordinates, and its distance in pixels from the cursor's pixel.
struct SDsWindowPixel {
    double x = 0.0, y = 0.0;
    double distance = 0.0;
    int column = 0, row = 0;  // the pixel itself (drawable, rows down)
};
// A point of what a geometry draws in the pick window, as OpenGL's feedback gives it (window
// coordinates of the viewport the projection maps to): its distance from the cursor's pixel centre
// in pixels, and the pixel whose centre a polygon covers there (null for a point or a line).
struct SDsFeedbackPoint {
    double distance = 0.0;
    double x = 0.0, y = 0.0, z = 0.0;  // window coordinates and depth (0 to 1)
    const SDsWindowPixel* pixel = nullptr;

    // Nearer to the cursor first; of points as near, nearer to the viewer first.
    bool operator<(const SDsFeedbackPoint& other) const;
};
// One OpenGL feedback pass with what DsGlSelect draws (the same state, `kinds` of `geometry`,
// item `id`, under `transform`), clipped as the current projection and clip planes clip; the
// points it gives are appended to `points`: the points, the points of the lines nearest to the
// first of `centres` (the cursor's pixel centre) and others along them a pixel apart, and
// for each polygon the centres of `centres` (the pixel centres of the pick window, nearest to the
// cursor first, with their distances in pixels) it covers, at its depth there: a pixel is drawn
// where its centre is covered, so a polygon seen edge-on, or a sliver of one between the centres,
// gives nothing, as a line seen end-on does. A pixel is `unitsX` x `unitsY` window units. Markers,
// texts and bitmaps drawn on top of the model (one such kind asked, a geometry with eDpOnTop) draw
// in window pixels, as the frame's walk draws them: at the near plane's depth, not placed by
// `transform`. False when nothing was drawn inside the view volume.
bool DsGlFeedbackPoints(CDsGeometry* geometry, view3d& view, int kinds, int id, const CDsTransform& transform,
                        const CDsDrawContext* context, const std::vector<SDsWindowPixel>& centres, double unitsX,
                        double unitsY, std::vector<SDsFeedbackPoint>& points);
// The selection test of the region walks: faces by selection; else, for points, the geometry's own
// drawing (under the transform as the view's model transform); else by selection, the bitmaps and
// the texts of a geometry drawn on top of the model each kind on its own, the other kinds at once. When
// the geometry's kinds share a bit with `kindMask`, `path` must be one of `paths` first. False for a
// null geometry.
bool DsOpenGlSelectionTest(CDsGeometry* geometry, view3d& view, int id, const CDsTransform& transform,
                           const CDsDrawContext* context, int kindMask, const std::vector<CVyrObjectPath>* paths,
                           const CDsObjectPath& path);

// Pushes the walk's transform as the view's model transform (applied) for the life of the object.
class CDsPickModelTransformScope {
public:
    // Pushes `transform` on `view`.
    CDsPickModelTransformScope(view3d& view, const CDsTransform& transform);
    // Pops it and puts back whether the model transform was applied.
    ~CDsPickModelTransformScope();
    CDsPickModelTransformScope(const CDsPickModelTransformScope&) = delete;
    CDsPickModelTransformScope& operator=(const CDsPickModelTransformScope&) = delete;

private:
    view3d& m_view;
    bool m_enabled;
};

// The result of a region or select-all walk: a picked item's path, type and geometry.
struct SDsRegionPickResult {
    CVyrObjectPath path;                  // the item's object path
    unsigned char type = 0;               // its object type
    const CDsGeometry* geometry = nullptr;  // its geometry (or its region parent's), or null
};

// A pending record of a region or select-all walk.
struct SDsRegionPickRecord {
    // Undecided, selected, not selected, suppressed by an ancestor.
    enum EState : int { eUndecided = 0, eSelected = 1, eNotSelected = 2, eSuppressed = 3 };

    CVyrObjectPath path;                  // the item's object path
    unsigned char type = 0;               // its object type
    const CDsGeometry* geometry = nullptr;  // its geometry (or its region parent's), or null
    int state = eUndecided;               // an EState
    int parent = -1;                      // index of the nearest ancestor record, -1 for none
    int selectedChildren = 0;             // child records in state 1 (counted while settling)
    bool hitBelow = false;                // the item or an item below it was hit
};

// Which walk a CDsRegionPickFunctor runs.
enum EDsRegionWalk : int {
    eDsRegionParentByHits = 0,       // a container is selected when items below it were hit
    eDsRegionParentsNeverByHits = 1,  // only items hit themselves are selected
    eDsRegionSelectAll = 2           // every accepted item with primitives, no region
};

// The functor of the region walks and of the select-all walk.
class CDsRegionPickFunctor : public CDsTraverseFunctor {
public:
    // Levels of the parent stack.
    static constexpr int kParentLevels = 100;
    // Levels of the level ids.
    static constexpr int kLevelIds = 31;

    // A walk of kind `walk` for `view` over the rectangle `rect` (not used by select-all), with the
    // domain (kept by reference), the results to append to, the host's test (may be null), the
    // id-range filter (may be null), the id bound and the scope (may be null).
    CDsRegionPickFunctor(CDsView3dCdc* view, EDsRegionWalk walk, const SDsPickRect& rect,
                         const std::vector<CDsTypeMask>& domain, std::vector<SDsRegionPickResult>& results,
                         CDsPickTestFunc* test, const TDsPickIdRanges* idRanges, int idBound,
                         const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth);

    // The kind mask and path list of the selection test (see DsOpenGlSelectionTest).
    void SetSelectionPaths(int kindMask, const std::vector<CVyrObjectPath>* paths)
    {
        m_kindMask = kindMask;
        m_selectionPaths = paths;
    }
    // The sections of `scene` (null: none) that cut what the region walks find, as they cut the
    // frame (see the header comment).
    void SetSections(const CDsGlScene* scene);
    // The records pending (empty after a balanced walk).
    const std::vector<SDsRegionPickRecord>& GetRecords() const { return m_records; }

    // Walk hooks.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant);
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                       const CDsItemVariant* variant);
    ESlaveTraverseMode OnBeginMasters() { return eSlavesCached; }
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                      const CDsItemVariant* variant);

    // Settles the pending records into results (passes 1 to 3) and clears them.
    void Settle();

private:
    // The item visit: whether to go below the item.
    bool ItemVisit(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                   const CDsItemVariant* parent);
    // Whether the geometry is hit: wholly inside the rectangle and selected (region walks), or has
    // primitives (select-all).
    bool HitTest(CDsGeometry* geometry, int id, const CDsObjectPath& path);
    // Whether what the geometry draws lies wholly inside the rectangle (and, visible only, not wholly
    // beyond the window); what the sections cut away of the item at `path` is left out.
    bool WhollyInside(CDsGeometry* geometry, int id, const CDsObjectPath& path);
    // The planes of the sections that cut the item at `path` drawn by `geometry` (a group per area,
    // see SetSections); null when none does.
    const std::vector<std::vector<SDsPickClipPlane>>* SectionCut(CDsGeometry* geometry,
                                                                 const CDsObjectPath& path) const;
    // Measures into `extrema` what the sections leave of the face polygons of `geometry` (item
    // `id`, placed by the walk's top transform) when they cut any of them away; false, nothing
    // measured, for a geometry without face polygons or one that no plane cuts.
    bool MeasureCutFaces(CDsViewExtrema& extrema, CDsGeometry* geometry, int id,
                         const std::vector<std::vector<SDsPickClipPlane>>& groups);

    CDsView3dCdc* m_view;
    EDsRegionWalk m_walkKind;
    SDsPickRect m_rect;
    const std::vector<CDsTypeMask>& m_domain;
    SDsPickAcceptance m_acceptance;
    std::vector<SDsRegionPickResult>& m_results;
    std::vector<SDsRegionPickRecord> m_records;
    int m_depth = 0;
    int m_parents[kParentLevels];
    int m_openCount = 0;
    CDsPickTestFunc* m_test;
    int m_levelIds[kLevelIds] = {};
    CDsDrawContext m_refresh;
    int m_kindMask = 0;
    const std::vector<CVyrObjectPath>* m_selectionPaths = nullptr;
    const CDsItemVariant* m_variant = nullptr;  // the node pushed last
    const CDsGlScene* m_sections = nullptr;     // the scene whose sections cut, or null
    bool m_stepped = false;                     // the scene's section is a stepped one
    std::vector<std::vector<SDsPickClipPlane>> m_cut;  // its plane groups (the plane alone as one)
    std::vector<SPAposition> m_shown;           // scratch: the corners the sections leave
};

// The section of a scene as the pick walks see it: a single clip plane, or groups of clip planes
// switched on one group at a time.
struct SDsPickSection {
    const SDsPickClipPlane* plane = nullptr;          // the single clip plane, or null
    int groupCount = 0;                               // plane groups of a complex section
    std::function<void(int group, bool on)> switchGroup;  // switches a group's clip planes
};

// The section of `scene` as the region driver takes it: the section plane copied into `plane` (and
// pointed to) when the scene has one, and the plane groups of its stepped section, switched by
// CDsComplexSection::EnableClipPlanes and DisableClipPlanes. No section for a null scene.
SDsPickSection DsScenePickSection(const CDsGlScene* scene, SDsPickClipPlane& plane);

// The region pick driver: with section groups, each group's planes on in turn around a walk of the
// peer part (view flag 12 set meanwhile), then the peer and the temporary parts unclipped; else the
// whole scene, with the single clip plane on when there is one. `paths` not empty: the walks go
// through a path filter over them. `section` may be null.
void DsRegionPickDriver(CDsRegionPickFunctor& functor, CDsScene* scene, const std::vector<CVyrObjectPath>& paths,
                        CDsView3dCdc* view, const SDsPickSection* section);
// The select-all walk: the whole scene.
void DsSelectAllWalk(CDsPartStorage* storage, CDsScene* scene, CDsRegionPickFunctor& functor);
