// The pens of recorded figures as a host sees them in its frames (the front buffer read back): every
// drawing operation of the figure generator gives its item the pen's colour, and a toolpath in a
// special set (highlighted, marked, dimmed) is drawn wholly in that set, as a polyline is.
#include "DsAttributesPalette.h"
#include "DsBasicSurface.h"
#include "DsEllipseStorage.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsItemPointFixed.h"
#include "DsItemToolpathPolyline.h"
#include "DsManager.h"
#include "DsNFontStorage.h"
#include "DsPolyline.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "UiCharFormat.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

using Define = std::function<void(CDsFigureGenerator&)>;

// A figure drawn by `define` after the pen is given `pen` (none: the pen inherits).
class CPenFigure : public CDsFigure {
public:
    CPenFigure(const CDsColorStorage* pen, Define define) : m_define(std::move(define))
    {
        if (pen) m_pen = *pen;
        m_hasPen = pen != nullptr;
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        if (m_hasPen) generator.SetPenColor(m_pen);
        m_define(generator);
        return 1;
    }

private:
    CDsColorStorage m_pen;
    bool m_hasPen = false;
    Define m_define;
};

// Whether `c` shows the hue of the pure colour `pen` (each channel 0 or 255): the pen's channels
// lit, the others well below them (faces may be shaded darker).
bool PenHue(const unsigned char* c, const unsigned char pen[3])
{
    int low = 255;
    for (int k = 0; k < 3; ++k)
        if (pen[k]) low = std::min(low, int(c[k]));
    if (low <= 40) return false;
    for (int k = 0; k < 3; ++k)
        if (!pen[k] && int(c[k]) + 30 >= low) return false;
    return true;
}

// Pixels of the pen's hue, the corner of the view's reference triad (upper right) left out.
int PenPixels(const Picture& picture, const unsigned char pen[3])
{
    int count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (!(x >= 70 && y >= 70)) count += PenHue(picture.At(x, y), pen) ? 1 : 0;
    return count;
}

// The dynamic-ellipse switch set for the scope of one operation.
class DynamicEllipses {
public:
    DynamicEllipses() : m_saved(CDsEllipseStorage::StGetDynamicEllipses())
    {
        CDsEllipseStorage::StSetDynamicEllipses(true);
    }
    ~DynamicEllipses() { CDsEllipseStorage::StSetDynamicEllipses(m_saved); }

private:
    bool m_saved;
};

// The generator of the static entry points for the scope of one operation.
class CurrentGenerator {
public:
    explicit CurrentGenerator(CDsFigureGenerator& generator) { CDsFigureGenerator::SetToCurrent(&generator); }
    ~CurrentGenerator() { CDsFigureGenerator::SetToCurrent(nullptr); }
};

// One triangle about the origin, 40 units wide (doubles, then floats).
const double kTriangle[9] = {-20, -20, 0, 20, -20, 0, 0, 20, 0};
ZOVOvivavUrezezovovaza Triangulation()
{
    ZOVOvivavUrezezovovaza set;
    const int a = set.AddVertex(VOREvu3v<float>(-20, -20, 0)), b = set.AddVertex(VOREvu3v<float>(20, -20, 0)),
              c = set.AddVertex(VOREvu3v<float>(0, 20, 0));
    set.AddTriangle(a, b, c);
    return set;
}

// Nodes of the toolpath (and points of the polyline) at z = 0: (-30, -20) in palette entry 0, then
// (0, -20) and (30, 10) in entry 1.
constexpr float kNodes[3][3] = {{-30, -20, 0}, {0, -20, 1}, {30, 10, 1}};

class FigurePensGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // One unit a pixel, the model origin at pixel (50, 50).
        host_->Look(ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    }
    // The colour at the pixel of model point (x, y, 0), or at a lit pixel next to it: a line one
    // pixel wide may pass beside the pixel a point of it projects to.
    std::vector<unsigned char> ColourAt(const Picture& picture, double x, double y)
    {
        int px = 0, py = 0;
        EXPECT_TRUE(host_->PixelOf(SPAposition(x, y, 0), px, py));
        const int row = picture.height - 1 - py;
        for (int reach = 0; reach <= 1; ++reach)
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    if (picture.Lit(px + dx, row + dy)) {
                        const unsigned char* c = picture.At(px + dx, row + dy);
                        return {c[0], c[1], c[2]};
                    }
        return {0, 0, 0};
    }
    // The colours at a quarter, half and three quarters of each segment of the path.
    std::vector<std::vector<unsigned char>> PathColours(const Picture& picture)
    {
        std::vector<std::vector<unsigned char>> colours;
        for (int i = 0; i + 1 < 3; ++i)
            for (const double t : {0.25, 0.5, 0.75})
                colours.push_back(ColourAt(picture, kNodes[i][0] + t * (kNodes[i + 1][0] - kNodes[i][0]),
                                           kNodes[i][1] + t * (kNodes[i + 1][1] - kNodes[i][1])));
        return colours;
    }
};

