// The hover pick on the benchmark plate (about 89 thousand triangles: the body sketch at surface
// tolerance 0.05 and normal tolerance 5 degrees) in a 1024 x 768 window, shaded: milliseconds per
// CDsPickProccessor::PickSingle at 200 fixed pixels over the part, median and 90th percentile.
//   items      one scene item per face and per edge (vertex buffers), faces found by OpenGL selection
//   items-ray  the same, faces found by the pick ray against their triangles (the section-test flag)
//   body       the plate as one item (the host's body geometry of a body the context shows)
// The pixels are found once, on the items scene: the first 200 of a fixed sequence of pixels in
// the plate's screen rectangle at which a pick finds something. Each run prints how many of them
// found something; at the end the body's median against the items-ray median of the same run
// (aim: 1.5 times at most).
// Then the region pick of the window's left half (CDsPickProccessor::PickInRegion, every object
// type) on both scenes, in selection mode 0 and in mode 2 (the visible-only pass over the software
// z-buffer first): milliseconds per pick (median) and the items found; at the end the figures
// against the goal for mode 0 (7.8 ms) and the ratio of mode 2 to mode 0 (goal: 2 at most).
// Then a figure of many small leaves over a block, seen from above: 3,200 and 12,800 filled 2-D
// squares (CDsFigureGenerator::ItDrawPolyLine), or as many squares of two recorded triangles
// (DrawTriangles), each a leaf of its own. Timed, median milliseconds: a whole frame of the scene,
// the single pick at the middle leaf's pixel on the selection road and on the ray road, the
// nearest-point snap (kind 267) on the block's edge between two leaves, and the region pick of the
// whole window (the figure and the block) in selection modes 0 and 2; at the end each against the
// whole frame (aim: 1 at most) and the 12,800 leaves against the 3,200 (linear: about 4).
// Last, a figure of 12,800 filled squares a quarter unit wide, 0.625 apart, at a unit a pixel over
// a block: some 64 leaves in the pick window about any pixel. Timed, median milliseconds: a whole
// frame, and the single pick at a pixel between the leaves on the selection road (the figure,
// where the window shows it in the pick window) and on the ray road (the block under the gap); at
// the end each against the whole frame (aim for the selection road: 1 at most).
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "BenchPlateItems.h"
#include "DsDriverGl.h"
#include "DsAcisPick.h"
#include "DsAttributes.h"
#include "DsEllipseStorage.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlSketch.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsPickedItem.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
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
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPixels = 200;
constexpr unsigned char kFaceType = 1;
constexpr unsigned char kEdgeType = 2;

