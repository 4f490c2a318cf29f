// Topology entities (ownership, links) and the topology queries.
#include "OcctAccess.h"

// ---------------------------------------------------------------------------------------------
// TRANSFORM

TRANSFORM::TRANSFORM(const SPAtransf& t) : m_transf(t) {}

TRANSFORM::~TRANSFORM() = default;

void TRANSFORM::lose()
{
    if (m_useCount > 0) return;
    delete this;
}

// ---------------------------------------------------------------------------------------------
// BODY

BODY::BODY() = default;

BODY::~BODY()
{
    set_transform(nullptr);
    if (m_data == nullptr) return;
    // Leaves first, so that no entity outlives what it points to while being freed.
    for (VERTEX* v : m_data->vertices) destroy(v);
    for (COEDGE* c : m_data->coedges) destroy(c);
    for (EDGE* e : m_data->edges) destroy(e);
    for (LOOP* l : m_data->loops) destroy(l);
    for (FACE* f : m_data->faces) destroy(f);
    for (SHELL* s : m_data->shells) destroy(s);
    for (LUMP* l : m_data->lumps) destroy(l);
    for (WIRE* w : m_data->wires) destroy(w);
    delete m_data;
}

void BODY::set_transform(TRANSFORM* t)
{
    if (t == m_transform) return;
    if (t != nullptr) ++t->m_useCount;
    TRANSFORM* old = m_transform;
    m_transform = t;
    if (old != nullptr && --old->m_useCount == 0) destroy(old);
}

// ---------------------------------------------------------------------------------------------
// Owners and destructors of the parts

ENTITY* LUMP::owner() const { return m_body; }
LUMP::~LUMP() = default;

ENTITY* SHELL::owner() const { return m_lump; }
SHELL::~SHELL() = default;

ENTITY* FACE::owner() const { return m_shell; }
FACE::~FACE()
{
    if (m_geometry != nullptr) destroy(m_geometry);
    delete m_occt;
}

ENTITY* LOOP::owner() const { return m_face; }
LOOP::~LOOP() { delete m_occt; }

ENTITY* COEDGE::owner() const
{
    if (m_loop != nullptr) return m_loop;
    return m_wire;
}
COEDGE::~COEDGE() = default;

VERTEX* COEDGE::start() const
{
    if (m_edge == nullptr) return nullptr;
    return m_sense == FORWARD ? m_edge->start() : m_edge->end();
}

VERTEX* COEDGE::end() const
{
    if (m_edge == nullptr) return nullptr;
    return m_sense == FORWARD ? m_edge->end() : m_edge->start();
}

ENTITY* WIRE::owner() const { return m_body; }
WIRE::~WIRE() = default;

EDGE* VERTEX::edge(int i) const
{
    if (i < 0 || i >= count_edges()) return nullptr;
    return m_edges[static_cast<size_t>(i)];
}
VERTEX::~VERTEX() { delete m_occt; }

// ---------------------------------------------------------------------------------------------
// EDGE

EDGE::EDGE(const curve& geometry, const SPAinterval& range) : m_free(true)
{
    if (range.bounded())
        m_range = range;
    else if (geometry.param_range().bounded())
        m_range = geometry.param_range();
    else
        m_range = SPAinterval(0.0, 1.0);
    // Evaluated before anything is allocated: an evaluation that raises leaves nothing behind.
    const SPAposition startPos = geometry.eval_position(m_range.start_pt());
    const SPAposition endPos = geometry.eval_position(m_range.end_pt());
    m_geometry = new CURVE(geometry.make_copy(), this);
    m_start = new VERTEX();
    m_start->m_position = startPos;
    m_start->m_edges.push_back(this);
    if (same_point(endPos, m_start->m_position)) {
        m_end = m_start;
    } else {
        m_end = new VERTEX();
        m_end->m_position = endPos;
        m_end->m_edges.push_back(this);
    }
}

EDGE::~EDGE()
{
    if (m_geometry != nullptr) destroy(m_geometry);
    if (m_free) {
        if (m_end != m_start) destroy(m_end);
        destroy(m_start);
    }
    delete m_occt;
}

ENTITY* EDGE::owner() const { return m_coedge; }

SPAparameter EDGE::start_param() const
{
    return m_sense == FORWARD ? m_range.start_pt() : -m_range.end_pt();
}

SPAparameter EDGE::end_param() const
{
    return m_sense == FORWARD ? m_range.end_pt() : -m_range.start_pt();
}

SPAposition EDGE::start_pos() const
{
    if (m_start != nullptr) return m_start->position();
    if (m_geometry == nullptr) return SPAposition();
    return m_geometry->equation().eval_position(m_sense == FORWARD ? m_range.start_pt() : m_range.end_pt());
}

SPAposition EDGE::end_pos() const
{
    if (m_end != nullptr) return m_end->position();
    if (m_geometry == nullptr) return SPAposition();
    return m_geometry->equation().eval_position(m_sense == FORWARD ? m_range.end_pt() : m_range.start_pt());
}

