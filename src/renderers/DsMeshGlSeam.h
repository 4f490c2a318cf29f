// The OpenGL seam of the mesh painter and the strips renderer: the calls by which they send a
// mesh go through this table, so that a test can record what a mesh turns into (which blocks,
// which normals, which vertex buffers) as well as draw it. The table starts on the real entry
// points; SDsMeshGlSeamScope installs another for its lifetime. Display lists and vertex buffers
// are made with the real calls whatever the table holds.
#pragma once

#include <afx.h>

#include <GL/gl.h>

// The entry points through which meshes are sent.
struct SDsMeshGlSeam {
    void (*FrontFace)(GLenum mode);
    void (*Begin)(GLenum mode);
    void (*End)();
    void (*Normal3f)(GLfloat x, GLfloat y, GLfloat z);
    void (*Normal3fv)(const GLfloat* normal);
    void (*Vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void (*Vertex3fv)(const GLfloat* position);
    // The colour of a palette index of the active vertex colour palette (CDsDriverGl::StSetColor).
    void (*PaletteColor)(int index);
    void (*Color4f)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void (*EnableClientState)(GLenum array);
    void (*DisableClientState)(GLenum array);
    // Draws from vertex buffers (CDsDriverGl::DrawVBO).
    void (*DrawVBO)(GLuint vertices, GLuint normals, int count, GLenum mode);
    void (*CallList)(GLuint list);
};

// The seam in use.
extern AFX_EXT_DATA SDsMeshGlSeam gDsMeshGl;
// The table of the real entry points.
AFX_EXT_API const SDsMeshGlSeam& DsRealMeshGlSeam();

// Installs a seam for the life of the object and puts back the one it found.
class SDsMeshGlSeamScope {
public:
    // Installs `seam`.
    explicit SDsMeshGlSeamScope(const SDsMeshGlSeam& seam) : m_saved(gDsMeshGl) { gDsMeshGl = seam; }
    // The seam found.
    ~SDsMeshGlSeamScope() { gDsMeshGl = m_saved; }
    // Not copyable.
    SDsMeshGlSeamScope(const SDsMeshGlSeamScope&) = delete;
    // Not copyable.
    SDsMeshGlSeamScope& operator=(const SDsMeshGlSeamScope&) = delete;

private:
    SDsMeshGlSeam m_saved;
};
