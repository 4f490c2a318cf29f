// Figures in a real window: recorded into the scene database's temporary part and drawn by the
// frames, removed and recorded again, drawn straight into the front buffer and taken off it by a
// buffer swap, section clip planes, and figures whose scene is gone.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsFigureGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsFigure.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "UiPickEvent.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "../items/PolygonTestSupport.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;
const Rgb kRed{255, 0, 0};

// A circle of radius `radius` about the origin in the xy plane, drawn with a red pen.
class CCircleFigure : public CDsFigure {
public:
    explicit CCircleFigure(double radius = 30, bool storageRemoval = true, bool clipable = false)
        : CDsFigure(true, storageRemoval, clipable), m_radius(radius)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 0, 0));
        generator.DrawArc(CGmPosition(0, 0, 0), m_radius, CGmTransformation(), 0.0, 2 * M_PI, M_PI / 24);
        return 1;
    }
    using CDsFigure::IsDrawn;

private:
    double m_radius;
};

// The red circle with an impersonal part: a circle of radius 45, drawn while `accept` says so (in
// the look of the location: the impersonal part applies no attributes of its own).
class CTwoPartFigure : public CCircleFigure {
public:
    bool DefineImpersonalPart(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(0, 0, 255));
        generator.DrawArc(CGmPosition(0, 0, 0), 45, CGmTransformation(), 0.0, 2 * M_PI, M_PI / 24);
        return true;
    }
    bool OnImpPartDraw(EAttribSetIndex) const override { return accept; }
    bool accept = false;
};

// A white STL cube of half side 20 about the origin.
class CStlCubeFigure : public CDsFigure {
public:
    CStlCubeFigure() : CDsFigure(true, true, false) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        vyrtest::StlPtr cube = vyrtest::MakeCube(20);
        generator.DrawTrianglesStl(SPAtransf(), cube.get());
        return 1;
    }
};

// Whether a pixel of the 3 x 3 block about (x, y) of `buffer` has `color`.
bool Near(GLenum buffer, int x, int y, const Rgb& color)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (ColorNear(ReadPixel(buffer, x + dx, y + dy), color, 60)) return true;
    return false;
}

// Whether a pixel of the 3 x 3 block about (x, y) of `buffer` is lit at all.
bool NearLit(GLenum buffer, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const Rgb c = ReadPixel(buffer, x + dx, y + dy);
            if (c.r + c.g + c.b > 100) return true;
        }
    return false;
}

// The ring of radius 30 about the window's centre: left, right, bottom and top points.
int RingPointsLit(GLenum buffer, const Rgb& color = kRed)
{
    return int(Near(buffer, 20, 50, color)) + int(Near(buffer, 80, 50, color)) + int(Near(buffer, 50, 20, color)) +
           int(Near(buffer, 50, 80, color));
}

class DsFigureGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        backBufferDraw_ = CDsFigure::StGetBackBufferDraw();
        // Looking down -z at a 100 x 100 model-unit field: one unit a pixel, the origin in the
        // middle of the window.
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDisable(GL_CLIP_PLANE0);
        CDsFigure::StSetBackBufferDraw(backBufferDraw_);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    CDsScene& Scene() { return context_.GetScene()->GetDbScene(); }
    // The next frame draws everything again.
    void RedrawAll()
    {
        Scene().InvalidateStates();
        view_->refresh();
    }
    // The part storage's geometry of the figure's item, null when the item is not there.
    static CDsGeometry* ItemGeometry(const CVyrObjectId& id)
    {
        const int item = id.GetItemId();
        SItemInfo info;
        if (!CDsPartStorage::instance()->GetItemInfo(CVyrObjectPath(&item, 1, 1, id.GetPartId()), nullptr, info))
            return nullptr;
        return info.m_pGeometry;
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    bool backBufferDraw_ = false;
};

}  // namespace

