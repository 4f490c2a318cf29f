// The draw walk functor's operations (included by DsGlTraverseFunctor.h).
#pragma once

#include "DsBox.h"
#include "DsGlScene.h"
#include "DsStylePalette.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "rgb_color.h"
#include "view3d.h"

#include <cmath>

template <class P>
CDsGlTraverseFunctorT<P>::CDsGlTraverseFunctorT(view3d* view, const SDsDrawOptions& options, SDsDrawSetup& setup,
                                                int walkFlags, int complexPassMode, bool useLocationCache,
                                                CDsDrawContext* record)
    : m_options(options), m_setup(setup), m_view(view), m_complexPassMode(complexPassMode), m_walkFlags(walkFlags),
      m_drawContext(record), m_useLocationCache(useLocationCache), m_cdcView(dynamic_cast<CDsView3dCdc*>(view))
{
    m_stateOverrides.reserve(1000);
    m_transparentMasterIds.reserve(1000);
    m_levelFlags.reserve(kMaxDepth);
    // The types that draw through the view's driver (plot, extrema) or not at all send nothing to
    // OpenGL, not even the state cache's starting values. The reset sends black and an empty
    // material, so the set-up's memo of the attributes last applied no longer holds: a set-up
    // shared by several functors (one per decorated path) would otherwise skip sending the next
    // item's attributes when they equal the last ones, and draw it black.
    if (P::kTarget == EDsDrawTarget::Gl) {
        m_glState.Reset();
        m_setup.ResetMemo();
    }
    if (!m_drawContext) {
        m_ownedContext = std::make_unique<CDsDrawContext>(view, DsAutoHideForFastRefreshEnabled(), 0.05);
        m_drawContext = m_ownedContext.get();
    }
    PushTransform(CDsTransform());
}

template <class P>
CDsGlTraverseFunctorT<P>::~CDsGlTraverseFunctorT()
{
    HandBackGlState();
}

template <class P>
void CDsGlTraverseFunctorT<P>::HandBackGlState()
{
    if (P::kTarget != EDsDrawTarget::Gl) return;
    DsGlSetEnabled(GL_POLYGON_OFFSET_FILL, false);
    DsGlSetEnabled(GL_POLYGON_OFFSET_LINE, false);
    DsGlSetEnabled(GL_LINE_STIPPLE, false);
    m_glState.SetPolygonOffset(0.0f, 0.0f);
    m_glState.SetDepthRange(0.0f, 1.0f);
}

template <class P>
void CDsGlTraverseFunctorT<P>::PrepareForFrame(CDsScene* scene, view3d* viewForBoxes, const int viewport[4])
{
    m_viewForBoxes = viewForBoxes;
    m_viewScale = viewForBoxes ? static_cast<float>(viewForBoxes->get_units_per_pixel()) : 0.0f;
    for (int i = 0; i < 4; ++i) m_viewport[i] = viewport ? viewport[i] : 0;
    if (!scene) return;
    const CDsBox box(scene->GetBoundsBox());
    m_autoHideThreshold = DsFrahFrameThreshold(viewForBoxes, *m_drawContext, box);
    if (CDsView3dCdc* cdc = dynamic_cast<CDsView3dCdc*>(viewForBoxes))
        cdc->SetMaxDiagonalSizeForFastRefresh(m_autoHideThreshold);
    int rect[4];
    m_sceneMostlyOffscreen = viewport && DsProjectBoxToWindow(viewForBoxes, box.GetMin(), box.GetMax(), rect) &&
                             DsIsSceneMostlyOffscreen(rect, m_viewport);
}

template <class P>
CDsGeometry* CDsGlTraverseFunctorT<P>::GeometryOf(const CDsItemVariant* variant, const CDsItemVariant* parent,
                                                  const CDsObjectPath& path, int& id)
{
    id = 0;
    if (variant && variant->GetGeometry()) return variant->GetGeometry();
    if (parent && parent->GetCategory() == eVyrCatRegion && parent->GetGeometry()) {
        id = path.GetLastId();
        return parent->GetGeometry();
    }
    return nullptr;
}

