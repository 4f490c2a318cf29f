// CDsDebugWindow and CDsDebugWindowClient: a debug window with its own OpenGL context.
#include "DsDebugWindow.h"

#include <vyrwin_codec.h>

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

namespace {

const wchar_t kClassName[] = L"DEBUGWINDOW";
bool sClassRegistered = false;

// The OpenGL context current when it was made, put back when it goes.
class CurrentContextScope {
public:
    CurrentContextScope() : m_context(wglGetCurrentContext()), m_dc(wglGetCurrentDC()) {}
    ~CurrentContextScope()
    {
        if (m_context)
            wglMakeCurrent(m_dc, m_context);
        else
            wglMakeCurrent(nullptr, nullptr);
    }
    CurrentContextScope(const CurrentContextScope&) = delete;
    CurrentContextScope& operator=(const CurrentContextScope&) = delete;

private:
    HGLRC m_context;
    HDC m_dc;
};

bool HasContext(const _UTILwindow* window)
{
    return window && window->hglrc && window->hdc && IsWindow(window->hwnd);
}

// How many objects and clients hold each record made by a CDsDebugWindow.
std::unordered_map<const _UTILwindow*, int>& Holders()
{
    static std::unordered_map<const _UTILwindow*, int> holders;
    return holders;
}

}  // namespace

// --- CDsDebugWindow ------------------------------------------------------------------------------

CDsDebugWindow::CDsDebugWindow(const char* title, int width, int height)
    : m_pWindow(UtilCreateWindow(title, 0, 0, width, height))
{
    HoldRecord(m_pWindow);
}

CDsDebugWindow::CDsDebugWindow(const CDsDebugWindow& other) : m_pWindow(other.m_pWindow), m_pClient(other.m_pClient)
{
    HoldRecord(m_pWindow);
}

CDsDebugWindow& CDsDebugWindow::operator=(const CDsDebugWindow& other)
{
    HoldRecord(other.m_pWindow);  // first: assigning an object to itself keeps its record
    LetRecordGo(m_pWindow, false);
    m_pWindow = other.m_pWindow;
    m_pClient = other.m_pClient;
    return *this;
}

CDsDebugWindow::~CDsDebugWindow()
{
    LetRecordGo(m_pWindow, false);
}

void CDsDebugWindow::HoldRecord(_UTILwindow* window)
{
    if (window) ++Holders()[window];
}

void CDsDebugWindow::LetRecordGo(_UTILwindow* window, bool windowGoing)
{
    if (!window) return;
    auto& holders = Holders();
    const auto found = holders.find(window);
    if (found == holders.end() || --found->second > 0) return;
    holders.erase(found);
    if (windowGoing) {
        // The window is being destroyed: its device context goes with it.
        window->hwnd = nullptr;
        window->hdc = nullptr;
    }
    UtilReleaseWindow(window);
    std::free(window);
}

