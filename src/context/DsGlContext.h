// CDsGlContext: the display core's rendering context. The host makes one per document display
// and adds the document's views to it; each view then gets an OpenGL context of its own on its
// device context (gl_context), sharing display lists with the first live context. The context
// owns its scene (CDsGlScene) and its item map (CDsItemsMap), and tells the host what happens
// through its notification base (CVyrNotifyFunctionality, codes of CVyrNotification).
//
// One view's OpenGL context is current at a time, and CDsGlContext::sCurrentView names that view
// (null when the core does not know which one is). Switching happens only when the view changes:
// MakeCurrent calls wglMakeCurrent only for a view other than sCurrentView, and records the view
// only when the switch succeeded.
//
// Picks draw in the process's lasting context. Mesa keeps about half a megabyte for every OpenGL
// context that ever selected or took feedback, until the process ends, so a pick in each
// document's own contexts would grow a long session by that much per document. A view in pick
// mode is therefore made current with the lasting context of the Windows layer
// (VyrGetLastingContext) on its record's device context: as it enters pick mode
// (CDsView3dCdc::pick_mode_switched), before the pick sets anything up, and whenever it is made
// current while it picks. The view then sets the lasting context up for itself as a pick does
// (camera, pick region, viewport: CDsView3dCdc::SetupRenderingTransforms), as its own context
// holds its camera after a frame, and every pick sets up the rest it draws with (polygon and
// clipping state), so the lasting context answers as the view's own would.
// As the view leaves pick mode its own context is made current again (when it is still
// sCurrentView), with the state the host left in it: the pick changed none of it. A view that
// leaves pick mode for a moment on the way (a ray test) and enters it again finds the pick's state
// where it left it. A record whose device context cannot take the lasting context (a memory
// bitmap's) picks in the record's own context.
//
// Views and records: add_view gives the view a record (gl_context_data) with a new OpenGL context
// on the view's device context; the first view added also gives the context its shared record.
// The record holds one use of the view's device context (through the view's driver) while the
// view is in the context; the use goes back when the view leaves it.
// A core view (CDsView3dCdc) deletes its record when it is destroyed; the record of a plain
// modeler view is deleted by the context when the view leaves it (or when the context goes), as
// nobody else would. When the context goes, every view that names it is detached, so that no view
// keeps a pointer to a context that is gone.
//
// Scenes: the scene number names the scene database's scene, whose model part (the part of the same
// id) holds what the context shows; it is the document's run-time number, so that contexts of one
// document share its model part on purpose. A context made without a number takes a scene of its
// own, as a host that opens two windows each on its own model expects: a number that names no part
// of the database yet, counted down from the top of the int range (2^31 - 2 first; documents count
// up from 0), so that a number comes back only after a billion contexts. The model part of such a
// context is the scene's own: it goes (with the items filed into it) when the last context that
// shows it goes, so that a context made later with that number (sharing the part on purpose)
// keeps it while it lives, whichever of the two goes first. A document's model part (one that only
// numbered contexts show) stays in the database when its contexts go. The temporary part of a number goes
// with the last scene of that number.
//
// Lifetime: a context that goes takes with it everything its items drew with: the item groups and
// their meshes, the display lists and buffer objects (deleted while an OpenGL context of the share
// group is current: one of its views, its shared record, or that record's context on the desktop
// window's device context when the host destroyed the window first; what was current is current
// again afterwards), the item-map entries and selection names. A body the host showed and never
// hid may be lost after the context went. A host's geometry filed into a document's part that
// stays (CVyrBodyGeometry) draws nothing once its context is gone.
//
// History: the scene keeps the display-state history (CDsStateContainer); the context's history
// operations forward to it.
//
// Display suspension: while the scene's counter is above 0 the display is suspended; when popping
// brings it to 0 every view's window is invalidated (InvalidateView), so that it repaints.
//
// Services and settings (DsGlContextServices.cpp) and item transformations, copies and extents
// (DsGlContextItems.cpp) are mostly thin forwards to the scene, its database scene, the light list,
// the sections and the pick processor. Choices where the behaviour was open, or where a plain
// reading would hurt:
// - draw_to_bitmap draws each entity's display group into the view's bitmap (the view's record:
//   the bitmap record in bitmap mode) before deleting it; making the groups and deleting them at
//   once would leave the bitmap empty while reporting nothing wrong. The record is made current,
//   the view set up and cleared to the background first, and the picture finished (glFinish)
//   after. Nothing is drawn without a view or a record, and nothing but the background without
//   entities.
// - ExecuteToFrontBuffer puts the view's view context saved at phase 0 back at phase 2, so that a
//   batch leaves the view's camera as it found it.
// - SetGeometry makes the section plane from the point and normal and gives it the items, only
//   while there is no plane; GetGeometry answers them back (false without a plane). RebuildSection
//   has every view draw its whole picture again. SetSectionClipping and ResetSectionClipping
//   switch the clip planes of one plane group of the stepped section on and off.
// - GetRectangle answers the screen rectangle as CDsBox::GetRectangle gives it: minimum x, maximum
//   x, minimum y, maximum y.
//
// - The modeler-based picks (PickThruWireFrameFace, OpenGLSortFaces, OpenGLPick1Face, PickRefPoint,
//   PickGroupComponent, PickApexPoint) are the pick processor's; SelectAll, PickFigures and
//   PickVyrEntities ask the scene's root groups. PickFigures leaves out a figure that shows an
//   entity: those answer through PickVyrEntities.
//
// Threads: UpdateThread gives an edge's item (CDsItemEdge) a thread figure, a figure of the host
// (not owned by the item or the context) that draws the thread of the edge, such as the cosmetic
// circle of a threaded hole. What a thread figure does beyond being kept was open; it follows the
// document's thread detail as a user of that detail expects:
// - it shows, recorded into the scene database through the context's first view, only while both
//   the call's `show` and the document's thread detail are on (GetThreadsMode, read at each call;
//   a host that changes the detail calls UpdateThread again for its threads); otherwise a figure
//   recorded in this context is taken off the display (CDsFigure::Remove);
// - a figure that replaces another as the edge's thread figure takes the other off the display;
//   a null figure only does that;
// - without a view nothing is recorded; the item keeps the figure all the same.
// The edge item never touches the figure again: the host keeps it alive while an edge keeps it,
// and takes it away with its own figure when the edge goes (a body shown again after a change,
// update, gets new edge items without thread figures).
//
// Not copyable: a copy would share the scene, the item map and the OpenGL records.
#pragma once

#include <afx.h>

#include "DsStateContainer.h"
#include "SpaValues.h"
#include "VyrNotifyFunctionality.h"
#include "VyrObjectId.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "VyrViewTypes.h"
#include "gl_context.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

