// GDI objects: memory and information DCs, bitmaps and DIB sections, their
// descriptions, the display's fixed metrics, and pixel access in every layout.
#include "GdiInternal.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <new>
#include <unordered_set>

namespace vyrwin {
namespace gdi {
namespace {

// The display every DC reports: the test server's screen at 96 dpi.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kScreenBitsPixel = 24;

std::unordered_set<HBITMAP>& LiveBitmaps() {
    static std::unordered_set<HBITMAP> bitmaps;
    return bitmaps;
}

std::unordered_set<HDC>& LiveDcs() {
    static std::unordered_set<HDC> dcs;
    return dcs;
}

// Millimetres covered by `pixels` at `dpi`, rounded.
int Millimetres(int pixels, int dpi) { return int((int64_t(pixels) * 254 + dpi * 5) / (int64_t(dpi) * 10)); }

// The default colour table of an 8-bit device-dependent bitmap: a 6x6x6 colour
// cube (index = red * 36 + green * 6 + blue, steps of 51), the rest black.
std::vector<RGBQUAD> ColourCube() {
    std::vector<RGBQUAD> table(256, RGBQUAD{0, 0, 0, 0});
    for (int i = 0; i < 216; ++i)
        table[i] = RGBQUAD{BYTE((i % 6) * 51), BYTE((i / 6 % 6) * 51), BYTE(i / 36 * 51), 0};
    return table;
}

bool SupportedDepth(int bitsPixel) {
    return bitsPixel == 1 || bitsPixel == 8 || bitsPixel == 24 || bitsPixel == 32;
}

// A zeroed bitmap, registered; null with `error` set when it cannot be made.
HBITMAP NewBitmap(int width, int height, int bitsPixel, bool dib, bool topDown, DWORD& error) {
    if (width <= 0 || height <= 0 || !SupportedDepth(bitsPixel)) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    int64_t stride = dib ? DibStride(width, bitsPixel) : DdbStride(width, bitsPixel);
    if (stride * height > kMaxBitmapBytes) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    HBITMAP bitmap = new (std::nothrow) HBITMAP__;
    if (!bitmap) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    try {
        bitmap->pixels.assign(size_t(stride * height), 0);
        LiveBitmaps().insert(bitmap);
    } catch (const std::bad_alloc&) {
        delete bitmap;
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPixel = bitsPixel;
    bitmap->stride = int(stride);
    bitmap->dib = dib;
    bitmap->topDown = topDown;
    if (bitsPixel == 8 && !dib) bitmap->colors = ColourCube();
    return bitmap;
}

HBITMAP Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

HDC NewDc(HDC__::Kind kind) {
    HDC dc = new (std::nothrow) HDC__;
    if (!dc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    dc->kind = kind;
    try {
        LiveDcs().insert(dc);
    } catch (const std::bad_alloc&) {
        delete dc;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return dc;
}

void FillBitmap(HBITMAP bitmap, BITMAP& out) {
    out.bmType = 0;
    out.bmWidth = bitmap->width;
    out.bmHeight = bitmap->height;
    out.bmWidthBytes = bitmap->stride;
    out.bmPlanes = 1;
    out.bmBitsPixel = WORD(bitmap->bitsPixel);
    out.bmBits = bitmap->dib ? bitmap->pixels.data() : nullptr;
}

}  // namespace

int64_t DdbStride(int64_t width, int bitsPixel) { return (width * bitsPixel + 15) / 16 * 2; }
int64_t DibStride(int64_t width, int bitsPixel) { return (width * bitsPixel + 31) / 32 * 4; }

uint8_t* PixelView::Row(int y) const { return bits + (topDown ? y : height - 1 - y) * stride; }

uint32_t PixelView::Get(const uint8_t* row, int x) const {
    switch (bitsPixel) {
    case 32:
    case 24: {
        const uint8_t* p = row + x * (bitsPixel / 8);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    default: {
        int index = bitsPixel == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
        if (!colors) return index ? kWhite : kBlack;
        if (index >= colorCount) return kBlack;
        const RGBQUAD& c = colors[index];
        return uint32_t(c.rgbBlue) | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbRed) << 16;
    }
    }
}

int PixelView::Index(uint32_t pixel) const {
    // A monochrome DDB keeps white (the default background colour) as 1, all else as 0.
    if (!colors) return (pixel & kWhite) == kWhite ? 1 : 0;
    int best = 0;
    int64_t bestDistance = INT64_MAX;
    int b = pixel & 0xFF, g = pixel >> 8 & 0xFF, r = pixel >> 16 & 0xFF;
    for (int i = 0; i < colorCount; ++i) {
        int db = colors[i].rgbBlue - b, dg = colors[i].rgbGreen - g, dr = colors[i].rgbRed - r;
        int64_t distance = int64_t(db) * db + int64_t(dg) * dg + int64_t(dr) * dr;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0) break;
        }
    }
    return best;
}

void PixelView::Put(uint8_t* row, int x, uint32_t pixel) const {
    switch (bitsPixel) {
    case 32:
        row[x * 4 + 3] = 0;
        [[fallthrough]];
    case 24: {
        uint8_t* p = row + x * (bitsPixel / 8);
        p[0] = uint8_t(pixel);
        p[1] = uint8_t(pixel >> 8);
        p[2] = uint8_t(pixel >> 16);
        break;
    }
    case 8:
        row[x] = uint8_t(Index(pixel));
        break;
    default: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        if (Index(pixel))
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= uint8_t(~bit);
        break;
    }
    }
}

uint32_t PixelView::Quantise(uint32_t pixel) const {
    if (bitsPixel >= 24) return pixel & kWhite;
    int index = Index(pixel);
    if (!colors) return index ? kWhite : kBlack;
    if (index >= colorCount) return kBlack;
    const RGBQUAD& c = colors[index];
    return uint32_t(c.rgbBlue) | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbRed) << 16;
}

PixelView ViewOf(HBITMAP bitmap) {
    PixelView view;
    view.bits = bitmap->pixels.data();
    view.width = bitmap->width;
    view.height = bitmap->height;
    view.bitsPixel = bitmap->bitsPixel;
    view.stride = bitmap->stride;
    view.topDown = bitmap->topDown;
    if (!bitmap->colors.empty()) {
        view.colors = bitmap->colors.data();
        view.colorCount = int(bitmap->colors.size());
    }
    return view;
}

HBITMAP StockBitmap() {
    static HBITMAP__ stock = [] {
        HBITMAP__ bitmap;
        bitmap.stock = true;
        bitmap.pixels.assign(2, 0);
        return bitmap;
    }();
    return &stock;
}

bool IsLiveBitmap(HBITMAP bitmap) {
    return bitmap && (bitmap == StockBitmap() || LiveBitmaps().count(bitmap) != 0);
}

bool IsGdiDc(HDC dc) { return dc && LiveDcs().count(dc) != 0; }

bool IsLiveDc(HDC dc) {
    int width = 0, height = 0;
    return dc && (IsGdiDc(dc) || DrawableSize(dc, width, height));
}

HBITMAP SelectedBitmap(HDC dc) { return dc->bitmap ? dc->bitmap : StockBitmap(); }

bool ParseDib(const BITMAPINFO* info, UINT usage, DibFormat& format, DWORD& error) {
    error = ERROR_INVALID_PARAMETER;
    if (!info || usage > DIB_PAL_COLORS) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes != 1) return false;
    int bitsPixel = h.biBitCount;
    if (!SupportedDepth(bitsPixel)) {
        error = ERROR_NOT_SUPPORTED;
        return false;
    }
    const uint8_t* afterHeader = reinterpret_cast<const uint8_t*>(info) + h.biSize;
    if (h.biCompression == BI_BITFIELDS) {
        // Masks follow a plain header and sit inside the larger ones, at the same offset.
        const DWORD* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const uint8_t*>(info) + 40);
        if (bitsPixel != 32 || masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) {
            error = ERROR_NOT_SUPPORTED;
            return false;
        }
    } else if (h.biCompression != BI_RGB) {
        error = ERROR_NOT_SUPPORTED;
        return false;
    }
    int64_t stride = DibStride(h.biWidth, bitsPixel);
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (stride * height > kMaxBitmapBytes) return false;
    PixelView& view = format.view;
    view = PixelView{};
    view.width = h.biWidth;
    view.height = height;
    view.bitsPixel = bitsPixel;
    view.stride = stride;
    view.topDown = h.biHeight < 0;
    format.topDown = view.topDown;
    if (bitsPixel <= 8) {
        if (usage == DIB_PAL_COLORS) {
            error = ERROR_NOT_SUPPORTED;  // no palettes to index
            return false;
        }
        int maxColors = 1 << bitsPixel;
        int count = h.biClrUsed == 0 || h.biClrUsed > DWORD(maxColors) ? maxColors : int(h.biClrUsed);
        view.colors = reinterpret_cast<const RGBQUAD*>(afterHeader);
        view.colorCount = count;
    }
    return true;
}

}  // namespace gdi
}  // namespace vyrwin

