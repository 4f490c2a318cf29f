// driver_context: the output device of a view. The view hands it the pen and its drawing; this
// base keeps the pen, the viewport and the output extents, projects 3-D drawing through its view
// into 2-D calls, answers pick tests of 2-D polylines against the view's pick region, and draws
// nothing itself: derived drivers (device contexts, printers, measuring drivers, recorders)
// override the calls they serve. 2-D coordinates are the view's drawable coordinates (pixels
// from the viewport's top-left corner, y down; see view3d.h).
#pragma once

#include "VyrModelerExtApi.h"

#include "VyrViewTypes.h"
#include "rgb_color.h"

#include "windows.h"

class CBitmap;
class CDsNFontStorage;
class CGmPosition;
class CVyrString;
class SPAposition;
class view3d;

// Base driver: pen and viewport state, default text and pick behaviour, no device output.
class VYR_MODELER_EXT_API driver_context {
public:
    // No view, black on white, copy mode, solid width-0 pen, text size 0, rubber band off,
    // viewport not set.
    driver_context();
    // Copies the state, the view pointer included (not owned).
    driver_context(const driver_context& other) = default;
    // Copies the state, the view pointer included.
    driver_context& operator=(const driver_context& other) = default;
    // Destroys the driver (the view is not touched).
    virtual ~driver_context();

    // Names the output window (a plain driver ignores it).
    virtual void name_window(const char* name);
    // Capability bits of the device: 0 for a plain driver.
    virtual int get_driver_capabilities();
    // The device context to draw into: null for a plain driver.
    virtual HDC get_device_context();
    // Gives back a device context from get_device_context: nothing for a plain driver.
    virtual void release_device_context(HDC dc);

    // Pen colour.
    virtual void set_foreground_rgb(rgb_color color);
    // Pen colour.
    virtual rgb_color get_foreground_rgb();
    // Background colour.
    virtual void set_background_rgb(rgb_color color);
    // Background colour.
    virtual rgb_color get_background_rgb();
    // Makes the pen the background colour (to erase).
    virtual void set_foreground_to_background();
    // Copy or exclusive-or drawing.
    virtual void set_drawing_mode(drawing_mode mode);
    // Pen style.
    virtual void set_line_style(line_style style);
    // Pen width in pixels (negative becomes 0).
    virtual void set_line_width(int width);
    // Font of text (a plain driver keeps no font): returns 1.
    virtual int set_text_font(const char* name);
    // Text height in pixels (below 1 stored as 0).
    virtual void set_text_size(int size);
    // Rubber-band drawing on (not 0) or off: exclusive-or with the rubber-band pen while on.
    virtual void set_rubberband_mode(int on);

