// GDI bitmaps and memory DCs: object lifetimes, descriptions, pixel transfers.
#include "DibCanvas.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// 0x00RRGGBB, as a 32-bit DIB pixel reads on this machine.
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

BITMAPINFO Header(int width, int height, int bitCount) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = WORD(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A canvas black unless told otherwise, with a pattern of its own.
struct Canvas : vyrtest::DibCanvas {
    Canvas(int w, int h, uint32_t fill = 0) : DibCanvas(w, h, fill) {}
    // Each pixel a different colour: red = x, green = y, blue = 0x80.
    void Pattern() {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) At(x, y) = uint32_t(x) << 16 | uint32_t(y) << 8 | 0x80;
    }
    static uint32_t PatternAt(int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | 0x80; }
};

TEST(Gdi, DibSectionRoundTripKeepsRowOrder) {
    // A bottom-up 24-bit DIB: the first row in memory is the bottom row of the picture.
    BITMAPINFO info = Header(3, 2, 24);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(pixels, nullptr);
    uint8_t* bytes = static_cast<uint8_t*>(pixels);
    const int stride = 12;  // 9 bytes rounded up to a DWORD
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = bytes + row * stride + x * 3;
            p[0] = uint8_t(0x10 + x);      // blue
            p[1] = uint8_t(0x20 + row);    // green: stored row (0 = bottom)
            p[2] = 0x30;                   // red
        }

    // Header query: sizes come from the bitmap.
    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    query.bmiHeader.biBitCount = 32;
    EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 2, nullptr, &query, DIB_RGB_COLORS), 2);
    EXPECT_EQ(query.bmiHeader.biWidth, 3);
    EXPECT_EQ(query.bmiHeader.biHeight, 2);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 24u);

    // Top-down 32-bit copy: the first row out is the top of the picture (stored row 1).
    BITMAPINFO down = Header(3, -2, 32);
    std::vector<uint32_t> top(6, 0xDEADBEEF);
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, top.data(), &down, DIB_RGB_COLORS), 2);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(top[x], 0x302110u + x) << x;
        EXPECT_EQ(top[3 + x], 0x302010u + x) << x;
    }

    // Bottom-up 24-bit copy gives back the same bytes; one band row from line 1 is the top row.
    BITMAPINFO up = Header(3, 2, 24);
    std::vector<uint8_t> copy(24, 0xEE);
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, copy.data(), &up, DIB_RGB_COLORS), 2);
    for (int row = 0; row < 2; ++row) EXPECT_EQ(std::memcmp(copy.data() + row * 12, bytes + row * 12, 9), 0) << row;
    std::vector<uint8_t> band(12, 0xEE);
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 1, 5, band.data(), &up, DIB_RGB_COLORS), 1);
    EXPECT_EQ(band[1], 0x21);
    EXPECT_EQ(GetDIBits(nullptr, bitmap, 2, 1, band.data(), &up, DIB_RGB_COLORS), 0);

    // Depths other than 24 and 32 are refused, not guessed.
    BITMAPINFO sixteen = Header(3, 2, 16);
    EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 2, copy.data(), &sixteen, DIB_RGB_COLORS), 0);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(Gdi, DeviceDependentBitmapsHoldWordAlignedRowsFromTheTop) {
    // 3 pixels at 24 bits: 9 bytes, WORD-aligned to 10.
    const uint8_t rows[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0};
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 24, rows);
    ASSERT_NE(bitmap, nullptr);
    BITMAP description{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidthBytes, 10);
    EXPECT_EQ(description.bmBits, nullptr);
    BITMAPINFO info = Header(3, -2, 32);
    uint32_t out[6] = {};
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, out, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(out[0], 0x030201u);
    EXPECT_EQ(out[5], 0x131211u);
    DeleteObject(bitmap);

    // Monochrome: bit 1 is white, bit 0 black; 17 pixels take 4 bytes per row.
    const uint8_t mono[4] = {0x80, 0, 0x80, 0};
    HBITMAP bits1 = CreateBitmap(17, 1, 1, 1, mono);
    ASSERT_EQ(GetObjectW(bits1, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidthBytes, 4);
    uint32_t line[17] = {};
    BITMAPINFO monoInfo = Header(17, 1, 32);
    ASSERT_EQ(GetDIBits(nullptr, bits1, 0, 1, line, &monoInfo, DIB_RGB_COLORS), 1);
    EXPECT_EQ(line[0], kWhite);
    EXPECT_EQ(line[1], kBlack);
    EXPECT_EQ(line[16], kWhite);
    DeleteObject(bits1);

    EXPECT_EQ(CreateBitmap(4, 4, 2, 24, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 16, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(-4, 4, 1, 24, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);
}

TEST(Gdi, BitmapBitsTravelAsStoredAndStopAtTheBitmapsEnd) {
    // 3 pixels at 24 bits: rows of 10 bytes, from the top.
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 24, nullptr);
    ASSERT_NE(bitmap, nullptr);
    uint8_t rows[20];
    for (int i = 0; i < 20; ++i) rows[i] = uint8_t(i + 1);
    EXPECT_EQ(SetBitmapBits(bitmap, sizeof rows + 8, rows), 20);  // bytes past the pixels are ignored
    uint8_t back[24] = {};
    EXPECT_EQ(GetBitmapBits(bitmap, sizeof back, back), 20);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[19], 20);
    EXPECT_EQ(back[20], 0);  // nothing written past the pixels
    // The top row is the first: a DIB read of the top-left pixel gives bytes 1, 2, 3 (B, G, R).
    BITMAPINFO info = Header(3, -2, 32);
    uint32_t out[6] = {};
    ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 2, out, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(out[0], 0x030201u);

    // A part: only the first bytes change, and only as many as asked are read.
    const uint8_t zero[4] = {};
    EXPECT_EQ(SetBitmapBits(bitmap, 4, zero), 4);
    uint8_t two[2] = {9, 9};
    EXPECT_EQ(GetBitmapBits(bitmap, 2, two), 2);
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(GetBitmapBits(bitmap, 24, back), 20);
    EXPECT_EQ(back[4], 5);

    // Refusals: no buffer, no size, a stale handle, the shared stock bitmap.
    EXPECT_EQ(GetBitmapBits(bitmap, 0, back), 0);
    EXPECT_EQ(GetBitmapBits(bitmap, 4, nullptr), 0);
    EXPECT_EQ(SetBitmapBits(bitmap, 0, rows), 0);
    EXPECT_EQ(SetBitmapBits(bitmap, 4, nullptr), 0);
    HBITMAP stock = CreateBitmap(0, 0, 1, 1, nullptr);
    EXPECT_EQ(SetBitmapBits(stock, 2, rows), 0);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GetBitmapBits(bitmap, 4, back), 0);
    EXPECT_EQ(SetBitmapBits(bitmap, 4, rows), 0);
}

