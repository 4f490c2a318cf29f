// UiBitmap: resource bitmaps, their copies and their disabled form.
#include "UiBitmap.h"

#include "UiResourceManager.h"

#include <cstring>
#include <vector>

namespace {

// The raster operation that paints the brush where the source is black and leaves the
// destination where it is white (P xor (S and (D xor P))).
const DWORD kBrushWhereMaskIsBlack = 0x00B8074A;

// A copy of a device-dependent bitmap: same size, depth and bytes. Null on failure.
HBITMAP CopyDeviceDependent(HBITMAP source, const BITMAP& description)
{
    const size_t size = static_cast<size_t>(description.bmWidthBytes) * static_cast<size_t>(description.bmHeight);
    if (size == 0 || size > 0x7FFFFFFFu) return nullptr;
    std::vector<unsigned char> bits(size);
    if (static_cast<size_t>(GetBitmapBits(source, static_cast<LONG>(size), bits.data())) != size) return nullptr;
    return CreateBitmap(description.bmWidth, description.bmHeight, description.bmPlanes, description.bmBitsPixel,
                        bits.data());
}

// A copy of a device-independent section: the same header and bytes at 24 or 32 bits, else a
// 32-bit section of the same colours. Null on failure.
HBITMAP CopySection(HBITMAP source, const DIBSECTION& section)
{
    const int height = section.dsBm.bmHeight;
    if (section.dsBm.bmWidth < 1 || height < 1 || !section.dsBm.bmBits) return nullptr;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header = section.dsBmih;
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    const bool direct = section.dsBm.bmBitsPixel == 24 || section.dsBm.bmBitsPixel == 32;
    if (direct) {
        std::memcpy(info.masks, section.dsBitfields, sizeof info.masks);
    } else {
        info.header.biBitCount = 32;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 0;
        info.header.biSizeImage = 0;
    }
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
    if (!copy || !bits) return copy;
    bool copied = true;
    if (direct) {
        const size_t size = static_cast<size_t>(section.dsBm.bmWidthBytes) * static_cast<size_t>(height);
        std::memcpy(bits, section.dsBm.bmBits, size);
    } else {
        copied = GetDIBits(nullptr, source, 0, static_cast<UINT>(height), bits,
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    }
    if (!copied) {
        DeleteObject(copy);
        return nullptr;
    }
    return copy;
}

// Device contexts and GDI objects of one disabled-image run, given back in every case.
struct DisabledImageWork {
    HDC screen = nullptr;
    HDC imageDc = nullptr, resultDc = nullptr, maskDc = nullptr;
    HGDIOBJ imageOld = nullptr, resultOld = nullptr, maskOld = nullptr, brushOld = nullptr;
    HBITMAP result = nullptr, mask = nullptr;
    HBRUSH highlight = nullptr, shadow = nullptr;

    ~DisabledImageWork()
    {
        if (brushOld) SelectObject(resultDc, brushOld);
        if (imageOld) SelectObject(imageDc, imageOld);
        if (resultOld) SelectObject(resultDc, resultOld);
        if (maskOld) SelectObject(maskDc, maskOld);
        for (HDC dc : {imageDc, resultDc, maskDc, screen})
            if (dc) DeleteDC(dc);
        if (highlight) DeleteObject(highlight);
        if (shadow) DeleteObject(shadow);
        if (mask) DeleteObject(mask);
        if (result) DeleteObject(result);
    }
};

// Makes the framework's current resource module at its construction current again when it goes.
class ResourceHandleRestorer {
public:
    ResourceHandleRestorer() : m_previous(AfxGetResourceHandle()) {}
    ~ResourceHandleRestorer()
    {
        if (AfxGetResourceHandle() != m_previous) AfxSetResourceHandle(m_previous);
    }
    ResourceHandleRestorer(const ResourceHandleRestorer&) = delete;
    ResourceHandleRestorer& operator=(const ResourceHandleRestorer&) = delete;
    // The module that was current at construction.
    HINSTANCE Previous() const { return m_previous; }

private:
    HINSTANCE m_previous;
};

}  // namespace

UiBitmap::UiBitmap(unsigned int id, int flag) : m_resourceId(id)
{
    if (id != kNoResource) LoadById(id, flag);
}

bool UiBitmap::LoadBitmap(LPCWSTR name, bool switchResources)
{
    if (GetSafeHandle() && !DeleteObject()) return false;
    m_resourceId = kNamedResource;

    HBITMAP loaded = nullptr;
    {
        // The core's resources through its resource manager, which remembers the framework's
        // handle on its first switch; what was current just before this load comes back after it.
        const ResourceHandleRestorer restorer;
        const HINSTANCE core = gUiResourceManager.GetModuleHandle();
        if (switchResources && core && core != restorer.Previous()) gUiResourceManager.SwitchToModuleResources(true);
        loaded = ::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name);
    }
    if (!loaded) return false;
    if (!Attach(loaded)) {
        ::DeleteObject(loaded);
        return false;
    }
    return true;
}

bool UiBitmap::LoadById(unsigned int id, int flag)
{
    if (GetSafeHandle() && !DeleteObject()) return false;
    const bool loaded = LoadBitmap(MAKEINTRESOURCEW(id & 0xFFFFu), flag != 0);
    m_resourceId = id;
    return loaded;
}