void CDsDebugWindow::UtilFatalError(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void CDsDebugWindow::UtilFillPixelFormat(PIXELFORMATDESCRIPTOR& descriptor)
{
    descriptor = PIXELFORMATDESCRIPTOR{};
    descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.cRedBits = 8;
    descriptor.cGreenBits = 8;
    descriptor.cBlueBits = 8;
    descriptor.cDepthBits = 24;
    descriptor.iLayerType = PFD_MAIN_PLANE;
}

unsigned char CDsDebugWindow::ComponentFromIndex(int index, unsigned bits, unsigned shift)
{
    static const unsigned char kOneBit[2] = {0, 255};
    static const unsigned char kTwoBits[4] = {0, 85, 170, 255};
    static const unsigned char kThreeBits[8] = {0, 36, 73, 109, 146, 182, 219, 255};
    if (bits < 1 || bits > 3 || shift >= 32) return 0;
    const unsigned value = (static_cast<unsigned>(index) >> shift) & ((1u << bits) - 1u);
    switch (bits) {
        case 1: return kOneBit[value];
        case 2: return kTwoBits[value];
        default: return kThreeBits[value];
    }
}

bool CDsDebugWindow::UtilCreateRGBPalette(_UTILwindow* window, PIXELFORMATDESCRIPTOR& descriptor)
{
    const int format = ChoosePixelFormat(window->hdc, &descriptor);
    DescribePixelFormat(window->hdc, format, sizeof(PIXELFORMATDESCRIPTOR), &descriptor);
    if (!SetPixelFormat(window->hdc, format, &descriptor)) {
        UtilFatalError("SetPixelFormat failed during window create.");
        return false;
    }
    if (descriptor.iPixelType == PFD_TYPE_COLORINDEX && descriptor.cColorBits >= 24) return true;
    if (!(descriptor.dwFlags & PFD_NEED_PALETTE)) return true;

    const int entries = descriptor.cColorBits >= 8 ? 256 : 1 << descriptor.cColorBits;
    LOGPALETTE* logical = static_cast<LOGPALETTE*>(
        std::calloc(1, sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY)));
    if (!logical) {
        UtilFatalError("Out of memory for logpal");
        return false;
    }
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(entries);
    for (int i = 0; i < entries; ++i) {
        logical->palPalEntry[i].peRed = ComponentFromIndex(i, descriptor.cRedBits, descriptor.cRedShift);
        logical->palPalEntry[i].peGreen = ComponentFromIndex(i, descriptor.cGreenBits, descriptor.cGreenShift);
        logical->palPalEntry[i].peBlue = ComponentFromIndex(i, descriptor.cBlueBits, descriptor.cBlueShift);
        logical->palPalEntry[i].peFlags = 0;
    }
    // The 3-3-2 format: twenty system colours take their places in the ramp.
    if (descriptor.cColorBits == 8 && descriptor.cRedBits == 3 && descriptor.cRedShift == 0 &&
        descriptor.cGreenBits == 3 && descriptor.cGreenShift == 3 && descriptor.cBlueBits == 2 &&
        descriptor.cBlueShift == 6) {
        static const struct { int index; BYTE r, g, b; } kSystemColors[] = {
            {3, 128, 0, 0},      {24, 0, 128, 0},     {27, 128, 128, 0},   {64, 0, 0, 128},
            {67, 128, 0, 128},   {88, 0, 128, 128},   {173, 192, 192, 192}, {181, 192, 220, 192},
            {236, 166, 202, 240}, {247, 255, 251, 240}, {164, 160, 160, 164}, {91, 128, 128, 128},
        };
        for (const auto& c : kSystemColors) {
            logical->palPalEntry[c.index].peRed = c.r;
            logical->palPalEntry[c.index].peGreen = c.g;
            logical->palPalEntry[c.index].peBlue = c.b;
            logical->palPalEntry[c.index].peFlags = 0;
        }
    }
    if (window->hpalette) DeleteObject(window->hpalette);
    window->hpalette = CreatePalette(logical);
    std::free(logical);
    if (!window->hpalette) {
        UtilFatalError("Cannot create palette during window create.");
        return false;
    }
    return true;
}

void CDsDebugWindow::UtilReleaseWindow(_UTILwindow* window)
{
    if (window->hglrc) {
        if (wglGetCurrentContext() == window->hglrc) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(window->hglrc);
    }
    if (window->hpalette) DeleteObject(window->hpalette);
    if (IsWindow(window->hwnd)) {
        if (window->hdc) ReleaseDC(window->hwnd, window->hdc);
        DestroyWindow(window->hwnd);
    }
    window->hglrc = nullptr;
    window->hpalette = nullptr;
    window->hdc = nullptr;
    window->hwnd = nullptr;
}

