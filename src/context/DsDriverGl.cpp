// CDsDriverGl: OpenGL driver statics.
#include "DsDriverGl.h"

#include <GL/glu.h>

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
