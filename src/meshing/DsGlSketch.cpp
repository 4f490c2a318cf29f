// CDsGlSketch: bodies into mesh interfaces, edges into polyline entries.
#include "DsGlSketch.h"

#include "DsEllipseStorage.h"
#include "DsItemPolyline3D.h"
#include "DsItemsGroup.h"
#include "VyrMeshInterface.h"
#include "VyrOptionScope.h"
#include "VyrRefinement.h"

#include "DsTopologyServices.h"
#include "SpaFaceter.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "rendering_context.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const double kPi = 3.14159265358979323846;
// Values strictly inside this bound are stored as 0 (smaller than the smallest normal float).
const double kSmallestFloat = 1.1754943508222875e-38;
// Most segments of a curve made by evaluation.
const int kMaxSegments = CDsGlSketch::kMaxCurvePoints - 1;
// Most steps by which a free-form curve's interval is moved into its range.
const double kMaxMoveSteps = 1e6;

// Clears a pointer member when the scope ends, however it ends.
template <typename T>
class ResetOnExit {
public:
    explicit ResetOnExit(T& member) : m_member(member) {}
    ~ResetOnExit() { m_member = T(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    T& m_member;
};

}  // namespace

double DsGetViewPixelSize()
{
    const double fallback = 100.0 / 300.0;
    view3d* view = All_Views().first();
    if (!view) return fallback;
    int x = 0, y = 0, width = 0, height = 0;
    view->get_viewport(x, y, width, height);
    const double size = view->get_width() / width;
    return width > 0 && std::isfinite(size) && size > 0.0 ? size : fallback;
}

CDsGlSketch::CDsGlSketch(const CVyrRefinement* refinement) : m_refinement(refinement) {}

CDsGlSketch::~CDsGlSketch() = default;

const CVyrRefinement* CDsGlSketch::GetRefinement() const
{
    return m_refinement ? m_refinement : CVyrRefinement::StGetCurrentRefinement();
}

// --- Bodies, faces and edges ----------------------------------------------------------------------

CVyrMeshInterface* CDsGlSketch::BuildBody(ENTITY* entity, bool fast)
{
    if (!entity || !is_BODY(entity)) return nullptr;
    BODY* body = static_cast<BODY*>(entity);
    auto meshes = std::make_unique<CVyrMeshInterface>();
    const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
    BuildEdges(body, meshes.get(), fast);
    BuildFaces(body, meshes.get(), fast);
    return meshes.release();
}

void CDsGlSketch::BuildEdges(const BODY* body, CVyrMeshInterface* meshes, bool fast)
{
    if (!meshes) return;
    auto buildOne = [&](EDGE* edge) {
        API_BEGIN
        BuildEdge(edge, meshes, fast);
        API_END
    };
    API_BEGIN
    ENTITY_LIST edges;
    check_outcome(api_get_edges(const_cast<BODY*>(body), edges));
    for (int i = 0; i < edges.count(); ++i) buildOne(static_cast<EDGE*>(edges[i]));
    API_END
}

void CDsGlSketch::BuildEdge(EDGE* edge, CVyrMeshInterface* meshes, bool fast)
{
    if (fast)
        BuildEdgeFast(edge, meshes);
    else
        BuildEdgeSafe(edge, meshes);
}

void CDsGlSketch::BuildEdgeSafe(EDGE* edge, CVyrMeshInterface* meshes)
{
    const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
    CVyrBulletinBoardScope board(0);
    API_BEGIN
    BuildEdgeFast(edge, meshes);
    API_END
    board.Close(result);
}

void CDsGlSketch::BuildEdgeFast(EDGE* edge, CVyrMeshInterface* meshes)
{
    if (!edge || !meshes) return;
    CDmRefCountPtrTempl<CVyrPolylineEntry> entry(new CVyrPolylineEntry(edge));
    {
        m_polyline = entry;
        const ResetOnExit<CDmRefCountPtrTempl<CVyrPolylineEntry>> release(m_polyline);
        SketchEntityGeometry(edge);
    }
    if (entry->GetPid() > 0) meshes->Add(entry);
}

void CDsGlSketch::BuildFaces(BODY* body, CVyrMeshInterface* meshes, bool fast)
{
    if (!meshes) return;
    ENTITY_LIST faces;
    if (!api_get_faces(body, faces).ok() || faces.count() == 0) return;
    const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
    API_BEGIN
    meshes->FacetEntity(body, 0, fast);
    API_END
}

void CDsGlSketch::BuildFace(FACE* face, CVyrMeshInterface* meshes, bool fast)
{
    if (!meshes) return;
    const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
    if (fast)
        meshes->FacetEntity(face, 0, true);
    else
        BuildFaceSafe(face, meshes);
}

void CDsGlSketch::BuildFaceSafe(FACE* face, CVyrMeshInterface* meshes)
{
    if (!meshes) return;
    CVyrBulletinBoardScope board(0);
    API_BEGIN
    meshes->FacetEntity(face, 0, true);
    API_END
    board.Close(result);
}

void CDsGlSketch::BuildFaceFast(FACE* face, CVyrMeshInterface* meshes)
{
    if (meshes) meshes->FacetEntity(face, 0, true);
}

void CDsGlSketch::RefacetProblematicFacesOneByOne(CVyrMeshInterface* meshes, ENTITY_LIST& faces)
{
    if (!meshes) return;
    for (int i = 0; i < faces.count(); ++i) {
        ENTITY* face = faces[i];
        const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes->GetMeshEntry(face);
        if (entry && entry->GetMesh()) continue;
        API_BEGIN
        meshes->RemoveMesh(face);
        if (is_FACE(face)) BuildFaceFast(static_cast<FACE*>(face), meshes);
        API_END
    }
}

// --- Edge polylines -----------------------------------------------------------------------------------

void CDsGlSketch::SketchEdge(EDGE* edge, CDmRefCountPtrTempl<CVyrPolylineEntry> entry)
{
    m_polyline = std::move(entry);
    const ResetOnExit<CDmRefCountPtrTempl<CVyrPolylineEntry>> release(m_polyline);
    SketchEntityGeometry(edge);
}

void CDsGlSketch::SketchCurve(CURVE* curve, CDmRefCountPtrTempl<CVyrPolylineEntry> entry)
{
    m_polyline = std::move(entry);
    const ResetOnExit<CDmRefCountPtrTempl<CVyrPolylineEntry>> release(m_polyline);
    SketchEntityGeometry(curve);
}

int CDsGlSketch::SketchEntityGeometry(ENTITY* entity)
{
    m_bodyTransform = CDsTopologyServices::GetBodyTransform(entity);
    const ResetOnExit<const SPAtransf*> clear(m_bodyTransform);
    CVyrMeshInterface* active = CVyrMeshInterface::StGetActiveMeshManager();
    if (m_facetFirst && active && entity && !active->GetMeshEntry(entity)) {
        const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
        API_BEGIN
        active->FacetEntity(entity, 1, true);
        API_END
    }
    if (entity && entity->identity(1) == EDGE_TYPE) GetEdgeGeometry(static_cast<EDGE*>(entity), m_bodyTransform);
    if (entity && entity->identity(1) == CURVE_TYPE) SketchCurve(static_cast<CURVE*>(entity));
    return 0;
}

int CDsGlSketch::GetEdgeGeometry(EDGE* edge, const SPAtransf* transform)
{
    if (EdgeNotification(edge, transform)) SketchEdgeCurve(edge);
    return 0;
}

int CDsGlSketch::SketchEdgeCurve(EDGE* edge)
{
    if (!edge || !edge->geometry()) return 0;
    const SPAinterval range = edge->param_range();
    if (range.empty()) return 0;
    return SketchCurveParam(edge->geometry()->equation(), range.start_pt(), range.end_pt());
}

int CDsGlSketch::SketchCurve(CURVE* curve)
{
    if (!curve || !m_polyline) return 0;
    // The curve of an edge is shown as the edge: over the edge's range.
    ENTITY* owner = curve->owner();
    if (owner && is_EDGE(owner) && static_cast<EDGE*>(owner)->geometry() == curve)
        return SketchEdgeCurve(static_cast<EDGE*>(owner));
    const SPAinterval range = curve->equation().param_range();
    if (!range.bounded()) return 0;
    return SketchCurveParam(curve->equation(), range.start_pt(), range.end_pt());
}

int CDsGlSketch::EdgeNotification(EDGE*, const SPAtransf*)
{
    return 1;
}

// --- Display curves ----------------------------------------------------------------------------------

void CDsGlSketch::SketchCurveEdge(EDGE* edge, const SPAtransf* transform, CDsItemsGroup* group)
{
    if (!edge || !edge->geometry() || !group) return;
    double t0 = edge->start_param(), t1 = edge->end_param();
    if (edge->sense() == REVERSED) {
        const double start = t0;
        t0 = -t1;
        t1 = -start;
    }
    const std::unique_ptr<curve> copy(edge->geometry()->equation().make_copy());
    if (transform) *copy *= *transform;
    std::unique_ptr<CDsItemPolyline3D> item;
    {
        CVyrBulletinBoardScope board(1);
        API_BEGIN
        item.reset(ApproximateCurve(*copy, t0, t1));
        API_END
        board.Close(result);
    }
    if (item) group->Add(item.release());
}

CDsItemPolyline3D* CDsGlSketch::ApproximateCurve(const curve& c, double t0, double t1)
{
    if (!(t0 < t1)) {
        t1 += c.param_period();
        if (!(t0 < t1)) return nullptr;
    }
    if (!std::isfinite(t0) || !std::isfinite(t1)) return nullptr;

    SPAposition points[kMaxCurvePoints];
    double params[kMaxCurvePoints];
    int segments = 0;
    switch (c.type()) {
    case straight_type:
        segments = 1;
        break;
    case ellipse_type:
        segments = std::min(GetEllipseSegmentsCount(static_cast<const ellipse&>(c), t0, t1), kMaxSegments);
        break;
    case intcurve_type: {
        int count = 0;
        const outcome facets = FacetCurve(c, t0, t1, DsGetViewPixelSize(), kMaxCurvePoints, count, points, params);
        if (!facets.ok()) return nullptr;
        if (count >= kMaxCurvePoints) {
            segments = kMaxSegments;  // the faceter ran out of points: evaluate at even steps
            break;
        }
        return count > 0 ? new CDsItemPolyline3D(count, points, false, nullptr) : nullptr;
    }
    default:
        return nullptr;
    }
    if (segments <= 0) return nullptr;
    const double step = (t1 - t0) / segments;
    for (int i = 0; i < segments; ++i) points[i] = c.eval_position(t0 + i * step);
    points[segments] = c.eval_position(t1);
    return new CDsItemPolyline3D(segments + 1, points, false, nullptr);
}

int CDsGlSketch::SketchCurveParam(const curve& c, double t0, double t1)
{
    if (!m_polyline) return 0;
    if (!(t0 < t1)) {
        t1 += c.param_period();
        if (!(t0 < t1)) return 0;
    }
    if (!std::isfinite(t0) || !std::isfinite(t1)) return 0;

    SPAposition points[kMaxCurvePoints];
    double params[kMaxCurvePoints];
    int segments = 0;
    switch (c.type()) {
    case straight_type:
        segments = 1;
        break;
    case ellipse_type: {
        const ellipse& e = static_cast<const ellipse&>(c);
        if (CDsEllipseStorage::StGetDynamicEllipses()) {
            m_polyline->SetEllipse(e, t0, t1);
            return 0;
        }
        segments = std::min(GetEllipseSegmentsCount(e, t0, t1), kMaxSegments);
        break;
    }
    case intcurve_type: {
        int count = 0;
        ApproximateIntCurve(c, t0, t1, GetRefinement()->GetCurveTol(), kMaxCurvePoints, count, points, params);
        if (count >= kMaxCurvePoints) {
            segments = kMaxSegments;  // the faceter ran out of points: evaluate at even steps
            break;
        }
        if (count > 0) PolylineNotification(count, points);
        return 0;
    }
    default:
        return 0;
    }
    if (segments <= 0) return 0;
    const double step = (t1 - t0) / segments;
    for (int i = 0; i < segments; ++i) points[i] = c.eval_position(t0 + i * step);
    points[segments] = c.eval_position(t1);
    return PolylineNotification(segments + 1, points);
}

int CDsGlSketch::PolylineNotification(int count, const SPAposition* points)
{
    if (!m_polyline || count <= 0 || !points) return 0;
    float* floats = new float[static_cast<size_t>(count) * 3];
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            const double v = points[i].coordinate(k);
            floats[3 * i + k] = v > -kSmallestFloat && v < kSmallestFloat ? 0.0f : static_cast<float>(v);
        }
    }
    m_polyline->SetPoints(count, floats);
    m_polyline->SetMiddlePoint();
    return 0;
}

