// CDsItemPointFixed, CDsItemPointReference and the marker drawer (CDsPointMarker): a point shown as
// a marker of a fixed size in pixels whatever the zoom. The fixed point sits at a model position,
// optionally pushed a number of pixels along a direction; the reference point sits at a fixed
// place of the window, given as distances back from the viewport's upper-right corner. Both are
// drawn on top. The figure generator's DrawPoint, the reference-point figure and the arrow groups
// make them.
//
// The marker drawer makes the marker of styles 1 to 9 as polylines in window pixels and sends them
// through the view's 2-D drawing (draw_polyline_2d, rows counted down) or to OpenGL as line strips
// (rows counted up, CDsItemPolyline2D::DrawGlStrip). On the renderers' scene walk the fixed point
// draws the points palette's bitmap marker instead (CDsPointsPalette), with the section clip
// planes lifted meanwhile: a marker is a raster in window pixels, which the model's planes would
// cut at random. Points are not cut by sections, except those of a clip-able figure (below).
//
// Window rows: a projected model point (rows counted down) is turned up once for OpenGL; picks
// compare it with the pick aperture as it comes (both count down); printing sends it down as it
// comes, so that a printed marker lands on the same place as the drawn one.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - GetBoundBox takes the offset in model units (not pixels): the model box of a point pushed by
//   pixels has no size of its own in model units.
// - The reference point prints at (distance x, viewport height - distance y + 1) of the current
//   view, its distances not measured back from the far corner on that road.
// - A position that does not project, a direction or offset that is not finite, and styles
//   outside 1 to 9 draw nothing; a size below 0 counts as 0 (10 in the 2-D box).
// - Refresh of the fixed point gives its attributes to the view before the palette's marker, so
//   that the marker takes the point's colour; so do both points on the scene walk when asked to
//   apply their attributes, so that a point keeps the pen its figure drew it with rather than the
//   colour the walk gives the whole figure.
// - The pick manager's test of the fixed point widens the aperture by the marker size, as the
//   view's pick does; for a marker smaller than what is drawn of it (the points palette draws a
//   bitmap 5 pixels wide for any size up to 5) both widen it, and the 2-D box grows, as far as
//   the drawing reaches, so that a marker is picked wherever it shows. The reference point's pick
//   widens the aperture likewise as far as its outline reaches (the small octagon of style 7 and
//   the stroke of style 8 reach beyond half the size).
// - A fixed point in the group of a clip-able figure (the nearest enclosing figure group that
//   names a figure, CDsFigure::IsClip_able) is clipped as the figure's lines are: where the
//   sections of the view's scene cut its displayed position (CDsGlScene::IsPointClipped, under the
//   view's model transform when one is applied), the scene walk draws no marker and neither pick
//   finds it. The test is the item's own, not OpenGL's, for the reason above; the retained road
//   (DrawGl, Refresh), which draws under whatever planes are on, is left as it is. A point of any
//   other figure, or of no figure, is never cut.
#pragma once

#include <afx.h>

#include "DsItemBase.h"
#include "GmPosition.h"
#include "VyrFigureGenerator.h"

// The marker drawer of the point items.
class AFX_EXT_CLASS CDsPointMarker {
public:
    // Draws the marker of `style` (1 to 9; others draw nothing) and `size` pixels centred at
    // (x, y): through the view's draw_polyline_2d unless `gl` (rows counted down), else as OpenGL
    // line strips in the view's 2-D mode (opened here unless `already2d`; rows counted up).
    // `thick` widens the dot of style 9 on the view's road to trunc(size / 2 x 2) pixels.
    static void StDraw(int style, float x, float y, int size, bool gl, bool thick, bool already2d, view3d& view);
};

// A marker at a model position.
class AFX_EXT_CLASS CDsItemPointFixed : public CDsItem {
public:
    // A marker of `style` and `size` pixels at `position` (coordinates below 1e-5 in size become 0),
    // pushed `offset` pixels along `direction`; on top.
    CDsItemPointFixed(const CGmPosition& position, EPointStyle style, int size, int offset,
                      const CGmUnitVector& direction);

    // --- Own operations -------------------------------------------------------------------
    // The marker style (SetStyle(int, bool) is the line style of the attributes).
    void SetPointStyle(EPointStyle style) { m_style = style; }
    // The offset in pixels along the direction.
    void SetOffset(int offset) { m_offset = offset; }
    // The direction of the offset.
    void SetDirection(const CGmUnitVector& direction) { m_direction = direction; }
    // The stored position (without the offset).
    const CGmPosition& GetPosition() const { return m_position; }
    // The marker style.
    EPointStyle GetPointStyle() const { return m_style; }
    // The marker size in pixels.
    int GetSize() const { return m_size; }
    // The offset in pixels.
    int GetOffset() const { return m_offset; }
    // The direction of the offset.
    const CGmUnitVector& GetDirection() const { return m_direction; }
    // The position shown on `view`: the position pushed offset x the view's units per pixel along
    // the direction.
    CGmPosition GetDisplayedPosition(const view3d& view) const;

