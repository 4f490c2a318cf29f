// CDsDriverGl: static helpers over OpenGL, WGL and GLU that items, renderers, views, the rendering
// configurations and the host call instead of OpenGL directly. Every call goes straight to the
// OpenGL context that is current; there is no instance data.
#pragma once

#include <afx.h>

#include <GL/gl.h>

// The display core's OpenGL driver statics.
class AFX_EXT_CLASS CDsDriverGl {
public:
    virtual ~CDsDriverGl() = default;

    // Two-dimensional overlay of a w x h viewport: pushes the projection (an orthographic box of
    // w x h centred on the origin, near 0.001, far 1e20) and the model-view matrix (looking down
    // -z from 1e10, moved by (-w/2, -h/2)), and disables the depth test. Window pixels with the
    // origin at the lower left follow, until End2dDraw.
    static void Start2dDraw(int w, int h);
    // Pops the projection and the model-view matrix that Start2dDraw pushed.
    static void End2dDraw();
};
