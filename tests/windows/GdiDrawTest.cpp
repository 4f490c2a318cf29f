// Pens, lines, polygons, pixels, raster operations and map modes drawn into memory DCs: the
// pixels a caller reads back are the ones the drawing calls promise.
#include "DibCanvas.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0xFF0000, kBlue = 0x0000FF;

using Canvas = vyrtest::DibCanvas;

// A pen selected into a DC for the life of the object, deleted afterwards.
struct SelectedPen {
    SelectedPen(HDC d, HPEN p) : dc(d), pen(p) { previous = SelectObject(dc, pen); }
    ~SelectedPen() {
        SelectObject(dc, previous);
        DeleteObject(pen);
    }
    HDC dc;
    HPEN pen;
    HGDIOBJ previous = nullptr;
};

}  // namespace

TEST(GdiPens, DescribeThemselvesAndRefuseWhatCannotBeDrawn) {
    HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(GetObjectType(pen), DWORD(OBJ_PEN));
    LOGPEN logPen{};
    ASSERT_EQ(GetObjectW(pen, sizeof logPen, &logPen), int(sizeof logPen));
    EXPECT_EQ(logPen.lopnStyle, UINT(PS_DASH));
    EXPECT_EQ(logPen.lopnWidth.x, 1);
    EXPECT_EQ(logPen.lopnColor, RGB(1, 2, 3));
    EXPECT_EQ(CreatePen(42, 1, 0), nullptr);

    // A user-styled geometric pen keeps its runs, and reading it needs room for all of them.
    const DWORD runs[4] = {12, 12, 12, 12};
    LOGBRUSH brush{BS_SOLID, RGB(0, 0, 255), 0};
    HPEN styled = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 3, &brush, 4, runs);
    ASSERT_NE(styled, nullptr);
    EXPECT_EQ(GetObjectType(styled), DWORD(OBJ_EXTPEN));
    const int size = GetObjectW(styled, 0, nullptr);
    ASSERT_GE(size, int(sizeof(EXTLOGPEN)));
    std::vector<uint8_t> buffer(static_cast<size_t>(size));
    EXPECT_EQ(GetObjectW(styled, int(sizeof(EXTLOGPEN)) - 1, buffer.data()), 0);
    ASSERT_EQ(GetObjectW(styled, size, buffer.data()), size);
    const auto* description = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
    EXPECT_EQ(description->elpPenStyle, DWORD(PS_GEOMETRIC | PS_USERSTYLE));
    EXPECT_EQ(description->elpWidth, 3u);
    EXPECT_EQ(description->elpColor, RGB(0, 0, 255));
    ASSERT_EQ(description->elpNumEntries, 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(description->elpStyleEntry[i], 12u);

    // What a pen cannot be: a wide cosmetic pen, runs that are all 0 or too many, runs without
    // the user style.
    const DWORD zero[2] = {0, 0};
    const DWORD many[17] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &brush, 0, nullptr), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &brush, 2, zero), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &brush, 17, many), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 2, &brush, 2, runs), nullptr);
    EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 2, nullptr, 0, nullptr), nullptr);

    // A selected pen lives until it is selected out.
    Canvas canvas(4, 4);
    EXPECT_EQ(SelectObject(canvas.dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), pen);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(canvas.dc, styled), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    EXPECT_TRUE(DeleteObject(styled));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_PEN)));  // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_PEN)), DWORD(OBJ_PEN));
}

