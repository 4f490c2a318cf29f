// The demo host: opens a window, gives it a pixel format and an OpenGL context through the
// display core's context record (gl_context_data), draws, reads the back buffer into a bitmap
// through the driver statics (CDsDriverGl::Buffer2Bitmap), writes each picture as a PNG and
// presents it with SwapBuffers:
//   triangle.png  a coloured triangle
//   plate.png     a filleted plate with holes and a boss, built and faceted by the modeler
//
//   vyr_demo [output folder]      (default: out)
#include "DemoModel.h"
#include "DemoPng.h"

#include <acis.h>

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>

#include "DsDriverGl.h"
#include "gl_context.h"

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
    gl_context_data* record = nullptr;

    bool Open(const wchar_t* title) {
        window = CreateWindowExW(0, L"VyrDemo", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, nullptr, nullptr);
        if (!window) return false;
        dc = GetDC(window);
        record = new gl_context_data(dc);
        // A window record: double-buffered RGBA, its context current and entered in the live set.
        return record->init_gl_context_data(nullptr, 0) == gl_context_data::kInitOk;
    }

    ~GlWindow() {
        delete record;  // releases and deletes its OpenGL context
        if (window) {
            ReleaseDC(window, dc);
            DestroyWindow(window);
        }
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

// The back buffer as the window shows it, as RGB rows from the top: read into a bitmap by the
// driver statics (32-bit pixels, blue, green, red and one unused byte each). Empty on failure.
std::vector<unsigned char> ReadBack(const GlWindow& view) {
    CDC memDC;
    CBitmap bitmap;
    if (!CDsDriverGl::Buffer2Bitmap(view.dc, 0, 0, kWidth, kHeight, GL_BACK, &memDC, bitmap)) return {};
    std::vector<unsigned char> bgrx(static_cast<size_t>(kWidth) * kHeight * 4);
    if (bitmap.GetBitmapBits(static_cast<DWORD>(bgrx.size()), bgrx.data()) != bgrx.size()) return {};
    std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (size_t i = 0, n = static_cast<size_t>(kWidth) * kHeight; i < n; ++i) {
        rgb[3 * i] = bgrx[4 * i + 2];
        rgb[3 * i + 1] = bgrx[4 * i + 1];
        rgb[3 * i + 2] = bgrx[4 * i];
    }
    return rgb;
}

// Writes the back buffer to `path`, then presents it.
bool Present(const GlWindow& view, const std::string& path) {
    glFinish();
    const std::vector<unsigned char> rgb = ReadBack(view);
    if (rgb.empty() || !vyrdemo::WritePngRgb(path, kWidth, kHeight, rgb)) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        return false;
    }
    SwapBuffers(view.dc);
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
