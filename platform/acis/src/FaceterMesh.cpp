// Faceting faces: OCCT's incremental mesher makes the triangles, this file turns each face's
// triangulation into the mesh manager's stream (outward normals, counter-clockwise triangles,
// facets split to the maximum edge length).
#include <BRepAdaptor_Surface.hxx>
#include <BRepLProp_SLProps.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <IMeshTools_Parameters.hxx>
#include <Poly_Triangulation.hxx>
#include <Standard_Failure.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt2d.hxx>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "FaceterPrivate.h"
#include "OcctAccess.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Angular deflection used when the refinement's normal tolerance is 0 (0.5 radian).
constexpr double kDefaultAngle = 0.5;
// A face is not split by the maximum edge length beyond this many triangles.
constexpr size_t kMaxSplitTriangles = 2000000;
// Splitting passes for the maximum edge length (each at least halves the long edges).
constexpr int kMaxSplitPasses = 40;

// The mesher's settings taken from a refinement.
struct MeshSettings {
    double deflection = 0.0;
    double angle = 0.0;
    double maxEdge = 0.0;
};

MeshSettings CheckRefinement(const REFINEMENT& r)
{
    const double surfaceTol = r.get_surface_tol();
    const double normalTol = r.get_normal_tol();
    const double maxEdge = r.get_max_edge_length();
    if (!std::isfinite(surfaceTol) || surfaceTol <= 0.0) sys_error(BAD_TOLERANCE);
    if (!std::isfinite(normalTol) || normalTol < 0.0) sys_error(BAD_TOLERANCE);
    if (!std::isfinite(maxEdge) || maxEdge < 0.0) sys_error(BAD_TOLERANCE);
    MeshSettings s;
    s.deflection = surfaceTol;
    s.angle = normalTol == 0.0 ? kDefaultAngle : std::min(normalTol, 90.0) * kPi / 180.0;
    s.maxEdge = maxEdge;
    return s;
}

// One face's facets: nodes (uv, position, outward normal) and counter-clockwise triangles.
struct FaceMesh {
    std::vector<gp_Pnt2d> uv;
    std::vector<gp_Pnt> pos;
    std::vector<gp_Dir> normal;
    std::vector<std::array<int, 3>> tris;

    void Clear()
    {
        uv.clear();
        pos.clear();
        normal.clear();
        tris.clear();
    }
};

// Evaluates a face's surface (with the face's location) for new nodes and normals.
class FaceSurface {
public:
    explicit FaceSurface(const TopoDS_Face& face)
        : m_surface(face, Standard_False), m_reversed(face.Orientation() == TopAbs_REVERSED)
    {
        m_planar = m_surface.GetType() == GeomAbs_Plane;
        if (m_planar) {
            // du x dv, which is against the plane's axis when its frame is left-handed.
            const gp_Ax3 frame = m_surface.Plane().Position();
            m_planeNormal = frame.XDirection().Crossed(frame.YDirection());
        }
    }

    gp_Pnt Point(const gp_Pnt2d& uv) const { return m_surface.Value(uv.X(), uv.Y()); }

    // How well Normal() knew the normal.
    enum Quality {
        // The surface has no normal there (`n` unchanged).
        kNone = 0,
        // A singular point (a pole, an apex): `n` is the limit normal, its sense not certain.
        kSingular = 1,
        // A regular point: `n` is the outward normal.
        kRegular = 2
    };

    // The outward normal at uv.
    Quality Normal(const gp_Pnt2d& uv, gp_Dir& n) const
    {
        if (m_planar) {
            n = m_reversed ? m_planeNormal.Reversed() : m_planeNormal;
            return kRegular;
        }
        gp_Pnt p;
        gp_Vec du, dv;
        m_surface.D1(uv.X(), uv.Y(), p, du, dv);
        // Near a pole one derivative all but vanishes, and its rounding may even flip the cross
        // product: such points go to the singular path.
        const gp_Vec c = du.Crossed(dv);
        const double lu = du.Magnitude(), lv = dv.Magnitude();
        const double big = std::max(lu, lv);
        if (std::min(lu, lv) > 1e-8 * big && c.Magnitude() > 1e-9 * lu * lv && c.Magnitude() > 1e-300) {
            n = gp_Dir(c);
            if (m_reversed) n.Reverse();
            return kRegular;
        }
        // The local properties look at higher derivatives.
        BRepLProp_SLProps props(m_surface, uv.X(), uv.Y(), 2, 1e-9);
        if (!props.IsNormalDefined()) return kNone;
        n = props.Normal();
        return kSingular;
    }

private:
    BRepAdaptor_Surface m_surface;
    bool m_reversed;
    bool m_planar = false;
    gp_Dir m_planeNormal;
};

