// Window classes, window procedures and the messages sent to them.
#include "GlxInternal.h"

#include <cwctype>
#include <string>
#include <unordered_map>

namespace vyrwin {
namespace {

struct ClassRecord {
    ATOM atom = 0;
    WNDPROC proc = nullptr;
    WNDCLASSW registered{};  // as registered (its name pointer is not kept)
};

std::unordered_map<std::wstring, ClassRecord>& Classes() {
    static auto* classes = new std::unordered_map<std::wstring, ClassRecord>();
    return *classes;
}

std::wstring Folded(LPCWSTR name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

}  // namespace

WNDPROC ClassProcedure(LPCWSTR className) {
    if (!className || !*className) return nullptr;
    auto it = Classes().find(Folded(className));
    return it == Classes().end() ? nullptr : it->second.proc;
}

}  // namespace vyrwin

using namespace vyrwin;

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (!windowClass || !windowClass->lpfnWndProc || !windowClass->lpszClassName || !*windowClass->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& classes = Classes();
    auto [it, added] = classes.emplace(Folded(windowClass->lpszClassName), ClassRecord{});
    if (!added) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    it->second.atom = static_cast<ATOM>(0xC000 + classes.size() - 1);
    it->second.proc = windowClass->lpfnWndProc;
    it->second.registered = *windowClass;
    it->second.registered.lpszClassName = nullptr;
    return it->second.atom;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, LPWNDCLASSW out) {
    if (!className || !*className || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto it = Classes().find(Folded(className));
    if (it == Classes().end()) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    *out = it->second.registered;
    out->lpszClassName = className;
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcW(window->proc, window, message, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!procedure) procedure = DefWindowProcW;
    return procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM, LPARAM) {
    if (!IsLiveWindow(window)) return 0;
    switch (message) {
        case WM_PAINT:
            ValidateRect(window, nullptr);
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            break;
        default:
            break;
    }
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    if (!IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GWLP_WNDPROC) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDPROC previous = window->proc ? window->proc : DefWindowProcW;
    window->proc = reinterpret_cast<WNDPROC>(value);
    return reinterpret_cast<LONG_PTR>(previous);
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    if (!IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index != GWLP_WNDPROC) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return reinterpret_cast<LONG_PTR>(window->proc ? window->proc : DefWindowProcW);
}

BOOL UpdateWindow(HWND window) {
    if (!IsLiveWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->hasUpdate) SendMessageW(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