class BODY;
class CDsAttributes;
class CDsPickInfoStorage;
enum EDsSelectionByBoxMode : int;
enum EDsItemsType : int;
enum EDsResetAttributeAction : int;
class CDsBackground;
class CDsColorStorage;
class CDsComplexSection;
class CDsFigure;
class CDsLineAttribStorage;
class CDsPalette;
class CDsPickedFaces;
class CDsPickedItem;
class CDsGlGroupIterator;
class CDsItemEdge;
class CDsRefPoint;
class CDsSelectAllData;
class CDsTypeMask;
class pick_event;
class CDsStatisticsItems;
class CDsUid;
class CDsUidPath;
class CGmTransformation;
class CGmUnitVector;
class CVyrComplexSection;
class CVyrRefinement;
class CVyrWCS;
class IDsGeometry;
class SPAtransf;
class SPAunit_vector;
class SPAvector;
class CDsGlScene;
class CDsItemBase;
class CDsItemsBody;
class CDsItemsFigure;
class CDsItemsGroup;
class CDsLight;
class CVyrEntBase;
class CVyrMeshInterface;
class EDGE;
class ENTITY_LIST;
class FACE;
class TRANSFORM;
class CVyrString;
class CDsMaterialStorage;
class CDsItemsMap;
class CDsPickProccessor;
class CDsPickSessionData;
class CGmPosition;
class CUiPickEvent;
class CDsStateStorage;
class CDsViewExtrema;
class CVyrNotifyFunctionality;
class CDsView3dCdc;
class rgb_color;
class view_context;

// Kind of a parametric point: the reference-point types 256 to 274 of a type mask; -1 for none.
typedef int eVyrParamPointType;

// What a location-info walk reports of one listed location (CDsGlContext::GetLocationsInfo).
struct SDsLocationInfo {
    int type = 0;                     // the object type of the location's item
    class CDsGeometry* geometry = nullptr;  // the item's geometry, null when it has none
    unsigned char state = 0;          // the location's state
};

// The phases of drawing items into the front buffer outside a refresh: 0 opens a batch (the view
// set up, the front buffer selected), 1 draws, 2 closes it (the back buffer selected again).
enum EGlDrawingPhase : int {
    eGlDrawingPhaseStart = 0,
    eGlDrawingPhaseDraw = 1,
    eGlDrawingPhaseEnd = 2
};

// The display core's rendering context.
class AFX_EXT_CLASS CDsGlContext : public gl_context, public CVyrNotifyFunctionality {
public:
    // A context with a scene of its own (see "Scenes" in the header comment), an empty item map,
    // entered in the preference services' list of contexts.
    CDsGlContext();
    // A context with a new scene for scene-database scene `sceneNumber` (the document's run-time
    // number) and an empty item map, entered in the preference services' list of contexts.
    // Contexts made with one number show one model part, on purpose (also the number of a context
    // made without one, whose part then stays while either shows it).
    explicit CDsGlContext(int sceneNumber);
    // Not copyable.
    CDsGlContext(const CDsGlContext&) = delete;
    // Not copyable.
    CDsGlContext& operator=(const CDsGlContext&) = delete;
    // Leaves the preference services' list, closes the item map, deletes the scene with its items
    // and their display lists and buffers (see "Lifetime" in the header comment), deletes the
    // shared and bitmap records, forgets the current OpenGL view, removes the scene's own model
    // part when no other context shows it, deletes the item map, and detaches every view that
    // still names this context.
    ~CDsGlContext() override;

    // --- Modeler operations ---------------------------------------------------------------
    // Appends the entities of the item map that pass `filter` (all for null) to `list`.
    void get_entities(ENTITY_LIST& list, entity_filter* filter, bool topLevelOnly) override;
    // Adds `view`: the current OpenGL view is forgotten (the new record's context is current
    // now), the view gets a record with a new OpenGL context on its device context (sharing
    // display lists with the first live context), the first view also a shared record, and the
    // view joins the context's views. A view that belongs to another context leaves it first; its
    // old record is deleted; the scene's refinement then takes the faceting preferences and
    // becomes the current refinement. Nothing more for null or a view already here.
    void add_view(view3d* view) override;
    // Removes `view`: the display manager drops the view's textures and vertex buffers, the use of
    // the view's device context its record took at add_view goes back to the view, the view leaves
    // the views, and the current OpenGL view's context is made current again (the view's resources
    // were deleted in the view's own context). Nothing for a view not here.
    void remove_view(view3d* view) override;
    // Shows the entity again after a change: remove, then add.
    void update(ENTITY* entity) override;
    // Null: the context keeps no modeler display data.
    void* find_data(const ENTITY* entity) override;
    // 1 when the item map holds an item for `entity`, else 0.
    int is_displayed(const ENTITY* entity) override;
    // The modeler's pick of `manager` (its do_pick, the view already in the manager's pick
    // region) through the pick processor: the faces under the region by OpenGL selection, wire
    // edges, then the scene's entity groups and copies offer themselves to it (a pick that found
    // nothing here would leave the modeler's region pick of entities empty). The number of
    // records it saved; 0 without a view.
    int pick(pick_manager* manager) override;
    // No figure: null.
    void* make_figure(const ENTITY_LIST& entities, view3d* view) override;
    // Copies the back buffer into the front buffer of what is current
    // (CDsDriverGl::CopyColorBuffer(false)); non-zero on success.
    int CopyBackToFront(view3d* view) override;

    // --- Current OpenGL view --------------------------------------------------------------
    // The view whose OpenGL context is current (null: none known).
    static view3d* sCurrentView;
    // Makes `view`'s OpenGL context current and records the view, when it is not sCurrentView
    // (or is, made current for a pick mode it has left since, or the other way round): pending
    // drawing is flushed, then wglMakeCurrent with the record this context has for the view (the
    // lasting context on the record's device context while the view is in pick mode, see the
    // header comment). Null forgets sCurrentView. A view without a record (or whose record has no
    // context) changes nothing. True when `view` is sCurrentView afterwards.
    bool MakeCurrent(view3d* view);
    // Whether `view` is sCurrentView, made current as its pick mode asks (the lasting context in
    // pick mode, its own outside it).
    static bool StIsCurrentAsWanted(view3d* view);
    // Makes `record`'s device context current for `view` (its record, with a context) with the
    // context its pick mode asks for, and records the view; false (nothing changed) when no
    // context can be made current there.
    static bool StBindRecord(view3d* view, gl_context_data* record);
    // Makes the current core view's OpenGL context current (as CDsView3dCdc::StGetCurrent does),
    // then presents its picture (gl_context::swap_buffers with the view's record, in the view's
    // own context). False when there is no current view with a record, or the swap fails.
    bool SwapCurrentViewBuffers();

    // The alignment step (the current core view's context made current when another is), then,
    // when the current view is not one of this context's views, its first view made current.
    void MakeMyViewCurrent();
    // The pixel format of `view`'s record, 0 without one.
    int GetPixelFormat(view3d* view);

