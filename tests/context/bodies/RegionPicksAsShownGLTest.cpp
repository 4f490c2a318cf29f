// Region picks of visible items only (selection mode 2) find what the window shows: a perspective
// view judged as drawn, polygon fills of any number of corners, a face seen through a strip
// narrower than a pixel, bodies cut by a section, and bodies seen through a see-through one in the
// mixed mode (and hidden by it where it is drawn opaque). Picks whose pixel or rectangle lies
// beyond the viewport answer nothing.
#include "DsAttributes.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPickProccessor.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"

#include "../SteppedSection.h"

#include "SpaBuilders.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

// Colours 0x00BBGGRR.
constexpr unsigned kRed = 0x0000FF;
constexpr unsigned kGreen = 0x00FF00;
constexpr unsigned kBlue = 0xFF0000;

// Whether `paths` holds `path`.
bool Holds(const std::vector<CVyrObjectPath>& paths, const CVyrObjectPath& path)
{
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

// Looking down -z from (0, 0, 100) at a field of 100 x 100 model units; in a parallel view one unit
// a pixel, the model point (x, y) under the pixel (50 + x, 50 - y) counted down from the top.
class RegionPicksAsShownGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        Look(false);
    }
    void Look(bool perspective)
    {
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300).Perspective(perspective));
    }
    // The region pick between drawable pixels (x1, y1) and (x2, y2) of visible items only (or of
    // every item), among `domain` (bodies when null).
    std::vector<CVyrObjectPath> Region(int x1, int y1, int x2, int y2, bool visibleOnly = true,
                                       const std::vector<CDsTypeMask>* domain = nullptr)
    {
        CDsPickProccessor* picks = host_->Context().GetPickProccessor();
        picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
        const std::vector<CVyrObjectPath> paths = host_->Region(x1, y1, x2, y2, domain);
        picks->SetSelectionMode(eDsSelectionByBoxDefault);
        return paths;
    }
    // The same over all but the window's outermost pixels.
    std::vector<CVyrObjectPath> Whole(bool visibleOnly = true, const std::vector<CDsTypeMask>* domain = nullptr)
    {
        return Region(1, 1, kHostSize - 2, kHostSize - 2, visibleOnly, domain);
    }
    // How many pixels of the window show the channel of `color` (red, green or blue) at least 40
    // above the other two.
    int Showing(unsigned color)
    {
        const Picture picture = host_->Front();
        const int channel = color == kRed ? 0 : color == kGreen ? 1 : 2;
        int count = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const unsigned char* c = picture.At(x, y);
                const int own = c[channel], others = std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]);
                count += own > others + 40;
            }
        return count;
    }
    // Whether the window shows the channel of `color` at least 40 above the other two at the pixel
    // of model point `p`.
    bool ShowsAt(const SPAposition& p, unsigned color)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        const Picture picture = host_->Front();
        const unsigned char* c = picture.At(x, kHostSize - 1 - y);
        const int channel = color == kRed ? 0 : color == kGreen ? 1 : 2;
        return c[channel] > std::max(c[(channel + 1) % 3], c[(channel + 2) % 3]) + 40;
    }
};

}  // namespace

// Seen in perspective, a near block looks larger and a far one smaller than a parallel view shows
// them: a far block that peeks out around the near one in a parallel view lies wholly behind it
// here, and one that a parallel view would show behind the near one is seen beside it.
TEST_F(RegionPicksAsShownGLTest, APerspectiveViewIsJudgedAsTheWindowShowsIt)
{
    Look(true);
    const CVyrObjectPath front = host_->PathOf(host_->ShowBlock(SPAposition(-10, -10, 45), SPAposition(10, 10, 55), kRed));
    BODY* far = host_->ShowBlock(SPAposition(-30, -30, -110), SPAposition(30, 30, -100), kBlue);
    host_->Refresh();
    ASSERT_GT(Showing(kRed), 1000);
    ASSERT_EQ(Showing(kBlue), 0);
    EXPECT_EQ(Whole(false), (std::vector<CVyrObjectPath>{front, host_->PathOf(far)}));
    EXPECT_EQ(Whole(), std::vector<CVyrObjectPath>{front});

    host_->Hide(far);
    host_->Hide(host_->BodyOf(front));
    const CVyrObjectPath near = host_->PathOf(host_->ShowBlock(SPAposition(10, -10, 45), SPAposition(20, 10, 55), kRed));
    BODY* aside = host_->ShowBlock(SPAposition(11, -9, -60), SPAposition(19, 9, -50), kBlue);
    host_->Refresh();
    ASSERT_GT(Showing(kBlue), 40);
    EXPECT_EQ(Whole(), (std::vector<CVyrObjectPath>{near, host_->PathOf(aside)}));
}

