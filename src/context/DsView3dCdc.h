// CDsView3dCdc: the display core's view, a modeler view that knows the core's current view.
//
// Only what the foundation calls so far: telling a core view from a plain modeler view
// (dynamic_cast) and the current-view pointer. Making the current view's OpenGL context
// current, plot mode and the per-view settings come with the OpenGL context.
#pragma once

#include <afx.h>

#include "view3d.h"

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
};
