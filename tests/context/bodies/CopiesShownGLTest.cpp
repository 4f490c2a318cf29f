// Copies of a body a host shows through the host's geometry (VyrShowCopy): drawn where they are
// placed in every render mode, picked there by every pick, following their body, drawing nothing
// without it, all from the body's own meshes.
#include "DsAcisPick.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsScene.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "UiPickEvent.h"
#include "VyrBodyGeometry.h"
#include "VyrEntInstance.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

// Seen from above, one model unit a pixel: the block [-45, -15] x [-10, 10] x [-10, 10], its copy
// moved 60 to the right ([15, 45] x [-10, 10]) and its copy turned a quarter about the z axis
// ([-10, 10] x [-45, -15]). The middle of the window and its top show nothing.
class CopiesShownGLTest : public vyrtest::HostTest {
protected:
    static constexpr int kMovedId = 101, kTurnedId = 102;

    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        block_ = host_->ShowBlock(SPAposition(-45, -10, -10), SPAposition(-15, 10, 10));
        ASSERT_NE(block_, nullptr);
        moved_ = CopyOf(block_, translate_transf(SPAvector(60, 0, 0)));
        turned_ = CopyOf(block_, rotate_transf(kQuarterTurn, SPAvector(0, 0, 1)));
        ASSERT_TRUE(ShowCopy(moved_, kMovedId, 0x0000FF));
        ASSERT_TRUE(ShowCopy(turned_, kTurnedId, 0xFF0000));
        host_->Refresh();
    }
    void TearDown() override
    {
        for (size_t i = 0; i < shown_.size(); ++i) VyrHideCopy(&Context(), shown_[i], ids_[i]);
        for (ENTITY* instance : instances_) instance->lose();
        HostTest::TearDown();
    }
    CDsGlContext& Context() { return host_->Context(); }
    // The copy body of an instance of `body` placed by `t` (the instance is lost after the test).
    ENTITY* CopyOf(BODY* body, const SPAtransf& t)
    {
        auto* instance = new CVyrEntInstance(body, t);
        instances_.push_back(instance);
        ENTITY_LIST copies;
        instance->GetEntities(copies);
        return copies.count() == 1 ? copies[0] : nullptr;
    }
    // Shows `copy` as item `id` in `color`, to be hidden after the test.
    bool ShowCopy(ENTITY* copy, int id, unsigned color)
    {
        CDsAttributes look;
        look.SetColor(color);
        if (!VyrShowCopy(&Context(), copy, id, &look)) return false;
        shown_.push_back(copy);
        ids_.push_back(id);
        return true;
    }
    CVyrObjectPath PathOf(int id) { return CVyrObjectPath(&id, 1, 1, Context().GetScene()->GetDbScene().GetPeerPartId()); }
    CDsItemsCopy* CopyGroup(ENTITY* copy) { return dynamic_cast<CDsItemsCopy*>(Context().FindDsItem(copy)); }
    // Whether `picture` shows something within a pixel of the pixel of `p`.
    bool LitNear(const Picture& picture, const SPAposition& p)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        return picture.LitNear(x, kHostSize - 1 - y, 1);
    }
    // The single pick of bodies at the pixel of `p`, the faces by selection or by the pick ray.
    CDsPickedItem PickAt(const SPAposition& p, bool byRay) { return host_->PickAt(p, nullptr, byRay); }
    // The region pick around the model rectangle [low, high] at z = 10, widened by 3 pixels.
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high)
    {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        host_->PixelOf(SPAposition(low.x(), high.y(), 10), x0, y0);
        host_->PixelOf(SPAposition(high.x(), low.y(), 10), x1, y1);
        return host_->Region(x0 - 3, y0 - 3, x1 + 3, y1 + 3);
    }
    // The refresh draws what a whole frame draws; the moved copy is seen and picked on its top at
    // `moved`, the turned one at `turned`, or neither anywhere when `drawn` is false.
    void ExpectCopies(bool drawn, const SPAposition& moved, const SPAposition& turned)
    {
        host_->Refresh();
        const Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        EXPECT_EQ(LitNear(refreshed, moved), drawn);
        EXPECT_EQ(LitNear(refreshed, turned), drawn);
        EXPECT_EQ(PickAt(moved, false).GetObjectPath(), drawn ? PathOf(kMovedId) : CVyrObjectPath());
        EXPECT_EQ(PickAt(turned, true).GetObjectPath(), drawn ? PathOf(kTurnedId) : CVyrObjectPath());
    }

    BODY* block_ = nullptr;
    ENTITY* moved_ = nullptr;
    ENTITY* turned_ = nullptr;
    std::vector<ENTITY*> instances_;
    std::vector<ENTITY*> shown_;
    std::vector<int> ids_;
};

}  // namespace

