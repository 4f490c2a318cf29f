// A second process for the preference tests. Works on the application's preferences (document 0)
// of the store file that VYR_PREFERENCES_FILE names:
//   probe add <group> <key> <type> <value>     makes the preference exist with that value
//   probe set <group> <key> <type> <value>     writes a present preference
//   probe expect <group> <key> <type> <value>  checks that the preference holds exactly that
//   probe absent <group> <key>                 checks that the preference is absent
//   probe fill <group> <prefix> <count>        adds INT <prefix><i> = i, i < count
// Types: INT, REAL, BOOL (true or false), COLOR (r,g,b) and TEXT. Names and texts are UTF-8.
// Exit status: 0 done or matching, 1 a value differs, 2 a call failed or bad usage.
#include "VyrPrefManager.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool MakeValue(const std::string& type, const std::string& text, CVyrPreference& value) {
    if (type == "INT") {
        value = CVyrPreference(std::atoi(text.c_str()));
    } else if (type == "REAL") {
        value = CVyrPreference(std::strtod(text.c_str(), nullptr));
    } else if (type == "BOOL") {
        value = CVyrPreference(text == "true");
    } else if (type == "COLOR") {
        int r = 0, g = 0, b = 0;
        if (std::sscanf(text.c_str(), "%d,%d,%d", &r, &g, &b) != 3) return false;
        value = CVyrPreference(CVyrRgbColor(BYTE(r), BYTE(g), BYTE(b)));
    } else if (type == "TEXT") {
        value = CVyrPreference(CVyrString(text.c_str()));
    } else {
        return false;
    }
    return true;
}

int Fail(const char* what) {
    std::fprintf(stderr, "preference probe: %s failed\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string command = argv[1];
    const CVyrString group(argv[2]);
    CVyrPrefManager* prefs = CVyrPrefManager::GetInstance();
    if (command == "absent" && argc == 4) return prefs->IsPresent(0, group, CVyrString(argv[3])) ? 1 : 0;
    if (command == "fill" && argc == 5) {
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            const CVyrString key = CVyrString(argv[3]) + CVyrString(std::to_string(i));
            if (!prefs->AddPreference(0, group, key, CVyrPreference(i))) return Fail("AddPreference");
        }
        return 0;
    }
    if (argc != 6) return 2;
    const CVyrString key(argv[3]);
    CVyrPreference value;
    if (!MakeValue(argv[4], argv[5], value)) return 2;
    if (command == "add") return prefs->AddPreference(0, group, key, value) ? 0 : Fail("AddPreference");
    if (command == "set") return prefs->SetPreference(0, group, key, value) ? 0 : Fail("SetPreference");
    if (command == "expect") {
        CVyrPreference stored;
        if (!prefs->GetPreference(0, group, key, stored)) return Fail("GetPreference");
        return stored == value ? 0 : 1;
    }
    return 2;
}
