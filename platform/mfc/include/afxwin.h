// The framework's window classes: windows, device contexts, GDI objects,
// bitmaps and palettes over the Windows stand-in, and message boxes. Includes afx.h.
#pragma once

#include "VyrMfcApi.h"
#include "afx.h"
#include "windows.h"

class CDC;
class CBitmap;
class CPalette;
class CPen;
class CBrush;
class CFont;
class CGdiObject;

// Wrappers made by FromHandle for handles that no object owns are temporary:
// they stay valid until DeleteTempMap of their class, never own the handle and
// never delete it. Objects that Attach a handle own it.

// A window.
class VYR_MFC_API CWnd {
public:
    // An object without a window.
    CWnd() = default;
    // Destroys the window it still holds (as the framework does); Detach first to keep it.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to the window, else a temporary wrapper; null for null.
    static CWnd* FromHandle(HWND window);
    // Deletes the temporary wrappers made by FromHandle.
    static void DeleteTempMap();
    // Takes a window; FALSE for null or when the object already holds one.
    BOOL Attach(HWND window);
    // Gives the window up and answers it (null when there was none).
    HWND Detach();
    // The window (null when there is none). Not for null objects.
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The window.
    operator HWND() const { return m_hWnd; }
    // Destroys the window and forgets it; FALSE when there is none.
    virtual BOOL DestroyWindow();

    // The window's device context as a temporary wrapper; null on failure.
    CDC* GetDC();
    // Gives back a device context from GetDC; answers 1 when released.
    int ReleaseDC(CDC* dc);
    // The client area (0, 0, width, height); all 0 when there is no window.
    void GetClientRect(LPRECT rect) const;
    // Adds the whole client area to the update region.
    void Invalidate(BOOL erase = TRUE);
    // Adds a rectangle (null: the client area) to the update region.
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    // Removes a rectangle (null: everything) from the update region.
    void ValidateRect(LPCRECT rect);
    // The bounding rectangle of the update region; FALSE when it is empty.
    BOOL GetUpdateRect(LPRECT rect, BOOL erase = FALSE);
    // Shows or hides the window; answers whether it was visible before.
    BOOL ShowWindow(int command);
    // Sets the window's title.
    void SetWindowTextW(LPCWSTR text);
    // Copies the title into buffer (truncated, terminated); answers its length.
    int GetWindowTextW(LPWSTR buffer, int bufferMax) const;
    // The whole title (empty when there is no window).
    void GetWindowTextW(CStringW& text) const;

    // --- Messages ------------------------------------------------------------------------------
    // The framework's message maps are the virtual handlers below: WindowProc calls OnPaint,
    // OnSize and OnActivate for their messages, OnNcDestroy for WM_NCDESTROY, DefWindowProc for
    // the rest. A handler that a class does not override does the default processing (Default).

    // The object attached to the window; null when none is (no temporary wrapper is made).
    static CWnd* FromHandlePermanent(HWND window);
    // Attaches the window and routes its messages to this object: the window's procedure becomes
    // AfxWndProc and the one it had becomes this object's super procedure. FALSE (nothing changed)
    // for a window that is not live, when this object holds a window or another object is
    // attached to that window.
    BOOL SubclassWindow(HWND window);
    // Gives the window its super procedure back and detaches it; answers it (null without one).
    HWND UnsubclassWindow();
    // Handles one message of the window (see above).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The super procedure (DefWindowProcW when the window was not subclassed) with the message.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc with the message being handled (0 outside a message).
    LRESULT Default();
    // WM_PAINT.
    virtual void OnPaint();
    // WM_SIZE: the size type and the new client width and height.
    virtual void OnSize(UINT type, int cx, int cy);
    // WM_ACTIVATE: WA_* state, the other window (may be null) and whether this one is minimised.
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
    // WM_NCDESTROY: default processing, then the window is detached and PostNcDestroy called.
    virtual void OnNcDestroy();
    // Last call for an object whose window went away; nothing here (a class made with new may
    // delete itself).
    virtual void PostNcDestroy();

    // The window.
    HWND m_hWnd = nullptr;
    // The procedure the window had before SubclassWindow (null when not subclassed).
    WNDPROC m_pfnSuper = nullptr;
};

// The procedure of subclassed windows: the attached object's WindowProc, else DefWindowProcW.
VYR_MFC_API LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A window that shows a document. Only its window part is used here: views are passed along
// with pick events so that a handler can tell which window a click came from.
class VYR_MFC_API CView : public CWnd {
public:
    // An object without a window.
    CView() = default;
    // Destroys the window it still holds, as CWnd does.
    ~CView() override = default;
};

