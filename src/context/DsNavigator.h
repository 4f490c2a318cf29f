// CDsNavigator: the one object through which items and pick code reach the current view, a view's
// rendering context and its device context.
//
// Through the device-context driver (CDsDriverCdcBase) come GetDc and ReleaseDc; GetItemForStl
// finds the group of an STL polygon set, or a copy of one (CDsItemsCopy::IsStlCopy).
#pragma once

#include <afx.h>

class CDC;
class CDsGlContext;
class CDsItemsGroup;
class CDsView3dCdc;
class pick_event;

// The navigator singleton.
class AFX_EXT_CLASS CDsNavigator {
public:
    // Not copyable: there is one navigator.
    CDsNavigator(const CDsNavigator&) = delete;
    // Not copyable.
    CDsNavigator& operator=(const CDsNavigator&) = delete;
    // Nothing to free.
    virtual ~CDsNavigator();

    // The navigator, made on the first call and never freed.
    static CDsNavigator* StGetInstance();

    // The current view, its OpenGL context made current when another view's was
    // (CDsView3dCdc::StGetCurrent); null when there is none.
    CDsView3dCdc* GetCurrentView() const;
    // The context of `view`, or of the current view when `view` is null; null without one.
    CDsGlContext* GetGlContext(CDsView3dCdc* view) const;
    // The context of the event's view when that is a core view; null otherwise.
    CDsGlContext* GetGlContext(const pick_event& event) const;
    // The device context of `view`'s device-context driver (CDsDriverCdcBase::GetDC: one use
    // more); null for a null view, a view whose driver is not a device-context driver, or a
    // driver without a device context.
    CDC* GetDc(CDsView3dCdc* view) const;
    // Gives one use of a device context from GetDc back to `view`'s driver
    // (CDsDriverCdcBase::ReleaseDC); nothing for a null view or another kind of driver.
    void ReleaseDc(CDsView3dCdc* view, CDC* dc) const;

    // The navigator of the process, null until the first StGetInstance.
    static CDsNavigator* sInstance;

protected:
    // The scene's entity pick leaves STL groups to their own picks.
    friend class CDsGlScene;
    // Made only by StGetInstance.
    CDsNavigator() = default;
    // `group` when its first child is an STL polygon set, or when it is a copy of such a group;
    // null otherwise.
    CDsItemsGroup* GetItemForStl(CDsItemsGroup* group) const;
};
