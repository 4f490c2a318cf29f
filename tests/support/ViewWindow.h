// Windows and core views for the context's GL tests: a window with no pixel format (what a host
// hands a view), a core view on it added to a rendering context (which gives it its OpenGL
// context), and the OpenGL context a view was given.
#pragma once

#include "DsGlContext.h"
#include "DsView3dCdc.h"
#include "ViewSetup.h"
#include "gl_context.h"

#include <afxwin.h>
#include <windows.h>

#include <memory>

namespace vyrtest {

// A window with no pixel format and no context.
struct PlainWindow {
    PlainWindow(int w, int h)
    {
        window = CreateWindowExW(0, L"VyrTestWindow", L"view", 0, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
        dc = GetDC(window);
    }
    ~PlainWindow()
    {
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    HWND window = nullptr;
    HDC dc = nullptr;
};

// A window with no pixel format, known to the framework as a CWnd (for views made on a window).
struct FrameworkWindow {
    FrameworkWindow(int w, int h) : plain(w, h) { wnd.Attach(plain.window); }
    ~FrameworkWindow() { wnd.Detach(); }
    FrameworkWindow(const FrameworkWindow&) = delete;
    FrameworkWindow& operator=(const FrameworkWindow&) = delete;
    // Whether the window waits to be repainted.
    bool Invalidated() const
    {
        RECT update{};
        return GetUpdateRect(plain.window, &update, FALSE) != FALSE;
    }
    PlainWindow plain;
    CWnd wnd;
};

// A core view of a w x h window, added to `context` (which gives it its OpenGL context).
inline std::unique_ptr<CDsView3dCdc> ViewOn(const PlainWindow& window, CDsGlContext& context, int w, int h)
{
    auto view = std::make_unique<CDsView3dCdc>();
    view->set_device_context(window.dc);
    ViewSetup().Pixels(w, h).ApplyTo(*view);
    view->SetGlContext(&context);
    context.add_view(view.get());
    return view;
}

// The OpenGL context of a view's record, null without one.
inline HGLRC ContextOf(view3d& view)
{
    const auto* record = static_cast<const gl_context_data*>(view.get_rendering_context_data());
    return record ? record->get_GLRC() : nullptr;
}

}  // namespace vyrtest
