// CDsPickedItem, one pick result, and CDsPickedItemList, the list of pick results that every pick
// fills and hands to the host.
//
// A picked item is a plain value: the scene-database location it names (its object path), where it
// was hit, its object type and reference-point type, and two plain pointers (the location's
// geometry, which the part storage owns, and a figure, which the figure layer owns). Positions are
// model coordinates of the scene's root part. A position of (1e11, 1e11, 1e11) is one that nobody
// set.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An item owns its second picked item: copies copy it deeply, the destructor frees it, and
//   SetSecondPickedItem hands it over (the one held before is freed).
// - A path is valid when its part id is not the no-part value 0x80000000 and its depth lies
//   between 0 and its number of ids.
// - Add of a null item adds nothing; Remove of the list's end removes nothing.
// - Paths are ordered by CVyrObjectPath::operator<, which compares part ids by value (a signed
//   difference would overflow for the no-part value and for ids far apart).
//
#pragma once

#include <afx.h>

#include "DsPointGeometry.h"
#include "GmPosition.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"

#include <vector>

class CDsFigure;
class CDsFigureList;
class CDsGeometry;
struct SItemInfo;

// An axis of a coordinate system.
enum EDsCoordinate : int {
    eDsCoordinateNone = -1,  // no axis
    eDsCoordinateX = 0,      // the x axis
    eDsCoordinateY = 1,      // the y axis
    eDsCoordinateZ = 2       // the z axis
};

// One pick result.
class AFX_EXT_CLASS CDsPickedItem {
public:
    // The coordinate value of a position nobody set.
    static constexpr double kUnsetCoordinate = 1e11;
    // The object type of an item without one.
    static constexpr int kNoObjectType = 255;

    // The item at `path` (only when the path is valid; else no path, geometry or object type), hit
    // at `position` with point type `pointType`; the geometry and the object type come from the
    // part storage. A point item (object type 8) without a point type becomes point type 263 at
    // its geometry's point when no position is given.
    CDsPickedItem(const CVyrObjectPath& path = CVyrObjectPath(), const SPAposition& position = SPAposition(0, 0, 0),
                  eVyrParamPointType pointType = -1);
    // A figure result (the figure is not owned); its position is unset.
    explicit CDsPickedItem(CDsFigure* figure);
    // An item of the given path, geometry (not owned), object type and point type; its position is
    // unset unless the point-item rule above gives one.
    CDsPickedItem(const CVyrObjectPath& path, const CDsGeometry* geometry, eVyrObjectType objectType,
                  eVyrParamPointType pointType);
    // A copy (its own copy of the second picked item).
    CDsPickedItem(const CDsPickedItem& other);
    // Copies every field (the second picked item deeply).
    CDsPickedItem& operator=(const CDsPickedItem& other);
    // Frees the path and the second picked item.
    ~CDsPickedItem();

    // A new item (the caller owns it) of a valid `path`, hit at `position` with `pointType`; null
    // for an invalid path.
    static CDsPickedItem* StCreate(const CVyrObjectPath& path, const SPAposition& position,
                                   eVyrParamPointType pointType);

    // The picked figure, or null.
    CDsFigure* GetFigure() const { return m_figure; }
    // Sets the picked figure (not owned).
    void SetFigure(CDsFigure* figure) { m_figure = figure; }
    // The axis of a coordinate-system figure the pick touched.
    EDsCoordinate GetUCSHighlightedAxis() const { return m_ucsAxis; }
    // Sets that axis.
    void SetUCSHighlightedAxis(EDsCoordinate axis) { m_ucsAxis = axis; }
    // The index of the picked primitive.
    int GetIndexOfPickedPrimitive() const { return m_primitiveIndex; }
    // Sets the index of the picked primitive.
    void SetIndexOfPickedPrimitive(int index) { m_primitiveIndex = index; }
    // The kind of the picked primitive.
    int GetPickedPrimitiveType() const { return m_primitiveType; }
    // Sets the kind of the picked primitive.
    void SetPickedPrimitiveType(int type) { m_primitiveType = type; }
    // The location's geometry (owned by the part storage), or null.
    const CDsGeometry* GetGeometry() const { return m_geometry; }
    // The object type; 255 when none.
    eVyrObjectType GetObjectType() const { return static_cast<eVyrObjectType>(m_objectType); }
    // The object path.
    const CVyrObjectPath& GetObjectPath() const { return m_path; }
    // The reference-point type; -1 when none.
    eVyrParamPointType GetPickedPointType() const { return m_pointType; }
    // Sets the reference-point type, then applies the point-item rule.
    void SetPickedPointType(eVyrParamPointType type);
    // The picked position.
    const CGmPosition* GetPickedPosition() const { return &m_position; }
    // Sets the picked position.
    void SetPickedPosition(const CGmPosition& position) { m_position = position; }
    // The second picked item, or null.
    CDsPickedItem* GetSecondPickedItem() const { return m_second; }
    // Hands over the second picked item (the item frees it; the one held before is freed).
    void SetSecondPickedItem(CDsPickedItem* item);
    // The picked segment; -1 when none.
    int GetPickedSegmentNumber() const { return m_segment; }
    // Sets the picked segment.
    void SetPickedSegmentNumber(int segment) { m_segment = segment; }

