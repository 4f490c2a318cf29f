// The device-context driver of a view drawing into a memory DC: the DC it hands out and gives
// back, its pens (styles, plot pens and their runs), point markers, text placed by alignment and
// the right way up, scan-line images and the colour capabilities they follow.
#include "DsDriverCdc.h"
#include "DsNFontStorage.h"
#include "DsPlotPallete.h"
#include "DsStylePalette.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "MemoryCanvas.h"
#include "TestFiles.h"
#include "ViewSetup.h"
#include "VyrString.h"
#include "view3d.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

using Canvas = vyrtest::MemoryCanvas;

// A driver that counts the points of every polyline it is asked to draw.
class RecordingDriver : public CDsDriverCdc {
public:
    int draw_polyline_2d(int n, const float* xy, int fill) override {
        counts.push_back(n);
        return CDsDriverCdc::draw_polyline_2d(n, xy, fill);
    }
    std::vector<int> counts;
};

// A driver drawing into a 200 x 100 canvas, installed in a view (which owns it); the plot mode,
// the active style palette and the plot palette are put back afterwards.
class DsDriverCdcTest : public ::testing::Test {
protected:
    DsDriverCdcTest() : canvas(200, 100) {
        driver = new RecordingDriver();
        view.set_driver_context(driver);
        vyrtest::ViewSetup().Pixels(200, 100).ApplyTo(view);
        driver->SetDC(&canvas.cdc);
    }
    ~DsDriverCdcTest() override {
        CDsView3dCdc::StResetPlotMode();
        CDsStylePalette::StDeactivate(nullptr);
        CDsPlotPallete::StDeletePlotPallete();
    }

    // The description of the driver's pen.
    std::vector<uint8_t> PenDescription(CPen& pen) {
        const int size = GetObjectW(pen.GetSafeHandle(), 0, nullptr);
        std::vector<uint8_t> buffer(static_cast<size_t>(std::max(size, 0)));
        if (size > 0) GetObjectW(pen.GetSafeHandle(), size, buffer.data());
        return buffer;
    }

    Canvas canvas;
    view3d view;
    RecordingDriver* driver = nullptr;
};

// A font storage of Arial at a character height.
CDsNFontStorage ArialFont(long height) {
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(height);
    return font;
}

}  // namespace

TEST_F(DsDriverCdcTest, NestedUsesShareOneDcMappedOntoTheViewport) {
    driver->set_viewport(10, 5, 100, 50);
    CDC* first = driver->GetDC();
    ASSERT_EQ(first, &canvas.cdc);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_ANISOTROPIC);
    POINT origin{0, 0};
    canvas.cdc.LPtoDP(&origin);
    EXPECT_EQ(origin.x, 10);  // drawable (0, 0) is the viewport's corner
    EXPECT_EQ(origin.y, 5);
    CDC* second = driver->GetDC();
    EXPECT_EQ(second, first);
    EXPECT_EQ(driver->GetDCUseCount(), 2);
    EXPECT_EQ(driver->ReleaseDC(nullptr), 2);  // null gives nothing back
    EXPECT_EQ(driver->ReleaseDC(second), 1);
    EXPECT_EQ(driver->GetCurrentDC(), first);
    EXPECT_EQ(driver->ReleaseDC(first), 0);
    EXPECT_EQ(driver->GetCurrentDC(), nullptr);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);  // handed back with its own mapping
    origin = POINT{0, 0};
    canvas.cdc.LPtoDP(&origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(driver->ReleaseDC(first), 0);

    // Without a DC nothing is handed out and nothing is counted.
    driver->ClearDC();
    EXPECT_EQ(driver->GetDC(), nullptr);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(driver->get_device_context(), nullptr);
    const float line[4] = {0, 0, 10, 0};
    EXPECT_EQ(driver->draw_polyline_2d(2, line, 0), 0);
    EXPECT_EQ(driver->set_pixel(1, 1), 0);

    // Switching DCs while one is held hands the held one back first.
    driver->SetDC(&canvas.cdc);
    ASSERT_NE(driver->GetDC(), nullptr);
    driver->SetDC(nullptr);
    EXPECT_EQ(canvas.cdc.GetMapMode(), MM_TEXT);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(driver->get_driver_capabilities(), 11);
}

