// Random UUIDs from the kernel's random source and their text form.

#include "vyrwin_rpc.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

static_assert(sizeof(UUID) == 16, "a UUID is 16 bytes without padding");

namespace {

// Reads from /dev/urandom: the fallback when the getrandom call is missing.
bool ReadUrandom(unsigned char* bytes, size_t count) {
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < count) {
        ssize_t got = read(fd, bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    close(fd);
    return done == count;
}

// Fills `bytes` with cryptographically strong random bytes.
bool RandomBytes(unsigned char* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t got = getrandom(bytes + done, count - done, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ReadUrandom(bytes, count);
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

extern "C" {

RPC_STATUS UuidCreate(UUID* uuid) {
    if (!uuid)
        return RPC_S_INVALID_ARG;
    unsigned char bytes[16];
    if (!RandomBytes(bytes, sizeof bytes)) {
        std::memset(uuid, 0, sizeof *uuid);
        return RPC_S_OUT_OF_RESOURCES;
    }
    std::memcpy(uuid, bytes, sizeof bytes);
    uuid->Data3 = static_cast<uint16_t>((uuid->Data3 & 0x0FFF) | 0x4000);   // version 4: random
    uuid->Data4[0] = static_cast<uint8_t>((uuid->Data4[0] & 0x3F) | 0x80);  // the standard variant
    return RPC_S_OK;
}

RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text) {
    if (!uuid || !text)
        return RPC_S_INVALID_ARG;
    char narrow[40];
    std::snprintf(narrow, sizeof narrow, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(uuid->Data1), static_cast<unsigned>(uuid->Data2),
                  static_cast<unsigned>(uuid->Data3), uuid->Data4[0], uuid->Data4[1], uuid->Data4[2],
                  uuid->Data4[3], uuid->Data4[4], uuid->Data4[5], uuid->Data4[6], uuid->Data4[7]);
    const size_t length = std::strlen(narrow);
    WCHAR* wide = static_cast<WCHAR*>(std::malloc((length + 1) * sizeof(WCHAR)));
    if (!wide) {
        *text = nullptr;
        return RPC_S_OUT_OF_MEMORY;
    }
    for (size_t i = 0; i <= length; ++i)
        wide[i] = static_cast<WCHAR>(narrow[i]);
    *text = wide;
    return RPC_S_OK;
}

RPC_STATUS RpcStringFreeW(RPC_WSTR* text) {
    if (!text)
        return RPC_S_INVALID_ARG;
    std::free(*text);
    *text = nullptr;
    return RPC_S_OK;
}

}
