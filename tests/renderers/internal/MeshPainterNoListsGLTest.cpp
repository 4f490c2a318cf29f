// The mesh painter in a program started with "DontUseDisplayListForFaces": meshes are drawn
// immediately, with the pixels they have from a list, and keep no list.
#include "DsGlMeshPainter.h"

#include "MeshFixture.h"

#include "VyrCommandLineParser.h"

namespace {

using MeshPainterNoListsGLTest = vyrtest::MeshViewTest;

}  // namespace

TEST_F(MeshPainterNoListsGLTest, FacesAreDrawnImmediatelyAndKeepNoList)
{
    ASSERT_TRUE(CVyrCommandLineParser::GetInstance()->GetParamExists(CVyrString(L"DontUseDisplayListForFaces")));
    auto mesh = vyrtest::GridMesh(8, 4, true, vyrtest::Tilted);
    CDsGlMeshPainter painter;
    Light(0, 0, 1);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), true));
    const auto immediate = Picture();
    EXPECT_GE(LitCount(immediate), 38 * 38);

    Prepare();
    Light(0, 0, 1);
    vyrtest::RecordingMeshSeam seam(true);
    ASSERT_TRUE(painter.DrawIndexedMesh(*view_, mesh.get(), false));
    EXPECT_EQ(seam.Count("CallList"), 0u);
    EXPECT_EQ(seam.Count("Begin"), 4u);
    EXPECT_EQ(mesh->GetDisplayList(), 0u);
    EXPECT_EQ(Differences(immediate, Picture()), 0);
}
