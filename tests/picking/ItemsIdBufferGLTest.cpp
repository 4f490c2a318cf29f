// The buffer of PickClosest (CDsItemsIdBuffer): bodies and faces rasterise their meshes into a
// software z-buffer over a rectangle of the view, and each pixel names the face item nearest to
// the viewer there, under the bodies' and faces' transformations.
#include "HostFixture.h"
#include "PickFixture.h"

#include "DsHideLevel.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsItemsIdBuffer.h"
#include "VyrEntInstance.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace picktest;

class ItemsIdBufferTest : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        // In front: x -30..10, y 0..20 (drawable rows 30 to 50, above the middle), z -10..10.
        front_ = make_block(-30, 0, -10, 10, 20, 10);
        // Behind it: x -10..30, y -20..20, z -30..-20.
        back_ = make_block(-10, -20, -30, 30, 20, -20);
        ASSERT_NE(front_, nullptr);
        ASSERT_NE(back_, nullptr);
        context_.add(front_);
        context_.add(back_);
        frontBody_ = context_.FindDsBody(front_);
        backBody_ = context_.FindDsBody(back_);
        ASSERT_NE(frontBody_, nullptr);
        ASSERT_NE(backBody_, nullptr);
    }
    void TearDown() override
    {
        for (BODY* body : {front_, back_})
            if (body) {
                context_.remove(body);
                body->lose();
            }
        PickTest::TearDown();
    }
    // The body whose face item `item` is (null when it is no face of a body).
    static CDsItemsBody* BodyOf(CDsItemBase* item)
    {
        auto* face = dynamic_cast<CDsItemsFace*>(item);
        return face ? face->GetBody() : nullptr;
    }
    // The height of face item `item` (its box is flat in z for the tops of the blocks).
    static double TopOf(CDsItemBase* item)
    {
        auto* face = dynamic_cast<CDsItemsFace*>(item);
        CGmPosition low, high;
        if (!face || !face->GetBox(low, high, true)) return -1e9;
        return high.z();
    }

    BODY* front_ = nullptr;
    BODY* back_ = nullptr;
    CDsItemsBody* frontBody_ = nullptr;
    CDsItemsBody* backBody_ = nullptr;
};

TEST_F(ItemsIdBufferTest, EachPixelNamesTheNearestFaceWhateverTheOrderOfTheBodies)
{
    for (bool backFirst : {true, false}) {
        CDsItemsIdBuffer buffer(view_.get(), 0, 0, kSize, kSize);
        ASSERT_TRUE(buffer.IsValid());
        if (backFirst) backBody_->PickClosest(buffer);
        frontBody_->PickClosest(buffer);
        if (!backFirst) backBody_->PickClosest(buffer);
        EXPECT_EQ(buffer.GetOwnerCount(), 0);
        EXPECT_EQ(buffer.GetCurrentItem(), nullptr);
        // Where both lie, the front block's top face (model (0, 10)).
        CDsItemBase* overlap = buffer.GetItemAt(50, 40);
        EXPECT_EQ(BodyOf(overlap), frontBody_);
        EXPECT_NEAR(TopOf(overlap), 10.0, 1e-4);
        // The front block alone (model (-20, 10)); the back block alone, beside it (model (20, 10))
        // and below the front one (model (0, -10)).
        EXPECT_EQ(BodyOf(buffer.GetItemAt(30, 40)), frontBody_);
        EXPECT_EQ(BodyOf(buffer.GetItemAt(70, 40)), backBody_);
        EXPECT_NEAR(TopOf(buffer.GetItemAt(70, 40)), -20.0, 1e-4);
        EXPECT_EQ(BodyOf(buffer.GetItemAt(50, 60)), backBody_);
        // The mirror of the front block about the middle row is empty: rows count down like the view.
        EXPECT_EQ(buffer.GetItemAt(30, 60), nullptr);
        // Its lower edge (model y 0) lies between rows 49 and 50, its left one (model x -30)
        // between columns 19 and 20, as OpenGL lights them.
        EXPECT_EQ(BodyOf(buffer.GetItemAt(30, 49)), frontBody_);
        EXPECT_EQ(buffer.GetItemAt(30, 50), nullptr);
        EXPECT_EQ(BodyOf(buffer.GetItemAt(20, 40)), frontBody_);
        EXPECT_EQ(buffer.GetItemAt(19, 40), nullptr);
        // Off both blocks, and outside the rectangle.
        EXPECT_EQ(buffer.GetItemAt(10, 40), nullptr);
        EXPECT_EQ(buffer.GetItemAt(50, 90), nullptr);
        EXPECT_EQ(buffer.GetItemAt(-1, 40), nullptr);
        EXPECT_EQ(buffer.GetItemAt(50, kSize), nullptr);
    }
}

