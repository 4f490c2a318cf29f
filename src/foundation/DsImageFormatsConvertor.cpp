// CDsImageFormatsConvertor: views rendered into bitmaps, pictures to and from image files.
#include "DsImageFormatsConvertor.h"

#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsImage.h"
#include "DsImageCodecs.h"
#include "DsManager.h"
#include "DsPBuffer.h"
#include "DsView3dCdc.h"
#include "DataFileStream.h"
#include "VyrString.h"
#include "vyrwin_storefile.h"

#include <afxwin.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

// A rendering the convertor saves is a picture CDsImage loads again.
static_assert(CDsImageFormatsConvertor::kMaxSide == CDsImage::kMaxSide &&
                  CDsImageFormatsConvertor::kMaxPixels == CDsImage::kMaxPixels,
              "saved and loaded pictures share one limit");

namespace {

bool gRenderingImage = false;

// The scale to render at: 1 for 0 or not a number.
double EffectiveScale(double scale)
{
    return (std::isnan(scale) || scale == 0.0) ? 1.0 : scale;
}

// The pixels of a bitmap as RGB rows from the top; false when they cannot be read.
bool ReadBitmap(CBitmap& bitmap, dscodec::SRgbPicture& picture)
{
    BITMAP description{};
    if (!bitmap.GetSafeHandle() || bitmap.GetBitmap(&description) != int(sizeof(BITMAP))) return false;
    if (description.bmWidth < 1 || description.bmHeight < 1) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = -description.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bgrx(size_t(description.bmWidth) * size_t(description.bmHeight));
    if (GetDIBits(nullptr, static_cast<HBITMAP>(bitmap.GetSafeHandle()), 0, UINT(description.bmHeight), bgrx.data(),
                  &info, DIB_RGB_COLORS) != description.bmHeight)
        return false;
    picture.width = description.bmWidth;
    picture.height = description.bmHeight;
    picture.rgb.resize(bgrx.size() * 3);
    uint8_t* out = picture.rgb.data();
    for (uint32_t p : bgrx) {
        *out++ = uint8_t(p >> 16);
        *out++ = uint8_t(p >> 8);
        *out++ = uint8_t(p);
    }
    return true;
}

// The whole of a framework file from its start; false when it cannot be read.
bool ReadAll(CFile& file, std::vector<uint8_t>& bytes)
{
    try {
        const ULONGLONG length = file.GetLength();
        if (length > ULONGLONG(256) * 1024 * 1024) return false;  // no JPEG file of ours is so large
        bytes.resize(size_t(length));
        file.SeekToBegin();
        size_t done = 0;
        while (done < bytes.size()) {
            const UINT got = file.Read(bytes.data() + done, UINT(bytes.size() - done));
            if (got == 0) break;
            done += got;
        }
        bytes.resize(done);
        return true;
    } catch (CException* error) {
        error->Delete();
    } catch (...) {
    }
    return false;
}

// Decodes into a CDsImage only when the whole picture is good: the block is made aside and
// handed over at the end.
class CImageTarget : public dscodec::IDecodeTarget {
public:
    explicit CImageTarget(bool transparent) : m_image(new CDsImage()) { m_image->SetTransparency(transparent); }
    uint32_t* Begin(int width, int height, size_t& rowWords) override
    {
        uint32_t* block = m_image->AlocatePixels(width, height);
        rowWords = size_t(m_image->GetWidth());
        return block;
    }
    std::unique_ptr<CDsImage> m_image;
};

}  // namespace

// The picture in use between the rendering and the save.
struct CDsImageFormatsConvertor::SSecImage {
    EDsImageFormat format = eDsImageFormatJpeg;
    CBitmap bitmap;
    dscodec::SRgbPicture picture;
};

// --- Guards ------------------------------------------------------------------------------------------

CDsViewDcGuard::CDsViewDcGuard(view3d* view)
{
    if (auto* core = dynamic_cast<CDsView3dCdcBase*>(view)) {
        if ((m_dc = core->GetCdc())) {
            m_view = view;
            return;
        }
    }
    if (CWnd* main = AfxGetMainWnd()) {
        if ((m_dc = main->GetDC())) m_window = main;
    }
}

