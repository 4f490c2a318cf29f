// gl_context and gl_context_data: the OpenGL layer under the display core's rendering context.
//
// gl_context_data is the record of one OpenGL context: the device context it draws on, the
// context, the pixel format (chosen once, then only applied again), a palette when the format
// needs one, and in bitmap mode the off-screen bitmap that OpenGL draws into. Every view has one
// (the view holds it and deletes it); a gl_context keeps two more, the shared record on its first
// view's device context and the bitmap record.
//
// gl_context makes the records current, presents pictures (a buffer swap, or a copy of the back
// buffer into the front one), and can render into a bitmap instead of the window: while
// GetRenderToBitmap() is not 0, Get_gl_context_data answers the bitmap record, whose context draws
// into a memory bitmap of the view's viewport size, and swap_buffers copies that bitmap into the
// view's device context.
//
// The live set: every window context made by init_gl_context_data is entered in one process-wide
// set, ordered by handle, until its record is deleted. A new window context shares display lists
// with the first context of the set; the first one of all (the set is empty) has nothing to share
// with, so the display manager's display-list names are forgotten (and the lists built again).
// Bitmap contexts never enter the set and never share. The set is one of the library's static
// objects: empty when the library loads, gone when it unloads (a record deleted after that point
// leaves it alone).
//
// Choices where the behaviour was open:
// - Bitmap mode initialises the bitmap record once per bitmap: again only when the viewport's size
//   differs from the bitmap's (or the record has no context), so a frame's GL state and picture
//   survive every lookup of the record during the frame. A kept record is still made current by
//   the lookup, as a new initialisation makes it: the view may be the current OpenGL view from a
//   window frame or an earlier bitmap, and without the switch a later picture would be drawn
//   into the window's context while the bitmap kept the earlier one.
// - Operations that fail say so: init_gl_context_data answers a non-zero code and leaves the
//   record without a context (never half-made); make_current, swap_buffers and RestoreBackBuffer
//   answer false and draw nothing when the record has no context, or (swap and restore) when it is
//   not what OpenGL draws on, so that a stray call never clears or overwrites another window.
// - Deleting a record releases the current OpenGL context only when it is the record's own.
// - A record deletes its device context only when it made it (bitmap mode); a window's device
//   context belongs to the window.
// - Neither class can be copied by assignment, and gl_context not at all: a copy would share the
//   records (or the OpenGL context, palette and bitmap) and delete them twice. The copy
//   constructor of gl_context_data copies only the device context, descriptor and pixel format.
#pragma once

#include <afx.h>
#include <windows.h>

#include "rendering_context.h"

class view3d;

// The off-screen bitmap of a record in bitmap mode.
struct gl_context_bitmap {
    // The bitmap OpenGL draws into.
    HBITMAP bitmap = nullptr;
    // What the memory device context held before the bitmap was selected into it.
    HGDIOBJ previous = nullptr;
    // The bitmap's description: a 40-byte header and room for 256 colours.
    struct {
        BITMAPINFOHEADER bmiHeader;
        RGBQUAD bmiColors[256];
    } info{};
    // Pixel bits owned by the holder (none for a device-dependent bitmap); freed with it.
    unsigned char* bits = nullptr;
};

// The record of one OpenGL context on one device context.
class AFX_EXT_CLASS gl_context_data {
public:
    // Answers of init_gl_context_data.
    enum {
        kInitOk = 0,          // the record has a new context, current on its device context
        kInitNoDevice = 1,    // no device context, or in bitmap mode no bitmap could be made
        kInitNoContext = 2,   // the device context takes no OpenGL context
        kInitNotCurrent = 3,  // the new context could not be made current (it was deleted again)
    };

