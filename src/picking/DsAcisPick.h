// CDsAcisPick: the modeler-based picks of the display: its pick-mode statics (beginning and
// ending the view's pick mode around an event, suspending and resuming it around drawing that must
// not count as picking), the aperture tests of points, face picks by OpenGL selection and by ray,
// edge picks (along the ray, through a pick manager, in a region), the gathering of displayed
// entities and bodies, the reference-point search with its host hooks, and region picks of
// entities (DsAcisPickModeler.cpp).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A suspension keeps what it saved in the statics, so a second suspension inside the first would
//   overwrite them with "not picking" and the outer resume would leave the view out of pick mode.
//   Callers therefore suspend only a view that is picking (CDsGeometryComputer's projection does),
//   and a suspension of a view that is not picking leaves sPickMode 0 as documented.
// - The aperture tests compare like with like: the 2-D test takes a window point with rows
//   counted up (GL window coordinates, as the point items give it) and turns it to rows counted
//   down, as the aperture counts; the 3-D test takes the pixel its projected point lies in (the
//   row gluProject gives, turned down the same way), not the projection's truncated y.
// - StCalculateShiftPositionForActiveUCS rewrites the position in the coordinates of the view's
//   reference coordinate system: (p - origin) . x, . y and . z of its axes.
// - The edge picks that take a manager put its view in pick mode only when it is not picking and
//   end that mode on every way out; the ray form uses the pick ray of the manager's event.
// - StIsDisplayed takes the copy-lookup flag as on: the rendering context keeps no such switch.
// - StPickClosePoint answers the hidden-line view's point itself (a copy would leak the
//   original).
// - StPickClosePoint answers the point of an edge only when its nearest point was found: a point
//   whose search failed holds no position of its own (the last position left over from an earlier
//   pick would be read as its place), so it is freed and, with reference points by entity, the
//   hidden-line views are asked next. The point of an edge that the window shows nearest to the
//   cursor counts only within the pick window's half diagonal of the cursor's pixel: where the
//   edge's part under the cursor is hidden or cut away, its shown parts farther off are not under
//   the cursor.
// - The hidden-line views StPickClosePoint asks are those the scene files among its hidden-line
//   views (shown ones only): an instance entity of the modeler extension is shown as a copy group,
//   never as a hidden-line view, so the views are found through the scene, not through instances.
//   They are asked only in the render modes whose frames draw them, and a view under the cursor
//   answers the nearest point of the curves it draws, under its transformation
//   (CDsItemsHlView::PickClosePoint), not of the entities its segments were made from: a view
//   placed in a drawing shows them elsewhere, and a segment without an entity is drawn all the same.
// - Ending a pick mode begun for two events restores the data given, which that beginning does not
//   fill: with fresh data (all zeros) the view leaves pick mode.
#pragma once

#include <afx.h>

#include "GmPosition.h"
#include "UiPickEvent.h"

#include <vector>

class CDsItemsGroup;
class CDsPickedFaces;
class CDsRefPoint;
class CDsRefPointFilter;
class CDsTypeMask;
class EDGE;
class ENTITY;
class ENTITY_LIST;
class FACE;
class SPAposition;
class SPAtransf;
class TRANSFORM;
class pick_manager;
class rendering_context;
class view3d;

// The status word of an entity operation.
class AFX_EXT_CLASS CDsEntVyrStatus {
public:
    // Status 0.
    CDsEntVyrStatus() = default;
    // The status word.
    int ok() const { return m_status; }
    // Sets the status word.
    void set(int status) { m_status = status; }

private:
    int m_status = 0;
};

// A host hook that finds a reference point under an event.
typedef CDsRefPoint* (*TDsRefPointHook)(CUiPickEvent& event, const CDsTypeMask& mask);

// What StBeginPickMode (one event) saved of the view and StEndPickMode puts back.
class AFX_EXT_CLASS CDsAcisPickData {
public:
    // All zeros: the view was not picking.
    CDsAcisPickData() = default;

    int m_pickMode = 0;  // the view's pick-mode value
    int m_cx = 0;        // aperture centre x (drawable pixels)
    int m_cy = 0;        // aperture centre y (drawable pixels, down from the top)
    int m_width = 0;     // aperture width
    int m_height = 0;    // aperture height
};

// Static modeler-based picks (so far the pick-mode operations).
class AFX_EXT_CLASS CDsAcisPick {
public:
    // 1 while a pick mode begun by StBeginPickMode is active, else 0.
    static int sInPickMode;
    // The event for which that pick mode was begun.
    static CUiPickEvent sPickModeEvent;
    // The view's pick-mode value saved by StSuspendPickMode (0: the view was not picking).
    static int sPickMode;
    // Aperture centre x saved by StSuspendPickMode.
    static int sCX;
    // Aperture centre y saved by StSuspendPickMode.
    static int sCY;
    // Aperture width saved by StSuspendPickMode.
    static int sDX;
    // Aperture height saved by StSuspendPickMode.
    static int sDY;

