// CVyrAsExt: copies of entities and their real (original) entities. See VyrEntInstance.h for the
// copy model: a copy body of an instance, and its faces, edges and vertices, are copies; every
// other entity is not. Bad input (null, entities that are not copies) gets null, 0 or the
// identity, never an error.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// Static helpers over entity copies.
class VYR_MODELER_EXT_API CVyrAsExt {
public:
    // The real entity that `entity` copies (a copy body's real body, a copy face's real face, ...),
    // or null when `entity` is no copy or its real body has been freed.
    static ENTITY* GetRealEntity(ENTITY* entity);
    // The transform of a copy relative to its real entity: for a copy body and its entities the
    // instance's transform, for an instance its transform, for a group its transform; the
    // identity for anything else.
    static SPAtransf GetTransformation(ENTITY* entity);
    // The copy of `entity` made for `copyOwner`, or null. `copyOwner` is a copy body, any entity
    // of one, or an instance (then the copy of `entity`'s real body is used); `entity` is an
    // entity of the real body (a body, face, edge or vertex). An entity of the copy itself answers
    // itself.
    static ENTITY* GetEntityCopy(ENTITY* copyOwner, ENTITY* entity);
    // Appends to `out` the copy made for `copyOwner` of each entity of `edges` (see
    // GetEntityCopy) that is an EDGE; answers how many were appended.
    static int GetCopyEdges(ENTITY* copyOwner, const ENTITY_LIST& edges, ENTITY_LIST& out);
    // Likewise for FACEs.
    static int GetCopyFaces(ENTITY* copyOwner, const ENTITY_LIST& faces, ENTITY_LIST& out);
    // True when `entity` is a copy body or an entity of one.
    static bool IsCopy(const ENTITY* entity);
};
