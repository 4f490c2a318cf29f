// CVyrIndexedMesh: the display mesh of one face. A fixed-capacity array of nodes (float position
// and normal, double uv), an array of polygons whose corners point at nodes, and what the display
// needs beside them: the uv range, reverse and planar flags, the apex of a cone, per-node colour
// indices, the mesh painter's vertex-buffer records and an OpenGL display list that caches the
// drawing. The mesh manager builds it through its building interface CVyrIndexedMeshInt while the
// faceter runs; the mesh painter draws it; face items collect its triangles.
//
// Also here: CVyrPolygonVertex (one node), CVyrIndexedPolygon (one polygon), CVyrIndexedMeshInt
// (the building interface) and SDSDataVBO (one vertex-buffer record of the mesh painter).
//
// Capacities never grow: a full mesh refuses further nodes (null) and polygons (-1), without any
// message; the mesh manager then reports the face as failed.
//
// Choices left open, and where input is checked:
// - A polygon corner may only name a node of this mesh that is already in use: any other pointer
//   (null, a node of another mesh, a free slot) is refused (-1), so that no polygon ever points
//   outside the mesh. Corners not yet set point at node 0.
// - The fast adders check the capacities too (they refuse and change nothing when the data would
//   not fit) and take node indices outside the used nodes as node 0.
// - The silhouette's crossing point on a triangle edge interpolates the deviation of each end's
//   normal from the right angle to the viewing direction (where the surface turns away), not the
//   raw angles.
// - The display list takes its name from glGenLists, which reserves it for this list in every
//   context that shares lists.
// - Every change of the mesh's shape (its nodes, uv included, its polygons or its apex) through
//   its own members gives it a new revision (GetRevision), one no mesh of the process had before:
//   the mesh's serial number, drawn once when it is made, and the count of its changes. Whoever
//   keeps something computed from a mesh (a face's outline) tells whether it still holds by
//   comparing the two; a change costs one increment. get_vertex_for_edit counts as a change: the
//   node it hands out is about to be edited. A node or corner changed later through a pointer kept
//   from before, or through the pointers that get_polygon and the polygons hand out, is not seen.
//   Flags, colours, vertex buffers and the display list are not the shape.
// - ComputeSilhouette runs at every turn of the camera, so the mesh keeps, from its first call,
//   what does not depend on the view: each node's position and unit normal widened to double, each
//   triangle's corners as node indices and its plane's unit normal, and whether the apex is one of
//   its nodes. A view then costs one dot product per node and per triangle, and the angles
//   themselves only where a sign is too close to call or a crossing point needs them; the segments
//   are the ones the plain per-triangle computation gives. What is kept belongs to one revision
//   and is made again for the next. It is immutable once made and shared through an atomic
//   pointer, and the scratch space of a call belongs to the calling thread, so that any number of
//   threads may ask one mesh for silhouettes at once (while none changes it).
// - The outline of a cone runs on to its apex only when the apex is a node of the mesh: the face
//   reaches it (a pointed cone). A frustum's apex lies beyond its face, where no outline belongs;
//   and a mesh read back from an archive, which keeps no apex, then draws the same outline as the
//   mesh the faceter made.
#pragma once

#include <afx.h>

#include "GmPosition.h"
#include "SpaFaceter.h"
#include "SpaValues.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class CDsTrianglesCollector;
class CVyrIndexedMesh;

// One node of a mesh: position and normal as floats, uv as doubles (40 bytes).
class AFX_EXT_CLASS CVyrPolygonVertex {
public:
    // All zero.
    CVyrPolygonVertex() = default;
    // Position and normal narrowed to float; uv kept.
    CVyrPolygonVertex(const SPAposition& position, const SPAunit_vector& normal, const SPApar_pos& uv);

