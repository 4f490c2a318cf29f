// CDsImageFormatsConvertor: the bridge between the display and image files. It renders a view into
// a bitmap at a chosen scale (printing, export, thumbnails), saves such a rendering in one of four
// file formats, saves a CDsImage as JPEG, and loads JPEG files into CDsImage pictures.
//
// Formats (EDsImageFormat): 0 JPEG (libjpeg-turbo, quality 90), 1 PNG (libpng), 2 BMP (24-bit,
// stb's image writer), 3 TIFF (libtiff, RGB with LZW). Loads read JPEG only.
//
// While a view is rendered for a picture, display-manager flag 8 and the view's flag 8 are set and
// the view's context renders into a bitmap (gl_context::SetRenderToBitmap); the view is given a
// memory device context (SetDC) whose bitmap the frame is presented into, then everything is put
// back and the view is refreshed on its window again.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Display-manager flag 8 is cleared on every way out of a rendering, failed ones included.
// - A rendering larger than kMaxSide on a side or than kMaxPixels pixels is refused before any
//   bitmap is made (it fails as a rendering the system cannot make: message 865 above scale 1).
//   Loads hold pictures to the same limits (CDsImage's, on the picture's own size rather than its
//   padded block), so every picture saved here loads back: a 150 x 100 view saved at scale 30
//   (4500 x 3000) as well as any JPEG of 4097 x 2049.
// - Loading needs no view or device context: a JPEG file is decoded straight into the picture's
//   block (so loading works with no current view). Files that are not whole JPEG pictures
//   (truncated, corrupt, another format), pictures beyond CDsImage's limits, and unreadable files
//   answer false, leave the target image as it was and write one line to the warnings file.
// - Saving to a named file writes the whole picture or nothing: a new file beside the file it
//   replaces, renamed over it, so a failed save leaves an existing file as it was and no
//   temporary file behind. The file replaced is the one the name leads to: through a symbolic
//   link the picture lands in the file the link leads to and the link stays a link; a link that
//   leads nowhere yet makes that file (as any program writing through the link would), when its
//   folder exists. What is not a regular file (a folder, a FIFO, a device, a socket, or a link to
//   one) is never replaced nor opened: the save answers false and changes nothing. A replaced
//   file keeps its permission bits; a new one gets those of any new file (0666 less the umask).
//   Every refused or failed save answers false with one warning line.
// - SaveImageToJPG encodes the picture's own pixels (no device context needed).
// - The crop rectangle is in the view's window pixels, y down from the top (as the framework's
//   rectangles are).
// - The instance is made on first use and never freed; it is not tied to the view current then.
#pragma once

#include <afx.h>

#include <cstdint>
#include <memory>
#include <vector>

class CBitmap;
class CDC;
class CDataFileStream;
class CDsImage;
class CFile;
class CRect;
class CVyrString;
class view3d;

namespace dscodec {
struct SRgbPicture;
}

// The image file formats.
enum EDsImageFormat : int {
    eDsImageFormatJpeg = 0,  // JPEG
    eDsImageFormatPng = 1,   // PNG
    eDsImageFormatBmp = 2,   // BMP, 24 bits
    eDsImageFormatTiff = 3   // TIFF, RGB
};

// For a scope: a view's drawing-driver device context, else the application main window's; both
// given back when the scope ends.
class AFX_EXT_CLASS CDsViewDcGuard {
public:
    // Takes the device context of `view` (a core view), else of the main window; none when
    // neither has one.
    explicit CDsViewDcGuard(view3d* view);
    // Gives back what it took.
    ~CDsViewDcGuard();
    CDsViewDcGuard(const CDsViewDcGuard&) = delete;
    CDsViewDcGuard& operator=(const CDsViewDcGuard&) = delete;
    // The device context taken, null when none.
    CDC* GetDC() const { return m_dc; }

private:
    CDC* m_dc = nullptr;
    view3d* m_view = nullptr;
    class CWnd* m_window = nullptr;
};

// For a scope: the GUI resource module "VyrGuiRc" (when loaded) as the framework's current
// resource module; the previous one current again when the scope ends.
class AFX_EXT_CLASS CDsGuiResourceGuard {
public:
    // Makes "VyrGuiRc" current when it is loaded.
    CDsGuiResourceGuard();
    // Puts the previous resource module back.
    ~CDsGuiResourceGuard();
    CDsGuiResourceGuard(const CDsGuiResourceGuard&) = delete;
    CDsGuiResourceGuard& operator=(const CDsGuiResourceGuard&) = delete;

private:
    HINSTANCE m_previous = nullptr;
    bool m_switched = false;
};

