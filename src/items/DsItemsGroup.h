// CDsItemsGroup: the display item with children: the scene's root groups and the groups of
// bodies, faces, copies, entities, figures, hidden-line views, toolpaths, arrows, triads and text
// blocks. It owns its children (deleting them when they are removed or when it goes), passes the
// item protocol down to them in order, carries item flags (EDsItemFlags), an optional
// transformation and a component id that survives detaching, and answers the group-only
// operations of bodies, faces and picks neutrally.
//
// Children: removal by pointer moves the last child into the hole (constant time, order not
// kept); removal by index keeps the order. No back pointer is set in a child when it is added.
//
// Vertices: the group's vertices are its children's, one child's after the other's. The group
// keeps where each child's vertices end among them: counted for GetVerticesCount and at the start
// of a walk (index 0 or below), and kept for the walk's later calls while the children are as many
// and nothing in the process told of a changed count (CDsItemBase::StVertexCountChanges: children
// added, removed or replaced, a leaf's points, triangles or display lists set or freed), so that
// a walk over a group of n children asks for n counts, not n * n. A change told between two calls
// of a walk is answered at the next call, as the group is then.
//
// Hidden groups: a group is hidden when its hide level hides it, or with flag 2 while the current
// view's document flag 4 is set, or with flag 4 while its document flag 5 is set. Refresh,
// DrawExtremes, DrawToFrontBuffer, Plot (also with flag 8), Pick(pick_manager*), PickRefPoint,
// SelectAll, ExpandBox and IsPickAvailable skip a hidden group; DrawGl, DrawAlone,
// DrawOnTraverse, Transform, ComputeBounds2D, the attribute setters and the bounds and vertex
// queries do not.
//
// Transformation: the group's own DrawGl, Refresh and Plot do not apply it; derived groups that
// carry one bracket their drawing with PushMatrix / PopMatrix (OpenGL) or PushMatrixGdi /
// PopMatrixGdi (the view's model transform, while plotting). A transform that is the identity is
// not applied. A group without a transformation answers the process-wide identity.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A pick that offers a hit to the pick manager pops exactly the one level it pushed.
// - Add ignores null and an item already among the children (a child held twice would be deleted
//   twice); Replace with the child already in that slot changes nothing, and Replace with a child
//   of another slot is refused (nothing changes, nothing is deleted).
#pragma once

#include <afx.h>

#include "DsFlags.h"
#include "DsItemBase.h"
#include "DsMatrix.h"
#include "VyrFigureGenerator.h"

#include <vector>

class CDsItemEdge;
class CGmPosition;
class CVyrMeshInterface;
class FACE;
class entity_filter;

class CDsItemsGroup;

// The transformation bracket of a drawing or pick pass over a group (a body, a copy): nothing
// without a view or group, or while the group's transformation is the identity; otherwise the
// transformation is pushed on the OpenGL model-view stack, or, while a plot is under way, handed
// to the view as its model transform.
AFX_EXT_API void DsPushItemTransformation(view3d* view, CDsItemsGroup* group);
// Undoes DsPushItemTransformation under the same test.
AFX_EXT_API void DsPopItemTransformation(view3d* view, CDsItemsGroup* group);

// A display item with children.
class AFX_EXT_CLASS CDsItemsGroup : public CDsItemBase {
public:
    // A group of `context` showing `entity` (either may be null): no children, flags 0, no
    // transformation, component id 0.
    CDsItemsGroup(CDsGlContext* context, ENTITY* entity);
    // Deletes every child and the transformation.
    ~CDsItemsGroup() override;