template <class P>
int CDsGlTraverseFunctorT<P>::SlaveState(const CDsItemVariant* variant, int state) const
{
    const CDsGeometry* geometry = variant ? variant->GetGeometry() : nullptr;
    if (!geometry) return state;
    unsigned count = 0;
    const int* ids = geometry->GetConnectedItems(count, 0);
    if (!ids || count == 0) return state;
    for (const auto& entry : m_stateOverrides) {
        for (unsigned i = 0; i < count; ++i) {
            if (ids[i] == entry.first) return entry.second == eAttribSetMark ? static_cast<int>(eAttribSetMarkedSlave) : static_cast<int>(entry.second);
        }
    }
    for (int master : m_transparentMasterIds) {
        for (unsigned i = 0; i < count; ++i) {
            if (ids[i] == master) return eAttribSetTransparentSlave;
        }
    }
    return state;
}

template <class P>
void CDsGlTraverseFunctorT<P>::EnterItem(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                                         const CDsItemVariant* variant)
{
    m_variant = variant;
    m_scene = scene;
    bool cached = false;
    unsigned char flags = 0;
    if (m_useLocationCache) {
        if (m_attributesValid < 0) m_attributesValid = scene && scene->IsAttributesValid() ? 1 : 0;
        if (m_attributesValid == 1 && location && location->IsCachedDataValid()) {
            location->GetCachedData(m_itemAttributes, m_itemState);
            // The stacked attributes and state are read only by the items below this one (its own
            // drawing takes the cached ones): a drawing walk pushes none for an item that has no
            // children (categories 0 to 2 are plain groups; regions, complexes and part instances
            // are never skipped).
            const int category = variant ? variant->GetCategory() : eVyrCatRegion;
            if (P::kTarget == EDsDrawTarget::Gl && category <= eVyrCatGeometry &&
                variant->AsGroup()->GetChildCount() == 0)
                flags |= kNoAttributes;
            else
                PushAttributes(variant, location, scene);
            cached = true;
        }
    }
    if (!cached) {
        int state;
        const int own = location ? location->GetState() : 0;
        if (m_entryState != eAttribSetFromLocation) {
            state = m_entryState;
        } else if (DsIsSpecialLocationState(own) || own == eAttribSetTransparentSlave) {
            state = own;
        } else {
            const int top = GetTopLocationState();
            state = DsIsSpecialLocationState(top) ? top : own;
        }
        if (m_complexPhase == 2 && !DsIsSpecialLocationState(state) && !(location && location->UseOrgAttrs()) &&
            (!m_stateOverrides.empty() || !m_transparentMasterIds.empty()))
            state = SlaveState(variant, state);

        if (location && state != eAttribSetFromLocation && state != own)
            location->SetState(static_cast<unsigned char>(state));
        PushAttributes(variant, location, scene);

        // What the location caches: its state word and attributes as the scene database gives
        // them, which the database's attribute generation covers.
        m_itemState = state & 0xFF;
        if (location && location->IsOnTop()) m_itemState |= 0x100;
        if (location && location->UseOrgAttrs()) m_itemState |= 0x200;
        m_itemAttributes = GetTopAttributes();
        if (m_useLocationCache && location) location->SetCachedData(m_itemAttributes, m_itemState);
        if (location && location->GetState() != own) location->SetState(static_cast<unsigned char>(own));
    }

    // What the pass makes of them is worked out at every visit, never cached: it follows the
    // pass's options (document flag 1's white faces, opaque faces, the slaves' style) and the
    // primitives the geometry draws now (a copy hidden on its own item draws no faces, and draws
    // them again when shown on it), neither of which the database's generation follows. A
    // location the walk passed while either differed would otherwise keep the old draw data.
    const CDsGeometry* geometry = variant ? variant->GetGeometry() : nullptr;
    const int mask = geometry ? geometry->GetDrawPrimitives(0) : 0;
    if (mask & CDsGeometry::eDpOnTop) m_itemState |= 0x100;
    if (mask & CDsGeometry::eDpOffset) m_itemState |= 0x400;
    const bool slave = m_complexPhase == 2 && !(m_itemState & 0x200);
    const bool single = slave && m_options.singleSlaveSpecial && DsIsSingleSlave(geometry);
    if (P::kOverrideFaces)
        DsOverrideDrawAttributes(m_itemAttributes, m_options, m_itemState, mask, slave, single);
    else if (slave)
        DsApplySlaveStyle(m_itemAttributes, m_options, m_itemState & 0xFF, single);

    // A master is recorded for its slaves at every visit, its draw data cached or not: a slave
    // whose own cache went (or that a fast frame skipped while the master was cached anew) works
    // its state out from these records.
    if (m_complexPhase == 1) {
        const int state = m_itemState & 0xFF;
        if (DsIsMasterOverrideState(state))
            m_stateOverrides.emplace_back(path.GetLastId(), static_cast<unsigned char>(state));
        else if (m_itemAttributes.GetTransparency() == 0)
            m_transparentMasterIds.push_back(path.GetLastId());
    }

    // Transforms: the location's or the item's own, then a transformed item's geometry's own.
    // A leaf is placed only by its location's transform id: without one there is nothing to ask.
    const int category = variant ? variant->GetCategory() : eVyrCatLeaf;
    const bool placed = (location && location->GetTransformId() != 0) ||
                        (category != eVyrCatLeaf && category != eVyrCatOpenLeaf);
    if (const CDsTransform* transform = placed ? DsGetItemTransform(scene, location, variant) : nullptr) {
        PushTransform(variant, location, scene);
        if (P::kTarget == EDsDrawTarget::Gl) {
            if (!gDsGl.IsEnabled(GL_NORMALIZE)) gDsGl.Enable(GL_NORMALIZE);
            gDsGl.MatrixMode(GL_MODELVIEW);
            gDsGl.PushMatrix();
            gDsGl.MultMatrixf(transform->GetMatrix());
        }
        m_drawContext->reflection = GetTopTransform().IsReflection();
        flags |= kOwnTransform;
    }
    if (category == eVyrCatTransformed && variant->GetGeometry()) {
        SPAtransf local;
        if (variant->GetGeometry()->GetLocalTransform(local)) {
            const CDsTransform transform(local);
            if (P::kTarget == EDsDrawTarget::Gl) {
                if (!gDsGl.IsEnabled(GL_NORMALIZE)) gDsGl.Enable(GL_NORMALIZE);
                gDsGl.MatrixMode(GL_MODELVIEW);
                gDsGl.PushMatrix();
                gDsGl.MultMatrixf(transform.GetMatrix());
            } else {
                // Drawing through the view has only the walk's stack to place the geometry.
                PushTransform(transform);
            }
            flags |= kLocalTransform;
        }
    }
    m_levelFlags.push_back(flags);
}

