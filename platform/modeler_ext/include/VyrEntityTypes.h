// Type codes of the extension library's entity and attribute classes (see the type scheme in
// SpaEntity.h). Attribute classes sit at level 2 (CVyrAttrBase) and 3 (its kinds), so
// find_attrib(entity, CVyrAttrBase_TYPE, <kind>_TYPE) finds them.
#pragma once

#include "SpaEntity.h"

// Base of the extension's attributes (level 2).
constexpr int CVyrAttrBase_TYPE = SPA_FIRST_EXTENSION_TYPE + 0;
// Slave attribute: marks an entity as the slave of a master entity (level 3).
constexpr int CVyrEntSlave_TYPE = SPA_FIRST_EXTENSION_TYPE + 1;
// Persistent id attribute (level 3).
constexpr int CVyrPidAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 2;
// Assembly node attribute (level 3).
constexpr int CVyrAsNode_TYPE = SPA_FIRST_EXTENSION_TYPE + 3;
// Visibility level attribute (level 3).
constexpr int CVyrVisibilityAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 4;
// Display-curve counts attribute (level 3).
constexpr int CVyrDispCurveAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 5;
// Pickable / hatchable marks (level 3).
constexpr int CVyrDisplayMarkAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 6;
// Copy record of a body copy (level 3).
constexpr int CVyrCopyAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 7;
// Lifetime watch of an entity (level 3; internal bookkeeping).
constexpr int CVyrWatchAtt_TYPE = SPA_FIRST_EXTENSION_TYPE + 8;

// A point entity (level 1).
constexpr int CVyrPoint_TYPE = SPA_FIRST_EXTENSION_TYPE + 20;
// A coordinate-system entity (level 1).
constexpr int CVyrWCS_TYPE = SPA_FIRST_EXTENSION_TYPE + 21;
// An instance entity: transformed copies of bodies (level 1).
constexpr int CVyrEntInstance_TYPE = SPA_FIRST_EXTENSION_TYPE + 22;
// A group entity: entities sharing a transform (level 1).
constexpr int CVyrEntGroup_TYPE = SPA_FIRST_EXTENSION_TYPE + 23;
// The base of the application's entities that show themselves as figures (level 1; its kinds
// derive from it at level 2).
constexpr int CVyrEntBase_TYPE = SPA_FIRST_EXTENSION_TYPE + 24;
