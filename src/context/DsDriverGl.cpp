// CDsDriverGl: OpenGL driver statics.
#include "DsDriverGl.h"

#include "DsBox.h"
#include "DsGeometryComputer.h"
#include "DsGlExtensions.h"
#include "DsItemPolyline3D.h"
#include "DsLogicalPalette.h"
#include "DsManager.h"
#include "DsOpenGlSetup.h"
#include "DsPalette.h"
#include "DsRectangle.h"
#include "DsStylePalette.h"
#include "DsTextureData.h"
#include "DsView3dCdc.h"
#include "VyrCommandLineParser.h"
#include "VyrString.h"
#include "rendering_context.h"
#include "rgb_color.h"
#include "view3d.h"

#include <afxwin.h>

#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

// --- Exported state -------------------------------------------------------------------------

float CDsDriverGl::mRed = 1.0f;
float CDsDriverGl::mGreen = 0.5f;
float CDsDriverGl::mBlue = 0.0f;
float CDsDriverGl::mAlpha = 0.0f;
int CDsDriverGl::mWidth = 1;
unsigned short CDsDriverGl::mStyle = 0xFFFF;
int CDsDriverGl::mFactor = 1;
int CDsDriverGl::mStyleIndex = 0;
bool CDsDriverGl::mLineSmooth = false;
bool CDsDriverGl::sBackBuffer = true;
unsigned char CDsDriverGl::sDepthTest = 0;
unsigned char CDsDriverGl::sLighting = 0;
unsigned char CDsDriverGl::sFaceCulling = 0;
unsigned char CDsDriverGl::sColorMaterial = 0;
int* CDsDriverGl::sPolygonMode = nullptr;
CDsPalette* CDsDriverGl::mVertexColorPalette = nullptr;
const int CDsDriverGl::cVertexNumberInList;

PFNGLGENBUFFERSARBPROC CDsDriverGl::glGenBuffersARB = nullptr;
PFNGLBINDBUFFERARBPROC CDsDriverGl::glBindBufferARB = nullptr;
PFNGLBUFFERDATAARBPROC CDsDriverGl::glBufferDataARB = nullptr;
PFNGLDELETEBUFFERSARBPROC CDsDriverGl::glDeleteBuffersARB = nullptr;
PFNWGLGETEXTENSIONSSTRINGARBPROC CDsDriverGl::wglGetExtensionsStringARB = nullptr;
PFNWGLCREATEPBUFFERARBPROC CDsDriverGl::wglCreatePbufferARB = nullptr;
PFNWGLGETPBUFFERDCARBPROC CDsDriverGl::wglGetPbufferDCARB = nullptr;
PFNWGLRELEASEPBUFFERDCARBPROC CDsDriverGl::wglReleasePbufferDCARB = nullptr;
PFNWGLDESTROYPBUFFERARBPROC CDsDriverGl::wglDestroyPbufferARB = nullptr;
PFNWGLQUERYPBUFFERARBPROC CDsDriverGl::wglQueryPbufferARB = nullptr;
PFNWGLCHOOSEPIXELFORMATARBPROC CDsDriverGl::wglChoosePixelFormatARB = nullptr;
PFNWGLGETPIXELFORMATATTRIBIVARBPROC CDsDriverGl::wglGetPixelFormatAttribivARB = nullptr;
PFNWGLGETPIXELFORMATATTRIBFVARBPROC CDsDriverGl::wglGetPixelFormatAttribfvARB = nullptr;
PFNWGLBINDTEXIMAGEARBPROC CDsDriverGl::wglBindTexImageARB = nullptr;
PFNWGLRELEASETEXIMAGEARBPROC CDsDriverGl::wglReleaseTexImageARB = nullptr;
PFNWGLSETPBUFFERATTRIBARBPROC CDsDriverGl::wglSetPbufferAttribARB = nullptr;
PFNWGLMAKECONTEXTCURRENTARBPROC CDsDriverGl::wglMakeContextCurrentARB = nullptr;

namespace {

// Extension support: untested, no, yes.
enum Support : unsigned char { kUntested = 0, kNo = 1, kYes = 2 };

Support sVboSupport = kUntested;
Support sPbufSupport = kUntested;
Support sRenderTextureSupport = kUntested;
Support sArbProgramSupport = kUntested;  // GL_ARB_vertex_program and GL_ARB_fragment_program
bool sVboLoaded = false;

// The primitive StBeginVertices gathers while OpenGL selects or takes feedback: its mode and its
// vertices (three floats each).
struct SGathered {
    bool on = false;
    GLenum mode = GL_POINTS;
    std::vector<GLfloat> xyz;
};

SGathered& Gathered()
{
    static SGathered gathered;
    return gathered;
}

// What OpenGL's selection and feedback results depend on, beside the vertices and the names.
struct SPickState {
    GLfloat modelview[16];
    GLfloat projection[16];
    GLint viewport[4];
    GLfloat depthRange[2];
    GLint polygonMode[2];
    GLint cullMode, frontFace;
    GLboolean cull;
    GLuint clipMask;  // the clip planes on
    GLdouble planes[8][4];  // their equations in eye space (those on only)

    bool operator==(const SPickState& other) const
    {
        if (std::memcmp(modelview, other.modelview, sizeof modelview) != 0 ||
            std::memcmp(projection, other.projection, sizeof projection) != 0 ||
            std::memcmp(viewport, other.viewport, sizeof viewport) != 0 ||
            std::memcmp(depthRange, other.depthRange, sizeof depthRange) != 0 ||
            std::memcmp(polygonMode, other.polygonMode, sizeof polygonMode) != 0 || cullMode != other.cullMode ||
            frontFace != other.frontFace || cull != other.cull || clipMask != other.clipMask)
            return false;
        for (int i = 0; i < 8; ++i)
            if ((clipMask & (1u << i)) && std::memcmp(planes[i], other.planes[i], sizeof planes[i]) != 0) return false;
        return true;
    }
};

// The clip planes a batch keeps: as many as OpenGL has, up to eight (asked once: every context
// the process makes comes from the one driver).
int BatchClipPlanes()
{
    static const int count = [] {
        GLint planes = 6;
        glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
        return std::clamp(static_cast<int>(planes), 0, 8);
    }();
    return count;
}

void ReadPickState(SPickState& state)
{
    glGetFloatv(GL_MODELVIEW_MATRIX, state.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, state.projection);
    glGetIntegerv(GL_VIEWPORT, state.viewport);
    glGetFloatv(GL_DEPTH_RANGE, state.depthRange);
    glGetIntegerv(GL_POLYGON_MODE, state.polygonMode);
    glGetIntegerv(GL_CULL_FACE_MODE, &state.cullMode);
    glGetIntegerv(GL_FRONT_FACE, &state.frontFace);
    state.cull = glIsEnabled(GL_CULL_FACE);
    state.clipMask = 0;
    for (int i = 0, planes = BatchClipPlanes(); i < planes; ++i) {
        if (glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + i)) != GL_TRUE) continue;
        state.clipMask |= 1u << i;
        glGetClipPlane(static_cast<GLenum>(GL_CLIP_PLANE0 + i), state.planes[i]);
    }
}

