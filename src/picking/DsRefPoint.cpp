// CDsRefPoint: reference points and their picks on edges; CDsRefPointFilter.
#include "DsRefPoint.h"

#include "DsAcisEdge.h"
#include "DsAcisPick.h"
#include "DsFigPoint3D.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsItemEdge.h"
#include "DsItemPolyline3D.h"
#include "DsItemsCopy.h"
#include "DsPickProccessor.h"
#include "DsPickedItem.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
#include "VyrBodyExt.h"
#include "VyrPoint.h"
#include "VyrViewTable.h"
#include "VyrWCS.h"

#include "SpaErrors.h"
#include "SpaExtras.h"
#include "SpaFilters.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "pick_event.h"
#include "view3d.h"

#include <cmath>
#include <algorithm>
#include <memory>
#include <vector>

CGmPosition CDsRefPoint::sLastPosition;
int CDsRefPoint::sPickType = 0;
double CDsRefPoint::sParam = 0.0;
EDGE* CDsRefPoint::sEdge2 = nullptr;
double CDsRefPoint::sParam2 = 0.0;
FACE* CDsRefPoint::sFace = nullptr;
CVyrPoint* CDsRefPoint::sVyrPoint = nullptr;
CVyrWCS* CDsRefPoint::sVyrWCS = nullptr;

namespace {

constexpr int kStart = 256, kEnd = 257, kMid = 258, kCentre = 259, kClose = 267, kIntersection = 269,
              kPierce = 271, kFree = 272, kPointEntity = 263, kOrigin = 262;
// A vertex is hit when the close point lies within this many pixels of it (squared).
constexpr double kVertexPixels2 = 25.0;

// The pick information of the context of `view`, null when it has none.
CDsPickInfoStorage* PickInfoOf(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CDsGlContext* context = core ? core->GetGlContext() : nullptr;
    CDsPickProccessor* processor = context ? context->GetPickProccessor() : nullptr;
    return processor ? &processor->GetPickInfoStorage() : nullptr;
}

}  // namespace

// --- Construction -----------------------------------------------------------------------------

void CDsRefPoint::Clear()
{
    sEdge2 = nullptr;
    sFace = nullptr;
    sVyrPoint = nullptr;
    sVyrWCS = nullptr;
}

CDsRefPoint::CDsRefPoint(ENTITY* entity, const CGmPosition* position)
{
    Clear();
    SetReferenceEntity(entity);
    if (position) sLastPosition = *position;
}

CDsRefPoint::CDsRefPoint(EDGE* edge) : m_curveFlag(1)
{
    Clear();
    SetReferenceEntity(edge);
}

CDsRefPoint::CDsRefPoint(const CGmPosition& position)
{
    Clear();
    sLastPosition = position;
    sPickType = kFree;
}

CDsRefPoint::CDsRefPoint(const CGmPosition& position, eVyrParamPointType kind)
{
    Clear();
    sLastPosition = position;
    sPickType = kind;
}

CDsRefPoint::CDsRefPoint(const CGmPosition& position, double param, eVyrParamPointType kind)
{
    Clear();
    sLastPosition = position;
    sParam = param;
    sPickType = kind;
}

CDsRefPoint::CDsRefPoint(const CGmPosition& position, EDGE* first, double param1, EDGE* second, double param2)
{
    Clear();
    SetReferenceEntity(first);
    sLastPosition = position;
    sParam = param1;
    sEdge2 = second;
    sParam2 = param2;
    sPickType = kIntersection;
}

CDsRefPoint::CDsRefPoint(const CGmPosition& position, EDGE* edge, FACE* face)
{
    Clear();
    SetReferenceEntity(edge);
    sLastPosition = position;
    sFace = face;
    sPickType = kPierce;
}

CDsRefPoint::CDsRefPoint(CVyrPoint* point)
{
    Clear();
    if (point) sLastPosition = CGmPosition(point->GetLocation());
    sVyrPoint = point;
    sPickType = kPointEntity;
}

CDsRefPoint::CDsRefPoint(CVyrWCS* wcs)
{
    Clear();
    if (wcs && wcs->GetWCS()) sLastPosition = CGmPosition(wcs->GetWCS()->origin());
    sVyrWCS = wcs;
    sPickType = kOrigin;
}

