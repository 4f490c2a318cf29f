// The scene walk and its path filter with a functor that records the hooks: order and balance,
// start paths that lead nowhere, complexes in every slave mode with the counts kept in the
// locations, thinning of child regions, a tree deeper than the walk's path, and the filter's modes.
#include "DsSceneWalk.h"

#include "../../scene_db/SceneTestSupport.h"

#include "view3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Records the hooks the walk calls, by the last id of the path.
struct CRecorder : CDsTraverseFunctor {
    std::vector<std::string> log;
    std::set<int> refused;          // ids whose VisitItem answers false
    std::set<int> slavesNotDrawn;   // slaves whose OnVisitSlave answers false
    ESlaveTraverseMode mode = eSlavesRecount;
    unsigned hideFactor = 0;
    int depth = 0, maxDepth = 0, pushes = 0, pops = 0;
    std::vector<CDsLocation*> slaveLocations;  // by slave visit

    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        ++pushes;
        maxDepth = std::max(maxDepth, ++depth);
        log.push_back("push " + std::to_string(path.GetLastId()));
    }
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        log.push_back("visit " + std::to_string(path.GetLastId()));
        return refused.count(path.GetLastId()) == 0;
    }
    void OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        ++pops;
        --depth;
        log.push_back("pop " + std::to_string(path.GetLastId()));
    }
    ESlaveTraverseMode OnBeginMasters()
    {
        log.push_back("masters");
        return mode;
    }
    void OnBeginSlaves() { log.push_back("slaves"); }
    void OnEndSlaves() { log.push_back("end slaves"); }
    void OnEndComplex() { log.push_back("end complex"); }
    bool OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant*)
    {
        log.push_back("slave " + std::to_string(path.GetLastId()));
        slaveLocations.push_back(location);
        return slavesNotDrawn.count(path.GetLastId()) == 0;
    }
    unsigned RegionsHideFactor() { return hideFactor; }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath& path, int id, int type)
    {
        EXPECT_EQ(path.GetLastId(), id);
        log.push_back("leaf " + std::to_string(id) + ":" + std::to_string(type));
        return true;
    }
    void OnCompleteRegion(CDsScene*, CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        log.push_back("region done " + std::to_string(path.GetLastId()));
    }

    // The entries of the log that start with `prefix`, without it.
    std::vector<std::string> Only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& entry : log)
            if (entry.compare(0, prefix.size(), prefix) == 0) out.push_back(entry.substr(prefix.size()));
        return out;
    }
    // Whether the log holds `entry`.
    bool Has(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
};

using Strings = std::vector<std::string>;

class SceneWalkTest : public CSceneDbTest {
protected:
    SceneWalkTest()
    {
        model.Build(scene);
        scene.SetCurrentView(&view);
    }
    bool Walk(CRecorder& recorder, const CVyrObjectPath& start)
    {
        CDsSceneWalk<CRecorder> walk(CDsPartStorage::instance(), recorder, &scene);
        return walk.TraversePart(start);
    }
    bool WalkPeer(CRecorder& recorder) { return Walk(recorder, CVyrObjectPath(scene.GetPeerPartId())); }
    CVyrObjectPath Path(std::vector<int> ids, int depth) const { return STestModel::Path(scene, ids, depth); }
    CDsLocation* Complex(int instance) { return scene.FindLocation(Path({instance, 30}, 1)); }

    view3d view;
    CDsScene scene{1};
    STestModel model;
};

