#include "DsSinglePickFunctor.h"

#include "DsDrawnItems.h"

#include "DsComplexSection.h"
#include "DsGeometryComputer.h"
#include "DsGlScene.h"
#include "DsSectionPlane.h"
#include "DsView3dCdc.h"
#include "DsGlStateCache.h"
#include "DsGlTraverseFunctor.h"

#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// A box narrower and lower than this (pixels, both sides non-zero) must have a diagonal of at
// least kSmallBoxDiagonal to pass the prefilter.
constexpr int kSmallBoxSide = 6;
constexpr int kSmallBoxDiagonalSquared = 25;
// Children of a container smaller than this on screen (pixels) are not visited.
constexpr double kSmallestContainer = 5.0;

}  // namespace

int DsPickFaceTransparency(int renderMode, int partId, const CDsAttributes& attributes)
{
    // The temporary part (figures) is drawn blended by its own transparency in every mode.
    if (partId < 0) return attributes.GetTransparency();
    switch (renderMode) {
    case eRenderWireframe: return 0;
    case eRenderHiddenLines: return 255;
    case eRenderPartialHiddenLines: return 0;
    case eRenderShade: return 255;
    case eRenderMixed: return attributes.GetTransparency();
    default: return 255;
    }
}

bool DsPickFaceSolid(int renderMode, int partId, const CDsAttributes& attributes)
{
    const int transparency = DsPickFaceTransparency(renderMode, partId, attributes);
    return partId < 0 ? transparency == 255 : static_cast<double>(transparency) >= kDsPickOpaqueTransparency;
}

CDsSinglePickFunctor::CDsSinglePickFunctor(view3d* view, const CUiPickEvent* event, const SDsPickRect& rect,
                                           std::vector<CDsPickHit>& hits, int renderMode,
                                           const std::vector<CDsTypeMask>& domain,
                                           const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth,
                                           const TDsPickIdRanges* idRanges, int idBound, bool sectionTest,
                                           bool stopAfterFirst)
    : m_view(view), m_event(event), m_rect(rect), m_hits(hits), m_renderMode(renderMode),
      m_stopAfterFirst(stopAfterFirst), m_sectionTest(sectionTest), m_refresh(view, false, 0.0)
{
    m_acceptance.SetDomain(domain);
    m_acceptance.scopePaths = scopePaths;
    m_acceptance.anyDepth = anyDepth;
    m_acceptance.idRanges = idRanges;
    m_acceptance.idBound = idBound;
    if (m_view) m_unitsPerPixel = m_view->get_units_per_pixel();
    if (m_event) m_ray = get_pick_ray(*m_event, 1);
    if (m_view && !m_view->is_perspective()) {
        // A point a face hit is answered at lies no farther from the ray than the faces the pick
        // window met (in a parallel view, as far on the screen): within the window's half
        // diagonal, a pixel more for safety. Only what covers it there can hide it.
        int cx = 0, cy = 0, width = 0, height = 0;
        m_view->get_pick_aperture(cx, cy, width, height);
        m_apertureReach = std::hypot(0.5 * width + 1.5, 0.5 * height + 1.5);
        const int reach = static_cast<int>(std::ceil(m_apertureReach));
        auto widen = [](int v, int by) { return static_cast<short>(std::max(-32768, std::min(32767, v + by))); };
        m_hidingRect.left = widen(rect.left, -reach);
        m_hidingRect.right = widen(rect.right, reach);
        m_hidingRect.bottom = widen(rect.bottom, -reach);
        m_hidingRect.top = widen(rect.top, reach);
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    if (m_view) m_view->SetupRenderingTransforms(true, true, false, nullptr);
    glGetDoublev(GL_MODELVIEW_MATRIX, m_modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, m_projection);
    glGetIntegerv(GL_VIEWPORT, m_viewport);
    // The centres of the pick window's pixels in the window of the pick projection, which maps the
    // pick region onto the viewport, nearest to the cursor's first.
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    if (m_view && m_event && m_view->pick_region(left, top, right, bottom) && right > left && bottom > top) {
        m_unitsX = m_viewport[2] / (right - left);
        m_unitsY = m_viewport[3] / (bottom - top);
        int cx = 0, cy = 0, width = 0, height = 0;
        m_view->get_pick_aperture(cx, cy, width, height);
        const int reachX = width / 2 + 1, reachY = height / 2 + 1;
        for (int j = -reachY; j <= reachY; ++j)
            for (int i = -reachX; i <= reachX; ++i) {
                const double x = m_event->x() + 0.5 + i, y = m_event->y() + 0.5 + j;
                if (x < left || x > right || y < top || y > bottom) continue;
                SDsWindowPixel pixel;
                pixel.x = m_viewport[0] + (x - left) * m_unitsX;
                pixel.y = m_viewport[1] + (bottom - y) * m_unitsY;
                pixel.distance = std::hypot(i, j);
                pixel.column = m_event->x() + i;
                pixel.row = m_event->y() + j;
                m_centres.push_back(pixel);
            }
        std::stable_sort(m_centres.begin(), m_centres.end(),
                         [](const SDsWindowPixel& a, const SDsWindowPixel& b) { return a.distance < b.distance; });
        if (!m_centres.empty() && m_centres.front().distance != 0.0) m_centres.clear();  // the cursor's own is cut off
    }
}

CDsSinglePickFunctor::~CDsSinglePickFunctor()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

// --- Walk hooks ------------------------------------------------------------------------------------

void CDsSinglePickFunctor::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&,
                                          const CDsItemVariant* variant)
{
    m_scene = scene;
    m_variant = variant;
    if (m_depth >= 0 && m_depth < kLevelIds) m_levelIds[m_depth] = DsPickLevelId(variant);
    ++m_depth;
    PushAttributes(variant, location, scene);
    PushTransform(variant, location, scene);
}

