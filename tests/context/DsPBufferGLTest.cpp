// A view's off-screen buffer: made of the viewport's size and cleared, valid until it no longer
// fits the viewport, its picture brought into the window, and what the view forgets with it.
#include "DriverGlFixture.h"
#include "DsManager.h"
#include "DsPBuffer.h"
#include "ScopedEnv.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <gtest/gtest.h>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// A 120 x 80 window view in a context, current, with the driver's pbuffer entry points loaded.
class DsPBufferGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        DriverGlTest::SetUp();
        CDsManager::GetInstance()->InitExtensions();
        ASSERT_TRUE(CDsDriverGl::IsPBufSupported());
        view_ = vyrtest::ViewOn(window, context_, 120, 80);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
    }
    void TearDown() override
    {
        view_.reset();
        DriverGlTest::TearDown();
    }
    // Fills the front buffer of what is current.
    static void FillFront(const Rgb& color)
    {
        glDrawBuffer(GL_FRONT);
        vyrtest::Clear(color);
        glDrawBuffer(GL_BACK);
    }
    // Draws the pbuffer's picture into the window's black back buffer and checks it arrived
    // upright: green below, blue above, from the pbuffer's front buffer, not its red back buffer.
    // With `blending`, blending that would blacken every pixel is left on by the frame before, and
    // is on again afterwards.
    void ExpectThePictureInTheWindow(CDsPBuffer* pbuffer, bool blending = false)
    {
        const HGLRC gl = wglGetCurrentContext();
        ASSERT_TRUE(wglMakeCurrent(pbuffer->GetDC(), gl));
        glDrawBuffer(GL_FRONT);
        vyrtest::SetPixelProjection(120, 80);
        glDisable(GL_SCISSOR_TEST);
        vyrtest::Clear(kGreen);
        vyrtest::FillRect(kBlue, 0, 40, 120, 40);
        glDrawBuffer(GL_BACK);
        vyrtest::Clear(kRed);

        ASSERT_TRUE(wglMakeCurrent(window.dc, gl));
        vyrtest::Clear(kBlack);
        if (blending) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ZERO, GL_ZERO);
        }
        EXPECT_TRUE(pbuffer->DrawAsTexture(window.dc));
        EXPECT_EQ(glIsEnabled(GL_BLEND), blending ? GL_TRUE : GL_FALSE);
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        EXPECT_EQ(wglGetCurrentDC(), window.dc);
        EXPECT_EQ(wglGetCurrentReadDCARB(), window.dc);
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 5), kGreen));
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 115, 35), kGreen));
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 75), kBlue));
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 115, 45), kBlue));
        GLint draw = 0;
        glGetIntegerv(GL_DRAW_BUFFER, &draw);
        EXPECT_EQ(draw, GL_BACK);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    vyrtest::ViewStaticsGuard statics_;
    vyrtest::PlainWindow window{120, 80};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace

TEST_F(DsPBufferGLTest, APBufferHasTheViewportsSizeStartsBlackAndLeavesTheViewCurrent)
{
    // Something in the view's buffers and a clear colour of the caller's, which making the
    // pbuffer must not change.
    FillFront(kRed);
    glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
    CDsPBuffer* pbuffer = view_->GetPBuffer();
    ASSERT_NE(pbuffer, nullptr);
    ASSERT_NE(pbuffer->GetDC(), nullptr);
    EXPECT_EQ(pbuffer->GetWidth(), 120);
    EXPECT_EQ(pbuffer->GetHeight(), 80);
    EXPECT_TRUE(pbuffer->IsValid());
    EXPECT_FALSE(pbuffer->IsTexture());  // not drawn back as a texture without the switch
    EXPECT_EQ(view_->GetPBuffer(), pbuffer);  // made once
    EXPECT_EQ(wglGetCurrentDC(), window.dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 10), kRed));  // the window untouched
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[2], 1.0f);

    ASSERT_TRUE(wglMakeCurrent(pbuffer->GetDC(), wglGetCurrentContext()));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 40), kBlack));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 119, 79), kBlack));
}

TEST_F(DsPBufferGLTest, ValidityFollowsTheViewportAndTheCompletePicture)
{
    EXPECT_TRUE(view_->IsPBufferValid(false));
    EXPECT_FALSE(view_->IsPBufferValid(true));  // no finished picture yet
    EXPECT_FALSE(view_->IsBackBufferValid());
    view_->GetPBuffer()->SetComplete(true);
    EXPECT_TRUE(view_->IsPBufferValid(true));
    EXPECT_TRUE(view_->IsBackBufferValid());

    // A pbuffer of the old size no longer fits: dropped, and the next one has the new size.
    view_->set_viewport(0, 0, 100, 60);
    EXPECT_FALSE(view_->IsPBufferValid(false));
    CDsPBuffer* resized = view_->GetPBuffer();
    EXPECT_EQ(resized->GetWidth(), 100);
    EXPECT_EQ(resized->GetHeight(), 60);
    EXPECT_FALSE(resized->IsComplete());
    EXPECT_TRUE(view_->IsPBufferValid(false));

    // A zero-size viewport gets no pbuffer.
    view_->set_viewport(0, 0, 0, 0);
    EXPECT_FALSE(view_->IsPBufferValid(false));
    EXPECT_EQ(view_->GetPBuffer()->GetDC(), nullptr);
    EXPECT_FALSE(view_->GetPBuffer()->IsValid());
}

TEST_F(DsPBufferGLTest, ThePictureReachesTheWindowsBackBufferUpright)
{
    // Read straight from the pbuffer while the context draws into the window.
    ASSERT_NE(CDsDriverGl::wglMakeContextCurrentARB, nullptr);
    CDsPBuffer* pbuffer = view_->GetPBuffer();
    ExpectThePictureInTheWindow(pbuffer);
    EXPECT_FALSE(pbuffer->DrawAsTexture(nullptr));

    ExpectThePictureInTheWindow(pbuffer, true);
}

TEST_F(DsPBufferGLTest, WithoutReadingAnotherDcThePictureTravelsThroughMemory)
{
    // A driver without "WGL_ARB_make_current_read": the same picture by the pixel copy through
    // the pbuffer's pixel block.
    vyrtest::ScopedEnv extensions("VYR_WGL_EXTENSIONS", "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer");
    VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
    CDsManager::GetInstance()->InitExtensions();
    ASSERT_TRUE(CDsDriverGl::IsPBufSupported());
    EXPECT_EQ(CDsDriverGl::wglMakeContextCurrentARB, nullptr);
    EXPECT_FALSE(CDsDriverGl::CopyPixelsDirect(view_->GetPBuffer()->GetDC(), window.dc, 0, 0, 120, 80, GL_FRONT,
                                               GL_BACK));
    ExpectThePictureInTheWindow(view_->GetPBuffer(), true);
}

TEST_F(DsPBufferGLTest, InvalidatingDropsThePBufferAndTheHighlightsKeptForTheNextRefresh)
{
    view_->GetPBuffer()->SetComplete(true);
    context_.SetHighlightData({CVyrObjectPath()}, eAttribSetMark);
    context_.SetHighlightData(SPAposition(1, 2, 3), 5, eAttribSetHighlight);
    view_->InvalidatePBuffers();
    EXPECT_TRUE(context_.GetHighlightData().paths.empty());
    EXPECT_EQ(context_.GetHighlightData().attributeSet, 0);
    EXPECT_EQ(context_.GetHighlightData().paramPointType, -1);
    EXPECT_FALSE(view_->GetPBuffer()->IsComplete());  // a new one
    EXPECT_FALSE(view_->IsPBufferValid(true));
}
