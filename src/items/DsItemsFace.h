// CDsItemsFace: the display item of one modeler FACE of a body. A group without children of its
// own that shows the face's triangle mesh, owns the face's display curves (the isolines its
// display-curve attribute asks for, with their curve records) and, for a curved face, a silhouette
// group (CDsItemSilhouette). The body group makes its face items (CDsItemsBody::AddFace) and keeps
// them in its faces group; a face item's parent is the body itself.
//
// Mesh. The face draws the mesh of its FACE's shared mesh entry (CVyrMeshEntry), of which it holds
// one reference. It takes the entry from its parent body's mesh interface whenever it is given a
// FACE (SetEntity) and again after the body is faceted anew (ReconnectMesh); without an entry it
// draws, bounds and counts nothing. It draws the mesh through the mesh painter
// (CDsGlMeshPainter), or, when the mesh carries vertex colours, the vertex-colour palette is set
// and the context allows vertex colours (its display-mode flag 21), as coloured strips through the
// strips walker, with the lighting state as it found it afterwards.
//
// Mirrored. A face drawn under a placement that mirrors space (OpenGL's model-view matrix, which
// holds the walk's location transforms, the body's, a copy's and the face's own, mirrors: two
// mirrors do not) is lit, culled and blended as where nothing mirrors it: it goes out with
// clockwise front faces and its normals as stored (see DsMirroredFrontFace.h), the mesh through
// the painter's reflect mode on its immediate road. The front face is given back as found.
//
// Display list. The first draw records the face's drawing into a display list of its own while
// drawing it; later draws replay the list until it is deleted (DeleteGlList, as the body does when
// it is faceted anew). Printing, the view's document flag 1 (immediate meshes) and vertex colours
// record nothing and replay nothing. The face keeps a list for each way it is drawn, unmirrored
// and mirrored, so that a face drawn both ways in one frame (its body, and a mirrored copy of it)
// replays the right one each time; DeleteGlList deletes both.
//
// Edits of the mesh in place. The face's display list and the face box are kept with the mesh's
// revision they were made from (CVyrIndexedMesh::GetRevision, which an edit of the mesh through
// its members renews, get_vertex_for_edit included), as the mesh keeps its own list: a draw under
// a new revision records the list again, and the box is measured again when next used. The scene
// learns of an edit at its next change query (TakeMeshEdit, asked through the bodies once a mesh of
// the process changed), and the refresh then draws the whole picture again; a refresh after no
// edit draws nothing.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The face keeps a display list only while display lists are in use (display-manager flag 4):
//   the body deletes its faces' lists only then, so a list kept while they are off would go stale
//   at the next faceting.
// - No list is recorded while another list is being compiled (a list cannot be opened inside
//   another): the face is then drawn into the outer list as geometry.
// - The face deletes its own display list when it goes.
// - SetEntity releases what it replaces: the silhouette group, the display curves with their curve
//   records, the material record and the reference to the mesh entry.
// - For GL selection (OpenGlPickFace), the light model and culling follow the face's sides through
//   DsSetGlFaceSidednessIfChanged; a pick that asks for two-sided faces (a body whose section state
//   is mixed: cut, partly transparent, partly hidden or with moved faces) has them sent whatever
//   was sent last, so that the back faces a cut or a transparent face reveals are picked too.
// - The isoline edges that the modeler makes for the display curves belong to the face only while
//   it sketches them: each is freed (lose) once its curve record is taken.
// - A face whose parent is not a body (or that has none) sets no body status and updates no body.
// - GetBox answers the box where the face is drawn, with or without `transformed`, as the body's
//   does: the box is built under the face's transformation, and transforming it once more moved
//   it twice.
// - Refresh and DrawAlone draw the mesh itself, in the face's own look: as a group without
//   children the face would draw nothing on those roads, and a body drawn alone (into the front
//   buffer, into a bitmap) would show its edges only.
#pragma once

#include <afx.h>

#include "DmRefCountPtrTempl.h"
#include "DsBox.h"
#include "DsItemsGroup.h"
#include "DsMaterialStorage.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshEntry.h"

#include <deque>

class CDsEdgeData;
class CDsItemSilhouette;
class CDsItemsBody;
class CVyrIndexedMesh;
class CVyrMeshInterface;
class EDGE;

// The item of one modeler face.
class AFX_EXT_CLASS CDsItemsFace : public CDsItemsGroup {
public:
    // No context, no entity, no mesh, curves, silhouette or material record; type byte 1.
    CDsItemsFace();
    // Releases the mesh entry, deletes the silhouette group, the display curves with their curve
    // records and the material record, and the face's display list.
    ~CDsItemsFace() override;

