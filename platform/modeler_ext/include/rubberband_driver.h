// rubberband_driver: feedback drawn while the user drags (a selection rectangle and the like).
// The modeler calls it on each mouse event of a drag; derived drivers draw. Every live driver is
// told when a view is destroyed, so none keeps a dangling view.
#pragma once

#include "VyrModelerExtApi.h"

class pick_event;
class view3d;

// Base of the rubber-band drivers; its operations do nothing but keep the active state.
class VYR_MODELER_EXT_API rubberband_driver {
public:
    // Registers the driver for view-deletion notices.
    rubberband_driver();
    // Registers the copy as well.
    rubberband_driver(const rubberband_driver& other);
    // Copies the active state.
    rubberband_driver& operator=(const rubberband_driver& other);
    // Unregisters the driver.
    virtual ~rubberband_driver();

    // First event of a drag: nothing here.
    virtual void start(const pick_event& event);
    // A later event of the drag: nothing here.
    virtual void update(const pick_event& event);
    // End of the drag: nothing here.
    virtual void stop();
    // Draws again on a view that was repainted: nothing here.
    virtual void repaint(view3d* view);
    // Becomes active (the driver takes the events).
    virtual void init();
    // Stops being active.
    virtual void end();
    // True for "rubberband_driver" (the name of this class); false for other names or null.
    virtual bool is_a(const char* type_name) const;
    // A view is being destroyed: nothing here (drivers that keep views forget it).
    virtual void delete_view_notify(const view3d* view);

    // Whether init was called without a later end.
    bool is_active() const { return m_active; }
    // Tells every live driver that `view` goes away (view3d's destructor calls it).
    static void notify_view_deleted(const view3d* view);

private:
    bool m_active = false;
};