// Normals for the nodes in `missing`, where the surface gave none or only one of uncertain
// sense: the area-weighted normal of the triangles around the node decides (the triangles run
// counter-clockwise about the outward side), keeping the surface's own direction when it has one.
void FixNormals(FaceMesh& m, const std::vector<int>& missing, const std::vector<char>& hasCandidate)
{
    std::vector<gp_Vec> sum(m.pos.size());
    std::vector<char> need(m.pos.size(), 0);
    for (int i : missing) need[static_cast<size_t>(i)] = 1;
    for (const auto& t : m.tris) {
        if (!need[t[0]] && !need[t[1]] && !need[t[2]]) continue;
        const gp_Vec n = gp_Vec(m.pos[t[0]], m.pos[t[1]]).Crossed(gp_Vec(m.pos[t[0]], m.pos[t[2]]));
        for (int k = 0; k < 3; ++k)
            if (need[t[k]]) sum[t[k]] += n;
    }
    for (size_t k = 0; k < missing.size(); ++k) {
        const int i = missing[k];
        if (sum[i].Magnitude() <= 1e-300) continue;
        if (!hasCandidate[k])
            m.normal[i] = gp_Dir(sum[i]);
        else if (gp_Vec(m.normal[i]).Dot(sum[i]) < 0.0)
            m.normal[i].Reverse();
    }
}

// Collects the nodes whose normal FixNormals must settle.
struct PendingNormals {
    std::vector<int> nodes;
    std::vector<char> hasCandidate;

    // Records the quality of node i's normal.
    void Note(int i, FaceSurface::Quality q)
    {
        if (q == FaceSurface::kRegular) return;
        nodes.push_back(i);
        hasCandidate.push_back(q == FaceSurface::kSingular ? 1 : 0);
    }
    // Settles them.
    void Fix(FaceMesh& m) const
    {
        if (!nodes.empty()) FixNormals(m, nodes, hasCandidate);
    }
};

// Reads the face's triangulation; false when the face has none.
bool ReadTriangulation(const TopoDS_Face& face, const FaceSurface& surf, FaceMesh& m)
{
    m.Clear();
    TopLoc_Location loc;
    const Handle(Poly_Triangulation)& tri = BRep_Tool::Triangulation(face, loc);
    if (tri.IsNull() || tri->NbTriangles() <= 0 || tri->NbNodes() <= 0) return false;

    const int nn = tri->NbNodes();
    const int nt = tri->NbTriangles();
    const bool moved = !loc.IsIdentity();
    const gp_Trsf trsf = loc.Transformation();
    m.pos.resize(static_cast<size_t>(nn));
    m.uv.resize(static_cast<size_t>(nn));
    m.normal.resize(static_cast<size_t>(nn));
    Handle(Geom_Surface) projSurface;  // only for a triangulation without uv (not made by the mesher)
    for (int i = 0; i < nn; ++i) {
        gp_Pnt p = tri->Node(i + 1);
        if (moved) p.Transform(trsf);
        m.pos[i] = p;
        if (tri->HasUVNodes()) {
            m.uv[i] = tri->UVNode(i + 1);
        } else {
            if (projSurface.IsNull()) projSurface = BRep_Tool::Surface(face);
            GeomAPI_ProjectPointOnSurf proj(p, projSurface);
            double u = 0.0, v = 0.0;
            if (proj.NbPoints() > 0) proj.LowerDistanceParameters(u, v);
            m.uv[i] = gp_Pnt2d(u, v);
        }
    }
    const bool reversed = face.Orientation() == TopAbs_REVERSED;
    m.tris.resize(static_cast<size_t>(nt));
    for (int i = 0; i < nt; ++i) {
        int a = 0, b = 0, c = 0;
        tri->Triangle(i + 1).Get(a, b, c);
        if (a < 1 || b < 1 || c < 1 || a > nn || b > nn || c > nn) return false;
        m.tris[i] = reversed ? std::array<int, 3>{a - 1, c - 1, b - 1} : std::array<int, 3>{a - 1, b - 1, c - 1};
    }
    PendingNormals pending;
    for (int i = 0; i < nn; ++i) pending.Note(i, surf.Normal(m.uv[i], m.normal[i]));
    pending.Fix(m);
    return true;
}