// A roof that reaches from in front of a perspective eye to behind it hides what it covers in the
// window, and only that: what lies behind the eye is not drawn, and nothing of it is mirrored
// into the rest of the window.
TEST_F(RegionPicksAsShownGLTest, ARoofReachingBehindThePerspectiveEyeHidesOnlyWhatItCovers)
{
    Look(true);
    host_->ShowBlock(SPAposition(-200, 5, 60), SPAposition(200, 200, 150), kGreen);
    const CVyrObjectPath under = host_->PathOf(host_->ShowBlock(SPAposition(-5, 20, -10), SPAposition(5, 30, 0), kRed));
    const CVyrObjectPath open = host_->PathOf(host_->ShowBlock(SPAposition(-5, -30, -10), SPAposition(5, -20, 0), kBlue));
    host_->Refresh();
    ASSERT_GT(Showing(kGreen), 1000);
    ASSERT_EQ(Showing(kRed), 0);
    ASSERT_GT(Showing(kBlue), 40);
    EXPECT_EQ(Whole(false), (std::vector<CVyrObjectPath>{under, open}));
    EXPECT_EQ(Whole(), std::vector<CVyrObjectPath>{open});
}

// Filled polygons of five and six corners are found like any other fill; a square fill whose left
// quarter alone shows beside a block is found by that quarter.
TEST_F(RegionPicksAsShownGLTest, PolygonFillsOfAnyNumberOfCornersAreFoundWhereTheyShow)
{
    const std::vector<CDsTypeMask> figures = Host::Domain({Host::kFigureType});
    // A regular polygon of `corners` corners and radius 12 about (cx, cy) at height z.
    auto polygon = [](int corners, float cx, float cy, float z) {
        return [=](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(0, 255, 0));
            std::vector<float> points;
            for (int i = 0; i < corners; ++i) {
                const double angle = 2.0 * M_PI * i / corners;
                points.insert(points.end(), {cx + 12.0f * static_cast<float>(std::cos(angle)),
                                             cy + 12.0f * static_cast<float>(std::sin(angle)), z});
            }
            CDsFigureGenerator::ItDrawPolyLine(&g, corners, points.data(), true);
        };
    };
    const auto shown = host_->Record({polygon(5, -25, 25, 0), polygon(6, 25, 25, 0)});
    host_->WholeFrame();
    ASSERT_TRUE(ShowsAt(SPAposition(-25, 25, 0), kGreen));
    ASSERT_TRUE(ShowsAt(SPAposition(25, 25, 0), kGreen));
    const std::vector<CVyrObjectPath> both = {Host::PathOf(*shown[0]), Host::PathOf(*shown[1])};
    EXPECT_EQ(Whole(false, &figures), both);
    EXPECT_EQ(Whole(true, &figures), both);
    EXPECT_EQ(Region(5, 5, 95, 45, true, &figures), both);

    // The square [-20, 20] x [-45, -5] behind a block that leaves its left six units uncovered.
    const auto square = host_->Record({[](CDsFigureGenerator& g) {
        g.SetPenColor(CDsColorStorage(0, 255, 0));
        float corners[12] = {-20, -45, -10, 20, -45, -10, 20, -5, -10, -20, -5, -10};
        CDsFigureGenerator::ItDrawPolyLine(&g, 4, corners, true);
    }});
    host_->ShowBlock(SPAposition(-14, -48, 0), SPAposition(25, -2, 10), kRed);
    host_->WholeFrame();
    ASSERT_TRUE(ShowsAt(SPAposition(-17, -25, -10), kGreen));
    EXPECT_TRUE(Holds(Region(20, 50, 80, 98, true, &figures), Host::PathOf(*square[0])));
}

