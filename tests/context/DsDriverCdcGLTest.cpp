// The device-context driver of a view in a window: the viewport from the window's client area,
// drawing into the window's DC (read back from the front buffer, upright), the DC handed back
// with its mapping, and the window asked to repaint.
#include "DsDriverCdc.h"
#include "GlTestFixture.h"

#include <afxwin.h>

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::Rgb;

TEST_F(GlTest, TheWindowDriverDrawsIntoTheWindowAndHandsItsDcBack) {
    vyrtest::SetPixelProjection(200, 100);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(Rgb{0, 0, 0});
    ASSERT_TRUE(SwapBuffers(window_->dc));

    CWnd window;
    ASSERT_TRUE(window.Attach(window_->window));
    {
        CDsDriverCdc driver(&window);
        driver.recompute_viewport();
        int x = -1, y = -1, width = 0, height = 0;
        driver.get_viewport(x, y, width, height);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(width, 200);
        EXPECT_EQ(height, 100);

        driver.set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
        const float line[4] = {20, 10, 180, 10};
        EXPECT_EQ(driver.draw_polyline_2d(2, line, 0), 0);
        EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_FRONT, 100, 100 - 1 - 10), Rgb{255, 0, 0}));
        EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_FRONT, 100, 10), Rgb{0, 0, 0}));
        EXPECT_EQ(driver.GetDCUseCount(), 0);
        EXPECT_EQ(GetMapMode(window_->dc), MM_TEXT);

        HDC handed = driver.get_device_context();
        EXPECT_EQ(handed, window_->dc);
        driver.release_device_context(handed);
        EXPECT_EQ(driver.GetDCUseCount(), 0);

        ValidateRect(window_->window, nullptr);
        RECT update{};
        EXPECT_FALSE(GetUpdateRect(window_->window, &update, FALSE));
        driver.InValidateView();
        EXPECT_TRUE(GetUpdateRect(window_->window, &update, FALSE));
    }
    window.Detach();
}
