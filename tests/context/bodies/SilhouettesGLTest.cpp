// Outlines of curved faces in frames: bodies shown through the rendering context and filed by the
// host's body geometry, drawn by the context's refresh in wireframe and hidden lines, read back as
// pixels. The silhouette level decides which outlines show, the outline follows the camera and
// its face's mesh, stays on its face, and hidden lines hide the parts of an outline that another
// body covers.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr unsigned kRed = 0x0000FF;  // 0x00BBGGRR

class SilhouettesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        LookFrom(SPAposition(0, 0, 100));
    }
    // Looking at the origin from `eye` with +y up, over a 100 x 100 model-unit field: one unit a
    // pixel, model point (x, y) at pixel (50 + x, 50 + y) when seen from +z.
    void LookFrom(const SPAposition& eye, const SPAposition& target = SPAposition(0, 0, 0),
                  const SPAvector& up = SPAvector(0, 1, 0))
    {
        host_->Look(ViewSetup().Eye(eye).Target(target).Up(up).Field(kHostSize, kHostSize).Clip(1, 300));
    }
    // Shows `body` (the host's from here on) in red.
    void Show(BODY* body) { ASSERT_NE(host_->Show(body, kRed), nullptr); }
    // A whole frame in `mode` at silhouette `level`; the front buffer read back.
    void Frame(ERenderMode mode, EDsSilhouetteLevel level)
    {
        host_->Context().SetSilhouetteLevel(level);
        host_->View().SetRenderMode(mode);
        picture_ = host_->WholeFrame();
    }
    // The brightest channel sum within `radius` pixels of (x, y), rows counted from the bottom.
    int Brightest(int x, int y, int radius = 1) const
    {
        int best = 0;
        for (int j = y - radius; j <= y + radius; ++j)
            for (int i = x - radius; i <= x + radius; ++i) {
                const unsigned char* p = picture_.At(i, j);
                best = std::max(best, p[0] + p[1] + p[2]);
            }
        return best;
    }
    // The largest green value within one pixel of (x, y).
    int Green(int x, int y) const
    {
        int best = 0;
        for (int j = y - 1; j <= y + 1; ++j)
            for (int i = x - 1; i <= x + 1; ++i) best = std::max<int>(best, picture_.At(i, j)[1]);
        return best;
    }
    bool Lit(int x, int y, int radius = 1) const { return picture_.LitNear(x, y, radius); }
    // How many pixels are lit in the columns `left` to `right` and the rows `bottom` to `top`.
    int LitIn(int left, int right, int bottom, int top) const { return picture_.LitIn(left, right, bottom, top); }
    // The first shown body's face that has an outline and a mesh.
    CDsItemsFace* CurvedFace() const
    {
        CDsItemsBody* group = host_->Bodies().empty() ? nullptr : host_->Context().FindDsBody(host_->Bodies()[0]);
        for (int i = 0; group && i < group->FacesCount(); ++i)
            if (CDsItemsFace* face = group->GetFaceItem(i))
                if (face->GetSilhouette() && face->GetMesh()) return face;
        return nullptr;
    }
    // How many of 36 points on the circle of `radius` pixels about the picture's centre are lit.
    int LitOnCircle(double radius) const
    {
        int lit = 0;
        for (int k = 0; k < 36; ++k) {
            const double a = k * 10.0 * M_PI / 180.0;
            lit += Lit(int(std::lround(50 + radius * std::cos(a))), int(std::lround(50 + radius * std::sin(a))));
        }
        return lit;
    }

    vyrtest::Picture picture_;
};

// A cylinder of radius 15 along y, from y = -30 to 30, turned 45 degrees about its axis (its side
// has no edge down it, wherever it is turned). Seen side-on from +z its rims are edge-on, the rows
// at y = +-30, and its outline is the columns at x = +-15.
BODY* SideOnCylinder()
{
    BODY* cylinder = make_cylinder(SPAposition(0, -30, 0), SPAvector(0, 1, 0), 15, 60);
    if (cylinder) set_body_transform(cylinder, rotate_transf(M_PI / 4, SPAvector(0, 1, 0)));
    return cylinder;
}

}  // namespace

