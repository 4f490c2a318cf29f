// The wait cursor of the framework over the Windows layer's cursors: shown for the life of the
// object, put back as it was found, nested objects each putting back their own.
#include <afxwin.h>
#include <windows.h>

#include <gtest/gtest.h>

TEST(WaitCursorTest, TheSystemCursorsAreDistinctAndOnlyANullModuleHasThem)
{
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    ASSERT_NE(arrow, nullptr);
    ASSERT_NE(wait, nullptr);
    EXPECT_NE(arrow, wait);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), wait);  // one handle per cursor
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, L"Hourglass"), nullptr);
    EXPECT_EQ(LoadCursorW(GetModuleHandleW(nullptr), IDC_WAIT), nullptr);
}

TEST(WaitCursorTest, AWaitCursorShowsTheWaitCursorAndPutsBackWhatItFound)
{
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    const HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    const HCURSOR start = SetCursor(cross);
    {
        CWaitCursor outer;
        EXPECT_EQ(GetCursor(), wait);
        {
            CWaitCursor inner;
            EXPECT_EQ(GetCursor(), wait);
        }
        EXPECT_EQ(GetCursor(), wait);  // the inner one put back the outer one's
        SetCursor(nullptr);
        outer.Restore();
        EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_EQ(GetCursor(), cross);
    EXPECT_EQ(SetCursor(start), cross);
}
