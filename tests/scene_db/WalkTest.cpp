// Walking a scene built in code: locations per view, their order, stack balance, complexes,
// location boxes and the flags set by path.
#include "DsLocation.h"
#include "DsObjectPath.h"
#include "DsTraverseFunctor.h"
#include "SceneTestSupport.h"
#include "SceneTestWalk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

namespace {

// What a walk recorded.
struct SRecord {
    std::vector<CDsLocation*> locations;
    std::vector<CVyrObjectPath> paths;
    std::vector<CDsTransform> transforms;  // the top transform at each location
    std::vector<bool> hidden;              // whether the top attributes were hidden there
    std::vector<int> slaves;
    std::set<int> refused;                 // ids whose VisitItem answers false
    int pushes = 0;
    int pops = 0;
    bool balanced = false;  // the stacks were back at their start after the walk

    // Index of the first recorded path equal to `ids` (part and depth ignored), or -1.
    int Find(const std::vector<int>& ids) const
    {
        for (size_t i = 0; i < paths.size(); ++i) {
            if (paths[i].GetSize() == static_cast<int>(ids.size()) &&
                std::equal(ids.begin(), ids.end(), paths[i].GetIds().GetData()))
                return static_cast<int>(i);
        }
        return -1;
    }
};

// Records every location the walk reaches, pushing attributes and transforms as a box walk does.
struct CRecordingFunctor : CDsTraverseFunctor {
    SRecord& r;
    explicit CRecordingFunctor(SRecord& record) : r(record) {}

    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* item)
    {
        PushTransform(item, location, scene);
        PushAttributes(item, location, scene);
        ++r.pushes;
        r.locations.push_back(location);
        r.paths.push_back(path.ToVyrObjectPath());
        r.transforms.push_back(GetTopTransform());
        r.hidden.push_back(GetTopAttributes().IsHidden());
    }
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        return r.refused.count(path.GetLastId()) == 0;
    }
    void OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*)
    {
        PopTransform();
        PopAttributes();
        ++r.pops;
    }
    bool OnVisitSlave(CDsScene*, CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        r.slaves.push_back(path.GetLastId());
        return true;
    }
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int)
    {
        r.locations.push_back(location);
        r.paths.push_back(path.ToVyrObjectPath());
        r.transforms.push_back(GetTopTransform());  // the region's, keeping the records aligned
        r.hidden.push_back(GetTopAttributes().IsHidden());
        return true;
    }
};

view3d* FakeView(std::uintptr_t n) { return reinterpret_cast<view3d*>(n * 64); }

class WalkTest : public CSceneDbTest {
protected:
    void SetUp() override { model.Build(scene); }

    // Walks the peer part with a fresh functor prepared by `prepare`.
    SRecord Walk(std::set<int> refused = {})
    {
        SRecord record;
        record.refused = std::move(refused);
        CRecordingFunctor functor(record);
        CSceneTestWalk<CRecordingFunctor> walk(model.storage, functor, &scene);
        EXPECT_TRUE(walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId())));
        record.balanced = functor.GetTopTransform().IsIdentity() && functor.GetTopAttributes().IsEmpty() &&
                          functor.GetTopLocationState() == 0;
        return record;
    }

    CDsScene scene{1};
    STestModel model;
};

TEST_F(WalkTest, LocationsAreMadeOncePerViewAndComeBackInOrder)
{
    scene.SetCurrentView(FakeView(1));
    const SRecord first = Walk();
    // Per instance: the instance, group 10 with 11 and 12, group 20 with region 21 and its four
    // leaves, complex 30 with two masters and two slaves.
    ASSERT_EQ(first.locations.size(), 30u);
    EXPECT_EQ(std::set<CDsLocation*>(first.locations.begin(), first.locations.end()).size(), 30u);
    EXPECT_EQ(std::count(first.locations.begin(), first.locations.end(), nullptr), 0);
    EXPECT_EQ(first.pushes, first.pops);
    EXPECT_EQ(first.slaves, (std::vector<int>{33, 34, 33, 34}));

    // Each location knows its own path, with the item depth below the instance.
    for (size_t i = 0; i < first.locations.size(); ++i) EXPECT_EQ(first.locations[i]->GetPath(), first.paths[i]);
    EXPECT_EQ(first.paths[first.Find({2, 30, 34})], STestModel::Path(scene, {2, 30, 34}, 2));

    const SRecord second = Walk();
    EXPECT_EQ(second.locations, first.locations);
    EXPECT_EQ(second.paths, first.paths);

    // Another view gets locations of its own for the same nodes.
    scene.SetCurrentView(FakeView(2));
    const SRecord other = Walk();
    EXPECT_EQ(other.paths, first.paths);
    for (CDsLocation* location : other.locations)
        EXPECT_EQ(std::count(first.locations.begin(), first.locations.end(), location), 0);

    scene.SetCurrentView(FakeView(1));
    EXPECT_EQ(Walk().locations, first.locations);

    // A view that goes and comes again starts afresh.
    scene.RemoveView(FakeView(2));
    scene.SetCurrentView(FakeView(2));
    EXPECT_EQ(scene.GetMainLocation()->GetChildCount(), 0);
}

