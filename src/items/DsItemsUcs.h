// CDsItemsUcs and CDsItemsUcsReference: coordinate-system triads.
//
// CDsItemsUcs shows a coordinate system at a model point as one to three arrows of a size in
// millimetres on the device (CDsItemsArrowFixed, rebuilt from the view before each draw, pick and
// bound) with a screen text beyond each tip (CDsItemNText2D) and an optional origin label below.
// Children, owned, in this order: arrow 1, label 1, arrow 2, label 2, ..., origin label. The
// figure generator's DrawUcs makes one; the reference triad makes a short-lived one per frame.
//
// Sizes: millimetres become pixels through the Windows layer's GetDeviceCaps (millimetres per
// pixel = (VERTSIZE / VERTRES + HORZSIZE / HORZRES) / 2, in floating point) on the view's device
// context, or on the screen's for a triad pinned to the viewport. The arrow length L is the size
// (the display manager's UCS size with flag bit 8, else 14 mm) in pixels, the labels are L / 3
// pixels high and their font L / 3 x 14 / 10 before the first draw sets the label height. A size
// change rebuilds the triad with the same labels, axes and count, and with the attributes that
// SetAxisAttributes gave each axis (a new size in the preferences does not drop them).
//
// Label place (rows counted up, as the arrows keep their screen extent): with P0 the head's apex
// and P1 the near end of the shaft of the axis's arrow, the label's anchor is
// P1 + (P0 - P1) x (L + 10 x label height / 9) / L, each coordinate truncated: on the arrow's line,
// just beyond its tip. The origin label stands 1.5 label heights below P1 of the last axis.
//
// CDsItemsUcsReference holds the reference coordinate system of a rendering context's scene (three
// unit axes and an origin) and draws it (DrawTriad) as a temporary triad pinned to the lower-left
// corner of the view, labelled X, Y and Z, 14 mm long; the scene draws it last in every frame in
// the background colour exclusive-or 0x808080, and nothing while a plot is under way.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The view a triad was built on (the current view at construction) gives only the viewport of
//   pinned arrows; the parts are built for a view at its first draw, pick or bound there, so that
//   the labels get their height before they first draw (a text of height 0 draws nothing).
// - A view without a device context measures on the screen's, so that a triad made before its
//   view has a window still gets a size; a device that answers no size (0 millimetres or pixels)
//   gives 0 pixels, and a triad of length 0 draws only its markers, and no NaN reaches OpenGL.
// - Printing places the labels in the rows counted up that the texts keep; the text turns them
//   down once, where it prints (see DsItemNText2D.h), so they are not turned twice.
// - Axes are numbered from 0 (X) to 2 (Z) in the operations that take an axis; the pick bits of
//   the flag word are 5, 6 and 7 for X, Y and Z.
// - Pick(view3d*) answers true outside pick mode, as the measuring road expects of it.
// - GetBoundBox2D puts the labels' boxes beside the arrows' about the same anchor (where the
//   origin lands, rows counted down), not at their window places: the walks place the box at the
//   origin, and a label's place counted from the window's corner would lie far from its text.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "DsLineAttribStorage.h"
#include "GmPosition.h"
#include "VyrString.h"

class CDsColorStorage;
class CDsItemNText2D;
class CDsItemsArrowFixed;
class CVyrWCS;
class SPAunit_vector;

// A coordinate-system triad.
class AFX_EXT_CLASS CDsItemsUcs : public CDsItemsGroup {
public:
    // Bits of the flag word.
    enum EUcsFlag : uint32_t {
        eUcsAxisCountMask = 0x3,    // the number of axes, 1 to 3
        eUcsOriginLabel = 0x4,      // an origin label exists (the last child)
        eUcsPickCleared = 0x8,      // cleared by every pick and at the end of a build
        eUcsHeadPicked = 0x10,      // the last pick hit an arrow's head
        eUcsAxisPicked = 0x20,      // the last pick hit axis X; Y and Z follow (0x40, 0x80)
        eUcsFollowManager = 0x100   // the size follows the display manager's UCS size
    };
    // The size in millimetres of a triad that does not follow the display manager.
    static constexpr float kFixedSize = 14.0f;

