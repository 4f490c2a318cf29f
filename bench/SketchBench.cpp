// Building the benchmark plate's display data with CDsGlSketch::BuildBody (edge polylines, and
// every face faceted through the mesh interface and its mesh manager into indexed meshes),
// against the modeler's faceting of the same shape alone into a mesh manager that only counts.
// Both facet at the same tolerances (surface 0.05, normal 5 degrees: about 88 thousand
// triangles), so the difference is the cost of the interface, the manager, the meshes and the
// edges.
//
// Then the mesh painter drawing every face of the plate, lit, into a 1024 x 768 window,
// milliseconds per frame (glFinish included), on each of its roads: immediate mode, and the
// retained road of the process, which is display lists, or vertex buffers when the program is
// started with the switch /UseVBO (the painter reads it once per process, so run the program
// twice to see all three roads). After the runs the share of pixels in which the retained road's
// picture differs from the immediate one is printed (it should be 0).
#include "BenchMeshBuffers.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsGlMeshPainter.h"
#include "DsGlSketch.h"
#include "DsView3dCdc.h"
#include "VyrCommandLineParser.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kSurfaceTol = 0.05;
constexpr double kNormalTolDegrees = 5.0;

// The plate, built once.
BODY* Plate()
{
    static std::unique_ptr<BODY, void (*)(BODY*)> plate(make_benchmark_plate(), [](BODY* b) {
        if (b) b->lose();
    });
    return plate.get();
}

// Counts what the faceter sends and touches every node, as a manager that kept them would.
class CountingManager : public MESH_MANAGER {
public:
    long triangles = 0;
    double checksum = 0.0;

    void announce_counts(int npoly, int, int) override { triangles += npoly; }
    void* announce_indexed_node(int index, const SPApar_pos& uv, const SPAposition& pos,
                                const SPAunit_vector& normal) override
    {
        checksum += pos.x() + normal.z() + uv.u;
        return reinterpret_cast<void*>(static_cast<intptr_t>(index) + 1);
    }
    void announce_indexed_polynode(int, int, void* id) override
    {
        checksum += static_cast<double>(reinterpret_cast<intptr_t>(id));
    }
};

void BM_PlateBuildBody(benchmark::State& state)
{
    BODY* plate = Plate();
    if (!plate) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    CVyrRefinement refinement;
    refinement.SetSurfaceTol(kSurfaceTol);
    refinement.SetNormalTol(kNormalTolDegrees);
    CVyrRefinement* previous = CVyrRefinement::sCurrentRefinement;
    CVyrRefinement::StSetCurrentRefinement(&refinement);
    long triangles = 0;
    int polylines = 0;
    for (auto _ : state) {
        CDsGlSketch sketch(nullptr);
        std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(plate, true));
        if (!meshes) {
            state.SkipWithError("BuildBody gave no mesh interface");
            break;
        }
        triangles = meshes->ComputeNumOfTriangles();
        polylines = meshes->GetPolylinesCount();
    }
    CVyrRefinement::StSetCurrentRefinement(previous);
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["polylines"] = polylines;
}

void BM_PlateFacetOnly(benchmark::State& state)
{
    BODY* plate = Plate();
    if (!plate) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    REFINEMENT* previous = nullptr;
    REFINEMENT* refinement = nullptr;
    api_get_default_refinement(previous);
    api_create_refinement(refinement);
    refinement->set_surface_tol(kSurfaceTol);
    refinement->set_normal_tol(kNormalTolDegrees);
    api_set_default_refinement(refinement);
    long triangles = 0;
    for (auto _ : state) {
        CountingManager manager;
        api_set_mesh_manager(&manager);
        const outcome result = api_facet_entity(plate);
        api_set_mesh_manager(nullptr);
        if (!result.ok()) {
            state.SkipWithError("api_facet_entity failed");
            break;
        }
        benchmark::DoNotOptimize(manager.checksum);
        triangles = manager.triangles;
    }
    api_set_default_refinement(previous);
    state.counters["triangles"] = static_cast<double>(triangles);
}

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// Whether the painter's retained road is vertex buffers in this process.
bool UsesBuffers()
{
    return CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"UseVBO"));
}

