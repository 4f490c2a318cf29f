// The faceter: refinements (the tolerances of a faceting run), meshes, the mesh manager that
// receives the facets of each face, and the calls that facet faces, curves and make isolines.
//
// Faceting a face feeds the registered MESH_MANAGER in this order:
//     begin_mesh_output
//     announce_counts                 (exact counts of what follows)
//     announce_indexed_node x nnode   (index 0 .. nnode-1: uv, position, normal)
//     per polygon: start_indexed_polygon, then announce_indexed_polynode (3-argument form) for
//                  each of its vertices, naming the ids announce_indexed_node answered
//     end_mesh_output
//     save_mesh_output
// Every polygon is an independent triangle (share information -2 on every polygon), listed
// counter-clockwise seen from outside the material. Positions are in the body's own space (its
// TRANSFORM is not applied); normals are the unit surface normals, pointing out of the material.
//
// Refinement lifetime. Refinements are made only by api_create_refinement and belong to the
// faceter: callers never delete them. The faceter keeps a built-in default refinement (the one
// api_get_default_refinement answers until another is set) and remembers, for each refinement set
// as default, the default it replaced. Setting that remembered refinement back (the "remember,
// set, restore" pattern of a faceting run) frees the refinement it replaces when it was made by
// api_create_refinement and is not remembered elsewhere. Every other refinement made by
// api_create_refinement lives until the process ends. So a refinement the caller still holds
// (the remembered default, or one it set and has not restored past) is never freed.
//
// The faceter is used from one thread at a time; its state (default refinement, mesh manager) is
// process-wide. The mesher works on the faces of one call in parallel threads, but the mesh
// manager is only ever called from the calling thread.
#pragma once

#include "VyrAcisApi.h"

#include <iosfwd>

#include "SpaEntity.h"
#include "SpaErrors.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "SpaValues.h"

// ---------------------------------------------------------------------------------------------
// Refinement modes. They are kept by refinements and archived by callers as plain ints; the
// stand-in's faceter always makes triangles and does not consult them (see REFINEMENT).

// Whether the faceter lays a parameter grid over faces.
enum AF_GRID_MODE : int {
    // No grid: nodes only where the surface tolerance needs them.
    AF_GRID_MODE_NO_GRID = 0,
    // A grid inside each face (the default).
    AF_GRID_MODE_INSIDE = 1,
    // A grid carried to the face boundary.
    AF_GRID_MODE_WHOLE_FACE = 2
};

// Which polygons the faceter splits into triangles.
enum AF_TRIANG_MODE : int {
    // Polygons may keep more than three vertices.
    AF_TRIANG_MODE_POLYGONS = 0,
    // Every polygon is a triangle (the default).
    AF_TRIANG_MODE_TRIANGLES = 1,
    // Only polygons at the face boundary are split.
    AF_TRIANG_MODE_BORDER_TRIANGLES = 2
};

// How the faceter moves nodes to improve triangle shapes.
enum AF_ADJUST_MODE : int {
    // Nodes stay where they are made.
    AF_ADJUST_MODE_KEEP = 0,
    // Nodes off the grid are moved (the default).
    AF_ADJUST_MODE_SMOOTH_NON_GRID = 1,
    // All nodes may be moved.
    AF_ADJUST_MODE_SMOOTH_ALL = 2
};

// Which surfaces a default refinement is for.
enum AF_SURF_MODE : int {
    // All surfaces (the default).
    AF_SURF_MODE_ANY = 0,
    // Smooth analytic surfaces.
    AF_SURF_MODE_SMOOTH = 1,
    // Other surfaces.
    AF_SURF_MODE_OTHER = 2
};

// ---------------------------------------------------------------------------------------------
// Refinement

struct SpaRefinementAccess;

