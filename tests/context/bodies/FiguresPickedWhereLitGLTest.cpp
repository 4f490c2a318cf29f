// A figure alone in the window is found by a single pick at every pixel the window lights of it,
// on both roads (selection and the pick ray): arrows and coordinate-system triads pointing every
// way on the screen, of several lengths and gaps, markers of every size and style, and every kind
// of figure leaf turned about the line of sight; so are texts of every kind anchored at model
// points, aligned and turned, beside other leaves of their figure. A marker at a fixed place of
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
    // pixels that its placement turns out of the window lights none).
    int ExpectPickedWhereLit(CDsFigure& figure, const std::string& what)
    {
        figure.Record(true, &host_->View());
        EXPECT_TRUE(figure.IsRecorded()) << what;
        const vyrtest::Picture frame = host_->WholeFrame();
        const CVyrObjectPath path = Host::PathOf(figure);
        int lit = 0;
        std::ostringstream misses;
        int missed[2] = {0, 0};
        for (int up = 0; up < kSize; ++up)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* a = frame.At(x, up);
                const unsigned char* b = empty_.At(x, up);
                if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
                ++lit;
                const int y = kSize - 1 - up;  // picks count rows down
                for (const bool byRay : {false, true}) {
                    const CDsPickedItem hit = host_->Pick(x, y, &domain_, nullptr, byRay);
                    if (hit.IsValid() && hit.GetObjectPath() == path) continue;
                    if (missed[0] + missed[1] < 6)
                        misses << " (" << x << ", " << y << ")" << (byRay ? " by ray" : " by selection")
                               << (hit.IsValid() ? " answered something else" : "");
                    ++missed[byRay];
                }
            }
        EXPECT_EQ(missed[0] + missed[1], 0) << what << ": of " << lit << " pixels lit, " << missed[0]
                                            << " not picked by selection, " << missed[1]
                                            << " not by the ray:" << misses.str();
        figure.Remove(&host_->View());
        return lit;
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

TEST_F(FiguresPickedWhereLitGLTest, EveryLeafKindIsPickedWhereverItIsLitTurnedAboutTheLineOfSight)
{
    for (const int angle : {0, 135, 270})
        for (const double scale : {0.5, 1.0}) {
            const SPAtransf placement =
                rotate_transf(angle * kPi / 180, SPAvector(0, 0, 1)) * scale_transf(scale);
            for (const vyrtest::LeafRecipe& kind : vyrtest::EveryLeafKind(placement)) {
                vyrtest::RecipeFigure figure(kind.define);
                ExpectPickedWhereLit(figure, "a " + kind.name + " turned " + std::to_string(angle) +
                                                 " degrees at scale " + std::to_string(scale));
            }
        }
}

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
