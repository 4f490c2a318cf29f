// The driver statics: what a repeated colour or line width costs, and one million lit triangles
// drawn per frame from vertex buffers (CreateBufferVBO + DrawVBO), in immediate mode and from a
// display list, in an 800 x 600 window (milliseconds per frame, glFinish included).
#include "BenchWindow.h"
#include "DsDriverGl.h"
#include "DsManager.h"

#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A 1000 x 500 grid of quads as 1,000,000 triangles over the window, with per-vertex normals
// that tilt across the grid so that lighting has work to do.
struct Mesh {
    std::vector<float> vertices;
    std::vector<float> normals;
    int count = 0;

    Mesh()
    {
        const int columns = 1000, rows = 500;
        vertices.reserve(size_t(columns) * rows * 18);
        normals.reserve(vertices.capacity());
        auto add = [&](int i, int j) {
            const float x = -1.0f + 2.0f * float(i) / columns, y = -1.0f + 2.0f * float(j) / rows;
            vertices.insert(vertices.end(), {x, y, 0.0f});
            normals.insert(normals.end(), {0.3f * x, 0.3f * y, 1.0f});
        };
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i) {
                add(i, j), add(i + 1, j), add(i + 1, j + 1);
                add(i, j), add(i + 1, j + 1), add(i, j + 1);
            }
        count = int(vertices.size() / 3);
    }
};

const Mesh& TheMesh()
{
    static const Mesh mesh;
    return mesh;
}

void PrepareFrame()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void BM_StSetColorRepeated(benchmark::State& state)
{
    BenchWindow view(64, 64);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    for (auto _ : state) CDsDriverGl::StSetColor(0.2f, 0.4f, 0.6f, 1.0f);
    glFinish();
}
BENCHMARK(BM_StSetColorRepeated)->Unit(benchmark::kNanosecond);

void BM_StSetWidthRepeated(benchmark::State& state)
{
    BenchWindow view(64, 64);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    CDsDriverGl::StSetWidth(3);
    for (auto _ : state) CDsDriverGl::StSetWidth(3);
}
BENCHMARK(BM_StSetWidthRepeated)->Unit(benchmark::kNanosecond);

// For comparison: every call a change, so every call reaches OpenGL.
void BM_StSetWidthAlternating(benchmark::State& state)
{
    BenchWindow view(64, 64);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    int width = 1;
    for (auto _ : state) {
        width = width == 1 ? 3 : 1;
        CDsDriverGl::StSetWidth(width);
    }
    glFinish();
}
BENCHMARK(BM_StSetWidthAlternating)->Unit(benchmark::kNanosecond);

void BM_MillionTrianglesImmediate(benchmark::State& state)
{
    BenchWindow view(800, 600);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    const Mesh& mesh = TheMesh();
    for (auto _ : state) {
        PrepareFrame();
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < mesh.count; ++i) {
            glNormal3fv(&mesh.normals[size_t(3 * i)]);
            glVertex3fv(&mesh.vertices[size_t(3 * i)]);
        }
        glEnd();
        glFinish();
    }
}
BENCHMARK(BM_MillionTrianglesImmediate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_MillionTrianglesDisplayList(benchmark::State& state)
{
    BenchWindow view(800, 600);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    const Mesh& mesh = TheMesh();
    const GLuint list = CDsDriverGl::StGenerateGlLists(1);
    CDsDriverGl::StStartGlListCreation(list, false);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < mesh.count; ++i) {
        glNormal3fv(&mesh.normals[size_t(3 * i)]);
        glVertex3fv(&mesh.vertices[size_t(3 * i)]);
    }
    glEnd();
    CDsDriverGl::StEndGlListCreation();
    for (auto _ : state) {
        PrepareFrame();
        CDsDriverGl::StDrawGlList(list, false);
        glFinish();
    }
    CDsDriverGl::StDeleteGlLists(list, 1);
}
BENCHMARK(BM_MillionTrianglesDisplayList)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_MillionTrianglesVertexBuffers(benchmark::State& state)
{
    BenchWindow view(800, 600);
    if (!view.context) {
        state.SkipWithError("no GL window (is an X server running?)");
        return;
    }
    CDsManager::GetInstance()->InitExtensions();
    const Mesh& mesh = TheMesh();
    const int bytes = int(mesh.vertices.size() * sizeof(float));
    GLuint vertices = CDsDriverGl::CreateBufferVBO(bytes, mesh.vertices.data(), false);
    GLuint normals = CDsDriverGl::CreateBufferVBO(bytes, mesh.normals.data(), false);
    if (!vertices || !normals) {
        state.SkipWithError("no vertex buffer objects");
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (auto _ : state) {
        PrepareFrame();
        CDsDriverGl::DrawVBO(vertices, normals, mesh.count, GL_TRIANGLES);
        glFinish();
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    CDsDriverGl::DeleteBufferVBO(vertices);
    CDsDriverGl::DeleteBufferVBO(normals);
}
BENCHMARK(BM_MillionTrianglesVertexBuffers)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
