#include "GlTestFixture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vyrtest {

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

::testing::AssertionResult ColorNear(const Rgb& actual, const Rgb& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << actual << " is not " << expected << " (tolerance "
                                         << tolerance << ")";
}

bool DisplayAvailable() {
    // GetDesktopWindow needs the X connection; the stand-in says why when it fails.
    static const bool available = GetDesktopWindow() != nullptr;
    return available;
}

GlWindow::GlWindow(int w, int h, bool visible) : width(w), height(h) {
    window = CreateWindowExW(0, L"VyrTestWindow", L"GL test", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0,
                             w, h, nullptr, nullptr, nullptr, nullptr);
    if (!window) return;
    dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    int format = ChoosePixelFormat(dc, &pfd);
    if (format && SetPixelFormat(dc, format, &pfd)) context = wglCreateContext(dc);
}

GlWindow::~GlWindow() {
    if (context) {
        if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
    if (window) {
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
}

Rgb ReadPixel(GLenum buffer, int x, int y) { return MeanColor(buffer, x, y, 1, 1); }

Rgb MeanColor(GLenum buffer, int x, int y, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    GLint previous = 0;
    glGetIntegerv(GL_READ_BUFFER, &previous);
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glReadBuffer(previous);
    long sum[3] = {0, 0, 0};
    for (size_t i = 0; i < pixels.size(); i += 3)
        for (int c = 0; c < 3; ++c) sum[c] += pixels[i + c];
    long count = static_cast<long>(width) * height;
    return Rgb{static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count), static_cast<int>(sum[2] / count)};
}

void Clear(const Rgb& color) {
    glClearColor(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void SetPixelProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void FillRect(const Rgb& color, int x, int y, int width, int height) {
    glColor3ub(color.r, color.g, color.b);
    glRecti(x, y, x + width, y + height);
}

void GlTest::SetUp() {
    if (!DisplayAvailable()) GTEST_FAIL() << "no X display: GL tests need one (run them through ./run-tests)";
    window_ = new GlWindow(200, 100);
    ASSERT_TRUE(window_->Valid()) << "cannot create a GL window (error " << GetLastError() << ")";
    ASSERT_TRUE(window_->MakeCurrent());
}

void GlTest::TearDown() {
    delete window_;
    window_ = nullptr;
}

}  // namespace vyrtest
