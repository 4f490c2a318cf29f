// Inner structures shared by the scene database's sources: the location trees of a view, the
// scene's own state, the store's change journal and the walk window.
#pragma once

#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"

#include <bitset>
#include <deque>
#include <map>
#include <memory>
#include <vector>

// The walk window: from the construction of the first live walk functor to the destruction of
// the last one. State changes undone inside one window are temporary (see CDsLocation).
namespace NDsWalkWindow {
// Opens (or joins) the window.
void Enter();
// Leaves the window; the last functor closes it and makes pending state changes lasting.
void Leave();
// True while a functor lives.
bool IsOpen();
// The number of the present window.
unsigned Serial();
// Records a location whose state changed inside the window.
void AddPending(CDsLocation* location);
// Forgets a location that goes away while pending.
void RemovePending(CDsLocation* location);
// Closed, with nothing pending and the window count at its start (CDsPartStorage::ResetForTests).
void Reset();
}  // namespace NDsWalkWindow

// A new item stamp (never 0).
unsigned DsNextItemStamp();
// Stamps count from the start again (CDsPartStorage::ResetForTests, when no item is left).
void DsResetItemStamps();
// Empties every special attribute set (CDsPartStorage::ResetForTests).
void DsResetSpecialAttrs();

// Flags a path sets on its location (the same bits as the location's own flags).
constexpr unsigned kDsPathOnTop = 0x004;     // drawn on top
constexpr unsigned kDsPathOrgAttrs = 0x008;  // keeps its own attributes
constexpr unsigned kDsPathHide = 0x010;      // forced hidden
constexpr unsigned kDsPathShow = 0x020;      // forced shown

// The flags a path sets on its location in every view.
struct SDsPathFlags {
    unsigned m_flags = 0;               // kDsPath... bits
    unsigned short m_transformId = 0;   // the transform id, 0 for none
};

// Orders paths by part id and ids only.
struct SDsPathKeyLess {
    // True when `a` comes before `b`.
    bool operator()(const CVyrObjectPath& a, const CVyrObjectPath& b) const
    {
        if (a.GetPartId() != b.GetPartId()) return a.GetPartId() < b.GetPartId();
        return a.GetIds().Compare(b.GetIds()) < 0;
    }
};

// The locations of one view of one scene, with the view's change marks.
struct SDsLocationTree {
    // Locations made per block.
    static constexpr size_t kChunkSize = 1024;

    // Both roots, for `scene` and `view`.
    SDsLocationTree(CDsScene* scene, view3d* view);
    // Deletes every location.
    ~SDsLocationTree();
    SDsLocationTree(const SDsLocationTree&) = delete;
    SDsLocationTree& operator=(const SDsLocationTree&) = delete;

    // A fresh location bound to nothing.
    CDsLocation* Allocate();
    // Returns a location (and everything below it) to the pool.
    void Release(CDsLocation* location);
    // The root of the part `partId`, or null for another part.
    CDsLocation* Root(int partId) const;
    // The location `path` names, or null.
    CDsLocation* Find(const CVyrObjectPath& path) const;

    CDsScene* m_scene;
    view3d* m_view;
    CDsLocation* m_main = nullptr;
    CDsLocation* m_temp = nullptr;
    unsigned m_attributeGeneration = 1;  // cached data of another generation is not valid
    unsigned m_boxGeneration = 1;        // model boxes of another generation are not valid
    bool m_synced = false;               // SyncNumbers was called
    int m_seenLog = 0;                   // change-log entries seen
    unsigned m_seenJournal = 0;          // journal entries seen
    SDsViewState m_seenState;            // the view's camera and viewport at SyncNumbers
    bool m_seenStateKnown = false;       // m_seenState was read
    std::vector<CDsLocation*> m_chunks;
    std::vector<CDsLocation*> m_free;
    size_t m_chunkUsed = kChunkSize;
};

// The state of a CDsScene (hidden, although its owner is exported).
struct __attribute__((visibility("hidden"))) CDsScene::SImpl {
    int m_peerPartId = 0;
    int m_tempPartId = 0;
    bool m_ownsTempPart = false;
    std::vector<std::unique_ptr<SDsLocationTree>> m_trees;
    SDsLocationTree* m_current = nullptr;
    SChangeLog m_log;
    bool m_attributesValid = true;
    std::bitset<256> m_hiddenTypes;
    int m_nextTempId = 1;
    std::vector<CDsTransform> m_transforms;  // by id; index 0 unused
    std::vector<char> m_transformUsed;
    std::map<CVyrObjectPath, SDsPathFlags, SDsPathKeyLess> m_pathFlags;
    SPAbox m_bounds;
    unsigned m_boundsSerial = 0;  // the store's items serial the bounds were computed for; 0 none

    // The tree of `view`, made when missing.
    SDsLocationTree* Tree(CDsScene* scene, view3d* view);
    // Marks the attributes as not valid.
    void AttributesChanged() { m_attributesValid = false; }
};

// The store's change journal: changes of items and scenes, numbered, newest last (hidden, like
// SImpl).
struct __attribute__((visibility("hidden"))) CDsPartStorage::SJournal {
    // Kinds of entries.
    enum EKind { eItem, ePath, eTotal };
    // One change.
    struct SEntry {
        unsigned m_serial = 0;
        const CDsScene* m_scene = nullptr;  // the scene it concerns; null for every scene
        EKind m_kind = eTotal;
        CVyrObjectId m_id;
        CVyrObjectPath m_path;
        bool m_flag = false;
    };
    // Entries kept; older ones are dropped and views that missed them see a total change.
    static constexpr size_t kMaxEntries = 1024;

    // Appends an entry and returns its number.
    unsigned Add(EKind kind, const CDsScene* scene, const CVyrObjectId& id, const CVyrObjectPath* path, bool flag);
    // Forgets the scene in its entries (it goes away).
    void ForgetScene(const CDsScene* scene);

    std::deque<SEntry> m_entries;
    unsigned m_serial = 0;   // number of the newest entry
    unsigned m_dropped = 0;  // number of the newest dropped entry
};