TEST_F(DsDriverCdcTest, BasePensFollowStyleWidthAndModes) {
    CDsDriverCdcBase base;
    LOGPEN pen{};
    base.set_line_style(line_style_dotted);
    ASSERT_GT(base.GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_DOT));
    base.set_line_width(3);
    base.set_line_style(line_style_dashed);
    ASSERT_GT(base.GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_SOLID));  // wider than 1: solid
    EXPECT_EQ(pen.lopnWidth.x, 3);
    base.set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    ASSERT_GT(base.GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnColor, RGB(255, 0, 0));
    base.set_background_rgb(rgb_color(0.0, 0.0, 1.0));
    LOGBRUSH brush{};
    ASSERT_GT(base.GetBackgroundBrush().GetLogBrush(&brush), 0);
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 255));
    base.set_foreground_to_background();
    EXPECT_EQ(base.GetForegroundColor(), RGB(0, 0, 255));

    EXPECT_EQ(base.GetRasterOperation(), R2_COPYPEN);
    base.set_drawing_mode(drawing_mode_xor);
    EXPECT_EQ(base.GetRasterOperation(), R2_XORPEN);
    base.set_rubberband_mode(0);
    EXPECT_EQ(base.GetPenInUse(), &base.GetPen());
    base.set_rubberband_mode(1);
    EXPECT_EQ(base.GetPenInUse(), &base.GetRubberBandPen());
    EXPECT_EQ(base.GetRasterOperation(), R2_XORPEN);
    line_style style = line_style_solid;
    EXPECT_EQ(base.GetRubberBandLineStyle(style), int(sizeof(LOGPEN)));
    EXPECT_EQ(style, line_style_solid);
    base.SetRubberBandLineStyle(line_style_dashed);
    EXPECT_EQ(base.GetRubberBandLineStyle(style), int(sizeof(LOGPEN)));
    EXPECT_EQ(style, line_style_dashed);
    ASSERT_GT(base.GetRubberBandPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnColor, RGB(255, 255, 255));
}

TEST_F(DsDriverCdcTest, LinesDrawInThePenAndTheRasterOperation) {
    driver->set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    const float line[4] = {10.6f, 20.2f, 30.0f, 20.0f};
    EXPECT_EQ(driver->draw_polyline_2d(2, line, 0), 0);
    EXPECT_EQ(canvas.At(10, 20), 0xFF0000u);  // points fall on the pixel they lie in
    EXPECT_EQ(canvas.At(29, 20), 0xFF0000u);
    EXPECT_EQ(canvas.At(30, 20), kWhite);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(GetROP2(canvas.cdc.GetSafeHdc()), R2_COPYPEN);  // the DC's state is put back
    EXPECT_EQ(GetCurrentObject(canvas.cdc.GetSafeHdc(), OBJ_PEN), GetStockObject(BLACK_PEN));

    // A filled polygon in the foreground.
    const float square[8] = {50, 50, 60, 50, 60, 60, 50, 60};
    driver->draw_polyline_2d(4, square, 1);
    EXPECT_EQ(canvas.At(55, 55), 0xFF0000u);

    // Exclusive-or drawn twice leaves the picture.
    driver->set_drawing_mode(drawing_mode_xor);
    const float across[4] = {0, 80, 100, 80};
    driver->draw_polyline_2d(2, across, 0);
    EXPECT_EQ(canvas.At(40, 80), 0x00FFFFu);
    driver->draw_polyline_2d(2, across, 0);
    EXPECT_EQ(canvas.At(40, 80), kWhite);

    // A pixel goes only into a DC given to the driver.
    EXPECT_EQ(driver->set_pixel(5.5f, 6.5f), 1);
    EXPECT_EQ(canvas.At(5, 6), 0xFF0000u);
}

