// The draw walk over a scene of 100 thousand leaves in 1,000 groups: the shade draw functor (walk
// flags 7, every counted slave, a fast-refresh record with fast refresh off) on a plain view of
// 800 x 600, every leaf's geometry drawing lines by only counting the call, and the OpenGL seam
// replaced by functions that do nothing (no state is ever reported enabled), so that what is timed
// is the walk and its functor, not a driver. The first walk of a view (which makes the locations)
// and the following walks, in nanoseconds per location; beside them, in the same run, the scene
// database's own walk of the same scene with a functor that only counts, and the ratio of the two
// (draw walk / counting walk, timed walk by walk in turn).
#include "DsDrawContext.h"
#include "DsDrawSetup.h"
#include "DsGeometry.h"
#include "DsGlSeam.h"
#include "DsGlTraverseFunctor.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "SceneTestWalk.h"

#include "SpaValues.h"
#include "view3d.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr int kGroups = 1000;
constexpr int kLeavesPerGroup = 100;
constexpr long long kLeaves = static_cast<long long>(kGroups) * kLeavesPerGroup;
constexpr long long kLocations = kGroups + kLeaves;
constexpr unsigned char kGroupType = 1;
constexpr unsigned char kLeafType = 2;

// Draw calls of all counting geometries.
long long gDrawn = 0;

// A geometry of lines whose drawing only counts.
class CCountingGeometry : public CDsGeometry {
public:
    CDsGeometry* Clone() const override { return new CCountingGeometry(*this); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return eDpLines; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { ++gDrawn; }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }
};

// An OpenGL seam that sends nothing; no capability is enabled.
void NoColor(GLubyte, GLubyte, GLubyte) {}
void NoFloat(GLfloat) {}
void NoRange(GLclampd, GLclampd) {}
void NoStipple(GLint, GLushort) {}
void NoTwoFloats(GLfloat, GLfloat) {}
void NoTwoEnums(GLenum, GLenum) {}
void NoEnum(GLenum) {}
GLboolean NeverEnabled(GLenum) { return GL_FALSE; }
void NoCall() {}
void NoMatrix(const GLfloat*) {}
void NoOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void NoLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void NoTranslate(GLfloat, GLfloat, GLfloat) {}
void NoLightModel(GLenum, GLint) {}
void NoMaterialv(GLenum, GLenum, const GLfloat*) {}
void NoMaterial(GLenum, GLenum, GLfloat) {}
void NoColorMask(GLboolean, GLboolean, GLboolean, GLboolean) {}
void NoFlag(GLboolean) {}
void NoBlend(GLenum, GLenum) {}

const SDsGlSeam kSilentSeam = {NoColor,  NoFloat,  NoRange,      NoStipple, NoTwoFloats, NoTwoEnums,   NoEnum,
                               NoEnum,   NeverEnabled, NoEnum, NoCall,    NoCall,      NoMatrix,     NoCall,
                               NoOrtho,  NoLookAt, NoTranslate,  NoLightModel, NoMaterialv, NoMaterial, NoColorMask, NoFlag, NoBlend, NoEnum};

// Counts the locations the walk pushes.
struct CCountingFunctor : CDsTraverseFunctor {
    long long count = 0;

    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { ++count; }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int) { return true; }
};

// The scene, built once: 1,000 groups of 100 leaves, each leaf with a counting geometry.
CDsScene& Scene()
{
    static CDsScene* scene = [] {
        CDsPartStorage* storage = CDsPartStorage::instance();
        CDsPartStorage::sm_Type2Cat[kGroupType] = eVyrCatOpenLeaf;
        CDsPartStorage::sm_Type2Cat[kLeafType] = eVyrCatLeaf;
        CDsScene* s = new CDsScene(1);
        int id = 1;
        for (int g = 0; g < kGroups; ++g) {
            const CVyrObjectId group(s->GetPeerPartId(), id++);
            storage->AddItem(group, kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, false);
            for (int l = 0; l < kLeavesPerGroup; ++l)
                storage->AddChildItem(group, id++, kLeafType, new CCountingGeometry, nullptr, nullptr, false);
        }
        return s;
    }();
    return *scene;
}

