// Pixel formats, OpenGL contexts, buffer swaps and the ARB pixel-format,
// pbuffer and render-to-texture extensions, over GLX.
//
// There are two pixel formats, both RGBA with 8-8-8 colour bits, no alpha and 32
// depth bits, neither needing a palette (the display is true-colour):
// - format 1, double-buffered, for windows and pbuffers;
// - format 2, single-buffered, for memory DCs: OpenGL draws into the bitmap
//   selected into the DC (PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI).
// A context is made for the format of its DC and can be made current only on DCs
// of that format. Every context shares display lists (and textures and buffers)
// with a hidden root context, so all contexts share with each other from the
// start. SwapBuffers copies the back buffer into the front buffer and leaves the
// back buffer as it was.
//
// Drawing into a bitmap: a context current on a memory DC draws into a GL surface
// (a GLX pbuffer) of the selected bitmap's size, and the stand-in keeps the two
// one picture. While the context is current, GDI calls that read the bitmap
// (GetDIBits, BitBlt and StretchBlt from the DC) first fetch the picture from
// OpenGL, and GDI calls that write into it pass the result on to OpenGL; releasing
// the context (or making another current) leaves the picture in the bitmap, and
// making a context current on the DC starts OpenGL from the bitmap's pixels.
// Selecting another bitmap moves the surface to its size; deleting the DC releases
// a context current on it. Only the pixels of a DIB section read directly through
// its bits pointer are not fetched: they are up to date once the context is
// released or GDI read the bitmap.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};
typedef PIXELFORMATDESCRIPTOR* LPPIXELFORMATDESCRIPTOR;

#define PFD_TYPE_RGBA 0
#define PFD_TYPE_COLORINDEX 1
#define PFD_MAIN_PLANE 0
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_STEREO 0x00000002
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_DRAW_TO_BITMAP 0x00000008
#define PFD_SUPPORT_GDI 0x00000010
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_GENERIC_FORMAT 0x00000040
#define PFD_NEED_PALETTE 0x00000080
#define PFD_SWAP_EXCHANGE 0x00000200
#define PFD_SWAP_COPY 0x00000400
#define PFD_GENERIC_ACCELERATED 0x00001000
#define PFD_DEPTH_DONTCARE 0x20000000
#define PFD_DOUBLEBUFFER_DONTCARE 0x40000000

