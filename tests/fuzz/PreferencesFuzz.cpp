// Fuzz target: the preference file as an editor, a crash or another program may have left it. Each
// input becomes the preference file; every preference that its lines seem to name is read, which
// must leave the file exactly as it was. Then one preference is added: that write must succeed,
// must keep a faulty file aside whole, and must keep every preference that could be read, with
// exactly the value it had (so every value read survives its way through the text form).
#include "VyrPrefManager.h"

#include "FuzzSupport.h"
#include "TestResets.h"

#include "vyrwin_codec.h"

#include <dirent.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const size_t kMaxItems = 128;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string Trim(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

// A name as a line spells it, when it needs no decoding: UTF-8 without escapes.
bool PlainName(const std::string& text, CVyrString& name) {
    if (text.empty() || text.find('%') != std::string::npos || !vyrwin::IsUtf8(text.data(), text.size())) return false;
    name = CVyrString(vyrwin::WideFromUtf8(text));
    return true;
}

// The (group, key) pairs that the file's lines seem to name.
std::vector<std::pair<CVyrString, CVyrString>> Items(const std::string& text) {
    std::vector<std::pair<CVyrString, CVyrString>> items;
    CVyrString group;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && items.size() < kMaxItems) {
        line = Trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            if (!PlainName(Trim(line.substr(1, line.size() - 2)), group)) group.Empty();
            continue;
        }
        const size_t equals = line.find('=');
        CVyrString key;
        if (equals != std::string::npos && !group.IsEmpty() && PlainName(Trim(line.substr(0, equals)), key))
            items.emplace_back(group, key);
    }
    return items;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(d);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = vyrfuzz::ScratchFolder();
    static const std::string path = dir + "/preferences";
    static const bool once = setenv("VYR_PREFERENCES_FILE", path.c_str(), 1) == 0;
    if (!once) std::abort();
    vyrfuzz::EmptyFolder(dir);
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();
    const std::string input(reinterpret_cast<const char*>(data), size);
    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    CVyrPrefManager* prefs = CVyrPrefManager::GetInstance();

    const std::vector<std::pair<CVyrString, CVyrString>> items = Items(input);
    std::vector<CVyrPreference> before(items.size());
    std::vector<bool> present(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        present[i] = prefs->GetPreference(0, items[i].first, items[i].second, before[i]);
    if (ReadAll(path) != input) vyrfuzz::Fail("reading preferences changed the file");

    if (!prefs->AddPreference(0, L"VyrFuzzProbe", L"Written", CVyrPreference(7)))
        vyrfuzz::Fail("adding a preference to a writable file failed");
    for (const std::string& name : FilesIn(dir))
        if (name.rfind("preferences.corrupt-", 0) == 0 && ReadAll(dir + "/" + name) != input)
            vyrfuzz::Fail("the file kept aside is not the file as it was");

    VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);  // as a new process reads it
    int probe = 0;
    if (!prefs->GetValue(0, L"VyrFuzzProbe", L"Written", probe) || probe != 7)
        vyrfuzz::Fail("the added preference does not read back");
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].first == L"VyrFuzzProbe" && items[i].second == L"Written") continue;
        CVyrPreference after;
        const bool still = prefs->GetPreference(0, items[i].first, items[i].second, after);
        if (still != present[i]) vyrfuzz::Fail("a write made a preference appear or disappear");
        if (still && after != before[i]) vyrfuzz::Fail("a write changed the value of another preference");
    }
    return 0;
}