bool CDsSinglePickFunctor::VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (m_walk && m_walk->GetRole() == eDsRoleMaster) {
        // A master of a complex is visited, not entered.
        if (GetTopAttributes().IsHidden() || !m_variant) return true;
        int id = 0;
        CDsGeometry* geometry = DsPickGeometryOf(m_variant, parent, path, id);
        const SItem item{location, &path, m_variant->GetType(), m_variant->GetCategory(), geometry, id};
        if (Prefilter(location, geometry, id)) HitTest(item, true);
        return true;
    }
    return EnterItem(location, path, m_variant, parent);
}

bool CDsSinglePickFunctor::OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                        const CDsItemVariant* variant)
{
    EnterItem(location, path, variant, nullptr);
    return true;
}

void CDsSinglePickFunctor::OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*)
{
    PopAttributes();
    PopTransform();
    if (!m_pending.empty() && m_pending.back().level == m_depth) {
        if (m_pending.back().hit.hitKind != CDsPickHit::eKindNone) {
            for (SPending& pending : m_pending) m_hits.push_back(pending.hit);
            m_pending.clear();
        } else {
            m_pending.pop_back();
        }
    }
    if (m_depth > 0) --m_depth;
}

bool CDsSinglePickFunctor::OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type)
{
    CDsLocation* region = location ? location->GetParent() : nullptr;
    // A region whose runs are kept is tested run by run when it completes.
    if (region && DsIsLocationDrawableCached(region)) return false;
    if (m_stopAfterFirst && !m_hits.empty()) return false;
    if (!DsIsLocationDrawable(m_scene, location, WalkState().m_pPalette, type)) return true;
    CDsGeometry* geometry = m_variant ? m_variant->GetGeometry() : nullptr;
    if (!geometry) return true;
    const SItem item{location, &path, type, eVyrCatLeaf, geometry, id};
    if (Prefilter(location, geometry, id)) HitTest(item, false);
    return true;
}

void CDsSinglePickFunctor::OnCompleteRegion(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                            const CDsItemVariant* variant)
{
    if (!location || !variant || !DsIsLocationDrawableCached(location)) return;
    CDsGeometry* geometry = variant->GetGeometry();
    if (!geometry) return;
    const int* cache = location->GetCache();
    const int runs = cache ? std::min(cache[0], (location->GetCacheSize() - 1) / 3) : 0;
    for (int r = 0; r < runs; ++r) {
        const int first = cache[1 + 3 * r], last = cache[2 + 3 * r], key = cache[3 + 3 * r];
        for (int id = first; id <= last && id >= first; ++id) {
            if (m_stopAfterFirst && !m_hits.empty()) return;
            // The leaf's path: the region's with the leaf's id (written past the walk's own ids).
            CDsObjectPath leafPath(path);
            leafPath.AdvanceItem(id);
            const SItem item{nullptr, &leafPath, key & 0xFF, eVyrCatLeaf, geometry, id};
            HitTest(item, false);
            if (id == last) break;
        }
    }
}

