// The debug window: its own window and context, painting through the callback (read back from its
// front buffer) without disturbing the context that was current, resizing, activation, a second
// client, closing, and sizes it refuses without ending the process.
#include "DsDebugWindow.h"

#include <gtest/gtest.h>

#include "GlTestFixture.h"
#include "TestFiles.h"

#include <GL/gl.h>

#include <memory>
#include <string>

using vyrtest::ColorNear;
using vyrtest::MeanColor;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kGrey{90, 90, 90};
int gPaints = 0;

// Red background, a green square of half the window's size in its middle (identity matrices).
void DrawSquare() {
    ++gPaints;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    vyrtest::Clear(kRed);
    glColor3ub(0, 255, 0);
    glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
}

// Blue all over.
void DrawBlue() {
    ++gPaints;
    vyrtest::Clear(kBlue);
}

// Red background and a green square from -1 to 1 at depth 2 under the projection the window set:
// the frustum's near plane at 1.5 puts it over the middle three quarters of each side.
void DrawInFrustum() {
    ++gPaints;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    vyrtest::Clear(kRed);
    glColor3ub(0, 255, 0);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, -2);
    glVertex3f(1, -1, -2);
    glVertex3f(1, 1, -2);
    glVertex3f(-1, 1, -2);
    glEnd();
}

// The test's own window and context, current, grey; the debug window must leave both alone.
class DsDebugWindowGLTest : public vyrtest::GlTest {
protected:
    void SetUp() override {
        vyrtest::GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        gPaints = 0;
        vyrtest::Clear(kGrey);
        SwapBuffers(window_->dc);
        glViewport(3, 4, 50, 60);
    }

    // The test's context is still current and still shows grey with its own viewport.
    void ExpectOwnContextUntouched() {
        EXPECT_EQ(wglGetCurrentContext(), window_->context);
        EXPECT_EQ(wglGetCurrentDC(), window_->dc);
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 3);
        EXPECT_EQ(viewport[2], 50);
        EXPECT_EQ(viewport[3], 60);
        EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, window_->width, window_->height), kGrey));
    }

    // Reads the debug window's front buffer with its own context, then makes the test's current.
    Rgb ReadDebug(const _UTILwindow* record, int x, int y, int w = 1, int h = 1) {
        Rgb color{-1, -1, -1};
        if (wglMakeCurrent(record->hdc, record->hglrc)) color = MeanColor(GL_FRONT, x, y, w, h);
        window_->MakeCurrent();
        return color;
    }
};

}  // namespace

TEST_F(DsDebugWindowGLTest, OpensItsOwnWindowAndContextAndPaintsThroughTheCallback) {
    CDsDebugWindow debug("Debug \xc3\xa9", 160, 120);
    _UTILwindow* record = debug.GetWindowRecord();
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->hwnd, nullptr);
    ASSERT_NE(record->hglrc, nullptr);
    EXPECT_NE(record->hglrc, window_->context);
    EXPECT_EQ(record->width, 160);
    EXPECT_EQ(record->height, 120);
    EXPECT_EQ(record->hpalette, nullptr);  // true colour: no palette
    EXPECT_TRUE(IsWindowVisible(record->hwnd));
    RECT client;
    GetClientRect(record->hwnd, &client);
    EXPECT_EQ(client.right, 160);
    EXPECT_EQ(client.bottom, 120);
    wchar_t title[32] = {};
    GetWindowTextW(record->hwnd, title, 32);
    EXPECT_EQ(std::wstring(title), L"Debug \u00e9");
    ExpectOwnContextUntouched();  // making it set its viewport with its own context
    // Its class: the system logo and the system arrow.
    WNDCLASSW windowClass{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"DEBUGWINDOW", &windowClass));
    EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(windowClass.hIcon, LoadIconW(nullptr, IDI_WINLOGO));
    EXPECT_EQ(windowClass.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_NE(windowClass.hCursor, nullptr);

    // Before Draw nothing paints through a callback.
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 0);

    debug.Draw(DrawSquare);
    InvalidateRect(record->hwnd, nullptr, FALSE);
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 1);
    EXPECT_TRUE(ColorNear(ReadDebug(record, 70, 50, 20, 20), kGreen));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 5, 5, 10, 10), kRed));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 150, 110), kRed));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 45, 35), kGreen));  // the square's corner at (40, 30)
    EXPECT_TRUE(ColorNear(ReadDebug(record, 35, 25), kRed));
    ExpectOwnContextUntouched();
    RECT update;
    EXPECT_FALSE(GetUpdateRect(record->hwnd, &update, FALSE));  // painted: nothing left to paint
    UpdateWindow(record->hwnd);
    EXPECT_EQ(gPaints, 1);

    // With nothing current before, nothing is current after.
    wglMakeCurrent(nullptr, nullptr);
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 2);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    window_->MakeCurrent();
    debug.UTILcleanup();
}

