// CDsRefPoint: a snap point that a pick finds on a model edge, a point, a coordinate system or the
// screen (an edge's start, end, middle or centre, the nearest point, an intersection...). The
// outcome of the last construction or pick lives in statics shared by every reference point.
//
// So far: the point of an entity (and an optional position), the point of an edge with its edge
// item (CDsItemEdge), copies, the entity pick of an item's cached point, and the pick of an edge's
// start, end, middle and centre under a pick event. The nearest-point search of an edge, the
// other kinds of point and the filter come with the reference points of picking.
//
// Choices where the behaviour was open:
// - An edge pick examines the allowed kinds 256 (start, then end as 257), 257 (end), 258 (middle)
//   and 259 (centre) in that order, whether the mask allows one kind or several; the first hit
//   ends the search and always records its kind (sPickType) and position (sLastPosition).
// - StIsPicked tests the position in the view's pick mode when the view is in pick mode, else in a
//   pick mode of its own at the event's position with the process-wide aperture, which it leaves
//   again.
#pragma once

#include <afx.h>

#include "GmPosition.h"

class CDsItemEdge;
class CDsTypeMask;
class CUiPickEvent;
class EDGE;
class ENTITY;

// A reference point.
class AFX_EXT_CLASS CDsRefPoint {
public:
    // The point of `entity` (its reference entity when not null); with `position`, the last
    // position becomes it. The pick type stays.
    explicit CDsRefPoint(ENTITY* entity, const CGmPosition* position = nullptr);
    // The point of `edge` (its reference entity when not null), ready for edge picks. The pick type
    // stays.
    explicit CDsRefPoint(EDGE* edge);
    // The same reference entity, edge item and readiness for edge picks.
    CDsRefPoint(const CDsRefPoint& other);
    // Copies the reference entity, edge item and readiness for edge picks.
    CDsRefPoint& operator=(const CDsRefPoint& other);
    // Frees the point.
    ~CDsRefPoint();

    // The reference entity and its type code, when `entity` is not null.
    void SetReferenceEntity(ENTITY* entity);
    // The reference entity, null when none.
    ENTITY* GetReferenceEntity() const { return m_entity; }
    // The reference entity's type code, -1 when none.
    int GetReferenceEntityType() const { return m_entityType; }
    // The edge item whose points an edge pick tests (not owned; null when none).
    void SetItemEdge(CDsItemEdge* item) { m_itemEdge = item; }
    // The edge item, null when none.
    CDsItemEdge* GetItemEdge() const { return m_itemEdge; }
    // With a reference entity the pick type becomes 0; always 0 (the entity is not tested
    // against the event).
    int PickRefPointByEntity(const CUiPickEvent& event);
    // Whether the event picks one of the edge points that `mask` allows (reference-point types
    // 256 start, 257 end, 258 middle, 259 centre, taken from the edge item): 1 with the kind in
    // sPickType and the point in sLastPosition; 0 otherwise. 0 with the pick type -1 for a point
    // not made from an edge, without an edge item or when none is hit; 0 with the pick type as it
    // was when the reference entity is not an edge.
    int PickRefPoint(const CUiPickEvent& event, const CDsTypeMask& mask);

    // 1 when the model position lies in the pick aperture of the event's view (see the header
    // comment); 0 without a view.
    static int StIsPicked(const CUiPickEvent& event, const CGmPosition& position);

    // The position of the last construction or pick.
    static CGmPosition sLastPosition;
    // The kind of the last pick (a reference-point type 256 to 274, 0, or -1 after a miss).
    static int sPickType;
    // The curve parameter of the last pick.
    static double sParam;

private:
    int m_entityType = -1;
    ENTITY* m_entity = nullptr;
    CDsItemEdge* m_itemEdge = nullptr;
    // 1 for a point made from an edge: edge picks answer 0 while it is 0.
    int m_curveFlag = 0;
};