void ApplyPickState(const SPickState& state)
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(state.projection);
    glMatrixMode(GL_MODELVIEW);
    // A clip plane's equation is given in eye space: set under the identity.
    glLoadIdentity();
    for (int i = 0, planes = BatchClipPlanes(); i < planes; ++i) {
        const GLenum plane = static_cast<GLenum>(GL_CLIP_PLANE0 + i);
        if (state.clipMask & (1u << i)) {
            glClipPlane(plane, state.planes[i]);
            glEnable(plane);
        } else {
            glDisable(plane);
        }
    }
    glLoadMatrixf(state.modelview);
    glViewport(state.viewport[0], state.viewport[1], state.viewport[2], state.viewport[3]);
    glDepthRange(state.depthRange[0], state.depthRange[1]);
    glPolygonMode(GL_FRONT, static_cast<GLenum>(state.polygonMode[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(state.polygonMode[1]));
    glCullFace(static_cast<GLenum>(state.cullMode));
    glFrontFace(static_cast<GLenum>(state.frontFace));
    if (state.cull)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

struct SBatchPrimitive {
    GLenum mode;
    GLint first;
    GLsizei count;
    size_t state;  // index into SPickBatch::states
};

struct SPickBatch {
    int depth = 0;  // nested opens
    std::vector<GLfloat> xyz;
    std::vector<SBatchPrimitive> primitives;
    std::vector<SPickState> states;
};

SPickBatch& PickBatch()
{
    static SPickBatch batch;
    return batch;
}

// Adds a primitive of `count` float vertices of `size` coordinates to the open batch.
void AddToPickBatch(GLenum mode, GLint size, const GLfloat* vertices, int count)
{
    SPickBatch& batch = PickBatch();
    SPickState state;
    ReadPickState(state);
    if (batch.states.empty() || !(batch.states.back() == state)) batch.states.push_back(state);
    const GLint first = static_cast<GLint>(batch.xyz.size() / 3);
    for (int i = 0; i < count; ++i) {
        batch.xyz.push_back(vertices[size * i]);
        batch.xyz.push_back(vertices[size * i + 1]);
        batch.xyz.push_back(size >= 3 ? vertices[size * i + 2] : 0.0f);
    }
    batch.primitives.push_back({mode, first, static_cast<GLsizei>(count), batch.states.size() - 1});
}

using PfnMultiDrawArrays = void (*)(GLenum, const GLint*, const GLsizei*, GLsizei);
bool sPbufLoaded = false;
bool sGeneralLoaded = false;
// The queried line-width range (largest width 0 until queried).
double sLineWidthRange[2] = {0.0, 0.0};
bool sLineWidthRangeQueried = false;
// The last id handed out by StGetIdForList plus the block's length.
uint64_t sListCounter = 0;
// The WGL extension string, fetched once.
std::string sWglExtensions;
// The context StSetWidth or StForceWidth last sent mWidth to.
HGLRC sWidthContext = nullptr;

bool HasContext()
{
    return wglGetCurrentContext() != nullptr;
}

template <typename F>
F Load(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

bool CommandLineHas(const wchar_t* name)
{
    return CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(name));
}

// Whether the ARB vertex and fragment program switches exist (enabling an unknown switch would
// leave GL_INVALID_ENUM set).
bool HasArbPrograms()
{
    if (sArbProgramSupport == kUntested && HasContext())
        sArbProgramSupport = CDsDriverGl::IsExtensionSupported("GL_ARB_fragment_program") &&
                                     CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_program")
                                 ? kYes
                                 : kNo;
    return sArbProgramSupport == kYes;
}

// Switches off what must not touch copied pixels for the life of the object, and puts back the
// switches and the scissor box it found: a copy in the middle of a frame leaves the frame's later
// drawing as it was.
class CCopyStateScope {
public:
    CCopyStateScope()
    {
        glGetIntegerv(GL_SCISSOR_BOX, m_scissorBox);
        for (Switch& s : m_switches) {
            s.known = !s.arbProgram || HasArbPrograms();
            s.wasOn = s.known && glIsEnabled(s.cap);
            if (s.known) glDisable(s.cap);
        }
    }
    ~CCopyStateScope()
    {
        glScissor(m_scissorBox[0], m_scissorBox[1], m_scissorBox[2], m_scissorBox[3]);
        for (const Switch& s : m_switches)
            if (s.wasOn) glEnable(s.cap);
    }
    CCopyStateScope(const CCopyStateScope&) = delete;
    CCopyStateScope& operator=(const CCopyStateScope&) = delete;

private:
    struct Switch {
        GLenum cap;
        bool arbProgram;  // exists only with the ARB program extensions
        bool known = false;
        bool wasOn = false;
    };
    GLint m_scissorBox[4] = {0, 0, 0, 0};
    Switch m_switches[5] = {{GL_COLOR_LOGIC_OP, false},
                            {GL_BLEND, false},
                            {GL_DEPTH_TEST, false},
                            {GL_FRAGMENT_PROGRAM_ARB, true},
                            {GL_VERTEX_PROGRAM_ARB, true}};
};

// Selects `buffer` for reading and puts back the read buffer found when it goes. Drivers keep the
// read buffer in the context or, as Mesa does, in the drawable it reads: the scope must end while
// the context still reads the drawable it began on, so that both kinds get back what they had.
class CReadBufferScope {
public:
    explicit CReadBufferScope(GLenum buffer)
    {
        glGetIntegerv(GL_READ_BUFFER, &m_found);
        glReadBuffer(buffer);
    }
    ~CReadBufferScope() { glReadBuffer(static_cast<GLenum>(m_found)); }
    CReadBufferScope(const CReadBufferScope&) = delete;
    CReadBufferScope& operator=(const CReadBufferScope&) = delete;

private:
    GLint m_found = GL_BACK;
};

bool IsReadBuffer(GLenum buffer)
{
    return buffer == GL_FRONT || buffer == GL_BACK || buffer == GL_FRONT_LEFT || buffer == GL_BACK_LEFT;
}

bool IsDrawBuffer(GLenum buffer)
{
    return IsReadBuffer(buffer) || buffer == GL_FRONT_AND_BACK;
}

// Moves a valid raster position to window pixel (x, y) (a move keeps it valid wherever it
// lands); false when the raster position is invalid.
bool MoveRasterTo(float x, float y)
{
    GLint valid = GL_FALSE;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return false;
    GLfloat position[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glBitmap(0, 0, 0.0f, 0.0f, x - position[0], y - position[1], nullptr);
    return true;
}

// Inside Start2dDraw(w, h): puts the raster position at window pixel (x, y), exactly, whatever
// the viewport. False when no valid raster position can be had (an empty viewport).
bool PlaceRasterAt(int w, int h, int x, int y)
{
    glRasterPos2f(0.5f * static_cast<float>(w), 0.5f * static_cast<float>(h));
    return MoveRasterTo(static_cast<float>(x), static_cast<float>(y));
}

// Bytes of a w x h block of 3 or 4 bytes a pixel; 0 when it does not fit an int.
int BlockBytes(int w, int h, bool alpha)
{
    const int64_t bytes = int64_t(alpha ? 4 : 3) * w * h;
    return bytes > INT_MAX ? 0 : static_cast<int>(bytes);
}

}  // namespace

// --- State switches --------------------------------------------------------------------------

void CDsDriverGl::StSetDepthTest(bool on)
{
    if (on)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void CDsDriverGl::StSetDepthTestState(bool on, bool /*unused*/)
{
    if (on) {
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

bool CDsDriverGl::StGetDepthTestState()
{
    return glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
}

bool CDsDriverGl::StGetLightingState()
{
    return glIsEnabled(GL_LIGHTING) == GL_TRUE;
}

bool CDsDriverGl::StGetFaceCullingState()
{
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

bool CDsDriverGl::StGetColorMaterialState()
{
    return glIsEnabled(GL_COLOR_MATERIAL) == GL_TRUE;
}

void CDsDriverGl::StSetLightingState(bool on, bool /*unused*/)
{
    if (on) {
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
    } else {
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    }
}

void CDsDriverGl::StSetFaceCullingState(bool on, bool /*unused*/)
{
    if (on)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

void CDsDriverGl::StSetColorMaterialState(bool on, bool lightingOff)
{
    if (on) {
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        if (lightingOff) glDisable(GL_LIGHTING);
    } else {
        glDisable(GL_COLOR_MATERIAL);
        glEnable(GL_LIGHTING);
    }
}

void CDsDriverGl::StSetTransparentMode(bool on)
{
    if (on) {
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
        glEnable(GL_BLEND);
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    }
}

void CDsDriverGl::StSetPolygonMode(int face, int mode, bool /*unused*/)
{
    glPolygonMode(static_cast<GLenum>(face), static_cast<GLenum>(mode));
}

void CDsDriverGl::StGetPolygonMode(int& front, int& back)
{
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    front = modes[0];
    back = modes[1];
}

void CDsDriverGl::StSetPolygonHatch(const unsigned char* pattern)
{
    if (!pattern) {
        glDisable(GL_POLYGON_STIPPLE);
        return;
    }
    glEnable(GL_POLYGON_STIPPLE);
    glPolygonStipple(pattern);
}

void CDsDriverGl::StSetPolygonOffset(bool on, float factor, float units)
{
    if (on)
        glEnable(GL_POLYGON_OFFSET_FILL);
    else
        glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(factor, units);
}

void CDsDriverGl::StSetPolylineOffset(bool on, float factor, float units)
{
    if (on)
        glEnable(GL_POLYGON_OFFSET_LINE);
    else
        glDisable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(factor, units);
}

void CDsDriverGl::StSetDepthTestFunction(GLenum function)
{
    glDepthFunc(function);
}

GLenum CDsDriverGl::StGetDepthTestFunction()
{
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    return static_cast<GLenum>(function);
}

void CDsDriverGl::StSetPointSize(int size)
{
    if (size < 1) return;
    glPointSize(static_cast<GLfloat>(size));
}

void CDsDriverGl::StSetBackBuffer(bool back)
{
    glDrawBuffer(back ? GL_BACK : GL_FRONT);
}

bool CDsDriverGl::StGetBackBuffer()
{
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    return buffer == GL_BACK || buffer == GL_BACK_LEFT;
}

void CDsDriverGl::StClearBuffers(rgb_color& color)
{
    glClearColor(static_cast<GLfloat>(color.red()), static_cast<GLfloat>(color.green()),
                 static_cast<GLfloat>(color.blue()), 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CDsDriverGl::ResetMembers()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDrawBuffer(GL_BACK);
}

void CDsDriverGl::StSetOrthographicProjection(double left, double right, double bottom, double top, double zNear,
                                              double zFar)
{
    if (left == right || bottom == top || zNear == zFar) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, zNear, zFar);
}

void CDsDriverGl::StSetOrthographicProjection(bool infiniteDepth)
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return;
    const double w = view->get_width(), h = view->get_height();
    const double zNear = infiniteDepth ? -1e10 : view->get_hither();
    const double zFar = infiniteDepth ? 1e10 : view->get_yon();
    StSetOrthographicProjection(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, zNear, zFar);
}

void CDsDriverGl::StFlush()
{
    glFlush();
}

void CDsDriverGl::StFlushToFrontBufferForDebug() {}
void CDsDriverGl::StTraceError() {}
void CDsDriverGl::StTraceFlags() {}
void CDsDriverGl::StTraceAttributes() {}

// --- Colour, width and style -----------------------------------------------------------------

void CDsDriverGl::StSetColor(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
}

void CDsDriverGl::StForceColor(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
}

void CDsDriverGl::StColorUb(unsigned char r, unsigned char g, unsigned char b)
{
    glColor3ub(r, g, b);
}

void CDsDriverGl::StGetColor(float& r, float& g, float& b, float& a)
{
    GLfloat color[4] = {r, g, b, a};
    glGetFloatv(GL_CURRENT_COLOR, color);
    r = color[0];
    g = color[1];
    b = color[2];
    a = color[3];
}

void CDsDriverGl::StSetColor(int index)
{
    if (!mVertexColorPalette) return;
    CDsColorStorage color;
    if (!mVertexColorPalette->GetColor(index, color)) return;
    glColor3ub(color.GetRed(), color.GetGreen(), color.GetBlue());
}

void CDsDriverGl::StSetActiveVertexColorPalette(CDsPalette* palette)
{
    mVertexColorPalette = palette;
}

CDsPalette* CDsDriverGl::StGetActiveVertexColorPalette()
{
    return mVertexColorPalette;
}

void CDsDriverGl::StSetWidth(int width)
{
    if (width < 1) return;
    HGLRC context = wglGetCurrentContext();
    if (!context || (width == mWidth && context == sWidthContext)) return;
    if (width > 2 && !CDsItemPolyline3D::StInMultiPolyline()) {
        if (!sLineWidthRangeQueried) {
            GLdouble range[2] = {0.0, 0.0};
            glGetDoublev(GL_LINE_WIDTH_RANGE, range);
            if (range[1] > 0.0) {
                sLineWidthRange[0] = range[0];
                sLineWidthRange[1] = range[1];
                sLineWidthRangeQueried = true;
            }
        }
        if (sLineWidthRange[1] >= width) {
            glEnable(GL_LINE_SMOOTH);
            glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
        } else {
            glDisable(GL_LINE_SMOOTH);
        }
    } else {
        glDisable(GL_LINE_SMOOTH);
    }
    glLineWidth(static_cast<GLfloat>(width));
    mWidth = width;
    sWidthContext = context;
}

void CDsDriverGl::StForceWidth(int width)
{
    if (width < 1) return;
    glLineWidth(static_cast<GLfloat>(width));
    mWidth = width;
    sWidthContext = wglGetCurrentContext();
}

void CDsDriverGl::StForgetWidth()
{
    sWidthContext = nullptr;
}

void CDsDriverGl::StForceLineSmooth(bool on)
{
    if (on) {
        glEnable(GL_LINE_SMOOTH);
        glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    } else {
        glDisable(GL_LINE_SMOOTH);
    }
}

void CDsDriverGl::StSetStyle(int style)
{
    if (style == 0) {
        glDisable(GL_LINE_STIPPLE);
        return;
    }
    uint16_t pattern = 0xFFFF;
    int factor = 1;
    if (!CDsStylePalette::StGetActive()->GetStyle(style, pattern, factor)) return;
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(factor, pattern);
}

void CDsDriverGl::StForceStyle(int style)
{
    StSetStyle(style);
}

// --- Display lists ---------------------------------------------------------------------------

GLuint CDsDriverGl::StGenerateGlLists(int count)
{
    if (count < 1) return 0;
    return glGenLists(count);
}

void CDsDriverGl::StDeleteGlLists(GLuint first, int count)
{
    if (first == 0 || count < 1) return;
    glDeleteLists(first, count);
}

bool CDsDriverGl::StStartGlListCreation(GLuint id, bool execute)
{
    if (id == 0 || !HasContext()) return false;
    GLint open = 0;
    glGetIntegerv(GL_LIST_INDEX, &open);
    if (open != 0) return false;
    glNewList(id, execute ? GL_COMPILE_AND_EXECUTE : GL_COMPILE);
    return true;
}

void CDsDriverGl::StEndGlListCreation()
{
    GLint open = 0;
    glGetIntegerv(GL_LIST_INDEX, &open);
    if (open == 0) return;
    glEndList();
}

void CDsDriverGl::StDrawGlList(GLuint id, bool backFacesFirst)
{
    if (id == 0) return;
    if (!backFacesFirst) {
        glCallList(id);
        return;
    }
    // Back faces first (front ones culled), then front faces: a transparent surface's near side
    // blends over its far side.
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glCallList(id);
    glCullFace(GL_BACK);
    glCallList(id);
    glPopAttrib();
}

GLuint CDsDriverGl::StGetIdForList(int count)
{
    if (count < 1 || !HasContext()) return 0;
    const uint64_t last = UINT32_MAX;
    uint64_t id = sListCounter + 1;
    for (;;) {
        if (id + static_cast<uint64_t>(count) - 1 > last) return 0;
        int used = 0;
        while (used < count && !glIsList(static_cast<GLuint>(id + used))) ++used;
        if (used == count) break;
        id += static_cast<uint64_t>(used) + 1;  // past the id in use
    }
    sListCounter = id + static_cast<uint64_t>(count);
    return static_cast<GLuint>(id);
}

// --- Vertices, points and bitmaps ------------------------------------------------------------

bool CDsDriverGl::StSelectsOrFeedsBack()
{
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode == GL_SELECT || mode == GL_FEEDBACK;
}

void CDsDriverGl::StBeginVertices(GLenum mode)
{
    SGathered& gathered = Gathered();
    gathered.on = StSelectsOrFeedsBack();
    if (!gathered.on) {
        glBegin(mode);
        return;
    }
    gathered.mode = mode;
    gathered.xyz.clear();  // the capacity stays for the next primitive
}

void CDsDriverGl::StVertex(float x, float y, float z)
{
    SGathered& gathered = Gathered();
    if (gathered.on)
        gathered.xyz.insert(gathered.xyz.end(), {x, y, z});
    else
        glVertex3f(x, y, z);
}

void CDsDriverGl::StVertex(const float* xyz)
{
    StVertex(xyz[0], xyz[1], xyz[2]);
}

void CDsDriverGl::StEndVertices()
{
    SGathered& gathered = Gathered();
    if (!gathered.on) {
        glEnd();
        return;
    }
    gathered.on = false;
    StDrawClientArray(gathered.mode, 3, GL_FLOAT, gathered.xyz.data(), static_cast<int>(gathered.xyz.size() / 3));
}

void CDsDriverGl::StOpenPickBatch()
{
    ++PickBatch().depth;
}

void CDsDriverGl::StClosePickBatch()
{
    SPickBatch& batch = PickBatch();
    if (batch.depth > 0 && --batch.depth == 0) StFlushPickBatch();
}

void CDsDriverGl::StFlushPickBatch()
{
    SPickBatch& batch = PickBatch();
    if (batch.primitives.empty()) return;
    static const PfnMultiDrawArrays multiDraw = Load<PfnMultiDrawArrays>("glMultiDrawArrays");
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    SPickState current;
    ReadPickState(current);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY})
        glDisableClientState(array);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, batch.xyz.data());
    std::vector<GLint> firsts;
    std::vector<GLsizei> counts;
    size_t applied = SIZE_MAX;
    for (size_t i = 0; i < batch.primitives.size();) {
        // A run of one state and mode.
        const SBatchPrimitive& head = batch.primitives[i];
        size_t end = i + 1;
        while (end < batch.primitives.size() && batch.primitives[end].state == head.state &&
               batch.primitives[end].mode == head.mode)
            ++end;
        if (head.state != applied) {
            ApplyPickState(batch.states[head.state]);
            applied = head.state;
        }
        firsts.clear();
        counts.clear();
        for (size_t k = i; k < end; ++k) {
            firsts.push_back(batch.primitives[k].first);
            counts.push_back(batch.primitives[k].count);
        }
        if (multiDraw) {
            multiDraw(head.mode, firsts.data(), counts.data(), static_cast<GLsizei>(firsts.size()));
        } else {
            for (size_t k = 0; k < firsts.size(); ++k) glDrawArrays(head.mode, firsts[k], counts[k]);
        }
        i = end;
    }
    glPopClientAttrib();
    ApplyPickState(current);
    glMatrixMode(static_cast<GLenum>(matrixMode));
    batch.primitives.clear();
    batch.states.clear();
    batch.xyz.clear();  // the capacity stays for the next batch
}

void CDsDriverGl::StDrawClientArray(GLenum mode, GLint size, GLenum type, const void* vertices, int count)
{
    if (!vertices || count < 1) return;
    if (PickBatch().depth > 0 && type == GL_FLOAT && (size == 2 || size == 3) && StSelectsOrFeedsBack()) {
        AddToPickBatch(mode, size, static_cast<const GLfloat*>(vertices), count);
        return;
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY})
        glDisableClientState(array);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(size, type, 0, vertices);
    glDrawArrays(mode, 0, count);
    glPopClientAttrib();
}

void CDsDriverGl::StStartPolylineVertices()
{
    StBeginVertices(GL_LINE_STRIP);
}

void CDsDriverGl::StDrawVertex(const float* xyz)
{
    StVertex(xyz);
}

void CDsDriverGl::StDrawPoints(int count, const SPAposition* points, GLenum mode)
{
    if (count < 1 || !points) return;
    StBeginVertices(mode);
    for (int i = 0; i < count; ++i)
        StVertex(static_cast<float>(points[i].x()), static_cast<float>(points[i].y()), static_cast<float>(points[i].z()));
    StEndVertices();
}

void CDsDriverGl::StDrawPoints(int count, const float* xyz, GLenum mode)
{
    if (count < 1 || !xyz) return;
    StBeginVertices(mode);
    for (int i = 0; i < count; ++i) {
        StVertex(xyz + 3 * i);
        glNormal3f(0.0f, 0.0f, -1.0f);
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
    StEndVertices();
}

void CDsDriverGl::StDrawBitmap(float x, float y, const CDsBitmap* bitmap, EAlignment alignment)
{
    if (!bitmap || !bitmap->GetBits() || bitmap->GetWidth() < 1 || bitmap->GetHeight() < 1) return;
    const float w = static_cast<float>(bitmap->GetWidth()), h = static_cast<float>(bitmap->GetHeight());
    float xorig = 0.0f, yorig = 0.0f;
    switch (alignment) {
        case eAlignTopLeft: xorig = 0.0f; yorig = h; break;
        case eAlignTopRight: xorig = w; yorig = h; break;
        case eAlignBottomRight: xorig = w; yorig = 0.0f; break;
        case eAlignCenter: xorig = w / 2.0f; yorig = h / 2.0f; break;
        case eAlignLeftCenter: xorig = 0.0f; yorig = h / 2.0f; break;
        case eAlignRightCenter: xorig = w; yorig = h / 2.0f; break;
        case eAlignTopCenter: xorig = w / 2.0f; yorig = h; break;
        case eAlignBottomCenter: xorig = w / 2.0f; yorig = 0.0f; break;
        default: break;
    }
    glRasterPos2f(x, y);
    // The record keeps its rows top first (as GetBitmapBits gives them) and glBitmap draws its
    // first row at the bottom: the rows are handed over in the opposite order, so that the
    // picture shows upright.
    const size_t rowBytes = size_t(bitmap->GetWidthBytes()), rows = size_t(bitmap->GetHeight());
    std::vector<GLubyte> upright(rowBytes * rows);
    for (size_t r = 0; r < rows; ++r)
        std::memcpy(upright.data() + r * rowBytes, bitmap->GetBits() + (rows - 1 - r) * rowBytes, rowBytes);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, bitmap->GetWidthBytes() * 8);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glBitmap(bitmap->GetWidth(), bitmap->GetHeight(), xorig, yorig, 0.0f, 0.0f, upright.data());
    glPopClientAttrib();
}

void CDsDriverGl::StDrawTexturedRectangle(const float* p0, const float* p1, const float* p2, const float* p3,
                                          float s0, float s1, float t0, float t1)
{
    if (!p0 || !p1 || !p2 || !p3) return;
    StBeginVertices(GL_QUADS);
    glTexCoord2f(s0, t0);
    StVertex(p0);
    glTexCoord2f(s0, t1);
    StVertex(p2);
    glTexCoord2f(s1, t1);
    StVertex(p3);
    glTexCoord2f(s1, t0);
    StVertex(p1);
    StEndVertices();
}

void CDsDriverGl::DrawRectangle(const SDsBox2D& box, view3d& view)
{
    DrawRectangle(view, box, 0.0f, 0.0f, 0.0f);
}

void CDsDriverGl::DrawRectangle(view3d& view, const SDsBox2D& box, float angle, float dx, float dy)
{
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    view.Start2dDraw();
    glTranslatef(dx, dy, 0.0f);
    if (angle != 0.0f) glRotatef(angle * 180.0f / static_cast<float>(M_PI), 0.0f, 0.0f, 1.0f);
    StBeginVertices(GL_LINE_LOOP);
    StVertex(static_cast<float>(box.minX), static_cast<float>(box.minY));
    StVertex(static_cast<float>(box.maxX), static_cast<float>(box.minY));
    StVertex(static_cast<float>(box.maxX), static_cast<float>(box.maxY));
    StVertex(static_cast<float>(box.minX), static_cast<float>(box.maxY));
    StEndVertices();
    view.End2dDraw();
    glPopAttrib();
}

void CDsDriverGl::DrawBoundBox3D(CDsBox& box)
{
    if (box.IsNotComputed()) return;
    // Corner k takes x, y, z from the maximum where bit 0, 1, 2 of k is set.
    const float* lo = box.GetMin();
    const float* hi = box.GetMax();
    auto corner = [&](int k) { StVertex((k & 1) ? hi[0] : lo[0], (k & 2) ? hi[1] : lo[1], (k & 4) ? hi[2] : lo[2]); };
    // Bottom and top (z), front and back (y), left and right (x).
    static const int kFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                     {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    StBeginVertices(GL_QUADS);
    for (const auto& face : kFaces)
        for (int k : face) corner(k);
    StEndVertices();
    glPopAttrib();
}

void CDsDriverGl::Start2dDraw(int w, int h)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, 0.001, 1e20);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 1e10, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glTranslatef(-w / 2.0f, -h / 2.0f, 0.0f);
}

void CDsDriverGl::End2dDraw()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// --- Textures --------------------------------------------------------------------------------

void CDsDriverGl::StSetTexture2D(bool on, int w, int h, const void* rgba)
{
    if (!on) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    if (w < 1 || h < 1) return;
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
}

int CDsDriverGl::StGetMaxTextureSize()
{
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

bool CDsDriverGl::LoadTexture(const SDsTextureData& image, SDsTexture& texture)
{
    const DsTextureBuffer& block = image.buffer;
    if (block.IsEmpty() || !HasContext()) return false;
    GLuint id = 0;
    glGenTextures(1, &id);
    if (id == 0) return false;
    texture.id = id;
    texture.sExtent = static_cast<float>(image.width) / static_cast<float>(block.GetColumns());
    texture.tExtent = static_cast<float>(image.height) / static_cast<float>(block.GetRows());
    texture.width = image.width;
    texture.height = image.height;
    glBindTexture(GL_TEXTURE_2D, id);
    const GLint wrap = image.repeat ? GL_REPEAT : GL_CLAMP;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, image.repeat ? GL_DECAL : GL_REPLACE);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, block.GetColumns(), block.GetRows(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 block.GetTexels());
    return true;
}

bool CDsDriverGl::ConvertBits2Texture(const unsigned char* bits, int w, int h, SDsTextureData& image,
                                      const SColor4ub& background, const SColor4ub& foreground)
{
    if (!bits || w < 1 || h < 1) return false;
    image.buffer.Resize(w, h);
    image.width = w;
    image.height = h;
    const int bytesPerRow = w / 8;
    for (int row = 0; row < h; ++row) {
        SColor4ub* texels = image.buffer.Row(row);
        std::fill(texels, texels + w, background);
        const unsigned char* bytes = bits + static_cast<size_t>(row) * static_cast<size_t>(bytesPerRow);
        for (int k = 0; k < bytesPerRow; ++k)
            for (int j = 0; j < 8; ++j)
                if (bytes[k] & (1u << j)) texels[8 * k + j] = foreground;
    }
    return true;
}

void CDsDriverGl::DrawIcon(view3d& view, const SDsTexture& texture, int x, int y)
{
    if (texture.id == 0) return;
    glBindTexture(GL_TEXTURE_2D, texture.id);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_BLEND);
    view.Start2dDraw();
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = x0 + static_cast<float>(texture.width), y1 = y0 + static_cast<float>(texture.height);
    StBeginVertices(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    StVertex(x0, y0);
    glTexCoord2f(texture.sExtent, 0.0f);
    StVertex(x1, y0);
    glTexCoord2f(texture.sExtent, texture.tExtent);
    StVertex(x1, y1);
    glTexCoord2f(0.0f, texture.tExtent);
    StVertex(x0, y1);
    StEndVertices();
    view.End2dDraw();
    glPopAttrib();
}

void CDsDriverGl::DrawHatchedPolygon(view3d& view, const std::pair<std::vector<SPAposition>, GLenum>& polygon,
                                     const SPAunit_vector& direction, const SPAunit_vector& normal, int hatch)
{
    CDsView3dCdc* current = CDsView3dCdc::StGetCurrent();
    const double unitsPerPixel = view.get_units_per_pixel();
    if (!current || !(unitsPerPixel > 0.0) || polygon.first.empty()) return;

    // Plane coordinates: the rotation that takes the normal onto z.
    const double pixelsPerUnit = 1.0 / unitsPerPixel;
    SPAtransf toPlane;
    CDsGeometryComputer::GetInstance()->CalculateRotationMatrix(normal, SPAvector(0.0, 0.0, 1.0), toPlane);
    const SPAvector d = SPAvector(direction) * toPlane;
    // Texture coordinates turned so that the texture's s axis runs along d; atan2 keeps the
    // quadrant and never sees a cosine out of range.
    const double angle = std::atan2(-d.y(), d.x());
    const double c = std::cos(angle), s = std::sin(angle);

    SDsTexture texture;
    bool temporary = false;
    rendering_context* context = current->get_rendering_context();
    if (context && context->GetRenderToBitmap()) {
        SDsTextureData image;
        if (!CDsManager::GetInstance()->GetTextureData(hatch, image) || !LoadTexture(image, texture)) return;
        temporary = true;
    } else if (!CDsManager::GetInstance()->GetTexture(hatch, texture)) {
        return;
    }

    glBindTexture(GL_TEXTURE_2D, texture.id);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    StBeginVertices(polygon.second);
    glNormal3f(static_cast<float>(normal.x()), static_cast<float>(normal.y()), static_cast<float>(normal.z()));
    for (const SPAposition& p : polygon.first) {
        const SPAposition q = p * toPlane;
        const double u = pixelsPerUnit * q.x() / 32.0, v = pixelsPerUnit * q.y() / 32.0;
        glTexCoord2f(static_cast<float>(u * c - v * s), static_cast<float>(u * s + v * c));
        StVertex(static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z()));
    }
    StEndVertices();
    glPopAttrib();
    if (temporary) {
        GLuint id = texture.id;
        glDeleteTextures(1, &id);
    }
}

