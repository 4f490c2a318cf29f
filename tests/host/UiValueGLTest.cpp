// CUiValue bound to a real window: the text it shows becomes the window's text.
#include "UiValue.h"

#include "GlTestFixture.h"

#include <gtest/gtest.h>

namespace {

CStringW WindowText(HWND window) {
    WCHAR buffer[64] = {};
    GetWindowTextW(window, buffer, 64);
    return CStringW(buffer);
}

}  // namespace

TEST(UiValueGLTest, TheBoundWindowShowsTheText) {
    if (!vyrtest::DisplayAvailable()) GTEST_SKIP() << "no X display";
    HWND window = CreateWindowExW(0, L"EDIT", L"before", WS_OVERLAPPEDWINDOW, 0, 0, 120, 30, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CWnd control;
    ASSERT_TRUE(control.Attach(window));
    CUiValue value(L"%d x");
    value.SetControl(&control);
    EXPECT_EQ(value.GetControl(), &control);

    value.ShowText(L"3 x");
    EXPECT_EQ(WindowText(window), L"3 x");
    value.ShowText(L"");
    EXPECT_EQ(WindowText(window), L"");

    // Unbound, the value leaves the window alone.
    value.ShowText(L"7 x");
    value.SetControl(nullptr);
    value.ShowText(L"9 x");
    EXPECT_EQ(WindowText(window), L"7 x");
}
