// Recording figures one by one over a scene, as a host that records a figure per command does:
// 400 spheres (each its own body, on a 20 x 20 grid) shaded in a 1024 x 768 view, and 50 line
// figures across the grid, each within the depth the picture was drawn with, recorded one after
// the other while nothing else waits to be drawn (CDsFigure::Record, which shows each at once).
// Beside it: the same 50 figures drawn at once into both buffers, each through its location
// (CDsFigure::DrawOnView of a recorded figure), which is the cost of the figure's own draw; and a
// whole frame of the scene, which a record cost before it drew the figure alone.
//
// Printed: median milliseconds per figure recorded, per figure drawn at once, and per whole frame,
// with the ratio of the record to the draw at once (aim: at most 3).
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "DsAttributes.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "VyrBodyGeometry.h"
#include "VyrPdmServer.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "SpaValues.h"

#include <afxwin.h>
#include <windows.h>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kGrid = 20;         // spheres per row and column
constexpr double kPitch = 3.0;    // between sphere centres
constexpr int kFigures = 50;

// A green line across the grid in the plane z = 0 (inside the spheres' depth).
class CLineFigure : public CDsFigure {
public:
    explicit CLineFigure(int index) : m_index(index) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        const double span = kPitch * (kGrid - 1);
        const double y = span * (m_index + 0.5) / kFigures;
        const CGmPosition line[2] = {CGmPosition(1.0, y, 0.0), CGmPosition(span - 1.0, span - y, 0.0)};
        generator.DrawPolyline(2, line);
        return 1;
    }

private:
    int m_index;
};

// The 400 spheres shown in a shaded view.
class CSpheresScene {
public:
    CSpheresScene()
    {
        if (!host_.Ready()) return;
        int id = 1;
        for (int i = 0; i < kGrid; ++i)
            for (int j = 0; j < kGrid; ++j) {
                BODY* sphere = make_sphere(SPAposition(kPitch * i, kPitch * j, 0.0), 1.0);
                if (!sphere) return;
                CDsAttributes look;
                look.SetColor(0xD28C5A);
                if (!VyrShowBody(&host_.context, sphere, id++, &look)) {
                    sphere->lose();
                    return;
                }
                spheres_.push_back(sphere);
            }
        bench::ObliqueParallelView(*host_.view, host_.context.GetScene()->GetDbScene().GetBoundsBox(), kWidth, kHeight);
        host_.view->SetRenderMode(eRenderShade);
        ready_ = true;
    }
    ~CSpheresScene()
    {
        Clear();
        if (host_.view) {
            CDsView3dCdc::StGetCurrent();
            for (size_t i = 0; i < spheres_.size(); ++i) VyrHideBody(&host_.context, spheres_[i], int(i) + 1);
            CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
        }
        for (BODY* sphere : spheres_) sphere->lose();
    }
    CSpheresScene(const CSpheresScene&) = delete;
    CSpheresScene& operator=(const CSpheresScene&) = delete;

    bool Ready() const { return ready_; }
    CDsView3dCdc& View() { return *host_.view; }
    // A whole frame of the scene, finished.
    void WholeFrame()
    {
        host_.context.OnPicturePropsChanged();
        host_.view->refresh();
        glFinish();
    }
    // The figures out of the scene, and a whole frame without them.
    void Clear()
    {
        for (auto& figure : figures_)
            if (figure->IsRecorded()) figure->Remove(host_.view.get());
        figures_.clear();
    }
    // Records the 50 figures one by one, each shown at once.
    void RecordOneByOne()
    {
        for (int i = 0; i < kFigures; ++i) {
            figures_.push_back(std::make_unique<CLineFigure>(i));
            figures_.back()->Record(true, host_.view.get());
        }
        glFinish();
    }
    // Records the 50 figures with the display suspended (nothing drawn).
    void RecordQuietly()
    {
        host_.context.PushDisplaySuspension();
        for (int i = 0; i < kFigures; ++i) {
            figures_.push_back(std::make_unique<CLineFigure>(i));
            figures_.back()->Record(true, host_.view.get());
        }
        host_.context.PopDisplaySuspension();
    }
    // Draws each recorded figure at once into both buffers.
    void DrawAtOnce()
    {
        for (auto& figure : figures_) figure->DrawOnView(host_.view.get(), eDsDrawModeNormal);
        glFinish();
    }
    // Whether every figure was recorded.
    bool AllRecorded() const
    {
        return std::all_of(figures_.begin(), figures_.end(), [](const auto& f) { return f->IsRecorded(); });
    }
    // The frames the scene counted.
    long Frames() const { return host_.context.GetRefreshCounter(); }

private:
    BenchContextWindow host_{L"figure records", kWidth, kHeight};
    std::vector<BODY*> spheres_;
    std::vector<std::unique_ptr<CLineFigure>> figures_;
    bool ready_ = false;
};

std::unique_ptr<CSpheresScene> gScene;
std::vector<double> gRecord, gAtOnce, gFrame;
long gRecordFrames = 0;

CSpheresScene* Scene()
{
    if (!gScene) gScene = std::make_unique<CSpheresScene>();
    return gScene->Ready() ? gScene.get() : nullptr;
}

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_RecordOneByOne(benchmark::State& state)
{
    CSpheresScene* scene = Scene();
    if (!scene) {
        state.SkipWithError("no scene");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        scene->Clear();
        scene->WholeFrame();
        const long frames = scene->Frames();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        scene->RecordOneByOne();
        gRecord.push_back(Milliseconds(start) / kFigures);
        gRecordFrames = scene->Frames() - frames;
        if (!scene->AllRecorded()) {
            state.SkipWithError("a figure was not recorded");
            break;
        }
    }
    state.counters["ms/figure"] = Median(gRecord);
    state.counters["frames drawn"] = static_cast<double>(gRecordFrames);
}
BENCHMARK(BM_RecordOneByOne)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_DrawAtOnce(benchmark::State& state)
{
    CSpheresScene* scene = Scene();
    if (!scene) {
        state.SkipWithError("no scene");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        scene->Clear();
        scene->WholeFrame();
        scene->RecordQuietly();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        scene->DrawAtOnce();
        gAtOnce.push_back(Milliseconds(start) / kFigures);
    }
    state.counters["ms/figure"] = Median(gAtOnce);
}
BENCHMARK(BM_DrawAtOnce)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_WholeFrame(benchmark::State& state)
{
    CSpheresScene* scene = Scene();
    if (!scene) {
        state.SkipWithError("no scene");
        return;
    }
    scene->Clear();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        scene->WholeFrame();
        gFrame.push_back(Milliseconds(start));
    }
}
BENCHMARK(BM_WholeFrame)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CDsManager::GetInstance()->SetFlag(3, true);  // the scene counts the frames it draws
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double record = Median(gRecord), atOnce = Median(gAtOnce), frame = Median(gFrame);
    std::printf("recorded one by one: %.3f ms per figure (%ld whole frames for %d figures)\n", record, gRecordFrames,
                kFigures);
    std::printf("drawn at once into both buffers: %.3f ms per figure\n", atOnce);
    std::printf("whole frame of the 400 spheres: %.3f ms\n", frame);
    if (atOnce > 0.0)
        std::printf("record / draw at once: %.2f (aim at most 3)\n", record / atOnce);
    gScene.reset();
    return 0;
}
