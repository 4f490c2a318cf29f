// Single picks answer what the window shows whatever the render mode draws: lines before the faces
// the line modes do not draw, a body seen through a see-through one, a marker drawn on top of a
// block, quadric figures on the ray road, lines in window pixels, a line cut by a section, and of
// two lines the one nearer to the cursor's pixel. Both roads: selection and the pick ray.
#include "DsBasicSurface.h"
#include "DsFigureGenerator.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

class PicksInEveryModeGLTest : public vyrtest::HostTest {
protected:
    // A 200 x 200 host looking down z from `eye` at the origin, 80 units across.
    void Make(const SPAposition& eye = SPAposition(0, 0, 150), double field = 80)
    {
        host_ = std::make_unique<Host>(200, 200);
        host_->Look(ViewSetup().Pixels(200, 200).Eye(eye).Field(field, field).Clip(1, 400));
    }
    const std::vector<CDsTypeMask> both_ = Host::Domain({Host::kBodyType, Host::kFigureType});
    const std::vector<CDsTypeMask> figures_ = Host::Domain({Host::kFigureType});
};

// Whether a pick answered a figure (valid, and no body of the host).
bool IsFigure(Host& host, const CDsPickedItem& hit) { return hit.IsValid() && !host.BodyOf(hit.GetObjectPath()); }

}  // namespace

TEST_F(PicksInEveryModeGLTest, TheLineModesAnswerTheLinesShownBeforeFacesTheyDoNotDraw)
{
    Make(SPAposition(3, -4, 150));
    BODY* upper = host_->ShowBlock(SPAposition(-20, -20, 10), SPAposition(20, 20, 20), 0x0000FF);
    BODY* lower = host_->ShowBlock(SPAposition(-10, -10, -20), SPAposition(5, 5, -5), 0xFF0000);
    for (const ERenderMode mode : {eRenderWireframe, eRenderPartialHiddenLines}) {
        host_->View().SetRenderMode(mode);
        host_->Refresh();
        const vyrtest::Picture picture = host_->Front();
        // Pixels whose pick window shows the lower block's edges (blue, dimmed where hidden in mode 2)
        // and nothing of the upper one (red).
        int checked = 0;
        for (int y = 2; y < 198; y += 2)
            for (int x = 2; x < 198; x += 2) {
                bool lowerSeen = false, upperSeen = false;
                for (int j = -2; j <= 2; ++j)
                    for (int i = -2; i <= 2; ++i) {
                        const unsigned char* c = picture.At(x + i, 199 - (y + j));
                        lowerSeen = lowerSeen || c[2] > c[0] + 60;
                        upperSeen = upperSeen || c[0] > c[2] + 60;
                    }
                if (!lowerSeen || upperSeen) continue;
                ++checked;
                for (const bool byRay : {false, true})
                    ASSERT_EQ(host_->BodyOf(host_->Pick(x, y, nullptr, nullptr, byRay).GetObjectPath()), lower)
                        << "mode " << mode << " at (" << x << ", " << y << ") by ray " << byRay;
            }
        EXPECT_GT(checked, 20) << "mode " << mode;
        // Inside the upper block's outline, far from every edge, its face still answers.
        EXPECT_EQ(host_->BodyOf(host_->Pick(60, 60).GetObjectPath()), upper);
    }
}

TEST_F(PicksInEveryModeGLTest, ABodySeenThroughASeeThroughOneIsAnswered)
{
    Make();
    BODY* block = host_->ShowBlock(SPAposition(-10, -8, -6), SPAposition(10, 8, 6), 0x0000FF);
    for (const int transparency : {90, 191}) {
        BODY* ball = host_->Show(make_sphere(SPAposition(0, 0, 0), 30), 0x00FF00, transparency);
        for (const ERenderMode mode : {eRenderMixed, eRenderShade}) {
            host_->View().SetRenderMode(mode);
            host_->Refresh();
            for (const bool byRay : {false, true}) {
                const CDsPickedItem hit = host_->Pick(101, 101, nullptr, nullptr, byRay);
                // The mixed mode blends the ball's faces; the shaded mode draws them opaque.
                EXPECT_EQ(host_->BodyOf(hit.GetObjectPath()), mode == eRenderMixed ? block : ball)
                    << "transparency " << transparency << ", mode " << mode << ", by ray " << byRay;
                if (mode == eRenderMixed) {
                    EXPECT_NEAR(hit.GetPickedPosition()->z(), 6.0, 1e-3);
                }
            }
        }
        host_->Hide(ball);
    }
}