template <class P>
void CDsGlTraverseFunctorT<P>::LeaveItem(CDsScene*, CDsLocation*, const CDsItemVariant*)
{
    unsigned char flags = 0;
    if (!m_levelFlags.empty()) {
        flags = m_levelFlags.back();
        m_levelFlags.pop_back();
    }
    if (flags & kLocalTransform) {
        if (P::kTarget == EDsDrawTarget::Gl) {
            gDsGl.MatrixMode(GL_MODELVIEW);
            gDsGl.PopMatrix();
        } else {
            PopTransform();
        }
    }
    if (flags & kOwnTransform) {
        if (P::kTarget == EDsDrawTarget::Gl) {
            gDsGl.MatrixMode(GL_MODELVIEW);
            gDsGl.PopMatrix();
        }
        PopTransform();
        m_drawContext->reflection = GetTopTransform().IsReflection();
    }
    if (!(flags & kNoAttributes)) PopAttributes();
}

template <class P>
bool CDsGlTraverseFunctorT<P>::DrawItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (m_itemAttributes.IsHidden()) return false;
    if (P::kCulling) {
        bool keep = m_autoHideThreshold == 0.0f || CullByBox3D(m_variant, parent, location, path);
        if (keep && m_sceneMostlyOffscreen && location) keep = CullByBox2D(location, m_variant);
        if (!keep) return false;
    }
    return DrawLeaf(path, m_variant, parent);
}