// --- Tests -----------------------------------------------------------------------------------------

bool CDsSinglePickFunctor::Prefilter(const CDsLocation* location, CDsGeometry* geometry, int id)
{
    if (!location || !location->HasBoundBox() || location->Is2dBoundBoxEmpty()) return true;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!location->Get2dBoundBox(left, top, right, bottom)) return true;
    bool pass = left < m_rect.right && right > m_rect.left && bottom < m_rect.top && top > m_rect.bottom;
    const int width = right - left, height = top - bottom;
    if (pass && width != 0 && height != 0 && width < kSmallBoxSide && height < kSmallBoxSide &&
        width * width + height * height < kSmallBoxDiagonalSquared)
        pass = false;
    if (pass || !geometry || !m_view) return pass;
    // A centre point (of an arc, say) may lie under the pick while the box does not.
    SPAposition centre;
    if (!geometry->GetPoint(CDsGeometry::ePpCenter, centre, id)) return false;
    const CDsPickModelTransformScope placed(*m_view, GetTopTransform());
    return geometry->DrawPoints(*m_view, CDsGeometry::ePpCenter, id) != 0;
}

bool CDsSinglePickFunctor::EnterItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                                     const CDsItemVariant* parent)
{
    if (!variant) return false;
    if (m_stopAfterFirst && !m_hits.empty()) return false;
    int id = 0;
    CDsGeometry* geometry = DsPickGeometryOf(variant, parent, path, id);
    if (GetTopAttributes().IsHidden()) return false;
    const int category = variant->GetCategory();
    const SItem item{location, &path, variant->GetType(), category, geometry, id};
    if (!Prefilter(location, geometry, id)) return false;
    HitTest(item, false);
    if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return false;
    if (!geometry) return true;
    if (!geometry->ShouldDrawChildren(-1)) return false;
    const double size = geometry->GetDetailSize();
    if (size != 0.0 && m_unitsPerPixel > 0.0 && size / m_unitsPerPixel < kSmallestContainer) return false;
    return true;
}

void CDsSinglePickFunctor::ClippedPasses(const SItem& item, const SDsPickClip& clip, const std::function<void()>& pass)
{
    const CDsComplexSection* stepped = clip.scene ? clip.scene->GetComplexSection() : nullptr;
    const CDsSectionPlane* plane = clip.scene ? clip.scene->GetSectionPlane() : nullptr;
    if (stepped && stepped->GetGroupCount() == 0) stepped = nullptr;
    (void)item;
    if (!stepped && !plane) {
        pass();
        return;
    }
    // The clip planes are given in model coordinates of the root part: specified under the
    // camera's model-view, as the frame specifies them.
    auto specify = [&](const std::function<void()>& planes) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadMatrixd(m_modelview);
        planes();
        glPopMatrix();
    };
    if (!stepped) {
        specify([&] {
            glEnable(GL_CLIP_PLANE0);
            glClipPlane(GL_CLIP_PLANE0, plane->GetEquation());
        });
        pass();
        glDisable(GL_CLIP_PLANE0);
        return;
    }
    // A stepped section keeps the union of its areas: one pass per area with its planes on and the
    // view in its section pass, as the frame draws the items the section applies to.
    const bool sectionPass = m_view->GetFlag(eDsViewFlagSectionPass);
    m_view->SetFlag(eDsViewFlagSectionPass, true);
    for (int group = 0; group < stepped->GetGroupCount(); ++group) {
        specify([&] { stepped->EnableClipPlanes(group); });
        pass();
        stepped->DisableClipPlanes(group);
    }
    m_view->SetFlag(eDsViewFlagSectionPass, sectionPass);
}

bool CDsSinglePickFunctor::ClippedSelect(const SItem& item, int kinds, const SDsPickClip& clip)
{
    bool hit = false;
    ClippedPasses(item, clip, [&] {
        hit = DsGlSelect(item.geometry, *m_view, kinds, item.id, GetTopTransform(), &m_refresh, nullptr) || hit;
    });
    return hit;
}