    // --- Views as windows -----------------------------------------------------------------
    // Invalidates the view's window (erase on), so that it repaints; nothing for null or a view
    // without a window.
    void InvalidateView(view3d* view);
    // Unless the display is suspended: Refresh(mode) on every core view of the context, in
    // order; the current view is the same afterwards (made current again when a refresh changed it).
    void RefreshViews(ERenderMode mode);
    // Marks the view's window as painted; nothing for null or a view without a window.
    void ValidateView(view3d* view);
    // False while the view's window waits to be repainted; true otherwise (also for null or a view
    // without a window).
    bool IsViewUpToDate(view3d* view);
    // The modeler's refresh of every view.
    void RefreshAllViews();
    // SaveColorBuffer on every core view.
    void SaveColorBuffers();
    // RestoreColorBuffer on every core view, then notification 8.
    void RestoreColorBuffers();

    // --- Display suspension ---------------------------------------------------------------
    // True while the scene's counter is above 0.
    bool GetDisplaySuspensionMode() const;
    // Counter + 1, at least 1 afterwards.
    void PushDisplaySuspension();
    // Counter - 1, at least 0 afterwards; reaching 0 (also from 0) invalidates every view window.
    void PopDisplaySuspension();
    // Sets the counter to 1 and pops it (every view window is invalidated); answers the counter
    // it had before.
    int ResetDisplaySuspension();
    // Refreshes counted by the scene.
    long GetRefreshCounter() const;
    // The refresh counter back to 0.
    void ResetRefreshCounter();

    // --- Document flags and settings ------------------------------------------------------
    // Sets document flag `flag` (the scene's display-mode flag; outside 0..26 ignored). Flag 1
    // then refreshes the shaded and the mixed views, flag 4 clears flag 15.
    void Set(EDsDocumentFlag flag, bool on);
    // Document flag `flag`; false outside 0..26.
    bool Get(EDsDocumentFlag flag) const;
    // Stores the silhouette level; with the display suspended meanwhile the picture properties
    // are marked changed (every view window invalidated when the suspension ends), then the
    // wireframe views are refreshed.
    void SetSilhouetteLevel(EDsSilhouetteLevel level);
    // The stored silhouette level (1, cylinders, at the start).
    EDsSilhouetteLevel GetSilhouetteLevel() const;
    // Stores the largest diagonal drawn during a fast refresh (negative: 0, no limit).
    void SetMaxDiagonalSizeForFastRefresh(float size);
    // The largest diagonal drawn during a fast refresh.
    float GetMaxDiagonalSizeForFastRefresh() const;
    // False while the scene holds a hidden-line view; else display-manager flag 12 (monochrome).
    bool IsMonochromeStateAllowedAndActive() const;
    // Marks the picture properties as changed (the scene's validity flag cleared).
    void OnPicturePropsChanged();
    // Marks the render mode as changed (the scene's validity flag cleared).
    void OnRenderModeChanged();

    // --- Measuring ------------------------------------------------------------------------
    // With `extrema` given: the extrema mode on, the scene measures what it shows into the
    // extrema view, the extrema mode off (also when the measurement raises an error).
    void ComputeViewExtrema(CDsViewExtrema* extrema, bool full);

    // --- Display-state history (the scene's CDsStateContainer) ----------------------------
    // Takes `state` (owned by the history from here on) as the newest state, dropping the states
    // ahead of the one shown and, in a full history, the oldest. False, with nothing taken, for
    // null or a state the history holds already.
    bool AddDsState(CDsStateStorage* state);
    // Steps back (eDsStateBackward) or forward and answers the state stepped to (still owned by
    // the history); null, with nothing moved, when there is none that way.
    CDsStateStorage* GetDsState(EDsStateDirection direction);
    // The state shown now, null for an empty history.
    CDsStateStorage* GetCurrentStat() const;
    // Whether a step back would answer a state.
    bool IsBackward() const;
    // Whether a step forward would answer a state.
    bool IsForward() const;
    // Deletes every state of the history.
    void ClearDsStateStorage();

    // --- Entities -------------------------------------------------------------------------
    // How FindDsItem looks further when an entity has no item of its own.
    enum EDsSecondarySearch : int {
        eDsSearchNone = 0,        // no further search
        eDsSearchRealEntity = 1,  // the item of the entity's real entity
        eDsSearchOwner = 2        // the item of the entity's owner
    };
    // The item of `entity` (null for null): from the item map, else as `how` says.
    CDsItemBase* FindDsItem(const ENTITY* entity, EDsSecondarySearch how = eDsSearchNone) const;
    // The items of the entities of `entities` found as by FindDsItem, appended to `out`.
    void FindDsItems(ENTITY_LIST& entities, EDsSecondarySearch how, std::deque<CDsItemBase*>& out) const;
    // The figure group of `figure` in the scene's figures group (CDsGlScene::FindGroupById);
    // null for null or when none belongs to it.
    CDsItemsFigure* FindDsItems(CDsFigure* figure) const;
    // The body group of `entity` in the scene's bodies, wire-bodies and unsorted groups; null.
    CDsItemsBody* FindDsBody(const ENTITY* entity) const;
    // The mesh interface of the item showing `body`: a body item's own; for a copy item of mode 0
    // or 1 the interface of the body item it copies; null otherwise.
    CVyrMeshInterface* GetMeshInterface(ENTITY* body) const;

