// Where the single pick says a body was picked: on the body. Under the cursor the position is
// where the pick ray meets the body's faces; a few pixels beside the outline, where the pick
// aperture still catches the body but the ray misses it, where the ray through the centre of the
// window's pixel nearest to the cursor that shows the body meets it.
#include "HostFixture.h"

#include "UiPickEvent.h"
#include "pick_ray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using vyrtest::ViewSetup;

namespace {

const SPAposition kLow(-20, -10, -10), kHigh(20, 10, 10);

struct ViewCase {
    const char* name;
    ViewSetup setup;
};

// The distance of `p` from the block's surface (`solid`: from the block, 0 inside).
double BoxDistance(const SPAposition& p, bool solid = true)
{
    const double c[3] = {p.x(), p.y(), p.z()};
    const double lo[3] = {kLow.x(), kLow.y(), kLow.z()}, hi[3] = {kHigh.x(), kHigh.y(), kHigh.z()};
    double outside = 0.0, inside = HUGE_VAL;
    for (int a = 0; a < 3; ++a) {
        const double d = std::max({lo[a] - c[a], c[a] - hi[a], 0.0});
        outside += d * d;
        inside = std::min({inside, c[a] - lo[a], hi[a] - c[a]});
    }
    return outside > 0.0 || solid ? std::sqrt(outside) : inside;
}

// Where the ray first enters the block; false when it misses.
bool RayHit(const pick_ray& ray, SPAposition& hit)
{
    const double o[3] = {ray.root_point().x(), ray.root_point().y(), ray.root_point().z()};
    const double d[3] = {ray.direction().x(), ray.direction().y(), ray.direction().z()};
    const double lo[3] = {kLow.x(), kLow.y(), kLow.z()}, hi[3] = {kHigh.x(), kHigh.y(), kHigh.z()};
    double enter = 0.0, leave = HUGE_VAL;
    for (int a = 0; a < 3; ++a) {
        if (d[a] == 0.0) {
            if (o[a] < lo[a] || o[a] > hi[a]) return false;
            continue;
        }
        double t0 = (lo[a] - o[a]) / d[a], t1 = (hi[a] - o[a]) / d[a];
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
    }
    if (enter > leave) return false;
    hit = ray.root_point() + enter * ray.direction();
    return true;
}

class PickPositionGLTest : public vyrtest::HostTest {
protected:
    // Whether the pixel at (x, y) (rows down) shows the orange block, lit or in shade (the grey
    // reference triad does not count).
    static bool OnBlock(const vyrtest::Picture& picture, int x, int y)
    {
        const unsigned char* p = picture.At(x, picture.height - 1 - y);
        return p[0] > 20 && p[2] * 2 < p[0];
    }
    // How far (pixels, the larger of the two axes) the pixel at (x, y) (rows down) lies from the
    // nearest pixel of the other kind: the block's from others and others from the block's, up
    // to 8.
    static int Reach(const vyrtest::Picture& picture, int x, int y)
    {
        const bool on = OnBlock(picture, x, y);
        for (int r = 1; r <= 8; ++r)
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                    const int px = x + dx, py = y + dy;
                    if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) continue;
                    if (OnBlock(picture, px, py) != on) return r;
                }
        return 9;
    }
};

