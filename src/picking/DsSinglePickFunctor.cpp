#include "DsSinglePickFunctor.h"

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
        if (m_collecting) {
            if (MayHide(location)) CollectHiding(item);
        } else if (Prefilter(location, geometry, id)) {
            HitTest(item, true);
        }
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
    if (m_stopAfterFirst && !m_hits.empty() && !m_collecting) return false;
    if (!DsIsLocationDrawable(m_scene, location, WalkState().m_pPalette, type)) return true;
    CDsGeometry* geometry = m_variant ? m_variant->GetGeometry() : nullptr;
    if (!geometry) return true;
    const SItem item{location, &path, type, eVyrCatLeaf, geometry, id};
    if (m_collecting) {
        if (MayHide(location)) CollectHiding(item);
    } else if (Prefilter(location, geometry, id)) {
        HitTest(item, false);
    }
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
            if (m_stopAfterFirst && !m_hits.empty() && !m_collecting) return;
            // The leaf's path: the region's with the leaf's id (written past the walk's own ids).
            CDsObjectPath leafPath(path);
            leafPath.AdvanceItem(id);
            const SItem item{nullptr, &leafPath, key & 0xFF, eVyrCatLeaf, geometry, id};
            if (m_collecting)
                CollectHiding(item);
            else
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

bool CDsSinglePickFunctor::MayHide(const CDsLocation* location) const
{
    if (m_apertureReach <= 0.0 || !location || !location->HasBoundBox() || location->Is2dBoundBoxEmpty()) return true;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!location->Get2dBoundBox(left, top, right, bottom)) return true;
    return left <= m_hidingRect.right && right >= m_hidingRect.left && bottom <= m_hidingRect.top &&
           top >= m_hidingRect.bottom;
}

bool CDsSinglePickFunctor::EnterItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                                     const CDsItemVariant* parent)
{
    if (!variant) return false;
    if (m_stopAfterFirst && !m_hits.empty() && !m_collecting) return false;
    int id = 0;
    CDsGeometry* geometry = DsPickGeometryOf(variant, parent, path, id);
    if (GetTopAttributes().IsHidden()) return false;
    const int category = variant->GetCategory();
    const SItem item{location, &path, variant->GetType(), category, geometry, id};
    if (m_collecting) {
        // Every shown item that may cover a point a hit is answered at, though off the pick window.
        if (!MayHide(location)) return false;
        CollectHiding(item);
        if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return false;
        return !geometry || geometry->ShouldDrawChildren(-1);
    }
    if (!Prefilter(location, geometry, id)) return false;
    HitTest(item, false);
    if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return false;
    if (!geometry) return true;
    if (!geometry->ShouldDrawChildren(-1)) return false;
    const double size = geometry->GetDetailSize();
    if (size != 0.0 && m_unitsPerPixel > 0.0 && size / m_unitsPerPixel < kSmallestContainer) return false;
    return true;
}

bool CDsSinglePickFunctor::ClippedSelect(const SItem& item, int kinds, const SDsPickClip& clip, double& depth)
{
    const CDsComplexSection* stepped = clip.scene ? clip.scene->GetComplexSection() : nullptr;
    const CDsSectionPlane* plane = clip.scene ? clip.scene->GetSectionPlane() : nullptr;
    if (stepped && stepped->GetGroupCount() == 0) stepped = nullptr;
    if (!stepped && !plane)
        return DsGlSelect(item.geometry, *m_view, kinds, item.id, GetTopTransform(), &m_refresh, &depth);
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
        const bool hit = DsGlSelect(item.geometry, *m_view, kinds, item.id, GetTopTransform(), &m_refresh, &depth);
        glDisable(GL_CLIP_PLANE0);
        return hit;
    }
    // A stepped section keeps the union of its areas: one selection per area with its planes on
    // and the view in its section pass, as the frame draws the items the section applies to.
    bool hit = false;
    const bool pass = m_view->GetFlag(eDsViewFlagSectionPass);
    m_view->SetFlag(eDsViewFlagSectionPass, true);
    for (int group = 0; group < stepped->GetGroupCount(); ++group) {
        specify([&] { stepped->EnableClipPlanes(group); });
        double nearest = 1.0;
        if (DsGlSelect(item.geometry, *m_view, kinds, item.id, GetTopTransform(), &m_refresh, &nearest)) {
            depth = hit ? std::min(depth, nearest) : nearest;
            hit = true;
        }
        stepped->DisableClipPlanes(group);
    }
    m_view->SetFlag(eDsViewFlagSectionPass, pass);
    return hit;
}

