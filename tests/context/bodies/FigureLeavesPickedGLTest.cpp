// Figures made of shaded leaves (STL meshes, recorded triangles and quads, triangle strips,
// triangle sets) shown in front of, behind or beside a block the host shows: the single pick finds
// each leaf where it is drawn on both of its roads (selection and ray) and answers a point on the
// leaf, the visible-only region pick finds the leaves that are seen and not those hidden, and an
// STL mesh drawn as lines is picked on its lines. A figure of hundreds of small leaves is picked
// leaf by leaf, and hides the block's edge from a snap only under its leaves. A figure whose leaves
// crowd the cursor is picked where the window shows it on both roads, and its selection sends no
// leaf's colour.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlSeam.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaValues.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

constexpr int kWide = 200, kHigh = 100;

// The leaf kinds a flat square can be made of.
enum class ELeaf { eStl, eRecordedTriangles, eTriangulation, eStrip, eQuads, eTriangleSet, eTrianglesFill, ePolyLineFill };
constexpr ELeaf kLeaves[] = {ELeaf::eStl,         ELeaf::eRecordedTriangles, ELeaf::eTriangulation,
                             ELeaf::eStrip,       ELeaf::eQuads,             ELeaf::eTriangleSet,
                             ELeaf::eTrianglesFill, ELeaf::ePolyLineFill};
const char* Name(ELeaf leaf)
{
    switch (leaf) {
    case ELeaf::eStl: return "STL mesh";
    case ELeaf::eRecordedTriangles: return "recorded triangles";
    case ELeaf::eTriangulation: return "recorded triangulation";
    case ELeaf::eStrip: return "triangle strip";
    case ELeaf::eQuads: return "quads";
    case ELeaf::eTriangleSet: return "triangle set";
    case ELeaf::eTrianglesFill: return "2-D triangles";
    case ELeaf::ePolyLineFill: return "2-D polygon";
    }
    return "";
}

// A white square of half side `half` about the origin in the plane z = 0, made of one kind of
// leaf and placed by the generator's transformation at `centre`.
class CSquareFigure : public CDsFigure {
public:
    CSquareFigure(ELeaf leaf, const SPAposition& centre, double half) : m_leaf(leaf), m_centre(centre), m_half(half) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        generator.SetTransformation(CGmTransformation(translate_transf(m_centre - SPAposition(0, 0, 0))));
        const double h = m_half;
        const float f = static_cast<float>(h);
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
        case ELeaf::eTriangulation:
        case ELeaf::eTriangleSet: {
            ZOVOvivavUrezezovovaza set;
            const int a = set.AddVertex({-f, -f, 0}), b = set.AddVertex({f, -f, 0}), c = set.AddVertex({f, f, 0}),
                      d = set.AddVertex({-f, f, 0});
            set.AddTriangle(a, b, c);
            set.AddTriangle(a, c, d);
            if (m_leaf == ELeaf::eTriangleSet)
                generator.DrawTrigs(set, nullptr, true);
            else
                generator.DrawTriangles(set);
            break;
        }
        case ELeaf::eStrip: {
            const double rows[12] = {-h, -h, 0, h, -h, 0, -h, h, 0, h, h, 0};
            generator.DrawTriangles(2, 2, rows, nullptr);
            break;
        }
        case ELeaf::eQuads: {
            // Three rows of three points: four quads.
            double grid[27];
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) {
                    grid[3 * (3 * i + j)] = -h + h * j;
                    grid[3 * (3 * i + j) + 1] = -h + h * i;
                    grid[3 * (3 * i + j) + 2] = 0;
                }
            generator.DrawQuads(3, 3, grid, nullptr);
            generator.EndPolygons();
            break;
        }
        case ELeaf::eTrianglesFill: {
            // Two triangles through the generator's static entry point.
            float triangles[18] = {-f, -f, 0, f, -f, 0, f, f, 0, -f, -f, 0, f, f, 0, -f, f, 0};
            CDsFigureGenerator::SetToCurrent(&generator);
            CDsFigureGenerator::ItDrawTriangles(triangles, 2, true);
            CDsFigureGenerator::SetToCurrent(nullptr);
            break;
        }
        case ELeaf::ePolyLineFill: {
            // One filled polygon of four corners.
            float corners[12] = {-f, -f, 0, f, -f, 0, f, f, 0, -f, f, 0};
            CDsFigureGenerator::ItDrawPolyLine(&generator, 4, corners, true);
            break;
        }
        }
        return 1;
    }