    // --- The item protocol ----------------------------------------------------------------
    // DrawGl on each child (no hidden test, no transformation).
    void DrawGl(view3d& view) override;
    // The union of the children's screen boxes (starting from an empty box of minima 10,000,000
    // and maxima -10,000,000); false when no child answered.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // Own attributes; with `recurse` each child's too.
    void SetAttributes(const CDsLineAttribStorage& attributes, bool recurse) override;
    using CDsItemBase::SetAttributes;
    // The base rule (with its propagation to the parent); with `recurse` each child.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    using CDsItemBase::SetAttribute;
    // Own colour; with `recurse` each child's.
    void SetColor(const CDsColorStorage& color, bool recurse) override;
    // Own style when below 32; with `recurse` each child's (whatever this group took).
    void SetStyle(int style, bool recurse) override;
    // Own width when 1 to 8; with `recurse` each child's.
    void SetWidth(int width, bool recurse) override;
    // Own (clamped) and each child's (the value as given).
    void SetTransparency(float transparency) override;
    // Own; with `recurse` each child's (with no entity).
    void SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY* entity) override;
    // Own and each child's.
    void MarkCopy(bool on) override;
    // Own and each child's.
    void ResetAttributes(EDsResetAttributeAction action) override;
    // Own and each child's.
    void SetOnTopFlag(bool on) override;
    // Own and each child's.
    void SetRenderMode(ERenderMode mode) override;
    // Own and each child's.
    void SetDrawMode(eDsDrawMode mode) override;
    // See the header comment.
    bool IsHidden() override;
    // 26.
    EDsItemsType GetItemType() override;
    // The stored component id.
    int GetComponentId() override;
    // This group by the base rule, else the first child that finds one.
    CDsItemBase* FindDsItem(int componentId, int pid, bool detachedOnly) override;
    // This group when it shows `entity`, else the first child that finds one.
    CDsItemBase* FindDsItem(const ENTITY* entity) override;
    // The base detaching; the component id becomes `componentId`.
    void DetachEntity(int componentId) override;
    // False for another component id (or without the entity-type service for an entity); else
    // the base rule.
    bool AttachEntity(ENTITY* entity, int componentId, int pid) override;
    // The stored transform, else the process-wide identity.
    const SPAtransf& GetTransformation() override;
    // Copies the group's matrix into `matrix`.
    void GetTransformation(CDsMatrix& matrix) override;
    using CDsItemBase::SetTransformation;
    // The group's transformation becomes `transform`.
    void SetTransformation(const SPAtransf& transform) override;
    using CDsItemBase::MultiplyTransformation;
    // The group's transformation becomes stored x `transform`.
    void MultiplyTransformation(const SPAtransf& transform) override;
    // Each child's geometry (the group's own transformation stays).
    void Transform(const SPAtransf& transform) override;
    // Unless hidden: each child's Refresh, the pen it found given back after it (CDsGlPenSaver).
    void Refresh(view3d& view) override;
    // Each child's DrawAlone.
    void DrawAlone(view3d& view) override;
    // Unless hidden: each child's (for all children when `entity` is the group's own).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Unless hidden: the group's attributes, then each child's.
    void DrawToFrontBuffer(view3d& view) override;
    // Draws the group over in the view's background colour.
    void Erase(view3d& view) override;
    // Unless hidden or flag 8: the group's attributes, then each child's.
    void Plot(view3d& view) override;
    // Nothing with flag 2 while `view`'s document flag 4 is set; else, unless the hide level
    // hides the group, each child's.
    void DrawGeometry(view3d& view) override;
    // Whether any child is hit.
    bool Pick(view3d* view) override;
    // Unless hidden: asks every child, offering each hit to the manager when it reports a level;
    // whether any child was hit.
    bool Pick(pick_manager* manager) override;
    using CDsItemBase::PickRefPoint;
    // Unless hidden: the first child's reference point.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // Nothing.
    void PickClosest(CDsItemsIdBuffer& buffer) override;
    // Unless hidden: the group's entity, then each child's.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    // Unless hidden: each child's.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // Each child's.
    void ComputeBounds2D(view3d* view) override;
    // The group, then each child.
    void CountStatistics(CDsStatisticsItems* statistics) override;
    // The children's results, or-ed.
    long DrawPoints(view3d& view, long mask) override;
    // The sum over the children (a negative count taken as 0), counted anew.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // The vertices of the child that holds vertex `index` of the group, its own vertices counted
    // from where the earlier children's end: the group's index of the child's next polygon, else
    // of the next child's first vertex (-1 after the last child); -1 when no child holds `index`.
    // A walk from index 0 to -1 asks each child for its count once (see the header comment).
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // The same, the child's vertices in double precision (its GetPlacedVertices).
    int GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed, int& count) override;
    // The first child's point; false without one.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // The children's kinds, or-ed.
    int GetDrawPrimitives() override;
    // Each child's (no hidden test), the pen it found given back after it (CDsGlPenSaver); while
    // OpenGL selects or takes feedback (a pick, which records no pen), after the last child only.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The children's boxes united into `box`; true when it is not empty.
    bool GetBoundBox(SPAbox& box) override;
    // Whether a child has a box.
    bool HasBoundBox() override;
    // The first child's buffers.
    bool GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds, std::vector<CDsGeometry::sVerticesBuffer>& buffers,
                           int index) override;

    // --- Group-only operations (neutral answers here) -------------------------------------
    // False.
    virtual bool GetBox(CGmPosition& low, CGmPosition& high, bool exact);
    // Null.
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event, std::vector<CDsItemEdge*>& edges, int kind,
                                      const CDsTypeMask& types);
    // Null.
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event, const ENTITY_LIST& entities, const CDsTypeMask& types);
    // 0.
    virtual int TestBodyFaces(const CDsTypeMask& types);
    // 0.
    virtual int TestBodyFaces(entity_filter* filter);
    // 0.
    virtual int TestBodyEdges(const CDsTypeMask& types);
    // 0.
    virtual int TestBodyEdges(entity_filter* filter);
    // 0.
    virtual int TestBodyWire(const CDsTypeMask& types);
    // Nothing.
    virtual void OpenGlPick(view3d* view);
    // Nothing.
    virtual void GetDsEdgesOnTop(std::vector<CDsItemEdge*>& edges);
    // Nothing.
    virtual void PickEdges(view3d* view, std::vector<CDsItemEdge*>& edges, ENTITY_LIST& picked);
    // Nothing.
    virtual void PickEdges(view3d* view, ENTITY_LIST& picked, ENTITY_LIST* candidates);
    // False.
    virtual bool PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve);
    // The group has no transformation afterwards.
    virtual void ResetTransformation();
    // 0.
    virtual int FacesCount();
    // Nothing.
    virtual void GetDsEdges(const ENTITY_LIST& entities, std::vector<CDsItemEdge*>& edges);
    // Nothing.
    virtual void ReFacetBody();
    // Nothing.
    virtual void ReconnectPolylines(CVyrMeshInterface* meshes);
    // True.
    virtual bool CheckExtremesOverlap(view3d* view);
    // False when hidden; else true without `testExtremes`, or when CheckExtremesOverlap or
    // `acceptOutside` holds.
    virtual bool IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside);
    // False.
    virtual bool IsBodyConicalFaceOwner();

    // --- Children and flags ---------------------------------------------------------------
    // The number of children.
    int Count() const { return static_cast<int>(m_children.size()); }
    // The child at `index`, null outside 0..Count()-1.
    CDsItemBase* Get(int index) const;
    // The child at `index`, unchecked (the caller guarantees the range).
    CDsItemBase* GetFast(int index) const { return m_children[static_cast<size_t>(index)]; }
    // The children.
    std::vector<CDsItemBase*>& GetDsItems() { return m_children; }
    // Child 0 (a body's faces group), null without children.
    CDsItemBase* GetDsFaces() const { return Get(0); }
    // Child 1 (a body's edges group), null with fewer than two children.
    CDsItemBase* GetDsEdges() const { return Get(1); }
    // Sets flag `flag`.
    void SetFlag(EDsItemFlags flag)
    {
        SetFlags(CDsFlags(static_cast<unsigned short>(m_flags.GetValue() | static_cast<unsigned short>(flag))));
    }
    // Clears flag `flag`.
    void ResetFlag(EDsItemFlags flag)
    {
        SetFlags(CDsFlags(static_cast<unsigned short>(m_flags.GetValue() & ~static_cast<unsigned short>(flag))));
    }
    // Flag `flag`.
    bool GetFlag(EDsItemFlags flag) const { return m_flags.Get(static_cast<unsigned short>(flag)); }
    // Replaces the whole flag word (a face's document-hide flags switched count as a change of
    // a face: see CDsItemBase::StFaceChanges).
    void SetFlags(CDsFlags flags);
    // The whole flag word.
    CDsFlags GetFlags() const { return m_flags; }
    // The inherit-colour flag of the group and of each direct child (one level only).
    void SetInheritColorState(bool inherit);
    // Whether the group holds a transformation that is not the identity.
    bool HasTransformation() const;
    // Nothing.
    void DebugVector() {}

