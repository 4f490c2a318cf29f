// Rendering configurations: which buffer a pass draws into, how the picture reaches the window,
// the notifications of a presented pass, and scopes that nest.
#include "DsGlContext.h"
#include "DsManager.h"
#include "DsPBuffer.h"
#include "DsView3dCdc.h"
#include "RenderingConfiguration.h"
#include "VyrNotifyFunctionality.h"

#include "GlHostState.h"
#include "ScopedEnv.h"
#include "TestResets.h"

#include "../DriverGlFixture.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
const std::vector<int> kPresented{6, 3, 8};

// The codes a context sent.
class Recorder : public CVyrNotifyReceiver {
public:
    void OnNotification(CVyrNotifyFunctionality&, int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// A 120 x 80 window view in a context, its OpenGL context current (CDsGlContext::sCurrentView),
// with the context's notifications recorded. Pbuffers are off unless a test loads the driver's
// extensions.
class RenderingConfigurationGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        DriverGlTest::SetUp();
        view_ = vyrtest::ViewOn(window, context_, 120, 80);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        ASSERT_EQ(CDsGlContext::sCurrentView, view_.get());
        context_.Subscribe(&recorder_);
        vyrtest::SetPixelProjection(120, 80);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_DEPTH_TEST);
        glDrawBuffer(GL_FRONT_AND_BACK);
        vyrtest::Clear(kBlack);
        glDrawBuffer(GL_BACK);
    }
    void TearDown() override
    {
        EXPECT_EQ(CRenderingConfigurationScope::StGetActive(), nullptr);
        context_.Unsubscribe(&recorder_);
        view_.reset();
        DriverGlTest::TearDown();
    }
    static GLenum DrawBuffer()
    {
        GLint buffer = 0;
        glGetIntegerv(GL_DRAW_BUFFER, &buffer);
        return static_cast<GLenum>(buffer);
    }
    vyrtest::ViewStaticsGuard statics_;
    vyrtest::PlainWindow window{120, 80};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    Recorder recorder_;
};

}  // namespace

TEST_F(RenderingConfigurationGLTest, ABackBufferPassIsCopiedToTheFrontAndKeptThenTheHostIsTold)
{
    CRenderingConfigurationScope scope(GL_BACK);
    ASSERT_NE(dynamic_cast<CRndrConfig_Back_FrameBuffer*>(scope.Get()), nullptr);
    EXPECT_TRUE(scope.IsActive());
    EXPECT_EQ(wglGetCurrentDC(), window.dc);
    EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_BACK));
    vyrtest::Clear(kRed);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlack));  // not shown before the end
    EXPECT_TRUE(recorder_.codes.empty());
    scope.Close();
    EXPECT_FALSE(scope.IsActive());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 60, 40), kRed));  // kept as the saved picture
    EXPECT_TRUE(context_.IsBackBufferValid());
    EXPECT_TRUE(view_->IsBackBufferValid());
    EXPECT_EQ(recorder_.codes, kPresented);
    scope.Close();  // a second close does nothing
    EXPECT_EQ(recorder_.codes, kPresented);
}

TEST_F(RenderingConfigurationGLTest, AFastRefreshPassIsSwappedAndNeverGoesThroughAPBuffer)
{
    CDsManager::GetInstance()->InitExtensions();
    ASSERT_TRUE(CDsDriverGl::IsPBufSupported());
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    {
        CRenderingConfigurationScope scope(GL_BACK);
        ASSERT_NE(dynamic_cast<CRndrConfig_Back_FrameBuffer*>(scope.Get()), nullptr);
        vyrtest::Clear(kGreen);
    }
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 60, 40), kBlack));  // a real swap clears the back
    EXPECT_FALSE(context_.IsBackBufferValid());
    EXPECT_EQ(recorder_.codes, kPresented);
    std::unique_ptr<CRenderingConfiguration> front(CRenderingConfiguration::Create(view_.get(), GL_FRONT));
    EXPECT_NE(dynamic_cast<CRndrConfig_Front_FrameBuffer*>(front.get()), nullptr);
}