bool CDsSinglePickFunctor::FeedbackPoint(const SItem& item, int kinds, const SDsPickClip& clip, SPAposition& point,
                                         bool& hidden)
{
    hidden = false;
    if (!item.geometry || !m_view || m_centres.empty()) return false;
    std::vector<SDsFeedbackPoint> drawn;
    // Kind by kind: a geometry may draw only the first of the kinds it is asked for, and the window
    // pixel kinds draw under a projection of their own.
    for (const int kind : {int(CDsGeometry::eDpFaces), int(CDsGeometry::eDpLines), int(CDsGeometry::eDpPoints),
                           int(CDsGeometry::eDpBitmaps), int(CDsGeometry::eDpTexts), int(CDsGeometry::eDpImages)}) {
        if (!(kinds & kind)) continue;
        ClippedPasses(item, clip, [&] {
            DsGlFeedbackPoints(item.geometry, *m_view, kind, item.id, GetTopTransform(), &m_refresh, m_centres, m_unitsX,
                               m_unitsY, drawn);
        });
    }
    std::sort(drawn.begin(), drawn.end());
    // The nearest the viewer sees: the selection and the feedback see through faces. A window's
    // worth are looked at (every covered pixel centre, lines a pixel apart); an item hidden at all
    // of them is taken as hidden in the window.
    constexpr size_t kLooked = 256;
    const SDsFeedbackPoint* nearest = nullptr;
    SPAposition nearestAt;
    for (size_t i = 0; i < drawn.size() && i < kLooked; ++i) {
        const SDsFeedbackPoint& candidate = drawn[i];
        double px = 0.0, py = 0.0, pz = 0.0;
        if (!gluUnProject(candidate.x, candidate.y, candidate.z, m_modelview, m_projection, m_viewport, &px, &py, &pz))
            continue;
        if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(pz)) continue;
        const SPAposition at(px, py, pz);
        // OpenGL clips under the pick's narrowed projection in single precision: far from the
        // origin a point it keeps may lie a unit or more on the side the section cuts away, where
        // the window, which clips under its own projection, draws nothing.
        if ((clip.plane || clip.scene) && clip.Hides(at)) continue;
        if (!nearest) {
            nearest = &candidate;
            nearestAt = at;
        }
        if (HiddenFromViewer(at, candidate.pixel != nullptr, candidate.pixel == nullptr)) continue;
        point = Exact(item, clip, candidate, at);
        return true;
    }
    if (!nearest) return false;
    // Seen nowhere: the nearest, hidden.
    point = Exact(item, clip, *nearest, nearestAt);
    hidden = true;
    return true;
}

SPAposition CDsSinglePickFunctor::Exact(const SItem& item, const SDsPickClip& clip, const SDsFeedbackPoint& drawn,
                                        const SPAposition& at)
{
    // OpenGL places it in single precision, which far from the origin rounds by a good part of a
    // unit: a face covering a pixel's centre is met exactly by the ray through that centre.
    if (!drawn.pixel || !m_event) return at;
    const CUiPickEvent pixel(drawn.pixel->column, drawn.pixel->row, 0, m_view, nullptr);
    const pick_ray through = get_pick_ray(pixel, 1);
    SPAposition exact;
    const double slack = 1e-3 * std::max(1.0, m_unitsPerPixel) +
                         1e-6 * std::max({1.0, std::fabs(at.x()), std::fabs(at.y()), std::fabs(at.z())});
    if (through.valid() && RayPoint(item, clip, through, exact, nullptr) &&
        (exact - at).len() < slack + 0.01 * (exact - through.root_point()).len())
        return exact;
    return at;
}

bool CDsSinglePickFunctor::InPickWindow(const SPAposition& point) const
{
    if (!m_view || !m_event) return false;
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    double x = 0.0, y = 0.0, depth = 0.0;
    if (!m_view->pick_region(left, top, right, bottom) || !m_view->world_to_drawable(point, x, y, depth)) return false;
    // A hundredth of a pixel for the rounding of the point's projection.
    constexpr double kSlack = 1e-2;
    return x >= left - kSlack && x <= right + kSlack && y >= top - kSlack && y <= bottom + kSlack;
}

bool CDsSinglePickFunctor::AnchorPoint(const SItem& item, SPAposition& point) const
{
    if (!item.geometry) return false;
    for (const CDsGeometry::eParameterPoints which : {CDsGeometry::ePpPoint, CDsGeometry::ePpStart, CDsGeometry::ePpCenter}) {
        SPAposition local;
        if (!item.geometry->GetPoint(which, local, item.id)) continue;
        point = GetTopTransform().TransformPoint(local);
        return std::isfinite(point.x()) && std::isfinite(point.y()) && std::isfinite(point.z());
    }
    return false;
}

