// CDsDriverCdcBase: the modeler's driver specialised for a Windows device context. It hands out
// the view window's device context (or one given to it) with a use count, keeps the GDI pen,
// brush and palette that follow the modeler's foreground, background, line style and width,
// and draws the modeler's two-dimensional calls (polylines, pixels, text, scan-line images) with
// GDI. Coordinates are the view's drawable coordinates (pixels from the viewport's top-left
// corner, y down), which the device context's mapping (MM_ANISOTROPIC, set while the DC is held
// with the automatic map mode on) places at the viewport's corner.
//
// Choices where the plain rule would go wrong:
// - GetDC raises the use count only when it hands out a DC; ReleaseDC(null) changes nothing. So
//   a caller that got no DC and gives nothing back leaves the count as it was.
// - With the automatic map mode, every GetDC maps the viewport as it is then, also while the DC
//   is held already (a view's OpenGL record holds its window's DC for the view's life, and a
//   viewport moved meanwhile must move the drawing with it); the last release restores the
//   mapping the DC had before the first.
// - The last ReleaseDC restores the map mode of an external DC too (SetDC), and SetDC or
//   ClearDC while a DC is held finishes its release first: a DC the driver drew into is handed
//   back with the mapping it came with.
// - set_pixel answers 0, drawing nothing, without an external DC (a pixel needs a DC).
// - draw_scanline draws at the x it is given (the row of an image that starts elsewhere than the
//   left edge lands where it belongs) and answers 1 when the row was drawn.
// - image_start while an image is open ends that image first; a width below 1 opens none.
//   image_end selects back the palette image_start replaced; UpdateColors, too, leaves the DC
//   with the palette it had.
// - Text given as bytes is read as UTF-8 (the framework's narrow text), its length counted in
//   characters after widening.
// - SetPixelsPerUnit ignores scales that are not positive and finite.
// - A view may outlive its window: a host may destroy the window object first and the view after
//   it, while the view's OpenGL record still holds the window's DC. The window DC is therefore
//   handed back to the window the DC itself names (WindowFromDC), never through the window
//   object, which may be gone; a DC whose window is gone is only let go. Drawing a view whose
//   window object is gone is the host's error.
#pragma once

#include <afx.h>
#include <afxwin.h>

#include "driver_context.h"

class CWnd;

// The device-context driver base of every view.
class AFX_EXT_CLASS CDsDriverCdcBase : public driver_context {
public:
    // A driver without a window: it draws only into a DC given with SetDC.
    CDsDriverCdcBase();
    // A driver of the window (not owned; may be null).
    explicit CDsDriverCdcBase(CWnd* window);
    // Releases a DC still held and frees the image buffers and the palette.
    ~CDsDriverCdcBase() override;
    CDsDriverCdcBase(const CDsDriverCdcBase&) = delete;
    CDsDriverCdcBase& operator=(const CDsDriverCdcBase&) = delete;

    // --- Device context -------------------------------------------------------------------------
    // The DC to draw into, its use count raised: on first use the external DC or the window's,
    // with the automatic map mode mapping the viewport (window extent = viewport extent = its
    // size, viewport origin = its corner). Null (count unchanged) when there is none.
    CDC* GetDC();
    // Gives one use of the DC back: answers the count left; at 0 the map mode is restored and a
    // window DC released. Null changes nothing.
    int ReleaseDC(CDC* dc);
    // Draws into `dc` (not owned) instead of the window's DC.
    void SetDC(CDC* dc);
    // Draws into the window's DC again.
    void ClearDC();
    // The window (not owned), null when the driver has none.
    CWnd* GetWnd() const { return m_window; }
    // The DC handed out now (null while none is held).
    CDC* GetCurrentDC() const { return m_currentDC; }
    // How many uses of the DC are out.
    int GetDCUseCount() const { return m_dcUseCount; }

