// Windows for the benchmarks that draw: a visible window with the display core's pixel format and
// its own OpenGL context, current while it lives; and a window with a core view and a rendering
// context, as a host shows a document.
#pragma once

#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsManager.h"
#include "DsView3dCdc.h"

#include <afxwin.h>
#include <windows.h>

#include <memory>

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

// A framework window of `width` x `height` with a core view on it, attached to a rendering context
// of its own (scene number `sceneNumber`), the view current and the driver statics' extensions
// loaded: what a host makes to show a document. Ready() is false when any step failed.
struct BenchContextWindow {
    HWND window = nullptr;
    CWnd wnd;
    CDsGlContext context;
    std::unique_ptr<CDsView3dCdc> view;

    BenchContextWindow(const wchar_t* title, int width, int height, int sceneNumber = 0) : context(sceneNumber)
    {
        window = CreateWindowExW(0, L"VyrBench", title, WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                                 nullptr);
        if (!window || !wnd.Attach(window)) return;
        view = std::make_unique<CDsView3dCdc>(&wnd);
        view->set_viewport(0, 0, width, height);
        view->SetGlContext(&context);
        context.add_view(view.get());
        if (CDsView3dCdc::StGetCurrent() != view.get() || !wglGetCurrentContext()) return;
        CDsManager::GetInstance()->InitExtensions();
        ready = true;
    }
    ~BenchContextWindow()
    {
        if (view) {
            CDsView3dCdc::StGetCurrent();
            context.remove_view(view.get());
            view.reset();
        }
        if (window) {
            wnd.Detach();
            DestroyWindow(window);
        }
    }
    BenchContextWindow(const BenchContextWindow&) = delete;
    BenchContextWindow& operator=(const BenchContextWindow&) = delete;

    // Whether the window, the view and its OpenGL context were made.
    bool Ready() const { return ready; }

private:
    bool ready = false;
};
