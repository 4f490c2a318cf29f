// CDsItemPolygons2D: m polygons of n vertices each (floats, polygon k's vertex j at k x n + j),
// with one shared normal, drawn immediately in the current GL colour: triangles for n = 3, quads
// for n = 4, one GL_POLYGON each for more. The figure generator makes it from its static entry
// points (ItDrawTriangles: triangles; ItDrawPolyLine: one filled polygon), with the fill flag
// they pass.
//
// The normal is the normal of the winding of the first three vertices, unit((p1 - p0) x (p2 - p0)),
// as the figure generator's other triangles and quads take theirs; (1, 0, 0) when there are fewer
// than three vertices or they lie on a line. (It used to be taken negated, the geometry computer's
// float form: with the two-sided lighting the colour saver sets, neither side was then ever lit.)
//
// Placement: the item is placed by its own transformation (the figure generator's, through
// Transform) wherever it is drawn, boxed, printed or picked: the scene walk and the retained road
// both draw it under the transformation, its box is the placed one, and the picks and GetVertices
// take its vertices placed.
//
// Picking: a point pick maps the pick point onto the view's target plane and tests it against
// each polygon (x and y); a region pick hits a polygon that an edge of it crosses the region's
// border (the edge's screen rectangle meeting the pick aperture), or whose first vertex lies in
// the region. A hit is offered to the pick manager (save_current_if_ok).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Every polygon is tested by a pick, not only the first.
// - The region's corners and the projected vertices are compared in the same window convention,
//   y counted down from the top (as pick events and the geometry computer's projection count),
//   so that a polygon near the top edge is found where it is, not at its mirror.
// - A polygon count below 0, a vertex count below 1, null points or a size that cannot be
//   allocated make an item without vertices, which draws, prints and picks nothing; n below 3
//   draws nothing either. The fill flag is kept for the caller (GetFill); the polygons are always
//   filled.
// - On the scene walk, asked to apply its attributes, the item draws in its own colour (the pen of
//   the figure that made it), as the other polygon items do; the retained road keeps the current
//   colour.
// - Not copyable: it owns its vertices.
// - GetVertices hands out every polygon, one a call (it used to hand out the first alone, with n
//   for the count: the pick ray then missed every triangle of ItDrawTriangles but the first).
#pragma once

#include <afx.h>

#include "DsItemPolygonsBase.h"

#include <vector>

// Polygons of a common vertex count drawn immediately.
class AFX_EXT_CLASS CDsItemPolygons2D : public CDsItemPolygonsBase {
public:
    // `m` polygons of `n` vertices from `points` (n x m x 3 floats, copied); the colour of special
    // line-attribute set 0; the normal and extremes from the vertices.
    CDsItemPolygons2D(int n, int m, const float* points);
    // Not copyable (see the header comment).
    CDsItemPolygons2D(const CDsItemPolygons2D&) = delete;
    // Not copyable.
    CDsItemPolygons2D& operator=(const CDsItemPolygons2D&) = delete;
    // Frees the vertices.
    ~CDsItemPolygons2D() override;

    // --- Item protocol ------------------------------------------------------------------
    // Under the item's transformation, culling and depth test off, filled: the polygons in the
    // current colour; switches restored.
    void DrawGl(view3d& view) override;
    // 18.
    EDsItemsType GetItemType() override;
    // Nothing in draw phase 3 (on top); DrawGl otherwise (no attributes applied).
    void Refresh(view3d& view) override;
    // See the header comment.
    bool Pick(pick_manager* manager) override;
    using CDsItemPolygonsBase::Pick;
    // Every polygon's vertices: n x m, whatever the kinds (0 for an item without vertices).
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // For kind 4: the polygon that starts at vertex `index` (a multiple of n), placed by the item's
    // transformation (valid until the next call), and n; the index of the next polygon's first
    // vertex, -1 with the last (or for another index or kind). Each polygon is handed out, so that
    // the pick ray meets every one a pick of the window meets.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // 4.
    int GetDrawPrimitives() override;
    // For kind 4: the polygons under the item's transformation, in the item's colour when
    // `applyAttributes` (as the other polygon items), with no other state change.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The placed box of the vertices; false for an item without vertices.
    bool GetBoundBox(SPAbox& box) override;
    // The base's placed box; nothing for an item without vertices.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;

    // --- Own operations -----------------------------------------------------------------
    // Vertices per polygon.
    int GetVerticesPerPolygon() const { return m_n; }
    // Number of polygons.
    int GetPolygonsCount() const { return m_m; }
    // The shared normal (three floats).
    const float* GetNormal() const { return m_normal; }
    // Segment P1P2 against segment P3P4 in integers: 0 when they do not meet, 2 when they are
    // collinear, 1 when they cross, with the crossing (rounded) in (x, y).
    static int IntersectSegments(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int& x, int& y);

protected:
    // One closed polyline per polygon through the view's draw_polyline_3d, under the item's
    // transformation; the sum of their
    // answers.
    int DrawGdi(view3d& view) override;
    // glNormal3f, then the polygons.
    void DrawPolygons();
    // Whether polygon `k`, projected, meets the region of `manager`.
    bool PickPolygonInRegion(int k, pick_manager& manager, view3d& view);

private:
    int32_t m_n = 0;
    int32_t m_m = 0;
    float* m_vertices = nullptr;
    float m_normal[3] = {1.0f, 0.0f, 0.0f};
    std::vector<float> m_placed;  // the vertices GetVertices handed out last, placed
};
