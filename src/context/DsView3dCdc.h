// CDsView3dCdcBase and CDsView3dCdc: the display core's view, one per host window.
//
// A view is a modeler view (view3d) that knows its rendering context (CDsGlContext), carries the
// settings the renderers read during a refresh (render mode, draw phase, view flags, location
// state, frustum box) and keeps the process-wide statics through which the rest of the core
// reaches "the current view": the current view itself, the previous active view, the last saved
// picture, the plot mode and what plotting saves, the display-curves switch and the display
// suspension of the current view's context.
//
// One store for each setting: the view flags, the render mode and the draw phase are the modeler
// view's; the document flags and the silhouette level are the context's scene's (a view without a
// context answers false and 0); the view's context is the modeler view's rendering context when
// that is a CDsGlContext. View flag 2 is the process-wide extrema mode (StSetExtremaMode and
// StGetExtremaMode of DsDriverExtrema.h), raised only for the time of a measurement.
//
// The current OpenGL view: every view made becomes the current view, without touching OpenGL.
// StGetCurrent makes the current view's OpenGL context current when another view's is
// (CDsGlContext::sCurrentView), so that each use of the current view also switches OpenGL to it,
// and only when the view changed.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A view cannot be copied: it owns its frustum box, its off-screen buffer and its OpenGL
//   record, and nothing needs a copy of a view.
// - SetupRenderingTransforms without depth leaves the modeler view's camera where it is (the
//   frame is drawn with the camera as it was anyway; moving the camera by 1e6 along its out
//   vector on every call would make it drift). A camera that cannot project (no picture size,
//   eye on the target) leaves both matrices at the identity; a far distance not beyond the near
//   one is moved beyond it, as the modeler view does.
// - The frustum box of a perspective view is as wide as the viewing volume at its far end, so that
//   IsOutOfFrustrum never calls out what a wide perspective shows near the far plane.
// - Destroying a view first leaves its context (whose textures are deleted while the view's
//   OpenGL context still exists), then deletes its record, which releases its OpenGL context only
//   when that is the current one; CDsGlContext::sCurrentView is forgotten when it names the view.
// - Queries of the current view without one change nothing and answer 0, false or null.
//
// GetReferenceUcs answers the reference coordinate system of the scene of the view's context.
// IsSection asks the scene of the view's context; a view without a context has no section.
//
// The device-context driver: every view owns one (CDsDriverCdc for a core view), made on the
// view's window when it has one, else without a window (it then draws only into a device context
// given with SetDC). A view made on a window takes the window's client area as its viewport. The
// view's window (GetWindow) is the driver's; the view's device context, scales, text and fonts
// are the driver's too, and a view whose driver was replaced by another kind (a test's, a
// measuring one) answers null, 0 or nothing for them and leaves their outputs as they were.
//
// Pictures: the last picture saved (sLastPicture) is the view statics' own; saving a new one frees
// the old. Through the off-screen buffer (CDsPBuffer) come GetPBuffer, IsPBufferValid,
// IsBackBufferValid and InvalidatePBuffers. Their declarations below say what they do.
#pragma once

#include <afx.h>

#include "SpaValues.h"
#include "VyrObjectTypes.h"
#include "view3d.h"

class CDC;
class CDsBox;
class CDsColorStorage;
class CDsDriverCdcBase;
class CDsGlContext;
class CDsNFontStorage;
class CDsPBuffer;
class CDsPictureStorage;
class CGmPosition;
class CGmTransformation;
class CVyrString;
class CWnd;

// Whether a plot or print is under way, and how it draws. 0 is no plot; every other value is a
// plot, during which items draw through the view's drawing operations instead of OpenGL.
enum EPlotMode : int {
    // No plot or print under way: items draw through OpenGL.
    ePlotModeNone = 0,
    // A plot whose line widths come from the plot palette's pens (by colour).
    ePlotModePenWidths = 2,
    // A plot whose pens keep the view's foreground colour.
    ePlotModeColors = 3
};

