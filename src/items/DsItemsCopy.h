// CDsItemsCopy: an existing display group shown a second time under a transformation of its own,
// without copying its items: how an instance (a copy of a body, a wire or another displayed
// entity placed elsewhere) is displayed. The copy holds the copied group (not owned), a copy mode
// taken from its entity (0 a BODY, 1 a wire body or WIRE, 5 anything else), a box of the copied
// group under the copy's transformation, its own attributes, and two lists of items of the copied
// group that are highlighted or marked in this copy only (held, never owned). Its own child vector
// stays empty.
//
// Drawing and picking push the copy's transformation (PushTransformation: onto the OpenGL
// model-view stack; for a copy of a coordinate system or point also to the view as its model
// transform, and then only that outside a fast refresh) and hand the work to the copied group.
// Refresh and DrawAlone draw mode-5 copies only (the mark list takes effect there). A copy of a body
// or a wire (modes 0 and 1) is drawn into the front buffer (DrawToFrontBuffer: under its
// transformation, with its highlighted items), plotted, measured and picked; a frame shows it only
// through a scene-database geometry the host files for it, as for every model entity.
//
// GL selection (OpenGlPick, mode 0): the copy's selection name, then the copied body's own names
// (body, face), so that a hit record names the copy, the body and the face; the selection picks of
// the pick processor turn such a triple into the copy's entity of the face.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetBody (a new copied group) empties the highlight and mark lists: they point into the old
//   group, which may be gone. A new body drops the copy's highlights and marks.
// - ResetAttributes empties the lists by bit: bit 1 the highlight list, bit 2 the mark list (so 3
//   empties both), before clearing the copy's own flags.
// - The two lists are plain vectors of pointers rather than groups: they hold without owning, and
//   nothing can delete what they hold through them. An item that goes (a face the modeler
//   deletes, a body removed) leaves every copy's lists as it is destroyed (StForgetItem, called by
//   the item base's destructor through a process-wide index of the lists' entries), so that no
//   list outlives its items; a copy that goes first takes its entries out of that index.
// - ReleaseBody (the copied group leaves the scene, CDsGlScene::RemoveItemsGroup) also empties
//   the copy box: it measured a group that may be deleted next, and a detached copy has no extent.
// - A copy never outlives what it copies, whatever group it was given (SetBody takes any group:
//   a body, or a face item of one when the copy's new entity is a face): a copied group that is
//   destroyed, by whatever road (its body removed, the face alone removed, a group the host took
//   out of the scene and deleted), is let go by its copies (ReleaseBody) from the item base's
//   destructor (StForgetItem), through a process-wide index of the copies by copied group, which
//   each copy keeps up to date as it changes or drops its copied group and as it goes.
// - The copy's last own virtual (HandleCopyRequest) is a request that classes derived from the
//   copy may answer; the copy itself answers none (false).
// - Around the copied body's pick the body's screen-rectangle test (its status bit 3) is switched
//   off and then put back as it was found, rather than switched on.
// - GetTransformedEdgePolyline answers the body's positions of the edge (already under the
//   body's own placement) multiplied by the copy's transformation.
// - Mode 5 draws through the copied group's Refresh; a copy whose copied group is hidden draws
//   nothing, as the group does not draw itself.
//
// PickClosest (mode 0) names the copy as the buffer's current copy and pushes the copy's
// transformation on the buffer's owner stack around the copied body's own, so that the cells the
// copy covers name the copy and the copied body's face seen there; afterwards the owner stack is
// as the copy found it and no copy is current.
//
// The reference-point pick of a body copy (modes 0 and 1) first asks for the apex of a cone, when
// the copied body has a conical face that is not a cylinder and the mask admits the apex's kind
// (256): the face the window shows under the cursor (CDsItemsBody::ShownFaceUnderCursor, the
// copied body's faces under the copy's transformation) must be a cone of the copied body; its
// apex, placed by the body's item, is moved by the copy's transformation and kept when the pick
// processor's point mask is 256 or the apex lies in the pick aperture (CDsRefPoint::StIsPicked),
// and the window shows it (the cone as drawn reaches it, and DsIsPointShown). Its reference
// entity is the copy's face. The apex pick ends the pick session
// (CDsGlContext::StEndPickSession), as the body's does.
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsItemsGroup.h"