    // Shows `entity` (see DsGlContextEntities.cpp): a body becomes a body group; a face or an
    // edge joins its shown body's group. Nothing while display-manager flag 0 is set or when the
    // entity is shown already.
    void add(ENTITY* entity) override;
    using rendering_context::add;
    // Makes the group of `entity`, files it into the scene and the item map; null when none.
    CDsItemsGroup* ComputeData(ENTITY* entity);
    // The group that shows `entity`: for an entity of the application's entity base
    // (is_CVyrEntBase) the figure group its figure operation defines through a figure generator of
    // this context, bound to the entity; for a body a body group of the body sketched into meshes;
    // null for other entities or a failed sketch.
    CDsItemsGroup* CreateGLEntListFromEntity(ENTITY* entity);
    // Shows a body whose meshes exist: its group shares them.
    void AddBody(ENTITY* entity, CVyrMeshInterface* meshes);
    // A face joins its shown body's group (its mesh built into the body's interface).
    void AddFace(FACE* face);
    // An edge joins its shown body's group (its polyline built into the body's interface).
    void AddEdge(EDGE* edge);
    // Forgets `entity` (notification 5 first): a face or an edge leaves its body's group; any other
    // entity's group leaves the scene and is deleted. Nothing for null.
    void remove(ENTITY* entity) override;
    // A face leaves its body's group and mesh interface.
    void RemoveFace(FACE* face);
    // An edge leaves its body's group and mesh interface.
    void RemoveEdge(EDGE* edge);
    // Applies a modeler transform to the items of what it moves (GetTransformedEntities), then
    // refreshes every view. Nothing for an entity that is not a transform.
    void update_transform(ENTITY* entity) override;
    // The entities with items here that `transform` moves: the one it names ("TransfAttr"), else
    // the top-level bodies it places, the entity groups it places and the bodies it places in the
    // groups and instances shown; blanked items among them, with or without a view.
    void GetTransformedEntities(TRANSFORM* transform, ENTITY_LIST& entities) const;
    // Of the top-level entities `candidates`, those a modeler transform moves, appended to
    // `entities`: the entity the transform names ("TransfAttr") alone, else the bodies it places
    // (top-level or in a group or instance) and the entity groups it places; with
    // `firstGroupOnly` the search ends at the first group it places.
    static void StEntitiesMovedBy(TRANSFORM* transform, const ENTITY_LIST& candidates, bool firstGroupOnly,
                                  ENTITY_LIST& entities);
    // Files a group made elsewhere into the scene (owned by the scene from here on).
    void Record(CDsItemsGroup* group);
    // Takes a group out of the scene without deleting it (the caller's again).
    void Remove(CDsItemsGroup* group);
    // Detaches the entity's item (when shown) from its entity under `componentId`; 0.
    int DetachEntity(ENTITY* entity, int componentId);
    // The way back from DetachEntity: the scene offers `entity` with its persistent id to the items
    // of its bodies, unsorted, figures and wire-bodies groups (CDsGlScene::AttachEntity); the one
    // that detached an entity of that id under `componentId` takes it (and enters it in the item
    // map). True when one did; false for null or when none did.
    bool AttachEntity(ENTITY* entity, int componentId);
    // When the entity's item is a figure group (CDsItemsFigure), it is transformed by
    // `transformation` and flag 15 cleared (the views draw their whole picture again). Nothing for
    // any other item or an entity without one.
    void Transform(ENTITY* entity, const CGmTransformation& transformation);
    // Maps `entity` to `item` (nothing for a null entity).
    void AddToMap(ENTITY* entity, CDsItemBase* item);
    // Forgets `entity` in the item map (not while the context is being destroyed).
    void RemoveFromMap(ENTITY* entity);
    // The same, in both maps.
    void RemoveFromAllMaps(ENTITY* entity);
    // The modeler owner of a face or an edge; null for anything else or without an owner.
    static ENTITY* GetTopLevel(ENTITY* entity);
    // The real entity of `entity` and its owner (see DsGlContextEntities.cpp).
    static void GetOwnerAndRealEntities(ENTITY* entity, ENTITY*& owner, ENTITY*& real);

    // --- Process-wide switches ------------------------------------------------------------
    // True while printing.
    static bool sPrintMode;
    // Sets the print mode.
    static void StSetPrintMode(bool on) { sPrintMode = on; }
    // The print mode.
    static bool StGetPrintMode() { return sPrintMode; }
    // 1 while picks may use OpenGL selection, else 0.
    static int sOpenGLPickEnabled;
    // Switches OpenGL selection picks on or off.
    static void StEnableOpenGLPick(bool on) { sOpenGLPickEnabled = on ? 1 : 0; }
    // Whether the host is the modeller application.
    void SetModellerApp(bool on) { m_modellerApp = on; }
    // Whether the host is the modeller application (false at the start).
    bool GetModellerApp() const { return m_modellerApp; }

    // --- Notifications --------------------------------------------------------------------
    // Code 3: figure control objects must be drawn again.
    void DrawFigureControlObject();
    // Code 4: the same, for the shaded views only.
    void DrawFigureControlObjectToShadedViews();
    // Code 6: rubber-band figures are no longer on screen.
    void InvalidateRubberbandFigures();
    // Code 8: special figures must be drawn again.
    void DrawSpFigures();
    // Code 9: a view's scale changed.
    void NotifyViewScaleChanged();
    // Code 10: a refresh drew a frame.
    void NotifyRefreshIncrement();
    // Code 15: a camera change starts.
    void NotifyStartCameraChanged();
    // Code 16: a camera change ended.
    void NotifyEndCameraChanged();
    // Code 18: a tool was deactivated.
    void NotifyToolDeActivated();
    // Code 19: an immediate tool was activated.
    void NotifyImmedToolActivated();
    // Code 20: an immediate tool was deactivated.
    void NotifyImmedToolDeActivated();
    // The notification base of `context`; null for a null context.
    static CVyrNotifyFunctionality* GetGlContextNotificationPointer(CDsGlContext* context);
    // Tells the host that a view was deactivated (code 17).
    void NotifyViewDeActivated();

    // --- Services and settings (DsGlContextServices.cpp) -----------------------------------
    // Nothing when flag 14 already equals `on`; otherwise flag 14 set or cleared, the
    // geometry-curve colour preference read again (either way), every body's edges one pixel wider
    // (on) or narrower, and the picture properties marked changed.
    void SetOpenEdgesMode(bool on);
    // Flag 14.
    bool GetOpenEdgesMode() const;
    // Flag 13.
    bool GetDuplicateEdgesMode() const;
    // The scene's monochrome colour; then the shaded views refreshed.
    void SetMonochromeColor(const CDsColorStorage& color);
    // Does nothing.
    void SetAutoHideMode(bool on);
    // False.
    bool GetAutoHideMode() const;
    // The picture number of transparent views (the performance monitor's pictures).
    void SetPictureNumberTransView(int number);
    // The picture number of transparent views.
    int GetPictureNumberTransView() const;
    // The scene's background.
    void SetBackground(const CDsBackground& background);
    // The scene's vertex-colour palette (a copy; none for null).
    void SetVertexColorPalette(const CDsPalette* palette);
    // The reference coordinate system's entity.
    void SetUcsReference(const CVyrWCS* entity);
    // The reference system's three axes and origin.
    void GetUcsReference(CGmUnitVector* axes, SPAposition& origin) const;
    // `direction` taken into the reference system.
    void TransformToReferenceUcs(SPAunit_vector& direction) const;
    // Keeps the rotate-to-plane reference.
    void SetRotateToPlaneReference(const SPAvector& first, const SPAvector& second, const SPAposition& position);
    // The rotate-to-plane reference; false unless both directions are set.
    bool GetRotateToPlaneReference(SPAvector& first, SPAvector& second, SPAposition& position) const;
    // The scene's stored rotation centre, else the centre of the scene box.
    void GetDefaultRotationCenter(SPAposition& centre) const;
    // Keeps the default rotation centre.
    void SetDefaultRotationCenter(const SPAposition& centre);
    // The scene box's corners (both at the empty box's corners when the scene shows nothing).
    void GetBox(SPAposition& low, SPAposition& high) const;
    // The centre of the scene box.
    void GetBoxCenter(SPAposition& centre) const;

