#include "DsPickProccessor.h"

#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlStateCache.h"
#include "DsPickRay.h"
#include "DsPickWalks.h"
#include "DsSinglePickFunctor.h"
#include "VisibleOnlyFunctor.h"
#include "DsView3dCdc.h"

#include "DsGeometry.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "VyrUiToolContext.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

bool CDsPickProccessor::sPickInRegionMode = false;

CDsPickInfoStorage& CDsPickInfoStorage::operator=(const CDsPickInfoStorage& other)
{
    CopyObject(other);
    return *this;
}

void CDsPickInfoStorage::CopyObject(const CDsPickInfoStorage& other)
{
    m_item = other.m_item;
    m_index = other.m_index;
    m_type = other.m_type;
    m_entity = other.m_entity;
}

int CDsPickInfoStorage::FindPickedPrimitiveIndex(const CDsItemBase* item) const
{
    for (const auto& entry : m_indexes)
        if (entry.first == item) return entry.second;
    return 0;
}

CDsPickProccessor::CDsPickProccessor(CDsGlContext* owner) : m_owner(owner), m_states(eDsPickStateCount, false)
{
    m_states[eDsPickStateGroupComponent] = true;
}

void CDsPickProccessor::Set(EDsPickProccessorStates state, bool on)
{
    if (state < 0 || state >= eDsPickStateCount) return;
    m_states[static_cast<size_t>(state)] = on;
}

bool CDsPickProccessor::Get(EDsPickProccessorStates state) const
{
    if (state < 0 || state >= eDsPickStateCount) return false;
    return m_states[static_cast<size_t>(state)];
}

// === The single pick ==============================================================================

namespace {

// Depths closer than this (the single-precision 1e-5) are one tie.
const double kDepthTolerance = static_cast<double>(1e-5f);
// The free point's object type, and the kinds of result a pick gives.
constexpr int kFreePointObjectType = 61;
constexpr eVyrParamPointType kFreePointType = eDsPickPtWorkingPlane;
constexpr int kPickedPrimitiveDefault = 1;
// IndexOfTypeMaskInDomain's answer for no mask.
constexpr unsigned int kNoMask = 0xFFFFFFFFu;
// Below this the view direction counts as lying in a plane.
constexpr double kInPlane = 1e-6;

// Opens the pick window in its constructor and closes it in its destructor, on every way out.
class CPickWindow {
public:
    CPickWindow(std::function<void()> close) : m_close(std::move(close)) {}
    ~CPickWindow() { m_close(); }
    CPickWindow(const CPickWindow&) = delete;
    CPickWindow& operator=(const CPickWindow&) = delete;

private:
    std::function<void()> m_close;
};

// Point kinds: the requested kind bit of each mask type, in the order the point choice tries them.
struct SPointKind {
    int type;  // reference-point type of the mask
    long bit;  // kind bit
};
constexpr SPointKind kRequestedKinds[] = {{256, 0x1},     {257, 0x2},     {258, 0x4},     {259, 0x8},
                                          {260, 0x1000},  {261, 0x200000}, {262, 0x2000}, {264, 0x40000},
                                          {265, 0x80000}, {266, 0x100000}, {263, 0x200}};
constexpr long kKindPriority[] = {0x1,    0x2,     0x4,     0x8,      0x200,    0x1000, 0x200000,
                                  0x2000, 0x40000, 0x80000, 0x100000, 0x10,     0x8000};

// The reference-point type of a kind bit.
eVyrParamPointType PointTypeOfKind(long kind)
{
    switch (kind) {
    case 0x1: return 256;
    case 0x2: return 257;
    case 0x4: return 258;
    case 0x8: return 259;
    case 0x10: return 267;
    case 0x20: return 272;
    case 0x40: return 269;
    case 0x80: return 270;
    case 0x100: return 271;
    case 0x200: return 263;
    case 0x400: return 273;
    case 0x800: return 274;
    case 0x1000: return 260;
    case 0x2000: return 262;
    case 0x8000: return 268;
    case 0x40000: return 264;
    case 0x80000: return 265;
    case 0x100000: return 266;
    case 0x200000: return 261;
    default: return -1;
    }
}

// The code GetPoint takes for a kind bit.
int PointCodeOfKind(long kind)
{
    switch (kind) {
    case 0x1: return 1;
    case 0x2: return 2;
    case 0x4: return 4;
    case 0x8: return 8;
    case 0x1000: return 1;
    case 0x200000: return 2;
    case 0x40000: return 64;
    case 0x80000: return 128;
    case 0x100000: return 256;
    default: return 32;
    }
}

// Whether `a`'s ids begin `b`'s (same part; equal paths count).
bool IsPathPrefix(const CVyrObjectPath& a, const CVyrObjectPath& b)
{
    return a.IsPrefixOf(b);
}

// The order key of rule 6 between two paths: a proper prefix first, except between two paths of
// depth 0, where the longer comes first (a path below another is never of depth 0 while the other
// is not, so the key agrees with the pairwise rule).
int PathOrderKey(const CVyrObjectPath& path)
{
    return path.GetDepth() == 0 ? -path.GetSize() : path.GetSize();
}

}  // namespace

