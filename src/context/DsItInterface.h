// CDsItInterface: what the host's interactive tools ask of the current view: its scale, and the
// translation and rotation of its view orientation. Each query first makes the current view's
// OpenGL context current when another view's is (CDsView3dCdc::StGetCurrent). Without a current
// view the scale is 0 and the other two leave their outputs as they are; a view with no scale
// (zero-size viewport, eye on the target) has scale 0.
#pragma once

#include <afx.h>

// Static queries of the current view for interactive tools.
class AFX_EXT_CLASS CDsItInterface {
public:
    // Nothing to make.
    CDsItInterface() = default;
    // Nothing to free.
    virtual ~CDsItInterface();

    // Pixels per model unit of the current view (1 / its units per pixel); 0 without a current
    // view or scale.
    static double StGetViewScale();
    // With M the current view's view orientation matrix (row vectors), s its scale and
    // (x, y, w, h) its viewport: t[0] = M[3][0] s + w / 2 + x, t[1] = M[3][1] s + h / 2 + y,
    // t[2] = M[3][2]: where the model origin lies in window pixels (y up), and its depth. Nothing
    // for a null t or without a current view.
    static void StGetViewTranslation(double* t);
    // r[3 i + j] = M[i][j] for i, j = 0, 1, 2: the rotation of the view orientation (row
    // vectors). Nothing for a null r or without a current view.
    static void StGetViewRotation(double* r);
};
