// CDsTopologyServices: topology helpers the display's sketching uses.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// Static topology helpers.
class VYR_MODELER_EXT_API CDsTopologyServices {
public:
    // The transform of the body that `entity` is or belongs to, valid while its TRANSFORM lives;
    // null when the body has none (the identity), for entities outside a body, and for null.
    static const SPAtransf* GetBodyTransform(const ENTITY* entity);
};
