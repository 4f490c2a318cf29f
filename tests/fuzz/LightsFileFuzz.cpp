// Fuzz target: the lights file ("Default.lights" of the data folder, or any file the host names),
// as a text editor, a crash or another program may have left it.
//
// Each input becomes the file, which a new light list loads. The list must pass the shared checks
// (LightsFuzz.h: no message box, values OpenGL accepts, its text reads back the same), write at
// most one warning line, and leave the file as it was. What it then saves must load into another
// new list as the same list: whatever a file gave, the file form keeps it.
#include "LightsFuzz.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/in.lights";
    static const std::string saved = vyrfuzz::ScratchFolder() + "/saved.lights";
    vyrfuzz::LightsRegistry();
    vyrfuzz::WarningsFile();
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    CDsLightList list;
    if (vyrfuzz::TakeWarnings() != 0) vyrfuzz::Fail("the default files are faulty");
    list.LoadLights(CVyrString(path.c_str()));
    if (vyrfuzz::TakeWarnings() > 1) vyrfuzz::Fail("more than one warning line for one reading");
    if (ReadAll(path) != std::string(reinterpret_cast<const char*>(data), size)) vyrfuzz::Fail("the file was changed");
    vyrfuzz::CheckLights(list);
    vyrfuzz::CheckRereads(list);

    list.SaveLights(CVyrString(saved.c_str()));
    CDsLightList again;
    again.LoadLights(CVyrString(saved.c_str()));
    if (vyrfuzz::TakeWarnings() != 0) vyrfuzz::Fail("a saved file reads with a warning");
    if (!vyrfuzz::SameLines(list, again)) vyrfuzz::Fail("a saved file loads as another list");
    vyrfuzz::CheckLights(again);
    return 0;
}
