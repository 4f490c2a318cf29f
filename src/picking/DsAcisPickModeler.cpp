// CDsAcisPick: face and edge picks through the modeler, the displayed entities, the
// reference-point search and region picks of entities.
#include "DsAcisPick.h"

#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemBase.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsGroup.h"
#include "DsItemsHlView.h"
#include "DsItemsMap.h"
#include "DsPickManager.h"
#include "DsPickProccessor.h"
#include "DsPickedFaces.h"
#include "DsRefPoint.h"
#include "DsShownFrame.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "VyrAsExt.h"
#include "VyrBodyExt.h"
#include "VyrCurveExt.h"
#include "VyrEntGroup.h"
#include "VyrEntInstance.h"
#include "VyrPoint.h"
#include "VyrViewTable.h"

#include "SpaEntity.h"
#include "SpaErrors.h"
#include "SpaFilters.h"
#include "SpaRay.h"
#include "SpaTopology.h"
#include "SpaValues.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "pick_ray.h"
#include "rendering_context.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

TDsRefPointHook CDsAcisPick::sPickTpNodeInt = nullptr;
TDsRefPointHook CDsAcisPick::sPickUcsOrgInt = nullptr;
TDsRefPointHook CDsAcisPick::sPickPointClose2Face = nullptr;

namespace {

constexpr int kStart = 256, kCentre = 259, kOrigin = 262, kPointEntity = 263, kClose = 267, kNearFace = 268,
              kFree = 272;
// Below this the view direction counts as lying in a plane.
constexpr double kInPlane = 1e-6;

// Whether `entity` is in `scope` (everything is without one).
bool InScope(const ENTITY_LIST* scope, ENTITY* entity)
{
    return !scope || scope->lookup(entity) >= 0;
}

CDsGlContext* ContextOf(view3d* view)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    return core ? core->GetGlContext() : nullptr;
}

// Begins the event's pick mode unless it is on, and ends what it began on every way out.
struct CPickModeScope {
    explicit CPickModeScope(const CUiPickEvent& event) : m_event(event)
    {
        m_begun = event.view() && !CDsAcisPick::StInPickMode(event);
        if (m_begun) CDsAcisPick::StBeginPickMode(m_event, m_data);
    }
    ~CPickModeScope()
    {
        if (m_begun) CDsAcisPick::StEndPickMode(m_event, m_data);
    }
    CUiPickEvent m_event;
    CDsAcisPickData m_data;
    bool m_begun = false;
};

// Puts a view that is not picking in pick mode around a manager's point, and takes it out again.
struct CManagerPickScope {
    explicit CManagerPickScope(pick_manager* manager) : m_view(manager ? manager->get_view() : nullptr)
    {
        if (!m_view || m_view->get_pick_mode() != 0) {
            m_view = nullptr;
            return;
        }
        int x = 0, y = 0, w = 0, h = 0;
        manager->get_pick_point(x, y);
        get_pick_aperture(w, h);
        m_view->pick_mode(1, x, y, w, h);
    }
    ~CManagerPickScope()
    {
        if (m_view) m_view->pick_mode(0, 0, 0, 0, 0);
    }
    view3d* m_view;
};

int IsDisplayedTest(const ENTITY* entity);

// Whether `group` may give its edges to an edge pick: a wire body is asked whether it may be
// picked (one marked not pickable may not, unless the pick processor lets such items in), as the
// single wire-edge pick asks it through the scene's pickable items.
bool MayGiveEdges(CDsItemsGroup* group, view3d* view)
{
    auto* body = dynamic_cast<CDsItemsBody*>(group);
    return !body || body->FacesCount() > 0 || body->IsPickAvailable(view, false, false);
}

}  // namespace

// --- Aperture -----------------------------------------------------------------------------------

