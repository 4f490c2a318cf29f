// Presenting a frame: clear + SwapBuffers of an 800x600 window, and switching one
// thread between the contexts of two windows.
#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

namespace {

struct BenchWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    BenchWindow(int width, int height) {
        window = CreateWindowExW(0, L"VyrBench", L"bench", WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                                 nullptr);
        if (!window) return;
        dc = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        if (SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd)) context = wglCreateContext(dc);
    }
    ~BenchWindow() {
        wglMakeCurrent(nullptr, nullptr);
        if (context) wglDeleteContext(context);
        if (window) DestroyWindow(window);
    }
};

void BM_ClearAndSwap800x600(benchmark::State& state) {
    BenchWindow view(800, 600);
    if (!view.context || !wglMakeCurrent(view.dc, view.context)) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    for (auto _ : state) {
        glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(view.dc);
    }
    glFinish();
}
BENCHMARK(BM_ClearAndSwap800x600)->Unit(benchmark::kMillisecond);

void BM_ContextSwitchTwoWindows(benchmark::State& state) {
    BenchWindow first(400, 300), second(400, 300);
    if (!first.context || !second.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    bool which = false;
    for (auto _ : state) {
        const BenchWindow& view = which ? first : second;
        benchmark::DoNotOptimize(wglMakeCurrent(view.dc, view.context));
        which = !which;
    }
}
BENCHMARK(BM_ContextSwitchTwoWindows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
