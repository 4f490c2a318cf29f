// The OpenGL state a host sets up for its own drawing and expects back after the core picks,
// presents a frame or draws into the front buffer: a test sets distinctive values, lets the core
// work, and reads every value back.
#pragma once

#include <GL/gl.h>

#include <ostream>

namespace vyrtest {

struct GlHostState {
    GLint matrixMode = GL_MODELVIEW;
    GLint twoSided = 0;  // GL_LIGHT_MODEL_TWO_SIDE
    GLfloat lineWidth = 1.0f;
    GLint depthFunction = GL_LESS;
    GLint drawBuffer = GL_BACK;
    GLint readBuffer = GL_BACK;
    bool depthTest = false;
    bool blend = false;
    bool logicOp = false;
    bool lighting = false;
    bool normalize = false;

    // Sends every value to the current OpenGL context.
    void Apply() const
    {
        glMatrixMode(static_cast<GLenum>(matrixMode));
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, twoSided);
        glLineWidth(lineWidth);
        glDepthFunc(static_cast<GLenum>(depthFunction));
        glDrawBuffer(static_cast<GLenum>(drawBuffer));
        glReadBuffer(static_cast<GLenum>(readBuffer));
        Switch(GL_DEPTH_TEST, depthTest);
        Switch(GL_BLEND, blend);
        Switch(GL_COLOR_LOGIC_OP, logicOp);
        Switch(GL_LIGHTING, lighting);
        Switch(GL_NORMALIZE, normalize);
    }
    // What the current OpenGL context holds.
    static GlHostState Read()
    {
        GlHostState s;
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &s.twoSided);
        glGetFloatv(GL_LINE_WIDTH, &s.lineWidth);
        glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunction);
        glGetIntegerv(GL_DRAW_BUFFER, &s.drawBuffer);
        glGetIntegerv(GL_READ_BUFFER, &s.readBuffer);
        s.depthTest = glIsEnabled(GL_DEPTH_TEST) != GL_FALSE;
        s.blend = glIsEnabled(GL_BLEND) != GL_FALSE;
        s.logicOp = glIsEnabled(GL_COLOR_LOGIC_OP) != GL_FALSE;
        s.lighting = glIsEnabled(GL_LIGHTING) != GL_FALSE;
        s.normalize = glIsEnabled(GL_NORMALIZE) != GL_FALSE;
        return s;
    }
    bool operator==(const GlHostState& o) const
    {
        return matrixMode == o.matrixMode && (twoSided != 0) == (o.twoSided != 0) && lineWidth == o.lineWidth &&
               depthFunction == o.depthFunction && drawBuffer == o.drawBuffer && readBuffer == o.readBuffer &&
               depthTest == o.depthTest &&
               blend == o.blend && logicOp == o.logicOp && lighting == o.lighting && normalize == o.normalize;
    }

private:
    static void Switch(GLenum cap, bool on)
    {
        if (on)
            glEnable(cap);
        else
            glDisable(cap);
    }
};

inline std::ostream& operator<<(std::ostream& out, const GlHostState& s)
{
    return out << std::hex << "{matrix mode 0x" << s.matrixMode << ", depth function 0x" << s.depthFunction
               << ", draw buffer 0x" << s.drawBuffer << ", read buffer 0x" << s.readBuffer << std::dec << ", two-sided " << s.twoSided << ", line width "
               << s.lineWidth << ", depth test " << s.depthTest << ", blend " << s.blend << ", logic op " << s.logicOp
               << ", lighting " << s.lighting << ", normalize " << s.normalize << "}";
}

}  // namespace vyrtest
