// CDsItemPolyline3D: the multi-polyline batch.
#include "DsItemPolyline3D.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsView3dCdc.h"

#include <GL/gl.h>

CDsViewExtrema* CDsItemPolyline3D::sViewExtrema = nullptr;

namespace {

// The open batch: its state (1 open, 0 closed), its buffer, and the depth test it changed with
// the state before.
int sBatchState = 0;
bool sBatchFrontBuffer = false;
bool sBatchDepthChanged = false;
bool sBatchSavedDepth = false;

}  // namespace

int CDsItemPolyline3D::StBeginMultiPolyline(view3d* view, int frontBuffer)
{
    if (!view) view = CDsView3dCdc::StGetCurrent();
    sBatchState = 1;
    if (dynamic_cast<CDsViewExtrema*>(view) || (view && view->get_pick_mode() == 1)) {
        sBatchState = 0;
        return 1;
    }
    sBatchFrontBuffer = frontBuffer != 0;
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    sBatchSavedDepth = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    sBatchDepthChanged = false;
    if (!sBatchFrontBuffer && !sBatchSavedDepth) {
        sBatchDepthChanged = true;
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
    } else if (sBatchFrontBuffer && sBatchSavedDepth) {
        sBatchDepthChanged = true;
        glDisable(GL_DEPTH_TEST);
    }
    return 1;
}

void CDsItemPolyline3D::StEndMultiPolyline()
{
    if (sBatchState == 1) {
        glDisableClientState(GL_VERTEX_ARRAY);
        if (sBatchDepthChanged) CDsDriverGl::StSetDepthTestState(sBatchSavedDepth);
        sBatchFrontBuffer = false;
    }
    sBatchDepthChanged = false;
    sBatchState = 0;
}

int CDsItemPolyline3D::StInMultiPolyline()
{
    return sBatchState;
}