bool CDsSinglePickFunctor::CursorOnTop(SPAposition& point) const
{
    // The centre of the cursor's pixel at the window depth of the near plane, where the window
    // draws what it draws on top of the model.
    if (m_centres.empty()) return false;
    double px = 0.0, py = 0.0, pz = 0.0;
    if (!gluUnProject(m_centres.front().x, m_centres.front().y, 0.0, m_modelview, m_projection, m_viewport, &px, &py, &pz))
        return false;
    if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(pz)) return false;
    point = SPAposition(px, py, pz);
    return true;
}

bool CDsSinglePickFunctor::InDrawnDepth(const SPAposition& point) const
{
    // Clip coordinates under the projection the window was drawn with (the pick region's narrowing
    // leaves z and w alone): in front of the eye and between the near and far planes.
    double eye[4], clip[4];
    const double p[4] = {point.x(), point.y(), point.z(), 1.0};
    for (int r = 0; r < 4; ++r)
        eye[r] = m_modelview[r] * p[0] + m_modelview[4 + r] * p[1] + m_modelview[8 + r] * p[2] + m_modelview[12 + r] * p[3];
    for (int r = 0; r < 4; ++r)
        clip[r] = m_projection[r] * eye[0] + m_projection[4 + r] * eye[1] + m_projection[8 + r] * eye[2] +
                  m_projection[12 + r] * eye[3];
    if (!(clip[3] > 0.0)) return false;
    const double slack = 1e-9 * clip[3];
    return clip[2] >= -clip[3] - slack && clip[2] <= clip[3] + slack;
}

bool CDsSinglePickFunctor::RayPoint(const SItem& item, const SDsPickClip& clip, SPAposition& point,
                                    SPAvector* normal)
{
    return RayPoint(item, clip, m_ray, point, normal);
}

bool CDsSinglePickFunctor::RayPoint(const SItem& item, const SDsPickClip& clip, const pick_ray& ray,
                                    SPAposition& point, SPAvector* normal)
{
    std::vector<SDsRayIntersection> records;
    DsRayItemFaces(item.geometry, item.id, GetTopTransform(), ray, clip, records, true);
    // The first place along the ray that the window shows: behind the eye, or beyond the near and
    // far planes, the item is not drawn.
    bool found = false;
    double best = 0.0;
    for (const SDsRayIntersection& record : records) {
        if (found && !(record.parameter < best)) continue;
        const SPAposition placed = GetTopTransform().TransformPoint(record.point);
        if (!InDrawnDepth(placed)) continue;
        found = true;
        best = record.parameter;
        point = placed;
        if (normal) {
            // Two directions along the polygon, placed, span its placed plane (a transform that
            // scales unevenly turns a normal otherwise).
            const SPAvector& n = record.normal;
            const SPAvector helper = std::fabs(n.x()) <= std::fabs(n.y()) && std::fabs(n.x()) <= std::fabs(n.z())
                                         ? SPAvector(1, 0, 0)
                                         : (std::fabs(n.y()) <= std::fabs(n.z()) ? SPAvector(0, 1, 0) : SPAvector(0, 0, 1));
            const SPAvector u = n * helper, v = n * u;
            *normal = GetTopTransform().TransformVector(u) * GetTopTransform().TransformVector(v);
        }
    }
    return found;
}

bool CDsSinglePickFunctor::HidingNear(SDsPickRect& rect) const
{
    if (m_apertureReach <= 0.0) return false;
    rect = m_hidingRect;
    return true;
}

SDsPickClip CDsSinglePickFunctor::ClipOf(const SItem& item) const
{
    return DsDrawnItemClip(m_clip, m_sections, item.geometry, *item.path);
}

bool CDsSinglePickFunctor::HiddenFromViewer(const SPAposition& point, bool ofFace, bool ofLine)
{
    if (m_drawnOnTop) return false;
    if (!m_hidingKnown) {
        m_hidingKnown = true;
        if (m_hidingSource) m_hiding = m_hidingSource();
    }
    return m_hiding.Hides(m_view, point, ofFace, ofLine);
}

