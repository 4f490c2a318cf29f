// The figure generator's polygon operations in a real context: triangle arrays into blocks of
// display lists, strips, quads recorded between StartPolygons and EndPolygons, triangulations,
// triangle sets, STL meshes, basic surfaces and the static polygon entry points, each read back
// as the items it made and the pixels they draw.
#include "DsBasicSurface.h"
#include "DsFigureGenerator.h"
#include "DsItemPolygons2D.h"
#include "DsItemPolygonsArray.h"
#include "DsItemPolygonsDl.h"
#include "DsItemPolygonsStl.h"
#include "DsItemQuadric.h"
#include "DsItemTrigs.h"
#include "DsItemsFigure.h"
#include "GmTransformation.h"

#include "../items/ItemViewFixture.h"
#include "../items/PolygonTestSupport.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0};

bool Lit(const Rgb& c)
{
    return c.r + c.g + c.b > 60;
}

// `count` copies of the triangle (-10, -5)-(-2, -5)-(-6, 5), and the last one moved to x + 12.
std::vector<double> TriangleArray(int count)
{
    std::vector<double> points;
    points.reserve(static_cast<size_t>(count) * 9);
    for (int t = 0; t < count; ++t) {
        const double dx = t + 1 == count ? 12.0 : 0.0;
        points.insert(points.end(), {-10 + dx, -5, 0, -2 + dx, -5, 0, -6 + dx, 5, 0});
    }
    return points;
}

class FigureGeneratorPolygonsGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        GLint list = 0;
        glGetIntegerv(GL_LIST_INDEX, &list);
        EXPECT_EQ(list, 0);  // no list left open
        CDsFigureGenerator::SetToCurrent(nullptr);
        ItemViewTest::TearDown();
    }
    // Draws the figure's faces unlit in white.
    void DrawFaces(CDsItemsFigure& figure)
    {
        Clear(kBlack);
        glColor3f(1, 1, 1);
        figure.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    }
    static Rgb At(int x, int y) { return ReadPixel(GL_BACK, x, y); }
};

}  // namespace

TEST_F(FigureGeneratorPolygonsGLTest, TriangleArraysCompileIntoBlocksOf65536Triangles)
{
    for (const auto& [count, lists] : {std::pair<int, int>{65537, 2}, {65536, 2}, {1, 1}}) {
        CDsFigureGenerator generator(nullptr);
        const std::vector<double> points = TriangleArray(count);
        generator.DrawTriangles(count, points.data(), nullptr);
        std::unique_ptr<CDsItemsFigure> figure(generator.DisplayList(nullptr));
        ASSERT_EQ(figure->Count(), 1);
        auto* item = dynamic_cast<CDsItemPolygonsDl*>(figure->Get(0));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetRange(), lists) << count;
        for (int i = 0; i < lists; ++i) EXPECT_TRUE(glIsList(item->GetFirstList() + i)) << count << " " << i;
        EXPECT_EQ(item->GetExtremesValid(), 1);
        EXPECT_DOUBLE_EQ(item->GetExtremesMin()[0], count > 1 ? -10.0 : 2.0);
        EXPECT_DOUBLE_EQ(item->GetExtremesMax()[0], 10.0);

        DrawFaces(*figure);
        EXPECT_EQ(Lit(At(26, 45)), count > 1) << count;
        EXPECT_TRUE(Lit(At(74, 45))) << count;  // the last triangle, in the last list
    }
}

