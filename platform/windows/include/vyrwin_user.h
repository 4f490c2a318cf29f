// Windows, device contexts of windows, the update region, window messages,
// message boxes, modules and their string tables.
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

extern "C" {

// Windows are X windows with a GLX drawable each. Class names and menus are
// accepted and ignored: no window procedure runs. Fails (null, GetLastError set,
// one line on standard error) when there is no X display.
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
// GetDC answers the same handle until the window is destroyed.
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

// Modules. A module handle is the load address of a shared library (or of the
// executable). Modules register a name and a string table when they load.
VYR_WINAPI_EXPORT HMODULE VyrModuleFromAddress(const void* addressInModule);
VYR_WINAPI_EXPORT BOOL VyrRegisterModule(HMODULE module, LPCWSTR name);
VYR_WINAPI_EXPORT BOOL VyrRegisterStringTable(HMODULE module, const VYR_STRING_RESOURCE* table, UINT count);
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

}