// The image-formats convertor (a singleton).
class AFX_EXT_CLASS CDsImageFormatsConvertor {
public:
    // The longest side of a rendering, in pixels.
    static constexpr int kMaxSide = 16384;
    // The most pixels of a rendering (4096 x 4096).
    static constexpr int64_t kMaxPixels = int64_t(4096) * 4096;
    // The string resource shown when a rendering above scale 1 fails.
    static const unsigned int kFailureMessage = 865;

    // The convertor, made on first use and never freed.
    static CDsImageFormatsConvertor* Instance();
    // True while a view is being rendered for a picture.
    static bool StIsRenderingImage();

    // Renders `view` at `scale` (1 for 0 or not a number) into `bitmap` (a bitmap compatible with
    // the view's device context, the viewport's size x scale); display-manager flag 8 is
    // `imageFlag` during it and clear afterwards. With `fromBuffer` at scale 1 the view's complete
    // off-screen picture is copied instead when it has one. False when the view cannot be
    // rendered; above scale 1 the failure also shows message 865 once. `crop` is not used.
    bool CreateImage(view3d* view, CBitmap& bitmap, double scale, bool imageFlag, CRect* crop, bool fromBuffer);
    // Renders as CreateImage, crops to `crop` (window pixels, limited to the viewport) and saves in
    // `format` to the file. False when nothing was written: a format outside 0..3 (nothing
    // rendered), a crop that leaves nothing of the viewport or of the picture (nothing rendered
    // when it misses the viewport; one warning line), a failed rendering (a view of no size among
    // them: a window of no width or height) or a file that cannot be written (a folder, a FIFO or
    // a device at the path or where its link leads, left as it was). The picture replaces a
    // regular file whole, keeping its permission bits, or makes a new one; through a symbolic link
    // it lands in the file the link leads to (made when missing) and the link stays.
    bool SaveImage(view3d* view, EDsImageFormat format, const CVyrString& file, double scale, bool imageFlag,
                   CRect* crop, bool fromBuffer);
    // The same into an open framework file (written at its position).
    bool SaveImage(view3d* view, EDsImageFormat format, CFile* file, double scale, bool imageFlag, CRect* crop,
                   bool fromBuffer);
    // Saves the picture of `image` as JPEG to the file, written as SaveImage writes a named file;
    // false for an empty image or a refused or failed write.
    bool SaveImageToJPG(CDsImage* image, CVyrString& file);
    // Loads the JPEG file into `image` (its pixels replaced, texture deleted, transparency kept).
    // False, the image unchanged, as the header comment says.
    bool LoadImageW(const CVyrString& file, CDsImage& image);
    // The same from the stream's file, read from its start; the file is rewound to its start after a
    // successful load.
    bool LoadImageW(CDataFileStream* stream, CDsImage& image);
    // The size of the JPEG picture of the stream's file (its header only; the file rewound); false
    // when it is not one.
    bool GetImageDimensions(CDataFileStream* stream, int& width, int& height);

private:
    CDsImageFormatsConvertor() = default;
    virtual ~CDsImageFormatsConvertor();
    CDsImageFormatsConvertor(const CDsImageFormatsConvertor&) = delete;
    CDsImageFormatsConvertor& operator=(const CDsImageFormatsConvertor&) = delete;

    // Renders the view into a bitmap (see CreateImage) and, when asked, the picture's RGB rows.
    bool FormatImage(view3d* view, EDsImageFormat format, double scale, bool imageFlag, bool fromBuffer);
    // Renders the view into `bitmap`.
    bool DrawImageToMemory(view3d* view, CBitmap& bitmap, double scale, bool fromBuffer);
    // Whether the crop rectangle (none: yes) meets the view's viewport.
    static bool CropMeetsViewport(const CRect* rect, view3d* view);
    // Crops the picture in use to the rectangle (see SaveImage); true without one, false when
    // nothing of it is left in the picture.
    bool CropRect(double scale, const CRect* rect, view3d* view);
    // Writes the picture in use to the file (beside the file replaced, then renamed over it).
    bool SaveImageToFile(const CVyrString& file);
    // Writes the picture in use into the open file.
    bool SaveImageToFile(CFile* file);
    // Makes the picture in use for a format 0..3; false for any other format.
    bool AllocSecImage(EDsImageFormat format);
    // Frees the picture in use.
    void FreeSecImage();
    // Decodes JPEG bytes into the image; false (unchanged) with one warning line.
    bool SetImageData(const std::vector<uint8_t>& bytes, CDsImage& image, const char* source);
    // The format of a file to load: always JPEG.
    EDsImageFormat ExtractImageType(const CVyrString& file) const;
    // Writes `what` to the warnings file.
    void DisplayErrorMessage(const std::string& what) const;
    // Message 865 from the GUI resource module.
    void ShowFailureMessage() const;

    struct SSecImage;
    std::unique_ptr<SSecImage> m_image;
};
