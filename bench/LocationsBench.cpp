// The context's location walks, highlight and exact extrema:
//   hover highlight  the benchmark plate (about 89 thousand triangles) as one scene item per face
//                    and per edge, shaded, in a 1024 x 768 window: CDsGlContext::Highlight of one
//                    face with the saved picture put back first, then of the next face, 200 times;
//                    median and 90th percentile milliseconds per highlight (glFinish included),
//                    and how many faces change the picture when highlighted; beside it the saved
//                    picture put back alone (a highlight of nothing, which changes no pixel)
//   ModifyLocations  10,000 random leaf paths in the scene of vyr_bench_scene (100 thousand leaves
//                    in 1,000 groups) filed into a rendering context's scene: microseconds per path
//   displayed attr.  GetDisplayedAttribute of one path in the same scene: a leaf in a group below
//                    a chain of 8 sub-assemblies (part instances, each holding the next), and the
//                    last group's last leaf: microseconds per call
//   extrema          the plate shown as one body through the context, measured through an extrema
//                    driver of its view: the exact walk (ComputeViewExtrema, full; the body gives
//                    the boxes of its faces) beside the box road (the corners of the scene's
//                    bounding box): milliseconds per measure
// After the runs the figures are printed with the ratio to the aim where there is one
// (hover highlight: median under 2 ms) and the exact extrema walk's ratio to the box road.
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "BenchPlateItems.h"
#include "DsAttributes.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlSketch.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "VyrBodyGeometry.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"
#include "VyrRefinement.h"

#include "DsGeometry.h"
#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "SpaValues.h"
#include "view3d.h"

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kHighlights = 200;
constexpr unsigned char kFaceType = 1;
constexpr unsigned char kEdgeType = 2;

// The figures printed after the runs.
std::map<std::string, double> gFigures;

// --- The plate on screen ----------------------------------------------------------------------------

// A shaded 1024 x 768 view of the plate in a rendering context of its own: one scene item per face
// and edge (`asBody` false), or the plate as one body shown through the context.
class CPlateScene {
public:
    CPlateScene(bool asBody, int sceneNumber) : asBody_(asBody), host_(L"locations", kWidth, kHeight, sceneNumber)
    {
        if (!host_.Ready()) return;
        // The faceting preferences are read once, at the first body; then the finer tolerances of
        // the faceting benchmark (about 89 thousand triangles).
        host_.context.GetScene()->UpdateRefinement(true);
        host_.context.GetScene()->GetRefinement()->SetSurfaceTol(0.05);
        host_.context.GetScene()->GetRefinement()->SetNormalTol(5.0);
        plate_ = make_benchmark_plate();
        if (!plate_) return;
        SPAbox box;
        if (asBody) {
            if (!VyrShowBody(&host_.context, plate_, 1, nullptr)) return;
            box = host_.context.GetScene()->GetDbScene().GetBoundsBox();
        } else if (!FileItems(box)) {
            return;
        }
        bench::ObliqueParallelView(*host_.view, box, kWidth, kHeight);
        host_.view->SetRenderMode(eRenderShade);
        ready_ = true;
    }
    ~CPlateScene()
    {
        if (host_.view) {
            CDsView3dCdc::StSetCurrent(host_.view.get(), false);
            CDsView3dCdc::StGetCurrent();
            if (asBody_ && plate_) VyrHideBody(&host_.context, plate_, 1);
            CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
        }
        if (plate_) plate_->lose();
    }
    CPlateScene(const CPlateScene&) = delete;
    CPlateScene& operator=(const CPlateScene&) = delete;

