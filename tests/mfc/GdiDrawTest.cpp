// CPen, CBrush and CFont, and CDC's drawing and text calls on a memory DC: the framework objects
// own their handles, selections hand back the objects selected before, and the DC receives the
// pixels.
#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

// A 40 x 30 white memory DC.
struct Canvas {
    Canvas() {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(40, 30, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
        dc.BitBlt(0, 0, 40, 30, nullptr, 0, 0, WHITENESS);
    }
    ~Canvas() {
        dc.SelectStockObject(BLACK_PEN);
        dc.SelectStockObject(WHITE_BRUSH);
        dc.SelectStockObject(SYSTEM_FONT);
        dc.SelectObject(old);
        CGdiObject::DeleteTempMap();
    }
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

}  // namespace

TEST(MfcDrawing, PensBrushesAndFontsOwnTheirHandlesAndComeBackFromSelection) {
    Canvas canvas;
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    EXPECT_FALSE(pen.CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));  // holds one already
    CPen* stock = canvas.dc.SelectObject(&pen);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(static_cast<HPEN>(*stock), static_cast<HPEN>(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(canvas.dc.SelectObject(stock), &pen);  // the owning object comes back
    LOGPEN logPen{};
    ASSERT_GT(pen.GetLogPen(&logPen), 0);
    EXPECT_EQ(logPen.lopnColor, RGB(255, 0, 0));

    CPen styled;
    const DWORD runs[1] = {5};
    LOGBRUSH solid{BS_SOLID, RGB(0, 0, 255), 0};
    ASSERT_TRUE(styled.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &solid, 1, runs));
    EXPECT_EQ(styled.GetLogPen(&logPen), 0);  // an extended pen
    EXPECT_EQ(pen.GetExtLogPen(nullptr), 0);

    CBrush brush;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(0, 255, 0)));
    LOGBRUSH described{};
    ASSERT_GT(brush.GetLogBrush(&described), 0);
    EXPECT_EQ(described.lbColor, RGB(0, 255, 0));

    CFont font;
    ASSERT_TRUE(font.CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    LOGFONTW logFont{};
    ASSERT_GT(font.GetLogFont(&logFont), 0);
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);
    CFont* system = canvas.dc.SelectObject(&font);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(static_cast<HFONT>(*system), static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    CGdiObject* previous = canvas.dc.SelectStockObject(SYSTEM_FONT);
    EXPECT_EQ(previous, &font);
    EXPECT_EQ(canvas.dc.SelectStockObject(42), nullptr);
}

TEST(MfcDrawing, TheDcReceivesLinesPolygonsPixelsAndText) {
    Canvas canvas;
    CPen pen;
    pen.CreatePen(PS_SOLID, 0, RGB(0, 0, 255));
    CBrush brush;
    brush.CreateSolidBrush(RGB(255, 0, 0));
    CPen* oldPen = canvas.dc.SelectObject(&pen);
    CBrush* oldBrush = canvas.dc.SelectObject(&brush);

    canvas.dc.MoveTo(0, 0);
    ASSERT_TRUE(canvas.dc.LineTo(5, 0));
    EXPECT_EQ(canvas.dc.GetPixel(4, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.dc.GetPixel(5, 0), RGB(255, 255, 255));

    const POINT triangle[3] = {{10, 2}, {30, 2}, {20, 20}};
    ASSERT_TRUE(canvas.dc.Polygon(triangle, 3));
    EXPECT_EQ(canvas.dc.GetPixel(20, 8), RGB(255, 0, 0));
    EXPECT_EQ(canvas.dc.GetPixel(15, 2), RGB(0, 0, 255));

    EXPECT_EQ(canvas.dc.SetROP2(R2_XORPEN), R2_COPYPEN);
    const POINT line[2] = {{0, 25}, {10, 25}};
    ASSERT_TRUE(canvas.dc.Polyline(line, 2));
    EXPECT_EQ(canvas.dc.GetPixel(3, 25), RGB(255, 255, 0));  // white xor blue
    canvas.dc.SetROP2(R2_COPYPEN);
    EXPECT_EQ(canvas.dc.SetPixel(39, 29, RGB(1, 2, 3)), RGB(1, 2, 3));

    canvas.dc.SetMapMode(MM_ANISOTROPIC);
    canvas.dc.SetWindowExt(1, 1);
    canvas.dc.SetViewportExt(2, 2);
    POINT p{3, 4};
    canvas.dc.LPtoDP(&p);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 8);
    canvas.dc.SetMapMode(MM_TEXT);

    CFont font;
    font.CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Arial");
    CFont* oldFont = canvas.dc.SelectObject(&font);
    CStringW face;
    EXPECT_GT(canvas.dc.GetTextFaceW(face), 0);
    EXPECT_EQ(face, L"Liberation Sans");
    const CSize extent = canvas.dc.GetTextExtent(L"ab", 2);
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    TEXTMETRICW metrics{};
    ASSERT_TRUE(canvas.dc.GetTextMetricsW(&metrics));
    EXPECT_EQ(metrics.tmHeight, extent.cy);
    canvas.dc.SetBkMode(TRANSPARENT);
    canvas.dc.SetTextColor(RGB(0, 128, 0));
    EXPECT_EQ(canvas.dc.SetTextAlign(TA_BASELINE), UINT(TA_TOP));
    ASSERT_TRUE(canvas.dc.TextOutW(2, 28, L"ab", 2));
    int green = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) green += canvas.dc.GetPixel(x, y) == RGB(0, 128, 0);
    EXPECT_GT(green, 0);
    RECT box{0, 0, 40, 30};
    EXPECT_EQ(canvas.dc.DrawTextW(L"ab", 2, &box, DT_CALCRECT), metrics.tmHeight);
    EXPECT_TRUE(canvas.dc.UpdateColors());

    canvas.dc.SelectObject(oldFont);
    canvas.dc.SelectObject(oldBrush);
    canvas.dc.SelectObject(oldPen);
}