TEST_F(SilhouettesGLTest, ACylinderSeenSideOnShowsItsOutlineAtTheLevelsOfCylindersAndOfAll)
{
    Show(SideOnCylinder());
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines}) {
        Frame(mode, eDsSilhouetteNone);
        EXPECT_TRUE(Lit(50, 20)) << "the lower rim, mode " << mode;
        EXPECT_FALSE(Lit(35, 50, 2)) << "no outline at level 0, mode " << mode;
        EXPECT_FALSE(Lit(65, 50, 2)) << "no outline at level 0, mode " << mode;
        for (EDsSilhouetteLevel level : {eDsSilhouetteCylinders, eDsSilhouetteAll}) {
            Frame(mode, level);
            for (int y : {30, 50, 70}) {
                EXPECT_TRUE(Lit(35, y)) << "left outline, row " << y << ", level " << level << ", mode " << mode;
                EXPECT_TRUE(Lit(65, y)) << "right outline, row " << y << ", level " << level << ", mode " << mode;
            }
            // Between the outlines and beside them nothing is drawn.
            EXPECT_FALSE(Lit(48, 50, 5)) << "level " << level << ", mode " << mode;
            EXPECT_FALSE(Lit(25, 50, 3)) << "level " << level << ", mode " << mode;
            EXPECT_FALSE(Lit(75, 50, 3)) << "level " << level << ", mode " << mode;
        }
    }
}

TEST_F(SilhouettesGLTest, ASphereShowsItsOutlineOnlyAtTheLevelOfAll)
{
    Show(make_sphere(SPAposition(0, 0, 0), 20));
    // A small cone below it, its base edge-on in row 2, its sides through (47, 7) and (53, 7).
    Show(make_cone(SPAposition(0, -48, 0), SPAvector(0, 1, 0), 6, 0, 10));
    // The geometry tells the walk which levels draw its outlines: cones at the level of
    // cylinders, spheres only at the level of all.
    const std::unique_ptr<CDsGeometry> sphere(new CVyrBodyGeometry(host_->Bodies()[0], &host_->Context()));
    const std::unique_ptr<CDsGeometry> cone(new CVyrBodyGeometry(host_->Bodies()[1], &host_->Context()));
    EXPECT_EQ(sphere->GetDrawPrimitives(0) & (CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevelMask),
              CDsGeometry::eDpSilhouettes | 0x200);
    EXPECT_EQ(cone->GetDrawPrimitives(0) & (CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevelMask),
              CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevel1);

    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines}) {
        for (EDsSilhouetteLevel level : {eDsSilhouetteNone, eDsSilhouetteCylinders}) {
            Frame(mode, level);
            // Nothing of the sphere (it has no edge) crosses the circle.
            EXPECT_EQ(LitOnCircle(20), 0) << "level " << level << ", mode " << mode;
            EXPECT_EQ(Lit(47, 7) && Lit(53, 7), level == eDsSilhouetteCylinders)
                << "the cone's outline, level " << level << ", mode " << mode;
        }
        Frame(mode, eDsSilhouetteAll);
        EXPECT_GE(LitOnCircle(20), 34) << "mode " << mode;
        // Inside and outside the outline nothing crosses a circle.
        EXPECT_EQ(LitOnCircle(14), 0) << "mode " << mode;
        EXPECT_EQ(LitOnCircle(26), 0) << "mode " << mode;
    }
}

TEST_F(SilhouettesGLTest, TheOutlineFollowsTheCameraWhenItTurns)
{
    Show(SideOnCylinder());
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    ASSERT_TRUE(Lit(35, 50));
    ASSERT_TRUE(Lit(65, 50));
    // Seen from +x the outline runs where the cylinder meets z = +-15, again in the columns 35
    // and 65; the segments that were right from +z (x = +-15, z = 0) would stand on the axis, in
    // the middle column.
    LookFrom(SPAposition(100, 0, 0));
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(35, 50));
    EXPECT_TRUE(Lit(65, 50));
    EXPECT_FALSE(Lit(50, 50, 4));
    // Seen from (-1, 0, 1): the outline in the same columns; the segments of the view from +x
    // (x = 0, z = +-15) would show in the columns 39 and 61.
    LookFrom(SPAposition(-70.71, 0, 70.71));
    Frame(eRenderHiddenLines, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(35, 50));
    EXPECT_TRUE(Lit(65, 50));
    EXPECT_FALSE(Lit(39, 50));
    EXPECT_FALSE(Lit(61, 50));
    // And back: the first outline again.
    LookFrom(SPAposition(0, 0, 100));
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(35, 50));
    EXPECT_TRUE(Lit(65, 50));
    EXPECT_FALSE(Lit(48, 50, 5));
}

