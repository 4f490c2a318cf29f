// Bodies made from OCCT shapes: the topology walk, the geometry of faces and edges, edge
// convexity, and the conversions between the modeler's values and OCCT's.
#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_GTransform.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepLProp_SLProps.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Tool.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <Geom2d_Curve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <gp_Circ.hxx>
#include <gp_Elips.hxx>
#include <gp_Lin.hxx>
#include <gp_Mat.hxx>
#include <gp_Torus.hxx>

#include <cmath>

#include "OcctAccess.h"

// ---------------------------------------------------------------------------------------------
// Geometry of sub-shapes

const TopoDS_Shape& SpaOcctAccess::ShapeOf(const SpaOcctShape* occt)
{
    static const TopoDS_Shape empty;
    return occt ? occt->shape : empty;
}

Handle(Geom_Curve) SpaOcctAccess::CurveOf(const intcurve& c)
{
    return c.m_occt->curve;
}

Handle(Geom_Surface) SpaOcctAccess::SurfaceOf(const surface& s)
{
    return s.m_occt->surface;
}

intcurve* SpaOcctAccess::MakeIntcurve(const Handle(Geom_Curve)& c)
{
    if (c.IsNull()) return nullptr;
    intcurve* ic = new intcurve();
    ic->m_occt->curve = c;
    return ic;
}

surface* SpaOcctAccess::MakeSurface(const Handle(Geom_Surface)& s)
{
    if (s.IsNull()) return nullptr;
    surface* eq = nullptr;
    GeomAdaptor_Surface ad(s);
    switch (ad.GetType()) {
    case GeomAbs_Plane:
        eq = new plane();
        break;
    case GeomAbs_Cylinder:
    case GeomAbs_Cone:
        eq = new cone();
        break;
    case GeomAbs_Sphere:
        eq = new sphere();
        break;
    case GeomAbs_Torus: {
        const gp_Torus g = ad.Torus();
        torus* t = new torus();
        t->m_centre = ToSpa(g.Location());
        t->m_normal = ToSpa(g.Axis().Direction());
        t->m_x = ToSpa(g.XAxis().Direction());
        t->m_y = ToSpa(g.YAxis().Direction());
        t->m_major = g.MajorRadius();
        t->m_minor = g.MinorRadius();
        t->m_valid = true;
        eq = t;
        break;
    }
    default:
        eq = new spline();
        break;
    }
    eq->m_occt->surface = s;
    return eq;
}

curve* SpaOcctAccess::MakeCurve(const TopoDS_Edge& edge)
{
    if (edge.IsNull() || BRep_Tool::Degenerated(edge)) return nullptr;
    double first = 0.0, last = 0.0;
    Handle(Geom_Curve) c = BRep_Tool::Curve(edge, first, last);  // with the edge's location applied
    if (c.IsNull()) return nullptr;
    // The edge's parameters are those of its 3D curve, and the analytic curves below keep them:
    // a line's parameter is arc length from its location, a conic's the angle from its x axis.
    BRepAdaptor_Curve ad(edge);
    switch (ad.GetType()) {
    case GeomAbs_Line: {
        const gp_Lin l = ad.Line();
        return new straight(ToSpa(l.Location()), ToSpa(l.Direction()), 1.0);
    }
    case GeomAbs_Circle: {
        const gp_Circ ci = ad.Circle();
        const gp_Ax2& ax = ci.Position();
        return new ellipse(ToSpa(ci.Location()), ToSpa(ax.Direction()),
                           ToSpa(gp_Vec(ax.XDirection()) * ci.Radius()), 1.0, 0.0);
    }
    case GeomAbs_Ellipse: {
        const gp_Elips el = ad.Ellipse();
        const gp_Ax2& ax = el.Position();
        const double ratio = el.MajorRadius() > 0.0 ? el.MinorRadius() / el.MajorRadius() : 1.0;
        return new ellipse(ToSpa(el.Location()), ToSpa(ax.Direction()),
                           ToSpa(gp_Vec(ax.XDirection()) * el.MajorRadius()), ratio, 0.0);
    }
    default:
        return MakeIntcurve(c);
    }
}

// ---------------------------------------------------------------------------------------------
// The topology walk

