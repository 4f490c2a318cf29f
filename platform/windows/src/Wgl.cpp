// Pixel formats, contexts, the blit swap, OpenGL drawing into memory bitmaps,
// pbuffers and render-to-texture over GLX.
#include "GdiCanvasInternal.h"
#include "GlxInternal.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

namespace vyrwin {
namespace {

// Format 1: windows and pbuffers, double-buffered. Format 2: memory bitmaps, single-buffered.
constexpr int kFormat = 1;
constexpr int kBitmapFormat = 2;

std::unordered_set<HGLRC> sContexts;
std::unordered_set<HPBUFFERARB> sPbuffers;
HGLRC sCurrentContext = nullptr;
HDC sCurrentDc = nullptr;
HDC sCurrentReadDc = nullptr;  // the DC the current context reads from (sCurrentDc unless set apart)
unsigned sLastListSpace = 0;  // the list space given to the newest context
UINT sMakeCurrentCount = 0;  // wglMakeCurrent calls that named a context

template <typename F>
F GlProc(const char* name) {
    return reinterpret_cast<F>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// How many pixel formats there are: the bitmap format only when the server offers its configuration.
int FormatCount() { return BitmapFbConfig() ? 2 : 1; }

bool IsFormat(int format) { return format == kFormat || (format == kBitmapFormat && FormatCount() == 2); }

GLXFBConfig ConfigOf(int format) { return format == kBitmapFormat ? BitmapFbConfig() : FbConfig(); }

struct Attributes {
    int depth = 0;
    int stencil = 0;
};

Attributes ConfigAttributes(int format) {
    Attributes a;
    Display* display = XDisplay();
    GLXFBConfig config = display ? ConfigOf(format) : nullptr;
    if (config) {
        glXGetFBConfigAttrib(display, config, GLX_DEPTH_SIZE, &a.depth);
        glXGetFBConfigAttrib(display, config, GLX_STENCIL_SIZE, &a.stencil);
    }
    return a;
}

// The value of one WGL attribute of a format; false for unknown attributes.
bool FormatAttribute(int format, int attribute, int& value) {
    const bool bitmap = format == kBitmapFormat;
    Attributes config = ConfigAttributes(format);
    switch (attribute) {
        case WGL_NUMBER_PIXEL_FORMATS_ARB: value = FormatCount(); return true;
        case WGL_DRAW_TO_WINDOW_ARB:
        case WGL_DRAW_TO_PBUFFER_ARB:
        case WGL_DOUBLE_BUFFER_ARB:
        case WGL_BIND_TO_TEXTURE_RGB_ARB:
        case WGL_BIND_TO_TEXTURE_RGBA_ARB: value = bitmap ? FALSE : TRUE; return true;
        case WGL_SUPPORT_OPENGL_ARB: value = TRUE; return true;
        case WGL_DRAW_TO_BITMAP_ARB:
        case WGL_SUPPORT_GDI_ARB: value = bitmap ? TRUE : FALSE; return true;
        case WGL_STEREO_ARB:
        case WGL_ALPHA_BITS_ARB:
        case WGL_ALPHA_SHIFT_ARB:
        case WGL_ACCUM_BITS_ARB:
        case WGL_AUX_BUFFERS_ARB:
        case WGL_SAMPLE_BUFFERS_ARB:
        case WGL_SAMPLES_ARB: value = 0; return true;
        case WGL_ACCELERATION_ARB: value = WGL_FULL_ACCELERATION_ARB; return true;
        case WGL_SWAP_METHOD_ARB: value = bitmap ? WGL_SWAP_UNDEFINED_ARB : WGL_SWAP_COPY_ARB; return true;
        case WGL_PIXEL_TYPE_ARB: value = WGL_TYPE_RGBA_ARB; return true;
        case WGL_COLOR_BITS_ARB: value = 24; return true;
        case WGL_RED_BITS_ARB:
        case WGL_GREEN_BITS_ARB:
        case WGL_BLUE_BITS_ARB:
        case WGL_GREEN_SHIFT_ARB: value = 8; return true;
        case WGL_RED_SHIFT_ARB: value = 16; return true;
        case WGL_BLUE_SHIFT_ARB: value = 0; return true;
        case WGL_DEPTH_BITS_ARB: value = config.depth; return true;
        case WGL_STENCIL_BITS_ARB: value = config.stencil; return true;
        case WGL_MAX_PBUFFER_WIDTH_ARB:
        case WGL_MAX_PBUFFER_HEIGHT_ARB: value = bitmap ? 0 : 16384; return true;
        case WGL_MAX_PBUFFER_PIXELS_ARB: value = bitmap ? 0 : 16384 * 16384; return true;
        default: return false;
    }
}

// Whether a format satisfies one requested attribute: sizes are minima, the
// enumerated values must match, unknown attributes do not restrict.
bool Satisfies(int format, int attribute, int requested) {
    int actual = 0;
    if (!FormatAttribute(format, attribute, actual)) return true;
    switch (attribute) {
        case WGL_COLOR_BITS_ARB:
        case WGL_RED_BITS_ARB:
        case WGL_GREEN_BITS_ARB:
        case WGL_BLUE_BITS_ARB:
        case WGL_ALPHA_BITS_ARB:
        case WGL_DEPTH_BITS_ARB:
        case WGL_STENCIL_BITS_ARB:
        case WGL_ACCUM_BITS_ARB:
        case WGL_AUX_BUFFERS_ARB:
        case WGL_SAMPLES_ARB:
        case WGL_SAMPLE_BUFFERS_ARB: return actual >= requested;
        case WGL_ACCELERATION_ARB:
        case WGL_SWAP_METHOD_ARB: return true;  // every method is acceptable
        case WGL_STEREO_ARB: return !requested;
        default:
            if (actual == TRUE || actual == FALSE) return !requested || actual;
            return actual == requested;
    }
}

// Function pointers travel as PROC, as the WGL interface hands them out.
template <typename F>
PROC AsProc(F function) {
    return reinterpret_cast<PROC>(reinterpret_cast<void*>(function));
}

bool IsGlDc(HDC dc) { return WindowOfDc(dc) || PbufferOfDc(dc); }
bool IsMemoryDc(HDC dc) { return gdi::IsGdiDc(dc) && dc->kind == HDC__::kMemory; }

// Reads `height` rows of the current read framebuffer's front buffer from window row
// `drawableHeight - yTop - height` up, as 32-bit BGRA rows from the top.
void ReadFrontPixels(int x, int yTop, int width, int height, int drawableHeight, uint32_t* bgraTopDown) {
    auto bindFramebuffer = GlProc<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    auto bindBuffer = GlProc<PFNGLBINDBUFFERPROC>("glBindBuffer");
    GLint readFramebuffer = 0, readBuffer = 0, packBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (packBuffer) bindBuffer(GL_PIXEL_PACK_BUFFER, 0);  // the pixels go to memory, not to a buffer
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_FRONT);
    glReadPixels(x, drawableHeight - yTop - height, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgraTopDown);
    glPopClientAttrib();
    glReadBuffer(readBuffer);
    if (packBuffer) bindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(packBuffer));
    bindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    // GL rows run from the bottom: turn them top-down.
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bgraTopDown + top * width, bgraTopDown + (top + 1) * width, bgraTopDown + bottom * width);
}

