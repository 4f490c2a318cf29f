// Pick events, the application's pick event and the process-wide pick aperture.
#include "UiPickEvent.h"
#include "pick_event.h"
#include "pick_ray.h"
#include "view3d.h"

namespace {

int sApertureWidth = 5;
int sApertureHeight = 5;

}  // namespace

pick_event::~pick_event() = default;

void get_pick_aperture(int& width, int& height)
{
    width = sApertureWidth;
    height = sApertureHeight;
}

void set_pick_aperture(int width, int height)
{
    sApertureWidth = width < 0 ? 0 : width;
    sApertureHeight = height < 0 ? 0 : height;
}

CUiPickEvent::CUiPickEvent(int x, int y, int flags, view3d* view, CView* window)
    : pick_event(x, y, view), m_flags(flags), m_window(window)
{
}

CUiPickEvent::~CUiPickEvent() = default;

SPAposition CUiPickEvent::GetMappedPosition(bool onWorkPlane) const
{
    const view3d* v = view();
    if (v == nullptr) return SPAposition();
    SPAposition onTarget;
    if (!v->drawable_to_world(x() + 0.5, y() + 0.5, onTarget)) return SPAposition();
    if (!onWorkPlane) return onTarget;

    const pick_ray ray = get_pick_ray(*this);
    double param = 0.0;
    SPAposition hit;
    // A perspective ray meets a plane behind the eye only on the line's far side, which is not
    // under the cursor: that case falls back like a parallel one.
    if (ray.valid() &&
        intersect_line_plane(ray.root_point(), ray.direction(), m_plane.GetOrigin(), m_plane.GetNormal(), param, hit) &&
        (param >= 0.0 || !v->is_perspective()))
        return hit;
    return proj_pt_to_plane(onTarget, m_plane.GetOrigin(), m_plane.GetNormal());
}

bool CUiPickEvent::operator==(const CUiPickEvent& other) const
{
    return pick_event::operator==(other) && m_flags == other.m_flags && m_window == other.m_window;
}
