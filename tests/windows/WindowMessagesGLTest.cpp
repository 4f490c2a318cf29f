// Window classes and procedures: which procedure a message reaches, what the default procedure
// does, the messages the layer sends on resize and destruction, and owned windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "GlTestFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<HWND, UINT>> gSeen;
LPARAM gLastSize = 0;

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    gSeen.emplace_back(window, message);
    if (message == WM_SIZE) gLastSize = lParam;
    if (message == 0x7777) return 42;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Wrapping(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == 0x7777) return 7 + CallWindowProcW(Recording, window, message, wParam, lParam);
    return CallWindowProcW(Recording, window, message, wParam, lParam);
}

// One class for the whole program: classes stay registered for the process.
LPCWSTR RecordingClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Recording;
        windowClass.lpszClassName = L"VyrRecordingClass";
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered ? L"VyrRecordingClass" : nullptr;
}

HWND Make(LPCWSTR className, DWORD style = 0, HWND parent = nullptr, int w = 60, int h = 40) {
    return CreateWindowExW(0, className, L"", style, 0, 0, w, h, parent, nullptr, nullptr, nullptr);
}

class WindowMessagesGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!vyrtest::DisplayAvailable()) GTEST_SKIP() << "no X display";
        gSeen.clear();
        gLastSize = 0;
    }
};

}  // namespace

TEST_F(WindowMessagesGLTest, ClassesAreRegisteredOnceAndGiveTheirWindowsTheirProcedure) {
    ASSERT_NE(RecordingClass(), nullptr);
    WNDCLASSW again{};
    again.lpfnWndProc = Recording;
    again.lpszClassName = L"vyrrecordingCLASS";  // names compare without case
    EXPECT_EQ(RegisterClassW(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    WNDCLASSW noProcedure{};
    noProcedure.lpszClassName = L"VyrNoProcedure";
    EXPECT_EQ(RegisterClassW(&noProcedure), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegisterClassW(nullptr), 0);

    HWND window = Make(L"vyrRecordingClass");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, 0x7777, 0, 0), 42);
    ASSERT_FALSE(gSeen.empty());
    EXPECT_EQ(gSeen.back(), std::make_pair(window, static_cast<UINT>(0x7777)));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Recording));

    // A class no one registered: the default procedure answers.
    HWND plain = Make(L"VyrNobodyRegisteredThis");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(SendMessageW(plain, 0x7777, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DestroyWindow(plain);
    DestroyWindow(window);
}

TEST_F(WindowMessagesGLTest, AClassIsReadBackAsRegisteredWithItsIconAndCursor) {
    // System icons and cursors come from no module; a module holds none.
    const HICON logo = LoadIconW(nullptr, IDI_WINLOGO);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(LoadIconW(nullptr, IDI_WINLOGO), logo);  // one handle per icon
    EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), logo);
    EXPECT_EQ(LoadIconW(GetModuleHandleW(nullptr), IDI_WINLOGO), nullptr);
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
    EXPECT_EQ(LoadIconW(nullptr, L"logo"), nullptr);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

    WNDCLASSW registered{};
    registered.style = CS_OWNDC;
    registered.lpfnWndProc = Recording;
    registered.hIcon = logo;
    registered.hCursor = arrow;
    registered.lpszClassName = L"VyrIconAndCursorClass";
    // Classes stay registered for the process: a second run of this test finds it there.
    static const bool once = RegisterClassW(&registered) != 0;
    ASSERT_TRUE(once);
    WNDCLASSW read{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"vyriconandcursorclass", &read));
    EXPECT_EQ(read.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_EQ(read.lpfnWndProc, &Recording);
    EXPECT_EQ(read.hIcon, logo);
    EXPECT_EQ(read.hCursor, arrow);
    EXPECT_EQ(std::wstring(read.lpszClassName), L"vyriconandcursorclass");

    EXPECT_FALSE(GetClassInfoW(nullptr, L"VyrNobodyRegisteredThis", &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_FALSE(GetClassInfoW(nullptr, L"", &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(GetClassInfoW(nullptr, L"VyrIconAndCursorClass", nullptr));
}

TEST_F(WindowMessagesGLTest, SubclassingPutsAProcedureInFrontAndGivesTheOldOneBack) {
    HWND window = Make(RecordingClass());
    ASSERT_NE(window, nullptr);
    LONG_PTR old = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Wrapping));
    EXPECT_EQ(old, reinterpret_cast<LONG_PTR>(&Recording));
    EXPECT_EQ(SendMessageW(window, 0x7777, 0, 0), 49);
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_WNDPROC, old), reinterpret_cast<LONG_PTR>(&Wrapping));
    EXPECT_EQ(SendMessageW(window, 0x7777, 0, 0), 42);

    // Refused: a null procedure, another index; the procedure stays.
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_WNDPROC, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SetWindowLongPtrW(window, -21, reinterpret_cast<LONG_PTR>(&Wrapping)), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(SendMessageW(window, 0x7777, 0, 0), 42);
    DestroyWindow(window);

    // A window that is gone answers nothing and calls nothing.
    gSeen.clear();
    EXPECT_EQ(SendMessageW(window, 0x7777, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Wrapping)), 0);
    EXPECT_FALSE(UpdateWindow(window));
    EXPECT_TRUE(gSeen.empty());
}