TEST_F(CopiesShownGLTest, CopiesAreDrawnWhereTheyArePlacedInEveryRenderMode)
{
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade,
                             eRenderMixed}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        const Picture frame = host_->WholeFrame();
        // Edges of the moved copy, and of the turned one where the block unturned has none.
        EXPECT_TRUE(LitNear(frame, SPAposition(15, 0, 10)));
        EXPECT_TRUE(LitNear(frame, SPAposition(45, 5, 10)));
        EXPECT_TRUE(LitNear(frame, SPAposition(10, -30, 10)));
        EXPECT_TRUE(LitNear(frame, SPAposition(0, -45, 10)));
        EXPECT_TRUE(LitNear(frame, SPAposition(-15, 0, 10)));  // the block itself
        // Where nothing is.
        EXPECT_FALSE(LitNear(frame, SPAposition(0, 0, 10)));
        EXPECT_FALSE(LitNear(frame, SPAposition(0, 30, 10)));
        EXPECT_FALSE(LitNear(frame, SPAposition(30, -30, 10)));
        host_->Refresh();
        EXPECT_TRUE(SamePicture(host_->Front(), frame));
    }
    // Shaded, the copies' tops are filled: the turned one reaches y = -42, not x = 13.
    host_->View().SetRenderMode(eRenderShade);
    const Picture shaded = host_->WholeFrame();
    EXPECT_TRUE(LitNear(shaded, SPAposition(30, 0, 10)));
    EXPECT_TRUE(LitNear(shaded, SPAposition(0, -42, 10)));
    EXPECT_FALSE(LitNear(shaded, SPAposition(13, -30, 10)));
}

TEST_F(CopiesShownGLTest, EveryPickAnswersTheCopySeenThere)
{
    const CVyrObjectPath moved = PathOf(kMovedId), turned = PathOf(kTurnedId);
    for (const bool byRay : {false, true}) {
        SCOPED_TRACE(byRay ? "by ray" : "by selection");
        const CDsPickedItem top = PickAt(SPAposition(30, 0, 10), byRay);
        ASSERT_EQ(top.GetObjectPath(), moved);
        ASSERT_TRUE(top.IsValid());
        EXPECT_NEAR(top.GetPickedPosition()->x(), 30, 1.0);
        EXPECT_NEAR(top.GetPickedPosition()->z(), 10, 0.5);
        EXPECT_EQ(PickAt(SPAposition(0, -40, 10), byRay).GetObjectPath(), turned);
        EXPECT_EQ(PickAt(SPAposition(-30, 0, 10), byRay).GetObjectPath(), host_->PathOf(block_));
        EXPECT_FALSE(PickAt(SPAposition(0, 0, 10), byRay).IsValid());
        EXPECT_FALSE(PickAt(SPAposition(13, -30, 10), byRay).IsValid());
    }
    // An edge in wireframe.
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();
    EXPECT_EQ(PickAt(SPAposition(15, 0, 10), false).GetObjectPath(), moved);
    EXPECT_EQ(PickAt(SPAposition(10, -30, 10), false).GetObjectPath(), turned);
    EXPECT_FALSE(PickAt(SPAposition(0, 0, 10), false).IsValid());
    host_->View().SetRenderMode(eRenderShade);
    host_->Refresh();

    // Regions, in both selection modes.
    CDsPickProccessor* picks = Context().GetPickProccessor();
    for (const bool visibleOnly : {false, true}) {
        SCOPED_TRACE(visibleOnly ? "visible only" : "by box");
        picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
        EXPECT_EQ(RegionAround(SPAposition(15, -10, 0), SPAposition(45, 10, 0)), std::vector<CVyrObjectPath>{moved});
        EXPECT_EQ(RegionAround(SPAposition(-10, -45, 0), SPAposition(10, -15, 0)), std::vector<CVyrObjectPath>{turned});
        EXPECT_TRUE(RegionAround(SPAposition(-8, 20, 0), SPAposition(8, 40, 0)).empty());
        EXPECT_EQ(host_->Region(1, 1, kHostSize - 2, kHostSize - 2).size(), 3u);
    }
    picks->SetSelectionMode(eDsSelectionByBoxDefault);

    // Snaps to the turned copy's corner, which the block's corner (-45, 10, 10) turned is.
    ASSERT_NE(host_->SnapAt(SPAposition(-10, -45, 10), {256, 257}), nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -10, 1e-3);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), -45, 1e-3);
    CDsGlContext::StEndPickSession();
}

