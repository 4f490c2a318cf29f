// The context's location walks over a small model without OpenGL: states written by path and the
// change-log entries they leave (and the full redraw a long list asks for), the location report,
// the displayed attributes, and the start path of a decoration.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLocationWalks.h"
#include "DsView3dCdc.h"

#include "../../renderers/internal/RecordingSeam.h"
#include "../../scene_db/SceneTestSupport.h"
#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr unsigned kRed = 0x0000FF, kGreen = 0x00FF00;

CDsAttributes Colored(unsigned color)
{
    CDsAttributes attributes;
    attributes.SetColor(color);
    return attributes;
}

// The model of the peer part: group 1 (red) of leaves 11 and 12, leaf 2; and leaf 5 of the
// temporary part.
class LocationWalksTest : public CSceneDbTest {
protected:
    LocationWalksTest()
    {
        SetTestCategories();
        view = std::make_unique<CDsView3dCdc>();
        view->SetRenderMode(eRenderWireframe);
        db().SetCurrentView(view.get());
        const int peer = db().GetPeerPartId();
        const CDsAttributes red = Colored(kRed);
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(peer, 1), kGroupType, nullptr, nullptr, &red, nullptr, nullptr, true));
        EXPECT_TRUE(storage->AddChildItem(CVyrObjectId(peer, 1), 11, kLeafType, new CTestGeometry(UnitBox(0, 0, 0)),
                                          nullptr, nullptr, true));
        EXPECT_TRUE(storage->AddChildItem(CVyrObjectId(peer, 1), 12, kLeafType, new CTestGeometry(UnitBox(2, 0, 0)),
                                          nullptr, nullptr, true));
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(peer, 2), kLeafType, new CTestGeometry(UnitBox(4, 0, 0)), nullptr,
                                     nullptr, nullptr, nullptr, true));
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(db().GetTempPartId(), 5), kLeafType,
                                     new CTestGeometry(UnitBox(6, 0, 0)), nullptr, nullptr, nullptr, nullptr, true));
    }
    ~LocationWalksTest() override
    {
        context.reset();
        view.reset();
    }

    CDsScene& db() { return context->GetScene()->GetDbScene(); }
    CVyrObjectPath Peer(std::vector<int> ids) { return STestModel::Path(db(), ids, static_cast<int>(ids.size())); }
    CVyrObjectPath Temp(int id)
    {
        const int ids[1] = {id};
        return CVyrObjectPath(ids, 1, 1, db().GetTempPartId());
    }
    int StateOf(const CVyrObjectPath& path) const
    {
        const CDsLocation* location = context->GetScene()->GetDbScene().FindLocation(path);
        return location ? location->GetState() : -1;
    }
    // Brings the view up to date with the scene.
    void Sync()
    {
        CDsScene::TChangedPaths paths;
        CDsScene::TChangedIds ids;
        int log = 0, number = 0;
        db().GetChanges(paths, ids, log, number, view.get());
        db().SyncNumbers(log, number, view.get());
    }
    EChangeStatus Changes(CDsScene::TChangedPaths& paths)
    {
        CDsScene::TChangedIds ids;
        int log = 0, number = 0;
        return db().GetChanges(paths, ids, log, number, view.get());
    }

    vyrtest::ViewStaticsGuard statics;
    CDsPartStorage* storage = CDsPartStorage::instance();
    std::unique_ptr<CDsGlContext> context = std::make_unique<CDsGlContext>();
    std::unique_ptr<CDsView3dCdc> view;
};

}  // namespace

TEST_F(LocationWalksTest, NineteenPathsAreOneLogEntryAndTwentyAskEveryViewForAWholePicture)
{
    Sync();
    CDsScene::SChangeLog& log = db().GetChangeLog();
    const int used = log.m_used;
    std::vector<CVyrObjectPath> nineteen(19, Peer({2}));
    nineteen[0] = Peer({1, 11});
    context->ModifyLocations(nineteen, eAttribSetMark);
    EXPECT_EQ(log.m_used, used + 1);
    EXPECT_EQ(log.m_slots[used].size(), 19u);
    EXPECT_EQ(log.m_flag, 1);
    EXPECT_EQ(StateOf(Peer({2})), eAttribSetMark);
    EXPECT_EQ(StateOf(Peer({1, 11})), eAttribSetMark);
    CDsScene::TChangedPaths changed;
    EXPECT_EQ(Changes(changed), ePartiallyChanged);
    ASSERT_FALSE(changed.empty());
    Sync();

    std::vector<CVyrObjectPath> twenty(20, Peer({1, 12}));
    context->ModifyLocations(twenty, eAttribSetDim);
    EXPECT_EQ(log.m_used, used + 1) << "nothing recorded";
    EXPECT_EQ(StateOf(Peer({1, 12})), eAttribSetDim);
    changed.clear();
    EXPECT_EQ(Changes(changed), eTotallyChanged);
    EXPECT_TRUE(changed.empty());

    // Nothing listed: nothing changes, and the suspension is back to 0.
    std::vector<CVyrObjectPath> none;
    context->ModifyLocations(none, eAttribSetMark);
    EXPECT_FALSE(context->GetDisplaySuspensionMode());
}