TEST_F(SceneWalkTest, VisitsTheTreeInOrderWithBalancedHooks)
{
    CRecorder r;
    ASSERT_TRUE(WalkPeer(r));
    EXPECT_EQ(r.pushes, r.pops);
    EXPECT_EQ(r.depth, 0);
    // Instance 1's subtree, in the order of the part: instances, then items depth first.
    const Strings expected = {"push 1", "visit 1", "push 10", "visit 10", "push 11", "visit 11", "pop 11",
                              "push 12", "visit 12", "pop 12", "pop 10", "push 20", "visit 20", "push 21",
                              "visit 21", "leaf 22:101", "leaf 23:101", "leaf 24:101", "leaf 25:101",
                              "region done 21", "pop 21", "pop 20", "push 30", "visit 30", "masters", "push 31",
                              "visit 31", "pop 31", "push 32", "visit 32", "pop 32", "slaves", "push 33",
                              "slave 33", "pop 33", "push 34", "slave 34", "pop 34", "end slaves", "end complex",
                              "pop 30", "pop 1"};
    ASSERT_GE(r.log.size(), expected.size());
    EXPECT_EQ(Strings(r.log.begin(), r.log.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(r.Only("slave ").size(), 4u);  // both instances
}

TEST_F(SceneWalkTest, StartPathsThatLeadNowhereEndTheWalkBalanced)
{
    CRecorder other;
    EXPECT_FALSE(Walk(other, CVyrObjectPath(12345)));  // neither the peer nor the temporary part
    EXPECT_TRUE(other.log.empty());

    CRecorder missing;
    EXPECT_FALSE(Walk(missing, Path({9}, 0)));  // no instance 9
    EXPECT_EQ(missing.pushes, 0);

    CRecorder refused;
    refused.refused = {2};
    EXPECT_FALSE(Walk(refused, Path({2}, 0)));
    EXPECT_EQ(refused.log, (Strings{"push 2", "visit 2", "pop 2"}));

    // A start path through instance 2: the start level is asked twice, then its subtree is walked.
    CRecorder start;
    EXPECT_TRUE(Walk(start, Path({2}, 0)));
    EXPECT_EQ(Strings(start.log.begin(), start.log.begin() + 4), (Strings{"push 2", "visit 2", "visit 2", "push 10"}));
    EXPECT_EQ(start.log.back(), "pop 2");
    EXPECT_EQ(start.pushes, start.pops);
    EXPECT_FALSE(start.Has("push 1"));
}

TEST_F(SceneWalkTest, ComplexSlaveModes)
{
    // Mode 0: masters only, no slave and no slave hooks.
    CRecorder none;
    none.mode = eSlavesNone;
    WalkPeer(none);
    EXPECT_TRUE(none.Only("slave ").empty());
    EXPECT_FALSE(none.Has("slaves"));
    EXPECT_TRUE(none.Has("end complex"));

    // Mode 3 with master 32 refused: slave 34 (on 32 only) reaches 0 and is skipped; 33 (on 31
    // and 32) keeps a count of 1. The counts go to the complex's location.
    CRecorder recount;
    recount.refused = {32};
    WalkPeer(recount);
    EXPECT_EQ(recount.Only("slave "), (Strings{"33", "33"}));
    CDsLocation* complex = Complex(1);
    ASSERT_NE(complex, nullptr);
    ASSERT_EQ(complex->GetCacheSize(), 2);
    EXPECT_EQ(complex->GetCache()[0], 1);
    EXPECT_EQ(complex->GetCache()[1], 0);

    // Mode 4: every slave once, whatever the counts.
    CRecorder all;
    all.mode = eSlavesAll;
    all.refused = {31, 32};
    WalkPeer(all);
    EXPECT_EQ(all.Only("slave ").size(), 4u);
}

TEST_F(SceneWalkTest, FastFramesNegateSlavesNotDrawnAndFullFramesVisitThem)
{
    CRecorder first;  // recount: both slaves counted
    WalkPeer(first);
    CDsLocation* complex = Complex(1);
    ASSERT_NE(complex, nullptr);
    EXPECT_EQ(complex->GetCache()[0], 2);
    EXPECT_EQ(complex->GetCache()[1], 1);

    CRecorder fast;  // slave 33 not drawn: its count is negated
    fast.mode = eSlavesCachedFast;
    fast.slavesNotDrawn = {33};
    WalkPeer(fast);
    EXPECT_EQ(complex->GetCache()[0], -2);
    EXPECT_EQ(complex->GetCache()[1], 1);

    CRecorder nextFast;  // skipped while the count is negative
    nextFast.mode = eSlavesCachedFast;
    WalkPeer(nextFast);
    EXPECT_EQ(nextFast.Only("slave "), (Strings{"34", "34"}));

    CRecorder full;  // a full frame visits it again (and leaves the count as it is)
    full.mode = eSlavesCached;
    WalkPeer(full);
    EXPECT_EQ(full.Only("slave "), (Strings{"33", "34", "33", "34"}));
    EXPECT_EQ(complex->GetCache()[0], -2);
}

TEST_F(SceneWalkTest, SlavesKeepTheirLocationsWhicheverSlavesAWalkVisits)
{
    CRecorder all;
    all.mode = eSlavesAll;
    WalkPeer(all);
    ASSERT_EQ(all.slaveLocations.size(), 4u);
    CDsLocation* slave33 = all.slaveLocations[0];
    CDsLocation* slave34 = all.slaveLocations[1];
    CDsLocation* master31 = scene.FindLocation(Path({1, 30, 31}, 2));
    ASSERT_NE(master31, nullptr);

    // Only 34 is visited now; it must stay at its own child index (masters + 1), not take 33's.
    CRecorder recount;
    recount.refused = {31};
    WalkPeer(recount);
    ASSERT_EQ(recount.Only("slave "), (Strings{"33", "34", "33", "34"}));
    CRecorder fast;
    fast.mode = eSlavesCachedFast;
    fast.slavesNotDrawn = {33};
    WalkPeer(fast);
    CRecorder only34;
    only34.mode = eSlavesCachedFast;
    WalkPeer(only34);
    ASSERT_EQ(only34.Only("slave "), (Strings{"34", "34"}));
    EXPECT_EQ(only34.slaveLocations[0], slave34);
    EXPECT_EQ(scene.FindLocation(Path({1, 30, 34}, 2)), slave34);
    // The locations of the slave left out and of the masters were not disturbed.
    EXPECT_EQ(scene.FindLocation(Path({1, 30, 33}, 2)), slave33);
    EXPECT_EQ(scene.FindLocation(Path({1, 30, 31}, 2)), master31);
}

TEST_F(SceneWalkTest, AComplexWithoutACacheIsRecounted)
{
    CRecorder first;
    WalkPeer(first);
    Complex(1)->InvalidateCache();
    CRecorder cached;  // asks for cached counts; the location has none, so the walk recounts
    cached.mode = eSlavesCachedFast;
    cached.refused = {32};
    WalkPeer(cached);
    EXPECT_EQ(Complex(1)->GetCacheSize(), 2);
    EXPECT_EQ(Complex(1)->GetCache()[1], 0);

    // A cache too small for the slaves: the slaves beyond it count 0 and are skipped.
    Complex(1)->PrepareCache(1, true);
    CRecorder small;
    small.mode = eSlavesCached;
    WalkPeer(small);
    EXPECT_EQ(small.Only("slave ").front(), "33");
    EXPECT_EQ(small.pushes, small.pops);
}

// A region 40 of `count` child regions (ids 100 up), each with one leaf entry (ids 1000 up).
void AddRegionOfRegions(CDsScene& scene, int count)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    const CVyrObjectId group(STestModel::kSubPart, 40);
    storage->AddItem(group, kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(group, 41, kRegionType, nullptr, nullptr, nullptr, true);
    for (int i = 0; i < count; ++i) {
        storage->AddChildItem(CVyrObjectId(STestModel::kSubPart, 41), 100 + i, kRegionType, nullptr, nullptr, nullptr,
                              true);
        storage->AddRegionLeaf(CVyrObjectId(STestModel::kSubPart, 100 + i), 1000 + i, kLeafType, true);
    }
    (void)scene;
}

// The child regions of region 41 that instance 1's walk visited, as indexes.
std::vector<int> VisitedChildren(const CRecorder& r)
{
    std::vector<int> out;
    for (const std::string& entry : r.Only("visit ")) {
        const int id = std::stoi(entry);
        if (id >= 100 && id < 1000 && std::find(out.begin(), out.end(), id - 100) == out.end()) out.push_back(id - 100);
    }
    return out;
}

TEST_F(SceneWalkTest, ChildRegionsAreThinnedByTheHideFactor)
{
    AddRegionOfRegions(scene, 60);
    const std::pair<unsigned, int> cases[] = {{7, 4}, {3, 2}, {1, 1}, {0, 1}};
    for (const auto& [factor, stride] : cases) {
        CRecorder r;
        r.hideFactor = factor;
        WalkPeer(r);
        std::vector<int> expected;
        for (int i = 0; i < 60; i += stride) expected.push_back(i);
        EXPECT_EQ(VisitedChildren(r), expected) << "factor " << factor;
        EXPECT_EQ(r.pushes, r.pops);
    }
}

TEST_F(SceneWalkTest, FiveChildRegionsAreNeverThinned)
{
    AddRegionOfRegions(scene, 5);
    CRecorder r;
    r.hideFactor = 7;
    WalkPeer(r);
    EXPECT_EQ(VisitedChildren(r), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(SceneWalkTest, ATreeDeeperThanThePathIsCutWithoutWritingPastIt)
{
    // A group holding a chain of 120 regions, each the only child of the one before.
    CDsPartStorage* storage = CDsPartStorage::instance();
    storage->AddItem(CVyrObjectId(STestModel::kSubPart, 60), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr,
                     true);
    int parent = 60;
    for (int id = 61; id < 181; parent = id++)
        ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(STestModel::kSubPart, parent), id, kRegionType, nullptr,
                                          nullptr, nullptr, true));
    storage->AddRegionLeaf(CVyrObjectId(STestModel::kSubPart, parent), 999, kLeafType, true);

    CRecorder r;
    CDsSceneWalk<CRecorder> walk(storage, r, &scene);
    EXPECT_TRUE(walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId())));
    EXPECT_TRUE(walk.WasTooDeep());
    EXPECT_EQ(r.pushes, r.pops);
    EXPECT_EQ(r.maxDepth, CDsSceneWalk<CRecorder>::kMaxIds);
    EXPECT_EQ(walk.GetPath().GetSize(), 0);
}