// The toolpath through kNodes, or the polyline through the same points.
void DefinePath(CDsFigureGenerator& generator, bool toolpath)
{
    if (!toolpath) {
        std::vector<CGmPosition> points;
        for (const auto& node : kNodes) points.emplace_back(node[0], node[1], 0.0);
        generator.DrawPolyline(3, points.data());
        return;
    }
    generator.StartToolpath(1, nullptr);
    generator.StartToolpathBranch(2, 0.0f);
    for (int i = 0; i < 3; ++i)
        generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(
            CDsUid(10 + i), static_cast<unsigned char>(kNodes[i][2]), kNodes[i][0], kNodes[i][1], 0.0f));
    generator.EndToolpathBranch();
    generator.EndToolpath();
}

}  // namespace

// Toolpaths take their colours from palette entries, pictures and coloured icons from their own
// pixels: the other operations draw in the pen.
TEST_F(FigurePensGLTest, EveryDrawingOperationDrawsInThePenItWasGivenInAFrame)
{
    const CGmPosition line[2] = {CGmPosition(-30, -10, 0), CGmPosition(30, 10, 0)};
    const float pixels[6] = {30, 50, 70, 50, 70, 60};
    const float relative[4] = {0.2f, 0.2f, 0.6f, 0.4f};
    const CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    const std::vector<std::pair<const char*, Define>> operations = {
        {"DrawTo", [](CDsFigureGenerator& g) { g.MoveTo(CGmPosition(-30, 0, 0)); g.DrawTo(CGmPosition(30, 5, 0)); }},
        {"DrawPolyline", [&](CDsFigureGenerator& g) { g.DrawPolyline(2, line); }},
        {"DrawArc",
         [](CDsFigureGenerator& g) { g.DrawArc(CGmPosition(0, 0, 0), 20, CGmTransformation(), 0, 6.28, 0.1); }},
        {"DrawArc, dynamic", [](CDsFigureGenerator& g) {
             DynamicEllipses on;
             g.DrawArc(CGmPosition(0, 0, 0), 20, CGmTransformation(), 0, 6.28, 0.1);
         }},
        {"DrawElipse", [](CDsFigureGenerator& g) {
             g.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(30, 0, 0), 0.5, 0, 6.28, 0.1);
         }},
        {"DrawElipse, dynamic", [](CDsFigureGenerator& g) {
             DynamicEllipses on;
             g.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(30, 0, 0), 0.5, 0, 6.28, 0.1);
         }},
        {"StartGroup", [](CDsFigureGenerator& g) {
             g.StartGroup(false);
             g.MoveTo(CGmPosition(-30, 0, 0));
             g.DrawTo(CGmPosition(30, 5, 0));
             g.EndGroup();
         }},
        {"DrawPolyline2D", [&](CDsFigureGenerator& g) { g.DrawPolyline2D(3, pixels); }},
        {"DrawPolyline2DRelative", [&](CDsFigureGenerator& g) { g.DrawPolyline2DRelative(2, relative, false); }},
        {"DrawRectangle2D",
         [](CDsFigureGenerator& g) { g.DrawRectangle2D(CGmPosition(0, 0, 0), 30, 20, eAlignCenter); }},
        {"DrawPoint", [](CDsFigureGenerator& g) {
             g.DrawPoint(CGmPosition(0, 0, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
         }},
        {"AddSubFigure of a reference point", [](CDsFigureGenerator& g) {
             g.AddSubFigure(new CDsItemPointReference(50, 50, EPointStyle(3), 9));
         }},
        {"DrawBitmap", [](CDsFigureGenerator& g) {
             const std::vector<BYTE> bits(2 * 16, 0xFF);
             HBITMAP handle = CreateBitmap(16, 16, 1, 1, bits.data());
             const int index = CDsManager::GetInstance()->AddBitmap(handle);
             DeleteObject(handle);
             g.DrawBitmap(CGmPosition(0, 0, 0), index, eAlignCenter, false);
         }},
        {"DrawTriangles", [](CDsFigureGenerator& g) { g.DrawTriangles(1, kTriangle, nullptr); }},
        {"DrawTriangles, strips", [](CDsFigureGenerator& g) {
             const double grid[18] = {-20, -20, 0, 0, -20, 0, 20, -20, 0, -20, 20, 0, 0, 20, 0, 20, 20, 0};
             g.DrawTriangles(3, 2, grid, nullptr);
         }},
        {"DrawTriangles, triangulation", [](CDsFigureGenerator& g) { g.DrawTriangles(Triangulation()); }},
        {"DrawQuads", [](CDsFigureGenerator& g) {
             // Rows along y, so that the corners (i j), (i+1 j), (i+1 j+1) turn about +z, the given
             // normal.
             const double grid[12] = {-20, -20, 0, -20, 20, 0, 20, -20, 0, 20, 20, 0};
             const double normals[12] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
             g.DrawQuads(2, 2, grid, normals);
             g.EndPolygons();
         }},
        {"DrawQuads, computed normals", [](CDsFigureGenerator& g) {
             const double grid[12] = {-20, -20, 0, 20, -20, 0, -20, 20, 0, 20, 20, 0};
             g.DrawQuads(2, 2, grid, nullptr);
             g.EndPolygons();
         }},
        {"DrawTrigs", [](CDsFigureGenerator& g) { g.DrawTrigs(Triangulation(), nullptr, true); }},
        {"DrawTrianglesStl", [](CDsFigureGenerator& g) {
             auto* data = new CVyrStlData;
             data->AddTriangle(CVyrTriangle(SPAposition(-20, -20, 0), SPAposition(20, -20, 0), SPAposition(0, 20, 0)));
             g.DrawTrianglesStl(SPAtransf(), data);
             data->decRC();  // the item holds its own reference
         }},
        {"DrawBasicSurface", [](CDsFigureGenerator& g) {
             CDsSphere sphere(20.0f);
             g.DrawBasicSurface(&sphere, true);
         }},
        {"ItDrawTriangles", [](CDsFigureGenerator& g) {
             float points[9] = {-20, -20, 0, 20, -20, 0, 0, 20, 0};
             CurrentGenerator current(g);
             CDsFigureGenerator::ItDrawTriangles(points, 1, true);
         }},
        {"ItDrawPolyLine", [](CDsFigureGenerator& g) {
             float points[9] = {-20, -20, 0, 20, -20, 0, 0, 20, 0};
             CDsFigureGenerator::ItDrawPolyLine(&g, 3, points, true);
         }},
        {"DrawTextW, pixels", [](CDsFigureGenerator& g) {
             g.MoveTo(CGmPosition(-30, 0, 0));
             g.DrawTextW("HELLO", "", 24.0f, true);
         }},
        {"DrawTextW, model", [](CDsFigureGenerator& g) {
             g.MoveTo(CGmPosition(-30, 0, 0));
             g.DrawTextW("HELLO", "", 20.0f, false);
         }},
        {"DrawTextW, two lines", [](CDsFigureGenerator& g) {
             g.MoveTo(CGmPosition(-30, 0, 0));
             g.DrawTextW(CVyrString(L"HELLO\nWORLD"), CDsNFontStorage(), 20.0f, false);
         }},
        {"DrawTextVector", [](CDsFigureGenerator& g) {
             g.MoveTo(CGmPosition(-30, 0, 0));
             g.DrawTextVector(CVyrString(L"HELLO"), CDsNFontStorage(), SPAposition(), SPAvector(1, 0, 0), 24.0f, true);
         }},
        {"DrawText2D", [](CDsFigureGenerator& g) {
             g.MoveTo(CGmPosition(10, 40, 0));
             g.DrawText2D("HELLO", "", 24.0f);
         }},
        {"DrawText2DRelative", [](CDsFigureGenerator& g) {
             CDsNFontStorage font;
             font.SetHeight(24);
             g.DrawText2DRelative(CVyrString(L"HELLO"), font, 0.2f, 0.5f);
         }},
        {"a text block", [](CDsFigureGenerator& g) {
             g.StartTextBlock(CGmPosition(0, 0, 0), 0.0f, eDsTextBlockMiddleCenter);
             g.StartTextLine(eDsTextLineCenter);
             CUiCharFormat format;
             format.SetFaceName(L"Arial");
             format.SetHeight(400);
             g.AddTextItem(CVyrString(L"HELLO"), format);
             g.EndGroup();
             g.EndGroup();
         }},
        {"ItGtext", [](CDsFigureGenerator& g) {
             CurrentGenerator current(g);
             const float at[3] = {-30, 0, 0};
             CDsFigureGenerator::ItGtxloc(at, 20.0f, 0.0f, nullptr, nullptr);
             CDsFigureGenerator::ItGtext(5, "HELLO", nullptr);
         }},
        {"ItDtxCreateText", [](CDsFigureGenerator& g) {
             CurrentGenerator current(g);
             const float at[3] = {-30, 0, 0};
             CDsFigureGenerator::ItDtxCreateText(at, CDsNFontStorage(), L"HELLO", 5, nullptr, 20.0f, false);
         }},
        {"DrawUcs", [&](CDsFigureGenerator& g) { g.DrawUcs(CGmPosition(-20, -20, 0), 0, "XYZ", "O", axes, 3); }},
        {"a hidden-line segment", [](CDsFigureGenerator& g) {
             g.StartHlView(nullptr, true);
             CDsPolyline polyline;
             polyline.Add(SPAposition(-30, 0, 0));
             polyline.Add(SPAposition(30, 5, 0));
             g.AddHlSegment(nullptr, &polyline, eDsHlSegmentFirst);
         }},
    };
    // The flat faces facing the eye, lit as the triangle of DrawTriangles is lit: the pen's channel
    // in the middle of the triangle (model (0, -5)) as bright as that triangle's.
    const std::vector<std::string> flatFaces = {"DrawTriangles", "DrawTriangles, strips", "DrawTriangles, triangulation",
                                                "DrawQuads", "DrawQuads, computed normals", "DrawTrigs", "DrawTrianglesStl", "ItDrawTriangles",
                                                "ItDrawPolyLine"};
    const unsigned char red[3] = {255, 0, 0}, green[3] = {0, 255, 0};
    int lit[2] = {-1, -1};
    for (const auto& [name, define] : operations) {
        for (const unsigned char* pen : {red, green}) {
            SCOPED_TRACE(std::string(name) + (pen == red ? ", red pen" : ", green pen"));
            const CDsColorStorage color(pen[0], pen[1], pen[2]);
            CPenFigure figure(&color, define);
            figure.Record(true, &host_->View());
            ASSERT_TRUE(figure.IsRecorded());
            const Picture frame = host_->WholeFrame();
            EXPECT_GE(PenPixels(frame, pen), 10);
            EXPECT_EQ(PenPixels(frame, pen == red ? green : red), 0);
            if (std::find(flatFaces.begin(), flatFaces.end(), name) != flatFaces.end()) {
                const int channel = pen == red ? 0 : 1;
                const int shown = ColourAt(frame, 0, -5)[static_cast<size_t>(channel)];
                if (lit[channel] < 0) lit[channel] = shown;  // DrawTriangles, the first of them
                EXPECT_GT(shown, 150);
                EXPECT_NEAR(shown, lit[channel], 8);
            }
            figure.Remove(&host_->View());
        }
    }
}

