// What the tests of the mesh painter and the strips renderer share: meshes made by hand (a grid of
// triangles in strip order or without, quads, polygons), a recording seam for the calls by which
// meshes are sent (SDsMeshGlSeam; it can pass every call on to OpenGL as well), and a fixture with
// a 100 x 100 core view looking down -z at 25 x 25 units (model (x, y) at pixel (50 + 4x, 50 + 4y)).
#pragma once

#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsMeshGlSeam.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "SpaFaceter.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "GlTestFixture.h"
#include "RecordingSeam.h"
#include "TestResets.h"
#include "ViewSetup.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vyrtest {

// The normal of a grid point at (x, y).
using NormalAt = std::function<SPAunit_vector(double x, double y)>;

inline SPAunit_vector FacingViewer(double, double)
{
    return SPAunit_vector(0, 0, 1);
}

// Facing the viewer at x = -5 and turning away towards +x: lit less the further right under a
// light from +z.
inline SPAunit_vector Tilted(double x, double)
{
    return normalise(SPAvector((x + 5.0) / 8.0, 0, 1));
}

// A square grid of `columns` x `rows` cells over [x0, x1] x [y0, y1] at z = 0, two triangles a
// cell, counter-clockwise seen from +z. In strip order (`strips`) each row is one strip: its
// vertices run top, bottom, top, bottom, ... from the left, every triangle is stored with the
// strip's new vertex third and begins with share -1 at the row's start, 1 after; otherwise every
// triangle stands alone (share -2).
inline std::unique_ptr<CVyrIndexedMesh> GridMesh(int columns, int rows, bool strips, const NormalAt& normal = FacingViewer,
                                                 double x0 = -5, double y0 = -5, double x1 = 5, double y1 = 5)
{
    const int nodes = (columns + 1) * (rows + 1);
    const int triangles = 2 * columns * rows;
    auto mesh = std::make_unique<CVyrIndexedMesh>(nodes, triangles, 3 * triangles);
    std::vector<CVyrPolygonVertex*> node(static_cast<size_t>(nodes));
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const double x = x0 + (x1 - x0) * i / columns, y = y0 + (y1 - y0) * j / rows;
            node[size_t(j * (columns + 1) + i)] =
                mesh->add_vertex(SPAposition(x, y, 0), normal(x, y), SPApar_pos(double(i) / columns, double(j) / rows));
        }
    auto at = [&](int i, int j) { return node[size_t(j * (columns + 1) + i)]; };
    int polygon = 0;
    auto add = [&](CVyrPolygonVertex* a, CVyrPolygonVertex* b, CVyrPolygonVertex* c, int share) {
        mesh->add_polygon(polygon, 3, nullptr, share);
        mesh->set_poly_vertex(polygon, 0, a);
        mesh->set_poly_vertex(polygon, 1, b);
        mesh->set_poly_vertex(polygon, 2, c);
        ++polygon;
    };
    for (int j = 0; j < rows; ++j) {
        if (strips) {
            // Strip vertices v0 = top 0, v1 = bottom 0, v2 = top 1, v3 = bottom 1, ...
            std::vector<CVyrPolygonVertex*> v;
            for (int i = 0; i <= columns; ++i) {
                v.push_back(at(i, j + 1));
                v.push_back(at(i, j));
            }
            for (size_t k = 0; k + 2 < v.size(); ++k) {
                const int share = k == 0 ? -1 : 1;
                if (k % 2 == 0)
                    add(v[k], v[k + 1], v[k + 2], share);
                else
                    add(v[k + 1], v[k], v[k + 2], share);
            }
        } else {
            for (int i = 0; i < columns; ++i) {
                add(at(i, j + 1), at(i, j), at(i + 1, j + 1), -2);
                add(at(i, j), at(i + 1, j), at(i + 1, j + 1), -2);
            }
        }
    }
    return mesh;
}

