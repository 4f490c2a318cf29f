// CDsDriverGl: static helpers over OpenGL, WGL and GLU that items, renderers, views, the rendering
// configurations and the host call instead of OpenGL directly. Every call goes straight to the
// OpenGL context that is current; there is no instance data, and the state below is process-wide.
//
// Setters send every call to OpenGL (no cache is consulted), except StSetWidth, which skips a
// width that was already sent. Extension support is tested once per process and kept as
// "untested / no / yes"; entry points are fetched once with wglGetProcAddress, and every wrapper
// does nothing (answers 0 or null) while its entry point is missing.
//
// Choices where the plain OpenGL call would go wrong (each is the sound behaviour, and tested):
// - Line width: StSetWidth remembers the width it last sent and the GL context it sent it to, and
//   skips a call only when both match, so after width 3 a width of 1 is sent, and a context that
//   never received a width gets one. StForceWidth writes the same cache. The frame set-up of a
//   view resets the width with StForceWidth(1) rather than glLineWidth(1), so that the cache stays
//   true; a direct glLineWidth elsewhere leaves it stale until the next StForceWidth. Inside a
//   multi-polyline batch StSetWidth switches line smoothing off whatever the width.
// - Display-list ids: StGetIdForList(n) tests every id of the block it hands out, so a block
//   never overlaps display lists (or names from glGenLists) in use.
// - Hatched polygons: the pattern's angle is taken with atan2 from both components of the
//   direction in the polygon's plane, and the texture's s axis runs along that direction.
// - WGL extensions match whole blank-separated names, as GL extensions do.
// - Pixel copies place the raster position at the exact window pixel asked for (also for a
//   rectangle smaller than the viewport or a viewport away from the window's corner), and report
//   a copy that cannot happen (no current context, an invalid raster position, a device context
//   the context cannot be made current on) by a false or zero answer. A copy switches off what
//   must not touch the copied pixels and puts it back afterwards, with the scissor box: drawing
//   later in the frame is neither clipped to the copied rectangle nor left without blending.
// - The caller's pixel block of CopyPixels and ReadPixels is a std::vector sized by the call, so
//   a block kept from an earlier, smaller copy is never overrun.
// - The entry-point wrappers of vertex buffers (BindBufferARB, CreateBufferVBO, DrawVBO,
//   DeleteBufferVBO) do nothing while their entry points are missing instead of calling null.
// - Bad values that OpenGL would refuse with an error (a line width or point size below 1,
//   display-list id 0, a negative list count, a list opened inside another) are not sent: the
//   call does nothing and answers false or 0 where it answers anything.
#pragma once

#include <afx.h>
#include <windows.h>
#include <vyrwin_testresets.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "DsBitmap.h"

class CBitmap;
class CDC;
class CPalette;
class CDsBox;
class CDsPalette;
class CVyrString;
class SPAposition;
class SPAunit_vector;
class rgb_color;
class view3d;
struct SColor4ub;
struct SDsBox2D;
struct SDsTexture;
struct SDsTextureData;

// The display core's OpenGL driver statics.
class AFX_EXT_CLASS CDsDriverGl {
public:
    virtual ~CDsDriverGl() = default;

    // --- Exported state (plain values kept for the host; only mWidth has a reader here) ---
    // Cached colour components: 1.0, 0.5, 0.0, 0.0 at start.
    static float mRed, mGreen, mBlue, mAlpha;
    // The last line width StSetWidth or StForceWidth sent (1 at start).
    static int mWidth;
    // Cached stipple pattern (0xFFFF), factor (1) and style index (0).
    static unsigned short mStyle;
    static int mFactor;
    static int mStyleIndex;
    // Cached line smoothing (false).
    static bool mLineSmooth;
    // Cached draw-buffer choice (true: back).
    static bool sBackBuffer;
    // Cached switches (0 at start).
    static unsigned char sDepthTest, sLighting, sFaceCulling, sColorMaterial;
    // Cached polygon mode (null).
    static int* sPolygonMode;
    // The active vertex colour palette (null: vertex colours are not drawn).
    static CDsPalette* mVertexColorPalette;
    // The most vertices an item puts into one display list.
    static const int cVertexNumberInList = 196608;