TEST_F(RenderingConfigurationGLTest, FrontPassesDrawStraightIntoTheWindowWithoutNotifying)
{
    {
        CRenderingConfigurationScope scope(GL_FRONT);
        ASSERT_NE(dynamic_cast<CRndrConfig_Front_FrameBuffer*>(scope.Get()), nullptr);
        EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_FRONT));
        vyrtest::FillRect(kBlue, 0, 0, 60, 80);
    }
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 30, 40), kBlue));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 40), kBlack));
    {
        CRenderingConfigurationScope scope(GL_FRONT_AND_BACK);
        ASSERT_NE(dynamic_cast<CRndrConfig_FrontAndBack_FrameBuffer*>(scope.Get()), nullptr);
        vyrtest::FillRect(kGreen, 60, 0, 60, 80);
    }
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 90, 40), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 90, 40), kGreen));
    EXPECT_TRUE(recorder_.codes.empty());
}

TEST_F(RenderingConfigurationGLTest, NestedScopesShareTheOutermostWhichBeginsAndEndsOnce)
{
    CRenderingConfigurationScope outer(GL_BACK);
    ASSERT_TRUE(outer.IsActive());
    vyrtest::Clear(kRed);
    {
        CRenderingConfigurationScope inner(GL_FRONT);
        ASSERT_NE(inner.Get(), nullptr);
        EXPECT_FALSE(inner.IsActive());
        EXPECT_FALSE(inner.BeginIfIdle());
        EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_BACK));  // the inner one did not begin
        vyrtest::FillRect(kGreen, 0, 0, 20, 20);
        inner.End(true);  // not the active holder: nothing
    }
    EXPECT_TRUE(recorder_.codes.empty());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlack));
    EXPECT_EQ(CRenderingConfigurationScope::StGetActive(), &outer);
    outer.Close();
    EXPECT_EQ(recorder_.codes, kPresented);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 10), kGreen));
}

TEST_F(RenderingConfigurationGLTest, AnEarlyEndPresentsWithoutNotifyingAndLetsAnotherScopeBegin)
{
    CRenderingConfigurationScope scope(GL_BACK);
    vyrtest::Clear(kBlue);
    scope.End(false);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlue));
    EXPECT_TRUE(recorder_.codes.empty());
    EXPECT_EQ(CRenderingConfigurationScope::StGetActive(), nullptr);
    {
        CRenderingConfigurationScope later;
        later.Open(GL_FRONT);
        EXPECT_TRUE(later.IsActive());
    }
    scope.Close();  // only deletes
    EXPECT_TRUE(recorder_.codes.empty());
    EXPECT_FALSE(scope.BeginIfIdle());  // nothing left to begin
}

TEST_F(RenderingConfigurationGLTest, AnUnknownBufferOrNoCurrentViewGivesAScopeThatDoesNothing)
{
    EXPECT_EQ(CRenderingConfiguration::Create(view_.get(), GL_LEFT), nullptr);
    EXPECT_EQ(CRenderingConfiguration::Create(nullptr, GL_BACK), nullptr);
    {
        CRenderingConfigurationScope scope(GL_LEFT);
        EXPECT_EQ(scope.Get(), nullptr);
        EXPECT_FALSE(scope.IsActive());
        EXPECT_FALSE(scope.BeginIfIdle());
        scope.End(true);
    }
    CDsGlContext::sCurrentView = nullptr;
    {
        CRenderingConfigurationScope scope(GL_BACK);
        EXPECT_EQ(scope.Get(), nullptr);
    }
    EXPECT_TRUE(recorder_.codes.empty());
}

TEST_F(RenderingConfigurationGLTest, ABackPBufferPassDrawsOffScreenAndBringsThePictureToTheWindow)
{
    CDsManager::GetInstance()->InitExtensions();
    {
        CRenderingConfigurationScope scope(GL_BACK);
        auto* pass = dynamic_cast<CRndrConfig_Back_PBuffer*>(scope.Get());
        ASSERT_NE(pass, nullptr);
        ASSERT_EQ(pass->GetPBuffer(), view_->GetPBuffer());
        EXPECT_EQ(wglGetCurrentDC(), pass->GetPBuffer()->GetDC());
        EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_BACK));
        vyrtest::SetPixelProjection(120, 80);
        vyrtest::Clear(kRed);
        vyrtest::FillRect(kGreen, 0, 40, 120, 40);
        EXPECT_FALSE(view_->IsPBufferValid(true));
    }
    EXPECT_EQ(wglGetCurrentDC(), window.dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 20), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 60), kGreen));
    EXPECT_EQ(recorder_.codes, kPresented);
    // The pbuffer keeps the finished picture, so the view's back buffer counts as valid.
    EXPECT_TRUE(view_->IsPBufferValid(true));
    EXPECT_TRUE(view_->IsBackBufferValid());
}

