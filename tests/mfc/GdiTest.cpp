// CDC, CGdiObject, CBitmap and CPalette over memory device contexts: wrappers of handles,
// ownership, and pixels moved between DCs.
#include <afxwin.h>

#include "Dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(GdiTest, BitmapsAndMemoryDcsOwnTheirHandles) {
    HGDIOBJ handle = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        EXPECT_EQ(CDC::FromHandle(dc.GetSafeHdc()), &dc);  // the owner, not a temporary

        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(4, 3, 1, 32, nullptr));
        EXPECT_FALSE(bitmap.CreateBitmap(4, 3, 1, 32, nullptr));  // already holds one
        handle = bitmap.GetSafeHandle();
        BITMAP info = {};
        ASSERT_GT(bitmap.GetBitmap(&info), 0);
        EXPECT_EQ(info.bmWidth, 4);
        EXPECT_EQ(info.bmHeight, 3);
        EXPECT_EQ(info.bmBitsPixel, 32);

        CBitmap* stock = dc.SelectObject(&bitmap);
        ASSERT_NE(stock, nullptr);  // a temporary wrapper of the stock bitmap
        EXPECT_NE(stock, &bitmap);
        EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 32);
        EXPECT_EQ(dc.SelectObject(stock), &bitmap);  // the owning object comes back
        CGdiObject::DeleteTempMap();
        CDC::DeleteTempMap();
        EXPECT_EQ(GetObjectType(handle), DWORD(OBJ_BITMAP));
    }
    // The destructors deleted the bitmap (and the DC).
    EXPECT_EQ(GetObjectType(handle), 0u);

    // Detached handles survive their wrapper.
    HBITMAP kept;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 32, nullptr));
        kept = static_cast<HBITMAP>(bitmap.Detach());
    }
    EXPECT_EQ(GetObjectType(kept), DWORD(OBJ_BITMAP));
    EXPECT_EQ(CBitmap::FromHandle(kept), CBitmap::FromHandle(kept));
    EXPECT_EQ(static_cast<HBITMAP>(*CBitmap::FromHandle(kept)), kept);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(kept), DWORD(OBJ_BITMAP));  // temporaries never delete
    EXPECT_TRUE(DeleteObject(kept));
}