TEST_F(DsFigureGLTest, ARecordedCircleIsDrawnByTheFramesUntilRemovedAndKeepsItsIdWhenRecordedAgain)
{
    CCircleFigure circle;
    // Recorded before the view ever drew: the item is a change, which the next frame draws.
    circle.Record(true, view_.get());
    ASSERT_TRUE(circle.IsRecorded());
    const CVyrObjectId id = circle.GetObjectId();
    EXPECT_EQ(id.GetPartId(), Scene().GetTempPartId());
    EXPECT_NE(dynamic_cast<CDsFigureGeometry*>(ItemGeometry(id)), nullptr);
    CVyrObjectPath path;
    ASSERT_TRUE(circle.GetPath(path));
    EXPECT_EQ(path, CVyrObjectPath(std::vector<int>{id.GetItemId()}.data(), 1, 1, id.GetPartId()));

    view_->refresh();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 50), Rgb{0, 0, 0}, 20));  // a ring, not a disc

    // Recording twice records once.
    circle.Record(true, view_.get());
    EXPECT_EQ(circle.GetObjectId(), id);

    // Removed: the item goes, and the frame after no longer shows the ring.
    circle.Remove();
    EXPECT_FALSE(circle.IsRecorded());
    EXPECT_EQ(ItemGeometry(id), nullptr);
    view_->refresh();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);

    // Recorded again after a frame (no change pending): the figure draws its location at once
    // into both buffers, under its old part and item id, and stays through frames.
    circle.Record(true, view_.get());
    ASSERT_TRUE(circle.IsRecorded());
    EXPECT_EQ(circle.GetObjectId(), id);
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    EXPECT_EQ(RingPointsLit(GL_BACK), 4);
    view_->refresh();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    RedrawAll();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);

    // A transform of a recorded figure moves its database item: 10 to the right.
    circle.Transform(CGmTransformation(translate_transf(SPAvector(10, 0, 0))));
    RedrawAll();
    EXPECT_TRUE(Near(GL_FRONT, 90, 50, kRed));
    EXPECT_FALSE(Near(GL_FRONT, 20, 50, kRed));
}

TEST_F(DsFigureGLTest, ADirectlyDrawnFigureIsInTheFrontBufferUntilTheNextBufferSwap)
{
    view_->refresh();
    context_.ValidateView(view_.get());  // no repaint pending: direct drawing goes ahead
    CCircleFigure circle;
    EXPECT_FALSE(circle.IsDrawn());
    circle.DrawOnView(view_.get(), eDsDrawModeNormal);
    EXPECT_FALSE(circle.IsRecorded());
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    EXPECT_EQ(RingPointsLit(GL_BACK), 0);
    EXPECT_TRUE(circle.IsDrawn());

    // The next presented frame (the back buffer copied to the front) takes it off the screen.
    view_->refresh();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);
    EXPECT_FALSE(circle.IsDrawn());

    // Drawn again and erased: the ring goes, the figure is no longer drawn, its mode stays 1.
    circle.DrawOnView(view_.get(), eDsDrawModeNormal);
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    circle.DrawOnView(view_.get(), eDsDrawModeNone);
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);
    EXPECT_FALSE(circle.IsDrawn());
    EXPECT_EQ(circle.GetDrawMode(), eDsDrawModeNormal);
    circle.DrawOnView(view_.get(), eDsDrawModeNormal);
    circle.Erase(view_.get());
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);
    EXPECT_FALSE(circle.IsDrawn());

    // With the back-buffer switch the draw goes to the back buffer only.
    CDsFigure::StSetBackBufferDraw(true);
    circle.DrawOnView(view_.get(), eDsDrawModeNormal);
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);
    EXPECT_EQ(RingPointsLit(GL_BACK), 4);
    CDsFigure::StSetBackBufferDraw(false);

    // Nothing while the window waits for a repaint, nor while the display is suspended, nor for an
    // unknown mode.
    view_->refresh();
    CCircleFigure other(20);
    context_.InvalidateView(view_.get());
    other.DrawOnView(view_.get(), eDsDrawModeNormal);
    EXPECT_FALSE(Near(GL_FRONT, 30, 50, kRed));
    context_.ValidateView(view_.get());
    context_.PushDisplaySuspension();
    other.DrawOnView(view_.get(), eDsDrawModeNormal);
    context_.PopDisplaySuspension();
    context_.ValidateView(view_.get());
    EXPECT_FALSE(Near(GL_FRONT, 30, 50, kRed));
    other.DrawOnView(view_.get(), static_cast<eDsDrawMode>(7));
    EXPECT_FALSE(Near(GL_FRONT, 30, 50, kRed));
    other.DrawOnView(view_.get(), eDsDrawModeNormal);
    EXPECT_TRUE(Near(GL_FRONT, 30, 50, kRed));
}

