// CWnd over the window calls of the Windows stand-in.
#include "afxwin.h"

#include "MfcInternal.h"

namespace {

vyrmfc::HandleMap<CWnd>* g_windows = nullptr;

vyrmfc::HandleMap<CWnd>& Windows() {
    if (!g_windows) g_windows = new vyrmfc::HandleMap<CWnd>();
    return *g_windows;
}

}  // namespace

CWnd::~CWnd() {
    if (!m_hWnd) return;
    auto& permanent = Windows().permanent;
    auto it = permanent.find(m_hWnd);
    if (it != permanent.end() && it->second == this) {
        permanent.erase(it);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND window) {
    return Windows().Find(window, [window] {
        CWnd* wnd = new CWnd();
        wnd->m_hWnd = window;
        return wnd;
    });
}

void CWnd::DeleteTempMap() {
    auto& temporary = Windows().temporary;
    for (auto& entry : temporary) {
        entry.second->m_hWnd = nullptr;  // a temporary never destroys its window
        delete entry.second;
    }
    temporary.clear();
}

BOOL CWnd::Attach(HWND window) {
    if (!window || m_hWnd) return FALSE;
    m_hWnd = window;
    Windows().permanent[window] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window) {
        auto& permanent = Windows().permanent;
        auto it = permanent.find(window);
        if (it != permanent.end() && it->second == this) permanent.erase(it);
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    HWND window = Detach();
    return ::DestroyWindow(window);
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* dc) {
    if (!dc) return 0;
    return ::ReleaseDC(m_hWnd, dc->m_hDC);
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect) return;
    if (!::GetClientRect(m_hWnd, rect)) *rect = RECT{0, 0, 0, 0};
}

void CWnd::Invalidate(BOOL erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::ValidateRect(LPCRECT rect) {
    ::ValidateRect(m_hWnd, rect);
}

BOOL CWnd::GetUpdateRect(LPRECT rect, BOOL erase) {
    return ::GetUpdateRect(m_hWnd, rect, erase);
}

BOOL CWnd::ShowWindow(int command) {
    return ::ShowWindow(m_hWnd, command);
}

void CWnd::SetWindowTextW(LPCWSTR text) {
    ::SetWindowTextW(m_hWnd, text);
}

int CWnd::GetWindowTextW(LPWSTR buffer, int bufferMax) const {
    return ::GetWindowTextW(m_hWnd, buffer, bufferMax);
}

void CWnd::GetWindowTextW(CStringW& text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        text.Empty();
        return;
    }
    int copied = ::GetWindowTextW(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer(copied < 0 ? 0 : copied);
}

// --- Messages ----------------------------------------------------------------------------------

namespace {

// The message a window procedure of this library is handling, for Default.
struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local const CurrentMessage* tCurrent = nullptr;

}  // namespace

CWnd* CWnd::FromHandlePermanent(HWND window) {
    if (!window) return nullptr;
    auto& permanent = Windows().permanent;
    auto it = permanent.find(window);
    return it == permanent.end() ? nullptr : it->second;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!::IsWindow(window) || m_hWnd || FromHandlePermanent(window)) return FALSE;
    LONG_PTR previous = ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    if (!previous) return FALSE;
    Attach(window);
    m_pfnSuper = reinterpret_cast<WNDPROC>(previous);
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd) return nullptr;
    if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam) != 0);
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            return 0;
        default:
            return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!tCurrent) return 0;
    return DefWindowProc(tCurrent->message, tCurrent->wParam, tCurrent->lParam);
}

void CWnd::OnPaint() { Default(); }

void CWnd::OnSize(UINT, int, int) { Default(); }

void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }

void CWnd::OnNcDestroy() {
    Default();
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd) return ::DefWindowProcW(window, message, wParam, lParam);
    const CurrentMessage current{message, wParam, lParam};
    const CurrentMessage* outer = tCurrent;
    tCurrent = &current;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    tCurrent = outer;
    return result;
}