TEST(GdiTest, BlitsCopyPixelsBetweenMemoryDcs) {
    const uint32_t pixels[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};  // rows from the top
    CBitmap source, target;
    ASSERT_TRUE(source.CreateBitmap(2, 2, 1, 32, pixels));
    CDC sourceDc, targetDc;
    ASSERT_TRUE(sourceDc.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(targetDc.CreateCompatibleDC(nullptr));
    CBitmap* oldSource = sourceDc.SelectObject(&source);
    ASSERT_TRUE(target.CreateCompatibleBitmap(&sourceDc, 4, 4));
    CBitmap* oldTarget = targetDc.SelectObject(&target);

    EXPECT_TRUE(targetDc.BitBlt(0, 0, 2, 2, &sourceDc, 0, 0, SRCCOPY));
    EXPECT_TRUE(targetDc.StretchBlt(2, 2, 2, 2, &sourceDc, 1, 1, 1, 1, SRCCOPY));  // white, scaled up
    targetDc.SelectObject(oldTarget);
    sourceDc.SelectObject(oldSource);

    BITMAPINFO info = vyrtest::TopDown32(4, 4);
    uint32_t read[16] = {};
    ASSERT_EQ(GetDIBits(targetDc, target, 0, 4, read, &info, DIB_RGB_COLORS), 4);
    EXPECT_EQ(read[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(read[1] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(read[4] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(read[10] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(read[15] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(read[3] & 0xFFFFFF, 0u);
}

TEST(GdiTest, BitmapBitsGoInAndComeOut) {
    const uint32_t pixels[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};  // rows from the top
    CBitmap bitmap;
    EXPECT_EQ(bitmap.SetBitmapBits(sizeof pixels, pixels), 0u);  // no bitmap yet
    ASSERT_TRUE(bitmap.CreateBitmap(2, 2, 1, 32, nullptr));
    EXPECT_EQ(bitmap.SetBitmapBits(sizeof pixels, pixels), DWORD(sizeof pixels));
    uint32_t back[4] = {};
    EXPECT_EQ(bitmap.GetBitmapBits(sizeof back, back), DWORD(sizeof back));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i], pixels[i]);
    // The pixels are the bitmap's: a blit of its top-left pixel carries the first word.
    CDC dc, target;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(target.CreateCompatibleDC(nullptr));
    CBitmap one;
    ASSERT_TRUE(one.CreateBitmap(1, 1, 1, 32, nullptr));
    CBitmap* oldSource = dc.SelectObject(&bitmap);
    CBitmap* oldTarget = target.SelectObject(&one);
    ASSERT_TRUE(target.BitBlt(0, 0, 1, 1, &dc, 0, 0, SRCCOPY));
    dc.SelectObject(oldSource);
    target.SelectObject(oldTarget);
    uint32_t corner = 0;
    EXPECT_EQ(one.GetBitmapBits(sizeof corner, &corner), DWORD(sizeof corner));
    EXPECT_EQ(corner, pixels[0]);
    EXPECT_EQ(bitmap.GetBitmapBits(0x80000000u, back), 0u);  // more than a LONG can say
    CGdiObject::DeleteTempMap();
}

namespace {

// A logical palette of `count` entries: red i, green 255 - i, blue 7.
struct LogPalette {
    explicit LogPalette(WORD count) : storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (count - 1)) {
        LOGPALETTE* palette = get();
        palette->palVersion = 0x300;
        palette->palNumEntries = count;
        for (WORD i = 0; i < count; ++i) palette->palPalEntry[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), 7, 0};
    }
    LOGPALETTE* get() { return reinterpret_cast<LOGPALETTE*>(storage.data()); }
    std::vector<unsigned char> storage;
};

}  // namespace

TEST(GdiTest, PalettesKeepTheirEntriesAndRefuseBadOnes) {
    CPalette palette;
    EXPECT_EQ(palette.GetEntryCount(), 0);
    PALETTEENTRY entries[4] = {};
    EXPECT_EQ(palette.GetPaletteEntries(0, 4, entries), 0u);

    LogPalette wrong(4);
    wrong.get()->palVersion = 0x200;
    EXPECT_FALSE(palette.CreatePalette(wrong.get()));
    EXPECT_FALSE(palette.CreatePalette(nullptr));
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);

    LogPalette logical(4);
    ASSERT_TRUE(palette.CreatePalette(logical.get()));
    HPALETTE handle = palette;
    EXPECT_FALSE(palette.CreatePalette(LogPalette(2).get()));  // already holds one, which it keeps
    EXPECT_EQ(static_cast<HPALETTE>(palette), handle);
    EXPECT_EQ(palette.GetEntryCount(), 4);
    EXPECT_EQ(palette.GetPaletteEntries(0, 0, nullptr), 4u);
    ASSERT_EQ(palette.GetPaletteEntries(1, 4, entries), 3u);  // cut at the end
    EXPECT_EQ(entries[0].peRed, 1);
    EXPECT_EQ(entries[2].peRed, 3);
    EXPECT_EQ(entries[2].peGreen, 252);
    EXPECT_EQ(entries[2].peBlue, 7);
    EXPECT_EQ(CPalette::FromHandle(handle), &palette);
    EXPECT_EQ(CPalette::FromHandle(nullptr), nullptr);
}

TEST(GdiTest, PalettesAreSelectedIntoDcsAndTheOneHeldComesBack) {
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    HPALETTE handle = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CPalette palette;
        ASSERT_TRUE(palette.CreatePalette(LogPalette(16).get()));
        handle = palette;

        // Plain and palette wrappers of one handle live side by side until DeleteTempMap.
        ASSERT_NE(CGdiObject::FromHandle(stock), nullptr);
        CPalette* held = dc.SelectPalette(&palette, FALSE);
        ASSERT_NE(held, nullptr);
        EXPECT_NE(held, &palette);
        EXPECT_EQ(static_cast<HPALETTE>(*held), stock);
        EXPECT_EQ(held->GetEntryCount(), 20);  // the system's static colours
        EXPECT_EQ(dc.RealizePalette(), 0u);    // a true-colour display maps nothing

        // A selected palette is not deleted, and its object keeps it.
        EXPECT_FALSE(palette.DeleteObject());
        EXPECT_EQ(static_cast<HPALETTE>(palette), handle);

        EXPECT_EQ(dc.SelectPalette(held, FALSE), &palette);  // the owning object comes back
        CGdiObject::DeleteTempMap();
        EXPECT_EQ(GetObjectType(stock), DWORD(OBJ_PAL));  // temporaries never delete
        EXPECT_EQ(GetObjectType(handle), DWORD(OBJ_PAL));
        EXPECT_EQ(dc.SelectPalette(nullptr, FALSE), nullptr);
    }
    // The destructor deleted the palette, no longer selected.
    EXPECT_EQ(GetObjectType(handle), 0u);

    // Without a DC nothing is selected or realised.
    CDC none;
    CPalette palette;
    ASSERT_TRUE(palette.CreatePalette(LogPalette(2).get()));
    EXPECT_EQ(none.SelectPalette(&palette, FALSE), nullptr);
    EXPECT_EQ(none.RealizePalette(), GDI_ERROR);
    EXPECT_TRUE(palette.DeleteObject());
}
