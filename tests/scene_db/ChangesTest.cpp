// Change tracking per view: new views, the change log the display core writes, its flag byte,
// changes made through the store, and the window rectangles of changed locations.
#include "DsLocation.h"
#include "DsTraverseFunctor.h"
#include "SceneTestSupport.h"
#include "SceneTestWalk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

namespace {

// Sets the state of one location, as the display core's location-modifying walk does.
struct CModifyFunctor : CDsTraverseFunctor {
    CVyrObjectPath target;
    unsigned char state = 0;

    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant*)
    {
        if (path == target) location->SetState(state);
        return true;
    }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int) { return true; }
};

view3d* FakeView(std::uintptr_t n) { return reinterpret_cast<view3d*>(n * 64); }

class ChangesTest : public CSceneDbTest {
protected:
    void SetUp() override { model.Build(scene); }

    EChangeStatus Changes(view3d* view)
    {
        paths.clear();
        ids.clear();
        return scene.GetChanges(paths, ids, logNumber, dbNumber, view);
    }
    // Asks for the changes of `view` and marks them seen.
    void Sync(view3d* view)
    {
        Changes(view);
        scene.SyncNumbers(logNumber, dbNumber, view);
    }
    void ModifyState(const CVyrObjectPath& path, unsigned char state)
    {
        CModifyFunctor functor;
        functor.target = path;
        functor.state = state;
        CSceneTestWalk<CModifyFunctor> walk(model.storage, functor, &scene);
        walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
    }

    CDsScene scene{7};
    STestModel model;
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int logNumber = 0;
    int dbNumber = 0;
    view3d* const a = FakeView(1);
    view3d* const b = FakeView(2);
};

TEST_F(ChangesTest, NewViewsChangeTotallyUntilTheySync)
{
    EXPECT_EQ(Changes(a), eTotallyChanged);
    EXPECT_EQ(scene.GetCurrentView(), a);
    scene.SyncNumbers(logNumber, dbNumber, a);
    EXPECT_EQ(Changes(a), eNoChange);
    EXPECT_TRUE(paths.empty());
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(Changes(b), eTotallyChanged);  // b has not synced yet
    Sync(b);
    EXPECT_EQ(Changes(b), eNoChange);
}

TEST_F(ChangesTest, AStateChangeInTheLogIsAPartialChangeWithItsRectangle)
{
    Sync(a);
    Sync(b);
    const CVyrObjectPath leaf = STestModel::Path(scene, {1, 10, 11}, 2);
    scene.SetCurrentView(a);
    ModifyState(leaf, eAttribSetMark);  // also makes a's locations
    CDsLocation* location = scene.FindLocation(leaf);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(location->GetState(), eAttribSetMark);
    location->Set2dBoundBox(10, 40, 30, 20);
    scene.GetChangeLog().Record({leaf});

    ASSERT_EQ(Changes(a), ePartiallyChanged);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].first, leaf);
    EXPECT_FALSE(paths[0].second);
    RECT rect{};
    ASSERT_TRUE(scene.GetLocationRect(leaf, &rect));
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 30);
    EXPECT_EQ(rect.bottom, 20);
    EXPECT_FALSE(scene.GetLocationRect(leaf, nullptr));
    EXPECT_FALSE(scene.GetLocationRect(STestModel::Path(scene, {1, 10, 12}, 2), &rect));  // no window box yet

    // b sees the same change, but has no location for it.
    ASSERT_EQ(Changes(b), ePartiallyChanged);
    EXPECT_EQ(paths.size(), 1u);
    EXPECT_FALSE(scene.GetLocationRect(leaf, &rect));

    // Views track what they have seen independently.
    Sync(a);
    EXPECT_EQ(Changes(a), eNoChange);
    EXPECT_EQ(Changes(b), ePartiallyChanged);
    Sync(b);
    EXPECT_EQ(Changes(b), eNoChange);
}

TEST_F(ChangesTest, AClearedFlagByteIsATotalChangeForEveryView)
{
    Sync(a);
    Sync(b);
    scene.GetChangeLog().m_flag = 0;
    EXPECT_EQ(Changes(a), eTotallyChanged);
    EXPECT_EQ(scene.GetChangeLog().m_flag, 1);  // turned into the views' status
    Sync(a);
    EXPECT_EQ(Changes(a), eNoChange);
    EXPECT_EQ(Changes(b), eTotallyChanged);
    Sync(b);
    EXPECT_EQ(Changes(b), eNoChange);
}