void CDsAcisPick::StGetPickApperture(double& width, double& height)
{
    width = height = 0.0;
    CDsView3dCdc* view = CDsView3dCdc::sCurrentView;
    if (!view) return;
    if (view != CDsGlContext::sCurrentView) CDsView3dCdc::StMakeGlCurrentView(view);
    int w = 0, h = 0;
    ::get_pick_aperture(w, h);
    const double units = view->get_units_per_pixel();
    if (units <= 0.0 || !std::isfinite(units)) return;
    width = w == 0 ? 0.0 : w / units;
    height = h == 0 ? 0.0 : h / units;
}

// --- Faces --------------------------------------------------------------------------------------

int CDsAcisPick::StPickFaces(const CUiPickEvent& event, const CDsTypeMask& mask, ENTITY_LIST* bodies,
                             CDsPickedFaces& faces)
{
    CDsGlContext* context = ContextOf(event.view());
    if (!context || !context->GetPickProccessor()) return StPickFacesByRay(event, mask, bodies, faces);
    CDsPickedFaces found;
    context->GetPickProccessor()->OpenGLSortFaces(event, found);
    int added = 0;
    for (const auto& entry : found.GetFaces()) {
        if (bodies) {
            ENTITY* body = entry.second;
            while (body && body->owner()) body = body->owner();
            if (bodies->lookup(body) < 0) continue;
        }
        faces.AddFace(entry.first, entry.second);
        ++added;
    }
    return added;
}

int CDsAcisPick::StPickFacesByRay(const CUiPickEvent& event, const CDsTypeMask&, ENTITY_LIST* bodies,
                                  CDsPickedFaces& faces)
{
    if (!event.view()) return 0;
    ENTITY_LIST all;
    if (!bodies) StGetBodies(event, all);
    const ENTITY_LIST& candidates = bodies ? *bodies : all;
    const pick_ray pick = get_pick_ray(event);
    if (!pick.valid()) return 0;
    ENTITY_LIST picked;
    if (!api_gi_pick_faces(pick, candidates, picked).ok()) return 0;
    int hits = 0;
    for (int i = 0; i < picked.count(); ++i) {
        auto* face = dynamic_cast<FACE*>(picked[i]);
        if (!face) continue;
        SPAposition root = pick.root_point();
        SPAunit_vector direction = pick.direction();
        if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(face)) {
            const SPAtransf inverse = transform->inverse();
            root *= inverse;
            direction *= inverse;
        }
        std::unique_ptr<hit> found(raytest_face(ray(root, direction, 100 * SPAresabs, 1), face));
        if (!found) continue;
        faces.AddFace(found->ray_param(), face);
        ++hits;
    }
    return hits;
}

FACE* CDsAcisPick::FindNearestFace(const CUiPickEvent& event, const CDsTypeMask& mask, ENTITY_LIST* bodies, int farthest)
{
    CDsPickedFaces faces;
    if (StPickFaces(event, mask, bodies, faces) <= 0 || faces.GetFaces().empty()) return nullptr;
    return farthest ? faces.GetFaces().rbegin()->second : faces.GetFaces().begin()->second;
}

// --- Edges --------------------------------------------------------------------------------------

int CDsAcisPick::StPickEdges(const CUiPickEvent& event, const ENTITY_LIST& candidates, ENTITY_LIST& edges, double*& depths)
{
    depths = nullptr;
    view3d* view = event.view();
    if (!view) return 0;
    const pick_ray pick = get_pick_ray(event);
    int w = 0, h = 0;
    ::get_pick_aperture(w, h);
    const double radius = std::sqrt(double(w) * w + double(h) * h) * view->get_units_per_pixel() * 0.5;
    ENTITY_LIST hits;
    double* params = nullptr;
    API_BEGIN
        result = api_ray_test_ents(pick.root_point(), pick.direction(), radius, 0, candidates, hits, params);
    API_END
    if (!result.ok() || !params) {
        delete[] params;
        return 0;
    }
    std::vector<std::pair<double, ENTITY*>> found;
    for (int i = 0; i < hits.count(); ++i) {
        if (is_EDGE(hits[i])) {
            found.emplace_back(params[i], hits[i]);
        } else if (auto* vertex = dynamic_cast<VERTEX*>(hits[i])) {
            for (int e = 0; e < vertex->count_edges(); ++e) found.emplace_back(params[i], vertex->edge(e));
        }
    }
    delete[] params;
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<double> kept;
    for (const auto& entry : found)
        if (edges.lookup(entry.second) < 0) {
            edges.add(entry.second);
            kept.push_back(entry.first);
        }
    if (kept.empty()) return 0;
    depths = new double[kept.size()];
    std::copy(kept.begin(), kept.end(), depths);
    return static_cast<int>(kept.size());
}