// A copy the scene moves by a transform id snaps where it is drawn, not where its own placement
// puts it; hidden by its path it offers no point.
TEST_F(CopiesShownGLTest, ACopySnapsWhereTheSceneDrawsIt)
{
    const SPAposition corner(45, 10, 10);
    const SPAvector by(0, 30, 0);
    const unsigned short id = Context().NewTransformId();
    ASSERT_TRUE(Context().SetTransformId(PathOf(kMovedId), id));
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(by)));
    host_->Refresh();
    ASSERT_NE(host_->SnapAt(corner + by, {256, 257}), nullptr);
    EXPECT_NEAR((SPAposition(CDsRefPoint::sLastPosition) - (corner + by)).len(), 0, 1e-3);
    const std::unique_ptr<CDsRefPoint> old = host_->SnapAt(corner, {256, 257});
    EXPECT_TRUE(!old || (SPAposition(CDsRefPoint::sLastPosition) - corner).len() > 1.0);
    ASSERT_TRUE(Context().ForceHide(PathOf(kMovedId)));
    host_->Refresh();
    EXPECT_EQ(host_->SnapAt(corner + by, {256, 257}), nullptr);
    CDsGlContext::StEndPickSession();
}

TEST_F(CopiesShownGLTest, AHighlightOfACopysPathDrawsThatCopyOnly)
{
    const Picture plain = host_->Front();
    Context().HighlightLocations({PathOf(kMovedId)}, eAttribSetHighlight);
    const Picture highlighted = host_->Front();
    Context().UnHighlightLocations();
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(30, 0, 10), x, y));
    EXPECT_NE(std::vector<unsigned char>(plain.At(x, kHostSize - 1 - y), plain.At(x, kHostSize - 1 - y) + 3),
              std::vector<unsigned char>(highlighted.At(x, kHostSize - 1 - y), highlighted.At(x, kHostSize - 1 - y) + 3));
    // Only the moved copy's pixels change.
    int changed = 0;
    for (int j = 0; j < kHostSize; ++j)
        for (int i = 0; i < kHostSize; ++i) {
            const unsigned char* p = plain.At(i, j);
            const unsigned char* q = highlighted.At(i, j);
            if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) continue;
            ++changed;
            EXPECT_GE(i, 65 - 2);  // the copy's columns, 65 to 95
        }
    EXPECT_GT(changed, 400);
}

