// CWnd subclassing a window: its handlers get the window's messages unpacked, default processing
// reaches the procedure the window had, giving the window back, the window going away, and the
// main window of the framework's thread.
#include <afxwin.h>

#include <gtest/gtest.h>

#include "GlTestFixture.h"

#include <vector>

namespace {

int gSuperCalls = 0;

LRESULT CALLBACK Super(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++gSuperCalls;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Super;
        windowClass.lpszClassName = L"VyrSubclassTest";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, L"VyrSubclassTest", L"sub", WS_OVERLAPPEDWINDOW, 0, 0, 80, 60, nullptr, nullptr,
                           nullptr, nullptr);
}

struct Recorder : CWnd {
    std::vector<int> sizes;
    std::vector<UINT> activations;
    std::vector<BOOL> minimised;
    int paints = 0;
    bool* gone = nullptr;
    bool paintDefault = true;

    void OnPaint() override {
        ++paints;
        if (paintDefault) Default();
    }
    void OnSize(UINT type, int cx, int cy) override {
        sizes.insert(sizes.end(), {static_cast<int>(type), cx, cy});
        CWnd::OnSize(type, cx, cy);
    }
    void OnActivate(UINT state, CWnd* other, BOOL isMinimised) override {
        activations.push_back(state);
        minimised.push_back(isMinimised);
        EXPECT_EQ(other, nullptr);
    }
    void PostNcDestroy() override {
        if (gone) *gone = true;
    }
};

class WndSubclassGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!vyrtest::DisplayAvailable()) GTEST_SKIP() << "no X display";
        gSuperCalls = 0;
    }
};

}  // namespace

TEST_F(WndSubclassGLTest, HandlersGetTheMessagesAndDefaultReachesTheOldProcedure) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    Recorder recorder;
    ASSERT_TRUE(recorder.SubclassWindow(window));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), &recorder);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));

    SendMessageW(window, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(321, 123));
    EXPECT_EQ(recorder.sizes, (std::vector<int>{SIZE_MAXIMIZED, 321, 123}));
    EXPECT_EQ(gSuperCalls, 1);  // CWnd::OnSize is the default processing

    SendMessageW(window, WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 1), 0);
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(recorder.activations, (std::vector<UINT>{WA_CLICKACTIVE, WA_INACTIVE}));
    EXPECT_EQ(recorder.minimised, (std::vector<BOOL>{TRUE, FALSE}));
    EXPECT_EQ(gSuperCalls, 1);  // the override did not ask for default processing

    // Painting: the default processing validates, a handler that skips it leaves the region.
    recorder.InvalidateRect(nullptr, FALSE);
    recorder.paintDefault = false;
    UpdateWindow(window);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    recorder.paintDefault = true;
    UpdateWindow(window);
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(recorder.paints, 2);

    // Messages without a handler go to the old procedure.
    gSuperCalls = 0;
    SendMessageW(window, 0x7000, 0, 0);
    EXPECT_EQ(gSuperCalls, 1);
    EXPECT_EQ(recorder.Default(), 0);  // outside a message: nothing to do

    // Given back: the old procedure again, nothing reaches the object.
    EXPECT_EQ(recorder.UnsubclassWindow(), window);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Super));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    SendMessageW(window, WM_SIZE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(recorder.sizes.size(), 3u);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
}

TEST_F(WndSubclassGLTest, OneObjectPerWindowAndAWindowThatGoesAwayLetsGo) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    Recorder first, second;
    bool gone = false;
    first.gone = &gone;
    ASSERT_TRUE(first.SubclassWindow(window));
    EXPECT_FALSE(second.SubclassWindow(window));  // the window has its object
    EXPECT_FALSE(first.SubclassWindow(window));   // the object has its window
    EXPECT_EQ(second.GetSafeHwnd(), nullptr);

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(gone);
    EXPECT_EQ(first.GetSafeHwnd(), nullptr);  // so its destructor destroys nothing
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    EXPECT_FALSE(second.SubclassWindow(window));  // not live
    EXPECT_FALSE(second.SubclassWindow(nullptr));
}

TEST_F(WndSubclassGLTest, TheThreadIsTheApplicationWithItsMainWindow) {
    EXPECT_EQ(AfxGetThread(), nullptr);  // no application object in this program
    {
        CWinApp app;
        EXPECT_EQ(AfxGetThread(), &app);
        CWnd main;
        app.m_pMainWnd = &main;
        EXPECT_EQ(AfxGetThread()->m_pMainWnd, &main);
        EXPECT_EQ(AfxGetMainWnd(), &main);
    }
    EXPECT_EQ(AfxGetThread(), nullptr);
}