// A shaded 1024 x 768 view of the plate, either as one item per face and edge or as one body.
class CPickScene {
public:
    // Each scene has a scene number (and so a model part) of its own.
    explicit CPickScene(bool asBody) : asBody_(asBody), host_(L"pick", kWidth, kHeight, asBody ? 2 : 1)
    {
        // The view on a framework window, as a host makes it, so that its refreshes draw.
        if (!host_.Ready()) return;
        plate_ = make_benchmark_plate();
        if (!plate_) return;
        SPAbox box;
        if (asBody) {
            if (!VyrShowBody(&host_.context, plate_, 1, nullptr)) return;
            box = host_.context.GetScene()->GetDbScene().GetBoundsBox();
        } else if (!FileItems(box)) {
            return;
        }
        // An oblique parallel view of the whole plate, as the renderers' benchmark has it.
        bench::ObliqueParallelView(*host_.view, box, kWidth, kHeight);
        host_.view->SetRenderMode(eRenderShade);
        host_.view->refresh();
        // The plate's screen rectangle.
        for (int i = 0; i < 8; ++i) {
            const SPAposition corner(i & 1 ? box.high().x() : box.low().x(), i & 2 ? box.high().y() : box.low().y(),
                                     i & 4 ? box.high().z() : box.low().z());
            float x = 0.0f, y = 0.0f;
            if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(corner, host_.view.get(), x, y)) continue;
            rect_[0] = std::min(rect_[0], static_cast<int>(x));
            rect_[1] = std::min(rect_[1], static_cast<int>(y));
            rect_[2] = std::max(rect_[2], static_cast<int>(x));
            rect_[3] = std::max(rect_[3], static_cast<int>(y));
        }
        rect_[0] = std::max(rect_[0], 0);
        rect_[1] = std::max(rect_[1], 0);
        rect_[2] = std::min(rect_[2], kWidth - 1);
        rect_[3] = std::min(rect_[3], kHeight - 1);
        for (int t = 0; t < eDsPickPtFirst; ++t) domain_[0].SetType(t, -1);
        ready_ = rect_[0] < rect_[2] && rect_[1] < rect_[3];
    }
    ~CPickScene()
    {
        if (host_.view) {
            CDsView3dCdc::StGetCurrent();
            if (asBody_ && plate_) VyrHideBody(&host_.context, plate_, 1);
            CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
        }
        if (plate_) plate_->lose();
    }
    CPickScene(const CPickScene&) = delete;
    CPickScene& operator=(const CPickScene&) = delete;

    bool Ready() const { return ready_; }
    const int* Rect() const { return rect_; }
    long Triangles() const { return triangles_; }
    int Items() const { return items_; }

    // The single pick at (x, y); true when it chose something.
    bool Pick(int x, int y, bool ray)
    {
        const CUiPickEvent event(x, y, 0, host_.view.get(), nullptr);
        CDsPickContext request;
        request.m_ownerContext = &host_.context;
        request.m_domain = &domain_;
        request.m_event = &event;
        request.m_sectionTest = ray ? 1 : 0;
        CDsPickedItemList list;
        return host_.context.GetPickProccessor()->PickSingle(request, list).IsValid();
    }

    // The region pick of the window's left half in selection mode `mode`; the number of items.
    int RegionPick(EDsSelectionByBoxMode mode)
    {
        const CUiPickEvent event(0, 0, 0, host_.view.get(), nullptr);
        const int corner[2] = {kWidth / 2, kHeight};
        CDsPickContext request;
        request.m_ownerContext = &host_.context;
        request.m_domain = &domain_;
        request.m_event = &event;
        request.m_secondCorner = corner;
        request.m_regionSelector = 1;
        CDsPickProccessor* processor = host_.context.GetPickProccessor();
        processor->SetSelectionMode(mode);
        CDsPickedItemList list;
        const int count = processor->PickInRegion(request, list);
        processor->SetSelectionMode(eDsSelectionByBoxDefault);
        return count;
    }

    // The plate at the faceting benchmark's finer tolerances, each face and edge an item of the scene.
    bool FileItems(SPAbox& box)
    {
        CVyrRefinement refinement;
        refinement.SetSurfaceTol(0.05);
        refinement.SetNormalTol(5.0);
        bench::SPlateItems filed;
        const bool done = bench::FilePlateItems(host_.context, plate_, &refinement, kFaceType, 0xB0B0B0, kEdgeType,
                                                0x00FFFF, box, filed);
        triangles_ = filed.triangles;
        items_ = filed.items;
        return done;
    }

    bool asBody_;
    BenchContextWindow host_;
    BODY* plate_ = nullptr;
    std::vector<CDsTypeMask> domain_ = std::vector<CDsTypeMask>(1);
    int rect_[4] = {kWidth, kHeight, 0, 0};
    long triangles_ = 0;
    int items_ = 0;
    bool ready_ = false;
};

std::unique_ptr<CPickScene> gItems, gBody;
std::vector<std::pair<int, int>> gPixels;

CPickScene& Items()
{
    if (!gItems) gItems = std::make_unique<CPickScene>(false);
    return *gItems;
}
CPickScene& Body()
{
    if (!gBody) gBody = std::make_unique<CPickScene>(true);
    return *gBody;
}

// The 200 pixels: a fixed sequence of pixels in the plate's screen rectangle at which a pick on the
// items scene finds something.
const std::vector<std::pair<int, int>>& Pixels()
{
    if (!gPixels.empty()) return gPixels;
    CPickScene& scene = Items();
    if (!scene.Ready()) return gPixels;
    const int* r = scene.Rect();
    unsigned seed = 12345u;
    for (int tries = 0; tries < 20 * kPixels && static_cast<int>(gPixels.size()) < kPixels; ++tries) {
        seed = seed * 1664525u + 1013904223u;
        const int x = r[0] + static_cast<int>((seed >> 8) % static_cast<unsigned>(r[2] - r[0] + 1));
        seed = seed * 1664525u + 1013904223u;
        const int y = r[1] + static_cast<int>((seed >> 8) % static_cast<unsigned>(r[3] - r[1] + 1));
        if (scene.Pick(x, y, false)) gPixels.emplace_back(x, y);
    }
    return gPixels;
}