TEST_F(DsFigureGLTest, AFigureThatMayNotBeClippedIsDrawnWholeUnderAClipPlaneThatIsOnAgainAfterwards)
{
    // The scene's section keeps x >= 0: the frames clip with it (and switch it off after each frame).
    context_.GetScene()->SetSection(SPAposition(0, 0, 0), SPAvector(1, 0, 0));
    view_->refresh();
    // The same plane on for a figure drawn at once (given while the view's model-view is set).
    const GLdouble keepRight[4] = {1, 0, 0, 0};
    glClipPlane(GL_CLIP_PLANE0, keepRight);
    glEnable(GL_CLIP_PLANE0);

    CCircleFigure whole(30, true, false);
    whole.Record(true, view_.get());  // drawn at once, then by the frames
    EXPECT_TRUE(Near(GL_FRONT, 20, 50, kRed));
    EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE0));
    RedrawAll();
    EXPECT_TRUE(Near(GL_FRONT, 20, 50, kRed));
    EXPECT_TRUE(Near(GL_FRONT, 80, 50, kRed));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0)) << "the frame switches its section plane off";

    // A clip-able figure loses its left half.
    whole.Remove();
    CCircleFigure cut(30, true, true);
    cut.Record(true, view_.get());
    RedrawAll();
    EXPECT_FALSE(Near(GL_FRONT, 20, 50, kRed));
    EXPECT_TRUE(Near(GL_FRONT, 80, 50, kRed));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));

    // Without a section in the scene a plane that is on clips every figure: the guard has nothing to
    // protect it from.
    cut.Remove();
    context_.GetScene()->ResetSection();
    glEnable(GL_CLIP_PLANE0);
    CCircleFigure plain(30, true, false);
    plain.Record(true, view_.get());
    EXPECT_FALSE(Near(GL_FRONT, 20, 50, kRed));
    EXPECT_TRUE(Near(GL_FRONT, 80, 50, kRed));
    EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE0));
}

TEST_F(DsFigureGLTest, AFigureDeletedWhileRecordedTakesItsItemAlongWhateverItsRemovalFlag)
{
    CVyrObjectId kept;
    {
        // Remove leaves the item of a figure without the storage-removal flag in the database.
        CCircleFigure circle(30, false);
        circle.Record(true, view_.get());
        kept = circle.GetObjectId();
        circle.Remove();
        EXPECT_NE(ItemGeometry(kept), nullptr);
        // Recording again under the id still taken fails; the figure stays unrecorded (the new
        // geometry is freed, which the sanitizer build checks).
        circle.Record(true, view_.get());
        EXPECT_FALSE(circle.IsRecorded());
    }
    // Gone with the figure: the frames do not reach a geometry of a deleted figure.
    EXPECT_EQ(ItemGeometry(kept), nullptr);
    view_->refresh();
    {
        CCircleFigure circle(30, false);
        circle.Record(true, view_.get());
        kept = circle.GetObjectId();
        EXPECT_TRUE(circle.IsRecorded());
    }
    EXPECT_EQ(ItemGeometry(kept), nullptr);
    RedrawAll();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);

    static_assert(!std::is_copy_constructible<CDsFigure>::value, "a copy would own the same groups");
    static_assert(!std::is_copy_assignable<CDsFigure>::value, "a copy would own the same groups");
}

TEST_F(DsFigureGLTest, AFigureRecordedInAnotherSceneLeavesNoItemOfItselfBehind)
{
    vyrtest::FrameworkWindow window(kSize, kSize);
    CDsGlContext other(7);
    auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
    view->SetGlContext(&other);
    other.add_view(view.get());
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view);
    {
        CCircleFigure circle(30, false);  // Remove leaves its item
        circle.Record(true, view.get());
        const CVyrObjectId first = circle.GetObjectId();
        circle.Remove();
        ASSERT_NE(ItemGeometry(first), nullptr);
        circle.Record(true, view_.get());
        ASSERT_TRUE(circle.IsRecorded());
        EXPECT_EQ(circle.GetObjectId().GetPartId(), Scene().GetTempPartId());
        EXPECT_EQ(ItemGeometry(first), nullptr);
    }
    view->refresh();  // draws no geometry of the deleted figure
    EXPECT_EQ(RingPointsLit(GL_FRONT), 0);
    view.reset();
}