// The device-context view: a modeler view that draws through a device-context driver.
class AFX_EXT_CLASS CDsView3dCdcBase : public view3d {
public:
    // A modeler view with its defaults and a device-context driver without a window (it draws
    // into a device context given with SetDC).
    CDsView3dCdcBase();
    // A view of `window` (not owned; null: as the default view), whose device-context driver draws
    // on the window's device context; the viewport is the window's client area.
    explicit CDsView3dCdcBase(CWnd* window);
    // Not copyable (see CDsView3dCdc).
    CDsView3dCdcBase(const CDsView3dCdcBase&) = delete;
    // Not copyable.
    CDsView3dCdcBase& operator=(const CDsView3dCdcBase&) = delete;
    // Destroys the modeler view (and its driver).
    ~CDsView3dCdcBase() override;

    // When the driver's viewport is set and the driver hands out a device context: the modeler
    // view's refresh (the context draws the view), then the device context is given back.
    // Nothing without a driver, with its viewport not set, or without a device context.
    void refresh(const CRect* rect = nullptr) override;

    // --- Through the device-context driver ------------------------------------------------
    // (Each does nothing, answers null or leaves its outputs as they were while the view's driver
    // is not a device-context driver.)
    // Makes the driver draw on `dc` (not owned) instead of the window's device context.
    void SetDC(CDC* dc);
    // Back to the window's device context.
    void ClearDC();
    // The driver's device context (a use count is raised), null without one.
    CDC* GetCdc();
    // Gives back a device context from GetCdc.
    void ReleaseCdc(CDC* dc);
    // Stores the driver's pixels per model unit in x and y (positive and finite, else ignored)
    // and invalidates the transformation.
    void SetPixelsPerUnit(double x, double y);
    // The driver's pixels per model unit (1 and 1 until set).
    void GetPixelsPerUnit(double& x, double& y) const;
    // The viewport's size divided by the pixels per unit (truncated).
    void GetImageSize(int& width, int& height) const;
    // The camera's width and height := the viewport's size / the pixels per unit / the image
    // scale; the transformation is invalidated.
    void AdjustWindowSize();
    // Whether the driver clears its output (not 0) or not.
    void EnableClear(int on);
    // Whether the driver maps the viewport onto every device context it hands out (not 0, the
    // default) or leaves the context's mapping alone.
    void SetAutoMapMode(int on);
    // Selects and realises the driver's palette into its device context and updates the colours.
    void UpdateColors();

protected:
    // The view's driver when it is a device-context driver, else null.
    CDsDriverCdcBase* GetCdcDriver() const;
    // Installs `driver` (owned from here on; its viewport is `window`'s client area when a window
    // is given) in place of the view's driver, which is deleted.
    void InstallCdcDriver(CDsDriverCdcBase* driver, CWnd* window);
};

// The display core's view.
class AFX_EXT_CLASS CDsView3dCdc : public CDsView3dCdcBase {
public:
    // A view with the defaults (render mode 3, draw phase 4, every view flag clear, an empty
    // frustum box, location state 0, no context) and a CDsDriverCdc without a window; it becomes
    // the current view without touching OpenGL.
    CDsView3dCdc();
    // A view of `window` (not owned; null: as the default view), with a CDsDriverCdc on it and
    // the window's client area as its viewport; otherwise as the default view.
    explicit CDsView3dCdc(CWnd* window);
    // Not copyable: a copy would share the frustum box, the off-screen buffer and the record.
    CDsView3dCdc(const CDsView3dCdc&) = delete;
    // Not copyable.
    CDsView3dCdc& operator=(const CDsView3dCdc&) = delete;
    // Deletes the off-screen buffer, leaves its context, drops what the display manager keeps for
    // it (textures, vertex buffers), clears the current and previous views and the current OpenGL
    // view when they name it, deletes the frustum box and the OpenGL record, and clears the
    // rectangles' cached viewport.
    ~CDsView3dCdc() override;