_UTILwindow* CDsDebugWindow::UtilCreateWindow(const char* title, int x, int y, int width, int height)
{
    _UTILwindow* window = static_cast<_UTILwindow*>(std::calloc(1, sizeof(_UTILwindow)));
    if (!window) {
        UtilFatalError("out of memory.");
        return nullptr;
    }
    window->width = width;
    window->height = height;
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize) {
        UtilFatalError("invalid window size %d x %d.", width, height);
        return window;
    }

    if (!sClassRegistered) {
        WNDCLASSW windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            UtilFatalError("RegisterClass() failed:Cannot register GLDRIVERUTIL window class.");
            return window;
        }
        sClassRegistered = true;
    }

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    RECT rect{x, y, x + width, y + height};
    AdjustWindowRect(&rect, style, FALSE);
    if (rect.left < 0) rect.left = 0;
    if (rect.top < 0) rect.top = 0;
    const int adjustedWidth = rect.right - rect.left;
    const int adjustedHeight = rect.bottom - rect.top;

    HWND owner = nullptr;
    if (CWinThread* thread = AfxGetThread())
        if (thread->m_pMainWnd && IsWindow(thread->m_pMainWnd->GetSafeHwnd())) owner = thread->m_pMainWnd->GetSafeHwnd();
    const std::wstring text = title ? vyrwin::WideFromNarrow(title, std::char_traits<char>::length(title)) : L"";
    window->hwnd = CreateWindowExW(0, kClassName, text.c_str(), WS_OVERLAPPEDWINDOW, rect.left, rect.top,
                                   adjustedWidth, adjustedHeight, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window->hwnd) {
        UtilFatalError("CreateWindow failed %u", static_cast<unsigned>(GetLastError()));
        return window;
    }

    window->hdc = GetDC(window->hwnd);
    PIXELFORMATDESCRIPTOR descriptor;
    UtilFillPixelFormat(descriptor);
    if (!ChoosePixelFormat(window->hdc, &descriptor)) {
        UtilFatalError("ChoosePixelFormat Failed %u", static_cast<unsigned>(GetLastError()));
        UtilReleaseWindow(window);
        return window;
    }
    if (!UtilCreateRGBPalette(window, descriptor)) {
        UtilReleaseWindow(window);
        return window;
    }
    window->hglrc = wglCreateContext(window->hdc);
    if (!window->hglrc) {
        UtilFatalError("wglCreateContext Failed %x", static_cast<unsigned>(GetLastError()));
        UtilReleaseWindow(window);
        return window;
    }
    {
        CurrentContextScope previous;
        if (wglMakeCurrent(window->hdc, window->hglrc)) glViewport(0, 0, adjustedWidth, adjustedHeight);
    }
    ShowWindow(window->hwnd, SW_SHOW);
    UpdateWindow(window->hwnd);
    if (owner) SendMessageW(owner, WM_ACTIVATE, 0, 0);
    return window;
}

void CDsDebugWindow::Draw(void (*callback)())
{
    if (!m_pWindow || !IsWindow(m_pWindow->hwnd)) {
        UtilFatalError("The debug window has no window to draw in.");
        return;
    }
    // The window's present client, whichever copy of this object made it.
    if (auto* previous = dynamic_cast<CDsDebugWindowClient*>(CWnd::FromHandlePermanent(m_pWindow->hwnd))) {
        previous->UnsubclassWindow();
        delete previous;
    }
    m_pClient = nullptr;
    auto* client = new CDsDebugWindowClient(m_pWindow, callback);
    if (!client->SubclassWindow(m_pWindow->hwnd)) {
        UtilFatalError("The debug window cannot take the window's messages.");
        delete client;
        return;
    }
    m_pClient = client;
}

void CDsDebugWindow::UTILcleanup()
{
    if (m_pWindow) UtilReleaseWindow(m_pWindow);
    m_pClient = nullptr;
}

// --- CDsDebugWindowClient ------------------------------------------------------------------------

CDsDebugWindowClient::CDsDebugWindowClient(_UTILwindow* window, void (*callback)())
    : m_pWindow(window), m_pCallback(callback)
{
    CDsDebugWindow::HoldRecord(m_pWindow);
}

CDsDebugWindowClient::~CDsDebugWindowClient()
{
    // A client deleted while still attached takes its window with it (CWnd's destructor).
    CDsDebugWindow::LetRecordGo(m_pWindow, m_hWnd != nullptr);
}

void CDsDebugWindowClient::OnPaint()
{
    if (HasContext(m_pWindow)) {
        CurrentContextScope previous;
        if (wglMakeCurrent(m_pWindow->hdc, m_pWindow->hglrc)) {
            if (m_pCallback) m_pCallback();
            SwapBuffers(m_pWindow->hdc);
        }
    }
    if (m_hWnd) ValidateRect(nullptr);
}

void CDsDebugWindowClient::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (!HasContext(m_pWindow)) return;
    CurrentContextScope previous;
    if (!wglMakeCurrent(m_pWindow->hdc, m_pWindow->hglrc)) return;
    glViewport(0, 0, cx, cy);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.5, 20.0);
    glMatrixMode(GL_MODELVIEW);
}

void CDsDebugWindowClient::OnActivate(UINT, CWnd*, BOOL minimized)
{
    if (!minimized) OnPaint();
}

void CDsDebugWindowClient::PostNcDestroy()
{
    CDsDebugWindow::LetRecordGo(m_pWindow, true);
    m_pWindow = nullptr;
    delete this;
}