    // --- Scales and viewport ------------------------------------------------------------------
    // Pixels per model unit on each axis (for images larger than the window); marks the view's
    // transformation out of date.
    void SetPixelsPerUnit(double x, double y);
    // Pixels per unit on each axis (1.0 at first).
    void GetPixelsPerUnit(double& x, double& y) const;
    // The viewport size divided by the scales (truncated).
    void GetImageSize(int& width, int& height) const;
    // The view's camera width and height := viewport size / scale / the view's image scale;
    // marks the view's transformation out of date. Nothing without a view.
    void AdjustWindowSize();
    // Clearing on or off (kept; clear draws nothing).
    void EnableClear(int enable) { m_clearEnabled = enable; }
    // Whether clearing is enabled.
    int IsClearEnabled() const { return m_clearEnabled; }
    // The automatic map mode on (not 0, the default) or off.
    void SetAutoMapMode(int on) { m_autoMapMode = on; }
    // Whether the automatic map mode is on.
    int GetAutoMapMode() const { return m_autoMapMode; }
    // Selects and realises the palette (when there is one) into the DC and updates its colours.
    void UpdateColors();
    // The colour palette made for an 8-bit palette device (null until an image needed one).
    CPalette* GetPalette() const { return m_palette; }
    // The GDI pen the driver draws with now (the normal or the rubber-band pen).
    CPen* GetPenInUse() const { return m_penInUse; }
    // The normal pen.
    CPen& GetPen() { return m_pen; }
    // The rubber-band pen.
    CPen& GetRubberBandPen() { return m_rubberBandPen; }
    // The brush in the background colour.
    CBrush& GetBackgroundBrush() { return m_backgroundBrush; }
    // The raster operation of lines (R2_COPYPEN or R2_XORPEN).
    int GetRasterOperation() const { return m_rasterOperation; }
    // The foreground and background as Windows colours.
    COLORREF GetForegroundColor() const { return static_cast<COLORREF>(m_foreground.windows_color()); }
    COLORREF GetBackgroundColor() const { return static_cast<COLORREF>(m_background.windows_color()); }
    // The pen's style and width.
    int GetPenStyle() const { return m_penStyle; }
    int GetPenWidth() const { return m_penWidth; }

    // --- The modeler driver's operations ------------------------------------------------------
    // Does nothing.
    void name_window(const char* name) override;
    // 11.
    int get_driver_capabilities() override;
    // GetDC's handle, or null.
    HDC get_device_context() override;
    // ReleaseDC of the DC held, when one is.
    void release_device_context(HDC dc) override;
    // When the colour changes: the foreground and a new pen.
    void set_foreground_rgb(rgb_color color) override;
    // The foreground.
    rgb_color get_foreground_rgb() override;
    // When the colour changes: the background and a new brush.
    void set_background_rgb(rgb_color color) override;
    // The background.
    rgb_color get_background_rgb() override;
    // The foreground takes the background colour.
    void set_foreground_to_background() override;
    // Exclusive-or drawing (mode 1) or copying.
    void set_drawing_mode(drawing_mode mode) override;
    // Stores the style; when the pen's parameters change with it (StorePenStyle), a new pen, and
    // the normal pen is in use.
    void set_line_style(line_style style) override;
    // Stores the width; when it differs from the pen width and is not negative: the pen width,
    // style PS_SOLID and a new pen (a pen wider than 1 draws solid).
    void set_line_width(int width) override;
    // 1 (the base keeps no font).
    int set_text_font(const char* name) override;
    // The text size (sizes below 1 count as 0).
    void set_text_size(int size) override;
    // Rubber-band drawing: exclusive-or with the rubber-band pen while on.
    void set_rubberband_mode(int on) override;
    // While picking: the pick test. Otherwise the polyline (filled with the foreground when
    // `fill` is not 0) in the pen, raster operation and foreground; 0.
    int draw_polyline_2d(int n, const float* xy, int fill) override;
    // While picking: whether a segment meets the pick region. Otherwise writes the points to the
    // standard output (a trace for a call that should not come); 0.
    int pick_polyline_2d(int n, const float* xy, int closed) override;
    // One pixel in the foreground into the external DC: 1, or 0 without one.
    int set_pixel(float x, float y) override;
    using driver_context::draw_text_2d;
    // While picking: the modeler's test. Otherwise the text, transparent, in the foreground and
    // the font of SelectTextFont; 0.
    int draw_text_2d(float x, float y, const char* text) override;
    // The device's colour capability by its colour bits (see the algorithm in the source).
    void get_color_map(ColorMode& mode, int& red, int& green, int& blue) override;
    // Takes the DC and prepares one 24-bit row of w pixels (and the colour cube on an 8-bit
    // palette device).
    void image_start(int x, int y, int w, int h) override;
    // One image row of the width given to image_start, pixels as get_color_map describes them;
    // 1 when drawn, 0 for another width or without a DC.
    int draw_scanline(int x, int y, int w, int* pixels) override;
    // Frees the row and gives the DC back.
    void image_end() override;
    // Does nothing.
    void clear() override;
    // With a window: the viewport becomes its client area.
    void recompute_viewport() override;
    // The rubber-band pen's style; answers the bytes of its description read.
    int GetRubberBandLineStyle(line_style& style) override;
    // Makes the rubber-band pen anew with the style.
    void SetRubberBandLineStyle(line_style style) override;

protected:
    // The DC held and set up for text while this lives: transparent background, the foreground
    // as text colour and the background as background colour. At its end the DC gets back what
    // the set-up changed and is released.
    class CTextDC {
    public:
        // Takes the driver's DC and sets it up; without a DC, Get() answers null.
        explicit CTextDC(CDsDriverCdcBase& driver);
        // Puts back what the set-up changed and gives the DC back.
        ~CTextDC();
        CTextDC(const CTextDC&) = delete;
        CTextDC& operator=(const CTextDC&) = delete;
        // The DC, null when the driver has none.
        CDC* Get() const { return m_dc; }