TEST_F(FigureGeneratorPolygonsGLTest, StripsQuadsAndTriangulations)
{
    CDsFigureGenerator generator(nullptr);
    // Three rows of three points: two strips between y = -10, 0 and 10 from x = -10 to 10.
    std::vector<double> grid;
    for (double y : {-10.0, 0.0, 10.0})
        for (double x : {-10.0, 0.0, 10.0}) grid.insert(grid.end(), {x, y, 0.0});
    generator.DrawTriangles(3, 3, grid.data(), nullptr);
    generator.DrawTriangles(3, 1, grid.data(), nullptr);  // one row: no strip
    std::unique_ptr<CDsItemsFigure> strips(generator.DisplayList(nullptr));
    ASSERT_EQ(strips->Count(), 2);
    EXPECT_NE(dynamic_cast<CDsItemPolygonsArray*>(strips->Get(1)), nullptr);
    DrawFaces(*strips);
    for (auto p : {std::pair<int, int>{15, 15}, {85, 85}, {50, 50}, {15, 85}}) EXPECT_TRUE(Lit(At(p.first, p.second)));

    // Two quads recorded into one list between StartPolygons and EndPolygons.
    CDsFigureGenerator quads(nullptr);
    const double left[12] = {-10, -5, 0, -2, -5, 0, -10, 5, 0, -2, 5, 0};
    const double right[12] = {2, -5, 0, 10, -5, 0, 2, 5, 0, 10, 5, 0};
    quads.StartPolygons(0);
    quads.DrawQuads(2, 2, left, nullptr);
    quads.DrawQuads(2, 2, right, nullptr);
    quads.EndPolygons();
    std::unique_ptr<CDsItemsFigure> both(quads.DisplayList(nullptr));
    ASSERT_EQ(both->Count(), 1);
    auto* dl = dynamic_cast<CDsItemPolygonsDl*>(both->Get(0));
    ASSERT_NE(dl, nullptr);
    EXPECT_EQ(dl->GetRange(), 0);
    EXPECT_DOUBLE_EQ(dl->GetExtremesMin()[0], -10.0);  // the box of both quads
    EXPECT_DOUBLE_EQ(dl->GetExtremesMax()[0], 10.0);
    DrawFaces(*both);
    EXPECT_TRUE(Lit(At(26, 50)));
    EXPECT_TRUE(Lit(At(74, 50)));
    EXPECT_EQ(At(50, 50), kBlack);

    // A list left open is closed by DisplayList.
    CDsFigureGenerator open(nullptr);
    open.DrawQuads(2, 2, left, nullptr);
    std::unique_ptr<CDsItemsFigure> closed(open.DisplayList(nullptr));
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    EXPECT_EQ(list, 0);
    DrawFaces(*closed);
    EXPECT_TRUE(Lit(At(26, 50)));

    // A triangulation moved by an offset.
    auto set = vyrtest::MakeTriangulation(3, {-10, -5, 0}, {-2, -5, 0}, {-6, 5, 0});
    CDsFigureGenerator triangulated(nullptr);
    triangulated.DrawTriangles(*set, VOREvu3v<float>(12, 0, 0));
    std::unique_ptr<CDsItemsFigure> moved(triangulated.DisplayList(nullptr));
    auto* tri = dynamic_cast<CDsItemPolygonsDl*>(moved->Get(0));
    ASSERT_NE(tri, nullptr);
    EXPECT_EQ(tri->GetRange(), 1);
    EXPECT_DOUBLE_EQ(tri->GetExtremesMin()[0], 2.0);
    DrawFaces(*moved);
    EXPECT_TRUE(Lit(At(74, 45)));
    EXPECT_EQ(At(26, 45), kBlack);
}

TEST_F(FigureGeneratorPolygonsGLTest, NumberedListsAreRecordedOneByOneAndDestroyed)
{
    CDsFigureGenerator generator(nullptr);
    generator.StartPolygons(2);
    generator.StartPolygons(0);  // recording goes on into the open item
    for (int i : {0, 1}) {
        generator.StartList(i);
        glBegin(GL_TRIANGLES);
        glVertex3f(-10, -5, 0), glVertex3f(-2, -5, 0), glVertex3f(-6, 5, 0);
        glEnd();
        generator.EndList();
    }
    generator.StartList(5);  // beyond the block: nothing opened
    GLint open = 0;
    glGetIntegerv(GL_LIST_INDEX, &open);
    EXPECT_EQ(open, 0);
    generator.EndPolygons();
    generator.DestroyPolygons();
    std::unique_ptr<CDsItemsFigure> figure(generator.DisplayList(nullptr));
    ASSERT_EQ(figure->Count(), 1);
    auto* dl = dynamic_cast<CDsItemPolygonsDl*>(figure->Get(0));
    ASSERT_NE(dl, nullptr);
    EXPECT_EQ(dl->GetRange(), 2);
    EXPECT_EQ(dl->GetFirstList(), 0u);  // destroyed

    CDsFigureGenerator kept(nullptr);
    kept.StartPolygons(2);
    kept.StartList(1);
    glBegin(GL_TRIANGLES);
    glVertex3f(-10, -5, 0), glVertex3f(-2, -5, 0), glVertex3f(-6, 5, 0);
    glEnd();
    kept.EndList();
    std::unique_ptr<CDsItemsFigure> keptFigure(kept.DisplayList(nullptr));
    auto* block = dynamic_cast<CDsItemPolygonsDl*>(keptFigure->Get(0));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(glIsList(block->GetFirstList() + 1));
    DrawFaces(*keptFigure);
    EXPECT_TRUE(Lit(At(26, 45)));

    // The static entry points record into the current generator's own list.
    CDsFigureGenerator current(nullptr);
    CDsFigureGenerator::SetToCurrent(&current);
    CDsFigureGenerator::StStartPolygons();
    glBegin(GL_TRIANGLES);
    glVertex3f(-10, -5, 0), glVertex3f(-2, -5, 0), glVertex3f(-6, 5, 0);
    glEnd();
    CDsFigureGenerator::StEndPolygons();
    std::unique_ptr<CDsItemsFigure> recorded(current.DisplayList(nullptr));
    ASSERT_EQ(recorded->Count(), 1);
    DrawFaces(*recorded);
    EXPECT_TRUE(Lit(At(26, 45)));
}

