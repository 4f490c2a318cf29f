// CDsItemsBody: the display item of one modeler BODY. A group of two children, the faces group
// (child 0, face items, CDsItemsFace) and the edges group (child 1, edge items, CDsItemEdge), built
// from the body's faces and edges as the body sketch put them into the body's mesh interface
// (CVyrMeshInterface), which the body owns from its construction on. Every face and edge item has
// the body as its parent and the body's rendering context as its context.
//
// The body keeps its face and edge items by persistent id as well, so that a model reload or an
// undo can detach the items from their entities (DetachEntity) and bind them again to the new
// entities that carry the same ids (AttachEntity). It keeps the box of its faces and edges (the
// edges stay where they were when a face's mesh is edited in place) under its own transformation,
// rebuilt whenever a transformation changes, and a
// status word: the section state (bits 0-1: 0 not computed, 1 mixed, 2 uniform), no faces (bit 2),
// the screen-rectangle test of CheckExtremesOverlap (bit 3, the copy group's), a conical face that
// is not a cylinder (bit 5).
//
// Drawing. DrawGl is the group's: the face items draw their meshes, the edge items their lines,
// without the body's transformation. Refresh and DrawAlone walk the children as the group does,
// under the body's transformation, so that a body drawn alone (into the front buffer, into a
// bitmap) appears where the frame shows it. The plot pass (DrawEdgesAndFaces) and
// the front-buffer pass bracket the edges, display curves and silhouettes with the body's
// transformation (DsPushItemTransformation). A body takes part in a drawing pass and in GL
// selection only when its item flag 0x100 equals the view's flag 12; item flag 0x400 makes it not
// pickable.
//
// GL selection (OpenGlPick) draws every face under the body's selection name and, below it, the
// face item's own (CDsSelectionNames), so that a hit record names the body and the face.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Each face item releases its own mesh entry, silhouette and display curves when it goes; the
//   body's destructor leaves them to it, so that nothing is released twice.
// - RemoveFace and RemoveEdge erase from the map the entries that point to the item they delete,
//   whatever id the entity answers now; when no item shows the entity, the entry under its id is
//   erased as before.
// - An edge item takes its polyline entry from the body's mesh interface when it is added
//   (ClearReferences, then ReconnectPolyline); a face item takes its mesh entry when it is given
//   its FACE, and again after ReFacetBody has faceted the body anew.
// - The section state tests the corners of the body's box against the section plane of the scene
//   of the body's context (computing the box first when it is stale); a stepped section does not
//   take part, as it has no single plane.
// - The reference-point pick of a body with a conical face (that is not a cylinder) first asks for
//   a cone's apex (PickApexRefPoint): only when the mask admits the apex's kind (256, the start
//   kind) and either the face the window shows under the cursor (ShownFaceUnderCursor) is a face
//   of this body or the apex lies in the pick window, as an edge's end does (at the apex's own
//   pixel the ray through the cursor often passes by the cone's thin tip). Without that test a
//   cone anywhere in the scene would answer its apex for every pick, and a mask without 256
//   would get a kind it did not ask for. The apex is offered only where the
//   window shows it: the cone's face as drawn reaches it (a frustum's apex in the air is no
//   point of the picture), and it shows (DsIsPointShown: inside the window, not cut away, not
//   hidden, by the cone's own base either). The apex pick ends the pick session
//   (CDsGlContext::StEndPickSession): its filter and cached selection are gone after it.
// - The reference-point picks of the edges pass over a point the window does not show
//   (DsIsPointShown: outside the window, cut away by what clips the body where the frame draws it,
//   or hidden by a face the frame draws in the hidden-line, shaded and mixed render modes) and go
//   on with the next edge: taken in body order, the first point found would otherwise often be a
//   hidden corner or middle behind the one under the cursor. Only shown points are offered; a pick
//   that finds hidden ones only answers null. A body the scene database draws at another place
//   (a transform id) is picked there by its caller (DsPickAtShownPlaces), with the view's model
//   transform set to the place.
// - ClearEdgeRefPointCaches has nothing to clear: the edges' reference points keep no cached pick
//   data and take the body's transformation as they are asked.
// - GetBox answers the box where the body is drawn, with or without `transformed`: the box is
//   built under the body's transformation, and transforming it once more moved it twice.
// - Sub-entities of a select-all are asked for when the data's entity manager reports a level
//   other than 0 or its flag is set (CDsSelectAllData::AsksForSubEntities).
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsHatch.h"
#include "DsItemsGroup.h"

