// Fonts and text drawn into memory DCs: faces found for Windows names, metrics that follow the
// requested height, and glyphs that land inside their extent, the right way up and round,
// placed by the text alignment.
#include "DibCanvas.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <string>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0;

// A white canvas that draws text in a font of its own.
struct Canvas : vyrtest::DibCanvas {
    Canvas(int w, int h) : DibCanvas(w, h) {}
    ~Canvas() {
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        if (font) DeleteObject(font);
    }
    // Selects a new font of the face, height and escapement (the previous one is deleted).
    void Use(const wchar_t* face, LONG fontHeight, LONG escapement = 0, BYTE quality = NONANTIALIASED_QUALITY) {
        LOGFONTW description{};
        description.lfHeight = fontHeight;
        description.lfEscapement = escapement;
        description.lfWeight = FW_NORMAL;
        description.lfQuality = quality;
        std::wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
        HFONT next = CreateFontIndirectW(&description);
        SelectObject(dc, next);
        if (font) DeleteObject(font);
        font = next;
    }

    HFONT font = nullptr;
};

}  // namespace

TEST(GdiFonts, KeepTheirDescriptionAndFindMetricCompatibleFaces) {
    LOGFONTW description{};
    description.lfHeight = -14;
    description.lfItalic = 1;
    std::wcscpy(description.lfFaceName, L"Arial");
    HFONT font = CreateFontIndirectW(&description);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetObjectType(font), DWORD(OBJ_FONT));
    LOGFONTW back{};
    ASSERT_EQ(GetObjectW(font, sizeof back, &back), int(sizeof back));
    EXPECT_EQ(back.lfHeight, -14);
    EXPECT_EQ(back.lfItalic, 1);
    EXPECT_STREQ(back.lfFaceName, L"Arial");
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);

    Canvas canvas(8, 8);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(canvas.dc, font), GetStockObject(SYSTEM_FONT));
    EXPECT_FALSE(DeleteObject(font));  // selected
    wchar_t face[LF_FACESIZE] = {};
    ASSERT_GT(GetTextFaceW(canvas.dc, LF_FACESIZE, face), 0);
    EXPECT_STREQ(face, L"Liberation Sans");
    EXPECT_EQ(GetTextFaceW(canvas.dc, 0, nullptr), int(std::wcslen(face)) + 1);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(DeleteObject(font));

    canvas.Use(L"Times New Roman", -12);
    GetTextFaceW(canvas.dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Liberation Serif");
    canvas.Use(L"Courier New", -12);
    GetTextFaceW(canvas.dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Liberation Mono");
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &metrics));
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // GDI's bit says "variable pitch"
}

TEST(GdiFonts, HeightsFollowGdiAndExtentsAddUp) {
    Canvas canvas(8, 8);
    canvas.Use(L"Arial", -20);  // character height
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, 20, 1);
    EXPECT_GT(metrics.tmAveCharWidth, 0);

    canvas.Use(L"Arial", 20);  // cell height
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &metrics));
    EXPECT_NEAR(metrics.tmHeight, 20, 1);

    SIZE whole{}, first{}, rest{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"Hello", 5, &whole));
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"He", 2, &first));
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"llo", 3, &rest));
    EXPECT_GT(whole.cx, 0);
    EXPECT_EQ(whole.cx, first.cx + rest.cx);
    EXPECT_EQ(whole.cy, metrics.tmHeight);
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, nullptr, 2, &whole));
    EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, L"x", -1, &whole));

    // Logical units scale with the map mode.
    SetMapMode(canvas.dc, MM_ANISOTROPIC);
    SetWindowExtEx(canvas.dc, 1, 1, nullptr);
    SetViewportExtEx(canvas.dc, 2, 2, nullptr);
    TEXTMETRICW doubled{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &doubled));
    EXPECT_NEAR(doubled.tmHeight, 20, 1);  // the same logical height, drawn twice as large
    SetMapMode(canvas.dc, MM_TEXT);
}

