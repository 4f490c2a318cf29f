// Single picks answer what the window shows where the camera makes that hard: a body reaching
// behind a perspective eye, whose corners do not all project; a pick window that meets a body
// only where another one, under the cursor, hides it; faces seen edge-on beside the cursor.
#include "DsGlContext.h"
#include "HostFixture.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using vyrtest::ViewSetup;

namespace {

class PicksAsShownGLTest : public vyrtest::HostTest {};

// Places a shown body: turned about z until its x axis points along (ax, ay, 0), then moved by
// `offset`.
void Place(vyrtest::Host& host, BODY* body, const SPAvector& offset, double ax, double ay)
{
    SPAtransf placement = rotate_transf(std::atan2(ay, ax), SPAvector(0, 0, 1)) * translate_transf(offset);
    host.Context().SetTransformation(body, placement);
}

// The shown colours of bodies, by hue, however lit: orange, red, green; 0 for none of them.
enum Hue { kNoHue, kOrangeHue, kRedHue, kGreenHue };
Hue HueAt(const vyrtest::Picture& picture, int x, int yDown)
{
    const unsigned char* c = picture.At(x, picture.height - 1 - yDown);
    const int r = c[0], g = c[1], b = c[2];
    if (b > 8 || r + g < 24) return kNoHue;
    if (r > 4 * g) return kRedHue;
    if (g > 4 * r) return kGreenHue;
    if (g > r / 2 && g < r) return kOrangeHue;
    return kNoHue;
}

// A pixel (rows down) that shows `hue` with no other body's hue within `margin` pixels (the
// pick window sees no other body there); false when none does.
bool PixelShowing(const vyrtest::Picture& picture, Hue hue, int margin, int& x, int& y)
{
    for (y = margin; y < picture.height - margin; ++y)
        for (x = margin; x < picture.width - margin; ++x) {
            bool alone = HueAt(picture, x, y) == hue;
            for (int j = -margin; j <= margin && alone; ++j)
                for (int i = -margin; i <= margin && alone; ++i) {
                    const Hue around = HueAt(picture, x + i, y + j);
                    alone = around == hue || around == kNoHue;
                }
            if (alone) return true;
        }
    return false;
}

}  // namespace

TEST_F(PicksAsShownGLTest, ABodyReachingBehindAPerspectiveEyeIsPickedWhereTheWindowShowsIt)
{
    // A long plate under a perspective eye that looks along it: its near end lies behind the eye.
        BODY* plate = host_->ShowBlock(SPAposition(-10, -200, -1), SPAposition(10, 200, 0));
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 5)).Target(SPAposition(0, 50, 0)).Up(SPAvector(0, 0, 1))
                    .Field(40, 40).Clip(0.5, 400).Perspective(true));
    host_->Refresh();
    const vyrtest::Picture picture = host_->Front();
    // Rows below the horizon show the plate; the single pick answers it there.
    int shown = 0;
    for (int y = 60; y < kHostSize; y += 10)
        for (int x = 45; x <= 55; x += 5) {
            if (!picture.Lit(x, kHostSize - 1 - y)) continue;
            ++shown;
            EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(plate)) << x << ", " << y;
        }
    EXPECT_GT(shown, 6);
}

TEST_F(PicksAsShownGLTest, ABlockCaughtOnlyBehindTheOneUnderTheCursorIsNotPicked)
{
    // Two blocks run into each other; a wide perspective view looks down at them from close by.
    // Under the cursor the window shows the first; the second's top runs on inside the first,
    // where the pick window meets it (out of sight), and its corner nearest to the pick ray lies
    // nearer to the eye, six pixels away.
    vyrtest::Host host(120, 90);
    CDsView3dCdc& view = host.View();
    view.set_perspective(true);
    view.set_eye(SPAposition(15.4797, -32.3762, 32.2358));
    view.set_target(SPAposition(15.7181, -31.6869, 31.5517));
    view.set_up(SPAvector(0.223573, 0.646594, 0.729337));
    view.set_width(19.8626);
    view.set_height(14.897);
    view.SetRenderMode(eRenderMixed);
    BODY* under = host.ShowBlock(SPAposition(-14.4584, -39.9307, 13.8574), SPAposition(6.35807, -23.6816, 39.4589));
    BODY* inside = host.ShowBlock(SPAposition(-3.8551, -32.3399, 6.25916), SPAposition(19.9024, -10.7415, 26.4672),
                                  0x00FF00);
    host.Refresh();
    ASSERT_TRUE(vyrtest::SamePicture(host.Front(), host.WholeFrame()));
    const CDsPickedItem hit = host.Pick(28, 70);
    EXPECT_EQ(hit.GetObjectPath(), host.PathOf(under));
    EXPECT_NE(hit.GetObjectPath(), host.PathOf(inside));
    // Where the second block's top shows (it stands out beyond the first), it is picked.
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(14, -20, 26.4672), x, y));
    EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(inside));
}

