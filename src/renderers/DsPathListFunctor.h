// CDsPathListFunctor: the path filter a walk wraps around its functor to reach only listed object
// paths, or everything but them. It stands between the walk (CDsSceneWalk) and the inner functor:
// the walk calls the filter's hooks, and the filter decides, node by node, whether the inner
// functor enters the node (its OnPushLocation, balanced by its OnPopLocation) and visits it (its
// VisitItem). The walk's stacks, palette and locations stay the inner functor's (WalkState).
//
// The listed paths are kept sorted (part id, then ids element by element, a proper prefix first)
// and searched by bisection; only paths with ids whose part is one of the two parts the filter is
// built for are kept, without duplicates.
//
// Three modes:
// - exclusion: everything is visited except the listed nodes and their subtrees;
// - whole subtree: below a listed node everything is visited (a listed path below another listed
//   path is then dropped as a duplicate, as it is in exclusion);
// - visit ancestors: the nodes leading to a listed path are visited too, not only entered.
// The draw walks use {exclusion = walk everything but the list, whole subtree, visit ancestors};
// the context's location walks use the other combinations.
//
// Choices where the behaviour was open:
// - A node leading to a listed path, in a filter without exclusion: with whole subtree (the draw
//   walks) it goes on only when the inner visit says so, as an ordinary node does; otherwise (the
//   location walks) it always goes on, so that a listed path below a hidden node is still reached.
// - Slaves of complexes and region leaves are matched by comparing the whole path (part and ids);
//   the listed path's depth is not compared, so that a path the host built with another depth
//   still names the node.
#pragma once

#include <afx.h>

#include "DsLocation.h"
#include "DsObjectPath.h"
#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"

#include <memory>
#include <vector>

class CDsItemVariant;
class CDsScene;

// Appends to `result` the paths of `paths` that have ids and lie in part `partId1` or `partId2`.
AFX_EXT_API void DsCollectPathRecordsOfParts(const std::vector<CVyrObjectPath>& paths, int partId1, int partId2,
                                             std::vector<CVyrObjectPath>& result);
// Sorts paths by part id, then by ids (element by element, a proper prefix first), then by depth.
AFX_EXT_API void DsSortObjectPaths(std::vector<CVyrObjectPath>& paths);
// The index of the first path of `sorted` (sorted by DsSortObjectPaths) that is not ordered before
// `path` by part id and ids; sorted.size() when there is none.
AFX_EXT_API size_t DsFindPathRecord(const std::vector<CVyrObjectPath>& sorted, const CDsObjectPath& path);
// -1, 0 or 1: `path` against `record` by part id, then ids (a proper prefix first).
AFX_EXT_API int DsComparePathToRecord(const CDsObjectPath& path, const CVyrObjectPath& record);
// Drops from sorted paths the exact duplicates (same part, ids and depth) and, with `dropBelow`,
// every path whose ids begin with the ids of an earlier kept path of the same part.
AFX_EXT_API void DsDropDuplicatePaths(std::vector<CVyrObjectPath>& sorted, bool dropBelow);

// The path filter around an inner functor of type Inner.
template <class Inner>
class CDsPathListFunctor : public CDsTraverseFunctor {
public:
    // A filter over `paths` (those of parts `partId1` and `partId2` are kept) around `inner`.
    CDsPathListFunctor(Inner& inner, const std::vector<CVyrObjectPath>& paths, int partId1, int partId2,
                       bool exclusion, bool wholeSubtree, bool visitAncestors)
        : m_inner(inner), m_exclusion(exclusion), m_wholeSubtree(wholeSubtree), m_visitAncestors(visitAncestors)
    {
        m_paths.reserve(paths.size());
        DsCollectPathRecordsOfParts(paths, partId1, partId2, m_paths);
        DsSortObjectPaths(m_paths);
        DsDropDuplicatePaths(m_paths, exclusion || wholeSubtree);
        m_remaining = static_cast<int>(m_paths.size());
        m_levels.reserve(kMaxDepth);
    }

    // The listed paths kept, sorted.
    const std::vector<CVyrObjectPath>& GetPaths() const { return m_paths; }
    // Number of listed paths not met yet.
    int GetRemaining() const { return m_remaining; }
    // The inner functor.
    Inner& GetInner() { return m_inner; }

    // The stacks, palette and locations the walk keeps: the inner functor's.
    CDsTraverseFunctor& WalkState() { return m_inner.WalkState(); }
    // Whether the listed paths are left out (everything else walked) rather than walked.
    bool IsExclusion() const { return m_exclusion; }