// A mesh of the given polygons (corner lists of (x, y) at z = 0, normals facing +z) with the
// given share values.
inline std::unique_ptr<CVyrIndexedMesh> PolygonMesh(const std::vector<std::vector<std::pair<double, double>>>& polygons,
                                                    const std::vector<int>& shares)
{
    int corners = 0;
    for (const auto& p : polygons) corners += static_cast<int>(p.size());
    auto mesh = std::make_unique<CVyrIndexedMesh>(corners, static_cast<int>(polygons.size()), corners);
    for (size_t k = 0; k < polygons.size(); ++k) {
        const int n = static_cast<int>(polygons[k].size());
        mesh->add_polygon(static_cast<int>(k), n, nullptr, shares[k]);
        for (int i = 0; i < n; ++i) {
            CVyrPolygonVertex* v = mesh->add_vertex(SPAposition(polygons[k][size_t(i)].first, polygons[k][size_t(i)].second, 0),
                                                    SPAunit_vector(0, 0, 1), SPApar_pos(0, 0));
            mesh->set_poly_vertex(static_cast<int>(k), i, v);
        }
    }
    return mesh;
}

// Puts back what faceting a body may change of the process: the current refinement, the active
// mesh interface, the dynamic-ellipse switch, the faceter's mesh manager and default refinement.
class MeshingStateGuard {
public:
    MeshingStateGuard()
        : current_(CVyrRefinement::sCurrentRefinement),
          active_(CVyrMeshInterface::StGetActiveMeshManager()),
          ellipses_(CDsEllipseStorage::StGetDynamicEllipses())
    {
        api_get_default_refinement(faceterDefault_);
    }
    ~MeshingStateGuard()
    {
        CVyrRefinement::StSetCurrentRefinement(current_);
        CVyrMeshInterface::StSetActiveMeshManager(active_);
        CDsEllipseStorage::StSetDynamicEllipses(ellipses_);
        api_set_mesh_manager(nullptr);
        api_set_default_refinement(faceterDefault_);
    }
    MeshingStateGuard(const MeshingStateGuard&) = delete;
    MeshingStateGuard& operator=(const MeshingStateGuard&) = delete;

private:
    CVyrRefinement* current_;
    CVyrMeshInterface* active_;
    bool ellipses_;
    REFINEMENT* faceterDefault_ = nullptr;
};

// Records the calls of the mesh seam while it lives; with `forward` each call also goes on to
// OpenGL.
class RecordingMeshSeam {
public:
    explicit RecordingMeshSeam(bool forward = false) : forward_(forward), scope_(Table())
    {
        Active() = this;
    }
    ~RecordingMeshSeam() { Active() = nullptr; }
    RecordingMeshSeam(const RecordingMeshSeam&) = delete;
    RecordingMeshSeam& operator=(const RecordingMeshSeam&) = delete;

    // The calls recorded so far, which are then forgotten.
    std::vector<GlCall> Take()
    {
        std::vector<GlCall> taken;
        taken.swap(calls);
        return taken;
    }
    // How many recorded calls have this name.
    size_t Count(const std::string& name) const
    {
        size_t n = 0;
        for (const GlCall& call : calls) n += call.name == name ? 1 : 0;
        return n;
    }