template <class P>
bool CDsGlTraverseFunctorT<P>::CullByBox3D(const CDsItemVariant* variant, const CDsItemVariant* parent,
                                           const CDsLocation* location, const CDsObjectPath& path) const
{
    int id = 0;
    const CDsGeometry* geometry = GeometryOf(variant, parent, path, id);
    const int kinds = geometry ? geometry->GetDrawPrimitives(id) & CDsGeometry::eDpKindMask : 0;
    const int category = variant ? variant->GetCategory() : eVyrCatLeaf;
    const bool leaf = category == eVyrCatLeaf || category == eVyrCatOpenLeaf;
    constexpr int kScreenKinds =
        CDsGeometry::eDpPoints | CDsGeometry::eDpBitmaps | CDsGeometry::eDpTexts | CDsGeometry::eDpImages;
    if (kinds != 0 && (kinds & ~kScreenKinds) == 0) return true;
    if (kinds == 0 && leaf) return true;
    if (!(m_viewScale > 0.0f)) return true;
    double size = -1.0;
    float b[6];
    if (location && location->HasBoundBox() && !location->IsBoundBoxEmpty() &&
        location->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5])) {
        const double dx = b[3] - b[0], dy = b[4] - b[1], dz = b[5] - b[2];
        size = std::sqrt(dx * dx + dy * dy + dz * dz);
    } else if (geometry) {
        size = geometry->GetSize();
        const double scaling = GetTopTransform().Scaling();
        if (scaling > 0.0) size *= scaling;
    }
    if (size >= 0.0 && size / m_viewScale < m_autoHideThreshold) return false;
    if (!leaf && geometry) {
        const double detail = geometry->GetDetailSize();
        if (detail != 0.0 && detail / m_viewScale < m_autoHideThreshold) return false;
    }
    return true;
}

template <class P>
bool CDsGlTraverseFunctorT<P>::CullByBox2D(const CDsLocation* location, const CDsItemVariant* variant) const
{
    if (!location || !location->HasBoundBox()) return true;
    int rect[4];
    bool set = false;
    if (!m_drawContext->fastRefresh) {
        set = !location->Is2dBoundBoxEmpty() && location->Get2dBoundBox(rect[0], rect[1], rect[2], rect[3]);
    } else {
        const int category = variant ? variant->GetCategory() : eVyrCatLeaf;
        float b[6];
        if (category != eVyrCatLeaf && category != eVyrCatOpenLeaf && !location->IsBoundBoxEmpty() &&
            location->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5]))
            set = DsProjectBoxToWindow(m_viewForBoxes, b, b + 3, rect);
    }
    return !set || !DsIsRectOutside(rect, m_viewport);
}

template <class P>
bool CDsGlTraverseFunctorT<P>::Accept(const CDsAttributes& attributes, int kind, const CDsGeometry* geometry,
                                      int id) const
{
    switch (P::kFilter) {
    case EDsKindFilter::Opaque:
        return DsAcceptInOpaquePass(attributes, m_silhouetteFlag, kind);
    case EDsKindFilter::Transparent:
        return DsAcceptInTransparentPass(attributes, kind);
    case EDsKindFilter::UntaggedFaces:
        return kind != CDsGeometry::eDpFaces || DsIsUntaggedGeometry(geometry, id);
    default:
        return true;
    }
}

