// What every fuzz target shares: a scratch folder of its own and a way to stop
// the run on a wrong answer.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" void __sanitizer_report_error_summary(const char* summary);

namespace vyrfuzz {

// Stops the run on a wrong answer, so the fuzzer keeps the input. The message also
// goes to the sanitizers' report, which stays visible when the run discards the
// target's standard error (-close_fd_mask).
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "wrong answer: %s\n", what);
    std::string summary = std::string("wrong answer: ") + what;
    __sanitizer_report_error_summary(summary.c_str());
    std::abort();
}

// Removes every file in a folder (not sub-folders).
inline void EmptyFolder(const std::string& dir) {
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlink((dir + "/" + entry->d_name).c_str());
        }
        closedir(d);
    }
}

// A new folder for this process's scratch files ($TMPDIR or /tmp), emptied and
// removed when the process exits normally.
inline const std::string& ScratchFolder() {
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/vyr-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0])) {
            std::perror("cannot make a scratch folder");
            std::abort();
        }
        return pattern;
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            EmptyFolder(dir);
            rmdir(dir.c_str());
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

// Writes bytes to a file, replacing it; false when that fails.
inline bool WriteWholeFile(const std::string& path, const unsigned char* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

}  // namespace vyrfuzz
