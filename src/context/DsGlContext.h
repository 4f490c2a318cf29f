// CDsGlContext: the display core's rendering context. The host makes one per document display
// and adds the document's views to it; each view then gets an OpenGL context of its own on its
// device context (gl_context), sharing display lists with the first live context. The context
// owns its scene (CDsGlScene) and its item map (CDsItemsMap), and tells the host what happens
// through its notification base (CVyrNotifyFunctionality, codes of CVyrNotification).
//
// One view's OpenGL context is current at a time, and CDsGlContext::sCurrentView names that view
// (null when the core does not know which one is). Switching happens only when the view changes:
// MakeCurrent calls wglMakeCurrent only for a view other than sCurrentView, and records the view
// only when the switch succeeded.
//
// Views and records: add_view gives the view a record (gl_context_data) with a new OpenGL context
// on the view's device context; the first view added also gives the context its shared record.
// The record holds one use of the view's device context (through the view's driver) while the
// view is in the context; the use goes back when the view leaves it.
// A core view (CDsView3dCdc) deletes its record when it is destroyed; the record of a plain
// modeler view is deleted by the context when the view leaves it (or when the context goes), as
// nobody else would. When the context goes, every view that names it is detached, so that no view
// keeps a pointer to a context that is gone.
//
// History: the scene keeps the display-state history (CDsStateContainer); the context's history
// operations forward to it.
//
// Display suspension: while the scene's counter is above 0 the display is suspended; when popping
// brings it to 0 every view's window is invalidated (InvalidateView), so that it repaints.
//
// What the context does not do yet, and with what it comes: drawing a refresh (refresh keeps the
// modeler's, which draws nothing) comes with the rendering configurations and the frame drawing;
// showing entities (update, add, remove, the items of the item map) with the entity operations;
// picking with the pick processor. Until then the scene shows nothing.
//
// Not copyable: a copy would share the scene, the item map and the OpenGL records.
#pragma once

#include <afx.h>

#include "DsStateContainer.h"
#include "VyrNotifyFunctionality.h"
#include "VyrViewTypes.h"
#include "gl_context.h"

class CDsGlScene;
class CDsItemsMap;
class CDsStateStorage;
class CDsViewExtrema;
class CVyrNotifyFunctionality;

// The display core's rendering context.
class AFX_EXT_CLASS CDsGlContext : public gl_context, public CVyrNotifyFunctionality {
public:
    // A context with a new scene for scene-database scene `sceneNumber` and an empty item map,
    // entered in the preference services' list of contexts.
    explicit CDsGlContext(int sceneNumber = 0);
    // Not copyable.
    CDsGlContext(const CDsGlContext&) = delete;
    // Not copyable.
    CDsGlContext& operator=(const CDsGlContext&) = delete;
    // Leaves the preference services' list, closes the item map, deletes the shared and bitmap
    // records, forgets the current OpenGL view, deletes the scene and the item map, and detaches
    // every view that still names this context.
    ~CDsGlContext() override;

    // --- Modeler operations ---------------------------------------------------------------
    // Appends the entities of the item map that pass `filter` (all for null) to `list`.
    void get_entities(ENTITY_LIST& list, entity_filter* filter, bool topLevelOnly) override;
    // Adds `view`: the current OpenGL view is forgotten (the new record's context is current
    // now), the view gets a record with a new OpenGL context on its device context (sharing
    // display lists with the first live context), the first view also a shared record, and the
    // view joins the context's views. A view that belongs to another context leaves it first; its
    // old record is deleted. Nothing more for null or a view already here.
    void add_view(view3d* view) override;
    // Removes `view`: the display manager drops the view's textures, the use of the view's device
    // context its record took at add_view goes back to the view, the view leaves the views, and
    // the current OpenGL view's context is made current again (its textures were deleted in the
    // view's own context). Nothing for a view not here.
    void remove_view(view3d* view) override;
    // Shows the entity again after a change: nothing, as the context shows no entities yet.
    void update(ENTITY* entity) override;
    // No figure: null.
    void* make_figure(const ENTITY_LIST& entities, view3d* view) override;
    // Copies the back buffer into the front buffer of what is current
    // (CDsDriverGl::CopyColorBuffer(false)); non-zero on success.
    int CopyBackToFront(view3d* view) override;

    // --- Current OpenGL view --------------------------------------------------------------
    // The view whose OpenGL context is current (null: none known).
    static view3d* sCurrentView;
    // Makes `view`'s OpenGL context current and records the view, when it is not sCurrentView:
    // pending drawing is flushed, then wglMakeCurrent with the record this context has for the
    // view. Null forgets sCurrentView. A view without a record (or whose record has no context)
    // changes nothing. True when `view` is sCurrentView afterwards.
    bool MakeCurrent(view3d* view);
    // Makes the current core view's OpenGL context current (as CDsView3dCdc::StGetCurrent does),
    // then presents its picture (gl_context::swap_buffers with the view's record, in the view's
    // own context). False when there is no current view with a record, or the swap fails.
    bool SwapCurrentViewBuffers();

