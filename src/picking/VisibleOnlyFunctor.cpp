#include "VisibleOnlyFunctor.h"

#include "DsGlContext.h"
#include "DsView3dCdc.h"

#include "DsAttributes.h"
#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "GmPosition.h"
#include "pick_event.h"
#include "view3d.h"

#include "DsSceneWalk.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// A triangle keeps its item when it owns more than this share of the pixels it drew.
constexpr double kVisibleShare = 0.05;
// An item counts as opaque from this transparency up (0.75 of 255).
constexpr double kOpaqueTransparency = 191.25;
// Coordinates smaller than this in size are taken as 0.
constexpr double kZeroCoordinate = 1e-8;
// The most polygons one item's vertex lists are asked for.
constexpr int kMaxPolygons = 1 << 24;

short Clamp16(long v)
{
    return static_cast<short>(std::max<long>(SHRT_MIN, std::min<long>(SHRT_MAX, v)));
}

}  // namespace

SDsPickRect DsRegionPickRect(int x1, int y1, int x2, int y2, const view3d& view)
{
    int vx = 0, vy = 0, vw = 0, height = 0;
    view.get_viewport(vx, vy, vw, height);
    const long h = static_cast<long>(height) - 1;
    SDsPickRect rect;
    rect.left = Clamp16(vx + std::min<long>(x1, x2));
    rect.right = Clamp16(vx + std::max<long>(x1, x2));
    rect.top = Clamp16(vy + std::max(h - y1, h - y2));
    rect.bottom = Clamp16(vy + std::min(h - y1, h - y2));
    return rect;
}

CVisibleOnlyFunctor::CVisibleOnlyFunctor(CDsView3dCdc* view, const pick_event& first, const int* secondCorner,
                                         const std::vector<CDsTypeMask>& domain, CDsPickTestFunc* test,
                                         const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth,
                                         const TDsPickIdRanges* idRanges, int idBound)
    : m_view(view), m_test(test)
{
    m_acceptance.SetDomain(domain);
    m_acceptance.scopePaths = scopePaths;
    m_acceptance.anyDepth = anyDepth;
    m_acceptance.idRanges = idRanges;
    m_acceptance.idBound = idBound;
    if (!m_view || !secondCorner) return;
    m_renderMode = m_view->GetRenderMode();
    const int x1 = first.x(), y1 = first.y(), x2 = secondCorner[0], y2 = secondCorner[1];
    m_rect = DsRegionPickRect(x1, y1, x2, y2, *m_view);
    if (!m_projection.SetUp(m_view, x1, y1, x2, y2)) return;
    m_width = m_projection.GetWidth();
    m_height = m_projection.GetHeight();
    m_buffer = std::make_unique<TZBuffer>(m_width, m_height);
    m_buffer->SetDepthParameters(m_projection.GetDepthOffset(), m_projection.GetDepthMargin(),
                                 m_projection.GetDepthScale());
}

CVisibleOnlyFunctor::~CVisibleOnlyFunctor() = default;

void CVisibleOnlyFunctor::Walk(CDsPartStorage* storage, CDsScene* scene)
{
    if (!m_buffer || !storage || !scene) return;
    CDsSceneWalk<CVisibleOnlyFunctor> walk(storage, *this, scene);
    walk.TraverseWholeScene();
}

void CVisibleOnlyFunctor::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&,
                                         const CDsItemVariant* variant)
{
    m_variant = variant;
    if (m_depth < CDsRegionPickFunctor::kLevelIds) m_levelIds[m_depth] = DsPickLevelId(variant);
    PushAttributes(variant, location, scene);
    PushTransform(variant, location, scene);
    ++m_depth;
}

void CVisibleOnlyFunctor::OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*)
{
    PopAttributes();
    PopTransform();
    if (m_depth > 0) --m_depth;
}

bool CVisibleOnlyFunctor::VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (GetTopAttributes().IsHidden()) return false;
    return Visit(location, path, m_variant, parent);
}

bool CVisibleOnlyFunctor::OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                       const CDsItemVariant* variant)
{
    if (GetTopAttributes().IsHidden()) return false;
    Visit(location, path, variant, nullptr);
    return true;
}