private:
    ELeaf m_leaf;
    SPAposition m_centre;
    double m_half;
};

// `columns` x `rows` white squares of half side 1 in the plane z = `z`, square (i, j) about
// Centre(i, j): filled 2-D polygons or recorded triangles, each a leaf of its own.
class CGridFigure : public CDsFigure {
public:
    static constexpr double kPitch = 4, kHalf = 1;
    CGridFigure(ELeaf leaf, int columns, int rows, double z) : m_leaf(leaf), m_columns(columns), m_rows(rows), m_z(z) {}
    // Over the block for the middle square (15, 10), at (30, 36); row 11 runs along y = 40.
    static SPAposition Centre(int i, int j, double z) { return SPAposition(kPitch * i - 30, kPitch * j - 4, z); }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        for (int j = 0; j < m_rows; ++j)
            for (int i = 0; i < m_columns; ++i) {
                const SPAposition c = Centre(i, j, m_z);
                const double x0 = c.x() - kHalf, x1 = c.x() + kHalf, y0 = c.y() - kHalf, y1 = c.y() + kHalf, z = c.z();
                if (m_leaf == ELeaf::ePolyLineFill) {
                    float corners[12] = {float(x0), float(y0), float(z), float(x1), float(y0), float(z),
                                         float(x1), float(y1), float(z), float(x0), float(y1), float(z)};
                    CDsFigureGenerator::ItDrawPolyLine(&generator, 4, corners, true);
                } else {
                    const double points[18] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y0, z, x1, y1, z, x0, y1, z};
                    generator.DrawTriangles(2, points, nullptr);
                }
            }
        return 1;
    }

private:
    ELeaf m_leaf;
    int m_columns, m_rows;
    double m_z;
};

// `columns` x `rows` white squares of side 0.25 at a pitch of 0.625 from (x0, y0), in the plane
// z = 30, each a filled 2-D polygon of its own: at one unit a pixel some 64 leaves lie in the pick
// window about every pixel over them. With x0 and y0 a twentieth past whole units no pixel's centre
// lies on a leaf's side: of every eight leaves along either axis the third and the eighth cover
// one, the others none.
class CCrowdedFigure : public CDsFigure {
public:
    static constexpr double kPitch = 0.625, kSide = 0.25, kZ = 30;
    CCrowdedFigure(int columns, int rows, double x0, double y0) : m_columns(columns), m_rows(rows), m_x0(x0), m_y0(y0)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        for (int j = 0; j < m_rows; ++j)
            for (int i = 0; i < m_columns; ++i) {
                const float x0 = float(m_x0 + kPitch * i), y0 = float(m_y0 + kPitch * j), x1 = x0 + float(kSide),
                            y1 = y0 + float(kSide), z = float(kZ);
                float corners[12] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z};
                CDsFigureGenerator::ItDrawPolyLine(&generator, 4, corners, true);
            }
        return 1;
    }

private:
    int m_columns, m_rows;
    double m_x0, m_y0;
};

// Counts the material and light-model calls that reach OpenGL while it selects or takes feedback,
// for its life.
class CSelectionMaterialCounter {
public:
    CSelectionMaterialCounter() : m_scope(Table()) { sCount = 0; }
    static int Count() { return sCount; }

private:
    static bool Picking()
    {
        GLint mode = GL_RENDER;
        glGetIntegerv(GL_RENDER_MODE, &mode);
        return mode != GL_RENDER;
    }
    static const SDsGlSeam& Table()
    {
        static SDsGlSeam table = [] {
            SDsGlSeam t = DsRealGlSeam();
            t.Materialfv = [](GLenum face, GLenum name, const GLfloat* values) {
                sCount += Picking();
                DsRealGlSeam().Materialfv(face, name, values);
            };
            t.Materialf = [](GLenum face, GLenum name, GLfloat value) {
                sCount += Picking();
                DsRealGlSeam().Materialf(face, name, value);
            };
            t.LightModeli = [](GLenum name, GLint value) {
                sCount += Picking();
                DsRealGlSeam().LightModeli(name, value);
            };
            return t;
        }();
        return table;
    }
    static inline int sCount = 0;
    SDsGlSeamScope m_scope;
};

