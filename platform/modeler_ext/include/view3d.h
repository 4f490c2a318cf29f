// view3d: the modeler's view. It holds a camera and a viewport, projects model points into the
// drawable and back, keeps a pen and a stack of model transforms, hands its drawing to the
// installed driver (or answers hits while in pick mode), and belongs to at most one rendering
// context, whose refresh draws it. It also carries the display settings the display core reads
// (render mode, view and document flags, draw phase, silhouette level, frame rates); the core's
// view derives from it and overrides the virtual operations.
//
// Coordinates:
// - drawable coordinates are pixels relative to the viewport: x from its left edge to the right,
//   y DOWN from its top edge (window coordinates when the viewport sits at the window's origin).
//   Pixel (i, j) covers [i, i + 1) x [j, j + 1); its centre is (i + 0.5, j + 0.5). Pick apertures,
//   draw_polyline_2d and the drivers' 2-D calls use these coordinates.
// - device coordinates are what get_ctm and ClipToDrawable give: the same pixels with y UP from
//   the viewport's bottom edge, as OpenGL window coordinates count them (minus the viewport's
//   corner); drawable y = viewport height - device y.
// - view orientation coordinates (view_orientation_transform): model units, origin at the target,
//   x right, y up, z towards the viewer.
//
// Neutral answers: with a zero-size viewport or an invalid camera (eye on target)
// get_units_per_pixel is 0, and world_to_drawable, drawable_to_world and ClipToDrawable answer
// false without touching their outputs; a point at or behind a perspective eye does not project.
// No operation hands a NaN to OpenGL.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"
#include "VyrViewTypes.h"
#include "acis_camera.h"
#include "pick_event.h"
#include "rgb_color.h"
#include "view_context.h"

#include "windows.h"

#include <vector>

class CRect;
class CDsBox;
class CDsPickedItem;
class CGmUnitVector;
class driver_context;
class rendering_context;
class viewport_manager;

// The modeler's view (see the header comment for its coordinates).
class VYR_MODELER_EXT_API view3d {
public:
    // A 1 x 1 viewport at (0, 0), the default camera, black pen on white, no driver, no context;
    // the view joins All_Views.
    view3d();
    // Copies camera, viewport, pen and model transforms, image scale, switches and settings; the
    // copy has no driver, no device context, no rendering context or record, is not in pick
    // mode, and joins All_Views.
    view3d(const view3d& other);
    // Copies what the copy constructor copies; driver, context and membership stay as they are.
    view3d& operator=(const view3d& other);
    // Leaves its rendering context and All_Views, tells every rubber-band driver, and deletes the
    // installed driver.
    virtual ~view3d();

    // --- Viewport -------------------------------------------------------------------------
    // The viewport (pixels): the driver's when a driver with a set viewport is installed.
    void get_viewport(int& x, int& y, int& width, int& height) const;
    // Sets the viewport of the view and of its driver; negative sizes become 0.
    void set_viewport(int x, int y, int width, int height);
    // Recomputes the device part of the transformation after the viewport changed.
    virtual void compute_viewport_transform();
    // Changes the viewport size to (w, h) keeping its corner and the units per pixel (the camera's
    // width and height follow the new size); with no previous size only the aspect is adjusted.
    virtual void resize(int width, int height);

