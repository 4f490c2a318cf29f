#include "DsMeshGlSeam.h"

#include "DsDriverGl.h"

namespace {

void PaletteColor(int index)
{
    CDsDriverGl::StSetColor(index);
}

void DrawVBO(GLuint vertices, GLuint normals, int count, GLenum mode)
{
    CDsDriverGl::DrawVBO(vertices, normals, count, mode);
}

const SDsMeshGlSeam kRealSeam = {glFrontFace, glBegin,      glEnd,          glNormal3f,          glNormal3fv,
                                 glVertex3f,  glVertex3fv,  PaletteColor,   glColor4f,           glEnableClientState,
                                 glDisableClientState,      DrawVBO,        glCallList};

}  // namespace

SDsMeshGlSeam gDsMeshGl = kRealSeam;

const SDsMeshGlSeam& DsRealMeshGlSeam()
{
    return kRealSeam;
}
