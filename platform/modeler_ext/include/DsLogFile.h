// CDsLogFile: a text log to which lines are appended, one open-append-close per line so that
// nothing is lost when the process ends abruptly and no file stays open between writes.
//
// A relative name is placed in the temporary folder of the Windows layer (GetTempPathW: TEMP,
// else TMPDIR, else /tmp; never the current folder), the one rule of every temporary file. An
// absolute name is used as it is. Text is written as UTF-8.
#pragma once

#include "VyrModelerExtApi.h"

#include <string>

class CVyrString;

// A log file.
class VYR_MODELER_EXT_API CDsLogFile {
public:
    // The log named `name` (null or empty: no file; every write then fails).
    explicit CDsLogFile(const char* name);

    // Appends `text` and, with `newLine`, a line feed. False when the file cannot be opened or
    // written (nothing is raised).
    bool WriteString(const CVyrString& text, bool newLine = true);
    // The full path the log writes to (empty when it has no name).
    const std::string& GetPath() const { return m_path; }

private:
    std::string m_path;
};
