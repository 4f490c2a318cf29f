// CDsPickProccessor: the pick engine of one rendering context (CDsGlContext creates it with
// itself and deletes it with itself), CDsPickInfoStorage, what the last pick touched, and the
// host's pick request (CDsPickContext) with its veto (CDsPickTestFunc).
//
// The single pick (PickSingle) opens the view's pick window (5 x 5 pixels about the event's pixel),
// walks the owner context's scene with the single-pick functor, orders the candidates, chooses the
// one the user meant (depth layers, depth, transparency, the domain's masks in order, the host's
// test, reference-point kinds; a free point on the working plane where nothing was hit) and adds
// the other acceptable candidates to the host's list; the pick window is closed on every way out.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The pick point mask starts at 0.
// - The candidate order is made a strict weak order: the connected-item rule's depth layers are
//   settled first, then the candidates are sorted stably by solidity, depth layer and depth; runs
//   of candidates whose depths lie within 1e-5 of the run's first are ordered by the listed items,
//   then the ones the pick ray meets, then by path (a proper prefix first, descendants first
//   between two paths of depth 0); last, a candidate that the connected-item rule puts before
//   another is moved in front of it. Before that, a candidate the pick window caught beside the ray
//   that lies no nearer to the viewer than the plane of the face the ray meets first (by a
//   twentieth of a pixel, and a millionth of its coordinates for float corners) stands at that
//   face's depth: the window shows that face under the cursor, and a neighbour flush with it, or an
//   outline on it, is no nearer.
// - The pick window is 5 x 5 pixels centred on the cursor's pixel, cut to the viewport.
// - A pick on a view that is not a core view with an OpenGL context, outside the viewport, without
//   a domain or with a domain of empty masks, or in an owner context without a scene gives the
//   empty item and adds nothing. The view's OpenGL context is made current for the pick.
// - The pick adds new items to the list: an owning list keeps copies of them, a list that does not
//   own its items keeps the new items themselves, which the caller frees.
// - The free point takes the view's reference coordinate system with the model axes and origin
//   as its starting values, which a view without one leaves: the model's xy plane.
// - The region pick flips its corners' rows with height - 1, as the single pick flips its point,
//   so that a region covers the very pixels dragged over; its rectangle is clamped to 16 bits.
//   It sorts stably (part ids compared as values, not as the sign of their difference), so that of
//   two equal items the one listed first stays and a pointer the host holds into an owning list
//   stays valid. A region pick without a view with an OpenGL context, an owner context with a
//   scene, a domain or a second corner adds nothing and answers the list's size.
#pragma once

#include <afx.h>

#include "DsPickedItem.h"
#include "DsPointGeometry.h"
#include "DsTypeMask.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "VyrViewTypes.h"

#include <GL/gl.h>

#include <utility>
#include <vector>

class CDsCglEntList;
class CDsGeometry;
class CDsItemEdge;
class CDsItemsBody;
class CDsItemsGroup;
class CDsPickedFaces;
class CDsRefPoint;
class ENTITY_LIST;
class pick_manager;
class CDsGlGroupIterator;
class CDsView3dCdc;
class view3d;
class pick_event;
struct SDsGlPickCache;
class CDsGlContext;
class CDsItemBase;
class CUiPickEvent;
class ENTITY;
struct CDsPickHit;

// The switches of a pick processor, 0 to 11.
enum EDsPickProccessorStates : int {
    eDsPickStateSceneRefPoints = 0,    // reference points from the scene's own pick
    eDsPickStateNoFacePickData = 1,    // no OpenGL face-pick data (reference points by entity)
    eDsPickStateState2 = 2,            // not read by the display
    eDsPickStateRecordLevels = 3,      // a group component pick is under way: record pick levels
    eDsPickStateGroupComponent = 4,    // read by the group component pick (on at the start)
    eDsPickStateNotPickableItems = 5,  // items that are not pickable may still be picked
    eDsPickStatePointsInSelectAll = 6, // points take part in select-all
    eDsPickStateCount = 12             // number of switches
};