TEST_F(SceneWalkTest, CategoriesTheWalkDoesNotKnowAreWalkedAsGroups)
{
    CDsPartStorage::sm_Type2Cat[150] = static_cast<unsigned char>(eVyrCatGeometry);
    CDsPartStorage* storage = CDsPartStorage::instance();
    storage->AddItem(CVyrObjectId(STestModel::kSubPart, 50), 150, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(STestModel::kSubPart, 50), 51, kLeafType, nullptr, nullptr, nullptr, true);
    CRecorder r;
    WalkPeer(r);
    EXPECT_TRUE(r.Has("visit 51"));
    EXPECT_EQ(r.pushes, r.pops);
}

// --- The path filter ----------------------------------------------------------------------------

class PathFilterTest : public SceneWalkTest {
protected:
    // Walks the peer part through a filter over `paths` around `inner`.
    void Filtered(CRecorder& inner, const std::vector<CVyrObjectPath>& paths, bool exclusion, bool whole,
                  bool ancestors, int* remaining = nullptr)
    {
        CDsPathListFunctor<CRecorder> filter(inner, paths, scene.GetPeerPartId(), scene.GetTempPartId(), exclusion,
                                            whole, ancestors);
        CDsSceneWalk<CDsPathListFunctor<CRecorder>> walk(CDsPartStorage::instance(), filter, &scene);
        walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
        if (remaining) *remaining = filter.GetRemaining();
        EXPECT_EQ(inner.pushes, inner.pops);
    }
};