// A device context.
class VYR_MFC_API CDC {
public:
    // An object without a device context.
    CDC() = default;
    // Deletes the device context it still holds (DeleteDC).
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // The object attached to the DC, else a temporary wrapper; null for null.
    static CDC* FromHandle(HDC dc);
    // Deletes the temporary wrappers made by FromHandle.
    static void DeleteTempMap();
    // Takes a DC; FALSE for null or when the object already holds one.
    BOOL Attach(HDC dc);
    // Gives the DC up and answers it (null when there was none).
    HDC Detach();
    // The DC (null when there is none). Not for null objects.
    HDC GetSafeHdc() const { return m_hDC; }
    // The DC.
    operator HDC() const { return m_hDC; }

    // Makes a memory DC compatible with dc (null: the display) and takes it.
    BOOL CreateCompatibleDC(CDC* dc);
    // Deletes the DC it holds; FALSE when there is none or it cannot be deleted.
    BOOL DeleteDC();
    // Selects a bitmap into this memory DC; answers the bitmap it held (a
    // temporary wrapper when no object owns it), null on failure.
    CBitmap* SelectObject(CBitmap* bitmap);
    // Selects a palette into this DC; answers the palette it held (the owning object, else a
    // temporary wrapper: the stock default palette at first), null on failure or for null.
    CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
    // Maps the selected palette into the system palette: the entries mapped (0 on the
    // true-colour display), GDI_ERROR without a DC.
    UINT RealizePalette();
    // Copies a rectangle from src (null for operations without a source).
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    // Copies a rectangle from src with scaling.
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth, int srcHeight,
                    DWORD rop);
    // A device capability (GetDeviceCaps indices); 0 for an unknown index.
    int GetDeviceCaps(int index) const;

    // --- Drawing objects: each selection answers the object selected before (the owning object,
    // else a temporary wrapper: a stock object at first), null on failure or for null.
    // Selects a pen.
    CPen* SelectObject(CPen* pen);
    // Selects a brush.
    CBrush* SelectObject(CBrush* brush);
    // Selects a font.
    CFont* SelectObject(CFont* font);
    // Selects a stock pen, brush or font (GetStockObject indices); answers the object of that
    // kind selected before.
    CGdiObject* SelectStockObject(int index);

    // --- Drawing state (see vyrwin_draw.h and vyrwin_text.h) ------------------------------------
    // Binary raster operation of pens and brushes; answers the previous one, 0 on failure.
    int SetROP2(int rop);
    // The binary raster operation.
    int GetROP2() const;
    // TRANSPARENT or OPAQUE; answers the previous mode, 0 on failure.
    int SetBkMode(int mode);
    // The background mode.
    int GetBkMode() const;
    // Background colour; answers the previous one, CLR_INVALID on failure.
    COLORREF SetBkColor(COLORREF color);
    // The background colour.
    COLORREF GetBkColor() const;
    // Text colour; answers the previous one, CLR_INVALID on failure.
    COLORREF SetTextColor(COLORREF color);
    // The text colour.
    COLORREF GetTextColor() const;
    // Text alignment (TA_* flags); answers the previous one, GDI_ERROR on failure.
    UINT SetTextAlign(UINT align);
    // The text alignment.
    UINT GetTextAlign() const;
    // Map mode; answers the previous one, 0 on failure.
    int SetMapMode(int mode);
    // The map mode.
    int GetMapMode() const;
    // Window extent (scalable map modes only); answers the previous one (0, 0 on failure).
    CSize SetWindowExt(int x, int y);
    // Viewport extent (scalable map modes only); answers the previous one (0, 0 on failure).
    CSize SetViewportExt(int x, int y);
    // Viewport origin; answers the previous one (0, 0 on failure).
    CPoint SetViewportOrg(int x, int y);
    // Window origin; answers the previous one (0, 0 on failure).
    CPoint SetWindowOrg(int x, int y);
    // Logical to device coordinates, in place.
    void LPtoDP(LPPOINT points, int count = 1) const;
    // Device to logical coordinates, in place.
    void DPtoLP(LPPOINT points, int count = 1) const;

    // --- Drawing -------------------------------------------------------------------------------
    // Moves the current position; answers the previous one.
    CPoint MoveTo(int x, int y);
    // A line from the current position to (x, y), left out; FALSE on failure.
    BOOL LineTo(int x, int y);
    // Segments through the points with the selected pen; FALSE on failure.
    BOOL Polyline(const POINT* points, int count);
    // The closed polygon, filled with the selected brush and outlined with the pen.
    BOOL Polygon(const POINT* points, int count);
    // Fills the rectangle (right and bottom edges left out) with the brush; FALSE on failure.
    BOOL FillRect(LPCRECT rect, CBrush* brush);
    // Draws the rectangle's one-unit border with the brush; FALSE on failure.
    BOOL FrameRect(LPCRECT rect, CBrush* brush);
    // Sets a pixel; answers the colour it holds now, CLR_INVALID on failure.
    COLORREF SetPixel(int x, int y, COLORREF color);
    // The colour of a pixel; CLR_INVALID outside the surface.
    COLORREF GetPixel(int x, int y) const;

    // --- Text ----------------------------------------------------------------------------------
    // Draws `count` characters at (x, y) with the selected font, colour and alignment.
    BOOL TextOutW(int x, int y, LPCWSTR text, int count);
    // TextOutW with ETO_* options, a rectangle and per-character advances.
    BOOL ExtTextOutW(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT count, const INT* dx);
    // Draws text into a rectangle (DT_* formats); answers the text's height, 0 on failure.
    int DrawTextW(LPCWSTR text, int count, LPRECT rect, UINT format);
    // The metrics of the selected font; FALSE on failure.
    BOOL GetTextMetricsW(LPTEXTMETRICW metrics) const;
    // The advance and cell height of the text (0, 0 on failure).
    CSize GetTextExtent(LPCWSTR text, int count) const;
    // The family name of the face drawn; answers its length, 0 on failure (name emptied).
    int GetTextFaceW(CStringW& name) const;
    // Maps the selected palette into the colours shown; FALSE on failure.
    BOOL UpdateColors();

    // The device context.
    HDC m_hDC = nullptr;
};

