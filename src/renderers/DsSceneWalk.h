// CDsSceneWalk: the one traversal of the scene database that every walk of the display runs
// (drawing in each render mode, plotting, extrema, the context's location walks, synchronisation,
// hide and show, picks). From one part of the scene it goes down through part instances, items,
// groups, complexes and regions, keeping one database location per visited node in step
// (SynchronizeLocation), an object path that names the node, and the functor's attribute,
// transform and location-state stacks. It is a template over the functor type: every functor
// class has its own copy of the walk and supplies the hooks the walk calls at each node (the
// functor base CDsTraverseFunctor declares them with their defaults; a functor hides them by name,
// nothing is virtual):
//   OnPushLocation(scene, location, path, variant)     after a node's location and path step in
//   VisitItem(location, path, parent) -> bool           whether to go into the node
//   OnPopLocation(scene, location, path, variant)      once per OnPushLocation, also after false
//   OnCompleteGroup(scene, location, path, variant)    after a group's children
//   OnBeginMasters() -> ESlaveTraverseMode             before a complex's masters
//   OnBeginSlaves(), OnEndSlaves(), OnEndComplex()      around a complex's slaves, at its end
//   OnVisitSlave(scene, location, path, variant) -> bool  every admitted slave (geometry may be null)
//   RegionsHideFactor() -> unsigned                     before a region's child regions
//   OnRegionLeaf(location, path, id, type) -> bool      each leaf entry; false stops the leaves
//   OnCompleteRegion(scene, location, path, variant)   after a region's children
// The functor's stacks, palette and location synchronisation are those of WalkState() (a path
// filter answers the functor it wraps).
//
// What the walk itself owns: location synchronisation with stable child indices (a complex's
// slave j is child k + j, k the number of masters, whichever slaves a walk visits), path advance
// and rollback, ClipChildren (not for a complex's masters, not in slave mode 0), slave counts and
// their negation in fast frames, region dispatch and the thinning stride of child regions, and the
// leaf loop of regions (no push or pop hooks for leaves).
//
// The walk does not choose the view: callers make it the database's current view first
// (CDsScene::SetCurrentView).
//
// What a node is to the walk (its role: a level of the start path, a part instance, an item of a
// part, a member of a group, a master or a slave of a complex, a child region) is not among the
// hooks' arguments; a functor that needs it keeps a pointer to the walk's CDsWalkRole and reads
// GetRole() in OnPushLocation, VisitItem or OnVisitSlave (the pick functors tell the masters of a
// complex, which are visited without being entered, from the nodes they enter).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A tree deeper than the walk's path (99 ids) is not descended below that depth: the deeper
//   children are left out (with one warning line per walk) instead of being written past the path.
// - A category other than complex and region is walked as a group (leaves have no children).
#pragma once

#include "DsGeometryComputer.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsObjectPath.h"
#include "DsPartStorage.h"
#include "DsPathListFunctor.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"

#include <memory>
#include <vector>

// How TraversePart goes down the start path.
enum EDsWalkDescent : int {
    eDsDescentVisitEachLevel = 0,  // every level of the start path is entered and visited
    eDsDescentEnterOnly = 1,       // levels are entered (push and pop hooks) but not visited
    eDsDescentVisitOptional = 2    // levels are entered; the start node is visited, the others not
};

// What a node is to the walk.
enum EDsWalkRole : int {
    eDsRoleDescent = 0,       // a level of the start path
    eDsRolePartInstance = 1,  // a part instance
    eDsRolePartItem = 2,      // an item of a part
    eDsRoleGroupMember = 3,   // a member of a group
    eDsRoleMaster = 4,        // a master of a complex
    eDsRoleSlave = 5,         // a slave of a complex
    eDsRoleRegionChild = 6    // a child region of a region
};

// The role of the node a walk pushed last, which every walk keeps for its functor to read.
class CDsWalkRole {
public:
    // The role of the node pushed last.
    EDsWalkRole GetRole() const { return m_role; }

protected:
    EDsWalkRole m_role = eDsRoleDescent;
};

// The walk over the scene database for functor type F.
template <class F>
class CDsSceneWalk : public CDsWalkRole {
public:
    // Ids of the walk's path.
    static constexpr int kMaxIds = 99;
    // Levels of the start path the walk remembers.
    static constexpr int kMaxLevels = 100;

    // A walk of `scene` (may be null: no locations) with `functor` over `storage`.
    CDsSceneWalk(CDsPartStorage* storage, F& functor, CDsScene* scene)
        : m_storage(storage), m_functor(functor), m_scene(scene), m_path(0, m_ids, kMaxIds)
    {
    }
    // Not copyable: the path points into the walk.
    CDsSceneWalk(const CDsSceneWalk&) = delete;
    // Not copyable.
    CDsSceneWalk& operator=(const CDsSceneWalk&) = delete;