TEST(GdiText, GlyphsLandInsideTheirExtentTheRightWayUp) {
    Canvas canvas(200, 80);
    canvas.Use(L"Arial", -40);
    SetBkMode(canvas.dc, TRANSPARENT);
    EXPECT_EQ(SetTextAlign(canvas.dc, TA_BASELINE | TA_LEFT), UINT(TA_LEFT | TA_TOP));
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.dc, &metrics);
    SIZE extent{};
    GetTextExtentPoint32W(canvas.dc, L"L", 1, &extent);
    const int x = 50, y = 60;
    ASSERT_TRUE(TextOutW(canvas.dc, x, y, L"L", 1));
    int left, top, right, bottom;
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(left, x);
    EXPECT_LT(right, x + extent.cx);
    EXPECT_GE(top, y - metrics.tmAscent);
    EXPECT_LT(bottom, y + metrics.tmDescent);
    // The glyph stands on the baseline: its foot is the last row above it.
    EXPECT_EQ(bottom, y - 1);
    // An "L": the stroke on the left runs the whole height, the foot only at the bottom. A
    // mirrored glyph would have its stroke on the right, an upside-down one its foot on top.
    const int middle = (top + bottom) / 2;
    EXPECT_GT(canvas.InkIn(left, middle, left + 2, middle), 0);
    EXPECT_EQ(canvas.InkIn(right - 2, middle, right, middle), 0);
    EXPECT_GT(canvas.InkIn(right - 2, bottom - 1, right, bottom), 0);
    EXPECT_EQ(canvas.InkIn(right - 2, top, right, top + 2), 0);
    // One bit a pixel: black or white only.
    for (int i = 0; i < canvas.width * canvas.height; ++i) ASSERT_TRUE(canvas.bits[i] == kWhite || canvas.bits[i] == kBlack);
}

