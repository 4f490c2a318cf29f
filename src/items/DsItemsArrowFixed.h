// CDsItemsArrowFixed and CDsItemsArrowReference: arrows whose size is given in screen pixels, so
// that they keep their size on screen whatever the zoom. The fixed arrow is anchored at a model
// point and points away from it along a model direction; the reference arrow is pinned to a place
// of the viewport (distances back from its upper-right corner) and builds a temporary fixed arrow
// for every operation. The arrow figures and the coordinate-system triads make them.
//
// The fixed arrow is rebuilt from the view before each draw, pick and bound: its children are the
// head (a closed 2-D polyline of four points), the two lines of the shaft (2-D polylines, one
// pixel either side of the axis) and a marker (a fixed point of style 6 at the near end, or a
// reference point of style 9 for a screen-fixed arrow). Window points are taken with rows counted
// up (the 2-D polylines' convention): an arrow pointing up on screen has its apex above its tail.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An arrow whose tip projects onto its tail (pointing straight at the viewer, of length 0, with
//   a zero direction, or in a view without a scale) has no head and no shaft: only its marker is
//   drawn, and no NaN reaches OpenGL.
// - The rebuild writes the new points into the three polyline children in place (each with a
//   copy of the arrow's attributes) instead of deleting and making them anew: what they draw is
//   the same, without three allocations a frame.
// - Refresh draws head, shaft and marker in one 2-D mode of the view, the arrow's attributes set
//   once for the three strips (each carries a copy of them): what each child's own Refresh would
//   draw, in the same order, without a switch of matrices per child.
// - The reference arrow's Refresh switches depth test, lighting and normalising off for its
//   arrow and back to what it found afterwards, so that what draws next is not left unlit.
// - GetBoundBox2D makes the current view's OpenGL context current through
//   CDsView3dCdc::StGetCurrent.
// - GetBoundBox2D counts from where the base lands in the window, rows down, as the walks read
//   every box anchored at a point (they place it at the point of GetBoundBox, the base): counted
//   from the near end, it would stand a gap away from what is drawn.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "GmPosition.h"

class CDsItemPolyline2D;

// An arrow of a size in pixels anchored at a model point.
class AFX_EXT_CLASS CDsItemsArrowFixed : public CDsItemsGroup {
public:
    // The marker drawn by Refresh and moved by Transform.
    static constexpr uint32_t kFlagMarker = 4;
    // A fast refresh draws a single line.
    static constexpr uint32_t kFlagFastLine = 8;

    // An arrow at `base` along `direction`, `length` pixels long and starting `gap` pixels out
    // from the base; screen-fixed arrows are moved to (viewport width - offset x, viewport height -
    // offset y). The marker is `markerSize` pixels (length / 6 when 0).
    CDsItemsArrowFixed(const CGmPosition& base, const CGmVector& direction, int length, int gap, bool screenFixed,
                       int offsetX, int offsetY, int markerSize);

    // --- Own operations -------------------------------------------------------------------
    // The direction becomes `direction` normalised (the marker's too).
    void SetVector(const CGmVector& direction);
    // Whether a shaft line reports a pick through `manager`.
    bool BodyIsPicked(pick_manager* manager);
    // Whether the head reports a pick through `manager`.
    bool HeadIsPicked(pick_manager* manager);
    // The tip in model space on the current view: base + direction x (length + gap) x units per
    // pixel; false without a current view.
    bool GetTipPosition(SPAposition& tip);
    // Rebuilds the children for `view` (see the header comment).
    void UpdateParts(view3d& view);
    // The arrow flags (4 marker, 8 fast-refresh line).
    uint32_t GetArrowFlags() const { return m_arrowFlags; }
    // Sets the arrow flags.
    void SetArrowFlags(uint32_t flags) { m_arrowFlags = flags; }
    // The base point.
    const CGmPosition& GetBase() const { return m_base; }
    // The direction (normalised; zero for a zero vector).
    const CGmUnitVector& GetDirection() const { return m_direction; }
    // The length in pixels.
    int GetLength() const { return m_length; }
    // The length in pixels (taken at the next rebuild).
    void SetLength(int length) { m_length = length; }
    // The gap in pixels.
    int GetGap() const { return m_gap; }
    // The offsets of a screen-fixed arrow.
    void GetOffsets(int& x, int& y) const { x = m_offsetX; y = m_offsetY; }
    // The head apex (x, y) and the shaft's first point (x, y) of the last build, rows counted up.
    const float* GetScreenExtent() const { return m_extent; }
    // Whether the last build made a head and a shaft (false: the marker only).
    bool HasShape() const { return m_hasShape; }
    // Where the base lands in `view`'s window, rows counted up: its projection, or a screen-fixed
    // arrow's pinned place; false when it does not project.
    bool GetAnchorInWindow(view3d& view, float& x, float& y);