TEST_F(ChangesTest, LogEntriesAViewMissedMakeATotalChange)
{
    Sync(a);
    const CVyrObjectPath leaf = STestModel::Path(scene, {1, 10, 11}, 2);
    CDsScene::SChangeLog& log = scene.GetChangeLog();
    for (int i = 0; i < CDsScene::SChangeLog::kSlotCount; ++i) log.Record({leaf});
    EXPECT_EQ(Changes(a), ePartiallyChanged);
    EXPECT_EQ(paths.size(), 1u);  // the same path once
    log.Record({leaf});           // the 51st entry empties the slots
    EXPECT_EQ(log.m_base, CDsScene::SChangeLog::kSlotCount);
    EXPECT_EQ(log.m_used, 1);
    EXPECT_EQ(Changes(a), eTotallyChanged);
    Sync(a);
    EXPECT_EQ(Changes(a), eNoChange);
    log.Record({});  // an empty list records nothing
    EXPECT_EQ(Changes(a), eNoChange);
}

TEST_F(ChangesTest, StoreAndSceneChangesReachTheViews)
{
    Sync(a);
    const CVyrObjectId added(scene.GetTempPartId(), scene.NextTempItemId());
    ASSERT_TRUE(model.storage->AddItem(added, eVyrObjTypeFigure, new CTestGeometry(), nullptr, nullptr, nullptr,
                                       nullptr, true));
    ASSERT_EQ(Changes(a), ePartiallyChanged);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].first, added);
    Sync(a);

    // An item added silently is no change.
    const CVyrObjectId silent(scene.GetTempPartId(), scene.NextTempItemId());
    ASSERT_TRUE(model.storage->AddItem(silent, eVyrObjTypeFigure, nullptr, nullptr, nullptr, nullptr, nullptr, false));
    EXPECT_EQ(Changes(a), eNoChange);

    const CVyrObjectPath leaf = STestModel::Path(scene, {1, 10, 11}, 2);
    ASSERT_TRUE(scene.ForceHide(leaf));
    ASSERT_EQ(Changes(a), ePartiallyChanged);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_TRUE(paths[0].second);  // hiding changes boxes: not by rectangle
    Sync(a);

    scene.SwitchShowByType(kLeafType, false);
    EXPECT_EQ(Changes(a), eTotallyChanged);
    Sync(a);
    scene.SwitchShowByType(kLeafType, false);  // no change of the switch: nothing to draw
    EXPECT_EQ(Changes(a), eNoChange);
    CDsScene::SetSpecialAttrs(eAttribSetHighlight, CDsAttributes());
    EXPECT_EQ(Changes(a), eTotallyChanged);
    Sync(a);
    scene.InvalidateStates();
    EXPECT_EQ(Changes(a), eTotallyChanged);
}

TEST_F(ChangesTest, ANewTransformOfAnIdChangesThePathsThatCarryItByTheirRectangles)
{
    const CVyrObjectPath leaf = STestModel::Path(scene, {2, 10, 11}, 2);
    const CVyrObjectPath other = STestModel::Path(scene, {1, 20}, 1);
    const unsigned short id = scene.NewTransformId();
    const unsigned short unused = scene.NewTransformId();
    ASSERT_TRUE(scene.SetTransformId(leaf, id));
    ASSERT_TRUE(scene.SetTransformId(other, id));
    scene.SetCurrentView(a);
    model.storage->SynchronizeLocations(&scene, false);
    scene.ValidateLocationsBB();
    CDsLocation* location = scene.FindLocation(leaf);
    ASSERT_NE(location, nullptr);
    location->Set2dBoundBox(10, 40, 30, 20);
    Sync(a);

    // An id no path carries moves nothing.
    ASSERT_TRUE(scene.SetTransform(unused, translate_transf(SPAvector(0, 9, 0))));
    EXPECT_EQ(Changes(a), eNoChange);

    ASSERT_TRUE(scene.SetTransform(id, translate_transf(SPAvector(0, 9, 0))));
    ASSERT_EQ(Changes(a), ePartiallyChanged);
    ASSERT_EQ(paths.size(), 2u);
    for (const auto& path : paths) {
        EXPECT_TRUE(path.first.GetIds() == leaf.GetIds() || path.first.GetIds() == other.GetIds());
        EXPECT_FALSE(path.second);  // by rectangle
    }
    EXPECT_TRUE(ids.empty());
    // The rectangle is still where the location was; its model box is no longer valid.
    RECT rect{};
    ASSERT_TRUE(scene.GetLocationRect(leaf, &rect));
    EXPECT_EQ(rect.left, 10);
    EXPECT_FALSE(location->HasBoundBox());
}

