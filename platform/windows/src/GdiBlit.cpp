// Pixel transfers: bitmaps to DIBs, DIBs to DCs, and copies between memory,
// window and pbuffer DCs with ternary raster operations and nearest-pixel scaling.
#include "GdiDrawInternal.h"

#include <algorithm>
#include <new>

namespace vyrwin {
namespace gdi {

// COLORREF (red lowest) as the 0x00RRGGBB pixels that transfers carry.
uint32_t PixelOf(COLORREF color) { return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF); }

// The brush and colours of a DC.
static void TakeDcColours(HDC dc, Surface& surface) {
    surface.dc = dc;
    surface.pattern = DcBrushPixel(dc);
    surface.background = PixelOf(dc->bkColor);
    surface.text = PixelOf(dc->textColor);
}

// The surface of a memory, window or pbuffer DC.
bool SurfaceOfDc(HDC dc, Surface& surface, DWORD& error) {
    if (IsGdiDc(dc)) {
        if (dc->kind != HDC__::kMemory) {
            error = ERROR_NOT_SUPPORTED;  // an information DC has no pixels
            return false;
        }
        HBITMAP bitmap = SelectedBitmap(dc);
        surface.kind = Surface::kPixels;
        surface.view = ViewOf(bitmap);
        surface.readOnly = bitmap->stock;
        surface.width = bitmap->width;
        surface.height = bitmap->height;
        surface.mono = bitmap->bitsPixel == 1 && bitmap->colors.empty();
        TakeDcColours(dc, surface);
        return true;
    }
    int width = 0, height = 0;
    if (dc && DrawableSize(dc, width, height)) {
        surface.kind = Surface::kDrawable;
        surface.width = std::max(width, 0);
        surface.height = std::max(height, 0);
        TakeDcColours(dc, surface);
        return true;
    }
    error = ERROR_INVALID_HANDLE;
    return false;
}

namespace {

Surface SurfaceOfDib(const PixelView& view) {
    Surface surface;
    surface.view = view;
    surface.readOnly = true;
    surface.width = view.width;
    surface.height = view.height;
    return surface;
}

// The code byte of a raster operation: bit (P * 4 + S * 2 + D) is the result for
// pattern, source and destination bits P, S, D.
uint8_t RopCode(DWORD rop) { return uint8_t(rop >> 16); }
bool UsesSource(uint8_t code) { return ((code >> 2 ^ code) & 0x33) != 0; }
bool UsesDest(uint8_t code) { return ((code >> 1 ^ code) & 0x55) != 0; }

// Evaluates a raster operation bitwise.
uint32_t ApplyRop(uint8_t code, uint32_t pattern, uint32_t source, uint32_t dest) {
    uint32_t result = 0;
    for (int k = 0; k < 8; ++k)
        if (code >> k & 1)
            result |= (k & 4 ? pattern : ~pattern) & (k & 2 ? source : ~source) & (k & 1 ? dest : ~dest);
    return result & kWhite;
}

// Turns a negative extent into a positive one starting at the other end, and
// remembers that the axis runs backwards.
void Normalise(int64_t& origin, int64_t& extent, bool& flip) {
    if (extent < 0) {
        origin += extent;
        extent = -extent;
        flip = !flip;
    }
}

// One axis of a transfer: the destination coordinates [first, first + count) that
// fall inside the destination surface and, when there is a source, read inside
// the source surface; `source` holds the source coordinate of each.
struct Axis {
    int first = 0;
    int count = 0;
    std::vector<int> source;
};

void MapAxis(int64_t d, int64_t dn, int64_t dLimit, int64_t s, int64_t sn, int64_t sLimit, bool hasSource, bool flip,
             Axis& axis) {
    int64_t begin = std::max<int64_t>(0, -d);
    int64_t end = std::min<int64_t>(dn, dLimit - d);
    int64_t firstValid = -1;
    for (int64_t i = begin; i < end; ++i) {
        int64_t sc = 0;
        if (hasSource) {
            // Nearest pixel: the source pixel under the centre of destination pixel i.
            int64_t j = int64_t((__int128(2 * i + 1) * sn) / (__int128(2) * dn));
            if (flip) j = sn - 1 - j;
            sc = s + j;
            if (sc < 0 || sc >= sLimit) {
                if (firstValid >= 0) break;  // the mapping is monotonic: nothing valid follows
                continue;
            }
        }
        if (firstValid < 0) firstValid = i;
        axis.source.push_back(int(sc));
    }
    axis.count = int(axis.source.size());
    axis.first = axis.count ? int(d + firstValid) : 0;
}

// Copies a source rectangle onto a destination rectangle (extents positive, the
// flips mirroring the source), clipped to both surfaces. Pixels whose source lies
// outside the source surface are left alone.
bool Transfer(const Surface& dst, int64_t dx, int64_t dy, int64_t dw, int64_t dh, const Surface* src, int64_t sx,
              int64_t sy, int64_t sw, int64_t sh, bool flipX, bool flipY, DWORD rop, DWORD& error) {
    uint8_t code = RopCode(rop);
    bool usesSource = UsesSource(code);
    bool usesDest = UsesDest(code);
    if (usesSource && !src) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    if (dw <= 0 || dh <= 0 || (usesSource && (sw <= 0 || sh <= 0))) return true;
    try {
        Axis columns, rows;
        MapAxis(dx, dw, dst.width, sx, sw, usesSource ? src->width : 0, usesSource, flipX, columns);
        MapAxis(dy, dh, dst.height, sy, sh, usesSource ? src->height : 0, usesSource, flipY, rows);
        int w = columns.count, h = rows.count;
        if (w == 0 || h == 0) return true;

        std::vector<uint32_t> result(size_t(w) * h, 0);
        if (usesDest && !dst.Read(columns.first, rows.first, w, h, result.data())) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        std::vector<uint32_t> source;
        int sx0 = 0, sy0 = 0, sBlockW = 0;
        if (usesSource) {
            auto [cMin, cMax] = std::minmax_element(columns.source.begin(), columns.source.end());
            auto [rMin, rMax] = std::minmax_element(rows.source.begin(), rows.source.end());
            sx0 = *cMin;
            sy0 = *rMin;
            sBlockW = *cMax - sx0 + 1;
            int sBlockH = *rMax - sy0 + 1;
            source.resize(size_t(sBlockW) * sBlockH);
            if (!src->Read(sx0, sy0, sBlockW, sBlockH, source.data())) {
                error = ERROR_INVALID_HANDLE;
                return false;
            }
            // Converted to the destination's format first, as a copy into it would be: between
            // monochrome and colour through the DCs' colours, else to what the destination holds.
            if (src->mono && !dst.mono) {
                for (uint32_t& pixel : source) pixel = pixel == kWhite ? dst.background : dst.text;
            } else if (dst.mono && !src->mono) {
                for (uint32_t& pixel : source) pixel = pixel == src->background ? kWhite : kBlack;
            }
            if (dst.kind == Surface::kPixels && dst.view.bitsPixel <= 8)
                for (uint32_t& pixel : source) pixel = dst.Quantise(pixel);
        }
        const uint32_t pattern = dst.Quantise(dst.pattern);
        for (int r = 0; r < h; ++r) {
            uint32_t* out = &result[size_t(r) * w];
            const uint32_t* in = usesSource ? &source[size_t(rows.source[r] - sy0) * sBlockW] : nullptr;
            for (int c = 0; c < w; ++c) {
                uint32_t s = in ? in[columns.source[c] - sx0] : 0;
                out[c] = code == 0xCC ? s : ApplyRop(code, pattern, s, out[c]);
            }
        }
        if (!dst.Write(columns.first, rows.first, w, h, result.data())) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
}

// The source surface of a DIB transfer: the whole DIB, or the band of rows the
// caller passed; `top` is the band's first row counted from the top of the image.
bool DibSource(const BITMAPINFO* info, const void* bits, UINT usage, UINT start, UINT lines, bool banded,
               Surface& surface, int64_t& top, int& imageHeight, DWORD& error) {
    DibFormat format;
    if (!ParseDib(info, usage, format, error)) return false;
    if (!bits) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    PixelView view = format.view;
    view.bits = static_cast<uint8_t*>(const_cast<void*>(bits));  // read only: the surface is read-only
    imageHeight = view.height;
    top = 0;
    if (banded) {
        int64_t count = start >= UINT(view.height) ? 0 : std::min<int64_t>(lines, view.height - int64_t(start));
        top = format.topDown ? int64_t(start) : view.height - int64_t(start) - count;
        view.height = int(count);
    }
    surface = SurfaceOfDib(view);
    return true;
}

// Where a rectangle of a DIB starts, counted from the top: ySrc counts from the
// bottom of a bottom-up DIB.
int64_t DibTop(bool topDown, int imageHeight, int64_t ySrc, int64_t height) {
    return topDown ? ySrc : imageHeight - ySrc - height;
}

int FailWith(DWORD error) {
    SetLastError(error);
    return 0;
}

}  // namespace
}  // namespace gdi
}  // namespace vyrwin

