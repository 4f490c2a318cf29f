// The polygon items drawn through OpenGL and read back: the material setter and the colour saver,
// display-list blocks of the base and of copies, STL meshes by each road (vertex buffers, display
// lists, immediately), shaded and wire, thinned in fast refreshes, triangle strips, 2-D polygons
// and their picks, display-list polygons in two culled passes, triangle sets, lamps and quadrics.
#include "DsGlStateCache.h"
#include "DsItemLamp.h"
#include "DsItemPolygons2D.h"
#include "DsItemPolygonsArray.h"
#include "DsItemPolygonsDl.h"
#include "DsItemPolygonsStl.h"
#include "DsItemQuadric.h"
#include "DsItemTrigs.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "ItemViewFixture.h"
#include "PolygonTestSupport.h"

#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <initializer_list>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::MakeCube;
using vyrtest::MakeSplitMesh;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::StlPtr;
using vyrtest::ViewSetup;

namespace {

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0};

// Whether a pixel is clearly not the black background.
bool Lit(const Rgb& c)
{
    return c.r + c.g + c.b > 60;
}

// A pick manager that accepts every record it is offered.
class AcceptingPickManager : public pick_manager {
public:
    AcceptingPickManager(pick_method method, const pick_event* first, const pick_event* second)
        : pick_manager(method, 0, nullptr, first, second)
    {
    }
    int save_current_if_ok() override
    {
        ++offers;
        return 1;
    }
    int offers = 0;
};

class PolygonItemsGLTest : public vyrtest::ItemViewTest {
protected:
    void SetUp() override
    {
        ItemViewTest::SetUp();
        savedVbo_ = CDsItemPolygonsStl::sVBOSupport;
        savedFlag10_ = CDsManager::GetInstance()->GetFlag(10);
        CDsPartStorage::instance()->GetDefaultMaterial(material_[0], material_[1], material_[2], material_[3],
                                                       material_[4]);
    }
    void TearDown() override
    {
        CDsItemPolygonsStl::sVBOSupport = savedVbo_;
        CDsManager::GetInstance()->SetFlag(10, savedFlag10_);
        CDsPartStorage::instance()->SetDefaultMaterial(material_[0], material_[1], material_[2], material_[3],
                                                       material_[4]);
        ItemViewTest::TearDown();
    }

    // A white directional light from the upper right front, in the eye's frame.
    static void HeadLight()
    {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const float position[4] = {0.4f, 0.7f, 1.0f, 0.0f}, white[4] = {1, 1, 1, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glEnable(GL_LIGHT0);
        glPopMatrix();
    }
    // Looks at the origin from (30, 20, 40), 25 x 25 units in view, clipped from 1 to 200.
    void ObliqueView()
    {
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(30, 20, 40)).Field(25, 25).Clip(1, 200).ApplyTo(*view_);
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        HeadLight();
    }
    // The window pixel (from the bottom) of model point p with the current matrices.
    static std::pair<int, int> Project(double x, double y, double z)
    {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        return {static_cast<int>(wx), static_cast<int>(wy)};
    }
    static Rgb At(int x, int y) { return ReadPixel(GL_BACK, x, y); }
    // How many pixels of two pictures differ by more than a small tolerance.
    static int Differences(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
    {
        int n = 0;
        for (size_t i = 0; i + 2 < a.size(); i += 3)
            n += std::abs(a[i] - b[i]) > 6 || std::abs(a[i + 1] - b[i + 1]) > 6 || std::abs(a[i + 2] - b[i + 2]) > 6;
        return n;
    }
    // Whether any pixel of row y from x0 to x1 is lit.
    static bool AnyLitInRow(int y, int x0, int x1)
    {
        for (int x = x0; x <= x1; ++x)
            if (Lit(At(x, y))) return true;
        return false;
    }

    uint8_t savedVbo_ = 0;
    bool savedFlag10_ = false;
    float material_[5] = {0, 0, 0, 0, 0};
};

}  // namespace

