// CDsItemsFigure: the item group that the figure generator builds for a figure (or for one of the
// modeler extension's own entities). Beyond a plain group it links back to its figure, keeps the
// "drawn" state of direct drawing (exclusive-or drawing and erasing on the screen), may be bound to
// one view, applies the figure flags of EDsItemFlags (2 and 4: hidden by document flags 4 and 5;
// 128: drawn with view flag 5; 512: drawn only while highlighted or marked; 1024: never picked),
// offers a process-wide pick filter (sDlFigProc) and a switch that lets blanked figures be picked
// (sIgnoreBlank false), and picks reference points at the ends of its polyline.
//
// Direct drawing (Refresh) widens the view's clipping planes to the figure first, so that a figure
// lying beyond the near or far plane of the model is drawn whole, and gives the scene its own
// planes back afterwards; while the scene's display-mode flag 10 holds the planes at the fixed
// box of half-size 1e7 there is nothing to widen. In draw mode 2 the group draws with the
// exclusive-or logic operation: drawing into the back buffer marks it drawn, drawing into the
// front buffer toggles the mark (a second pass removes it), so erasing such a figure is drawing
// it once more.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The widening scope acts on a core view (CDsView3dCdc) with a core rendering context only; any
//   other view draws without it. "The context's transform flag" of the rendering transforms is
//   the context's clear-buffer mode, as in every other set-up of the context. Setting the
//   transforms switches the depth test and lighting on; the scope keeps them as the caller had
//   them, so that a figure drawn onto the front buffer without the depth test (whose buffer holds
//   depths of the frame's own planes, not of the widened ones) is not hidden at random.
// - The destructor's last exclusive-or pass is drawn only when the current view has an OpenGL
//   record (a view without one has nothing on screen to remove).
// - FindTextItem answers the first child whose type is a model-space text (types 10 and 11, the
//   3-D text and the vector text that derives from it), as a CDsItemBase; it answers null while a
//   figure holds no such item.
// - Reference points: the view is put in pick mode at the event with the process-wide aperture
//   (as CDsItemBase::IsPicked does) for the time of the pick, and gets the pick mode it had back. A reference point made at a polyline
//   end is CDsRefPoint(figure's entity, end) with its type in CDsRefPoint::sPickType, and its index
//   goes to the picked-primitive index of the context's pick processor. The aperture size the
//   ends are compared with is the aperture's width. When neither end lies in the aperture the
//   end nearer (in model space) to the figure's point nearest to the pick is taken
//   (CDsRefPoint::PickRefClosePoint over the polyline the figure's pick touched, which the pick
//   processor's information names); without such a point, as for a call without a pick before
//   it, the answer is null.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "DsPointGeometry.h"

class CDsFigure;
class CDsItemsFigure;
class CDsRefPoint;
class CUiPickEvent;

// The host's pick filter of figure groups: non-zero lets the figure be picked.
typedef int (*TDsDlFigProc)(const CDsItemsFigure* figure);

// The item group of a figure.
class AFX_EXT_CLASS CDsItemsFigure : public CDsItemsGroup {
public:
    // An empty group: no context, entity, figure or view dependency, not drawn, draw mode 1.
    CDsItemsFigure();
    // When the group is drawn in exclusive-or mode and the current view has an OpenGL context:
    // that context made current and the group drawn once more into its front buffer (which takes
    // it off the screen); then the children are deleted.
    ~CDsItemsFigure() override;

