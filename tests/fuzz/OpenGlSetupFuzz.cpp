// Fuzz target: the section of a card in the OpenGL setup file ("OpenGlSetup.dat"), as a text
// editor, a crash or a copy from another machine may have left the file.
//
// Each input becomes the setup file; the section of a fixed card is read from it. The flags read
// must be those that a plain reading of the bytes finds (lines split at line feeds, a carriage
// return before the line feed and a leading byte-order mark dropped, lines over 1024 bytes or
// with control characters never counting), and one warning line must be written exactly when a
// line that was read had to be skipped.
#include "DsOpenGlSetup.h"
#include "VyrString.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char kCard[] = "Fuzz Vendor Fuzz Renderer 1.0";
const char kShift[] = "RASTER_SHIFT_X_1_COMMAND";
const size_t kMaxLine = 1024;

struct Line {
    std::string text;
    bool faulty;  // too long or binary: never counts
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
        bool faulty = text.size() > kMaxLine;
        for (unsigned char c : text) faulty |= c < 0x20 && c != '\t';
        lines.push_back({faulty ? std::string() : text, faulty});
        start = end + 1;
    }
    return lines;
}

bool IsComment(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos || text[first] == '#' || text[first] == ';';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/OpenGlSetup.dat";
    vyrfuzz::WarningsFile();
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    // The plain reading.
    unsigned int expectedFlags = 0;
    bool expectedWarning = false;
    bool inSection = false;
    for (const Line& line : Lines(data, size)) {
        if (line.faulty) {
            expectedWarning = true;
            continue;
        }
        if (!inSection) {
            inSection = line.text == kCard;
            continue;
        }
        if (line.text.empty()) break;
        if (line.text == kShift)
            expectedFlags |= CDsOpenGlSetup::kRasterShiftX1;
        else if (!IsComment(line.text))
            expectedWarning = true;
    }

    CStdioFile file;
    if (!file.Open(CStringW(path.c_str()), CFile::modeRead | CFile::typeText)) vyrfuzz::Fail("cannot open the file");
    const unsigned int flags = DsReadOpenGlSetupSection(file, CVyrString(kCard));
    file.Abort();
    if (flags != expectedFlags) vyrfuzz::Fail("the flags differ from those of a plain reading");
    const int warnings = vyrfuzz::TakeWarnings();
    if (warnings > 1) vyrfuzz::Fail("more than one warning line for one reading");
    if ((warnings == 1) != expectedWarning) vyrfuzz::Fail("a warning without a skipped line, or none for one");
    return 0;
}