// The triangles of the test sphere of radius `r` about `centre`.
std::vector<CVyrTriangle> SphereTriangles(double r, const SPAposition& centre)
{
    CVyrStlData* sphere = vyrtest::StlSphere(r);
    std::vector<CVyrTriangle> triangles;
    const SPAvector by = centre - SPAposition(0, 0, 0);
    for (const CVyrTriangle* t = sphere->GetFirstTriangle(); t; t = sphere->GetNextTriangle()) {
        const SPAposition* p = t->GetPosVec();
        triangles.emplace_back(p[0] + by, p[1] + by, p[2] + by);
    }
    sphere->decRC();
    return triangles;
}

// A white STL sphere of radius `r` about `centre`: a mesh about the origin placed by the STL
// call's transformation, or a mesh made about the centre itself.
class CSphereFigure : public CDsFigure {
public:
    CSphereFigure(double r, const SPAposition& centre, bool placedByTransformation)
        : m_r(r), m_centre(centre), m_placed(placedByTransformation)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        CVyrStlData* mesh = nullptr;
        SPAtransf placement;
        if (m_placed) {
            mesh = vyrtest::StlSphere(m_r);
            placement = translate_transf(m_centre - SPAposition(0, 0, 0));
        } else {
            mesh = new CVyrStlData;
            for (const CVyrTriangle& t : SphereTriangles(m_r, m_centre)) mesh->AddTriangle(t);
        }
        generator.DrawTrianglesStl(placement, mesh);
        mesh->decRC();
        return 1;
    }

private:
    double m_r;
    SPAposition m_centre;
    bool m_placed;
};

// The highest z at which the vertical line through (x, y) meets one of `triangles`; false when it
// meets none.
bool TopOfMesh(const std::vector<CVyrTriangle>& triangles, double x, double y, double& top)
{
    bool met = false;
    for (const CVyrTriangle& t : triangles) {
        const SPAposition* p = t.GetPosVec();
        const double d = (p[1].x() - p[0].x()) * (p[2].y() - p[0].y()) - (p[2].x() - p[0].x()) * (p[1].y() - p[0].y());
        if (std::fabs(d) < 1e-12) continue;  // seen edge-on
        const double u = ((x - p[0].x()) * (p[2].y() - p[0].y()) - (p[2].x() - p[0].x()) * (y - p[0].y())) / d;
        const double v = ((p[1].x() - p[0].x()) * (y - p[0].y()) - (x - p[0].x()) * (p[1].y() - p[0].y())) / d;
        if (u < -1e-9 || v < -1e-9 || u + v > 1 + 1e-9) continue;
        const double z = p[0].z() + u * (p[1].z() - p[0].z()) + v * (p[2].z() - p[0].z());
        if (!met || z > top) top = z;
        met = true;
    }
    return met;
}

class FigureLeavesPickedGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = std::make_unique<Host>(kWide, kHigh);
        // Looking down -z at (60, 20, 0), one unit a pixel.
        host_->Look(
            ViewSetup().Eye(SPAposition(60, 20, 200)).Target(SPAposition(60, 20, 0)).Field(kWide, kHigh).Clip(1, 400));
        block_ = host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(60, 40, 20));
        ASSERT_NE(block_, nullptr);
    }
    // The single pick at pixel (x, y) (rows down) among bodies and figures.
    CDsPickedItem PickPixel(int x, int y, bool byRay)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
        return host_->Pick(x, y, &domain, nullptr, byRay);
    }
    CDsPickedItem PickAt(const SPAposition& p, bool byRay)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        return PickPixel(x, y, byRay);
    }
    static CVyrObjectPath PathOf(const CDsPickedItem& picked)
    {
        return picked.IsValid() ? picked.GetObjectPath() : CVyrObjectPath();
    }
    // What the region pick finds among figures over the square of half side `half` about `centre`.
    std::vector<CVyrObjectPath> RegionAbout(const SPAposition& centre, double half)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
        return host_->RegionAround(centre - SPAvector(half, half, 0), centre + SPAvector(half, half, 0), 0, &domain);
    }
    static bool Holds(const std::vector<CVyrObjectPath>& paths, const CVyrObjectPath& path)
    {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    }

    BODY* block_ = nullptr;
};