bool CDsSinglePickFunctor::EdgePoint(const SItem& item, SPAposition& point)
{
    if (!m_event || !m_view || !item.geometry) return false;
    // Measured from the centre of the cursor's pixel, in drawable pixels (rows down).
    const double cx = m_event->x() + 0.5, cy = m_event->y() + 0.5;
    const CDsTransform& placement = GetTopTransform();
    // Clip coordinates of a point (root part) under the projection the window draws with: the pick
    // narrowing changes x and y only, so z and w tell the near and far planes and the depth.
    const auto clipOf = [&](const SPAposition& p, double c[4]) {
        double e[4];
        const double q[4] = {p.x(), p.y(), p.z(), 1.0};
        for (int r = 0; r < 4; ++r)
            e[r] = m_modelview[r] * q[0] + m_modelview[4 + r] * q[1] + m_modelview[8 + r] * q[2] + m_modelview[12 + r] * q[3];
        for (int r = 0; r < 4; ++r)
            c[r] = m_projection[r] * e[0] + m_projection[4 + r] * e[1] + m_projection[8 + r] * e[2] + m_projection[12 + r] * e[3];
    };
    bool found = false;
    double best = 0.0;
    int index = 0;
    for (;;) {
        float* vertices = nullptr;
        int count = 0;
        const int next = item.geometry->GetVertices(CDsGeometry::eDpLines, index, vertices, count, item.id);
        for (int i = 0; vertices && i + 1 < count; ++i) {
            SPAposition a = placement.TransformPoint(SPAposition(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]));
            SPAposition b = placement.TransformPoint(
                SPAposition(vertices[3 * i + 3], vertices[3 * i + 4], vertices[3 * i + 5]));
            // The part the window draws: cut by the near and far planes (z + w >= 0, w - z >= 0).
            double ca[4], cb[4];
            clipOf(a, ca);
            clipOf(b, cb);
            double t0 = 0.0, t1 = 1.0;
            bool kept = true;
            for (const double sign : {1.0, -1.0}) {
                const double da = ca[3] + sign * ca[2], db = cb[3] + sign * cb[2];
                if (da < 0.0 && db < 0.0) kept = false;
                else if (da < 0.0) t0 = std::max(t0, da / (da - db));
                else if (db < 0.0) t1 = std::min(t1, da / (da - db));
            }
            if (!kept || !(t0 <= t1)) continue;
            const SPAposition a0 = a + t0 * (b - a), b0 = a + t1 * (b - a);
            double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0, wa = 0.0, wb = 0.0;
            if (!m_view->world_to_drawable(a0, ax, ay, wa) || !m_view->world_to_drawable(b0, bx, by, wb)) continue;
            // The nearest point on the screen, then the model point there: in perspective the screen
            // fraction s along the segment is the model fraction s wa / ((1 - s) wb + s wa), wa and wb
            // the ends' depths, measured in double precision as their screen places are (OpenGL's
            // matrices, rounded to floats, put a segment's end at the near plane hundredths of a
            // unit off a million units out, which moves the point by pixels).
            if (!m_view->is_perspective()) wa = wb = 1.0;
            if (!(wa > 0.0) || !(wb > 0.0)) continue;
            const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            double sOnScreen = length2 > 0.0 ? ((cx - ax) * dx + (cy - ay) * dy) / length2 : 0.0;
            sOnScreen = std::max(0.0, std::min(1.0, sOnScreen));
            const double distance = std::hypot(ax + sOnScreen * dx - cx, ay + sOnScreen * dy - cy);
            if (found && !(distance < best)) continue;
            const double denominator = (1.0 - sOnScreen) * wb + sOnScreen * wa;
            const double t = denominator > 0.0 ? sOnScreen * wa / denominator : sOnScreen;
            found = true;
            best = distance;
            point = a0 + t * (b0 - a0);
        }
        if (next < 0 || next <= index) break;
        index = next;
    }
    return found;
}

bool CDsSinglePickFunctor::FacesSolid(const SItem& item) const
{
    return DsPickFaceSolid(m_renderMode, item.path ? item.path->GetRootPartId() : 0, GetTopAttributes());
}

bool CDsSinglePickFunctor::LinePoint(const SItem& item, const SDsPickClip& clip, SPAposition& point, bool& hidden)
{
    hidden = false;
    bool placed = false;
    {
        const CDsPickModelTransformScope scope(*m_view, GetTopTransform());
        if (item.geometry->Draw(*m_view, CDsGeometry::eDpLines, item.id, -1, &m_refresh) == 0) return false;
        if (EdgePoint(item, point)) {
            // Where the lines nearest to the cursor are cut away, beside the pick window, or hidden
            // there by a face the frame draws, the window may still show other parts of them: the
            // point is then where the window draws them.
            placed = !clip.Hides(point) && InDrawnDepth(point) && InPickWindow(point) && !HiddenFromViewer(point, false, true);
        }
    }
    // The point of the lines drawn in the pick window nearest to the pixel's centre (clipped as the
    // frame clips them); lines drawn there only where a section cut them away are no hit.
    return placed || FeedbackPoint(item, CDsGeometry::eDpLines, clip, point, hidden);
}

