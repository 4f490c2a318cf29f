// Region picks answer what lies wholly inside their rectangle, in both selection modes, judged by
// what the window draws: a basic surface by the box of the surface it draws (a torus is drawn with
// its outer radius about the axis and its inner one as the tube's), and a marker only where the
// window shows it.
#include "DsBasicSurface.h"
#include "DsFigureGenerator.h"
#include "DsImage.h"
#include "DsManager.h"
#include "DsPickProccessor.h"
#include "DsRectangle3d.h"
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

// Every kind of figure leaf, a picture (DrawImage) and both kinds of bitmap (DrawBitmap,
// DrawBitmapColored), each alone in the window, seen at two zoom levels: in both selection modes
// a rectangle 3 pixels wider on every side than the pixels the window lights of it finds it;
// one beside it, and one that leaves out its right part, do not.
TEST_F(RegionPicksWhollyInsideGLTest, EveryLeafKindIsFoundByARectangleAboutWhatTheWindowLightsOfIt)
{
    const std::vector<BYTE> bits(2 * 16, 0xFF);
    HBITMAP handle = CreateBitmap(16, 16, 1, 1, bits.data());
    const int bitmap = CDsManager::GetInstance()->AddBitmap(handle);
    DeleteObject(handle);
    const std::vector<unsigned char> texels(16 * 16 / 8, 0xFF);
    const int texture = CDsManager::GetInstance()->AddTexture(texels.data(), 16, 16, SColor4ub(0, 0, 0, 0),
                                                              SColor4ub(255, 0, 0, 255), false);
    ASSERT_GE(bitmap, 0);
    ASSERT_GE(texture, 0);
    std::vector<vyrtest::LeafRecipe> leaves = vyrtest::EveryLeafKind(SPAtransf());
    leaves.push_back({"image", [](CDsFigureGenerator& g) {
                          auto* pixels = new uint32_t[64 * 32];
                          std::fill(pixels, pixels + 64 * 32, 0xFF20C0F0u);
                          g.DrawImage(CDsImage(64, 32, pixels, false),
                                      CDsRectangle3d(SPAposition(-16, -8, 0), SPAposition(16, -8, 0), SPAposition(-16, 8, 0)));
                      }});
    leaves.push_back({"bitmap", [bitmap](CDsFigureGenerator& g) {
                          g.SetPenColor(CDsColorStorage(255, 255, 0));
                          g.DrawBitmap(CGmPosition(0, 0, 0), bitmap, eAlignCenter, false);
                      }});
    leaves.push_back({"coloured bitmap", [texture](CDsFigureGenerator& g) {
                          g.DrawBitmapColored(CGmPosition(0, 0, 0), texture, eAlignCenter, false);
                      }});
    for (const double field : {1.0 * kHostSize, 0.5 * kHostSize}) {
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(field, field).Clip(1, 300));
        const vyrtest::Picture empty = host_->WholeFrame();
        for (const vyrtest::LeafRecipe& leaf : leaves) {
            SCOPED_TRACE(leaf.name + (field < kHostSize ? ", zoomed in" : ""));
            const auto shown = host_->Record({leaf.define});
            const vyrtest::Picture frame = host_->WholeFrame();
            // The lit pixels' box, in drawable pixels (rows down).
            int left = kHostSize, right = -1, top = kHostSize, bottom = -1;
            for (int up = 0; up < kHostSize; ++up)
                for (int x = 0; x < kHostSize; ++x)
                    if (!std::equal(empty.At(x, up), empty.At(x, up) + 3, frame.At(x, up))) {
                        const int y = kHostSize - 1 - up;
                        left = std::min(left, x), right = std::max(right, x);
                        top = std::min(top, y), bottom = std::max(bottom, y);
                    }
            ASSERT_GE(right, left) << "nothing lit";
            const CVyrObjectPath path = Host::PathOf(*shown[0]);
            // Beside it: on the side of the window with more room.
            const int width = right - left + 1;
            const int beside = left > kHostSize - 1 - right ? left - width - 8 : right + 8;
            for (const bool visibleOnly : {false, true}) {
                SCOPED_TRACE(visibleOnly ? "visible only" : "mode 0");
                EXPECT_EQ(Region(left - 3, top - 3, right + 3, bottom + 3, visibleOnly), std::vector<CVyrObjectPath>{path})
                    << left << ", " << top << ", " << right << ", " << bottom;
                EXPECT_TRUE(Region(beside, top - 3, beside + width, bottom + 3, visibleOnly).empty());
                EXPECT_TRUE(Region(left - 3, top - 3, right - width / 2, bottom + 3, visibleOnly).empty());
            }
        }
    }
}