    // The scene's refinement (never null).
    CVyrRefinement* GetRefinement() const;
    // The scene reads the refinement preferences again (only the first time with `once`).
    void SetCurrentRefinement(bool once);
    // The refinement's changed flag.
    bool GetRefinementChangedFlag() const;
    // Sets the refinement's changed flag.
    void SetRefinementChangedFlag(bool changed);
    // With the display suspended: the refinement filled from the preferences and made current,
    // then every body faceted anew, with this scene's refinement whatever view is current (a
    // body's interface with a refinement of its own keeps using that one); every view then draws
    // its whole picture at its next refresh.
    void ReFacetAll();
    // Counts the triangles of every body's meshes (nothing refaceted); 0.
    int ComputeNumOfTriangles();
    // Unless `keep`, every body with faces deletes its display list (built again when drawn).
    void UpdateOpenGlDisplayLists(bool keep);
    // Flips the mesh normals of the listed faces whose body has a mesh interface, then refreshes
    // the shaded and mixed views. Nothing for null.
    void FlipMeshNormals(const ENTITY_LIST* faces);
    // Rebuilds the display curves of the face items of the leading faces of the list (it stops at
    // the first entity that is not a face); the views then draw their whole pictures at their next
    // refresh. Nothing for null.
    void UpdateDisplayCurves(ENTITY_LIST* faces);
    // When the body's group is in the scene: the context's own view made current.
    void StartPartialChangeUpdates(BODY* body);
    // The same, then the body group updates its faces and edges (with flag 13).
    void CompletePartialChangeUpdates(BODY* body);
    // The edge's item keeps `figure` as its thread figure (see the header comment); the figure
    // shows when `show` is true and the document shows threads, else it is taken off the display.
    // Nothing for an edge without an edge item here.
    void UpdateThread(EDGE* edge, CDsFigure* figure, bool show);
    // Whether the document of the scene (its peer part) shows threads: its thread detail
    // ("DS_DETAILS_THREADS", CDsDocAttributesManager::ReadThreadsState; off unless stored or the
    // switch "ShowThreads" is given).
    bool GetThreadsMode() const;
    // Clears flag 15 and has the scene measure its box again (GetBox then answers where the items
    // are now, also when they moved without the scene database knowing, the faces' meshes edited
    // in place among them).
    void InvalidateBox();
    // 1 and the item's line attributes when the entity has an item; 0 (attributes unchanged).
    int GetLineAttributes(const ENTITY* entity, CDsLineAttribStorage& attributes) const;
    // Adds the counts of bodies, faces and edges of the bodies with faces; `others` unchanged.
    void CountGlItems(int& bodies, int& faces, int& edges, int& others);
    // The scene counts its items into a new statistics object.
    void CountStatistics();
    // The two counts of `type` (both 0 without statistics).
    void GetStatistics(EDsItemsType type, int& count, int& flagged) const;
    // Deletes the statistics object.
    void CleanUpStatistics();
    // The statistics object (made when there is none).
    CDsStatisticsItems* GetItemsCount();
    // The item map's trace.
    void TraceMap() const;

    // The pick processor's selection-by-box mode.
    void SetSelectionMode(EDsSelectionByBoxMode mode);
    // The selection-by-box mode.
    EDsSelectionByBoxMode GetSelectionMode() const;
    // The pick processor's point mask.
    void SetPickPointMask(eVyrParamPointType mask);
    // The point mask.
    eVyrParamPointType GetPickPointMask() const;
    // Copies the four values of `storage` into the pick processor's.
    void SetPickInfoStorage(const CDsPickInfoStorage& storage);
    // The pick processor's pick information.
    CDsPickInfoStorage& GetPickInfoStorage();
    // The processor's flag that filters bodies in drafting mode.
    bool GetFilterBodyInDraftingMode() const;
    // Sets that flag.
    void SetFilterBodyInDraftingMode(bool on);
    // No triangle figures are picked here: 0.
    int PickTrianglesFigures(pick_manager* manager);
    // 0.
    int DoPick(pick_manager* manager);
    // False.
    bool OpenGLPickEdge(const CUiPickEvent& event);
    // False.
    bool PickDisplayCurve(pick_manager* manager);
    // Null.
    CDsPickedItem* PickClosest(const CUiPickEvent& event);
    // Null.
    CDsPickedItem* PickSectionRefPoint(const CUiPickEvent& event);
    // Edges seen through the faces under `event`, offered to a pick manager of its own; the
    // picked entity into `entity`; the number of accepted edges (the pick processor's).
    int PickThruWireFrameFace(const CUiPickEvent& event, ENTITY*& entity);
    // The faces under `event` by depth into `faces`; their number (the pick processor's).
    int OpenGLSortFaces(const CUiPickEvent& event, CDsPickedFaces& faces);
    // The face under the pick, the item group of its body in `group` and its edge items appended
    // to `edges`; null when no face is picked (the pick processor's).
    ENTITY* OpenGLPick1Face(const pick_event& event, CDsGlGroupIterator& items, CDsItemsGroup*& group,
                            std::vector<CDsItemEdge*>& edges);
    // A reference point of a kind of `mask` under `event`, owned by the caller; null when none
    // (the pick processor's).
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // `group` picks itself with `manager` as one component; its answer (the pick processor's).
    bool PickGroupComponent(pick_manager* manager, CDsItemsGroup* group);
    // The entities of the scene's items that `data` accepts, each once, appended to `list`.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list);
    // Every figure of the scene that shows no entity picks itself with `manager`; the number that
    // answered true. 0 for null.
    int PickFigures(pick_manager* manager);
    // The figures and copies of the scene that show entities, picked with a CDsPickManager; the
    // number of hits, 0 for any other manager.
    int PickVyrEntities(pick_manager* manager);
    // The apex of the conical face `entity`, else of the first conical face of `body`'s entity
    // under `event`, as a new reference point owned by the caller; null when none (the pick
    // processor's).
    CDsRefPoint* PickApexPoint(ENTITY* entity, CDsItemsBody* body, CUiPickEvent event);

    // Sets (or moves) the section plane.
    void SetSection(const SPAposition& point, const SPAvector& normal);
    // Deletes the section plane.
    void ResetSection();
    // Moves the section plane by `distance` along its normal.
    void TranslateSection(double distance);
    // Flips the section plane.
    void FlipSection();
    // Every view draws its whole picture again (nothing without a section).
    void RebuildSection();
    // The section plane's transformation.
    void SetSectionTransformation(CGmTransformation& transformation);
    // The plane's four coefficients into `coefficients`; false (nothing written) without a plane
    // or for null.
    bool GetSectionPlaneParametes(double* coefficients) const;
    // Only while there is no plane: the plane through `point` with `normal`, holding `items`.
    void SetGeometry(const std::vector<CVyrObjectId>& items, const SPAposition& point, const SPAvector& normal);
    // The plane's items, point and normal; false (outputs unchanged) without a plane.
    bool GetGeometry(std::vector<CVyrObjectId>& items, SPAposition& point, SPAvector& normal) const;
    // Replaces the stepped section (owned by the scene from here on; null drops it).
    void SetComplexSection(CVyrComplexSection* section);
    // The stepped section, null when none.
    CDsComplexSection* GetComplexSection() const;
    // Switches on the clip planes of plane group `group` of the stepped section.
    void SetSectionClipping(int group);
    // Switches them off again.
    void ResetSectionClipping(int group);
    // The number of plane groups of the stepped section; 0 without one.
    int GetNumberOfDrawIterations() const;
    // Whether the scene holds a section plane or a stepped section.
    bool IsSection() const;
    // The plane's normal; false (unchanged) without a plane.
    bool GetSectionPlaneNormal(SPAunit_vector& normal) const;
    // Whether a section clips `point`.
    bool IsPointClipped(const SPAposition& point) const;
    // Whether the item at `path` can be clipped.
    bool CanItemBeClipped(const CVyrObjectPath& path) const;
    // Does nothing.
    void SealSection();
    // Does nothing.
    void SetSectionHatch();
    // Does nothing.
    void ResetSectionHatch();
    // Does nothing.
    void SetSectionHiddenFacesUse(bool use);
    // Refreshes every view.
    void DrawSectionPolyline(int index);

