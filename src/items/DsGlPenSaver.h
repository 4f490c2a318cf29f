// CDsGlPenSaver: the scope around one item's draw that gives back the pen the item found. An item
// sets its own colour, line width, stipple and point size as it draws (its attributes, a marker's
// size) and leaves them set; the next item that inherits its pen, and the walk's state cache,
// which believes the pen it last sent is still there, would otherwise draw with the item's.
//
// Saved: the current colour, the line width (and GL_LINE_SMOOTH, which wide lines switch on), the
// line stipple (switch, factor and pattern) and the point size. Given back only where the item
// changed them; a width given back is also told to the driver's width memo, so that the next
// StSetWidth of the width the item set is not skipped. While a display list is being compiled
// the saver does nothing: what it read would not be the state the list runs in. Not exported.
#pragma once

#include "DsDriverGl.h"

#include <GL/gl.h>

class CDsGlPenSaver {
public:
    // Reads the pen.
    CDsGlPenSaver()
    {
        GLint list = 0;
        glGetIntegerv(GL_LIST_INDEX, &list);
        m_active = list == 0;
        if (!m_active) return;
        glGetFloatv(GL_CURRENT_COLOR, m_color);
        glGetFloatv(GL_LINE_WIDTH, &m_width);
        glGetFloatv(GL_POINT_SIZE, &m_pointSize);
        m_smooth = glIsEnabled(GL_LINE_SMOOTH);
        m_stipple = glIsEnabled(GL_LINE_STIPPLE);
        glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &m_factor);
        glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &m_pattern);
    }
    // Gives back what changed.
    ~CDsGlPenSaver()
    {
        if (!m_active) return;
        GLfloat color[4] = {m_color[0], m_color[1], m_color[2], m_color[3]};
        glGetFloatv(GL_CURRENT_COLOR, color);
        if (color[0] != m_color[0] || color[1] != m_color[1] || color[2] != m_color[2] || color[3] != m_color[3])
            glColor4fv(m_color);
        GLfloat width = m_width;
        glGetFloatv(GL_LINE_WIDTH, &width);
        if (width != m_width) {
            glLineWidth(m_width);
            CDsDriverGl::StForgetWidth();
        }
        GLfloat pointSize = m_pointSize;
        glGetFloatv(GL_POINT_SIZE, &pointSize);
        if (pointSize != m_pointSize) glPointSize(m_pointSize);
        Switch(GL_LINE_SMOOTH, m_smooth);
        Switch(GL_LINE_STIPPLE, m_stipple);
        GLint factor = m_factor, pattern = m_pattern;
        glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &factor);
        glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
        if (factor != m_factor || pattern != m_pattern) glLineStipple(m_factor, static_cast<GLushort>(m_pattern));
    }
    CDsGlPenSaver(const CDsGlPenSaver&) = delete;
    CDsGlPenSaver& operator=(const CDsGlPenSaver&) = delete;

private:
    static void Switch(GLenum capability, GLboolean on)
    {
        if (glIsEnabled(capability) == on) return;
        if (on)
            glEnable(capability);
        else
            glDisable(capability);
    }

    bool m_active = false;
    GLfloat m_color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat m_width = 1.0f;
    GLfloat m_pointSize = 1.0f;
    GLboolean m_smooth = GL_FALSE;
    GLboolean m_stipple = GL_FALSE;
    GLint m_factor = 1;
    GLint m_pattern = 0xFFFF;
};