    // The walk's current path.
    const CDsObjectPath& GetPath() const { return m_path; }
    // Whether the walk left out children below its deepest path.
    bool WasTooDeep() const { return m_tooDeep; }

    // Walks the subtree of the node that `start` names (its part id selects the peer or the temp
    // part of the scene; its ids lead down through part instances). False for another part, a
    // start path into nowhere, or a level that refused the visit.
    bool TraversePart(const CVyrObjectPath& start, EDsWalkDescent descent = eDsDescentVisitEachLevel)
    {
        const int partId = start.GetPartId();
        CDsLocation* location = nullptr;
        if (m_scene) {
            if (partId == m_scene->GetPeerPartId())
                location = m_scene->GetMainLocation();
            else if (partId == m_scene->GetTempPartId())
                location = m_scene->GetTempLocation();
            else
                return false;
        } else if (descent != eDsDescentEnterOnly) {
            return false;
        }
        CDsTraverseFunctor& state = m_functor.WalkState();
        state.PushLocationState(location);
        m_path = CDsObjectPath(partId, m_ids, kMaxIds);
        int currentPartId = partId;
        const CDsPart* part = m_storage->GetPart(currentPartId);
        CDsLocation* levelLocations[kMaxLevels];
        const CDsItemVariant* levelVariants[kMaxLevels];
        int depth = 0;
        bool found = part != nullptr;
        const CDsItemVariant* last = nullptr;
        for (int i = 0; found && i < start.GetSize(); ++i) {
            if (depth >= kMaxLevels || m_path.GetSize() >= kMaxIds) {
                found = false;
                NoteTooDeep();
                break;
            }
            int index = 0;
            const CDsItemVariant* variant = part->GetPartInstanceByItemId(start.GetId(i), currentPartId, index);
            if (!variant) {
                found = false;
                break;
            }
            location = state.SynchronizeLocation(location, index, start.GetId(i), variant);
            m_path.AdvancePartInstance(start.GetId(i));
            m_role = eDsRoleDescent;
            levelLocations[depth] = location;
            levelVariants[depth++] = variant;
            last = variant;
            m_functor.OnPushLocation(m_scene, location, m_path, variant);
            const bool isStart = i + 1 == start.GetSize();
            const bool visit = descent == eDsDescentVisitEachLevel || (descent == eDsDescentVisitOptional && isStart);
            if (visit && !m_functor.VisitItem(location, m_path, nullptr)) {
                found = false;
                break;
            }
            part = m_storage->GetPart(currentPartId);
            found = part != nullptr;
        }
        if (found && last && descent == eDsDescentVisitEachLevel)
            found = m_functor.VisitItem(location, m_path, nullptr);
        if (found) {
            const int n = TraversePartInstances(part, location);
            state.m_pPalette = part->GetPalette();
            TraverseItems(part, location, n);
        }
        while (depth > 0) {
            --depth;
            m_functor.OnPopLocation(m_scene, levelLocations[depth], m_path, levelVariants[depth]);
            m_path.Rollback();
        }
        return found;
    }

    // The peer part from the main location, then the temporary part from the temporary location,
    // each walked whole (no descent). False without a scene.
    bool TraverseWholeScene()
    {
        if (!m_scene) return false;
        TraversePart(CVyrObjectPath(m_scene->GetPeerPartId()));
        TraversePart(CVyrObjectPath(m_scene->GetTempPartId()));
        return true;
    }

private:
    // Whether the path has room for one more level; notes (once) when it has none.
    bool HasRoom()
    {
        if (m_path.GetSize() < kMaxIds) return true;
        NoteTooDeep();
        return false;
    }

    void NoteTooDeep()
    {
        if (m_tooDeep) return;
        m_tooDeep = true;
        CDsGeometryComputer::WriteWarning("Display warning: Scene tree deeper than the walk's path, not descended !");
    }

    int TraversePartInstances(const CDsPart* part, CDsLocation* parent)
    {
        CDsTraverseFunctor& state = m_functor.WalkState();
        int index = 0;
        for (const auto& entry : part->GetPartInstances()) {
            const int childIndex = index++;
            if (!HasRoom()) continue;
            CDsPartInstance* instance = entry.second;
            CDsLocation* location = state.SynchronizeLocation(parent, childIndex, entry.first, instance);
            m_path.AdvancePartInstance(entry.first);
            m_role = eDsRolePartInstance;
            m_functor.OnPushLocation(m_scene, location, m_path, instance);
            const CDsPart* sub = m_storage->GetPart(instance->GetPartId());
            if (m_functor.VisitItem(location, m_path, nullptr) && sub) {
                const int n = TraversePartInstances(sub, location);
                state.m_pPalette = sub->GetPalette();
                TraverseItems(sub, location, n);
            }
            m_functor.OnPopLocation(m_scene, location, m_path, instance);
            m_path.Rollback();
        }
        return index;
    }

