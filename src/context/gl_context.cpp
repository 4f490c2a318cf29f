// gl_context and gl_context_data: OpenGL contexts of views, pixel formats, palettes, bitmap mode,
// presentation, and the live set of window contexts.
#include "gl_context.h"

#include "DsDriverGl.h"
#include "DsLogicalPalette.h"
#include "DsManager.h"

#include "SpaErrors.h"
#include "driver_context.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <set>
#include <vector>

namespace {

// --- The live set -----------------------------------------------------------------------------

// The window contexts that exist, ordered by handle. Built with the library's other static
// objects and destroyed when the library unloads; the flag below (constant-initialised, so valid
// in every phase of unloading) is raised first, and from then on the set is left alone.
std::set<HGLRC> gLiveContexts;
bool gLiveContextsGone = false;
struct CLiveContextsGuard {
    ~CLiveContextsGuard() { gLiveContextsGone = true; }
} gLiveContextsGuard;  // defined after the set: destroyed before it

void EnterLiveContext(HGLRC context)
{
    if (!gLiveContextsGone) gLiveContexts.insert(context);
}

void LeaveLiveContext(HGLRC context)
{
    if (!gLiveContextsGone) gLiveContexts.erase(context);
}

HGLRC FirstLiveContext()
{
    return gLiveContextsGone || gLiveContexts.empty() ? nullptr : *gLiveContexts.begin();
}

// --- Reading a record's bitmap ----------------------------------------------------------------

// A device-independent bitmap: the header and room for a colour table.
struct SDib {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// Reads the record's bitmap as a 24-bit device-independent bitmap (bottom-up rows of B, G, R
// bytes) on the screen device context, with the record's palette (or the default one) selected
// and realised meanwhile. False when the bits cannot be read.
bool ReadBitmap(const gl_context_data& data, SDib& dib, std::vector<unsigned char>& bits)
{
    const gl_context_bitmap* holder = data.get_Bitmap();
    if (!holder || !holder->bitmap) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HPALETTE palette = data.get_Palette() ? data.get_Palette() : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    HPALETTE previous = SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);

    dib = SDib{};
    dib.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    dib.bmiHeader.biWidth = holder->info.bmiHeader.biWidth;
    dib.bmiHeader.biHeight = holder->info.bmiHeader.biHeight;
    dib.bmiHeader.biPlanes = 1;
    dib.bmiHeader.biBitCount = 24;
    dib.bmiHeader.biCompression = BI_RGB;
    const int height = dib.bmiHeader.biHeight;
    bool read = GetDIBits(screen, holder->bitmap, 0, height, nullptr, dib.info(), DIB_RGB_COLORS) != 0;
    if (read) {
        size_t size = dib.bmiHeader.biSizeImage;
        if (size == 0)
            size = size_t((dib.bmiHeader.biWidth * 24 + 31) / 32) * 4 * size_t(dib.bmiHeader.biHeight);
        bits.assign(size, 0);
        read = GetDIBits(screen, holder->bitmap, 0, height, bits.data(), dib.info(), DIB_RGB_COLORS) != 0;
    }

    if (previous) SelectPalette(screen, previous, FALSE);
    RealizePalette(screen);
    ReleaseDC(nullptr, screen);
    return read;
}

// Sets the raster position at window pixel (x, y), whatever the projection and GL viewport.
void WindowRasterPos(int x, int y)
{
    static const auto windowPos = reinterpret_cast<PFNGLWINDOWPOS2IPROC>(wglGetProcAddress("glWindowPos2i"));
    if (windowPos)
        windowPos(x, y);
    else
        glRasterPos2i(x, y);  // a GL without window positions: right while the viewport starts at the origin
}

}  // namespace

// === gl_context_data ===========================================================================

gl_context_data::gl_context_data() = default;

gl_context_data::gl_context_data(HDC dc) : m_dc(dc) {}

gl_context_data::gl_context_data(const gl_context_data& other)
    : m_dc(other.m_dc), m_pfd(other.m_pfd), m_pixel_format(other.m_pixel_format)
{
}

gl_context_data::~gl_context_data()
{
    delete_gl_context();
    kill_bitmap_context();
}

