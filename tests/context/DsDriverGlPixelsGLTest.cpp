// Pixel copies of the driver statics: between the front and back buffers, between device
// contexts, into memory and into framework bitmaps; and what bad device contexts and rectangles
// answer. Every check reads the buffers back.
#include "DriverGlFixture.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

class DsDriverGlPixelsGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        vyrtest::DriverGlTest::SetUp();
        vyrtest::SetPixelProjection(200, 100);
    }
    void TearDown() override
    {
        CGdiObject::DeleteTempMap();
        CDC::DeleteTempMap();
        vyrtest::DriverGlTest::TearDown();
    }
};

// Fills a rectangle of one buffer, exactly, and draws into GL_BACK again afterwards.
void Fill(GLenum buffer, const Rgb& color, int x, int y, int w, int h)
{
    glDrawBuffer(buffer);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    vyrtest::Clear(color);
    glDisable(GL_SCISSOR_TEST);
    glDrawBuffer(GL_BACK);
}

// The read buffer of the current context (on some drivers: of the drawable it reads).
GLenum ReadBuffer()
{
    GLint buffer = 0;
    glGetIntegerv(GL_READ_BUFFER, &buffer);
    return static_cast<GLenum>(buffer);
}

void FillAll(GLenum buffer, const Rgb& color)
{
    Fill(buffer, color, 0, 0, 200, 100);
}

// A window without a pixel format, and its DC.
struct BareWindow {
    HWND window = CreateWindowExW(0, L"VyrBare", L"", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HDC dc = window ? GetDC(window) : nullptr;
    ~BareWindow()
    {
        if (window) {
            ReleaseDC(window, dc);
            DestroyWindow(window);
        }
    }
};

GLint StackDepth(GLenum which)
{
    GLint depth = 0;
    glGetIntegerv(which, &depth);
    return depth;
}

}  // namespace