// The tolerances and limits of faceting. Made by api_create_refinement (see the header comment
// for lifetime). Setters store values unchecked; api_facet_entity checks them when it runs.
// What the faceter does with each value:
//   surface tolerance   (default 0.5) the largest distance between a facet and its surface (the
//                       linear deflection); must be finite and > 0.
//   normal tolerance    (default 0) the largest angle in degrees between the normals at the
//                       corners of a facet (the angular deflection); 0 = 28.65 degrees (0.5
//                       radian); values above 90 act as 90; must be finite and >= 0.
//   max edge length     (default 0) facets whose edges are longer are split, the new nodes lying
//                       on the surface; 0 = no limit; must be finite and >= 0. A face is never
//                       split beyond 2,000,000 triangles: past that its facets stay longer.
//   max grid lines (512), grid aspect ratio (0), min U / V grid lines (0, 0) and the three modes
//                       (1, 1, 1) are kept for callers and archives; the mesher has no
//                       counterpart for them.
class VYR_ACIS_API REFINEMENT {
public:
    // Not copyable: refinements are shared by pointer.
    REFINEMENT(const REFINEMENT&) = delete;
    REFINEMENT& operator=(const REFINEMENT&) = delete;

    // Sets the normal tolerance in degrees.
    void set_normal_tol(double degrees) { m_normalTol = degrees; }
    // The normal tolerance in degrees.
    double get_normal_tol() const { return m_normalTol; }
    // Sets the surface tolerance (model units).
    void set_surface_tol(double tol) { m_surfaceTol = tol; }
    // The surface tolerance.
    double get_surface_tol() const { return m_surfaceTol; }
    // Sets the maximum number of grid lines per direction.
    void set_max_grid_lines(int count) { m_maxGridLines = count; }
    // The maximum number of grid lines.
    int get_max_grid_lines() const { return m_maxGridLines; }
    // Sets the maximum facet edge length (0 = none).
    void set_max_edge_length(double length) { m_maxEdgeLength = length; }
    // The maximum facet edge length.
    double get_max_edge_length() const { return m_maxEdgeLength; }
    // Sets the triangulation mode.
    void set_triang_mode(AF_TRIANG_MODE mode) { m_triangMode = mode; }
    // The triangulation mode.
    AF_TRIANG_MODE get_triang_mode() const { return m_triangMode; }
    // Sets the grid mode.
    void set_grid_mode(AF_GRID_MODE mode) { m_gridMode = mode; }
    // The grid mode.
    AF_GRID_MODE get_grid_mode() const { return m_gridMode; }
    // Sets the adjust mode.
    void set_adjust_mode(AF_ADJUST_MODE mode) { m_adjustMode = mode; }
    // The adjust mode.
    AF_ADJUST_MODE get_adjust_mode() const { return m_adjustMode; }
    // Sets the largest aspect ratio of grid cells (0 = none).
    void set_grid_aspect_ratio(double ratio) { m_gridAspectRatio = ratio; }
    // The grid aspect ratio.
    double get_grid_aspect_ratio() const { return m_gridAspectRatio; }
    // Sets the minimum number of grid lines in u.
    void set_min_u_grid_lines(int count) { m_minUGridLines = count; }
    // The minimum number of grid lines in u.
    int get_min_u_grid_lines() const { return m_minUGridLines; }
    // Sets the minimum number of grid lines in v.
    void set_min_v_grid_lines(int count) { m_minVGridLines = count; }
    // The minimum number of grid lines in v.
    int get_min_v_grid_lines() const { return m_minVGridLines; }

private:
    friend struct SpaRefinementAccess;
    REFINEMENT() = default;
    ~REFINEMENT() = default;

    double m_normalTol = 0.0;
    double m_surfaceTol = 0.5;
    int m_maxGridLines = 512;
    double m_maxEdgeLength = 0.0;
    AF_TRIANG_MODE m_triangMode = AF_TRIANG_MODE_TRIANGLES;
    AF_GRID_MODE m_gridMode = AF_GRID_MODE_INSIDE;
    AF_ADJUST_MODE m_adjustMode = AF_ADJUST_MODE_SMOOTH_NON_GRID;
    double m_gridAspectRatio = 0.0;
    int m_minUGridLines = 0;
    int m_minVGridLines = 0;
};

// Makes a new refinement with the default values (owned by the faceter).
VYR_ACIS_API outcome api_create_refinement(REFINEMENT*& ref);
// The refinement api_facet_entity uses: the one last set, else the built-in default. One default
// serves every surface mode, so `mode` does not change the answer.
VYR_ACIS_API outcome api_get_default_refinement(REFINEMENT*& ref, AF_SURF_MODE mode = AF_SURF_MODE_ANY);
// Makes `ref` the default refinement (null = the built-in default). See the header comment for
// when a replaced refinement is freed. Errors: BAD_ARGUMENT for a pointer that is not a live
// refinement of this faceter.
VYR_ACIS_API outcome api_set_default_refinement(REFINEMENT* ref);