namespace {

// The read buffer the current context has on `dc`: drivers keep it with the context or, as Mesa
// does, with the drawable read, so the tests look where the state was set.
GLenum ReadBufferOf(HDC dc)
{
    HGLRC context = wglGetCurrentContext();
    HDC current = wglGetCurrentDC();
    if (dc != current) wglMakeCurrent(dc, context);
    GLint buffer = 0;
    glGetIntegerv(GL_READ_BUFFER, &buffer);
    if (dc != current) wglMakeCurrent(current, context);
    return static_cast<GLenum>(buffer);
}

}  // namespace

// The copy of the pbuffer's back buffer into its front one switches off what must not touch the
// pixels and reads the back buffer, and bringing the picture into the window reads the pbuffer's
// front buffer; the pass's own state is as it left it afterwards (its read buffer on the pbuffer
// too, where the next pass reads), presented or not, whether the picture reaches the window by
// reading the pbuffer directly or, on a driver that cannot read another DC, through memory.
TEST_F(RenderingConfigurationGLTest, ABackPBufferPassHandsBackTheStateItsDrawingLeft)
{
    vyrtest::GlHostState pass;
    pass.depthTest = true;
    pass.blend = true;
    pass.logicOp = true;
    pass.lighting = true;
    pass.normalize = true;
    pass.depthFunction = GL_GREATER;
    pass.lineWidth = 3.0f;
    pass.drawBuffer = GL_BACK;  // the pass's, which the copy into the front buffer changes
    for (const char* extensions :
         {static_cast<const char*>(nullptr), "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer"}) {
        SCOPED_TRACE(extensions ? "through memory" : "direct");
        vyrtest::ScopedEnv driver("VYR_WGL_EXTENSIONS", extensions);
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        CDsManager::GetInstance()->InitExtensions();
        ASSERT_EQ(CDsDriverGl::wglMakeContextCurrentARB == nullptr, extensions != nullptr);
        // Each read buffer differs from one of the copies' own: the back buffer the pass's copy
        // reads, the front buffer the presentation reads.
        for (GLenum readBuffer : {GL_FRONT, GL_BACK}) {
            for (bool notify : {true, false}) {
                SCOPED_TRACE(testing::Message() << "read buffer 0x" << std::hex << readBuffer << ", notify " << notify);
                pass.readBuffer = static_cast<GLint>(readBuffer);
                glReadBuffer(readBuffer);  // the window's, where the host reads the same
                CRenderingConfigurationScope scope(GL_BACK);
                auto* config = dynamic_cast<CRndrConfig_Back_PBuffer*>(scope.Get());
                ASSERT_NE(config, nullptr);
                vyrtest::SetPixelProjection(120, 80);
                vyrtest::Clear(kGreen);
                pass.Apply();
                glScissor(10, 10, 20, 20);
                scope.End(notify);
                EXPECT_EQ(wglGetCurrentDC(), window.dc);
                EXPECT_EQ(vyrtest::GlHostState::Read(), pass);
                EXPECT_EQ(ReadBufferOf(config->GetPBuffer()->GetDC()), readBuffer);
                GLint box[4] = {};
                glGetIntegerv(GL_SCISSOR_BOX, box);
                EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 10, 20, 20}));
                // The copy itself was not blended, mixed or depth-tested away: the window shows it.
                if (notify) {
                    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kGreen));
                }
                vyrtest::GlHostState().Apply();
            }
        }
    }
}

TEST_F(RenderingConfigurationGLTest, AFrontPBufferPassEndedQuietlyShowsNothing)
{
    CDsManager::GetInstance()->InitExtensions();
    {
        CRenderingConfigurationScope scope(GL_FRONT);
        auto* pass = dynamic_cast<CRndrConfig_Front_PBuffer*>(scope.Get());
        ASSERT_NE(pass, nullptr);
        EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_FRONT));
        vyrtest::Clear(kBlue);
        scope.End(false);
        EXPECT_EQ(wglGetCurrentDC(), window.dc);  // later drawing reaches the window
    }
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlack));
    EXPECT_TRUE(recorder_.codes.empty());
    {
        CRenderingConfigurationScope scope(GL_FRONT_AND_BACK);
        ASSERT_NE(dynamic_cast<CRndrConfig_FrontAndBack_PBuffer*>(scope.Get()), nullptr);
        EXPECT_EQ(DrawBuffer(), static_cast<GLenum>(GL_FRONT_AND_BACK));
    }
    // Presented: the pbuffer's front (blue, then cleared over by nothing) reaches the window.
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlue));
    EXPECT_EQ(recorder_.codes, kPresented);
}