    // --- Extension entry points (null until loaded) ---
    static PFNGLGENBUFFERSARBPROC glGenBuffersARB;
    static PFNGLBINDBUFFERARBPROC glBindBufferARB;
    static PFNGLBUFFERDATAARBPROC glBufferDataARB;
    static PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB;
    static PFNWGLGETEXTENSIONSSTRINGARBPROC wglGetExtensionsStringARB;
    static PFNWGLCREATEPBUFFERARBPROC wglCreatePbufferARB;
    static PFNWGLGETPBUFFERDCARBPROC wglGetPbufferDCARB;
    static PFNWGLRELEASEPBUFFERDCARBPROC wglReleasePbufferDCARB;
    static PFNWGLDESTROYPBUFFERARBPROC wglDestroyPbufferARB;
    static PFNWGLQUERYPBUFFERARBPROC wglQueryPbufferARB;
    static PFNWGLCHOOSEPIXELFORMATARBPROC wglChoosePixelFormatARB;
    static PFNWGLGETPIXELFORMATATTRIBIVARBPROC wglGetPixelFormatAttribivARB;
    static PFNWGLGETPIXELFORMATATTRIBFVARBPROC wglGetPixelFormatAttribfvARB;
    static PFNWGLBINDTEXIMAGEARBPROC wglBindTexImageARB;
    static PFNWGLRELEASETEXIMAGEARBPROC wglReleaseTexImageARB;
    static PFNWGLSETPBUFFERATTRIBARBPROC wglSetPbufferAttribARB;
    static PFNWGLMAKECONTEXTCURRENTARBPROC wglMakeContextCurrentARB;

    // --- State switches (each call goes to OpenGL) ---
    // Enables or disables GL_DEPTH_TEST.
    static void StSetDepthTest(bool on);
    // On: glDepthRange(0, 1) then GL_DEPTH_TEST on; off: GL_DEPTH_TEST off. The second argument
    // has no effect.
    static void StSetDepthTestState(bool on, bool unused = false);
    // Whether GL_DEPTH_TEST is enabled.
    static bool StGetDepthTestState();
    // Whether GL_LIGHTING is enabled.
    static bool StGetLightingState();
    // Whether GL_CULL_FACE is enabled.
    static bool StGetFaceCullingState();
    // Whether GL_COLOR_MATERIAL is enabled.
    static bool StGetColorMaterialState();
    // On: GL_LIGHTING and GL_NORMALIZE on; off: both off. The second argument has no effect.
    static void StSetLightingState(bool on, bool unused = false);
    // Enables or disables GL_CULL_FACE. The second argument has no effect.
    static void StSetFaceCullingState(bool on, bool unused = false);
    // On: colour material for ambient and diffuse of both faces, GL_COLOR_MATERIAL on, and
    // GL_LIGHTING off when `lightingOff`; off: GL_COLOR_MATERIAL off and GL_LIGHTING on.
    static void StSetColorMaterialState(bool on, bool lightingOff = false);
    // On: lighting, normalising and blending (source alpha) on, depth test on with the full depth
    // range, depth writes off. Off: blending off, depth writes on, lighting and normalising off.
    static void StSetTransparentMode(bool on);
    // glPolygonMode(face, mode). The third argument has no effect.
    static void StSetPolygonMode(int face, int mode, bool unused = false);
    // The front and back polygon modes.
    static void StGetPolygonMode(int& front, int& back);
    // Null: polygon stipple off; else on with the 32 x 32 pattern (128 bytes).
    static void StSetPolygonHatch(const unsigned char* pattern);
    // Enables or disables GL_POLYGON_OFFSET_FILL, then glPolygonOffset(factor, units).
    static void StSetPolygonOffset(bool on, float factor, float units);
    // Enables or disables GL_POLYGON_OFFSET_LINE, then glPolygonOffset(factor, units).
    static void StSetPolylineOffset(bool on, float factor, float units);
    // glDepthFunc(function).
    static void StSetDepthTestFunction(GLenum function);
    // The depth function (GL_LESS when the query answers nothing).
    static GLenum StGetDepthTestFunction();
    // glPointSize(size); sizes below 1 are not sent.
    static void StSetPointSize(int size);
    // Draws into GL_BACK (true) or GL_FRONT (false).
    static void StSetBackBuffer(bool back);
    // Whether the draw buffer is GL_BACK.
    static bool StGetBackBuffer();
    // Clears colour (to the colour, alpha 0) and depth.
    static void StClearBuffers(rgb_color& color);
    // Lighting, depth test and face culling off, both faces filled, drawing into GL_BACK.
    static void ResetMembers();
    // Projection := glOrtho(left, right, bottom, top, zNear, zFar); leaves GL_PROJECTION current.
    // A box without extent on some axis changes nothing.
    static void StSetOrthographicProjection(double left, double right, double bottom, double top, double zNear,
                                            double zFar);
    // Projection := an orthographic box of the current view's camera width and height centred on
    // the axis, with near and far -1e10 and 1e10 when `infiniteDepth`, else the view's own. Nothing
    // without a current view. Leaves GL_PROJECTION current.
    static void StSetOrthographicProjection(bool infiniteDepth);
    // glFlush().
    static void StFlush();
    // Debugging hooks kept for the host: they do nothing.
    static void StFlushToFrontBufferForDebug();
    static void StTraceError();
    static void StTraceFlags();
    static void StTraceAttributes();

