// How modeler entities reach their Open CASCADE shapes and geometry (private to the modeler
// library: the rest of the code never sees OCCT).
//
// Every BODY is made from one TopoDS shape (MakeBody); each of its FACEs, LOOPs, EDGEs and
// VERTEXes keeps its TopoDS sub-shape:
//   - OcctFace(face): the face oriented as it lies in its shell (REVERSED faces have
//     FACE::sense() == REVERSED, so BRep normals of this face point out of the material);
//   - OcctEdge(edge): the edge in FORWARD orientation (its curve runs from start() to end());
//   - OcctVertex(vertex), OcctLoopWire(loop): likewise;
//   - OcctShape(body): the body's whole shape, in body space (without its TRANSFORM).
// The reverse lookups (FaceOf, EdgeOf, VertexOf) find the entity of a sub-shape of a body,
// whatever the sub-shape's orientation. Entities that have no shape (free EDGEs, null pointers)
// answer an empty (IsNull) shape.
#pragma once

#include <vector>

#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Dir.hxx>
#include <gp_GTrsf.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>
#include <gp_Vec.hxx>

#include "SpaTopology.h"

// The TopoDS sub-shape of a topology entity.
struct SpaOcctShape {
    // The shape (see the header comment for its orientation).
    TopoDS_Shape shape;
};

// The OCCT curve of an intcurve.
struct SpaOcctCurve {
    // The 3D curve (never null for an intcurve made by MakeIntcurve).
    Handle(Geom_Curve) curve;
};

// The OCCT surface of a surface equation.
struct SpaOcctSurface {
    // The surface (null only for an invalid torus).
    Handle(Geom_Surface) surface;
};

// Everything a BODY owns, in the order it was made.
struct SpaBodyData {
    // The body's shape in body space.
    TopoDS_Shape shape;
    // Lumps in order.
    std::vector<LUMP*> lumps;
    // Shells in order.
    std::vector<SHELL*> shells;
    // Faces in order; faces[i] has index i + 1 in faceMap.
    std::vector<FACE*> faces;
    // Loops in order.
    std::vector<LOOP*> loops;
    // Coedges in order.
    std::vector<COEDGE*> coedges;
    // Edges in order; edges[i] has index i + 1 in edgeMap.
    std::vector<EDGE*> edges;
    // Vertices in order; vertices[i] has index i + 1 in vertexMap.
    std::vector<VERTEX*> vertices;
    // Wires in order.
    std::vector<WIRE*> wires;
    // The faces' TopoDS shapes (orientation ignored by lookups).
    TopTools_IndexedMapOfShape faceMap;
    // The edges' TopoDS shapes.
    TopTools_IndexedMapOfShape edgeMap;
    // The vertices' TopoDS shapes.
    TopTools_IndexedMapOfShape vertexMap;
};

// The modeler's own access to the private parts of its entities.
struct SpaOcctAccess {
    // A new BODY whose topology is made from `shape` (null shape: an empty body).
    static BODY* MakeBody(const TopoDS_Shape& shape);
    // The body's data (null for an empty or null body).
    static const SpaBodyData* Data(const BODY* body) { return body ? body->m_data : nullptr; }
    // The shape of an entity's SpaOcctShape, or an empty shape.
    static const TopoDS_Shape& ShapeOf(const SpaOcctShape* occt);
    // The sub-shape record of a face.
    static const SpaOcctShape* Occt(const FACE* face) { return face ? face->m_occt : nullptr; }
    // The sub-shape record of a loop.
    static const SpaOcctShape* Occt(const LOOP* loop) { return loop ? loop->m_occt : nullptr; }
    // The sub-shape record of an edge.
    static const SpaOcctShape* Occt(const EDGE* edge) { return edge ? edge->m_occt : nullptr; }
    // The sub-shape record of a vertex.
    static const SpaOcctShape* Occt(const VERTEX* vertex) { return vertex ? vertex->m_occt : nullptr; }
    // The OCCT curve of an intcurve.
    static Handle(Geom_Curve) CurveOf(const intcurve& c);
    // The OCCT surface of a surface equation.
    static Handle(Geom_Surface) SurfaceOf(const surface& s);
    // A new intcurve on `c` (null when `c` is null).
    static intcurve* MakeIntcurve(const Handle(Geom_Curve)& c);
    // Gives a surface equation its OCCT surface.
    static void SetSurface(surface& s, const Handle(Geom_Surface)& g) { s.m_occt->surface = g; }
    // A new equation of the right kind for `s` (null when `s` is null).
    static surface* MakeSurface(const Handle(Geom_Surface)& s);
    // A new equation of the right kind for the 3D curve of `edge` (null when it has none).
    static curve* MakeCurve(const TopoDS_Edge& edge);
    // Deletes an entity regardless of its owner.
    static void Destroy(ENTITY* entity) { delete entity; }

