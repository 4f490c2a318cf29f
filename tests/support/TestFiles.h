// Scratch files for tests: a fresh folder per call, inside the running test's temporary folder of
// the build, so it goes when the test ends.
#pragma once

#include <string>

namespace vyrtest {

// A new empty folder (created) inside the running test's folder; its path has no trailing slash.
std::string ScratchDir();

// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// What the process writes to standard error (or output) from CaptureStderr on, given back and the
// stream put back by GetCapturedStderr. As gtest's own capture, but the bytes wait in a file of the
// running test's folder rather than in the system's temporary folder. One capture of each stream
// at a time.
void CaptureStderr();
std::string GetCapturedStderr();
// The same for standard output.
void CaptureStdout();
std::string GetCapturedStdout();

}  // namespace vyrtest