TEST_F(LocationWalksTest, AListedAncestorAndItsListedDescendantBothTakeTheStateAndBadPathsAreLeftAlone)
{
    std::vector<CVyrObjectPath> paths = {Peer({1}), Peer({1, 11}), Peer({1, 11}), Temp(5),
                                         CVyrObjectPath(777),  // a part root of another part
                                         Peer({9}), Peer({1, 99}), CVyrObjectPath()};
    const int foreign[1] = {1};
    paths.emplace_back(foreign, 1, 1, 777);
    context->ModifyLocations(paths, eAttribSetMark);
    EXPECT_EQ(StateOf(Peer({1})), eAttribSetMark);
    EXPECT_EQ(StateOf(Peer({1, 11})), eAttribSetMark);
    EXPECT_EQ(StateOf(Peer({1, 12})), 0);
    EXPECT_EQ(StateOf(Peer({2})), 0);
    EXPECT_EQ(StateOf(Temp(5)), eAttribSetMark);

    // The root of the temporary items: the states below it go back to 0, the root takes the state.
    context->ModifyRootLocation(eAttribSetDim, false);
    EXPECT_EQ(StateOf(Temp(5)), 0);
    EXPECT_EQ(db().GetTempLocation()->GetState(), eAttribSetDim);
    EXPECT_EQ(db().GetMainLocation()->GetState(), 0);
    const CDsScene::SChangeLog& log = db().GetChangeLog();
    ASSERT_GT(log.m_used, 0);
    ASSERT_EQ(log.m_slots[log.m_used - 1].size(), 1u);
    EXPECT_EQ(log.m_slots[log.m_used - 1][0].first, CVyrObjectPath(db().GetTempPartId()));
}

TEST_F(LocationWalksTest, TheLocationReportNamesOnlyListedLocationsAndAppends)
{
    std::vector<CVyrObjectPath> marked = {Peer({1, 12})};
    context->ModifyLocations(marked, eAttribSetMark);

    std::vector<std::pair<CVyrObjectPath, SDsLocationInfo>> info(1);  // an entry the caller had
    std::vector<CVyrObjectPath> paths = {Peer({1, 12}), Temp(5), Peer({9})};
    const int foreign[1] = {12};
    paths.emplace_back(foreign, 1, 1, 777);
    context->GetLocationsInfo(paths, info);
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(info[1].first, Peer({1, 12}));
    EXPECT_EQ(info[1].second.type, kLeafType);
    EXPECT_NE(info[1].second.geometry, nullptr);
    EXPECT_EQ(info[1].second.state, eAttribSetMark);
    EXPECT_EQ(info[2].first, Temp(5));
    EXPECT_EQ(info[2].second.state, 0);

    // The group the walk passed through is not reported; an empty list reports nothing.
    std::vector<CVyrObjectPath> none;
    context->GetLocationsInfo(none, info);
    EXPECT_EQ(info.size(), 3u);
}