CDsPickTestFunc::~CDsPickTestFunc() = default;

void CDsPickProccessor::StartPickPipeline(const CDsPickContext& context)
{
    view3d* view = context.m_event ? context.m_event->view() : nullptr;
    if (!view) return;
    const int x1 = context.m_event->x(), y1 = context.m_event->y();
    if (!context.m_secondCorner) {
        view->pick_mode(1, x1, y1, 5, 5);
        return;
    }
    const int x2 = context.m_secondCorner[0], y2 = context.m_secondCorner[1];
    view->pick_mode(1, (x1 + x2) / 2, (y1 + y2) / 2, std::abs(x1 - x2), std::abs(y1 - y2));
}

void CDsPickProccessor::EndPickPipeline(const CDsPickContext& context)
{
    if (view3d* view = context.m_event ? context.m_event->view() : nullptr) view->pick_mode(0, 0, 0, 0, 0);
}

namespace {

// One single pick's choice among its candidates.
class CSinglePickChoice {
public:
    CSinglePickChoice(const CDsPickContext& context, CDsView3dCdc* view, std::vector<CDsPickHit>& hits,
                      const pick_ray& ray)
        : m_context(context), m_view(view), m_hits(hits), m_ray(ray), m_domain(*context.m_domain),
          m_renderMode(view->GetRenderMode())
    {
    }

    // The candidate order: layers settled, then a stable sort (see the header comment).
    void Order();
    // The choice over the ordered candidates; true when it chose.
    bool Choose(CDsPickedItem& result);
    // The free point on the working plane; true when the view gives one.
    bool FreePoint(CDsPickedItem& result) const;
    // Adds the acceptable candidates but the chosen one to `list`.
    void AddCandidates(const CDsPickedItem& result, CDsPickedItemList& list) const;

private:
    int Transparency(const CDsPickHit& hit) const;
    bool Opaque(const CDsPickHit& hit) const { return static_cast<double>(Transparency(hit)) >= kDsPickOpaqueTransparency; }
    bool Solid(const CDsPickHit& hit) const;
    bool Listed(const CDsPickHit& hit) const;
    bool TestAccepts(const CDsPickHit& hit, eVyrParamPointType pointType) const
    {
        return !m_context.m_test || m_context.m_test->Test(hit.path, hit.geometry, static_cast<eVyrObjectType>(hit.type),
                                                           pointType);
    }
    bool ConnectedRule(const CDsPickHit& a, const CDsPickHit& b) const;
    // Candidates the pick window caught beside the ray that lie no nearer to the viewer than the
    // plane of the face the ray meets first stand at that face's depth.
    void SeatBesideTheShownFace();
    bool SurfaceRayTest(const CDsPickHit& c, const CDsPickHit& s) const;
    bool PointChoice(const std::vector<int>& group, const std::vector<int>& states, const CDsTypeMask& mask,
                     CDsPickedItem& result) const;

