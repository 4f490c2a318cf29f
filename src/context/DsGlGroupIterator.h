// CDsGlGroupIterator: the cursor over the pickable display items of a rendering context. It holds a
// snapshot of the items the context's scene offers for picking (CDsGlScene::CollectPickableItems,
// in the current view) and hands them out one by one, passing over hidden items and, while entity
// filtering applies, items whose modeler entity the pick manager's entity filter rejects. An item
// whose own entity fails the filter is still handed out when its entity's slave attribute names an
// owner entity that passes. A second constructor makes an iterator over one given item.
//
// Entity filtering applies while it is enabled (SetEntityFilteringEnabled; on after construction),
// an entity filter was given and the pick manager's filter switch was 0 (a switch that is not 0
// asks for every item).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An item without a modeler entity is never given to the filter or to the slave-attribute lookup
//   (neither takes a null entity): while the filter applies such an item is not handed out.
// - The snapshot is taken in the current view (CDsView3dCdc::StGetCurrent), whose OpenGL context
//   the scene makes current; without a current view only the items that need no screen test (the
//   copies and toolpaths the scene offers without one) are taken.
#pragma once

#include <afx.h>

#include <vector>

class CDsGlContext;
class CDsItemBase;
class entity_filter;
class pick_manager;

// The cursor over the pickable items of a rendering context.
class AFX_EXT_CLASS CDsGlGroupIterator {
public:
    // The pickable items of `context`'s scene (`mode` non-zero: items off the screen too), with
    // the filter switch and entity filter of `pickManager` (may be null: no filter); entity
    // filtering enabled; the position at the start.
    CDsGlGroupIterator(CDsGlContext* context, const pick_manager* pickManager, int mode);
    // An iterator over `item` alone: no context, no filter.
    explicit CDsGlGroupIterator(CDsItemBase* item);
    // Frees the item list (not the items).
    virtual ~CDsGlGroupIterator();
    CDsGlGroupIterator(const CDsGlGroupIterator&) = delete;
    CDsGlGroupIterator& operator=(const CDsGlGroupIterator&) = delete;

    // Puts the position at the first item and answers Next().
    CDsItemBase* Begin();
    // The first acceptable item at or after the position, which stays on it; null (the position at
    // the end) when none is left. A caller moves on with Advance() and calls Next() again.
    CDsItemBase* Next();
    // Moves the position on by one item.
    void Advance();

    // Switches entity filtering on or off (passes that must see every item switch it off).
    void SetEntityFilteringEnabled(bool enabled) { m_filteringEnabled = enabled ? 1 : 0; }
    // Whether entity filtering is enabled.
    bool IsEntityFilteringEnabled() const { return m_filteringEnabled != 0; }
    // The context, null for the single-item iterator.
    CDsGlContext* GetContext() const { return m_context; }
    // The items of the snapshot.
    const std::vector<CDsItemBase*>& GetItems() const { return m_items; }

private:
    bool Accepts(CDsItemBase* item, bool filter) const;

    std::vector<CDsItemBase*> m_items;
    size_t m_position = 0;
    int m_filterSwitch = 0;
    entity_filter* m_filter = nullptr;
    CDsGlContext* m_context = nullptr;
    int m_filteringEnabled = 1;
};