TEST_F(PickPositionGLTest, PositionsLieOnThePickedBlockInsideAndBesideItsOutline)
{
    const ViewCase views[] = {
        {"oblique", ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400)},
        {"oblique perspective",
         ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400).Perspective(true)},
        {"front", ViewSetup().Eye(SPAposition(0, -200, 0)).Up(SPAvector(0, 0, 1)).Field(kHostSize, kHostSize).Clip(1, 400)},
        {"top", ViewSetup().Eye(SPAposition(5, 3, 200)).Target(SPAposition(5, 3, 0)).Field(kHostSize, kHostSize).Clip(1, 400)},
        {"right", ViewSetup().Eye(SPAposition(200, 0, 0)).Up(SPAvector(0, 0, 1)).Field(kHostSize, kHostSize).Clip(1, 400)},
    };
    BODY* block = host_->ShowBlock(kLow, kHigh);
    ASSERT_NE(block, nullptr);
    for (const ViewCase& view : views) {
        SCOPED_TRACE(view.name);
        host_->Look(view.setup);
        const vyrtest::Picture picture = host_->WholeFrame();
        int beside = 0, inside = 0;
        for (int y = 0; y < kHostSize; y += 3)
            for (int x = 0; x < kHostSize; x += 3) {
                const bool lit = OnBlock(picture, x, y);
                const int reach = Reach(picture, x, y);
                if (lit ? reach < 4 : reach > 3) continue;
                const CDsPickedItem picked = host_->Pick(x, y);
                const pick_ray ray = get_pick_ray(CUiPickEvent(x, y, 0, &host_->View(), nullptr), 0);
                SCOPED_TRACE("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")");
                if (lit) {
                    // Under the cursor: where the ray enters the block.
                    SPAposition hit;
                    ASSERT_TRUE(RayHit(ray, hit));
                    ASSERT_EQ(picked.GetObjectPath(), host_->PathOf(block));
                    const SPAposition at = *picked.GetPickedPosition();
                    EXPECT_LT((at - hit).len(), 1e-3) << at.x() << ", " << at.y() << ", " << at.z();
                    ++inside;
                    continue;
                }
                if (picked.GetObjectPath() != host_->PathOf(block)) {
                    // The aperture reaches 2 pixels (and a half) beside the cursor's pixel.
                    EXPECT_GT(reach, 1);
                    continue;
                }
                // Beside the outline: on the block and in the pick window.
                const SPAposition at = *picked.GetPickedPosition();
                EXPECT_LT(BoxDistance(at, false), 1e-3) << at.x() << ", " << at.y() << ", " << at.z();
                double px = 0, py = 0, depth = 0;
                ASSERT_TRUE(host_->View().world_to_drawable(at, px, py, depth));
                EXPECT_LE(std::fabs(px - (x + 0.5)), 2.5 + 1e-3);
                EXPECT_LE(std::fabs(py - (y + 0.5)), 2.5 + 1e-3);
                const int ax = static_cast<int>(std::floor(px)), ay = static_cast<int>(std::floor(py));
                if (std::fabs(px - (ax + 0.5)) > 1e-3 || std::fabs(py - (ay + 0.5)) > 1e-3) {
                    // Not at a pixel's centre: on a drawn edge of the block (two coordinates at
                    // their bounds), where the line comes nearest to the cursor.
                    const double c[3] = {at.x(), at.y(), at.z()};
                    const double lo[3] = {kLow.x(), kLow.y(), kLow.z()}, hi[3] = {kHigh.x(), kHigh.y(), kHigh.z()};
                    int bounds = 0;
                    for (int a = 0; a < 3; ++a)
                        if (std::fabs(c[a] - lo[a]) < 1e-3 || std::fabs(c[a] - hi[a]) < 1e-3) ++bounds;
                    EXPECT_GE(bounds, 2) << at.x() << ", " << at.y() << ", " << at.z();
                    ++beside;
                    continue;
                }
                // At the centre of the pixel of the pick window nearest to the cursor's that shows
                // the block, where the ray through it enters it.
                EXPECT_TRUE(OnBlock(picture, ax, ay)) << ax << ", " << ay;
                double nearest = HUGE_VAL;
                for (int j = -2; j <= 2; ++j)
                    for (int i = -2; i <= 2; ++i)
                        if (OnBlock(picture, x + i, y + j)) nearest = std::min(nearest, std::hypot(i, j));
                EXPECT_LE(std::hypot(ax - x, ay - y), nearest + 1e-9);
                SPAposition entry;
                ASSERT_TRUE(RayHit(get_pick_ray(CUiPickEvent(ax, ay, 0, &host_->View(), nullptr), 0), entry));
                EXPECT_LT((at - entry).len(), 1e-3) << at.x() << ", " << at.y() << ", " << at.z();
                ++beside;
            }
        EXPECT_GE(inside, 10);
        EXPECT_GE(beside, 10);
    }
}

}  // namespace
