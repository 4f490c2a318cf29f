// CDsItemPolyline2D, CDsItemPolyline2DRelative, CDsItemLine2D3D and CDsItemBillBoardedRectangle:
// the leaves that draw in window pixels on top of the model. A 2-D polyline is given in pixels
// with rows counted up from the viewport's bottom (OpenGL's 2-D mode); a relative polyline
// recomputes its pixels from fractions of the viewport before each draw; a leader (Line2D3D) runs
// from a fixed pixel to the projection of a model point; a billboard is a pixel-sized frame
// anchored at a projected model point. Figures make them (the generator's DrawPolyline2D,
// DrawPolyline2DRelative, DrawRectangle2D) and the arrow groups draw with 2-D polylines.
//
// Window rows: points are kept counted up; printing and picks turn them down
// (height - y - 1) once, where they meet the view's drawable coordinates and its pick aperture,
// which count down. A model anchor is projected (rows down) and turned up once for drawing.
//
// On the renderers' scene walk the pixel projection is set up by the walk; the items draw
// without a 2-D switch of their own (but the billboard, which brackets its frame itself), and
// lift the section clip planes while they draw, so that screen-space lines are never cut.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A polyline with a coordinate that is not finite keeps its points but draws, prints and picks
//   nothing, so that no NaN reaches OpenGL; one of fewer than two points draws nothing.
// - Picks test the closing segment of a closed polyline too, where the window draws the line (its
//   pixels half a pixel lower and to the left of its points, as OpenGL lights a line on a pixel
//   edge), with its width: the band its pixels fill across it, none beyond its ends.
// - Transform recomputes the pixel bounds.
// - The leader rebuilds its end point wherever it draws (DrawGl and the scene walk), so that it
//   never draws to the end point of an earlier frame; an end point that does not project draws
//   nothing.
// - The billboard's anchor follows Transform, as every other anchored item's does.
// - The billboard's screen box for picks is its frame with rows turned down; it draws nothing
//   when its anchor does not project.
// - The billboard answers its anchor as its model box, as a marker answers its point: the box of a
//   figure holds the places its window-sized leaves are drawn about, so that the figure's window
//   box, placed about its model box, holds the frame wherever the figure's other leaves lie.
//   GetDrawnBox2D gives the frame about the anchor with rows counted down, as the walks place an
//   anchored box; GetBoundBox2D stays the frame with rows counted up.
// - On the scene walk the billboard, asked to apply its attributes, gives them to the view before
//   its frame: the walk's colour is that of the whole figure, and the frame keeps the pen its
//   figure drew it with.
#pragma once

#include <afx.h>

#include "DsBitmap.h"
#include "DsItemBase.h"
#include "DsRectangle.h"
#include "GmPosition.h"

// A polyline in window pixels (rows counted up).
class AFX_EXT_CLASS CDsItemPolyline2D : public CDsItem {
public:
    // No points, open, empty bounds, on top.
    CDsItemPolyline2D();
    // A copy of `count` points (x, y floats; none for null or count below 1), open, with a copy of
    // `attributes` when given, on top; the bounds computed.
    CDsItemPolyline2D(int count, const float* points, CDsLineAttribStorage* attributes);
    // A copy of the other's points, closed flag and bounds, with fresh attributes.
    CDsItemPolyline2D(const CDsItemPolyline2D& other);
    // Not assignable.
    CDsItemPolyline2D& operator=(const CDsItemPolyline2D&) = delete;
    // Frees the points.
    ~CDsItemPolyline2D() override;

    // --- Own operations -------------------------------------------------------------------
    // Replaces the points by a copy of `count` points (none for null or count below 1) and
    // recomputes the bounds.
    void SetPoints(int count, const float* points);
    // The number of points.
    int GetPointsCount() const { return m_count; }
    // The points (x, y each), null without points.
    const float* GetPointsData() const { return m_points; }
    // Whether the first point is repeated at the end.
    bool IsClosed() const { return m_closed; }
    // Sets whether the first point is repeated at the end.
    void SetClosed(bool closed) { m_closed = closed; }
    // A line strip of `count` pixel points (x, y) in OpenGL: the view's 2-D mode around it unless
    // `already2d`, lighting and normalising off for the strip (on again after when they were on),
    // the first point again when `closed`. Nothing without a view, for fewer than two points or a
    // point that is not finite.
    static void DrawGlStrip(view3d* view, int count, const float* points, bool closed, bool already2d);
    // The strip alone (glBegin to glEnd) in the 2-D mode the caller has entered, no state touched;
    // nothing when it cannot be drawn. An arrow draws its head and shaft in one 2-D mode so.
    void DrawStrip() const;

    // --- The item protocol ----------------------------------------------------------------
    // The strip in the view's 2-D mode.
    void DrawGl(view3d& view) override;
    // The pixel bounds; true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 22.
    EDsItemsType GetItemType() override;
    // Each point (x, y, 0) transformed; the bounds recomputed.
    void Transform(const SPAtransf& transform) override;
    // Prints into the measuring view (the entity is not consulted).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Prints through the view.
    void Plot(view3d& view) override;
    // DrawGl (no hidden test).
    void DrawGeometry(view3d& view) override;
    // Whether a segment crosses the view's pick aperture; a measuring view that is not picking
    // measures the polyline's pixels when it asks for them (CDsViewExtrema::GetMeasuresPixelLines;
    // true when there are any), else nothing.
    bool Pick(view3d* view) override;
    // The same on the manager's view; every crossing segment is offered to the manager, and the
    // answer is whether the last offer was taken.
    bool Pick(pick_manager* manager) override;
    // 0.
    long DrawPoints(view3d& view, long mask) override;
    // 0.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // Count 0; -1.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // False.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Points, on top (0x1001).
    int GetDrawPrimitives() override;
    // With points asked: the attributes (when asked) and the strip, the section clip planes off
    // meanwhile.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

protected:
    // The points with rows turned down, through the view's draw_polyline_2d; what it answers.
    int DrawGdi(view3d& view) override;
    // Whether the polyline can be drawn: two points or more, all finite.
    bool IsDrawable() const;
    // Recomputes the pixel bounds (empty without points).
    void ComputeBounds();
    // glVertex2f per point, the first again when closed (inside glBegin / glEnd of the caller).
    void SendVertices() const;
    // Whether a segment crosses the aperture of `view`; `manager` (may be null) is offered each
    // crossing and `taken` records whether the last offer was taken.
    bool PickSegments(view3d& view, pick_manager* manager, bool& taken) const;

