// GL test support: windows with a pixel format and a context made through the
// Windows stand-in, and colour reads of GL_FRONT or GL_BACK.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace vyrtest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// Equal within `tolerance` per channel: llvmpipe on another CPU may round differently.
::testing::AssertionResult ColorNear(const Rgb& actual, const Rgb& expected, int tolerance = 3);

// A window of the given client size with the one pixel format set and its own
// context; nothing is current until MakeCurrent.
class GlWindow {
public:
    GlWindow(int width, int height, bool visible = true);
    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    bool Valid() const { return window && dc && context; }
    bool MakeCurrent() const { return wglMakeCurrent(dc, context) != FALSE; }

    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    int width = 0, height = 0;
};

// Colour of one pixel (x, y from the bottom-left, as GL counts) of `buffer` of what
// is current, and the mean over a rectangle.
Rgb ReadPixel(GLenum buffer, int x, int y);
Rgb MeanColor(GLenum buffer, int x, int y, int width, int height);

// Fills the current draw buffer(s) with one colour.
void Clear(const Rgb& color);

// Viewport and projection in pixels: (0, 0) the bottom-left corner, as GL counts.
void SetPixelProjection(int width, int height);
// A filled rectangle in pixels under SetPixelProjection.
void FillRect(const Rgb& color, int x, int y, int width, int height);

// Whether an X display can be opened; logs one clear line when it cannot.
bool DisplayAvailable();

// A 200x100 window, current for the test body.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    GlWindow* window_ = nullptr;
};

}  // namespace vyrtest