    // Has no effect (the view's attributes are the modeler view's defaults).
    void SetDefaultAttributes();
    // Deletes the view's OpenGL record (releasing its OpenGL context only when that is current)
    // and forgets it; the current OpenGL view is forgotten when it is this view.
    void DeleteRenderongContextData();

    // --- Context --------------------------------------------------------------------------
    // Makes `context` (may be null) the view's context; only the pointer (adding the view to the
    // context, CDsGlContext::add_view, gives it its OpenGL record).
    void SetGlContext(CDsGlContext* context);
    // The view's context, null when it has none.
    CDsGlContext* GetGlContext() const;
    // Whether the scene of the view's context holds a section (a section plane or a stepped
    // section); false without a context.
    bool IsSection() const;
    // The window the view's device-context driver draws on; null for a view made without a
    // window (or whose driver is not a device-context driver).
    CWnd* GetWindow() const;
    // The driver's device context when the driver is a device-context driver, else null.
    CDC* GetDc();
    // Gives back a device context from GetDc.
    void ReleaseDc(CDC* dc);
    // Invalidates the view's window (erase on); nothing without a window.
    void InValidateView();
    // Has the view's context show that a view was activated (the scene's flag 19 set); nothing
    // without a context.
    void Activate();
    // Tells the context's host that the view was deactivated (notification 17); nothing without
    // a context.
    void DeActivate();

    // --- Current view and current OpenGL view ---------------------------------------------
    // The current view, null when there is none.
    static CDsView3dCdc* sCurrentView;
    // The view last named by StSetPreviousActiveView, null when none.
    static CDsView3dCdc* sPreviousActiveView;
    // The current view (null when none). When it has a context and is not the current OpenGL view,
    // its OpenGL context is made current first (once: later calls find it current).
    static CDsView3dCdc* StGetCurrent();
    // The same OpenGL switch for `view` when it is a core view, without changing the current view:
    // while the view is in pick mode, with the lasting context (see CDsGlContext's header comment).
    static void StMakeGlCurrentView(view3d* view);
    // Makes `view` the current view; when it differs from the current one and has a context,
    // pending drawing is flushed and its OpenGL context made current. The flag is not used.
    static void StSetCurrent(CDsView3dCdc* view, bool unused);
    // The current view's context (no OpenGL switch); null without a current view or context.
    static CDsGlContext* StGetCurrentGlContext();
    // The previous active view.
    static CDsView3dCdc* StGetPreviousActiveView();
    // Stores `view` as the previous active view when it is a core view, else null.
    static void StSetPreviousActiveView(view3d* view);
    // The current view's pick aperture size (view3d::get_pick_aperture); the outputs stay as they
    // are without a current view.
    static void StGetPickApperture(int& width, int& height);

    // --- Display suspension (the counter of the current view's context) -------------------
    // Counter + 1 (at least 1); nothing without a current view or context.
    static void StSuspendDisplay();
    // Counter - 1 (at least 0); at 0 every view window of the context is invalidated.
    static void StResumeDisplay();
    // True while the current view's context is suspended; false without a current view or context.
    static bool StGetDisplaySuspensionMode();
    // This view's context: the counter to 0 through one push and pop, so that every view window
    // of the context is invalidated; nothing without a context.
    void ResetDisplaySuspension();
    // The current view's context refreshes all its views; nothing without a current view or
    // context.
    static void StRefreshAllViews();
    // glFlush.
    static void StFlushDisplay();