TEST_F(PicksAsShownGLTest, ABlockThePickWindowMeetsOnlyWhereTheOneUnderTheCursorHidesItIsNotPicked)
{
    // A very wide perspective view; the block under the cursor is seen at a glancing angle, so
    // that its depth changes much across the pick window. Behind it a second block runs on: the
    // pick window meets it (the selection sees through faces) nearer to the eye than the ray
    // under the cursor meets the first, but only where the first hides it. A section plane cuts
    // the second block, not the first.
    vyrtest::Host host(120, 90);
    CDsView3dCdc& view = host.View();
    view.set_perspective(true);
    view.set_eye(SPAposition(-26.8159, 48.6406, -10.415));
    view.set_target(SPAposition(-26.8159, 48.6406, -9.41495));
    view.set_up(SPAvector(0, 1, 0));
    view.set_width(41.1204);
    view.set_height(30.8403);
    view.set_hither(0.01);
    view.set_yon(39.5614);
    host.Context().SetSection(SPAposition(-14.8533, 39.1213, 4.41962), SPAvector(0, -1, 0));
    BODY* under = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    Place(host, under, SPAvector(-8.70597, 23.599, -6.52127), 0.980221, 0.197905);
    BODY* behind = host.ShowBlock(SPAposition(30, 20, 0), SPAposition(50, 45, 25), 0x0000FF);
    Place(host, behind, SPAvector(2.16351, -10.1123, -8.49184), 0.590253, 0.807219);
    host.Refresh();
    const vyrtest::Picture picture = host.Front();
    // The window shows the first block all around the cursor.
    for (int y = 50; y <= 58; ++y)
        for (int x = 48; x <= 56; ++x) ASSERT_EQ(HueAt(picture, x, y), kOrangeHue) << x << ", " << y;
    EXPECT_EQ(host.Pick(52, 54).GetObjectPath(), host.PathOf(under));
    // Where the window shows the second block, it is picked.
    int x = 0, y = 0;
    ASSERT_TRUE(PixelShowing(picture, kRedHue, 4, x, y));
    EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(behind)) << x << ", " << y;
}

