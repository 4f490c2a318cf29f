// An STL mesh of 1,000,000 triangles (a wavy height field of 1,000 x 500 cells that fills most of
// the window) shown shaded by the STL item in a 1024 x 768 window, milliseconds per frame
// (glFinish included): by each of the item's roads (vertex buffers, display lists, immediately)
// through Refresh, and in a fast refresh by the vertex-buffer road (the box and a fifth of each
// chunk) and by the list road (a fifth of the lists, only while auto-hide is switched on in the
// preferences; the benchmark does not change them). Beside them the floor: the same triangles as
// one vertex buffer of positions and normals drawn with the same switches, no item. After the runs
// the figures are printed with each road's ratio to the floor and the fast refresh's share of a
// full frame; the aims are the vertex-buffer road within 1.2 x the floor and a fast-refresh frame
// at most a third of a full one.
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlStateCache.h"
#include "DsItemPolygonsStl.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"
#include "VyrStlData.h"

#include "SpaValues.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kCellsX = 1000, kCellsY = 500;  // two triangles a cell: 1,000,000 triangles
constexpr double kSizeX = 128.0, kSizeY = 96.0;
constexpr uint32_t kGrey = 0xB0B0B0;  // the mesh's colour, 0x00BBGGRR

// The height field's surface point of grid node (i, j).
SPAposition Node(int i, int j)
{
    const double x = -0.5 * kSizeX + kSizeX * i / kCellsX, y = -0.5 * kSizeY + kSizeY * j / kCellsY;
    return SPAposition(x, y, 3.0 * std::sin(x / 7.0) * std::cos(y / 5.0));
}

// The mesh, a 1024 x 768 window with a core view of it in a rendering context, and the floor's
// vertex buffers.
class CStlScene {
public:
    CStlScene()
    {
        data_ = new CVyrStlData;
        for (int j = 0; j < kCellsY; ++j)
            for (int i = 0; i < kCellsX; ++i) {
                const SPAposition a = Node(i, j), b = Node(i + 1, j), c = Node(i + 1, j + 1), d = Node(i, j + 1);
                data_->AddTriangle(CVyrTriangle(a, b, c));
                data_->AddTriangle(CVyrTriangle(a, c, d));
            }
        window_ = CreateWindowExW(0, L"VyrBench", L"stl", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  nullptr, nullptr);
        if (!window_) return;
        dc_ = GetDC(window_);
        view_ = std::make_unique<CDsView3dCdc>();
        view_->set_device_context(dc_);
        view_->set_viewport(0, 0, kWidth, kHeight);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        if (CDsView3dCdc::StGetCurrent() != view_.get() || !wglGetCurrentContext()) return;
        CDsManager::GetInstance()->InitExtensions();
        if (!CDsItemPolygonsStl::StIsVBOSupported() || !BuildFloor()) return;

        // Seen from above and a little to the front, all of the field in view.
        view_->set_perspective(false);
        view_->set_target(SPAposition(0, 0, 0));
        view_->set_eye(SPAposition(0, -60, 200));
        view_->set_up(SPAvector(0, 1, 0));
        view_->set_width(kSizeX * 1.05);
        view_->set_height(kSizeX * 1.05 * kHeight / kWidth);
        view_->set_hither(1.0);
        view_->set_yon(500.0);
        view_->adjust_aspect();
        view_->SetRenderMode(eRenderShade);
        ready_ = true;
    }
    ~CStlScene()
    {
        if (view_) {
            CDsView3dCdc::StGetCurrent();
            items_.clear();  // their buffers leave every view while the context is current
            CDsDriverGl::DeleteBufferVBO(positions_);
            CDsDriverGl::DeleteBufferVBO(normals_);
            context_.remove_view(view_.get());
            view_.reset();
        }
        if (data_) data_->decRC();
        if (window_) {
            ReleaseDC(window_, dc_);
            DestroyWindow(window_);
        }
    }
    CStlScene(const CStlScene&) = delete;
    CStlScene& operator=(const CStlScene&) = delete;