// --- Pixels and buffers ----------------------------------------------------------------------

bool CDsDriverGl::CopyColorBuffer(bool frontToBack)
{
    if (!HasContext()) return false;
    GLint valid = GL_FALSE;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return false;
    glReadBuffer(frontToBack ? GL_FRONT : GL_BACK);
    glDrawBuffer(frontToBack ? GL_BACK : GL_FRONT);
    const float shift = (CDsOpenGlSetup::StGetFlags() & CDsOpenGlSetup::kRasterShiftX1) ? -0.5f : 0.0f;
    MoveRasterTo(shift, 0.0f);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glCopyPixels(0, 0, viewport[2], viewport[3], GL_COLOR);
    return true;
}

bool CDsDriverGl::CopyPixels(int x, int y, int w, int h, bool backToFront)
{
    if (w < 1 || h < 1 || !HasContext()) return false;
    glReadBuffer(backToFront ? GL_BACK : GL_FRONT);
    glDrawBuffer(backToFront ? GL_FRONT : GL_BACK);
    const CCopyStateScope states;
    glScissor(x, y, w, h);
    Start2dDraw(w, h);
    const bool placed = PlaceRasterAt(w, h, x, y);
    if (placed) glCopyPixels(x, y, w, h, GL_COLOR);
    End2dDraw();
    if (backToFront) glDrawBuffer(GL_BACK);
    return placed;
}

