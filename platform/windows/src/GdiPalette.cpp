// Logical palettes: creation, entries, selection into DCs, realisation on the
// true-colour display, the stock default palette and deletion.
#include "GdiInternal.h"

#include <algorithm>
#include <new>
#include <unordered_set>

// A logical palette: its entries as given, and how many DCs hold it selected.
struct HPALETTE__ {
    std::vector<PALETTEENTRY> entries;
    bool stock = false;
    int selectedCount = 0;
};

namespace vyrwin {
namespace {

constexpr WORD kPaletteVersion = 0x300;

std::unordered_set<HPALETTE>& LivePalettes() {
    static std::unordered_set<HPALETTE> palettes;
    return palettes;
}

// The 20 static colours that the system palette reserves: the default palette of every DC.
HPALETTE StockPalette() {
    static HPALETTE__ stock = [] {
        HPALETTE__ palette;
        palette.stock = true;
        palette.entries = {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
                           {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
                           {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
                           {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                           {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};
        return palette;
    }();
    return &stock;
}

HPALETTE SelectedPalette(HDC dc) { return dc->palette ? dc->palette : StockPalette(); }

}  // namespace

HPALETTE DcPalette(HDC dc) { return SelectedPalette(dc); }

void ReleaseDcObjects(HDC dc) {
    ReleaseDcPalette(dc);
    ReleaseDcBrush(dc);
    ReleaseDcPen(dc);
    ReleaseDcFont(dc);
}

bool IsLivePalette(HGDIOBJ object) {
    HPALETTE palette = static_cast<HPALETTE>(object);
    return palette && (palette == StockPalette() || LivePalettes().count(palette) != 0);
}

BOOL DeletePalette(HPALETTE palette) {
    if (!IsLivePalette(palette)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (palette->stock) return TRUE;
    if (palette->selectedCount > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // still selected into a DC
        return FALSE;
    }
    LivePalettes().erase(palette);
    delete palette;
    return TRUE;
}

int DescribePalette(HPALETTE palette, int size, LPVOID buffer) {
    if (!buffer) return int(sizeof(WORD));
    if (size < int(sizeof(WORD))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WORD count = WORD(palette->entries.size());
    std::copy_n(reinterpret_cast<const BYTE*>(&count), sizeof count, static_cast<BYTE*>(buffer));
    return int(sizeof count);
}

void ReleaseDcPalette(HDC dc) {
    if (!dc || !dc->palette) return;
    if (IsLivePalette(dc->palette) && !dc->palette->stock) --dc->palette->selectedCount;
    dc->palette = nullptr;
}

}  // namespace vyrwin

using namespace vyrwin;

HPALETTE CreatePalette(const LOGPALETTE* logical) {
    if (!logical || logical->palVersion != kPaletteVersion || logical->palNumEntries == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HPALETTE palette = new (std::nothrow) HPALETTE__;
    if (!palette) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        palette->entries.assign(logical->palPalEntry, logical->palPalEntry + logical->palNumEntries);
        LivePalettes().insert(palette);
    } catch (const std::bad_alloc&) {
        delete palette;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return palette;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries) {
    if (!IsLivePalette(palette)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    UINT size = UINT(palette->entries.size());
    if (!entries) return size;
    if (start >= size) return 0;
    UINT copied = std::min(count, size - start);
    std::copy_n(palette->entries.begin() + start, copied, entries);
    return copied;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
    if (!gdi::IsLiveDc(dc) || !IsLivePalette(palette)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HPALETTE previous = SelectedPalette(dc);
    if (palette == previous) return previous;
    ReleaseDcPalette(dc);
    if (!palette->stock) {
        dc->palette = palette;
        ++palette->selectedCount;
    }
    return previous;
}

UINT RealizePalette(HDC dc) {
    if (!gdi::IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    return 0;  // a true-colour display has no system palette to map entries into
}

HGDIOBJ GetStockObject(int index) {
    if (index == DEFAULT_PALETTE) return StockPalette();
    if (HBRUSH brush = StockBrush(index)) return brush;
    if (HPEN pen = StockPen(index)) return pen;
    if (HFONT font = StockFont(index)) return font;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}
