// CDsItemPolygonsDl: polygons recorded by the figure generator into display lists between
// StartPolygons and EndPolygons: either one list of the item's own (its name from glGenLists),
// drawn in two culled passes (front faces, then back faces), or a block of numbered lists (the
// polygon base's range), drawn in one pass. The generator gives the item the box of what it drew.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A pick draws what the item draws (its numbered lists when it has a block), so that an item
//   recorded into numbered lists can be picked too; the face-culling switch it turns off is put
//   back.
// - The two culled passes put the face-culling switch and the culled face back as they found
//   them. A walk that blends and culls (the transparent passes of the mixed mode, one walk per
//   side) gets the own list once, under its own culling: each side blends once, not twice.
// - Not copyable: the geometry lives only in the item's display lists.
// - The figure generator hands the item the triangles it records (AddTriangles), which the item
//   answers through GetVertices (see the polygon base) while it has the lists that draw them;
//   what a caller records into the lists by its own OpenGL calls is drawn but not known.
// - DeleteGlList (of the polygon base) deletes the numbered block; the item's own list stays
//   until the item goes.
// - Recorded while no OpenGL context is current, the generator's triangles and quads are kept by
//   the item and compiled into its lists at its first draw in a context (see the polygon base);
//   what a caller records by its own OpenGL calls then is lost, as OpenGL takes no call without a
//   context.
// - A pick's selection or feedback draws the triangles the item keeps from client arrays instead
//   of its lists (see the polygon base); an item that keeps none (its lists recorded by a
//   caller's own OpenGL calls) calls its lists.
#pragma once

#include <afx.h>

#include "DsItemPolygonsBase.h"

// Polygons recorded into display lists.
class AFX_EXT_CLASS CDsItemPolygonsDl : public CDsItemPolygonsBase {
public:
    // No lists yet; the colour of special line-attribute set 0; the display-list flag set.
    CDsItemPolygonsDl();
    // Not copyable (see the header comment).
    CDsItemPolygonsDl(const CDsItemPolygonsDl&) = delete;
    // Not copyable.
    CDsItemPolygonsDl& operator=(const CDsItemPolygonsDl&) = delete;
    // Deletes the item's own list (the base deletes the numbered block).
    ~CDsItemPolygonsDl() override;

    // --- Item protocol ------------------------------------------------------------------
    // Under the item's transformation, culling on, shaded or outlined as the fill flag says, the
    // item's colour, then the lists (see the header comment); switches restored.
    void DrawGl(view3d& view) override;
    // 20.
    EDsItemsType GetItemType() override;
    // Under the item's selection name and transformation, culling off: the lists (while OpenGL
    // selects or takes feedback, the triangles the item keeps, see the header comment); false.
    bool Pick(pick_manager* manager) override;
    using CDsItemPolygonsBase::Pick;
    // For kind 4: the item's colour (with `applyAttributes`) and the lists, under the item's
    // transformation; under a walk that blends and culls, the own list once (see the base).
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // --- Own operations -----------------------------------------------------------------
    // The extremes become the corners (three doubles each), valid.
    void SetExtremes(const double* min, const double* max);
    // Adds `count` triangles (nine doubles each) to those the item answers for its lists.
    void AddTriangles(int count, const double* points);

protected:
    // The triangles added, while the lists that draw them exist (0 otherwise).
    int GetOwnTrianglesCount() const override;
    // The block in one pass when the range is 1 or more, else the own list: in two culled passes
    // when `bothSides`, else once under the caller's culling.
    void CallLists(bool bothSides = true);
};
