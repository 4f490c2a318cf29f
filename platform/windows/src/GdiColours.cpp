// Solid brushes (creation, selection into DCs, the stock white and black brushes, deletion), the
// background and text colours of a DC, and the system colours of the standard theme.
#include "GdiInternal.h"

#include <cstring>
#include <new>
#include <unordered_set>

// A solid brush: its colour (COLORREF) and how many DCs hold it selected.
struct HBRUSH__ {
    COLORREF color = 0;
    bool stock = false;
    int selectedCount = 0;
};

namespace vyrwin {
namespace {

std::unordered_set<HBRUSH>& LiveBrushes() {
    static std::unordered_set<HBRUSH> brushes;
    return brushes;
}

HBRUSH__& WhiteBrush() {
    static HBRUSH__ brush{0xFFFFFF, true, 0};
    return brush;
}

HBRUSH__& BlackBrush() {
    static HBRUSH__ brush{0x000000, true, 0};
    return brush;
}

HBRUSH SelectedBrush(HDC dc) { return dc->brush ? dc->brush : &WhiteBrush(); }

// COLORREF (red lowest) to the 0x00RRGGBB pixels that transfers carry, and back.
uint32_t PixelOf(COLORREF color) {
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

}  // namespace

bool IsLiveBrush(HGDIOBJ object) {
    HBRUSH brush = static_cast<HBRUSH>(object);
    return brush && (brush == &WhiteBrush() || brush == &BlackBrush() || LiveBrushes().count(brush) != 0);
}

BOOL DeleteBrush(HBRUSH brush) {
    if (!IsLiveBrush(brush)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (brush->stock) return TRUE;
    if (brush->selectedCount > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // still selected into a DC
        return FALSE;
    }
    LiveBrushes().erase(brush);
    delete brush;
    return TRUE;
}

HBRUSH StockBrush(int index) {
    if (index == WHITE_BRUSH) return &WhiteBrush();
    if (index == BLACK_BRUSH) return &BlackBrush();
    return nullptr;
}

HBRUSH SelectBrush(HDC dc, HBRUSH brush) {
    HBRUSH previous = SelectedBrush(dc);
    if (brush == previous) return previous;
    ReleaseDcBrush(dc);
    if (brush != &WhiteBrush()) {
        dc->brush = brush;
        if (!brush->stock) ++brush->selectedCount;
    }
    return previous;
}

HBRUSH DcBrush(HDC dc) { return SelectedBrush(dc); }

int DescribeBrush(HBRUSH brush, int size, LPVOID buffer) {
    if (!IsLiveBrush(brush)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!buffer) return int(sizeof(LOGBRUSH));
    if (size < int(sizeof(LOGBRUSH))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LOGBRUSH description{BS_SOLID, brush->color, 0};
    std::memcpy(buffer, &description, sizeof description);
    return int(sizeof description);
}

uint32_t DcBrushPixel(HDC dc) {
    return dc ? PixelOf(SelectedBrush(dc)->color) : gdi::kWhite;
}

bool BrushPixel(HBRUSH brush, uint32_t& pixel) {
    if (!IsLiveBrush(brush)) return false;
    pixel = PixelOf(brush->color);
    return true;
}

void ReleaseDcBrush(HDC dc) {
    if (!dc || !dc->brush) return;
    if (IsLiveBrush(dc->brush) && !dc->brush->stock) --dc->brush->selectedCount;
    dc->brush = nullptr;
}

}  // namespace vyrwin

using namespace vyrwin;

HBRUSH CreateSolidBrush(COLORREF color) {
    HBRUSH brush = new (std::nothrow) HBRUSH__;
    if (!brush) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    brush->color = color & 0xFFFFFF;
    try {
        LiveBrushes().insert(brush);
    } catch (const std::bad_alloc&) {
        delete brush;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return brush;
}

COLORREF GetBkColor(HDC dc) {
    if (!gdi::IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return CLR_INVALID;
    }
    return dc->bkColor;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
    if (!gdi::IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return CLR_INVALID;
    }
    COLORREF previous = dc->bkColor;
    dc->bkColor = color & 0xFFFFFF;
    return previous;
}

COLORREF GetTextColor(HDC dc) {
    if (!gdi::IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return CLR_INVALID;
    }
    return dc->textColor;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    if (!gdi::IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return CLR_INVALID;
    }
    COLORREF previous = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return previous;
}

DWORD GetSysColor(int index) {
    // The standard theme's colours by index (index 25 has no colour).
    static const COLORREF kColours[] = {
        RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
        RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(51, 153, 255),  RGB(255, 255, 255),
        RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(67, 78, 84),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
        RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
        RGB(240, 240, 240),
    };
    if (index < 0 || index >= int(sizeof kColours / sizeof kColours[0])) return 0;
    return kColours[index];
}
