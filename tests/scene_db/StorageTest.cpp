// The part store: adding, finding and removing items, item information, ownership of geometry
// and bad input.
#include "SceneTestSupport.h"
#include "TestResets.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class StorageTest : public CSceneDbTest {
protected:
    void SetUp() override
    {
        SetTestCategories();
        CTestGeometry::sDeleted = 0;
    }

    CDsPartStorage* storage = CDsPartStorage::instance();
    CDsScene scene{3};
};

TEST_F(StorageTest, AFigureIsStoredAsCategoryTwoWithItsTransformAndAttributes)
{
    const int item = scene.NextTempItemId();
    const CVyrObjectId id(scene.GetTempPartId(), item);
    const CDsTransform placed(rotate_transf(0.5, SPAvector(0, 0, 1)) * translate_transf(SPAvector(1, 2, 3)));
    CDsAttributes attributes;
    attributes.SetColor(0x0000FF);
    attributes.SetLineWidth(3);
    CTestGeometry* geometry = new CTestGeometry(UnitBox(0, 0, 0));
    ASSERT_TRUE(storage->AddItem(id, eVyrObjTypeFigure, geometry, &placed, &attributes, nullptr, nullptr, true));

    const CDsItemVariant* variant = storage->GetPart(id.GetPartId())->FindItem(item);
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(variant->GetCategory(), eVyrCatGeometry);
    EXPECT_EQ(variant->GetType(), eVyrObjTypeFigure);
    EXPECT_EQ(variant->GetGeometry(), geometry);

    const CVyrObjectPath path(&item, 1, 1, scene.GetTempPartId());
    SItemInfo info;
    ASSERT_TRUE(storage->GetPathInfo(path, nullptr, info));
    EXPECT_EQ(info.m_pGeometry, geometry);
    EXPECT_EQ(info.m_transform, placed);
    EXPECT_EQ(info.m_attributes, attributes);
    EXPECT_TRUE(info.m_bVisible);
    EXPECT_EQ(info.m_objectType, static_cast<char>(eVyrObjTypeFigure));
    SItemInfo own;
    ASSERT_TRUE(storage->GetItemInfo(path, &scene, own));
    EXPECT_EQ(own.m_attributes, attributes);
    EXPECT_EQ(storage->GetObjectIdByPath(path), id);

    // The next temporary id skips the one in use.
    EXPECT_NE(scene.NextTempItemId(), item);
}

TEST_F(StorageTest, RemoveItemDeletesTheGeometryExactlyOnce)
{
    const CVyrObjectId id(scene.GetTempPartId(), 5);
    ASSERT_TRUE(storage->AddItem(id, eVyrObjTypeParamPoint, new CTestGeometry(), nullptr, nullptr, nullptr, nullptr,
                                 true));
    EXPECT_TRUE(storage->RemoveItem(id, nullptr));
    EXPECT_EQ(CTestGeometry::sDeleted, 1);
    EXPECT_FALSE(storage->RemoveItem(id, nullptr));
    EXPECT_EQ(CTestGeometry::sDeleted, 1);
    EXPECT_FALSE(storage->UpdateAttributes(id, CDsAttributes(), nullptr));
    EXPECT_FALSE(storage->UpdateTransform(id, CDsTransform(), nullptr));
}