TEST_F(PathFilterTest, KeepsSortedTopmostPathsOfTheTwoParts)
{
    CRecorder inner;
    const int one = 1;
    // Below another, after it, a duplicate, one without ids, one of another part.
    const std::vector<CVyrObjectPath> paths = {Path({1, 10, 11}, 2), Path({2, 20}, 1), Path({1, 10}, 1),
                                               Path({1, 10}, 1), CVyrObjectPath(scene.GetPeerPartId()),
                                               CVyrObjectPath(&one, 1, 0, 4242)};
    CDsPathListFunctor<CRecorder> whole(inner, paths, scene.GetPeerPartId(), scene.GetTempPartId(), false, true, true);
    EXPECT_EQ(whole.GetPaths(), (std::vector<CVyrObjectPath>{Path({1, 10}, 1), Path({2, 20}, 1)}));
    EXPECT_EQ(whole.GetRemaining(), 2);
    // Without whole subtrees or exclusion a path below another listed one stays listed.
    CDsPathListFunctor<CRecorder> exact(inner, paths, scene.GetPeerPartId(), scene.GetTempPartId(), false, false, false);
    EXPECT_EQ(exact.GetPaths(),
              (std::vector<CVyrObjectPath>{Path({1, 10}, 1), Path({1, 10, 11}, 2), Path({2, 20}, 1)}));
}

