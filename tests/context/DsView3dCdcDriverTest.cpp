// The core's view and its device-context driver, drawing into a memory DC: which driver a view
// owns and the window it knows, the device context handed out and back with its mapping, the
// scales that size the image and the camera, and text in the driver's font and in a given one.
#include "DsDriverCdc.h"
#include "DsNFontStorage.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "VyrString.h"

#include "MemoryCanvas.h"
#include "ViewSetup.h"
#include "ViewStaticsGuard.h"
#include "ViewTestDoubles.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using vyrtest::InstallRecordingDriver;
using vyrtest::MemoryCanvas;
using vyrtest::ViewSetup;

namespace {

class DsView3dCdcDriverTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

CDsDriverCdc* CdcDriverOf(view3d& view)
{
    return dynamic_cast<CDsDriverCdc*>(view.get_driver_context());
}

// Arial at a character height.
CDsNFontStorage Arial(long height)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(height);
    return font;
}

}  // namespace

TEST_F(DsView3dCdcDriverTest, EveryViewOwnsADeviceContextDriverThatKnowsItsWindow)
{
    CDsView3dCdc alone;
    ASSERT_NE(CdcDriverOf(alone), nullptr);
    EXPECT_EQ(CdcDriverOf(alone)->get_view3d(), &alone);
    EXPECT_EQ(alone.GetWindow(), nullptr);
    EXPECT_EQ(alone.GetCdc(), nullptr);  // no window and no device context given

    CWnd window;  // a window not yet made: the view keeps it for when it is
    CDsView3dCdc onWindow(&window);
    ASSERT_NE(CdcDriverOf(onWindow), nullptr);
    EXPECT_EQ(onWindow.GetWindow(), &window);
    EXPECT_EQ(CDsView3dCdc::sCurrentView, &onWindow);
    EXPECT_EQ(onWindow.GetCdc(), nullptr);
    onWindow.InValidateView();  // no window handle: nothing to invalidate

    // The device-context view of the modeler's own drawing has the plain device-context driver.
    CDsView3dCdcBase base(&window);
    auto* baseDriver = dynamic_cast<CDsDriverCdcBase*>(base.get_driver_context());
    ASSERT_NE(baseDriver, nullptr);
    EXPECT_EQ(CdcDriverOf(base), nullptr);
    EXPECT_EQ(baseDriver->GetWnd(), &window);
}

TEST_F(DsView3dCdcDriverTest, AGivenDeviceContextIsDrawnIntoAndHandedBackWithItsMapping)
{
    MemoryCanvas canvas(200, 100);
    CDsView3dCdc view;
    ViewSetup().Pixels(200, 100).ApplyTo(view);
    view.set_viewport(10, 5, 180, 90);
    CDsDriverCdc* driver = CdcDriverOf(view);
    view.SetDC(&canvas.cdc);

    CDC* dc = view.GetCdc();
    ASSERT_EQ(dc, &canvas.cdc);
    EXPECT_EQ(view.GetDc(), dc);  // a nested use shares the one DC
    EXPECT_EQ(driver->GetDCUseCount(), 2);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_ANISOTROPIC);
    POINT corner{0, 0};
    canvas.cdc.LPtoDP(&corner);
    EXPECT_EQ(corner.x, 10);  // drawable (0, 0) is the viewport's corner
    EXPECT_EQ(corner.y, 5);
    view.ReleaseDc(dc);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_ANISOTROPIC);  // still held once
    view.ReleaseCdc(dc);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);

    // The view's drawing reaches the given DC at the viewport's corner.
    view.set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    const float line[4] = {0, 20, 100, 20};
    EXPECT_EQ(view.draw_polyline_2d(2, line, 0), 0);
    EXPECT_EQ(canvas.At(60, 25), 0xFF0000u);
    EXPECT_EQ(canvas.InkIn(0, 0, 199, 24), 0);
    EXPECT_EQ(driver->GetDCUseCount(), 0);

    // Without the automatic map mode the DC keeps its own mapping.
    view.SetAutoMapMode(0);
    dc = view.GetCdc();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);
    view.ReleaseCdc(dc);

    view.EnableClear(1);
    EXPECT_EQ(driver->IsClearEnabled(), 1);
    view.UpdateColors();  // a true-colour DC has no palette to realise
    EXPECT_EQ(driver->GetDCUseCount(), 0);

    view.ClearDC();
    EXPECT_EQ(view.GetCdc(), nullptr);
    canvas.Clear();
    view.draw_polyline_2d(2, line, 0);
    EXPECT_EQ(canvas.InkIn(0, 0, 199, 99), 0);
}

