// The export mark of the modeler extension library: built with hidden visibility, the library exports exactly
// what its public headers mark with VYR_MODELER_EXT_API.
#pragma once

#define VYR_MODELER_EXT_API __attribute__((visibility("default")))
