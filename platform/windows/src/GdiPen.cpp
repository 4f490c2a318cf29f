// Pens: creation (plain and extended), the stock pens, selection into DCs, descriptions and
// deletion.
#include "GdiPenInternal.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

namespace vyrwin {
namespace {

std::unordered_set<HPEN>& LivePens() {
    static std::unordered_set<HPEN> pens;
    return pens;
}

HPEN__ StockPenOf(COLORREF color, DWORD style) {
    HPEN__ pen;
    pen.style = style;
    pen.color = color;
    pen.stock = true;
    return pen;
}

HPEN__& WhitePen() {
    static HPEN__ pen = StockPenOf(0xFFFFFF, PS_SOLID);
    return pen;
}

HPEN__& BlackPen() {
    static HPEN__ pen = StockPenOf(0x000000, PS_SOLID);
    return pen;
}

HPEN__& NullPen() {
    static HPEN__ pen = StockPenOf(0x000000, PS_NULL);
    return pen;
}

HPEN Register(HPEN__* pen) {
    try {
        LivePens().insert(pen);
    } catch (const std::bad_alloc&) {
        delete pen;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return pen;
}

HPEN NewPen(const HPEN__& description) {
    HPEN__* pen = new (std::nothrow) HPEN__(description);
    if (!pen) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pen->stock = false;
    pen->selectedCount = 0;
    return Register(pen);
}

HPEN Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

}  // namespace

bool IsLivePen(HGDIOBJ object) {
    HPEN pen = static_cast<HPEN>(object);
    return pen && (pen == &WhitePen() || pen == &BlackPen() || pen == &NullPen() || LivePens().count(pen) != 0);
}

BOOL DeletePen(HPEN pen) {
    if (!IsLivePen(pen)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pen->stock) return TRUE;
    if (pen->selectedCount > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // still selected into a DC
        return FALSE;
    }
    LivePens().erase(pen);
    delete pen;
    return TRUE;
}

HPEN StockPen(int index) {
    switch (index) {
    case WHITE_PEN: return &WhitePen();
    case BLACK_PEN: return &BlackPen();
    case NULL_PEN: return &NullPen();
    default: return nullptr;
    }
}

HPEN DcPen(HDC dc) { return dc->pen ? dc->pen : &BlackPen(); }

HPEN SelectPen(HDC dc, HPEN pen) {
    HPEN previous = DcPen(dc);
    if (pen == previous) return previous;
    ReleaseDcPen(dc);
    if (pen != &BlackPen()) {
        dc->pen = pen;
        if (!pen->stock) ++pen->selectedCount;
    }
    return previous;
}

void ReleaseDcPen(HDC dc) {
    if (!dc || !dc->pen) return;
    if (IsLivePen(dc->pen) && !dc->pen->stock) --dc->pen->selectedCount;
    dc->pen = nullptr;
}

DWORD PenObjectType(HPEN pen) { return pen->ext ? OBJ_EXTPEN : OBJ_PEN; }

int DescribePen(HPEN pen, int size, LPVOID buffer) {
    if (!IsLivePen(pen)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pen->ext) {
        if (!buffer) return int(sizeof(LOGPEN));
        if (size < int(sizeof(LOGPEN))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        LOGPEN description{pen->style, POINT{pen->width, 0}, pen->color};
        std::memcpy(buffer, &description, sizeof description);
        return int(sizeof description);
    }
    // An extended pen: the EXTLOGPEN header and every run (at least the one entry it declares).
    const size_t header = offsetof(EXTLOGPEN, elpStyleEntry);
    const size_t needed = std::max(sizeof(EXTLOGPEN), header + pen->runs.size() * sizeof(DWORD));
    if (!buffer) return int(needed);
    if (size < int(needed)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    EXTLOGPEN description{};
    description.elpPenStyle = pen->style;
    description.elpWidth = DWORD(pen->width);
    description.elpBrushStyle = pen->brushStyle;
    description.elpColor = pen->color;
    description.elpHatch = 0;
    description.elpNumEntries = DWORD(pen->runs.size());
    std::memset(buffer, 0, needed);
    std::memcpy(buffer, &description, header);
    if (!pen->runs.empty())
        std::memcpy(static_cast<uint8_t*>(buffer) + header, pen->runs.data(), pen->runs.size() * sizeof(DWORD));
    return int(needed);
}

}  // namespace vyrwin

using namespace vyrwin;

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) return Fail(ERROR_INVALID_PARAMETER);
    HPEN__ pen;
    pen.style = DWORD(style);
    pen.width = std::max(width, 0);
    pen.color = color & 0xFFFFFF;
    return NewPen(pen);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) return Fail(ERROR_INVALID_PARAMETER);
    return CreatePen(int(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
    if (!brush) return Fail(ERROR_INVALID_PARAMETER);
    if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL) return Fail(ERROR_NOT_SUPPORTED);
    const DWORD kind = style & PS_STYLE_MASK;
    const DWORD type = style & PS_TYPE_MASK;
    if (kind > PS_ALTERNATE || (type != PS_COSMETIC && type != PS_GEOMETRIC)) return Fail(ERROR_INVALID_PARAMETER);
    if (style & ~(PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK | PS_TYPE_MASK)) return Fail(ERROR_INVALID_PARAMETER);
    if ((style & PS_ENDCAP_MASK) > PS_ENDCAP_FLAT || (style & PS_JOIN_MASK) > PS_JOIN_MITER)
        return Fail(ERROR_INVALID_PARAMETER);
    if (type == PS_COSMETIC && (width != 1 || brush->lbStyle != BS_SOLID)) return Fail(ERROR_INVALID_PARAMETER);
    if (type == PS_GEOMETRIC && kind == PS_ALTERNATE) return Fail(ERROR_INVALID_PARAMETER);
    if (width > 0x7FFFFFFF) return Fail(ERROR_INVALID_PARAMETER);
    if (kind == PS_USERSTYLE) {
        if (styleCount < 1 || styleCount > 16 || !styles) return Fail(ERROR_INVALID_PARAMETER);
        if (std::all_of(styles, styles + styleCount, [](DWORD run) { return run == 0; }))
            return Fail(ERROR_INVALID_PARAMETER);
        if (std::any_of(styles, styles + styleCount, [](DWORD run) { return run > 0x7FFFFFFF; }))
            return Fail(ERROR_INVALID_PARAMETER);
    } else if (styleCount != 0 || styles) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    HPEN__ pen;
    pen.style = style;
    pen.width = int(width);
    pen.color = brush->lbColor & 0xFFFFFF;
    pen.ext = true;
    pen.brushStyle = brush->lbStyle;
    if (kind == PS_USERSTYLE) pen.runs.assign(styles, styles + styleCount);
    return NewPen(pen);
}
