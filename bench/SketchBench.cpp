// Building the benchmark plate's display data with CDsGlSketch::BuildBody (edge polylines, and
// every face faceted through the mesh interface and its mesh manager into indexed meshes),
// against the modeler's faceting of the same shape alone into a mesh manager that only counts.
// Both facet at the same tolerances (surface 0.05, normal 5 degrees: about 88 thousand
// triangles), so the difference is the cost of the interface, the manager, the meshes and the
// edges.
#include "DsGlSketch.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

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

}  // namespace

BENCHMARK(BM_PlateBuildBody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateFacetOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
