// gl_context and gl_context_data without OpenGL: palettes of described formats, the off-screen
// bitmap's life, copies of records, a fresh context, and the shared record's device context
// given back at shutdown.
#include "TestFiles.h"
#include "TestGlContext.h"

#include "SpaErrors.h"
#include "driver_context.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A record whose pixel format description a test chooses.
class DescribedRecord : public gl_context_data {
public:
    using gl_context_data::gl_context_data;
    void Describe(int colourBits, int redBits, int redShift, int greenBits, int greenShift, int blueBits,
                  int blueShift) {
        m_pfd = PIXELFORMATDESCRIPTOR{};
        m_pfd.nSize = sizeof m_pfd;
        m_pfd.nVersion = 1;
        m_pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_NEED_PALETTE;
        m_pfd.cColorBits = static_cast<BYTE>(colourBits);
        m_pfd.cRedBits = static_cast<BYTE>(redBits);
        m_pfd.cRedShift = static_cast<BYTE>(redShift);
        m_pfd.cGreenBits = static_cast<BYTE>(greenBits);
        m_pfd.cGreenShift = static_cast<BYTE>(greenShift);
        m_pfd.cBlueBits = static_cast<BYTE>(blueBits);
        m_pfd.cBlueShift = static_cast<BYTE>(blueShift);
    }
};

std::vector<PALETTEENTRY> Entries(HPALETTE palette) {
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    if (!entries.empty()) GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    return entries;
}

// A driver that records the device contexts given back to it, and can raise a modeler error.
class ReleasingDriver : public driver_context {
public:
    void release_device_context(HDC dc) override {
        released.push_back(dc);
        if (fail) sys_error(API_FAILED);
    }
    std::vector<HDC> released;
    bool fail = false;
};

}  // namespace

TEST(GlContextTest, APaletteOfAThreeThreeTwoFormatSpansEveryChannelEvenly) {
    DescribedRecord record;
    record.Describe(8, 3, 0, 3, 3, 2, 6);
    HPALETTE palette = record.create_gl_palette();
    ASSERT_NE(palette, nullptr);
    std::vector<PALETTEENTRY> entries = Entries(palette);
    ASSERT_EQ(entries.size(), 256u);
    auto rgb = [&](int i) {
        return std::vector<int>{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags};
    };
    EXPECT_EQ(rgb(0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(rgb(0x07), (std::vector<int>{255, 0, 0, 0}));  // all red bits
    EXPECT_EQ(rgb(0x38), (std::vector<int>{0, 255, 0, 0}));  // all green bits
    EXPECT_EQ(rgb(0xC0), (std::vector<int>{0, 0, 255, 0}));  // all blue bits
    EXPECT_EQ(rgb(0xFF), (std::vector<int>{255, 255, 255, 0}));
    EXPECT_EQ(rgb(0x01), (std::vector<int>{36, 0, 0, 0}));    // 1 * 255 / 7, rounded down
    EXPECT_EQ(rgb(0x52), (std::vector<int>{72, 72, 85, 0}));  // red 2, green 2, blue 1
    EXPECT_TRUE(DeleteObject(palette));
}

TEST(GlContextTest, PalettesExistOnlyForFormatsOfAtMostEightBitsAndAChannelWithoutBitsIsBlack) {
    DescribedRecord deep;
    deep.Describe(24, 8, 16, 8, 8, 8, 0);
    EXPECT_EQ(deep.create_gl_palette(), nullptr);

    DescribedRecord grey;
    grey.Describe(4, 0, 0, 4, 0, 0, 0);  // green only
    HPALETTE palette = grey.create_gl_palette();
    ASSERT_NE(palette, nullptr);
    std::vector<PALETTEENTRY> entries = Entries(palette);
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[15].peGreen, 255);
    EXPECT_EQ(entries[15].peRed, 0);
    EXPECT_EQ(entries[5].peGreen, 85);
    DeleteObject(palette);
}

TEST(GlContextTest, TheColourMapSelectsTheRecordsPaletteAndKillingTheRecordFreesIt) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    DescribedRecord record(dc);
    record.Describe(8, 3, 0, 3, 3, 2, 6);
    ASSERT_TRUE(record.create_gl_colour_map());
    HPALETTE palette = record.get_Palette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
    EXPECT_FALSE(DeleteObject(palette));  // selected into the DC
    EXPECT_TRUE(record.create_gl_colour_map());
    EXPECT_EQ(record.get_Palette(), palette);  // made once

    record.kill_bitmap_context();
    EXPECT_EQ(record.get_Palette(), nullptr);
    EXPECT_EQ(record.get_DC(), nullptr);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u);  // deleted
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));  // the DC was not the record's to delete
    DeleteDC(dc);

    DescribedRecord deep(CreateCompatibleDC(nullptr));
    deep.Describe(24, 8, 16, 8, 8, 8, 0);
    vyrtest::CaptureStdout();
    EXPECT_FALSE(deep.create_gl_colour_map());
    const std::string printed = vyrtest::GetCapturedStdout();
    EXPECT_NE(printed.find("Cannot create palette\n"), std::string::npos);
    EXPECT_NE(printed.find("Cannot select palette 0\n"), std::string::npos);
    DeleteDC(deep.get_DC());
}