    // --- Pictures (CDsPictureStorage) -----------------------------------------------------
    // The picture saved by StSavePicture (owned by these statics), null when none.
    static CDsPictureStorage* sLastPicture;
    // With a current view: the saved picture is replaced by a new picture of the current view.
    // Nothing without a current view.
    static void StSavePicture();
    // With a current view and a saved picture: the saved picture is put on the current view (its
    // clipping planes fitted, CDsPictureStorage::DisplayPicture); the picture stays saved. The
    // view is not refreshed.
    static void StRestorePicture();
    // With both: the saved picture is put on the current view and replaced by a picture taken just
    // before, so that two calls return the camera to where it was. Nothing without either.
    static void StSwapPictures();
    // Deletes the saved picture.
    static void StInvalidatePicture();
    // True while a picture is saved.
    static bool StGetPictureExistance();

    // --- Plot mode (process-wide) ---------------------------------------------------------
    // The plot mode; ePlotModeNone (0) while no plot or print is under way.
    static EPlotMode sPlotMode;
    // Viewport x saved before plotting.
    static int sPlotX;
    // Viewport y saved before plotting.
    static int sPlotY;
    // Viewport width saved before plotting.
    static int sPlotWidth;
    // Viewport height saved before plotting.
    static int sPlotHeight;
    // Image scale saved before plotting (1 at the start).
    static double sPlotScale;
    // Sets the plot mode.
    static void StSetPlotMode(EPlotMode mode);
    // Back to ePlotModeNone.
    static void StResetPlotMode();
    // The plot mode.
    static EPlotMode StGetPlotMode();
    // True while a plot or print is under way (plot mode not 0).
    static bool StCheckIfPlotIsActive();
    // Saves this view's image scale and viewport in the plot statics.
    void SaveParametersBeforePlot();
    // Puts the saved image scale and then the saved viewport back into this view.
    void RestoreParametersAfterPlot();

    // --- Other process-wide switches ------------------------------------------------------
    // Whether display curves of faces are drawn (true at the start).
    static bool sDisplayCurvesMode;
    // Sets the display-curves switch and answers its previous value.
    static bool StSetDisplayCurvesMode(bool on);
    // The display-curves switch.
    static bool StGetDisplayCurvesMode();
    // Sets the current view's render mode (SetRenderMode); nothing without a current view.
    static void StSetRenderMode(ERenderMode mode);
    // The current view's render mode; 0 without a current view.
    static ERenderMode StGetRenderMode();
    // False.
    static bool StUnused();
    // Nothing.
    static void StUnused(bool unused);

    // --- Flags and settings ---------------------------------------------------------------
    // Sets or clears view flag f; ignored outside 0..16. Flag 2 is the process-wide extrema mode.
    void SetFlag(EDsViewFlag f, bool on) override;
    // View flag f; false outside 0..16. Flag 2 is the process-wide extrema mode.
    bool GetFlag(EDsViewFlag f) const override;
    // The context's document flag f (CDsGlContext::Set); nothing without a context.
    void SetDocumentFlag(EDsDocumentFlag f, bool on) override;
    // The context's document flag f; false without a context.
    bool GetDocumentFlag(EDsDocumentFlag f) const override;
    // Stores the render mode, marks it changed in the context's scene, sets the modeler view's
    // drawing switches (0 and 2: edges; 1: edges and hidden lines; 3 and 4: shaded; other values
    // leave them) and refreshes the view.
    void SetRenderMode(ERenderMode mode) override;
    // The location state (the special attribute set the scene walk leaves in the view).
    void SetLocationState(EAttribSetIndex state) { m_locationState = static_cast<unsigned char>(state); }
    // The location state (0 at the start).
    EAttribSetIndex GetLocationState() const { return static_cast<EAttribSetIndex>(m_locationState); }
    // The context's silhouette level (CDsGlContext::SetSilhouetteLevel); nothing without a context.
    void SetSilhouetteLevel(EDsSilhouetteLevel level) override;
    // The context's silhouette level; 0 without a context.
    EDsSilhouetteLevel GetSilhouetteLevel() const override;
    // The context's largest diagonal drawn during a fast refresh; 0 without a context.
    float GetMaxDiagonalSizeForFastRefresh() const override;
    // Sets the context's largest diagonal drawn during a fast refresh; nothing without a context.
    void SetMaxDiagonalSizeForFastRefresh(float size) override;