    // --- The item protocol ----------------------------------------------------------------
    // The window box of head, shaft and marker about the window point of the base (a
    // screen-fixed arrow's pinned place), rows counted down from it; false without a current
    // view or where the base does not project.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 27.
    EDsItemsType GetItemType() override;
    // The base and the direction transformed (and the marker with flag 4).
    void Transform(const SPAtransf& transform) override;
    // The single fast-refresh line, or the rebuilt children (the marker with flag 4).
    void Refresh(view3d& view) override;
    // Rebuilt, then every child's geometry.
    void DrawGeometry(view3d& view) override;
    // Rebuilt, then whether a child is picked by the view.
    bool Pick(view3d* view) override;
    // Rebuilt for the manager's view; when head or shaft reports a pick, what the manager's
    // save_current_if_ok answers.
    bool Pick(pick_manager* manager) override;
    // With points asked: rebuilt, then each child's DrawOnTraverse.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of the base point; true.
    bool GetBoundBox(SPAbox& box) override;

private:
    // The polyline child at `index` (0 head, 1 and 2 the shaft), null when missing.
    CDsItemPolyline2D* ShapePart(int index) const;
    // The projection of `p` with rows counted up; false when it does not project.
    static bool Project(view3d& view, const SPAposition& p, float& x, float& y);

    uint32_t m_arrowFlags = 0;
    CGmPosition m_base;
    CGmUnitVector m_direction;
    int m_length = 1;
    int m_gap = 0;
    float m_extent[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool m_screenFixed = false;
    int m_offsetX = 0;
    int m_offsetY = 0;
    bool m_hasShape = false;
};

// An arrow of a size in pixels pinned to a place of the viewport.
class AFX_EXT_CLASS CDsItemsArrowReference : public CDsItemsGroup {
public:
    // An arrow `size` pixels long at `offsetX`, `offsetY` pixels back from the viewport's
    // upper-right corner (either -1: both size x 3 / 2), along `direction` ((1, 0, 0) when null).
    CDsItemsArrowReference(int offsetX, int offsetY, int size, const CGmVector* direction);

    // Whether the temporary arrow's shaft is picked through `manager`.
    bool BodyIsPicked(pick_manager* manager);
    // Whether the temporary arrow's head is picked through `manager`.
    bool HeadIsPicked(pick_manager* manager);
    // The offsets.
    void GetOffsets(int& x, int& y) const { x = m_offsetX; y = m_offsetY; }
    // The size (the arrow's length) in pixels.
    int GetSize() const { return m_size; }
    // The direction.
    const CGmVector& GetDirection() const { return m_direction; }
    // The direction becomes `direction` (the arrow figure turns its arrow with it).
    void SetDirection(const CGmVector& direction) { m_direction = direction; }

    // 28.
    EDsItemsType GetItemType() override;
    // Outside plot mode: the temporary arrow with depth test, lighting and normalising off (then
    // put back as they were).
    void Refresh(view3d& view) override;
    using CDsItemsGroup::Pick;
    // The temporary arrow's pick through the manager's view.
    bool Pick(pick_manager* manager) override;
    // Points and lines, on top (0x1003).
    int GetDrawPrimitives() override;
    // The view's model transform enabled, then the temporary arrow's DrawOnTraverse.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of the anchor on the current view; false without one.
    bool GetBoundBox(SPAbox& box) override;

private:
    // The model point under the arrow's place on `view`'s target plane; false when there is none.
    bool Anchor(view3d& view, SPAposition& anchor) const;
    // A new temporary fixed arrow for `view` (the caller deletes it); null without an anchor.
    CDsItemsArrowFixed* MakeArrow(view3d& view) const;

    int m_offsetX;
    int m_offsetY;
    int m_size;
    CGmVector m_direction;
};