    // --- The item protocol ----------------------------------------------------------------
    // The mesh: replayed from the face's display list, or sent (and recorded); see the header
    // comment.
    void DrawGl(view3d& view) override;
    // Deletes both display lists of the face (the unmirrored and the mirrored drawing).
    void DeleteGlList() override;
    // Unless hidden, DrawAlone: a face item has no children for the group's walk to reach.
    void Refresh(view3d& view) override;
    // In a shaded or mixed view: the mesh in the face's colour and material (its sides' light
    // model and culling), under the face's transformation. Nothing in the line render modes, where
    // the edges show the body.
    void DrawAlone(view3d& view) override;
    // The group's; the silhouette group's too; a face its hide level now hides clears the body's
    // section state.
    void SetAttributes(const CDsLineAttribStorage& attributes, bool recurse) override;
    using CDsItemsGroup::SetAttributes;
    // The group's; a face now hidden clears the body's section state; the hide levels of the
    // face's edges follow the faces.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    using CDsItemsGroup::SetAttribute;
    // The group's; the silhouette and display curves take the colour; the material record is
    // made when missing.
    void SetColor(const CDsColorStorage& color, bool recurse) override;
    // The group's; the silhouette and display curves take the style.
    void SetStyle(int style, bool recurse) override;
    // The group's; the silhouette and display curves take the width.
    void SetWidth(int width, bool recurse) override;
    // Clears the body's section state, then the group's.
    void SetTransparency(float transparency) override;
    // Highlight (level 4) for the face alone, any other level as a group; the silhouette and
    // display curves take it, and so do the items of the face's edges.
    void SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY* entity) override;
    // The group's; the items of the face's edges take their render mode from their faces again.
    void SetRenderMode(ERenderMode mode) override;
    // 33.
    EDsItemsType GetItemType() override;
    // Shows `entity` (see the header comment): a silhouette group for a curved FACE, its display
    // curves, the body's conical-face status, the mesh entry from the body's mesh interface.
    void SetEntity(ENTITY* entity) override;
    // The base detaching; the component id becomes `componentId`.
    void DetachEntity(int componentId) override;
    // With an entity, false without the entity-type service; else the group's attaching.
    bool AttachEntity(ENTITY* entity, int componentId, int pid) override;
    // After each change of the face's transformation the copies showing the face measure their
    // boxes again, and the face's context draws its whole picture again at the next refresh and
    // measures the scene's boxes anew.
    using CDsItemsGroup::SetTransformation;
    // The face's own transformation; the body's section state cleared, the face box emptied, the
    // body's edges of this face told.
    void SetTransformation(const SPAtransf& transform) override;
    using CDsItemsGroup::MultiplyTransformation;
    // The face's transformation followed by `transform`; the face box emptied, the body's edges of
    // this face told (the section state stays).
    void MultiplyTransformation(const SPAtransf& transform) override;
    // Unless hidden, and for `entity`'s item only when given: the face box's corners into the
    // measuring view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Highlighted only: the display curves under the face's transformation.
    void DrawToFrontBuffer(view3d& view) override;
    // Unless hidden, with a mesh of polygons and when sub-entities are asked for: the FACE, when
    // the select-all data accepts it.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    // Unless hidden: the mesh's triangles into `buffer` as its current item, under the face's
    // transformation (pushed on the buffer's owner stack and popped again).
    void PickClosest(CDsItemsIdBuffer& buffer) override;
    // Grows `box` by the face box (rebuilt first when empty; nothing while it stays empty), under
    // `transform` when given.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The face box's screen rectangle in `view`. Asked for by anyone but the body's own pass
    // (CDsItemsBody::ComputeBounds2D), it counts as a change of a face: the body no longer
    // knows for which view its faces' rectangles were computed.
    void ComputeBounds2D(view3d* view) override;
    // Unless hidden and with a mesh: the item count and the mesh's node, polygon and corner counts.
    void CountStatistics(CDsStatisticsItems* statistics) override;

    // --- Group operations -----------------------------------------------------------------
    // The face box's corners, where the face is drawn (the box carries the face's transformation,
    // so `transformed` asks for nothing more); false for a face without extent.
    bool GetBox(CGmPosition& low, CGmPosition& high, bool transformed) override;
    // Unless hidden: the first display curve the pick manager's view hits; its FACE and index.
    bool PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve) override;
    // The face's transformation dropped; the face box emptied.
    void ResetTransformation() override;
    // True with the duplicate-edges mode or during a region pick; else whether the face box's
    // screen rectangle meets the pick aperture.
    bool CheckExtremesOverlap(view3d* view) override;

    // --- The face's own operations --------------------------------------------------------
    // Makes the material record (sides 2 for a double-sided FACE, else 1) when there is none.
    void CreateMaterialRecord();
    // The items of the FACE's edges: with level 2 and `on`, their hide levels from their faces;
    // otherwise the visibility level.
    void UpdateEdgeVisibility(int level, bool on);
    // Empties the face box and grows it by the mesh's triangles under the face's transformation.
    void RecomputeBox();
    // Unless hidden (or shaded in a mixed view): the display curves, in the face's attributes
    // unless `noAttributes`, under the face's transformation.
    void DrawDisplayCurves(view3d& view, bool noAttributes);
    // GL selection: unless hidden or without an entity, the mesh under the face's selection name
    // and transformation, the light model and culling of the face's sides first (two-sided with
    // `twoSided`, see the header comment).
    void OpenGlPickFace(view3d* view, bool twoSided);
    // Makes the display curves again from the FACE's display-curve attribute (none without one).
    void UpdateDisplayCurves();
    // Deletes the display curves and their curve records.
    void ClearDisplayCurves();
    // Appends the curve record of `edge` (its curve, range, sense and convexity); nothing for an
    // edge without a curve.
    void AddEdgeData(EDGE* edge);
    // Whether the mesh is drawn with its vertex colours (see the header comment).
    bool UsesVertexColours() const;
    // Releases the mesh entry held and takes the one `meshes` keeps for the FACE (none for null);
    // the face box, display list and silhouette segments are dropped.
    void ReconnectMesh(CVyrMeshInterface* meshes);
    // Whether the mesh was edited in place since the last call (or since the face took its mesh):
    // the face box then goes stale. Each edit is answered once.
    bool TakeMeshEdit();

    // --- State ----------------------------------------------------------------------------
    // The silhouette group, null when none.
    CDsItemSilhouette* GetSilhouette() const { return m_silhouette; }
    // The display-curve group, null when none.
    CDsItemsGroup* GetDisplayCurves() const { return m_curves; }
    // The number of curve records.
    int GetEdgeDataCount() const { return static_cast<int>(m_edgeData.size()); }
    // Curve record `index`, null outside the records.
    const CDsEdgeData* GetEdgeData(int index) const;
    // The material record, null when none.
    const SDsGlMaterialSource* GetMaterialRecord() const { return m_material; }
    // The mesh entry held, null when none.
    CVyrMeshEntry* GetMeshEntry() const { return m_entry.get(); }
    // The mesh of the entry, null when none.
    CVyrIndexedMesh* GetMesh() const;
    // The face box (empty while stale).
    const CDsBox& GetFaceBox() const { return m_box; }
    // The parent when it is a body, else null.
    CDsItemsBody* GetBody() const;