CDsViewDcGuard::~CDsViewDcGuard()
{
    if (m_view) static_cast<CDsView3dCdcBase*>(m_view)->ReleaseCdc(m_dc);
    if (m_window) m_window->ReleaseDC(m_dc);
}

CDsGuiResourceGuard::CDsGuiResourceGuard()
{
    HMODULE module = GetModuleHandleW(L"VyrGuiRc");
    if (!module) return;
    m_previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    m_switched = true;
}

CDsGuiResourceGuard::~CDsGuiResourceGuard()
{
    if (m_switched) AfxSetResourceHandle(m_previous);
}

// --- The convertor ---------------------------------------------------------------------------------

CDsImageFormatsConvertor* CDsImageFormatsConvertor::Instance()
{
    static CDsImageFormatsConvertor* instance = new CDsImageFormatsConvertor();
    return instance;
}

CDsImageFormatsConvertor::~CDsImageFormatsConvertor() = default;

bool CDsImageFormatsConvertor::StIsRenderingImage()
{
    return gRenderingImage;
}

void CDsImageFormatsConvertor::DisplayErrorMessage(const std::string& what) const
{
    CDsGeometryComputer::WriteWarning(("Display warning: " + what).c_str());
}

void CDsImageFormatsConvertor::ShowFailureMessage() const
{
    CDsGuiResourceGuard resources;
    AfxMessageBox(kFailureMessage, MB_OK);
}

bool CDsImageFormatsConvertor::DrawImageToMemory(view3d* view, CBitmap& bitmap, double scale, bool fromBuffer)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (!core) return false;
    CDsManager* manager = CDsManager::GetInstance();
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);

    // The view's complete off-screen picture, when it is what is asked for.
    if (core == CDsView3dCdc::sCurrentView && fromBuffer && std::fabs(scale - 1.0) < 1e-4 && !manager->GetFlag(8) &&
        core->IsPBufferValid(true)) {
        CDsPBuffer* buffer = core->GetPBuffer();
        CDC memory;
        if (buffer && CDsDriverGl::Buffer2Bitmap(buffer->GetDC(), 0, 0, w, h, GL_BACK, &memory, bitmap)) return true;
    }

    CDsGlContext* context = core->GetGlContext();
    if (!context) return false;
    const double s = EffectiveScale(scale);
    const double width = std::trunc(double(w) * s), height = std::trunc(double(h) * s);
    if (!(width >= 1.0 && height >= 1.0 && width <= kMaxSide && height <= kMaxSide && width * height <= double(kMaxPixels))) {
        DisplayErrorMessage("a picture of " + std::to_string(int64_t(width)) + " x " + std::to_string(int64_t(height)) +
                            " pixels cannot be made");
        return false;
    }
    CDsViewDcGuard reference(view);
    if (!reference.GetDC()) return false;

    CDC memory;
    CBitmap picture;
    bool drawn = false;
    if (memory.CreateCompatibleDC(reference.GetDC()) &&
        picture.CreateCompatibleBitmap(reference.GetDC(), int(width), int(height))) {
        CBitmap* old = memory.SelectObject(&picture);
        if (old) {
            view->set_viewport(0, 0, int(width), int(height));
            core->SetFlag(eDsViewFlagRenderBitmap, true);
            context->SetRenderToBitmap(1);
            gRenderingImage = true;
            gl_context_data* record = context->Get_gl_context_data(view);
            if (record && record->get_GLRC()) {
                core->SetDC(&memory);
                view->refresh();
                core->ClearDC();
                drawn = true;
            } else {
                DisplayErrorMessage("no OpenGL context can draw a picture of this size");
            }
            gRenderingImage = false;
            context->SetRenderToBitmap(0);
            core->SetFlag(eDsViewFlagRenderBitmap, false);
            view->set_viewport(x, y, w, h);
            memory.SelectObject(old);
        }
    }
    CDsGlContext::sCurrentView = nullptr;
    context->MakeCurrent(view);
    view->refresh();
    if (!drawn) return false;
    bitmap.DeleteObject();
    return bitmap.Attach(picture.Detach()) != FALSE;
}

