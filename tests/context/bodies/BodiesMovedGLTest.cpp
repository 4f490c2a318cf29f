// Bodies a host moves, whatever road it takes (the body's own item, the context, a modeler
// transform, a copy shown elsewhere, an edit of a face's mesh in place): the next refresh draws
// what a whole new frame draws, and the picks answer where the window shows the body.
#include "DsAcisPick.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsManager.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "VyrEntInstance.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

// A block from (-20, -10, -10) to (20, 10, 10) seen from above, one model unit a pixel, shaded.
class BodiesMovedGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        block_ = host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
        ASSERT_NE(block_, nullptr);
        host_->Refresh();
    }
    CDsGlContext& Context() { return host_->Context(); }
    CDsItemsBody* Item() { return Context().FindDsBody(block_); }
    // The edit both mesh tests make and check.
    void EditTheTopFacesMeshInPlace();
    bool Picked(const SPAposition& p) { return host_->PickAt(p).GetObjectPath() == host_->PathOf(block_); }
    // The region pick around the model box [low, high] (its corners' pixels, widened by 3).
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high)
    {
        return host_->RegionAround(low, high, 3);
    }
    // The refresh draws what a whole frame draws; the body is seen and picked at `now` on its top
    // (z = 10) and not at `gone`; a region around [low, high] finds it, one around [oldLow,
    // oldHigh], where it was, does not.
    void ExpectShownAt(const SPAposition& now, const SPAposition& gone, const SPAposition& low,
                       const SPAposition& high, const SPAposition& oldLow, const SPAposition& oldHigh)
    {
        host_->Refresh();
        const vyrtest::Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(now, x, y));
        EXPECT_TRUE(refreshed.Lit(x, kHostSize - 1 - y));
        ASSERT_TRUE(host_->PixelOf(gone, x, y));
        EXPECT_FALSE(refreshed.Lit(x, kHostSize - 1 - y));
        EXPECT_TRUE(Picked(now));
        EXPECT_FALSE(Picked(gone));
        const std::vector<CVyrObjectPath> block = {host_->PathOf(block_)};
        EXPECT_EQ(RegionAround(low, high), block);
        EXPECT_TRUE(RegionAround(oldLow, oldHigh).empty());
    }

    BODY* block_ = nullptr;
};

}  // namespace

TEST_F(BodiesMovedGLTest, ABodyMovedThroughItsOwnItemIsDrawnAndPickedWhereItNowIs)
{
    // Each road moves the block 30 along x; where it was, and is no longer, nothing is seen or picked.
    struct Road {
        const char* name;
        std::function<void(CDsItemsBody*, const SPAtransf&)> move;
    };
    const std::vector<Road> roads = {
        {"SetTransformation", [](CDsItemsBody* item, const SPAtransf& t) { item->SetTransformation(t); }},
        {"MultiplyTransformation",
         [](CDsItemsBody* item, const SPAtransf&) {
             item->MultiplyTransformation(translate_transf(SPAvector(-30, 0, 0)));
         }},
        {"Transform", [](CDsItemsBody* item, const SPAtransf& t) { item->Transform(t); }},
    };
    // SetTransformation to +30, MultiplyTransformation back to 0, Transform to +30 again.
    const double places[] = {30, 0, 30};
    for (size_t i = 0; i < roads.size(); ++i) {
        SCOPED_TRACE(roads[i].name);
        ASSERT_NE(Item(), nullptr);
        const double x = places[i];
        roads[i].move(Item(), translate_transf(SPAvector(x, 0, 0)));
        const double left = x - 20, right = x + 20;
        const double was = x > 0 ? x - 30 : x + 30;  // where the block was before this move
        ExpectShownAt(SPAposition(x > 0 ? right - 5 : left + 5, 0, 10),
                      SPAposition(x > 0 ? left - 10 : right + 10, 0, 10), SPAposition(left, -10, -10),
                      SPAposition(right, 10, 10), SPAposition(was - 20, -10, -10), SPAposition(was + 20, 10, 10));
        SPAposition low, high;
        Context().GetBox(low, high);
        EXPECT_NEAR(low.x(), left, 1e-3);
        EXPECT_NEAR(high.x(), right, 1e-3);
    }
    // Nothing moved since: a refresh draws nothing.
    const long frames = Context().GetScene()->GetRefreshCounter();
    host_->Refresh();
    EXPECT_EQ(Context().GetScene()->GetRefreshCounter(), frames);
}