TEST_F(ItemsIdBufferTest, TheBodysTransformationMovesItsFacesInTheBuffer)
{
    // Pushed 40 units away from the viewer, the front block falls behind the other one.
    frontBody_->MultiplyTransformation(translate_transf(SPAvector(0, 0, -40)));
    CDsItemsIdBuffer buffer(view_.get(), 0, 0, kSize, kSize);
    frontBody_->PickClosest(buffer);
    backBody_->PickClosest(buffer);
    EXPECT_EQ(BodyOf(buffer.GetItemAt(50, 40)), backBody_);
    EXPECT_EQ(BodyOf(buffer.GetItemAt(30, 40)), frontBody_);
    // Moved sideways by 20 units: it now covers model x -30 + 20 .. 10 + 20 (pixels 40 to 80).
    frontBody_->MultiplyTransformation(translate_transf(SPAvector(20, 0, 60)));
    CDsItemsIdBuffer moved(view_.get(), 0, 0, kSize, kSize);
    backBody_->PickClosest(moved);
    frontBody_->PickClosest(moved);
    EXPECT_EQ(BodyOf(moved.GetItemAt(75, 40)), frontBody_);
    EXPECT_EQ(moved.GetItemAt(35, 40), nullptr);
    // A face's own transformation comes on top of its body's.
    CDsItemsIdBuffer outer(view_.get(), 0, 0, kSize, kSize);
    const SPAtransf aside = translate_transf(SPAvector(-50, 0, 0));
    outer.PushOwner(&aside);
    frontBody_->PickClosest(outer);
    EXPECT_EQ(outer.GetOwnerCount(), 1);
    outer.PopOwner();
    // Pixels 40 to 80 moved 50 to the left: -10 to 30.
    EXPECT_EQ(BodyOf(outer.GetItemAt(20, 40)), frontBody_);
    EXPECT_EQ(outer.GetItemAt(75, 40), nullptr);
    // An owner turning a quarter about z acts after the body's own move: the block (now x -10..30,
    // y 0..20) turns to x -20..0, y -10..30.
    CDsItemsIdBuffer turned(view_.get(), 0, 0, kSize, kSize);
    const SPAtransf quarter = rotate_transf(M_PI / 2, SPAvector(0, 0, 1));
    turned.PushOwner(&quarter);
    frontBody_->PickClosest(turned);
    turned.PopOwner();
    EXPECT_EQ(BodyOf(turned.GetItemAt(40, 30)), frontBody_);
    EXPECT_EQ(turned.GetItemAt(60, 70), nullptr);
    EXPECT_EQ(turned.GetItemAt(75, 40), nullptr);
}

TEST_F(ItemsIdBufferTest, HiddenBodiesAndFacesCollectNothing)
{
    frontBody_->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    CDsItemsIdBuffer buffer(view_.get(), 0, 0, kSize, kSize);
    frontBody_->PickClosest(buffer);
    backBody_->PickClosest(buffer);
    EXPECT_EQ(BodyOf(buffer.GetItemAt(50, 40)), backBody_);
    EXPECT_EQ(buffer.GetItemAt(30, 40), nullptr);
    frontBody_->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);

    // The top face hidden: the side faces seen edge on cover nothing, and the back block shows.
    CDsItemsIdBuffer topless(view_.get(), 0, 0, kSize, kSize);
    CDsItemsFace* top = nullptr;
    for (int i = 0; i < frontBody_->FacesCount(); ++i)
        if (std::abs(TopOf(frontBody_->GetFaceItem(i)) - 10.0) < 1e-4) top = frontBody_->GetFaceItem(i);
    ASSERT_NE(top, nullptr);
    top->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    frontBody_->PickClosest(topless);
    backBody_->PickClosest(topless);
    CDsItemBase* seen = topless.GetItemAt(50, 40);
    EXPECT_NE(seen, top);
    EXPECT_EQ(BodyOf(seen), frontBody_);  // the bottom face, at z -10, still in front of the back block
    EXPECT_NEAR(TopOf(seen), -10.0, 1e-4);
    top->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
}

