// Figures whose shaded leaves (STL meshes, recorded triangles, triangle strips, triangle sets) are
// placed by a transformation, their own or the figure generator's, recorded beside a block that
// the host shows: a frame draws each leaf where the scene's box and ZoomAll put it, the single
// pick and the region pick find it there and nowhere else, and a leaf turned by its
// transformation answers a box that holds all of it.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

constexpr int kWide = 200, kHigh = 100;

// The cube of half side `h` about the origin, as twelve triangles.
CVyrStlData* MakeCube(double h)
{
    auto* data = new CVyrStlData;
    const SPAposition p[8] = {SPAposition(-h, -h, -h), SPAposition(h, -h, -h), SPAposition(h, h, -h),
                              SPAposition(-h, h, -h),  SPAposition(-h, -h, h), SPAposition(h, -h, h),
                              SPAposition(h, h, h),    SPAposition(-h, h, h)};
    const int quads[6][4] = {{4, 5, 6, 7}, {0, 3, 2, 1}, {1, 2, 6, 5}, {0, 4, 7, 3}, {3, 7, 6, 2}, {0, 1, 5, 4}};
    for (const auto& q : quads) {
        data->AddTriangle(CVyrTriangle(p[q[0]], p[q[1]], p[q[2]]));
        data->AddTriangle(CVyrTriangle(p[q[0]], p[q[2]], p[q[3]]));
    }
    return data;
}

// A white STL mesh about the origin (the figure takes over the reference given) placed by the
// STL call's transformation.
class CStlFigure : public CDsFigure {
public:
    CStlFigure(CVyrStlData* mesh, const SPAtransf& placement) : m_mesh(mesh), m_placement(placement) {}
    ~CStlFigure() override { m_mesh->decRC(); }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        generator.DrawTrianglesStl(m_placement, m_mesh);
        return 1;
    }

private:
    CVyrStlData* m_mesh;
    SPAtransf m_placement;
};

// The leaf kinds a flat square can be made of.
enum class ELeaf { eStl, eRecordedTriangles, eStrip, eTriangleSet };
const char* Name(ELeaf leaf)
{
    switch (leaf) {
    case ELeaf::eStl: return "STL mesh";
    case ELeaf::eRecordedTriangles: return "recorded triangles";
    case ELeaf::eStrip: return "triangle strip";
    case ELeaf::eTriangleSet: return "triangle set";
    }
    return "";
}

// The square's half side and where the generator's transformation moves it.
constexpr double kHalf = 8.0;
const SPAvector kShift(100, 0, 10);

// A white square of side 16 about the origin in the plane z = 0, made of one kind of leaf, placed
// by the generator's transformation at (100, 0, 10).
class CPlacedSquareFigure : public CDsFigure {
public:
    explicit CPlacedSquareFigure(ELeaf leaf) : m_leaf(leaf) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        generator.SetTransformation(CGmTransformation(translate_transf(kShift)));
        const double h = kHalf;
        switch (m_leaf) {
        case ELeaf::eStl: {
            auto* square = new CVyrStlData;
            square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0), SPAposition(h, -h, 0), SPAposition(h, h, 0)));
            square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0), SPAposition(h, h, 0), SPAposition(-h, h, 0)));
            generator.DrawTrianglesStl(SPAtransf(), square);
            square->decRC();
            break;
        }
        case ELeaf::eRecordedTriangles: {
            const double points[18] = {-h, -h, 0, h, -h, 0, h, h, 0, -h, -h, 0, h, h, 0, -h, h, 0};
            generator.DrawTriangles(2, points, nullptr);
            break;
        }
        case ELeaf::eStrip: {
            const double rows[12] = {-h, -h, 0, h, -h, 0, -h, h, 0, h, h, 0};
            generator.DrawTriangles(2, 2, rows, nullptr);
            break;
        }
        case ELeaf::eTriangleSet: {
            ZOVOvivavUrezezovovaza set;
            const float f = static_cast<float>(h);
            const int a = set.AddVertex({-f, -f, 0}), b = set.AddVertex({f, -f, 0}), c = set.AddVertex({f, f, 0}),
                      d = set.AddVertex({-f, f, 0});
            set.AddTriangle(a, b, c);
            set.AddTriangle(a, c, d);
            generator.DrawTrigs(set, nullptr, true);
            break;
        }
        }
        return 1;
    }