TEST_F(DsDriverCdcTest, StylesComeFromTheActivePalette) {
    CDsStylePalette palette;
    ASSERT_TRUE(palette.SetStyle(8, 0x0F0F, 1));
    CDsStylePalette::StActivate(&palette);
    driver->set_line_style(static_cast<line_style>(8));
    EXPECT_EQ(driver->GetLinePattern(), 0x0F0F);
    EXPECT_EQ(driver->GetLinePatternFactor(), 1);
    LOGPEN pen{};
    ASSERT_GT(driver->GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_DASH));
    driver->set_line_style(line_style_solid);
    EXPECT_EQ(driver->GetLinePattern(), 0xFFFF);
    ASSERT_GT(driver->GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_SOLID));
    driver->set_line_style(static_cast<line_style>(99));  // outside the palette: solid
    EXPECT_EQ(driver->GetLinePattern(), 0xFFFF);
    driver->set_line_width(4);
    ASSERT_GT(driver->GetPen().GetLogPen(&pen), 0);
    EXPECT_EQ(pen.lopnWidth.x, 4);
}

TEST_F(DsDriverCdcTest, PlotPensRunThePatternAtThePrintersResolution) {
    ASSERT_TRUE(VyrSetDeviceResolution(canvas.cdc.GetSafeHdc(), 254, 254));  // 10 pixels a millimetre
    EXPECT_NEAR(driver->GetPrinterPixelsInMm(), 10.0, 1e-9);
    CDsStylePalette palette;
    ASSERT_TRUE(palette.SetStyle(8, 0x0F0F, 1));
    CDsStylePalette::StActivate(&palette);
    driver->set_foreground_rgb(rgb_color(0.0, 0.0, 1.0));
    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    driver->set_line_style(static_cast<line_style>(8));

    const std::vector<uint8_t> buffer = PenDescription(driver->GetPen());
    ASSERT_GE(buffer.size(), sizeof(EXTLOGPEN));
    const auto* pen = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
    EXPECT_EQ(pen->elpPenStyle, DWORD(PS_GEOMETRIC | PS_USERSTYLE));
    ASSERT_EQ(pen->elpNumEntries, 4u);
    for (DWORD i = 0; i < 4; ++i) EXPECT_EQ(pen->elpStyleEntry[i], 12u) << i;
    EXPECT_EQ(pen->elpColor, RGB(0, 0, 0));  // plot mode 2 plots black
    EXPECT_EQ(pen->elpWidth, 2u);            // pen 1 of the plot palette: 0.2 mm

    // The runs reach the paper: 12 drawn, 12 skipped, two pixels wide.
    const float line[4] = {0, 50, 60, 50};
    driver->draw_polyline_2d(2, line, 0);
    EXPECT_NE(canvas.At(5, 50), kWhite);
    EXPECT_EQ(canvas.At(18, 50), kWhite);
    EXPECT_NE(canvas.At(29, 50), kWhite);
    EXPECT_EQ(canvas.At(42, 50), kWhite);

    // Wider pens take the palette's width for their number; plot mode 3 keeps the colour.
    driver->set_line_width(3);
    EXPECT_EQ(driver->GetPlotBrushWidth(), 6);
    CDsView3dCdc::StSetPlotMode(ePlotModeColors);
    driver->set_foreground_rgb(rgb_color(0.0, 1.0, 0.0));
    const std::vector<uint8_t> colored = PenDescription(driver->GetPen());
    ASSERT_GE(colored.size(), sizeof(EXTLOGPEN));
    EXPECT_EQ(reinterpret_cast<const EXTLOGPEN*>(colored.data())->elpColor, RGB(0, 255, 0));

    // A solid pattern plots solid in the plot width.
    driver->set_line_style(line_style_solid);
    LOGPEN solid{};
    ASSERT_GT(driver->GetPen().GetLogPen(&solid), 0);
    EXPECT_EQ(solid.lopnWidth.x, 6);
}

