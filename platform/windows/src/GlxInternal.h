// Private: the X connection, the one frame-buffer configuration, the hidden root
// context, and the window and context records. Only sources of this library see X11.
#pragma once

#include "WinInternal.h"

#include <GL/glx.h>

#include <string>
#include <vector>

struct HWND__ {
    Window xwindow = 0;
    GLXWindow glxwindow = 0;
    HWND parent = nullptr;
    std::vector<HWND> children;
    int x = 0, y = 0, width = 1, height = 1;  // the drawable's size (an X window is 1 x 1 at least)
    int clientWidth = 1, clientHeight = 1;    // the size the window was given (0 for none)
    bool visible = false;
    bool desktop = false;
    int pixelFormat = 0;
    bool hasUpdate = false;
    RECT update{0, 0, 0, 0};
    std::wstring text;
    HDC__ dc;
    int dcHolds = 0;  // GetDC calls not yet matched by ReleaseDC
    WNDPROC proc = nullptr;   // its procedure (null: DefWindowProcW answers for it)
    bool destroying = false;  // DestroyWindow is taking it down
};

struct HGLRC__ {
    GLXContext context = nullptr;
    int format = 1;  // the pixel format it was made for: 1 windows and pbuffers, 2 bitmaps
    // The display-list space WGL would give it: its own at creation, another's once it joined it
    // (GLX shares one space through the hidden root; this only decides what wglShareLists takes).
    unsigned listSpace = 0;
    // It may hold display lists: it was current and was left since, or its space is shared.
    bool mayHoldLists = false;
    // The context of VyrGetLastingContext, which lives as long as the process.
    bool lasting = false;
};

struct HPBUFFERARB__ {
    GLXPbuffer pbuffer = 0;
    int width = 0, height = 0;
    int textureFormat = 0;  // WGL_NO_TEXTURE_ARB, WGL_TEXTURE_RGB(A)_ARB
    int textureTarget = 0;
    int mipmapLevel = 0;    // the level wglBindTexImageARB fills
    HDC__ dc;
    bool dcOut = false;
};

namespace vyrwin {

// The X connection, opened on first use; null (with one line on standard error,
// said once) when there is no display.
Display* XDisplay();
// The frame-buffer configuration every window, pbuffer and context uses.
GLXFBConfig FbConfig();
// The single-buffered configuration of the GL surfaces of memory DCs (pixel
// format 2) and of the contexts made for them; null when the server has none.
GLXFBConfig BitmapFbConfig();
// The hidden context that every context shares its lists with, and a small
// pbuffer it can be made current on.
GLXContext RootContext();
GLXDrawable RootDrawable();

bool IsLiveWindow(HWND window);
// The procedure of a registered window class (null for a name no one registered).
WNDPROC ClassProcedure(LPCWSTR className);
// Whether a GLX context may be bound to windows and pbuffers: the root context and
// the contexts of pixel format 1 (not those made for bitmaps).
bool IsWindowConfigContext(GLXContext context);
bool IsLiveContext(HGLRC context);
bool IsLivePbuffer(HPBUFFERARB pbuffer);
// The window of a window DC, the pbuffer of a pbuffer DC (null for other DCs).
HWND WindowOfDc(HDC dc);
HPBUFFERARB PbufferOfDc(HDC dc);
bool PbufferSize(HDC dc, int& width, int& height);
// The GLX drawable of a window or pbuffer DC, 0 for others.
GLXDrawable DcDrawable(HDC dc);
// The pixel format set on a window DC (pbuffer DCs always have format 1).
int DcPixelFormat(HDC dc);

// What this library made current last (null, 0 when nothing).
HGLRC CurrentContext();
HDC CurrentDc();
// Called before a drawable goes away or changes size: a context current on it is
// released (and rebound when `rebind`).
void DrawableChanging(GLXDrawable drawable, bool rebind);
// A window got a new drawable: a context current on the old one moves to the new one.
void DrawableReplaced(GLXDrawable old, GLXDrawable fresh);

// Runs `work` with a context current on `drawable` (the current one when there is
// one, else the root context), then puts back what was current.
template <typename Work>
bool WithDrawableCurrent(GLXDrawable drawable, Work work);

// A context of `config` sharing lists with `share`, which leaves flushing to MakeCurrentRaw where
// the server lets a context be released without a flush; null when none can be made.
GLXContext CreateContext(GLXFBConfig config, GLXContext share);
// Makes `context` current on the two drawables (0, 0, null releases). What the context drew into
// a window or a bitmap's surface is flushed first, as WGL does; what it drew into a pbuffer is not,
// since a flush would send the pbuffer's front buffer to the server, where nobody looks at it.
bool MakeCurrentRaw(GLXDrawable draw, GLXDrawable read, GLXContext context);
// Whether `drawable` is the surface of a pbuffer made by wglCreatePbufferARB.
bool IsPbufferDrawable(GLXDrawable drawable);

}  // namespace vyrwin

template <typename Work>
bool vyrwin::WithDrawableCurrent(GLXDrawable drawable, Work work) {
    Display* display = XDisplay();
    if (!display || !drawable) return false;
    GLXContext previous = glXGetCurrentContext();
    GLXDrawable previousDraw = glXGetCurrentDrawable();
    GLXDrawable previousRead = glXGetCurrentReadDrawable();
    GLXContext context = previous && IsWindowConfigContext(previous) ? previous : RootContext();
    if (!context) return false;
    bool switched = previousDraw != drawable || previousRead != drawable || previous != context;
    if (switched && !MakeCurrentRaw(drawable, drawable, context)) return false;
    work();
    if (switched) {
        if (previous)
            MakeCurrentRaw(previousDraw, previousRead, previous);
        else
            MakeCurrentRaw(0, 0, nullptr);
    }
    return true;
}
