#include "DsPickWalks.h"

#include "DsDriverGl.h"

#include "DsComplexSection.h"
#include "DsGlScene.h"
#include "DsSectionPlane.h"

#include "DsDriverExtrema.h"
#include "DsPickProccessor.h"
#include "DsView3dCdc.h"

#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "SpaValues.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Selection buffers: the first size, and the largest one a retry grows to.
constexpr GLsizei kFirstSelectBuffer = 16;
constexpr GLsizei kLargestSelectBuffer = 1 << 20;

// The nearest window depth (0 to 1) of the first `words` words of hit records.
double NearestDepth(const GLuint* buffer, GLsizei words, GLint records)
{
    double nearest = 1.0;
    GLsizei at = 0;
    for (GLint r = 0; (records < 0 || r < records) && at + 3 <= words; ++r) {
        const GLuint names = buffer[at];
        nearest = std::min(nearest, static_cast<double>(buffer[at + 1]) / 4294967295.0);
        at += 3 + static_cast<GLsizei>(names);
    }
    return nearest;
}

// The first point kinds a region hit test draws, one at a time.
constexpr int kKindBits[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
// The most face polygons a geometry's vertex lists are asked for.
constexpr int kMaxFacePolygons = 1 << 24;

}  // namespace

// --- Acceptance ----------------------------------------------------------------------------------

void SDsPickAcceptance::SetDomain(const std::vector<CDsTypeMask>& domain)
{
    unionMask.ResetAll();
    for (const CDsTypeMask& mask : domain) unionMask |= mask;
}

bool SDsPickAcceptance::PassesScope(const CDsObjectPath& path) const
{
    if (!scopePaths || scopePaths->empty()) return true;
    for (const CVyrObjectPath& scope : *scopePaths) {
        if (!path.Contains(scope)) continue;
        if (anyDepth || scope.GetDepth() != 0) return true;
        // Without the any-depth flag a part-level scope path admits the items of its own part only.
        if (path.GetSize() - path.GetHeadSize() == scope.GetSize()) return true;
    }
    return false;
}

bool SDsPickAcceptance::PassesIdRanges(int key, int id) const
{
    if (!idRanges || idRanges->empty()) return true;
    for (const SDsPickIdRange& entry : *idRanges) {
        if (entry.key != key) continue;
        for (const auto& range : entry.ranges)
            if (range.first <= id && id <= range.second) return true;
        return false;
    }
    return true;
}

bool SDsPickAcceptance::Accepts(int type, const CDsObjectPath& path, int key) const
{
    if (!unionMask.IsTypeSet(type & 0xFF)) return false;
    if (!PassesScope(path)) return false;
    const int id = path.GetLastId();
    return id <= idBound && PassesIdRanges(key, id);
}

int DsPickIdRangeKey(const CDsObjectPath& path, int level, const int* levelIds, int levelCount)
{
    if (level <= 0 || path.GetSize() <= 1) return path.GetRootPartId();
    const int index = level == path.GetSize() ? level - 2 : level - 1;
    if (index < 0 || index >= levelCount) return path.GetRootPartId();
    return levelIds[index];
}

CDsGeometry* DsPickGeometryOf(const CDsItemVariant* variant, const CDsItemVariant* parent,
                              const CDsObjectPath& path, int& id)
{
    id = 0;
    if (CDsGeometry* own = variant ? variant->GetGeometry() : nullptr) return own;
    if (parent && parent->GetCategory() == eVyrCatRegion && parent->GetGeometry()) {
        id = path.GetLastId();
        return parent->GetGeometry();
    }
    return nullptr;
}

int DsPickLevelId(const CDsItemVariant* variant)
{
    if (!variant || variant->GetCategory() != eVyrCatTransformed || !variant->GetGeometry()) return 0;
    unsigned count = 0;
    const int* ids = variant->GetGeometry()->GetConnectedItems(count, 0);
    return ids && count > 0 ? ids[0] : 0;
}

bool DsPickBoxOverlaps(const CDsLocation* location, const SDsPickRect& rect)
{
    if (!location || !location->HasBoundBox() || location->IsBoundBoxEmpty() || location->Is2dBoundBoxEmpty())
        return true;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!location->Get2dBoundBox(left, top, right, bottom)) return true;
    return left < rect.right && right > rect.left && bottom < rect.top && top > rect.bottom;
}

