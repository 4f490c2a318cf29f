// Window messages, window classes and window procedures.
//
// No message loop runs and nothing reads X events: a window's procedure is called only by
// SendMessageW, CallWindowProcW and the few messages this layer sends itself, each synchronously,
// so nothing ever waits on a queue. The layer sends:
// - WM_SIZE (SIZE_RESTORED, width and height in lParam) when MoveWindow or SetWindowPos changes a
//   window's size;
// - WM_PAINT from UpdateWindow, when the update region is not empty;
// - WM_DESTROY and then WM_NCDESTROY while DestroyWindow takes a window down (children first for
//   WM_NCDESTROY, as Windows does); the window is still live during both.
// A window of a class registered here gets the class's procedure; a window of a class name that no
// one registered (as every window made before this header existed) has none, and is answered by
// DefWindowProcW.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

// Messages (only the ones callers send or handle).
#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_NCDESTROY 0x0082

// WM_ACTIVATE states (LOWORD of wParam; HIWORD is non-zero when the window is minimised).
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// WM_SIZE types (wParam).
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC 0x0020

// Window field indices of Get/SetWindowLongPtrW.
#define GWLP_WNDPROC (-4)

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_CLASS_ALREADY_EXISTS 1410L

typedef LRESULT(CALLBACK* WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef WORD ATOM;

// A window class.
struct WNDCLASSW {
    UINT style;              // CS_* flags (kept, change nothing here: every window owns its DC)
    WNDPROC lpfnWndProc;     // the procedure of the class's windows; null is refused
    int cbClsExtra;          // kept, unused
    int cbWndExtra;          // kept, unused
    HINSTANCE hInstance;     // kept, unused
    HICON hIcon;             // kept (GetClassInfoW), unused (windows show no icon)
    HCURSOR hCursor;         // kept (GetClassInfoW), unused (windows show the server's cursor)
    HBRUSH hbrBackground;    // kept, unused (windows are never erased by this layer)
    LPCWSTR lpszMenuName;    // kept, unused
    LPCWSTR lpszClassName;   // the name, compared without case; not empty
};
typedef WNDCLASSW* LPWNDCLASSW;

extern "C" {

// Registers a class by name for the whole process (the module instance does not part names). The
// atom (from 0xC000 up), or 0 with ERROR_CLASS_ALREADY_EXISTS for a name already registered and
// ERROR_INVALID_PARAMETER for null, a class without a procedure or without a name.
VYR_WINAPI_EXPORT ATOM RegisterClassW(const WNDCLASSW* windowClass);
// The registration of a class by name (the module instance does not part names): `out` as it was
// registered, with `className` as its name. FALSE with ERROR_CANNOT_FIND_WND_CLASS for a name not
// registered, ERROR_INVALID_PARAMETER for a null or empty name or a null `out`.
VYR_WINAPI_EXPORT BOOL GetClassInfoW(HINSTANCE module, LPCWSTR className, LPWNDCLASSW out);
// Calls the window's procedure with the message and answers its result. 0 with
// ERROR_INVALID_WINDOW_HANDLE for a window that is not live. The procedure may destroy the window.
VYR_WINAPI_EXPORT LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls `procedure` (DefWindowProcW when null) with the message.
VYR_WINAPI_EXPORT LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam);
// Default processing: WM_PAINT validates the whole update region, WM_CLOSE destroys the window;
// every other message answers 0 and does nothing.
VYR_WINAPI_EXPORT LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// GWLP_WNDPROC only: puts a new procedure in and answers the one it replaces (DefWindowProcW for a
// window that had none). 0 with ERROR_INVALID_WINDOW_HANDLE for a window that is not live,
// ERROR_INVALID_INDEX for another index, ERROR_INVALID_PARAMETER for a null procedure.
VYR_WINAPI_EXPORT LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
// GWLP_WNDPROC only: the window's procedure (DefWindowProcW when it has none); 0 with an error as
// SetWindowLongPtrW.
VYR_WINAPI_EXPORT LONG_PTR GetWindowLongPtrW(HWND window, int index);
// Sends WM_PAINT when the window's update region is not empty; FALSE for a window that is not live.
VYR_WINAPI_EXPORT BOOL UpdateWindow(HWND window);
// The window rectangle that gives a client rectangle. Windows here have no frame, caption or menu
// drawn by this layer (the X window is the client area, as GetWindowRect shows), so the rectangle
// stays as it is. FALSE (ERROR_INVALID_PARAMETER) for null.
VYR_WINAPI_EXPORT BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);

}
