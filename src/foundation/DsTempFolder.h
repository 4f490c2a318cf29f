// The temporary folder as UTF-8 bytes for the runtime's file calls: the Windows layer's
// GetTempPathW, the one rule every writer of temporary files follows (TEMP, else TMPDIR, else
// /tmp), with a '/' at its end. Internal to the core.
#pragma once

#include <windows.h>

#include <vyrwin_codec.h>

#include <string>

namespace dscore {

// The temporary folder, ending in '/'.
inline std::string TempFolder()
{
    std::wstring buffer(1024, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
    if (length >= buffer.size()) {
        buffer.assign(length, L'\0');
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
    }
    if (length == 0 || length >= buffer.size()) return "/tmp/";
    return vyrwin::Utf8FromWide(buffer.data(), length);
}

}  // namespace dscore
