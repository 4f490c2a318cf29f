// Windows as X windows with a GLXWindow each, their own device contexts and
// update regions.
#include "GdiCanvasInternal.h"
#include "GlxInternal.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>

namespace vyrwin {
namespace {

std::unordered_set<HWND> sWindows;
HWND sDesktop = nullptr;
Colormap sColormap = 0;

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
// The desktop's own drawable is small and never shown; its client rectangle is the screen.
constexpr int kDesktopDrawableSize = 16;

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT ClientRect(HWND window) { return RECT{0, 0, window->clientWidth, window->clientHeight}; }

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool MakeXWindow(HWND window, Window parent) {
    Display* display = XDisplay();
    GLXFBConfig config = FbConfig();
    if (!display || !config) return false;
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
    if (!visual) return false;
    if (!sColormap) sColormap = XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = sColormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.event_mask = 0;  // no window procedure reads events
    window->xwindow = XCreateWindow(display, parent ? parent : RootWindow(display, visual->screen), window->x, window->y,
                                    window->width, window->height, 0, visual->depth, InputOutput, visual->visual,
                                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    XFree(visual);
    if (!window->xwindow) return false;
    window->glxwindow = glXCreateWindow(display, config, window->xwindow, nullptr);
    if (!window->glxwindow) {
        XDestroyWindow(display, window->xwindow);
        window->xwindow = 0;
        return false;
    }
    window->dc.kind = HDC__::kWindow;
    window->dc.window = window;
    window->dc.drawable = window->glxwindow;
    return true;
}

void InvalidateAll(HWND window) {
    window->update = ClientRect(window);
    window->hasUpdate = !RectEmpty(window->update);
}

// WM_DESTROY goes to a window before its children, WM_NCDESTROY to the children first.
void SendDestroy(HWND window) {
    window->destroying = true;
    SendMessageW(window, WM_DESTROY, 0, 0);
    for (HWND child : std::vector<HWND>(window->children))
        if (IsLiveWindow(child) && !child->destroying) SendDestroy(child);
}

void Destroy(HWND window) {
    for (HWND child : std::vector<HWND>(window->children)) Destroy(child);
    SendMessageW(window, WM_NCDESTROY, 0, 0);
    DropDcPixels(&window->dc);
    Display* display = XDisplay();
    DrawableChanging(window->glxwindow, false);
    if (display) {
        glXDestroyWindow(display, window->glxwindow);
        XDestroyWindow(display, window->xwindow);
        XSync(display, False);
    }
    if (window->parent) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    ReleaseDcObjects(&window->dc);
    sWindows.erase(window);
    delete window;
}

void Resize(HWND window, int x, int y, int width, int height, bool move, bool size) {
    Display* display = XDisplay();
    if (size) FlushDcPixels(&window->dc);  // into the drawable of the size it was drawn for
    if (move) {
        window->x = x;
        window->y = y;
    }
    if (size) {
        window->clientWidth = std::max(0, width);
        window->clientHeight = std::max(0, height);
        window->width = std::max(1, width);
        window->height = std::max(1, height);
    }
    XMoveResizeWindow(display, window->xwindow, window->x, window->y, window->width, window->height);
    XSync(display, False);
    if (size) {
        // The GL drawable keeps its old buffers until it is made anew: give the
        // window a new GLX drawable and move a context current on it over.
        GLXWindow old = window->glxwindow;
        GLXWindow fresh = glXCreateWindow(display, FbConfig(), window->xwindow, nullptr);
        if (fresh) {
            window->glxwindow = fresh;
            window->dc.drawable = fresh;
            DrawableReplaced(old, fresh);
            glXDestroyWindow(display, old);
        }
        InvalidateAll(window);
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->clientWidth, window->clientHeight));
    }
}

}  // namespace

bool IsLiveWindow(HWND window) { return window && (window == sDesktop || sWindows.count(window) != 0); }

bool DrawableSize(HDC dc, int& width, int& height) {
    if (!dc) return false;
    for (HWND window : sWindows)
        if (&window->dc == dc) {
            width = window->width;
            height = window->height;
            return true;
        }
    if (sDesktop && &sDesktop->dc == dc) {
        width = height = kDesktopDrawableSize;
        return true;
    }
    return PbufferSize(dc, width, height);
}

