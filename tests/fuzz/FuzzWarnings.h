// The display core's warnings file for fuzz targets: kept in the target's scratch folder and
// emptied after each input, so that a target can count the warning lines one input wrote and a
// long run does not fill the disk.
#pragma once

#include "FuzzSupport.h"

#include "DsGeometryComputer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vyrfuzz {

// Points the warnings file into the scratch folder (once).
inline const std::string& WarningsFile() {
    static const std::string path = [] {
        setenv("TMPDIR", ScratchFolder().c_str(), 1);
        unsetenv("TEMP");  // TEMP comes before TMPDIR
        return ScratchFolder() + "/DisplayDebugWarnings.txt";
    }();
    return path;
}

// The number of warning lines written since the last call; the file is emptied.
inline int TakeWarnings() {
    CDsGeometryComputer::FlushWarnings();
    int lines = 0;
    if (FILE* file = std::fopen(WarningsFile().c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) lines += c == '\n';
        std::fclose(file);
    }
    if (truncate(WarningsFile().c_str(), 0) != 0 && lines > 0) Fail("the warnings file cannot be emptied");
    return lines;
}

}  // namespace vyrfuzz