TEST_F(WalkTest, StacksBalanceAndCarryInstanceTransforms)
{
    const SRecord functor = Walk();
    EXPECT_EQ(functor.pushes, 22);  // region leaves are not pushed
    EXPECT_EQ(functor.pops, 22);
    EXPECT_TRUE(functor.balanced);

    const CDsTransform& moved = functor.transforms[functor.Find({2, 10, 11})];
    EXPECT_FLOAT_EQ(moved.GetMatrix()[12], 100.0f);
    EXPECT_TRUE(functor.transforms[functor.Find({1, 10, 11})].IsIdentity());
}

TEST_F(WalkTest, MastersThatAreNotVisitedLowerTheirSlavesCounts)
{
    // Master 32 refused: slave 34 depends on it alone and is skipped; 33 still has master 31.
    const SRecord functor = Walk({32});
    EXPECT_EQ(functor.slaves, (std::vector<int>{33, 33}));
    CDsLocation* complex = functor.locations[functor.Find({1, 30})];
    ASSERT_NE(complex->GetCache(), nullptr);
    ASSERT_EQ(complex->GetCacheSize(), 2);
    EXPECT_EQ(complex->GetCache()[0], 1);
    EXPECT_EQ(complex->GetCache()[1], 0);
    // The slave location that was not visited is clipped away.
    EXPECT_EQ(complex->GetChildCount(), 3);

    // With every master visited again, both slaves come back.
    EXPECT_EQ(Walk().slaves, (std::vector<int>{33, 34, 33, 34}));
}

TEST_F(WalkTest, ClipChildrenKeepsTheFirstLocationsWithTheirState)
{
    Walk();
    CDsLocation* group = scene.FindLocation(STestModel::Path(scene, {1, 10}, 1));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->GetChildCount(), 2);
    CDsLocation* first = group->GetChild(0);
    first->SetState(eAttribSetMark);
    group->GetChild(1)->SetState(eAttribSetHighlight);

    group->ClipChildren(1);
    EXPECT_EQ(group->GetChildCount(), 1);
    EXPECT_EQ(group->GetChild(0), first);
    EXPECT_EQ(first->GetState(), eAttribSetMark);
    EXPECT_EQ(group->GetChild(1), nullptr);
    group->ClipChildren(-3);  // below 0 clips everything
    EXPECT_EQ(group->GetChildCount(), 0);

    // The next walk makes both again; the state of the clipped one is gone.
    Walk();
    ASSERT_EQ(group->GetChildCount(), 2);
    EXPECT_EQ(group->GetChild(1)->GetState(), 0);
}

TEST_F(WalkTest, LocationsFollowItemsThatComeAndGo)
{
    Walk();
    CDsLocation* group = scene.FindLocation(STestModel::Path(scene, {1, 10}, 1));
    CDsLocation* second = group->GetChild(1);
    second->SetState(eAttribSetMark);

    // The first child goes: the second's location moves up and keeps its state.
    ASSERT_TRUE(model.storage->RemoveItem(CVyrObjectId(STestModel::kSubPart, 11), nullptr));
    Walk();
    ASSERT_EQ(group->GetChildCount(), 1);
    EXPECT_EQ(group->GetChild(0), second);
    EXPECT_EQ(second->GetState(), eAttribSetMark);

    // A new item with the id of the one that went gets a fresh location.
    model.storage->AddChildItem(CVyrObjectId(STestModel::kSubPart, 10), 11, kLeafType, nullptr, nullptr, nullptr,
                                true);
    const SRecord after = Walk();
    ASSERT_EQ(group->GetChildCount(), 2);
    EXPECT_EQ(group->GetChild(0), second);
    EXPECT_EQ(group->GetChild(1)->GetState(), 0);
    EXPECT_NE(after.Find({1, 10, 11}), -1);
}