#include <vector>

class CGmPosition;
class EDGE;
class SPAposition;

// The display of an instance: a group shown again under the copy's transformation.
class AFX_EXT_CLASS CDsItemsCopy : public CDsItemsGroup {
public:
    // The material record the GL material helpers read: {1 opaque / 2 translucent, attributes}.
    struct SMaterial {
        int32_t state = 1;                              // 1 opaque, 2 translucent
        CDsLineAttribStorage* attributes = nullptr;     // the copy's own attributes (not owned)
    };

    // A copy of `copied` (not owned; may be null) showing `entity` in `context` (either may be
    // null): the copy mode and placement flag from the entity, the transformation of the entity's
    // copy (CVyrAsExt::GetTransformation), the box of the copied group under it.
    CDsItemsCopy(CDsItemsGroup* copied, ENTITY* entity, CDsGlContext* context);
    // Empties both lists and forgets the copied group; nothing of them is deleted.
    ~CDsItemsCopy() override;

    // --- Own operations -------------------------------------------------------------------
    // The copied group becomes `copied` (may be null); both lists emptied; the box recomputed.
    void SetBody(CDsItemsGroup* copied);
    // The copied group goes: forgotten, both lists and the box emptied (SetBody with null).
    void ReleaseBody();
    // Takes `item` out of the highlight and mark lists of every copy, and lets every copy of it go
    // (ReleaseBody), as the item is destroyed.
    static void StForgetItem(const CDsItemBase* item);
    // `item` moved (a body, a face of one): every copy whose copied group is the item, a group
    // above it or an item below it empties its box, measured again when next used.
    static void StItemMoved(const CDsItemBase* item);
    // The copied group, null without one.
    CDsItemsGroup* GetBody() const { return m_copied; }
    // The copy mode: 0 body, 1 wire, 5 other.
    int GetCopyMode() const { return m_mode; }
    // True for mode 5 with a copied group whose first child is an STL polygon set.
    bool IsStlCopy() const;
    // Whether the copy's entity is a coordinate system or a point.
    bool GetPlacementFlag() const { return m_placement; }
    // Whether the copy draws in its own attributes.
    bool GetOwnAttributesFlag() const { return m_ownAttributes; }
    // The box of the copied group under the copy's transformation.
    const CDsBox& GetCopyBox() const { return m_box; }
    // Empties the copy box, so that it is measured again when next used (ExpandBox).
    void InvalidateCopyBox() { m_box.ResetMembers(); }
    // The material record.
    const SMaterial& GetMaterial() const { return m_material; }
    // The items highlighted in this copy only.
    const std::vector<CDsItemBase*>& GetHighlightList() const { return m_highlights; }
    // The items marked in this copy only.
    const std::vector<CDsItemBase*>& GetMarkList() const { return m_marks; }
    // The copy's transformation: to the view as its model transform for a copy of a coordinate
    // system or point (only that outside a fast refresh); onto the OpenGL model-view stack.
    void PushTransformation(view3d* view);
    // Undoes PushTransformation.
    void PopTransformation(view3d* view);
    // MarkCopy(on) on every item of the mark list.
    void MarkChildrenCopy(bool on);
    // Highlight (level 4) `on` for every item of the highlight list.
    void SetChildrenVisibility(bool on);
    // Mode 0: the copied body's edge count; 0 otherwise.
    virtual int EdgesCount();
    // Modes 0 and 1: the copied body's positions of the edge of `edge`'s real entity, each under
    // the copy's transformation (a new array the caller frees with delete[]); null (count 0)
    // without a body or points.
    virtual SPAposition* GetTransformedEdgePolyline(int& count, view3d* view, EDGE* edge);
    // A request (`request`, with `data`) that a class derived from the copy may answer; the copy
    // answers none: false.
    virtual bool HandleCopyRequest(int request, void* data);