void gl_context_data::delete_gl_context()
{
    if (!m_context) return;
    // Releases the context first when it is the current one, and only then.
    wglDeleteContext(m_context);
    LeaveLiveContext(m_context);
    m_context = nullptr;
}

int gl_context_data::init_gl_context_data(view3d* view, int bitmap)
{
    if (bitmap) {
        if (!view) return kInitNoDevice;
        int x = 0, y = 0, width = 0, height = 0;
        view->get_viewport(x, y, width, height);
        if (!create_bitmap(width, height)) return kInitNoDevice;
    }
    if (!m_dc) return kInitNoDevice;
    setup_pixel_format(bitmap);
    delete_gl_context();

    HGLRC context = wglCreateContext(m_dc);
    if (!context) return kInitNoContext;
    if (!wglMakeCurrent(m_dc, context)) {
        wglDeleteContext(context);
        return kInitNotCurrent;
    }
    m_context = context;
    // A single-buffered format (a bitmap's) has its one buffer in front.
    const GLenum buffer = (m_pfd.dwFlags & PFD_DOUBLEBUFFER) ? GL_BACK : GL_FRONT;
    glDrawBuffer(buffer);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (bitmap) return kInitOk;

    if (HGLRC first = FirstLiveContext())
        wglShareLists(first, context);
    else
        CDsManager::GetInstance()->ResetDisplayListsHandles();  // no context keeps the lists made so far
    EnterLiveContext(context);

    glDrawBuffer(buffer);
    glBegin(GL_POINTS);
    glVertex3i(0, 0, 0);
    glEnd();
    glFlush();
    return kInitOk;
}

void gl_context_data::setup_pixel_format(int bitmap)
{
    PIXELFORMATDESCRIPTOR requested{};
    requested.nSize = sizeof requested;
    requested.nVersion = 1;
    requested.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    requested.iPixelType = PFD_TYPE_RGBA;
    requested.cColorBits = 24;
    requested.cDepthBits = 32;
    requested.iLayerType = PFD_MAIN_PLANE;
    if (m_pixel_format == 0) {
        if (bitmap) {
            requested.dwFlags = PFD_DRAW_TO_WINDOW | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL;
            if (m_bitmap) requested.cColorBits = static_cast<BYTE>(m_bitmap->info.bmiHeader.biBitCount);
        } else {
            requested.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
        }
        m_pixel_format = ChoosePixelFormat(m_dc, &requested);
    }
    // A format that cannot be set or described shows when the context cannot be made.
    if (!SetPixelFormat(m_dc, m_pixel_format, &requested)) (void)GetLastError();
    m_pfd = PIXELFORMATDESCRIPTOR{};
    if (!DescribePixelFormat(m_dc, m_pixel_format, sizeof m_pfd, &m_pfd)) {
        (void)GetLastError();
        m_pfd = PIXELFORMATDESCRIPTOR{};
    }
    if (m_pfd.dwFlags & PFD_NEED_PALETTE) create_gl_colour_map();
}

bool gl_context_data::create_gl_colour_map()
{
    if (!m_palette) {
        m_palette = create_gl_palette();
        if (!m_palette) std::printf("Cannot create palette\n");
    }
    const bool selected = m_palette && SelectPalette(m_dc, m_palette, FALSE);
    if (!selected) std::printf("Cannot select palette %d\n", static_cast<int>(reinterpret_cast<intptr_t>(m_palette)));
    RealizePalette(m_dc);
    std::fflush(stdout);
    return selected;
}

HPALETTE gl_context_data::create_gl_palette() const
{
    const int colourBits = m_pfd.cColorBits;
    if (colourBits < 1 || colourBits > 8) return nullptr;
    const int count = 1 << colourBits;
    // Each channel's bits of the index, scaled to 0..255.
    auto channel = [](int index, int shift, int bits) -> uint32_t {
        if (bits <= 0) return 0;
        const int maximum = (1 << bits) - 1;
        return static_cast<uint32_t>(((index >> shift) & maximum) * 255 / maximum);
    };
    std::vector<uint32_t> colors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        colors[static_cast<size_t>(i)] = channel(i, m_pfd.cRedShift, m_pfd.cRedBits) |
                                         channel(i, m_pfd.cGreenShift, m_pfd.cGreenBits) << 8 |
                                         channel(i, m_pfd.cBlueShift, m_pfd.cBlueBits) << 16;
    return CreatePalette(CDsLogicalPalette(colors).Get());
}