// --- Material and colour ------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, SetGlMaterialLeavesTheScaledColourInGl)
{
    DsSetGlMaterial(0x000000FF, 128, 0.0f, 0.5f, 0.0f, 30.0f, 0.0f, 1);
    float diffuse[4] = {0, 0, 0, 0}, back[4] = {0, 0, 0, 0}, shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, back);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_NEAR(diffuse[0], 0.5f, 1e-5f);
    EXPECT_NEAR(diffuse[1], 0.0f, 1e-5f);
    EXPECT_NEAR(diffuse[2], 0.0f, 1e-5f);
    EXPECT_NEAR(diffuse[3], 128.0f / 255.0f, 1e-5f);
    EXPECT_NEAR(back[0], 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(shininess, 30.0f);
    GLint twoSide = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 1);
}

TEST_F(PolygonItemsGLTest, ColourSaverRestoresTheColourOrTheMaterialItFound)
{
    CDsLineAttribStorage blue;
    blue.SetColor(CDsColorStorage(0, 0, 255));
    float current[4] = {0, 0, 0, 0};

    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    {
        CDsGlColorSaver saver;
        saver.SetLighting(false);
        saver.Apply(blue);
        glGetFloatv(GL_CURRENT_COLOR, current);
        EXPECT_FLOAT_EQ(current[2], 1.0f);
        EXPECT_FLOAT_EQ(current[0], 0.0f);
    }
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_FLOAT_EQ(current[0], 0.2f);
    EXPECT_FLOAT_EQ(current[1], 0.4f);
    EXPECT_FLOAT_EQ(current[2], 0.6f);
    EXPECT_FLOAT_EQ(current[3], 0.8f);

    // Lit, the material the saver found comes back, not one made from the current colour (a walk
    // lights faces by the material it sent, whatever colour is current): here a one-sided green
    // material of other factors while the current colour is another.
    CDsPartStorage::instance()->SetDefaultMaterial(0.25f, 0.5f, 0.0f, 12.0f, 0.0f);
    DsSetGlMaterial(0x0000C000, 200, 0.3f, 0.9f, 0.1f, 40.0f, 0.0f, 0);
    const float back[4] = {0.125f, 0.375f, 0.625f, 0.875f};
    glMaterialfv(GL_BACK, GL_DIFFUSE, back);
    glColor4ub(10, 200, 30, 128);
    float diffuse[4] = {0, 0, 0, 0}, ambient[4] = {0, 0, 0, 0}, backDiffuse[4] = {0, 0, 0, 0};
    {
        CDsGlColorSaver saver;
        saver.SetLighting(true);
        saver.Apply(blue);
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        EXPECT_NEAR(diffuse[2], 0.5f, 1e-5f);
        EXPECT_NEAR(diffuse[3], 1.0f, 1e-5f);
    }
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, backDiffuse);
    EXPECT_NEAR(diffuse[0], 0.0f, 1e-5f);
    EXPECT_NEAR(diffuse[1], 192.0f / 255.0f * 0.9f, 1e-5f);
    EXPECT_NEAR(diffuse[3], 200.0f / 255.0f, 1e-5f);
    EXPECT_NEAR(ambient[1], 192.0f / 255.0f * 0.3f, 1e-5f);
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(backDiffuse[c], back[c]) << c;
    float shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 40.0f);
    GLint twoSide = 1;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(twoSide, 0);
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_NEAR(current[1], 200.0f / 255.0f, 1e-5f);
}

// --- Display lists ------------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, CopiesBuildListsOfTheirOwnAndDeleteGlListFreesTheBlock)
{
    auto compile = [](CDsItemPolygonsBase& item) {
        item.GenerateDisplayLists();
        for (int i = 0; i < item.GetRange(); ++i) {
            item.StartList(i, false);
            glBegin(GL_POINTS);
            glVertex3f(0, 0, 0);
            glEnd();
            glEndList();
        }
    };
    CDsItemPolygonsBase item;
    item.SetRange(3);
    compile(item);
    const GLuint first = item.GetFirstList();
    ASSERT_NE(first, 0u);
    GLuint copyFirst = 0;
    {
        CDsItemPolygonsBase copy(item);
        EXPECT_EQ(copy.GetFirstList(), 0u);
        EXPECT_EQ(copy.GetRange(), 3);
        compile(copy);
        copyFirst = copy.GetFirstList();
        ASSERT_NE(copyFirst, 0u);
        EXPECT_NE(copyFirst, first);
        CDsItemPolygonsBase assigned;
        assigned = item;
        EXPECT_EQ(assigned.GetFirstList(), 0u);
    }
    for (GLuint i = 0; i < 3; ++i) {
        EXPECT_TRUE(glIsList(first + i)) << i;  // the source's lists outlive the copy
        EXPECT_FALSE(glIsList(copyFirst + i)) << i;
    }
    item.DeleteGlList();
    EXPECT_EQ(item.GetFirstList(), 0u);
    for (GLuint i = 0; i < 3; ++i) EXPECT_FALSE(glIsList(first + i));

    CDsItemPolygonsDl dl;
    EXPECT_TRUE(dl.GetUseGlList());
    dl.DeleteGlList();
    EXPECT_EQ(dl.GetFirstList(), 0u);
    EXPECT_FALSE(dl.GetUseGlList());
}

