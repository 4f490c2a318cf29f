// The benchmark plate's body record (about 88 thousand triangles, faceted as the sketch benchmark
// does: surface tolerance 0.05, normal tolerance 5 degrees): Save into memory and Load from
// memory, in milliseconds and megabytes per second, beside faceting the plate's faces through a
// mesh interface (what Load spares a document that is opened again).
#include "DsGlSketch.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <afx.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The plate, built once.
BODY* Plate()
{
    static std::unique_ptr<BODY, void (*)(BODY*)> plate(make_benchmark_plate(), [](BODY* b) {
        if (b) b->lose();
    });
    return plate.get();
}

// The plate's display data, made once.
CVyrMeshInterface* PlateMeshes()
{
    static std::unique_ptr<CVyrMeshInterface> meshes = [] {
        CVyrRefinement refinement;
        refinement.SetSurfaceTol(0.05);
        refinement.SetNormalTol(5.0);
        CVyrRefinement* previous = CVyrRefinement::sCurrentRefinement;
        CVyrRefinement::StSetCurrentRefinement(&refinement);
        std::unique_ptr<CVyrMeshInterface> made(Plate() ? CDsGlSketch(nullptr).BuildBody(Plate(), true) : nullptr);
        CVyrRefinement::StSetCurrentRefinement(previous);
        return made;
    }();
    return meshes.get();
}

std::vector<BYTE> SavedPlate()
{
    CMemFile file;
    CArchive archive(&file, CArchive::store);
    PlateMeshes()->Save(&archive, false);
    archive.Close();
    return std::vector<BYTE>(file.GetData(), file.GetData() + file.GetLength());
}

void BM_PlateSave(benchmark::State& state)
{
    if (!PlateMeshes()) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        CMemFile file(1 << 20);
        CArchive archive(&file, CArchive::store);
        PlateMeshes()->Save(&archive, false);
        archive.Close();
        bytes = static_cast<size_t>(file.GetLength());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["triangles"] = PlateMeshes()->ComputeNumOfTriangles();
    state.counters["record_bytes"] = static_cast<double>(bytes);
}

void BM_PlateLoad(benchmark::State& state)
{
    if (!PlateMeshes()) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    std::vector<BYTE> record = SavedPlate();
    int triangles = 0;
    for (auto _ : state) {
        CMemFile file(record.data(), static_cast<UINT>(record.size()));
        CArchive archive(&file, CArchive::load);
        CVyrMeshInterface meshes;
        if (!meshes.Load(&archive, false)) {
            state.SkipWithError("the plate's record did not load");
            break;
        }
        triangles = meshes.ComputeNumOfTriangles();
    }
    state.SetBytesProcessed(static_cast<int64_t>(record.size()) * state.iterations());
    state.counters["triangles"] = triangles;
}

void BM_PlateFacetThroughInterface(benchmark::State& state)
{
    if (!Plate()) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    CVyrRefinement* refinement = new CVyrRefinement;
    refinement->SetSurfaceTol(0.05);
    refinement->SetNormalTol(5.0);
    int triangles = 0;
    for (auto _ : state) {
        CVyrMeshInterface meshes;
        meshes.SetVyrRefinement(new CVyrRefinement(*refinement));
        meshes.FacetEntity(Plate(), 0, true);
        triangles = meshes.ComputeNumOfTriangles();
    }
    delete refinement;
    state.counters["triangles"] = triangles;
}

}  // namespace

BENCHMARK(BM_PlateSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlateFacetThroughInterface)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
