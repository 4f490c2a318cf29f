#include "VisibleOnlyFunctor.h"

#include "DsComplexSection.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsSectionPlane.h"
#include "DsSinglePickFunctor.h"
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
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

// A triangle keeps its item when it owns more than this share of the pixels it drew.
constexpr double kVisibleShare = 0.05;
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
    // The partial hidden-line mode draws the model's faces into the depth buffer only.
    if (m_renderMode == eRenderPartialHiddenLines) m_depthOnly = std::make_unique<TZBuffer>(m_width, m_height);
}

CVisibleOnlyFunctor::~CVisibleOnlyFunctor() = default;

void CVisibleOnlyFunctor::SetSections(const CDsGlScene* scene)
{
    m_sections = nullptr;
    m_stepped = false;
    m_sectionPasses.clear();
    if (!scene || !m_projection.IsValid()) return;
    // As the frame draws: a stepped section's areas one by one (its plane groups), else the plane.
    if (const CDsComplexSection* stepped = scene->GetComplexSection()) {
        m_stepped = true;
        for (int group = 0; group < stepped->GetGroupCount(); ++group) {
            std::vector<SDsEyePlane> planes;
            for (const SDsSectionEdge& edge : stepped->GetGroup(group)) {
                const SPAunit_vector n(edge.normal);
                const double equation[4] = {n.x(), n.y(), n.z(),
                                            -(n.x() * edge.first.x() + n.y() * edge.first.y() + n.z() * edge.first.z())};
                planes.push_back(m_projection.ToEyePlane(equation));
            }
            m_sectionPasses.push_back(std::move(planes));
        }
    } else if (const CDsSectionPlane* plane = scene->GetSectionPlane()) {
        const double* e = plane->GetEquation();
        const double equation[4] = {e[0], e[1], e[2], e[3]};
        m_sectionPasses.push_back({m_projection.ToEyePlane(equation)});
    } else {
        return;
    }
    m_sections = scene;
}

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
        const bool solid = DsPickFaceSolid(m_renderMode, path.GetRootPartId(), GetTopAttributes());
        // The partial hidden-line mode keeps the model's faces in the depth buffer, drawn or not,
        // picked or not: there they hide the figures' faces behind them, as the window shows.
        const bool depthOnly = m_depthOnly && path.GetRootPartId() >= 0;
        SItemFaces item{geometry, &path, box, solid, false, depthOnly, pickable || solid};
        bool drawn = true;
        if (m_sections && m_stepped) {
            // The frame draws the items a stepped section applies to once per area, and no more.
            if (m_sections->GetComplexSection()->IsItemShouldBeClipped(path.ToVyrObjectPath())) {
                drawn = !m_sectionPasses.empty();
                item.cut = geometry->IsCutBySections();
            }
        } else if (m_sections) {
            item.cut = geometry->IsCutBySections();
        }
        if (drawn && (item.found || item.depthOnly)) {
            int index = 0;
            bool polygons = false;
            std::vector<float>& corners = m_corners;
            for (int calls = 0; calls < kMaxPolygons; ++calls) {
                float* vertices = nullptr;
                int count = 0;
                const int next = geometry->GetVertices(CDsGeometry::eDpFaces, index, vertices, count, id);
                if (vertices && count >= 3) {
                    polygons = true;
                    corners.resize(3 * static_cast<size_t>(count));
                    for (int v = 0; v < 3 * count; ++v)
                        corners[static_cast<size_t>(v)] = std::fabs(vertices[v]) < kZeroCoordinate ? 0.0f : vertices[v];
                    // A polygon as the frame fills it: a fan from its first corner.
                    for (int v = 1; v + 1 < count; ++v)
                        Rasterise(&corners[0], &corners[3 * static_cast<size_t>(v)],
                                  &corners[3 * static_cast<size_t>(v + 1)], item);
                }
                if (next == -1) break;
                index = next;
            }
            // Faces it does not draw now (an STL mesh the view draws as lines): it shows by its
            // lines, as an item of lines does, which the visible-only test passes.
            if (!polygons && pickable && path.GetRootPartId() < 0) m_faceless.push_back(path.ToVyrObjectPath());
        }
    }
    if (leaf) return true;
    return geometry->ShouldDrawChildren(4);
}