CDsRefPoint::CDsRefPoint(const CDsRefPoint& other)
    : m_pickedItem(other.m_pickedItem ? new CDsPickedItem(*other.m_pickedItem) : nullptr),
      m_curveFlag(other.m_curveFlag), m_entityType(other.m_entityType), m_entity(other.m_entity),
      m_itemEdge(other.m_itemEdge)
{
}

CDsRefPoint& CDsRefPoint::operator=(const CDsRefPoint& other)
{
    if (this == &other) return *this;
    CDsPickedItem* item = other.m_pickedItem ? new CDsPickedItem(*other.m_pickedItem) : nullptr;
    delete m_pickedItem;
    m_pickedItem = item;
    delete m_evaluator;
    m_evaluator = nullptr;
    m_uidPath = other.m_uidPath;
    m_curveFlag = other.m_curveFlag;
    m_entityType = other.m_entityType;
    m_entity = other.m_entity;
    m_itemEdge = other.m_itemEdge;
    m_pickedOwner = other.m_pickedOwner;
    return *this;
}

CDsRefPoint::~CDsRefPoint()
{
    delete m_evaluator;
    delete m_pickedItem;
    sVyrPoint = nullptr;
}

void CDsRefPoint::SetReferenceEntity(ENTITY* entity)
{
    if (!entity) return;
    m_entity = entity;
    m_entityType = entity->identity(0);
}

void CDsRefPoint::InValidateRefPoint()
{
    delete m_evaluator;
    m_evaluator = nullptr;
}

void CDsRefPoint::GetIntersecionData(ENTITY*& first, double& param1, EDGE*& second, double& param2) const
{
    first = m_entity;
    param1 = sParam;
    second = sEdge2;
    param2 = sParam2;
}

void CDsRefPoint::GetPierceData(ENTITY*& edge, FACE*& face) const
{
    edge = m_entity;
    face = sFace;
}

CDsFigPoint3D* CDsRefPoint::PointFig() const
{
    return new CDsFigPoint3D(sLastPosition, static_cast<EPointStyle>(0), 10, true, true, CGmUnitVector(), 0);
}

EDGE* CDsRefPoint::Edge() const
{
    if (is_CVyrViewTableBase(m_entity)) return NSGeomEngine::GetEdgeFromReferenceEntity(m_entity);
    return is_EDGE(m_entity) ? static_cast<EDGE*>(m_entity) : nullptr;
}

// --- Picks ------------------------------------------------------------------------------------

int CDsRefPoint::StIsPicked(const CUiPickEvent& event, const CGmPosition& position)
{
    view3d* view = event.view();
    if (!view) return 0;
    const bool own = !CDsAcisPick::StInPickMode(event);
    CDsAcisPickData saved;
    if (own) CDsAcisPick::StBeginPickMode(event, saved);
    // Coordinates too small to be told from 0 in single precision are 0.
    double xyz[3] = {position.x(), position.y(), position.z()};
    for (double& c : xyz)
        if (c != 0.0 && c > -1.1754943508222875e-38 && c < 1.1754943508222875e-38) c = 0.0;
    const int picked = view->draw_point_3d(SPAposition(xyz[0], xyz[1], xyz[2])) ? 1 : 0;
    if (own) CDsAcisPick::StEndPickMode(event, saved);
    return picked;
}

eVyrParamPointType CDsRefPoint::StartOrEnd(const SPAposition& start, const SPAposition& end, const SPAposition& point)
{
    const SPAvector toStart = point - start, toEnd = point - end;
    return (toStart % toStart) < (toEnd % toEnd) ? kStart : kEnd;
}

