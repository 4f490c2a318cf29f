// Logical palettes on memory DCs: entries kept as given, selection and its
// protection against deletion, the stock default palette, bad handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// A logical palette of `count` entries with red = i, green = 2i, blue = 255 - i, flags i % 3.
struct OwnedLogPalette {
    explicit OwnedLogPalette(WORD count)
        : storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (count ? count - 1 : 0)) {
        LOGPALETTE* palette = get();
        palette->palVersion = 0x300;
        palette->palNumEntries = count;
        for (WORD i = 0; i < count; ++i)
            palette->palPalEntry[i] = PALETTEENTRY{BYTE(i), BYTE(2 * i), BYTE(255 - i), BYTE(i % 3)};
    }
    LOGPALETTE* get() { return reinterpret_cast<LOGPALETTE*>(storage.data()); }
    std::vector<unsigned char> storage;
};

}  // namespace

TEST(PaletteTest, EntriesComeBackAsGivenAndBadPalettesAreRefused) {
    OwnedLogPalette logical(8);
    HPALETTE palette = CreatePalette(logical.get());
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetObjectType(palette), static_cast<DWORD>(OBJ_PAL));
    WORD count = 0;
    EXPECT_EQ(GetObjectW(palette, sizeof count, &count), static_cast<int>(sizeof count));
    EXPECT_EQ(count, 8);

    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 8u);
    PALETTEENTRY entries[8] = {};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 8, entries), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(entries[i].peRed, i);
        EXPECT_EQ(entries[i].peGreen, 2 * i);
        EXPECT_EQ(entries[i].peBlue, 255 - i);
        EXPECT_EQ(entries[i].peFlags, i % 3);
    }
    // A range past the end is cut at the end; a start past the end copies nothing.
    PALETTEENTRY tail[4] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 6, 4, tail), 2u);
    EXPECT_EQ(tail[1].peRed, 7);
    EXPECT_EQ(GetPaletteEntries(palette, 8, 1, tail), 0u);

    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u);  // stale handle
    EXPECT_FALSE(DeleteObject(palette));

    EXPECT_EQ(CreatePalette(nullptr), nullptr);
    OwnedLogPalette wrongVersion(4);
    wrongVersion.get()->palVersion = 0x200;
    EXPECT_EQ(CreatePalette(wrongVersion.get()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    OwnedLogPalette empty(1);
    empty.get()->palNumEntries = 0;
    EXPECT_EQ(CreatePalette(empty.get()), nullptr);
}

TEST(PaletteTest, ASelectedPaletteCannotBeDeletedUntilItIsDeselectedOrItsDcGoes) {
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    ASSERT_NE(stock, nullptr);
    OwnedLogPalette logical(16);
    HPALETTE palette = CreatePalette(logical.get());
    ASSERT_NE(palette, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);

    EXPECT_EQ(SelectPalette(dc, palette, FALSE), stock);  // every DC starts with the default palette
    EXPECT_EQ(RealizePalette(dc), 0u);                   // true colour: nothing to map
    EXPECT_FALSE(DeleteObject(palette));
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 16u);  // still whole
    EXPECT_EQ(SelectPalette(dc, stock, FALSE), palette);
    EXPECT_TRUE(DeleteObject(palette));

    // Deleting the DC gives its palette back.
    HPALETTE second = CreatePalette(logical.get());
    ASSERT_EQ(SelectPalette(dc, second, TRUE), stock);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(second));
}

TEST(PaletteTest, TheStockPaletteHoldsTheTwentyStaticColoursAndSurvivesDeletion) {
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    ASSERT_NE(stock, nullptr);
    PALETTEENTRY entries[20] = {};
    ASSERT_EQ(GetPaletteEntries(stock, 0, 20, entries), 20u);
    EXPECT_EQ(entries[0].peRed + entries[0].peGreen + entries[0].peBlue, 0);
    EXPECT_EQ(entries[19].peRed + entries[19].peGreen + entries[19].peBlue, 3 * 255);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);

    EXPECT_EQ(GetStockObject(1), nullptr);  // only the palette and two brushes are kept among the stock objects
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
    EXPECT_EQ(SelectPalette(nullptr, stock, FALSE), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(dc), FALSE), nullptr);  // not a palette
    DeleteDC(dc);
}