void CVisibleOnlyFunctor::Rasterise(const float* a, const float* b, const float* c, const SItemFaces& item)
{
    const CDsTransform& transform = GetTopTransform();
    SDsEyePoint eye[3];
    const float* corners[3] = {a, b, c};
    for (int v = 0; v < 3; ++v) {
        const SPAposition local(corners[v][0], corners[v][1], corners[v][2]);
        eye[v] = m_projection.ToEye(transform.IsIdentity() ? local : transform.TransformPoint(local));
    }
    std::unique_ptr<FaceGeom> record;
    const auto mapped = [&] {
        if (item.depthOnly)
            for (size_t v = 1; v + 1 < m_cells.size(); ++v)
                m_depthOnly->FillTriangleAtCentres(m_cells[0], m_cells[v], m_cells[v + 1], nullptr);
        if (item.found) Fan(item, record);
    };
    if (!item.cut) {
        if (m_projection.MapPolygon(eye, 3, nullptr, 0, m_cells) >= 3) mapped();
    } else {
        // Once per area of the section (the frame draws the item once per area), cut by its planes.
        for (const std::vector<SDsEyePlane>& planes : m_sectionPasses)
            if (m_projection.MapPolygon(eye, 3, planes.data(), static_cast<int>(planes.size()), m_cells) >= 3)
                mapped();
    }
    if (record) m_records.push_back(std::move(record));
}

void CVisibleOnlyFunctor::Fan(const SItemFaces& item, std::unique_ptr<FaceGeom>& record)
{
    // Nothing inside the buffer makes no record.
    int64_t low[2] = {INT64_MAX, INT64_MAX}, high[2] = {INT64_MIN, INT64_MIN};
    for (const SVyrZSubVertex& v : m_cells) {
        low[0] = std::min(low[0], v.x);
        high[0] = std::max(high[0], v.x);
        low[1] = std::min(low[1], v.y);
        high[1] = std::max(high[1], v.y);
    }
    const int64_t width = int64_t(m_width) << kVyrZSubpixelBits, height = int64_t(m_height) << kVyrZSubpixelBits;
    if (high[0] < 0 || low[0] >= width || high[1] < 0 || low[1] >= height) return;
    if (!record) {
        record = std::make_unique<FaceGeom>();
        record->geometry = item.geometry;
        record->path = item.path->ToVyrObjectPath();
        record->transform = GetTopTransform();
        std::copy(item.box, item.box + 4, record->box);
    }
    for (size_t v = 1; v + 1 < m_cells.size(); ++v) {
        if (item.hides) {
            const SVyrZFillCounts counts = m_buffer->FillTriangleAtCentres(m_cells[0], m_cells[v], m_cells[v + 1], record.get());
            record->drawn += counts.interiorPixels;
        } else {
            m_seeThrough.push_back(SSeeThrough{m_cells[0], m_cells[v], m_cells[v + 1], record.get(), !item.depthOnly});
        }
    }
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
    // The faces that hide nothing: seen where nothing that hides lies in front of them.
    const auto test = [&](bool figures) {
        for (const SSeeThrough& piece : m_seeThrough) {
            if (piece.behindModel != figures) continue;
            const SVyrZFillCounts counts = m_buffer->TestTriangleAtCentres(piece.a, piece.b, piece.c);
            piece.record->drawn += counts.interiorPixels;
            piece.record->visible += counts.nearer;
        }
    };
    if (m_depthOnly) {
        // A figure's face behind the model's depth-only faces shows nowhere there: its cells are
        // left empty, so that they count for it no more and hide no model face behind them (the
        // model's see-through faces stand for its lines, which those faces do not hide).
        const auto eachCell = [&](const std::function<void(CVyrZBufferData<FaceGeom*>&, int)>& visit) {
            for (int row = 0; row < m_height; ++row)
                for (int column = 0; column < m_width; ++column)
                    visit(*m_buffer->GetCell(column, row), m_depthOnly->GetCell(column, row)->depth);
        };
        eachCell([](CVyrZBufferData<FaceGeom*>& cell, int model) {
            if (model < cell.depth) cell = CVyrZBufferData<FaceGeom*>();
        });
        test(false);
        // Then the model's faces hide the figures' see-through faces too.
        eachCell([](CVyrZBufferData<FaceGeom*>& cell, int model) { cell.depth = std::min(cell.depth, model); });
        test(true);
    } else {
        test(false);
        test(true);
    }
    StCountAndCollect(*m_buffer, m_records, paths);
    paths.insert(paths.end(), m_faceless.begin(), m_faceless.end());
}
