// CWnd over a real window: wrappers, client area, update region, device context,
// title, and who destroys the window.
#include <afxwin.h>

#include <gtest/gtest.h>

#include "GlTestFixture.h"

namespace {

HWND MakeWindow() {
    return CreateWindowExW(0, L"VyrTestWindow", L"mfc", WS_OVERLAPPEDWINDOW, 0, 0, 160, 120, nullptr, nullptr,
                           nullptr, nullptr);
}

}  // namespace

TEST(WndGLTest, WrapsAWindow) {
    if (!vyrtest::DisplayAvailable()) GTEST_FAIL() << "no X display";
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.Attach(window));
        EXPECT_FALSE(wnd.Attach(window));
        EXPECT_EQ(CWnd::FromHandle(window), &wnd);
        EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

        CRect client;
        wnd.GetClientRect(client);
        EXPECT_EQ(client, CRect(0, 0, 160, 120));

        wnd.ValidateRect(nullptr);
        CRect update;
        EXPECT_FALSE(wnd.GetUpdateRect(update));
        wnd.InvalidateRect(CRect(10, 10, 20, 30), FALSE);
        EXPECT_TRUE(wnd.GetUpdateRect(update));
        EXPECT_EQ(update, CRect(10, 10, 20, 30));
        wnd.Invalidate();
        wnd.GetUpdateRect(update);
        EXPECT_EQ(update, client);

        CDC* dc = wnd.GetDC();
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(dc->GetSafeHdc(), GetDC(window));
        EXPECT_EQ(wnd.ReleaseDC(dc), 1);
        CDC::DeleteTempMap();  // the window's DC stays with the window
        EXPECT_EQ(wnd.GetDC()->GetSafeHdc(), GetDC(window));

        wnd.SetWindowTextW(L"Title \u00E9");
        CStringW title;
        wnd.GetWindowTextW(title);
        EXPECT_STREQ(title, L"Title \u00E9");

        EXPECT_EQ(wnd.Detach(), window);
    }
    EXPECT_TRUE(IsWindow(window));  // detached: the wrapper left it alone

    // A temporary wrapper never destroys; an attached object does.
    CWnd* temp = CWnd::FromHandle(window);
    EXPECT_EQ(CWnd::FromHandle(window), temp);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(window));
    {
        CWnd owner;
        owner.Attach(window);
    }
    EXPECT_FALSE(IsWindow(window));
}
