// The strips walker into a recording receiver (blocks, strips, normals as stored or negated for a
// reversed mesh, a colour per vertex) and the box expander (triangles widen the box through the
// expander's transformation; without a box nothing happens; two expanders add up).
#include "DsBoxExpander.h"
#include "DsStripsCollector.h"

#include "MeshFixture.h"

#include "DsBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Writes every call as a short word: "T", "Q", "P", "QS", "TS" for the blocks, "E" for the end,
// "n" / "-n" for a normal by pointer / by three floats, "c<index>" for a colour, "v" for a vertex.
class CRecordingCollector : public CDsStripsCollector {
public:
    void BeginTriangles() override { words.push_back("T"); }
    void BeginQuads() override { words.push_back("Q"); }
    void BeginPolygon() override { words.push_back("P"); }
    void BeginQuadStrip() override { words.push_back("QS"); }
    void BeginTriangleStrip() override { words.push_back("TS"); }
    void SetColor(int index) override { words.push_back("c" + std::to_string(index)); }
    void Normal(float x, float y, float z) override
    {
        words.push_back("-n");
        normals.push_back({x, y, z});
    }
    void Normal(const float* n) override
    {
        words.push_back("n");
        normals.push_back({n[0], n[1], n[2]});
    }
    void Vertex(float x, float y, float) override
    {
        words.push_back("v");
        vertices.push_back({x, y});
    }
    void Vertex(const float* p) override
    {
        words.push_back("v");
        vertices.push_back({p[0], p[1]});
    }
    void End() override { words.push_back("E"); }

    // The words without normals and colours.
    std::vector<std::string> Blocks() const
    {
        std::vector<std::string> out;
        for (const std::string& w : words)
            if (w != "n" && w != "-n" && w[0] != 'c') out.push_back(w);
        return out;
    }

    std::vector<std::string> words;
    std::vector<std::vector<float>> normals;
    std::vector<std::pair<float, float>> vertices;
};

using Blocks = std::vector<std::string>;

}  // namespace

TEST(StripsTest, AMeshWithoutStripOrderGoesOutAsRunsAndPolygons)
{
    const std::vector<std::pair<double, double>> tri = {{0, 0}, {1, 0}, {0, 1}};
    const std::vector<std::pair<double, double>> quad = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const std::vector<std::pair<double, double>> pentagon = {{0, 0}, {2, 0}, {2, 1}, {1, 2}, {0, 1}};
    auto mesh = vyrtest::PolygonMesh({tri, tri, quad, pentagon, {{0, 0}}, quad, tri}, {-2, -2, -2, -2, -2, -2, -2});
    CRecordingCollector receiver;
    CDsStripsWalker walker(mesh.get(), &receiver);
    walker.Draw();
    EXPECT_EQ(receiver.Blocks(), (Blocks{"T", "v", "v", "v", "v", "v", "v", "E", "Q", "v", "v", "v", "v", "E", "P", "v",
                                         "v", "v", "v", "v", "E", "Q", "v", "v", "v", "v", "E", "T", "v", "v", "v",
                                         "E"}));
    EXPECT_EQ(walker.GetVertexCount(), 22);
    EXPECT_EQ(std::count(receiver.words.begin(), receiver.words.end(), "n"), 22) << "as stored, by pointer";
}

TEST(StripsTest, StripsFollowTheirLinksAndQuadStripsTheirPairs)
{
    auto mesh = vyrtest::GridMesh(2, 1, true);
    CRecordingCollector receiver;
    CDsStripsWalker(mesh.get(), &receiver).Draw();
    EXPECT_EQ(receiver.Blocks(), (Blocks{"TS", "v", "v", "v", "v", "v", "v", "E"}));
    const std::vector<std::pair<float, float>> order = {{-5, 5}, {-5, -5}, {0, 5}, {0, -5}, {5, 5}, {5, -5}};
    EXPECT_EQ(receiver.vertices, order);

    auto quads = vyrtest::PolygonMesh({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1}, {1, 1}, {1, 2}, {0, 2}},
                                       {{5, 5}, {6, 5}, {6, 6}, {5, 6}}},
                                      {-1, 0, -1});
    CRecordingCollector quadReceiver;
    CDsStripsWalker(quads.get(), &quadReceiver).Draw();
    EXPECT_EQ(quadReceiver.Blocks(), (Blocks{"QS", "v", "v", "v", "v", "v", "v", "E", "QS", "v", "v", "v", "v", "E"}));
    const std::vector<std::pair<float, float>> quadOrder = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2},
                                                            {5, 5}, {6, 5}, {5, 6}, {6, 6}};
    EXPECT_EQ(quadReceiver.vertices, quadOrder);
}

