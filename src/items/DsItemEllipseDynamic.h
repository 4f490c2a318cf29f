// CDsItemEllipseDynamic and CDsItemHlSegmentEllipseDynamic: an ellipse or elliptic arc tessellated
// for the view at hand, so that its smoothness follows the zoom, and the same curve as one segment
// of a hidden-line view, which keeps the box of its points for culling and picking and can be
// left out of a fast refresh when it is small on screen. The curve and its tessellation belong to
// the ellipse storage (CDsEllipseStorage), which the item owns.
//
// GetVertices hands out one process-wide float buffer (three floats a vertex), shared by every
// ellipse item: it starts with room for 400 vertices and grows to the largest request. The pointer
// it answers is valid only until the next GetVertices of any ellipse item; copy what must be kept.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An item without a storage, or whose ellipse has a zero axis or values that are not finite,
//   draws, prints, picks and grows nothing; GetPoint answers false for it.
// - The auto-hide size is the length of the major axis; only the hidden-line segment can be
//   auto-hidden.
// - Drawing restores lighting and normalising each as it found them.
// - Reference-point picks go through the picking's CDsRefPoint of the item's entity, as those of
//   3-D polylines do; an item without an entity finds none.
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsItemBase.h"

class CDsEllipseStorage;

// An ellipse tessellated per view.
class AFX_EXT_CLASS CDsItemEllipseDynamic : public CDsItem {
public:
    // Takes `storage` over (may be null).
    explicit CDsItemEllipseDynamic(CDsEllipseStorage* storage);
    // Not copyable: the item owns its storage.
    CDsItemEllipseDynamic(const CDsItemEllipseDynamic&) = delete;
    // Not assignable.
    CDsItemEllipseDynamic& operator=(const CDsItemEllipseDynamic&) = delete;
    // Deletes the storage and the cached reference point.
    ~CDsItemEllipseDynamic() override;

    // --- The item protocol ----------------------------------------------------------------
    // Unless auto-hidden: the tessellation for the view as a line strip, lighting off meanwhile.
    void DrawGl(view3d& view) override;
    // 5.
    EDsItemsType GetItemType() override;
    // A new array (delete[] by the caller) of the tessellation for the view, three floats a point;
    // null when there are none.
    float* GetPoints(int& count, view3d* view) override;
    using CDsItemBase::GetPoints;
    // Transforms the curve; the next draw tessellates anew.
    void Transform(const SPAtransf& transform) override;
    // Unless hidden: the attributes to the view and the tessellation printed.
    void Plot(view3d& view) override;
    // Whether the view (in pick mode) hits the curve, or its centre.
    bool Pick(view3d* view) override;
    // Whether the manager's view hits the curve; a hit is recorded in the context's pick
    // processor and offered to the manager.
    bool Pick(pick_manager* manager) override;
    using CDsItemBase::PickRefPoint;
    // Grows `box` by the tessellation for the current view.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The kinds (1 start, 2 end, 4 middle, 8 centre) of `mask` whose point the view drew.
    long DrawPoints(view3d& view, long mask) override;
    // The cached tessellation's count for lines, else 0.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // For lines: the cached tessellation in the shared buffer (see the header comment); -1.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // 1 start, 2 end, 4 the middle of the last tessellation, 8 the centre; false for any other.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Lines, on top (0x1002).
    int GetDrawPrimitives() override;
    // With lines asked: the attributes (when asked) and the tessellation as a line strip.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of the tessellation for the current view; true.
    bool GetBoundBox(SPAbox& box) override;

    // --- Own operations -------------------------------------------------------------------
    // Whether a fast refresh leaves a curve of `size` out: never for a plain ellipse.
    virtual bool IsAutoHideRequired(float size);
    // Null when hidden or missed by the event's view; else a new copy (the caller owns it) of the
    // reference point picked through the item's cached reference point.
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event);
    // The storage (null when none).
    CDsEllipseStorage* GetStorage() const { return m_storage; }
    // The length of the major axis (0 without a usable ellipse).
    float GetMajorAxisLength() const;
    // The capacity of the shared vertex buffer, in vertices (0 before its first use).
    static int StGetVerticesBufferCapacity();
    // The shared vertex buffer with room for at least `count` vertices (three floats each): made
    // with room for 400 on first use, grown to the largest request, else reused (its contents are
    // then not kept). Valid until the next call.
    static float* StGetVerticesBuffer(int count);

protected:
    // The tessellation printed through the view; what it answers (non-zero: hit in pick mode).
    int DrawGdi(view3d& view) override;
    // Whether the storage holds an ellipse that can be tessellated.
    bool HasCurve() const;
    // The tessellation for `view` (count 0 and null without a curve).
    int Tessellate(view3d* view, const SPAposition*& points) const;

    CDsEllipseStorage* m_storage = nullptr;
    CDsRefPoint* m_refPoint = nullptr;
};

// A dynamic ellipse as one segment of a hidden-line view, with the box of its points.
class AFX_EXT_CLASS CDsItemHlSegmentEllipseDynamic : public CDsItemEllipseDynamic {
public:
    // Takes `storage` over (may be null).
    explicit CDsItemHlSegmentEllipseDynamic(CDsEllipseStorage* storage);

    // 6.
    EDsItemsType GetItemType() override;
    // As the base; the cached box is rebuilt.
    void Transform(const SPAtransf& transform) override;
    // As the base.
    bool Pick(view3d* view) override;
    // False when hidden and refusing picks when hidden, without a view or when the box is off the
    // pick aperture; else the base pick.
    bool Pick(pick_manager* manager) override;
    // Grows `box` by the cached box (built first when empty).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The screen rectangle of the cached box in `view`.
    void ComputeBounds2D(view3d* view) override;
    // True while auto-hide is on and `size` spans fewer pixels than the level.
    bool IsAutoHideRequired(float size) override;
    // Whether the cached box's screen rectangle meets the pick aperture.
    virtual bool CheckExtremesOverlap(view3d* view);
    using CDsItemEllipseDynamic::PickRefPoint;
    // The segment's end, middle or centre point of the kinds `types` asks, where the window draws
    // it (CDsItemsHlView::StPickSegmentPoint).
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // The cached box.
    const CDsBox& GetBox() const { return m_box; }

private:
    CDsBox m_box;
};
