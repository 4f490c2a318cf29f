// CDsScene: one scene of the scene database: its model (peer) part and temporary part, the
// locations of each view, change tracking per view, location boxes, the attribute cache, the
// special attribute sets, transform ids and the per-path flags.
#pragma once

#include "DsAttributes.h"
#include "DsTransform.h"
#include "SpaValues.h"
#include "VyrObjectId.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "VyrSceneDbApi.h"
#include "windows.h"

#include <memory>
#include <utility>
#include <vector>

class view3d;
class CDsLocation;

// What a view shows its scene through: its camera (eye, target, up, picture size, near and far
// distances, projection kind) and its viewport. Two equal states draw the same picture of the same
// scene; a view whose state differs from the one it last drew with has to draw again.
struct VYR_SCENE_DB_API SDsViewState {
    // Eye, target and up (x, y, z each), picture width and height, near and far distances, and 1
    // for a perspective projection (0 for a parallel one).
    double m_camera[14] = {};
    // Viewport: x, y, width, height in pixels.
    int m_viewport[4] = {};

    // Every value equal.
    bool operator==(const SDsViewState& other) const;
    bool operator!=(const SDsViewState& other) const { return !(*this == other); }
};

// Reads the state of a view; false when it has none to give (a null view). The views live in a
// library above the database, which installs its reader (CDsScene::SetViewStateReader).
typedef bool (*TDsViewStateReader)(const view3d* view, SDsViewState& state);

// A scene. Locations exist per view: each view (a view3d pointer, used only as a key; null is a
// view of its own) has its own location trees, made on first use. Operations without a view
// argument act on the current view, which SetCurrentView chooses and GetChanges and SyncNumbers
// also make current. Flags set by path (on top, own attributes, forced hide and show, transform
// ids) and hidden types belong to the scene and apply to the locations of every view.
//
// Change tracking: each view sees the changes made since it last called SyncNumbers. They come
// from the change log that the display core writes (GetChangeLog: its paths, and its flag byte,
// whose clearing means "everything changed"), and from the store and the scene themselves (items
// added, removed or updated, as changed ids; flags set by path, as changed paths; transforms,
// hidden types, special sets, states reset, as a total change). A view whose camera or viewport
// differs from what it had at its last SyncNumbers has its camera changed (see GetChanges).
class VYR_SCENE_DB_API CDsScene {
public:
    // Changed paths: a path and whether it cannot be redrawn by its rectangle alone.
    typedef std::vector<std::pair<CVyrObjectPath, bool>> TChangedPaths;
    // Changed objects: an id and whether it cannot be redrawn by rectangle alone.
    typedef std::vector<std::pair<CVyrObjectId, bool>> TChangedIds;

    // The change log the display core writes: 50 slots of (path, flag byte) lists filled in
    // order, the number of entries dropped before slot 0 (the base) and the number of used slots,
    // and beside them the flag byte, which a modification too large to list clears (it starts at 1).
    struct SChangeLog {
        // Number of slots.
        static constexpr int kSlotCount = 50;
        // The slots; the first m_used hold entries.
        std::vector<std::pair<CVyrObjectPath, unsigned char>> m_slots[kSlotCount];
        // Number of entries recorded before slot 0.
        int m_base = 0;
        // Number of used slots.
        int m_used = 0;
        // Cleared by a modification too large to record; the scene sets it again once it has
        // turned it into a total change for every view.
        unsigned char m_flag = 1;

        // Records one entry: when all slots are used they are emptied first and the base grows by
        // 50; a non-empty list then fills the next slot, each path with flag byte 0.
        void Record(const std::vector<CVyrObjectPath>& paths);
    };

    // The scene of number `number`: its peer part has the id `number` and its temporary part the
    // id ~number; each is made when the store does not hold it yet. The scene owns the temporary
    // part when it made it, and deletes it when it goes (see the destructor); the peer part stays
    // in the store.
    explicit CDsScene(int number);
    // Deletes the locations of every view and, when the scene owns it, the temporary part; while
    // another scene of the same number lives, that scene owns the part from then on instead (its
    // temporary items stay).
    ~CDsScene();
    // Not copyable.
    CDsScene(const CDsScene&) = delete;
    // Not copyable.
    CDsScene& operator=(const CDsScene&) = delete;

    // The id of the model's part.
    int GetPeerPartId() const;
    // The id of the part of temporary items.
    int GetTempPartId() const;
    // The root location of the peer part for the current view.
    CDsLocation* GetMainLocation();
    // The root location of the temporary part for the current view.
    CDsLocation* GetTempLocation();
    // The location that `path` names for the current view, or null (a path of another part, or
    // one the walks have not reached).
    CDsLocation* FindLocation(const CVyrObjectPath& path) const;

    // Makes `view` the current view (its locations are made on first use).
    void SetCurrentView(view3d* view);
    // The current view.
    view3d* GetCurrentView() const;
    // Forgets a view: its locations and change marks go (the current view becomes null when it was
    // that view). A view that comes again starts afresh.
    void RemoveView(view3d* view);

