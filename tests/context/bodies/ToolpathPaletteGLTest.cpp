// A toolpath recorded as a figure takes the colours and the hiding of its nodes from the entries of
// its scene's attributes palette: an entry the host changes after the toolpath was recorded (or
// after a frame) is drawn by the next refresh as a whole frame draws it, and the scene's box and
// the single pick hold the segments the entries show, not those they hide.
#include "DsAttributesPalette.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemToolpathPolyline.h"
#include "DsLineAttribStorage.h"
#include "HostFixture.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

// The toolpath's nodes at z = 0: (-30, -20) in palette entry 0, then (0, -20) and (30, 10) in
// entry 1. Entry 0 draws the first segment, entry 1 the second.
constexpr float kNodes[3][3] = {{-30, -20, 0}, {0, -20, 1}, {30, 10, 1}};
// The middles of the two segments.
const SPAposition kFirstMiddle(-15, -20, 0), kSecondMiddle(15, -5, 0);

// One branch through kNodes, in their entries or in `entries`.
class CToolpathFigure : public CDsFigure {
public:
    CToolpathFigure() = default;
    explicit CToolpathFigure(std::vector<int> entries) : m_entries(std::move(entries)) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(2, 0.0f);
        for (int i = 0; i < 3; ++i)
            generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(
                CDsUid(10 + i), static_cast<unsigned char>(m_entries.empty() ? kNodes[i][2] : m_entries[size_t(i)]),
                kNodes[i][0], kNodes[i][1], 0.0f));
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }

private:
    std::vector<int> m_entries;
};

// Line attributes of colour `color`, hidden or shown.
CDsLineAttribStorage Entry(const CDsColorStorage& color, bool hidden)
{
    CDsLineAttribStorage entry;
    entry.SetColor(color);
    entry.SetAttribute(CDsHideLevel(hidden ? eDsHideLevelBlank : eDsHideLevelShown), true);
    return entry;
}

const CDsColorStorage kMagenta(255, 0, 255), kCyan(0, 255, 255), kYellow(255, 255, 0);

class ToolpathPaletteGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // One unit a pixel, the model origin at pixel (50, 50).
        host_->Look(ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
        palette_ = host_->Context().GetScene()->GetAttributesPalette();
        ASSERT_NE(palette_, nullptr);
        ASSERT_TRUE(palette_->SetAttributes(0, Entry(kMagenta, false)));
        ASSERT_TRUE(palette_->SetAttributes(1, Entry(kCyan, false)));
    }
    // Whether the scene's box spans x from `x0` to `x1` and y from `y0` to `y1`.
    ::testing::AssertionResult BoxSpans(double x0, double x1, double y0, double y1)
    {
        const SPAbox box = host_->Box();
        const double got[4] = {box.low().x(), box.high().x(), box.low().y(), box.high().y()};
        const double want[4] = {x0, x1, y0, y1};
        for (int i = 0; i < 4; ++i)
            if (std::fabs(got[i] - want[i]) > 1e-3)
                return ::testing::AssertionFailure()
                       << "x " << got[0] << ".." << got[1] << ", y " << got[2] << ".." << got[3];
        return ::testing::AssertionSuccess();
    }
    // Whether the single pick among figures at the pixel of `point` answers the toolpath.
    bool Picked(const CToolpathFigure& figure, const SPAposition& point)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
        const CDsPickedItem picked = host_->PickAt(point, &domain);
        return picked.IsValid() && picked.GetObjectPath() == Host::PathOf(figure);
    }
    // Whether a pixel next to the pixel of `point` is lit in the front buffer.
    bool Drawn(const SPAposition& point)
    {
        int x = 0, down = 0;
        EXPECT_TRUE(host_->PixelOf(point, x, down));
        return host_->Front().LitNear(x, host_->Height() - 1 - down, 1);
    }

    CDsAttributesPalette* palette_ = nullptr;
};

}  // namespace