TEST_F(PicksAsShownGLTest, AFaceSeenEdgeOnBeyondASectionIsNotPickedWhereAnInsideShowsInFrontOfIt)
{
    // A parallel view along z; the section keeps what lies beyond it, so through the cut the
    // window shows the insides of the blocks' far faces. The first block's far face lies in front
    // of the second's; a side of the second, seen edge-on, passes within a pixel of the cursor.
    // The pick window meets that side at the section plane, but where it comes nearest to the
    // cursor the first block's far face hides it. In the shaded and the hidden-line modes alike
    // the first block is picked.
    for (const ERenderMode mode : {eRenderShade, eRenderHiddenLines}) {
        vyrtest::Host host(100, 100);
        CDsView3dCdc& view = host.View();
        view.set_perspective(false);
        view.set_eye(SPAposition(10.6744, 19.2741, -19.1063));
        view.set_target(SPAposition(10.6744, 19.2741, -18.1063));
        view.set_up(SPAvector(0, 1, 0));
        view.set_width(204.444);
        view.set_height(204.444);
        view.set_hither(0.01);
        view.set_yon(45.948);
        view.SetRenderMode(mode);
        host.Context().SetSection(SPAposition(11.2671, -8.77645, 15.1159), SPAvector(0, 0, 1));
        BODY* first = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
        Place(host, first, SPAvector(24.4785, -6.77601, 8.53813), 1, 0);
        BODY* second = host.ShowBlock(SPAposition(24.3952, -26.2948, 9.50071), SPAposition(40.4087, 2.83218, 28.0764),
                                      0x00FF00);
        Place(host, second, SPAvector(9.86484, -21.9442, -6.00789), 0.800347, 0.599538);
        host.Refresh();
        if (mode == eRenderShade) {
            const vyrtest::Picture picture = host.Front();
            for (int y = 59; y <= 67; ++y)
                for (int x = 37; x <= 45; ++x) ASSERT_EQ(HueAt(picture, x, y), kOrangeHue) << x << ", " << y;
            int x = 0, y = 0;
            ASSERT_TRUE(PixelShowing(picture, kGreenHue, 4, x, y));
            EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(second)) << x << ", " << y;
        }
        EXPECT_EQ(host.Pick(41, 63).GetObjectPath(), host.PathOf(first)) << "render mode " << mode;
    }
}

TEST_F(PicksAsShownGLTest, APlateSeenEdgeOnInFrontOfABlockIsPickedBesideItsLine)
{
    // Seen from above, a thin plate stands on a block edge-on: the window shows it as a line. A
    // pick a pixel beside the line sends its ray past the plate onto the block, but the pick
    // window meets the plate in front of the block, where nothing hides it: the plate is picked.
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    host_->View().SetRenderMode(eRenderHiddenLines);
    BODY* block = host_->ShowBlock(SPAposition(-40, -40, -10), SPAposition(40, 40, 0));
    BODY* plate = host_->ShowBlock(SPAposition(0.45, -30, 0), SPAposition(0.55, 30, 20), 0x00FF00);
    host_->Refresh();
    const vyrtest::Picture picture = host_->Front();
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(0.5, 0, 20), x, y));
    ASSERT_TRUE(picture.Lit(x, kHostSize - 1 - y));
    ASSERT_FALSE(picture.Lit(x + 1, kHostSize - 1 - y));
    EXPECT_EQ(host_->Pick(x + 1, y).GetObjectPath(), host_->PathOf(plate));
    // Well beside it, the block.
    EXPECT_EQ(host_->Pick(x + 10, y).GetObjectPath(), host_->PathOf(block));
}

TEST_F(PicksAsShownGLTest, ZoomAllFramesASceneThatLiesBehindAPerspectiveEye)
{
    // The eye looks away from the block, a unit from its target: ZoomAll shows the whole block.
    BODY* block = host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    for (const SPAposition& eye : {SPAposition(0, 0, -30), SPAposition(0, 0, 5), SPAposition(0, 0, 12)}) {
        SCOPED_TRACE(eye.z());
        host_->Look(ViewSetup().Eye(eye).Target(SPAposition(eye.x(), eye.y(), eye.z() - 1)).Field(5, 5)
                        .Clip(0.01, 40).Perspective(true));
        host_->View().ZoomAll(1.0f);
        host_->Refresh();
        EXPECT_GT(host_->View().get_width(), 1.0);
        const vyrtest::Picture picture = host_->Front();
        EXPECT_GT(picture.LitCount(), 1000);
        EXPECT_TRUE(vyrtest::SamePicture(picture, host_->WholeFrame()));
        EXPECT_EQ(host_->Pick(kHostSize / 2, kHostSize / 2).GetObjectPath(), host_->PathOf(block));
    }
}

