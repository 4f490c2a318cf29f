// Pick filters: ComputePickFilter over a domain of eight masks, with and without point types.
#include "DsTypeMask.h"

#include <benchmark/benchmark.h>

namespace {

// Eight masks as a pick command gives them: object masks of a few types each, some carrying
// point types.
CDsTypeMaskDomain MakeDomain() {
    CDsTypeMaskDomain domain(8);
    for (int i = 0; i < 8; ++i) {
        domain[i].SetType(10 + i, 40 + 3 * i, 100 + 7 * i, -1);
        if (i % 2 == 1) domain[i].SetType(eDsPickPtStart + i, eDsPickPtEnd + i, -1);
    }
    return domain;
}

void ComputeFilter(benchmark::State& state, bool pointsAllowed) {
    const CDsTypeMaskDomain domain = MakeDomain();
    CDsTypeMask filter;
    filter.SetAll();
    filter.ResetType(eDsPickPtOnly, 12, 43, -1);
    CDsTypeMaskDomain out;
    out.reserve(8);
    for (auto _ : state) {
        out.clear();
        NSDsTypeMaskHelper::ComputePickFilter(domain, filter, out, pointsAllowed);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_ComputePickFilterWithPoints(benchmark::State& state) { ComputeFilter(state, true); }
void BM_ComputePickFilterWithoutPoints(benchmark::State& state) { ComputeFilter(state, false); }

}  // namespace

BENCHMARK(BM_ComputePickFilterWithPoints);
BENCHMARK(BM_ComputePickFilterWithoutPoints);

BENCHMARK_MAIN();
