// CDsRefPoint: a snap point that a pick finds on a model edge, a point, a coordinate system or the
// screen (an edge's start, end, middle or centre, the nearest point, an intersection...). The
// outcome of the last construction or pick lives in statics shared by every reference point.
//
// So far: the point of an entity (and an optional position), copies, and the entity pick of an
// item's cached point; the picking of edge points and the filter come with the reference points of
// picking.
#pragma once

#include <afx.h>

#include "GmPosition.h"

class ENTITY;

// A reference point.
class AFX_EXT_CLASS CDsRefPoint {
public:
    // The point of `entity` (its reference entity when not null); with `position`, the last
    // position becomes it. The pick type stays.
    explicit CDsRefPoint(ENTITY* entity, const CGmPosition* position = nullptr);
    // The same reference entity.
    CDsRefPoint(const CDsRefPoint& other);
    // Copies the reference entity.
    CDsRefPoint& operator=(const CDsRefPoint& other);
    // Frees the point.
    ~CDsRefPoint();

    // The reference entity and its type code, when `entity` is not null.
    void SetReferenceEntity(ENTITY* entity);
    // The reference entity, null when none.
    ENTITY* GetReferenceEntity() const { return m_entity; }
    // The reference entity's type code, -1 when none.
    int GetReferenceEntityType() const { return m_entityType; }
    // With a reference entity the pick type becomes 0; always 0 (the entity is not tested
    // against the event).
    int PickRefPointByEntity(const class CUiPickEvent& event);

    // The position of the last construction or pick.
    static CGmPosition sLastPosition;
    // The kind of the last pick (a reference-point type 256 to 274, or 0).
    static int sPickType;
    // The curve parameter of the last pick.
    static double sParam;

private:
    int m_entityType = -1;
    ENTITY* m_entity = nullptr;
};
