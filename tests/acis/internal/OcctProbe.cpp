// Self-checks of the modeler's OCCT layer.
#include "OcctProbe.h"

#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
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

namespace {

[[noreturn]] void Fail()
{
    throw Standard_Failure("probe geometry refuses to evaluate");
}

// A bounded curve whose every evaluation and transform fails (positions may be spared).
class FailingCurve : public Geom_Curve {
public:
    explicit FailingCurve(bool positionsFail) : m_positionsFail(positionsFail) {}
    void Reverse() override {}
    Standard_Real ReversedParameter(const Standard_Real u) const override { return 1.0 - u; }
    Standard_Real FirstParameter() const override { return 0.0; }
    Standard_Real LastParameter() const override { return 1.0; }
    Standard_Boolean IsClosed() const override { return Standard_False; }
    Standard_Boolean IsPeriodic() const override { return Standard_False; }
    GeomAbs_Shape Continuity() const override { return GeomAbs_CN; }
    Standard_Boolean IsCN(const Standard_Integer) const override { return Standard_True; }
    void D0(const Standard_Real u, gp_Pnt& p) const override
    {
        if (m_positionsFail) Fail();
        p = gp_Pnt(u, 0.0, 0.0);
    }
    void D1(const Standard_Real, gp_Pnt&, gp_Vec&) const override { Fail(); }
    void D2(const Standard_Real, gp_Pnt&, gp_Vec&, gp_Vec&) const override { Fail(); }
    void D3(const Standard_Real, gp_Pnt&, gp_Vec&, gp_Vec&, gp_Vec&) const override { Fail(); }
    gp_Vec DN(const Standard_Real, const Standard_Integer) const override { Fail(); }
    void Transform(const gp_Trsf&) override { Fail(); }
    Handle(Geom_Geometry) Copy() const override { return new FailingCurve(m_positionsFail); }

private:
    bool m_positionsFail;
};

// A bounded surface whose every evaluation and transform fails.
class FailingSurface : public Geom_Surface {
public:
    void UReverse() override {}
    Standard_Real UReversedParameter(const Standard_Real u) const override { return 1.0 - u; }
    void VReverse() override {}
    Standard_Real VReversedParameter(const Standard_Real v) const override { return 1.0 - v; }
    void Bounds(Standard_Real& u1, Standard_Real& u2, Standard_Real& v1, Standard_Real& v2) const override
    {
        u1 = v1 = 0.0;
        u2 = v2 = 1.0;
    }
    Standard_Boolean IsUClosed() const override { return Standard_False; }
    Standard_Boolean IsVClosed() const override { return Standard_False; }
    Standard_Boolean IsUPeriodic() const override { return Standard_False; }
    Standard_Boolean IsVPeriodic() const override { return Standard_False; }
    Handle(Geom_Curve) UIso(const Standard_Real) const override { return new FailingCurve(true); }
    Handle(Geom_Curve) VIso(const Standard_Real) const override { return new FailingCurve(true); }
    GeomAbs_Shape Continuity() const override { return GeomAbs_CN; }
    Standard_Boolean IsCNu(const Standard_Integer) const override { return Standard_True; }
    Standard_Boolean IsCNv(const Standard_Integer) const override { return Standard_True; }
    void D0(const Standard_Real, const Standard_Real, gp_Pnt&) const override { Fail(); }
    void D1(const Standard_Real, const Standard_Real, gp_Pnt&, gp_Vec&, gp_Vec&) const override { Fail(); }
    void D2(const Standard_Real, const Standard_Real, gp_Pnt&, gp_Vec&, gp_Vec&, gp_Vec&, gp_Vec&,
            gp_Vec&) const override
    {
        Fail();
    }
    void D3(const Standard_Real, const Standard_Real, gp_Pnt&, gp_Vec&, gp_Vec&, gp_Vec&, gp_Vec&, gp_Vec&, gp_Vec&,
            gp_Vec&, gp_Vec&, gp_Vec&) const override
    {
        Fail();
    }
    gp_Vec DN(const Standard_Real, const Standard_Real, const Standard_Integer, const Standard_Integer) const override
    {
        Fail();
    }
    void Transform(const gp_Trsf&) override { Fail(); }
    Handle(Geom_Geometry) Copy() const override { return new FailingSurface(); }
};

}  // namespace

curve* OcctProbeMakeFailingCurve(bool positionsFail)
{
    return SpaOcctAccess::MakeIntcurve(new FailingCurve(positionsFail));
}

surface* OcctProbeMakeFailingSurface()
{
    return SpaOcctAccess::MakeSurface(new FailingSurface());
}
