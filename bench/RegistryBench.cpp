// The registry over a store of 500 values: reading one value through an open handle, opening a
// key and reading from it, and writing one value. The store lives in a scratch file that
// VYR_REGISTRY_FILE names, so the user's own registry is never touched.
//
// "Settled" reads measure a store whose last change is more than a few seconds old (the common
// case: settings written once, read at every start-up and redraw); "fresh" reads come right
// after a write, while a change within the file system's timestamp granularity could still hide.
#include "windows.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kValues = 500;
const wchar_t* const kKey = L"Software\\Vyr\\Bench";

// The scratch folder, removed when the benchmark ends.
struct ScratchFolder {
    std::string path;
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
} gScratch;

// A scratch store filled with kValues REG_DWORD values, made once per process.
void PrepareStore()
{
    static bool ready = [] {
        char folder[] = "/tmp/vyr-registry-bench-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        gScratch.path = folder;
        const std::string file = gScratch.path + "/registry";
        setenv("VYR_REGISTRY_FILE", file.c_str(), 1);
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            std::abort();
        for (int i = 0; i < kValues; ++i) {
            const std::wstring name = L"Value" + std::to_wstring(i);
            const DWORD value = static_cast<DWORD>(i);
            if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof value) != ERROR_SUCCESS)
                std::abort();
        }
        RegCloseKey(key);
        return true;
    }();
    (void)ready;
}

HKEY OpenBenchKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) std::abort();
    return key;
}

// Lets the store's last change age past the file system's timestamp granularity.
void LetTheStoreSettle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
}

void QueryOne(benchmark::State& state, HKEY key)
{
    int i = 0;
    for (auto _ : state) {
        const std::wstring name = L"Value" + std::to_wstring(i++ % kValues);
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            state.SkipWithError("query failed");
        benchmark::DoNotOptimize(value);
    }
}

void BM_QuerySettled(benchmark::State& state)
{
    PrepareStore();
    LetTheStoreSettle();
    HKEY key = OpenBenchKey();
    QueryOne(state, key);
    RegCloseKey(key);
}
BENCHMARK(BM_QuerySettled)->Unit(benchmark::kMicrosecond);

void BM_OpenQueryCloseSettled(benchmark::State& state)
{
    PrepareStore();
    LetTheStoreSettle();
    int i = 0;
    for (auto _ : state) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            state.SkipWithError("open failed");
        const std::wstring name = L"Value" + std::to_wstring(i++ % kValues);
        DWORD value = 0;
        DWORD size = sizeof value;
        RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_OpenQueryCloseSettled)->Unit(benchmark::kMicrosecond);

void BM_QueryFresh(benchmark::State& state)
{
    PrepareStore();
    HKEY key = OpenBenchKey();
    const DWORD marker = 1;
    if (RegSetValueExW(key, L"Marker", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&marker), sizeof marker) !=
        ERROR_SUCCESS)
        state.SkipWithError("write failed");
    QueryOne(state, key);
    RegCloseKey(key);
}
BENCHMARK(BM_QueryFresh)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

void BM_SetValue(benchmark::State& state)
{
    PrepareStore();
    HKEY key = OpenBenchKey();
    DWORD value = 0;
    for (auto _ : state) {
        ++value;
        if (RegSetValueExW(key, L"Value7", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
            ERROR_SUCCESS)
            state.SkipWithError("write failed");
    }
    RegCloseKey(key);
}
BENCHMARK(BM_SetValue)->Unit(benchmark::kMicrosecond);

// The first read of a store whose one key holds `state.range(0)` values (a file written by hand or
// by another program): the whole file is parsed. Two such files are read in turn so that every
// read finds the store changed.
void BM_ParseLargeKey(benchmark::State& state)
{
    PrepareStore();
    const int count = static_cast<int>(state.range(0));
    std::string text = "VYR-REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\Large]\n";
    for (int i = 0; i < count; ++i) text += "\"Value" + std::to_string(i) + "\"=REG_DWORD:01 00 00 00\n";
    const std::string files[2] = {gScratch.path + "/large-a", gScratch.path + "/large-b"};
    for (const std::string& file : files) {
        FILE* out = std::fopen(file.c_str(), "wb");
        if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size()) std::abort();
        std::fclose(out);
    }
    const std::string saved = std::getenv("VYR_REGISTRY_FILE");
    int turn = 0;
    for (auto _ : state) {
        setenv("VYR_REGISTRY_FILE", files[turn++ % 2].c_str(), 1);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Large", 0, KEY_READ, &key) != ERROR_SUCCESS)
            state.SkipWithError("open failed");
        DWORD value = 0;
        DWORD size = sizeof value;
        RegQueryValueExW(key, L"Value0", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        benchmark::DoNotOptimize(value);
    }
    setenv("VYR_REGISTRY_FILE", saved.c_str(), 1);
    state.SetComplexityN(count);
}
BENCHMARK(BM_ParseLargeKey)->Unit(benchmark::kMillisecond)->Arg(500)->Arg(5000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
