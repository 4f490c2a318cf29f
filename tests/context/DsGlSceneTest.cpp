// The scene's root groups without OpenGL: where groups are filed by kind and with sorting off,
// activation and removal, the database scene's hidden types that the document flags switch,
// resets that leave the unsorted group alone, showing everything, attaching entities again,
// counts, select-all, the rotation reference; and the context's item lookups and notifications.
#include "DsGlContext.h"
#include "DsAttributesPalette.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemPolyline3D.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsPalette.h"
#include "DsQueryIDInt.h"
#include "DsSelectAllData.h"
#include "DsSetEntityType.h"
#include "EntityDeleter.h"
#include "VyrNotifyFunctionality.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaFilters.h"

#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::EntityPtr;

namespace {

// A group answering a chosen item type and face count, as bodies, figures and copies do.
class KindGroup : public CDsItemsGroup {
public:
    explicit KindGroup(EDsItemsType type, int faces = 0, ENTITY* entity = nullptr)
        : CDsItemsGroup(nullptr, entity), faces_(faces), type_(type)
    {
    }
    EDsItemsType GetItemType() override { return type_; }
    int FacesCount() override { return faces_; }
    using CDsItemsGroup::Add;
    int faces_;

private:
    EDsItemsType type_;
};

// The children of a root group.
std::vector<CDsItemBase*> Children(CDsGlScene& scene, CDsGlScene::ERootGroup root)
{
    CDsItemsGroup* group = scene.GetRootGroup(root);
    return std::vector<CDsItemBase*>(group->GetDsItems().begin(), group->GetDsItems().end());
}

// Every code a context sent.
class Recorder : public CVyrNotifyReceiver {
public:
    void OnNotification(CVyrNotifyFunctionality&, int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// An entity-type service for the test's life.
class EntityTypes : public CDsSetEntityType {
public:
    int GetObjectType(ENTITY*) const override { return 1; }
};

class DsGlSceneTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
    CDsGlContext context_;
    CDsGlScene& scene_ = *context_.GetScene();
};

}  // namespace

TEST_F(DsGlSceneTest, GroupsAreFiledByKindOrAllUnsortedWithSortingOff)
{
    EXPECT_TRUE(scene_.GetDbScene().IsHidden(15));
    EXPECT_TRUE(scene_.GetDbScene().IsHidden(63));
    EXPECT_FALSE(scene_.GetDbScene().IsHidden(10));
    EXPECT_FALSE(scene_.GetDisplayModeFlag(16));

    auto* solid = new KindGroup(eDsItemsBody, 6);
    auto* wire = new KindGroup(eDsItemsBody, 0);
    auto* copy = new KindGroup(eDsItemsCopy);
    auto* hlView = new KindGroup(eDsItemsHlView);
    auto* toolpath = new KindGroup(eDsItemsToolpath);
    auto* figure = new KindGroup(eDsItemsFigure);
    auto* plain = new KindGroup(eDsItemsGroup);
    scene_.SetDisplayModeFlag(15, true);
    for (CDsItemsGroup* group : std::vector<CDsItemsGroup*>{solid, wire, copy, hlView, toolpath, figure, plain})
        scene_.AddItemsGroup(group);
    scene_.AddItemsGroup(nullptr);
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootBodies), std::vector<CDsItemBase*>{solid});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootWireBodies), std::vector<CDsItemBase*>{wire});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootCopies), std::vector<CDsItemBase*>{copy});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootHlViews), std::vector<CDsItemBase*>{hlView});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootToolpaths), std::vector<CDsItemBase*>{toolpath});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootFigures), std::vector<CDsItemBase*>{figure});
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootUnsorted), std::vector<CDsItemBase*>{plain});
    EXPECT_EQ(toolpath->GetGlContext(), &context_);
    EXPECT_EQ(figure->GetGlContext(), &context_);
    EXPECT_EQ(solid->GetGlContext(), nullptr);
    EXPECT_TRUE(scene_.GetDisplayModeFlag(16));
    EXPECT_FALSE(scene_.GetDisplayModeFlag(15));

    // Sorting off: everything to the unsorted group, flag 15 left alone.
    scene_.SetDisplayModeFlag(7, false);
    scene_.SetDisplayModeFlag(15, true);
    auto* late = new KindGroup(eDsItemsBody, 2);
    auto* lateFigure = new KindGroup(eDsItemsFigure);
    scene_.AddItemsGroup(late);
    scene_.AddItemsGroup(lateFigure);
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootUnsorted), (std::vector<CDsItemBase*>{plain, late, lateFigure}));
    EXPECT_EQ(lateFigure->GetGlContext(), nullptr);
    EXPECT_TRUE(scene_.GetDisplayModeFlag(15));

    // A body filed without faces that has faces since is still found and taken out.
    wire->faces_ = 4;
    scene_.RemoveItemsGroup(wire);
    EXPECT_TRUE(Children(scene_, CDsGlScene::eRootWireBodies).empty());
    delete wire;
    scene_.RemoveItemsGroup(figure);
    EXPECT_EQ(figure->GetGlContext(), nullptr);
    delete figure;
    scene_.RemoveItemsGroup(late);  // from the unsorted group
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootUnsorted), (std::vector<CDsItemBase*>{plain, lateFigure}));
    delete late;
    scene_.RemoveItemsGroup(nullptr);
}