TEST(GlContextTest, TheOffScreenBitmapIsMadeOncePerSizeAndTheMemoryDcStays) {
    gl_context_data record;
    EXPECT_FALSE(record.create_bitmap(0, 10));
    EXPECT_EQ(record.get_Bitmap(), nullptr);
    EXPECT_EQ(record.get_DC(), nullptr);

    ASSERT_TRUE(record.create_bitmap(30, 20));
    HDC dc = record.get_DC();
    ASSERT_NE(dc, nullptr);
    const gl_context_bitmap* holder = record.get_Bitmap();
    ASSERT_NE(holder, nullptr);
    HBITMAP first = holder->bitmap;
    const BITMAPINFOHEADER& header = holder->info.bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 30);
    EXPECT_EQ(header.biHeight, 20);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biSizeImage, static_cast<DWORD>((24 * 30 + 31) / 32 * 4 * 20));
    BITMAP described{};
    ASSERT_EQ(GetObjectW(first, sizeof described, &described), static_cast<int>(sizeof described));
    EXPECT_EQ(described.bmWidth, 30);
    EXPECT_EQ(described.bmBitsPixel, 24);

    ASSERT_TRUE(record.create_bitmap(30, 20));
    EXPECT_EQ(record.get_Bitmap()->bitmap, first);  // the same size: nothing done
    ASSERT_TRUE(record.create_bitmap(64, 48));
    EXPECT_EQ(record.get_DC(), dc);  // the memory DC stays
    EXPECT_EQ(record.get_Bitmap()->info.bmiHeader.biWidth, 64);
    ASSERT_EQ(GetObjectW(record.get_Bitmap()->bitmap, sizeof described, &described),
              static_cast<int>(sizeof described));
    EXPECT_EQ(described.bmWidth, 64);  // a new bitmap (the old one may have left its address to it)
    EXPECT_EQ(described.bmHeight, 48);
    EXPECT_FALSE(record.create_bitmap(-1, 5));
    EXPECT_EQ(record.get_Bitmap()->info.bmiHeader.biWidth, 64);  // a bad size changes nothing

    HBITMAP second = record.get_Bitmap()->bitmap;
    record.kill_bitmap_context();
    EXPECT_EQ(record.get_Bitmap(), nullptr);
    EXPECT_EQ(GetObjectType(second), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);  // the record made the DC, so it deleted it
    EXPECT_EQ(record.get_DC(), nullptr);
}

TEST(GlContextTest, ACopyTakesTheDeviceContextAndFormatButNoContextPaletteOrBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    DescribedRecord original(dc);
    original.Describe(8, 3, 0, 3, 3, 2, 6);
    ASSERT_TRUE(original.create_gl_colour_map());
    gl_context_data copy(original);
    EXPECT_EQ(copy.get_DC(), dc);
    EXPECT_EQ(copy.get_Descriptor().cColorBits, 8);
    EXPECT_EQ(copy.get_PixelFormat(), original.get_PixelFormat());
    EXPECT_EQ(copy.get_Palette(), nullptr);
    EXPECT_EQ(copy.get_GLRC(), nullptr);
    EXPECT_EQ(copy.get_Bitmap(), nullptr);
    original.kill_bitmap_context();
    DeleteDC(dc);
}

TEST(GlContextTest, AFreshContextDrawsToWindowsWithNoPictureYet) {
    TestGlContext context;
    EXPECT_FALSE(context.IsBackBufferValid());
    EXPECT_EQ(context.GetFrontBufferVersion(), 0u);
    EXPECT_EQ(context.GetRenderToBitmap(), 0);
    EXPECT_EQ(context.get_shared_data(), nullptr);
    EXPECT_EQ(context.get_bitmap_data(), nullptr);
    context.IncrementFrontBufferVersion();
    EXPECT_EQ(context.GetFrontBufferVersion(), 1u);

    view3d view;
    EXPECT_EQ(context.Get_gl_context_data(&view), nullptr);  // the view holds no record
    EXPECT_EQ(context.Get_gl_context_data(nullptr), nullptr);
    EXPECT_FALSE(context.make_current(&view, nullptr));
    EXPECT_FALSE(context.share_lists(nullptr, nullptr));
    EXPECT_FALSE(context.swap_buffers(&view, nullptr));
    EXPECT_FALSE(context.RestoreBackBuffer(&view));
    EXPECT_EQ(context.GetFrontBufferVersion(), 1u);
}

TEST(GlContextTest, ShutdownGivesTheSharedDeviceContextBackToTheFirstViewAndDropsModelerErrors) {
    HDC shared = CreateCompatibleDC(nullptr);
    auto* driver = new ReleasingDriver;
    view3d first, second;
    first.set_driver_context(driver);  // the view owns it
    {
        TestGlContext context;
        context.shutdown();  // no view, no shared record: nothing to give back
        context.add_view(&first);
        context.add_view(&second);
        context.shutdown();
        EXPECT_TRUE(driver->released.empty());  // no shared record yet

        context.set_shared_data(new gl_context_data(shared));
        context.shutdown();
        ASSERT_EQ(driver->released.size(), 1u);
        EXPECT_EQ(driver->released[0], shared);

        driver->fail = true;
        EXPECT_NO_THROW(context.shutdown());
        EXPECT_EQ(driver->released.size(), 2u);
        driver->fail = false;
    }
    // The context's end gives it back once more, before the shared record goes.
    ASSERT_EQ(driver->released.size(), 3u);
    EXPECT_EQ(driver->released[2], shared);
    EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_MEMDC));  // the record never owned it
    DeleteDC(shared);
}