    // A triad at `origin` with `axisCount` axes (1 to 3, else 3) along `axes` (the model axes when
    // null), labelled by the characters of `axisLabels` (X, Y, Z when empty) and by `originLabel`
    // at the origin when not empty. `followManagerSize` takes the display manager's UCS size;
    // `screen` measures on the screen and pins the arrows to (offsetX, offsetY) pixels from the
    // viewport's lower-left corner.
    CDsItemsUcs(const CGmPosition& origin, const CVyrString& axisLabels, const CVyrString& originLabel,
                const CGmUnitVector* axes, bool followManagerSize, bool screen, int offsetX, int offsetY,
                int axisCount);
    // Deletes the arrows and labels.
    ~CDsItemsUcs() override;

    // --- Own operations -------------------------------------------------------------------
    // The arrow and label of `axis` (0 to 2) get `attributes`, kept over a rebuild; nothing for
    // another axis.
    void SetAxisAttributes(const CDsLineAttribStorage& attributes, int axis);
    // Whether the last pick hit `axis` (0 to 2); false for another axis.
    bool GetAxisPicked(int axis) const;
    // Writes the pick bit of `axis` (0 to 2); nothing for another axis.
    void SetAxisPicked(int axis, bool on);
    // Flag bits 0-1 = `count` when 1 to 3, else 3.
    void SetAxisCount(int count);
    // The number of axes (1 to 3).
    int GetAxisCount() const { return static_cast<int>(m_flags & eUcsAxisCountMask); }
    // The flag word (EUcsFlag).
    uint32_t GetUcsFlags() const { return m_flags; }
    // The origin.
    const CGmPosition& GetOrigin() const { return m_origin; }
    // The arrow length in pixels.
    int GetLength() const { return m_length; }
    // The size in millimetres.
    float GetSize() const { return m_size; }
    // The labels' pixel height (length / 3).
    int GetLabelHeight() const { return m_labelHeight; }
    // The arrow of `axis` (0 to 2), null when there is none.
    CDsItemsArrowFixed* GetArrow(int axis) const;
    // The label of `axis` (0 to 2), null when there is none.
    CDsItemNText2D* GetLabel(int axis) const;
    // The origin label, null when there is none.
    CDsItemNText2D* GetOriginLabel() const;
    // Level `level` on the picked axis only (every axis when `on` is false) while the current
    // view's context has display-mode flag 17 set; otherwise on the whole triad.
    virtual void SetUcsVisibility(EVisibilityLevel level, bool on, bool recurse);

    // `size` millimetres times `factor` in whole pixels (truncated) on the device of `view` (the
    // screen's with `screen`, or when the view has no device context); 0 when the device answers
    // no size or the result is not finite.
    static int StMillimetresToPixels(float size, float factor, bool screen, view3d* view);