// A toolpath whose nodes use two palette entries beside a polyline through the same points, both
// without a pen colour of their own: in a special set both show that set's colour along the whole
// path, in the highlight draw, in the frames that follow and under a highlight of the location.
TEST_F(FigurePensGLTest, AToolpathInASpecialSetIsDrawnWhollyInItsColourAsAPolylineIs)
{
    CDsAttributesPalette* palette = host_->Context().GetScene()->GetAttributesPalette();
    ASSERT_NE(palette, nullptr);
    CDsLineAttribStorage first, second;
    first.SetColor(CDsColorStorage(255, 0, 255));
    second.SetColor(CDsColorStorage(0, 255, 255));
    ASSERT_TRUE(palette->SetAttributes(0, first));
    ASSERT_TRUE(palette->SetAttributes(1, second));

    // What each road shows of the path: the highlight draw, the next whole frame, a mark, a dim,
    // and a highlight of the figure's location.
    const auto roads = [&](bool toolpath) {
        std::vector<std::vector<std::vector<unsigned char>>> seen;
        CPenFigure figure(nullptr, [toolpath](CDsFigureGenerator& g) { DefinePath(g, toolpath); });
        figure.Record(true, &host_->View());
        EXPECT_TRUE(figure.IsRecorded());
        seen.push_back(PathColours(host_->WholeFrame()));
        figure.Highlight(true);
        seen.push_back(PathColours(host_->Front()));
        seen.push_back(PathColours(host_->WholeFrame()));
        figure.Highlight(false);
        figure.SetVisibility(eVisibilityMark, true, false);
        seen.push_back(PathColours(host_->WholeFrame()));
        figure.SetVisibility(eVisibilityMark, false, false);
        figure.SetVisibility(eVisibilityDim, true, false);
        seen.push_back(PathColours(host_->WholeFrame()));
        figure.SetVisibility(eVisibilityDim, false, false);
        host_->WholeFrame();
        host_->Context().HighlightLocations({vyrtest::Host::PathOf(figure)}, eAttribSetHighlight);
        seen.push_back(PathColours(host_->Front()));
        host_->Context().UnHighlightLocations();
        figure.Remove(&host_->View());
        return seen;
    };
    const auto polyline = roads(false);
    const auto toolpath = roads(true);

    // Normally the toolpath shows its entries: the first segment's colour, then the second's.
    const std::vector<unsigned char> magenta = {255, 0, 255}, cyan = {0, 255, 255};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(toolpath[0][i], magenta) << "sample " << i;
    for (int i = 3; i < 6; ++i) EXPECT_EQ(toolpath[0][i], cyan) << "sample " << i;
    const char* names[] = {"", "highlight draw", "frame after the highlight", "marked", "dimmed",
                           "highlighted location"};
    for (int road = 1; road < 6; ++road) {
        SCOPED_TRACE(names[road]);
        const std::vector<unsigned char> set = polyline[road][0];
        EXPECT_NE(set, magenta);
        EXPECT_NE(set, cyan);
        EXPECT_GT(set[0] + set[1] + set[2], 60);
        for (size_t i = 0; i < toolpath[road].size(); ++i) {
            EXPECT_EQ(polyline[road][i], set) << "sample " << i;
            EXPECT_EQ(toolpath[road][i], set) << "sample " << i;
        }
    }
}