    bool Ready() const { return ready_; }
    CDsView3dCdc& View() const { return *view_; }
    CDsGlContext& Context() { return context_; }

    // A new item of the mesh in light grey; `vbo` says whether it may use vertex buffers (else it
    // records display lists). The scene keeps it.
    CDsItemPolygonsStl& NewItem(bool vbo)
    {
        CDsItemPolygonsStl::sVBOSupport = vbo ? 2 : 1;
        items_.push_back(std::make_unique<CDsItemPolygonsStl>(data_, SPAtransf()));
        items_.back()->SetColor(CDsColorStorage(kGrey & 0xFF, (kGrey >> 8) & 0xFF, (kGrey >> 16) & 0xFF), true);
        return *items_.back();
    }

    // The frame's set-up: camera, depth test, a cleared picture, one light from the viewer.
    void Prepare() const
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
        glDisable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
    }

    // The floor: the triangles from one vertex buffer, lit, with the material the item sends for
    // its colour (the default material's factors, both sides lit).
    void DrawFloor() const
    {
        glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        float a = 0, d = 0, s = 0, shininess = 0, e = 0;
        CDsPartStorage::instance()->GetDefaultMaterial(a, d, s, shininess, e);
        DsSetGlMaterial(kGrey, 255, a, d, s, shininess, e, 1);
        glColor3ub(kGrey & 0xFF, (kGrey >> 8) & 0xFF, (kGrey >> 16) & 0xFF);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, positions_);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, normals_);
        glNormalPointer(GL_FLOAT, 0, nullptr);
        glDrawArrays(GL_TRIANGLES, 0, vertices_);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_LIGHTING);
    }

private:
    bool BuildFloor()
    {
        const int triangles = data_->GetTrianglesCount();
        std::vector<float> positions, normals;
        positions.reserve(size_t(triangles) * 9);
        normals.reserve(size_t(triangles) * 9);
        for (int t = 0; t < triangles; ++t) {
            const CVyrTriangle* triangle = (*data_)[t];
            const SPAposition* p = triangle->GetPosVec();
            const SPAunit_vector& n = triangle->GetNormal();
            for (int i = 0; i < 3; ++i) {
                positions.insert(positions.end(), {float(p[i].x()), float(p[i].y()), float(p[i].z())});
                normals.insert(normals.end(), {float(n.x()), float(n.y()), float(n.z())});
            }
        }
        vertices_ = triangles * 3;
        const int bytes = int(positions.size() * sizeof(float));
        positions_ = CDsDriverGl::CreateBufferVBO(bytes, positions.data(), false);
        normals_ = CDsDriverGl::CreateBufferVBO(bytes, normals.data(), false);
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        return positions_ && normals_;
    }

    CVyrStlData* data_ = nullptr;
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<std::unique_ptr<CDsItemPolygonsStl>> items_;
    GLuint positions_ = 0, normals_ = 0;
    int vertices_ = 0;
    bool ready_ = false;
};

std::unique_ptr<CStlScene> gScene;

// The scene, made on first use and deleted at the end of main (before the statics go).
CStlScene& Scene()
{
    if (!gScene) gScene = std::make_unique<CStlScene>();
    return *gScene;
}

std::map<std::string, double>& Results()
{
    static std::map<std::string, double> results;
    return results;
}

// Runs `frame` once per iteration after one frame unmeasured (which builds buffers or lists);
// keeps the mean milliseconds under `name`.
template <class F>
void RunFrames(benchmark::State& state, const char* name, F frame)
{
    CStlScene& scene = Scene();
    if (!scene.Ready()) {
        state.SkipWithError("no STL scene (is an X server running, with vertex buffers?)");
        return;
    }
    CDsView3dCdc::StGetCurrent();
    frame(scene);
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        frame(scene);
        glFinish();
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["triangles"] = kCellsX * kCellsY * 2.0;
    if (state.iterations() > 0) Results()[name] = elapsed.count() / static_cast<double>(state.iterations());
}