TEST_F(ItemsIdBufferTest, CellsNameTheCopyTheyAreSeenThroughAndTheSeenItemsComeInOrder)
{
    CDsItemsIdBuffer buffer(view_.get(), 20, 20, 80, 80);
    CDsItemsGroup copy(&context_, nullptr);
    buffer.SetCurrentCopy(&copy);
    backBody_->PickClosest(buffer);
    buffer.SetCurrentCopy(nullptr);
    frontBody_->PickClosest(buffer);
    const CDsItemsIdBuffer::SEntry* entry = buffer.GetEntryAt(70, 60);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->copy, &copy);
    EXPECT_EQ(BodyOf(entry->item), backBody_);
    ASSERT_NE(buffer.GetEntryAt(30, 40), nullptr);
    EXPECT_EQ(buffer.GetEntryAt(30, 40)->copy, nullptr);
    std::vector<CDsItemsIdBuffer::SEntry> seen;
    buffer.CollectSeenItems(seen);
    ASSERT_GE(seen.size(), 2u);
    // The back block's entries were made first; every entry owns a cell.
    EXPECT_EQ(BodyOf(seen.front().item), backBody_);
    EXPECT_EQ(BodyOf(seen.back().item), frontBody_);
    for (const auto& e : seen) {
        bool owns = false;
        for (int y = 20; y < 80 && !owns; ++y)
            for (int x = 20; x < 80 && !owns; ++x) {
                const CDsItemsIdBuffer::SEntry* at = buffer.GetEntryAt(x, y);
                owns = at && at->item == e.item && at->copy == e.copy;
            }
        EXPECT_TRUE(owns);
    }
    // The back block's top hidden under the front block's is not among them.
    const size_t backSeen = static_cast<size_t>(std::count_if(
        seen.begin(), seen.end(), [&](const CDsItemsIdBuffer::SEntry& e) { return BodyOf(e.item) == backBody_; }));
    EXPECT_LT(backSeen, static_cast<size_t>(backBody_->FacesCount()));
}

TEST_F(ItemsIdBufferTest, EmptyOrOutsideRectanglesAndStrayTrianglesFindNothing)
{
    const std::vector<std::array<int, 4>> rectangles = {
        {40, 40, 40, 60}, {40, 40, 60, 40}, {200, 200, 400, 300}, {-300, -300, -1, -1}};
    for (const auto& r : rectangles) {
        CDsItemsIdBuffer buffer(view_.get(), r[0], r[1], r[2], r[3]);
        EXPECT_FALSE(buffer.IsValid());
        frontBody_->PickClosest(buffer);
        EXPECT_EQ(buffer.GetItemAt(40, 40), nullptr);
        std::vector<CDsItemsIdBuffer::SEntry> seen;
        buffer.CollectSeenItems(seen);
        EXPECT_TRUE(seen.empty());
    }
    // Without a view, nothing either.
    CDsItemsIdBuffer none(nullptr, 0, 0, 10, 10);
    EXPECT_FALSE(none.IsValid());
    // Corners far outside the window: the buffer covers the window only.
    CDsItemsIdBuffer huge(view_.get(), -1000000, -1000000, 1000000, 1000000);
    ASSERT_TRUE(huge.IsValid());
    frontBody_->PickClosest(huge);
    EXPECT_EQ(BodyOf(huge.GetItemAt(30, 40)), frontBody_);
    // A triangle while no item is current names nothing; a null owner pushes nothing.
    CDsItemsIdBuffer stray(view_.get(), 0, 0, kSize, kSize);
    stray.PushOwner(nullptr);
    EXPECT_EQ(stray.GetOwnerCount(), 0);
    stray.PopOwner();
    stray.AddTriangle(SPAposition(-40, -40, 0), SPAposition(40, -40, 0), SPAposition(0, 40, 0));
    EXPECT_EQ(stray.GetItemAt(50, 50), nullptr);
    EXPECT_EQ(stray.GetTriangleCount(), 0);
}