TEST_F(ChangesTest, SixtyFourChangedPathsOrIdsAreListedMoreAreATotalChange)
{
    Sync(a);
    std::vector<CVyrObjectPath> listed;
    for (int id = 1; id <= 64; ++id) listed.push_back(STestModel::Path(scene, {1, id}, 1));
    scene.GetChangeLog().Record(listed);
    ASSERT_EQ(Changes(a), ePartiallyChanged);
    EXPECT_EQ(paths.size(), 64u);
    scene.GetChangeLog().Record({STestModel::Path(scene, {1, 65}, 1)});
    EXPECT_EQ(Changes(a), eTotallyChanged);
    EXPECT_TRUE(paths.empty());
    Sync(a);

    for (int n = 0; n < 64; ++n) {
        const CVyrObjectId id(scene.GetTempPartId(), scene.NextTempItemId());
        ASSERT_TRUE(model.storage->AddItem(id, eVyrObjTypeFigure, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    }
    ASSERT_EQ(Changes(a), ePartiallyChanged);
    EXPECT_EQ(ids.size(), 64u);
    const CVyrObjectId last(scene.GetTempPartId(), scene.NextTempItemId());
    ASSERT_TRUE(model.storage->AddItem(last, eVyrObjTypeFigure, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_EQ(Changes(a), eTotallyChanged);
    EXPECT_TRUE(ids.empty());
}

TEST_F(ChangesTest, ChangesOfAnotherSceneAreNotListed)
{
    CDsScene other(8);
    Sync(a);
    other.GetChangeLog().Record({CVyrObjectPath(other.GetPeerPartId())});
    other.SwitchShowByType(kLeafType, false);
    EXPECT_EQ(Changes(a), eNoChange);
}

// A scene that goes takes its changes along: a scene made later at the same address must not see
// them, even for a view that starts from a number before they were made.
class SceneLifetimeTest : public CSceneDbTest {};

TEST_F(SceneLifetimeTest, ANewSceneWhereAGoneOneLivedSeesNoneOfItsChanges)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    SetTestCategories();
    // Both parts exist beforehand, so the scenes own neither and going changes nothing for others.
    ASSERT_NE(storage->CreatePart(21), nullptr);
    ASSERT_NE(storage->CreatePart(~21), nullptr);
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(21, 1), kLeafType, nullptr, nullptr, nullptr, nullptr, nullptr, false));
    const int leafId = 1;
    const CVyrObjectPath leaf(&leafId, 1, 1, 21);
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int logNumber = 0, before = 0;

    alignas(CDsScene) unsigned char place[sizeof(CDsScene)];
    CDsScene* gone = new (place) CDsScene(21);
    gone->GetChanges(paths, ids, logNumber, before, nullptr);
    EXPECT_TRUE(gone->ForceHide(leaf));
    gone->~CDsScene();

    CDsScene* fresh = new (place) CDsScene(21);
    fresh->SyncNumbers(0, before, nullptr);
    paths.clear();
    int dbNumber = 0;
    EXPECT_EQ(fresh->GetChanges(paths, ids, logNumber, dbNumber, nullptr), eNoChange);
    EXPECT_TRUE(paths.empty());
    EXPECT_TRUE(fresh->ForceHide(leaf));  // its own changes it does see
    EXPECT_EQ(fresh->GetChanges(paths, ids, logNumber, dbNumber, nullptr), ePartiallyChanged);
    EXPECT_EQ(paths.size(), 1u);
    fresh->~CDsScene();
}

}  // namespace