// WGL_ARB_pixel_format
#define WGL_NUMBER_PIXEL_FORMATS_ARB 0x2000
#define WGL_DRAW_TO_WINDOW_ARB 0x2001
#define WGL_DRAW_TO_BITMAP_ARB 0x2002
#define WGL_ACCELERATION_ARB 0x2003
#define WGL_SUPPORT_GDI_ARB 0x200F
#define WGL_SUPPORT_OPENGL_ARB 0x2010
#define WGL_DOUBLE_BUFFER_ARB 0x2011
#define WGL_STEREO_ARB 0x2012
#define WGL_PIXEL_TYPE_ARB 0x2013
#define WGL_COLOR_BITS_ARB 0x2014
#define WGL_RED_BITS_ARB 0x2015
#define WGL_RED_SHIFT_ARB 0x2016
#define WGL_GREEN_BITS_ARB 0x2017
#define WGL_GREEN_SHIFT_ARB 0x2018
#define WGL_BLUE_BITS_ARB 0x2019
#define WGL_BLUE_SHIFT_ARB 0x201A
#define WGL_ALPHA_BITS_ARB 0x201B
#define WGL_ALPHA_SHIFT_ARB 0x201C
#define WGL_ACCUM_BITS_ARB 0x201D
#define WGL_DEPTH_BITS_ARB 0x2022
#define WGL_STENCIL_BITS_ARB 0x2023
#define WGL_AUX_BUFFERS_ARB 0x2024
#define WGL_SWAP_METHOD_ARB 0x2007
#define WGL_NO_ACCELERATION_ARB 0x2025
#define WGL_GENERIC_ACCELERATION_ARB 0x2026
#define WGL_FULL_ACCELERATION_ARB 0x2027
#define WGL_SWAP_EXCHANGE_ARB 0x2028
#define WGL_SWAP_COPY_ARB 0x2029
#define WGL_SWAP_UNDEFINED_ARB 0x202A
#define WGL_TYPE_RGBA_ARB 0x202B
#define WGL_TYPE_COLORINDEX_ARB 0x202C
#define WGL_SAMPLE_BUFFERS_ARB 0x2041
#define WGL_SAMPLES_ARB 0x2042
// WGL_ARB_pbuffer
#define WGL_DRAW_TO_PBUFFER_ARB 0x202D
#define WGL_MAX_PBUFFER_PIXELS_ARB 0x202E
#define WGL_MAX_PBUFFER_WIDTH_ARB 0x202F
#define WGL_MAX_PBUFFER_HEIGHT_ARB 0x2030
#define WGL_PBUFFER_LARGEST_ARB 0x2033
#define WGL_PBUFFER_WIDTH_ARB 0x2034
#define WGL_PBUFFER_HEIGHT_ARB 0x2035
#define WGL_PBUFFER_LOST_ARB 0x2036
// WGL_ARB_render_texture
#define WGL_BIND_TO_TEXTURE_RGB_ARB 0x2070
#define WGL_BIND_TO_TEXTURE_RGBA_ARB 0x2071
#define WGL_TEXTURE_FORMAT_ARB 0x2072
#define WGL_TEXTURE_TARGET_ARB 0x2073
#define WGL_MIPMAP_TEXTURE_ARB 0x2074
#define WGL_TEXTURE_RGB_ARB 0x2075
#define WGL_TEXTURE_RGBA_ARB 0x2076
#define WGL_NO_TEXTURE_ARB 0x2077
#define WGL_TEXTURE_CUBE_MAP_ARB 0x2078
#define WGL_TEXTURE_1D_ARB 0x2079
#define WGL_TEXTURE_2D_ARB 0x207A
#define WGL_MIPMAP_LEVEL_ARB 0x207B
#define WGL_CUBE_MAP_FACE_ARB 0x207C
#define WGL_FRONT_LEFT_ARB 0x2083
#define WGL_FRONT_RIGHT_ARB 0x2084
#define WGL_BACK_LEFT_ARB 0x2085
#define WGL_BACK_RIGHT_ARB 0x2086
// WGL_ARB_make_current_read
#define ERROR_INVALID_PIXEL_TYPE_ARB 0x2043
#define ERROR_INCOMPATIBLE_DEVICE_CONTEXTS_ARB 0x2054

typedef const char*(APIENTRY* PFNWGLGETEXTENSIONSSTRINGARBPROC)(HDC dc);
typedef BOOL(APIENTRY* PFNWGLCHOOSEPIXELFORMATARBPROC)(HDC dc, const int* intAttribs, const FLOAT* floatAttribs,
                                                       UINT maxFormats, int* formats, UINT* numFormats);
typedef BOOL(APIENTRY* PFNWGLGETPIXELFORMATATTRIBIVARBPROC)(HDC dc, int format, int layer, UINT count,
                                                            const int* attributes, int* values);
typedef BOOL(APIENTRY* PFNWGLGETPIXELFORMATATTRIBFVARBPROC)(HDC dc, int format, int layer, UINT count,
                                                            const int* attributes, FLOAT* values);
typedef HPBUFFERARB(APIENTRY* PFNWGLCREATEPBUFFERARBPROC)(HDC dc, int format, int width, int height,
                                                          const int* attribs);