// --- Selection -----------------------------------------------------------------------------------

CDsPickModelTransformScope::CDsPickModelTransformScope(view3d& view, const CDsTransform& transform)
    : m_view(view), m_enabled(view.is_model_transform_enabled())
{
    m_view.enable_model_transform(true);
    m_view.SetModelTransform(transform.Convert2SPA());
}

CDsPickModelTransformScope::~CDsPickModelTransformScope()
{
    m_view.ClearModelTransform();
    m_view.enable_model_transform(m_enabled);
}

CDsSelectionGlState::CDsSelectionGlState()
{
    glPushAttrib(GL_POLYGON_BIT | GL_VIEWPORT_BIT);
    Set();
}

CDsSelectionGlState::~CDsSelectionGlState()
{
    glPopAttrib();
}

void CDsSelectionGlState::Set()
{
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glPolygonOffset(0.0f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_CULL_FACE);
    glDepthRange(0.0, 1.0);
}

bool DsGlSelect(CDsGeometry* geometry, view3d& view, int kinds, int id, const CDsTransform& transform,
                const CDsDrawContext* context, double* depth)
{
    if (!geometry) return false;
    const CDsSelectionGlState state;
    // Bitmaps and texts drawn on top of the model draw in window pixels, as the frame's walk draws
    // them: under the view's 2-D drawing (which the view narrows to the pick region in pick mode),
    // anchored through the view's model transform rather than OpenGL's.
    const bool pixels = (kinds == CDsGeometry::eDpBitmaps || kinds == CDsGeometry::eDpTexts) &&
                        (geometry->GetDrawPrimitives(id) & CDsGeometry::eDpOnTop);
    std::optional<CDsPickModelTransformScope> anchored;
    if (pixels) {
        anchored.emplace(view, transform);
        view.Start2dDraw();
    }
    std::vector<GLuint> buffer(static_cast<size_t>(kFirstSelectBuffer));
    for (;;) {
        const GLsizei size = static_cast<GLsizei>(buffer.size());
        glSelectBuffer(size, buffer.data());
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        if (!transform.IsIdentity() && !pixels) glMultMatrixf(transform.GetMatrix());
        // Only whether and how near something was hit is read: the primitives go together.
        CDsDriverGl::StOpenPickBatch();
        geometry->DrawGl(view, static_cast<CDsGeometry::eDrawPrimitives>(kinds), id, -1, context);
        CDsDriverGl::StClosePickBatch();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopName();
        const GLint records = glRenderMode(GL_RENDER);
        if (records >= 0 || size >= kLargestSelectBuffer) {
            // An overflow of the largest buffer still means that something was hit.
            const bool hit = records != 0;
            if (hit && depth) *depth = NearestDepth(buffer.data(), size, records);
            if (pixels) view.End2dDraw();
            return hit;
        }
        buffer.assign(buffer.size() * 16, 0);
    }
}

// --- Feedback ------------------------------------------------------------------------------------

bool SDsFeedbackPoint::operator<(const SDsFeedbackPoint& other) const
{
    // Distances in the same thousandth of a pixel are one (an outline shared by two polygons);
    // whole thousandths, so that the order is a strict weak one as sorting needs.
    constexpr double kSame = 1e-3;
    const double bucket = std::floor(distance / kSame), otherBucket = std::floor(other.distance / kSame);
    if (bucket != otherBucket) return bucket < otherBucket;
    return z < other.z;
}

namespace {

constexpr GLsizei kFirstFeedbackBuffer = 4096;
constexpr GLsizei kLargestFeedbackBuffer = 1 << 24;

// Where the cursor's pixel centre lies in the window, and how many window units make a pixel.
struct SCursor {
    double x, y;
    double unitsX, unitsY;