    std::vector<GlCall> calls;

private:
    static RecordingMeshSeam*& Active()
    {
        static RecordingMeshSeam* active = nullptr;
        return active;
    }
    static void Add(const char* name, std::vector<double> args)
    {
        if (Active()) Active()->calls.push_back(GlCall{name, std::move(args)});
    }
    static bool Forward() { return Active() && Active()->forward_; }
    static const SDsMeshGlSeam& Table()
    {
        static const SDsMeshGlSeam table = {
            [](GLenum mode) {
                Add("FrontFace", {double(mode)});
                if (Forward()) DsRealMeshGlSeam().FrontFace(mode);
            },
            [](GLenum mode) {
                Add("Begin", {double(mode)});
                if (Forward()) DsRealMeshGlSeam().Begin(mode);
            },
            []() {
                Add("End", {});
                if (Forward()) DsRealMeshGlSeam().End();
            },
            [](GLfloat x, GLfloat y, GLfloat z) {
                Add("Normal3f", {x, y, z});
                if (Forward()) DsRealMeshGlSeam().Normal3f(x, y, z);
            },
            [](const GLfloat* n) {
                Add("Normal3fv", {n[0], n[1], n[2]});
                if (Forward()) DsRealMeshGlSeam().Normal3fv(n);
            },
            [](GLfloat x, GLfloat y, GLfloat z) {
                Add("Vertex3f", {x, y, z});
                if (Forward()) DsRealMeshGlSeam().Vertex3f(x, y, z);
            },
            [](const GLfloat* p) {
                Add("Vertex3fv", {p[0], p[1], p[2]});
                if (Forward()) DsRealMeshGlSeam().Vertex3fv(p);
            },
            [](int index) {
                Add("PaletteColor", {double(index)});
                if (Forward()) DsRealMeshGlSeam().PaletteColor(index);
            },
            [](GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
                Add("Color4f", {r, g, b, a});
                if (Forward()) DsRealMeshGlSeam().Color4f(r, g, b, a);
            },
            [](GLenum array) {
                Add("EnableClientState", {double(array)});
                if (Forward()) DsRealMeshGlSeam().EnableClientState(array);
            },
            [](GLenum array) {
                Add("DisableClientState", {double(array)});
                if (Forward()) DsRealMeshGlSeam().DisableClientState(array);
            },
            [](GLuint vertices, GLuint normals, int count, GLenum mode) {
                Add("DrawVBO", {double(vertices), double(normals), double(count), double(mode)});
                if (Forward()) DsRealMeshGlSeam().DrawVBO(vertices, normals, count, mode);
            },
            [](GLuint list) {
                Add("CallList", {double(list)});
                if (Forward()) DsRealMeshGlSeam().CallList(list);
            },
        };
        return table;
    }

    bool forward_;
    SDsMeshGlSeamScope scope_;
};

// A 100 x 100 window with a core view on it in a rendering context, current, looking down -z from
// (0, 0, 50) at 25 x 25 units; projection set, depth test on, lighting off, cleared to black.
class MeshViewTest : public ::testing::Test {
protected:
    static constexpr int kSize = 100;

    void SetUp() override
    {
        ASSERT_TRUE(DisplayAvailable());
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        view_ = ViewOn(window_, context_, kSize, kSize);
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(25, 25).Clip(1, 100).ApplyTo(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        Prepare();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        CDsDriverGl::StSetActiveVertexColorPalette(nullptr);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
    }
    // Projection and model-view of the view, depth test on, lighting off, a black picture.
    void Prepare()
    {
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glFrontFace(GL_CCW);
        Clear(Rgb{0, 0, 0});
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    // GL lighting on with one white directional light from `direction` (eye space), no ambient
    // light, and a white diffuse material.
    static void Light(float x, float y, float z)
    {
        const GLfloat direction[4] = {x, y, z, 0.0f};
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat none[4] = {0, 0, 0, 1};
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glPopMatrix();
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_AMBIENT, none);
        glLightfv(GL_LIGHT0, GL_SPECULAR, none);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
    }
    // The back buffer, RGB from the bottom row up.
    static std::vector<unsigned char> Picture()
    {
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // How many channels of two pictures differ by more than `tolerance`.
    static int Differences(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int tolerance = 2)
    {
        int n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += std::abs(int(a[i]) - int(b[i])) > tolerance;
        return n;
    }
    // How many pixels are not black.
    static int LitCount(const std::vector<unsigned char>& rgb)
    {
        int n = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) n += (rgb[i] | rgb[i + 1] | rgb[i + 2]) > 24;
        return n;
    }
    static Rgb At(int x, int y) { return ReadPixel(GL_BACK, x, y); }

    ViewStaticsGuard statics_;
    PlainWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace vyrtest