// A GDI object.
class VYR_MFC_API CGdiObject {
public:
    // An object without a handle.
    CGdiObject() = default;
    // Deletes the GDI object it still holds.
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // The object attached to the handle, else a temporary wrapper; null for null.
    static CGdiObject* FromHandle(HGDIOBJ object);
    // Deletes the temporary wrappers made by FromHandle (of every GDI class).
    static void DeleteTempMap();
    // Takes a handle; FALSE for null or when the object already holds one.
    BOOL Attach(HGDIOBJ object);
    // Gives the handle up and answers it (null when there was none).
    HGDIOBJ Detach();
    // Deletes the GDI object; FALSE when there is none or it cannot be deleted
    // (selected into a DC), in which case the object keeps it.
    BOOL DeleteObject();
    // The handle (null when there is none). Not for null objects.
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // The handle.
    operator HGDIOBJ() const { return m_hObject; }

    // The GDI object.
    HGDIOBJ m_hObject = nullptr;
};

// A bitmap.
class VYR_MFC_API CBitmap : public CGdiObject {
public:
    // An object without a bitmap.
    CBitmap() = default;
    ~CBitmap() override = default;

    // The object attached to the bitmap, else a temporary wrapper; null for null.
    static CBitmap* FromHandle(HBITMAP bitmap);
    // Makes a device-dependent bitmap and takes it; FALSE on failure or when the
    // object already holds a bitmap.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // Makes a bitmap compatible with dc (null: the display) and takes it.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // Describes the bitmap; answers the bytes written, 0 on failure.
    int GetBitmap(BITMAP* info) const;
    // Replaces up to `count` bytes of the pixels (rows from the top, as GetBitmapBits gives them);
    // answers the bytes copied, 0 on failure or without a bitmap.
    DWORD SetBitmapBits(DWORD count, const void* bits);
    // Copies up to `count` bytes of the pixels into `bits`; answers the bytes copied, 0 on failure
    // or without a bitmap.
    DWORD GetBitmapBits(DWORD count, LPVOID bits) const;
    // The bitmap.
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// A logical palette.
class VYR_MFC_API CPalette : public CGdiObject {
public:
    // An object without a palette.
    CPalette() = default;
    ~CPalette() override = default;

    // The object attached to the palette, else a temporary wrapper; null for null.
    static CPalette* FromHandle(HPALETTE palette);
    // Makes a palette of the logical palette's entries and takes it; FALSE for a palette the
    // Windows layer refuses (null, a version other than 0x300, no entries) or when the object
    // already holds one.
    BOOL CreatePalette(const LOGPALETTE* logical);
    // The number of entries; 0 without a palette.
    int GetEntryCount() const;
    // Copies up to `count` entries from `start` into `entries`; answers how many, 0 without a
    // palette (with null `entries`: the number of entries).
    UINT GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const;
    // The palette.
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
};

// A pen.
class VYR_MFC_API CPen : public CGdiObject {
public:
    // An object without a pen.
    CPen() = default;
    ~CPen() override = default;