using namespace vyrwin;
using namespace vyrwin::gdi;

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HDC created = NewDc(HDC__::kMemory);
    if (created && dc) {
        created->dpiX = dc->dpiX;
        created->dpiY = dc->dpiY;
    }
    return created;
}

HDC CreateDCW(LPCWSTR driver, LPCWSTR, LPCWSTR, const void*) {
    static const wchar_t kDisplay[] = L"DISPLAY";
    bool display = driver != nullptr;
    for (size_t i = 0; display && i < sizeof kDisplay / sizeof kDisplay[0]; ++i)
        display = std::towupper(wint_t(driver[i])) == wint_t(kDisplay[i]);
    if (!display) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return NewDc(HDC__::kInfo);
}

BOOL DeleteDC(HDC dc) {
    if (!IsGdiDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DestroyGlSurface(dc);
    ReleaseDcObjects(dc);
    if (dc->bitmap) dc->bitmap->selectedInto = nullptr;
    LiveDcs().erase(dc);
    delete dc;
    return TRUE;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1) return Fail(ERROR_INVALID_PARAMETER);
    if (width == 0 || height == 0) return StockBitmap();
    DWORD error = 0;
    HBITMAP bitmap = NewBitmap(width, height, int(bitsPerPixel), false, true, error);
    if (!bitmap) return Fail(error);
    if (bits) std::copy_n(static_cast<const uint8_t*>(bits), bitmap->pixels.size(), bitmap->pixels.begin());
    return bitmap;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (!IsLiveDc(dc)) return Fail(ERROR_INVALID_HANDLE);
    if (width < 0 || height < 0) return Fail(ERROR_INVALID_PARAMETER);
    if (width == 0 || height == 0) return StockBitmap();
    HBITMAP model = IsGdiDc(dc) && dc->kind == HDC__::kMemory ? SelectedBitmap(dc) : nullptr;
    DWORD error = 0;
    HBITMAP bitmap = NewBitmap(width, height, model ? model->bitsPixel : 32, false, true, error);
    if (!bitmap) return Fail(error);
    if (model && model->bitsPixel == 8) bitmap->colors = model->colors;
    return bitmap;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits) {
    if (!IsLiveBitmap(bitmap) || !bits || size < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = std::min(bitmap->pixels.size(), static_cast<size_t>(size));
    std::copy_n(bitmap->pixels.begin(), count, static_cast<uint8_t*>(bits));
    return LONG(count);
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
    if (!IsLiveBitmap(bitmap) || bitmap->stock || !bits || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = std::min(bitmap->pixels.size(), static_cast<size_t>(size));
    std::copy_n(static_cast<const uint8_t*>(bits), count, bitmap->pixels.begin());
    return LONG(count);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    if (section) return Fail(ERROR_NOT_SUPPORTED);  // no file mappings here
    DibFormat format;
    DWORD error = 0;
    if (!ParseDib(info, usage, format, error)) return Fail(error);
    const PixelView& view = format.view;
    HBITMAP bitmap = NewBitmap(view.width, view.height, view.bitsPixel, true, view.topDown, error);
    if (!bitmap) return Fail(error);
    if (view.colors) bitmap->colors.assign(view.colors, view.colors + view.colorCount);
    bitmap->header = info->bmiHeader;
    bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
    bitmap->header.biSizeImage = DWORD(bitmap->pixels.size());
    if (info->bmiHeader.biCompression == BI_BITFIELDS) {
        bitmap->masks[0] = 0xFF0000;
        bitmap->masks[1] = 0xFF00;
        bitmap->masks[2] = 0xFF;
    }
    if (bits) *bits = bitmap->pixels.data();
    return bitmap;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (IsLiveBrush(object) || IsLivePen(object) || IsLiveFont(object)) {
        if (!IsLiveDc(dc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        if (IsLivePen(object)) return SelectPen(dc, static_cast<HPEN>(object));
        if (IsLiveFont(object)) return SelectFont(dc, static_cast<HFONT>(object));
        return SelectBrush(dc, static_cast<HBRUSH>(object));
    }
    HBITMAP bitmap = static_cast<HBITMAP>(object);
    if (!IsLiveDc(dc) || !IsLiveBitmap(bitmap)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!IsGdiDc(dc) || dc->kind != HDC__::kMemory) {
        SetLastError(ERROR_INVALID_PARAMETER);  // bitmaps go into memory DCs only
        return nullptr;
    }
    HBITMAP previous = SelectedBitmap(dc);
    if (bitmap == previous) return previous;
    if (!bitmap->stock && bitmap->selectedInto) {
        SetLastError(ERROR_INVALID_PARAMETER);  // already selected into another DC
        return nullptr;
    }
    GlSurfaceToBitmap(dc);  // the outgoing bitmap keeps what OpenGL drew into it
    previous->selectedInto = nullptr;
    if (bitmap->stock) {
        dc->bitmap = nullptr;
    } else {
        dc->bitmap = bitmap;
        bitmap->selectedInto = dc;
    }
    GlSurfaceBitmapChanged(dc);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (IsLivePalette(object)) return DeletePalette(static_cast<HPALETTE>(object));
    if (IsLiveBrush(object)) return DeleteBrush(static_cast<HBRUSH>(object));
    if (IsLivePen(object)) return DeletePen(static_cast<HPEN>(object));
    if (IsLiveFont(object)) return DeleteFontObject(static_cast<HFONT>(object));
    HBITMAP bitmap = static_cast<HBITMAP>(object);
    if (!IsLiveBitmap(bitmap)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (bitmap->stock) return TRUE;
    if (bitmap->selectedInto) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LiveBitmaps().erase(bitmap);
    delete bitmap;
    return TRUE;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
    if (IsLivePalette(object)) return DescribePalette(static_cast<HPALETTE>(object), size, buffer);
    if (IsLiveBrush(object)) return DescribeBrush(static_cast<HBRUSH>(object), size, buffer);
    if (IsLivePen(object)) return DescribePen(static_cast<HPEN>(object), size, buffer);
    if (IsLiveFont(object)) return DescribeFont(static_cast<HFONT>(object), size, buffer);
    HBITMAP bitmap = static_cast<HBITMAP>(object);
    if (!IsLiveBitmap(bitmap)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!buffer) return bitmap->dib ? int(sizeof(DIBSECTION)) : int(sizeof(BITMAP));
    if (bitmap->dib && size >= int(sizeof(DIBSECTION))) {
        DIBSECTION section{};
        FillBitmap(bitmap, section.dsBm);
        section.dsBmih = bitmap->header;
        std::copy_n(bitmap->masks, 3, section.dsBitfields);
        std::memcpy(buffer, &section, sizeof section);
        return int(sizeof section);
    }
    if (size < int(sizeof(BITMAP))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BITMAP description{};
    FillBitmap(bitmap, description);
    std::memcpy(buffer, &description, sizeof description);
    return int(sizeof description);
}

DWORD GetObjectType(HGDIOBJ object) {
    if (!object) return 0;
    if (IsLiveBitmap(static_cast<HBITMAP>(object))) return OBJ_BITMAP;
    if (IsLivePalette(object)) return OBJ_PAL;
    if (IsLiveBrush(object)) return OBJ_BRUSH;
    if (IsLivePen(object)) return PenObjectType(static_cast<HPEN>(object));
    if (IsLiveFont(object)) return OBJ_FONT;
    HDC dc = static_cast<HDC>(object);
    if (IsGdiDc(dc)) return dc->kind == HDC__::kMemory ? OBJ_MEMDC : OBJ_DC;
    return IsLiveDc(dc) ? OBJ_DC : 0;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return Millimetres(kScreenWidth, dc->dpiX);
    case VERTSIZE: return Millimetres(kScreenHeight, dc->dpiY);
    case HORZRES:
    case DESKTOPHORZRES: return kScreenWidth;
    case VERTRES:
    case DESKTOPVERTRES: return kScreenHeight;
    case BITSPIXEL: {
        if (IsGdiDc(dc) && dc->kind == HDC__::kMemory && dc->bitmap) return dc->bitmap->bitsPixel;
        return kScreenBitsPixel;
    }
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: return dc->dpiX;
    case LOGPIXELSY: return dc->dpiY;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return kScreenBitsPixel;
    default: return 0;
    }
}

int SetStretchBltMode(HDC dc, int mode) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = dc->stretchBltMode;
    dc->stretchBltMode = mode;
    return previous;
}

int GetStretchBltMode(HDC dc) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return dc->stretchBltMode;
}
