// CDsItemEdge: the leaf item that shows one modeler EDGE of a body (or a lone edge).
//
// Geometry. The item holds no geometry of its own: it holds one reference to the edge's shared
// polyline entry (CVyrPolylineEntry) in the body's mesh interface, a polyline of float points or
// an ellipse storage approximated for each view at draw time. ReconnectPolyline is the one
// operation that gives the item its entry; until then it draws, picks, bounds and counts nothing
// of its own.
//
// Owner. The item's parent is its body group (CDsItemsBody), which owns it through its edges
// group; the edge asks it only through the group protocol: FacesCount (a body without faces is a
// wire body), FindDsItem (the face items of its FACEs), GetTransformation (the body's placement,
// for the points it reports), GetAttribute and SetAttribute (hide levels).
//
// Adjacent faces. Once FindAdjacentFaceItems or SetAdjacentFaceItem has made its record, the edge
// is drawn and picked through the items of its (at most two) adjacent faces instead of by
// itself: once per face, in the face's attributes and under the face's own transformation. Face
// items are groups (CDsItemsFace derives from CDsItemsGroup), so the record holds group pointers
// and uses the group protocol alone: HasTransformation / GetTransformation(CDsMatrix&),
// GetAttributes, SetAttributesToView, GetHighlightState, GetMarkState, GetEntity.
//
// Drawing roads: DrawGl (the bare line strip, no state set), DrawInBody (the body's pass),
// DrawHighlighted, DrawOnTop and DrawToFrontBuffer. Wherever the edge sets attributes to the view
// on a highlighted road, the process-wide highlight pen width is 2 for that call and restored
// afterwards. While a plot is under way the geometry goes to the view's polyline calls
// (DrawByView) instead of OpenGL.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An EDGE bounds a single face (free-edge flag) when it has no coedge, or its coedge no partner,
//   and its owner has faces.
// - SetEntity sets the elliptical flag exactly (a straight EDGE after an elliptic one clears it)
//   and always drops the reference point of the previous entity.
// - ClearReferences releases what the item held (nothing, right after construction, where the
//   body calls it), so that a later call cannot leak the record or a reference to the entry.
// - Drawing through a face follows the transformation bracket of groups: the face's placement
//   goes onto the OpenGL matrix stack, or to the view's model transform while a plot is under way.
// - A face item is hidden for the edge when the hide level of its attributes hides it.
// - The pick record of the view's rendering context that a hit fills is the picked item of the
//   context's pick processor.
// - A polyline edge adds the faces of its EDGE to a pick's face list; an edge drawn from an
//   ellipse storage adds none.
// - Counting statistics never adds a negative number of segments (an entry of 0 points adds 0).
// - PickWithTransform without an applied flag hands no transformation to the view.
// - An entry is grown into a box without the ellipse's centre.
#pragma once

#include <functional>

#include <afx.h>

#include "DmRefCountPtrTempl.h"
#include "DsItemBase.h"

class CDsFigure;
class CDsItemsGroup;
class CDsRefPoint;
class CDsTypeMask;
class CGmTransformation;
class CUiPickEvent;
class CVyrMeshInterface;
class CVyrPolylineEntry;
class EDGE;
class FACE;

// The item of one modeler edge.
class AFX_EXT_CLASS CDsItemEdge : public CDsItem {
public:
    // Bits of the edge flags.
    enum EEdgeFlags : uint8_t {
        eEdgeFree = 0x1,       // the EDGE bounds a single face of a body with faces
        eEdgeElliptical = 0x2  // the EDGE lies on an ellipse or circle
    };

    // No entity, no polyline entry, no adjacent faces, no reference point, flags 0.
    CDsItemEdge();
    // Deletes the adjacent-face record and the reference point, releases the polyline entry.
    ~CDsItemEdge() override;

