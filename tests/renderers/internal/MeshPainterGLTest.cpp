// The mesh painter in a window (a program started without switches: display lists are the default
// road), read back from the back buffer, and through a recording seam where the calls matter: a
// mesh from its list and immediately gives the same picture, in strip order and without; changing
// the colour-per-vertex kind compiles the list again and the current colour survives the list; a
// planar mesh sends one normal; a reflected painter turns the winding or the normals; strips,
// quad strips and polygons go out in their blocks; the shaded block is lit inside its silhouette
// and the background stays outside; a cylinder's silhouette runs along its sides; the strips
// renderer shows per-vertex colours; bad meshes draw nothing; while OpenGL takes feedback the mesh
// goes out from client arrays in the same blocks.
#include "DsGlMeshPainter.h"
#include "DsStripsCollector.h"

#include "MeshFixture.h"

#include "DsEllipseStorage.h"
#include "DsGlSketch.h"
#include "DsPalette.h"
#include "EntityDeleter.h"
#include "SpaBuilders.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>

namespace {

using vyrtest::ColorNear;
using vyrtest::GlCall;
using vyrtest::GridMesh;
using vyrtest::PolygonMesh;
using vyrtest::RecordingMeshSeam;
using vyrtest::Rgb;

using MeshPainterGLTest = vyrtest::MeshViewTest;

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kWhite{255, 255, 255};

// The current colour as bytes.
Rgb CurrentColor()
{
    GLfloat c[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, c);
    return Rgb{int(c[0] * 255 + 0.5f), int(c[1] * 255 + 0.5f), int(c[2] * 255 + 0.5f)};
}

// The names of the recorded calls, in order.
std::vector<std::string> Names(const std::vector<GlCall>& calls)
{
    std::vector<std::string> names;
    for (const GlCall& c : calls) names.push_back(c.name);
    return names;
}

// The (x, y) of every recorded vertex.
std::vector<std::pair<double, double>> Vertices(const std::vector<GlCall>& calls)
{
    std::vector<std::pair<double, double>> out;
    for (const GlCall& c : calls)
        if (c.name == "Vertex3fv" || c.name == "Vertex3f") out.emplace_back(c.args[0], c.args[1]);
    return out;
}

}  // namespace

TEST_F(MeshPainterGLTest, AMeshFromItsListAndImmediatelyGivesTheSamePictureInStripOrderAndWithout)
{
    auto strips = GridMesh(8, 4, true, vyrtest::Tilted);
    CDsGlMeshPainter painter;
    Light(0, 0, 1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, strips.get(), false));
    EXPECT_TRUE(strips->IsDisplayListExists(1));
    const unsigned list = strips->GetDisplayList();
    const auto fromList = Picture();
    EXPECT_GE(LitCount(fromList), 38 * 38) << "the square covers pixels 30 to 69 both ways";
    EXPECT_GT(At(33, 50).r, At(67, 50).r + 20) << "lit less where it turns away: " << At(33, 50) << At(67, 50);
    EXPECT_TRUE(ColorNear(At(20, 50), kBlack, 0));

    Prepare();
    Light(0, 0, 1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, strips.get(), true));
    EXPECT_EQ(Differences(fromList, Picture()), 0) << "immediately";
    EXPECT_EQ(strips->GetDisplayList(), list) << "immediate mode makes no list";

    Prepare();
    Light(0, 0, 1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, strips.get(), false));
    EXPECT_EQ(strips->GetDisplayList(), list) << "the list is kept and called again";
    EXPECT_EQ(Differences(fromList, Picture()), 0) << "from the kept list";

    // The same triangles without strip order.
    auto plain = GridMesh(8, 4, false, vyrtest::Tilted);
    for (bool immediate : {false, true}) {
        Prepare();
        Light(0, 0, 1);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, plain.get(), immediate));
        EXPECT_EQ(Differences(fromList, Picture()), 0) << "without strip order, immediate " << immediate;
    }
}