    void TraverseItems(const CDsPart* part, CDsLocation* parent, int first)
    {
        CDsTraverseFunctor& state = m_functor.WalkState();
        int index = first;
        for (const auto& entry : part->GetItems()) {
            const int childIndex = index++;
            if (!HasRoom()) continue;
            CDsItemVariant* variant = entry.second;
            CDsLocation* location = state.SynchronizeLocation(parent, childIndex, entry.first, variant);
            m_path.AdvanceItem(entry.first);
            m_role = eDsRolePartItem;
            m_functor.OnPushLocation(m_scene, location, m_path, variant);
            if (m_functor.VisitItem(location, m_path, nullptr)) {
                if (variant->GetCategory() == eVyrCatComplex)
                    TraverseComplex(variant->AsComplex(), location);
                else if (const CDsItemGroup* group = variant->AsGroup())
                    TraverseGroup(group, variant, location, nullptr, eSlavesNone, 0);
            }
            m_functor.OnPopLocation(m_scene, location, m_path, variant);
            m_path.Rollback();
        }
        if (parent) parent->ClipChildren(index);
    }

    int TraverseGroup(const CDsItemGroup* group, const CDsItemVariant* groupVariant, CDsLocation* location,
                      CDsComplex* complex, int mode, int first)
    {
        CDsTraverseFunctor& state = m_functor.WalkState();
        int index = first;
        for (const auto& entry : group->GetChildren()) {
            const int childIndex = index++;
            CDsItemVariant* child = entry.second;
            if (!HasRoom()) {
                if (complex && mode == eSlavesRecount) complex->DecreaseSlaveCount(child);
                continue;
            }
            CDsLocation* childLocation = state.SynchronizeLocation(location, childIndex, entry.first, child);
            m_path.AdvanceItem(entry.first);
            m_role = complex ? eDsRoleMaster : eDsRoleGroupMember;
            m_functor.OnPushLocation(m_scene, childLocation, m_path, child);
            const bool visit = m_functor.VisitItem(childLocation, m_path, groupVariant);
            if (visit && child->GetCategory() == eVyrCatRegion)
                TraverseRegion(child->AsRegion(), child, childLocation);
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
        const int slaveCount = static_cast<int>(slaves.size());
        if (mode == eSlavesRecount) {
            for (auto& record : slaves) complex->InitSlaveCount(record);
            if (location) location->PrepareCache(slaveCount, false);
        }
        const int k = TraverseGroup(complex, complex, location, complex, mode, 0);
        if (mode == eSlavesRecount && location && location->GetCache() && location->GetCacheSize() >= slaveCount) {
            int* cache = location->GetCache();
            for (int i = 0; i < slaveCount; ++i) cache[i] = slaves[static_cast<size_t>(i)].m_count;
        }
        if (mode == eSlavesNone) {
            m_functor.OnEndComplex();
            return;
        }
        CDsTraverseFunctor& state = m_functor.WalkState();
        m_functor.OnBeginSlaves();
        const auto& ids = complex->GetSlaveIds();
        for (int j = 0; j < slaveCount; ++j) {
            int* cache = location ? location->GetCache() : nullptr;
            const bool cached = cache && location->GetCacheSize() > j;
            int count = 0;
            if (mode == eSlavesAll)
                count = 1;
            else if (mode == eSlavesRecount)
                count = slaves[static_cast<size_t>(j)].m_count;
            else if (cached)
                count = cache[j];
            if (count == 0 || (count < 0 && mode != eSlavesCached)) continue;
            if (!HasRoom()) continue;
            CDsItemVariant* slave = slaves[static_cast<size_t>(j)].m_pItem;
            const int id = j < static_cast<int>(ids.size()) ? ids[static_cast<size_t>(j)] : 0;
            CDsLocation* slaveLocation = state.SynchronizeLocation(location, k + j, id, slave);
            m_path.AdvanceItem(id);
            m_role = eDsRoleSlave;
            m_functor.OnPushLocation(m_scene, slaveLocation, m_path, slave);
            const bool drawn = slave && m_functor.OnVisitSlave(m_scene, slaveLocation, m_path, slave);
            if (mode == eSlavesCachedFast && !drawn && cached && count > 0) cache[j] = -count;
            m_functor.OnPopLocation(m_scene, slaveLocation, m_path, slave);
            m_path.Rollback();
        }
        m_functor.OnEndSlaves();
        m_functor.OnEndComplex();
        if (location) location->ClipChildren(k + slaveCount);
    }

    void TraverseRegion(CDsRegion* region, const CDsItemVariant* regionVariant, CDsLocation* location)
    {
        if (!region) return;
        const auto& children = region->GetChildren();
        if (children.empty()) return;
        if (region->HasChildRegions())
            TraverseChildRegions(region, location);
        else
            TraverseRegionLeaves(region, location);
        m_functor.OnCompleteRegion(m_scene, location, m_path, regionVariant);
    }

    void TraverseChildRegions(CDsRegion* region, CDsLocation* location)
    {
        CDsTraverseFunctor& state = m_functor.WalkState();
        const auto& children = region->GetChildren();
        const int count = static_cast<int>(children.size());
        const int stride = count <= 5 ? 1 : 1 + static_cast<int>(m_functor.RegionsHideFactor() * 10 * 0.05);
        for (int i = 0; i < count; i += stride) {
            if (!HasRoom()) continue;
            CDsItemVariant* child = children[static_cast<size_t>(i)].second;
            const int id = children[static_cast<size_t>(i)].first;
            if (CDsRegion::IsLeafEntry(child)) continue;  // a leaf among child regions: not a child region
            CDsLocation* childLocation = state.SynchronizeLocation(location, i, id, child);
            m_path.AdvanceItem(id);
            m_role = eDsRoleRegionChild;
            m_functor.OnPushLocation(m_scene, childLocation, m_path, child);
            if (m_functor.VisitItem(childLocation, m_path, region) && child->GetCategory() == eVyrCatRegion)
                TraverseRegion(child->AsRegion(), child, childLocation);
            m_functor.OnPopLocation(m_scene, childLocation, m_path, child);
            m_path.Rollback();
        }
    }

    void TraverseRegionLeaves(CDsRegion* region, CDsLocation* location)
    {
        if (!HasRoom()) return;
        CDsTraverseFunctor& state = m_functor.WalkState();
        int index = 0;
        for (const auto& leaf : region->GetChildren()) {
            CDsLocation* leafLocation = state.SynchronizeLocation(location, index++, leaf.first, leaf.second);
            m_path.AdvanceItem(leaf.first);
            const bool goOn = m_functor.OnRegionLeaf(leafLocation, m_path, leaf.first, CDsRegion::GetLeafType(leaf.second));
            m_path.Rollback();
            if (!goOn) break;
        }
    }

    CDsPartStorage* m_storage;
    F& m_functor;
    CDsScene* m_scene;
    int m_ids[kMaxIds] = {};
    CDsObjectPath m_path;
    bool m_tooDeep = false;
};

// The part of `startPath` below its start node, walked through a draw walk's path filter: the
// filter decides at every node (FilteredVisit) in place of the functor's own visit. The walk's
// answer.
template <class F>
bool TraversePartFiltered(CDsPartStorage* storage, CDsGlPathFilter<F>& filter, CDsScene* scene,
                          const CVyrObjectPath& startPath)
{
    CDsSceneWalk<CDsPathListFunctor<F>> walk(storage, filter, scene);
    return walk.TraversePart(startPath);
}

// The entry of the renderers' walks: the part of `startPath` below its start node. Without listed
// paths: nothing (true) unless `walkAll`, then the plain walk. With listed paths: the walk through
// a path filter over them (of the scene's two parts), in exclusion mode when `walkAll`, with whole
// subtrees and ancestors visited. The walk's answer (false when a start level was refused or the
// start path leads nowhere).
template <class F>
bool DsTraverseScene(CDsPartStorage* storage, F& functor, const CVyrObjectPath& startPath, CDsScene* scene,
                     const std::vector<CVyrObjectPath>& paths, bool walkAll)
{
    if (paths.empty()) {
        if (!walkAll) return true;
        CDsSceneWalk<F> walk(storage, functor, scene);
        return walk.TraversePart(startPath);
    }
    if (!scene) return false;
    std::unique_ptr<CDsGlPathFilter<F>> filter =
        BuildPathFilter(functor, paths, scene->GetPeerPartId(), scene->GetTempPartId(), walkAll);
    const bool result = TraversePartFiltered(storage, *filter, scene, startPath);
    FreePathFilter(filter);
    return result;
}

// The whole scene (peer part, then temporary part) through a path filter over `paths` with the
// given modes, as the context's location walks run it. False without a scene.
template <class F>
bool DsTraverseWholeSceneFiltered(CDsPartStorage* storage, F& functor, CDsScene* scene,
                                  const std::vector<CVyrObjectPath>& paths, bool exclusion, bool wholeSubtree,
                                  bool visitAncestors)
{
    if (!scene) return false;
    CDsPathListFunctor<F> filter(functor, paths, scene->GetPeerPartId(), scene->GetTempPartId(), exclusion,
                                 wholeSubtree, visitAncestors);
    CDsSceneWalk<CDsPathListFunctor<F>> walk(storage, filter, scene);
    return walk.TraverseWholeScene();
}
