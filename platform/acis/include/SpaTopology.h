// Modeler topology: BODY, LUMP, SHELL, FACE, LOOP, COEDGE, EDGE, VERTEX, WIRE, TRANSFORM, and the
// queries over them.
//
// A body's topology is made once, when the body is made, and never changes. Its structure:
// BODY -> LUMPs -> SHELLs -> FACEs -> LOOPs -> COEDGEs -> EDGE -> VERTEXes, plus WIREs of COEDGEs
// for edges that bound no face. Sibling chains are walked with next(); a loop's coedges form a
// ring (the last one's next() is the first). Every entity's owner() is its parent in this chain
// (an EDGE's owner is its first COEDGE, a VERTEX's its first EDGE), so owners lead to the BODY.
//
// Edges without a curve (the collapsed boundaries at a sphere's pole or a cone's apex) are not
// part of the topology, and neither are seams: the lines where a closed periodic surface meets
// itself (down the side of a cylinder, cone or hole, from pole to pole of a sphere, round a
// torus), which bound nothing a user sees and are never drawn, picked or snapped to. A face on
// such a surface has a loop per boundary it really has: a cylinder's side one per rim, a pointed
// cone's side one (its base rim), a whole sphere or torus none (no edges, no vertices). Where a
// face is split along the line, the edge between the two faces is an edge like any other.
//
// Positions and parameters are those of the body's own space; the body's TRANSFORM applies on top.
#pragma once

#include "VyrAcisApi.h"
#include "SpaEntity.h"
#include "SpaGeometry.h"
#include "SpaValues.h"

struct SpaBodyData;
struct SpaOcctShape;
class LUMP;
class SHELL;
class FACE;
class LOOP;
class COEDGE;
class EDGE;
class VERTEX;
class WIRE;

// Sense of a face against its surface, of a coedge against its edge, or of an edge against its
// curve.
enum REVBIT { FORWARD = 0, REVERSED = 1 };

// Whether a face bounds material on one side only, or is a sheet seen from both sides.
enum FACE_SIDES { SINGLE_SIDED = 0, DOUBLE_SIDED = 1 };

// How the two faces at an edge meet, seen from outside the material.
enum EDGE_cvty {
    // Not known: the edge bounds fewer than two faces, or has no curve.
    EDGE_cvty_unknown = 0,
    // The faces make a ridge (like the edges of a block).
    EDGE_cvty_convex = 1,
    // The faces make a valley.
    EDGE_cvty_concave = 2,
    // The faces meet smoothly (like a fillet and its neighbours).
    EDGE_cvty_tangent = 3
};

// A transform entity. Bodies share it: once given to a body (BODY::set_transform) it is freed
// when the last body using it lets it go.
class VYR_ACIS_API TRANSFORM : public ENTITY {
    SPA_ENTITY_TYPE(TRANSFORM, ENTITY, TRANSFORM_TYPE, "transform")

public:
    // A transform entity holding `t`, used by no body yet.
    explicit TRANSFORM(const SPAtransf& t = SPAtransf());

    // The transform.
    const SPAtransf& transform() const { return m_transf; }
    // Replaces the transform (every body using this entity moves).
    void set_transform(const SPAtransf& t) { m_transf = t; }
    // Number of bodies using this entity.
    int use_count() const { return m_useCount; }
    // Frees the entity unless a body uses it (then nothing happens).
    void lose() override;

protected:
    ~TRANSFORM() override;

private:
    friend class BODY;

    SPAtransf m_transf;
    int m_useCount = 0;
};

// A body: the top-level entity of a solid, sheet or wire model.
class VYR_ACIS_API BODY : public ENTITY {
    SPA_ENTITY_TYPE(BODY, ENTITY, BODY_TYPE, "body")

public:
    // An empty body (no lumps, no wires); see SpaBuilders.h for bodies with shape.
    BODY();

    // First lump, or null.
    LUMP* lump() const { return m_lump; }
    // First wire, or null.
    WIRE* wire() const { return m_wire; }
    // The body's transform entity, or null (the identity).
    TRANSFORM* transform() const { return m_transform; }
    // Uses `t` as the body's transform (null = none), letting go of the previous one.
    void set_transform(TRANSFORM* t);

protected:
    // Frees the whole topology and lets go of the transform.
    ~BODY() override;

private:
    friend struct SpaOcctAccess;

    SpaBodyData* m_data = nullptr;
    LUMP* m_lump = nullptr;
    WIRE* m_wire = nullptr;
    TRANSFORM* m_transform = nullptr;
};

