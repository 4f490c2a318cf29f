// The demo host: opens a window, gets a pixel format and a GL context through the
// Windows stand-in, draws, presents with SwapBuffers, reads the front buffer back
// and writes each picture as a PNG:
//   triangle.png  a coloured triangle
//   plate.png     a filleted plate with holes and a boss, built and faceted by the modeler
//
//   vyr_demo [output folder]      (default: out)
#include "DemoModel.h"
#include "DemoPng.h"

#include <acis.h>

#include <windows.h>
#include <GL/gl.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

struct GlWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    bool Open(const wchar_t* title) {
        window = CreateWindowExW(0, L"VyrDemo", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, nullptr, nullptr);
        if (!window) return false;
        dc = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 24;
        pfd.cDepthBits = 32;
        int format = ChoosePixelFormat(dc, &pfd);
        if (!format || !SetPixelFormat(dc, format, &pfd)) return false;
        context = wglCreateContext(dc);
        return context && wglMakeCurrent(dc, context);
    }

    ~GlWindow() {
        wglMakeCurrent(nullptr, nullptr);
        if (context) wglDeleteContext(context);
        if (window) DestroyWindow(window);
    }
};

void DrawTriangle() {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.1f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_TRIANGLES);
    glColor3ub(255, 160, 0);
    glVertex2f(-0.8f, -0.8f);
    glVertex2f(0.8f, -0.8f);
    glVertex2f(0.0f, 0.8f);
    glEnd();
}

std::vector<unsigned char> ReadFront() {
    std::vector<unsigned char> bottomUp(kWidth * kHeight * 3), topDown(bottomUp.size());
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = kWidth * 3;
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(bottomUp.begin() + (kHeight - 1 - y) * row, row, topDown.begin() + y * row);
    return topDown;
}

// Swaps the picture to the front and writes the front buffer to `path`.
bool Present(const GlWindow& view, const std::string& path) {
    SwapBuffers(view.dc);
    if (!vyrdemo::WritePngRgb(path, kWidth, kHeight, ReadFront())) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("demo: wrote %s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "out";
    mkdir(folder.c_str(), 0755);

    GlWindow view;
    if (!view.Open(L"Display core demo")) {
        std::fprintf(stderr, "demo: cannot open a GL window (error %u)\n", GetLastError());
        return 1;
    }
    std::printf("demo: %s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    DrawTriangle();
    if (!Present(view, folder + "/triangle.png")) return 1;

    BODY* plate = make_benchmark_plate();
    vyrdemo::TriangleSoup soup;
    if (!plate || !vyrdemo::FacetBody(plate, 0.1, soup)) {
        std::fprintf(stderr, "demo: cannot build or facet the plate\n");
        return 1;
    }
    std::printf("demo: plate faceted into %d triangles\n", soup.Triangles());
    vyrdemo::DrawLit(soup, kWidth, kHeight);
    plate->lose();
    return Present(view, folder + "/plate.png") ? 0 : 1;
}