template <class P>
bool CDsGlTraverseFunctorT<P>::DrawLeaf(const CDsObjectPath& path, const CDsItemVariant* variant,
                                        const CDsItemVariant* parent)
{
    int id = 0;
    CDsGeometry* geometry = GeometryOf(variant, parent, path, id);
    if (!geometry) return true;
    const int state =
        m_useLocationCache && m_attributesValid == 1 ? (m_itemState & 0xFF) : GetTopLocationState();
    if ((state == eAttribSetHighlight || state == eAttribSetHighlightMarked) && !geometry->IsAlwaysDrawn())
        return false;
    const int mask = geometry->GetDrawPrimitives(id);
    const int common = mask & m_walkFlags;
    if (common & CDsGeometry::eDpKindMask) {
        if (m_cdcView) m_cdcView->SetLocationState(static_cast<EAttribSetIndex>(state));
        for (int kinds = common & CDsGeometry::eDpKindMask; kinds != 0; kinds &= kinds - 1) {
            const int kind = kinds & -kinds;  // the lowest kind left
            if (kind == CDsGeometry::eDpSilhouettes && !(common & CDsGeometry::eDpSilhouetteLevelMask)) continue;
            if (!Accept(m_itemAttributes, kind, geometry, id)) continue;
            ApplyAttributes(m_itemAttributes, m_itemState, kind);
            DrawGeometry(geometry, kind, id, -1);
        }
        if (m_cdcView) m_cdcView->SetLocationState(eAttribSetNormal);
    }
    const int category = variant ? variant->GetCategory() : eVyrCatLeaf;
    if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return true;
    return geometry->ShouldDrawChildren(m_walkFlags);
}

template <class P>
void CDsGlTraverseFunctorT<P>::ApplyAttributes(const CDsAttributes& attributes, int stateWord, int kind)
{
    if (!P::kApplyAttributes) return;
    if (stateWord == m_setup.lastStateWord && kind == m_setup.lastKind &&
        DsSameAttributes(attributes, m_setup.lastAttributes))
        return;
    m_setup.lastStateWord = stateWord;
    m_setup.lastKind = kind;
    m_setup.lastAttributes = attributes;

    CDsAttributes style(attributes);
    int offset = 0;
    const int layer = DsDecodeDrawStyle(kind, stateWord, m_options.flags.depthMode, style, offset);
    if (kind == CDsGeometry::eDpSilhouettes) DsApplySlaveStyle(style, m_options, stateWord & 0xFF, false);
    if (P::kLighten) DsLightenColor(kind, style, m_options.flags.lighten);
    if (P::kTarget != EDsDrawTarget::Gl) {
        ApplyToView(style, kind);
        return;
    }
    m_glState.SetDepthLayer(layer);
    // The scene's programs light faces when the set-up says so, and are off for every other kind.
    if (m_setup.scene && m_setup.scene->AllowsShaders())
        m_setup.scene->EnableShaders(m_setup.shaderLighting && kind == CDsGeometry::eDpFaces);
    const bool lit = m_setup.lighting && kind == CDsGeometry::eDpFaces;
    DsGlSetEnabled(GL_LIGHTING, lit);
    switch (kind) {
    case CDsGeometry::eDpPoints:
    case CDsGeometry::eDpLines:
    case CDsGeometry::eDpSilhouettes: {
        m_glState.SetColor(style.GetColor());
        m_glState.SetLineWidth(style.GetLineWidth());
        uint16_t pattern = 0xFFFF;
        int factor = 1;
        if (style.GetLineStyle() != 0 && m_setup.styles && m_setup.styles->GetStyle(style.GetLineStyle(), pattern, factor)) {
            DsGlSetEnabled(GL_LINE_STIPPLE, true);
            m_glState.SetLineStipple(factor, pattern);
        } else {
            DsGlSetEnabled(GL_LINE_STIPPLE, false);
        }
        break;
    }
    case CDsGeometry::eDpFaces: {
        m_glState.SetPolygonModeFill();
        DsGlSetEnabled(GL_POLYGON_OFFSET_FILL, true);
        const float units = P::kFixedFaceOffset ? 2.0f : static_cast<float>(offset) + 1.0f;
        m_glState.SetPolygonOffset(units, units);
        if (!lit)
            m_glState.SetColor(style.GetColor());
        else
            DsSetGlMaterialIfChanged(&m_glState, style.GetColor(), style.GetTransparency(), m_setup.material,
                                     m_setup.documentFlag1 ? 0 : 1);
        break;
    }
    case CDsGeometry::eDpBitmaps:
    case CDsGeometry::eDpTexts:
        m_glState.SetColor(style.GetColor());
        DsGlSetEnabled(GL_LINE_STIPPLE, false);
        break;
    case CDsGeometry::eDpImages:
        DsGlSetEnabled(GL_POLYGON_OFFSET_FILL, false);
        break;
    default:
        break;
    }
}