    // The distance in pixels of a window point from the cursor.
    double Distance(double px, double py) const { return std::hypot((px - x) / unitsX, (py - y) / unitsY); }
};

// The point of the segment a-b (window x, y, z) nearest to the cursor, and others along it a pixel
// apart, appended to `points`.
void SegmentPoints(const double* a, const double* b, const SCursor& cursor, std::vector<SDsFeedbackPoint>& points)
{
    // Measured in pixels.
    const double ax = a[0] / cursor.unitsX, ay = a[1] / cursor.unitsY;
    const double dx = (b[0] - a[0]) / cursor.unitsX;
    const double dy = (b[1] - a[1]) / cursor.unitsY;
    const double cx = cursor.x / cursor.unitsX, cy = cursor.y / cursor.unitsY;
    const double length2 = dx * dx + dy * dy;
    // A line seen end-on (a thousandth of a pixel long) lights no pixel.
    if (length2 < 1e-6) return;
    const double nearest = std::max(0.0, std::min(1.0, ((cx - ax) * dx + (cy - ay) * dy) / length2));
    const auto add = [&](double s) {
        SDsFeedbackPoint point;
        point.x = a[0] + s * (b[0] - a[0]);
        point.y = a[1] + s * (b[1] - a[1]);
        point.z = a[2] + s * (b[2] - a[2]);
        point.distance = cursor.Distance(point.x, point.y);
        points.push_back(point);
    };
    add(nearest);
    // A segment inside the pick window is a few pixels long: a point every pixel either way.
    const double step = 1.0 / std::sqrt(length2);
    for (int k = 1; k <= 16; ++k) {
        bool any = false;
        if (nearest - k * step >= 0.0) add(nearest - k * step), any = true;
        if (nearest + k * step <= 1.0) add(nearest + k * step), any = true;
        if (!any) break;
    }
}

// The centres of `centres` the polygon of `count` window vertices covers, at its depth there
// (window depth is affine across a plane polygon), appended to `points`.
void PolygonPoints(const double* v, int count, const std::vector<SDsWindowPixel>& centres,
                   std::vector<SDsFeedbackPoint>& points)
{
    for (const SDsWindowPixel& centre : centres) {
        for (int i = 1; i + 1 < count; ++i) {
            const double* a = v;
            const double* b = v + 3 * i;
            const double* c = v + 3 * (i + 1);
            const double e1x = b[0] - a[0], e1y = b[1] - a[1];
            const double e2x = c[0] - a[0], e2y = c[1] - a[1];
            const double det = e1x * e2y - e1y * e2x;
            if (det == 0.0) continue;
            const double px = centre.x - a[0], py = centre.y - a[1];
            const double u = (px * e2y - py * e2x) / det, w = (e1x * py - e1y * px) / det;
            if (u < 0.0 || w < 0.0 || u + w > 1.0) continue;
            SDsFeedbackPoint point;
            point.distance = centre.distance;
            point.x = centre.x;
            point.y = centre.y;
            point.z = a[2] + u * (b[2] - a[2]) + w * (c[2] - a[2]);
            point.pixel = &centre;
            points.push_back(point);
            break;
        }
    }
}

}  // namespace