    // --- Views as windows -----------------------------------------------------------------
    // Invalidates the view's window (erase on), so that it repaints; nothing for null or a view
    // without a window.
    void InvalidateView(view3d* view);
    // Unless the display is suspended: Refresh(mode) on every core view of the context, in
    // order; the current view is the same afterwards (made current again when a refresh changed it).
    void RefreshViews(ERenderMode mode);

    // --- Display suspension ---------------------------------------------------------------
    // True while the scene's counter is above 0.
    bool GetDisplaySuspensionMode() const;
    // Counter + 1, at least 1 afterwards.
    void PushDisplaySuspension();
    // Counter - 1, at least 0 afterwards; reaching 0 (also from 0) invalidates every view window.
    void PopDisplaySuspension();
    // Sets the counter to 1 and pops it (every view window is invalidated); answers the counter
    // it had before.
    int ResetDisplaySuspension();
    // Refreshes counted by the scene.
    long GetRefreshCounter() const;
    // The refresh counter back to 0.
    void ResetRefreshCounter();

    // --- Document flags and settings ------------------------------------------------------
    // Sets document flag `flag` (the scene's display-mode flag; outside 0..26 ignored). Flag 1
    // then refreshes the shaded and the mixed views, flag 4 clears flag 15.
    void Set(EDsDocumentFlag flag, bool on);
    // Document flag `flag`; false outside 0..26.
    bool Get(EDsDocumentFlag flag) const;
    // Stores the silhouette level; with the display suspended meanwhile the picture properties
    // are marked changed (every view window invalidated when the suspension ends), then the
    // wireframe views are refreshed.
    void SetSilhouetteLevel(EDsSilhouetteLevel level);
    // The stored silhouette level (1, cylinders, at the start).
    EDsSilhouetteLevel GetSilhouetteLevel() const;
    // Stores the largest diagonal drawn during a fast refresh (negative: 0, no limit).
    void SetMaxDiagonalSizeForFastRefresh(float size);
    // The largest diagonal drawn during a fast refresh.
    float GetMaxDiagonalSizeForFastRefresh() const;
    // Marks the picture properties as changed (the scene's validity flag cleared).
    void OnPicturePropsChanged();
    // Marks the render mode as changed (the scene's validity flag cleared).
    void OnRenderModeChanged();

    // --- Measuring ------------------------------------------------------------------------
    // With `extrema` given: the extrema mode on, the scene measures what it shows into the
    // extrema view, the extrema mode off (also when the measurement raises an error).
    void ComputeViewExtrema(CDsViewExtrema* extrema, bool full);

    // --- Display-state history (the scene's CDsStateContainer) ----------------------------
    // Takes `state` (owned by the history from here on) as the newest state, dropping the states
    // ahead of the one shown and, in a full history, the oldest. False, with nothing taken, for
    // null or a state the history holds already.
    bool AddDsState(CDsStateStorage* state);
    // Steps back (eDsStateBackward) or forward and answers the state stepped to (still owned by
    // the history); null, with nothing moved, when there is none that way.
    CDsStateStorage* GetDsState(EDsStateDirection direction);
    // The state shown now, null for an empty history.
    CDsStateStorage* GetCurrentStat() const;
    // Whether a step back would answer a state.
    bool IsBackward() const;
    // Whether a step forward would answer a state.
    bool IsForward() const;
    // Deletes every state of the history.
    void ClearDsStateStorage();

    // --- Notifications --------------------------------------------------------------------
    // The notification base of `context`; null for a null context.
    static CVyrNotifyFunctionality* GetGlContextNotificationPointer(CDsGlContext* context);
    // Tells the host that a view was deactivated (code 17).
    void NotifyViewDeActivated();

    // --- Parts ----------------------------------------------------------------------------
    // The scene (never null).
    CDsGlScene* GetScene() const { return m_scene; }
    // The item map (never null).
    CDsItemsMap* GetItemsMap() const { return m_itemsMap; }
    // True while the context is being destroyed (its item map ignores removals then).
    bool GetGlContextDeleteMode() const;

private:
    // Deletes the record of a plain modeler view (a core view deletes its own).
    static void DeletePlainViewRecord(view3d* view);

    CDsGlScene* m_scene = nullptr;
    CDsItemsMap* m_itemsMap = nullptr;
};