void CDsSinglePickFunctor::HitTest(const SItem& item, bool master)
{
    const int level = m_depth - 1;
    const bool accepted = m_acceptance.Accepts(item.type, *item.path,
                                               DsPickIdRangeKey(*item.path, level, m_levelIds, kLevelIds));
    const int kinds = item.geometry ? item.geometry->GetDrawPrimitives(item.id) : 0;
    if (!accepted && !(kinds & 0x44) && m_pending.empty()) return;

    SPAposition point(1e11, 1e11, 1e11);
    bool hidden = false;  // a face the frame draws hides the item wherever the pick window shows it
    bool onRay = false;  // the point is where the pick ray meets the item's faces
    SPAvector normal;    // the normal of the face met there
    int kind = CDsPickHit::eKindNone;
    // What a section cuts away is not picked, whichever road tests the faces.
    const SDsPickClip clip = ClipOf(item);
    if (item.geometry && m_view && (kinds & CDsGeometry::eDpFaces)) {
        if (!m_sectionTest) {
            // Selection tells whether the faces meet the pick window; where, the ray under the
            // cursor tells, when it meets them, else the point of what the item draws in the
            // window (its faces' pixels, its outlines' lines) nearest to the pixel's centre.
            if (ClippedSelect(item, CDsGeometry::eDpFaces, clip)) {
                if (RayPoint(item, clip, point, &normal)) {
                    kind = CDsPickHit::eKindFace;
                    onRay = true;
                } else if (FeedbackPoint(item, CDsGeometry::eDpFaces | (kinds & CDsGeometry::eDpLines), clip, point,
                                         hidden)) {
                    kind = CDsPickHit::eKindFace;
                }
            }
        } else if (RayPoint(item, clip, point, &normal)) {
            kind = CDsPickHit::eKindFace;
            onRay = true;
        }
    }
    // The partial hidden-line mode keeps the model's faces in the depth buffer, which hides a
    // figure's face behind them even where the pick ray meets it.
    if (kind == CDsPickHit::eKindFace && onRay && m_renderMode == eRenderPartialHiddenLines && FacesSolid(item) &&
        HiddenFromViewer(point, true))
        hidden = true;
    const int state = item.location ? item.location->GetState() : 0;
    const bool onTop = (kinds & CDsGeometry::eDpOnTop) || (item.location && item.location->IsOnTop());
    if (kind == CDsPickHit::eKindFace && (kinds & CDsGeometry::eDpLines) && m_view && !FacesSolid(item)) {
        // The frame draws these faces see-through, or not at all (the line modes): where the item's
        // lines show in the pick window, the window shows the item by them, and a line is solid.
        SPAposition linePoint;
        bool lineHidden = false;
        if (LinePoint(item, clip, linePoint, lineHidden) && !lineHidden) {
            kind = CDsPickHit::eKindEdge;
            point = linePoint;
            onRay = false;
            hidden = false;
        }
    }
    const int others = kinds & ~CDsGeometry::eDpFaces & CDsGeometry::eDpKindMask;
    if (kind == CDsPickHit::eKindNone && item.geometry && m_view && others) {
        // What an item draws on top of the model (a figure's lines and pixel leaves) no face hides.
        const bool wasOnTop = m_drawnOnTop;
        m_drawnOnTop = onTop;
        // A hit stands where the window shows the item: lines at their point drawn in the pick
        // window nearest to the pixel's centre (LinePoint). Markers, texts, bitmaps and images,
        // drawn in window space about a model point (whether a section removes them, their own
        // drawing, which found them, decides), stand at that point, else where their drawing comes
        // nearest; drawn on top of the model, no face hides them.
        if ((kinds & CDsGeometry::eDpLines) && LinePoint(item, clip, point, hidden)) {
            kind = CDsPickHit::eKindEdge;
        } else if (kinds & 0x71) {
            bool drawn = false;
            {
                const CDsPickModelTransformScope scope(*m_view, GetTopTransform());
                drawn = item.geometry->Draw(*m_view, static_cast<CDsGeometry::eDrawPrimitives>(kinds), item.id, -1,
                                            &m_refresh) != 0;
            }
            if (drawn) {
                kind = CDsPickHit::eKindOther;
                if (AnchorPoint(item, point))
                    hidden = !onTop && HiddenFromViewer(point);
                else if (!FeedbackPoint(item, kinds & 0x71, clip, point, hidden) && !(onTop && CursorOnTop(point)))
                    kind = CDsPickHit::eKindNone;
                if (onTop) hidden = false;
            }
        }
        m_drawnOnTop = wasOnTop;
    }
    Record(item, accepted, kind != CDsPickHit::eKindNone, kind, point, master, state, onTop, hidden,
           onRay ? &normal : nullptr);
}

