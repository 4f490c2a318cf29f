// Value types shared by the modeler's view, its drivers and the display core that derives from
// them: pen styles, drawing switches, and the display settings a view carries (render mode, view
// and document flags, draw phase, silhouette level). Every enumeration has an int underlying type,
// so a stored number converts with static_cast and numbers outside the named ones stay valid.
#pragma once

// Line style of the pen; values above 2 are indexes a driver may map to patterns of its own.
enum line_style : int {
    line_style_solid = 0,   // continuous line
    line_style_dashed = 1,  // dashes
    line_style_dotted = 2,  // dots
};

// How the pen combines with what is drawn already.
enum drawing_mode : int {
    drawing_mode_copy = 0,  // the pen colour replaces the pixel
    drawing_mode_xor = 1,   // the pen colour is exclusive-ored in (drawing twice erases)
};

// Marker drawn for a point.
enum point_style : int {
    point_style_dot = 0,     // one pixel
    point_style_plus = 1,    // a "+" of the point size
    point_style_cross = 2,   // an "x" of the point size
    point_style_square = 3,  // a square outline of the point size
    point_style_circle = 4,  // a circle outline of the point size
};

// Colour capability a driver reports for images.
enum ColorMode : int {
    color_mode_rgb = 0,         // direct red, green, blue levels
    color_mode_indexed = 1,     // an index into a colour cube of the reported levels
    color_mode_grey = 2,        // grey levels
    color_mode_monochrome = 3,  // one bit: on or off
};

// The view's drawing switches (what the modeler draws of a body).
enum view_switch : int {
    view_switch_shaded = 0,        // faces are shaded
    view_switch_edges = 1,         // edges are drawn
    view_switch_hidden_lines = 2,  // hidden lines are removed
    view_switch_fourth = 3,        // spare switch; no render mode turns it on
    view_switch_count = 4,         // number of switches
};

// How a view renders a frame. Both shaded modes draw the faces lit with their edges (and
// outlines) over them; no mode draws a body's faces without its edges.
enum ERenderMode : int {
    eRenderWireframe = 0,           // edges only
    eRenderHiddenLines = 1,         // edges with hidden lines removed
    eRenderPartialHiddenLines = 2,  // edges, hidden lines dimmed
    eRenderShade = 3,               // shaded faces with their edges, every face opaque
    eRenderMixed = 4,               // as 3, partly transparent faces blended over the rest
};

// Per-view boolean flags (0 to 16); the numbers are the contract, the names say what sets them.
enum EDsViewFlag : int {
    eDsViewFlagAdjustBoundaries = 0,  // the extrema view fits its boundaries
    eDsViewFlagPickYUp = 1,           // the pick centre is already counted from the bottom
    eDsViewFlagExtrema = 2,           // an extrema measurement is under way
    eDsViewFlagFastRefresh = 3,       // a fast refresh is under way
    eDsViewFlagFigureGroup = 5,       // drawing a figure group with item flag 128
    eDsViewFlagRenderBitmap = 8,      // rendering into a bitmap for an image
    eDsViewFlagReportExtents = 10,    // batched polylines report their extents
    eDsViewFlagSectionPass = 12,      // a section pass of a selection is under way
    eDsViewFlagCount = 17,            // number of flags
};

// Per-document display flags (0 to 31 are kept by a plain view).
enum EDsDocumentFlag : int {
    eDsDocumentFlagImmediateMesh = 1,  // faces draw their meshes immediately
    eDsDocumentFlagCount = 32,         // number of flags a plain view keeps
};

// Pass of the frame being drawn.
enum EDsDrawPhase : int {
    eDsDrawPhaseOpaque = 0,       // opaque pass
    eDsDrawPhaseTransparent = 1,  // transparent pass
    eDsDrawPhaseSecond = 2,       // further pass
    eDsDrawPhaseOnTop = 3,        // on-top pass
    eDsDrawPhasePlot = 4,         // plot (and the default outside a frame)
};

// Which silhouettes a view draws.
enum EDsSilhouetteLevel : int {
    eDsSilhouetteNone = 0,       // none
    eDsSilhouetteCylinders = 1,  // of cylinders
    eDsSilhouetteAll = 2,        // of all curved faces
};

// Kind of document a view shows (selects background preferences).
enum EDsDocumentType : int {
    eDsDocumentTypeDefault = 0,   // the default document kind
    eDsDocumentTypeDrafting = 0,  // a drawing (no gradient background)
    eDsDocumentTypeModeler = 1,   // a part
    eDsDocumentTypeAssembly = 2,  // an assembly
    eDsDocumentTypeNc = 3,        // a machining document
};

// Horizontal alignment of a text line at its anchor.
enum EDsTextLineAlignment : int {
    eDsTextLineLeft = 0,    // anchor at the left end
    eDsTextLineCenter = 1,  // anchor at the middle
    eDsTextLineRight = 2,   // anchor at the right end
};

// A 4 x 4 matrix of floats used with row vectors: a point p maps to [p 1] * m.
typedef float view_matrix[4][4];
