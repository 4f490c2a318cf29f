// The export mark of the services library: built with hidden visibility, the library exports exactly
// what its public headers mark with VYR_SERVICES_API.
#pragma once

#define VYR_SERVICES_API __attribute__((visibility("default")))