private:
    friend class CDsItemsBody;

    // The face box's screen rectangle in `view` (the box computed first when stale).
    void ProjectBox(view3d* view);
    // Empties the face box, counted as a change of a face.
    void ForgetBox();
    // The face box emptied when the mesh was edited since it was measured.
    void FollowMeshEdits();
    // After a change of the face's transformation: the copies showing the face empty their boxes
    // and the context learns that what it shows moved (CDsGlContext::OnItemsContentChanged).
    void Moved();
    // Releases the silhouette, display curves, material record and mesh entry.
    void ReleaseOwned();
    // Opens the list of the unmirrored or the `mirrored` drawing, compiled and executed (the
    // mirrored one's name taken first when it has none); false, nothing opened, without a name.
    bool StartRecording(bool mirrored);
    // The body's section state cleared (with a body).
    void ClearBodySectionState();
    // Each item of the FACE's edges gets `action`.
    template <typename Action>
    void ForEachEdgeItem(Action action);

    CDsItemSilhouette* m_silhouette = nullptr;
    CDsItemsGroup* m_curves = nullptr;
    SDsGlMaterialSource* m_material = nullptr;
    std::deque<CDsEdgeData*> m_edgeData;
    CDmRefCountPtrTempl<CVyrMeshEntry> m_entry;
    CDsBox m_box;
    // The mesh's revisions the face box and the display lists were made from, and the last one
    // TakeMeshEdit answered for.
    CVyrIndexedMesh::SRevision m_boxRevision;
    CVyrIndexedMesh::SRevision m_listRevision;
    CVyrIndexedMesh::SRevision m_takenRevision;
    // The list of the mirrored drawing (the unmirrored one is the item's own), 0 while none.
    GLuint m_mirroredList = 0;
};