bool CDsImageFormatsConvertor::CreateImage(view3d* view, CBitmap& bitmap, double scale, bool imageFlag, CRect*,
                                           bool fromBuffer)
{
    CDsManager* manager = CDsManager::GetInstance();
    manager->SetFlag(8, imageFlag);
    const bool drawn = DrawImageToMemory(view, bitmap, scale, fromBuffer);
    manager->SetFlag(8, false);
    if (!drawn && EffectiveScale(scale) > 1.0) ShowFailureMessage();
    return drawn;
}

bool CDsImageFormatsConvertor::AllocSecImage(EDsImageFormat format)
{
    FreeSecImage();
    if (format < eDsImageFormatJpeg || format > eDsImageFormatTiff) return false;
    m_image = std::make_unique<SSecImage>();
    m_image->format = format;
    return true;
}

void CDsImageFormatsConvertor::FreeSecImage()
{
    m_image.reset();
}

bool CDsImageFormatsConvertor::FormatImage(view3d* view, EDsImageFormat format, double scale, bool imageFlag,
                                           bool fromBuffer)
{
    if (!AllocSecImage(format)) return false;
    if (!CreateImage(view, m_image->bitmap, scale, imageFlag, nullptr, fromBuffer)) return false;
    if (!ReadBitmap(m_image->bitmap, m_image->picture)) {
        DisplayErrorMessage("the rendered picture cannot be read");
        return false;
    }
    return true;
}

bool CDsImageFormatsConvertor::CropMeetsViewport(const CRect* rect, view3d* view)
{
    if (!rect) return true;
    if (!view) return false;
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    return std::max(int(rect->left), x) < std::min(int(rect->right), x + w) &&
           std::max(int(rect->top), y) < std::min(int(rect->bottom), y + h);
}

bool CDsImageFormatsConvertor::CropRect(double scale, const CRect* rect, view3d* view)
{
    if (!rect) return true;
    if (!m_image || !view) return false;
    const double s = EffectiveScale(scale);
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    const int left = std::max(int(rect->left), x), top = std::max(int(rect->top), y);
    const int right = std::min(int(rect->right), x + w), bottom = std::min(int(rect->bottom), y + h);
    const int cropX = int((left - x) * s), cropY = int((top - y) * s);
    const int cropW = int((right - left) * s), cropH = int((bottom - top) * s);
    dscodec::SRgbPicture& picture = m_image->picture;
    if (cropW <= 0 || cropH <= 0 || cropX >= picture.width || cropY >= picture.height) return false;
    const int width = std::min(cropW, picture.width - cropX), height = std::min(cropH, picture.height - cropY);
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * 3);
    for (int r = 0; r < height; ++r)
        std::memcpy(rows.data() + size_t(r) * size_t(width) * 3,
                    picture.rgb.data() + (size_t(cropY + r) * size_t(picture.width) + size_t(cropX)) * 3,
                    size_t(width) * 3);
    picture.width = width;
    picture.height = height;
    picture.rgb.swap(rows);
    return true;
}

bool CDsImageFormatsConvertor::SaveImageToFile(const CVyrString& file)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!dscodec::Encode(dscodec::EFormat(m_image->format), m_image->picture, bytes, error)) {
        DisplayErrorMessage(error);
        return false;
    }
    const std::string target = file.GetMultiByte();
    if (target.empty()) return false;
    vyrwin::FileIdentity written;
    int reason = 0;
    if (!vyrwin::WriteFileAtomically(target, bytes.data(), bytes.size(), vyrwin::kNewFileModeFromUmask, written,
                                     reason)) {
        DisplayErrorMessage("the picture cannot be written to " + target + ": " + std::strerror(reason));
        return false;
    }
    return true;
}

bool CDsImageFormatsConvertor::SaveImageToFile(CFile* file)
{
    if (!file) return false;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!dscodec::Encode(dscodec::EFormat(m_image->format), m_image->picture, bytes, error)) {
        DisplayErrorMessage(error);
        return false;
    }
    try {
        file->Write(bytes.data(), UINT(bytes.size()));
        return true;
    } catch (CException* exception) {
        exception->Delete();
    } catch (...) {
    }
    DisplayErrorMessage("the picture cannot be written to its file");
    return false;
}

