// CDsAcisPick: the modeler-based picks of the display. So far its pick-mode statics: beginning and
// ending the view's pick mode around an event, asking whether an event's pick mode is active, and
// suspending and resuming a view's pick mode around drawing that must not count as picking (the
// projections of the geometry computer, the ray tests of the pick walks); and the aperture tests
// of points (StCheckIfPoint2dIsInApperture, StCheckIfPoint3dIsInApperture).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A suspension keeps what it saved in the statics, so a second suspension inside the first would
//   overwrite them with "not picking" and the outer resume would leave the view out of pick mode.
//   Callers therefore suspend only a view that is picking (CDsGeometryComputer's projection does),
//   and a suspension of a view that is not picking leaves sPickMode 0 as documented.
// - The aperture tests compare like with like: the 2-D test takes a window point with rows
//   counted up (GL window coordinates, as the point items give it) and turns it to rows counted
//   down, as the aperture counts; the 3-D test takes the pixel its projected point lies in (the
//   row gluProject gives, turned down the same way), not the projection's truncated y.
// - Ending a pick mode begun for two events restores the data given, which that beginning does not
//   fill: with fresh data (all zeros) the view leaves pick mode.
#pragma once

#include <afx.h>

#include "UiPickEvent.h"

class SPAposition;
class pick_manager;
class view3d;

// What StBeginPickMode (one event) saved of the view and StEndPickMode puts back.
class AFX_EXT_CLASS CDsAcisPickData {
public:
    // All zeros: the view was not picking.
    CDsAcisPickData() = default;

    int m_pickMode = 0;  // the view's pick-mode value
    int m_cx = 0;        // aperture centre x (drawable pixels)
    int m_cy = 0;        // aperture centre y (drawable pixels, down from the top)
    int m_width = 0;     // aperture width
    int m_height = 0;    // aperture height
};

// Static modeler-based picks (so far the pick-mode operations).
class AFX_EXT_CLASS CDsAcisPick {
public:
    // 1 while a pick mode begun by StBeginPickMode is active, else 0.
    static int sInPickMode;
    // The event for which that pick mode was begun.
    static CUiPickEvent sPickModeEvent;
    // The view's pick-mode value saved by StSuspendPickMode (0: the view was not picking).
    static int sPickMode;
    // Aperture centre x saved by StSuspendPickMode.
    static int sCX;
    // Aperture centre y saved by StSuspendPickMode.
    static int sCY;
    // Aperture width saved by StSuspendPickMode.
    static int sDX;
    // Aperture height saved by StSuspendPickMode.
    static int sDY;

    // With a view in `event`: marks pick mode active for a copy of `event`, saves the view's pick
    // mode and region in `data` and puts the view in pick mode 1 around the event's position with
    // the process-wide aperture. Nothing without a view.
    static void StBeginPickMode(const CUiPickEvent& event, CDsAcisPickData& data);
    // With a view in `first`: marks pick mode active and puts the view in pick mode 1 around the
    // integer midpoint of the two positions, |x1 - x2| wide and |y1 - y2| high; `data` is not filled.
    static void StBeginPickMode(const CUiPickEvent& first, const CUiPickEvent& second, CDsAcisPickData& data);
    // Marks pick mode inactive and, when `event` has a view, gives the view the pick mode of `data`.
    static void StEndPickMode(const CUiPickEvent& event, const CDsAcisPickData& data);
    // 1 when pick mode is active and was begun for an event equal to `event`, else 0.
    static int StInPickMode(const CUiPickEvent& event);
    // Saves the view's pick mode in sPickMode; when it is picking, also its region (sCX, sCY, sDX,
    // sDY), sPickMode becomes 1 and the view leaves pick mode. Nothing for a null view (sPickMode 0).
    static void StSuspendPickMode(view3d* view);
    // When sPickMode is not 0, puts the view back in the saved pick mode and region.
    static void StResumePickMode(view3d* view);

    // Whether window point (x, y), rows counted up, widened by `margin` pixels (0 for a region
    // pick), lies strictly inside the pick region of the manager's view: cx - w/2 - margin < x <
    // cx + w/2 + margin, the same for y turned down (integer halves). False without a manager or
    // view.
    static bool StCheckIfPoint2dIsInApperture(pick_manager* manager, int x, int y, int margin);
    // Whether the pixel of the model point projected on the manager's view lies in its pick region
    // as above. False without a manager or view, or for a point that does not
    // project.
    static bool StCheckIfPoint3dIsInApperture(pick_manager* manager, const SPAposition& position, int margin);
};
