// Ray tests against faces (OCCT's curve/face intersector), edges (closest approach of the curve
// to the ray) and vertices.
#include <IntCurvesFace_Intersector.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <gp_Lin.hxx>

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_set>
#include <vector>

#include "OcctAccess.h"
#include "SpaRay.h"

namespace {

bool Finite(const SPAvector& v) { return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()); }
bool Finite(const SPAposition& p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()); }

// Samples per curve when looking for its closest approach to a ray.
constexpr int kCurveSamples = 64;
// Golden-section steps refining one closest approach.
constexpr int kRefineSteps = 80;

// A candidate hit before sorting.
struct RawHit {
    double param;
    ENTITY* entity;
};

// The parameter along the half-line of the point nearest to `p` (never negative).
double ParamOf(const ray& r, const SPAposition& p)
{
    return std::max(0.0, (p - r.root_point()) % r.direction());
}

// Squared distance from `p` to the half-line.
double DistSqToRay(const ray& r, const SPAposition& p)
{
    return (p - r.point_at(ParamOf(r, p))).len_sq();
}

// The face intersections of `r` with `face` as (parameter, point), ascending.
std::vector<std::pair<double, SPAposition>> FaceIntersections(const ray& r, const FACE* face)
{
    std::vector<std::pair<double, SPAposition>> out;
    const TopoDS_Face f = OcctFace(face);
    if (f.IsNull() || !r.valid()) return out;
    try {
        const double tol = std::max(r.radius(), Precision::Confusion());
        IntCurvesFace_Intersector inter(f, tol);
        const gp_Lin line(ToGp(r.root_point()), gp_Dir(r.direction().x(), r.direction().y(), r.direction().z()));
        inter.Perform(line, 0.0, Precision::Infinite());
        if (!inter.IsDone()) return out;
        for (int i = 1; i <= inter.NbPnt(); ++i) {
            const TopAbs_State state = inter.State(i);
            if (state != TopAbs_IN && state != TopAbs_ON) continue;
            out.emplace_back(std::max(0.0, inter.WParameter(i)), ToSpa(inter.Pnt(i)));
        }
    } catch (const Standard_Failure&) {
        out.clear();
    }
    std::sort(out.begin(), out.end(),
              [](const std::pair<double, SPAposition>& a, const std::pair<double, SPAposition>& b) {
                  return a.first < b.first;
              });
    return out;
}

// The smallest ray parameter at which the edge comes within the ray's radius; false when it
// never does.
bool EdgeHit(const ray& r, const EDGE* edge, double& param)
{
    const CURVE* geometry = edge->geometry();
    if (geometry == nullptr) return false;
    const curve& c = geometry->equation();
    const SPAinterval range = edge->param_range();
    if (!range.bounded()) return false;
    const double a = range.start_pt(), b = range.end_pt();
    const int n = c.type() == straight_type ? 1 : kCurveSamples;
    auto f = [&](double t) { return DistSqToRay(r, c.eval_position(t)); };

    std::vector<double> ts(static_cast<size_t>(n) + 1), fs(static_cast<size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        ts[i] = i == n ? b : a + (b - a) * i / n;
        fs[i] = f(ts[i]);
    }
    const double radiusSq = r.radius() * r.radius();
    bool found = false;
    for (int i = 0; i <= n; ++i) {
        // A local minimum among the samples brackets a closest approach.
        if (i > 0 && fs[i - 1] < fs[i]) continue;
        if (i < n && fs[i + 1] < fs[i]) continue;
        double lo = ts[std::max(0, i - 1)], hi = ts[std::min(n, i + 1)];
        const double g = 0.5 * (std::sqrt(5.0) - 1.0);
        double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo);
        double f1 = f(x1), f2 = f(x2);
        for (int k = 0; k < kRefineSteps && hi - lo > 1e-15 * (1.0 + std::fabs(hi)); ++k) {
            if (f1 <= f2) {
                hi = x2;
                x2 = x1;
                f2 = f1;
                x1 = hi - g * (hi - lo);
                f1 = f(x1);
            } else {
                lo = x1;
                x1 = x2;
                f1 = f2;
                x2 = lo + g * (hi - lo);
                f2 = f(x2);
            }
        }
        double t = f1 <= f2 ? x1 : x2;
        double best = std::min(f1, f2);
        if (fs[i] < best) {
            best = fs[i];
            t = ts[i];
        }
        if (best > radiusSq) continue;
        const double p = ParamOf(r, c.eval_position(t));
        if (!found || p < param) param = p;
        found = true;
    }
    return found;
}

// The ray mapped into the body space of `entity` (by the inverse of its body's transform).
ray RayInBodySpace(const ray& r, const ENTITY* entity, SPAtransf& toModel)
{
    const BODY* body = BodyOf(entity);
    const TRANSFORM* t = body ? body->transform() : nullptr;
    if (t == nullptr || t->transform().identity()) {
        toModel = SPAtransf();
        return r;
    }
    toModel = t->transform();
    const SPAtransf inverse = toModel.inverse();
    const double scale = toModel.scaling() > 0.0 ? toModel.scaling() : 1.0;
    return ray(r.root_point() * inverse, normalise(SPAvector(r.direction()) * inverse), r.radius() / scale,
               r.hits_wanted());
}