TEST_F(ToolpathPaletteGLTest, AnEntryShownAgainAfterTheToolpathWasRecordedHiddenIsBoxedAndPicked)
{
    ASSERT_TRUE(palette_->SetAttributes(1, Entry(kCyan, true)));
    CToolpathFigure figure;
    figure.Record(true, &host_->View());
    ASSERT_TRUE(figure.IsRecorded());
    host_->WholeFrame();
    EXPECT_TRUE(BoxSpans(-30, 0, -20, -20));
    EXPECT_FALSE(Drawn(kSecondMiddle));

    // Shown again, and everything measured and drawn anew.
    ASSERT_TRUE(palette_->SetAttributes(1, Entry(kCyan, false)));
    host_->Context().InvalidateBox();
    host_->WholeFrame();
    EXPECT_TRUE(Drawn(kSecondMiddle));
    EXPECT_TRUE(BoxSpans(-30, 30, -20, 10));
    EXPECT_TRUE(Picked(figure, kSecondMiddle));
    EXPECT_TRUE(Picked(figure, kFirstMiddle));
}

TEST_F(ToolpathPaletteGLTest, EveryChangeOfAnEntryIsDrawnBoxedAndPickedAtTheNextRefresh)
{
    CToolpathFigure figure;
    figure.Record(true, &host_->View());
    ASSERT_TRUE(figure.IsRecorded());
    host_->View().refresh();
    ASSERT_TRUE(BoxSpans(-30, 30, -20, 10));
    ASSERT_TRUE(Drawn(kSecondMiddle));

    struct Step {
        const char* name;
        CDsLineAttribStorage entry;  // entry 1 from now on
        bool shown;
        bool boxFirst;  // the scene's box asked for before the refresh (else only after it)
    };
    const std::vector<Step> steps = {
        {"recoloured", Entry(kYellow, false), true, false},
        {"hidden", Entry(kYellow, true), false, true},
        {"shown again", Entry(kCyan, false), true, false},
    };
    const auto boxFollows = [&](bool shown) {
        return shown ? BoxSpans(-30, 30, -20, 10) : BoxSpans(-30, 0, -20, -20);
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const vyrtest::Picture before = host_->Front();
        ASSERT_TRUE(palette_->SetAttributes(1, step.entry));
        // The box follows the entries at once, before any frame.
        if (step.boxFirst) {
            EXPECT_TRUE(boxFollows(step.shown));
        }
        host_->View().refresh();
        const vyrtest::Picture after = host_->Front();
        EXPECT_GT(vyrtest::DifferingPixels(after, before), 20);
        EXPECT_TRUE(boxFollows(step.shown));
        EXPECT_EQ(Drawn(kSecondMiddle), step.shown);
        EXPECT_TRUE(Drawn(kFirstMiddle));
        EXPECT_EQ(Picked(figure, kSecondMiddle), step.shown);
        EXPECT_TRUE(Picked(figure, kFirstMiddle));
        EXPECT_TRUE(vyrtest::SamePicture(after, host_->WholeFrame()));
    }
}

TEST_F(ToolpathPaletteGLTest, ALastNodeThatDrawsNoSegmentIsNeitherBoxedNorPicked)
{
    // Nodes in entries 1, 0, 1 with entry 0 hidden: the first segment ends at the hidden node and is
    // drawn; the last node, one point after a hidden one, draws nothing, and a region or a fit
    // must not reach for it.
    ASSERT_TRUE(palette_->SetAttributes(0, Entry(kMagenta, true)));
    CToolpathFigure figure({1, 0, 1});
    figure.Record(true, &host_->View());
    ASSERT_TRUE(figure.IsRecorded());
    host_->WholeFrame();
    EXPECT_TRUE(Drawn(kFirstMiddle));
    EXPECT_FALSE(Drawn(SPAposition(30, 10, 0)));
    EXPECT_TRUE(BoxSpans(-30, 0, -20, -20));
    EXPECT_FALSE(Picked(figure, SPAposition(30, 10, 0)));
}

TEST_F(ToolpathPaletteGLTest, ASegmentAfterAHiddenFirstNodeIsDrawnAndPicked)
{
    ASSERT_TRUE(palette_->SetAttributes(1, Entry(kCyan, true)));
    CToolpathFigure figure({1, 0, 0});
    figure.Record(true, &host_->View());
    host_->WholeFrame();
    EXPECT_FALSE(Drawn(kFirstMiddle));
    EXPECT_TRUE(Drawn(kSecondMiddle));
    EXPECT_FALSE(Picked(figure, kFirstMiddle));
    EXPECT_TRUE(Picked(figure, kSecondMiddle));
}
