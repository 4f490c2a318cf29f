// CVyrObjectId: the identity of one object of the scene database, a part and an item number.
#pragma once

#include "VyrSceneDbApi.h"

// A part id and an item id. The default value (part 0x80000000, item 0) names nothing.
class VYR_SCENE_DB_API CVyrObjectId {
public:
    // The part id that stands for no part.
    static constexpr int kNoPart = static_cast<int>(0x80000000u);

    // No object.
    constexpr CVyrObjectId() = default;
    // The item `item` of the part `part`.
    constexpr CVyrObjectId(int part, int item) : m_part(part), m_item(item) {}

    // The part id.
    constexpr int GetPartId() const { return m_part; }
    // The item id.
    constexpr int GetItemId() const { return m_item; }
    // Sets the part id.
    void SetPartId(int part) { m_part = part; }
    // Sets the item id.
    void SetItemId(int item) { m_item = item; }
    // True unless the part is kNoPart or the item is 0.
    constexpr bool IsValid() const { return m_part != kNoPart && m_item != 0; }

    // Same part and item.
    constexpr bool operator==(const CVyrObjectId& other) const { return m_part == other.m_part && m_item == other.m_item; }
    // Different part or item.
    constexpr bool operator!=(const CVyrObjectId& other) const { return !(*this == other); }
    // By part, then by item (both signed).
    constexpr bool operator<(const CVyrObjectId& other) const {
        return m_part != other.m_part ? m_part < other.m_part : m_item < other.m_item;
    }

private:
    int m_part = kNoPart;
    int m_item = 0;
};