bool WindowDcHeld(HDC dc) {
    HWND window = WindowOfDc(dc);
    return window && window->dcHolds > 0;
}

HWND WindowOfDc(HDC dc) {
    if (!dc) return nullptr;
    if (sDesktop && &sDesktop->dc == dc) return sDesktop;
    for (HWND window : sWindows)
        if (&window->dc == dc) return window;
    return nullptr;
}

}  // namespace vyrwin

using namespace vyrwin;

HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU, HINSTANCE, LPVOID) {
    if (!XDisplay() || !FbConfig()) {
        SetLastError(ERROR_DC_NOT_FOUND);
        return nullptr;
    }
    if (parent && !IsLiveWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND window = new HWND__;
    window->x = x == CW_USEDEFAULT ? 0 : x;
    window->y = y == CW_USEDEFAULT ? 0 : y;
    window->clientWidth = width == CW_USEDEFAULT ? kDefaultWidth : std::max(0, width);
    window->clientHeight = height == CW_USEDEFAULT ? kDefaultHeight : std::max(0, height);
    window->width = std::max(1, window->clientWidth);
    window->height = std::max(1, window->clientHeight);
    window->parent = parent;
    window->proc = ClassProcedure(className);
    // Only a child window lies inside its parent; another window with a parent (its owner) is a
    // top-level window of its own that goes away with the owner.
    if (!MakeXWindow(window, parent && (style & WS_CHILD) ? parent->xwindow : 0)) {
        delete window;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    sWindows.insert(window);
    if (parent) parent->children.push_back(window);
    if (windowName) SetWindowTextW(window, windowName);
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    XSync(XDisplay(), False);
    return window;
}

BOOL DestroyWindow(HWND window) {
    if (!IsLiveWindow(window) || window == sDesktop || window->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    SendDestroy(window);
    if (!IsLiveWindow(window)) return TRUE;
    Destroy(window);
    return TRUE;
}

BOOL IsWindow(HWND window) { return IsLiveWindow(window) ? TRUE : FALSE; }

BOOL ShowWindow(HWND window, int command) {
    if (!IsLiveWindow(window) || window == sDesktop) return FALSE;
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    bool show = command != SW_HIDE;
    if (show != window->visible) {
        Display* display = XDisplay();
        if (show)
            XMapWindow(display, window->xwindow);
        else
            XUnmapWindow(display, window->xwindow);
        XSync(display, False);
        window->visible = show;
        if (show) InvalidateAll(window);
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND window) { return IsLiveWindow(window) && window->visible ? TRUE : FALSE; }

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!IsLiveWindow(window) || window == sDesktop) return FALSE;
    Resize(window, x, y, width, height, true, width != window->clientWidth || height != window->clientHeight);
    if (repaint) InvalidateAll(window);
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
    if (!IsLiveWindow(window) || window == sDesktop) return FALSE;
    bool move = !(flags & SWP_NOMOVE);
    bool size = !(flags & SWP_NOSIZE) && (cx != window->clientWidth || cy != window->clientHeight);
    if (move || size) Resize(window, x, y, cx, cy, move, size);
    if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    if (!IsLiveWindow(window) || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window == sDesktop) {
        Display* display = XDisplay();
        *rect = RECT{0, 0, DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display))};
    } else {
        *rect = ClientRect(window);
    }
    return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    if (!GetClientRect(window, rect)) return FALSE;
    if (window != sDesktop) {
        rect->left += window->x;
        rect->right += window->x;
        rect->top += window->y;
        rect->bottom += window->y;
    }
    return TRUE;
}

HWND GetParent(HWND window) { return IsLiveWindow(window) ? window->parent : nullptr; }

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    if (!IsLiveWindow(window)) return FALSE;
    window->text = text ? text : L"";
    if (window != sDesktop) {
        // Both title properties as UTF8_STRING: window managers read _NET_WM_NAME first, and older
        // ones read WM_NAME, whose plain STRING type would claim the bytes were Latin-1.
        Display* display = XDisplay();
        const std::string bytes = Utf8FromWide(window->text);
        const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        for (Atom property : {XInternAtom(display, "_NET_WM_NAME", False), static_cast<Atom>(XA_WM_NAME)})
            XChangeProperty(display, window->xwindow, property, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
        XFlush(display);
    }
    return TRUE;
}