bool CDsDriverGl::CopyPixels(HDC src, HDC dst, int x, int y, int w, int h, GLenum readBuffer, GLenum drawBuffer,
                             std::vector<unsigned char>& pixels, bool alpha)
{
    HGLRC context = wglGetCurrentContext();
    const int bytes = BlockBytes(w, h, alpha);
    if (!src || !dst || w < 1 || h < 1 || bytes == 0 || !context || !IsReadBuffer(readBuffer) ||
        !IsDrawBuffer(drawBuffer))
        return false;
    pixels.resize(static_cast<size_t>(bytes));
    const GLenum format = alpha ? GL_RGBA : GL_RGB;
    const CCopyStateScope states;
    Start2dDraw(w, h);
    bool done = false;
    if (wglMakeCurrent(src, context)) {
        {
            const CReadBufferScope read(readBuffer);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(x, y, w, h, format, GL_UNSIGNED_BYTE, pixels.data());
        }
        if (wglMakeCurrent(dst, context)) {
            glDrawBuffer(drawBuffer);
            glDisable(GL_COLOR_LOGIC_OP);
            if (PlaceRasterAt(w, h, x, y)) {
                glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
                glDrawPixels(w, h, format, GL_UNSIGNED_BYTE, pixels.data());
                done = true;
            }
            if (drawBuffer != GL_BACK) glDrawBuffer(GL_BACK);
        }
    }
    End2dDraw();
    return done;
}