// Median milliseconds of the hover picks, by road: items, items-ray, body (0 until run).
double gHoverMs[3] = {};

// Picks at every pixel once per iteration; median and 90th percentile milliseconds per pick.
void RunPicks(benchmark::State& state, CPickScene& scene, bool ray, int road)
{
    const auto& pixels = Pixels();
    if (!scene.Ready() || pixels.empty()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    std::vector<double> times;
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const auto& p : pixels) {
            const auto start = std::chrono::steady_clock::now();
            found += scene.Pick(p.first, p.second, ray) ? 1 : 0;
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(times.begin(), times.end());
    gHoverMs[road] = times[times.size() / 2];
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["p90_ms"] = times[times.size() * 9 / 10];
    state.counters["found"] = found;
    state.counters["pixels"] = static_cast<double>(pixels.size());
    state.counters["items"] = scene.Items();
}

void BM_HoverPickItems(benchmark::State& state) { RunPicks(state, Items(), false, 0); }
void BM_HoverPickItemsRay(benchmark::State& state) { RunPicks(state, Items(), true, 1); }
void BM_HoverPickBody(benchmark::State& state) { RunPicks(state, Body(), false, 2); }

BENCHMARK(BM_HoverPickItems)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverPickItemsRay)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverPickBody)->Iterations(5)->Unit(benchmark::kMillisecond);

// Median milliseconds of the region picks, by scene (0 items, 1 body) and selection mode (0, 2).
double gRegionMs[2][3] = {};

// Region picks of the left half, one per iteration; median milliseconds per pick.
void RunRegionPicks(benchmark::State& state, CPickScene& scene, int which)
{
    if (!scene.Ready()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    const auto mode = static_cast<EDsSelectionByBoxMode>(state.range(0));
    std::vector<double> times;
    int found = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        found = scene.RegionPick(mode);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    gRegionMs[which][mode == eDsSelectionByBoxVisibleOnly ? 2 : 0] = median;
    state.counters["median_ms"] = median;
    state.counters["found"] = found;
    state.counters["items"] = scene.Items();
}

void BM_RegionPickItems(benchmark::State& state) { RunRegionPicks(state, Items(), 0); }
void BM_RegionPickBody(benchmark::State& state) { RunRegionPicks(state, Body(), 1); }

BENCHMARK(BM_RegionPickItems)->Arg(eDsSelectionByBoxDefault)->Arg(eDsSelectionByBoxVisibleOnly)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionPickBody)->Arg(eDsSelectionByBoxDefault)->Arg(eDsSelectionByBoxVisibleOnly)->Iterations(30)->Unit(benchmark::kMillisecond);

// The region picks' figures against their goals.
void PrintRegionSummary()
{
    const char* names[2] = {"items", "body"};
    for (int which = 0; which < 2; ++which) {
        const double mode0 = gRegionMs[which][0], mode2 = gRegionMs[which][2];
        if (mode0 <= 0.0 || mode2 <= 0.0) continue;
        std::printf("region pick of the left half, %s scene: mode 0 %.2f ms (%.2f x the goal of 7.8 ms), "
                    "mode 2 %.2f ms (%.2f x mode 0, goal 2 at most)\n",
                    names[which], mode0, mode0 / 7.8, mode2, mode2 / mode0);
    }
}

// The one-body hover pick against the items found by the ray, both of this run.
void PrintHoverSummary()
{
    const double body = gHoverMs[2], itemsRay = gHoverMs[1];
    if (body <= 0.0 || itemsRay <= 0.0) return;
    std::printf("hover pick, median: body %.3f ms, items-ray %.3f ms, body %.2f x items-ray (aim 1.5 at most)\n", body,
                itemsRay, body / itemsRay);
}

// --- A figure of many leaves -------------------------------------------------------------------

// Leaves per row of the figure (a row is 1 model unit high, a leaf 1 unit wide).
constexpr int kLeavesPerRow = 160;

// The figure's leaves: filled 2-D squares, or squares of two recorded triangles.
enum class EFigureLeaf { eSquares, eTriangles };