// The plate's meshes through the body sketch, and a core view of a 1024 x 768 window looking at
// the plate from an oblique direction, its context current.
class CPaintedPlate {
public:
    CPaintedPlate()
    {
        BODY* plate = Plate();
        if (!plate) return;
        CVyrRefinement refinement;
        refinement.SetSurfaceTol(kSurfaceTol);
        refinement.SetNormalTol(kNormalTolDegrees);
        CVyrRefinement* previous = CVyrRefinement::sCurrentRefinement;
        CVyrRefinement::StSetCurrentRefinement(&refinement);
        CDsGlSketch sketch(nullptr);
        meshes_.reset(sketch.BuildBody(plate, true));
        CVyrRefinement::StSetCurrentRefinement(previous);
        if (!meshes_) return;
        meshes_->GetAllMeshes(all_);
        SPAbox box;
        for (CVyrIndexedMesh* mesh : all_) {
            triangles_ += mesh->get_num_polygon();
            box |= mesh->get_box();
        }

        window_ = CreateWindowExW(0, L"VyrBench", L"painter", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  nullptr, nullptr);
        if (!window_) return;
        dc_ = GetDC(window_);
        view_ = std::make_unique<CDsView3dCdc>();
        view_->set_device_context(dc_);
        view_->set_viewport(0, 0, kWidth, kHeight);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        if (CDsView3dCdc::StGetCurrent() != view_.get() || !wglGetCurrentContext()) return;
        bench::ObliqueParallelView(*view_, box, kWidth, kHeight);
        ready_ = !all_.empty();
    }
    ~CPaintedPlate()
    {
        if (view_) {
            CDsView3dCdc::StGetCurrent();
            meshes_.reset();  // lists and buffers go while the context is current
            context_.remove_view(view_.get());
            view_.reset();
        }
        if (window_) {
            ReleaseDC(window_, dc_);
            DestroyWindow(window_);
        }
    }
    CPaintedPlate(const CPaintedPlate&) = delete;
    CPaintedPlate& operator=(const CPaintedPlate&) = delete;

    bool Ready() const { return ready_; }
    long Triangles() const { return triangles_; }
    int Faces() const { return static_cast<int>(all_.size()); }

    // One frame: camera, cleared picture, a light from the viewer, every face through the painter.
    void Frame(bool immediate)
    {
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const GLfloat fromViewer[4] = {0, 0, 1, 0};
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
        glPopMatrix();
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        for (CVyrIndexedMesh* mesh : all_) painter_.DrawIndexedMesh(*view_, mesh, immediate);
        glFinish();
    }
    // The back buffer, RGB.
    std::vector<unsigned char> Picture() const
    {
        std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }

private:
    std::unique_ptr<CVyrMeshInterface> meshes_;
    std::vector<CVyrIndexedMesh*> all_;
    long triangles_ = 0;
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    CDsGlMeshPainter painter_;
    bool ready_ = false;
};

std::unique_ptr<CPaintedPlate> gPainted;

CPaintedPlate& Painted()
{
    if (!gPainted) {
        const bool ellipses = CDsEllipseStorage::StGetDynamicEllipses();
        CDsEllipseStorage::StSetDynamicEllipses(false);
        gPainted = std::make_unique<CPaintedPlate>();
        CDsEllipseStorage::StSetDynamicEllipses(ellipses);
    }
    return *gPainted;
}

void PaintFrames(benchmark::State& state, bool immediate)
{
    CPaintedPlate& plate = Painted();
    if (!plate.Ready()) {
        state.SkipWithError("no plate in a window (is an X server running?)");
        return;
    }
    CDsView3dCdc::StGetCurrent();
    plate.Frame(immediate);  // the retained road builds its lists or buffers here
    for (auto _ : state) plate.Frame(immediate);
    state.SetLabel(immediate ? "immediate" : UsesBuffers() ? "vertex buffers" : "display lists");
    state.counters["triangles"] = static_cast<double>(plate.Triangles());
    state.counters["faces"] = plate.Faces();
}

void BM_PlatePainterImmediate(benchmark::State& state)
{
    PaintFrames(state, true);
}

void BM_PlatePainterRetained(benchmark::State& state)
{
    PaintFrames(state, false);
}

}  // namespace

BENCHMARK(BM_PlateBuildBody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateFacetOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlatePainterImmediate)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlatePainterRetained)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The painter's switches are the program's own: only other arguments are unknown.
    int unknown = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if ((a[0] == '/' || a[0] == '-') && std::strcmp(a + 1, "UseVBO") == 0) continue;
        std::fprintf(stderr, "unrecognized argument: %s\n", a);
        ++unknown;
    }
    if (unknown) return 1;
    benchmark::RunSpecifiedBenchmarks();
    if (gPainted && gPainted->Ready()) {
        CDsView3dCdc::StGetCurrent();
        gPainted->Frame(true);
        const std::vector<unsigned char> immediate = gPainted->Picture();
        gPainted->Frame(false);
        const std::vector<unsigned char> retained = gPainted->Picture();
        long differing = 0, lit = 0;
        for (size_t i = 0; i < immediate.size(); i += 3) {
            differing += std::abs(immediate[i] - retained[i]) > 2 || std::abs(immediate[i + 1] - retained[i + 1]) > 2 ||
                         std::abs(immediate[i + 2] - retained[i + 2]) > 2;
            lit += (immediate[i] | immediate[i + 1] | immediate[i + 2]) > 8;
        }
        const double pixels = double(immediate.size() / 3);
        std::printf("%s against immediate mode: %.3f %% of the pixels differ (%.1f %% of the window drawn)\n",
                    UsesBuffers() ? "vertex buffers" : "display lists", 100.0 * differing / pixels, 100.0 * lit / pixels);
    }
    gPainted.reset();
    return 0;
}