TEST_F(WalkTest, LocationBoxesAreInRootCoordinates)
{
    Walk();
    scene.ValidateLocationsBB();
    float b[6];
    CDsLocation* leaf = scene.FindLocation(STestModel::Path(scene, {2, 10, 11}, 2));
    ASSERT_TRUE(leaf->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5]));
    EXPECT_EQ(std::vector<float>(b, b + 6), (std::vector<float>{100, 0, 0, 101, 1, 1}));
    CDsLocation* group = scene.FindLocation(STestModel::Path(scene, {2, 10}, 1));
    ASSERT_TRUE(group->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5]));
    EXPECT_EQ(std::vector<float>(b, b + 6), (std::vector<float>{100, 0, 0, 106, 1, 1}));
    // A region leaf is bounded by the region's geometry for its id.
    CDsLocation* regionLeaf = scene.FindLocation(STestModel::Path(scene, {1, 20, 21, 23}, 3));
    ASSERT_TRUE(regionLeaf->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5]));
    EXPECT_EQ(b[0], 23.0f);
    EXPECT_TRUE(scene.GetMainLocation()->HasBoundBox());
    EXPECT_FALSE(scene.GetTempLocation()->HasBoundBox());
    EXPECT_TRUE(scene.GetTempLocation()->IsBoundBoxEmpty());

    // Moving an instance invalidates the boxes until they are validated again.
    const CDsTransform further(translate_transf(SPAvector(200, 0, 0)));
    ASSERT_TRUE(model.storage->UpdateTransform(CVyrObjectId(scene.GetPeerPartId(), 2), further, nullptr));
    EXPECT_FALSE(leaf->HasBoundBox());
    scene.ValidateLocationsBB();
    ASSERT_TRUE(leaf->GetBoundBox(b[0], b[1], b[2], b[3], b[4], b[5]));
    EXPECT_EQ(b[0], 200.0f);

    const SPAbox bounds = scene.GetBoundsBox();
    EXPECT_DOUBLE_EQ(bounds.low().x(), 0.0);
    EXPECT_DOUBLE_EQ(bounds.high().x(), 206.0);
    EXPECT_DOUBLE_EQ(bounds.high().y(), 21.0);
}

TEST_F(WalkTest, FlagsSetByPathReachEveryViewAndLaterLocations)
{
    const CVyrObjectPath leafPath = STestModel::Path(scene, {1, 10, 11}, 2);
    scene.SetCurrentView(FakeView(1));
    Walk();
    ASSERT_TRUE(scene.SetOnTop(leafPath));
    EXPECT_TRUE(scene.FindLocation(leafPath)->IsOnTop());
    scene.SetCurrentView(FakeView(2));
    Walk();  // made after the flag was set
    EXPECT_TRUE(scene.FindLocation(leafPath)->IsOnTop());
    EXPECT_FALSE(scene.FindLocation(STestModel::Path(scene, {1, 10, 12}, 2))->IsOnTop());
    ASSERT_TRUE(scene.ClearOnTop(leafPath));
    EXPECT_FALSE(scene.FindLocation(leafPath)->IsOnTop());
    scene.SetCurrentView(FakeView(1));
    EXPECT_FALSE(scene.FindLocation(leafPath)->IsOnTop());

    ASSERT_TRUE(scene.SetOrgAttrs(leafPath));
    EXPECT_TRUE(scene.FindLocation(leafPath)->UseOrgAttrs());

    // Paths into nowhere.
    EXPECT_FALSE(scene.SetOnTop(STestModel::Path(scene, {1, 99}, 1)));
    EXPECT_FALSE(scene.ForceHide(CVyrObjectPath(scene.GetPeerPartId())));
    EXPECT_FALSE(scene.ForceShow(CVyrObjectPath(leafPath.GetIds().GetData(), 3, 2, 12345)));
    EXPECT_FALSE(scene.SetTransformId(leafPath, 77));  // no such transform id
}