// The kind of primitive a pick touched.
enum EDsPickedPrimitiveType : int {
    eDsPickedPrimitiveNone = 0,
    eDsPickedPrimitiveDefault = 1
};

// How a region pick selects.
enum EDsSelectionByBoxMode : int {
    eDsSelectionByBoxDefault = 0,      // the region walks as the region selector says
    eDsSelectionByBoxVisibleOnly = 2   // visible items only (a pass over a software z-buffer first)
};

// The host's veto on pick candidates.
class AFX_EXT_CLASS CDsPickTestFunc {
public:
    // Frees the test.
    virtual ~CDsPickTestFunc();
    // Whether the candidate at `path` (its geometry, object type and reference-point type, -1 for
    // none) may be picked.
    virtual bool Test(const CVyrObjectPath& path, const CDsGeometry* geometry, eVyrObjectType type,
                      eVyrParamPointType pointType) = 0;
};

// The ids a pick admits per owner: an owner id (a part key, or the id an owner item connects) and
// its [low, high] id pairs.
struct SDsPickIdRange {
    int key = 0;                              // the owner id
    std::vector<std::pair<int, int>> ranges;  // admitted ids, low <= id <= high
};
// An id-range filter: owners without an entry admit every id, an entry without pairs none.
typedef std::vector<SDsPickIdRange> TDsPickIdRanges;

// A pick request, which the host fills and hands to the processor.
class AFX_EXT_CLASS CDsPickContext {
public:
    // Nothing set: no context, no domain, no event, every id.
    CDsPickContext() = default;

    CDsGlContext* m_ownerContext = nullptr;                 // whose scene is walked
    const std::vector<CVyrObjectPath>* m_scopePaths = nullptr;  // items must lie under one (null, empty: all)
    int m_anyDepth = 0;                                     // scope paths admit items at any depth
    const TDsPickIdRanges* m_idRanges = nullptr;            // ids admitted per owner (null: all)
    CDsPickTestFunc* m_test = nullptr;                      // the host's veto (null: none)
    const std::vector<CDsTypeMask>* m_domain = nullptr;     // the pickable types, in priority order
    const CUiPickEvent* m_event = nullptr;                  // the pick point and its view
    const int* m_secondCorner = nullptr;                    // a region's opposite corner (x, y), or null
    unsigned char m_stopAfterFirst = 0;                     // no item entered once a hit was found
    unsigned char m_sectionTest = 0;                        // faces by the pick ray, not by selection (sections clip either way)
    const CDsPickedItemList* m_listedItems = nullptr;       // items that win ties (null: none)
    int m_idBound = 0x7FFFFFFF;                             // the largest id that may be picked
    unsigned char m_regionSelector = 0;                     // the region walk of a region pick
};

// What the last pick touched.
class AFX_EXT_CLASS CDsPickInfoStorage {
public:
    // Nothing picked, primitive 0 of type 1.
    CDsPickInfoStorage() = default;
    // A copy of everything.
    CDsPickInfoStorage(const CDsPickInfoStorage& other) = default;
    // Copies the four plain fields; the per-item primitive indexes stay.
    CDsPickInfoStorage& operator=(const CDsPickInfoStorage& other);
    // Frees the storage.
    virtual ~CDsPickInfoStorage() = default;

