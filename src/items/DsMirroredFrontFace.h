// Lit polygons under a placement that mirrors space. A mirroring placement (a reflection, or any
// transformation whose linear part has a negative determinant; mirrored twice is not mirrored)
// turns the winding of the polygons it places, while OpenGL brings their normals through the
// inverse transpose of the model-view matrix, which leaves each normal on the side of the polygon
// it was on. A polygon that faces the eye is then taken for a back face: under two-sided lighting
// it is lit from behind (only the ambient light reaches it), and where back faces are culled it is
// not drawn at all.
//
// So whatever sends lit polygons with normals of their own asks the model-view matrix it sends
// them under, which holds every placement at once (the walk's location transforms, a body's, a
// copy's, a face's or a leaf's own, and the camera), and turns the front face clockwise while that
// mirrors, the normals sent as stored: the polygons are then lit, culled and blended (back faces
// first, in the mixed mode's translucent passes) as unmirrored ones. Face meshes go out so through
// the mesh painter's reflect mode on its immediate road; its reflected kind of list (front faces
// counter-clockwise, normals negated) would be lit right only under two-sided lighting with
// nothing culled. Not exported.
#pragma once

#include <GL/gl.h>

// Whether OpenGL's model-view matrix mirrors space now (its linear part has a negative
// determinant).
inline bool DsModelViewMirrors()
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g) < 0.0;
}

// Whether a display list is being compiled now: OpenGL's matrices are then not the ones the list
// will run under, and a front face sent would be compiled into it.
inline bool DsGlListBeingCompiled()
{
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    return list != 0;
}

// The scope of a drawing that sends lit polygons with their own normals: clockwise front faces
// while `mirrored` (the model-view matrix mirrors space, DsModelViewMirrors), and the front face
// found given back at the end. Nothing at all when not mirrored.
class CDsMirroredFrontFace {
public:
    explicit CDsMirroredFrontFace(bool mirrored) : m_turned(mirrored)
    {
        if (!m_turned) return;
        glGetIntegerv(GL_FRONT_FACE, &m_found);
        glFrontFace(GL_CW);
    }
    ~CDsMirroredFrontFace()
    {
        if (m_turned) glFrontFace(static_cast<GLenum>(m_found));
    }
    CDsMirroredFrontFace(const CDsMirroredFrontFace&) = delete;
    CDsMirroredFrontFace& operator=(const CDsMirroredFrontFace&) = delete;

private:
    bool m_turned;
    GLint m_found = GL_CCW;
};
