// OpenGL extension loading: the ARB extensions the display core uses beyond OpenGL 1.1, reached
// through entry points looked up at run time (wglGetProcAddress) while a context is current.
//
// Entry points. Every pointer keeps the name its extension gives the function and lives in the
// namespace DsGlExt: call it qualified, as DsGlExt::glBindProgramARB(...). The system GL headers
// declare functions of the same names at global scope (gl.h for multitexture, glext.h for the
// rest when GL_GLEXT_PROTOTYPES is defined), and a global pointer of such a name would not
// compile beside them; the namespace keeps the two apart. Never write `using namespace DsGlExt`:
// an unqualified call would then be ambiguous. Each extension's entry points are listed once
// below (DS_GL_ARB_..._ENTRY_POINTS), as (pointer type, name) pairs; the declarations here, the
// definitions and the loader are all made from these lists. The program functions that
// GL_ARB_vertex_program and GL_ARB_fragment_program share have one pointer each, written by
// whichever of the two is loaded.
//
// Loaded flags. One bool per extension the loader knows (17 of the 19 of the list: it does not
// know GL_ARB_point_parameters and GL_ARB_texture_mirrored_repeat and takes them as loaded without
// looking anything up). A flag is false at start-up and answers for the context that was current
// at the last load of its extension: true when the extension is in that context's extension text
// and every one of its entry points was found, false otherwise (so a context that lacks an
// extension clears what an earlier one set). The flags are the way to learn which extensions of a
// failed list did load. A load that finds the extension missing leaves its entry points as they
// were; the cleared flag says they must not be called.
//
// All pointers and flags are process-wide. The pointers belong to the OpenGL driver of the
// context that was current while loading; every context of the process uses that driver.
//
// Without a current context nothing is known about the driver: DsInitGlExtension answers false
// for every name (the two unknown names as well), nothing is looked up, no pointer is overwritten
// and no flag changes; DsInitGlExtensionList and CDsManager::InitShaders therefore answer false.
#pragma once

#include <afx.h>

#include <GL/gl.h>
#include <GL/glext.h>

class CVyrString;

// GL_ARB_window_pos: the 16 two- and three-coordinate window-position functions.
#define DS_GL_ARB_WINDOW_POS_ENTRY_POINTS(X)        \
    X(PFNGLWINDOWPOS2DARBPROC, glWindowPos2dARB)    \
    X(PFNGLWINDOWPOS2DVARBPROC, glWindowPos2dvARB)  \
    X(PFNGLWINDOWPOS2FARBPROC, glWindowPos2fARB)    \
    X(PFNGLWINDOWPOS2FVARBPROC, glWindowPos2fvARB)  \
    X(PFNGLWINDOWPOS2IARBPROC, glWindowPos2iARB)    \
    X(PFNGLWINDOWPOS2IVARBPROC, glWindowPos2ivARB)  \
    X(PFNGLWINDOWPOS2SARBPROC, glWindowPos2sARB)    \
    X(PFNGLWINDOWPOS2SVARBPROC, glWindowPos2svARB)  \
    X(PFNGLWINDOWPOS3DARBPROC, glWindowPos3dARB)    \
    X(PFNGLWINDOWPOS3DVARBPROC, glWindowPos3dvARB)  \
    X(PFNGLWINDOWPOS3FARBPROC, glWindowPos3fARB)    \
    X(PFNGLWINDOWPOS3FVARBPROC, glWindowPos3fvARB)  \
    X(PFNGLWINDOWPOS3IARBPROC, glWindowPos3iARB)    \
    X(PFNGLWINDOWPOS3IVARBPROC, glWindowPos3ivARB)  \
    X(PFNGLWINDOWPOS3SARBPROC, glWindowPos3sARB)    \
    X(PFNGLWINDOWPOS3SVARBPROC, glWindowPos3svARB)

// GL_ARB_multisample.
#define DS_GL_ARB_MULTISAMPLE_ENTRY_POINTS(X) X(PFNGLSAMPLECOVERAGEARBPROC, glSampleCoverageARB)