TEST_F(DsDriverGlPixelsGLTest, ColorBufferCopiesFrontToBackAndBackToFront)
{
    FillAll(GL_BACK, kRed);
    FillAll(GL_FRONT, kBlue);
    Fill(GL_FRONT, kGreen, 180, 80, 20, 20);  // a corner marks where the copy lands
    glRasterPos2i(37, 21);                    // anywhere valid: the copy goes to the origin

    ASSERT_TRUE(CDsDriverGl::CopyColorBuffer(true));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kBlue));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 190, 90), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 175, 90), kBlue));
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &draw);
    EXPECT_EQ(draw, GL_BACK);

    FillAll(GL_BACK, kRed);
    Fill(GL_BACK, kGreen, 0, 0, 10, 10);
    ASSERT_TRUE(CDsDriverGl::CopyColorBuffer(false));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 50), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 5, 5), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 12, 12), kRed));
    glGetIntegerv(GL_DRAW_BUFFER, &draw);
    EXPECT_EQ(draw, GL_FRONT);  // the target stays the draw buffer
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlPixelsGLTest, ColorBufferCopyWithoutAValidRasterPositionSaysSo)
{
    FillAll(GL_BACK, kRed);
    FillAll(GL_FRONT, kBlue);
    glRasterPos3f(10.0f, 10.0f, 5.0f);  // beyond the far plane: invalid
    GLint valid = GL_TRUE;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    ASSERT_FALSE(valid);
    EXPECT_FALSE(CDsDriverGl::CopyColorBuffer(true));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), kRed));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlPixelsGLTest, RectangleCopiesLandInPlaceWhateverTheViewport)
{
    FillAll(GL_BACK, kRed);
    Fill(GL_BACK, kGreen, 50, 30, 20, 10);
    FillAll(GL_FRONT, kBlue);
    glViewport(20, 10, 120, 60);  // neither the rectangle's size nor at the window's corner
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);

    ASSERT_TRUE(CDsDriverGl::CopyPixels(50, 30, 20, 10, true));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 55, 35), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 69, 39), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 45, 35), kBlue));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 75, 35), kBlue));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 60, 45), kBlue));
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &draw);
    EXPECT_EQ(draw, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));  // off for the copy only: the frame's blending is back

    // Front to back, at the window's far corner.
    Fill(GL_FRONT, kGreen, 190, 90, 10, 10);
    ASSERT_TRUE(CDsDriverGl::CopyPixels(185, 85, 15, 15, false));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 195, 95), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 187, 87), kBlue));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 180, 80), kRed));

    EXPECT_FALSE(CDsDriverGl::CopyPixels(0, 0, 0, 10, true));
    EXPECT_FALSE(CDsDriverGl::CopyPixels(0, 0, 10, -1, true));
    EXPECT_EQ(StackDepth(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(StackDepth(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// What a copy switches off or narrows for itself it puts back: later drawing in the frame is
// neither clipped to the copied rectangle nor drawn without its blending or depth test.
TEST_F(DsDriverGlPixelsGLTest, CopiesPutBackTheScissorBoxAndSwitchesTheyFound)
{
    struct Found {
        GLint box[4] = {0, 0, 0, 0};
        bool scissor, blend, depth, logicOp;
        Found()
            : scissor(glIsEnabled(GL_SCISSOR_TEST)), blend(glIsEnabled(GL_BLEND)), depth(glIsEnabled(GL_DEPTH_TEST)),
              logicOp(glIsEnabled(GL_COLOR_LOGIC_OP))
        {
            glGetIntegerv(GL_SCISSOR_BOX, box);
        }
    };
    auto expectAsBefore = [](const char* what) {
        const Found now;
        EXPECT_EQ(now.box[0], 10) << what;
        EXPECT_EQ(now.box[1], 5) << what;
        EXPECT_EQ(now.box[2], 180) << what;
        EXPECT_EQ(now.box[3], 90) << what;
        EXPECT_TRUE(now.scissor) << what;
        EXPECT_TRUE(now.blend) << what;
        EXPECT_TRUE(now.depth) << what;
        EXPECT_TRUE(now.logicOp) << what;
    };
    FillAll(GL_BACK, kRed);
    FillAll(GL_FRONT, kBlue);
    glScissor(10, 5, 180, 90);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_LOGIC_OP);

    ASSERT_TRUE(CDsDriverGl::CopyPixels(50, 30, 20, 10, true));
    expectAsBefore("back to front");
    ASSERT_TRUE(CDsDriverGl::CopyPixels(50, 30, 20, 10, false));
    expectAsBefore("front to back");
    std::vector<unsigned char> pixels;
    glReadBuffer(GL_FRONT);
    ASSERT_TRUE(CDsDriverGl::CopyPixels(window_->dc, window_->dc, 50, 30, 20, 10, GL_BACK, GL_FRONT, pixels, false));
    expectAsBefore("between device contexts");
    EXPECT_EQ(ReadBuffer(), GLenum(GL_FRONT));  // the read buffer too
    glReadBuffer(GL_BACK);

    // The next drawing of the frame reaches the whole box it was given, not the copied rectangle.
    vyrtest::Clear(kGreen);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 15, 10), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 185, 90), kGreen));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 2), kRed));
    for (GLenum cap : {GL_SCISSOR_TEST, GL_BLEND, GL_DEPTH_TEST, GL_COLOR_LOGIC_OP}) glDisable(cap);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlPixelsGLTest, PixelsTravelBetweenDeviceContextsThroughTheCurrentContext)
{
    vyrtest::GlWindow other(200, 100);
    ASSERT_TRUE(other.Valid());
    ASSERT_TRUE(wglMakeCurrent(other.dc, window_->context));
    FillAll(GL_BACK, kBlack);
    ASSERT_TRUE(window_->MakeCurrent());
    FillAll(GL_BACK, kBlack);
    Fill(GL_BACK, kRed, 10, 10, 30, 20);

    std::vector<unsigned char> pixels(100000, 7);  // a larger block from before: sized anew
    ASSERT_TRUE(CDsDriverGl::CopyPixels(window_->dc, other.dc, 10, 10, 30, 20, GL_BACK, GL_BACK, pixels, false));
    EXPECT_EQ(pixels.size(), 3u * 30 * 20);
    EXPECT_EQ(wglGetCurrentDC(), other.dc);  // the context stays on the target
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 20), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 45, 20), kBlack));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 5), kBlack));

    // With alpha, into the target's front buffer: the draw buffer is the back one afterwards.
    ASSERT_TRUE(window_->MakeCurrent());
    std::vector<unsigned char> small(3, 0);
    ASSERT_TRUE(CDsDriverGl::CopyPixels(window_->dc, other.dc, 10, 10, 30, 20, GL_BACK, GL_FRONT, small, true));
    EXPECT_EQ(small.size(), 4u * 30 * 20);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 25, 20), kRed));
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &draw);
    EXPECT_EQ(draw, GL_BACK);
    EXPECT_EQ(StackDepth(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    ASSERT_TRUE(window_->MakeCurrent());
}

TEST_F(DsDriverGlPixelsGLTest, DirectCopiesReadOneDeviceContextAndDrawIntoAnother)
{
    vyrtest::GlWindow other(200, 100);
    ASSERT_TRUE(other.Valid());
    ASSERT_TRUE(wglMakeCurrent(other.dc, window_->context));
    FillAll(GL_BACK, kBlack);
    ASSERT_TRUE(window_->MakeCurrent());
    Fill(GL_BACK, kRed, 10, 10, 30, 20);
    Fill(GL_BACK, kBlue, 40, 10, 5, 5);  // beside the rectangle: not copied

    // Nothing without the entry point, which the pbuffer extensions bring.
    EXPECT_FALSE(CDsDriverGl::CopyPixelsDirect(window_->dc, other.dc, 10, 10, 30, 20, GL_BACK, GL_BACK));
    CDsDriverGl::InitGeneralExtensions();
    CDsDriverGl::InitPBufExtensions();
    EXPECT_FALSE(CDsDriverGl::CopyPixelsDirect(window_->dc, other.dc, 10, 10, 30, 20, GL_BACK, GL_NONE));

    // Blending of the frame's changes nothing, and stays on. The read buffer the frame chose stays
    // (set on both windows: drivers keep it with the context or with the drawable read).
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ZERO);
    ASSERT_TRUE(wglMakeCurrent(other.dc, window_->context));
    glReadBuffer(GL_FRONT);
    ASSERT_TRUE(window_->MakeCurrent());
    glReadBuffer(GL_FRONT);
    ASSERT_TRUE(CDsDriverGl::CopyPixelsDirect(window_->dc, other.dc, 10, 10, 30, 20, GL_BACK, GL_BACK));
    EXPECT_EQ(wglGetCurrentDC(), other.dc);  // the context stays on the target, reading it too
    EXPECT_EQ(wglGetCurrentReadDCARB(), other.dc);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(ReadBuffer(), GLenum(GL_FRONT));
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_EQ(ReadBuffer(), GLenum(GL_FRONT));
    glReadBuffer(GL_BACK);
    ASSERT_TRUE(wglMakeCurrent(other.dc, window_->context));
    glReadBuffer(GL_BACK);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 10, 10), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 39, 29), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 42, 12), kBlack));
    EXPECT_EQ(StackDepth(GL_PROJECTION_STACK_DEPTH), 1);
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlPixelsGLTest, ReadPixelsGivesRowsFromTheBottom)
{
    FillAll(GL_BACK, kBlack);
    Fill(GL_BACK, kRed, 10, 10, 2, 1);
    Fill(GL_BACK, kGreen, 10, 11, 2, 1);
    std::vector<unsigned char> pixels;
    ASSERT_EQ(CDsDriverGl::ReadPixels(window_->dc, 10, 10, 2, 2, GL_BACK, pixels, false), 12);
    ASSERT_EQ(pixels.size(), 12u);
    const unsigned char expected[12] = {255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(pixels[i], expected[i]) << "byte " << i;
    ASSERT_EQ(CDsDriverGl::ReadPixels(window_->dc, 10, 10, 2, 2, GL_BACK, pixels, true), 16);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[9], 255);  // green of the second row's first pixel
    EXPECT_EQ(StackDepth(GL_PROJECTION_STACK_DEPTH), 1);
}