// `count` squares of side 0.6 at a pitch of 1 in the plane z = 0, kLeavesPerRow to a row, each a
// leaf of its own.
class CManyLeavesFigure : public CDsFigure {
public:
    CManyLeavesFigure(EFigureLeaf leaf, int count) : m_leaf(leaf), m_count(count) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(40, 200, 255));
        for (int i = 0; i < m_count; ++i) {
            const float x = static_cast<float>(i % kLeavesPerRow) + 0.5f;
            const float y = static_cast<float>(i / kLeavesPerRow) + 0.5f;
            const float lo = -0.3f, hi = 0.3f;
            if (m_leaf == EFigureLeaf::eSquares) {
                float square[12] = {x + lo, y + lo, 0, x + hi, y + lo, 0, x + hi, y + hi, 0, x + lo, y + hi, 0};
                CDsFigureGenerator::ItDrawPolyLine(&generator, 4, square, true);
            } else {
                const double a[3] = {x + lo, y + lo, 0}, b[3] = {x + hi, y + lo, 0}, c[3] = {x + hi, y + hi, 0},
                             d[3] = {x + lo, y + hi, 0};
                const double points[18] = {a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2],
                                           a[0], a[1], a[2], c[0], c[1], c[2], d[0], d[1], d[2]};
                generator.DrawTriangles(2, points, nullptr);
            }
        }
        return 1;
    }

private:
    EFigureLeaf m_leaf;
    int m_count;
};

// The figure over a block (its top 5 units below the figure), shaded, seen from above in a
// parallel view of the whole figure.
class CFigureScene {
public:
    CFigureScene(EFigureLeaf leaf, int count) : host_(L"figure picks", kWidth, kHeight, 3), figure_(leaf, count)
    {
        if (!host_.Ready()) return;
        const int rows = (count + kLeavesPerRow - 1) / kLeavesPerRow;
        // The block under the middle of the figure.
        const double x0 = 0.25 * kLeavesPerRow, x1 = 0.75 * kLeavesPerRow, y0 = 0.25 * rows, y1 = 0.75 * rows;
        block_ = make_block(x0, y0, -15.0, x1, y1, -5.0);
        CDsAttributes look;
        look.SetColor(0x5A8CD2);
        if (!block_ || !VyrShowBody(&host_.context, block_, 1, &look)) return;
        const SPAposition centre(0.5 * kLeavesPerRow, 0.5 * rows, 0.0);
        const double width = kLeavesPerRow + 10.0;
        view3d& view = *host_.view;
        view.set_perspective(false);
        view.set_target(centre);
        view.set_eye(centre + SPAvector(0, 0, 200));
        view.set_up(SPAvector(0, 1, 0));
        view.set_width(width);
        view.set_height(width * kHeight / kWidth);
        view.set_hither(1.0);
        view.set_yon(400.0);
        view.adjust_aspect();
        host_.view->SetRenderMode(eRenderShade);
        figure_.Record(true, host_.view.get());
        if (!figure_.IsRecorded()) return;
        host_.view->refresh();
        // The middle leaf, and the block's far edge half way along it, between two rows of leaves.
        const int middle = count / 2 + kLeavesPerRow / 2;
        ready_ = Pixel(SPAposition(middle % kLeavesPerRow + 0.5, middle / kLeavesPerRow + 0.5, 0.0), leafPixel_) &&
                 Pixel(SPAposition(0.5 * (x0 + x1), y1, -5.0), edgePixel_);
        for (int t = 0; t < eDsPickPtFirst; ++t) domain_[0].SetType(t, -1);
        snapKinds_.SetType(267, -1);
    }
    ~CFigureScene()
    {
        if (!host_.view) return;
        CDsView3dCdc::StGetCurrent();
        if (figure_.IsRecorded()) figure_.Remove(host_.view.get());
        if (block_) {
            VyrHideBody(&host_.context, block_, 1);
            block_->lose();
        }
        CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
    }
    CFigureScene(const CFigureScene&) = delete;
    CFigureScene& operator=(const CFigureScene&) = delete;