int CDsGlSketch::GetEllipseSegmentsCount(const ellipse& e, double t0, double t1) const
{
    const double r = e.major_axis.len();
    const double p = DsGetViewPixelSize();
    double perTurn = 12.0;
    if (r - p > 0.0) perTurn = std::max(12.0, std::ceil(kPi / std::acos((r - p) / r)));
    const double segments = std::ceil((t1 - t0) / (2.0 * kPi) * perTurn - 1e-9);
    if (!std::isfinite(segments) || segments <= 0.0) return 0;
    return static_cast<int>(std::min(segments, 1e9));
}

// --- Curve approximation ----------------------------------------------------------------------------

outcome CDsGlSketch::FacetCurve(const curve& c, double t0, double t1, double tol, int maximum, int& count,
                                SPAposition* points, double* params) const
{
    const CVyrOptionScope noBackupBoxes("backup_boxes", 0);
    count = 0;
    const outcome result = api_facet_curve(c, t0, t1, tol, 0.0, 0.0, maximum, count, points, params);
    if (count > kMaxCurvePoints) count = kMaxCurvePoints;
    return result;
}

outcome CDsGlSketch::ApproximateIntCurve(const curve& c, double t0, double t1, double tol, int maximum, int& count,
                                         SPAposition* points, double* params) const
{
    outcome result = FacetCurve(c, t0, t1, tol, maximum, count, points, params);
    if (count <= 0) {
        const SPAinterval range = c.param_range();
        const double low = range.start_pt(), high = range.end_pt();
        double step = c.param_period();
        if (step < SPAresmch) {
            step = std::fabs(t0 - high) / 256.0;
            if (step < SPAresmch) step = 1e-5;
        }
        double shift = 0.0;
        if (t0 > high)
            shift = -std::ceil((t0 - high) / step) * step;
        else if (low > t1)
            shift = std::ceil((low - t1) / step) * step;
        if (shift != 0.0 && std::isfinite(shift) && std::fabs(shift) / step <= kMaxMoveSteps)
            result = FacetCurve(c, t0 + shift, t1 + shift, tol, std::min(maximum, kMaxCurvePoints), count, points,
                                params);
    }
    if (!result.ok())
        count = 0;
    else if (CVyrRefinement::StGetCurrentRefinement()->GetUseDisplayVerticiesFlag())
        FixIntCurveApproximation(count, points, params, tol);
    return result;
}

void CDsGlSketch::FixIntCurveApproximation(int& count, SPAposition* points, double* params, double tol) const
{
    if (count <= 2 || !points) return;
    const SPAposition& first = points[0];
    const SPAposition& last = points[count - 1];
    const SPAvector chord = last - first;
    const double length = chord.len();
    if (length < 1e-6) return;
    const SPAvector direction = chord / length;
    for (int i = 1; i < count - 1; ++i) {
        const SPAvector offset = points[i] - first;
        const SPAvector across = offset - direction * (offset % direction);
        if (across.len_sq() > tol * tol) return;
    }
    points[1] = last;
    if (params) params[1] = params[count - 1];
    count = 2;
}

void CDsGlSketch::SwapParameters(SPAparameter& a, SPAparameter& b) const
{
    const SPAparameter first = a;
    a = -b;
    b = -first;
}
