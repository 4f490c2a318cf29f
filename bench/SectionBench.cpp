// Sections and hide and show:
//   tessellation  a cut through a plate (its outline and 124 hole circles of 48 segments, about
//                 6,000 segments, shuffled and some turned round) closed into loops and filled by
//                 CDsGlSectionTesselation::CreateSurface, milliseconds per call; the same with a
//                 quarter, half, twice and four times the holes, to see how it scales
//   frame         the benchmark plate shown as one body through the rendering context, shaded, in a
//                 1024 x 768 window: milliseconds per full refresh with no section, with a section
//                 plane through its middle and with a stepped section of two areas through it; the
//                 ratios to the frame without a section are printed at the end, and each run the
//                 share of the picture the plate covers (a section that cut nothing would show)
//   hide/show     NHideShowServices::HideShownShowHidden over the scene of vyr_bench_scene (100
//                 thousand leaves in 1,000 groups) with 10,000 listed paths: all to hide, all to
//                 show, and half of each
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "DsAttributes.h"
#include "DsCoreLineAttributesInt.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlSectionTesselation.h"
#include "DsItemsBody.h"
#include "DsLineAttrMap.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "HideShowServices.h"
#include "VyrBodyGeometry.h"
#include "VyrComplexSection.h"
#include "VyrPdmServer.h"

#include "SpaBuilders.h"
#include "SpaValues.h"

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// --- Tessellation ---------------------------------------------------------------------------------

// The cut: a 130 x 120 outline and `holes` circles of radius 3 in rows 10 apart, 48 segments each.
std::vector<TDsSectionSegment> PlateCut(int holes)
{
    std::vector<TDsSectionSegment> segments;
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(holes * 1.2))));
    const double spacing = 10.0;
    const double width = (columns + 1) * spacing;
    const double height = ((holes + columns - 1) / columns + 1) * spacing;
    const SPAposition corners[4] = {SPAposition(0, 0, 0), SPAposition(width, 0, 0), SPAposition(width, height, 0),
                                    SPAposition(0, height, 0)};
    for (int i = 0; i < 4; ++i) segments.emplace_back(corners[i], corners[(i + 1) % 4]);
    const int sides = 48;
    for (int h = 0; h < holes; ++h) {
        const double cx = spacing * (1 + h % columns), cy = spacing * (1 + h / columns);
        auto at = [&](int k) {
            const double a = 2.0 * M_PI * (k % sides) / sides;
            return SPAposition(cx + 3.0 * std::cos(a), cy + 3.0 * std::sin(a), 0);
        };
        for (int k = 0; k < sides; ++k) segments.emplace_back(at(k), at(k + 1));
    }
    std::mt19937 random(7);
    std::shuffle(segments.begin(), segments.end(), random);
    for (size_t i = 0; i < segments.size(); i += 3) std::swap(segments[i].first, segments[i].second);
    return segments;
}