TEST(StripsTest, AReversedMeshSendsNegatedNormalsAndEveryVertexItsColour)
{
    auto mesh = vyrtest::GridMesh(1, 1, false, vyrtest::Tilted);
    const std::vector<unsigned char> colors = {3, 4, 5, 6};
    mesh->SetVertexColors(colors.data(), false);
    CRecordingCollector stored;
    CDsStripsWalker(mesh.get(), &stored).Draw();
    mesh->SetReverseFlag(1);
    CRecordingCollector receiver;
    CDsStripsWalker(mesh.get(), &receiver).Draw();
    ASSERT_EQ(receiver.words.size(), 2 + 6 * 3u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(receiver.words[1 + 3 * i], "-n");
        EXPECT_EQ(receiver.words[2 + 3 * i][0], 'c');
        EXPECT_EQ(receiver.words[3 + 3 * i], "v");
    }
    ASSERT_EQ(receiver.normals.size(), stored.normals.size());
    for (size_t i = 0; i < receiver.normals.size(); ++i)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(receiver.normals[i][k], -stored.normals[i][k]) << i << " " << k;
    EXPECT_NE(stored.normals[2][0], 0.0f) << "the normals lean in x";
    // Node order: (0, 0) bottom left, (1, 0), (0, 1), (1, 1); the first triangle is top left,
    // bottom left, top right.
    EXPECT_EQ(receiver.words[2], "c5");
    EXPECT_EQ(receiver.words[5], "c3");
    EXPECT_EQ(receiver.words[8], "c6");

    // Without colours: none sent. Without a mesh or a receiver, or with no polygons: nothing.
    auto plain = vyrtest::GridMesh(1, 1, false);
    CRecordingCollector uncoloured;
    CDsStripsWalker(plain.get(), &uncoloured).Draw();
    for (const std::string& w : uncoloured.words) EXPECT_NE(w[0], 'c');
    CRecordingCollector none;
    CDsStripsWalker(nullptr, &none).Draw();
    CDsStripsWalker(plain.get(), nullptr).Draw();
    CVyrIndexedMesh empty(0, 0, 0);
    CDsStripsWalker(&empty, &none).Draw();
    EXPECT_TRUE(none.words.empty());
}

TEST(StripsTest, BoxExpandersWidenTheirBoxThroughTheirTransformation)
{
    CDsBox box;
    ASSERT_TRUE(box.IsNotComputed());
    CDsBoxExpander expander(&box);
    auto mesh = vyrtest::GridMesh(2, 2, false, vyrtest::FacingViewer, 1, 2, 3, 4);
    mesh->CollectMeshTriangles(expander);
    EXPECT_FALSE(box.IsNotComputed());
    EXPECT_FLOAT_EQ(box.GetMin()[0], 1.0f);
    EXPECT_FLOAT_EQ(box.GetMin()[1], 2.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 3.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[1], 4.0f);

    // A second expander, moved by 10 in z, adds to the same box.
    CDsBoxExpander moved(&box);
    moved.transformation = translate_transf(SPAvector(0, 0, 10));
    mesh->CollectMeshTriangles(moved);
    EXPECT_FLOAT_EQ(box.GetMin()[2], 0.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[2], 10.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 3.0f);

    // Without a box every triangle is ignored.
    CDsBoxExpander nowhere(nullptr);
    nowhere.AddTriangle(SPAposition(100, 100, 100), SPAposition(0, 0, 0), SPAposition(1, 1, 1));
    mesh->CollectMeshTriangles(nowhere);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 3.0f);
}