TEST_F(CopiesShownGLTest, ACopyFollowsItsBodyAndDrawsNothingWithoutIt)
{
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));

    // The block moved 30 up: the moved copy follows, the turned one turns it where it now is.
    SPAtransf up = translate_transf(SPAvector(0, 30, 0));
    Context().SetTransformation(block_, up);
    ExpectCopies(true, SPAposition(30, 30, 10), SPAposition(-30, -30, 10));
    EXPECT_FALSE(LitNear(host_->Front(), SPAposition(30, 0, 10)));
    EXPECT_FALSE(PickAt(SPAposition(0, -30, 10), false).IsValid());
    SPAtransf back;
    Context().SetTransformation(block_, back);

    // The block hidden on its own item, then shown again.
    CDsItemsBody* body = Context().FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    body->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
    ExpectCopies(false, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
    EXPECT_TRUE(RegionAround(SPAposition(15, -10, 0), SPAposition(45, 10, 0)).empty());
    body->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, true);
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));

    // A copy hidden on its own item draws nothing; the other one stays.
    CDsItemsCopy* movedGroup = CopyGroup(moved_);
    ASSERT_NE(movedGroup, nullptr);
    movedGroup->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
    host_->Refresh();
    const Picture oneHidden = host_->Front();
    EXPECT_TRUE(SamePicture(oneHidden, host_->WholeFrame()));
    EXPECT_FALSE(LitNear(oneHidden, SPAposition(30, 0, 10)));
    EXPECT_FALSE(PickAt(SPAposition(30, 0, 10), true).IsValid());
    EXPECT_EQ(PickAt(SPAposition(0, -30, 10), false).GetObjectPath(), PathOf(kTurnedId));
    movedGroup->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, true);
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));

    // The block taken out of the context: its copies let it go and draw nothing, and stay so when
    // it is shown again, until the host gives them the body again.
    host_->Hide(block_);
    ExpectCopies(false, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
    EXPECT_TRUE(host_->Region(1, 1, kHostSize - 2, kHostSize - 2).empty());
    host_->ShowAgain(block_);
    ASSERT_TRUE(host_->Shown(block_));
    host_->Refresh();
    EXPECT_FALSE(LitNear(host_->Front(), SPAposition(30, 0, 10)));
    Context().UpdateCopy(moved_, moved_);
    Context().UpdateCopy(turned_, turned_);
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
}

TEST_F(CopiesShownGLTest, ACopyTheDatabaseRefusesLeavesNoCopyInTheContext)
{
    // Filed under the id the block itself was shown under, or under id 0, which no item has, the
    // copy is refused (and so is one that nothing could place): the call answers false and leaves no copy group in the context, which
    // shows what it showed.
    CDsItemsGroup* copies = Context().GetScene()->GetRootGroup(CDsGlScene::eRootCopies);
    ASSERT_NE(copies, nullptr);
    const int filed = copies->Count();
    const Picture before = host_->WholeFrame();
    ENTITY* refused = CopyOf(block_, translate_transf(SPAvector(30, 30, 0)));
    CDsAttributes look;
    look.SetColor(0x00FF00);
    // So is a copy placed by a transform that describes none, under any id.
    ENTITY* unplaced = CopyOf(block_, translate_transf(SPAvector(std::nan(""), 0, 0)));
    EXPECT_FALSE(VyrShowCopy(&Context(), unplaced, 104, &look));
    EXPECT_EQ(Context().FindDsItem(unplaced), nullptr);
    host_->View().ZoomAll(1.0f);
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    for (const int id : {host_->IdOf(block_), 0}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(VyrShowCopy(&Context(), refused, id, &look));
        EXPECT_EQ(Context().FindDsItem(refused), nullptr);
        EXPECT_EQ(copies->Count(), filed);
        EXPECT_TRUE(SamePicture(host_->WholeFrame(), before));
        // A copy already shown, offered again under a refused id, stays as it was.
        EXPECT_FALSE(VyrShowCopy(&Context(), moved_, id, &look));
        EXPECT_NE(CopyGroup(moved_), nullptr);
        EXPECT_EQ(copies->Count(), filed);
        EXPECT_TRUE(SamePicture(host_->WholeFrame(), before));
    }
    // The block faceted again, taken out and shown again: its copies follow it as before.
    Context().ReFacetAll();
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
    host_->Hide(block_);
    ExpectCopies(false, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
    host_->ShowAgain(block_);
    Context().UpdateCopy(moved_, moved_);
    Context().UpdateCopy(turned_, turned_);
    ExpectCopies(true, SPAposition(30, 0, 10), SPAposition(0, -30, 10));
    EXPECT_EQ(copies->Count(), filed);
    // Under an id of its own the same copy is shown, drawn and picked like the others.
    ASSERT_TRUE(ShowCopy(refused, 103, 0x00FF00));
    EXPECT_EQ(copies->Count(), filed + 1);
    EXPECT_TRUE(LitNear(host_->WholeFrame(), SPAposition(0, 30, 10)));
    EXPECT_EQ(PickAt(SPAposition(0, 30, 10), false).GetObjectPath(), PathOf(103));
}

TEST_F(CopiesShownGLTest, CopiesDrawTheBodysOwnMeshesWithoutFacetingAgain)
{
    // A third copy shown and drawn in every mode, and picked: nothing is faceted.
    const long faceted = faceted_face_count();
    ENTITY* third = CopyOf(block_, translate_transf(SPAvector(30, 40, 0)));
    ASSERT_TRUE(ShowCopy(third, 103, 0x00FFFF));
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderShade}) {
        host_->View().SetRenderMode(mode);
        EXPECT_TRUE(LitNear(host_->WholeFrame(), SPAposition(15, 40, 10)));
    }
    EXPECT_EQ(PickAt(SPAposition(0, 40, 10), true).GetObjectPath(), PathOf(103));
    EXPECT_EQ(faceted_face_count(), faceted);
    EXPECT_EQ(Context().GetMeshInterface(third), Context().FindDsBody(block_)->GetMeshInterface());

    // The block's top face's mesh edited in place, 5 to the right: every copy's top shows it.
    host_->View().SetRenderMode(eRenderShade);
    host_->Refresh();
    EXPECT_FALSE(LitNear(host_->Front(), SPAposition(48, 0, 10)));
    vyrtest::MoveFaceMeshesAbove(Context().FindDsBody(block_), 9.9, SPAvector(5, 0, 0));
    host_->Refresh();
    const Picture edited = host_->Front();
    EXPECT_TRUE(SamePicture(edited, host_->WholeFrame()));
    EXPECT_TRUE(LitNear(edited, SPAposition(48, 0, 10)));
    EXPECT_EQ(PickAt(SPAposition(48, 0, 10), true).GetObjectPath(), PathOf(kMovedId));
    EXPECT_EQ(faceted_face_count(), faceted);
}

