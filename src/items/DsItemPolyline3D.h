// CDsItemPolyline3D and CDsItemHlSegmentPolyline3D: the leaf item of a 3-D polyline in model
// space (wire curves of figures, sketch lines, hidden-line results), and the same polyline as one
// segment of a hidden-line view, which keeps its box for fast culling and picking.
//
// The class also carries two process-wide services that figures use: the multi-polyline batch
// (many polylines drawn in one GL set-up, optionally into the front buffer: StBeginMultiPolyline
// ... StEndMultiPolyline) and the redirection of batched polylines into a box (StSetComputeBoxData)
// or into a measuring view (sViewExtrema, while the view's flag 10 is on).
//
// Points are floats (x, y, z each); an item built from a float array borrows it (the caller keeps
// it alive and frees it), every other constructor copies.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A batched polyline is sent once: inside a batch DrawGl hands it to DrawPoly alone (which
//   draws it, plots it, or feeds the box or the measuring view), so exclusive-or lines do not
//   cancel and redirected polylines are not drawn as well.
// - StEndMultiPolyline restores lighting and normalising as StBeginMultiPolyline found them, as
//   well as the depth test.
// - A pick offers its hit to the pick manager with one level and pops exactly that level.
// - Segment picking compares the cursor with the segment's end points in the same screen
//   convention (y counted from the top of the viewport, as pick events count). A closed polyline
//   is searched with its closing segment as the last one.
// - The third argument of StSetComputeBoxData is stored and not read.
#pragma once

#include <afx.h>

#include "DsItemBase.h"
#include "DsBox.h"

class CDsPolyline;
class CDsViewExtrema;
class CGmTransformation;
class CVyrString;
class pick_event;
class rgb_color;
enum EGlDrawingPhase : int;

// What a reference-point pick of a polyline has to do.
enum EPickPolyRefPointStatus : int {
    ePickPolyRefPointHidden = 0,  // the polyline is hidden: no reference point
    ePickPolyRefPointHit = 1,     // the polyline is hit: look for a reference point
    ePickPolyRefPointMiss = 2     // the polyline is not hit
};

// A 3-D polyline item.
class AFX_EXT_CLASS CDsItemPolyline3D : public CDsItem {
public:
    // No points.
    CDsItemPolyline3D();
    // A copy of the other's points and closed flag, with fresh attributes.
    CDsItemPolyline3D(const CDsItemPolyline3D& other);
    // `count` positions (copied as floats), closed or not, with a copy of `attributes` when given.
    CDsItemPolyline3D(int count, const SPAposition* points, bool closed, CDsLineAttribStorage* attributes);
    // `count` points borrowed from `points` (three floats each; not freed by the item).
    CDsItemPolyline3D(int count, float* points, bool closed, CDsLineAttribStorage* attributes);
    // The polyline's positions as floats (no points for null); the entity is not bound.
    CDsItemPolyline3D(ENTITY* entity, const CDsPolyline* polyline);
    // Not assignable.
    CDsItemPolyline3D& operator=(const CDsItemPolyline3D&) = delete;
    // Frees the points unless borrowed.
    ~CDsItemPolyline3D() override;

    // --- Own operations -------------------------------------------------------------------
    // Borrows `points` (an owned array is freed first) and recomputes the diagonal.
    void SetPoints(int count, float* points);
    // Copies the first min(max, count) points into `out`; answers how many.
    int GetPoints(float* out, int max) const;
    using CDsItemBase::GetPoints;
    // The number of points.
    int GetPointsCount() const { return m_count; }
    // The points (three floats each), null without points.
    const float* GetPointsData() const { return m_points; }
    // Whether the polyline is closed.
    bool IsClosed() const { return (m_flags & kClosed) != 0; }
    // The diagonal of the points' box (the size the auto-hide test receives).
    float GetDiagonal() const { return m_diagonal; }
    // Without a batch: DrawGdi; with one: plots, feeds the box target or the measuring view, or
    // draws the strip into OpenGL. 0 unless it printed.
    int DrawPoly(view3d& view);
    // The segment (from 1) under the event's cursor and the parameter (0 to 1) along it; 0 when
    // nothing is hit.
    int PickPoly(view3d& view, pick_event& event, int& segment, float& parameter);
    // 0 when hidden, 1 when the event's view hits the polyline, else 2.
    EPickPolyRefPointStatus CheckIfPickRefPointRequired(CUiPickEvent& event, const CGmTransformation& transform,
                                                        int& index);
    // A new reference point of the item's entity when the event picks it (the caller owns it);
    // null when hidden or not picked.
    CDsRefPoint* GetRefPoint(CUiPickEvent& event);
    // Nothing.
    void TracePolyline(CVyrString& out) const;