TEST_F(PicksInEveryModeGLTest, LeavesDrawnOnTopAndInWindowPixelsAreAnswered)
{
    Make();
    BODY* block = host_->ShowBlock(SPAposition(-20, -20, 0), SPAposition(20, 20, 10), 0x0000FF);
    // A marker inside the block, drawn over it; lines in window pixels, width 3, over the block and
    // beside it (rows 30 and 170 counted up).
    const auto figures = host_->Record({
        [](CDsFigureGenerator& g) { g.DrawPoint(CGmPosition(5, 5, 5), EPointStyle(3), 15, false, CGmUnitVector(1, 0, 0), 0); },
        [](CDsFigureGenerator& g) {
            g.SetPenWidth(3);
            const float pixels[4] = {40, 30, 160, 30};
            g.DrawPolyline2D(2, pixels);
        },
        [](CDsFigureGenerator& g) {
            g.SetPenWidth(3);
            const float relative[4] = {0.2f, 0.85f, 0.8f, 0.85f};
            g.DrawPolyline2DRelative(2, relative, false);
        },
    });
    host_->Refresh();
    int mx = 0, my = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(5, 5, 5), mx, my));
    const struct {
        int x, y;
        const vyrtest::RecipeFigure* figure;
    } cases[] = {{mx + 3, my + 3, figures[0].get()}, {100, 199 - 30, figures[1].get()}, {100, 199 - 170, figures[2].get()}};
    for (const auto& c : cases)
        for (const bool byRay : {false, true})
            for (const auto* domain : {&figures_, &both_}) {
                const CDsPickedItem hit = host_->Pick(c.x, c.y, domain, nullptr, byRay);
                EXPECT_EQ(hit.GetObjectPath(), Host::PathOf(*c.figure)) << "at (" << c.x << ", " << c.y << ") by ray " << byRay;
                if (!hit.IsValid()) continue;
                // Where the window shows it: in the pick window, or for the marker at its anchor.
                int px = 0, py = 0;
                EXPECT_TRUE(host_->PixelOf(SPAposition(*hit.GetPickedPosition()), px, py));
                EXPECT_LE(std::max(std::abs(px - c.x), std::abs(py - c.y)), c.figure == figures[0].get() ? 3 : 2);
            }
    EXPECT_EQ(host_->BodyOf(host_->Pick(100, 100).GetObjectPath()), block);
    // The line at row 30 up lights rows 28 to 30 up (169 to 171 down): a pick window that holds
    // the last of them finds it, one a row farther does not.
    for (const bool byRay : {false, true}) {
        EXPECT_EQ(host_->Pick(100, 173, &figures_, nullptr, byRay).GetObjectPath(), Host::PathOf(*figures[1]));
        EXPECT_EQ(host_->Pick(100, 167, &figures_, nullptr, byRay).GetObjectPath(), Host::PathOf(*figures[1]));
        EXPECT_FALSE(host_->Pick(100, 174, &figures_, nullptr, byRay).IsValid());
        EXPECT_FALSE(host_->Pick(100, 166, &figures_, nullptr, byRay).IsValid());
    }
    // A region pick takes a pixel line wholly inside its rectangle, not one it cuts.
    for (int k = 1; k <= 2; ++k) {
        const CVyrObjectPath path = Host::PathOf(*figures[static_cast<size_t>(k)]);
        const int row = cases[k].y;
        const auto around = host_->Region(30, row - 6, 170, row + 6, &figures_);
        EXPECT_NE(std::find(around.begin(), around.end(), path), around.end()) << "line " << k;
        const auto cutting = host_->Region(60, row - 6, 170, row + 6, &figures_);
        EXPECT_EQ(std::find(cutting.begin(), cutting.end(), path), cutting.end()) << "line " << k;
    }
    for (const auto& figure : figures) figure->Remove(&host_->View());
}

