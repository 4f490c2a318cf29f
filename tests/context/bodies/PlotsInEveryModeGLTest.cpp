// A plot sends the view's driver the lines of the model whatever the render mode of the view: the
// edges and outlines of the bodies a host shows (opaque or see-through) and a figure's line, the
// same in every mode 0 to 4, and among them every line the window shows in the line modes. Both
// plot modes (colours, pen widths), plotted by a refresh and by the plot renderer itself, with and
// without a screen frame in that mode first.
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPlotRenderer.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "driver_context.h"

#include "SpaBuilders.h"
#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 200;

// A driver that keeps the 3-D polylines it is sent (model points, the view's model transform
// applied), each with its points rounded to thousandths of a unit (a closed one ends where it
// starts). Its device context is the window's, as a host's plot driver has one of its own.
class LinesDriver : public driver_context {
public:
    using Line = std::vector<std::array<long, 3>>;
    explicit LinesDriver(driver_context* screen) : m_screen(screen) {}
    HDC get_device_context() override { return m_screen ? m_screen->get_device_context() : nullptr; }
    void release_device_context(HDC dc) override
    {
        if (m_screen) m_screen->release_device_context(dc);
    }
    int draw_polyline_3d(int n, const float* xyz, int closed) override
    {
        Line line;
        for (int i = 0; i < n; ++i)
            line.push_back({std::lround(xyz[3 * i] * 1000.0), std::lround(xyz[3 * i + 1] * 1000.0),
                            std::lround(xyz[3 * i + 2] * 1000.0)});
        if (closed) line.push_back(line.front());
        lines.push_back(line);
        return 0;
    }
    std::vector<Line> lines;

private:
    driver_context* m_screen;
};

const char* ModeName(int mode)
{
    static const char* names[] = {"wireframe", "hidden lines", "partial hidden lines", "shaded", "mixed"};
    return mode >= 0 && mode < 5 ? names[mode] : "?";
}

class PlotsInEveryModeGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // Looking down at the scene from above and aside, 80 units across 200 pixels.
        host_ = std::make_unique<Host>(kSize, kSize);
        host_->Look(ViewSetup()
                        .Pixels(kSize, kSize)
                        .Eye(SPAposition(60, -90, 120))
                        .Target(SPAposition(0, 0, 0))
                        .Field(80, 80)
                        .Clip(1, 400));
        for (int mode = 0; mode < 5; ++mode) {
            host_->View().SetRenderMode(static_cast<ERenderMode>(mode));
            empty_[mode] = host_->WholeFrame();
        }
    }
    // Two blocks, one of them see-through when `glass`, a cylinder and a figure's polyline.
    void BuildScene(bool glass)
    {
        ASSERT_NE(host_->ShowBlock(SPAposition(-25, -20, 0), SPAposition(-5, 0, 12)), nullptr);
        ASSERT_NE(host_->ShowBlock(SPAposition(5, -25, 0), SPAposition(25, -5, 8), 0xFF8000, glass ? 128 : 255), nullptr);
        ASSERT_NE(host_->Show(make_cylinder(SPAposition(0, 15, 0), SPAvector(0, 0, 1), 8, 15), 0x00FF00), nullptr);
        figures_ = host_->Record({[](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 255, 255));
            const CGmPosition points[3] = {CGmPosition(-30, 25, 0), CGmPosition(-15, 30, 5), CGmPosition(-5, 28, 0)};
            g.DrawPolyline(3, points);
        }});
    }
    // The lines the view's driver gets from one plot in render mode `mode` (plot mode `plotMode`):
    // by a refresh, or by the plot renderers of the model and of the temporary part, after a
    // screen frame in that mode when `frameFirst`. Sorted.
    std::vector<LinesDriver::Line> Plot(int mode, EPlotMode plotMode, bool byRefresh, bool frameFirst)
    {
        CDsView3dCdc& view = host_->View();
        view.SetRenderMode(static_cast<ERenderMode>(mode));
        if (frameFirst) host_->WholeFrame();
        LinesDriver driver(view.get_driver_context());
        driver_context* screen = view.set_driver_context(&driver);
        CDsView3dCdc::StSetPlotMode(plotMode);
        if (byRefresh)
            host_->Refresh();
        else
            for (const bool temporary : {false, true})  // the model, then the figures
                CDsPlotRenderer(&view, host_->Context().GetScene(), temporary).Render(nullptr, true, nullptr, nullptr);
        CDsView3dCdc::StResetPlotMode();
        view.set_driver_context(screen);
        std::sort(driver.lines.begin(), driver.lines.end());
        return driver.lines;
    }
    // How many pixels the window shows in render mode `mode` beside every one of `lines` (more
    // than 1.5 pixels from each), and the first of them.
    int ShownBesideThePlot(int mode, const std::vector<LinesDriver::Line>& lines, std::string& first)
    {
        host_->View().SetRenderMode(static_cast<ERenderMode>(mode));
        const vyrtest::Picture frame = host_->WholeFrame();
        std::vector<std::array<double, 4>> segments;
        for (const LinesDriver::Line& line : lines)
            for (size_t i = 0; i + 1 < line.size(); ++i) {
                double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
                const auto point = [](const std::array<long, 3>& p) {
                    return SPAposition(p[0] / 1000.0, p[1] / 1000.0, p[2] / 1000.0);
                };
                if (host_->View().world_to_drawable(point(line[i]), ax, ay, depth) &&
                    host_->View().world_to_drawable(point(line[i + 1]), bx, by, depth))
                    segments.push_back({ax, ay, bx, by});
            }
        int beside = 0;
        for (int up = 0; up < kSize; ++up)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* a = frame.At(x, up);
                const unsigned char* b = empty_[mode].At(x, up);
                if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
                const double cx = x + 0.5, cy = kSize - 1 - up + 0.5;
                bool near = false;
                for (const auto& s : segments) {
                    const double dx = s[2] - s[0], dy = s[3] - s[1], length2 = dx * dx + dy * dy;
                    double t = length2 > 0 ? ((cx - s[0]) * dx + (cy - s[1]) * dy) / length2 : 0.0;
                    t = std::max(0.0, std::min(1.0, t));
                    if (std::hypot(s[0] + t * dx - cx, s[1] + t * dy - cy) <= 1.5) {
                        near = true;
                        break;
                    }
                }
                if (near) continue;
                if (!beside++) first = "(" + std::to_string(x) + ", " + std::to_string(kSize - 1 - up) + ")";
            }
        return beside;
    }

    vyrtest::Picture empty_[5];
    std::vector<std::unique_ptr<vyrtest::RecipeFigure>> figures_;
};

}  // namespace

TEST_F(PlotsInEveryModeGLTest, EveryRenderModePlotsTheLinesOfTheShadedModeAndAllThatTheWindowShows)
{
    for (const bool glass : {false, true}) {
        SCOPED_TRACE(glass ? "a see-through block" : "opaque blocks");
        BuildScene(glass);
        const std::vector<LinesDriver::Line> shaded = Plot(3, ePlotModeColors, true, true);
        // Each block's twelve edges, the cylinder's edges and outlines, the figure's line.
        EXPECT_GE(shaded.size(), 12u + 12u + 3u + 2u + 1u);
        for (int mode = 0; mode < 5; ++mode)
            for (const EPlotMode plotMode : {ePlotModeColors, ePlotModePenWidths})
                for (const bool byRefresh : {true, false})
                    for (const bool frameFirst : {false, true}) {
                        const std::vector<LinesDriver::Line> lines = Plot(mode, plotMode, byRefresh, frameFirst);
                        EXPECT_EQ(lines, shaded)
                            << ModeName(mode) << " sends " << lines.size() << " lines where the shaded mode sends "
                            << shaded.size() << (plotMode == ePlotModeColors ? ", in colours" : ", in pen widths")
                            << (byRefresh ? ", by a refresh" : ", by the renderer")
                            << (frameFirst ? ", after a frame" : "");
                    }
        // What the line modes show lies on the plotted lines.
        for (int mode = 0; mode < 3; ++mode) {
            std::string first;
            EXPECT_EQ(ShownBesideThePlot(mode, shaded, first), 0)
                << ModeName(mode) << " shows pixels beside every plotted line, the first at " << first;
        }
        for (BODY* body : std::vector<BODY*>(host_->Bodies())) host_->Hide(body);
        for (auto& figure : figures_) figure->Remove(&host_->View());
        figures_.clear();
    }
}
