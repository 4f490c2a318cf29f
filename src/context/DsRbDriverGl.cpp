// CDsRbDriverGl: the exclusive-or rubber band in the front buffer.
#include "DsRbDriverGl.h"

#include "DsDriverGl.h"
#include "DsView3dCdc.h"

#include "pick_event.h"
#include "view3d.h"

#include <GL/gl.h>

#include <cstring>

namespace {

constexpr unsigned char kGrey = 128;
// Dashes: 8 bits on and 8 off, each bit 2 pixels long.
constexpr GLint kStippleFactor = 2;
constexpr GLushort kStipplePattern = 0x00FF;

void SetEnabled(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

}  // namespace

CDsRbDriverGl::CDsRbDriverGl(const pick_event& e)
    : m_startX(e.x()), m_startY(e.y()), m_currentX(e.x()), m_currentY(e.y()), m_firstView(e.view())
{
}

CDsRbDriverGl::CDsRbDriverGl(const CDsRbDriverGl& other) = default;

CDsRbDriverGl& CDsRbDriverGl::operator=(const CDsRbDriverGl& other) = default;

CDsRbDriverGl::~CDsRbDriverGl()
{
    if (!m_activeView) return;
    draw();
    m_activeView = nullptr;
}

bool CDsRbDriverGl::Inside(const pick_event& e) const
{
    view3d* view = e.view();
    if (!view) return false;
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    return e.x() >= 0 && e.y() >= 0 && e.x() < w && e.y() < h;
}

void CDsRbDriverGl::start(const pick_event& e)
{
    if (m_viewGone) return;
    if (m_firstView && e.view() != m_firstView) {
        m_activeView = nullptr;
        return;
    }
    if (!Inside(e)) return;
    if (m_activeView) draw();  // a band still shown goes before the new one
    m_firstView = e.view();
    m_activeView = e.view();
    CDsView3dCdc::StMakeGlCurrentView(m_activeView);
    m_savedLighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    m_savedDepthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    m_savedStipple = glIsEnabled(GL_LINE_STIPPLE) == GL_TRUE;
    m_currentX = e.x();
    m_currentY = e.y();
    int x = 0, y = 0;
    m_activeView->get_viewport(x, y, m_width, m_height);
    ComputeAndSetColor(m_activeView);
    m_style = m_activeView->get_rubberband_style();
    draw();
}

void CDsRbDriverGl::update(const pick_event& e)
{
    if (!m_activeView) {
        start(e);
        return;
    }
    if (e.view() != m_activeView || !Inside(e)) return;
    draw();
    compute_points(e);
    draw();
}

void CDsRbDriverGl::stop()
{
    if (!m_activeView) return;
    draw();
    CDsView3dCdc::StMakeGlCurrentView(m_activeView);
    m_activeView = nullptr;
    SetEnabled(GL_LIGHTING, m_savedLighting);
    SetEnabled(GL_DEPTH_TEST, m_savedDepthTest);
    SetEnabled(GL_LINE_STIPPLE, m_savedStipple);
}

void CDsRbDriverGl::repaint(view3d* view)
{
    if (view && view == m_activeView) draw();
}

bool CDsRbDriverGl::is_a(const char* type_name) const
{
    return (type_name && std::strcmp(type_name, "CDsRbDriverGl") == 0) || rubberband_driver::is_a(type_name);
}

void CDsRbDriverGl::delete_view_notify(const view3d* view)
{
    if (!view) return;
    if (m_activeView == view) m_activeView = nullptr;
    if (m_firstView == view) {
        m_firstView = nullptr;
        m_viewGone = true;
    }
}

void CDsRbDriverGl::ComputeAndSetColor(view3d*)
{
    m_color[0] = m_color[1] = m_color[2] = kGrey;
    glColor3ub(m_color[0], m_color[1], m_color[2]);
}

void CDsRbDriverGl::compute_points(const pick_event& e)
{
    m_currentX = e.x();
    m_currentY = e.y();
}

void CDsRbDriverGl::draw()
{
    if (m_currentX == m_startX && m_currentY == m_startY) return;
    if (!m_activeView || m_width <= 0 || m_height <= 0) return;
    CDsView3dCdc::StMakeGlCurrentView(m_activeView);
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT | GL_TRANSFORM_BIT);
    CDsDriverGl::Start2dDraw(m_width, m_height);
    glColor3ub(m_color[0], m_color[1], m_color[2]);
    GLint buffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    if (buffer == GL_BACK) glDrawBuffer(GL_FRONT);
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    glDisable(GL_DEPTH_TEST);
    if (m_style != 0) {
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(kStippleFactor, kStipplePattern);
    } else {
        glDisable(GL_LINE_STIPPLE);
    }
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_XOR);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    // Through the two corner pixels (rows counted up from the bottom), a tenth of a pixel off their
    // centres: no vertex lies on a centre, where rasterisers differ on whether a line's first pixel
    // is drawn, so each side lights its first pixel and not its last, and each corner once.
    const GLfloat off = 0.6f;
    glRectf(static_cast<GLfloat>(m_startX) + off, static_cast<GLfloat>(m_height - 1 - m_startY) + off,
            static_cast<GLfloat>(m_currentX) + off, static_cast<GLfloat>(m_height - 1 - m_currentY) + off);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFlush();
    glDisable(GL_COLOR_LOGIC_OP);
    if (buffer == GL_BACK) glDrawBuffer(GL_BACK);
    CDsDriverGl::End2dDraw();
    glPopAttrib();
}