TEST(Gdi, SelectionAndDeletionFollowOwnership) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);

    // A memory DC starts with the 1x1 monochrome stock bitmap, and bitmaps compatible
    // with it are monochrome.
    HGDIOBJ stock = SelectObject(first, bitmap);
    ASSERT_NE(stock, nullptr);
    BITMAP description{};
    ASSERT_EQ(GetObjectW(stock, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidth, 1);
    EXPECT_EQ(description.bmBitsPixel, 1);
    HBITMAP mono = CreateCompatibleBitmap(second, 5, 5);
    ASSERT_EQ(GetObjectW(mono, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmBitsPixel, 1);
    HBITMAP deep = CreateCompatibleBitmap(first, 5, 5);
    ASSERT_EQ(GetObjectW(deep, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmBitsPixel, 32);

    // One DC at a time; deleting waits until it is selected out.
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(first, stock), bitmap);
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(second));  // releases the bitmap
    EXPECT_TRUE(DeleteObject(bitmap));

    // Stale and foreign handles answer failure.
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectW(bitmap, sizeof description, &description), 0);
    EXPECT_EQ(SelectObject(first, bitmap), nullptr);
    EXPECT_FALSE(DeleteDC(second));
    EXPECT_EQ(GetDeviceCaps(second, HORZRES), 0);
    int notAnObject = 0;
    EXPECT_FALSE(DeleteObject(&notAnObject));
    EXPECT_EQ(GetObjectType(&notAnObject), 0u);
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(&notAnObject), 0, 0, 1, 1, first, 0, 0, SRCCOPY));

    // The stock bitmap survives DeleteObject; zero-sized bitmaps are the stock one.
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetObjectW(stock, sizeof description, &description), int(sizeof(BITMAP)));
    EXPECT_EQ(CreateBitmap(0, 7, 1, 32, nullptr), stock);
    EXPECT_EQ(GetObjectType(first), DWORD(OBJ_MEMDC));
    EXPECT_EQ(GetObjectType(mono), DWORD(OBJ_BITMAP));
    DeleteObject(mono);
    DeleteObject(deep);
    DeleteDC(first);
}