// The item drawn through Refresh, with the view's fast-refresh flag as `fast`.
void DrawItem(CStlScene& scene, CDsItemPolygonsStl& item, bool fast)
{
    scene.Prepare();
    scene.View().SetFlag(eDsViewFlagFastRefresh, fast);
    item.Refresh(scene.View());
    scene.View().SetFlag(eDsViewFlagFastRefresh, false);
}

void BM_StlFloor(benchmark::State& state)
{
    RunFrames(state, "floor", [](CStlScene& s) {
        s.Prepare();
        s.DrawFloor();
    });
}
BENCHMARK(BM_StlFloor)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StlVertexBuffers(benchmark::State& state)
{
    CDsItemPolygonsStl* item = Scene().Ready() ? &Scene().NewItem(true) : nullptr;
    RunFrames(state, "vertex buffers", [item](CStlScene& s) { DrawItem(s, *item, false); });
}
BENCHMARK(BM_StlVertexBuffers)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StlDisplayLists(benchmark::State& state)
{
    CDsItemPolygonsStl* item = Scene().Ready() ? &Scene().NewItem(false) : nullptr;
    RunFrames(state, "display lists", [item](CStlScene& s) { DrawItem(s, *item, false); });
}
BENCHMARK(BM_StlDisplayLists)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StlImmediate(benchmark::State& state)
{
    CDsItemPolygonsStl* item = Scene().Ready() ? &Scene().NewItem(true) : nullptr;
    RunFrames(state, "immediate", [item](CStlScene& s) {
        s.Context().SetRenderToBitmap(1);  // what sends the item's triangles one by one
        DrawItem(s, *item, false);
        s.Context().SetRenderToBitmap(0);
    });
}
BENCHMARK(BM_StlImmediate)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StlFastRefreshVertexBuffers(benchmark::State& state)
{
    CDsItemPolygonsStl* item = Scene().Ready() ? &Scene().NewItem(true) : nullptr;
    RunFrames(state, "fast, vertex buffers", [item](CStlScene& s) { DrawItem(s, *item, true); });
}
BENCHMARK(BM_StlFastRefreshVertexBuffers)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_StlFastRefreshDisplayLists(benchmark::State& state)
{
    CDsItemPolygonsStl* item = Scene().Ready() ? &Scene().NewItem(false) : nullptr;
    RunFrames(state, "fast, display lists", [item](CStlScene& s) { DrawItem(s, *item, true); });
}
BENCHMARK(BM_StlFastRefreshDisplayLists)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gScene.reset();

    const auto& r = Results();
    const auto figure = [&r](const char* name) {
        const auto it = r.find(name);
        return it == r.end() ? -1.0 : it->second;
    };
    const double floor = figure("floor");
    std::printf("\n1,000,000 triangles shaded at %d x %d, ms a frame:\n", kWidth, kHeight);
    std::printf("  %-22s %8.2f ms\n", "floor (one buffer)", floor);
    for (const char* road : {"vertex buffers", "display lists", "immediate"}) {
        const double ms = figure(road);
        if (ms < 0) continue;
        std::printf("  %-22s %8.2f ms: x %.2f the floor%s\n", road, ms, floor > 0 ? ms / floor : 0.0,
                    std::string(road) == "vertex buffers" ? (floor > 0 && ms <= 1.2 * floor ? " (aim 1.2: met)"
                                                                                            : " (aim 1.2: missed)")
                                                          : "");
    }
    const bool autoHide = CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false);
    for (const auto& pair : {std::pair<const char*, const char*>{"fast, vertex buffers", "vertex buffers"},
                             {"fast, display lists", "display lists"}}) {
        const double fast = figure(pair.first), full = figure(pair.second);
        if (fast < 0 || full <= 0) continue;
        std::printf("  %-22s %8.2f ms: %.2f of a full frame%s\n", pair.first, fast, fast / full,
                    std::string(pair.second) == "vertex buffers"
                        ? (fast <= full / 3.0 ? " (aim 1/3: met)" : " (aim 1/3: missed)")
                        : (autoHide ? " (auto-hide on: a fifth of the lists)" : " (auto-hide off: every list)"));
    }
    return 0;
}