    // As the constructor, except that each of the six float values whose magnitude lies below the
    // smallest normal float (and is not 0) is stored as 0.
    void set_data(const SPAposition& position, const SPAunit_vector& normal, const SPApar_pos& uv);
    // The position (three floats).
    const float* GetFloatPosition() const { return m_position; }
    // The normal (three floats).
    const float* GetFloatNormal() const { return m_normal; }
    // The uv as stored.
    SPApar_pos get_uv() const { return SPApar_pos(m_u, m_v); }
    // Stores the uv.
    void set_uv(double u, double v)
    {
        m_u = u;
        m_v = v;
    }
    // The position widened to double.
    void GetPosition(SPAposition& position) const;
    // The normal widened to double.
    void GetNormal(SPAunit_vector& normal) const;
    // Negates the normal.
    void reverse();
    // The uv mapped back into the face's parameter range when `mesh` has rescaled its uv
    // (umin + (umax - umin) u, likewise v); else as stored.
    SPApar_pos get_uv_as_entered(const CVyrIndexedMesh& mesh) const;

private:
    float m_position[3] = {0.0f, 0.0f, 0.0f};
    float m_normal[3] = {0.0f, 0.0f, 0.0f};
    double m_u = 0.0;
    double m_v = 0.0;
};

// One polygon of a mesh: its corners are a run of node pointers inside the mesh.
class AFX_EXT_CLASS CVyrIndexedPolygon {
public:
    // No corners, no run, no template, share -2.
    CVyrIndexedPolygon() = default;

    // Number of corners.
    int num_vertex() const { return m_count; }
    // The run of corner pointers (null when none).
    CVyrPolygonVertex** get_vertices() const { return m_vertices; }
    // Corner `index`; corner 0 for an index outside 0..count-1; null without a run or corners.
    CVyrPolygonVertex* get_vertex(int index) const;
    // Sets corner `index`; answers the index, or -1 (nothing stored) outside 0..count-1.
    int set_vertex(int index, CVyrPolygonVertex* vertex);
    // Stores the corner count, the run and the share information; nothing when `run` is null.
    void set_data(int count, CVyrPolygonVertex** run, int share);
    // Sets the faceter's vertex template.
    void set_vertex_template(VERTEX_TEMPLATE* vertexTemplate) { m_template = vertexTemplate; }
    // The faceter's vertex template (not owned), or null.
    VERTEX_TEMPLATE* get_vertex_template() const { return m_template; }
    // Sets the share information (-2 in polygon 0: no strip order; -1: a strip begins here).
    void set_share_info(int share) { m_share = share; }
    // The share information.
    int get_share_info() const { return m_share; }
    // Reverses the order of the corners in place.
    void reverse_vertices();

private:
    int m_count = 0;
    CVyrPolygonVertex** m_vertices = nullptr;
    VERTEX_TEMPLATE* m_template = nullptr;
    int m_share = -2;
};

// One vertex-buffer record of the mesh painter: a triangle strip in buffer objects.
struct AFX_EXT_CLASS SDSDataVBO {
    // Buffer of the positions (three floats per vertex).
    unsigned int vertexBuffer = 0;
    // Buffer of the normals, 0 for a planar mesh.
    unsigned int normalBuffer = 0;
    // The strip's first normal, for a planar mesh.
    float normal[3] = {0.0f, 0.0f, 0.0f};
    // Number of vertices.
    int vertexCount = 0;
    // Primitive mode (GL_TRIANGLE_STRIP).
    unsigned int mode = 0;
};

// The building interface through which the mesh manager fills a mesh.
class AFX_EXT_CLASS CVyrIndexedMeshInt {
public:
    // Nothing to free here.
    virtual ~CVyrIndexedMeshInt();
    // The mesh being built.
    virtual CVyrIndexedMesh* IGetMesh() = 0;
    // Adds a node; answers its id (the node), or null when the mesh is full.
    virtual CVyrPolygonVertex* IAddVertex(const SPAposition& position, const SPAunit_vector& normal,
                                          const SPApar_pos& uv) = 0;
    // Adds polygon `index` with `count` corners; answers the index or -1.
    virtual int add_polygon(int index, int count, VERTEX_TEMPLATE* vertexTemplate, int share) = 0;
    // Sets corner `position` of polygon `polygon` to `node`; answers the polygon index or -1.
    virtual int ISetPolyVertex(int polygon, int position, CVyrPolygonVertex* node) = 0;
    // Number of polygons.
    virtual int get_num_polygon() const = 0;
    // Rescales the uv into 0..1.
    virtual void map_uv_into_01() = 0;

protected:
    // Made by meshes only.
    CVyrIndexedMeshInt() = default;
    // Copied by meshes only.
    CVyrIndexedMeshInt(const CVyrIndexedMeshInt&) = default;
    // Assigned by meshes only.
    CVyrIndexedMeshInt& operator=(const CVyrIndexedMeshInt&) = default;
};