    // --- Colour, width and style ---
    // glColor4f.
    static void StSetColor(float r, float g, float b, float a);
    // glColor4f.
    static void StForceColor(float r, float g, float b, float a);
    // glColor3ub.
    static void StColorUb(unsigned char r, unsigned char g, unsigned char b);
    // The current colour.
    static void StGetColor(float& r, float& g, float& b, float& a);
    // The colour `index` of the active vertex colour palette, as glColor3ub; nothing without a
    // palette or for an index the palette does not hold.
    static void StSetColor(int index);
    // Makes `palette` (not owned; null: none) the active vertex colour palette.
    static void StSetActiveVertexColorPalette(CDsPalette* palette);
    // The active vertex colour palette (null when none).
    static CDsPalette* StGetActiveVertexColorPalette();
    // Sets the line width unless this width was the last one sent to the current context; widths
    // above 2 turn line smoothing on where the driver draws such widths smoothly (off otherwise),
    // smaller widths and widths inside a multi-polyline batch turn it off. Widths below 1 are not
    // sent.
    static void StSetWidth(int width);
    // Sets the line width always (and remembers it); widths below 1 are not sent.
    static void StForceWidth(int width);
    // For a pass that put OpenGL's line width back behind StSetWidth's back (an attribute pop):
    // the next StSetWidth sends its width whatever it is. Nothing is sent now.
    static void StForgetWidth();
    // On: GL_LINE_SMOOTH on with the nicest hint; off: off.
    static void StForceLineSmooth(bool on);
    // Style 0: line stipple off. Styles 1 to 31: on, with the pattern and factor of that style of
    // the active style palette. Other styles change nothing.
    static void StSetStyle(int style);
    // As StSetStyle.
    static void StForceStyle(int style);

    // --- Display lists ---
    // glGenLists(count): the first of `count` new names, 0 for a count below 1 or on failure.
    static GLuint StGenerateGlLists(int count);
    // Deletes `count` lists from `first`; nothing for first 0 or a count below 1.
    static void StDeleteGlLists(GLuint first, int count);
    // Starts compiling list `id` (executing as well when `execute`); false (nothing started) for
    // id 0 or while another list is being compiled.
    static bool StStartGlListCreation(GLuint id, bool execute);
    // Ends the list being compiled; nothing when none is.
    static void StEndGlListCreation();
    // Calls list `id`; with `backFacesFirst`, twice with face culling: back faces, then front
    // faces (as transparent surfaces need); culling and its face are restored. Nothing for id 0.
    static void StDrawGlList(GLuint id, bool backFacesFirst);
    // The first of `count` consecutive display-list ids none of which is in use, after every id
    // handed out before; 0 for a count below 1, without a current context, or when the ids run
    // out. The ids are not reserved: the caller compiles them.
    static GLuint StGetIdForList(int count);

