#include "DsGlSeam.h"

#include <GL/glu.h>

namespace {

void LookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy,
            GLdouble uz)
{
    gluLookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}

const SDsGlSeam kRealSeam = {glColor3ub,   glLineWidth, glDepthRange,  glLineStipple, glPolygonOffset,
                             glPolygonMode, glEnable,   glDisable,     glIsEnabled,   glMatrixMode,
                             glPushMatrix, glPopMatrix, glMultMatrixf, glLoadIdentity, glOrtho,
                             LookAt,       glTranslatef, glLightModeli, glMaterialfv,  glMaterialf,
                             glColorMask,  glDepthMask,  glBlendFunc,   glCullFace};

}  // namespace

SDsGlSeam gDsGl = kRealSeam;

const SDsGlSeam& DsRealGlSeam()
{
    return kRealSeam;
}
