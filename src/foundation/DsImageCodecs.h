// The image file formats of the display core (internal): pictures encoded into memory as JPEG
// (libjpeg-turbo), PNG (libpng), BMP (stb's image writer) or TIFF (libtiff), and JPEG decoded
// straight into a caller's pixel block. Each library's error handling is replaced by one that
// reports the failure (a false answer and a message) and never ends the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dscodec {

// A picture to encode: `width` x `height` pixels, RGB bytes, rows from the top.
struct SRgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Where a decoded picture goes: Begin is told its size and answers a block of 32-bit pixels
// (red in the lowest byte) and the words from one row to the next, or null to refuse it; rows are
// written from the picture's bottom row up, alpha 255.
class IDecodeTarget {
public:
    virtual ~IDecodeTarget() = default;
    virtual uint32_t* Begin(int width, int height, size_t& rowWords) = 0;
};

// The formats, as EDsImageFormat numbers them.
enum EFormat { eJpeg = 0, ePng = 1, eBmp = 2, eTiff = 3 };

// Encodes `picture` in `format` (JPEG at quality 90); false with a message in `error`.
bool Encode(EFormat format, const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& error);

// The size of the JPEG picture in `data` (its header only); false with a message for data that is
// not JPEG.
bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height, std::string& error);
// Decodes the JPEG picture in `data` into the target. Pictures wider or higher than `maxSide`
// or of more than `maxPixels` pixels are refused before anything is allocated, as are
// progressive pictures of more than 500 scans. False with a message for anything that is not a
// whole JPEG picture (a picture cut short after its header counts as broken).
bool DecodeJpeg(const uint8_t* data, size_t size, int maxSide, int64_t maxPixels, IDecodeTarget& target,
                std::string& error);

}  // namespace dscodec
