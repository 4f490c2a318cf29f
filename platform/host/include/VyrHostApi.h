// The export mark of the host library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_HOST_API.
#pragma once

#define VYR_HOST_API __attribute__((visibility("default")))