TEST_F(MeshPainterGLTest, ChangingTheColourPerVertexKindCompilesTheListAgainAndTheCurrentColourSurvives)
{
    CDsPalette palette(2);
    palette.SetColor(0, CDsColorStorage(255, 0, 0));
    palette.SetColor(1, CDsColorStorage(0, 255, 0));
    CDsDriverGl::StSetActiveVertexColorPalette(&palette);
    auto mesh = GridMesh(2, 2, false);
    const std::vector<unsigned char> colors(9, 1);
    mesh->SetVertexColors(colors.data(), false);

    CDsGlMeshPainter painter;
    painter.SetColorPerVertexMode(1);
    glColor3ub(0, 0, 255);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_TRUE(mesh->IsDisplayListExists(2));
    EXPECT_TRUE(ColorNear(At(50, 50), kGreen, 2)) << "the vertices' palette colour";
    EXPECT_TRUE(ColorNear(CurrentColor(), kBlue, 1)) << "the colour found before the draw";

    // Replayed under another current colour, the list leaves that one, not the one it was made
    // under.
    Prepare();
    glColor3ub(255, 0, 0);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_TRUE(ColorNear(At(50, 50), kGreen, 2));
    EXPECT_TRUE(ColorNear(CurrentColor(), kRed, 1));

    // Without colour per vertex the list is compiled again, in the current colour.
    painter.SetColorPerVertexMode(0);
    Prepare();
    glColor3ub(0, 0, 255);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_TRUE(mesh->IsDisplayListExists(1));
    EXPECT_FALSE(mesh->IsDisplayListExists(2));
    EXPECT_TRUE(ColorNear(At(50, 50), kBlue, 2));

    // Reflected: kinds 5 and 6.
    painter.SetReflect(1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_TRUE(mesh->IsDisplayListExists(5));
    painter.SetColorPerVertexMode(1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_TRUE(mesh->IsDisplayListExists(6));

    // A copy of a painter carries its flags.
    const unsigned list = mesh->GetDisplayList();
    CDsGlMeshPainter copy;
    copy = painter;
    ASSERT_TRUE(copy.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_EQ(mesh->GetDisplayList(), list) << "the same kind: nothing compiled again";
}

TEST_F(MeshPainterGLTest, APlanarMeshSendsOneNormalPerDrawAndIsLitEvenly)
{
    // The first vertex sent (top left) faces the viewer; every other one is turned well away.
    auto normals = [](double x, double) {
        return x < -4.9 ? SPAunit_vector(0, 0, 1) : normalise(SPAvector(1, 0, 1));
    };
    auto mesh = GridMesh(4, 2, false, normals);
    mesh->SetPlanarFlag(1);
    CDsGlMeshPainter painter;
    {
        RecordingMeshSeam seam(true);
        Light(0, 0, 1);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        EXPECT_EQ(seam.Count("Normal3fv"), 1u);
        EXPECT_EQ(seam.Count("Vertex3fv"), 3u * 16);
    }
    EXPECT_TRUE(ColorNear(At(33, 50), kWhite, 3)) << At(33, 50);
    EXPECT_TRUE(ColorNear(At(67, 50), kWhite, 3)) << "the one normal serves the whole face: " << At(67, 50);

    // Compiled into its list, also one normal.
    {
        RecordingMeshSeam seam(true);
        Prepare();
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("Normal3fv"), 1u);
        EXPECT_EQ(seam.Count("CallList"), 1u);
    }

    // Not planar: a normal per vertex, and the face darker where its normals turn away.
    mesh->SetPlanarFlag(0);
    {
        RecordingMeshSeam seam(true);
        Prepare();
        Light(0, 0, 1);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        EXPECT_EQ(seam.Count("Normal3fv"), 3u * 16);
    }
    EXPECT_LT(At(67, 50).r, 200) << At(67, 50);
}

TEST_F(MeshPainterGLTest, AReflectedPainterTurnsTheWindingInImmediateModeAndTheNormalsOtherwise)
{
    auto mesh = GridMesh(1, 1, false);
    CDsGlMeshPainter painter;
    painter.SetReflect(1);
    RecordingMeshSeam seam(true);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
    std::vector<GlCall> calls = seam.Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_TRUE(vyrtest::CallsAre({calls[0]}, {{"FrontFace", {double(GL_CW)}}}));
    for (const GlCall& c : calls) {
        if (c.name == "Normal3fv") {
            EXPECT_TRUE(vyrtest::CallsAre({c}, {{"Normal3fv", {0, 0, 1}}}));
        }
    }
    EXPECT_EQ(mesh->GetDisplayList(), 0u) << "immediate mode makes no list";

    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    calls = seam.Take();
    EXPECT_TRUE(vyrtest::CallsAre({calls[0]}, {{"FrontFace", {double(GL_CCW)}}}));
    int normals = 0;
    for (const GlCall& c : calls)
        if (c.name == "Normal3fv") {
            ++normals;
            EXPECT_TRUE(vyrtest::CallsAre({c}, {{"Normal3fv", {0, 0, -1}}}));
        }
    EXPECT_EQ(normals, 6);
    EXPECT_TRUE(mesh->IsDisplayListExists(5));
    glFrontFace(GL_CCW);
}

TEST_F(MeshPainterGLTest, StripsQuadStripsAndPolygonsGoOutInTheirBlocks)
{
    CDsGlMeshPainter painter;
    {
        // Two rows of two cells: one triangle strip each, top and bottom vertices in turn.
        auto mesh = GridMesh(2, 2, true);
        RecordingMeshSeam seam;
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        const auto calls = seam.Take();
        const std::vector<std::string> strip = {"Begin",     "Normal3fv", "Vertex3fv", "Normal3fv", "Vertex3fv",
                                                "Normal3fv", "Vertex3fv", "Normal3fv", "Vertex3fv", "Normal3fv",
                                                "Vertex3fv", "Normal3fv", "Vertex3fv", "End"};
        std::vector<std::string> expected = {"FrontFace"};
        expected.insert(expected.end(), strip.begin(), strip.end());
        expected.insert(expected.end(), strip.begin(), strip.end());
        EXPECT_EQ(Names(calls), expected);
        EXPECT_EQ(calls[1].args[0], GL_TRIANGLE_STRIP);
        const std::vector<std::pair<double, double>> firstRow = {{-5, 0}, {-5, -5}, {0, 0}, {0, -5}, {5, 0}, {5, -5}};
        const auto v = Vertices(calls);
        const std::vector<std::pair<double, double>> sent(v.begin(), v.begin() + 6);
        EXPECT_EQ(sent, firstRow);
    }
    {
        // Two quads in strip order: vertices 0, 1, 3, 2, then 3, 2; drawn whole.
        auto mesh = PolygonMesh({{{-5, -5}, {5, -5}, {5, 0}, {-5, 0}}, {{-5, 0}, {5, 0}, {5, 5}, {-5, 5}}}, {-1, 1});
        RecordingMeshSeam seam(true);
        glColor3ub(255, 255, 255);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        const auto calls = seam.Take();
        EXPECT_EQ(calls[1].name, "Begin");
        EXPECT_EQ(calls[1].args[0], GL_QUAD_STRIP);
        const std::vector<std::pair<double, double>> order = {{-5, -5}, {5, -5}, {-5, 0}, {5, 0}, {-5, 5}, {5, 5}};
        EXPECT_EQ(Vertices(calls), order);
        const auto picture = Picture();
        EXPECT_GE(LitCount(picture), 38 * 38) << "no bow ties: the rectangle is whole";
        EXPECT_TRUE(ColorNear(At(32, 32), kWhite, 0));
        EXPECT_TRUE(ColorNear(At(67, 67), kWhite, 0));
    }
    {
        // Without strip order: a run of triangles is one block, a run of quads another, a pentagon
        // its own polygon, a two-vertex polygon nothing.
        const std::vector<std::pair<double, double>> tri = {{0, 0}, {1, 0}, {0, 1}};
        const std::vector<std::pair<double, double>> quad = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        const std::vector<std::pair<double, double>> pentagon = {{0, 0}, {2, 0}, {2, 1}, {1, 2}, {0, 1}};
        const std::vector<std::pair<double, double>> stub = {{0, 0}, {1, 1}};
        auto mesh = PolygonMesh({tri, tri, quad, quad, stub, pentagon, tri}, {-2, -2, -2, -2, -2, -2, -2});
        RecordingMeshSeam seam;
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        std::vector<std::pair<std::string, int>> blocks;  // begin mode and vertex count
        for (const GlCall& c : seam.calls) {
            if (c.name == "Begin") blocks.push_back({std::to_string(int(c.args[0])), 0});
            if (c.name == "Vertex3fv") ++blocks.back().second;
        }
        const std::vector<std::pair<std::string, int>> expected = {{std::to_string(GL_TRIANGLES), 6},
                                                                   {std::to_string(GL_QUADS), 8},
                                                                   {std::to_string(GL_POLYGON), 5},
                                                                   {std::to_string(GL_TRIANGLES), 3}};
        EXPECT_EQ(blocks, expected);
    }
    {
        // In strip order, a strip ends where a polygon begins a new one or another kind follows.
        const std::vector<std::pair<double, double>> tri = {{0, 0}, {1, 0}, {0, 1}};
        const std::vector<std::pair<double, double>> quad = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        auto mesh = PolygonMesh({tri, tri, tri, quad, tri}, {-1, 1, -1, 1, 1});
        RecordingMeshSeam seam;
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
        std::vector<std::pair<int, int>> blocks;
        for (const GlCall& c : seam.calls) {
            if (c.name == "Begin") blocks.push_back({int(c.args[0]), 0});
            if (c.name == "Vertex3fv") ++blocks.back().second;
        }
        const std::vector<std::pair<int, int>> expected = {
            {GL_TRIANGLE_STRIP, 4}, {GL_TRIANGLE_STRIP, 3}, {GL_QUAD_STRIP, 4}, {GL_TRIANGLE_STRIP, 3}};
        EXPECT_EQ(blocks, expected);
    }
}

TEST_F(MeshPainterGLTest, NullAndEmptyMeshesDrawNothingAndMakeNoList)
{
    CDsGlMeshPainter painter;
    RecordingMeshSeam seam;
    EXPECT_FALSE(painter.DrawIndexedMesh(*view_, nullptr, false));
    EXPECT_FALSE(painter.DrawSilhouette(*view_, nullptr));
    EXPECT_TRUE(seam.calls.empty());

    CVyrIndexedMesh empty(0, 0, 0);
    for (bool immediate : {false, true}) {
        EXPECT_FALSE(painter.DrawIndexedMesh(*view_, &empty, immediate)) << immediate;
        EXPECT_EQ(Names(seam.Take()), std::vector<std::string>{"FrontFace"});
        EXPECT_EQ(empty.GetDisplayList(), 0u);
    }
    EXPECT_TRUE(painter.DrawSilhouette(*view_, &empty));
    EXPECT_TRUE(seam.calls.empty());
}

TEST_F(MeshPainterGLTest, AMeshDrawnWhileAnotherListIsCompiledGoesIntoThatList)
{
    auto mesh = GridMesh(2, 2, true);
    CDsGlMeshPainter painter;
    const GLuint outer = glGenLists(1);
    glNewList(outer, GL_COMPILE);
    glColor3ub(255, 255, 255);
    EXPECT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    glEndList();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(mesh->GetDisplayList(), 0u) << "no list nested in another";
    EXPECT_TRUE(ColorNear(At(50, 50), kBlack, 0)) << "compiled, not drawn";
    glCallList(outer);
    EXPECT_TRUE(ColorNear(At(50, 50), kWhite, 0));
    glDeleteLists(outer, 1);
}

namespace {

// The convex hull of points (counter-clockwise).
std::vector<std::array<double, 2>> Hull(std::vector<std::array<double, 2>> p)
{
    std::sort(p.begin(), p.end());
    std::vector<std::array<double, 2>> h(2 * p.size());
    auto cross = [](const std::array<double, 2>& o, const std::array<double, 2>& a, const std::array<double, 2>& b) {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    };
    size_t k = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
        h[k++] = p[i];
    }
    for (size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
    return h;
}

// The signed distance of (x, y) inside a counter-clockwise convex polygon (negative outside).
double Inside(const std::vector<std::array<double, 2>>& hull, double x, double y)
{
    double d = 1e30;
    for (size_t i = 0; i < hull.size(); ++i) {
        const auto& a = hull[i];
        const auto& b = hull[(i + 1) % hull.size()];
        const double ex = b[0] - a[0], ey = b[1] - a[1];
        d = std::min(d, (ex * (y - a[1]) - ey * (x - a[0])) / std::hypot(ex, ey));
    }
    return d;
}

}  // namespace

TEST_F(MeshPainterGLTest, TheShadedBlockThroughThePainterIsLitInsideItsSilhouetteAndTheBackgroundOutside)
{
    vyrtest::BodyPtr block(make_block(-3, -2, -1, 3, 2, 1));
    ASSERT_TRUE(block);
    const vyrtest::MeshingStateGuard state;
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), true));
    ASSERT_TRUE(meshes);
    std::vector<CVyrIndexedMesh*> all;
    meshes->GetAllMeshes(all);
    ASSERT_EQ(all.size(), 6u);

    vyrtest::ViewSetup()
        .Pixels(kSize, kSize)
        .Eye(SPAposition(30, -40, 25))
        .Target(SPAposition(0, 0, 0))
        .Up(SPAvector(0, 0, 1))
        .Field(12, 12)
        .Clip(1, 200)
        .ApplyTo(*view_);
    Prepare();
    Light(0, 0, 1);
    CDsGlMeshPainter painter;
    for (CVyrIndexedMesh* mesh : all) EXPECT_TRUE(painter.DrawIndexedMesh(*view_, mesh, false));
    const auto picture = Picture();

    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<std::array<double, 2>> corners;
    for (double x : {-3, 3})
        for (double y : {-2, 2})
            for (double z : {-1, 1}) {
                GLdouble wx = 0, wy = 0, wz = 0;
                ASSERT_TRUE(gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz));
                corners.push_back({wx, wy});
            }
    const auto hull = Hull(corners);
    int inside = 0, litInside = 0, outside = 0, darkOutside = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const unsigned char* p = &picture[size_t((y * kSize + x) * 3)];
            const double d = Inside(hull, x + 0.5, y + 0.5);
            if (d > 1.5) {
                ++inside;
                litInside += std::max({p[0], p[1], p[2]}) > 60;
            } else if (d < -1.5) {
                ++outside;
                darkOutside += (p[0] | p[1] | p[2]) == 0;
            }
        }
    EXPECT_GT(inside, 1000);
    EXPECT_EQ(litInside, inside);
    EXPECT_EQ(darkOutside, outside);
}