    // What changed for `view` (which becomes current) since its last SyncNumbers: eTotallyChanged
    // for a view that never synced, after the log's flag byte was cleared, after log entries it has
    // not seen were dropped, or for a total change; ePartiallyChanged with the changed paths and
    // ids (appended to the lists, each path once); else eNoChange. When the view's state (camera,
    // viewport) differs from the one it synced with, no change becomes eCameraChanged and a
    // partial change eTotallyChanged (the window rectangles of the changed locations were those of
    // the old camera). `logNumber` and `dbNumber` receive the marks to hand to SyncNumbers once the
    // view has drawn.
    EChangeStatus GetChanges(TChangedPaths& paths, TChangedIds& ids, int& logNumber, int& dbNumber, view3d* view);
    // Marks the changes up to the two numbers (from GetChanges) as seen by `view` (which becomes
    // current), and the view's present state as the one it drew with; numbers beyond the present
    // ones are taken as the present ones.
    void SyncNumbers(int logNumber, int dbNumber, view3d* view);
    // Installs the reader of the views' states (null: no view's camera is ever seen to change).
    static void SetViewStateReader(TDsViewStateReader reader);
    // The change log.
    SChangeLog& GetChangeLog();

    // The window rectangle of the location `path` names for the current view: left, top, right,
    // bottom with y upwards. False when the location, or its window box, does not exist, or for a
    // null rectangle.
    bool GetLocationRect(const CVyrObjectPath& path, RECT* rect) const;
    // Computes the model boxes of the current view's locations where they are not valid.
    void ValidateLocationsBB();
    // Whether every location of the current view holds a box of the present generation (a
    // location's box goes invalid with its parents', so the roots tell).
    bool AreLocationBoxesValid() const;
    // The model box of what the scene shows (peer and temporary parts, items not hidden by their
    // own attributes or their type), each item placed as its location is drawn: by the transform
    // ids along its path, else by its own and its part instances' transforms. Recomputed after
    // changes.
    SPAbox GetBoundsBox();
    // Marks the location boxes of every view and the scene's box as needing computation.
    void InvalidateBoundBox();

    // False once attributes, states or flags changed since the last InvalidateAttributesCache.
    bool IsAttributesValid() const;
    // Drops the cached data of every location of every view; attributes count as valid again.
    void InvalidateAttributesCache();

    // The special attribute set `index` (0 to 15); an empty value for other indexes.
    static const CDsAttributes& GetSpecialAttrs(int index);
    // Replaces the special attribute set `index` (0 to 15; others are ignored); every view of every
    // scene then draws again.
    static void SetSpecialAttrs(int index, const CDsAttributes& attributes);

    // The next free item id of the temporary part (1 up, skipping ids in use).
    int NextTempItemId();

    // A new transform id (1 to 65535, holding the identity); 0 when none is left.
    unsigned short NewTransformId();
    // Frees a transform id; locations with that id are then placed by their items again.
    void ReleaseTransformId(unsigned short id);
    // Sets the transform of an id; false for an id not in use. Every view sees a partial change
    // naming the paths that carry the id (not flagged: their locations' model boxes are no longer
    // valid, so a view draws where each was and where it now is); none when no path carries it.
    bool SetTransform(unsigned short id, const CDsTransform& transform);
    // Sets the transform of an id from a modeler transform; false for an id not in use.
    bool SetTransform(unsigned short id, const SPAtransf& transform);
    // The transform of an id; false (output unchanged) for an id not in use.
    bool GetTransform(unsigned short id, CDsTransform& transform) const;
    // The transform of an id as a modeler transform; false for an id not in use.
    bool GetTransform(unsigned short id, SPAtransf& transform) const;
    // The transform of an id, or null.
    const CDsTransform* FindTransform(unsigned short id) const;
    // Gives the location of `path` the transform id `id` (0 takes it away); its transform then
    // replaces the item's. False for a path into nowhere.
    bool SetTransformId(const CVyrObjectPath& path, unsigned short id);
    // The transform id given to `path`; 0 for none.
    unsigned short GetTransformId(const CVyrObjectPath& path) const;

    // Per-path flags, each false for a path into nowhere (no ids, a part other than the peer and
    // temporary parts, or ids the items do not hold).
    // Draws the location on top.
    bool SetOnTop(const CVyrObjectPath& path);
    // Draws the location normally again.
    bool ClearOnTop(const CVyrObjectPath& path);
    // Keeps the location's own attributes over a walk's overrides.
    bool SetOrgAttrs(const CVyrObjectPath& path);
    // Lets a walk's overrides apply again.
    bool ClearOrgAttrs(const CVyrObjectPath& path);
    // Hides the location and everything below it.
    bool ForceHide(const CVyrObjectPath& path);
    // Shows the location even when its own, inherited, palette or type attributes hide it (special
    // hiding excepted).
    bool ForceShow(const CVyrObjectPath& path);
    // Takes a forced hide or show away.
    bool ResetHideShow(const CVyrObjectPath& path);

    // Hides (`show` false) or shows the items of an object type (0 to 255; others are ignored).
    void SwitchShowByType(int type, bool show);
    // True when items of the object type are hidden; false for types outside 0 to 255.
    bool IsHidden(int type) const;
    // Every location of every view goes back to state 0.
    void InvalidateStates();

    // The scene's inner state, defined inside the library.
    struct SImpl;

private:
    // GetChanges as the store and the change log tell it, without the view's state.
    EChangeStatus GetStoreChanges(TChangedPaths& paths, TChangedIds& ids, int& logNumber, int& dbNumber,
                                  view3d* view);

    friend class CDsPartStorage;
    friend class CDsLocation;
    std::unique_ptr<SImpl> m_impl;
};