// Builds the entities of one body. A struct of SpaOcctAccess's so it may set private links.
struct SpaBodyBuilder {
    BODY* body;
    SpaBodyData* data;
    LUMP* lastLump = nullptr;
    WIRE* lastWire = nullptr;

    LUMP* AddLump()
    {
        LUMP* lump = SpaOcctAccess::New<LUMP>();
        SpaOcctAccess::LinkLump(body, lastLump, lump);
        lastLump = lump;
        data->lumps.push_back(lump);
        return lump;
    }

    VERTEX* GetVertex(const TopoDS_Vertex& v)
    {
        if (v.IsNull()) return nullptr;
        const int index = data->vertexMap.FindIndex(v);
        if (index > 0) return data->vertices[static_cast<size_t>(index - 1)];
        data->vertexMap.Add(v);
        VERTEX* vertex = SpaOcctAccess::NewVertex(v, ToSpa(BRep_Tool::Pnt(v)));
        data->vertices.push_back(vertex);
        return vertex;
    }

    EDGE* GetEdge(const TopoDS_Edge& e)
    {
        const int index = data->edgeMap.FindIndex(e);
        if (index > 0) return data->edges[static_cast<size_t>(index - 1)];
        const TopoDS_Edge fwd = TopoDS::Edge(e.Oriented(TopAbs_FORWARD));
        data->edgeMap.Add(fwd);
        TopoDS_Vertex v1, v2;
        TopExp::Vertices(fwd, v1, v2);
        double first = 0.0, last = 0.0;
        BRep_Tool::Range(fwd, first, last);
        EDGE* edge = SpaOcctAccess::NewEdge(fwd, SpaOcctAccess::MakeCurve(fwd), SPAinterval(first, last),
                                            GetVertex(v1), GetVertex(v2));
        data->edges.push_back(edge);
        return edge;
    }

    // The coedges of a wire in chain order, each with its orientation in the wire; degenerate
    // edges are left out.
    std::vector<TopoDS_Edge> OrderedEdges(const TopoDS_Wire& wire, const TopoDS_Face* face)
    {
        std::vector<TopoDS_Edge> all;
        for (TopExp_Explorer ex(wire, TopAbs_EDGE); ex.More(); ex.Next()) all.push_back(TopoDS::Edge(ex.Current()));
        std::vector<TopoDS_Edge> chained;
        try {
            BRepTools_WireExplorer we = face ? BRepTools_WireExplorer(wire, *face) : BRepTools_WireExplorer(wire);
            for (; we.More(); we.Next()) chained.push_back(we.Current());
        } catch (const Standard_Failure&) {
            chained.clear();
        }
        // The chain walk skips edges of irregular wires; then the stored order is the answer.
        std::vector<TopoDS_Edge>& use = chained.size() == all.size() ? chained : all;
        std::vector<TopoDS_Edge> result;
        for (const TopoDS_Edge& e : use)
            if (!BRep_Tool::Degenerated(e)) result.push_back(e);
        return result;
    }

    void AddFace(SHELL* shell, FACE*& lastFace, const TopoDS_Face& f, FACE_SIDES sides)
    {
        if (data->faceMap.Contains(f)) return;
        data->faceMap.Add(f);
        surface* eq = SpaOcctAccess::MakeSurface(BRep_Tool::Surface(f));
        FACE* face = SpaOcctAccess::NewFace(f, eq, f.Orientation() == TopAbs_REVERSED ? REVERSED : FORWARD, sides);
        SpaOcctAccess::LinkFace(shell, lastFace, face);
        lastFace = face;
        data->faces.push_back(face);
        LOOP* lastLoop = nullptr;
        for (TopExp_Explorer wx(f, TopAbs_WIRE); wx.More(); wx.Next()) {
            const TopoDS_Wire w = TopoDS::Wire(wx.Current());
            for (const std::vector<TopoDS_Edge>& edges : LoopsWithoutSeams(OrderedEdges(w, &f), f)) {
                LOOP* loop = SpaOcctAccess::NewLoop(w);
                SpaOcctAccess::LinkLoop(face, lastLoop, loop);
                lastLoop = loop;
                data->loops.push_back(loop);
                std::vector<COEDGE*> ring;
                for (const TopoDS_Edge& e : edges) {
                    COEDGE* c = SpaOcctAccess::NewCoedge(GetEdge(e), e.Orientation() == TopAbs_REVERSED ? REVERSED : FORWARD);
                    ring.push_back(c);
                    data->coedges.push_back(c);
                }
                SpaOcctAccess::LinkCoedges(ring, loop, nullptr, true);
            }
        }
    }

