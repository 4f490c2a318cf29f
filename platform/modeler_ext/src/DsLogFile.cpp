// Append-only text logs.
#include "DsLogFile.h"

#include "VyrString.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path TemporaryFolder()
{
    if (const char* temp = std::getenv("TEMP"); temp != nullptr && *temp != '\0') return temp;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path() : folder;
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