void BM_Tessellation(benchmark::State& state)
{
    const TDsSectionSegmentSets sets = {{true, PlateCut(static_cast<int>(state.range(0)))}};
    size_t triangles = 0;
    for (auto _ : state) {
        TDsSectionSurfaces result;
        CDsGlSectionTesselation tessellation(sets, result, SPAunit_vector(0, 0, 1));
        benchmark::DoNotOptimize(tessellation.CreateSurface());
        triangles = 0;
        for (const TDsSectionPrimitive& p : result[0]) triangles += p.first.size();
        state.PauseTiming();
        result.clear();
        state.ResumeTiming();
    }
    state.counters["segments"] = static_cast<double>(sets[0].second.size());
    state.counters["vertices out"] = static_cast<double>(triangles);
    state.counters["us/segment"] = benchmark::Counter(static_cast<double>(sets[0].second.size()),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}
BENCHMARK(BM_Tessellation)->Arg(31)->Arg(62)->Arg(124)->Arg(248)->Arg(496)->Unit(benchmark::kMillisecond);

// --- Frames with sections ---------------------------------------------------------------------------

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The plate as one body in a shaded 1024 x 768 view.
class CSectionScene {
public:
    CSectionScene()
    {
        if (!host_.Ready()) return;
        plate_ = make_benchmark_plate();
        CDsAttributes look;
        look.SetColor(0xD28C5A);  // a light blue plate over the black background
        if (!plate_ || !VyrShowBody(&host_.context, plate_, 1, &look)) return;
        box_ = host_.context.GetScene()->GetDbScene().GetBoundsBox();
        bench::ObliqueParallelView(*host_.view, box_, kWidth, kHeight);
        host_.view->SetRenderMode(eRenderShade);
        ready_ = true;
    }
    ~CSectionScene()
    {
        if (host_.view) {
            CDsView3dCdc::StGetCurrent();
            Sections(0);
            if (plate_) VyrHideBody(&host_.context, plate_, 1);
            CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
        }
        if (plate_) plate_->lose();
    }
    CSectionScene(const CSectionScene&) = delete;
    CSectionScene& operator=(const CSectionScene&) = delete;

    bool Ready() const { return ready_; }
    // 0: no section; 1: a section plane through the middle; 2: a stepped section of two areas.
    void Sections(int kind)
    {
        CDsGlScene* scene = host_.context.GetScene();
        scene->ResetSection();
        scene->SetComplexSection(nullptr);
        CDsItemsBody* body = host_.context.FindDsBody(plate_);
        if (body) body->ResetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
        const SPAposition c = box_.mid();
        if (kind == 1) scene->SetSection(c, SPAvector(1, 0.4, 0));
        if (kind != 2 || !body) return;
        const double step = 0.15 * (box_.high().y() - box_.low().y()), margin = box_.high().x() - box_.low().x();
        auto* section = new CVyrComplexSection;
        section->m_vertices = {SPAposition(box_.low().x() - margin, c.y() - step, 0), SPAposition(c.x(), c.y() - step, 0),
                               SPAposition(c.x(), c.y() + step, 0), SPAposition(box_.high().x() + margin, c.y() + step, 0)};
        section->m_normals = {SPAvector(0, 1, 0), SPAvector(-1, 0, 0), SPAvector(0, 1, 0)};
        section->m_depth = box_.high().z() - box_.low().z();
        const double box[6] = {box_.low().x(), box_.low().y(), box_.low().z(),
                               box_.high().x(), box_.high().y(), box_.high().z()};
        std::copy(box, box + 6, section->m_box);
        const int item = 1;
        section->m_paths.push_back(CVyrObjectPath(&item, 1, 1, scene->GetDbScene().GetPeerPartId()));
        body->SetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
        scene->SetComplexSection(section);
    }
    // One full frame.
    void Frame()
    {
        host_.context.OnPicturePropsChanged();
        host_.view->refresh();
        glFinish();
    }
    // The share of the front buffer's pixels that differ from its corner pixel (the background):
    // shows that a section really cut the plate.
    double Covered() const
    {
        std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        size_t lit = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            lit += rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2];
        return static_cast<double>(lit) / (static_cast<double>(kWidth) * kHeight);
    }

private:
    BenchContextWindow host_{L"sections", kWidth, kHeight, 3};
    BODY* plate_ = nullptr;
    SPAbox box_;
    bool ready_ = false;
};

std::unique_ptr<CSectionScene> gScene;
std::map<int, double> gFrames;

void BM_Frame(benchmark::State& state)
{
    if (!gScene) gScene = std::make_unique<CSectionScene>();
    if (!gScene->Ready()) {
        state.SkipWithError("no plate scene (is an X server running?)");
        return;
    }
    const int kind = static_cast<int>(state.range(0));
    gScene->Sections(kind);
    gScene->Frame();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) gScene->Frame();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    if (state.iterations() > 0) gFrames[kind] = elapsed.count() / static_cast<double>(state.iterations());
    state.counters["covered"] = gScene->Covered();
    state.SetLabel(kind == 0 ? "no section" : kind == 1 ? "section plane" : "stepped section, two areas");
    gScene->Sections(0);
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// --- Hide and show ----------------------------------------------------------------------------------

constexpr int kGroups = 1000;
constexpr int kLeavesPerGroup = 100;
constexpr int kListed = 10000;

