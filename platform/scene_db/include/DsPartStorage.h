// CDsPartStorage: the one store of parts and items of the scene database, with the item
// information queries, the type-to-category table and the default material.
#pragma once

#include "DsAttributes.h"
#include "DsItems.h"
#include "DsTransform.h"
#include "VyrObjectId.h"
#include "VyrSceneDbApi.h"

#include <memory>
#include <unordered_map>
#include <vector>
#include <vyrwin_testresets.h>

class CDsGeometry;
class CDsScene;
class CVyrObjectPath;

// A change notification target of an item; the store keeps the pointer and never calls it.
class CDsItemCallback;
// An undo record of an item change; the store keeps no undo history and ignores it.
class CDsRestoreData;

// What the store knows about the item a path names.
struct SItemInfo {
    CDsGeometry* m_pGeometry = nullptr;  // the item's geometry (still owned by the store), or null
    CDsTransform m_transform;            // the transform from the item's space to the root part's
    CDsAttributes m_attributes;          // the attributes (see GetItemInfo and GetPathInfo)
    bool m_bVisible = true;              // false when those attributes are hidden
    char m_objectType = -1;              // the item's object type (-1 when unknown)
};

// The process-wide store of parts. Item ids are unique within their part; every operation that
// names an unknown part or item, or gets bad input, answers false or null and changes nothing.
// Items given to the store (with their geometry) belong to it from a successful add on and are
// deleted exactly once, when removed or when their part goes; a failed add leaves the geometry
// to the caller.
class VYR_SCENE_DB_API CDsPartStorage {
public:
    // The category of each object type (eVyrObjCategory), 0 until set; the store reads it when an
    // item is added. Types 59 (figure geometry) and 61 (point geometry) start at category 2.
    static unsigned char sm_Type2Cat[256];

    // The one store, made on first use and never freed.
    static CDsPartStorage* instance();

    // For tests, which share one process: puts the store and the scene database's other
    // process-wide state back as a fresh process has them. Every part goes (its items and their
    // geometry deleted), the change journal starts empty, the default material and the items
    // serial are back at their start values, sm_Type2Cat holds only its start entries, every
    // special attribute set (CDsScene::GetSpecialAttrs) is empty, and item stamps and the walk
    // window count from the start again. False, with nothing changed, while a scene or a walk
    // functor lives: they point into the store.
    VYR_TEST_RESET static bool ResetForTests();

    // The part `partId`, or null.
    CDsPart* GetPart(int partId) const;
    // Makes an empty part; null when the id is taken or is the no-part value 0x80000000.
    CDsPart* CreatePart(int partId);
    // Deletes a part with all its items; false when there is none.
    bool RemovePart(int partId);

    // Adds an item at the top of the part `id.GetPartId()` with the item id `id.GetItemId()`.
    // `type` is its object type; its category comes from sm_Type2Cat (3 makes a region, 4 a
    // complex, anything else a group). The transform and attributes are copied when given (an
    // identity transform counts as none). `callback` and `restore` are kept no further. `changed`
    // true reports the item to every view as a change (CDsScene::GetChanges); false adds it
    // silently. False for an unknown part, an id of 0 or one the part already holds.
    bool AddItem(const CVyrObjectId& id, unsigned char type, CDsGeometry* geometry, const CDsTransform* transform,
                 const CDsAttributes* attributes, CDsItemCallback* callback, CDsRestoreData* restore, bool changed);
    // Adds a child with id `childId` to the item `parentId`: a child of a group, a master of a
    // complex, or a child region of a region (`type` must then be a region type). False for an
    // unknown parent, an id of 0 or a taken id, a region that holds leaf entries, or a
    // non-region child of a region.
    bool AddChildItem(const CVyrObjectId& parentId, int childId, unsigned char type, CDsGeometry* geometry,
                      const CDsTransform* transform, const CDsAttributes* attributes, bool changed);
    // Adds a slave with id `slaveId` to the complex `complexId`; false when it is no complex or
    // the id is 0 or taken.
    bool AddSlaveItem(const CVyrObjectId& complexId, int slaveId, unsigned char type, CDsGeometry* geometry,
                      const CDsTransform* transform, const CDsAttributes* attributes, bool changed);
    // Adds a leaf entry (id, object type) to the region `regionId`; false when it is no region,
    // it holds child regions, or the id is 0 or taken.
    bool AddRegionLeaf(const CVyrObjectId& regionId, int leafId, unsigned char objectType, bool changed);
    // Adds a part instance with id `id.GetItemId()` of the part `instancedPartId` to the part
    // `id.GetPartId()`; false for an unknown holding part, an id of 0 or a taken id, or an instance
    // that would make a part contain itself. The instanced part need not exist yet.
    bool AddPartInstance(const CVyrObjectId& id, int instancedPartId, const CDsTransform* transform,
                         const CDsAttributes* attributes, bool changed);

