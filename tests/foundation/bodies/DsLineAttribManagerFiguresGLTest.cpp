// The line-attribute manager's commands by figure seen on screen: the benchmark plate and a line
// figure beside it, recorded in one rendering context shown in two views. Every command changes
// the figure's pixels in both views and no pixel of the plate.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsFigureList.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsFigure.h"
#include "DsLineAttribManager.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "VyrBodyGeometry.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaBuilders.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 160;

// A horizontal line below the plate, at y = -25 from x = 10 to 110, with a red pen of width 1.
class CLineFigure : public CDsFigure {
public:
    CLineFigure() : CDsFigure(true, true, false) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 0, 0));
        const CGmPosition ends[2] = {CGmPosition(10, -25, 0), CGmPosition(110, -25, 0)};
        generator.DrawPolyline(2, ends);
        return 1;
    }
};

// The front buffer of a view, RGB rows from the bottom.
using Picture = std::vector<unsigned char>;

class LineAttribManagerFiguresGLTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        kViews = GetParam();
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        for (int i = 0; i < kViews; ++i) {
            views_[i] = std::make_unique<CDsView3dCdc>(&windows_[i]->wnd);
            views_[i]->SetGlContext(&context_);
            context_.add_view(views_[i].get());
            // Looking down -z at the plate (120 x 80, corner at the origin) from above its middle.
            ViewSetup()
                .Pixels(kSize, kSize)
                .Eye(SPAposition(60, 20, 200))
                .Target(SPAposition(60, 20, 0))
                .Field(kSize, kSize)
                .Clip(1, 400)
                .ApplyTo(*views_[i]);
            views_[i]->SetRenderMode(eRenderShade);
        }
        plate_ = make_benchmark_plate();
        ASSERT_NE(plate_, nullptr);
        CDsAttributes look;
        look.SetColor(0xFFC000);  // a light blue (0x00BBGGRR)
        ASSERT_TRUE(VyrShowBody(&context_, plate_, 1, &look));
        figure_.Record(true, views_[0].get());
        ASSERT_TRUE(figure_.IsRecorded());
        list_.add(&figure_);
        manager_.SetRenderingContext(&context_);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        figure_.Remove();
        if (plate_) VyrHideBody(&context_, plate_, 1);
        for (auto& view : views_) view.reset();
        if (plate_) plate_->lose();
        wglMakeCurrent(nullptr, nullptr);
    }

    // Both views drawn anew; their front buffers. A refresh hands the OpenGL context back to the
    // view that was current before it, so each view's own context is made current to read it.
    std::array<Picture, 2> Frames()
    {
        std::array<Picture, 2> out;
        for (int i = 0; i < kViews; ++i) {
            context_.GetScene()->GetDbScene().InvalidateStates();
            views_[i]->refresh();
            EXPECT_TRUE(context_.MakeCurrent(views_[i].get()));
            glFinish();
            out[i].resize(kSize * kSize * 3);
            glReadBuffer(GL_FRONT);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, out[i].data());
        }
        return out;
    }
    // The figure's band of rows (model y = -25 is window row 35 from the bottom, give or take).
    static bool InBand(int y) { return y >= 25 && y <= 45; }
    // Pixels outside the figure's band that differ between two pictures.
    static int ChangedOutsideBand(const Picture& a, const Picture& b)
    {
        int changed = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                if (InBand(y)) continue;
                const size_t i = (size_t(y) * kSize + x) * 3;
                changed += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
            }
        return changed;
    }
    // Pixels of the band near `color`.
    static int BandPixels(const Picture& p, const vyrtest::Rgb& color)
    {
        int n = 0;
        for (int y = 25; y <= 45; ++y)
            for (int x = 0; x < kSize; ++x) {
                const size_t i = (size_t(y) * kSize + x) * 3;
                n += vyrtest::ColorNear(vyrtest::Rgb{p[i], p[i + 1], p[i + 2]}, color, 40);
            }
        return n;
    }
    // Pixels of the band that are not the background (black).
    static int BandLit(const Picture& p)
    {
        int n = 0;
        for (int y = 25; y <= 45; ++y)
            for (int x = 0; x < kSize; ++x) {
                const size_t i = (size_t(y) * kSize + x) * 3;
                n += p[i] + p[i + 1] + p[i + 2] > 60;
            }
        return n;
    }
    // Asserts that the band changed, that nothing else did, in both views.
    void ExpectOnlyTheFigureChanged(const std::array<Picture, 2>& before, const std::array<Picture, 2>& after,
                                    const char* what)
    {
        for (int i = 0; i < kViews; ++i) {
            EXPECT_NE(before[i], after[i]) << what << ": view " << i << " shows no change";
            EXPECT_EQ(ChangedOutsideBand(before[i], after[i]), 0) << what << ": view " << i;
        }
    }

    int kViews = 1;
    vyrtest::ViewStaticsGuard statics_;
    std::array<std::unique_ptr<vyrtest::FrameworkWindow>, 2> windows_{
        std::make_unique<vyrtest::FrameworkWindow>(kSize, kSize),
        std::make_unique<vyrtest::FrameworkWindow>(kSize, kSize)};
    CDsGlContext context_;
    std::array<std::unique_ptr<CDsView3dCdc>, 2> views_;
    BODY* plate_ = nullptr;
    CLineFigure figure_;
    CDsFigureList list_;
    CDsLineAttribManager manager_;
};

const vyrtest::Rgb kRed{255, 0, 0};

}  // namespace