    const CDsPickContext& m_context;
    CDsView3dCdc* m_view;
    std::vector<CDsPickHit>& m_hits;
    const pick_ray& m_ray;
    const std::vector<CDsTypeMask>& m_domain;
    int m_renderMode;
    std::vector<int> m_order;  // indices of m_hits in candidate order
};

int CSinglePickChoice::Transparency(const CDsPickHit& hit) const
{
    if (!hit.IsFaceHit()) return 255;
    return DsPickFaceTransparency(m_renderMode, hit.path.GetPartId(), hit.attributes);
}

bool CSinglePickChoice::Solid(const CDsPickHit& hit) const
{
    // By the transparency the frame draws a face with: a see-through face, or one the line modes do
    // not draw, comes after every solid hit, whether the domain accepts it or not. The line modes
    // draw faces only where figures fill them: one beside the cursor's ray gives way to the lines
    // the pick window shows.
    if (!hit.IsFaceHit()) return true;
    const bool lineMode = m_renderMode == eRenderWireframe || m_renderMode == eRenderPartialHiddenLines;
    if (lineMode && !hit.onRay) return false;
    return DsPickFaceSolid(m_renderMode, hit.path.GetPartId(), hit.attributes);
}

bool CSinglePickChoice::Listed(const CDsPickHit& hit) const
{
    const CDsPickedItemList* listed = m_context.m_listedItems;
    if (!listed || listed->GetSize() == 0) return false;
    const CDsPickedItem candidate(hit.path, hit.geometry, static_cast<eVyrObjectType>(hit.type), -1);
    for (const CDsPickedItem* item : listed->GetItems())
        if (item && *item == candidate) return true;
    return false;
}

bool CSinglePickChoice::SurfaceRayTest(const CDsPickHit& c, const CDsPickHit& s) const
{
    if (s.hitKind != CDsPickHit::eKindFace || !s.geometry || !m_ray.valid()) return false;
    auto* geometry = const_cast<CDsGeometry*>(s.geometry);
    if (!(geometry->GetDrawPrimitives(0) & CDsGeometry::eDpSilhouetteLevelMask)) return false;
    std::vector<SDsRayIntersection> records;
    const pick_ray ray(c.hitPoint, SPAvector(m_ray.direction().x(), m_ray.direction().y(), m_ray.direction().z()));
    DsRayItemFaces(geometry, s.itemId, s.transform, ray, nullptr, records);
    return records.size() > 1 || (records.size() == 1 && records[0].parameter > kDepthTolerance);
}

bool CSinglePickChoice::ConnectedRule(const CDsPickHit& a, const CDsPickHit& b) const
{
    if (!a.masterVisit || b.masterVisit || !a.geometry || !(a.path == b.path)) return false;
    unsigned count = 0;
    const int* ids = a.geometry->GetConnectedItems(count, a.itemId);
    if (!ids || std::find(ids, ids + count, b.path.GetLastId()) == ids + count) return false;
    return !SurfaceRayTest(a, b);
}

void CSinglePickChoice::SeatBesideTheShownFace()
{
    // The face the window shows under the cursor: the nearest solid one the pixel's ray meets (a
    // see-through face shows what lies behind it).
    const CDsPickHit* shown = nullptr;
    for (const CDsPickHit& hit : m_hits)
        if (hit.onRay && hit.IsFaceHit() && hit.HasPoint() && Solid(hit) && (!shown || hit.depth < shown->depth))
            shown = &hit;
    if (!shown) return;
    const SPAvector& n = shown->normal;
    const double length = n.len();
    if (!(length > 0.0) || !std::isfinite(length)) return;
    // The side of the face's plane towards the viewer.
    SPAvector towardsViewer = m_view->is_perspective() ? m_view->get_eye() - shown->hitPoint
                                                       : -SPAvector(m_view->get_direction().x(), m_view->get_direction().y(),
                                                                    m_view->get_direction().z());
    SPAvector up = n / length;
    if (up % towardsViewer < 0.0) up = -up;
    // In front of the plane by more than a twentieth of a pixel and than the rounding of float
    // corners at the point's size.
    const SPAposition& at = shown->hitPoint;
    const double size = std::max({1.0, std::fabs(at.x()), std::fabs(at.y()), std::fabs(at.z())});
    const double tolerance = std::max(0.05 * m_view->get_units_per_pixel(), 1e-6 * size);
    const double depth = shown->depth;
    const short layer = shown->depthLayer;
    for (CDsPickHit& hit : m_hits) {
        if (hit.onRay || !hit.HasPoint() || hit.depthLayer != layer || !(hit.depth < depth)) continue;
        // Caught by the pick window beside the ray, nearer along it, but not in front of the face the
        // pixel shows (a neighbour flush with it, an outline on its plane): the window shows that
        // face here, and the candidate stands at its depth, where the face wins the tie.
        if ((hit.hitPoint - at) % up <= tolerance) hit.depth = depth;
    }
}

void CSinglePickChoice::Order()
{
    const int n = static_cast<int>(m_hits.size());
    // Rule 1 first: the depth layers it rewrites are settled before anything is compared.
    std::vector<std::pair<int, int>> firsts;  // (a, b): a comes before b
    bool masters = false;
    for (const CDsPickHit& hit : m_hits) masters = masters || hit.masterVisit;
    if (masters)
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b) {
                if (a == b || !ConnectedRule(m_hits[static_cast<size_t>(a)], m_hits[static_cast<size_t>(b)])) continue;
                CDsPickHit& later = m_hits[static_cast<size_t>(b)];
                later.depthLayer = static_cast<short>(m_hits[static_cast<size_t>(a)].hitKind == CDsPickHit::eKindFace
                                                          ? eDsDepthLayerFull
                                                          : DsGetDepthLayerForState(later.locationState, m_renderMode, false));
                firsts.emplace_back(a, b);
            }
    SeatBesideTheShownFace();
    std::vector<char> solid(static_cast<size_t>(n)), listed(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        solid[static_cast<size_t>(i)] = Solid(m_hits[static_cast<size_t>(i)]) ? 1 : 0;
        listed[static_cast<size_t>(i)] = Listed(m_hits[static_cast<size_t>(i)]) ? 1 : 0;
    }
    m_order.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) m_order[static_cast<size_t>(i)] = i;
    // Rules 2 to 4: solid first, lower layer first, nearer first.
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const CDsPickHit& ha = m_hits[static_cast<size_t>(a)];
        const CDsPickHit& hb = m_hits[static_cast<size_t>(b)];
        if (solid[static_cast<size_t>(a)] != solid[static_cast<size_t>(b)]) return solid[static_cast<size_t>(a)] > solid[static_cast<size_t>(b)];
        if (ha.depthLayer != hb.depthLayer) return ha.depthLayer < hb.depthLayer;
        return ha.depth < hb.depth;
    });
    // Rules 5 and 6 inside each run of ties (depths within the tolerance of the run's first).
    for (size_t start = 0; start < m_order.size();) {
        const CDsPickHit& first = m_hits[static_cast<size_t>(m_order[start])];
        size_t end = start + 1;
        while (end < m_order.size()) {
            const CDsPickHit& next = m_hits[static_cast<size_t>(m_order[end])];
            if (solid[static_cast<size_t>(m_order[end])] != solid[static_cast<size_t>(m_order[start])] ||
                next.depthLayer != first.depthLayer || !(next.depth - first.depth <= kDepthTolerance))
                break;
            ++end;
        }
        std::stable_sort(m_order.begin() + static_cast<long>(start), m_order.begin() + static_cast<long>(end),
                         [&](int a, int b) {
                             if (listed[static_cast<size_t>(a)] != listed[static_cast<size_t>(b)])
                                 return listed[static_cast<size_t>(a)] > listed[static_cast<size_t>(b)];
                             const bool rayA = m_hits[static_cast<size_t>(a)].onRay;
                             const bool rayB = m_hits[static_cast<size_t>(b)].onRay;
                             if (rayA != rayB) return rayA;
                             return PathOrderKey(m_hits[static_cast<size_t>(a)].path) <
                                    PathOrderKey(m_hits[static_cast<size_t>(b)].path);
                         });
        start = end;
    }
    // Rule 1's order last: a candidate it puts first goes just in front of the other.
    for (const auto& pair : firsts) {
        auto a = std::find(m_order.begin(), m_order.end(), pair.first);
        auto b = std::find(m_order.begin(), m_order.end(), pair.second);
        if (a < b) continue;
        const int moved = *a;
        m_order.erase(a);
        m_order.insert(std::find(m_order.begin(), m_order.end(), pair.second), moved);
    }
}