TEST_F(DsDriverCdcTest, MarkersHaveTheirSizeAndPoints) {
    driver->set_point_size(9);  // half size 4
    driver->set_point_style(static_cast<point_style>(3));
    driver->counts.clear();
    driver->draw_point_2d(10.0f, 10.0f);
    EXPECT_EQ(driver->counts, std::vector<int>({5}));
    // Exactly the square's border.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool border = (x == 6 || x == 14 || y == 6 || y == 14) && x >= 6 && x <= 14 && y >= 6 && y <= 14;
            ASSERT_EQ(canvas.At(x, y) != kWhite, border) << x << ", " << y;
        }

    struct Marker {
        int style;
        std::vector<int> points;
    };
    const Marker markers[] = {{1, {5}},      {2, {2, 2}},        {4, {5}},       {5, {7}}, {6, {13}},
                              {7, {9, 13}}, {8, {13, 13}},       {9, {2}},       {0, {2, 2}}};
    const int width = driver->get_line_width();
    for (const Marker& marker : markers) {
        canvas.Clear();
        driver->counts.clear();
        driver->set_point_style(static_cast<point_style>(marker.style));
        driver->draw_point_2d(50.0f, 50.0f);
        EXPECT_EQ(driver->counts, marker.points) << "style " << marker.style;
        int left, top, right, bottom;
        ASSERT_TRUE(canvas.Ink(left, top, right, bottom)) << "style " << marker.style;
        if (marker.style == 9) {
            // A dot 2h wide.
            EXPECT_GE(left, 46);
            EXPECT_LE(right, 54);
            EXPECT_GE(right - left, 6);
            EXPECT_GE(bottom - top, 6);
            EXPECT_EQ(driver->get_line_width(), width);  // the width is put back
        } else {
            EXPECT_EQ(left, 46) << "style " << marker.style;
            EXPECT_EQ(right, 54) << "style " << marker.style;
            EXPECT_EQ(top, 46) << "style " << marker.style;
            EXPECT_EQ(bottom, 54) << "style " << marker.style;
        }
    }

    // While the view picks, a marker answers whether the pick region meets it and draws nothing.
    canvas.Clear();
    driver->set_point_style(static_cast<point_style>(3));
    view.pick_mode(1, 54, 50, 3, 3);
    EXPECT_EQ(driver->draw_point_2d(50.0f, 50.0f), 1);
    view.pick_mode(1, 50, 50, 3, 3);  // inside the square, off its border
    EXPECT_EQ(driver->draw_point_2d(50.0f, 50.0f), 0);
    view.pick_mode(0, 0, 0, 0, 0);
    int left, top, right, bottom;
    EXPECT_FALSE(canvas.Ink(left, top, right, bottom));
}

