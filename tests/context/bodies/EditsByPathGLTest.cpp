// A recorded toolpath edited by its uid path, as a CAM host edits one: nodes and branches added and
// removed (through the items and through the context), nodes recoloured and hidden by palette
// entry, the toolpath hidden and shown by path; and the other leaves of recorded figures (a
// polyline, a text) recoloured on their own items, or sent path edits they take no part in.
// After each edit the next refresh shows what a whole frame shows, single picks on both roads
// find what the window lights and nothing where it no longer lights, and the scene's box holds
// what is drawn.
#include "DsAttributesIndex.h"
#include "DsAttributesPalette.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsFigure.h"
#include "DsItemsToolpath.h"
#include "DsLineAttribStorage.h"
#include "EntityDeleter.h"
#include "HostFixture.h"
#include "VyrPoint.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

// Toolpath 1, branch 2: nodes 10 to 18 zigzagging from (-40, -30) to (40, -30) through y = -10,
// all in palette entry 0.
class CZigzagToolpath : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(2, 0.0f);
        for (int i = 0; i < 9; ++i)
            generator.AddToolpathSegment(
                TDsNodeHeader::StCreatePoint(CDsUid(10 + i), 0, -40.0f + 10.0f * i, i % 2 ? -10.0f : -30.0f, 0.0f));
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }
};

CDsUidPath Path(std::vector<CDsUid> uids, ENTITY* entity = nullptr)
{
    return CDsUidPath(entity, uids);
}

// Line attributes of colour `color`, hidden or shown.
CDsLineAttribStorage Entry(const CDsColorStorage& color, bool hidden)
{
    CDsLineAttribStorage entry;
    entry.SetColor(color);
    entry.SetAttribute(CDsHideLevel(hidden ? eDsHideLevelBlank : eDsHideLevelShown), true);
    return entry;
}

// Where the edits show (the toolpath's nodes at z = 0, the polyline from (-45, 25) to (-25, 40)):
// the letter names the probe in the table below.
struct Probe {
    char name;
    SPAposition point;
};
const std::vector<Probe> kProbes = {
    {'N', SPAposition(42.5, 7.5, 0)},    // middle of the segment to the added node 19
    {'E', SPAposition(45, 45, 0)},       // node 19 itself
    {'C', SPAposition(-5, -20, 0)},      // middle of the segment from node 13 to node 14
    {'B', SPAposition(-25, -45, 0)},     // middle of the added branch 3
    {'P', SPAposition(-35, 32.5, 0)},    // middle of the polyline figure
};

class EditsByPathGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // One unit a pixel, the model origin at pixel (50, 50).
        host_->Look(ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
        CDsAttributesPalette* palette = host_->Context().GetScene()->GetAttributesPalette();
        ASSERT_TRUE(palette->SetAttributes(0, Entry(CDsColorStorage(255, 0, 255), false)));
        ASSERT_TRUE(palette->SetAttributes(1, Entry(CDsColorStorage(0, 255, 255), false)));
        ASSERT_TRUE(palette->SetAttributes(2, Entry(CDsColorStorage(255, 255, 0), true)));
    }
    // Whether the single pick among figures at the pixel of `point` (by selection, or by the pick
    // ray) answers `figure`.
    bool Picked(const CDsFigure& figure, const SPAposition& point, bool byRay)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
        const CDsPickedItem picked = host_->PickAt(point, &domain, byRay);
        return picked.IsValid() && picked.GetObjectPath() == Host::PathOf(figure);
    }
    // Whether a pixel next to the pixel of `point` is lit in `picture`.
    bool Lit(const vyrtest::Picture& picture, const SPAposition& point)
    {
        int x = 0, down = 0;
        EXPECT_TRUE(host_->PixelOf(point, x, down));
        return picture.LitNear(x, host_->Height() - 1 - down, 1);
    }
    // Whether the scene's box holds `point` in x and y.
    bool Boxed(const SPAposition& point)
    {
        const SPAbox box = host_->Box();
        for (int a = 0; a < 2; ++a)
            if (point.coordinate(a) < box.low().coordinate(a) - 1e-3 ||
                point.coordinate(a) > box.high().coordinate(a) + 1e-3)
                return false;
        return true;
    }
};

}  // namespace