int VyrGetWindowTitleBytes(HWND window, LPSTR buffer, int bufferMax) {
    if (!IsLiveWindow(window) || window == sDesktop) return -1;
    Display* display = XDisplay();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window->xwindow, XInternAtom(display, "_NET_WM_NAME", False), 0, 1L << 20, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) != Success)
        return -1;
    const int length = format == 8 ? static_cast<int>(count) : 0;
    if (buffer && bufferMax > 0) {
        const int copied = std::min(length, bufferMax - 1);
        if (copied > 0) std::memcpy(buffer, data, static_cast<size_t>(copied));
        buffer[std::max(copied, 0)] = 0;
    }
    if (data) XFree(data);
    return length;
}

int GetWindowTextW(HWND window, LPWSTR buffer, int bufferMax) {
    if (!IsLiveWindow(window) || !buffer || bufferMax <= 0) return 0;
    int count = std::min<int>(window->text.size(), bufferMax - 1);
    std::copy_n(window->text.begin(), count, buffer);
    buffer[count] = 0;
    return count;
}

int GetWindowTextLengthW(HWND window) { return IsLiveWindow(window) ? static_cast<int>(window->text.size()) : 0; }

HWND GetDesktopWindow() {
    if (sDesktop) return sDesktop;
    if (!XDisplay() || !FbConfig()) return nullptr;
    HWND desktop = new HWND__;
    desktop->desktop = true;
    desktop->width = desktop->height = kDesktopDrawableSize;
    if (!MakeXWindow(desktop, 0)) {
        delete desktop;
        return nullptr;
    }
    sDesktop = desktop;
    return sDesktop;
}

HDC GetDC(HWND window) {
    if (!window) window = GetDesktopWindow();
    if (!IsLiveWindow(window)) return nullptr;
    ++window->dcHolds;
    return &window->dc;
}

HDC GetWindowDC(HWND window) { return GetDC(window); }

int ReleaseDC(HWND window, HDC dc) {
    if (!window) window = sDesktop;
    if (!IsLiveWindow(window) || dc != &window->dc) return 0;
    if (window->dcHolds > 0 && --window->dcHolds == 0) EndDcHold(dc);
    return 1;
}

HWND WindowFromDC(HDC dc) { return WindowOfDc(dc); }

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL) {
    if (!window) {
        for (HWND each : sWindows) InvalidateRect(each, rect, FALSE);
        return TRUE;
    }
    if (!IsLiveWindow(window)) return FALSE;
    RECT area = rect ? Intersect(*rect, ClientRect(window)) : ClientRect(window);
    if (RectEmpty(area)) return TRUE;
    if (!window->hasUpdate) {
        window->update = area;
    } else {
        RECT& u = window->update;
        u = RECT{std::min(u.left, area.left), std::min(u.top, area.top), std::max(u.right, area.right),
                 std::max(u.bottom, area.bottom)};
    }
    window->hasUpdate = true;
    return TRUE;
}

// The update region is kept as its bounding rectangle, so validating part of it
// shrinks it only where the validated rectangle covers a whole side of it.
BOOL ValidateRect(HWND window, const RECT* rect) {
    if (!IsLiveWindow(window)) return FALSE;
    if (!window->hasUpdate) return TRUE;
    RECT& u = window->update;
    if (!rect || (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right && rect->bottom >= u.bottom)) {
        window->hasUpdate = false;
        u = RECT{0, 0, 0, 0};
        return TRUE;
    }
    bool spansX = rect->left <= u.left && rect->right >= u.right;
    bool spansY = rect->top <= u.top && rect->bottom >= u.bottom;
    if (spansX && rect->top <= u.top && rect->bottom > u.top) u.top = rect->bottom;
    else if (spansX && rect->bottom >= u.bottom && rect->top < u.bottom) u.bottom = rect->top;
    else if (spansY && rect->left <= u.left && rect->right > u.left) u.left = rect->right;
    else if (spansY && rect->right >= u.right && rect->left < u.right) u.right = rect->left;
    if (RectEmpty(u)) {
        window->hasUpdate = false;
        u = RECT{0, 0, 0, 0};
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL) {
    if (!IsLiveWindow(window)) return FALSE;
    if (rect) *rect = window->hasUpdate ? window->update : RECT{0, 0, 0, 0};
    return window->hasUpdate ? TRUE : FALSE;
}
