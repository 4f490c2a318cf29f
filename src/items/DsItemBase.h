// CDsItemBase and CDsItem: the root of the display-item tree and the base of every leaf.
//
// A display item owns its line attributes (CDsLineAttribStorage), knows the modeler entity it
// shows (with that entity's persistent id, kept while the entity is detached), draws itself with
// OpenGL, prints itself through the view's drawing operations, reports its bounds and vertices and
// picks itself. Groups (CDsItemsGroup) hold and own items; an item is destroyed through its
// virtual destructor by the group that holds it.
//
// Entity binding: an item with a rendering context registers the entity it shows in the
// context's item map (CDsItemsMap), so that the context finds the item of an entity; it
// unregisters when the entity goes or changes, unless the map is closing (the context is being
// destroyed).
//
// Display lists: a leaf that caches its drawing in a display list gets a list name from
// glGenLists the first time it builds one and keeps it for its life (a 64-bit address never
// becomes a 32-bit list name). The destructor does not delete the list: owners that built one
// call DeleteGlList first, in a context that shares the list.
//
// Fast-refresh auto-hide: while enabled, curves that span fewer pixels than the level are left out
// of a frame (IsAutoHideRequired).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetEntity without the display manager's entity-type service records and registers the entity
//   all the same; only the item's type code stays as it was (AttachEntity still answers false
//   without the service).
// - IsPicked puts the view in pick mode once, with the aperture asked for (the given width and
//   height, or the process-wide aperture when the height stays -1), and gives the process-wide
//   aperture back afterwards.
// - Queries never fail: the base answers false, 0, -1 or null, so that any item can be asked
//   anything.
#pragma once

#include <afx.h>

#include "DsGeometry.h"
#include "DsLineAttribStorage.h"
#include "DsUid.h"
#include "VyrViewTypes.h"

#include <GL/gl.h>

#include <vector>

class CDsAttribute;
class CDsAttributesIndex;
class CDsBox;
class CDsColorStorage;
class CDsGlContext;
class CDsItemsGroup;
class CDsItemsIdBuffer;
class CDsMatrix;
class CDsRefPoint;
class CDsRefPointFilter;
class CDsSelectAllData;
class CDsStatisticsItems;
class CDsTypeMask;
class CDsViewExtrema;
class CGmPosition;
class CUiPickEvent;
class ENTITY;
class ENTITY_LIST;
class IDsGeometry;
class SPAbox;
class SPAposition;
class SPAtransf;
class pick_manager;
class view3d;

// The type code of every display item (GetItemType).
enum EDsItemsType : int {
    eDsItemBackground = 1,
    eDsItemBitmap = 2,
    eDsItemBitmapIndexed = 3,
    eDsItemEdge = 4,
    eDsItemEllipseDynamic = 5,
    eDsItemHlSegmentEllipseDynamic = 6,
    eDsItemNText2D = 7,
    eDsItemNText2DRelative = 8,
    eDsItemNText3DFixed = 9,
    eDsItemNText3D = 10,
    eDsItemNTextVector = 11,
    eDsItemNTextVectorFixed = 12,
    eDsItemPointFixed = 13,
    eDsItemPointReference = 14,
    eDsItemPolygonsBase = 15,
    eDsItemLamp = 16,
    eDsItemQuadric = 17,
    eDsItemPolygons2D = 18,
    eDsItemPolygonsArray = 19,
    eDsItemPolygonsDl = 20,
    eDsItemPolygonsStl = 21,
    eDsItemPolyline2D = 22,
    eDsItemPolyline2DRelative = 23,
    eDsItemPolyline3D = 24,
    eDsItemHlSegmentPolyline3D = 25,
    eDsItemsGroup = 26,
    eDsItemsArrowFixed = 27,
    eDsItemsArrowReference = 28,
    eDsItemsBody = 29,
    eDsItemsCopy = 30,
    eDsItemsEntity = 31,
    eDsItemsVyrEntity = 32,
    eDsItemsFace = 33,
    eDsItemsFigure = 34,
    eDsItemsHlView = 35,
    eDsItemSilhouette = 36,
    eDsItemsNTextBiTol = 37,
    eDsItemsNTextBlock = 38,
    eDsItemsNTextLine = 39,
    eDsItemsUcs = 40,
    eDsItemsUcsReference = 41,
    eDsItemImage = 42,
    eDsItemLine2D3D = 43,
    eDsItemToolpathPolyline = 44,
    eDsItemsToolpath = 45,
    eDsItemToolpathPolylinePlanar = 46,
    eDsItemBitmapColored = 47,
    eDsItemBillBoardedRectangle = 48,
    eDsItemTrigs = 49
};

