// Display items on the retained road: 100,000 polylines of 10 points in 1,000 groups drawn
// through Refresh per frame (each leaf applies its attributes and sends its strip), the same tree
// replayed from one display list per polyline, and the same lines as one vertex-buffer draw of
// GL_LINES (the floor: what the card needs for these vertices alone). 800 x 600, glFinish
// included, milliseconds per frame.
#include "BenchWindow.h"
#include "DsDriverGl.h"
#include "DsItemPolyline3D.h"
#include "DsItemsGroup.h"
#include "DsVBO.h"
#include "DsVBOData.h"
#include "DsView3dCdc.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kGroups = 1000, kLinesPerGroup = 100, kPoints = 10;

// A group the benchmark fills.
class Group : public CDsItemsGroup {
public:
    Group() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
};

// The tree: 1,000 groups of 100 short zigzag polylines of 10 points (about 20 pixels long, as the
// edges of a model are), spread over the view.
struct Scene {
    std::unique_ptr<Group> root = std::make_unique<Group>();
    std::vector<float> segments;  // the same lines as GL_LINES pairs

    Scene()
    {
        for (int g = 0; g < kGroups; ++g) {
            auto* group = new Group;
            for (int l = 0; l < kLinesPerGroup; ++l) {
                const int n = g * kLinesPerGroup + l;
                const double x0 = -0.95 + 1.85 * double(n % 40) / 40.0;
                const double y = -0.95 + 1.9 * double(n / 40) / double(kGroups * kLinesPerGroup / 40);
                std::vector<SPAposition> points;
                for (int p = 0; p < kPoints; ++p) points.emplace_back(x0 + 0.05 * p / (kPoints - 1), y + 0.01 * (p % 2), 0.0);
                group->Add(new CDsItemPolyline3D(kPoints, points.data(), false, nullptr));
                for (int p = 0; p + 1 < kPoints; ++p)
                    for (int e = 0; e < 2; ++e) {
                        const SPAposition& q = points[static_cast<size_t>(p + e)];
                        segments.insert(segments.end(), {float(q.x()), float(q.y()), 0.0f});
                    }
            }
            root->Add(group);
        }
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void PrepareFrame()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT);
}

void BM_PolylinesRefresh(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Scene& scene = TheScene();
    CDsView3dCdc view;
    for (auto _ : state) {
        PrepareFrame();
        scene.root->Refresh(view);
        glFinish();
    }
    state.counters["polylines"] = kGroups * kLinesPerGroup;
}
BENCHMARK(BM_PolylinesRefresh)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PolylinesDisplayLists(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Scene& scene = TheScene();
    CDsView3dCdc view;
    std::vector<CDsItemBase*> leaves;
    for (int g = 0; g < scene.root->Count(); ++g) {
        auto* group = static_cast<CDsItemsGroup*>(scene.root->Get(g));
        for (int l = 0; l < group->Count(); ++l) {
            CDsItemBase* leaf = group->Get(l);
            leaf->StartBuildGlList(false);
            leaf->Refresh(view);
            leaf->EndBuildGlList();
            leaves.push_back(leaf);
        }
    }
    for (auto _ : state) {
        PrepareFrame();
        for (CDsItemBase* leaf : leaves) glCallList(leaf->GetGlListName());
        glFinish();
    }
    for (CDsItemBase* leaf : leaves) leaf->DeleteGlList();
}
BENCHMARK(BM_PolylinesDisplayLists)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PolylinesOneVertexBuffer(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Scene& scene = TheScene();
    CDsDriverGl::InitVBOExtension();
    const int count = static_cast<int>(scene.segments.size() / 3);
    const GLuint buffer = CDsDriverGl::CreateBufferVBO(count * 12, scene.segments.data(), false);
    if (!buffer) {
        state.SkipWithError("no vertex buffers");
        return;
    }
    for (auto _ : state) {
        PrepareFrame();
        glEnableClientState(GL_VERTEX_ARRAY);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        glDrawArrays(GL_LINES, 0, count);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        glDisableClientState(GL_VERTEX_ARRAY);
        glFinish();
    }
    GLuint id = buffer;
    CDsDriverGl::DeleteBufferVBO(id);
}
BENCHMARK(BM_PolylinesOneVertexBuffer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