// Adds the hits of one topological entity (tested in its body space) to `out`.
void TestEntity(const ray& model, ENTITY* entity, std::vector<RawHit>& out)
{
    SPAtransf toModel;
    const ray local = RayInBodySpace(model, entity, toModel);
    auto modelParam = [&](const SPAposition& localPoint) { return ParamOf(model, localPoint * toModel); };
    if (is_FACE(entity)) {
        const auto hits = FaceIntersections(local, static_cast<FACE*>(entity));
        if (!hits.empty()) out.push_back({modelParam(hits.front().second), entity});
    } else if (is_EDGE(entity)) {
        double p = 0.0;
        if (EdgeHit(local, static_cast<EDGE*>(entity), p)) out.push_back({modelParam(local.point_at(p)), entity});
    } else if (is_VERTEX(entity)) {
        const SPAposition& v = static_cast<VERTEX*>(entity)->position();
        if (DistSqToRay(local, v) <= local.radius() * local.radius()) out.push_back({modelParam(v), entity});
    }
}

void RayTestEnts(const SPAposition& root, const SPAunit_vector& dir, double radius, int hitsWanted,
                 const ENTITY_LIST& candidates, ENTITY_LIST& hits, double*& params)
{
    if (!Finite(root) || !Finite(dir) || dir.is_zero(SPAresnor)) sys_error(DEGENERATE_RAY);
    if (!std::isfinite(radius) || radius < 0.0) sys_error(BAD_TOLERANCE);
    const ray model(root, dir, radius, hitsWanted);

    std::vector<RawHit> raw;
    for (int i = 0; i < candidates.count(); ++i) {
        ENTITY* e = candidates[i];
        switch (e->identity(1)) {
        case FACE_TYPE:
        case EDGE_TYPE:
        case VERTEX_TYPE:
            TestEntity(model, e, raw);
            break;
        case BODY_TYPE:
        case LUMP_TYPE:
        case SHELL_TYPE:
        case WIRE_TYPE:
        case LOOP_TYPE:
        case COEDGE_TYPE: {
            ENTITY_LIST parts;
            get_edges(e, parts);
            get_vertices(e, parts);
            for (int k = 0; k < parts.count(); ++k) TestEntity(model, parts[k], raw);
            break;
        }
        default:
            break;
        }
    }
    std::stable_sort(raw.begin(), raw.end(), [](const RawHit& a, const RawHit& b) { return a.param < b.param; });

    std::vector<ENTITY*> keptEntities;
    std::vector<double> keptParams;
    std::unordered_set<const ENTITY*> seen;
    for (const RawHit& h : raw) {
        if (hitsWanted > 0 && static_cast<int>(keptEntities.size()) >= hitsWanted) break;
        // Each entity once, at its smallest parameter; entities the caller listed are not repeated.
        if (!seen.insert(h.entity).second || hits.lookup(h.entity) >= 0) continue;
        keptEntities.push_back(h.entity);
        keptParams.push_back(h.param);
    }
    if (keptEntities.empty()) return;
    std::unique_ptr<double[]> array(new double[keptParams.size()]);
    std::copy(keptParams.begin(), keptParams.end(), array.get());
    for (ENTITY* e : keptEntities) hits.add(e, 0);
    params = array.release();
}

}  // namespace

// ---------------------------------------------------------------------------------------------

ray::ray(const SPAposition& root, const SPAunit_vector& direction, double radius, int hits_wanted)
    : m_root(root), m_direction(normalise(direction)), m_radius(radius), m_hitsWanted(hits_wanted)
{
}

bool ray::valid() const
{
    return Finite(m_root) && Finite(m_direction) && !m_direction.is_zero(SPAresnor) && std::isfinite(m_radius) &&
           m_radius >= 0.0;
}

hit::hit(ENTITY* entity, double param, const SPAposition& point, hit_type type, hit* next)
    : m_entity(entity), m_param(param), m_point(point), m_type(type), m_next(next)
{
}

hit::~hit()
{
    hit* rest = m_next;
    while (rest != nullptr) {
        hit* after = rest->m_next;
        rest->m_next = nullptr;
        delete rest;
        rest = after;
    }
}

hit* raytest_face(const ray& r, FACE* face)
{
    if (face == nullptr || !is_FACE(face) || !r.valid()) return nullptr;
    try {
        const auto found = FaceIntersections(r, face);
        size_t n = found.size();
        if (r.hits_wanted() > 0) n = std::min(n, static_cast<size_t>(r.hits_wanted()));
        std::unique_ptr<hit> list;
        for (size_t i = n; i-- > 0;) {
            hit* head = new hit(face, found[i].first, found[i].second, hit_face, list.get());
            list.release();
            list.reset(head);
        }
        return list.release();
    } catch (...) {
        return nullptr;
    }
}

outcome api_ray_test_ents(const SPAposition& root, const SPAunit_vector& dir, double radius, int hits_wanted,
                          const ENTITY_LIST& candidates, ENTITY_LIST& hits, double*& params)
{
    params = nullptr;
    API_FUNCTION_BEGIN
        RayTestEnts(root, dir, radius, hits_wanted, candidates, hits, params);
    API_FUNCTION_END
    return result;
}
