// Fuzz target: LoadImageW reading a .bmp file that may hold anything (any header sizes, depths,
// masks, colour tables, offsets and heights, cut anywhere).
//
// Each input becomes a file that is loaded as a device-dependent bitmap, as a DIB section, as a
// monochrome bitmap and stretched to a small size. A load either fails with ERROR_BAD_FORMAT or
// answers a bitmap of the size it asked for whose every pixel can be read back; the four loads of
// one file agree on whether it is a bitmap, and the device-dependent and DIB forms on its pixels.
#include "windows.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <vector>

namespace {

// The bitmap's pixels as 0x00RRGGBB rows from the top, after checking its description.
std::vector<uint32_t> Check(HANDLE handle, int width, int height) {
    HBITMAP bitmap = static_cast<HBITMAP>(handle);
    BITMAP description{};
    if (GetObjectW(bitmap, sizeof description, &description) != int(sizeof description))
        vyrfuzz::Fail("a loaded bitmap has no description");
    if ((width && description.bmWidth != width) || (height && description.bmHeight != height) ||
        description.bmWidth < 1 || description.bmHeight < 1)
        vyrfuzz::Fail("a loaded bitmap has another size than asked for");
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = -description.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(description.bmWidth) * size_t(description.bmHeight));
    if (GetDIBits(nullptr, bitmap, 0, UINT(description.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) !=
        description.bmHeight)
        vyrfuzz::Fail("the pixels of a loaded bitmap cannot be read");
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/picture.bmp";
    static const std::wstring widePath(path.begin(), path.end());
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    HANDLE plain = LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    const bool loaded = plain != nullptr;
    if (!loaded && GetLastError() != ERROR_BAD_FORMAT) vyrfuzz::Fail("a file that exists fails with another error");
    HANDLE dib = LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    HANDLE mono = LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_MONOCHROME);
    HANDLE small = LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, 7, 3, LR_LOADFROMFILE);
    if ((dib != nullptr) != loaded || (mono != nullptr) != loaded || (small != nullptr) != loaded)
        vyrfuzz::Fail("loads of one file disagree on whether it is a bitmap");
    if (!loaded) return 0;
    const std::vector<uint32_t> colours = Check(plain, 0, 0);
    if (Check(dib, 0, 0) != colours) vyrfuzz::Fail("the DIB section holds other colours than the bitmap");
    for (uint32_t p : Check(mono, 0, 0))
        if (p != 0 && p != 0xFFFFFF) vyrfuzz::Fail("a monochrome load holds a colour");
    Check(small, 7, 3);
    return 0;
}