// ---------------------------------------------------------------------------------------------
// Queries

namespace {

void add_face_edges(const FACE* f, ENTITY_LIST& list);

void add_loop_edges(const LOOP* l, ENTITY_LIST& list)
{
    COEDGE* first = l->start();
    for (COEDGE* c = first; c != nullptr;) {
        list.add(c->edge());
        c = c->next();
        if (c == first) break;
    }
}

void add_face_edges(const FACE* f, ENTITY_LIST& list)
{
    for (LOOP* l = f->loop(); l != nullptr; l = l->next()) add_loop_edges(l, list);
}

void add_wire_edges(const WIRE* w, ENTITY_LIST& list)
{
    COEDGE* first = w->coedge();
    for (COEDGE* c = first; c != nullptr;) {
        list.add(c->edge());
        c = c->next();
        if (c == first) break;
    }
}

void add_edge_faces(const EDGE* e, ENTITY_LIST& list)
{
    COEDGE* first = e->coedge();
    for (COEDGE* c = first; c != nullptr;) {
        if (c->loop() != nullptr) list.add(c->loop()->face());
        c = c->partner();
        if (c == first) break;
    }
}

void add_shell_faces(const SHELL* s, ENTITY_LIST& list)
{
    for (FACE* f = s->face(); f != nullptr; f = f->next()) list.add(f);
}

bool is_topology(const ENTITY* e)
{
    switch (e->identity(1)) {
    case BODY_TYPE: case LUMP_TYPE: case SHELL_TYPE: case FACE_TYPE: case LOOP_TYPE:
    case COEDGE_TYPE: case EDGE_TYPE: case VERTEX_TYPE: case WIRE_TYPE:
        return true;
    default:
        return false;
    }
}

const SURFACE* face_surface(const ENTITY* e)
{
    if (!is_FACE(e)) return nullptr;
    return static_cast<const FACE*>(e)->geometry();
}

int face_kind(const ENTITY* e)
{
    const SURFACE* s = face_surface(e);
    return s == nullptr ? 0 : s->equation().type();
}

int edge_kind(const ENTITY* e)
{
    if (!is_EDGE(e)) return 0;
    const CURVE* c = static_cast<const EDGE*>(e)->geometry();
    return c == nullptr ? 0 : c->equation().type();
}

}  // namespace

void get_faces(const ENTITY* entity, ENTITY_LIST& list)
{
    if (entity == nullptr) return;
    switch (entity->identity(1)) {
    case BODY_TYPE:
        if (const SpaBodyData* d = SpaOcctAccess::Data(static_cast<const BODY*>(entity)))
            for (FACE* f : d->faces) list.add(f);
        break;
    case LUMP_TYPE:
        for (SHELL* s = static_cast<const LUMP*>(entity)->shell(); s != nullptr; s = s->next())
            add_shell_faces(s, list);
        break;
    case SHELL_TYPE:
        add_shell_faces(static_cast<const SHELL*>(entity), list);
        break;
    case FACE_TYPE:
        list.add(const_cast<ENTITY*>(entity));
        break;
    case LOOP_TYPE:
        list.add(static_cast<const LOOP*>(entity)->face());
        break;
    case COEDGE_TYPE:
        if (LOOP* l = static_cast<const COEDGE*>(entity)->loop()) list.add(l->face());
        break;
    case EDGE_TYPE:
        add_edge_faces(static_cast<const EDGE*>(entity), list);
        break;
    case VERTEX_TYPE: {
        const VERTEX* v = static_cast<const VERTEX*>(entity);
        for (int i = 0; i < v->count_edges(); ++i) add_edge_faces(v->edge(i), list);
        break;
    }
    default:
        break;
    }
}

void get_edges(const ENTITY* entity, ENTITY_LIST& list)
{
    if (entity == nullptr) return;
    switch (entity->identity(1)) {
    case BODY_TYPE:
        if (const SpaBodyData* d = SpaOcctAccess::Data(static_cast<const BODY*>(entity)))
            for (EDGE* e : d->edges) list.add(e);
        break;
    case LUMP_TYPE:
    case SHELL_TYPE: {
        ENTITY_LIST faces;
        get_faces(entity, faces);
        for (int i = 0; i < faces.count(); ++i) add_face_edges(static_cast<FACE*>(faces[i]), list);
        break;
    }
    case FACE_TYPE:
        add_face_edges(static_cast<const FACE*>(entity), list);
        break;
    case LOOP_TYPE:
        add_loop_edges(static_cast<const LOOP*>(entity), list);
        break;
    case WIRE_TYPE:
        add_wire_edges(static_cast<const WIRE*>(entity), list);
        break;
    case COEDGE_TYPE:
        list.add(static_cast<const COEDGE*>(entity)->edge());
        break;
    case EDGE_TYPE:
        list.add(const_cast<ENTITY*>(entity));
        break;
    case VERTEX_TYPE: {
        const VERTEX* v = static_cast<const VERTEX*>(entity);
        for (int i = 0; i < v->count_edges(); ++i) list.add(v->edge(i));
        break;
    }
    default:
        break;
    }
}

