// A figure alone in the window is found by a single pick at every pixel the window lights of it,
// on both roads (selection and the pick ray): arrows and coordinate-system triads pointing every
// way on the screen, of several lengths and gaps, markers of every size and style, and every kind
// of figure leaf turned about the line of sight; so are texts of every kind anchored at model
// points, aligned and turned, beside other leaves of their figure, and so are leaves drawn in
// window pixels (texts and polylines at pixels or at fractions of the window, pixel frames) near
// every edge and corner of the window, beside other leaves of theirs. A marker at a fixed place of
// the window is found by its figure's own pick wherever it is lit. The pixels a figure lights are
// those in which the frame with it differs from the frame without it; each of them lies inside the
// pick window of a pick at that pixel, so the pick must answer the figure there.
#include "DsFigArrow3DFixed.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsManager.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include "DsFigPoint3D.h"
#include "DsNFontStorage.h"
#include "UiPickEvent.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 200;
constexpr double kPi = 3.14159265358979323846;

class FiguresPickedWhereLitGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // Looking down -z at the origin, 60 units across 200 pixels.
        host_ = std::make_unique<Host>(kSize, kSize);
        host_->Look(ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(60, 60).Clip(1, 400));
        empty_ = host_->WholeFrame();
    }

    // Records `figure`, draws a whole frame and picks at every pixel it lights, on both roads; a
    // failure names `what`, how many of the lit pixels did not answer the figure and the first
    // few of them. The figure is removed again. Answers how many pixels it lit (a leaf in window
    // pixels that its placement turns out of the window lights none). With a `stride` above 1 only
    // every stride-th lit pixel is picked, and the outermost lit pixels of each side.
    int ExpectPickedWhereLit(CDsFigure& figure, const std::string& what, int stride = 1)
    {
        figure.Record(true, &host_->View());
        EXPECT_TRUE(figure.IsRecorded()) << what;
        const vyrtest::Picture frame = host_->WholeFrame();
        const CVyrObjectPath path = Host::PathOf(figure);
        std::vector<std::pair<int, int>> lit;  // (x, row up)
        for (int up = 0; up < kSize; ++up)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* a = frame.At(x, up);
                const unsigned char* b = empty_.At(x, up);
                if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) lit.emplace_back(x, up);
            }
        // The outermost lit pixels: the first and last rows come first and last; the leftmost and
        // rightmost are looked for.
        size_t left = 0, right = 0;
        for (size_t i = 0; i < lit.size(); ++i) {
            if (lit[i].first < lit[left].first) left = i;
            if (lit[i].first > lit[right].first) right = i;
        }
        std::ostringstream misses;
        int missed[2] = {0, 0};
        for (size_t i = 0; i < lit.size(); ++i) {
            if (i % size_t(stride) != 0 && i != left && i != right && i + 1 != lit.size()) continue;
            const int x = lit[i].first, y = kSize - 1 - lit[i].second;  // picks count rows down
            for (const bool byRay : {false, true}) {
                const CDsPickedItem hit = host_->Pick(x, y, &domain_, nullptr, byRay);
                if (hit.IsValid() && hit.GetObjectPath() == path) continue;
                if (missed[0] + missed[1] < 6)
                    misses << " (" << x << ", " << y << ")" << (byRay ? " by ray" : " by selection")
                           << (hit.IsValid() ? " answered something else" : "");
                ++missed[byRay];
            }
        }
        EXPECT_EQ(missed[0] + missed[1], 0) << what << ": of " << lit.size() << " pixels lit, " << missed[0]
                                            << " not picked by selection, " << missed[1]
                                            << " not by the ray:" << misses.str();
        figure.Remove(&host_->View());
        return int(lit.size());
    }

    // Records `figure`, draws a whole frame and asks the figure's own pick (CDsFigure::IsPicked,
    // the process-wide pick window) at every pixel it lights; a failure names `what` and the first
    // pixels missed. The figure is removed again. Answers how many pixels it lit.
    int ExpectFigurePickedWhereLit(CDsFigure& figure, const std::string& what)
    {
        figure.Record(true, &host_->View());
        EXPECT_TRUE(figure.IsRecorded()) << what;
        const vyrtest::Picture frame = host_->WholeFrame();
        int lit = 0, missed = 0;
        std::ostringstream misses;
        for (int up = 0; up < kSize; ++up)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* a = frame.At(x, up);
                const unsigned char* b = empty_.At(x, up);
                if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
                ++lit;
                const CUiPickEvent event(x, kSize - 1 - up, 0, &host_->View(), nullptr);  // rows down
                if (figure.IsPicked(event, -1, -1)) continue;
                if (missed++ < 6) misses << " (" << x << ", " << kSize - 1 - up << ")";
            }
        EXPECT_EQ(missed, 0) << what << ": of " << lit << " pixels lit, " << missed << " not picked:" << misses.str();
        figure.Remove(&host_->View());
        return lit;
    }

    const std::vector<CDsTypeMask> domain_ = Host::Domain({Host::kFigureType});
    vyrtest::Picture empty_;
};