    // --- Vertices, points and bitmaps ---
    // Primitives that a pick may draw. Mesa keeps the storage of every buffer that a pass of
    // OpenGL selection or feedback read until the process ends, the buffer behind immediate mode
    // too: vertices sent in immediate mode while OpenGL selects or takes feedback would stay in
    // memory, half a megabyte at a time, pick after pick. So while it selects or takes feedback
    // (StSelectsOrFeedsBack) StBeginVertices, StVertex and StEndVertices gather one primitive's
    // vertices (as floats, as immediate mode keeps them) and send them from a client-side array
    // as it ends; while it renders, or compiles a list, they are glBegin, glVertex and glEnd.
    // Colours, normals and texture coordinates given between them set the current values while a
    // primitive is gathered (selection and the picks' feedback read positions only).
    // Whether OpenGL selects or takes feedback in the current context.
    static bool StSelectsOrFeedsBack();
    // Begins a primitive of `mode` (see above).
    static void StBeginVertices(GLenum mode);
    // A vertex of the primitive begun (z 0 for a point of the plane).
    static void StVertex(float x, float y, float z = 0.0f);
    // The same of three floats.
    static void StVertex(const float* xyz);
    // Ends the primitive begun, sending it when gathered.
    static void StEndVertices();
    // `count` vertices of `size` coordinates (2 or 3) of `type` as one primitive of `mode` from
    // the client-side array `vertices`: no buffer bound and no other array on; the client arrays
    // are put back as they were. Nothing without vertices. Inside a pick batch (below) float
    // vertices join the batch.
    static void StDrawClientArray(GLenum mode, GLint size, GLenum type, const void* vertices, int count);
    // A pick batch, for a selection pass that reads only whether and how near something was hit
    // (not under which name): OpenGL takes a draw call of its own for every primitive sent from a
    // client-side array, many times the cost of a primitive in immediate mode, whose primitives it
    // sends together. While a batch is open, the primitives gathered (and the float client arrays
    // drawn) are kept with the state they were sent under (matrices, viewport, depth range,
    // polygon mode, culling, clip planes) and drawn together, one call a run of one state and
    // mode, when it closes (or StFlushPickBatch is called); the state is then put back. Batches
    // nest; the outermost close flushes.
    static void StOpenPickBatch();
    static void StClosePickBatch();
    static void StFlushPickBatch();
    // StBeginVertices(GL_LINE_STRIP).
    static void StStartPolylineVertices();
    // StVertex.
    static void StDrawVertex(const float* xyz);
    // The positions as one primitive of `mode` (through StBeginVertices); nothing without points.
    static void StDrawPoints(int count, const SPAposition* points, GLenum mode);
    // The float points (x, y, z each) as one primitive of `mode` (through StBeginVertices); after
    // each vertex the normals (0, 0, -1) and (0, 0, 1) are sent. Nothing without points.
    static void StDrawPoints(int count, const float* xyz, GLenum mode);
    // Draws a 1-bit bitmap at raster position (x, y), the point of the bitmap named by the
    // alignment placed there (see EAlignment); rows of the record's bytes per row, the record's
    // first row (top first, as GetBitmapBits gives them) drawn at the top. Nothing for a null or
    // empty bitmap.
    static void StDrawBitmap(float x, float y, const CDsBitmap* bitmap, EAlignment alignment);
    // One textured quad through p0, p2, p3, p1 (three floats each, in this order) with (s0, t0)
    // at p0, (s0, t1) at p2, (s1, t1) at p3 and (s1, t0) at p1.
    static void StDrawTexturedRectangle(const float* p0, const float* p1, const float* p2, const float* p3, float s0,
                                        float s1, float t0, float t1);
    // The box's outline in the view's pixels (origin lower left), lighting off for the draw.
    static void DrawRectangle(const SDsBox2D& box, view3d& view);
    // The same moved by (dx, dy) pixels and turned about the origin by `angle` radians.
    static void DrawRectangle(view3d& view, const SDsBox2D& box, float angle, float dx, float dy);
    // The outline of a 3-D box (six faces drawn as lines), lighting off for the draw. Nothing for
    // an empty box.
    static void DrawBoundBox3D(CDsBox& box);
    // Two-dimensional overlay of a w x h viewport: pushes the projection (an orthographic box of
    // w x h centred on the origin, near 0.001, far 1e20) and the model-view matrix (looking down
    // -z from 1e10, moved by (-w/2, -h/2)), and disables the depth test. Window pixels with the
    // origin at the lower left follow, until End2dDraw.
    static void Start2dDraw(int w, int h);
    // Pops the projection and the model-view matrix that Start2dDraw pushed.
    static void End2dDraw();