TEST_P(LineAttribManagerFiguresGLTest, EachCommandChangesTheFiguresPixelsAndNothingElse)
{
    const std::array<Picture, 2> first = Frames();
    for (int i = 0; i < kViews; ++i) {
        ASSERT_GE(BandPixels(first[i], kRed), 60) << "view " << i;
    }
    if (kViews == 2) {
        ASSERT_EQ(first[0], first[1]);  // the two views show the same
    }

    // Colour.
    const CDsColorStorage green(0, 255, 0);
    manager_.ApplyColor(&list_, &green);
    std::array<Picture, 2> now = Frames();
    ExpectOnlyTheFigureChanged(first, now, "ApplyColor");
    for (int i = 0; i < kViews; ++i) {
        EXPECT_EQ(BandPixels(now[i], kRed), 0);
        EXPECT_GE(BandPixels(now[i], vyrtest::Rgb{0, 255, 0}), 60);
    }
    manager_.ApplyColor(&list_, nullptr);  // no colour: nothing
    EXPECT_EQ(Frames(), now);
    const CDsColorStorage red(255, 0, 0);
    manager_.ApplyColor(&list_, &red);
    EXPECT_EQ(Frames(), first);

    // Width: a wider line lights more of the band; a width out of range changes nothing.
    manager_.ApplyWidth(&list_, 5);
    now = Frames();
    ExpectOnlyTheFigureChanged(first, now, "ApplyWidth");
    for (int i = 0; i < kViews; ++i) EXPECT_GE(BandLit(now[i]), 3 * BandLit(first[i]));
    manager_.ApplyWidth(&list_, -3);
    manager_.ApplyWidth(&list_, 9);
    EXPECT_EQ(Frames(), now);
    manager_.ApplyWidth(&list_, 1);
    EXPECT_EQ(Frames(), first);

    // Style: a dashed line lights fewer pixels of its row.
    manager_.ApplyStyle(&list_, 5);
    now = Frames();
    ExpectOnlyTheFigureChanged(first, now, "ApplyStyle");
    for (int i = 0; i < kViews; ++i) {
        EXPECT_LT(BandLit(now[i]), BandLit(first[i]) * 3 / 4);
        EXPECT_GT(BandLit(now[i]), BandLit(first[i]) / 4);
    }
    manager_.ApplyStyle(&list_, 32);  // out of range: nothing
    EXPECT_EQ(Frames(), now);
    manager_.ApplyStyle(&list_, 0);
    EXPECT_EQ(Frames(), first);

    // All attributes at once.
    CDsLineAttribStorage look;
    look.SetColor(CDsColorStorage(255, 255, 0));
    look.SetWidth(3);
    manager_.ApplyAttributes(&list_, &look);
    now = Frames();
    ExpectOnlyTheFigureChanged(first, now, "ApplyAttributes");
    for (int i = 0; i < kViews; ++i) EXPECT_GE(BandPixels(now[i], vyrtest::Rgb{255, 255, 0}), 150);
}

TEST_P(LineAttribManagerFiguresGLTest, VisibilityCommandsShowTheLevelsColourAndTakeItAwayAgain)
{
    const std::array<Picture, 2> first = Frames();
    // Each command on, then off: the level's colour on the figure only, then the first picture.
    struct SCase {
        const char* what;
        std::function<void(bool)> command;
        vyrtest::Rgb color;
    };
    const SCase cases[] = {
        {"MarkList", [this](bool on) { manager_.MarkList(&list_, on); }, {0, 191, 94}},
        {"MarkFigure", [this](bool on) { manager_.MarkFigure(&figure_, on, false); }, {0, 191, 94}},
        {"DimList", [this](bool on) { manager_.DimList(&list_, on); }, {128, 128, 128}},
        {"DimFigure", [this](bool on) { manager_.DimFigure(&figure_, on, false); }, {128, 128, 128}},
        {"ApplyVisibility of a list",
         [this](bool on) { manager_.ApplyVisibility(eVisibilityLevel5, &list_, on); }, {145, 191, 0}},
        {"ApplyVisibility of a figure",
         [this](bool on) { manager_.ApplyVisibility(eVisibilityLevel6, &figure_, on, false); }, {0, 117, 48}},
    };
    for (const SCase& c : cases) {
        c.command(true);
        const std::array<Picture, 2> now = Frames();
        ExpectOnlyTheFigureChanged(first, now, c.what);
        for (int i = 0; i < kViews; ++i) EXPECT_GE(BandPixels(now[i], c.color), 60) << c.what;
        c.command(false);
        EXPECT_EQ(Frames(), first) << c.what;
    }
}

TEST_P(LineAttribManagerFiguresGLTest, BadInputChangesNothingAndLeavesNoGlError)
{
    const std::array<Picture, 2> first = Frames();
    const CDsColorStorage green(0, 255, 0);
    manager_.ApplyColor(nullptr, &green);
    manager_.ApplyAttributes(&list_, nullptr);
    manager_.HighlightFigure(nullptr, true, false);
    manager_.ApplyVisibility(static_cast<EVisibilityLevel>(99), &list_, true);  // no level: no colour
    CDsLineAttribManager lonely;  // no rendering context
    lonely.ApplyColor(&list_, &green);
    lonely.ResetAttributes(eDsResetHighlight);
    EXPECT_EQ(Frames(), first);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// One view; and two views of one context, the figure's change to be seen in both.
INSTANTIATE_TEST_SUITE_P(OneView, LineAttribManagerFiguresGLTest, ::testing::Values(1));
INSTANTIATE_TEST_SUITE_P(TwoViews, LineAttribManagerFiguresGLTest, ::testing::Values(2));