    // --- The item protocol ----------------------------------------------------------------
    // The strip (unless auto-hidden), lighting off for the draw; inside a batch through DrawPoly.
    void DrawGl(view3d& view) override;
    // 24.
    EDsItemsType GetItemType() override;
    // A new copy of the points (delete[] by the caller), null without points.
    float* GetPoints(int& count, view3d* view) override;
    // A new array of the points as positions (delete[] by the caller), null without points.
    CGmPosition* GetTransformedPolyline(int& count, view3d* view) override;
    // Every point transformed (the diagonal is kept).
    void Transform(const SPAtransf& transform) override;
    // For `entity`'s item only when given: DrawGdi on the measuring view (no hidden test).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Attributes to the view, then DrawGdi.
    void Plot(view3d& view) override;
    // Whether the view (in pick mode) hits the polyline.
    bool Pick(view3d* view) override;
    // Whether the manager's view hits the polyline; a hit is recorded in the context's pick
    // processor and offered to the manager.
    bool Pick(pick_manager* manager) override;
    using CDsItemBase::PickRefPoint;
    // Grows `box` by every point (under `transform`).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The kinds (1 start, 2 end, 4 middle, 8 centre) of `mask` whose point the view drew.
    long DrawPoints(view3d& view, long mask) override;
    // The number of points.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // For index 0 and lines: the point array; -1 always.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // Start (1), end (2), middle (4) of the polyline; a later kind overwrites an earlier.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Lines, drawn on top (0x1002).
    int GetDrawPrimitives() override;
    // With lines asked: the attributes (when asked) and the strip.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The points' box; true.
    bool GetBoundBox(SPAbox& box) override;
    // Whether a fast refresh leaves a curve of `size` out: never for a plain polyline.
    virtual bool IsAutoHideRequired(float size);
    // Null when hidden or missed by the event's view, else GetRefPoint.
    virtual CDsRefPoint* PickRefPoint(CUiPickEvent& event);

    // --- Batch and redirection (process-wide) ---------------------------------------------
    // Opens a batch on `view` (null: the current core view); see the implementation. Answers 1.
    static int StBeginMultiPolyline(view3d* view, int frontBuffer);
    // Closes the open batch and restores what it changed.
    static void StEndMultiPolyline();
    // 1 while a batch is open, else 0.
    static int StInMultiPolyline();
    // While `box` is not null, batched polylines only grow it (under `transform`).
    static void StSetComputeBoxData(CDsBox* box, bool flag, SPAtransf* transform);
    // The measuring view batched polylines report to while the view's flag 10 is on.
    static void StSetViewExtrema(CDsViewExtrema* extrema) { sViewExtrema = extrema; }
    // The measuring view, null when none.
    static CDsViewExtrema* StGetViewExtrema() { return sViewExtrema; }
    // Draws `item` into the front buffer of `view`'s context (nothing without one).
    static void StExecuteToFrontBuffer(CDsItemBase* item, view3d* view, const rgb_color& color, int unused,
                                       EGlDrawingPhase phase);
    // Opens a front-buffer batch on `view`.
    static void StStartFrontBufferDrawing(view3d* view);
    // Closes the front-buffer batch on `view`.
    static void StEndFrontBufferDrawing(view3d* view);
    // The segment picker: see PickPoly; `points` are `count` points of three floats.
    static int PickPoly_0(view3d& view, pick_event& event, int count, const float* points, int& segment,
                          float& parameter);

    // The measuring view of a zoom (set by CDsViewExtremaControler for its life), null otherwise.
    static CDsViewExtrema* sViewExtrema;

protected:
    // 0 when hidden; else the view's draw_polyline_3d (a hit while in pick mode).
    int DrawGdi(view3d& view) override;
    // No points, flags cleared, diagonal 0.
    void ResetMembers();
    // The diagonal of the points' box.
    void ComputeDiagonal();
    // Sends the strip to OpenGL.
    void DrawStrip() const;

    static constexpr uint32_t kBorrowed = 0x1;
    static constexpr uint32_t kClosed = 0x2;

    int m_count = 0;
    float* m_points = nullptr;
    float m_diagonal = 0.0f;
    CDsRefPoint* m_refPoint = nullptr;
    uint32_t m_flags = 0;
};

// A 3-D polyline as one segment of a hidden-line view, with the box of its points.
class AFX_EXT_CLASS CDsItemHlSegmentPolyline3D : public CDsItemPolyline3D {
public:
    using CDsItemPolyline3D::CDsItemPolyline3D;

    // 25.
    EDsItemsType GetItemType() override;
    // The points transformed and the box rebuilt.
    void Transform(const SPAtransf& transform) override;
    // Whether the view (in pick mode) hits the segment.
    bool Pick(view3d* view) override;
    // False when hidden and refusing picks when hidden, or when the box is off the pick
    // aperture; else the polyline's pick.
    bool Pick(pick_manager* manager) override;
    // Grows `box` by the cached box (built first when empty).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // The screen rectangle of the cached box in `view`.
    void ComputeBounds2D(view3d* view) override;
    // True while auto-hide is on and `size` spans fewer pixels than the level.
    bool IsAutoHideRequired(float size) override;
    // Whether the cached box's screen rectangle meets the pick aperture.
    virtual bool CheckExtremesOverlap(view3d* view);
    using CDsItemPolyline3D::PickRefPoint;
    // The segment's end or middle point of the kinds `types` asks, where the window draws it
    // (CDsItemsHlView::StPickSegmentPoint).
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override;
    // The cached box rebuilt from the points.
    void ComputeBox();
    // The cached box.
    const CDsBox& GetBox() const { return m_box; }

private:
    CDsBox m_box;
};
