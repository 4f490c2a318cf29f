// Fuzz target: loading a picture file that may hold anything (JPEG pictures of any size, sampling,
// precision, coding and markers, cut anywhere, or no picture at all) into a CDsImage.
//
// Each input becomes a file that is loaded into an image holding a picture already. A load either
// answers true with a picture of at least one pixel within the image's limits, the size the
// file's header gives, every pixel of the block readable and opaque; or answers false, leaves the
// image's picture exactly as it was and writes one warning line. Pictures past the limits are
// refused before their pixels are allocated (the run's allocation limit catches any that is not).
#include "DataFileStream.h"
#include "DsImage.h"
#include "DsImageFormatsConvertor.h"
#include "VyrString.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& warnings = vyrfuzz::WarningsFile();
    (void)warnings;
    static const std::string path = vyrfuzz::ScratchFolder() + "/picture.jpg";
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    CDsImage image(3, 2, new uint32_t[6]{1, 2, 3, 4, 5, 6}, false);
    const CVyrString file(path.c_str());
    CDsImageFormatsConvertor* convertor = CDsImageFormatsConvertor::Instance();
    const bool loaded = convertor->LoadImageW(file, image);
    const int warned = vyrfuzz::TakeWarnings();
    int width = 0, height = 0;
    image.GetOriginalDimensions(width, height);
    if (!loaded) {
        if (warned != 1) vyrfuzz::Fail("a refused file did not write exactly one warning line");
        if (width != 3 || height != 2 || image.GetWidth() != 4 || image.GetHeight() != 2)
            vyrfuzz::Fail("a refused file changed the image's size");
        uint32_t p = 0;  // rows of 4 words, the bottom one first: 1 2 3 padding, 4 5 6 padding
        for (int i = 0; i < 3; ++i)
            if (!image.GetPixel(i, 0, p) || p != uint32_t(i + 1) || !image.GetPixel(i, 1, p) || p != uint32_t(i + 4))
                vyrfuzz::Fail("a refused file changed the image's pixels");
        return 0;
    }
    if (warned != 0) vyrfuzz::Fail("a loaded file wrote a warning");
    // The limit is on the picture; its padded block holds at most twice as many words.
    if (width < 1 || height < 1 || width > CDsImage::kMaxSide || height > CDsImage::kMaxSide ||
        int64_t(width) * height > CDsImage::kMaxPixels ||
        int64_t(image.GetWidth()) * image.GetHeight() > 2 * CDsImage::kMaxPixels)
        vyrfuzz::Fail("a loaded picture is outside the image's limits");
    static const std::wstring widePath(path.begin(), path.end());
    CDataFileStream stream(widePath.c_str());
    int headerWidth = 0, headerHeight = 0;
    if (!convertor->GetImageDimensions(&stream, headerWidth, headerHeight) || headerWidth != width ||
        headerHeight != height)
        vyrfuzz::Fail("a loaded picture's size is not its header's");
    uint32_t p = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!image.GetPixel(x, y, p) || (p >> 24) != 0xFF) vyrfuzz::Fail("a loaded pixel is not readable and opaque");
    return 0;
}