    // The loops of one wire of `face` (its coedges in chain order) without the face's seams: the
    // edges where a periodic surface closes on itself (a cylinder's, cone's, sphere's or torus's
    // line of parameter 0), which the face uses twice and which bound nothing. Each run of coedges
    // between two uses of seams is a loop of its own: a cylinder's one wire (bottom rim, seam, top
    // rim, seam) gives two loops of one rim each, a whole sphere's or torus's none.
    static std::vector<std::vector<TopoDS_Edge>> LoopsWithoutSeams(const std::vector<TopoDS_Edge>& edges,
                                                                   const TopoDS_Face& face)
    {
        const size_t n = edges.size();
        std::vector<bool> seam(n, false);
        size_t firstSeam = n;
        for (size_t i = 0; i < n; ++i) {
            seam[i] = BRep_Tool::IsClosed(edges[i], face);
            if (seam[i] && firstSeam == n) firstSeam = i;
        }
        std::vector<std::vector<TopoDS_Edge>> loops;
        if (firstSeam == n) {
            if (n > 0) loops.push_back(edges);
            return loops;
        }
        // Round the ring once, from the coedge after the first seam.
        std::vector<TopoDS_Edge> run;
        for (size_t k = 1; k <= n; ++k) {
            const size_t i = (firstSeam + k) % n;
            if (!seam[i]) {
                run.push_back(edges[i]);
                continue;
            }
            if (!run.empty()) loops.push_back(std::move(run));
            run.clear();
        }
        return loops;
    }

    void AddShell(LUMP* lump, SHELL*& lastShell, const TopoDS_Shape& shellShape, FACE_SIDES sides, TopAbs_ShapeEnum what)
    {
        SHELL* shell = SpaOcctAccess::New<SHELL>();
        FACE* lastFace = nullptr;
        if (what == TopAbs_SHELL) {
            for (TopExp_Explorer fx(shellShape, TopAbs_FACE); fx.More(); fx.Next())
                AddFace(shell, lastFace, TopoDS::Face(fx.Current()), sides);
        } else {
            // Loose faces of the shape (not in any shell).
            for (TopExp_Explorer fx(shellShape, TopAbs_FACE, TopAbs_SHELL); fx.More(); fx.Next())
                AddFace(shell, lastFace, TopoDS::Face(fx.Current()), sides);
        }
        if (lastFace == nullptr) {
            SpaOcctAccess::Destroy(shell);
            return;
        }
        SpaOcctAccess::LinkShell(lump, lastShell, shell);
        lastShell = shell;
        data->shells.push_back(shell);
    }

    void AddWire(const std::vector<TopoDS_Edge>& edges, bool closed)
    {
        if (edges.empty()) return;
        WIRE* wire = SpaOcctAccess::New<WIRE>();
        SpaOcctAccess::LinkWire(body, lastWire, wire);
        lastWire = wire;
        data->wires.push_back(wire);
        std::vector<COEDGE*> chain;
        for (const TopoDS_Edge& e : edges) {
            COEDGE* c = SpaOcctAccess::NewCoedge(GetEdge(e), e.Orientation() == TopAbs_REVERSED ? REVERSED : FORWARD);
            chain.push_back(c);
            data->coedges.push_back(c);
        }
        SpaOcctAccess::LinkCoedges(chain, nullptr, wire, closed);
    }