TEST_F(PicksAsShownGLTest, APlateSeenEdgeOnIsPickedBesideItsLineUnderASlabTheWindowDoesNotShow)
{
    // Seen from above, a thin plate stands edge-on on a block; a slab over both was shown, then
    // taken out of the picture: moved far aside by a transform id of the scene, or hidden by its
    // path. The window shows the plate's line, and a pick a pixel beside it (where the ray meets
    // only the block) answers the plate: the slab hides nothing where the window does not show it.
    for (const bool byTransformId : {true, false}) {
        SCOPED_TRACE(byTransformId ? "moved aside" : "hidden by its path");
        vyrtest::Host host(kHostSize, kHostSize);
        host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
        host.View().SetRenderMode(eRenderHiddenLines);
        BODY* block = host.ShowBlock(SPAposition(-40, -40, -10), SPAposition(40, 40, 0));
        BODY* plate = host.ShowBlock(SPAposition(0.45, -30, 0), SPAposition(0.55, 30, 20), 0x00FF00);
        BODY* slab = host.ShowBlock(SPAposition(-20, -20, 30), SPAposition(20, 20, 32), 0x0000FF);
        CDsGlContext& context = host.Context();
        if (byTransformId) {
            const unsigned short id = context.NewTransformId();
            ASSERT_TRUE(context.SetTransformId(host.PathOf(slab), id));
            ASSERT_TRUE(context.SetTransform(id, translate_transf(SPAvector(500, 0, 0))));
        } else {
            ASSERT_TRUE(context.ForceHide(host.PathOf(slab)));
        }
        host.Refresh();
        const vyrtest::Picture picture = host.Front();
        int x = 0, y = 0;
        ASSERT_TRUE(host.PixelOf(SPAposition(0.5, 0, 20), x, y));
        ASSERT_TRUE(picture.Lit(x, kHostSize - 1 - y));
        ASSERT_FALSE(picture.Lit(x + 1, kHostSize - 1 - y));
        EXPECT_EQ(host.Pick(x + 1, y).GetObjectPath(), host.PathOf(plate));
        EXPECT_EQ(host.Pick(x + 10, y).GetObjectPath(), host.PathOf(block));
    }
}

TEST_F(PicksAsShownGLTest, AFaceSeenEdgeOnStandsWhereItIsPickedNotWhereASectionCutsIt)
{
    // Seen along -y, a section keeps what lies beyond y = 0. The first block's top, seen edge-on,
    // runs a fifth of a pixel below the cursor's centre; the pick window meets it where the section
    // cuts it, nearest to the viewer, but its point nearest to the pick ray lies deeper, behind the
    // inside of the second block's far face, which the ray meets. In the modes where faces hide
    // nothing, the nearest face wins: the second block, whose face the ray meets in front of the
    // point the first would be picked at.
    for (const ERenderMode mode : {eRenderWireframe, eRenderPartialHiddenLines}) {
        SCOPED_TRACE(mode);
        vyrtest::Host host(kHostSize, kHostSize);
        host.Look(ViewSetup().Eye(SPAposition(0, 100, 0)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1))
                      .Field(100, 100).Clip(1, 300));
        host.View().SetRenderMode(mode);
        host.Context().SetSection(SPAposition(0, 0, 0), SPAvector(0, -1, 0));
        BODY* edgeOn = host.ShowBlock(SPAposition(-20, -40, -10), SPAposition(20, 20, 10.3));
        BODY* met = host.ShowBlock(SPAposition(-5, -5, 5.3), SPAposition(5, 10, 15.3), 0x00FF00);
        host.Refresh();
        int x = 0, y = 0;
        ASSERT_TRUE(host.PixelOf(SPAposition(2.5, 0, 10.5), x, y));
        const CDsPickedItem hit = host.Pick(x, y);
        EXPECT_EQ(hit.GetObjectPath(), host.PathOf(met));
        EXPECT_NE(hit.GetObjectPath(), host.PathOf(edgeOn));
        // Where the ray meets the second block: the inside of its far face.
        ASSERT_TRUE(hit.IsValid());
        EXPECT_NEAR(hit.GetPickedPosition()->y(), -5, 1e-3);
        EXPECT_NEAR(hit.GetPickedPosition()->z(), 10.5, 1e-3);
    }
}