TEST_F(StorageTest, RemovingAGroupOrAPartDeletesEverythingBelowOnce)
{
    const int part = 900;
    ASSERT_NE(storage->CreatePart(part), nullptr);
    EXPECT_EQ(storage->CreatePart(part), nullptr);  // taken
    const CVyrObjectId group(part, 1);
    ASSERT_TRUE(storage->AddItem(group, kGroupType, new CTestGeometry(), nullptr, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(group, 2, kLeafType, new CTestGeometry(), nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(group, 3, kLeafType, new CTestGeometry(), nullptr, nullptr, true));
    ASSERT_TRUE(storage->RemoveItem(group, nullptr));
    EXPECT_EQ(CTestGeometry::sDeleted, 3);
    EXPECT_EQ(storage->GetPart(part)->FindItem(2), nullptr);  // children left the index too
    EXPECT_TRUE(storage->AddItem(CVyrObjectId(part, 2), kLeafType, nullptr, nullptr, nullptr, nullptr, nullptr, true));

    ASSERT_TRUE(storage->AddItem(CVyrObjectId(part, 4), kLeafType, new CTestGeometry(), nullptr, nullptr, nullptr,
                                 nullptr, true));
    EXPECT_TRUE(storage->RemovePart(part));
    EXPECT_EQ(CTestGeometry::sDeleted, 4);
    EXPECT_EQ(storage->GetPart(part), nullptr);
    EXPECT_FALSE(storage->RemovePart(part));
}

TEST_F(StorageTest, BadInputGetsFalseOrNull)
{
    CTestGeometry geometry;  // refused adds leave the geometry to the caller
    const int temp = scene.GetTempPartId();
    EXPECT_EQ(storage->GetPart(424242), nullptr);
    EXPECT_FALSE(storage->AddItem(CVyrObjectId(424242, 1), kLeafType, &geometry, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddItem(CVyrObjectId(temp, 0), kLeafType, &geometry, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_EQ(storage->CreatePart(CVyrObjectId::kNoPart), nullptr);
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(temp, 1), kLeafType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddItem(CVyrObjectId(temp, 1), kLeafType, &geometry, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddChildItem(CVyrObjectId(temp, 77), 2, kLeafType, &geometry, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddSlaveItem(CVyrObjectId(temp, 1), 2, kLeafType, &geometry, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddRegionLeaf(CVyrObjectId(temp, 1), 2, kLeafType, true));
    EXPECT_EQ(CTestGeometry::sDeleted, 0);

    // A region holds child regions or leaf entries, never both.
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(temp, 10), kRegionType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddRegionLeaf(CVyrObjectId(temp, 10), 11, kLeafType, true));
    EXPECT_FALSE(storage->AddChildItem(CVyrObjectId(temp, 10), 12, kRegionType, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(temp, 20), kRegionType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddChildItem(CVyrObjectId(temp, 20), 21, kLeafType, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(temp, 20), 21, kRegionType, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddRegionLeaf(CVyrObjectId(temp, 20), 22, kLeafType, true));

    // Paths into nowhere.
    SItemInfo info;
    const int ids[] = {1, 99};
    EXPECT_FALSE(storage->GetPathInfo(CVyrObjectPath(ids, 2, 2, temp), nullptr, info));
    EXPECT_FALSE(storage->GetItemInfo(CVyrObjectPath(ids, 1, 1, 424242), nullptr, info));
    EXPECT_FALSE(storage->GetPathInfo(CVyrObjectPath(temp), nullptr, info));
    EXPECT_FALSE(storage->GetObjectIdByPath(CVyrObjectPath(ids, 2, 2, temp)).IsValid());
    CVyrObjectId id(5, 5);
    EXPECT_FALSE(storage->GetObjectIdByPath(CVyrObjectPath(), id));
    EXPECT_EQ(id, CVyrObjectId(5, 5));
    EXPECT_EQ(info.m_pGeometry, nullptr);  // untouched
    EXPECT_EQ(info.m_objectType, -1);

    // A palette index past the palette.
    const CDsAttrPalette* palette = storage->GetPart(temp)->GetPalette();
    EXPECT_EQ(palette->Get(CDsAttrPalette::kSize), nullptr);
    EXPECT_EQ(palette->Get(-1), nullptr);
    EXPECT_FALSE(storage->GetPart(temp)->SetPaletteEntry(256, CDsAttributes()));
    int partId = 0, index = 0;
    EXPECT_EQ(storage->GetPart(temp)->GetPartInstanceByItemId(1, partId, index), nullptr);  // not an instance
}

TEST_F(StorageTest, InstancesNeverMakeAPartContainItself)
{
    ASSERT_NE(storage->CreatePart(601), nullptr);
    ASSERT_NE(storage->CreatePart(602), nullptr);
    EXPECT_TRUE(storage->AddPartInstance(CVyrObjectId(601, 1), 602, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddPartInstance(CVyrObjectId(602, 1), 601, nullptr, nullptr, true));
    EXPECT_FALSE(storage->AddPartInstance(CVyrObjectId(601, 2), 601, nullptr, nullptr, true));
    EXPECT_TRUE(storage->AddPartInstance(CVyrObjectId(601, 3), 777, nullptr, nullptr, true));  // made later
    int partId = 0, index = -1;
    ASSERT_NE(storage->GetPart(601)->GetPartInstanceByItemId(3, partId, index), nullptr);
    EXPECT_EQ(partId, 777);
    EXPECT_EQ(index, 1);
}

TEST_F(StorageTest, PathInfoCombinesWhatLiesAlongThePath)
{
    STestModel model;
    model.Build(scene);
    CDsAttributes red;
    red.SetColor(0x0000FF);
    ASSERT_TRUE(storage->UpdateAttributes(CVyrObjectId(scene.GetPeerPartId(), 2), red, nullptr));
    CDsAttributes wide;
    wide.SetLineWidth(4);
    ASSERT_TRUE(storage->GetPart(STestModel::kSubPart)->SetPaletteEntry(kLeafType, wide));

    const CVyrObjectPath leaf = STestModel::Path(scene, {2, 10, 12}, 2);
    SItemInfo info;
    ASSERT_TRUE(storage->GetPathInfo(leaf, &scene, info));
    EXPECT_EQ(info.m_attributes.GetColor(), 0x0000FFu);  // from the instance
    EXPECT_EQ(info.m_attributes.GetLineWidth(), 4);      // from the sub-part's palette
    EXPECT_FLOAT_EQ(info.m_transform.GetMatrix()[12], 100.0f);
    EXPECT_EQ(storage->GetObjectIdByPath(leaf), CVyrObjectId(STestModel::kSubPart, 12));
    ASSERT_TRUE(storage->GetItemInfo(leaf, &scene, info));
    EXPECT_TRUE(info.m_attributes.IsEmpty());  // the leaf has no attributes of its own

    // Hidden by the scene's type switch, forced shown by path.
    scene.SwitchShowByType(kLeafType, false);
    ASSERT_TRUE(storage->GetPathInfo(leaf, &scene, info));
    EXPECT_FALSE(info.m_bVisible);
    ASSERT_TRUE(scene.ForceShow(leaf));
    ASSERT_TRUE(storage->GetPathInfo(leaf, &scene, info));
    EXPECT_TRUE(info.m_bVisible);

    // A region's leaf entry and a path naming an instance.
    ASSERT_TRUE(storage->GetPathInfo(STestModel::Path(scene, {1, 20, 21, 24}, 3), nullptr, info));
    EXPECT_EQ(info.m_objectType, static_cast<char>(kLeafType));
    EXPECT_NE(info.m_pGeometry, nullptr);  // the region's
    EXPECT_FALSE(storage->GetPathInfo(STestModel::Path(scene, {1, 20, 21, 24, 1}, 4), nullptr, info));
    ASSERT_TRUE(storage->GetPathInfo(STestModel::Path(scene, {2}, 0), nullptr, info));
    EXPECT_EQ(info.m_objectType, static_cast<char>(eVyrObjTypePartInstance));
    EXPECT_EQ(storage->GetObjectIdByPath(STestModel::Path(scene, {2}, 0)), CVyrObjectId(scene.GetPeerPartId(), 2));
}

TEST_F(StorageTest, ANewDefaultMaterialRedrawsEveryView)
{
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int logNumber = 0, dbNumber = 0;
    scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr);
    scene.SyncNumbers(logNumber, dbNumber, nullptr);
    ASSERT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr), eNoChange);

    storage->SetDefaultMaterial(0.1f, 0.2f, 0.3f, 40.0f, 0.05f);
    float m[5];
    storage->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    EXPECT_EQ(std::vector<float>(m, m + 5), (std::vector<float>{0.1f, 0.2f, 0.3f, 40.0f, 0.05f}));
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr), eTotallyChanged);

    // The same material again is no change; one set for a drawing is none either, though held.
    scene.SyncNumbers(logNumber, dbNumber, nullptr);
    storage->SetDefaultMaterial(0.1f, 0.2f, 0.3f, 40.0f, 0.05f);
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr), eNoChange);
    storage->SetDefaultMaterialForDrawing(0.4f, 0.5f, 0.6f, 7.0f, 0.0f);
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr), eNoChange);
    storage->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    EXPECT_EQ(std::vector<float>(m, m + 5), (std::vector<float>{0.4f, 0.5f, 0.6f, 7.0f, 0.0f}));
    // The host's material differs from the drawing's: a change again.
    storage->SetDefaultMaterial(0.1f, 0.2f, 0.3f, 40.0f, 0.05f);
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, nullptr), eTotallyChanged);
}