TEST_F(MeshPainterGLTest, ACylindersSilhouetteRunsAlongItsSides)
{
    // Lying along y with radius 3, seen from +z: its sides are the columns of x = -3 and 3.
    vyrtest::BodyPtr cylinder(make_cylinder(SPAposition(0, -5, 0), SPAvector(0, 1, 0), 3.0, 10.0));
    ASSERT_TRUE(cylinder);
    const vyrtest::MeshingStateGuard state;
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(cylinder.get(), true));
    ASSERT_TRUE(meshes);
    std::vector<CVyrIndexedMesh*> all;
    meshes->GetAllMeshes(all);

    glDisable(GL_DEPTH_TEST);
    glColor3ub(255, 255, 255);
    CDsGlMeshPainter painter;
    for (CVyrIndexedMesh* mesh : all) EXPECT_TRUE(painter.DrawSilhouette(*view_, mesh));
    const auto picture = Picture();
    auto litIn = [&](int row, int from, int to) {
        for (int x = from; x <= to; ++x)
            if (picture[size_t((row * kSize + x) * 3)] > 100) return true;
        return false;
    };
    for (int row : {35, 50, 65}) {
        EXPECT_TRUE(litIn(row, 36, 39)) << "left side, row " << row;
        EXPECT_TRUE(litIn(row, 61, 64)) << "right side, row " << row;
        EXPECT_FALSE(litIn(row, 42, 58)) << "nothing across the middle, row " << row;
    }
}