// A square seen beside a nearer one through a strip narrower than a pixel is found where the window
// shows it: the window lights the pixels whose centres a face covers, and the column whose centre
// lies between the two squares' right edges shows the square behind.
TEST_F(RegionPicksAsShownGLTest, AFaceSeenThroughAStripNarrowerThanAPixelIsFound)
{
    const std::vector<CDsTypeMask> figures = Host::Domain({Host::kFigureType});
    // The square [-10, right] x [-10, 10] at height z in `color` (0x00BBGGRR).
    const auto square = [](float right, float z, unsigned color) {
        return [=](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
            float corners[12] = {-10, -10, z, right, -10, z, right, 10, z, -10, 10, z};
            CDsFigureGenerator::ItDrawPolyLine(&g, 4, corners, true);
        };
    };
    // Column 50 covers model x from 0 to 1, its centre at 0.5: the near square ends at 0.4, the far
    // one at 0.9.
    const auto shown = host_->Record({square(0.4f, 5, kGreen), square(0.9f, 0, kRed)});
    host_->WholeFrame();
    ASSERT_TRUE(ShowsAt(SPAposition(0.5, 0, 0), kRed));
    ASSERT_TRUE(ShowsAt(SPAposition(-0.5, 0, 0), kGreen));
    EXPECT_EQ(Region(30, 30, 70, 70, true, &figures),
              (std::vector<CVyrObjectPath>{Host::PathOf(*shown[0]), Host::PathOf(*shown[1])}));
}

// What a section cuts away shows nothing: a body seen only where the section cuts it is not
// visible, under a section plane and under a stepped section alike.
TEST_F(RegionPicksAsShownGLTest, ABodySeenOnlyWhereTheSectionCutsIsNotVisible)
{
    // In front a block; behind it one that peeks out on the right (x from 25 to 30), where the
    // plane through x = 22 that keeps x < 22 cuts both away.
    const CVyrObjectPath front = host_->PathOf(host_->ShowBlock(SPAposition(-30, -15, 0), SPAposition(25, 15, 10), kRed));
    const CVyrObjectPath back = host_->PathOf(host_->ShowBlock(SPAposition(-20, -10, -20), SPAposition(30, 10, -10), kBlue));
    host_->Refresh();
    ASSERT_TRUE(ShowsAt(SPAposition(27, 0, -10), kBlue));
    EXPECT_EQ(Whole(), (std::vector<CVyrObjectPath>{front, back}));
    host_->Context().SetSection(SPAposition(22, 0, 0), SPAvector(-1, 0, 0));
    host_->Refresh();
    ASSERT_FALSE(ShowsAt(SPAposition(27, 0, -10), kBlue));
    ASSERT_EQ(Showing(kBlue), 0);
    EXPECT_EQ(Whole(), std::vector<CVyrObjectPath>{front});
    EXPECT_EQ(Whole(false), (std::vector<CVyrObjectPath>{front, back}));
    host_->Context().ResetSection();

    // The stepped section keeps y > -5 left of x = 0 and y > 10 right of it; the block behind
    // peeks out below y = -5 only.
    host_->Hide(host_->BodyOf(front));
    host_->Hide(host_->BodyOf(back));
    const CVyrObjectPath top = host_->PathOf(host_->ShowBlock(SPAposition(-30, -5, 0), SPAposition(30, 30, 10), kRed));
    const CVyrObjectPath below = host_->PathOf(host_->ShowBlock(SPAposition(-20, -15, -20), SPAposition(20, 20, -10), kBlue));
    host_->Refresh();
    ASSERT_TRUE(ShowsAt(SPAposition(-10, -10, -10), kBlue));
    EXPECT_EQ(Whole(), (std::vector<CVyrObjectPath>{top, below}));
    host_->Context().GetScene()->SetComplexSection(vyrtest::SteppedSection({top, below}));
    host_->Refresh();
    ASSERT_FALSE(ShowsAt(SPAposition(-10, -10, -10), kBlue));
    ASSERT_EQ(Showing(kBlue), 0);
    EXPECT_EQ(Whole(), std::vector<CVyrObjectPath>{top});
    host_->Context().GetScene()->SetComplexSection(nullptr);
}

