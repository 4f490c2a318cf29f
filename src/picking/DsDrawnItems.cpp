#include "DsDrawnItems.h"

#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsItemPolygonsStl.h"
#include "DsSceneWalk.h"
#include "DsSinglePickFunctor.h"

#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"

#include <algorithm>

SDsPickClip DsDrawnItemClip(const SDsPickClipPlane* plane, const CDsGlScene* sections, const CDsGeometry* geometry,
                            const CDsObjectPath& path)
{
    SDsPickClip clip;
    clip.plane = plane;
    // A figure that is not clip-able draws with the clip planes off: what it shows is not cut.
    if (sections && (!geometry || geometry->IsCutBySections()) && sections->CanItemBeClipped(path.ToVyrObjectPath()))
        clip.scene = sections;
    return clip;
}

CDsEntityGeometry::~CDsEntityGeometry() = default;

void DsAddHidingFaces(const SDsDrawnItem& item, int renderMode, CDsHidingFaces& faces)
{
    if (item.hidden || !item.geometry || !item.path) return;
    // The walk draws the item's faces in its own look: blended by its transparency in the mixed
    // mode, opaque in the hidden-line and shaded modes, not at all in the line modes; a figure's
    // (the temporary part) are drawn blended by its own transparency in every mode, so they hide
    // in the line modes too. The partial hidden-line mode draws the model's faces into the depth
    // buffer only: they hide the faces behind them, not the lines.
    const int partId = item.path->GetRootPartId();
    const bool depthOnly = renderMode == eRenderPartialHiddenLines && partId >= 0;
    const bool solid = depthOnly || DsPickFaceSolid(renderMode, partId, item.attributes);
    if (auto* shown = dynamic_cast<CDsEntityGeometry*>(item.geometry)) {
        // A body's face items are drawn in that look too (a face item's own transparency does
        // not reach the picture): every shown face hides, as in the hidden-line mode.
        CDsItemsBody* body = nullptr;
        SPAtransf after;
        if (solid && shown->GetShownBody(body, after) && body)
            faces.AddBody(body, after * item.transform.Convert2SPA(), eRenderHiddenLines, item.clip, depthOnly);
        return;
    }
    if (!(item.geometry->GetDrawPrimitives(item.id) & CDsGeometry::eDpFaces)) return;
    if (solid)
        faces.Add(item.geometry, item.id, item.transform, item.clip, depthOnly, !CDsItemPolygonsStl::IsShadedIn(renderMode));
}

CDsDrawnItemsFunctor::CDsDrawnItemsFunctor(const CDsGlScene* sections, TVisit visit)
    : m_sections(sections), m_visit(std::move(visit))
{
}

void CDsDrawnItemsFunctor::SetNear(const SDsPickRect& rect)
{
    m_near = true;
    m_rect = rect;
}

void CDsDrawnItemsFunctor::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&,
                                          const CDsItemVariant* variant)
{
    m_scene = scene;
    m_variant = variant;
    PushAttributes(variant, location, scene);
    PushTransform(variant, location, scene);
}

void CDsDrawnItemsFunctor::OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*)
{
    PopAttributes();
    PopTransform();
}

bool CDsDrawnItemsFunctor::Near(const CDsLocation* location) const
{
    if (!m_near || !location || !location->HasBoundBox() || location->Is2dBoundBoxEmpty()) return true;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!location->Get2dBoundBox(left, top, right, bottom)) return true;
    return left <= m_rect.right && right >= m_rect.left && bottom <= m_rect.top && top >= m_rect.bottom;
}

void CDsDrawnItemsFunctor::Visit(CDsGeometry* geometry, int id, const CDsObjectPath& path)
{
    if (!geometry || !m_visit) return;
    SDsDrawnItem item;
    item.geometry = geometry;
    item.id = id;
    item.path = &path;
    item.transform = GetTopTransform();
    item.attributes = GetTopAttributes();
    item.hidden = item.attributes.IsHidden();
    item.clip = DsDrawnItemClip(m_clip, m_sections, geometry, path);
    m_visit(item);
}

bool CDsDrawnItemsFunctor::VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (m_walk && m_walk->GetRole() == eDsRoleMaster) {
        // A master of a complex is visited, not entered.
        if (!m_variant || (GetTopAttributes().IsHidden() && !m_hiddenToo)) return true;
        int id = 0;
        CDsGeometry* geometry = DsPickGeometryOf(m_variant, parent, path, id);
        if (Near(location)) Visit(geometry, id, path);
        return true;
    }
    return EnterItem(location, path, m_variant, parent);
}

bool CDsDrawnItemsFunctor::OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                        const CDsItemVariant* variant)
{
    EnterItem(location, path, variant, nullptr);
    return true;
}

bool CDsDrawnItemsFunctor::EnterItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                                     const CDsItemVariant* parent)
{
    if (!variant) return false;
    if (GetTopAttributes().IsHidden() && !m_hiddenToo) return false;
    // Nothing an item far from the rectangle draws covers a point near it.
    if (!Near(location)) return false;
    int id = 0;
    CDsGeometry* geometry = DsPickGeometryOf(variant, parent, path, id);
    Visit(geometry, id, path);
    const int category = variant->GetCategory();
    if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return false;
    return !geometry || geometry->ShouldDrawChildren(-1);
}

bool CDsDrawnItemsFunctor::OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type)
{
    CDsLocation* region = location ? location->GetParent() : nullptr;
    // A region whose runs are kept gives them when it completes.
    if (region && DsIsLocationDrawableCached(region)) return false;
    if (GetTopAttributes().IsHidden() && !m_hiddenToo) return true;
    if (!DsIsLocationDrawable(m_scene, location, WalkState().m_pPalette, type)) return true;
    if (Near(location)) Visit(m_variant ? m_variant->GetGeometry() : nullptr, id, path);
    return true;
}

void CDsDrawnItemsFunctor::OnCompleteRegion(CDsScene*, CDsLocation* location, const CDsObjectPath& path,
                                            const CDsItemVariant* variant)
{
    if (!location || !variant || !DsIsLocationDrawableCached(location)) return;
    if (GetTopAttributes().IsHidden() && !m_hiddenToo) return;
    CDsGeometry* geometry = variant->GetGeometry();
    if (!geometry) return;
    const int* cache = location->GetCache();
    const int runs = cache ? std::min(cache[0], (location->GetCacheSize() - 1) / 3) : 0;
    for (int r = 0; r < runs; ++r) {
        const int first = cache[1 + 3 * r], last = cache[2 + 3 * r];
        for (int id = first; id <= last && id >= first; ++id) {
            // The leaf's path: the region's with the leaf's id (written past the walk's own ids).
            CDsObjectPath leafPath(path);
            leafPath.AdvanceItem(id);
            Visit(geometry, id, leafPath);
            if (id == last) break;
        }
    }
}

void DsDrawnItemsWalk(CDsPartStorage* storage, CDsScene* scene, CDsDrawnItemsFunctor& functor)
{
    if (!storage || !scene) return;
    CDsSceneWalk<CDsDrawnItemsFunctor> walk(storage, functor, scene);
    functor.SetWalkRole(&walk);
    walk.TraverseWholeScene();
    functor.SetWalkRole(nullptr);
}