bool CSinglePickChoice::PointChoice(const std::vector<int>& group, const std::vector<int>& states,
                                    const CDsTypeMask& mask, CDsPickedItem& result) const
{
    for (size_t g = 0; g < group.size(); ++g) {
        const CDsPickHit& hit = m_hits[static_cast<size_t>(group[g])];
        if (!mask.IsTypeSet(hit.type) || !hit.geometry) continue;
        auto* geometry = const_cast<CDsGeometry*>(hit.geometry);
        long requested = 0;
        for (const SPointKind& kind : kRequestedKinds)
            if (mask.IsTypeSet(kind.type) && TestAccepts(hit, kind.type)) requested |= kind.bit;
        long found = 0;
        if (requested) {
            const CDsPickModelTransformScope placed(*m_view, hit.transform);
            found = geometry->DrawPoints(*m_view, requested, hit.itemId);
        }
        if (mask.IsTypeSet(eDsPickPtCloseOnEdge) && TestAccepts(hit, eDsPickPtCloseOnEdge)) found |= 0x10;
        if (mask.IsTypeSet(eDsPickPtFaceCenter) && TestAccepts(hit, eDsPickPtFaceCenter)) found |= 0x8000;

        // The point of a kind; false when the geometry has none.
        auto pointOf = [&](long kind, SPAposition& point) {
            if (kind == 0x10 || kind == 0x8000) {
                point = hit.hitPoint;
                return true;
            }
            SPAposition p(1e11, 1e11, 1e11);
            if (!geometry->GetPoint(static_cast<CDsGeometry::eParameterPoints>(PointCodeOfKind(kind)), p, hit.itemId))
                return false;
            point = hit.transform.TransformPoint(p);
            return true;
        };
        long chosen = 0;
        SPAposition point;
        if (found) {
            for (long kind : kKindPriority)
                if ((found & kind) && pointOf(kind, point)) {
                    chosen = kind;
                    break;
                }
        } else if (requested && states[g] == 2) {
            double best = 0.0;
            for (long kind : kKindPriority) {
                SPAposition p;
                if (!(requested & kind) || !pointOf(kind, p)) continue;
                const double d = (p - hit.hitPoint) % (p - hit.hitPoint);
                if (chosen && !(d < best)) continue;
                chosen = kind;
                best = d;
                point = p;
            }
        }
        if (chosen) {
            result = CDsPickedItem(hit.path, point, PointTypeOfKind(chosen));
            return true;
        }
        if (hit.IsFaceHit() && Opaque(hit)) return false;
    }
    return false;
}

