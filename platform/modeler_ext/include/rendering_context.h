// rendering_context: what the modeler draws its views with. It keeps the list of its views, and
// the modeler calls its virtual operations to draw a view, to pick, and to follow entities that
// are added, changed or removed; the display core's context derives from it. viewport_manager is
// an ordered list of views (a context's views, or All_Views) and viewport_iterator walks one.
#pragma once

#include "VyrModelerExtApi.h"

#include "windows.h"

#include <cstdio>
#include <vector>

class CRect;
class ENTITY;
class ENTITY_LIST;
class entity_filter;
class pick_manager;
class view3d;
class viewport_iterator;

// An ordered list of distinct views. Iterators over it stay valid while views are added or
// removed: a removed view is never returned afterwards, and no view is skipped or repeated.
class VYR_MODELER_EXT_API viewport_manager {
public:
    // An empty list.
    viewport_manager() = default;
    // Detaches the iterators still walking the list (they then return null).
    ~viewport_manager();
    // Not copyable (iterators follow one list).
    viewport_manager(const viewport_manager&) = delete;
    // Not copyable.
    viewport_manager& operator=(const viewport_manager&) = delete;

    // Appends `view`; false for null or a view already listed.
    bool add(view3d* view);
    // Removes `view`; false when it was not listed.
    bool remove(const view3d* view);
    // Whether `view` is listed (false for null).
    bool find(const view3d* view) const;
    // Number of views.
    int count() const { return static_cast<int>(m_views.size()); }
    // The first view, or null when empty.
    view3d* first() const { return m_views.empty() ? nullptr : m_views.front(); }
    // The view at `index` in list order, or null out of range.
    view3d* at(int index) const;

private:
    friend class viewport_iterator;
    std::vector<view3d*> m_views;
    std::vector<viewport_iterator*> m_iterators;
};

// Walks a viewport_manager in order: `while (view3d* v = it.next())`.
class VYR_MODELER_EXT_API viewport_iterator {
public:
    // Starts before the first view of `views`.
    explicit viewport_iterator(const viewport_manager& views);
    // Stops following the list.
    ~viewport_iterator();
    // Not copyable.
    viewport_iterator(const viewport_iterator&) = delete;
    // Not copyable.
    viewport_iterator& operator=(const viewport_iterator&) = delete;

    // The next view, or null at the end (and after the list was destroyed).
    view3d* next();
    // Starts again before the first view.
    void reset() { m_next = 0; }

private:
    friend class viewport_manager;
    const viewport_manager* m_views;
    size_t m_next = 0;
};

// Base of the rendering contexts: the list of views and the virtual operations the modeler
// calls, in their fixed order. Operations marked "pure" must be given by a derived context.
class VYR_MODELER_EXT_API rendering_context {
public:
    // No views, not rendering to a bitmap.
    rendering_context();
    // Not copyable: a view belongs to one context.
    rendering_context(const rendering_context&) = delete;
    // Not copyable.
    rendering_context& operator=(const rendering_context&) = delete;

    // Pure: appends the shown entities that pass `filter` (all when it is null) to `list`.
    virtual void get_entities(ENTITY_LIST& list, entity_filter* filter, bool topLevelOnly) = 0;
    // Detaches every view (their context pointer becomes null; records are left to the views).
    virtual ~rendering_context();
    // Adds `view` to the views (leaving its previous context first) and points it at this
    // context; nothing for null or a view already here.
    virtual void add_view(view3d* view);
    // Removes `view` from the views and clears its context pointer; nothing for a view not here.
    virtual void remove_view(view3d* view);
    // Updates what the context knows of the view's extent: nothing here.
    virtual void update_view_extrema(view3d* view);
    // Display data kept for an entity: null here.
    virtual void* find_data(const ENTITY* entity);
    // Whether the entity is shown: 0 here.
    virtual int is_displayed(const ENTITY* entity);
    // Follows a changed entity transform: nothing here.
    virtual void update_transform(ENTITY* entity);
    // Refreshes every view of the context in order, through the view's own refresh (no rectangle).
    virtual void refresh_all();
    // Draws one view (the rectangle may limit the work; null is the whole viewport): nothing here.
    virtual void refresh(view3d* view, const CRect* rect);
    // Renders to an off-screen bitmap (not 0) or to the windows (0).
    virtual void SetRenderToBitmap(int on);
    // Whether the context renders to a bitmap.
    virtual int GetRenderToBitmap();
    // Picks through the pick manager: 0 (nothing found) here.
    virtual int pick(pick_manager* manager);
    // Writes a short description (type and number of views) to `out` (nothing for null).
    virtual void debug(FILE* out);
    // The type name: "rendering_context".
    virtual const char* get_type();
    // Shows an entity: nothing here.
    virtual void add(ENTITY* entity);
    // Forgets an entity: nothing here.
    virtual void remove(ENTITY* entity);
    // Pure: shows the entity again after it changed.
    virtual void update(ENTITY* entity) = 0;
    // Pure: a figure of the entities for the view (null when none).
    virtual void* make_figure(const ENTITY_LIST& entities, view3d* view) = 0;
    // Pure: copies the back buffer of the view to its front buffer; non-zero on success.
    virtual int CopyBackToFront(view3d* view) = 0;

    // The views of the context, in the order they were added.
    const viewport_manager& views() const { return m_views; }
    // Number of views.
    int view_count() const { return m_views.count(); }

private:
    friend class view3d;
    viewport_manager m_views;
    int m_render_to_bitmap = 0;
};