// Whether the context's driver has the ARB assembly programs, whose enables would otherwise run
// them on the pixels written (the same for every context of the process).
bool HasArbPrograms() {
    static const bool has = [] {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        return extensions && std::strstr(extensions, "GL_ARB_fragment_program") &&
               std::strstr(extensions, "GL_ARB_vertex_program");
    }();
    return has;
}

// The fixed-function texture units, whose enables would texture the pixels written.
GLint TextureUnits() {
    static const GLint units = [] {
        GLint count = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &count);
        return std::max<GLint>(count, 1);
    }();
    return units;
}

// Writes the passes (32-bit BGRA rows from the top, `width` x `height`) into the current draw
// framebuffer's front buffer, the top-left corner at (x, yTop) counted from the top of a drawable
// `drawableWidth` x `drawableHeight`. Without `combine` every pixel of the one pass is copied;
// with it only the pixels of a pass whose alpha byte is 0xFF are written, each combined with the
// buffer's by the pass's operation. Everything of the context's state that could change the
// pixels on their way is set aside and put back.
//
// The pixels go as a texture drawn on a rectangle that covers exactly their pixels (nearest
// texel, replace), not through glDrawPixels: this Mesa gives the fragment program current at a
// glDrawPixels a reference to the current vertex attributes for good, after which every display
// list that sets a colour or a normal uploads that program's constants again, so that one GDI
// write into a window would slow every later frame of its context. Each texel reaches its pixel
// unchanged (8-bit channels, no filtering, no dithering), so the pixels written are the same.
// Nothing is written outside the render mode (selection and feedback write no pixels).
void WriteFrontPasses(int x, int yTop, int width, int height, int drawableWidth, int drawableHeight,
                      const FrontPass* passes, int count, bool combine) {
    GLint renderMode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    if (renderMode != GL_RENDER || count <= 0 || width <= 0 || height <= 0) return;
    auto bindFramebuffer = GlProc<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    auto bindBuffer = GlProc<PFNGLBINDBUFFERPROC>("glBindBuffer");
    auto useProgram = GlProc<PFNGLUSEPROGRAMPROC>("glUseProgram");
    auto activeTexture = GlProc<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
    auto bindSampler = GlProc<PFNGLBINDSAMPLERPROC>("glBindSampler");
    GLint drawFramebuffer = 0, program = 0, unpackBuffer = 0, drawBuffer = 0, activeUnit = GL_TEXTURE0;
    GLint texture = 0, sampler = 0, envMode = GL_MODULATE, maxSize = 0, clipPlanes = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_CLIP_PLANES, &clipPlanes);
    if (drawFramebuffer) bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (program) useProgram(0);
    if (unpackBuffer) bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    // What changes below: enables (texture units', texture coordinate generation's and clip
    // planes' included), the colour buffer's state (draw buffer, alpha test, logic operation,
    // colour mask), pixel transfer, the current texture coordinates, polygon mode, viewport and
    // matrix mode. The matrices, unit 0's texture, sampler and environment and the active unit
    // are put back by hand: a push of every group costs more than the write itself.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT |
                 GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    for (GLenum cap : {GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_FOG, GL_DITHER, GL_COLOR_SUM,
                       GL_LIGHTING, GL_CULL_FACE, GL_POLYGON_STIPPLE, GL_POLYGON_SMOOTH, GL_MULTISAMPLE,
                       GL_SAMPLE_ALPHA_TO_COVERAGE, GL_SAMPLE_COVERAGE, GL_RASTERIZER_DISCARD})
        glDisable(cap);
    for (GLint plane = 0; plane < clipPlanes; ++plane) glDisable(GLenum(GL_CLIP_PLANE0 + plane));
    if (HasArbPrograms()) {
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
        glDisable(GL_VERTEX_PROGRAM_ARB);
    }
    const GLint units = TextureUnits();
    for (GLint unit = units - 1; unit >= 0; --unit) {
        if (units > 1) activeTexture(GLenum(GL_TEXTURE0 + unit));
        for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_RECTANGLE})
            if (glIsEnabled(target)) glDisable(target);
    }
    // Unit 0 is active from here on.
    for (GLenum cap : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) glDisable(cap);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    if (bindSampler) glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    if (sampler) bindSampler(0, 0);
    GLfloat matrices[3][16];
    const GLenum stacks[3] = {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE};
    const GLenum reads[3] = {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_TEXTURE_MATRIX};
    for (int i = 0; i < 3; ++i) {
        glGetFloatv(reads[i], matrices[i]);
        glMatrixMode(stacks[i]);
        glLoadIdentity();
    }
    glMatrixMode(GL_PROJECTION);
    glOrtho(0.0, drawableWidth, 0.0, drawableHeight, -1.0, 1.0);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE}) glPixelTransferf(scale, 1.0f);
    for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS}) glPixelTransferf(bias, 0.0f);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    if (combine) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glEnable(GL_COLOR_LOGIC_OP);
    } else {
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_COLOR_LOGIC_OP);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    if (drawBuffer != GL_FRONT) glDrawBuffer(GL_FRONT);

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    // Tiles no larger than a texture may be; rows of the texture run from the top.
    const int tile = std::max<GLint>(maxSize, 64);
    for (int top = 0; top < height; top += tile)
        for (int left = 0; left < width; left += tile) {
            const int w = std::min(tile, width - left), h = std::min(tile, height - top);
            const int x0 = x + left, y0 = drawableHeight - yTop - top;  // the tile's top-left corner
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, left);
            glPixelStorei(GL_UNPACK_SKIP_ROWS, top);
            for (int i = 0; i < count; ++i) {
                if (combine) {
                    const FrontPass::Op op = passes[i].op;
                    glLogicOp(op == FrontPass::kAnd ? GL_AND : op == FrontPass::kXor ? GL_XOR : GL_COPY);
                }
                glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, passes[i].bgraTopDown);
                glBegin(GL_QUADS);
                glTexCoord2f(0.0f, 0.0f);
                glVertex2i(x0, y0);
                glTexCoord2f(0.0f, 1.0f);
                glVertex2i(x0, y0 - h);
                glTexCoord2f(1.0f, 1.0f);
                glVertex2i(x0 + w, y0 - h);
                glTexCoord2f(1.0f, 0.0f);
                glVertex2i(x0 + w, y0);
                glEnd();
            }
        }
    glDeleteTextures(1, &name);

    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
    if (sampler) bindSampler(0, GLuint(sampler));
    for (int i = 0; i < 3; ++i) {
        glMatrixMode(stacks[i]);
        glLoadMatrixf(matrices[i]);
    }
    glPopClientAttrib();
    glPopAttrib();
    if (units > 1) activeTexture(GLenum(activeUnit));
    if (unpackBuffer) bindBuffer(GL_PIXEL_UNPACK_BUFFER, GLuint(unpackBuffer));
    if (program) useProgram(GLuint(program));
    if (drawFramebuffer) bindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawFramebuffer));
}