    // --- Camera ---------------------------------------------------------------------------
    // The camera (changes through it are noticed by the view).
    acis_camera& get_camera() { return m_camera; }
    // The camera, read-only.
    const acis_camera& get_camera() const { return m_camera; }
    // The eye.
    SPAposition get_eye() const { return m_camera.get_eye(); }
    // Moves the eye.
    void set_eye(const SPAposition& eye) { m_camera.set_eye(eye); }
    // The target.
    SPAposition get_target() const { return m_camera.get_target(); }
    // Moves the target.
    void set_target(const SPAposition& target) { m_camera.set_target(target); }
    // The up vector (square to the direction).
    SPAunit_vector get_up() const { return m_camera.get_up(); }
    // Sets the wanted up vector.
    void set_up(const SPAvector& up) { m_camera.set_up(up); }
    // Unit viewing direction (eye towards target).
    SPAunit_vector get_direction() const { return m_camera.get_direction(); }
    // Unit vector to the right of the picture.
    SPAunit_vector get_right() const { return m_camera.get_right(); }
    // Unit vector towards the viewer.
    SPAunit_vector get_out() const { return m_camera.get_out(); }
    // Turns the camera to look along `direction` with `up` on top: the target stays and the eye
    // moves to target - direction * distance (distance 1 when the eye was on the target). A zero
    // direction is ignored.
    void set_direction(const SPAvector& direction, const SPAvector& up);
    // Picture width in model units at the target.
    double get_width() const { return m_camera.GetWidth(); }
    // Sets the picture width (ignored unless positive and finite).
    void set_width(double width) { m_camera.SetWidth(width); }
    // Picture height in model units at the target.
    double get_height() const { return m_camera.GetHeight(); }
    // Sets the picture height (ignored unless positive and finite).
    void set_height(double height) { m_camera.SetHeight(height); }
    // Near distance from the eye.
    double get_hither() const { return m_camera.get_hither(); }
    // Sets the near distance.
    void set_hither(double hither) { m_camera.set_hither(hither); }
    // Far distance from the eye.
    double get_yon() const { return m_camera.get_yon(); }
    // Sets the far distance.
    void set_yon(double yon) { m_camera.set_yon(yon); }
    // True for a perspective camera.
    bool is_perspective() const { return m_camera.is_perspective(); }
    // Chooses perspective (true) or parallel (false) projection.
    void set_perspective(bool on) { m_camera.set_perspective(on); }
    // Grows the width or the height so that the picture has the viewport's aspect (nothing for a
    // zero-size viewport).
    void adjust_aspect();
    // Moves eye and target by `offset`.
    void move(const SPAvector& offset);
    // Magnifies by `factor`: width and height are divided by it (ignored unless positive and
    // finite), so zooming by 2 halves the units per pixel.
    void zoom_scale(double factor);
    // Image scale (1 by default): how many times larger than the window a plot or picture of
    // the same view is made. Plotting and picture-taking save it with the viewport, set both
    // for the larger image and restore both after; the core view's window-size adjustment
    // divides the camera width by it. The camera width thus already holds it, and neither the
    // projection nor get_units_per_pixel applies it again.
    double get_image_scale() const { return m_image_scale; }
    // Sets the image scale (ignored unless positive and finite). The picture and the units per
    // pixel change only when the viewport or the camera width changes with it.
    void set_image_scale(double scale);
    // Model units per drawable pixel at the target: camera width / viewport width, the pixel
    // spacing of world_to_drawable and drawable_to_world. For a plot of a larger image of the
    // same view (viewport = window width x image scale, same camera width) this is the window's
    // camera width / (window width x image scale). 0 for a zero-width viewport.
    double get_units_per_pixel() const;

    // --- Transformations ------------------------------------------------------------------
    // Model to view orientation coordinates (see the header comment); the model transform is not
    // included.
    const view_matrix& view_orientation_transform() const;
    // The inverse of view_orientation_transform.
    const view_matrix& inverse_view_orientation() const;
    // Recomputes the current transformation: model transform, then view orientation, projection
    // and viewport, giving homogeneous device coordinates (row vectors: [p 1] * ctm).
    void compute_ctm();
    // The current transformation (recomputed first when out of date).
    const view_matrix& get_ctm() const;
    // True while the current transformation matches camera, viewport and model transform.
    bool is_ctm_valid() const;
    // Marks the current transformation out of date.
    void invalidate_ctm() { m_ctm_valid = false; }
    // Divides homogeneous device coordinates h (x, y, z, w) by w: device x and y (y up). False for
    // a point at or behind a perspective eye (w not above 0) or a result that is not finite.
    bool ClipToDrawable(const float h[4], float& x, float& y) const;
    // Projects a model (world) point, without the model transform, into drawable coordinates.
    bool world_to_drawable(const SPAposition& p, float& x, float& y) const;
    // As above in double precision; depth is the distance in front of the eye along the
    // direction (perspective) or beyond the target plane, away from the viewer (parallel).
    bool world_to_drawable(const SPAposition& p, double& x, double& y, double& depth) const;
    // The model point on the target plane (through the target, square to the direction) that
    // projects onto drawable point (x, y).
    bool drawable_to_world(double x, double y, SPAposition& p) const;
    // The line of sight through drawable point (x, y): it starts at the eye (perspective) or on
    // the plane through the eye (parallel) and runs along `direction` away from the viewer.
    bool drawable_to_ray(double x, double y, SPAposition& start, SPAunit_vector& direction) const;

