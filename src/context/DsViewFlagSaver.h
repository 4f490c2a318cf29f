// The view scope savers: each changes one setting of a view for the lifetime of a local object
// and puts the setting back in its destructor. CDsViewFlagSaver sets a view flag,
// CDsContinuousRefreshSaver view flag 3 (every refresh counts as a total change while it is set),
// CDsViewSizeSaver the viewport. A saver made without a view (or, for the size, without a
// rectangle) changes nothing, now or later.
//
// A copy of a saver puts the same setting back when it goes, as the original does: whichever of
// the two goes first restores the setting then.
#pragma once

#include <afx.h>

#include "VyrViewTypes.h"

class CRect;
class view3d;

// Sets a view flag for the saver's lifetime.
class AFX_EXT_CLASS CDsViewFlagSaver {
public:
    // With a view: remembers its flag `flag` and sets it to `on`.
    CDsViewFlagSaver(view3d* view, EDsViewFlag flag, bool on);
    // The same view, flag and remembered value.
    CDsViewFlagSaver(const CDsViewFlagSaver& other) = default;
    // Takes the view, flag and remembered value of `other`.
    CDsViewFlagSaver& operator=(const CDsViewFlagSaver& other) = default;
    // With a view: the flag back to the remembered value.
    virtual ~CDsViewFlagSaver();

private:
    view3d* m_view;
    EDsViewFlag m_flag;
    bool m_previous = false;
};

// Sets view flag 3 (continuous refresh) for the saver's lifetime.
class AFX_EXT_CLASS CDsContinuousRefreshSaver : public CDsViewFlagSaver {
public:
    // With a view: remembers its flag 3 and sets it to `on`.
    CDsContinuousRefreshSaver(view3d* view, bool on);
};

// Sets a view's viewport for the saver's lifetime.
class AFX_EXT_CLASS CDsViewSizeSaver {
public:
    // With a view and a rectangle: remembers the viewport and sets it to (left, top,
    // right - left, bottom - top) of the rectangle.
    CDsViewSizeSaver(view3d* view, const CRect* rect);
    // The same view and remembered viewport.
    CDsViewSizeSaver(const CDsViewSizeSaver& other) = default;
    // Takes the view and remembered viewport of `other`.
    CDsViewSizeSaver& operator=(const CDsViewSizeSaver& other) = default;
    // With a view kept: the remembered viewport back.
    virtual ~CDsViewSizeSaver();

private:
    view3d* m_view = nullptr;
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
};
