// A small walk over the scene database for tests and benchmarks: the descent from a start path,
// part instances, items, groups, complexes and regions, calling the functor's hooks in the order
// the display core's walk does (without its path filter). Functors derive from
// CDsTraverseFunctor and add OnRegionLeaf(location, path, objectType), answering whether to go on.
#pragma once

#include "DsItems.h"
#include "DsLocation.h"
#include "DsObjectPath.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"

template <class TFunctor>
class CSceneTestWalk {
public:
    // Deepest path the walk records.
    static constexpr int kMaxIds = 99;

    // A walk of `scene` with `functor` over `storage`.
    CSceneTestWalk(CDsPartStorage* storage, TFunctor& functor, CDsScene* scene)
        : m_storage(storage), m_functor(functor), m_scene(scene), m_path(0, m_ids, kMaxIds)
    {
    }

    // Walks the subtree of the part instance (or part root) `start` names; false for a part other
    // than the scene's two, or a start path into nowhere.
    bool TraversePart(const CVyrObjectPath& start)
    {
        int partId = start.GetPartId();
        CDsLocation* location = nullptr;
        if (partId == m_scene->GetPeerPartId())
            location = m_scene->GetMainLocation();
        else if (partId == m_scene->GetTempPartId())
            location = m_scene->GetTempLocation();
        else
            return false;
        m_functor.PushLocationState(location);
        m_path = CDsObjectPath(partId, m_ids, kMaxIds);
        const CDsPart* part = m_storage->GetPart(partId);
        CDsLocation* levels[kMaxIds + 1];
        CDsItemVariant* variants[kMaxIds + 1];
        int depth = 0;
        bool found = part != nullptr;
        for (int i = 0; found && i < start.GetSize() && depth < kMaxIds; ++i) {
            int index = 0;
            CDsItemVariant* variant = part->GetPartInstanceByItemId(start.GetId(i), partId, index);
            if (!variant) {
                found = false;
                break;
            }
            location = m_functor.SynchronizeLocation(location, index, start.GetId(i), variant);
            m_path.AdvancePartInstance(start.GetId(i));
            levels[depth] = location;
            variants[depth++] = variant;
            m_functor.OnPushLocation(m_scene, location, m_path, variant);
            if (!m_functor.VisitItem(location, m_path, nullptr)) {
                found = false;
                break;
            }
            part = m_storage->GetPart(partId);
            found = part != nullptr;
        }
        if (found) {
            const int n = TraversePartInstances(part, location);
            m_functor.m_pPalette = part->GetPalette();
            TraverseItems(part, location, n);
        }
        while (depth > 0) {
            --depth;
            m_functor.OnPopLocation(m_scene, levels[depth], m_path, variants[depth]);
            m_path.Rollback();
        }
        return found;
    }

private:
    int TraversePartInstances(const CDsPart* part, CDsLocation* parent)
    {
        int index = 0;
        for (const auto& entry : part->GetPartInstances()) {
            CDsLocation* location = m_functor.SynchronizeLocation(parent, index++, entry.first, entry.second);
            m_path.AdvancePartInstance(entry.first);
            m_functor.OnPushLocation(m_scene, location, m_path, entry.second);
            const CDsPart* sub = m_storage->GetPart(entry.second->GetPartId());
            if (m_functor.VisitItem(location, m_path, nullptr) && sub) {
                const int n = TraversePartInstances(sub, location);
                m_functor.m_pPalette = sub->GetPalette();
                TraverseItems(sub, location, n);
            }
            m_functor.OnPopLocation(m_scene, location, m_path, entry.second);
            m_path.Rollback();
        }
        return index;
    }

    void TraverseItems(const CDsPart* part, CDsLocation* parent, int first)
    {
        int index = first;
        for (const auto& entry : part->GetItems()) {
            CDsItemVariant* variant = entry.second;
            CDsLocation* location = m_functor.SynchronizeLocation(parent, index++, entry.first, variant);
            m_path.AdvanceItem(entry.first);
            m_functor.OnPushLocation(m_scene, location, m_path, variant);
            if (m_functor.VisitItem(location, m_path, nullptr)) {
                if (variant->GetCategory() == eVyrCatComplex)
                    TraverseComplex(variant->AsComplex(), location);
                else
                    TraverseGroup(variant->AsGroup(), variant, location, nullptr, eSlavesNone, 0);
            }
            m_functor.OnPopLocation(m_scene, location, m_path, variant);
            m_path.Rollback();
        }
        if (parent) parent->ClipChildren(index);
    }

