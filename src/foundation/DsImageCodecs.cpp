// The image file formats of the display core.
#include "DsImageCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace dscodec {
namespace {

// --- JPEG ----------------------------------------------------------------------------------------

// The memory a decompression may take beside the picture's own block.
const long kJpegMemory = 128L * 1024 * 1024;
// Progressive pictures of more scans are refused (they take long for nothing).
const int kJpegScanLimit = 500;

struct SJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<SJpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Messages are not printed; warnings (data cut short or damaged) are counted.
void JpegQuiet(j_common_ptr info, int level)
{
    if (level < 0) ++info->err->num_warnings;
}

void JpegScanLimit(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->is_decompressor && decompress->input_scan_number > kJpegScanLimit) {
        auto* error = reinterpret_cast<SJpegError*>(info->err);
        std::snprintf(error->message, sizeof error->message, "more than %d scans", kJpegScanLimit);
        std::longjmp(error->jump, 1);
    }
}

// A decompression over `data` with the error handling above; the caller sets the jump first.
struct SJpegReader {
    jpeg_decompress_struct info{};
    SJpegError error{};
    jpeg_progress_mgr progress{};
    bool created = false;

    ~SJpegReader()
    {
        if (created) jpeg_destroy_decompress(&info);
    }
    void Create(const uint8_t* data, size_t size)
    {
        info.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = JpegErrorExit;
        error.manager.emit_message = JpegQuiet;
        jpeg_create_decompress(&info);
        created = true;
        info.mem->max_memory_to_use = kJpegMemory;
        progress.progress_monitor = JpegScanLimit;
        info.progress = &progress;
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    }
};

