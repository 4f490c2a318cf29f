// pick_event: a cursor position on a view, the input of every pick; and the process-wide pick
// aperture, the size of the square around a pick point within which things count as hit.
//
// A pick event's position is in its view's drawable coordinates (pixels from the top-left corner
// of the viewport, y down; see view3d.h), the coordinates of view3d::pick_mode.
#pragma once

#include "VyrModelerExtApi.h"

class view3d;

// A cursor position on a view. The view is referred to, not owned: an event must not outlive it.
class VYR_MODELER_EXT_API pick_event {
public:
    // Position (0, 0), no view.
    pick_event() = default;
    // Position (x, y) on `view` (may be null).
    pick_event(int x, int y, view3d* view) : m_x(x), m_y(y), m_view(view) {}
    // A copy.
    pick_event(const pick_event&) = default;
    // Copies position and view.
    pick_event& operator=(const pick_event&) = default;
    // Frees the event.
    virtual ~pick_event();

    // x of the position (pixels from the viewport's left edge).
    int x() const { return m_x; }
    // y of the position (pixels down from the viewport's top edge).
    int y() const { return m_y; }
    // The view of the event, or null.
    view3d* view() const { return m_view; }
    // Moves the position.
    void set_position(int x, int y)
    {
        m_x = x;
        m_y = y;
    }
    // Changes the view (may be null).
    void set_view(view3d* view) { m_view = view; }

    // True when position and view agree.
    bool operator==(const pick_event& other) const
    {
        return m_x == other.m_x && m_y == other.m_y && m_view == other.m_view;
    }
    // True when position or view differ.
    bool operator!=(const pick_event& other) const { return !(*this == other); }

private:
    int m_x = 0;
    int m_y = 0;
    view3d* m_view = nullptr;
};

// The process-wide pick aperture in pixels (5 x 5 until set).
VYR_MODELER_EXT_API void get_pick_aperture(int& width, int& height);
// Sets the process-wide pick aperture; negative sizes become 0.
VYR_MODELER_EXT_API void set_pick_aperture(int width, int height);