int CDsRefPoint::PickRefPoint(const CUiPickEvent& event, const CDsTypeMask& mask, const TPointTest* accept)
{
    if (!is_EDGE(m_entity)) return 0;
    sPickType = -1;
    if (!m_curveFlag || !m_itemEdge) return 0;
    const bool single = !NSDsTypeMaskHelper::IsMoreThanOnePoint(mask);

    SPAposition start(0, 0, 0), end(0, 0, 0), middle(0, 0, 0), centre(0, 0, 0);
    bool hasCentre = false;
    if (mask.IsTypeSet(kStart) || mask.IsTypeSet(kEnd)) {
        m_itemEdge->GetStartPoint(start);
        m_itemEdge->GetEndPoint(end);
    }
    if (mask.IsTypeSet(kMid)) m_itemEdge->GetMidPoint(middle);
    if (mask.IsTypeSet(kCentre)) hasCentre = m_itemEdge->GetCenterPoint(centre);

    // A point is answered when the test (if any) accepts it; else the search goes on.
    const auto offer = [&](int kind, const SPAposition& point) {
        if (accept && *accept && !(*accept)(CGmPosition(point))) return false;
        sPickType = kind;
        sLastPosition = CGmPosition(point);
        return true;
    };
    // In single mode: whether the edge itself lies under the cursor (its nearest point in the
    // aperture), which snaps the search to the kind's own point.
    const auto nearHit = [&]() {
        const eVyrParamPointType before = sPickType;
        if (!PickRefClosePoint(event, false) || !StIsPicked(event, sLastPosition)) {
            sPickType = before;
            return false;
        }
        return true;
    };

    for (int kind = kStart; kind <= kCentre; ++kind) {
        if (!mask.IsTypeSet(kind)) continue;
        if (kind == kCentre && !hasCentre) continue;
        switch (kind) {
        case kStart:
            if (StIsPicked(event, start) && offer(kStart, start)) return 1;
            if (StIsPicked(event, end) && offer(kEnd, end)) return 1;
            if (single && nearHit()) {
                const SPAposition found = sLastPosition;
                const bool startFirst = StartOrEnd(start, end, found) == kStart;
                if (startFirst ? offer(kStart, start) : offer(kEnd, end)) return 1;
                if (startFirst ? offer(kEnd, end) : offer(kStart, start)) return 1;
            }
            break;
        case kEnd:
            if (mask.IsTypeSet(kStart) && single) break;
            if (StIsPicked(event, end) && offer(kEnd, end)) return 1;
            if (single && nearHit() && offer(kEnd, end)) return 1;
            break;
        case kMid:
            if (StIsPicked(event, middle) && offer(kMid, middle)) return 1;
            if (single && nearHit() && offer(kMid, middle)) return 1;
            break;
        default:
            if (StIsPicked(event, centre) && offer(kCentre, centre)) return 1;
            if (single && nearHit() && offer(kCentre, centre)) return 1;
            break;
        }
    }
    sPickType = -1;
    return 0;
}

int CDsRefPoint::PickRefClosePoint(const CGmPosition& position)
{
    if (!is_EDGE(m_entity)) return 0;
    sLastPosition = position;
    if (!m_evaluator) m_evaluator = new DsAcisEdge;
    SPAposition found;
    double param = 0.0;
    if (!m_evaluator->EvalClosePosition(static_cast<EDGE*>(m_entity), position, found, param, 1)) {
        sPickType = 0;
        return 0;
    }
    sLastPosition = CGmPosition(found);
    sParam = param;
    sPickType = kClose;
    return kClose;
}

int CDsRefPoint::PickRefClosePoint(const CUiPickEvent& event, bool markVertex, const TPointTest* accept)
{
    if (!m_entity) return 0;
    std::unique_ptr<CGmPosition> found(PickEdgePosition(event, markVertex, accept));
    if (!found) {
        sPickType = 0;
        return 0;
    }
    sLastPosition = *found;
    sPickType = kClose;
    return kClose;
}

int CDsRefPoint::PickRefClosePointByEntity(const CUiPickEvent& event)
{
    if (!m_entity) return 0;
    sPickType = 0;
    SPAposition found;
    double param = 0.0;
    if (!NSGeomEngine::PickRefClosePoint(m_entity, event, found, param)) return 0;
    sLastPosition = CGmPosition(found);
    sParam = param;
    sPickType = kClose;
    return StIsPicked(event, sLastPosition);
}

int CDsRefPoint::PickRefPointByEntity(const CUiPickEvent&)
{
    if (m_entity) sPickType = 0;
    return 0;
}

