// CVyrBodyExt: body helpers.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// Static body helpers.
class VYR_MODELER_EXT_API CVyrBodyExt {
public:
    // The transform of `body` (for any other entity, of the body at the top of its owner chain):
    // a pointer to its TRANSFORM's transform, valid while that TRANSFORM lives; null when there
    // is none (the identity) or no body.
    static const SPAtransf* TransfPtr(const ENTITY* body);
};