    // The picked item (not owned), null when none.
    void SetPickedItem(CDsItemBase* item) { m_item = item; }
    // The picked item.
    CDsItemBase* GetPickedItem() const { return m_item; }
    // The index of the picked primitive.
    void SetPickedPrimitiveIndex(int index) { m_index = index; }
    // The index of the picked primitive.
    int GetPickedPrimitiveIndex() const { return m_index; }
    // The kind of the picked primitive.
    void SetPrimitiveEnum(EDsPickedPrimitiveType type) { m_type = type; }
    // The kind of the picked primitive.
    EDsPickedPrimitiveType GetPrimitiveEnum() const { return m_type; }
    // The entity hit at the lowest level (not owned).
    void SetLowLevelPickedEntity(ENTITY* entity) { m_entity = entity; }
    // The entity hit at the lowest level.
    ENTITY* GetLowLevelPickedEntity() const { return m_entity; }
    // Records the primitive index of `item`.
    void AddPickedPrimitiveIndex(CDsItemBase* item, int index) { m_indexes.emplace_back(item, index); }
    // The first index recorded for `item`, 0 when none.
    int FindPickedPrimitiveIndex(const CDsItemBase* item) const;
    // Copies the four plain fields of `other`.
    void CopyObject(const CDsPickInfoStorage& other);

private:
    CDsItemBase* m_item = nullptr;
    int m_index = 0;
    EDsPickedPrimitiveType m_type = eDsPickedPrimitiveDefault;
    ENTITY* m_entity = nullptr;
    std::vector<std::pair<CDsItemBase*, int>> m_indexes;
};

// The pick engine of a rendering context.
class AFX_EXT_CLASS CDsPickProccessor {
public:
    // The processor of `owner` (not owned): every switch off but 4.
    explicit CDsPickProccessor(CDsGlContext* owner);
    // A copy of every field.
    CDsPickProccessor(const CDsPickProccessor& other) = default;
    // Copies every field.
    CDsPickProccessor& operator=(const CDsPickProccessor& other) = default;
    // Frees the processor.
    virtual ~CDsPickProccessor() = default;

    // Sets switch `state`; outside 0..11 ignored.
    void Set(EDsPickProccessorStates state, bool on);
    // Switch `state`; false outside 0..11.
    bool Get(EDsPickProccessorStates state) const;
    // What the last pick touched.
    CDsPickInfoStorage& GetPickInfoStorage() { return m_info; }
    // Copies the four plain fields of `storage`.
    void SetPickInfoStorage(const CDsPickInfoStorage& storage) { m_info.CopyObject(storage); }
    // Whether bodies are left out of picks in drafting mode.
    void SetFilterBodyInDraftingMode(bool on) { m_filterBodyInDrafting = on; }
    // Whether bodies are left out of picks in drafting mode.
    bool GetFilterBodyInDraftingMode() const { return m_filterBodyInDrafting; }
    // The owning context.
    CDsGlContext* GetOwner() const { return m_owner; }
    // How region picks select.
    void SetSelectionMode(EDsSelectionByBoxMode mode) { m_selectionMode = mode; }
    // How region picks select.
    EDsSelectionByBoxMode GetSelectionMode() const { return m_selectionMode; }
    // The reference-point kinds picks look for.
    void SetPickPointMask(eVyrParamPointType mask) { m_pickPointMask = mask; }
    // The reference-point kinds picks look for (0 at first).
    eVyrParamPointType GetPickPointMask() const { return m_pickPointMask; }

    // The single pick at the context's event: the chosen item (the empty item, with the origin and
    // no point type, when nothing was chosen); the other acceptable candidates are added to `list`,
    // which is never cleared.
    CDsPickedItem PickSingle(const CDsPickContext& context, CDsPickedItemList& list);
    // The region pick between the context's event and its second corner: every item the region
    // walk of the context's region selector finds (visible items only while the owner context's
    // processor is in selection mode 2) is added to `list`, and the whole list is sorted by path
    // with duplicates removed (the item listed first stays). Answers the list's size, items held
    // before included.
    int PickInRegion(const CDsPickContext& context, CDsPickedItemList& list);