template <class P>
void CDsGlTraverseFunctorT<P>::ApplyToView(const CDsAttributes& attributes, int)
{
    if (!m_view) return;
    rgb_color color;
    color.set_windows_color(attributes.GetColor());
    m_view->set_foreground_rgb(color);
    m_view->set_line_width(attributes.GetLineWidth());
    m_view->set_line_style(static_cast<line_style>(attributes.GetLineStyle()));
}

template <class P>
void CDsGlTraverseFunctorT<P>::DrawGeometry(CDsGeometry* geometry, int kind, int first, int last)
{
    if (P::kTarget == EDsDrawTarget::Nothing || !geometry || !m_view) return;
    const auto kinds = static_cast<CDsGeometry::eDrawPrimitives>(kind);
    if (P::kTarget == EDsDrawTarget::ViewDriver) {
        DsEnableViewModelTransform(m_view, GetTopTransform());
        geometry->Draw(*m_view, kinds, first, last, m_drawContext);
        m_view->ClearModelTransform();
    } else {
        constexpr int kPixelKinds = CDsGeometry::eDpPoints | CDsGeometry::eDpBitmaps | CDsGeometry::eDpTexts;
        const bool pixel = (kind & kPixelKinds) && DsSetPixelProjection(m_view, kind);
        const bool model = kind == CDsGeometry::eDpPoints || kind == CDsGeometry::eDpSilhouettes ||
                           kind == CDsGeometry::eDpBitmaps || kind == CDsGeometry::eDpTexts;
        if (model) DsEnableViewModelTransform(m_view, GetTopTransform());
        geometry->DrawGl(*m_view, kinds, first, last, m_drawContext);
        if (model) m_view->ClearModelTransform();
        if (pixel) DsResetPixelProjection();
    }
    if (!m_drawContext->keepAttributeCache) {
        // The geometry changed state behind the walk: the next item sends all of its own. The flag
        // answers for one draw only.
        m_setup.ResetMemo();
        m_glState.Invalidate();
        m_drawContext->keepAttributeCache = true;
    }
}

template <class P>
ESlaveTraverseMode CDsGlTraverseFunctorT<P>::ClearStateOverrides()
{
    m_stateOverrides.clear();
    m_transparentMasterIds.clear();
    m_complexPhase = 1;
    if (m_complexPassMode == 0) return eSlavesNone;
    if (m_complexPassMode == 2) return eSlavesCached;
    return m_drawContext->fastRefresh ? eSlavesCachedFast : eSlavesCached;
}

template <class P>
bool CDsGlTraverseFunctorT<P>::DrawSecondPass(CDsLocation* location, const CDsItemVariant* variant)
{
    CDsGeometry* geometry = variant ? variant->GetGeometry() : nullptr;
    if (!geometry) return false;
    const bool admitted = m_complexPassMode == 2 || DsIsSecondPassState(m_itemState & 0xFF) ||
                          (location && location->UseOrgAttrs());
    if (!admitted || !(m_walkFlags & CDsGeometry::eDpLines)) return false;
    if (!Accept(m_itemAttributes, CDsGeometry::eDpLines, geometry, 0)) return false;
    ApplyAttributes(m_itemAttributes, m_itemState, CDsGeometry::eDpLines);
    DrawGeometry(geometry, CDsGeometry::eDpLines, 0, 0);
    return true;
}

