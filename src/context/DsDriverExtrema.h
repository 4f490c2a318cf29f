// CDsDriverExtrema and CDsViewExtrema: measuring what would be drawn instead of drawing it.
//
// To fit a view to its content, place the near and far clipping planes or find the screen extent
// of some positions, the core draws into an extrema driver. The driver owns a measuring view
// (CDsViewExtrema) that copies the camera and viewport of the view being measured (the base
// view) and sends everything drawn through it to the driver. The modeler's driver_extrema does
// the measuring (UpdateExtrema2D, draw_point_3d and the other drawing calls): x and y as the
// picture shows them and z as depth, in model units around the target (view orientation
// coordinates); this driver turns them into pixels with the base view's units per pixel.
//
// The driver keeps the base view's rendering context when it is the core's (CDsGlContext): then
// the compute argument of AdjustClippingPlanes and AdjustDistance has the context's scene measure
// what it shows (CDsGlScene::ComputeExtrema), and ComputeBoundaries measures one item group.
// Without such a context only what is drawn into the driver is measured. A zoom publishes its
// measuring view through a CDsViewExtremaControler, for the polylines to report their extremes to.
//
// The extrema mode is a process-wide flag raised only for the time of a measurement, so that code
// drawing into a view can tell a measurement from a real draw.
#pragma once

#include <afx.h>

#include "driver_extrema.h"
#include "view_3d_extrema.h"

class CDsBox;
class CDsDriverExtrema;
class CDsGlContext;
class CDsItemsGroup;
class CDsPickedItem;
class CDsPickedItemList;
class CVyrString;
class SPAposition;
class SPAtransf;

// Raises (true) or lowers (false) the process-wide extrema mode.
AFX_EXT_API void StSetExtremaMode(bool on);
// True while a measurement is under way.
AFX_EXT_API bool StGetExtremaMode();

// Raises the extrema mode for the life of the object and puts back the mode it found (so that
// nested measurements leave it raised for the outer one).
class CDsExtremaModeScope {
public:
    // Raises the mode.
    CDsExtremaModeScope() : m_previous(StGetExtremaMode()) { StSetExtremaMode(true); }
    // The mode as it was found.
    ~CDsExtremaModeScope() { StSetExtremaMode(m_previous); }
    // Not copyable: one scope restores once.
    CDsExtremaModeScope(const CDsExtremaModeScope&) = delete;
    // Not copyable.
    CDsExtremaModeScope& operator=(const CDsExtremaModeScope&) = delete;

private:
    bool m_previous;
};

// The measuring view over a base view (not owned); its driver is the extrema driver that owns it.
class AFX_EXT_CLASS CDsViewExtrema : public view_3d_extrema {
public:
    // Copies the camera and viewport of `base` (the defaults for null).
    explicit CDsViewExtrema(view3d* base);
    // Destroys the view and the driver installed at that time.
    ~CDsViewExtrema() override;

    // The modeler view's pointer form stays visible.
    using view3d::SetModelTransform;
    // Pushes `t` as the modeler view does and has the extrema driver re-read the view matrix.
    void SetModelTransform(const SPAtransf& t) override;
    // Pops the last model transform (1 when one was popped) and has the driver re-read the matrix.
    int ClearModelTransform() override;
    // The base view's automatic hiding; false without a base view.
    bool GetAutoHideMode() const override;
    // The base view's view flag 0 (whether extents follow the content); false without a base view.
    bool GetAdjustBounderiesMode() const;
    // A text at a drawable point, handed to the driver; 0 without one.
    int draw_text_2d(float x, float y, const CVyrString& text);
    // Measures one model point (no model transform applied); nothing without an extrema driver.
    void DrawPoint2d(const SPAposition& p);
    // Measures the window pixels of the columns `left` to `right` and the rows `bottom` to `top`
    // (rows up from the viewport's bottom, both ends included) that an item of window pixels
    // lights, each pixel by its lower-left corner, as a region pick's rectangle names its pixels;
    // nothing without an extrema driver.
    void MeasurePixels(int left, int bottom, int right, int top);
    // The driver's raw extrema (x, y and z minima and maxima, model units); false without an
    // extrema driver or before anything was measured.
    bool GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1, double& z0, double& z1) const;
    // Whether lines drawn in window pixels measure their pixels (a region pick asking what lies
    // inside its rectangle); off by default: the model's extents (a fit, the clipping planes)
    // have none of them.
    bool GetMeasuresPixelLines() const { return m_pixelLines; }
    void SetMeasuresPixelLines(bool on) { m_pixelLines = on; }

private:
    bool m_pixelLines = false;
};

// The core's extrema driver, bound to a base view for one measurement.
class AFX_EXT_CLASS CDsDriverExtrema : public driver_extrema {
public:
    // A driver measuring for `view` (not owned): it makes its measuring view on it, installs itself
    // there, takes the view's rendering context and clears the extrema. The scale is the view's
    // units per pixel (1 when that is 0, as for a zero-size viewport). A null view measures with
    // the default camera and adjusts no clipping planes.
    explicit CDsDriverExtrema(view3d* view);
    // Gives the measuring view its own driver back and deletes it and the model box.
    ~CDsDriverExtrema() override;
    // Not copyable: the driver owns its measuring view.
    CDsDriverExtrema(const CDsDriverExtrema&) = delete;
    // Not assignable.
    CDsDriverExtrema& operator=(const CDsDriverExtrema&) = delete;