bool CDsSinglePickFunctor::SelectionPoint(const SItem& item, int kinds, const SDsPickClip& clip, SPAposition& point)
{
    if (!item.geometry || !m_view) return false;
    double depth = 1.0;
    if (!ClippedSelect(item, kinds, clip, depth)) return false;
    // The pick region fills the viewport under the pick projection: its centre is the pick
    // window's centre, which lies on a corner of the cursor's pixel.
    const double x = m_viewport[0] + m_viewport[2] * 0.5, y = m_viewport[1] + m_viewport[3] * 0.5;
    double px = 0.0, py = 0.0, pz = 0.0;
    if (!gluUnProject(x, y, depth, m_modelview, m_projection, m_viewport, &px, &py, &pz)) return true;
    if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(pz)) return true;
    point = SPAposition(px, py, pz);
    // The records' depth where the pick ray, through the pixel's centre, reaches it: a window
    // depth is a plane across the view direction.
    if (m_view && m_ray.valid()) {
        const SPAunit_vector across = m_view->get_direction();
        const double along = m_ray.direction() % across;
        if (std::fabs(along) > 1e-12) point = m_ray.root_point() + (((point - m_ray.root_point()) % across) / along) * m_ray.direction();
    }
    return true;
}

bool CDsSinglePickFunctor::RayPoint(const SItem& item, const SDsPickClip& clip, SPAposition& point)
{
    std::vector<SDsRayIntersection> records;
    DsRayItemFaces(m_view, item.geometry, item.id, GetTopTransform(), m_ray, clip, records, true);
    if (records.empty()) return false;
    const auto nearest = std::min_element(records.begin(), records.end(),
                                          [](const SDsRayIntersection& a, const SDsRayIntersection& b) {
                                              return std::fabs(a.parameter) < std::fabs(b.parameter);
                                          });
    point = GetTopTransform().TransformPoint(nearest->point);
    return true;
}

bool CDsSinglePickFunctor::NearestPoint(const SItem& item, const SDsPickClip& clip, SPAposition& point)
{
    // In a parallel view the pick window keeps within its half diagonal (from the pixel's centre,
    // a pixel more for safety) of the ray: the faces it caught come that near. Model units of the
    // item only where the item is not placed otherwise.
    double reach = HUGE_VAL;
    if (m_apertureReach > 0.0 && GetTopTransform().IsIdentity() && m_unitsPerPixel > 0.0)
        reach = m_apertureReach * m_unitsPerPixel;
    SPAposition nearest;
    if (!DsNearestItemFacePoint(item.geometry, item.id, GetTopTransform(), m_ray, clip, nearest, reach)) return false;
    point = GetTopTransform().TransformPoint(nearest);
    return true;
}

bool CDsSinglePickFunctor::FacesHide() const
{
    // The ray road ranks its hits by where the ray meets them and asks no point whether it is hidden.
    if (m_sectionTest) return false;
    return m_renderMode == eRenderHiddenLines || m_renderMode == eRenderShade || m_renderMode == eRenderMixed;
}

SDsPickClip CDsSinglePickFunctor::ClipOf(const SItem& item) const
{
    SDsPickClip clip;
    clip.plane = m_clip;
    if (m_sections && m_sections->CanItemBeClipped(item.path->ToVyrObjectPath())) clip.scene = m_sections;
    return clip;
}

