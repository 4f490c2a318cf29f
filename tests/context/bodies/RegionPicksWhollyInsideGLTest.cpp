// Region picks answer what lies wholly inside their rectangle, in both selection modes, judged by
// what the window draws: a basic surface by the box of the surface it draws (a torus is drawn with
// its outer radius about the axis and its inner one as the tube's), and a marker only where the
// window shows it.
#include "DsBasicSurface.h"
#include "DsFigureGenerator.h"
#include "DsPickProccessor.h"
#include "GmPosition.h"
#include "HostFixture.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

class RegionPicksWhollyInsideGLTest : public vyrtest::HostTest {
protected:
    // The paths a region pick of selection mode 0 (or 2, visible only) finds among the figures:
    // between drawable pixels (x1, y1) and (x2, y2), or over the pixels of the model box
    // [low, high] widened by `margin` pixels.
    std::vector<CVyrObjectPath> Region(int x1, int y1, int x2, int y2, bool visibleOnly)
    {
        return InMode(visibleOnly, [&] { return host_->Region(x1, y1, x2, y2, &figures_); });
    }
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high, int margin,
                                             bool visibleOnly)
    {
        return InMode(visibleOnly, [&] { return host_->RegionAround(low, high, margin, &figures_); });
    }
    template <class Pick>
    std::vector<CVyrObjectPath> InMode(bool visibleOnly, Pick pick)
    {
        CDsPickProccessor* picks = host_->Context().GetPickProccessor();
        picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
        const std::vector<CVyrObjectPath> paths = pick();
        picks->SetSelectionMode(eDsSelectionByBoxDefault);
        return paths;
    }
    static bool Holds(const std::vector<CVyrObjectPath>& paths, const CVyrObjectPath& path)
    {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    }

    const std::vector<CDsTypeMask> figures_ = Host::Domain({Host::kFigureType});
};

}  // namespace

// Each kind of basic surface, seen from above at 45 degrees: a rectangle two pixels wider than
// the box of the surface drawn finds it, one three pixels narrower cuts into the surface (across
// the window the surface reaches as far as its box) and does not. The torus of outer radius 10 and
// inner radius 3 reaches 13 from its axis and 3 above and below its plane.
TEST_F(RegionPicksWhollyInsideGLTest, EveryBasicSurfaceIsFoundByTheBoxOfWhatItDraws)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, -100, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    struct SKind {
        const char* name;
        EDsQuadType type;
        SPAposition low, high;  // the box of the surface drawn
    };
    const SKind kinds[] = {{"sphere", eDsQuadSphere, SPAposition(-10, -10, -10), SPAposition(10, 10, 10)},
                           {"cone", eDsQuadCone, SPAposition(-10, -10, 0), SPAposition(10, 10, 20)},
                           {"box", eDsQuadBox, SPAposition(-10, -7, -5), SPAposition(10, 7, 5)},
                           {"torus", eDsQuadTorus, SPAposition(-13, -13, -3), SPAposition(13, 13, 3)},
                           {"disk", eDsQuadDisk, SPAposition(-10, -10, 0), SPAposition(10, 10, 0)}};
    for (const SKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const auto shown = host_->Record({[&](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(200, 200, 255));
            CDsSphere sphere(10);
            CDsCone cone(10, 0, 20);
            CDsNBox box(20, 14, 10);
            CDsTorus torus(3, 10);
            CDsDisk disk(3, 10);
            CDsBasicSurface* surfaces[] = {&sphere, nullptr, &cone, &box, &torus, &disk};
            g.DrawBasicSurface(surfaces[kind.type], true);
        }});
        host_->WholeFrame();
        const CVyrObjectPath path = Host::PathOf(*shown[0]);
        for (const bool visibleOnly : {false, true}) {
            EXPECT_TRUE(Holds(RegionAround(kind.low, kind.high, 2, visibleOnly), path)) << visibleOnly;
            EXPECT_FALSE(Holds(RegionAround(kind.low, kind.high, -3, visibleOnly), path)) << visibleOnly;
        }
    }
}

// A marker beyond the window's edge shows nothing: a rectangle that reaches out over it, or lies
// wholly beyond the window, does not find it in either mode, while one about a marker inside the
// window does.
TEST_F(RegionPicksWhollyInsideGLTest, AMarkerBeyondTheWindowIsNotFound)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    const auto marker = [](double x, double y) {
        return [=](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 0, 255));
            g.DrawPoint(CGmPosition(x, y, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
        };
    };
    // Model (x, y) lies at the drawable pixel (50 + x, 50 - y): one marker inside, one 20 pixels
    // beyond the right edge.
    const auto shown = host_->Record({marker(0, 0), marker(70, 0)});
    host_->WholeFrame();
    const CVyrObjectPath inside = Host::PathOf(*shown[0]), beyond = Host::PathOf(*shown[1]);
    for (const bool visibleOnly : {false, true}) {
        SCOPED_TRACE(visibleOnly ? "visible only" : "mode 0");
        EXPECT_EQ(Region(40, 40, 60, 60, visibleOnly), std::vector<CVyrObjectPath>{inside});
        EXPECT_EQ(Region(40, 40, 140, 60, visibleOnly), std::vector<CVyrObjectPath>{inside});
        EXPECT_TRUE(Region(kHostSize + 5, 40, 140, 60, visibleOnly).empty());
    }
}

// A polyline of window pixels laid beyond the window's right edge: what is not in the window does
// not show, and a visible-only region reaching out there does not find it; one inside it does.
TEST_F(RegionPicksWhollyInsideGLTest, AWindowPolylineBeyondTheWindowIsNotVisible)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    const auto polyline = [](float x0, float x1) {
        return [=](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 0, 255));
            const float xy[4] = {x0, 45.0f, x1, 55.0f};
            g.DrawPolyline2D(2, xy);
        };
    };
    const auto shown = host_->Record({polyline(40, 60), polyline(kHostSize + 10, kHostSize + 30)});
    host_->WholeFrame();
    const CVyrObjectPath inside = Host::PathOf(*shown[0]);
    EXPECT_EQ(Region(30, 30, 70, 70, true), std::vector<CVyrObjectPath>{inside});
    EXPECT_TRUE(Region(kHostSize + 5, 30, kHostSize + 40, 70, true).empty());
    EXPECT_EQ(Region(30, 30, kHostSize + 40, 70, true), std::vector<CVyrObjectPath>{inside});
}
