// Vertex buffers of large triangle sets: chunking, drawing the same pixels as immediate mode
// (whole, in chunks, with normals, a fraction during rotation), and the display manager's
// per-view records of its vertex-buffer descriptions.
#include "DriverGlFixture.h"
#include "DsManager.h"
#include "DsVBO.h"
#include "DsVBOData.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/glext.h>

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

class DsVBOGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        DriverGlTest::SetUp();
        vyrtest::SetPixelProjection(window_->width, window_->height);
        glDisable(GL_LIGHTING);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    // The whole back buffer as RGB bytes.
    std::vector<unsigned char> Picture() const
    {
        std::vector<unsigned char> rgb(static_cast<size_t>(window_->width * window_->height * 3));
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, window_->width, window_->height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The triangles of `xyz` (and `normals` when given) drawn in immediate mode on black.
    std::vector<unsigned char> Immediate(const std::vector<float>& xyz, const float* normals, int count) const
    {
        vyrtest::Clear(kBlack);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < count; ++i) {
            if (normals) glNormal3fv(normals + 3 * i);
            glVertex3fv(&xyz[static_cast<size_t>(3 * i)]);
        }
        glEnd();
        return Picture();
    }
    // The record drawn on black with `divisor`.
    std::vector<unsigned char> Buffered(CDsVBO& vbo, int divisor) const
    {
        vyrtest::Clear(kBlack);
        EXPECT_TRUE(vbo.Draw(divisor));
        return Picture();
    }
};

// A triangle with its lower-left corner at pixel (x, y), about 8 pixels large.
void AddTriangle(std::vector<float>& xyz, float x, float y)
{
    const float t[9] = {x, y, 0.0f, x + 8.0f, y, 0.0f, x, y + 8.0f, 0.0f};
    xyz.insert(xyz.end(), t, t + 9);
}

// White pixels of a picture.
int Lit(const std::vector<unsigned char>& rgb)
{
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) n += rgb[i] > 128;
    return n;
}

}  // namespace

TEST_F(DsVBOGLTest, OneVertexMoreThanAChunkMakesTwoChunksAndDrawsAsImmediateMode)
{
    const int count = CDsVBO::kDefaultChunkSize + 1;
    // Degenerate triangles, but for the first and the last whole triangle of the first chunk.
    std::vector<float> xyz(static_cast<size_t>(count) * 3, 0.0f);
    std::vector<float> first, last;
    AddTriangle(first, 20.0f, 20.0f);
    AddTriangle(last, 150.0f, 60.0f);
    std::copy(first.begin(), first.end(), xyz.begin());
    std::copy(last.begin(), last.end(), xyz.begin() + 3 * (CDsVBO::kDefaultChunkSize - 3));
    SDsVBOData data;
    data.vertices = xyz.data();
    data.count = count;

    CDsVBO vbo;
    ASSERT_TRUE(vbo.Create(data));
    EXPECT_EQ(vbo.GetBuffersCount(), 2);
    EXPECT_EQ(vbo.GetChunkVertexCount(0), CDsVBO::kDefaultChunkSize);
    EXPECT_EQ(vbo.GetChunkVertexCount(1), 1);
    EXPECT_FALSE(vbo.HasNormals());

    const auto buffered = Buffered(vbo, 1);
    EXPECT_EQ(buffered, Immediate(xyz, nullptr, count - 1));
    EXPECT_GT(Lit(buffered), 40);  // both triangles, not an empty picture
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 22, 22), kWhite));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 152, 62), kWhite));
    // The arrays are not left enabled for other drawing.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    vbo.DeleteBuffers();
}

