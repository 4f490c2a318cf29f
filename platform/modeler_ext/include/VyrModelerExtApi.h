// The export mark of the modeler extension library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_MODELER_EXT_API.
#pragma once

#define VYR_MODELER_EXT_API __attribute__((visibility("default")))