    private:
        CDsDriverCdcBase& m_driver;
        CDC* m_dc = nullptr;
        int m_previousMode = 0;
        COLORREF m_previousText = 0;
        COLORREF m_previousBack = 0;
    };

    // Deletes the pen and makes it anew from style, width and foreground (a width above 1 draws
    // solid).
    virtual void SetPen();
    // Selects the font of the text calls into `dc` (the base: the text font when one is set);
    // answers what it replaced, null when it selected nothing.
    virtual CFont* SelectTextFont(CDC* dc);
    // Selects `previous` (SelectTextFont's answer) back into `dc`.
    virtual void ReleaseTextFont(CDC* dc, CFont* previous);
    // Stores the pen parameters of `style`: pen style solid, dashed (1) or dotted (2), solid for
    // any other; answers whether they changed.
    virtual bool StorePenStyle(line_style style);
    // Makes the background brush anew in the background colour.
    void SetBackgroundBrush();
    // Integer device points of n drawable points (floor).
    static void ToPoints(int n, const float* xy, POINT* points);

    // DC given by SetDC (not owned).
    CDC* m_externalDC = nullptr;
    // The pixel scales are in use.
    int m_pixelsPerUnitFlag = 0;
    // Pixels per unit on x and y.
    double m_xPixelsPerUnit = 1.0;
    double m_yPixelsPerUnit = 1.0;
    // DC handed out by GetDC.
    CDC* m_currentDC = nullptr;
    // Map mode of the DC before GetDC changed it (0: not changed).
    int m_savedMapMode = 0;
    // Clearing enabled.
    int m_clearEnabled = 0;
    // Uses of the DC out.
    int m_dcUseCount = 0;
    // The window (not owned).
    CWnd* m_window = nullptr;
    // The normal pen.
    CPen m_pen;
    // The rubber-band pen (the stock white pen at first).
    CPen m_rubberBandPen;
    // PS_SOLID, PS_DASH or PS_DOT.
    int m_penStyle = PS_SOLID;
    // Pen width.
    int m_penWidth = 0;
    // R2_COPYPEN or R2_XORPEN.
    int m_rasterOperation = R2_COPYPEN;
    // The pen in use.
    CPen* m_penInUse = nullptr;
    // Font the base text call selects when set (not owned).
    CFont* m_textFont = nullptr;
    // One-row image header, owned.
    BITMAPINFO* m_bitmapInfo = nullptr;
    // Width of the image rows.
    int m_scanlineWidth = 0;
    // Colour bits of the device (BITSPIXEL x PLANES).
    int m_deviceColorBits = 0;
    // One row of B, G, R bytes, owned.
    unsigned char* m_scanlineBuffer = nullptr;
    // The colour-cube palette, owned.
    CPalette* m_palette = nullptr;
    // The palette image_start selected out.
    HPALETTE m_previousPalette = nullptr;
    // The device has a palette (RC_PALETTE).
    bool m_paletteDevice = false;
    // Brush in the background colour.
    CBrush m_backgroundBrush;
    // The automatic map mode.
    int m_autoMapMode = 1;
    // The DC taken by image_start.
    CDC* m_imageDC = nullptr;
    // The window's DC while it is held (the driver's own wrapper, so that no temporary wrapper
    // can go away under it).
    CDC m_windowDC;
    // The mapping of the DC before GetDC changed it.
    SIZE m_savedWindowExt{1, 1};
    SIZE m_savedViewportExt{1, 1};
    POINT m_savedViewportOrg{0, 0};

private:
    // Restores the map mode and gives back a window DC; no DC is held afterwards.
    void FinishRelease();
    // Maps the viewport onto `dc`: window extent = viewport extent = its size, viewport origin =
    // its corner.
    void MapViewport(CDC* dc);
    // Selects the colour cube into the image DC, making it on first use.
    void SelectColorCube(CDC* dc);
};
