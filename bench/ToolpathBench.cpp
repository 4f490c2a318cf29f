// A toolpath branch of 1,000,000 single-point nodes (a zigzag over the view, the colour changing
// every 10,000 nodes between the two entries of the active palette) drawn through the branch's
// DrawGl, beside the same points sent as one immediate-mode line strip (the floor: what the
// driver needs for these vertices alone). 800 x 600, glFinish included, milliseconds per frame.
#include "BenchWindow.h"
#include "DsAttributesPalette.h"
#include "DsColorStorage.h"
#include "DsItemToolpathPolyline.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsView3dCdc.h"

#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kNodes = 1000000, kRun = 10000;

struct Path {
    std::unique_ptr<CDsItemToolpathPolyline> branch = std::make_unique<CDsItemToolpathPolyline>(1);
    std::vector<float> points;
    Path()
    {
        points.reserve(static_cast<size_t>(kNodes) * 3);
        for (int i = 0; i < kNodes; ++i) {
            const float x = -0.95f + 1.9f * float(i % 1000) / 1000.0f;
            const float y = -0.95f + 1.9f * float(i / 1000) / 1000.0f + 0.001f * float(i % 2);
            points.insert(points.end(), {x, y, 0.0f});
            branch->AddSegment(TDsNodeHeader::StCreatePoint(i, static_cast<unsigned char>((i / kRun) % 2), x, y, 0.0f));
        }
    }
};

Path& ThePath()
{
    static Path path;
    return path;
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

CDsLineAttribStorage Pen(const CDsColorStorage& color)
{
    CDsLineAttribStorage pen;
    pen.SetColor(color);
    pen.SetStyle(0);
    pen.SetWidth(1);
    return pen;
}

void BM_ToolpathBranch(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Path& path = ThePath();
    CDsAttributesPalette palette(2);
    palette.SetAttributes(0, Pen(CDsColorStorage(255, 0, 0)));
    palette.SetAttributes(1, Pen(CDsColorStorage(0, 255, 0)));
    CDsAttributesPalette* saved = CDsManager::GetInstance()->GetActiveAttributesPalette();
    CDsManager::GetInstance()->SetActiveAttributesPalette(&palette);
    CDsView3dCdc view;
    for (auto _ : state) {
        PrepareFrame();
        path.branch->DrawGl(view);
        glFinish();
    }
    CDsManager::GetInstance()->SetActiveAttributesPalette(saved);
    state.counters["nodes"] = kNodes;
    state.counters["bytes_per_node"] = double(sizeof(TDsNodeHeader) + sizeof(TDsNodeHeader*));
}
BENCHMARK(BM_ToolpathBranch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ToolpathOneLineStrip(benchmark::State& state)
{
    BenchWindow window(800, 600);
    if (!window.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    Path& path = ThePath();
    for (auto _ : state) {
        PrepareFrame();
        glColor3ub(255, 0, 0);
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i < kNodes; ++i) glVertex3fv(&path.points[static_cast<size_t>(i) * 3]);
        glEnd();
        glFinish();
    }
    state.counters["nodes"] = kNodes;
}
BENCHMARK(BM_ToolpathOneLineStrip)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