// GL_ARB_multitexture: the active texture units and the 32 multi-texture coordinate functions.
#define DS_GL_ARB_MULTITEXTURE_ENTRY_POINTS(X)                  \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)             \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB) \
    X(PFNGLMULTITEXCOORD1DARBPROC, glMultiTexCoord1dARB)         \
    X(PFNGLMULTITEXCOORD1DVARBPROC, glMultiTexCoord1dvARB)       \
    X(PFNGLMULTITEXCOORD1FARBPROC, glMultiTexCoord1fARB)         \
    X(PFNGLMULTITEXCOORD1FVARBPROC, glMultiTexCoord1fvARB)       \
    X(PFNGLMULTITEXCOORD1IARBPROC, glMultiTexCoord1iARB)         \
    X(PFNGLMULTITEXCOORD1IVARBPROC, glMultiTexCoord1ivARB)       \
    X(PFNGLMULTITEXCOORD1SARBPROC, glMultiTexCoord1sARB)         \
    X(PFNGLMULTITEXCOORD1SVARBPROC, glMultiTexCoord1svARB)       \
    X(PFNGLMULTITEXCOORD2DARBPROC, glMultiTexCoord2dARB)         \
    X(PFNGLMULTITEXCOORD2DVARBPROC, glMultiTexCoord2dvARB)       \
    X(PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB)         \
    X(PFNGLMULTITEXCOORD2FVARBPROC, glMultiTexCoord2fvARB)       \
    X(PFNGLMULTITEXCOORD2IARBPROC, glMultiTexCoord2iARB)         \
    X(PFNGLMULTITEXCOORD2IVARBPROC, glMultiTexCoord2ivARB)       \
    X(PFNGLMULTITEXCOORD2SARBPROC, glMultiTexCoord2sARB)         \
    X(PFNGLMULTITEXCOORD2SVARBPROC, glMultiTexCoord2svARB)       \
    X(PFNGLMULTITEXCOORD3DARBPROC, glMultiTexCoord3dARB)         \
    X(PFNGLMULTITEXCOORD3DVARBPROC, glMultiTexCoord3dvARB)       \
    X(PFNGLMULTITEXCOORD3FARBPROC, glMultiTexCoord3fARB)         \
    X(PFNGLMULTITEXCOORD3FVARBPROC, glMultiTexCoord3fvARB)       \
    X(PFNGLMULTITEXCOORD3IARBPROC, glMultiTexCoord3iARB)         \
    X(PFNGLMULTITEXCOORD3IVARBPROC, glMultiTexCoord3ivARB)       \
    X(PFNGLMULTITEXCOORD3SARBPROC, glMultiTexCoord3sARB)         \
    X(PFNGLMULTITEXCOORD3SVARBPROC, glMultiTexCoord3svARB)       \
    X(PFNGLMULTITEXCOORD4DARBPROC, glMultiTexCoord4dARB)         \
    X(PFNGLMULTITEXCOORD4DVARBPROC, glMultiTexCoord4dvARB)       \
    X(PFNGLMULTITEXCOORD4FARBPROC, glMultiTexCoord4fARB)         \
    X(PFNGLMULTITEXCOORD4FVARBPROC, glMultiTexCoord4fvARB)       \
    X(PFNGLMULTITEXCOORD4IARBPROC, glMultiTexCoord4iARB)         \
    X(PFNGLMULTITEXCOORD4IVARBPROC, glMultiTexCoord4ivARB)       \
    X(PFNGLMULTITEXCOORD4SARBPROC, glMultiTexCoord4sARB)         \
    X(PFNGLMULTITEXCOORD4SVARBPROC, glMultiTexCoord4svARB)

// GL_ARB_texture_compression: the six compressed image functions and the compressed image read.
#define DS_GL_ARB_TEXTURE_COMPRESSION_ENTRY_POINTS(X)                  \
    X(PFNGLCOMPRESSEDTEXIMAGE3DARBPROC, glCompressedTexImage3DARB)       \
    X(PFNGLCOMPRESSEDTEXIMAGE2DARBPROC, glCompressedTexImage2DARB)       \
    X(PFNGLCOMPRESSEDTEXIMAGE1DARBPROC, glCompressedTexImage1DARB)       \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE3DARBPROC, glCompressedTexSubImage3DARB) \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE2DARBPROC, glCompressedTexSubImage2DARB) \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE1DARBPROC, glCompressedTexSubImage1DARB) \
    X(PFNGLGETCOMPRESSEDTEXIMAGEARBPROC, glGetCompressedTexImageARB)

