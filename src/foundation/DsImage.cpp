// CDsImage: a picture in memory, padded to powers of two.
#include "DsImage.h"

#include "DsGlContext.h"
#include "DsImageFormatsConvertor.h"
#include "DsView3dCdc.h"

#include <afxwin.h>
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// The device context a bitmap of the picture is made compatible with: the current view's, else
// the main window's, else none (the screen's). Given back when it goes.
class CPictureDc {
public:
    CPictureDc()
    {
        if (CDsView3dCdc* view = CDsView3dCdc::StGetCurrent()) {
            if ((m_dc = view->GetCdc())) {
                m_view = view;
                return;
            }
        }
        if (CWnd* main = AfxGetMainWnd()) {
            if ((m_dc = main->GetDC())) m_window = main;
        }
    }
    ~CPictureDc()
    {
        if (m_view) m_view->ReleaseCdc(m_dc);
        if (m_window) m_window->ReleaseDC(m_dc);
    }
    CPictureDc(const CPictureDc&) = delete;
    CPictureDc& operator=(const CPictureDc&) = delete;
    CDC* Get() const { return m_dc; }

private:
    CDC* m_dc = nullptr;
    CDsView3dCdc* m_view = nullptr;
    CWnd* m_window = nullptr;
};

}  // namespace

CDsImage::CDsImage() = default;

CDsImage::CDsImage(const CVyrString& file, bool transparent) : m_transparency(transparent)
{
    CDsImageFormatsConvertor::Instance()->LoadImageW(file, *this);
}

CDsImage::CDsImage(int width, int height, uint32_t* pixels, bool transparent) : m_transparency(transparent)
{
    if (pixels && AlocatePixels(width, height)) {
        for (int y = 0; y < height; ++y)
            std::memcpy(m_pixels + ComputeArrayIndex(0, y), pixels + size_t(y) * size_t(width),
                        size_t(width) * sizeof(uint32_t));
    }
    delete[] pixels;
}

CDsImage::CDsImage(const CDsImage& other)
{
    CopyObject(other);
}

CDsImage& CDsImage::operator=(const CDsImage& other)
{
    if (this != &other) CopyObject(other);
    return *this;
}

CDsImage::~CDsImage()
{
    ReleasePixelsAndTexture();
}

void CDsImage::CopyObject(const CDsImage& other)
{
    if (this == &other) return;
    ReleasePixelsAndTexture();
    m_transparency = other.m_transparency;
    if (other.IsEmpty()) return;
    int width = 0, height = 0;
    other.GetOriginalDimensions(width, height);
    if (AlocatePixels(width, height) && m_width == other.m_width && m_height == other.m_height)
        std::memcpy(m_pixels, other.m_pixels, size_t(GetPixelsCount()) * sizeof(uint32_t));
}

void CDsImage::TakeBlockOf(CDsImage& other)
{
    if (this == &other) return;
    ReleasePixelsAndTexture();
    other.DeleteTexture();
    m_pixels = other.m_pixels;
    m_width = other.m_width;
    m_height = other.m_height;
    m_widthRatio = other.m_widthRatio;
    m_heightRatio = other.m_heightRatio;
    other.m_pixels = nullptr;
    other.m_width = other.m_height = 0;
    other.m_widthRatio = other.m_heightRatio = 1.0f;
}

int CDsImage::ComputeOpenGlStandardTextureDimension(int n)
{
    if (n < 1) return 0;
    int size = 1;
    while (size < n && size <= (1 << 29)) size <<= 1;
    return size;
}

void CDsImage::SetStandardSizeAndRatio(int width, int height)
{
    m_width = ComputeOpenGlStandardTextureDimension(width);
    m_height = ComputeOpenGlStandardTextureDimension(height);
    m_widthRatio = m_width ? float(width) / float(m_width) : 1.0f;
    m_heightRatio = m_height ? float(height) / float(m_height) : 1.0f;
}

uint32_t* CDsImage::AlocatePixels(int width, int height)
{
    ReleasePixelsAndTexture();
    // The limit is on the picture, as where pictures are rendered and saved; its block then holds
    // at most twice kMaxPixels words (kMaxPixels is a power of two).
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return nullptr;
    if (int64_t(width) * height > kMaxPixels) return nullptr;
    const int64_t words =
        int64_t(ComputeOpenGlStandardTextureDimension(width)) * ComputeOpenGlStandardTextureDimension(height);
    m_pixels = new (std::nothrow) uint32_t[size_t(words)]();
    if (!m_pixels) return nullptr;
    SetStandardSizeAndRatio(width, height);
    return m_pixels;
}

void CDsImage::FreePixels()
{
    delete[] m_pixels;
    m_pixels = nullptr;
    m_width = m_height = 0;
    m_widthRatio = m_heightRatio = 1.0f;
}

void CDsImage::DeleteTexture()
{
    if (!m_texture) return;
    const GLuint name = m_texture;
    m_texture = 0;
    if (wglGetCurrentContext()) glDeleteTextures(1, &name);
}

void CDsImage::ReleasePixelsAndTexture()
{
    FreePixels();
    DeleteTexture();
}

bool CDsImage::GetPixel(int x, int y, uint32_t& pixel) const
{
    if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
    pixel = m_pixels[ComputeArrayIndex(x, y)];
    return true;
}

void CDsImage::SetPixel(int x, int y, uint32_t pixel)
{
    if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_pixels[ComputeArrayIndex(x, y)] = pixel;
}

void CDsImage::SetPixel(uint32_t pixel, int x, int y)
{
    SetPixel(x, y, pixel);
}

