// CDsObjectPath: the path of the node a walk is at, over an id array that the walk owns.
#pragma once

#include "VyrSceneDbApi.h"

class CVyrObjectPath;

// The root part id, the ids from the root down to the current node, the size and the head size
// (the number of trailing ids that name items inside the last part reached). The array belongs to
// the walk; levels beyond its capacity are counted but not stored, and comparisons then see only
// the stored ids.
class VYR_SCENE_DB_API CDsObjectPath {
public:
    // An empty path of the part `rootPartId` over `ids` (room for `capacity` ids).
    CDsObjectPath(int rootPartId, int* ids, int capacity);

    // The root part's id.
    int GetRootPartId() const { return m_rootPartId; }
    // Sets the root part's id.
    void SetRootPartId(int partId) { m_rootPartId = partId; }
    // The stored ids.
    const int* GetIds() const { return m_ids; }
    // Number of stored ids.
    int GetSize() const { return m_size; }
    // Number of trailing ids naming items inside the last part.
    int GetHeadSize() const { return m_headSize; }
    // The id at `index`; 0 outside the stored ids.
    int GetId(int index) const { return index >= 0 && index < m_size ? m_ids[index] : 0; }
    // The last stored id; 0 without ids.
    int GetLastId() const { return m_size > 0 ? m_ids[m_size - 1] : 0; }

    // Goes down to the item `id`: appends it; size and head size grow by 1.
    void AdvanceItem(int id);
    // Goes down to the part instance `id`: appends it; the head size grows only when it is not 0.
    void AdvancePartInstance(int id);
    // Goes back up one level: size and head size shrink by 1 where they are above 0.
    void Rollback();
    // Back to no ids.
    void Clear();

    // True when `other` has the same part id and this path's ids begin its ids (equal counts).
    bool IsPrefixOf(const CVyrObjectPath& other) const;
    // True when `other` has the same part id and this path's ids begin its ids (equal counts).
    bool IsPrefixOf(const CDsObjectPath& other) const;
    // True when `other` has the same part id and its ids begin this path's ids: this node lies
    // at or below the node that `other` names.
    bool Contains(const CVyrObjectPath& other) const;
    // Same part id, same ids and a head size equal to the other's depth (as CVyrObjectPath
    // compares two paths).
    bool operator==(const CVyrObjectPath& other) const;
    // Not equal.
    bool operator!=(const CVyrObjectPath& other) const { return !(*this == other); }
    // Same part id, ids and head size.
    bool operator==(const CDsObjectPath& other) const;
    // Not equal.
    bool operator!=(const CDsObjectPath& other) const { return !(*this == other); }

    // The persistent path: the ids, the head size as depth, the root part id.
    CVyrObjectPath ToVyrObjectPath() const;
    // Writes ToVyrObjectPath() into `path`.
    void ToVyrObjectPath(CVyrObjectPath& path) const;
    // The persistent path.
    operator CVyrObjectPath() const;

private:
    int m_rootPartId;
    int* m_ids;
    int m_capacity;
    int m_size = 0;
    int m_headSize = 0;
    int m_overflow = 0;
};
