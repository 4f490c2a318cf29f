// The export mark of the Windows stand-in library: built with hidden visibility, the library exports exactly
// what its public headers mark with VYR_WINAPI_EXPORT.
#pragma once

#define VYR_WINAPI_EXPORT __attribute__((visibility("default")))