// Writes 32-bit BGRA rows from the top into the current draw framebuffer's front buffer, the
// top-left corner at (x, yTop) counted from the top of a drawable `drawableWidth` x
// `drawableHeight`, and flushes.
void WriteFrontPixels(int x, int yTop, int width, int height, int drawableWidth, int drawableHeight,
                      const uint32_t* bgraTopDown) {
    const FrontPass copy{FrontPass::kCopy, bgraTopDown};
    WriteFrontPasses(x, yTop, width, height, drawableWidth, drawableHeight, &copy, 1, false);
    glFlush();
}

// Applies the passes to the current draw framebuffer's front buffer, the top-left corner at
// (x, yTop) counted from the top of a drawable `drawableWidth` x `drawableHeight`.
void CombineFrontPixels(int x, int yTop, int width, int height, int drawableWidth, int drawableHeight,
                        const FrontPass* passes, int count) {
    WriteFrontPasses(x, yTop, width, height, drawableWidth, drawableHeight, passes, count, true);
}

// The bitmap of a memory DC that a context is current on, when OpenGL draws into it; null otherwise.
HBITMAP CurrentGlBitmap(HDC dc) {
    if (!dc || dc != sCurrentDc || !sCurrentContext || !IsMemoryDc(dc) || !dc->drawable) return nullptr;
    HBITMAP bitmap = gdi::SelectedBitmap(dc);
    return bitmap->stock ? nullptr : bitmap;  // the shared 1x1 bitmap is never written
}