// The plain view the draw walk draws into.
view3d& View()
{
    static view3d* view = [] {
        auto* v = new view3d;
        v->set_viewport(0, 0, 800, 600);
        v->set_eye(SPAposition(0, 0, 50));
        v->set_target(SPAposition(0, 0, 0));
        v->set_up(SPAvector(0, 1, 0));
        v->set_width(80);
        v->set_height(60);
        return v;
    }();
    return *view;
}

long long CountingWalk(CDsScene& scene)
{
    CCountingFunctor functor;
    CSceneTestWalk<CCountingFunctor> walk(CDsPartStorage::instance(), functor, &scene);
    walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
    return functor.count;
}

// One frame's walk with the shade functor, as a refresh makes it (the scene's attribute cache
// renewed first when attributes changed); the number of leaves drawn.
long long DrawWalk(CDsScene& scene)
{
    if (!scene.IsAttributesValid()) scene.InvalidateAttributesCache();
    view3d& view = View();
    static const int viewport[4] = {0, 600, 800, 0};
    SDsRenderFlags flags;
    SDsDrawOptions options(flags);
    SDsDrawSetup setup;
    DsInitDrawSetup(setup, &view, nullptr, false, false, false);
    CDsDrawContext record(&view, false, 0.05);
    const long long before = gDrawn;
    std::optional<CDsGlShadeFunctor> storage;
    CDsGlShadeFunctor& functor =
        DsMakeGlTraverseFunctor(storage, &view, options, setup, 7, 2, &scene, viewport, &record);
    DsTraverseScene(CDsPartStorage::instance(), functor, CVyrObjectPath(scene.GetPeerPartId()), &scene, {}, true);
    return gDrawn - before;
}

void PerLocation(benchmark::State& state, const char* name, double nanoseconds, long long iterations)
{
    state.counters[name] = iterations > 0 ? nanoseconds / static_cast<double>(iterations) / kLocations : 0.0;
}

void ReportRate(benchmark::State& state)
{
    state.counters["s/location"] = benchmark::Counter(
        static_cast<double>(kLocations), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

double Nanoseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - since).count();
}

void BM_CountingWalk(benchmark::State& state)
{
    CDsScene& scene = Scene();
    scene.SetCurrentView(&View());
    long long locations = CountingWalk(scene);
    for (auto _ : state) locations = CountingWalk(scene);
    if (locations != kLocations) state.SkipWithError("the counting walk missed locations");
    ReportRate(state);
}
BENCHMARK(BM_CountingWalk)->Unit(benchmark::kMillisecond);

void BM_DrawWalkFirstOfAView(benchmark::State& state)
{
    SDsGlSeamScope silent(kSilentSeam);
    CDsScene& scene = Scene();
    std::uintptr_t key = 1;
    long long drawn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        view3d* view = reinterpret_cast<view3d*>(++key * 64);
        scene.SetCurrentView(view);
        state.ResumeTiming();
        drawn = DrawWalk(scene);
        state.PauseTiming();
        scene.RemoveView(view);
        state.ResumeTiming();
    }
    if (drawn != kLeaves) state.SkipWithError("the draw walk missed leaves");
    ReportRate(state);
}
BENCHMARK(BM_DrawWalkFirstOfAView)->Unit(benchmark::kMillisecond);

// Following walks of the draw functor, each followed by a counting walk (not in the benchmark's
// time) so that both are timed in turn under the same load.
void BM_DrawWalkFollowing(benchmark::State& state)
{
    SDsGlSeamScope silent(kSilentSeam);
    CDsScene& scene = Scene();
    scene.SetCurrentView(&View());
    long long drawn = DrawWalk(scene);
    double drawNs = 0.0, countNs = 0.0;
    long long locations = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        drawn = DrawWalk(scene);
        drawNs += Nanoseconds(start);
        state.PauseTiming();
        const auto countStart = std::chrono::steady_clock::now();
        locations = CountingWalk(scene);
        countNs += Nanoseconds(countStart);
        state.ResumeTiming();
    }
    if (drawn != kLeaves || locations != kLocations) state.SkipWithError("a walk missed locations");
    PerLocation(state, "draw ns/location", drawNs, state.iterations());
    PerLocation(state, "counting ns/location", countNs, state.iterations());
    state.counters["draw/counting"] = countNs > 0.0 ? drawNs / countNs : 0.0;
}
BENCHMARK(BM_DrawWalkFollowing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