using namespace vyrwin;
using namespace vyrwin::gdi;

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
    if (!IsLiveBitmap(bitmap)) return FailWith(ERROR_INVALID_HANDLE);
    if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage > DIB_PAL_COLORS)
        return FailWith(ERROR_INVALID_PARAMETER);
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (!bits) {
        if (h.biBitCount != 0 && h.biBitCount != 24 && h.biBitCount != 32) return FailWith(ERROR_NOT_SUPPORTED);
        int depth = h.biBitCount ? h.biBitCount : bitmap->bitsPixel;
        bool topDown = h.biHeight < 0;
        h.biWidth = bitmap->width;
        h.biHeight = topDown ? -bitmap->height : bitmap->height;
        h.biPlanes = 1;
        h.biBitCount = WORD(depth);
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(DibStride(bitmap->width, depth) * bitmap->height);
        h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
        h.biClrUsed = h.biClrImportant = 0;
        return bitmap->height;
    }
    if (h.biBitCount != 24 && h.biBitCount != 32) return FailWith(ERROR_NOT_SUPPORTED);
    GlSurfaceToBitmap(bitmap->selectedInto);  // what OpenGL drew into the bitmap so far
    if (h.biCompression != BI_RGB) {
        const DWORD* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const uint8_t*>(info) + 40);
        if (h.biCompression != BI_BITFIELDS || h.biBitCount != 32 || masks[0] != 0xFF0000 || masks[1] != 0xFF00 ||
            masks[2] != 0xFF)
            return FailWith(ERROR_NOT_SUPPORTED);
    }
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return FailWith(ERROR_INVALID_PARAMETER);
    if (start >= UINT(bitmap->height) || lines == 0) return 0;
    int count = int(std::min<int64_t>(lines, bitmap->height - int64_t(start)));
    bool topDown = h.biHeight < 0;
    int bytesPixel = h.biBitCount / 8;
    int64_t stride = DibStride(h.biWidth, h.biBitCount);
    int copied = std::min<int>(h.biWidth, bitmap->width);
    PixelView view = ViewOf(bitmap);
    uint8_t* outRow = static_cast<uint8_t*>(bits);
    for (int k = 0; k < count; ++k, outRow += stride) {
        int y = topDown ? int(start) + k : bitmap->height - 1 - int(start) - k;
        const uint8_t* row = view.Row(y);
        uint8_t* out = outRow;
        for (int x = 0; x < copied; ++x, out += bytesPixel) {
            uint32_t pixel = view.Get(row, x);
            out[0] = uint8_t(pixel);
            out[1] = uint8_t(pixel >> 8);
            out[2] = uint8_t(pixel >> 16);
            if (bytesPixel == 4) out[3] = 0;
        }
        std::fill(out, outRow + stride, uint8_t(0));
    }
    return count;
}

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT start,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    DWORD error = 0;
    Surface dst, src;
    int64_t bandTop = 0;
    int imageHeight = 0;
    if (!SurfaceOfDc(dc, dst, error)) return FailWith(error);
    if (!DibSource(info, bits, usage, start, lines, true, src, bandTop, imageHeight, error)) return FailWith(error);
    if (src.height == 0) return 0;
    int64_t w = std::min<int64_t>(width, INT32_MAX), h = std::min<int64_t>(height, INT32_MAX);
    int64_t top = DibTop(info->bmiHeader.biHeight < 0, imageHeight, ySrc, h) - bandTop;
    GlSurfaceToBitmap(dc);
    if (!Transfer(dst, xDest, yDest, w, h, &src, xSrc, top, w, h, false, false, SRCCOPY, error))
        return FailWith(error);
    BitmapToGlSurface(dc);
    return src.height;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
    DWORD error = 0;
    Surface dst, src;
    if (!SurfaceOfDc(dc, dst, error)) return FailWith(error);
    bool usesSource = UsesSource(RopCode(rop));
    int64_t top = 0;
    int imageHeight = 0;
    int64_t dx = xDest, dy = yDest, dw = destWidth, dh = destHeight;
    int64_t sx = xSrc, sy = ySrc, sw = srcWidth, sh = srcHeight;
    bool flipX = false, flipY = false;
    Normalise(dx, dw, flipX);
    Normalise(dy, dh, flipY);
    Normalise(sx, sw, flipX);
    Normalise(sy, sh, flipY);
    if (usesSource) {
        if (!DibSource(info, bits, usage, 0, 0, false, src, top, imageHeight, error)) return FailWith(error);
        sy = DibTop(info->bmiHeader.biHeight < 0, imageHeight, sy, sh);
    }
    GlSurfaceToBitmap(dc);
    if (!Transfer(dst, dx, dy, dw, dh, usesSource ? &src : nullptr, sx, sy, sw, sh, flipX, flipY, rop, error))
        return FailWith(error);
    BitmapToGlSurface(dc);
    return int(std::min<int64_t>(sh, INT32_MAX));
}