TEST_F(WindowMessagesGLTest, DefaultProcedurePaintsByValidatingAndClosesByDestroying) {
    HWND window = Make(RecordingClass(), WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));  // shown: all of it wants painting
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_EQ(gSeen.back().second, static_cast<UINT>(WM_PAINT));
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
    gSeen.clear();
    EXPECT_TRUE(UpdateWindow(window));  // nothing to paint: no message
    EXPECT_TRUE(gSeen.empty());

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(gSeen.size(), 3u);
    EXPECT_EQ(gSeen[1].second, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(gSeen[2].second, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowMessagesGLTest, ResizingSendsTheNewClientSize) {
    HWND window = Make(RecordingClass());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MoveWindow(window, 0, 0, 130, 70, FALSE));
    ASSERT_FALSE(gSeen.empty());
    EXPECT_EQ(gSeen.back().second, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(LOWORD(gLastSize), 130);
    EXPECT_EQ(HIWORD(gLastSize), 70);
    gSeen.clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 5, 5, 0, 0, SWP_NOSIZE));  // moved only: no WM_SIZE
    EXPECT_TRUE(gSeen.empty());
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 90, 50, SWP_NOMOVE));
    EXPECT_EQ(LOWORD(gLastSize), 90);
    EXPECT_EQ(HIWORD(gLastSize), 50);
    DestroyWindow(window);
}

TEST_F(WindowMessagesGLTest, DestructionTellsParentFirstThenChildrenLast) {
    HWND owner = Make(RecordingClass());
    ASSERT_NE(owner, nullptr);
    HWND child = Make(RecordingClass(), WS_CHILD, owner, 20, 20);
    HWND owned = Make(RecordingClass(), WS_OVERLAPPEDWINDOW, owner, 200, 150);
    ASSERT_NE(child, nullptr);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(GetParent(child), owner);
    EXPECT_EQ(GetParent(owned), owner);
    gSeen.clear();
    ASSERT_TRUE(DestroyWindow(owner));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(owned));
    ASSERT_EQ(gSeen.size(), 6u);
    EXPECT_EQ(gSeen[0], std::make_pair(owner, static_cast<UINT>(WM_DESTROY)));
    EXPECT_EQ(gSeen[5], std::make_pair(owner, static_cast<UINT>(WM_NCDESTROY)));
    EXPECT_EQ(gSeen[3].second, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(gSeen[4].second, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowMessagesGLTest, AnOwnedWindowDrawsAllOfItselfBeyondItsOwner) {
    // A small owner and a larger owned window: the owned window is not a part of its owner, so all
    // of its picture is its own.
    HWND owner = Make(nullptr, WS_VISIBLE, nullptr, 40, 30);
    ASSERT_NE(owner, nullptr);
    HWND owned = Make(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, owner, 120, 90);
    ASSERT_NE(owned, nullptr);
    HDC dc = GetDC(owned);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
    HGLRC context = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    vyrtest::Clear({0, 200, 0});
    SwapBuffers(dc);
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::MeanColor(GL_FRONT, 100, 70, 10, 10), {0, 200, 0}));
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(owned, dc);
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned));
}

TEST_F(WindowMessagesGLTest, AdjustingARectangleKeepsItAsTheClientArea) {
    RECT rect{10, 20, 210, 170};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    HWND window = CreateWindowExW(0, L"x", L"", WS_OVERLAPPEDWINDOW, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    DestroyWindow(window);
    EXPECT_FALSE(AdjustWindowRect(nullptr, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