TEST_F(DsVBOGLTest, SmallChunksWithNormalsDrawTheLitPictureAndADivisorDrawsTheFirstPartOfEachChunk)
{
    // Five triangles in chunks of six vertices: 6, 6 and 3 vertices.
    std::vector<float> xyz, normals;
    for (int i = 0; i < 5; ++i) {
        AddTriangle(xyz, 10.0f + 30.0f * static_cast<float>(i), 40.0f);
        for (int v = 0; v < 3; ++v) normals.insert(normals.end(), {0.0f, 0.6f * static_cast<float>(i % 2), 1.0f});
    }
    SDsVBOData data;
    data.vertices = xyz.data();
    data.normals = normals.data();
    data.count = 15;
    data.verticesPerChunk = 6;
    CDsVBO vbo;
    ASSERT_TRUE(vbo.Create(data));
    EXPECT_EQ(vbo.GetBuffersCount(), 3);
    EXPECT_EQ(vbo.GetChunkVertexCount(2), 3);
    EXPECT_TRUE(vbo.HasNormals());

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat direction[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    EXPECT_EQ(Buffered(vbo, 1), Immediate(xyz, normals.data(), 15));

    // A divisor of 3 draws the first 2 of 6 vertices of each full chunk (nothing) and the first
    // vertex of the last chunk: no triangle at all; a divisor of 2 draws the first triangle of
    // each full chunk.
    glDisable(GL_LIGHTING);
    EXPECT_EQ(Lit(Buffered(vbo, 3)), 0);
    std::vector<float> firstOfEachChunk(xyz.begin(), xyz.begin() + 9);
    firstOfEachChunk.insert(firstOfEachChunk.end(), xyz.begin() + 18, xyz.begin() + 27);
    EXPECT_EQ(Buffered(vbo, 2), Immediate(firstOfEachChunk, nullptr, 6));
    vbo.DeleteBuffers();
}

// Whether OpenGL knows `id` as a buffer.
bool IsBuffer(GLuint id)
{
    static auto isBuffer = reinterpret_cast<PFNGLISBUFFERARBPROC>(wglGetProcAddress("glIsBufferARB"));
    return isBuffer && id && isBuffer(id);
}

TEST_F(DsVBOGLTest, NothingIsMadeOrDrawnWithoutVerticesAndDeletedBuffersAreGone)
{
    CDsVBO empty;
    EXPECT_FALSE(empty.Draw(1));  // no vertices
    SDsVBOData none;
    EXPECT_FALSE(empty.Create(none));
    EXPECT_EQ(empty.GetBuffersCount(), 0);

    std::vector<float> xyz, normals(9, 1.0f);
    AddTriangle(xyz, 5.0f, 5.0f);
    SDsVBOData data;
    data.vertices = xyz.data();
    data.normals = normals.data();
    data.count = 3;
    data.verticesPerChunk = 0;
    EXPECT_FALSE(empty.Create(data));  // no chunk size
    data.verticesPerChunk = 3;
    CDsVBO vbo;
    ASSERT_TRUE(vbo.Create(data));
    EXPECT_FALSE(vbo.Draw(0));
    CDsVBO copy = vbo;  // shares the buffers
    ASSERT_EQ(copy.GetBuffersCount(), 1);
    ASSERT_TRUE(IsBuffer(copy.GetVertexBuffers()[0]));
    ASSERT_TRUE(IsBuffer(copy.GetNormalBuffers()[0]));
    vbo.DeleteBuffers();
    EXPECT_FALSE(vbo.IsCreated());
    EXPECT_FALSE(vbo.HasBuffers());
    EXPECT_FALSE(vbo.Draw(1));
    EXPECT_FALSE(IsBuffer(copy.GetVertexBuffers()[0]));
    EXPECT_FALSE(IsBuffer(copy.GetNormalBuffers()[0]));
}

TEST_F(DsVBOGLTest, TheDisplayManagerBuildsAViewsBuffersOnceAndDropsThemWithTheDescriptionOrTheView)
{
    vyrtest::ViewStaticsGuard statics;
    CDsManager* manager = CDsManager::GetInstance();
    std::vector<float> xyz;
    AddTriangle(xyz, 30.0f, 30.0f);
    SDsVBOData data;
    data.vertices = xyz.data();
    data.count = 3;
    const int a = manager->AddVBO(data);
    const int b = manager->AddVBO(data);
    ASSERT_EQ(b, a + 1);

    auto view = std::make_unique<CDsView3dCdc>();
    CDsVBO out;
    EXPECT_FALSE(manager->GetVBO(view.get(), b + 1, out));  // out of range
    EXPECT_FALSE(manager->GetVBO(view.get(), -1, out));
    // The highest index first: the view's records grow to reach it.
    ASSERT_TRUE(manager->GetVBO(view.get(), b, out));
    ASSERT_EQ(out.GetBuffersCount(), 1);
    EXPECT_GT(Lit(Buffered(out, 1)), 10);
    CDsVBO again;
    ASSERT_TRUE(manager->GetVBO(nullptr, b, again));  // the current view, the same view: not made again
    EXPECT_EQ(again.GetVertexBuffers(), out.GetVertexBuffers());
    CDsVBO recordA;
    ASSERT_TRUE(manager->GetVBO(view.get(), a, recordA));
    ASSERT_TRUE(IsBuffer(recordA.GetVertexBuffers()[0]));

    // Another view gets buffers of its own.
    auto other = std::make_unique<CDsView3dCdc>();
    CDsVBO otherB;
    ASSERT_TRUE(manager->GetVBO(other.get(), b, otherB));
    EXPECT_NE(otherB.GetVertexBuffers(), out.GetVertexBuffers());

    // Removing description b deletes every view's buffers of it and frees its slot for the next
    // description; a slot freed twice is handed out once.
    manager->RemoveVBOFromAllViews(b);
    manager->RemoveVBOFromAllViews(b);
    EXPECT_FALSE(IsBuffer(out.GetVertexBuffers()[0]));
    EXPECT_FALSE(IsBuffer(otherB.GetVertexBuffers()[0]));
    EXPECT_TRUE(IsBuffer(recordA.GetVertexBuffers()[0]));
    CDsVBO cleared;
    ASSERT_TRUE(manager->GetVBO(view.get(), b, cleared));
    EXPECT_FALSE(cleared.IsCreated());
    EXPECT_EQ(manager->AddVBO(data), b);
    const int next = manager->AddVBO(data);
    EXPECT_NE(next, b);
    EXPECT_NE(next, a);
    manager->RemoveVBOFromAllViews(next);
    manager->RemoveVBOFromAllViews(b + 100);  // out of range: nothing

    // A view that goes takes its buffers with it.
    other.reset();
    view.reset();
    EXPECT_FALSE(IsBuffer(recordA.GetVertexBuffers()[0]));
    manager->RemoveVBOFromAllViews(a);  // the triangle goes with the test
    manager->RemoveVBOFromAllViews(b);
}

TEST_F(DsVBOGLTest, RemovingAViewsBuffersWorksInItsOwnContextAndPutsTheCurrentOneBack)
{
    vyrtest::ViewStaticsGuard statics;
    vyrtest::PlainWindow w1(60, 40), w2(60, 40);
    CDsGlContext context;
    auto first = vyrtest::ViewOn(w1, context, 60, 40);
    auto second = vyrtest::ViewOn(w2, context, 60, 40);
    CDsView3dCdc::StSetCurrent(first.get(), false);
    ASSERT_EQ(wglGetCurrentContext(), vyrtest::ContextOf(*first));

    std::vector<float> xyz;
    AddTriangle(xyz, 1.0f, 1.0f);
    SDsVBOData data;
    data.vertices = xyz.data();
    data.count = 3;
    const int index = CDsManager::GetInstance()->AddVBO(data);
    CDsVBO ofSecond;
    ASSERT_TRUE(CDsManager::GetInstance()->GetVBO(second.get(), index, ofSecond));
    ASSERT_TRUE(IsBuffer(ofSecond.GetVertexBuffers()[0]));

    const UINT start = VyrGetMakeCurrentCount();
    CDsManager::GetInstance()->RemoveAllVBOs(second.get());
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 2u);  // to the view's context and back
    EXPECT_EQ(wglGetCurrentContext(), vyrtest::ContextOf(*first));
    EXPECT_FALSE(IsBuffer(ofSecond.GetVertexBuffers()[0]));
    CDsManager::GetInstance()->RemoveAllVBOs(second.get());  // nothing left: nothing happens
    CDsManager::GetInstance()->RemoveAllVBOs(nullptr);
    EXPECT_EQ(VyrGetMakeCurrentCount() - start, 2u);
    CDsManager::GetInstance()->RemoveVBOFromAllViews(index);
}
