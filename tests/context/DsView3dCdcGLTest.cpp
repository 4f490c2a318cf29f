// The core's view with OpenGL: which view's OpenGL context is current and how often it is
// switched, the projection and model-view a view sets up (read back through gluProject and
// pixels), the 2-D drawing mode, presenting, what destroying or removing a view leaves current,
// and a view made on a window: its driver's drawing in that window and the window repainted when
// a display suspension ends.
#include "DsGlContext.h"
#include "DsColorStorage.h"
#include "DsDriverCdcBase.h"
#include "DsDriverGl.h"
#include "DsNFontStorage.h"
#include "DsView3dCdc.h"
#include "VyrString.h"

#include "GlTestFixture.h"
#include "ViewSetup.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/glu.h>

#include <afxwin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ContextOf;
using vyrtest::FrameworkWindow;
using vyrtest::PlainWindow;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewOn;
using vyrtest::ViewSetup;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// The front buffer of what is current, w x h from the lower-left corner.
class FrontBuffer {
public:
    FrontBuffer(int w, int h) : width_(w), height_(h), rgb_(static_cast<size_t>(w * h * 3))
    {
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb_.data());
    }
    Rgb At(int x, int y) const
    {
        const unsigned char* p = &rgb_[static_cast<size_t>((y * width_ + x) * 3)];
        return Rgb{p[0], p[1], p[2]};
    }
    // Whether the pixel is near `color`.
    bool Is(int x, int y, const Rgb& color) const { return ColorNear(At(x, y), color, 60); }
    // How many pixels near `color` row y has.
    int CountInRow(int y, const Rgb& color) const
    {
        int n = 0;
        for (int x = 0; x < width_; ++x) n += Is(x, y, color);
        return n;
    }
    // How many pixels near `color` the box from (x0, y0) to (x1, y1) has, inclusive.
    int Count(int x0, int y0, int x1, int y1, const Rgb& color) const
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) n += Is(x, y, color);
        return n;
    }
    // The box of the pixels near `color`; false without any.
    bool Box(const Rgb& color, int& x0, int& y0, int& x1, int& y1) const
    {
        x0 = y0 = width_;
        x1 = y1 = -1;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (Is(x, y, color)) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
        return x1 >= 0;
    }

private:
    int width_, height_;
    std::vector<unsigned char> rgb_;
};

// Views with contexts of their own: each test starts and ends with no live window context and
// no current view of either kind.
class DsView3dCdcGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        ASSERT_EQ(gl_context::StGetLiveContextCount(), 0);
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);
    }
    vyrtest::ViewStaticsGuard statics_;
};

// The projection, model-view and viewport of what is current.
struct Transforms {
    Transforms()
    {
        glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
        glGetIntegerv(GL_VIEWPORT, viewport.data());
    }
    // Window coordinates of a model point, as OpenGL would place it.
    std::array<double, 3> Project(const SPAposition& p) const
    {
        std::array<double, 3> w{};
        EXPECT_EQ(gluProject(p.x(), p.y(), p.z(), modelView.data(), projection.data(), viewport.data(), &w[0], &w[1],
                             &w[2]),
                  GL_TRUE);
        return w;
    }
    // The near distance of an orthographic or a perspective projection.
    double Near(bool perspective) const
    {
        return perspective ? projection[14] / (projection[10] - 1.0) : (projection[14] + 1.0) / projection[10];
    }
    std::array<double, 16> projection{}, modelView{};
    std::array<GLint, 4> viewport{};
};

// The same camera, value for value.
void ExpectSameCamera(const view3d& a, const view3d& b)
{
    EXPECT_EQ(a.get_eye().x(), b.get_eye().x());
    EXPECT_EQ(a.get_eye().y(), b.get_eye().y());
    EXPECT_EQ(a.get_eye().z(), b.get_eye().z());
    EXPECT_EQ(a.get_target().x(), b.get_target().x());
    EXPECT_EQ(a.get_target().y(), b.get_target().y());
    EXPECT_EQ(a.get_target().z(), b.get_target().z());
    EXPECT_EQ(a.get_up().x(), b.get_up().x());
    EXPECT_EQ(a.get_up().y(), b.get_up().y());
    EXPECT_EQ(a.get_up().z(), b.get_up().z());
    EXPECT_EQ(a.get_width(), b.get_width());
    EXPECT_EQ(a.get_hither(), b.get_hither());
    EXPECT_EQ(a.get_yon(), b.get_yon());
}

}  // namespace

