// VyrAcisExt: display marks of entities: whether an entity may be picked and whether a body is
// drawn hatched. Entities are pickable and not hatchable until marked otherwise; the marks live
// in an attribute on the entity.
#pragma once

#include "VyrModelerExtApi.h"
#include "VyrEntityTypes.h"

namespace VyrAcisExt {

// True unless `entity` has been marked not pickable; false for null.
VYR_MODELER_EXT_API bool IsEntityPickable(const ENTITY* entity);
// Marks `entity` pickable or not; false for null.
VYR_MODELER_EXT_API bool SetEntityPickable(ENTITY* entity, bool pickable);
// True when `body` has been marked hatchable; its transparency (0 opaque .. 1) then goes to
// `transparency`, which is left alone otherwise. False for null.
VYR_MODELER_EXT_API bool IsBodyHatchable(const ENTITY* body, float& transparency);
// Marks `body` hatchable (with a transparency, clamped to [0, 1]; not-a-number gives 0) or not;
// false for null.
VYR_MODELER_EXT_API bool SetBodyHatchable(ENTITY* body, bool hatchable, float transparency = 0.0f);

}  // namespace VyrAcisExt