// Faces whose normals the generator computes are lit as the triangles of DrawTriangles are, in
// either winding, in the shaded and the mixed modes: a face whose normal points away from its
// winding is lit from neither side under two-sided lighting.
TEST_F(FigurePensGLTest, FacesWithComputedNormalsAreLitInEitherWindingAsDrawTrianglesFacesAre)
{
    // A square of half side 20 about the origin, anticlockwise seen from +z or clockwise.
    const auto corners = [](bool anticlockwise) {
        std::vector<float> c = {-20, -20, 0, 20, -20, 0, 20, 20, 0, -20, 20, 0};
        if (!anticlockwise) {
            std::swap(c[3], c[9]);
            std::swap(c[4], c[10]);
        }
        return c;
    };
    const auto square = [&](const std::string& road, bool anticlockwise) -> Define {
        const std::vector<float> c = corners(anticlockwise);
        return [road, c](CDsFigureGenerator& g) {
            const std::vector<double> d(c.begin(), c.end());
            if (road == "DrawTriangles") {
                const double triangles[18] = {d[0], d[1], d[2], d[3], d[4],  d[5],  d[6], d[7],  d[8],
                                              d[0], d[1], d[2], d[6], d[7],  d[8],  d[9], d[10], d[11]};
                g.DrawTriangles(2, triangles, nullptr);
            } else if (road == "DrawQuads") {
                // Corners (i j), (i+1 j), (i+1 j+1), (i j+1) of one quad: the square's order.
                const double grid[12] = {d[0], d[1], d[2], d[9], d[10], d[11], d[3], d[4], d[5], d[6], d[7], d[8]};
                g.DrawQuads(2, 2, grid, nullptr);
                g.EndPolygons();
            } else if (road == "ItDrawTriangles") {
                float triangles[18] = {c[0], c[1], c[2], c[3], c[4],  c[5],  c[6], c[7],  c[8],
                                       c[0], c[1], c[2], c[6], c[7],  c[8],  c[9], c[10], c[11]};
                CurrentGenerator current(g);
                CDsFigureGenerator::ItDrawTriangles(triangles, 2, true);
            } else {
                std::vector<float> polygon = c;
                CDsFigureGenerator::ItDrawPolyLine(&g, 4, polygon.data(), true);
            }
        };
    };
    const CDsColorStorage white(255, 255, 255);
    for (const ERenderMode mode : {eRenderShade, eRenderMixed}) {
        host_->View().SetRenderMode(mode);
        for (const bool anticlockwise : {true, false}) {
            int lit = -1;
            for (const std::string road : {"DrawTriangles", "DrawQuads", "ItDrawTriangles", "ItDrawPolyLine"}) {
                SCOPED_TRACE(road + (anticlockwise ? ", anticlockwise" : ", clockwise") +
                             (mode == eRenderShade ? ", shaded" : ", mixed"));
                CPenFigure figure(&white, square(road, anticlockwise));
                figure.Record(true, &host_->View());
                ASSERT_TRUE(figure.IsRecorded());
                const std::vector<unsigned char> shown = ColourAt(host_->WholeFrame(), 5, 5);
                if (lit < 0) lit = shown[0];  // DrawTriangles first
                EXPECT_GT(shown[0], 200);
                EXPECT_NEAR(shown[0], lit, 8);
                figure.Remove(&host_->View());
            }
        }
    }
    host_->View().SetRenderMode(eRenderShade);
}