TEST_F(ItemsIdBufferTest, ABodyCopyNamesItselfAndTheCopiedFacesWhereItsTranslationPutsThem)
{
    // An instance of the front block 45 units down: x -30..10, y -45..-25, drawable rows 75 to 95,
    // clear of both blocks.
    auto* instance = new CVyrEntInstance(front_, translate_transf(SPAvector(0, -45, 0)));
    ENTITY_LIST copies;
    instance->GetEntities(copies);
    ASSERT_EQ(copies.count(), 1);
    auto copy = std::make_unique<CDsItemsCopy>(frontBody_, copies[0], &context_);
    ASSERT_EQ(copy->GetCopyMode(), 0);
    copy->ComputeBounds2D(view_.get());
    frontBody_->SetExtremesTest(true);  // the block's own rectangle lies elsewhere: it must not refuse

    const auto collect = [&](CDsItemsIdBuffer& buffer) {
        const SPAtransf outer;  // an owner already on the stack stays there
        buffer.PushOwner(&outer);
        frontBody_->SetExtremesTest(false);
        frontBody_->PickClosest(buffer);
        frontBody_->SetExtremesTest(true);
        copy->PickClosest(buffer);
        EXPECT_EQ(buffer.GetOwnerCount(), 1);
        EXPECT_EQ(buffer.GetCurrentCopy(), nullptr);
        EXPECT_TRUE(frontBody_->GetExtremesTest());
        buffer.PopOwner();
    };

    // The pick aperture over the copy (drawable (30, 85)).
    view_->pick_mode(1, 30, 85, 5, 5);
    CDsItemsIdBuffer buffer(view_.get(), 0, 0, kSize, kSize);
    collect(buffer);
    view_->pick_mode(0, 0, 0, 0, 0);
    for (int x : {22, 40, 58})
        for (int y : {76, 85, 94}) {
            const CDsItemsIdBuffer::SEntry* entry = buffer.GetEntryAt(x, y);
            ASSERT_NE(entry, nullptr) << x << ", " << y;
            EXPECT_EQ(entry->copy, copy.get());
            EXPECT_EQ(BodyOf(entry->item), frontBody_);
            EXPECT_NEAR(TopOf(entry->item), 10.0, 1e-4);  // the copied block's top face
        }
    // Just beside the copy, nothing; its lower edge (model y -45) between rows 94 and 95.
    EXPECT_EQ(buffer.GetEntryAt(62, 85), nullptr);
    EXPECT_EQ(buffer.GetEntryAt(30, 96), nullptr);
    EXPECT_EQ(buffer.GetEntryAt(30, 72), nullptr);
    // The block itself is named without a copy.
    ASSERT_NE(buffer.GetEntryAt(30, 40), nullptr);
    EXPECT_EQ(buffer.GetEntryAt(30, 40)->copy, nullptr);
    std::vector<CDsItemsIdBuffer::SEntry> seen;
    buffer.CollectSeenItems(seen);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
                            [&](const CDsItemsIdBuffer::SEntry& e) { return e.copy == copy.get(); }));

    // The aperture far from the copy, a hidden copy, and a copy of another kind collect nothing.
    view_->pick_mode(1, 80, 10, 5, 5);
    CDsItemsIdBuffer away(view_.get(), 0, 0, kSize, kSize);
    collect(away);
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_EQ(away.GetEntryAt(30, 85), nullptr);

    // A region pick: no aperture test (the switch is put back however the test ends).
    struct RegionMode {
        RegionMode() : saved(CDsPickProccessor::sPickInRegionMode) { CDsPickProccessor::sPickInRegionMode = true; }
        ~RegionMode() { CDsPickProccessor::sPickInRegionMode = saved; }
        bool saved;
    } regionMode;
    CDsItemsIdBuffer region(view_.get(), 0, 0, kSize, kSize);
    copy->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    collect(region);
    EXPECT_EQ(region.GetEntryAt(30, 85), nullptr);
    copy->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
    CDsItemsCopy other(frontBody_, nullptr, &context_);  // no entity: mode 5
    other.SetTransformation(translate_transf(SPAvector(0, -45, 0)));
    other.PickClosest(region);
    EXPECT_EQ(region.GetEntryAt(30, 85), nullptr);
    collect(region);
    ASSERT_NE(region.GetEntryAt(30, 85), nullptr);
    EXPECT_EQ(region.GetEntryAt(30, 85)->copy, copy.get());

    frontBody_->SetExtremesTest(false);
    copy.reset();
    instance->lose();
}