bool CDsDriverGl::CopyPixelsDirect(HDC src, HDC dst, int x, int y, int w, int h, GLenum readBuffer,
                                   GLenum drawBuffer)
{
    HGLRC context = wglGetCurrentContext();
    if (!wglMakeContextCurrentARB || !src || !dst || w < 1 || h < 1 || !context || !IsReadBuffer(readBuffer) ||
        !IsDrawBuffer(drawBuffer) || !wglMakeContextCurrentARB(dst, src, context))
        return false;
    bool done = false;
    {
        const CCopyStateScope states;
        const CReadBufferScope read(readBuffer);  // the read buffer of `src`, as found afterwards
        Start2dDraw(w, h);
        glDrawBuffer(drawBuffer);
        glDisable(GL_COLOR_LOGIC_OP);
        if (PlaceRasterAt(w, h, x, y)) {
            glCopyPixels(x, y, w, h, GL_COLOR);
            done = true;
        }
        if (drawBuffer != GL_BACK) glDrawBuffer(GL_BACK);
        End2dDraw();
    }
    wglMakeCurrent(dst, context);
    return done;
}

int CDsDriverGl::ReadPixels(HDC dc, int x, int y, int w, int h, GLenum readBuffer, std::vector<unsigned char>& pixels,
                            bool alpha)
{
    HGLRC context = wglGetCurrentContext();
    const int bytes = BlockBytes(w, h, alpha);
    if (!dc || w < 1 || h < 1 || bytes == 0 || !context || !IsReadBuffer(readBuffer)) return 0;
    Start2dDraw(w, h);
    if (!wglMakeCurrent(dc, context)) {
        End2dDraw();
        return 0;
    }
    std::vector<unsigned char> block(static_cast<size_t>(bytes));
    glReadBuffer(readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, block.data());
    End2dDraw();
    pixels.swap(block);
    return bytes;
}