TEST_F(DsView3dCdcGLTest, TheNewestViewIsCurrentAndItsContextIsMadeCurrentOnceWhenFirstUsed)
{
    PlainWindow w1(120, 80), w2(120, 80), w3(120, 80);
    CDsGlContext context;
    auto first = ViewOn(w1, context, 120, 80);
    auto second = ViewOn(w2, context, 120, 80);
    ASSERT_NE(ContextOf(*first), nullptr);
    ASSERT_NE(ContextOf(*second), nullptr);
    EXPECT_EQ(CDsView3dCdc::sCurrentView, second.get());
    EXPECT_EQ(CDsGlContext::sCurrentView, nullptr);  // adding a view leaves no OpenGL view known

    UINT start = VyrGetMakeCurrentCount();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), second.get());
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 1u);
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*second));
    EXPECT_EQ(CDsGlContext::sCurrentView, second.get());
    CDsView3dCdc::StGetCurrent();
    CDsView3dCdc::StGetCurrent();
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 1u);  // already current: not again

    // What is drawn now goes to the current view's window only.
    vyrtest::Clear(kRed);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 20), kRed));

    // Setting the other view current switches once; using it afterwards switches no more.
    start = VyrGetMakeCurrentCount();
    CDsView3dCdc::StSetCurrent(first.get(), false);
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 1u);
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*first));
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), first.get());
    CDsView3dCdc::StSetCurrent(first.get(), false);
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 1u);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 20), kBlack));  // the first window was not drawn on

    // A third view becomes current without OpenGL; its first use switches once.
    auto third = ViewOn(w3, context, 120, 80);
    EXPECT_EQ(CDsView3dCdc::sCurrentView, third.get());
    start = VyrGetMakeCurrentCount();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), third.get());
    CDsView3dCdc::StGetCurrent();
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 1u);
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*third));

    // The same switch for any core view, leaving the current view as it is.
    CDsView3dCdc::StMakeGlCurrentView(second.get());
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*second));
    EXPECT_EQ(CDsGlContext::sCurrentView, second.get());
    EXPECT_EQ(CDsView3dCdc::sCurrentView, third.get());
    view3d plain;
    CDsView3dCdc::StMakeGlCurrentView(&plain);
    CDsView3dCdc::StMakeGlCurrentView(nullptr);
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*second));
}

TEST_F(DsView3dCdcGLTest, DestroyingAViewReleasesOnlyItsOwnContext)
{
    PlainWindow w1(120, 80), w2(120, 80);
    CDsGlContext context;
    auto first = ViewOn(w1, context, 120, 80);
    auto second = ViewOn(w2, context, 120, 80);
    const HGLRC firstContext = ContextOf(*first);
    CDsView3dCdc::StSetCurrent(first.get(), false);
    ASSERT_EQ(wglGetCurrentContext(), firstContext);

    // Another view goes: what is current stays current and known.
    second.reset();
    EXPECT_EQ(wglGetCurrentContext(), firstContext);
    EXPECT_EQ(CDsGlContext::sCurrentView, first.get());
    EXPECT_EQ(context.view_count(), 1);

    // The current view goes: its context is released and no view is taken for current.
    first.reset();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(CDsGlContext::sCurrentView, nullptr);
    EXPECT_EQ(CDsView3dCdc::sCurrentView, nullptr);
    EXPECT_EQ(context.view_count(), 0);
}

TEST_F(DsView3dCdcGLTest, RemovingAViewThatIsNotCurrentLeavesTheCurrentOneAlone)
{
    PlainWindow w1(120, 80), w2(120, 80);
    CDsGlContext context;
    auto first = ViewOn(w1, context, 120, 80);
    auto second = ViewOn(w2, context, 120, 80);
    CDsView3dCdc::StSetCurrent(first.get(), false);
    const UINT start = VyrGetMakeCurrentCount();
    context.remove_view(second.get());
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*first));
    EXPECT_EQ(CDsGlContext::sCurrentView, first.get());
    EXPECT_LE(VyrGetMakeCurrentCount() - start, 1u);
    EXPECT_EQ(second->GetGlContext(), nullptr);
    EXPECT_NE(ContextOf(*second), nullptr);  // the view keeps its record until it goes
}