bool DsGlFeedbackPoints(CDsGeometry* geometry, view3d& view, int kinds, int id, const CDsTransform& transform,
                        const CDsDrawContext* context, const std::vector<SDsWindowPixel>& centres, double unitsX,
                        double unitsY, std::vector<SDsFeedbackPoint>& points)
{
    if (!geometry || centres.empty() || !(unitsX > 0.0) || !(unitsY > 0.0)) return false;
    const SCursor cursor{centres.front().x, centres.front().y, unitsX, unitsY};
    const CDsSelectionGlState state;
    // Markers, texts and bitmaps drawn on top of the model draw in window pixels, as the frame's
    // walk draws them (its pixel projection, which the view narrows to the pick region in pick
    // mode): their window depth is the near plane's, and the item's transform does not place them.
    const bool pixels =
        (kinds == CDsGeometry::eDpPoints || kinds == CDsGeometry::eDpBitmaps || kinds == CDsGeometry::eDpTexts) &&
        (geometry->GetDrawPrimitives(id) & CDsGeometry::eDpOnTop);
    if (pixels) view.Start2dDraw();
    // The projection, to read a vertex's window depth in double precision from its clip w: in
    // perspective a window depth in single precision holds the distance only to a few thousandths
    // of a unit when the near plane lies close to the eye.
    double projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // A vertex of GL_4D_COLOR_TEXTURE: x, y, z, w, the colour and the texture coordinates.
    constexpr int kVertex = 12;
    const auto windowVertex = [&](const GLfloat* f, double* out) {
        out[0] = f[0];
        out[1] = f[1];
        out[2] = f[2];
        const double w = f[3];
        if (projection[11] != 0.0 && w != 0.0) {
            const double eyeZ = (w - projection[15]) / projection[11];
            const double clipZ = projection[10] * eyeZ + projection[14];
            out[2] = 0.5 * (clipZ / w + 1.0);
        }
    };
    std::vector<GLfloat> buffer(static_cast<size_t>(kFirstFeedbackBuffer));
    GLint values = 0;
    for (;;) {
        const GLsizei size = static_cast<GLsizei>(buffer.size());
        glFeedbackBuffer(size, GL_4D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        if (!transform.IsIdentity() && !pixels) glMultMatrixf(transform.GetMatrix());
        // The points are read in any order: the primitives go together.
        CDsDriverGl::StOpenPickBatch();
        geometry->DrawGl(view, static_cast<CDsGeometry::eDrawPrimitives>(kinds), id, -1, context);
        CDsDriverGl::StClosePickBatch();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        values = glRenderMode(GL_RENDER);
        if (values >= 0) break;
        if (size >= kLargestFeedbackBuffer) {
            values = size;  // what fitted
            break;
        }
        buffer.assign(buffer.size() * 16, 0.0f);
    }
    if (pixels) view.End2dDraw();
    bool drawn = false;
    const GLfloat* v = buffer.data();
    const GLfloat* end = v + values;
    std::vector<double> corners;
    while (v < end) {
        const GLint token = static_cast<GLint>(*v++);
        switch (token) {
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN: {
            if (v + kVertex > end) return drawn;
            double p[3];
            windowVertex(v, p);
            SDsFeedbackPoint point;
            point.x = p[0];
            point.y = p[1];
            point.z = p[2];
            point.distance = cursor.Distance(p[0], p[1]);
            points.push_back(point);
            drawn = true;
            v += kVertex;
            break;
        }
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN: {
            if (v + 2 * kVertex > end) return drawn;
            double a[3], b[3];
            windowVertex(v, a);
            windowVertex(v + kVertex, b);
            SegmentPoints(a, b, cursor, points);
            drawn = true;
            v += 2 * kVertex;
            break;
        }
        case GL_POLYGON_TOKEN: {
            if (v + 1 > end) return drawn;
            const int count = static_cast<int>(*v++);
            if (count < 0 || v + kVertex * count > end) return drawn;
            if (count > 0) {
                corners.resize(3 * static_cast<size_t>(count));
                for (int i = 0; i < count; ++i) windowVertex(v + kVertex * i, corners.data() + 3 * i);
                PolygonPoints(corners.data(), count, centres, points);
                drawn = true;
            }
            v += kVertex * count;
            break;
        }
        case GL_PASS_THROUGH_TOKEN:
            ++v;
            break;
        default:
            return drawn;  // not a token: the rest cannot be read
        }
    }
    return drawn;
}

bool DsOpenGlSelectionTest(CDsGeometry* geometry, view3d& view, int id, const CDsTransform& transform,
                           const CDsDrawContext* context, int kindMask, const std::vector<CVyrObjectPath>* paths,
                           const CDsObjectPath& path)
{
    if (!geometry) return false;
    const int kinds = geometry->GetDrawPrimitives(0);
    if ((kinds & kindMask) != 0) {
        bool listed = false;
        if (paths)
            for (const CVyrObjectPath& p : *paths)
                if (path == p) {
                    listed = true;
                    break;
                }
        if (!listed) return false;
    }
    if ((kinds & CDsGeometry::eDpFaces) && DsGlSelect(geometry, view, CDsGeometry::eDpFaces, id, transform, context, nullptr))
        return true;
    if (kinds & CDsGeometry::eDpPoints) {
        const CDsPickModelTransformScope placed(view, transform);
        if (geometry->Draw(view, static_cast<CDsGeometry::eDrawPrimitives>(kinds), id, -1, context) != 0) return true;
    }
    int rest = kinds;
    if (kinds & CDsGeometry::eDpOnTop) {
        // Bitmaps and texts on top of the model draw in window pixels: each kind on its own, as the
        // frame's walk draws it (DsGlSelect).
        for (const int kind : {int(CDsGeometry::eDpBitmaps), int(CDsGeometry::eDpTexts)}) {
            if (!(kinds & kind)) continue;
            rest &= ~kind;
            if (DsGlSelect(geometry, view, kind, id, transform, context, nullptr)) return true;
        }
    }
    if (rest & ~CDsGeometry::eDpFaces & CDsGeometry::eDpKindMask)
        return DsGlSelect(geometry, view, rest, id, transform, context, nullptr);
    return false;
}

// --- The region and select-all functor ------------------------------------------------------------

CDsRegionPickFunctor::CDsRegionPickFunctor(CDsView3dCdc* view, EDsRegionWalk walk, const SDsPickRect& rect,
                                           const std::vector<CDsTypeMask>& domain,
                                           std::vector<SDsRegionPickResult>& results, CDsPickTestFunc* test,
                                           const TDsPickIdRanges* idRanges, int idBound,
                                           const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth)
    : m_view(view), m_walkKind(walk), m_rect(rect), m_domain(domain), m_results(results), m_test(test),
      m_refresh(view, false, 0.0)
{
    m_acceptance.SetDomain(domain);
    m_acceptance.scopePaths = scopePaths;
    m_acceptance.anyDepth = anyDepth;
    m_acceptance.idRanges = idRanges;
    m_acceptance.idBound = idBound;
    std::fill(m_parents, m_parents + kParentLevels, -1);
}

void CDsRegionPickFunctor::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&,
                                          const CDsItemVariant* variant)
{
    m_variant = variant;
    if (m_depth < kLevelIds) m_levelIds[m_depth] = DsPickLevelId(variant);
    ++m_openCount;
    PushAttributes(variant, location, scene);
    PushTransform(variant, location, scene);
    if (m_depth + 1 < kParentLevels) m_parents[m_depth + 1] = m_parents[m_depth];
    ++m_depth;
}

