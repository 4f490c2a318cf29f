// The export mark of the services library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_SERVICES_API.
#pragma once

#define VYR_SERVICES_API __attribute__((visibility("default")))
