// TDsNodeHeader, CDsItemToolpathPolyline and CDsItemToolpathPolylinePlanar: one branch of a
// machining toolpath (CDsItemsToolpath) as a sequence of segment nodes. Each node carries its own
// id, an index into the display manager's active attributes palette and its points: one point
// inline (flag bit 2) or an owned array of points. Every node can so have its own colour and
// style, and can be hidden on its own.
//
// The path of a branch runs through the points of its nodes in order. Each node owns the segments
// that start at its points: those between its own points and the one from its last point to the
// next node's first point. A segment is drawn (and picked) in its node's palette entry unless that
// entry hides it: the colour changes at nodes. A run of nodes with the same index is drawn as one
// line strip; at each change of index the strip is ended at the new node's first point and a new
// one begins there with the new entry applied. Attributes are never applied inside glBegin, and
// every glBegin has its glEnd.
//
// The palette is read through its own apply and hide tests: without an active palette, or with a
// palette without entries, nothing is applied and nothing hidden, so the branch draws in the
// enclosing attributes.
//
// Special sets: a branch whose own attributes are highlighted, marked, dimmed or at visibility
// level 5 to 7, or that is drawn for a location in a special state (the view's location state is
// not 0, as while the context highlights or decorates locations), is drawn wholly in the
// attributes it was given (its own on the scene walk, or the walk's), as a polyline is: the
// palette's entries still hide segments but apply no colour, style or width. A highlighted
// toolpath figure so shows its highlight in the highlight draw and in every later frame.
//
// Node markers: with the view's document flag 22 on and outside fast refreshes (view flag 3), the
// first point of every shown node is drawn as a black point of 7 pixels, and the last point of the
// last shown node that holds an array of more than one point; the point size is put back.
//
// A planar branch keeps its points in one plane of constant z (the plane height): its nodes' x and
// y are read at that height. It is not drawn on the OpenGL road (DrawGl draws nothing); it has
// extents and picks.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A pick tests the branch's real segments (each node's array, not only an inline point), the
//   segments a hidden entry hides left out as in drawing; the box and the extremes hold only the
//   points of what is drawn (a shown node's points and the next node's first point, where its
//   last segment ends), so a branch whose entries hide it wholly has no box. The planar branch
//   picks and measures its segments by the same rule. A hit offers one level (the branch and
//   its entity) to the pick manager and takes it off again; the node hit is kept
//   (GetPickedNode).
// - The view's own pick (Pick(view3d*)), the road by which a recorded figure is picked and
//   measured, answers as the pick through a pick manager for a view in pick mode (without a
//   level) and takes the branch's extremes for a measuring view, and the branch has the box of
//   its points (GetBoundBox): a toolpath in a figure is found by the single pick, fitted by
//   ZoomAll and inside the scene's box, as a polyline through the same points is.
// - A node without points has no segment; the path goes on from the node before it to the node
//   after it.
// - AddSubItem takes a copy of a given node (the caller keeps its own), named by the id given;
//   a geometry that is no node adds nothing.
// - Edits by uid path put the path's cursor back for each child or node they ask, so that a node
//   or branch after a non-matching sibling is still found. A node added or removed, or an index
//   that changes, is told as the item's own hide level is (NoteContentChanged), so that the next
//   refresh, the boxes and the picks follow it; AddSegment, which builds the branch, tells nothing.
#pragma once

#include <afx.h>

#include "DsItemBase.h"
#include "DsUid.h"
#include "DsVertices.h"

#include <cstdint>
#include <functional>
#include <vector>

class CDsAttributesPalette;

// One segment node of a toolpath branch.
struct AFX_EXT_CLASS TDsNodeHeader : public IDsGeometry {
    // Flag bit 2: the node holds one point inline.
    static constexpr uint32_t kSinglePoint = 0x4;
    // The geometry kind nodes answer (GetGeometryKind).
    static constexpr int kGeometryKind = 44;

    // A node of one inline point (x, y, z).
    static TDsNodeHeader* StCreatePoint(const CDsUid& id, unsigned char attributeIndex, float x, float y, float z);
    // A node of an owned copy of `count` points (three floats each); none for a count below 1 or
    // null points (the node then has no points).
    static TDsNodeHeader* StCreatePoints(const CDsUid& id, unsigned char attributeIndex, int count,
                                         const float* points);

    // Id 0, index 0, no points.
    TDsNodeHeader() = default;
    // A deep copy (its own point array).
    TDsNodeHeader(const TDsNodeHeader& other);
    // A deep copy.
    TDsNodeHeader& operator=(const TDsNodeHeader& other);
    // Frees the point array.
    ~TDsNodeHeader() override;

    // kGeometryKind.
    int GetGeometryKind() const override { return kGeometryKind; }
    // Whether the node holds one point inline.
    bool IsSinglePoint() const { return (flags & kSinglePoint) != 0; }
    // The number of points (1 for an inline point).
    int GetPointCount() const { return IsSinglePoint() ? 1 : (pointCount > 0 && points ? pointCount : 0); }
    // The points, three floats each (the inline point, or the array); null without points.
    const float* GetPoints() const { return IsSinglePoint() ? point : (GetPointCount() > 0 ? points : nullptr); }

    // The node's id.
    CDsUid id;
    // Index into the active attributes palette.
    uint8_t attributeIndex = 0;
    // Flags (bit 2: inline point).
    uint32_t flags = 0;
    // The inline point.
    float point[3] = {0.0f, 0.0f, 0.0f};
    // The number of points of the array.
    int32_t pointCount = 0;
    // The array, three floats a point (owned), null for an inline point.
    float* points = nullptr;
};