TEST_F(WalkTest, HidingByPathTypeAndForcedShow)
{
    ASSERT_TRUE(scene.ForceHide(STestModel::Path(scene, {1, 10}, 1)));
    SRecord functor = Walk();
    EXPECT_TRUE(functor.hidden[functor.Find({1, 10})]);
    EXPECT_TRUE(functor.hidden[functor.Find({1, 10, 11})]);  // inherited
    EXPECT_FALSE(functor.hidden[functor.Find({2, 10, 11})]);

    ASSERT_TRUE(scene.ResetHideShow(STestModel::Path(scene, {1, 10}, 1)));
    scene.SwitchShowByType(kLeafType, false);
    ASSERT_TRUE(scene.ForceShow(STestModel::Path(scene, {1, 10, 11}, 2)));
    functor = Walk();
    EXPECT_FALSE(functor.hidden[functor.Find({1, 10})]);
    EXPECT_FALSE(functor.hidden[functor.Find({1, 10, 11})]);
    EXPECT_TRUE(functor.hidden[functor.Find({1, 10, 12})]);
    EXPECT_TRUE(scene.IsHidden(kLeafType));
    EXPECT_FALSE(scene.IsHidden(300));

    // Special hiding stays whatever is forced.
    CDsAttributes special;
    special.SetHideLevel(CDsAttributes::kSpecialHideLevel);
    ASSERT_TRUE(model.storage->UpdateAttributes(CVyrObjectId(STestModel::kSubPart, 11), special, nullptr));
    functor = Walk();
    EXPECT_TRUE(functor.hidden[functor.Find({1, 10, 11})]);
}

TEST_F(WalkTest, TransformIdsReplaceTheItemsTransform)
{
    const CVyrObjectPath leafPath = STestModel::Path(scene, {2, 10, 11}, 2);
    const unsigned short id = scene.NewTransformId();
    ASSERT_NE(id, 0);
    ASSERT_TRUE(scene.SetTransform(id, translate_transf(SPAvector(0, 7, 0))));
    ASSERT_TRUE(scene.SetTransformId(leafPath, id));
    EXPECT_EQ(scene.GetTransformId(leafPath), id);

    SRecord functor = Walk();
    CDsLocation* leaf = functor.locations[functor.Find({2, 10, 11})];
    EXPECT_EQ(leaf->GetTransformId(), id);
    ASSERT_NE(leaf->GetTransform(&scene), nullptr);
    const float* top = functor.transforms[functor.Find({2, 10, 11})].GetMatrix();
    EXPECT_FLOAT_EQ(top[12], 100.0f);  // the instance's move
    EXPECT_FLOAT_EQ(top[13], 7.0f);    // and the transform id's

    scene.ReleaseTransformId(id);
    EXPECT_EQ(leaf->GetTransform(&scene), nullptr);
    CDsTransform unused;
    EXPECT_FALSE(scene.GetTransform(id, unused));
    EXPECT_FALSE(scene.SetTransform(id, unused));
}

TEST_F(WalkTest, ReleasedTransformIdsAreGivenOutAgainAsTheIdentity)
{
    const unsigned short first = scene.NewTransformId();
    const unsigned short second = scene.NewTransformId();
    const unsigned short third = scene.NewTransformId();
    ASSERT_NE(first, 0);
    ASSERT_NE(second, first);
    ASSERT_NE(third, second);
    ASSERT_TRUE(scene.SetTransform(second, translate_transf(SPAvector(5, 0, 0))));
    scene.ReleaseTransformId(second);
    CDsTransform transform;
    EXPECT_FALSE(scene.GetTransform(second, transform));

    // The free id comes back first, holding the identity rather than its old transform.
    EXPECT_EQ(scene.NewTransformId(), second);
    ASSERT_TRUE(scene.GetTransform(second, transform));
    EXPECT_TRUE(transform.IsIdentity());
    EXPECT_TRUE(scene.GetTransform(third, transform));  // the others stay in use
    EXPECT_TRUE(scene.GetTransform(first, transform));
    const unsigned short fourth = scene.NewTransformId();
    EXPECT_NE(fourth, 0);
    EXPECT_NE(fourth, first);
    EXPECT_NE(fourth, second);
    EXPECT_NE(fourth, third);
}