bool CDsDriverGl::Buffer2Bitmap(HDC dc, int x, int y, int w, int h, GLenum readBuffer, CDC* memDC, CBitmap& bitmap)
{
    CDC* source = CDC::FromHandle(dc);
    // The DC and the bitmap must be free to take what is made here.
    if (!source || !memDC || w < 1 || h < 1 || memDC->GetSafeHdc() || bitmap.GetSafeHandle()) return false;
    std::vector<unsigned char> rgba;
    if (ReadPixels(dc, x, y, w, h, readBuffer, rgba, true) == 0) return false;
    if (!memDC->CreateCompatibleDC(source)) return false;
    BITMAP description{};
    if (!bitmap.CreateCompatibleBitmap(source, w, h) || bitmap.GetBitmap(&description) == 0 ||
        description.bmBitsPixel != 32 || description.bmWidthBytes != 4 * w) {
        bitmap.DeleteObject();
        memDC->DeleteDC();
        return false;
    }
    // GL rows run from the bottom, bitmap rows from the top; GL pixels are R, G, B, A and bitmap
    // pixels B, G, R, x. Every row is turned and every pixel swapped exactly once.
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rgba.begin() + top * rowBytes, rgba.begin() + (top + 1) * rowBytes,
                         rgba.begin() + bottom * rowBytes);
    for (size_t i = 0; i < rgba.size(); i += 4) std::swap(rgba[i], rgba[i + 2]);
    if (bitmap.SetBitmapBits(static_cast<DWORD>(rgba.size()), rgba.data()) != rgba.size()) {
        bitmap.DeleteObject();
        memDC->DeleteDC();
        return false;
    }
    return true;
}

// --- Extensions ------------------------------------------------------------------------------