void get_vertices(const ENTITY* entity, ENTITY_LIST& list)
{
    if (entity == nullptr) return;
    if (entity->identity(1) == VERTEX_TYPE) {
        list.add(const_cast<ENTITY*>(entity));
        return;
    }
    if (entity->identity(1) == BODY_TYPE) {
        if (const SpaBodyData* d = SpaOcctAccess::Data(static_cast<const BODY*>(entity)))
            for (VERTEX* v : d->vertices) list.add(v);
        return;
    }
    ENTITY_LIST edges;
    get_edges(entity, edges);
    for (int i = 0; i < edges.count(); ++i) {
        const EDGE* e = static_cast<const EDGE*>(edges[i]);
        list.add(e->start());
        list.add(e->end());
    }
}

namespace {

template <void (*Query)(const ENTITY*, ENTITY_LIST&)>
outcome api_query(ENTITY* entity, ENTITY_LIST& list)
{
    API_FUNCTION_BEGIN
    if (entity == nullptr) sys_error(NULL_ENTITY);
    if (!is_topology(entity)) sys_error(WRONG_TYPE, entity);
    Query(entity, list);
    API_FUNCTION_END
    return result;
}

}  // namespace

outcome api_get_faces(ENTITY* entity, ENTITY_LIST& list) { return api_query<get_faces>(entity, list); }
outcome api_get_edges(ENTITY* entity, ENTITY_LIST& list) { return api_query<get_edges>(entity, list); }
outcome api_get_vertices(ENTITY* entity, ENTITY_LIST& list) { return api_query<get_vertices>(entity, list); }

ENTITY* get_owner(const ENTITY* entity)
{
    if (entity == nullptr) return nullptr;
    ENTITY* top = const_cast<ENTITY*>(entity);
    // Owner chains are short and acyclic; the bound only guards against a broken extension class.
    for (int depth = 0; depth < 64 && top->owner() != nullptr; ++depth) top = top->owner();
    return top;
}

outcome api_get_owner(ENTITY* entity, ENTITY*& owner)
{
    API_FUNCTION_BEGIN
    owner = nullptr;
    if (entity == nullptr) sys_error(NULL_ENTITY);
    owner = get_owner(entity);
    API_FUNCTION_END
    return result;
}

int is_BODY(const ENTITY* e) { return e != nullptr && e->identity(1) == BODY_TYPE ? 1 : 0; }
int is_LUMP(const ENTITY* e) { return e != nullptr && e->identity(1) == LUMP_TYPE ? 1 : 0; }
int is_SHELL(const ENTITY* e) { return e != nullptr && e->identity(1) == SHELL_TYPE ? 1 : 0; }
int is_FACE(const ENTITY* e) { return e != nullptr && e->identity(1) == FACE_TYPE ? 1 : 0; }
int is_LOOP(const ENTITY* e) { return e != nullptr && e->identity(1) == LOOP_TYPE ? 1 : 0; }
int is_COEDGE(const ENTITY* e) { return e != nullptr && e->identity(1) == COEDGE_TYPE ? 1 : 0; }
int is_EDGE(const ENTITY* e) { return e != nullptr && e->identity(1) == EDGE_TYPE ? 1 : 0; }
int is_VERTEX(const ENTITY* e) { return e != nullptr && e->identity(1) == VERTEX_TYPE ? 1 : 0; }
int is_WIRE(const ENTITY* e) { return e != nullptr && e->identity(1) == WIRE_TYPE ? 1 : 0; }
int is_TRANSFORM(const ENTITY* e) { return e != nullptr && e->identity(1) == TRANSFORM_TYPE ? 1 : 0; }

int is_planar_face(const ENTITY* e) { return face_kind(e) == plane_type ? 1 : 0; }
int is_conical_face(const ENTITY* e) { return face_kind(e) == cone_type ? 1 : 0; }
int is_cylindrical_face(const ENTITY* e)
{
    if (face_kind(e) != cone_type) return 0;
    return static_cast<const cone&>(face_surface(e)->equation()).cylinder() ? 1 : 0;
}
int is_spherical_face(const ENTITY* e) { return face_kind(e) == sphere_type ? 1 : 0; }
int is_toroidal_face(const ENTITY* e) { return face_kind(e) == torus_type ? 1 : 0; }
int is_spline_face(const ENTITY* e) { return face_kind(e) == spline_type ? 1 : 0; }
int is_elliptical_edge(const ENTITY* e) { return edge_kind(e) == ellipse_type ? 1 : 0; }
int is_linear_edge(const ENTITY* e) { return edge_kind(e) == straight_type ? 1 : 0; }

int is_wire_body(const ENTITY* e)
{
    if (!is_BODY(e)) return 0;
    const BODY* b = static_cast<const BODY*>(e);
    const SpaBodyData* d = SpaOcctAccess::Data(b);
    return b->wire() != nullptr && (d == nullptr || d->faces.empty()) ? 1 : 0;
}