TEST_F(WalkTest, SynchronizeLocationsBringsEveryLocationInStep)
{
    scene.SetCurrentView(FakeView(1));
    model.storage->SynchronizeLocations(&scene, false);
    EXPECT_EQ(scene.GetMainLocation()->GetChildCount(), 2);
    EXPECT_NE(scene.FindLocation(STestModel::Path(scene, {2, 20, 21, 25}, 3)), nullptr);
    EXPECT_NE(scene.FindLocation(STestModel::Path(scene, {2, 30, 34}, 2)), nullptr);
    CDsLocation* group = scene.FindLocation(STestModel::Path(scene, {1, 20}, 1));

    ASSERT_TRUE(model.storage->RemoveItem(CVyrObjectId(STestModel::kSubPart, 30), nullptr));
    model.storage->SynchronizeLocations(&scene, false);
    EXPECT_EQ(scene.FindLocation(STestModel::Path(scene, {1, 30}, 1)), nullptr);
    EXPECT_EQ(scene.FindLocation(STestModel::Path(scene, {1, 20}, 1)), group);

    // Other views only when asked.
    scene.SetCurrentView(FakeView(2));
    scene.SetCurrentView(FakeView(1));
    model.storage->SynchronizeLocations(&scene, false);
    scene.SetCurrentView(FakeView(2));
    EXPECT_EQ(scene.GetMainLocation()->GetChildCount(), 0);
    model.storage->SynchronizeLocations(&scene, true);
    EXPECT_EQ(scene.GetMainLocation()->GetChildCount(), 2);
    model.storage->SynchronizeLocations(nullptr, true);  // nothing to do

    // The walk finds the same locations.
    const SRecord walked = Walk();
    EXPECT_EQ(walked.locations[walked.Find({2, 20, 21, 25})],
              scene.FindLocation(STestModel::Path(scene, {2, 20, 21, 25}, 3)));
}

TEST_F(WalkTest, TheScenesBoxLeavesHiddenTypesOut)
{
    const SPAbox all = scene.GetBoundsBox();
    EXPECT_DOUBLE_EQ(all.high().y(), 21.0);
    scene.SwitchShowByType(kLeafType, false);  // masters and slaves of the complex are leaves
    const SPAbox shown = scene.GetBoundsBox();
    EXPECT_DOUBLE_EQ(shown.high().y(), 11.0);  // the region's own box
    EXPECT_DOUBLE_EQ(shown.high().x(), 101.0);
}

TEST_F(WalkTest, TheScenesBoxPlacesEveryItemByTheTransformIdsOnItsPath)
{
    const SPAbox before = scene.GetBoundsBox();
    EXPECT_DOUBLE_EQ(before.high().y(), 21.0);
    // A leaf of the moved instance lifted by 50, the instance in place pushed back by 30 (its
    // own transform replaced), a region leaf brought forward by 40.
    const std::vector<std::pair<CVyrObjectPath, SPAvector>> moves = {
        {STestModel::Path(scene, {2, 10, 11}, 2), SPAvector(0, 50, 0)},
        {STestModel::Path(scene, {1}, 0), SPAvector(0, 0, -30)},
        {STestModel::Path(scene, {2, 20, 21, 23}, 3), SPAvector(0, 0, 40)},
    };
    for (const auto& move : moves) {
        const unsigned short id = scene.NewTransformId();
        ASSERT_TRUE(scene.SetTransform(id, translate_transf(move.second)));
        ASSERT_TRUE(scene.SetTransformId(move.first, id));
    }
    const SPAbox after = scene.GetBoundsBox();
    EXPECT_DOUBLE_EQ(after.high().y(), 51.0);  // the lifted leaf
    EXPECT_DOUBLE_EQ(after.low().z(), -30.0);  // the instance pushed back
    EXPECT_DOUBLE_EQ(after.high().z(), 41.0);  // the region leaf (23 along x in its region)
    EXPECT_DOUBLE_EQ(after.low().x(), 0.0);
    EXPECT_DOUBLE_EQ(after.high().x(), 124.0);

    // A new transform of an id moves its leaf in the box at once.
    ASSERT_TRUE(scene.SetTransform(scene.GetTransformId(moves[0].first), translate_transf(SPAvector(0, -40, 0))));
    EXPECT_DOUBLE_EQ(scene.GetBoundsBox().low().y(), -40.0);
}

}  // namespace