    // --- Select-all and the modeler picks (DsPickProccessorModeler.cpp) ---------------------
    // Every pickable item of the context's scene (no pick window) appended to `list` with point
    // type -1; answers the list's size, items held before included.
    int SelectAll(const CDsPickContext& context, CDsPickedItemList& list);
    // The view's pick aperture (centre x, y and size); with the region pick mode on, x and y are
    // its corner (moved back by half the size). Zeros without a view.
    static void StGetPickExtremes(view3d* view, int& x, int& y, int& width, int& height);
    // A reference point under the event (see the header comment); null without a view or point.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // Always null.
    CDsRefPoint* PickSectionRefPoint(CUiPickEvent& event);
    // Always null.
    CDsPickedItemList* PickClosest(const CUiPickEvent& first, const CUiPickEvent& second);
    // `group` picks itself with `manager` under state 3 (the manager's option word 8 while the
    // region pick mode is on and state 4 is off, put back after); its answer. False for nulls.
    bool PickGroupComponent(pick_manager* manager, CDsItemsGroup* group);
    // The OpenGL face-pick data replayed into `manager`: the number of accepted hits.
    int OpenGLPickFaces(pick_manager* manager, CDsGlGroupIterator& items);
    // The faces under the event by depth into `faces` (a sort-mode selection in the event's pick
    // mode); answers their number (faces of one depth in the order the selection met them). 0 at
    // once when the cache holds the same point without hits.
    int OpenGLSortFaces(const CUiPickEvent& event, CDsPickedFaces& faces);
    // The face under the pick (the nearest hit), the item group of its body in `group` and its
    // edge items appended to `edges`; null when no face is picked.
    ENTITY* OpenGLPick1Face(const pick_event& event, CDsGlGroupIterator& items, CDsItemsGroup*& group,
                            std::vector<CDsItemEdge*>& edges);
    // Edges under the manager's pick (CDsAcisPick::StPickEdges) offered to it; the accepted count.
    int PickEdge(pick_manager* manager, ENTITY_LIST* edges);
    // Wire edges of the items' groups offered to the manager (see the header comment).
    int PickWireEdge(pick_manager* manager, CDsGlGroupIterator& items);
    // Segments of the items' hidden-line views offered to the manager; stops at the first hit
    // unless the pick mode is 2. The number of views that hit.
    int PickWireEdgeOnly(pick_manager* manager, CDsGlGroupIterator& items);
    // The apex of the conical face `entity` as a new reference point (kind 256), null otherwise.
    CDsRefPoint* PickApexPoint(ENTITY* entity, CUiPickEvent event);
    // The same for `entity`, else for the first conical face of `body`'s entity whose apex answers.
    CDsRefPoint* PickApexPoint(ENTITY* entity, CDsItemsBody* body, CUiPickEvent event);
    // Edges seen through the faces under the event offered to a new manager; the picked entity
    // into `entity`; answers the number of accepted edges.
    int PickThruWireFrameFace(const CUiPickEvent& event, ENTITY*& entity);

    // The OpenGL selection of the candidates of `candidates` under `event` (the view in pick mode
    // around it): the cache takes the event and a new hit list (sorted by depth for modes 0 and 2,
    // filed by body for any other mode; valid only inside a pick session), the view's OpenGL
    // context is made current, and one pass per section group of `context`'s stepped section
    // (view flag 12 set) and one without runs the candidates' OpenGlPick under their selection
    // names. Modes 1 and 2 draw every face two-sided with the depth test passing all. Answers the
    // cache's hit list; null when the event has no view. No candidate: no pass. The OpenGL state
    // the passes change (matrix mode and model-view matrix, depth test and function, lighting and
    // two-sided lighting, line width, blending, viewport and scissor, face culling, polygon offset
    // and modes) is handed back as it was found.
    static CDsCglEntList* RunGlSelection(const pick_event& event, SDsGlPickCache& cache, CDsGlContext* context,
                                         CDsGlGroupIterator& candidates, int mode);