bool CDsRegionPickFunctor::VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (GetTopAttributes().IsHidden()) return false;
    return ItemVisit(location, path, m_variant, parent);
}

bool CDsRegionPickFunctor::OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                        const CDsItemVariant* variant)
{
    if (GetTopAttributes().IsHidden()) return false;
    ItemVisit(location, path, variant, nullptr);
    return true;
}

void CDsRegionPickFunctor::OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*)
{
    PopAttributes();
    PopTransform();
    if (m_openCount > 0) --m_openCount;
    if (m_depth > 0) --m_depth;
    if (m_openCount == 0) Settle();
}

bool CDsRegionPickFunctor::ItemVisit(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                                     const CDsItemVariant* parent)
{
    if (!variant) return false;
    const int type = variant->GetType() & 0xFF;
    int id = 0;
    CDsGeometry* geometry = DsPickGeometryOf(variant, parent, path, id);
    const int level = m_depth - 1;
    bool accepted = m_acceptance.Accepts(type, path, DsPickIdRangeKey(path, level, m_levelIds, kLevelIds));
    if (accepted && m_test) accepted = m_test->Test(path.ToVyrObjectPath(), geometry, static_cast<eVyrObjectType>(type), -1);
    const int category = variant->GetCategory();
    const bool container = category != eVyrCatLeaf && category != eVyrCatOpenLeaf;
    const bool overlap = m_walkKind == eDsRegionSelectAll || DsPickBoxOverlaps(location, m_rect);

    const int slot = std::min(m_depth, kParentLevels - 1);
    const int ancestor = m_parents[slot];
    const bool testHit = accepted || (ancestor >= 0 && m_records[static_cast<size_t>(ancestor)].state == SDsRegionPickRecord::eUndecided);
    if (accepted || ancestor >= 0) {
        const bool hit = testHit && overlap && HitTest(geometry, id, path);
        if (accepted && (hit || container)) {
            SDsRegionPickRecord record;
            record.path = path.ToVyrObjectPath();
            record.type = static_cast<unsigned char>(type);
            record.geometry = geometry;
            record.state = hit ? SDsRegionPickRecord::eSelected : SDsRegionPickRecord::eUndecided;
            record.parent = ancestor;
            record.hitBelow = hit;
            m_records.push_back(record);
            m_parents[slot] = static_cast<int>(m_records.size()) - 1;
        }
        if (ancestor >= 0) {
            if (overlap && hit) {
                for (int r = ancestor; r >= 0; r = m_records[static_cast<size_t>(r)].parent)
                    m_records[static_cast<size_t>(r)].hitBelow = true;
            } else if (!(overlap && container)) {
                for (int r = ancestor; r >= 0; r = m_records[static_cast<size_t>(r)].parent)
                    m_records[static_cast<size_t>(r)].state = SDsRegionPickRecord::eNotSelected;
            }
        }
    }
    if (!overlap) return false;
    if (container && geometry) return geometry->ShouldDrawChildren(-1);
    return true;
}

