// Projecting one million model points into a view through the geometry computer, with the
// viewport height read once and shared by the calls, for a parallel and a perspective camera.
#include "DsGeometryComputer.h"
#include "view3d.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const int kPoints = 1000000;

std::vector<CGmPosition> MakePoints()
{
    std::vector<CGmPosition> points;
    points.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i)
        points.emplace_back((i % 1000) * 0.01 - 5.0, (i / 1000) * 0.01 - 5.0, (i % 7) * 0.1);
    return points;
}

void ProjectMillion(benchmark::State& state, bool perspective)
{
    static const std::vector<CGmPosition> points = MakePoints();
    view3d view;
    view.set_viewport(0, 0, 800, 600);
    view.set_eye(SPAposition(3.0, 4.0, 20.0));
    view.set_target(SPAposition(0.0, 0.0, 0.0));
    view.set_up(SPAvector(0.0, 1.0, 0.0));
    view.set_width(12.0);
    view.set_height(9.0);
    view.set_perspective(perspective);
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    for (auto _ : state) {
        int height = -1;
        float sum = 0.0f;
        for (const CGmPosition& p : points) {
            float x = 0.0f, y = 0.0f;
            computer->ProjectPositionOnView(p, &view, x, y, &height);
            sum += x + y;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    state.counters["ns_per_point"] =
        benchmark::Counter(static_cast<double>(kPoints), benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}

void BM_ProjectParallel(benchmark::State& state)
{
    ProjectMillion(state, false);
}
void BM_ProjectPerspective(benchmark::State& state)
{
    ProjectMillion(state, true);
}

} // namespace

BENCHMARK(BM_ProjectParallel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectPerspective)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