// --- STL meshes ---------------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, StlCubeFillsItsSquareShadedAndDrawsOnlyEdgesInWire)
{
    HeadLight();
    StlPtr cube = MakeCube(5);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    item.SetColor(CDsColorStorage(255, 255, 255), true);
    view_->SetRenderMode(eRenderShade);
    item.Refresh(*view_);
    // The cube spans pixels 30 to 70 both ways.
    for (auto p : {std::pair<int, int>{33, 33}, {50, 50}, {66, 40}, {40, 66}}) EXPECT_TRUE(Lit(At(p.first, p.second)));
    EXPECT_EQ(At(20, 20), kBlack);
    EXPECT_EQ(At(80, 50), kBlack);

    Clear(kBlack);
    view_->SetRenderMode(eRenderWireframe);
    item.Refresh(*view_);
    EXPECT_EQ(At(40, 55), kBlack);  // inside the square, off both diagonals
    EXPECT_EQ(At(62, 45), kBlack);
    EXPECT_TRUE(AnyLitInRow(50, 28, 31));  // the left edge
    EXPECT_TRUE(AnyLitInRow(50, 69, 72));  // the right edge
    EXPECT_TRUE(ColorNear(At(50, 50), kWhite, 40));  // the +z face's diagonal, unlit
}

TEST_F(PolygonItemsGLTest, StlRoadsGiveTheSamePicture)
{
    ObliqueView();
    view_->SetRenderMode(eRenderShade);
    StlPtr cube = MakeCube(5);

    CDsItemPolygonsStl buffers(cube.get(), SPAtransf());
    Clear(kBlack);
    buffers.Refresh(*view_);
    const auto fromBuffers = Picture();
    EXPECT_GE(buffers.GetVBOId(), 0);
    EXPECT_EQ(buffers.GetFirstList(), 0u);
    EXPECT_GT(LitCount(), 800);

    CDsItemPolygonsStl::sVBOSupport = 1;  // as without the extension
    CDsItemPolygonsStl lists(cube.get(), SPAtransf());
    Clear(kBlack);
    lists.Refresh(*view_);
    const auto fromLists = Picture();
    EXPECT_EQ(lists.GetVBOId(), -1);
    EXPECT_NE(lists.GetFirstList(), 0u);
    EXPECT_EQ(lists.GetRange(), 1);

    CDsItemPolygonsStl::sVBOSupport = 2;
    CDsItemPolygonsStl immediate(cube.get(), SPAtransf());
    context_.SetRenderToBitmap(1);
    Clear(kBlack);
    immediate.Refresh(*view_);
    context_.SetRenderToBitmap(0);
    const auto drawnImmediately = Picture();
    EXPECT_EQ(immediate.GetVBOId(), -1);
    EXPECT_EQ(immediate.GetFirstList(), 0u);

    EXPECT_LE(Differences(fromBuffers, fromLists), 4);
    EXPECT_LE(Differences(fromBuffers, drawnImmediately), 4);
}

TEST_F(PolygonItemsGLTest, StlDrawsUnlitLinesWhileTheFrontBufferFlagIsSet)
{
    HeadLight();
    StlPtr cube = MakeCube(5);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    item.SetColor(CDsColorStorage(255, 0, 0), true);
    view_->SetRenderMode(eRenderShade);
    CDsManager::GetInstance()->SetFlag(10, true);
    item.Refresh(*view_);
    EXPECT_EQ(At(40, 55), kBlack);
    EXPECT_TRUE(ColorNear(At(50, 50), kRed, 30));  // a line in the item's own colour, not shaded
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));  // the fixture's switch, put back
}