typedef HDC(APIENTRY* PFNWGLGETPBUFFERDCARBPROC)(HPBUFFERARB pbuffer);
typedef int(APIENTRY* PFNWGLRELEASEPBUFFERDCARBPROC)(HPBUFFERARB pbuffer, HDC dc);
typedef BOOL(APIENTRY* PFNWGLDESTROYPBUFFERARBPROC)(HPBUFFERARB pbuffer);
typedef BOOL(APIENTRY* PFNWGLQUERYPBUFFERARBPROC)(HPBUFFERARB pbuffer, int attribute, int* value);
typedef BOOL(APIENTRY* PFNWGLBINDTEXIMAGEARBPROC)(HPBUFFERARB pbuffer, int buffer);
typedef BOOL(APIENTRY* PFNWGLRELEASETEXIMAGEARBPROC)(HPBUFFERARB pbuffer, int buffer);
typedef BOOL(APIENTRY* PFNWGLSETPBUFFERATTRIBARBPROC)(HPBUFFERARB pbuffer, const int* attribs);
typedef BOOL(APIENTRY* PFNWGLMAKECONTEXTCURRENTARBPROC)(HDC drawDc, HDC readDc, HGLRC context);
typedef HDC(APIENTRY* PFNWGLGETCURRENTREADDCARBPROC)();

extern "C" {

// For a request that asks for RGBA: the format the DC can take (2 for a memory DC,
// 1 for a window or pbuffer DC); 0 for a null descriptor or another DC.
VYR_WINAPI_EXPORT int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd);
// Format 1 on window and pbuffer DCs, format 2 on memory DCs; a memory DC's format
// can be set once (setting the same format again succeeds).
VYR_WINAPI_EXPORT BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* pfd);
// The format set on the DC, 0 when none.
VYR_WINAPI_EXPORT int GetPixelFormat(HDC dc);
// Fills pfd (when given) for format 1 or 2 and answers the number of formats (2);
// 0 on error. PFD_NEED_PALETTE is never set.
VYR_WINAPI_EXPORT int DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR pfd);

// A context for the DC's pixel format; null (ERROR_INVALID_PIXEL_FORMAT) when the DC has none.
VYR_WINAPI_EXPORT HGLRC wglCreateContext(HDC dc);
// FALSE (ERROR_ACCESS_DENIED) for the lasting context, which is never deleted.
VYR_WINAPI_EXPORT BOOL wglDeleteContext(HGLRC context);
// One context of pixel format 1 for the life of the process: every call answers the same one
// (null, with ERROR_NOT_ENOUGH_MEMORY, when no context can be made). It shares display lists,
// textures and buffers with every other context and is made current like any other, on any window
// or pbuffer DC. For work that the driver charges to each context that ever does it until the
// process ends: Mesa keeps about half a megabyte for every context that ever selected or took
// feedback (glRenderMode), also after the context is deleted, so passes of that kind that run in
// this context cost it once.
VYR_WINAPI_EXPORT HGLRC VyrGetLastingContext();
// (any, null) releases the current context. A context may be made current on any
// DC of its pixel format, one after the other. Leaving a window or a bitmap flushes what the
// context drew there, as WGL does; leaving a pbuffer does not (its pictures stay in its buffers for
// the context to read, and a flush would only send its front buffer to the X server).
VYR_WINAPI_EXPORT BOOL wglMakeCurrent(HDC dc, HGLRC context);
// How many wglMakeCurrent calls named a context (not null) in this process, whether or not they
// succeeded and whether or not that pair was current already: what a caller that is meant to
// switch contexts only when the view changes can be counted by.
VYR_WINAPI_EXPORT UINT VyrGetMakeCurrentCount();
// For a program that owns its process and draws much (a benchmark, a demo), never called by the
// display itself: sets the C allocator's thresholds to those its own adaptation ends at in a
// drawing process (blocks below 32 MB from the heap, up to 64 MB free at the heap's top kept),
// so that the megabytes the software driver allocates and frees in every frame stay resident
// instead of going back to the kernel and faulting in again at the next frame. Thresholds the
// environment sets (MALLOC_MMAP_THRESHOLD_, MALLOC_TRIM_THRESHOLD_, GLIBC_TUNABLES naming
// glibc.malloc) are left as they are: FALSE then, and when the allocator refuses them; TRUE when
// set. A host that chose its own thresholds does not call it.
VYR_WINAPI_EXPORT BOOL VyrSettleAllocatorForDrawing();
VYR_WINAPI_EXPORT HGLRC wglGetCurrentContext();
VYR_WINAPI_EXPORT HDC wglGetCurrentDC();
// `second` takes the display-list space of `first`. As WGL, it refuses (ERROR_BUSY) a `second`
// that may hold display lists of its own: one that was current and has been left since (it may
// have made lists then; the stand-in cannot tell), or whose space is shared already. A new
// context may be current meanwhile, so the order "create, make current, clear, share with the
// older context" works. Two contexts of one space answer TRUE at once; a handle that is not a live
// context answers ERROR_INVALID_HANDLE. (Every context shares with the hidden root context
// anyway, so OpenGL sees one space whatever this answers.)
VYR_WINAPI_EXPORT BOOL wglShareLists(HGLRC first, HGLRC second);
// The WGL extension functions by name, else the GL entry point of that name.
VYR_WINAPI_EXPORT PROC wglGetProcAddress(LPCSTR name);
// Back buffer to front buffer (a copy), then glFlush; false for a DC without a
// pixel format. On a memory DC (one buffer) it leaves the picture in the bitmap.
VYR_WINAPI_EXPORT BOOL SwapBuffers(HDC dc);