TEST_F(DsGlSceneTest, DeactivatedGroupsWaitUnsortedAndComeBackToTheirKind)
{
    auto* solid = new KindGroup(eDsItemsBody, 3);
    auto* copy = new KindGroup(eDsItemsCopy);
    scene_.AddItemsGroup(solid);
    scene_.AddItemsGroup(copy);
    scene_.ActivateGroup(solid, false);
    EXPECT_TRUE(Children(scene_, CDsGlScene::eRootBodies).empty());
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootUnsorted), std::vector<CDsItemBase*>{solid});
    scene_.ActivateGroup(copy, false);  // a copy is not deactivated this way: it stays
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootCopies), std::vector<CDsItemBase*>{copy});
    scene_.ActivateGroup(solid, true);
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootBodies), std::vector<CDsItemBase*>{solid});
    EXPECT_TRUE(Children(scene_, CDsGlScene::eRootUnsorted).empty());
    scene_.ActivateGroup(solid, true);  // not unsorted: nothing
    EXPECT_EQ(Children(scene_, CDsGlScene::eRootBodies), std::vector<CDsItemBase*>{solid});
}

TEST_F(DsGlSceneTest, DocumentFlagsSwitchTheDatabaseScenesHiddenTypesOnlyWhenTheyChange)
{
    scene_.SetDisplayModeFlag(4, true);
    for (int type : {10, 11, 12}) EXPECT_TRUE(scene_.GetDbScene().IsHidden(type)) << type;
    scene_.SetPicturePropsValid(true);
    context_.Set(static_cast<EDsDocumentFlag>(4), false);
    EXPECT_FALSE(scene_.GetDbScene().IsHidden(11));
    EXPECT_FALSE(scene_.IsPicturePropsValid());

    // A flag set to the value it has does not reach the database scene.
    scene_.GetDbScene().SwitchShowByType(15, true);
    scene_.SetDisplayModeFlag(5, true);
    EXPECT_FALSE(scene_.GetDbScene().IsHidden(15));
    scene_.SetDisplayModeFlag(5, false);
    scene_.SetDisplayModeFlag(5, true);
    EXPECT_TRUE(scene_.GetDbScene().IsHidden(15));
    scene_.SetDisplayModeFlag(27, true);
    EXPECT_FALSE(scene_.GetDisplayModeFlag(27));
    EXPECT_FALSE(context_.Get(static_cast<EDsDocumentFlag>(30)));
}

