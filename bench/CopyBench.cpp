// Copy groups on the retained road: 5,000 copies (mode 5) of one group of 12 triangles, each under
// its own translation, drawn through the copies' Refresh per frame, beside the same group drawn
// 5,000 times under plain matrix pushes (glPushMatrix, glMultMatrixf, glPopMatrix: the floor of
// what a copy must do). 800 x 600, glFinish included, milliseconds per frame; the bytes a copy
// holds (the object, its attributes and its matrix in both forms) as a counter.
#include "BenchWindow.h"
#include "DsItemsCopy.h"
#include "DsLineAttribStorage.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"

#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kCopies = 5000;

// Twelve small triangles in immediate mode, as a leaf item.
class Triangles : public CDsItem {
public:
    void DrawGl(view3d&) override
    {
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 12; ++i) {
            const float x = 0.002f * float(i);
            glVertex3f(x, 0.0f, 0.0f);
            glVertex3f(x + 0.002f, 0.0f, 0.0f);
            glVertex3f(x, 0.002f, 0.0f);
        }
        glEnd();
    }
    EDsItemsType GetItemType() override { return eDsItemTrigs; }

protected:
    int DrawGdi(view3d&) override { return 0; }
};

class Group : public CDsItemsGroup {
public:
    Group() : CDsItemsGroup(nullptr, nullptr) { Add(new Triangles); }
};

// The copied group and 5,000 copies of it spread over the view.
struct Scene {
    Group group;
    std::vector<std::unique_ptr<CDsItemsCopy>> copies;
    std::vector<std::vector<float>> matrices;

    Scene()
    {
        for (int i = 0; i < kCopies; ++i) {
            const double x = -0.95 + 1.9 * double(i % 100) / 100.0, y = -0.95 + 1.9 * double(i / 100) / 50.0;
            auto copy = std::make_unique<CDsItemsCopy>(&group, nullptr, nullptr);
            copy->SetTransformation(translate_transf(SPAvector(x, y, 0)));
            const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, float(x), float(y), 0, 1};
            matrices.emplace_back(m, m + 16);
            copies.push_back(std::move(copy));
        }
    }
};

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

void BM_CopiesRefresh(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Scene scene;
    CDsView3dCdc view;
    for (auto _ : state) {
        PrepareFrame();
        for (auto& copy : scene.copies) copy->Refresh(view);
        glFinish();
    }
    state.counters["copies"] = kCopies;
    state.counters["bytes_per_copy"] =
        double(sizeof(CDsItemsCopy) + sizeof(CDsLineAttribStorage) + 16 * sizeof(float) + sizeof(SPAtransf));
}
BENCHMARK(BM_CopiesRefresh)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_GroupUnderPlainMatrixPushes(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Scene scene;
    CDsView3dCdc view;
    for (auto _ : state) {
        PrepareFrame();
        for (const auto& m : scene.matrices) {
            glMatrixMode(GL_MODELVIEW);
            glPushMatrix();
            glMultMatrixf(m.data());
            scene.group.Refresh(view);
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
        }
        glFinish();
    }
    state.counters["draws"] = kCopies;
}
BENCHMARK(BM_GroupUnderPlainMatrixPushes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