TEST_F(DsDriverCdcTest, TextSitsOnItsBaselineInsideItsExtentTheRightWayUp) {
    CDsNFontStorage font = ArialFont(-40);
    driver->set_foreground_rgb(rgb_color(0.0, 0.0, 0.0));
    SIZE extent{};
    TEXTMETRICW metrics{};
    {
        CFont* previous = font.SelectMyFont(&canvas.cdc);
        extent = canvas.cdc.GetTextExtent(L"L", 1);
        canvas.cdc.GetTextMetricsW(&metrics);
        font.ReleaseMyFont(&canvas.cdc, previous);
    }
    const UINT alignBefore = canvas.cdc.SetTextAlign(TA_TOP);
    EXPECT_EQ(driver->DrawText2D(50, 60, CVyrString(L"L"), font, eDsTextLineLeft, nullptr), 0);
    int left, top, right, bottom;
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(left, 50);
    EXPECT_LT(right, 50 + extent.cx);
    EXPECT_GE(top, 60 - metrics.tmAscent);
    EXPECT_EQ(bottom, 59);  // standing on the baseline, not hanging from it
    const int middle = (top + bottom) / 2;
    EXPECT_GT(canvas.InkIn(left, middle, left + 2, middle), 0);    // the stroke on the left
    EXPECT_EQ(canvas.InkIn(right - 2, middle, right, middle), 0);
    EXPECT_GT(canvas.InkIn(right - 2, bottom - 1, right, bottom), 0);  // the foot at the bottom
    EXPECT_EQ(canvas.InkIn(right - 2, top, right, top + 2), 0);
    // The DC is handed back as it came, and the font storage keeps no GDI font.
    EXPECT_EQ(canvas.cdc.GetTextAlign(), UINT(TA_TOP));
    EXPECT_EQ(GetCurrentObject(canvas.cdc.GetSafeHdc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(font.GetMyFont(), nullptr);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    canvas.cdc.SetTextAlign(alignBefore);

    // Centred and right-aligned runs.
    canvas.Clear();
    driver->DrawText2D(100, 60, CVyrString(L"Text"), font, eDsTextLineCenter, nullptr);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_NEAR((left + right) / 2.0, 100.0, 4.0);
    canvas.Clear();
    driver->DrawText2D(100, 60, CVyrString(L"Text"), font, eDsTextLineRight, nullptr);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_LT(right, 100);
    EXPECT_GT(right, 90);

    // Right to left: Hebrew alef, bet shows the pixels of bet, alef.
    canvas.Clear();
    driver->DrawText2D(20, 60, CVyrString(L"\u05D1\u05D0"), font, eDsTextLineLeft, nullptr);
    const std::vector<uint32_t> forward(canvas.bits, canvas.bits + 200 * 100);
    canvas.Clear();
    CDsNFontStorage rightToLeft = font;
    rightToLeft.SetRightToLeft(true);
    driver->DrawText2D(20, 60, CVyrString(L"\u05D0\u05D1"), rightToLeft, eDsTextLineLeft, nullptr);
    EXPECT_TRUE(std::equal(forward.begin(), forward.end(), canvas.bits));

    // Advances given per character.
    canvas.Clear();
    int dx[2] = {80, 10};
    driver->DrawText2D(20, 60, CVyrString(L"ll"), font, eDsTextLineLeft, dx);
    EXPECT_GT(canvas.InkIn(20, 0, 30, 99), 0);
    EXPECT_EQ(canvas.InkIn(40, 0, 95, 99), 0);
    EXPECT_GT(canvas.InkIn(100, 0, 110, 99), 0);
}

TEST_F(DsDriverCdcTest, EveryTextCallDrawsTransparentlyInTheForegroundAndHandsTheDcBackAsItCame) {
    CDsDriverCdcBase base;
    base.SetDC(&canvas.cdc);
    CDsNFontStorage font = ArialFont(-20);
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"base text", [&] { base.draw_text_2d(20.0f, 20.0f, "Top"); }},
        {"text", [&] { driver->draw_text_2d(20.0f, 20.0f, "Top"); }},
        {"wide text", [&] { driver->draw_text_2d(20.0f, 20.0f, CVyrString(L"Top")); }},
        {"aligned text", [&] { driver->DrawText2D(20, 60, CVyrString(L"Top"), font, eDsTextLineLeft, nullptr); }},
    };
    for (CDsDriverCdcBase* each : {&base, static_cast<CDsDriverCdcBase*>(driver)}) {
        each->set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
        each->set_background_rgb(rgb_color(0.0, 1.0, 0.0));
    }
    HDC dc = canvas.cdc.GetSafeHdc();
    for (const auto& call : calls) {
        canvas.Clear();
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(4, 5, 6));
        call.second();
        EXPECT_GT(std::count(canvas.bits, canvas.bits + 200 * 100, 0xFF0000u), 0) << call.first;  // the foreground
        EXPECT_EQ(std::count(canvas.bits, canvas.bits + 200 * 100, 0x00FF00u), 0) << call.first;  // no background box
        EXPECT_EQ(GetBkMode(dc), OPAQUE) << call.first;
        EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3)) << call.first;
        EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6)) << call.first;
        EXPECT_EQ(base.GetDCUseCount() + driver->GetDCUseCount(), 0) << call.first;
    }

    // Without a DC nothing is drawn and nothing is held.
    base.ClearDC();
    canvas.Clear();
    EXPECT_EQ(base.draw_text_2d(20.0f, 20.0f, "Top"), 0);
    EXPECT_EQ(base.GetDCUseCount(), 0);
    int left, top, right, bottom;
    EXPECT_FALSE(canvas.Ink(left, top, right, bottom));
}