TEST_F(DsGlSceneTest, ResetsShowsAndAttachesReachTheRootGroupsTheyName)
{
    EntityTypes types;
    const CDsSetEntityType* savedTypes = CDsManager::GetInstance()->GetEntityType();
    CDsManager::GetInstance()->SetType(&types);
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    auto* solid = new KindGroup(eDsItemsBody, 1, body.get());
    auto* figure = new KindGroup(eDsItemsFigure);
    auto* plain = new KindGroup(eDsItemsGroup);
    scene_.AddItemsGroup(solid);
    scene_.AddItemsGroup(figure);
    scene_.AddItemsGroup(plain);
    for (CDsItemBase* group : std::vector<CDsItemBase*>{solid, figure, plain}) {
        group->SetVisibility(eVisibilityHighlight, true, false, nullptr);
        group->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    }
    scene_.SetDisplayModeFlag(15, true);
    scene_.ResetAttributes(eDsResetHighlight);
    EXPECT_FALSE(solid->GetHighlightState());
    EXPECT_FALSE(figure->GetHighlightState());
    EXPECT_TRUE(plain->GetHighlightState());  // the unsorted group is left alone
    EXPECT_FALSE(scene_.GetDisplayModeFlag(15));
    scene_.ForceShowAll();
    EXPECT_FALSE(solid->IsHidden());
    EXPECT_FALSE(figure->IsHidden());
    EXPECT_TRUE(plain->IsHidden());

    // A detached body takes its entity back through the scene.
    const int pid = solid->GetEntityPid();
    solid->DetachEntity(0);
    EXPECT_EQ(context_.FindDsItem(body.get()), nullptr);
    EXPECT_TRUE(scene_.AttachEntity(body.get(), 0));
    EXPECT_EQ(solid->GetEntity(), body.get());
    EXPECT_EQ(solid->GetEntityPid(), pid);
    EXPECT_FALSE(scene_.AttachEntity(body.get(), 0));  // attached already

    std::vector<CDsItemBase*> bodies;
    scene_.CollectBodies(bodies);
    EXPECT_EQ(bodies, (std::vector<CDsItemBase*>{solid, plain}));
    EXPECT_EQ(scene_.FindItemInGroup(scene_.GetRootGroup(CDsGlScene::eRootBodies), body.get()), solid);
    EXPECT_EQ(scene_.FindItemInGroup(nullptr, body.get()), nullptr);
    CDsManager::GetInstance()->SetType(savedTypes);
}

TEST_F(DsGlSceneTest, CountsAndSelectAllCoverTheBodiesAndEveryEntityOnce)
{
    EntityPtr first(make_block(0, 0, 0, 1, 1, 1)), second(make_block(2, 0, 0, 3, 1, 1));
    auto* solid = new KindGroup(eDsItemsBody, 6, first.get());
    auto* faces = new KindGroup(eDsItemsGroup);
    auto* edges = new KindGroup(eDsItemsGroup);
    for (int i = 0; i < 12; ++i) edges->Add(new CDsItemPolyline3D);
    solid->Add(faces);
    solid->Add(edges);
    scene_.AddItemsGroup(solid);
    scene_.AddItemsGroup(new KindGroup(eDsItemsBody, 2, second.get()));
    scene_.AddItemsGroup(new KindGroup(eDsItemsFigure, 0, first.get()));
    int bodies = 1, faceCount = 0, edgeCount = 0;
    scene_.CountGroupsItems(bodies, faceCount, edgeCount);
    EXPECT_EQ(bodies, 3);
    EXPECT_EQ(faceCount, 8);
    EXPECT_EQ(edgeCount, 12);

    auto* everything = new entity_filter;
    ENTITY_LIST list;
    {
        CDsSelectAllData data(0, everything, nullptr, false);
        scene_.CollectSelectAll(data, list);
    }
    everything->lose();
    EXPECT_EQ(list.count(), 2);
}

TEST_F(DsGlSceneTest, SuspensionAndSettingsKeepTheirLimits)
{
    EXPECT_EQ(scene_.DecrementDisplaySuspension(), 0);
    scene_.IncrementDisplaySuspension();
    scene_.IncrementDisplaySuspension();
    scene_.IncrementDisplaySuspension();
    EXPECT_EQ(context_.ResetDisplaySuspension(), 3);
    EXPECT_FALSE(context_.GetDisplaySuspensionMode());

    SPAvector a, b;
    SPAposition p(1, 1, 1);
    EXPECT_FALSE(scene_.GetRotateToPlaneReference(a, b, p));
    scene_.SetRotateToPlaneReference(SPAvector(1, 0, 0), SPAvector(0, 1, 0), SPAposition(3, 4, 5));
    ASSERT_TRUE(scene_.GetRotateToPlaneReference(a, b, p));
    EXPECT_EQ(b.y(), 1.0);
    EXPECT_EQ(p.z(), 5.0);
    EXPECT_EQ(scene_.GetDefaultRotationCenter(), nullptr);
    scene_.SetDefaultRotationCenter(SPAposition(7, 8, 9));
    ASSERT_NE(scene_.GetDefaultRotationCenter(), nullptr);
    EXPECT_EQ(scene_.GetDefaultRotationCenter()->x(), 7.0);

    CDsPalette palette(3);
    scene_.SetVertexColorPalette(&palette);
    ASSERT_NE(scene_.GetVertexColorPalette(), nullptr);
    EXPECT_EQ(scene_.GetVertexColorPalette()->GetCount(), 3);
    scene_.SetVertexColorPalette(nullptr);
    EXPECT_EQ(scene_.GetVertexColorPalette(), nullptr);
    ASSERT_NE(scene_.GetAttributesPalette(), nullptr);
    EXPECT_EQ(scene_.GetAttributesPalette()->GetCount(), 16);
}