// GL_ARB_vertex_blend: the eight weight vector functions, the weight array and the blend count.
#define DS_GL_ARB_VERTEX_BLEND_ENTRY_POINTS(X)     \
    X(PFNGLWEIGHTBVARBPROC, glWeightbvARB)          \
    X(PFNGLWEIGHTSVARBPROC, glWeightsvARB)          \
    X(PFNGLWEIGHTIVARBPROC, glWeightivARB)          \
    X(PFNGLWEIGHTFVARBPROC, glWeightfvARB)          \
    X(PFNGLWEIGHTDVARBPROC, glWeightdvARB)          \
    X(PFNGLWEIGHTUBVARBPROC, glWeightubvARB)        \
    X(PFNGLWEIGHTUSVARBPROC, glWeightusvARB)        \
    X(PFNGLWEIGHTUIVARBPROC, glWeightuivARB)        \
    X(PFNGLWEIGHTPOINTERARBPROC, glWeightPointerARB) \
    X(PFNGLVERTEXBLENDARBPROC, glVertexBlendARB)

// GL_ARB_transpose_matrix: loading and multiplying by row-major matrices.
#define DS_GL_ARB_TRANSPOSE_MATRIX_ENTRY_POINTS(X)                  \
    X(PFNGLLOADTRANSPOSEMATRIXFARBPROC, glLoadTransposeMatrixfARB) \
    X(PFNGLLOADTRANSPOSEMATRIXDARBPROC, glLoadTransposeMatrixdARB) \
    X(PFNGLMULTTRANSPOSEMATRIXFARBPROC, glMultTransposeMatrixfARB) \
    X(PFNGLMULTTRANSPOSEMATRIXDARBPROC, glMultTransposeMatrixdARB)

