// CDC, CGdiObject, CBitmap and CPalette over the GDI calls of the Windows stand-in.
#include "afxwin.h"

#include "MfcInternal.h"

namespace {

vyrmfc::HandleMap<CDC>* g_dcs = nullptr;
vyrmfc::HandleMap<CGdiObject>* g_objects = nullptr;
// Temporary bitmap wrappers, apart from those of plain GDI objects so that
// CBitmap::FromHandle always answers a CBitmap.
vyrmfc::HandleMap<CBitmap>* g_bitmaps = nullptr;
// Temporary palette wrappers, for the same reason.
vyrmfc::HandleMap<CPalette>* g_palettes = nullptr;

vyrmfc::HandleMap<CDC>& Dcs() {
    if (!g_dcs) g_dcs = new vyrmfc::HandleMap<CDC>();
    return *g_dcs;
}

vyrmfc::HandleMap<CGdiObject>& Objects() {
    if (!g_objects) g_objects = new vyrmfc::HandleMap<CGdiObject>();
    return *g_objects;
}

vyrmfc::HandleMap<CBitmap>& Bitmaps() {
    if (!g_bitmaps) g_bitmaps = new vyrmfc::HandleMap<CBitmap>();
    return *g_bitmaps;
}

vyrmfc::HandleMap<CPalette>& Palettes() {
    if (!g_palettes) g_palettes = new vyrmfc::HandleMap<CPalette>();
    return *g_palettes;
}

// The object of class T attached to `handle`, else T's temporary wrapper of it.
template <class T>
T* TypedFromHandle(vyrmfc::HandleMap<T>& temporaries, const void* handle) {
    if (!handle) return nullptr;
    auto& permanent = Objects().permanent;
    auto it = permanent.find(handle);
    if (it != permanent.end()) {
        if (T* owner = dynamic_cast<T*>(it->second)) return owner;
    }
    auto& temp = temporaries.temporary[handle];
    if (!temp) {
        temp = new T();
        temp->m_hObject = const_cast<void*>(handle);
    }
    return temp;
}

template <class T>
void DeleteTemporaries(vyrmfc::HandleMap<T>& map) {
    for (auto& entry : map.temporary) {
        entry.second->m_hObject = nullptr;  // a temporary never deletes its object
        delete entry.second;
    }
    map.temporary.clear();
}

template <class T>
void ErasePermanent(std::unordered_map<const void*, T*>& permanent, const void* handle, const T* object) {
    auto it = permanent.find(handle);
    if (it != permanent.end() && it->second == object) permanent.erase(it);
}

}  // namespace

// ---------------------------------------------------------------------------
// CDC

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC dc) {
    return Dcs().Find(dc, [dc] {
        CDC* wrapper = new CDC();
        wrapper->m_hDC = dc;
        return wrapper;
    });
}

void CDC::DeleteTempMap() {
    auto& temporary = Dcs().temporary;
    for (auto& entry : temporary) {
        entry.second->m_hDC = nullptr;  // a temporary never deletes its DC
        delete entry.second;
    }
    temporary.clear();
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC) return FALSE;
    m_hDC = dc;
    Dcs().permanent[dc] = this;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    if (dc) ErasePermanent(Dcs().permanent, dc, this);
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    if (m_hDC) return FALSE;
    HDC created = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    return created ? Attach(created) : FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (!bitmap || !m_hDC) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, bitmap->m_hObject);
    return previous ? CBitmap::FromHandle(static_cast<HBITMAP>(previous)) : nullptr;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth, int srcHeight,
                     DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, srcWidth, srcHeight,
                        rop);
}

CPalette* CDC::SelectPalette(CPalette* palette, BOOL forceBackground) {
    if (!palette || !m_hDC) return nullptr;
    HPALETTE previous = ::SelectPalette(m_hDC, static_cast<HPALETTE>(palette->m_hObject), forceBackground);
    return previous ? CPalette::FromHandle(previous) : nullptr;
}

UINT CDC::RealizePalette() {
    if (!m_hDC) return GDI_ERROR;
    return ::RealizePalette(m_hDC);
}

int CDC::GetDeviceCaps(int index) const {
    return ::GetDeviceCaps(m_hDC, index);
}

// ---------------------------------------------------------------------------
// CGdiObject

CGdiObject::~CGdiObject() {
    if (!m_hObject) return;
    HGDIOBJ object = Detach();
    ::DeleteObject(object);
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    return Objects().Find(object, [object] {
        CGdiObject* wrapper = new CGdiObject();
        wrapper->m_hObject = object;
        return wrapper;
    });
}

void CGdiObject::DeleteTempMap() {
    DeleteTemporaries(Objects());
    DeleteTemporaries(Bitmaps());
    DeleteTemporaries(Palettes());
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object || m_hObject) return FALSE;
    m_hObject = object;
    Objects().permanent[object] = this;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    if (object) ErasePermanent(Objects().permanent, object, this);
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    if (!::DeleteObject(m_hObject)) return FALSE;  // still selected: keep it
    Detach();
    return TRUE;
}

// ---------------------------------------------------------------------------
// CBitmap

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) {
    return TypedFromHandle(Bitmaps(), bitmap);
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (m_hObject) return FALSE;
    HBITMAP bitmap = ::CreateBitmap(width, height, planes, bitsPerPixel, bits);
    return bitmap ? Attach(bitmap) : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    if (m_hObject) return FALSE;
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height);
    return bitmap ? Attach(bitmap) : FALSE;
}

int CBitmap::GetBitmap(BITMAP* info) const {
    if (!info || !m_hObject) return 0;
    return ::GetObjectW(m_hObject, sizeof(BITMAP), info);
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits) {
    if (!m_hObject) return 0;
    return DWORD(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), count, bits));
}

DWORD CBitmap::GetBitmapBits(DWORD count, LPVOID bits) const {
    if (!m_hObject || count > 0x7FFFFFFFu) return 0;
    return DWORD(::GetBitmapBits(static_cast<HBITMAP>(m_hObject), LONG(count), bits));
}

// ---------------------------------------------------------------------------
// CPalette

CPalette* CPalette::FromHandle(HPALETTE palette) {
    return TypedFromHandle(Palettes(), palette);
}

BOOL CPalette::CreatePalette(const LOGPALETTE* logical) {
    if (m_hObject) return FALSE;
    HPALETTE palette = ::CreatePalette(logical);
    return palette ? Attach(palette) : FALSE;
}

int CPalette::GetEntryCount() const {
    if (!m_hObject) return 0;
    WORD count = 0;
    return ::GetObjectW(m_hObject, sizeof count, &count) == int(sizeof count) ? count : 0;
}

UINT CPalette::GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const {
    if (!m_hObject) return 0;
    return ::GetPaletteEntries(static_cast<HPALETTE>(m_hObject), start, count, entries);
}