TEST_F(MeshPainterGLTest, TheStripsRendererShowsEveryVertexsColour)
{
    CDsPalette palette(3);
    palette.SetColor(0, CDsColorStorage(255, 0, 0));
    palette.SetColor(1, CDsColorStorage(0, 255, 0));
    palette.SetColor(2, CDsColorStorage(0, 0, 255));
    CDsDriverGl::StSetActiveVertexColorPalette(&palette);
    // Left half red, right half blue: a 2 x 1 grid whose middle column is green.
    auto mesh = GridMesh(2, 1, true);
    const std::vector<unsigned char> colors = {0, 1, 2, 0, 1, 2};
    mesh->SetVertexColors(colors.data(), false);
    glShadeModel(GL_SMOOTH);
    CDsStripsRendererGl renderer;
    CDsStripsWalker walker(mesh.get(), &renderer);
    walker.Draw();
    EXPECT_EQ(walker.GetVertexCount(), 6);
    const Rgb left = At(31, 50), middle = At(50, 50), right = At(68, 50);
    EXPECT_GT(left.r, 200) << left;
    EXPECT_GT(middle.g, 200) << middle;
    EXPECT_GT(right.b, 200) << right;
}

TEST_F(MeshPainterGLTest, DrawingIntoABitmapIsImmediateAndMakesNoList)
{
    auto mesh = GridMesh(2, 2, true);
    CDsGlMeshPainter painter;
    context_.SetRenderToBitmap(1);
    {
        RecordingMeshSeam seam;
        EXPECT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("CallList"), 0u);
        EXPECT_EQ(seam.Count("Begin"), 2u);
    }
    context_.SetRenderToBitmap(0);
    EXPECT_EQ(mesh->GetDisplayList(), 0u);
}