TEST_F(LocationWalksTest, TheDisplayedAttributeIsPushedFromTheRootAndSet12LaysOverItInShadedViews)
{
    CDsAttributes attributes;
    ASSERT_TRUE(context->GetDisplayedAttribute(Peer({1}), attributes));
    EXPECT_EQ(attributes.GetColor(), kRed) << "group";
    ASSERT_TRUE(context->GetDisplayedAttribute(Peer({1, 11}), attributes));
    EXPECT_EQ(attributes.GetColor(), kRed);
    EXPECT_TRUE(attributes.IsSet(CDsAttributes::eFieldColor));

    // Below a hidden location the path is still walked: the answer is hidden and red.
    std::vector<CVyrObjectPath> group = {Peer({1})};
    ASSERT_TRUE(db().ForceHide(Peer({1})));
    ASSERT_TRUE(context->GetDisplayedAttribute(Peer({1, 11}), attributes));
    EXPECT_EQ(attributes.GetColor(), kRed);
    EXPECT_TRUE(attributes.IsHidden());
    ASSERT_TRUE(db().ResetHideShow(Peer({1})));

    // Shaded: special set 12 lays its colour over red.
    const CDsAttributes saved = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
    CDsScene::SetSpecialAttrs(eAttribSetMonochrome, Colored(kGreen));
    view->SetRenderMode(eRenderShade);
    ASSERT_TRUE(context->GetDisplayedAttribute(Peer({1, 11}), attributes));
    EXPECT_EQ(attributes.GetColor(), kGreen);
    view->SetRenderMode(eRenderWireframe);
    ASSERT_TRUE(context->GetDisplayedAttribute(Peer({1, 11}), attributes));
    EXPECT_EQ(attributes.GetColor(), kRed);
    CDsScene::SetSpecialAttrs(eAttribSetMonochrome, saved);

    // A path into nowhere, and no current view: false, the output unchanged.
    CDsAttributes kept = Colored(kGreen);
    EXPECT_FALSE(context->GetDisplayedAttribute(Peer({7}), kept));
    EXPECT_EQ(kept.GetColor(), kGreen);
    CDsView3dCdc::sCurrentView = nullptr;
    EXPECT_FALSE(context->GetDisplayedAttribute(Peer({1, 11}), kept));
    EXPECT_EQ(kept.GetColor(), kGreen);
}

TEST(DsMakeItemPath, DropsTheItemIdsBelowTheLastPartInstance)
{
    const int ids[3] = {4, 1, 11};
    CVyrObjectPath out;
    EXPECT_EQ(DsMakeItemPath(CVyrObjectPath(ids, 3, 2, 9), out), CVyrObjectPath(ids, 1, 0, 9));
    EXPECT_EQ(DsMakeItemPath(CVyrObjectPath(ids, 3, 0, 9), out), CVyrObjectPath(ids, 3, 0, 9));
    // A depth beyond the ids keeps none; a negative one drops none.
    EXPECT_EQ(DsMakeItemPath(CVyrObjectPath(ids, 3, 7, 9), out), CVyrObjectPath(9));
    EXPECT_EQ(DsMakeItemPath(CVyrObjectPath(ids, 3, -2, 9), out), CVyrObjectPath(ids, 3, 0, 9));
}

namespace {

// A leaf that counts its OpenGL draws.
class CCountingGeometry : public CTestGeometry {
public:
    using CTestGeometry::CTestGeometry;
    void DrawGl(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { ++draws; }
    int draws = 0;
};

}  // namespace

TEST_F(LocationWalksTest, TheDecorationDrawsTheTargetsSubtreeAsItsListSays)
{
    const int peer = db().GetPeerPartId();
    auto* a = new CCountingGeometry(UnitBox(0, 0, 0));
    auto* b = new CCountingGeometry(UnitBox(1, 0, 0));
    auto* hidden = new CCountingGeometry(UnitBox(2, 0, 0));
    CDsAttributes hide;
    hide.SetHideLevel(1);
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(peer, 8), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(peer, 8), 81, kLeafType, a, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(peer, 8), 82, kLeafType, b, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(peer, 8), 83, kLeafType, hidden, nullptr, &hide, true));
    const CVyrObjectPath target = Peer({8});

    vyrtest::RecordingSeam seam;
    auto decorate = [&](const std::vector<CVyrObjectPath>& list, bool listMode, int state) {
        SDsRenderFlags flags;
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        std::optional<CDsGlTraverseFunctor> inner;
        inner.emplace(view.get(), options, setup, 0x73B, 2, false, nullptr);
        CDsGlDrawFunctor<CDsGlTraverseFunctor> functor(*inner, &target, state, &list, listMode, state == 4, 0x73B,
                                                       view.get());
        CDsSceneWalk<CDsGlDrawFunctor<CDsGlTraverseFunctor>> walk(storage, functor, &db());
        CVyrObjectPath start;
        walk.TraversePart(DsMakeItemPath(target, start));
        EXPECT_FALSE(functor.IsOnTarget()) << "left again on the way up";
    };
    // List mode true, empty list: the whole subtree that is not hidden.
    decorate({}, true, eAttribSetMark);
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    EXPECT_EQ(hidden->draws, 0);
    // List mode false naming one child: its siblings only.
    decorate({Peer({8, 81})}, false, eAttribSetMark);
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    // List mode true naming one child: that child only; the highlight kind likewise.
    decorate({Peer({8, 81})}, true, eAttribSetHighlight);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 2);
    // The forced state was temporary: the locations keep their own.
    EXPECT_EQ(db().FindLocation(Peer({8, 81}))->GetState(), 0);
    // Nothing of the rest of the scene is drawn, and no other leaf is visited.
    EXPECT_EQ(hidden->draws, 0);
}