    // Construction of a body's entities (used while a body is made).
    template <class T>
    static T* New() { return new T(); }
    // A vertex at `p` made from `v`.
    static VERTEX* NewVertex(const TopoDS_Vertex& v, const SPAposition& p);
    // An edge made from `e` (FORWARD) on `geometry` (adopted, may be null) between two vertices.
    static EDGE* NewEdge(const TopoDS_Edge& e, curve* geometry, const SPAinterval& range, VERTEX* start, VERTEX* end);
    // A face made from `f` on `geometry` (adopted, may be null).
    static FACE* NewFace(const TopoDS_Face& f, surface* geometry, REVBIT sense, FACE_SIDES sides);
    // A loop made from `w`.
    static LOOP* NewLoop(const TopoDS_Wire& w);
    // A coedge of `edge`.
    static COEDGE* NewCoedge(EDGE* edge, REVBIT sense);
    // Appends `lump` to the body's lumps after `last` (null: first).
    static void LinkLump(BODY* body, LUMP* last, LUMP* lump);
    // Appends `shell` to the lump's shells after `last`.
    static void LinkShell(LUMP* lump, SHELL* last, SHELL* shell);
    // Appends `face` to the shell's faces after `last`.
    static void LinkFace(SHELL* shell, FACE* last, FACE* face);
    // Appends `loop` to the face's loops after `last`.
    static void LinkLoop(FACE* face, LOOP* last, LOOP* loop);
    // Appends `wire` to the body's wires after `last`.
    static void LinkWire(BODY* body, WIRE* last, WIRE* wire);
    // Chains coedges in order into a loop or a wire (a ring when `ring`).
    static void LinkCoedges(const std::vector<COEDGE*>& chain, LOOP* loop, WIRE* wire, bool ring);
    // Makes an edge's coedges partners of each other, in order.
    static void LinkPartners(EDGE* edge, const std::vector<COEDGE*>& coedges);
};

// The body's shape in body space (empty for null or empty bodies).
inline const TopoDS_Shape& OcctShape(const BODY* body)
{
    const SpaBodyData* d = SpaOcctAccess::Data(body);
    return d ? d->shape : SpaOcctAccess::ShapeOf(nullptr);
}
// The face's TopoDS face, oriented as in its shell (empty for null).
inline TopoDS_Face OcctFace(const FACE* face)
{
    const TopoDS_Shape& s = SpaOcctAccess::ShapeOf(SpaOcctAccess::Occt(face));
    return s.IsNull() ? TopoDS_Face() : TopoDS::Face(s);
}
// The loop's TopoDS wire, oriented as in its face (empty for null).
inline TopoDS_Wire OcctLoopWire(const LOOP* loop)
{
    const TopoDS_Shape& s = SpaOcctAccess::ShapeOf(SpaOcctAccess::Occt(loop));
    return s.IsNull() ? TopoDS_Wire() : TopoDS::Wire(s);
}
// The edge's TopoDS edge in FORWARD orientation (empty for null and free edges).
inline TopoDS_Edge OcctEdge(const EDGE* edge)
{
    const TopoDS_Shape& s = SpaOcctAccess::ShapeOf(SpaOcctAccess::Occt(edge));
    return s.IsNull() ? TopoDS_Edge() : TopoDS::Edge(s);
}
// The vertex's TopoDS vertex (empty for null and vertices of free edges).
inline TopoDS_Vertex OcctVertex(const VERTEX* vertex)
{
    const TopoDS_Shape& s = SpaOcctAccess::ShapeOf(SpaOcctAccess::Occt(vertex));
    return s.IsNull() ? TopoDS_Vertex() : TopoDS::Vertex(s);
}

// The FACE of `body` made from `face` (any orientation), or null.
FACE* FaceOf(const BODY* body, const TopoDS_Shape& face);
// The EDGE of `body` made from `edge` (any orientation), or null.
EDGE* EdgeOf(const BODY* body, const TopoDS_Shape& edge);
// The VERTEX of `body` made from `vertex`, or null.
VERTEX* VertexOf(const BODY* body, const TopoDS_Shape& vertex);
// The BODY at the top of `entity`'s owner chain, or null when that is not a body.
BODY* BodyOf(const ENTITY* entity);

// The OCCT surface of a surface equation (null for an invalid torus).
inline Handle(Geom_Surface) OcctSurface(const surface& s) { return SpaOcctAccess::SurfaceOf(s); }
// The OCCT curve of an intcurve (same parametrisation). Straights and ellipses have none: evaluate
// them through the curve interface.
inline Handle(Geom_Curve) OcctCurve(const intcurve& c) { return SpaOcctAccess::CurveOf(c); }

// Value conversions.
inline gp_Pnt ToGp(const SPAposition& p) { return gp_Pnt(p.x(), p.y(), p.z()); }
// A vector as gp_Vec.
inline gp_Vec ToGp(const SPAvector& v) { return gp_Vec(v.x(), v.y(), v.z()); }
// A point as SPAposition.
inline SPAposition ToSpa(const gp_Pnt& p) { return SPAposition(p.X(), p.Y(), p.Z()); }
// A vector as SPAvector.
inline SPAvector ToSpa(const gp_Vec& v) { return SPAvector(v.X(), v.Y(), v.Z()); }
// A direction as SPAunit_vector.
inline SPAunit_vector ToSpa(const gp_Dir& d) { return SPAunit_vector(d.X(), d.Y(), d.Z()); }
// The gp_Dir of a direction; false (and `d` unchanged) for the zero vector.
bool ToGpDir(const SPAvector& v, gp_Dir& d);

// `t` as a gp_Trsf; false when `t` is not a similarity (it shears or scales unequally).
bool ToTrsf(const SPAtransf& t, gp_Trsf& trsf);
// `t` as a general gp_GTrsf (any affine transform).
gp_GTrsf ToGTrsf(const SPAtransf& t);
// `shape` moved by `t` (copied geometry; shears go through B-spline conversion). A null shape
// stays null.
TopoDS_Shape TransformShape(const TopoDS_Shape& shape, const SPAtransf& t);
