// A visible window with the display core's pixel format and its own OpenGL context, current while
// it lives, for the benchmarks that draw.
#pragma once

#include "DsDriverGl.h"

#include <windows.h>

struct BenchWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    // Opens the window and makes its context current; `context` stays null on failure.
    BenchWindow(int width, int height)
    {
        window = CreateWindowExW(0, L"VyrBench", L"bench", WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                                 nullptr);
        if (!window) return;
        dc = GetDC(window);
        if (CDsDriverGl::SetupPixelFormat(dc)) context = wglCreateContext(dc);
        if (context && !wglMakeCurrent(dc, context)) {
            wglDeleteContext(context);
            context = nullptr;
        }
    }
    ~BenchWindow()
    {
        wglMakeCurrent(nullptr, nullptr);
        if (context) wglDeleteContext(context);
        if (window) DestroyWindow(window);
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;
};
