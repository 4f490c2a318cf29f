// CDsItemsHlView: the result of a hidden-line computation placed in the model as a drafting view:
// many short curve segments (CDsItemHlSegmentPolyline3D, CDsItemHlSegmentEllipseDynamic) in two
// sets, child 0 and child 1 (EDsHlSegmentType 0 and 1), optionally over a filled background
// rectangle, all under the view's one transformation. The figure generator makes it
// (StartHlView) and fills the sets (AddHlSegment); the scene files it among its hidden-line views,
// and the hidden-line renderer draws it pass by pass (DrawPass) with its background drawn apart
// (DrawBackground).
//
// Content box: the union of the children's boxes under the view's transformation, with the
// screen rectangle of its last projection. Every change of the children or of the transformation
// ends in UpdateBox, which empties it; the next ExpandBox, ComputeBounds2D or view test rebuilds
// it. Drawing passes, segment picks, reference-point picks and the pick availability reject the
// whole view at once when the box's rectangle misses the viewport (or the pick aperture), without
// visiting a segment.
//
// The second set (child 1) is drawn, printed and highlighted only when the view was made with the
// show flag; PickSegments and PickRefPoint always pick it. The scene's snaps and picks of a view it
// files skip every set a frame leaves out (DrawsSet): one hidden on its own item, and the second
// without the show flag or while the view refreshes fast. In a drawing pass, child 1 is drawn in every pass outside fast
// refreshes (view flag 3) and child 0 in pass 1 only.
//
// Background: SetBackground gives the view a filled CDsItemPolygonsArray (owned); its rectangle is
// the content box widened on every side by margin x the smaller of the box's x and y extents, at
// the middle z of the box, built once per box (BuildBackgroundRectangle) and drawn by
// DrawBackground, which reads neither the show flag nor the view's flags nor the transformation
// (the box already lies under the transformation). Without SetBackground no background is drawn.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A segment pick that offers its hit to the pick manager pops the one level it pushed (the
//   manager's level stack is as deep afterwards as before).
// - SetSegmentsVisibility reaches every segment of both sets whatever its last argument (the
//   sets pass the level down to their segments), so that a visibility the host gives a view shows
//   on every curve of it.
// - GetBox measures child 0 through its segments' boxes (a plain set answers no box of its own);
//   it answers false, corners untouched, while child 0 holds no segment.
// - A view without segments (an empty content box) is not in any view: it draws no pass, picks
//   nothing and builds no background rectangle.
// - A segment without a colour of its own (one given the view's attributes, which inherit theirs)
//   draws in the pen the pass gives it, not in whatever the frame drew before: DrawPass applies
//   the colour inherited colours rest on (special set 0), the view's attributes and the set's.
// - The background item is filled (a rectangle behind the curves, not its outline). Being lit, it
//   shows its colour as the frame's lights light a face of that colour, the same in every frame
//   (the polygon item lights itself by its own material, not by the colour drawn before it).
// - The scene gives a view it files its context, and its sets too (and takes it back on removal),
//   so that a hide or show on the view's own item, or on a set's own item, reaches the frames; a
//   move of the view (SetTransformation, MultiplyTransformation, Transform) and
//   SetSegmentsVisibility tell the context themselves. The scene database knows nothing of a filed
//   view: nothing else would make the next refresh draw the change.
// - The segments answer reference points of their own (StPickSegmentPoint: ends, middle, centre)
//   where the window draws them, under the view's transformation, and PickClosePoint answers the
//   nearest point of the curves as drawn, not of the entities the segments were made from. For a
//   view the scene files (PickShownRefPoint, PickClosePoint with a frame) a point is offered only
//   where the window shows it: a face in front hides the first set, drawn after the model's faces
//   went into the depth buffer, while the second set, drawn before them too, shows through them.
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsItemsGroup.h"
#include "DsRefPoint.h"

class CDsColorStorage;
class CDsItemPolygonsArray;
class CDsShownFrame;
class CDsTypeMask;
class CUiPickEvent;

// The group of a hidden-line view.
class AFX_EXT_CLASS CDsItemsHlView : public CDsItemsGroup {
public:
    // A view of `entity` (may be null), without context: its two segment sets (empty groups), an
    // empty content box, the second set shown when `showSecondSet`, no background, margin 0.05.
    CDsItemsHlView(ENTITY* entity, bool showSecondSet);
    // Deletes the background item, then the sets and their segments.
    ~CDsItemsHlView() override;