bool CDsDriverGl::IsExtensionSupported(const char* name)
{
    if (!name || !HasContext()) return false;
    return DsIsExtensionInList(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

// The WGL extension string, fetched once its entry point is loaded; empty until then.
static const std::string& WglExtensions()
{
    if (sWglExtensions.empty() && CDsDriverGl::wglGetExtensionsStringARB) {
        if (const char* extensions = CDsDriverGl::wglGetExtensionsStringARB(wglGetCurrentDC()))
            sWglExtensions = extensions;
    }
    return sWglExtensions;
}

bool CDsDriverGl::IsWGLExtensionSupported(const char* name)
{
    return DsIsExtensionInList(WglExtensions().c_str(), name);
}

bool CDsDriverGl::IsVBOSupported()
{
    if (sVboSupport == kUntested && HasContext())
        sVboSupport = IsExtensionSupported("GL_ARB_vertex_buffer_object") ? kYes : kNo;
    return sVboSupport == kYes;
}

void CDsDriverGl::InitVBOExtension()
{
    if (sVboLoaded || !IsVBOSupported()) return;
    glGenBuffersARB = Load<PFNGLGENBUFFERSARBPROC>("glGenBuffersARB");
    glBindBufferARB = Load<PFNGLBINDBUFFERARBPROC>("glBindBufferARB");
    glBufferDataARB = Load<PFNGLBUFFERDATAARBPROC>("glBufferDataARB");
    glDeleteBuffersARB = Load<PFNGLDELETEBUFFERSARBPROC>("glDeleteBuffersARB");
    sVboLoaded = true;
}

bool CDsDriverGl::IsPBufSupported()
{
    if (sPbufSupport == kUntested) {
        if (CommandLineHas(L"NoPBuffer")) {
            sPbufSupport = kNo;
        } else {
            if (!WglExtensions().empty())  // undecided until the string is known
                sPbufSupport = IsWGLExtensionSupported("WGL_ARB_pbuffer") &&
                                       IsWGLExtensionSupported("WGL_ARB_pixel_format")
                                   ? kYes
                                   : kNo;
        }
    }
    return sPbufSupport == kYes;
}

bool CDsDriverGl::IsRenderTextureSupported()
{
    if (sRenderTextureSupport == kUntested) {
        if (!CommandLineHas(L"RenderPBufferByTexture")) {
            sRenderTextureSupport = kNo;
        } else {
            if (!WglExtensions().empty())
                sRenderTextureSupport = IsWGLExtensionSupported("WGL_ARB_render_texture") ? kYes : kNo;
        }
    }
    return sRenderTextureSupport == kYes;
}

void CDsDriverGl::InitGeneralExtensions()
{
    if (sGeneralLoaded) return;
    wglGetExtensionsStringARB = Load<PFNWGLGETEXTENSIONSSTRINGARBPROC>("wglGetExtensionsStringARB");
    sGeneralLoaded = wglGetExtensionsStringARB != nullptr;
}

void CDsDriverGl::InitPBufExtensions()
{
    if (sPbufLoaded || !IsPBufSupported()) return;
    wglCreatePbufferARB = Load<PFNWGLCREATEPBUFFERARBPROC>("wglCreatePbufferARB");
    wglGetPbufferDCARB = Load<PFNWGLGETPBUFFERDCARBPROC>("wglGetPbufferDCARB");
    wglReleasePbufferDCARB = Load<PFNWGLRELEASEPBUFFERDCARBPROC>("wglReleasePbufferDCARB");
    wglDestroyPbufferARB = Load<PFNWGLDESTROYPBUFFERARBPROC>("wglDestroyPbufferARB");
    wglQueryPbufferARB = Load<PFNWGLQUERYPBUFFERARBPROC>("wglQueryPbufferARB");
    wglGetPixelFormatAttribivARB = Load<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
    wglGetPixelFormatAttribfvARB = Load<PFNWGLGETPIXELFORMATATTRIBFVARBPROC>("wglGetPixelFormatAttribfvARB");
    wglChoosePixelFormatARB = Load<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
    if (IsRenderTextureSupported()) {
        wglBindTexImageARB = Load<PFNWGLBINDTEXIMAGEARBPROC>("wglBindTexImageARB");
        wglReleaseTexImageARB = Load<PFNWGLRELEASETEXIMAGEARBPROC>("wglReleaseTexImageARB");
        wglSetPbufferAttribARB = Load<PFNWGLSETPBUFFERATTRIBARBPROC>("wglSetPbufferAttribARB");
    }
    if (IsWGLExtensionSupported("WGL_ARB_make_current_read"))
        wglMakeContextCurrentARB = Load<PFNWGLMAKECONTEXTCURRENTARBPROC>("wglMakeContextCurrentARB");
    sPbufLoaded = true;
}

HPBUFFERARB CDsDriverGl::CreatePBuffer(HDC dc, int format, int width, int height, const int* attributes)
{
    return wglCreatePbufferARB ? wglCreatePbufferARB(dc, format, width, height, attributes) : nullptr;
}

HDC CDsDriverGl::GetPBufferDC(HPBUFFERARB pbuffer)
{
    return wglGetPbufferDCARB ? wglGetPbufferDCARB(pbuffer) : nullptr;
}

int CDsDriverGl::ReleasePBuffer(HPBUFFERARB pbuffer, HDC dc)
{
    return wglReleasePbufferDCARB ? wglReleasePbufferDCARB(pbuffer, dc) : 0;
}

BOOL CDsDriverGl::DestroyPBuffer(HPBUFFERARB pbuffer)
{
    return wglDestroyPbufferARB ? wglDestroyPbufferARB(pbuffer) : FALSE;
}

BOOL CDsDriverGl::QueryPBuffer(HPBUFFERARB pbuffer, int attribute, int* value)
{
    return wglQueryPbufferARB ? wglQueryPbufferARB(pbuffer, attribute, value) : FALSE;
}

BOOL CDsDriverGl::ChoosePixelFormat(HDC dc, const int* intAttributes, const FLOAT* floatAttributes, UINT maxFormats,
                                    int* formats, UINT* count)
{
    return wglChoosePixelFormatARB ? wglChoosePixelFormatARB(dc, intAttributes, floatAttributes, maxFormats, formats,
                                                             count)
                                   : FALSE;
}

BOOL CDsDriverGl::GetPixelFormatAttribfv(HDC dc, int format, int layer, UINT count, const int* attributes,
                                         FLOAT* values)
{
    return wglGetPixelFormatAttribfvARB ? wglGetPixelFormatAttribfvARB(dc, format, layer, count, attributes, values)
                                        : FALSE;
}

BOOL CDsDriverGl::GetPixelFormatAttribiv(HDC dc, int format, int layer, UINT count, const int* attributes,
                                         int* values)
{
    return wglGetPixelFormatAttribivARB ? wglGetPixelFormatAttribivARB(dc, format, layer, count, attributes, values)
                                        : FALSE;
}

BOOL CDsDriverGl::BindTexImage(HPBUFFERARB pbuffer, int buffer)
{
    return wglBindTexImageARB ? wglBindTexImageARB(pbuffer, buffer) : FALSE;
}

BOOL CDsDriverGl::ReleaseTexImage(HPBUFFERARB pbuffer, int buffer)
{
    return wglReleaseTexImageARB ? wglReleaseTexImageARB(pbuffer, buffer) : FALSE;
}

BOOL CDsDriverGl::SetPbufferAttrib(HPBUFFERARB pbuffer, const int* attributes)
{
    return wglSetPbufferAttribARB ? wglSetPbufferAttribARB(pbuffer, attributes) : FALSE;
}

void CDsDriverGl::BindBufferARB(GLenum target, GLuint id)
{
    if (glBindBufferARB) glBindBufferARB(target, id);
}

GLuint CDsDriverGl::CreateBufferVBO(int bytes, const void* data, bool elements)
{
    if (!data || bytes < 1 || !glGenBuffersARB || !glBindBufferARB || !glBufferDataARB) return 0;
    const GLenum target = elements ? GL_ELEMENT_ARRAY_BUFFER_ARB : GL_ARRAY_BUFFER_ARB;
    GLuint id = 0;
    glGenBuffersARB(1, &id);
    glBindBufferARB(target, id);
    glBufferDataARB(target, bytes, data, GL_STATIC_DRAW_ARB);
    return id;
}

void CDsDriverGl::DeleteBufferVBO(GLuint& id)
{
    if (id == 0 || !glDeleteBuffersARB) return;
    glDeleteBuffersARB(1, &id);
}

void CDsDriverGl::DrawVBO(GLuint vertices, GLuint normals, int count, GLenum mode)
{
    if (vertices == 0 || count < 1 || !glBindBufferARB) return;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertices);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    if (normals != 0) {
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, normals);
        glNormalPointer(GL_FLOAT, 0, nullptr);
    }
    glDrawArrays(mode, 0, count);
}