    // A 2-D polyline of n drawable points (x, y floats), filled when `fill` is not 0. While the
    // view picks: pick_polyline_2d's answer; otherwise 0 (a plain driver draws nothing).
    virtual int draw_polyline_2d(int n, const float* xy, int fill);
    // One pixel in the pen colour: 1 when drawn, 0 for a plain driver.
    virtual int set_pixel(float x, float y);
    // A point marker of the pen's point style and size: 0 for a plain driver.
    virtual int draw_point_2d(float x, float y);
    // A text at a drawable point (narrowed to the multibyte form, then as below).
    virtual int draw_text_2d(float x, float y, const CVyrString& text);
    // A text at a drawable point. While the view picks: 1 when the anchor lies in the pick region;
    // otherwise 0 (a plain driver draws nothing). A null text answers 0.
    virtual int draw_text_2d(float x, float y, const char* text);
    // A text with a font and alignment at a drawable point: draw_text_2d for a plain driver; the
    // advance widths (dx) are ignored.
    virtual int DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                           int* dx);
    // A text with a font and alignment at a model point: 0 for a plain driver (it has no fonts).
    virtual int DrawText3D(CGmPosition& p, const CVyrString& text, CDsNFontStorage& font, EDsTextLineAlignment align,
                           int* dx);
    // A bitmap into a rectangle: nothing for a plain driver.
    virtual void DrawImage(const CBitmap& bitmap, int x, int y, int width, int height);

    // Colour capability for images: mode and the levels of red, green and blue (a plain driver
    // reports direct colour with 256 levels each).
    virtual void get_color_map(ColorMode& mode, int& red, int& green, int& blue);
    // Starts an image of w x h pixels at (x, y): nothing for a plain driver.
    virtual void image_start(int x, int y, int w, int h);
    // One image row: 0 for a plain driver.
    virtual int draw_scanline(int x, int y, int w, int* pixels);
    // Ends an image.
    virtual void image_end();
    // Clears the output to the background: nothing for a plain driver.
    virtual void clear();
    // Re-reads the viewport from the output (a window's client area): nothing for a plain driver.
    virtual void recompute_viewport();
    // Line style of the rubber-band pen; returns the number of bytes it read (a plain driver
    // reports its stored style and the size of a line_style).
    virtual int GetRubberBandLineStyle(line_style& style);
    // Sets the line style of the rubber-band pen.
    virtual void SetRubberBandLineStyle(line_style style);

    // A 3-D polyline of n points (x, y, z floats, model coordinates, the view's model transform
    // already applied): projected through the view, then draw_polyline_2d. Pieces of the line
    // that cannot be projected (behind a perspective eye) split it. 0.
    virtual int draw_polyline_3d(int n, const float* xyz, int closed);
    // A point marker at a model point: projected, then draw_point_2d; 0 when it does not project.
    virtual int draw_point_3d(const float* xyz);
    // A text at a model point: projected, then draw_text_2d; 0 when it does not project.
    virtual int draw_text_3d(const float* xyz, const char* text);
    // Tests a 2-D polyline against the view's pick region (closed when `closed` is not 0):
    // 1 when a segment (or, for one point, the point) meets it, else 0; 0 when not picking.
    virtual int pick_polyline_2d(int n, const float* xy, int closed);
    // Marker of draw_point_2d.
    virtual void set_point_style(point_style style);
    // Marker size in pixels (below 1 becomes 1).
    virtual void set_point_size(int size);

    // The view the driver draws for (not owned).
    view3d* get_view3d() const { return m_view; }
    // Binds the driver to a view (null unbinds).
    void set_view3d(view3d* view) { m_view = view; }
    // True while the bound view is in pick mode.
    bool is_picking() const;

    // Sets the viewport (negative sizes become 0) and marks it set.
    void set_viewport(int x, int y, int width, int height);
    // The viewport (zeros until set).
    void get_viewport(int& x, int& y, int& width, int& height) const;
    // Whether a viewport was set.
    bool is_viewport_set() const { return m_viewport_set; }
    // Marks the viewport as not set (keeps the numbers).
    void clear_viewport() { m_viewport_set = false; }
    // The rectangle where finished pictures are copied (all zeros: the viewport is used).
    void get_output_extents(int& x, int& y, int& width, int& height) const;
    // Sets the output rectangle (negative sizes become 0).
    void set_output_extents(int x, int y, int width, int height);

    // The stored drawing mode.
    drawing_mode get_drawing_mode() const { return m_drawing_mode; }
    // The stored line style.
    line_style get_line_style() const { return m_line_style; }
    // The stored line width.
    int get_line_width() const { return m_line_width; }
    // The stored text size.
    int get_text_size() const { return m_text_size; }
    // The stored rubber-band mode.
    int get_rubberband_mode() const { return m_rubberband_mode; }
    // The stored point style.
    point_style get_point_style() const { return m_point_style; }
    // The stored point size.
    int get_point_size() const { return m_point_size; }

protected:
    // The bound view (not owned).
    view3d* m_view = nullptr;
    // Pen colour.
    rgb_color m_foreground;
    // Background colour.
    rgb_color m_background{1.0, 1.0, 1.0};
    // Copy or exclusive-or.
    drawing_mode m_drawing_mode = drawing_mode_copy;
    // Pen style.
    line_style m_line_style = line_style_solid;
    // Pen width.
    int m_line_width = 0;
    // Text height.
    int m_text_size = 0;
    // Rubber-band mode.
    int m_rubberband_mode = 0;
    // Rubber-band pen style.
    line_style m_rubberband_style = line_style_solid;
    // Point marker.
    point_style m_point_style = point_style_dot;
    // Point marker size.
    int m_point_size = 1;
    // Viewport width, height, x and y.
    int m_viewport_width = 0, m_viewport_height = 0, m_viewport_x = 0, m_viewport_y = 0;
    // Whether the viewport was set.
    bool m_viewport_set = false;
    // Output extents x, y, width, height.
    int m_output[4] = {0, 0, 0, 0};
};