namespace {

// The GL_3D feedback of `draw` (tokens and window coordinates) in the current context.
std::vector<GLfloat> Feedback(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint values = glRenderMode(GL_RENDER);
    buffer.resize(static_cast<size_t>(std::max(values, 0)));
    return buffer;
}

// The feedback of the immediate road's calls for `mesh`, replayed by hand: the reference.
std::vector<GLfloat> ImmediateFeedback(CDsGlMeshPainter& painter, view3d& view, CVyrIndexedMesh* mesh)
{
    std::vector<GlCall> immediate;
    {
        RecordingMeshSeam seam;
        EXPECT_TRUE(painter.DrawIndexedMesh(view, mesh, true));
        immediate = seam.Take();
    }
    return Feedback([&] {
        for (const GlCall& c : immediate) {
            if (c.name == "Begin") glBegin(static_cast<GLenum>(c.args[0]));
            if (c.name == "Vertex3fv") glVertex3d(c.args[0], c.args[1], c.args[2]);
            if (c.name == "End") glEnd();
        }
    });
}

}  // namespace

// Mesa keeps a buffer that selection or feedback read from for the life of the process: while
// OpenGL selects or takes feedback, the mesh goes out from client arrays (no list called or made,
// no immediate block), in the blocks and vertex orders of the immediate road, so that a pick sees
// the same primitives.
TEST_F(MeshPainterGLTest, WhileOpenGLTakesFeedbackTheMeshGoesFromClientArraysInTheSameBlocks)
{
    const std::vector<std::pair<double, double>> tri = {{0, 0}, {1, 0}, {0, 1}};
    const std::vector<std::pair<double, double>> quad = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const std::vector<std::pair<double, double>> pentagon = {{0, 0}, {2, 0}, {2, 1}, {1, 2}, {0, 1}};
    std::vector<std::unique_ptr<CVyrIndexedMesh>> meshes;
    meshes.push_back(GridMesh(3, 2, true));
    meshes.push_back(GridMesh(3, 2, false));
    meshes.push_back(PolygonMesh({tri, tri, tri, quad, quad, tri, pentagon}, {-1, 1, -1, -1, 1, 1, -1}));
    meshes.push_back(PolygonMesh({tri, tri, quad, quad, pentagon, tri}, {-2, -2, -2, -2, -2, -2}));
    // A strip of three distinct quads up y: each one after the first adds its corners 3 and 2.
    std::vector<std::vector<std::pair<double, double>>> stripQuads;
    for (int k = 0; k < 3; ++k) stripQuads.push_back({{0, k}, {1, k}, {1, k + 1}, {0, k + 1}});
    meshes.push_back(PolygonMesh(stripQuads, {-1, 1, 1}));
    CDsGlMeshPainter painter;
    for (size_t i = 0; i < meshes.size(); ++i) {
        SCOPED_TRACE(i);
        CVyrIndexedMesh* mesh = meshes[i].get();
        const std::vector<GLfloat> expected = ImmediateFeedback(painter, *view_, mesh);
        ASSERT_FALSE(expected.empty());
        RecordingMeshSeam seam;
        const std::vector<GLfloat> sent = Feedback([&] { EXPECT_TRUE(painter.DrawIndexedMesh(*view_, mesh, false)); });
        EXPECT_EQ(sent, expected);
        EXPECT_EQ(Names(seam.calls), std::vector<std::string>{"FrontFace"});
        EXPECT_FALSE(mesh->IsDisplayListExists(1));
        GLint arrayBuffer = -1;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        EXPECT_EQ(arrayBuffer, 0);
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));

        // The arrays are kept with the mesh for the next pick, and made again when its shape
        // changes: a node moved is sent where it now stands.
        const std::shared_ptr<const CVyrIndexedMesh::SPickArrays> kept = mesh->GetPickArrays();
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(Feedback([&] { painter.DrawIndexedMesh(*view_, mesh, false); }), expected);
        EXPECT_EQ(mesh->GetPickArrays(), kept);
        CVyrPolygonVertex* node = mesh->get_vertex_for_edit(0);
        SPAposition at;
        node->GetPosition(at);
        SPAunit_vector normal;
        node->GetNormal(normal);
        node->set_data(at + SPAvector(0.25, 0.5, 0), normal, SPApar_pos(0, 0));
        const std::vector<GLfloat> movedExpected = ImmediateFeedback(painter, *view_, mesh);
        EXPECT_NE(movedExpected, expected);
        EXPECT_EQ(Feedback([&] { painter.DrawIndexedMesh(*view_, mesh, false); }), movedExpected);
    }
}
