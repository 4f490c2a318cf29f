// The items of a shown body hidden or shown again each on its own item (a face, a wire body's
// edge, a curved face's outline), not through the body or the scene database: the next refresh
// draws what a whole new frame draws, and the single pick answers only what the window shows.
#include "DsBox.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsLineAttribStorage.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <cmath>

using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

// Seen from above, one model unit a pixel.
class HiddenOnTheirOwnItemsGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    }
    CDsItemsBody* Group(BODY* body) { return host_->Context().FindDsBody(body); }
    // Refreshes; the picture must be what a whole frame draws, and it is answered.
    Picture Refreshed()
    {
        host_->Refresh();
        const Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        return refreshed;
    }
};

}  // namespace

TEST_F(HiddenOnTheirOwnItemsGLTest, AFaceHiddenOnItsOwnItemIsGoneFromTheNextRefreshAndFromPicks)
{
    // A block under a smaller, lower plate: from above the block's top face hides the plate. With
    // the top face blanked the window shows the plate through the opening, and the pick at the
    // middle answers the plate; shown again, the block's top.
    BODY* block = host_->ShowBlock(SPAposition(-20, -20, 0), SPAposition(20, 20, 10));
    BODY* plate = host_->ShowBlock(SPAposition(-10, -10, 2), SPAposition(10, 10, 4), 0x00FF00);
    host_->Refresh();
    const Picture shown = host_->Front();
    CDsItemsFace* top = nullptr;
    for (int i = 0; i < Group(block)->FacesCount(); ++i) {
        CGmPosition low, high;
        CDsItemsFace* face = Group(block)->GetFaceItem(i);
        if (face->GetBox(low, high, false) && low.z() > 9.9) top = face;
    }
    ASSERT_NE(top, nullptr);
    for (const ERenderMode mode : {eRenderShade, eRenderHiddenLines})
    for (const bool byStorage : {false, true}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", by storage " << byStorage);
        host_->View().SetRenderMode(mode);
        const Picture before = host_->WholeFrame();
        // Picked before the refresh and after it.
        vyrtest::HideOnItem(top, true, byStorage);
        EXPECT_EQ(host_->PickAt(SPAposition(0, 0, 10)).GetObjectPath(), host_->PathOf(plate));
        EXPECT_GT(vyrtest::DifferingPixels(Refreshed(), before), 0);
        EXPECT_EQ(host_->PickAt(SPAposition(0, 0, 10)).GetObjectPath(), host_->PathOf(plate));
        vyrtest::HideOnItem(top, false, byStorage);
        EXPECT_EQ(host_->PickAt(SPAposition(0, 0, 10)).GetObjectPath(), host_->PathOf(block));
        EXPECT_TRUE(SamePicture(Refreshed(), before));
        const CDsPickedItem again = host_->PickAt(SPAposition(0, 0, 10));
        EXPECT_EQ(again.GetObjectPath(), host_->PathOf(block));
        ASSERT_TRUE(again.IsValid());
        EXPECT_NEAR(again.GetPickedPosition()->z(), 10, 1e-3);
    }
    host_->View().SetRenderMode(eRenderShade);
    EXPECT_TRUE(SamePicture(host_->WholeFrame(), shown));
}

TEST_F(HiddenOnTheirOwnItemsGLTest, AWireEdgeHiddenOnItsOwnItemIsGoneFromTheNextRefreshAndFromPicks)
{
    const SPAposition points[] = {SPAposition(-30, 10, 0), SPAposition(30, 10, 0), SPAposition(30, 30, 0)};
    BODY* wire = host_->Show(make_wire_body(points, 3));
    ASSERT_NE(wire, nullptr);
    host_->View().SetRenderMode(eRenderWireframe);
    const Picture shown = host_->WholeFrame();
    const SPAposition onFirst(0, 10, 0), onSecond(30, 20, 0);
    CDsItemEdge* first = nullptr;
    for (int i = 0; i < Group(wire)->EdgesCount(); ++i) {
        CDsItemEdge* edge = Group(wire)->GetEdgeItem(i);
        CDsBox box;
        edge->ExpandBox(box, nullptr);
        if (!box.IsNotComputed() && box.GetMax()[1] < 10.1f) first = edge;
    }
    ASSERT_NE(first, nullptr);
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(onFirst, x, y));
    ASSERT_TRUE(shown.LitNear(x, kHostSize - 1 - y, 1));
    ASSERT_EQ(host_->PickAt(onFirst).GetObjectPath(), host_->PathOf(wire));

    vyrtest::HideOnItem(first, true);
    const Picture hidden = Refreshed();
    EXPECT_FALSE(hidden.LitNear(x, kHostSize - 1 - y, 1));
    EXPECT_FALSE(host_->PickAt(onFirst).IsValid());
    EXPECT_EQ(host_->PickAt(onSecond).GetObjectPath(), host_->PathOf(wire));  // the other edge stays
    vyrtest::HideOnItem(first, false);
    EXPECT_TRUE(SamePicture(Refreshed(), shown));
    EXPECT_EQ(host_->PickAt(onFirst).GetObjectPath(), host_->PathOf(wire));
}

TEST_F(HiddenOnTheirOwnItemsGLTest, AnOutlineHiddenOnItsOwnItemIsGoneFromTheNextRefresh)
{
    // A cylinder along y seen side-on: at the level of cylinders its outline is the columns at
    // x = +-15, in wireframe and in hidden lines alike.
    BODY* cylinder = make_cylinder(SPAposition(0, -30, 0), SPAvector(0, 1, 0), 15, 60);
    ASSERT_NE(host_->Show(cylinder), nullptr);
    host_->Context().SetSilhouetteLevel(eDsSilhouetteCylinders);
    CDsItemSilhouette* outline = nullptr;
    for (int i = 0; i < Group(cylinder)->FacesCount() && !outline; ++i)
        outline = Group(cylinder)->GetFaceItem(i)->GetSilhouette();
    ASSERT_NE(outline, nullptr);
    for (const ERenderMode mode : {eRenderWireframe, eRenderHiddenLines}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        const Picture shown = host_->WholeFrame();
        ASSERT_TRUE(shown.LitNear(35, 50, 1));
        ASSERT_TRUE(shown.LitNear(65, 50, 1));
        vyrtest::HideOnItem(outline, true);
        const Picture hidden = Refreshed();
        EXPECT_FALSE(hidden.LitNear(35, 50, 1));
        EXPECT_FALSE(hidden.LitNear(65, 50, 1));
        EXPECT_TRUE(hidden.LitNear(50, 20, 1));  // the rims stay
        vyrtest::HideOnItem(outline, false);
        EXPECT_TRUE(SamePicture(Refreshed(), shown));
    }
    host_->Context().SetSilhouetteLevel(eDsSilhouetteNone);
}