// A face's display mesh.
class AFX_EXT_CLASS CVyrIndexedMesh : public MESH, public CVyrIndexedMeshInt {
public:
    // Silhouette segments: pairs of end points.
    using SegmentList = std::vector<std::pair<CGmPosition, CGmPosition>>;

    // Which way each end of a silhouette segment leaves its face's mesh in the picture, and how far
    // it must go, so that a hidden-line frame can draw the segment where its own face does not
    // cover it: the segments lie on the mesh, where the face's triangles in front of them may
    // reach over them. Ends that segments share (on one mesh edge or node) get the same answer.
    struct SSilhouetteSide {
        // Per end (first, second): the surface's normal there, off the line of sight (so sideways
        // in the picture), turned towards the side of the outline where the face does not lie,
        // away from its centre of curvature, whichever way the mesh's normals point (where they
        // do not turn, on a flat triangle seen edge-on, the way they point). Zero where the
        // normal runs along the line of sight.
        SPAunit_vector away[2];
        // Per end: how far (model units, 0 or more) the two corners of the mesh edge the end lies
        // on reach beyond it that way (0 at a node).
        double reach[2] = {0.0, 0.0};
    };

    // A revision of a mesh's shape (see the header comment). The default one is no mesh's.
    struct SRevision {
        // The mesh's serial number: no two meshes of the process share one; 0 for none.
        uint64_t mesh = 0;
        // How many times that mesh's shape had changed.
        uint64_t changes = 0;
        // Whether both are the same revision of the same mesh.
        bool operator==(const SRevision& other) const { return mesh == other.mesh && changes == other.changes; }
        // Whether they differ.
        bool operator!=(const SRevision& other) const { return !(*this == other); }
    };

    // A mesh for up to `nodes` nodes, `polygons` polygons and `polynodes` polygon corners (each
    // raised to 1 when smaller), all empty; uv range (1e30, -1e30, 1e30, -1e30); flags 0; no apex,
    // colours, vertex buffers or display list; a revision of its own. Throws std::bad_alloc when
    // the arrays cannot be had.
    CVyrIndexedMesh(int nodes, int polygons, int polynodes);
    // A mesh whose capacities are `other`'s counts: nodes copied, polygons rebuilt to point into
    // the copy (share -2, no template); uv range, disable-lights flag and apex copied; reverse,
    // planar and uv-scaled flags 0; no colours, vertex buffers or display list; a revision of its
    // own.
    CVyrIndexedMesh(const CVyrIndexedMesh& other);
    // Not assignable (see operator|=).
    CVyrIndexedMesh& operator=(const CVyrIndexedMesh&) = delete;
    // Frees the arrays, the apex and the colours, and deletes the display list and the buffers of
    // the vertex-buffer records (in the current OpenGL context).
    ~CVyrIndexedMesh() override;

    // Takes `other`'s content into this empty mesh: counts, nodes, polygons (pointing into this
    // mesh, share -2), uv range and disable-lights flag; the uv-scaled flag becomes 0 and the
    // display list is deleted. Nothing when `other` is this mesh, when this mesh holds any node,
    // polygon or corner already, or when one of `other`'s counts exceeds this mesh's capacity.
    CVyrIndexedMesh& operator|=(const CVyrIndexedMesh& other);

    // --- Capacities and counts --------------------------------------------------------------
    // Node capacity.
    int GetNodeCapacity() const { return m_nodeCapacity; }
    // Polygon capacity.
    int GetPolygonCapacity() const { return m_polygonCapacity; }
    // Polygon-corner capacity.
    int GetPolynodeCapacity() const { return m_polynodeCapacity; }
    // The three capacities.
    void GetLimits(int& nodes, int& polygons, int& polynodes) const;
    // The three counts.
    void GetQuantities(int& nodes, int& polygons, int& polynodes) const;
    // Number of nodes in use.
    int get_num_vertex() const { return m_nodeCount; }
    // Number of polygons.
    int get_num_polygon() const override { return m_polygonCount; }
    // Number of polygon corners in use.
    int get_num_polynode() const { return m_polynodeCount; }
    // The revision of the mesh's shape: a new one, never had by any mesh before, whenever a member
    // changes the nodes, the polygons or the apex (see the header comment).
    SRevision GetRevision() const { return m_revision; }
    // How many revisions the meshes of the process were given so far, new meshes and changes
    // alike: whoever holds many meshes learns from one comparison that none of them changed.
    static uint64_t StShapeChanges();