    // --- Textures ---
    // On: 2-D texturing on with the w x h RGBA image (clamped, linear, decal); off: off.
    static void StSetTexture2D(bool on, int w, int h, const void* rgba);
    // GL_MAX_TEXTURE_SIZE (0 when the query answers nothing).
    static int StGetMaxTextureSize();
    // Makes a GL texture of the image in the current context and fills `texture` (id, picture
    // size, extents). Repeating images wrap and use the decal mode, others are clamped and
    // replace. False (texture unchanged) for an image without texels or without a context.
    static bool LoadTexture(const SDsTextureData& image, SDsTexture& texture);
    // Makes `image` a w x h texture image of a 1-bit picture (rows of w / 8 bytes, lowest bit
    // leftmost): set bits take the foreground, all other texels the background. False (image
    // unchanged) for null bits or a size below 1.
    static bool ConvertBits2Texture(const unsigned char* bits, int w, int h, SDsTextureData& image,
                                    const SColor4ub& background, const SColor4ub& foreground);
    // Draws the texture's picture with its lower-left corner at view pixel (x, y), blended by its
    // alpha, lighting and colour material off. Nothing for a texture that was never loaded.
    static void DrawIcon(view3d& view, const SDsTexture& texture, int x, int y);
    // Fills the planar polygon with hatch texture `hatch` of the display manager's texture table,
    // lit, with `normal` as its normal: one texture repeat per 32 pixels of `view`, the texture's
    // s axis along `direction` in the polygon's plane. The texture is the current view's (made on
    // first use); when that view's context renders to a bitmap, a temporary one. Nothing is drawn
    // without a current view, for a hatch the table does not hold or a view without a scale.
    static void DrawHatchedPolygon(view3d& view, const std::pair<std::vector<SPAposition>, GLenum>& polygon,
                                   const SPAunit_vector& direction, const SPAunit_vector& normal, int hatch);