// "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture
// WGL_ARB_make_current_read"; when the
// environment variable VYR_WGL_EXTENSIONS is set, its value instead (read at each call), so that a
// program can be tried against a driver that lacks some of them. The entry points stay available.
VYR_WINAPI_EXPORT const char* wglGetExtensionsStringARB(HDC dc);
VYR_WINAPI_EXPORT BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttribs, const FLOAT* floatAttribs,
                                              UINT maxFormats, int* formats, UINT* numFormats);
VYR_WINAPI_EXPORT BOOL wglGetPixelFormatAttribivARB(HDC dc, int format, int layer, UINT count, const int* attributes,
                                                   int* values);
// The same values as floats.
VYR_WINAPI_EXPORT BOOL wglGetPixelFormatAttribfvARB(HDC dc, int format, int layer, UINT count, const int* attributes,
                                                   FLOAT* values);
VYR_WINAPI_EXPORT HPBUFFERARB wglCreatePbufferARB(HDC dc, int format, int width, int height, const int* attribs);
VYR_WINAPI_EXPORT HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer);
VYR_WINAPI_EXPORT int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc);
VYR_WINAPI_EXPORT BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer);
VYR_WINAPI_EXPORT BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value);
// Copies the pbuffer's front or back buffer into the mipmap level (0 unless set with
// wglSetPbufferAttribARB) of the texture bound to GL_TEXTURE_2D of the current context.
// Release does nothing more than check its arguments.
VYR_WINAPI_EXPORT BOOL wglBindTexImageARB(HPBUFFERARB pbuffer, int buffer);
VYR_WINAPI_EXPORT BOOL wglReleaseTexImageARB(HPBUFFERARB pbuffer, int buffer);
// Sets WGL_MIPMAP_LEVEL_ARB (0 or more): the level a later bind fills. Any other attribute,
// a negative level or a pbuffer made without a texture format fails (nothing changed).
VYR_WINAPI_EXPORT BOOL wglSetPbufferAttribARB(HPBUFFERARB pbuffer, const int* attribs);
// The context draws into `drawDc` and reads (glReadPixels, glCopyPixels, glCopyTexImage2D) from
// `readDc`: both window or pbuffer DCs of the context's pixel format (a memory DC only as both).
// Equal DCs are wglMakeCurrent(drawDc, context); a null context releases the current one. Fails
// with ERROR_INVALID_HANDLE for a dead context or a DC without OpenGL, ERROR_INVALID_PIXEL_TYPE_ARB
// for a DC of another format and ERROR_INCOMPATIBLE_DEVICE_CONTEXTS_ARB for a memory DC paired
// with another; what was current stays so then. wglGetCurrentDC answers the draw DC. When the read
// DC's surface goes (its pbuffer is destroyed) the context goes on reading from the draw DC.
VYR_WINAPI_EXPORT BOOL wglMakeContextCurrentARB(HDC drawDc, HDC readDc, HGLRC context);
// The DC the current context reads from (its draw DC unless wglMakeContextCurrentARB named
// another); null when no context is current.
VYR_WINAPI_EXPORT HDC wglGetCurrentReadDCARB();

}
