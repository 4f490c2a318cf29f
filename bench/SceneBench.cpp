// Walking a scene of 100 thousand leaves in 1,000 groups with a functor that only counts: the
// first walk of a view (which makes the locations) and the following walks.
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "SceneTestWalk.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr int kGroups = 1000;
constexpr int kLeavesPerGroup = 100;
constexpr unsigned char kGroupType = 1;
constexpr unsigned char kLeafType = 2;

// Counts the locations the walk pushes.
struct CCountingFunctor : CDsTraverseFunctor {
    long long count = 0;

    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { ++count; }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int) { return true; }
};

// The scene, built once.
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
                storage->AddChildItem(group, id++, kLeafType, nullptr, nullptr, nullptr, false);
        }
        return s;
    }();
    return *scene;
}

long long Walk(CDsScene& scene)
{
    CCountingFunctor functor;
    CSceneTestWalk<CCountingFunctor> walk(CDsPartStorage::instance(), functor, &scene);
    walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId()));
    return functor.count;
}

void Report(benchmark::State& state, long long locations)
{
    state.counters["locations/s"] = benchmark::Counter(static_cast<double>(locations),
                                                       benchmark::Counter::kIsIterationInvariantRate);
    state.counters["s/location"] = benchmark::Counter(
        static_cast<double>(locations), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FirstWalkOfAView(benchmark::State& state)
{
    CDsScene& scene = Scene();
    long long locations = 0;
    std::uintptr_t view = 1;
    for (auto _ : state) {
        state.PauseTiming();
        view3d* key = reinterpret_cast<view3d*>(++view * 64);
        scene.SetCurrentView(key);
        state.ResumeTiming();
        locations = Walk(scene);
        state.PauseTiming();
        scene.RemoveView(key);
        state.ResumeTiming();
    }
    Report(state, locations);
}
BENCHMARK(BM_FirstWalkOfAView)->Unit(benchmark::kMillisecond);

void BM_FollowingWalks(benchmark::State& state)
{
    CDsScene& scene = Scene();
    scene.SetCurrentView(nullptr);
    long long locations = Walk(scene);
    for (auto _ : state) locations = Walk(scene);
    Report(state, locations);
}
BENCHMARK(BM_FollowingWalks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