    // --- The item protocol ----------------------------------------------------------------
    // The marker in OpenGL at the displayed position (stipple off for an inherited style).
    void DrawGl(view3d& view) override;
    // (-h, -h, h, h) with h = ceil((size, or 10 when 0) / 2), or the reach of what is drawn
    // (DrawnReach) when that is more; true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 13.
    EDsItemsType GetItemType() override;
    // The position transformed.
    void Transform(const SPAtransf& transform) override;
    // The attributes to the view, then the points palette's marker at the displayed position.
    void Refresh(view3d& view) override;
    // The displayed position measured by the extrema view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Prints the marker.
    void Plot(view3d& view) override;
    // The marker in OpenGL (no stipple change).
    void DrawGeometry(view3d& view) override;
    // A measuring view outside pick mode measures the position, or the pixels of the marker where
    // it is drawn when it asks for window pixels (CDsViewExtrema::GetMeasuresPixelLines; true);
    // else whether the marker's pixel lies inside the pick aperture widened by PickMargin and the
    // marker shows in the window (some pixel of its 2-D box inside the viewport), false where the
    // sections cut a point of a clip-able figure.
    bool Pick(view3d* view) override;
    // Whether the displayed position lies in the manager's aperture widened by PickMargin (not
    // where the sections cut a point of a clip-able figure); then what the manager's
    // save_current_if_ok answers.
    bool Pick(pick_manager* manager) override;
    // 512 when the mask has 0x200 and the view picks the point; else 0.
    long DrawPoints(view3d& view, long mask) override;
    // 0.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // Null and -1.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // 32: the position (without the offset); false for any other kind.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Points, on top (0x1001).
    int GetDrawPrimitives() override;
    // With points asked: the points palette's marker at the displayed position, in the item's own
    // attributes when `applyAttributes`, the section clip planes off meanwhile; nothing where the
    // sections cut a point of a clip-able figure.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of the single point position + direction x offset (model units); true.
    bool GetBoundBox(SPAbox& box) override;

    // What Refresh draws, inside the 2-D mode the caller has entered (an arrow's, around its head
    // and shaft): the attributes, then the palette's marker without a 2-D switch of its own.
    void RefreshIn2d(view3d& view);

    // Whether the item lies in the group of a clip-able figure (see the header comment).
    bool IsInClipableFigure() const;
    // Whether the sections of `view`'s scene cut the marker away (see the header comment).
    bool IsCutBySection(const view3d& view) const;
    // How far (pixels) the marker's drawing reaches from its point's pixel: the points palette's
    // bitmap of the size's class (at least 2), or the marker drawer's outline (size / 2).
    int DrawnReach() const;
    // The widening of the pick aperture: the size, and at least one more than DrawnReach, so that
    // a marker is found wherever a pixel of it shows in the aperture.
    int PickMargin() const;

protected:
    // Prints the marker through the view (twice its size while plotting); 0.
    int DrawGdi(view3d& view) override;
    // The marker in OpenGL at the displayed position's pixel.
    void DrawMarkerGl(view3d& view);

private:
    CGmPosition m_position;
    EPointStyle m_style;
    int m_size;
    int m_offset;
    CGmUnitVector m_direction;
};

// A marker at a fixed place of the window.
class AFX_EXT_CLASS CDsItemPointReference : public CDsItem {
public:
    // A marker of `style` and `size` pixels `distanceX` pixels left of the viewport's right edge
    // and `distanceY` below its top edge; on top.
    CDsItemPointReference(int distanceX, int distanceY, EPointStyle style, int size);

    // The place on `view`: (width - distance x, height - distance y), rows counted up.
    void GetScreenPlace(const view3d& view, int& x, int& y) const;
    // The distance from the right edge.
    int GetDistanceX() const { return m_distanceX; }
    // The distance from the top edge.
    int GetDistanceY() const { return m_distanceY; }
    // The marker style.
    EPointStyle GetPointStyle() const { return m_style; }
    // The marker size.
    int GetSize() const { return m_size; }

    // The marker in OpenGL at the screen place (stipple off for an inherited style).
    void DrawGl(view3d& view) override;
    // (-h, -h, h, h) with h = (size, or 10 when 0) / 2; true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 14.
    EDsItemsType GetItemType() override;
    // Stipple off for an inherited style, line width 1, then DrawGl.
    void Refresh(view3d& view) override;
    // Prints the marker.
    void Plot(view3d& view) override;
    using CDsItem::Pick;
    // Whether the screen place lies in the manager's aperture widened by PickMargin.
    bool Pick(pick_manager* manager) override;
    // 0.
    long DrawPoints(view3d& view, long mask) override;
    // 0.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // False.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // Points, on top (0x1001).
    int GetDrawPrimitives() override;
    // With points asked: the marker at the screen place in OpenGL (the walk is in 2-D already), in
    // the item's own attributes when `applyAttributes`.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The widening of the pick aperture: the size, and at least one more than the reach of the
    // marker's outline, so that a marker is found wherever a pixel of it shows in the aperture.
    int PickMargin() const;

protected:
    // Prints the marker through the view (twice its size while plotting); 0.
    int DrawGdi(view3d& view) override;

private:
    int m_distanceX;
    int m_distanceY;
    EPointStyle m_style;
    int m_size;
};
