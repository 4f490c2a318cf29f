// The decoration functor's operations (included by DsLocationWalks.h).
#pragma once

#include "DsView3dCdc.h"

template <class Inner>
CDsGlDrawFunctor<Inner>::CDsGlDrawFunctor(Inner& inner, const CVyrObjectPath* target, int state,
                                          const std::vector<CVyrObjectPath>* list, bool listMode, bool ownDraw,
                                          int walkFlags, view3d* view)
    : CDsForwardingFunctor<Inner>(inner), m_target(target), m_state(state), m_listMode(listMode), m_list(list),
      m_ownDraw(ownDraw), m_walkFlags(walkFlags), m_view(view)
{
}

template <class Inner>
void CDsGlDrawFunctor<Inner>::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                                             const CDsItemVariant* variant)
{
    if (!m_onTarget && m_target && DsSameLocation(path, *m_target)) {
        m_onTarget = true;
        m_targetSize = path.GetSize();
        if (m_state != eAttribSetFromLocation) {
            int forced = m_state;
            // A marked location keeps showing that it is marked while it is highlighted.
            if (forced == eAttribSetHighlight && location && location->GetState() == eAttribSetMark)
                forced = eAttribSetHighlightMarked;
            this->m_inner.SetEntryState(static_cast<unsigned char>(forced));
        }
    }
    m_variant = variant;
    this->m_inner.OnPushLocation(scene, location, path, variant);
}

template <class Inner>
void CDsGlDrawFunctor<Inner>::OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                                            const CDsItemVariant* variant)
{
    this->m_inner.OnPopLocation(scene, location, path, variant);
    if (m_onTarget && path.GetSize() == m_targetSize && DsSameLocation(path, *m_target)) {
        m_onTarget = false;
        this->m_inner.SetEntryState(eAttribSetFromLocation);
    }
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::IsListed(const CDsObjectPath& path) const
{
    for (const CVyrObjectPath& listed : *m_list)
        if (DsSameLocation(path, listed)) return true;
    return false;
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::IsBelowListed(const CDsObjectPath& path) const
{
    for (const CVyrObjectPath& listed : *m_list)
        if (path.Contains(listed)) return true;
    return false;
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::LeadsToListed(const CDsObjectPath& path) const
{
    for (const CVyrObjectPath& listed : *m_list)
        if (path.IsPrefixOf(listed)) return true;
    return false;
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::VisitItem(CDsLocation* location, const CDsObjectPath& path,
                                        const CDsItemVariant* parent)
{
    if (!m_target) return false;
    if (!m_onTarget) return path.IsPrefixOf(*m_target);
    if (m_list && !m_list->empty()) {
        if (m_listMode) {
            if (!IsBelowListed(path)) return path.IsPrefixOf(*m_target) || LeadsToListed(path);
        } else if (IsListed(path)) {
            return false;
        }
    }
    return Draw(location, path, parent);
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::Draw(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
{
    if (this->m_inner.GetItemAttributes().IsHidden()) {
        m_drawn = false;
        return false;
    }
    m_drawn = m_ownDraw ? OwnDraw(path, parent) : this->m_inner.DrawItem(location, path, parent);
    return m_drawn;
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::ConnectsItems(const CDsGeometry* geometry, int id)
{
    unsigned count = 0;
    const int* ids = geometry->GetConnectedItems(count, id);
    return ids && count > 0;
}

template <class Inner>
bool CDsGlDrawFunctor<Inner>::OwnDraw(const CDsObjectPath& path, const CDsItemVariant* parent)
{
    int id = 0;
    CDsGeometry* geometry = m_variant ? m_variant->GetGeometry() : nullptr;
    if (!geometry && parent && parent->GetCategory() == eVyrCatRegion && parent->GetGeometry()) {
        geometry = parent->GetGeometry();
        id = path.GetLastId();
    }
    if (!geometry) return true;
    Inner& inner = this->m_inner;
    // The location cache is off: the state is the one the walk entered the location with.
    const int state = inner.GetTopLocationState();
    if ((state == eAttribSetHighlight || state == eAttribSetHighlightMarked) && !geometry->IsAlwaysDrawn())
        return false;
    auto* cdc = dynamic_cast<CDsView3dCdc*>(m_view);
    if (cdc) cdc->SetLocationState(static_cast<EAttribSetIndex>(state));
    const int mask = geometry->GetDrawPrimitives(id);
    const int common = mask & m_walkFlags;
    for (int kind = CDsGeometry::eDpPoints; kind <= 0x80; kind <<= 1) {
        if (!(common & kind)) continue;
        if (kind == CDsGeometry::eDpSilhouettes && !(common & CDsGeometry::eDpSilhouetteLevelMask)) continue;
        // A geometry that connects items leaves their faces to them. Curved faces are drawn as planar
        // ones: that their geometry also has outlines to draw changes nothing about its faces.
        if (kind == CDsGeometry::eDpFaces && ConnectsItems(geometry, id)) continue;
        inner.ApplyAttributes(inner.GetItemAttributes(), inner.GetItemState(), kind);
        inner.DrawGeometry(geometry, kind, id, -1);
    }
    if (cdc) cdc->SetLocationState(eAttribSetNormal);
    const int category = m_variant ? m_variant->GetCategory() : eVyrCatLeaf;
    if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return true;
    return geometry->ShouldDrawChildren(m_walkFlags);
}