// A cylinder lying along x and its copy turned a quarter about its axis and moved 30 down: the
// copy's outlines are those it is seen with, at its sides (y = -30 +- 8), not down its middle.
TEST_F(CopiesShownGLTest, TheOutlinesOfACopysCurvedFacesAreThoseItIsSeenWith)
{
    host_->Hide(block_);
    BODY* cylinder = host_->Show(make_cylinder(SPAposition(-20, 20, 0), SPAvector(1, 0, 0), 8, 40));
    ASSERT_NE(cylinder, nullptr);
    // About the cylinder's own axis (y = 20, z = 0), which then lies at y = -30.
    const SPAtransf turn = translate_transf(SPAvector(0, -20, 0)) * rotate_transf(kQuarterTurn, SPAvector(1, 0, 0)) *
                           translate_transf(SPAvector(0, -30, 0));
    ENTITY* copy = CopyOf(cylinder, turn);
    ASSERT_TRUE(ShowCopy(copy, 104, 0x00FF00));
    Context().SetSilhouetteLevel(eDsSilhouetteCylinders);
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        const Picture frame = host_->WholeFrame();
        EXPECT_TRUE(LitNear(frame, SPAposition(0, 28, 0)));  // the cylinder's own
        EXPECT_TRUE(LitNear(frame, SPAposition(0, -22, 0)));
        EXPECT_TRUE(LitNear(frame, SPAposition(0, -38, 0)));
        EXPECT_FALSE(LitNear(frame, SPAposition(0, -30, 0)));
        host_->Refresh();
        EXPECT_TRUE(SamePicture(host_->Front(), frame));
    }
    Context().SetSilhouetteLevel(eDsSilhouetteNone);
}