// The screen directions tried, in degrees counter-clockwise from the x axis (up the screen at 90).
const int kAngles[] = {0, 45, 90, 135, 180, 225, 270, 315};

CGmVector Along(int degrees, double z = 0)
{
    const double a = degrees * kPi / 180;
    return CGmVector(std::cos(a), std::sin(a), z);
}

}  // namespace

TEST_F(FiguresPickedWhereLitGLTest, AnArrowIsPickedWhereverItIsLitWhicheverWayItPoints)
{
    for (const int angle : kAngles)
        for (const int length : {24, 60})
            for (const int gap : {0, 12}) {
                CDsFigArrow3DFixed arrow(CGmPosition(0, 0, 0), Along(angle), length, gap);
                arrow.SetColor(CDsColorStorage(255, 255, 255), false);
                EXPECT_GT(ExpectPickedWhereLit(arrow, "an arrow at " + std::to_string(angle) + " degrees, " +
                                                std::to_string(length) + " pixels long, gap " + std::to_string(gap)),
                          length);
            }
    // Leaning towards the viewer, and away from the origin.
    CDsFigArrow3DFixed leaning(CGmPosition(-8, 5, 3), Along(120, 1.5), 50, 0);
    leaning.SetColor(CDsColorStorage(255, 255, 255), false);
    EXPECT_GT(ExpectPickedWhereLit(leaning, "an arrow leaning towards the viewer"), 40);
}

TEST_F(FiguresPickedWhereLitGLTest, ATriadIsPickedWhereverItsArrowsAndLabelsAreLit)
{
    CDsManager* manager = CDsManager::GetInstance();
    const int savedSize = manager->GetUcsSize();
    struct Case {
        int angle;
        bool tilted;
        int size;
    };
    std::vector<Case> cases;
    for (const int angle : {0, 45, 90, 135, 180, 270}) cases.push_back({angle, false, savedSize});
    for (const int angle : {0, 150}) cases.push_back({angle, true, savedSize});
    cases.push_back({30, false, 6});
    cases.push_back({300, true, 16});
    for (const Case& c : cases) {
        manager->SetUcsSize(c.size);
        // The axes turned by the angle about the line of sight; tilted, the triad is turned 50
        // degrees about its own x axis first, so that its z axis shows too.
        const double a = c.angle * kPi / 180, t = c.tilted ? 50 * kPi / 180 : 0.0;
        const SPAvector x(std::cos(a), std::sin(a), 0), y0(-std::sin(a), std::cos(a), 0), z0(0, 0, 1);
        const SPAvector y = std::cos(t) * y0 + std::sin(t) * z0, z = -std::sin(t) * y0 + std::cos(t) * z0;
        const CGmUnitVector axes[3] = {CGmUnitVector(x.x(), x.y(), x.z()), CGmUnitVector(y.x(), y.y(), y.z()),
                                       CGmUnitVector(z.x(), z.y(), z.z())};
        vyrtest::RecipeFigure triad([&axes](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 255, 255));
            g.DrawUcs(CGmPosition(-3, -2, 0), 0, "XYZ", "O", axes, 3);
        });
        EXPECT_GT(ExpectPickedWhereLit(triad, "a triad turned " + std::to_string(c.angle) + " degrees" +
                                        (c.tilted ? ", tilted," : "") + " of size " + std::to_string(c.size)),
                  50);
    }
    manager->SetUcsSize(savedSize);
}