TEST_F(PolygonItemsGLTest, StlWalkDrawsFacesOnlyWhenShadedAndLinesOnlyInWire)
{
    StlPtr cube = MakeCube(5);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    glColor3f(1, 1, 1);
    view_->SetRenderMode(eRenderWireframe);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, true);
    EXPECT_EQ(LitCount(), 0);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpLines, true);
    EXPECT_GT(LitCount(), 100);
    EXPECT_EQ(At(40, 55), kBlack);

    Clear(kBlack);
    view_->SetRenderMode(eRenderShade);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpLines, true);
    EXPECT_EQ(LitCount(), 0);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, true);
    EXPECT_TRUE(Lit(At(40, 55)));
}

TEST_F(PolygonItemsGLTest, ListsBuiltForWireStillLightFacesOfDifferentOrientationDifferently)
{
    CDsItemPolygonsStl::sVBOSupport = 1;
    ObliqueView();
    StlPtr cube = MakeCube(5);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    item.SetColor(CDsColorStorage(200, 200, 200), true);
    view_->SetRenderMode(eRenderWireframe);
    item.Refresh(*view_);
    ASSERT_NE(item.GetFirstList(), 0u);

    Clear(kBlack);
    view_->SetRenderMode(eRenderShade);
    item.Refresh(*view_);
    const auto top = Project(0, 0, 5), side = Project(5, 0, 0), back = Project(0, 5, 0);
    const Rgb a = At(top.first, top.second), b = At(side.first, side.second), c = At(back.first, back.second);
    EXPECT_TRUE(Lit(a) && Lit(b) && Lit(c)) << a << " " << b << " " << c;
    const auto apart = [](const Rgb& x, const Rgb& y) { return std::abs(x.r - y.r) > 15; };
    EXPECT_TRUE(apart(a, b) || apart(a, c) || apart(b, c)) << a << " " << b << " " << c;
}

TEST_F(PolygonItemsGLTest, StlListsHoldInterleavedTriangles)
{
    CDsItemPolygonsStl::sVBOSupport = 1;
    view_->SetRenderMode(eRenderShade);
    glColor3f(1, 1, 1);

    StlPtr below = MakeSplitMesh(65535, [](int) { return true; });
    CDsItemPolygonsStl one(below.get(), SPAtransf());
    one.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    EXPECT_EQ(one.GetRange(), 1);

    StlPtr evenLeft = MakeSplitMesh(65536, [](int t) { return t % 2 == 0; });
    CDsItemPolygonsStl two(evenLeft.get(), SPAtransf());
    Clear(kBlack);
    two.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    ASSERT_EQ(two.GetRange(), 2);
    EXPECT_TRUE(Lit(At(26, 40)));
    EXPECT_TRUE(Lit(At(74, 40)));

    Clear(kBlack);
    glCallList(two.GetFirstList());
    EXPECT_TRUE(Lit(At(26, 40)));  // list 0: the even triangles
    EXPECT_EQ(At(74, 40), kBlack);
    Clear(kBlack);
    glCallList(two.GetFirstList() + 1);
    EXPECT_EQ(At(26, 40), kBlack);  // list 1: the odd ones
    EXPECT_TRUE(Lit(At(74, 40)));
}

TEST_F(PolygonItemsGLTest, StlFastRefreshWithBuffersDrawsTheBoxAndAFifthOfEachChunk)
{
    // 33,334 triangles (100,002 vertices): a fifth of the chunk is 20,000 vertices, the first
    // 6,666 triangles.
    StlPtr mesh = MakeSplitMesh(33334, [](int t) { return t < 6666; });
    CDsItemPolygonsStl item(mesh.get(), SPAtransf());
    view_->SetRenderMode(eRenderShade);
    glColor3f(1, 1, 1);
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    ASSERT_GE(item.GetVBOId(), 0);
    EXPECT_TRUE(Lit(At(26, 40)));
    EXPECT_EQ(At(74, 40), kBlack);
    EXPECT_TRUE(AnyLitInRow(50, 88, 91));  // the box's right side at x = 10

    Clear(kBlack);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    EXPECT_TRUE(Lit(At(74, 40)));
    EXPECT_EQ(At(89, 50), kBlack);  // no box outside a fast refresh
}