TEST_F(DsDriverGlPixelsGLTest, BitmapOfTheBackBufferIsThePictureAsShown)
{
    FillAll(GL_BACK, kBlack);
    // Rows from the bottom: distinct values in every channel, so that a missed or a second
    // red-blue swap shows.
    const Rgb rows[4] = {{200, 10, 30}, {40, 50, 250}, {0, 255, 100}, {90, 60, 120}};
    for (int i = 0; i < 4; ++i) Fill(GL_BACK, rows[i], 10, 20 + i, 4, 1);

    for (int height : {3, 4}) {
        SCOPED_TRACE(height);
        CDC memDC;
        CBitmap bitmap;
        ASSERT_TRUE(CDsDriverGl::Buffer2Bitmap(window_->dc, 10, 20, 4, height, GL_BACK, &memDC, bitmap));
        EXPECT_NE(memDC.GetSafeHdc(), nullptr);
        BITMAP description{};
        ASSERT_GT(bitmap.GetBitmap(&description), 0);
        EXPECT_EQ(description.bmWidth, 4);
        EXPECT_EQ(description.bmHeight, height);
        std::vector<uint8_t> bits(size_t(16 * height));
        ASSERT_EQ(bitmap.GetBitmapBits(DWORD(bits.size()), bits.data()), DWORD(bits.size()));
        // Bitmap rows from the top, pixels as blue, green, red.
        for (int r = 0; r < height; ++r) {
            const Rgb& c = rows[height - 1 - r];
            for (int x = 0; x < 4; ++x) {
                const uint8_t* p = &bits[size_t(16 * r + 4 * x)];
                EXPECT_EQ(p[0], c.b) << "row " << r << " pixel " << x;
                EXPECT_EQ(p[1], c.g) << "row " << r << " pixel " << x;
                EXPECT_EQ(p[2], c.r) << "row " << r << " pixel " << x;
            }
        }
    }
}