    // True when the path is valid or the item has a point type.
    bool IsValid() const;
    // True when the object type is not 8 and the item has no point type.
    bool IsEntityItem() const;
    // True when the position is the unset one.
    bool IsPositionUnset() const;

    // The same result (see the implementation for the rules).
    bool operator==(const CDsPickedItem& other) const;
    // Not the same result: 1, else 0.
    int operator!=(const CDsPickedItem& other) const { return *this == other ? 0 : 1; }
    // A strict weak order of results: results without a figure first, among them point results
    // first (by position, x then y then z), the others by object path; figures by address.
    bool operator<(const CDsPickedItem& other) const;

    // Whether `path` is valid (see the header comment).
    static bool IsPathValid(const CVyrObjectPath& path);

private:
    // Back to the reset values.
    void Reset();
    // The point-item rule: a point item (object type 8) without a point type becomes point type
    // 263 and, with an unset position, takes its geometry's point through the location's transform
    // (from `info`, else asked of the part storage).
    void FixItem(const SItemInfo* info);
    // Copies every field of `other` (the second picked item deeply) into a reset item.
    void CopyFrom(const CDsPickedItem& other);

    CDsFigure* m_figure = nullptr;
    EDsCoordinate m_ucsAxis = eDsCoordinateNone;
    int m_primitiveIndex = 0;
    int m_primitiveType = 0;
    CVyrObjectPath m_path;
    const CDsGeometry* m_geometry = nullptr;
    unsigned char m_objectType = kNoObjectType;
    eVyrParamPointType m_pointType = -1;
    CGmPosition m_position{kUnsetCoordinate, kUnsetCoordinate, kUnsetCoordinate};
    CDsPickedItem* m_second = nullptr;
    int m_segment = -1;
};

// The results of a pick, in the order they were added.
class AFX_EXT_CLASS CDsPickedItemList {
public:
    // The items.
    typedef std::vector<CDsPickedItem*> TItems;
    // A position in the list.
    typedef TItems::iterator iterator;

    // An empty list that owns its items.
    CDsPickedItemList() = default;
    // An empty list that owns its items when `owner` is true.
    explicit CDsPickedItemList(bool owner) : m_owner(owner) {}
    // The other's owner flag, then every item of the other added (copies when owning).
    CDsPickedItemList(const CDsPickedItemList& other);
    // An owning list of one item per path (StCreate with the origin and no point type); invalid
    // paths add nothing.
    explicit CDsPickedItemList(const std::vector<CVyrObjectPath>& paths);
    // Empties this list (freeing what it owns), then takes the other's owner flag and items as the
    // copy constructor does.
    CDsPickedItemList& operator=(const CDsPickedItemList& other);
    // Frees the items it owns.
    virtual ~CDsPickedItemList();

    // Appends `item` itself, or a copy of it when the list owns its items (nothing for null).
    void Add(CDsPickedItem* item);
    // Number of items.
    int GetSize() const { return static_cast<int>(m_items.size()); }
    // The items.
    const TItems& GetItems() const { return m_items; }
    // Whether the list owns its items.
    bool IsOwner() const { return m_owner; }
    // The first position.
    iterator begin() { return m_items.begin(); }
    // The end position.
    iterator end() { return m_items.end(); }
    // Whether an item equal to `item` is listed; its position goes to `where` when not null.
    bool LookUpItem(const CDsPickedItem* item, iterator* where = nullptr);
    // Takes the item at `where` (a position of this list) out, keeping the order of the others,
    // and frees it when the list owns its items; nothing for end().
    void Remove(iterator where);
    // Appends the path of every item that has no figure and a valid path, in list order.
    void GetList(std::vector<CVyrObjectPath>& paths) const;
    // The picked figures into a new list (the caller owns it; null when no item has a figure) and
    // the valid paths of the items without a figure appended to `paths`, in list order.
    void GetLists(std::vector<CVyrObjectPath>& paths, CDsFigureList*& figures) const;

private:
    void Clear();

    TItems m_items;
    bool m_owner = true;
};
