// A registry of its own for one test: the store file that VYR_REGISTRY_FILE names is a new one in
// a scratch folder while the object lives, and the variable is back as it was afterwards, so no
// test reads what another one wrote.
#pragma once

#include "ScopedEnv.h"

#include <string>

namespace vyrtest {

class ScratchRegistry {
public:
    // A new scratch folder; the store file in it does not exist until something is written.
    ScratchRegistry();

    // The scratch folder (no trailing slash) and the store file in it.
    const std::string& Dir() const { return dir_; }
    const std::string& File() const { return file_; }

    // Points the registry at another store file for the rest of the scope.
    void Use(const std::string& file) { env_.Set(file.c_str()); }

private:
    std::string dir_;
    std::string file_;
    ScopedEnv env_;
};

}  // namespace vyrtest