    // Widens the model box by each measured model point.
    void UpdateModelBox(const float* p) override;

    // Clears the x, y and z extrema (minima 1e30, maxima -1e30) and marks nothing measured.
    void ClearExtrema();
    // The modeler driver's six raw extrema (model units) stay visible.
    using driver_extrema::GetExtremaCoordinates;
    // x minimum, x maximum, y minimum, y maximum, each divided by the scale (pixels from the
    // target, y up). False while nothing was measured (the outputs are then +-1e30 / scale).
    bool GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1) const;
    // Projects the base view's target into device pixels (from the viewport's lower-left corner)
    // and keeps them as the offsets of GetExtremaInViewportCoordinates; offsets stay as they were
    // without a base view or when the target does not project.
    void ComputeTransPosToDev();
    // GetExtremaCoordinates moved by the offsets: the rectangle in device pixels (x from the left,
    // y up from the bottom). The offsets are computed first unless `keepOffsets` is true.
    bool GetExtremaInViewportCoordinates(double& x0, double& x1, double& y0, double& y1, bool keepOffsets);
    // Ten times the diagonal of the measured extrema (model units); 0 before anything was measured.
    double MinDistance() const;
    // AdjustClippingPlanes(compute, false).
    bool AdjustDistance(bool compute);
    // Fits the base view's clipping planes to the measured depth range, widened by 2.5 % of the
    // range at each end (a flat range first becomes 0.2 deep) and, while display-manager flag 2
    // is set, by a further half of the widened range at each end. A parallel view's eye moves
    // along the view direction to 1.01 in front of the nearest depth, the target 1 beyond it, the
    // near distance becomes 0.01 and the far one the range + 1.02; the picture does not change.
    // A perspective view keeps eye and target (moving them would change the picture) and gets
    // near and far distances that enclose the range; the near distance is at least 0.01 and at
    // least four times the single-precision rounding of the eye's distance from the origin
    // (FLT_EPSILON times it), below which OpenGL's single-precision transforms lose the picture's
    // depth far from the origin. False, with the view untouched, without a base view or when no
    // depth was measured. With `compute` the context's scene is measured first
    // (ComputeMinMax(full)).
    bool AdjustClippingPlanes(bool compute, bool full);
    // Measures one model point.
    void DrawPoint2d(const SPAposition& p);
    // Has `group` draw its extremes into the measuring view (every item, no entity singled out);
    // nothing for null.
    void ComputeBoundaries(CDsItemsGroup* group);
    // The screen rectangle (viewport pixels, y up) of the picked items of `list`: the context's
    // scene draws their paths into the measuring view (the extrema mode raised meanwhile), then
    // GetExtremaInViewportCoordinates. False, outputs unchanged, without a core context, for a
    // null list, or when nothing was measured.
    bool GetBoundingRect(const CDsPickedItemList* list, double& x0, double& x1, double& y0, double& y1,
                         bool keepOffsets);
    // The screen rectangle (viewport pixels, y up) of what was measured for one picked item:
    // GetExtremaInViewportCoordinates; false, outputs unchanged, without a core context.
    bool GetBoundingRect(const CDsPickedItem* item, double& x0, double& x1, double& y0, double& y1, bool keepOffsets);

    // The base view's core rendering context, null when it has none.
    CDsGlContext* GetGlContext() const { return m_context; }
    // The measuring view, owned by the driver (never null).
    CDsViewExtrema* GetExtView() const { return m_extremaView; }
    // The box of every model point measured (empty before the first).
    const CDsBox& GetModelBox() const { return *m_modelBox; }

protected:
    // With a core context: the extrema mode raised, the context's scene measured into the
    // measuring view (`full`: by drawing rather than from the bound box), the mode lowered.
    void ComputeMinMax(bool full);

private:
    double m_scale = 1.0;
    float m_xOffset = 0.0f;
    float m_yOffset = 0.0f;
    view3d* m_baseView = nullptr;
    CDsViewExtrema* m_extremaView = nullptr;
    driver_context* m_savedDriver = nullptr;
    CDsGlContext* m_context = nullptr;
    CDsBox* m_modelBox = nullptr;
};

// Publishes a measuring view for the time of a zoom: it owns an extrema driver on the view being
// measured and makes the driver's measuring view CDsItemPolyline3D::sViewExtrema until it goes.
class AFX_EXT_CLASS CDsViewExtremaControler {
public:
    // No driver; publishes nothing.
    CDsViewExtremaControler() = default;
    // A new extrema driver on `view` (see CDsDriverExtrema), its measuring view published.
    explicit CDsViewExtremaControler(view3d* view);
    // Not copyable: the controller owns its driver.
    CDsViewExtremaControler(const CDsViewExtremaControler&) = delete;
    // Not copyable.
    CDsViewExtremaControler& operator=(const CDsViewExtremaControler&) = delete;
    // Withdraws the published view (sViewExtrema goes back to what it was before, null unless
    // zooms nest) and deletes the driver.
    virtual ~CDsViewExtremaControler();

    // The driver, null for a default controller.
    CDsDriverExtrema* GetDriver() const { return m_driver; }
    // The published measuring view, null for a default controller.
    CDsViewExtrema* GetExtView() const { return m_driver ? m_driver->GetExtView() : nullptr; }

private:
    CDsDriverExtrema* m_driver = nullptr;
    CDsViewExtrema* m_previous = nullptr;
};