// Splits triangles until no edge is longer than `maxEdge`: each long edge is cut at its middle
// in parameter space (the new node lies on the surface), and every triangle is split by the
// pattern of its cut edges, so neighbours stay joined.
void SplitLongEdges(const FaceSurface& surf, double maxEdge, FaceMesh& m, PendingNormals& pending)
{
    const double limitSq = maxEdge * maxEdge;
    std::unordered_map<uint64_t, int> middles;
    std::vector<std::array<int, 3>> next;
    auto key = [](int a, int b) {
        if (a > b) std::swap(a, b);
        return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
    };
    for (int pass = 0; pass < kMaxSplitPasses; ++pass) {
        middles.clear();
        size_t cut = 0;
        for (const auto& t : m.tris)
            for (int k = 0; k < 3; ++k) {
                const int a = t[k], b = t[(k + 1) % 3];
                if (m.pos[a].SquareDistance(m.pos[b]) > limitSq && middles.emplace(key(a, b), -1).second) ++cut;
            }
        if (cut == 0) return;
        // Each cut edge adds up to two triangles on each side.
        if (m.tris.size() + 4 * cut > kMaxSplitTriangles) return;
        for (auto& entry : middles) {
            const int a = static_cast<int>(entry.first >> 32);
            const int b = static_cast<int>(entry.first & 0xffffffffu);
            const gp_Pnt2d uv((m.uv[a].XY() + m.uv[b].XY()) * 0.5);
            entry.second = static_cast<int>(m.pos.size());
            m.uv.push_back(uv);
            m.pos.push_back(surf.Point(uv));
            gp_Dir n = m.normal[a];
            pending.Note(entry.second, surf.Normal(uv, n));
            m.normal.push_back(n);
        }
        next.clear();
        next.reserve(m.tris.size() + 3 * cut);
        for (const auto& t : m.tris) {
            int mid[3];
            int count = 0;
            for (int k = 0; k < 3; ++k) {
                auto it = middles.find(key(t[k], t[(k + 1) % 3]));
                mid[k] = it == middles.end() ? -1 : it->second;
                count += mid[k] >= 0;
            }
            if (count == 0) {
                next.push_back(t);
            } else if (count == 3) {
                next.push_back({t[0], mid[0], mid[2]});
                next.push_back({mid[0], t[1], mid[1]});
                next.push_back({mid[2], mid[1], t[2]});
                next.push_back({mid[0], mid[1], mid[2]});
            } else if (count == 1) {
                // Rotate so that the cut edge runs from a to b.
                int k = mid[0] >= 0 ? 0 : mid[1] >= 0 ? 1 : 2;
                const int a = t[k], b = t[(k + 1) % 3], c = t[(k + 2) % 3], ab = mid[k];
                next.push_back({a, ab, c});
                next.push_back({ab, b, c});
            } else {
                // Rotate so that the uncut edge runs from c to a.
                int k = mid[2] < 0 ? 0 : mid[0] < 0 ? 1 : 2;
                const int a = t[k], b = t[(k + 1) % 3], c = t[(k + 2) % 3];
                const int ab = mid[k], bc = mid[(k + 1) % 3];
                next.push_back({ab, b, bc});
                // Cut the remaining quad a-ab-bc-c along its shorter diagonal.
                if (m.pos[a].SquareDistance(m.pos[bc]) <= m.pos[ab].SquareDistance(m.pos[c])) {
                    next.push_back({a, ab, bc});
                    next.push_back({a, bc, c});
                } else {
                    next.push_back({a, ab, c});
                    next.push_back({ab, bc, c});
                }
            }
        }
        m.tris.swap(next);
    }
}

// As above, then settles the normals of new nodes at singular points.
void SplitLongEdges(const FaceSurface& surf, double maxEdge, FaceMesh& m)
{
    PendingNormals pending;
    SplitLongEdges(surf, maxEdge, m, pending);
    pending.Fix(m);
}

// Sends one face's facets to the manager.
void Emit(MESH_MANAGER* mm, FACE* face, ENTITY* appRef, const FaceMesh& m, std::vector<void*>& ids)
{
    ENTITY* format = vertex_template_of_faceter();
    const int nn = static_cast<int>(m.pos.size());
    const int nt = static_cast<int>(m.tris.size());
    mm->begin_mesh_output(face, appRef, format);
    mm->announce_counts(nt, nn, 3 * nt);
    ids.resize(static_cast<size_t>(nn));
    for (int i = 0; i < nn; ++i) {
        const gp_Pnt& p = m.pos[i];
        const gp_Dir& d = m.normal[i];
        SPAunit_vector n;
        n.set_x(d.X());
        n.set_y(d.Y());
        n.set_z(d.Z());
        ids[i] = mm->announce_indexed_node(i, SPApar_pos(m.uv[i].X(), m.uv[i].Y()), SPAposition(p.X(), p.Y(), p.Z()), n);
    }
    for (int t = 0; t < nt; ++t) {
        mm->start_indexed_polygon(t, 3, -2);
        for (int k = 0; k < 3; ++k) mm->announce_indexed_polynode(t, k, ids[m.tris[t][k]]);
    }
    mm->end_mesh_output(face, appRef, format);
    mm->save_mesh_output(face, appRef, format);
}

