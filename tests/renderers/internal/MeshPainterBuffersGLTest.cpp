// The mesh painter in a program started with "UseVBO": meshes of more than 50 triangles are drawn
// from vertex buffers kept in the mesh, one buffer per strip (or one for a mesh without strip
// order), with the pixels of immediate mode; smaller meshes, reflected ones that are not planar
// and colour-per-vertex drawing stay immediate; a planar mesh's buffers carry no normals and it
// sends one; a buffered draw leaves no buffer bound and the arrays off; the buffers go with the
// mesh.
#include "DsGlMeshPainter.h"

#include "MeshFixture.h"

#include "DsPalette.h"
#include "VyrCommandLineParser.h"

#include <GL/glext.h>

namespace {

using vyrtest::ColorNear;
using vyrtest::GlCall;
using vyrtest::GridMesh;
using vyrtest::RecordingMeshSeam;
using vyrtest::Rgb;

class MeshPainterBuffersGLTest : public vyrtest::MeshViewTest {
protected:
    void SetUp() override
    {
        MeshViewTest::SetUp();
        ASSERT_TRUE(CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"UseVBO")));
        ASSERT_TRUE(CDsDriverGl::IsVBOSupported());
    }
    static GLint Integer(GLenum name)
    {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    }
    // The picture of `mesh` drawn immediately, lit from the viewer.
    std::vector<unsigned char> Immediate(CVyrIndexedMesh& mesh)
    {
        Prepare();
        Light(0, 0, 1);
        CDsGlMeshPainter painter;
        EXPECT_TRUE(painter.DrawIndexedMesh(*view_, &mesh, true));
        return Picture();
    }
};

}  // namespace

TEST_F(MeshPainterBuffersGLTest, AMeshOfMoreThan50TrianglesInStripsIsDrawnFromABufferPerStripWithThePixelsOfImmediateMode)
{
    auto mesh = GridMesh(8, 4, true, vyrtest::Tilted);  // 64 triangles, four strips of 16
    const auto immediate = Immediate(*mesh);
    EXPECT_TRUE(mesh->GetVBOs().empty()) << "immediate mode builds no buffers";

    Prepare();
    Light(0, 0, 1);
    CDsGlMeshPainter painter;
    {
        RecordingMeshSeam seam(true);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("DrawVBO"), 4u);
        EXPECT_EQ(seam.Count("Begin"), 0u);
        EXPECT_EQ(seam.Count("CallList"), 0u) << "buffers replace the display list";
    }
    EXPECT_EQ(Differences(immediate, Picture()), 0);
    EXPECT_EQ(mesh->GetDisplayList(), 0u);
    ASSERT_EQ(mesh->GetVBOs().size(), 4u);
    for (const SDSDataVBO& record : mesh->GetVBOs()) {
        EXPECT_EQ(record.mode, unsigned(GL_TRIANGLE_STRIP));
        EXPECT_EQ(record.vertexCount, 18);
        EXPECT_NE(record.vertexBuffer, 0u);
        EXPECT_NE(record.normalBuffer, 0u);
    }
    EXPECT_EQ(Integer(GL_ARRAY_BUFFER_BINDING_ARB), 0) << "no buffer stays bound";
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));

    // Drawn again from the same buffers.
    const auto buffers = mesh->GetVBOs().front().vertexBuffer;
    Prepare();
    Light(0, 0, 1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_EQ(mesh->GetVBOs().size(), 4u);
    EXPECT_EQ(mesh->GetVBOs().front().vertexBuffer, buffers);
    EXPECT_EQ(Differences(immediate, Picture()), 0);
}

TEST_F(MeshPainterBuffersGLTest, AMeshWithoutStripOrderGoesIntoOneBufferOfTriangles)
{
    auto mesh = GridMesh(8, 4, false, vyrtest::Tilted);
    const auto immediate = Immediate(*mesh);
    Prepare();
    Light(0, 0, 1);
    CDsGlMeshPainter painter;
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    ASSERT_EQ(mesh->GetVBOs().size(), 1u);
    EXPECT_EQ(mesh->GetVBOs()[0].mode, unsigned(GL_TRIANGLES));
    EXPECT_EQ(mesh->GetVBOs()[0].vertexCount, 3 * 64);
    EXPECT_EQ(Differences(immediate, Picture()), 0);
}

