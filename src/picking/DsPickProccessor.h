// CDsPickProccessor: the pick engine of one rendering context (CDsGlContext creates it with
// itself and deletes it with itself), and CDsPickInfoStorage, what the last pick touched.
//
// So far the processor keeps its switches (EDsPickProccessorStates), its selection and point
// settings and the storage of the last pick, which items fill when they are hit; the picks
// themselves (single, region, select all, the modeler picks) come with picking.
#pragma once

#include <afx.h>

#include <utility>
#include <vector>

class CDsGlContext;
class CDsItemBase;
class ENTITY;

// The switches of a pick processor, 0 to 11.
enum EDsPickProccessorStates : int {
    eDsPickStateSceneRefPoints = 0,    // reference points from the scene's own pick
    eDsPickStateNoFacePickData = 1,    // no OpenGL face-pick data (reference points by entity)
    eDsPickStateState2 = 2,            // not read by the display
    eDsPickStateRecordLevels = 3,      // a group component pick is under way: record pick levels
    eDsPickStateGroupComponent = 4,    // read by the group component pick (on at the start)
    eDsPickStateNotPickableItems = 5,  // items that are not pickable may still be picked
    eDsPickStatePointsInSelectAll = 6, // points take part in select-all
    eDsPickStateCount = 12             // number of switches
};

// The kind of primitive a pick touched.
enum EDsPickedPrimitiveType : int {
    eDsPickedPrimitiveNone = 0,
    eDsPickedPrimitiveDefault = 1
};

// What the last pick touched.
class AFX_EXT_CLASS CDsPickInfoStorage {
public:
    // Nothing picked, primitive 0 of type 1.
    CDsPickInfoStorage() = default;
    // A copy of everything.
    CDsPickInfoStorage(const CDsPickInfoStorage& other) = default;
    // Copies the four plain fields; the per-item primitive indexes stay.
    CDsPickInfoStorage& operator=(const CDsPickInfoStorage& other);
    // Frees the storage.
    virtual ~CDsPickInfoStorage() = default;

    // The picked item (not owned), null when none.
    void SetPickedItem(CDsItemBase* item) { m_item = item; }
    // The picked item.
    CDsItemBase* GetPickedItem() const { return m_item; }
    // The index of the picked primitive.
    void SetPickedPrimitiveIndex(int index) { m_index = index; }
    // The index of the picked primitive.
    int GetPickedPrimitiveIndex() const { return m_index; }
    // The kind of the picked primitive.
    void SetPrimitiveEnum(EDsPickedPrimitiveType type) { m_type = type; }
    // The kind of the picked primitive.
    EDsPickedPrimitiveType GetPrimitiveEnum() const { return m_type; }
    // The entity hit at the lowest level (not owned).
    void SetLowLevelPickedEntity(ENTITY* entity) { m_entity = entity; }
    // The entity hit at the lowest level.
    ENTITY* GetLowLevelPickedEntity() const { return m_entity; }
    // Records the primitive index of `item`.
    void AddPickedPrimitiveIndex(CDsItemBase* item, int index) { m_indexes.emplace_back(item, index); }
    // The first index recorded for `item`, 0 when none.
    int FindPickedPrimitiveIndex(const CDsItemBase* item) const;
    // Copies the four plain fields of `other`.
    void CopyObject(const CDsPickInfoStorage& other);

private:
    CDsItemBase* m_item = nullptr;
    int m_index = 0;
    EDsPickedPrimitiveType m_type = eDsPickedPrimitiveDefault;
    ENTITY* m_entity = nullptr;
    std::vector<std::pair<CDsItemBase*, int>> m_indexes;
};

// The pick engine of a rendering context.
class AFX_EXT_CLASS CDsPickProccessor {
public:
    // The processor of `owner` (not owned): every switch off but 4.
    explicit CDsPickProccessor(CDsGlContext* owner);
    // A copy of every field.
    CDsPickProccessor(const CDsPickProccessor& other) = default;
    // Copies every field.
    CDsPickProccessor& operator=(const CDsPickProccessor& other) = default;
    // Frees the processor.
    virtual ~CDsPickProccessor() = default;

    // Sets switch `state`; outside 0..11 ignored.
    void Set(EDsPickProccessorStates state, bool on);
    // Switch `state`; false outside 0..11.
    bool Get(EDsPickProccessorStates state) const;
    // What the last pick touched.
    CDsPickInfoStorage& GetPickInfoStorage() { return m_info; }
    // Copies the four plain fields of `storage`.
    void SetPickInfoStorage(const CDsPickInfoStorage& storage) { m_info.CopyObject(storage); }
    // Whether bodies are left out of picks in drafting mode.
    void SetFilterBodyInDraftingMode(bool on) { m_filterBodyInDrafting = on; }
    // Whether bodies are left out of picks in drafting mode.
    bool GetFilterBodyInDraftingMode() const { return m_filterBodyInDrafting; }
    // The owning context.
    CDsGlContext* GetOwner() const { return m_owner; }

    // True while a region pick runs (shared by every processor).
    static bool sPickInRegionMode;
    // Whether a region pick runs.
    static bool StGetPickInRegionMode() { return sPickInRegionMode; }
    // Marks a region pick as running or not.
    static void StSetPickInRegionMode(bool on) { sPickInRegionMode = on; }

private:
    CDsGlContext* m_owner = nullptr;
    bool m_filterBodyInDrafting = false;
    std::vector<bool> m_states;
    CDsPickInfoStorage m_info;
};
