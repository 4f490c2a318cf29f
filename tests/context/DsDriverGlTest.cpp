// The driver statics without an OpenGL context: palettes of indexed pixel formats (their colours,
// and the palette made and selected into a memory DC), texture images of 1-bit pictures, and the
// false or null answers of everything that needs a context.
#include "DsDriverGl.h"
#include "DsTextureData.h"
#include "TestResets.h"
#include "VyrString.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class DsDriverGlTest : public ::testing::Test {
protected:
    void SetUp() override { VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests); }
    void TearDown() override { VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests); }
};

PIXELFORMATDESCRIPTOR Format(int bits, int red, int redShift, int green, int greenShift, int blue, int blueShift)
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.cColorBits = BYTE(bits);
    pfd.cRedBits = BYTE(red);
    pfd.cRedShift = BYTE(redShift);
    pfd.cGreenBits = BYTE(green);
    pfd.cGreenShift = BYTE(greenShift);
    pfd.cBlueBits = BYTE(blue);
    pfd.cBlueShift = BYTE(blueShift);
    return pfd;
}

uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

}  // namespace

TEST_F(DsDriverGlTest, ComponentRampsSpanBlackToFullIntensity)
{
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(0, 1, 0), 0);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(1, 1, 0), 255);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(2, 2, 0), 170);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(3 << 6, 2, 6), 255);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(5 << 3, 3, 3), 182);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(7, 3, 0), 255);
    // Only the bits of the component count: higher and lower bits of the index are ignored.
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(0xFF & ~(7 << 3), 3, 3), 0);
    // Other bit counts, and shifts past the index, give 0.
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(255, 4, 0), 0);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(255, 0, 0), 0);
    EXPECT_EQ(CDsDriverGl::ComponentFromIndex(255, 3, 40), 0);
}

TEST_F(DsDriverGlTest, ThreeThreeTwoPaletteHasTheRampsAndTheTwelveSystemColours)
{
    std::vector<uint32_t> colors;
    ASSERT_TRUE(CDsDriverGl::StGetRgbPaletteColors(Format(8, 3, 0, 3, 3, 2, 6), colors));
    ASSERT_EQ(colors.size(), 256u);
    EXPECT_EQ(colors[0], Rgb(0, 0, 0));
    EXPECT_EQ(colors[255], Rgb(255, 255, 255));
    EXPECT_EQ(colors[7], Rgb(255, 0, 0));          // red 7 at shift 0
    EXPECT_EQ(colors[1 << 3], Rgb(0, 36, 0));      // green 1
    EXPECT_EQ(colors[2 << 6], Rgb(0, 0, 170));     // blue 2
    EXPECT_EQ(colors[4 | (2 << 3)], Rgb(146, 73, 0));
    const int entries[12] = {3, 24, 27, 64, 67, 88, 173, 181, 236, 247, 164, 91};
    const uint32_t system[12] = {Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),   Rgb(0, 0, 128),
                                 Rgb(128, 0, 128),   Rgb(0, 128, 128),   Rgb(192, 192, 192), Rgb(192, 220, 192),
                                 Rgb(166, 202, 240), Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128)};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(colors[entries[i]], system[i]) << "entry " << entries[i];

    // Another 8-bit layout keeps its plain ramps.
    ASSERT_TRUE(CDsDriverGl::StGetRgbPaletteColors(Format(8, 2, 6, 3, 3, 3, 0), colors));
    EXPECT_EQ(colors[3], Rgb(0, 0, 109));
    EXPECT_EQ(colors[3 << 6], Rgb(255, 0, 0));

    // Depths that need no palette are refused and leave the colours alone.
    colors.assign(3, 7u);
    EXPECT_FALSE(CDsDriverGl::StGetRgbPaletteColors(Format(24, 8, 16, 8, 8, 8, 0), colors));
    EXPECT_FALSE(CDsDriverGl::StGetRgbPaletteColors(Format(0, 0, 0, 0, 0, 0, 0), colors));
    EXPECT_EQ(colors.size(), 3u);
}

namespace {

// A palette of two entries for a host's own use.
struct HostPalette : CPalette {
    HostPalette()
    {
        struct {
            LOGPALETTE head;
            PALETTEENTRY more[1];
        } logical{{0x300, 2, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}}};
        EXPECT_TRUE(CreatePalette(&logical.head));
    }
};

// A memory DC holding a host palette, the stock palette selected back at the end.
class PaletteDcTest : public DsDriverGlTest {
protected:
    void SetUp() override
    {
        DsDriverGlTest::SetUp();
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        ASSERT_NE(dc.SelectPalette(&host, FALSE), nullptr);
    }
    void TearDown() override
    {
        dc.SelectPalette(CPalette::FromHandle(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))), FALSE);
        CGdiObject::DeleteTempMap();
        CDC::DeleteTempMap();
        DsDriverGlTest::TearDown();
    }
    // The palette the DC holds (selected back at once).
    CPalette* Held()
    {
        CPalette* held = dc.SelectPalette(&host, FALSE);
        if (held) dc.SelectPalette(held, FALSE);
        return held;
    }

    HostPalette host;
    CDC dc;
};

