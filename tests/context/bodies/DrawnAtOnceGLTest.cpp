// What a host draws at once, outside a frame: a figure recorded while nothing else is pending,
// highlights, figures previewed straight onto a view. Each shows what a whole frame of the same
// state shows, and the next refresh keeps that picture; a host that never validates its window
// sees them as a host with a paint handler does.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include <gtest/gtest.h>

#include <vector>

using vyrtest::DifferingPixels;
using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

// A green polyline through the given points.
class CLineFigure : public CDsFigure {
public:
    explicit CLineFigure(std::vector<CGmPosition> points) : m_points(std::move(points)) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        generator.DrawPolyline(static_cast<int>(m_points.size()), m_points.data());
        return 1;
    }

private:
    std::vector<CGmPosition> m_points;
};

// A block 40 x 20 x 20 about the origin seen from above, shaded.
class DrawnAtOnceGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
        ASSERT_NE(host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10)), nullptr);
        host_->Refresh();
    }
    // Records `figure` into the view's scene as a command does, refreshes, and expects the picture
    // of a whole frame, drawn by the record itself.
    void RecordAndRefresh(CDsFigure& figure)
    {
        figure.Record(true, &host_->View());
        const long frames = host_->Context().GetRefreshCounter();
        host_->Refresh();
        EXPECT_EQ(host_->Context().GetRefreshCounter(), frames);  // nothing is left to draw
        const Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
    }
};

}  // namespace

TEST_F(DrawnAtOnceGLTest, AFigureRecordedWhileNothingIsPendingIsDrawnAsAWholeFrameDrawsIt)
{
    // A square around the block and 30 below it: beyond the depth planes fitted to the block.
    CLineFigure below({CGmPosition(-40, -40, -40), CGmPosition(40, -40, -40), CGmPosition(40, 40, -40),
                       CGmPosition(-40, 40, -40), CGmPosition(-40, -40, -40)});
    const int before = host_->Front().LitCount();
    RecordAndRefresh(below);
    EXPECT_GT(host_->Front().LitCount(), before + 200);  // the square is there
    below.Remove(&host_->View());
    host_->WholeFrame();

    // A line from below the block up through it: the planes move, and the block with them.
    CLineFigure inside({CGmPosition(-35, 0, -40), CGmPosition(35, 0, 5)});
    RecordAndRefresh(inside);
    inside.Remove(&host_->View());
}

TEST_F(DrawnAtOnceGLTest, AHighlightDrawnAfterAnotherIsTheHighlightAWholeFrameDraws)
{
    // Four blocks in a row; two highlighted, the camera turned, the other two highlighted.
    std::vector<CVyrObjectPath> paths = {host_->PathOf(host_->Bodies()[0])};
    for (int i = 1; i < 4; ++i) {
        BODY* block = host_->ShowBlock(SPAposition(-50 + 25 * i, 15, -10), SPAposition(-35 + 25 * i, 30, 5));
        ASSERT_NE(block, nullptr);
        paths.push_back(host_->PathOf(block));
    }
    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    host_->Refresh();
    host_->Context().HighlightLocations({paths[0], paths[1]}, eAttribSetHighlight);
    host_->Look(ViewSetup().Eye(SPAposition(-60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    host_->Refresh();
    host_->Context().HighlightLocations({paths[2], paths[3]}, eAttribSetHighlight);
    host_->Refresh();
    const Picture refreshed = host_->Front();
    const Picture whole = host_->WholeFrame();
    EXPECT_TRUE(SamePicture(refreshed, whole));
    host_->Context().UnHighlightLocations();
}

// A highlighted location's lines lie in front of every face, its own and other bodies', as in a
// whole frame that draws the location in the highlighted state; its faces stay where the
// picture's faces hide them.
TEST_F(DrawnAtOnceGLTest, AShadedHighlightShowsItsLinesInFrontOfEveryFaceAsAWholeFrameOfItsStateDoes)
{
    const unsigned color = CDsScene::GetSpecialAttrs(eAttribSetHighlight).GetColor();
    const vyrtest::Rgb highlight{int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};
    std::vector<CVyrObjectPath> block = {host_->PathOf(host_->Bodies()[0])};
    // The picture of a whole frame with the block in the highlighted state.
    const auto wholeInState = [&] {
        host_->Context().ModifyLocations(block, eAttribSetHighlight);
        const Picture whole = host_->WholeFrame();
        host_->Context().ModifyLocations(block, eAttribSetNormal);
        host_->WholeFrame();
        return whole;
    };
    // Seen from a corner, three of the block's edges lie behind it, meeting at (-20, 10, -10): the
    // middle of each shows the highlighted edge over the highlighted faces in front of it, which
    // the pixels beside it show.
    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    Picture whole = wholeInState();
    Picture plain = host_->Front();
    host_->Context().HighlightLocations(block, eAttribSetHighlight);
    const Picture lit = host_->Front();
    ASSERT_GT(DifferingPixels(plain, lit), 1000);
    EXPECT_TRUE(SamePicture(lit, whole));
    for (const SPAposition& middle : {SPAposition(0, 10, -10), SPAposition(-20, 0, -10), SPAposition(-20, 10, 0)}) {
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(middle, x, y));
        y = host_->Height() - 1 - y;  // rows up
        EXPECT_TRUE(vyrtest::ColorNear(lit.ColorAt(x, y), highlight)) << x << ", " << y;
        EXPECT_FALSE(vyrtest::ColorNear(lit.ColorAt(x - 3, y), highlight)) << x << ", " << y;
        EXPECT_FALSE(vyrtest::ColorNear(lit.ColorAt(x + 3, y), highlight)) << x << ", " << y;
    }
    host_->Context().UnHighlightLocations();

    // Seen from above with a small block standing over its right edge: the highlighted edge shows
    // over the small block.
    ASSERT_NE(host_->ShowBlock(SPAposition(15, -5, 20), SPAposition(25, 5, 30), 0xFF0000), nullptr);
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    whole = wholeInState();
    plain = host_->Front();
    host_->Context().HighlightLocations(block, eAttribSetHighlight);
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(20, 0, 10), x, y));
    y = host_->Height() - 1 - y;
    const Picture over = host_->Front();
    ASSERT_GT(DifferingPixels(plain, over), 500);
    EXPECT_TRUE(SamePicture(over, whole));
    EXPECT_TRUE(vyrtest::ColorNear(over.ColorAt(x, y), highlight));
    EXPECT_FALSE(vyrtest::ColorNear(plain.ColorAt(x, y), highlight));
    host_->Context().UnHighlightLocations();
}