bool CVisibleOnlyFunctor::Visit(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                                const CDsItemVariant* parent)
{
    if (!variant || !m_buffer) return false;
    // The box test: a location with a window box must overlap the region (strictly).
    int box[4] = {0, 0, 0, 0};
    if (location && location->HasBoundBox() && !location->Is2dBoundBoxEmpty()) {
        location->Get2dBoundBox(box[0], box[1], box[2], box[3]);
        if (!(box[0] < m_rect.right && box[2] > m_rect.left && box[3] < m_rect.top && box[1] > m_rect.bottom))
            return false;
    }
    int id = 0;
    CDsGeometry* geometry = DsPickGeometryOf(variant, parent, path, id);
    const int category = variant->GetCategory();
    const bool leaf = category == eVyrCatLeaf || category == eVyrCatOpenLeaf;
    if (!geometry) return true;

    if (geometry->GetDrawPrimitives(0) & CDsGeometry::eDpFaces) {
        const int type = variant->GetType() & 0xFF;
        const int level = m_depth - 1;
        bool pickable = m_acceptance.Accepts(type, path,
                                             DsPickIdRangeKey(path, level, m_levelIds, CDsRegionPickFunctor::kLevelIds));
        if (pickable && m_test)
            pickable = m_test->Test(path.ToVyrObjectPath(), geometry, static_cast<eVyrObjectType>(type), -1);
        bool opaque = false;
        if (!pickable) {
            int transparency = 255;
            if (path.GetRootPartId() < 0 || m_renderMode == eRenderMixed)
                transparency = GetTopAttributes().GetTransparency();
            else if (m_renderMode == eRenderWireframe || m_renderMode == eRenderPartialHiddenLines)
                transparency = 0;
            opaque = static_cast<double>(transparency) >= kOpaqueTransparency;
        }
        if (pickable || opaque) {
            int index = 0;
            for (int calls = 0; calls < kMaxPolygons; ++calls) {
                float* vertices = nullptr;
                int count = 0;
                const int next = geometry->GetVertices(CDsGeometry::eDpFaces, index, vertices, count, id);
                if (vertices && (count == 3 || count == 4)) {
                    double p[4][3];
                    for (int v = 0; v < count; ++v)
                        for (int c = 0; c < 3; ++c) {
                            const double value = vertices[3 * v + c];
                            p[v][c] = std::fabs(value) < kZeroCoordinate ? 0.0 : value;
                        }
                    const double first[3][3] = {{p[0][0], p[0][1], p[0][2]},
                                                {p[1][0], p[1][1], p[1][2]},
                                                {p[2][0], p[2][1], p[2][2]}};
                    Rasterise(first, geometry, path, box);
                    if (count == 4) {
                        const double second[3][3] = {{p[1][0], p[1][1], p[1][2]},
                                                     {p[2][0], p[2][1], p[2][2]},
                                                     {p[3][0], p[3][1], p[3][2]}};
                        Rasterise(second, geometry, path, box);
                    }
                }
                if (next == -1) break;
                index = next;
            }
        }
    }
    if (leaf) return true;
    return geometry->ShouldDrawChildren(4);
}

void CVisibleOnlyFunctor::Rasterise(const double (&points)[3][3], const CDsGeometry* geometry,
                                    const CDsObjectPath& path, const int (&box)[4])
{
    const CDsTransform& transform = GetTopTransform();
    SVyrZVertex vertices[3];
    for (int v = 0; v < 3; ++v)
        vertices[v] = m_projection.Map(transform.TransformPoint(SPAposition(points[v][0], points[v][1], points[v][2])));
    auto record = std::make_unique<FaceGeom>();
    record->geometry = geometry;
    record->path = path.ToVyrObjectPath();
    record->transform = transform;
    std::copy(box, box + 4, record->box);
    const SVyrZFillCounts counts = m_buffer->FillTriangle(vertices[0], vertices[1], vertices[2], record.get());
    record->drawn += counts.interiorPixels;
    m_records.push_back(std::move(record));
}

void CVisibleOnlyFunctor::StCountAndCollect(TZBuffer& buffer, std::vector<std::unique_ptr<FaceGeom>>& records,
                                            std::vector<CVyrObjectPath>& paths)
{
    for (const CVyrZBufferData<FaceGeom*>& cell : buffer.GetCells())
        if (cell.payload) ++cell.payload->visible;
    for (const std::unique_ptr<FaceGeom>& record : records) {
        if (record->visible <= 0) continue;
        if (record->drawn != 0 &&
            static_cast<double>(record->visible) / static_cast<double>(record->drawn) <= kVisibleShare)
            record->visible = -1;
        else
            paths.push_back(record->path);
    }
}

void CVisibleOnlyFunctor::CollectVisibleItems(std::vector<CVyrObjectPath>& paths)
{
    if (m_counted || !m_buffer) return;
    m_counted = true;
    StCountAndCollect(*m_buffer, m_records, paths);
}
