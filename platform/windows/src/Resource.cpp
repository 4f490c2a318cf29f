// Bitmap resources of modules and bitmap files: FindResourceW, LoadBitmapW and LoadImageW.
//
// Every source becomes a Picture first (its size, and either colour-table indices or colours),
// and every result is made from a Picture, so resources and files of every depth meet the same
// stretching and the same choice of result.
#include "GdiInternal.h"

#include "vyrwin_storefile.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vyrwin::gdi::kBlack;
using vyrwin::gdi::kWhite;

// A picture on its way to a bitmap: `width` x `height` pixels, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    int sourceBits = 32;              // depth of the source: 1, 4, 8, 16, 24 or 32
    std::vector<uint32_t> table;      // colour table (0x00RRGGBB) of a source of 8 bits or fewer
    std::vector<uint8_t> indices;     // a source with a table: one index per pixel
    std::vector<uint32_t> colors;     // 0x00RRGGBB per pixel (also filled for a source with a table)

    bool Indexed() const { return !table.empty(); }
    // A two-colour picture of exactly black and white.
    bool BlackAndWhite() const {
        if (sourceBits != 1 || table.size() != 2) return false;
        return (table[0] == kBlack && table[1] == kWhite) || (table[0] == kWhite && table[1] == kBlack);
    }
};

bool ResourceNumber(LPCWSTR name, UINT& id) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
        return true;
    }
    if (name[0] != L'#' || !name[1]) return false;
    UINT value = 0;
    for (const WCHAR* c = name + 1; *c; ++c) {
        if (*c < L'0' || *c > L'9' || value > 0xFFFF) return false;
        value = value * 10 + static_cast<UINT>(*c - L'0');
    }
    if (value > 0xFFFF) return false;
    id = value;
    return true;
}

const vyrwin::BitmapResource* FindBitmap(HMODULE module, LPCWSTR name) {
    UINT id = 0;
    const vyrwin::BitmapResource* found = ResourceNumber(name, id) ? vyrwin::FindBitmapResource(module, id) : nullptr;
    if (!found) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return found;
}

Picture FromResource(const vyrwin::BitmapResource& resource) {
    Picture picture;
    picture.width = resource.width;
    picture.height = resource.height;
    picture.sourceBits = resource.bitsPerPixel;
    const size_t count = size_t(resource.width) * size_t(resource.height);
    picture.colors.resize(count);
    const int64_t stride = vyrwin::gdi::DdbStride(resource.width, resource.bitsPerPixel);
    if (resource.bitsPerPixel == 1) {
        picture.table = {kBlack, kWhite};
        picture.indices.resize(count);
    }
    for (int y = 0; y < resource.height; ++y) {
        const uint8_t* row = resource.bits.data() + stride * y;
        for (int x = 0; x < resource.width; ++x) {
            const size_t at = size_t(y) * resource.width + x;
            if (resource.bitsPerPixel == 1) {
                const uint8_t index = (row[x / 8] >> (7 - x % 8)) & 1;
                picture.indices[at] = index;
                picture.colors[at] = picture.table[index];
            } else {
                const uint8_t* p = row + x * (resource.bitsPerPixel / 8);
                picture.colors[at] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            }
        }
    }
    return picture;
}

// --- .bmp files -----------------------------------------------------------------------

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One channel of a bit-field pixel: where its mask starts and how many bits it has.
struct Channel {
    int shift = 0;
    int bits = 0;
    uint32_t mask = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    // Contiguous masks only (a gap would mean a second field of the same colour).
    bool Valid() const { return !mask || (bits == 32 ? mask == 0xFFFFFFFFu : (mask >> shift) == ((1u << bits) - 1)); }
    // The channel's value scaled to 0..255.
    uint32_t Get(uint32_t pixel) const {
        if (!bits) return 0;
        const uint64_t value = (pixel & mask) >> shift;
        const uint64_t top = (bits >= 32 ? 0xFFFFFFFFull : (1ull << bits) - 1);
        return static_cast<uint32_t>((value * 255 + top / 2) / top);
    }
};