    bool Ready() const { return ready_; }
    CDsGlContext& Context() { return host_.context; }
    CDsView3dCdc* View() { return host_.view.get(); }
    int Faces() const { return faces_; }
    long Triangles() const { return triangles_; }
    // The path of face `index` (0 to Faces() - 1).
    CVyrObjectPath Face(int index) const
    {
        const int id = 1 + index;
        return CVyrObjectPath(&id, 1, 1, host_.context.GetScene()->GetDbScene().GetPeerPartId());
    }
    // Makes the view current and draws a whole picture, up to date as after a paint.
    void Refresh()
    {
        CDsView3dCdc::StSetCurrent(host_.view.get(), false);
        CDsView3dCdc::StGetCurrent();
        host_.context.OnPicturePropsChanged();
        host_.view->refresh();
        host_.context.ValidateView(host_.view.get());
        glFinish();
    }
    // The front buffer's pixels (RGB rows from the bottom).
    std::vector<unsigned char> Front() const
    {
        std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_FRONT);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The pixels of the front buffer that differ from `picture`.
    long ChangedPixels(const std::vector<unsigned char>& picture) const
    {
        const std::vector<unsigned char> now = Front();
        long changed = 0;
        for (size_t i = 0; i + 2 < now.size() && i + 2 < picture.size(); i += 3)
            changed += now[i] != picture[i] || now[i + 1] != picture[i + 1] || now[i + 2] != picture[i + 2];
        return changed;
    }

    // The plate through the body sketch at the scene's tolerances, each face and edge an item.
    bool FileItems(SPAbox& box)
    {
        bench::SPlateItems filed;
        const bool done = bench::FilePlateItems(host_.context, plate_, nullptr, kFaceType, 0xB0B0B0, kEdgeType, 0x000000,
                                                box, filed);
        triangles_ = filed.triangles;
        faces_ = filed.faces;
        return done && faces_ > 1;
    }

    bool asBody_;
    BenchContextWindow host_;
    BODY* plate_ = nullptr;
    int faces_ = 0;
    long triangles_ = 0;
    bool ready_ = false;
};

std::unique_ptr<CPlateScene> gItems, gBody;

