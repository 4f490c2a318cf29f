// Windows, device contexts of windows, the update region, window messages,
// message boxes, modules and their resources (string tables and bitmaps).
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

// Window styles and ShowWindow commands (only the ones callers pass).
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION 0x00C00000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define CW_USEDEFAULT ((int)0x80000000)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWNA 8

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

// MessageBox types and answers.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_TYPEMASK 0x0000000FL
#define MB_DEFMASK 0x00000F00L
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// GetSysColor indices.
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT

// One entry of a module's string table.
struct VYR_STRING_RESOURCE {
    UINT id;
    const WCHAR* text;
};

// One bitmap resource of a module.
struct VYR_BITMAP_RESOURCE {
    UINT id;            // the resource number
    LONG width;         // pixels, 1 or more
    LONG height;        // pixels, 1 or more
    WORD bitsPerPixel;  // 1 (a set bit is white, a clear bit black), 24 or 32 (B, G, R(, x) bytes)
    const void* bits;   // rows from the top, each padded to a whole number of WORDs (CreateBitmap's layout)
};

// Resource names and types: a number below 0x10000 passed as a pointer, or a text ("#123" names
// the number 123).
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_STRING MAKEINTRESOURCEW(6)

// LoadImageW image types and flags.
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

extern "C" {

// Windows are X windows with a GLX drawable each. A window of a class registered with
// RegisterClassW gets the class's procedure (vyrwin_msg.h); other class names and menus are
// accepted and ignored. Only a WS_CHILD window lies inside its parent; a window with a parent but
// without WS_CHILD is a top-level window owned by it (GetParent answers the owner, and the owner's
// DestroyWindow destroys it). Fails (null, GetLastError set,
// one line on standard error) when there is no X display. A window given no width or height
// (0, or a negative size) has an empty client rectangle (GetClientRect, WM_SIZE), as it is given,
// while its X window and drawable are 1 pixel on that side (X has no empty windows); MoveWindow
// and SetWindowPos likewise.
VYR_WINAPI_EXPORT HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                                       int x, int y, int width, int height, HWND parent, HMENU menu,
                                       HINSTANCE instance, LPVOID param);
VYR_WINAPI_EXPORT BOOL DestroyWindow(HWND window);
VYR_WINAPI_EXPORT BOOL IsWindow(HWND window);
VYR_WINAPI_EXPORT BOOL ShowWindow(HWND window, int command);
VYR_WINAPI_EXPORT BOOL IsWindowVisible(HWND window);
VYR_WINAPI_EXPORT BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
VYR_WINAPI_EXPORT BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
VYR_WINAPI_EXPORT BOOL GetClientRect(HWND window, LPRECT rect);
VYR_WINAPI_EXPORT BOOL GetWindowRect(HWND window, LPRECT rect);
VYR_WINAPI_EXPORT HWND GetParent(HWND window);
// The window's text (its title); kept with the window.
VYR_WINAPI_EXPORT BOOL SetWindowTextW(HWND window, LPCWSTR text);
VYR_WINAPI_EXPORT int GetWindowTextW(HWND window, LPWSTR buffer, int bufferMax);
VYR_WINAPI_EXPORT int GetWindowTextLengthW(HWND window);
// The title as the X server holds it for window managers: the UTF-8 bytes of the window's
// _NET_WM_NAME property. Copies up to bufferMax - 1 bytes and a terminating zero into buffer
// (null buffer: nothing copied) and answers the full byte count; -1 for a window that is not
// live or is the desktop.
VYR_WINAPI_EXPORT int VyrGetWindowTitleBytes(HWND window, LPSTR buffer, int bufferMax);
// The root window of the display: a valid HWND with a device context that a
// pixel format and a context can be set on (it draws into a small hidden window).
VYR_WINAPI_EXPORT HWND GetDesktopWindow();

// Every window owns one device context (as a window of an own-DC class does):
// GetDC answers the same handle until the window is destroyed. Each GetDC holds the DC until a
// ReleaseDC gives it back; while it is held and no OpenGL context is current on the window, GDI
// drawing into it waits on the CPU side (vyrwin_draw.h says until when). ReleaseDC answers 1 for
// the window's own DC (also once every hold was given back), 0 for another.
VYR_WINAPI_EXPORT HDC GetDC(HWND window);
VYR_WINAPI_EXPORT HDC GetWindowDC(HWND window);
VYR_WINAPI_EXPORT int ReleaseDC(HWND window, HDC dc);
VYR_WINAPI_EXPORT HWND WindowFromDC(HDC dc);

// The update region, kept as one bounding rectangle in client coordinates.
VYR_WINAPI_EXPORT BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
VYR_WINAPI_EXPORT BOOL ValidateRect(HWND window, const RECT* rect);
VYR_WINAPI_EXPORT BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);

// The colours of the standard Windows theme, one fixed table (the 3-D face light grey
// (240, 240, 240), its shadow (160, 160, 160), its highlight white, ...); 0 for an
// index outside the table.
VYR_WINAPI_EXPORT DWORD GetSysColor(int index);

// Message numbers from 0xC000 up, one per distinct name (case-insensitive).
VYR_WINAPI_EXPORT UINT RegisterWindowMessageW(LPCWSTR name);

// Never waits: records the text, writes it to standard error and answers the
// default button of the box's type.
VYR_WINAPI_EXPORT int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// The boxes shown so far in this process (text and caption), oldest first.
VYR_WINAPI_EXPORT UINT VyrGetMessageBoxCount();
VYR_WINAPI_EXPORT LPCWSTR VyrGetMessageBoxText(UINT index);
VYR_WINAPI_EXPORT LPCWSTR VyrGetMessageBoxCaption(UINT index);
VYR_WINAPI_EXPORT void VyrClearMessageBoxes();