TEST_F(BodiesMovedGLTest, ACopyFollowsTheBodyItCopiesWhenTheBodyMoves)
{
    // An instance of the block 30 further up the picture: the context's copy of it.
    auto* instance = new CVyrEntInstance(block_, translate_transf(SPAvector(0, 30, 0)));
    ENTITY_LIST copies;
    instance->GetEntities(copies);
    ASSERT_EQ(copies.count(), 1);
    ENTITY* copyBody = copies[0];
    Context().AddCopy(copyBody);
    auto* copy = dynamic_cast<CDsItemsCopy*>(Context().FindDsItem(copyBody));
    ASSERT_NE(copy, nullptr);
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();

    SPAtransf right = translate_transf(SPAvector(60, 0, 0));
    Context().SetTransformation(block_, right);
    CGmPosition low, high;
    ASSERT_TRUE(copy->GetBox(low, high, true));
    EXPECT_NEAR(low.x(), 40, 1e-3);
    EXPECT_NEAR(high.x(), 80, 1e-3);
    EXPECT_NEAR(high.y(), 40, 1e-3);
    // The copy's corner (-20, 10, 10) + (60, 30, 0) is snapped to where it now is.
    host_->Refresh();
    ASSERT_NE(host_->SnapAt(SPAposition(40, 40, 10), {256, 257}), nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 40, 1e-3);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 40, 1e-3);
    EXPECT_NEAR(std::fabs(CDsRefPoint::sLastPosition.z()), 10, 1e-3);

    // Moved back through its own item, then its top face alone 10 to the right through the face's
    // item: the copy's box follows both, and the refresh draws what a whole frame draws.
    Item()->SetTransformation(SPAtransf());
    ASSERT_TRUE(copy->GetBox(low, high, true));
    EXPECT_NEAR(low.x(), -20, 1e-3);
    EXPECT_NEAR(high.x(), 20, 1e-3);
    host_->View().SetRenderMode(eRenderShade);
    host_->Refresh();
    for (int i = 0; i < Item()->FacesCount(); ++i) {
        CDsItemsFace* face = Item()->GetFaceItem(i);
        if (face->GetBox(low, high, false) && low.z() > 9.9)
            face->SetTransformation(translate_transf(SPAvector(10, 0, 0)));
    }
    ASSERT_TRUE(copy->GetBox(low, high, true));
    EXPECT_NEAR(high.x(), 30, 1e-3);
    host_->Refresh();
    const vyrtest::Picture refreshed = host_->Front();
    EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
    CDsGlContext::StEndPickSession();
    Context().RemoveCopy(copyBody);
    delete copy;
    instance->lose();
}

TEST_F(BodiesMovedGLTest, AModelerTransformMovesABlankedBodyAndABodyOfAContextWithoutAView)
{
    // Blanked while the modeler moves it 30 to the right: shown again, it is where it was moved.
    Item()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
    host_->Refresh();
    ASSERT_TRUE(set_body_transform(block_, translate_transf(SPAvector(30, 0, 0))).ok());
    Context().update_transform(block_->transform());
    Item()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, true);
    host_->WholeFrame();  // the block shown again
    ExpectShownAt(SPAposition(45, 0, 10), SPAposition(-15, 0, 10), SPAposition(10, -10, -10), SPAposition(50, 10, 10),
                  SPAposition(-20, -10, -10), SPAposition(20, 10, 10));

    // A context that shows a body in no view (the host's view stays current).
    BODY* other = make_block(0, 0, 0, 10, 10, 10);
    CDsGlContext unseen;
    unseen.add(other);
    ASSERT_NE(unseen.FindDsBody(other), nullptr);
    ASSERT_TRUE(set_body_transform(other, translate_transf(SPAvector(0, 40, 0))).ok());
    unseen.update_transform(other->transform());
    CGmPosition low, high;
    ASSERT_TRUE(unseen.GetBox(other, low, high, true));
    EXPECT_NEAR(low.x(), 0, 1e-3);
    EXPECT_NEAR(low.y(), 40, 1e-3);
    unseen.remove(other);
    other->lose();
}

// The top face's nodes moved 30 to the right, with the faces drawn from display lists or not: the
// top face now reaches x = 50, in the picture as in the picks and the boxes.
void BodiesMovedGLTest::EditTheTopFacesMeshInPlace()
{
    CDsItemsFace* top = nullptr;
    for (int i = 0; i < Item()->FacesCount(); ++i) {
        CGmPosition low, high;
        CDsItemsFace* face = Item()->GetFaceItem(i);
        if (face->GetBox(low, high, false) && low.z() > 9.9) top = face;
    }
    ASSERT_NE(top, nullptr);
    vyrtest::MoveFaceMeshesAbove(Item(), 9.9, SPAvector(30, 0, 0));
    ExpectShownAt(SPAposition(45, 0, 10), SPAposition(-30, 0, 10), SPAposition(-20, -10, -10), SPAposition(50, 10, 10),
                  SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    CGmPosition low, high;
    ASSERT_TRUE(top->GetBox(low, high, true));
    EXPECT_NEAR(high.x(), 50, 1e-3);
    SPAposition sceneLow, sceneHigh;
    Context().GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneHigh.x(), 50, 1e-3);
    // Nothing edited since: a refresh draws nothing.
    const long frames = Context().GetScene()->GetRefreshCounter();
    host_->Refresh();
    EXPECT_EQ(Context().GetScene()->GetRefreshCounter(), frames);
}