bool gl_context_data::create_bitmap(int width, int height)
{
    if (m_bitmap && m_bitmap->bitmap && m_bitmap->info.bmiHeader.biWidth == width &&
        m_bitmap->info.bmiHeader.biHeight == height)
        return true;
    if (width <= 0 || height <= 0) return false;
    kill_bitmap();
    if (!m_dc) {
        m_dc = CreateCompatibleDC(nullptr);
        if (!m_dc) return false;
        m_owns_dc = true;
    }
    auto* holder = new (std::nothrow) gl_context_bitmap;
    if (!holder) return false;
    const int planes = GetDeviceCaps(m_dc, PLANES);
    const int bitsPerPixel = GetDeviceCaps(m_dc, BITSPIXEL) * planes;
    BITMAPINFOHEADER& header = holder->info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitsPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(((bitsPerPixel * width + 31) / 32) * 4 * height);
    holder->bitmap = CreateBitmap(width, height, planes, bitsPerPixel, nullptr);
    if (holder->bitmap) holder->previous = SelectObject(m_dc, holder->bitmap);
    if (!holder->bitmap || !holder->previous) {
        if (holder->bitmap) DeleteObject(holder->bitmap);
        delete holder;
        return false;
    }
    m_bitmap = holder;
    return true;
}

void gl_context_data::kill_bitmap()
{
    if (!m_bitmap) return;
    if (m_dc && m_bitmap->previous) SelectObject(m_dc, m_bitmap->previous);
    if (m_bitmap->bitmap) DeleteObject(m_bitmap->bitmap);
    delete[] m_bitmap->bits;
    delete m_bitmap;
    m_bitmap = nullptr;
}