TEST_F(DsView3dCdcGLTest, PresentingTheCurrentViewCopiesItsPictureToTheFront)
{
    PlainWindow w1(120, 80);
    CDsGlContext context;
    EXPECT_FALSE(context.SwapCurrentViewBuffers());  // no current view
    auto view = ViewOn(w1, context, 120, 80);
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kGreen);
    EXPECT_TRUE(context.SwapCurrentViewBuffers());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 30, 20), kGreen));
    EXPECT_EQ(context.GetFrontBufferVersion(), 1u);
}

TEST_F(DsView3dCdcGLTest, TheTargetLandsAtTheViewportCentreForParallelAndPerspectiveCameras)
{
    PlainWindow w1(300, 200);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 300, 200);
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    for (bool perspective : {false, true}) {
        for (bool depth : {true, false}) {
            ViewSetup::Oblique(240, 160, perspective).ApplyTo(*view);
            view->set_viewport(30, 20, 240, 160);
            view->SetupRenderingTransforms(false, depth, false, nullptr);
            const Transforms gl;
            const auto centre = gl.Project(view->get_target());
            EXPECT_NEAR(centre[0], 30 + 120, 1e-3) << perspective << depth;
            EXPECT_NEAR(centre[1], 20 + 80, 1e-3) << perspective << depth;
            // The picture's right and top edges at the target run along the viewport's.
            const SPAposition right = view->get_target() + view->get_right() * (view->get_width() / 2);
            const SPAposition top = view->get_target() + view->get_up() * (view->get_height() / 2);
            EXPECT_NEAR(gl.Project(right)[0], 30 + 240, 1e-3) << perspective << depth;
            EXPECT_NEAR(gl.Project(top)[1], 20 + 160, 1e-3) << perspective << depth;
            // The modeler view's own projection agrees (its drawable y counts down).
            float x = 0, y = 0;
            ASSERT_TRUE(view->world_to_drawable(right, x, y));
            EXPECT_NEAR(x, 240.0, 1e-3);
        }
    }

    // What is drawn around the target lights the viewport's centre.
    ViewSetup::Oblique(240, 160, true).ApplyTo(*view);
    view->set_viewport(30, 20, 240, 160);
    view->SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_LIGHTING);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const SPAposition t = view->get_target();
    const SPAvector r = view->get_right() * 0.3, u = view->get_up() * 0.3;
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);
    for (const SPAposition& p : {t - r - u, t + r - u, t + r + u, t - r + u}) glVertex3d(p.x(), p.y(), p.z());
    glEnd();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 150, 100), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 40, 30), kBlack));
}

TEST_F(DsView3dCdcGLTest, ANearDistanceOfZeroBecomesAThousandth)
{
    PlainWindow w1(200, 100);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 200, 100);
    CDsView3dCdc::StGetCurrent();
    for (bool perspective : {false, true}) {
        for (double hither : {0.0, -5.0, 2.0}) {
            ViewSetup().Clip(hither, 100.0).Perspective(perspective).ApplyTo(*view);
            view->SetupRenderingTransforms(false, true, false, nullptr);
            const double expected = hither > 0.0 ? hither : 0.001;
            // (read back from single-precision matrices)
            EXPECT_NEAR(Transforms().Near(perspective), expected, expected * 1e-2) << perspective << " " << hither;
        }
    }
}

TEST_F(DsView3dCdcGLTest, AHundredSetUpsLeaveTheCameraWhereItWas)
{
    PlainWindow w1(240, 160);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 240, 160);
    CDsView3dCdc::StGetCurrent();
    for (bool perspective : {false, true}) {
        ViewSetup::Oblique(240, 160, perspective).ApplyTo(*view);
        view3d before;
        ViewSetup::Oblique(240, 160, perspective).ApplyTo(before);
        view->SetupRenderingTransforms(false, false, false, nullptr);
        const Transforms first;
        for (int i = 0; i < 100; ++i) view->SetupRenderingTransforms(false, i % 2 == 0, false, nullptr);
        view->SetupRenderingTransforms(false, false, false, nullptr);
        ExpectSameCamera(*view, before);
        const Transforms last;
        EXPECT_EQ(last.modelView, first.modelView);
        EXPECT_EQ(last.projection, first.projection);
    }
}