// Decodes a whole .bmp file. False, with nothing made, for anything that is not one of the
// bitmaps this reader takes (see LoadImageW in vyrwin_user.h).
bool DecodeBmp(const std::string& file, Picture& picture) {
    const size_t size = file.size();
    const uint8_t* data = reinterpret_cast<const uint8_t*>(file.data());
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t offBits = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return false;
    if (size < 14 + uint64_t(headerSize)) return false;
    const uint8_t* header = data + 14;
    int64_t width = 0, height = 0;
    uint32_t planes = 0, bits = 0, compression = 0, colorsUsed = 0;
    const bool core = headerSize == 12;
    if (core) {
        width = U16(header + 4);
        height = static_cast<int16_t>(U16(header + 6));
        planes = U16(header + 8);
        bits = U16(header + 10);
    } else {
        width = static_cast<int32_t>(U32(header + 4));
        height = static_cast<int32_t>(U32(header + 8));
        planes = U16(header + 12);
        bits = U16(header + 14);
        compression = U32(header + 16);
        colorsUsed = U32(header + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (planes != 1 || width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32))) return false;

    // Bit-field masks: inside the larger headers, else the three words after a 40-byte one.
    uint32_t masks[3] = {0, 0, 0};
    uint64_t tableStart = 14 + uint64_t(headerSize);
    if (compression == BI_BITFIELDS) {
        const uint8_t* at = header + 40;
        if (headerSize == 40) {
            if (size < tableStart + 12) return false;
            at = data + tableStart;
            tableStart += 12;
        }
        for (int i = 0; i < 3; ++i) masks[i] = U32(at + 4 * i);
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    if (!red.Valid() || !green.Valid() || !blue.Valid()) return false;

    picture = Picture();
    picture.sourceBits = static_cast<int>(bits);
    if (bits <= 8) {
        const uint64_t most = uint64_t(1) << bits;
        const uint64_t entries = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
        const uint64_t entrySize = core ? 3 : 4;
        if (tableStart + entries * entrySize > size) return false;
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + tableStart + i * entrySize;
            picture.table.push_back(uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0]);
        }
    }

    const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
    if (offBits < tableStart || offBits > size || (size - offBits) / stride < uint64_t(height)) return false;
    if (uint64_t(width) * uint64_t(height) > uint64_t(vyrwin::gdi::kMaxBitmapBytes) / 4) return false;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    const size_t count = size_t(width) * size_t(height);
    picture.colors.resize(count);
    if (picture.Indexed()) picture.indices.resize(count);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + offBits + stride * uint64_t(topDown ? y : height - 1 - y);
        for (int64_t x = 0; x < width; ++x) {
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (bits <= 8) {
                const uint64_t bitAt = uint64_t(x) * bits;
                const uint32_t index = (row[bitAt / 8] >> (8 - bits - bitAt % 8)) & ((1u << bits) - 1);
                // An index past the table has no colour of its own: black.
                picture.indices[at] = static_cast<uint8_t>(index);
                picture.colors[at] = index < picture.table.size() ? picture.table[index] : kBlack;
            } else if (bits == 24) {
                const uint8_t* p = row + x * 3;
                picture.colors[at] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            } else {
                const uint32_t raw = bits == 16 ? U16(row + x * 2) : U32(row + x * 4);
                picture.colors[at] = red.Get(raw) << 16 | green.Get(raw) << 8 | blue.Get(raw);
            }
        }
    }
    return true;
}

bool ReadBmpFile(LPCWSTR name, Picture& picture) {
    if (!name || IS_INTRESOURCE(name) || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string bytes;
    int error = 0;
    vyrwin::FileIdentity identity;
    // Larger than any bitmap this library makes: no such file can be one.
    const size_t limit = size_t(vyrwin::gdi::kMaxBitmapBytes) + 4096;
    const vyrwin::FileReadResult read = vyrwin::ReadWholeFile(vyrwin::Utf8FromWide(name), bytes, error, identity, limit);
    if (read == vyrwin::FileReadResult::kMissing || (read == vyrwin::FileReadResult::kFailed && error != EFBIG)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (read != vyrwin::FileReadResult::kOk || !DecodeBmp(bytes, picture)) {
        SetLastError(ERROR_BAD_FORMAT);
        return false;
    }
    return true;
}

// --- making the bitmap ----------------------------------------------------------------

// The picture at `width` x `height`, nearest source pixel.
Picture Stretched(const Picture& source, int width, int height) {
    if (width == source.width && height == source.height) return source;
    Picture result;
    result.width = width;
    result.height = height;
    result.sourceBits = source.sourceBits;
    result.table = source.table;
    const size_t count = size_t(width) * size_t(height);
    result.colors.resize(count);
    if (source.Indexed()) result.indices.resize(count);
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>(int64_t(y) * source.height / height);
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>(int64_t(x) * source.width / width);
            const size_t from = size_t(sy) * source.width + sx;
            const size_t to = size_t(y) * width + x;
            result.colors[to] = source.colors[from];
            if (source.Indexed()) result.indices[to] = source.indices[from];
        }
    }
    return result;
}