    bool Ready() const { return ready_; }
    // A whole frame of the scene, finished.
    void WholeFrame()
    {
        host_.context.OnPicturePropsChanged();
        host_.view->refresh();
        glFinish();
    }
    // The single pick at the middle leaf on the selection road or the ray road; whether it chose
    // the figure.
    bool Pick(bool ray)
    {
        const CUiPickEvent event(leafPixel_.first, leafPixel_.second, 0, host_.view.get(), nullptr);
        CDsPickContext request;
        request.m_ownerContext = &host_.context;
        request.m_domain = &domain_;
        request.m_event = &event;
        request.m_sectionTest = ray ? 1 : 0;
        CDsPickedItemList list;
        const CDsPickedItem picked = host_.context.GetPickProccessor()->PickSingle(request, list);
        CVyrObjectPath figure;
        return picked.IsValid() && figure_.GetPath(figure) && picked.GetObjectPath() == figure;
    }
    // The region pick of the whole window in selection mode `mode`; the number of items.
    int RegionPick(EDsSelectionByBoxMode mode)
    {
        const CUiPickEvent event(0, 0, 0, host_.view.get(), nullptr);
        const int corner[2] = {kWidth, kHeight};
        CDsPickContext request;
        request.m_ownerContext = &host_.context;
        request.m_domain = &domain_;
        request.m_event = &event;
        request.m_secondCorner = corner;
        request.m_regionSelector = 1;
        CDsPickProccessor* processor = host_.context.GetPickProccessor();
        processor->SetSelectionMode(mode);
        CDsPickedItemList list;
        const int count = processor->PickInRegion(request, list);
        processor->SetSelectionMode(eDsSelectionByBoxDefault);
        return count;
    }
    // The nearest-point snap at the block's edge; whether it found a point.
    bool Snap()
    {
        CUiPickEvent event(edgePixel_.first, edgePixel_.second, 0, host_.view.get(), nullptr);
        std::unique_ptr<CDsRefPoint> point(CDsAcisPick::StPickRefPoint(event, snapKinds_));
        return point != nullptr;
    }

private:
    bool Pixel(const SPAposition& p, std::pair<int, int>& pixel)
    {
        float x = 0.0f, y = 0.0f;
        if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(p, host_.view.get(), x, y)) return false;
        pixel = {static_cast<int>(x), static_cast<int>(y)};
        return x >= 0 && y >= 0 && x < kWidth && y < kHeight;
    }

    BenchContextWindow host_;
    CManyLeavesFigure figure_;
    BODY* block_ = nullptr;
    std::vector<CDsTypeMask> domain_ = std::vector<CDsTypeMask>(1);
    CDsTypeMask snapKinds_;
    std::pair<int, int> leafPixel_, edgePixel_;
    bool ready_ = false;
};

// Median milliseconds by leaf kind and count: whole frame, selection pick, ray pick, snap, region
// picks in modes 0 and 2.
struct SFigureCosts {
    double frame = 0.0, selection = 0.0, ray = 0.0, snap = 0.0, region0 = 0.0, region2 = 0.0;
};
std::map<std::pair<int, int>, SFigureCosts> gFigureCosts;

