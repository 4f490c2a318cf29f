// The X connection, the X error handler, the frame-buffer configuration, the
// hidden root context, and the allocator thresholds a drawing program may ask for.
#include "GlxInternal.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <thread>

namespace vyrwin {
namespace {

Display* sDisplay = nullptr;
bool sDisplayFailed = false;
GLXFBConfig sConfig = nullptr;
GLXFBConfig sBitmapConfig = nullptr;
bool sBitmapConfigFailed = false;
GLXContext sRootContext = nullptr;
GLXPbuffer sRootPbuffer = 0;

// X errors are logged and never end the process: a bad drawable or a request the
// server refuses must not take the host down.
int OnXError(Display* display, XErrorEvent* event) {
    char text[256] = {0};
    XGetErrorText(display, event->error_code, text, sizeof text);
    LogLine("X error: %s (request %d.%d, resource 0x%lx)", text, event->request_code, event->minor_code,
            event->resourceid);
    return 0;
}

// Exactly 8-8-8 colour without alpha, 32-bit depth (else the deepest offered):
// double-buffered and drawable to windows and pbuffers, or (for bitmaps)
// single-buffered and drawable to pbuffers.
GLXFBConfig ChooseConfig(Display* display, bool forBitmaps) {
    const int attributes[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE,
                              forBitmaps ? GLX_PBUFFER_BIT : GLX_WINDOW_BIT | GLX_PBUFFER_BIT,
                              GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR,
                              GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                              GLX_DOUBLEBUFFER, forBitmaps ? False : True, GLX_DEPTH_SIZE, 24, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (!configs) return nullptr;
    GLXFBConfig best = nullptr;
    int bestScore = -1;
    for (int i = 0; i < count; ++i) {
        int r = 0, g = 0, b = 0, a = 0, depth = 0, samples = 0;
        glXGetFBConfigAttrib(display, configs[i], GLX_RED_SIZE, &r);
        glXGetFBConfigAttrib(display, configs[i], GLX_GREEN_SIZE, &g);
        glXGetFBConfigAttrib(display, configs[i], GLX_BLUE_SIZE, &b);
        glXGetFBConfigAttrib(display, configs[i], GLX_ALPHA_SIZE, &a);
        glXGetFBConfigAttrib(display, configs[i], GLX_DEPTH_SIZE, &depth);
        glXGetFBConfigAttrib(display, configs[i], GLX_SAMPLES, &samples);
        if (r != 8 || g != 8 || b != 8 || samples > 1) continue;
        int score = depth + (a == 0 ? 100 : 0);
        if (score > bestScore) {
            bestScore = score;
            best = configs[i];
        }
    }
    XFree(configs);
    return best;
}

}  // namespace

void LogLine(const char* format, ...) {
    std::fprintf(stderr, "vyr_windows: ");
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

Display* XDisplay() {
    if (sDisplay || sDisplayFailed) return sDisplay;
    const char* name = std::getenv("DISPLAY");
    sDisplay = XOpenDisplay(nullptr);
    // An X server that resets when its last client leaves (the default) drops a connection that
    // arrives at that moment, so a program that starts as another one ends can be refused once by
    // a server that is up. The connection is tried again, six times over about 1.6 s in all,
    // before the display counts as absent (where no server answers, that is the time it waits).
    for (int delayMs = 25; !sDisplay && name && *name && delayMs <= 800; delayMs *= 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        sDisplay = XOpenDisplay(nullptr);
    }
    if (!sDisplay) {
        sDisplayFailed = true;
        if (name && *name)
            LogLine("cannot open X display \"%s\": no X server answers there", name);
        else
            LogLine("cannot open an X display: DISPLAY is not set (start an X server, e.g. Xvfb)");
        return nullptr;
    }
    XSetErrorHandler(OnXError);
    return sDisplay;
}

GLXFBConfig FbConfig() {
    if (sConfig) return sConfig;
    Display* display = XDisplay();
    if (!display) return nullptr;
    sConfig = ChooseConfig(display, false);
    if (!sConfig) LogLine("no GLX frame-buffer configuration with 8-8-8 colour, double buffer and depth");
    return sConfig;
}

GLXFBConfig BitmapFbConfig() {
    if (sBitmapConfig || sBitmapConfigFailed) return sBitmapConfig;
    Display* display = XDisplay();
    if (!display) return nullptr;
    sBitmapConfig = ChooseConfig(display, true);
    if (!sBitmapConfig) {
        sBitmapConfigFailed = true;
        LogLine("no single-buffered GLX frame-buffer configuration with 8-8-8 colour and depth: "
                "OpenGL cannot draw into bitmaps");
    }
    return sBitmapConfig;
}

GLXContext RootContext() {
    if (sRootContext) return sRootContext;
    GLXFBConfig config = FbConfig();
    if (!config) return nullptr;
    sRootContext = glXCreateNewContext(sDisplay, config, GLX_RGBA_TYPE, nullptr, True);
    if (!sRootContext) {
        LogLine("cannot create the root GL context");
        return nullptr;
    }
    const int attributes[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
    sRootPbuffer = glXCreatePbuffer(sDisplay, config, attributes);
    return sRootContext;
}

GLXDrawable RootDrawable() {
    RootContext();
    return sRootPbuffer;
}

GLXContext CreateContext(GLXFBConfig config, GLXContext share) {
    Display* display = XDisplay();
    if (!display || !config) return nullptr;
    static const auto createWithAttributes = [display] {
        const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
        const bool has = extensions && std::strstr(extensions, "GLX_ARB_create_context") &&
                         std::strstr(extensions, "GLX_ARB_context_flush_control");
        return has ? reinterpret_cast<PFNGLXCREATECONTEXTATTRIBSARBPROC>(
                         glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCreateContextAttribsARB")))
                   : nullptr;
    }();
    if (createWithAttributes) {
        const int attributes[] = {GLX_RENDER_TYPE, GLX_RGBA_TYPE, GLX_CONTEXT_RELEASE_BEHAVIOR_ARB,
                                  GLX_CONTEXT_RELEASE_BEHAVIOR_NONE_ARB, None};
        if (GLXContext context = createWithAttributes(display, config, share, True, attributes)) return context;
    }
    return glXCreateNewContext(display, config, GLX_RGBA_TYPE, share, True);
}

bool MakeCurrentRaw(GLXDrawable draw, GLXDrawable read, GLXContext context) {
    Display* display = XDisplay();
    if (!display) return false;
    GLXContext current = glXGetCurrentContext();
    GLXDrawable currentDraw = glXGetCurrentDrawable();
    if (current && (current != context || currentDraw != draw || glXGetCurrentReadDrawable() != read) &&
        currentDraw && !IsPbufferDrawable(currentDraw))
        glFlush();
    return glXMakeContextCurrent(display, draw, read, context) == True;
}

}  // namespace vyrwin

// OpenGL is drawn on the CPU here, and the driver allocates and frees megabytes in every frame
// (vertex data, the bins of the rasterizer). The C library's allocator moves its thresholds by
// what the process happened to free before, and in some histories gives those megabytes back to
// the kernel at the end of every frame, to fault them in again at the next: page faults were a
// fifth of a frame, depending on whether a view had drawn through its pbuffer. The thresholds
// asked for are the values the allocator's own adaptation ends at (blocks below 32 MB come from
// the heap, and up to 64 MB of free memory at its top is kept), so that the program draws as a
// settled one. The allocator's policy is the program's: the display never sets it by itself, and
// thresholds the environment sets are left as they are.
BOOL VyrSettleAllocatorForDrawing() {
    for (const char* variable : {"MALLOC_MMAP_THRESHOLD_", "MALLOC_TRIM_THRESHOLD_"})
        if (std::getenv(variable)) return FALSE;
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, "glibc.malloc.")) return FALSE;
    const bool mmap = mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024) == 1;
    const bool trim = mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024) == 1;
    return mmap && trim ? TRUE : FALSE;
}
