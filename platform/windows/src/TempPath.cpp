// The temporary folder: one rule for every writer of temporary files.
#include "WinInternal.h"

#include "vyrwin_codec.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// The folder an environment variable names, when it names an absolute one.
bool AbsoluteFolder(const char* variable, std::string& folder)
{
    const char* value = std::getenv(variable);
    if (!value || value[0] != '/') return false;
    folder = value;
    return true;
}

}  // namespace

extern "C" DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer)
{
    std::string folder;
    if (!AbsoluteFolder("TEMP", folder) && !AbsoluteFolder("TMPDIR", folder)) folder = "/tmp";
    if (folder.back() != '/') folder += '/';
    const std::wstring wide = vyrwin::WideFromUtf8(folder);
    const DWORD needed = static_cast<DWORD>(wide.size() + 1);
    if (!buffer || bufferLength < needed) return needed;
    std::wmemcpy(buffer, wide.c_str(), wide.size() + 1);
    return needed - 1;
}