    void Build(const TopoDS_Shape& shape)
    {
        for (TopExp_Explorer sx(shape, TopAbs_SOLID); sx.More(); sx.Next()) {
            LUMP* lump = nullptr;
            SHELL* lastShell = nullptr;
            for (TopExp_Explorer hx(sx.Current(), TopAbs_SHELL); hx.More(); hx.Next()) {
                if (lump == nullptr) lump = AddLump();
                AddShell(lump, lastShell, hx.Current(), SINGLE_SIDED, TopAbs_SHELL);
            }
        }
        for (TopExp_Explorer hx(shape, TopAbs_SHELL, TopAbs_SOLID); hx.More(); hx.Next()) {
            LUMP* lump = AddLump();
            SHELL* lastShell = nullptr;
            AddShell(lump, lastShell, hx.Current(), DOUBLE_SIDED, TopAbs_SHELL);
        }
        if (TopExp_Explorer(shape, TopAbs_FACE, TopAbs_SHELL).More()) {
            LUMP* lump = AddLump();
            SHELL* lastShell = nullptr;
            AddShell(lump, lastShell, shape, DOUBLE_SIDED, TopAbs_FACE);
        }
        for (TopExp_Explorer wx(shape, TopAbs_WIRE, TopAbs_FACE); wx.More(); wx.Next()) {
            const TopoDS_Wire w = TopoDS::Wire(wx.Current());
            AddWire(OrderedEdges(w, nullptr), BRep_Tool::IsClosed(w));
        }
        for (TopExp_Explorer ex(shape, TopAbs_EDGE, TopAbs_WIRE); ex.More(); ex.Next()) {
            const TopoDS_Edge e = TopoDS::Edge(ex.Current());
            if (!BRep_Tool::Degenerated(e)) AddWire({e}, false);
        }
        // Partner rings: each edge's coedges in the order they were made.
        std::vector<std::vector<COEDGE*>> byEdge(data->edges.size());
        for (COEDGE* c : data->coedges) {
            const int index = data->edgeMap.FindIndex(OcctEdge(c->edge()));
            if (index > 0) byEdge[static_cast<size_t>(index - 1)].push_back(c);
        }
        for (size_t i = 0; i < byEdge.size(); ++i) SpaOcctAccess::LinkPartners(data->edges[i], byEdge[i]);
    }
};

BODY* SpaOcctAccess::MakeBody(const TopoDS_Shape& shape)
{
    BODY* body = new BODY();
    if (shape.IsNull()) return body;
    body->m_data = new SpaBodyData;
    body->m_data->shape = shape;
    SpaBodyBuilder builder{body, body->m_data};
    try {
        builder.Build(shape);
    } catch (...) {
        body->lose();
        throw;
    }
    return body;
}

// ---------------------------------------------------------------------------------------------
// Entity construction and links (SpaOcctAccess may touch the private parts)

void SpaOcctAccess::LinkLump(BODY* body, LUMP* last, LUMP* lump)
{
    lump->m_body = body;
    if (last == nullptr) body->m_lump = lump; else last->m_next = lump;
}

void SpaOcctAccess::LinkShell(LUMP* lump, SHELL* last, SHELL* shell)
{
    shell->m_lump = lump;
    if (last == nullptr) lump->m_shell = shell; else last->m_next = shell;
}

void SpaOcctAccess::LinkFace(SHELL* shell, FACE* last, FACE* face)
{
    face->m_shell = shell;
    if (last == nullptr) shell->m_face = face; else last->m_next = face;
}

void SpaOcctAccess::LinkLoop(FACE* face, LOOP* last, LOOP* loop)
{
    loop->m_face = face;
    if (last == nullptr) face->m_loop = loop; else last->m_next = loop;
}

void SpaOcctAccess::LinkWire(BODY* body, WIRE* last, WIRE* wire)
{
    wire->m_body = body;
    if (last == nullptr) body->m_wire = wire; else last->m_next = wire;
}

void SpaOcctAccess::LinkCoedges(const std::vector<COEDGE*>& chain, LOOP* loop, WIRE* wire, bool ring)
{
    const size_t n = chain.size();
    for (size_t i = 0; i < n; ++i) {
        COEDGE* c = chain[i];
        c->m_loop = loop;
        c->m_wire = wire;
        c->m_next = i + 1 < n ? chain[i + 1] : (ring ? chain[0] : nullptr);
        c->m_previous = i > 0 ? chain[i - 1] : (ring ? chain[n - 1] : nullptr);
    }
    if (n == 0) return;
    if (loop != nullptr) loop->m_start = chain[0];
    if (wire != nullptr) wire->m_coedge = chain[0];
}

void SpaOcctAccess::LinkPartners(EDGE* edge, const std::vector<COEDGE*>& coedges)
{
    const size_t n = coedges.size();
    edge->m_coedge = n > 0 ? coedges[0] : nullptr;
    for (size_t i = 0; i < n; ++i) coedges[i]->m_partner = n > 1 ? coedges[(i + 1) % n] : nullptr;
}