bool CDsImageFormatsConvertor::SaveImage(view3d* view, EDsImageFormat format, const CVyrString& file, double scale,
                                         bool imageFlag, CRect* crop, bool fromBuffer)
{
    if (!CropMeetsViewport(crop, view)) {
        DisplayErrorMessage("the crop rectangle of a picture lies outside its view");
        return false;
    }
    bool saved = false;
    if (FormatImage(view, format, scale, imageFlag, fromBuffer)) {
        if (CropRect(scale, crop, view))
            saved = SaveImageToFile(file);
        else
            DisplayErrorMessage("nothing of the crop rectangle is left in the picture");
    }
    FreeSecImage();
    return saved;
}

bool CDsImageFormatsConvertor::SaveImage(view3d* view, EDsImageFormat format, CFile* file, double scale,
                                         bool imageFlag, CRect* crop, bool fromBuffer)
{
    if (!CropMeetsViewport(crop, view)) {
        DisplayErrorMessage("the crop rectangle of a picture lies outside its view");
        return false;
    }
    bool saved = false;
    if (FormatImage(view, format, scale, imageFlag, fromBuffer)) {
        if (CropRect(scale, crop, view))
            saved = SaveImageToFile(file);
        else
            DisplayErrorMessage("nothing of the crop rectangle is left in the picture");
    }
    FreeSecImage();
    return saved;
}

bool CDsImageFormatsConvertor::SaveImageToJPG(CDsImage* image, CVyrString& file)
{
    if (!image || image->IsEmpty() || !AllocSecImage(eDsImageFormatJpeg)) return false;
    int width = 0, height = 0;
    image->GetOriginalDimensions(width, height);
    dscodec::SRgbPicture& picture = m_image->picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(size_t(width) * size_t(height) * 3);
    uint8_t* out = picture.rgb.data();
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            image->GetPixel(x, row, pixel);
            *out++ = uint8_t(pixel);
            *out++ = uint8_t(pixel >> 8);
            *out++ = uint8_t(pixel >> 16);
        }
    const bool saved = SaveImageToFile(file);
    FreeSecImage();
    return saved;
}

EDsImageFormat CDsImageFormatsConvertor::ExtractImageType(const CVyrString&) const
{
    return eDsImageFormatJpeg;
}

bool CDsImageFormatsConvertor::SetImageData(const std::vector<uint8_t>& bytes, CDsImage& image, const char* source)
{
    CImageTarget target(image.GetTransparency());
    std::string error;
    if (!dscodec::DecodeJpeg(bytes.data(), bytes.size(), CDsImage::kMaxSide, CDsImage::kMaxPixels, target, error)) {
        DisplayErrorMessage(std::string(source) + ": " + error);
        return false;
    }
    image.TakeBlockOf(*target.m_image);  // the texture is made anew when asked for
    return true;
}

bool CDsImageFormatsConvertor::LoadImageW(const CVyrString& file, CDsImage& image)
{
    ExtractImageType(file);
    CFile in;
    std::vector<uint8_t> bytes;
    if (!in.Open(file.GetString(), CFile::modeRead | CFile::typeBinary) || !ReadAll(in, bytes)) {
        DisplayErrorMessage("the picture file " + std::string(file.GetMultiByte()) + " cannot be read");
        return false;
    }
    in.Abort();
    return SetImageData(bytes, image, file.GetMultiByte());
}

bool CDsImageFormatsConvertor::LoadImageW(CDataFileStream* stream, CDsImage& image)
{
    CFile* file = stream ? stream->GetFile() : nullptr;
    std::vector<uint8_t> bytes;
    if (!file || !ReadAll(*file, bytes)) return false;
    if (!SetImageData(bytes, image, "a picture stream")) return false;
    file->SeekToBegin();
    return true;
}

bool CDsImageFormatsConvertor::GetImageDimensions(CDataFileStream* stream, int& width, int& height)
{
    CFile* file = stream ? stream->GetFile() : nullptr;
    std::vector<uint8_t> bytes;
    if (!file || !ReadAll(*file, bytes)) return false;
    file->SeekToBegin();
    int w = 0, h = 0;
    std::string error;
    if (!dscodec::ReadJpegSize(bytes.data(), bytes.size(), w, h, error)) return false;
    width = w;
    height = h;
    return true;
}