void CDsSinglePickFunctor::Record(const SItem& item, bool accepted, bool hit, int kind, const SPAposition& point,
                                  bool master, int state, bool onTop, bool hidden, const SPAvector* rayNormal)
{
    const bool container = item.category != eVyrCatLeaf && item.category != eVyrCatOpenLeaf;
    if (!hit && !(accepted && container)) return;
    CDsPickHit record;
    record.path = item.path->ToVyrObjectPath();
    record.type = static_cast<unsigned char>(item.type);
    record.geometry = item.geometry;
    record.itemId = item.id;
    record.attributes = GetTopAttributes();
    record.transform = GetTopTransform();
    record.masterVisit = master;
    record.accepted = accepted;
    record.locationState = static_cast<unsigned char>(state);
    record.onTop = onTop;
    if (!hit) {
        m_pending.push_back(SPending{record, m_depth});
        return;
    }
    record.hitPoint = point;
    record.hitKind = kind;
    record.onRay = rayNormal != nullptr;
    if (rayNormal) record.normal = *rayNormal;
    record.depthLayer = static_cast<short>(kind == CDsPickHit::eKindFace ? eDsDepthLayerFull
                                                                         : DsGetDepthLayerForState(state, m_renderMode, onTop));
    record.hidden = hidden;
    // Hidden, it stands behind every hit the window shows.
    record.depth = !hidden && record.HasPoint() && m_ray.valid() ? (point - m_ray.root_point()) % m_ray.direction()
                                                                 : kFarDepth;
    if (accepted || (kind & 0x44)) m_hits.push_back(record);
    if (!m_pending.empty() &&
        (m_pending.front().hit.hitKind == CDsPickHit::eKindNone || record.depth < m_pending.front().hit.depth)) {
        for (SPending& pending : m_pending) {
            CDsPickHit& p = pending.hit;
            p.hitPoint = record.hitPoint;
            p.depth = record.depth;
            p.hitKind = record.hitKind;
            p.onRay = record.onRay;
            p.hidden = record.hidden;
            p.normal = record.normal;
            p.attributes = record.attributes;
            p.depthLayer = static_cast<short>(p.hitKind == CDsPickHit::eKindFace
                                                  ? eDsDepthLayerFull
                                                  : DsGetDepthLayerForState(p.locationState, m_renderMode, onTop));
        }
    }
}

void DsSinglePickWalk(CDsPartStorage* storage, CDsScene* scene, CDsSinglePickFunctor& functor)
{
    if (!storage || !scene) return;
    CDsSceneWalk<CDsSinglePickFunctor> walk(storage, functor, scene);
    functor.SetWalkRole(&walk);
    // A hit beside the ray stands where a face may hide it: the faces that hide are collected when
    // the first such hit needs them, from what the frame draws. Hits on the ray (a face under the
    // cursor) are what the window shows and need no such test, and a pick that has none walks no
    // more than its own walk. Walking the scene again with them would test (and draw into the
    // selection) every item twice.
    functor.SetHidingFacesSource([&] {
        CDsHidingFaces hiding;
        CDsDrawnItemsFunctor drawn(functor.GetSections(), [&](const SDsDrawnItem& item) {
            DsAddHidingFaces(item, functor.GetRenderMode(), hiding);
        });
        drawn.SetClipPlane(functor.GetClipPlane());
        SDsPickRect near;
        if (functor.HidingNear(near)) drawn.SetNear(near);
        DsDrawnItemsWalk(storage, scene, drawn);
        return hiding;
    });
    walk.TraverseWholeScene();
    functor.SetHidingFacesSource(nullptr);
    functor.SetWalkRole(nullptr);
}