    // Removes the item or instance `id` with everything below it (geometries deleted once);
    // false when there is none. Always reported as a change.
    bool RemoveItem(const CVyrObjectId& id, CDsRestoreData* restore);
    // Overrides the item's attributes with the values set in `attributes` (CDsAttributes::
    // operator*=); false for an unknown item.
    bool UpdateAttributes(const CVyrObjectId& id, const CDsAttributes& attributes, CDsRestoreData* restore);
    // Replaces the item's transform (the identity removes it); false for an unknown item.
    bool UpdateTransform(const CVyrObjectId& id, const CDsTransform& transform, CDsRestoreData* restore);

    // Information on the item that `path` names: its geometry and type, the transform from its
    // space to the root part's, and the item's own attributes. Part instances on the path place
    // what lies below them; with a scene, location transform ids of that scene apply too.
    bool GetItemInfo(const CVyrObjectPath& path, const CDsScene* scene, SItemInfo& info) const;
    // As GetItemInfo, but with the attributes that a walk arrives at: inherited along the path,
    // the part palettes by type and, with a scene, its hidden types and forced hide or show.
    bool GetPathInfo(const CVyrObjectPath& path, const CDsScene* scene, SItemInfo& info) const;
    // The object the path names: the part that holds its last id and that id; the no-object value
    // (CVyrObjectId()) for a path without ids or into nowhere.
    CVyrObjectId GetObjectIdByPath(const CVyrObjectPath& path) const;
    // The same as a bool: false for a path without ids or into nowhere.
    bool GetObjectIdByPath(const CVyrObjectPath& path, CVyrObjectId& id) const;

    // Brings the locations of `scene` in step with its items (made where missing, removed where
    // the items went), for the scene's current view, or for every view when `allViews`.
    void SynchronizeLocations(CDsScene* scene, bool allViews);

    // Sets the default material: ambient, diffuse, specular, emission factors (0 to 1) and the
    // shininess; every view of every scene then draws again, unless the material is the one held.
    void SetDefaultMaterial(float ambient, float diffuse, float specular, float shininess, float emission);
    // Sets the default material as the state of a drawing about to begin (a rendering context
    // sends its own before it draws): no view counts it as a change, since every picture was drawn
    // with the material its own drawing sent.
    void SetDefaultMaterialForDrawing(float ambient, float diffuse, float specular, float shininess, float emission);
    // The default material (initially 0.2, 0.8, 0.3, 20, 0).
    void GetDefaultMaterial(float& ambient, float& diffuse, float& specular, float& shininess, float& emission) const;

    // A counter that grows with every change of the items (their structure, attributes or
    // transforms); caches compare it.
    unsigned GetItemsSerial() const { return m_itemsSerial; }

    // Not copyable.
    CDsPartStorage(const CDsPartStorage&) = delete;
    // Not copyable.
    CDsPartStorage& operator=(const CDsPartStorage&) = delete;

private:
    friend class CDsScene;
    friend class CDsPart;
    friend struct SDsSceneWalker;
    CDsPartStorage();
    ~CDsPartStorage();

    struct SJournal;
    bool Resolve(const CVyrObjectPath& path, const CDsScene* scene, bool accumulateAttributes, SItemInfo* info,
                 CVyrObjectId* id) const;
    CDsItemVariant* MakeItem(int id, unsigned char type, CDsGeometry* geometry, const CDsTransform* transform,
                             const CDsAttributes* attributes) const;
    CDsItemVariant* FindVariant(const CVyrObjectId& id, CDsPart** part) const;
    void IndexTree(CDsPart* part, CDsItemVariant* item);
    void UnindexTree(CDsPart* part, CDsItemVariant* item);
    bool ReachesPart(int fromPartId, int targetPartId, int depth) const;
    void NoteItemChange(const CVyrObjectId& id, bool flagged, bool report);
    void NoteAttributesChange();
    void RegisterScene(CDsScene* scene);
    void UnregisterScene(CDsScene* scene);

    std::unordered_map<int, std::unique_ptr<CDsPart>> m_parts;
    std::vector<CDsScene*> m_scenes;
    std::unique_ptr<SJournal> m_journal;
    float m_material[5];
    unsigned m_itemsSerial = 1;
};