TEST_F(BodiesMovedGLTest, AnEditOfAFacesMeshInPlaceIsDrawnAndPickedAtTheNextRefresh)
{
    EditTheTopFacesMeshInPlace();
}

TEST_F(BodiesMovedGLTest, AnEditOfAFacesMeshInPlaceIsDrawnFromDisplayListsAtTheNextRefresh)
{
    // Display lists on, as a host that loads its preferences has them; the lists the first frame
    // recorded are of the mesh before the edit.
    struct ListsScope {
        bool was = CDsManager::GetInstance()->GetFlag(4);
        ListsScope() { CDsManager::GetInstance()->SetFlag(4, true); }
        ~ListsScope() { CDsManager::GetInstance()->SetFlag(4, was); }
    } lists;
    host_->WholeFrame();
    EditTheTopFacesMeshInPlace();
}

TEST_F(BodiesMovedGLTest, ABodyHiddenOrShownAgainOnItsOwnItemIsDrawnSoAtTheNextRefresh)
{
    const vyrtest::Picture shown = host_->Front();
    ASSERT_GT(shown.LitCount(), 500);
    Item()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
    host_->Refresh();
    const vyrtest::Picture hidden = host_->Front();
    EXPECT_LT(hidden.LitCount(), shown.LitCount() - 500);  // the reference triad stays
    EXPECT_TRUE(SamePicture(hidden, host_->WholeFrame()));
    EXPECT_FALSE(Picked(SPAposition(0, 0, 10)));
    Item()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, true);
    host_->Refresh();
    EXPECT_TRUE(SamePicture(host_->Front(), shown));
    EXPECT_TRUE(Picked(SPAposition(0, 0, 10)));
}

TEST_F(BodiesMovedGLTest, ABodyMovedByATransformIdOfTheSceneIsFramedDrawnAndPickedWhereItNowIs)
{
    // Seen from a corner, a small block inside the first is moved by the scene database far behind
    // it along the view, where it shows beside it: the depth planes must reach it.
    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    BODY* small = host_->ShowBlock(SPAposition(-1, -1, -1), SPAposition(1, 1, 1));
    const unsigned short id = Context().NewTransformId();
    ASSERT_NE(id, 0);
    ASSERT_TRUE(Context().SetTransformId(host_->PathOf(small), id));
    host_->Refresh();
    const double yon = host_->View().get_yon();
    const SPAvector away(-119, 190, -253);
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(away)));
    host_->Refresh();
    const vyrtest::Picture refreshed = host_->Front();
    EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
    const SPAposition centre = SPAposition(0, 0, 0) + away;
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(centre, x, y));
    EXPECT_TRUE(refreshed.Lit(x, kHostSize - 1 - y));
    EXPECT_GT(host_->View().get_yon(), yon + 300);
    SPAposition low, high;
    Context().GetBox(low, high);
    EXPECT_NEAR(low.x(), -120, 1e-3);
    EXPECT_NEAR(high.y(), 191, 1e-3);
    EXPECT_NEAR(low.z(), -254, 1e-3);
    EXPECT_NEAR(high.x(), 20, 1e-3);
    // Picked where it shows, alone or in a region around it.
    EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(small));
    const std::vector<CVyrObjectPath> moved = {host_->PathOf(small)};
    EXPECT_EQ(host_->Region(x - 3, y - 3, x + 3, y + 3), moved);
}