TEST_F(DsDriverGlPixelsGLTest, BadDeviceContextsAndRectanglesAnswerFalseAndDrawNothing)
{
    BareWindow bare;
    ASSERT_NE(bare.dc, nullptr);
    FillAll(GL_BACK, kRed);
    std::vector<unsigned char> pixels;

    EXPECT_EQ(CDsDriverGl::ReadPixels(bare.dc, 0, 0, 10, 10, GL_BACK, pixels, false), 0);
    EXPECT_TRUE(pixels.empty());
    EXPECT_FALSE(CDsDriverGl::CopyPixels(bare.dc, window_->dc, 0, 0, 10, 10, GL_BACK, GL_BACK, pixels, false));
    EXPECT_FALSE(CDsDriverGl::CopyPixels(window_->dc, bare.dc, 0, 0, 10, 10, GL_BACK, GL_BACK, pixels, false));
    EXPECT_EQ(wglGetCurrentContext(), window_->context);
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 5, 5), kRed));

    CDC memDC;
    CBitmap bitmap;
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(bare.dc, 0, 0, 10, 10, GL_BACK, &memDC, bitmap));
    EXPECT_EQ(memDC.GetSafeHdc(), nullptr);
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(nullptr, 0, 0, 10, 10, GL_BACK, &memDC, bitmap));
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(window_->dc, 0, 0, 10, 10, GL_BACK, nullptr, bitmap));
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(window_->dc, 0, 0, 0, 10, GL_BACK, &memDC, bitmap));
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(window_->dc, 0, 0, 10, 10, GL_DEPTH_COMPONENT, &memDC, bitmap));
    // A DC that already holds one is left as it is.
    ASSERT_TRUE(memDC.CreateCompatibleDC(nullptr));
    HDC held = memDC.GetSafeHdc();
    EXPECT_FALSE(CDsDriverGl::Buffer2Bitmap(window_->dc, 0, 0, 10, 10, GL_BACK, &memDC, bitmap));
    EXPECT_EQ(memDC.GetSafeHdc(), held);
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);

    EXPECT_EQ(CDsDriverGl::ReadPixels(window_->dc, 0, 0, 10, 10, GL_DEPTH_COMPONENT, pixels, false), 0);
    EXPECT_FALSE(CDsDriverGl::CopyPixels(window_->dc, window_->dc, 0, 0, 10, 10, GL_BACK, GL_NONE, pixels, false));
    EXPECT_EQ(StackDepth(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(StackDepth(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