// STL items and triangle sets come and go: their freed vertex-buffer slots are handed out again, so
// that the display manager's tables do not grow with every item ever made, and an item in a reused
// slot draws its own triangles, never those of the item before it.
TEST_F(PolygonItemsGLTest, FreedVertexBufferSlotsAreReusedAndDrawTheirNewItem)
{
    CDsItemPolygonsStl::sVBOSupport = 2;
    glColor3f(1, 1, 1);
    StlPtr left = MakeSplitMesh(2, [](int) { return true; });
    StlPtr right = MakeSplitMesh(2, [](int) { return false; });
    ZOVOvivavUrezezovovaza set;
    set.AddTriangle(set.AddVertex({-10, -5, 0}), set.AddVertex({-2, -5, 0}), set.AddVertex({-6, 5, 0}));
    std::set<int> slots;
    for (int i = 0; i < 200; ++i) {
        CDsItemPolygonsStl stl((i % 2 ? right : left).get(), SPAtransf());
        stl.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        CDsItemTrigs trigs(false);
        trigs.SetTriangulation(&set, nullptr);
        trigs.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        ASSERT_GE(stl.GetVBOId(), 0);
        ASSERT_EQ(trigs.GetVBOIds().size(), 1u);
        slots.insert(stl.GetVBOId());
        slots.insert(trigs.GetVBOIds()[0]);
    }
    EXPECT_EQ(slots.size(), 2u);

    int slot = -1;
    {
        CDsItemPolygonsStl before(left.get(), SPAtransf());
        Clear(kBlack);
        before.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        slot = before.GetVBOId();
        ASSERT_TRUE(Lit(At(26, 45)));
    }
    CDsItemPolygonsStl after(right.get(), SPAtransf());
    Clear(kBlack);
    after.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    EXPECT_EQ(after.GetVBOId(), slot);
    EXPECT_TRUE(Lit(At(74, 45)));
    EXPECT_EQ(At(26, 45), kBlack);
}

// --- Polygon leaves -----------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, ArrayOfFourPointsFillsItsQuadAndOfTwoDrawsNothing)
{
    HeadLight();
    // Row A at y = 5, row B at y = -5: the computed normals face the viewer.
    const double points[12] = {-5, 5, 0, 5, 5, 0, -5, -5, 0, 5, -5, 0};
    CDsItemPolygonsArray quad(4, points, nullptr);
    quad.SetColor(CDsColorStorage(255, 255, 255), true);
    EXPECT_EQ(quad.GetItemType(), eDsItemPolygonsArray);
    EXPECT_EQ(quad.GetExtremesValid(), 1);
    EXPECT_DOUBLE_EQ(quad.GetExtremesMin()[1], -5.0);
    quad.Refresh(*view_);
    for (auto p : {std::pair<int, int>{33, 33}, {50, 50}, {66, 66}, {34, 66}, {66, 34}})
        EXPECT_TRUE(ColorNear(At(p.first, p.second), kWhite, 60)) << p.first << "," << p.second;
    EXPECT_EQ(At(75, 50), kBlack);

    Clear(kBlack);
    CDsItemPolygonsArray line(2, points, nullptr);
    line.SetColor(CDsColorStorage(255, 255, 255), true);
    line.Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);

    // New points replace the old list.
    quad.SetPoints(4, points, nullptr);
    Clear(kBlack);
    quad.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    EXPECT_TRUE(Lit(At(50, 50)));
}