    // --- The item protocol ----------------------------------------------------------------
    // One OpenGL line strip of the entry's points (the ellipse approximated for the view), even
    // of 0 points; nothing without an entry. No colour, width or matrix is set.
    void DrawGl(view3d& view) override;
    // A hide level for an edge of a wire body (owner without faces) as for any item; ignored
    // without an owner or when the owner has faces.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    using CDsItemBase::SetAttribute;
    // The attributes given whole; the edge of a body with faces keeps the hide level its faces give
    // it, as SetAttribute leaves it.
    void SetAttributes(const CDsLineAttribStorage& attributes, bool recurse) override;
    using CDsItemBase::SetAttributes;
    // 4.
    EDsItemsType GetItemType() override;
    // Clears the free-edge flag and binds the entity; for an EDGE: a new reference point naming
    // this item, the elliptical flag, and the free-edge test.
    void SetEntity(ENTITY* entity) override;
    // A new array (delete[] by the caller) of the points, three floats each; null (count 0)
    // without an entry or points.
    float* GetPoints(int& count, view3d* view) override;
    // A new array (delete[] by the caller) of the points under the owner's transformation; null
    // (count 0) without an entry or points.
    CGmPosition* GetTransformedPolyline(int& count, view3d* view) override;
    // Drops the reference point, then the base detaching.
    void DetachEntity(int componentId) override;
    // The base attaching; on success a new reference point for the entity.
    bool AttachEntity(ENTITY* entity, int componentId, int pid) override;
    // For `entity`'s item only when given: PickInView on the measuring view, which gathers the
    // edge's points.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Only while highlighted: through the adjacent faces (a highlighted first face last, so that
    // it lies on top), or by itself; see the header comment.
    void DrawToFrontBuffer(view3d& view) override;
    // Grows `box` by the entry (each point under `transform` when given); nothing without one.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // Unless hidden: the item count, then the entry's points, segments and one polyline.
    void CountStatistics(CDsStatisticsItems* statistics) override;

    // --- The edge's own operations (virtual) -----------------------------------------------
    // Highlighted or marked adjacent faces draw the edge through themselves in their attributes;
    // without a record a highlighted or marked edge that is not hidden draws itself. Pen width 2.
    virtual void DrawHighlighted(view3d* view);
    // Without an adjacent-face record, an on-top edge that is not hidden draws itself with pen
    // width 2. A shaded edge that is neither marked nor on top draws nothing in a mixed view.
    virtual void DrawOnTop(view3d* view);
    // Sends the edge to the view (in pick mode: a hit test); the view's answer. With an
    // adjacent-face record, through `faceItem` alone when given, else the sum over the record's
    // faces (their entities added to `faces` on a hit). Without: 0 without an entry or when
    // hidden; a hit is recorded in the view's context and adds the EDGE's faces to `faces`.
    virtual int PickInView(view3d* view, ENTITY_LIST* faces, CDsItemBase* faceItem);
    // 0 when hidden or without a reference point; else a new copy of the reference point (the
    // caller owns it) when the event picks one of the kinds of `mask` (one that `accept`, when
    // given, accepts: CDsRefPoint::PickRefPoint), else null. `mode` is not consulted.
    virtual CDsRefPoint* PickEdgeRefPoint(CUiPickEvent& event, int mode, CDsTypeMask& mask,
                                          const std::function<bool(const CGmPosition&)>* accept = nullptr);
    // 0 when hidden. While *applied is 0, a `transform` that is not the identity goes to the
    // event's view (SetModelTransform) and *applied becomes 1; the caller clears it. Then 1 when
    // the event's view hits the edge, else 2 for an elliptical edge and 0 for any other.
    virtual int PickWithTransform(CUiPickEvent& event, CGmTransformation* transform, int* applied);
    // No entry, flags 0 and no adjacent-face record; what was held is released.
    virtual void ClearReferences();
    // Releases the entry held and takes, with a reference of its own, the entry that `meshes`
    // keeps for the EDGE (none for a null interface or without one).
    virtual void ReconnectPolyline(CVyrMeshInterface* meshes);

    // --- Body services --------------------------------------------------------------------
    // True when a mixed view (render mode 4) leaves out this shaded edge of a body with faces
    // (not while a plot is under way, which has no other road for it), and for any pass but 0.
    bool IsSkippedInPass(view3d& view, int pass);
    // The body's pass: unless skipped, through the adjacent faces, or in the edge's own attributes
    // (pen width 2 when highlighted; none set under the forced pen) unless hidden.
    void DrawInBody(view3d& view, int pass);
    // Runs the free-edge test again; a free edge takes its width + `delta` (1 to 8, else kept),
    // any other edge the default width 1.
    void UpdateWidth(int delta);
    // With a context: 0, or 3 when the EDGE has faces, back to 0 at the first face whose item has
    // render mode 0.
    void UpdateRenderModeFromFaces();
    // The hide level from the faces: shown as soon as one face item of the EDGE is shown, hidden
    // (level 2) while none is; an EDGE without faces that is not hidden takes its owner's level. A
    // shown edge of a wire body shows its owner as well.
    void UpdateHideLevelFromFaces();
    // A new adjacent-face record with the owner's items of the EDGE's first and second faces.
    void FindAdjacentFaceItems();
    // Only without a record: a new one with `faceItem` first (when given) and, second, the
    // owner's item of the first other face of the EDGE than `face` that has one.
    void SetAdjacentFaceItem(CDsItemBase* faceItem, FACE* face);
    // Deletes the adjacent-face record: the edge draws by itself again.
    void ResetAdjacentFaceItems();
    // Sends the edge to the view's polyline calls (printing, plotting, measuring, picking); the
    // view's answer. 0 without an entry.
    int DrawByView(view3d& view);