bool Bright(uint32_t rgb) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r * 299 + g * 587 + b * 114 >= 128 * 1000;
}

// A DIB section of `bits` per pixel (1 and 8 with `table`), filled from the picture.
HBITMAP MakeDibSection(const Picture& picture, int bits, const std::vector<uint32_t>& table, bool fromIndices) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + table.size() * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = picture.width;
    header->biHeight = -picture.height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biClrUsed = static_cast<DWORD>(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        RGBQUAD quad{static_cast<BYTE>(table[i]), static_cast<BYTE>(table[i] >> 8), static_cast<BYTE>(table[i] >> 16), 0};
        std::memcpy(info.data() + sizeof(BITMAPINFOHEADER) + i * sizeof(RGBQUAD), &quad, sizeof quad);
    }
    void* pixels = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap) return nullptr;
    const int64_t stride = vyrwin::gdi::DibStride(picture.width, bits);
    auto* rows = static_cast<uint8_t*>(pixels);
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = rows + stride * y;
        for (int x = 0; x < picture.width; ++x) {
            const size_t at = size_t(y) * picture.width + x;
            const uint32_t c = picture.colors[at];
            if (bits == 1) {
                const bool set = fromIndices ? picture.indices[at] != 0 : Bright(c);
                if (set) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else if (bits == 8) {
                row[x] = picture.indices[at];
            } else {
                uint8_t* p = row + x * (bits / 8);
                p[0] = static_cast<uint8_t>(c);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c >> 16);
            }
        }
    }
    return bitmap;
}

// A device-dependent bitmap: monochrome (white as set bits) or 32 bits.
HBITMAP MakeDdb(const Picture& picture, bool monochrome) {
    const int bits = monochrome ? 1 : 32;
    const int64_t stride = vyrwin::gdi::DdbStride(picture.width, bits);
    std::vector<uint8_t> rows(size_t(stride) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = rows.data() + stride * y;
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.colors[size_t(y) * picture.width + x];
            if (monochrome) {
                if (Bright(c)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                uint8_t* p = row + x * 4;
                p[0] = static_cast<uint8_t>(c);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c >> 16);
            }
        }
    }
    return CreateBitmap(picture.width, picture.height, 1, bits, rows.data());
}

HBITMAP MakeBitmap(const Picture& picture, UINT flags) {
    const bool monochrome = (flags & LR_MONOCHROME) != 0;
    if (!(flags & LR_CREATEDIBSECTION)) return MakeDdb(picture, monochrome || picture.BlackAndWhite());
    if (monochrome) return MakeDibSection(picture, 1, {kBlack, kWhite}, false);
    switch (picture.sourceBits) {
        case 1:
        case 4:
        case 8: {
            std::vector<uint32_t> table = picture.table;
            if (picture.sourceBits == 1) {
                table.resize(2, kBlack);
                return MakeDibSection(picture, 1, table, true);
            }
            table.resize(256, kBlack);  // indices past the file's table read black, as they did
            return MakeDibSection(picture, 8, table, true);
        }
        case 32:
            return MakeDibSection(picture, 32, {}, false);
        default:  // 16 and 24
            return MakeDibSection(picture, 24, {}, false);
    }
}

}  // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (type != RT_BITMAP) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const vyrwin::BitmapResource* found = FindBitmap(module, name);
    return found ? reinterpret_cast<HRSRC>(const_cast<vyrwin::BitmapResource*>(found)) : nullptr;
}

HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name) {
    const vyrwin::BitmapResource* found = FindBitmap(module, name);
    if (!found) return nullptr;
    return CreateBitmap(found->width, found->height, 1, static_cast<UINT>(found->bitsPerPixel), found->bits.data());
}

HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    if (type != IMAGE_BITMAP) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Picture picture;
    if (flags & LR_LOADFROMFILE) {
        if (!ReadBmpFile(name, picture)) return nullptr;
    } else {
        const vyrwin::BitmapResource* found = FindBitmap(module, name);
        if (!found) return nullptr;
        picture = FromResource(*found);
    }
    const int width = cx ? cx : picture.width;
    const int height = cy ? cy : picture.height;
    if (int64_t(width) * height > vyrwin::gdi::kMaxBitmapBytes / 4) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return MakeBitmap(Stretched(picture, width, height), flags);
}