double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each iteration: a whole frame, a pick on each road, a snap and a region pick in each mode, each
// timed.
void BM_FigurePickAndSnap(benchmark::State& state)
{
    const auto leaf = static_cast<EFigureLeaf>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    CFigureScene scene(leaf, count);
    if (!scene.Ready()) {
        state.SkipWithError("no figure scene (is an X server running?)");
        return;
    }
    std::vector<double> frame, selection, ray, snap, region0, region2;
    int picked = 0, snapped = 0, regionFound = 0;
    auto timed = [](std::vector<double>& into, auto&& what) {
        const auto start = std::chrono::steady_clock::now();
        const bool answered = what();
        into.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        return answered ? 1 : 0;
    };
    for (auto _ : state) {
        picked = snapped = 0;
        timed(frame, [&] {
            scene.WholeFrame();
            return true;
        });
        picked += timed(selection, [&] { return scene.Pick(false); });
        picked += timed(ray, [&] { return scene.Pick(true); });
        snapped += timed(snap, [&] { return scene.Snap(); });
        timed(region0, [&] { return (regionFound = scene.RegionPick(eDsSelectionByBoxDefault)) > 0; });
        timed(region2, [&] { return scene.RegionPick(eDsSelectionByBoxVisibleOnly) > 0; });
    }
    SFigureCosts& costs = gFigureCosts[{static_cast<int>(leaf), count}];
    costs = {Median(frame), Median(selection), Median(ray), Median(snap), Median(region0), Median(region2)};
    state.counters["frame_ms"] = costs.frame;
    state.counters["selection_ms"] = costs.selection;
    state.counters["ray_ms"] = costs.ray;
    state.counters["snap_ms"] = costs.snap;
    state.counters["picked"] = picked;
    state.counters["snapped"] = snapped;
    state.counters["region0_ms"] = costs.region0;
    state.counters["region2_ms"] = costs.region2;
    state.counters["region_found"] = regionFound;
}
BENCHMARK(BM_FigurePickAndSnap)
    ->ArgsProduct({{static_cast<int>(EFigureLeaf::eSquares), static_cast<int>(EFigureLeaf::eTriangles)}, {3200, 12800}})
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// The figure's picks and snaps against a whole frame, and the larger figure against the smaller.
void PrintFigureSummary()
{
    const char* names[2] = {"filled 2-D squares", "squares of recorded triangles"};
    for (const auto& entry : gFigureCosts) {
        const SFigureCosts& c = entry.second;
        if (c.frame <= 0.0) continue;
        std::printf("figure of %d %s: frame %.2f ms; selection pick %.2f ms (%.2f x frame), ray pick %.2f ms "
                    "(%.2f x frame), snap %.2f ms (%.2f x frame), region pick mode 0 %.2f ms (%.2f x frame), "
                    "mode 2 %.2f ms (%.2f x frame); aim 1 at most\n",
                    entry.first.second, names[entry.first.first], c.frame, c.selection, c.selection / c.frame, c.ray,
                    c.ray / c.frame, c.snap, c.snap / c.frame, c.region0, c.region0 / c.frame, c.region2,
                    c.region2 / c.frame);
    }
    for (int leaf = 0; leaf < 2; ++leaf) {
        const auto small = gFigureCosts.find({leaf, 3200}), large = gFigureCosts.find({leaf, 12800});
        if (small == gFigureCosts.end() || large == gFigureCosts.end()) continue;
        const SFigureCosts &a = small->second, &b = large->second;
        if (a.selection <= 0.0 || a.ray <= 0.0 || a.snap <= 0.0 || a.region0 <= 0.0 || a.region2 <= 0.0) continue;
        std::printf("%s, 12,800 against 3,200 leaves (linear: about 4): selection %.1f, ray %.1f, snap %.1f, "
                    "region mode 0 %.1f, mode 2 %.1f\n",
                    names[leaf], b.selection / a.selection, b.ray / a.ray, b.snap / a.snap, b.region0 / a.region0,
                    b.region2 / a.region2);
    }
}

// --- A figure whose leaves crowd the cursor ----------------------------------------------------

// 160 x 80 filled squares of 0.25 x 0.25 units at a pitch of 0.625 over [0, 100] x [0, 50] at z 30,
// each a leaf of its own, over a block, shaded, in a 200 x 100 window of a parallel view of
// 200 x 100 units: a unit a pixel, some 64 leaves in the pick window about every pixel of the
// figure. The picks are at a pixel over the figure's middle whose centre lies between leaves: the
// ray meets none of them, the selection many.
constexpr int kCrowdColumns = 160, kCrowdRows = 80;
constexpr int kCrowdWidth = 200, kCrowdHeight = 100;

class CCrowdedFigure : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 200, 40));
        const float pitch = 100.0f / kCrowdColumns, side = 0.25f;
        for (int row = 0; row < kCrowdRows; ++row)
            for (int column = 0; column < kCrowdColumns; ++column) {
                const float x = column * pitch, y = row * pitch;
                float square[12] = {x, y, 30, x + side, y, 30, x + side, y + side, 30, x, y + side, 30};
                CDsFigureGenerator::ItDrawPolyLine(&generator, 4, square, true);
            }
        return 1;
    }
};

