// CDsItemsMap: the index, kept by each OpenGL context, from a modeler entity to the display item
// that shows it in that context. Top-level entities (bodies and other entities without an owner)
// and sub-entities (faces, edges...) are kept apart, so that a walk over the top-level entities
// does not meet their parts.
#pragma once

#include <afx.h>

#include <map>

class CDsGlContext;
class CDsItemBase;
class ENTITY;
class ENTITY_LIST;
class entity_filter;

// Entity to item, per OpenGL context. Neither the entities nor the items are owned.
class AFX_EXT_CLASS CDsItemsMap {
public:
    // An empty map of the context `owner` (not owned).
    explicit CDsItemsMap(CDsGlContext* owner) : m_owner(owner) {}
    // Not copyable: items register with the one map of their context.
    CDsItemsMap(const CDsItemsMap&) = delete;
    CDsItemsMap& operator=(const CDsItemsMap&) = delete;
    // Forgets every entry; the items are not touched.
    virtual ~CDsItemsMap();

    // Maps `entity` to `item` (replacing an item it had), in the top-level map when the modeler
    // calls the entity top-level, else in the sub-entity map. A null entity is ignored.
    void Add(ENTITY* entity, CDsItemBase* item);
    // Forgets `entity` in both maps; does nothing while the map is closing.
    void Remove(ENTITY* entity);
    // The item of `entity`, looked for among the top-level entities first; null when none.
    CDsItemBase* Find(ENTITY* entity) const;
    // Adds to `out` the top-level entities in address order, then, unless `topLevelOnly`, the
    // sub-entities; only those the filter accepts (all when the filter is null).
    void GetEntities(ENTITY_LIST& out, entity_filter* filter, bool topLevelOnly) const;
    // Writes the entries to the debug trace; changes nothing.
    void Trace() const;

    // The context that owns the map.
    CDsGlContext* GetOwner() const { return m_owner; }
    // Set by the owning context while it is destroyed, so that its dying items leave the map alone.
    void SetClosing(bool closing) { m_closing = closing; }
    // Whether the owning context is being destroyed.
    bool IsClosing() const { return m_closing; }

private:
    typedef std::map<ENTITY*, CDsItemBase*> CEntityMap;

    CDsGlContext* m_owner;
    CEntityMap m_topLevel;
    CEntityMap m_subEntities;
    // The last entity Find answered for and its answer, forgotten by every Add and Remove: a host
    // asks for the same body several times while drawing it.
    mutable ENTITY* m_lastFound = nullptr;
    mutable CDsItemBase* m_lastItem = nullptr;
    bool m_closing = false;
};

// Whether `entity` is shown in the current view's rendering context: the current view's OpenGL
// context is made current first (when another one is); `context` becomes that rendering context
// when the entity has an item there, else null (also without a current view, a core context, an
// entity or an item).
AFX_EXT_API bool DsIsEntityDisplayedInCurrentView(ENTITY* entity, CDsGlContext*& context);