#include <map>
#include <vector>

class CDsItemEdge;
class CDsItemsFace;
class CVyrMeshInterface;
class EDGE;
class FACE;

// The item of one modeler body.
class AFX_EXT_CLASS CDsItemsBody : public CDsItemsGroup {
public:
    // Item flag compared with the view's flag 12 by the drawing and selection passes.
    static constexpr int kSectionPassFlag = 0x100;
    // Item flag of a body that is not pickable.
    static constexpr int kNotPickableFlag = 0x400;

    // The body group of `body` in `context` (either may be null), holding `mesh` (owned from here
    // on; may be null): a face item per FACE, an edge item per EDGE, the box, the pickable flag
    // and hatch of the entity, and the context's document flag 12 when a face is not opaque.
    CDsItemsBody(ENTITY* body, CDsGlContext* context, CVyrMeshInterface* mesh);
    // Takes the items' entities out of the context's item map (unless it is closing), deletes the
    // mesh interface, then the groups with every item.
    ~CDsItemsBody() override;

    // --- The item protocol ----------------------------------------------------------------
    // A hide level: the body's own, or, when every face (edge of a wire body) is hidden, the first
    // one's.
    void GetAttribute(CDsAttribute& attribute) override;
    using CDsItemsGroup::GetAttribute;
    // The group's; a hatch is kept as the body's hatch, and the context learns that what it shows
    // changed (CDsGlContext::OnItemsContentChanged), as the item base tells it a changed hide level.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    using CDsItemsGroup::SetAttribute;
    // Every edge item's, then every face item's; the body's own attributes stay.
    void SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on) override;
    // Every face item's.
    void SetRenderMode(ERenderMode mode) override;
    // 29.
    EDsItemsType GetItemType() override;
    // The body itself for its entity, else the item of `entity` among its items.
    CDsItemBase* FindDsItem(const ENTITY* entity) override;
    using CDsItemsGroup::FindDsItem;
    // Detaches the body and every item, keeping the items by persistent id.
    void DetachEntity(int componentId) override;
    // For a BODY of the stored component id: the body, then every face and edge of `entity` whose
    // persistent id names a kept item; whether the body took it.
    bool AttachEntity(ENTITY* entity, int componentId, int pid) override;
    // After each of the three transformation setters the section state is computed again when
    // needed, the copies of the body measure their boxes again, and the body's context draws its
    // whole picture again at the next refresh and measures the scene's boxes anew.
    using CDsItemsGroup::MultiplyTransformation;
    // The body's transformation followed by `transform`; the box rebuilt.
    void MultiplyTransformation(const SPAtransf& transform) override;
    // The body's transformation becomes `transform` (repaired); the box rebuilt.
    void Transform(const SPAtransf& transform) override;
    using CDsItemsGroup::SetTransformation;
    // The body's transformation becomes `transform`; the box, which carries the transformation,
    // goes stale and is rebuilt when next asked for.
    void SetTransformation(const SPAtransf& transform) override;
    // Unless hidden: the faces' extents and the edges' points (each edge as the frame draws it,
    // through the faces beside it) under the body's transformation; with an `entity` other than the
    // body's, only the face or edge that shows it.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // The highlighted edges, then the faces' display curves, under the body's transformation;
    // lighting and normalising are left off.
    void DrawToFrontBuffer(view3d& view) override;
    // Unless hidden: the faces and the edges, each in its own look, under the body's
    // transformation.
    void Refresh(view3d& view) override;
    // The same without the hidden test.
    void DrawAlone(view3d& view) override;
    // The body's attributes, then DrawEdgesAndFaces(view, 0).
    void Plot(view3d& view) override;
    using CDsItemsGroup::PickRefPoint;
    // Unless hidden: the apex of a cone whose face lies under the event (see the header comment),
    // else a reference point of an edge under the event that no shown face hides, the edges hit
    // first, then the elliptical ones (the caller owns it); null when none.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // See the header comment of the implementation: the body, its faces or its edges.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    // Unless hidden or off the current view's pick (CheckExtremesOverlap): each face's
    // PickClosest under the body's transformation (pushed on the buffer's owner stack for each).
    void PickClosest(CDsItemsIdBuffer& buffer) override;
    // With display lists in use (display-manager flag 4): every face item's list.
    void DeleteGlList() override;
    // Grows `box` by the body's box (rebuilt first when empty; nothing while it stays empty), under
    // `transform` when given.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The box's screen rectangle, then every shown face's.
    void ComputeBounds2D(view3d* view) override;

    // --- Group operations -----------------------------------------------------------------
    // The box's corners, where the body is drawn (the box carries the body's transformation, so
    // `transformed` asks for nothing more); false for a body without extent.
    bool GetBox(CGmPosition& low, CGmPosition& high, bool transformed) override;
    // The first reference point of the given edges (only the elliptical ones with `ellipticalOnly`
    // not 0) that the event hits and no shown face hides, under the body's transformation; null
    // when none.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, std::vector<CDsItemEdge*>& edges, int ellipticalOnly,
                              const CDsTypeMask& types) override;
    // Unless hidden: the same over the edge items of the listed entities.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const ENTITY_LIST& entities, const CDsTypeMask& types) override;
    // The current view's context made current; 0 without faces, else whether `types` has the face
    // type (1).
    int TestBodyFaces(const CDsTypeMask& types) override;
    // The current view's context made current; the filter's first non-zero answer on a face.
    int TestBodyFaces(entity_filter* filter) override;
    // With faces: whether `types` has the edge type (2) when there are edges; a wire body: 1 when
    // a shown edge's type is in `types`.
    int TestBodyEdges(const CDsTypeMask& types) override;
    // The current view's context made current; the filter's first non-zero answer on a shown edge.
    int TestBodyEdges(entity_filter* filter) override;
    // 0 with faces; else whether the body's type is in `types`.
    int TestBodyWire(const CDsTypeMask& types) override;
    // GL selection (see the header comment): nothing without faces, entity or the flag gate.
    void OpenGlPick(view3d* view) override;
    // Appends every marked or on-top edge item.
    void GetDsEdgesOnTop(std::vector<CDsItemEdge*>& edges) override;
    // Under the body's transformation: each given edge's hit adds its EDGE to `picked`.
    void PickEdges(view3d* view, std::vector<CDsItemEdge*>& edges, ENTITY_LIST& picked) override;
    // Under the body's transformation: each edge item's hit adds its EDGE to `picked` (the faces
    // it is picked through to `faces`).
    void PickEdges(view3d* view, ENTITY_LIST& picked, ENTITY_LIST* faces) override;
    // When the body is not hidden and overlaps the pick: the first face's display curve hit.
    bool PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve) override;
    // The number of face items.
    int FacesCount() override;
    // Appends the edge items of the listed entities, in list order.
    void GetDsEdges(const ENTITY_LIST& entities, std::vector<CDsItemEdge*>& edges) override;
    // Facets the body anew into its mesh interface; the faces take the new meshes and drop their
    // display lists.
    void ReFacetBody() override;
    // Every edge item takes its polyline entry from `meshes`.
    void ReconnectPolylines(CVyrMeshInterface* meshes) override;
    // True unless status bit 3 is set; with it: the duplicate-edges mode, a region pick, or the
    // box's screen rectangle in the pick aperture.
    bool CheckExtremesOverlap(view3d* view) override;
    // False for a body that is not pickable (unless the pick processor's switch 5 is on) or hidden;
    // else the group's rule.
    bool IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside) override;
    // Status bit 5.
    bool IsBodyConicalFaceOwner() override;
    // The number of edge items.
    virtual int EdgesCount();

    // --- Items of single entities (the context's) -----------------------------------------
    // A new face item of `face` in the faces group (its persistent id kept), with its material
    // record; the item.
    CDsItemsFace* AddFace(FACE* face);
    // A new edge item of `edge` in the edges group (its persistent id kept; on top for a wire
    // body), with its polyline entry from the mesh interface; the item.
    CDsItemEdge* AddEdge(EDGE* edge);
    // Deletes the first face item of `face` and its map entries (see the header comment).
    void RemoveFace(FACE* face);
    // Deletes the first edge item of `edge` and its map entries (see the header comment).
    void RemoveEdge(EDGE* edge);
    // The points of the edge item of `edge` under the body's transformation (a new array the
    // caller frees with delete[]); null (count 0) when none.
    CGmPosition* GetEdgePolyline(EDGE* edge, int& count, view3d* view);
    // Adds the entities of the face items (with `faces`) and then of the edge items (with
    // `edges`) to `list`.
    void GetDisplayDescendents(bool faces, bool edges, ENTITY_LIST& list);

    // --- Context services -----------------------------------------------------------------
    // Every edge item's UpdateWidth(delta).
    void UpdateEdgeWidths(int delta);
    // Every face's transformation dropped, every edge's adjacent-face record dropped; the box
    // emptied.
    void ResetFaceTransformations();
    // The items of the FACE of `face` take it as an adjacent face; the box emptied.
    void UpdateEdgesOfFace(CDsItemsFace* face);
    // The box and the section state computed again; with `refreshEdges` the edges' render modes
    // and adjacent faces; every edge's hide level and on-top flag.
    void CompletePartialChangeUpdates(bool refreshEdges);
    // Whether a face's mesh was edited in place since the last call (CDsItemsFace::TakeMeshEdit):
    // then the box and the section state go stale, the copies of the body empty their boxes and
    // the context learns that what it shows changed (CDsGlContext::OnItemsContentChanged).
    bool TakeMeshEdits();
    // Computes the section state (status bits 0-1): mixed when the scene's section plane cuts the
    // body's box or a face is hidden, moved or not opaque, else uniform.
    void ComputeSectionState();
    // The body's plot pass (see the header comment): unless hidden or gated out, the edges, then
    // (out of a fast refresh) the display curves and the silhouettes, under the body's
    // transformation. The faces' meshes are not drawn. Outside a plot a mixed view leaves out
    // the shaded edges and outlines (its own passes draw them); a plot draws them in every render
    // mode alike.
    void DrawEdgesAndFaces(view3d& view, int pass);

    // --- State ----------------------------------------------------------------------------
    // The mesh interface (owned), null when none.
    CVyrMeshInterface* GetMeshInterface() const { return m_meshes; }
    // The box (empty while stale).
    const CDsBox& GetBodyBox() const { return m_box; }
    // The section state: 0 not computed, 1 mixed, 2 uniform.
    int GetSectionState() const { return static_cast<int>(m_status & kSectionMask); }
    // The section state back to 0 (computed again when needed).
    void ResetSectionState() { m_status &= ~kSectionMask; }
    // Whether the BODY has no faces (status bit 2).
    bool HasNoFaces() const { return (m_status & kNoFaces) != 0; }
    // Status bit 3: the screen-rectangle test of CheckExtremesOverlap.
    void SetExtremesTest(bool on);
    // Status bit 3.
    bool GetExtremesTest() const { return (m_status & kExtremesTest) != 0; }
    // Status bit 5: the body has a conical face that is not a cylinder.
    void SetConicalFaceOwner(bool on);
    // The body's hatch.
    const CDsHatch& GetHatch() const { return m_hatch; }
    // The face item `index` of the faces group, null outside.
    CDsItemsFace* GetFaceItem(int index) const;
    // The edge item `index` of the edges group, null outside.
    CDsItemEdge* GetEdgeItem(int index) const;

    // The reference point of an edge under the event (PickRefPoint without the cone's apex): what
    // a copy of the body asks, which answers the apex of its own cone itself.
    CDsRefPoint* PickEdgeRefPoint(CUiPickEvent& event, const CDsTypeMask& types);
    // The face of the body that the window shows under the event's cursor, with the body placed by
    // its transformation and then `after`: of the places where the pick ray meets the shown faces'
    // meshes, the nearest inside the window that no section cuts away (CDsShownFrame), when no face
    // the frame draws hides it; null otherwise.
    FACE* ShownFaceUnderCursor(const CUiPickEvent& event, const SPAtransf& after);
    // Whether the mesh of the body's face item of `face`, placed by the face's, the body's and then
    // `after`'s transformation, reaches `point` (within a twentieth of a pixel of the view, or a
    // millionth of the point's size): a cone drawn to its apex does, a frustum does not.
    bool FaceReaches(ENTITY* face, const SPAposition& point, const SPAtransf& after, view3d* view);