TEST(GdiText, AlignmentPlacesTheRunAroundTheReferencePoint) {
    Canvas canvas(300, 80);
    canvas.Use(L"Arial", -24);
    SetBkMode(canvas.dc, TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32W(canvas.dc, L"Text", 4, &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.dc, &metrics);
    int left, top, right, bottom;

    SetTextAlign(canvas.dc, TA_RIGHT | TA_TOP);
    ASSERT_TRUE(TextOutW(canvas.dc, 150, 10, L"Text", 4));
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_LT(right, 150);
    EXPECT_GE(left, 150 - extent.cx);
    EXPECT_GE(top, 10);
    EXPECT_LT(bottom, 10 + metrics.tmHeight);

    canvas.Clear();
    SetTextAlign(canvas.dc, TA_CENTER | TA_BOTTOM);
    ASSERT_TRUE(TextOutW(canvas.dc, 150, 70, L"Text", 4));
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_LT(left, 150);
    EXPECT_GT(right, 150);
    EXPECT_NEAR((left + right) / 2.0, 150.0, 4.0);
    EXPECT_LT(bottom, 70);
    EXPECT_GE(top, 70 - metrics.tmHeight);

    // The current position: TA_UPDATECP draws there and moves it past the text.
    canvas.Clear();
    SetTextAlign(canvas.dc, TA_UPDATECP | TA_LEFT | TA_BASELINE);
    MoveToEx(canvas.dc, 20, 40, nullptr);
    ASSERT_TRUE(TextOutW(canvas.dc, 0, 0, L"Text", 4));
    POINT position{};
    GetCurrentPositionEx(canvas.dc, &position);
    EXPECT_EQ(position.x, 20 + extent.cx);
    EXPECT_EQ(position.y, 40);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_GE(left, 20);
    EXPECT_LT(bottom, 40);
}

TEST(GdiText, TurnedTextRunsAlongItsEscapement) {
    Canvas canvas(100, 200);
    canvas.Use(L"Arial", -24, 900);  // 90 degrees: the baseline runs up the page
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextAlign(canvas.dc, TA_BASELINE | TA_LEFT);
    SIZE extent{};
    GetTextExtentPoint32W(canvas.dc, L"LLLL", 4, &extent);
    ASSERT_TRUE(TextOutW(canvas.dc, 50, 150, L"LLLL", 4));
    int left, top, right, bottom;
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_LE(bottom, 150);
    EXPECT_GE(top, 150 - extent.cx - 2);
    EXPECT_GT(bottom - top, right - left);  // a tall column
    EXPECT_LE(right, 50);                   // the glyphs stand on the left of the baseline
    EXPECT_GE(left, 50 - 24 - 2);
}

TEST(GdiText, BackgroundModeReadingOrderAndAdvances) {
    Canvas opaque(200, 60);
    opaque.Use(L"Arial", -20);
    SetBkColor(opaque.dc, RGB(0, 0, 255));
    SetTextAlign(opaque.dc, TA_TOP | TA_LEFT);
    ASSERT_TRUE(TextOutW(opaque.dc, 10, 10, L"i", 1));
    SIZE extent{};
    GetTextExtentPoint32W(opaque.dc, L"i", 1, &extent);
    EXPECT_EQ(opaque.At(10, 10), 0x0000FFu);  // the cell's corner takes the background colour
    EXPECT_EQ(opaque.At(10 + extent.cx, 10), kWhite);

    // Right to left: Hebrew alef, bet read right to left shows the pixels of bet, alef.
    Canvas forward(200, 60), backward(200, 60);
    for (Canvas* c : {&forward, &backward}) {
        c->Use(L"Arial", -20);
        SetBkMode(c->dc, TRANSPARENT);
    }
    ASSERT_TRUE(TextOutW(forward.dc, 10, 10, L"\u05D1\u05D0", 2));
    ASSERT_TRUE(ExtTextOutW(backward.dc, 10, 10, ETO_RTLREADING, nullptr, L"\u05D0\u05D1", 2, nullptr));
    EXPECT_TRUE(std::equal(forward.bits, forward.bits + 200 * 60, backward.bits));

    // Advances given per character spread the glyphs.
    Canvas spread(200, 60);
    spread.Use(L"Arial", -20);
    SetBkMode(spread.dc, TRANSPARENT);
    const INT dx[2] = {100, 10};
    ASSERT_TRUE(ExtTextOutW(spread.dc, 10, 10, 0, nullptr, L"ll", 2, dx));
    EXPECT_GT(spread.InkIn(10, 0, 20, 59), 0);
    EXPECT_EQ(spread.InkIn(30, 0, 100, 59), 0);
    EXPECT_GT(spread.InkIn(110, 0, 120, 59), 0);

    // Clipped to a rectangle, and a rectangle filled without text.
    Canvas clipped(200, 60);
    clipped.Use(L"Arial", -20);
    const RECT box{10, 10, 15, 40};
    ASSERT_TRUE(ExtTextOutW(clipped.dc, 10, 10, ETO_CLIPPED, &box, L"WWW", 3, nullptr));
    EXPECT_EQ(clipped.InkIn(15, 0, 199, 59), 0);
    EXPECT_GT(clipped.InkIn(10, 10, 14, 39), 0);
    SetBkColor(clipped.dc, RGB(255, 0, 0));
    const RECT fill{100, 0, 110, 5};
    ASSERT_TRUE(ExtTextOutW(clipped.dc, 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr));
    EXPECT_EQ(clipped.At(105, 2), 0xFF0000u);
    EXPECT_EQ(clipped.At(110, 2), kWhite);
    EXPECT_FALSE(ExtTextOutW(clipped.dc, 0, 0, 0, nullptr, nullptr, 2, nullptr));
}

TEST(GdiText, AntialiasedQualityBlendsByCoverage) {
    Canvas canvas(100, 60);
    canvas.Use(L"Arial", -30, 0, ANTIALIASED_QUALITY);
    SetBkMode(canvas.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutW(canvas.dc, 10, 10, L"O", 1));
    int grey = 0;
    for (int i = 0; i < canvas.width * canvas.height; ++i)
        grey += canvas.bits[i] != kWhite && canvas.bits[i] != kBlack;
    EXPECT_GT(grey, 0);
}

TEST(GdiText, DrawTextLaysLinesOutInItsRectangle) {
    Canvas canvas(200, 100);
    canvas.Use(L"Arial", -16);
    SetBkMode(canvas.dc, TRANSPARENT);
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas.dc, &metrics);
    SIZE extent{};
    GetTextExtentPoint32W(canvas.dc, L"File", 4, &extent);

    RECT measure{10, 10, 10, 10};
    EXPECT_EQ(DrawTextW(canvas.dc, L"&File\nI", -1, &measure, DT_CALCRECT), 2 * metrics.tmHeight);
    EXPECT_EQ(measure.right, 10 + extent.cx);  // "&" taken out
    EXPECT_EQ(measure.bottom, 10 + 2 * metrics.tmHeight);
    int left, top, right, bottom;
    EXPECT_FALSE(canvas.Ink(left, top, right, bottom));  // measuring draws nothing

    RECT box{0, 0, 200, 100};
    ASSERT_EQ(DrawTextW(canvas.dc, L"File", 4, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER),
              (100 - metrics.tmHeight) / 2 + metrics.tmHeight);
    ASSERT_TRUE(canvas.Ink(left, top, right, bottom));
    EXPECT_NEAR((left + right) / 2.0, 100.0, 3.0);
    EXPECT_NEAR((top + bottom) / 2.0, 50.0, metrics.tmHeight / 2.0);

    // Clipped to the rectangle unless DT_NOCLIP.
    canvas.Clear();
    RECT narrow{20, 20, 25, 60};
    DrawTextW(canvas.dc, L"WWWW", 4, &narrow, DT_SINGLELINE);
    EXPECT_EQ(canvas.InkIn(25, 0, 199, 99), 0);
    EXPECT_GT(canvas.InkIn(20, 20, 24, 59), 0);
    canvas.Clear();
    DrawTextW(canvas.dc, L"WWWW", 4, &narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(canvas.InkIn(25, 0, 199, 99), 0);
    EXPECT_EQ(DrawTextW(canvas.dc, nullptr, 4, &narrow, 0), 0);
    EXPECT_EQ(DrawTextW(canvas.dc, L"x", 1, nullptr, 0), 0);
}

TEST(GdiText, AbcWidthsAddUpToTheAdvancesTheTextOutputUses) {
    Canvas canvas(300, 80);
    for (const wchar_t* face : {L"Arial", L"Times New Roman", L"DejaVu Sans"}) {
        for (LONG height : {-11L, -20L, 1024L}) {
            canvas.Use(face, height);
            const std::wstring text = L"Wij fly, AVA!";
            SIZE extent{};
            ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, text.data(), int(text.size()), &extent));
            double sum = 0.0;
            for (wchar_t c : text) {
                ABCFLOAT abc{};
                ASSERT_TRUE(GetCharABCWidthsFloatW(canvas.dc, UINT(c), UINT(c), &abc));
                SIZE one{};
                GetTextExtentPoint32W(canvas.dc, &c, 1, &one);
                EXPECT_NEAR(abc.abcfA + abc.abcfB + abc.abcfC, double(one.cx), 0.01) << int(c);
                if (c != L' ') {
                    EXPECT_GT(abc.abcfB, 0.0f) << int(c);
                }
                sum += abc.abcfA + abc.abcfB + abc.abcfC;
            }
            EXPECT_NEAR(sum, double(extent.cx), double(text.size()));
        }
    }
    // A range fills one record a character; the italic 'f' of a serif face overhangs (C < 0) or
    // at least its ink stays inside its advance plus its bearings.
    canvas.Use(L"Arial", -40);
    ABCFLOAT range[3] = {};
    ASSERT_TRUE(GetCharABCWidthsFloatW(canvas.dc, L'i', L'k', range));
    EXPECT_LT(range[0].abcfB, range[2].abcfB);  // i is narrower than k
    ABCFLOAT i{};
    GetCharABCWidthsFloatW(canvas.dc, L'i', L'i', &i);
    EXPECT_FLOAT_EQ(i.abcfB, range[0].abcfB);

    // Bad input: a reversed range, no output, a dead DC.
    EXPECT_FALSE(GetCharABCWidthsFloatW(canvas.dc, L'k', L'i', range));
    EXPECT_FALSE(GetCharABCWidthsFloatW(canvas.dc, L'i', L'i', nullptr));
    EXPECT_FALSE(GetCharABCWidthsFloatW(nullptr, L'i', L'i', range));
    // A character without a glyph, and a code point past U+10FFFF, measure the missing-glyph box.
    ABCFLOAT missing{}, beyond{};
    ASSERT_TRUE(GetCharABCWidthsFloatW(canvas.dc, 0xE000u, 0xE000u, &missing));
    ASSERT_TRUE(GetCharABCWidthsFloatW(canvas.dc, 0x110000u, 0x110000u, &beyond));
    EXPECT_GT(missing.abcfA + missing.abcfB + missing.abcfC, 0.0f);
    EXPECT_FLOAT_EQ(beyond.abcfB, missing.abcfB);
}

