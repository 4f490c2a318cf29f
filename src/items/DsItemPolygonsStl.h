// CDsItemPolygonsStl: a triangle mesh read from an STL model (CVyrStlData, shared by reference
// count) shown as a shaded or wire leaf of a figure group. The item keeps a flat copy of the
// triangles' vertices (and, for vertex buffers, of their normals) and draws them, in order of
// preference, from vertex buffers (one description in the display manager's table, each view's
// buffers of it), from a block of display lists, or immediately. Large meshes are thinned while
// the view is in a fast refresh. The figure generator makes it (DrawTrianglesStl).
//
// Shading: a view that is not a core view draws wire, as does every view while display-manager
// flag 10 is set (a draw into the front buffer); otherwise render modes 3 (shaded) and 4 (mixed)
// shade and the others draw wire. The scene walk draws the mesh for primitive kind 2 in wire and
// kind 4 when shaded; the retained road (DrawGl, Refresh, DrawAlone) draws it by the same roads.
// Both draw it under the item's own transformation.
//
// Picking: the faces are read through GetVertices (the polygon base's triangles, placed by the
// item's transformation); drawn as lines, a pick in pick mode (Pick with a view) hits the mesh
// where the outline of one of its triangles crosses the pick region, and GetVertices answers the
// outlines for kind 2, so that the point picked lies on the line under the cursor. While the
// current view draws the mesh as lines, it has no faces: kind 4 answers none (GetVertices,
// GetVerticesCount, GetVerticesBuffer), so that neither the pick ray nor a visible-only pass meets
// faces the window does not show, and none hides what lies behind it. While OpenGL selects or
// takes feedback, the mesh goes from a client array of its vertices, on no other road (see the
// polygon base).
//
// Display lists: count = vertex count / 196,608 + 1; list k holds triangles k, k + count,
// k + 2 x count, ..., so that any leading run of the lists holds an evenly spread share of the
// mesh. A fast refresh with auto-hide on calls only the first fifth of them (at least one); with
// vertex buffers, a mesh of 100,001 vertices or more draws its box and the first fifth of each
// buffer chunk. The test for vertex-buffer support runs once per process (sVBOSupport).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The scene walk draws the mesh under the item's own transformation, as the retained road does
//   and as the boxes and extents measure it: a mesh that DrawTrianglesStl places is drawn, and so
//   picked, where ZoomAll frames it, not about the origin of its data.
// - The retained road draws the triangles (by the walk's roads) instead of recording an empty
//   display list, so that Refresh and DrawAlone show the mesh.
// - The display lists always carry the triangles' normals, so that lists first built for a wire
//   draw light correctly when the item is later drawn shaded.
// - A GL error while building the lists deletes them and draws immediately; the next draw tries
//   to build them again. Errors left set before the build are cleared first, so that they are not
//   taken for the build's.
// - The walk's primitive kinds are read as bits: kind 2 (or any set holding it) in wire, kind 4
//   when shaded.
// - Null or empty STL data makes an item that draws nothing and reports no vertices; so does a
//   mesh whose vertex array cannot be allocated (it then draws through the lists or immediately).
// - Not copyable: the item owns its arrays and a reference on the data.
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsItemPolygonsBase.h"

#include <cstdint>

class CDsView3dCdc;
class CVyrStlData;

// An STL triangle mesh item.
class AFX_EXT_CLASS CDsItemPolygonsStl : public CDsItemPolygonsBase {
public:
    // Vertex-buffer support: 0 not asked yet, 1 unsupported, 2 supported.
    static uint8_t sVBOSupport;
    // Whether vertex buffers can be used: asked once (when a GL context is current) and kept in
    // sVBOSupport.
    static bool StIsVBOSupported();

    // No mesh.
    CDsItemPolygonsStl();
    // The mesh of `data` (one reference taken; null: no mesh) under `transform`.
    CDsItemPolygonsStl(CVyrStlData* data, const SPAtransf& transform);
    // Not copyable (see the header comment).
    CDsItemPolygonsStl(const CDsItemPolygonsStl&) = delete;
    // Not copyable.
    CDsItemPolygonsStl& operator=(const CDsItemPolygonsStl&) = delete;
    // Releases the data, removes the vertex buffers from every view, frees the arrays and deletes
    // the display lists.
    ~CDsItemPolygonsStl() override;

    // --- Item protocol ------------------------------------------------------------------
    // The retained road (see the header comment).
    void DrawGl(view3d& view) override;
    // 21.
    EDsItemsType GetItemType() override;
    // In pick mode, when `view` draws the mesh as lines (not shaded), whether the outline of a
    // triangle, placed by the item's transformation, crosses the pick region; false in pick mode
    // otherwise. A measuring view gets the extremes and false.
    bool Pick(view3d* view) override;
    // False.
    bool Pick(pick_manager* manager) override;
    // -1 without a vertex array or unless `kinds` is 4 or 2 (4 only while faces are drawn, see the
    // header comment); else the vertex count.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // The polygon base's triangles for kind 4 while faces are drawn, else its outlines for kind 2.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // 6 (polygons and lines).
    int GetDrawPrimitives() override;
    // The scene walk's road (see the header comment), under the item's transformation; the item's
    // colour when `applyAttributes`.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // False without a vertex array or unless `kinds` is 4 or 2; else one buffer of the triangles,
    // placed by the item's transformation.
    bool GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds, std::vector<CDsGeometry::sVerticesBuffer>& buffers,
                           int index) override;
    // Unless valid: the extremes from every vertex, and the transformed box made anew from their
    // eight corners under the item's transformation.
    void UpdateExtremes() override;

    // --- Own operations -----------------------------------------------------------------
    // The mesh, null without one.
    CVyrStlData* GetStlData() const { return m_data; }
    // 3 x the number of triangles; 0 without a mesh.
    int GetVertexCount() const { return m_vertexCount; }
    // The entry in the display manager's vertex-buffer table, -1 while none is registered.
    int GetVBOId() const { return m_vboId; }
    // The vertex array (9 floats a triangle), null without one.
    const float* GetVertexArray() const { return m_vertices; }
    // The box of the extremes' eight corners under the item's transformation.
    const CDsBox& GetTransformedBox() const { return m_transformedBox; }
    // Whether `view` draws the mesh shaded (see the header comment).
    static bool IsShaded(view3d& view);
    // Whether the current view draws the mesh's faces (true without a current view).
    static bool FacesDrawn();
    // Whether a core view in render mode `renderMode` draws the mesh shaded (3 and 4) rather than
    // as the outlines of its triangles, display-manager flag 10 aside.
    static bool IsShadedIn(int renderMode);

protected:
    // Draws the triangles by the first road that works: vertex buffers, display lists,
    // immediately.
    void DrawTriangles(view3d& view);
    // The vertex-buffer road; false when it drew nothing.
    bool DrawFromBuffers(CDsView3dCdc* view, bool fastRefresh);
    // Builds the display-list block; false (nothing kept) on a GL error or without names.
    bool BuildLists();
    // glBegin(GL_TRIANGLES), every triangle with its normal, glEnd.
    void DrawImmediate();
    // The triangles of the vertex array (none without one).
    int GetOwnTrianglesCount() const override;
    // Triangle `t` of the vertex array.
    const float* GetOwnTriangle(int t) const override;

private:
    CVyrStlData* m_data = nullptr;
    CDsBox m_transformedBox;
    int32_t m_vertexCount = 0;
    int32_t m_vboId = -1;
    float* m_vertices = nullptr;
    float* m_normals = nullptr;
};
