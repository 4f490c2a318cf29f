// Modules' bitmap resources and bitmap files: which module a name finds, what LoadBitmapW and
// LoadImageW make of a resource or a .bmp file, and the clear failures for everything else.
#include <windows.h>

#include "Dib.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

int sAnchor;
int sOtherAnchor;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// Every pixel of a bitmap as 0x00RRGGBB, rows from the top; empty when it cannot be read.
std::vector<uint32_t> Pixels(HANDLE handle) {
    HBITMAP bitmap = static_cast<HBITMAP>(handle);
    BITMAP description{};
    if (GetObjectW(bitmap, sizeof description, &description) < int(sizeof description)) return {};
    BITMAPINFO info = vyrtest::TopDown32(description.bmWidth, description.bmHeight);
    std::vector<uint32_t> pixels(size_t(description.bmWidth) * description.bmHeight);
    if (GetDIBits(nullptr, bitmap, 0, UINT(description.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) !=
        description.bmHeight)
        return {};
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

BITMAP Describe(HANDLE bitmap) {
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    return description;
}

// The executable as a module with resources for one test, forgotten after it.
class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override { self_ = VyrModuleFromAddress(&sAnchor); }
    void TearDown() override {
        VyrUnregisterModule(self_);
        VyrUnregisterModule(Other());
    }
    static HMODULE Other() { return reinterpret_cast<HMODULE>(&sOtherAnchor); }

    // 10 x 3 pixels, one bit each: row 0 the left and right pixels, row 1 pixel 8, row 2 all.
    void RegisterMarker(UINT id) {
        static const uint8_t rows[] = {0x80, 0x40, 0x00, 0x80, 0xFF, 0xC0};
        const VYR_BITMAP_RESOURCE table[] = {{id, 10, 3, 1, rows}};
        ASSERT_TRUE(VyrRegisterBitmapTable(self_, table, 1));
    }

    HMODULE self_ = nullptr;
};

TEST_F(ResourceTest, ModulesAnswerToEachOfTheirNamesWithOrWithoutDll) {
    ASSERT_TRUE(VyrRegisterModule(self_, L"VyrTestRc"));
    ASSERT_TRUE(VyrRegisterModule(self_, L"VyrTestAlias"));
    EXPECT_EQ(GetModuleHandleW(L"VyrTestRc"), self_);
    EXPECT_EQ(GetModuleHandleW(L"vyrtestrc.DLL"), self_);
    EXPECT_EQ(GetModuleHandleW(L"VyrTestAlias"), self_);
    EXPECT_EQ(LoadLibraryW(L"VyrTestRc.dll"), self_);
    EXPECT_TRUE(FreeLibrary(self_));

    // A name moves to the module registered under it last; the other names stay.
    ASSERT_TRUE(VyrRegisterModule(Other(), L"VyrTestAlias.dll"));
    EXPECT_EQ(GetModuleHandleW(L"VyrTestAlias"), Other());
    EXPECT_EQ(GetModuleHandleW(L"VyrTestRc"), self_);
    EXPECT_FALSE(VyrRegisterModule(self_, L""));
}

TEST_F(ResourceTest, ABitmapResourceIsFoundByNumberOrByHashText) {
    RegisterMarker(581);
    EXPECT_NE(FindResourceW(self_, MAKEINTRESOURCEW(581), RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(self_, L"#581", RT_BITMAP), FindResourceW(self_, MAKEINTRESOURCEW(581), RT_BITMAP));

    EXPECT_EQ(FindResourceW(self_, MAKEINTRESOURCEW(582), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(self_, L"Marker", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(self_, L"#", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(self_, L"#99999", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(Other(), MAKEINTRESOURCEW(581), RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(self_, MAKEINTRESOURCEW(581), RT_STRING), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));

    VyrUnregisterModule(self_);
    EXPECT_EQ(FindResourceW(self_, MAKEINTRESOURCEW(581), RT_BITMAP), nullptr);
}

TEST_F(ResourceTest, AFaultyBitmapTableKeepsNothing) {
    static const uint8_t rows[] = {0xFF, 0xFF};
    const VYR_BITMAP_RESOURCE table[] = {{700, 8, 1, 1, rows}, {701, 0, 1, 1, rows}};
    EXPECT_FALSE(VyrRegisterBitmapTable(self_, table, 2));
    EXPECT_EQ(FindResourceW(self_, MAKEINTRESOURCEW(700), RT_BITMAP), nullptr);
    const VYR_BITMAP_RESOURCE depth[] = {{702, 8, 1, 8, rows}};
    EXPECT_FALSE(VyrRegisterBitmapTable(self_, depth, 1));
    const VYR_BITMAP_RESOURCE noBits[] = {{703, 8, 1, 1, nullptr}};
    EXPECT_FALSE(VyrRegisterBitmapTable(self_, noBits, 1));
    EXPECT_FALSE(VyrRegisterBitmapTable(nullptr, table, 1));
}

TEST_F(ResourceTest, LoadBitmapMakesAMonochromeBitmapWithTheResourcesBits) {
    RegisterMarker(583);
    HBITMAP bitmap = LoadBitmapW(self_, MAKEINTRESOURCEW(583));
    ASSERT_NE(bitmap, nullptr);
    const BITMAP description = Describe(bitmap);
    EXPECT_EQ(description.bmWidth, 10);
    EXPECT_EQ(description.bmHeight, 3);
    EXPECT_EQ(description.bmBitsPixel, 1);
    uint8_t bits[6] = {};
    ASSERT_EQ(GetBitmapBits(bitmap, sizeof bits, bits), 6);
    const uint8_t expected[] = {0x80, 0x40, 0x00, 0x80, 0xFF, 0xC0};
    EXPECT_EQ(std::memcmp(bits, expected, sizeof bits), 0);
    const std::vector<uint32_t> pixels = Pixels(bitmap);
    ASSERT_EQ(pixels.size(), 30u);
    EXPECT_EQ(pixels[0], kWhite);
    EXPECT_EQ(pixels[1], kBlack);
    EXPECT_EQ(pixels[9], kWhite);
    EXPECT_EQ(pixels[10 + 8], kWhite);
    EXPECT_EQ(pixels[10 + 7], kBlack);
    DeleteObject(bitmap);

    EXPECT_EQ(LoadBitmapW(self_, MAKEINTRESOURCEW(584)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourceTest, LoadImageOfAResourceStretchesAndMakesDibSections) {
    RegisterMarker(590);
    HANDLE dib = LoadImageW(self_, MAKEINTRESOURCEW(590), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
    ASSERT_NE(dib, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(dib, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 1);
    EXPECT_NE(section.dsBm.bmBits, nullptr);
    HBITMAP plain = LoadBitmapW(self_, MAKEINTRESOURCEW(590));
    EXPECT_EQ(Pixels(dib), Pixels(plain));
    DeleteObject(plain);
    DeleteObject(dib);

    // Twice the size: every pixel becomes a 2 x 2 block.
    HANDLE big = LoadImageW(self_, MAKEINTRESOURCEW(590), IMAGE_BITMAP, 20, 6, 0);
    ASSERT_NE(big, nullptr);
    const std::vector<uint32_t> pixels = Pixels(big);
    ASSERT_EQ(pixels.size(), 120u);
    EXPECT_EQ(pixels[0], kWhite);
    EXPECT_EQ(pixels[1], kWhite);
    EXPECT_EQ(pixels[20], kWhite);
    EXPECT_EQ(pixels[2], kBlack);
    EXPECT_EQ(pixels[2 * 20 + 16], kWhite);  // row 1, pixel 8
    EXPECT_EQ(pixels[3 * 20 + 17], kWhite);
    DeleteObject(big);

    EXPECT_EQ(LoadImageW(self_, MAKEINTRESOURCEW(590), IMAGE_ICON, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(LoadImageW(self_, MAKEINTRESOURCEW(590), IMAGE_BITMAP, -1, 0, 0), nullptr);
}

TEST_F(ResourceTest, AColourResourceKeepsItsColours) {
    // 2 x 2, 24 bits, rows padded to whole words: red, green / blue, white.
    static const uint8_t rows[] = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    const VYR_BITMAP_RESOURCE table[] = {{800, 2, 2, 24, rows}};
    ASSERT_TRUE(VyrRegisterBitmapTable(self_, table, 1));
    for (UINT flags : {0u, UINT(LR_CREATEDIBSECTION)}) {
        HANDLE bitmap = LoadImageW(self_, MAKEINTRESOURCEW(800), IMAGE_BITMAP, 0, 0, flags);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(Pixels(bitmap), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
        DeleteObject(bitmap);
    }
    HANDLE mono = LoadImageW(self_, MAKEINTRESOURCEW(800), IMAGE_BITMAP, 0, 0, LR_MONOCHROME);
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(Describe(mono).bmBitsPixel, 1);
    // Green and white are bright, pure red and blue are not.
    EXPECT_EQ(Pixels(mono), (std::vector<uint32_t>{kBlack, kWhite, kBlack, kWhite}));
    DeleteObject(mono);
}

// --- .bmp files -------------------------------------------------------------------------

void Put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A .bmp file with a 40-byte info header, bit-field masks after it when given, a colour table,
// then `rows` (already padded, in file order).
std::string BmpFile(int width, int height, int bits, const std::vector<uint32_t>& table, const std::string& rows,
                    uint32_t compression = BI_RGB, const std::vector<uint32_t>& masks = {}) {
    std::string info;
    Put32(info, 40);
    Put32(info, uint32_t(width));
    Put32(info, uint32_t(height));
    Put16(info, 1);
    Put16(info, uint32_t(bits));
    Put32(info, compression);
    Put32(info, uint32_t(rows.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, uint32_t(table.size()));
    Put32(info, 0);
    for (uint32_t m : masks) Put32(info, m);
    for (uint32_t c : table) Put32(info, c);
    std::string file = "BM";
    Put32(file, uint32_t(14 + info.size() + rows.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + info.size()));
    return file + info + rows;
}

class BmpFileTest : public ::testing::Test {
protected:
    // The file's pixels as LoadImageW reads it with these flags; empty when it fails.
    std::vector<uint32_t> Load(const std::string& bytes, UINT flags = LR_LOADFROMFILE, BITMAP* description = nullptr) {
        const std::string file = dir_ + "/picture.bmp";
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        const std::wstring path(file.begin(), file.end());
        HANDLE bitmap = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, flags);
        if (!bitmap) return {};
        if (description) *description = Describe(bitmap);
        std::vector<uint32_t> pixels = Pixels(bitmap);
        DeleteObject(bitmap);
        return pixels;
    }
    std::string dir_ = vyrtest::ScratchDir();
};

TEST_F(BmpFileTest, TwentyFourBitRowsFromTheBottomWithPadding) {
    // 3 x 2, bottom row first: blue, white, black / red, green, blue. Rows padded to 12 bytes.
    std::string rows;
    rows += std::string("\xFF\x00\x00\xFF\xFF\xFF\x00\x00\x00", 9) + std::string(3, '\0');
    rows += std::string("\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 9) + std::string(3, '\0');
    BITMAP description{};
    EXPECT_EQ(Load(BmpFile(3, 2, 24, {}, rows), LR_LOADFROMFILE, &description),
              (std::vector<uint32_t>{kRed, kGreen, kBlue, kBlue, kWhite, kBlack}));
    EXPECT_EQ(description.bmBitsPixel, 32);  // a device-dependent bitmap of the display's depth
    EXPECT_EQ(Load(BmpFile(3, 2, 24, {}, rows), LR_LOADFROMFILE | LR_CREATEDIBSECTION, &description),
              (std::vector<uint32_t>{kRed, kGreen, kBlue, kBlue, kWhite, kBlack}));
    EXPECT_EQ(description.bmBitsPixel, 24);
    // Rows from the top when the height is negative.
    EXPECT_EQ(Load(BmpFile(3, -2, 24, {}, rows)), (std::vector<uint32_t>{kBlue, kWhite, kBlack, kRed, kGreen, kBlue}));
}

TEST_F(BmpFileTest, IndexedPicturesTakeTheirColourTable) {
    // 4 bits, 3 x 1: indices 2, 0, 1 of a three-colour table.
    EXPECT_EQ(Load(BmpFile(3, 1, 4, {kRed, kGreen, kBlue}, std::string("\x20\x10\x00\x00", 4))),
              (std::vector<uint32_t>{kBlue, kRed, kGreen}));
    // 8 bits, an index past the table reads black.
    BITMAP description{};
    EXPECT_EQ(Load(BmpFile(2, 1, 8, {kWhite}, std::string("\x00\x05\x00\x00", 4)),
                   LR_LOADFROMFILE | LR_CREATEDIBSECTION, &description),
              (std::vector<uint32_t>{kWhite, kBlack}));
    EXPECT_EQ(description.bmBitsPixel, 8);
    // 1 bit with two colours that are not black and white: kept as colours.
    EXPECT_EQ(Load(BmpFile(2, 1, 1, {kRed, kBlue}, std::string("\x40\x00\x00\x00", 4)), LR_LOADFROMFILE, &description),
              (std::vector<uint32_t>{kRed, kBlue}));
    EXPECT_EQ(description.bmBitsPixel, 32);
    // Black and white: a monochrome bitmap.
    EXPECT_EQ(Load(BmpFile(2, 1, 1, {kBlack, kWhite}, std::string("\x40\x00\x00\x00", 4)), LR_LOADFROMFILE,
                   &description),
              (std::vector<uint32_t>{kBlack, kWhite}));
    EXPECT_EQ(description.bmBitsPixel, 1);
}

TEST_F(BmpFileTest, BitFieldsAndSixteenBitPixels) {
    // 16 bits, 5-6-5 masks: pure red and pure green.
    std::string rows;
    Put16(rows, 0xF800);
    Put16(rows, 0x07E0);
    EXPECT_EQ(Load(BmpFile(2, 1, 16, {}, rows, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F})),
              (std::vector<uint32_t>{kRed, kGreen}));
    // 16 bits without masks: 5-5-5.
    std::string plain;
    Put16(plain, 0x001F);
    Put16(plain, 0x7FFF);
    EXPECT_EQ(Load(BmpFile(2, 1, 16, {}, plain)), (std::vector<uint32_t>{kBlue, kWhite}));
    // 32 bits with masks in another order.
    std::string wide;
    Put32(wide, 0x000000FF);
    EXPECT_EQ(Load(BmpFile(1, 1, 32, {}, wide, BI_BITFIELDS, {0x000000FF, 0x0000FF00, 0x00FF0000})),
              (std::vector<uint32_t>{kRed}));
    // A mask with a gap is no channel.
    EXPECT_TRUE(Load(BmpFile(1, 1, 32, {}, wide, BI_BITFIELDS, {0x000000F1, 0x0000FF00, 0x00FF0000})).empty());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FORMAT));
}

TEST_F(BmpFileTest, TheOldCoreHeaderIsRead) {
    std::string file = "BM";
    Put32(file, 14 + 12 + 6 + 4);
    Put32(file, 0);
    Put32(file, 14 + 12 + 6);
    Put32(file, 12);
    Put16(file, 2);
    Put16(file, 1);
    Put16(file, 1);
    Put16(file, 1);
    file += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);  // black, white (three bytes each)
    file += std::string("\x40\x00\x00\x00", 4);
    EXPECT_EQ(Load(file), (std::vector<uint32_t>{kBlack, kWhite}));
}

TEST_F(BmpFileTest, WhatIsNoBitmapFailsClearly) {
    const std::string good = BmpFile(2, 2, 24, {}, std::string(16, '\x7F'));
    ASSERT_FALSE(Load(good).empty());
    std::vector<std::string> bad;
    bad.push_back("");
    bad.push_back("BM");
    bad.push_back(std::string("XM") + good.substr(2));
    bad.push_back(good.substr(0, good.size() - 1));                              // cut short
    bad.push_back(BmpFile(2, 2, 8, {kRed}, std::string(8, '\0'), BI_RLE8));       // run-length encoded
    bad.push_back(BmpFile(0, 2, 24, {}, std::string(16, '\0')));                 // no width
    bad.push_back(BmpFile(2, 0, 24, {}, std::string(16, '\0')));                 // no height
    bad.push_back(BmpFile(2, 2, 2, {kRed, kBlue}, std::string(8, '\0')));        // 2 bits
    bad.push_back(BmpFile(100000, 100000, 24, {}, std::string(16, '\0')));       // far more rows than bytes
    bad.push_back(BmpFile(int(0x7FFFFFFF), 1, 32, {}, std::string(16, '\0')));   // a row wider than the file
    std::string offset = good;
    offset[10] = char(0xF0);  // pixels said to start past the end
    bad.push_back(offset);
    std::string header = good;
    header[14] = 41;  // no info header of that size
    bad.push_back(header);
    for (size_t i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(Load(bad[i]).empty()) << "input " << i;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FORMAT)) << "input " << i;
    }

    EXPECT_EQ(LoadImageW(nullptr, L"/no/such/folder/picture.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(LoadImageW(nullptr, nullptr, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

}  // namespace