private:
    ELeaf m_leaf;
};

class PlacedFigureLeavesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = std::make_unique<Host>(kWide, kHigh);
        Camera();
    }
    // Looking down -z at (60, 20, 0), one unit a pixel: model (x, y) at the pixel (x + 40, y + 30)
    // counted up from the lower left.
    void Camera()
    {
        host_->Look(ViewSetup().Eye(SPAposition(60, 20, 200)).Target(SPAposition(60, 20, 0)).Field(kWide, kHigh).Clip(1, 400));
    }
    // How many pixels of `picture` are lit in the square of half side `half` (model units) about
    // model point `centre`, seen down the z axis.
    int LitAbout(const vyrtest::Picture& picture, const SPAposition& centre, double half)
    {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        EXPECT_TRUE(host_->PixelOf(centre + SPAvector(-half, -half, 0), x0, y0));
        EXPECT_TRUE(host_->PixelOf(centre + SPAvector(half, half, 0), x1, y1));
        int lit = 0;
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
            for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) lit += picture.Lit(x, kHigh - 1 - y);
        return lit;
    }
    // The figure's path among the candidates of a single pick at `p` (bodies and figures), or an
    // empty path when something else or nothing answers.
    CVyrObjectPath PickedAt(const SPAposition& p)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
        const CDsPickedItem picked = host_->PickAt(p, &domain);
        return picked.IsValid() ? picked.GetObjectPath() : CVyrObjectPath();
    }
    // The paths a region pick finds in the square of half side `half` about model point `centre`.
    std::vector<CVyrObjectPath> RegionAbout(const SPAposition& centre, double half)
    {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        EXPECT_TRUE(host_->PixelOf(centre + SPAvector(-half, half, 0), x0, y0));
        EXPECT_TRUE(host_->PixelOf(centre + SPAvector(half, -half, 0), x1, y1));
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
        return host_->Region(x0, y0, x1, y1, &domain);
    }
    static bool Holds(const std::vector<CVyrObjectPath>& paths, const CVyrObjectPath& path)
    {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    }
};

}  // namespace

TEST_F(PlacedFigureLeavesGLTest, AnStlSpherePlacedByItsTransformationIsFramedDrawnAndPickedInOnePlace)
{
    const SPAposition placed(100, 20, 10), unplaced(0, 0, 0);
    CStlFigure sphere(vyrtest::StlSphere(10), translate_transf(placed - unplaced));
    sphere.Record(true, &host_->View());
    ASSERT_TRUE(sphere.IsRecorded());

    // Shaded and wireframe frames draw the sphere where its box is, not about the origin.
    for (const ERenderMode mode : {eRenderShade, eRenderWireframe}) {
        SCOPED_TRACE(mode == eRenderShade ? "shaded" : "wireframe");
        host_->View().SetRenderMode(mode);
        const vyrtest::Picture frame = host_->WholeFrame();
        EXPECT_GT(LitAbout(frame, placed, 7), mode == eRenderShade ? 150 : 30);
        EXPECT_EQ(LitAbout(frame, unplaced, 12), 0);
    }
    // Fitted to the scene's box (the sphere alone), the sphere fills the middle of the window.
    host_->View().SetRenderMode(eRenderShade);
    host_->View().ZoomAll(0.5f);
    const vyrtest::Picture fitted = host_->WholeFrame();
    EXPECT_TRUE(fitted.Lit(kWide / 2, kHigh / 2));
    EXPECT_GT(fitted.LitCount(), 500);

    // Beside a block that covers the origin's corner, the picks find the sphere where it shows and
    // the block (not the sphere) at the origin's side.
    Camera();
    BODY* block = host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(60, 40, 20));
    ASSERT_NE(block, nullptr);
    host_->WholeFrame();
    EXPECT_EQ(PickedAt(placed + SPAvector(3, 3, 0)), host_->PathOf(sphere));
    EXPECT_EQ(PickedAt(SPAposition(4, 4, 20)), host_->PathOf(block));
    EXPECT_EQ(PickedAt(SPAposition(-5, -5, 0)), CVyrObjectPath());
    EXPECT_TRUE(Holds(RegionAbout(placed, 14), host_->PathOf(sphere)));
    EXPECT_FALSE(Holds(RegionAbout(unplaced, 14), host_->PathOf(sphere)));
}