void BM_HoverHighlight(benchmark::State& state)
{
    if (!gItems) gItems = std::make_unique<CPlateScene>(false, 1);
    CPlateScene& scene = *gItems;
    if (!scene.Ready()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    scene.Refresh();
    const std::vector<unsigned char> picture = scene.Front();
    // Argument 0: the saved picture put back alone (no path), the floor of every highlight.
    const bool face = state.range(0) != 0;
    CDsGlContext::SHighlightData data;
    data.attributeSet = eAttribSetHighlight;
    data.paths.resize(face ? 1 : 0);
    std::vector<double> times;
    int next = 0;
    for (auto _ : state) {
        for (int i = 0; i < kHighlights; ++i) {
            if (face) data.paths[0] = scene.Face(next);
            next = (next + 1) % scene.Faces();
            const auto start = std::chrono::steady_clock::now();
            scene.Context().Highlight(data, true);
            glFinish();
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2], p90 = times[times.size() * 9 / 10];
    state.counters["median_ms"] = median;
    state.counters["p90_ms"] = p90;
    if (face) {
        // Untimed: the faces whose highlight shows (the others lie hidden behind the plate).
        int shown = 0;
        for (int f = 0; f < scene.Faces(); ++f) {
            data.paths[0] = scene.Face(f);
            scene.Context().Highlight(data, true);
            shown += scene.ChangedPixels(picture) > 0 ? 1 : 0;
        }
        state.counters["faces_shown"] = shown;
    } else {
        state.counters["changed_px"] = static_cast<double>(scene.ChangedPixels(picture));
    }
    state.counters["faces"] = scene.Faces();
    state.counters["triangles"] = static_cast<double>(scene.Triangles());
    gFigures[face ? "highlight median" : "restore median"] = median;
    gFigures[face ? "highlight p90" : "restore p90"] = p90;
    state.SetLabel(face ? "one face after the other" : "the saved picture alone");
    scene.Context().UnHighlightLocations();
}
BENCHMARK(BM_HoverHighlight)->Arg(1)->Arg(0)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ExtremaWalk(benchmark::State& state)
{
    if (!gBody) gBody = std::make_unique<CPlateScene>(true, 2);
    CPlateScene& scene = *gBody;
    if (!scene.Ready()) {
        state.SkipWithError("no plate body (is an X server running, and the modeler's plate built?)");
        return;
    }
    scene.Refresh();
    const bool exact = state.range(0) != 0;
    double width = 0.0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CDsDriverExtrema driver(scene.View());
        scene.Context().ComputeViewExtrema(driver.GetExtView(), exact);
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        driver.GetExtremaCoordinates(x0, x1, y0, y1);
        width = x1 - x0;
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    if (state.iterations() > 0)
        gFigures[exact ? "extrema exact" : "extrema box"] = elapsed.count() / static_cast<double>(state.iterations());
    state.counters["width_px"] = width;
    state.SetLabel(exact ? "exact walk" : "box road");
}
BENCHMARK(BM_ExtremaWalk)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// --- The scene of 100,000 leaves --------------------------------------------------------------------

constexpr int kGroups = 1000;
constexpr int kLeavesPerGroup = 100;
constexpr int kListed = 10000;
constexpr int kAssemblies = 8;         // sub-assemblies above the deep path's group
constexpr int kFirstSubPart = 9001;  // their part ids
constexpr unsigned char kGroupType = 3;
constexpr unsigned char kLeafType = 4;

// The scene of vyr_bench_scene filed into a rendering context's scene (number 3), with a chain of
// sub-assemblies beside it, and a view without a window as the current view.
class CLeavesScene {
public:
    CLeavesScene() : context_(3)
    {
        CDsPartStorage* storage = CDsPartStorage::instance();
        CDsPartStorage::sm_Type2Cat[kGroupType] = eVyrCatOpenLeaf;
        CDsPartStorage::sm_Type2Cat[kLeafType] = eVyrCatLeaf;
        const int peer = Db().GetPeerPartId();
        int id = 1;
        for (int g = 0; g < kGroups; ++g) {
            const CVyrObjectId group(peer, id++);
            storage->AddItem(group, kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, false);
            for (int l = 0; l < kLeavesPerGroup; ++l) storage->AddChildItem(group, id++, kLeafType, nullptr, nullptr, nullptr, false);
        }
        lastLeaf_ = {id - kLeavesPerGroup - 1, id - 1};
        // The sub-assemblies: the peer part holds an instance of the first, each the next, the
        // last a red group with one leaf.
        chain_.push_back(id);
        storage->AddPartInstance(CVyrObjectId(peer, id), kFirstSubPart, nullptr, nullptr, false);
        for (int level = 0; level < kAssemblies; ++level) {
            storage->CreatePart(kFirstSubPart + level);
            if (level + 1 < kAssemblies) {
                storage->AddPartInstance(CVyrObjectId(kFirstSubPart + level, 1), kFirstSubPart + level + 1, nullptr,
                                         nullptr, false);
                chain_.push_back(1);
            }
        }
        CDsAttributes red;
        red.SetColor(0x0000FF);
        const CVyrObjectId group(kFirstSubPart + kAssemblies - 1, 1);
        storage->AddItem(group, kGroupType, nullptr, nullptr, &red, nullptr, nullptr, false);
        storage->AddChildItem(group, 2, kLeafType, nullptr, nullptr, nullptr, false);
        chain_.push_back(1);
        chain_.push_back(2);
        view_ = std::make_unique<CDsView3dCdc>();
        view_->SetRenderMode(eRenderWireframe);
        MakeCurrent();
    }
    ~CLeavesScene()
    {
        MakeCurrent();
        CDsPartStorage::instance()->RemovePart(Db().GetPeerPartId());
        for (int level = 0; level < kAssemblies; ++level) CDsPartStorage::instance()->RemovePart(kFirstSubPart + level);
        Db().SetCurrentView(nullptr);
        view_.reset();
    }
    CLeavesScene(const CLeavesScene&) = delete;
    CLeavesScene& operator=(const CLeavesScene&) = delete;

    CDsScene& Db() { return context_.GetScene()->GetDbScene(); }
    CDsGlContext& Context() { return context_; }
    // The view current for the context's walks.
    void MakeCurrent()
    {
        CDsView3dCdc::StSetCurrent(view_.get(), false);
        Db().SetCurrentView(view_.get());
    }
    // `count` random leaf paths (group, leaf).
    std::vector<CVyrObjectPath> RandomLeaves(int count, unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> group(0, kGroups - 1), leaf(0, kLeavesPerGroup - 1);
        std::vector<CVyrObjectPath> paths;
        paths.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const int g = group(random);
            const int ids[2] = {1 + g * (kLeavesPerGroup + 1), 2 + g * (kLeavesPerGroup + 1) + leaf(random)};
            paths.emplace_back(ids, 2, 2, Db().GetPeerPartId());
        }
        return paths;
    }
    // The leaf below the sub-assemblies (8 instances, group, leaf), or the last group's last leaf.
    CVyrObjectPath Deep(bool chain)
    {
        const std::vector<int>& ids = chain ? chain_ : lastLeaf_;
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), 2, Db().GetPeerPartId());
    }