void CDsRegionPickFunctor::SetSections(const CDsGlScene* scene)
{
    m_sections = nullptr;
    m_stepped = false;
    m_cut.clear();
    if (!scene) return;
    // As the frame draws: a stepped section's areas one by one (its plane groups), else the plane.
    if (const CDsComplexSection* stepped = scene->GetComplexSection()) {
        m_stepped = true;
        for (int group = 0; group < stepped->GetGroupCount(); ++group) {
            std::vector<SDsPickClipPlane> planes;
            for (const SDsSectionEdge& edge : stepped->GetGroup(group))
                planes.push_back(SDsPickClipPlane{edge.first, SPAunit_vector(edge.normal)});
            m_cut.push_back(std::move(planes));
        }
    } else if (const CDsSectionPlane* plane = scene->GetSectionPlane()) {
        m_cut.push_back({SDsPickClipPlane{plane->GetPoint(), plane->GetNormal()}});
    } else {
        return;
    }
    m_sections = scene;
}

const std::vector<std::vector<SDsPickClipPlane>>* CDsRegionPickFunctor::SectionCut(CDsGeometry* geometry,
                                                                                   const CDsObjectPath& path) const
{
    if (!m_sections || !geometry || !geometry->IsCutBySections()) return nullptr;
    if (m_stepped && !m_sections->GetComplexSection()->IsItemShouldBeClipped(path.ToVyrObjectPath())) return nullptr;
    return &m_cut;
}

bool CDsRegionPickFunctor::HitTest(CDsGeometry* geometry, int id, const CDsObjectPath& path)
{
    if (!geometry) return false;
    if (m_walkKind == eDsRegionSelectAll) return geometry->GetDrawPrimitives(id) != 0;
    // The frame draws the items a stepped section applies to in the section's passes only.
    if (m_stepped && m_view && !m_view->GetFlag(eDsViewFlagSectionPass) &&
        m_sections->GetComplexSection()->IsItemShouldBeClipped(path.ToVyrObjectPath()))
        return false;
    if (!m_view || !WhollyInside(geometry, id, path)) return false;
    return DsOpenGlSelectionTest(geometry, *m_view, id, GetTopTransform(), &m_refresh, m_kindMask, m_selectionPaths,
                                 path);
}