TEST_F(DsView3dCdcGLTest, APickNarrowsTheProjectionToThePickRegion)
{
    PlainWindow w1(200, 100);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 200, 100);
    CDsView3dCdc::StGetCurrent();
    ViewSetup().ApplyTo(*view);
    // The region around pixel (150, 20), near the top right: the model point of the pixel's centre
    // comes to the viewport's centre, whichever way the pixel was given.
    SPAposition picked;
    ASSERT_TRUE(view->drawable_to_world(150.5, 20.5, picked));
    view->pick_mode(1, 150, 20, 5, 5);
    view->SetupRenderingTransforms(true, true, false, nullptr);
    auto centre = Transforms().Project(picked);
    EXPECT_NEAR(centre[0], 100, 1e-3);
    EXPECT_NEAR(centre[1], 50, 1e-3);

    // Flag 1: the pixel's row is counted up from the bottom already (row 20 down is row 79 up).
    view->SetFlag(eDsViewFlagPickYUp, true);
    view->pick_mode(1, 150, 79, 5, 5);
    view->SetupRenderingTransforms(true, true, false, nullptr);
    centre = Transforms().Project(picked);
    EXPECT_NEAR(centre[0], 100, 1e-3);
    EXPECT_NEAR(centre[1], 50, 1e-3);
    view->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsView3dCdcGLTest, TheSetUpLeavesTheStateAFrameStartsFrom)
{
    PlainWindow w1(200, 100);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 200, 100);
    CDsView3dCdc::StGetCurrent();
    ViewSetup().ApplyTo(*view);
    glEnable(GL_LINE_STIPPLE);
    glEnable(GL_COLOR_MATERIAL);
    glLineWidth(3.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const CRect rect(5, 6, 55, 46);
    view->SetupRenderingTransforms(false, true, false, &rect);
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 5);
    EXPECT_EQ(box[1], 6);
    EXPECT_EQ(box[2], 50);
    EXPECT_EQ(box[3], 40);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ZERO);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);

    view->SetupRenderingTransforms(false, true, false, nullptr);
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[2], 200);
    EXPECT_EQ(box[3], 100);

    // A zero-size viewport, picking or not, sends OpenGL nothing it refuses.
    while (glGetError() != GL_NO_ERROR) {
    }
    view->set_viewport(0, 0, 0, 0);
    view->pick_mode(1, 10, 10, 5, 5);
    view->SetupRenderingTransforms(true, true, false, nullptr);
    view->pick_mode(0, 0, 0, 0, 0);
    view->SetupRenderingTransforms(false, false, false, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    view->set_viewport(0, 0, 200, 100);

    // A camera that cannot project leaves both matrices at the identity.
    view->set_eye(view->get_target());
    view->SetupRenderingTransforms(false, true, false, nullptr);
    const Transforms gl;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(gl.projection[i], i % 5 == 0 ? 1.0 : 0.0);
        EXPECT_EQ(gl.modelView[i], i % 5 == 0 ? 1.0 : 0.0);
    }
}

// The set-up puts the line width back to 1 through the driver, so that a width asked for again
// after it reaches OpenGL instead of being taken for the one already sent.
TEST_F(DsView3dCdcGLTest, AWidthAskedForAgainAfterTheSetUpReachesOpenGl)
{
    PlainWindow w1(120, 80);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 120, 80);
    CDsView3dCdc::StGetCurrent();
    CDsDriverGl::StForceWidth(2);
    CDsDriverGl::StSetWidth(3);
    view->SetupRenderingTransforms(false, true, false, nullptr);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    EXPECT_EQ(CDsDriverGl::mWidth, 1);
    CDsDriverGl::StSetWidth(3);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    CDsDriverGl::StForceWidth(1);  // the cache as a fresh context's width leaves it
}