TEST_F(DsDebugWindowGLTest, ResizingSetsItsViewportAndFrustumOnly) {
    CDsDebugWindow debug("resize", 100, 80);
    _UTILwindow* record = debug.GetWindowRecord();
    ASSERT_NE(record->hglrc, nullptr);
    debug.Draw(DrawInFrustum);

    ASSERT_TRUE(MoveWindow(record->hwnd, 0, 0, 160, 120, FALSE));  // sends WM_SIZE
    ExpectOwnContextUntouched();
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    // Three quarters of each side in the middle: x 20..140, y 15..105.
    EXPECT_TRUE(ColorNear(ReadDebug(record, 60, 40, 40, 40), kGreen));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 22, 17), kGreen));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 137, 102), kGreen));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 17, 60), kRed));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 143, 60), kRed));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 80, 12), kRed));
    EXPECT_TRUE(ColorNear(ReadDebug(record, 80, 108), kRed));

    // The projection is the frustum, the mode back to model-view.
    ASSERT_TRUE(wglMakeCurrent(record->hdc, record->hglrc));
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 160);
    EXPECT_EQ(viewport[3], 120);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 1.5f, 1e-5);
    EXPECT_NEAR(projection[5], 1.5f, 1e-5);
    EXPECT_NEAR(projection[10], -21.5f / 18.5f, 1e-5);
    EXPECT_NEAR(projection[11], -1.0f, 1e-5);
    EXPECT_NEAR(projection[14], -60.0f / 18.5f, 1e-5);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    window_->MakeCurrent();

    // A size sent by hand reaches the handler as well.
    SendMessageW(record->hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(80, 60));
    ASSERT_TRUE(wglMakeCurrent(record->hdc, record->hglrc));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 80);
    EXPECT_EQ(viewport[3], 60);
    window_->MakeCurrent();
    debug.UTILcleanup();
}