bool CSinglePickChoice::FreePoint(CDsPickedItem& result) const
{
    if (!m_view || !m_context.m_event) return false;
    CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    SPAposition origin(0, 0, 0);
    m_view->GetReferenceUcs(axes, origin);
    if (const CVyrUiToolContext* tool = CVyrUiToolContext::StGetCurrent()) {
        const std::vector<int>& ids = tool->GetObjectPathIds();
        const CVyrObjectPath path(ids.data(), static_cast<int>(ids.size()), tool->GetObjectPathDepth(),
                                  tool->GetObjectPathPartId());
        SItemInfo info;
        if (!ids.empty() && CDsPartStorage::instance()->GetPathInfo(path, nullptr, info)) {
            for (CGmUnitVector& axis : axes) axis = CGmUnitVector(info.m_transform.TransformVector(axis));
            origin = info.m_transform.TransformPoint(origin);
        }
    }
    const SPAunit_vector direction = m_view->get_direction();
    SPAunit_vector normal = normalise(axes[0] * axes[1]);
    if (std::fabs(normal % direction) < kInPlane) normal = normalise(axes[1] * axes[2]);
    if (std::fabs(normal % direction) < kInPlane) normal = normalise(axes[2] * axes[0]);
    CUiPickEvent event(*m_context.m_event);
    event.SetWorkPlane(origin, normal);
    const SPAposition mapped = event.GetMappedPosition(true);
    CDsGlContext* owner = m_view->GetGlContext();
    if (!owner) return false;
    CDsScene& scene = owner->GetScene()->GetDbScene();
    const int id = scene.NextTempItemId();
    result = CDsPickedItem(CVyrObjectPath(&id, 1, 1, scene.GetTempPartId()), nullptr,
                           static_cast<eVyrObjectType>(kFreePointObjectType), kFreePointType);
    result.SetPickedPosition(mapped);
    result.SetPickedPrimitiveType(kPickedPrimitiveDefault);
    return true;
}