TEST_F(PolygonItemsGLTest, Polygons2DDrawsTrianglesAndPolygonsApartAndNothingOnTop)
{
    glColor3f(1, 1, 1);
    // Two triangles, left and right.
    const float triangles[18] = {-10, -5, 0, -2, -5, 0, -6, 5, 0, 2, -5, 0, 10, -5, 0, 6, 5, 0};
    CDsItemPolygons2D pair(3, 2, triangles);
    pair.Refresh(*view_);
    EXPECT_TRUE(Lit(At(26, 45)));
    EXPECT_TRUE(Lit(At(74, 45)));
    EXPECT_EQ(At(50, 45), kBlack);

    // Two pentagons, each its own polygon: nothing between them.
    std::vector<float> pentagons;
    for (double cx : {-6.0, 6.0})
        for (int k = 0; k < 5; ++k) {
            const double a = 2 * M_PI * k / 5;
            pentagons.insert(pentagons.end(), {float(cx + 3 * std::cos(a)), float(3 * std::sin(a)), 0.0f});
        }
    CDsItemPolygons2D five(5, 2, pentagons.data());
    Clear(kBlack);
    five.Refresh(*view_);
    EXPECT_TRUE(Lit(At(26, 50)));
    EXPECT_TRUE(Lit(At(74, 50)));
    EXPECT_EQ(At(50, 50), kBlack);
    EXPECT_EQ(At(50, 55), kBlack);

    Clear(kBlack);
    view_->SetDrawPhase(eDsDrawPhaseOnTop);
    five.Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(PolygonItemsGLTest, Polygons2DPicksEveryPolygonByPointAndByRegion)
{
    const float triangles[18] = {-10, -5, 0, -2, -5, 0, -6, 5, 0, 2, -5, 0, 10, -5, 0, 6, 5, 0};
    CDsItemPolygons2D pair(3, 2, triangles);
    // Inside the second triangle: model (6, -2) is pixel (74, 58) counted down from the top.
    const pick_event inSecond(74, 58, view_.get()), inFirst(26, 58, view_.get()), between(50, 58, view_.get());
    for (const auto& [event, expected] :
         {std::pair<const pick_event*, bool>{&inSecond, true}, {&inFirst, true}, {&between, false}}) {
        AcceptingPickManager manager(pick_method_point, event, nullptr);
        view_->pick_mode(1, event->x(), event->y(), 5, 5);
        EXPECT_EQ(pair.Pick(&manager), expected) << event->x();
        view_->pick_mode(0, 0, 0, 0, 0);
        EXPECT_EQ(manager.offers, expected ? 1 : 0);
    }

    // A region across the second triangle's left edge, and one inside nothing.
    const pick_event corner1(70, 40, view_.get()), corner2(84, 70, view_.get());
    AcceptingPickManager region(pick_method_region, &corner1, &corner2);
    view_->pick_mode(1, 77, 55, 14, 30);
    EXPECT_TRUE(pair.Pick(&region));
    view_->pick_mode(0, 0, 0, 0, 0);
    const pick_event empty1(45, 10, view_.get()), empty2(55, 20, view_.get());
    AcceptingPickManager nothing(pick_method_region, &empty1, &empty2);
    view_->pick_mode(1, 50, 15, 10, 10);
    EXPECT_FALSE(pair.Pick(&nothing));
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(PolygonItemsGLTest, DisplayListPolygonsOfBothWindingsDrawInTwoCulledPasses)
{
    CDsItemPolygonsDl item;
    ASSERT_TRUE(item.StartBuildGlList(false));
    glBegin(GL_TRIANGLES);
    glVertex3f(-10, -5, 0), glVertex3f(-2, -5, 0), glVertex3f(-6, 5, 0);  // counter-clockwise
    glVertex3f(2, -5, 0), glVertex3f(6, 5, 0), glVertex3f(10, -5, 0);     // clockwise
    glEnd();
    item.EndBuildGlList();
    const double lo[3] = {-10, -5, 0}, hi[3] = {10, 5, 0};
    item.SetExtremes(lo, hi);
    EXPECT_EQ(item.GetExtremesValid(), 1);

    glColor3f(1, 1, 1);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    EXPECT_TRUE(Lit(At(26, 45)));
    EXPECT_TRUE(Lit(At(74, 45)));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLint face = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    EXPECT_EQ(face, GL_BACK);

    Clear(kBlack);
    HeadLight();
    item.SetColor(CDsColorStorage(255, 255, 255), true);
    item.Refresh(*view_);
    EXPECT_TRUE(Lit(At(26, 45)));
    EXPECT_TRUE(Lit(At(74, 45)));
}

TEST_F(PolygonItemsGLTest, TrianglesSetsDrawEveryChunkAndSkipFastRefreshesWhenAsked)
{
    // 43,691 triangles: the last one, alone in the second chunk, lies on the right.
    ZOVOvivavUrezezovovaza set;
    const int l0 = set.AddVertex({-10, -5, 0}), l1 = set.AddVertex({-2, -5, 0}), l2 = set.AddVertex({-6, 5, 0});
    const int r0 = set.AddVertex({2, -5, 0}), r1 = set.AddVertex({10, -5, 0}), r2 = set.AddVertex({6, 5, 0});
    for (int t = 0; t < 43690; ++t) set.AddTriangle(l0, l1, l2);
    set.AddTriangle(r0, r1, r2);

    glColor3f(1, 1, 1);
    for (uint8_t support : {uint8_t(2), uint8_t(1)}) {
        CDsItemPolygonsStl::sVBOSupport = support;
        CDsItemTrigs item(false);
        item.SetTriangulation(&set, nullptr);
        ASSERT_EQ(item.GetChunksCount(), 2);
        Clear(kBlack);
        item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        EXPECT_TRUE(Lit(At(26, 45))) << int(support);
        EXPECT_TRUE(Lit(At(74, 45))) << int(support);
        EXPECT_EQ(item.GetVBOIds().size(), support == 2 ? 2u : 0u);

        Clear(kBlack);
        view_->SetFlag(eDsViewFlagFastRefresh, true);
        item.DrawGl(*view_);
        view_->SetFlag(eDsViewFlagFastRefresh, false);
        EXPECT_EQ(LitCount(), 0);
    }
    CDsItemTrigs always(true);
    always.SetTriangulation(&set, nullptr);
    Clear(kBlack);
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    always.DrawGl(*view_);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_GT(LitCount(), 0);
}

// --- Lamps and quadrics -------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, LampDrawsItsConeWithinItsSizeAndLeavesTheStacksAsFound)
{
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(25, 25).Clip(1, 300).ApplyTo(*view_);
    view_->SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_LIGHTING);
    HeadLight();
    CDsItemLamp lamp;
    lamp.SetType(eDsQuadCone);
    lamp.SetSize(4.0f);
    const float target[3] = {-10, 0, 0};  // the cone runs from the position along +x
    lamp.SetTarget(target);

    GLint attributes = 0, matrices = 0, attributesAfter = 0, matricesAfter = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attributes);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matrices);
    lamp.DrawGl(*view_);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attributesAfter);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matricesAfter);
    EXPECT_EQ(attributesAfter, attributes);
    EXPECT_EQ(matricesAfter, matrices);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    // Every lit pixel lies within 9 units (36 pixels) of the position, and the cone reaches about
    // 8 units along +x.
    const auto picture = Picture();
    int lit = 0, farthestX = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const unsigned char* p = &picture[static_cast<size_t>((y * kSize + x) * 3)];
            if (p[0] + p[1] + p[2] <= 60) continue;
            ++lit;
            farthestX = std::max(farthestX, x);
            EXPECT_LE(std::hypot(x + 0.5 - 50, y + 0.5 - 50), 36.0) << x << "," << y;
        }
    EXPECT_GT(lit, 200);
    EXPECT_GE(farthestX, 50 + 4 * 7);

    // A lamp on its target is drawn unturned: its sphere about the position.
    Clear(kBlack);
    CDsItemLamp still;
    still.SetSize(3.0f);
    still.DrawGl(*view_);
    EXPECT_TRUE(Lit(At(50, 50)));
    EXPECT_EQ(At(50 + 14, 50), kBlack);
}