// How an item draws: 1 normal, 2 exclusive-or (3 is taken as 1).
enum eDsDrawMode : int {
    eDsDrawModeNone = 0,
    eDsDrawModeNormal = 1,
    eDsDrawModeXor = 2,
    eDsDrawModeNormal3 = 3
};

// The two base flags an item keeps for others.
enum EDsBaseItemFlags : int {
    // Hidden curve leaves refuse picks.
    eDsBaseItemNoPickWhenHidden = 0,
    // Held for the host.
    eDsBaseItemHostFlag = 1
};

// Whether two line attributes draw alike: colour (and whether it is inherited), style, width,
// visibility, transparency, flags and hide level.
AFX_EXT_API bool DsSameLineAttributes(const CDsLineAttribStorage& a, const CDsLineAttribStorage& b);

// The display item base.
class AFX_EXT_CLASS CDsItemBase {
public:
    // An item of `context` (not owned; may be null) showing `entity` (may be null): fresh
    // attributes, draw mode 1, SetEntity(entity).
    CDsItemBase(CDsGlContext* context, ENTITY* entity);
    // Not copyable: an item owns its attributes and entity record.
    CDsItemBase(const CDsItemBase&) = delete;
    // Not copyable.
    CDsItemBase& operator=(const CDsItemBase&) = delete;
    // Unregisters the entity (unless the context's item map is closing), forgets the item's
    // selection name and frees the attributes and the entity record. The display list is the
    // owner's to delete.
    virtual ~CDsItemBase();

