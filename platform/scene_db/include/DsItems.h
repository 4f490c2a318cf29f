// The item tree of the scene database: item variants with their group, region, complex and part
// instance views, and the parts that hold them. The part storage (DsPartStorage.h) builds and
// owns every object here; callers read the tree and change it through the storage.
#pragma once

#include "DsAttributes.h"
#include "DsTransform.h"
#include "VyrObjectTypes.h"
#include "VyrSceneDbApi.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class CDsGeometry;
class CDsItemVariant;
class CDsItemGroup;
class CDsRegion;
class CDsComplex;
class CDsPartInstance;
class CDsPart;
class CDsPartStorage;

// An ordered list of (item id, item) children.
typedef std::vector<std::pair<int, CDsItemVariant*>> TDsItemList;

// One item: its object type and category, its geometry (owned, may be null), its own transform and
// attributes (each may be absent). Every item also has a group view (an empty one unless it is a
// group or a complex), so a walk can treat any non-complex item as a group.
class VYR_SCENE_DB_API CDsItemVariant {
public:
    // Deletes the geometry (and, in derived classes, the children).
    virtual ~CDsItemVariant();
    // Not copyable.
    CDsItemVariant(const CDsItemVariant&) = delete;
    // Not copyable.
    CDsItemVariant& operator=(const CDsItemVariant&) = delete;

    // The category (eVyrObjCategory).
    int GetCategory() const { return m_category; }
    // The object type (eVyrObjectType, 0 to 255).
    int GetType() const { return m_type; }
    // The item's id within its part.
    int GetId() const { return m_id; }
    // The geometry, or null.
    CDsGeometry* GetGeometry() const { return m_geometry; }
    // The item's own transform, or null when it has none.
    const CDsTransform* GetTransform() const { return m_transform.get(); }
    // The item's own attributes, or null when it has none.
    const CDsAttributes* GetAttributes() const { return m_hasAttributes ? &m_attributes : nullptr; }
    // The item this one is a child (or slave) of; null for an item or instance of the part itself.
    CDsItemVariant* GetParent() const { return m_parent; }
    // A number that changes whenever the item is made or its structure changes; locations use it
    // to notice an item that was replaced.
    unsigned GetStamp() const { return m_stamp; }

    // The group view: the item itself for groups and complexes (their masters), else an empty group.
    const CDsItemGroup* AsGroup() const;
    // The region view, or null.
    CDsRegion* AsRegion();
    // The region view, or null.
    const CDsRegion* AsRegion() const;
    // The complex view, or null.
    CDsComplex* AsComplex();
    // The complex view, or null.
    const CDsComplex* AsComplex() const;
    // The part instance view, or null.
    CDsPartInstance* AsPartInstance();
    // The part instance view, or null.
    const CDsPartInstance* AsPartInstance() const;

protected:
    friend class CDsPartStorage;
    friend class CDsPart;
    // What the object is.
    enum EKind : unsigned char { eKindGroup, eKindRegion, eKindComplex, eKindPartInstance };

    // An item of `kind`.
    CDsItemVariant(EKind kind, int id, int type, int category);

    EKind m_kind;
    unsigned char m_type;
    unsigned char m_category;
    bool m_hasAttributes = false;
    int m_id;
    unsigned m_stamp;
    CDsItemVariant* m_parent = nullptr;
    CDsGeometry* m_geometry = nullptr;
    std::unique_ptr<CDsTransform> m_transform;
    CDsAttributes m_attributes;
};

// A group: an ordered list of (item id, child item) children (owned).
class VYR_SCENE_DB_API CDsItemGroup : public CDsItemVariant {
public:
    // Deletes the children.
    ~CDsItemGroup() override;
    // The children, in walk order.
    const TDsItemList& GetChildren() const { return m_children; }
    // Number of children.
    int GetChildCount() const { return static_cast<int>(m_children.size()); }

protected:
    friend class CDsPartStorage;
    friend class CDsItemVariant;
    // A group (or, for a complex, its masters).
    CDsItemGroup(EKind kind, int id, int type, int category) : CDsItemVariant(kind, id, type, category) {}

    TDsItemList m_children;
};

// A complex: its masters (the group view) and an ordered list of slaves that depend on them. A
// slave depends on the masters whose ids its geometry connects (CDsGeometry::GetConnectedItems);
// its count starts at the number of those masters (1 when it connects none) and drops for every
// master that is not drawn, so a slave whose masters are all hidden is not visited.
class VYR_SCENE_DB_API CDsComplex : public CDsItemGroup {
public:
    // One slave record: the slave and its current count.
    struct TItemData {
        CDsItemVariant* m_pItem = nullptr;  // the slave (owned by the complex)
        int m_count = 0;                    // the current count
    };