TEST_F(PathFilterTest, DrawListedVisitsAncestorsThePathAndItsSubtreeOnly)
{
    CRecorder r;
    Filtered(r, {Path({1, 10}, 1), Path({1, 10, 11}, 2)}, false, true, true);
    EXPECT_EQ(r.Only("visit "), (Strings{"1", "10", "11", "12"}));
    EXPECT_FALSE(r.Has("push 2"));
    EXPECT_FALSE(r.Has("push 20"));
}

TEST_F(PathFilterTest, DrawAllButListedSkipsThePathAndItsSubtree)
{
    int remaining = -1;
    CRecorder r;
    Filtered(r, {Path({1, 10}, 1)}, true, true, true, &remaining);
    // Group 10 of instance 1 is neither entered nor visited; instance 2's is.
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "push 10"), 1);
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "visit 12"), 1);
    EXPECT_TRUE(r.Has("visit 20"));
    EXPECT_EQ(r.Only("slave ").size(), 4u);
    EXPECT_TRUE(r.Has("leaf 22:101"));
    // Instance 2's group 10 is not listed.
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "visit 11"), 1);
    EXPECT_EQ(remaining, 0);
}

// The draw walks' filter by its own names: of a/b and a/b/c only a/b stays; listed, a/b, its
// ancestors and its subtree are visited and nothing else; all but listed, everything else.
TEST_F(PathFilterTest, TheDrawWalksFilterIsBuiltWalkedAndFreed)
{
    const std::vector<CVyrObjectPath> paths = {Path({1, 10, 11}, 2), Path({1, 10}, 1)};
    for (bool allButListed : {false, true}) {
        CRecorder r;
        std::unique_ptr<CDsGlPathFilter<CRecorder>> storage =
            BuildPathFilter(r, paths, scene.GetPeerPartId(), scene.GetTempPartId(), allButListed);
        ASSERT_NE(storage, nullptr);
        CDsGlPathFilter<CRecorder>& filter = *storage;
        EXPECT_EQ(filter.GetPaths(), std::vector<CVyrObjectPath>{Path({1, 10}, 1)});
        EXPECT_EQ(filter.IsDrawAllButListed(), allButListed);
        EXPECT_TRUE(TraversePartFiltered(CDsPartStorage::instance(), filter, &scene,
                                         CVyrObjectPath(scene.GetPeerPartId())));
        EXPECT_EQ(filter.GetRemaining(), 0);
        FreePathFilter(storage);
        EXPECT_EQ(storage, nullptr);
        EXPECT_EQ(r.pushes, r.pops);
        if (!allButListed) {
            EXPECT_EQ(r.Only("visit "), (Strings{"1", "10", "11", "12"}));
        } else {
            // Instance 1's group 10 is neither entered nor visited; instance 2's is.
            EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "push 10"), 1);
            EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "visit 11"), 1);
            EXPECT_TRUE(r.Has("visit 20"));
        }
    }
}