    // --- Pixels and buffers ---
    // Copies the window's pixels from (0, 0) to (viewport width, viewport height) front to back
    // (true) or back to front (false), in place (half a pixel to the left when the card's
    // workarounds ask for it); the draw buffer stays the target. Enabled fragment operations
    // (depth test, blending, texturing) apply to the copy. False (nothing copied) without a
    // current context or with an invalid raster position.
    static bool CopyColorBuffer(bool frontToBack);
    // Copies the window rectangle (x, y, w, h) back to front (true; the draw buffer is GL_BACK
    // again afterwards) or front to back, with logic ops, blending, depth test and ARB programs
    // off and the scissor box on the rectangle for the copy only (all put back as they were).
    // False for an empty rectangle or without a current context.
    static bool CopyPixels(int x, int y, int w, int h, bool backToFront);
    // Reads the rectangle of `readBuffer` of `src` and draws it at the same place into
    // `drawBuffer` of `dst`, through the current context (which stays current on `dst`) and
    // `pixels` (RGBA with alpha, else RGB; sized by the call), with logic ops, blending, depth
    // test and ARB programs off for the copy only. False, nothing drawn, for null DCs,
    // an empty rectangle, no current context or a DC the context cannot be made current on.
    static bool CopyPixels(HDC src, HDC dst, int x, int y, int w, int h, GLenum readBuffer, GLenum drawBuffer,
                           std::vector<unsigned char>& pixels, bool alpha);
    // The same copy in one glCopyPixels, the current context reading `src` while it draws into
    // `dst` (wglMakeContextCurrentARB): no trip through memory, and no pixel rectangle drawn from
    // memory, which some drivers answer by making every later draw of the program then in use
    // reload its constants. The context stays current on `dst` (reading it too), with the read
    // buffer it had before the call. False, nothing drawn, where CopyPixels answers false, and
    // when the entry point is missing or the two DCs cannot be bound together; the caller then
    // copies through memory.
    static bool CopyPixelsDirect(HDC src, HDC dst, int x, int y, int w, int h, GLenum readBuffer,
                                 GLenum drawBuffer);
    // Reads the rectangle of `readBuffer` of `dc` (through the current context, which stays
    // current on `dc`) into `pixels`, rows from the bottom, RGBA with alpha else RGB; answers the
    // byte count. 0 (pixels unchanged) for an empty rectangle, no current context or a DC the
    // context cannot be made current on.
    static int ReadPixels(HDC dc, int x, int y, int w, int h, GLenum readBuffer, std::vector<unsigned char>& pixels,
                          bool alpha);
    // Attaches to `memDC` a memory DC compatible with `dc` and to `bitmap` a w x h bitmap
    // compatible with `dc` that holds the rectangle of `readBuffer` as shown (rows from the top,
    // blue, green, red bytes). False for a null `dc` or `memDC`, an empty rectangle, a DC or
    // bitmap that cannot be made, or pixels that cannot be read; then nothing stays attached.
    static bool Buffer2Bitmap(HDC dc, int x, int y, int w, int h, GLenum readBuffer, CDC* memDC, CBitmap& bitmap);

    // --- Extensions ---
    // Whether the current context's GL_EXTENSIONS names `name` exactly (a blank-separated
    // token); false for null, or without a current context.
    static bool IsExtensionSupported(const char* name);
    // Whether the WGL extension string names `name` exactly (a blank-separated token). The string
    // is fetched once, when its entry point is loaded (InitGeneralExtensions).
    static bool IsWGLExtensionSupported(const char* name);
    // Whether "GL_ARB_vertex_buffer_object" is supported; decided once a context is current.
    static bool IsVBOSupported();
    // Loads the four buffer entry points once, when vertex buffer objects are supported.
    static void InitVBOExtension();
    // Whether pbuffers can be used: no with the command-line switch "NoPBuffer", else when both
    // "WGL_ARB_pbuffer" and "WGL_ARB_pixel_format" are WGL extensions; decided once.
    static bool IsPBufSupported();
    // Whether pbuffers are bound as textures: only with the command-line switch
    // "RenderPBufferByTexture" and the WGL extension "WGL_ARB_render_texture"; decided once.
    static bool IsRenderTextureSupported();
    // Loads the WGL extension string's entry point once.
    static void InitGeneralExtensions();
    // Loads the pbuffer and pixel-format entry points once when pbuffers can be used, the
    // render-to-texture ones when pbuffers are bound as textures, and the one that reads another
    // DC than the context draws into when "WGL_ARB_make_current_read" is a WGL extension.
    static void InitPBufExtensions();

    // Entry-point wrappers: each calls its entry point and answers 0 or null while it is missing.
    static HPBUFFERARB CreatePBuffer(HDC dc, int format, int width, int height, const int* attributes);
    static HDC GetPBufferDC(HPBUFFERARB pbuffer);
    static int ReleasePBuffer(HPBUFFERARB pbuffer, HDC dc);
    static BOOL DestroyPBuffer(HPBUFFERARB pbuffer);
    static BOOL QueryPBuffer(HPBUFFERARB pbuffer, int attribute, int* value);
    static BOOL ChoosePixelFormat(HDC dc, const int* intAttributes, const FLOAT* floatAttributes, UINT maxFormats,
                                  int* formats, UINT* count);
    static BOOL GetPixelFormatAttribfv(HDC dc, int format, int layer, UINT count, const int* attributes,
                                       FLOAT* values);
    static BOOL GetPixelFormatAttribiv(HDC dc, int format, int layer, UINT count, const int* attributes, int* values);
    static BOOL BindTexImage(HPBUFFERARB pbuffer, int buffer);
    static BOOL ReleaseTexImage(HPBUFFERARB pbuffer, int buffer);
    static BOOL SetPbufferAttrib(HPBUFFERARB pbuffer, const int* attributes);
    // Binds buffer `id` to `target`; nothing while the entry point is missing.
    static void BindBufferARB(GLenum target, GLuint id);