    // --- Model transform ------------------------------------------------------------------
    // Switches applying the model transform to drawing and picking on or off (on by default).
    void enable_model_transform(bool on = true);
    // Whether the model transform is applied.
    bool is_model_transform_enabled() const { return m_context.model_transform_enabled; }
    // Pushes `t`, composed with the current model transform (t first, then the current one).
    virtual void SetModelTransform(const SPAtransf& t);
    // As above; a null pointer pushes the identity so that the matching clear stays paired.
    void SetModelTransform(const SPAtransf* t);
    // Pops the last model transform: 1 when one was popped, 0 when none was set.
    virtual int ClearModelTransform();
    // The current (composed) model transform; the identity when none is set.
    SPAtransf get_model_transform() const;
    // Number of model transforms pushed.
    int get_model_transform_depth() const { return static_cast<int>(m_context.model_transforms.size()); }

    // --- Pick mode ------------------------------------------------------------------------
    // The pick region: centre (drawable coordinates) and size in pixels. Outside pick mode the
    // centre is the last one set and the size is the process-wide aperture.
    void get_pick_aperture(int& cx, int& cy, int& width, int& height) const;
    // Enters pick mode (on not 0) with the region centred at (x, y) of size w x h (negative sizes
    // become 0), or leaves it (on 0; the other values are then ignored). Entering it from outside
    // pick mode (once the region is set) and leaving it call pick_mode_switched.
    void pick_mode(int on, int x, int y, int w, int h);
    // The pick-mode state: the value given to pick_mode (0 outside pick mode).
    int get_pick_mode() const { return m_pick_mode; }
    // The pick region in drawable coordinates (rows down): m_pick_w x m_pick_h pixels centred on
    // the centre of pixel (m_pick_x, m_pick_y), cut to the viewport (which shows nothing beyond
    // its edge); false when nothing is left. The pick projection maps it onto the viewport.
    bool pick_region(double& left, double& top, double& right, double& bottom) const;

    // --- Pen ------------------------------------------------------------------------------
    // Pen colour of the drawing operations (also given to the driver).
    virtual void set_foreground_rgb(rgb_color color);
    // Pen colour.
    rgb_color get_foreground_rgb() const { return m_context.foreground; }
    // Background colour (also given to the driver).
    virtual void set_background_rgb(rgb_color color);
    // Background colour.
    rgb_color get_background_rgb() const { return m_context.background; }
    // Pen width in pixels (negative becomes 0; also given to the driver).
    void set_line_width(int width);
    // Pen width.
    int get_line_width() const { return m_context.line_width; }
    // Pen style (also given to the driver).
    void set_line_style(line_style style);
    // Pen style.
    line_style get_line_style() const { return m_context.line_style; }
    // Marker of draw_point_3d.
    void set_point_style(point_style style);
    // Marker of draw_point_3d.
    point_style get_point_style() const { return m_context.point_style; }
    // Marker size in pixels (below 1 becomes 1).
    void set_point_size(int size);
    // Marker size.
    int get_point_size() const { return m_context.point_size; }
    // Copy or exclusive-or drawing (also given to the driver).
    void set_drawing_mode(drawing_mode mode);
    // Copy or exclusive-or drawing.
    drawing_mode get_drawing_mode() const { return m_context.drawing_mode; }
    // Text height in pixels (also given to the driver).
    void set_text_size(int size);
    // Text height in pixels.
    int get_text_size() const { return m_context.text_size; }
    // Line style of rubber bands drawn on this view.
    line_style get_rubberband_style() const { return m_rubberband_style; }
    // Sets the rubber-band line style.
    void set_rubberband_style(line_style style) { m_rubberband_style = style; }