PIXELFORMATDESCRIPTOR NeedingPalette(PIXELFORMATDESCRIPTOR format)
{
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_NEED_PALETTE;
    format.iPixelType = PFD_TYPE_RGBA;
    return format;
}

}  // namespace

TEST_F(PaletteDcTest, AnIndexedFormatGetsItsPaletteMadeSelectedAndRealised)
{
    const PIXELFORMATDESCRIPTOR format = NeedingPalette(Format(8, 3, 0, 3, 3, 2, 6));
    CPalette palette;
    CPalette* previous = &palette;  // overwritten
    ASSERT_TRUE(CDsDriverGl::CreateRgbPalette(dc, format, &palette, &previous));
    EXPECT_EQ(previous, &host);  // what the DC held, to be selected back
    EXPECT_EQ(Held(), &palette);

    // Every entry carries the format's colour, red, green and blue in their places.
    std::vector<uint32_t> colors;
    ASSERT_TRUE(CDsDriverGl::StGetRgbPaletteColors(format, colors));
    ASSERT_EQ(palette.GetEntryCount(), 256);
    std::vector<PALETTEENTRY> entries(256);
    ASSERT_EQ(palette.GetPaletteEntries(0, 256, entries.data()), 256u);
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = entries[size_t(i)];
        EXPECT_EQ(Rgb(e.peRed, e.peGreen, e.peBlue), colors[size_t(i)]) << "entry " << i;
        EXPECT_EQ(e.peFlags, 0) << "entry " << i;
    }
    EXPECT_EQ(Rgb(entries[7].peRed, entries[7].peGreen, entries[7].peBlue), Rgb(255, 0, 0));
    EXPECT_EQ(Rgb(entries[7 << 3].peRed, entries[7 << 3].peGreen, entries[7 << 3].peBlue), Rgb(0, 255, 0));
    EXPECT_EQ(Rgb(entries[3 << 6].peRed, entries[3 << 6].peGreen, entries[3 << 6].peBlue), Rgb(0, 0, 255));
    EXPECT_EQ(Rgb(entries[88].peRed, entries[88].peGreen, entries[88].peBlue), Rgb(0, 128, 128));

    // Selected back, the palette is the caller's to delete.
    EXPECT_FALSE(palette.DeleteObject());
    EXPECT_EQ(dc.SelectPalette(previous, FALSE), &palette);
    EXPECT_TRUE(palette.DeleteObject());

    // A 4-bit format gets 16 entries; the previous palette need not be asked for.
    CPalette small;
    ASSERT_TRUE(CDsDriverGl::CreateRgbPalette(dc, NeedingPalette(Format(4, 1, 0, 2, 1, 1, 3)), &small, nullptr));
    EXPECT_EQ(small.GetEntryCount(), 16);
    PALETTEENTRY last{};
    ASSERT_EQ(small.GetPaletteEntries(15, 1, &last), 1u);
    EXPECT_EQ(Rgb(last.peRed, last.peGreen, last.peBlue), Rgb(255, 255, 255));
    EXPECT_EQ(dc.SelectPalette(&host, FALSE), &small);
}

TEST_F(PaletteDcTest, NoPaletteIsMadeWhereNoneIsNeededOrNoneCanBeSelected)
{
    CPalette palette;
    CPalette* previous = &palette;
    // A format that does not ask for a palette, and one that asks but has too many colours.
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(dc, Format(8, 3, 0, 3, 3, 2, 6), &palette, &previous));
    EXPECT_EQ(previous, nullptr);
    previous = &palette;
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(dc, NeedingPalette(Format(24, 8, 16, 8, 8, 8, 0)), &palette,
                                               &previous));
    EXPECT_EQ(previous, nullptr);
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
    EXPECT_EQ(Held(), &host);

    // A palette object that already holds a palette keeps it, unselected.
    const PIXELFORMATDESCRIPTOR format = NeedingPalette(Format(8, 3, 0, 3, 3, 2, 6));
    HostPalette taken;
    const HGDIOBJ kept = taken.GetSafeHandle();
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(dc, format, &taken, &previous));
    EXPECT_EQ(taken.GetSafeHandle(), kept);
    EXPECT_EQ(taken.GetEntryCount(), 2);
    EXPECT_EQ(Held(), &host);

    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(dc, format, nullptr, &previous));
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(nullptr, format, &palette, &previous));
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);

    // A DC that is gone: the palette made for it is deleted again, nothing stays attached.
    HDC gone = CreateCompatibleDC(nullptr);
    ASSERT_NE(gone, nullptr);
    ASSERT_TRUE(DeleteDC(gone));
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(gone, format, &palette, &previous));
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
    EXPECT_EQ(previous, nullptr);

    // A DC without a pixel format tells of no palette to make.
    EXPECT_FALSE(CDsDriverGl::CreateRgbPalette(dc, &palette, &previous));
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
    EXPECT_EQ(Held(), &host);
}