    // With a view in `event`: marks pick mode active for a copy of `event`, saves the view's pick
    // mode and region in `data` and puts the view in pick mode 1 around the event's position with
    // the process-wide aperture. Nothing without a view.
    static void StBeginPickMode(const CUiPickEvent& event, CDsAcisPickData& data);
    // With a view in `first`: marks pick mode active and puts the view in pick mode 1 around the
    // integer midpoint of the two positions, |x1 - x2| wide and |y1 - y2| high; `data` is not filled.
    static void StBeginPickMode(const CUiPickEvent& first, const CUiPickEvent& second, CDsAcisPickData& data);
    // Marks pick mode inactive and, when `event` has a view, gives the view the pick mode of `data`.
    static void StEndPickMode(const CUiPickEvent& event, const CDsAcisPickData& data);
    // 1 when pick mode is active and was begun for an event equal to `event`, else 0.
    static int StInPickMode(const CUiPickEvent& event);
    // Saves the view's pick mode in sPickMode; when it is picking, also its region (sCX, sCY, sDX,
    // sDY), sPickMode becomes 1 and the view leaves pick mode. Nothing for a null view (sPickMode 0).
    static void StSuspendPickMode(view3d* view);
    // When sPickMode is not 0, puts the view back in the saved pick mode and region.
    static void StResumePickMode(view3d* view);

    // Whether window point (x, y), rows counted up, widened by `margin` pixels (0 for a region
    // pick), lies strictly inside the pick region of the manager's view: cx - w/2 - margin < x <
    // cx + w/2 + margin, the same for y turned down (integer halves). False without a manager or
    // view.
    static bool StCheckIfPoint2dIsInApperture(pick_manager* manager, int x, int y, int margin);
    // Whether the pixel of the model point projected on the manager's view lies in its pick region
    // as above. False without a manager or view, or for a point that does not
    // project.
    static bool StCheckIfPoint3dIsInApperture(pick_manager* manager, const SPAposition& position, int margin);

    // --- Modeler picks (DsAcisPickModeler.cpp) -------------------------------------------------
    // The hook for toolpath-node reference points (null: none).
    static TDsRefPointHook sPickTpNodeInt;
    // The hook for coordinate-system origins (null: none).
    static TDsRefPointHook sPickUcsOrgInt;
    // The hook for points near faces (null: none).
    static TDsRefPointHook sPickPointClose2Face;

    // The process-wide aperture in model units of the current view (0 for a zero size).
    static void StGetPickApperture(double& width, double& height);

    // Faces under the event by depth into `faces` (OpenGL selection on a core view with a
    // context, else by ray); with `bodies` only faces of those bodies. The number added.
    static int StPickFaces(const CUiPickEvent& event, const CDsTypeMask& mask, ENTITY_LIST* bodies, CDsPickedFaces& faces);
    // Faces met by the pick ray into `faces` with their ray parameters; `bodies` or every
    // displayed body. The number of hits.
    static int StPickFacesByRay(const CUiPickEvent& event, const CDsTypeMask& mask, ENTITY_LIST* bodies,
                                CDsPickedFaces& faces);
    // The nearest face under the event (the farthest when `farthest` is not 0), null when none.
    static FACE* FindNearestFace(const CUiPickEvent& event, const CDsTypeMask& mask, ENTITY_LIST* bodies, int farthest);

    // Edges under the manager's pick into `edges` (in the region for pick method 2, else sorted
    // along the ray); `scope` limits the candidates. The count.
    static int StPickEdges(pick_manager* manager, ENTITY_LIST& edges, ENTITY_LIST* scope);
    // The entities of `in` that `filter` accepts (every one without filter) into `out` by the
    // position of their point nearest to the pick along the ray; the first becomes the low-level
    // picked entity of the view's context.
    static void StSortEdges(const CUiPickEvent& event, const ENTITY_LIST& in, ENTITY_LIST& out, CDsRefPointFilter* filter);
    // Edges of the current view's items in the view's pick region appended to `out` (a wire body
    // that may not be picked gives none, see CDsItemsBody::IsPickAvailable); its count.
    static int StPickEdgesInRegion(const CUiPickEvent& event, ENTITY_LIST& out, ENTITY_LIST* scope, pick_manager* manager);
    // The point of the entity's displayed polyline nearest to the pick (new; the caller deletes
    // it), null when none.
    static CGmPosition* StPickEdgePosition(const CUiPickEvent& event, ENTITY* entity);
    // The same on `count` float triples mapped by `transform` (may be null); the screen distance
    // into `distance`.
    static CGmPosition* StPickEdgePosition(const CUiPickEvent& event, const float* points, int count,
                                           const SPAtransf* transform, double& distance);
    // A new reference point on `edge` after its nearest-point pick.
    static CDsRefPoint* StComputeEdgePosition(const CUiPickEvent& event, EDGE* edge);
    // Null.
    static CDsRefPoint* StComputePickPosition(const CUiPickEvent& event);
    // False.
    static bool StPickClosestDisplayCurve(const CUiPickEvent& event);
    // The curve parameter of the entity's displayed point nearest to the pick; false when none.
    static bool GetCloseParameterByPick(const CUiPickEvent& event, ENTITY* entity, double& param);