    // --- Drawing (to the driver, or hit tests in pick mode) -------------------------------
    // A polyline of n points (x, y, z floats), closed when `closed` is not 0, in model
    // coordinates under the model transform. In pick mode: 1 when it crosses the pick region,
    // else 0, nothing drawn. Otherwise the driver draws it (transformed points) and the result
    // is 0. Nothing for n < 1, null points or no driver.
    virtual int draw_polyline_3d(int n, const float* xyz, int closed);
    // The same for positions.
    int draw_polyline_3d(int n, const SPAposition* points, int closed);
    // The same for positions.
    int draw_polyline_3d_positions(int n, const SPAposition* points, int closed);
    // A polyline of n drawable points (x, y floats). In pick mode: 1 when it crosses the pick
    // region. Otherwise the driver draws it; 0.
    virtual int draw_polyline_2d(int n, const float* xy, int closed);
    // A point marker in model coordinates. In pick mode: 1 when the point projects inside the
    // pick region. Otherwise the driver draws it; 0.
    virtual int draw_point_3d(const SPAposition& p);
    // A text at a model point. In pick mode: 1 when the anchor projects inside the pick region.
    // Otherwise the driver draws it; 0. A null text does nothing.
    virtual int draw_text_3d(const SPAposition& p, const char* text);

    // --- Device context and driver --------------------------------------------------------
    // The device context to draw into: the one set with set_device_context, else the driver's;
    // null without either.
    HDC get_device_context();
    // Gives back a device context from get_device_context (to the driver unless it was set).
    void release_device_context(HDC dc);
    // Makes the view use `dc` instead of its driver's (null goes back to the driver's).
    void set_device_context(HDC dc) { m_device_context = dc; }
    // The installed driver, or null.
    driver_context* get_driver_context() const { return m_driver; }
    // Installs `driver` (may be null) and hands it the view and the pen; when the driver's
    // viewport is not set it takes the view's. Returns the previous driver, which the view no
    // longer owns (the caller deletes it); null when `driver` was installed already. The view
    // deletes the driver installed at its end.
    driver_context* set_driver_context(driver_context* driver);
    // Detaches the driver and returns it; the caller then owns it.
    driver_context* release_driver_context();

    // --- Rendering context ----------------------------------------------------------------
    // The rendering context's per-view record (not owned, not interpreted by the view).
    void* get_rendering_context_data() const { return m_context_data; }
    // Sets the per-view record.
    void set_rendering_context_data(void* data) { m_context_data = data; }
    // The rendering context the view belongs to, or null.
    rendering_context* get_rendering_context() const { return m_rendering_context; }
    // Sets the rendering context pointer only (rendering_context::add_view manages membership).
    void set_rendering_context(rendering_context* context) { m_rendering_context = context; }
    // Has the rendering context draw the view (its refresh(view, rect)); nothing without one.
    virtual void refresh(const CRect* rect = nullptr);

    // --- Saved drawing state --------------------------------------------------------------
    // The drawing state (pen and model transforms) as a value.
    ::view_context view_context() const { return m_context; }
    // Puts a drawing state back (and hands the pen to the driver).
    void set_view_context(const ::view_context& context);

    // --- Frame rates (frames per second; negative: not measured) --------------------------
    // Rate of the last full refresh.
    float GetLastFPS() const { return m_last_fps; }
    // Sets the rate of the last full refresh.
    void SetLastFPS(float fps) { m_last_fps = fps; }
    // Rate of the last refresh during a fast (rotating) refresh.
    float GetLastZprFPS() const { return m_last_zpr_fps; }
    // Sets the fast-refresh rate.
    void SetLastZprFPS(float fps) { m_last_zpr_fps = fps; }