TEST(Gdi, GetObjectAnswersSizesAndDibDescriptions) {
    BITMAPINFO info = Header(5, -3, 32);
    void* pixels = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HBITMAP ddb = CreateBitmap(5, 3, 1, 32, nullptr);
    EXPECT_EQ(GetObjectW(dib, 0, nullptr), int(sizeof(DIBSECTION)));
    EXPECT_EQ(GetObjectW(ddb, 0, nullptr), int(sizeof(BITMAP)));

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(dib, sizeof section, &section), int(sizeof(DIBSECTION)));
    EXPECT_EQ(section.dsBm.bmBits, pixels);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 20);
    EXPECT_EQ(section.dsBmih.biHeight, -3);
    EXPECT_EQ(section.dsBmih.biSizeImage, 60u);
    BITMAP plain{};
    ASSERT_EQ(GetObjectW(dib, sizeof plain, &plain), int(sizeof(BITMAP)));
    EXPECT_EQ(plain.bmHeight, 3);
    EXPECT_EQ(GetObjectW(ddb, int(sizeof(BITMAP)) - 1, &plain), 0);
    DeleteObject(dib);
    DeleteObject(ddb);
    static_assert(sizeof(BITMAPFILEHEADER) == 14, "stored .bmp header");
    static_assert(sizeof(BITMAPINFOHEADER) == 40, "stored DIB header");
}

TEST(Gdi, CreateDibSectionRefusesWhatItCannotHold) {
    void* pixels = reinterpret_cast<void*>(1);
    BITMAPINFO sixteen = Header(4, 4, 16);
    EXPECT_EQ(CreateDIBSection(nullptr, &sixteen, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    BITMAPINFO empty = Header(0, 4, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &empty, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);
    BITMAPINFO small = Header(4, 4, 32);
    small.bmiHeader.biSize = 12;
    EXPECT_EQ(CreateDIBSection(nullptr, &small, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);
    BITMAPINFO good = Header(4, 4, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &good, DIB_RGB_COLORS, &pixels, reinterpret_cast<HANDLE>(8), 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &pixels, nullptr, 0), nullptr);

    // 8 bits with a colour table: indices read back as the table's colours.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } indexed{Header(2, -1, 8).bmiHeader, {{0, 0, 0xFF, 0}, {0xFF, 0, 0, 0}}};
    indexed.header.biClrUsed = 2;
    HBITMAP palette = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&indexed), DIB_RGB_COLORS, &pixels,
                                       nullptr, 0);
    ASSERT_NE(palette, nullptr);
    static_cast<uint8_t*>(pixels)[1] = 1;
    BITMAPINFO out = Header(2, -1, 32);
    uint32_t read[2] = {};
    ASSERT_EQ(GetDIBits(nullptr, palette, 0, 1, read, &out, DIB_RGB_COLORS), 1);
    EXPECT_EQ(read[0], kRed);
    EXPECT_EQ(read[1], kBlue);
    EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&indexed), DIB_PAL_COLORS, &pixels, nullptr, 0),
              nullptr);
    DeleteObject(palette);
}