    // --- Background -----------------------------------------------------------------------
    // True when the background must be painted white: view flag 8 with display-manager flag 6
    // or 8, or view flag 9 with display-manager flag 7.
    bool ForceWhiteBackgroundRequired() const override;
    // The modeler view's background colour, or white when ForceWhiteBackgroundRequired.
    void GetBackgroundColor(rgb_color& color) const;
    // The background of document type `type` from the display preferences becomes the scene's
    // (CDsPreferencesServices::UpdateBackgroundColor) and its colour the modeler view's background
    // colour, with the display suspended meanwhile: when the suspension ends every view of the
    // context is invalidated and paints the new background. Nothing without a context.
    void UpdateBackgroundColor(EDsDocumentType type) override;

    // --- Drawing --------------------------------------------------------------------------
    // Outside plot mode: the colour straight to OpenGL (glColor3ub of its red, green and blue);
    // in plot mode: to the driver's pen (nothing without a driver).
    void set_foreground_rgb(const CDsColorStorage& color);
    // The modeler view's pen colour operation stays visible.
    using view3d::set_foreground_rgb;
    // A text at a model point, handed to the driver (its draw_text_3d); 0 without a driver or text.
    int draw_text_3d(const SPAposition& p, const char* text) override;
    // A text with its top-left corner at drawable point (x, y), in the device-context driver's
    // font and pen colour; the driver's answer, 0 when the driver is not a CDsDriverCdc.
    int draw_text_2d(float x, float y, const CVyrString& text);
    // A text on its baseline at drawable point (x, y) in `font`, aligned left, centred or right,
    // with the advances `dx` when given, through the view's driver; its answer, 0 without one.
    int DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align, int* dx);
    // DrawText2D at the drawable position of model point `p`, through the view's driver; its
    // answer, 0 without one or when the point does not project.
    int DrawText3D(CGmPosition& p, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align, int* dx);
    // Slanted (italic) text of the CDsDriverCdc.
    void SetTextSlanted(bool on);
    // The base angle of the CDsDriverCdc's text, in degrees (kept in tenths of a degree).
    void SetTextBaseAngle(int degrees);
    // The CDsDriverCdc's font becomes a copy of `font`.
    void SetFont(const CDsNFontStorage& font);

    // --- Refresh, size and camera ---------------------------------------------------------
    // The modeler view's resize, then the clipping planes fitted again (AdjustDistance(false)).
    // A new size leaves no saved picture (back buffer or off-screen buffer) to present: the next
    // refresh draws the whole frame. A window's new size reaches the view only through here.
    void resize(int width, int height) override;
    // Fits the view's clipping planes to the measured depth (CDsDriverExtrema::
    // AdjustClippingPlanes(compute, false)) with view flag 2 raised meanwhile.
    void AdjustDistance(bool compute);
    // Fits the view to what its context shows and magnifies by `factor`: with the extrema mode and
    // view flag 10 raised and a measuring view published (CDsViewExtremaControler), the context
    // measures its content, the camera is fitted to it, zoomed by `factor` and its clipping planes
    // fitted; a modeler error meanwhile ends the fitting. Both flags are lowered afterwards. A
    // perspective eye that the scene's box does not lie in front of by a twentieth of its diagonal
    // first steps back along the view direction, eye and target together, until the box lies half
    // its diagonal in front: what lies behind the eye could not be fitted.
    void ZoomAll(float factor) override;
    // Transforms target, eye and up vector by `t`, sets them (target, eye, up) and refreshes when
    // `refresh` is not 0.
    void TransformView(const CGmTransformation& t, int refresh);
    // The screen rectangle of a picked item, in viewport pixels (x from the left, y up): the
    // outputs change only when something was measured, and a picked item is not measured, so they
    // stay as they are.
    void GetBoundingRect(const CDsPickedItem* item, double& x0, double& x1, double& y0, double& y1,
                         bool fromViewport) override;

    // --- OpenGL set-up --------------------------------------------------------------------
    // Sets the GL projection, viewport and model-view for the camera: the near distance at least
    // 0.001; with `pick` the pick region narrows the projection (its centre counted up from the
    // bottom when view flag 1 is set, else down from the top); a perspective camera by its field
    // of view, a parallel one by its picture size (glOrtho with `depth`, else gluOrtho2D); the
    // scissor box is the given rectangle (left, top, right - left, bottom - top) or the viewport;
    // depth test (GL_LEQUAL, range 0 to 1) and lighting on, line stipple and colour material off,
    // blending GL_ONE, GL_ZERO, line width 1. The third flag is not used. The camera is not changed.
    void SetupRenderingTransforms(bool pick, bool depth, bool unused, const CRect* rect) override;
    // Pushes both GL matrices and sets a pixel projection over the viewport (origin lower left)
    // with the depth test off (CDsDriverGl::Start2dDraw); a zero-size viewport counts as 1 x 1. In
    // pick mode the pick region narrows it, as it narrows the model's projection.
    void Start2dDraw() override;
    // Pops the projection and the model-view matrix.
    void End2dDraw() override;
    // Recomputes the frustum box (the viewing volume in camera coordinates) of `view` (this view
    // when null), narrowed to `rect` (drawable pixels) when given, and the model-to-view transform.
    void ComputeFrustrumBox(view3d* view, const CRect* rect);
    // True when `box` lies wholly outside the frustum box of the last ComputeFrustrumBox (false
    // before the first).
    bool IsOutOfFrustrum(CDsBox& box) override;
    // The reference coordinate system of the scene of the view's context (axes, when not null, and
    // origin); the outputs stay as they were without a context.
    void GetReferenceUcs(CGmUnitVector* axes, SPAposition& origin) override;
    // The frustum box (camera coordinates).
    const CDsBox& GetFrustrumBox() const { return *m_frustumBox; }

    // --- Off-screen buffer (CDsPBuffer) ---------------------------------------------------
    // The view's off-screen buffer, made on first use (of the viewport's size; empty, never
    // valid, where pbuffers cannot be used).
    CDsPBuffer* GetPBuffer();
    // Whether the off-screen buffer (made when there is none) is usable: it has a device context,
    // is not lost and is as large as the viewport; with `complete`, also whether it holds a
    // finished picture. A buffer that is not usable is deleted (the next GetPBuffer makes a new
    // one) and the answer is false.
    bool IsPBufferValid(bool complete);
    // A finished off-screen picture, or else the context's valid back buffer; false without
    // either.
    bool IsBackBufferValid();
    // Deletes the off-screen buffer; with a context, also its highlight data (the paths kept to
    // be highlighted again after the next refresh).
    void InvalidatePBuffers();

protected:
    // As the view enters pick mode, makes its OpenGL current with the lasting context
    // (StMakeGlCurrentView), so that the pick draws there from its first call on, set up for the
    // view as for a pick (SetupRenderingTransforms with `pick` and `depth`); as it leaves pick
    // mode while it is the current OpenGL view, makes its own context current again, as the pick
    // found it.
    void pick_mode_switched(bool on) override;

private:
    // ZoomAll's first step (see there).
    void StepBackFromTheScene(CDsGlContext& context);
    // Context null, render mode 3, draw phase 4, every view flag clear, an empty frustum box.
    void ResetMembers();

    SPAtransf m_modelToView;
    CDsBox* m_frustumBox = nullptr;
    unsigned char m_locationState = 0;
    CDsPBuffer* m_pBuffer = nullptr;
};