void gl_context_data::kill_bitmap_context()
{
    if (m_palette) {
        if (m_dc) SelectPalette(m_dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        DeleteObject(m_palette);
        m_palette = nullptr;
    }
    kill_bitmap();
    if (m_dc && m_owns_dc) DeleteDC(m_dc);
    m_dc = nullptr;
    m_owns_dc = false;
    m_pixel_format = 0;
}

bool gl_context_data::make_current(view3d*)
{
    if (!m_context || !m_dc) return false;
    return wglMakeCurrent(m_dc, m_context) != FALSE;
}

// === gl_context ================================================================================

gl_context::gl_context() = default;

gl_context::~gl_context()
{
    delete m_bitmap_data;
    m_bitmap_data = nullptr;
    shutdown();  // while the shared record still names its device context
    delete m_shared_data;
    m_shared_data = nullptr;
}

bool gl_context::make_current(view3d* view, gl_context_data* data)
{
    return data && data->make_current(view);
}

bool gl_context::share_lists(gl_context_data* first, gl_context_data* second)
{
    if (!first || !second || !first->get_GLRC() || !second->get_GLRC()) return false;
    return wglShareLists(first->get_GLRC(), second->get_GLRC()) != FALSE;
}

gl_context_data* gl_context::Get_gl_context_data(view3d* view)
{
    if (!view) return nullptr;
    if (!GetRenderToBitmap()) return static_cast<gl_context_data*>(view->get_rendering_context_data());
    if (!m_bitmap_data) {
        m_bitmap_data = new (std::nothrow) gl_context_data;
        if (!m_bitmap_data) return nullptr;
    }
    int x = 0, y = 0, width = 0, height = 0;
    view->get_viewport(x, y, width, height);
    const gl_context_bitmap* holder = m_bitmap_data->get_Bitmap();
    const bool sameBitmap = holder && holder->info.bmiHeader.biWidth == width && holder->info.bmiHeader.biHeight == height;
    if (!m_bitmap_data->get_GLRC() || !sameBitmap) {
        if (m_bitmap_data->init_gl_context_data(view, 1) != gl_context_data::kInitOk) return nullptr;
    } else if ((wglGetCurrentContext() != m_bitmap_data->get_GLRC() || wglGetCurrentDC() != m_bitmap_data->get_DC()) &&
               !m_bitmap_data->make_current(view)) {
        // A kept record is made current as a new one is: the view may still be the current
        // OpenGL view from an earlier frame, and its frame must go into the bitmap, not into
        // whatever context is current.
        return nullptr;
    }
    return m_bitmap_data;
}

bool gl_context::swap_buffers(view3d* view, gl_context_data* data)
{
    if (!data || !data->get_GLRC()) return false;
    if (GetRenderToBitmap()) {
        if (!view) return false;
        SDib dib;
        std::vector<unsigned char> bits;
        if (!ReadBitmap(*data, dib, bits)) return false;
        int x = 0, y = 0, width = 0, height = 0;
        if (driver_context* driver = view->get_driver_context()) driver->get_output_extents(x, y, width, height);
        if (width == 0 && height == 0) view->get_viewport(x, y, width, height);
        // The view's driver counts the uses of its device context: the one borrowed for the copy
        // goes back at once, so that frames do not pile uses up (and the DC leaves the driver's
        // mapping when the view's last use ends).
        HDC dc = view->get_device_context();
        const bool copied = dc && StretchDIBits(dc, x, y, width, height, 0, 0, dib.bmiHeader.biWidth,
                                                dib.bmiHeader.biHeight, bits.data(), dib.info(), DIB_RGB_COLORS,
                                                SRCCOPY) != 0;
        view->release_device_context(dc);
        glFinish();
        return copied;
    }
    if (wglGetCurrentDC() != data->get_DC() || !wglGetCurrentContext()) return false;
    if (!SwapBuffers(data->get_DC())) return false;
    glDrawBuffer(GL_BACK);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    IncrementFrontBufferVersion();
    m_back_buffer_valid = false;
    glFinish();
    return true;
}

bool gl_context::RestoreBackBuffer(view3d* view)
{
    if (!view) return false;
    const auto* data = static_cast<const gl_context_data*>(view->get_rendering_context_data());
    if (!data || !data->get_GLRC() || !wglGetCurrentContext() || wglGetCurrentDC() != data->get_DC()) return false;
    int x = 0, y = 0, width = 0, height = 0;
    view->get_viewport(x, y, width, height);

    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    // A program switch the driver does not know would leave GL_INVALID_ENUM for the frame's next
    // error check: each is sent only where its extension is.
    if (CDsDriverGl::IsExtensionSupported("GL_ARB_fragment_program")) glDisable(GL_FRAGMENT_PROGRAM_ARB);
    if (CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_program")) glDisable(GL_VERTEX_PROGRAM_ARB);
    glScissor(x, y, width, height);
    CDsDriverGl::Start2dDraw(width, height);
    // The copy lands where it was read: the viewport's corner in window pixels. (A raster
    // position in the 2-D drawing's coordinates would count from the GL viewport's corner and put
    // the picture of a viewport away from the window's origin that far off again.)
    WindowRasterPos(x, y);
    glCopyPixels(x, y, width, height, GL_COLOR);
    CDsDriverGl::End2dDraw();
    glDrawBuffer(GL_BACK);
    glFlush();
    IncrementFrontBufferVersion();
    m_back_buffer_valid = true;
    return true;
}

void gl_context::shutdown()
{
    try {
        if (m_shared_data && view_count() > 0)
            if (view3d* first = views().first()) first->release_device_context(m_shared_data->get_DC());
    } catch (const acis_exception&) {
        // The error and its information go with the exception: nothing to keep.
    }
}

void gl_context::set_shared_data(gl_context_data* data)
{
    if (data == m_shared_data) return;
    delete m_shared_data;
    m_shared_data = data;
}

void gl_context::delete_context_data()
{
    delete m_bitmap_data;
    m_bitmap_data = nullptr;
    delete m_shared_data;
    m_shared_data = nullptr;
}

int gl_context::StGetLiveContextCount()
{
    return gLiveContextsGone ? 0 : static_cast<int>(gLiveContexts.size());
}

HGLRC gl_context::StGetFirstLiveContext()
{
    return FirstLiveContext();
}

bool gl_context::StIsLiveContext(HGLRC context)
{
    return !gLiveContextsGone && context && gLiveContexts.count(context) != 0;
}