TEST_F(DrawnAtOnceGLTest, AHostThatNeverValidatesItsWindowSeesHighlightsAndPreviews)
{
    // A window shown on the screen waits for its first repaint; this host has no paint handler
    // that would end the wait (ValidateView), only its refreshes.
    vyrtest::Host host(kHostSize, kHostSize);
    host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    BODY* block = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    ASSERT_NE(block, nullptr);
    ShowWindow(host.Window().plain.window, SW_SHOW);
    ASSERT_TRUE(host.Window().Invalidated());
    host.Refresh();
    EXPECT_FALSE(host.Window().Invalidated());  // the refresh presented the whole window

    const Picture plain = host.Front();
    host.Context().HighlightLocations({host.PathOf(block)}, eAttribSetHighlight);
    EXPECT_GT(DifferingPixels(plain, host.Front()), 500);
    host.Context().UnHighlightLocations();
    EXPECT_TRUE(SamePicture(host.Front(), plain));

    // A figure previewed straight onto the view, not recorded.
    CLineFigure preview({CGmPosition(-40, -30, 0), CGmPosition(40, -30, 0), CGmPosition(40, 30, 0)});
    preview.DrawOnView(&host.View(), eDsDrawModeNormal);
    EXPECT_GT(DifferingPixels(plain, host.Front()), 100);

    // A view whose viewport is a part of its window presents only that part: the wait stays.
    InvalidateRect(host.Window().plain.window, nullptr, FALSE);
    host.View().set_viewport(0, 0, kHostSize / 2, kHostSize);
    host.Refresh();
    EXPECT_TRUE(host.Window().Invalidated());
}

// A figure recorded within the depth the picture was drawn with costs no frame: its lines alone
// are drawn over the picture, which then is what a whole frame shows, in every render mode and
// across the reference triad's corner. A figure that reaches beyond that depth, or one recorded
// while a blended face of another figure could lie over it, gets a whole frame.
TEST_F(DrawnAtOnceGLTest, AFigureWithinTheDepthOfThePictureIsDrawnAloneAndShowsWhatAWholeFrameShows)
{
    for (const ERenderMode mode : {eRenderShade, eRenderMixed, eRenderWireframe, eRenderHiddenLines}) {
        SCOPED_TRACE(int(mode));
        host_->View().SetRenderMode(mode);
        host_->WholeFrame();
        // From the lower left corner, over the triad, up through the block's middle height.
        CLineFigure within({CGmPosition(-50, -50, 0), CGmPosition(10, 0, 5), CGmPosition(40, 45, -5)});
        const long frames = host_->Context().GetRefreshCounter();
        within.Record(true, &host_->View());
        EXPECT_EQ(host_->Context().GetRefreshCounter(), frames);  // no frame drawn
        host_->Refresh();
        EXPECT_EQ(host_->Context().GetRefreshCounter(), frames);  // and none left to draw
        const Picture shown = host_->Front();
        EXPECT_TRUE(SamePicture(shown, host_->WholeFrame()));

        // Beyond the depth of the picture: a frame, with the planes moved.
        CLineFigure beyond({CGmPosition(-40, 30, -40), CGmPosition(40, 30, 30)});
        const long before = host_->Context().GetRefreshCounter();
        beyond.Record(true, &host_->View());
        EXPECT_EQ(host_->Context().GetRefreshCounter(), before + 1);
        EXPECT_TRUE(SamePicture(host_->Front(), host_->WholeFrame()));
        beyond.Remove(&host_->View());
        within.Remove(&host_->View());
    }
    host_->View().SetRenderMode(eRenderShade);
}

namespace {

// A half-transparent green square over the block, at z = 15.
class CVeilFigure : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        const double square[18] = {-30, -30, 15, 30, -30, 15, 30, 30, 15, -30, -30, 15, 30, 30, 15, -30, 30, 15};
        generator.DrawTriangles(2, square, nullptr);
        return 1;
    }
};

}  // namespace

TEST_F(DrawnAtOnceGLTest, AFigureUnderABlendedFaceOfAnotherIsShownByAWholeFrame)
{
    CVeilFigure veil;
    veil.SetTransparency(0.5f);
    veil.Record(true, &host_->View());
    host_->WholeFrame();
    CLineFigure under({CGmPosition(-25, 5, 10), CGmPosition(25, 5, 10)});
    const long frames = host_->Context().GetRefreshCounter();
    under.Record(true, &host_->View());
    EXPECT_EQ(host_->Context().GetRefreshCounter(), frames + 1);
    EXPECT_TRUE(SamePicture(host_->Front(), host_->WholeFrame()));
    under.Remove(&host_->View());
    veil.Remove(&host_->View());
}
