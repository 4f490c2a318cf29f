// GDI drawing into an 800 x 600 window: 1,000 square point markers and 1,000 short lines drawn in
// one hold of the window's DC (GetDC to ReleaseDC, the release included), with no OpenGL context
// current on the window and with the window's own context current; and a wide line 2,000 pixels
// long, diagonal against horizontal, drawn into a memory bitmap. The per_primitive and
// per_pixel_length counters give the time of one marker or line and of one pixel of length.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kPrimitives = 1000;

// A visible 800 x 600 window with the one pixel format and a context of its own; the DC is taken
// only for set-up and given back, so that each iteration holds it afresh.
struct GdiWindow {
    HWND window = nullptr;
    HGLRC context = nullptr;

    GdiWindow()
    {
        window = CreateWindowExW(0, L"VyrBench", L"bench", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                 nullptr, nullptr);
        if (!window) return;
        HDC dc = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        if (SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd)) context = wglCreateContext(dc);
        ReleaseDC(window, dc);
    }
    ~GdiWindow()
    {
        wglMakeCurrent(nullptr, nullptr);
        if (context) wglDeleteContext(context);
        if (window) DestroyWindow(window);
    }
    GdiWindow(const GdiWindow&) = delete;
    GdiWindow& operator=(const GdiWindow&) = delete;

    // Makes the window's context current (`current`) or none, as the case measures.
    bool Prepare(bool current)
    {
        if (!context) return false;
        if (!current) return wglMakeCurrent(nullptr, nullptr) != FALSE;
        HDC dc = GetDC(window);
        const bool made = wglMakeCurrent(dc, context) != FALSE;
        ReleaseDC(window, dc);
        return made;
    }
};

// Where primitive i goes: spread over the window.
POINT Spot(int i) { return POINT{20 + (i * 37) % (kWidth - 40), 20 + (i * 53) % (kHeight - 40)}; }

void PerPrimitive(benchmark::State& state)
{
    state.counters["per_primitive"] =
        benchmark::Counter(double(kPrimitives), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 1,000 square markers, 9 pixels across, each a closed outline.
void BM_MarkersInOneHold(benchmark::State& state, bool current)
{
    GdiWindow view;
    if (!view.window || !view.Prepare(current)) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    for (auto _ : state) {
        HDC dc = GetDC(view.window);
        HGDIOBJ old = SelectObject(dc, pen);
        for (int i = 0; i < kPrimitives; ++i) {
            const POINT c = Spot(i);
            const POINT square[5] = {{c.x - 4, c.y - 4}, {c.x + 4, c.y - 4}, {c.x + 4, c.y + 4}, {c.x - 4, c.y + 4},
                                     {c.x - 4, c.y - 4}};
            Polyline(dc, square, 5);
        }
        SelectObject(dc, old);
        ReleaseDC(view.window, dc);
    }
    DeleteObject(pen);
    PerPrimitive(state);
}
BENCHMARK_CAPTURE(BM_MarkersInOneHold, no_context_current, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_MarkersInOneHold, window_context_current, true)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,000 lines 10 pixels long, in four directions.
void BM_ShortLinesInOneHold(benchmark::State& state, bool current)
{
    GdiWindow view;
    if (!view.window || !view.Prepare(current)) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    const POINT steps[4] = {{10, 0}, {0, 10}, {7, 7}, {-7, 7}};
    for (auto _ : state) {
        HDC dc = GetDC(view.window);
        HGDIOBJ old = SelectObject(dc, pen);
        for (int i = 0; i < kPrimitives; ++i) {
            const POINT from = Spot(i), step = steps[i % 4];
            MoveToEx(dc, from.x, from.y, nullptr);
            LineTo(dc, from.x + step.x, from.y + step.y);
        }
        SelectObject(dc, old);
        ReleaseDC(view.window, dc);
    }
    DeleteObject(pen);
    PerPrimitive(state);
}
BENCHMARK_CAPTURE(BM_ShortLinesInOneHold, no_context_current, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ShortLinesInOneHold, window_context_current, true)->Unit(benchmark::kMillisecond)->UseRealTime();

// A width-5 round-capped line 2,000 pixels long across a 2,048 x 2,048 memory bitmap.
void BM_WideLine2000(benchmark::State& state, bool diagonal)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2048;
    info.bmiHeader.biHeight = -2048;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) {
        state.SkipWithError("no memory bitmap");
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    // 1,414 pixels along each axis is 2,000 along the diagonal.
    const POINT line[2] = {{20, 20}, diagonal ? POINT{20 + 1414, 20 + 1414} : POINT{20 + 2000, 20}};
    for (auto _ : state) benchmark::DoNotOptimize(Polyline(dc, line, 2));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteObject(pen);
    DeleteDC(dc);
    DeleteObject(bitmap);
    state.counters["per_pixel_length"] =
        benchmark::Counter(2000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_WideLine2000, diagonal, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WideLine2000, horizontal, false)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