// Counts the hide levels it is given.
class CCountingInterface : public CDsCoreLineAttributesInt {
public:
    void ApplyColor(const CVyrObjectId&, const CDsColorStorage&, bool, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyPenWidth(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyPenStyle(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyRenderMode(const CVyrObjectId&, ERenderMode, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyHideLevel(const CVyrObjectId&, const CDsHideLevel&, bool, bool, const CAttrNumberIncrementer&) const override
    {
        ++applied;
    }
    void ApplyTransparency(const CVyrObjectId&, float, bool, const CAttrNumberIncrementer&) const override {}
    bool GetEntityColor(const CVyrObjectId&, CDsColorStorage&) const override { return false; }
    bool GetEntityPenWidth(const CVyrObjectId&, int&) const override { return false; }
    bool GetEntityPenStyle(const CVyrObjectId&, int&) const override { return false; }
    bool GetEntityTransparency(const CVyrObjectId&, float&) const override { return false; }
    bool GetEntityRenderMode(const CVyrObjectId&, ERenderMode&) const override { return false; }
    bool GetHideLevel(const CVyrObjectId&, CDsHideLevel&) const override { return false; }
    ENTITY* GetEntityByObjId(const CVyrObjectId&) const override { return nullptr; }
    bool BuildObjectPath(ENTITY*, const CVyrUiToolContext*, CVyrObjectPath&) const override { return false; }

    mutable long long applied = 0;
};

CCountingInterface gCounter;

// The scene of vyr_bench_scene in a document of its own (scene number 9, part 9).
CDsScene& HideScene()
{
    static CDsScene* scene = [] {
        CDsPartStorage* storage = CDsPartStorage::instance();
        CDsPartStorage::sm_Type2Cat[1] = eVyrCatOpenLeaf;
        CDsPartStorage::sm_Type2Cat[2] = eVyrCatLeaf;
        CDsScene* s = new CDsScene(9);
        int id = 1;
        for (int g = 0; g < kGroups; ++g) {
            const CVyrObjectId group(s->GetPeerPartId(), id++);
            storage->AddItem(group, 1, nullptr, nullptr, nullptr, nullptr, nullptr, false);
            for (int l = 0; l < kLeavesPerGroup; ++l) storage->AddChildItem(group, id++, 2, nullptr, nullptr, nullptr, false);
        }
        CDsLineAttrMap::AddInterface(L"Modeler", &gCounter);
        CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(s->GetPeerPartId()), L"Modeler");
        return s;
    }();
    return *scene;
}

// `count` random leaf paths (group, leaf: depth 2).
std::vector<CVyrObjectPath> RandomLeaves(int count, unsigned seed, int part)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> group(0, kGroups - 1), leaf(0, kLeavesPerGroup - 1);
    std::vector<CVyrObjectPath> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int g = group(random);
        const int ids[2] = {1 + g * (kLeavesPerGroup + 1), 2 + g * (kLeavesPerGroup + 1) + leaf(random)};
        paths.emplace_back(ids, 2, 2, part);
    }
    return paths;
}

void BM_HideShow(benchmark::State& state)
{
    CDsScene& scene = HideScene();
    const int part = scene.GetPeerPartId();
    const int hidden = static_cast<int>(state.range(0));
    const std::vector<CVyrObjectPath> hide = RandomLeaves(hidden, 1, part);
    const std::vector<CVyrObjectPath> show = RandomLeaves(kListed - hidden, 2, part);
    gCounter.applied = 0;
    for (auto _ : state) {
        std::vector<CVyrObjectPath> h = hide, s = show;
        CVyrObjectPath root(part);
        NHideShowServices::HideShownShowHidden(h, s, &scene, root, false);
    }
    state.counters["applied/run"] = static_cast<double>(gCounter.applied) / static_cast<double>(state.iterations());
    state.SetLabel(std::to_string(hidden) + " to hide, " + std::to_string(kListed - hidden) + " to show");
}
BENCHMARK(BM_HideShow)->Arg(kListed)->Arg(0)->Arg(kListed / 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gFrames.count(0) && gFrames[0] > 0) {
        std::printf("frame with a section plane / without a section: %.2f (aim at most 1.1)\n",
                    gFrames.count(1) ? gFrames[1] / gFrames[0] : 0.0);
        std::printf("frame with a stepped section of two areas / without a section: %.2f (aim at most 2.2)\n",
                    gFrames.count(2) ? gFrames[2] / gFrames[0] : 0.0);
    }
    gScene.reset();
    return 0;
}
