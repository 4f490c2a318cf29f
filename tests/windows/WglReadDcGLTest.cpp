// A context that reads one device context while it draws into another: pixels read and copied
// from the read DC land in the draw DC, wglMakeCurrent reads and draws one DC again, a read
// surface that goes leaves the context reading its draw DC, and pairs the context cannot take
// fail without changing what is current.
#include "GlTestFixture.h"

#include <string>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// The fixture's 200 x 100 window and a 64 x 32 pbuffer whose front buffer is green and back
// buffer blue, the window's back buffer red; the window current again.
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

// A memory DC holding a bitmap, with the bitmap pixel format set.
struct BitmapDc {
    BitmapDc() {
        SelectObject(dc, bitmap);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL;
        pfd.iPixelType = PFD_TYPE_RGBA;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    }
    ~BitmapDc() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(16, 16, 1, 24, nullptr);
};

}  // namespace

TEST_F(WglReadDcGLTest, PixelsReadFromOneDcAndCopiedIntoAnother) {
    auto makeCurrent =
        reinterpret_cast<PFNWGLMAKECONTEXTCURRENTARBPROC>(wglGetProcAddress("wglMakeContextCurrentARB"));
    auto readDc = reinterpret_cast<PFNWGLGETCURRENTREADDCARBPROC>(wglGetProcAddress("wglGetCurrentReadDCARB"));
    ASSERT_TRUE(makeCurrent && readDc);
    EXPECT_NE(std::string(wglGetExtensionsStringARB(window_->dc)).find("WGL_ARB_make_current_read"),
              std::string::npos);
    EXPECT_EQ(readDc(), window_->dc);

    ASSERT_TRUE(makeCurrent(window_->dc, pdc_, window_->context));
    EXPECT_EQ(wglGetCurrentContext(), window_->context);
    EXPECT_EQ(wglGetCurrentDC(), window_->dc);
    EXPECT_EQ(readDc(), pdc_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kBlue));  // the pbuffer's
    // The pbuffer's front buffer copied into the window's back buffer at (100, 50).
    vyrtest::SetPixelProjection(200, 100);
    glReadBuffer(GL_FRONT);
    glDrawBuffer(GL_BACK);
    glRasterPos2i(100, 50);
    glCopyPixels(0, 0, 64, 32, GL_COLOR);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The same DC twice is wglMakeCurrent: reading the window again.
    ASSERT_TRUE(makeCurrent(window_->dc, window_->dc, window_->context));
    EXPECT_EQ(readDc(), window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 120, 60), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 163, 81), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 165, 60), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));

    // wglMakeCurrent after a separate read DC reads what it draws into.
    ASSERT_TRUE(makeCurrent(window_->dc, pdc_, window_->context));
    ASSERT_TRUE(wglMakeCurrent(window_->dc, window_->context));
    EXPECT_EQ(readDc(), window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));

    // Drawing into the pbuffer while reading the window.
    ASSERT_TRUE(makeCurrent(pdc_, window_->dc, window_->context));
    EXPECT_EQ(wglGetCurrentDC(), pdc_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
    ASSERT_TRUE(wglMakeCurrent(pdc_, window_->context));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kBlue));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WglReadDcGLTest, ASurfaceThatGoesEndsReadingItOrReleasesTheContext) {
    // The read DC's pbuffer goes: the context stays on the window and reads it.
    ASSERT_TRUE(wglMakeContextCurrentARB(window_->dc, pdc_, window_->context));
    ASSERT_TRUE(wglDestroyPbufferARB(pbuffer_));
    pbuffer_ = nullptr;
    EXPECT_EQ(wglGetCurrentContext(), window_->context);
    EXPECT_EQ(wglGetCurrentDC(), window_->dc);
    EXPECT_EQ(wglGetCurrentReadDCARB(), window_->dc);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The draw DC's pbuffer goes: the context is released, whatever it read.
    HPBUFFERARB other = wglCreatePbufferARB(window_->dc, 1, 16, 16, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(wglMakeContextCurrentARB(wglGetPbufferDCARB(other), window_->dc, window_->context));
    ASSERT_TRUE(wglDestroyPbufferARB(other));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentDC(), nullptr);
    EXPECT_EQ(wglGetCurrentReadDCARB(), nullptr);
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
}

TEST_F(WglReadDcGLTest, PairsTheContextCannotTakeFailAndLeaveWhatWasCurrent) {
    ASSERT_TRUE(wglMakeContextCurrentARB(window_->dc, pdc_, window_->context));
    auto stillCurrent = [&] {
        EXPECT_EQ(wglGetCurrentContext(), window_->context);
        EXPECT_EQ(wglGetCurrentDC(), window_->dc);
        EXPECT_EQ(wglGetCurrentReadDCARB(), pdc_);
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kBlue));
    };

    // A context that is gone.
    HGLRC gone = wglCreateContext(window_->dc);
    ASSERT_TRUE(wglDeleteContext(gone));
    EXPECT_FALSE(wglMakeContextCurrentARB(window_->dc, pdc_, gone));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    stillCurrent();
    // A DC without OpenGL.
    EXPECT_FALSE(wglMakeContextCurrentARB(window_->dc, nullptr, window_->context));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    stillCurrent();

    // A bitmap's DC has another pixel format than the window's context.
    BitmapDc first, second;
    ASSERT_EQ(GetPixelFormat(first.dc), 2);
    EXPECT_FALSE(wglMakeContextCurrentARB(window_->dc, first.dc, window_->context));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PIXEL_TYPE_ARB));
    stillCurrent();
    // Two bitmaps never pair, though a bitmap context takes each of them.
    HGLRC bitmapContext = wglCreateContext(first.dc);
    ASSERT_NE(bitmapContext, nullptr);
    EXPECT_FALSE(wglMakeContextCurrentARB(first.dc, second.dc, bitmapContext));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INCOMPATIBLE_DEVICE_CONTEXTS_ARB));
    stillCurrent();
    ASSERT_TRUE(wglMakeContextCurrentARB(first.dc, first.dc, bitmapContext));
    EXPECT_EQ(wglGetCurrentReadDCARB(), first.dc);

    // No context: released, whatever the DCs.
    EXPECT_TRUE(wglMakeContextCurrentARB(window_->dc, pdc_, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglGetCurrentDC(), nullptr);
    EXPECT_EQ(wglGetCurrentReadDCARB(), nullptr);
    EXPECT_TRUE(wglDeleteContext(bitmapContext));
    ASSERT_TRUE(window_->MakeCurrent());
}