    // --- Nodes and polygons -----------------------------------------------------------------
    // Node `index`; node 0 for an index outside the node count.
    const CVyrPolygonVertex* get_vertex(int index) const { return &m_nodes[ValidNode(index)]; }
    // Node `index` for editing; node 0 for an index outside the node count. A new revision (see
    // the header comment).
    CVyrPolygonVertex* get_vertex_for_edit(int index);
    // Position of node `index` (node 0 outside the count).
    const float* GetFloatPosition(int index) const { return get_vertex(index)->GetFloatPosition(); }
    // Normal of node `index` (node 0 outside the count).
    const float* GetFloatNormal(int index) const { return get_vertex(index)->GetFloatNormal(); }
    // uv of node `index` as stored (node 0 outside the count).
    SPApar_pos get_uv(int index) const { return get_vertex(index)->get_uv(); }
    // uv of node `index` in the face's parameter range (see CVyrPolygonVertex::get_uv_as_entered).
    SPApar_pos get_uv_as_entered(int index) const { return get_vertex(index)->get_uv_as_entered(*this); }
    // uv of node `index` in 0..1: as stored once rescaled, else mapped through the uv range.
    SPApar_pos get_uv_as_scaled(int index) const;
    // Index of `vertex` among the used nodes; 0 when it is not one of them.
    int get_vertex_index(const CVyrPolygonVertex* vertex) const;
    // Polygon `index`, or null outside the polygon count.
    CVyrIndexedPolygon* get_polygon(int index) const;

    // --- Building -----------------------------------------------------------------------------
    // Stores a node (see CVyrPolygonVertex::set_data) and widens the uv range by its uv; null,
    // nothing changed, when the mesh is full.
    CVyrPolygonVertex* add_vertex(const SPAposition& position, const SPAunit_vector& normal, const SPApar_pos& uv);
    // Stores a copy of `vertex` unchanged and widens the uv range; null when the mesh is full.
    CVyrPolygonVertex* add_vertex(const CVyrPolygonVertex& vertex);
    // Adds polygon `index` with `count` corners (each pointing at node 0 until set), the template
    // and the share information; -1, nothing changed, when `index` is not the polygon count, the
    // polygons are full, `count` is negative or the corners would not fit.
    int add_polygon(int index, int count, VERTEX_TEMPLATE* vertexTemplate, int share) override;
    // Corner `position` of polygon `polygon` becomes `node` (a used node of this mesh); answers
    // the polygon index, or -1 (nothing stored) for a polygon, position or node out of range.
    int set_poly_vertex(int polygon, int position, CVyrPolygonVertex* node);
    // As set_poly_vertex.
    int ISetPolyVertex(int polygon, int position, CVyrPolygonVertex* node) override;
    // Appends `count` nodes copied from `vertices` (uv range widened); false, nothing changed,
    // when they do not fit or `vertices` is null with a positive count.
    bool FastAddVerticies(int count, const CVyrPolygonVertex* vertices);
    // Polygon `index` (0 .. capacity - 1) gets `count` corners at the next free corners, pointing
    // at the nodes of `nodeIndices` (an index outside the used nodes gives node 0), with the
    // template and share information; the polygon count becomes at least index + 1. Answers the
    // index, or -1 (nothing changed) when it does not fit or `nodeIndices` is null.
    int FastAddPolygon(int index, int count, VERTEX_TEMPLATE* vertexTemplate, int share, const int* nodeIndices);

