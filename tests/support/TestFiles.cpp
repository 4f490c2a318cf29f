#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace vyrtest {

std::string ScratchDir() {
    // The running test's own folder (tests/support/TestEnvironment.cpp), removed when it ends.
    const char* base = std::getenv("VYR_TEST_TMP");
    if (!base || !*base) throw std::runtime_error("the test harness named no temporary folder (VYR_TEST_TMP)");
    std::string pattern = std::string(base) + "/vyrtest-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder under " + std::string(base));
    return pattern;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

namespace {

// One stream's capture: the stream's descriptor points at a file until it is given back.
struct Capture {
    explicit Capture(int stream) : fd(stream) {}

    const int fd;        // the stream's descriptor (1 or 2)
    int saved = -1;      // where the stream pointed before
    std::string path;    // the file that holds what was written

    void Start() {
        if (saved != -1) throw std::logic_error("the stream is captured already");
        path = ScratchDir() + "/captured";
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (file == -1) throw std::runtime_error("cannot make " + path);
        std::fflush(nullptr);
        saved = dup(fd);
        dup2(file, fd);
        close(file);
    }

    std::string Stop() {
        if (saved == -1) throw std::logic_error("the stream is not captured");
        std::fflush(nullptr);
        dup2(saved, fd);
        close(saved);
        saved = -1;
        return ReadFileBytes(path);
    }
};

Capture gStdout(1);
Capture gStderr(2);

}  // namespace

void CaptureStderr() { gStderr.Start(); }
std::string GetCapturedStderr() { return gStderr.Stop(); }
void CaptureStdout() { gStdout.Start(); }
std::string GetCapturedStdout() { return gStdout.Stop(); }

}  // namespace vyrtest
