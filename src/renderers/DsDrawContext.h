// CDsDrawContext: the fast-refresh record of one frame, which the renderers, the walk and every
// geometry's drawing receive; and the fast-refresh auto-hide, which keeps rotation fluid by leaving
// out items that are small on screen: the size in pixels below which items are hidden (the
// threshold) grows while the measured frame rate is below a low bound and shrinks while it is
// above an upper bound. The first fast-refresh frame starts from a threshold derived from the
// normal frame rate and the scene's size.
//
// The seven auto-hide parameters are built in; with the command-line switch "EditFRAHParams" they
// live in the registry (HKEY_LOCAL_MACHINE, the application key) where they can be edited: the
// values "FRAH_LowBoundFPS" (15), "FRAH_UpperBoundFPS" (35), "FRAH_IncrFactor" (1.25),
// "FRAH_DecrFactor" (0.9), "FRAH_MaxDiagonal" (50), "FRAH_FirstTryMaxDiagonal" (10), text values
// of generation "FRAH_FRDGenNum_not_for_use" = "1"; the root base is 50, fixed.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A parameter value missing or unreadable while the generation reads "1" takes its built-in
//   value (the others keep theirs).
// - The first threshold is 0 (nothing hidden) without a view, for an empty scene box and for a
//   view without a scale (no units per pixel): a diagonal in pixels cannot be measured.
// - The threshold moves once per frame of a view, however many walks the frame makes (every
//   renderer's walks, the temporary part's pass, each dirty rectangle, each section group): the
//   scene opens a frame scope (CDsFrahFrameScope) around its frame, the first walk works the
//   threshold out and the others take it. Moved by every walk, one frame at rate 10 would take a
//   threshold of 8 to 15.6 instead of 10, and the control would overshoot.
#pragma once

#include <afx.h>

class CDsBox;
class view3d;

// The fast-refresh record of a frame.
class AFX_EXT_CLASS CDsDrawContext {
public:
    // The record of `view`'s frame: its fast-refresh flag (view flag 3) and document flag 1, no
    // reflection, the auto-hide switch, the decimation scale, the fast-refresh frame rate during a
    // fast refresh (negative until measured) else the normal one, state kept. A null view gives
    // flags false and rate 0.
    CDsDrawContext(view3d* view, bool autoHide, double precision);

    bool fastRefresh = false;         // a fast refresh is under way (view flag 3)
    bool documentFlag1 = false;       // the view's document flag 1
    bool reflection = false;          // the walk's current top transform mirrors space
    bool autoHide = false;            // the auto-hide switch of fast refresh
    double precision = 0.05;          // the decimation scale of child regions in fast refresh
    float frameRate = 0.0f;           // the measured frame rate (negative: not measured yet)
    bool keepAttributeCache = true;   // false after a draw: the walk resends its state
};

// The seven auto-hide parameters, in the order of the header comment: from the built-in texts, or
// with "EditFRAHParams" from the registry (written there first when missing).
void DsFrahReadParameters(float& lowBound, float& upperBound, float& increase, float& decrease, float& rootBase,
                          int& largest, int& largestFirst);
// The first fast-refresh frame's threshold: 0 when `view`'s normal frame rate is at least `mid`
// (and when the diagonal cannot be measured, see above); else (d ^ (1 / base)) ^ (mid - rate) for
// the scene diagonal d in pixels (`sceneBox`), at most `largestFirst`.
float DsFrahFirstThreshold(view3d* view, const CDsBox& sceneBox, float mid, float base, int largestFirst);
// The threshold of this frame for `view`: 0 without fast refresh or auto-hide; the first one on
// a frame rate not measured yet; else the view's current threshold scaled by the increase factor
// below the low bound and by the decrease factor above the upper bound, at most the largest.
AFX_EXT_API float DsFrahUpdateThreshold(view3d* view, const CDsDrawContext& record, const CDsBox& sceneBox);

// The frame of one view, for the auto-hide threshold: while a scope is open, the walks of its view
// share one threshold (DsFrahFrameThreshold). Scopes nest (a frame drawn inside another drawing);
// one opened while a scope of the same view is open joins that one.
class AFX_EXT_CLASS CDsFrahFrameScope {
public:
    // Opens the frame of `view` (null: a scope that shares nothing).
    explicit CDsFrahFrameScope(view3d* view);
    // Closes it; the scope open before is the open one again.
    ~CDsFrahFrameScope();
    // Not copyable.
    CDsFrahFrameScope(const CDsFrahFrameScope&) = delete;
    // Not copyable.
    CDsFrahFrameScope& operator=(const CDsFrahFrameScope&) = delete;

private:
    friend float DsFrahFrameThreshold(view3d* view, const CDsDrawContext& record, const CDsBox& sceneBox);
    view3d* m_view;
    CDsFrahFrameScope* m_outer;
    bool m_known = false;      // the frame's threshold is worked out
    float m_threshold = 0.0f;  // the frame's threshold
};

// The threshold of this frame for `view`: worked out once (DsFrahUpdateThreshold) in an open frame
// scope of the view and the same for every later call there; worked out anew outside one.
AFX_EXT_API float DsFrahFrameThreshold(view3d* view, const CDsDrawContext& record, const CDsBox& sceneBox);
