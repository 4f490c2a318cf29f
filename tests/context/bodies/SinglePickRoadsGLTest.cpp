// The single pick on both of its roads (faces by OpenGL selection, and by the pick ray: the
// request's section-test flag) answers what the window shows, where that is hard to tell: blocks
// flush with each other, eyes close to and among the bodies, hits behind the eye, a model far
// from the origin, windows of a pixel and the viewport's edge, and a mesh edited
// in place before the next refresh. Every answered position lies on the answered body.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsRefPoint.h"
#include "DsItemsBody.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

class SinglePickRoadsGLTest : public vyrtest::HostTest {};

constexpr bool kRoads[] = {false, true};  // selection, pick ray
const char* RoadName(bool byRay) { return byRay ? "ray road" : "selection road"; }

// The body a pick answers (null for none) and a text naming it and its position.
BODY* Answered(Host& host, const CDsPickedItem& hit) { return hit.IsValid() ? host.BodyOf(hit.GetObjectPath()) : nullptr; }
std::string Describe(Host& host, const CDsPickedItem& hit)
{
    if (!hit.IsValid()) return "nothing";
    std::ostringstream text;
    const CGmPosition* at = hit.GetPickedPosition();
    text << "body " << host.IdOf(Answered(host, hit)) << " at (" << at->x() << ", " << at->y() << ", " << at->z() << ")";
    return text.str();
}

// Where the ray through drawable point (x, y) first meets the box [low, high] in front of its start
// (from inside the box, the inside of the face it leaves by); false when it misses it.
bool Enters(Host& host, double x, double y, const SPAposition& low, const SPAposition& high, SPAposition& entry)
{
    SPAposition start;
    SPAunit_vector direction;
    if (!host.View().drawable_to_ray(x, y, start, direction)) return false;
    double t0 = -std::numeric_limits<double>::infinity(), t1 = std::numeric_limits<double>::infinity();
    for (int a = 0; a < 3; ++a) {
        const double s = start.coordinate(a), d = direction.component(a);
        if (std::fabs(d) < 1e-15) {
            if (s < low.coordinate(a) || s > high.coordinate(a)) return false;
            continue;
        }
        double u = (low.coordinate(a) - s) / d, v = (high.coordinate(a) - s) / d;
        if (u > v) std::swap(u, v);
        t0 = std::max(t0, u);
        t1 = std::min(t1, v);
    }
    if (t0 > t1 || t1 < 0) return false;
    entry = start + (t0 < 0 ? t1 : t0) * SPAvector(direction.x(), direction.y(), direction.z());
    return true;
}

// The distance of `p` from the box [low, high] (0 inside).
double BoxDistance(const SPAposition& p, const SPAposition& low, const SPAposition& high)
{
    double sum = 0;
    for (int a = 0; a < 3; ++a) {
        const double d = std::max({low.coordinate(a) - p.coordinate(a), p.coordinate(a) - high.coordinate(a), 0.0});
        sum += d * d;
    }
    return std::sqrt(sum);
}

}  // namespace

