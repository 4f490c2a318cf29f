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
// Temporary pen, brush and font wrappers, for the same reason.
vyrmfc::HandleMap<CPen>* g_pens = nullptr;
vyrmfc::HandleMap<CBrush>* g_brushes = nullptr;
vyrmfc::HandleMap<CFont>* g_fonts = nullptr;

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

vyrmfc::HandleMap<CPen>& Pens() {
    if (!g_pens) g_pens = new vyrmfc::HandleMap<CPen>();
    return *g_pens;
}

vyrmfc::HandleMap<CBrush>& Brushes() {
    if (!g_brushes) g_brushes = new vyrmfc::HandleMap<CBrush>();
    return *g_brushes;
}

vyrmfc::HandleMap<CFont>& Fonts() {
    if (!g_fonts) g_fonts = new vyrmfc::HandleMap<CFont>();
    return *g_fonts;
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

CPen* CDC::SelectObject(CPen* pen) {
    if (!pen || !m_hDC) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, pen->m_hObject);
    return previous ? CPen::FromHandle(static_cast<HPEN>(previous)) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    if (!brush || !m_hDC) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, brush->m_hObject);
    return previous ? CBrush::FromHandle(static_cast<HBRUSH>(previous)) : nullptr;
}

CFont* CDC::SelectObject(CFont* font) {
    if (!font || !m_hDC) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, font->m_hObject);
    return previous ? CFont::FromHandle(static_cast<HFONT>(previous)) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    HGDIOBJ stock = ::GetStockObject(index);
    if (!stock || !m_hDC) return nullptr;
    const DWORD kind = ::GetObjectType(stock);
    if (kind != OBJ_PEN && kind != OBJ_BRUSH && kind != OBJ_FONT) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, stock);
    if (!previous) return nullptr;
    if (kind == OBJ_PEN) return CPen::FromHandle(static_cast<HPEN>(previous));
    if (kind == OBJ_BRUSH) return CBrush::FromHandle(static_cast<HBRUSH>(previous));
    return CFont::FromHandle(static_cast<HFONT>(previous));
}

int CDC::SetROP2(int rop) { return ::SetROP2(m_hDC, rop); }
int CDC::GetROP2() const { return ::GetROP2(m_hDC); }
int CDC::SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hDC); }
COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hDC); }
COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hDC); }
UINT CDC::SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
UINT CDC::GetTextAlign() const { return ::GetTextAlign(m_hDC); }
int CDC::SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hDC); }

CSize CDC::SetWindowExt(int x, int y) {
    SIZE previous{0, 0};
    return ::SetWindowExtEx(m_hDC, x, y, &previous) ? CSize(previous) : CSize(0, 0);
}

CSize CDC::SetViewportExt(int x, int y) {
    SIZE previous{0, 0};
    return ::SetViewportExtEx(m_hDC, x, y, &previous) ? CSize(previous) : CSize(0, 0);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT previous{0, 0};
    return ::SetViewportOrgEx(m_hDC, x, y, &previous) ? CPoint(previous) : CPoint(0, 0);
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT previous{0, 0};
    return ::SetWindowOrgEx(m_hDC, x, y, &previous) ? CPoint(previous) : CPoint(0, 0);
}

void CDC::LPtoDP(LPPOINT points, int count) const { ::LPtoDP(m_hDC, points, count); }
void CDC::DPtoLP(LPPOINT points, int count) const { ::DPtoLP(m_hDC, points, count); }

CPoint CDC::MoveTo(int x, int y) {
    POINT previous{0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
BOOL CDC::Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
BOOL CDC::Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
BOOL CDC::FillRect(LPCRECT rect, CBrush* brush)
{
    return brush ? ::FillRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject)) : FALSE;
}
BOOL CDC::FrameRect(LPCRECT rect, CBrush* brush)
{
    return brush ? ::FrameRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject)) : FALSE;
}
COLORREF CDC::SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