TEST_F(PolygonItemsGLTest, QuadricsDrawTheirSurfaceAndKindSevenAsACone)
{
    glColor3f(1, 1, 1);
    auto draw = [&](const CDsBasicSurface& surface) {
        CDsItemQuadric item(&surface);
        Clear(kBlack);
        item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        return Picture();
    };
    class KindSeven : public CDsCone {
    public:
        KindSeven() : CDsCone(6, 2, 8) {}
        EDsQuadType GetType() const override { return static_cast<EDsQuadType>(7); }
    };
    const auto cone = draw(CDsCone(6, 2, 8));
    const auto seven = draw(KindSeven());
    EXPECT_EQ(Differences(cone, seven), 0);
    EXPECT_GT(LitCount(), 500);

    draw(CDsTorus(1.5f, 6.0f));  // a ring from radius 4.5 to 7.5 about the origin
    EXPECT_EQ(At(50, 50), kBlack);
    EXPECT_TRUE(Lit(At(74, 50)));
    EXPECT_TRUE(Lit(At(50, 26)));
    draw(CDsDisk(2.0f, 6.0f));
    EXPECT_EQ(At(50, 50), kBlack);
    EXPECT_TRUE(Lit(At(66, 50)));
    draw(CDsNBox(8, 8, 8));
    EXPECT_TRUE(Lit(At(50, 50)));
    EXPECT_TRUE(Lit(At(65, 65)));
    EXPECT_EQ(At(70, 50), kBlack);
    draw(CDsSphere(0.0f));
    EXPECT_EQ(LitCount(), 0);

    // The retained road, filled and lit, and outlined without fill.
    HeadLight();
    const CDsSphere ball(10.0f);
    CDsItemQuadric item(&ball);
    item.SetColor(CDsColorStorage(255, 255, 255), true);
    Clear(kBlack);
    item.Refresh(*view_);
    EXPECT_TRUE(Lit(At(50, 50)));
    const int filled = LitCount();
    item.SetFill(false);
    Clear(kBlack);
    item.Refresh(*view_);
    const int outlined = LitCount();
    EXPECT_GT(outlined, 0);
    EXPECT_LT(outlined, filled * 4 / 5);  // lines, not the whole disc
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
}