TEST(Gdi, BitBltClipsToBothSurfaces) {
    Canvas src(4, 4), dst(4, 4, kWhite);
    src.Pattern();

    // Destination origin left of and above the target: only the overlap is written.
    ASSERT_TRUE(BitBlt(dst.dc, -1, -1, 4, 4, src.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.At(x, y), x < 3 && y < 3 ? Canvas::PatternAt(x + 1, y + 1) : kWhite) << x << "," << y;

    // Source running past its right and bottom edges: pixels without a source stay.
    std::fill(dst.bits, dst.bits + 16, kWhite);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 2, 3, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.At(x, y), x < 2 && y < 1 ? Canvas::PatternAt(x + 2, 3) : kWhite) << x << "," << y;

    // Nothing to do is not an error, and absurd sizes stay inside the surfaces.
    std::fill(dst.bits, dst.bits + 16, kWhite);
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 0, 4, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 10, 10, 4, 4, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, -10, 0, SRCCOPY));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(dst.bits[i], kWhite);
    EXPECT_TRUE(BitBlt(dst.dc, INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, src.dc, INT_MIN / 2, INT_MIN / 2, SRCCOPY));
    EXPECT_EQ(dst.At(3, 3), Canvas::PatternAt(3, 3));

    // Scrolling within one bitmap reads the source before writing.
    src.Pattern();
    ASSERT_TRUE(BitBlt(src.dc, 1, 0, 3, 4, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(src.At(1, 2), Canvas::PatternAt(0, 2));
    EXPECT_EQ(src.At(3, 2), Canvas::PatternAt(2, 2));
}

TEST(Gdi, RasterOperationsCombineSourceAndDestination) {
    Canvas src(2, 1), dst(2, 1);
    src.At(0, 0) = 0x00F0F0;
    src.At(1, 0) = 0x123456;
    const uint32_t d0 = 0xFF0F00, d1 = 0xABCDEF;
    struct Case {
        DWORD rop;
        uint32_t expect0, expect1;
    } cases[] = {
        {SRCCOPY, 0x00F0F0, 0x123456},
        {SRCPAINT, 0xFFFFF0, 0x123456 | d1},
        {SRCAND, 0x000000, 0x123456 & d1},
        {SRCINVERT, 0xFFFFF0, 0x123456 ^ d1},
        {NOTSRCCOPY, 0xFF0F0F, 0xEDCBA9},
        {BLACKNESS, kBlack, kBlack},
        {WHITENESS, kWhite, kWhite},
        {DSTINVERT, 0x00F0FF, 0x543210},
    };
    for (const Case& c : cases) {
        dst.At(0, 0) = d0;
        dst.At(1, 0) = d1;
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(dst.At(0, 0), c.expect0) << std::hex << c.rop;
        EXPECT_EQ(dst.At(1, 0), c.expect1) << std::hex << c.rop;
    }
    // Operations without a source need no source DC.
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 2, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 1, nullptr, 0, 0, SRCCOPY));

    // XOR twice gives the picture back.
    Canvas picture(3, 3), cursor(3, 3);
    picture.Pattern();
    cursor.Pattern();
    std::vector<uint32_t> before(picture.bits, picture.bits + 9);
    ASSERT_TRUE(BitBlt(picture.dc, 0, 0, 3, 3, cursor.dc, 0, 0, SRCINVERT));
    EXPECT_EQ(picture.At(1, 1), kBlack);
    ASSERT_TRUE(BitBlt(picture.dc, 0, 0, 3, 3, cursor.dc, 0, 0, SRCINVERT));
    EXPECT_EQ(std::vector<uint32_t>(picture.bits, picture.bits + 9), before);
}