private:
    // The apex of the conical face under the event, or of one in the pick window (see the header
    // comment), null when none.
    CDsRefPoint* PickApexRefPoint(CUiPickEvent& event, const CDsTypeMask& types);

    static constexpr uint32_t kSectionMask = 0x3;
    static constexpr uint32_t kNoFaces = 0x4;
    static constexpr uint32_t kExtremesTest = 0x8;
    static constexpr uint32_t kConicalFace = 0x20;

    // The faces group, null before BuildGroups.
    CDsItemsGroup* Faces() const;
    // The edges group, null before BuildGroups.
    CDsItemsGroup* Edges() const;
    // The two groups and an item per FACE and EDGE.
    void BuildGroups();
    // The box emptied and grown by the faces and the edges.
    void RecomputeBox();
    // After a change of the transformation (the box already rebuilt or emptied): the section state
    // goes stale, the copies of the body empty their boxes, and the context learns that what it
    // shows moved (CDsGlContext::OnItemsContentChanged).
    void Moved();
    // The entities of the items out of the context's item map (unless it is closing).
    void RemoveEntitiesFromMap();
    // The pickable flag and the hatch from the modeler extension.
    void UpdatePickableAndHatch();
    // Whether the body's flag 0x100 equals the view's flag 12.
    bool PassesFlagGate(view3d& view) const;
    // Erases from `map` the entries pointing to `item`, or, without an item, the one under the
    // id of `entity`.
    static void EraseFromMap(std::map<int, CDsItemBase*>& map, CDsItemBase* item, ENTITY* entity);

    // What the shown faces' screen boxes were last computed with (ComputeBounds2D): the view's
    // projection, the changes of faces and of hide levels counted then, and the current
    // view with its two document flags that may hide a face.
    struct SFacesBoundsKey {
        uint64_t projection = 0;
        uint64_t faces = 0;
        uint64_t hideLevels = 0;
        const void* currentView = nullptr;
        bool documentFlag4 = false;
        bool documentFlag5 = false;
        bool operator==(const SFacesBoundsKey& other) const;
    };
    // The key of the faces' screen boxes now, for the projection stamp `projection`.
    static SFacesBoundsKey FacesBoundsKey(uint64_t projection);

    std::map<int, CDsItemBase*> m_edgeMap;
    std::map<int, CDsItemBase*> m_faceMap;
    CVyrMeshInterface* m_meshes = nullptr;
    CDsBox m_box;
    SFacesBoundsKey m_facesBounds;
    uint32_t m_status = 0;
    CDsHatch m_hatch;
};
