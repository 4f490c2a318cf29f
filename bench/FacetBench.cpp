// Faceting the benchmark plate through the modeler's api_facet_entity with a counting mesh
// manager, against the same shape meshed by OCCT's mesher directly (and its triangulation read),
// at two tolerance pairs (about 15 and 89 thousand triangles). Both sides mesh from scratch on
// every iteration with the same mesher settings, so the difference is the stand-in's own cost.
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <IMeshTools_Parameters.hxx>
#include <Poly_Triangulation.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>

#include <benchmark/benchmark.h>

#include <memory>

#include "OcctAccess.h"
#include "SpaBuilders.h"
#include "SpaFaceter.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Tolerance pairs: surface tolerance (mm) and normal tolerance (degrees; 0 = the faceter's
// default of 0.5 radian).
struct TolerancePair {
    double surface;
    double normalDegrees;
};
constexpr TolerancePair kPairs[] = {{0.08, 0.0}, {0.05, 5.0}};

// The plate, built once.
BODY* Plate()
{
    static std::unique_ptr<BODY, void (*)(BODY*)> plate(make_benchmark_plate(), [](BODY* b) {
        if (b) b->lose();
    });
    return plate.get();
}

// Counts triangles and touches every node the way a real manager would read them.
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
    void announce_indexed_polynode(int, int, void* id) override { checksum += static_cast<double>(reinterpret_cast<intptr_t>(id)); }
};

void BM_FacetPlateStandIn(benchmark::State& state)
{
    BODY* plate = Plate();
    if (!plate) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    const TolerancePair tp = kPairs[state.range(0)];
    REFINEMENT* previous = nullptr;
    REFINEMENT* ref = nullptr;
    api_get_default_refinement(previous);
    api_create_refinement(ref);
    ref->set_surface_tol(tp.surface);
    ref->set_normal_tol(tp.normalDegrees);
    api_set_default_refinement(ref);
    long triangles = 0;
    for (auto _ : state) {
        CountingManager mm;
        api_set_mesh_manager(&mm);
        const outcome r = api_facet_entity(plate);
        api_set_mesh_manager(nullptr);
        if (!r.ok()) {
            state.SkipWithError("api_facet_entity failed");
            break;
        }
        benchmark::DoNotOptimize(mm.checksum);
        triangles = mm.triangles;
    }
    api_set_default_refinement(previous);
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["triangles_per_s"] =
        benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FacetPlateOcct(benchmark::State& state)
{
    BODY* plate = Plate();
    if (!plate) {
        state.SkipWithError("the benchmark plate did not build");
        return;
    }
    const TolerancePair tp = kPairs[state.range(0)];
    const TopoDS_Shape shape = OcctShape(plate);
    IMeshTools_Parameters params;
    params.Deflection = tp.surface;
    params.Angle = tp.normalDegrees == 0.0 ? 0.5 : tp.normalDegrees * kPi / 180.0;
    params.InParallel = Standard_True;
    long triangles = 0;
    for (auto _ : state) {
        BRepTools::Clean(shape);
        BRepMesh_IncrementalMesh mesher(shape, params);
        long count = 0;
        double checksum = 0.0;
        for (TopExp_Explorer ex(shape, TopAbs_FACE); ex.More(); ex.Next()) {
            TopLoc_Location loc;
            const Handle(Poly_Triangulation)& tri = BRep_Tool::Triangulation(TopoDS::Face(ex.Current()), loc);
            if (tri.IsNull()) continue;
            for (int i = 1; i <= tri->NbNodes(); ++i) checksum += tri->Node(i).X() + tri->UVNode(i).X();
            for (int i = 1; i <= tri->NbTriangles(); ++i) {
                int a = 0, b = 0, c = 0;
                tri->Triangle(i).Get(a, b, c);
                checksum += a + b + c;
            }
            count += tri->NbTriangles();
        }
        benchmark::DoNotOptimize(checksum);
        triangles = count;
    }
    BRepTools::Clean(shape);
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["triangles_per_s"] =
        benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
}

// Interleaved so that both sides of a pair run under the same machine conditions.
BENCHMARK(BM_FacetPlateStandIn)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FacetPlateOcct)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FacetPlateStandIn)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();
BENCHMARK(BM_FacetPlateOcct)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
