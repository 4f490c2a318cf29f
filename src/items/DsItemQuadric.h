// CDsItemQuadric: one basic surface (sphere, cylinder, cone, box, torus or disk; a copy of the
// surface it is made from) drawn with the lamp's GLU quadric in the item's own frame. The figure
// generator makes it (DrawBasicSurface) with the fill flag it passes: filled and lit, or outlined.
//
// Slices: the retained road (DrawGl) uses 16; the scene walk chooses by the surface's size on
// screen: with s its characteristic size in pixels and M the larger side of the viewport, 16 when
// 0.1 M > s, 32 when 0.33 M > s, 44 when 0.66 M > s, else 52. The characteristic size is the
// radius of a sphere or cylinder, the base radius of a cone, the outer radius of a disk and the
// larger radius of a torus; a box has none.
//
// Kinds: 0 sphere, 1 cylinder, 2 cone, 3 box, 4 torus, 5 disk; any other kind is copied and drawn
// as a cone. The torus is evaluated through the modeler's torus about the z axis with the outer
// radius as its major and the inner radius as its minor radius, u over the first period from the
// first start, v over the second period, one quadrilateral per cell.
//
// Box: the box of what the item draws, in its own frame: the surface's box (CDsBasicSurface) for
// every kind but the torus, whose box is read from the radii as the item draws them: outer +
// inner from the axis and the inner radius above and below the plane of its centre circle (the
// whole turn, whatever the periods).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The retained road draws into the back buffer, as the lamp does, and puts the draw buffer back
//   afterwards.
// - A torus whose evaluation fails (non-finite periods or starts) draws nothing.
// - A surface of a kind whose class does not match (a foreign surface) is not copied: the item
//   then has no surface, draws nothing and reports no box.
// - Not copyable: it owns its surface copy and quadric.
// - Its own triangles (GetOwnTriangle, through which the pick ray and the visible-only region pick
//   meet it) are the cells the last scene walk drew, at that walk's slices (16 before any), split
//   in two: the ray meets the surface where the window shows it, not the exact quadric a slice
//   away. Cells that close to a point (a sphere's poles, a cone's apex) give one triangle.
// - While OpenGL selects or takes feedback (a pick) the surface goes out as its cells (at the
//   slices of the draw, whole quadrilaterals, so that an outlined surface is picked by the sides
//   of its cells as drawn, not by diagonals) from a client-side array, not through GLU or in
//   immediate mode (see CDsDriverGl: Mesa would keep what immediate mode sends).
#pragma once

#include <vector>

#include <afx.h>

#include "DsItemLamp.h"

// A basic surface item.
class AFX_EXT_CLASS CDsItemQuadric : public CDsItemLamp {
public:
    // A copy of `surface` (none for null), its kind as the type; the lamp's orientation is off.
    explicit CDsItemQuadric(const CDsBasicSurface* surface);
    // Not copyable (see the header comment).
    CDsItemQuadric(const CDsItemQuadric&) = delete;
    // Not copyable.
    CDsItemQuadric& operator=(const CDsItemQuadric&) = delete;
    // Deletes the surface copy.
    ~CDsItemQuadric() override;

    // --- Item protocol ------------------------------------------------------------------
    // Nothing without a surface; else under the item's transformation, culling off, into the back
    // buffer, shaded or outlined as the fill flag says, in the item's colour: the surface with 16
    // slices; switches restored.
    void DrawGl(view3d& view) override;
    // 17.
    EDsItemsType GetItemType() override;
    // Nothing without a surface; else UpdateExtremes and the extremes' box under the item's
    // transformation, then under `transform` when given (what holds the item, a copy say).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // For kind 4 with a surface: the item's colour (with `applyAttributes`) and the surface under
    // the item's transformation with the slices of its size in the view.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of what the item draws (see the header comment) under the item's transformation;
    // false without a surface.
    bool GetBoundBox(SPAbox& box) override;
    // True.
    bool HasBoundBox() override;
    // With a surface: the extremes become the box of what the item draws (see the header comment).
    void UpdateExtremes() override;

    // --- Own operations -----------------------------------------------------------------
    // The surface copy, null without one.
    const CDsBasicSurface* GetSurface() const { return m_surface; }
    // The slices of a surface of characteristic size `size` in `view` (see the header comment).
    static int GetSlicesCount(view3d& view, float size);
    // The characteristic size of the surface (0 for a box or without a surface).
    float GetCharacteristicSize() const;

protected:
    // Draws the surface with `slices` slices.
    void DrawSurface(int slices);
    // The triangles of the cells the last walk drew (see the header comment).
    int GetOwnTrianglesCount() const override;
    const float* GetOwnTriangle(int t) const override;
    // The torus cells with `slices` steps in each direction.
    void DrawTorus(const CDsTorus& torus, int slices);

private:
    // Makes the triangles of the surface at `slices` slices into m_cells (once per slice count).
    void MakeCells(int slices) const;
    // Appends the cells of the surface at `slices` slices to `out`: as triangles, or with `quads`
    // as quadrilaterals (see StAddCell).
    void AddCells(int slices, bool quads, std::vector<float>& out) const;

    CDsBasicSurface* m_surface = nullptr;
    int m_drawnSlices = 16;                // the slices the last walk drew
    mutable int m_cellSlices = 0;          // the slices m_cells were made at, 0: none
    mutable std::vector<float> m_cells;    // triangles of the drawn cells, 9 floats each
    int m_pickQuadSlices = 0;              // the slices m_pickQuads were made at, 0: none
    std::vector<float> m_pickQuads;        // the cells a pick sends, 12 floats each
};