int CDsAcisPick::StPickEdges(pick_manager* manager, ENTITY_LIST& edges, ENTITY_LIST* scope)
{
    if (!manager || !manager->get_pick_event() || !manager->get_view()) return 0;
    const CUiPickEvent event(*manager->get_pick_event());
    CManagerPickScope mode(manager);
    if (manager->get_pick_method() == pick_method_region) {
        StPickEdgesInRegion(event, edges, scope, manager);
        return edges.count();
    }
    ENTITY_LIST collected;
    StPickEdgesInRegion(event, collected, scope, manager);
    StSortEdges(event, collected, edges, nullptr);
    return edges.count();
}

void CDsAcisPick::StSortEdges(const CUiPickEvent& event, const ENTITY_LIST& in, ENTITY_LIST& out, CDsRefPointFilter* filter)
{
    const pick_ray pick = get_pick_ray(event);
    std::vector<std::pair<double, ENTITY*>> keyed;
    for (int i = 0; i < in.count(); ++i) {
        ENTITY* entity = in[i];
        if (!entity) continue;
        if (filter && !filter->TestEntity(entity, filter->GetPointMask())) continue;
        double key = -1e10;
        if (std::unique_ptr<CGmPosition> p{StPickEdgePosition(event, entity)})
            key = (*p - pick.root_point()) % pick.direction();
        keyed.emplace_back(key, entity);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : keyed) out.add(entry.second);
    if (!keyed.empty())
        if (CDsGlContext* context = ContextOf(event.view()))
            if (CDsPickProccessor* processor = context->GetPickProccessor())
                processor->GetPickInfoStorage().SetLowLevelPickedEntity(keyed.front().second);
}

int CDsAcisPick::StPickEdgesInRegion(const CUiPickEvent& event, ENTITY_LIST& out, ENTITY_LIST* scope, pick_manager* manager)
{
    view3d* view = event.view() ? event.view() : CDsView3dCdc::sCurrentView;
    CDsGlContext* context = ContextOf(view);
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    if (!scene) return out.count();
    for (CDsGlScene::ERootGroup root : {CDsGlScene::eRootWireBodies, CDsGlScene::eRootBodies, CDsGlScene::eRootCopies}) {
        CDsItemsGroup* groups = scene->GetRootGroup(root);
        for (int i = 0; groups && i < groups->Count(); ++i) {
            auto* group = dynamic_cast<CDsItemsGroup*>(groups->Get(i));
            StPickEdges(group, view, out, scope);
        }
    }
    // Loose edge items filed outside the bodies.
    CDsItemsGroup* loose = scene->GetRootGroup(CDsGlScene::eRootUnsorted);
    for (int i = 0; loose && i < loose->Count(); ++i) {
        auto* edge = dynamic_cast<CDsItemEdge*>(loose->Get(i));
        if (!edge || edge->IsHidden() || !edge->GetEntity() || !InScope(scope, edge->GetEntity())) continue;
        if (manager && !manager->test_entity(edge->GetEntity())) continue;
        if (manager ? edge->Pick(manager) : edge->Pick(view)) out.add(edge->GetEntity());
    }
    return out.count();
}

