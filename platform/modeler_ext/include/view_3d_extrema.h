// view_3d_extrema: a view that measures. It copies the camera and viewport of a base view, draws
// through a driver_extrema installed in it (a plain driver until then), and turns the measured
// extrema into a camera that fits them (recompute_parameters), which update_base_view hands back
// to the base view.
#pragma once

#include "VyrModelerExtApi.h"

#include "view3d.h"

class driver_extrema;

// Measuring view over a base view (not owned).
class VYR_MODELER_EXT_API view_3d_extrema : public view3d {
public:
    // Copies the base view's camera, viewport and image scale (nothing from null) and installs a
    // plain driver_context of its own.
    explicit view_3d_extrema(view3d* base);
    // Destroys the view (and the driver installed at that time).
    ~view_3d_extrema() override;

    // The base view, or null.
    view3d* GetBaseView() const { return m_base; }
    // The installed driver when it is a driver_extrema, else null.
    driver_extrema* get_extrema_driver() const;
    // Fits the camera to the measured extrema: the target moves to the centre of their extent on
    // the picture plane, the eye with it, and width and height become the extent (at least 1e-6
    // each), aspect-adjusted to the viewport. False, with nothing changed, without an extrema
    // driver or measurements.
    bool recompute_parameters();
    // Copies eye, target, up, width and height to the base view; false without one.
    bool update_base_view();

private:
    view3d* m_base;
};