// Each shaded leaf kind, placed by the generator's transformation: the box, the frame and both
// picks agree on one place.
TEST_F(PlacedFigureLeavesGLTest, EveryShadedLeafUnderTheGeneratorsTransformationIsDrawnAndPickedWhereItsBoxIs)
{
    const SPAposition unplaced(0, 0, 0), placed = unplaced + kShift;
    for (const ELeaf leaf : {ELeaf::eStl, ELeaf::eRecordedTriangles, ELeaf::eStrip, ELeaf::eTriangleSet}) {
        SCOPED_TRACE(Name(leaf));
        CPlacedSquareFigure square(leaf);
        square.Record(true, &host_->View());
        ASSERT_TRUE(square.IsRecorded());
        const SPAbox box = host_->Box();
        EXPECT_NEAR(box.low().x(), 92, 1e-3);
        EXPECT_NEAR(box.high().x(), 108, 1e-3);
        EXPECT_NEAR(box.low().z(), 10, 1e-3);

        const vyrtest::Picture frame = host_->WholeFrame();
        EXPECT_GT(LitAbout(frame, placed, 6), 120);
        EXPECT_EQ(LitAbout(frame, unplaced, 10), 0);
        EXPECT_EQ(PickedAt(placed + SPAvector(2, 2, 0)), host_->PathOf(square));
        EXPECT_EQ(PickedAt(unplaced + SPAvector(2, 2, 0)), CVyrObjectPath());
        EXPECT_TRUE(Holds(RegionAbout(placed, 12), host_->PathOf(square)));
        EXPECT_FALSE(Holds(RegionAbout(unplaced, 12), host_->PathOf(square)));
    }
}

// A cube turned an eighth of a turn about z reaches farther along x and y than its own half side:
// the scene's box holds its corners, and a frame fitted to it shows the whole cube.
TEST_F(PlacedFigureLeavesGLTest, AMeshTurnedByItsTransformationAnswersABoxThatHoldsAllOfIt)
{
    CStlFigure cube(MakeCube(10), rotate_transf(M_PI / 4, SPAvector(0, 0, 1)));
    cube.Record(true, &host_->View());
    ASSERT_TRUE(cube.IsRecorded());
    const double reach = 10 * std::sqrt(2.0);
    for (const bool remeasured : {false, true}) {
        SCOPED_TRACE(remeasured ? "measured again" : "as recorded");
        if (remeasured) host_->Context().InvalidateBox();
        const SPAbox box = host_->Box();
        EXPECT_NEAR(box.low().x(), -reach, 1e-3);
        EXPECT_NEAR(box.high().x(), reach, 1e-3);
        EXPECT_NEAR(box.low().y(), -reach, 1e-3);
        EXPECT_NEAR(box.high().y(), reach, 1e-3);
        EXPECT_NEAR(box.low().z(), -10, 1e-3);
        EXPECT_NEAR(box.high().z(), 10, 1e-3);
    }
}

namespace {

// The two fills of the figure generator's static entry points: one polygon (ItDrawPolyLine) or
// triangles (ItDrawTriangles).
enum class EFill { ePolyLine, eTriangles };

// A square fill of half side `half` about the origin in the plane z = 0.
void DrawFill(CDsFigureGenerator& generator, EFill fill, float half)
{
    const float h = half;
    if (fill == EFill::ePolyLine) {
        float square[12] = {-h, -h, 0, h, -h, 0, h, h, 0, -h, h, 0};
        CDsFigureGenerator::ItDrawPolyLine(&generator, 4, square, true);
        return;
    }
    float triangles[18] = {-h, -h, 0, h, -h, 0, h, h, 0, -h, -h, 0, h, h, 0, -h, h, 0};
    CDsFigureGenerator::SetToCurrent(&generator);
    CDsFigureGenerator::ItDrawTriangles(triangles, 2, true);
    CDsFigureGenerator::SetToCurrent(nullptr);
}

// White squares filled by one entry point, each placed by the generator's transformation at one
// of `shifts`, with a polyline outline of half side 8 about the first.
class CPlacedFillFigure : public CDsFigure {
public:
    CPlacedFillFigure(EFill fill, std::vector<SPAvector> shifts, bool outline)
        : m_fill(fill), m_shifts(std::move(shifts)), m_outline(outline)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        for (size_t i = 0; i < m_shifts.size(); ++i) {
            generator.SetTransformation(CGmTransformation(translate_transf(m_shifts[i])));
            if (i == 0 && m_outline) {
                const CGmPosition outline[5] = {CGmPosition(-8, -8, 0), CGmPosition(8, -8, 0), CGmPosition(8, 8, 0),
                                                CGmPosition(-8, 8, 0), CGmPosition(-8, -8, 0)};
                generator.DrawPolyline(5, outline);
            }
            DrawFill(generator, m_fill, 6.0f);
        }
        return 1;
    }

private:
    EFill m_fill;
    std::vector<SPAvector> m_shifts;
    bool m_outline;
};

}  // namespace