bool CSinglePickChoice::Choose(CDsPickedItem& result)
{
    for (int layer = 0; layer <= eDsDepthLayerFull; ++layer) {
        std::vector<int> group;
        for (int index : m_order)
            if (m_hits[static_cast<size_t>(index)].depthLayer == layer) group.push_back(index);
        if (group.empty()) continue;
        // Settle the states of the layer's candidates.
        std::vector<int> states(group.size(), 0);
        int mode = 0;
        double running = -1.0;
        for (size_t g = 0; g < group.size(); ++g) {
            const CDsPickHit& hit = m_hits[static_cast<size_t>(group[g])];
            // A candidate the window does not show is listed, never chosen.
            const bool passes = !hit.hidden &&
                                (mode == 0 || (mode == 1 && !hit.IsFaceHit()) || hit.depth < running + kDepthTolerance);
            bool refused = false;
            bool accepted = hit.accepted && NSDsTypeMaskHelper::IndexOfTypeMaskInDomain(m_domain, hit.type) != kNoMask;
            if (accepted && m_context.m_test) {
                refused = !TestAccepts(hit, -1);
                accepted = !refused;
            }
            states[g] = passes && accepted ? 1 : 2;
            if (mode != 2 && hit.IsFaceHit()) {
                if (Opaque(hit)) {
                    mode = 2;
                    running = hit.depth;
                } else if (mode == 0 && !refused) {
                    mode = 1;
                    running = hit.depth;
                }
            }
        }
        // The domain's masks in order; the first that produces an item ends the search.
        for (const CDsTypeMask& mask : m_domain) {
            bool produced = false;
            if (NSDsTypeMaskHelper::IsPointInTypeMask(mask)) {
                produced = PointChoice(group, states, mask, result);
                if (!produced && mask.IsTypeSet(eDsPickPtWorkingPlane)) produced = FreePoint(result);
            } else {
                for (size_t g = 0; g < group.size() && !produced; ++g) {
                    const CDsPickHit& hit = m_hits[static_cast<size_t>(group[g])];
                    if (states[g] != 1 || !mask.IsTypeSet(hit.type)) continue;
                    result = CDsPickedItem(hit.path, hit.hitPoint, -1);
                    produced = true;
                }
            }
            if (!produced) continue;
            if (result.GetObjectType() != CDsPickedItem::kNoObjectType) return true;
            break;
        }
    }
    return false;
}

void CSinglePickChoice::AddCandidates(const CDsPickedItem& result, CDsPickedItemList& list) const
{
    std::vector<CDsTypeMask> working(m_domain);
    for (CDsTypeMask& mask : working) mask.ResetType(eDsPickPtOnly, -1);
    const bool resultIsPath = !result.GetFigure() && result.GetPickedPointType() == -1;
    std::vector<int> kept;
    for (int index : m_order) {
        const CDsPickHit& hit = m_hits[static_cast<size_t>(index)];
        if (resultIsPath && result.GetObjectPath() == hit.path) continue;
        if (!hit.accepted || NSDsTypeMaskHelper::IndexOfTypeMaskInDomain(working, hit.type) == kNoMask) continue;
        if (!TestAccepts(hit, -1)) continue;
        kept.push_back(index);
    }
    // Hits below part level first; then, of those at part level, the ones that are prefixes of the
    // hit before them go behind the others.
    std::vector<int> ordered, front, tail;
    for (int index : kept)
        if (m_hits[static_cast<size_t>(index)].path.GetDepth() != 0) ordered.push_back(index);
    int previous = -1;
    for (int index : kept) {
        if (m_hits[static_cast<size_t>(index)].path.GetDepth() != 0) continue;
        if (previous >= 0 && IsPathPrefix(m_hits[static_cast<size_t>(index)].path,
                                          m_hits[static_cast<size_t>(previous)].path))
            tail.push_back(index);
        else
            front.push_back(index);
        previous = index;
    }
    ordered.insert(ordered.end(), front.begin(), front.end());
    ordered.insert(ordered.end(), tail.begin(), tail.end());
    for (int index : ordered) {
        const CDsPickHit& hit = m_hits[static_cast<size_t>(index)];
        auto* item = new CDsPickedItem(hit.path, hit.hitPoint, -1);
        list.Add(item);
        if (list.IsOwner()) delete item;
    }
}

}  // namespace