// ---------------------------------------------------------------------------------------------
// Meshes

// The base of the meshes a mesh manager builds. The faceter never makes or reads one itself.
class VYR_ACIS_API MESH {
public:
    // Frees the mesh.
    virtual ~MESH();
    // The box of the mesh's nodes; the base answers an empty box.
    virtual SPAbox get_box() const;
    // Writes the mesh as text; the base writes nothing.
    virtual void write(std::ostream& out) const;
    // Writes the mesh in a raw binary form; the base writes nothing.
    virtual void write_raw(std::ostream& out) const;

protected:
    // An empty mesh.
    MESH() = default;
    MESH(const MESH&) = default;
    MESH& operator=(const MESH&) = default;
};

// Type code of a VERTEX_TEMPLATE.
constexpr int VERTEX_TEMPLATE_TYPE = 50;

// The format of the nodes the faceter delivers (the "format entity" passed to the mesh manager's
// output calls). The stand-in's faceter always passes vertex_template_of_faceter(): every node
// carries a position, a normal and a uv pair.
class VYR_ACIS_API VERTEX_TEMPLATE : public ENTITY {
    SPA_ENTITY_TYPE(VERTEX_TEMPLATE, ENTITY, VERTEX_TEMPLATE_TYPE, "vertex_template")

public:
    // Node data bits.
    enum token : int {
        // Each node has a position.
        position_token = 1,
        // Each node has a unit normal.
        normal_token = 2,
        // Each node has surface parameters.
        uv_token = 4
    };

    // A template with the node data of `tokens` (a combination of the token bits).
    explicit VERTEX_TEMPLATE(int tokens = position_token | normal_token | uv_token) : m_tokens(tokens) {}

    // The node data bits.
    int tokens() const { return m_tokens; }
    // True when nodes carry `t`.
    bool has(token t) const { return (m_tokens & t) != 0; }

protected:
    ~VERTEX_TEMPLATE() override;

private:
    int m_tokens;
};

// The faceter's own template (position, normal and uv). It lives for the whole process; lose()
// on it does nothing.
VYR_ACIS_API VERTEX_TEMPLATE* vertex_template_of_faceter();

// ---------------------------------------------------------------------------------------------
// Mesh manager

// Receives the facets of each face (see the header comment for the order of the calls). The
// base does nothing with what it receives; a manager overrides what it needs. In every output
// call `face` is the FACE being faceted, `app_ref` the entity api_facet_entity was called with
// (its BODY, or the face itself), `format` the faceter's VERTEX_TEMPLATE.
class VYR_ACIS_API MESH_MANAGER {
public:
    // A manager.
    MESH_MANAGER() = default;
    // Managers are not copied.
    MESH_MANAGER(const MESH_MANAGER&) = delete;
    MESH_MANAGER& operator=(const MESH_MANAGER&) = delete;
    // Frees the manager.
    virtual ~MESH_MANAGER();

    // A face's output begins. May come again for a face whose earlier output was not saved.
    virtual void begin_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format);
    // A face's output is complete.
    virtual void end_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format);
    // The completed output of the face may be kept.
    virtual void save_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format);
    // The exact numbers of polygons, nodes and polygon vertices of the face.
    virtual void announce_counts(int npoly, int nnode, int npolynode);
    // Whether indexed polygons are wanted; the base answers true. The stand-in's faceter always
    // sends indexed polygons and does not ask.
    virtual bool need_indexed_polygons();
    // Whether one node numbering over all faces of a body is wanted; the base answers false. The
    // stand-in's faceter numbers nodes per face and does not ask.
    virtual bool need_global_node_numbering();
    // Node `index` of the face: its surface parameters, position and outward unit normal. The
    // answer is the node's id, which later polynode calls name; the base answers null.
    virtual void* announce_indexed_node(int index, const SPApar_pos& uv, const SPAposition& pos,
                                        const SPAunit_vector& normal);
    // Polygon `poly_index` (0, 1, ... in order) with `node_count` vertices begins. `share_info`
    // is -2: the polygon shares no vertex run with its neighbours.
    virtual void start_indexed_polygon(int poly_index, int node_count, int share_info);
    // Vertex `pos` of polygon `poly_index`, tagged with the model entity it lies on. The
    // stand-in's faceter does not call it.
    virtual void announce_indexed_polynode(ENTITY* owner, int poly_index, int pos, void* node_id);
    // Vertex `pos` (0 .. node_count-1) of polygon `poly_index` is the node `node_id`.
    virtual void announce_indexed_polynode(int poly_index, int pos, void* node_id);
    // Whether normals are wanted at nodes; the base answers true. The stand-in's faceter always
    // sends them and does not ask.
    virtual bool need_node_normals();
};

