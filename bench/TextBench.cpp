// Texts on a 1,024 x 768 view: 10,000 2-D texts of 12 characters, the first frame (each text
// measured and rendered into its bitmap by GDI) and the following frames (the cached bitmaps
// drawn), against the same bitmaps drawn with bare glBitmap calls (the floor); and 1,000 3-D texts
// under a zoom that changes every frame, so that each one is rendered again. glFinish included;
// milliseconds per frame and microseconds per rendered text.
#include "DsItemBitmap.h"
#include "DsItemNText2D.h"
#include "DsItemNText3D.h"
#include "DsView3dCdc.h"
#include "DsGlContext.h"

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024, kHeight = 768, kTexts = 10000, k3DTexts = 1000;

// A view of a window in a rendering context, one model unit a pixel, the origin in the middle.
class CTextView {
public:
    CTextView()
    {
        window_ = CreateWindowExW(0, L"VyrBench", L"text", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                                  nullptr);
        if (!window_ || !wnd_.Attach(window_)) return;
        view_ = std::make_unique<CDsView3dCdc>(&wnd_);
        view_->set_viewport(0, 0, kWidth, kHeight);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        if (CDsView3dCdc::StGetCurrent() != view_.get() || !wglGetCurrentContext()) return;
        Zoom(1.0);
        ready_ = true;
    }
    ~CTextView()
    {
        texts_.clear();
        if (view_) {
            context_.remove_view(view_.get());
            view_.reset();
        }
        if (window_) {
            wnd_.Detach();
            DestroyWindow(window_);
        }
    }
    CTextView(const CTextView&) = delete;
    CTextView& operator=(const CTextView&) = delete;

    bool Ready() const { return ready_; }
    CDsView3dCdc& View() { return *view_; }
    // `unitsPerPixel` model units a pixel, looking down -z; the projection set and the buffer cleared.
    void Zoom(double unitsPerPixel)
    {
        view_->set_perspective(false);
        view_->set_target(SPAposition(0, 0, 0));
        view_->set_eye(SPAposition(0, 0, 50));
        view_->set_up(SPAvector(0, 1, 0));
        view_->set_width(kWidth * unitsPerPixel);
        view_->set_height(kHeight * unitsPerPixel);
        view_->set_hither(1);
        view_->set_yon(100);
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3ub(255, 255, 255);
    }
    // 10,000 new texts of 12 characters on a grid over the view.
    void MakeTexts()
    {
        texts_.clear();
        for (int i = 0; i < kTexts; ++i) {
            wchar_t label[16];
            std::swprintf(label, 16, L"Text %07d", i);
            texts_.push_back(std::make_unique<CDsItemNText2D>(CVyrString(label), CVyrString(L"Arial"), 12, 0, 0));
            texts_.back()->SetPosition(4 + (i % 10) * 100, 4 + (i / 10) % 760);
        }
    }
    std::vector<std::unique_ptr<CDsItemNText2D>>& Texts() { return texts_; }

private:
    HWND window_ = nullptr;
    CWnd wnd_;
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<std::unique_ptr<CDsItemNText2D>> texts_;
    bool ready_ = false;
};

std::unique_ptr<CTextView> gView;

CTextView& View()
{
    if (!gView) gView = std::make_unique<CTextView>();
    return *gView;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double gFirstMs = 0, gCachedMs = 0, gBareMs = 0, gZoomMs = 0;

void BM_TextsFirstFrame(benchmark::State& state)
{
    CTextView& view = View();
    if (!view.Ready()) {
        state.SkipWithError("no view");
        return;
    }
    for (auto _ : state) {
        view.MakeTexts();
        view.Zoom(1.0);
        const auto start = std::chrono::steady_clock::now();
        for (auto& text : view.Texts()) text->DrawGl(view.View());
        glFinish();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        gFirstMs = s * 1000.0;
    }
    state.counters["us_per_text"] = gFirstMs * 1000.0 / kTexts;
}

void BM_TextsCachedFrame(benchmark::State& state)
{
    CTextView& view = View();
    if (!view.Ready()) {
        state.SkipWithError("no view");
        return;
    }
    if (view.Texts().empty()) {
        view.MakeTexts();
        for (auto& text : view.Texts()) text->DrawGl(view.View());
    }
    for (auto _ : state) {
        view.Zoom(1.0);
        const auto start = std::chrono::steady_clock::now();
        for (auto& text : view.Texts()) text->DrawGl(view.View());
        glFinish();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        gCachedMs = s * 1000.0;
    }
}

// The floor: the same bitmaps with one glBitmap each, in one 2-D drawing.
void BM_BareGlBitmaps(benchmark::State& state)
{
    CTextView& view = View();
    if (!view.Ready()) {
        state.SkipWithError("no view");
        return;
    }
    if (view.Texts().empty()) {
        view.MakeTexts();
        for (auto& text : view.Texts()) text->DrawGl(view.View());
    }
    for (auto _ : state) {
        view.Zoom(1.0);
        const auto start = std::chrono::steady_clock::now();
        view.View().Start2dDraw();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        for (auto& text : view.Texts()) {
            const CDsItemBitmap* bitmap = text->GetBitmapItem();
            if (!bitmap || !bitmap->GetBits()) continue;
            int x = 0, y = 0, hx = 0, hy = 0, w = 0, h = 0;
            bitmap->GetPosition(x, y);
            bitmap->GetHotSpot(hx, hy);
            bitmap->GetSize(w, h);
            glRasterPos2i(x, y);
            glBitmap(bitmap->GetRowLengthBits(), h, float(hx), float(hy), 0, 0, bitmap->GetBits());
        }
        view.View().End2dDraw();
        glFinish();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        gBareMs = s * 1000.0;
    }
}

// 1,000 3-D texts 12 units high under a zoom that changes every frame: each is rendered again.
void BM_3DTextsUnderZoom(benchmark::State& state)
{
    CTextView& view = View();
    if (!view.Ready()) {
        state.SkipWithError("no view");
        return;
    }
    std::vector<std::unique_ptr<CDsItemNText3D>> texts;
    for (int i = 0; i < k3DTexts; ++i)
        texts.push_back(std::make_unique<CDsItemNText3D>(CVyrString(L"Zoomed text"), CVyrString(L"Arial"), 12.0f,
                                                          CGmPosition(-480.0 + (i % 10) * 95.0, -370.0 + (i / 10) * 7.4, 0)));
    int frame = 0;
    for (auto _ : state) {
        view.Zoom(1.0 + 0.05 * (++frame % 2));
        const auto start = std::chrono::steady_clock::now();
        for (auto& text : texts) text->Refresh(view.View());
        glFinish();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        gZoomMs = s * 1000.0;
    }
    state.counters["us_per_text"] = gZoomMs * 1000.0 / k3DTexts;
}

BENCHMARK(BM_TextsFirstFrame)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextsCachedFrame)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareGlBitmaps)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_3DTextsUnderZoom)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gFirstMs > 0)
        std::printf("10,000 2-D texts: first frame %.1f ms (%.1f us a rasterised text)\n", gFirstMs,
                    gFirstMs * 1000.0 / kTexts);
    if (gCachedMs > 0 && gBareMs > 0)
        std::printf("cached frame %.1f ms, bare glBitmap %.1f ms, ratio %.2f (aim 2 or below)\n", gCachedMs, gBareMs,
                    gCachedMs / gBareMs);
    if (gZoomMs > 0)
        std::printf("1,000 3-D texts re-rasterised under zoom: %.1f ms a frame (%.1f us a text)\n", gZoomMs,
                    gZoomMs * 1000.0 / k3DTexts);
    gView.reset();
    return 0;
}