TEST_F(SinglePickRoadsGLTest, FlushNeighboursAreAnsweredWhereTheWindowShowsEach)
{
    // Two blocks side by side, their tops flush at z = 10, seen from the top (parallel and
    // perspective) and obliquely, in either filing order: at the pixels within 3 of the shared
    // edge, both roads answer the block the pixel's ray meets.
    const ViewSetup views[] = {
        ViewSetup().Eye(SPAposition(0.3, 0.2, 100)),
        ViewSetup().Eye(SPAposition(0.3, 0.2, 100)).Perspective(true),
        ViewSetup().Eye(SPAposition(60, -80, 100)).Target(SPAposition(0, 0, 10)).Up(SPAvector(0, 0, 1)),
        ViewSetup().Eye(SPAposition(-60, -80, 100)).Target(SPAposition(0, 0, 10)).Up(SPAvector(0, 0, 1)).Perspective(true),
    };
    for (int order = 0; order < 2; ++order)
        for (size_t v = 0; v < std::size(views); ++v) {
            SCOPED_TRACE("view " + std::to_string(v) + ", order " + std::to_string(order));
            Host host(200, 200);
            const SPAposition leftLow(-40, -20, 0), leftHigh(0, 20, 10), rightLow(0, -20, 0), rightHigh(40, 20, 10);
            BODY* left = order ? nullptr : host.ShowBlock(leftLow, leftHigh);
            BODY* right = host.ShowBlock(rightLow, rightHigh, 0xFF0000);
            if (order) left = host.ShowBlock(leftLow, leftHigh);
            host.Look(ViewSetup(views[v]).Field(100, 100).Clip(1, 500));
            host.Refresh();
            int checked = 0;
            for (double y = -15; y <= 15; y += 1.5) {
                int x0 = 0, y0 = 0;
                ASSERT_TRUE(host.PixelOf(SPAposition(0, y, 10), x0, y0));
                for (int dx = -3; dx <= 3; ++dx) {
                    SPAposition entry;
                    const bool onLeft = Enters(host, x0 + dx + 0.5, y0 + 0.5, leftLow, leftHigh, entry) &&
                                        std::fabs(entry.x()) > 0.05;
                    const bool onRight = Enters(host, x0 + dx + 0.5, y0 + 0.5, rightLow, rightHigh, entry) &&
                                         std::fabs(entry.x()) > 0.05;
                    if (onLeft == onRight) continue;
                    ++checked;
                    for (const bool byRay : kRoads) {
                        const CDsPickedItem hit = host.Pick(x0 + dx, y0, nullptr, nullptr, byRay);
                        EXPECT_EQ(Answered(host, hit), onLeft ? left : right)
                            << RoadName(byRay) << " at (" << x0 + dx << ", " << y0 << "): " << Describe(host, hit);
                    }
                }
            }
            EXPECT_GT(checked, 100);
        }
}

TEST_F(SinglePickRoadsGLTest, WhatLiesBehindTheEyeIsNotPicked)
{
    // A perspective eye between two blocks, looking down at the lower one: the upper one lies
    // behind the eye.
    {
        Host host(100, 100);
        BODY* below = host.ShowBlock(SPAposition(-20, -20, -10), SPAposition(20, 20, 0));
        host.ShowBlock(SPAposition(-20, -20, 30), SPAposition(20, 20, 40), 0xFF0000);
        host.Look(ViewSetup().Eye(SPAposition(0, 0, 20)).Field(20, 20).Clip(1, 100).Perspective(true));
        host.Refresh();
        for (const bool byRay : kRoads) {
            const CDsPickedItem hit = host.Pick(50, 50, nullptr, nullptr, byRay);
            EXPECT_EQ(Answered(host, hit), below) << RoadName(byRay) << ": " << Describe(host, hit);
            if (hit.IsValid()) {
                EXPECT_NEAR(hit.GetPickedPosition()->z(), 0.0, 1e-6);
            }
        }
    }
    // The eye inside a square tunnel, looking along it at a wall 16 units ahead; another wall
    // closes the tunnel 4 units behind the eye.
    {
        Host host(100, 100);
        host.ShowBlock(SPAposition(-20, -20, -20), SPAposition(-5, 20, 20));
        host.ShowBlock(SPAposition(5, -20, -20), SPAposition(20, 20, 20));
        host.ShowBlock(SPAposition(-5, -20, -20), SPAposition(5, 20, -5));
        host.ShowBlock(SPAposition(-5, -20, 5), SPAposition(5, 20, 20));
        BODY* ahead = host.ShowBlock(SPAposition(-5, 16, -5), SPAposition(5, 20, 5), 0xFF0000);
        host.ShowBlock(SPAposition(-5, -8, -5), SPAposition(5, -4, 5), 0x00FF00);
        host.Look(ViewSetup().Eye(SPAposition(0, 0, 0)).Target(SPAposition(0, 1, 0)).Up(SPAvector(0, 0, 1))
                      .Field(4, 4).Clip(0.5, 100).Perspective(true));
        host.Refresh();
        for (const bool byRay : kRoads) {
            const CDsPickedItem hit = host.Pick(50, 50, nullptr, nullptr, byRay);
            EXPECT_EQ(Answered(host, hit), ahead) << RoadName(byRay) << ": " << Describe(host, hit);
            if (hit.IsValid()) {
                EXPECT_NEAR(hit.GetPickedPosition()->y(), 16.0, 1e-6);
            }
        }
    }
    // The eye inside a sphere: where the ray leaves it, ahead.
    {
        Host host(100, 100);
        BODY* sphere = host.Show(make_sphere(SPAposition(0, 0, 0), 10));
        host.Look(ViewSetup().Eye(SPAposition(2, 1, 0)).Target(SPAposition(2, 1, -1)).Field(4, 4).Clip(0.5, 100)
                      .Perspective(true));
        host.Refresh();
        for (const bool byRay : kRoads)
            for (const int x : {20, 50, 80}) {
                const CDsPickedItem hit = host.Pick(x, 50, nullptr, nullptr, byRay);
                ASSERT_EQ(Answered(host, hit), sphere) << RoadName(byRay) << ": " << Describe(host, hit);
                float px = 0, py = 0;
                ASSERT_TRUE(host.View().world_to_drawable(SPAposition(*hit.GetPickedPosition()), px, py));
                EXPECT_LT(std::hypot(px - (x + 0.5), py - 50.5), 0.5) << RoadName(byRay) << ": " << Describe(host, hit);
                EXPECT_LT(hit.GetPickedPosition()->z(), 0.0);
            }
    }
}

