// driver_extrema: a driver that measures instead of drawing. Every point drawn through it is
// taken into view orientation coordinates (model units, origin at the target, x right, y up,
// z towards the viewer) and widens the running extrema: x and y as the picture shows them (for a
// perspective camera, scaled onto the target plane as the eye sees them) and z as depth. It also
// tracks the lateral centre that a perspective fit needs. The display core derives its extrema
// driver from it and reads the protected fields.
#pragma once

#include "VyrModelerExtApi.h"

#include "driver_context.h"

// Measuring driver: view orientation matrix, perspective fitting values and extrema.
class VYR_MODELER_EXT_API driver_extrema : public driver_context {
public:
    // Takes pen, viewport and view of `source` (nothing from a null one); extrema cleared.
    explicit driver_extrema(const driver_context* source = nullptr);
    // Destroys the driver.
    ~driver_extrema() override;
    // Re-reads the view orientation matrix of the bound view (identity without a view).
    virtual void UpdateVom();
    // Hook for each model point measured (x, y, z floats): nothing here.
    virtual void UpdateModelBox(const float* p);

    // Clears the extrema (minima 1e30, maxima -1e30, not valid), re-reads the matrix and sets the
    // perspective fitting values from the bound view (slopes = half picture size / distance,
    // z reference 0 at the target plane, centres 0, first point pending).
    void init_extrema();
    // Measures one model point (x, y, z floats; null is ignored): UpdateModelBox, then the
    // extrema as described in the header comment.
    void UpdateExtrema2D(const float* p);
    // Measures a drawable point (pixels, y down) as a point of the target plane.
    void UpdateExtremaDrawable(float x, float y);
    // The extrema: x min, x max, y min, y max, z min, z max (view orientation units). False while
    // nothing was measured (the outputs are then the cleared values).
    bool GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1, double& z0, double& z1) const;
    // Whether something was measured since init_extrema.
    bool is_valid() const { return m_valid != 0; }
    // The perspective fit's lateral centre (view orientation units); (0, 0) until measured.
    void GetPerspectiveCentre(double& x, double& y) const { x = m_x_centre; y = m_y_centre; }

    // Measures every point of the polyline (the view has applied its model transform); 0.
    int draw_polyline_3d(int n, const float* xyz, int closed) override;
    // Measures the point; 1 when measured, 0 for null.
    int draw_point_3d(const float* xyz) override;
    // Measures the anchor of the text; 0.
    int draw_text_3d(const float* xyz, const char* text) override;
    // Measures drawable points; 0. While the view picks, the pick test of the base.
    int draw_polyline_2d(int n, const float* xy, int fill) override;
    // Measures the drawable point; 1.
    int draw_point_2d(float x, float y) override;

protected:
    // Model to view orientation coordinates, row vectors.
    view_matrix m_vom;
    // Perspective fitting: slopes (half size over distance), centres, reference depth.
    double m_x_slope = 0.0, m_y_slope = 0.0;
    // Lateral centre of the perspective fit (x).
    double m_x_centre = 0.0;
    // Reference depth of the perspective fit.
    double m_z_reference = 0.0;
    // Lateral centre of the perspective fit (y).
    double m_y_centre = 0.0;
    // True until the first point of a perspective fit.
    bool m_first_point = true;
    // Picture extrema.
    double m_xmin = 1e30, m_ymin = 1e30, m_xmax = -1e30, m_ymax = -1e30;
    // Depth extrema.
    double m_zmin = 1e30, m_zmax = -1e30;
    // 1 once something was measured (a derived driver may use other values).
    int m_valid = 0;

private:
    void widen(double x, double y, double z);
    bool m_perspective = false;
    double m_distance = 0.0;
};
