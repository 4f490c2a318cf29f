// A scene far from the origin seen through a perspective eye close to it: the window and the picks
// are those of the same scene at the origin, also when the scene reaches behind the eye, to its
// far end.
#include "DsFigPoly3D.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsPickedItem.h"
#include "GmTransformation.h"
#include "HostFixture.h"

#include "SpaBuilders.h"
#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kWidth = 220, kHeight = 160;
constexpr unsigned kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

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

// Pixels whose channel `channel` (0 red, 1 green) is over 60 and over `times` each other's.
int PixelsOf(const vyrtest::Picture& picture, int channel, int times)
{
    int count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.At(x, y);
            const int own = p[channel], a = p[(channel + 1) % 3], b = p[(channel + 2) % 3];
            count += own > 60 && a < own / times && b < own / times;
        }
    return count;
}
// Pixels that show the red block shaded.
int RedPixels(const vyrtest::Picture& picture) { return PixelsOf(picture, 0, 3); }
// Pixels that show the green block's lines.
int GreenPixels(const vyrtest::Picture& picture) { return PixelsOf(picture, 1, 2); }

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

// The far end of a scene a million units out, with the near plane at its floor (a block holds the
// eye), is drawn as at the origin: the far plane keeps clear of single precision's rounding as the
// near plane does. Wireframe, so that the block's far edges show.
TEST(FarFromTheOriginGLTest, TheFarEndOfASceneAMillionUnitsOutIsDrawnAsAtTheOrigin)
{
    vyrtest::ViewStaticsGuard statics;
    int green[2] = {0, 0};
    for (int far = 0; far < 2; ++far) {
        const SPAvector o = far ? SPAvector(1e6, 1e6, 1e6) : SPAvector(0, 0, 0);
        vyrtest::Host host(90, 110);
        host.Look(ViewSetup()
                      .Pixels(90, 110)
                      .Eye(SPAposition(116.803, 23.429, 14.472) + o)
                      .Target(SPAposition(14.19, -7.2377, 26.193) + o)
                      .Up(SPAvector(0.104231, 0.0311504, 0.994065))
                      .Field(101.785164, 124.4040894)
                      .Perspective(true));
        host.View().SetRenderMode(eRenderWireframe);
        EXPECT_TRUE(host.ShowBlock(SPAposition(-40.5739, -23.5433, -6.8422) + o, SPAposition(-0.5739, -3.5433, 13.1578) + o, kGreen));
        EXPECT_TRUE(host.ShowBlock(SPAposition(110, 20, 10) + o, SPAposition(120, 30, 20) + o, kBlue));
        host.Refresh();
        green[far] = GreenPixels(host.Front());
    }
    ASSERT_GT(green[0], 100);
    EXPECT_GE(green[1], green[0] - 3);
}

// A section through a block a million units out, placed by its item's transformation turned about
// the scene and moved by a transform id, seen by a near perspective eye: a single pick, on either
// road, answers no point the section cuts away (the selection's feedback clips under the pick's
// narrowed projection, which far from the origin keeps points a unit or more beyond the plane).
TEST(FarFromTheOriginGLTest, APickNearASectionAMillionUnitsOutAnswersNoPointItCutsAway)
{
    vyrtest::ViewStaticsGuard statics;
    const SPAvector o(1e6, 1e6, 1e6);
    const SPAtransf place =
        translate_transf(-o) * rotate_transf(-1.0, SPAvector(0, 0, 1)) * translate_transf(o) * translate_transf(SPAvector(5, -3, 2));
    const SPAtransf moved = translate_transf(SPAvector(14, 6, -2));
    vyrtest::Host host(120, 90);
    const SPAposition c = (SPAposition(40, 32.5, 12.5) + o) * place * moved;
    host.Look(ViewSetup().Pixels(120, 90).Eye(c + SPAvector(-20, -30, 25)).Target(c).Up(SPAvector(0, 0, 1)).Field(60, 45).Perspective(true));
    BODY* body = host.ShowBlock(SPAposition(30, 20, 0) + o, SPAposition(50, 45, 25) + o, kGreen);
    ASSERT_TRUE(body);
    SPAtransf placement = place;
    host.Context().SetTransformation(body, placement);
    const unsigned short id = host.Context().NewTransformId();
    ASSERT_TRUE(host.Context().SetTransformId(host.PathOf(body), id));
    ASSERT_TRUE(host.Context().SetTransform(id, moved));
    host.Context().SetSection(c, SPAvector(1, 0, 0));
    host.Refresh();
    int cut = 0, answered = 0;
    for (int y = 0; y < 90; y += 2)
        for (int x = 0; x < 120; x += 2)
            for (const bool byRay : {false, true}) {
                const CDsPickedItem hit = host.Pick(x, y, nullptr, nullptr, byRay);
                const CGmPosition* at = hit.IsValid() ? hit.GetPickedPosition() : nullptr;
                if (!at) continue;
                ++answered;
                cut += host.Context().IsPointClipped(SPAposition(at->x(), at->y(), at->z()));
            }
    EXPECT_GT(answered, 500);
    EXPECT_EQ(cut, 0);
}