bool CDsRegionPickFunctor::MeasureCutFaces(CDsViewExtrema& extrema, CDsGeometry* geometry, int id,
                                           const std::vector<std::vector<SDsPickClipPlane>>& groups)
{
    const CDsTransform& transform = GetTopTransform();
    m_shown.clear();
    bool cut = false;
    std::vector<SPAposition> corners, from, to;
    int index = 0;
    for (int calls = 0; calls < kMaxFacePolygons; ++calls) {
        float* vertices = nullptr;
        int count = 0;
        const int next = geometry->GetVertices(CDsGeometry::eDpFaces, index, vertices, count, id);
        if (vertices && count >= 3) {
            corners.clear();
            for (int v = 0; v < count; ++v) {
                const SPAposition local(vertices[3 * v], vertices[3 * v + 1], vertices[3 * v + 2]);
                corners.push_back(transform.IsIdentity() ? local : transform.TransformPoint(local));
            }
            // What each area keeps of the polygon (Sutherland and Hodgman, plane after plane); a
            // polygon that one area keeps whole is shown whole.
            const size_t before = m_shown.size();
            bool whole = false;
            for (const std::vector<SDsPickClipPlane>& planes : groups) {
                from = corners;
                bool inside = true;
                for (const SDsPickClipPlane& plane : planes) {
                    if (from.size() < 3) break;
                    to.clear();
                    const auto side = [&](const SPAposition& p) { return (p - plane.point) % plane.normal; };
                    for (size_t i = 0; i < from.size(); ++i) {
                        const SPAposition& previous = from[(i + from.size() - 1) % from.size()];
                        const SPAposition& current = from[i];
                        const double dp = side(previous), dc = side(current);
                        if ((dp < 0.0) != (dc < 0.0)) to.push_back(previous + (current - previous) * (dp / (dp - dc)));
                        if (dc >= 0.0) to.push_back(current);
                        inside = inside && dc >= 0.0;
                    }
                    from.swap(to);
                }
                if (inside && from.size() >= 3) {
                    whole = true;
                    break;
                }
                if (from.size() >= 3) m_shown.insert(m_shown.end(), from.begin(), from.end());
            }
            if (whole) {
                m_shown.resize(before);
                m_shown.insert(m_shown.end(), corners.begin(), corners.end());
            } else {
                cut = true;
            }
        }
        if (next == -1) break;
        index = next;
    }
    if (!cut) return false;
    for (const SPAposition& p : m_shown) extrema.DrawPoint2d(p);
    return true;
}

bool CDsRegionPickFunctor::WhollyInside(CDsGeometry* geometry, int id, const CDsObjectPath& path)
{
    CDsDriverExtrema driver(m_view);
    CDsViewExtrema* measuring = driver.GetExtView();
    if (!measuring) return false;
    // Lines drawn in window pixels lie inside the rectangle by their pixels.
    measuring->SetMeasuresPixelLines(true);
    {
        const CDsExtremaModeScope extrema;
        const std::vector<std::vector<SDsPickClipPlane>>* cut = SectionCut(geometry, path);
        if (!cut || !MeasureCutFaces(*measuring, geometry, id, *cut)) {
            const CDsPickModelTransformScope placed(*measuring, GetTopTransform());
            const int kinds = geometry->GetDrawPrimitives(id);
            for (int bit : kKindBits)
                if (kinds & bit)
                    geometry->Draw(*measuring, static_cast<CDsGeometry::eDrawPrimitives>(bit), id, -1, &m_refresh);
        }
    }
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
    if (!driver.GetExtremaInViewportCoordinates(x0, x1, y0, y1, false)) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    m_view->get_viewport(vx, vy, vw, vh);
    // A visible-only pick (a selection kind mask set) finds nothing wholly beyond the window, which
    // shows nowhere: items of window pixels are drawn under a projection of their own, which the
    // view's frustum does not cut.
    if (m_kindMask != 0 && (x1 < 0.0 || y1 < 0.0 || x0 > vw || y0 > vh)) return false;
    return x0 + vx >= m_rect.left && x1 + vx <= m_rect.right && y0 + vy >= m_rect.bottom && y1 + vy <= m_rect.top;
}

void CDsRegionPickFunctor::Settle()
{
    const bool byHits = m_walkKind != eDsRegionParentsNeverByHits;
    for (SDsRegionPickRecord& record : m_records) {
        if (record.state == SDsRegionPickRecord::eUndecided)
            record.state = byHits && record.hitBelow ? SDsRegionPickRecord::eSelected : SDsRegionPickRecord::eNotSelected;
        if (record.state == SDsRegionPickRecord::eSelected && record.parent >= 0)
            ++m_records[static_cast<size_t>(record.parent)].selectedChildren;
    }
    for (SDsRegionPickRecord& record : m_records) {
        if (record.parent < 0) continue;
        SDsRegionPickRecord& parent = m_records[static_cast<size_t>(record.parent)];
        if (parent.state == SDsRegionPickRecord::eSuppressed) {
            record.state = SDsRegionPickRecord::eSuppressed;
        } else if (parent.state == SDsRegionPickRecord::eSelected && record.state == SDsRegionPickRecord::eSelected) {
            const int c = NSDsTypeMaskHelper::CmpObjType(m_domain, static_cast<eVyrObjectType>(record.type),
                                                         static_cast<eVyrObjectType>(parent.type));
            if (c >= 1 || (c == 0 && parent.selectedChildren == 1))
                parent.state = SDsRegionPickRecord::eNotSelected;
            else
                record.state = SDsRegionPickRecord::eSuppressed;
        }
    }
    for (const SDsRegionPickRecord& record : m_records)
        if (record.state == SDsRegionPickRecord::eSelected)
            m_results.push_back(SDsRegionPickResult{record.path, record.type, record.geometry});
    m_records.clear();
}