int CDsAcisPick::StPickEdgesInRegion(const CUiPickEvent& event, const ENTITY_LIST& entities, ENTITY_LIST& out)
{
    view3d* view = event.view() ? event.view() : CDsView3dCdc::sCurrentView;
    CDsGlContext* context = ContextOf(view);
    if (!context) return out.count();
    for (int i = 0; i < entities.count(); ++i) {
        CDsItemBase* item = entities[i] ? context->FindDsItem(entities[i]) : nullptr;
        if (auto* group = dynamic_cast<CDsItemsGroup*>(item)) {
            StPickEdges(group, view, out, nullptr);
        } else if (auto* edge = dynamic_cast<CDsItemEdge*>(item)) {
            if (!edge->IsHidden() && edge->Pick(view)) out.add(edge->GetEntity());
        }
    }
    return out.count();
}

int CDsAcisPick::StPickEdges(CDsItemsGroup* group, view3d* view, ENTITY_LIST& out, ENTITY_LIST* scope)
{
    if (!group || group->IsHidden() || !MayGiveEdges(group, view)) return 0;
    ENTITY_LIST picked, own;
    group->PickEdges(view, picked, nullptr);
    // A copy picks the copied body's edges and answers with its own copies of them.
    const bool copy = dynamic_cast<CDsItemsCopy*>(group) != nullptr;
    if (copy) CVyrAsExt::GetCopyEdges(group->GetEntity(), picked, own);
    const ENTITY_LIST& edges = copy ? own : picked;
    const int before = out.count();
    for (int e = 0; e < edges.count(); ++e)
        if (InScope(scope, edges[e])) out.add(edges[e]);
    return out.count() - before;
}

CGmPosition* CDsAcisPick::StPickEdgePosition(const CUiPickEvent& event, ENTITY* entity)
{
    CDsGlContext* context = ContextOf(event.view());
    CDsItemBase* item = context && entity ? context->FindDsItem(entity, CDsGlContext::eDsSearchRealEntity) : nullptr;
    if (!item) return nullptr;
    int count = 0;
    std::unique_ptr<CGmPosition[]> positions(item->GetTransformedPolyline(count, event.view()));
    if (!positions || count < 2) return nullptr;
    return CDsRefPoint::LookForClosePosition(count, positions.get(), event.view(), event);
}

