// Fuzz target: the material file ("Default.material" of the data folder, or any file the host
// names), as a text editor, a crash or another program may have left it.
//
// Each input becomes the file, which a new light list loads. The five material bytes must be
// those of a plain reading of the bytes: the first line is a title; each of the next five gives
// one byte, in the order ambient, diffuse, specular, shininess, emission, as a label word of at
// most 31 characters and an integer (its low byte; 0 when the line holds no such word and number;
// the byte kept for a number beyond 32 bits or a line that is not there). Lines split at line
// feeds, a carriage return before one and a leading byte-order mark dropped; a line over 1024
// bytes reads as empty; a line with control characters other than tabs (in its first 1025 bytes)
// among the six is no line of a material file, and the file is refused whole (the five bytes as
// they were). One warning line
// must be written exactly when one of the lines read was faulty, and the file must stay as it was.
#include "DsLightList.h"
#include "VyrString.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"
#include "LightsFuzz.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const size_t kMaxLine = 1024;
const uint8_t kStart[5] = {255, 190, 128, 10, 0};

struct Line {
    std::string text;
    bool faulty;  // too long or binary: read as empty
    bool binary;  // a control character other than a tab
};

std::vector<Line> Lines(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::vector<Line> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        // The reader looks at the bytes it keeps of a line, one more than the longest it takes.
        bool binary = false;
        for (unsigned char c : text.substr(0, kMaxLine + 1)) binary |= c < 0x20 && c != '\t';
        const bool faulty = binary || text.size() > kMaxLine;
        lines.push_back({faulty ? std::string() : text, faulty, binary});
        start = end + 1;
    }
    return lines;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// One material line: false when it gives no word and number in range; `byte` as it should become.
bool ReadByte(const std::string& text, uint8_t& byte) {
    size_t i = 0;
    while (i < text.size() && Blank(text[i])) ++i;
    const size_t word = i;
    while (i < text.size() && !Blank(text[i])) ++i;
    if (i == word || i - word > 31) {
        byte = 0;
        return false;
    }
    while (i < text.size() && Blank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t digits = i;
    long long value = 0;
    bool large = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (!large) value = value * 10 + (text[i] - '0');
        large = large || value > 2147483648LL;
    }
    if (i == digits) {
        byte = 0;
        return false;
    }
    if (negative) value = -value;
    if (large || value > 2147483647LL || value < -2147483648LL) return false;
    byte = static_cast<uint8_t>(static_cast<unsigned long long>(value) & 0xFF);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/in.material";
    vyrfuzz::LightsRegistry();
    vyrfuzz::WarningsFile();
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    // The plain reading.
    uint8_t expected[5] = {kStart[0], kStart[1], kStart[2], kStart[3], kStart[4]};
    bool expectedWarning = false;
    const std::vector<Line> lines = Lines(data, size);
    bool refused = false;
    for (size_t i = 0; i < lines.size() && i < 6 && !refused; ++i) {
        expectedWarning |= lines[i].faulty;
        refused = lines[i].binary;
        if (!refused && i > 0 && !ReadByte(lines[i].text, expected[i - 1])) expectedWarning = true;
    }
    if (refused)
        for (int i = 0; i < 5; ++i) expected[i] = kStart[i];

    CDsLightList list;
    if (vyrfuzz::TakeWarnings() != 0) vyrfuzz::Fail("the default files are faulty");
    list.LoadMaterial(CVyrString(path.c_str()));
    CDsMaterialStorage material;
    list.GetMaterial(material);
    uint8_t got[5];
    material.GetData(got[0], got[1], got[2], got[3], got[4]);
    for (int i = 0; i < 5; ++i)
        if (got[i] != expected[i]) vyrfuzz::Fail("a material byte differs from a plain reading");
    const int warnings = vyrfuzz::TakeWarnings();
    if (warnings > 1) vyrfuzz::Fail("more than one warning line for one reading");
    if ((warnings == 1) != expectedWarning) vyrfuzz::Fail("a warning without a faulty line, or none for one");
    vyrfuzz::CheckLights(list);
    vyrfuzz::CheckRereads(list);
    return 0;
}