protected:
    // The scene of a rendering context files groups into its root groups.
    friend class CDsGlScene;
    // The body sketch adds the display curves of a face to a group of the face.
    friend class CDsGlSketch;
    // A body group fills its faces and edges groups.
    friend class CDsItemsBody;
    // The figure generator places the items it makes in the groups it builds.
    friend class CDsFigureGenerator;
    // The transformation bracket of a pass reads the group's matrix.
    friend void DsPushItemTransformation(view3d* view, CDsItemsGroup* group);
    friend void DsPopItemTransformation(view3d* view, CDsItemsGroup* group);

    // Appends `item` (owned from here on); null and a child already held are ignored.
    void Add(CDsItemBase* item);
    // Deletes child `item`, its slot taken by the last child; false when it is not a child.
    virtual bool Remove(CDsItemBase* item);
    // Deletes the child at `index` and moves the later ones down (order kept); nothing outside
    // the range.
    void Remove(int index);
    // As Remove(item) without deleting it; false when it is not a child.
    bool Disconnect(CDsItemBase* item);
    // Empties the children without deleting any.
    void DisconnectAll();
    // At or past the end: Add; inside: the old child is deleted and `item` takes its slot;
    // negative, or `item` a child of another slot: nothing.
    void Replace(int index, CDsItemBase* item);
    // Deletes every child.
    void CleanAll();
    // Reserves room for `count` children.
    void Reserve(int count) { m_children.reserve(count > 0 ? static_cast<size_t>(count) : 0); }
    // Room for one child, component id 0.
    void ResetMembers();
    // The first child, null without children.
    CDsItemBase* GetFirst() const { return m_children.empty() ? nullptr : m_children.front(); }
    // The last child, null without children.
    CDsItemBase* GetLast() const { return m_children.empty() ? nullptr : m_children.back(); }
    // With a transformation: pushes the model-view matrix and multiplies it (OpenGL).
    void PushMatrix();
    // With a transformation: pops the model-view matrix.
    void PopMatrix();
    // With a transformation: hands it to the view as its model transform (printing).
    void PushMatrixGdi(view3d& view);
    // With a transformation: clears the view's model transform.
    void PopMatrixGdi(view3d& view);
    // The group's matrix.
    CDsMatrix& GetMatrix() { return m_matrix; }
    // Sets the component id (as DetachEntity keeps it, without detaching).
    void SetComponentId(int componentId) { m_componentId = componentId; }

private:
    // The end of each child's vertices of `kinds` among the group's (its count plus the earlier
    // children's): those kept, unless `recount` or they may be stale (see the header comment).
    const std::vector<int>& VertexEnds(CDsGeometry::eDrawPrimitives kinds, bool recount);
    // The child holding vertex `index` of the group (the first whose vertices end beyond it), where
    // the earlier children's vertices end (`base`) and where its own do; false when none holds it.
    bool HolderOf(CDsGeometry::eDrawPrimitives kinds, int index, size_t& child, int& base, int& end);

    std::vector<CDsItemBase*> m_children;
    std::vector<int> m_vertexEnds;         // see VertexEnds
    int m_vertexEndsKinds = 0;             // the kinds they count
    uint64_t m_vertexEndsChanges = 0;      // StVertexCountChanges when they were counted
    bool m_vertexEndsKnown = false;        // whether they were counted at all
    CDsFlags m_flags;
    int32_t m_componentId = 0;
    CDsMatrix m_matrix;
};