// --- Bad input ----------------------------------------------------------------------------------

TEST_F(PolygonItemsGLTest, EmptyOrDegenerateInputDrawsNothingAndLeavesNoGlError)
{
    HeadLight();
    glColor3f(1, 1, 1);
    view_->SetRenderMode(eRenderShade);
    StlPtr hollow(new CVyrStlData);
    for (uint8_t support : {uint8_t(2), uint8_t(1)}) {
        CDsItemPolygonsStl::sVBOSupport = support;
        for (CVyrStlData* data : {static_cast<CVyrStlData*>(nullptr), hollow.get()}) {
            CDsItemPolygonsStl item(data, SPAtransf());
            item.SetColor(CDsColorStorage(255, 255, 255), true);
            item.Refresh(*view_);
            item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, true);
            EXPECT_EQ(LitCount(), 0) << int(support);
            EXPECT_EQ(item.GetVBOId(), -1);
            EXPECT_EQ(item.GetFirstList(), 0u);
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
    }

    // Polygons of fewer than 3 vertices, or without points; a triangle set without a triangulation.
    const float points[12] = {-5, -5, 0, 5, -5, 0, 5, 5, 0, -5, 5, 0};
    CDsItemPolygons2D pairs(2, 2, points), none(3, 1, nullptr);
    CDsItemTrigs empty(true);
    empty.SetTriangulation(nullptr, nullptr);
    for (CDsItemBase* item : std::initializer_list<CDsItemBase*>{&pairs, &none, &empty}) {
        item->Refresh(*view_);
        item->DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    }
    EXPECT_EQ(LitCount(), 0);

    // Surfaces of zero size.
    const CDsSphere dot(0.0f);
    const CDsCylinder flat(0.0f, 0.0f);
    const CDsNBox nothing(0, 0, 0);
    const CDsTorus ring(0.0f, 0.0f);
    for (const CDsBasicSurface* surface : std::initializer_list<const CDsBasicSurface*>{&dot, &flat, &nothing, &ring}) {
        CDsItemQuadric item(surface);
        item.Refresh(*view_);
        item.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
        EXPECT_EQ(LitCount(), 0) << surface->GetType();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(PolygonItemsGLTest, AnErrorLeftByTheCallerIsNotTakenForAFailedListBuild)
{
    CDsItemPolygonsStl::sVBOSupport = 1;
    HeadLight();
    view_->SetRenderMode(eRenderShade);
    StlPtr cube = MakeCube(5);
    CDsItemPolygonsStl item(cube.get(), SPAtransf());
    item.SetColor(CDsColorStorage(255, 255, 255), true);
    glEnable(GLenum(0x7FFF));  // GL_INVALID_ENUM, left set
    item.Refresh(*view_);
    EXPECT_NE(item.GetFirstList(), 0u);  // the lists were kept
    EXPECT_TRUE(Lit(At(50, 50)));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const GLuint first = item.GetFirstList();
    Clear(kBlack);
    item.Refresh(*view_);
    EXPECT_EQ(item.GetFirstList(), first);  // built once
    EXPECT_TRUE(Lit(At(50, 50)));
}
