// CDsDebugData: the process-wide debug values.
#include "DsDebugData.h"

namespace {

float sFloats[CDsDebugData::kFloatCount] = {0.0f, 0.0f, 0.0f};
bool sBooleans[CDsDebugData::kBooleanCount] = {false, false, false};

}  // namespace

float CDsDebugData::StGetFloat(int index)
{
    return index >= 0 && index < kFloatCount ? sFloats[index] : 0.0f;
}

void CDsDebugData::StSetFloat(int index, float value)
{
    if (index >= 0 && index < kFloatCount) sFloats[index] = value;
}

bool CDsDebugData::StGetBoolean(int index)
{
    return index >= 0 && index < kBooleanCount ? sBooleans[index] : false;
}

void CDsDebugData::StSetBoolean(int index, bool value)
{
    if (index >= 0 && index < kBooleanCount) sBooleans[index] = value;
}
