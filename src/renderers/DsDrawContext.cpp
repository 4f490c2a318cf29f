#include "DsDrawContext.h"

#include "DsBox.h"
#include "DsView3dCdc.h"
#include "VyrCommandLineParser.h"
#include "VyrRegistry.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <string>

namespace {

// A parameter's registry value name and built-in text.
struct SParameter {
    const wchar_t* name;
    const wchar_t* text;
};
const SParameter kParameters[6] = {{L"FRAH_LowBoundFPS", L"15"},     {L"FRAH_UpperBoundFPS", L"35"},
                                   {L"FRAH_IncrFactor", L"1.25"},    {L"FRAH_DecrFactor", L"0.9"},
                                   {L"FRAH_MaxDiagonal", L"50"},     {L"FRAH_FirstTryMaxDiagonal", L"10"}};
const wchar_t* const kGeneration = L"FRAH_FRDGenNum_not_for_use";
constexpr float kRootBase = 50.0f;

// A number of a parameter's text, as a wide text-to-double conversion reads it (0 for none).
double ToNumber(const std::wstring& text)
{
    return std::wcstod(text.c_str(), nullptr);
}

// The text of value `name`, false when it cannot be read as text.
bool ReadText(HKEY key, const wchar_t* name, std::wstring& text)
{
    BYTE buffer[520] = {};
    DWORD type = 0, size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, buffer, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
    const auto* chars = reinterpret_cast<const wchar_t*>(buffer);
    text.assign(chars, wcsnlen(chars, size / sizeof(wchar_t)));
    return true;
}

void WriteText(HKEY key, const wchar_t* name, const wchar_t* text)
{
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

// The six parameter texts: built in, or from the registry when the switch asks for it.
void ReadTexts(std::wstring texts[6])
{
    for (int i = 0; i < 6; ++i) texts[i] = kParameters[i].text;
    if (!CVyrCommandLineParser::GetInstance()->GetParamExists(L"EditFRAHParams")) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring generation;
    if (ReadText(key, kGeneration, generation) && generation == L"1") {
        for (int i = 0; i < 6; ++i) {
            std::wstring text;
            if (ReadText(key, kParameters[i].name, text)) texts[i] = text;
        }
    } else {
        WriteText(key, kGeneration, L"1");
        for (const SParameter& parameter : kParameters) WriteText(key, parameter.name, parameter.text);
        RegFlushKey(key);
    }
    RegCloseKey(key);
}

}  // namespace

CDsDrawContext::CDsDrawContext(view3d* view, bool autoHideOn, double scale) : autoHide(autoHideOn), precision(scale)
{
    if (!view) return;
    fastRefresh = view->GetFlag(eDsViewFlagFastRefresh);
    documentFlag1 = view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1));
    frameRate = fastRefresh ? view->GetLastZprFPS() : view->GetLastFPS();
}

void DsFrahReadParameters(float& lowBound, float& upperBound, float& increase, float& decrease, float& rootBase,
                          int& largest, int& largestFirst)
{
    std::wstring texts[6];
    ReadTexts(texts);
    lowBound = static_cast<float>(ToNumber(texts[0]));
    upperBound = static_cast<float>(ToNumber(texts[1]));
    increase = static_cast<float>(ToNumber(texts[2]));
    decrease = static_cast<float>(ToNumber(texts[3]));
    rootBase = kRootBase;
    largest = static_cast<int>(ToNumber(texts[4]));
    largestFirst = static_cast<int>(ToNumber(texts[5]));
}

float DsFrahFirstThreshold(view3d* view, const CDsBox& sceneBox, float mid, float base, int largestFirst)
{
    if (!view) return 0.0f;
    const float rate = view->GetLastFPS();
    if (rate >= mid) return 0.0f;
    const double upp = view->get_units_per_pixel();
    if (sceneBox.IsNotComputed() || !(upp > 0.0)) return 0.0f;
    const float* low = sceneBox.GetMin();
    const float* high = sceneBox.GetMax();
    const double dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz) / upp;
    const double t = std::pow(std::pow(d, 1.0 / base), static_cast<double>(mid - rate));
    return static_cast<float>(std::min(t, static_cast<double>(largestFirst)));
}

float DsFrahUpdateThreshold(view3d* view, const CDsDrawContext& record, const CDsBox& sceneBox)
{
    float low = 0, upper = 0, increase = 0, decrease = 0, base = 0;
    int largest = 0, largestFirst = 0;
    DsFrahReadParameters(low, upper, increase, decrease, base, largest, largestFirst);
    if (!record.fastRefresh || !record.autoHide || !view) return 0.0f;
    if (record.frameRate < 0.0f) return DsFrahFirstThreshold(view, sceneBox, low + (upper - low) * 0.5f, base, largestFirst);
    float t = view->GetMaxDiagonalSizeForFastRefresh();
    if (record.frameRate < low)
        t *= increase;
    else if (record.frameRate > upper)
        t *= decrease;
    return std::min(t, static_cast<float>(largest));
}

namespace {

CDsFrahFrameScope* sOpenFrame = nullptr;  // the innermost open frame scope

}  // namespace

CDsFrahFrameScope::CDsFrahFrameScope(view3d* view) : m_view(view), m_outer(sOpenFrame)
{
    sOpenFrame = this;
}

CDsFrahFrameScope::~CDsFrahFrameScope()
{
    sOpenFrame = m_outer;
}

float DsFrahFrameThreshold(view3d* view, const CDsDrawContext& record, const CDsBox& sceneBox)
{
    // The outermost open scope of the view holds its frame: an inner one of the same view joins it.
    CDsFrahFrameScope* frame = nullptr;
    for (CDsFrahFrameScope* scope = sOpenFrame; view && scope; scope = scope->m_outer)
        if (scope->m_view == view) frame = scope;
    if (!frame) return DsFrahUpdateThreshold(view, record, sceneBox);
    if (!frame->m_known) {
        frame->m_threshold = DsFrahUpdateThreshold(view, record, sceneBox);
        frame->m_known = true;
    }
    return frame->m_threshold;
}
