// The hit lists of the OpenGL selection picks (CDsPickProccessor::RunGlSelection) and the one-entry
// cache of the last selection.
//
// CDsCglEntList is the list a selection files its hits into; CDsCglSortEntList keeps them in
// descending order of depth (a new hit goes before the first one whose depth is smaller, so that of
// equal depths the older comes first), CDsCglByBoxEntList files each entity under its owner (its
// body) in the order the owners first appeared. Both replay their hits into a modeler pick manager
// (push the levels, offer the record, pop). SDsGlPickCache holds the last selection's event and
// hit list; inside a pick session (CDsGlContext::StBeginPickSession) a selection at the same
// device position is reused instead of made again (Matches).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The list's destructor is virtual: the cache deletes the derived lists through the base.
// - The sorted replay pops every level it pushed for a node (the owner level and the item level),
//   so that no node leaves levels behind for the next one.
// - A copy item (item type 30) with a context but without an entity is not pushed; one of a pick
//   manager without a view context is pushed itself when the domain admits its type. The item of a
//   copied entity is looked up for its real entity (the context keeps no copy-lookup switch).
// - Lists are not copyable (they own their nodes).
// - OpenGL's glRenderMode goes through gDsGlSelectRenderMode, so that tests can count the passes.
// - A display item's type as the replay tests it against the domain is its item type (GetItemType).
#pragma once

#include <afx.h>

#include "UiPickEvent.h"

#include <GL/gl.h>

#include <vector>

class CDsItemBase;
class ENTITY;
class ENTITY_LIST;
class pick_manager;

// One hit of a sorted list.
struct SDsCglEntNode {
    ENTITY* entity = nullptr;          // the hit entity (may be null)
    ENTITY* owner = nullptr;           // its owner, when the hit gave one
    CDsItemBase* item = nullptr;       // the display item that was hit
    float depth = 0.0f;                // the hit's depth (2^-31 units of the window depth)
    SDsCglEntNode* next = nullptr;     // the next node
    SDsCglEntNode* previous = nullptr; // the previous node
};

// The hit list of a selection.
class AFX_EXT_CLASS CDsCglEntList {
public:
    // An empty list.
    CDsCglEntList() = default;
    // Frees the list and what it owns.
    virtual ~CDsCglEntList();
    CDsCglEntList(const CDsCglEntList&) = delete;
    CDsCglEntList& operator=(const CDsCglEntList&) = delete;

    // Files one hit.
    virtual void Add(ENTITY* entity, ENTITY* owner, CDsItemBase* item, float depth) = 0;
    // Offers the hits to `manager`; answers how many it accepted.
    virtual int ReplayToPickManager(pick_manager* manager) = 0;
    // Resolves copied entities (the by-body list); nothing for the sorted list.
    virtual void GetCopies() = 0;
    // The last node, null when none (or for the by-body list).
    virtual const SDsCglEntNode* GetLast() const = 0;
    // The first node, null when none (or for the by-body list).
    virtual const SDsCglEntNode* GetFirst() const = 0;
};

// Hits in descending order of depth.
class AFX_EXT_CLASS CDsCglSortEntList : public CDsCglEntList {
public:
    // An empty list.
    CDsCglSortEntList() = default;
    // Frees every node.
    ~CDsCglSortEntList() override;

    // Inserts the hit before the first node of a smaller depth (after those of an equal one).
    void Add(ENTITY* entity, ENTITY* owner, CDsItemBase* item, float depth) override;
    // Offers node by node to a CDsPickManager (0 for any other manager).
    int ReplayToPickManager(pick_manager* manager) override;
    // Does nothing.
    void GetCopies() override {}
    // The last node.
    const SDsCglEntNode* GetLast() const override { return m_last; }
    // The first node (the largest depth).
    const SDsCglEntNode* GetFirst() const override { return m_first; }
    // Number of nodes.
    int GetCount() const;

private:
    SDsCglEntNode* m_first = nullptr;
    SDsCglEntNode* m_last = nullptr;
};

// Hits filed by their owner.
class AFX_EXT_CLASS CDsCglByBoxEntList : public CDsCglEntList {
public:
    // One owner's entities.
    struct SBucket {
        ENTITY* owner = nullptr;          // the owner (null when none was found)
        std::vector<ENTITY*> entities;    // its hit entities, in order
    };

    // An empty list.
    CDsCglByBoxEntList() = default;
    // Frees the buckets.
    ~CDsCglByBoxEntList() override;

    // Files `entity` under `owner`, or under the owning body of an entity that is no body.
    void Add(ENTITY* entity, ENTITY* owner, CDsItemBase* item, float depth) override;
    // Offers bucket by bucket: the owner pushed (at level 0), each entity that is no body pushed,
    // offered and popped.
    int ReplayToPickManager(pick_manager* manager) override;
    // Replaces each owner's entities by their copies in the owner, when it has any.
    void GetCopies() override;
    // Null.
    const SDsCglEntNode* GetLast() const override { return nullptr; }
    // Null.
    const SDsCglEntNode* GetFirst() const override { return nullptr; }
    // The buckets.
    const std::vector<SBucket>& GetBuckets() const { return m_buckets; }

private:
    std::vector<SBucket> m_buckets;
};

// The one-entry cache of the last OpenGL selection.
struct AFX_EXT_CLASS SDsGlPickCache {
    int valid = 0;                   // the hit list belongs to the cached event
    int eventSet = 0;                // a pick session filled the event
    CUiPickEvent event;              // the event of the cached selection
    CDsCglEntList* hits = nullptr;   // the hit list (owned)

    // An empty cache.
    SDsGlPickCache() = default;
    // Frees the hit list.
    ~SDsGlPickCache();
    SDsGlPickCache(const SDsGlPickCache&) = delete;
    SDsGlPickCache& operator=(const SDsGlPickCache&) = delete;

    // Whether the cached hit list may be reused for `event`: valid, and at the same device x and y.
    bool Matches(const pick_event& event) const;
    // Frees the hit list and clears the valid and event-set flags.
    void Clear();

    // The cache of the library (made at load, freed at unload).
    static SDsGlPickCache sCache;
};

// glRenderMode as the selection passes call it (the real one unless a test installs another).
extern AFX_EXT_DATA GLint (*gDsGlSelectRenderMode)(GLenum mode);