// A lump: one connected piece of a body.
class VYR_ACIS_API LUMP : public ENTITY {
    SPA_ENTITY_TYPE(LUMP, ENTITY, LUMP_TYPE, "lump")

public:
    // Next lump of the body, or null.
    LUMP* next() const { return m_next; }
    // First shell, or null.
    SHELL* shell() const { return m_shell; }
    // The body.
    BODY* body() const { return m_body; }
    // The body.
    ENTITY* owner() const override;

protected:
    ~LUMP() override;

private:
    friend struct SpaOcctAccess;
    LUMP() = default;

    LUMP* m_next = nullptr;
    SHELL* m_shell = nullptr;
    BODY* m_body = nullptr;
};

// A shell: a connected set of faces of a lump.
class VYR_ACIS_API SHELL : public ENTITY {
    SPA_ENTITY_TYPE(SHELL, ENTITY, SHELL_TYPE, "shell")

public:
    // Next shell of the lump, or null.
    SHELL* next() const { return m_next; }
    // First face, or null.
    FACE* face() const { return m_face; }
    // The lump.
    LUMP* lump() const { return m_lump; }
    // The lump.
    ENTITY* owner() const override;

protected:
    ~SHELL() override;

private:
    friend struct SpaOcctAccess;
    SHELL() = default;

    SHELL* m_next = nullptr;
    FACE* m_face = nullptr;
    LUMP* m_lump = nullptr;
};

// A face: a bounded region of a surface.
class VYR_ACIS_API FACE : public ENTITY {
    SPA_ENTITY_TYPE(FACE, ENTITY, FACE_TYPE, "face")

public:
    // Next face of the shell, or null.
    FACE* next() const { return m_next; }
    // First loop, or null (a face without boundary, such as a whole sphere, may have none).
    LOOP* loop() const { return m_loop; }
    // The shell.
    SHELL* shell() const { return m_shell; }
    // FORWARD when the outward normal is the surface normal, REVERSED when it is opposite.
    REVBIT sense() const { return m_sense; }
    // SINGLE_SIDED for faces of solids, DOUBLE_SIDED for sheets.
    FACE_SIDES sides() const { return m_sides; }
    // Changes the sides flag.
    void set_sides(FACE_SIDES sides) { m_sides = sides; }
    // The surface entity, or null for a face without a surface.
    SURFACE* geometry() const { return m_geometry; }
    // The shell.
    ENTITY* owner() const override;

protected:
    ~FACE() override;

private:
    friend struct SpaOcctAccess;
    FACE() = default;

    FACE* m_next = nullptr;
    LOOP* m_loop = nullptr;
    SHELL* m_shell = nullptr;
    SURFACE* m_geometry = nullptr;
    REVBIT m_sense = FORWARD;
    FACE_SIDES m_sides = SINGLE_SIDED;
    SpaOcctShape* m_occt = nullptr;
};

// A loop: one closed boundary of a face, a ring of coedges with the face on their left when
// seen from outside.
class VYR_ACIS_API LOOP : public ENTITY {
    SPA_ENTITY_TYPE(LOOP, ENTITY, LOOP_TYPE, "loop")

public:
    // Next loop of the face, or null.
    LOOP* next() const { return m_next; }
    // First coedge of the ring, or null.
    COEDGE* start() const { return m_start; }
    // The face.
    FACE* face() const { return m_face; }
    // The face.
    ENTITY* owner() const override;

protected:
    ~LOOP() override;

private:
    friend struct SpaOcctAccess;
    LOOP() = default;

    LOOP* m_next = nullptr;
    COEDGE* m_start = nullptr;
    FACE* m_face = nullptr;
    SpaOcctShape* m_occt = nullptr;
};

// A coedge: the use of an edge by a loop (or a wire), with its own direction.
class VYR_ACIS_API COEDGE : public ENTITY {
    SPA_ENTITY_TYPE(COEDGE, ENTITY, COEDGE_TYPE, "coedge")

public:
    // Next coedge of the loop (a ring) or wire (null after the last of an open wire).
    COEDGE* next() const { return m_next; }
    // Previous coedge, likewise.
    COEDGE* previous() const { return m_previous; }
    // Next coedge of the same edge (a ring); null when the edge has only this one (a free edge).
    COEDGE* partner() const { return m_partner; }
    // The edge.
    EDGE* edge() const { return m_edge; }
    // The loop, or null for a coedge of a wire.
    LOOP* loop() const { return m_loop; }
    // The wire, or null for a coedge of a loop.
    WIRE* wire() const { return m_wire; }
    // FORWARD when the coedge runs along its edge, REVERSED when against it.
    REVBIT sense() const { return m_sense; }
    // The vertex the coedge starts at.
    VERTEX* start() const;
    // The vertex the coedge ends at.
    VERTEX* end() const;
    // The loop or wire.
    ENTITY* owner() const override;

protected:
    ~COEDGE() override;

private:
    friend struct SpaOcctAccess;
    COEDGE() = default;