TEST_F(EditsByPathGLTest, EveryEditIsDrawnPickedAndBoxedAtTheNextRefresh)
{
    CZigzagToolpath toolpath;
    vyrtest::RecipeFigure polyline([](CDsFigureGenerator& g) {
        const CGmPosition points[2] = {CGmPosition(-45, 25, 0), CGmPosition(-25, 40, 0)};
        g.DrawPolyline(2, points);
    });
    vyrtest::RecipeFigure text([](CDsFigureGenerator& g) {
        g.MoveTo(CGmPosition(0, 20, 0));
        g.DrawTextW("AB", "", 12.0f, true);
    });
    for (CDsFigure* figure : std::vector<CDsFigure*>{&toolpath, &polyline, &text}) {
        figure->Record(true, &host_->View());
        ASSERT_TRUE(figure->IsRecorded());
    }
    host_->Refresh();
    auto* tool = dynamic_cast<CDsItemsToolpath*>(toolpath.GetItemsFig()->Get(0));
    ASSERT_NE(tool, nullptr);
    CDsItemBase* line = polyline.GetItemsFig()->Get(0);
    CDsItemBase* letters = text.GetItemsFig()->Get(0);
    // The host names the toolpath by an entity of its own, for the context's sub-item calls.
    vyrtest::EntityPtr owner(new CVyrPoint(SPAposition(0, 0, 0)));
    host_->Context().AddToMap(owner.get(), tool);

    const std::unique_ptr<TDsNodeHeader> node19(TDsNodeHeader::StCreatePoint(0, 0, 45, 45, 0));
    const std::unique_ptr<TDsNodeHeader> node30(TDsNodeHeader::StCreatePoint(0, 0, -45, -45, 0));
    const std::unique_ptr<TDsNodeHeader> node31(TDsNodeHeader::StCreatePoint(0, 0, -5, -45, 0));
    const CDsHideLevel blank(eDsHideLevelBlank), shown(eDsHideLevelShown);
    // The toolpath's edits by uid path that take a path the item may walk.
    const auto setIndex = [&](std::vector<CDsUid> uids, unsigned char index) {
        CDsUidPath path = Path(std::move(uids));
        tool->SetAttributes(path, CDsAttributesIndex(index), false);
    };
    const auto setLevel = [&](const CDsHideLevel& level) {
        CDsUidPath path = Path({1});
        tool->SetAttribute(path, level, false);
    };
    const CDsLineAttribStorage green = Entry(CDsColorStorage(0, 255, 0), false);
    struct Edit {
        const char* name;
        std::function<void()> apply;
        const char* shows;  // the probes lit and picked afterwards
        const char* boxes;  // the probes inside the scene's box afterwards
        bool changes;       // whether the picture changes
    };
    const std::vector<Edit> edits = {
        {"node added", [&] { tool->AddSubItem(Path({1, 2}), 19, node19.get()); }, "NECP", "NECP", true},
        {"node recoloured", [&] { setIndex({1, 2, 12}, 1); }, "NECP", "NECP", true},
        {"node hidden", [&] { setIndex({1, 2, 13}, 2); }, "NEP", "NECP", true},
        {"node shown again", [&] { setIndex({1, 2, 13}, 0); }, "NECP", "NECP", true},
        {"node removed through the context", [&] { host_->Context().RemoveSubItem(Path({1, 2}, owner.get()), 19); },
         "CP", "CP", true},
        {"node added through the context",
         [&] { host_->Context().AddSubItem(Path({1, 2}, owner.get()), 19, node19.get()); }, "NECP", "NECP", true},
        {"branch added",
         [&] {
             tool->AddSubItem(Path({1}), 3, node30.get());
             tool->AddSubItem(Path({1, 3}), 30, node30.get());
             tool->AddSubItem(Path({1, 3}), 31, node31.get());
         },
         "NECBP", "NECBP", true},
        {"toolpath hidden", [&] { setLevel(blank); }, "P", "P", true},
        {"toolpath shown again", [&] { setLevel(shown); }, "NECBP", "NECBP", true},
        {"polyline recoloured on its item", [&] { line->SetAttributes(green, false); }, "NECBP", "NECBP", true},
        {"text recoloured on its item", [&] { letters->SetAttributes(green, false); }, "NECBP", "NECBP", true},
        {"path edits the polyline, the text and a figure group take no part in",
         [&] {
             for (CDsItemBase* item : {line, letters, static_cast<CDsItemBase*>(text.GetItemsFig())}) {
                 CDsUidPath path = Path({1, 2});
                 item->AddSubItem(path, 20, node19.get());
                 item->RemoveSubItem(path, 10);
                 item->SetAttributes(path, CDsAttributesIndex(2), true);
                 item->SetAttribute(path, blank, true);
                 host_->Context().AddToMap(owner.get(), item);
                 host_->Context().AddSubItem(Path({1, 2}, owner.get()), 20, node19.get());
                 host_->Context().RemoveSubItem(Path({1, 2}, owner.get()), 10);
             }
             host_->Context().AddToMap(owner.get(), tool);
         },
         "NECBP", "NECBP", false},
    };
    const auto figureOf = [&](char probe) -> const CDsFigure& {
        if (probe == 'P') return polyline;
        return toolpath;
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        const vyrtest::Picture before = host_->Front();
        edit.apply();
        host_->Refresh();
        const vyrtest::Picture after = host_->Front();
        EXPECT_EQ(vyrtest::DifferingPixels(after, before) > 0, edit.changes);
        for (const Probe& probe : kProbes) {
            SCOPED_TRACE(std::string("probe ") + probe.name);
            const bool shows = std::string(edit.shows).find(probe.name) != std::string::npos;
            EXPECT_EQ(Lit(after, probe.point), shows);
            EXPECT_EQ(Boxed(probe.point), std::string(edit.boxes).find(probe.name) != std::string::npos);
            EXPECT_EQ(Picked(figureOf(probe.name), probe.point, false), shows);
            EXPECT_EQ(Picked(figureOf(probe.name), probe.point, true), shows);
        }
        EXPECT_TRUE(vyrtest::SamePicture(after, host_->WholeFrame()));
    }
    host_->Context().RemoveFromMap(owner.get());
}