CGmPosition* CDsAcisPick::StPickEdgePosition(const CUiPickEvent& event, const float* points, int count,
                                             const SPAtransf* transform, double& distance)
{
    if (!points || count < 2 || !event.view()) return nullptr;
    std::unique_ptr<CGmPosition[]> positions(new CGmPosition[static_cast<size_t>(count)]);
    for (int i = 0; i < count; ++i) {
        SPAposition p(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
        if (transform) p *= *transform;
        positions[i] = CGmPosition(p);
    }
    CGmPosition* found = CDsRefPoint::LookForClosePosition(count, positions.get(), event.view(), event);
    if (found) {
        float x = 0, y = 0;
        CDsGeometryComputer::GetInstance()->ProjectPositionOnView(*found, event.view(), x, y, nullptr, true);
        distance = std::hypot(x - event.x(), y - event.y());
    }
    return found;
}

int CDsAcisPick::StEvalEdgePosition(const CUiPickEvent& event, EDGE*, double t, SPAposition& p)
{
    const pick_ray pick = get_pick_ray(event);
    p = pick.point_at(t);
    return 1;
}

CDsRefPoint* CDsAcisPick::StComputeEdgePosition(const CUiPickEvent& event, EDGE* edge)
{
    if (!edge) return nullptr;
    auto* point = new CDsRefPoint(edge);
    if (CDsGlContext* context = ContextOf(event.view()))
        if (CDsItemsMap* map = context->GetItemsMap()) point->SetItemEdge(dynamic_cast<CDsItemEdge*>(map->Find(edge)));
    point->PickRefClosePoint(event, false);
    return point;
}

CDsRefPoint* CDsAcisPick::StComputePickPosition(const CUiPickEvent&)
{
    return nullptr;
}

bool CDsAcisPick::StPickClosestDisplayCurve(const CUiPickEvent&)
{
    return false;
}

bool CDsAcisPick::GetCloseParameterByPick(const CUiPickEvent& event, ENTITY* entity, double& param)
{
    CDsGlContext* context = ContextOf(event.view());
    CDsItemBase* item = context && entity ? context->FindDsItem(entity) : nullptr;
    if (!item) return false;
    int count = 0;
    std::unique_ptr<float[]> points(item->GetPoints(count, event.view()));
    if (!points || count < 2) return false;
    SPAtransf transform;
    if (auto* copy = dynamic_cast<CDsItemsCopy*>(item)) transform = copy->GetTransformation();
    else if (item->GetParent() && item->GetParent()->GetParent()) transform = item->GetParent()->GetParent()->GetTransformation();
    double distance = 0.0;
    std::unique_ptr<CGmPosition> found(StPickEdgePosition(event, points.get(), count, &transform, distance));
    if (!found) return false;
    bool set = false;
    API_BEGIN
        ENTITY* edge = is_CVyrViewTableBase(entity) ? NSGeomEngine::GetEdgeFromReferenceEntity(entity) : entity;
        set = CVyrCurveExt::ClosestPointParam1(edge, *found, param);
    API_END
    return result.ok() && set;
}

// --- Entities and bodies ------------------------------------------------------------------------

namespace {

int IsDisplayedTest(const ENTITY* entity)
{
    return CDsAcisPick::StIsDisplayedForFilter(entity);
}

}  // namespace

int CDsAcisPick::StIsDisplayedForFilter(const ENTITY* entity)
{
    return StIsDisplayed(entity);
}

int CDsAcisPick::StIsDisplayed(const ENTITY* entity)
{
    CDsGlContext* context = ContextOf(CDsView3dCdc::sCurrentView);
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    if (!map || !entity) return 0;
    CDsItemBase* item = map->Find(const_cast<ENTITY*>(entity));
    return item && !item->IsHidden() ? 1 : 0;
}

void CDsAcisPick::StGetEntities(rendering_context* context, ENTITY_LIST& entities)
{
    if (!context) return;
    if (!dynamic_cast<CDsGlContext*>(context)) {
        context->get_entities(entities, nullptr, true);
        return;
    }
    auto* toplevel = new entity_test_filter(&is_toplevel);
    auto* displayed = new entity_test_filter(&IsDisplayedTest);
    auto* both = new entity_and_filter(toplevel, displayed);
    toplevel->lose();
    displayed->lose();
    context->get_entities(entities, both, true);
    both->lose();
}

void CDsAcisPick::GetEntities(const CUiPickEvent& event, ENTITY_LIST& entities)
{
    if (event.view()) StGetEntities(event.view()->get_rendering_context(), entities);
}

void CDsAcisPick::StGetBodies(const CUiPickEvent& event, ENTITY_LIST& bodies)
{
    ENTITY_LIST entities;
    GetEntities(event, entities);
    for (int i = 0; i < entities.count(); ++i) {
        if (auto* instance = dynamic_cast<CVyrEntInstance*>(entities[i])) instance->GetEntities(bodies);
        else if (is_BODY(entities[i])) bodies.add(entities[i]);
    }
}

void CDsAcisPick::StGetTransformedEntities(rendering_context* context, TRANSFORM* transform, ENTITY_LIST& entities)
{
    if (!context || !transform) return;
    ENTITY_LIST displayed;
    StGetEntities(context, displayed);
    CDsGlContext::StEntitiesMovedBy(transform, displayed, true, entities);
}

void CDsAcisPick::TransformPoints(float* points, int count, const SPAtransf& transform)
{
    for (int i = 0; points && i < count; ++i) {
        SPAposition p(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
        p *= transform;
        points[3 * i] = static_cast<float>(p.x());
        points[3 * i + 1] = static_cast<float>(p.y());
        points[3 * i + 2] = static_cast<float>(p.z());
    }
}

void CDsAcisPick::StCalculateShiftPositionForActiveUCS(view3d* view, SPAposition& position)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (!core) return;
    CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    SPAposition origin(0, 0, 0);
    core->GetReferenceUcs(axes, origin);
    const SPAvector d = position - origin;
    position = SPAposition(d % axes[0], d % axes[1], d % axes[2]);
}

// --- Reference points ---------------------------------------------------------------------------

CDsRefPoint* CDsAcisPick::StPickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    // One look at what the frame draws serves every point the search tests.
    const CDsShownFrameScope frame(ContextOf(event.view()), event.view());
    if (mask.IsTypeSet(kClose)) return StPickClosePoint(event, mask);
    if (mask.IsTypeSet(kOrigin) && sPickUcsOrgInt)
        if (CDsRefPoint* point = StPickUcsOrgPoint(event, mask)) return point;
    if (mask.IsTypeSet(kNearFace) && sPickPointClose2Face)
        if (CDsRefPoint* point = StPickClose2FacePoint(event, mask)) return point;
    if (mask.IsTypeSet(kPointEntity))
        if (CDsRefPoint* point = StPickVyrPoint(event, mask)) return point;
    for (int kind = kStart; kind <= kCentre; ++kind)
        if (mask.IsTypeSet(kind)) {
            if (CDsRefPoint* point = StPickEdgeRefPoint(event, mask)) return point;
            break;
        }
    if (mask.IsTypeSet(kFree)) return StPickScreenPoint(event);
    return nullptr;
}

