// Append-only text logs.
#include "DsLogFile.h"

#include "VyrString.h"

#include <windows.h>
#include <vyrwin_codec.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path TemporaryFolder()
{
    WCHAR buffer[4096];
    const DWORD length = GetTempPathW(4096, buffer);
    if (length == 0 || length >= 4096) return std::filesystem::path("/tmp");
    return std::filesystem::path(vyrwin::Utf8FromWide(buffer, length));
}

}  // namespace

CDsLogFile::CDsLogFile(const char* name)
{
    if (name == nullptr || *name == '\0') return;
    const std::filesystem::path given(name);
    m_path = (given.is_absolute() ? given : TemporaryFolder() / given).string();
}

bool CDsLogFile::WriteString(const CVyrString& text, bool newLine)
{
    if (m_path.empty()) return false;
    std::FILE* file = std::fopen(m_path.c_str(), "ab");
    if (file == nullptr) return false;
    const std::string bytes = std::string(text.GetMultiByte()) + (newLine ? "\n" : "");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