BOOL StretchBlt(HDC dest, int xDest, int yDest, int destWidth, int destHeight, HDC srcDc, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop) {
    DWORD error = 0;
    Surface dst, src;
    if (!SurfaceOfDc(dest, dst, error)) return FailWith(error);
    bool usesSource = UsesSource(RopCode(rop));
    if (usesSource && !SurfaceOfDc(srcDc, src, error)) return FailWith(error);
    int64_t dx = xDest, dy = yDest, dw = destWidth, dh = destHeight;
    int64_t sx = xSrc, sy = ySrc, sw = srcWidth, sh = srcHeight;
    bool flipX = false, flipY = false;
    Normalise(dx, dw, flipX);
    Normalise(dy, dh, flipY);
    Normalise(sx, sw, flipX);
    Normalise(sy, sh, flipY);
    GlSurfaceToBitmap(dest);
    if (usesSource) GlSurfaceToBitmap(srcDc);
    if (!Transfer(dst, dx, dy, dw, dh, usesSource ? &src : nullptr, sx, sy, sw, sh, flipX, flipY, rop, error))
        return FailWith(error);
    BitmapToGlSurface(dest);
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC srcDc, int xSrc, int ySrc, DWORD rop) {
    // A negative extent names the same rectangle from its other end; nothing is mirrored.
    int64_t w = width, h = height, sx = xSrc, sy = ySrc;
    int64_t dx = x, dy = y;
    if (w < 0) {
        dx += w;
        sx += w;
        w = -w;
    }
    if (h < 0) {
        dy += h;
        sy += h;
        h = -h;
    }
    DWORD error = 0;
    Surface dst, src;
    if (!SurfaceOfDc(dest, dst, error)) return FailWith(error);
    bool usesSource = UsesSource(RopCode(rop));
    if (usesSource && !SurfaceOfDc(srcDc, src, error)) return FailWith(error);
    GlSurfaceToBitmap(dest);
    if (usesSource) GlSurfaceToBitmap(srcDc);
    if (!Transfer(dst, dx, dy, w, h, usesSource ? &src : nullptr, sx, sy, w, h, false, false, rop, error))
        return FailWith(error);
    BitmapToGlSurface(dest);
    return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    if (UsesSource(RopCode(rop))) return FailWith(ERROR_INVALID_PARAMETER);
    return BitBlt(dc, x, y, width, height, nullptr, 0, 0, rop);
}

COLORREF GetPixel(HDC dc, int xLogical, int yLogical) {
    DWORD error = 0;
    Surface surface;
    if (!SurfaceOfDc(dc, surface, error)) {
        SetLastError(error);
        return CLR_INVALID;
    }
    const DeviceMap map = MapOf(dc);
    const int64_t x = DevicePixel(map.X(xLogical)), y = DevicePixel(map.Y(yLogical));
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return CLR_INVALID;
    GlSurfaceToBitmap(dc);
    uint32_t pixel = 0;
    if (!surface.Read(int(x), int(y), 1, 1, &pixel)) return CLR_INVALID;
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}