    // --- The item protocol ----------------------------------------------------------------
    using CDsItemsGroup::SetAttribute;
    // The base rule on the view, then each set's SetAttribute with the same arguments.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    // 35.
    EDsItemsType GetItemType() override;
    using CDsItemsGroup::SetTransformation;
    // As the group, then UpdateBox; the view's context (when it has one) is told that the frame
    // draws something else.
    void SetTransformation(const SPAtransf& transform) override;
    using CDsItemsGroup::MultiplyTransformation;
    // As the group, then UpdateBox; the context is told.
    void MultiplyTransformation(const SPAtransf& transform) override;
    // The segments transformed (as the group), then UpdateBox; the context is told.
    void Transform(const SPAtransf& transform) override;
    // Unless hidden: set 0's extents under the view's transformation (`entity` read as null when
    // it is the view's own).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Unless hidden: lighting and normalising off, the view's attributes, under its
    // transformation set 1 (with the show flag) and set 0 into the front buffer.
    void DrawToFrontBuffer(view3d& view) override;
    // Unless hidden: under the view's transformation (handed to the view) set 0, then set 1 with
    // the show flag.
    void Plot(view3d& view) override;
    using CDsItemsGroup::PickRefPoint;
    // Null when hidden or when the content box misses the event view's pick aperture; else under
    // the transformation set 0's reference point, or set 1's when set 0 has none (the segments
    // answer through StPickSegmentPoint).
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // As PickRefPoint, for a view the scene files: only the points the window shows as `frame`
    // draws them (CDsShownFrame::ShowsViewLine; the second set is drawn before the model's faces
    // too), the next segment asked when one shows none.
    CDsRefPoint* PickShownRefPoint(CUiPickEvent& event, const CDsTypeMask& types, const CDsShownFrame& frame);
    // Unless hidden: the view's entity alone when it has one that the filter (the active pick
    // session's, else the select-all data's) accepts and no sub-entities are asked for; otherwise
    // set 0's, then set 1's.
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    // Grows `box` by the content box (rebuilt first when empty); `transform` is not used (the box
    // already lies under the view's transformation).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // For a view: the content box (rebuilt when empty) and its screen rectangle, then, under the
    // view's transformation, both sets' rectangles.
    void ComputeBounds2D(view3d* view) override;
    // Set 0's box, mapped by the inverse of the view's transformation unless `local` or the
    // transformation is the identity; false (corners untouched) without segments in set 0.
    bool GetBox(CGmPosition& low, CGmPosition& high, bool local) override;
    // False when hidden; true with `acceptOutside`; else IsInView(view, testExtremes).
    bool IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside) override;

    // --- Own operations -----------------------------------------------------------------
    // Empties the content box, rebuilds it from both sets under the view's transformation and
    // marks the background rectangle for rebuilding.
    void UpdateBox();
    // The level on the view itself (4 highlight, 3 mark, other levels the visibility byte) and
    // on both sets and every segment in them (see the header comment); the view's context, when it
    // has one, is told that the frame draws something else.
    void SetSegmentsVisibility(EVisibilityLevel level, bool on, bool recurse);
    // Whether the content box's screen rectangle (projected for `view` when it was last projected
    // for another) meets the viewport, or with `aperture` the pick aperture; false for a null view
    // or without segments.
    bool IsInView(view3d* view, bool aperture);
    // One drawing pass of the renderer (see the header comment), each set in the pen its segments
    // inherit: the view's attributes on the colour inherited colours rest on (special set 0), then
    // the set's own; the pen in force before is given back.
    void DrawPass(view3d& view, int pass);
    // The view and its segment sets take `context` (null: none). The scene gives it to a view it
    // files: a change on the view, on a segment or on a set itself (the sets know no parent) then
    // tells the context that the frames draw something else.
    void SetViewContext(CDsGlContext* context);
    // Unless hidden, with a background item: the rectangle built when needed, then drawn.
    void DrawBackground(view3d& view);
    // Picks the segments under the pick manager (both sets, set 1 whatever the show flag; with
    // `drawnOnly`, for a view the scene files, only the sets a frame of the manager's view draws,
    // DrawsSet); when one is hit and the manager reports level 0, the view offers the hit itself.
    // True when set 1 was hit or set 0's hit (or the view's offer) was accepted.
    bool PickSegments(pick_manager* manager, bool drawnOnly = false);
    // Whether a frame of `view` draws set `set` (0 or 1) of the view: not when the set is hidden on
    // its own item; set 1 only with the show flag and outside fast refreshes (see DrawPass).
    bool DrawsSet(int set, view3d& view);
    // The point of the segments of the sets a frame draws (DrawsSet; set 0, then set 1) nearest to
    // the cursor where the window draws them (under the view's transformation), when it lies in the
    // pick aperture of the event's view: a new reference point of kind 267 at it (sLastPosition),
    // carrying the segment's entity, else the view's. With `frame` (a view the scene files), the
    // nearest point of each curve that the window shows as the frame draws it
    // (CDsShownFrame::ShowsViewLine). Null when hidden, off the aperture or without such a point.
    CDsRefPoint* PickClosePoint(CUiPickEvent& event, const CDsShownFrame* frame = nullptr);
    // The reference point of one segment of a view for the kinds 256 to 259 of `mask` (an end,
    // the end, the middle, the centre) where the window draws it: under the model transform of
    // the event's view (the view's transformation, pushed by PickRefPoint). A kind's point is
    // answered when it lies in the pick aperture; with a single kind asked, also when the segment
    // itself lies under the cursor (256 then answers the end nearer to the cursor). With `accept`,
    // only a point (placed) it accepts is answered (256 under the cursor answering the other end
    // then). The point (sLastPosition, sPickType) carries the segment's entity when it has one.
    // Null when the segment is hidden, without a view or without such a point.
    static CDsRefPoint* StPickSegmentPoint(CDsItemBase& segment, CUiPickEvent& event, const CDsTypeMask& mask,
                                           const CDsRefPoint::TPointTest* accept = nullptr);
    // Builds the background rectangle from the content box unless it matches it already; nothing
    // without a background item or segments.
    void BuildBackgroundRectangle();
    // The corners of the background rectangle DrawBackground draws (model coordinates: the
    // rectangle lies under the view's transformation already), in the strip's order: false when
    // the view or its background item is hidden, or it has no background item or no segments.
    bool GetDrawnBackground(SPAposition corners[4]);
    // Unless hidden: grows `box` by what a frame draws of the view, its content box (rebuilt
    // when empty) and its background rectangle.
    void ExpandDrawnBox(CDsBox& box);
    // Unless hidden: measures into `extrema` what a frame draws of the view: set 0 and, with the
    // show flag, set 1 under the view's transformation, and the background rectangle's corners.
    void DrawDrawnExtremes(CDsViewExtrema& extrema);
    // Background off (`on` false: the item deleted) or on: the margin, a new filled item of
    // `color` (when given; else the item's default colour) and `transparency` (0 to 1); either
    // way the rectangle is built anew before the next background draw.
    void SetBackground(bool on, const CDsColorStorage* color, float margin, float transparency);

    // Whether the second set is shown.
    bool GetShowSecondSet() const { return m_showSecondSet; }
    // The content box (empty until built).
    const CDsBox& GetContentBox() const { return m_box; }
    // The background item, null without one.
    CDsItemPolygonsArray* GetBackgroundItem() const { return m_background; }
    // How many times the background rectangle was built (for its users' checks).
    int GetBackgroundBuildCount() const { return m_backgroundBuilds; }

private:
    // Set `index` (0 or 1) of the view.
    CDsItemsGroup* Set(int index) const;
    // Unless hidden, the set's pen, then the set drawn; the pen in force before is given back.
    void DrawSet(CDsItemsGroup* set, view3d& view);
    // Rebuilds the content box when it is empty.
    void EnsureBox();
    // The background rectangle's four corners (x, y, z each) from the content box (rebuilt when
    // empty) and the margin; false without segments.
    bool BackgroundRectangle(double points[12]);

    bool m_showSecondSet = false;
    CDsBox m_box;
    bool m_backgroundBuilt = false;
    CDsItemPolygonsArray* m_background = nullptr;
    float m_margin = 0.05f;
    int m_backgroundBuilds = 0;
};