TEST_F(DsView3dCdcDriverTest, PixelsPerUnitSizeTheImageAndTheCamera)
{
    CDsView3dCdc view;
    ViewSetup().Pixels(200, 100).Field(10, 5).ApplyTo(view);
    double x = 0, y = 0;
    view.GetPixelsPerUnit(x, y);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 1.0);
    int width = 0, height = 0;
    view.GetImageSize(width, height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 100);

    view.SetPixelsPerUnit(2.0, 4.0);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        view.SetPixelsPerUnit(bad, 3.0);
    view.GetPixelsPerUnit(x, y);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 4.0);
    view.GetImageSize(width, height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 25);

    // The camera takes the image's size, divided by the image scale.
    view.set_image_scale(2.0);
    view.AdjustWindowSize();
    EXPECT_DOUBLE_EQ(view.get_width(), 50.0);
    EXPECT_DOUBLE_EQ(view.get_height(), 12.5);
    float px = 0, py = 0;
    ASSERT_TRUE(view.world_to_drawable(SPAposition(12.5, 0, 0), px, py));
    EXPECT_NEAR(px, 150.0, 1e-3);  // the projection follows the new width

    // A zero-size viewport gives an empty image and leaves the camera as it is.
    view.set_viewport(0, 0, 0, 0);
    view.GetImageSize(width, height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    view.AdjustWindowSize();
    EXPECT_DOUBLE_EQ(view.get_width(), 50.0);
    EXPECT_DOUBLE_EQ(view.get_height(), 12.5);

    // A view whose driver is not a device-context driver changes and answers nothing.
    InstallRecordingDriver(view);
    view.SetPixelsPerUnit(8.0, 8.0);
    x = y = -7.0;
    width = height = -7;
    view.GetPixelsPerUnit(x, y);
    view.GetImageSize(width, height);
    EXPECT_EQ(x, -7.0);
    EXPECT_EQ(width, -7);
    view.AdjustWindowSize();
    EXPECT_DOUBLE_EQ(view.get_width(), 50.0);
    EXPECT_EQ(view.GetCdc(), nullptr);
    EXPECT_EQ(view.GetWindow(), nullptr);
    view.SetDC(nullptr);
    view.UpdateColors();
}

TEST_F(DsView3dCdcDriverTest, TextTakesTheDriversFontOrAGivenOneAtItsAnchor)
{
    MemoryCanvas canvas(200, 100);
    CDsView3dCdc view;
    ViewSetup().Pixels(200, 100).ApplyTo(view);
    view.SetDC(&canvas.cdc);
    CDsDriverCdc* driver = CdcDriverOf(view);

    view.SetFont(Arial(24));
    view.SetTextSlanted(true);
    view.SetTextBaseAngle(30);
    EXPECT_EQ(driver->GetFont().GetHeight(), 24);
    CVyrString name;
    driver->GetFont().GetName(name);
    EXPECT_EQ(name, CVyrString(L"Arial"));
    EXPECT_EQ(driver->GetFont().GetSlanted(), 1);
    EXPECT_EQ(driver->GetFont().GetLogFont().lfEscapement, 300);
    view.SetTextBaseAngle(0);
    view.SetTextSlanted(false);
    EXPECT_EQ(driver->GetFont().GetSlanted(), 0);

    // The driver's text hangs from its top-left corner.
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_EQ(view.draw_text_2d(20.0f, 30.0f, CVyrString(L"Hello")), 0);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(left, 20);
    EXPECT_LE(left, 24);
    EXPECT_GE(top, 30);
    EXPECT_LE(bottom, 30 + 24);
    EXPECT_GT(right - left, 30);

    // A given font's text stands on its baseline, centred on the anchor.
    canvas.Clear();
    CDsNFontStorage font = Arial(30);
    EXPECT_EQ(view.DrawText2D(100, 60, CVyrString(L"HH"), font, eDsTextLineCenter, nullptr), 0);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_LE(std::abs((left + right) / 2 - 100), 2);
    EXPECT_LE(bottom, 60);
    EXPECT_GE(bottom, 57);
    EXPECT_LT(top, 45);

    // At a model point: at its drawable position (the view shows 10 x 5 units on 200 x 100).
    canvas.Clear();
    CGmPosition p(2.5, -1.0, 0.0);  // drawable (150, 70)
    EXPECT_EQ(view.DrawText3D(p, CVyrString(L"H"), font, eDsTextLineLeft, nullptr), 0);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(left, 150);
    EXPECT_LE(left, 154);
    EXPECT_LE(bottom, 70);
    EXPECT_GE(bottom, 67);

    // Another kind of driver: no font to set, nothing drawn into the DC.
    canvas.Clear();
    InstallRecordingDriver(view);
    view.SetFont(Arial(10));
    view.SetTextSlanted(true);
    EXPECT_EQ(view.draw_text_2d(20.0f, 30.0f, CVyrString(L"Hello")), 0);
    EXPECT_EQ(view.DrawText2D(100, 60, CVyrString(L"HH"), font, eDsTextLineCenter, nullptr), 0);
    EXPECT_EQ(canvas.InkIn(0, 0, 199, 99), 0);
    delete view.set_driver_context(nullptr);
    EXPECT_EQ(view.DrawText2D(100, 60, CVyrString(L"HH"), font, eDsTextLineCenter, nullptr), 0);
    EXPECT_EQ(view.DrawText3D(p, CVyrString(L"H"), font, eDsTextLineLeft, nullptr), 0);
}

TEST_F(DsView3dCdcDriverTest, AViewportMovedWhileTheDcIsHeldMovesTheDrawingWithIt)
{
    MemoryCanvas canvas(200, 100);
    CDsView3dCdc view;
    ViewSetup().Pixels(200, 100).ApplyTo(view);
    view.SetDC(&canvas.cdc);
    CDC* held = view.GetCdc();  // as a view's OpenGL record holds its window's DC
    ASSERT_NE(held, nullptr);

    view.set_viewport(20, 10, 100, 50);
    view.set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    const float line[4] = {0, 0, 50, 0};
    view.draw_polyline_2d(2, line, 0);
    EXPECT_EQ(canvas.At(40, 10), 0xFF0000u);  // at the viewport's corner, as it is now
    EXPECT_EQ(canvas.InkIn(0, 0, 199, 9), 0);

    view.ReleaseCdc(held);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);
    POINT origin{0, 0};
    canvas.cdc.LPtoDP(&origin);
    EXPECT_EQ(origin.x, 0);  // the DC goes back with the mapping it came with
    EXPECT_EQ(origin.y, 0);
}