TEST_F(BodiesMovedGLTest, ABodyMovedByATransformIdWithinTheScenesDepthIsDrawnWhereItWasAndWhereItGoes)
{
    // A small block beside the first, moved by the scene database across to the opposite corner:
    // a change of its location alone, whose redraw must clear where it was and draw where it goes.
    BODY* small = host_->ShowBlock(SPAposition(25, 25, -2), SPAposition(29, 29, 2));
    const unsigned short id = Context().NewTransformId();
    ASSERT_TRUE(Context().SetTransformId(host_->PathOf(small), id));
    host_->Refresh();
    // There and back again, each move seen by one refresh (the depth planes stay as they are).
    const double moves[] = {-54, 0};
    const double hither = host_->View().get_hither(), yon = host_->View().get_yon();
    for (const double dx : moves) {
        ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(dx, dx, 0))));
        host_->Refresh();
        EXPECT_EQ(host_->View().get_hither(), hither);
        EXPECT_EQ(host_->View().get_yon(), yon);
        const vyrtest::Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        const double gone = dx == 0 ? -54 : 0;  // where it was before this move
        const SPAposition now(27 + dx, 27 + dx, 2), was(27 + gone, 27 + gone, 2);
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(now, x, y));
        EXPECT_TRUE(refreshed.Lit(x, kHostSize - 1 - y));
        EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(small));
        ASSERT_TRUE(host_->PixelOf(was, x, y));
        EXPECT_FALSE(refreshed.Lit(x, kHostSize - 1 - y));
        const std::vector<CVyrObjectPath> moved = {host_->PathOf(small)};
        EXPECT_EQ(RegionAround(SPAposition(25 + dx, 25 + dx, -2), SPAposition(29 + dx, 29 + dx, 2)), moved);
        EXPECT_TRUE(RegionAround(was - SPAvector(2, 2, 4), was + SPAvector(2, 2, 0)).empty());
    }
}

TEST_F(BodiesMovedGLTest, ABodyMovedByATransformIdBesideAPerspectiveEyeLeavesTheRestOfThePicture)
{
    // A small block just in front of a perspective eye and far to its side projects far off the
    // window; moved there by a transform id, it is a change whose rectangle lies off the window.
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300).Perspective(true));
    BODY* beside = host_->ShowBlock(SPAposition(-60, -5, 95), SPAposition(-50, 5, 99), 0x00FF00);
    const unsigned short id = Context().NewTransformId();
    ASSERT_TRUE(Context().SetTransformId(host_->PathOf(beside), id));
    host_->Refresh();
    const vyrtest::Picture before = host_->Front();
    ASSERT_GT(before.LitCount(), 500);  // the first block
    for (int hidden = 0; hidden < 2; ++hidden) {
        if (hidden) {
            Context().ForceHide(host_->PathOf(beside));
            host_->Refresh();
        }
        ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(0, 5.0 * (hidden + 1), 0))));
        host_->Refresh();
        const vyrtest::Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, before)) << hidden;
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame())) << hidden;
    }
}

// Every face's mesh moved 30 to the right, the edges staying where they were: a region pick finds
// the body only about both, since the window draws both.
TEST_F(BodiesMovedGLTest, AMeshEditedInPlaceLiesInsideARegionOnlyWithItsEdges)
{
    vyrtest::MoveFaceMeshesAbove(Item(), -100, SPAvector(30, 0, 0));
    host_->Refresh();
    const std::vector<CVyrObjectPath> found{host_->PathOf(block_)};
    EXPECT_TRUE(RegionAround(SPAposition(10, -10, -10), SPAposition(50, 10, 10)).empty());
    EXPECT_TRUE(RegionAround(SPAposition(-20, -10, -10), SPAposition(20, 10, 10)).empty());
    EXPECT_EQ(RegionAround(SPAposition(-20, -10, -10), SPAposition(50, 10, 10)), found);
}

TEST_F(BodiesMovedGLTest, AMeshEditedInPlaceThenMovedOrFacetedAgainIsDrawnAndBoxedWithItsEdges)
{
    // Every face's mesh moved 30 to the right: the edges stay where they were, and the body's box
    // holds both.
    vyrtest::MoveFaceMeshesAbove(Item(), -100, SPAvector(30, 0, 0));
    host_->Refresh();
    SPAposition low, high;
    Context().GetBox(low, high);
    EXPECT_NEAR(low.x(), -20, 1e-3);
    EXPECT_NEAR(high.x(), 50, 1e-3);
    // Moved aside by a transform id: the next refresh draws it away from both places, edges too.
    const unsigned short id = Context().NewTransformId();
    ASSERT_TRUE(Context().SetTransformId(host_->PathOf(block_), id));
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(0, 25, 0))));
    host_->Refresh();
    EXPECT_TRUE(SamePicture(host_->Front(), host_->WholeFrame()));
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(0, 0, 0))));
    host_->Refresh();
    // Faceted again: the faces come back to the edges, and so does the box (the picks' window box
    // among them).
    Context().ReFacetAll();
    host_->Refresh();
    EXPECT_TRUE(SamePicture(host_->Front(), host_->WholeFrame()));
    Context().GetBox(low, high);
    EXPECT_NEAR(low.x(), -20, 1e-3);
    EXPECT_NEAR(high.x(), 20, 1e-3);
    EXPECT_TRUE(Picked(SPAposition(-15, 0, 10)));
    EXPECT_FALSE(Picked(SPAposition(45, 0, 10)));
}
