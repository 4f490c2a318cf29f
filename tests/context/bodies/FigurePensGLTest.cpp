// The pens of recorded figures as a host sees them in its frames (the front buffer read back): every
// drawing operation of the figure generator gives its item the pen's colour.
#include "DsBasicSurface.h"
#include "DsEllipseStorage.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsItemPointFixed.h"
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

class FigurePensGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // One unit a pixel, the model origin at pixel (50, 50).
        host_->Look(ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    }
};

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
             const double grid[12] = {-20, -20, 0, 20, -20, 0, -20, 20, 0, 20, 20, 0};
             const double normals[12] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
             g.DrawQuads(2, 2, grid, normals);
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
    const unsigned char red[3] = {255, 0, 0}, green[3] = {0, 255, 0};
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
            figure.Remove(&host_->View());
        }
    }
}