CDsPickedItem CDsPickProccessor::PickSingle(const CDsPickContext& context, CDsPickedItemList& list)
{
    CDsPickedItem result(CVyrObjectPath(), SPAposition(0, 0, 0), -1);
    auto* view = context.m_event ? dynamic_cast<CDsView3dCdc*>(context.m_event->view()) : nullptr;
    CDsGlContext* owner = context.m_ownerContext;
    if (!view || !view->GetGlContext() || !owner || !owner->GetScene() || !context.m_domain) return result;
    if (!NSDsTypeMaskHelper::IsAnyPickEnable(*context.m_domain)) return result;
    int x0 = 0, y0 = 0, width = 0, height = 0;
    view->get_viewport(x0, y0, width, height);
    const int x = context.m_event->x(), y = context.m_event->y();
    if (x < 0 || y < 0 || x >= width || y >= height) return result;
    // The picked view is the current one: what a leaf answers may follow how the current view
    // draws it (an STL mesh drawn as lines has no faces).
    CDsView3dCdc::StSetCurrent(view, false);
    CDsView3dCdc::StMakeGlCurrentView(view);
    owner->GetScene()->NoteContentEdits(view);

    StartPickPipeline(context);
    const CPickWindow window([&] { EndPickPipeline(context); });
    int px = 0, py = 0, aw = 0, ah = 0;
    view->get_pick_aperture(px, py, aw, ah);
    const int hx = aw / 2 + 1, hy = ah / 2 + 1;
    const int fy = height - 1 - py;  // the row counted up from the viewport's bottom
    auto clamp = [](int v) { return static_cast<short>(std::max(-32768, std::min(32767, v))); };
    SDsPickRect rect;
    rect.left = clamp(x0 + px - hx);
    rect.top = clamp(y0 + fy + hy);
    rect.right = clamp(x0 + px + hx);
    rect.bottom = clamp(y0 + fy - hy);

    const int renderMode = view->GetRenderMode();
    const std::vector<CDsTypeMask> domain(*context.m_domain);
    std::vector<CDsPickHit> hits;
    CDsScene& scene = owner->GetScene()->GetDbScene();
    scene.SetCurrentView(view);
    {
        CDsSinglePickFunctor functor(view, context.m_event, rect, hits, renderMode, domain, context.m_scopePaths,
                                     context.m_anyDepth != 0, context.m_idRanges, context.m_idBound,
                                     context.m_sectionTest != 0, context.m_stopAfterFirst != 0);
        if (owner->GetScene()->HasSection()) functor.SetSections(owner->GetScene());
        DsSinglePickWalk(CDsPartStorage::instance(), &scene, functor);
        CSinglePickChoice choice(context, view, hits, functor.GetRay());
        choice.Order();
        if (!hits.empty()) {
            choice.Choose(result);
        } else if (NSDsTypeMaskHelper::IsTypeCouldBePicked(domain, eDsPickPtWorkingPlane)) {
            choice.FreePoint(result);
        }
        choice.AddCandidates(result, list);
    }
    return result;
}

// === The region pick ==============================================================================

namespace {

// The order of a region pick's list: part id, then the id string (a shorter one before a longer
// one with the same beginning), then the depth (unsigned). Values compared, never as the sign of a
// 32-bit difference, which overflows for the no-part value 0x80000000.
bool RegionOrderLess(const CDsPickedItem* a, const CDsPickedItem* b)
{
    const CVyrObjectPath& pa = a->GetObjectPath();
    const CVyrObjectPath& pb = b->GetObjectPath();
    if (pa.GetPartId() != pb.GetPartId()) return pa.GetPartId() < pb.GetPartId();
    const int n = std::min(pa.GetSize(), pb.GetSize());
    for (int i = 0; i < n; ++i)
        if (pa.GetId(i) != pb.GetId(i)) return pa.GetId(i) < pb.GetId(i);
    if (pa.GetSize() != pb.GetSize()) return pa.GetSize() < pb.GetSize();
    return static_cast<unsigned>(pa.GetDepth()) < static_cast<unsigned>(pb.GetDepth());
}

}  // namespace