    // --- Geometry -----------------------------------------------------------------------------
    // The box of node 0 (also for a mesh without nodes) and every further used node.
    SPAbox get_box() const override;
    // The same with every position taken through `t` first.
    SPAbox GetBoxWithTransf(const SPAtransf& t) const;
    // Negates every used node's normal and reverses every polygon's corner order (the reverse
    // flag is not changed).
    void reverse();
    // When the uv range has extent in u and in v and the uv is not rescaled yet: every used
    // node's uv becomes (u - umin) / (umax - umin), (v - vmin) / (vmax - vmin) and the uv-scaled
    // flag 1 (the range stays, so get_uv_as_entered maps back).
    void map_uv_into_01() override;
    // Appends three node indices per triangle (the triangle walk: see the source).
    void GenerateTrianglesList(std::vector<int>& indices) const;
    // Appends three node pointers per triangle (the same walk).
    void GenerateTrianglesList(std::vector<CVyrPolygonVertex*>& vertices);
    // Hands every triangle (the same walk) to the collector.
    void CollectMeshTriangles(CDsTrianglesCollector& collector) const;
    // Appends the silhouette segments of the mesh seen from `eye` towards `target` (the viewing
    // direction brought into the mesh's frame by the inverse of `viewTransform`). Triangles only.
    // With `sides`, appends the side of each segment appended too (see SSilhouetteSide); the
    // segments are the same with or without. The first call of a revision keeps what does not
    // depend on the view; safe to call from several threads at once (see the header comment).
    void ComputeSilhouette(const SPAtransf& viewTransform, const SPAposition& eye, const SPAposition& target,
                           SegmentList& segments, std::vector<SSilhouetteSide>* sides = nullptr) const;
    // Moves both ends of a segment sideways, away from the surface (along (first - second) x
    // `u`, turned towards `w`), by twice the current refinement's surface tolerance, so that a
    // hidden-line pass does not hide it in its own face (`w` may be the side's `away` that
    // ComputeSilhouette gives, `u` the viewing direction).
    static void OffsetSegmentToPreventFhlAtrifacts(SPAposition& first, SPAposition& second, const SPAunit_vector& u,
                                                   const SPAunit_vector& w);

    // --- uv range and flags -----------------------------------------------------------------
    // The uv range.
    void GetRange(double& umin, double& umax, double& vmin, double& vmax) const;
    // Sets the uv range.
    void SetRange(double umin, double umax, double vmin, double vmax);
    // 1 when the face's normals are drawn negated.
    int GetReverseFlag() const { return m_reverse; }
    // Sets the reverse flag.
    void SetReverseFlag(int flag) { m_reverse = flag; }
    // 1 for a planar face (all nodes share one normal).
    int GetPlanarFlag() const { return m_planar; }
    // Sets the planar flag.
    void SetPlanarFlag(int flag) { m_planar = flag; }
    // 1 once the uv is rescaled into 0..1.
    int GetScaleFlag() const { return m_uvScaled; }
    // Sets the uv-scaled flag.
    void SetScaleFlag(int flag) { m_uvScaled = flag; }
    // Whether lighting is off for the per-node colours.
    bool GetDisableLights() const { return m_disableLights; }
    // The apex of a conical face (owned by the mesh), or null.
    const SPAposition* GetApexPosition() const { return m_apex; }
    // Takes `apex` (may be null) as the mesh's apex, freeing the one held before; a new revision.
    void SetApexPosition(SPAposition* apex);

    // --- Per-node colours ---------------------------------------------------------------------
    // Replaces the colours by a copy of node-capacity bytes of `colors` (null: none) and stores
    // the disable-lights flag.
    void SetVertexColors(const unsigned char* colors, bool disableLights);
    // Frees the colours and clears the disable-lights flag.
    void DeleteColors();
    // Colour index of node `index` (below the node capacity); nothing without colours.
    void SetVertexColorIndex(int index, unsigned char color);
    // The colours (node-capacity bytes), or null.
    const unsigned char* GetVertexColors() const { return m_colors; }
    // The colour index of node `index` into `color`; false (nothing stored) without colours or
    // for an index outside the node capacity.
    bool GetVertexColorIndex(int index, unsigned char& color) const;
    // The colour index of `vertex` (of node 0 when it is not a used node); 0 without colours.
    unsigned char GetVertexColorIndex(const CVyrPolygonVertex* vertex) const;

    // --- Vertex buffers of the mesh painter ---------------------------------------------------
    // The records (the painter's to make and use).
    const std::vector<SDSDataVBO>& GetVBOs() const { return m_vbos; }
    // Appends a record; its buffers belong to the mesh from here on (deleted with it).
    void AddVBO(const SDSDataVBO& record) { m_vbos.push_back(record); }