namespace {

// A new reference point of `entity` (an edge, or an edge's copy) as the context shows it: the
// item it was picked through and its edge item.
CDsRefPoint* EdgePointOf(ENTITY* entity, CDsGlContext* context)
{
    auto* point = is_EDGE(entity) ? new CDsRefPoint(static_cast<EDGE*>(entity)) : new CDsRefPoint(entity, nullptr);
    if (context) {
        point->SetPickedOwner(context->FindDsItem(entity, CDsGlContext::eDsSearchOwner));
        CDsItemsMap* map = context->GetItemsMap();
        CDsItemBase* item = map ? map->Find(entity) : nullptr;
        if (!item && map) item = map->Find(CVyrAsExt::GetRealEntity(entity));
        point->SetItemEdge(dynamic_cast<CDsItemEdge*>(item));
    }
    return point;
}

}  // namespace

CDsRefPoint* CDsAcisPick::StPickClosePoint(CUiPickEvent& event, const CDsTypeMask&)
{
    CDsGlContext* context = ContextOf(event.view());
    view3d* view = event.view();
    if (!view) return nullptr;
    CDsRefPoint* point = nullptr;
    {
        CDsPickManager manager(pick_method_point, pick_entity_any, 0, nullptr, &event, nullptr,
                               CDsPickManagerCreator::smTypeMask);
        CPickModeScope mode(event);
        const CDsShownFrameScope scope(context, view);
        CDsShownFrame* frame = scope.Get();
        CDsGlScene* scene = context ? context->GetScene() : nullptr;
        const pick_ray ray = get_pick_ray(event);
        int apertureX = 0, apertureY = 0, apertureWidth = 0, apertureHeight = 0;
        view->get_pick_aperture(apertureX, apertureY, apertureWidth, apertureHeight);
        const double reach = 0.5 * std::hypot(apertureWidth, apertureHeight);
        // Of the edges under the cursor, the one whose nearest point the window shows nearest to
        // the viewer, where the frame draws it.
        struct SCandidate {
            ENTITY* entity = nullptr;
            const CDsShownFrame::SPlace* place = nullptr;
            SPAposition at;
            double depth = 0.0;
        } best;
        // A point of an edge's polyline where the frame draws it (placed), when the window shows it.
        const auto placed = [](const CGmPosition& p, const CDsShownFrame::SPlace* place) {
            return place && place->moved ? SPAposition(p) * place->transform : SPAposition(p);
        };
        const CDsShownFrame::SPlace* looking = nullptr;
        const CDsRefPoint::TPointTest shown = [&](const CGmPosition& p) {
            return frame && frame->Shows(placed(p, looking), true);
        };
        const auto consider = [&](ENTITY* entity, const CDsShownFrame::SPlace* place) {
            std::unique_ptr<CDsRefPoint> candidate(EdgePointOf(entity, context));
            looking = place;
            if (!candidate->PickRefClosePoint(event, true, &shown)) return;
            const SPAposition at = placed(CDsRefPoint::sLastPosition, place);
            // Where the edge shows only away from the cursor (its part under it hidden or cut
            // away), the point the window shows nearest is no point under the cursor: it must lie
            // within the pick window's half diagonal of the cursor's pixel.
            double x = 0.0, y = 0.0, along = 0.0;
            if (!view->world_to_drawable(at, x, y, along) ||
                std::hypot(x - (event.x() + 0.5), y - (event.y() + 0.5)) > reach)
                return;
            const double depth = ray.valid() ? (at - ray.root_point()) % ray.direction() : 0.0;
            if (!best.entity || depth < best.depth) best = SCandidate{entity, place, at, depth};
        };
        for (CDsGlScene::ERootGroup root : {CDsGlScene::eRootWireBodies, CDsGlScene::eRootBodies, CDsGlScene::eRootCopies}) {
            CDsItemsGroup* groups = scene ? scene->GetRootGroup(root) : nullptr;
            for (int i = 0; groups && i < groups->Count(); ++i) {
                auto* group = dynamic_cast<CDsItemsGroup*>(groups->Get(i));
                DsForEachShownPlace(group, view, [&](const CDsShownFrame::SPlace* place) {
                    ENTITY_LIST edges;
                    StPickEdges(group, view, edges, nullptr);
                    for (int e = 0; e < edges.count(); ++e)
                        if (edges[e]) consider(edges[e], place);
                    return false;
                });
            }
        }
        // Loose edge items filed outside the bodies, as the context shows them.
        CDsItemsGroup* loose = scene ? scene->GetRootGroup(CDsGlScene::eRootUnsorted) : nullptr;
        if (frame) frame->SetPlace(nullptr);
        for (int i = 0; loose && i < loose->Count(); ++i) {
            auto* edge = dynamic_cast<CDsItemEdge*>(loose->Get(i));
            if (!edge || edge->IsHidden() || !edge->GetEntity() || !manager.test_entity(edge->GetEntity())) continue;
            if (edge->Pick(&manager)) consider(edge->GetEntity(), nullptr);
        }
        if (best.entity) {
            // The chosen point once more, so that the pick information names its segment.
            point = EdgePointOf(best.entity, context);
            if (frame) frame->SetPlace(best.place);
            const bool moved = best.place && best.place->moved;
            if (moved) view->SetModelTransform(best.place->transform);
            looking = best.place;
            point->PickRefClosePoint(event, true, &shown);
            if (moved) view->ClearModelTransform();
            if (frame) frame->SetPlace(nullptr);
            CDsRefPoint::sLastPosition = CGmPosition(best.at);
            CDsRefPoint::sPickType = kClose;
            if (CDsPickProccessor* processor = context ? context->GetPickProccessor() : nullptr)
                processor->GetPickInfoStorage().SetLowLevelPickedEntity(best.entity);
        }
    }
    CDsPickProccessor* processor = context ? context->GetPickProccessor() : nullptr;
    if (point || !processor || !processor->Get(eDsPickStateNoFacePickData)) return point;
    // The segments of the hidden-line views, where the window shows them (in the render modes
    // that draw them, under each view's transformation, not where a face in front hides them): the
    // nearest point of the curves the view draws, not of the entities they were made from, which a
    // placed view shows elsewhere.
    CDsGlScene* scene = context->GetScene();
    CDsItemsGroup* views = scene && CDsGlScene::DrawsHlViews(event.view()) ? scene->GetRootGroup(CDsGlScene::eRootHlViews) : nullptr;
    // What the frame draws: a face in front of a view's line hides it.
    const CDsShownFrameScope shown(views ? context : nullptr, event.view());
    for (int i = 0; views && shown.Get() && i < views->Count(); ++i) {
        auto* view = dynamic_cast<CDsItemsHlView*>(views->Get(i));
        if (!view || view->IsHidden()) continue;
        CDsPickManager manager(pick_method_entity, pick_entity_any, 0, nullptr, &event, nullptr,
                               CDsPickManagerCreator::smTypeMask);
        CPickModeScope mode(event);
        if (!view->PickSegments(&manager, true)) continue;
        if (CDsRefPoint* candidate = view->PickClosePoint(event, shown.Get())) return candidate;
    }
    return nullptr;
}