    // --- Drawing and attributes (virtual, in slot order) ---------------------------------
    // Draws the item's geometry with OpenGL (no attributes applied).
    virtual void DrawGl(view3d& view) = 0;
    // The item's screen box of its own; false (box unchanged) in the base.
    virtual bool GetBoundBox2D(SDsBox2D& box);
    // Attributes of a sub-item at a path; nothing in the base.
    virtual void SetAttributes(CDsUidPath& path, const CDsAttributesIndex& index, bool recurse);
    // Copies `attributes` into the item's own (groups: and into their children with `recurse`).
    virtual void SetAttributes(const CDsLineAttribStorage& attributes, bool recurse);
    // Fills a hide-level attribute with the item's hide level; other kinds are left as they are.
    virtual void GetAttribute(CDsAttribute& attribute);
    // Copies the item's attributes into `attributes`.
    virtual void GetAttribute(CDsLineAttribStorage& attributes);
    // An attribute of a sub-item at a path; nothing in the base.
    virtual void SetAttribute(CDsUidPath& path, const CDsAttribute& attribute, bool recurse);
    // Takes a hide-level attribute (other kinds are ignored) and hands it up to the parent when it
    // hides with `on` false or shows with `on` true, so that showing an item shows its ancestors.
    // A level that changes is told to the context (NoteContentChanged).
    virtual void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse);
    // The item's own colour (no longer inherited).
    virtual void SetColor(const CDsColorStorage& color, bool recurse);
    // The colour of the attributes.
    virtual const CDsColorStorage& GetColor();
    // The line style when below 32, else nothing.
    virtual void SetStyle(int style, bool recurse);
    // The line style (255: inherited).
    virtual int GetStyle();
    // The line width when 1 to 8, else nothing.
    virtual void SetWidth(int width, bool recurse);
    // The line width (0: inherited).
    virtual int GetWidth();
    // The transparency clamped to 0..1, kept as a byte (x 255, truncated).
    virtual void SetTransparency(float transparency);
    // The transparency (byte / 255).
    virtual float GetTransparency();
    // Level 4: the highlight flag; level 3: the mark flag; any other level: the visibility byte
    // (0 when `on` is false).
    virtual void SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY* entity);
    // The colour of a visibility level (CDsLineAttribStorage::SetVisibilityColor).
    virtual void SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on);
    // The visibility byte.
    virtual EVisibilityLevel GetVisibility();
    // The mark-copy flag.
    virtual void MarkCopy(bool on);
    // Clears highlight (1), mark (2), hide level (4) and visibility (8), as the bits of `action`
    // say.
    virtual void ResetAttributes(EDsResetAttributeAction action);
    // The on-top flag.
    virtual void SetOnTopFlag(bool on);
    // The on-top flag.
    virtual bool GetOnTopFlag();
    // The shaded flag: set for render mode 3, cleared for any other.
    virtual void SetRenderMode(ERenderMode mode);
    // 3 when the shaded flag is set, else 0.
    virtual ERenderMode GetRenderMode();
    // The draw mode (3 kept as 1); the exclusive-or flag set exactly for mode 2.
    virtual void SetDrawMode(eDsDrawMode mode);
    // The highlight flag.
    virtual bool GetHighlightState();
    // The mark flag.
    virtual bool GetMarkState();
    // The mark-copy flag.
    virtual bool GetMarkCopyState();
    // True with a visibility level, or when highlighted or marked.
    virtual bool GetNotFullyVisibleState();
    // The colour becomes inherited.
    virtual void ResetInheritColorState();
    // The style becomes inherited (255).
    virtual void ResetInheritStyleState();
    // The width becomes inherited (0).
    virtual void ResetInheritWidthState();
    // True when the colour is inherited, the visibility byte is 0 and the item is not
    // highlighted.
    virtual bool GetColorAndVisibilityInheritance();
    // Whether the hide level hides the item.
    virtual bool IsHidden();
    // The item's type code.
    virtual EDsItemsType GetItemType() = 0;
    // Shows `entity` (see the header comment); replaces the entity in any state.
    virtual void SetEntity(ENTITY* entity);
    // The item's id within its group: 0 in the base.
    virtual CDsUid GetDsUid();
    // The component id: 0 in the base (groups keep one).
    virtual int GetComponentId();
    // This item when its component id, persistent id and (with `detachedOnly`) detached state
    // match; else null.
    virtual CDsItemBase* FindDsItem(int componentId, int pid, bool detachedOnly);
    // This item when it shows `entity` (an item without an entity matches null); else null.
    virtual CDsItemBase* FindDsItem(const ENTITY* entity);
    // A new array of the item's points (three floats each; the caller frees it with delete[]),
    // null when it has none.
    virtual float* GetPoints(int& count, view3d* view);
    // A new array of the item's points as positions (delete[] by the caller), null when none.
    virtual CGmPosition* GetTransformedPolyline(int& count, view3d* view);
    // Unregisters and forgets the entity; its persistent id stays.
    virtual void DetachEntity(int componentId);
    // Takes `entity` back when the item is detached with persistent id `pid`; false otherwise and
    // without the entity-type service.
    virtual bool AttachEntity(ENTITY* entity, int componentId, int pid);
    // A sub-item at a path; nothing in the base.
    virtual void AddSubItem(const CDsUidPath& path, const CDsUid& uid, const IDsGeometry* geometry);
    // Removes a sub-item at a path; nothing in the base.
    virtual void RemoveSubItem(const CDsUidPath& path, const CDsUid& uid);
    // The item's transformation: the process-wide identity in the base.
    virtual const SPAtransf& GetTransformation();
    // Copies the item's transformation matrix; nothing in the base.
    virtual void GetTransformation(CDsMatrix& matrix);
    // Sets the item's transformation; nothing in the base.
    virtual void SetTransformation(const SPAtransf& transform);
    // Sets the item's transformation; nothing in the base.
    virtual void SetTransformation(const CDsMatrix& matrix);
    // Multiplies the item's transformation; nothing in the base.
    virtual void MultiplyTransformation(const SPAtransf& transform);
    // Multiplies the item's transformation; nothing in the base.
    virtual void MultiplyTransformation(const CDsMatrix& matrix);
    // Transforms the item's geometry; nothing in the base.
    virtual void Transform(const SPAtransf& transform);
    // Retained redraw: attributes to the view, then the geometry.
    virtual void Refresh(view3d& view) = 0;
    // Redraw of the item alone (as Refresh for leaves).
    virtual void DrawAlone(view3d& view) = 0;
    // Draws into a measuring view so that it gathers the item's extents (for `entity`'s item
    // only, when given).
    virtual void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) = 0;
    // Sends the item's vertices; nothing in the base.
    virtual void DrawGlVertices();
    // Redraws the item into the front buffer when it is highlighted.
    virtual void DrawToFrontBuffer(view3d& view) = 0;
    // Draws the item over in the background colour; nothing in the base.
    virtual void Erase(view3d& view);
    // Prints the item through the view's drawing operations.
    virtual void Plot(view3d& view) = 0;
    // The geometry without attributes, unless hidden.
    virtual void DrawGeometry(view3d& view);
    // Whether the view (in pick mode) hits the item; false in the base.
    virtual bool Pick(view3d* view);
    // Whether the pick manager's view hits the item, offering hits to the manager; false in the
    // base.
    virtual bool Pick(pick_manager* manager);
    // A reference point under the pick; null in the base.
    virtual CDsRefPoint* PickRefPoint(pick_manager* manager, CDsRefPointFilter* filter);
    // A reference point under the event of one of the types; null in the base.
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types);
    // Collects the item's triangles into a z-buffer; nothing in the base.
    virtual void PickClosest(CDsItemsIdBuffer& buffer);
    // Unless hidden: appends the item's entity to `list` when the select-all data's main filter
    // accepts it.
    virtual void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list);
    // Opens the item's display list (compiling, and drawing too when `execute`); true.
    virtual bool StartBuildGlList(bool execute);
    // Closes the display list being compiled.
    virtual void EndBuildGlList();
    // Deletes the item's display list when it built one (no GL call otherwise).
    virtual void DeleteGlList();
    // Grows `box` by the item's geometry (under `transform` when given); nothing in the base.
    virtual void ExpandBox(CDsBox& box, SPAtransf* transform);
    // Computes the item's screen bounds in `view`; nothing in the base.
    virtual void ComputeBounds2D(view3d* view);
    // Counts the item (and, hidden, as hidden) by its type in `statistics`.
    virtual void CountStatistics(CDsStatisticsItems* statistics);
    // Draws the item's characteristic points of `mask` into the view; the kinds drawn (0).
    virtual long DrawPoints(view3d& view, long mask);
    // The number of vertices of primitive kind `kinds`; 0 in the base. An item whose count changes
    // tells it (StNoteVertexCountChange): a group keeps its children's counts during a walk over
    // its vertices (CDsItemsGroup).
    virtual int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds);
    // The vertices of `kinds` at `index`; -1 in the base.
    virtual int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count);
    // What GetVertices answers, its vertices in double precision (x, y, z each) into `placed`
    // (emptied first; empty without vertices): far from the origin a float's step at a placed
    // vertex's size is a sixteenth of a unit, pixels for a perspective eye close by. By default
    // GetVertices' floats; a leaf placed by its transformation places them by its modeler form.
    virtual int GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed, int& count);
    // A characteristic point; false in the base.
    virtual bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position);
    // The primitive kinds the item draws (CDsGeometry::eDrawPrimitives bits); 0 in the base.
    virtual int GetDrawPrimitives();
    // Draws the item's primitives of `kinds` during the renderers' scene walk; nothing in the
    // base.
    virtual void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes);
    // The item's model box; false in the base.
    virtual bool GetBoundBox(SPAbox& box);
    // Whether the item has a model box; false in the base.
    virtual bool HasBoundBox();
    // Vertex buffers of `kinds`; false in the base.
    virtual bool GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds,
                                   std::vector<CDsGeometry::sVerticesBuffer>& buffers, int index);
    // Whether the item is filled; false in the base.
    virtual bool GetFill();

    // --- Non-virtual ----------------------------------------------------------------------
    // The entity shown, null without one.
    ENTITY* GetEntity() const;
    // The entity's persistent id, 0 without an entity record.
    int GetEntityPid() const;
    // The parent group (set by the host), null until set.
    void SetParent(CDsItemsGroup* parent) { m_parent = parent; }
    // The parent group.
    CDsItemsGroup* GetParent() const { return m_parent; }
    // The rendering context (not owned).
    void SetGlContext(CDsGlContext* context) { m_context = context; }
    // The rendering context, null without one.
    CDsGlContext* GetGlContext() const { return m_context; }
    // The entity-type code (low byte kept).
    void SetType(int type) { m_type = type & 0xFF; }
    // The entity-type code, 0 without an entity or service.
    int GetType() const { return m_type; }
    // The draw mode (0 to 2).
    eDsDrawMode GetDrawMode() const { return static_cast<eDsDrawMode>(m_baseFlags & kDrawModeMask); }
    // Writes base flag `flag` (0 or 1; other values are ignored).
    void SetBaseFlag(EDsBaseItemFlags flag, bool on);
    // Base flag `flag`; false for values other than 0 and 1.
    bool GetBaseFlag(EDsBaseItemFlags flag) const;
    // Whether the item has a compiled display list.
    bool GetUseGlList() const { return (m_baseFlags & kHasGlList) != 0; }
    // The item's display-list name, 0 before its first list.
    GLuint GetGlListName() const { return m_glList; }
    // Writes the inherit-colour flag.
    void SetInheritColorState(bool inherit);
    // The item's attributes to the view (CDsLineAttribStorage::SetAttributesToView); the flag is
    // not used.
    void ApplyAttributes(view3d& view, bool unused);
    // The item's attributes to the view.
    void SetAttributesToView(view3d* view);
    // Nothing.
    void RestoreAttributes() {}
    // The item's attributes (never null).
    CDsLineAttribStorage* GetAttributes() const { return m_attributes; }
    // Whether the item lies under the event: the view is put in pick mode at the event's
    // position with a `width` x `height` aperture (height -1 takes the width; a height still -1
    // takes the process-wide aperture), the item's Pick(pick_manager*) answers, and the view
    // leaves pick mode with the process-wide aperture as it was. 0 or 1.
    int IsPicked(const CUiPickEvent& event, int width, int height);

    // --- Fast-refresh auto-hide (process-wide) --------------------------------------------
    // Model units per pixel of the fast refresh.
    static float sUnitsPerPixel;
    // Whether small curves are left out.
    static bool sAutoHideEnabled;
    // The smallest size in pixels drawn (the level given x 100).
    static float sAutoHideLevel;
    // Sets the three statics; units per pixel of exactly 0 switches auto-hide off.
    static void StFastRefreshParameters(float unitsPerPixel, bool enabled, float level);

    // --- Changes of faces (process-wide) --------------------------------------------------
    // How many times, in this process, something changed that can change a body's shown faces
    // or where their boxes lie: a face item put into a group, a face's box emptied, a face's
    // document-hide flags switched, a face projected outside its body's pass. Hide levels count
    // apart (CDsLineAttribStorage::StHideLevelChanges). A body compares it to keep its faces'
    // screen boxes without visiting them (it never goes back).
    static uint64_t StFaceChanges();

    // --- Changes of vertex counts (process-wide) ------------------------------------------
    // How many times, in this process, something changed that can change how many vertices an
    // item answers (GetVerticesCount): a group's children added, removed or replaced, a leaf's
    // points or triangles set, its display lists made or deleted, a dynamic ellipse's points
    // computed anew. A group keeps its children's counts while it stays the same, so that a walk
    // over its vertices asks each child once (it never goes back).
    static uint64_t StVertexCountChanges();