    // No device context, context, pixel format, palette or bitmap.
    gl_context_data();
    // A record on `dc` (not owned), not yet initialised.
    explicit gl_context_data(HDC dc);
    // The other record's device context (not owned by the copy), descriptor and pixel format;
    // no context, palette or bitmap.
    gl_context_data(const gl_context_data& other);
    // Not assignable: the OpenGL context, palette and bitmap belong to one record.
    gl_context_data& operator=(const gl_context_data&) = delete;
    // Deletes the context (released first when it is the current one) and takes it out of the
    // live set, then kill_bitmap_context().
    virtual ~gl_context_data();

    // Gives the record a new OpenGL context on its device context (in bitmap mode, `bitmap` not 0,
    // on a memory bitmap of the view's viewport size made first). The pixel format is set up, an
    // old context deleted, the new one made current with the back buffer (the only buffer of a
    // single-buffered format) cleared to black. A window context then shares display lists with
    // the first live context, or, as the first one, makes the display manager forget its list
    // names; it enters the live set and a point is drawn and flushed. Answers kInitOk, or the code
    // of what failed (the record is then left without a context and the current context as it
    // was).
    int init_gl_context_data(view3d* view, int bitmap);
    // Chooses the pixel format once (RGBA, 24 colour bits, or the bitmap's, 32 depth bits,
    // double-buffered for a window, drawing to a bitmap in bitmap mode), sets it on the device
    // context and stores its description; a format that needs a palette gets the colour map.
    // Failures are left to init_gl_context_data, whose context creation then fails.
    void setup_pixel_format(int bitmap);
    // Makes the record's palette when it has none (printing "Cannot create palette" on failure),
    // selects it into the device context (printing "Cannot select palette %d" on failure) and
    // realises it. True when the palette was selected.
    bool create_gl_colour_map();
    // A logical palette (version 0x300) of 2^colour-bits entries for the stored descriptor, each
    // entry the colour its index stands for (every channel scaled to 0..255; a channel without
    // bits is 0). The caller owns it. Null for a descriptor of no or more than 8 colour bits.
    HPALETTE create_gl_palette() const;
    // Makes a width x height bitmap of the device context's depth and selects it into the
    // record's memory device context (made when the record has none). Nothing when the record
    // already has a bitmap of that size; another size replaces the bitmap and keeps the device
    // context. False (the record as it was) for an empty size or when the bitmap cannot be made.
    bool create_bitmap(int width, int height);
    // Deletes the palette and the bitmap (the memory device context gets back what it held), and
    // the device context when the record made it; clears device context, pixel format and palette.
    void kill_bitmap_context();
    // Makes the record's context current on its device context. False, with the current context
    // left as it is, when the record has no context or the call fails. The view is not used.
    bool make_current(view3d* view);

    // The device context.
    HDC get_DC() const { return m_dc; }
    // The OpenGL context, null until created.
    HGLRC get_GLRC() const { return m_context; }
    // The pixel format's description as DescribePixelFormat gave it (zero until described).
    const PIXELFORMATDESCRIPTOR& get_Descriptor() const { return m_pfd; }
    // The pixel format, 0 until chosen.
    int get_PixelFormat() const { return m_pixel_format; }
    // The palette, null unless the pixel format needs one.
    HPALETTE get_Palette() const { return m_palette; }
    // The off-screen bitmap (bitmap mode), null for a window.
    const gl_context_bitmap* get_Bitmap() const { return m_bitmap; }

protected:
    // Device context: the window's, or the record's memory device context in bitmap mode.
    HDC m_dc = nullptr;
    // The OpenGL context.
    HGLRC m_context = nullptr;
    // The pixel format's description.
    PIXELFORMATDESCRIPTOR m_pfd{};
    // The pixel format.
    int m_pixel_format = 0;
    // The palette.
    HPALETTE m_palette = nullptr;
    // The bitmap holder of bitmap mode.
    gl_context_bitmap* m_bitmap = nullptr;

private:
    // Deletes the context and takes it out of the live set.
    void delete_gl_context();
    // Deletes the bitmap and its holder; the device context gets back what it held and stays.
    void kill_bitmap();

    // Whether the record made its device context (and so deletes it).
    bool m_owns_dc = false;
};

