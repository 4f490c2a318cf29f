// CDsView3dCdc: the display core's view, a modeler view that knows the core's current view.
//
// Only what the foundation calls so far: telling a core view from a plain modeler view
// (dynamic_cast), the current-view pointer and the plot mode. Making the current view's OpenGL
// context current and the per-view settings come with the OpenGL context.
#pragma once

#include <afx.h>

#include "view3d.h"

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

// The display core's view.
class AFX_EXT_CLASS CDsView3dCdc : public view3d {
public:
    // A view with the modeler view's defaults.
    CDsView3dCdc() = default;
    // Clears the current-view pointer when it points to this view, and the rectangles' cached
    // viewport.
    ~CDsView3dCdc() override;

    // The current view, null when there is none.
    static CDsView3dCdc* sCurrentView;
    // The current view (null when none).
    static CDsView3dCdc* StGetCurrent();

    // --- Plot mode (process-wide) ---------------------------------------------------------
    // The plot mode; ePlotModeNone (0) while no plot or print is under way.
    static EPlotMode sPlotMode;
    // Sets the plot mode.
    static void StSetPlotMode(EPlotMode mode);
    // Back to ePlotModeNone.
    static void StResetPlotMode();
    // The plot mode.
    static EPlotMode StGetPlotMode();
    // True while a plot or print is under way (plot mode not 0).
    static bool StCheckIfPlotIsActive();
};
