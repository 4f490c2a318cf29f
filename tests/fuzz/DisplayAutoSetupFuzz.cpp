// Fuzz target: the display's data file "DisplayAutoSetup.dat", as a text editor, a crash or
// another program may have left it.
//
// Each input becomes the file, which is searched for one name again and again until the search
// fails: each search must answer the integer of the next line that gives that name and an
// integer (as "%s %d" reads it: blanks, a name of up to 255 bytes, blanks, a signed integer of 32
// bits), in the order of the file, and must write one warning line exactly when it skipped a line
// that is neither blank, nor a comment, nor a name with an integer.
#include "DsPreferencesServices.h"
#include "VyrString.h"

#include "FuzzSupport.h"
#include "FuzzWarnings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char kName[] = "AutoUseOpenGLDisplayList";
const size_t kMaxLine = 1024;
const size_t kMaxName = 255;

// A line as "%s %d" reads it; false when it gives no name and integer in range.
bool Parse(const std::string& text, std::string& name, long long& value) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    const size_t nameEnd = std::min(text.find_first_of(" \t", i), text.size());
    name = text.substr(i, nameEnd - i);
    if (name.size() > kMaxName) return false;
    i = text.find_first_not_of(" \t", nameEnd);
    if (i == std::string::npos) return false;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return false;
    }
    if (negative) value = -value;
    return value >= -2147483648LL && value <= 2147483647LL;
}

bool IsComment(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos || text[first] == '#' || text[first] == ';';
}

// What each search should find, and whether it should warn: one entry per successful search
// and a last one for the search that fails.
struct Search {
    bool found;
    int value;
    bool warns;
};

std::vector<Search> Expected(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::vector<Search> searches;
    bool warns = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string text = bytes.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        bool faulty = text.size() > kMaxLine;
        for (unsigned char c : text) faulty |= c < 0x20 && c != '\t';
        std::string name;
        long long value = 0;
        if (faulty || (!IsComment(text) && !Parse(text, name, value))) {
            warns = true;
            continue;
        }
        if (!IsComment(text) && name == kName) {
            searches.push_back({true, static_cast<int>(value), warns});
            warns = false;
        }
    }
    searches.push_back({false, 0, warns});
    return searches;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/DisplayAutoSetup.dat";
    vyrfuzz::WarningsFile();
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();

    CStdioFile file;
    if (!file.Open(CStringW(path.c_str()), CFile::modeRead | CFile::typeText)) vyrfuzz::Fail("cannot open the file");
    CDsPreferencesServices services;
    CVyrString name(kName);
    for (const Search& expected : Expected(data, size)) {
        int value = 0x5A5A5A5A;
        const bool found = services.SearchForAutoSetupFlags(&file, name, value);
        if (found != expected.found) vyrfuzz::Fail("a search finds another line than a plain reading");
        if (found && value != expected.value) vyrfuzz::Fail("a search answers another integer");
        if (!found && value != 0x5A5A5A5A) vyrfuzz::Fail("a failed search changed the value");
        const int warnings = vyrfuzz::TakeWarnings();
        if (warnings > 1) vyrfuzz::Fail("more than one warning line for one search");
        if ((warnings == 1) != expected.warns) vyrfuzz::Fail("a warning without a skipped line, or none for one");
    }
    file.Abort();
    return 0;
}