    // True while a region pick runs (shared by every processor).
    static bool sPickInRegionMode;
    // Whether a region pick runs.
    static bool StGetPickInRegionMode() { return sPickInRegionMode; }
    // Marks a region pick as running or not.
    static void StSetPickInRegionMode(bool on) { sPickInRegionMode = on; }

private:
    // The OpenGL face-pick data for the manager (see the header comment), null with state 1.
    CDsCglEntList* CreatePickData(pick_manager* manager, CDsGlGroupIterator& items);
    // The two nearest faces under the pick when their depths lie within 1e-5: the groups of their
    // bodies into `groups` and their edges into `edges`; true when a body was found.
    bool PickClosestBodiesAndTheirEdges(const pick_event& event, CDsGlGroupIterator& items, CDsItemsGroup* groups[2],
                                        std::vector<CDsItemEdge*>& edges);
    // Offers the edges (or their owners, a slave body's master in its place) to a CDsPickManager;
    // the accepted count.
    int AddPickedEdges(pick_manager* manager, const ENTITY_LIST& edges);
    // The render mode an entity is shown in: its item's when that item forces its look, else that
    // of the item of its copy or of its real entity; false when none of them shows it.
    bool GetRenderingModeByItem(ENTITY* entity, ERenderMode& mode);
    // A centre reference point among the items' groups with two children or more.
    CDsRefPoint* PickCenterRefPoint(CUiPickEvent& event, CDsGlGroupIterator& items, const CDsTypeMask& mask);
    // A centre reference point of one group.
    CDsRefPoint* PickCenterRefPoint(CUiPickEvent& event, CDsItemsGroup* group, const CDsTypeMask& mask);
    // The edges of `entity`'s real entity appended to `out`.
    static void GetRealEdgeList(ENTITY* entity, ENTITY_LIST& out);
    // Whether `item` is a copy group.
    static bool IsDsItemCopy(CDsItemBase* item);
    // The item group of the owner of `entity`'s real entity; null without item map.
    CDsItemsGroup* GetRealItemGroup(ENTITY* entity);
    // The copies in `group`'s copy entity of the edges of `edges`, appended to `out`.
    static void GetCopyEdgesList(CDsItemsGroup* group, const ENTITY_LIST& edges, ENTITY_LIST& out);
    // The copies in `copyOwner` of the edges of `edges`, appended to `out`.
    static void GetCopyEdgesList(ENTITY* copyOwner, const ENTITY_LIST& edges, ENTITY_LIST& out);
    // Appends every entity of `from` to `to`.
    static void CopyLists(const ENTITY_LIST& from, ENTITY_LIST& to);
    // Each group picks with the manager; stops at the first success for pick modes 0 and 1.
    int PickToolPath(pick_manager* manager, CDsGlGroupIterator& items);
    // The group and the edge items of a face hit by the selection.
    void FaceGroupAndEdges(ENTITY* face, CDsItemsGroup*& group, std::vector<CDsItemEdge*>& edges);

    // The begin step of a selection pass: a select buffer of `words` words, selection mode, the
    // state a selection relies on (CDsSelectionGlState), the pick projection, the depth function,
    // the candidates drawn. RunGlSelection puts the OpenGL state back after its passes.
    static void BeginGlSelection(std::vector<GLuint>& buffer, CDsView3dCdc* view, CDsGlGroupIterator& candidates,
                                 int mode);
    // The end step: the hit records of `buffer` (`records` of them) filed into `hits`.
    static void EndGlSelection(const std::vector<GLuint>& buffer, GLint records, CDsCglEntList& hits, int mode);
    // Opens the pick window of the context's event on its view: 5 x 5 pixels around the event, or
    // a region's midpoint and size.
    void StartPickPipeline(const CDsPickContext& context);
    // Closes the pick window (pick mode 0).
    void EndPickPipeline(const CDsPickContext& context);

    CDsGlContext* m_owner = nullptr;
    bool m_filterBodyInDrafting = false;
    std::vector<bool> m_states;
    EDsSelectionByBoxMode m_selectionMode = eDsSelectionByBoxDefault;
    eVyrParamPointType m_pickPointMask = 0;
    CDsPickInfoStorage m_info;
};