TEST(DsGatherClippedPaths, AListedAssemblyGathersTheSectionsPartsBelowItAndAListedPartBelowASectionedOneIsWhole)
{
    auto path = [](std::vector<int> ids, int part = 7) {
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), static_cast<int>(ids.size()), part);
    };
    const std::vector<CVyrObjectPath> section = {path({3, 31}), path({5, 6, 61}), path({9}), path({3, 32}, 8)};
    std::vector<CVyrObjectPath> clipped = {path({1})};

    // An assembly: its sectioned parts, at any depth, and not those of another part.
    EXPECT_FALSE(DsGatherClippedPaths({path({3}), path({5})}, section, clipped));
    EXPECT_EQ(clipped, (std::vector<CVyrObjectPath>{path({3, 31}), path({5, 6, 61})}));
    // A part at or below a sectioned location is clipped whole; when all are, nothing is left.
    EXPECT_TRUE(DsGatherClippedPaths({path({9}), path({9, 91}), path({3, 31})}, section, clipped));
    EXPECT_EQ(clipped, (std::vector<CVyrObjectPath>{path({9}), path({9, 91}), path({3, 31})}));
    // One path outside the section leaves something to draw unclipped; nothing is gathered twice.
    EXPECT_FALSE(DsGatherClippedPaths({path({3}), path({3, 31}), path({2})}, section, clipped));
    EXPECT_EQ(clipped, (std::vector<CVyrObjectPath>{path({3, 31})}));
    // Nothing listed, or no clip paths: nothing is gathered and nothing counts as clipped whole.
    EXPECT_FALSE(DsGatherClippedPaths({}, section, clipped));
    EXPECT_TRUE(clipped.empty());
    EXPECT_FALSE(DsGatherClippedPaths({path({3})}, {}, clipped));
    EXPECT_TRUE(clipped.empty());
}

TEST_F(LocationWalksTest, InListModeTheDecorationReachesAListedLocationBelowAnInstanceOfTheTarget)
{
    // The peer part holds the instance 4 of a part whose group 6 holds the leaves 61 and 62.
    constexpr int kHeld = 77;
    const int peer = db().GetPeerPartId();
    ASSERT_NE(storage->CreatePart(kHeld), nullptr);
    ASSERT_TRUE(storage->AddPartInstance(CVyrObjectId(peer, 4), kHeld, nullptr, nullptr, true));
    ASSERT_TRUE(
        storage->AddItem(CVyrObjectId(kHeld, 6), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    auto* listed = new CCountingGeometry(UnitBox(0, 5, 0));
    auto* sibling = new CCountingGeometry(UnitBox(1, 5, 0));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(kHeld, 6), 61, kLeafType, listed, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(kHeld, 6), 62, kLeafType, sibling, nullptr, nullptr, true));
    const CVyrObjectPath target = STestModel::Path(db(), {4}, 0);
    const std::vector<CVyrObjectPath> list = {STestModel::Path(db(), {4, 6, 61}, 2)};

    vyrtest::RecordingSeam seam;
    auto decorate = [&](bool listMode) {
        SDsRenderFlags flags;
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        std::optional<CDsGlTraverseFunctor> inner;
        inner.emplace(view.get(), options, setup, 0x73B, 2, false, nullptr);
        CDsGlDrawFunctor<CDsGlTraverseFunctor> functor(*inner, &target, eAttribSetMark, &list, listMode, false, 0x73B,
                                                       view.get());
        CDsSceneWalk<CDsGlDrawFunctor<CDsGlTraverseFunctor>> walk(storage, functor, &db());
        CVyrObjectPath start;
        walk.TraversePart(DsMakeItemPath(target, start));
    };
    // The listed leaf two levels below the instance only; then everything of it but that leaf.
    decorate(true);
    EXPECT_EQ(listed->draws, 1);
    EXPECT_EQ(sibling->draws, 0);
    decorate(false);
    EXPECT_EQ(listed->draws, 1);
    EXPECT_EQ(sibling->draws, 1);
}