TEST_F(DsDriverCdcTest, TextAtAModelPointAndTheDriversOwnFont) {
    // The parallel view shows the origin at drawable (100, 50).
    CDsNFontStorage font = ArialFont(-20);
    CGmPosition origin(0, 0, 0);
    driver->DrawText3D(origin, CVyrString(L"Mid"), font, eDsTextLineCenter, nullptr);
    int left, top, right, bottom;
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_NEAR((left + right) / 2.0, 100.0, 3.0);
    EXPECT_EQ(bottom, 49);

    // A point behind a perspective eye draws nothing.
    canvas.Clear();
    vyrtest::ViewSetup().Pixels(200, 100).Perspective(true).ApplyTo(view);
    CGmPosition behind(0, 0, 100);
    EXPECT_EQ(driver->DrawText3D(behind, CVyrString(L"Mid"), font, eDsTextLineCenter, nullptr), 0);
    EXPECT_FALSE(canvas.Ink(left, top, right, bottom));

    // The driver's font: name, size, slant and angle reach its description.
    driver->set_text_font("Arial");
    driver->set_text_size(-24);
    driver->SetTextSlanted(true);
    driver->SetTextLineBaseAngle(30);
    const LOGFONTW& description = driver->GetFont().GetLogFont();
    EXPECT_STREQ(description.lfFaceName, L"Arial");
    EXPECT_EQ(description.lfHeight, -24);
    EXPECT_EQ(description.lfItalic, 1);
    EXPECT_EQ(description.lfEscapement, 300);
    driver->SetTextLineBaseAngle(0);
    driver->set_foreground_rgb(rgb_color(0.0, 0.0, 1.0));
    EXPECT_EQ(driver->draw_text_2d(20.0f, 20.0f, "Top"), 0);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(top, 20);  // the base text call hangs from its point
    EXPECT_GE(left, 20);
    EXPECT_TRUE(std::count(canvas.bits, canvas.bits + 200 * 100, 0x0000FFu) > 0);  // in the foreground
    EXPECT_EQ(driver->GetFont().GetMyFont(), nullptr);
    canvas.Clear();
    EXPECT_EQ(driver->draw_text_2d(20.0f, 20.0f, CVyrString(L"Box")), 0);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(top, 20);
    EXPECT_GE(left, 20);
    EXPECT_TRUE(std::count(canvas.bits, canvas.bits + 200 * 100, 0x0000FFu) > 0);

    // While the view picks, text answers the pick test and draws nothing.
    canvas.Clear();
    vyrtest::ViewSetup().Pixels(200, 100).ApplyTo(view);
    view.pick_mode(1, 20, 20, 5, 5);
    EXPECT_EQ(driver->draw_text_2d(20.0f, 20.0f, "Top"), 1);
    view.pick_mode(0, 0, 0, 0, 0);
    EXPECT_FALSE(canvas.Ink(left, top, right, bottom));
    EXPECT_EQ(driver->draw_text_2d(20.0f, 20.0f, static_cast<const char*>(nullptr)), 0);
}

