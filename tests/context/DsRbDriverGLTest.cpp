// The rubber band over a white front buffer: its outline in grey exclusive-or (0x7F7F7F on white),
// the inside untouched; moved, only the new outline is left; stopped, the buffer is as it was;
// dashed in runs of 16 pixels; nothing drawn for an event at the start point, of another view,
// outside the viewport or after its view went; and the OpenGL state left as found.
#include "DsGlContext.h"
#include "DsRbDriverGl.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "UiPickEvent.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

constexpr int kW = 100, kH = 80;
const Rgb kWhite{255, 255, 255};
const Rgb kBand{0x7F, 0x7F, 0x7F};

class DsRbDriverGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = vyrtest::ViewOn(window_, context_, kW, kH);
        view_->set_rubberband_style(line_style_solid);
        CDsView3dCdc::StMakeGlCurrentView(view_.get());
        glViewport(0, 0, kW, kH);
        glDrawBuffer(GL_FRONT_AND_BACK);
        vyrtest::Clear(kWhite);
        glDrawBuffer(GL_BACK);
        glFinish();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    // The event at window pixel (x, y) counted down from the top, on `view` (the test's by default).
    CUiPickEvent At(int x, int y, view3d* view = nullptr) { return CUiPickEvent(x, y, 0, view ? view : view_.get(), nullptr); }
    // The front buffer's pixel at (x, y) counted down from the top.
    static Rgb Front(int x, int y) { return ReadPixel(GL_FRONT, x, kH - 1 - y); }
    // The front buffer, row by row.
    static std::vector<unsigned char> FrontBuffer()
    {
        std::vector<unsigned char> rgb(kW * kH * 3);
        glFinish();
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // How many pixels of the front buffer are not white.
    static int Marked()
    {
        int count = 0;
        const std::vector<unsigned char> rgb = FrontBuffer();
        for (size_t i = 0; i < rgb.size(); i += 3) count += rgb[i] != 255 || rgb[i + 1] != 255 || rgb[i + 2] != 255;
        return count;
    }
    // Whether the outline of the band (x0, y0)-(x1, y1) is drawn whole, and its inside is white.
    static ::testing::AssertionResult Outline(int x0, int y0, int x1, int y1)
    {
        for (int x = x0; x <= x1; ++x)
            for (int y : {y0, y1})
                if (!ColorNear(Front(x, y), kBand, 2)) return ::testing::AssertionFailure() << "at " << x << ", " << y;
        for (int y = y0; y <= y1; ++y)
            for (int x : {x0, x1})
                if (!ColorNear(Front(x, y), kBand, 2)) return ::testing::AssertionFailure() << "at " << x << ", " << y;
        for (int x = x0 + 1; x < x1; ++x)
            for (int y = y0 + 1; y < y1; ++y)
                if (!(Front(x, y) == kWhite)) return ::testing::AssertionFailure() << "inside at " << x << ", " << y;
        return ::testing::AssertionSuccess();
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::PlainWindow window_{kW, kH};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace

TEST_F(DsRbDriverGLTest, TheBandIsAnExclusiveOrOutlineThatMovesAndLeavesNothingBehind)
{
    const std::vector<unsigned char> before = FrontBuffer();
    // Known state, to be found again afterwards: depth test and stipple on, lighting off.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LINE_STIPPLE);
    glDisable(GL_LIGHTING);
    GLint projection = 0, modelview = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelview);

    {
        CDsRbDriverGl band(At(10, 10));
        band.start(At(60, 40));
        EXPECT_EQ(band.GetActiveView(), view_.get());
        EXPECT_TRUE(Outline(10, 10, 60, 40));
        EXPECT_EQ(Marked(), 2 * (51 + 31) - 4);  // each pixel of the outline once: corners too
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "a drawing leaves the depth test as it found it";

        // Moved: only the new outline.
        band.update(At(70, 50));
        EXPECT_TRUE(Outline(10, 10, 70, 50));
        EXPECT_EQ(Marked(), 2 * (61 + 41) - 4);

        // Drawn again on a repaint of its view: the exclusive-or takes it away; again: back.
        band.repaint(view_.get());
        EXPECT_EQ(Marked(), 0);
        band.repaint(view_.get());
        EXPECT_EQ(Marked(), 2 * (61 + 41) - 4);

        band.stop();
        EXPECT_EQ(band.GetActiveView(), nullptr);
    }
    EXPECT_EQ(FrontBuffer(), before);
    GLint projectionAfter = 0, modelviewAfter = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionAfter);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewAfter);
    EXPECT_EQ(projectionAfter, projection);
    EXPECT_EQ(modelviewAfter, modelview);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LINE_STIPPLE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_LOGIC_OP));
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);

    // The other way round: lighting on, depth test and stipple off before the band.
    glEnable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_STIPPLE);
    CDsRbDriverGl again(At(5, 5));
    again.start(At(20, 20));
    again.stop();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
    glDisable(GL_LIGHTING);
    EXPECT_EQ(FrontBuffer(), before);
}

