// The debug window's palette ramps (a window needs a palette only on a display of few colours).
#include "DsDebugWindow.h"

#include <gtest/gtest.h>

TEST(DsDebugWindowTest, PaletteRampsOfOneTwoAndThreeBits) {
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(0, 1, 0), 0);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(1, 1, 0), 255);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(2, 1, 0), 0);  // only the low bit
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(0x80, 2, 6), 170);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(0xC0, 2, 6), 255);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(3 << 3, 3, 3), 109);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(5, 3, 0), 182);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(7, 3, 0), 255);
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(7, 4, 0), 0);  // no ramp of four bits
    EXPECT_EQ(CDsDebugWindow::ComponentFromIndex(7, 0, 0), 0);
}
