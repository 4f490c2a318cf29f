// The OpenGL seam of the walk, its state cache and the renderers: every OpenGL call they make goes
// through this table of entry points, so that a test can count or record the state a walk sends
// without a context (SDsGlSeamScope installs a table for its lifetime) as well as draw with one.
// The table starts on the real OpenGL and GLU entry points.
#pragma once

#include <afx.h>

#include <GL/gl.h>

// The entry points the walk and the state cache call.
struct SDsGlSeam {
    void (*Color3ub)(GLubyte r, GLubyte g, GLubyte b);
    void (*LineWidth)(GLfloat width);
    void (*DepthRange)(GLclampd zNear, GLclampd zFar);
    void (*LineStipple)(GLint factor, GLushort pattern);
    void (*PolygonOffset)(GLfloat factor, GLfloat units);
    void (*PolygonMode)(GLenum face, GLenum mode);
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    GLboolean (*IsEnabled)(GLenum cap);
    void (*MatrixMode)(GLenum mode);
    void (*PushMatrix)();
    void (*PopMatrix)();
    void (*MultMatrixf)(const GLfloat* m);
    void (*LoadIdentity)();
    void (*Ortho)(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
    void (*LookAt)(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
                   GLdouble uy, GLdouble uz);
    void (*Translatef)(GLfloat x, GLfloat y, GLfloat z);
    void (*LightModeli)(GLenum name, GLint value);
    void (*Materialfv)(GLenum face, GLenum name, const GLfloat* values);
    void (*Materialf)(GLenum face, GLenum name, GLfloat value);
    void (*ColorMask)(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
    void (*DepthMask)(GLboolean flag);
    void (*BlendFunc)(GLenum source, GLenum destination);
    void (*CullFace)(GLenum mode);
};

// The seam in use. Exported: the walk templates, compiled into whichever program instantiates
// them, call through the same table as the library.
extern AFX_EXT_DATA SDsGlSeam gDsGl;
// The table of the real OpenGL and GLU entry points.
AFX_EXT_API const SDsGlSeam& DsRealGlSeam();

// Installs a seam for the life of the object and puts back the one it found.
class SDsGlSeamScope {
public:
    // Installs `seam`.
    explicit SDsGlSeamScope(const SDsGlSeam& seam) : m_saved(gDsGl) { gDsGl = seam; }
    // The seam found.
    ~SDsGlSeamScope() { gDsGl = m_saved; }
    // Not copyable.
    SDsGlSeamScope(const SDsGlSeamScope&) = delete;
    // Not copyable.
    SDsGlSeamScope& operator=(const SDsGlSeamScope&) = delete;

private:
    SDsGlSeam m_saved;
};