void CDsRefPoint::EvalPickPosition(const CUiPickEvent& event)
{
    outcome result;
    api_bb_begin();
    try {
        // A nearest-point pick leaves an evaluator behind: evaluate afresh.
        InValidateRefPoint();
        m_evaluator = new DsAcisEdge;
        EDGE* edge = Edge();
        if (edge) {
            if (edge->sense() == REVERSED) {
                if (sPickType == kStart) sPickType = kEnd;
                else if (sPickType == kEnd) sPickType = kStart;
            }
            m_curveFlag = m_evaluator->FindCurve(edge);
            if (m_curveFlag) {
                SPAposition position(0, 0, 0);
                double param = 0.0;
                switch (sPickType) {
                case kStart: m_evaluator->EvalStartPosition(edge, position); break;
                case kEnd: m_evaluator->EvalEndPosition(edge, position); break;
                case kMid: m_evaluator->EvalMidPosition(edge, position); break;
                case kCentre: m_evaluator->EvalCenterPosition(edge, position); break;
                case kClose: m_evaluator->EvalClosePosition(edge, event, position, param, 1); break;
                default: break;
                }
                sLastPosition = CGmPosition(position);
                sParam = param;
            }
        }
    } catch (...) {
        result = spa_detail::caught_outcome();
    }
    api_bb_end(result);
}

void CDsRefPoint::PickParamUV(FACE* face, const CGmPosition& position, SPApar_pos& uv)
{
    uv = SPApar_pos(0, 0);
    if (!face || !face->geometry()) return;
    SPAposition local = position;
    if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(face)) local *= transform->inverse();
    API_BEGIN
        uv = face->geometry()->equation().param(local);
    API_END
    if (!result.ok()) uv = SPApar_pos(0, 0);
}

// --- The owner's polyline -----------------------------------------------------------------------