int CDsPickProccessor::PickInRegion(const CDsPickContext& context, CDsPickedItemList& list)
{
    auto* view = context.m_event ? dynamic_cast<CDsView3dCdc*>(context.m_event->view()) : nullptr;
    CDsGlContext* owner = context.m_ownerContext;
    if (!view || !view->GetGlContext() || !owner || !owner->GetScene() || !context.m_domain ||
        !context.m_secondCorner)
        return list.GetSize();
    // The picked view is the current one: what a leaf answers may follow how the current view
    // draws it (an STL mesh drawn as lines has no faces).
    CDsView3dCdc::StSetCurrent(view, false);
    CDsView3dCdc::StMakeGlCurrentView(view);
    owner->GetScene()->NoteContentEdits(view);
    CDsScene& scene = owner->GetScene()->GetDbScene();
    scene.SetCurrentView(view);

    StartPickPipeline(context);
    const CPickWindow window([&] { EndPickPipeline(context); });
    const SDsPickRect rect = DsRegionPickRect(context.m_event->x(), context.m_event->y(), context.m_secondCorner[0],
                                              context.m_secondCorner[1], *view);

    // Visible items only: the software z-buffer pass first.
    std::vector<CVyrObjectPath> visible;
    int visibleFlag = 0;
    if (owner->GetPickProccessor() && owner->GetPickProccessor()->GetSelectionMode() == eDsSelectionByBoxVisibleOnly) {
        CVisibleOnlyFunctor pass(view, *context.m_event, context.m_secondCorner, *context.m_domain, context.m_test,
                                 context.m_scopePaths, context.m_anyDepth != 0, context.m_idRanges,
                                 context.m_idBound);
        if (owner->GetScene()->HasSection()) pass.SetSections(owner->GetScene());
        pass.Walk(CDsPartStorage::instance(), &scene);
        pass.CollectVisibleItems(visible);
        visibleFlag = CDsGeometry::eDpFaces;
    }

    std::vector<SDsRegionPickResult> results;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    view->SetupRenderingTransforms(true, true, false, nullptr);
    {
        CDsRegionPickFunctor functor(view, context.m_regionSelector ? eDsRegionParentByHits : eDsRegionParentsNeverByHits,
                                     rect, *context.m_domain, results, context.m_test, context.m_idRanges,
                                     context.m_idBound, context.m_scopePaths, context.m_anyDepth != 0);
        functor.SetSelectionPaths(visibleFlag, &visible);
        if (owner->GetScene()->HasSection()) functor.SetSections(owner->GetScene());
        SDsPickClipPlane plane;
        const SDsPickSection section = DsScenePickSection(owner->GetScene(), plane);
        DsRegionPickDriver(functor, &scene, std::vector<CVyrObjectPath>(), view, &section);
    }

    // Items made here that a list without ownership holds; a duplicate among them is freed here.
    std::vector<const CDsPickedItem*> made;
    for (const SDsRegionPickResult& record : results) {
        auto* item = new CDsPickedItem(record.path, record.geometry, static_cast<eVyrObjectType>(record.type), -1);
        list.Add(item);
        if (list.IsOwner())
            delete item;
        else
            made.push_back(item);
    }
    std::stable_sort(list.begin(), list.end(), RegionOrderLess);
    for (auto it = list.begin(); it != list.end();) {
        auto next = it + 1;
        if (next != list.end() && (*next)->GetObjectPath() == (*it)->GetObjectPath()) {
            const auto offset = it - list.begin();
            CDsPickedItem* removed = *next;
            list.Remove(next);
            if (!list.IsOwner() && std::find(made.begin(), made.end(), removed) != made.end()) delete removed;
            it = list.begin() + offset;
        } else {
            it = next;
        }
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    return list.GetSize();
}