// One branch of a toolpath.
class AFX_EXT_CLASS CDsItemToolpathPolyline : public CDsItem {
public:
    // The branch `id`, no nodes.
    explicit CDsItemToolpathPolyline(const CDsUid& id);
    // Deletes every node.
    ~CDsItemToolpathPolyline() override;

    // --- The item protocol ----------------------------------------------------------------
    // The nodes' strips, in their palette entries unless the branch is in a special set, and
    // markers (see the header comment).
    void DrawGl(view3d& view) override;
    using CDsItem::SetAttributes;
    // With `all`, or when the path ends at this branch: every node's index becomes `index`'s;
    // when the path goes on below it: the first node the path names gets it.
    void SetAttributes(CDsUidPath& path, const CDsAttributesIndex& index, bool all) override;
    // 44.
    EDsItemsType GetItemType() override;
    // The branch's id.
    CDsUid GetDsUid() override;
    // When the path ends at this branch: a copy of `geometry` (a node), named `id`, appended.
    void AddSubItem(const CDsUidPath& path, const CDsUid& id, const IDsGeometry* geometry) override;
    // When the path ends at this branch: the first node named `id` removed and deleted.
    void RemoveSubItem(const CDsUidPath& path, const CDsUid& id) override;
    // The points of the drawn segments through the measuring view, one by one.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Unless hidden: whether a segment of the branch lies under the pick (see the header comment).
    bool Pick(pick_manager* manager) override;
    // Unless hidden: a measuring view (not in pick mode) takes the branch's extremes (true); a view
    // in pick mode answers whether a segment lies in its pick region, as the pick through a pick
    // manager does, without offering a level; any other view: false (toolpaths are not printed).
    bool Pick(view3d* view) override;
    // Grows `box` by the points of the drawn segments (under `transform` when given).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The box of the drawn segments' points (ExpandBox of an empty box); false, and an empty box,
    // when nothing is drawn (the branch, or a group above it, hidden included).
    bool GetBoundBox(SPAbox& box) override;
    // Lines: unless hidden, the item's attributes (with `applyAttributes`), then DrawGl.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // Lines.
    int GetDrawPrimitives() override;

    // --- Own operations -----------------------------------------------------------------
    // Appends `node` (owned from now on); nothing for null.
    void AddSegment(TDsNodeHeader* node);
    // The number of nodes.
    int GetNodeCount() const { return static_cast<int>(m_nodes.size()); }
    // Node `index`, null outside 0..count-1.
    const TDsNodeHeader* GetNode(int index) const;
    // The node whose segment the last successful pick hit, null before one.
    const TDsNodeHeader* GetPickedNode() const { return m_picked; }

protected:
    // 0: toolpaths are not printed.
    int DrawGdi(view3d& view) override;
    // The node whose segment lies in `view`'s pick region (the first in path order), null when
    // none; segments a hidden palette entry hides are left out.
    const TDsNodeHeader* FindHitNode(view3d& view) const;
    // A hit (non-null) kept as the picked node and offered to `manager` under one level of the
    // branch, taken off again; whether there was one.
    bool OfferHit(pick_manager& manager, const TDsNodeHeader* hit);
    // A hit (non-null) kept as the picked node; whether there was one.
    bool KeepHit(const TDsNodeHeader* hit);
    // A measuring view outside pick mode takes the branch's extremes (DrawExtremes): true; any
    // other view: false.
    bool Measure(view3d& view);
    // Whether the branch is drawn in one set of attributes rather than in its nodes' palette
    // entries (see the header comment).
    bool DrawsInOneSet(const view3d& view) const;
    // Each point of the drawn segments, in path order: a node's points unless the active palette's
    // entry hides the node, and the first point of the next node with points, where the node's
    // last segment ends (see the header comment). A last node of one point after a hidden node (or
    // none) draws no segment and gives no point.
    void VisitShownPoints(const std::function<void(const float*)>& visit) const;
    // The nodes, in path order.
    std::vector<TDsNodeHeader*> m_nodes;
    // The node of the last pick hit.
    const TDsNodeHeader* m_picked = nullptr;

private:
    CDsUid m_id;
};

// A branch whose points lie in the plane of constant z.
class AFX_EXT_CLASS CDsItemToolpathPolylinePlanar : public CDsItemToolpathPolyline {
public:
    // The branch `id` in the plane at height `z`.
    CDsItemToolpathPolylinePlanar(const CDsUid& id, float z);

    // Nothing (see the header comment).
    void DrawGl(view3d& view) override;
    // Grows `box` by the segments' points (x, y) at the plane height.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The segments' points (x, y) at the plane height, one by one, through the measuring view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Unless hidden: whether a segment between consecutive points (at the plane height) whose
    // first point's node is not hidden by its entry lies under the pick; a hit is offered as the
    // branch's.
    bool Pick(pick_manager* manager) override;
    // As the branch's, with the segments at the plane height.
    bool Pick(view3d* view) override;
    // Null.
    CDsRefPoint* PickRefPoint(pick_manager* manager, CDsRefPointFilter* filter) override;
    using CDsItemToolpathPolyline::PickRefPoint;
    // 46.
    EDsItemsType GetItemType() override;
    // The plane height.
    float GetPlaneHeight() const { return m_z; }

protected:
    // The node of the first segment between consecutive points (at the plane height) in `view`'s
    // pick region, null when none.
    const TDsNodeHeader* FindPlanarHitNode(view3d& view) const;

private:
    float m_z = 0.0f;
    [[maybe_unused]] int32_t m_reserved = 0;  // reserved in the branch's layout; always 0
};

// Puts the cursor of `path` at `index` (the cursor a walk found before asking a child).
AFX_EXT_API void DsSetUidPathIndex(const CDsUidPath& path, int index);
