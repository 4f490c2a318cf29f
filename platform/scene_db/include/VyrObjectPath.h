// CVyrPathString, CVyrObjectPath and CVyrShortObjectPath: the persistent path that names a
// location of the scene database. This is the data model and the operations the scene database needs; the display core
// adds its remaining operations (sorting and search helpers over path vectors and others) to this
// same class.
#pragma once

#include "VyrSceneDbApi.h"

// A string of 32-bit object ids followed by a terminating 0. Up to three ids live inside the
// object; from a capacity of four the string goes to the heap.
class VYR_SCENE_DB_API CVyrPathString {
public:
    // Ids that fit inside the object.
    static constexpr int kInlineCapacity = 3;

    // An empty string: capacity 3, length 0, first element 0.
    CVyrPathString() noexcept;
    // A string of the `count` ids at `ids` (a negative count or null ids give an empty string).
    CVyrPathString(const int* ids, int count);
    // A copy.
    CVyrPathString(const CVyrPathString& other);
    // Takes over the other's ids; the other becomes empty.
    CVyrPathString(CVyrPathString&& other) noexcept;
    // Copies the other's ids.
    CVyrPathString& operator=(const CVyrPathString& other);
    // Takes over the other's ids; the other becomes empty.
    CVyrPathString& operator=(CVyrPathString&& other) noexcept;
    // Frees the heap ids.
    ~CVyrPathString();

    // Number of ids.
    int GetLength() const { return m_length; }
    // Number of ids the string holds without growing.
    int GetCapacity() const { return m_capacity; }
    // The ids, followed by a 0.
    const int* GetData() const { return m_data; }
    // The id at `index`; 0 for an index outside the string.
    int GetAt(int index) const { return index >= 0 && index < m_length ? m_data[index] : 0; }
    // True without ids.
    bool IsEmpty() const { return m_length == 0; }

    // Appends one id.
    void Append(int id);
    // Removes the last id (nothing when empty).
    void RemoveLast();
    // Keeps the first `length` ids (nothing when `length` is not below the length).
    void Truncate(int length);
    // Removes every id; the capacity stays.
    void Clear();
    // Replaces the ids by the `count` ids at `ids`.
    void Assign(const int* ids, int count);
    // Makes room for `capacity` ids.
    void Reserve(int capacity);

    // Same ids in the same order.
    bool operator==(const CVyrPathString& other) const;
    // Not the same ids.
    bool operator!=(const CVyrPathString& other) const { return !(*this == other); }
    // -1, 0 or 1: ids compared element by element as signed integers, a proper prefix first.
    int Compare(const CVyrPathString& other) const;

private:
    int* m_data;
    int m_length = 0;
    int m_capacity = kInlineCapacity;
    int m_inline[kInlineCapacity + 1] = {0, 0, 0, 0};
};

class CVyrShortObjectPath;

// The path of a location: ids from the root part through part instances and then, for the last
// `depth` ids, through the items inside the last part reached; and the root part's id.
class VYR_SCENE_DB_API CVyrObjectPath {
public:
    // The part id that stands for no part.
    static constexpr int kNoPart = static_cast<int>(0x80000000u);

    // No ids, depth 0, no part.
    CVyrObjectPath() = default;
    // The root of the part `partId`: no ids, depth 0.
    explicit CVyrObjectPath(int partId) : m_partId(partId) {}
    // The `count` ids at `ids`, with `depth` and `partId`.
    CVyrObjectPath(const int* ids, int count, int depth, int partId);
    // The ids and depth of `path`, in the part `partId`.
    CVyrObjectPath(const CVyrShortObjectPath& path, int partId);

    // The ids.
    const CVyrPathString& GetIds() const { return m_ids; }
    // The ids, to change.
    CVyrPathString& GetIds() { return m_ids; }
    // Number of ids.
    int GetSize() const { return m_ids.GetLength(); }
    // The id at `index`; 0 outside the path.
    int GetId(int index) const { return m_ids.GetAt(index); }
    // The last id; 0 for a path without ids.
    int GetLastId() const { return m_ids.GetAt(m_ids.GetLength() - 1); }
    // True without ids.
    bool IsEmpty() const { return m_ids.IsEmpty(); }
    // Appends an id (the depth does not change).
    void AddId(int id) { m_ids.Append(id); }
    // The number of trailing ids that name items inside the last part.
    int GetDepth() const { return m_depth; }
    // Sets the depth.
    void SetDepth(int depth) { m_depth = depth; }
    // The root part's id.
    int GetPartId() const { return m_partId; }
    // Sets the root part's id.
    void SetPartId(int partId) { m_partId = partId; }

    // Same part id, same ids and same depth.
    bool operator==(const CVyrObjectPath& other) const;
    // Not equal.
    bool operator!=(const CVyrObjectPath& other) const { return !(*this == other); }
    // By part id (signed), then ids (element by element, signed, a proper prefix first), then depth
    // (unsigned).
    bool operator<(const CVyrObjectPath& other) const;
    // True when both have the same part id and this path's ids begin the other's (equal paths
    // count); the depths are not compared.
    bool IsPrefixOf(const CVyrObjectPath& other) const;

private:
    CVyrPathString m_ids;
    int m_depth = 0;
    int m_partId = kNoPart;
};

// A path without its part: the ids and the depth of a CVyrObjectPath, for walks that know the part
// they are in.
class VYR_SCENE_DB_API CVyrShortObjectPath {
public:
    // No ids, depth 0.
    CVyrShortObjectPath() = default;

    // The ids.
    const CVyrPathString& GetIds() const { return m_ids; }
    // The ids, to change.
    CVyrPathString& GetIds() { return m_ids; }
    // The number of trailing ids that name items inside the part.
    int GetDepth() const { return m_depth; }
    // Sets the depth.
    void SetDepth(int depth) { m_depth = depth; }

private:
    CVyrPathString m_ids;
    int m_depth = 0;
};