CGmPosition* CDsRefPoint::GetPositionsFromOwner(const CUiPickEvent& event, int& count)
{
    count = 0;
    view3d* view = event.view();
    CGmPosition* positions = nullptr;
    if (m_itemEdge) {
        positions = m_itemEdge->GetTransformedPolyline(count, view);
    } else if (m_entity) {
        CDsPickInfoStorage* info = PickInfoOf(view);
        auto* polyline = info ? dynamic_cast<CDsItemPolyline3D*>(info->GetPickedItem()) : nullptr;
        if (polyline) {
            int n = 0;
            float* points = polyline->GetPoints(n, view);
            if (points && n > 0) {
                positions = new CGmPosition[static_cast<size_t>(n)];
                for (int i = 0; i < n; ++i) positions[i] = CGmPosition(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
                count = n;
            }
            delete[] points;
            info->SetPickedItem(nullptr);
        }
    }
    if (!positions) {
        count = 0;
        return nullptr;
    }
    if (auto* copy = dynamic_cast<CDsItemsCopy*>(m_pickedOwner)) {
        const SPAtransf& transform = copy->GetTransformation();
        if (!transform.identity())
            for (int i = 0; i < count; ++i) positions[i] *= transform;
    }
    return positions;
}

namespace {

// How a nearest-point search with a test walks a segment: steps of a quarter of a pixel, as far as
// four pixels (a pick window's half diagonal and more) either way.
constexpr double kAcceptStep = 0.25;
constexpr int kAcceptSteps = 16;
// The near distance the frame's projection takes when the camera gives none.
constexpr double kNearestPlane = 0.001;

}  // namespace

CGmPosition* CDsRefPoint::LookForClosePosition(int count, const CGmPosition* positions, view3d* view,
                                                const CUiPickEvent& event, int* segment, const TPointTest* accept)
{
    if (!positions || count < 2 || !view) return nullptr;
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    std::unique_ptr<float[]> screen(new float[2 * static_cast<size_t>(count)]);
    std::vector<bool> projects(static_cast<size_t>(count));
    int height = -1;
    for (int i = 0; i < count; ++i)
        projects[static_cast<size_t>(i)] =
            computer->ProjectPositionOnView(positions[i], view, screen[2 * i], screen[2 * i + 1], &height, true);
    // The window shows a perspective view's segments only from its near plane on: a segment that
    // reaches before it (behind the eye, where an end projects nowhere, or between the eye and the
    // plane) is cut there, and what remains is measured. Each point's depth, its distance in front
    // of the eye along the line of sight, comes in double precision from the eye's frame: it tells
    // where to cut, and a fraction `u` of a segment's picture is the model fraction
    // u wa / ((1 - u) wb + u wa), wa and wb its ends' depths (in a parallel view the fraction itself).
    const bool perspective = view->is_perspective();
    const SPAposition eye = view->get_eye();
    const SPAvector sight = view->get_target() - eye;
    const double sightLength = sight.len();
    const SPAvector forward = sightLength > 0.0 ? sight / sightLength : SPAvector(0.0, 0.0, 0.0);
    const double nearest = view->get_hither() > 0.0 ? view->get_hither() : kNearestPlane;
    // The view's model transform moves the points as the projection above moves them.
    const bool moved = view->is_model_transform_enabled() && view->get_model_transform_depth() > 0;
    const SPAtransf model = moved ? view->get_model_transform() : SPAtransf();
    std::unique_ptr<double[]> w(new double[static_cast<size_t>(count)]);
    for (int i = 0; i < count; ++i)
        w[i] = perspective ? ((moved ? SPAposition(positions[i]) * model : SPAposition(positions[i])) - eye) % forward : 1.0;
    // Segment i as the window shows it: its model ends a and b, their screen places and depths;
    // false when the window shows none of it.
    struct SShown {
        SPAposition a, b;
        double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0, wa = 1.0, wb = 1.0;
        bool cutA = false, cutB = false;
    };
    const auto shownPart = [&](int i, SShown& part) {
        part.a = positions[i - 1];
        part.b = positions[i];
        part.wa = w[i - 1];
        part.wb = w[i];
        part.cutA = perspective && !(part.wa >= nearest);
        part.cutB = perspective && !(part.wb >= nearest);
        if (part.cutA && part.cutB) return false;
        if (!part.cutA && !part.cutB) {
            if (!projects[static_cast<size_t>(i - 1)] || !projects[static_cast<size_t>(i)]) return false;
            part.ax = screen[2 * (i - 1)], part.ay = screen[2 * (i - 1) + 1];
            part.bx = screen[2 * i], part.by = screen[2 * i + 1];
            return true;
        }
        const double t = (nearest - part.wa) / (part.wb - part.wa);
        if (!std::isfinite(t)) return false;
        const SPAposition cut = part.a + t * (part.b - part.a);
        // The end kept as it projects above; the cut one at the near plane, projected in double
        // precision (an end a hair before the plane in single precision would lie far off) and
        // counted in the same pixels (rows down, one less than the drawable's).
        double x = 0.0, y = 0.0, depth = 0.0;
        if (!view->world_to_drawable(moved ? cut * model : cut, x, y, depth)) return false;
        const size_t kept = static_cast<size_t>(part.cutA ? i : i - 1);
        if (!projects[kept]) return false;
        const double keptX = screen[2 * kept], keptY = screen[2 * kept + 1];
        if (part.cutA) {
            part.a = cut, part.wa = nearest, part.ax = x, part.ay = y - 1.0;
            part.bx = keptX, part.by = keptY;
        } else {
            part.b = cut, part.wb = nearest, part.bx = x, part.by = y - 1.0;
            part.ax = keptX, part.ay = keptY;
        }
        return std::isfinite(part.ax) && std::isfinite(part.ay) && std::isfinite(part.bx) && std::isfinite(part.by);
    };
    const auto modelAt = [](const SShown& part, double u) {
        const double denominator = (1.0 - u) * part.wb + u * part.wa;
        double s = u;
        if (part.wa != part.wb && denominator != 0.0 && std::isfinite(denominator)) s = u * part.wa / denominator;
        return CGmPosition(part.a + std::min(std::max(s, 0.0), 1.0) * (part.b - part.a));
    };
    const double cx = event.x(), cy = event.y();
    // Only the polyline's own ends are ends: where two segments meet (and where a closed one, a
    // circle, joins its last point to its first) the picture goes on round the corner, and where
    // the near plane cuts a segment it goes on beyond the window.
    const bool closed = count > 2 && same_point(positions[0], positions[count - 1]);
    int best = -1;
    double bestDistance = 0.0, bestT = 0.0, bestLen2 = 1.0;
    SShown bestPart;
    for (int i = 1; i < count; ++i) {
        SShown part;
        if (!shownPart(i, part)) continue;
        const double sx = part.ax, sy = part.ay;
        const double dx = part.bx - sx, dy = part.by - sy;
        const double len2 = dx * dx + dy * dy;
        if (len2 == 0.0) continue;
        double t = (cx - sx) * dx + (cy - sy) * dy;
        // Beyond an end of the polyline by more than a tenth of the segment, the cursor is off it.
        if ((i == 1 && !closed && !part.cutA && t < -0.1 * len2) ||
            (i == count - 1 && !closed && !part.cutB && t > 1.1 * len2))
            continue;
        t = std::min(std::max(t, 0.0), len2);
        // How far the cursor is from the segment's point nearest to it, not from its line: a short
        // chord whose line passes under the cursor from afar is not near it.
        double distance = std::hypot(cx - (sx + t / len2 * dx), cy - (sy + t / len2 * dy));
        if (best >= 0 && distance >= bestDistance) continue;
        if (accept && *accept) {
            // The nearest point of the segment it accepts: from the nearest one outwards, a quarter
            // of a pixel at a time, as far as a pick window reaches.
            const double length = std::sqrt(len2), from = t / len2;
            double at = -1.0;
            for (int k = 0; k <= kAcceptSteps && at < 0.0; ++k)
                for (const int side : {1, -1}) {
                    const double u = from + side * k * kAcceptStep / length;
                    if ((k == 0 && side < 0) || u < 0.0 || u > 1.0) continue;
                    if ((*accept)(modelAt(part, u))) {
                        at = u;
                        break;
                    }
                }
            if (at < 0.0) continue;
            if (at != from) {
                distance = std::hypot(cx - (sx + at * dx), cy - (sy + at * dy));
                if (best >= 0 && distance >= bestDistance) continue;
                t = at * len2;
            }
        }
        best = i;
        bestDistance = distance;
        bestT = t;
        bestLen2 = len2;
        bestPart = part;
    }
    if (best < 0) return nullptr;
    if (segment) *segment = best;
    if (CDsPickInfoStorage* info = PickInfoOf(view)) info->SetPickedPrimitiveIndex(best);
    return new CGmPosition(modelAt(bestPart, bestT / bestLen2));
}

CGmPosition* CDsRefPoint::PickEdgePosition(const CUiPickEvent& event, bool markVertex, const TPointTest* accept)
{
    int count = 0;
    std::unique_ptr<CGmPosition[]> positions(GetPositionsFromOwner(event, count));
    view3d* view = event.view();
    int segment = -1;
    CGmPosition* found = LookForClosePosition(count, positions.get(), view, event, &segment, accept);
    if (!found || !markVertex) return found;
    CDsPickInfoStorage* info = PickInfoOf(view);
    if (!info) return found;
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    float ax = 0, ay = 0, bx = 0, by = 0, px = 0, py = 0;
    int height = -1;
    // An end behind a perspective eye projects nowhere: the point is near no such vertex.
    const bool aProjects = computer->ProjectPositionOnView(positions[segment - 1], view, ax, ay, &height, true);
    const bool bProjects = computer->ProjectPositionOnView(positions[segment], view, bx, by, &height, true);
    computer->ProjectPositionOnView(*found, view, px, py, &height, true);
    info->SetPrimitiveEnum(eDsPickedPrimitiveDefault);
    const double toA = aProjects ? (px - ax) * (px - ax) + (py - ay) * (py - ay) : HUGE_VAL;
    const double toB = bProjects ? (px - bx) * (px - bx) + (py - by) * (py - by) : HUGE_VAL;
    if (toA < kVertexPixels2 || toB < kVertexPixels2) info->SetPrimitiveEnum(eDsPickedPrimitiveNone);
    if (toB < kVertexPixels2) info->SetPickedPrimitiveIndex(segment + 1);
    return found;
}

// --- CDsRefPointFilter ----------------------------------------------------------------------------

CDsRefPointFilter* CDsRefPointFilter::sCurrentRefPointFilter = nullptr;
long CDsRefPointFilter::sRefPointMaskArg = 0;

CDsRefPointFilter::CDsRefPointFilter(long mask) : m_mask(mask) {}

CDsRefPointFilter::CDsRefPointFilter(TEntityTest test)
{
    SetEntityFilter(test);
}

CDsRefPointFilter::CDsRefPointFilter(TEntityMaskTest test)
{
    SetEntityFilter(test);
}

CDsRefPointFilter::CDsRefPointFilter(const CDsRefPointFilter& other)
    : m_mask(other.m_mask), m_filter(other.m_filter),
      m_callback(other.m_callback ? new TEntityMaskTest(*other.m_callback) : nullptr)
{
    if (m_filter) m_filter->add();
}

CDsRefPointFilter::~CDsRefPointFilter()
{
    delete m_callback;
    if (m_filter) m_filter->lose();
    if (sCurrentRefPointFilter == this) sCurrentRefPointFilter = nullptr;
}

long CDsRefPointFilter::GetPointMask() const
{
    return m_mask;
}

long CDsRefPointFilter::GetPointMask(const CDsRefPointFilter* filter)
{
    return filter ? filter->m_mask : StGetDefaultMask();
}

void CDsRefPointFilter::HoldFilter(entity_filter* filter)
{
    if (m_filter) m_filter->lose();
    m_filter = filter;
}

void CDsRefPointFilter::SetEntityFilter(TEntityTest test)
{
    HoldFilter(test ? new entity_test_filter(test) : nullptr);
}

void CDsRefPointFilter::SetEntityFilter(TEntityMaskTest test)
{
    delete m_callback;
    m_callback = test ? new TEntityMaskTest(test) : nullptr;
    HoldFilter(new entity_test_filter(&StTestRefPoint));
}

int CDsRefPointFilter::TestEntity(ENTITY* entity, long argument) const
{
    if (m_callback && *m_callback) return (*m_callback)(entity, argument);
    if (m_filter) return m_filter->test(entity);
    return 1;
}

int CDsRefPointFilter::TestRefPoint(const CDsRefPoint& point) const
{
    if (!m_filter) return 1;
    ENTITY* entity = point.GetReferenceEntity();
    if (!entity && m_mask == 0) return 1;
    if (m_callback && *m_callback) return (*m_callback)(entity, CDsRefPoint::sPickType);
    return m_filter->test(entity);
}

int CDsRefPointFilter::operator!=(const CDsRefPointFilter& other) const
{
    if (this == &other) return 0;
    const bool sameCallback = m_callback == other.m_callback ||
                              (m_callback && other.m_callback && *m_callback == *other.m_callback);
    return m_mask == other.m_mask && m_filter == other.m_filter && sameCallback ? 0 : 1;
}

int CDsRefPointFilter::StNotEqual(const CDsRefPointFilter* a, const CDsRefPointFilter* b)
{
    if (!a || !b) return 1;
    return *a != *b;
}

void CDsRefPointFilter::StSetCurrentRefPointFilter(CDsRefPointFilter* filter, long argument)
{
    sCurrentRefPointFilter = filter;
    sRefPointMaskArg = argument;
}

int CDsRefPointFilter::StTestRefPoint(const ENTITY* entity)
{
    const CDsRefPointFilter* filter = sCurrentRefPointFilter;
    if (!filter) return 1;
    if (filter->m_callback && *filter->m_callback)
        return (*filter->m_callback)(const_cast<ENTITY*>(entity), sRefPointMaskArg);
    // The current filter's entity filter may be the one on this test (a callback set to null):
    // a test reached again from inside itself accepts.
    static bool inside = false;
    if (!filter->m_filter || inside) return 1;
    inside = true;
    const int answer = filter->m_filter->test(const_cast<ENTITY*>(entity));
    inside = false;
    return answer;
}