ENTITY* CDsAcisPick::StPickVyrEntity(CUiPickEvent& event, const CDsTypeMask&)
{
    CDsGlContext* context = ContextOf(event.view());
    if (!context || !context->GetScene()) {
        ENTITY* picked = nullptr;
        if (!event.view() || !api_gi_pick_entity(event, pick_entity_any, picked).ok()) return nullptr;
        return picked;
    }
    CDsPickManager manager(pick_method_entity, pick_entity_any, 0, nullptr, &event, nullptr,
                           CDsPickManagerCreator::smTypeMask);
    CPickModeScope mode(event);
    context->GetScene()->PickEntities(&manager);
    const pick_record* record = manager.get_record(0);
    if (!record) return nullptr;
    return record->get_entity(8) ? record->get_entity(8) : record->get_entity();
}

CDsRefPoint* CDsAcisPick::StPickVyrPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    auto* point = dynamic_cast<CVyrPoint*>(StPickVyrEntity(event, mask));
    return point ? new CDsRefPoint(point) : nullptr;
}

CDsRefPoint* CDsAcisPick::StPickEdgeRefPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    CDsGlContext* context = ContextOf(event.view());
    if (!context || !context->GetPickProccessor()) return nullptr;
    CPickModeScope mode(event);
    return context->GetPickProccessor()->PickRefPoint(event, mask);
}