// Gives a memory DC a GL surface of its selected bitmap's size (a new one when the size
// changed); a context current on the old surface moves to the new one. False when the surface
// cannot be made.
bool EnsureGlSurface(HDC dc) {
    HBITMAP bitmap = gdi::SelectedBitmap(dc);
    if (dc->drawable && dc->surfaceWidth == bitmap->width && dc->surfaceHeight == bitmap->height) return true;
    Display* display = XDisplay();
    GLXFBConfig config = BitmapFbConfig();
    if (!display || !config) return false;
    const int attributes[] = {GLX_PBUFFER_WIDTH, bitmap->width, GLX_PBUFFER_HEIGHT, bitmap->height,
                              GLX_PRESERVED_CONTENTS, True, None};
    GLXPbuffer surface = glXCreatePbuffer(display, config, attributes);
    XSync(display, False);
    if (!surface) return false;
    GLXDrawable old = dc->drawable;
    if (old) {
        if (dc == sCurrentDc && sCurrentContext) MakeCurrentRaw(surface, surface, sCurrentContext->context);
        glXDestroyPbuffer(display, old);
    }
    dc->drawable = surface;
    dc->surfaceWidth = bitmap->width;
    dc->surfaceHeight = bitmap->height;
    return true;
}

// The picture of the bitmap as 0x00RRGGBB rows from the top.
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap) {
    std::vector<uint32_t> pixels(size_t(bitmap->width) * bitmap->height);
    gdi::PixelView view = gdi::ViewOf(bitmap);
    for (int y = 0; y < bitmap->height; ++y) {
        const uint8_t* row = view.Row(y);
        for (int x = 0; x < bitmap->width; ++x) pixels[size_t(y) * bitmap->width + x] = view.Get(row, x);
    }
    return pixels;
}

}  // namespace

bool IsLiveContext(HGLRC context) { return context && sContexts.count(context); }
bool IsLivePbuffer(HPBUFFERARB pbuffer) { return pbuffer && sPbuffers.count(pbuffer); }

bool IsPbufferDrawable(GLXDrawable drawable) {
    for (HPBUFFERARB pbuffer : sPbuffers)
        if (pbuffer->pbuffer == drawable) return true;
    return false;
}

bool IsWindowConfigContext(GLXContext context) {
    if (!context) return false;
    if (context == RootContext()) return true;
    for (HGLRC each : sContexts)
        if (each->context == context) return each->format == kFormat;
    return false;
}

HPBUFFERARB PbufferOfDc(HDC dc) {
    if (!dc) return nullptr;
    for (HPBUFFERARB pbuffer : sPbuffers)
        if (&pbuffer->dc == dc) return pbuffer;
    return nullptr;
}

bool PbufferSize(HDC dc, int& width, int& height) {
    HPBUFFERARB pbuffer = PbufferOfDc(dc);
    if (!pbuffer) return false;
    width = pbuffer->width;
    height = pbuffer->height;
    return true;
}

GLXDrawable DcDrawable(HDC dc) { return IsGlDc(dc) ? dc->drawable : 0; }

int DcPixelFormat(HDC dc) {
    if (HWND window = WindowOfDc(dc)) return window->pixelFormat;
    if (PbufferOfDc(dc)) return kFormat;
    return IsMemoryDc(dc) ? dc->pixelFormat : 0;
}

HGLRC CurrentContext() { return sCurrentContext; }
HDC CurrentDc() { return sCurrentDc; }

void DrawableChanging(GLXDrawable drawable, bool rebind) {
    if (!drawable || !sCurrentContext || !sCurrentDc) return;
    const bool draws = sCurrentDc->drawable == drawable;
    const bool reads = sCurrentReadDc && sCurrentReadDc != sCurrentDc && sCurrentReadDc->drawable == drawable;
    if (!draws && !reads) return;
    MakeCurrentRaw(0, 0, nullptr);
    if (rebind) {
        MakeCurrentRaw(sCurrentDc->drawable, sCurrentReadDc->drawable, sCurrentContext->context);
    } else if (!draws) {
        // The surface read from goes: the context reads from the one it draws into.
        sCurrentReadDc = sCurrentDc;
        MakeCurrentRaw(sCurrentDc->drawable, sCurrentDc->drawable, sCurrentContext->context);
    } else {
        sCurrentContext->mayHoldLists = true;
        sCurrentContext = nullptr;
        sCurrentDc = sCurrentReadDc = nullptr;
    }
}

void DrawableReplaced(GLXDrawable old, GLXDrawable fresh) {
    GLXContext context = glXGetCurrentContext();
    if (!context || glXGetCurrentDrawable() != old) return;
    GLXDrawable read = glXGetCurrentReadDrawable();
    MakeCurrentRaw(fresh, read == old ? fresh : read, context);
}

bool ReadDrawablePixels(HDC dc, int x, int yTop, int width, int height, uint32_t* bgraTopDown) {
    int drawableWidth = 0, drawableHeight = 0;
    GLXDrawable drawable = DcDrawable(dc);
    if (!drawable || !bgraTopDown || width <= 0 || height <= 0 || !DrawableSize(dc, drawableWidth, drawableHeight))
        return false;
    return WithDrawableCurrent(drawable,
                               [&] { ReadFrontPixels(x, yTop, width, height, drawableHeight, bgraTopDown); });
}

bool WriteDrawablePixels(HDC dc, int x, int yTop, int width, int height, const uint32_t* bgraTopDown) {
    int drawableWidth = 0, drawableHeight = 0;
    GLXDrawable drawable = DcDrawable(dc);
    if (!drawable || !bgraTopDown || width <= 0 || height <= 0 || !DrawableSize(dc, drawableWidth, drawableHeight))
        return false;
    return WithDrawableCurrent(drawable,
                               [&] { WriteFrontPixels(x, yTop, width, height, drawableWidth, drawableHeight, bgraTopDown); });
}