TEST_F(DsFigureGLTest, RecordingIntoASceneThatIsGoneDoesNothing)
{
    auto figure = std::make_unique<CCircleFigure>();
    CVyrObjectId old;
    {
        // A second context whose view records the figure, then goes with its scene.
        vyrtest::FrameworkWindow window(kSize, kSize);
        auto other = std::make_unique<CDsGlContext>(7);
        auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
        view->SetGlContext(other.get());
        other->add_view(view.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view);
        figure->Record(true, view.get());
        ASSERT_TRUE(figure->IsRecorded());
        old = figure->GetObjectId();
        other.reset();  // the scene and its temporary part go; the view is detached
        figure->Remove();
        EXPECT_FALSE(figure->IsRecorded());
        // Its view has no context any more: nothing is recorded.
        figure->Record(true, view.get());
        EXPECT_FALSE(figure->IsRecorded());
        view.reset();
    }
    CDsView3dCdc::StSetCurrent(view_.get(), false);
    // The id named the other scene's temporary part: here the figure takes one of this scene.
    figure->Record(true, view_.get());
    ASSERT_TRUE(figure->IsRecorded());
    const CVyrObjectId id = figure->GetObjectId();
    EXPECT_EQ(id.GetPartId(), Scene().GetTempPartId());
    EXPECT_NE(id.GetPartId(), old.GetPartId());
    figure.reset();
    EXPECT_EQ(ItemGeometry(id), nullptr);
}

TEST_F(DsFigureGLTest, AFigureIsPickedOnItsOutlineAndMeasuredInWindowPixels)
{
    view_->refresh();
    CCircleFigure circle;
    circle.Record(true, view_.get());
    // Pick events count y down from the top; the ring passes through (80, 49) and (50, 19).
    EXPECT_EQ(circle.IsPicked(CUiPickEvent(80, 49, 0, view_.get(), nullptr), 5, 5), 1);
    EXPECT_EQ(circle.IsPicked(CUiPickEvent(50, 19, 0, view_.get(), nullptr), 5, 5), 1);
    EXPECT_EQ(circle.IsPicked(CUiPickEvent(50, 49, 0, view_.get(), nullptr), 5, 5), 0);
    EXPECT_EQ(circle.IsPicked(CUiPickEvent(65, 64, 0, view_.get(), nullptr), 5, 5), 0);
    EXPECT_TRUE(CDsItemsFigure::StGetIgnoreBlankMode());

    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    circle.GetBoundingRectangle(view_.get(), x0, x1, y0, y1);
    EXPECT_NEAR(x0, 20, 1.5);
    EXPECT_NEAR(x1, 80, 1.5);
    EXPECT_NEAR(y0, 20, 1.5);
    EXPECT_NEAR(y1, 80, 1.5);
}

TEST_F(DsFigureGLTest, TheImpersonalPartDrawsOnlyWhileTheFigureAcceptsTheLocationState)
{
    CTwoPartFigure figure;
    figure.Record(true, view_.get());
    view_->refresh();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);            // the main group
    EXPECT_FALSE(NearLit(GL_FRONT, 95, 50));  // not the impersonal part
    figure.accept = true;
    RedrawAll();
    EXPECT_EQ(RingPointsLit(GL_FRONT), 4);
    EXPECT_TRUE(NearLit(GL_FRONT, 95, 50));
    EXPECT_TRUE(NearLit(GL_FRONT, 5, 50));
}

TEST_F(DsFigureGLTest, AnStlMeshIsDrawnShadedByTheFramesAndAsEdgesInWireframe)
{
    view_->SetRenderMode(eRenderShade);
    CStlCubeFigure cube;
    cube.Record(true, view_.get());
    view_->refresh();
    // The cube covers pixels 30 to 70; (40, 55) is off both diagonals of its front face.
    EXPECT_TRUE(NearLit(GL_FRONT, 40, 55));
    EXPECT_TRUE(NearLit(GL_FRONT, 65, 35));
    EXPECT_FALSE(NearLit(GL_FRONT, 15, 15));

    view_->SetRenderMode(eRenderWireframe);
    RedrawAll();
    EXPECT_FALSE(NearLit(GL_FRONT, 40, 55));
    EXPECT_TRUE(NearLit(GL_FRONT, 30, 50));  // the left edge
    EXPECT_TRUE(NearLit(GL_FRONT, 50, 50));  // the front face's diagonal
}
