// CDsItInterface: the current view's scale, translation and rotation for interactive tools.
#include "DsItInterface.h"

#include "DsView3dCdc.h"

#include <cmath>

CDsItInterface::~CDsItInterface() = default;

double CDsItInterface::StGetViewScale()
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return 0.0;
    const double unitsPerPixel = view->get_units_per_pixel();
    if (!(unitsPerPixel > 0.0) || !std::isfinite(unitsPerPixel)) return 0.0;
    return 1.0 / unitsPerPixel;
}

void CDsItInterface::StGetViewTranslation(double* t)
{
    if (!t) return;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return;
    const view_matrix& m = view->view_orientation_transform();
    const double scale = StGetViewScale();
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    t[0] = m[3][0] * scale + w / 2.0 + x;
    t[1] = m[3][1] * scale + h / 2.0 + y;
    t[2] = m[3][2];
}

void CDsItInterface::StGetViewRotation(double* r)
{
    if (!r) return;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return;
    const view_matrix& m = view->view_orientation_transform();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[3 * i + j] = m[i][j];
}
