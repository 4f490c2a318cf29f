// Fuzz target: the lights and material as lines of text that the host hands over (SetLights).
//
// Each input is split at its line feeds into lines (UTF-8, anything else decoded as the codec
// decodes it) that a new light list reads. The list must take exactly the first 94 lines and leave
// the rest, write no warning, pass the shared checks (LightsFuzz.h: no message box, values OpenGL
// accepts, its text reads back the same), and give the same lines again after another reading of
// its own text.
#include "LightsFuzz.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"

#include "vyrwin_codec.h"

#include <cstdint>
#include <deque>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vyrfuzz::LightsRegistry();
    vyrfuzz::WarningsFile();

    std::deque<std::wstring> lines;
    const char* text = reinterpret_cast<const char*>(data);
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n') ++end;
        lines.push_back(vyrwin::WideFromNarrow(text + start, end - start));
        start = end + 1;
    }
    const size_t count = lines.size();

    CDsLightList list;
    list.SetLights(&lines);
    if (lines.size() != (count > 94 ? count - 94 : 0)) vyrfuzz::Fail("another number of lines was taken than 94");
    if (vyrfuzz::TakeWarnings() != 0) vyrfuzz::Fail("a warning line for the host's lines");
    vyrfuzz::CheckLights(list);
    vyrfuzz::CheckRereads(list);

    std::deque<std::wstring> mine;
    list.GetLights(&mine);
    list.SetLights(&mine);
    CDsLightList copy;
    std::deque<std::wstring> again;
    list.GetLights(&again);
    copy.SetLights(&again);
    if (!vyrfuzz::SameLines(list, copy)) vyrfuzz::Fail("reading its own lines changed the list");
    return 0;
}
