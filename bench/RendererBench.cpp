// The renderers on the benchmark plate (about 89 thousand triangles: the body sketch at surface
// tolerance 0.05 and normal tolerance 5 degrees) in a 1024 x 768 window, milliseconds per frame
// (glFinish included): wireframe, hidden lines and shaded mode through the scene walk, each beside
// its floor, the same vertex buffers drawn in a plain loop with the same OpenGL switches and no
// walk. Every face and every edge is one item of the scene database with a geometry that draws
// its vertex buffer. After the runs the ratios of each mode to its floor are printed; the walk and
// its state handling should stay within 20 % of the floor in shaded mode.
#include "BenchMeshBuffers.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlStateCache.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"
#include "DsView3dCdc.h"

#include "DsDrawContext.h"
#include "DsGeometry.h"
#include "SpaValues.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr unsigned char kFaceType = 1;
constexpr unsigned char kEdgeType = 2;

using bench::SBuffer;

// The geometry of one face (kind 4) or one edge (kind 2).
class CBufferGeometry : public CDsGeometry {
public:
    CBufferGeometry(const SBuffer* buffer, int kind) : m_buffer(buffer), m_kind(kind) {}
    CDsGeometry* Clone() const override { return new CBufferGeometry(m_buffer, m_kind); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return m_kind; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (kind == m_kind) m_buffer->Draw();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    const SBuffer* m_buffer;
    int m_kind;
};

// The plate's faces and edges as vertex buffers, an item each in a context's scene, and a core
// view on a 1024 x 768 window looking at it from an oblique direction.
class CPlateScene {
public:
    explicit CPlateScene(std::unique_ptr<CVyrMeshInterface> meshes)
    {
        window_ = CreateWindowExW(0, L"VyrBench", L"renderers", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
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
        if (!meshes || !BuildPlate(*meshes)) return;
        ready_ = true;
    }
    ~CPlateScene()
    {
        if (view_) {
            CDsView3dCdc::StGetCurrent();
            buffers_.Release();
            CDsPartStorage::instance()->RemovePart(context_.GetScene()->GetDbScene().GetPeerPartId());
            context_.remove_view(view_.get());
            view_.reset();
        }
        if (window_) {
            ReleaseDC(window_, dc_);
            DestroyWindow(window_);
        }
    }
    CPlateScene(const CPlateScene&) = delete;
    CPlateScene& operator=(const CPlateScene&) = delete;

    bool Ready() const { return ready_; }
    long Triangles() const { return buffers_.Triangles(); }
    int Faces() const { return static_cast<int>(buffers_.Faces().size()); }
    int Edges() const { return static_cast<int>(buffers_.Edges().size()); }
    CDsView3dCdc* View() const { return view_.get(); }
    CDsGlScene* Scene() const { return context_.GetScene(); }

    // The frame's set-up as the context's refresh makes it: camera, depth test, a cleared picture,
    // and one light from the viewer as the scene's light model sends it.
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
        glEnableClientState(GL_VERTEX_ARRAY);
    }
    // Every face, then every edge, straight from the buffers.
    void DrawFaces() const { buffers_.DrawFaces(); }
    void DrawEdges() const { buffers_.DrawEdges(); }

private:
    bool BuildPlate(const CVyrMeshInterface& meshes)
    {
        if (!buffers_.Add(meshes, view_.get())) return false;

        // One item per face and per edge, faces grey, edges yellow.
        CDsPartStorage* storage = CDsPartStorage::instance();
        const int peer = context_.GetScene()->GetDbScene().GetPeerPartId();
        CDsAttributes grey, yellow;
        grey.SetColor(0xB0B0B0);
        yellow.SetColor(0x00FFFF);
        int id = 1;
        for (const SBuffer& b : buffers_.Faces())
            if (!storage->AddItem(CVyrObjectId(peer, id++), kFaceType, new CBufferGeometry(&b, CDsGeometry::eDpFaces),
                                  nullptr, &grey, nullptr, nullptr, false))
                return false;
        for (const SBuffer& b : buffers_.Edges())
            if (!storage->AddItem(CVyrObjectId(peer, id++), kEdgeType, new CBufferGeometry(&b, CDsGeometry::eDpLines),
                                  nullptr, &yellow, nullptr, nullptr, false))
                return false;

        // An oblique parallel view of the whole plate.
        bench::ObliqueParallelView(*view_, buffers_.Box(), kWidth, kHeight);
        return true;
    }

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    bench::CMeshBuffers buffers_;
    bool ready_ = false;
};

std::unique_ptr<CPlateScene> gPlate;

// The plate scene, made on first use and deleted at the end of main (before the statics go).
CPlateScene& Plate()
{
    if (!gPlate) gPlate = std::make_unique<CPlateScene>(bench::FacetPlate());
    return *gPlate;
}

std::map<std::string, double>& Results()
{
    static std::map<std::string, double> results;
    return results;
}

// Runs `frame` once per iteration; keeps the mean milliseconds under `name`.
template <class F>
void RunFrames(benchmark::State& state, const char* name, F frame)
{
    CPlateScene& plate = Plate();
    if (!plate.Ready()) {
        state.SkipWithError("no plate scene (is an X server running, and the modeler's plate built?)");
        return;
    }
    CDsView3dCdc::StGetCurrent();
    frame(plate);  // the first frame makes the view's locations
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        frame(plate);
        glFinish();
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["triangles"] = static_cast<double>(plate.Triangles());
    state.counters["faces"] = plate.Faces();
    state.counters["edges"] = plate.Edges();
    if (state.iterations() > 0) Results()[name] = elapsed.count() / static_cast<double>(state.iterations());
}

template <class R>
void Render(CPlateScene& plate, ERenderMode mode)
{
    plate.Prepare();
    plate.View()->view3d::SetRenderMode(mode);
    int x = 0, y = 0, w = 0, h = 0;
    plate.View()->get_viewport(x, y, w, h);
    const int viewport[4] = {x, y + h, x + w, y};
    CDsDrawContext record(plate.View(), false, 0.05);
    R renderer(plate.View(), plate.Scene());
    renderer.Render(nullptr, true, viewport, &record);
    glDisableClientState(GL_NORMAL_ARRAY);
}

void WireframeFrame(CPlateScene& p)
{
    Render<CDsRendererWireframe>(p, eRenderWireframe);
}

void WireframeFloorFrame(CPlateScene& p)
{
    p.Prepare();
    glColor3ub(255, 255, 0);
    p.DrawEdges();
}

void HiddenLinesFrame(CPlateScene& p)
{
    Render<CDsRendererHiddenLine>(p, eRenderHiddenLines);
}

void HiddenLinesFloorFrame(CPlateScene& p)
{
    p.Prepare();
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(2, 2);
    p.DrawFaces();
    glDisable(GL_POLYGON_OFFSET_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glColor3ub(255, 255, 0);
    p.DrawEdges();
}

void ShadedFrame(CPlateScene& p)
{
    Render<CDsRendererShade>(p, eRenderShade);
}

void ShadedFloorFrame(CPlateScene& p)
{
    p.Prepare();
    glEnable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1, 1);
    // The material the walk gives the grey faces: the default material, two-sided lighting.
    float m[5] = {0, 0, 0, 0, 0};
    CDsPartStorage::instance()->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    DsSetGlMaterial(0xB0B0B0, 255, m[0], m[1], m[2], m[3], m[4], 1);
    p.DrawFaces();
    glDisable(GL_LIGHTING);
    glColor3ub(255, 255, 0);
    p.DrawEdges();
    glDisableClientState(GL_NORMAL_ARRAY);
}

void BM_WireframeFloor(benchmark::State& state) { RunFrames(state, "wireframe floor", WireframeFloorFrame); }
void BM_Wireframe(benchmark::State& state) { RunFrames(state, "wireframe", WireframeFrame); }
void BM_HiddenLinesFloor(benchmark::State& state) { RunFrames(state, "hidden lines floor", HiddenLinesFloorFrame); }
void BM_HiddenLines(benchmark::State& state) { RunFrames(state, "hidden lines", HiddenLinesFrame); }
void BM_ShadedFloor(benchmark::State& state) { RunFrames(state, "shaded floor", ShadedFloorFrame); }
void BM_Shaded(benchmark::State& state) { RunFrames(state, "shaded", ShadedFrame); }

// The share of the window's pixels in which a mode's picture and its floor's differ by more than
// 8 in a channel (the floor must draw what the walk draws), and in `drawn` the share the mode's
// picture covers.
double DifferingShare(void (*walked)(CPlateScene&), void (*floor)(CPlateScene&), double& drawn)
{
    CPlateScene& p = Plate();
    drawn = 0.0;
    if (!p.Ready()) return -1.0;
    auto picture = [](void (*frame)(CPlateScene&), CPlateScene& scene) {
        CDsView3dCdc::StGetCurrent();
        frame(scene);
        glFinish();
        std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    const std::vector<unsigned char> a = picture(walked, p), b = picture(floor, p);
    long differing = 0, lit = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
        differing += std::abs(a[i] - b[i]) > 8 || std::abs(a[i + 1] - b[i + 1]) > 8 || std::abs(a[i + 2] - b[i + 2]) > 8;
        lit += (a[i] | a[i + 1] | a[i + 2]) > 8;
    }
    drawn = double(lit) / double(a.size() / 3);
    return double(differing) / double(a.size() / 3);
}

}  // namespace

BENCHMARK(BM_WireframeFloor)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Wireframe)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HiddenLinesFloor)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HiddenLines)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ShadedFloor)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Shaded)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    const std::map<std::string, double>& r = Results();
    struct {
        const char* mode;
        void (*walked)(CPlateScene&);
        void (*floor)(CPlateScene&);
    } modes[] = {{"wireframe", WireframeFrame, WireframeFloorFrame},
                 {"hidden lines", HiddenLinesFrame, HiddenLinesFloorFrame},
                 {"shaded", ShadedFrame, ShadedFloorFrame}};
    for (const auto& m : modes) {
        const auto walked = r.find(m.mode);
        const auto floor = r.find(std::string(m.mode) + " floor");
        if (walked == r.end() || floor == r.end() || floor->second <= 0.0) continue;
        double drawn = 0.0;
        const double differing = DifferingShare(m.walked, m.floor, drawn);
        std::printf("%-13s %8.2f ms a frame, floor %8.2f ms: ratio %.2f (%.1f %% of the window drawn, %.2f %% "
                    "differing from the floor)\n",
                    m.mode, walked->second, floor->second, walked->second / floor->second, 100.0 * drawn,
                    100.0 * differing);
    }
    gPlate.reset();
    return 0;
}
