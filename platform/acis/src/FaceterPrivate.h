// The faceter's shared state, seen by its own sources only.
#pragma once

#include "SpaFaceter.h"

namespace spa_faceter {

// The refinement faceting uses now (the one set, else the built-in default).
const REFINEMENT& DefaultRefinement();
// The registered mesh manager, or null.
MESH_MANAGER* MeshManager();

}  // namespace spa_faceter