TEST_F(DsGlSceneTest, ItemsAreFoundByEntityRealEntityOrOwnerAndTheHostHearsEachNotification)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    auto* solid = new KindGroup(eDsItemsBody, 6);
    solid->SetGlContext(&context_);
    solid->SetEntity(body.get());
    scene_.AddItemsGroup(solid);
    ENTITY_LIST faces;
    get_faces(body.get(), faces);
    ASSERT_GT(faces.count(), 0);
    ENTITY* face = faces[0];
    EXPECT_EQ(context_.FindDsItem(body.get()), solid);
    EXPECT_EQ(context_.is_displayed(body.get()), 1);
    EXPECT_EQ(context_.FindDsItem(face), nullptr);
    EXPECT_EQ(context_.FindDsItem(face, CDsGlContext::eDsSearchOwner), solid);
    EXPECT_EQ(context_.FindDsItem(nullptr, CDsGlContext::eDsSearchOwner), nullptr);
    EXPECT_EQ(context_.is_displayed(face), 0);
    EXPECT_EQ(context_.find_data(body.get()), nullptr);
    EXPECT_EQ(context_.pick(nullptr), 0);

    Recorder recorder;
    context_.Subscribe(&recorder);
    context_.DrawFigureControlObject();
    context_.DrawFigureControlObjectToShadedViews();
    context_.InvalidateRubberbandFigures();
    context_.DrawSpFigures();
    context_.NotifyViewScaleChanged();
    context_.NotifyRefreshIncrement();
    context_.NotifyStartCameraChanged();
    context_.NotifyEndCameraChanged();
    context_.NotifyViewDeActivated();
    context_.NotifyToolDeActivated();
    context_.NotifyImmedToolActivated();
    context_.NotifyImmedToolDeActivated();
    context_.RestoreColorBuffers();  // no views: only the closing 8
    context_.Unsubscribe(&recorder);
    EXPECT_EQ(recorder.codes, (std::vector<int>{3, 4, 6, 8, 9, 10, 15, 16, 17, 18, 19, 20, 8}));
}

TEST(DsGlSceneRefinementTest, TheScenesRefinementIsCurrentWhileTheSceneLivesAndForgottenWhenItGoes)
{
    vyrtest::ViewStaticsGuard statics;
    CVyrRefinement* const saved = CVyrRefinement::sCurrentRefinement;
    auto context = std::make_unique<CDsGlContext>();
    CVyrRefinement* refinement = context->GetScene()->GetRefinement();
    ASSERT_NE(refinement, nullptr);
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, refinement);

    // The current view's scene answers, whatever was made current last.
    CDsView3dCdc view;
    view.SetGlContext(context.get());
    CDsGlContext other;
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, other.GetScene()->GetRefinement());
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), refinement);

    // Made current once only with `once`.
    other.GetScene()->UpdateRefinement(true);
    CVyrRefinement::StSetCurrentRefinement(nullptr);
    other.GetScene()->UpdateRefinement(true);
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, nullptr);
    other.GetScene()->UpdateRefinement(false);
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, other.GetScene()->GetRefinement());

    CVyrRefinement::StSetCurrentRefinement(refinement);
    view.SetGlContext(nullptr);
    context.reset();
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, nullptr);  // not left pointing at a dead scene
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), &CVyrRefinement::sDefaultRefinement);
    CVyrRefinement::StSetCurrentRefinement(saved);
}