TEST_F(DsView3dCdcGLTest, TwoDimensionalDrawingCountsPixelsFromTheLowerLeftCorner)
{
    PlainWindow w1(200, 100);
    CDsGlContext context;
    auto view = ViewOn(w1, context, 200, 100);
    CDsView3dCdc::StGetCurrent();
    ViewSetup().ApplyTo(*view);
    view->SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_LIGHTING);
    vyrtest::Clear(kBlack);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    view->Start2dDraw();
    view->set_foreground_rgb(CDsColorStorage(255, 0, 0));  // outside a plot: straight to OpenGL
    glBegin(GL_QUADS);
    glVertex2i(10, 20);
    glVertex2i(14, 20);
    glVertex2i(14, 24);
    glVertex2i(10, 24);
    glEnd();
    view->End2dDraw();
    GLint depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 12, 22), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 12, 77), kBlack));  // not mirrored about the middle row

    // A zero-size viewport still pushes and pops in pairs.
    view->set_viewport(0, 0, 0, 0);
    view->Start2dDraw();
    view->End2dDraw();
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DsView3dCdcGLTest, AViewOfAWindowDrawsItsTwoDimensionalCallsIntoThatWindowUpright)
{
    FrameworkWindow window(200, 100);
    CDsGlContext context;
    auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
    EXPECT_EQ(view->GetWindow(), &window.wnd);
    int vx = -1, vy = -1, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);  // the window's client area
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(vy, 0);
    EXPECT_EQ(vw, 200);
    EXPECT_EQ(vh, 100);
    ViewSetup().ApplyTo(*view);  // 10 x 5 units at the origin on 200 x 100 pixels
    view->SetGlContext(&context);
    context.add_view(view.get());
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    ASSERT_NE(ContextOf(*view), nullptr);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kBlack);
    ASSERT_TRUE(context.SwapCurrentViewBuffers());

    // A line 10 pixels below the top, a square marker round a model point, and a "T" of 40
    // pixels hanging from (30, 40), each in its own colour.
    view->set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    const float line[4] = {20, 10, 180, 10};
    EXPECT_EQ(view->draw_polyline_2d(2, line, 0), 0);
    const SPAposition anchor(2.5, -1.0, 0.0);
    view->set_foreground_rgb(rgb_color(0.0, 1.0, 0.0));
    view->set_point_style(point_style_square);
    view->set_point_size(9);
    EXPECT_EQ(view->draw_point_3d(anchor), 0);
    view->set_foreground_rgb(rgb_color(0.0, 0.0, 1.0));
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(40);
    view->SetFont(font);
    EXPECT_EQ(view->draw_text_2d(30.0f, 40.0f, CVyrString(L"T")), 0);
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    const FrontBuffer front(200, 100);

    // The line: on row 89 counted from the bottom, not on its mirror, row 10.
    EXPECT_TRUE(front.Is(100, 89, kRed));
    EXPECT_TRUE(front.Is(25, 89, kRed));
    EXPECT_EQ(front.CountInRow(10, kRed), 0);

    // The marker: its centre where OpenGL projects the model point, an outline 9 pixels wide.
    view->SetupRenderingTransforms(false, true, false, nullptr);
    const auto projected = Transforms().Project(anchor);
    // (The pixel whose top edge the point's continuous y marks: drawable row 70 is GL row 29.)
    const int cx = static_cast<int>(std::lround(projected[0])), cy = static_cast<int>(std::lround(projected[1])) - 1;
    EXPECT_NEAR(projected[0], 150.0, 1e-3);
    for (const std::array<int, 2>& edge : {std::array<int, 2>{-4, 0}, {4, 0}, {0, -4}, {0, 4}, {-4, -4}, {4, 4}})
        EXPECT_TRUE(front.Is(cx + edge[0], cy + edge[1], kGreen)) << edge[0] << " " << edge[1];
    EXPECT_TRUE(front.Is(cx, cy, kBlack));
    EXPECT_EQ(front.Count(cx - 6, cy - 6, cx + 6, cy + 6, kGreen), 32);
    EXPECT_EQ(front.Count(cx - 6, 99 - cy - 6, cx + 6, 99 - cy + 6, kGreen), 0);

    // The text: below and right of its corner (rows 59 and down from the bottom), the T's bar on
    // top.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(front.Box(kBlue, x0, y0, x1, y1));
    EXPECT_GE(x0, 30);
    EXPECT_LE(x0, 40);
    EXPECT_LE(y1, 59);
    EXPECT_GE(y1, 50);
    EXPECT_GT(y1 - y0, 15);
    int widest = y0;
    for (int y = y0; y <= y1; ++y)
        if (front.CountInRow(y, kBlue) > front.CountInRow(widest, kBlue)) widest = y;
    EXPECT_GE(widest, y1 - 6) << "the widest row of the T is its bar, at the top";
    EXPECT_EQ(front.Count(0, 60, 199, 99, kBlue), 0);  // nothing above the corner

    // Every device context the drawing took went back: only the OpenGL record still holds one.
    auto* driver = dynamic_cast<CDsDriverCdcBase*>(view->get_driver_context());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetDCUseCount(), 1);
}