    int m_count = 0;
    float* m_points = nullptr;
    bool m_closed = false;
    SDsBox2D m_bounds;
};

// A 2-D polyline whose pixels are fractions of the viewport (0 to 1 from the lower-left corner),
// recomputed before each draw.
class AFX_EXT_CLASS CDsItemPolyline2DRelative : public CDsItemPolyline2D {
public:
    // `count` relative points (x, y fractions; copied), closed or not, on top.
    CDsItemPolyline2DRelative(int count, const float* relative, bool closed);
    // Frees the relative points.
    ~CDsItemPolyline2DRelative() override;

    // The pixels recomputed, then as the base.
    void DrawGl(view3d& view) override;
    // With points asked: the pixels recomputed, then as the base.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    using CDsItemPolyline2D::Pick;
    // False: never picked through a pick manager.
    bool Pick(pick_manager* manager) override;
    // Nothing: adds no extents.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Nothing.
    void Plot(view3d& view) override;
    // The pixel bounds for the current view (the pixels recomputed first): before its first draw
    // the polyline's window box is already where it will draw.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 23.
    EDsItemsType GetItemType() override;
    // The relative points (x, y each), null without points.
    const float* GetRelativeData() const { return m_relative; }

protected:
    // The pixels recomputed, then as the base.
    int DrawGdi(view3d& view) override;
    // The pixel points of `view` from the relative ones.
    void ComputePixels(view3d& view);

private:
    float* m_relative = nullptr;
};

// A leader: a line from a fixed pixel to the projection of a model point.
class AFX_EXT_CLASS CDsItemLine2D3D : public CDsItemPolyline2D {
public:
    // From pixel (x, y) (rows counted up) to `end`; the second point is rebuilt at every draw.
    CDsItemLine2D3D(int x, int y, const CGmPosition& end);

    // The two points rebuilt for the view, then as the base (nothing when the end does not
    // project).
    void DrawGl(view3d& view) override;
    // With points asked: the two points rebuilt for the view, then as the base.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The pixel bounds for the current view (the points rebuilt first when the end projects).
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 43.
    EDsItemsType GetItemType() override;
    // The model end point.
    const CGmPosition& GetEndPoint() const { return m_end; }
    // Rebuilds the two points for `view`: the fixed pixel and the end's projection; false (points
    // unchanged) when the end does not project.
    bool UpdatePoints(view3d& view);

protected:
    // 0: nothing printed.
    int DrawGdi(view3d& view) override;

private:
    int m_x = 0;
    int m_y = 0;
    CGmPosition m_end;
};

// A rectangle frame of a size in pixels, anchored at a projected model point.
class AFX_EXT_CLASS CDsItemBillBoardedRectangle : public CDsItem {
public:
    // The frame of `width` x `height` pixels placed at `anchor` by `alignment`.
    CDsItemBillBoardedRectangle(const CGmPosition& anchor, int width, int height, EAlignment alignment);

    // Nothing (the frame is drawn on the scene walk only).
    void DrawGl(view3d& view) override;
    // The frame relative to the anchor: (-ox, -oy, width - ox, height - oy); true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // The box of the anchor; true (see the header comment).
    bool GetBoundBox(SPAbox& box) override;
    // The window box the frame lights about the anchor's pixel, rows counted down as the walks
    // place an anchored box: (-ox, oy - height, width - ox, oy), a pixel more each way for the
    // rounding of the anchor's pixel and the width of the frame's lines; true.
    bool GetDrawnBox2D(SDsBox2D& box) const;
    // 48.
    EDsItemsType GetItemType() override;
    // Whether the frame's screen box meets the pick aperture. A measuring view outside pick mode
    // that asks for window pixels (CDsViewExtrema::GetMeasuresPixelLines) takes the frame's
    // pixels instead (true when the anchor projects).
    bool Pick(view3d* view) override;
    // False.
    bool Pick(pick_manager* manager) override;
    // Points, on top (0x1001).
    int GetDrawPrimitives() override;
    // The frame as a line loop in the view's 2-D mode, lighting off, for every primitive mask; in
    // the item's own attributes when `applyAttributes`.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The anchor moved (so that a figure's transformation carries the frame along).
    void Transform(const SPAtransf& transform) override;
    // The alignment offsets (ox, oy) of the lower-left corner from the anchor.
    void GetOffsets(int& ox, int& oy) const;
    // The anchor.
    const CGmPosition& GetAnchor() const { return m_anchor; }
    // The frame's lower-left corner on `view`, rows counted up; false when the anchor does not
    // project.
    bool GetCorner(view3d& view, float& x, float& y) const;

protected:
    // 0: nothing printed.
    int DrawGdi(view3d& view) override;

private:
    CGmPosition m_anchor;
    EAlignment m_alignment;
    int m_width;
    int m_height;
};