const char* Road(bool byRay)
{
    return byRay ? "by the pick ray" : "by selection";
}

}  // namespace

// Each leaf kind, placed by the generator's transformation above the block's top: a pick on it
// answers the leaf (not the block behind it) at a point of the leaf, a pick beside it the block;
// seen by a parallel eye, and by a perspective eye, whose pick rays start where it stands.
TEST_F(FigureLeavesPickedGLTest, EveryShadedLeafInFrontOfTheBlockIsPickedOnBothRoads)
{
    const SPAposition centre(30, 20, 30);
    for (const bool perspective : {false, true}) {
        SCOPED_TRACE(perspective ? "perspective" : "parallel");
        host_->Look(ViewSetup()
                        .Eye(SPAposition(60, 20, 200))
                        .Target(SPAposition(60, 20, 0))
                        .Field(kWide, kHigh)
                        .Clip(1, 400)
                        .Perspective(perspective));
        for (const ELeaf leaf : kLeaves) {
            SCOPED_TRACE(Name(leaf));
            CSquareFigure square(leaf, centre, 8);
            square.Record(true, &host_->View());
            ASSERT_TRUE(square.IsRecorded());
            host_->WholeFrame();
            for (const bool byRay : {false, true}) {
                SCOPED_TRACE(Road(byRay));
                const SPAposition aim = centre + SPAvector(2, 3, 0);
                int x = 0, y = 0;
                ASSERT_TRUE(host_->PixelOf(aim, x, y));
                const CDsPickedItem onSquare = PickPixel(x, y, byRay);
                EXPECT_EQ(PathOf(onSquare), host_->PathOf(square));
                if (onSquare.IsValid()) {
                    // Where the cursor's ray meets it: within a pixel of the aim, on the square.
                    const double pixel = perspective ? 1.5 : 0.5;
                    EXPECT_NEAR(onSquare.GetPickedPosition()->x(), aim.x(), pixel);
                    EXPECT_NEAR(onSquare.GetPickedPosition()->y(), aim.y(), pixel);
                    EXPECT_NEAR(onSquare.GetPickedPosition()->z(), centre.z(), 1e-3);
                }
                EXPECT_EQ(PathOf(PickAt(SPAposition(50, 32, 20), byRay)), host_->PathOf(block_));
            }
        }
    }
}

// An STL sphere in front of the block, its mesh placed by the STL call's transformation or made
// where it shows: at every pixel it covers, both roads answer the sphere at the point where the
// pixel's ray first meets its mesh (at its outline, a point of the mesh there).
TEST_F(FigureLeavesPickedGLTest, AnStlSphereInFrontOfTheBlockIsPickedOnItsMeshAtEveryPixel)
{
    constexpr double r = 10;
    const SPAposition centre(30, 20, 40);
    const std::vector<CVyrTriangle> mesh = SphereTriangles(r, centre);
    for (const bool placed : {true, false}) {
        SCOPED_TRACE(placed ? "placed by its transformation" : "made in place");
        CSphereFigure sphere(r, centre, placed);
        sphere.Record(true, &host_->View());
        ASSERT_TRUE(sphere.IsRecorded());
        host_->WholeFrame();
        int cx = 0, cy = 0;
        ASSERT_TRUE(host_->PixelOf(centre, cx, cy));
        for (const bool byRay : {false, true}) {
            SCOPED_TRACE(Road(byRay));
            int picked = 0, offMesh = 0, missed = 0;
            for (int y = cy - 12; y <= cy + 12; ++y)
                for (int x = cx - 12; x <= cx + 12; ++x) {
                    const CDsPickedItem item = PickPixel(x, y, byRay);
                    const double across = std::hypot(x - cx, y - cy);
                    if (PathOf(item) != host_->PathOf(sphere)) {
                        missed += across < r - 1.5;
                        continue;
                    }
                    ++picked;
                    const SPAposition p(item.GetPickedPosition()->x(), item.GetPickedPosition()->y(),
                                        item.GetPickedPosition()->z());
                    // The view looks down -z: a point meets its ray's first face when it is the
                    // mesh's top along its vertical; else it lies on the outline.
                    double top = 0;
                    const bool onMesh = TopOfMesh(mesh, p.x(), p.y(), top)
                                            ? std::fabs(p.z() - top) < 0.02
                                            : std::fabs((p - centre).len() - r) < 0.6;
                    // Well inside the outline, the pixel's own ray meets the mesh: the point
                    // projects into the pixel picked.
                    int px = 0, py = 0;
                    const bool inPixel = across > r - 1.5 || (host_->PixelOf(p, px, py) && std::abs(px - x) <= 1 &&
                                                              std::abs(py - y) <= 1);
                    offMesh += !(inPixel && onMesh);
                }
            EXPECT_GT(picked, 250);
            EXPECT_EQ(missed, 0);
            EXPECT_EQ(offMesh, 0);
        }
    }
}