TEST(GdiLines, OnePixelLinesLeaveTheirEndOutAndOutlinesCloseExactly) {
    Canvas canvas(20, 20);
    SelectedPen pen(canvas.dc, CreatePen(PS_SOLID, 0, RGB(255, 0, 0)));
    MoveToEx(canvas.dc, 2, 3, nullptr);
    ASSERT_TRUE(LineTo(canvas.dc, 8, 3));
    std::set<std::pair<int, int>> expected;
    for (int x = 2; x < 8; ++x) expected.insert({x, 3});
    EXPECT_EQ(canvas.Inked(), expected);
    EXPECT_EQ(canvas.At(2, 3), kRed);
    POINT position{};
    GetCurrentPositionEx(canvas.dc, &position);
    EXPECT_EQ(position.x, 8);

    // A closed square outline: every border pixel once, nothing inside or outside.
    Canvas square(20, 20);
    SelectedPen black(square.dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    const POINT corners[5] = {{5, 5}, {5, 13}, {13, 13}, {13, 5}, {5, 5}};
    ASSERT_TRUE(Polyline(square.dc, corners, 5));
    expected.clear();
    for (int i = 5; i <= 13; ++i) {
        expected.insert({i, 5});
        expected.insert({i, 13});
        expected.insert({5, i});
        expected.insert({13, i});
    }
    EXPECT_EQ(square.Inked(), expected);

    // A diagonal steps one pixel a row.
    Canvas diagonal(10, 10);
    const POINT line[2] = {{0, 0}, {6, 6}};
    ASSERT_TRUE(Polyline(diagonal.dc, line, 2));
    EXPECT_EQ(diagonal.Inked(kWhite).size(), 6u);
    EXPECT_EQ(diagonal.At(5, 5), kBlack);

    EXPECT_FALSE(Polyline(canvas.dc, corners, 1));
    EXPECT_FALSE(Polyline(canvas.dc, nullptr, 2));
    EXPECT_FALSE(Polyline(nullptr, corners, 2));
}

TEST(GdiLines, StylesCountPixelsAndOpaqueGapsTakeTheBackground) {
    Canvas canvas(60, 4);
    SelectedPen pen(canvas.dc, CreatePen(PS_DASH, 1, RGB(0, 0, 0)));
    SetBkMode(canvas.dc, TRANSPARENT);
    const POINT line[2] = {{0, 1}, {50, 1}};
    ASSERT_TRUE(Polyline(canvas.dc, line, 2));
    for (int x = 0; x < 50; ++x) {
        const bool on = x % 24 < 18;
        EXPECT_EQ(canvas.At(x, 1), on ? kBlack : kWhite) << "x = " << x;
    }

    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    const POINT second[2] = {{0, 2}, {50, 2}};
    ASSERT_TRUE(Polyline(canvas.dc, second, 2));
    EXPECT_EQ(canvas.At(0, 2), kBlack);
    EXPECT_EQ(canvas.At(20, 2), kBlue);  // a gap
    EXPECT_EQ(canvas.At(30, 2), kBlack);
}

TEST(GdiLines, WidePensCoverTheirWidthAndUserRunsAlternate) {
    Canvas canvas(40, 20);
    SelectedPen pen(canvas.dc, CreatePen(PS_SOLID, 3, RGB(0, 0, 0)));
    const POINT line[2] = {{10, 10}, {30, 10}};
    ASSERT_TRUE(Polyline(canvas.dc, line, 2));
    for (int y = 0; y < 20; ++y) EXPECT_EQ(canvas.At(20, y), (y >= 9 && y <= 11) ? kBlack : kWhite) << y;
    // Round caps reach half the width past the ends.
    EXPECT_EQ(canvas.At(9, 10), kBlack);
    EXPECT_EQ(canvas.At(31, 10), kBlack);
    EXPECT_EQ(canvas.At(33, 10), kWhite);

    // An even width covers that many rows.
    Canvas even(40, 20);
    SelectedPen two(even.dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
    ASSERT_TRUE(Polyline(even.dc, line, 2));
    int rows = 0;
    for (int y = 0; y < 20; ++y) rows += even.At(20, y) == kBlack;
    EXPECT_EQ(rows, 2);

    // A flat-capped geometric pen with runs of 6 drawn and 4 skipped.
    Canvas dashes(60, 10);
    const DWORD runs[2] = {6, 4};
    LOGBRUSH brush{BS_SOLID, RGB(255, 0, 0), 0};
    SelectedPen styled(dashes.dc, ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 3, &brush, 2, runs));
    const POINT dashed[2] = {{0, 5}, {50, 5}};
    ASSERT_TRUE(Polyline(dashes.dc, dashed, 2));
    EXPECT_EQ(dashes.At(2, 5), kRed);
    EXPECT_EQ(dashes.At(8, 5), kWhite);
    EXPECT_EQ(dashes.At(12, 5), kRed);
    EXPECT_EQ(dashes.At(18, 5), kWhite);
    EXPECT_EQ(dashes.At(2, 7), kWhite);  // three rows: 4, 5, 6
    EXPECT_EQ(dashes.At(2, 4), kRed);

    // A zero-length segment of a wide round pen is a dot.
    Canvas dot(20, 20);
    SelectedPen eight(dot.dc, CreatePen(PS_SOLID, 8, RGB(0, 0, 0)));
    const POINT same[2] = {{10, 10}, {10, 10}};
    ASSERT_TRUE(Polyline(dot.dc, same, 2));
    const auto inked = dot.Inked();
    EXPECT_GT(inked.size(), 30u);
    for (const auto& p : inked) {
        EXPECT_GE(p.first, 6);
        EXPECT_LE(p.first, 13);
        EXPECT_GE(p.second, 6);
        EXPECT_LE(p.second, 13);
    }
}

namespace {

// Whether the sample point of pixel (px, py) lies inside a stroke `width` wide along the segment
// from a to b (sample points: pixel centres for an odd width, corners for an even one, the points
// of the segment naming pixel centres), by its cap: within half the width of the segment (round),
// of the segment stretched by half the width (square), or of the segment between the normals at
// its ends (flat). Answers -1 for a point that lies on the outline, where rounding decides.
int InsideStroke(int px, int py, POINT a, POINT b, int width, DWORD cap) {
    const double half = width / 2.0, offset = width % 2 == 0 ? 0.5 : 0.0;
    const double sx = px + offset - a.x, sy = py + offset - a.y;
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::sqrt(dx * dx + dy * dy);
    double margin;
    if (cap == PS_ENDCAP_ROUND) {
        double t = length > 0 ? (sx * dx + sy * dy) / (length * length) : 0.0;
        t = std::min(1.0, std::max(0.0, t));
        const double ex = sx - t * dx, ey = sy - t * dy;
        margin = half * half - (ex * ex + ey * ey);
    } else {
        const double along = (sx * dx + sy * dy) / length, across = (sy * dx - sx * dy) / length;
        const double reach = cap == PS_ENDCAP_SQUARE ? half : 0.0;
        margin = std::min({along + reach, length + reach - along, half - std::fabs(across)});
    }
    if (std::fabs(margin) < 1e-9) return -1;
    return margin > 0 ? 1 : 0;
}

// The pens of each cap at a width: a plain pen for round caps, geometric ones for the others.
HPEN WidePen(int width, DWORD cap) {
    if (cap == PS_ENDCAP_ROUND) return CreatePen(PS_SOLID, width, RGB(0, 0, 0));
    LOGBRUSH brush{BS_SOLID, RGB(0, 0, 0), 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | cap, DWORD(width), &brush, 0, nullptr);
}

}  // namespace

TEST(GdiLines, WideLinesAtAnyAngleCoverThePixelsWithinHalfTheirWidth) {
    const POINT segments[][2] = {{{10, 10}, {70, 31}},   {{60, 8}, {12, 70}},  {{15, 60}, {75, 15}},
                                 {{40, 40}, {41, 75}},   {{5, 40}, {78, 40}},  {{10, 10}, {70, 70}},
                                 {{70, 70}, {10, 10}},   {{20, 75}, {50, 35}}, {{-500, -480}, {600, 620}},
                                 {{44, -300}, {46, 400}}};
    for (const int width : {2, 3, 4, 5, 7})
        for (const DWORD cap : {DWORD(PS_ENDCAP_ROUND), DWORD(PS_ENDCAP_SQUARE), DWORD(PS_ENDCAP_FLAT)})
            for (const auto& segment : segments) {
                Canvas canvas(90, 90);
                SelectedPen pen(canvas.dc, WidePen(width, cap));
                ASSERT_TRUE(Polyline(canvas.dc, segment, 2));
                int wrong = 0, inked = 0;
                for (int y = 0; y < 90; ++y)
                    for (int x = 0; x < 90; ++x) {
                        const int expected = InsideStroke(x, y, segment[0], segment[1], width, cap);
                        const bool black = canvas.At(x, y) == kBlack;
                        inked += black;
                        if (expected >= 0 && black != (expected == 1)) ++wrong;
                    }
                EXPECT_EQ(wrong, 0) << "width " << width << " cap " << cap << " from (" << segment[0].x << ", "
                                    << segment[0].y << ") to (" << segment[1].x << ", " << segment[1].y << ")";
                EXPECT_GT(inked, 0);
            }

    // Flat caps end on the normals through the end points, which they include.
    Canvas flat(90, 20);
    {
        SelectedPen pen(flat.dc, WidePen(3, PS_ENDCAP_FLAT));
        const POINT along[2] = {{5, 10}, {78, 10}};
        ASSERT_TRUE(Polyline(flat.dc, along, 2));
    }
    for (int y = 9; y <= 11; ++y) {
        EXPECT_EQ(flat.At(5, y), kBlack) << y;
        EXPECT_EQ(flat.At(78, y), kBlack) << y;
        EXPECT_EQ(flat.At(4, y), kWhite) << y;
        EXPECT_EQ(flat.At(79, y), kWhite) << y;
    }

    // A flat-capped polyline turns with a round join: the union of both pieces and a dot.
    Canvas bent(90, 90);
    SelectedPen pen(bent.dc, WidePen(5, PS_ENDCAP_FLAT));
    const POINT corner[3] = {{10, 70}, {45, 20}, {80, 65}};
    ASSERT_TRUE(Polyline(bent.dc, corner, 3));
    int wrong = 0;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 90; ++x) {
            const int first = InsideStroke(x, y, corner[0], corner[1], 5, PS_ENDCAP_FLAT);
            const int second = InsideStroke(x, y, corner[1], corner[2], 5, PS_ENDCAP_FLAT);
            const int dot = InsideStroke(x, y, corner[1], corner[1], 5, PS_ENDCAP_ROUND);
            if (first < 0 || second < 0 || dot < 0) continue;
            if ((bent.At(x, y) == kBlack) != (first || second || dot)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(GdiLines, ExclusiveOrDrawnTwiceLeavesThePicture) {
    Canvas canvas(20, 20, 0x123456);
    SelectedPen pen(canvas.dc, CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
    EXPECT_EQ(SetROP2(canvas.dc, R2_XORPEN), R2_COPYPEN);
    const POINT outline[5] = {{3, 3}, {15, 3}, {15, 15}, {3, 15}, {3, 3}};
    ASSERT_TRUE(Polyline(canvas.dc, outline, 5));
    EXPECT_EQ(canvas.At(3, 3), 0x123456u ^ 0xFFFFFFu);
    EXPECT_EQ(canvas.At(9, 9), 0x123456u);
    ASSERT_TRUE(Polyline(canvas.dc, outline, 5));
    EXPECT_TRUE(canvas.Inked(0x123456).empty());
    EXPECT_EQ(GetROP2(canvas.dc), R2_XORPEN);
    EXPECT_EQ(SetROP2(canvas.dc, 0), 0);
    EXPECT_EQ(SetROP2(canvas.dc, 17), 0);
}

TEST(GdiPolygons, FillWithTheBrushByTheFillModeThenOutline) {
    Canvas canvas(20, 20);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(canvas.dc, red);
    SelectedPen pen(canvas.dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
    const POINT box[4] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    ASSERT_TRUE(Polygon(canvas.dc, box, 4));
    EXPECT_EQ(canvas.At(7, 7), kRed);
    EXPECT_EQ(canvas.At(2, 7), kBlue);
    EXPECT_EQ(canvas.At(12, 12), kBlue);
    EXPECT_EQ(canvas.At(13, 7), kWhite);

    // A pentagram: its centre is outside by the alternate rule and inside by the winding rule.
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    const POINT star[5] = {{10, 0}, {16, 19}, {0, 7}, {19, 7}, {3, 19}};
    Canvas alternate(20, 20), winding(20, 20);
    for (Canvas* c : {&alternate, &winding}) {
        SelectObject(c->dc, red);
        SelectObject(c->dc, GetStockObject(NULL_PEN));
    }
    EXPECT_EQ(SetPolyFillMode(winding.dc, WINDING), ALTERNATE);
    ASSERT_TRUE(Polygon(alternate.dc, star, 5));
    ASSERT_TRUE(Polygon(winding.dc, star, 5));
    EXPECT_EQ(alternate.At(10, 11), kWhite);
    EXPECT_EQ(winding.At(10, 11), kRed);
    EXPECT_EQ(alternate.At(10, 3), kRed);  // a tip
    for (Canvas* c : {&alternate, &winding}) SelectObject(c->dc, GetStockObject(WHITE_BRUSH));
    SelectObject(canvas.dc, oldBrush);
    EXPECT_TRUE(DeleteObject(red));
}

TEST(GdiPixels, SetPixelAnswersWhatTheSurfaceHoldsAndRefusesOutside) {
    Canvas canvas(4, 4);
    EXPECT_EQ(SetPixel(canvas.dc, 1, 2, RGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_EQ(canvas.At(1, 2), 0x0A141Eu);
    EXPECT_EQ(GetPixel(canvas.dc, 1, 2), RGB(10, 20, 30));
    EXPECT_EQ(SetPixel(canvas.dc, 4, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.dc, -1, 0, 0), CLR_INVALID);

    // An 8-bit bitmap holds the nearest colour of its colour cube.
    HBITMAP cube = CreateBitmap(2, 2, 1, 8, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, cube);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(250, 100, 10)), RGB(255, 102, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(cube);

    // An information DC has no pixels; a fresh memory DC holds only the stock bitmap.
    HDC info = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    const POINT line[2] = {{0, 0}, {3, 0}};
    EXPECT_FALSE(Polyline(info, line, 2));
    EXPECT_EQ(SetPixel(info, 0, 0, 0), CLR_INVALID);
    DeleteDC(info);
}

TEST(GdiMapModes, LogicalUnitsMapThroughExtentsAndOrigins) {
    Canvas canvas(40, 40);
    EXPECT_EQ(GetMapMode(canvas.dc), MM_TEXT);
    EXPECT_TRUE(SetWindowExtEx(canvas.dc, 5, 5, nullptr));  // ignored outside the scalable modes
    POINT p{3, 4};
    LPtoDP(canvas.dc, &p, 1);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);

    EXPECT_EQ(SetMapMode(canvas.dc, MM_ANISOTROPIC), MM_TEXT);
    ASSERT_TRUE(SetWindowExtEx(canvas.dc, 10, 10, nullptr));
    ASSERT_TRUE(SetViewportExtEx(canvas.dc, 20, 30, nullptr));
    ASSERT_TRUE(SetViewportOrgEx(canvas.dc, 5, 1, nullptr));
    EXPECT_FALSE(SetWindowExtEx(canvas.dc, 0, 10, nullptr));
    p = POINT{3, 4};
    LPtoDP(canvas.dc, &p, 1);
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 13);
    DPtoLP(canvas.dc, &p, 1);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);
    ASSERT_NE(SetPixel(canvas.dc, 3, 4, RGB(255, 0, 0)), CLR_INVALID);
    EXPECT_EQ(canvas.At(11, 13), kRed);
    EXPECT_EQ(GetPixel(canvas.dc, 3, 4), RGB(255, 0, 0));

    // Isotropic: the smaller scale on both axes.
    SetMapMode(canvas.dc, MM_ISOTROPIC);
    p = POINT{10, 10};
    LPtoDP(canvas.dc, &p, 1);
    EXPECT_EQ(p.x, 25);
    EXPECT_EQ(p.y, 21);

    // Tenths of millimetres at 254 dots per inch: one unit a pixel, y up.
    ASSERT_TRUE(VyrSetDeviceResolution(canvas.dc, 254, 254));
    SetViewportOrgEx(canvas.dc, 0, 30, nullptr);
    SetMapMode(canvas.dc, MM_LOMETRIC);
    p = POINT{10, 10};
    LPtoDP(canvas.dc, &p, 1);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    EXPECT_EQ(SetMapMode(canvas.dc, 9), 0);
}

TEST(GdiResolution, PrinterLikeDcsReportTheirResolutionAndPassItOn) {
    HDC info = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetDeviceCaps(info, LOGPIXELSX), 96);
    ASSERT_TRUE(VyrSetDeviceResolution(info, 600, 300));
    EXPECT_EQ(GetDeviceCaps(info, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(info, LOGPIXELSY), 300);
    EXPECT_EQ(GetDeviceCaps(info, HORZSIZE), 54);  // 1280 pixels at 600 dpi
    HDC memory = CreateCompatibleDC(info);
    EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSX), 600);
    EXPECT_FALSE(VyrSetDeviceResolution(memory, 0, 300));
    EXPECT_FALSE(VyrSetDeviceResolution(nullptr, 300, 300));
    DeleteDC(memory);
    DeleteDC(info);
}