    // --- The item protocol ----------------------------------------------------------------
    // 34.
    EDsItemsType GetItemType() override;
    // The base binding, for a non-null entity only (null changes nothing).
    void SetEntity(ENTITY* entity) override;
    // The first child's transformed polyline (delete[] by the caller); null without children.
    CGmPosition* GetTransformedPolyline(int& count, view3d* view) override;
    // Direct drawing into the current draw buffer inside the clipping-plane widening scope (see the
    // header comment): lighting and stippling off, the group's attributes to the view, then
    // RefreshGeometry.
    void Refresh(view3d& view) override;
    // Every child draws itself through the measuring view (the group's Pick(view3d*)), which gathers
    // the extents; the entity and the hidden state are not consulted.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // The group's front-buffer drawing, with view flag 5 raised around it under flag 128.
    void DrawToFrontBuffer(view3d& view) override;
    // Nothing in exclusive-or mode when not drawn, or for a view other than the dependency. Else
    // lighting and normalising off; exclusive-or mode: Refresh (the second pass removes the
    // figure); otherwise the group's erase in the background colour, and the group is not drawn.
    void Erase(view3d& view) override;
    // The group's DrawGeometry when the group is visible in the view.
    void DrawGeometry(view3d& view) override;
    using CDsItemsGroup::Pick;
    // False with flag 1024, when hidden by a document flag of a core view, when hidden and
    // sIgnoreBlank is set, or when sDlFigProc refuses the figure. Else one level (the group, its
    // entity) around asking the children in order, stopping at the first hit unless
    // PickToContinue; whether a child was hit.
    bool Pick(pick_manager* manager) override;
    // When the select-all data's view is a core view in which the group is visible and the group
    // has an entity that the data accepts: the entity is appended (a point entity only while the
    // view's pick processor has switch 6 on).
    void SelectAll(CDsSelectAllData& data, ENTITY_LIST& list) override;
    using CDsItemsGroup::PickRefPoint;
    // A reference point at an end of the figure's polyline under the event (the caller owns it);
    // null without an entity, children or view, or when nothing is hit (see the header comment).
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event);

    // --- Figure link, drawn state, view dependency ----------------------------------------
    // The figure that owns the group (not owned); null for none.
    void SetFigure(CDsFigure* figure) { m_figure = figure; }
    // The owning figure, null for none.
    CDsFigure* GetFigure() const { return m_figure; }
    // Whether the group is on the screen from direct drawing.
    bool IsDrawn() const { return m_drawn; }
    // Sets the drawn state.
    void SetIsDrawn(bool drawn) { m_drawn = drawn; }
    // The group is no longer drawn.
    void InValidateDraw() { m_drawn = false; }
    // On: the group draws, erases and counts as visible only in `view` (null: the current view,
    // CDsView3dCdc::StGetCurrent); off: in every view.
    void SetViewDependency(bool on, view3d* view);
    // The view the group is bound to, null for every view.
    view3d* GetViewDependency() const { return m_viewDependency; }

    // --- Queries --------------------------------------------------------------------------
    // The first model-space text child (see the header comment), null when none.
    CDsItemBase* FindTextItem();
    // 1 without a pick filter, else the filter's answer for this group.
    int TestFigure() const;
    // False for a view other than the dependency, when hidden, with flag 512 unless highlighted
    // or marked, with flag 2 under the view's document flag 4 or flag 4 under its document flag 5;
    // else true.
    bool IsVisible(view3d& view);
    // True while the view's pick processor records pick levels (switch 3) and a region pick runs.
    bool PickToContinue(view3d& view);
    // Nothing.
    void Debug(bool) {}

    // --- Process-wide switches ------------------------------------------------------------
    // The host's pick filter, null for none.
    static TDsDlFigProc sDlFigProc;
    // While true, blanked (hidden) figures are not picked; true at the start.
    static bool sIgnoreBlank;
    // Sets the pick filter (null: none).
    static void StSetDlFigProc(TDsDlFigProc proc) { sDlFigProc = proc; }
    // The pick filter.
    static TDsDlFigProc StGetDlFigProc() { return sDlFigProc; }
    // Sets the blank-ignore switch.
    static void StSetIgnoreBlankMode(bool on) { sIgnoreBlank = on; }
    // The blank-ignore switch.
    static bool StGetIgnoreBlankMode() { return sIgnoreBlank; }

protected:
    // False while the figure link is set (a figure's items stay whole); else the group's Remove.
    bool Remove(CDsItemBase* item) override;
    using CDsItemsGroup::Remove;
    // When visible in the view: lighting, normalising and stippling off, the view made current,
    // the depth test off for an on-top group, the draw (exclusive-or in draw mode 2, with the
    // drawn state as the header comment says), then the view's drawing mode, the logic operation
    // and the depth test as they were, and a flush.
    void RefreshGeometry(view3d& view);
    // A new reference point of `type` at `position` (bound to the group's entity when there is
    // one); `index` becomes the picked-primitive index of the view's pick processor.
    CDsRefPoint* CreateRefPoint(view3d* view, eVyrParamPointType type, const CGmPosition& position, int index);
    // The reference point at the first (type 256, index 1) or the last (type 257, index `count`)
    // end when it lies strictly inside the pick aperture around the event; else at the end nearer
    // to the entity's point nearest to the pick (the last on a tie); null without that point.
    CDsRefPoint* TestForEnds(const CGmPosition& first, const CGmPosition& last, const CUiPickEvent& event, int count);
    // TestForEnds over the ends of the first child's polyline; null without one.
    CDsRefPoint* PickPolyLineEntity(const CUiPickEvent& event);

private:
    CDsFigure* m_figure = nullptr;
    bool m_drawn = false;
    view3d* m_viewDependency = nullptr;
};
