// Line attributes applied before items draw: CDsLineAttribStorage::SetAttributesToView over one
// million items whose attributes alternate (colour, style and width change every call), and over
// one million items with equal attributes (nothing changes after the first call). Reported per
// call ("per_call"), glFinish included once per million.
#include "BenchWindow.h"
#include "DsDriverGl.h"
#include "DsLineAttribStorage.h"
#include "view3d.h"

#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

namespace {

const int kItems = 1000000;

CDsLineAttribStorage Attributes(uint8_t red, int style, int width)
{
    CDsLineAttribStorage storage;
    storage.SetColor(CDsColorStorage(red, 40, 200));
    storage.SetStyle(style);
    storage.SetWidth(width);
    return storage;
}

void Run(benchmark::State& state, CDsLineAttribStorage& first, CDsLineAttribStorage& second)
{
    BenchWindow window(64, 64);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    view3d view;
    CDsLineAttribStorage* items[2] = {&first, &second};
    for (auto _ : state) {
        for (int i = 0; i < kItems; ++i) items[i & 1]->SetAttributesToView(&view);
        glFinish();
    }
    state.counters["per_call"] =
        benchmark::Counter(double(state.iterations()) * kItems, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SetAttributesToViewAlternating(benchmark::State& state)
{
    CDsLineAttribStorage first = Attributes(255, 0, 1), second = Attributes(10, 5, 3);
    Run(state, first, second);
}
BENCHMARK(BM_SetAttributesToViewAlternating)->Unit(benchmark::kMillisecond);

void BM_SetAttributesToViewEqual(benchmark::State& state)
{
    CDsLineAttribStorage first = Attributes(255, 5, 3), second = Attributes(255, 5, 3);
    Run(state, first, second);
}
BENCHMARK(BM_SetAttributesToViewEqual)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