TEST_F(SilhouettesGLTest, HiddenLinesHideThePartOfAnOutlineBehindAnotherBody)
{
    Show(SideOnCylinder());
    // A block in front of the cylinder's right side, from x = 5 to 30 and y = -10 to 10: its edges
    // run in the columns 55 and 80 and the rows 40 and 60, its face covers the right outline
    // between those rows.
    Show(make_block(5, -10, 30, 30, 10, 40));
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(65, 50)) << "wireframe shows the outline through the block";

    Frame(eRenderHiddenLines, eDsSilhouetteCylinders);
    EXPECT_FALSE(Lit(65, 50)) << "the outline behind the block is hidden";
    EXPECT_TRUE(Lit(65, 30)) << "below the block it shows";
    EXPECT_TRUE(Lit(65, 70)) << "above the block it shows";
    EXPECT_TRUE(Lit(35, 50)) << "the left outline is not behind anything";

    // Partial hidden lines draw it dimmed, as they draw hidden edges: lightened halfway to white
    // from the bodies' red.
    Frame(eRenderPartialHiddenLines, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(65, 50));
    EXPECT_GT(Green(65, 50), 80);
    EXPECT_LT(Green(35, 50), 40);
    EXPECT_GT(Brightest(35, 50), 200);
}

TEST_F(SilhouettesGLTest, TheOutlineFollowsAnEditOfItsMeshInPlaceAndIsKeptWhileNothingChanges)
{
    Show(SideOnCylinder());
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    ASSERT_TRUE(Lit(35, 50));
    ASSERT_TRUE(Lit(65, 50));
    CDsItemsFace* side = CurvedFace();
    ASSERT_NE(side, nullptr);

    // Nothing changed: the next frame (drawn anew at another level) draws the segments kept, even
    // one the mesh never gave (a stand-in for work not done again): the axis, in column 50.
    side->GetSilhouette()->AddSegment(SPAposition(0, -20, 0), SPAposition(0, 20, 0));
    Frame(eRenderWireframe, eDsSilhouetteAll);
    EXPECT_TRUE(Lit(50, 50)) << "the outline was computed again although nothing changed";

    // The side narrowed to radius 7.5 in place, node by node (same mesh, same counts, same
    // camera): the outline moves in to the columns 42.5 and 57.5.
    CVyrIndexedMesh* mesh = side->GetMesh();
    for (int i = 0; i < mesh->get_num_vertex(); ++i) {
        SPAposition p;
        SPAunit_vector n;
        mesh->get_vertex(i)->GetPosition(p);
        mesh->get_vertex(i)->GetNormal(n);
        const SPApar_pos uv = mesh->get_uv(i);
        mesh->get_vertex_for_edit(i)->set_data(SPAposition(p.x() / 2, p.y(), p.z() / 2), n, uv);
    }
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    for (int y : {30, 50, 70}) {
        EXPECT_TRUE(Lit(43, y)) << "row " << y;
        EXPECT_TRUE(Lit(57, y)) << "row " << y;
        EXPECT_FALSE(Lit(35, y)) << "the old outline, row " << y;
        EXPECT_FALSE(Lit(65, y)) << "the old outline, row " << y;
    }
    EXPECT_FALSE(Lit(50, 50)) << "the new outline replaces every segment held";
}

TEST_F(SilhouettesGLTest, AFrustumsOutlineStopsAtItsTopRim)
{
    // Base radius 15 at z = 0, top radius 5 at z = 20: its sides would meet at (30, 20, 30). Seen
    // from -y with +z up, model (x, z) lands on pixel (20 + x, 40 + z): the top rim in row 60, the
    // outline through (40, 50) and (60, 50), the point where the sides would meet in row 70. (The
    // view's axis triad stands in the top right corner, from column 74.)
    Show(make_cone(SPAposition(30, 20, 0), SPAvector(0, 0, 1), 15, 5, 20));
    LookFrom(SPAposition(30, -80, 10), SPAposition(30, 20, 10), SPAvector(0, 0, 1));
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderShade}) {
        Frame(mode, eDsSilhouetteCylinders);
        EXPECT_TRUE(Lit(40, 50)) << "left outline, mode " << mode;
        EXPECT_TRUE(Lit(60, 50)) << "right outline, mode " << mode;
        EXPECT_TRUE(Lit(50, 60)) << "top rim, mode " << mode;
        EXPECT_EQ(LitIn(20, 70, 62, 90), 0) << "drawn above the top rim, mode " << mode;
    }
    // A pointed cone of the same base and height still has its outline up to the tip (30, 20, 20).
    host_->Hide(host_->Bodies()[0]);
    Show(make_cone(SPAposition(30, 20, 0), SPAvector(0, 0, 1), 15, 0, 20));
    Frame(eRenderWireframe, eDsSilhouetteCylinders);
    EXPECT_TRUE(Lit(46, 55)) << "left outline near the tip";
    EXPECT_EQ(LitIn(20, 70, 62, 90), 0) << "drawn above the tip";
}