// A figure's line and a wire that start behind a near perspective eye a million units out: a pick a
// pixel beside their picture answers their point nearest to the cursor, as at the origin (the model
// point under the nearest screen point is found from the ends' depths; OpenGL's matrices, rounded
// to floats, put the end cut at the near plane a few hundredths of a unit off, which moved the
// point by a pixel or more).
TEST(FarFromTheOriginGLTest, APickBesideALineFromBehindANearEyeAMillionUnitsOutAnswersItsNearestPoint)
{
    vyrtest::ViewStaticsGuard statics;
    for (int far = 0; far < 2; ++far) {
        SCOPED_TRACE(far);
        const SPAvector o = far ? SPAvector(1e6, 1e6, 1e6) : SPAvector(0, 0, 0);
        vyrtest::Host host(100, 100);
        host.Look(ViewSetup()
                      .Pixels(100, 100)
                      .Eye(SPAposition(4.414, 32.729, -15.2092) + o)
                      .Target(SPAposition(40, 32.5, 12.5) + o)
                      .Up(SPAvector(-0.614351, 0.00396167, 0.789023))
                      .Field(52.08, 52.08)
                      .Perspective(true));
        host.View().SetRenderMode(eRenderWireframe);
        const SPAposition ends[2] = {SPAposition(-23.2036, -30.8118, 5.121) + o, SPAposition(41.666, 59.002, 9.165) + o};
        ASSERT_TRUE(host.Show(make_wire_body(ends, 2), kGreen));
        // The same as a figure's line, picked by its own road.
        std::vector<CGmPosition> points(ends, ends + 2);
        CDsFigPoly3D line(2, points.data());
        line.Record(true, &host.View());
        host.Refresh();
        const std::vector<CDsTypeMask> figures = vyrtest::Host::Domain({vyrtest::Host::kFigureType});
        // The least distance from a pixel's centre to the wire's picture (in front of the eye).
        const auto nearest = [&](double cx, double cy) {
            double least = 1e9;
            for (int k = 0; k <= 20000; ++k) {
                double px = 0, py = 0, depth = 0;
                if (host.View().world_to_drawable(ends[0] + (k / 20000.0) * (ends[1] - ends[0]), px, py, depth) && depth > 1)
                    least = std::min(least, std::hypot(px - cx, py - cy));
            }
            return least;
        };
        int tried = 0;
        double worstFigure = 0, worstBody = 0;  // pixels farther than the nearest point of the line
        for (double t = 0.5; t <= 0.98; t += 0.02)
            for (const int side : {-1, 1}) {
                // A pixel beside the wire's picture.
                double px = 0, py = 0, depth = 0;
                if (!host.View().world_to_drawable(ends[0] + t * (ends[1] - ends[0]), px, py, depth) || px < 3 || py < 3 ||
                    px > 97 || py > 97)
                    continue;
                const int cx = static_cast<int>(px), cy = static_cast<int>(py) + side;
                for (const std::vector<CDsTypeMask>* domain : {static_cast<const std::vector<CDsTypeMask>*>(nullptr), &figures}) {
                    const CDsPickedItem hit = host.Pick(cx, cy, domain);
                    const CGmPosition* at = hit.IsValid() ? hit.GetPickedPosition() : nullptr;
                    ASSERT_TRUE(at) << "at (" << cx << ", " << cy << ")";
                    ++tried;
                    double ax = 0, ay = 0;
                    ASSERT_TRUE(host.View().world_to_drawable(SPAposition(at->x(), at->y(), at->z()), ax, ay, depth));
                    double& worst = domain ? worstFigure : worstBody;
                    worst = std::max(worst, std::hypot(ax - cx - 0.5, ay - cy - 0.5) - nearest(cx + 0.5, cy + 0.5));
                }
            }
        line.Remove(&host.View());
        EXPECT_GT(tried, 30);
        // The figure's line is measured exactly; the body's edge is picked where its float vertices
        // put it, which far out is a good part of a pixel away.
        EXPECT_LE(worstFigure, 0.1);
        EXPECT_LE(worstBody, far ? 1.0 : 0.1);
    }
}

