// Picks of a block a host shows while a section cuts it open: the single pick answers what the cut
// picture shows, by selection and by the pick ray alike, under a section plane and a stepped
// section; snaps take only the points the section keeps and only faces the section keeps hide them.
#include "DsAcisPick.h"
#include "DsGlScene.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "UiPickEvent.h"

#include "../context/SteppedSection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using vyrtest::ViewSetup;

namespace {

// The block [0, 30] x [0, 20] x [8, 20], seen from +x and above; the section keeps x < 15, so that
// the view looks through the cut into the open block.
class PickSectionsGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(75, 10, 58)).Target(SPAposition(15, 10, 14)).Up(SPAvector(0, 0, 1))
                        .Field(60, 60).Clip(1, 300));
        block_ = host_->ShowBlock(SPAposition(0, 0, 8), SPAposition(30, 20, 20));
        ASSERT_NE(block_, nullptr);
    }
    // The single pick of bodies at the pixel of `p`, the faces by selection or by the pick ray.
    CDsPickedItem PickAt(const SPAposition& p, bool byRay) { return host_->PickAt(p, nullptr, byRay); }
    // Whether the front buffer shows something at the pixel of `p`.
    bool Shown(const SPAposition& p)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        return host_->Front().Lit(x, host_->Height() - 1 - y);
    }

    // The reference point of an edge's start, end, middle or centre that StPickRefPoint answers at
    // the pixel of `p`: its position, (1e11, 1e11, 1e11) when it answers none.
    SPAposition SnapAt(const SPAposition& p)
    {
        if (!host_->SnapAt(p, {256, 257, 258, 259})) return SPAposition(1e11, 1e11, 1e11);
        return SPAposition(CDsRefPoint::sLastPosition);
    }

    BODY* block_ = nullptr;
};

// Whether `p` is within 1e-3 of `q` in every coordinate.
::testing::AssertionResult Near(const SPAposition& p, const SPAposition& q)
{
    if (std::fabs(p.x() - q.x()) <= 1e-3 && std::fabs(p.y() - q.y()) <= 1e-3 && std::fabs(p.z() - q.z()) <= 1e-3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is not (" << q.x()
                                         << ", " << q.y() << ", " << q.z() << ")";
}

// Where the line from the eye through `p` meets the plane z = `z`.
SPAposition OnPlaneZ(const SPAposition& p, double z)
{
    const SPAposition eye(75, 10, 58);
    const double t = (z - eye.z()) / (p.z() - eye.z());
    return eye + (p - eye) * t;
}

}  // namespace

TEST_F(PickSectionsGLTest, TheSinglePickAnswersWhatTheCutPictureShows)
{
    // Seen through the cut: the removed top's place shows the inner bottom face; the removed front
    // face's place shows nothing (what lies behind it there was cut away).
    const SPAposition removedTop(25, 10, 20), removedFront(30, 10, 10);
    host_->Refresh();
    ASSERT_TRUE(Shown(removedTop));
    ASSERT_TRUE(Shown(removedFront));
    host_->Context().SetSection(SPAposition(15, 0, 0), SPAvector(-1, 0, 0));
    host_->Refresh();
    ASSERT_TRUE(Shown(removedTop));
    ASSERT_FALSE(Shown(removedFront));

    const SPAposition bottom = OnPlaneZ(removedTop, 8);
    for (const bool byRay : {false, true}) {
        SCOPED_TRACE(byRay ? "by ray" : "by selection");
        const CDsPickedItem through = PickAt(removedTop, byRay);
        ASSERT_EQ(through.GetObjectPath(), host_->PathOf(block_));
        ASSERT_TRUE(through.IsValid());
        EXPECT_NEAR(through.GetPickedPosition()->z(), 8, 0.5);
        EXPECT_NEAR(through.GetPickedPosition()->x(), bottom.x(), 1.0);
        EXPECT_FALSE(PickAt(removedFront, byRay).IsValid());
        // The kept half still answers on its own top.
        const CDsPickedItem kept = PickAt(SPAposition(7, 10, 20), byRay);
        ASSERT_EQ(kept.GetObjectPath(), host_->PathOf(block_));
        EXPECT_NEAR(kept.GetPickedPosition()->z(), 20, 0.5);
    }
    host_->Context().ResetSection();
}

TEST_F(PickSectionsGLTest, ASteppedSectionClipsTheSinglePickAsItClipsThePicture)
{
    // The stepped section keeps y > 10 here (and y > -5 left of x = 0): the block's near half
    // (y < 10) is cut away, its far half kept. Seen from +x: the near half's front face shows
    // nothing, the far half's front face shows.
    host_->Context().GetScene()->SetComplexSection(vyrtest::SteppedSection({host_->PathOf(block_)}));
    host_->Refresh();
    const SPAposition cutFront(30, 4, 12), keptFront(30, 16, 12);
    ASSERT_FALSE(Shown(cutFront));
    ASSERT_TRUE(Shown(keptFront));
    for (const bool byRay : {false, true}) {
        SCOPED_TRACE(byRay ? "by ray" : "by selection");
        EXPECT_FALSE(PickAt(cutFront, byRay).IsValid());
        const CDsPickedItem kept = PickAt(keptFront, byRay);
        ASSERT_EQ(kept.GetObjectPath(), host_->PathOf(block_));
        EXPECT_NEAR(kept.GetPickedPosition()->x(), 30, 0.5);
    }
    host_->Context().GetScene()->SetComplexSection(nullptr);
}

TEST_F(PickSectionsGLTest, SnapsTakeWhatTheSectionKeepsAndOnlyKeptFacesHideThem)
{
    // The far bottom corner, seen through the cut: before the cut the removed top lies in front of
    // it; after it nothing does, in any render mode.
    const SPAposition farCorner(0, 0, 8), removedCorner(30, 0, 8);
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(farCorner), farCorner));
    host_->Context().SetSection(SPAposition(15, 0, 0), SPAvector(-1, 0, 0));
    host_->Refresh();
    for (ERenderMode mode : {eRenderWireframe, eRenderShade, eRenderHiddenLines, eRenderMixed}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        EXPECT_TRUE(Near(SnapAt(farCorner), farCorner));
        // A corner of the removed half is not there to snap to.
        EXPECT_FALSE(Near(SnapAt(removedCorner), removedCorner));
    }
    // Moved to keep x > 15: the near half's faces are kept and hide the far corner again.
    host_->View().SetRenderMode(eRenderShade);
    host_->Context().SetSection(SPAposition(15, 0, 0), SPAvector(1, 0, 0));
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(farCorner), farCorner));
    EXPECT_TRUE(Near(SnapAt(removedCorner), removedCorner));
    host_->Context().ResetSection();
}
