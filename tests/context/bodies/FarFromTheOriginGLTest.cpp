// A scene far from the origin seen through a perspective eye close to it: the window and the picks
// are those of the same scene at the origin, also when the scene reaches behind the eye.
#include "DsPickedItem.h"
#include "HostFixture.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kWidth = 220, kHeight = 160;
constexpr unsigned kRed = 0x0000FF, kBlue = 0xFF0000;

// What a host shows of the scene moved by `offset`: the refreshed window, a whole frame, and the
// single picks on a grid of pixels (the item id picked at each, 0 for none).
struct Shown {
    vyrtest::Picture refreshed, whole;
    std::vector<int> picks;
};

// A red block in front of the eye and a blue one reaching behind it, seen in perspective along +x
// and a little down, all moved by `offset`; shaded.
Shown ShowAt(const SPAvector& offset)
{
    vyrtest::Host host(kWidth, kHeight);
    host.Look(ViewSetup()
                  .Pixels(kWidth, kHeight)
                  .Eye(SPAposition(-10, 20, 10) + offset)
                  .Target(SPAposition(60, 20, 5) + offset)
                  .Up(SPAvector(0, 0, 1))
                  .Field(110, 80)
                  .Perspective(true));
    BODY* red = host.ShowBlock(SPAposition(0, 0, 0) + offset, SPAposition(40, 40, 20) + offset, kRed);
    BODY* blue = host.ShowBlock(SPAposition(-30, -10, 0) + offset, SPAposition(-10, 40, 20) + offset, kBlue);
    EXPECT_TRUE(red && blue);
    Shown shown;
    host.Refresh();
    shown.refreshed = host.Front();
    shown.whole = host.WholeFrame();
    for (int y = 10; y < kHeight; y += 35)
        for (int x = 10; x < kWidth; x += 50) shown.picks.push_back(host.IdOf(host.BodyOf(host.Pick(x, y).GetObjectPath())));
    return shown;
}

// How many pixels of two pictures of one size differ by more than `tolerance` in a channel.
int PixelsApart(const vyrtest::Picture& a, const vyrtest::Picture& b, int tolerance)
{
    int apart = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned char* p = a.At(x, y);
            const unsigned char* q = b.At(x, y);
            for (int c = 0; c < 3; ++c)
                if (std::abs(int(p[c]) - int(q[c])) > tolerance) {
                    ++apart;
                    break;
                }
        }
    return apart;
}

// Pixels that show the red block shaded.
int RedPixels(const vyrtest::Picture& picture)
{
    int red = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.At(x, y);
            red += p[0] > 60 && p[1] < p[0] / 3 && p[2] < p[0] / 3;
        }
    return red;
}

TEST(FarFromTheOriginGLTest, APerspectiveEyeAMillionUnitsOutShowsAndPicksWhatItShowsAtTheOrigin)
{
    vyrtest::ViewStaticsGuard statics;
    const Shown home = ShowAt(SPAvector(0, 0, 0));
    ASSERT_GT(RedPixels(home.refreshed), kWidth * kHeight * 9 / 10);  // the red block fills the window
    for (double s : {5e5, 1e6}) {
        SCOPED_TRACE(s);
        const Shown far = ShowAt(SPAvector(s, -s, s));
        EXPECT_LE(PixelsApart(far.refreshed, home.refreshed, 8), kWidth * kHeight / 200);
        EXPECT_LE(PixelsApart(far.whole, home.whole, 8), kWidth * kHeight / 200);
        EXPECT_EQ(far.picks, home.picks);
    }
    for (int id : home.picks) EXPECT_EQ(id, 1);  // the red block under every pixel tried
}

}  // namespace