// A document's part outlives its windows: a window closed with a copy still shown leaves an item
// that another window of the document neither draws nor picks.
TEST_F(CopiesShownGLTest, ACopyOfAClosedWindowIsNeitherDrawnNorPickedByAnother)
{
    constexpr int kDocument = 13;
    ASSERT_EQ(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
    {
        vyrtest::Host host(kHostSize, kHostSize, kDocument);
        host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        BODY* block = host.ShowBlock(SPAposition(-45, -10, -10), SPAposition(-15, 10, 10));
        ASSERT_NE(block, nullptr);
        CDsAttributes look;
        look.SetColor(0x0000FF);
        ASSERT_TRUE(VyrShowCopy(&host.Context(), CopyOf(block, translate_transf(SPAvector(60, 0, 0))), 1001, &look));
        int x = 0, y = 0;
        ASSERT_TRUE(host.PixelOf(SPAposition(30, 0, 10), x, y));
        ASSERT_TRUE(host.WholeFrame().Lit(x, kHostSize - 1 - y));
        host.Close();
    }  // the block is lost, its instance after the test
    {
        vyrtest::Host later(kHostSize, kHostSize, kDocument);
        later.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        int x = 0, y = 0;
        ASSERT_TRUE(later.PixelOf(SPAposition(30, 0, 10), x, y));
        EXPECT_FALSE(later.WholeFrame().Lit(x, kHostSize - 1 - y));
        EXPECT_FALSE(later.Pick(x, y).IsValid());
    }
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
}

TEST_F(CopiesShownGLTest, ACopyOfAWireBodyIsDrawnAndPickedWhereItIsPlaced)
{
    const SPAposition points[] = {SPAposition(-40, 30, 0), SPAposition(-20, 30, 0), SPAposition(-20, 40, 0)};
    BODY* wire = host_->Show(make_wire_body(points, 3));
    ASSERT_NE(wire, nullptr);
    ENTITY* copy = CopyOf(wire, translate_transf(SPAvector(50, 0, 0)));
    ASSERT_TRUE(ShowCopy(copy, 105, 0x0000FF));
    ASSERT_EQ(CopyGroup(copy)->GetCopyMode(), 1);
    host_->View().SetRenderMode(eRenderWireframe);
    const Picture frame = host_->WholeFrame();
    EXPECT_TRUE(LitNear(frame, SPAposition(20, 30, 0)));
    EXPECT_TRUE(LitNear(frame, SPAposition(30, 35, 0)));
    EXPECT_EQ(PickAt(SPAposition(20, 30, 0), false).GetObjectPath(), PathOf(105));
}

TEST_F(CopiesShownGLTest, ACopyShownAgainOnItsItemTakesTheWhiteFacesSetWhileItWasHidden)
{
    // With document flag 1 the shaded pictures draw every face white. A copy hidden on its own
    // item while the flag is set, and shown on it again after a pan, is drawn white too: the
    // picture is the one the same camera and flag give when the copy was never hidden.
    CDsItemsCopy* movedGroup = CopyGroup(moved_);
    ASSERT_NE(movedGroup, nullptr);
    const SPAposition top(30, 0, 10);
    for (ERenderMode mode : {eRenderShade, eRenderMixed}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        Context().Set(static_cast<EDsDocumentFlag>(1), true);
        host_->View().move(SPAvector(4, 0, 0));
        const Picture white = host_->WholeFrame();
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(top, x, y));
        EXPECT_TRUE(vyrtest::ColorNear(white.ColorAt(x, kHostSize - 1 - y), vyrtest::Rgb{255, 255, 255}, 8));
        Context().Set(static_cast<EDsDocumentFlag>(1), false);
        host_->View().move(SPAvector(-4, 0, 0));
        host_->Refresh();

        movedGroup->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
        host_->Refresh();
        Context().Set(static_cast<EDsDocumentFlag>(1), true);
        host_->Refresh();
        host_->View().move(SPAvector(4, 0, 0));
        host_->Refresh();
        movedGroup->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, true);
        host_->Refresh();
        EXPECT_TRUE(SamePicture(host_->Front(), white));
        EXPECT_TRUE(SamePicture(host_->WholeFrame(), white));
        EXPECT_EQ(PickAt(top, false).GetObjectPath(), PathOf(kMovedId));
        EXPECT_EQ(PickAt(top, true).GetObjectPath(), PathOf(kMovedId));

        Context().Set(static_cast<EDsDocumentFlag>(1), false);
        host_->View().move(SPAvector(-4, 0, 0));
    }
}
