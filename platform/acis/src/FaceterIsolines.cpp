// Isolines of a face: lines of constant u or v, clipped to the face by a 2D hatcher over the
// face's boundary in parameter space.
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <Geom2dAdaptor_Curve.hxx>
#include <Geom2dHatch_Hatcher.hxx>
#include <Geom2dHatch_Intersector.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_Surface.hxx>
#include <HatchGen_Domain.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "OcctAccess.h"
#include "SpaFaceter.h"

namespace {

// Most isolines per direction.
constexpr int kMaxIsolines = 1024;
// Tolerances of the 2D hatcher (parameter space).
constexpr double kIntersectorConfusion = 1e-10;
constexpr double kIntersectorTangency = 1e-10;
constexpr double kHatcherConfusion = 1e-8;

// One piece of an isoline inside the face.
struct IsoPiece {
    bool uIso;     // a line of constant u (running in v)
    double value;  // the constant parameter
    double from;   // the running parameter's range
    double to;
};

// Frees EDGEs made so far unless they were handed over.
struct EdgeBatch {
    std::vector<EDGE*> edges;
    ~EdgeBatch()
    {
        for (EDGE* e : edges)
            if (e != nullptr) e->lose();
    }
};

// The pieces of nu u-lines and nv v-lines inside the face.
std::vector<IsoPiece> ClipIsolines(const TopoDS_Face& face, int nu, int nv)
{
    double umin = 0.0, umax = 0.0, vmin = 0.0, vmax = 0.0;
    BRepTools::UVBounds(face, umin, umax, vmin, vmax);
    if (!(umax > umin) || !(vmax > vmin) || Precision::IsInfinite(umin) || Precision::IsInfinite(umax) ||
        Precision::IsInfinite(vmin) || Precision::IsInfinite(vmax))
        sys_error(OCCT_FAILURE);

    Geom2dHatch_Hatcher hatcher(Geom2dHatch_Intersector(kIntersectorConfusion, kIntersectorTangency),
                                kHatcherConfusion, kHatcherConfusion, Standard_True, Standard_False);
    for (TopExp_Explorer ex(face, TopAbs_EDGE); ex.More(); ex.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(ex.Current());
        double first = 0.0, last = 0.0;
        const Handle(Geom2d_Curve) pcurve = BRep_Tool::CurveOnSurface(edge, face, first, last);
        if (pcurve.IsNull()) continue;
        if (std::fabs(last - first) < Precision::PConfusion()) continue;
        hatcher.AddElement(Geom2dAdaptor_Curve(pcurve, first, last), edge.Orientation());
    }

    struct Line {
        int index;
        bool uIso;
        double value;
    };
    std::vector<Line> lines;
    for (int i = 1; i <= nu; ++i) {
        const double u = umin + (umax - umin) * i / (nu + 1);
        Handle(Geom2d_Line) l = new Geom2d_Line(gp_Pnt2d(u, 0.0), gp_Dir2d(0.0, 1.0));
        lines.push_back({hatcher.AddHatching(Geom2dAdaptor_Curve(l)), true, u});
    }
    for (int i = 1; i <= nv; ++i) {
        const double v = vmin + (vmax - vmin) * i / (nv + 1);
        Handle(Geom2d_Line) l = new Geom2d_Line(gp_Pnt2d(0.0, v), gp_Dir2d(1.0, 0.0));
        lines.push_back({hatcher.AddHatching(Geom2dAdaptor_Curve(l)), false, v});
    }
    hatcher.Trim();

    std::vector<IsoPiece> pieces;
    for (const Line& line : lines) {
        if (!hatcher.TrimDone(line.index) || hatcher.TrimFailed(line.index)) sys_error(OCCT_FAILURE);
        hatcher.ComputeDomains(line.index);
        if (!hatcher.IsDone(line.index)) sys_error(OCCT_FAILURE);
        const double low = line.uIso ? vmin : umin;
        const double high = line.uIso ? vmax : umax;
        for (int d = 1; d <= hatcher.NbDomains(line.index); ++d) {
            const HatchGen_Domain& dom = hatcher.Domain(line.index, d);
            const double from = dom.HasFirstPoint() ? dom.FirstPoint().Parameter() : low;
            const double to = dom.HasSecondPoint() ? dom.SecondPoint().Parameter() : high;
            if (to - from > Precision::PConfusion()) pieces.push_back({line.uIso, line.value, from, to});
        }
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const IsoPiece& a, const IsoPiece& b) {
        if (a.uIso != b.uIso) return a.uIso;
        if (a.value != b.value) return a.value < b.value;
        return a.from < b.from;
    });
    return pieces;
}

// A new free EDGE on the piece's isoline, transformed by `t`.
EDGE* MakeIsoEdge(const Handle(Geom_Surface)& surface, const IsoPiece& piece, const SPAtransf& t)
{
    const Handle(Geom_Curve) iso = piece.uIso ? surface->UIso(piece.value) : surface->VIso(piece.value);
    if (iso.IsNull()) sys_error(OCCT_FAILURE);
    BRepBuilderAPI_MakeEdge maker(iso, piece.from, piece.to);
    if (!maker.IsDone()) sys_error(OCCT_FAILURE);
    std::unique_ptr<curve> geometry(SpaOcctAccess::MakeCurve(maker.Edge()));
    if (!geometry) sys_error(OCCT_FAILURE);
    if (!t.identity()) *geometry *= t;
    return new EDGE(*geometry, SPAinterval(piece.from, piece.to));
}

void MakeIsolines(int nu, int nv, FACE* face, const SPAtransf& t, ENTITY_LIST* edges)
{
    if (face == nullptr) sys_error(NULL_ENTITY);
    if (!is_FACE(face)) sys_error(WRONG_TYPE, face);
    if (edges == nullptr || nu < 0 || nv < 0 || nu > kMaxIsolines || nv > kMaxIsolines) sys_error(BAD_ARGUMENT);
    if (nu == 0 && nv == 0) return;
    const TopoDS_Face occtFace = OcctFace(face);
    if (occtFace.IsNull()) sys_error(OCCT_FAILURE, face);
    const TopoDS_Face forward = TopoDS::Face(occtFace.Oriented(TopAbs_FORWARD));

    EdgeBatch batch;
    try {
        const Handle(Geom_Surface) surface = BRep_Tool::Surface(forward);
        if (surface.IsNull()) sys_error(OCCT_FAILURE, face);
        for (const IsoPiece& piece : ClipIsolines(forward, nu, nv))
            batch.edges.push_back(MakeIsoEdge(surface, piece, t));
    } catch (const Standard_Failure&) {
        sys_error(OCCT_FAILURE, face);
    }
    for (EDGE*& e : batch.edges) {
        edges->add(e, 0);
        e = nullptr;
    }
}

}  // namespace

outcome api_face_nu_nv_isolines(int nu, int nv, FACE* face, const SPAtransf& t, ENTITY_LIST* edges)
{
    API_FUNCTION_BEGIN
        MakeIsolines(nu, nv, face, t, edges);
    API_FUNCTION_END
    return result;
}