void CDsSinglePickFunctor::CollectHiding(const SItem& item)
{
    if (!item.geometry || !(item.geometry->GetDrawPrimitives(item.id) & CDsGeometry::eDpFaces)) return;
    // Faces hide where a hit on them would count opaque.
    const int transparency = DsPickFaceTransparency(m_renderMode, item.path->GetRootPartId(), GetTopAttributes());
    if (static_cast<double>(transparency) < kDsPickOpaqueTransparency) return;
    m_hiding.Add(item.geometry, item.id, GetTopTransform(), ClipOf(item));
}

bool CDsSinglePickFunctor::HiddenFromViewer(const SPAposition& point) const
{
    return m_hiding.Hides(m_view, point);
}

bool CDsSinglePickFunctor::EdgePoint(const SItem& item, SPAposition& point)
{
    if (!m_event || !m_view) return false;
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    bool found = false;
    float best = 0.0f;
    std::vector<CGmPosition> positions;
    int index = 0;
    for (;;) {
        float* vertices = nullptr;
        int count = 0;
        const int next = item.geometry->GetVertices(CDsGeometry::eDpLines, index, vertices, count, item.id);
        if (vertices && count >= 2) {
            positions.resize(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i) positions[static_cast<size_t>(i)] = CGmPosition(vertices + 3 * i);
            std::unique_ptr<CGmPosition> near(computer->FindPositionOnCurveByPick(*m_event, positions.data(), count));
            float x = 0.0f, y = 0.0f;
            if (near && computer->ProjectPositionOnView(*near, m_view, x, y)) {
                const float dx = x - static_cast<float>(m_event->x()), dy = y - static_cast<float>(m_event->y());
                const float distance = dx * dx + dy * dy;
                if (!found || distance < best) {
                    found = true;
                    best = distance;
                    point = *near;
                }
            }
        }
        if (next < 0 || next <= index) break;
        index = next;
    }
    return found;
}