BOOL CDC::TextOutW(int x, int y, LPCWSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }

BOOL CDC::ExtTextOutW(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, const INT* dx) {
    return ::ExtTextOutW(m_hDC, x, y, options, rect, text, count, dx);
}

int CDC::DrawTextW(LPCWSTR text, int count, LPRECT rect, UINT format) {
    return ::DrawTextW(m_hDC, text, count, rect, format);
}

BOOL CDC::GetTextMetricsW(LPTEXTMETRICW metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }

CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
    SIZE size{0, 0};
    return ::GetTextExtentPoint32W(m_hDC, text, count, &size) ? CSize(size) : CSize(0, 0);
}

int CDC::GetTextFaceW(CStringW& name) const {
    name.Empty();
    const int length = ::GetTextFaceW(m_hDC, 0, nullptr);
    if (length <= 0) return 0;
    const int copied = ::GetTextFaceW(m_hDC, length, name.GetBuffer(length));
    name.ReleaseBuffer(copied < 0 ? 0 : copied);
    return copied < 0 ? 0 : copied;
}

BOOL CDC::UpdateColors() { return ::UpdateColors(m_hDC); }

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
    DeleteTemporaries(Pens());
    DeleteTemporaries(Brushes());
    DeleteTemporaries(Fonts());
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

// ---------------------------------------------------------------------------
// CPen

CPen* CPen::FromHandle(HPEN pen) {
    return TypedFromHandle(Pens(), pen);
}

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    if (m_hObject) return FALSE;
    HPEN pen = ::CreatePen(style, width, color);
    return pen ? Attach(pen) : FALSE;
}

BOOL CPen::CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) {
    if (m_hObject || width < 0 || styleCount < 0) return FALSE;
    HPEN pen = ::ExtCreatePen(DWORD(style), DWORD(width), brush, DWORD(styleCount), styles);
    return pen ? Attach(pen) : FALSE;
}

BOOL CPen::CreatePenIndirect(LPLOGPEN description) {
    if (m_hObject) return FALSE;
    HPEN pen = ::CreatePenIndirect(description);
    return pen ? Attach(pen) : FALSE;
}

int CPen::GetLogPen(LOGPEN* description) const {
    if (!m_hObject || !description) return 0;
    return ::GetObjectW(m_hObject, sizeof(LOGPEN), description);
}

int CPen::GetExtLogPen(EXTLOGPEN* description) const {
    if (!m_hObject || !description) return 0;
    return ::GetObjectW(m_hObject, sizeof(EXTLOGPEN), description);
}

// ---------------------------------------------------------------------------
// CBrush

CBrush* CBrush::FromHandle(HBRUSH brush) {
    return TypedFromHandle(Brushes(), brush);
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    if (m_hObject) return FALSE;
    HBRUSH brush = ::CreateSolidBrush(color);
    return brush ? Attach(brush) : FALSE;
}

int CBrush::GetLogBrush(LOGBRUSH* description) const {
    if (!m_hObject || !description) return 0;
    return ::GetObjectW(m_hObject, sizeof(LOGBRUSH), description);
}

// ---------------------------------------------------------------------------
// CFont

CFont* CFont::FromHandle(HFONT font) {
    return TypedFromHandle(Fonts(), font);
}

BOOL CFont::CreateFontIndirectW(const LOGFONTW* description) {
    if (m_hObject) return FALSE;
    HFONT font = ::CreateFontIndirectW(description);
    return font ? Attach(font) : FALSE;
}

BOOL CFont::CreateFontW(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                        BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                        BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName) {
    if (m_hObject) return FALSE;
    HFONT font = ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                               outPrecision, clipPrecision, quality, pitchAndFamily, faceName);
    return font ? Attach(font) : FALSE;
}

int CFont::GetLogFont(LOGFONTW* description) const {
    if (!m_hObject || !description) return 0;
    return ::GetObjectW(m_hObject, sizeof(LOGFONTW), description);
}
