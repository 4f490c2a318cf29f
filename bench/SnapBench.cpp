// Snapping on the benchmark plate, shown through the context as one body, in a shaded 1024 x 768
// window: milliseconds per CDsAcisPick::StPickRefPoint with the edge kinds 256 to 259 (ends,
// middles, centres) at 200 fixed cursor positions over edges, median and 90th percentile. It runs
// on every mouse move, like the hover pick (goal 0.1 ms median, 0.3 ms at the 90th percentile;
// aim 0.3 and 1 ms). The positions are the middles of the plate's edges that project into the
// window, every n-th of them so that they spread over the part; each run prints how many of them
// snapped.
// Then the faces under one pixel of the plate's top by depth (CDsPickProccessor::OpenGLSortFaces):
// a selection pass per call, and the repeat inside a pick session at that pixel, which reuses the
// session's selection.
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "DsAcisEdge.h"
#include "DsAcisPick.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPickProccessor.h"
#include "DsPickSessionData.h"
#include "DsPickedFaces.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "SpaValues.h"
#include "view3d.h"

#include <afxwin.h>
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPositions = 200;

// The plate shown as one body in a shaded oblique parallel view.
class CSnapScene {
public:
    CSnapScene()
    {
        if (!host_.Ready()) return;
        plate_ = make_benchmark_plate();
        if (!plate_) return;
        host_.context.add(plate_);
        // The plate's box: 120 x 80 x 20 and the boss of radius 15 on the top.
        const SPAposition low(0, 0, 0), high(120, 80, 35);
        bench::ObliqueParallelView(*host_.view, SPAbox(low, high), kWidth, kHeight);
        host_.view->SetRenderMode(eRenderShade);
        host_.view->refresh();

        // The middles of the edges inside the window, every n-th of them.
        ENTITY_LIST edges;
        api_get_edges(plate_, edges);
        std::vector<std::pair<int, int>> all;
        DsAcisEdge evaluator;
        for (int i = 0; i < edges.count(); ++i) {
            SPAposition middle;
            if (!evaluator.EvalMidPosition(static_cast<EDGE*>(edges[i]), middle)) continue;
            float x = 0.0f, y = 0.0f;
            if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(middle, host_.view.get(), x, y)) continue;
            if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
            all.emplace_back(static_cast<int>(x), static_cast<int>(y));
        }
        const size_t step = std::max<size_t>(1, all.size() / kPositions);
        for (size_t i = 0; i < all.size() && positions_.size() < static_cast<size_t>(kPositions); i += step)
            positions_.push_back(all[i]);
        // A pixel of the top, a quarter in from the plate's corner at the origin.
        float x = 0.0f, y = 0.0f;
        if (CDsGeometryComputer::GetInstance()->ProjectPositionOnView(SPAposition(30, 20, 20), host_.view.get(), x, y))
            facePixel_ = {static_cast<int>(x), static_cast<int>(y)};
        ready_ = !positions_.empty();
    }
    ~CSnapScene()
    {
        if (host_.view) {
            CDsView3dCdc::StGetCurrent();
            if (plate_) host_.context.remove(plate_);
        }
        if (plate_) plate_->lose();
    }
    CSnapScene(const CSnapScene&) = delete;
    CSnapScene& operator=(const CSnapScene&) = delete;

    bool Ready() const { return ready_; }
    const std::vector<std::pair<int, int>>& Positions() const { return positions_; }

    // The edge snap at (x, y); true when it found a point.
    bool Snap(int x, int y)
    {
        CUiPickEvent event(x, y, 0, host_.view.get(), nullptr);
        std::unique_ptr<CDsRefPoint> point(CDsAcisPick::StPickRefPoint(event, mask_));
        return point != nullptr;
    }
    // The faces under the face pixel; their number.
    int SortFaces()
    {
        const CUiPickEvent event(facePixel_.first, facePixel_.second, 0, host_.view.get(), nullptr);
        CDsPickedFaces faces;
        return host_.context.GetPickProccessor()->OpenGLSortFaces(event, faces);
    }
    // The event at the face pixel.
    CUiPickEvent FaceEvent() const { return CUiPickEvent(facePixel_.first, facePixel_.second, 0, host_.view.get(), nullptr); }

private:
    static CDsTypeMask EdgeKinds()
    {
        CDsTypeMask mask;
        for (int kind = eDsPickPtStart; kind <= eDsPickPtStart + 3; ++kind) mask.SetType(kind, -1);
        return mask;
    }

    BenchContextWindow host_{L"snap", kWidth, kHeight};
    BODY* plate_ = nullptr;
    CDsTypeMask mask_ = EdgeKinds();
    std::vector<std::pair<int, int>> positions_;
    std::pair<int, int> facePixel_{kWidth / 2, kHeight / 2};
    bool ready_ = false;
};

std::unique_ptr<CSnapScene> gScene;

CSnapScene& Scene()
{
    if (!gScene) gScene = std::make_unique<CSnapScene>();
    return *gScene;
}

// Snaps at every position once per iteration; median and 90th percentile milliseconds per snap.
void BM_SnapEdgePoints(benchmark::State& state)
{
    CSnapScene& scene = Scene();
    if (!scene.Ready()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    std::vector<double> times;
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const auto& p : scene.Positions()) {
            const auto start = std::chrono::steady_clock::now();
            found += scene.Snap(p.first, p.second) ? 1 : 0;
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["p90_ms"] = times[times.size() * 9 / 10];
    state.counters["found"] = found;
    state.counters["positions"] = static_cast<double>(scene.Positions().size());
}
BENCHMARK(BM_SnapEdgePoints)->Iterations(10)->Unit(benchmark::kMillisecond);

// The faces under the face pixel, a selection pass per call (arg 0) or inside a pick session at
// that pixel (arg 1); median milliseconds per call.
void BM_SortFaces(benchmark::State& state)
{
    CSnapScene& scene = Scene();
    if (!scene.Ready()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    const bool session = state.range(0) != 0;
    CDsPickSessionData data;
    if (session) CDsGlContext::StBeginPickSession(scene.FaceEvent(), &data);
    std::vector<double> times;
    int faces = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        faces = scene.SortFaces();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (session) CDsGlContext::StEndPickSession();
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["faces"] = faces;
}
BENCHMARK(BM_SortFaces)->Arg(0)->Arg(1)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gScene.reset();
    return 0;
}