    // A static-draw buffer object of `bytes` bytes from `data` (an element buffer when
    // `elements`), left bound; 0 for null data, a size below 1 or missing entry points.
    static GLuint CreateBufferVBO(int bytes, const void* data, bool elements);
    // Deletes buffer `id` (the variable keeps the number); nothing for 0 or a missing entry point.
    static void DeleteBufferVBO(GLuint& id);
    // Draws `count` vertices as `mode` from the vertex buffer (three floats each) and, when not 0,
    // the normal buffer; the client states (vertex and normal arrays) are the caller's. Nothing
    // without a vertex buffer, for a count below 1 or while the entry points are missing.
    static void DrawVBO(GLuint vertices, GLuint normals, int count, GLenum mode);

    // --- Start-up and information ---
    // Prepares OpenGL for the process on the desktop window: sets a pixel format on its DC, makes
    // a context current there and deletes it again. The context that was current before is current
    // again afterwards. False when no context could be made current.
    static bool StInitOpenGl();
    // Sets a double-buffered RGBA pixel format for windows on `dc`; false when none is set.
    static bool SetupPixelFormat(HDC dc);
    // Makes, selects into `dc` and realises the logical palette that the DC's pixel format needs
    // (PFD_NEED_PALETTE; never on a true-colour display): the StGetRgbPaletteColors entries,
    // attached to `palette`, which must hold no palette yet. `*previous` (when `previous` is not
    // null) gets the palette the DC held, as CDC::SelectPalette answers it: its owning object, else
    // a temporary wrapper valid until CGdiObject::DeleteTempMap, to be selected back before
    // `palette` is deleted. True when a palette was made, selected and realised; false when none is
    // needed (the DC's palette and `palette` unchanged), for a DC without a pixel format, or on
    // failure (nothing left selected or attached); `*previous` is null whenever false.
    static bool CreateRgbPalette(HDC dc, CPalette* palette, CPalette** previous);
    // The same for the pixel format `format` (as DescribePixelFormat tells it) instead of the DC's.
    static bool CreateRgbPalette(HDC dc, const PIXELFORMATDESCRIPTOR& format, CPalette* palette,
                                 CPalette** previous);
    // The colours (0x00BBGGRR) of the palette a pixel format of 1 to 8 colour bits needs:
    // 2^colour-bits entries whose red, green and blue come from the entry index through the
    // format's shifts and bit counts (ComponentFromIndex); the 3-3-2 format (red 3 bits at shift 0,
    // green 3 at 3, blue 2 at 6) has entries 3, 24, 27, 64, 67, 88, 173, 181, 236, 247, 164 and 91
    // replaced by the twelve system colours. False (colours unchanged) for other colour depths.
    static bool StGetRgbPaletteColors(const PIXELFORMATDESCRIPTOR& format, std::vector<uint32_t>& colors);
    // Intensity (0 to 255) of component value (index >> shift) of a `bits`-bit ramp (1, 2 or 3
    // bits); 0 for other bit counts.
    static unsigned char ComponentFromIndex(int index, unsigned int bits, unsigned int shift);
    // out = "OpenGL Information" and the vendor, renderer, version and extensions of the current
    // context, each on a tabbed line; false (out unchanged) without a current context.
    static bool StGetOpenGlInformation(CVyrString& out);

    // Back to the state at start: support tests untested, entry points and the WGL string
    // unloaded, width cache, line-width range and list-id counter reset. For tests.
    VYR_TEST_RESET static void ResetForTests();
};
