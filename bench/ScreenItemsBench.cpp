// Pixel-sized items in one frame of 1,024 x 768: 10,000 fixed arrows (each rebuilt from the view
// as it draws: head, two shaft lines and a style-6 marker), 10,000 markers of style 3 and 1,000
// dynamic ellipses, all through Refresh; beside the same lines drawn as one immediate-mode batch in
// the 2-D mode (the floor). The arrows' rebuild alone (UpdateParts over the 10,000) is timed too,
// so that its share of the frame can be read. glFinish included, milliseconds per frame.
#include "BenchWindow.h"
#include "DsEllipseStorage.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsItemsArrowFixed.h"
#include "DsView3dCdc.h"

#include "SpaGeometry.h"

#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1024, kHeight = 768, kArrows = 10000, kMarkers = 10000, kEllipses = 1000;

struct Scene {
    std::unique_ptr<CDsView3dCdc> view = std::make_unique<CDsView3dCdc>();
    std::vector<std::unique_ptr<CDsItemsArrowFixed>> arrows;
    std::vector<std::unique_ptr<CDsItemPointFixed>> markers;
    std::vector<std::unique_ptr<CDsItemEllipseDynamic>> ellipses;
    std::vector<float> floor;  // the same lines as x, y pairs of GL_LINES, in pixels

    Scene()
    {
        view->set_viewport(0, 0, kWidth, kHeight);
        view->set_perspective(false);
        view->set_target(SPAposition(0, 0, 0));
        view->set_eye(SPAposition(0, 0, 100));
        view->set_up(SPAvector(0, 1, 0));
        view->set_width(1024);
        view->set_height(768);
        view->set_hither(1);
        view->set_yon(200);
        for (int i = 0; i < kArrows; ++i) {
            const double a = 0.6283 * i;
            const CGmPosition base(-500 + (i % 100) * 10.0, -380 + (i / 100) * 7.6, 0);
            arrows.push_back(std::make_unique<CDsItemsArrowFixed>(base, CGmVector(std::cos(a), std::sin(a), 0), 20, 2,
                                                                  false, 0, 0, 4));
        }
        for (int i = 0; i < kMarkers; ++i)
            markers.push_back(std::make_unique<CDsItemPointFixed>(
                CGmPosition(-505 + (i % 100) * 10.0, -385 + (i / 100) * 7.6, 0), EPointStyle(3), 6, 0,
                CGmUnitVector(1, 0, 0)));
        for (int i = 0; i < kEllipses; ++i) {
            const ellipse e(SPAposition(-480 + (i % 40) * 24.0, -360 + (i / 40) * 28.0, 0), SPAunit_vector(0, 0, 1),
                            SPAvector(10, 0, 0), 0.6, 0.0);
            ellipses.push_back(std::make_unique<CDsItemEllipseDynamic>(new CDsEllipseStorage(e, 0.0, 6.2831853)));
        }
        // The floor: what the items send, gathered once as plain lines.
        for (auto& arrow : arrows) {
            arrow->UpdateParts(*view);
            for (int c = 0; c < 3; ++c) {
                auto* part = static_cast<CDsItemPolyline2D*>(arrow->Get(c));
                const float* p = part->GetPointsData();
                const int n = part->GetPointsCount();
                for (int k = 0; k + 1 < n + (part->IsClosed() ? 1 : 0); ++k) {
                    const int b = (k + 1) % n;
                    floor.insert(floor.end(), {p[2 * k], p[2 * k + 1], p[2 * b], p[2 * b + 1]});
                }
            }
            for (int k = 0; k < 12; ++k) floor.insert(floor.end(), {0, 0, 1, 1});  // the circle marker
        }
        for (int i = 0; i < kMarkers; ++i)
            for (int k = 0; k < 4; ++k) floor.insert(floor.end(), {float(i % 1024), 1, float(i % 1024) + 6, 1});
        for (int i = 0; i < kEllipses; ++i)
            for (int k = 0; k < 64; ++k) floor.insert(floor.end(), {float(i % 1024), 2, float(i % 1024) + 1, 3});
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void Prepare(Scene& scene)
{
    scene.view->SetupRenderingTransforms(false, false, false, nullptr);
    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT);
}

void BM_Frame(benchmark::State& state)
{
    BenchWindow window(kWidth, kHeight);
    if (!window.context) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Scene& scene = TheScene();
    for (auto _ : state) {
        Prepare(scene);
        for (auto& arrow : scene.arrows) arrow->Refresh(*scene.view);
        for (auto& marker : scene.markers) marker->DrawGl(*scene.view);
        for (auto& e : scene.ellipses) e->DrawGl(*scene.view);
        glFinish();
    }
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ArrowRebuildOnly(benchmark::State& state)
{
    BenchWindow window(kWidth, kHeight);
    if (!window.context) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Scene& scene = TheScene();
    for (auto _ : state)
        for (auto& arrow : scene.arrows) arrow->UpdateParts(*scene.view);
}
BENCHMARK(BM_ArrowRebuildOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorImmediateBatch(benchmark::State& state)
{
    BenchWindow window(kWidth, kHeight);
    if (!window.context) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Scene& scene = TheScene();
    for (auto _ : state) {
        Prepare(scene);
        scene.view->Start2dDraw();
        glBegin(GL_LINES);
        for (size_t i = 0; i + 1 < scene.floor.size(); i += 2) glVertex2f(scene.floor[i], scene.floor[i + 1]);
        glEnd();
        scene.view->End2dDraw();
        glFinish();
    }
}
BENCHMARK(BM_FloorImmediateBatch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
