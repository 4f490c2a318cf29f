// The display preferences and setup files: what a document activation or a preference dialog
// costs (the general update: UCS size, the three colours into both families of special sets;
// one background), and reading the setup files at their largest plausible size (a data file of
// 10,000 lines with the wanted name last, a setup file of 1,000 cards with the wanted one last).
// The preferences live in a scratch file of a scratch folder.
#include "DsBackground.h"
#include "DsOpenGlSetup.h"
#include "DsPreferencesServices.h"
#include "VyrPrefManager.h"
#include "VyrString.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A scratch folder with a preference file of the display's colours and sizes.
const std::string& Folder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vyr-bench-prefs-XXXXXX";
        if (!mkdtemp(&pattern[0])) std::abort();
        setenv("TMPDIR", pattern.c_str(), 1);  // warnings, if any, stay in the folder
        const std::string prefs = pattern + "/ZorbelanE.prf";
        std::ofstream(prefs) << "VYR-PREFERENCES 1\n[General]\nUcsSize = INT 2\n"
                                "Highlight_Color = COLOR 0 255 0\nSelect_Color = COLOR 0 191 94\n"
                                "Highlight_Select_Color = COLOR 255 153 26\nModeler = COLOR 40 40 60\n"
                                "ModelerGradient = COLOR 200 200 220\nModelerGradientExist = INT 1\n";
        setenv("VYR_PREFERENCES_FILE", prefs.c_str(), 1);
        return pattern;
    }();
    return folder;
}

void BM_GeneralPreferenceUpdate(benchmark::State& state)
{
    Folder();
    CDsPreferencesServices services;
    for (auto _ : state) services.UpdateGeneralPreferences(false);
}
BENCHMARK(BM_GeneralPreferenceUpdate);

void BM_Background(benchmark::State& state)
{
    Folder();
    CDsPreferencesServices services;
    CDsBackground background;
    for (auto _ : state) {
        services.GetBackgroundColor(eDsDocumentTypeModeler, background);
        benchmark::DoNotOptimize(background);
    }
}
BENCHMARK(BM_Background);

void BM_DataFileSearch(benchmark::State& state)
{
    const std::string path = Folder() + "/DisplayAutoSetup.dat";
    {
        std::ofstream out(path);
        for (int i = 0; i < 10000; ++i) out << "Setting" << i << ' ' << i << '\n';
        out << "AutoUseOpenGLDisplayList 1\n";
    }
    CDsPreferencesServices services;
    CVyrString name(L"AutoUseOpenGLDisplayList");
    for (auto _ : state) {
        CStdioFile file;
        if (!file.Open(CStringW(path.c_str()), CFile::modeRead | CFile::typeText)) {
            state.SkipWithError("cannot open the data file");
            return;
        }
        int value = 0;
        if (!services.SearchForAutoSetupFlags(&file, name, value)) state.SkipWithError("name not found");
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_DataFileSearch)->Unit(benchmark::kMicrosecond);

void BM_SetupFileSection(benchmark::State& state)
{
    const std::string path = Folder() + "/OpenGlSetup.dat";
    {
        std::ofstream out(path);
        for (int i = 0; i < 1000; ++i) out << "Vendor " << i << " Renderer " << i << "\nRASTER_SHIFT_X_1_COMMAND\n\n";
        out << "Bench Vendor Bench Renderer\nRASTER_SHIFT_X_1_COMMAND\n";
    }
    const CVyrString card(L"Bench Vendor Bench Renderer");
    for (auto _ : state) {
        CStdioFile file;
        if (!file.Open(CStringW(path.c_str()), CFile::modeRead | CFile::typeText)) {
            state.SkipWithError("cannot open the setup file");
            return;
        }
        if (DsReadOpenGlSetupSection(file, card) != CDsOpenGlSetup::kRasterShiftX1) state.SkipWithError("no flag");
    }
}
BENCHMARK(BM_SetupFileSection)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