    // --- The item protocol ----------------------------------------------------------------
    // Nothing.
    void DrawGl(view3d& view) override;
    using CDsItemsGroup::SetAttributes;
    // The copy's own attributes only.
    void SetAttributes(const CDsLineAttribStorage& attributes, bool recurse) override;
    using CDsItemBase::GetAttribute;
    // Own-attributes kind: the flag; hide level: the copy's.
    void GetAttribute(CDsAttribute& attribute) override;
    using CDsItemsGroup::SetAttribute;
    // Own-attributes kind: the flag (non-zero data); any other kind as the item base takes it (a
    // hide level also has the context draw its whole picture again at the next refresh).
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    // The copy's colour (own, no longer inherited); the material state from the transparency.
    void SetColor(const CDsColorStorage& color, bool recurse) override;
    // The copy's style when 0 to 31.
    void SetStyle(int style, bool recurse) override;
    // The copy's width when 1 to 8.
    void SetWidth(int width, bool recurse) override;
    // The copy's transparency, clamped to 0..1.
    void SetTransparency(float transparency) override;
    // Level 4: the item of `entity` in the highlight list, level 3 in the mark list (added with
    // `on`, never twice; removed without); other levels: the copy's own.
    void SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY* entity) override;
    // The copy's own.
    void SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on) override;
    // Bits 1 and 2 empty the highlight and mark lists; then the copy's own flags by bit.
    void ResetAttributes(EDsResetAttributeAction action) override;
    // 30.
    EDsItemsType GetItemType() override;
    using CDsItemsGroup::SetTransformation;
    // The copy's transformation; the box recomputed; the context draws its whole picture again at
    // the next refresh and measures the scene's boxes anew.
    void SetTransformation(const SPAtransf& transform) override;
    using CDsItemsGroup::MultiplyTransformation;
    // The copy's transformation followed by `transform`; the box recomputed; the context told as
    // by SetTransformation.
    void MultiplyTransformation(const SPAtransf& transform) override;
    // Nothing (the copied items are not the copy's).
    void Transform(const SPAtransf& transform) override;
    // Mode 5, not hidden: the copied group again under the copy's transformation (its marks and
    // own attributes applied).
    void Refresh(view3d& view) override;
    // Mode 5: the copied group's DrawAlone under the copy's transformation.
    void DrawAlone(view3d& view) override;
    // Unless hidden: the copied group's extents under the copy's transformation.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Unless hidden: the copied group's highlight under the copy's transformation, with the
    // copy's highlighted items highlighted meanwhile.
    void DrawToFrontBuffer(view3d& view) override;
    // Unless hidden: the copied group printed under the copy's transformation.
    void Plot(view3d& view) override;
    // Mode 5: the copied group's pick under the copy's transformation, at a level of its own;
    // what the copied group answers.
    bool Pick(pick_manager* manager) override;
    using CDsItemsGroup::PickRefPoint;
    // Modes 0 and 1: a cone's apex (see the header comment), else the copied body's reference
    // point, under the copy's transformation, for the copy's entity of the hit entity (the caller
    // owns it); null when none.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // As the first form over the listed edges.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, std::vector<CDsItemEdge*>& edges, int kind,
                              const CDsTypeMask& types) override;
    // As the first form over the edges of the listed entities.
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const ENTITY_LIST& entities, const CDsTypeMask& types) override;
    // Mode 0, unless hidden, when the copy overlaps the pick in the current view: the copied body's
    // faces into `buffer` under the copy's transformation, named as seen through this copy.
    void PickClosest(CDsItemsIdBuffer& buffer) override;
    // Unless hidden: the copy's entity, or its faces or edges, as the data asks for them.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    // Grows `box` by the copy box (computed first when empty).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The copy box's screen rectangle in `view` (the box measured first when it is empty).
    void ComputeBounds2D(view3d* view) override;

    // --- Group operations -----------------------------------------------------------------
    // `world`: the copy box; otherwise the copy box in the copied group's coordinates (measured
    // first when it was emptied, e.g. by a move of the copied body). True.
    bool GetBox(CGmPosition& low, CGmPosition& high, bool world) override;
    // Mode 0: the copied body's.
    int TestBodyFaces(const CDsTypeMask& types) override;
    // The filter's first non-zero answer on a face of the copy's entity.
    int TestBodyFaces(entity_filter* filter) override;
    // Modes 0 and 1: the copied body's.
    int TestBodyEdges(const CDsTypeMask& types) override;
    // The filter's first non-zero answer on an edge of the copy's entity.
    int TestBodyEdges(entity_filter* filter) override;
    // Modes 0 and 1: the copied body's.
    int TestBodyWire(const CDsTypeMask& types) override;
    // Mode 0, when the copy overlaps the pick: the copied body's selection under the copy's name
    // and transformation, its flag gate taken from the copy.
    void OpenGlPick(view3d* view) override;
    // Mode 0: the copied body's.
    void GetDsEdgesOnTop(std::vector<CDsItemEdge*>& edges) override;
    // Mode 0, when the copy overlaps the pick: the copied body's under the copy's transformation.
    void PickEdges(view3d* view, std::vector<CDsItemEdge*>& edges, ENTITY_LIST& picked) override;
    // Modes 0 and 1, when the copy overlaps the pick: the copied body's under the copy's
    // transformation, its flag gate taken from the copy.
    void PickEdges(view3d* view, ENTITY_LIST& picked, ENTITY_LIST* faces) override;
    // False.
    bool PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve) override;
    // Mode 0: the copied body's.
    int FacesCount() override;
    // Mode 0: the copied body's.
    void GetDsEdges(const ENTITY_LIST& entities, std::vector<CDsItemEdge*>& edges) override;
    // True in the duplicate-edges mode, a region pick or with a model transform on the view (the
    // copy asked where the scene database places it); else whether the copy's screen rectangle
    // meets the view's pick aperture.
    bool CheckExtremesOverlap(view3d* view) override;
    // Modes 0 and 1: the copied body's.
    bool IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside) override;
    // Mode 0: the copied body's.
    bool IsBodyConicalFaceOwner() override;

