// Export marker of the scene database library.
#pragma once

#ifndef VYR_SCENE_DB_API
#define VYR_SCENE_DB_API __attribute__((visibility("default")))
#endif