int CDsImage::ComputeOriginalWidth() const
{
    return int(float(m_width) * m_widthRatio + 0.1f);
}

int CDsImage::ComputeOriginalHeight() const
{
    return int(float(m_height) * m_heightRatio + 0.1f);
}

void CDsImage::GetOriginalDimensions(int& width, int& height) const
{
    width = ComputeOriginalWidth();
    height = ComputeOriginalHeight();
}

void CDsImage::GetSizeInMilimeters(float& width, float& height) const
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    const int horzRes = GetDeviceCaps(dc, HORZRES), horzSize = GetDeviceCaps(dc, HORZSIZE);
    const int vertRes = GetDeviceCaps(dc, VERTRES), vertSize = GetDeviceCaps(dc, VERTSIZE);
    if (dc) ReleaseDC(desktop, dc);
    width = horzRes > 0 ? float(ComputeOriginalWidth()) / float(horzRes) * float(horzSize) : 0.0f;
    height = vertRes > 0 ? float(ComputeOriginalHeight()) / float(vertRes) * float(vertSize) : 0.0f;
}

bool CDsImage::LoadImageW(const CVyrString& file, bool transparent)
{
    m_transparency = transparent;
    DeleteTexture();
    return CDsImageFormatsConvertor::Instance()->LoadImageW(file, *this);
}

void CDsImage::SetData(CDC& dc)
{
    if (!m_pixels) return;
    const int width = ComputeOriginalWidth(), height = ComputeOriginalHeight();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF color = dc.GetPixel(x, height - y - 1);
            m_pixels[ComputeArrayIndex(x, y)] = (color == CLR_INVALID ? 0u : (color & 0xFFFFFFu)) | 0xFF000000u;
        }
}

void CDsImage::TraceData(CBitmap*, CDC* dc) const
{
    if (!dc) return;
    const int width = ComputeOriginalWidth(), height = ComputeOriginalHeight();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dc->GetPixel(x, y);
}

bool CDsImage::SetBitmap(CBitmap& bitmap)
{
    BITMAP description{};
    if (!bitmap.GetSafeHandle() || bitmap.GetBitmap(&description) != int(sizeof(BITMAP))) return false;
    CPictureDc reference;
    CDC memory;
    if (!memory.CreateCompatibleDC(reference.Get())) return false;
    CBitmap* old = memory.SelectObject(&bitmap);
    if (!old) return false;
    bool read = false;
    if (AlocatePixels(description.bmWidth, description.bmHeight)) {
        SetData(memory);
        read = true;
    }
    memory.SelectObject(old);
    return read;
}

void CDsImage::FillBitmap(CDC& dc, CBitmap&)
{
    if (!m_pixels) return;
    const int width = ComputeOriginalWidth(), height = ComputeOriginalHeight();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dc.SetPixel(x, height - y - 1, m_pixels[ComputeArrayIndex(x, y)] & 0xFFFFFFu);
}

bool CDsImage::GetBitmap(CBitmap& bitmap, CDC* dc)
{
    if (IsEmpty()) return false;
    CDC memory;
    if (!memory.CreateCompatibleDC(dc)) return false;
    CBitmap picture;
    if (!picture.CreateCompatibleBitmap(dc ? dc : &memory, ComputeOriginalWidth(), ComputeOriginalHeight()))
        return false;
    CBitmap* old = memory.SelectObject(&picture);
    if (!old) return false;
    FillBitmap(memory, picture);
    memory.SelectObject(old);
    bitmap.DeleteObject();
    return bitmap.Attach(picture.Detach());
}

bool CDsImage::GetBitmap(CBitmap& bitmap)
{
    CDsView3dCdc::StGetCurrent();  // its OpenGL context current, as every image operation wants
    CPictureDc reference;
    return GetBitmap(bitmap, reference.Get());
}

void CDsImage::MakeTransparentByFirstPixel()
{
    if (!m_pixels) return;
    const uint32_t key = m_pixels[0];
    const int count = GetPixelsCount();
    for (int i = 0; i < count; ++i) {
        uint32_t& pixel = m_pixels[i];
        bool near = true;
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = int((pixel >> shift) & 0xFF), b = int((key >> shift) & 0xFF);
            if (std::abs(a - b) >= 20) near = false;
        }
        pixel = (pixel & 0xFFFFFFu) | (near ? 0u : 0xFF000000u);
    }
}

unsigned int CDsImage::CreateTexture()
{
    if (!m_pixels) return 0;
    if (m_transparency) MakeTransparentByFirstPixel();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, m_transparency ? 4 : 3, m_width, m_height, 0, GL_RGBA, GL_UNSIGNED_BYTE, m_pixels);
    glPopClientAttrib();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    return name;
}

unsigned int CDsImage::GetTexture()
{
    if (m_texture) {
        GLboolean resident = GL_FALSE;
        // A name OpenGL no longer knows (deleted, or its context gone) is made anew. When every
        // texture asked about is resident OpenGL answers true and leaves the flag untouched.
        if (glIsTexture(m_texture) && (glAreTexturesResident(1, &m_texture, &resident) || resident))
            return m_texture;
        DeleteTexture();
    }
    m_texture = CreateTexture();
    return m_texture;
}

void CDsImage::SetTexture2dToView(bool on)
{
    if (!on) {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        return;
    }
    if (!m_texture) m_texture = CreateTexture();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}

bool CDsImage::IsOkForTextureDisplay() const
{
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    return most >= m_width && most >= m_height;
}