    // The object attached to the pen, else a temporary wrapper; null for null.
    static CPen* FromHandle(HPEN pen);
    // Makes a pen (CreatePen) and takes it; FALSE on failure or when the object holds one.
    BOOL CreatePen(int style, int width, COLORREF color);
    // Makes an extended pen (ExtCreatePen) and takes it; FALSE on failure or when it holds one.
    BOOL CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr);
    // Makes a pen of the description and takes it; FALSE on failure or when it holds one.
    BOOL CreatePenIndirect(LPLOGPEN description);
    // Describes a plain pen; answers the bytes written, 0 on failure (an extended pen fails).
    int GetLogPen(LOGPEN* description) const;
    // Describes an extended pen whose runs fit the structure's one entry; answers the bytes
    // written, 0 on failure.
    int GetExtLogPen(EXTLOGPEN* description) const;
    // The pen.
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

// A brush.
class VYR_MFC_API CBrush : public CGdiObject {
public:
    // An object without a brush.
    CBrush() = default;
    ~CBrush() override = default;

    // The object attached to the brush, else a temporary wrapper; null for null.
    static CBrush* FromHandle(HBRUSH brush);
    // Makes a solid brush and takes it; FALSE on failure or when the object holds one.
    BOOL CreateSolidBrush(COLORREF color);
    // Describes the brush; answers the bytes written, 0 on failure.
    int GetLogBrush(LOGBRUSH* description) const;
    // The brush.
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

// A logical font.
class VYR_MFC_API CFont : public CGdiObject {
public:
    // An object without a font.
    CFont() = default;
    ~CFont() override = default;

    // The object attached to the font, else a temporary wrapper; null for null.
    static CFont* FromHandle(HFONT font);
    // Makes a font of the description and takes it; FALSE on failure or when the object holds one.
    BOOL CreateFontIndirectW(const LOGFONTW* description);
    // Makes a font of the fields (CreateFontW) and takes it; FALSE as above.
    BOOL CreateFontW(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                     BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                     BYTE pitchAndFamily, LPCWSTR faceName);
    // Describes the font; answers the bytes written, 0 on failure.
    int GetLogFont(LOGFONTW* description) const;
    // The font.
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

// Shows a message box (recorded and written to standard error; never waits) with
// the program's name as caption; answers the default button of `type`.
VYR_MFC_API int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
// Shows string `id` of the resource modules; when no module has it the box shows
// an empty text (and a line on standard error says why).
VYR_MFC_API int AfxMessageBox(UINT id, UINT type = MB_OK, UINT helpId = (UINT)-1);

// A thread of the framework with its main window. The host's UI thread is the application
// object; no other thread object is made.
class VYR_MFC_API CWinThread {
public:
    // A thread without a main window.
    CWinThread() = default;
    // Nothing to free: the main window is not owned.
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // The thread's main window (not owned), null until the host sets it.
    CWnd* m_pMainWnd = nullptr;
};

// The application object of a framework program: the host makes one (usually as a global) and
// gives it its main window. Only what the display asks of it is here.
class VYR_MFC_API CWinApp : public CWinThread {
public:
    // Becomes the process's application object (AfxGetApp) when there is none yet.
    explicit CWinApp(LPCWSTR appName = nullptr);
    // Stops being the application object.
    ~CWinApp() override;
};

// The wait cursor for the life of the object: made, it sets the system's wait cursor as the
// thread's cursor; destroyed, it puts back the cursor it replaced. Objects nest (each puts back
// what it found), with or without an application object.
class VYR_MFC_API CWaitCursor {
public:
    // Shows the wait cursor.
    CWaitCursor();
    // Puts back the cursor that was shown when the object was made.
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Shows the wait cursor again (after something in between set another one).
    void Restore();

private:
    HCURSOR m_previous;
};

// The process's application object, null when the program made none.
VYR_MFC_API CWinApp* AfxGetApp();
// The current thread's framework object: the application object (the only thread object), null
// when the program made none.
VYR_MFC_API CWinThread* AfxGetThread();
// The main window of the application object, null without either.
VYR_MFC_API CWnd* AfxGetMainWnd();