    // The displayed top-level entities of the event's view.
    static void GetEntities(const CUiPickEvent& event, ENTITY_LIST& entities);
    // The displayed bodies of the event's view (instances contribute their entities).
    static void StGetBodies(const CUiPickEvent& event, ENTITY_LIST& bodies);
    // The displayed entities a modeler transform `transform` moves.
    static void StGetTransformedEntities(rendering_context* context, TRANSFORM* transform, ENTITY_LIST& entities);
    // Maps `count` float triples by `transform` in double precision.
    static void TransformPoints(float* points, int count, const SPAtransf& transform);
    // Rewrites `position` in the coordinates of the view's reference coordinate system.
    static void StCalculateShiftPositionForActiveUCS(view3d* view, SPAposition& position);

    // The reference-point search (see the kinds in DsRefPoint.h); null when nothing is found.
    static CDsRefPoint* StPickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // The point of an edge nearest to the pick (kind 267), null when none.
    static CDsRefPoint* StPickClosePoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // A point entity under the pick (kind 263), null when none.
    static CDsRefPoint* StPickVyrPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // The point entity under the pick, null when none.
    static ENTITY* StPickVyrEntity(CUiPickEvent& event, const CDsTypeMask& mask);
    // An edge's start, end, middle or centre under the pick (the processor's PickRefPoint).
    static CDsRefPoint* StPickEdgeRefPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // The pick mapped onto the plane of the view's reference coordinate system (kind 272).
    static CDsRefPoint* StPickScreenPoint(CUiPickEvent& event);
    // Begins and ends pick mode; null.
    static CDsRefPoint* StPickSectionRefPoint(CUiPickEvent& event);
    // The toolpath-node hook's answer, null without hook.
    static CDsRefPoint* StPickTpNodePoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // The coordinate-system hook's answer, null without hook.
    static CDsRefPoint* StPickUcsOrgPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // The near-face hook's answer, null without hook.
    static CDsRefPoint* StPickClose2FacePoint(CUiPickEvent& event, const CDsTypeMask& mask);

    // Entities inside the region between the two events (same view, different x and y) appended
    // to `out` (the entity of every record).
    static void PickInRegion(const CUiPickEvent& first, const CUiPickEvent& second, const CDsTypeMask& mask,
                             ENTITY_LIST& out, ENTITY_LIST* entities);

    // StIsDisplayed as the displayed-entities filter asks it.
    static int StIsDisplayedForFilter(const ENTITY* entity);

private:
    // Edges met by the pick ray among `candidates` in ascending ray parameter into `edges`, their
    // parameters in a new array (the caller deletes it). The count; 0 on a modeler error.
    static int StPickEdges(const CUiPickEvent& event, const ENTITY_LIST& candidates, ENTITY_LIST& edges, double*& depths);
    // The displayed top-level entities of `context`.
    static void StGetEntities(rendering_context* context, ENTITY_LIST& entities);
    // Whether an item of the current view's context shows `entity` and is not hidden.
    static int StIsDisplayed(const ENTITY* entity);
    // Edges of the display items of `entities` (the edges an item group shows, or an edge item
    // itself) in the view's pick region appended to `out`, a wire body asked as above; its count.
    static int StPickEdgesInRegion(const CUiPickEvent& event, const ENTITY_LIST& entities, ENTITY_LIST& out);
    // Edges of one item group (unless hidden, or a wire body that may not be picked) in the view's
    // pick region appended to `out` when `scope` (may be null: everything) lists them, a copy's own
    // edges for a copy group; the number added.
    static int StPickEdges(CDsItemsGroup* group, view3d* view, ENTITY_LIST& out, ENTITY_LIST* scope);
    // p = ray point + t ray direction; 1.
    static int StEvalEdgePosition(const CUiPickEvent& event, EDGE* edge, double t, SPAposition& p);
};
