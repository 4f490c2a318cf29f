// CDsDebugData: the process-wide debug values.
#include "DsDebugData.h"

namespace {

float sFloats[CDsDebugData::kFloatCount] = {0.0f, 0.0f, 0.0f};

}  // namespace

float CDsDebugData::StGetFloat(int index)
{
    return index >= 0 && index < kFloatCount ? sFloats[index] : 0.0f;
}

void CDsDebugData::StSetFloat(int index, float value)
{
    if (index >= 0 && index < kFloatCount) sFloats[index] = value;
}