protected:
    // Counts one change of a face (see StFaceChanges).
    static void StNoteFaceChange();
    // Counts one change of a vertex count (see StVertexCountChanges).
    static void StNoteVertexCountChange();
    // What the item draws changed without the scene database seeing it: the context of the item,
    // else of its nearest ancestor that has one, is told (CDsGlContext::OnItemsContentChanged);
    // when the item belongs to a figure's group, the figure notes the edit
    // (CDsFigure::NoteItemsEdited), which the scenes showing a recorded figure see.
    void NoteContentChanged() const;
    // Bits 2 to 4 cleared, no entity record, parent or context, fresh attributes, draw mode 1.
    void ResetMembers();
    // True.
    bool IsGlListBuildRequired() const { return true; }
    // True for a null entity, an item without entity, or an item showing `entity`.
    bool IsDrawExtremesRequired(ENTITY* entity) const;
    // True while auto-hide is on and `size` spans fewer pixels than the level.
    static bool IsAutoHideRequired(float size);
    // Adds the item to its context's item map under `entity` (nothing without either).
    void RegisterEntity(ENTITY* entity);
    // Takes `entity` out of the context's item map unless the map is closing.
    void UnregisterEntity(ENTITY* entity);
    // The hide level of the item's attributes hides it (not the virtual IsHidden).
    bool IsHideLevelHidden() const { return m_attributes->IsHidden(); }
    // Writes the display-list flag (GetUseGlList) without touching the list or its name.
    void SetGlListFlag(bool on)
    {
        if (on)
            m_baseFlags |= kHasGlList;
        else
            m_baseFlags &= ~kHasGlList;
    }

