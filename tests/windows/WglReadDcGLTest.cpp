// A context that reads one device context while it draws into another: pixels copied from the
// read DC land in the draw DC, wglMakeCurrent reads what it draws again, a read surface that goes
// leaves the context reading its draw DC, and pairs it cannot take fail and change nothing.
#include "GlTestFixture.h"

#include <string>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// The fixture's 200 x 100 window, red, and a 64 x 32 pbuffer, green in front and blue behind.
class WglReadDcGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        pbuffer_ = wglCreatePbufferARB(window_->dc, 1, 64, 32, nullptr);
        ASSERT_NE(pbuffer_, nullptr);
        pdc_ = wglGetPbufferDCARB(pbuffer_);
        ASSERT_TRUE(wglMakeCurrent(pdc_, window_->context));
        glDrawBuffer(GL_FRONT);
        vyrtest::Clear(kGreen);
        glDrawBuffer(GL_BACK);
        vyrtest::Clear(kBlue);
        ASSERT_TRUE(window_->MakeCurrent());
        vyrtest::Clear(kRed);
    }
    void TearDown() override {
        if (pbuffer_) wglDestroyPbufferARB(pbuffer_);
        GlTest::TearDown();
    }
    HPBUFFERARB pbuffer_ = nullptr;
    HDC pdc_ = nullptr;
};

}  // namespace

TEST_F(WglReadDcGLTest, PixelsCopiedFromTheReadDcLandInTheDrawDc) {
    auto makeCurrent =
        reinterpret_cast<PFNWGLMAKECONTEXTCURRENTARBPROC>(wglGetProcAddress("wglMakeContextCurrentARB"));
    ASSERT_NE(makeCurrent, nullptr);
    EXPECT_NE(std::string(wglGetExtensionsStringARB(window_->dc)).find("WGL_ARB_make_current_read"),
              std::string::npos);

    ASSERT_TRUE(makeCurrent(window_->dc, pdc_, window_->context));
    EXPECT_EQ(wglGetCurrentDC(), window_->dc);
    EXPECT_EQ(wglGetCurrentReadDCARB(), pdc_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kBlue));  // the pbuffer's
    vyrtest::SetPixelProjection(200, 100);
    glReadBuffer(GL_FRONT);
    glRasterPos2i(100, 50);
    glCopyPixels(0, 0, 64, 32, GL_COLOR);

    // wglMakeCurrent reads what it draws into again.
    ASSERT_TRUE(wglMakeCurrent(window_->dc, window_->context));
    EXPECT_EQ(wglGetCurrentReadDCARB(), window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 163, 81), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 165, 60), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WglReadDcGLTest, ASurfaceThatGoesEndsReadingItAndBadPairsChangeNothing) {
    ASSERT_TRUE(wglMakeContextCurrentARB(window_->dc, pdc_, window_->context));
    HGLRC gone = wglCreateContext(window_->dc);
    ASSERT_TRUE(wglDeleteContext(gone));
    EXPECT_FALSE(wglMakeContextCurrentARB(window_->dc, pdc_, gone));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(wglMakeContextCurrentARB(window_->dc, nullptr, window_->context));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(wglGetCurrentReadDCARB(), pdc_);

    // The read DC's pbuffer goes: the context stays on the window and reads it.
    ASSERT_TRUE(wglDestroyPbufferARB(pbuffer_));
    pbuffer_ = nullptr;
    EXPECT_EQ(wglGetCurrentContext(), window_->context);
    EXPECT_EQ(wglGetCurrentReadDCARB(), window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));

    // No context releases, whatever the DCs.
    EXPECT_TRUE(wglMakeContextCurrentARB(window_->dc, window_->dc, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentReadDCARB(), nullptr);
    ASSERT_TRUE(window_->MakeCurrent());
}