TEST_F(SinglePickRoadsGLTest, BesideTheOutlineBothRoadsAnswerAPositionOnTheBlock)
{
    // Seen from -y, the pixels just outside the outline x = 40 catch the block in the pick window:
    // its position lies on it (the ray through them passes beside it).
    Host host(200, 200);
    const SPAposition low(0, 0, 0), high(40, 40, 40);
    BODY* block = host.ShowBlock(low, high);
    host.Look(ViewSetup().Eye(SPAposition(20, -100, 20)).Target(SPAposition(20, 0, 20)).Up(SPAvector(0, 0, 1))
                  .Field(100, 100).Clip(1, 300));
    host.Refresh();
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(40, 0, 20), x, y));
    int beside = 0;
    for (int dx = 0; dx <= 2; ++dx)
        for (const bool byRay : kRoads) {
            const CDsPickedItem hit = host.Pick(x + dx, y, nullptr, nullptr, byRay);
            if (!hit.IsValid()) continue;
            ++beside;
            EXPECT_EQ(Answered(host, hit), block);
            EXPECT_LT(BoxDistance(SPAposition(*hit.GetPickedPosition()), low, high), 1e-4)
                << RoadName(byRay) << " " << dx << " beside: " << Describe(host, hit);
        }
    EXPECT_GE(beside, 4);
}

TEST_F(SinglePickRoadsGLTest, AModelFarFromTheOriginIsPickedAsOneAtIt)
{
    // A block a million units from the origin, seen obliquely, parallel and in perspective: where
    // the pixel's ray meets it, both roads answer where it enters the block; beside it, a position
    // on it; never an unset position.
    const double offset = 1e6;
    const SPAposition low(offset, offset, offset), high(offset + 40, offset + 40, offset + 40);
    for (const bool perspective : {false, true}) {
        SCOPED_TRACE(perspective ? "perspective" : "parallel");
        Host host(120, 120);
        BODY* block = host.ShowBlock(low, high);
        host.Look(ViewSetup().Eye(SPAposition(offset + 100, offset - 80, offset + 120))
                      .Target(SPAposition(offset + 20, offset + 20, offset + 20)).Up(SPAvector(0, 0, 1))
                      .Field(100, 100).Clip(1, 500).Perspective(perspective));
        host.Refresh();
        int entered = 0, beside = 0;
        for (int y = 2; y < 120; y += 3)
            for (int x = 2; x < 120; x += 3)
                for (const bool byRay : kRoads) {
                    const CDsPickedItem hit = host.Pick(x, y, nullptr, nullptr, byRay);
                    SPAposition entry;
                    const bool meets = Enters(host, x + 0.5, y + 0.5, low, high, entry);
                    if (!hit.IsValid()) {
                        EXPECT_FALSE(meets) << RoadName(byRay) << " at (" << x << ", " << y << ")";
                        continue;
                    }
                    ASSERT_EQ(Answered(host, hit), block);
                    const SPAposition at(*hit.GetPickedPosition());
                    if (meets) {
                        ++entered;
                        EXPECT_LT((at - entry).len(), 1e-3)
                            << RoadName(byRay) << " at (" << x << ", " << y << "): " << Describe(host, hit);
                    } else {
                        // Outlines are placed as OpenGL draws them, in single precision: within a
                        // quarter of a pixel, as the window shows them.
                        ++beside;
                        EXPECT_LT(BoxDistance(at, low, high), 0.25 * host.View().get_units_per_pixel())
                            << RoadName(byRay) << " at (" << x << ", " << y << "): " << Describe(host, hit);
                    }
                }
        EXPECT_GT(entered, 500);
        EXPECT_GT(beside, 10);
    }
}