// Removes the triangulations of a shape when it goes out of scope, so that no mesh outlives its
// faceting call (and no later call can reuse one made with other tolerances).
class CleanOnExit {
public:
    explicit CleanOnExit(const TopoDS_Shape& shape) : m_shape(shape) {}
    CleanOnExit(const CleanOnExit&) = delete;
    CleanOnExit& operator=(const CleanOnExit&) = delete;
    ~CleanOnExit()
    {
        try {
            BRepTools::Clean(m_shape);
        } catch (...) {
        }
    }

private:
    TopoDS_Shape m_shape;
};

// The shape whose meshing covers `faces`: the body's own shape, the face, or a compound of them.
TopoDS_Shape MeshTarget(ENTITY* entity, const ENTITY_LIST& faces)
{
    if (is_BODY(entity)) return OcctShape(static_cast<BODY*>(entity));
    if (faces.count() == 1) return OcctFace(static_cast<FACE*>(faces[0]));
    TopoDS_Compound compound;
    BRep_Builder builder;
    builder.MakeCompound(compound);
    for (int i = 0; i < faces.count(); ++i) {
        const TopoDS_Face f = OcctFace(static_cast<FACE*>(faces[i]));
        if (!f.IsNull()) builder.Add(compound, f);
    }
    return compound;
}

// Faces meshed since the process started.
long g_facetedFaces = 0;

void FacetEntity(ENTITY* entity)
{
    if (entity == nullptr) sys_error(NULL_ENTITY);
    bool hasFaces = false;
    switch (entity->identity(1)) {
    case BODY_TYPE:
    case LUMP_TYPE:
    case SHELL_TYPE:
    case FACE_TYPE:
        hasFaces = true;
        break;
    case EDGE_TYPE:
    case VERTEX_TYPE:
    case COEDGE_TYPE:
    case LOOP_TYPE:
    case WIRE_TYPE:
        break;
    default:
        sys_error(WRONG_TYPE, entity);
    }
    MESH_MANAGER* mm = spa_faceter::MeshManager();
    if (mm == nullptr) sys_error(NO_MESH_MANAGER);
    const MeshSettings settings = CheckRefinement(spa_faceter::DefaultRefinement());
    if (!hasFaces) return;

    ENTITY_LIST faces;
    get_faces(entity, faces);
    if (faces.count() == 0) return;
    const TopoDS_Shape target = MeshTarget(entity, faces);
    if (target.IsNull()) sys_error(OCCT_FAILURE, entity);

    CleanOnExit cleaner(target);
    try {
        BRepTools::Clean(target);
        IMeshTools_Parameters params;
        params.Deflection = settings.deflection;
        params.Angle = settings.angle;
        params.Relative = Standard_False;
        params.InParallel = Standard_True;  // faces mesh in parallel; the manager is fed afterwards
        BRepMesh_IncrementalMesh mesher(target, params);
    } catch (const Standard_Failure&) {
        sys_error(OCCT_FAILURE, entity);
    }

    FaceMesh mesh;
    std::vector<void*> ids;
    FACE* firstFailed = nullptr;
    g_facetedFaces += faces.count();
    for (int i = 0; i < faces.count(); ++i) {
        FACE* face = static_cast<FACE*>(faces[i]);
        const TopoDS_Face f = OcctFace(face);
        bool ok = false;
        try {
            if (!f.IsNull()) {
                FaceSurface surf(f);
                ok = ReadTriangulation(f, surf, mesh);
                if (ok && settings.maxEdge > 0.0) SplitLongEdges(surf, settings.maxEdge, mesh);
            }
        } catch (const Standard_Failure&) {
            ok = false;
        }
        if (!ok) {
            if (firstFailed == nullptr) firstFailed = face;
            continue;
        }
        Emit(mm, face, entity, mesh, ids);
    }
    if (firstFailed != nullptr) sys_error(OCCT_FAILURE, firstFailed);
}

}  // namespace

long faceted_face_count()
{
    return g_facetedFaces;
}

outcome api_facet_entity(ENTITY* entity)
{
    API_FUNCTION_BEGIN
        FacetEntity(entity);
    API_FUNCTION_END
    return result;
}

outcome api_facet_entities(const ENTITY_LIST& entities)
{
    API_FUNCTION_BEGIN
        for (int i = 0; i < entities.count(); ++i) FacetEntity(entities[i]);
    API_FUNCTION_END
    return result;
}