// The OpenGL rendering context base: per-view records, presentation and bitmap mode.
class AFX_EXT_CLASS gl_context : public rendering_context {
public:
    // Back buffer not valid, front buffer version 0, no shared or bitmap record, rendering to
    // windows.
    gl_context();
    // Not copyable: the shared and bitmap records belong to one context.
    gl_context(const gl_context&) = delete;
    // Not copyable.
    gl_context& operator=(const gl_context&) = delete;
    // Deletes the bitmap record, gives the shared record's device context back to the first view
    // (shutdown), deletes the shared record, then the rendering_context part.
    ~gl_context() override;

    // Makes the record's context current on its device context (make_current of the record);
    // false for a null record or as that answers.
    bool make_current(view3d* view, gl_context_data* data);
    // Shares display lists between the contexts of two records; false when either has none or
    // the call fails.
    bool share_lists(gl_context_data* first, gl_context_data* second);
    // The record to draw the view with: for a window the one the view holds (null when none); in
    // bitmap mode the context's bitmap record, made on first use and initialised for the view's
    // viewport size whenever that size is new, and current on its bitmap when answered. Null for
    // a null view, or when the bitmap record cannot be initialised or made current.
    gl_context_data* Get_gl_context_data(view3d* view);
    // Presents the picture. For a window (the record's device context current): SwapBuffers, the
    // back buffer cleared to black, the front buffer version raised and the back buffer marked
    // not valid, glFinish. In bitmap mode: the record's bitmap read as a 24-bit device-independent
    // bitmap and stretched onto the view's device context (borrowed from the view for the copy
    // and given back) over the driver's output extents (the viewport when they are empty),
    // glFinish. False, with nothing drawn, when the record has no
    // context, is not current (window), or a step fails.
    bool swap_buffers(view3d* view, gl_context_data* data);
    // Copies the back buffer into the front buffer over the view's viewport (window coordinates
    // of the viewport, whatever the GL viewport), leaves GL_BACK the draw buffer, flushes, raises
    // the front buffer version and marks the back buffer valid. Logic operations, blending, the
    // depth test and the ARB programs the current context has are left disabled. False, with nothing drawn, when the view's
    // record has no context or is not what OpenGL draws on.
    bool RestoreBackBuffer(view3d* view);
    // Gives the shared record's device context back to the first view (release_device_context)
    // when the context has a view and a shared record; a modeler error raised meanwhile is
    // dropped.
    void shutdown();

    // True while the back buffer holds the last picture of the view.
    bool IsBackBufferValid() const { return m_back_buffer_valid; }
    // The back buffer no longer holds the view's picture (its window changed size): the next
    // refresh draws instead of presenting it.
    void InvalidateBackBuffer() { m_back_buffer_valid = false; }
    // Raised whenever the front buffer receives a new picture.
    unsigned int GetFrontBufferVersion() const { return m_front_buffer_version; }
    // Raises the front buffer version by one.
    void IncrementFrontBufferVersion() { ++m_front_buffer_version; }

    // Number of live window contexts.
    static int StGetLiveContextCount();
    // The first (smallest) live window context, null when there is none.
    static HGLRC StGetFirstLiveContext();
    // Whether a context is in the live set.
    static bool StIsLiveContext(HGLRC context);

protected:
    // The shared record (a second context on the first view's device context), or null.
    gl_context_data* get_shared_data() const { return m_shared_data; }
    // Makes `data` (owned from here on; may be null) the shared record, deleting the previous one.
    void set_shared_data(gl_context_data* data);
    // The bitmap record, or null before bitmap mode was first used.
    gl_context_data* get_bitmap_data() const { return m_bitmap_data; }
    // Deletes the bitmap record and then the shared record, and clears both.
    void delete_context_data();

private:
    bool m_back_buffer_valid = false;
    gl_context_data* m_shared_data = nullptr;
    gl_context_data* m_bitmap_data = nullptr;
    unsigned int m_front_buffer_version = 0;
};