TEST_F(StorageTest, TheSceneOwnsItsTemporaryPart)
{
    {
        CDsScene other(40);
        EXPECT_NE(storage->GetPart(other.GetPeerPartId()), nullptr);
        ASSERT_NE(storage->GetPart(other.GetTempPartId()), nullptr);
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(other.GetTempPartId(), 1), eVyrObjTypeFigure, new CTestGeometry(),
                                     nullptr, nullptr, nullptr, nullptr, true));
        EXPECT_NE(other.GetTempPartId(), other.GetPeerPartId());
    }
    EXPECT_EQ(CTestGeometry::sDeleted, 1);
    EXPECT_EQ(storage->GetPart(~40), nullptr);
    EXPECT_NE(storage->GetPart(40), nullptr);  // the model stays
}

TEST_F(StorageTest, TheTemporaryPartOfTwoScenesOfOneNumberGoesWithTheLastOfThem)
{
    auto first = std::make_unique<CDsScene>(41);
    {
        CDsScene second(41);
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(second.GetTempPartId(), 1), eVyrObjTypeFigure, new CTestGeometry(),
                                     nullptr, nullptr, nullptr, nullptr, true));
        // The scene that made the part goes first: the other still shows its temporary items.
        first.reset();
        EXPECT_NE(storage->GetPart(~41), nullptr);
        EXPECT_EQ(CTestGeometry::sDeleted, 0);
    }
    EXPECT_EQ(storage->GetPart(~41), nullptr);
    EXPECT_EQ(CTestGeometry::sDeleted, 1);
}