private:
    static constexpr uint32_t kDrawModeMask = 0x3;
    static constexpr uint32_t kHasGlList = 0x4;
    static constexpr uint32_t kBaseFlag0 = 0x8;
    static constexpr uint32_t kBaseFlag1 = 0x10;

    // The entity shown and its persistent id.
    struct SEntityRecord {
        ENTITY* entity = nullptr;
        int32_t pid = 0;
    };

    uint32_t m_baseFlags = 0;
    SEntityRecord* m_entity = nullptr;
    CDsItemsGroup* m_parent = nullptr;
    CDsGlContext* m_context = nullptr;
    CDsLineAttribStorage* m_attributes = nullptr;
    int32_t m_type = 0;
    GLuint m_glList = 0;
};

// The base of every leaf item.
class AFX_EXT_CLASS CDsItem : public CDsItemBase {
public:
    // No context, no entity.
    CDsItem();
    // No context; shows `entity`.
    explicit CDsItem(ENTITY* entity);

    // Attributes to the view, then DrawGl.
    void Refresh(view3d& view) override;
    // As Refresh.
    void DrawAlone(view3d& view) override;
    // Unless the hide level hides the item: DrawGdi on the measuring view, for `entity`'s item
    // only when given.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Refresh when the item is highlighted.
    void DrawToFrontBuffer(view3d& view) override;
    // DrawGdi.
    void Plot(view3d& view) override;
    // Nothing.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // False.
    bool GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds, std::vector<CDsGeometry::sVerticesBuffer>& buffers,
                           int index) override;

protected:
    // Prints the item through the view's drawing operations; what it answers (non-zero: drawn, or
    // hit in pick mode).
    virtual int DrawGdi(view3d& view) = 0;
};