    // The database scene's cached location states are dropped.
    void InvalidateStates();
    // A new transform id of the database scene.
    unsigned short NewTransformId();
    // Gives a transform id back.
    void ReleaseTransformId(unsigned short id);
    // The database scene's transform `id`.
    bool SetTransform(unsigned short id, const SPAtransf& transform);
    // The transform `id`; false (unchanged) when the scene has none.
    bool GetTransform(unsigned short id, SPAtransf& transform) const;
    // The location's transform id.
    bool SetTransformId(const CVyrObjectPath& path, unsigned short id);
    // The location's transform id; 0 for none.
    unsigned short GetTransformId(const CVyrObjectPath& path) const;
    // The location keeps its own attributes.
    bool SetOrgAttrs(const CVyrObjectPath& path);
    // It no longer does.
    bool ClearOrgAttrs(const CVyrObjectPath& path);
    // The location is drawn on top.
    bool SetOnTop(const CVyrObjectPath& path);
    // It no longer is.
    bool ClearOnTop(const CVyrObjectPath& path);
    // Neither forced hidden nor shown.
    bool ResetHideShow(const CVyrObjectPath& path);
    // Forced hidden.
    bool ForceHide(const CVyrObjectPath& path);
    // Forced shown.
    bool ForceShow(const CVyrObjectPath& path);
    // The database scene's temporary part.
    int GetTempPartId() const;
    // The next item id of the temporary part.
    int NextTempItemId();

    // Draws the item of `entity`'s top-level owner (or of the entity) into the front buffers of
    // every view (see the deque form). Nothing for null or an entity without an item.
    void DrawToFrontBuffers(ENTITY* entity);
    // Draws `items` into the front buffer of every view of the context, in order, with the
    // clear-buffer mode off meanwhile; the current view is the same afterwards.
    void DrawToFrontBuffers(std::deque<CDsItemBase*> items);
    // Draws every entity of the context into `view`'s record (the bitmap in bitmap mode): see the
    // header comment. Nothing without a view or a record.
    void draw_to_bitmap(view3d* view);

    // --- Item transformations, copies and extents (DsGlContextItems.cpp) ------------------
    // What the items draw, or where they lie, changed without the scene database knowing (an item
    // moved through its own setters, a face's mesh edited in place): flag 15 cleared, every view
    // draws its whole picture again at its next refresh, and the boxes of the scene and of its
    // locations are measured anew. The items call it themselves.
    void OnItemsContentChanged();
    // With the display suspended meanwhile: the entity's item transforms its geometry; flag 15
    // cleared. Nothing without an item.
    void TransformGeometry(ENTITY* entity, SPAtransf& transform);
    // The same with the item's transformation becoming `transform`.
    void SetTransformation(ENTITY* entity, SPAtransf& transform);
    // The same with `transform` combined after the item's, only for a hidden-line view or a copy.
    void MultiplyTransformation(ENTITY* entity, SPAtransf& transform);
    // `transform` becomes the item's transformation; unchanged without an item.
    void GetTransformation(ENTITY* entity, SPAtransf& transform) const;
    // The face's face item takes `transform`; a copy showing the face's body has its box emptied
    // (measured again when next used); flag 13 set, flag 15 cleared.
    void SetFaceTransformation(FACE* face, const SPAtransf& transform);
    // The face item's transformation, null when the face has no face item.
    const SPAtransf* GetFaceTransformation(FACE* face) const;
    // Copies it into `transform` when there is one; false otherwise.
    bool GetFaceTransformation(FACE* face, SPAtransf& transform) const;
    // The body's faces lose their own transformations; flags 13 and 15 cleared.
    void ResetFaceTransformations(BODY* body);
    // Shows `entity` as a copy of its real entity's body item, filed into the scene; nothing when
    // the entity is shown by a copy already, its real entity has no body item or its placement
    // (CVyrAsExt::GetTransformation) describes none (a zero or non-finite scale or value).
    void AddCopy(ENTITY* entity);
    // The entity's item leaves the maps and the scene (the caller's again).
    void RemoveCopy(ENTITY* entity);
    // The item of `shown` comes to show `replacement` and copies the real entity's item of it.
    void UpdateCopy(ENTITY* shown, ENTITY* replacement);
    // The entity's group is filed by its kind (`active`) or moved to the unsorted group.
    void Activate(ENTITY* entity, bool active);
    // The item of the path's head entity adds a sub-item (path walked from 0).
    void AddSubItem(const CDsUidPath& path, const CDsUid& uid, const IDsGeometry* geometry);
    // The item of the path's head entity removes a sub-item.
    void RemoveSubItem(const CDsUidPath& path, const CDsUid& uid);
    // Fits `view` to the locations of `paths`. Nothing for a null view.
    void UpdateViewExtremaToSelection(CDsView3dCdc* view, const std::vector<CVyrObjectPath>& paths);
    // With the extrema mode on: the extrema of the located items of `paths`.
    void ComputeViewExtremaUsingSelection(CDsViewExtrema* extrema, const std::vector<CVyrObjectPath>& paths);
    // Does nothing.
    void ComputeViewExtremaSingleEntity(CDsViewExtrema* extrema, const CDsPickedItem* item);
    // The scene box projected into `view`; false without a view.
    bool GetRectangle(CDsView3dCdc* view, int& minX, int& maxX, int& minY, int& maxY) const;
    // The group's own box query when the entity's item is a group; false otherwise.
    bool GetBox(ENTITY* entity, CGmPosition& low, CGmPosition& high, bool world) const;
    // The displayed faces and edges of a body shown by a body group; nothing otherwise.
    void GetDisplayDescendents(ENTITY* entity, bool faces, bool edges, ENTITY_LIST& list) const;
    // `owner` becomes the entity of the group holding the entity's item (null otherwise).
    void GetDisplayOwner(ENTITY* entity, ENTITY*& owner) const;
    // Shows every location again, then refreshes every view.
    void ForceShowAll();
    // The scene resets its items' attributes; the views then draw their whole pictures at their
    // next refresh.
    void ResetAttributes(EDsResetAttributeAction action);