TEST_F(FigureGeneratorPolygonsGLTest, MeshesSurfacesAndTheStaticPolygonEntryPoints)
{
    CDsFigureGenerator generator(nullptr);
    generator.SetPenColor(CDsColorStorage(0, 255, 0));
    vyrtest::StlPtr cube = vyrtest::MakeCube(5);
    generator.DrawTrianglesStl(SPAtransf(), cube.get());
    generator.DrawTrianglesStl(SPAtransf(), nullptr);
    auto set = vyrtest::MakeTriangulation(2, {2, -5, 0}, {10, -5, 0}, {6, 5, 0});
    generator.DrawTrigs(*set, nullptr, false);
    CDsSphere sphere(3.0f);
    generator.DrawBasicSurface(&sphere, false);
    generator.DrawBasicSurface(nullptr, true);
    std::unique_ptr<CDsItemsFigure> figure(generator.DisplayList(nullptr));
    ASSERT_EQ(figure->Count(), 3);
    auto* stl = dynamic_cast<CDsItemPolygonsStl*>(figure->Get(0));
    ASSERT_NE(stl, nullptr);
    EXPECT_EQ(stl->GetColor(), CDsColorStorage(0, 255, 0));
    EXPECT_EQ(stl->GetVertexCount(), 36);
    auto* trigs = dynamic_cast<CDsItemTrigs*>(figure->Get(1));
    ASSERT_NE(trigs, nullptr);
    EXPECT_FALSE(trigs->GetDrawInFastRefresh());
    auto* quadric = dynamic_cast<CDsItemQuadric*>(figure->Get(2));
    ASSERT_NE(quadric, nullptr);
    EXPECT_FALSE(quadric->GetFill());

    // Triangles of the static entry point: moved by the generator's transformation (written back
    // into the caller's points), filled as asked, on top.
    CDsFigureGenerator it(nullptr);
    it.SetTransformation(CGmTransformation(translate_transf(SPAvector(12, 0, 0))));
    float triangle[9] = {-10, -5, 0, -2, -5, 0, -6, 5, 0};
    CDsFigureGenerator::ItDrawTriangles(triangle, 1, true);  // no current generator: nothing
    EXPECT_FLOAT_EQ(triangle[0], -10.0f);
    CDsFigureGenerator::SetToCurrent(&it);
    CDsFigureGenerator::ItDrawTriangles(triangle, 1, false);
    EXPECT_FLOAT_EQ(triangle[0], 2.0f);
    float square[12] = {-4, -4, 0, 4, -4, 0, 4, 4, 0, -4, 4, 0};
    CDsFigureGenerator::ItDrawPolyLine(&it, 4, square, true);
    std::unique_ptr<CDsItemsFigure> flat(it.DisplayList(nullptr));
    ASSERT_EQ(flat->Count(), 2);
    auto* triangles = dynamic_cast<CDsItemPolygons2D*>(flat->Get(0));
    auto* polygon = dynamic_cast<CDsItemPolygons2D*>(flat->Get(1));
    ASSERT_NE(triangles, nullptr);
    ASSERT_NE(polygon, nullptr);
    EXPECT_FALSE(triangles->GetFill());
    EXPECT_TRUE(triangles->GetOnTopFlag());
    EXPECT_EQ(triangles->GetPolygonsCount(), 1);
    EXPECT_TRUE(polygon->GetFill());
    EXPECT_EQ(polygon->GetVerticesPerPolygon(), 4);
    EXPECT_EQ(polygon->GetPolygonsCount(), 1);
    // The walk's road: the triangle and the square, each placed once by the generator's
    // transformation (the triangle's item holds the points as they were given).
    DrawFaces(*flat);
    EXPECT_TRUE(Lit(At(74, 45)));
    EXPECT_TRUE(Lit(At(74, 50)));
    EXPECT_EQ(At(50, 50), kBlack);
    EXPECT_EQ(At(26, 45), kBlack);
}
