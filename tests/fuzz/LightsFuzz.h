// What the fuzz targets of the light list share: a registry of the target's own (so that a new
// list reads the default files of the build's data folder, never a person's settings), a new list
// per input, and the checks that every list must pass whatever it was fed: no message box (the
// files exist), values that OpenGL accepts and that the display can hold (finite, at most 1e9 in
// size, ids 0 to 7, kinds 0 to 2, cutoffs 0 to 90 or 180, exponents 0 to 128, attenuations not
// negative), and text lines that read back into a new list as the same list.
#pragma once

#include "DsLightList.h"
#include "VyrString.h"

#include "FuzzSupport.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

namespace vyrfuzz {

// Points the registry at a file of the scratch folder (once), before the first list is made.
inline void LightsRegistry() {
    static const bool done = [] {
        setenv("VYR_REGISTRY_FILE", (ScratchFolder() + "/registry").c_str(), 1);
        return true;
    }();
    (void)done;
}

// The numbers of a text line after its first word, up to the first that is none.
inline std::vector<double> LineNumbers(const std::wstring& line) {
    std::vector<double> numbers;
    const wchar_t* p = line.c_str();
    while (*p && *p != L' ') ++p;
    for (;;) {
        wchar_t* end = nullptr;
        const double value = std::wcstod(p, &end);
        if (end == p) break;
        numbers.push_back(value);
        p = end;
    }
    return numbers;
}

// The checks on one list (see the header comment).
inline void CheckLights(const CDsLightList& list) {
    if (VyrGetMessageBoxCount() != 0) Fail("a message box although every file could be opened");
    std::deque<std::wstring> lines;
    list.GetLights(&lines);
    if (lines.size() != 94) Fail("the host's text is not 94 lines");
    if (!std::isfinite(list.GetAmbientLight()) || std::fabs(list.GetAmbientLight()) > 1e9)
        Fail("an ambient value out of range");
    for (int id = 0; id < eDsLightCount; ++id) {
        const CDsLight* light = list.GetLight(static_cast<EDsLightID>(id));
        std::deque<std::wstring> own;
        light->Get(&own);
        for (size_t i = 1; i < 9; ++i)
            for (double value : LineNumbers(own[i]))
                if (!std::isfinite(value) || std::fabs(value) > 1e9) Fail("a light holds a value out of range");
        int lightId = -1, on = -1, type = -1;
        long long colour = 0;
        if (std::swscanf(own[0].c_str(), L"Light %d On %d Type %d Color %lld", &lightId, &on, &type, &colour) != 4)
            Fail("the first line of a light does not read back");
        if (lightId < 0 || lightId > 7) Fail("a light id outside 0 to 7");
        if (on != 0 && on != 1) Fail("a switch other than 0 or 1");
        if (type < 0 || type > 2) Fail("a kind of light outside 0 to 2");
        float cutoff = 0, exponent = 0, attenuation[3];
        light->GetSpotProperties(cutoff, exponent);
        if (!(cutoff >= 0 && cutoff <= 90.0001f) && !(std::fabs(cutoff - 180) < 1e-3f)) Fail("a cutoff OpenGL refuses");
        if (!(exponent >= 0 && exponent <= 128)) Fail("a spot exponent OpenGL refuses");
        light->GetAttenuation(attenuation[0], attenuation[1], attenuation[2]);
        for (float a : attenuation)
            if (!(a >= 0)) Fail("a negative attenuation");
    }
}

// Whether two lists' text lines are equal; the spot cutoffs, kept in radians, within 1e-4 degrees.
inline bool SameLines(const CDsLightList& a, const CDsLightList& b) {
    std::deque<std::wstring> first, second;
    a.GetLights(&first);
    b.GetLights(&second);
    if (first.size() != second.size()) return false;
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i] == second[i]) continue;
        if (first[i].compare(0, 5, L"Spot ") != 0 || second[i].compare(0, 5, L"Spot ") != 0) return false;
        const std::vector<double> x = LineNumbers(first[i]), y = LineNumbers(second[i]);
        if (x.size() != 2 || y.size() != 2 || std::fabs(x[0] - y[0]) > 1e-4 || x[1] != y[1]) return false;
    }
    return true;
}

// The list's text lines read into a new list must give the same list, and leave nothing behind.
inline void CheckRereads(const CDsLightList& list) {
    std::deque<std::wstring> lines;
    list.GetLights(&lines);
    CDsLightList again;
    again.SetLights(&lines);
    if (!lines.empty()) Fail("reading the host's text leaves lines behind");
    if (!SameLines(list, again)) Fail("the host's text reads back as another list");
}

}  // namespace vyrfuzz
