// CUiValueTemplate bound to a real window: the value appears as its window text.
#include "UiValueTemplate.h"

#include "GlTestFixture.h"

#include <gtest/gtest.h>

namespace {

// A count from 1 to 9, shown as "n x".
class CountHolder : public CUiValueTemplate<int> {
public:
    CountHolder() : CUiValueTemplate<int>(L"%d x") {}

protected:
    bool IsValidValue(const int& value) override { return value >= 1 && value <= 9; }
    int StrToItem(const CStringW& text) override { return static_cast<int>(std::wcstol(text, nullptr, 10)); }
};

CStringW WindowText(HWND window) {
    WCHAR buffer[64] = {};
    GetWindowTextW(window, buffer, 64);
    return CStringW(buffer);
}

}  // namespace

TEST(UiValueTemplateGLTest, TheBoundWindowShowsTheValue) {
    if (!vyrtest::DisplayAvailable()) GTEST_SKIP() << "no X display";
    HWND window = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW, 0, 0, 120, 30, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    CWnd control;
    ASSERT_TRUE(control.Attach(window));
    CountHolder holder;
    holder.SetControl(&control);

    EXPECT_TRUE(holder.SetValue(3));
    EXPECT_EQ(WindowText(window), L"3 x");
    EXPECT_FALSE(holder.SetValue(CStringW(L"12")));
    EXPECT_EQ(holder.GetValue(), 3);
    EXPECT_EQ(WindowText(window), L"3 x");
    EXPECT_TRUE(holder.SetValue(CStringW(L"7")));
    EXPECT_EQ(WindowText(window), L"7 x");
}