TEST_F(DsDriverCdcTest, ScanlinesDrawRowsInTheDevicesColours) {
    ColorMode mode = color_mode_indexed;
    int red = 0, green = 0, blue = 0;
    driver->get_color_map(mode, red, green, blue);
    EXPECT_EQ(mode, color_mode_rgb);
    EXPECT_EQ(red, 256);

    driver->image_start(0, 0, 4, 2);
    EXPECT_EQ(driver->GetDCUseCount(), 1);  // held until image_end
    int row[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    EXPECT_EQ(driver->draw_scanline(2, 3, 4, row), 1);
    EXPECT_EQ(canvas.At(2, 3), 0xFF0000u);
    EXPECT_EQ(canvas.At(3, 3), 0x00FF00u);
    EXPECT_EQ(canvas.At(4, 3), 0x0000FFu);
    EXPECT_EQ(canvas.At(5, 3), 0x123456u);
    EXPECT_EQ(canvas.At(1, 3), kWhite);
    EXPECT_EQ(driver->draw_scanline(0, 4, 3, row), 0);  // another width
    EXPECT_EQ(canvas.At(0, 4), kWhite);
    driver->image_end();
    EXPECT_EQ(driver->GetDCUseCount(), 0);
    EXPECT_EQ(driver->draw_scanline(2, 3, 4, row), 0);  // no image open

    // An 8-bit device: indexes of the colour cube.
    CDC cubeDc;
    cubeDc.CreateCompatibleDC(nullptr);
    CBitmap cube;
    ASSERT_TRUE(cube.CreateBitmap(4, 2, 1, 8, nullptr));
    CBitmap* previous = cubeDc.SelectObject(&cube);
    driver->SetDC(&cubeDc);
    driver->get_color_map(mode, red, green, blue);
    EXPECT_EQ(mode, color_mode_indexed);
    EXPECT_EQ(red, 6);
    driver->image_start(0, 0, 2, 1);
    int indexes[2] = {5 * 36 + 0 * 6 + 1, 2 * 36 + 3 * 6 + 4};
    ASSERT_EQ(driver->draw_scanline(0, 0, 2, indexes), 1);
    EXPECT_EQ(cubeDc.GetPixel(0, 0), RGB(255, 0, 51));
    EXPECT_EQ(cubeDc.GetPixel(1, 0), RGB(102, 153, 204));
    driver->image_end();

    // A monochrome device: anything but 0 is white.
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(4, 2, 1, 1, nullptr));
    cubeDc.SelectObject(&mono);
    driver->get_color_map(mode, red, green, blue);
    EXPECT_EQ(mode, color_mode_monochrome);
    EXPECT_EQ(red, 1);
    driver->image_start(0, 0, 2, 1);
    int bits[2] = {0, 7};
    ASSERT_EQ(driver->draw_scanline(0, 1, 2, bits), 1);
    EXPECT_EQ(cubeDc.GetPixel(0, 1), RGB(0, 0, 0));
    EXPECT_EQ(cubeDc.GetPixel(1, 1), RGB(255, 255, 255));
    driver->image_end();
    driver->SetDC(&canvas.cdc);
    cubeDc.SelectObject(previous);
}

TEST_F(DsDriverCdcTest, ScalesSizeTheImageAndTheCamera) {
    driver->set_viewport(0, 0, 400, 200);
    driver->SetPixelsPerUnit(2.0, 4.0);
    int width = 0, height = 0;
    driver->GetImageSize(width, height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 50);
    driver->SetPixelsPerUnit(0.0, 4.0);  // ignored
    double x = 0, y = 0;
    driver->GetPixelsPerUnit(x, y);
    EXPECT_EQ(x, 2.0);
    view.set_image_scale(2.0);
    driver->AdjustWindowSize();
    EXPECT_DOUBLE_EQ(view.get_width(), 100.0);  // 400 / 2 / 2
    EXPECT_DOUBLE_EQ(view.get_height(), 25.0);  // 200 / 4 / 2
    EXPECT_FALSE(view.is_ctm_valid());
}

TEST_F(DsDriverCdcTest, APickTestOutsidePickModeOnlyTraces) {
    const float points[4] = {1, 2, 3, 4};
    vyrtest::CaptureStdout();
    EXPECT_EQ(driver->pick_polyline_2d(2, points, 0), 0);
    const std::string trace = vyrtest::GetCapturedStdout();
    EXPECT_EQ(trace, "driver_context::draw_polyline_2d 2 points: \t1 2\n\t3 4\n");
    view.pick_mode(1, 2, 3, 3, 3);
    EXPECT_EQ(driver->pick_polyline_2d(2, points, 0), 1);
    view.pick_mode(0, 0, 0, 0, 0);
}
