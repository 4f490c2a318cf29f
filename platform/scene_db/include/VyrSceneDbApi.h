// The export mark of the scene database library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_SCENE_DB_API.
#pragma once

#define VYR_SCENE_DB_API __attribute__((visibility("default")))