// The fills of the static entry points under the generator's transformation (+100 x, +10 z): a
// frame and a figure drawn straight onto the view both draw each fill once, where the outline
// placed by the same transformation is, and nowhere else.
TEST_F(PlacedFigureLeavesGLTest, FillsOfTheStaticEntryPointsAreDrawnOnceInPlaceInAFrameAndOnTheView)
{
    const SPAposition unplaced(0, 0, 0), placed = unplaced + kShift, twice = placed + kShift;
    for (const EFill fill : {EFill::ePolyLine, EFill::eTriangles}) {
        SCOPED_TRACE(fill == EFill::ePolyLine ? "ItDrawPolyLine" : "ItDrawTriangles");
        {
            CPlacedFillFigure figure(fill, {kShift}, true);
            figure.Record(true, &host_->View());
            ASSERT_TRUE(figure.IsRecorded());
            const vyrtest::Picture frame = host_->WholeFrame();
            EXPECT_GT(LitAbout(frame, placed, 5), 100);  // the fill, 12 x 12
            EXPECT_EQ(LitAbout(frame, unplaced, 9), 0);
            // Picked where it is drawn, by point and by region.
            EXPECT_EQ(PickedAt(placed + SPAvector(2, 2, 0)), host_->PathOf(figure));
            EXPECT_EQ(PickedAt(unplaced + SPAvector(2, 2, 0)), CVyrObjectPath());
            EXPECT_FALSE(Holds(RegionAbout(unplaced, 10), host_->PathOf(figure)));
            figure.Remove(&host_->View());
        }
        {
            // Seen about x = 100, so that the place at twice the shift is in the window too.
            host_->Look(ViewSetup().Eye(SPAposition(100, 0, 200)).Target(SPAposition(100, 0, 0)).Field(kWide, kHigh).Clip(1, 400));
            host_->WholeFrame();
            CPlacedFillFigure figure(fill, {kShift}, true);
            figure.DrawOnView(&host_->View(), eDsDrawModeNormal);
            const vyrtest::Picture preview = host_->Front();
            EXPECT_GT(LitAbout(preview, placed, 5), 100);
            EXPECT_EQ(LitAbout(preview, unplaced, 9), 0);
            EXPECT_EQ(LitAbout(preview, twice, 9), 0);
            figure.Erase(&host_->View());
            Camera();
        }
    }
}

// A figure made of fills alone, placed at x 80 and 120: the scene's box holds both, and a frame
// fitted to it shows both.
TEST_F(PlacedFigureLeavesGLTest, AFigureOfFillsAloneAnswersTheBoxOfWhereTheyAreDrawn)
{
    for (const EFill fill : {EFill::ePolyLine, EFill::eTriangles}) {
        SCOPED_TRACE(fill == EFill::ePolyLine ? "ItDrawPolyLine" : "ItDrawTriangles");
        Camera();
        CPlacedFillFigure figure(fill, {SPAvector(80, 0, 0), SPAvector(120, 0, 0)}, false);
        figure.Record(true, &host_->View());
        ASSERT_TRUE(figure.IsRecorded());
        const SPAbox box = host_->Box();
        EXPECT_NEAR(box.low().x(), 74, 1e-3);
        EXPECT_NEAR(box.high().x(), 126, 1e-3);
        EXPECT_NEAR(box.low().y(), -6, 1e-3);
        EXPECT_NEAR(box.high().y(), 6, 1e-3);
        host_->View().ZoomAll(0.8f);
        const vyrtest::Picture fitted = host_->WholeFrame();
        EXPECT_GT(LitAbout(fitted, SPAposition(80, 0, 0), 4), 20);
        EXPECT_GT(LitAbout(fitted, SPAposition(120, 0, 0), 4), 20);
        figure.Remove(&host_->View());
    }
}