TEST_F(SinglePickRoadsGLTest, ThePickWindowReachesTwoPixelsAndAHalfEveryWayAndNotBeyondTheViewport)
{
    // Seen from the top at a unit a pixel: a block whose side lies 2.4 pixels from the centre of the
    // cursor's pixel is in the pick window, one 2.6 pixels away is not, on every side.
    Host host(100, 100);
    host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    // The target lies on the corner of pixel (50, 50); its centre is at model (0.5, -0.5): x grows to
    // the right, y upwards.
    struct Side {
        const char* name;
        double dx, dy;
    };
    for (const Side& side : {Side{"right", 1, 0}, Side{"left", -1, 0}, Side{"up", 0, 1}, Side{"down", 0, -1}}) {
        for (const double gap : {2.4, 2.6}) {
            SCOPED_TRACE(std::string(side.name) + " " + std::to_string(gap));
            const SPAposition near(0.5 + side.dx * gap, -0.5 + side.dy * gap, -5);
            const SPAposition far(0.5 + side.dx * 30, -0.5 + side.dy * 30, 0);
            BODY* block = host.ShowBlock(SPAposition(std::min(near.x(), far.x()) - (side.dx ? 0 : 10),
                                                     std::min(near.y(), far.y()) - (side.dy ? 0 : 10), -5),
                                         SPAposition(std::max(near.x(), far.x()) + (side.dx ? 0 : 10),
                                                     std::max(near.y(), far.y()) + (side.dy ? 0 : 10), 0));
            host.Refresh();
            for (const bool byRay : kRoads) {
                const CDsPickedItem hit = host.Pick(50, 50, nullptr, nullptr, byRay);
                EXPECT_EQ(Answered(host, hit), gap < 2.5 ? block : nullptr) << RoadName(byRay) << ": " << Describe(host, hit);
            }
            host.Hide(block);
        }
    }
    // A window of 200 x 200 pixels, a unit a pixel: a block starting 1.5 units beyond its right
    // edge is not drawn and not picked at the edge pixel; one starting 1.5 units inside is.
    Host wide(200, 200);
    wide.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(200, 200).Clip(1, 300));
    BODY* outside = wide.ShowBlock(SPAposition(101.5, -20, -20), SPAposition(140, 20, 20));
    wide.Refresh();
    for (const bool byRay : kRoads)
        EXPECT_FALSE(wide.Pick(199, 100, nullptr, nullptr, byRay).IsValid()) << RoadName(byRay);
    wide.Hide(outside);
    BODY* inside = wide.ShowBlock(SPAposition(98.5, -20, -20), SPAposition(140, 20, 20));
    wide.Refresh();
    for (const bool byRay : kRoads)
        EXPECT_EQ(Answered(wide, wide.Pick(199, 100, nullptr, nullptr, byRay)), inside) << RoadName(byRay);
}