    COEDGE* m_next = nullptr;
    COEDGE* m_previous = nullptr;
    COEDGE* m_partner = nullptr;
    EDGE* m_edge = nullptr;
    LOOP* m_loop = nullptr;
    WIRE* m_wire = nullptr;
    REVBIT m_sense = FORWARD;
};

// An edge: a bounded piece of a curve between two vertices.
class VYR_ACIS_API EDGE : public ENTITY {
    SPA_ENTITY_TYPE(EDGE, ENTITY, EDGE_TYPE, "edge")

public:
    // A free edge on a copy of `geometry` over `range` (the curve's parameters), with its own two
    // vertices and no coedge. An empty or unbounded range is taken as the curve's range when that
    // is bounded, else as [0, 1]. lose() frees it with its vertices and curve. Raises what
    // evaluating `geometry` at the range's ends raises; nothing is made then.
    EDGE(const curve& geometry, const SPAinterval& range);

    // Start vertex (may be null for an edge without vertices).
    VERTEX* start() const { return m_start; }
    // End vertex (the start vertex again for a closed edge).
    VERTEX* end() const { return m_end; }
    // Position of the start vertex (the curve at start_param() when it has none).
    SPAposition start_pos() const;
    // Position of the end vertex (likewise).
    SPAposition end_pos() const;
    // First coedge, or null.
    COEDGE* coedge() const { return m_coedge; }
    // FORWARD when the edge runs along its curve, REVERSED when against it.
    REVBIT sense() const { return m_sense; }
    // The edge's parameter at its start: the curve parameter, negated for a REVERSED edge.
    SPAparameter start_param() const;
    // The edge's parameter at its end: the curve parameter, negated for a REVERSED edge.
    SPAparameter end_param() const;
    // The range of curve parameters the edge covers, in the curve's direction.
    SPAinterval param_range() const { return m_range; }
    // The curve entity, or null.
    CURVE* geometry() const { return m_geometry; }
    // How the faces at the edge meet (measured at the middle of the edge).
    EDGE_cvty get_convexity() const;
    // First coedge, or null for a free edge.
    ENTITY* owner() const override;

protected:
    ~EDGE() override;

private:
    friend struct SpaOcctAccess;
    EDGE() = default;

    VERTEX* m_start = nullptr;
    VERTEX* m_end = nullptr;
    COEDGE* m_coedge = nullptr;
    CURVE* m_geometry = nullptr;
    SPAinterval m_range;
    REVBIT m_sense = FORWARD;
    bool m_free = false;
    SpaOcctShape* m_occt = nullptr;
};

// A vertex: a point where edges end.
class VYR_ACIS_API VERTEX : public ENTITY {
    SPA_ENTITY_TYPE(VERTEX, ENTITY, VERTEX_TYPE, "vertex")

public:
    // The point.
    const SPAposition& position() const { return m_position; }
    // First edge ending here, or null.
    EDGE* edge() const { return m_edges.empty() ? nullptr : m_edges.front(); }
    // Edge `i` of those ending here (null outside 0..count_edges()-1).
    EDGE* edge(int i) const;
    // Number of edges ending here.
    int count_edges() const { return static_cast<int>(m_edges.size()); }
    // First edge.
    ENTITY* owner() const override { return edge(); }

protected:
    ~VERTEX() override;

private:
    friend struct SpaOcctAccess;
    friend class EDGE;
    VERTEX() = default;

    SPAposition m_position;
    std::vector<EDGE*> m_edges;
    SpaOcctShape* m_occt = nullptr;
};

// A wire: a chain of coedges of edges that bound no face.
class VYR_ACIS_API WIRE : public ENTITY {
    SPA_ENTITY_TYPE(WIRE, ENTITY, WIRE_TYPE, "wire")

public:
    // Next wire of the body, or null.
    WIRE* next() const { return m_next; }
    // First coedge, or null.
    COEDGE* coedge() const { return m_coedge; }
    // The body.
    BODY* body() const { return m_body; }
    // The body.
    ENTITY* owner() const override;

protected:
    ~WIRE() override;

private:
    friend struct SpaOcctAccess;
    WIRE() = default;

