// Locations: temporary and lasting state changes, cached data, the integer cache and the window
// box.
#include "DsLocation.h"
#include "DsTraverseFunctor.h"
#include "SceneTestSupport.h"
#include "SceneTestWalk.h"

#include <gtest/gtest.h>

namespace {

// Enters every location as the draw walk does: a temporary state, cached data, the state back.
struct CCachingFunctor : CDsTraverseFunctor {
    unsigned char entryState = 0;
    int cached = 0;  // locations whose cached data was used

    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&, const CDsItemVariant* item)
    {
        if (scene->IsAttributesValid() && location->IsCachedDataValid()) {
            ++cached;
            PushAttributes(item, location, scene);
            return;
        }
        const unsigned char saved = location->GetState();
        if (entryState != 0) location->SetState(entryState);
        PushAttributes(item, location, scene);
        location->SetCachedData(GetTopAttributes(), GetTopLocationState());
        location->SetState(saved);
    }
    void OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { PopAttributes(); }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int) { return true; }
};

class LocationTest : public CSceneDbTest {
protected:
    void SetUp() override
    {
        model.Build(scene);
        scene.InvalidateAttributesCache();  // as a refresh does before it draws
    }

    int Walk(unsigned char entryState = 0)
    {
        CCachingFunctor functor;
        functor.entryState = entryState;
        CSceneTestWalk<CCachingFunctor> walk(model.storage, functor, &scene);
        walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
        return functor.cached;
    }
    CDsLocation* Leaf() { return scene.FindLocation(STestModel::Path(scene, {1, 10, 11}, 2)); }

    CDsScene scene{5};
    STestModel model;
};

TEST_F(LocationTest, AWalksOwnSetAndRestoreKeepsTheCachedData)
{
    EXPECT_EQ(Walk(eAttribSetHighlight), 0);
    EXPECT_TRUE(scene.IsAttributesValid());
    ASSERT_TRUE(Leaf()->IsCachedDataValid());
    CDsAttributes attributes;
    int stateWord = -1;
    Leaf()->GetCachedData(attributes, stateWord);
    EXPECT_EQ(stateWord, eAttribSetHighlight);  // what the walk pushed while the state was set
    EXPECT_EQ(Leaf()->GetState(), 0);           // and the state went back
    EXPECT_EQ(Walk(), 22);                      // every pushed location comes from the cache
}

TEST_F(LocationTest, ALocationInASpecialStateIsPushedWithThatStatesSpecialSetOverItsOwnAttributes)
{
    const CDsAttributes saved4 = CDsScene::GetSpecialAttrs(eAttribSetHighlight);
    const CDsAttributes saved13 = CDsScene::GetSpecialAttrs(eAttribSetTransparentSlave);
    CDsAttributes green, blue;
    green.SetColor(0x00FF00);
    blue.SetColor(0xFF0000);
    CDsScene::SetSpecialAttrs(eAttribSetHighlight, green);
    CDsScene::SetSpecialAttrs(eAttribSetTransparentSlave, blue);
    auto colourAfterWalk = [&](unsigned char state) {
        scene.InvalidateAttributesCache();
        Walk(state);
        CDsAttributes attributes;
        int stateWord = -1;
        Leaf()->GetCachedData(attributes, stateWord);
        return attributes.GetColor();
    };
    EXPECT_EQ(colourAfterWalk(eAttribSetHighlight), 0x00FF00u);
    EXPECT_NE(colourAfterWalk(eAttribSetTransparentSlave), 0xFF0000u) << "slave states select no set";
    EXPECT_NE(colourAfterWalk(0), 0x00FF00u);
    CDsScene::SetSpecialAttrs(eAttribSetHighlight, saved4);
    CDsScene::SetSpecialAttrs(eAttribSetTransparentSlave, saved13);
}

TEST_F(LocationTest, ALastingStateChangeInvalidatesTheCache)
{
    Walk();
    // A state set inside a walk and not undone is lasting once the walk ends.
    {
        CDsTraverseFunctor modifying;
        Leaf()->SetState(eAttribSetMark);
        EXPECT_TRUE(scene.IsAttributesValid());  // not yet decided
    }
    EXPECT_EQ(Leaf()->GetState(), eAttribSetMark);
    EXPECT_FALSE(Leaf()->IsCachedDataValid());
    EXPECT_FALSE(scene.IsAttributesValid());
    scene.InvalidateAttributesCache();
    EXPECT_TRUE(scene.IsAttributesValid());
    EXPECT_EQ(Walk(), 0);  // everything recomputed once
    EXPECT_EQ(Walk(), 22);

    // Outside any walk a change is lasting at once; setting the same state changes nothing.
    Leaf()->SetState(eAttribSetMark);
    EXPECT_TRUE(scene.IsAttributesValid());
    Leaf()->SetState(eAttribSetDim);
    EXPECT_FALSE(scene.IsAttributesValid());
    EXPECT_FALSE(Leaf()->IsCachedDataValid());
}

TEST_F(LocationTest, StatesBelowALocationCanBeResetTogether)
{
    Walk();
    CDsLocation* group = Leaf()->GetParent();
    Leaf()->SetState(eAttribSetMark);
    group->SetState(eAttribSetDim);
    group->InvalidateChildrenState();
    EXPECT_EQ(Leaf()->GetState(), 0);
    EXPECT_EQ(group->GetState(), eAttribSetDim);
    Leaf()->SetState(eAttribSetMark);
    scene.InvalidateStates();
    EXPECT_EQ(Leaf()->GetState(), 0);
    EXPECT_EQ(group->GetState(), 0);
}

