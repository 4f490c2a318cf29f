// CUiValue without a display: its format text, and showing text with no window to show it in.
#include "UiValue.h"

#include <gtest/gtest.h>

TEST(UiValueTest, ANullFormatIsEmptyAndTheFormatCanChange) {
    CUiValue none(nullptr);
    EXPECT_TRUE(none.GetFormat().IsEmpty());
    CUiValue value(L"%d mm");
    EXPECT_EQ(value.GetFormat(), L"%d mm");
    value.SetFormat(nullptr);
    EXPECT_TRUE(value.GetFormat().IsEmpty());
    value.SetFormat(L"<%s>");
    EXPECT_EQ(value.GetFormat(), L"<%s>");
}

TEST(UiValueTest, ShowingTextWithoutAWindowChangesNothing) {
    CUiValue value(L"%d");
    EXPECT_EQ(value.GetControl(), nullptr);
    value.ShowText(L"5");  // no control
    CWnd control;          // a control that holds no window
    value.SetControl(&control);
    value.ShowText(L"5");
    EXPECT_EQ(control.GetSafeHwnd(), nullptr);
}