TEST_F(DsDriverGlTest, OneBitPicturesBecomeTexelsLowestBitLeftmost)
{
    // 16 x 2: row 0 bytes 0x01, 0x80; row 1 bytes 0xF0, 0x00.
    const unsigned char bits[4] = {0x01, 0x80, 0xF0, 0x00};
    const SColor4ub back(255, 255, 255, 0), fore(0, 0, 0, 255);
    SDsTextureData image;
    ASSERT_TRUE(CDsDriverGl::ConvertBits2Texture(bits, 16, 2, image, back, fore));
    EXPECT_EQ(image.buffer.GetColumns(), 16);
    EXPECT_EQ(image.buffer.GetRows(), 2);
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 2);
    const SColor4ub* row0 = image.buffer.Row(0);
    const SColor4ub* row1 = image.buffer.Row(1);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(row0[x], (x == 0 || x == 15) ? fore : back) << "row 0, texel " << x;
        EXPECT_EQ(row1[x], (x >= 4 && x < 8) ? fore : back) << "row 1, texel " << x;
    }

    // A width that is no multiple of 8 reads whole bytes only: the last texels stay background.
    const unsigned char wide[1] = {0xFF};
    ASSERT_TRUE(CDsDriverGl::ConvertBits2Texture(wide, 10, 1, image, back, fore));
    EXPECT_EQ(image.buffer.Row(0)[7], fore);
    EXPECT_EQ(image.buffer.Row(0)[8], back);
    EXPECT_EQ(image.buffer.Row(0)[9], back);

    // No picture: refused, the image as it was.
    EXPECT_FALSE(CDsDriverGl::ConvertBits2Texture(nullptr, 8, 1, image, back, fore));
    EXPECT_FALSE(CDsDriverGl::ConvertBits2Texture(wide, 0, 1, image, back, fore));
    EXPECT_FALSE(CDsDriverGl::ConvertBits2Texture(wide, 8, -1, image, back, fore));
    EXPECT_EQ(image.width, 10);
}

TEST_F(DsDriverGlTest, WithoutAContextEveryQuestionAnswersNoAndNothingIsLoaded)
{
    ASSERT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(CDsDriverGl::IsVBOSupported());
    CDsDriverGl::InitVBOExtension();
    EXPECT_EQ(CDsDriverGl::glGenBuffersARB, nullptr);
    EXPECT_EQ(CDsDriverGl::StGetIdForList(4), 0u);
    EXPECT_FALSE(CDsDriverGl::CopyColorBuffer(true));
    EXPECT_FALSE(CDsDriverGl::CopyPixels(0, 0, 10, 10, true));
    EXPECT_FALSE(CDsDriverGl::StStartGlListCreation(5, false));
    SDsTextureData image;
    const unsigned char bits[1] = {0xFF};
    ASSERT_TRUE(CDsDriverGl::ConvertBits2Texture(bits, 8, 1, image, SColor4ub(), SColor4ub()));
    SDsTexture texture;
    EXPECT_FALSE(CDsDriverGl::LoadTexture(image, texture));
    EXPECT_EQ(texture.id, 0u);
    CVyrString text(L"kept");
    EXPECT_FALSE(CDsDriverGl::StGetOpenGlInformation(text));
    EXPECT_EQ(text, L"kept");
    std::vector<unsigned char> pixels(5, 9);
    EXPECT_EQ(CDsDriverGl::ReadPixels(nullptr, 0, 0, 4, 4, GL_BACK, pixels, true), 0);
    EXPECT_EQ(pixels.size(), 5u);

    // Wrappers of entry points that were never loaded answer 0 or null.
    EXPECT_FALSE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pbuffer"));
    EXPECT_EQ(CDsDriverGl::CreatePBuffer(nullptr, 1, 8, 8, nullptr), nullptr);
    EXPECT_EQ(CDsDriverGl::GetPBufferDC(nullptr), nullptr);
    EXPECT_FALSE(CDsDriverGl::BindTexImage(nullptr, WGL_FRONT_LEFT_ARB));
    const float data[9] = {};
    EXPECT_EQ(CDsDriverGl::CreateBufferVBO(sizeof data, data, false), 0u);
    GLuint buffer = 7;
    CDsDriverGl::DeleteBufferVBO(buffer);
    EXPECT_EQ(buffer, 7u);
}