VERTEX* SpaOcctAccess::NewVertex(const TopoDS_Vertex& v, const SPAposition& p)
{
    VERTEX* vertex = new VERTEX();
    vertex->m_position = p;
    vertex->m_occt = new SpaOcctShape{v};
    return vertex;
}

EDGE* SpaOcctAccess::NewEdge(const TopoDS_Edge& e, curve* geometry, const SPAinterval& range, VERTEX* start, VERTEX* end)
{
    EDGE* edge = new EDGE();
    edge->m_occt = new SpaOcctShape{e};
    edge->m_range = range;
    edge->m_start = start;
    edge->m_end = end;
    if (geometry != nullptr) edge->m_geometry = new CURVE(geometry, edge);
    if (start != nullptr) start->m_edges.push_back(edge);
    if (end != nullptr && end != start) end->m_edges.push_back(edge);
    return edge;
}

FACE* SpaOcctAccess::NewFace(const TopoDS_Face& f, surface* geometry, REVBIT sense, FACE_SIDES sides)
{
    FACE* face = new FACE();
    face->m_occt = new SpaOcctShape{f};
    face->m_sense = sense;
    face->m_sides = sides;
    if (geometry != nullptr) face->m_geometry = new SURFACE(geometry, face);
    return face;
}

LOOP* SpaOcctAccess::NewLoop(const TopoDS_Wire& w)
{
    LOOP* loop = new LOOP();
    loop->m_occt = new SpaOcctShape{w};
    return loop;
}

COEDGE* SpaOcctAccess::NewCoedge(EDGE* edge, REVBIT sense)
{
    COEDGE* c = new COEDGE();
    c->m_edge = edge;
    c->m_sense = sense;
    return c;
}

// ---------------------------------------------------------------------------------------------
// Reverse lookups

FACE* FaceOf(const BODY* body, const TopoDS_Shape& face)
{
    const SpaBodyData* d = SpaOcctAccess::Data(body);
    if (d == nullptr || face.IsNull()) return nullptr;
    const int index = d->faceMap.FindIndex(face);
    return index > 0 ? d->faces[static_cast<size_t>(index - 1)] : nullptr;
}

EDGE* EdgeOf(const BODY* body, const TopoDS_Shape& edge)
{
    const SpaBodyData* d = SpaOcctAccess::Data(body);
    if (d == nullptr || edge.IsNull()) return nullptr;
    const int index = d->edgeMap.FindIndex(edge);
    return index > 0 ? d->edges[static_cast<size_t>(index - 1)] : nullptr;
}

VERTEX* VertexOf(const BODY* body, const TopoDS_Shape& vertex)
{
    const SpaBodyData* d = SpaOcctAccess::Data(body);
    if (d == nullptr || vertex.IsNull()) return nullptr;
    const int index = d->vertexMap.FindIndex(vertex);
    return index > 0 ? d->vertices[static_cast<size_t>(index - 1)] : nullptr;
}