template <class P>
bool CDsGlTraverseFunctorT<P>::OnRegionLeaf(CDsLocation* location, const CDsObjectPath&, int id, int type)
{
    // A fast frame draws the runs of the last full frame without looking at the leaves.
    if (m_drawContext->fastRefresh) return false;
    CDsLocation* region = location ? location->GetParent() : nullptr;
    if (!region) return false;
    if (region != m_pendingRegion) {
        if (DsIsLocationDrawableCached(region)) return false;
        DsResetIncompleteDrawCache(region);
        m_pendingRegion = region;
        m_hasPending = false;
        m_leavesOffered = 0;
    }
    ++m_leavesOffered;
    if (!DsIsLocationDrawable(m_scene, location, WalkState().m_pPalette, type)) {
        ClosePendingRun();
        return true;
    }
    const int state = DsGetRunState(location, m_itemState & 0xFF);
    const int key = (type & 0xFF) | (state << 8) | (location->IsOnTop() ? 0x10000 : 0);
    if (m_hasPending && key == m_pending.key && id == m_pending.last + 1) {
        m_pending.last = id;
    } else {
        ClosePendingRun();
        m_pending = {id, id, key};
        m_hasPending = true;
    }
    return true;
}

template <class P>
void CDsGlTraverseFunctorT<P>::ClosePendingRun()
{
    if (!m_hasPending) return;
    DsPrepareLocationDrawCache(m_pendingRegion, m_pending);
    m_hasPending = false;
}

template <class P>
void CDsGlTraverseFunctorT<P>::OnCompleteRegion(CDsScene*, CDsLocation* location, const CDsObjectPath&,
                                                const CDsItemVariant* variant)
{
    // A list built from only some of the leaves (a path filter offered the others to no one)
    // is drawn once and not kept, so that the next walk looks at every leaf again.
    bool partial = false;
    if (m_pendingRegion && m_pendingRegion == location) {
        ClosePendingRun();
        const CDsRegion* region = variant ? variant->AsRegion() : nullptr;
        partial = region && m_leavesOffered < region->GetChildCount();
    }
    m_pendingRegion = nullptr;
    m_hasPending = false;
    const int count = DsCompleteLocationDrawCache(location);
    for (int i = 0; i < count; ++i) {
        const int* cache = location->GetCache();
        const SDsRegionRun run = {cache[1 + 3 * i], cache[2 + 3 * i], cache[3 + 3 * i]};
        DrawRegionRun(run, variant);
    }
    if (partial) location->InvalidateCache();
}

template <class P>
void CDsGlTraverseFunctorT<P>::DrawRegionRun(const SDsRegionRun& run, const CDsItemVariant* region)
{
    CDsGeometry* geometry = region ? region->GetGeometry() : nullptr;
    if (!geometry) return;
    int state = (run.key >> 8) & 0xFF;
    if (state == 0) state = m_itemState & 0xFF;
    CDsAttributes attributes;
    if (state != 0) {
        attributes = CDsScene::GetSpecialAttrs(state);
    } else if (const CDsAttrPalette* palette = WalkState().m_pPalette) {
        if (const CDsAttributes* entry = palette->Get(run.key & 0xFF)) attributes = *entry;
    }
    const int mask = geometry->GetDrawPrimitives(0);
    const int stateWord = state | (((run.key >> 16) & 1) || (mask & CDsGeometry::eDpOnTop) ? 0x100 : 0);
    if (P::kOverrideFaces) {
        if (m_options.flags.whiteFaces && (mask & CDsGeometry::eDpFaces)) attributes.SetColor(0xFFFFFF);
        if (m_options.flags.opaque) attributes.SetTransparency(255);
    }
    if (!Accept(attributes, mask, geometry, 0)) return;
    ApplyAttributes(attributes, stateWord, mask);
    DrawGeometry(geometry, mask, run.first, run.last);
}