// --- Drivers -------------------------------------------------------------------------------------

namespace {

// One scoped walk of the part that `root` names: through a path filter when `paths` is not empty.
void ScopedWalk(CDsRegionPickFunctor& functor, CDsScene* scene, const CVyrObjectPath& root,
                const std::vector<CVyrObjectPath>& paths, bool visitPath)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    const EDsWalkDescent descent = visitPath ? eDsDescentVisitEachLevel : eDsDescentVisitOptional;
    if (paths.empty()) {
        CDsSceneWalk<CDsRegionPickFunctor> walk(storage, functor, scene);
        walk.TraversePart(root, descent);
        return;
    }
    CDsPathListFunctor<CDsRegionPickFunctor> filter(functor, paths, scene->GetPeerPartId(), scene->GetTempPartId(),
                                                    false, true, true);
    CDsSceneWalk<CDsPathListFunctor<CDsRegionPickFunctor>> walk(storage, filter, scene);
    walk.TraversePart(root, descent);
}

}  // namespace

SDsPickSection DsScenePickSection(const CDsGlScene* scene, SDsPickClipPlane& plane)
{
    SDsPickSection section;
    if (!scene) return section;
    if (const CDsSectionPlane* sectionPlane = scene->GetSectionPlane()) {
        plane.point = sectionPlane->GetPoint();
        plane.normal = sectionPlane->GetNormal();
        section.plane = &plane;
    }
    if (const CDsComplexSection* stepped = scene->GetComplexSection()) {
        section.groupCount = stepped->GetGroupCount();
        section.switchGroup = [stepped](int group, bool on) {
            if (on)
                stepped->EnableClipPlanes(group);
            else
                stepped->DisableClipPlanes(group);
        };
    }
    return section;
}

void DsRegionPickDriver(CDsRegionPickFunctor& functor, CDsScene* scene, const std::vector<CVyrObjectPath>& paths,
                        CDsView3dCdc* view, const SDsPickSection* section)
{
    if (!scene) return;
    const CVyrObjectPath peer(scene->GetPeerPartId());
    const CVyrObjectPath temp(scene->GetTempPartId());
    if (section && section->groupCount > 0 && section->switchGroup) {
        if (view) view->SetFlag(static_cast<EDsViewFlag>(12), true);
        for (int group = 0; group < section->groupCount; ++group) {
            section->switchGroup(group, true);
            ScopedWalk(functor, scene, peer, paths, false);
            section->switchGroup(group, false);
        }
        if (view) view->SetFlag(static_cast<EDsViewFlag>(12), false);
        ScopedWalk(functor, scene, peer, paths, true);
        ScopedWalk(functor, scene, temp, paths, true);
        return;
    }
    const bool plane = section && section->plane;
    if (plane) {
        const SPAposition& p = section->plane->point;
        const SPAunit_vector& n = section->plane->normal;
        const GLdouble equation[4] = {n.x(), n.y(), n.z(), -(n.x() * p.x() + n.y() * p.y() + n.z() * p.z())};
        glEnable(GL_CLIP_PLANE0);
        glClipPlane(GL_CLIP_PLANE0, equation);
    }
    ScopedWalk(functor, scene, peer, paths, true);
    ScopedWalk(functor, scene, temp, paths, true);
    if (plane) glDisable(GL_CLIP_PLANE0);
}

void DsSelectAllWalk(CDsPartStorage* storage, CDsScene* scene, CDsRegionPickFunctor& functor)
{
    if (!storage || !scene) return;
    CDsSceneWalk<CDsRegionPickFunctor> walk(storage, functor, scene);
    walk.TraverseWholeScene();
}