TEST_F(PicksInEveryModeGLTest, QuadricFiguresAreMetByTheRay)
{
    Make();
    host_->ShowBlock(SPAposition(-30, -30, -20), SPAposition(30, 30, -10), 0x0000FF);
    CDsSphere sphere(10);
    CDsCone cone(10, 0, 10);
    CDsNBox box(10, 10, 10);
    CDsDisk disk(0, 10);
    const struct {
        CDsBasicSurface* surface;
        double x, top;  // a point under the cursor and the surface's height there (within the slicing)
    } cases[] = {{&sphere, 0.3, 10}, {&cone, 3, 7}, {&box, 0.3, 5}, {&disk, 5, 0}};
    for (const auto& c : cases) {
        const auto figures = host_->Record({[&c](CDsFigureGenerator& g) { g.DrawBasicSurface(c.surface, true); }});
        host_->Refresh();
        for (const bool byRay : {false, true}) {
            const CDsPickedItem hit = host_->PickAt(SPAposition(c.x, 0.3, 0), &both_, byRay);
            ASSERT_TRUE(IsFigure(*host_, hit)) << "kind " << c.surface->GetType() << " by ray " << byRay;
            EXPECT_NEAR(hit.GetPickedPosition()->z(), c.top, 0.05 * 10) << "kind " << c.surface->GetType();
        }
        figures[0]->Remove(&host_->View());
    }
}

TEST_F(PicksInEveryModeGLTest, FigureLinesArePickedWhereTheWindowDrawsThem)
{
    // One unit a pixel: the cursor's pixel (100, 100) has its centre at y = -0.5.
    Make(SPAposition(0, 0, 150), 200);
    const auto figures = host_->Record({[](CDsFigureGenerator& g) {
        const CGmPosition above[2] = {CGmPosition(-50, 0, 0), CGmPosition(50, 0, 0)};      // half a pixel above
        const CGmPosition below[2] = {CGmPosition(-50, -2, 0), CGmPosition(50, -2, 0)};    // a pixel and a half below
        g.DrawPolyline(2, above);
        g.DrawPolyline(2, below);
    }});
    figures[0]->SetClip_able(true);
    host_->Refresh();
    for (const bool byRay : {false, true}) {
        const CDsPickedItem hit = host_->Pick(100, 100, &figures_, nullptr, byRay);
        ASSERT_TRUE(hit.IsValid());
        EXPECT_NEAR(hit.GetPickedPosition()->y(), 0.0, 1e-3) << "by ray " << byRay;
    }
    // Cut at x = 10 by a section: the window draws the lines from the pixel of x = 10 on, and a pick
    // a pixel or two before it still has them in its window, at their cut.
    host_->Context().SetSection(SPAposition(10, 0, 0), SPAvector(1, 0, 0));
    host_->Refresh();
    int cut = 0, row = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(10, 0, 0), cut, row));
    for (const bool byRay : {false, true})
        for (const int before : {1, 2}) {
            const CDsPickedItem hit = host_->Pick(cut - before, 100, &figures_, nullptr, byRay);
            ASSERT_TRUE(hit.IsValid()) << before << " pixels before the cut, by ray " << byRay;
            EXPECT_NEAR(hit.GetPickedPosition()->x(), 10.0, 0.6);
        }
    EXPECT_FALSE(host_->Pick(cut - 5, 100, &figures_).IsValid());
    figures[0]->Remove(&host_->View());
}

TEST_F(PicksInEveryModeGLTest, ALineRecedingInPerspectiveIsPickedUnderTheCursor)
{
    // Seen from low and close, the line's far part is drawn small: the point answered is the one the
    // window shows under the cursor, wherever along the line the cursor is.
    host_ = std::make_unique<Host>(200, 200);
    host_->Look(ViewSetup().Pixels(200, 200).Eye(SPAposition(0, -60, 20)).Target(SPAposition(0, 40, 0))
                    .Up(SPAvector(0, 0, 1)).Field(60, 60).Clip(1, 1000).Perspective(true));
    const SPAposition from(-10, -20, 0), to(40, 400, 0);
    const auto figures = host_->Record({[&](CDsFigureGenerator& g) {
        const CGmPosition ends[2] = {CGmPosition(from.x(), from.y(), 0), CGmPosition(to.x(), to.y(), 0)};
        g.DrawPolyline(2, ends);
    }});
    host_->Refresh();
    for (const double s : {0.05, 0.2, 0.5, 0.8}) {
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(from + s * (to - from), x, y));
        ASSERT_TRUE(x >= 0 && x < 200 && y >= 0 && y < 200) << s;
        for (const bool byRay : {false, true}) {
            const CDsPickedItem hit = host_->Pick(x, y, &figures_, nullptr, byRay);
            ASSERT_TRUE(hit.IsValid()) << s;
            double px = 0, py = 0, depth = 0;
            ASSERT_TRUE(host_->View().world_to_drawable(SPAposition(*hit.GetPickedPosition()), px, py, depth));
            EXPECT_LT(std::hypot(px - (x + 0.5), py - (y + 0.5)), 1.0) << "at " << s << " of the line, by ray " << byRay;
        }
    }
    figures[0]->Remove(&host_->View());
}