    // --- Points and state -----------------------------------------------------------------
    // The start point under the owner's transformation; the origin and false without an entry.
    bool GetStartPoint(SPAposition& point);
    // The end point under the owner's transformation; the origin and false without an entry.
    bool GetEndPoint(SPAposition& point);
    // The stored middle point under the owner's transformation; the origin and false without an
    // entry.
    bool GetMidPoint(SPAposition& point);
    // The ellipse's centre under the owner's transformation; false (the origin) without an
    // ellipse.
    bool GetCenterPoint(SPAposition& point);
    // The edge flags (EEdgeFlags).
    uint8_t GetEdgeFlags() const { return m_edgeFlags; }
    // Whether the free-edge flag is set.
    bool IsFreeEdge() const { return (m_edgeFlags & eEdgeFree) != 0; }
    // Whether the elliptical flag is set.
    bool IsElliptical() const { return (m_edgeFlags & eEdgeElliptical) != 0; }
    // The polyline entry held, null when none.
    CVyrPolylineEntry* GetPolylineEntry() const { return m_entry.get(); }
    // Whether the edge has an adjacent-face record.
    bool HasAdjacentFaceItems() const { return m_faces != nullptr; }
    // Face item 0 or 1 of the record; null without a record, an empty place or another index.
    CDsItemBase* GetAdjacentFaceItem(int index) const;
    // The reference point, null when none.
    CDsRefPoint* GetRefPoint() const { return m_refPoint; }
    // Keeps `figure` (the host's, not owned; null for none) as the figure that shows the thread
    // of the edge (CDsGlContext::UpdateThread shows or hides it). The item never draws or deletes
    // it: the host keeps it alive while an edge keeps it.
    void SetThreadFigure(CDsFigure* figure) { m_threadFigure = figure; }
    // The thread figure, null when none.
    CDsFigure* GetThreadFigure() const { return m_threadFigure; }

protected:
    // 0: printing goes through DrawByView.
    int DrawGdi(view3d& view) override;

private:
    // The items of the (at most two) adjacent faces.
    struct SFaceItems {
        CDsItemBase* first = nullptr;
        CDsItemBase* second = nullptr;
    };

    // DrawGl, or DrawByView while a plot is under way.
    void DrawGlOrByView(view3d& view);
    // The item's own attributes to the view with the highlight pen width 2.
    void SetOwnAttributes(view3d& view);
    // The edge drawn under a face's transformation, in its attributes when `setAttributes`.
    void DrawThroughFace(view3d& view, CDsItemBase* face, bool setAttributes);
    // The front-buffer variant: left out in a shaded view for a face neither highlighted nor
    // marked.
    void DrawThroughFaceToFront(view3d& view, CDsItemBase* face);
    // The hit test under a face's transformation; the face's entity to `faces` on a hit.
    int PickThroughFace(CDsItemBase* face, view3d& view, ENTITY_LIST* faces);
    // Whether the EDGE bounds a single face of an owner with faces.
    bool TestFreeEdge() const;
    // A new reference point for `entity` naming this item (none for null); the old one deleted.
    void MakeRefPoint(ENTITY* entity);
    // Deletes the reference point.
    void DeleteRefPoint();
    // `point` under the owner's transformation.
    void ToOwner(SPAposition& point) const;

    CDmRefCountPtrTempl<CVyrPolylineEntry> m_entry;
    uint8_t m_edgeFlags = 0;
    SFaceItems* m_faces = nullptr;
    CDsRefPoint* m_refPoint = nullptr;
    CDsFigure* m_threadFigure = nullptr;
};