// The buffer names at each pixel the block the window shows there, and nothing where it shows
// none: two blocks of their own colours, seen from several eyes in a parallel and in a perspective
// view, the window's pixels read back. Only pixels whose eight neighbours show the same are
// compared (an outline's pixels are the rasteriser's to split).
TEST(ItemsIdBufferWindowTest, EachPixelNamesTheBlockTheWindowShowsThereInParallelAndInPerspective)
{
    vyrtest::ViewStaticsGuard statics;
    constexpr int kWidth = 200, kHeight = 150;
    vyrtest::Host host(kWidth, kHeight);
    BODY* nearBlock = host.ShowBlock(SPAposition(-5, -30, 0), SPAposition(5, -10, 20), 0x0000FF);  // red
    BODY* farBlock = host.ShowBlock(SPAposition(-5, 40, 0), SPAposition(5, 60, 40), 0xFF0000);    // blue
    ASSERT_NE(nearBlock, nullptr);
    ASSERT_NE(farBlock, nullptr);
    CDsItemsBody* bodies[2] = {host.Context().FindDsBody(nearBlock), host.Context().FindDsBody(farBlock)};
    ASSERT_NE(bodies[0], nullptr);
    ASSERT_NE(bodies[1], nullptr);
    // What a pixel (rows down) shows: 0 the near block, 1 the far one, 2 neither, -1 unclear.
    const auto shows = [&](const vyrtest::Picture& picture, int x, int y) {
        const unsigned char* p = picture.At(x, kHeight - 1 - y);
        if (p[0] + p[1] + p[2] < 40) return 2;
        if (p[0] > p[2] + 40 && p[0] > p[1] + 40) return 0;
        if (p[2] > p[0] + 40 && p[2] > p[1] + 40) return 1;
        return -1;
    };
    struct SEye {
        SPAposition eye, target;
    };
    const SEye eyes[] = {{SPAposition(0, -80, 30), SPAposition(0, 20, 10)},
                         {SPAposition(50, -70, 45), SPAposition(0, 15, 15)},
                         {SPAposition(-45, -60, 8), SPAposition(0, 20, 20)},
                         {SPAposition(20, -40, 70), SPAposition(0, 10, 10)},
                         // Beside the near block, which reaches behind the eye.
                         {SPAposition(9, -20, 24), SPAposition(0, 50, 15)}};
    for (const SEye& e : eyes)
        for (const bool perspective : {false, true}) {
            SCOPED_TRACE(std::string(perspective ? "perspective" : "parallel") + " from (" + std::to_string(e.eye.x()) +
                         ", " + std::to_string(e.eye.y()) + ", " + std::to_string(e.eye.z()) + ")");
            host.Look(vyrtest::ViewSetup().Pixels(kWidth, kHeight).Eye(e.eye).Target(e.target).Up(SPAvector(0, 0, 1))
                          .Field(60, 45).Clip(1, 400).Perspective(perspective));
            host.Refresh();
            const vyrtest::Picture picture = host.Front();
            CDsItemsIdBuffer buffer(&host.View(), 0, 0, kWidth, kHeight);
            ASSERT_TRUE(buffer.IsValid());
            for (CDsItemsBody* body : bodies) body->PickClosest(buffer);
            int compared[3] = {0, 0, 0}, wrong[3] = {0, 0, 0};
            for (int y = 1; y + 1 < kHeight; ++y)
                for (int x = 1; x + 1 < kWidth; ++x) {
                    const int seen = shows(picture, x, y);
                    bool alike = seen >= 0;
                    for (int dy = -1; dy <= 1 && alike; ++dy)
                        for (int dx = -1; dx <= 1 && alike; ++dx) alike = shows(picture, x + dx, y + dy) == seen;
                    if (!alike) continue;
                    auto* face = dynamic_cast<CDsItemsFace*>(buffer.GetItemAt(x, y));
                    CDsItemsBody* named = face ? face->GetBody() : nullptr;
                    const int got = named == bodies[0] ? 0 : named == bodies[1] ? 1 : 2;
                    ++compared[seen];
                    if (got != seen) ++wrong[seen];
                }
            // Both blocks are in the picture, and every compared pixel agrees.
            EXPECT_GT(compared[0], 100);
            EXPECT_GT(compared[1], 100);
            EXPECT_EQ(wrong[0], 0) << "of " << compared[0] << " pixels of the near block";
            EXPECT_EQ(wrong[1], 0) << "of " << compared[1] << " pixels of the far block";
            EXPECT_EQ(wrong[2], 0) << "of " << compared[2] << " pixels of neither";
        }
}

}  // namespace