    int TraverseGroup(const CDsItemGroup* group, const CDsItemVariant* groupVariant, CDsLocation* location,
                      CDsComplex* complex, int mode, int first)
    {
        int index = first;
        for (const auto& entry : group->GetChildren()) {
            CDsItemVariant* child = entry.second;
            CDsLocation* childLocation = m_functor.SynchronizeLocation(location, index++, entry.first, child);
            m_path.AdvanceItem(entry.first);
            m_functor.OnPushLocation(m_scene, childLocation, m_path, child);
            const bool visit = m_functor.VisitItem(childLocation, m_path, groupVariant);
            if (visit && child->GetCategory() == eVyrCatRegion)
                TraverseRegion(child->AsRegion(), childLocation);
            else if (!visit && complex && mode == eSlavesRecount)
                complex->DecreaseSlaveCount(child);
            m_functor.OnPopLocation(m_scene, childLocation, m_path, child);
            m_path.Rollback();
        }
        m_functor.OnCompleteGroup(m_scene, location, m_path, groupVariant);
        if (!complex && location) location->ClipChildren(index);
        return index;
    }

    void TraverseComplex(CDsComplex* complex, CDsLocation* location)
    {
        int mode = m_functor.OnBeginMasters();
        if ((mode == eSlavesCachedFast || mode == eSlavesCached) && (!location || !location->GetCache()))
            mode = eSlavesRecount;
        auto& slaves = complex->GetSlaves();
        if (mode == eSlavesRecount) {
            for (auto& record : slaves) complex->InitSlaveCount(record);
            if (location) location->PrepareCache(static_cast<int>(slaves.size()), false);
        }
        int n = TraverseGroup(complex, complex, location, complex, mode, 0);
        if (mode == eSlavesRecount && location && location->GetCache()) {
            for (size_t i = 0; i < slaves.size(); ++i) location->GetCache()[i] = slaves[i].m_count;
        }
        if (mode == eSlavesNone) return;
        m_functor.OnBeginSlaves();
        for (size_t i = 0; i < slaves.size(); ++i) {
            int* cache = location ? location->GetCache() : nullptr;
            int count = mode == eSlavesAll ? 1 : mode == eSlavesRecount ? slaves[i].m_count : (cache ? cache[i] : 0);
            if (count == 0 || (count < 0 && mode != eSlavesCached)) continue;
            CDsItemVariant* slave = slaves[i].m_pItem;
            const int id = complex->GetSlaveIds()[i];
            CDsLocation* slaveLocation = m_functor.SynchronizeLocation(location, n++, id, slave);
            m_path.AdvanceItem(id);
            m_functor.OnPushLocation(m_scene, slaveLocation, m_path, slave);
            bool drawn = false;
            if (slave->GetGeometry()) drawn = m_functor.OnVisitSlave(m_scene, slaveLocation, m_path, slave);
            if (mode == eSlavesCachedFast && !drawn && cache) cache[i] = -count;
            m_functor.OnPopLocation(m_scene, slaveLocation, m_path, slave);
            m_path.Rollback();
        }
        m_functor.OnEndSlaves();
        if (location) location->ClipChildren(n);
    }

    void TraverseRegion(const CDsRegion* region, CDsLocation* location)
    {
        const auto& children = region->GetChildren();
        if (children.empty()) return;
        if (region->HasChildRegions()) {
            const int count = static_cast<int>(children.size());
            const int stride = count <= 5 ? 1 : 1 + static_cast<int>(m_functor.RegionsHideFactor() * 10 * 0.05);
            for (int i = 0; i < count; i += stride) {
                CDsItemVariant* child = children[static_cast<size_t>(i)].second;
                const int id = children[static_cast<size_t>(i)].first;
                CDsLocation* childLocation = m_functor.SynchronizeLocation(location, i, id, child);
                m_path.AdvanceItem(id);
                m_functor.OnPushLocation(m_scene, childLocation, m_path, child);
                if (m_functor.VisitItem(childLocation, m_path, region)) TraverseRegion(child->AsRegion(), childLocation);
                m_functor.OnPopLocation(m_scene, childLocation, m_path, child);
                m_path.Rollback();
            }
        } else {
            int index = 0;
            for (const auto& leaf : children) {
                CDsLocation* leafLocation = m_functor.SynchronizeLocation(location, index++, leaf.first, leaf.second);
                m_path.AdvanceItem(leaf.first);
                const bool goOn = m_functor.OnRegionLeaf(leafLocation, m_path, CDsRegion::GetLeafType(leaf.second));
                m_path.Rollback();
                if (!goOn) break;
            }
        }
        m_functor.OnCompleteRegion(m_scene, location, m_path, region);
    }

    CDsPartStorage* m_storage;
    TFunctor& m_functor;
    CDsScene* m_scene;
    int m_ids[kMaxIds];
    CDsObjectPath m_path;
};