TEST_F(MeshPainterBuffersGLTest, SmallReflectedAndColouredMeshesStayImmediate)
{
    CDsGlMeshPainter painter;
    {
        auto small = GridMesh(5, 3, true);  // 30 triangles
        RecordingMeshSeam seam(true);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, small.get(), false));
        EXPECT_EQ(seam.Count("DrawVBO"), 0u);
        EXPECT_EQ(seam.Count("Begin"), 3u) << "a triangle strip per row";
        EXPECT_EQ(seam.calls[1].args[0], GL_TRIANGLE_STRIP);
        EXPECT_TRUE(small->GetVBOs().empty());
        EXPECT_EQ(small->GetDisplayList(), 0u);
    }
    {
        // Exactly 50: still immediate.
        auto fifty = GridMesh(5, 5, false);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, fifty.get(), false));
        EXPECT_TRUE(fifty->GetVBOs().empty());
    }
    {
        // A reflected painter negates the normals of a mesh that is not planar as it sends them.
        auto mesh = GridMesh(8, 4, true);
        CDsGlMeshPainter reflected;
        reflected.SetReflect(1);
        RecordingMeshSeam seam(true);
        ASSERT_TRUE(reflected.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("DrawVBO"), 0u);
        EXPECT_TRUE(mesh->GetVBOs().empty());
        for (const GlCall& c : seam.calls) {
            if (c.name == "Normal3fv") {
                EXPECT_EQ(c.args[2], -1.0);
            }
        }
        // Drawn by a plain painter afterwards it gets buffers with the normals as stored.
        Prepare();
        Light(0, 0, 1);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(mesh->GetVBOs().size(), 4u);
        EXPECT_TRUE(ColorNear(At(50, 50), Rgb{255, 255, 255}, 3)) << At(50, 50);
    }
    {
        // Buffers carry no colours: colour-per-vertex drawing shows the palette immediately.
        CDsPalette palette(1);
        palette.SetColor(0, CDsColorStorage(0, 255, 0));
        CDsDriverGl::StSetActiveVertexColorPalette(&palette);
        auto mesh = GridMesh(8, 4, true);
        const std::vector<unsigned char> colors(45, 0);
        mesh->SetVertexColors(colors.data(), false);
        CDsGlMeshPainter coloured;
        coloured.SetColorPerVertexMode(1);
        Prepare();
        glColor3ub(255, 0, 0);
        ASSERT_TRUE(coloured.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_TRUE(mesh->GetVBOs().empty());
        EXPECT_TRUE(ColorNear(At(50, 50), Rgb{0, 255, 0}, 2));
    }
}

TEST_F(MeshPainterBuffersGLTest, APlanarMeshsBuffersCarryNoNormalsAndItSendsOne)
{
    auto normals = [](double x, double) {
        return x < -4.9 ? SPAunit_vector(0, 0, 1) : normalise(SPAvector(1, 0, 1));
    };
    auto mesh = GridMesh(8, 4, true, normals);
    mesh->SetPlanarFlag(1);
    Light(0, 0, 1);
    CDsGlMeshPainter painter;
    {
        RecordingMeshSeam seam(true);
        ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("Normal3fv"), 1u);
        EXPECT_EQ(seam.Count("EnableClientState"), 1u) << "the vertex array only";
    }
    ASSERT_EQ(mesh->GetVBOs().size(), 4u);
    for (const SDSDataVBO& record : mesh->GetVBOs()) {
        EXPECT_EQ(record.normalBuffer, 0u);
        EXPECT_FLOAT_EQ(record.normal[2], 1.0f);
    }
    EXPECT_TRUE(ColorNear(At(33, 50), Rgb{255, 255, 255}, 3)) << At(33, 50);
    EXPECT_TRUE(ColorNear(At(67, 50), Rgb{255, 255, 255}, 3)) << At(67, 50);
}

TEST_F(MeshPainterBuffersGLTest, TheBuffersGoWithTheMesh)
{
    auto isBuffer = reinterpret_cast<PFNGLISBUFFERARBPROC>(wglGetProcAddress("glIsBufferARB"));
    ASSERT_NE(isBuffer, nullptr);
    auto mesh = GridMesh(8, 4, true);
    CDsGlMeshPainter painter;
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    std::vector<GLuint> names;
    for (const SDSDataVBO& record : mesh->GetVBOs()) {
        names.push_back(record.vertexBuffer);
        names.push_back(record.normalBuffer);
    }
    ASSERT_EQ(names.size(), 8u);
    for (GLuint name : names) EXPECT_TRUE(isBuffer(name));
    mesh.reset();
    for (GLuint name : names) EXPECT_FALSE(isBuffer(name)) << name;
}

TEST_F(MeshPainterBuffersGLTest, ImmediateDrawingMakesNeitherBuffersNorAList)
{
    auto mesh = GridMesh(8, 4, true);
    CDsGlMeshPainter painter;
    RecordingMeshSeam seam(true);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
    EXPECT_EQ(seam.Count("DrawVBO"), 0u);
    EXPECT_TRUE(mesh->GetVBOs().empty());
    EXPECT_EQ(mesh->GetDisplayList(), 0u);
}

TEST_F(MeshPainterBuffersGLTest, DrawingIntoABitmapMakesNoBuffers)
{
    auto mesh = GridMesh(8, 4, true);
    CDsGlMeshPainter painter;
    context_.SetRenderToBitmap(1);
    {
        RecordingMeshSeam seam;
        EXPECT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
        EXPECT_EQ(seam.Count("DrawVBO"), 0u);
        EXPECT_EQ(seam.Count("Begin"), 4u);
    }
    context_.SetRenderToBitmap(0);
    EXPECT_TRUE(mesh->GetVBOs().empty());
}