private:
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<int> chain_;
    std::vector<int> lastLeaf_;
};

std::unique_ptr<CLeavesScene> gLeaves;

CLeavesScene& Leaves()
{
    if (!gLeaves) gLeaves = std::make_unique<CLeavesScene>();
    gLeaves->MakeCurrent();
    return *gLeaves;
}

void BM_ModifyLocations(benchmark::State& state)
{
    CLeavesScene& scene = Leaves();
    const std::vector<CVyrObjectPath> listed = scene.RandomLeaves(kListed, 1);
    std::vector<CVyrObjectPath> paths = listed;
    scene.Context().ModifyLocations(paths, eAttribSetNormal);  // the view's locations made once
    int set = eAttribSetMark;
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        paths = listed;
        set = set == eAttribSetMark ? eAttribSetNormal : eAttribSetMark;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        scene.Context().ModifyLocations(paths, static_cast<EAttribSetIndex>(set));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double us = state.iterations() > 0 ? 1e6 * seconds / (static_cast<double>(state.iterations()) * kListed) : 0.0;
    state.counters["us/path"] = us;
    gFigures["modify us/path"] = us;
}
BENCHMARK(BM_ModifyLocations)->Unit(benchmark::kMillisecond);

void BM_DisplayedAttribute(benchmark::State& state)
{
    CLeavesScene& scene = Leaves();
    const bool chain = state.range(0) != 0;
    const CVyrObjectPath path = scene.Deep(chain);
    CDsAttributes attributes;
    if (!scene.Context().GetDisplayedAttribute(path, attributes)) {
        state.SkipWithError("the path's location was not found");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) benchmark::DoNotOptimize(scene.Context().GetDisplayedAttribute(path, attributes));
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    if (state.iterations() > 0)
        gFigures[chain ? "attribute deep us" : "attribute shallow us"] = elapsed.count() / double(state.iterations());
    state.SetLabel(chain ? "a leaf below 8 sub-assemblies" : "the last group's last leaf");
}
BENCHMARK(BM_DisplayedAttribute)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto figure = [](const char* name) { return gFigures.count(name) ? gFigures[name] : -1.0; };
    if (figure("highlight median") >= 0)
        std::printf("hover highlight: median %.3f ms (ratio to the 2 ms aim %.2f), 90th percentile %.3f ms\n",
                    figure("highlight median"), figure("highlight median") / 2.0, figure("highlight p90"));
    if (figure("restore median") >= 0)
        std::printf("the saved picture put back alone: median %.3f ms, 90th percentile %.3f ms\n",
                    figure("restore median"), figure("restore p90"));
    if (figure("modify us/path") >= 0)
        std::printf("ModifyLocations of %d paths: %.3f us per path\n", kListed, figure("modify us/path"));
    if (figure("attribute deep us") >= 0)
        std::printf("GetDisplayedAttribute of a leaf below %d sub-assemblies: %.2f us (of the last group's last leaf: "
                    "%.2f us)\n", kAssemblies, figure("attribute deep us"), figure("attribute shallow us"));
    if (figure("extrema exact") >= 0 && figure("extrema box") > 0)
        std::printf("exact extrema walk of the plate: %.2f ms, box road %.4f ms (exact / box %.0f)\n",
                    figure("extrema exact"), figure("extrema box"), figure("extrema exact") / figure("extrema box"));
    gItems.reset();
    gBody.reset();
    gLeaves.reset();
    return 0;
}