TEST_F(PathFilterTest, ListingModesReachEveryListedPathAndOnlyThem)
{
    // All modes off: only the listed nodes are visited; an ancestor that is listed itself still
    // lets the walk reach the listed path below it.
    CRecorder exact;
    Filtered(exact, {Path({1, 10}, 1), Path({1, 10, 12}, 2)}, false, false, false);
    EXPECT_EQ(exact.Only("visit "), (Strings{"10", "12"}));
    EXPECT_TRUE(exact.Has("push 1"));  // entered on the way, not visited

    // Visit ancestors: the instance on the way is visited too; a refused ancestor does not stop
    // the way down.
    CRecorder inner;
    inner.refused = {1};
    const std::vector<CVyrObjectPath> paths = {Path({1, 10, 12}, 2)};
    CDsPathListFunctor<CRecorder> filter(inner, paths, scene.GetPeerPartId(), scene.GetTempPartId(), false, false, true);
    CDsSceneWalk<CDsPathListFunctor<CRecorder>> walk(CDsPartStorage::instance(), filter, &scene);
    walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
    EXPECT_EQ(inner.Only("visit "), (Strings{"1", "10", "12"}));
}

TEST_F(PathFilterTest, SlavesAndLeavesAreMatchedExactly)
{
    int remaining = -1;
    // (Every slave is offered: masters the filter refuses would lower the counts of a recount.)
    CRecorder slave;
    slave.mode = eSlavesAll;
    Filtered(slave, {Path({1, 30, 34}, 2)}, false, true, true, &remaining);
    EXPECT_EQ(slave.Only("slave "), (Strings{"34"}));
    EXPECT_EQ(remaining, 0);

    CRecorder excluded;
    Filtered(excluded, {Path({1, 30, 34}, 2)}, true, true, true);
    EXPECT_EQ(excluded.Only("slave "), (Strings{"33", "33", "34"}));

    // A listed leaf: the leaves before it are not offered; once every listed path is met the
    // rest are not offered either.
    CRecorder leaf;
    Filtered(leaf, {Path({1, 20, 21, 23}, 3)}, false, true, true);
    EXPECT_EQ(leaf.Only("leaf "), (Strings{"23:101"}));
}

TEST_F(PathFilterTest, TheRenderersEntryTakesTheListAndTheWalkAllFlag)
{
    CRecorder nothing;
    EXPECT_TRUE(DsTraverseScene(CDsPartStorage::instance(), nothing, CVyrObjectPath(scene.GetPeerPartId()), &scene,
                                {}, false));
    EXPECT_TRUE(nothing.log.empty());

    CRecorder everything;
    EXPECT_TRUE(DsTraverseScene(CDsPartStorage::instance(), everything, CVyrObjectPath(scene.GetPeerPartId()), &scene,
                                {}, true));
    EXPECT_EQ(everything.Only("slave ").size(), 4u);

    CRecorder listed;
    DsTraverseScene(CDsPartStorage::instance(), listed, CVyrObjectPath(scene.GetPeerPartId()), &scene,
                    {Path({2, 20}, 1)}, false);
    EXPECT_EQ(listed.Only("visit "), (Strings{"2", "20", "21"}));
    EXPECT_EQ(listed.Only("leaf ").size(), 4u);
}

}  // namespace