TEST_F(SinglePickRoadsGLTest, WindowsOfAFewPixelsPickTheBlockTheirPixelsShow)
{
    // Two blocks seen from around them, parallel and in perspective, in windows of 1 x 1 to 3 x 2
    // pixels: at pixel (0, 0) both roads answer the block the pixel's ray meets first, never the
    // other one (the pick window beyond the viewport's edge shows nothing), and nothing only where
    // that block is too small on the screen to be picked (under 5 pixels across).
    const SPAposition lows[2] = {SPAposition(-20, -20, -20), SPAposition(30, -20, -20)};
    const SPAposition highs[2] = {SPAposition(20, 20, 20), SPAposition(50, 20, 20)};
    int answered = 0;
    for (int i = 0; i < 60; ++i) {
        SCOPED_TRACE("view " + std::to_string(i));
        Host host(1 + i % 3, 1 + (i / 3) % 2);
        BODY* blocks[2] = {host.ShowBlock(lows[0], highs[0]), host.ShowBlock(lows[1], highs[1], 0xFF0000)};
        const double a = i * 0.7;
        const double field = i % 3 ? 0.5 : 20;
        host.Look(ViewSetup().Eye(SPAposition(25 + 30 * std::cos(a), 30 * std::sin(a), 10 + (i % 5) * 5))
                      .Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1)).Field(field, field).Clip(1, 300)
                      .Perspective(i % 2 != 0));
        host.Refresh();
        int expected = -1;
        double nearest = HUGE_VAL;
        for (int b = 0; b < 2; ++b) {
            SPAposition entry, start;
            SPAunit_vector direction;
            if (!Enters(host, 0.5, 0.5, lows[b], highs[b], entry) || !host.View().drawable_to_ray(0.5, 0.5, start, direction))
                continue;
            const double t = (entry - start) % SPAvector(direction.x(), direction.y(), direction.z());
            if (t < nearest) nearest = t, expected = b;
        }
        if (expected < 0) continue;
        // The expected block's size on the screen (every corner in front of the eye).
        double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
        bool projects = true;
        for (int c = 0; c < 8 && projects; ++c) {
            const SPAposition& l = lows[expected];
            const SPAposition& h = highs[expected];
            double px = 0, py = 0, depth = 0;
            projects = host.View().world_to_drawable(SPAposition(c & 1 ? h.x() : l.x(), c & 2 ? h.y() : l.y(),
                                                                 c & 4 ? h.z() : l.z()),
                                                     px, py, depth) &&
                       depth > 0;
            x0 = std::min(x0, px), x1 = std::max(x1, px), y0 = std::min(y0, py), y1 = std::max(y1, py);
        }
        const bool tiny = projects && std::hypot(x1 - x0, y1 - y0) < 5;
        for (const bool byRay : kRoads) {
            const CDsPickedItem hit = host.Pick(0, 0, nullptr, nullptr, byRay);
            BODY* body = Answered(host, hit);
            if (body) ++answered;
            if (tiny)
                EXPECT_NE(body, blocks[1 - expected]) << RoadName(byRay) << ": " << Describe(host, hit);
            else
                EXPECT_EQ(body, blocks[expected]) << RoadName(byRay) << ": " << Describe(host, hit);
        }
    }
    EXPECT_GT(answered, 80);
}

TEST_F(SinglePickRoadsGLTest, AMeshEditedInPlaceIsPickedWhereItNowIsBeforeTheNextRefresh)
{
    Host host(200, 100);
    host.Look(ViewSetup().Eye(SPAposition(30, 0, 100)).Target(SPAposition(30, 0, 0)).Field(200, 100).Clip(1, 300));
    BODY* block = host.ShowBlock(SPAposition(-10, -10, -10), SPAposition(10, 10, 10));
    host.Refresh();
    int oldX = 0, oldY = 0, newX = 0, newY = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(0, 0, 10), oldX, oldY));
    ASSERT_TRUE(host.PixelOf(SPAposition(60, 0, 10), newX, newY));
    ASSERT_EQ(Answered(host, host.Pick(oldX, oldY)), block);
    // Every face's mesh moved 60 units along x, in place: no refresh before the picks.
    vyrtest::MoveFaceMeshesAbove(host.Context().FindDsBody(block), -100, SPAvector(60, 0, 0));
    for (const bool byRay : kRoads) {
        EXPECT_EQ(Answered(host, host.Pick(newX, newY, nullptr, nullptr, byRay)), block) << RoadName(byRay);
        EXPECT_FALSE(host.Pick(oldX, oldY, nullptr, nullptr, byRay).IsValid()) << RoadName(byRay);
    }
}

TEST_F(SinglePickRoadsGLTest, AnEyeAmongTheBlocksOfAWindowOfOnePixelPicksTheBlockItShows)
{
    // A perspective eye between two blocks, in a window of one pixel: the block ahead reaches
    // behind the eye, its window box is the viewport's (a pixel), and it is picked all the same.
    for (const bool byRay : kRoads) {
        Host host(1, 1);
        BODY* ahead = host.ShowBlock(SPAposition(-40, -40, -40), SPAposition(40, 40, 0));
        host.ShowBlock(SPAposition(-5, -5, 30), SPAposition(5, 5, 40), 0xFF0000);
        host.Look(ViewSetup().Eye(SPAposition(1, 2, 5)).Target(SPAposition(3, 5, -10)).Up(SPAvector(0, 1, 0)).Field(2, 2)
                      .Clip(0.5, 200).Perspective(true));
        host.Refresh();
        ASSERT_TRUE(host.Front().Lit(0, 0));
        EXPECT_EQ(Answered(host, host.Pick(0, 0, nullptr, nullptr, byRay)), ahead) << RoadName(byRay);
    }
}