// --- Start-up and information ----------------------------------------------------------------

bool CDsDriverGl::SetupPixelFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ::ChoosePixelFormat(dc, &pfd);
    return format != 0 && ::SetPixelFormat(dc, format, &pfd) != FALSE;
}

bool CDsDriverGl::StInitOpenGl()
{
    HGLRC previousContext = wglGetCurrentContext();
    HDC previousDc = wglGetCurrentDC();
    HWND desktop = GetDesktopWindow();
    HDC dc = desktop ? GetDC(desktop) : nullptr;
    if (!dc) return false;
    bool made = false;
    if (SetupPixelFormat(dc)) {
        if (HGLRC context = wglCreateContext(dc)) {
            made = wglMakeCurrent(dc, context) != FALSE;
            wglDeleteContext(context);
        }
    }
    ReleaseDC(desktop, dc);
    if (previousContext && wglGetCurrentContext() != previousContext) wglMakeCurrent(previousDc, previousContext);
    return made;
}

bool CDsDriverGl::CreateRgbPalette(HDC dc, CPalette* palette, CPalette** previous)
{
    if (previous) *previous = nullptr;
    if (!dc || !palette) return false;
    const int format = GetPixelFormat(dc);
    PIXELFORMATDESCRIPTOR description{};
    if (format == 0 || DescribePixelFormat(dc, format, sizeof description, &description) == 0) return false;
    return CreateRgbPalette(dc, description, palette, previous);
}

bool CDsDriverGl::CreateRgbPalette(HDC dc, const PIXELFORMATDESCRIPTOR& format, CPalette* palette,
                                   CPalette** previous)
{
    if (previous) *previous = nullptr;
    if (!dc || !palette || palette->GetSafeHandle() || !(format.dwFlags & PFD_NEED_PALETTE)) return false;
    std::vector<uint32_t> colors;
    if (!StGetRgbPaletteColors(format, colors)) return false;
    if (!palette->CreatePalette(CDsLogicalPalette(colors).Get())) return false;
    CDC* target = CDC::FromHandle(dc);
    CPalette* held = target->SelectPalette(palette, FALSE);
    if (!held) {
        palette->DeleteObject();
        return false;
    }
    if (target->RealizePalette() == GDI_ERROR) {
        target->SelectPalette(held, FALSE);
        palette->DeleteObject();
        return false;
    }
    if (previous) *previous = held;
    return true;
}

bool CDsDriverGl::StGetRgbPaletteColors(const PIXELFORMATDESCRIPTOR& format, std::vector<uint32_t>& colors)
{
    if (format.cColorBits < 1 || format.cColorBits > 8) return false;
    const int count = 1 << format.cColorBits;
    std::vector<uint32_t> ramp(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const uint32_t red = ComponentFromIndex(i, format.cRedBits, format.cRedShift);
        const uint32_t green = ComponentFromIndex(i, format.cGreenBits, format.cGreenShift);
        const uint32_t blue = ComponentFromIndex(i, format.cBlueBits, format.cBlueShift);
        ramp[static_cast<size_t>(i)] = red | (green << 8) | (blue << 16);
    }
    if (format.cColorBits == 8 && format.cRedBits == 3 && format.cRedShift == 0 && format.cGreenBits == 3 &&
        format.cGreenShift == 3 && format.cBlueBits == 2 && format.cBlueShift == 6) {
        // The system's twelve static colours that the ramps lack, at the entries nearest to them.
        static const int kEntries[12] = {3, 24, 27, 64, 67, 88, 173, 181, 236, 247, 164, 91};
        static const uint8_t kColors[12][3] = {{128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                               {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192},
                                               {166, 202, 240}, {255, 251, 240}, {160, 160, 164}, {128, 128, 128}};
        for (int i = 0; i < 12; ++i)
            ramp[static_cast<size_t>(kEntries[i])] =
                uint32_t(kColors[i][0]) | (uint32_t(kColors[i][1]) << 8) | (uint32_t(kColors[i][2]) << 16);
    }
    colors.swap(ramp);
    return true;
}

unsigned char CDsDriverGl::ComponentFromIndex(int index, unsigned int bits, unsigned int shift)
{
    static const unsigned char kOneBit[2] = {0, 255};
    static const unsigned char kTwoBits[4] = {0, 85, 170, 255};
    static const unsigned char kThreeBits[8] = {0, 36, 73, 109, 146, 182, 219, 255};
    if (bits < 1 || bits > 3 || shift >= 32) return 0;
    const unsigned int value = (static_cast<unsigned int>(index) >> shift) & ((1u << bits) - 1u);
    switch (bits) {
        case 1: return kOneBit[value];
        case 2: return kTwoBits[value];
        default: return kThreeBits[value];
    }
}

bool CDsDriverGl::StGetOpenGlInformation(CVyrString& out)
{
    if (!HasContext()) return false;
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!vendor && !renderer && !version) return false;
    CVyrString text(L"OpenGL Information");
    text += L"\n\t\tVendor\t\t: ";
    text += CVyrString(vendor);
    text += L"\n\t\tRenderer\t: ";
    text += CVyrString(renderer);
    text += L"\n\t\tGL-Version\t: ";
    text += CVyrString(version);
    text += L"\n\t\tExtension\t: ";
    text += CVyrString(extensions);
    out = text;
    return true;
}

void CDsDriverGl::ResetForTests()
{
    sVboSupport = sPbufSupport = sRenderTextureSupport = sArbProgramSupport = kUntested;
    sVboLoaded = sPbufLoaded = sGeneralLoaded = false;
    sLineWidthRange[0] = sLineWidthRange[1] = 0.0;
    sLineWidthRangeQueried = false;
    sListCounter = 0;
    Gathered().on = false;
    sWglExtensions.clear();
    sWidthContext = nullptr;
    mWidth = 1;
    mVertexColorPalette = nullptr;
    glGenBuffersARB = nullptr;
    glBindBufferARB = nullptr;
    glBufferDataARB = nullptr;
    glDeleteBuffersARB = nullptr;
    wglGetExtensionsStringARB = nullptr;
    wglCreatePbufferARB = nullptr;
    wglGetPbufferDCARB = nullptr;
    wglReleasePbufferDCARB = nullptr;
    wglDestroyPbufferARB = nullptr;
    wglQueryPbufferARB = nullptr;
    wglChoosePixelFormatARB = nullptr;
    wglGetPixelFormatAttribivARB = nullptr;
    wglGetPixelFormatAttribfvARB = nullptr;
    wglBindTexImageARB = nullptr;
    wglReleaseTexImageARB = nullptr;
    wglSetPbufferAttribARB = nullptr;
    wglMakeContextCurrentARB = nullptr;
}

VYR_REGISTER_TEST_RESET(CDsDriverGl::ResetForTests, [] {
    CDsDriverGl::ResetForTests();
    return true;
});