bool CombineDrawablePixels(HDC dc, int x, int yTop, int width, int height, const FrontPass* passes, int count,
                           bool& throughCurrent) {
    int drawableWidth = 0, drawableHeight = 0;
    GLXDrawable drawable = DcDrawable(dc);
    throughCurrent = false;
    if (!drawable || !passes || count <= 0 || width <= 0 || height <= 0 ||
        !DrawableSize(dc, drawableWidth, drawableHeight))
        return false;
    throughCurrent = DrawableIsCurrent(dc);
    if (throughCurrent) {
        CombineFrontPixels(x, yTop, width, height, drawableWidth, drawableHeight, passes, count);
        return true;
    }
    return WithDrawableCurrent(drawable, [&] {
        CombineFrontPixels(x, yTop, width, height, drawableWidth, drawableHeight, passes, count);
        glFlush();
    });
}

bool DrawableIsCurrent(HDC dc) {
    // What wglMakeCurrent made current is what GLX has current, but inside this library's own
    // short switches, which put it back before they return.
    return dc && dc == sCurrentDc && sCurrentContext && sCurrentContext->format == kFormat && dc->drawable &&
           IsGlDc(dc);
}

bool FlushDrawable(HDC dc) {
    GLXDrawable drawable = DcDrawable(dc);
    return drawable && WithDrawableCurrent(drawable, [] { glFlush(); });
}

void GlSurfaceToBitmap(HDC dc) {
    HBITMAP bitmap = CurrentGlBitmap(dc);
    if (!bitmap) return;
    int width = std::min(bitmap->width, dc->surfaceWidth), height = std::min(bitmap->height, dc->surfaceHeight);
    std::vector<uint32_t> pixels(size_t(width) * height);
    ReadFrontPixels(0, 0, width, height, dc->surfaceHeight, pixels.data());
    gdi::PixelView view = gdi::ViewOf(bitmap);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = view.Row(y);
        for (int x = 0; x < width; ++x) view.Put(row, x, pixels[size_t(y) * width + x] & gdi::kWhite);
    }
}

void BitmapToGlSurface(HDC dc) {
    HBITMAP bitmap = CurrentGlBitmap(dc);
    if (!bitmap || bitmap->width != dc->surfaceWidth || bitmap->height != dc->surfaceHeight) return;
    std::vector<uint32_t> pixels = BitmapPixels(bitmap);
    for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
    WriteFrontPixels(0, 0, bitmap->width, bitmap->height, bitmap->width, bitmap->height, pixels.data());
}

void GlSurfaceBitmapChanged(HDC dc) {
    if (!dc || dc != sCurrentDc || !sCurrentContext || !IsMemoryDc(dc)) return;
    if (!EnsureGlSurface(dc)) {
        // No surface of the new size: the context cannot stay current on the DC.
        LogLine("cannot make a GL surface of %dx%d pixels for a memory DC; its context was released",
                gdi::SelectedBitmap(dc)->width, gdi::SelectedBitmap(dc)->height);
        wglMakeCurrent(nullptr, nullptr);
        return;
    }
    BitmapToGlSurface(dc);
}

void DestroyGlSurface(HDC dc) {
    if (!dc || !IsMemoryDc(dc)) return;
    if (dc == sCurrentDc) wglMakeCurrent(nullptr, nullptr);  // the bitmap keeps the picture
    if (dc->drawable && XDisplay()) glXDestroyPbuffer(XDisplay(), dc->drawable);
    dc->drawable = 0;
    dc->surfaceWidth = dc->surfaceHeight = 0;
}

}  // namespace vyrwin

