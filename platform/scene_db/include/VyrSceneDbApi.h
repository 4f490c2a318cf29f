// The export mark of the scene database library: built with hidden visibility, the library exports exactly
// what its public headers mark with VYR_SCENE_DB_API.
#pragma once

#define VYR_SCENE_DB_API __attribute__((visibility("default")))