    // --- Drawing switches -----------------------------------------------------------------
    // Turns a drawing switch on or off (out-of-range switches are ignored).
    void set_drawing_switch(view_switch which, bool on);
    // A drawing switch (false out of range).
    bool get_drawing_switch(view_switch which) const;

    // --- Display settings the core overrides ----------------------------------------------
    // Sets the GL projection, viewport and model-view for this camera: with `pick` the pick
    // region narrows the projection; `depth` enables the depth test; the third flag is unused;
    // the scissor box is (left, top, right - left, bottom - top) of a given rectangle, taken as
    // OpenGL window coordinates, else the viewport; a camera that cannot project leaves both
    // matrices at the identity (apart from the pick region).
    virtual void SetupRenderingTransforms(bool pick, bool depth, bool clear, const CRect* rect);
    // Pushes both GL matrices and sets a pixel projection over the viewport (origin lower left).
    virtual void Start2dDraw();
    // Pops what Start2dDraw pushed.
    virtual void End2dDraw();
    // Fits the view to its content and magnifies by `factor`: a plain view has no content of its
    // own to measure, so it only applies zoom_scale(factor).
    virtual void ZoomAll(float factor);
    // Sets view flag f (ignored outside 0..16).
    virtual void SetFlag(EDsViewFlag f, bool on);
    // View flag f (false outside 0..16).
    virtual bool GetFlag(EDsViewFlag f) const;
    // Sets document flag f (ignored outside 0..31).
    virtual void SetDocumentFlag(EDsDocumentFlag f, bool on);
    // Document flag f (false outside 0..31).
    virtual bool GetDocumentFlag(EDsDocumentFlag f) const;
    // Whether the view hides items automatically during fast refresh: false.
    virtual bool GetAutoHideMode() const;
    // Whether the background must be painted white: false.
    virtual bool ForceWhiteBackgroundRequired() const;
    // Sets the render mode (3, shade, by default).
    virtual void SetRenderMode(ERenderMode mode);
    // The render mode.
    virtual ERenderMode GetRenderMode() const;
    // Sets the draw phase (4 by default).
    virtual void SetDrawPhase(EDsDrawPhase phase);
    // The draw phase.
    virtual EDsDrawPhase GetDrawPhase() const;
    // Sets the silhouette level (0 by default).
    virtual void SetSilhouetteLevel(EDsSilhouetteLevel level);
    // The silhouette level.
    virtual EDsSilhouetteLevel GetSilhouetteLevel() const;
    // Takes the background of a document kind: nothing for a plain view.
    virtual void UpdateBackgroundColor(EDsDocumentType type);
    // Refreshes (refresh with no rectangle) when `mode` is the view's render mode.
    virtual void Refresh(ERenderMode mode);
    // Saves the colour buffer: nothing for a plain view.
    virtual void SaveColorBuffer();
    // Restores the colour buffer: nothing for a plain view.
    virtual void RestoreColorBuffer();
    // Largest diagonal drawn in fast refresh, in pixels (0: no limit).
    virtual float GetMaxDiagonalSizeForFastRefresh() const;
    // Sets that diagonal (negative becomes 0).
    virtual void SetMaxDiagonalSizeForFastRefresh(float size);
    // The pass field: a word every renderer sets to 0 before each walk over the scene it draws
    // (a mixed frame before each of its walks). The display core never reads it; the host may,
    // from the drawing a walk calls. 0 for a new view; copies of a view do not take it.
    int GetPassField() const { return m_pass_field; }
    // Sets the pass field.
    void SetPassField(int value) { m_pass_field = value; }
    // Screen rectangle of a picked item: a plain view knows no items and leaves the outputs.
    virtual void GetBoundingRect(const CDsPickedItem* item, double& x0, double& x1, double& y0, double& y1,
                                 bool fromViewport);
    // Reference coordinate system: a plain view has none and leaves the outputs.
    virtual void GetReferenceUcs(CGmUnitVector* axes, SPAposition& origin);
    // Whether a box lies wholly outside the viewing volume: false for a plain view.
    virtual bool IsOutOfFrustrum(CDsBox& box);

protected:
    // Called by pick_mode as the view enters pick mode from outside it (`on`), before the pick
    // draws anything, and as it leaves pick mode: a view that draws through OpenGL makes current
    // there what its picks draw with, and afterwards what it draws with itself. Nothing for a plain
    // view.
    virtual void pick_mode_switched(bool on) { (void)on; }

