// CDsUid, the id of a display item inside its group, and CDsUidPath, the path of such ids from a
// modeler entity down to one of its sub-items, with the walking cursor that a descent through a
// group tree uses to match the path level by level.
#pragma once

#include <afx.h>

#include <vector>

class ENTITY;

// The id of a display item inside its group.
class AFX_EXT_CLASS CDsUid {
public:
    // Id 0.
    CDsUid() = default;
    // The id `value`.
    CDsUid(unsigned int value) : m_value(value) {}
    // The value.
    operator unsigned int() const { return m_value; }
    // Same value.
    bool operator==(const CDsUid& other) const { return m_value == other.m_value; }
    // Different values.
    bool operator!=(const CDsUid& other) const { return m_value != other.m_value; }

private:
    unsigned int m_value = 0;
};

// What MatchCurrentUid found.
enum EDsPathStatus : int {
    eDsPathNoMatch = 0,   // the uid is not the one at the cursor
    eDsPathContinue = 1,  // matched; the cursor moved one level deeper
    eDsPathComplete = 2   // matched the last level: the whole path matched
};

// The path of uids from a modeler entity's item down to a sub-item, first level first. The
// cursor (the current index) moves on const paths too: walking a path does not change what it
// names.
class AFX_EXT_CLASS CDsUidPath {
public:
    // Index 0, no entity, no uids.
    CDsUidPath() = default;
    // Index 0, the entity (not owned) and a copy of the uids.
    CDsUidPath(ENTITY* entity, const std::vector<CDsUid>& uids) : m_entity(entity), m_uids(uids) {}

    // Appends a uid at the end.
    void Add(CDsUid uid) { m_uids.push_back(uid); }
    // Number of uids.
    int GetPathSize() const { return static_cast<int>(m_uids.size()); }
    // Number of uids minus one; -1 for an empty path.
    int GetLastPathIndex() const { return GetPathSize() - 1; }
    // The i-th uid into `out`; false (out unchanged) when i is not a position of the path.
    bool GetUid(int i, CDsUid& out) const;

    // Sets the head entity (not owned).
    void SetEntity(ENTITY* entity) { m_entity = entity; }
    // The head entity, null when none.
    ENTITY* GetEntity() const { return m_entity; }

    // The cursor.
    int GetIndex() const { return m_index; }
    // Puts the cursor back to 0.
    void ResetIndex() const { m_index = 0; }
    // Moves the cursor one forward; false when it already is at (or past) the last position.
    bool IncrementIndex() const;
    // Moves the cursor one back; false when it is below 1.
    bool DecrementIndex() const;
    // Compares `uid` with the uid at the cursor: no match steps the cursor back by one (not below
    // 0); a match before the last level moves it one forward; a match at the last level resets it
    // to 0. An empty path answers no match and changes nothing.
    EDsPathStatus MatchCurrentUid(const CDsUid& uid) const;

    // Reverses the order of the uids (entity and cursor unchanged).
    void ReverseUidPath();

    // Same uids in the same order; entity and cursor are not compared.
    bool operator==(const CDsUidPath& other) const { return m_uids == other.m_uids; }
    // Not equal.
    bool operator!=(const CDsUidPath& other) const { return !(*this == other); }

private:
    bool GetCurrentUid(CDsUid& out) const;
    bool GetNextUid(CDsUid& out) const;

    mutable int m_index = 0;
    ENTITY* m_entity = nullptr;
    std::vector<CDsUid> m_uids;
};
