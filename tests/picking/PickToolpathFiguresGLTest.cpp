// A toolpath recorded as a figure in a host's scene, part of it in an entry of the scene's
// attributes palette that is hidden: the frame leaves that part out, and so do the single pick and
// the scene's box.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsAttributesPalette.h"
#include "DsHideLevel.h"
#include "DsItemToolpathPolyline.h"
#include "HostFixture.h"
#include "GmPosition.h"

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ViewSetup;

namespace {

// Nodes (x, y, palette entry) of one branch at z = 0: (-30, 0) in entry 0, then (0, 0), (30, 0)
// and (30, 30) in entry 1. Entry 0 draws (-30, 0) to (0, 0); entry 1 the rest.
class CTwoEntryToolpath : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        const float nodes[4][3] = {{-30, 0, 0}, {0, 0, 1}, {30, 0, 1}, {30, 30, 1}};
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(2, 0.0f);
        for (int i = 0; i < 4; ++i)
            generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(
                CDsUid(100 + i), static_cast<unsigned char>(nodes[i][2]), nodes[i][0], nodes[i][1], 0.0f));
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }
};

class PickToolpathFiguresGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    }
    // The single pick of figures at the pixel of (x, y, 0): whether it answers `figure`.
    bool Picks(const CDsFigure& figure, double x, double y)
    {
        const std::vector<CDsTypeMask> figures = vyrtest::Host::Domain({vyrtest::Host::kFigureType});
        const CDsPickedItem picked = host_->PickAt(SPAposition(x, y, 0), &figures);
        CVyrObjectPath path;
        return picked.IsValid() && figure.GetPath(path) && picked.GetObjectPath() == path;
    }
    // Whether the front buffer shows something within a pixel of (x, y, 0).
    bool Shown(double x, double y)
    {
        int px = 0, py = 0;
        EXPECT_TRUE(host_->PixelOf(SPAposition(x, y, 0), px, py));
        return host_->Front().LitNear(px, host_->Height() - 1 - py, 1);
    }
};

}  // namespace

TEST_F(PickToolpathFiguresGLTest, WhatAHiddenPaletteEntryLeavesOutIsNeitherPickedNorBoxed)
{
    CDsLineAttribStorage hidden;
    hidden.SetAttribute(CDsHideLevel(EDsHideLevel(2)), true);
    ASSERT_TRUE(host_->Context().GetScene()->GetAttributesPalette()->SetAttributes(1, hidden));
    CTwoEntryToolpath toolpath;
    toolpath.Record(true, &host_->View());
    ASSERT_TRUE(toolpath.IsRecorded());
    host_->Refresh();
    ASSERT_TRUE(Shown(-15, 0));
    ASSERT_FALSE(Shown(15, 0));
    ASSERT_FALSE(Shown(30, 15));

    EXPECT_TRUE(Picks(toolpath, -15, 0));
    EXPECT_FALSE(Picks(toolpath, 15, 0));
    EXPECT_FALSE(Picks(toolpath, 30, 15));

    // The box holds what is drawn: (-30, 0) to (0, 0), the end of entry 0's segment.
    SPAposition low, high;
    host_->Context().GetBox(low, high);
    EXPECT_NEAR(low.x(), -30, 1e-3);
    EXPECT_NEAR(high.x(), 0, 1e-3);
    EXPECT_NEAR(high.y(), 0, 1e-3);
}
