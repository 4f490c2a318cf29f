// View-table entities: entities of the application's drawing views that stand for a model edge
// (a projected or sectioned edge). The application registers no such entity with this library, so
// the test answers false for every entity and the engine's queries answer as for no entity; a
// caller that finds a view-table entity asks the engine for the edge behind it.
#pragma once

#include "SpaEntity.h"

class CUiPickEvent;
class EDGE;

// Whether `entity` is a view-table entity (never, here).
inline bool is_CVyrViewTableBase(const ENTITY*)
{
    return false;
}

// The geometry engine's queries of view-table entities.
namespace NSGeomEngine {

// The model edge a view-table entity stands for; null for any other entity.
inline EDGE* GetEdgeFromReferenceEntity(ENTITY*)
{
    return nullptr;
}

// The point of a view-table entity (or of a plain entity) nearest to the pick, with its curve
// parameter; false when the entity offers none (every entity, here).
inline bool PickRefClosePoint(ENTITY*, const CUiPickEvent&, SPAposition&, double&)
{
    return false;
}

}  // namespace NSGeomEngine