TEST_F(SinglePickRoadsGLTest, WhatLiesBehindAPerspectiveEyeHidesNothing)
{
    // Looking down from between two blocks: the pick window catches the lower block's top beside
    // the cursor, where nothing but the block above the eye lies on the way to the eye, behind it.
    Host host(100, 100);
    BODY* below = host.ShowBlock(SPAposition(2, -10, -10), SPAposition(30, 10, 0));
    host.ShowBlock(SPAposition(-60, -60, 30), SPAposition(60, 60, 40), 0xFF0000);
    host.Look(ViewSetup().Eye(SPAposition(0, 0, 20)).Field(40, 40).Clip(1, 100).Perspective(true));
    host.Refresh();
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(2, 0, 0), x, y));
    const CDsPickedItem hit = host.Pick(x - 1, y);
    EXPECT_EQ(Answered(host, hit), below) << Describe(host, hit);
    // Nor does it hide a corner from a snap.
    const std::unique_ptr<CDsRefPoint> corner = host.SnapAt(SPAposition(2, -10, 0), {256, 257, 258, 259});
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR((SPAposition(CDsRefPoint::sLastPosition) - SPAposition(2, -10, 0)).len(), 0, 1e-4);
}

TEST_F(SinglePickRoadsGLTest, AFigureNoSectionCutsIsPickedBeyondTheSectionOnBothRoads)
{
    // A square recorded by the figure generator beyond a section plane: the frame draws it (the
    // figure is not clip-able), and both roads pick it where the ray meets it.
    Host host(100, 100);
    host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    host.Context().SetSection(SPAposition(0, 0, 0), SPAvector(-1, 0, 0));
    class CSquare : public CDsFigure {
    public:
        int DefineFig(CDsFigureGenerator& generator) override
        {
            generator.SetPenColor(CDsColorStorage(255, 255, 255));
            const double points[18] = {10, -10, 5, 30, -10, 5, 30, 10, 5, 10, -10, 5, 30, 10, 5, 10, 10, 5};
            generator.DrawTriangles(2, points, nullptr);
            return 1;
        }
    } square;
    square.Record(true, &host.View());
    host.Refresh();
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(20, 0, 5), x, y));
    ASSERT_TRUE(host.Front().Lit(x, 99 - y));
    const std::vector<CDsTypeMask> figures = Host::Domain({Host::kFigureType});
    for (const bool byRay : kRoads) {
        const CDsPickedItem hit = host.Pick(x, y, &figures, nullptr, byRay);
        EXPECT_EQ(hit.GetObjectPath(), Host::PathOf(square)) << RoadName(byRay);
        if (hit.IsValid()) {
            EXPECT_NEAR(hit.GetPickedPosition()->z(), 5, 1e-4) << RoadName(byRay);
        }
    }
    square.Remove(&host.View());
}


TEST_F(SinglePickRoadsGLTest, ASmallFaceBesideTheCursorHidesWhatTheWindowShowsOfABlockBehindIt)
{
    // The cursor over nothing, a block's side two pixels to its right, and in front of that side a
    // small square (a figure, which the pick does not look for) whose window box starts inside the
    // pick window: it hides all of the block the window would show, so the block is not answered.
    Host host(100, 100);
    host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    BODY* block = host.ShowBlock(SPAposition(2, -20, 0), SPAposition(40, 20, 10));
    host.Refresh();
    const int x = 50, y = 50;  // the pixel of (0.5, -0.5)
    for (const bool byRay : kRoads)
        ASSERT_EQ(Answered(host, host.Pick(x, y, nullptr, nullptr, byRay)), block) << RoadName(byRay);
    class CSquare : public CDsFigure {
    public:
        int DefineFig(CDsFigureGenerator& generator) override
        {
            generator.SetPenColor(CDsColorStorage(255, 255, 255));
            const double points[18] = {1.5, -5, 30, 10, -5, 30, 10, 5, 30, 1.5, -5, 30, 10, 5, 30, 1.5, 5, 30};
            generator.DrawTriangles(2, points, nullptr);
            return 1;
        }
    } square;
    square.Record(true, &host.View());
    host.Refresh();
    for (const bool byRay : kRoads) {
        const CDsPickedItem hit = host.Pick(x, y, nullptr, nullptr, byRay);
        EXPECT_FALSE(hit.IsValid()) << RoadName(byRay) << ": " << Describe(host, hit);
    }
    square.Remove(&host.View());
}
