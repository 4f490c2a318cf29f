// CDsItemPolygonsArray: a strip of triangles between two rows of points, compiled into a display
// list of the item's own (its name from glGenLists) when the points are given. The figure
// generator makes one per pair of rows of a triangle mesh (DrawTriangles with a row length and a
// row count).
//
// The points are `count` points of three doubles: the first count / 2 form row A, the next
// count / 2 row B. With normals (same layout) the rows become one GL_TRIANGLE_STRIP
// A0 B0 A1 B1 ...; without, each quad between columns i and i + 1 becomes the triangles
// (Ai, Bi, Ai+1) and (Bi, Bi+1, Ai+1), each with the normal -normalise((p - q) x (r - q)) of its
// corners (p, q, r) sent once before them. Rows of fewer than two points draw nothing.
//
// The list is drawn in two culled passes, front faces first, then back faces. The fill flag
// chooses shaded (lit, filled, depth-tested) or outlined drawing on the retained road.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The two culled passes put the face-culling switch and the culled face back as they found
//   them.
// - Null points make an empty list (the item draws nothing); a zero-length normal is sent as
//   zero rather than as a division by zero.
// - Not copyable: the geometry lives only in the item's display list, which a copy could not
//   share without being deleted twice.
// - DeleteGlList (of the polygon base) leaves the item's own list: it is the only copy of the
//   geometry. The destructor and SetPoints delete it.
// - The strip's triangles are kept beside the list (whichever way they are sent, they cover the
//   same quads, each split between Bi and Ai+1) and answered through GetVertices (see the
//   polygon base).
// - Made while no OpenGL context is current, the strip is kept and compiled into the item's list
//   at its first draw in a context; a pick's selection or feedback draws the strip's triangles
//   from client arrays instead of the list (see the polygon base).
#pragma once

#include <afx.h>

#include "DsItemPolygonsBase.h"

// A strip of triangles between two rows of points.
class AFX_EXT_CLASS CDsItemPolygonsArray : public CDsItemPolygonsBase {
public:
    // No list; the colour of special line-attribute set 0.
    CDsItemPolygonsArray();
    // As the default item, then CreateTriangleStrip(count, points, normals).
    CDsItemPolygonsArray(int count, const double* points, const double* normals);
    // Not copyable (see the header comment).
    CDsItemPolygonsArray(const CDsItemPolygonsArray&) = delete;
    // Not copyable.
    CDsItemPolygonsArray& operator=(const CDsItemPolygonsArray&) = delete;
    // Deletes the item's display list.
    ~CDsItemPolygonsArray() override;

    // --- Item protocol ------------------------------------------------------------------
    // Under the item's selection name and transformation: shaded or outlined as the fill flag
    // says, the item's colour, the list in two culled passes; switches restored.
    void DrawGl(view3d& view) override;
    // 19.
    EDsItemsType GetItemType() override;
    // With a view: Refresh of the item (drawn into the selection); always false.
    bool Pick(pick_manager* manager) override;
    using CDsItemPolygonsBase::Pick;
    // For kind 4: the item's colour (with `applyAttributes`) and the list in two culled passes,
    // under the item's transformation.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // --- Own operations -----------------------------------------------------------------
    // Compiles the strip of `count` points (and normals, or null) into the item's list (keeps it
    // for the first draw in a context when none is current) and keeps its triangles; the
    // extremes become the points' box, valid.
    void CreateTriangleStrip(int count, const double* points, const double* normals);
    // Sends -normalise((p - q) x (r - q)) with glNormal3d (nine doubles: p, q, r).
    static void SetGlTriangleNormal(const double* p, const double* q, const double* r);
    // Deletes the item's list and compiles the new points.
    void SetPoints(int count, const double* points, const double* normals);

protected:
    // The list, front faces first, then back faces.
    void CallListTwoPasses();
};