// The view's OpenGL record holds one use of its window's device context while the view is in
// its context; frames presented from a bitmap borrow the DC and give it back, and leaving the
// context gives back the record's use, with the driver's mapping taken off the DC.
TEST_F(DsView3dCdcGLTest, BitmapFramesAndLeavingTheContextGiveBackEveryUseOfTheWindowsDc)
{
    FrameworkWindow window(120, 80);
    CDsGlContext context;
    auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
    ViewSetup().Pixels(120, 80).ApplyTo(*view);
    view->set_viewport(10, 5, 100, 70);  // a mapping the DC would show if it kept it
    auto* driver = dynamic_cast<CDsDriverCdcBase*>(view->get_driver_context());
    ASSERT_NE(driver, nullptr);
    const int before = driver->GetDCUseCount();
    ASSERT_EQ(GetMapMode(window.plain.dc), MM_TEXT);
    view->SetGlContext(&context);
    context.add_view(view.get());
    EXPECT_EQ(driver->GetDCUseCount(), before + 1);

    context.SetRenderToBitmap(1);
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
        vyrtest::SetPixelProjection(100, 70);
        vyrtest::Clear(kRed);
        ASSERT_TRUE(context.SwapCurrentViewBuffers()) << frame;
        EXPECT_EQ(driver->GetDCUseCount(), before + 1) << frame;
    }
    context.SetRenderToBitmap(0);

    context.remove_view(view.get());
    EXPECT_EQ(driver->GetDCUseCount(), before);
    EXPECT_EQ(driver->GetCurrentDC(), nullptr);
    EXPECT_EQ(GetMapMode(window.plain.dc), MM_TEXT);
    POINT corner{0, 0};
    LPtoDP(window.plain.dc, &corner, 1);
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 0);
}

TEST_F(DsView3dCdcGLTest, TheEndOfADisplaySuspensionHasEveryViewWindowRepaint)
{
    FrameworkWindow w1(120, 80), w2(120, 80);
    CDsGlContext context;
    CDsView3dCdc first(&w1.wnd), second(&w2.wnd);
    for (CDsView3dCdc* view : {&first, &second}) {
        view->SetGlContext(&context);
        context.rendering_context::add_view(view);  // membership only: nothing is drawn here
    }
    auto validateBoth = [&] {
        ValidateRect(w1.plain.window, nullptr);
        ValidateRect(w2.plain.window, nullptr);
    };

    validateBoth();
    CDsView3dCdc::StSuspendDisplay();
    CDsView3dCdc::StSuspendDisplay();
    CDsView3dCdc::StResumeDisplay();
    EXPECT_FALSE(w1.Invalidated());
    EXPECT_FALSE(w2.Invalidated());
    CDsView3dCdc::StResumeDisplay();
    EXPECT_TRUE(w1.Invalidated());
    EXPECT_TRUE(w2.Invalidated());

    validateBoth();
    first.InValidateView();
    EXPECT_TRUE(w1.Invalidated());
    EXPECT_FALSE(w2.Invalidated());

    validateBoth();
    second.ResetDisplaySuspension();
    EXPECT_TRUE(w1.Invalidated());
    EXPECT_TRUE(w2.Invalidated());

    context.rendering_context::remove_view(&first);
    context.rendering_context::remove_view(&second);
}