TEST(Gdi, StretchBltScalesByNearestPixel) {
    Canvas small(2, 2), big(4, 4);
    small.At(0, 0) = kRed;
    small.At(1, 0) = kGreen;
    small.At(0, 1) = kBlue;
    small.At(1, 1) = kWhite;
    EXPECT_EQ(SetStretchBltMode(big.dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(GetStretchBltMode(big.dc), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(big.dc, 99), 0);

    ASSERT_TRUE(StretchBlt(big.dc, 0, 0, 4, 4, small.dc, 0, 0, 2, 2, SRCCOPY));
    const uint32_t quadrant[2][2] = {{kRed, kGreen}, {kBlue, kWhite}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(big.At(x, y), quadrant[y / 2][x / 2]) << x << "," << y;

    // Halving takes one pixel of each 2x2 block.
    Canvas half(2, 2);
    ASSERT_TRUE(StretchBlt(half.dc, 0, 0, 2, 2, big.dc, 0, 0, 4, 4, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(half.At(x, y), quadrant[y][x]);

    // A negative destination width mirrors.
    ASSERT_TRUE(StretchBlt(half.dc, 2, 0, -2, 2, small.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(half.At(0, 0), kGreen);
    EXPECT_EQ(half.At(1, 1), kBlue);
}

TEST(Gdi, DibsDrawUprightWhateverTheirRowOrder) {
    // 2x2 picture: top row red, green; bottom row blue, white; 32 bits, bottom-up.
    const uint32_t bottomUp[4] = {kBlue, kWhite, kRed, kGreen};
    BITMAPINFO info = Header(2, 2, 32);
    Canvas canvas(4, 4, kBlack);
    ASSERT_EQ(SetDIBitsToDevice(canvas.dc, 1, 1, 2, 2, 0, 0, 0, 2, bottomUp, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(canvas.At(1, 1), kRed);
    EXPECT_EQ(canvas.At(2, 1), kGreen);
    EXPECT_EQ(canvas.At(1, 2), kBlue);
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    EXPECT_EQ(canvas.At(0, 0), kBlack);

    // One band (the bottom row only) lands on the bottom row of the rectangle.
    std::fill(canvas.bits, canvas.bits + 16, kBlack);
    ASSERT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 2, 2, 0, 0, 0, 1, bottomUp, &info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(canvas.At(0, 0), kBlack);
    EXPECT_EQ(canvas.At(0, 1), kBlue);

    // The same picture top-down, stretched 2x onto the canvas.
    const uint32_t topDown[4] = {kRed, kGreen, kBlue, kWhite};
    BITMAPINFO downInfo = Header(2, -2, 32);
    ASSERT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, topDown, &downInfo, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(3, 0), kGreen);
    EXPECT_EQ(canvas.At(1, 3), kBlue);
    ASSERT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, bottomUp, &info, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(3, 3), kWhite);
    // ySrc counts from the bottom of a bottom-up DIB: row 1 from the bottom is the top row.
    ASSERT_EQ(StretchDIBits(canvas.dc, 0, 0, 1, 1, 1, 1, 1, 1, bottomUp, &info, DIB_RGB_COLORS, SRCCOPY), 1);
    EXPECT_EQ(canvas.At(0, 0), kGreen);

    EXPECT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, nullptr, &info, DIB_RGB_COLORS, SRCCOPY), 0);
    BITMAPINFO bad = Header(2, 2, 15);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 2, 2, 0, 0, 0, 2, bottomUp, &bad, DIB_RGB_COLORS), 0);
}

TEST(Gdi, MonochromeBitmapsKeepOnlyWhite) {
    Canvas colour(3, 1);
    colour.At(0, 0) = kWhite;
    colour.At(1, 0) = 0xFEFEFE;
    colour.At(2, 0) = kRed;
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateCompatibleBitmap(maskDc, 3, 1);
    HGDIOBJ old = SelectObject(maskDc, mask);
    ASSERT_TRUE(BitBlt(maskDc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(colour.dc, 0, 0, 3, 1, maskDc, 0, 0, SRCCOPY));
    EXPECT_EQ(colour.At(0, 0), kWhite);
    EXPECT_EQ(colour.At(1, 0), kBlack);
    EXPECT_EQ(colour.At(2, 0), kBlack);
    SelectObject(maskDc, old);
    DeleteObject(mask);
    DeleteDC(maskDc);
}

TEST(Gdi, DeviceCapsDescribeOneConsistentDisplay) {
    HDC screen = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(screen, nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 1024);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_NEAR(GetDeviceCaps(screen, HORZSIZE) * 96 / 25.4, width, 96 / 25.4);
    EXPECT_NEAR(GetDeviceCaps(screen, VERTSIZE) * 96 / 25.4, height, 96 / 25.4);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES), 24);
    EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
    EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHBLT, 0);
    EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(screen, 12345), 0);

    // A memory DC reports the display's metrics and its own bitmap's depth.
    HDC memory = CreateCompatibleDC(screen);
    EXPECT_EQ(GetDeviceCaps(memory, HORZSIZE), GetDeviceCaps(screen, HORZSIZE));
    EXPECT_EQ(GetDeviceCaps(memory, BITSPIXEL), 24);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_EQ(GetDeviceCaps(memory, BITSPIXEL), 32);
    // An information DC has no pixels to copy.
    EXPECT_FALSE(BitBlt(screen, 0, 0, 1, 1, memory, 0, 0, SRCCOPY));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EXPECT_EQ(CreateDCW(L"PRINTER", nullptr, nullptr, nullptr), nullptr);
    HDC lowerCase = CreateDCW(L"display", nullptr, nullptr, nullptr);
    EXPECT_NE(lowerCase, nullptr);
    DeleteDC(lowerCase);
    EXPECT_TRUE(DeleteDC(screen));
}

}  // namespace
