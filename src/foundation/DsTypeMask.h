// CDsTypeMask, a set of selectable object and pick-point types, and NSDsTypeMaskHelper, the
// functions that combine a "domain" of such masks (an ordered vector: first match wins) for
// picking.
#pragma once

#include "VyrObjectTypes.h"

#include <afx.h>

#include <vector>

// The pick-point types, bits 256 to 274 of a type mask. Bits 0 to 255 are object types
// (eVyrObjectType).
enum EDsPickPointType : int {
    eDsPickPtStart = 256,          // start point of a curve (also a cone's apex)
    eDsPickPtEnd = 257,            // end point of a curve
    eDsPickPtMid = 258,            // middle of a curve
    eDsPickPtCenter = 259,         // centre of an arc or ellipse
    eDsPickPtQuadrant = 260,       // quadrant point of an arc or ellipse
    eDsPickPtIntersection = 261,   // intersection of two curves
    eDsPickPtPerpendicular = 262,  // foot of a perpendicular
    eDsPickPtPointItem = 263,      // the point of a point item (object type 8)
    eDsPickPtNearest = 264,        // nearest point on a curve
    eDsPickPtVertex = 265,         // a vertex
    eDsPickPtApex = 266,           // apex of a cone
    eDsPickPtCloseOnEdge = 267,    // the point of an edge nearest to the pick
    eDsPickPtFaceCenter = 268,     // centre of a face
    eDsPickPtGrid = 269,           // a grid point
    eDsPickPtOrigin = 270,         // the origin of a coordinate system
    eDsPickPtScreen = 271,         // a free point on the screen
    eDsPickPtWorkingPlane = 272,   // a free point on the working plane where nothing was hit
    eDsPickPtRelative = 273,       // a point relative to another
    // In a pick filter: only point picks are wanted (masks without point types drop out).
    eDsPickPtOnly = 274,
    eDsPickPtFirst = eDsPickPtStart,  // first pick-point type
    eDsPickPtLast = eDsPickPtOnly     // last pick-point type (also the last type of a mask)
};

// A set of the 275 types 0 to 274 (object types, then pick-point types), kept in nine 32-bit
// words: type n is bit n % 32 of word n / 32. The 13 high bits of the ninth word are never set.
class AFX_EXT_CLASS CDsTypeMask {
public:
    // Number of types.
    static constexpr int kTypeCount = 275;
    // Number of 32-bit words.
    static constexpr int kWordCount = 9;

    // No type set.
    CDsTypeMask() = default;

    // Sets each listed type in turn; the list stops at -1 or at the first value outside 0 to 274
    // (callers end it with -1: SetType(t, -1)).
    void SetType(int type, ...);
    // Clears each listed type in turn; the list ends as for SetType.
    void ResetType(int type, ...);
    // Whether `type` is set; false for any value outside 0 to 274.
    bool IsTypeSet(int type) const;
    // Sets every type 0 to 274.
    void SetAll();
    // Clears every type.
    void ResetAll();
    // True when some type is set.
    bool IsAny() const;
    // The 32-bit word `index` (0 to 8); 0 for any other index.
    unsigned int GetWord(int index) const;

    // Adds the other's types.
    CDsTypeMask& operator|=(const CDsTypeMask& other);
    // Keeps the types that the other has too.
    CDsTypeMask& operator&=(const CDsTypeMask& other);

private:
    void SetBit(int type) { m_words[type >> 5] |= 1u << (type & 31); }
    void ResetBit(int type) { m_words[type >> 5] &= ~(1u << (type & 31)); }

    unsigned int m_words[kWordCount] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
};

// A domain: the type masks a pick may match, in order of preference.
typedef std::vector<CDsTypeMask> CDsTypeMaskDomain;

// Functions over type masks and domains. A point bit is a type from 256 to 274, an object bit one
// from 0 to 255.
namespace NSDsTypeMaskHelper {

// True when the mask has a point bit.
AFX_EXT_API bool IsPointInTypeMask(const CDsTypeMask& mask);
// True when the mask has a point bit (the same test as IsPointInTypeMask).
AFX_EXT_API bool IsPickPointAllowed(const CDsTypeMask& mask);
// True when some mask of the domain has a point bit; false for an empty domain.
AFX_EXT_API bool IsPickPointAllowed(const CDsTypeMaskDomain& domain);
// True when some mask of the domain has any bit; false for an empty domain.
AFX_EXT_API bool IsAnyPickEnable(const CDsTypeMaskDomain& domain);
// True when some mask of the domain has the type (false for a type outside 0 to 274).
AFX_EXT_API bool IsTypeCouldBePicked(const CDsTypeMaskDomain& domain, int type);
// True when the mask has two or more point bits.
AFX_EXT_API bool IsMoreThanOnePoint(const CDsTypeMask& mask);
// Position of the first mask that has the type and no point bit; 0xFFFFFFFF when none.
AFX_EXT_API unsigned int IndexOfTypeMaskInDomain(const CDsTypeMaskDomain& domain, int type);
// `out` becomes the point bits of `in`.
AFX_EXT_API void GetPointsFromTypeMask(const CDsTypeMask& in, CDsTypeMask& out);
// `out` becomes the object bits of `objects` together with the point bits of `points`.
AFX_EXT_API void MergePointsVyrObjectTypes(const CDsTypeMask& objects, const CDsTypeMask& points, CDsTypeMask& out);
// Looks for the first mask that holds a or b (types taken as 8-bit values): 1 when it holds a
// only, -1 when it holds b only, 0 when both; 0 when no mask holds either.
AFX_EXT_API int CmpObjType(const CDsTypeMaskDomain& domain, eVyrObjectType a, eVyrObjectType b);
// Appends to `out`, in order, each mask without point bits unchanged and each mask with point
// bits ANDed with the filter, the latter only when something is left.
AFX_EXT_API void DisablePoints(const CDsTypeMaskDomain& domain, const CDsTypeMask& filter, CDsTypeMaskDomain& out);
// Appends to `out` what each mask of the domain lets through the filter, skipping masks that let
// nothing through. With `pointsAllowed`, a mask's point types pass where the filter has them, and
// a mask with point types then keeps all its object types (they carry the points) once one of
// its point types passed; a mask without point types keeps the object types the filter has.
// Without `pointsAllowed`, masks with point types drop out and no point type passes. The filter's
// type 274 (points only) is kept when a point type passed, and with `pointsAllowed` drops the
// masks without point types.
AFX_EXT_API void ComputePickFilter(const CDsTypeMaskDomain& domain, const CDsTypeMask& filter, CDsTypeMaskDomain& out,
                                   bool pointsAllowed);

}  // namespace NSDsTypeMaskHelper
