// Scratch files for tests: a fresh folder per call, under the build's test folder.
#pragma once

#include <string>

namespace vyrtest {

// A new empty folder (created) for one test; its path has no trailing slash.
std::string ScratchDir();

// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace vyrtest