// Registers the manager that api_facet_entity feeds (null = none). The faceter uses it only
// inside faceting calls and never frees it: it stays registered until replaced, so a caller that
// deletes its manager registers another one (or null) before faceting again.
VYR_ACIS_API outcome api_set_mesh_manager(MESH_MANAGER* manager);

// ---------------------------------------------------------------------------------------------
// Faceting

// Facets `entity` with the default refinement, feeding the registered manager one face at a
// time:
//   BODY, LUMP, SHELL  each of its faces, in get_faces order;
//   FACE               the face;
//   EDGE, VERTEX, COEDGE, LOOP, WIRE: nothing (no surface of their own): success.
// A face the mesher cannot facet gets no output; the others are still faceted and the call then
// answers OCCT_FAILURE naming the first such face. Faceting never keeps a mesh from an earlier
// call: every call meshes again with its own tolerances.
// Errors: NULL_ENTITY; WRONG_TYPE for an entity that is not topology; NO_MESH_MANAGER;
// BAD_TOLERANCE for a refinement value out of range (see REFINEMENT); any error a manager call
// raises ends the faceting with that error.
VYR_ACIS_API outcome api_facet_entity(ENTITY* entity);
// api_facet_entity on each entry of `entities` in order; stops at the first error.
VYR_ACIS_API outcome api_facet_entities(const ENTITY_LIST& entities);
// How many faces the faceter has meshed (or tried to) since the process started: callers that
// must know whether faceting happened compare two answers.
VYR_ACIS_API long faceted_face_count();

// Approximates `crv` from parameter t0 to parameter t1 by a polyline: `points[i]` is the curve at
// `params[i]`; the first point is at t0, the last at t1, and the parameters run monotonically
// from one to the other. Each chord keeps within `tol` of the curve; with `angle_tol` > 0
// (radians) the tangents at the ends of a chord differ by at most that angle; with
// `max_length` > 0 no chord is longer. `count` receives the number of points (at least 2), which
// is below `max_points` when the tolerances are met; when they would need `max_points` points or
// more, exactly `max_points` points at evenly spaced parameters are answered instead. Both arrays
// must hold `max_points` values; `params` may be null.
// Errors (count = 0): BAD_TOLERANCE for `tol` <= 0 or not finite, or `angle_tol` / `max_length`
// negative or not finite; BAD_ARGUMENT for a null `points`, `max_points` < 2, t0 or t1 not finite,
// or a range outside the parameter range of a curve that is bounded and not periodic.
VYR_ACIS_API outcome api_facet_curve(const curve& crv, double t0, double t1, double tol, double angle_tol,
                                     double max_length, int max_points, int& count, SPAposition* points,
                                     double* params);

// Makes `nu` lines of constant u and `nv` lines of constant v on `face`, at evenly spaced
// interior parameters (u_i = u_min + i (u_max - u_min) / (nu + 1), i = 1 .. nu, over the face's
// parameter box; likewise v), clipped to the face: each piece inside the face becomes a new free
// EDGE (with its own vertices and curve geometry) transformed by `t`, appended to `edges` (u lines
// first, then v lines, each in increasing parameter and then along the line). The EDGEs belong to
// the caller, who frees each with lose(). nu = nv = 0 makes nothing.
// Errors: NULL_ENTITY; WRONG_TYPE for an entity that is not a FACE; BAD_ARGUMENT for a null
// `edges`, or nu or nv negative or above 1,024; OCCT_FAILURE when the face cannot be clipped (no
// edge is made then).
VYR_ACIS_API outcome api_face_nu_nv_isolines(int nu, int nv, FACE* face, const SPAtransf& t, ENTITY_LIST* edges);