class CCrowdedScene {
public:
    CCrowdedScene() : host_(L"crowded picks", kCrowdWidth, kCrowdHeight, 4)
    {
        if (!host_.Ready()) return;
        block_ = make_block(0, 0, 0, 60, 40, 20);
        CDsAttributes look;
        look.SetColor(0x5A8CD2);
        if (!block_ || !VyrShowBody(&host_.context, block_, 1, &look)) return;
        view3d& view = *host_.view;
        view.set_perspective(false);
        view.set_target(SPAposition(60, 20, 0));
        view.set_eye(SPAposition(60, 20, 200));
        view.set_up(SPAvector(0, 1, 0));
        view.set_width(kCrowdWidth);
        view.set_height(kCrowdHeight);
        view.set_hither(1.0);
        view.set_yon(400.0);
        host_.view->SetRenderMode(eRenderShade);
        figure_.Record(true, host_.view.get());
        if (!figure_.IsRecorded()) return;
        host_.view->refresh();
        // The pixel over the figure's middle, its centre (50.5, 25.5) between leaves.
        float x = 0.0f, y = 0.0f;
        if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(SPAposition(50.1, 25.1, 30), host_.view.get(), x,
                                                                       y))
            return;
        pixel_ = {static_cast<int>(x), static_cast<int>(y)};
        for (int t = 0; t < eDsPickPtFirst; ++t) domain_[0].SetType(t, -1);
        ready_ = pixel_.first > 0 && pixel_.second > 0 && pixel_.first < kCrowdWidth && pixel_.second < kCrowdHeight;
    }
    ~CCrowdedScene()
    {
        if (!host_.view) return;
        CDsView3dCdc::StGetCurrent();
        if (figure_.IsRecorded()) figure_.Remove(host_.view.get());
        if (block_) {
            VyrHideBody(&host_.context, block_, 1);
            block_->lose();
        }
        CDsPartStorage::instance()->RemovePart(host_.context.GetScene()->GetDbScene().GetPeerPartId());
    }
    CCrowdedScene(const CCrowdedScene&) = delete;
    CCrowdedScene& operator=(const CCrowdedScene&) = delete;

    bool Ready() const { return ready_; }
    void WholeFrame()
    {
        host_.context.OnPicturePropsChanged();
        host_.view->refresh();
        glFinish();
    }
    // The single pick at the figure's middle on road 0 (selection) or 1 (the ray); whether it chose
    // the figure.
    bool Pick(int road)
    {
        const CUiPickEvent event(pixel_.first, pixel_.second, 0, host_.view.get(), nullptr);
        CDsPickContext request;
        request.m_ownerContext = &host_.context;
        request.m_domain = &domain_;
        request.m_event = &event;
        request.m_sectionTest = road;
        CDsPickedItemList list;
        const CDsPickedItem picked = host_.context.GetPickProccessor()->PickSingle(request, list);
        CVyrObjectPath figure;
        return picked.IsValid() && figure_.GetPath(figure) && picked.GetObjectPath() == figure;
    }

private:
    BenchContextWindow host_;
    CCrowdedFigure figure_;
    BODY* block_ = nullptr;
    std::vector<CDsTypeMask> domain_ = std::vector<CDsTypeMask>(1);
    std::pair<int, int> pixel_;
    bool ready_ = false;
};

// Median milliseconds: a whole frame, the road-0 pick, the road-1 pick (0 until run).
double gCrowdedMs[3] = {};

// Each iteration: a whole frame and a pick on each road, each timed.
void BM_CrowdedFigurePick(benchmark::State& state)
{
    CCrowdedScene scene;
    if (!scene.Ready()) {
        state.SkipWithError("no crowded figure scene (is an X server running?)");
        return;
    }
    std::vector<double> times[3];
    int picked[2] = {};
    for (auto _ : state) {
        for (int what = 0; what < 3; ++what) {
            const auto start = std::chrono::steady_clock::now();
            if (what == 0)
                scene.WholeFrame();
            else
                picked[what - 1] = scene.Pick(what - 1) ? 1 : 0;
            times[what].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    for (int what = 0; what < 3; ++what) gCrowdedMs[what] = Median(times[what]);
    state.counters["frame_ms"] = gCrowdedMs[0];
    state.counters["road0_ms"] = gCrowdedMs[1];
    state.counters["road1_ms"] = gCrowdedMs[2];
    state.counters["road0_figure"] = picked[0];
    state.counters["road1_figure"] = picked[1];
}
BENCHMARK(BM_CrowdedFigurePick)->Iterations(10)->Unit(benchmark::kMillisecond);

// The crowded figure's picks against a whole frame of the same scene (the peers time no such figure).
void PrintCrowdedSummary()
{
    const double frame = gCrowdedMs[0];
    if (frame <= 0.0) return;
    std::printf("figure of %d leaves crowding the cursor: frame %.2f ms; selection pick (road 0) %.2f ms (%.2f x "
                "frame, aim 1 at most), ray pick (road 1) %.2f ms (%.2f x frame)\n",
                kCrowdColumns * kCrowdRows, frame, gCrowdedMs[1], gCrowdedMs[1] / frame, gCrowdedMs[2],
                gCrowdedMs[2] / frame);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    PrintHoverSummary();
    PrintRegionSummary();
    PrintFigureSummary();
    PrintCrowdedSummary();
    benchmark::Shutdown();
    gBody.reset();
    gItems.reset();
    return 0;
}
