// CDsDebugData: tuning values that code under investigation reads and that a host (or a person
// supporting the display) may set: three process-wide floats and three process-wide booleans, all
// 0 (false) at start-up. Floats 0 and 1 are the versions of the vertex and fragment shader
// programs the scenes load (0 means version 1, a negative value no program of that kind).
#pragma once

#include <afx.h>

// The process-wide debug values.
class AFX_EXT_CLASS CDsDebugData {
public:
    // Number of debug floats.
    static constexpr int kFloatCount = 3;
    // Number of debug booleans.
    static constexpr int kBooleanCount = 3;

    // Debug float `index` (0 .. kFloatCount - 1); 0 for any other index.
    static float StGetFloat(int index);
    // Sets debug float `index`; nothing for an index outside 0 .. kFloatCount - 1.
    static void StSetFloat(int index, float value);
    // Debug boolean `index` (0 .. kBooleanCount - 1); false for any other index.
    static bool StGetBoolean(int index);
    // Sets debug boolean `index`; nothing for an index outside 0 .. kBooleanCount - 1.
    static void StSetBoolean(int index, bool value);
};