bool EncodeJpeg(const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& message)
{
    jpeg_compress_struct info{};
    SJpegError error{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.emit_message = JpegQuiet;
    if (setjmp(error.jump)) {
        message = std::string("JPEG: ") + error.message;
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(picture.width);
    info.image_height = JDIMENSION(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = size_t(picture.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.rgb.data() + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    out.assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}

// --- PNG -----------------------------------------------------------------------------------------

struct SPngState {
    std::vector<uint8_t>* out;
    char message[256];
};

void PngError(png_structp png, png_const_charp text)
{
    auto* state = static_cast<SPngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", text);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* state = static_cast<SPngState*>(png_get_io_ptr(png));
    state->out->insert(state->out->end(), data, data + length);
}

void PngFlush(png_structp) {}

bool EncodePng(const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& message)
{
    SPngState state{&out, {}};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    if (!png) {
        message = "PNG: cannot start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        message = std::string("PNG: ") + state.message;
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &state, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    const size_t stride = size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, const_cast<png_bytep>(picture.rgb.data() + stride * size_t(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// --- BMP -----------------------------------------------------------------------------------------

void StbWrite(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

bool EncodeBmp(const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& message)
{
    if (!stbi_write_bmp_to_func(StbWrite, &out, picture.width, picture.height, 3, picture.rgb.data())) {
        message = "BMP: cannot write";
        return false;
    }
    return true;
}

// --- TIFF ----------------------------------------------------------------------------------------

// A TIFF file in memory.
struct STiffMemory {
    std::vector<uint8_t>* out;
    toff_t position = 0;
};

tsize_t TiffRead(thandle_t, tdata_t, tsize_t)
{
    return 0;
}

tsize_t TiffWrite(thandle_t handle, tdata_t data, tsize_t size)
{
    auto* memory = static_cast<STiffMemory*>(handle);
    std::vector<uint8_t>& out = *memory->out;
    if (memory->position + size_t(size) > out.size()) out.resize(memory->position + size_t(size));
    std::memcpy(out.data() + memory->position, data, size_t(size));
    memory->position += toff_t(size);
    return size;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* memory = static_cast<STiffMemory*>(handle);
    toff_t base = whence == SEEK_CUR ? memory->position : whence == SEEK_END ? memory->out->size() : 0;
    memory->position = base + offset;
    if (memory->position > memory->out->size()) memory->out->resize(memory->position);
    return memory->position;
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffSize(thandle_t handle)
{
    return static_cast<STiffMemory*>(handle)->out->size();
}

int TiffMap(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void TiffUnmap(thandle_t, tdata_t, toff_t) {}

// libtiff's messages go nowhere: a failure is answered by the call that failed.
void TiffQuiet(const char*, const char*, va_list) {}

bool EncodeTiff(const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& message)
{
    static const bool quiet = [] {
        TIFFSetErrorHandler(TiffQuiet);
        TIFFSetWarningHandler(TiffQuiet);
        return true;
    }();
    (void)quiet;
    STiffMemory memory{&out};
    TIFF* tiff = TIFFClientOpen("picture", "w", &memory, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                                TiffUnmap);
    if (!tiff) {
        message = "TIFF: cannot start";
        return false;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(picture.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(picture.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    const size_t stride = size_t(picture.width) * 3;
    bool written = true;
    for (int y = 0; y < picture.height && written; ++y)
        written = TIFFWriteScanline(tiff, const_cast<uint8_t*>(picture.rgb.data() + stride * size_t(y)), uint32_t(y), 0) == 1;
    TIFFClose(tiff);
    if (!written) message = "TIFF: cannot write a row";
    return written;
}

}  // namespace

bool Encode(EFormat format, const SRgbPicture& picture, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    if (picture.width < 1 || picture.height < 1 ||
        picture.rgb.size() < size_t(picture.width) * size_t(picture.height) * 3) {
        error = "empty picture";
        return false;
    }
    switch (format) {
        case eJpeg: return EncodeJpeg(picture, out, error);
        case ePng: return EncodePng(picture, out, error);
        case eBmp: return EncodeBmp(picture, out, error);
        case eTiff: return EncodeTiff(picture, out, error);
    }
    error = "unknown format";
    return false;
}

bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height, std::string& error)
{
    if (!data || size == 0) {
        error = "JPEG: no data";
        return false;
    }
    SJpegReader reader;
    if (setjmp(reader.error.jump)) {
        error = std::string("JPEG: ") + reader.error.message;
        return false;
    }
    reader.Create(data, size);
    jpeg_read_header(&reader.info, TRUE);
    width = int(reader.info.image_width);
    height = int(reader.info.image_height);
    return true;
}

bool DecodeJpeg(const uint8_t* data, size_t size, int maxSide, int64_t maxPixels, IDecodeTarget& target,
                std::string& error)
{
    if (!data || size == 0) {
        error = "JPEG: no data";
        return false;
    }
    SJpegReader reader;
    if (setjmp(reader.error.jump)) {
        error = std::string("JPEG: ") + reader.error.message;
        return false;
    }
    reader.Create(data, size);
    jpeg_read_header(&reader.info, TRUE);
    const int width = int(reader.info.image_width), height = int(reader.info.image_height);
    if (width < 1 || height < 1 || width > maxSide || height > maxSide || int64_t(width) * height > maxPixels) {
        error = "JPEG: picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels refused";
        return false;
    }
    reader.info.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&reader.info);
    size_t rowWords = 0;
    uint32_t* block = target.Begin(width, height, rowWords);
    if (!block) {
        error = "JPEG: no room for the picture";
        return false;
    }
    while (reader.info.output_scanline < reader.info.output_height) {
        const size_t row = size_t(height) - 1 - reader.info.output_scanline;
        JSAMPROW line = reinterpret_cast<JSAMPROW>(block + row * rowWords);
        jpeg_read_scanlines(&reader.info, &line, 1);
    }
    // A picture whose data ran out is broken, though libjpeg fills the rest with grey.
    if (reader.error.manager.num_warnings > 0) {
        error = "JPEG: the data is cut short or damaged";
        return false;
    }
    jpeg_finish_decompress(&reader.info);
    return true;
}

}  // namespace dscodec