// Tests share one process: a reset puts the store back as a fresh process has it, so that a
// scene of a number used before starts without the old model.
class StoreResetTest : public CSceneDbTest {};

TEST_F(StoreResetTest, AResetLeavesNothingOfEarlierTestsAndWaitsForLiveScenes)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    CDsAttributes red;
    red.SetColor(0x0000FF);
    {
        CDsScene scene(3);
        SetTestCategories();
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(scene.GetPeerPartId(), 1), kLeafType, new CTestGeometry(), nullptr,
                                     nullptr, nullptr, nullptr, true));
        storage->SetDefaultMaterial(0.1f, 0.2f, 0.3f, 40.0f, 0.05f);
        CDsScene::SetSpecialAttrs(eAttribSetHighlight, red);
        EXPECT_FALSE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests));  // the scene still points into the store
        EXPECT_NE(storage->GetPart(3), nullptr);
        EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetHighlight), red);
    }
    CTestGeometry::sDeleted = 0;
    ASSERT_TRUE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests));
    EXPECT_EQ(storage->GetPart(3), nullptr);
    EXPECT_EQ(CTestGeometry::sDeleted, 1);  // the model's item went with its geometry
    float m[5];
    storage->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    EXPECT_EQ(std::vector<float>(m, m + 5), (std::vector<float>{0.2f, 0.8f, 0.3f, 20.0f, 0.0f}));
    EXPECT_EQ(CDsPartStorage::sm_Type2Cat[kLeafType], 0);
    EXPECT_EQ(CDsPartStorage::sm_Type2Cat[eVyrObjTypeFigure], eVyrCatGeometry);
    EXPECT_TRUE(CDsScene::GetSpecialAttrs(eAttribSetHighlight).IsEmpty());

    CDsScene again(3);
    EXPECT_TRUE(storage->GetPart(3)->GetItems().empty());
    EXPECT_FALSE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests));
}

}  // namespace