    // --- Display list -------------------------------------------------------------------------
    // Deletes an existing list, takes a fresh list name for `owner` and opens it in compile mode
    // (GL_COMPILE): the drawing that follows, up to FinishDisplayListCreation, is recorded.
    // False (nothing opened) when no name can be had, e.g. without a current OpenGL context.
    bool StartDisplayListCreation(int owner);
    // Closes the list opened by StartDisplayListCreation (nothing when there is none).
    void FinishDisplayListCreation();
    // Replays the list (nothing when there is none).
    void DrawDisplayList() const;
    // Deletes the list and forgets its name (nothing when there is none).
    void DeleteDisplayList();
    // Whether a list exists, was made for `owner` and records the present shape (a list made
    // before a change of the shape, an edit in place included, does not count).
    bool IsDisplayListExists(int owner) const;
    // The list's name, 0 when there is none.
    unsigned int GetDisplayList() const { return m_displayList; }
    // The owner (kind) the list was made for, 0 when there is none.
    int GetDisplayListOwner() const { return m_displayListOwner; }

    // --- Kept for picks ----------------------------------------------------------------------
    // The positions of the mesh in drawing blocks, as a pick's selection or feedback sends them
    // from client arrays (the display core's mesh painter makes them; OpenGL keeps whatever
    // buffer such a pass read from, so none is used): runs of one primitive (`mode`, an OpenGL
    // primitive) over `positions` (x, y, z each), made of the revision `revision`.
    struct SPickArrays {
        struct SRun {
            unsigned mode = 0;
            int first = 0;
            int count = 0;
        };
        SRevision revision;
        std::vector<SRun> runs;
        std::vector<float> positions;
    };
    // The arrays kept last (null when none were), of whatever revision they were made.
    std::shared_ptr<const SPickArrays> GetPickArrays() const { return std::atomic_load(&m_pickArrays); }
    // Keeps `arrays` for the next pick; they go with the mesh.
    void SetPickArrays(std::shared_ptr<const SPickArrays> arrays) const { std::atomic_store(&m_pickArrays, std::move(arrays)); }

    // --- Building interface -------------------------------------------------------------------
    // This mesh.
    CVyrIndexedMesh* IGetMesh() override { return this; }
    // add_vertex.
    CVyrPolygonVertex* IAddVertex(const SPAposition& position, const SPAunit_vector& normal,
                                  const SPApar_pos& uv) override;

private:
    // What ComputeSilhouette keeps of one revision of the mesh.
    struct SSilhouetteBasis;
    // The basis of the current revision, made first when the one kept is of another.
    std::shared_ptr<const SSilhouetteBasis> SilhouetteBasis() const;
    // The shape changes: a new revision, and the kept basis dropped.
    void Touch();
    // `index` when it names a used node, else 0.
    int ValidNode(int index) const { return index >= 0 && index < m_nodeCount ? index : 0; }
    // Whether `vertex` is one of the used nodes.
    bool IsUsedNode(const CVyrPolygonVertex* vertex) const;
    // Widens the uv range by (u, v).
    void WidenRange(double u, double v);
    // Allocates the arrays for the capacities.
    void Allocate();
    // Copies `other`'s nodes and polygons (re-pointed into this mesh, share -2) and counts.
    void CopyContent(const CVyrIndexedMesh& other);
    // Runs the triangle walk, calling `emit` with three node pointers per triangle.
    template <typename Emit>
    void WalkTriangles(Emit&& emit) const;

    int m_nodeCapacity;
    int m_polygonCapacity;
    int m_polynodeCapacity;
    int m_nodeCount = 0;
    int m_polygonCount = 0;
    int m_polynodeCount = 0;
    CVyrPolygonVertex* m_nodes = nullptr;
    CVyrIndexedPolygon* m_polygons = nullptr;
    CVyrPolygonVertex** m_polynodes = nullptr;
    unsigned char* m_colors = nullptr;
    double m_umin = 1e30;
    double m_umax = -1e30;
    double m_vmin = 1e30;
    double m_vmax = -1e30;
    int m_reverse = 0;
    int m_planar = 0;
    int m_uvScaled = 0;
    SPAposition* m_apex = nullptr;
    bool m_disableLights = false;
    std::vector<SDSDataVBO> m_vbos;
    unsigned int m_displayList = 0;
    int m_displayListOwner = 0;
    SRevision m_displayListRevision;  // the shape the list records
    SRevision m_revision;
    // Const members read and replace it only through std::atomic_load and std::atomic_store;
    // changing members, which have the mesh to themselves, drop it plainly.
    mutable std::shared_ptr<const SSilhouetteBasis> m_silhouetteBasis;
    // Read and replaced through std::atomic_load and std::atomic_store, and dropped by a changing
    // member, as the basis.
    mutable std::shared_ptr<const SPickArrays> m_pickArrays;
};
