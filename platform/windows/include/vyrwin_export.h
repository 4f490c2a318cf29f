// The export mark of the Windows stand-in library. The library is built with hidden visibility and
// exports exactly what its public headers mark with VYR_WINAPI_EXPORT.
#pragma once

#define VYR_WINAPI_EXPORT __attribute__((visibility("default")))