    // Deletes the slaves.
    ~CDsComplex() override;
    // The slave records, in walk order.
    std::vector<TItemData>& GetSlaves() { return m_slaves; }
    // The slave records, in walk order.
    const std::vector<TItemData>& GetSlaves() const { return m_slaves; }
    // The slaves' ids, parallel to GetSlaves().
    const std::vector<int>& GetSlaveIds() const { return m_slaveIds; }
    // Number of slaves.
    int GetSlaveCount() const { return static_cast<int>(m_slaves.size()); }
    // Resets the record's count to the number of masters its slave depends on (1 for none).
    void InitSlaveCount(TItemData& record);
    // Lowers by 1 the count of every slave that depends on `master` (nothing for an item that is
    // not a master of this complex).
    void DecreaseSlaveCount(const CDsItemVariant* master);

private:
    friend class CDsPartStorage;
    CDsComplex(int id, int type, int category) : CDsItemGroup(eKindComplex, id, type, category) {}
    void RebuildDependencies();

    std::vector<TItemData> m_slaves;
    std::vector<int> m_slaveIds;
    std::vector<std::vector<int>> m_slavesOfMaster;  // per master index, the dependent slaves
    std::vector<int> m_masterCount;                  // per slave, the number of its masters
    bool m_dependenciesValid = false;
};

// A region: an ordered list of either child regions (id, the child region) or leaf entries (id,
// the leaf's object type, a value of at most 255 standing where an item pointer stands); never
// both. The region's geometry draws its leaves by id.
class VYR_SCENE_DB_API CDsRegion : public CDsItemVariant {
public:
    // Deletes the child regions.
    ~CDsRegion() override;
    // The children.
    const TDsItemList& GetChildren() const { return m_children; }
    // Number of children.
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // True when the children are regions (the first child's value is above 255).
    bool HasChildRegions() const { return !m_children.empty() && !IsLeafEntry(m_children.front().second); }
    // True when a child value is a leaf entry (an object type) rather than an item.
    static bool IsLeafEntry(const CDsItemVariant* value) { return reinterpret_cast<std::uintptr_t>(value) <= 255; }
    // The object type of a leaf entry's value.
    static int GetLeafType(const CDsItemVariant* value) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(value)); }
    // The value that stands for a leaf of object type `type` (0 to 255).
    static CDsItemVariant* MakeLeafEntry(int type) {
        return reinterpret_cast<CDsItemVariant*>(static_cast<std::uintptr_t>(type & 0xFF));
    }

private:
    friend class CDsPartStorage;
    CDsRegion(int id, int type, int category) : CDsItemVariant(eKindRegion, id, type, category) {}

    TDsItemList m_children;
};

// A part instance: the part it instances, placed by its own transform.
class VYR_SCENE_DB_API CDsPartInstance : public CDsItemVariant {
public:
    // The id of the instanced part.
    int GetPartId() const { return m_partId; }

private:
    friend class CDsPartStorage;
    CDsPartInstance(int id, int partId)
        : CDsItemVariant(eKindPartInstance, id, eVyrObjTypePartInstance, eVyrCatTransformed), m_partId(partId) {}

    int m_partId;
};

// A part: its part instances and its items, each an ordered list of (id, object), and its
// palette. Ids are unique within a part (instances, items and all their descendants together).
class VYR_SCENE_DB_API CDsPart {
public:
    // Deletes the instances and items.
    ~CDsPart();
    // Not copyable.
    CDsPart(const CDsPart&) = delete;
    // Not copyable.
    CDsPart& operator=(const CDsPart&) = delete;

    // The part's id.
    int GetId() const { return m_id; }
    // The part instances, in walk order.
    const std::vector<std::pair<int, CDsPartInstance*>>& GetPartInstances() const { return m_instances; }
    // The items, in walk order.
    const TDsItemList& GetItems() const { return m_items; }
    // The instance with id `id` as an item; `partId` becomes the instanced part's id and `index`
    // the instance's child index. Null (outputs unchanged) when the part holds no such instance.
    CDsItemVariant* GetPartInstanceByItemId(int id, int& partId, int& index) const;
    // The instance or item (at any depth) with id `id`, or null.
    CDsItemVariant* FindItem(int id) const;
    // The palette: the attributes of the part's items by object type.
    const CDsAttrPalette* GetPalette() const { return &m_palette; }
    // Replaces a palette entry; false for an index outside the palette.
    bool SetPaletteEntry(int index, const CDsAttributes& attributes);

private:
    friend class CDsPartStorage;
    explicit CDsPart(int id) : m_id(id) {}

    int m_id;
    std::vector<std::pair<int, CDsPartInstance*>> m_instances;
    TDsItemList m_items;
    std::unordered_map<int, CDsItemVariant*> m_index;
    CDsAttrPalette m_palette;
};