// The visible-only region pick finds a leaf shown in front of the block, and not the same leaf
// hidden under the block's top; the default region pick finds both.
TEST_F(FigureLeavesPickedGLTest, TheVisibleOnlyRegionPickFindsTheLeavesSeenAndNotThoseHidden)
{
    CDsPickProccessor* picks = host_->Context().GetPickProccessor();
    const SPAposition front(30, 20, 30), hidden(30, 20, 10), beside(120, 20, 0);
    for (const ELeaf leaf : kLeaves) {
        SCOPED_TRACE(Name(leaf));
        CSquareFigure seen(leaf, front, 6), covered(leaf, hidden, 12), apart(leaf, beside, 8);
        for (CSquareFigure* figure : {&seen, &covered, &apart}) {
            figure->Record(true, &host_->View());
            ASSERT_TRUE(figure->IsRecorded());
        }
        host_->WholeFrame();
        for (const bool visibleOnly : {false, true}) {
            SCOPED_TRACE(visibleOnly ? "visible only" : "by box");
            picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
            const std::vector<CVyrObjectPath> middle = RegionAbout(front, 14);
            EXPECT_TRUE(Holds(middle, host_->PathOf(seen)));
            EXPECT_EQ(Holds(middle, host_->PathOf(covered)), !visibleOnly);
            EXPECT_TRUE(Holds(RegionAbout(beside, 10), host_->PathOf(apart)));
        }
        picks->SetSelectionMode(eDsSelectionByBoxDefault);
    }
}

// An STL square beside the block, drawn as lines in the wireframe and both hidden-line modes, is
// picked on a pixel of its lower edge (far from its other lines) on both roads, at a point of
// that edge.
TEST_F(FigureLeavesPickedGLTest, AnStlMeshDrawnAsLinesIsPickedOnItsLines)
{
    const SPAposition centre(120, 20, 0);
    constexpr double half = 14;
    CSquareFigure square(ELeaf::eStl, centre, half);
    square.Record(true, &host_->View());
    ASSERT_TRUE(square.IsRecorded());
    const SPAposition onEdge = centre + SPAvector(0, -half, 0);
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(onEdge, x, y));
    for (const ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines}) {
        SCOPED_TRACE(mode == eRenderWireframe ? "wireframe" : mode == eRenderHiddenLines ? "hidden lines"
                                                                                          : "partial hidden lines");
        host_->View().SetRenderMode(mode);
        const vyrtest::Picture frame = host_->WholeFrame();
        ASSERT_TRUE(frame.LitNear(x, kHigh - 1 - y, 1));
        ASSERT_FALSE(frame.Lit(x, kHigh - 1 - y + 4));  // inside the square: no line there
        for (const bool byRay : {false, true}) {
            SCOPED_TRACE(Road(byRay));
            const CDsPickedItem picked = PickPixel(x, y, byRay);
            EXPECT_EQ(PathOf(picked), host_->PathOf(square));
            if (!picked.IsValid()) continue;
            const CGmPosition& p = *picked.GetPickedPosition();
            EXPECT_NEAR(p.x(), onEdge.x(), 1.5);
            EXPECT_NEAR(p.y(), onEdge.y(), 1.5);
            EXPECT_NEAR(p.z(), onEdge.z(), 1e-3);
        }
    }
}