TEST_F(LocationTest, TheIntegerCacheGrowsKeepsAndDrops)
{
    Walk();
    CDsLocation* location = Leaf();
    EXPECT_EQ(location->GetCache(), nullptr);
    location->PrepareCache(3, false);
    ASSERT_NE(location->GetCache(), nullptr);
    EXPECT_EQ(location->GetCacheSize(), 3);
    location->GetCache()[0] = -2;
    location->GetCache()[2] = 9;
    location->PrepareCache(100, true);  // grows, keeps what was there, new ints 0
    EXPECT_EQ(location->GetCache()[0], -2);
    EXPECT_EQ(location->GetCache()[2], 9);
    EXPECT_EQ(location->GetCache()[99], 0);
    location->PrepareCache(2, false);
    EXPECT_EQ(location->GetCache()[0], 0);
    location->InvalidateCache();
    EXPECT_EQ(location->GetCache(), nullptr);
    location->PrepareCache(-1, true);
    EXPECT_EQ(location->GetCache(), nullptr);
}

TEST_F(LocationTest, WindowBoxes)
{
    Walk();
    CDsLocation* location = Leaf();
    int box[4] = {7, 7, 7, 7};
    EXPECT_TRUE(location->Is2dBoundBoxEmpty());
    EXPECT_FALSE(location->Get2dBoundBox(box[0], box[1], box[2], box[3]));
    EXPECT_EQ(box[0], 7);  // outputs untouched
    location->Set2dBoundBox(1, 0, 0, 1);  // the empty box
    EXPECT_TRUE(location->Is2dBoundBoxEmpty());
    location->Set2dBoundBox(5, 5, 5, 5);  // a single pixel is not empty
    EXPECT_FALSE(location->Is2dBoundBoxEmpty());
    location->Set2dBoundBox(-10, 30, 20, -4);
    ASSERT_TRUE(location->Get2dBoundBox(box[0], box[1], box[2], box[3]));
    EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{-10, 30, 20, -4}));
}

TEST_F(LocationTest, SynchronizingWithoutAParentOrWithABadIndexGivesNull)
{
    CDsTraverseFunctor functor;
    const CDsItemVariant* item = model.storage->GetPart(STestModel::kSubPart)->FindItem(10);
    EXPECT_EQ(functor.SynchronizeLocation(nullptr, 0, 10, item), nullptr);
    EXPECT_EQ(functor.SynchronizeLocation(scene.GetMainLocation(), -1, 10, item), nullptr);
    // A far index leaves empty slots before it.
    CDsLocation* far = functor.SynchronizeLocation(scene.GetMainLocation(), 5, 10, item);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(scene.GetMainLocation()->GetChildCount(), 6);
    EXPECT_EQ(scene.GetMainLocation()->GetChild(2), nullptr);
    EXPECT_EQ(functor.SynchronizeLocation(scene.GetMainLocation(), 5, 10, item), far);
}

TEST_F(LocationTest, StacksStayBalancedBeyondTheirDepth)
{
    CDsTraverseFunctor functor;
    CDsAttributes red;
    red.SetColor(0xFF);
    const CDsTransform moved(translate_transf(SPAvector(1, 0, 0)));
    for (int i = 0; i < CDsTraverseFunctor::kMaxDepth + 20; ++i) {
        functor.PushAttributes(red);
        functor.PushTransform(moved);
    }
    EXPECT_EQ(functor.GetTopAttributes(), red);
    EXPECT_FLOAT_EQ(functor.GetTopTransform().GetMatrix()[12], static_cast<float>(CDsTraverseFunctor::kMaxDepth));
    for (int i = 0; i < CDsTraverseFunctor::kMaxDepth + 20; ++i) {
        functor.PopAttributes();
        functor.PopTransform();
    }
    EXPECT_TRUE(functor.GetTopAttributes().IsEmpty());
    EXPECT_TRUE(functor.GetTopTransform().IsIdentity());
    functor.PopAttributes();  // popping an empty stack does nothing
    functor.PopTransform();
    EXPECT_EQ(functor.GetTopLocationState(), 0);
}

// A walk that leaves a moved item and then enters an item with no transform of its own must
// place that item where its parent is (the origin at the top level), not where the moved item
// was.
TEST_F(LocationTest, AnItemWithoutATransformOnAnEmptyStackGetsTheIdentity)
{
    CDsTraverseFunctor functor;
    functor.PushTransform(CDsTransform(translate_transf(SPAvector(7, 0, 0))));
    functor.PopTransform();
    ASSERT_TRUE(functor.GetTopTransform().IsIdentity());

    const CDsItemVariant* group = model.storage->GetPart(STestModel::kSubPart)->FindItem(10);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->GetTransform(), nullptr);
    functor.PushTransform(group, nullptr, &scene);
    EXPECT_TRUE(functor.GetTopTransform().IsIdentity());
    EXPECT_FLOAT_EQ(functor.GetTopTransform().GetMatrix()[12], 0.0f) << "the origin stays put";
    functor.PopTransform();

    // Below a moved parent the item takes the parent's transform.
    functor.PushTransform(CDsTransform(translate_transf(SPAvector(3, 0, 0))));
    functor.PushTransform(group, nullptr, &scene);
    EXPECT_FLOAT_EQ(functor.GetTopTransform().GetMatrix()[12], 3.0f);
    functor.PopTransform();
    functor.PopTransform();
    EXPECT_TRUE(functor.GetTopTransform().IsIdentity());
}

}  // namespace