TEST_F(DsRbDriverGLTest, ADashedBandShowsRunsOfSixteenPixels)
{
    view_->set_rubberband_style(line_style_dashed);
    CDsRbDriverGl band(At(5, 20));
    band.start(At(90, 60));
    // Along the top side, lit and unlit runs alternate, 16 pixels each (the first and last runs are
    // cut by the corners; the pattern goes on round the corners).
    std::vector<int> runs;
    bool lit = !(Front(5, 20) == kWhite);
    int length = 0;
    for (int x = 5; x <= 90; ++x) {
        const bool on = !(Front(x, 20) == kWhite);
        if (on != lit) {
            runs.push_back(length);
            lit = on;
            length = 0;
        }
        ++length;
    }
    runs.push_back(length);
    ASSERT_GE(runs.size(), 4u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) EXPECT_EQ(runs[i], 16) << "run " << i;
    // Lit pixels are the band's grey.
    for (int x = 5; x <= 90; ++x) {
        const Rgb pixel = Front(x, 20);
        if (!(pixel == kWhite)) {
            EXPECT_TRUE(ColorNear(pixel, kBand, 2));
        }
    }
    band.stop();
    EXPECT_EQ(Marked(), 0);
}

TEST_F(DsRbDriverGLTest, NothingIsDrawnAtTheStartPointOrForEventsItMustIgnore)
{
    CDsRbDriverGl band(At(30, 30));
    // Started at its own start point: nothing to draw yet; the next move draws one band.
    band.update(At(30, 30));
    EXPECT_EQ(band.GetActiveView(), view_.get());
    EXPECT_EQ(Marked(), 0);
    band.update(At(50, 45));
    EXPECT_TRUE(Outline(30, 30, 50, 45));
    const int shown = Marked();

    // Another view's event, and one outside the viewport: the band stays as it is.
    vyrtest::PlainWindow otherWindow(kW, kH);
    CDsGlContext otherContext;
    std::unique_ptr<CDsView3dCdc> other = vyrtest::ViewOn(otherWindow, otherContext, kW, kH);
    band.update(At(20, 20, other.get()));
    CDsView3dCdc::StMakeGlCurrentView(view_.get());
    EXPECT_TRUE(Outline(30, 30, 50, 45));
    band.update(At(kW + 5, 10));
    band.update(At(10, -3));
    EXPECT_TRUE(Outline(30, 30, 50, 45));
    EXPECT_EQ(Marked(), shown);
    band.stop();
    EXPECT_EQ(Marked(), 0);

    // A band that begins outside the viewport does not begin.
    CDsRbDriverGl outside(At(10, 10));
    outside.start(At(kW, 10));
    EXPECT_EQ(outside.GetActiveView(), nullptr);
    EXPECT_EQ(Marked(), 0);

    // After its view went: no more events taken.
    CDsRbDriverGl orphan(At(10, 10));
    orphan.start(At(40, 40));
    orphan.delete_view_notify(view_.get());
    EXPECT_EQ(orphan.GetActiveView(), nullptr);
    EXPECT_EQ(orphan.GetFirstView(), nullptr);
    // What it drew stays (its view is taken to be gone); it draws nothing more.
    const int left = Marked();
    orphan.update(At(20, 20));
    orphan.start(At(25, 25));
    orphan.stop();
    EXPECT_EQ(Marked(), left);
    EXPECT_TRUE(orphan.is_a("CDsRbDriverGl"));
    EXPECT_TRUE(orphan.is_a("rubberband_driver"));
    EXPECT_FALSE(orphan.is_a("view3d"));
}
