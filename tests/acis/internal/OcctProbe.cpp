// Self-checks of the modeler's OCCT layer.
#include "OcctProbe.h"

#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Poly_Triangulation.hxx>
#include <Standard_Failure.hxx>
#include <TopLoc_Location.hxx>

#include "OcctAccess.h"

bool OcctProbeMeshNodes(const FACE* face, double deflection, std::vector<SPAposition>& nodes)
{
    nodes.clear();
    const TopoDS_Face f = OcctFace(face);
    if (f.IsNull() || !(deflection > 0.0)) return false;
    try {
        BRepMesh_IncrementalMesh mesher(f, deflection);
        TopLoc_Location loc;
        const Handle(Poly_Triangulation) tri = BRep_Tool::Triangulation(f, loc);
        if (tri.IsNull() || tri->NbNodes() == 0) return false;
        const gp_Trsf trsf = loc.Transformation();
        for (int i = 1; i <= tri->NbNodes(); ++i) nodes.push_back(ToSpa(tri->Node(i).Transformed(trsf)));
    } catch (const Standard_Failure&) {
        return false;
    }
    return true;
}

bool OcctProbeLookups(const BODY* body)
{
    const SpaBodyData* d = SpaOcctAccess::Data(body);
    if (d == nullptr) return false;
    for (FACE* f : d->faces)
        if (FaceOf(body, OcctFace(f)) != f || FaceOf(body, OcctFace(f).Reversed()) != f || BodyOf(f) != body)
            return false;
    for (EDGE* e : d->edges)
        if (EdgeOf(body, OcctEdge(e)) != e || EdgeOf(body, OcctEdge(e).Reversed()) != e || BodyOf(e) != body)
            return false;
    for (VERTEX* v : d->vertices) {
        if (VertexOf(body, OcctVertex(v)) != v) return false;
        if (!same_point(ToSpa(BRep_Tool::Pnt(OcctVertex(v))), v->position())) return false;
    }
    return !OcctShape(body).IsNull();
}