// The 19 program functions that GL_ARB_vertex_program and GL_ARB_fragment_program share, from
// glProgramStringARB to glGetProgramStringARB, and glIsProgramARB.
#define DS_GL_ARB_PROGRAM_ENTRY_POINTS(X)                                      \
    X(PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                           \
    X(PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                               \
    X(PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                         \
    X(PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                               \
    X(PFNGLPROGRAMENVPARAMETER4DARBPROC, glProgramEnvParameter4dARB)           \
    X(PFNGLPROGRAMENVPARAMETER4DVARBPROC, glProgramEnvParameter4dvARB)         \
    X(PFNGLPROGRAMENVPARAMETER4FARBPROC, glProgramEnvParameter4fARB)           \
    X(PFNGLPROGRAMENVPARAMETER4FVARBPROC, glProgramEnvParameter4fvARB)         \
    X(PFNGLPROGRAMLOCALPARAMETER4DARBPROC, glProgramLocalParameter4dARB)       \
    X(PFNGLPROGRAMLOCALPARAMETER4DVARBPROC, glProgramLocalParameter4dvARB)     \
    X(PFNGLPROGRAMLOCALPARAMETER4FARBPROC, glProgramLocalParameter4fARB)       \
    X(PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, glProgramLocalParameter4fvARB)     \
    X(PFNGLGETPROGRAMENVPARAMETERDVARBPROC, glGetProgramEnvParameterdvARB)     \
    X(PFNGLGETPROGRAMENVPARAMETERFVARBPROC, glGetProgramEnvParameterfvARB)     \
    X(PFNGLGETPROGRAMLOCALPARAMETERDVARBPROC, glGetProgramLocalParameterdvARB) \
    X(PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC, glGetProgramLocalParameterfvARB) \
    X(PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                             \
    X(PFNGLGETPROGRAMSTRINGARBPROC, glGetProgramStringARB)                     \
    X(PFNGLISPROGRAMARBPROC, glIsProgramARB)

// The 43 functions of GL_ARB_vertex_program beside the shared program functions: the 36 generic
// attribute setters, the attribute array functions and the 4 attribute queries.
#define DS_GL_ARB_VERTEX_ATTRIB_ENTRY_POINTS(X)                                     \
    X(PFNGLVERTEXATTRIB1SARBPROC, glVertexAttrib1sARB)                              \
    X(PFNGLVERTEXATTRIB1FARBPROC, glVertexAttrib1fARB)                              \
    X(PFNGLVERTEXATTRIB1DARBPROC, glVertexAttrib1dARB)                              \
    X(PFNGLVERTEXATTRIB2SARBPROC, glVertexAttrib2sARB)                              \
    X(PFNGLVERTEXATTRIB2FARBPROC, glVertexAttrib2fARB)                              \
    X(PFNGLVERTEXATTRIB2DARBPROC, glVertexAttrib2dARB)                              \
    X(PFNGLVERTEXATTRIB3SARBPROC, glVertexAttrib3sARB)                              \
    X(PFNGLVERTEXATTRIB3FARBPROC, glVertexAttrib3fARB)                              \
    X(PFNGLVERTEXATTRIB3DARBPROC, glVertexAttrib3dARB)                              \
    X(PFNGLVERTEXATTRIB4SARBPROC, glVertexAttrib4sARB)                              \
    X(PFNGLVERTEXATTRIB4FARBPROC, glVertexAttrib4fARB)                              \
    X(PFNGLVERTEXATTRIB4DARBPROC, glVertexAttrib4dARB)                              \
    X(PFNGLVERTEXATTRIB4NUBARBPROC, glVertexAttrib4NubARB)                          \
    X(PFNGLVERTEXATTRIB1SVARBPROC, glVertexAttrib1svARB)                            \
    X(PFNGLVERTEXATTRIB1FVARBPROC, glVertexAttrib1fvARB)                            \
    X(PFNGLVERTEXATTRIB1DVARBPROC, glVertexAttrib1dvARB)                            \
    X(PFNGLVERTEXATTRIB2SVARBPROC, glVertexAttrib2svARB)                            \
    X(PFNGLVERTEXATTRIB2FVARBPROC, glVertexAttrib2fvARB)                            \
    X(PFNGLVERTEXATTRIB2DVARBPROC, glVertexAttrib2dvARB)                            \
    X(PFNGLVERTEXATTRIB3SVARBPROC, glVertexAttrib3svARB)                            \
    X(PFNGLVERTEXATTRIB3FVARBPROC, glVertexAttrib3fvARB)                            \
    X(PFNGLVERTEXATTRIB3DVARBPROC, glVertexAttrib3dvARB)                            \
    X(PFNGLVERTEXATTRIB4BVARBPROC, glVertexAttrib4bvARB)                            \
    X(PFNGLVERTEXATTRIB4SVARBPROC, glVertexAttrib4svARB)                            \
    X(PFNGLVERTEXATTRIB4IVARBPROC, glVertexAttrib4ivARB)                            \
    X(PFNGLVERTEXATTRIB4UBVARBPROC, glVertexAttrib4ubvARB)                          \
    X(PFNGLVERTEXATTRIB4USVARBPROC, glVertexAttrib4usvARB)                          \
    X(PFNGLVERTEXATTRIB4UIVARBPROC, glVertexAttrib4uivARB)                          \
    X(PFNGLVERTEXATTRIB4FVARBPROC, glVertexAttrib4fvARB)                            \
    X(PFNGLVERTEXATTRIB4DVARBPROC, glVertexAttrib4dvARB)                            \
    X(PFNGLVERTEXATTRIB4NBVARBPROC, glVertexAttrib4NbvARB)                          \
    X(PFNGLVERTEXATTRIB4NSVARBPROC, glVertexAttrib4NsvARB)                          \
    X(PFNGLVERTEXATTRIB4NIVARBPROC, glVertexAttrib4NivARB)                          \
    X(PFNGLVERTEXATTRIB4NUBVARBPROC, glVertexAttrib4NubvARB)                        \
    X(PFNGLVERTEXATTRIB4NUSVARBPROC, glVertexAttrib4NusvARB)                        \
    X(PFNGLVERTEXATTRIB4NUIVARBPROC, glVertexAttrib4NuivARB)                        \
    X(PFNGLVERTEXATTRIBPOINTERARBPROC, glVertexAttribPointerARB)                    \
    X(PFNGLENABLEVERTEXATTRIBARRAYARBPROC, glEnableVertexAttribArrayARB)            \
    X(PFNGLDISABLEVERTEXATTRIBARRAYARBPROC, glDisableVertexAttribArrayARB)          \
    X(PFNGLGETVERTEXATTRIBDVARBPROC, glGetVertexAttribdvARB)                        \
    X(PFNGLGETVERTEXATTRIBFVARBPROC, glGetVertexAttribfvARB)                        \
    X(PFNGLGETVERTEXATTRIBIVARBPROC, glGetVertexAttribivARB)                        \
    X(PFNGLGETVERTEXATTRIBPOINTERVARBPROC, glGetVertexAttribPointervARB)

// The entry points and loaded flags of the extensions.
namespace DsGlExt {

#define DS_GL_DECLARE_ENTRY_POINT(type, name) extern AFX_EXT_DATA type name;
// Entry points of GL_ARB_window_pos (null until looked up).
DS_GL_ARB_WINDOW_POS_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Entry point of GL_ARB_multisample (null until looked up).
DS_GL_ARB_MULTISAMPLE_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Entry points of GL_ARB_multitexture (null until looked up).
DS_GL_ARB_MULTITEXTURE_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Entry points of GL_ARB_texture_compression (null until looked up).
DS_GL_ARB_TEXTURE_COMPRESSION_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Entry points of GL_ARB_vertex_blend (null until looked up).
DS_GL_ARB_VERTEX_BLEND_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Entry points of GL_ARB_transpose_matrix (null until looked up).
DS_GL_ARB_TRANSPOSE_MATRIX_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Program entry points of GL_ARB_vertex_program and GL_ARB_fragment_program (null until looked up).
DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
// Vertex attribute entry points of GL_ARB_vertex_program (null until looked up).
DS_GL_ARB_VERTEX_ATTRIB_ENTRY_POINTS(DS_GL_DECLARE_ENTRY_POINT)
#undef DS_GL_DECLARE_ENTRY_POINT

// GL_ARB_window_pos loaded.
extern AFX_EXT_DATA bool bGL_ARB_window_pos;
// GL_ARB_multisample loaded.
extern AFX_EXT_DATA bool bGL_ARB_multisample;
// GL_ARB_multitexture loaded.
extern AFX_EXT_DATA bool bGL_ARB_multitexture;
// GL_ARB_texture_compression loaded.
extern AFX_EXT_DATA bool bGL_ARB_texture_compression;
// GL_ARB_vertex_blend loaded.
extern AFX_EXT_DATA bool bGL_ARB_vertex_blend;
// GL_ARB_transpose_matrix loaded.
extern AFX_EXT_DATA bool bGL_ARB_transpose_matrix;
// GL_ARB_vertex_program loaded (with the fragment-program flag: shaders are supported).
extern AFX_EXT_DATA bool bGL_ARB_vertex_program;
// GL_ARB_fragment_program loaded (with the vertex-program flag: shaders are supported).
extern AFX_EXT_DATA bool bGL_ARB_fragment_program;
// GL_ARB_depth_texture present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_depth_texture;
// GL_ARB_shadow present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_shadow;
// GL_ARB_shadow_ambient present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_shadow_ambient;
// GL_ARB_texture_border_clamp present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_border_clamp;
// GL_ARB_texture_cube_map present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_cube_map;
// GL_ARB_texture_env_add present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_env_add;
// GL_ARB_texture_env_combine present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_env_combine;
// GL_ARB_texture_env_crossbar present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_env_crossbar;
// GL_ARB_texture_env_dot3 present (no entry points).
extern AFX_EXT_DATA bool bGL_ARB_texture_env_dot3;

}  // namespace DsGlExt

// The extension list: 19 names separated by single blanks, in loading order (439 characters).
extern AFX_EXT_DATA const char gDsGlExtensionList[];

// Loads every extension of the list in order, the rest even after one fails; true when all
// loaded. False without loading anything when the list's working copy cannot be allocated.
AFX_EXT_API bool DsInitGlExtensionList();

// Loads one extension into its entry points and flag; true (and the flag set) when the current
// context advertises it and every entry point was found, else false (and the flag cleared). True at once for a name the loader does not know; false
// for a null name and, for any name, without a current context (nothing is changed then).
AFX_EXT_API bool DsInitGlExtension(const char* name);

// Whether `name` is a whole word of the blank-separated `extensions` (blanks: spaces, tabs, line
// ends); false for a null or empty text or name. Runs of blanks and blanks at either end separate
// no words. The one whole-name test of GL and WGL extension strings.
AFX_EXT_API bool DsIsExtensionInList(const char* extensions, const char* name);

// Loads the extension list and stores the outcome in `message`: "The vertex shader functions are
// supported." when the whole list loaded, else "One or more of the vertex shader functions are
// not supported."; answers whether the whole list loaded.
AFX_EXT_API bool DsInitShaderExtensions(CVyrString& message);