    WIRE* m_next = nullptr;
    COEDGE* m_coedge = nullptr;
    BODY* m_body = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Queries. The get_* functions append to `list` (with the duplicate check) in a fixed order: a
// body's faces, edges and vertices in the order the body's topology was made; a face's edges in
// loop and coedge order; an edge's faces in coedge order. They take:
//   get_faces:    BODY, LUMP, SHELL (their faces), FACE (itself), LOOP, COEDGE (its face),
//                 EDGE (the faces of its coedges), VERTEX (the faces of its edges);
//   get_edges:    BODY (every edge, wire edges last), LUMP, SHELL, FACE, LOOP, WIRE (their
//                 edges), COEDGE (its edge), EDGE (itself), VERTEX (its edges);
//   get_vertices: as get_edges, each edge giving its start then its end vertex.
// Other entities (and null) add nothing.

// Appends the faces of `entity`.
VYR_ACIS_API void get_faces(const ENTITY* entity, ENTITY_LIST& list);
// Appends the edges of `entity`.
VYR_ACIS_API void get_edges(const ENTITY* entity, ENTITY_LIST& list);
// Appends the vertices of `entity`.
VYR_ACIS_API void get_vertices(const ENTITY* entity, ENTITY_LIST& list);
// As get_faces. Errors: NULL_ENTITY; WRONG_TYPE for an entity that is not topology.
VYR_ACIS_API outcome api_get_faces(ENTITY* entity, ENTITY_LIST& list);
// As get_edges. Errors: NULL_ENTITY; WRONG_TYPE for an entity that is not topology.
VYR_ACIS_API outcome api_get_edges(ENTITY* entity, ENTITY_LIST& list);
// As get_vertices. Errors: NULL_ENTITY; WRONG_TYPE for an entity that is not topology.
VYR_ACIS_API outcome api_get_vertices(ENTITY* entity, ENTITY_LIST& list);

// The top-level owner of `entity`: the BODY of its lumps, shells, faces, loops, coedges, edges
// and vertices (a free EDGE for its vertices, a WIRE body for its wire's edges); an entity with
// no owner is its own top-level owner. Null for null. ENTITY::owner() is the immediate owner.
VYR_ACIS_API ENTITY* get_owner(const ENTITY* entity);
// As get_owner. Errors: NULL_ENTITY (`owner` is set to null).
VYR_ACIS_API outcome api_get_owner(ENTITY* entity, ENTITY*& owner);

// 1 for a BODY.
VYR_ACIS_API int is_BODY(const ENTITY* entity);
// 1 for a LUMP.
VYR_ACIS_API int is_LUMP(const ENTITY* entity);
// 1 for a SHELL.
VYR_ACIS_API int is_SHELL(const ENTITY* entity);
// 1 for a FACE.
VYR_ACIS_API int is_FACE(const ENTITY* entity);
// 1 for a LOOP.
VYR_ACIS_API int is_LOOP(const ENTITY* entity);
// 1 for a COEDGE.
VYR_ACIS_API int is_COEDGE(const ENTITY* entity);
// 1 for an EDGE.
VYR_ACIS_API int is_EDGE(const ENTITY* entity);
// 1 for a VERTEX.
VYR_ACIS_API int is_VERTEX(const ENTITY* entity);
// 1 for a WIRE.
VYR_ACIS_API int is_WIRE(const ENTITY* entity);
// 1 for a TRANSFORM.
VYR_ACIS_API int is_TRANSFORM(const ENTITY* entity);
// 1 for a FACE on a plane.
VYR_ACIS_API int is_planar_face(const ENTITY* entity);
// 1 for a FACE on a cone, cylinders included.
VYR_ACIS_API int is_conical_face(const ENTITY* entity);
// 1 for a FACE on a cylinder.
VYR_ACIS_API int is_cylindrical_face(const ENTITY* entity);
// 1 for a FACE on a sphere.
VYR_ACIS_API int is_spherical_face(const ENTITY* entity);
// 1 for a FACE on a torus.
VYR_ACIS_API int is_toroidal_face(const ENTITY* entity);
// 1 for a FACE on a free-form surface.
VYR_ACIS_API int is_spline_face(const ENTITY* entity);
// 1 for an EDGE on an ellipse (circles included).
VYR_ACIS_API int is_elliptical_edge(const ENTITY* entity);
// 1 for an EDGE on a straight.
VYR_ACIS_API int is_linear_edge(const ENTITY* entity);
// 1 for a BODY with wires and no faces.
VYR_ACIS_API int is_wire_body(const ENTITY* entity);