CDsRefPoint* CDsAcisPick::StPickScreenPoint(CUiPickEvent& event)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(event.view());
    if (!view) return nullptr;
    CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    SPAposition origin(0, 0, 0);
    view->GetReferenceUcs(axes, origin);
    const SPAunit_vector direction = view->get_direction();
    SPAunit_vector normal = normalise(axes[0] * axes[1]);
    if (std::fabs(normal % direction) < kInPlane) normal = normalise(axes[1] * axes[2]);
    if (std::fabs(normal % direction) < kInPlane) normal = normalise(axes[2] * axes[0]);
    CUiPickEvent mapped(event);
    mapped.SetWorkPlane(origin, normal);
    return new CDsRefPoint(CGmPosition(mapped.GetMappedPosition(true)));
}

CDsRefPoint* CDsAcisPick::StPickSectionRefPoint(CUiPickEvent& event)
{
    if (ContextOf(event.view())) CPickModeScope mode(event);
    return nullptr;
}

CDsRefPoint* CDsAcisPick::StPickTpNodePoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    return sPickTpNodeInt ? sPickTpNodeInt(event, mask) : nullptr;
}

CDsRefPoint* CDsAcisPick::StPickUcsOrgPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    return sPickUcsOrgInt ? sPickUcsOrgInt(event, mask) : nullptr;
}

CDsRefPoint* CDsAcisPick::StPickClose2FacePoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    return sPickPointClose2Face ? sPickPointClose2Face(event, mask) : nullptr;
}

// --- Regions ------------------------------------------------------------------------------------

void CDsAcisPick::PickInRegion(const CUiPickEvent& first, const CUiPickEvent& second, const CDsTypeMask&,
                               ENTITY_LIST& out, ENTITY_LIST*)
{
    if (!first.view() || first.view() != second.view() || first.x() == second.x() || first.y() == second.y()) return;
    CDsPickManager manager(pick_method_region, 0, nullptr, &first, &second, CDsPickManagerCreator::smTypeMask);
    const bool saved = CDsPickProccessor::sPickInRegionMode;
    CDsPickProccessor::sPickInRegionMode = true;
    const int hits = manager.do_pick();
    CDsPickProccessor::sPickInRegionMode = saved;
    for (int i = 0; hits > 0 && i < manager.get_record_count(); ++i)
        if (ENTITY* entity = manager.get_record(i)->get_entity(0)) out.add(entity);
}
