// The export mark of the modeler library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_ACIS_API.
#pragma once

#define VYR_ACIS_API __attribute__((visibility("default")))
