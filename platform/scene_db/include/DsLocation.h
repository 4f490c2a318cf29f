// CDsLocation: the scene database's record of one node of the item tree for one view: its state,
// caches and boxes. Walks make and find locations through CDsTraverseFunctor::SynchronizeLocation.
#pragma once

#include "DsAttributes.h"
#include "VyrSceneDbApi.h"

#include <cstddef>
#include <vector>

class CDsItemVariant;
class CDsScene;
class CDsTransform;
class CVyrObjectPath;
struct SDsLocationTree;

// The end of a walk, which decides which state changes were temporary (inside the library).
namespace NDsWalkWindow {
void Leave();
}

// One location: a child of its parent location at a fixed child index, bound to an item (or a
// region's leaf entry) by the item's id. Locations belong to their scene and view; they are
// made by walks and removed by ClipChildren or when their view or scene goes.
//
// State changes: a change that the same walk undoes again (set, then set back before the walk's
// functor is destroyed) is temporary and leaves the cached data valid; any other change is
// lasting: it drops the location's cached data and marks the scene's attributes as not valid, so
// that the locations below it are recomputed too.
class VYR_SCENE_DB_API CDsLocation {
public:
    // Not copyable.
    CDsLocation(const CDsLocation&) = delete;
    // Not copyable.
    CDsLocation& operator=(const CDsLocation&) = delete;

    // The location state (an EAttribSetIndex; 0 normal).
    unsigned char GetState() const { return m_state; }
    // Sets the location state (see the class comment for temporary and lasting changes).
    void SetState(unsigned char state);
    // Gives every location below this one state 0 (a lasting change).
    void InvalidateChildrenState();
    // True when the location is forced hidden (CDsScene::ForceHide).
    bool IsHidden() const { return (m_flags & kForceHide) != 0; }
    // True when the location is forced shown (CDsScene::ForceShow).
    bool IsShown() const { return (m_flags & kForceShow) != 0; }
    // True when the location keeps its own attributes over a walk's overrides (CDsScene::SetOrgAttrs).
    bool UseOrgAttrs() const { return (m_flags & kOrgAttrs) != 0; }
    // True when the location is drawn on top (CDsScene::SetOnTop).
    bool IsOnTop() const { return (m_flags & kOnTop) != 0; }

    // True when cached data was stored and nothing has invalidated it since.
    bool IsCachedDataValid() const;
    // The cached attributes and state word (defaults when none were stored).
    void GetCachedData(CDsAttributes& attributes, int& stateWord) const;
    // Stores attributes and a state word for the next walks.
    void SetCachedData(const CDsAttributes& attributes, int stateWord);

    // The integer cache, or null when it has none.
    int* GetCache() { return m_cacheSize > 0 ? m_cache : nullptr; }
    // The integer cache, or null when it has none.
    const int* GetCache() const { return m_cacheSize > 0 ? m_cache : nullptr; }
    // Number of ints in the cache.
    int GetCacheSize() const { return m_cacheSize; }
    // Resizes the cache to `count` ints; with `keep` the ints that remain keep their values, new
    // ints (all of them without `keep`) are 0. A count of 0 or less drops the cache.
    void PrepareCache(int count, bool keep);
    // Drops the cache.
    void InvalidateCache();

    // True when CDsScene::ValidateLocationsBB found a model box for the location and nothing has
    // invalidated it since.
    bool HasBoundBox() const;
    // True when there is no box or it is empty.
    bool IsBoundBoxEmpty() const;
    // The model box in the root part's coordinates; false (outputs unchanged) without one.
    bool GetBoundBox(float& minX, float& minY, float& minZ, float& maxX, float& maxY, float& maxZ) const;
    // Sets the window box in pixels with y upwards: left, top (the larger y), right, bottom.
    void Set2dBoundBox(int left, int top, int right, int bottom);
    // The window box; false (outputs unchanged) when none was set.
    bool Get2dBoundBox(int& left, int& top, int& right, int& bottom) const;
    // True when no window box was set or it is inverted on both axes (left > right, bottom > top).
    bool Is2dBoundBoxEmpty() const;

    // The transform of the location's transform id in `scene`, or null (no id, no such
    // transform, or no scene).
    const CDsTransform* GetTransform(const CDsScene* scene) const;
    // The location's transform id (CDsScene::SetTransformId); 0 for none.
    unsigned short GetTransformId() const { return m_transformId; }

    // Removes the child locations from index `count` on; the first `count` keep everything.
    void ClipChildren(int count);
    // Number of child slots (some may be empty where a walk skipped children).
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // The child at `index`, or null.
    CDsLocation* GetChild(int index) const;
    // The parent location; null for a root.
    CDsLocation* GetParent() const { return m_parent; }
    // The id of the item the location stands for (a root holds its part id).
    int GetId() const { return m_id; }
    // The path of the location: the ids from its root down to it, the number of item ids below
    // the last part instance as depth, and the root's part id.
    CVyrObjectPath GetPath() const;

    // The child at `index` in step with the item (`id`, `variant`): the existing one when it
    // stands for that item, else one found further on (skipping locations of items that went) or a
    // new one. Null for a negative index.
    CDsLocation* SynchronizeChild(int index, int id, const CDsItemVariant* variant);

private:
    friend struct SDsLocationTree;
    friend struct SDsSceneWalker;
    friend class CDsScene;
    friend class CDsTraverseFunctor;
    friend void NDsWalkWindow::Leave();

    enum EFlag : unsigned {
        kRoot = 0x001, kInstance = 0x002, kOnTop = 0x004, kOrgAttrs = 0x008, kForceHide = 0x010,
        kForceShow = 0x020, kTempState = 0x040, kCachedData = 0x080, kHasBox = 0x100, kHas2dBox = 0x200,
        kPending = 0x400, kPathFlags = kOnTop | kOrgAttrs | kForceHide | kForceShow
    };

    CDsLocation() = default;
    ~CDsLocation();
    void Bind(int id, const CDsItemVariant* variant, unsigned stamp);
    void Rebind(const CDsItemVariant* variant, unsigned stamp);
    void InvalidateBoxUp();
    bool IsBoxValid() const;
    void ApplyPathFlags();
    void ResetForReuse();
    void CommitStateChange();
    static void CommitPending(CDsLocation* location);
    void FreeChildren(std::size_t from);
    CDsLocation* SynchronizeSlow(std::size_t index, int id, const CDsItemVariant* variant, unsigned stamp);

    SDsLocationTree* m_tree = nullptr;
    CDsLocation* m_parent = nullptr;
    const void* m_variant = nullptr;  // compared only, never read through
    std::vector<CDsLocation*> m_children;
    int m_id = 0;
    unsigned m_stamp = 0;
    unsigned m_flags = 0;
    unsigned m_tempSerial = 0;
    unsigned m_cachedGeneration = 0;
    unsigned m_boxGeneration = 0;
    unsigned char m_state = 0;
    unsigned char m_prevState = 0;
    unsigned short m_transformId = 0;
    int m_cachedStateWord = 0;
    CDsAttributes m_cachedAttributes;
    float m_box[6] = {1, 0, 0, 0, 0, 0};
    int m_box2d[4] = {1, 0, 0, 1};
    int* m_cache = nullptr;
    int m_cacheSize = 0;
    int m_cacheCapacity = 0;
};
