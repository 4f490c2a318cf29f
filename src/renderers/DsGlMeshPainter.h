// CDsGlMeshPainter: draws the indexed mesh of one face through OpenGL, by one of three roads:
// - a display list compiled once and kept in the mesh (the default), of kind 1, plus 1 in
//   colour-per-vertex mode, plus 4 when reflected (1, 2, 5 or 6); a list of another kind is
//   deleted and compiled again;
// - vertex buffers built once and kept in the mesh (with the command-line switch "UseVBO" and the
//   extension "GL_ARB_vertex_buffer_object"), for meshes of more than 50 polygons;
// - immediate mode: with the immediate flag, while the view's context renders into a bitmap,
//   with the switch "DontUseDisplayListForFaces", and for meshes that the other roads do not take.
// While OpenGL selects or takes feedback (a pick), the mesh goes out on none of these roads but
// from client-side arrays of its positions, in the same blocks and vertex orders: Mesa never frees
// a buffer object's storage that a selection or feedback pass read from, so a display list (its
// vertex store), a vertex buffer or the buffer behind immediate mode read by picks would stay in
// memory after the mesh and its document went, or with every pick.
// A mesh in strip order goes out as triangle and quad strips (a polygon with strip link -1 begins
// a strip, any other continues the one before); a mesh without strip order (link -2 in its first
// polygon) as runs of triangles and quads sharing one glBegin, other polygons each on its own. A
// planar mesh sends one normal per draw. A reflected painter draws with clockwise front faces and
// normals as stored when the immediate flag is set, else with counter-clockwise front faces and
// every normal negated. In colour-per-vertex mode each vertex takes the colour of its palette
// index in the active vertex colour palette (CDsDriverGl::StSetColor), and the current colour is
// the one found before the draw afterwards. The switches are read once per process.
//
// Choices where the behaviour was open, and faults avoided:
// - A mesh without polygons draws nothing and answers false on every road (no empty list is made).
// - When no display list can be opened (no name, or another list is being compiled, into which a
//   list of the mesh cannot be nested) the mesh is drawn immediately instead, so a draw that
//   answers true has drawn.
// - A list drawn in colour-per-vertex mode leaves the current colour as it found it at every call,
//   not as it was when the list was compiled.
// - Vertex buffers are built and used above 50 polygons when every polygon is a triangle: one
//   buffer of GL_TRIANGLE_STRIP per strip for a mesh in strip order, one of GL_TRIANGLES for a
//   mesh without (the faceter of this platform gives such meshes). They hold the normals as
//   stored, so that they stay right whatever painter draws them later: a reflected painter draws a
//   mesh that is not planar immediately. Colour-per-vertex mode draws immediately too (buffers
//   carry no colours), and so does drawing into a bitmap, whose context need not share buffers.
//   A buffer that cannot be made leaves the mesh without buffers (drawn immediately).
// - A buffered draw leaves no buffer bound to GL_ARRAY_BUFFER (client arrays drawn later would
//   otherwise read from it); the vertex and normal arrays are switched off again.
// - A triangle strip ends at a polygon that is not a triangle, a quad strip at one that is not a
//   quad; polygons of fewer than three vertices are left out.
// - A mesh without per-vertex colours sends no colours in colour-per-vertex mode.
// - The silhouette is computed for the direction from the camera's eye to its target, brought into
//   the mesh's frame through the view's model transform.
#pragma once

#include <afx.h>

class CVyrIndexedMesh;
class CVyrPolygonVertex;
class view3d;

// Draws face meshes.
class AFX_EXT_CLASS CDsGlMeshPainter {
public:
    // Polygons a mesh needs beyond this count to be drawn from vertex buffers.
    static constexpr int kBufferPolygonThreshold = 50;

    // Not reflected, no colour per vertex.
    CDsGlMeshPainter() = default;
    // Copies the flags.
    CDsGlMeshPainter(const CDsGlMeshPainter&) = default;
    // Copies the flags.
    CDsGlMeshPainter& operator=(const CDsGlMeshPainter&) = default;
    // Nothing to free: what the painter builds lives in the meshes.
    ~CDsGlMeshPainter() = default;

    // Draws mirrored (non-zero) or not.
    void SetReflect(int reflect) { m_reflect = reflect != 0; }
    // Colours each vertex from its palette index (non-zero) or not.
    void SetColorPerVertexMode(int on) { m_colorPerVertex = on != 0; }

    // Draws `mesh` in `view` (see the header comment; `immediate` is the view's document flag 1).
    // False, nothing drawn, for a null mesh or a mesh without polygons.
    bool DrawIndexedMesh(view3d& view, CVyrIndexedMesh* mesh, bool immediate);
    // Whether OpenGL selects or takes feedback now (the render mode of the current context).
    static bool StSelectsOrFeedsBack();
    // Draws the mesh's silhouette lines for the view's camera as separate lines; false only for a
    // null mesh.
    bool DrawSilhouette(view3d& view, CVyrIndexedMesh* mesh);

private:
    // Sends the mesh (blocks, strips or buffers); false for a null mesh or one without polygons.
    bool MeshToGL(CVyrIndexedMesh* mesh, bool immediate, bool useBuffers);
    // Sends the positions of the mesh (with polygons) from client-side arrays, in MeshToGL's
    // blocks, no buffer object bound; the client arrays are put back as they were. The arrays are
    // kept with the mesh for its revision (CVyrIndexedMesh::GetPickArrays). True.
    bool MeshToClientArrays(const CVyrIndexedMesh& mesh);
    // Calls the mesh's list of the painter's kind, compiling it first when needed; false when
    // lists are off or none could be made.
    bool DrawDisplayList(CVyrIndexedMesh& mesh);
    // Builds the mesh's buffer records once (see the header comment); only for a mesh that
    // CanUseBuffers accepts.
    void CreateVBO(CVyrIndexedMesh& mesh);
    // Whether the painter may draw `mesh` from buffers now.
    bool CanUseBuffers(const CVyrIndexedMesh& mesh) const;
    // Draws every buffer record of the mesh.
    void DrawVBOs(const CVyrIndexedMesh& mesh);
    // One strip from polygon `next` on into the scratch arrays; `next` ends past it.
    void CreateTriangleStripVBO(const CVyrIndexedMesh& mesh, int& next);
    // Adds a vertex's position, and its normal unless the mesh is planar, to the scratch arrays.
    void PolyVertexToVBO(const CVyrPolygonVertex* vertex, bool planar);
    // The runs of a mesh without strip order.
    void DrawPlainPolygons(const CVyrIndexedMesh& mesh, bool immediate);
    // One triangle strip from polygon `next` on; `next` ends past it.
    void DrawTriangleStrip(const CVyrIndexedMesh& mesh, int& next, bool immediate);
    // One quad strip from polygon `next` on; `next` ends past it.
    void DrawQuadStrip(const CVyrIndexedMesh& mesh, int& next, bool immediate);
    // Normal (unless already sent for a planar mesh), colour and position of one vertex.
    void PolyVertexToGL(const CVyrPolygonVertex* vertex, bool immediate, const CVyrIndexedMesh* mesh);
    // Planar flag from the mesh, no normal sent yet.
    void InitState(const CVyrIndexedMesh* mesh);

    bool m_reflect = false;
    bool m_planar = false;
    bool m_normalSent = false;
    bool m_colorPerVertex = false;
};
