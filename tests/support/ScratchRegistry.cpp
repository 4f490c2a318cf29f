#include "ScratchRegistry.h"

#include "TestFiles.h"

namespace vyrtest {

ScratchRegistry::ScratchRegistry()
    : dir_(ScratchDir()), file_(dir_ + "/registry"), env_("VYR_REGISTRY_FILE", file_.c_str()) {}

}  // namespace vyrtest