    // --- Pieces of the frame set-up, shared with the views that override it ---------------
    // Makes the projection matrix current with the identity; with `pick` and a viewport of some
    // size, narrows it to the pick region of get_pick_aperture, centred on the centre of its
    // pixel (counted up from the viewport's bottom when view flag 1 is set, else down from its
    // top) and cut to the viewport: a region wholly outside it selects nothing.
    void gl_start_projection(bool pick) const;
    // Multiplies a camera's projection onto the current matrix: a perspective one by the field
    // of view of a picture `height` high at `distance` from the eye (a far distance not beyond the
    // near one moves to near + max(1, 2 x distance)); a parallel one by glOrtho over the picture
    // size (a far distance not beyond the near one moves to near + 1).
    static void gl_camera_projection(bool perspective, double width, double height, double distance,
                                     double near_distance, double far_distance);
    // Makes the model-view matrix current with the identity, sets the GL viewport to the view's,
    // the scissor box to `rect` (left, top, right - left, bottom - top, taken as OpenGL window
    // coordinates) or else the viewport, switches the scissor test on and sets depth function
    // GL_LEQUAL.
    void gl_viewport_and_scissor(const CRect* rect) const;
    // Multiplies the camera's look-at (eye, target, up) onto the current matrix.
    void gl_look_at() const;

private:
    friend class rendering_context;
    friend class viewport_manager;

    void copy_settings(const view3d& other);
    void push_pen_to_driver();
    void update_transforms() const;
    bool polyline_hits(int n, const float* xy, int closed) const;
    bool point_in_pick_region(float x, float y) const;
    bool project_model_point(const SPAposition& p, float& x, float& y) const;

    acis_camera m_camera;
    int m_viewport[4] = {0, 0, 1, 1};
    double m_image_scale = 1.0;
    ::view_context m_context;
    line_style m_rubberband_style = line_style_dashed;

    int m_pick_mode = 0;
    int m_pick_x = 0;
    int m_pick_y = 0;
    int m_pick_w = 0;
    int m_pick_h = 0;

    driver_context* m_driver = nullptr;
    HDC m_device_context = nullptr;
    rendering_context* m_rendering_context = nullptr;
    void* m_context_data = nullptr;

    float m_last_fps = -1.0f;
    float m_last_zpr_fps = -1.0f;
    bool m_switches[view_switch_count] = {true, false, false, false};
    unsigned int m_view_flags = 0;
    unsigned int m_document_flags = 0;
    ERenderMode m_render_mode = eRenderShade;
    EDsDrawPhase m_draw_phase = eDsDrawPhasePlot;
    EDsSilhouetteLevel m_silhouette = eDsSilhouetteNone;
    float m_max_fast_diagonal = 0.0f;
    int m_pass_field = 0;

    // Cached projections, recomputed when the camera, viewport or model transform changed.
    mutable view_matrix m_vom;
    mutable view_matrix m_inverse_vom;
    mutable view_matrix m_ctm;
    mutable bool m_ctm_valid = false;
    mutable unsigned long m_cached_revision = ~0ul;
    mutable int m_cached_viewport[4] = {0, 0, 0, 0};
    mutable double m_cached_scale = 0.0;
};

// Every live view, in creation order.
VYR_MODELER_EXT_API viewport_manager& All_Views();