TEST(GdiText, RightToLeftRunsKeepALatinWordInReadingOrder) {
    // Hebrew alef, a Latin word, Hebrew bet, read right to left, shows bet, the word, alef from the
    // left: the word itself keeps its letters left to right.
    Canvas rtl(300, 60), visual(300, 60), reversed(300, 60);
    for (Canvas* c : {&rtl, &visual, &reversed}) {
        c->Use(L"Arial", -20);
        SetBkMode(c->dc, TRANSPARENT);
    }
    const std::wstring logical = L"\u05D0 CAD \u05D1";
    ASSERT_TRUE(ExtTextOutW(rtl.dc, 10, 10, ETO_RTLREADING, nullptr, logical.data(), UINT(logical.size()), nullptr));
    ASSERT_TRUE(TextOutW(visual.dc, 10, 10, L"\u05D1 CAD \u05D0", 7));
    ASSERT_TRUE(TextOutW(reversed.dc, 10, 10, L"\u05D1 DAC \u05D0", 7));
    EXPECT_TRUE(std::equal(visual.bits, visual.bits + 300 * 60, rtl.bits));
    EXPECT_FALSE(std::equal(reversed.bits, reversed.bits + 300 * 60, rtl.bits));

    // The text alignment's reading flag does the same; brackets are mirrored.
    Canvas aligned(300, 60), mirrored(300, 60);
    for (Canvas* c : {&aligned, &mirrored}) {
        c->Use(L"Arial", -20);
        SetBkMode(c->dc, TRANSPARENT);
    }
    SetTextAlign(aligned.dc, TA_TOP | TA_LEFT | TA_RTLREADING);
    ASSERT_TRUE(TextOutW(aligned.dc, 10, 10, L"\u05D0(\u05D1)", 4));
    ASSERT_TRUE(TextOutW(mirrored.dc, 10, 10, L"(\u05D1)\u05D0", 4));
    EXPECT_TRUE(std::equal(mirrored.bits, mirrored.bits + 300 * 60, aligned.bits));

    // Code points past U+10FFFF in a right-to-left run draw (the missing-glyph box) and do not fail.
    const wchar_t odd[3] = {wchar_t(0x05D0), wchar_t(0x110000), wchar_t(0x7FFFFFFF)};
    EXPECT_TRUE(ExtTextOutW(rtl.dc, 10, 30, ETO_RTLREADING, nullptr, odd, 3, nullptr));
}