private:
    // The copied group as a body, null for another group or none.
    class CDsItemsBody* Body() const;
    // The box emptied and, with a copied group, grown by it under the copy's transformation.
    void RecomputeBox();
    // The material state from the transparency (1 opaque, 2 otherwise).
    void UpdateMaterialState();
    // The item of `entity` in the copy's context, else of its real entity; null when none.
    CDsItemBase* FindItem(ENTITY* entity) const;
    // Whether an entity passes the select-all tests (item shown, main filter, second filter).
    bool Accepts(CDsSelectAllData& data, ENTITY* entity, bool wireFilter) const;
    // The apex of a cone under the event (see the header comment), null when none.
    CDsRefPoint* PickApexRefPoint(CUiPickEvent& event, const CDsTypeMask& types);
    // The reference point of a hit of the copied body, turned into the copy's (see PickRefPoint).
    CDsRefPoint* CopyRefPoint(CDsRefPoint* hit);
    // The copied group becomes `copied` (may be null), recorded in the process-wide index of
    // copies by copied group (see the header comment).
    void Follow(CDsItemsGroup* copied);
    // Appends `item` to `list` (one of the two) and records the entry.
    void ListItem(std::vector<CDsItemBase*>& list, CDsItemBase* item);
    // Takes `item` out of `list` and forgets the entry; nothing when it is not there.
    void UnlistItem(std::vector<CDsItemBase*>& list, CDsItemBase* item);
    // Empties `list`, forgetting its entries.
    void EmptyList(std::vector<CDsItemBase*>& list);

    CDsItemsGroup* m_copied = nullptr;
    int32_t m_mode = 5;
    CDsBox m_box;
    std::vector<CDsItemBase*> m_highlights;
    std::vector<CDsItemBase*> m_marks;
    SMaterial m_material;
    bool m_placement = false;
    bool m_ownAttributes = false;
};