    // --- The item protocol ----------------------------------------------------------------
    // The arrows' boxes and the labels' boxes at their places, united, all counting rows down
    // from where the origin lands in the window (the arrows' anchor); false without a current
    // view.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 40.
    EDsItemsType GetItemType() override;
    using CDsItemsGroup::SetTransformation;
    // For a triad whose parent shows a coordinate-system entity with a system: the origin becomes
    // the system's, then Transform(transform); otherwise nothing.
    void SetTransformation(const SPAtransf& transform) override;
    // The origin and every arrow transformed.
    void Transform(const SPAtransf& transform) override;
    // DrawGeometry.
    void Refresh(view3d& view) override;
    // Unless the measuring view's base adjusts its boundaries, the triad is hidden or `entity` is
    // not the triad's: the origin measured, the parts built for the view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Refresh.
    void DrawToFrontBuffer(view3d& view) override;
    // A measuring view: DrawExtremes. Otherwise the triad printed at half its size in pixels on
    // the view's device, then put back.
    void Plot(view3d& view) override;
    // In draw phases 3 and 4: the arrows, and outside a fast refresh the labels at their places.
    void DrawGeometry(view3d& view) override;
    // True outside pick mode; otherwise whether an arrow or a label at its place is hit.
    bool Pick(view3d* view) override;
    // The first axis whose arrow the manager's view hits: its pick bit (and the head bit when the
    // head is hit); false when none.
    bool Pick(pick_manager* manager) override;
    // 0x2000 when asked and the origin is hit; the bit of the last axis (0x40000, 0x80000,
    // 0x100000) whose arrow or label is hit; 0 when nothing is.
    long DrawPoints(view3d& view, long mask) override;
    // 0x20: the origin; 0x40, 0x80, 0x100: the tip of the arrow of axis X, Y, Z; false otherwise.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Points (0x01): the arrows; texts (0x20): the labels at their places; nothing else.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of the origin; true.
    bool GetBoundBox(SPAbox& box) override;

private:
    // Clears the pick bits and bits 2 to 4; origin, size, length and views zero; on top.
    void ResetUcs();
    // Makes the arrows and labels (see the header comment).
    void Build(const CGmPosition& origin, const CVyrString& axisLabels, const CVyrString& originLabel,
               const CGmUnitVector* axes, int axisCount);
    // The size the triad should have now.
    float WantedSize() const;
    // Rebuilds the triad when the wanted size differs from its own.
    void CheckSize();
    // Builds the arrows' and labels' parts for `view` when it is not the one they were built for.
    void UpdateParts(view3d& view, bool force = false);
    // Places the label of `axis` from its arrow's last screen extent; false when the arrow has no
    // shape.
    bool PlaceLabel(int axis);
    // Places the origin label below the last axis's arrow; false when that has no shape.
    bool PlaceOriginLabel();

    uint32_t m_flags = 0;
    CGmPosition m_origin;
    int m_length = 0;
    float m_size = 0.0f;
    int m_labelHeight = 0;
    view3d* m_view = nullptr;
    view3d* m_partsView = nullptr;
    bool m_screen = false;
    int m_offsetX = 0;
    int m_offsetY = 0;
    CDsLineAttribStorage m_axisAttributes[3];
    bool m_hasAxisAttributes[3] = {false, false, false};
};

// The reference coordinate system of a scene, drawn as a triad in the lower-left corner.
class AFX_EXT_CLASS CDsItemsUcsReference : public CDsItemsGroup {
public:
    // The model axes at the origin; colour (150, 150, 150), width 1, style 0.
    CDsItemsUcsReference();
    // Nothing of its own to free.
    ~CDsItemsUcsReference() override;

    // The axes and origin of the entity's system; the model axes and origin without an entity or
    // system.
    void SetReferenceUcs(const CVyrWCS* entity);
    // With `axes` (room for three): the three axes into it and the origin into `origin`; nothing
    // at all with null axes.
    void GetReferenceUcs(CGmUnitVector* axes, SPAposition& origin) const;
    // A direction given in the reference system becomes a model direction: normalise(v x M), M
    // the matrix whose rows are the X, Y and Z axes.
    void TransformToReferenceUcs(SPAunit_vector& direction) const;
    // Outside plot mode: a temporary triad of the reference axes pinned 1.5 x 14 mm (in screen
    // pixels) from the lower-left corner, drawn in `color` with the fast-refresh flag off and the
    // tool context's transformation as the view's model transform when the scene gives one.
    void DrawTriad(view3d& view, const CDsColorStorage& color);

    // 41.
    EDsItemsType GetItemType() override;
    // DrawTriad in black.
    void Refresh(view3d& view) override;

private:
    CGmUnitVector m_axes[3];
    SPAposition m_origin;
};