TEST_F(PicksAsShownGLTest, APlateSeenEdgeOnInsideTheStepOfABodyIsPickedBesideItsLineOnlyWhereASectionOpensIt)
{
    // Seen from above, a body steps down at x = 2.35 from a top at z = 20 to one at z = 0; a thin
    // plate stands inside the upper step, its side x = 2.2 seen edge-on. The pick ray beside the
    // step's edge meets the lower top; the pick window meets the plate's top edge nearer to the
    // eye. The upper top covers the plate: the body is picked. A section that keeps what lies
    // below z = 15 cuts the upper top away and opens the step: the plate shows and is picked.
    for (const bool opened : {false, true})
        for (const ERenderMode mode : {eRenderShade, eRenderHiddenLines}) {
            SCOPED_TRACE(std::string(opened ? "opened" : "closed") + ", render mode " + std::to_string(mode));
            vyrtest::Host host(kHostSize, kHostSize);
            host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
            host.View().SetRenderMode(mode);
            if (opened) host.Context().SetSection(SPAposition(0, 0, 15), SPAvector(0, 0, -1));
            BODY* lower = make_block(-30, -30, -10, 30, 30, 0);
            BODY* upper = make_block(-30, -30, 0, 2.35, 30, 20);
            BODY* step = host.Show(unite_bodies(lower, upper));
            lower->lose();
            upper->lose();
            ASSERT_NE(step, nullptr);
            BODY* plate = host.ShowBlock(SPAposition(2.0, -10, 0), SPAposition(2.2, 10, 10), 0x00FF00);
            host.Refresh();
            int x = 0, y = 0;
            ASSERT_TRUE(host.PixelOf(SPAposition(2.5, 0.5, 0), x, y));
            EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(opened ? plate : step));
        }
}

TEST_F(PicksAsShownGLTest, ZoomAllFramesEveryBodyFromAPerspectiveEyeAmongThem)
{
    // Three blocks in a row along z about the z axis, each narrower than the one before; the eye
    // stands between the first two, near the first, and looks at it: most of the scene lies
    // behind the eye, farther from it than half the scene's diagonal. ZoomAll steps the eye back
    // out of the scene and shows all three whole, each around the ones in front of it.
    struct Block {
        SPAposition low, high;
        unsigned color;
        Hue hue;
        BODY* body;
    } blocks[] = {{SPAposition(-30, -30, -100), SPAposition(30, 30, -80), vyrtest::Host::kOrange, kOrangeHue, nullptr},
                  {SPAposition(-15, -15, -10), SPAposition(15, 15, 10), 0x0000FF, kRedHue, nullptr},
                  {SPAposition(-5, -5, 80), SPAposition(5, 5, 100), 0x00FF00, kGreenHue, nullptr}};
    for (Block& block : blocks) block.body = host_->ShowBlock(block.low, block.high, block.color);
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, -70)).Target(SPAposition(0, 0, -71)).Field(5, 5)
                    .Clip(0.01, 40).Perspective(true));
    host_->View().ZoomAll(1.0f);
    host_->Refresh();
    const vyrtest::Picture picture = host_->Front();
    EXPECT_TRUE(vyrtest::SamePicture(picture, host_->WholeFrame()));
    const SPAposition eye = host_->View().get_eye();
    const SPAunit_vector direction = host_->View().get_direction();
    for (const Block& block : blocks) {
        SCOPED_TRACE(block.hue);
        // Every corner lies in front of the eye and within the window (the fit is tight: on its
        // edge, within a pixel).
        for (int corner = 0; corner < 8; ++corner) {
            const SPAposition p(corner & 1 ? block.high.x() : block.low.x(), corner & 2 ? block.high.y() : block.low.y(),
                                corner & 4 ? block.high.z() : block.low.z());
            EXPECT_GT((p - eye) % direction, 0.0) << corner;
            int x = 0, y = 0;
            ASSERT_TRUE(host_->PixelOf(p, x, y)) << corner;
            EXPECT_TRUE(x >= -1 && x <= kHostSize && y >= -1 && y <= kHostSize) << corner << ": " << x << ", " << y;
        }
        int x = 0, y = 0;
        ASSERT_TRUE(PixelShowing(picture, block.hue, 2, x, y));
        EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(block.body)) << x << ", " << y;
    }
}