// A large square figure of quads a million units out, placed by the generator's transformation and
// seen from a few units off its plane through a perspective eye: the pick by ray answers it at
// every pixel whose centre it covers by half a pixel and more, at the point where the ray meets it
// (its corners placed in single precision at that size, a sixteenth of a unit apart, came pixels
// off its outline so near the eye).
TEST(FarFromTheOriginGLTest, ARayPickNearTheEyeAMillionUnitsOutAnswersAFigureWhereItsPixelsCover)
{
    vyrtest::ViewStaticsGuard statics;
    constexpr int kW = 90, kH = 110;
    vyrtest::Host host(kW, kH);
    host.Look(ViewSetup()
                  .Pixels(kW, kH)
                  .Eye(SPAposition(999944.5816, 1000013.646, 1000004.411))
                  .Target(SPAposition(1000086.908, 999974.8008, 999977.3125))
                  .Up(SPAvector(0.174279, -0.0475656, 0.983547))
                  .Field(163.0958941, 199.3394261)
                  .Perspective(true));
    host.View().SetRenderMode(eRenderWireframe);
    const SPAposition centre(999950.698098, 999975.403669, 1000013.01548);
    const SPAtransf place = rotate_transf(1.330770441094803, SPAvector(0.03959903977464269, -0.9992156504223331, 0)) *
                            translate_transf(centre - SPAposition(0, 0, 0));
    const double h = 37.8872;
    vyrtest::RecipeFigure square([&](CDsFigureGenerator& g) {
        g.SetPenColor(CDsColorStorage(230, 230, 230));
        g.SetTransformation(CGmTransformation(place));
        double grid[27];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                grid[3 * (3 * i + j)] = -h + h * j;
                grid[3 * (3 * i + j) + 1] = -h + h * i;
                grid[3 * (3 * i + j) + 2] = 0;
            }
        g.DrawQuads(3, 3, grid, nullptr);
        g.EndPolygons();
    });
    square.Record(true, &host.View());
    host.Refresh();
    const SPAvector ex = SPAvector(1, 0, 0) * place, ey = SPAvector(0, 1, 0) * place, normal = SPAvector(0, 0, 1) * place;
    // Where the line of sight through drawable point (x, y) meets the square, when it does.
    const auto meets = [&](double x, double y, SPAposition& met) {
        SPAposition start;
        SPAunit_vector along;
        if (!host.View().drawable_to_ray(x, y, start, along)) return false;
        const SPAvector d(along.x(), along.y(), along.z());
        const double t = ((centre - start) % normal) / (d % normal);
        met = start + t * d;
        return t > host.View().get_hither() && std::fabs((met - centre) % ex) <= h && std::fabs((met - centre) % ey) <= h;
    };
    const std::vector<CDsTypeMask> figures = vyrtest::Host::Domain({vyrtest::Host::kFigureType});
    int covered = 0, missed = 0, elsewhere = 0;
    for (int y = 0; y < kH; y += 3)
        for (int x = 0; x < kW; ++x) {
            SPAposition met, beside;
            bool inside = meets(x + 0.5, y + 0.5, met);
            for (const double dx : {-0.5, 0.5})
                for (const double dy : {-0.5, 0.5}) inside = inside && meets(x + 0.5 + dx, y + 0.5 + dy, beside);
            if (!inside) continue;
            ++covered;
            const CDsPickedItem hit = host.Pick(x, y, &figures, nullptr, true);
            const CGmPosition* at = hit.IsValid() ? hit.GetPickedPosition() : nullptr;
            if (!at) {
                if (++missed <= 5) ADD_FAILURE() << "no figure at (" << x << ", " << y << ")";
                continue;
            }
            elsewhere += (SPAposition(at->x(), at->y(), at->z()) - met).len() > 1e-3;
        }
    square.Remove(&host.View());
    EXPECT_GT(covered, 500);
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(elsewhere, 0);
}