using namespace vyrwin;

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    if (!(IsGlDc(dc) || IsMemoryDc(dc)) || !pfd) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (pfd->iPixelType != PFD_TYPE_RGBA) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    if (!IsMemoryDc(dc)) return kFormat;
    if (!IsFormat(kBitmapFormat)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    return kBitmapFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (IsMemoryDc(dc)) {
        if (!IsFormat(format) || format != kBitmapFormat || (dc->pixelFormat && dc->pixelFormat != format)) {
            SetLastError(ERROR_INVALID_PIXEL_FORMAT);
            return FALSE;
        }
        dc->pixelFormat = format;
        return TRUE;
    }
    if (format != kFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (PbufferOfDc(dc)) return TRUE;
    HWND window = WindowOfDc(dc);
    if (!window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    window->pixelFormat = format;
    return TRUE;
}

int GetPixelFormat(HDC dc) { return DcPixelFormat(dc); }

int DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
    if (!(IsGlDc(dc) || IsMemoryDc(dc)) || !FbConfig()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pfd) return FormatCount();
    if (!IsFormat(format) || size < sizeof(PIXELFORMATDESCRIPTOR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Attributes config = ConfigAttributes(format);
    std::memset(pfd, 0, sizeof *pfd);
    pfd->nSize = sizeof *pfd;
    pfd->nVersion = 1;
    // A true-colour display: no format ever needs a palette (PFD_NEED_PALETTE stays clear).
    if (format == kBitmapFormat)
        pfd->dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI;
    else
        pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_SWAP_COPY;
    pfd->iPixelType = PFD_TYPE_RGBA;
    pfd->cColorBits = 24;
    pfd->cRedBits = pfd->cGreenBits = pfd->cBlueBits = 8;
    pfd->cRedShift = 16;
    pfd->cGreenShift = 8;
    pfd->cBlueShift = 0;
    pfd->cDepthBits = static_cast<BYTE>(config.depth);
    pfd->cStencilBits = static_cast<BYTE>(config.stencil);
    pfd->iLayerType = PFD_MAIN_PLANE;
    return FormatCount();
}

HGLRC wglCreateContext(HDC dc) {
    int format = (IsGlDc(dc) || IsMemoryDc(dc)) ? DcPixelFormat(dc) : 0;
    if (!IsFormat(format)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    GLXContext root = RootContext();
    if (!root) return nullptr;
    GLXContext context = CreateContext(ConfigOf(format), root);
    if (!context) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGLRC result = new HGLRC__{context, format, ++sLastListSpace, false};
    sContexts.insert(result);
    return result;
}

HGLRC VyrGetLastingContext() {
    static HGLRC sLasting = nullptr;
    if (IsLiveContext(sLasting)) return sLasting;
    GLXContext root = RootContext();
    GLXContext context = root ? CreateContext(FbConfig(), root) : nullptr;
    if (!context) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    sLasting = new HGLRC__{context, kFormat, ++sLastListSpace, true, true};
    sContexts.insert(sLasting);
    return sLasting;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!IsLiveContext(context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (context->lasting) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (context == sCurrentContext) wglMakeCurrent(nullptr, nullptr);
    glXDestroyContext(XDisplay(), context->context);
    sContexts.erase(context);
    delete context;
    return TRUE;
}

namespace {

// Releases the current context (a bitmap it drew into keeps the picture).
void ReleaseCurrent() {
    GlSurfaceToBitmap(sCurrentDc);  // a bitmap keeps what OpenGL drew into it
    if (sCurrentContext) {
        MakeCurrentRaw(0, 0, nullptr);
        sCurrentContext->mayHoldLists = true;  // it may have made lists while current
    }
    sCurrentContext = nullptr;
    sCurrentDc = sCurrentReadDc = nullptr;
}

// Makes `context` (live, not null) current, drawing into `draw` and reading from `read`; the
// caller has checked both DCs. A memory DC (only ever as both) gets its GL surface first.
BOOL BindCurrent(HDC draw, HDC read, HGLRC context) {
    const bool memory = IsMemoryDc(draw);
    if (context == sCurrentContext && draw == sCurrentDc && read == sCurrentReadDc &&
        glXGetCurrentContext() == context->context)
        return TRUE;
    FlushAllDcPixels();  // OpenGL sees what GDI drew into windows while no context was on them
    GlSurfaceToBitmap(sCurrentDc);
    if (memory && !EnsureGlSurface(draw)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (!MakeCurrentRaw(draw->drawable, read->drawable, context->context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (sCurrentContext && sCurrentContext != context) sCurrentContext->mayHoldLists = true;
    sCurrentContext = context;
    sCurrentDc = draw;
    sCurrentReadDc = read;
    if (memory) BitmapToGlSurface(draw);  // OpenGL starts from what the bitmap holds
    return TRUE;
}

// Whether `context` may be made current on `dc`: SetLastError and false when not.
bool CanBind(HDC dc, HGLRC context) {
    if (!IsLiveContext(context) || !(IsGlDc(dc) || IsMemoryDc(dc))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (DcPixelFormat(dc) != context->format) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return false;
    }
    return true;
}

}  // namespace

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (context) ++sMakeCurrentCount;
    if (!context) {
        ReleaseCurrent();
        return TRUE;
    }
    if (!CanBind(dc, context)) return FALSE;
    return BindCurrent(dc, dc, context);
}

BOOL wglMakeContextCurrentARB(HDC drawDc, HDC readDc, HGLRC context) {
    if (!context) {
        ReleaseCurrent();
        return TRUE;
    }
    if (!CanBind(drawDc, context) || !CanBind(readDc, context)) {
        if (GetLastError() == ERROR_INVALID_PIXEL_FORMAT) SetLastError(ERROR_INVALID_PIXEL_TYPE_ARB);
        return FALSE;
    }
    if (drawDc != readDc && (IsMemoryDc(drawDc) || IsMemoryDc(readDc))) {
        // A bitmap's surface is one buffer that GDI shares: OpenGL reads and draws it as one DC.
        SetLastError(ERROR_INCOMPATIBLE_DEVICE_CONTEXTS_ARB);
        return FALSE;
    }
    return BindCurrent(drawDc, readDc, context);
}

HDC wglGetCurrentReadDCARB() { return sCurrentReadDc; }

UINT VyrGetMakeCurrentCount() { return sMakeCurrentCount; }

HGLRC wglGetCurrentContext() { return sCurrentContext; }
HDC wglGetCurrentDC() { return sCurrentDc; }

BOOL wglShareLists(HGLRC first, HGLRC second) {
    if (!IsLiveContext(first) || !IsLiveContext(second)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (first->listSpace == second->listSpace) return TRUE;
    // As WGL: the second context must hold no display lists of its own, so that nothing is lost
    // when it takes the first one's space.
    if (second->mayHoldLists) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    second->listSpace = first->listSpace;
    first->mayHoldLists = second->mayHoldLists = true;
    return TRUE;
}

PROC wglGetProcAddress(LPCSTR name) {
    if (!name) return nullptr;
    static const struct {
        const char* name;
        PROC proc;
    } kWgl[] = {
        {"wglGetExtensionsStringARB", AsProc(wglGetExtensionsStringARB)},
        {"wglChoosePixelFormatARB", AsProc(wglChoosePixelFormatARB)},
        {"wglGetPixelFormatAttribivARB", AsProc(wglGetPixelFormatAttribivARB)},
        {"wglGetPixelFormatAttribfvARB", AsProc(wglGetPixelFormatAttribfvARB)},
        {"wglCreatePbufferARB", AsProc(wglCreatePbufferARB)},
        {"wglGetPbufferDCARB", AsProc(wglGetPbufferDCARB)},
        {"wglReleasePbufferDCARB", AsProc(wglReleasePbufferDCARB)},
        {"wglDestroyPbufferARB", AsProc(wglDestroyPbufferARB)},
        {"wglQueryPbufferARB", AsProc(wglQueryPbufferARB)},
        {"wglBindTexImageARB", AsProc(wglBindTexImageARB)},
        {"wglReleaseTexImageARB", AsProc(wglReleaseTexImageARB)},
        {"wglSetPbufferAttribARB", AsProc(wglSetPbufferAttribARB)},
        {"wglMakeContextCurrentARB", AsProc(wglMakeContextCurrentARB)},
        {"wglGetCurrentReadDCARB", AsProc(wglGetCurrentReadDCARB)},
    };
    for (const auto& entry : kWgl)
        if (std::strcmp(entry.name, name) == 0) return entry.proc;
    if (std::strncmp(name, "wgl", 3) == 0) return nullptr;
    return AsProc(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

BOOL SwapBuffers(HDC dc) {
    if (IsMemoryDc(dc)) {
        // One buffer, the bitmap: nothing to swap; the picture so far goes to the bitmap.
        if (DcPixelFormat(dc) != kBitmapFormat) {
            SetLastError(ERROR_INVALID_PIXEL_FORMAT);
            return FALSE;
        }
        GlSurfaceToBitmap(dc);
        return TRUE;
    }
    int width = 0, height = 0;
    GLXDrawable drawable = DcDrawable(dc);
    if (!drawable || !DrawableSize(dc, width, height)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (DcPixelFormat(dc) != kFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    DropDcPixels(dc);  // every pixel of its front buffer is about to be replaced
    FlushAllDcPixels();  // a frame is presented: the other windows show what GDI drew into them
    auto bindFramebuffer = GlProc<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    auto blit = GlProc<PFNGLBLITFRAMEBUFFERPROC>("glBlitFramebuffer");
    // A blit rather than a GLX swap: the front buffer must hold the picture
    // afterwards, since highlights are drawn straight into it and read back.
    bool done = WithDrawableCurrent(drawable, [&] {
        GLint readFramebuffer = 0, drawFramebuffer = 0, readBuffer = 0, drawBuffer = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
        bindFramebuffer(GL_FRAMEBUFFER, 0);
        glGetIntegerv(GL_READ_BUFFER, &readBuffer);
        glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
        GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        glReadBuffer(GL_BACK);
        glDrawBuffer(GL_FRONT);
        blit(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glFlush();
        if (scissor) glEnable(GL_SCISSOR_TEST);
        glReadBuffer(readBuffer);
        glDrawBuffer(drawBuffer);
        bindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
        bindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
    });
    return done ? TRUE : FALSE;
}

const char* wglGetExtensionsStringARB(HDC) {
    if (const char* chosen = std::getenv("VYR_WGL_EXTENSIONS")) return chosen;
    return "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture "
           "WGL_ARB_make_current_read";
}

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttribs, const FLOAT*, UINT maxFormats, int* formats,
                             UINT* numFormats) {
    if (!(IsGlDc(dc) || IsMemoryDc(dc)) || !numFormats || (maxFormats && !formats)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    UINT found = 0;
    for (int format = 1; FbConfig() && format <= FormatCount(); ++format) {
        bool ok = true;
        for (const int* a = intAttribs; ok && a && a[0]; a += 2) ok = Satisfies(format, a[0], a[1]);
        if (!ok) continue;
        if (found < maxFormats) formats[found] = format;
        ++found;
    }
    *numFormats = found;
    return TRUE;
}

BOOL wglGetPixelFormatAttribivARB(HDC dc, int format, int, UINT count, const int* attributes, int* values) {
    if (!(IsGlDc(dc) || IsMemoryDc(dc)) || (count && (!attributes || !values))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (UINT i = 0; i < count; ++i) {
        if (attributes[i] == WGL_NUMBER_PIXEL_FORMATS_ARB) {
            values[i] = FormatCount();
            continue;
        }
        if (!IsFormat(format) || !FormatAttribute(format, attributes[i], values[i])) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL wglGetPixelFormatAttribfvARB(HDC dc, int format, int layer, UINT count, const int* attributes, FLOAT* values) {
    if (!IsGlDc(dc) || (count && (!attributes || !values))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<int> integers(count);
    if (!wglGetPixelFormatAttribivARB(dc, format, layer, count, attributes, integers.data())) return FALSE;
    for (UINT i = 0; i < count; ++i) values[i] = static_cast<FLOAT>(integers[i]);
    return TRUE;
}

HPBUFFERARB wglCreatePbufferARB(HDC dc, int format, int width, int height, const int* attribs) {
    if (!IsGlDc(dc) || format != kFormat || width <= 0 || height <= 0 || !RootContext()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int largest = 0, textureFormat = WGL_NO_TEXTURE_ARB, textureTarget = WGL_NO_TEXTURE_ARB;
    for (const int* a = attribs; a && a[0]; a += 2) {
        if (a[0] == WGL_PBUFFER_LARGEST_ARB) largest = a[1];
        if (a[0] == WGL_TEXTURE_FORMAT_ARB) textureFormat = a[1];
        if (a[0] == WGL_TEXTURE_TARGET_ARB) textureTarget = a[1];
    }
    const int glxAttributes[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, GLX_PRESERVED_CONTENTS, True,
                                 GLX_LARGEST_PBUFFER, largest ? True : False, None};
    GLXPbuffer pbuffer = glXCreatePbuffer(XDisplay(), FbConfig(), glxAttributes);
    XSync(XDisplay(), False);
    if (!pbuffer) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* result = new HPBUFFERARB__;
    result->pbuffer = pbuffer;
    unsigned int actualWidth = width, actualHeight = height;
    glXQueryDrawable(XDisplay(), pbuffer, GLX_WIDTH, &actualWidth);
    glXQueryDrawable(XDisplay(), pbuffer, GLX_HEIGHT, &actualHeight);
    result->width = static_cast<int>(actualWidth);
    result->height = static_cast<int>(actualHeight);
    result->textureFormat = textureFormat;
    result->textureTarget = textureTarget;
    result->dc.kind = HDC__::kPbuffer;
    result->dc.pbuffer = result;
    result->dc.drawable = pbuffer;
    sPbuffers.insert(result);
    return result;
}

HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer) {
    if (!IsLivePbuffer(pbuffer)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    pbuffer->dcOut = true;
    return &pbuffer->dc;
}

int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc) {
    if (!IsLivePbuffer(pbuffer) || dc != &pbuffer->dc) {
        SetLastError(ERROR_DC_NOT_FOUND);
        return 0;
    }
    pbuffer->dcOut = false;
    return 1;
}

BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer) {
    if (!IsLivePbuffer(pbuffer)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DrawableChanging(pbuffer->pbuffer, false);
    ReleaseDcObjects(&pbuffer->dc);
    glXDestroyPbuffer(XDisplay(), pbuffer->pbuffer);
    sPbuffers.erase(pbuffer);
    delete pbuffer;
    return TRUE;
}

BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value) {
    if (!IsLivePbuffer(pbuffer) || !value) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    switch (attribute) {
        case WGL_PBUFFER_WIDTH_ARB: *value = pbuffer->width; return TRUE;
        case WGL_PBUFFER_HEIGHT_ARB: *value = pbuffer->height; return TRUE;
        case WGL_PBUFFER_LOST_ARB: *value = 0; return TRUE;  // GLX pbuffers with preserved contents are never lost
        case WGL_TEXTURE_FORMAT_ARB: *value = pbuffer->textureFormat; return TRUE;
        case WGL_TEXTURE_TARGET_ARB: *value = pbuffer->textureTarget; return TRUE;
        case WGL_MIPMAP_TEXTURE_ARB: *value = 0; return TRUE;
        default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

BOOL wglBindTexImageARB(HPBUFFERARB pbuffer, int buffer) {
    if (!IsLivePbuffer(pbuffer) || (buffer != WGL_FRONT_LEFT_ARB && buffer != WGL_BACK_LEFT_ARB)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    GLXContext context = glXGetCurrentContext();
    if (!context) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Read from the pbuffer while the current drawable stays the draw target.
    GLXDrawable draw = glXGetCurrentDrawable();
    GLXDrawable read = glXGetCurrentReadDrawable();
    if (!MakeCurrentRaw(draw, pbuffer->pbuffer, context)) return FALSE;
    auto bindFramebuffer = GlProc<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    GLint readFramebuffer = 0, readBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(buffer == WGL_FRONT_LEFT_ARB ? GL_FRONT : GL_BACK);
    GLenum internal = pbuffer->textureFormat == WGL_TEXTURE_RGBA_ARB ? GL_RGBA : GL_RGB;
    glCopyTexImage2D(GL_TEXTURE_2D, pbuffer->mipmapLevel, internal, 0, 0, pbuffer->width, pbuffer->height, 0);
    glReadBuffer(readBuffer);
    bindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    MakeCurrentRaw(draw, read, context);
    return TRUE;
}

BOOL wglReleaseTexImageARB(HPBUFFERARB pbuffer, int buffer) {
    if (!IsLivePbuffer(pbuffer) || (buffer != WGL_FRONT_LEFT_ARB && buffer != WGL_BACK_LEFT_ARB)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL wglSetPbufferAttribARB(HPBUFFERARB pbuffer, const int* attribs) {
    if (!IsLivePbuffer(pbuffer) || pbuffer->textureFormat == WGL_NO_TEXTURE_ARB) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int level = pbuffer->mipmapLevel;
    for (const int* a = attribs; a && a[0]; a += 2) {
        if (a[0] != WGL_MIPMAP_LEVEL_ARB || a[1] < 0) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        level = a[1];
    }
    pbuffer->mipmapLevel = level;
    return TRUE;
}
