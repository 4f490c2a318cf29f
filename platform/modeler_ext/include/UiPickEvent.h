// CUiPickEvent: the application's pick event: a pick_event (the device position x(), y() and the
// view) with the state of the mouse buttons and keys at the click, the framework window it came
// from, and a working plane onto which the click can be mapped into the model.
#pragma once

#include "VyrModelerExtApi.h"
#include "UiPlanePositionMapper.h"
#include "pick_event.h"

class CView;

// A cursor event of the application.
class VYR_MODELER_EXT_API CUiPickEvent : public pick_event {
public:
    // Position (0, 0), no flags, no view, no window; working plane: the model's xy plane.
    CUiPickEvent() = default;
    // The event at (x, y) (drawable coordinates of `view`) with the button and key `flags` of the
    // click, on `view` and framework window `window` (either may be null; neither is owned).
    CUiPickEvent(int x, int y, int flags, view3d* view, CView* window);
    // The event of a plain pick event: no flags, no window.
    explicit CUiPickEvent(const pick_event& event) : pick_event(event) {}
    // A copy (working plane included).
    CUiPickEvent(const CUiPickEvent&) = default;
    // Copies everything.
    CUiPickEvent& operator=(const CUiPickEvent&) = default;
    // Frees the event.
    ~CUiPickEvent() override;

    // Button and key flags of the click.
    int GetFlags() const { return m_flags; }
    // Sets the button and key flags.
    void SetFlags(int flags) { m_flags = flags; }
    // The framework window of the click, or null.
    CView* GetWindow() const { return m_window; }
    // Sets the framework window (may be null).
    void SetWindow(CView* window) { m_window = window; }

    // The working plane used by GetMappedPosition(true).
    const CUiPlanePositionMapper& GetWorkPlane() const { return m_plane; }
    // Sets the working plane.
    void SetWorkPlane(const CUiPlanePositionMapper& plane) { m_plane = plane; }
    // Sets the working plane through `origin` with `normal` (see CUiPlanePositionMapper).
    void SetWorkPlane(const SPAposition& origin, const SPAvector& normal)
    {
        m_plane = CUiPlanePositionMapper(origin, normal);
    }

    // The model position under the centre of the pick pixel. With `onWorkPlane` false: on the
    // view's target plane (through the target, square to the direction). With it true: where the
    // line of the pick ray (get_pick_ray) meets the working plane; when it runs parallel to that
    // plane, or meets it only behind a perspective eye, the target-plane position projected onto
    // it. The origin when the event has no view or the view cannot project.
    SPAposition GetMappedPosition(bool onWorkPlane) const;

    // True when position, view, flags and window agree (the working plane is not compared).
    bool operator==(const CUiPickEvent& other) const;
    // True when any of them differs.
    bool operator!=(const CUiPickEvent& other) const { return !(*this == other); }

private:
    int m_flags = 0;
    CView* m_window = nullptr;
    CUiPlanePositionMapper m_plane;
};
