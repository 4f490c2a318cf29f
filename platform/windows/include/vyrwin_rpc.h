// Unique identifiers: random (version 4) UUIDs and their text form.
#pragma once

#include "vyrwin_export.h"
#include "vyrwin_types.h"

#ifndef VYR_GUID_DEFINED
#define VYR_GUID_DEFINED
// A 128-bit identifier in its usual field layout.
struct GUID {
    uint32_t Data1;    // first 8 hex digits
    uint16_t Data2;    // next 4 hex digits
    uint16_t Data3;    // next 4 hex digits (the version in the top nibble)
    uint8_t Data4[8];  // last 16 hex digits, in byte order (the variant in Data4[0])
};
#endif
typedef GUID UUID;

// Status answered by the calls below.
typedef LONG RPC_STATUS;
// A string that UuidToStringW allocates and RpcStringFreeW releases (wide text).
typedef WCHAR* RPC_WSTR;

#ifndef RPC_S_OK
#define RPC_S_OK 0L
#endif
#define RPC_S_INVALID_ARG 87L
#define RPC_S_OUT_OF_MEMORY 14L
#define RPC_S_OUT_OF_RESOURCES 1721L

extern "C" {

// Fills *uuid with a random version-4 UUID from the kernel's random source.
// RPC_S_INVALID_ARG for null; RPC_S_OUT_OF_RESOURCES when no random bytes can be had.
VYR_WINAPI_EXPORT RPC_STATUS UuidCreate(UUID* uuid);

// Allocates the text "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" (lowercase hex, no
// braces) into *text; release it with RpcStringFreeW. RPC_S_INVALID_ARG for null.
VYR_WINAPI_EXPORT RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text);

// Releases a string from UuidToStringW and sets *text to null (a null *text is
// accepted). RPC_S_INVALID_ARG for a null text pointer.
VYR_WINAPI_EXPORT RPC_STATUS RpcStringFreeW(RPC_WSTR* text);

}