// A figure of 630 small leaves in front of the block, seen at eight pixels a unit, 16 pixels
// between them: on both roads a pick at the middle leaf answers the figure at a point of that leaf,
// and a pick in the gap beside it the block behind; the nearest-point snap offers the block's top
// edge where it shows in a gap, nothing under a leaf's middle, and near a leaf's side the point
// just beside it.
TEST_F(FigureLeavesPickedGLTest, AFigureOfManyLeavesIsPickedAndSnappedLeafByLeaf)
{
    constexpr double kUnitsPerPixel = 1.0 / 8;
    host_->Look(ViewSetup()
                    .Eye(SPAposition(30, 38, 200))
                    .Target(SPAposition(30, 38, 0))
                    .Field(kWide * kUnitsPerPixel, kHigh * kUnitsPerPixel)
                    .Clip(1, 400));
    for (const ELeaf leaf : {ELeaf::ePolyLineFill, ELeaf::eRecordedTriangles}) {
        SCOPED_TRACE(Name(leaf));
        CGridFigure grid(leaf, 30, 21, 30);
        grid.Record(true, &host_->View());
        ASSERT_TRUE(grid.IsRecorded());
        host_->WholeFrame();
        const SPAposition middle = CGridFigure::Centre(15, 10, 30);
        const SPAposition gap = middle + SPAvector(CGridFigure::kPitch / 2, 0, -10);  // on the block's top
        for (const bool byRay : {false, true}) {
            SCOPED_TRACE(Road(byRay));
            const CDsPickedItem onLeaf = PickAt(middle + SPAvector(0.3, -0.2, 0), byRay);
            EXPECT_EQ(PathOf(onLeaf), host_->PathOf(grid));
            if (onLeaf.IsValid()) {
                const CGmPosition& p = *onLeaf.GetPickedPosition();
                EXPECT_LE(std::fabs(p.x() - middle.x()), CGridFigure::kHalf + 0.01);
                EXPECT_LE(std::fabs(p.y() - middle.y()), CGridFigure::kHalf + 0.01);
                EXPECT_NEAR(p.z(), middle.z(), 1e-3);
            }
            EXPECT_EQ(PathOf(PickAt(gap, byRay)), host_->PathOf(block_));
        }

        // The block's top edge along y = 40 runs under row 11: leaf (15, 11) covers x from 29 to 31.
        const SPAposition underLeaf(30, 40, 20), inGap(32, 40, 20);
        ASSERT_EQ((CGridFigure::Centre(15, 11, 20) - underLeaf).len(), 0.0);
        std::unique_ptr<CDsRefPoint> snapped = host_->SnapAt(inGap, {267});
        ASSERT_NE(snapped, nullptr);
        SPAposition at(CDsRefPoint::sLastPosition);
        EXPECT_LT((at - inGap).len(), kUnitsPerPixel);
        // Under the leaf's middle no point within the snap's reach shows; near its side, the point
        // just beside it.
        EXPECT_EQ(host_->SnapAt(underLeaf, {267}), nullptr);
        snapped = host_->SnapAt(underLeaf + SPAvector(CGridFigure::kHalf - 2 * kUnitsPerPixel, 0, 0), {267});
        ASSERT_NE(snapped, nullptr);
        at = SPAposition(CDsRefPoint::sLastPosition);
        EXPECT_NEAR(at.y(), 40, 1e-3);
        EXPECT_NEAR(at.z(), 20, 1e-3);
        EXPECT_GE(at.x(), underLeaf.x() + CGridFigure::kHalf - 0.01);
        EXPECT_LE(at.x(), underLeaf.x() + CGridFigure::kHalf + kUnitsPerPixel);
        grid.Remove(&host_->View());
    }
}

