// CDsStatisticsItems: counts of display items by item type and of primitives by primitive type,
// gathered for a scene's performance monitor (CDsPerformanceMonitor). Items add themselves as a
// scene is counted.
//
// Choices where the behaviour was open or the plain rule would go wrong: the counts hold an entry
// for each item type 0 to 40 from the start; an item type above that gets its entry when it is
// first counted, instead of being counted into an entry that does not exist.
#pragma once

#include <afx.h>

#include <cstdint>
#include <map>

// The type code of a display item (1 to 49), defined with the display items.
enum EDsItemsType : int;

// Kinds of primitive counted (0 to 6).
enum EDsPrimitiveType : int {
    eDsPrimitiveNodes = 0,             // mesh nodes
    eDsPrimitivePolygons = 1,          // mesh polygons
    eDsPrimitivePolygonNodes = 2,      // nodes of mesh polygons
    eDsPrimitivePolylinePoints = 3,    // polyline points
    eDsPrimitivePolylineSegments = 4,  // polyline segments
    eDsPrimitivePolylines = 5,         // polylines
    eDsPrimitiveOther = 6,             // anything else counted
    eDsPrimitiveCount = 7              // number of kinds
};

// The two counts of one item type.
struct tagStatisticsCount {
    int32_t count = 0;    // items counted
    int32_t flagged = 0;  // of those, the flagged ones
};

// Item and primitive counts.
class AFX_EXT_CLASS CDsStatisticsItems : public std::map<EDsItemsType, tagStatisticsCount*> {
public:
    // Item types with an entry from the start: 0 to kInitialTypes - 1.
    static const int kInitialTypes = 41;

    // Entries for item types 0 to 40 with both counts 0; primitive counts 0.
    CDsStatisticsItems();
    // New entries holding the other's counts, and its primitive counts.
    CDsStatisticsItems(const CDsStatisticsItems& other);
    // Replaces the entries by new ones holding the other's counts (nothing when it is this one);
    // the primitive counts are copied in any case.
    CDsStatisticsItems& operator=(const CDsStatisticsItems& other);
    // Frees the entries.
    virtual ~CDsStatisticsItems();

    // One more item of `type`, and one more flagged one when `flagged`.
    void IncrementStatistics(EDsItemsType type, bool flagged);
    // The two counts of `type`; 0 and 0 for a type without an entry.
    void GetStatistics(EDsItemsType type, int& count, int& flagged) const;
    // Adds n to the count of primitive `type` (0 to 6; other types are ignored).
    void IncrementStatistics(EDsPrimitiveType type, int n);
    // The count of primitive `type` (0 to 6); 0 for other types.
    int GetStatistics(EDsPrimitiveType type) const;

private:
    // Frees the entries and empties the map.
    void Release();
    // New entries holding the counts of `other`'s entries.
    void CopyEntries(const CDsStatisticsItems& other);

    int32_t m_primitives[eDsPrimitiveCount] = {};
};