// Cursors. The windows show the X server's own cursor: the cursor set here is the thread's
// cursor as the program sees it (SetCursor, GetCursor), never drawn. LoadCursorW answers the
// system cursors below for a null module (one handle per cursor, never freed) and null for
// anything else (no module holds cursor resources). The thread starts with the arrow.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
VYR_WINAPI_EXPORT HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name);
// Icons. Windows here show no icon; LoadIconW answers one handle per system icon below for a null
// module (never freed) and null for anything else, as LoadCursorW does for cursors.
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
#define IDI_WINLOGO MAKEINTRESOURCEW(32517)
VYR_WINAPI_EXPORT HICON LoadIconW(HINSTANCE module, LPCWSTR name);
// Makes `cursor` (null: none) the thread's cursor; answers the one it replaces.
VYR_WINAPI_EXPORT HCURSOR SetCursor(HCURSOR cursor);
// The thread's cursor (null when none is set).
VYR_WINAPI_EXPORT HCURSOR GetCursor();

// Modules. A module handle is the load address of a shared library (or of the
// executable). Modules register their names, string tables and bitmaps when they load.
// Names compare without case and without a ".dll" ending: "VyrGuiRc" and "VyrGuiRc.dll"
// name the same module.
VYR_WINAPI_EXPORT HMODULE VyrModuleFromAddress(const void* addressInModule);
// Adds a name of the module (a module may have several). A name names one module: a name that
// another module had moves to this one.
VYR_WINAPI_EXPORT BOOL VyrRegisterModule(HMODULE module, LPCWSTR name);
VYR_WINAPI_EXPORT BOOL VyrRegisterStringTable(HMODULE module, const VYR_STRING_RESOURCE* table, UINT count);
// Copies the bitmaps into the module's resources (an id already there is replaced). False
// (ERROR_INVALID_PARAMETER), nothing kept, when an entry has no bits, a size below 1 or a depth
// other than 1, 24 or 32.
VYR_WINAPI_EXPORT BOOL VyrRegisterBitmapTable(HMODULE module, const VYR_BITMAP_RESOURCE* table, UINT count);
// Forgets the module's names and resources.
VYR_WINAPI_EXPORT void VyrUnregisterModule(HMODULE module);
// Null name: the executable. Otherwise a module registered under that name.
VYR_WINAPI_EXPORT HMODULE GetModuleHandleW(LPCWSTR name);
// A registered module by name, else "lib<name>.so" through the dynamic loader.
VYR_WINAPI_EXPORT HMODULE LoadLibraryW(LPCWSTR name);
VYR_WINAPI_EXPORT BOOL FreeLibrary(HMODULE module);
VYR_WINAPI_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// Copies the string with that id into buffer (truncated, always terminated) and
// answers its length, 0 when the module has no such string. With bufferMax 0 the
// buffer receives a pointer to the read-only text.
VYR_WINAPI_EXPORT int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int bufferMax);

// The resource of that name and type in the module, for telling which module holds it; only
// bitmaps (RT_BITMAP) are found. Null (ERROR_RESOURCE_TYPE_NOT_FOUND for another type,
// ERROR_RESOURCE_NAME_NOT_FOUND for a name the module lacks) otherwise.
VYR_WINAPI_EXPORT HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The module's bitmap resource as a new device-dependent bitmap of its own depth (monochrome
// stays monochrome); the caller deletes it. Null (ERROR_RESOURCE_NAME_NOT_FOUND) when the module
// has no such bitmap.
VYR_WINAPI_EXPORT HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name);
// A bitmap (IMAGE_BITMAP only; icons and cursors answer null, ERROR_NOT_SUPPORTED) from the
// module's resources or, with LR_LOADFROMFILE, from the .bmp file that `name` names (`module`
// ignored). The file may hold 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with bit
// fields, rows bottom-up or top-down, behind any of the usual info headers (12, 40, 52, 56, 108 or
// 124 bytes); a file that is not such a bitmap, is cut short or is run-length encoded answers
// null (ERROR_BAD_FORMAT; ERROR_FILE_NOT_FOUND when it cannot be read). With cx and cy 0 the
// bitmap keeps its own size (LR_DEFAULTSIZE says the same for bitmaps); otherwise it is
// stretched to cx by cy (a 0 keeps that side), nearest pixel. LR_CREATEDIBSECTION gives a DIB
// section (top-down rows; 1 and 8 bits with their colour table, 4 bits widened to 8, 16 to 24,
// 24 and 32 as they are); otherwise a device-dependent bitmap, monochrome for a monochrome
// picture and 32 bits else. LR_MONOCHROME makes it monochrome (white where a pixel's luminance
// is at least half). Other flags are accepted and change nothing. The caller deletes the bitmap.
VYR_WINAPI_EXPORT HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags);

// The folder for temporary files, with a '/' at its end, into `buffer` (bufferLength characters,
// the terminating zero included). One rule for every file the libraries write to the temporary
// folder: the folder named by TEMP, else by TMPDIR, else "/tmp"; never the current folder (a
// relative TEMP or TMPDIR is ignored, since the files would land wherever the program happens to
// run). Answers the length written without the zero; when the buffer is too small (or null),
// the length needed with the zero, the buffer unchanged.
VYR_WINAPI_EXPORT DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);

}
