// ResetAttributes of the line-attribute manager over a rendering context that shows the benchmark
// plate and a line figure recorded beside it: whatever the visibility commands did to the figure
// (mark, highlight, visibility level, hide level), resetting all of it gives back the first
// picture; a reset of some bits clears those only; figures recorded in another context keep theirs.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsFigureList.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLineAttribManager.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "VyrBodyGeometry.h"

#include "DsHideLevel.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaBuilders.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 160;

// A red horizontal line of width 1 below the plate, at y = -25 from x = 10 to 110.
class CRedLine : public CDsFigure {
public:
    CRedLine() : CDsFigure(true, true, false) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 0, 0));
        const CGmPosition ends[2] = {CGmPosition(10, -25, 0), CGmPosition(110, -25, 0)};
        generator.DrawPolyline(2, ends);
        return 1;
    }
};

using Picture = std::vector<unsigned char>;

// One view of a context looking down at the plate (120 x 80, corner at the origin), shaded.
struct SShownContext {
    // A context of scene number `scene` (each document's scene has its own parts).
    SShownContext(int scene, bool withPlate) : context(scene)
    {
        view = std::make_unique<CDsView3dCdc>(&window.wnd);
        view->SetGlContext(&context);
        context.add_view(view.get());
        ViewSetup()
            .Pixels(kSize, kSize)
            .Eye(SPAposition(60, 20, 200))
            .Target(SPAposition(60, 20, 0))
            .Field(kSize, kSize)
            .Clip(1, 400)
            .ApplyTo(*view);
        view->SetRenderMode(eRenderShade);
        if (!withPlate) return;
        plate = make_benchmark_plate();
        CDsAttributes look;
        look.SetColor(0xFFC000);
        shown = plate && VyrShowBody(&context, plate, 1, &look);
    }
    ~SShownContext()
    {
        if (shown) VyrHideBody(&context, plate, 1);
        view.reset();
        if (plate) plate->lose();
    }
    // The view drawn anew; its front buffer.
    Picture Frame()
    {
        CDsView3dCdc::StSetCurrent(view.get(), false);
        context.GetScene()->GetDbScene().InvalidateStates();
        view->refresh();
        glFinish();
        Picture out(kSize * kSize * 3);
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    vyrtest::FrameworkWindow window{kSize, kSize};
    CDsGlContext context;
    std::unique_ptr<CDsView3dCdc> view;
    BODY* plate = nullptr;
    bool shown = false;
};

// Pixels of the figure's band of rows (model y = -25 is about row 35 from the bottom) near `color`.
int BandPixels(const Picture& p, const vyrtest::Rgb& color)
{
    int n = 0;
    for (int y = 25; y <= 45; ++y)
        for (int x = 0; x < kSize; ++x) {
            const size_t i = (size_t(y) * kSize + x) * 3;
            n += vyrtest::ColorNear(vyrtest::Rgb{p[i], p[i + 1], p[i + 2]}, color, 40);
        }
    return n;
}

const vyrtest::Rgb kRed{255, 0, 0};
const vyrtest::Rgb kMarked{0, 191, 94};
const vyrtest::Rgb kLevel5{145, 191, 0};

class LineAttribManagerResetGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        shown_ = std::make_unique<SShownContext>(0, true);
        ASSERT_TRUE(shown_->shown);
        figure_.Record(true, shown_->view.get());
        ASSERT_TRUE(figure_.IsRecorded());
        list_.add(&figure_);
        manager_.SetRenderingContext(&shown_->context);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        figure_.Remove();
        shown_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }

    vyrtest::ViewStaticsGuard statics_;
    std::unique_ptr<SShownContext> shown_;
    CRedLine figure_;
    CDsFigureList list_;
    CDsLineAttribManager manager_;
};

}  // namespace

TEST_F(LineAttribManagerResetGLTest, ResettingEverythingGivesBackTheFirstPicture)
{
    const Picture first = shown_->Frame();
    ASSERT_GE(BandPixels(first, kRed), 60);

    // Marked and at visibility level 5: the mark's colour wins.
    manager_.MarkList(&list_, true);
    manager_.ApplyVisibility(eVisibilityLevel5, &list_, true);
    Picture now = shown_->Frame();
    ASSERT_NE(now, first);
    EXPECT_GE(BandPixels(now, kMarked), 60);

    // Only the mark goes: level 5's colour shows.
    manager_.ResetAttributes(eDsResetMark);
    now = shown_->Frame();
    EXPECT_EQ(BandPixels(now, kMarked), 0);
    EXPECT_GE(BandPixels(now, kLevel5), 60);
    EXPECT_TRUE(figure_.GetLineAttributes().GetVisibility() == eVisibilityLevel5);

    // Highlighted and hidden as well; everything reset: the first picture, the figure's own
    // attributes clear.
    manager_.HighlightFigure(&figure_, true, false);
    EXPECT_NE(shown_->Frame(), first);
    figure_.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
    EXPECT_EQ(BandPixels(shown_->Frame(), kRed), 0);
    manager_.ResetAttributes(eDsResetAll);
    EXPECT_EQ(shown_->Frame(), first);
    EXPECT_FALSE(figure_.GetLineAttributes().GetHighlightState());
    EXPECT_FALSE(figure_.GetLineAttributes().GetMarkState());
    EXPECT_FALSE(figure_.IsHidden());
    EXPECT_EQ(figure_.GetVisibility(), 0);

    // The context's own reset takes the same road.
    manager_.DimList(&list_, true);
    EXPECT_NE(shown_->Frame(), first);
    shown_->context.ResetAttributes(eDsResetVisibility);
    EXPECT_EQ(shown_->Frame(), first);
}

TEST_F(LineAttribManagerResetGLTest, FiguresOfAnotherContextKeepTheirAttributes)
{
    SShownContext other(1, false);  // another document
    CRedLine elsewhere;
    elsewhere.Record(true, other.view.get());
    ASSERT_TRUE(elsewhere.IsRecorded());
    elsewhere.SetVisibility(eVisibilityMark, true, false);
    const Picture otherMarked = other.Frame();
    ASSERT_GE(BandPixels(otherMarked, kMarked), 60);

    manager_.MarkList(&list_, true);
    manager_.ResetAttributes(eDsResetAll);
    EXPECT_FALSE(figure_.GetLineAttributes().GetMarkState());
    EXPECT_TRUE(elsewhere.GetLineAttributes().GetMarkState());
    EXPECT_EQ(other.Frame(), otherMarked);
    elsewhere.Remove();
}