// A block inside a ball drawn with transparency 90 (of 255): in the mixed mode the window shows the
// block through the ball, and every rectangle about them finds both. Where the frame draws the
// ball opaque (the hidden-line and shaded modes) the ball hides the block; where it draws no faces
// (the wireframe and partial hidden-line modes) nothing hides.
TEST_F(RegionPicksAsShownGLTest, ASeeThroughBallShowsTheBlockInsideItAsTheFrameDrawsIt)
{
    const CVyrObjectPath block = host_->PathOf(host_->ShowBlock(SPAposition(-8, -8, -8), SPAposition(8, 8, 8), kRed));
    BODY* ball = host_->Show(make_sphere(SPAposition(0, 0, 0), 30), kGreen);
    ASSERT_NE(ball, nullptr);
    const int id = host_->IdOf(ball);
    host_->Hide(ball);
    CDsAttributes look;
    look.SetColor(kGreen);
    look.SetTransparency(90);
    ASSERT_TRUE(VyrShowBody(&host_->Context(), ball, id, &look));
    const CVyrObjectPath sphere = host_->PathOf(ball);
    const int rectangles[5][4] = {{15, 15, 85, 85}, {10, 12, 88, 90}, {5, 5, 95, 95}, {18, 16, 83, 84}, {2, 8, 97, 93}};

    host_->View().SetRenderMode(eRenderMixed);
    host_->WholeFrame();
    EXPECT_TRUE(ShowsAt(SPAposition(0, 0, 8), kRed));
    for (const auto& r : rectangles) {
        SCOPED_TRACE(::testing::Message() << r[0] << ", " << r[1] << ", " << r[2] << ", " << r[3]);
        const std::vector<CVyrObjectPath> found = Region(r[0], r[1], r[2], r[3]);
        EXPECT_TRUE(Holds(found, block));
        EXPECT_TRUE(Holds(found, sphere));
    }
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderShade, eRenderWireframe, eRenderPartialHiddenLines}) {
        SCOPED_TRACE(mode);
        host_->View().SetRenderMode(mode);
        host_->WholeFrame();
        const bool hides = mode == eRenderHiddenLines || mode == eRenderShade;
        if (mode == eRenderShade) {
            EXPECT_EQ(Showing(kRed), 0);
        }
        const std::vector<CVyrObjectPath> found = Whole();
        EXPECT_EQ(Holds(found, block), !hides);
        EXPECT_TRUE(Holds(found, sphere));
    }
    EXPECT_TRUE(VyrHideBody(&host_->Context(), ball, id));
    host_->ShowAgain(ball);
}

// A single pick at a pixel beyond the viewport and a region pick whose rectangle lies wholly
// beyond it find nothing, in both selection modes, and leave the view as it was: the picture, the
// matrices and a pick inside the window are the same afterwards.
TEST_F(RegionPicksAsShownGLTest, PicksBeyondTheViewportAnswerNothingAndHarmNothing)
{
    const CVyrObjectPath block = host_->PathOf(host_->ShowBlock(SPAposition(-45, -45, 0), SPAposition(45, 45, 10), kRed));
    const Picture before = host_->WholeFrame();
    GLint projectionDepth = 0, modelviewDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);

    for (const auto& p : {std::vector<int>{-20, 50}, {150, 50}, {50, -5}, {50, kHostSize}, {-1, -1}})
        EXPECT_FALSE(host_->Pick(p[0], p[1]).IsValid()) << p[0] << ", " << p[1];
    const int outside[4][4] = {{-90, -90, -10, -10}, {kHostSize, 20, 200, 80}, {20, -60, 80, -1}, {-300, 120, 400, 500}};
    for (const bool visibleOnly : {false, true})
        for (const auto& r : outside)
            EXPECT_TRUE(Region(r[0], r[1], r[2], r[3], visibleOnly).empty())
                << r[0] << ", " << r[1] << ", " << r[2] << ", " << r[3] << (visibleOnly ? " visible only" : "");

    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, modelviewDepth);
    EXPECT_EQ(host_->View().get_pick_mode(), 0);
    EXPECT_TRUE(vyrtest::SamePicture(host_->Front(), before));
    EXPECT_TRUE(vyrtest::SamePicture(host_->WholeFrame(), before));
    EXPECT_EQ(host_->Pick(50, 50).GetObjectPath(), block);
    EXPECT_EQ(Whole(), std::vector<CVyrObjectPath>{block});
}