void CDsSinglePickFunctor::HitTest(const SItem& item, bool master)
{
    const int level = m_depth - 1;
    const bool accepted = m_acceptance.Accepts(item.type, *item.path,
                                               DsPickIdRangeKey(*item.path, level, m_levelIds, kLevelIds));
    const int kinds = item.geometry ? item.geometry->GetDrawPrimitives(item.id) : 0;
    if (!accepted && !(kinds & 0x44) && m_pending.empty()) return;

    SPAposition point(1e11, 1e11, 1e11);
    double depth = 0.0;  // the hit's depth along the ray, when not that of `point`
    bool depthGiven = false;
    int kind = CDsPickHit::eKindNone;
    // What a section cuts away is not picked, whichever road tests the faces.
    const SDsPickClip clip = ClipOf(item);
    if (item.geometry && m_view && (kinds & CDsGeometry::eDpFaces)) {
        if (!m_sectionTest) {
            // Selection tells whether the faces meet the pick window; where, the ray under the
            // cursor tells, when it meets them (the window's nearest depth may lie elsewhere, in
            // front of the faces), else the faces' point nearest to the ray.
            if (SelectionPoint(item, CDsGeometry::eDpFaces, clip, point)) {
                kind = CDsPickHit::eKindFace;
                if (!RayPoint(item, clip, point)) {
                    // The faces stand in depth where the selection met them in the pick window;
                    // their point nearest to the ray, their position, may lie well outside the
                    // window, in front of what the cursor shows. The selection sees through
                    // faces, though, and its nearest depth may come from a part of the window
                    // where other faces lie nearer still: when a shown face hides the point
                    // nearest to the ray, the window met these faces behind what it shows, and
                    // they stand behind every hit.
                    const bool met = !(point.x() == 1e11 && point.y() == 1e11 && point.z() == 1e11);
                    depthGiven = true;
                    depth = met && m_ray.valid() ? (point - m_ray.root_point()) % m_ray.direction() : kFarDepth;
                    if (NearestPoint(item, clip, point)) {
                        if (HiddenFromViewer(point)) {
                            depth = kFarDepth;
                        } else if (m_ray.valid()) {
                            // Where the faces come nearest in the window may lie in front of the
                            // point the hit answers (a face seen edge-on comes nearest where a
                            // section cuts it): the hit stands no nearer than its point.
                            depth = std::max(depth, (point - m_ray.root_point()) % m_ray.direction());
                        }
                    }
                }
            }
        } else if (RayPoint(item, clip, point)) {
            kind = CDsPickHit::eKindFace;
        }
    }
    const int others = kinds & ~CDsGeometry::eDpFaces & CDsGeometry::eDpKindMask;
    if (kind == CDsPickHit::eKindNone && item.geometry && m_view && others) {
        bool edge = false;
        {
            const CDsPickModelTransformScope placed(*m_view, GetTopTransform());
            if ((kinds & CDsGeometry::eDpLines) &&
                item.geometry->Draw(*m_view, CDsGeometry::eDpLines, item.id, -1, &m_refresh) != 0) {
                edge = true;
                SPAposition local;
                if (EdgePoint(item, local)) {
                    point = GetTopTransform().TransformPoint(local);
                    if (clip.Hides(point)) edge = false;
                }
            }
            if (edge) {
                kind = CDsPickHit::eKindEdge;
            } else if ((kinds & 0x71) &&
                       item.geometry->Draw(*m_view, static_cast<CDsGeometry::eDrawPrimitives>(kinds), item.id, -1,
                                           &m_refresh) != 0) {
                kind = CDsPickHit::eKindOther;
            }
        }
        if (kind != CDsPickHit::eKindNone && point.x() == 1e11 && point.y() == 1e11 && point.z() == 1e11) {
            const int selected = kind == CDsPickHit::eKindEdge ? CDsGeometry::eDpLines : (kinds & 0x71);
            if (!SelectionPoint(item, selected, clip, point) && kind == CDsPickHit::eKindEdge && clip.scene) {
                // Lines that the selection meets only where the section cut them away are not there.
                double depth = 1.0;
                if (DsGlSelect(item.geometry, *m_view, selected, item.id, GetTopTransform(), &m_refresh, &depth))
                    kind = CDsPickHit::eKindNone;
            }
        }
    }
    const int state = item.location ? item.location->GetState() : 0;
    const bool onTop = (kinds & CDsGeometry::eDpOnTop) || (item.location && item.location->IsOnTop());
    Record(item, accepted, kind != CDsPickHit::eKindNone, kind, point, master, state, onTop,
           depthGiven ? &depth : nullptr);
}

void CDsSinglePickFunctor::Record(const SItem& item, bool accepted, bool hit, int kind, const SPAposition& point,
                                  bool master, int state, bool onTop, const double* depth)
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
    record.depthLayer = static_cast<short>(kind == CDsPickHit::eKindFace ? eDsDepthLayerFull
                                                                         : DsGetDepthLayerForState(state, m_renderMode, onTop));
    if (depth)
        record.depth = *depth;
    else
        record.depth = record.HasPoint() && m_ray.valid() ? (point - m_ray.root_point()) % m_ray.direction() : kFarDepth;
    if (accepted || (kind & 0x44)) m_hits.push_back(record);
    if (!m_pending.empty() &&
        (m_pending.front().hit.hitKind == CDsPickHit::eKindNone || record.depth < m_pending.front().hit.depth)) {
        for (SPending& pending : m_pending) {
            CDsPickHit& p = pending.hit;
            p.hitPoint = record.hitPoint;
            p.depth = record.depth;
            p.hitKind = record.hitKind;
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
    if (functor.FacesHide()) {
        // The faces that hide come first: a hit's point is tested against every one of them.
        functor.CollectHidingFaces(true);
        walk.TraverseWholeScene();
        functor.CollectHidingFaces(false);
    }
    walk.TraverseWholeScene();
    functor.SetWalkRole(nullptr);
}