TEST_F(DsDebugWindowGLTest, ActivationPaintsUnlessMinimised) {
    CDsDebugWindow debug("activate", 64, 48);
    _UTILwindow* record = debug.GetWindowRecord();
    ASSERT_NE(record->hglrc, nullptr);
    debug.Draw(DrawBlue);
    SendMessageW(record->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(gPaints, 1);
    EXPECT_TRUE(ColorNear(ReadDebug(record, 0, 0, 64, 48), kBlue));
    SendMessageW(record->hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
    EXPECT_EQ(gPaints, 1);
    SendMessageW(record->hwnd, WM_ACTIVATE, WA_INACTIVE, 0);  // not minimised: paints too
    EXPECT_EQ(gPaints, 2);
    ExpectOwnContextUntouched();
    debug.UTILcleanup();
}

TEST_F(DsDebugWindowGLTest, ANewCallbackReplacesTheOldAndKeepsTheWindow) {
    CDsDebugWindow debug("redraw", 64, 48);
    CDsDebugWindow copy = debug;  // shares the window
    _UTILwindow* record = debug.GetWindowRecord();
    ASSERT_NE(record->hglrc, nullptr);
    debug.Draw(DrawSquare);
    copy.Draw(DrawBlue);
    debug.Draw(DrawBlue);
    ASSERT_TRUE(IsWindow(record->hwnd));
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 1);
    EXPECT_TRUE(ColorNear(ReadDebug(record, 32, 24), kBlue));
    debug.Draw(nullptr);  // draws nothing, swaps what is there
    SendMessageW(record->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 1);
    EXPECT_TRUE(IsWindow(record->hwnd));
    debug.UTILcleanup();
}

TEST_F(DsDebugWindowGLTest, ClosingEndsPaintingAndLaterCallsDoNothing) {
    CDsDebugWindow debug("close", 64, 48);
    _UTILwindow* record = debug.GetWindowRecord();
    ASSERT_NE(record->hglrc, nullptr);
    debug.Draw(DrawBlue);
    HWND window = record->hwnd;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessageW(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(gPaints, 0);

    vyrtest::CaptureStderr();
    debug.Draw(DrawSquare);
    const std::string said = vyrtest::GetCapturedStderr();
    EXPECT_NE(said.find("no window"), std::string::npos) << said;
    debug.UTILcleanup();
    debug.UTILcleanup();
    EXPECT_EQ(record->hglrc, nullptr);
    EXPECT_EQ(record->hwnd, nullptr);
    ExpectOwnContextUntouched();

    // Closed by cleaning up while its context is current: nothing is current after.
    CDsDebugWindow other("close", 32, 32);
    _UTILwindow* second = other.GetWindowRecord();
    ASSERT_NE(second->hglrc, nullptr);
    HWND otherWindow = second->hwnd;
    ASSERT_TRUE(wglMakeCurrent(second->hdc, second->hglrc));
    other.UTILcleanup();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(IsWindow(otherWindow));
    window_->MakeCurrent();
}

TEST_F(DsDebugWindowGLTest, SizesItCannotMakeAreRefusedAndTheProcessGoesOn) {
    for (auto size : {std::make_pair(0, 50), std::make_pair(50, -3), std::make_pair(CDsDebugWindow::kMaxSize + 1, 10)}) {
        vyrtest::CaptureStderr();
        CDsDebugWindow debug("bad", size.first, size.second);
        const std::string said = vyrtest::GetCapturedStderr();
        EXPECT_NE(said.find("invalid window size"), std::string::npos) << said;
        _UTILwindow* record = debug.GetWindowRecord();
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->hwnd, nullptr);
        EXPECT_EQ(record->hglrc, nullptr);
        EXPECT_EQ(record->hdc, nullptr);
        vyrtest::CaptureStderr();
        debug.Draw(DrawBlue);  // draws nothing, says why
        EXPECT_FALSE(vyrtest::GetCapturedStderr().empty());
        debug.UTILcleanup();
    }
    EXPECT_EQ(gPaints, 0);
    ExpectOwnContextUntouched();

    // The largest size is not refused on that account; a null title is an empty one.
    CDsDebugWindow edge(nullptr, 1, 1);
    ASSERT_NE(edge.GetWindowRecord()->hwnd, nullptr);
    EXPECT_EQ(GetWindowTextLengthW(edge.GetWindowRecord()->hwnd), 0);
    edge.UTILcleanup();
}

TEST_F(DsDebugWindowGLTest, ASecondWindowOpensAndTheMainWindowOwnsThemAndHearsOfThem) {
    struct MainWindow : CWnd {
        int activations = 0;
        WPARAM lastState = 99;
        void OnActivate(UINT state, CWnd*, BOOL) override {
            ++activations;
            lastState = state;
        }
    };
    CWinApp app;
    HWND mainHwnd = CreateWindowExW(0, L"VyrMain", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 40, 30, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(mainHwnd, nullptr);
    MainWindow main;
    ASSERT_TRUE(main.SubclassWindow(mainHwnd));
    app.m_pMainWnd = &main;

    CDsDebugWindow first("one", 50, 40);
    CDsDebugWindow second("two", 70, 30);
    ASSERT_NE(first.GetWindowRecord()->hglrc, nullptr);
    ASSERT_NE(second.GetWindowRecord()->hglrc, nullptr);
    EXPECT_EQ(main.activations, 2);
    EXPECT_EQ(main.lastState, static_cast<WPARAM>(WA_INACTIVE));
    EXPECT_EQ(GetParent(second.GetWindowRecord()->hwnd), mainHwnd);

    first.Draw(DrawBlue);
    second.Draw(DrawSquare);
    SendMessageW(first.GetWindowRecord()->hwnd, WM_PAINT, 0, 0);
    SendMessageW(second.GetWindowRecord()->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 2);
    EXPECT_TRUE(ColorNear(ReadDebug(first.GetWindowRecord(), 25, 20), kBlue));
    EXPECT_TRUE(ColorNear(ReadDebug(second.GetWindowRecord(), 35, 15), kGreen));
    EXPECT_TRUE(ColorNear(ReadDebug(second.GetWindowRecord(), 2, 2), kRed));

    first.UTILcleanup();
    second.UTILcleanup();
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
}

TEST_F(DsDebugWindowGLTest, AWindowStillPaintingOutlivesItsObjectsAndAWindowNobodyPaintsClosesWithTheLast) {
    // A client keeps painting from the record after every object sharing it is gone.
    HWND painted = nullptr;
    _UTILwindow* record = nullptr;
    {
        CDsDebugWindow debug("painting", 64, 48);
        record = debug.GetWindowRecord();
        ASSERT_NE(record->hglrc, nullptr);
        CDsDebugWindow copy(debug);
        copy.Draw(DrawBlue);
        painted = record->hwnd;
    }
    ASSERT_TRUE(IsWindow(painted));
    SendMessageW(painted, WM_PAINT, 0, 0);
    EXPECT_EQ(gPaints, 1);
    EXPECT_TRUE(ColorNear(ReadDebug(record, 32, 24), kBlue));
    ExpectOwnContextUntouched();
    SendMessageW(painted, WM_CLOSE, 0, 0);  // the client goes, and the record with it
    EXPECT_FALSE(IsWindow(painted));
    EXPECT_EQ(wglGetCurrentContext(), window_->context);

    // Without a client, the window stays while a copy does and closes with the last one.
    HWND unpainted = nullptr;
    {
        auto first = std::make_unique<CDsDebugWindow>("unpainted", 32, 32);
        CDsDebugWindow second("other", 16, 16);
        HWND replaced = second.GetWindowRecord()->hwnd;
        second = *first;  // the other window loses its last object
        EXPECT_FALSE(IsWindow(replaced));
        unpainted = first->GetWindowRecord()->hwnd;
        ASSERT_TRUE(IsWindow(unpainted));
        first.reset();
        EXPECT_TRUE(IsWindow(unpainted));
        EXPECT_EQ(second.GetWindowRecord()->hwnd, unpainted);
        const CDsDebugWindow& same = second;
        second = same;  // an object given its own record keeps it
        EXPECT_TRUE(IsWindow(unpainted));
    }
    EXPECT_FALSE(IsWindow(unpainted));
    EXPECT_EQ(gPaints, 1);
    ExpectOwnContextUntouched();
}