// A figure whose leaves crowd the cursor, over the block and beside it: where a leaf covers a
// pixel's centre the window shows it, and both roads answer the figure at the same point of that
// leaf with the same other candidates; in the gaps between the leaves the selection road answers
// the figure at a point that the window shows within the pick window.
TEST_F(FigureLeavesPickedGLTest, AFigureWhoseLeavesCrowdTheCursorIsPickedWhereTheWindowShowsIt)
{
    // Over x from 50 to 90 and y from 30 to 45: the block's corner (60, 40) lies under it.
    CCrowdedFigure crowd(64, 24, 50.05, 30.05);
    crowd.Record(true, &host_->View());
    ASSERT_TRUE(crowd.IsRecorded());
    const vyrtest::Picture frame = host_->WholeFrame();
    const CVyrObjectPath figure = host_->PathOf(crowd);
    const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
    auto others = [](const CDsPickedItemList& list) {
        std::vector<CVyrObjectPath> paths;
        for (const CDsPickedItem* item : list.GetItems()) paths.push_back(item->GetObjectPath());
        return paths;
    };
    int shown = 0, gaps = 0;
    // Pixels over the block (x 92 to 96) and beside it (x 125 to 129), rows down 35 to 38.
    for (const int x0 : {92, 125})
        for (int y = 35; y <= 38; ++y)
            for (int x = x0; x < x0 + 5; ++x) {
                SCOPED_TRACE(::testing::Message() << "pixel " << x << ", " << y);
                const double mx = x + 0.5 - 40, my = 70 - (y + 0.5);  // the pixel's centre in the model
                const auto onLeaf = [](double v) {
                    const double f = std::fmod(v - 0.05, CCrowdedFigure::kPitch);
                    return f > 0 && f < CCrowdedFigure::kSide;
                };
                const bool covered = onLeaf(mx) && onLeaf(my);
                const vyrtest::Rgb colour = frame.ColorAt(x, kHigh - 1 - y);
                EXPECT_EQ(colour.b > 150, covered) << colour;  // white leaf; black or orange around
                CDsPickedItemList selectedOthers, rayOthers;
                const CDsPickedItem selected = host_->Pick(x, y, &domain, &selectedOthers, false);
                const CDsPickedItem ray = host_->Pick(x, y, &domain, &rayOthers, true);
                ASSERT_EQ(PathOf(selected), figure);
                const CGmPosition& p = *selected.GetPickedPosition();
                EXPECT_NEAR(p.z(), CCrowdedFigure::kZ, 1e-3);
                if (covered) {
                    ++shown;
                    ASSERT_EQ(PathOf(ray), figure);
                    const CGmPosition& q = *ray.GetPickedPosition();
                    EXPECT_NEAR(p.x(), mx, 1e-3);
                    EXPECT_NEAR(p.y(), my, 1e-3);
                    EXPECT_EQ(p.x(), q.x());
                    EXPECT_EQ(p.y(), q.y());
                    EXPECT_EQ(p.z(), q.z());
                    EXPECT_EQ(others(selectedOthers), others(rayOthers));
                    continue;
                }
                ++gaps;
                int px = 0, py = 0;
                ASSERT_TRUE(host_->PixelOf(SPAposition(p.x(), p.y(), p.z()), px, py));
                EXPECT_LE(std::abs(px - x), 2);
                EXPECT_LE(std::abs(py - y), 2);
                EXPECT_GT(frame.ColorAt(px, kHigh - 1 - py).b, 150);
            }
    EXPECT_GT(shown, 0);
    EXPECT_GT(gaps, 0);
    crowd.Remove(&host_->View());
}

// The selection and the feedback of a pick record no colour: a pick in a gap of a crowded figure
// sends OpenGL no material for its leaves while it selects, whether the figure holds 800 leaves or
// four times as many (a leaf's colour sent and put back made OpenGL select each leaf as a draw of
// its own, at the cost of a whole selection each).
TEST_F(FigureLeavesPickedGLTest, APickSendsNoLeafColourWhileItSelects)
{
    const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
    std::vector<int> counts;
    for (const int scale : {1, 2}) {
        CCrowdedFigure crowd(40 * scale, 20 * scale, 70.05, 30.05);
        crowd.Record(true, &host_->View());
        ASSERT_TRUE(crowd.IsRecorded());
        host_->WholeFrame();
        CSelectionMaterialCounter counter;
        // Model (75.5, 37.5), between the leaves: the selection finds them, the ray none.
        EXPECT_EQ(PathOf(host_->Pick(115, 32, &domain, nullptr, false)), host_->PathOf(crowd));
        counts.push_back(CSelectionMaterialCounter::Count());
        crowd.Remove(&host_->View());
    }
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(counts[1], 0);
}
