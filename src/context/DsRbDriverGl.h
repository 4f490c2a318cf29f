// CDsRbDriverGl: the rubber band of a drag (a selection rectangle), drawn with OpenGL into the
// front buffer of the view in exclusive-or mode, so that drawing it a second time erases it and
// the picture underneath needs no redraw. The modeler's rubber-band machinery calls it on each
// mouse event of the drag (rubberband_driver).
//
// The band runs from the start point (the event the driver was made with) to the current point
// (the last event), both in the view's window pixels counted down from the top; it is drawn in
// grey (128, 128, 128) exclusive-or the picture, one pixel wide, dashed (16 pixels on, 16 off:
// pattern 0x00FF, factor 2) unless the view's rubber-band style is solid. Events of a view other
// than the first one are ignored; the band lives on one view until stop, until the driver goes
// or until that view goes (delete_view_notify).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A drawing restores every OpenGL state it changes (draw buffer, lighting, depth test, line
//   width and stipple, logic operation, polygon mode, colour) and pops only the two matrices it
//   pushed; stop pops nothing more (popping the caller's matrices would lose them, or underflow
//   the stacks), and puts lighting, depth test and line stipple back as they were when the band
//   started instead of switching lighting on and stipple off whatever they were.
// - The outline runs through the centres of the event pixels (row y counted down is OpenGL row
//   height - y - 1), so each corner of the band lights the pixel of its event.
// - An event outside the view's viewport neither starts the band nor moves it (nothing drawn); a
//   start while the band is shown erases it first.
// - The view's OpenGL context is made current for a drawing when the view is a core view.
// - Once the band's first view has gone (delete_view_notify), the driver takes no more events: the
//   drag it served is over, and a band started on whatever view came next would be a stray one.
#pragma once

#include <afx.h>

#include "rubberband_driver.h"

class pick_event;
class view3d;

// The OpenGL rubber band.
class AFX_EXT_CLASS CDsRbDriverGl : public rubberband_driver {
public:
    // Start and current point at `e`'s point, first view `e`'s view, no active view, colour black,
    // style 0, size 0.
    explicit CDsRbDriverGl(const pick_event& e);
    // Copies every field.
    CDsRbDriverGl(const CDsRbDriverGl& other);
    // Copies every field.
    CDsRbDriverGl& operator=(const CDsRbDriverGl& other);
    // Erases the band when it is shown.
    ~CDsRbDriverGl() override;

    // The drag begins on `e`'s view (ignored for another view than the first, or a point outside the
    // viewport): the band runs to `e`'s point and is drawn.
    void start(const pick_event& e) override;
    // Without an active view, start(e); else the band is erased and drawn to `e`'s point (nothing
    // for an event of another view or outside the viewport).
    void update(const pick_event& e) override;
    // Erases the band, forgets the active view and puts lighting, depth test and line stipple back
    // as they were at the start.
    void stop() override;
    // Draws the band again when `view` is the active view.
    void repaint(view3d* view) override;
    // True for "CDsRbDriverGl" and for the base's name.
    bool is_a(const char* type_name) const override;
    // Forgets `view` as the active and as the first view; after the first view went the driver
    // takes no more events.
    void delete_view_notify(const view3d* view) override;

    // Colour := (128, 128, 128), sent with glColor3ub.
    void ComputeAndSetColor(view3d* view);
    // The current point := `e`'s point.
    void compute_points(const pick_event& e);

    // The view being drawn on, or null.
    view3d* GetActiveView() const { return m_activeView; }
    // The view of the first event, or null.
    view3d* GetFirstView() const { return m_firstView; }

private:
    void draw();
    bool Inside(const pick_event& e) const;

    int m_startX, m_startY;
    int m_currentX, m_currentY;
    int m_height = 0, m_width = 0;
    unsigned char m_color[3] = {0, 0, 0};
    int m_style = 0;
    view3d* m_firstView;
    view3d* m_activeView = nullptr;
    bool m_savedLighting = false;
    bool m_savedDepthTest = false;
    bool m_savedStipple = false;
    bool m_viewGone = false;
};