bool UiBitmap::LoadFromModule(unsigned int id, HINSTANCE module)
{
    if (!module) return false;
    const ResourceHandleRestorer restorer;
    if (module != restorer.Previous()) AfxSetResourceHandle(module);
    return LoadById(id, 0);
}

bool UiBitmap::LoadFromFile(LPCWSTR fileName)
{
    if (GetSafeHandle() && !DeleteObject()) return false;
    m_resourceId = kNoResource;
    if (!fileName || !*fileName) return false;
    HANDLE loaded = ::LoadImageW(nullptr, fileName, IMAGE_BITMAP, 0, 0,
                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
    if (!loaded) return false;
    if (!Attach(loaded)) {
        ::DeleteObject(loaded);
        return false;
    }
    return true;
}

bool UiBitmap::CopyFrom(const UiBitmap& other)
{
    if (&other == this) return GetSafeHandle() != nullptr;
    m_resourceId = other.m_resourceId;
    if (GetSafeHandle() && !DeleteObject()) return false;

    HBITMAP source = static_cast<HBITMAP>(other.GetSafeHandle());
    if (!source) return false;
    DIBSECTION section{};
    const int described = ::GetObjectW(source, sizeof(DIBSECTION), &section);
    HBITMAP copy = nullptr;
    if (described == static_cast<int>(sizeof(DIBSECTION))) {
        copy = CopySection(source, section);
    } else if (described == static_cast<int>(sizeof(BITMAP))) {
        copy = CopyDeviceDependent(source, section.dsBm);
    }
    if (!copy) return false;
    if (!Attach(copy)) {
        ::DeleteObject(copy);
        return false;
    }
    return true;
}

bool UiBitmap::CreateDisabledImage()
{
    BITMAP description{};
    if (!GetSafeHandle() || GetBitmap(&description) != static_cast<int>(sizeof(BITMAP))) return false;
    const int width = description.bmWidth, height = description.bmHeight;
    if (width < 1 || height < 1) return false;

    // The picture is copied first (so that this bitmap may be selected nowhere); the copy is
    // declared before the work so that it is deselected before it goes.
    UiBitmap image;
    DisabledImageWork work;
    work.screen = ::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!work.screen) return false;
    work.imageDc = ::CreateCompatibleDC(work.screen);
    work.resultDc = ::CreateCompatibleDC(work.screen);
    work.maskDc = ::CreateCompatibleDC(work.screen);
    if (!work.imageDc || !work.resultDc || !work.maskDc) return false;

    // The picture onto a bitmap of the display's depth.
    if (!image.CopyFrom(*this)) return false;
    work.imageOld = ::SelectObject(work.imageDc, static_cast<HBITMAP>(image.GetSafeHandle()));
    work.result = ::CreateCompatibleBitmap(work.screen, width, height);
    if (!work.imageOld || !work.result) return false;
    work.resultOld = ::SelectObject(work.resultDc, work.result);
    if (!work.resultOld || !::BitBlt(work.resultDc, 0, 0, width, height, work.imageDc, 0, 0, SRCCOPY)) return false;

    // The mask: white where the picture has the transparent colour (its top-left pixel's), black
    // elsewhere.
    work.mask = ::CreateBitmap(width, height, 1, 1, nullptr);
    if (!work.mask) return false;
    work.maskOld = ::SelectObject(work.maskDc, work.mask);
    if (!work.maskOld) return false;
    const COLORREF transparent = ::GetPixel(work.resultDc, 0, 0);
    if (transparent == CLR_INVALID) return false;
    ::PatBlt(work.maskDc, 0, 0, width, height, WHITENESS);
    const COLORREF background = ::SetBkColor(work.resultDc, transparent);
    const bool masked = ::BitBlt(work.maskDc, 0, 0, width, height, work.resultDc, 0, 0, SRCCOPY) != FALSE;
    ::SetBkColor(work.resultDc, background);
    if (!masked) return false;

    // The button colours through the mask: the highlight one pixel down and right, then the
    // shadow in place.
    work.highlight = ::CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT));
    work.shadow = ::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW));
    if (!work.highlight || !work.shadow) return false;
    const COLORREF oldBackground = ::SetBkColor(work.resultDc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(work.resultDc, RGB(0, 0, 0));
    work.brushOld = ::SelectObject(work.resultDc, work.highlight);
    bool painted = work.brushOld && ::BitBlt(work.resultDc, 1, 1, width - 1, height - 1, work.maskDc, 0, 0,
                                           kBrushWhereMaskIsBlack);
    painted = painted && ::SelectObject(work.resultDc, work.shadow) &&
              ::BitBlt(work.resultDc, 0, 0, width, height, work.maskDc, 0, 0, kBrushWhereMaskIsBlack);
    ::SetBkColor(work.resultDc, oldBackground);
    ::SetTextColor(work.resultDc, oldText);
    if (!painted) return false;

    // The result replaces the bitmap once it is free of its device context.
    ::SelectObject(work.resultDc, work.resultOld);
    work.resultOld = nullptr;
    if (!DeleteObject()) return false;
    Attach(work.result);
    work.result = nullptr;
    return true;
}
