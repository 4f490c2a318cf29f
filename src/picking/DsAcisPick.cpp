#include "DsAcisPick.h"

#include "DsGeometryComputer.h"
#include "GmPosition.h"
#include "SpaValues.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <cmath>
#include <cstdlib>

int CDsAcisPick::sInPickMode = 0;
CUiPickEvent CDsAcisPick::sPickModeEvent;
int CDsAcisPick::sPickMode = 0;
int CDsAcisPick::sCX = 0;
int CDsAcisPick::sCY = 0;
int CDsAcisPick::sDX = 0;
int CDsAcisPick::sDY = 0;

void CDsAcisPick::StBeginPickMode(const CUiPickEvent& event, CDsAcisPickData& data)
{
    view3d* view = event.view();
    if (!view) return;
    sInPickMode = 1;
    sPickModeEvent = event;
    data.m_pickMode = view->get_pick_mode();
    view->get_pick_aperture(data.m_cx, data.m_cy, data.m_width, data.m_height);
    int width = 0, height = 0;
    ::get_pick_aperture(width, height);
    view->pick_mode(1, event.x(), event.y(), width, height);
}

void CDsAcisPick::StBeginPickMode(const CUiPickEvent& first, const CUiPickEvent& second, CDsAcisPickData&)
{
    view3d* view = first.view();
    if (!view) return;
    sInPickMode = 1;
    view->pick_mode(1, (first.x() + second.x()) / 2, (first.y() + second.y()) / 2, std::abs(first.x() - second.x()),
                    std::abs(first.y() - second.y()));
}

void CDsAcisPick::StEndPickMode(const CUiPickEvent& event, const CDsAcisPickData& data)
{
    sInPickMode = 0;
    if (view3d* view = event.view())
        view->pick_mode(data.m_pickMode, data.m_cx, data.m_cy, data.m_width, data.m_height);
}

int CDsAcisPick::StInPickMode(const CUiPickEvent& event)
{
    return sInPickMode && event == sPickModeEvent ? 1 : 0;
}

void CDsAcisPick::StSuspendPickMode(view3d* view)
{
    sPickMode = view ? view->get_pick_mode() : 0;
    if (sPickMode == 0) return;
    view->get_pick_aperture(sCX, sCY, sDX, sDY);
    sPickMode = 1;
    view->pick_mode(0, 0, 0, 0, 0);
}

void CDsAcisPick::StResumePickMode(view3d* view)
{
    if (sPickMode != 0 && view) view->pick_mode(sPickMode, sCX, sCY, sDX, sDY);
}

namespace {

// Point (x, y), rows counted down, strictly inside the view's pick region widened by `margin`.
bool InAperture(pick_manager* manager, view3d* view, int x, int yDown, int margin)
{
    if (manager->get_pick_method() == pick_method_region) margin = 0;
    int cx = 0, cy = 0, w = 0, h = 0;
    view->get_pick_aperture(cx, cy, w, h);
    return cx - w / 2 - margin < x && x < cx + w / 2 + margin && cy - h / 2 - margin < yDown &&
           yDown < cy + h / 2 + margin;
}

}  // namespace

bool CDsAcisPick::StCheckIfPoint2dIsInApperture(pick_manager* manager, int x, int y, int margin)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    return InAperture(manager, view, x, CDsGeometryComputer::GetInstance()->ComputeUpsideDownCoordY(view, y), margin);
}

bool CDsAcisPick::StCheckIfPoint3dIsInApperture(pick_manager* manager, const SPAposition& position, int margin)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    float x = 0.0f, y = 0.0f;
    int height = -1;
    const CGmPosition point(position.x(), position.y(), position.z());
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(point, view, x, y, &height, true)) return false;
    // The pixel the point lies in: its row counted up (what gluProject gives) turned down.
    const int up = int(std::floor(float(height - 1) - y));
    return InAperture(manager, view, int(std::floor(x)), height - 1 - up, margin);
}