TEST_F(FiguresPickedWhereLitGLTest, AMarkerIsPickedWhereverItIsLitWhateverItsSizeAndStyle)
{
    // Inside the window, and a pixel from its upper-left corner, partly beyond its edges.
    for (const CGmPosition& at : {CGmPosition(10, 10, 0), CGmPosition(-29.6, 29.7, 0)})
        for (const int size : {0, 1, 2, 3, 5, 6, 9, 16})
            for (const int style : {0, 1, 2, 3, 6, 9, 10}) {
                vyrtest::RecipeFigure marker([&at, size, style](CDsFigureGenerator& g) {
                    g.SetPenColor(CDsColorStorage(255, 255, 255));
                    g.DrawPoint(at, EPointStyle(style), size, false, CGmUnitVector(1, 0, 0), 0);
                });
                const std::string what = "a marker of size " + std::to_string(size) + ", style " +
                                         std::to_string(style) + " at x " + std::to_string(at.x());
                EXPECT_GT(ExpectPickedWhereLit(marker, what), 0) << what;
            }
}

// Every leaf kind turned by an angle about the line of sight, at two scales (a case an angle:
// each picks every lit pixel of every kind, long under the sanitizers).
class EveryLeafKindTurnedGLTest : public FiguresPickedWhereLitGLTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryLeafKindTurnedGLTest, IsPickedWhereverItIsLit)
{
    const int angle = GetParam();
    for (const double scale : {0.5, 1.0}) {
        const SPAtransf placement = rotate_transf(angle * kPi / 180, SPAvector(0, 0, 1)) * scale_transf(scale);
        for (const vyrtest::LeafRecipe& kind : vyrtest::EveryLeafKind(placement)) {
            vyrtest::RecipeFigure figure(kind.define);
            ExpectPickedWhereLit(figure, "a " + kind.name + " turned " + std::to_string(angle) + " degrees at scale " +
                                             std::to_string(scale));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FiguresPickedWhereLitGLTest, EveryLeafKindTurnedGLTest, ::testing::Values(0, 135, 270),
                         [](const ::testing::TestParamInfo<int>& info) { return "Turned" + std::to_string(info.param); });

TEST_F(FiguresPickedWhereLitGLTest, AMarkerAtAPlaceOfTheWindowIsPickedByItsFigureWhereverItIsLit)
{
    // The place 60 pixels left of the right edge and 50 below the top; every style, small sizes
    // (whose fixed parts reach beyond half the size) and larger ones. Below size 2 only the plus,
    // the small octagon and the stroke have a length to light.
    for (const int size : {0, 1, 2, 3, 5, 9})
        for (int style = 1; style <= 9; ++style) {
            CDsFigPointReference marker(60, 50, EPointStyle(style), size);
            marker.SetColor(CDsColorStorage(255, 255, 255), false);
            const std::string what = "a marker at a place of the window of size " + std::to_string(size) +
                                     ", style " + std::to_string(style);
            const int lit = ExpectFigurePickedWhereLit(marker, what);
            if (size >= 2 || style == 2 || style == 7 || style == 8) {
                EXPECT_GT(lit, 0) << what;
            }
        }
}

TEST_F(FiguresPickedWhereLitGLTest, ATextIsPickedWhereverItIsLitBesideTheOtherLeavesOfItsFigure)
{
    // Texts anchored at the origin, 20 pixels high or 6 units high (a string of two lines is always
    // of model height), aligned at their start, middle
    // or end and turned by an angle (a text along a model direction turns with it), with a marker
    // at another place, a marker at the text's own anchor or a line elsewhere in the same figure.
    enum EKind { eFixed, eScaled, eAlongFixed, eTwoLines };
    const char* kinds[] = {"a text of fixed height", "a text of model height", "a text of fixed height along a direction",
                           "two lines (of model height)"};
    const char* companies[] = {"a marker elsewhere", "a marker at its anchor", "a line elsewhere"};
    for (const EKind kind : {eFixed, eScaled, eAlongFixed, eTwoLines})
        for (const int alignment : {0, 1, 2})
            for (const int angle : {0, 120})
                for (int company = 0; company < 3; ++company) {
                    if (kind == eAlongFixed && angle != 0) continue;  // its direction turns it
                    vyrtest::RecipeFigure figure([&](CDsFigureGenerator& g) {
                        g.SetPenColor(CDsColorStorage(255, 255, 255));
                        if (company == 0) g.DrawPoint(CGmPosition(20, -20, 0), EPointStyle(3), 5, false, CGmUnitVector(1, 0, 0), 0);
                        if (company == 1) g.DrawPoint(CGmPosition(0, 0, 0), EPointStyle(3), 5, false, CGmUnitVector(1, 0, 0), 0);
                        if (company == 2) {
                            const CGmPosition line[2] = {CGmPosition(-25, -25, 0), CGmPosition(-20, -25, 0)};
                            g.DrawPolyline(2, line);
                        }
                        g.SetTextAlignment(EDsTextLineAlignment(alignment));
                        g.SetTextLineAngle(angle);
                        g.MoveTo(CGmPosition(0, 0, 0));
                        if (kind == eAlongFixed)
                            g.DrawTextVector(CVyrString(L"Wg"), CDsNFontStorage(), SPAposition(0, 0, 0),
                                             SPAvector(-1, 1.5, 0), 20.0f, true);
                        else
                            g.DrawTextW(kind == eTwoLines ? "Wg\nQy" : "Wg", "", kind == eFixed ? 20.0f : 6.0f,
                                        kind == eFixed);
                    });
                    ExpectPickedWhereLit(figure, std::string(kinds[kind]) + " aligned " + std::to_string(alignment) +
                                                     ", turned " + std::to_string(angle) + " degrees, beside " +
                                                     companies[company]);
                }
}

TEST_F(FiguresPickedWhereLitGLTest, ALeafInWindowPixelsIsPickedWhereverItIsLitBesideTheOtherLeavesOfItsFigure)
{
    // Leaves drawn in window pixels: texts at a pixel and at a fraction of the window, polylines
    // in pixels and in fractions of the window, and a pixel frame anchored at a model point; each
    // at the centre, near each edge and in each corner of the window, running into the window,
    // of two sizes, the texts turned and aligned; alone, or with a marker at the model point under
    // their place, a line elsewhere or a text elsewhere in the same figure.
    enum EKind { eText, eRelativeText, ePolyline, eRelativePolyline, eFrame };
    const char* kinds[] = {"a window text", "a relative window text", "a window polyline",
                           "a relative window polyline", "a pixel frame"};
    const char* companies[] = {"alone", "beside a marker at its place", "beside a line elsewhere",
                               "beside a text elsewhere"};
    // The frame's alignment for each place, the anchor at the side or corner nearest the edges.
    const EAlignment frameAlignments[3][3] = {{eAlignBottomLeft, eAlignLeftCenter, eAlignTopLeft},
                                              {eAlignBottomCenter, eAlignCenter, eAlignTopCenter},
                                              {eAlignBottomRight, eAlignRightCenter, eAlignTopRight}};
    const float unitsPerPixel = 60.0f / kSize;
    for (const EKind kind : {eText, eRelativeText, ePolyline, eRelativePolyline, eFrame})
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                for (int company = 0; company < 4; ++company) {
                    // The place, rows up, 4 pixels from the edges it is near; (sx, sy) points into
                    // the window from there.
                    const int x = 4 + column * (kSize - 8) / 2, y = 4 + row * (kSize - 8) / 2;
                    const int sx = column == 2 ? -1 : 1, sy = row == 2 ? -1 : 1;
                    const int variant = column + row + company;
                    const float size = variant % 2 ? 36.0f : 14.0f;
                    const CGmPosition model((x - kSize / 2) * unitsPerPixel, (y - kSize / 2) * unitsPerPixel, 0);
                    // A text runs into the window from its start, or back from its end; at the
                    // centre it turns by a multiple of 30 degrees.
                    const int alignment = variant % 3;
                    const int dx = column == 1 ? 0 : sx, dy = row == 1 ? 0 : sy;
                    int angle = dx == 0 && dy == 0 ? 30 * variant : int(std::lround(std::atan2(dy, dx) * 180 / kPi));
                    angle = (angle + (alignment == 2 ? 180 : 0) + 360) % 360;
                    vyrtest::RecipeFigure figure([&](CDsFigureGenerator& g) {
                        g.SetPenColor(CDsColorStorage(255, 255, 255));
                        if (company == 1) g.DrawPoint(model, EPointStyle(3), 5, false, CGmUnitVector(1, 0, 0), 0);
                        if (company == 2) {
                            const double far = x < kSize / 2 ? 20 : -25;
                            const CGmPosition line[2] = {CGmPosition(far, -far, 0), CGmPosition(far + 5, -far, 0)};
                            g.DrawPolyline(2, line);
                        }
                        if (company == 3) {
                            g.MoveTo(CGmPosition(y < kSize / 2 ? -5 : 5, y < kSize / 2 ? 20 : -20, 0));
                            g.DrawTextW("Wg", "", 16.0f, true);
                        }
                        const float s = size, pixels[6] = {float(x), float(y), x + sx * s, y + sy * s / 3,
                                                           x + sx * s / 2, y + sy * s};
                        float relative[6];
                        for (int i = 0; i < 6; ++i) relative[i] = pixels[i] / kSize;
                        CDsNFontStorage font;
                        font.SetHeight(long(size));
                        switch (kind) {
                            case eText:
                                g.SetTextAlignment(EDsTextLineAlignment(alignment));
                                g.SetTextLineAngle(angle);
                                g.MoveTo(CGmPosition(x, y, 0));
                                g.DrawText2D("Wg", "", size);
                                break;
                            case eRelativeText:
                                g.DrawText2DRelative(CVyrString(L"Wg"), font, float(sx > 0 ? x : x - 2 * size) / kSize,
                                                     float(sy > 0 ? y : y - size) / kSize);
                                break;
                            case ePolyline: g.DrawPolyline2D(3, pixels); break;
                            case eRelativePolyline: g.DrawPolyline2DRelative(3, relative, variant % 2 == 0); break;
                            case eFrame:
                                g.DrawRectangle2D(model, int(size), int(size * 2 / 3), frameAlignments[column][row]);
                                break;
                        }
                    });
                    std::string what = std::string(kinds[kind]) + " at (" + std::to_string(x) + ", " +
                                       std::to_string(y) + "), " + std::to_string(int(size)) + " pixels, ";
                    if (kind == eText)
                        what += "turned " + std::to_string(angle) + " degrees, aligned " + std::to_string(alignment) + ", ";
                    what += companies[company];
                    EXPECT_GT(ExpectPickedWhereLit(figure, what, 7), 0) << what;
                }
}