// Figures' squares under a block, half under it, over it, beside it and under a part of it that
// a section cuts away, in every render mode: the visible-only region pick finds those the window
// shows and only those, as the single pick at their middles does. The line modes draw no face of
// the block, but the partial hidden-line mode keeps its faces in the depth buffer, where they hide
// the squares behind them: the block's faces that the section cuts (into polygons of more corners)
// too. A second block under the first stays found there: the window shows its edges, dimmed.
TEST_F(RegionPicksAsShownGLTest, FiguresFacesAboutABlockAreFoundInEveryModeWhereTheWindowShowsThem)
{
    const std::vector<CDsTypeMask> figures = Host::Domain({Host::kFigureType});
    const CVyrObjectPath block =
        host_->PathOf(host_->ShowBlock(SPAposition(-30, -30, 0), SPAposition(30, 30, 10), kRed));
    const CVyrObjectPath lower =
        host_->PathOf(host_->ShowBlock(SPAposition(-25, 22, -30), SPAposition(25, 28, -20), kBlue));
    // A green square [x0, x1] x [y0, y1] at height z, and the model point of its middle that the
    // window would show (of the half under the block, its uncovered half).
    struct Square {
        const char* name;
        float x0, y0, x1, y1, z;
        SPAposition middle;
    };
    const Square squares[] = {
        {"under the block", -20, -20, -5, -5, -10, SPAposition(-12.5, -12.5, -10)},
        {"half under it", 22, -25, 38, -12, -10, SPAposition(34, -18.5, -10)},
        {"over it", 5, 5, 20, 20, 20, SPAposition(12.5, 12.5, 20)},
        {"beside it", 34, 5, 47, 20, -10, SPAposition(40.5, 12.5, -10)},
        {"under its right end", 12, -4, 28, 4, -10, SPAposition(20, 0, -10)},
    };
    std::vector<vyrtest::FigureRecipe> recipes;
    for (const Square& s : squares)
        recipes.push_back([s](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(0, 255, 0));
            float corners[12] = {s.x0, s.y0, s.z, s.x1, s.y0, s.z, s.x1, s.y1, s.z, s.x0, s.y1, s.z};
            CDsFigureGenerator::ItDrawPolyLine(&g, 4, corners, true);
        });
    const auto shown = host_->Record(recipes);
    const std::vector<CVyrObjectPath> bodies = {block, lower};
    ASSERT_EQ(Whole(false), bodies);
    for (const bool cut : {false, true}) {
        // The section keeps x < 10: the block's right end is cut away, the squares are not.
        if (cut) host_->Context().SetSection(SPAposition(10, 0, 0), SPAvector(-1, 0, 0));
        for (const ERenderMode mode :
             {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade, eRenderMixed}) {
            SCOPED_TRACE("render mode " + std::to_string(int(mode)) + (cut ? ", a section cutting the block" : ""));
            host_->View().SetRenderMode(mode);
            host_->WholeFrame();
            const Picture picture = host_->Front();
            std::vector<CVyrObjectPath> seen;
            for (size_t i = 0; i < shown.size(); ++i) {
                const Square& s = squares[i];
                // Green pixels inside the square's pixels.
                int green = 0;
                for (int y = 51 + int(s.y0); y < 49 + int(s.y1); ++y)
                    for (int x = 51 + int(s.x0); x < 49 + int(s.x1); ++x) {
                        const unsigned char* c = picture.At(x, y);
                        green += c[1] > std::max(c[0], c[2]) + 40;
                    }
                // The wireframe mode shows the squares under the block; with the section every
                // mode shows the one under its right end.
                if (i == 0 && mode != eRenderWireframe) {
                    EXPECT_EQ(green, 0) << s.name;
                } else if (i == 4 && mode != eRenderWireframe) {
                    EXPECT_EQ(green > 0, cut) << s.name;
                } else {
                    EXPECT_GT(green, 30) << s.name;
                }
                if (green > 0) seen.push_back(Host::PathOf(*shown[i]));
                int x = 0, y = 0;
                ASSERT_TRUE(host_->PixelOf(s.middle, x, y));
                EXPECT_EQ(host_->Pick(x, y, &figures).GetObjectPath(),
                          green > 0 ? Host::PathOf(*shown[i]) : CVyrObjectPath())
                    << s.name;
            }
            EXPECT_EQ(Whole(true, &figures), seen);
            EXPECT_EQ(Whole(false, &figures).size(), shown.size());
            // The lower block shows only in the line modes (by its edges).
            const bool lines = mode == eRenderWireframe || mode == eRenderPartialHiddenLines;
            int blue = 0;
            for (int y = 49 + 21; y <= 49 + 29; ++y)
                for (int x = 50 - 26; x <= 50 + 26; ++x) {
                    const unsigned char* c = picture.At(x, y);
                    blue += c[2] > std::max(c[0], c[1]) + 20;
                }
            EXPECT_EQ(blue > 0, lines);
            EXPECT_EQ(Whole(), lines ? bodies : std::vector<CVyrObjectPath>{block});
        }
    }
    host_->Context().ResetSection();
}