    // --- Refresh --------------------------------------------------------------------------
    // Draws one frame of `view` over its viewport (`rect` is not used): see DsGlContextRefresh.cpp.
    // Presenting the whole window ends its wait for a repaint. Nothing for a null view.
    void refresh(view3d* view, const CRect* rect) override;
    // The refresh of `view` (through the view, as view3d::refresh) right after the item `added` of
    // the scene's temporary part was filed while the view had nothing else to draw: when the
    // view's only change is that item, its saved picture is still there, the depth planes fitted
    // to the scene with the item are those the picture was drawn with, and nothing in the frame
    // would blend over the item (no section, no blended face in the temporary part), the refresh
    // draws the item's location alone over the picture, as the frame's pass of the temporary part
    // would draw it last, and the reference triad over it; that is no frame (no frame rate, no
    // frame counted). Otherwise it is the refresh.
    void RefreshWithAdded(view3d* view, const CVyrObjectId& added);
    // Sets the depth range of `view`'s projection from the extent of what the scene shows (a fixed
    // box of half-size 1e7 while display-mode flag 10 is set, unless "UseRealBoxForClippingPlane"),
    // then the view's frustum box.
    void ComputeEyeAndClippingPlanes(CDsView3dCdc* view, const CRect* rect);
    // For a view with an OpenGL record: `saved` becomes a copy of its view context, its OpenGL
    // context is made current and its projection and model-view are set up.
    void PrepareForRefresh(view3d* view, view_context& saved, const CRect* rect);
    // Whether a refresh must draw highlights again when it ends: highlighted locations or a
    // highlighted parameter point.
    bool IsRestoreHighlightNecessary() const;

    // --- Lights (the scene's light list) ---------------------------------------------------
    // Shows or hides the lights as lamps.
    void SetDrawLightFiguresMode(bool show);
    // Sends the scene's light model for `view`.
    void SetLights(view3d* view);
    // Stores the ambient value, then refreshes every view.
    void SetAmbientLight(float ambient);
    // The ambient value.
    float GetAmbientLight() const;
    // The light `id` (0 to 7); null for other ids.
    CDsLight* GetLight(int id) const;
    // Writes the lights file.
    void SaveLights(const CVyrString& path) const;
    // Reads the lights file.
    void LoadLights(const CVyrString& path);
    // Writes the material file.
    void SaveMaterial(const CVyrString& path) const;
    // Reads the material file.
    void LoadMaterial(const CVyrString& path);
    // Appends the lights as text lines.
    void GetLights(std::deque<std::wstring>* lines) const;
    // Takes the lights from text lines.
    void SetLights(std::deque<std::wstring>* lines);
    // The lights-changed flag.
    bool CheckIfLightsChanged() const;
    // Sets the lights-changed flag.
    void SetLightsChangedFlag(bool changed);
    // Copies the material into the scene's, with the display suspended meanwhile.
    void SetMaterial(const CDsMaterialStorage& material);
    // Copies the scene's material out.
    void GetMaterial(CDsMaterialStorage& material) const;

