// CVyrSurfExt: surface helpers.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// Static surface helpers.
class VYR_MODELER_EXT_API CVyrSurfExt {
public:
    // Spaces GetConeApex can answer in.
    enum {
        // Model space: the body's transform applied.
        kModelSpace = 0,
        // The body's own space, as the faceter's positions are.
        kBodySpace = 1
    };

    // The apex of a conical face that is not cylindrical, as a new position the caller owns
    // (free it with delete), in body space (kBodySpace) or model space (any other value). Null for
    // null, for entities that are not such faces, and for cylinders (which have no apex).
    static SPAposition* GetConeApex(const ENTITY* face, int space = kBodySpace);
};