BODY* BodyOf(const ENTITY* entity)
{
    if (entity == nullptr) return nullptr;
    ENTITY* top = const_cast<ENTITY*>(entity);
    for (int depth = 0; depth < 64 && top->owner() != nullptr; ++depth) top = top->owner();
    return is_BODY(top) ? static_cast<BODY*>(top) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Edge convexity

namespace {

// The outward normal of `face` at the point of `edge` with curve parameter t.
bool face_normal_at(const TopoDS_Face& face, const TopoDS_Edge& edge, double t, const gp_Pnt& p, gp_Dir& n)
{
    double u = 0.0, v = 0.0;
    double f = 0.0, l = 0.0;
    Handle(Geom2d_Curve) pc = BRep_Tool::CurveOnSurface(edge, face, f, l);
    if (!pc.IsNull()) {
        const gp_Pnt2d uv = pc->Value(t);
        u = uv.X();
        v = uv.Y();
    } else {
        GeomAPI_ProjectPointOnSurf proj(p, BRep_Tool::Surface(face));
        if (proj.NbPoints() == 0) return false;
        proj.LowerDistanceParameters(u, v);
    }
    BRepAdaptor_Surface surf(face, false);
    BRepLProp_SLProps props(surf, u, v, 1, 1e-9);
    if (!props.IsNormalDefined()) return false;
    n = props.Normal();
    if (face.Orientation() == TopAbs_REVERSED) n.Reverse();
    return true;
}

}  // namespace

EDGE_cvty EDGE::get_convexity() const
{
    // Faces meeting at less than this angle (radians) count as smooth.
    constexpr double kTangentAngle = 1e-4;
    if (m_occt == nullptr || m_coedge == nullptr) return EDGE_cvty_unknown;
    COEDGE* c1 = m_coedge;
    COEDGE* c2 = c1->partner();
    if (c2 == nullptr || c1->loop() == nullptr || c2->loop() == nullptr) return EDGE_cvty_unknown;
    FACE* f1 = c1->loop()->face();
    FACE* f2 = c2->loop()->face();
    if (f1 == f2) return EDGE_cvty_tangent;  // the face continues across it
    try {
        const TopoDS_Edge e = OcctEdge(this);
        BRepAdaptor_Curve ad(e);
        const double t = 0.5 * (ad.FirstParameter() + ad.LastParameter());
        gp_Pnt p;
        gp_Vec tangent;
        ad.D1(t, p, tangent);
        if (tangent.Magnitude() < 1e-12) return EDGE_cvty_unknown;
        gp_Dir n1, n2;
        if (!face_normal_at(OcctFace(f1), e, t, p, n1) || !face_normal_at(OcctFace(f2), e, t, p, n2))
            return EDGE_cvty_unknown;
        if (n1.Angle(n2) < kTangentAngle) return EDGE_cvty_tangent;
        // c1 runs with face 1 on its left seen from outside: n1 x d points into face 1. The faces
        // make a ridge when face 2's normal leans away from face 1's interior.
        const gp_Vec d = c1->sense() == FORWARD ? tangent : -tangent;
        const gp_Vec inward = gp_Vec(n1) ^ d;
        return gp_Vec(n2) * inward < 0.0 ? EDGE_cvty_convex : EDGE_cvty_concave;
    } catch (const Standard_Failure&) {
        return EDGE_cvty_unknown;
    }
}

// ---------------------------------------------------------------------------------------------
// Conversions

bool ToGpDir(const SPAvector& v, gp_Dir& d)
{
    const double l = v.len();
    if (!(l > SPAresmch) || !std::isfinite(l)) return false;
    d = gp_Dir(v.x() / l, v.y() / l, v.z() / l);
    return true;
}

bool ToTrsf(const SPAtransf& t, gp_Trsf& trsf)
{
    if (t.identity()) {
        trsf = gp_Trsf();
        return true;
    }
    if (t.shear()) return false;
    // Row-vector p * (s A) + T is the column form p' = (s A)^T p + T.
    const SPAmatrix& a = t.affine();
    const double s = t.scaling();
    const SPAvector& tr = t.translation();
    try {
        trsf.SetValues(s * a.element(0, 0), s * a.element(1, 0), s * a.element(2, 0), tr.x(),
                       s * a.element(0, 1), s * a.element(1, 1), s * a.element(2, 1), tr.y(),
                       s * a.element(0, 2), s * a.element(1, 2), s * a.element(2, 2), tr.z());
    } catch (const Standard_Failure&) {
        return false;
    }
    return true;
}

gp_GTrsf ToGTrsf(const SPAtransf& t)
{
    const SPAmatrix& a = t.affine();
    const double s = t.scaling();
    const SPAvector& tr = t.translation();
    gp_GTrsf g;
    g.SetVectorialPart(gp_Mat(s * a.element(0, 0), s * a.element(1, 0), s * a.element(2, 0),
                              s * a.element(0, 1), s * a.element(1, 1), s * a.element(2, 1),
                              s * a.element(0, 2), s * a.element(1, 2), s * a.element(2, 2)));
    g.SetTranslationPart(gp_XYZ(tr.x(), tr.y(), tr.z()));
    return g;
}

TopoDS_Shape TransformShape(const TopoDS_Shape& shape, const SPAtransf& t)
{
    if (shape.IsNull() || t.identity()) return shape;
    gp_Trsf trsf;
    if (ToTrsf(t, trsf)) {
        BRepBuilderAPI_Transform op(shape, trsf, Standard_True);
        return op.Shape();
    }
    BRepBuilderAPI_GTransform op(shape, ToGTrsf(t), Standard_True);
    return op.Shape();
}