    // --- Drawing outside a refresh --------------------------------------------------------
    // Whether a refresh clears the buffers (true at the start; false while items are drawn into
    // the front buffers).
    bool GetClearBufferMode() const { return m_clearBufferMode; }
    // Sets the clear-buffer mode.
    void SetClearBufferMode(bool on) { m_clearBufferMode = on; }
    // The view's projection and model-view for `view` (nothing for null), with depth and the
    // clear-buffer mode, narrowed to the pick region with `picking`.
    void SetupRenderingTransforms(view3d* view, bool picking, const CRect* rect);
    // Draws the locations of `paths` at once into the current OpenGL view (one of this context's
    // core views) through a configuration of `buffer` (GL_FRONT, GL_BACK or GL_FRONT_AND_BACK;
    // another buffer draws nothing), decorated with the forced state `set` under the scene's
    // sections, leaving out the primitive kinds of `excluded`; into the back buffer the stored
    // highlights are drawn again over them. Nothing while the display is suspended or for an empty
    // list. See DsGlContextLocations.cpp.
    void DrawLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set, int buffer, int excluded);
    // Draws `item` (may be null) alone into `view`'s front buffer: phase 0 first sets the view up
    // (made current, its projection, the front buffer selected; nothing more for a view without
    // an OpenGL record), phase 2 afterwards selects the back buffer again and flushes. Nothing
    // while the display is suspended or without a view. The colour and the integer are not used.
    void ExecuteToFrontBuffer(CDsItemBase* item, view3d* view, const rgb_color& color, int unused,
                              EGlDrawingPhase phase);

    // --- Pick processor -------------------------------------------------------------------
    // The context's pick processor (never null).
    CDsPickProccessor* GetPickProccessor() const { return m_pickProccessor; }
    // Switch `state` of the pick processor; false outside 0..11.
    bool GetPickProccessorFlag(int state) const;
    // Sets switch `state` of the pick processor; outside 0..11 ignored.
    void SetPickProccessorFlag(int state, bool on);
    // The corners of the scene's box in single precision (the depth range of the visible-only
    // pass); an empty box (minimum (1, 0, 0), maximum (0, 0, 0)) when the scene holds nothing.
    void GetAdjustedBox(CGmPosition& low, CGmPosition& high) const;
    // Opens a pick session: `data` becomes the active session (CDsPickSessionData::sActive) and
    // the OpenGL pick cache takes a copy of `event`, so that selections at its position inside the
    // session are made once (SDsGlPickCache). See DsGlContextPicking.cpp.
    static void StBeginPickSession(const CUiPickEvent& event, CDsPickSessionData* data);
    // Closes the pick session: no active session, the cache's event and hits forgotten (its hit
    // list freed).
    static void StEndPickSession();

    // --- Highlight data (what a refresh highlights again when it ends) ---------------------
    // The highlighted locations and the parameter point highlighted with them.
    struct SHighlightData {
        // The highlighted locations.
        std::vector<CVyrObjectPath> paths;
        // The special attribute set (EAttribSetIndex) of the highlighted locations.
        int attributeSet = 0;
        // The highlighted parameter point's type; -1 when none is highlighted.
        int paramPointType = -1;
        // The highlighted parameter point's position.
        SPAposition paramPointPosition;
        // The special attribute set of the parameter point.
        unsigned char paramPointAttributeSet = 4;
    };
    // The highlight data.
    const SHighlightData& GetHighlightData() const { return m_highlight; }
    // Replaces the highlighted locations and their attribute set.
    void SetHighlightData(const std::vector<CVyrObjectPath>& paths, EAttribSetIndex attributeSet);
    // Sets the highlighted parameter point: position, type and attribute set.
    void SetHighlightData(const SPAposition& position, int type, EAttribSetIndex attributeSet);
    // No highlighted locations, attribute set 0, no parameter point (type -1).
    void ResetHighlightData();

    // --- Location walks (DsGlContextLocations.cpp) -----------------------------------------
    // With the display suspended meanwhile (every view window invalidated when the suspension
    // ends), the locations that `paths` name in each of the context's views get the state `set`;
    // paths of other parts, into nowhere, without ids or repeated are passed over. A list of
    // fewer than 20 paths is recorded as one change-log entry (the views redraw its locations);
    // from 20 on nothing is recorded and the log's flag byte is cleared, so that every view's next
    // refresh draws its whole picture.
    void ModifyLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set);
    // The same for the root location of the model (`model`) or of the temporary items: the
    // states below it go back to 0 and the root gets `set`; the root's path is recorded.
    void ModifyRootLocation(EAttribSetIndex set, bool model);
    // Appends to `info` one entry per listed location of the current core view (path, item type,
    // geometry, state); ancestors passed through and paths of other parts add nothing.
    void GetLocationsInfo(std::vector<CVyrObjectPath>& paths,
                          std::vector<std::pair<CVyrObjectPath, SDsLocationInfo>>& info) const;
    // The attributes the location of `path` is displayed with in the current core view: those
    // pushed from the root down to it (hidden locations on the way walked through); in render
    // modes 3 and 4, and in the monochrome state, with special set 12 laid over them. False, with
    // `attributes` unchanged, without a current view or when the path leads nowhere.
    bool GetDisplayedAttribute(const CVyrObjectPath& path, CDsAttributes& attributes) const;

    // --- Highlight, parameter points and location drawing (DsGlContextHighlight.cpp) ------
    // One drawn parameter point: its temporary item in the scene database.
    struct SParamPoint {
        // The point.
        SPAposition position;
        // The temporary item (temporary part, item number).
        CVyrObjectId id;
        // The parameter-point type.
        eVyrParamPointType type = -1;
        // The object type of what the point belongs to.
        unsigned char objectType = 0;
        // The path of the temporary item.
        CVyrObjectPath path;
    };
    // Replaces the highlights by `data` (a parameter point found among the drawn ones takes that
    // point's position and type and set 5, else set 4) and draws them into the front buffer of the
    // current OpenGL view, after putting the saved picture back when `restore`.
    void Highlight(const SHighlightData& data, bool restore);
    // Highlights the locations of `paths` with the special set `set` (Highlight without restore).
    void HighlightLocations(const std::vector<CVyrObjectPath>& paths, int set);
    // Highlights the parameter point; `position` and `type` come back snapped to a drawn
    // parameter point that matches (exactly for reference-point types 256 to 266, else within 10
    // pixels). True.
    bool HighlightParamPoint(SPAposition& position, eVyrParamPointType& type);
    // Forgets every highlight and, unless its window waits to be repainted or it is in a fast
    // refresh, refreshes the current OpenGL view.
    void UnHighlightLocations();
    // Draws the stored highlights again (as Highlight does without restore).
    void RestoreHighlight();
    // Shows a parameter point with the special set `set`: a point already drawn at `position`
    // (within 1e-4) is given the set; otherwise a temporary item of type 61 holding a point
    // geometry joins the temporary part and is given the set; its record's path names that item
    // (`owner` is not recorded, see DsGlContextHighlight.cpp). False when the database refuses
    // the item or the position is not finite.
    bool DrawParamPoint(const SPAposition& position, eVyrParamPointType type, EAttribSetIndex set,
                        eVyrObjectType objectType, const CVyrObjectPath& owner);
    // Takes the drawn parameter point at `position` (within 1e-4) out of the database and the
    // list, and invalidates every view window; false (nothing invalidated) when there is none.
    bool EraseParamPoint(const SPAposition& position);
    // The first drawn parameter point closer than 10 pixels to the window point (x, y), y counted
    // from the top, on the current OpenGL view: its position, type, object type and path; false
    // (outputs unchanged) when there is none.
    bool FindPointBy2dPos(int x, int y, SPAposition& position, eVyrParamPointType& type, eVyrObjectType& objectType,
                          CVyrObjectPath& path);
    // The drawn parameter points.
    const std::vector<SParamPoint>& GetParamPoints() const { return m_paramPoints; }

    // --- Parts ----------------------------------------------------------------------------
    // The scene (never null).
    CDsGlScene* GetScene() const { return m_scene; }
    // The item map (never null).
    CDsItemsMap* GetItemsMap() const { return m_itemsMap; }
    // The scene loads its shader programs (CDsGlScene::LoadShaderPrograms); a context must be
    // current.
    bool LoadShaders();
    // True while the context is being destroyed (its item map ignores removals then).
    bool GetGlContextDeleteMode() const;

private:
    // The shown body group (with a mesh interface) of a face's or an edge's owner body; null.
    CDsItemsBody* OwnerBodyOf(ENTITY* entity) const;
    // The body group that holds the item of a face or an edge; null.
    CDsItemsBody* BodyOfItem(ENTITY* part) const;
    // Deletes the record of a plain modeler view (a core view deletes its own).
    static void DeletePlainViewRecord(view3d* view);
    // The window of a core view, null for null, a plain view or a view without one.
    static HWND WindowOf(view3d* view);
    // The figure group an entity of the application's entity base defines through a figure
    // generator of this context, bound to the entity (DsGlContextFigures.cpp).
    CDsItemsGroup* CreateEntityFigure(CVyrEntBase* entity);
    // Draws the stored highlights into the front buffer (see DsGlContextHighlight.cpp).
    void prv_Highlight(bool restore);
    // Draws a parameter point's marker with the special set `set` into the current OpenGL view.
    void prv_HighlightParamPoint(const SPAposition& position, eVyrParamPointType type, EAttribSetIndex set);
    // Draws each listed location's subtree again with the forced state `set` into the current
    // OpenGL view (see DsGlContextLocations.cpp); `list` and `listMode` choose the locations drawn,
    // `excluded` holds primitive kinds left out.
    void DecorateLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set,
                           const std::vector<CVyrObjectPath>& list, bool listMode, int excluded);
    // The decoration under the scene's sections: the paths a section clips once per plane group
    // with its clip planes on, then the others unclipped.
    void DecorateLocationsWithSections(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set, int excluded);

    SHighlightData m_highlight;
    // The item RefreshWithAdded is drawing alone, while it runs; invalid otherwise.
    CVyrObjectId m_addedItem;
    bool m_clearBufferMode = true;
    bool m_modellerApp = false;
    CDsItemsMap* m_itemsMap = nullptr;
    // Where FindDsBody last found a body in each group it searches: the next search starts there,
    // as a host asks for the bodies in the order they were filed.
    mutable size_t m_bodySearchStart[3] = {0, 0, 0};
    CDsGlScene* m_scene = nullptr;
    CDsPickProccessor* m_pickProccessor = nullptr;
    std::vector<SParamPoint> m_paramPoints;
};