    // Remembers the node; the inner functor enters it only once the visit decides so.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        m_levels.push_back({scene, location, variant, false});
    }

    // The filter's decision for the node the last OnPushLocation named (FilteredVisit).
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
    {
        return FilteredVisit(location, path, parent);
    }

    // Whether the node the last OnPushLocation named is entered and visited (the inner functor's
    // OnPushLocation and VisitItem), and whether the walk goes below it.
    bool FilteredVisit(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
    {
        const unsigned depth = static_cast<unsigned>(path.GetSize());
        if (m_matchedDepth != 0 && depth <= m_matchedDepth) m_matchedDepth = 0;
        if (m_matchedDepth != 0) {
            Enter(path);
            return m_inner.VisitItem(location, path, parent);
        }
        const size_t found = DsFindPathRecord(m_paths, path);
        const bool leads = found < m_paths.size() && path.IsPrefixOf(m_paths[found]);
        if (leads && m_paths[found].GetSize() == path.GetSize()) {
            --m_remaining;
            if (m_exclusion) return false;
            Enter(path);
            if (!m_inner.VisitItem(location, path, parent)) return false;
            if (m_wholeSubtree) {
                m_matchedDepth = depth;
                return true;
            }
            return found + 1 < m_paths.size() && path.IsPrefixOf(m_paths[found + 1]);
        }
        if (leads) {
            Enter(path);
            if (m_exclusion) return m_inner.VisitItem(location, path, parent);
            if (!m_visitAncestors) return true;
            const bool visit = m_inner.VisitItem(location, path, parent);
            return m_wholeSubtree ? visit : true;
        }
        if (!m_exclusion) return false;
        Enter(path);
        return m_inner.VisitItem(location, path, parent);
    }

    // Leaves the node; the inner functor only when it entered it.
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant)
    {
        if (m_levels.empty()) return;
        const bool entered = m_levels.back().entered;
        m_levels.pop_back();
        if (entered) m_inner.OnPopLocation(scene, location, path, variant);
    }

    // Passed on.
    void OnCompleteGroup(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* v)
    {
        m_inner.OnCompleteGroup(scene, location, path, v);
    }
    // Passed on.
    ESlaveTraverseMode OnBeginMasters() { return m_inner.OnBeginMasters(); }
    // Passed on.
    void OnBeginSlaves() { m_inner.OnBeginSlaves(); }
    // Passed on.
    void OnEndSlaves() { m_inner.OnEndSlaves(); }
    // Passed on.
    void OnEndComplex() { m_inner.OnEndComplex(); }

    // A slave: reached inside a listed subtree; else by exact comparison (a listed slave in the
    // listing modes, an unlisted one in exclusion).
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant)
    {
        if (!Admit(path)) return false;
        Enter(path);
        return m_inner.OnVisitSlave(scene, location, path, variant);
    }

    // Passed on.
    unsigned RegionsHideFactor() { return m_inner.RegionsHideFactor(); }

    // A region leaf, admitted as a slave is; once every listed path has been met (listing modes,
    // outside a listed subtree) the leaves are no longer offered.
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type)
    {
        if (!m_exclusion && !Inside(path) && m_remaining <= 0) return false;
        if (!Admit(path)) return true;
        return m_inner.OnRegionLeaf(location, path, id, type);
    }

    // Passed on.
    void OnCompleteRegion(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* v)
    {
        m_inner.OnCompleteRegion(scene, location, path, v);
    }

private:
    struct SLevel {
        CDsScene* scene;
        CDsLocation* location;
        const CDsItemVariant* variant;
        bool entered;
    };

    bool Inside(const CDsObjectPath& path) const
    {
        return m_matchedDepth != 0 && static_cast<unsigned>(path.GetSize()) > m_matchedDepth;
    }

    // Whether a slave or a leaf at `path` is reached (exact comparison only).
    bool Admit(const CDsObjectPath& path)
    {
        if (Inside(path)) return true;
        const size_t found = DsFindPathRecord(m_paths, path);
        if (found < m_paths.size() && DsComparePathToRecord(path, m_paths[found]) == 0) {
            --m_remaining;
            return !m_exclusion;
        }
        return m_exclusion;
    }

    // The inner functor enters the node of the top level.
    void Enter(const CDsObjectPath& path)
    {
        if (m_levels.empty() || m_levels.back().entered) return;
        SLevel& level = m_levels.back();
        level.entered = true;
        m_inner.OnPushLocation(level.scene, level.location, path, level.variant);
    }

    Inner& m_inner;
    std::vector<CVyrObjectPath> m_paths;
    int m_remaining = 0;
    unsigned m_matchedDepth = 0;
    bool m_exclusion;
    bool m_wholeSubtree;
    bool m_visitAncestors;
    std::vector<SLevel> m_levels;
};

// The draw walks' path filter: the path filter in the modes every renderer walks with (everything
// but the listed paths when drawAllButListed, else only them, their ancestors and everything below
// them), made for one walk by BuildPathFilter and freed by FreePathFilter. The context's location
// walks and the region pick use CDsPathListFunctor with their own modes.
template <class F>
class CDsGlPathFilter : public CDsPathListFunctor<F> {
public:
    // A filter over `paths` (those of parts `peerPartId` and `tempPartId` are kept) around `functor`.
    CDsGlPathFilter(F& functor, const std::vector<CVyrObjectPath>& paths, int peerPartId, int tempPartId,
                    bool drawAllButListed)
        : CDsPathListFunctor<F>(functor, paths, peerPartId, tempPartId, drawAllButListed, true, true)
    {
    }
    // Whether the walk draws everything but the listed paths.
    bool IsDrawAllButListed() const { return this->IsExclusion(); }
};

// A new path filter of one draw walk around `functor` (see CDsGlPathFilter), for FreePathFilter.
template <class F>
std::unique_ptr<CDsGlPathFilter<F>> BuildPathFilter(F& functor, const std::vector<CVyrObjectPath>& paths,
                                                    int peerPartId, int tempPartId, bool drawAllButListed)
{
    return std::make_unique<CDsGlPathFilter<F>>(functor, paths, peerPartId, tempPartId, drawAllButListed);
}

// Frees a path filter BuildPathFilter made (nothing for none); `filter` is empty afterwards.
template <class F>
void FreePathFilter(std::unique_ptr<CDsGlPathFilter<F>>& filter)
{
    filter.reset();
}
